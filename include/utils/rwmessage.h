// The library message catalogue and formatted messages.
//
// RWCatMsg     one catalogue record: domain, number and default text. The text starts
//              with a bracketed tag ("[INDEX] ...") so that a message can be recognised
//              whatever its arguments.
// rwMsgLookup  the record's text (no external catalogue is consulted).
// RWMessage    an owned text: a copy, or a record formatted printf-style with arguments
//              (at most kMaxText characters).
//
// Two domains: "rwcore6.0" (records RWCORE_*, numbers 0x1000 up) and "rwtools6.0"
// (records RWTOOL_*, numbers 0x2000 up).
#pragma once

#include "utils/ovutil_api.h"

struct RWCatMsg {
  const char* domain;
  int msgNumber;
  const char* msg;
};
typedef const RWCatMsg* RWMsgId;

OVUTIL_API const char* rwMsgLookup(RWMsgId msg);

class OVUTIL_API RWMessage {
 public:
  enum { kMaxText = 503 };  // longer formatted texts are cut

  explicit RWMessage(const char* text);
  RWMessage(RWMsgId msg, ...);
  RWMessage(const RWMessage& other);
  RWMessage& operator=(const RWMessage& other);
  ~RWMessage();

  const char* str() const { return text_; }

 private:
  char* text_;
};

// Domain "rwcore6.0".
extern OVUTIL_API const RWMsgId RWCORE_EOF;      // [EOF] EOF on input
extern OVUTIL_API const RWMsgId RWCORE_GENERIC;  // (%d, %s)
extern OVUTIL_API const RWMsgId RWCORE_INVADDR;  // (%lx)
extern OVUTIL_API const RWMsgId RWCORE_LOCK;
extern OVUTIL_API const RWMsgId RWCORE_NOINIT;
extern OVUTIL_API const RWMsgId RWCORE_NOMEM;
extern OVUTIL_API const RWMsgId RWCORE_OPERR;  // (%s)
extern OVUTIL_API const RWMsgId RWCORE_OUTALLOC;
extern OVUTIL_API const RWMsgId RWCORE_OVFLOW;  // (%.*s, %u)
extern OVUTIL_API const RWMsgId RWCORE_STREAM;
extern OVUTIL_API const RWMsgId RWCORE_SYNSTREAM;  // (%s, %s)

// Domain "rwtools6.0".
extern OVUTIL_API const RWMsgId RWTOOL_ALLOCOUT;  // (%s)
extern OVUTIL_API const RWMsgId RWTOOL_BADRE;
extern OVUTIL_API const RWMsgId RWTOOL_CRABS;  // (%hu, %hx)
extern OVUTIL_API const RWMsgId RWTOOL_FLIST;  // (%ld, %ld)
extern OVUTIL_API const RWMsgId RWTOOL_ID;     // (%hu, %hu)
extern OVUTIL_API const RWMsgId RWTOOL_INDEX;  // (%u index, %u last valid index)
extern OVUTIL_API const RWMsgId RWTOOL_LOCK;
extern OVUTIL_API const RWMsgId RWTOOL_LONGINDEX;  // (%lu, %lu)
extern OVUTIL_API const RWMsgId RWTOOL_MAGIC;      // (%ld, %ld)
extern OVUTIL_API const RWMsgId RWTOOL_NEVECL;     // (%u, %u)
extern OVUTIL_API const RWMsgId RWTOOL_NOCREATE;   // (%hu, %hx)
extern OVUTIL_API const RWMsgId RWTOOL_NOTALLOW;
extern OVUTIL_API const RWMsgId RWTOOL_READERR;
extern OVUTIL_API const RWMsgId RWTOOL_REF;
extern OVUTIL_API const RWMsgId RWTOOL_SEEKERR;
extern OVUTIL_API const RWMsgId RWTOOL_STREAM;
extern OVUTIL_API const RWMsgId RWTOOL_SUBSTRING;  // (%d start, %u extent, %u length)
extern OVUTIL_API const RWMsgId RWTOOL_UNLOCK;
extern OVUTIL_API const RWMsgId RWTOOL_WRITEERR;
