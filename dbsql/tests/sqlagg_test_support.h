// Shared by the aggregate and break tests: a query object without a connection whose
// columns the test describes and fills row by row, and the steps a fetch takes for each
// row read forwards (break values saved, levels aligned, group rows added, weights and
// aggregates taken in).
#pragma once

#include "dbsql/bcvconvert.h"
#include "dbsql/sqlagg.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxmemory.h"

#include <gtest/gtest.h>

#include <new>
#include <string.h>

#include <string>
#include <vector>

// The value of an aggregate: found, length and bytes.
struct AggValue {
  short found = 0;
  int32_t length = 0;
  uint8_t bytes[260] = {};
  double number() const {
    double d = 0;
    memcpy(&d, bytes, 8);
    return d;
  }
  uint32_t count() const {
    uint32_t c = 0;
    memcpy(&c, bytes, 4);
    return c;
  }
  std::string text() const { return std::string(reinterpret_cast<const char*>(bytes)); }
};

inline AggValue aggValue(sql_qry* q, sql_qry* level, uint16_t column, uint16_t kind) {
  AggValue v;
  v.found = sqlAggGetValue(q, level, column, kind, v.bytes, &v.length);
  return v;
}

// The break level n (1 = the top of the chain) of a query.
inline sql_qry* levelNumber(sql_qry* q, uint16_t n) {
  sql_qry* level = q->parent;
  while (level && sqlBreakLevelNumber(level) != n) level = level->parent;
  return level;
}

// What a fetch does once row r's values are in the columns and row r is current (the
// caller saved the previous row's break values with sqlBreakSaveValues before loading
// it): align the levels, find the level that did not break, add group rows, count the
// new rows into the groups above them (the nearest level gains the query's row; every
// level that broke gives the level above a new child) and take the row into the
// aggregates.
inline JxStatus takeRowAsFetch(sql_qry* q, uint32_t r) {
  q->currentRow = r;
  if (sqlLogSyncBreaks(q)) return 1;
  q->currentBreak = r == 1 ? 0 : sqlBreakCurrentLevel(q);
  if (q->breakLevels && q->currentBreak < q->breakLevels && sqlLogAddBreakPlaceholders(q)) return 1;
  if (q->parent && q->parent->totalWeight < r) {
    const uint32_t levels = static_cast<uint32_t>(q->breakLevels) - q->currentBreak + 1;
    sql_qry* level = q->parent;
    for (uint32_t i = 0; level && i < levels; ++i, level = level->parent)
      if (sqlLogIndexAddWeight(level)) return 1;
  }
  if (q->rowsAggregated != 0xFFFFFFFFu && q->rowsAggregated < r) return sqlAggAccumulate(q);
  return 0;
}

// White-box tests only (the objects of the library and their inner headers).
#if __has_include("sqlquery_internal.h")
#include "sqlquery_internal.h"

struct ColumnSpec {
  uint16_t layerType;
  uint32_t flags;
  uint16_t valueSize;
  const char* name;
  int32_t transferLength = 0;  // decimals: the length word
};

inline ColumnSpec doubleColumn(const char* name) { return {BCV_DOUBLE, SQLC_NUMBER, 8, name}; }
inline ColumnSpec longColumn(const char* name) { return {BCV_LONG, SQLC_NUMBER, 4, name}; }
inline ColumnSpec charColumn(const char* name, uint16_t width, uint16_t type = BCV_VARCHAR) {
  return {type, SQLC_CHARACTER, width, name};
}
inline ColumnSpec decimalColumn(const char* name, int precision, int scale) {
  return {BCV_DECIMAL, SQLC_NUMBER, static_cast<uint16_t>(precision / 2 + 1), name,
          bcvDecimalWord(precision, scale)};
}
inline ColumnSpec dateColumn(const char* name) { return {BCV_DATETIME, SQLC_DATETIME, 26, name}; }

// A query object as sqlOpen makes it, without a connection, with described columns.
struct AggQuery {
  explicit AggQuery(const std::vector<ColumnSpec>& specs) {
    void* base = ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry)));
    q = new (base) sql_qry();
    q->rowCount = 0xFFFFFFFFu;
    q->rowsAggregated = 0xFFFFFFFFu;
    q->firstRow = 1;
    EXPECT_EQ(sqlLogIndexReset(q), 0);
    q->columns = static_cast<sql_qry_fld**>(
        ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry_fld*) * (specs.size() + 1))));
    for (const ColumnSpec& s : specs) {
      sql_qry_fld* f = sqlNewColumn(0);
      f->layerType = s.layerType;
      f->flags = s.flags;
      f->valueSize = s.valueSize;
      f->bufferSize = static_cast<uint16_t>(s.valueSize + 1);
      f->transferLength = s.transferLength;
      f->value = static_cast<uint8_t*>(ramAllocZ(f->bufferSize));
      f->alias = ramAllocStr(s.name);
      f->valueLength = -1;
      q->columns[q->columnCount++] = f;
    }
  }
  ~AggQuery() {
    EXPECT_EQ(sqlBreakRemoveAll(q), 0);
    for (uint16_t i = 0; i < q->columnCount; ++i) {
      EXPECT_FALSE(q->columns[i]->aggregates);
      EXPECT_FALSE(q->columns[i]->breakRecord);
      ramFree(q->columns[i]->formatMask);
    }
    sqlFreeQuery(q);
  }
  AggQuery(const AggQuery&) = delete;
  AggQuery& operator=(const AggQuery&) = delete;

  sql_qry_fld* col(uint16_t i) const { return q->columns[i]; }
  void setNull(uint16_t i) { col(i)->valueLength = -1; }
  void setDouble(uint16_t i, double v) {
    memcpy(col(i)->value, &v, 8);
    col(i)->valueLength = 8;
  }
  void setLong(uint16_t i, int32_t v) {
    memcpy(col(i)->value, &v, 4);
    col(i)->valueLength = 4;
  }
  void setText(uint16_t i, const std::string& t) {
    memset(col(i)->value, 0, col(i)->bufferSize);
    memcpy(col(i)->value, t.data(), t.size());
    col(i)->valueLength = static_cast<int32_t>(t.size());
  }
  void setBytes(uint16_t i, const void* p, uint32_t n) {
    memcpy(col(i)->value, p, n);
    col(i)->valueLength = static_cast<int32_t>(n);
  }
  sql_qry* q;
};
#endif
