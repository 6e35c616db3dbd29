// Compiled fields: native getters, setters, data members and methods.
#include "store/field_comp.h"

#include <windows.h>

#include "interobj_util.h"
#include "interp.h"
#include "parserlink.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/signature.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {

IInterObj* NativeOf(InterObjRep& self, const Field& f) {
  IInterObj* n = self.ROCDataPtr(0);
  if (!n)
    throw StoreException(std::string("Object '") + self.name() + "' has no native part for '" + f.name() +
                         "'.");
  return n;
}

DynKind ResultKind(unsigned char type) {
  switch (type & 0x1F) {
    case 0:
      return kDynVoid;
    case kTypeFloat:
      return kDynFloat;
    case kTypeDouble:
      return kDynDouble;
    case kTypeCurrency:
      return kDynInt64;
    case kTypeString:
    case kTypeObject:
      return kDynPtr;
    default:
      return kDynInt32;
  }
}

// The cell for a native result of type.
void CellFromResult(ValueCell& out, unsigned char type, const DynValue& r) {
  switch (type & 0x1F) {
    case kTypeShort:
      out.setShort((int16_t)r.i32);
      break;
    case kTypeFloat:
      out.setFloat(r.f);
      break;
    case kTypeDouble:
      out.setDouble(r.d);
      break;
    case kTypeCurrency:
      out.setCurrency(Currency::fromRaw(r.i64));
      break;
    case kTypeString:
      out.setString(static_cast<ValStringRep*>(r.p));
      break;
    case kTypeObject:
      if (r.p)
        out.setObject(static_cast<InterObjRep*>(r.p));
      else
        out.setNothing();
      break;
    default:
      out.setLong(r.i32);
      break;
  }
}

// The enumeration a declared type names: a plain object type whose class name is an
// enumeration's (the store makes Boolean on first use).
EnumRep* DeclaredEnumeration(unsigned char type, const char* className) {
  if (type != kTypeObject || !className || !*className) return nullptr;
  EnumRep* e = EnumRep::find(className);
  if (!e && StrEqualNoCase(className, "Boolean")) e = EnumRep::Boolean();
  return e;
}

// An argument for an enumerated parameter: an entry's text or a number; a Boolean is
// -1 or 0 whatever non-zero number it was given.
int32_t EnumArgument(const ValueCell& c, const EnumRep* e) {
  int32_t n = 0;
  if (!(c.type == kTypeString && e->valueOf(c.text(), n))) n = CellToLong(c);
  if (e == EnumRep::Boolean()) n = n ? -1 : 0;
  return n;
}

// Adds a by-value argument of type from cell c; keep holds strings for the call.
void PushByValue(DynArgs& a, unsigned char type, const ValueCell& c, ValString& keep) {
  switch (type & 0x1F) {
    case kTypeShort:
      a.addInt32(CellToShort(c));
      break;
    case kTypeFloat:
      a.addFloat(CellToFloat(c));
      break;
    case kTypeDouble:
      a.addDouble(CellToDouble(c));
      break;
    case kTypeCurrency:
      a.addInt64(CellToCurrency(c).raw);
      break;
    case kTypeString:
      // The null string reaches the native side as a null pointer.
      if (c.type == kTypeString && !c.str) {
        a.addPtr(nullptr);
        break;
      }
      keep = CellToString(c);
      a.addPtr(keep.c_str());
      break;
    case kTypeObject:
      if (c.type != kTypeObject) throw TypeMismatch("native argument");
      a.addPtr(c.obj.rep);
      break;
    default:
      a.addInt32(CellToLong(c));
      break;
  }
}

}  // namespace

// --- CompProcDataField ------------------------------------------------------------------

CompProcDataField* CompProcDataField::make(const char* name, unsigned char type, MemberFn setter,
                                           MemberFn getter, const char* className) {
  return new CompProcDataField(name, type, setter, getter, className);
}

CompProcDataField::CompProcDataField(const char* name, unsigned char type, MemberFn setter, MemberFn getter,
                                     const char* className)
    : DataField(name, type, className ? className : "",
                (uint16_t)(kCompiled | (setter.isNull() ? kReadOnly : 0))),
      setter_(setter),
      getter_(getter) {}

Value* CompProcDataField::get(InterObjRep& self) {
  ValueCellVar c;
  getCell(self, c.c);
  return CountedResult(StoreValueFromCell(c.c));
}

