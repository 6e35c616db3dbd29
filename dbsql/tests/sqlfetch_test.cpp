// Fetching on real rows of the SQLite DSN: the whole road of a query from opening to
// closing, the fetch's answers by cursor kind (row log, scrollable cursor, forward only),
// reading ahead, the row counts and the search for the number of rows; on the scripted
// driver the private row count and the search over its absolute fetches.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlagg.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlfetch.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxmemory.h"
#include "fake_driver.h"
#include "sql_executed.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";

// The road of a query: opened, executed, fetched forward to row 10, back to row 3 (from
// the row log), to its last row, its long text read whole and in pieces, its rows
// counted, and closed.
TEST(Fetch, TheRoadOfAQuery) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  sql_qry* q = nullptr;
  ASSERT_EQ(sqlOpen(l.con, nullptr,
                    "SELECT numbered.id, numbered.label, memos.body FROM numbered, memos "
                    "WHERE memos.id = 1 AND numbered.id <= 25 ORDER BY numbered.id",
                    SQLOPEN_PARSE, 0, 0, &q),
            0)
      << errors.lastText();
  ASSERT_EQ(sqlLogOptions(q, 3), 0);
  uint32_t affected = 0;
  ASSERT_EQ(sqlXExecute(q, &affected), 0) << errors.lastText();
  auto id = [&] {
    int32_t v = 0;
    memcpy(&v, q->columns[0]->value, 4);
    return v;
  };

  ASSERT_EQ(sqlXFetch(q, 10), 0) << errors.lastText();
  EXPECT_EQ(q->currentRow, 10u);
  EXPECT_EQ(id(), 10);
  ASSERT_EQ(sqlXFetch(q, 3), 0) << errors.lastText();
  EXPECT_EQ(id(), 3);
  EXPECT_EQ(q->rowsInLog, 10u);  // row 3 came from the log
  // Beyond the end: the last row becomes current and the count known.
  ASSERT_EQ(sqlXFetch(q, 0xFFFFFFFFu), 0) << errors.lastText();
  EXPECT_EQ(q->currentRow, 25u);
  EXPECT_EQ(id(), 25);
  EXPECT_TRUE(q->flags & SQLQ_COUNT_KNOWN);
  EXPECT_EQ(q->rowCount, 25u);

  // The 1000-byte text of the last row, whole and in pieces of 400 bytes.
  const std::string body = pattern("0123456789", 1000);
  char* whole = nullptr;
  uint16_t length = 0;
  ASSERT_EQ(sqlGetMemo(q, 3, &whole, &length), 0) << errors.lastText();
  EXPECT_EQ(length, 1000);
  EXPECT_TRUE(std::string(whole, length) == body);
  EXPECT_EQ(whole[length], 0);
  ramFree(whole);
  std::string pieces;
  for (uint32_t offset = 0;; offset += 400) {
    char piece[400];
    uint16_t size = sizeof piece;
    const int16_t more = sqlGetSomeMemo(q, 3, piece, &size, offset);
    ASSERT_GE(more, 0) << errors.lastText();
    pieces.append(piece, size);
    if (more == SQLMEMO_LAST) break;
  }
  EXPECT_TRUE(pieces == body);

  uint32_t rows = 0;
  ASSERT_EQ(sqlNumRowsRead(q, &rows), 0);
  EXPECT_EQ(rows, 25u);
  EXPECT_EQ(sqlClose(q), 0) << errors.lastText();
  EXPECT_EQ(l.con->queries, nullptr);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
}

// Fetching row 10 of a five-row result, twice: the first time the count is unknown and
// the fetch stops on the last row; the second time it is known. Without a row log or a
// scrollable cursor the second answer is 4530, with position and counts unchanged.
TEST(Fetch, PastTheEndByCursorKind) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (Cursor c : {LOGGED, FORWARD, SCROLLABLE}) {
    SCOPED_TRACE(cursorName(c));
    Executed e(l.con, "SELECT id, label FROM numbered WHERE id <= 5 ORDER BY id", c);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(e.q, 10), 0) << errors.lastText();
    EXPECT_EQ(e.q->currentRow, 5u);
    EXPECT_EQ(e.integer(0), 5);
    EXPECT_EQ(e.text(1), "row 5");
    EXPECT_TRUE(e.q->flags & SQLQ_COUNT_KNOWN);
    EXPECT_EQ(e.q->rowCount, 5u);
    errors.clear();
    if (c == FORWARD) {
      EXPECT_EQ(sqlXFetch(e.q, 10), 1);
      EXPECT_EQ(errors.last(), SQLMSG_EOF);
      EXPECT_EQ(errors.lastText(), "EOF. Returned when there is no row to return.");
    } else {
      EXPECT_EQ(sqlXFetch(e.q, 10), 0) << errors.lastText();
    }
    EXPECT_EQ(e.q->currentRow, 5u);
    EXPECT_EQ(e.q->rowsFetched, 5u);
    EXPECT_EQ(e.integer(0), 5);
  }
}

