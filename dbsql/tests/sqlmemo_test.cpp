// Long values of the SQLite DSN's memos table (1000 bytes, NULL, a short text, 70000
// bytes) read whole and in pieces from the row log, from a scrollable cursor and from a
// forward-only cursor's column; the long-value limit; an edited value; an offset past
// the value refused with the position kept.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlfetch.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlquery.h"
#include "dbutil/jxmemory.h"
#include "sql_executed.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";

// The memos table's rows.
struct Memos : Executed {
  Memos(cmg_capabilities* con, Cursor cursor) : Executed(con, "SELECT id, body FROM memos ORDER BY id", cursor) {}
};

// Every piece of column 2 from offset 0 with a buffer of size bytes: the codes, the
// sizes and the bytes.
struct Pieces {
  std::vector<int16_t> codes;
  std::vector<uint16_t> sizes;
  std::string bytes;
};

Pieces readPieces(sql_qry* q, uint16_t size) {
  Pieces p;
  std::vector<char> buffer(size);
  for (uint32_t offset = 0; p.codes.size() < 1000;) {
    uint16_t length = size;
    const int16_t code = sqlGetSomeMemo(q, 2, buffer.data(), &length, offset);
    p.codes.push_back(code);
    if (code == SQLMEMO_FAILED || code == SQLMEMO_NULL) break;
    p.sizes.push_back(length);
    p.bytes.append(buffer.data(), length);
    offset += length;
    if (code == SQLMEMO_LAST) break;
  }
  return p;
}

TEST(Memo, PiecesOfAThousandBytes) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  const std::string body = pattern("0123456789", 1000);
  for (Cursor c : {LOGGED, SCROLLABLE, FORWARD}) {
    SCOPED_TRACE(cursorName(c));
    Memos m(l.con, c);
    ASSERT_EQ(m.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(m.q, 1), 0) << errors.lastText();
    Pieces p = readPieces(m.q, 400);
    EXPECT_EQ(p.codes, (std::vector<int16_t>{1, 1, 0}));
    EXPECT_EQ(p.sizes, (std::vector<uint16_t>{400, 400, 200}));
    EXPECT_TRUE(p.bytes == body);
    // Whole.
    char* whole = nullptr;
    uint16_t length = 0;
    ASSERT_EQ(sqlGetMemo(m.q, 2, &whole, &length), 0) << errors.lastText();
    EXPECT_EQ(length, 1000);
    EXPECT_TRUE(std::string(whole, length) == body);
    EXPECT_EQ(whole[1000], 0);
    ramFree(whole);
    EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
  }
}

TEST(Memo, NullAndShortValues) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (Cursor c : {LOGGED, SCROLLABLE, FORWARD}) {
    SCOPED_TRACE(cursorName(c));
    Memos m(l.con, c);
    ASSERT_EQ(m.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(m.q, 2), 0) << errors.lastText();
    char buffer[8] = "xxxxxxx";
    uint16_t length = sizeof buffer;
    const int16_t code = sqlGetSomeMemo(m.q, 2, buffer, &length, 0);
    // The driver's own NULL answer is the end of an empty value.
    EXPECT_EQ(code, c == SCROLLABLE ? SQLMEMO_LAST : SQLMEMO_NULL);
    EXPECT_EQ(length, 0);
    char* whole = nullptr;
    ASSERT_EQ(sqlGetMemo(m.q, 2, &whole, &length), 0) << errors.lastText();
    EXPECT_STREQ(whole, "");
    EXPECT_EQ(length, 0);
    ramFree(whole);
    // A short text in pieces smaller than it.
    ASSERT_EQ(sqlXFetch(m.q, 3), 0) << errors.lastText();
    Pieces p = readPieces(m.q, 5);
    EXPECT_EQ(p.codes, (std::vector<int16_t>{1, 1, 0}));
    EXPECT_EQ(p.bytes, "a short memo");
  }
}