void CompProcDataField::set(InterObjRep& self, const Value& v) {
  ValueCellVar c;
  const_cast<Value&>(v).getCell(c.c);
  setCell(self, c.c);
}

void CompProcDataField::getCell(InterObjRep& self, ValueCell& out) {
  if (getter_.isNull()) throw StoreException("Property '" + name_ + "' cannot be read.");
  IInterObj* n = NativeOf(self, *this);
  DynArgs none;
  DynValue r = DynCallMember(getter_.target(n), getter_.member(), none, ResultKind(typeCode_));
  CellFromResult(out, typeCode_, r);
}

void CompProcDataField::setCell(InterObjRep& self, const ValueCell& c) {
  if (setter_.isNull()) throw StoreException("Property '" + name_ + "' is read-only.");
  IInterObj* n = NativeOf(self, *this);
  DynArgs a;
  ValString keep;
  PushByValue(a, typeCode_, c, keep);
  DynCallMember(setter_.target(n), setter_.member(), a, kDynVoid);
}

// --- CompProcEnumField --------------------------------------------------------------------

CompProcEnumField* CompProcEnumField::make(const char* name, EnumRep* e, MemberFn setter, MemberFn getter) {
  return new CompProcEnumField(name, e, setter, getter);
}

CompProcEnumField::CompProcEnumField(const char* name, EnumRep* e, MemberFn setter, MemberFn getter)
    : CompProcDataField(name, kTypeLong, setter, getter, ""), enum_(e) {}

// Entry texts are accepted for numbers; Booleans reach the setter as -1 or 0.
void CompProcEnumField::setCell(InterObjRep& self, const ValueCell& c) {
  ValueCellVar v;
  int32_t n = 0;
  if (c.type == kTypeString && enum_ && enum_->valueOf(c.text(), n)) {
  } else {
    n = CellToLong(c);
  }
  if (enum_ && enum_ == EnumRep::Boolean()) n = n ? -1 : 0;
  v.c.setLong(n);
  CompProcDataField::setCell(self, v.c);
}

bool CompProcEnumField::textValue(InterObjRep& self, RWCString& out) {
  ValueCellVar c;
  getCell(self, c.c);
  std::string line = "." + name_ + " = " + StoreEnumLiteral(enum_, CellToLong(c.c));
  out = RWCString(line.c_str());
  return true;
}

// --- CompDataField ----------------------------------------------------------------------

CompDataField* CompDataField::make(const char* name, unsigned char type, size_t offset) {
  return new CompDataField(name, type, offset);
}

CompDataField::CompDataField(const char* name, unsigned char type, size_t offset)
    : DataField(name, type == kByteAsLong ? (unsigned char)kTypeLong : type, "", kCompiled),
      storeType_(type),
      offset_(offset) {}

namespace {
char* FieldAddress(InterObjRep& self, const Field& f, size_t offset) {
  IInterObj* n = NativeOf(self, f);
  return static_cast<char*>(dynamic_cast<void*>(n)) + offset;
}
}  // namespace

void CompDataField::getCell(InterObjRep& self, ValueCell& out) {
  char* p = FieldAddress(self, *this, offset_);
  switch (storeType_) {
    case kTypeShort:
      out.setShort(*reinterpret_cast<int16_t*>(p));
      break;
    case kTypeLong:
      out.setLong(*reinterpret_cast<int32_t*>(p));
      break;
    case kTypeFloat:
      out.setFloat(*reinterpret_cast<float*>(p));
      break;
    case kTypeDouble:
      out.setDouble(*reinterpret_cast<double*>(p));
      break;
    case kByteAsLong:
      out.setLong(*reinterpret_cast<uint8_t*>(p));
      break;
    default:
      throw TypeMismatch(name());
  }
}

void CompDataField::setCell(InterObjRep& self, const ValueCell& c) {
  char* p = FieldAddress(self, *this, offset_);
  switch (storeType_) {
    case kTypeShort:
      *reinterpret_cast<int16_t*>(p) = CellToShort(c);
      break;
    case kTypeLong:
      *reinterpret_cast<int32_t*>(p) = CellToLong(c);
      break;
    case kTypeFloat:
      *reinterpret_cast<float*>(p) = CellToFloat(c);
      break;
    case kTypeDouble:
      *reinterpret_cast<double*>(p) = CellToDouble(c);
      break;
    case kByteAsLong:
      *reinterpret_cast<uint8_t*>(p) = (uint8_t)CellToLong(c);
      break;
    default:
      throw TypeMismatch(name());
  }
  self.changed();
}

