// Control-break levels, white-box on query objects without a connection: the chain and
// its level numbers, break marks (a second one on a column is refused), undoing and
// resetting levels, format masks, and the group rows a level keeps in its own row log
// as rows are read forwards and again backwards: one per group, weighted by the rows of
// the group, holding the group's aggregate values.
#include "dbsql/bcvmask.h"
#include "dbsql/sqlagg.h"
#include "sql_test_support.h"
#include "sqlagg_test_support.h"
#include "sqlrowlog_internal.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const SqlBreakRecord* markOf(const sql_qry_fld* f) {
  return static_cast<const SqlBreakRecord*>(f->breakRecord);
}

TEST(Breaks, ChainAndLevelNumbers) {
  ThreadErrors errors;
  AggQuery a({charColumn("region", 8), charColumn("city", 8), doubleColumn("amount")});
  EXPECT_EQ(a.q->breakLevels, 0);
  for (uint16_t n = 1; n <= 3; ++n) {
    ASSERT_EQ(sqlBreak(a.q), 0);
    EXPECT_EQ(a.q->breakLevels, n);
    EXPECT_EQ(sqlBreakLevelNumber(a.q->parent), n);
  }
  // From the query upwards: 3, 2, 1.
  uint16_t expected = 3;
  for (sql_qry* l = a.q->parent; l; l = l->parent) EXPECT_EQ(sqlBreakLevelNumber(l), expected--);
  EXPECT_EQ(expected, 0);
  ASSERT_EQ(sqlBreakUndoLast(a.q), 0);
  EXPECT_EQ(a.q->breakLevels, 2);
  EXPECT_EQ(sqlBreakLevelNumber(a.q->parent), 2);
  ASSERT_EQ(sqlBreakReset(a.q, 0), 0);
  EXPECT_EQ(a.q->breakLevels, 0);
  EXPECT_FALSE(a.q->parent);
  // Nothing to undo.
  EXPECT_EQ(sqlBreakUndoLast(a.q), 0);
}

TEST(Breaks, SecondBreakOnAColumnIsRefused) {
  ThreadErrors errors;
  AggQuery a({charColumn("region", 8), charColumn("city", 8)});
  // No level yet.
  EXPECT_EQ(sqlBreakField(a.q, 0), 1);
  errors.clear();
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 0), 0) << errors.lastText();
  ASSERT_EQ(sqlBreak(a.q), 0);
  EXPECT_EQ(sqlBreakField(a.q, 0), 1);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{4517});
  EXPECT_EQ(errors.lastText(), "You cannot add another break to this field: 'region'");
  ASSERT_TRUE(markOf(a.col(0)));
  EXPECT_EQ(markOf(a.col(0))->level, 1);
  ASSERT_EQ(sqlBreakField(a.q, 1), 0);
  EXPECT_EQ(markOf(a.col(1))->level, 2);
  // Undoing the last level frees its marks only.
  ASSERT_EQ(sqlBreakUndoLast(a.q), 0);
  EXPECT_FALSE(a.col(1)->breakRecord);
  ASSERT_TRUE(markOf(a.col(0)));
  EXPECT_EQ(markOf(a.col(0))->level, 1);
  // A column outside the query.
  EXPECT_EQ(sqlBreakField(a.q, 2), 1);
  ASSERT_EQ(sqlBreakReset(a.q, SQLBREAK_RESET_QUERY), 0);
  EXPECT_FALSE(a.col(0)->breakRecord);
}

TEST(Breaks, CurrentLevelFromChangedValues) {
  ThreadErrors errors;
  AggQuery a({charColumn("region", 8), charColumn("city", 8), doubleColumn("amount")});
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 0), 0);
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 1), 0);
  struct Step {
    const char* region;
    const char* city;
    uint16_t level;
  } steps[] = {
      {"north", "york", 2},   // against the row before: the same
      {"north", "leeds", 1},  // the city changed
      {"south", "leeds", 0},  // the region changed: both levels break
      {nullptr, "leeds", 0},  // NULL differs from a value
      {nullptr, "leeds", 2},  // NULL equals NULL
      {"south", nullptr, 0},
  };
  a.setText(0, "north");
  a.setText(1, "york");
  for (const Step& s : steps) {
    sqlBreakSaveValues(a.q);
    if (s.region)
      a.setText(0, s.region);
    else
      a.setNull(0);
    if (s.city)
      a.setText(1, s.city);
    else
      a.setNull(1);
    a.setDouble(2, 1);
    EXPECT_EQ(sqlBreakCurrentLevel(a.q), s.level) << (s.region ? s.region : "NULL") << " " << s.city;
  }
}

