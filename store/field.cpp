// Field, DataField, MethodField, EventDef: the common parts, and field streaming.
#include "store/field.h"

#include <map>
#include <memory>

#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"

Value* StoreValueFromCell(const ValueCell& c) {
  if (c.type == kTypeObject) return new DirectValue<InterObj, kTypeObject>(InterObj(c.obj.rep));
  return Value::FromCell(c);
}

void StoreCellFromValue(ValueCell& out, Value& v) { v.getCell(out); }

void StoreDefaultCell(ValueCell& c, unsigned char type) {
  switch (type & 0x1F) {
    case kTypeShort:
      c.setShort(0);
      break;
    case kTypeLong:
      c.setLong(0);
      break;
    case kTypeFloat:
      c.setFloat(0);
      break;
    case kTypeDouble:
      c.setDouble(0);
      break;
    case kTypeCurrency:
      c.setCurrency(Currency::fromRaw(0));
      break;
    case kTypeString:
      c.setString((ValStringRep*)nullptr);
      break;
    case kTypeObject:
      c.setNothing();
      break;
    default:
      c.clear();
      c.type = kTypeNoValue;
      break;
  }
}

std::string StoreCellLiteral(const ValueCell& c) {
  switch (c.type) {
    case kTypeString:
      return MakePrintableString(c.text());
    case kTypeObject: {
      if (!c.obj.rep) return "Nothing";
      std::string s = c.obj.rep->fullName();
      return s.empty() ? "Nothing" : s;
    }
    case kTypeNoValue:
    case kTypeNone:
      return "Empty";
    default:
      return CellToText(c);
  }
}

std::string StoreEnumLiteral(const EnumRep* e, int32_t value) {
  const char* text = e ? e->textOf(value) : nullptr;
  if (!text) return std::to_string(value);
  if (e == EnumRep::Boolean()) return text;  // Basic's own True and False
  return MakePrintableString(text);
}

// --- Field ----------------------------------------------------------------------------

Field::Field(const char* name, uint16_t flags) : name_(name ? name : ""), flags_(flags) {}
Field::~Field() {}

void Field::assign(InterObjRep&, const ValueList*, const Value&) {
  throw StoreException("'" + name_ + "' cannot be assigned to.");
}

bool Field::textValue(InterObjRep&, RWCString&) { return false; }

void Field::writeDef(OCLStream& s) const {
  s.write(name_.c_str());
  s.write((USHORT)flags_);
  s.write((UCHAR)typeCode());
  s.write(className());
}

namespace {
std::map<unsigned char, Field::Reader>& Readers() {
  static std::map<unsigned char, Field::Reader>* r = new std::map<unsigned char, Field::Reader>;
  return *r;
}
}  // namespace

std::string StoreReadText(OCLStream& s) {
  char* p = nullptr;
  s.read(&p);
  std::string t = p ? p : "";
  delete[] p;
  return t;
}

void Field::RegisterReader(unsigned char tag, Reader reader) { Readers()[tag] = reader; }

void Field::WriteField(const Field& f, OCLStream& s) {
  s.write((UCHAR)f.streamTag());
  f.writeDef(s);
}

// Built-in tags: 1 InterDataField, 2 InterEnumField, 3 InterObjField,
// 4 StrictInterObjField, 5 EmbedObjField, 6 arrays. Each starts with name and flags.
namespace {
// Fields nest through procedure arguments and results; a damaged stream may claim any depth.
const int kMaxFieldNesting = 32;
thread_local int t_fieldDepth = 0;

struct FieldDepth {
  FieldDepth() {
    if (++t_fieldDepth > kMaxFieldNesting) {
      --t_fieldDepth;
      throw StoreException("Stream data is damaged: field definitions are nested too deeply.");
    }
  }
  ~FieldDepth() { --t_fieldDepth; }
};
}  // namespace

