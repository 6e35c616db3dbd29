// InterObjRep: members, events and evaluation by name.
#include <string>

#include "interobj_util.h"
#include "store/field.h"
#include "store/field_data.h"
#include "store/groups.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {

// Takes over an argument list for the length of a call: a list nobody counts goes when
// the call ends; a counted one stays with its holders.
class ArgsHold {
 public:
  explicit ArgsHold(ValueList* l) : l_(l) {
    if (l_) l_->ref();
  }
  ~ArgsHold() {
    if (l_) l_->unref();
  }

 private:
  ValueList* l_;
};

// Brackets a handler's run for the busy watchdog.
class BusySpan {
 public:
  BusySpan() { StoreApplication::SignalBusy(); }
  ~BusySpan() { StoreApplication::SignalNotBusy(); }
};

void Annotate(StoreException& e, const InterObjRep* obj, const char* member) {
  if (e.objectName().empty() && obj) e.setObjectName(obj->name());
  if (e.memberName().empty() && member) e.setMemberName(member);
}

}  // namespace

// --- members ------------------------------------------------------------------------------

Field* InterObjRep::findField(const char* name) const { return sig_ ? sig_->findField(name) : nullptr; }

int InterObjRep::definesField(const char* name) const { return sig_ && sig_->findOwnField(name) ? 1 : 0; }

InterObjRep* InterObjRep::findDefiningObject(const char* name) const {
  for (const InterObjRep* o = this; o; o = o->parent_)
    if (o->definesField(name)) return const_cast<InterObjRep*>(o);
  return nullptr;
}

void InterObjRep::addField(Field* field, Value* initial, int flags) {
  sig_->addField(field, initial, flags);
  if (field->isEmbedObjField() && !StoreLoadingModule())
    static_cast<EmbedObjField*>(field)->makeEmbedded(*this);
}

void InterObjRep::removeField(const char* name) {
  Field* f = sig_->findOwnField(name);
  if (!f) throw NotFound(name);
  if (f->isEmbedObjField())
    if (InterObjRep* e = static_cast<EmbedObjField*>(f)->embeddedObject(*this)) e->Destroy();
  sig_->removeField(name);
}

void InterObjRep::renameField(const char* oldName, const char* newName) {
  sig_->renameField(oldName, newName);
}

int InterObjRep::canAddMember(const char* name) const {
  if (!name || !*name) return 0;
  return findField(name) == nullptr || (findField(name)->isMethod() && !definesField(name));
}

int InterObjRep::canDeleteMember(const char* name) const {
  Field* f = sig_->findOwnField(name);
  return f && !f->isCompiled();
}

void InterObjRep::addEventDef(EventDef* def) { sig_->addEventDef(def); }

EventDef* InterObjRep::findEventDef(const char* name, InterObjRep** owner) const {
  SignatureRep* holder = nullptr;
  EventDef* e = sig_->findEventDef(name, &holder);
  if (owner) {
    while (holder && holder->owner()) holder = holder->owner();
    *owner = holder ? holder->protoObject() : nullptr;
  }
  return e;
}

void InterObjRep::removeEventDef(const char* name) {
  if (!sig_->removeEventDef(name)) throw NotFound(name);
}

int InterObjRep::getLocalEventCount() const { return sig_->eventCount(); }

// --- events -------------------------------------------------------------------------------

std::string InterObjRep::constructEventName(const char* gadget, const char* event) {
  return std::string(gadget ? gadget : "") + "_" + (event ? event : "");
}

MethodField* InterObjRep::findEventHandler(const char* event, InterObjRep** where) const {
  if (hasName()) {
    std::string handler = constructEventName(name(), event);
    for (InterObjRep* c = container_; c; c = c->container_) {
      Field* f = c->findField(handler.c_str());
      if (f && f->isMethod()) {
        if (where) *where = c;
        return static_cast<MethodField*>(f);
      }
    }
  }
  Field* f = findField(event);
  if (f && f->isMethod()) {
    if (where) *where = const_cast<InterObjRep*>(this);
    return static_cast<MethodField*>(f);
  }
  if (where) *where = nullptr;
  return nullptr;
}

