// The column aggregates, white-box on query objects without a connection: values over
// no rows, NULL values, text with trailing blanks, packed decimal operands, rows taken
// out again (a minimum or maximum leaving rebuilds everything), edited values, and one
// node per column, kind and level.
#include "dbsql/bcvconvert.h"
#include "dbsql/sqlagg.h"
#include "sql_test_support.h"
#include "sqlagg_test_support.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

namespace {

const uint16_t kAllKinds[] = {SQLAGG_SUM, SQLAGG_MIN, SQLAGG_MAX, SQLAGG_COUNT, SQLAGG_AVERAGE};

void createAll(sql_qry* q, sql_qry* group, uint16_t column) {
  for (uint16_t kind : kAllKinds) ASSERT_EQ(sqlAggCreate(q, group, column, kind, 0), 0);
}

// Takes the column values of each row in, as a fetch reading forwards would.
void accumulateDoubles(AggQuery& a, const std::vector<double>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (isnan(values[i]))
      a.setNull(0);
    else
      a.setDouble(0, values[i]);
    a.q->currentRow = static_cast<uint32_t>(i + 1);
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  }
}

int nodesOn(const sql_qry_fld* f) {
  int n = 0;
  for (const SqlAggregate* a = static_cast<const SqlAggregate*>(f->aggregates); a; a = a->next) ++n;
  return n;
}

TEST(Aggregates, NoRowsReadNullAndCountZero) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount"), charColumn("name", 10)});
  createAll(a.q, nullptr, 0);
  createAll(a.q, nullptr, 1);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
  for (uint16_t column : {0, 1})
    for (uint16_t kind : kAllKinds) {
      AggValue v = aggValue(a.q, nullptr, column, kind);
      ASSERT_EQ(v.found, 1) << kind;
      if (kind == SQLAGG_COUNT) {
        EXPECT_EQ(v.length, 4);
        EXPECT_EQ(v.count(), 0u);
      } else {
        EXPECT_EQ(v.length, -1) << "column " << column << " kind " << kind;
      }
    }
  // A kind or level the column has no node for.
  ASSERT_EQ(sqlAggDelete(a.q, nullptr, 0, SQLAGG_MIN), 0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).found, 0);
  EXPECT_EQ(aggValue(a.q, a.q, 0, SQLAGG_SUM).found, 0);
  EXPECT_EQ(aggValue(a.q, nullptr, 7, SQLAGG_SUM).found, 0);
}

TEST(Aggregates, NullValuesAreNeverCounted) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  createAll(a.q, nullptr, 0);
  accumulateDoubles(a, {NAN, 3.0, NAN, 5.5, -1.0, NAN});
  EXPECT_EQ(a.q->rowsAggregated, 6u);
  EXPECT_TRUE(a.q->flags & SQLQ_AGGREGATES);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 7.5);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_AVERAGE).number(), 2.5);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).number(), -1.0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 5.5);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).length, 8);

  // Only NULL values: the count is 0 and the others read NULL.
  AggQuery b({doubleColumn("amount")});
  createAll(b.q, nullptr, 0);
  accumulateDoubles(b, {NAN, NAN});
  EXPECT_EQ(aggValue(b.q, nullptr, 0, SQLAGG_COUNT).count(), 0u);
  EXPECT_EQ(aggValue(b.q, nullptr, 0, SQLAGG_SUM).length, -1);
  EXPECT_EQ(aggValue(b.q, nullptr, 0, SQLAGG_AVERAGE).length, -1);
}

TEST(Aggregates, IntegerColumnsAreWidened) {
  ThreadErrors errors;
  AggQuery a({longColumn("qty")});
  createAll(a.q, nullptr, 0);
  for (int32_t v : {7, -2000000000, 40, 2000000000}) {
    a.setLong(0, v);
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  }
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 47.0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).number(), -2000000000.0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 2000000000.0);
}

