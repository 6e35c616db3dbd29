// JxReplaceString: rewrites a JxString in place, front to back. The view covers the
// unread rest of the target; written bytes lie before the write position, and the bytes
// between the write and the read position are a gap. Deleting the rewriter closes the
// gap and fits the target's buffer.
//
//   JxReplaceString r(&sql);
//   while (r.getLength()) { ...; r.keep(n) or r.skip(n); r.addBytes(...); }
#pragma once

#include "dbutil/jxstring.h"

class JXUTL04_API JxReplaceString : public JxSubString {
 public:
  explicit JxReplaceString(JxString* target);
  ~JxReplaceString() override;

  // Writes at the write position. When the gap is too small the target grows by
  // length + 512 and the unread rest moves up by as much; bytes taken from inside the
  // target are found again after the move.
  JxStatus addBytes(const char* bytes, uint32_t length);
  JxStatus addQuotedBytes(const char* bytes, uint32_t length, char quote);
  // Moves n unread bytes over to the written part.
  JxStatus keep(uint32_t n);
  // Drops n unread bytes.
  void skip(uint32_t n);

  uint32_t getWritePosition() const { return write_; }
  uint32_t getReadPosition() const { return read_; }

 private:
  void refresh();  // the view over the unread rest
  JxStatus widenGap(uint32_t need, const char** bytes);
  JxString* target_;
  uint32_t write_;
  uint32_t read_;
};
