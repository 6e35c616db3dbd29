// Dictionaries of associations: JxDictionary hashed (on JxSet), JxSeqDictionary in the
// order added (on JxArray, linear look-up). Both own their associations; the keys and
// data go only through deleteKeyAndData.
#pragma once

#include "dbutil/jxassoc.h"
#include "dbutil/jxset.h"

class JXUTL04_API JxDictionary : public JxSet {
 public:
  JxDictionary();
  ~JxDictionary() override;  // deletes the associations, not their keys and data

  // A key already present keeps its slot and count; the new association takes its
  // place and the old association is deleted.
  JxStatus addAssoc(unsigned long key, unsigned long data);
  JxStatus addAssoc(unsigned long key, JxObject* data);
  JxStatus addAssoc(JxSubString* key, JxObject* data);

  unsigned long getIntForKey(unsigned long key) const;  // 0 when absent
  JxObject* getPtrForKey(unsigned long key) const;      // null when absent
  JxObject* getPtrForKey(const JxSubString* key) const;
  int doesExist(unsigned long key) const;
  int doesExist(const JxSubString* key) const;
  void deleteKeyAndData();

  void setCaseInsensitive(int on) { flags_ = on ? (flags_ | 1) : (flags_ & ~1); }

  unsigned long hashOf(const JxObject* element) const override;
  int matches(const JxObject* element, const JxObject* other) const override;

 private:
  JxStatus add(JxAssociation* a);
  unsigned short getIndexForKey(unsigned long key) const;
  unsigned short getIndexForKey(const JxSubString* key) const;
  JxAssociation* assocAt(unsigned short slot) const { return static_cast<JxAssociation*>(slotAt(slot)); }
};

class JXUTL04_API JxSeqDictionary : public JxArray {
 public:
  JxSeqDictionary() : flags_(0) {}
  ~JxSeqDictionary() override;  // deletes the associations, last first

  JxStatus addAssoc(unsigned long key, unsigned long data);
  JxStatus addAssoc(unsigned long key, JxObject* data);
  JxStatus addAssoc(JxSubString* key, JxObject* data);

  // The first match from index 0; the count when none matches.
  unsigned short getIndexForKey(unsigned long key) const;
  unsigned short getIndexForKey(const JxSubString& key) const;
  unsigned short getIndexForKey(const JxSubString* key) const;
  int doesExist(unsigned long key) const { return getIndexForKey(key) < getCount(); }
  int doesExist(const JxSubString* key) const { return getIndexForKey(key) < getCount(); }
  unsigned long getIntForKey(unsigned long key) const;
  JxObject* getPtrForKey(unsigned long key) const;
  JxObject* getPtrForKey(const JxSubString* key) const;

  // An absent key changes nothing: 1, with message 1517.
  JxStatus changeData(unsigned long key, unsigned long data);
  JxStatus changeData(const JxSubString& key, JxObject* data);  // the old data is not deleted

  unsigned long getIntKeyAtIndex(unsigned short i) const { return assoc(i)->getIntKey(); }
  JxSubString* getSubKeyAtIndex(unsigned short i) const { return assoc(i)->getSubKey(); }
  unsigned long getIntDataAtIndex(unsigned short i) const { return assoc(i)->getIntData(); }
  JxObject* getPtrDataAtIndex(unsigned short i) const { return assoc(i)->getPtrData(); }

  void deleteKeyAndDataAtIndex(unsigned short index);
  void deleteKeyAndData();

  void setCaseInsensitive(int on) { flags_ = on ? 1 : 0; }

 private:
  JxStatus append(JxAssociation* a);
  JxAssociation* assoc(unsigned short i) const { return static_cast<JxAssociation*>(at(i)); }
  JxAssociation* found(unsigned short i) const;
  unsigned short flags_;
};
