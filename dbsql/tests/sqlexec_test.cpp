// Statement parameters, execution and SQL literals on real connections: the SQLite DSN
// (parameters of every type, pieces sent at execution, prepared re-execution, update
// counts, the substituted text), the PostgreSQL DSN (several results) and the scripted
// driver where neither can answer (the database switch, the catalogue's name parts).
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlcatalog.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlscanner.h"
#include "dbutil/jxmemory.h"
#include "fake_driver.h"
#include "pg_support.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";

struct Query {
  Query() = default;
  Query(cmg_capabilities* con, const char* text, uint16_t options = SQLOPEN_PARSE) {
    status = sqlOpen(con, nullptr, text, options, 0, 0, &q);
  }
  ~Query() {
    if (q) {
      EXPECT_EQ(sqlFreeQuery(q), 0);
    }
  }
  sql_qry* operator->() const { return q; }
  sql_qry* q = nullptr;
  JxStatus status = 1;
};

// Runs text on the connection's own handle; the first column of the first row as text
// ("NULL" for NULL, "" without a row), read whole in pieces.
std::string scalar(cmg_capabilities* con, const char* text) {
  SQLHSTMT h = nullptr;
  if (SQLAllocStmt(con->hdbc, &h) != SQL_SUCCESS) return "<no statement>";
  std::string out;
  SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)text, SQL_NTS);
  SQLSMALLINT columns = 0;
  if ((rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) && SQLNumResultCols(h, &columns) == SQL_SUCCESS &&
      columns == 0) {
    SQLFreeStmt(h, SQL_DROP);
    return "";
  }
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) rc = SQLFetch(h);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
    for (;;) {
      char piece[64];
      SQLLEN got = 0;
      rc = SQLGetData(h, 1, SQL_C_CHAR, piece, sizeof piece, &got);
      if (rc == SQL_NO_DATA_FOUND) break;
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        out = "<error>";
        break;
      }
      if (got == SQL_NULL_DATA) {
        out = "NULL";
        break;
      }
      out += piece;
      if (rc == SQL_SUCCESS) break;
    }
  } else if (rc != SQL_NO_DATA_FOUND) {
    out = "<error>";
  }
  SQLFreeStmt(h, SQL_DROP);
  return out;
}

bool exec(cmg_capabilities* con, const char* text) { return scalar(con, text) != "<error>"; }

int32_t len(const char* s) { return static_cast<int32_t>(strlen(s)); }

// --- literals

TEST(SqlLiteral, ValuesAsGoldenStrings) {
  const float third = 1.0f / 3;
  const double dthird = 1.0 / 3, big = 1e20, half = 2.5, tiny = -1.25e-7;
  const int32_t minus = -42;
  const int16_t least = -32768;
  const uint8_t decimal[] = {0x12, 0x34, 0x5D};  // -123.45 in five digits, scale 2
  const uint8_t bytes[] = {0x01, 0xAB, 0x00};
  struct Case {
    const void* value;
    uint16_t type;
    int32_t length;
    short quote;
    const char* expected;
  } kCases[] = {
      {"O'Brien", BCV_VARCHAR, 7, 1, "'O''Brien'"},
      {"O'Brien", BCV_CHAR, 7, 0, "O''Brien"},
      {"''", BCV_VARCHAR, 2, 1, "''''''"},
      {"", BCV_VARCHAR, 0, 1, "''"},
      {"2026-12-11", BCV_DATETIME, sqlDateTimeWord(9), 1, "{d '2026-12-11'}"},
      {"2026-12-11 08:30", BCV_DATETIME, sqlDateTimeWord(15), 1, "{ts '2026-12-11 08:30:00'}"},
      {"2026-12-11 08:30:15", BCV_DATETIME, sqlDateTimeWord(18), 1, "{ts '2026-12-11 08:30:15'}"},
      {"2026-12-11 08:30:15.250000", BCV_DATETIME, sqlDateTimeWord(25), 0,
       "{ts '2026-12-11 08:30:15.250000'}"},
      {"0000-00-00 08:30:15", BCV_DATETIME, sqlDateTimeWord(18, 11), 1, "{t '08:30:15'}"},
      {&third, BCV_FLOAT, 4, 1, "0.33333334"},
      {&dthird, BCV_DOUBLE, 8, 1, "0.3333333333333333"},
      {&big, BCV_DOUBLE, 8, 1, "1e+20"},
      {&half, BCV_DOUBLE, 8, 1, "2.5"},
      {&tiny, BCV_DOUBLE, 8, 1, "-1.25e-07"},
      {&minus, BCV_LONG, 4, 1, "-42"},
      {&least, BCV_SHORT, 2, 1, "-32768"},
      {decimal, BCV_DECIMAL, bcvDecimalWord(5, 2), 1, "-123.45"},
      {bytes, BCV_BINARY, 3, 1, "{b'01AB00'}"},
      {bytes, BCV_BINARY, 3, 0, "01AB00"},
      {&minus, 0, 4, 1, ""},
      {&minus, 50, 4, 1, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.expected);
    char out[128];
    memset(out, 'x', sizeof out);
    char* w = out;
    ASSERT_EQ(sqlFormatLiteral(&w, c.value, c.type, c.length, c.quote, nullptr), 0);
    EXPECT_STREQ(out, c.expected);
    EXPECT_EQ(w, out + strlen(c.expected));
  }
  // A damaged decimal is refused.
  ThreadErrors errors;
  const uint8_t damaged[] = {0x1A, 0x34, 0x5C};
  char out[32];
  char* w = out;
  EXPECT_EQ(sqlFormatLiteral(&w, damaged, BCV_DECIMAL, bcvDecimalWord(5, 2), 1, nullptr), 1);
  EXPECT_EQ(errors.last(), 3528);
}

TEST(SqlLiteral, TextBufferGrowth) {
  ThreadErrors errors;
  SqlTextBuffer b{};
  ASSERT_EQ(sqlTextReserve(&b, 600), 0);
  EXPECT_EQ(b.capacity, 1024);
  EXPECT_EQ(b.write, b.start);
  memset(b.start, 'a', 1000);
  b.write = b.start + 1000;
  ASSERT_EQ(sqlTextReserve(&b, 20), 0);  // 24 left: no growth
  EXPECT_EQ(b.capacity, 1024);
  ASSERT_EQ(sqlTextReserve(&b, 100), 0);
  EXPECT_EQ(b.capacity, 1024 + 512);
  EXPECT_EQ(b.write - b.start, 1000);
  EXPECT_EQ(b.start[999], 'a');
  // Growth past 65000 bytes is refused and the buffer kept.
  char* kept = b.start;
  EXPECT_EQ(sqlTextReserve(&b, 64000), 1);
  EXPECT_EQ(errors.last(), 4531);
  EXPECT_EQ(b.start, kept);
  EXPECT_EQ(b.capacity, 1024 + 512);
  ramFree(b.start);
  SqlTextBuffer fresh{};
  EXPECT_EQ(sqlTextReserve(&fresh, 64600), 1);
  EXPECT_EQ(errors.last(), 4531);
  EXPECT_EQ(fresh.start, nullptr);
  ASSERT_EQ(sqlTextReserve(&fresh, 64000), 0);
  EXPECT_EQ(fresh.capacity, 64512);
  ramFree(fresh.start);
}

// The column form: room made first, a character column of the binary class as hex.
TEST(SqlLiteral, ColumnValues) {
  struct Case {
    uint16_t layer;
    uint32_t flags;
    int16_t odbcType;
    const char* value;
    int32_t length;
    const char* expected;
  } kCases[] = {
      {BCV_VARCHAR, SQLC_CHARACTER, SQL_VARCHAR, "it's", 4, "'it''s'"},
      {BCV_CHAR, SQLC_BINARY, SQL_BINARY, "\x01\x02", 2, "{b'0102'}"},
      {BCV_VARCHAR, SQLC_CHARACTER, SQL_VARCHAR, "ab\0cd", 5, "'ab'"},
      {BCV_DATETIME, SQLC_DATETIME, SQL_DATE, "2026-12-11 00:00:00.000000", 26, "{d '2026-12-11'}"},
      {BCV_DATETIME, SQLC_DATETIME, SQL_TIME, "0000-00-00 08:30:15.000000", 26, "{t '08:30:15'}"},
      {BCV_DATETIME, SQLC_DATETIME, SQL_TIMESTAMP, "2026-12-11 08:30:15.000000", 26,
       "{ts '2026-12-11 08:30:15'}"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.expected);
    sql_qry_fld f{};
    f.layerType = c.layer;
    f.flags = c.flags;
    f.odbcType = c.odbcType;
    f.valueSize = 30;
    SqlTextBuffer b{};
    ASSERT_EQ(sqlAppendLiteral(&b, &f, c.length, reinterpret_cast<const uint8_t*>(c.value), nullptr), 0);
    EXPECT_STREQ(b.start, c.expected);
    ramFree(b.start);
  }
}