Value* CompDataField::get(InterObjRep& self) {
  ValueCellVar c;
  getCell(self, c.c);
  return CountedResult(StoreValueFromCell(c.c));
}

void CompDataField::set(InterObjRep& self, const Value& v) {
  ValueCellVar c;
  const_cast<Value&>(v).getCell(c.c);
  setCell(self, c.c);
}

// --- array arguments ---------------------------------------------------------------------

unsigned char NativeArray::elementType() const { return data_ ? data_->elementType() : 0; }

int NativeArray::dimensions() const { return data_ ? (int)data_->bounds().size() : 0; }

namespace {
const ArrayBound& BoundOf(const ArrayData* d, int dim) {
  if (!d || dim < 0 || dim >= (int)d->bounds().size())
    throw StoreException("The array has no dimension " + std::to_string(dim + 1) + ".");
  return d->bounds()[(size_t)dim];
}
}  // namespace

int32_t NativeArray::lbound(int dim) const { return BoundOf(data_, dim).lower; }

int32_t NativeArray::ubound(int dim) const { return BoundOf(data_, dim).upper; }

int32_t NativeArray::count() const { return data_ ? data_->total() : 0; }

void NativeArray::element(int32_t index, ValueCell& out) const {
  if (!data_) throw StoreException("The array has no elements.");
  data_->getCell(data_->offsetOf1(index), out);
}

double NativeArray::number(int32_t index) const {
  unsigned char t = elementType();
  if (t < kTypeShort || t > kTypeCurrency) throw TypeMismatch("array element");
  ValueCellVar c;
  element(index, c.c);
  return CellToDouble(c.c);
}

// --- native methods ------------------------------------------------------------------------

CppProcField::CppProcField(const char* name, MemberFn member)
    : MethodField(name, 0, "", kCompiled), member_(member) {}

void CppProcField::addParam(const char* name, unsigned char type, bool byRef, const char* className) {
  EnumRep* e = DeclaredEnumeration(type, className);
  params_.push_back(
      ParamDecl{name ? name : "", e ? (unsigned char)kTypeLong : type, byRef, className ? className : "", e});
}

RWCString CppProcField::paramText() const {
  std::string t = "(";
  for (size_t i = 0; i < params_.size(); ++i) {
    const ParamDecl& p = params_[i];
    if (i) t += ", ";
    const bool array = IsArrayType(p.type);
    if (!p.byRef && !array) t += "ByVal ";
    t += p.name + (array ? "() As " : " As ");
    unsigned char et = ElementType(p.type);
    t += ((et == kTypeObject || p.enumeration) && !p.className.empty()) ? p.className
                                                                        : IdTypeString(et).string();
  }
  t += ")";
  return RWCString(t.c_str());
}

