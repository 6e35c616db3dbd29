#include "dbutil/jxreplacestring.h"

#include <string.h>

JxReplaceString::JxReplaceString(JxString* target) : target_(target), write_(0), read_(0) { refresh(); }

JxReplaceString::~JxReplaceString() {
  if (!target_->getPtr()) return;
  char* base = const_cast<char*>(target_->getPtr());
  const uint32_t unread = target_->getLength() - read_;
  memmove(base + write_, base + read_, unread);
  target_->truncate(write_ + unread);
  target_->shrinkToFit();
}

void JxReplaceString::refresh() {
  const char* base = target_->getPtr();
  set(base ? base + read_ : nullptr, target_->getLength() - read_);
}

JxStatus JxReplaceString::widenGap(uint32_t need, const char** bytes) {
  const uint32_t gap = read_ - write_;
  if (gap >= need) return 0;
  const char* base = target_->getPtr();
  // Where the caller's bytes lie in the target, if they do.
  const bool inside = base && *bytes >= base && *bytes < base + target_->getCapacity();
  const uint32_t offset = inside ? static_cast<uint32_t>(*bytes - base) : 0;
  const uint32_t grow = need + 512;
  if (target_->openGap(read_, grow)) return 1;
  base = target_->getPtr();
  if (inside) *bytes = base + offset + (offset >= read_ ? grow : 0);
  read_ += grow;
  refresh();
  return 0;
}

JxStatus JxReplaceString::addBytes(const char* bytes, uint32_t length) {
  if (length == 0) return 0;
  if (widenGap(length, &bytes)) return 1;
  memmove(const_cast<char*>(target_->getPtr()) + write_, bytes, length);
  write_ += length;
  return 0;
}

JxStatus JxReplaceString::addQuotedBytes(const char* bytes, uint32_t length, char quote) {
  JxString quoted;
  if (quoted.addQuotedBytes(JxSubString(bytes, length), quote)) return 1;
  return addBytes(quoted.getPtr(), quoted.getLength());
}

JxStatus JxReplaceString::keep(uint32_t n) {
  if (n > length_) n = length_;
  if (write_ == read_) {  // no gap yet: the bytes are already in place
    write_ += n;
    read_ += n;
    refresh();
    return 0;
  }
  char* base = const_cast<char*>(target_->getPtr());
  memmove(base + write_, base + read_, n);
  write_ += n;
  read_ += n;
  refresh();
  return 0;
}

void JxReplaceString::skip(uint32_t n) {
  if (n > length_) n = length_;
  read_ += n;
  refresh();
}