// Bad requests answer their message and leave position and counts as they were: a row
// behind a cursor without a log (4518), row 0, a query not executed (4524).
TEST(Fetch, RefusalsLeaveThePosition) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", FORWARD);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  ASSERT_EQ(sqlXFetch(e.q, 10), 0) << errors.lastText();
  struct Case {
    uint32_t row;
    unsigned short message;
  } cases[] = {{3, 4518}, {1, 4518}, {0, SQLMSG_INVALID_VALUE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    errors.clear();
    EXPECT_EQ(sqlXFetch(e.q, c.row), 1);
    EXPECT_EQ(errors.last(), c.message);
    EXPECT_EQ(e.q->currentRow, 10u);
    EXPECT_EQ(e.q->rowsFetched, 10u);
    EXPECT_EQ(e.integer(0), 10);
  }
  errors.clear();
  ASSERT_EQ(sqlXFetch(e.q, 11), 0) << errors.lastText();
  EXPECT_EQ(e.integer(0), 11);

  sql_qry* fresh = nullptr;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", SQLOPEN_PARSE, 0, 0, &fresh), 0);
  EXPECT_EQ(sqlXFetch(fresh, 1), 1);
  EXPECT_EQ(errors.last(), 4524);
  EXPECT_EQ(sqlClose(fresh), 0);
}

// Reading ahead keeps the current row and its edited values; a forward-only query
// without a log cannot, and gives up its cursor: later fetches answer 4532.
TEST(Fetch, ReadAhead) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (Cursor c : {LOGGED, SCROLLABLE}) {
    SCOPED_TRACE(cursorName(c));
    Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", c);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(e.q, 4), 0) << errors.lastText();
    // An edit of the label, not written yet.
    sql_qry_fld* label = e.q->columns[1];
    memcpy(label->value, "edited", 6);
    label->valueLength = 6;
    label->flags |= SQLC_CHANGED;
    e.q->flags |= SQLQ_ROW_CHANGED;
    ASSERT_EQ(sqlReadToRowNum(e.q, 40), 0) << errors.lastText();
    EXPECT_EQ(e.q->currentRow, 4u);
    EXPECT_EQ(e.integer(0), 4);
    EXPECT_EQ(e.text(1), "edited");
    EXPECT_TRUE(label->flags & SQLC_CHANGED);
    EXPECT_TRUE(e.q->flags & SQLQ_ROW_CHANGED);
    if (c == LOGGED) {
      EXPECT_EQ(e.q->rowsInLog, 40u);
    }
  }
  Executed e(l.con, "SELECT id, label FROM numbered ORDER BY id", FORWARD);
  ASSERT_EQ(e.status, 0) << errors.lastText();
  ASSERT_EQ(sqlXFetch(e.q, 4), 0) << errors.lastText();
  ASSERT_EQ(sqlReadToRowNum(e.q, 40), 0) << errors.lastText();
  EXPECT_TRUE(e.q->flags & SQLQ_HANDLES_DROPPED);
  EXPECT_EQ(e.q->hstmt, nullptr);
  EXPECT_EQ(e.integer(0), 4);
  errors.clear();
  EXPECT_EQ(sqlXFetch(e.q, 5), 1);
  EXPECT_EQ(errors.last(), 4532);
  EXPECT_EQ(errors.lastText(),
            "Fetching no longer allowed on this statement, probably due to a previous update or delete.  "
            "Enabling logging will probably fix the error.");
  EXPECT_EQ(e.q->currentRow, 4u);
  // Nothing more to read ahead with.
  EXPECT_EQ(sqlReadToRowNum(e.q, 50), 0);
}

