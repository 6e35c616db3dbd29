#include "dbutil/jxvalueparser.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

JxValueParser::JxValueParser(const JxSubString* text, char separator, const char* name)
    : scanner_(text),
      separator_(separator),
      name_(name),
      entries_(nullptr),
      count_(0),
      capacity_(0),
      cursor_(0) {}

JxValueParser::~JxValueParser() {
  for (uint32_t i = 0; i < count_; ++i) release(entries_[i]);
  ramFree(entries_);
}

void JxValueParser::release(Entry& entry) {
  delete entry.ownKey;
  delete entry.ownValue;
  entry.ownKey = entry.ownValue = nullptr;
}

void JxValueParser::parseError(uint32_t offset) {
  if (name_)
    *utlErrorById(MSG_PARSE_AT_OFFSET) << static_cast<unsigned long>(offset) << name_;
  else
    *utlErrorById(MSG_CONNECT_PARSE) << static_cast<unsigned long>(offset);
}

JxStatus JxValueParser::grow() {
  if (count_ < capacity_) return 0;
  const uint32_t more = capacity_ ? capacity_ * 2 : 8;
  void* p = entries_;
  if (p) {
    if (ramResize(&p, more * sizeof(Entry))) return 1;
  } else if (!(p = ramAlloc(more * sizeof(Entry)))) {
    return 1;
  }
  entries_ = static_cast<Entry*>(p);
  capacity_ = more;
  return 0;
}

JxStatus JxValueParser::append(const JxSubString& key, const JxSubString& value, JxString* ownKey,
                               JxString* ownValue) {
  if (grow()) return 1;
  Entry& e = entries_[count_++];
  new (&e.key) JxSubString(key.getPtr(), key.getLength());
  new (&e.value) JxSubString(value.getPtr(), value.getLength());
  e.ownKey = ownKey;
  e.ownValue = ownValue;
  e.used = 0;
  return 0;
}

int JxValueParser::find(const char* key, uint32_t length) const {
  for (uint32_t i = 0; i < count_; ++i) {
    const JxSubString& k = entries_[i].key;
    if (strCompareCi(k.getPtr(), k.getLength(), key, length) == 0) return static_cast<int>(i);
  }
  return -1;
}

JxStatus JxValueParser::initialize() {
  JxToken token;
  scanner_.getToken(token);
  while (token.getType() != TOK_END) {
    if (token.getType() != TOK_WORD) {
      parseError(token.getPosition());
      return 1;
    }
    if (find(token.getPtr(), token.getLength()) >= 0) {
      parseError(token.getPosition());
      if (JxError* e = utlAppendMessageById(MSG_ATTRIBUTE_TWICE)) *e << token;
      return 1;
    }
    const JxToken key = token;
    // "=" is taken as one character, so that a value may begin with "*", "<", ">" or
    // "=" (the scanner would read "=*" and the like as one operator).
    JxToken equals;
    scanner_.getToken(equals);
    if (equals.getType() != TOK_END && equals.getPtr()[0] == '=') {
      scanner_.setPosition(equals.getPosition() + 1);
    } else {
      parseError(equals.getPosition());
      return 1;
    }
    JxToken value;
    scanner_.getDelimitedToken(value, separator_);
    if (append(key, value, nullptr, nullptr)) return 1;
    scanner_.getToken(token);
    if (token.getType() == TOK_END) break;
    if (token.getPtr()[0] != separator_) {
      parseError(token.getPosition());
      return 1;
    }
    // One separator; a separator that ends the text ends the list.
    scanner_.setPosition(token.getPosition() + 1);
    scanner_.getToken(token);
  }
  return 0;
}

const JxSubString* JxValueParser::getAttributeValue(const JxSubString& key) {
  const int i = find(key.getPtr(), key.getLength());
  if (i < 0) return nullptr;
  entries_[i].used = 1;
  return &entries_[i].value;
}

const JxSubString* JxValueParser::getAttributeValue(const char* key) {
  return getAttributeValue(JxSubString(key));
}

