// Creating references (prototypes, instances, copies) and streaming references and cells.
#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/field_array.h"
#include "store/groups.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

// --- instances and copies --------------------------------------------------------------

namespace {

// The native copy protocol: clone, copies of the embedded objects, construct, attach.
void CopyNative(InterObjRep* src, InterObjRep* dst, unsigned char module) {
  IInterObj* sn = src->ROCDataPtr(0);
  IInterObj* dn = dst->ROCDataPtr(0);
  if (dn && sn) dn->clone(*sn);
  StoreCopyEmbeds(src, dst);
  if (dn && sn) dn->construct(*sn);
  if (dn) dn->attach(module);
}

// The source's own fields and events, through their module form (fields without one,
// such as compiled members, stay with the class).
void copyOwnMembers(InterObjRep* src, InterObjRep* dst) {
  SignatureRep* from = src->signature();
  for (int i = 0; i < from->fieldCount(); ++i) {
    Field* f = from->field(i);
    if (!f->streamTag()) continue;
    OCLStream mem;
    Field::WriteField(*f, mem);
    mem.seekTo(0);
    dst->signature()->addField(Field::ReadField(mem), nullptr, 0);
  }
  for (int i = 0; i < from->eventCount(); ++i) {
    EventDef* e = from->eventDef(i);
    dst->signature()->addEventDef(new EventDef(e->name(), e->kind(), e->paramText(), e->flag()));
  }
}

}  // namespace

Faultp<InterObjRep> StoreNewInstance(InterObjRep* proto, unsigned char module, const char* name) {
  Faultp<InterObjRep> obj(new InterObjRep(proto, name, module), tPrimaryReference);
  if (proto) {
    if (IInterObj* n = ObjectStore::CreateNative(proto)) obj->attachNative(n);
    CopyNative(proto, obj.get(), module);
  }
  return obj;
}

void StoreCopyEmbeds(InterObjRep* src, InterObjRep* dst) {
  for (int i = 0; i < src->numEmbeds(); ++i) {
    InterObjRep* child = src->embed(i);
    if (child->hasName() && dst->findEmbed(child->name())) continue;
    Faultp<InterObjRep> copy = child->copy(child->name(), dst->module());
    dst->addEmbed(copy.get(), child->containingField());
  }
}

Faultp<InterObjRep> InterObjRep::copy(const char* name, unsigned char module) {
  Faultp<InterObjRep> obj(new InterObjRep(parent_, name, module), tPrimaryReference);
  obj->flags_ |= kFlagClone;
  obj->progId_ = progId_;
  obj->dll_ = dll_;
  obj->acl_ = acl_;
  copyOwnMembers(this, obj.get());
  obj->copyValuesFrom(this);
  if (native_)
    if (IInterObj* n = ObjectStore::CreateNative(this)) obj->attachNative(n);
  CopyNative(this, obj.get(), module);
  return obj;
}

// --- creating references ------------------------------------------------------------------

IndirectInterObj::IndirectInterObj(const char* progId, const char* name, InterObjRep* parent,
                                   AccessControlRep* acl, tInterObjType) {
  if (InterObjRep* existing = ObjectStore::find(name)) {
    set(existing, tUncountedIndirectReference);
    return;
  }
  unsigned char m = ObjectStore::OpenModule();
  Faultp<InterObjRep> obj(new InterObjRep(parent, name, m), tPrimaryReference);
  obj->setFlag(InterObjRep::kFlagPrototype, true);
  obj->setProgId(progId, ObjectStore::PublishingDLL());
  obj->setAccessControl(acl);
  ObjectStore::AddToModule(obj.get(), m);
  obj->setKind(InterObjRep::kKindClass);
  set(obj.get(), tUncountedIndirectReference);
  // The class's own native object stands for the prototype and defines its fields. A
  // class that cannot be made leaves no prototype behind.
  IInterObj* n = nullptr;
  try {
    n = ObjectStore::CreateNative(obj.get());
  } catch (...) {
    clear();
    obj->Destroy();
    throw;
  }
  if (!n) return;
  obj->attachNative(n);
  SignatureRep* sig = obj->signature();
  if (parent && parent->ROCDataPtr(0)) sig->makeCompBase();
  if (!sig->isCompFieldsDefined()) {
    try {
      n->PO_DefineFields(*sig);
    } catch (StoreException& e) {
      StoreApplication::HandleException(e);
    }
    sig->setCompFieldsDefined(true);
    if (SignatureRep* base = sig->getCompBase()) base->setCompFieldsDefined(true);
  }
  n->attach(m);
}

PrimInterObj::PrimInterObj(InterObjRep* proto, unsigned char module, tInterObjType) {
  Faultp<InterObjRep> obj = StoreNewInstance(proto, module, "");
  set(obj.get(), tPrimaryReference);
}

PrimInterObj::PrimInterObj(InterObjRep* parent, const char* name, tInterObjType type) {
  unsigned char m = ObjectStore::OpenModule();
  if (name && *name && ObjectStore::find(name))
    throw StoreException(std::string("The name '") + name + "' is already used.");
  Faultp<InterObjRep> obj = (type == 1 && parent) ? parent->copy(name, m) : StoreNewInstance(parent, m, name);
  ObjectStore::AddToModule(obj.get(), m);
  set(obj.get(), tPrimaryReference);
}