TEST(SqlNameCompare, ByIdentifierCase) {
  cmg_capabilities con{};
  struct Case {
    uint16_t rule;
    const char *a, *b;
    int expected;
  } kCases[] = {
      {SQL_IC_UPPER, "Name", "NAME", 0},
      {SQL_IC_LOWER, "name", "NaMe", 0},
      {SQL_IC_SENSITIVE, "Name", "NAME", 1},
      {SQL_IC_MIXED, "Name", "Name", 0},
      {SQL_IC_MIXED, "Name", "name", 1},
      {SQL_IC_UPPER, "Name", "Names", 1},
      {9, "one", "other", 0},
  };
  for (const Case& c : kCases) {
    con.identifierCase = c.rule;
    EXPECT_EQ(sqlNameCompare(&con, c.a, c.b), c.expected) << c.rule << " " << c.a << " " << c.b;
    EXPECT_EQ(sqlNameCompareCounted(&con, len(c.a), c.a, len(c.b), c.b), c.expected);
    // The token form: the name as the scanner hands it out of a statement.
    const std::string statement = std::string(c.a) + ".col = 1";
    SqlScanner scanner(statement.c_str(), static_cast<uint32_t>(statement.size()));
    JxToken token;
    ASSERT_EQ(sqlNextToken(&scanner, &token, SEARCH_IDENTIFIER), 0);
    ASSERT_EQ(token.getLength(), strlen(c.a));
    EXPECT_EQ(sqlNameCompareToken(&con, &token, c.b), c.expected) << c.rule << " " << c.a << " " << c.b;
  }
  con.identifierCase = SQL_IC_SENSITIVE;
  EXPECT_EQ(sqlNameCompareCounted(&con, 3, "abcdef", 3, "abcxyz"), 0);
  // A token is compared over its own length only: a longer or shorter name differs.
  const char* statement = "Name,Names";
  SqlScanner scanner(statement, 10);
  JxToken token;
  ASSERT_EQ(sqlNextToken(&scanner, &token, SEARCH_IDENTIFIER), 0);
  EXPECT_EQ(sqlNameCompareToken(&con, &token, "Name"), 0);
  EXPECT_EQ(sqlNameCompareToken(&con, &token, "Names"), 1);
  EXPECT_EQ(sqlNameCompareToken(&con, &token, "Nam"), 1);
  EXPECT_EQ(sqlNameCompareToken(&con, nullptr, "Name"), 1);
}

// --- substitution

TEST(SqlSubstitute, GoldenTexts) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  l.con->substituteParams = 1;
  Query q(l.con, "SELECT id FROM numbered WHERE label = ? AND id = ? OR amount = ? OR label = '?' OR id = ?");
  ASSERT_EQ(q.status, 0) << errors.lastText();
  ASSERT_EQ(q->paramCount, 4);
  const int32_t seven = 7;
  const int32_t four = 4, three = 3;
  const uint8_t amount[] = {0x01, 0x23, 0x4C};  // 12.34 in five digits
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, "O'Brien", BCV_VARCHAR, &seven, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(q.q, 1, 0, &four, BCV_LONG, &four, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(q.q, 2, 0, amount, BCV_DECIMAL, &three, 2), 0) << errors.lastText();
  // Slot 3 has no value: NULL.
  char* text = sqlSubstitute(q.q, q->parsedText);
  ASSERT_TRUE(text) << errors.lastText();
  EXPECT_STREQ(
      text,
      "SELECT id FROM numbered WHERE label = 'O''Brien' AND id = 4 OR amount = 12.34 OR label = '?' OR "
      "id = NULL");
  ramFree(text);
  // A value sent in pieces is written whole; text values by their kind.
  const int32_t two = 2;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, "Mc", BCV_VARCHAR, &two, 0), 0);  // appended to O'Brien
  ASSERT_EQ(sqlXSetParam(q.q, nullptr, SQLP_KIND_DATE, 4, nullptr, "2026-12-11"), 0) << errors.lastText();
  EXPECT_TRUE(q->flags & SQLQ_TEXT_PARAMS);
  text = sqlSubstitute(q.q, q->parsedText);
  ASSERT_TRUE(text) << errors.lastText();
  EXPECT_STREQ(
      text,
      "SELECT id FROM numbered WHERE label = 'O''BrienMc' AND id = 4 OR amount = 12.34 OR label = '?' "
      "OR id = {d '2026-12-11'}");
  ramFree(text);
  // Fewer markers than parameters: 4513; more: the extra ones stay.
  EXPECT_EQ(sqlSubstitute(q.q, "a = ? AND b = ?"), nullptr);
  EXPECT_EQ(errors.last(), 4513);
  text = sqlSubstitute(q.q, "?, ?, ?, ?, ?, '?'");
  ASSERT_TRUE(text);
  EXPECT_STREQ(text, "'O''BrienMc', 4, 12.34, {d '2026-12-11'}, ?, '?'");
  ramFree(text);
}

TEST(SqlSubstitute, KindsTypesNamesAndTheLimit) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  l.con->substituteParams = 1;
  {
    Query q(l.con, "SELECT ?, ?, ?, ?, ?, ?, ?");
    ASSERT_EQ(q.status, 0);
    ASSERT_EQ(q->paramCount, 7);
    const uint8_t bytes[] = {0x00, 0xFF};
    const int32_t two = 2, eight = 8, four = 4, twentySix = 26, ten = 10;
    const double d = 0.1;
    const float f = 1.5f;
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, bytes, BCV_BINARY, &two, 0), 0) << errors.lastText();
    ASSERT_EQ(sqlBindSetParam(q.q, 1, 0, &d, BCV_DOUBLE, &eight, 0), 0);
    ASSERT_EQ(sqlBindSetParam(q.q, 2, 0, &f, BCV_FLOAT, &four, 0), 0);
    ASSERT_EQ(sqlBindSetParam(q.q, 3, 0, "2026-12-11 08:30:15.000000", BCV_DATETIME, &twentySix, 0), 0)
        << errors.lastText();
    ASSERT_EQ(sqlBindSetParam(q.q, 4, 0, "2026-12-11", BCV_DATE, &ten, 0), 0) << errors.lastText();
    ASSERT_EQ(sqlXSetParam(q.q, "hh:nn", SQLP_KIND_TIME, 6, nullptr, "08:30:00"), 0);
    ASSERT_EQ(sqlXSetParam(q.q, nullptr, SQLP_KIND_TIMESTAMP, 7, nullptr, "2026-12-11 08:30:00"), 0);
    char* text = sqlSubstitute(q.q, q->parsedText);
    ASSERT_TRUE(text) << errors.lastText();
    EXPECT_STREQ(text,
                 "SELECT {b'00FF'}, 0.1, 1.5, {ts '2026-12-11 08:30:15'}, {d '2026-12-11'}, {t '08:30:00'}, "
                 "{ts '2026-12-11 08:30:00'}");
    ramFree(text);
    EXPECT_STREQ(q->params[5].format, "hh:nn");
  }
  {
    // Named markers: the names after "?" are skipped; one value for both.
    Query q(l.con, "SELECT id FROM numbered WHERE id = ?key OR id > ?key");
    ASSERT_EQ(q.status, 0);
    ASSERT_EQ(sqlXSetParam(q.q, nullptr, SQLP_KIND_PLAIN, 0, "key", "it's"), 0) << errors.lastText();
    char* text = sqlSubstitute(q.q, q->text);
    ASSERT_TRUE(text);
    EXPECT_STREQ(text, "SELECT id FROM numbered WHERE id = 'it''s' OR id > 'it''s'");
    ramFree(text);
    EXPECT_EQ(sqlXSetParam(q.q, nullptr, SQLP_KIND_PLAIN, 0, "nobody", "x"), 1);
    EXPECT_EQ(sqlXSetParam(q.q, nullptr, SQLP_KIND_PLAIN, 3, nullptr, "x"), 1);
    EXPECT_EQ(errors.last(), 4522);
  }
  {
    // The size limit: a statement of 65436 bytes or more with its values.
    Query q(l.con, "SELECT ?");
    ASSERT_EQ(q.status, 0);
    std::string value(32714, 'a');
    const int32_t n = static_cast<int32_t>(value.size());
    l.con->paramCharLength = 65000;
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, value.c_str(), BCV_VARCHAR, &n, 0), 0) << errors.lastText();
    // "SELECT " 7 + 2 x 32714 + 5 + 1 = 65441 with the room of the quotes.
    errors.clear();
    EXPECT_EQ(sqlSubstitute(q.q, q->parsedText), nullptr);
    EXPECT_EQ(errors.last(), 1503);
    EXPECT_NE(errors.lastText().find("too long"), std::string::npos) << errors.lastText();
    EXPECT_EQ(sqlXPrepare(q.q), 1);
    EXPECT_EQ(errors.last(), 1503);
    value.resize(32000);
    const int32_t m = 32000;
    ASSERT_EQ(sqlClearParam(q.q, 0), 0);
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, value.c_str(), BCV_VARCHAR, &m, 0), 0);
    char* text = sqlSubstitute(q.q, q->parsedText);
    ASSERT_TRUE(text) << errors.lastText();
    EXPECT_EQ(strlen(text), 7u + 32000 + 2);
    ramFree(text);
  }
  // Without substitution the text is copied as it is.
  l.con->substituteParams = 0;
  Query plain(l.con, "SELECT ?");
  char* text = sqlSubstitute(plain.q, "SELECT ?");
  ASSERT_TRUE(text);
  EXPECT_STREQ(text, "SELECT ?");
  ramFree(text);
}

