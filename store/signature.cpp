// SignatureRep: own fields and events of an object, with the collision rules.
#include "store/signature.h"

#include "interobj_util.h"
#include "store/field.h"
#include "store/interobj.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

uint32_t g_generation = 1;

uint32_t SignatureRep::Generation() { return g_generation; }
void SignatureRep::BumpGeneration() { ++g_generation; }

SignatureRep::SignatureRep(InterObjRep* obj) : obj_(obj) {}

// Runs when the object is freed: its descendants (which count it) are gone, so no other
// object keeps values for these fields.
SignatureRep::~SignatureRep() {
  BumpGeneration();
  for (Field* f : fields_) delete f;
  for (EventDef* e : events_) delete e;
  delete compBase_;
}

SignatureRep* SignatureRep::parent() const {
  if (owner_) return nullptr;
  InterObjRep* p = obj_ ? obj_->parent() : nullptr;
  return p ? p->signature() : nullptr;
}

SignatureRep* SignatureRep::makeCompBase() {
  if (!compBase_) {
    compBase_ = new SignatureRep(obj_);
    compBase_->owner_ = this;
  }
  return compBase_;
}

Field* SignatureRep::findOwnField(const char* name) const {
  for (Field* f : fields_)
    if (StrEqualNoCase(f->name(), name)) return f;
  return compBase_ ? compBase_->findOwnField(name) : nullptr;
}

Field* SignatureRep::findField(const char* name) const {
  for (const SignatureRep* s = this; s; s = s->parent())
    if (Field* f = s->findOwnField(name)) return f;
  return nullptr;
}

void SignatureRep::checkCollision(const Field* field, const char* name) const {
  for (Field* f : fields_)
    if (f != field && StrEqualNoCase(f->name(), name)) throw CollisionOnSelf(name);
  if (field->isCompiled()) return;  // compiled members shadow inherited ones
  Field* inherited = compBase_ ? compBase_->findOwnField(name) : nullptr;
  if (!inherited && parent()) inherited = parent()->findField(name);
  if (!inherited || inherited == field) return;
  if (field->isMethod() && inherited->isMethod()) return;  // an override
  if (field->isData() && inherited->isMethod()) throw DataMethodCollision(name);
  if (field->isMethod() && inherited->isData()) throw MethodDataCollision(name);
  if (field->typeCode() == inherited->typeCode() &&
      StrEqualNoCase(field->className(), inherited->className()))
    throw MatchingFieldCollision(name);
  throw CollisionOnParent(name);
}

void SignatureRep::addField(Field* field, Value* value, int) {
  UTILS_ASSERT(field);
  ValuePtr hold(value);  // the value is taken over
  try {
    checkCollision(field, field->name());
  } catch (...) {
    delete field;
    throw;
  }
  field->sig_ = this;
  fields_.push_back(field);
  BumpGeneration();
  if (value && obj_ && field->isData()) static_cast<DataField*>(field)->set(*obj_, *value);
  if (obj_ && !obj_->isDestroyed()) {
    obj_->changed();
    if (StoreApplication* app = StoreApplication::App()) app->NotifyFieldsChanged();
  }
}

bool SignatureRep::removeField(const char* name) {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (StrEqualNoCase(fields_[i]->name(), name)) {
      Field* f = fields_[i];
      fields_.erase(fields_.begin() + (long)i);
      BumpGeneration();
      StoreForgetField(f);
      delete f;
      if (obj_) obj_->changed();
      return true;
    }
  return false;
}

void SignatureRep::renameField(const char* oldName, const char* newName) {
  Field* f = nullptr;
  for (Field* g : fields_)
    if (StrEqualNoCase(g->name(), oldName)) f = g;
  if (!f) throw NotFound(oldName);
  checkCollision(f, newName);
  f->rename(newName);
  BumpGeneration();
  if (obj_) obj_->changed();
}

void SignatureRep::addEventDef(EventDef* def) {
  UTILS_ASSERT(def);
  if (findOwnEventDef(def->name())) {
    std::string n = def->name();
    delete def;
    throw CollisionOnSelf(n.c_str());
  }
  def->sig_ = this;
  events_.push_back(def);
  if (obj_) obj_->changed();
}

EventDef* SignatureRep::findOwnEventDef(const char* name) const {
  for (EventDef* e : events_)
    if (StrEqualNoCase(e->name(), name)) return e;
  return compBase_ ? compBase_->findOwnEventDef(name) : nullptr;
}

EventDef* SignatureRep::findEventDef(const char* name, SignatureRep** owner) const {
  for (const SignatureRep* s = this; s; s = s->parent())
    if (EventDef* e = s->findOwnEventDef(name)) {
      if (owner) *owner = e->signature();
      return e;
    }
  if (owner) *owner = nullptr;
  return nullptr;
}

bool SignatureRep::removeEventDef(const char* name) {
  for (size_t i = 0; i < events_.size(); ++i)
    if (StrEqualNoCase(events_[i]->name(), name)) {
      delete events_[i];
      events_.erase(events_.begin() + (long)i);
      if (obj_) obj_->changed();
      return true;
    }
  return false;
}
