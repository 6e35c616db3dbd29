// Running aggregates of a query's columns and the chain of control-break levels above a
// query. An aggregate (sum, minimum, maximum, count, average) belongs to one column and
// to one break level (none = the whole result); the fetch code takes each row in as it
// is read forwards and out again when it is read backwards. A break level is a group
// query of the same layout chained above the query, with a row log of its own that
// holds one group row per run of equal break-column values.
//
// Every JxStatus answer is 0 on success and 1 on failure with the message in the
// calling thread's error list.
#pragma once

#include "dbsql/sqlquery.h"

// Aggregate kinds.
enum SqlAggKind : uint16_t {
  SQLAGG_SUM = 0,
  SQLAGG_MIN = 1,
  SQLAGG_MAX = 2,
  SQLAGG_COUNT = 3,
  SQLAGG_AVERAGE = 4,
  SQLAGG_EVERY_KIND = 65535  // sqlAggDelete: every kind
};

// sqlBreakReset's flags.
enum SqlBreakResetFlags : uint16_t {
  SQLBREAK_RESET_QUERY = 1  // the query's own row log too
};

extern "C" {

// A new aggregate of kind for the column (0-based index) kept for group (null = the
// whole result); an existing one of that kind and group only gets the flag byte. The
// query's aggregates are reset.
JXSQL04_API JxStatus sqlAggCreate(sql_qry* query, sql_qry* group, uint16_t column, uint16_t kind, uint8_t flag);
// Removes the column's aggregates of kind (or every kind) kept for group. Always 0.
JXSQL04_API JxStatus sqlAggDelete(sql_qry* query, sql_qry* group, uint16_t column, uint16_t kind);
// Every aggregate back to no rows; without any aggregate the query's aggregated-rows
// counter becomes 0xFFFFFFFF (aggregates off). Always 0.
JXSQL04_API JxStatus sqlAggReset(sql_qry* query);
// The current row taken in (forwards) or taken out (backwards) of every aggregate.
JXSQL04_API JxStatus sqlAggAccumulate(sql_qry* query);
JXSQL04_API JxStatus sqlAggRemoveRow(sql_qry* query);
// The current row's value of column (0-based) changed by an edit: old and new values
// (length -1 = NULL) replace each other in the aggregates that took the row in.
JXSQL04_API JxStatus sqlAggReplaceValue(sql_qry* query, uint16_t column, const void* oldValue, int32_t oldLength,
                                        const void* newValue, int32_t newLength);
// The value of the column's aggregate of kind for level (null = the whole result):
// 0 when there is none, else 1 with the value in buffer and its length (-1 = NULL).
JXSQL04_API short sqlAggGetValue(sql_qry* query, sql_qry* level, uint16_t column, uint16_t kind, void* buffer,
                                 int32_t* length);

// A new break level at the head of the query's chain.
JXSQL04_API JxStatus sqlBreak(sql_qry* query);
// Marks column (0-based) as the break field of the newest level; a second mark on one
// column fails with 4517.
JXSQL04_API JxStatus sqlBreakField(sql_qry* query, uint16_t column);
JXSQL04_API JxStatus sqlBreakReset(sql_qry* query, uint16_t flags);
JXSQL04_API JxStatus sqlBreakUndoLast(sql_qry* query);
JXSQL04_API JxStatus sqlBreakResetChildcounts(sql_qry* query);
// Every break level and every aggregate of the query gone (closing and re-executing).
JXSQL04_API JxStatus sqlBreakRemoveAll(sql_qry* query);
// Compiles mask for the column (0-based) and makes it the column's format mask; a mask
// that does not compile fails and leaves the old one.
JXSQL04_API JxStatus sqlMaskSet(sql_qry* query, uint16_t column, const char* mask);

}  // extern "C"

// sqlAggGetValue's buffer must hold the largest value an aggregate keeps: 256 bytes (a
// text of 255 characters and its terminator).
const uint32_t SQLAGG_VALUE_MAX = 256;

// An aggregate node: one per column, kind and break level, on the column's list
// (sql_qry_fld::aggregates) and, for a break level, on the level's list
// (sql_qry::groupAggregates, in the order its group rows store them). In memory only;
// a group row of the level's row log stores each node's area: the 32-bit count and the
// value bytes.
struct SqlAggregate {
  SqlAggregate* next;         // next on the column
  SqlAggregate* nextOfGroup;  // next of the same break level
  sql_qry* group;             // the break level; null = the whole result
  uint16_t kind;              // SqlAggKind
  uint8_t flag;               // the caller's flag byte
  uint16_t areaSize;          // count and value: 4 for a count, 12 for a number, else width + 5
  uint16_t column;            // 0-based
  uint16_t valueLength;       // bytes of the value taken (binary and date/time values)
  uint32_t count;             // rows taken in
  uint8_t value[1];           // areaSize - 4 bytes: a double for numbers, sums and averages
};

// The break mark of a column (sql_qry_fld::breakRecord): the level it was set for, then
// the column's value at the previous row (its length, -1 = NULL, and valueSize bytes).
#pragma pack(push, 1)
struct SqlBreakRecord {
  uint16_t level;
  int32_t length;
  uint8_t value[1];
};
#pragma pack(pop)
const uint32_t SQLBREAK_RECORD_HEAD = 6;

// A column value as the aggregates take it: a double for numbers, a zero-terminated
// text of at most 255 characters, the 26 bytes of a date/time, or the raw bytes.
struct SqlAggOperand {
  uint16_t length;  // bytes of bytes[] that count (the terminator included for text)
  union {
    double number;
    uint8_t bytes[256];
  };
};

extern "C" {

// The operand of a value of the column (length -1 = NULL): 0 when there is none (NULL),
// else 1.
JXSQL04_API short sqlAggColumnValue(const sql_qry_fld* field, const void* value, int32_t length,
                                    SqlAggOperand* out);
// The level number of a break level (1 for the level at the top of the chain).
JXSQL04_API uint16_t sqlBreakLevelNumber(const sql_qry* level);
// The current values of the break columns copied into their marks (before the next row
// is read).
JXSQL04_API void sqlBreakSaveValues(sql_qry* query);
// The level that did not break on the current row: the level count when no break column
// differs from its mark, else the lowest differing column's level - 1. Columns with a
// format mask are compared by their stored bytes (the values are not formatted).
JXSQL04_API uint16_t sqlBreakCurrentLevel(sql_qry* query);

}  // extern "C"
