// Aggregates and break levels over real rows of the SQLite DSN: the rows are read into
// the row log and taken in as a fetch takes them (break values compared, group rows
// added, weights and aggregates kept), and the values each level keeps for its groups
// are checked against SQLite's own GROUP BY results, reading forwards, backwards and by
// number.
#include "dbsql/cmgenv.h"
#include "dbsql/sqlagg.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "sql_test_support.h"
#include "sqlagg_test_support.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";

struct Executed {
  Executed(cmg_capabilities* con, const char* text) {
    status = sqlOpen(con, nullptr, text, SQLOPEN_PARSE, 22, 26, &q);
    uint32_t rows = 0;
    if (!status) status = sqlLogOptions(q, 3) || sqlXExecute(q, &rows) || sqlLogInit(q);
  }
  ~Executed() {
    if (q) {
      EXPECT_EQ(sqlBreakRemoveAll(q), 0);
      EXPECT_EQ(sqlFreeQuery(q), 0);
    }
  }
  sql_qry* q = nullptr;
  JxStatus status = 1;
};

// A column's current value as a number (NAN for NULL), whatever type the driver gave it.
double numberOf(const sql_qry_fld* f) {
  SqlAggOperand op;
  if (!sqlAggColumnValue(f, f->value, f->valueLength, &op)) return NAN;
  if (f->flags & SQLC_NUMBER) return op.number;
  return strtod(reinterpret_cast<const char*>(op.bytes), nullptr);
}

struct Reference {
  double sum, min, max, avg;
  uint32_t count;
};

// SQLite's aggregates of amount per key (the first keyCount columns of the statement).
std::map<std::vector<long>, Reference> referenceOf(cmg_capabilities* con, const char* text, int keyCount) {
  std::map<std::vector<long>, Reference> out;
  Executed e(con, text);
  EXPECT_EQ(e.status, 0);
  if (e.status) return out;
  for (uint32_t r = 1;; ++r) {
    if (sqlLogPosition(e.q, r) || e.q->currentRow != r) break;
    std::vector<long> key;
    for (int k = 0; k < keyCount; ++k) key.push_back(lround(numberOf(e.q->columns[k])));
    out[key] = {numberOf(e.q->columns[keyCount]), numberOf(e.q->columns[keyCount + 1]),
                numberOf(e.q->columns[keyCount + 2]), numberOf(e.q->columns[keyCount + 3]),
                static_cast<uint32_t>(lround(numberOf(e.q->columns[keyCount + 4])))};
  }
  return out;
}

const uint16_t kKinds[] = {SQLAGG_SUM, SQLAGG_MIN, SQLAGG_MAX, SQLAGG_AVERAGE, SQLAGG_COUNT};

void expectLike(sql_qry* q, sql_qry* level, uint16_t column, const Reference& ref, uint32_t row) {
  EXPECT_NEAR(aggValue(q, level, column, SQLAGG_SUM).number(), ref.sum, 1e-6) << row;
  EXPECT_NEAR(aggValue(q, level, column, SQLAGG_MIN).number(), ref.min, 1e-6) << row;
  EXPECT_NEAR(aggValue(q, level, column, SQLAGG_MAX).number(), ref.max, 1e-6) << row;
  EXPECT_NEAR(aggValue(q, level, column, SQLAGG_AVERAGE).number(), ref.avg, 1e-6) << row;
  EXPECT_EQ(aggValue(q, level, column, SQLAGG_COUNT).count(), ref.count) << row;
}

