// InterObjRep: identity, hierarchy, embedding, values and end of life.
#include "store/interobj.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "store/field_array.h"
#include "store/iinterobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/valuecell.h"
#include "store/value.h"
#include "interobj_util.h"

struct InterObjRep::Values {
  struct Slot {
    const DataField* field;
    ValueCell cell;
  };
  std::vector<Slot> cells;
  std::vector<std::pair<const ArrayField*, ArrayData*>> arrays;

  ~Values() {
    for (auto& s : cells) s.cell.clear();
    for (auto& a : arrays) delete a.second;
  }
};

namespace {

std::unordered_set<InterObjRep*>& Live() {
  static std::unordered_set<InterObjRep*>* live = new std::unordered_set<InterObjRep*>;
  return *live;
}

std::vector<InterObjRep*>& Condemned() {
  static std::vector<InterObjRep*>* list = new std::vector<InterObjRep*>;
  return *list;
}

}  // namespace

uint32_t g_cellLayout = 0;

bool StoreObjectIsLive(InterObjRep* obj) { return Live().count(obj) != 0; }
void StoreLiveObjects(std::vector<InterObjRep*>& out) { out.assign(Live().begin(), Live().end()); }

InterObjRep::InterObjRep(InterObjRep* parent, const char* name, unsigned char module)
    : descriptor_((uint32_t)module << kModuleShift), name_(name ? name : "") {
  sig_ = new SignatureRep(this);
  if (parent) setParent(parent);
  Live().insert(this);
}

InterObjRep::~InterObjRep() {
  Live().erase(this);
  if (parent_) {
    parent_->unlinkChild(this);
    parent_->unref();
    parent_ = nullptr;
  }
  for (InterObjRep* c : children_) c->parent_ = nullptr;  // cannot happen: children count us
  ++g_cellLayout;
  delete values_;
  delete sig_;
}

void InterObjRep::setParent(InterObjRep* p) {
  if (p == parent_) return;
  // A prototype chain that returns to this object would make every member search loop.
  for (InterObjRep* q = p; q; q = q->parent_)
    if (q == this)
      throw StoreException(std::string("The object '") + name() +
                           "' cannot be its own prototype, directly or through others.");
  SignatureRep::BumpGeneration();
  if (p) {
    p->ref();
    p->children_.push_back(this);
  }
  if (parent_) {
    parent_->unlinkChild(this);
    parent_->unref();
  }
  parent_ = p;
}

void InterObjRep::unlinkChild(InterObjRep* c) {
  auto it = std::find(children_.begin(), children_.end(), c);
  if (it != children_.end()) children_.erase(it);
}

void InterObjRep::setDescriptor(unsigned char module, uint32_t index) {
  descriptor_ = ((uint32_t)module << kModuleShift) | (index & kIndexMask);
}

void InterObjRep::setProgId(const char* p, const char* dll) {
  progId_ = p ? p : "";
  dll_ = dll ? dll : "";
}

// --- names ---------------------------------------------------------------------------

std::string InterObjRep::fullName() const {
  std::string full = name_;
  for (const InterObjRep* c = container_; c; c = c->container_) full = c->name_ + "." + full;
  return full;
}

const char* InterObjRep::rootname(int topLevel) const {
  const InterObjRep* o = this;
  if (topLevel) {
    while (o->container_) o = o->container_;
  } else {
    while (o->parent_) o = o->parent_;
  }
  return o->name_.c_str();
}

const char* InterObjRep::getDefiningDLL() const {
  for (const InterObjRep* o = this; o; o = o->parent_)
    if (!o->dll_.empty()) return o->dll_.c_str();
  return nullptr;
}

std::string InterObjRep::uniqueName(const char* pattern) const {
  std::string base = pattern && *pattern ? pattern : "Object";
  for (int n = 1;; ++n) {
    std::string candidate = base + std::to_string(n);
    bool used = container_ ? container_->findEmbed(candidate.c_str()) != nullptr
                           : ObjectStore::find(candidate.c_str()) != nullptr;
    if (!used) return candidate;
  }
}

void InterObjRep::renameObject(const char* newName) {
  std::string n = newName ? newName : "";
  ++g_cellLayout;
  if (StrEqualNoCase(n.c_str(), name_.c_str())) {
    name_ = n;
    return;
  }
  if (container_) {
    if (container_->findEmbed(n.c_str())) throw StoreException("The name '" + n + "' is already used.");
    name_ = n;
  } else if (isTopLevel()) {
    if (ObjectStore::find(n.c_str())) throw StoreException("The name '" + n + "' is already used.");
    ObjectStore::unregisterTopLevel(this);
    name_ = n;
    ObjectStore::registerTopLevel(this);
  } else {
    name_ = n;
  }
  changed();
  if (StoreApplication* app = StoreApplication::App()) app->NotifyObjectRenamed();
}

// --- hierarchy ----------------------------------------------------------------------