JxStatus JxValueParser::getAttributeValue(const char* key, const char* synonym, const JxSubString** out) {
  *out = nullptr;
  const bool hasKey = isAttributeValue(key) != 0;
  if (hasKey && synonym && isAttributeValue(synonym)) {
    parseError(scanner_.getPosition());
    if (JxError* e = utlAppendMessageById(MSG_ATTRIBUTE_SYNONYM_TWICE)) *e << key << synonym;
    return 1;
  }
  *out = getAttributeValue(key);
  if (!*out && synonym) *out = getAttributeValue(synonym);
  return 0;
}

short JxValueParser::isAttributeValue(const char* key) const {
  return find(key, static_cast<uint32_t>(strlen(key))) >= 0 ? 1 : 0;
}

uint32_t JxValueParser::getUnusedCount() const {
  uint32_t n = 0;
  for (uint32_t i = 0; i < count_; ++i)
    if (!entries_[i].used) ++n;
  return n;
}

const JxSubString* JxValueParser::getUnusedAttribute() {
  while (cursor_ < count_) {
    const Entry& e = entries_[cursor_++];
    if (!e.used) return &e.key;
  }
  return nullptr;
}

const JxSubString* JxValueParser::getAttributeKey(uint32_t index) const {
  return index < count_ ? &entries_[index].key : nullptr;
}

JxStatus JxValueParser::setValue(Entry& entry, const char* value) {
  const uint32_t n = static_cast<uint32_t>(strlen(value));
  // A leading "{" would be read back as a braced group.
  bool quote = n && (value[0] == ' ' || value[0] == '{' || (value[0] >= '\t' && value[0] <= '\r') ||
                     value[n - 1] == ' ' || (value[n - 1] >= '\t' && value[n - 1] <= '\r'));
  for (uint32_t i = 0; i < n && !quote; ++i)
    quote = value[i] == '\'' || value[i] == '"' || value[i] == '`' || value[i] == separator_;
  JxString* text = new JxString;
  if (!text) return 1;
  if (quote ? text->addQuotedBytes(JxSubString(value, n), '\'') : text->initialize(value, n)) {
    delete text;
    return 1;
  }
  delete entry.ownValue;
  entry.ownValue = text;
  entry.value.set(text->getPtr(), text->getLength());
  entry.used = 1;  // set by the program, not waiting to be read
  return 0;
}

JxStatus JxValueParser::addAttribute(const char* key, const char* value, const char* synonym) {
  int i = find(key, static_cast<uint32_t>(strlen(key)));
  if (i < 0 && synonym) i = find(synonym, static_cast<uint32_t>(strlen(synonym)));
  if (i >= 0) return setValue(entries_[i], value);
  JxString* ownKey = new JxString;
  if (!ownKey) return 1;
  if (ownKey->initialize(key)) {
    delete ownKey;
    return 1;
  }
  if (append(JxSubString(ownKey->getPtr(), ownKey->getLength()), JxSubString(), ownKey, nullptr)) {
    delete ownKey;
    return 1;
  }
  if (setValue(entries_[count_ - 1], value)) {
    release(entries_[--count_]);
    return 1;
  }
  return 0;
}

void JxValueParser::removeAttribute(const char* key) {
  const int i = find(key, static_cast<uint32_t>(strlen(key)));
  if (i < 0) return;
  release(entries_[i]);
  for (uint32_t j = static_cast<uint32_t>(i); j + 1 < count_; ++j) entries_[j] = entries_[j + 1];
  --count_;
  if (cursor_ > static_cast<uint32_t>(i)) --cursor_;
}

JxStatus JxValueParser::buildString(JxString* out) const {
  out->truncate(0);
  for (uint32_t i = 0; i < count_; ++i) {
    const Entry& e = entries_[i];
    if (i && out->concat(separator_)) return 1;
    if (out->concat(e.key.getPtr(), e.key.getLength()) || out->concat('=') ||
        out->concat(e.value.getPtr(), e.value.getLength())) {
      return 1;
    }
  }
  return 0;
}