// --- parameters on the driver

TEST(SqlParams, DeclareAndRecheckMatrix) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q(l.con, "SELECT ?, ?, ?, ?, ?, ?");
  ASSERT_EQ(q.status, 0);
  struct Step {
    uint16_t slot, type;
    int32_t length;
    int16_t scale;
    unsigned short message;  // 0: accepted
    uint32_t size;           // the declared size afterwards
  } kSteps[] = {
      {6, BCV_LONG, 4, 0, 4527, 0},
      {0, 0, 4, 0, 4533, 0},
      {0, BCV_VARCHAR, 10, 0, 0, 254},
      {0, BCV_LONG, 4, 0, 4534, 254},
      {0, BCV_VARCHAR, 300, 0, 4534, 254},  // longer than the default: must be declared so
      {0, BCV_VARCHAR, 200, 0, 0, 254},
      {1, BCV_DECIMAL, 8, 2, 0, 15 | (2u << 16)},  // 8 bytes: 15 digits
      {1, BCV_DECIMAL, 8, 3, 4534, 15 | (2u << 16)},
      {1, BCV_DECIMAL, 7, 2, 4534, 15 | (2u << 16)},
      {1, BCV_DECIMAL, 8, 2, 0, 15 | (2u << 16)},
      {2, BCV_DATETIME, 26, 6, 0, 25},
      {2, BCV_DATETIME, 19, 0, 4534, 25},
      {2, BCV_DATE, 26, 0, 4534, 25},
      {3, BCV_DATE, 10, 0, 0, 9},
      {3, BCV_DATE, 10, 0, 0, 9},
      {4, BCV_TIME, 8, 0, 0, 18 | (11u << 16)},
      {4, BCV_TIME, 9, 0, 4534, 18 | (11u << 16)},
      {5, BCV_CHAR, 300, 0, 0, 300},
      {5, BCV_CHAR, 400, 0, 0, 300},  // longer than the default and declared longer
      {5, BCV_CHAR, 20, 0, 0, 300},
  };
  for (const Step& s : kSteps) {
    SCOPED_TRACE(testing::Message() << "slot " << s.slot << " type " << s.type << " length " << s.length);
    errors.clear();
    EXPECT_EQ(sqlInitParam(q.q, s.slot, s.type, s.length, s.scale), s.message ? 1 : 0);
    EXPECT_EQ(errors.last(), s.message);
    if (s.message == 4527 || s.message == 4533 || s.message == 4534) {
      EXPECT_NE(errors.lastText().find(std::to_string(s.slot)), std::string::npos) << errors.lastText();
    }
    if (s.slot < q->paramCount) {
      EXPECT_EQ(q->params[s.slot].size, s.size);
    }
  }
  // A bound character value needs the declared size not above the default.
  char buffer[20] = "bound";
  int32_t n = 5;
  EXPECT_EQ(sqlBindSetParam(q.q, 5, 1, buffer, BCV_CHAR, &n, 0), 1);
  EXPECT_EQ(errors.last(), 4534);
  EXPECT_EQ(sqlBindSetParam(q.q, 0, 1, buffer, BCV_VARCHAR, &n, 0), 0) << errors.lastText();
}

// A character parameter given three times by copy goes to the driver in three pieces at
// execution and arrives whole; binding it afterwards clears the pieces; copying after a
// bind is refused.
TEST(SqlParams, PiecesSentAtExecutionAndBindClearsThem) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE pieces(body TEXT)"));
  Query q(l.con, "INSERT INTO pieces VALUES(?)");
  ASSERT_EQ(q.status, 0);
  std::string parts[3] = {std::string(250, 'a'), "O'Brien ", std::string(200, 'c')};
  for (const std::string& p : parts) {
    const int32_t n = static_cast<int32_t>(p.size());
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, p.c_str(), BCV_VARCHAR, &n, 0), 0) << errors.lastText();
  }
  int pieces = 0;
  for (SqlParamNode* n = q->params[0].values; n; n = n->next) ++pieces;
  EXPECT_EQ(pieces, 3);
  uint32_t rows = 99;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(scalar(l.con, "SELECT body FROM pieces"), parts[0] + parts[1] + parts[2]);
  // Bound now: one node, the caller's variables read at execution.
  char buffer[32] = "bound value";
  int32_t length = 11;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 1, buffer, BCV_VARCHAR, &length, 0), 0) << errors.lastText();
  ASSERT_TRUE(q->params[0].values);
  EXPECT_FALSE(q->params[0].values->next);
  EXPECT_TRUE(q->params[0].flags & SQLP_BOUND);
  strcpy(buffer, "changed");
  length = 7;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(scalar(l.con, "SELECT body FROM pieces WHERE rowid = 2"), "changed");
  // A copy after the bind: refused, the binding kept.
  const int32_t one = 1;
  EXPECT_EQ(sqlBindSetParam(q.q, 0, 0, "x", BCV_VARCHAR, &one, 0), 1);
  EXPECT_EQ(errors.last(), 4529);
  EXPECT_TRUE(q->params[0].flags & SQLP_BOUND);
  EXPECT_EQ(q->params[0].values->callerData, buffer);
}

TEST(SqlParams, EveryTypeNullAndReadBack) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_TRUE(exec(l.con,
                   "CREATE TEMP TABLE vals(k INTEGER, c TEXT, i INTEGER, s SMALLINT, f REAL, d DOUBLE, "
                   "n NUMERIC(15,2), ts TIMESTAMP, dt DATE, tm TIME, b BLOB)"));
  Query q(l.con, "INSERT INTO vals VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  ASSERT_EQ(q.status, 0);
  ASSERT_EQ(q->paramCount, 11);
  const int32_t key = 1, four = 4, two = 2, eight = 8, twentySix = 26, ten = 10, three = 3;
  const int32_t i = -123456;
  const int16_t s = -321;
  const float f = 0.5f;
  const double d = -2.25;
  // 8 bytes: 15 digits, scale 2: 1234567890123.45
  const uint8_t n[] = {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x5C};
  const uint8_t bytes[] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &key, BCV_LONG, &four, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(q.q, 1, 0, "O'Brien", BCV_VARCHAR, &three, 0), 0);
  ASSERT_EQ(sqlBindSetParam(q.q, 2, 0, &i, BCV_LONG, &four, 0), 0);
  ASSERT_EQ(sqlBindSetParam(q.q, 3, 0, &s, BCV_SHORT, &two, 0), 0);
  ASSERT_EQ(sqlBindSetParam(q.q, 4, 0, &f, BCV_FLOAT, &four, 0), 0);
  ASSERT_EQ(sqlBindSetParam(q.q, 5, 0, &d, BCV_DOUBLE, &eight, 0), 0);
  ASSERT_EQ(sqlBindSetParam(q.q, 6, 0, n, BCV_DECIMAL, &eight, 2), 0) << errors.lastText();
  EXPECT_EQ(q->params[6].size, 15u | (2u << 16));
  ASSERT_EQ(sqlBindSetParam(q.q, 7, 0, "2026-12-11 08:30:15.000000", BCV_DATETIME, &twentySix, 0), 0)
      << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(q.q, 8, 0, "2026-12-11", BCV_DATE, &ten, 0), 0) << errors.lastText();
  const int32_t timeLength = 8;
  ASSERT_EQ(sqlBindSetParam(q.q, 9, 0, "08:30:15", BCV_TIME, &timeLength, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(q.q, 10, 0, bytes, BCV_BINARY, &four, 0), 0) << errors.lastText();
  uint32_t rows = 0;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 1u);
  struct Expect {
    const char* column;
    const char* value;
  } kValues[] = {{"c", "O'B"},           {"i", "-123456"},
                 {"s", "-321"},          {"f", "0.5"},
                 {"d", "-2.25"},         {"n", "1234567890123.45"},
                 {"hex(b)", "DEADBEEF"}, {"dt", "2026-12-11"},
                 {"tm", "08:30:15"},     {"substr(ts, 1, 19)", "2026-12-11 08:30:15"}};
  for (const Expect& e : kValues) {
    std::string sql = std::string("SELECT ") + e.column + " FROM vals WHERE k = 1";
    EXPECT_EQ(scalar(l.con, sql.c_str()), e.value) << e.column;
  }
  // NULL for every parameter but the key: the declared types are kept (type 0).
  const int32_t keyTwo = 2;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &keyTwo, BCV_LONG, &four, 0), 0);
  for (uint16_t p = 1; p < 11; ++p) ASSERT_EQ(sqlSetParamNull(q.q, p, 0, 0, 0), 0) << p << errors.lastText();
  EXPECT_FALSE(q->params[1].values);
  EXPECT_TRUE(q->params[1].flags & SQLP_HAS_VALUE);
  EXPECT_EQ(q->params[6].size, 15u | (2u << 16));
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(scalar(l.con,
                   "SELECT count(*) FROM vals WHERE k = 2 AND c IS NULL AND i IS NULL AND n IS NULL AND "
                   "ts IS NULL AND tm IS NULL AND b IS NULL"),
            "1");
  // A slot without a value: 4528 before the driver sees anything.
  ASSERT_EQ(sqlClearParam(q.q, 3), 0);
  EXPECT_EQ(sqlXExecute(q.q, &rows), 1);
  EXPECT_EQ(errors.last(), 4528);
  EXPECT_EQ(sqlReExecute(q.q), 1);
  EXPECT_EQ(errors.last(), 4528);
  EXPECT_EQ(sqlClearParam(q.q, 11), 1);
  EXPECT_EQ(errors.last(), 4527);
}

