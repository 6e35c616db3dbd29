// Associations: a key and its data, as the dictionaries hold them. An association
// deletes its key and data only in deleteKeyAndData.
#pragma once

#include "dbutil/jxsubstring.h"

class JXUTL04_API JxAssociation : public JxObject {
 public:
  ~JxAssociation() override;
  virtual int matchesIntKey(unsigned long key) const;
  virtual int matchesSubKey(const JxSubString* key) const;
  virtual int matchesAssoc(const JxAssociation* other) const = 0;
  virtual int matchesSubKeyNoCase(const JxSubString* key) const;
  virtual int matchesAssocNoCase(const JxAssociation* other) const;
  virtual unsigned long getIntKey() const;
  virtual unsigned long getIntData() const;
  virtual JxSubString* getSubKey() const;
  virtual JxObject* getPtrData() const;
  virtual void setPtrData(JxObject* data);
  virtual void setIntData(unsigned long data);
  virtual unsigned long hash() const = 0;
  virtual void deleteKeyAndData() = 0;
};

class JXUTL04_API JxIntIntKey : public JxAssociation {
 public:
  JxIntIntKey(unsigned long key, unsigned long data) : key_(key), data_(data) {}
  ~JxIntIntKey() override;
  int matchesIntKey(unsigned long key) const override { return key_ == key; }
  int matchesAssoc(const JxAssociation* other) const override { return other->matchesIntKey(key_); }
  unsigned long getIntKey() const override { return key_; }
  unsigned long getIntData() const override { return data_; }
  void setIntData(unsigned long data) override { data_ = data; }
  unsigned long hash() const override { return key_; }
  void deleteKeyAndData() override {}

 private:
  unsigned long key_, data_;
};

class JXUTL04_API JxIntPtrKey : public JxAssociation {
 public:
  JxIntPtrKey(unsigned long key, JxObject* data) : key_(key), data_(data) {}
  ~JxIntPtrKey() override;
  int matchesIntKey(unsigned long key) const override { return key_ == key; }
  int matchesAssoc(const JxAssociation* other) const override { return other->matchesIntKey(key_); }
  unsigned long getIntKey() const override { return key_; }
  JxObject* getPtrData() const override { return data_; }
  unsigned long hash() const override { return key_; }
  void deleteKeyAndData() override;

 private:
  unsigned long key_;
  JxObject* data_;
};

class JXUTL04_API JxSubPtrKey : public JxAssociation {
 public:
  JxSubPtrKey(JxSubString* key, JxObject* data) : key_(key), data_(data) {}
  ~JxSubPtrKey() override;
  int matchesSubKey(const JxSubString* key) const override;
  int matchesAssoc(const JxAssociation* other) const override { return other->matchesSubKey(key_); }
  int matchesSubKeyNoCase(const JxSubString* key) const override;
  int matchesAssocNoCase(const JxAssociation* other) const override {
    return other->matchesSubKeyNoCase(key_);
  }
  JxSubString* getSubKey() const override { return key_; }
  JxObject* getPtrData() const override { return data_; }
  void setPtrData(JxObject* data) override { data_ = data; }
  unsigned long hash() const override { return key_ ? key_->hash() : 0; }
  void deleteKeyAndData() override;

 private:
  JxSubString* key_;
  JxObject* data_;
};
