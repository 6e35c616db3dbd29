// JxValueParser: lists of key=value separated by one character, as in ODBC connect
// strings ("DSN=Sales;UID=ann;PWD='a;b'"). It parses the list in the order of the text
// (keys compared without regard to case), answers lookups under a keyword or a pair of
// synonyms, tells which attributes nobody asked for, edits the list and writes it back.
//
// Values are kept raw (quotes and braces included); a value that begins with "{" runs
// to its closing "}", separators inside included. Parsed keys and values are views into the
// text, which must outlive the parser; added ones are owned copies.
#pragma once

#include "dbutil/jxscanner.h"

class JXUTL04_API JxValueParser : public JxObject {
 public:
  // name: what is parsed, for messages; null for a connect string.
  JxValueParser(const JxSubString* text, char separator, const char* name = nullptr);
  ~JxValueParser() override;

  JxStatus initialize();

  // The value, or null; marks the attribute used.
  const JxSubString* getAttributeValue(const JxSubString& key);
  const JxSubString* getAttributeValue(const char* key);
  // The value under key, else under synonym (null when neither); 1 with an error when
  // both are present.
  JxStatus getAttributeValue(const char* key, const char* synonym, const JxSubString** out);
  short isAttributeValue(const char* key) const;
  uint32_t getUnusedCount() const;
  // Each attribute never fetched, once; null at the end.
  const JxSubString* getUnusedAttribute();
  const JxSubString* getAttributeKey(uint32_t index) const;
  uint32_t getCount() const { return count_; }

  // The value is quoted in apostrophes when it holds a quote character or the
  // separator, begins with "{", or begins or ends with white space. An existing key (else an existing
  // synonym, keeping its key) gets the new value; otherwise the pair is appended.
  JxStatus addAttribute(const char* key, const char* value, const char* synonym = nullptr);
  void removeAttribute(const char* key);
  // key=value for each attribute, the separator between them.
  JxStatus buildString(JxString* out) const;

 private:
  struct Entry {
    JxSubString key, value;
    JxString* ownKey;  // set when the key was added, not parsed
    JxString* ownValue;
    int used;
  };
  int find(const char* key, uint32_t length) const;
  JxStatus grow();
  JxStatus append(const JxSubString& key, const JxSubString& value, JxString* ownKey, JxString* ownValue);
  JxStatus setValue(Entry& entry, const char* value);
  void release(Entry& entry);
  void parseError(uint32_t offset);

  JxScanner scanner_;
  char separator_;
  const char* name_;
  Entry* entries_;
  uint32_t count_, capacity_;
  uint32_t cursor_;
};
