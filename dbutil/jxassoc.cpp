#include "dbutil/jxassoc.h"

JxAssociation::~JxAssociation() {}
int JxAssociation::matchesIntKey(unsigned long) const { return 0; }
int JxAssociation::matchesSubKey(const JxSubString*) const { return 0; }
int JxAssociation::matchesSubKeyNoCase(const JxSubString*) const { return 0; }
int JxAssociation::matchesAssocNoCase(const JxAssociation*) const { return 0; }
unsigned long JxAssociation::getIntKey() const { return 0; }
unsigned long JxAssociation::getIntData() const { return 0; }
JxSubString* JxAssociation::getSubKey() const { return nullptr; }
JxObject* JxAssociation::getPtrData() const { return nullptr; }
void JxAssociation::setPtrData(JxObject*) {}
void JxAssociation::setIntData(unsigned long) {}

JxIntIntKey::~JxIntIntKey() {}

JxIntPtrKey::~JxIntPtrKey() {}

void JxIntPtrKey::deleteKeyAndData() {
  delete data_;
  data_ = nullptr;
}

JxSubPtrKey::~JxSubPtrKey() {}

int JxSubPtrKey::matchesSubKey(const JxSubString* key) const {
  return key_ && key && strCompare(key_->getPtr(), key_->getLength(), key->getPtr(), key->getLength()) == 0;
}

int JxSubPtrKey::matchesSubKeyNoCase(const JxSubString* key) const {
  return key_ && key && strCompareCi(key_->getPtr(), key_->getLength(), key->getPtr(), key->getLength()) == 0;
}

void JxSubPtrKey::deleteKeyAndData() {
  delete key_;
  delete data_;
  key_ = nullptr;
  data_ = nullptr;
}
