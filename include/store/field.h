// Fields: the members of a signature.
//
// Field         a named member with flags; the kind queries the developer tools ask.
// DataField     a property: reads and writes a value on an object.
// MethodField   a method: invoke() runs it (Basic procedures, native methods).
// EventDef      an event an object can raise (name, kind, parameter text).
//
// Fields belong to the one signature they were added to, which deletes them.
// Fields are streamed with their module (write/read by a one-byte tag); classes of other
// libraries register a reader for their tag (Field::RegisterReader).
#pragma once

#include <cstdint>
#include <string>

#include "utils/allocator.h"
#include "store/ovstore_api.h"
#include "utils/rwcstring.h"

class OCLStream;
class InterObjRep;
class SignatureRep;
class EnumRep;
class Value;
class ValueList;
struct ValueCell;

class OVSTORE_API Field : public Allocator {
 public:
  enum : uint16_t {
    kReadOnly = 0x0001,
    kPrivate = 0x0002,
    kStatic = 0x0004,
    kCompiled = 0x0008,  // bound to native code (the class's PO_DefineFields)
    kHidden = 0x0010,    // not listed by the tools
    kByValue = 0x0020,
    kConstant = 0x0040,  // a Const: read only, written with its declaration
    kDefault = 0x0080,   // the default member
  };

  explicit Field(const char* name, uint16_t flags = 0);
  virtual ~Field();
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const char* name() const { return name_.c_str(); }
  void rename(const char* n) { name_ = n ? n : ""; }
  uint16_t fieldFlags() const { return flags_; }
  void setFieldFlags(uint16_t f) { flags_ = f; }
  bool hasFlag(uint16_t f) const { return (flags_ & f) != 0; }
  SignatureRep* signature() const { return sig_; }

  // Kind queries.
  virtual int isData() const { return 0; }
  virtual int isMethod() const { return 0; }
  virtual int isEnumeration() const { return 0; }
  virtual EnumRep* enumeration() const { return nullptr; }
  virtual int isArrayData() const { return 0; }
  virtual int isInterDataField() const { return 0; }
  virtual int isInterProcDataField() const { return 0; }
  virtual int isEmbedObjField() const { return 0; }
  virtual int isObjectRef() const { return 0; }
  virtual int isCompiled() const { return hasFlag(kCompiled); }
  // Whether the field has Basic source of its own (methods written in Basic).
  virtual int hasSource() const { return 0; }
  virtual const char* sourceText() const { return nullptr; }
  // Type code of the value (methods: of the result, 0 for a Sub).
  virtual unsigned char typeCode() const { return 0; }
  // Class name of an object-typed value ("" for any object).
  virtual const char* className() const { return ""; }

  // Generic evaluation on self. A data field reads its value (args index an array);
  // a method runs. Returns a counted value or null.
  virtual Value* evaluate(InterObjRep& self, const ValueList* args) = 0;
  // Writes a data field (args index an array). Methods refuse (StoreException).
  virtual void assign(InterObjRep& self, const ValueList* args, const Value& v);

  // One line of Basic text for self's value (".Name = value"); false when the field
  // has nothing to write.
  virtual bool textValue(InterObjRep& self, RWCString& out);

  // Streaming with the module (store-defined fields; compiled ones are not written).
  virtual unsigned char streamTag() const { return 0; }
  virtual void writeDef(OCLStream& s) const;
  typedef Field* (*Reader)(OCLStream& s, unsigned char tag);
  static void RegisterReader(unsigned char tag, Reader reader);
  static Field* ReadField(OCLStream& s);
  static void WriteField(const Field& f, OCLStream& s);

 protected:
  friend class SignatureRep;
  std::string name_;
  uint16_t flags_;
  SignatureRep* sig_ = nullptr;
};

class OVSTORE_API DataField : public Field {
 public:
  DataField(const char* name, unsigned char typeCode, const char* className = "", uint16_t flags = 0);
  int isData() const override { return 1; }
  int isObjectRef() const override { return (typeCode_ & 0x1F) == 7; }
  unsigned char typeCode() const override { return typeCode_; }
  const char* className() const override { return class_.c_str(); }

  // "Dim Name As Type" style text of the declaration (for the tools and text files).
  virtual RWCString declarationText(const InterObjRep* obj = nullptr) const;
  // The initial cell of a type code: zero, "" (the null string), Nothing; 0 and 10
  // give a cell with no value (type 10).
  static void DefaultCell(ValueCell& c, unsigned char type);
  // The class object named by className for object-typed fields, or null.
  InterObjRep* TypeObj() const;

  // Reads self's value: a counted value (never null for plain data: the initial value
  // of the type when nothing was set).
  virtual Value* get(InterObjRep& self) = 0;
  virtual void set(InterObjRep& self, const Value& v) = 0;
  // The same on cells (the interpreter's fast path; no heap value for numbers). The
  // defaults go through get/set.
  virtual void getCell(InterObjRep& self, ValueCell& out);
  virtual void setCell(InterObjRep& self, const ValueCell& c);

  Value* evaluate(InterObjRep& self, const ValueList* args) override;
  void assign(InterObjRep& self, const ValueList* args, const Value& v) override;
  bool textValue(InterObjRep& self, RWCString& out) override;

 protected:
  unsigned char typeCode_;
  std::string class_;
};

class OVSTORE_API MethodField : public Field {
 public:
  explicit MethodField(const char* name, unsigned char resultType = 0, const char* className = "",
                       uint16_t flags = 0);
  int isMethod() const override { return 1; }
  unsigned char typeCode() const override { return resultType_; }
  const char* className() const override { return class_.c_str(); }

  // Runs the method on self with args (not taken over; element 0 is the first Basic
  // argument; by-reference arguments are written through their Value). Returns the
  // result as a counted value (null for none). flags are evalIMember's.
  virtual Value* invoke(InterObjRep& self, ValueList* args, int flags) = 0;

  // Declared parameter count (-1: not known, any accepted).
  virtual int parmCount() const { return -1; }
  // Text of the parameter list, "(ByVal x As Long)", and the Basic prototype.
  virtual RWCString paramText() const { return RWCString("()"); }
  // Whether the method's source compiled (Basic methods); natives are always compiled.
  virtual int compiles() const { return 1; }
  // The first line at or after line that holds a statement (-1 when none).
  virtual int executableLineAt(int line) const { return line; }

  Value* evaluate(InterObjRep& self, const ValueList* args) override;

 protected:
  unsigned char resultType_;
  std::string class_;
};

// An event an object can raise. kind: 0 Basic-declared, 1 native (ParseCppEvent).
// flag: 1 raised with by-reference arguments that carry results back.
class OVSTORE_API EventDef : public Allocator {
 public:
  EventDef(const char* name, int kind, const char* paramText, int flag);
  const char* name() const { return name_.c_str(); }
  int kind() const { return kind_; }
  const char* paramText() const { return params_.c_str(); }
  int flag() const { return flag_; }
  SignatureRep* signature() const { return sig_; }

 private:
  friend class SignatureRep;
  std::string name_;
  int kind_;
  std::string params_;
  int flag_;
  SignatureRep* sig_ = nullptr;
};