int InterObjRep::canBeTreatedAs(const InterObjRep* proto) const {
  if (!proto) return 0;
  for (const InterObjRep* o = this; o; o = o->parent_)
    if (o == proto) return 1;
  return 0;
}

int InterObjRep::depth() const {
  int d = 0;
  for (const InterObjRep* o = parent_; o; o = o->parent_) ++d;
  return d;
}

void InterObjRep::forProgeny(void (*fn)(InterObjRep*, void*), void* data) {
  std::vector<InterObjRep*> kids(children_);
  for (InterObjRep* c : kids) {
    if (!StoreObjectIsLive(c)) continue;
    fn(c, data);
    c->forProgeny(fn, data);
  }
}

InterObjRep* InterObjRep::findEmbed(const char* name) const {
  for (InterObjRep* e : embeds_)
    if (StrEqualNoCase(e->name(), name)) return e;
  return nullptr;
}

void InterObjRep::addEmbed(InterObjRep* child, const Field* field) {
  UTILS_ASSERT(child);
  if (child->container_ == this) return;
  // Embedding is a tree: no object holds itself, one of its holders, or its own prototype.
  for (InterObjRep* q = this; q; q = q->container_)
    if (q == child)
      throw StoreException(std::string("The object '") + child->name() +
                           "' cannot be embedded in itself, directly or through others.");
  for (InterObjRep* q = parent_; q; q = q->parent_)
    if (q == child)
      throw StoreException(std::string("The object '") + child->name() + "' is the prototype of '" + name() +
                           "' and cannot be embedded in it.");
  if (child->hasName() && findEmbed(child->name()))
    throw StoreException(std::string("The name '") + child->name() + "' is already used.");
  child->ref();
  if (child->container_) child->container_->removeEmbed(child);
  if (child->isTopLevel()) ObjectStore::unregisterTopLevel(child);
  ++g_cellLayout;
  embeds_.push_back(child);
  child->container_ = this;
  child->containerField_ = field;
  child->kind_ = kKindEmbedded;
  if (child->module() != module()) {
    ObjectStore::RemoveFromModule(child);
    child->setDescriptor(module(), 0);
  }
  if (isStaticObj() && !child->isStaticObj()) ObjectStore::AddToModule(child, module());
  if (child->native_) child->native_->embedded(this);
  changed();
}

void InterObjRep::removeEmbed(InterObjRep* child) {
  auto it = std::find(embeds_.begin(), embeds_.end(), child);
  if (it == embeds_.end()) return;
  ++g_cellLayout;
  embeds_.erase(it);
  child->container_ = nullptr;
  child->containerField_ = nullptr;
  if (child->kind_ == kKindEmbedded) child->kind_ = kKindPlain;
  if (child->native_) child->native_->unembedded(this);
  if (!isDestroyed()) changed();
  child->unref();
}

int InterObjRep::isContainedIn(const InterObjRep* other) const {
  for (const InterObjRep* c = container_; c; c = c->container_)
    if (c == other) return 1;
  return 0;
}

void InterObjRep::attachNative(IInterObj* native) {
  if (native_ == native) return;
  if (native_) {
    native_->setStoreObj(nullptr);
    native_->Release();
  }
  native_ = native;
  if (native_) native_->setStoreObj(this);
}

// --- values -------------------------------------------------------------------------

const ValueCell* InterObjRep::findCell(const DataField* field) const {
  for (const InterObjRep* o = this; o; o = o->parent_)
    if (ValueCell* c = o->ownCell(field)) return c;
  return nullptr;
}

ValueCell* InterObjRep::ownCell(const DataField* field) const {
  if (!values_) return nullptr;
  for (auto& s : values_->cells)
    if (s.field == field) return &s.cell;
  return nullptr;
}

ValueCell* InterObjRep::ownCellAt(const DataField* field, uint32_t& hint) const {
  if (!values_) return nullptr;
  auto& v = values_->cells;
  if (hint < v.size() && v[hint].field == field) return &v[hint].cell;
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].field == field) {
      hint = (uint32_t)i;
      return &v[i].cell;
    }
  return nullptr;
}

ValueCell& InterObjRep::makeOwnCellAt(const DataField* field, uint32_t& hint) {
  if (ValueCell* c = ownCellAt(field, hint)) return *c;
  ValueCell& c = makeOwnCell(field);
  hint = (uint32_t)values_->cells.size() - 1;
  return c;
}

ValueCell& InterObjRep::makeOwnCell(const DataField* field) {
  if (ValueCell* c = ownCell(field)) return *c;
  if (!values_) values_ = new Values;
  ++g_cellLayout;
  values_->cells.push_back(Values::Slot{field, ValueCell()});
  ValueCell& c = values_->cells.back().cell;
  c.init();
  return c;
}

void InterObjRep::dropOwnCell(const DataField* field) {
  if (!values_) return;
  auto& v = values_->cells;
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i].field == field) {
      ++g_cellLayout;
      v[i].cell.clear();
      v.erase(v.begin() + (long)i);
      return;
    }
}