TEST(SqlParams, NamedMarkersAndReExecution) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE twice(a INTEGER, b INTEGER)"));
  Query q(l.con, "INSERT INTO twice VALUES(?v, ?v + ?step)");
  ASSERT_EQ(q.status, 0);
  ASSERT_EQ(q->paramCount, 3);
  int32_t number = -1;
  EXPECT_EQ(sqlParamNum(q.q, "step", &number), 0);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(sqlParamNum(q.q, "v", &number), 0);
  EXPECT_EQ(number, 0);
  // An unknown name: no slot (-1), not the first one.
  EXPECT_EQ(sqlParamNum(q.q, "nobody", &number), 0);
  EXPECT_EQ(number, -1);
  int32_t v = 10, step = 1;
  const int32_t four = 4;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 1, &v, BCV_LONG, &four, 0), 0) << errors.lastText();
  EXPECT_EQ(q->params[1].values, q->params[0].values);
  EXPECT_TRUE(q->params[1].flags & SQLP_HAS_VALUE);
  EXPECT_EQ(q->params[1].type, BCV_LONG);
  ASSERT_EQ(sqlBindSetParam(q.q, 2, 1, &step, BCV_LONG, &four, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlReExecute(q.q), 0) << errors.lastText();
  v = 20;
  step = 5;
  ASSERT_EQ(sqlReExecute(q.q), 0) << errors.lastText();
  EXPECT_EQ(scalar(l.con, "SELECT group_concat(a || ':' || b, ' ') FROM twice"), "10:11 20:25");
  // Clearing one slot of a name clears both.
  ASSERT_EQ(sqlClearParam(q.q, 1), 0);
  EXPECT_FALSE(q->params[0].flags & SQLP_HAS_VALUE);
  EXPECT_FALSE(q->params[0].values);
  EXPECT_EQ(sqlReExecute(q.q), 1);
  EXPECT_EQ(errors.last(), 4528);
}

// --- execution

TEST(SqlExecute, UpdateCountFlagsAndFailures) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE counted(id INTEGER PRIMARY KEY, grp INTEGER)"));
  ASSERT_TRUE(exec(l.con, "INSERT INTO counted VALUES(1, 1), (2, 1), (3, 2), (4, 1)"));
  Query q(l.con, "UPDATE counted SET grp = grp + 10 WHERE grp = ?");
  ASSERT_EQ(q.status, 0);
  const int32_t one = 1, four = 4;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &one, BCV_LONG, &four, 0), 0);
  q->flags |= SQLQ_COUNT_KNOWN | SQLQ_HANDLES_DROPPED | SQLQ_PARAMS_IN_PLACE;
  q->rowCount = 4;
  uint32_t rows = 0;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 3u);
  EXPECT_EQ(q->rowsAffected, 3u);
  EXPECT_TRUE(q->flags & SQLQ_EXECUTED);
  EXPECT_FALSE(q->flags & (SQLQ_COUNT_KNOWN | SQLQ_HANDLES_DROPPED | SQLQ_PARAMS_IN_PLACE));
  EXPECT_EQ(q->rowCount, 0xFFFFFFFFu);
  // Again: nothing left with group 1.
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 0u);

  // A failed execution closes the cursor: the statement runs again with another value.
  Query ins(l.con, "INSERT INTO counted VALUES(?, 0)");
  int32_t id = 2;
  ASSERT_EQ(sqlBindSetParam(ins.q, 0, 1, &id, BCV_LONG, &four, 0), 0);
  errors.clear();
  EXPECT_EQ(sqlXExecute(ins.q, &rows), 1);
  EXPECT_TRUE(errors.last() == SQLMSG_DRIVER_ERROR || errors.last() == SQLMSG_DRIVER_NATIVE) << errors.last();
  id = 9;
  ASSERT_EQ(sqlXExecute(ins.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(scalar(l.con, "SELECT count(*) FROM counted"), "5");

  // A query: its columns described after execution, no rows counted.
  Query sel(l.con, "SELECT id, grp FROM counted WHERE id > ?");
  ASSERT_EQ(sqlBindSetParam(sel.q, 0, 0, &one, BCV_LONG, &four, 0), 0);
  ASSERT_EQ(sqlXExecute(sel.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(rows, 0u);
  EXPECT_EQ(sel->columnCount, 2);
  EXPECT_TRUE(sel->flags & SQLQ_SINGLE_TABLE);
  ASSERT_EQ(sqlXExecute(sel.q, &rows), 0) << errors.lastText();  // the cursor closed first
}

TEST(SqlExecute, QueryNowAndDirect) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_EQ(sqlXExecDirect(l.con, "CREATE TEMP TABLE direct(a INTEGER)"), 0) << errors.lastText();
  const uint32_t statements = sqlHstmtCount(l.con);
  ASSERT_EQ(sqlXExecDirect(l.con, "INSERT INTO direct VALUES(1)"), 0) << errors.lastText();
  EXPECT_EQ(sqlXExecDirect(l.con, "INSERT INTO nowhere VALUES(1)"), 1);
  EXPECT_TRUE(errors.last() == SQLMSG_DRIVER_ERROR || errors.last() == SQLMSG_DRIVER_NATIVE) << errors.last();
  EXPECT_EQ(sqlHstmtCount(l.con), statements);
  Query q(l.con, "INSERT INTO direct VALUES(?)");
  const int32_t five = 5, four = 4;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &five, BCV_LONG, &four, 0), 0);
  ASSERT_EQ(sqlQueryNow(q.q, nullptr), 0) << errors.lastText();
  EXPECT_TRUE(q->flags & SQLQ_EXECUTED);
  ASSERT_EQ(sqlQueryNow(q.q, "INSERT INTO direct VALUES(7)"), 0) << errors.lastText();
  ASSERT_EQ(sqlQueryNow(q.q, nullptr), 0) << errors.lastText();  // prepared again
  EXPECT_EQ(scalar(l.con, "SELECT group_concat(a, ',') FROM direct"), "1,5,7,5");
  EXPECT_EQ(sqlQueryNow(q.q, "INSERT INTO nowhere VALUES(1)"), 1);

  // The not-a-query choice from the statement-choice bits.
  struct Case {
    uint16_t bits;
    const char* text;
    short expected;
  } kCases[] = {{0, "UPDATE t SET a = 1", 0},  {0x400, "UPDATE t SET a = 1", 0},
                {0x800, "SELECT a FROM t", 1}, {0xC00, "  select\ta FROM t", 0},
                {0xC00, "SELECTa FROM t", 1},  {0xC00, "DELETE FROM t", 1},
                {0xC00, "SELECT", 1}};
  cmg_capabilities con{};
  for (const Case& c : kCases) {
    con.cursorOptions = c.bits;
    EXPECT_EQ(sqlNotAQuery(&con, c.text), c.expected) << c.bits << " " << c.text;
  }
  // A driver of capability flag 32 takes every statement as not a query once the second
  // choice bit is set; without choice bits, or with the first alone, nothing changes.
  struct DriverCase {
    uint32_t flagsB;
    uint16_t bits;
    const char* text;
    short expected;
  } kDriverCases[] = {
      {CMG_B_DRIVER_BIT4, 0xC00, "SELECT a FROM t", 1},
      {CMG_B_DRIVER_BIT4, 0x800, "SELECT a FROM t", 1},
      {CMG_B_DRIVER_BIT4, 0x400, "UPDATE t SET a = 1", 0},
      {CMG_B_DRIVER_BIT4, 0, "UPDATE t SET a = 1", 0},
      {CMG_B_DRIVER_BIT4 | CMG_B_DRIVER_BIT5 | CMG_B_DRIVER_BIT6, 0xC00, "select a from t", 1},
      {CMG_B_DRIVER_BIT5 | CMG_B_DRIVER_BIT6 | CMG_B_DRIVER_BIT3 | CMG_B_DRIVER_BIT7, 0xC00,
       "select a from t", 0},
      {CMG_B_DRIVER_BIT4, 0xC00 | 0x2100, "SELECT a FROM t", 1},
      {0, 0xC00 | 0x2100, "SELECT a FROM t", 0},
  };
  for (const DriverCase& c : kDriverCases) {
    con.flagsB = c.flagsB;
    con.cursorOptions = c.bits;
    EXPECT_EQ(sqlNotAQuery(&con, c.text), c.expected)
        << std::hex << c.flagsB << " " << c.bits << " " << c.text;
  }
}

