// The built-in message catalogue and RWMessage.
#include "utils/rwmessage.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char kCore[] = "rwcore6.0";
const char kTools[] = "rwtools6.0";

const RWCatMsg kCoreMsgs[] = {
    {kCore, 0x1000, "[EOF] EOF on input"},
    {kCore, 0x1001, "[GENERIC] Generic error number %d; %s"},
    {kCore, 0x1002, "[INVADDR] Invalid address: %lx"},
    {kCore, 0x1003, "[LOCK] Unable to lock memory"},
    {kCore, 0x1004, "[NOINIT] Memory allocated without being initialized"},
    {kCore, 0x1005, "[NOMEM] No memory"},
    {kCore, 0x1006, "[OPERR] Could not open file %s"},
    {kCore, 0x1007, "[OUTALLOC] Memory released with allocations still outstanding"},
    {kCore, 0x1008, "[OVFLOW] Overflow error -> \"%.*s\" <- (%u max characters)"},
    {kCore, 0x1009, "[STREAM] Bad input stream"},
    {kCore, 0x100a, "[SYNSTREAM] Syntax error in input stream: expected %s, got %s"},
};

const RWCatMsg kToolMsgs[] = {
    {kTools, 0x2000, "[ALLOCOUT] %s destructor called with allocation outstanding"},
    {kTools, 0x2001, "[BADRE] Attempt to use invalid regular expression"},
    {kTools, 0x2002, "[CRABS] RWFactory: attempting to create abstract class with ID %hu (0x%hx)"},
    {kTools, 0x2003, "[FLIST] Free list size error: expected %ld, got %ld"},
    {kTools, 0x2004, "[ID] Unexpected class ID %hu; should be %hu"},
    {kTools, 0x2005, "[INDEX] Index (%u) out of range [0->%u]"},
    {kTools, 0x2006, "[LOCK] Locked object deleted"},
    {kTools, 0x2007, "[LONGINDEX] Long index (%lu) out of range [0->%lu]"},
    {kTools, 0x2008, "[MAGIC] Bad magic number: %ld (should be %ld)"},
    {kTools, 0x2009, "[NEVECL] Unequal vector lengths: %u versus %u"},
    {kTools, 0x200a, "[NOCREATE] RWFactory: no create function for class with ID %hu (0x%hx)"},
    {kTools, 0x200b, "[NOTALLOW] Function not allowed for derived class"},
    {kTools, 0x200c, "[READERR] Read error"},
    {kTools, 0x200d, "[REF] Bad persistence reference"},
    {kTools, 0x200e, "[SEEKERR] Seek error"},
    {kTools, 0x200f, "[STREAM] Bad input stream"},
    {kTools, 0x2010, "[SUBSTRING] Illegal substring (%d, %u) from %u element RWCString"},
    {kTools, 0x2011, "[UNLOCK] Improper use of locked object"},
    {kTools, 0x2012, "[WRITEERR] Write error"},
};

char* copyText(const char* text) {
  if (!text) text = "";
  size_t n = strlen(text) + 1;
  char* p = new char[n];
  memcpy(p, text, n);
  return p;
}

}  // namespace

const RWMsgId RWCORE_EOF = &kCoreMsgs[0];
const RWMsgId RWCORE_GENERIC = &kCoreMsgs[1];
const RWMsgId RWCORE_INVADDR = &kCoreMsgs[2];
const RWMsgId RWCORE_LOCK = &kCoreMsgs[3];
const RWMsgId RWCORE_NOINIT = &kCoreMsgs[4];
const RWMsgId RWCORE_NOMEM = &kCoreMsgs[5];
const RWMsgId RWCORE_OPERR = &kCoreMsgs[6];
const RWMsgId RWCORE_OUTALLOC = &kCoreMsgs[7];
const RWMsgId RWCORE_OVFLOW = &kCoreMsgs[8];
const RWMsgId RWCORE_STREAM = &kCoreMsgs[9];
const RWMsgId RWCORE_SYNSTREAM = &kCoreMsgs[10];

const RWMsgId RWTOOL_ALLOCOUT = &kToolMsgs[0];
const RWMsgId RWTOOL_BADRE = &kToolMsgs[1];
const RWMsgId RWTOOL_CRABS = &kToolMsgs[2];
const RWMsgId RWTOOL_FLIST = &kToolMsgs[3];
const RWMsgId RWTOOL_ID = &kToolMsgs[4];
const RWMsgId RWTOOL_INDEX = &kToolMsgs[5];
const RWMsgId RWTOOL_LOCK = &kToolMsgs[6];
const RWMsgId RWTOOL_LONGINDEX = &kToolMsgs[7];
const RWMsgId RWTOOL_MAGIC = &kToolMsgs[8];
const RWMsgId RWTOOL_NEVECL = &kToolMsgs[9];
const RWMsgId RWTOOL_NOCREATE = &kToolMsgs[10];
const RWMsgId RWTOOL_NOTALLOW = &kToolMsgs[11];
const RWMsgId RWTOOL_READERR = &kToolMsgs[12];
const RWMsgId RWTOOL_REF = &kToolMsgs[13];
const RWMsgId RWTOOL_SEEKERR = &kToolMsgs[14];
const RWMsgId RWTOOL_STREAM = &kToolMsgs[15];
const RWMsgId RWTOOL_SUBSTRING = &kToolMsgs[16];
const RWMsgId RWTOOL_UNLOCK = &kToolMsgs[17];
const RWMsgId RWTOOL_WRITEERR = &kToolMsgs[18];

const char* rwMsgLookup(RWMsgId msg) { return msg ? msg->msg : ""; }

RWMessage::RWMessage(const char* text) : text_(copyText(text)) {}

RWMessage::RWMessage(RWMsgId msg, ...) {
  char buffer[kMaxText + 1];
  va_list args;
  va_start(args, msg);
  int n = vsnprintf(buffer, sizeof buffer, rwMsgLookup(msg), args);
  va_end(args);
  if (n < 0) buffer[0] = '\0';
  buffer[kMaxText] = '\0';
  text_ = copyText(buffer);
}

RWMessage::RWMessage(const RWMessage& other) : text_(copyText(other.text_)) {}

RWMessage& RWMessage::operator=(const RWMessage& other) {
  if (this != &other) {
    char* copy = copyText(other.text_);
    delete[] text_;
    text_ = copy;
  }
  return *this;
}

RWMessage::~RWMessage() { delete[] text_; }