TEST(Breaks, MaskSetKeepsTheOldMaskOnARefusal) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount"), charColumn("name", 8)});
  ASSERT_EQ(sqlMaskSet(a.q, 0, "#,##0.00"), 0) << errors.lastText();
  const mask_info* first = static_cast<const mask_info*>(a.col(0)->formatMask);
  ASSERT_TRUE(first);
  EXPECT_TRUE(bcvMaskValid(first));
  EXPECT_STREQ(first->mask, "#,##0.00");
  EXPECT_EQ(sqlMaskSet(a.q, 0, "0.00E"), 1);
  EXPECT_EQ(errors.last(), 3502);
  EXPECT_EQ(a.col(0)->formatMask, first);
  EXPECT_STREQ(static_cast<const mask_info*>(a.col(0)->formatMask)->mask, "#,##0.00");
  EXPECT_EQ(sqlMaskSet(a.q, 9, "0"), 1);
  // A new mask on a break column empties the levels' groups.
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 0), 0);
  ASSERT_EQ(sqlAggCreate(a.q, a.q->parent, 0, SQLAGG_SUM, 0), 0);
  for (uint32_t r = 1; r <= 3; ++r) {
    sqlBreakSaveValues(a.q);
    a.setDouble(0, r);
    ASSERT_EQ(takeRowAsFetch(a.q, r), 0) << errors.lastText();
  }
  EXPECT_EQ(sqlLogIndexCount(a.q->parent), 3u);
  ASSERT_EQ(sqlMaskSet(a.q, 0, "0"), 0) << errors.lastText();
  EXPECT_EQ(sqlLogIndexCount(a.q->parent), 0u);
  EXPECT_EQ(a.q->parent->totalWeight, 0u);
  EXPECT_EQ(a.q->parent->currentRow, 0u);
  EXPECT_STREQ(static_cast<const mask_info*>(a.col(0)->formatMask)->mask, "0");
}

// A model of the groups: per level, each group's rows and the sum of their amounts.
struct Group {
  uint32_t rows;
  double sum;
  uint32_t firstRow;
  uint32_t children;  // rows of the level below in the group
};