Value* CppProcField::invoke(InterObjRep& self, ValueList* args, int) {
  int given = args ? args->entries() : 0;
  if (given != (int)params_.size())
    throw StoreException("'" + name_ + "' takes " + std::to_string(params_.size()) + " argument(s), " +
                         std::to_string(given) + " given.");
  IInterObj* n = NativeOf(self, *this);
  size_t np = params_.size();
  // By-reference temporaries live here during the call.
  std::vector<ValueCell> refCells(np);
  std::vector<ValString> strings(np);
  std::vector<InterObj> objs(np);
  union Scalar {
    int16_t s;
    int32_t l;
    float f;
    double d;
    int64_t cy;
  };
  std::vector<Scalar> scalars(np);
  // Array arguments: the caller's array held for the call, and the view handed over.
  std::vector<ValueCellVar> arrayCells(np);
  std::vector<NativeArray> arrays(np);
  DynArgs a;
  for (size_t i = 0; i < np; ++i) {
    const ParamDecl& p = params_[i];
    ValueCellVar c;
    (*args)[(int)i]->getCell(c.c);
    unsigned char t = p.type & 0x1F;
    if (IsArrayType(p.type)) {
      // Only an array of the declared element type: the native side reads it as such.
      const ArrayData* d = CellArray(c.c);
      if (!d || d->elementType() != t) throw TypeMismatch(p.name.c_str());
      arrayCells[i].c.moveFrom(c.c);
      arrays[i] = NativeArray(d);
      a.addPtr(&arrays[i]);
      continue;
    }
    if (p.enumeration) {
      scalars[i].l = EnumArgument(c.c, p.enumeration);
      if (p.byRef)
        a.addPtr(&scalars[i].l);
      else
        a.addInt32(scalars[i].l);
      continue;
    }
    if (!p.byRef) {
      PushByValue(a, p.type, c.c, strings[i]);
      continue;
    }
    switch (t) {
      case kTypeShort:
        scalars[i].s = CellToShort(c.c);
        a.addPtr(&scalars[i].s);
        break;
      case kTypeFloat:
        scalars[i].f = CellToFloat(c.c);
        a.addPtr(&scalars[i].f);
        break;
      case kTypeDouble:
        scalars[i].d = CellToDouble(c.c);
        a.addPtr(&scalars[i].d);
        break;
      case kTypeCurrency:
        scalars[i].cy = CellToCurrency(c.c).raw;
        a.addPtr(&scalars[i].cy);
        break;
      case kTypeString:
        strings[i] = CellToString(c.c);
        a.addPtr(&strings[i]);
        break;
      case kTypeObject:
        if (c.c.type != kTypeObject) throw TypeMismatch(p.name.c_str());
        objs[i] = InterObj(c.c.obj.rep);
        a.addPtr(&objs[i]);
        break;
      default:
        scalars[i].l = CellToLong(c.c);
        a.addPtr(&scalars[i].l);
        break;
    }
  }
  DynValue r = DynCallMember(member_.target(n), member_.member(), a, ResultKind(resultType_));
  // Write by-reference results back through the caller's values (a Boolean as -1 or 0).
  for (size_t i = 0; i < np; ++i) {
    const ParamDecl& p = params_[i];
    if (!p.byRef || IsArrayType(p.type)) continue;  // an array was read in place
    if (p.enumeration == EnumRep::Boolean()) scalars[i].l = scalars[i].l ? -1 : 0;
    Value* v = (*args)[(int)i];
    switch (p.type & 0x1F) {
      case kTypeShort:
        v->set((short)scalars[i].s);
        break;
      case kTypeFloat:
        v->set(scalars[i].f);
        break;
      case kTypeDouble:
        v->set(scalars[i].d);
        break;
      case kTypeCurrency:
        v->set(Currency::fromRaw(scalars[i].cy));
        break;
      case kTypeString:
        v->set(strings[i]);
        break;
      case kTypeObject:
        v->set(objs[i]);
        break;
      default:
        v->set((long)scalars[i].l);
        break;
    }
  }
  if (!resultType_) return nullptr;
  ValueCellVar out;
  if (resultEnum_ == EnumRep::Boolean()) r.i32 = r.i32 ? -1 : 0;
  CellFromResult(out.c, resultType_, r);
  return CountedResult(StoreValueFromCell(out.c));
}

CppFuncField::CppFuncField(const char* name, MemberFn member, unsigned char returnType, const char* className)
    : CppProcField(name, member) {
  resultEnum_ = DeclaredEnumeration(returnType, className);
  resultType_ = resultEnum_ ? (unsigned char)kTypeLong : returnType;
  class_ = className ? className : "";
}

// --- declaration parsing through the parser library ------------------------------------------

namespace {
typedef void (*ParseFieldFn)(const char*, SignatureRep*, const MemberFn*);
typedef void (*ParseEventFn)(const char*, SignatureRep*);

}  // namespace

void ParseCppField(const char* declaration, SignatureRep& sig, MemberFn member) {
  auto fn = reinterpret_cast<ParseFieldFn>(ParserEntry("ParserParseCppField"));
  if (!fn)
    throw StoreException(std::string("The parser is not available to read '") +
                         (declaration ? declaration : "") + "'.");
  try {
    fn(declaration, &sig, &member);
  } catch (StoreException&) {
    throw;
  } catch (XAssert&) {
    throw;
  } catch (XException& e) {  // the parser's refusal, as a store error for PO_DefineFields
    throw StoreException(e.what());
  }
}

void ParseCppEvent(const char* declaration, SignatureRep& sig) {
  auto fn = reinterpret_cast<ParseEventFn>(ParserEntry("ParserParseCppEvent"));
  if (!fn)
    throw StoreException(std::string("The parser is not available to read '") +
                         (declaration ? declaration : "") + "'.");
  try {
    fn(declaration, &sig);
  } catch (StoreException&) {
    throw;
  } catch (XAssert&) {
    throw;
  } catch (XException& e) {
    throw StoreException(e.what());
  }
}