// The number of rows of results of 0, 1, 2, 97 and 1000 rows: by a binary search of
// absolute fetches on a scrollable cursor (SQLite's, and the scripted driver's), and
// by the scripted driver's private count; the fetch past the end ends on the last row.
TEST(Fetch, RowCountSearch) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (uint32_t n : {0u, 1u, 2u, 97u, 1000u}) {
    SCOPED_TRACE(n);
    const std::string text = "SELECT id FROM thousand WHERE id <= " + std::to_string(n) + " ORDER BY id";
    {
      Executed e(l.con, text.c_str(), SCROLLABLE);
      ASSERT_EQ(e.status, 0) << errors.lastText();
      ASSERT_TRUE(e.q->flags & SQLQ_SCROLLABLE);
      uint32_t count = 12345;
      ASSERT_EQ(sqlResultRowCount(e.q, &count), 0) << errors.lastText();
      EXPECT_EQ(count, n);
      EXPECT_EQ(e.q->rowCount, n);
      EXPECT_TRUE(e.q->flags & SQLQ_COUNT_KNOWN);
    }
    for (Cursor c : {SCROLLABLE, LOGGED, FORWARD}) {
      SCOPED_TRACE(cursorName(c));
      Executed e(l.con, text.c_str(), c);
      ASSERT_EQ(e.status, 0) << errors.lastText();
      ASSERT_EQ(sqlXFetch(e.q, 5000), 0) << errors.lastText();
      EXPECT_EQ(e.q->currentRow, n);
      if (n) {
        EXPECT_EQ(e.integer(0), static_cast<int32_t>(n));
      }
      EXPECT_EQ(e.q->rowCount, n);
      uint32_t read = 0;
      ASSERT_EQ(sqlNumRowsRead(e.q, &read), 0);
      EXPECT_EQ(read, n);
    }
  }
}

std::string scriptOf(uint32_t rows, const char* more) {
  std::string s = more;
  s += "result SELECT\ncolumns a:int\n";
  for (uint32_t i = 1; i <= rows; ++i) s += "row " + std::to_string(i) + "\n";
  return s;
}

TEST(Fetch, RowCountOnTheScriptedDriver) {
  REQUIRE_FAKE_DRIVER();
  for (uint32_t n : {0u, 1u, 2u, 97u, 1000u}) {
    SCOPED_TRACE(n);
    ThreadErrors errors;
    // The private count: capability byte bit 3 (flag B 64).
    {
      FakeDriver fake("fetch_private_count", scriptOf(n, "info 1025 int 0x08000000\n"));
      Logon l(fake.connect());
      ASSERT_TRUE(l.con) << errors.lastText();
      ASSERT_TRUE(l.con->flagsB & CMG_B_DRIVER_BIT3);
      Executed e(l.con, "SELECT a FROM t", FORWARD);
      ASSERT_EQ(e.status, 0) << errors.lastText();
      uint32_t count = 12345;
      ASSERT_EQ(sqlResultRowCount(e.q, &count), 0) << errors.lastText();
      EXPECT_EQ(count, n);
      EXPECT_TRUE(e.q->flags & SQLQ_COUNT_KNOWN);
      EXPECT_EQ(fake.count("SQLGetStmtOption"), 1u);
      // No maximum rows set: no absolute fetch. (The driver manager fetches through
      // SQLExtendedFetch too, going to the next row.)
      EXPECT_EQ(fake.logLines("SQLExtendedFetch").size(), fake.logLines("SQLExtendedFetch stmt").size());
      for (const std::string& line : fake.logLines("SQLExtendedFetch")) EXPECT_EQ(line.find(" 5 "), std::string::npos) << line;
      // The rows read so far, from the driver's count too.
      uint32_t read = 0;
      ASSERT_EQ(sqlNumRowsRead(e.q, &read), 0);
      EXPECT_EQ(read, n);
    }
    // With a maximum number of rows, the cursor goes there first.
    {
      FakeDriver fake("fetch_private_max", scriptOf(n, "info 1025 int 0x08000000\n"));
      Logon l(fake.connect());
      ASSERT_TRUE(l.con) << errors.lastText();
      Executed e(l.con, "SELECT a FROM t", FORWARD);
      ASSERT_EQ(e.status, 0) << errors.lastText();
      e.q->maxRows = 50;
      uint32_t count = 0;
      ASSERT_EQ(sqlResultRowCount(e.q, &count), 0) << errors.lastText();
      EXPECT_EQ(count, n);
      std::vector<std::string> fetches;
      for (const std::string& line : fake.logLines("SQLExtendedFetch"))
        if (line.find(" 5 ") != std::string::npos) fetches.push_back(line);
      ASSERT_EQ(fetches.size(), 1u);
      EXPECT_NE(fetches[0].find(" 5 50"), std::string::npos) << fetches[0];
    }
    // Without the private count: the binary search over absolute fetches.
    {
      FakeDriver fake("fetch_search", scriptOf(n, ""));
      Logon l(fake.connect());
      ASSERT_TRUE(l.con) << errors.lastText();
      ASSERT_FALSE(l.con->flagsB & CMG_B_DRIVER_BIT3);
      Executed e(l.con, "SELECT a FROM t", SCROLLABLE);
      ASSERT_EQ(e.status, 0) << errors.lastText();
      ASSERT_TRUE(e.q->flags & SQLQ_SCROLLABLE);
      uint32_t count = 12345;
      ASSERT_EQ(sqlResultRowCount(e.q, &count), 0) << errors.lastText();
      EXPECT_EQ(count, n);
      EXPECT_EQ(fake.count("SQLGetStmtOption"), 0u);
      EXPECT_LE(fake.count("SQLExtendedFetch stmt"), 40u);  // some 31 absolute fetches
      // After row r the search begins past it.
      if (n >= 2) {
        Executed f(l.con, "SELECT a FROM t", SCROLLABLE);
        ASSERT_EQ(sqlXFetch(f.q, 2), 0) << errors.lastText();
        ASSERT_EQ(sqlXFetch(f.q, 100000), 0) << errors.lastText();
        EXPECT_EQ(f.q->currentRow, n);
        EXPECT_EQ(f.integer(0), static_cast<int32_t>(n));
      }
    }
  }
}