// Trailing blanks never make a text smaller or larger: "ABC" and "ABC  " are equal.
TEST(Aggregates, TextMinimumAndMaximumIgnoreTrailingBlanks) {
  struct Case {
    uint16_t type;
    std::vector<std::string> values;
    std::string min, max;
  } cases[] = {
      // Variable-length text keeps its blanks; the first of equal values stays.
      {BCV_VARCHAR, {"ABC  ", "ABC"}, "ABC  ", "ABC  "},
      {BCV_VARCHAR, {"ABC", "ABC  "}, "ABC", "ABC"},
      {BCV_VARCHAR, {"ABD", "ABC  ", "ABC", "AB"}, "AB", "ABD"},
      // Fixed-length text loses its trailing blanks when it is taken.
      {BCV_CHAR, {"ABC       ", "ABC"}, "ABC", "ABC"},
      {BCV_CHAR, {"b         ", "a         ", "c"}, "a", "c"},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    AggQuery a({charColumn("name", 10, k.type)});
    createAll(a.q, nullptr, 0);
    for (const std::string& v : k.values) {
      a.setText(0, v);
      ASSERT_EQ(sqlAggAccumulate(a.q), 0);
    }
    AggValue mn = aggValue(a.q, nullptr, 0, SQLAGG_MIN), mx = aggValue(a.q, nullptr, 0, SQLAGG_MAX);
    EXPECT_EQ(mn.text(), k.min) << k.values[0];
    EXPECT_EQ(mn.length, static_cast<int32_t>(k.min.size()));
    EXPECT_EQ(mx.text(), k.max) << k.values[0];
    EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), k.values.size());
  }
}

// Packed decimals: digits two per byte from the high nibble, the sign after the last
// digit, an even precision starting in the low nibble; the scale divides.
TEST(Aggregates, PackedDecimalOperands) {
  struct Case {
    int precision, scale;
    std::vector<uint8_t> bytes;
    double expected;
  } cases[] = {
      {5, 2, {0x12, 0x34, 0x5C}, 123.45},
      {4, 1, {0x01, 0x23, 0x4D}, -123.4},
      {3, 0, {0x99, 0x9C}, 999},
      {6, 3, {0x00, 0x00, 0x01, 0x5D}, -0.015},
      {1, 0, {0x7F}, 7},
      {2, 2, {0x09, 0x9C}, 0.99},
      {10, 2, {0x01, 0x23, 0x45, 0x67, 0x89, 0x0C}, 12345678.9},
  };
  for (const Case& k : cases) {
    ThreadErrors errors;
    AggQuery a({decimalColumn("amount", k.precision, k.scale)});
    SqlAggOperand op;
    ASSERT_EQ(sqlAggColumnValue(a.col(0), k.bytes.data(), static_cast<int32_t>(k.bytes.size()), &op), 1);
    EXPECT_NEAR(op.number, k.expected, 1e-9) << k.precision << "," << k.scale;
    // The converter reads the same bytes as the same number.
    double viaConverter = 0;
    ASSERT_EQ(bcvtof64(&viaConverter, k.bytes.data(), static_cast<uint16_t>(k.bytes.size()), BCV_DECIMAL,
                       bcvDecimalWord(k.precision, k.scale)),
              0)
        << errors.lastText();
    EXPECT_NEAR(viaConverter, k.expected, 1e-9);
  }
  // Text packed by the engine and taken into a sum.
  ThreadErrors errors;
  AggQuery a({decimalColumn("amount", 10, 2)});
  createAll(a.q, nullptr, 0);
  for (const char* text : {"12.50", "-3.25", "1000.01"}) {
    uint8_t packed[16] = {};
    ASSERT_EQ(bcvNumberTextToDecimal(text, static_cast<int32_t>(strlen(text)), bcvDecimalWord(10, 2), packed),
              0)
        << errors.lastText();
    a.setBytes(0, packed, 6);
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  }
  EXPECT_NEAR(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 1009.26, 1e-9);
  EXPECT_NEAR(aggValue(a.q, nullptr, 0, SQLAGG_MIN).number(), -3.25, 1e-9);
  EXPECT_NEAR(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 1000.01, 1e-9);
}

TEST(Aggregates, DateTimeValuesCompareAsText) {
  ThreadErrors errors;
  AggQuery a({dateColumn("stamp")});
  createAll(a.q, nullptr, 0);
  for (const char* v :
       {"1999-07-04 12:30:15.250000", "1998-01-01 00:00:00.000000", "2001-12-31 23:59:59.000000"}) {
    a.setBytes(0, v, 26);
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  }
  AggValue mn = aggValue(a.q, nullptr, 0, SQLAGG_MIN), mx = aggValue(a.q, nullptr, 0, SQLAGG_MAX);
  EXPECT_EQ(mn.length, 26);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(mn.bytes), 26), "1998-01-01 00:00:00.000000");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(mx.bytes), 26), "2001-12-31 23:59:59.000000");
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 3u);
}

