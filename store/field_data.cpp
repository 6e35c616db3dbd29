// Data fields whose values the store keeps per object.
#include "store/field_data.h"

#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {
uint16_t ModeFlags(int mode) {
  switch (mode) {
    case 1:
      return Field::kConstant;
    case 2:
      return Field::kByValue;
    default:
      return 0;
  }
}
}  // namespace

// --- InterDataField -----------------------------------------------------------------

InterDataField* InterDataField::make(const char* name, unsigned char type, int mode, const char* className) {
  return new InterDataField(name, type, className, ModeFlags(mode));
}

InterDataField::InterDataField(const char* name, unsigned char type, const char* className, uint16_t flags)
    : DataField(name, type, className, flags) {}

void InterDataField::getCell(InterObjRep& self, ValueCell& out) {
  if (const ValueCell* c = self.findCell(this))
    out.copyFrom(*c);
  else
    StoreDefaultCell(out, typeCode_);
}

// Converts to the declared type (a Variant, type 0, keeps any value); objects only go
// into object fields.
void InterDataField::setCell(InterObjRep& self, const ValueCell& c) {
  unsigned char t = typeCode_ & 0x1F;
  ValueCellVar v;
  v.c.copyFrom(c);
  if (t == kTypeObject) {
    if (v.c.type != kTypeObject) throw TypeMismatch(name());
  } else if (t != kTypeNone) {
    if (v.c.type == kTypeObject) throw TypeMismatch(name());
    CellConvert(v.c, t);
  }
  self.makeOwnCell(this).copyFrom(v.c);
  self.changed();
}

Value* InterDataField::get(InterObjRep& self) {
  ValueCellVar c;
  getCell(self, c);
  return CountedResult(StoreValueFromCell(c.c));
}

void InterDataField::set(InterObjRep& self, const Value& v) {
  ValueCellVar c;
  const_cast<Value&>(v).getCell(c);
  setCell(self, c.c);
}

// --- InterEnumField -----------------------------------------------------------------

InterEnumField* InterEnumField::make(const char* name, EnumRep* e, int mode) {
  return new InterEnumField(name, e, ModeFlags(mode));
}

InterEnumField::InterEnumField(const char* name, EnumRep* e, uint16_t flags)
    : InterDataField(name, kTypeLong, "", flags), enum_(e) {}

// Takes a number, or the text of an entry.
void InterEnumField::setCell(InterObjRep& self, const ValueCell& c) {
  if (c.type == kTypeString && enum_) {
    int32_t v = 0;
    if (!enum_->valueOf(c.text(), v)) throw TypeMismatch(name());
    ValueCellVar n;
    n.c.setLong(v);
    InterDataField::setCell(self, n.c);
    return;
  }
  InterDataField::setCell(self, c);
}

bool InterEnumField::textValue(InterObjRep& self, RWCString& out) {
  ValueCellVar c;
  getCell(self, c);
  std::string line = "." + name_ + " = " + StoreEnumLiteral(enum_, CellToLong(c.c));
  out = RWCString(line.c_str());
  return true;
}

RWCString InterEnumField::declarationText(const InterObjRep*) const {
  std::string t = "Dim " + name_ + " As " + (enum_ ? enum_->name() : "Long");
  return RWCString(t.c_str());
}

void InterEnumField::writeDef(OCLStream& s) const {
  s.write(name_.c_str());
  s.write((USHORT)flags_);
  s.write((UCHAR)typeCode_);
  s.write(enum_ ? enum_->name() : "");
}

// --- object references ------------------------------------------------------------------

InterObjField* InterObjField::make(const char* name, const char* className, int mode) {
  return new InterObjField(name, className, ModeFlags(mode));
}

InterObjField::InterObjField(const char* name, const char* className, uint16_t flags)
    : InterDataField(name, kTypeObject, className, flags) {}

StrictInterObjField* StrictInterObjField::make(const char* name, const char* className, int mode) {
  return new StrictInterObjField(name, className, ModeFlags(mode));
}

StrictInterObjField::StrictInterObjField(const char* name, const char* className, uint16_t flags)
    : InterObjField(name, className, flags) {}

void StrictInterObjField::setCell(InterObjRep& self, const ValueCell& c) {
  if (c.type == kTypeObject && c.obj.rep) {
    InterObjRep* cls = TypeObj();
    if (!class_.empty() && (!cls || !c.obj.rep->canBeTreatedAs(cls))) throw TypeMismatch(name());
  }
  InterObjField::setCell(self, c);
}

// --- EmbedObjField -------------------------------------------------------------------

EmbedObjField* EmbedObjField::make(const char* name, const char* className) {
  return new EmbedObjField(name, className);
}

EmbedObjField* EmbedObjField::make(const char* name, InterObjRep* templateObj) {
  return new EmbedObjField(name, templateObj ? templateObj->name() : "");
}

EmbedObjField::EmbedObjField(const char* name, const char* className)
    : DataField(name, kTypeObject, className, kReadOnly) {}

InterObjRep* EmbedObjField::embeddedObject(InterObjRep& self) const {
  for (int i = 0; i < self.numEmbeds(); ++i)
    if (self.embed(i)->containingField() == this) return self.embed(i);
  // An instance whose embed came with a copy keeps the name.
  if (InterObjRep* e = self.findEmbed(name())) return e;
  return nullptr;
}

InterObjRep* EmbedObjField::makeEmbedded(InterObjRep& self) {
  if (InterObjRep* e = embeddedObject(self)) return e;
  // No class: a plain object of its own (a Type block without From).
  InterObjRep* proto = class_.empty() ? nullptr : ObjectStore::find(class_.c_str());
  if (!proto && !class_.empty()) throw NotFound(class_.c_str());
  Faultp<InterObjRep> obj = StoreNewInstance(proto, self.module(), name());
  self.addEmbed(obj.get(), this);
  return obj.get();
}

Value* EmbedObjField::get(InterObjRep& self) {
  InterObjRep* e = embeddedObject(self);
  return CountedResult<Value>(new DirectValue<InterObj, kTypeObject>(InterObj(e)));
}

void EmbedObjField::getCell(InterObjRep& self, ValueCell& out) {
  if (InterObjRep* e = embeddedObject(self))
    out.setObject(e);
  else
    out.setNothing();
}

void EmbedObjField::set(InterObjRep&, const Value&) {
  throw StoreException("'" + name_ + "' holds an embedded object and cannot be assigned to.");
}