Field* Field::ReadField(OCLStream& s) {
  FieldDepth depth;
  UCHAR tag = 0;
  s.read(&tag);
  if (tag >= 1 && tag <= 6) {
    std::string name = StoreReadText(s);
    USHORT flags = 0;
    s.read(&flags);
    UCHAR type = 0;
    s.read(&type);
    std::string cls = StoreReadText(s);
    Field* f = nullptr;
    switch (tag) {
      case 1:
        f = new InterDataField(name.c_str(), type, cls.c_str(), flags);
        break;
      case 2: {
        EnumRep* e = EnumRep::find(cls.c_str());
        if (!e) throw NotFound(cls.c_str());
        f = new InterEnumField(name.c_str(), e, flags);
        break;
      }
      case 3:
        f = new InterObjField(name.c_str(), cls.c_str(), flags);
        break;
      case 4:
        f = new StrictInterObjField(name.c_str(), cls.c_str(), flags);
        break;
      case 5:
        f = new EmbedObjField(name.c_str(), cls.c_str());
        f->setFieldFlags(flags);
        break;
      case 6: {
        std::unique_ptr<ArrayField> a(MakeArrayField(name.c_str(), type, cls.c_str(), flags));
        ULONG dims = 0;
        s.read(&dims);
        s.checkCount(dims, 8, "an array's dimension count");
        for (ULONG i = 0; i < dims; ++i) {
          ULONG lo = 0, hi = 0;
          s.read(&lo);
          s.read(&hi);
          a->defineDimen((int)i, (int32_t)lo, (int32_t)hi);
        }
        f = a.release();
        break;
      }
    }
    return f;
  }
  auto it = Readers().find(tag);
  if (it == Readers().end()) throw StoreException("Unknown field kind in module data.");
  return it->second(s, tag);
}

// --- DataField --------------------------------------------------------------------------

DataField::DataField(const char* name, unsigned char typeCode, const char* className, uint16_t flags)
    : Field(name, flags), typeCode_(typeCode), class_(className ? className : "") {}

RWCString DataField::declarationText(const InterObjRep*) const {
  std::string t = hasFlag(kConstant) ? "Const " : "Dim ";
  t += name_;
  t += " As ";
  if ((typeCode_ & 0x1F) == kTypeObject && !class_.empty())
    t += class_;
  else
    t += IdTypeString(typeCode_ & 0x1F).string();
  return RWCString(t.c_str());
}

void DataField::DefaultCell(ValueCell& c, unsigned char type) { StoreDefaultCell(c, type); }

InterObjRep* DataField::TypeObj() const {
  if ((typeCode_ & 0x1F) != kTypeObject || class_.empty()) return nullptr;
  return ObjectStore::find(class_.c_str());
}

void DataField::getCell(InterObjRep& self, ValueCell& out) {
  ValuePtr v;
  v.adopt(get(self));
  if (v)
    v->getCell(out);
  else
    StoreDefaultCell(out, typeCode_);
}

void DataField::setCell(InterObjRep& self, const ValueCell& c) {
  ValuePtr v(StoreValueFromCell(c));
  set(self, *v);
}

Value* DataField::evaluate(InterObjRep& self, const ValueList* args) {
  if (args && args->entries() > 0) {
    // obj.Prop(args): the property's value called with the arguments.
    ValuePtr v;
    v.adopt(get(self));
    if (!v) return nullptr;
    return v->eval(args);
  }
  return get(self);
}

void DataField::assign(InterObjRep& self, const ValueList*, const Value& v) {
  if (hasFlag(kConstant)) throw StoreException("'" + name_ + "' is a constant and cannot be assigned to.");
  set(self, v);
}

bool DataField::textValue(InterObjRep& self, RWCString& out) {
  ValueCellVar c;
  getCell(self, c);
  std::string line = "." + name_ + " = " + StoreCellLiteral(c.c);
  out = RWCString(line.c_str());
  return true;
}

// --- MethodField -------------------------------------------------------------------------

MethodField::MethodField(const char* name, unsigned char resultType, const char* className, uint16_t flags)
    : Field(name, flags), resultType_(resultType), class_(className ? className : "") {}

Value* MethodField::evaluate(InterObjRep& self, const ValueList* args) {
  return invoke(self, const_cast<ValueList*>(args), 0);
}

// --- EventDef ------------------------------------------------------------------------------

EventDef::EventDef(const char* name, int kind, const char* paramText, int flag)
    : name_(name ? name : ""), kind_(kind), params_(paramText ? paramText : "()"), flag_(flag) {}