// Reading backwards takes rows out: sums lose them; when the row held the minimum or
// maximum every aggregate starts again from no rows and is rebuilt as rows are read.
TEST(Aggregates, RemovingTheMinimumOrMaximumRebuilds) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  createAll(a.q, nullptr, 0);
  const std::vector<double> rows = {5, 3, 8, 6};
  accumulateDoubles(a, rows);
  ASSERT_EQ(a.q->rowsAggregated, 4u);

  // Row 4 (6) is neither: the sum and count lose it, minimum and maximum stay.
  a.setDouble(0, 6);
  ASSERT_EQ(sqlAggRemoveRow(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 16.0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 8.0);

  // Row 3 (8) is the maximum: everything is reset.
  a.setDouble(0, 8);
  ASSERT_EQ(sqlAggRemoveRow(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
  EXPECT_FALSE(a.q->flags & SQLQ_AGGREGATES);
  for (uint16_t kind : kAllKinds) {
    if (kind != SQLAGG_COUNT) {
      EXPECT_EQ(aggValue(a.q, nullptr, 0, kind).length, -1);
    }
  }
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 0u);

  // Rebuilt from rows 1 and 2 as a fetch reads them again.
  accumulateDoubles(a, {5, 3});
  EXPECT_EQ(a.q->rowsAggregated, 2u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 5.0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).number(), 3.0);

  // The minimum leaving does the same; a NULL value taken out changes nothing.
  a.setNull(0);
  ASSERT_EQ(sqlAggRemoveRow(a.q), 0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 2u);
  EXPECT_EQ(a.q->rowsAggregated, 1u);
  a.setDouble(0, 3);
  ASSERT_EQ(sqlAggRemoveRow(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).length, -1);
  // The counter never goes below 0.
  ASSERT_EQ(sqlAggRemoveRow(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
}

TEST(Aggregates, EditedValueReplacesTheOldOne) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  createAll(a.q, nullptr, 0);
  accumulateDoubles(a, {5, 3, 8});
  double oldV = 5, newV = 4;
  // Row 1 is being edited; 5 is neither the minimum nor the maximum.
  a.q->currentRow = 1;
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, &oldV, 8, &newV, 8), 0);
  EXPECT_EQ(a.q->rowsAggregated, 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 15.0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 8.0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).number(), 3.0);
  // To NULL and back.
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, &newV, 8, nullptr, -1), 0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 2u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 11.0);
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, nullptr, -1, &newV, 8), 0);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 3u);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 15.0);
  // A new value beyond the maximum becomes the maximum.
  double nine = 9;
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, &newV, 8, &nine, 8), 0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MAX).number(), 9.0);
  // A row beyond those taken in changes nothing.
  a.q->currentRow = 9;
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, &nine, 8, &oldV, 8), 0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), 20.0);
  // Editing away the minimum rebuilds.
  a.q->currentRow = 2;
  double three = 3, one = 1;
  ASSERT_EQ(sqlAggReplaceValue(a.q, 0, &three, 8, &one, 8), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_MIN).length, -1);
}

