// The error classes of the string, collection, regular-expression and locale classes.
//
// RWxmsg                the root: a text, either a private copy (freed by the destructor)
//                       or a reference to text owned elsewhere (the catalogue).
//   RWxalloc            out of memory; refers to the [NOMEM] text, keeps the size asked.
//   RWExternalErr       failures outside the program: files and streams.
//     RWFileErr         ... with the FILE* and the kind of file error.
//     RWStreamErr       ... with the stream.
//   RWInternalErr       broken program logic.
//     RWBoundsErr       an index or substring outside its object.
//
// Throwers format an RWMessage from a catalogue record, build the exception from it (which
// copies the text) and throw the exception by value:
//   throw RWBoundsErr(RWMessage(RWTOOL_INDEX, i, last));
#pragma once

#include <cstddef>
#include <cstdio>
#include <ios>

#include "utils/ovutil_api.h"
#include "utils/rwmessage.h"

class OVUTIL_API RWxmsg {
 public:
  explicit RWxmsg(const char* text);          // owns a copy
  explicit RWxmsg(const RWMessage& message);  // owns a copy
  RWxmsg(const char* text, int copy);         // copy != 0: owns a copy, else refers
  RWxmsg(const RWxmsg& other);                // copies only what the source owns
  RWxmsg& operator=(const RWxmsg& other);
  virtual ~RWxmsg();

  const char* why() const { return msg_; }
  int ownsText() const { return doFree_; }
  // Throws a copy of this object as RWxmsg (the dynamic type is not kept).
  [[noreturn]] void raise();

 protected:
  void makeCopy(const char* text);

 private:
  void clear();
  const char* msg_;
  int doFree_;
};

class OVUTIL_API RWxalloc : public RWxmsg {
 public:
  explicit RWxalloc(size_t size);
  virtual ~RWxalloc();
  size_t requested() const { return size_; }

 private:
  unsigned size_;
};

class OVUTIL_API RWExternalErr : public RWxmsg {
 public:
  explicit RWExternalErr(const char* text);
  explicit RWExternalErr(const RWMessage& message);
  virtual ~RWExternalErr();
};

class OVUTIL_API RWFileErr : public RWExternalErr {
 public:
  enum errType { unknown, seekErr, readErr, writeErr };
  RWFileErr(const char* text, FILE* file, errType type);
  RWFileErr(const RWMessage& message, FILE* file, errType type);
  virtual ~RWFileErr();
  FILE* descriptor() const { return file_; }
  errType errorType() const { return type_; }

 private:
  FILE* file_;
  errType type_;
};

class OVUTIL_API RWStreamErr : public RWExternalErr {
 public:
  RWStreamErr(const char* text, std::ios& stream);
  RWStreamErr(const RWMessage& message, std::ios& stream);
  virtual ~RWStreamErr();
  std::ios& errStream() const { return stream_; }

 private:
  std::ios& stream_;
};

class OVUTIL_API RWInternalErr : public RWxmsg {
 public:
  explicit RWInternalErr(const char* text);
  explicit RWInternalErr(const RWMessage& message);
  virtual ~RWInternalErr();
};

class OVUTIL_API RWBoundsErr : public RWInternalErr {
 public:
  explicit RWBoundsErr(const char* text);
  explicit RWBoundsErr(const RWMessage& message);
  virtual ~RWBoundsErr();
};