// PostgreSQL as a driver of kind 5 that returns several results from one statement.
// A batch of statements goes to the driver as it is (the parser takes one statement).
void markParsed(sql_qry* q) { q->flags |= SQLQ_PARSED; }

struct PostgresSeveral {
  PostgresSeveral() : keys("OrvanelPostgres") {
    keys.set("JxDatabaseDriver", "5");
    keys.set("JxMultipleResults", "1");
  }
  OdbcIniKeys keys;
};

TEST(SqlExecute, SeveralResultsOnPostgres) {
  REQUIRE_POSTGRES();
  ThreadErrors errors;
  PostgresSeveral settings;
  Logon l(POSTGRES_DSN);
  ASSERT_TRUE(l.con) << errors.lastText();
  EXPECT_EQ(l.con->databaseKind, CMG_DB_SS);
  EXPECT_EQ(l.con->severalResults, 1);
  ASSERT_EQ(sqlXExecDirect(l.con, "CREATE TEMP TABLE several(id INTEGER, grp INTEGER)"), 0)
      << errors.lastText();
  ASSERT_EQ(sqlXExecDirect(l.con, "INSERT INTO several VALUES (1, 1), (2, 1), (3, 2)"), 0)
      << errors.lastText();
  {
    Query q(l.con, "UPDATE several SET grp = grp + 1 WHERE grp = 1; UPDATE several SET grp = 0 WHERE id = 3",
            0);
    ASSERT_EQ(q.status, 0);
    markParsed(q.q);
    uint32_t rows = 0;
    ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
    EXPECT_EQ(rows, 3u);
  }
  {
    // An update count, then a result set: the loop ends on the result's columns.
    Query q(l.con, "UPDATE several SET grp = 5 WHERE id = 1; SELECT id, grp FROM several ORDER BY id", 0);
    ASSERT_EQ(q.status, 0);
    EXPECT_EQ(sqlXMoreResults(q.q), 1);
    EXPECT_EQ(errors.last(), 4524);
    markParsed(q.q);
    uint32_t rows = 0;
    ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
    EXPECT_EQ(rows, 1u);
    EXPECT_EQ(q->columnCount, 2);
    // No further result.
    EXPECT_EQ(sqlXMoreResults(q.q), 1);
    EXPECT_EQ(errors.last(), SQLMSG_EOF);
  }
  {
    // Two result sets: the second described by sqlXMoreResults.
    Query q(l.con, "SELECT id FROM several; SELECT id, grp, id * 2 AS twice FROM several", 0);
    ASSERT_EQ(q.status, 0);
    markParsed(q.q);
    uint32_t rows = 0;
    ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
    EXPECT_EQ(q->columnCount, 1);
    ASSERT_EQ(sqlXMoreResults(q.q), 0) << errors.lastText();
    EXPECT_EQ(q->columnCount, 3);
    EXPECT_EQ(sqlXMoreResults(q.q), 1);
    EXPECT_EQ(errors.last(), SQLMSG_EOF);
  }
}

// Fixed-length text of a kind 5 connection is described as variable-length text.
TEST(SqlExecute, KindFiveReadsFixedTextAsVariable) {
  REQUIRE_POSTGRES();
  ThreadErrors errors;
  for (bool kindFive : {false, true}) {
    SCOPED_TRACE(kindFive ? "kind 5" : "kind 19");
    OdbcIniKeys keys("OrvanelPostgres");
    if (kindFive) keys.set("JxDatabaseDriver", "5");
    Logon l(POSTGRES_DSN);
    ASSERT_TRUE(l.con) << errors.lastText();
    Query q(l.con, "SELECT c_char, c_varchar FROM alltypes");
    ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
    EXPECT_EQ(q->columns[0]->odbcType, SQL_CHAR);
    EXPECT_EQ(q->columns[0]->layerType, kindFive ? BCV_VARCHAR : BCV_CHAR);
    EXPECT_EQ(q->columns[1]->layerType, BCV_VARCHAR);
  }
}

// --- execution again: the parse, the pending changes

