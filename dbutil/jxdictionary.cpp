// The hashed dictionary.
#include "dbutil/jxdictionary.h"

JxDictionary::JxDictionary() { flags_ = 0; }

JxDictionary::~JxDictionary() {
  for (unsigned short i = getTableSize(); i-- > 0;) delete assocAt(i);
}

unsigned long JxDictionary::hashOf(const JxObject* element) const {
  return static_cast<const JxAssociation*>(element)->hash();
}

// Case is ignored only between substring keys: number keys always match exactly.
int JxDictionary::matches(const JxObject* element, const JxObject* other) const {
  const JxAssociation* a = static_cast<const JxAssociation*>(element);
  const JxAssociation* b = static_cast<const JxAssociation*>(other);
  if ((flags_ & 1) && a->getSubKey()) return a->matchesAssocNoCase(b);
  return a->matchesAssoc(b);
}

JxStatus JxDictionary::add(JxAssociation* a) {
  if (!a) return 1;
  JxObject* replaced = nullptr;
  int stored = 0;
  JxStatus st = addElement(a, &replaced, &stored);
  if (!stored) delete a;
  delete replaced;
  return st;
}

JxStatus JxDictionary::addAssoc(unsigned long key, unsigned long data) {
  return add(new JxIntIntKey(key, data));
}
JxStatus JxDictionary::addAssoc(unsigned long key, JxObject* data) { return add(new JxIntPtrKey(key, data)); }
JxStatus JxDictionary::addAssoc(JxSubString* key, JxObject* data) { return add(new JxSubPtrKey(key, data)); }

unsigned short JxDictionary::getIndexForKey(unsigned long key) const {
  JxIntIntKey probe(key, 0);
  return findSlot(&probe);
}

unsigned short JxDictionary::getIndexForKey(const JxSubString* key) const {
  JxSubPtrKey probe(const_cast<JxSubString*>(key), nullptr);
  return findSlot(&probe);
}

unsigned long JxDictionary::getIntForKey(unsigned long key) const {
  JxAssociation* a = assocAt(getIndexForKey(key));
  return a ? a->getIntData() : 0;
}

JxObject* JxDictionary::getPtrForKey(unsigned long key) const {
  JxAssociation* a = assocAt(getIndexForKey(key));
  return a ? a->getPtrData() : nullptr;
}

JxObject* JxDictionary::getPtrForKey(const JxSubString* key) const {
  JxAssociation* a = assocAt(getIndexForKey(key));
  return a ? a->getPtrData() : nullptr;
}

int JxDictionary::doesExist(unsigned long key) const { return assocAt(getIndexForKey(key)) != nullptr; }

int JxDictionary::doesExist(const JxSubString* key) const { return assocAt(getIndexForKey(key)) != nullptr; }

void JxDictionary::deleteKeyAndData() {
  for (unsigned short i = getTableSize(); i-- > 0;) {
    if (JxAssociation* a = assocAt(i)) {
      a->deleteKeyAndData();
      delete a;
      clearSlot(i);
    }
  }
  setCount(0);
}