TEST(AggregatesOdbc, LevelsMatchGroupBy) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  const auto bigGroups = referenceOf(l.con,
                                     "SELECT id / 50, SUM(amount), MIN(amount), MAX(amount), AVG(amount), "
                                     "COUNT(amount) FROM numbered GROUP BY 1",
                                     1);
  const auto smallGroups =
      referenceOf(l.con,
                  "SELECT id / 50, id / 10, SUM(amount), MIN(amount), MAX(amount), AVG(amount), "
                  "COUNT(amount) FROM numbered GROUP BY 1, 2",
                  2);
  const auto whole = referenceOf(
      l.con, "SELECT 0, SUM(amount), MIN(amount), MAX(amount), AVG(amount), COUNT(amount) FROM numbered", 1);
  ASSERT_EQ(bigGroups.size(), 7u);
  ASSERT_EQ(smallGroups.size(), 31u);

  Executed e(l.con, "SELECT id / 50 AS big, id / 10 AS small, amount, label FROM numbered ORDER BY id");
  ASSERT_EQ(e.status, 0) << errors.lastText();
  sql_qry* q = e.q;
  ASSERT_EQ(q->columnCount, 4);
  ASSERT_EQ(sqlBreak(q), 0);
  ASSERT_EQ(sqlBreakField(q, 0), 0);
  ASSERT_EQ(sqlBreak(q), 0);
  ASSERT_EQ(sqlBreakField(q, 1), 0);
  // A second break on a column stays refused with the column's name.
  EXPECT_EQ(sqlBreakField(q, 0), 1);
  EXPECT_EQ(errors.last(), 4517);
  EXPECT_NE(errors.lastText().find("You cannot add another break to this field: '"), std::string::npos)
      << errors.lastText();
  errors.clear();
  sql_qry* big = levelNumber(q, 1);
  sql_qry* small = levelNumber(q, 2);
  for (sql_qry* g : {static_cast<sql_qry*>(nullptr), big, small})
    for (uint16_t kind : kKinds) ASSERT_EQ(sqlAggCreate(q, g, 2, kind, 0), 0);

  // Forwards as a fetch reads: each row's groups so far.
  uint32_t rows = 0;
  for (uint32_t r = 1;; ++r) {
    sqlBreakSaveValues(q);
    ASSERT_EQ(sqlLogPosition(q, r), 0) << errors.lastText();
    if (q->currentRow != r) break;
    ASSERT_EQ(takeRowAsFetch(q, r), 0) << r << errors.lastText();
    rows = r;
  }
  ASSERT_EQ(rows, 300u);
  expectLike(q, nullptr, 2, whole.begin()->second, 0);
  EXPECT_EQ(sqlLogIndexCount(big), 7u);
  EXPECT_EQ(sqlLogIndexCount(small), 31u);
  EXPECT_EQ(big->totalWeight, 31u);
  EXPECT_EQ(small->totalWeight, 300u);

  // Backwards, then by number: every level stands on the row's group with its values.
  std::vector<uint32_t> order;
  for (uint32_t r = rows; r >= 1; --r) order.push_back(r);
  for (uint32_t r : {1u, 49u, 50u, 51u, 299u, 300u, 120u, 9u, 10u}) order.push_back(r);
  for (uint32_t r : order) {
    ASSERT_EQ(sqlLogPosition(q, r), 0) << errors.lastText();
    ASSERT_EQ(sqlLogSyncBreaks(q), 0) << errors.lastText();
    const long b = lround(numberOf(q->columns[0])), s = lround(numberOf(q->columns[1]));
    ASSERT_EQ(b, static_cast<long>(r / 50));
    ASSERT_EQ(s, static_cast<long>(r / 10));
    expectLike(q, big, 2, bigGroups.at({b}), r);
    expectLike(q, small, 2, smallGroups.at({b, s}), r);
    if (HasFailure()) return;
  }
}

TEST(AggregatesOdbc, NullValuesAgainstSqlite) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  const auto ref =
      referenceOf(l.con, "SELECT 0, SUM(qty), MIN(qty), MAX(qty), AVG(qty), COUNT(qty) FROM unkeyed", 1);
  ASSERT_EQ(ref.size(), 1u);
  Executed e(l.con, "SELECT name, qty FROM unkeyed");
  ASSERT_EQ(e.status, 0) << errors.lastText();
  for (uint16_t kind : kKinds) ASSERT_EQ(sqlAggCreate(e.q, nullptr, 1, kind, 0), 0);
  ASSERT_EQ(sqlAggCreate(e.q, nullptr, 0, SQLAGG_MIN, 0), 0);
  ASSERT_EQ(sqlAggCreate(e.q, nullptr, 0, SQLAGG_MAX, 0), 0);
  for (uint32_t r = 1;; ++r) {
    ASSERT_EQ(sqlLogPosition(e.q, r), 0) << errors.lastText();
    if (e.q->currentRow != r) break;
    ASSERT_EQ(takeRowAsFetch(e.q, r), 0) << errors.lastText();
  }
  EXPECT_EQ(e.q->rowsAggregated, 4u);
  expectLike(e.q, nullptr, 1, ref.begin()->second, 0);
  EXPECT_EQ(aggValue(e.q, nullptr, 0, SQLAGG_MIN).text(), "apple");
  EXPECT_EQ(aggValue(e.q, nullptr, 0, SQLAGG_MAX).text(), "plum");
}

}  // namespace