// The parse serves the first description of the result and is freed then; the WHERE
// split made from it stays with the query through later executions and copies.
TEST(SqlExecute, ParseFreedAfterTheFirstResultKeepsTheSplit) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q(
      l.con,
      "SELECT c.name AS who, o.item FROM customers c, orders o WHERE c.cust_id = o.cust_id AND o.total > ?");
  ASSERT_EQ(q.status, 0) << errors.lastText();
  ASSERT_TRUE(q->parse);
  const int32_t ten = 10, four = 4;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &ten, BCV_LONG, &four, 0), 0) << errors.lastText();
  uint32_t rows = 0;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(q->parse, nullptr);
  EXPECT_TRUE(q->flags & SQLQ_PARSED);
  ASSERT_EQ(q->columnCount, 2);
  ASSERT_TRUE(q->joins);
  ASSERT_TRUE(q->restriction);
  const std::string joins = q->joins, restriction = q->restriction;
  EXPECT_NE(joins.find("cust_id"), std::string::npos) << joins;
  EXPECT_NE(restriction.find("total"), std::string::npos) << restriction;
  const std::string alias = q->columns[0]->alias ? q->columns[0]->alias : "";
  EXPECT_EQ(alias, "who");
  for (int again = 0; again < 2; ++again) {
    ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
    ASSERT_TRUE(q->joins);
    ASSERT_TRUE(q->restriction);
    EXPECT_EQ(joins, q->joins);
    EXPECT_EQ(restriction, q->restriction);
    EXPECT_EQ(q->columns[0]->alias ? std::string(q->columns[0]->alias) : "", alias);
  }
  // A copy of the executed query runs with the same split.
  sql_qry* copy = nullptr;
  ASSERT_EQ(q->copy(&copy), 0) << errors.lastText();
  ASSERT_EQ(sqlBindSetParam(copy, 0, 0, &ten, BCV_LONG, &four, 0), 0) << errors.lastText();
  EXPECT_EQ(sqlXExecute(copy, &rows), 0) << errors.lastText();
  ASSERT_TRUE(copy->joins);
  EXPECT_EQ(joins, copy->joins);
  ASSERT_TRUE(copy->restriction);
  EXPECT_EQ(restriction, copy->restriction);
  EXPECT_EQ(sqlFreeQuery(copy), 0);
  // A statement without columns frees it too.
  ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE parsed(a INTEGER)"));
  Query ins(l.con, "INSERT INTO parsed VALUES(1)");
  ASSERT_TRUE(ins->parse);
  ASSERT_EQ(sqlXExecute(ins.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(ins->parse, nullptr);
  ASSERT_EQ(sqlXExecute(ins.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(scalar(l.con, "SELECT count(*) FROM parsed"), "2");
}

struct Received {
  sql_qry* query = nullptr;
  void* pending = nullptr;
  int calls = 0;
  JxStatus answer = 0;
  uint32_t rowsInLog = 0;
};
Received g_received;

JxStatus receivePending(cmg_capabilities*, sql_qry* q, void* pending) {
  ++g_received.calls;
  g_received.query = q;
  g_received.pending = pending;
  g_received.rowsInLog = q->rowsInLog;
  if (g_received.answer) sqlErrorById(SQLMSG_DRIVER_ERROR);
  return g_received.answer;
}

// The changes pending on a query's rows go to the receiver when the query runs again
// (before its rows are dropped); a refusal fails the execution and keeps them.
TEST(SqlExecute, PendingChangesHandedOverAtReExecution) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  g_received = Received();
  sqlSetPendingReceiver(receivePending);
  struct Restore {
    ~Restore() { sqlSetPendingReceiver(nullptr); }
  } restore;
  Query q(l.con, "SELECT id, label FROM numbered WHERE id < ?");
  const int32_t five = 5, four = 4;
  ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, &five, BCV_LONG, &four, 0), 0) << errors.lastText();
  int changes = 0;
  q->pendingTree = &changes;
  uint32_t rows = 0;
  // The first execution has no old rows: nothing is handed over.
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(g_received.calls, 0);
  EXPECT_EQ(q->pendingTree, &changes);
  // Again: handed over while the old rows are still counted, then the rows dropped.
  q->rowsInLog = 3;
  q->currentRow = 2;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(g_received.calls, 1);
  EXPECT_EQ(g_received.query, q.q);
  EXPECT_EQ(g_received.pending, &changes);
  EXPECT_EQ(g_received.rowsInLog, 3u);
  EXPECT_EQ(q->pendingTree, nullptr);
  EXPECT_EQ(q->rowsInLog, 0u);
  EXPECT_EQ(q->currentRow, 0xFFFFFFFFu);
  // Nothing pending: the receiver is not asked.
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(g_received.calls, 1);
  // Refused: the execution fails before anything is dropped, the list stays.
  q->pendingTree = &changes;
  q->rowsInLog = 3;
  g_received.answer = 1;
  errors.clear();
  EXPECT_EQ(sqlXExecute(q.q, &rows), 1);
  EXPECT_EQ(errors.last(), SQLMSG_DRIVER_ERROR);
  EXPECT_EQ(g_received.calls, 2);
  EXPECT_EQ(q->pendingTree, &changes);
  EXPECT_EQ(q->rowsInLog, 3u);
  EXPECT_EQ(sqlReExecute(q.q), 1);
  EXPECT_EQ(q->pendingTree, &changes);
  EXPECT_TRUE(q->hstmt);
  // sqlReExecute hands over the same way.
  g_received.answer = 0;
  ASSERT_EQ(sqlReExecute(q.q), 0) << errors.lastText();
  EXPECT_EQ(g_received.calls, 4);
  EXPECT_EQ(q->pendingTree, nullptr);
  // Without a receiver the list stays with the query.
  sqlSetPendingReceiver(nullptr);
  q->pendingTree = &changes;
  ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  EXPECT_EQ(g_received.calls, 4);
  EXPECT_EQ(q->pendingTree, &changes);
  q->pendingTree = nullptr;
}

// --- preparing on a driver with one active statement

// A query that may be edited by keys of several columns has the key columns of each of
// its tables chosen when it is prepared, while the connection is still free.
TEST(SqlPrepare, OneStatementDriverChoosesRowIdentifiers) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE blobs(id INTEGER, b BLOB)"));
  const uint32_t oneStatement = CMG_A_ONE_STATEMENT | CMG_A_ONE_CONNECTION;
  struct Case {
    bool oneStatementDriver;
    const char* keyText;
    bool readOnly;
    bool chosen;
  } kCases[] = {
      {true, "cust_id,order_id", false, true},
      {true, "cust_id", false, false},
      {true, nullptr, false, false},
      {true, "cust_id,order_id", true, false},
      {false, "cust_id,order_id", false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.oneStatementDriver << " " << (c.keyText ? c.keyText : "-") << " "
                                    << c.readOnly);
    Query q(l.con,
            "SELECT c.cust_id, c.name, o.order_id, o.item FROM customers c, orders o WHERE c.cust_id = "
            "o.cust_id");
    ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
    ASSERT_EQ(q->tableCount, 2);
    for (uint16_t i = 0; i < q->columnCount; ++i) q->columns[i]->flags &= ~SQLC_KEY;
    if (c.keyText) q->keyText = ramAllocStr(c.keyText);
    if (c.readOnly) q->flags |= SQLQ_READ_ONLY;
    if (c.oneStatementDriver) l.con->flagsA |= oneStatement;
    q->flags &= ~SQLQ_PREPARED;
    EXPECT_EQ(sqlXPrepare(q.q), 0) << errors.lastText();
    l.con->flagsA &= ~oneStatement;
    EXPECT_TRUE(q->flags & SQLQ_PREPARED);
    for (uint16_t i = 0; i < q->columnCount; ++i) {
      SCOPED_TRACE(q->columns[i]->driverName ? q->columns[i]->driverName : "?");
      EXPECT_EQ((q->columns[i]->flags & SQLC_KEY) != 0, c.chosen);
    }
    // Prepared on the driver: it runs.
    uint32_t rows = 0;
    EXPECT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
  }
  // Given keys are kept as they are.
  {
    Query q(l.con, "SELECT cust_id, name FROM customers");
    ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
    q->columns[0]->flags &= ~SQLC_KEY;
    q->columns[1]->flags |= SQLC_KEY;
    q->flags = (q->flags | SQLQ_KEYS_GIVEN) & ~SQLQ_PREPARED;
    q->keyText = ramAllocStr("name,city");
    l.con->flagsA |= oneStatement;
    EXPECT_EQ(sqlXPrepare(q.q), 0) << errors.lastText();
    l.con->flagsA &= ~oneStatement;
    EXPECT_FALSE(q->columns[0]->flags & SQLC_KEY);
    EXPECT_TRUE(q->columns[1]->flags & SQLC_KEY);
  }
  // A table with no column usable as a key: 4506, and the query stays unprepared.
  {
    Query q(l.con, "SELECT b FROM blobs");
    ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
    q->flags &= ~SQLQ_PREPARED;
    q->keyText = ramAllocStr("id,b");
    l.con->flagsA |= oneStatement;
    errors.clear();
    EXPECT_EQ(sqlXPrepare(q.q), 1);
    l.con->flagsA &= ~oneStatement;
    EXPECT_EQ(errors.last(), 4506);
    EXPECT_FALSE(q->flags & SQLQ_PREPARED);
  }
  // Before its columns are described there is nothing to choose from.
  {
    Query q(l.con, "SELECT cust_id, name FROM customers");
    q->keyText = ramAllocStr("cust_id,name");
    l.con->flagsA |= oneStatement;
    EXPECT_EQ(sqlXPrepare(q.q), 0) << errors.lastText();
    l.con->flagsA &= ~oneStatement;
    EXPECT_EQ(q->columnCount, 0);
  }
}

// --- the data source's parameter settings