// 70000 bytes: whole in pieces from the log and from the scrollable cursor; sqlGetMemo
// gives at most the long-value limit, 65535 bytes without one.
TEST(Memo, LongerThan64K) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  const std::string body = pattern("abcdefghij", 70000);
  for (Cursor c : {LOGGED, SCROLLABLE}) {
    SCOPED_TRACE(cursorName(c));
    Memos m(l.con, c);
    ASSERT_EQ(m.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(m.q, 4), 0) << errors.lastText();
    Pieces p = readPieces(m.q, 30000);
    EXPECT_EQ(p.codes, (std::vector<int16_t>{1, 1, 0}));
    EXPECT_EQ(p.sizes, (std::vector<uint16_t>{30000, 30000, 10000}));
    EXPECT_TRUE(p.bytes == body);
    for (uint16_t limit : {uint16_t(0), uint16_t(1000), uint16_t(100)}) {
      SCOPED_TRACE(limit);
      m.q->longValueLimit = limit;
      const uint32_t expected = limit ? limit : 65535;
      char* whole = nullptr;
      uint16_t length = 0;
      ASSERT_EQ(sqlGetMemo(m.q, 2, &whole, &length), 0) << errors.lastText();
      EXPECT_EQ(length, expected);
      EXPECT_TRUE(std::string(whole, length) == body.substr(0, expected));
      EXPECT_EQ(whole[length], 0);
      ramFree(whole);
    }
    m.q->longValueLimit = 0;
  }
  // Without a log the column keeps what the row log's limit for unlogged values allows.
  Memos m(l.con, FORWARD);
  ASSERT_EQ(m.status, 0) << errors.lastText();
  ASSERT_EQ(sqlXFetch(m.q, 4), 0) << errors.lastText();
  Pieces p = readPieces(m.q, 40000);
  EXPECT_EQ(p.codes, (std::vector<int16_t>{1, 0}));
  EXPECT_TRUE(p.bytes == body.substr(0, 65435));
}

// An offset past the end of the value (2104); an edited value comes from the column; a
// column number outside the result (4522). Position and counts stay.
TEST(Memo, RefusalsAndEditedValues) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (Cursor c : {LOGGED, FORWARD}) {
    SCOPED_TRACE(cursorName(c));
    Memos m(l.con, c);
    ASSERT_EQ(m.status, 0) << errors.lastText();
    ASSERT_EQ(sqlXFetch(m.q, 1), 0) << errors.lastText();
    char buffer[16] = "untouched";
    uint16_t length = sizeof buffer;
    EXPECT_EQ(sqlGetSomeMemo(m.q, 2, buffer, &length, 1000), SQLMEMO_LAST);  // at the end
    EXPECT_EQ(length, 0);
    length = sizeof buffer;
    errors.clear();
    EXPECT_EQ(sqlGetSomeMemo(m.q, 2, buffer, &length, 1001), SQLMEMO_FAILED);
    EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(sqlGetSomeMemo(m.q, 3, buffer, &length, 0), SQLMEMO_FAILED);
    EXPECT_EQ(errors.last(), 4522);
    char* whole = nullptr;
    EXPECT_EQ(sqlGetMemo(m.q, 0, &whole, &length), 1);
    EXPECT_EQ(whole, nullptr);
    EXPECT_EQ(m.q->currentRow, 1u);
    EXPECT_EQ(m.q->rowsFetched, 1u);
    // An edited value.
    sql_qry_fld* body = m.q->columns[1];
    ramFree(body->longValue);
    body->longValue = nullptr;
    memcpy(body->value, "new text", 8);
    body->valueLength = 8;
    body->flags |= SQLC_CHANGED;
    ASSERT_EQ(sqlGetMemo(m.q, 2, &whole, &length), 0) << errors.lastText();
    EXPECT_STREQ(whole, "new text");
    ramFree(whole);
    length = 3;
    EXPECT_EQ(sqlGetSomeMemo(m.q, 2, buffer, &length, 4), SQLMEMO_MORE);
    EXPECT_EQ(std::string(buffer, length), "tex");
  }
}

}  // namespace
