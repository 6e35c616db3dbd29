// Iterators over objects, fields and events (snapshots checked against the live set).
#include "store/interobjiter.h"

#include "interobj_util.h"
#include "objectstore_modules.h"
#include "store/field.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"

InterObjRep* InterObjSnapshotIterator::operator()() {
  while (pos_ < items_.size()) {
    InterObjRep* o = items_[pos_++];
    if (StoreObjectIsLive(o) && !o->isDestroyed()) return cur_ = o;
  }
  return cur_ = nullptr;
}

StaticObjectsIterator::StaticObjectsIterator(unsigned char m) { reset(m); }

void StaticObjectsIterator::reset(unsigned char m) {
  items_.clear();
  rewind();
  for (int i = 0; i < 256; ++i) {
    if (m != ObjectStore::kAllModules && i != m) continue;
    ModuleRec* r = i == ObjectStore::kTempModule ? StoreModule(ObjectStore::kTempModule) : g_modules[i];
    if (!r) continue;
    for (InterObjRep* o : r->slots)
      if (o) items_.push_back(o);
  }
}

DynamicObjectsIterator::DynamicObjectsIterator(unsigned char m) {
  std::vector<InterObjRep*> all;
  StoreLiveObjects(all);
  for (InterObjRep* o : all)
    if (o->module() == m && !o->isStaticObj()) items_.push_back(o);
}

AllObjectsIterator::AllObjectsIterator() { StoreLiveObjects(items_); }

namespace {
void Collect(InterObjRep* o, void* data) { static_cast<std::vector<InterObjRep*>*>(data)->push_back(o); }
}  // namespace

InterObjChildIterator::InterObjChildIterator(InterObjRep* obj, int recurse) {
  if (!obj) return;
  if (recurse)
    obj->forProgeny(&Collect, &items_);
  else
    for (int i = 0; i < obj->numChildren(); ++i) items_.push_back(obj->child(i));
}

InterObjEmbedIterator::InterObjEmbedIterator(InterObjRep* obj) {
  if (!obj) return;
  for (int i = 0; i < obj->numEmbeds(); ++i) items_.push_back(obj->embed(i));
}

SignatureFieldIterator::SignatureFieldIterator(const SignatureRep* sig, int inherited) {
  for (const SignatureRep* s = sig; s; s = inherited ? s->parent() : nullptr)
    for (const SignatureRep* part = s; part; part = part->getCompBase())
      for (int i = 0; i < part->fieldCount(); ++i) items_.push_back({s, part->field(i)});
}

Field* SignatureFieldIterator::operator()() {
  if (pos_ >= items_.size()) return nullptr;
  holder_ = items_[pos_].first;
  return items_[pos_++].second;
}

EventDefIterator::EventDefIterator(const SignatureRep* sig, int inherited) {
  for (const SignatureRep* s = sig; s; s = inherited ? s->parent() : nullptr)
    for (const SignatureRep* part = s; part; part = part->getCompBase())
      for (int i = 0; i < part->eventCount(); ++i) items_.push_back(part->eventDef(i));
}

EventDef* EventDefIterator::operator()() { return pos_ < items_.size() ? items_[pos_++] : nullptr; }
