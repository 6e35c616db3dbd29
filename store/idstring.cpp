// Interned identifiers and the identifier tables.
#include "store/idstring.h"

#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>

#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

uint32_t hashOf(const char* p, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ (unsigned char)p[i]) * 16777619u;
  return h;
}

bool hasUpper(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (std::isupper((unsigned char)p[i])) return true;
  return false;
}

}  // namespace

// The interning table: spelling -> rep. Reps leave it when they are dropped.
class IdStringTable {
 public:
  static std::unordered_map<std::string, IdStringRep*>* map;

  static std::unordered_map<std::string, IdStringRep*>& get() {
    if (!map) map = new std::unordered_map<std::string, IdStringRep*>();
    return *map;
  }

  static IdStringRep* make(const char* text, size_t length, uint32_t hash) {
    return new IdStringRep(text, length, hash);
  }
};

std::unordered_map<std::string, IdStringRep*>* IdStringTable::map = nullptr;

IdStringRep::IdStringRep(const char* text, size_t length, uint32_t hash)
    : length_((uint32_t)length), hash_(hash), key_(nullptr) {
  text_ = static_cast<char*>(PoolAllocator::operator new(length + 1));
  std::memcpy(text_, text, length);
  text_[length] = 0;
}

IdStringRep::~IdStringRep() { PoolAllocator::operator delete(text_); }

void IdStringRep::drop() {
  if (IdStringTable::map) {
    auto it = IdStringTable::map->find(std::string(text_, length_));
    if (it != IdStringTable::map->end() && it->second == this) IdStringTable::map->erase(it);
  }
  IdStringRep* k = key_;
  key_ = nullptr;
  if (k) k->unref();
}

IdStringRep* IdStringRep::Intern(const char* text, size_t length) {
  if (length > kIdStringLimit) {
    std::string head(text, 40);
    throw StoreException(kMsgIdentifierTooLong, head.c_str());
  }
  auto& map = IdStringTable::get();
  std::string s(text, length);
  auto it = map.find(s);
  if (it != map.end()) return it->second;
  // The folded key is interned first and counted at once, so that a failure after it
  // leaves no rep in the table that nothing will ever release.
  IdStringRep* k = nullptr;
  if (hasUpper(text, length)) {
    std::string lower(text, length);
    for (char& c : lower) c = (char)std::tolower((unsigned char)c);
    k = Intern(lower.data(), lower.size());
    k->ref();
  }
  IdStringRep* r = nullptr;
  try {
    r = IdStringTable::make(text, length, hashOf(text, length));
    map.emplace(std::move(s), r);
  } catch (...) {
    delete r;
    if (k) k->unref();
    throw;
  }
  r->key_ = k;
  return r;
}

IdString::IdString(const char* text) {
  if (text && *text) rep_ = IdStringRep::Intern(text, std::strlen(text));
}

IdString::IdString(const char* text, size_t length) {
  if (text && length) rep_ = IdStringRep::Intern(text, length);
}

bool IdString::sameName(const IdString& o) const {
  // Keys are one rep per folded spelling while the table lives; names interned on both
  // sides of a Terminate still compare by text.
  return key() == o.key() || (!isNull() && !o.isNull() && sameName(o.c_str()));
}

bool IdString::sameName(const char* text) const {
  const char* a = c_str();
  if (!text) text = "";
  size_t n = std::strlen(text);
  if (n != length()) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)text[i])) return false;
  return true;
}

void IdString::Initialize() { IdStringTable::get(); }

// Reps still held elsewhere stay valid; they no longer find the table when they go.
void IdString::Terminate() {
  delete IdStringTable::map;
  IdStringTable::map = nullptr;
}

size_t IdString::InternedCount() { return IdStringTable::map ? IdStringTable::map->size() : 0; }

// IdDynamicVector

IdDynamicVector::IdDynamicVector(size_t initial) : initial_(initial) { items_.reserve(initial); }
IdDynamicVector::~IdDynamicVector() {}

int16_t IdDynamicVector::find(const char* text) const {
  IdString id(text);
  auto it = index_.find(id.key());
  return it == index_.end() ? (int16_t)-1 : it->second;
}

int16_t IdDynamicVector::stringIndex(const char* text) {
  int16_t i = find(text);
  if (i >= 0) return i;
  // Indexes are 16-bit in the compiled code.
  if (items_.size() >= 32766)
    throw StoreException("Too many different names in one text: at most 32,766 are allowed.");
  if (items_.capacity() == 0) items_.reserve(initial_);
  items_.emplace_back(text);
  i = (int16_t)(items_.size() - 1);
  index_[items_.back().key()] = i;
  return i;
}

void IdDynamicVector::clear() {
  items_.clear();
  index_.clear();
}

void IdDynamicVector::releaseStorage() {
  std::vector<IdString>().swap(items_);
  std::unordered_map<IdStringRep*, int16_t>().swap(index_);
}

// IdStringVector

IdStringVector::IdStringVector(const IdDynamicVector& ids) {
  items_.reserve((size_t)ids.entries());
  for (int i = 0; i < ids.entries(); ++i) items_.push_back(ids[i]);
}

int IdStringVector::index(const char* text) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].sameName(text)) return (int)i;
  return -1;
}