ArrayData* InterObjRep::ownArray(const ArrayField* field) const {
  if (!values_) return nullptr;
  for (auto& a : values_->arrays)
    if (a.first == field) return a.second;
  return nullptr;
}

void InterObjRep::setOwnArray(const ArrayField* field, ArrayData* data) {
  if (!values_) values_ = new Values;
  for (auto& a : values_->arrays)
    if (a.first == field) {
      if (a.second != data) delete a.second;
      a.second = data;
      return;
    }
  values_->arrays.push_back({field, data});
}

// Values of src's own fields go to this object's fields of the same names (a copy has
// fields of its own); values of inherited fields keep their fields.
void InterObjRep::copyValuesFrom(const InterObjRep* src) {
  if (!src->values_) return;
  auto target = [&](const Field* f) -> const Field* {
    if (f->signature() != src->sig_) return f;
    return sig_->findOwnField(f->name());
  };
  for (const auto& slot : src->values_->cells)
    if (const Field* f = target(slot.field))
      makeOwnCell(static_cast<const DataField*>(f)).copyFrom(slot.cell);
  for (const auto& a : src->values_->arrays)
    if (const Field* f = target(a.first)) setOwnArray(static_cast<const ArrayField*>(f), a.second->clone());
}

// Forgets every value kept for field (on this object and all objects: the field is
// going away).
void StoreForgetField(const Field* field) {
  // Releasing a value can destroy objects (which leave the live set, and may be among the
  // ones still to visit) or create them: walk a snapshot, skip objects gone meanwhile,
  // and release what an object held only after its lists are no longer being walked.
  std::vector<InterObjRep*> objects(Live().begin(), Live().end());
  std::vector<ValueCellVar> cells;
  std::vector<ArrayData*> arrays;
  for (InterObjRep* o : objects) {
    if (!Live().count(o)) continue;
    InterObjRep::Values* v = o->values();
    if (!v) continue;
    for (size_t i = 0; i < v->cells.size();)
      if (v->cells[i].field == field) {
        ++g_cellLayout;
        cells.emplace_back();
        cells.back().c.moveFrom(v->cells[i].cell);
        v->cells.erase(v->cells.begin() + (long)i);
      } else {
        ++i;
      }
    for (size_t i = 0; i < v->arrays.size();)
      if (v->arrays[i].first == field) {
        arrays.push_back(v->arrays[i].second);
        v->arrays.erase(v->arrays.begin() + (long)i);
      } else {
        ++i;
      }
    cells.clear();
    for (ArrayData* a : arrays) delete a;
    arrays.clear();
  }
}

// --- change marking and end of life -----------------------------------------------------

void InterObjRep::changed() {
  flags_ |= kFlagDirty;
  unsigned char m = module();
  if (m != ObjectStore::kTempModule) ObjectStore::MarkModuleDirty(m);
}

void InterObjRep::convertToComponent(unsigned char m) {
  if (m == ObjectStore::kAllModules) m = ObjectStore::OpenModule();
  if (isStaticObj() && module() == m) return;
  ObjectStore::RemoveFromModule(this);
  ObjectStore::AddToModule(this, m);
}

void InterObjRep::Destroy() {
  if (isDestroyed()) return;
  ref();  // keeps the memory while the links are cut
  flags_ |= kFlagDestroyed;
  markDropped();  // uncounted references read null from now on
  auto& cond = Condemned();
  for (size_t i = 0; i < cond.size(); ++i)
    if (cond[i] == this) {
      cond.erase(cond.begin() + (long)i);
      unref();  // the condemned list's count
      break;
    }
  if (container_) container_->removeEmbed(this);
  if (isTopLevel()) ObjectStore::unregisterTopLevel(this);
  drop();
  ObjectStore::RemoveFromModule(this);  // may give up the module table's count
  unref();
}

void InterObjRep::drop() {
  flags_ |= kFlagDestroyed;
  if (native_) {
    IInterObj* n = native_;
    native_ = nullptr;
    try {
      n->destruct();
    } catch (StoreException& e) {
      StoreApplication::HandleException(e);
    }
    n->setStoreObj(nullptr);
    n->Release();
  }
  std::vector<InterObjRep*> kids;
  kids.swap(embeds_);
  for (InterObjRep* c : kids) {
    c->container_ = nullptr;
    c->Destroy();
    c->unref();
  }
  ++g_cellLayout;
  delete values_;
  values_ = nullptr;
}

void InterObjRep::BeginDestroy() {
  if (isDestroyed() || (flags_ & kFlagCondemned)) return;
  flags_ |= kFlagCondemned;
  ref();
  Condemned().push_back(this);
}

void InterObjRep::DeleteObjects() {
  while (!Condemned().empty()) {
    std::vector<InterObjRep*> list;
    list.swap(Condemned());
    for (InterObjRep* o : list) {
      o->Destroy();
      o->unref();
    }
  }
}

long InterObjRep::LiveObjects() { return (long)Live().size(); }