PrimInterObj::PrimInterObj(const char* name, AccessControlRep* acl, tInterObjType) {
  unsigned char m = ObjectStore::OpenModule();
  if (name && *name && ObjectStore::find(name))
    throw StoreException(std::string("The name '") + name + "' is already used.");
  Faultp<InterObjRep> obj(new InterObjRep(nullptr, name, m), tPrimaryReference);
  obj->setAccessControl(acl);
  ObjectStore::AddToModule(obj.get(), m);
  set(obj.get(), tPrimaryReference);
}

// --- reference and cell streaming -------------------------------------------------------------

// Tag byte: low nibble 0 null, 1 slot of the module being loaded (ULONG index follows),
// 2 by name (module byte and full name follow); high nibble the reference kind.
void FaultpStreamWrite(const InterObjRep* p, unsigned char kind, OCLStream& s) {
  UCHAR k = (UCHAR)((kind & 0x0F) << 4);
  if (!p || p->isDestroyed()) {
    s.write((UCHAR)0);
    return;
  }
  unsigned char saving = ObjectStore::SavingModule();
  if (saving != ObjectStore::kAllModules && p->isStaticObj() && p->module() == saving) {
    s.write((UCHAR)(1 | k));
    s.write((ULONG)p->objectIndex());
    return;
  }
  std::string full = p->fullName();
  if (full.empty()) {
    s.write((UCHAR)0);  // an unnamed object of no saved module cannot be found again
    return;
  }
  s.write((UCHAR)(2 | k));
  s.write((UCHAR)p->module());
  s.write(full.c_str());
}

void FaultpStreamRead(OCLStream& s, unsigned char module, InterObjRep*& p, unsigned char& kind) {
  UCHAR tag = 0;
  s.read(&tag);
  p = nullptr;
  kind = (unsigned char)((tag >> 4) & 0x0F);
  if (kind > tUncountedIndirectReference) kind = tIndirectReference;
  switch (tag & 0x0F) {
    case 0:
      return;
    case 1: {
      ULONG index = 0;
      s.read(&index);
      if (index < (ULONG)ObjectStore::ModuleSlotCount(module))
        p = ObjectStore::ModuleSlot(module, (int)index);
      return;
    }
    case 2: {
      UCHAR m = 0;
      s.read(&m);
      char* name = nullptr;
      s.read(&name);
      p = name ? ObjectStore::find(name) : nullptr;
      delete[] name;
      return;
    }
    default:
      throw StoreException("Bad object reference in stream.");
  }
}

void WriteCell(OCLStream& s, const ValueCell& c) {
  s.write((UCHAR)c.type);
  switch (c.type) {
    case kTypeShort:
      s.write((USHORT)c.s);
      break;
    case kTypeLong:
      s.write((ULONG)c.l);
      break;
    case kTypeFloat:
      s.write(c.f);
      break;
    case kTypeDouble:
      s.write(c.d);
      break;
    case kTypeCurrency:
      s.write(&c.cy, 8);
      break;
    case kTypeString:
      s.write((ULONG)c.textLength());
      s.write(c.text(), (ULONG)c.textLength());
      break;
    case kTypeObject:
      FaultpStreamWrite(c.obj.rep, tIndirectReference, s);
      break;
    default:
      break;
  }
}

void ReadCell(OCLStream& s, ValueCell& c, unsigned char module) {
  UCHAR t = 0;
  s.read(&t);
  switch (t) {
    case kTypeShort: {
      USHORT v = 0;
      s.read(&v);
      c.setShort((int16_t)v);
      break;
    }
    case kTypeLong: {
      ULONG v = 0;
      s.read(&v);
      c.setLong((int32_t)v);
      break;
    }
    case kTypeFloat: {
      float v = 0;
      s.read(&v);
      c.setFloat(v);
      break;
    }
    case kTypeDouble: {
      double v = 0;
      s.read(&v);
      c.setDouble(v);
      break;
    }
    case kTypeCurrency: {
      int64_t v = 0;
      s.read(&v, 8);
      c.setCurrency(Currency::fromRaw(v));
      break;
    }
    case kTypeString: {
      ULONG n = 0;
      s.read(&n);
      s.checkCount(n, 1, "a string");
      ValStringRep* rep = ValStringRep::makeBuffer(n);
      c.setString(rep);  // the cell owns it before a short read can throw
      if (n) s.read(rep->buffer(), n);
      break;
    }
    case kTypeObject: {
      InterObjRep* p = nullptr;
      unsigned char kind = 0;
      FaultpStreamRead(s, module, p, kind);
      if (p)
        c.setObject(p);
      else
        c.setNothing();
      break;
    }
    case kTypeNone:
    case kTypeNoValue:
      c.clear();
      c.type = t;
      break;
    default:
      // Any other type would take its payload for a counted pointer.
      throw StoreException("Stream data is damaged: unknown value type " + std::to_string(t) + ".");
  }
}
