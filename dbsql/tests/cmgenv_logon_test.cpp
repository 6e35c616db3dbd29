// Connection bookkeeping through the stand-in connector: numbering, sharing between
// tasks, the holder set at logoff, finding records, the current connection, and a
// logon racing a logoff.
#include "ram_internal.h"
#include "stand_in_connector.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string displayName(cmg_capabilities* con) {
  char buffer[200] = "";
  EXPECT_EQ(cmgGetInfo(con, CMG_INFO_DISPLAY_NAME, buffer, sizeof buffer), 0);
  return buffer;
}

TEST(Logon, SameLogonNameNumbersTheRecords) {
  ThreadErrors errors;
  StandInEnvironment s;
  ASSERT_NE(s.env, nullptr);
  cmg_capabilities* a = cmgLogon(s.env, "Sales", "DSN=Stock", 0);
  cmg_capabilities* b = cmgLogon(s.env, "Sales", "DSN=Stock", 0);
  cmg_capabilities* c = cmgLogon(s.env, nullptr, "DSN=Stock;LOGN=sales", 0);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->number, 1);
  EXPECT_EQ(b->number, 2);
  EXPECT_EQ(c->number, 3);
  EXPECT_STREQ(c->logonName, "sales");
  EXPECT_EQ(s.env->connections, c);  // new records go to the head
  EXPECT_EQ(displayName(a), "Stock");
  EXPECT_EQ(displayName(b), "Stock2-Stock");
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_DISPLAY_NAME, "STOCK2-stock"), b);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_DISPLAY_NAME, "Sales3-Stock"), c);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_DISPLAY_NAME, "Stock"), a);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_DISPLAY_NAME, "Stock2-Other"), nullptr);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_DISPLAY_NAME, "Stock4-Stock"), nullptr);
  // Without a logon name, the number counts the records of the data source.
  cmg_capabilities* d = cmgLogon(s.env, nullptr, "DSN=stock", 0);
  cmg_capabilities* e = cmgLogon(s.env, nullptr, "DSN=Other", 0);
  ASSERT_TRUE(d && e);
  EXPECT_EQ(d->number, 4);
  EXPECT_EQ(e->number, 1);
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(Logon, FindModes) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* files = cmgLogon(s.env, "Ledger", "DSN=Books;FILES={*.ovd,*.ovx;*.ovz}", 0);
  cmg_capabilities* plain = cmgLogon(s.env, "Main", "DSN=Server", 0);
  ASSERT_TRUE(files && plain);
  struct Case {
    uint16_t mode;
    const char* text;
    cmg_capabilities* expected;
  } cases[] = {
      {CMG_FIND_LOGON_NAME, "ledger", files},    {CMG_FIND_LOGON_NAME, "MAIN", plain},
      {CMG_FIND_LOGON_NAME, "none", nullptr},    {CMG_FIND_FILE_NAME, "d:\\books\\y2024.ovd", files},
      {CMG_FIND_FILE_NAME, "y2024.OVX", files},  // "," separates patterns
      {CMG_FIND_FILE_NAME, "y2024.ovz", files},  // and so does ";"
      {CMG_FIND_FILE_NAME, "y2024.ov", nullptr}, {CMG_FIND_FILE_NAME, "ovd", nullptr},
      {CMG_FIND_SOURCE_NAME, "books", files},    {CMG_FIND_SOURCE_NAME, "SERVER", plain},
      {CMG_FIND_SOURCE_NAME, "Serv", nullptr},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cmgConFromString(s.env, c.mode, c.text), c.expected) << c.mode << " " << c.text;
  EXPECT_TRUE(errors.numbers().empty());

  // Modes 1 and 3 see only file-driver records and those the calling task holds.
  s.env->taskNumber = 9;
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_LOGON_NAME, "Main"), nullptr);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_SOURCE_NAME, "Server"), nullptr);
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_SOURCE_NAME, "Books"), files);
  s.env->taskNumber = 0;

  EXPECT_EQ(cmgConFromString(s.env, 4, "Main"), nullptr);
  EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
  EXPECT_EQ(errors.lastText(), "The connection look-up mode '4' is not valid.");
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_LOGON_NAME, nullptr), nullptr);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
}

