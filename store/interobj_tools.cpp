// InterObjRep: extension members of the native side and queries of the developer tools.
#include <cctype>

#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"

int InterObjRep::hasExtProperty(const char* name) const {
  return native_ ? native_->hasExtProperty(name) : 0;
}

int InterObjRep::getExtPropertyCount() const { return native_ ? native_->getExtPropertyCount() : 0; }

void InterObjRep::getExtPropertyName(int i, RWCString& out) const {
  if (native_) native_->getExtPropertyName(i, out);
}

void InterObjRep::getExtMethodList(RWCString& out) const {
  if (native_) native_->getExtMethodList(out);
}

void InterObjRep::getExtMethodProto(const char* name, RWCString& proto, int& resultType) const {
  if (native_) native_->getExtMethodProto(name, proto, resultType);
}

void InterObjRep::getExtEventList(RWCString& out) const {
  if (native_) native_->getExtEventList(out);
}

int InterObjRep::getExtEventProto(const char* name, RWCString& proto, int& resultType) const {
  return native_ ? native_->getExtEventProto(name, proto, resultType) : 0;
}

std::string InterObjRep::getPatternName() const {
  if (name_.empty()) {
    for (const InterObjRep* o = parent_; o; o = o->parent_)
      if (o->hasName()) return o->name_;
    return "Object";
  }
  size_t end = name_.size();
  while (end > 0 && isdigit((unsigned char)name_[end - 1])) --end;
  return end ? name_.substr(0, end) : name_;
}

InterObjRep* InterObjRep::isAlias(const char* text) { return ObjectStore::find(text); }

void InterObjRep::PropagateChangeFunction(void (*fn)(InterObjRep*, void*), void* data) {
  fn(this, data);
  std::vector<InterObjRep*> kids(embeds_);
  for (InterObjRep* e : kids) e->PropagateChangeFunction(fn, data);
}

InterObjRep* InterObjRep::handlerContainer() const {
  return container_ ? container_ : const_cast<InterObjRep*>(this);
}

InterObjRep* InterObjRep::listingOwner() const {
  const InterObjRep* o = this;
  while (o->container_) o = o->container_;
  return const_cast<InterObjRep*>(o);
}