namespace {
// Runs the handler m on where with args; the handler's value, or null.
Value* RunHandler(MethodField* m, InterObjRep* where, ValueList* args) {
  Faultp<InterObjRep> keep(where);
  BusySpan busy;
  try {
    return m->invoke(*where, args, 0);
  } catch (StoreException& e) {
    Annotate(e, where, m->name());
    throw;
  }
}
}  // namespace

int InterObjRep::evalIEvent(const char* event, ValueList* args, int flag) {
  ArgsHold hold(args);
  InterObjRep* where = nullptr;
  MethodField* m = findEventHandler(event, &where);
  if (!m && flag && native_) {
    InterObjRep* w = nullptr;
    if (native_->extFindEventHandler(event, w) && w) {
      Field* f = w->findField(event);
      if (f && f->isMethod()) {
        m = static_cast<MethodField*>(f);
        where = w;
      }
    }
  }
  if (!m) return 0;
  if (Value* result = RunHandler(m, where, args)) result->unref();
  return 1;
}

int InterObjRep::evalIEvent_NoThrow(const char* event, ValueList* args, int flag) {
  try {
    return evalIEvent(event, args, flag);
  } catch (StoreException& e) {
    StoreApplication::HandleException(e);
    return 0;
  }
}

int InterObjRep::evalIEvent_Return(const char* event, ValueList* args, Value*& result) {
  result = nullptr;
  ArgsHold hold(args);
  InterObjRep* where = nullptr;
  MethodField* m = findEventHandler(event, &where);
  if (!m) return 0;
  result = RunHandler(m, where, args);
  return 1;
}

// --- evaluation by name -------------------------------------------------------------------

Value* InterObjRep::evalIMember(const char* name, const ValueList* args, int* found, int flags) {
  Faultp<InterObjRep> keep(this);
  Field* f = findField(name);
  if (f) {
    if (found) *found = 1;
    try {
      if (f->isMethod())
        return static_cast<MethodField*>(f)->invoke(*this, const_cast<ValueList*>(args), flags);
      return f->evaluate(*this, args);
    } catch (StoreException& e) {
      Annotate(e, this, name);
      throw;
    }
  }
  if (!(flags & kEvalNoExt) && native_) {
    int fnd = 0;
    Value* v = native_->eval(name, kEvalCall, args, &fnd);
    if (fnd) {
      if (found) *found = 1;
      return v;
    }
  }
  if (found) *found = 0;
  if (found || (flags & kEvalQuiet)) return nullptr;
  NotFound e(name);
  Annotate(e, this, name);
  throw e;
}

Value* InterObjRep::evalIMember(const char* name, long arg, int* found, int flags) {
  ValueList* l = new ValueList;
  ArgsHold hold(l);
  l->ppush(new DirectValue<long, kTypeLong>(arg));
  return evalIMember(name, l, found, flags);
}

Value* InterObjRep::eval(const char* name, unsigned char kind, const ValueList* args, SignatureRep* sig,
                         int* found) {
  Faultp<InterObjRep> keep(this);
  Field* f = sig ? sig->findField(name) : findField(name);
  if (!f) {
    int fnd = 0;
    Value* v = native_ ? native_->eval(name, kind, args, &fnd) : nullptr;
    if (found) *found = fnd;
    return v;
  }
  if (found) *found = 1;
  try {
    if (kind == kEvalSet) {
      for (const InterObjRep* o = this; o; o = o->parent_)
        if (o->acl_) {
          if (!o->acl_->allows(this, f, 1)) throw AccessDenied(name);
          break;
        }
      if (!args || args->entries() == 0)
        throw StoreException(std::string("No value to assign to '") + name + "'.");
      int n = args->entries();
      ValueList idx;
      for (int i = 0; i + 1 < n; ++i) idx.ppush((*args)[i]);
      f->assign(*this, &idx, *(*args)[n - 1]);
      return nullptr;
    }
    if (f->isMethod()) return static_cast<MethodField*>(f)->invoke(*this, const_cast<ValueList*>(args), 0);
    return f->evaluate(*this, args);
  } catch (StoreException& e) {
    Annotate(e, this, name);
    throw;
  }
}

void InterObjRep::deepDataMemberSet(const char* name, const Value& v) {
  Field* f = findField(name);
  if (!f || !f->isData()) throw NotFound(name);
  static_cast<DataField*>(f)->set(*this, v);
}