TEST(Logon, SingleConnectionDriversAndSharing) {
  ThreadErrors errors;
  StandInEnvironment s;
  s.env->taskNumber = 3;
  cmg_capabilities* first = cmgLogon(s.env, "Solo", "DSN=One;UID=ann;ONE=1", 0);
  ASSERT_NE(first, nullptr);
  // Another task's logon is marked as held for task 0 too.
  EXPECT_EQ(first->holders, (1ull << 3) | 1ull);
  EXPECT_TRUE(first->flagsA & CMG_A_HELD_FOR_TASK0);

  struct Case {
    uint16_t task;
    uint16_t flags;
    const char* connect;
    bool shared;
  } cases[] = {
      {3, CMG_PROMPT_SHARE, "DSN=One", false},           // the task holds it already
      {5, 0, "DSN=One", false},                          // sharing not asked for
      {5, CMG_PROMPT_SHARE, "DSN=One;UID=bob", false},   // another user
      {5, CMG_PROMPT_SHARE, "DSN=One;SRVR=two", false},  // another data source
      {5, CMG_PROMPT_SHARE, "DSN=One;UID=ANN;SRVR=the one box", true},
  };
  for (const Case& c : cases) {
    errors.clear();
    s.env->taskNumber = c.task;
    cmg_capabilities* got = cmgLogon(s.env, "solo", c.connect, c.flags);
    if (c.shared) {
      EXPECT_EQ(got, first) << c.connect;
      EXPECT_TRUE(first->holders & (1ull << c.task));
    } else {
      EXPECT_EQ(got, nullptr) << c.connect;
      EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{SQLMSG_LOGON_ONCE}) << c.connect;
    }
  }
  EXPECT_EQ(s.count(), 1u);
  EXPECT_EQ(first->holders, (1ull << 3) | (1ull << 5) | 1ull);
}

TEST(Logoff, RecordIsFreedOnlyWhenNoTaskHoldsIt) {
  ThreadErrors errors;
  StandInEnvironment s;
  s.env->taskNumber = 3;
  cmg_capabilities* con = cmgLogon(s.env, "Shared", "DSN=Db;ONE=1", 0);
  ASSERT_NE(con, nullptr);
  s.env->taskNumber = 5;
  ASSERT_EQ(cmgLogon(s.env, "Shared", "DSN=Db", CMG_PROMPT_SHARE), con);
  s.env->taskNumber = 0;
  ASSERT_EQ(cmgLogon(s.env, "Shared", "DSN=Db", CMG_PROMPT_SHARE), nullptr);  // bit 0 is set
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{SQLMSG_LOGON_ONCE});
  errors.clear();

  // Task 0 leaves: tasks 3 and 5 still hold the record.
  EXPECT_EQ(cmgLogoff(con), 0);
  ASSERT_EQ(s.count(), 1u);
  EXPECT_EQ(con->holders, (1ull << 3) | (1ull << 5));
  s.env->taskNumber = 3;
  EXPECT_EQ(cmgLogoff(con), 0);
  ASSERT_EQ(s.count(), 1u);
  EXPECT_EQ(con->holders, 1ull << 5);
  s.env->taskNumber = 5;
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(s.count(), 0u);

  // Without task 0 leaving: the bit set on another task's behalf does not keep it.
  s.env->taskNumber = 3;
  con = cmgLogon(s.env, "Shared", "DSN=Db", 0);
  ASSERT_NE(con, nullptr);
  s.env->taskNumber = 5;
  ASSERT_EQ(cmgLogon(s.env, "Shared", "DSN=Db", CMG_PROMPT_SHARE), con);
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(s.count(), 1u);
  s.env->taskNumber = 3;
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(s.count(), 0u);
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(Logon, ConnectionStringAndLogonNameAreUsedAsGiven) {
  ThreadErrors errors;
  StandInEnvironment s;
  std::string longString = "DSN=Long;PWD=";
  while (longString.size() < 1000) longString += static_cast<char>('a' + longString.size() % 26);
  ASSERT_EQ(longString.size(), 1000u);
  cmg_capabilities* con = cmgLogon(s.env, nullptr, longString.c_str(), 0);
  ASSERT_NE(con, nullptr);
  EXPECT_EQ(StandInConnector::lastString(), longString);

  cmg_capabilities* named = cmgLogon(s.env, "DUDeziZiv", "DSN=Plain", 0);
  ASSERT_NE(named, nullptr);
  EXPECT_STREQ(named->logonName, "DUDeziZiv");
  EXPECT_EQ(cmgConFromString(s.env, CMG_FIND_LOGON_NAME, "dudeziziv"), named);
  cmg_capabilities* fromString = cmgLogon(s.env, nullptr, "DSN=Plain; LOGN={DUDeziZiv} ", 0);
  ASSERT_NE(fromString, nullptr);
  EXPECT_STREQ(fromString->logonName, "DUDeziZiv");
  EXPECT_EQ(fromString->number, 2);

  // A failed connection keeps no record and leaves the driver's message.
  EXPECT_EQ(cmgLogon(s.env, "Bad", "DSN=Plain;FAIL=1", 0), nullptr);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{SQLMSG_DRIVER_ERROR});
  EXPECT_EQ(s.count(), 3u);
}

