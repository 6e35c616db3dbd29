// JxScanner: keyword matching over several tokens, and rewriting the scanned string.
#include "dbutil/jxscanner.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

#include <string.h>

static bool sameWord(const JxSubString& token, const char* word, uint32_t n, bool ci) {
  return (ci ? strCompareCi(token.getPtr(), token.getLength(), word, n)
             : strCompare(token.getPtr(), token.getLength(), word, n)) == 0;
}

short JxScanner::matchWords(JxToken& token, const char* text, bool ci) {
  const char* w = text;
  while (*w == ' ') ++w;
  uint32_t n = 0;
  while (w[n] && w[n] != ' ') ++n;
  if (!sameWord(token, w, n, ci)) return 0;
  const uint32_t saved = position_;
  JxToken last = token;
  for (w += n;;) {
    while (*w == ' ') ++w;
    if (!*w) break;
    for (n = 0; w[n] && w[n] != ' ';) ++n;
    JxToken t;
    getToken(t);
    if (t.getType() == TOK_END || !sameWord(t, w, n, ci)) {
      position_ = saved;
      return 0;
    }
    last = t;
    w += n;
  }
  const char* from = token.getPtr();
  token.setToken(from, static_cast<uint32_t>(last.getPtr() + last.getLength() - from), token.getType(),
                 token.getPosition());
  return 1;
}

short JxScanner::isEqual(JxToken& token, const char* text) { return matchWords(token, text, false); }
short JxScanner::isEqualCi(JxToken& token, const char* text) { return matchWords(token, text, true); }

short JxScanner::isInSet(JxToken& token, const char* list) {
  for (const char* t = list; *t; t += strlen(t) + 1)
    if (matchWords(token, t, false)) return 1;
  return 0;
}

short JxScanner::isInSetCi(JxToken& token, const char* list) {
  for (const char* t = list; *t; t += strlen(t) + 1)
    if (matchWords(token, t, true)) return 1;
  return 0;
}

short JxScanner::isTokenWithin(const char* text) {
  JxToken t;
  while (getToken(t) != TOK_END)
    if (matchWords(t, text, false)) return 1;
  return 0;
}

short JxScanner::isTokenWithinCi(const char* text) {
  JxToken t;
  while (getToken(t) != TOK_END)
    if (matchWords(t, text, true)) return 1;
  return 0;
}

JxStatus JxScanner::changeToken(const JxToken* token, const JxSubString& text) {
  if (!string_ || token->getPosition() + token->getLength() > length_) {
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  // The new text may lie in the string itself, which may move.
  JxString copy;
  if (copy.initialize(text.getPtr(), text.getLength())) return 1;
  const uint32_t pos = token->getPosition(), oldLength = token->getLength();
  const uint32_t newLength = copy.getLength();
  if (string_->changeBytes(pos, oldLength, newLength ? copy.getPtr() : nullptr, newLength)) return 1;
  text_ = string_->getPtr();
  length_ = string_->getLength();
  if (position_ >= pos + oldLength)
    position_ = position_ - oldLength + newLength;
  else if (position_ > pos)
    position_ = pos + newLength;
  return 0;
}

JxStatus JxScanner::insertToken(JxToken* token, const JxSubString& text) {
  if (text.getLength() == 0) return 0;
  if (!string_ || token->getPosition() > length_) {
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  JxString copy;
  if (copy.initialize(text.getPtr(), text.getLength())) return 1;
  const uint32_t pos = token->getPosition(), n = copy.getLength();
  if (string_->changeBytes(pos, 0, copy.getPtr(), n)) return 1;
  text_ = string_->getPtr();
  length_ = string_->getLength();
  if (position_ >= pos) position_ += n;
  token->setToken(text_ + pos + n, token->getLength(), token->getType(), pos + n);
  return 0;
}