// A number of a column whatever form the driver gave it in: 32-bit, double or text.
double numberOf(const sql_qry_fld* f) {
  if (f->bindType == SQL_C_LONG || f->bindType == SQL_C_SLONG) {
    int32_t v = 0;
    memcpy(&v, f->value, 4);
    return v;
  }
  if (f->bindType == SQL_C_DOUBLE) {
    double v = 0;
    memcpy(&v, f->value, 8);
    return v;
  }
  return atof(std::string(reinterpret_cast<const char*>(f->value), f->valueLength).c_str());
}

double aggregate(sql_qry* q, uint16_t column, uint16_t kind) {
  uint8_t buffer[300] = {};
  int32_t length = 0;
  if (!sqlAggGetValue(q, nullptr, column, kind, buffer, &length)) return -1;
  if (length == 4) {
    int32_t v = 0;
    memcpy(&v, buffer, 4);
    return v;
  }
  double v = 0;
  if (length == 8) memcpy(&v, buffer, 8);
  return v;
}

// Fetching takes each row into the aggregates exactly once, whatever the steps: after
// fetching to the end (back and forth where the cursor allows it) the sum and count of
// a column equal SQLite's SUM and COUNT.
TEST(Fetch, EachRowIsAggregatedOnce) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  double sum = 0, count = 0;
  {
    Executed totals(l.con, "SELECT SUM(amount), COUNT(amount) FROM thousand", LOGGED);
    ASSERT_EQ(totals.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(totals.q, 1), 0) << errors.lastText();
    sum = numberOf(totals.q->columns[0]);
    count = numberOf(totals.q->columns[1]);
  }
  ASSERT_EQ(count, 1000);
  ASSERT_GT(sum, 0);
  struct Case {
    Cursor cursor;
    std::vector<uint32_t> steps;
  } cases[] = {
      {LOGGED, {10, 3, 1, 500, 200, 499, 501, 1000, 1, 5000}},
      {SCROLLABLE, {10, 3, 1, 500, 200, 1000, 2, 5000}},
      {FORWARD, {1, 2, 10, 11, 500, 999, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(cursorName(c.cursor));
    Executed e(l.con, "SELECT id, amount FROM thousand ORDER BY id", c.cursor);
    ASSERT_EQ(e.status, 0) << errors.lastText();
    ASSERT_EQ(sqlAggCreate(e.q, nullptr, 1, SQLAGG_SUM, 0), 0) << errors.lastText();
    ASSERT_EQ(sqlAggCreate(e.q, nullptr, 1, SQLAGG_COUNT, 0), 0) << errors.lastText();
    for (uint32_t step : c.steps) {
      ASSERT_EQ(sqlXFetch(e.q, step), 0) << step << " " << errors.lastText();
      const uint32_t expected = step < 1000 ? step : 1000;
      EXPECT_EQ(e.q->currentRow, expected);
    }
    EXPECT_EQ(e.q->rowsAggregated, 1000u);
    EXPECT_EQ(aggregate(e.q, 1, SQLAGG_COUNT), count);
    EXPECT_EQ(aggregate(e.q, 1, SQLAGG_SUM), sum);
  }
}

}  // namespace
