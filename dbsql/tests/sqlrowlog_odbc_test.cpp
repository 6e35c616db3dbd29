// The row log with real rows: the SQLite DSN's rows fetched into the log and read again
// backwards and by number, a forward-only cursor without a log refusing to go back, a
// text longer than 64 KB sent from the driver straight into the log, and on the scripted
// driver the column reads that fail or warn: the row is not counted and reads again.
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxmemory.h"
#include "fake_driver.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";

// A query opened, executed and set to log (mode 3) or not (mode 1).
struct Executed {
  Executed(cmg_capabilities* con, const char* text, uint16_t logMode) {
    status = sqlOpen(con, nullptr, text, SQLOPEN_PARSE, 22, 26, &q);
    uint32_t rows = 0;
    if (!status) status = sqlLogOptions(q, logMode) || sqlXExecute(q, &rows) || sqlLogInit(q);
  }
  ~Executed() {
    if (q) {
      EXPECT_EQ(sqlFreeQuery(q), 0);
    }
  }
  sql_qry_fld* col(uint16_t i) const { return q->columns[i]; }
  int32_t integer(uint16_t i) const {
    int32_t v = 0;
    memcpy(&v, col(i)->value, 4);
    return v;
  }
  std::string text(uint16_t i) const {
    const sql_qry_fld* f = col(i);
    if (f->valueLength < 0) return "<NULL>";
    return std::string(reinterpret_cast<const char*>(f->value), f->valueLength < 255 ? f->valueLength : 255);
  }
  sql_qry* q = nullptr;
  JxStatus status = 1;
};

TEST(RowLogOdbc, RowsReadBackwardsAndByNumber) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", 3);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  ASSERT_TRUE(e.q->flags & SQLQ_LOGGING);
  for (uint32_t r = 1; r <= 300; ++r) {
    ASSERT_EQ(sqlLogPosition(e.q, r), 0) << r << errors.lastText();
    ASSERT_EQ(e.q->currentRow, r);
    ASSERT_EQ(e.integer(0), static_cast<int32_t>(r));
  }
  EXPECT_EQ(e.q->rowsInLog, 300u);
  // Past the end: the count becomes known and the query stays on the last row.
  ASSERT_EQ(sqlLogPosition(e.q, 301), 0) << errors.lastText();
  EXPECT_TRUE(e.q->flags & SQLQ_COUNT_KNOWN);
  EXPECT_EQ(e.q->rowCount, 300u);
  EXPECT_EQ(e.q->currentRow, 300u);
  ASSERT_EQ(sqlLogPosition(e.q, 400), 0);
  EXPECT_EQ(e.q->currentRow, 300u);
  for (uint32_t r = 300; r >= 1; --r) {
    ASSERT_EQ(sqlLogPosition(e.q, r), 0) << r << errors.lastText();
    ASSERT_EQ(e.integer(0), static_cast<int32_t>(r));
    ASSERT_EQ(e.text(1), "row " + std::to_string(r));
  }
  for (uint32_t r : {17u, 250u, 1u, 96u, 97u, 193u, 300u, 2u}) {
    ASSERT_EQ(sqlLogPosition(e.q, r), 0) << r << errors.lastText();
    EXPECT_EQ(e.integer(0), static_cast<int32_t>(r));
    EXPECT_EQ(e.text(1), "row " + std::to_string(r));
  }
}

TEST(RowLogOdbc, BackwardsWithoutALogIsRefused) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  {
    Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", 1);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    ASSERT_FALSE(e.q->flags & (SQLQ_LOGGING | SQLQ_SCROLLABLE));
    ASSERT_EQ(sqlLogPosition(e.q, 10), 0) << errors.lastText();
    EXPECT_EQ(e.integer(0), 10);
    ASSERT_EQ(sqlLogPosition(e.q, 10), 0);  // the row it stands on
    EXPECT_EQ(sqlLogPosition(e.q, 5), 1);
    EXPECT_EQ(errors.last(), 4518);
    EXPECT_EQ(errors.lastText(), "You cannot read backwards without a logfile.");
    EXPECT_EQ(e.q->currentRow, 10u);
    ASSERT_EQ(sqlLogPosition(e.q, 11), 0) << errors.lastText();
    EXPECT_EQ(e.integer(0), 11);
    EXPECT_EQ(e.q->rowsInLog, 0u);
  }
  Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", 3);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  ASSERT_EQ(sqlLogPosition(e.q, 10), 0) << errors.lastText();
  ASSERT_EQ(sqlLogPosition(e.q, 5), 0) << errors.lastText();
  EXPECT_EQ(e.integer(0), 5);
  EXPECT_EQ(e.text(1), "row 5");
  EXPECT_EQ(e.q->rowsInLog, 10u);
}

