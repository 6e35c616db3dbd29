// Data fields declared in Basic (or by the tools): values kept per object by the store.
//
// InterDataField      a plain variable of a type code (1-7); Const when flag kConstant.
// InterEnumField      a Long restricted to an enumeration's values (text unload by name).
// InterObjField       an object reference (type 7) of an optional class; a value of
//                     another class is refused only by StrictInterObjField.
// EmbedObjField       holds an embedded object made from a class (or template object)
//                     when the field is added; the object is the field's value.
#pragma once

#include "store/field.h"

class EnumRep;

class OVSTORE_API InterDataField : public DataField {
 public:
  // mode (as the parser passes it): 0 a by-reference argument, 1 a constant (kConstant),
  // 2 a variable or ByVal argument (kByValue). className for type 7.
  static InterDataField* make(const char* name, unsigned char type, int mode = 0,
                              const char* className = nullptr);
  static InterDataField* make(const char* name, unsigned char type, const char* className) {
    return make(name, type, 0, className);
  }
  InterDataField(const char* name, unsigned char type, const char* className, uint16_t flags);

  int isInterDataField() const override { return 1; }
  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;
  unsigned char streamTag() const override { return 1; }
  void getCell(InterObjRep& self, ValueCell& out) override;
  void setCell(InterObjRep& self, const ValueCell& c) override;
};

class OVSTORE_API InterEnumField : public InterDataField {
 public:
  static InterEnumField* make(const char* name, EnumRep* e, int mode = 0);
  InterEnumField(const char* name, EnumRep* e, uint16_t flags);
  int isEnumeration() const override { return 1; }
  EnumRep* enumeration() const override { return enum_; }
  void setCell(InterObjRep& self, const ValueCell& c) override;
  bool textValue(InterObjRep& self, RWCString& out) override;
  RWCString declarationText(const InterObjRep* obj = nullptr) const override;
  unsigned char streamTag() const override { return 2; }
  void writeDef(OCLStream& s) const override;

 private:
  EnumRep* enum_;
};

class OVSTORE_API InterObjField : public InterDataField {
 public:
  static InterObjField* make(const char* name, const char* className = nullptr, int mode = 0);
  InterObjField(const char* name, const char* className, uint16_t flags);
  unsigned char streamTag() const override { return 3; }
};

// Refuses (TypeMismatch) an object that is not of its class.
class OVSTORE_API StrictInterObjField : public InterObjField {
 public:
  static StrictInterObjField* make(const char* name, const char* className, int mode = 0);
  StrictInterObjField(const char* name, const char* className, uint16_t flags);
  void setCell(InterObjRep& self, const ValueCell& c) override;
  unsigned char streamTag() const override { return 4; }
};

class OVSTORE_API EmbedObjField : public DataField {
 public:
  // The embedded object will be an instance of the class (or template object) named.
  static EmbedObjField* make(const char* name, const char* className);
  static EmbedObjField* make(const char* name, InterObjRep* templateObj);
  EmbedObjField(const char* name, const char* className);

  int isEmbedObjField() const override { return 1; }
  // Makes self's embedded object (when self has none) from the class in self's module.
  InterObjRep* makeEmbedded(InterObjRep& self);
  // The embedded object of self, or null.
  InterObjRep* embeddedObject(InterObjRep& self) const;
  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;  // refused: StoreException
  void getCell(InterObjRep& self, ValueCell& out) override;
  bool textValue(InterObjRep&, RWCString&) override { return false; }
  unsigned char streamTag() const override { return 5; }
};