// Two levels (region, then city within region) over rows read forwards: every level
// keeps one group row per run of equal values, weighted by the rows below it, and the
// level's aggregates follow its group; reading backwards and forwards again moves each
// level onto the group of the current row with that group's saved values.
TEST(Breaks, GroupRowsKeptPerLevel) {
  ThreadErrors errors;
  AggQuery a({charColumn("region", 8), charColumn("city", 8), doubleColumn("amount")});
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 0), 0);
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 1), 0);
  sql_qry* regions = levelNumber(a.q, 1);
  sql_qry* cities = levelNumber(a.q, 2);
  for (sql_qry* g : {regions, cities}) {
    ASSERT_EQ(sqlAggCreate(a.q, g, 2, SQLAGG_SUM, 0), 0);
    ASSERT_EQ(sqlAggCreate(a.q, g, 2, SQLAGG_COUNT, 0), 0);
    ASSERT_EQ(sqlAggCreate(a.q, g, 1, SQLAGG_MAX, 0), 0);
  }
  ASSERT_EQ(sqlAggCreate(a.q, nullptr, 2, SQLAGG_SUM, 0), 0);
  struct Row {
    const char* region;
    const char* city;
    double amount;
  };
  std::vector<Row> rows;
  // Enough rows for more than one index leaf in the city level (over 96 groups).
  const char* regionNames[] = {"east", "north", "south", "west"};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 30; ++c)
      for (int k = 0; k <= (c % 3); ++k)
        rows.push_back({regionNames[r], c % 2 ? "odd" : "even", static_cast<double>(r * 100 + c + k)});
  // Cities repeat inside a region only as runs: rows with equal consecutive cities are
  // one group.
  std::vector<Group> modelRegion, modelCity;
  std::vector<uint32_t> regionOf, cityOf;  // group (0-based) of each row
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool newRegion = i == 0 || strcmp(rows[i].region, rows[i - 1].region) != 0;
    const bool newCity = newRegion || strcmp(rows[i].city, rows[i - 1].city) != 0;
    if (newRegion) modelRegion.push_back({0, 0, static_cast<uint32_t>(i + 1), 0});
    if (newCity) modelCity.push_back({0, 0, static_cast<uint32_t>(i + 1), 0});
    if (newCity) modelRegion.back().children++;
    modelCity.back().children++;
    modelRegion.back().rows++;
    modelRegion.back().sum += rows[i].amount;
    modelCity.back().rows++;
    modelCity.back().sum += rows[i].amount;
    regionOf.push_back(static_cast<uint32_t>(modelRegion.size() - 1));
    cityOf.push_back(static_cast<uint32_t>(modelCity.size() - 1));
  }
  ASSERT_GT(modelCity.size(), 96u);

  auto load = [&](uint32_t r) {
    const Row& row = rows[r - 1];
    a.setText(0, row.region);
    a.setText(1, row.city);
    a.setDouble(2, row.amount);
  };
  double whole = 0;
  for (uint32_t r = 1; r <= rows.size(); ++r) {
    sqlBreakSaveValues(a.q);
    load(r);
    ASSERT_EQ(takeRowAsFetch(a.q, r), 0) << r << errors.lastText();
    whole += rows[r - 1].amount;
    // The levels' aggregates are those of the row's group so far.
    ASSERT_EQ(regions->currentRow, regionOf[r - 1] + 1) << r;
    ASSERT_EQ(cities->currentRow, cityOf[r - 1] + 1) << r;
    const uint32_t inCity = r - modelCity[cityOf[r - 1]].firstRow + 1;
    ASSERT_EQ(aggValue(a.q, cities, 2, SQLAGG_COUNT).count(), inCity) << r;
  }
  EXPECT_DOUBLE_EQ(aggValue(a.q, nullptr, 2, SQLAGG_SUM).number(), whole);
  EXPECT_EQ(a.q->rowsAggregated, rows.size());

  // The index of each level: one row per group, weighted by the rows of the level below
  // in the group (the query's rows for the cities, the city groups for the regions).
  EXPECT_EQ(cities->totalWeight, rows.size());
  EXPECT_EQ(regions->totalWeight, modelCity.size());
  for (auto level : {std::make_pair(regions, &modelRegion), std::make_pair(cities, &modelCity)}) {
    sql_qry* l = level.first;
    const std::vector<Group>& model = *level.second;
    ASSERT_EQ(sqlLogIndexCount(l), model.size());
    EXPECT_EQ(l->rowsInLog, model.size());
    EXPECT_EQ(l->rowCount, model.size());
    for (uint32_t g = 0; g < model.size(); ++g)
      ASSERT_EQ(sqlLogIndexWeight(l, g + 1), model[g].children) << g;
  }

  // Backwards through every row, then a few jumps: each level moves onto its group and
  // reads the group's saved values.
  std::vector<uint32_t> order;
  for (uint32_t r = static_cast<uint32_t>(rows.size()); r >= 1; --r) order.push_back(r);
  for (uint32_t r : {5u, 200u, 1u, 77u, static_cast<uint32_t>(rows.size()), 150u}) order.push_back(r);
  for (uint32_t r : order) {
    a.q->currentRow = r;
    ASSERT_EQ(sqlLogSyncBreaks(a.q), 0) << r << errors.lastText();
    const Group& region = modelRegion[regionOf[r - 1]];
    const Group& city = modelCity[cityOf[r - 1]];
    ASSERT_EQ(regions->currentRow, regionOf[r - 1] + 1) << r;
    ASSERT_EQ(cities->currentRow, cityOf[r - 1] + 1) << r;
    ASSERT_DOUBLE_EQ(aggValue(a.q, regions, 2, SQLAGG_SUM).number(), region.sum) << r;
    ASSERT_EQ(aggValue(a.q, regions, 2, SQLAGG_COUNT).count(), region.rows) << r;
    ASSERT_DOUBLE_EQ(aggValue(a.q, cities, 2, SQLAGG_SUM).number(), city.sum) << r;
    ASSERT_EQ(aggValue(a.q, cities, 2, SQLAGG_COUNT).count(), city.rows) << r;
    AggValue maxCity = aggValue(a.q, cities, 1, SQLAGG_MAX);
    EXPECT_EQ(maxCity.text(), rows[r - 1].city) << r;
  }
  // A row taken again (re-read) adds no group and no weight.
  const uint32_t groupsBefore = sqlLogIndexCount(cities);
  a.q->currentRow = 3;
  ASSERT_EQ(sqlLogSyncBreaks(a.q), 0);
  a.q->currentBreak = 0;
  ASSERT_EQ(sqlLogAddBreakPlaceholders(a.q), 0);
  EXPECT_EQ(sqlLogIndexCount(cities), groupsBefore);
  // Base row 0: no group.
  ASSERT_EQ(sqlLogBreakSeek(cities, 0, 1), 0);
  EXPECT_EQ(cities->currentRow, 0u);
  // Emptying the child counts leaves every level without groups.
  ASSERT_EQ(sqlBreakResetChildcounts(a.q), 0);
  for (sql_qry* l : {regions, cities}) {
    EXPECT_EQ(sqlLogIndexCount(l), 0u);
    EXPECT_EQ(l->totalWeight, 0u);
    EXPECT_EQ(l->rowsInLog, 0u);
  }
}