TEST(RowLogOdbc, LongTextGoesStraightIntoTheLog) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  std::string expected;
  for (int i = 0; i < 50000; ++i) expected += "ab";
  for (uint16_t options : {uint16_t(0), uint16_t(SQLLOG_OPT_CHAR_TRANSFER)}) {
    SCOPED_TRACE(options);
    Executed e(l.con, "SELECT id, body, 'tail' FROM longtext", 3);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    e.q->logOptions = options;
    ASSERT_EQ(sqlLogPosition(e.q, 1), 0) << errors.lastText();
    sql_qry_fld* body = e.col(1);
    EXPECT_EQ(body->valueLength, 100000);
    // Only the first 255 bytes are in the buffer; nothing in a separate one.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(body->value), 255), expected.substr(0, 255));
    EXPECT_FALSE(body->longValue);
    EXPECT_EQ(e.text(2), "tail");
    std::vector<char> whole(100000);
    uint32_t copied = 0;
    ASSERT_EQ(sqlLogReadLongValue(e.q, 1, 2, whole.data(), 100000, &copied), 0) << errors.lastText();
    EXPECT_EQ(copied, 100000u);
    EXPECT_TRUE(std::string(whole.begin(), whole.end()) == expected);
    // Read back from the log after the end was reached.
    ASSERT_EQ(sqlLogPosition(e.q, 2), 0);
    ASSERT_EQ(sqlLogPosition(e.q, 1), 0) << errors.lastText();
    EXPECT_EQ(body->valueLength, 100000);
    const uint32_t at = sqlLogValueOffset(e.q, 1, 2);
    ASSERT_LT(at, SQLLOG_FAILED);
    char tail[4] = {};
    ASSERT_EQ(sqlLogReadBytes(e.q, at + 99996, 4, tail), 0);
    EXPECT_EQ(std::string(tail, 4), "abab");
  }
  // Without a log, the column's separate buffer keeps the text up to 65435 bytes, or up
  // to the query's maximum long-value length.
  for (uint16_t limit : {uint16_t(0), uint16_t(1000)}) {
    Executed e(l.con, "SELECT body FROM longtext", 1);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    e.q->longValueLimit = limit;
    ASSERT_EQ(sqlLogPosition(e.q, 1), 0) << errors.lastText();
    const int32_t kept = limit ? limit : 65435;
    EXPECT_EQ(e.col(0)->valueLength, kept);
    ASSERT_TRUE(e.col(0)->longValue);
    EXPECT_TRUE(std::string(reinterpret_cast<char*>(e.col(0)->longValue), kept) == expected.substr(0, kept));
    EXPECT_EQ(e.col(0)->longValue[kept], 0);
  }
}

