// The ordered dictionary: associations in the order added, found by linear scan.
#include "dbutil/jxdictionary.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

JxSeqDictionary::~JxSeqDictionary() {
  while (getCount()) delete removeLast();
}

JxStatus JxSeqDictionary::append(JxAssociation* a) {
  if (!a) return 1;
  if (add(a)) {
    delete a;
    return 1;
  }
  return 0;
}

JxStatus JxSeqDictionary::addAssoc(unsigned long key, unsigned long data) {
  return append(new JxIntIntKey(key, data));
}
JxStatus JxSeqDictionary::addAssoc(unsigned long key, JxObject* data) {
  return append(new JxIntPtrKey(key, data));
}
JxStatus JxSeqDictionary::addAssoc(JxSubString* key, JxObject* data) {
  return append(new JxSubPtrKey(key, data));
}

unsigned short JxSeqDictionary::getIndexForKey(unsigned long key) const {
  unsigned short i = 0;
  while (i < getCount() && !assoc(i)->matchesIntKey(key)) ++i;
  return i;
}

unsigned short JxSeqDictionary::getIndexForKey(const JxSubString& key) const { return getIndexForKey(&key); }

unsigned short JxSeqDictionary::getIndexForKey(const JxSubString* key) const {
  unsigned short i = 0;
  while (i < getCount() && !(flags_ ? assoc(i)->matchesSubKeyNoCase(key) : assoc(i)->matchesSubKey(key))) ++i;
  return i;
}

unsigned long JxSeqDictionary::getIntForKey(unsigned long key) const {
  unsigned short i = getIndexForKey(key);
  return i < getCount() ? assoc(i)->getIntData() : 0;
}

JxObject* JxSeqDictionary::getPtrForKey(unsigned long key) const {
  unsigned short i = getIndexForKey(key);
  return i < getCount() ? assoc(i)->getPtrData() : nullptr;
}

JxObject* JxSeqDictionary::getPtrForKey(const JxSubString* key) const {
  unsigned short i = getIndexForKey(key);
  return i < getCount() ? assoc(i)->getPtrData() : nullptr;
}

// The association at index i, or null with message 1517 when i is the count (absent).
JxAssociation* JxSeqDictionary::found(unsigned short i) const {
  if (i < getCount()) return assoc(i);
  utlErrorById(MSG_INVALID_PARAMETER);
  return nullptr;
}

JxStatus JxSeqDictionary::changeData(unsigned long key, unsigned long data) {
  JxAssociation* a = found(getIndexForKey(key));
  if (!a) return 1;
  a->setIntData(data);
  return 0;
}

JxStatus JxSeqDictionary::changeData(const JxSubString& key, JxObject* data) {
  JxAssociation* a = found(getIndexForKey(key));
  if (!a) return 1;
  a->setPtrData(data);
  return 0;
}

void JxSeqDictionary::deleteKeyAndDataAtIndex(unsigned short index) {
  if (index >= getCount()) return;
  assoc(index)->deleteKeyAndData();
  deleteAtIndex(index);
}

void JxSeqDictionary::deleteKeyAndData() {
  while (getCount()) deleteKeyAndDataAtIndex(static_cast<unsigned short>(getCount() - 1));
}
