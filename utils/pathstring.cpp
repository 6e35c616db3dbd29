// PathString: a normalised ';'-separated list of directories.
#include "utils/pathstring.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

#include "utils/strutil.h"

namespace {

inline bool isBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

// Drops leading blanks of entries, empty entries and a trailing ';'.
std::string normalise(const char* text) {
  std::string out;
  bool inSeparator = true;
  for (const char* p = text; *p; ++p) {
    if (inSeparator && (isBlank(*p) || *p == ';')) continue;
    out += *p;
    inSeparator = *p == ';';
  }
  if (!out.empty() && out.back() == ';') out.pop_back();
  return out;
}

}  // namespace

PathString::PathString() : text_(nullptr), held_(0), next_(0) {}

PathString::PathString(const char* text) : text_(nullptr), held_(0), next_(0) { Set(text); }

PathString::PathString(const PathString& other) : text_(nullptr), held_(0), next_(0) {
  const_cast<PathString&>(other).restore();
  Set(other.text_);
}

PathString& PathString::operator=(const PathString& other) {
  if (this != &other) {
    const_cast<PathString&>(other).restore();
    if (other.text_) {
      Set(other.text_);
    } else {
      delete[] text_;
      text_ = nullptr;
      held_ = next_ = 0;
    }
  }
  return *this;
}

PathString::~PathString() { delete[] text_; }

void PathString::Set(const char* text) {
  if (!text) return;
  std::string n = normalise(text);
  delete[] text_;
  text_ = strnewdup(n.c_str());
  held_ = next_ = 0;
}

void PathString::restore() {
  if (held_) text_[held_] = ';';
  held_ = 0;
}

PathString::operator const char*() { return Text(); }

int PathString::Count() const {
  if (!text_ || !*text_) return 0;
  int n = 1;
  for (const char* p = text_;; ++p) {
    if (*p == ';' || (*p == '\0' && held_ && size_t(p - text_) == held_))
      ++n;
    else if (*p == '\0')
      return n;
  }
}

// Hands out the entry starting at pos, holding the separator after it.
const char* PathString::entryAt(size_t pos) {
  char* sep = strchr(text_ + pos, ';');
  if (sep) {
    held_ = size_t(sep - text_);
    *sep = '\0';
    next_ = held_ + 1;
  } else {
    next_ = 0;
  }
  return text_ + pos;
}

const char* PathString::operator[](int i) {
  restore();
  if (i < 0 || !text_ || !*text_) return nullptr;
  size_t pos = 0;
  for (; i > 0; --i) {
    const char* sep = strchr(text_ + pos, ';');
    if (!sep) return nullptr;
    pos = size_t(sep - text_) + 1;
  }
  return entryAt(pos);
}

const char* PathString::Next() {
  restore();
  if (!next_ || !text_) return nullptr;
  return entryAt(next_);
}

int PathString::Index(const char* dir) const {
  if (!dir || !text_ || !*text_) return -1;
  size_t n = strlen(dir);
  if (n && dir[n - 1] == '\\') --n;
  const char* entry = text_;
  for (int i = 0;; ++i) {
    const char* end = entry;  // a held separator reads as NUL: the entry ends there too
    while (*end && *end != ';') ++end;
    size_t m = size_t(end - entry);
    if ((m == n || (m == n + 1 && entry[n] == '\\')) && _strnicmp(entry, dir, n) == 0) return i;
    bool more = *end == ';' || (held_ && size_t(end - text_) == held_);
    if (!more) return -1;
    entry = end + 1;
  }
}

void PathString::Prepend(const char* dir) {
  if (!dir || !*dir) return;
  std::string joined(dir);
  const char* old = Text();
  if (*old) joined.append(";").append(old);
  Set(joined.c_str());
}

void PathString::PurgeExplicitPaths() {
  std::string kept;
  const char* old = Text();
  std::string all(old);
  size_t pos = 0;
  while (pos <= all.size() && !all.empty()) {
    size_t sep = all.find(';', pos);
    std::string entry = all.substr(pos, sep == std::string::npos ? std::string::npos : sep - pos);
    char full[MAX_PATH];
    char* file = nullptr;
    DWORD n = GetFullPathNameA(entry.c_str(), MAX_PATH, full, &file);
    if (n && n < MAX_PATH && file && *file) {
      if (!kept.empty()) kept += ';';
      kept += file;
    }
    if (sep == std::string::npos) break;
    pos = sep + 1;
  }
  Set(kept.c_str());
}