// "JxParamCharLength" and "JxSubstituteParams" of the data source's section.
TEST(SqlParams, ProfileSettingsOfTheDataSource) {
  ThreadErrors errors;
  struct Case {
    const char *length, *substitute;
    uint16_t paramCharLength;
    uint8_t substituteParams;
    uint16_t limit;
  } kCases[] = {
      {nullptr, nullptr, 0, 0, 254}, {"100", "1", 100, 1, 100}, {"65535", "7", 65535, 1, 65535},
      {"-5", "0", 0, 0, 254},        {"70000", "", 0, 0, 254},  {"1", "", 1, 0, 10},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << (c.length ? c.length : "-") << " "
                                    << (c.substitute ? c.substitute : "-"));
    OdbcIniKeys keys("OrvanelTest");
    if (c.length) keys.set("JxParamCharLength", c.length);
    if (c.substitute) keys.set("JxSubstituteParams", c.substitute);
    Logon l(kSqlite);
    ASSERT_TRUE(l.con) << errors.lastText();
    EXPECT_EQ(l.con->paramCharLength, c.paramCharLength);
    EXPECT_EQ(l.con->substituteParams, c.substituteParams);
    // The declared size of a short character parameter is the length in force.
    Query q(l.con, "SELECT ?");
    ASSERT_EQ(sqlInitParam(q.q, 0, BCV_VARCHAR, 10, 0), 0) << errors.lastText();
    EXPECT_EQ(q->params[0].size, c.limit);
  }
  {
    // A length of 100: a value of 150 characters goes as long character data and must
    // be declared so; it arrives whole.
    OdbcIniKeys keys("OrvanelTest");
    keys.set("JxParamCharLength", "100");
    Logon l(kSqlite);
    ASSERT_TRUE(l.con) << errors.lastText();
    ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE longer(body TEXT)"));
    Query q(l.con, "INSERT INTO longer VALUES(?)");
    const std::string value(150, 'x');
    const int32_t n = 150;
    ASSERT_EQ(sqlInitParam(q.q, 0, BCV_VARCHAR, 10, 0), 0);
    errors.clear();
    EXPECT_EQ(sqlBindSetParam(q.q, 0, 1, value.c_str(), BCV_VARCHAR, &n, 0), 1);
    EXPECT_EQ(errors.last(), 4534);
    Query fresh(l.con, "INSERT INTO longer VALUES(?)");
    ASSERT_EQ(sqlBindSetParam(fresh.q, 0, 0, value.c_str(), BCV_VARCHAR, &n, 0), 0) << errors.lastText();
    EXPECT_EQ(fresh->params[0].size, 150u);
    uint32_t rows = 0;
    ASSERT_EQ(sqlXExecute(fresh.q, &rows), 0) << errors.lastText();
    EXPECT_EQ(scalar(l.con, "SELECT body FROM longer"), value);
  }
  {
    // Substituting: the values are written into the text the driver prepares.
    OdbcIniKeys keys("OrvanelTest");
    keys.set("JxSubstituteParams", "1");
    Logon l(kSqlite);
    ASSERT_TRUE(l.con) << errors.lastText();
    ASSERT_TRUE(exec(l.con, "CREATE TEMP TABLE written(body TEXT, n INTEGER)"));
    Query q(l.con, "INSERT INTO written VALUES(?, ?)");
    const int32_t seven = 7, four = 4, n = 42;
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, "O'Brien", BCV_VARCHAR, &seven, 0), 0) << errors.lastText();
    ASSERT_EQ(sqlBindSetParam(q.q, 1, 0, &n, BCV_LONG, &four, 0), 0) << errors.lastText();
    uint32_t rows = 0;
    ASSERT_EQ(sqlXExecute(q.q, &rows), 0) << errors.lastText();
    EXPECT_EQ(scalar(l.con, "SELECT body || ':' || n FROM written"), "O'Brien:42");
  }
  if (FakeDriver::available()) {
    // The text the driver was given, on the scripted driver.
    OdbcIniKeys keys("OrvanelFake");
    keys.set("JxSubstituteParams", "1");
    FakeDriver fake("substitute", "");
    Logon l(fake.connect());
    ASSERT_TRUE(l.con) << errors.lastText();
    EXPECT_EQ(l.con->substituteParams, 1);
    Query q(l.con, "SELECT a FROM t WHERE a = ? AND b = '?'");
    ASSERT_EQ(q.status, 0) << errors.lastText();
    const int32_t four = 4;
    ASSERT_EQ(sqlBindSetParam(q.q, 0, 0, "it's", BCV_VARCHAR, &four, 0), 0) << errors.lastText();
    ASSERT_EQ(sqlXPrepare(q.q), 0) << errors.lastText();
    std::vector<std::string> lines = fake.logLines("SQLPrepare");
    ASSERT_FALSE(lines.empty());
    const std::string sent = "SELECT a FROM t WHERE a = 'it''s' AND b = '?'";
    EXPECT_EQ(lines.back().substr(lines.back().size() - sent.size()), sent) << lines.back();
  }
}

// --- catalogue failures

TEST(SqlCatalog, TypeInfoFailureDropsTheHandle) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  // The profile reads the types at logon; afterwards a statement with an open result
  // keeps the driver of one active statement busy, so the type listing is refused.
  FakeDriver failing("typeinfobusy", "onestatement\nresult SELECT\ncolumns A:int\nrow 1\n");
  Logon l(failing.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  SQLHSTMT busy = nullptr;
  ASSERT_EQ(SQLAllocStmt(l.con->hdbc, &busy), SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(busy, (SQLCHAR*)"SELECT A", SQL_NTS), SQL_SUCCESS);
  const uint32_t before = sqlHstmtCount(l.con);
  const size_t frees = failing.count("SQLFreeStmt");
  SQLHSTMT h = reinterpret_cast<SQLHSTMT>(1);
  errors.clear();
  EXPECT_EQ(sqlOpenTypeInfo(l.con, &h), 1);
  EXPECT_EQ(h, nullptr);
  EXPECT_NE(errors.lastText().find("busy"), std::string::npos) << errors.lastText();
  EXPECT_EQ(sqlHstmtCount(l.con), before);
  EXPECT_EQ(failing.count("SQLFreeStmt"), frees + 1);
  SQLFreeStmt(busy, SQL_DROP);
}

// --- the database switch, on the scripted driver (neither real driver has "USE")

TEST(SqlUseDatabase, SwitchQuotesAndRefuses) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  OdbcIniKeys keys("OrvanelFake");
  keys.set("JxDatabaseDriver", "5");
  FakeDriver fake("usedb", "");
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_STREQ(l.con->databaseName, "main");
  struct Case {
    const char* name;
    JxStatus status;
    const char* sent;  // null: nothing sent
  } kCases[] = {
      {"", 0, nullptr},
      {nullptr, 0, nullptr},
      {"main", 0, nullptr},
      {"SALES", 0, "USE SALES"},
      {"SALES", 0, nullptr},          // now the current one
      {"sales", 0, "USE \"sales\""},  // lower case is not plain on this driver
      {"my db", 0, "USE \"my db\""},
      {"\"a\"; DROP TABLE t; \"b\"", 0, "USE \"\"\"a\"\"; DROP TABLE t; \"\"b\"\"\""},
      {"x\"; DROP TABLE t; --", 0, "USE \"x\"\"; DROP TABLE t; --\""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name ? c.name : "(none)");
    const size_t before = fake.count("SQLExecDirect");
    EXPECT_EQ(sqlUseDatabase(l.con, c.name), c.status) << errors.lastText();
    std::vector<std::string> lines = fake.logLines("SQLExecDirect");
    if (!c.sent) {
      EXPECT_EQ(lines.size(), before);
    } else {
      ASSERT_EQ(lines.size(), before + 1);
      EXPECT_EQ(lines.back().substr(lines.back().size() - strlen(c.sent)), c.sent);
      EXPECT_STREQ(l.con->databaseName, c.name);
    }
  }
  // Without a quote character a name that needs quotes is refused before anything is sent.
  l.con->quoteChar = 0;
  const size_t before = fake.count("SQLExecDirect");
  EXPECT_EQ(sqlUseDatabase(l.con, "my db"), 1);
  EXPECT_EQ(errors.last(), SQLMSG_CANNOT_QUOTE);
  EXPECT_EQ(fake.count("SQLExecDirect"), before);
  EXPECT_STREQ(l.con->databaseName, "x\"; DROP TABLE t; --");
  // A driver of another kind without the switch: nothing.
  l.con->databaseKind = CMG_DB_OTHER;
  l.con->flagsB &= ~CMG_B_USE_STATEMENT;
  EXPECT_EQ(sqlUseDatabase(l.con, "other"), 0);
  EXPECT_EQ(fake.count("SQLExecDirect"), before);
}

// --- catalogue result sets

TEST(SqlCatalog, TypeInfoRows) {
  ThreadErrors errors;
  std::vector<std::string> dsns = {kSqlite};
  if (PostgresServer::running()) dsns.push_back(POSTGRES_DSN);
  for (const std::string& dsn : dsns) {
    SCOPED_TRACE(dsn);
    Logon l(dsn);
    ASSERT_TRUE(l.con) << errors.lastText();
    const uint32_t statements = sqlHstmtCount(l.con);
    SQLHSTMT h = nullptr;
    ASSERT_EQ(sqlOpenTypeInfo(l.con, &h), 0) << errors.lastText();
    ASSERT_TRUE(h);
    char name[128];
    SQLLEN length = sizeof name;
    int16_t type = 0;
    SQLLEN typeLength = sizeof type;
    ASSERT_EQ(sqlInfoBindCol(l.con, h, 1, SQL_C_CHAR, name, &length), 0) << errors.lastText();
    ASSERT_EQ(sqlInfoBindCol(l.con, h, 2, SQL_C_SHORT, &type, &typeLength), 0) << errors.lastText();
    int rows = 0;
    bool integer = false, varchar = false;
    SQLRETURN rc;
    while ((rc = sqlInfoFetch(l.con, h)) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
      ++rows;
      integer |= type == SQL_INTEGER;
      varchar |= type == SQL_VARCHAR && length > 0;
    }
    EXPECT_EQ(rc, SQL_NO_DATA_FOUND);
    EXPECT_GT(rows, 5);
    EXPECT_TRUE(integer);
    EXPECT_TRUE(varchar);
    EXPECT_EQ(sqlInfoClose(l.con, h), 0);
    EXPECT_EQ(sqlHstmtCount(l.con), statements);
  }
}

