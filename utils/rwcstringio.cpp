// RWCString input and output on standard streams.
#include <cctype>
#include <istream>
#include <ostream>

#include "utils/rwcstring.h"

// Reads into the spare room, growing by the resize increment whenever it is full; stops
// at the end of the stream or at `delim` (consumed, not stored). With `token` set, any
// white-space byte ends the read (and is left in the stream). Nothing read at all before
// the end of the stream sets failbit, so that read loops end.
std::istream& RWCString::readUntil(std::istream& is, int delim, bool token) {
  size_t inc = getResizeIncrement();
  if (rep_->refs != 0 || capacity() < inc) {
    size_t room = inc > capacity() ? inc : capacity();
    release(rep_);
    rep_ = newRep(room, 0);
  }
  setLength(0);
  if (!is.good()) {
    is.setstate(std::ios::failbit);
    return is;
  }
  std::streambuf* sb = is.rdbuf();
  size_t n = 0;
  bool atEnd = false;
  for (;;) {
    int c = sb->sgetc();
    if (c == std::char_traits<char>::eof()) {
      atEnd = true;
      break;
    }
    if (token && isspace(c)) break;
    sb->sbumpc();
    if (c == delim) break;
    if (n == capacity()) {
      rep_->nchars = uint32_t(n);
      reallocExact(capacity() + inc);
    }
    rep_->data()[n++] = char(c);
  }
  // The string is complete before setstate, which throws when the stream asks for it.
  setLength(n);
  if (capacity() - n > getMaxWaste()) reallocExact(adjustCapacity(n));
  if (atEnd) is.setstate(n == 0 ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
  return is;
}

std::istream& RWCString::readFile(std::istream& is) {
  readUntil(is, -2, false);
  if (!is.bad()) is.clear(std::ios::eofbit);  // reading to the end is success
  return is;
}

std::istream& RWCString::readLine(std::istream& is, int skipWhite) {
  if (skipWhite && is.good()) is >> std::ws;
  return readUntil(is, '\n', false);
}

std::istream& RWCString::readString(std::istream& is) { return readUntil(is, '\0', false); }

std::istream& RWCString::readToDelim(std::istream& is, char delim) {
  return readUntil(is, static_cast<unsigned char>(delim), false);
}

std::istream& RWCString::readToken(std::istream& is) {
  if (is.good()) is >> std::ws;
  return readUntil(is, -2, true);
}

std::ostream& operator<<(std::ostream& os, const RWCString& s) {
  return os.write(s.data(), std::streamsize(s.length()));
}

std::ostream& operator<<(std::ostream& os, const RWCSubString& s) {
  return os.write(s.data(), std::streamsize(s.length()));
}

std::istream& operator>>(std::istream& is, RWCString& s) { return s.readToken(is); }
