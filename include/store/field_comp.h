// Compiled fields: members bound to a published class's C++ code.
//
// MemberFn           a C++ member-function pointer kept as opaque bytes (DynMember), with the adjustment from
// the native object
//                    (IInterObj) to the class the member belongs to. Made implicitly
//                    from &Class::member; null (0 / nullptr) for "none".
// CompProcDataField  a property with a native getter and setter (setter null: read
//                    only). Shapes by type code:
//                      1  short get();            void set(short)
//                      2  long get();             void set(long)
//                      3  float get();            void set(float)
//                      4  double get();           void set(double)
//                      6  ValStringRep* get()     void set(const char*)  (may be null)
//                         (a new rep; the store takes the getter's reference over)
//                      7  InterObjRep* get()      void set(InterObjRep*) (null: Nothing)
//                         (borrowed: the store adds its own reference)
// CompProcEnumField  a Long property restricted to an enumeration (Booleans use
//                    "Boolean": getters answer -1/0, setters get -1 or 0):
//                      long get();  void set(long)   (int is the same on both targets)
// CompDataField      a value read and written in place at an offset from the start of
//                    the complete native object (types 1 short, 2 long, 3 float, 4 double; 0x11 an
//                    unsigned byte read and written as a Long, for byte enumerations).
// CppProcField / CppFuncField
//                    native methods (Sub / Function): the member is called through the
//                    dynamic call facility with the arguments converted to the declared
//                    parameter types. Parameter kinds: by value 1 short, 2 long,
//                    3 float, 4 double, 6 const char*, 7 InterObjRep*; by reference a
//                    pointer to a short/long/float/double (written back after the call),
//                    ValString* for strings and InterObj* for objects. An array
//                    parameter ("x() As Single") is a const NativeArray* (below).
//                    Results as the getters above.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "store/dyncall.h"
#include "store/field.h"
#include "store/iinterobj.h"

class EnumRep;

class OVSTORE_API MemberFn {
 public:
  typedef void* (*Adjust)(IInterObj* native);

  MemberFn() : adjust_(nullptr) {}
  MemberFn(std::nullptr_t) : adjust_(nullptr) {}
  // The literal 0 that callers pass for "no setter".
  MemberFn(int zero) : adjust_(nullptr) { (void)zero; }
  template <class C, class F>
  MemberFn(F C::*pm) : member_(pm), adjust_(&AdjustTo<C>) {}

  bool isNull() const { return member_.isNull(); }
  const DynMember& member() const { return member_; }
  // The object pointer the member expects, from the native object.
  void* target(IInterObj* native) const { return adjust_ ? adjust_(native) : native; }

 private:
  template <class C>
  static void* AdjustTo(IInterObj* native) {
    return AdjustHelper<C, std::is_polymorphic<C>::value>::run(native);
  }
  template <class C, bool poly>
  struct AdjustHelper {
    static void* run(IInterObj* n) { return static_cast<void*>(reinterpret_cast<C*>(n)); }
  };
  template <class C>
  struct AdjustHelper<C, true> {
    static void* run(IInterObj* n) {
      C* c = dynamic_cast<C*>(n);
      return c ? static_cast<void*>(c) : static_cast<void*>(n);
    }
  };

  DynMember member_;
  Adjust adjust_;
};

class OVSTORE_API CompProcDataField : public DataField {
 public:
  static CompProcDataField* make(const char* name, unsigned char type, MemberFn setter, MemberFn getter,
                                 const char* className = nullptr);
  CompProcDataField(const char* name, unsigned char type, MemberFn setter, MemberFn getter,
                    const char* className);
  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;
  void getCell(InterObjRep& self, ValueCell& out) override;
  void setCell(InterObjRep& self, const ValueCell& c) override;
  const MemberFn& setter() const { return setter_; }
  const MemberFn& getter() const { return getter_; }

 protected:
  MemberFn setter_;
  MemberFn getter_;
};