TEST(SqlCatalog, ColumnsOnSqlite) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  SQLHSTMT h = nullptr;
  ASSERT_EQ(sqlOpenColumns(l.con, &h, 0, "numbered"), 0) << errors.lastText();
  char name[80];
  SQLLEN length = sizeof name;
  ASSERT_EQ(sqlInfoBindCol(l.con, h, 4, SQL_C_CHAR, name, &length), 0);
  std::string names;
  while (sqlInfoFetch(l.con, h) == SQL_SUCCESS) names += std::string(name) + " ";
  EXPECT_EQ(names, "id label amount ");
  EXPECT_EQ(sqlInfoClose(l.con, h), 0);
  // The handle is dropped on a failure.
  const uint32_t statements = sqlHstmtCount(l.con);
  EXPECT_EQ(sqlOpenColumns(l.con, &h, 0, "a.b.c.d"), 1);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(sqlHstmtCount(l.con), statements);
}

TEST(SqlCatalog, ColumnsPassOnlyTheGivenParts) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  FakeDriver fake("columns", "return SQLColumns:x -1 S1000 0 never\n");
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  struct Case {
    const char* table;
    bool files;
    const char* logged;
  } kCases[] = {
      {"orders", false, "- - orders -"},
      {"sales.orders", false, "- sales orders -"},
      {"db.sales.orders", false, "db sales orders -"},
      {"\"my.db\".sales.\"a \"\"b\"\"\"", false, "my.db sales a \"b\" -"},
      {"orders.csv", true, "- - orders -"},
      {"data.v2/orders.csv", true, "- - data.v2/orders -"},
      {"noext", true, "- - noext -"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.table);
    if (c.files)
      l.con->flagsA |= CMG_A_FILE_DRIVER;
    else
      l.con->flagsA &= ~CMG_A_FILE_DRIVER;
    SQLHSTMT h = nullptr;
    ASSERT_EQ(sqlOpenColumns(l.con, &h, 0, c.table), 0) << errors.lastText();
    EXPECT_EQ(sqlInfoClose(l.con, h), 0);
    std::vector<std::string> lines = fake.logLines("SQLColumns");
    ASSERT_FALSE(lines.empty());
    const std::string& last = lines.back();
    EXPECT_EQ(last.substr(last.size() - strlen(c.logged)), c.logged) << last;
  }
  // Asked to, a kind 5 connection switches to the database part first (quoted by the
  // connection's rules); a bare table name switches nothing.
  l.con->flagsA &= ~CMG_A_FILE_DRIVER;
  l.con->databaseKind = CMG_DB_SS;
  SQLHSTMT s = nullptr;
  ASSERT_EQ(sqlOpenColumns(l.con, &s, 1, "orders"), 0) << errors.lastText();
  EXPECT_EQ(sqlInfoClose(l.con, s), 0);
  EXPECT_EQ(fake.count("SQLExecDirect"), 0u);
  ASSERT_EQ(sqlOpenColumns(l.con, &s, 1, "ARCHIVE.sales.orders"), 0) << errors.lastText();
  EXPECT_EQ(sqlInfoClose(l.con, s), 0);
  std::vector<std::string> use = fake.logLines("SQLExecDirect");
  ASSERT_EQ(use.size(), 1u);
  EXPECT_EQ(use[0].substr(use[0].size() - 11), "USE ARCHIVE");
  EXPECT_STREQ(l.con->databaseName, "ARCHIVE");
  // A driver failure drops the handle.
  const uint32_t statements = sqlHstmtCount(l.con);
  FakeDriver failing("columnsfail", "return SQLColumns -1 S1000 0 refused\n");
  Logon f(failing.connect());
  ASSERT_TRUE(f.con) << errors.lastText();
  const uint32_t before = sqlHstmtCount(f.con);
  const size_t frees = failing.count("SQLFreeStmt");
  SQLHSTMT h = nullptr;
  EXPECT_EQ(sqlOpenColumns(f.con, &h, 0, "orders"), 1);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(sqlHstmtCount(f.con), before);
  EXPECT_EQ(failing.count("SQLFreeStmt"), frees + 1);

  EXPECT_EQ(sqlHstmtCount(l.con), statements);
}

// --- names of a query's tables

TEST(SqlNames, OneAndTwoTablesCachedAndTheFallback) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  auto columns = [](const SqlTableEntry& e) {
    std::string out;
    for (const char* c = e.columns; *c; c += strlen(c) + 1) out += std::string(c) + " ";
    return out;
  };
  for (bool catalogue : {true, false}) {
    SCOPED_TRACE(catalogue ? "catalogue" : "described");
    if (catalogue)
      l.con->flagsB &= ~CMG_B_NO_SQL_COLUMNS;
    else
      l.con->flagsB |= CMG_B_NO_SQL_COLUMNS;
    {
      Query q(l.con, "SELECT * FROM numbered");
      SqlTableList* list = nullptr;
      ASSERT_EQ(sqlNames(q.q, &list), 0) << errors.lastText();
      ASSERT_EQ(list->count, 1);
      EXPECT_STREQ(list->entries[0].name, "numbered");
      EXPECT_EQ(list->entries[0].alias, nullptr);
      EXPECT_EQ(columns(list->entries[0]), "id label amount ");
      SqlTableList* again = nullptr;
      ASSERT_EQ(sqlNames(q.q, &again), 0);
      EXPECT_EQ(again, list);
    }
    {
      Query q(l.con, "SELECT c.name, o.item FROM customers c, orders o WHERE c.cust_id = o.cust_id");
      SqlTableList* list = nullptr;
      ASSERT_EQ(sqlNames(q.q, &list), 0) << errors.lastText();
      ASSERT_EQ(list->count, 2);
      EXPECT_STREQ(list->entries[0].name, "customers");
      EXPECT_STREQ(list->entries[0].alias, "c");
      EXPECT_EQ(columns(list->entries[0]), "cust_id name city ");
      EXPECT_STREQ(list->entries[1].name, "orders");
      EXPECT_STREQ(list->entries[1].alias, "o");
      EXPECT_NE(columns(list->entries[1]).find("order_id cust_id "), std::string::npos);
    }
    {
      Query q(l.con, "DELETE FROM numbered WHERE id = 0");
      SqlTableList* list = nullptr;
      ASSERT_EQ(sqlNames(q.q, &list), 0);
      EXPECT_EQ(list->count, 0);
    }
  }
  {
    // A table the driver does not know fails, with nothing kept.
    Query q(l.con, "SELECT * FROM missing_table");
    SqlTableList* list = nullptr;
    EXPECT_EQ(sqlNames(q.q, &list), 1);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(q->names, nullptr);
  }
}

// --- the condition of the current row, with values the test puts into the buffers

TEST(SqlUniqueWhere, KeyTermsOverTwoTables) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q(l.con,
          "SELECT c.cust_id, c.name, o.order_id FROM customers c, orders o WHERE c.cust_id = o.cust_id");
  ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
  ASSERT_EQ(q->tableCount, 2);
  sql_qry_fld* id = q->columns[0];
  sql_qry_fld* name = q->columns[1];
  sql_qry_fld* order = q->columns[2];
  for (sql_qry_fld* f : {id, name, order}) f->flags &= ~SQLC_KEY;
  id->flags |= SQLC_KEY;
  name->flags |= SQLC_KEY;
  order->flags |= SQLC_KEY;
  const int32_t seven = 7, twelve = 12;
  memcpy(id->value, &seven, 4);
  id->valueLength = 4;
  memcpy(name->value, "O'Brien", 7);
  name->valueLength = 7;
  memcpy(order->value, &twelve, 4);
  order->valueLength = 4;
  char* text = nullptr;
  ASSERT_EQ(sqlUniqueWhere(q.q, &text), 0) << errors.lastText();
  const std::string quote(1, static_cast<char>(l.con->quoteChar));
  EXPECT_EQ(std::string(text), "customers." + quote + "cust_id" + quote + " = 7 AND customers." + quote +
                                   "name" + quote + " = 'O''Brien' AND orders." + quote + "order_id" + quote +
                                   " = 12");
  ramFree(text);
  // A NULL key value: IS NULL, never "= NULL".
  name->valueLength = SQL_NULL_DATA;
  ASSERT_EQ(sqlUniqueWhere(q.q, &text), 0) << errors.lastText();
  EXPECT_NE(std::string(text).find("name" + quote + " IS NULL AND"), std::string::npos) << text;
  EXPECT_EQ(std::string(text).find("= NULL"), std::string::npos);
  ramFree(text);
}

}  // namespace
