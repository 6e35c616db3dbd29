// The message catalogue and the RWxmsg error classes.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "utils/rwmessage.h"
#include "utils/rwxmsg.h"

namespace {

TEST(RWCatalogue, RecordsTable) {
  struct Case {
    RWMsgId id;
    const char* domain;
    int number;
    const char* text;
  } cases[] = {
      {RWCORE_EOF, "rwcore6.0", 0x1000, "[EOF] EOF on input"},
      {RWCORE_NOMEM, "rwcore6.0", 0x1005, "[NOMEM] No memory"},
      {RWCORE_OVFLOW, "rwcore6.0", 0x1008, "[OVFLOW] Overflow error -> \"%.*s\" <- (%u max characters)"},
      {RWCORE_SYNSTREAM, "rwcore6.0", 0x100a,
       "[SYNSTREAM] Syntax error in input stream: expected %s, got %s"},
      {RWTOOL_ALLOCOUT, "rwtools6.0", 0x2000, "[ALLOCOUT] %s destructor called with allocation outstanding"},
      {RWTOOL_BADRE, "rwtools6.0", 0x2001, "[BADRE] Attempt to use invalid regular expression"},
      {RWTOOL_INDEX, "rwtools6.0", 0x2005, "[INDEX] Index (%u) out of range [0->%u]"},
      {RWTOOL_STREAM, "rwtools6.0", 0x200f, "[STREAM] Bad input stream"},
      {RWTOOL_SUBSTRING, "rwtools6.0", 0x2010,
       "[SUBSTRING] Illegal substring (%d, %u) from %u element RWCString"},
      {RWTOOL_WRITEERR, "rwtools6.0", 0x2012, "[WRITEERR] Write error"},
  };
  for (auto& c : cases) {
    EXPECT_STREQ(c.id->domain, c.domain);
    EXPECT_EQ(c.id->msgNumber, c.number);
    EXPECT_STREQ(rwMsgLookup(c.id), c.text);
  }
  // The numbers run without gaps in each domain.
  const RWMsgId core[] = {RWCORE_EOF,    RWCORE_GENERIC, RWCORE_INVADDR,  RWCORE_LOCK,
                          RWCORE_NOINIT, RWCORE_NOMEM,   RWCORE_OPERR,    RWCORE_OUTALLOC,
                          RWCORE_OVFLOW, RWCORE_STREAM,  RWCORE_SYNSTREAM};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(core[i]->msgNumber, 0x1000 + i);
  const RWMsgId tools[] = {RWTOOL_ALLOCOUT,  RWTOOL_BADRE,  RWTOOL_CRABS,    RWTOOL_FLIST,
                           RWTOOL_ID,        RWTOOL_INDEX,  RWTOOL_LOCK,     RWTOOL_LONGINDEX,
                           RWTOOL_MAGIC,     RWTOOL_NEVECL, RWTOOL_NOCREATE, RWTOOL_NOTALLOW,
                           RWTOOL_READERR,   RWTOOL_REF,    RWTOOL_SEEKERR,  RWTOOL_STREAM,
                           RWTOOL_SUBSTRING, RWTOOL_UNLOCK, RWTOOL_WRITEERR};
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(tools[i]->msgNumber, 0x2000 + i);
    EXPECT_EQ(rwMsgLookup(tools[i])[0], '[');
  }
}

TEST(RWCatalogue, FormattedMessages) {
  EXPECT_STREQ(RWMessage(RWTOOL_INDEX, 5u, 3u).str(), "[INDEX] Index (5) out of range [0->3]");
  EXPECT_STREQ(RWMessage(RWCORE_OVFLOW, 3, "abcdef", 3u).str(),
               "[OVFLOW] Overflow error -> \"abc\" <- (3 max characters)");
  EXPECT_STREQ(RWMessage(RWTOOL_CRABS, 42, 42).str(),
               "[CRABS] RWFactory: attempting to create abstract class with ID 42 (0x2a)");
  EXPECT_STREQ(RWMessage("plain %d").str(), "plain %d");

  std::string longName(600, 'n');
  RWMessage cut(RWCORE_OPERR, longName.c_str());
  EXPECT_EQ(strlen(cut.str()), size_t(RWMessage::kMaxText));

  RWMessage a("first"), b("second");
  a = b;
  a = a;
  RWMessage c(a);
  EXPECT_STREQ(c.str(), "second");
  EXPECT_NE(c.str(), b.str());
}

TEST(RWErrors, CopiesOwnOrReferAsTheSourceDid) {
  RWxalloc alloc(1234);
  EXPECT_EQ(alloc.why(), rwMsgLookup(RWCORE_NOMEM));  // the catalogue's own text
  EXPECT_EQ(alloc.requested(), 1234u);
  RWxalloc allocCopy(alloc);
  EXPECT_EQ(allocCopy.why(), rwMsgLookup(RWCORE_NOMEM));

  RWBoundsErr bounds(RWMessage(RWTOOL_INDEX, 9u, 2u));
  RWBoundsErr boundsCopy(bounds);
  EXPECT_STREQ(boundsCopy.why(), "[INDEX] Index (9) out of range [0->2]");
  EXPECT_NE(boundsCopy.why(), bounds.why());
  EXPECT_TRUE(boundsCopy.ownsText());

  const char* shared = "shared text";
  RWxmsg ref(shared, 0), own(shared, 1);
  EXPECT_EQ(ref.why(), shared);
  EXPECT_NE(own.why(), shared);
  RWxmsg assigned("x");
  assigned = own;
  EXPECT_STREQ(assigned.why(), "shared text");
  assigned = ref;
  EXPECT_EQ(assigned.why(), shared);
}

TEST(RWErrors, ThrownAndCaughtThroughTheHierarchy) {
  try {
    throw RWBoundsErr(RWMessage(RWTOOL_INDEX, 1u, 0u));
  } catch (const RWInternalErr& e) {
    EXPECT_STREQ(e.why(), "[INDEX] Index (1) out of range [0->0]");
  }
  FILE* f = tmpfile();
  try {
    throw RWFileErr(RWMessage(RWTOOL_SEEKERR), f, RWFileErr::seekErr);
  } catch (const RWExternalErr& e) {
    auto& fe = dynamic_cast<const RWFileErr&>(e);
    EXPECT_EQ(fe.descriptor(), f);
    EXPECT_EQ(fe.errorType(), RWFileErr::seekErr);
    EXPECT_STREQ(e.why(), "[SEEKERR] Seek error");
  }
  if (f) fclose(f);
  std::istringstream in;
  try {
    throw RWStreamErr(RWMessage(RWCORE_SYNSTREAM, "digit", "letter"), in);
  } catch (const RWxmsg& e) {
    auto& se = dynamic_cast<const RWStreamErr&>(e);
    EXPECT_EQ(&se.errStream(), static_cast<std::ios*>(&in));
    EXPECT_STREQ(e.why(), "[SYNSTREAM] Syntax error in input stream: expected digit, got letter");
  }
  try {
    RWBoundsErr(RWMessage(RWTOOL_NEVECL, 2u, 3u)).raise();
  } catch (const RWBoundsErr&) {
    FAIL() << "raise() throws the root class";
  } catch (const RWxmsg& e) {
    EXPECT_STREQ(e.why(), "[NEVECL] Unequal vector lengths: 2 versus 3");
  }
  try {
    throw RWxalloc(8);
  } catch (const RWxmsg& e) {
    EXPECT_STREQ(e.why(), "[NOMEM] No memory");
  }
}

}  // namespace