class OVSTORE_API CompProcEnumField : public CompProcDataField {
 public:
  static CompProcEnumField* make(const char* name, EnumRep* e, MemberFn setter, MemberFn getter);
  CompProcEnumField(const char* name, EnumRep* e, MemberFn setter, MemberFn getter);
  int isEnumeration() const override { return 1; }
  EnumRep* enumeration() const override { return enum_; }
  void setCell(InterObjRep& self, const ValueCell& c) override;
  bool textValue(InterObjRep& self, RWCString& out) override;

 private:
  EnumRep* enum_;
};

class OVSTORE_API CompDataField : public DataField {
 public:
  enum { kByteAsLong = 0x11 };
  static CompDataField* make(const char* name, unsigned char type, size_t offset);
  CompDataField(const char* name, unsigned char type, size_t offset);
  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;
  void getCell(InterObjRep& self, ValueCell& out) override;
  void setCell(InterObjRep& self, const ValueCell& c) override;
  size_t offset() const { return offset_; }

 private:
  unsigned char storeType_;
  size_t offset_;
};

// One declared parameter of a native (or Basic) method. A parameter typed by an
// enumeration ("As Boolean", "As ComboBoxStyle") is a Long to the native side: it takes
// numbers and the entry texts, and a Boolean reaches it as -1 or 0.
struct ParamDecl {
  std::string name;
  unsigned char type;  // type code 1-7 (0: untyped, passed as Long)
  bool byRef;
  std::string className;           // the object class or the enumeration named
  EnumRep* enumeration = nullptr;  // when className names one (type is then Long)
};

class ArrayData;

// An array argument as a native method sees it: the caller's array for the length of the
// call, read element by element through the store. The caller's array has the element
// type the parameter declares ("x() As Single": Single); an argument that is no array, or
// an array of another type, is refused (Type mismatch) before the native member runs.
// Reading an index outside the bounds raises RangeError 32736, and a one-index read of an
// array of several dimensions a StoreException: Basic errors both.
class OVSTORE_API NativeArray {
 public:
  explicit NativeArray(const ArrayData* data = nullptr) : data_(data) {}
  unsigned char elementType() const;  // the type code, 1-7
  int dimensions() const;
  // The bounds of dimension dim (0 the first); StoreException for a dimension it lacks.
  int32_t lbound(int dim = 0) const;
  int32_t ubound(int dim = 0) const;
  int32_t count() const;  // every element, over all dimensions
  // Element index of a one-dimensional array, as it is (out: an initialised cell), or
  // converted to a Double (numbers only: a text or object element is a Type mismatch).
  void element(int32_t index, ValueCell& out) const;
  double number(int32_t index) const;

 private:
  const ArrayData* data_;
};

class OVSTORE_API CppProcField : public MethodField {
 public:
  CppProcField(const char* name, MemberFn member);
  void addParam(const char* name, unsigned char type, bool byRef, const char* className = "");
  int parmCount() const override { return (int)params_.size(); }
  const ParamDecl& param(int i) const { return params_[i]; }
  RWCString paramText() const override;
  Value* invoke(InterObjRep& self, ValueList* args, int flags) override;
  const MemberFn& member() const { return member_; }

 protected:
  MemberFn member_;
  std::vector<ParamDecl> params_;
  EnumRep* resultEnum_ = nullptr;  // the result's enumeration (result type Long)
};

class OVSTORE_API CppFuncField : public CppProcField {
 public:
  // A result typed by an enumeration is the native side's Long (a Boolean one answers
  // True for any value but 0).
  CppFuncField(const char* name, MemberFn member, unsigned char returnType, const char* className = "");
};

// Parsing of native member declarations ("Function Execute() As Integer",
// "Event Click()"): forwarded to the parser library (ovparse.dll, loaded on first use),
// whose exports are
//   extern "C" void ParserParseCppField(const char* decl, SignatureRep* sig,
//                                        const MemberFn* member);
//   extern "C" void ParserParseCppEvent(const char* decl, SignatureRep* sig);
// They add a CppProcField/CppFuncField (with addParam per parameter) or an EventDef
// (kind 1) to sig and throw on a declaration they refuse. A missing parser library
// throws StoreException.
OVSTORE_API void ParseCppField(const char* declaration, SignatureRep& sig, MemberFn member);
OVSTORE_API void ParseCppEvent(const char* declaration, SignatureRep& sig);
