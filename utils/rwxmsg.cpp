// The RWxmsg error classes.
#include "utils/rwxmsg.h"

#include <cstring>

RWxmsg::RWxmsg(const char* text) : msg_(nullptr), doFree_(0) { makeCopy(text); }
RWxmsg::RWxmsg(const RWMessage& message) : msg_(nullptr), doFree_(0) { makeCopy(message.str()); }
RWxmsg::RWxmsg(const char* text, int copy) : msg_(nullptr), doFree_(0) {
  if (copy)
    makeCopy(text);
  else
    msg_ = text ? text : "";
}
RWxmsg::RWxmsg(const RWxmsg& other) : msg_(nullptr), doFree_(0) {
  if (other.doFree_)
    makeCopy(other.msg_);
  else
    msg_ = other.msg_;
}

RWxmsg& RWxmsg::operator=(const RWxmsg& other) {
  if (this != &other) {
    if (other.doFree_) {
      makeCopy(other.msg_);
    } else {
      clear();
      msg_ = other.msg_;
    }
  }
  return *this;
}

RWxmsg::~RWxmsg() { clear(); }

void RWxmsg::clear() {
  if (doFree_) delete[] const_cast<char*>(msg_);
  msg_ = nullptr;
  doFree_ = 0;
}

void RWxmsg::makeCopy(const char* text) {
  if (!text) text = "";
  size_t n = strlen(text) + 1;
  char* p = new char[n];
  memcpy(p, text, n);
  clear();
  msg_ = p;
  doFree_ = 1;
}

void RWxmsg::raise() { throw RWxmsg(*this); }

RWxalloc::RWxalloc(size_t size) : RWxmsg(rwMsgLookup(RWCORE_NOMEM), 0), size_(unsigned(size)) {}
RWxalloc::~RWxalloc() = default;

RWExternalErr::RWExternalErr(const char* text) : RWxmsg(text) {}
RWExternalErr::RWExternalErr(const RWMessage& message) : RWxmsg(message) {}
RWExternalErr::~RWExternalErr() = default;

RWFileErr::RWFileErr(const char* text, FILE* file, errType type)
    : RWExternalErr(text), file_(file), type_(type) {}
RWFileErr::RWFileErr(const RWMessage& message, FILE* file, errType type)
    : RWExternalErr(message), file_(file), type_(type) {}
RWFileErr::~RWFileErr() = default;

RWStreamErr::RWStreamErr(const char* text, std::ios& stream) : RWExternalErr(text), stream_(stream) {}
RWStreamErr::RWStreamErr(const RWMessage& message, std::ios& stream)
    : RWExternalErr(message), stream_(stream) {}
RWStreamErr::~RWStreamErr() = default;

RWInternalErr::RWInternalErr(const char* text) : RWxmsg(text) {}
RWInternalErr::RWInternalErr(const RWMessage& message) : RWxmsg(message) {}
RWInternalErr::~RWInternalErr() = default;

RWBoundsErr::RWBoundsErr(const char* text) : RWInternalErr(text) {}
RWBoundsErr::RWBoundsErr(const RWMessage& message) : RWInternalErr(message) {}
RWBoundsErr::~RWBoundsErr() = default;