TEST(Logon, ConnectionDialogsAreNotOffered) {
  ThreadErrors errors;
  StandInEnvironment s;
  EXPECT_EQ(cmgDlgClearOptions(s.env), 1);
  EXPECT_EQ(cmgDlgSetOptions(s.env, "DSN=x"), 1);
  EXPECT_EQ(cmgDlgBox(s.env, nullptr), 1);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>(3, SQLMSG_NO_CONNECTION_DIALOG));
}

TEST(Current, OneCurrentRecordPerTask) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* a = cmgLogon(s.env, nullptr, "DSN=A", 0);
  cmg_capabilities* b = cmgLogon(s.env, nullptr, "DSN=B", 0);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(cmgGetCurrent(s.env), nullptr);
  cmgSetCurrent(s.env, a);
  EXPECT_EQ(cmgGetCurrent(s.env), a);
  s.env->taskNumber = 4;
  EXPECT_EQ(cmgGetCurrent(s.env), nullptr);
  cmgSetCurrent(s.env, b);
  EXPECT_EQ(cmgGetCurrent(s.env), b);
  s.env->taskNumber = 0;
  EXPECT_EQ(cmgGetCurrent(s.env), a);
  cmgSetCurrent(s.env, b);
  EXPECT_EQ(a->current, 0u);
  EXPECT_EQ(b->current, (1ull << 4) | 1ull);
  cmgSetCurrent(s.env, nullptr);
  EXPECT_EQ(cmgGetCurrent(s.env), nullptr);
  EXPECT_EQ(b->current, 1ull << 4);
}

uint32_t chunksInUse() {
  uint32_t n = 0;
  for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
  return n;
}

TEST(Environment, TermFreesEverything) {
  ThreadErrors errors;
  uint32_t before = chunksInUse();
  {
    StandInEnvironment s;
    ASSERT_NE(s.env, nullptr);
    s.env->taskNumber = 2;
    cmg_capabilities* a = cmgLogon(s.env, "Kept", "DSN=One;UID=u;FILES={*.ovd}", 0);
    ASSERT_NE(a, nullptr);
    s.env->taskNumber = 3;
    ASSERT_EQ(cmgLogon(s.env, "Kept", "DSN=One;UID=u", CMG_PROMPT_SHARE), a);
    ASSERT_NE(cmgLogon(s.env, nullptr, "DSN=Two", 0), nullptr);
    EXPECT_EQ(cmgSetTableCaching(a, CMG_CACHE_TEMPORARY), 0);
    cmgSetCurrent(s.env, a);
    // ~StandInEnvironment: cmgTerm logs off records other tasks still hold.
  }
  EXPECT_EQ(chunksInUse(), before);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

struct Race {
  cmgInfo* env;
  int rounds;
  int failures;
};

DWORD WINAPI logonLogoff(void* p) {
  Race* r = static_cast<Race*>(p);
  ThreadErrors errors;
  for (int i = 0; i < r->rounds; ++i) {
    cmg_capabilities* con = cmgLogon(r->env, nullptr, "DSN=Churn", 0);
    if (!con || cmgLogoff(con)) ++r->failures;
  }
  return 0;
}

DWORD WINAPI logonOnly(void* p) {
  Race* r = static_cast<Race*>(p);
  ThreadErrors errors;
  for (int i = 0; i < r->rounds; ++i)
    if (!cmgLogon(r->env, "Keep", "DSN=Kept", 0)) ++r->failures;
  return 0;
}

TEST(Logon, LogonsAndLogoffsOnTwoThreadsLeaveTheListWhole) {
  StandInEnvironment s;
  Race churn = {s.env, 300, 0}, keep = {s.env, 300, 0};
  HANDLE threads[] = {CreateThread(nullptr, 0, logonLogoff, &churn, 0, nullptr),
                      CreateThread(nullptr, 0, logonOnly, &keep, 0, nullptr)};
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE t : threads) CloseHandle(t);
  EXPECT_EQ(churn.failures, 0);
  EXPECT_EQ(keep.failures, 0);
  // Every kept record is in the list once, numbered 1 to 300.
  std::vector<int> seen(301, 0);
  size_t n = 0;
  for (cmg_capabilities* r = s.env->connections; r; r = r->next, ++n) {
    ASSERT_STREQ(r->sourceName, "Kept");
    ASSERT_LE(r->number, 300);
    ++seen[r->number];
  }
  EXPECT_EQ(n, 300u);
  for (int i = 1; i <= 300; ++i) EXPECT_EQ(seen[i], 1) << i;
}

}  // namespace