// A row of the query deleted from its log: its group loses it, and a group left empty
// is removed, so that the level above loses a child in turn.
TEST(Breaks, DeletedRowLeavesItsGroups) {
  ThreadErrors errors;
  AggQuery a({charColumn("region", 8), charColumn("city", 8)});
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 0), 0);
  ASSERT_EQ(sqlBreak(a.q), 0);
  ASSERT_EQ(sqlBreakField(a.q, 1), 0);
  sql_qry* regions = levelNumber(a.q, 1);
  sql_qry* cities = levelNumber(a.q, 2);
  const char* rows[][2] = {{"A", "x"}, {"A", "y"}, {"A", "y"}, {"B", "z"}};
  for (uint32_t r = 1; r <= 4; ++r) {
    // The query's own log holds the rows (their records do not matter here).
    ASSERT_EQ(sqlLogIndexInsert(a.q, 100 + r, r - 1), 0);
    sqlBreakSaveValues(a.q);
    a.setText(0, rows[r - 1][0]);
    a.setText(1, rows[r - 1][1]);
    ASSERT_EQ(takeRowAsFetch(a.q, r), 0) << errors.lastText();
  }
  ASSERT_EQ(sqlLogIndexCount(cities), 3u);
  ASSERT_EQ(sqlLogIndexCount(regions), 2u);
  EXPECT_EQ(sqlLogIndexWeight(regions, 1), 2u);
  // Row 1 is alone in its city group.
  a.q->currentRow = 1;
  ASSERT_EQ(sqlLogSyncBreaks(a.q), 0);
  uint32_t old = 0;
  ASSERT_EQ(sqlLogIndexDelete(a.q, 1, &old), 0) << errors.lastText();
  EXPECT_EQ(old, 101u);
  ASSERT_EQ(sqlLogIndexCount(cities), 2u);
  EXPECT_EQ(sqlLogIndexWeight(cities, 1), 2u);
  EXPECT_EQ(sqlLogIndexWeight(cities, 2), 1u);
  EXPECT_EQ(cities->totalWeight, 3u);
  EXPECT_EQ(sqlLogIndexWeight(regions, 1), 1u);
  EXPECT_EQ(regions->totalWeight, 2u);
  // The rows now numbered 1-3 still find their groups.
  const uint32_t cityOf[] = {1, 1, 2}, regionOf[] = {1, 1, 2};
  for (uint32_t r = 1; r <= 3; ++r) {
    a.q->currentRow = r;
    ASSERT_EQ(sqlLogSyncBreaks(a.q), 0);
    EXPECT_EQ(cities->currentRow, cityOf[r - 1]) << r;
    EXPECT_EQ(regions->currentRow, regionOf[r - 1]) << r;
  }
}

