// The exception classes: xmsg, XException, XAssert.
#include "utils/xexception.h"

xmsg::~xmsg() noexcept = default;

XException::XException(const char* text) : xmsg(text ? text : "") {}
XException::XException(const std::string& text) : xmsg(text) {}
XException::~XException() noexcept = default;

XException* XException::Clone() const { return new XException(*this); }
void XException::Throw() const { throw *this; }

int XException::flagBit(int bit, int set) {
  if (set != -1) {
    if (set)
      flags_ |= bit;
    else
      flags_ &= ~unsigned(bit);
  }
  return (flags_ & bit) != 0;
}

int XException::handled(int set) { return flagBit(kHandled, set); }
int XException::userHandled(int set) { return flagBit(kUserHandled, set); }

XAssert::XAssert(const char* condition, const char* path, int line)
    : XException(condition), path_(path ? path : ""), line_(line) {}
XAssert::~XAssert() noexcept = default;

XException* XAssert::Clone() const { return new XAssert(*this); }
void XAssert::Throw() const { throw *this; }