// Row changes on logged rows: a new version of an edited row, an inserted and a removed
// row, each journalled, and the journal taking them back newest first.
TEST(RowLogOdbc, ChangesAreJournalledAndTakenBack) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", 3);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  ASSERT_EQ(sqlLogPosition(e.q, 10), 0) << errors.lastText();
  auto label = [&](uint32_t r) {
    return sqlLogReadRow(e.q, r) ? std::string("<failed>") : e.text(1);
  };
  // Row 3 edited: its label changed, its id referred to.
  ASSERT_EQ(sqlLogPosition(e.q, 3), 0);
  e.col(1)->flags |= SQLC_CHANGED;
  ASSERT_EQ(sqlLogStoreValue("third", 5, e.col(1), e.q), 0) << errors.lastText();
  ASSERT_EQ(sqlLogRewriteRow(e.q, 3), 0) << errors.lastText();
  e.col(1)->flags &= ~SQLC_CHANGED;
  EXPECT_EQ(label(3), "third");
  EXPECT_EQ(e.integer(0), 3);
  // A new row before row 5, and row 2 removed.
  ASSERT_EQ(sqlLogStoreValue("inserted", 8, e.col(1), e.q), 0);
  ASSERT_EQ(sqlLogInsertRow(e.q, 5), 0) << errors.lastText();
  EXPECT_EQ(e.q->rowsInLog, 11u);
  EXPECT_EQ(label(5), "inserted");
  EXPECT_EQ(label(6), "row 5");
  ASSERT_EQ(sqlLogDeleteRow(e.q, 2), 0) << errors.lastText();
  EXPECT_EQ(e.q->rowsInLog, 10u);
  EXPECT_EQ(label(2), "third");
  EXPECT_EQ(label(4), "inserted");
  EXPECT_EQ(e.q->logJournalCount, 3u);
  // Taken back: the rows as they were fetched.
  ASSERT_EQ(sqlLogJournalReplay(e.q), 0) << errors.lastText();
  for (uint32_t r = 1; r <= 10; ++r) EXPECT_EQ(label(r), "row " + std::to_string(r)) << r;
}

// The scripted driver: column 2 of the first row fails once, or warns.
struct Scripted {
  Scripted(const char* name, const std::string& lines)
      : fake(name, "result SELECT\ncolumns a:int b:text\nrow 1 | one\nrow 2 | two\nrow 3 | three\n" + lines) {
  }
  FakeDriver fake;
};

TEST(RowLogOdbc, FailedColumnReadLeavesTheCountersAndReadsAgain) {
  REQUIRE_FAKE_DRIVER();
  for (uint16_t mode : {uint16_t(3), uint16_t(1)}) {
    SCOPED_TRACE(mode);
    ThreadErrors errors;
    Scripted s("rowlog_failed_read", "once SQLGetData:2 -1 S1000 0 [fake] the column could not be read\n");
    Logon l(s.fake.connect());
    ASSERT_TRUE(l.con) << errors.lastText();
    Executed e(l.con, "SELECT a, b FROM t", mode);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    EXPECT_EQ(sqlLogPosition(e.q, 1), 1);
    EXPECT_NE(errors.lastText().find("the column could not be read"), std::string::npos) << errors.lastText();
    EXPECT_EQ(e.q->rowsFetched, 0u);
    EXPECT_EQ(e.q->rowsInLog, 0u);
    EXPECT_FALSE(e.q->flags & SQLQ_COUNT_KNOWN);
    EXPECT_EQ(e.q->rowCount, 0xFFFFFFFFu);
    // The same row again, then the next one.
    errors.clear();
    ASSERT_EQ(sqlLogPosition(e.q, 1), 0) << errors.lastText();
    EXPECT_EQ(e.integer(0), 1);
    EXPECT_EQ(e.text(1), "one");
    ASSERT_EQ(sqlLogPosition(e.q, 2), 0) << errors.lastText();
    EXPECT_EQ(e.text(1), "two");
    EXPECT_EQ(e.q->rowsInLog, mode == 3 ? 2u : 0u);
  }
}

TEST(RowLogOdbc, OnlyTruncationIsAcceptedAsAWarning) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Scripted s("rowlog_warning", "once SQLGetData:2 1 01S07 0 [fake] fractional truncation\n");
  Logon l(s.fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Executed e(l.con, "SELECT a, b FROM t", 3);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  EXPECT_EQ(sqlLogPosition(e.q, 1), 1);
  EXPECT_NE(errors.lastText().find("fractional truncation"), std::string::npos) << errors.lastText();
  EXPECT_EQ(e.q->rowsInLog, 0u);
  errors.clear();
  ASSERT_EQ(sqlLogPosition(e.q, 3), 0) << errors.lastText();
  EXPECT_EQ(e.text(1), "three");
  ASSERT_EQ(sqlLogPosition(e.q, 1), 0) << errors.lastText();
  EXPECT_EQ(e.text(1), "one");
}

}  // namespace