TEST(Aggregates, CreatingTwiceKeepsOneNode) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount"), doubleColumn("other")});
  ASSERT_EQ(sqlBreak(a.q), 0);
  sql_qry* level = a.q->parent;
  ASSERT_EQ(sqlAggCreate(a.q, nullptr, 0, SQLAGG_SUM, 1), 0);
  ASSERT_EQ(sqlAggCreate(a.q, nullptr, 0, SQLAGG_SUM, 7), 0);
  EXPECT_EQ(nodesOn(a.col(0)), 1);
  EXPECT_EQ(static_cast<SqlAggregate*>(a.col(0)->aggregates)->flag, 7);
  // Another level or another kind is another node; the level lists its own.
  ASSERT_EQ(sqlAggCreate(a.q, level, 0, SQLAGG_SUM, 0), 0);
  ASSERT_EQ(sqlAggCreate(a.q, level, 0, SQLAGG_SUM, 0), 0);
  ASSERT_EQ(sqlAggCreate(a.q, level, 1, SQLAGG_MAX, 0), 0);
  ASSERT_EQ(sqlAggCreate(a.q, nullptr, 0, SQLAGG_MAX, 0), 0);
  EXPECT_EQ(nodesOn(a.col(0)), 3);
  int ofLevel = 0;
  for (SqlAggregate* n = static_cast<SqlAggregate*>(level->groupAggregates); n; n = n->nextOfGroup) {
    EXPECT_EQ(n->group, level);
    ++ofLevel;
  }
  EXPECT_EQ(ofLevel, 2);
  // A kind outside the table is refused.
  EXPECT_EQ(sqlAggCreate(a.q, nullptr, 0, 9, 0), 1);
  EXPECT_EQ(sqlAggCreate(a.q, nullptr, 5, SQLAGG_SUM, 0), 1);
  // Deleting one kind of one level leaves the rest.
  ASSERT_EQ(sqlAggDelete(a.q, level, 0, SQLAGG_SUM), 0);
  EXPECT_EQ(nodesOn(a.col(0)), 2);
  EXPECT_EQ(static_cast<SqlAggregate*>(level->groupAggregates)->column, 1);
  ASSERT_EQ(sqlAggDelete(a.q, nullptr, 0, SQLAGG_EVERY_KIND), 0);
  EXPECT_EQ(nodesOn(a.col(0)), 0);
  ASSERT_EQ(sqlAggDelete(a.q, level, 1, SQLAGG_EVERY_KIND), 0);
  EXPECT_FALSE(level->groupAggregates);
  // Without any node the aggregates are off.
  EXPECT_EQ(a.q->rowsAggregated, 0xFFFFFFFFu);
  ASSERT_EQ(sqlAggReset(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0xFFFFFFFFu);
  a.setDouble(0, 1);
  ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0xFFFFFFFFu);
}

TEST(Aggregates, ResetZeroesTheQueryAndItsLevels) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreak(a.q), 0);
  createAll(a.q, nullptr, 0);
  accumulateDoubles(a, {1, 2, 3});
  a.q->parent->rowsAggregated = 9;
  a.q->parent->parent->rowsAggregated = 9;
  ASSERT_EQ(sqlAggReset(a.q), 0);
  EXPECT_EQ(a.q->rowsAggregated, 0u);
  EXPECT_EQ(a.q->parent->rowsAggregated, 0u);
  EXPECT_EQ(a.q->parent->parent->rowsAggregated, 0u);
  EXPECT_EQ(aggValue(a.q, nullptr, 0, SQLAGG_COUNT).count(), 0u);
}

// The nodes of a level that broke start again; the whole result goes on.
TEST(Aggregates, LevelsThatBreakStartAgain) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  ASSERT_EQ(sqlBreak(a.q), 0);  // level 1
  ASSERT_EQ(sqlBreak(a.q), 0);  // level 2, directly above the query
  sql_qry* one = levelNumber(a.q, 1);
  sql_qry* two = levelNumber(a.q, 2);
  ASSERT_TRUE(one && two);
  EXPECT_EQ(a.q->parent, two);
  EXPECT_EQ(two->parent, one);
  for (sql_qry* g : {static_cast<sql_qry*>(nullptr), one, two})
    ASSERT_EQ(sqlAggCreate(a.q, g, 0, SQLAGG_SUM, 0), 0);
  struct Step {
    double value;
    uint16_t currentBreak;
    double whole, sumOne, sumTwo;
  } steps[] = {
      {1, 0, 1, 1, 1}, {2, 2, 3, 3, 3}, {4, 1, 7, 7, 4}, {8, 0, 15, 8, 8}, {16, 2, 31, 24, 24},
  };
  for (const Step& s : steps) {
    a.setDouble(0, s.value);
    a.q->currentBreak = s.currentBreak;
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
    EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 0, SQLAGG_SUM).number(), s.whole);
    EXPECT_DOUBLE_EQ(aggValue(a.q, one, 0, SQLAGG_SUM).number(), s.sumOne) << s.value;
    EXPECT_DOUBLE_EQ(aggValue(a.q, two, 0, SQLAGG_SUM).number(), s.sumTwo) << s.value;
  }
}

}  // namespace