// A group row's record: the aggregate items first, then the record's column entries,
// which survive the aggregates being saved again and again; the items read back into
// the level's aggregates.
TEST(Breaks, SavedAggregatesLeadTheRecord) {
  ThreadErrors errors;
  AggQuery a({doubleColumn("amount")});
  ASSERT_EQ(sqlBreak(a.q), 0);
  sql_qry* level = a.q->parent;
  ASSERT_EQ(sqlAggCreate(a.q, level, 0, SQLAGG_SUM, 0), 0);
  ASSERT_EQ(sqlAggCreate(a.q, level, 0, SQLAGG_MIN, 0), 0);
  // Row 1: a record with one column entry, "abc" inline; row 2: a placeholder.
  uint32_t at = 0;
  const uint8_t record[] = {1, 0, 3, 'a', 'b', 'c'};
  ASSERT_EQ(level->rowLog.tmpFindSpace(sizeof record, &at), 0);
  ASSERT_EQ(level->rowLog.tmpWrite(at, record, sizeof record), 0);
  ASSERT_EQ(sqlLogIndexInsert(level, at, 0), 0);
  ASSERT_EQ(sqlLogIndexInsert(level, SQLLOG_PLACEHOLDER, 1), 0);
  level->rowsInLog = 2;
  level->currentRow = 1;
  // The first row starts the group (no level stays), the second joins it.
  for (double v : {4.5, 2.0}) {
    a.q->currentBreak = v == 4.5 ? 0 : 1;
    a.setDouble(0, v);
    ASSERT_EQ(sqlAggAccumulate(a.q), 0);
  }
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(sqlLogSaveAggregates(level, 1), 0) << errors.lastText();
    uint32_t offset = 0;
    ASSERT_EQ(sqlLogIndexGetOffset(level, 1, &offset), 0);
    uint8_t head[64] = {};
    ASSERT_EQ(level->rowLog.tmpRead(offset, head, 2 + 2 * 15 + 5), 0);
    uint16_t count = 0;
    memcpy(&count, head, 2);
    EXPECT_EQ(count, 3);  // two aggregate items and the column entry
    // In the level's list order (newest first): the minimum, then the sum.
    EXPECT_EQ(head[2], SQLLOG_AGGREGATE);
    uint16_t length = 0;
    memcpy(&length, head + 3, 2);
    EXPECT_EQ(length, 12);
    uint32_t rowsIn = 0;
    memcpy(&rowsIn, head + 5, 4);
    EXPECT_EQ(rowsIn, 2u);
    double v = 0;
    memcpy(&v, head + 9, 8);
    EXPECT_DOUBLE_EQ(v, 2.0);
    EXPECT_EQ(head[17], SQLLOG_AGGREGATE);
    memcpy(&v, head + 24, 8);
    EXPECT_DOUBLE_EQ(v, 6.5);
    EXPECT_EQ(head[32], SQLLOG_CONTINUE);
    // The column entry reads as before, behind the continuation.
    LogValue value;
    ASSERT_EQ(sqlLogRecordValue(level, offset, 1, &value), 0) << errors.lastText();
    EXPECT_EQ(value.kind, LOG_VALUE_INLINE);
    ASSERT_EQ(value.length, 3u);
    char text[4] = {};
    ASSERT_EQ(sqlLogReadBytes(level, value.dataOffset, 3, text), 0);
    EXPECT_STREQ(text, "abc");
  }
  // The placeholder row reads as no rows; row 1 gives its values back.
  ASSERT_EQ(sqlLogReadAggregates(level, 2), 0);
  EXPECT_EQ(aggValue(a.q, level, 0, SQLAGG_SUM).length, -1);
  EXPECT_EQ(aggValue(a.q, level, 0, SQLAGG_MIN).length, -1);
  ASSERT_EQ(sqlLogReadAggregates(level, 1), 0) << errors.lastText();
  EXPECT_DOUBLE_EQ(aggValue(a.q, level, 0, SQLAGG_SUM).number(), 6.5);
  EXPECT_DOUBLE_EQ(aggValue(a.q, level, 0, SQLAGG_MIN).number(), 2.0);
  // Saving the placeholder gives it a record of aggregate items only.
  ASSERT_EQ(sqlLogSaveAggregates(level, 2), 0);
  uint32_t offset = 0;
  ASSERT_EQ(sqlLogIndexGetOffset(level, 2, &offset), 0);
  EXPECT_NE(offset, SQLLOG_PLACEHOLDER);
  ASSERT_EQ(sqlLogReadRow(level, 2), 0) << errors.lastText();
  ASSERT_EQ(sqlLogReadAggregates(level, 2), 0);
  EXPECT_DOUBLE_EQ(aggValue(a.q, level, 0, SQLAGG_SUM).number(), 6.5);
}

}  // namespace
