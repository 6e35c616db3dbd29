// Control-break levels in the row log: a level holds one group row per group, whose
// weight in the index is the number of rows of the level below (the query's rows for
// the nearest level) in the group, and whose record starts with the level's aggregate
// values. Finding the group row of a row below, adding the group rows of new groups,
// keeping every level on the group of the current row below it, and saving and loading
// a group row's aggregates.
#include "dbsql/sqlagg.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlrowlog.h"
#include "sqlquery_internal.h"
#include "sqlrowlog_internal.h"

#include <algorithm>
#include <string.h>

namespace {

const int kMaxDepth = 32;
const int kMaxHops = 64;

SqlAggregate* aggregatesOf(const sql_qry* level) {
  return static_cast<SqlAggregate*>(level->groupAggregates);
}

// Leftmost of the n running totals that reaches b; n when none does.
uint32_t leftmostReaching(const uint32_t* totals, uint32_t n, uint32_t b) {
  return (uint32_t)(std::lower_bound(totals, totals + n, b) - totals);
}

// The group row (1-based) whose running weight first reaches row b below (1..total).
JxStatus groupRowOf(sql_qry* level, uint32_t b, uint32_t* row) {
  static_assert(SQLLOG_NODE_BYTES == SQLLOG_NODE_WORDS * 4, "node size");
  uint32_t scratch[SQLLOG_LEVEL_WORDS];
  const uint32_t* node = static_cast<const uint32_t*>(level->logIndexPath);
  uint32_t rowsBefore = 0;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const uint32_t n = node[SQLLOG_COUNT];
    if (node[SQLLOG_KIND] == SQLLOG_LEAF) {
      if (n > SQLLOG_LEAF_MAX) return sqlLogDamaged();
      const uint32_t j = leftmostReaching(node + SQLLOG_LEAF_WEIGHTS, n, b);
      if (j >= n) return sqlLogDamaged();
      *row = rowsBefore + j + 1;
      return 0;
    }
    if (n > SQLLOG_BRANCH_MAX) return sqlLogDamaged();
    const uint32_t c = leftmostReaching(node + SQLLOG_BRANCH_WEIGHTS, n, b);
    if (c >= n) return sqlLogDamaged();
    if (c > 0) {
      b -= node[SQLLOG_BRANCH_WEIGHTS + c - 1];
      rowsBefore += node[SQLLOG_BRANCH_ROWS + c - 1];
    }
    uint32_t child[SQLLOG_NODE_WORDS];
    if (level->rowLog.tmpRead(node[SQLLOG_BRANCH_CHILDREN + c], child, SQLLOG_NODE_BYTES)) return 1;
    memcpy(scratch, child, SQLLOG_NODE_BYTES);
    node = scratch;
  }
  return sqlLogDamaged();
}

}  // namespace

JxStatus sqlLogReadAggregates(sql_qry* level, uint32_t row) {
  if (!level) return sqlMissing("break level", "sqlLogReadAggregates");
  SqlAggregate* n = aggregatesOf(level);
  if (!n) return 0;
  uint32_t offset = SQLLOG_PLACEHOLDER;
  if (sqlLogIndexGetOffset(level, row, &offset)) return 1;
  if (offset != SQLLOG_PLACEHOLDER) {
    LogCursor c(&level->rowLog, offset);
    uint16_t word = 0;
    if (c.readU16(&word)) return 1;
    uint16_t remaining = word & SQLLOG_COUNT_MASK;
    for (int hops = 0; n && remaining && hops < kMaxHops;) {
      const uint32_t at = c.offset();
      uint8_t m = 0;
      if (c.readU8(&m)) return 1;
      m &= 127;
      if (m == SQLLOG_CONTINUE) {
        uint32_t next = 0;
        if (c.readU32(&next)) return 1;
        if (!next || next == SQLLOG_PLACEHOLDER) return sqlLogDamaged();
        c.seek(next);
        ++hops;
        continue;
      }
      if (m != SQLLOG_AGGREGATE) {
        c.seek(at);
        break;
      }
      uint16_t length = 0;
      if (c.readU16(&length)) return 1;
      // An item longer than the aggregate holds ends the reading.
      if (length < 4 || length > n->areaSize) break;
      if (c.readU32(&n->count) || c.read(n->value, length - 4u)) return 1;
      n->valueLength = static_cast<uint16_t>(length - 4u);
      --remaining;
      n = n->nextOfGroup;
    }
  }
  for (; n; n = n->nextOfGroup) n->count = 0;
  return 0;
}

JxStatus sqlLogSaveAggregates(sql_qry* level, uint32_t row) {
  if (!level) return sqlMissing("break level", "sqlLogSaveAggregates");
  SqlAggregate* list = aggregatesOf(level);
  if (!list || row == 0) return 0;
  uint32_t rest = SQLLOG_PLACEHOLDER;
  if (sqlLogIndexGetOffset(level, row, &rest)) return 1;
  uint16_t columns = 0;
  if (rest != SQLLOG_PLACEHOLDER && sqlLogDropAggregates(&level->rowLog, &rest, &columns)) return 1;
  uint32_t size = 2, items = 0;
  for (const SqlAggregate* n = list; n; n = n->nextOfGroup, ++items) size += 3 + 4 + n->valueLength;
  if (rest != SQLLOG_PLACEHOLDER) size += 5;
  if (items + columns > SQLLOG_COUNT_MASK) return sqlLogDamaged();
  uint32_t at = 0;
  if (level->rowLog.tmpFindSpace(size, &at)) return 1;
  LogCursor w(&level->rowLog, at);
  JxStatus st = w.writeU16(static_cast<uint16_t>(items + columns));
  for (const SqlAggregate* n = list; n && !st; n = n->nextOfGroup)
    st = w.writeU8(SQLLOG_AGGREGATE) || w.writeU16(static_cast<uint16_t>(4 + n->valueLength)) ||
         w.writeU32(n->count) || w.write(n->value, n->valueLength);
  if (!st && rest != SQLLOG_PLACEHOLDER) st = w.writeU8(SQLLOG_CONTINUE) || w.writeU32(rest);
  if (!st) st = sqlLogIndexSetOffset(level, row, at);
  if (st) level->rowLog.tmpFreeSpace(at, size);
  return st;
}

JxStatus sqlLogBreakSeek(sql_qry* level, uint32_t baseRow, short save) {
  if (!level) return sqlMissing("break level", "sqlLogBreakSeek");
  if (!level->logIndexPath) return 0;
  if (save && level->currentRow && sqlLogSaveAggregates(level, level->currentRow)) return 1;
  const uint32_t b = baseRow < level->totalWeight ? baseRow : level->totalWeight;
  if (b == 0) {
    level->currentRow = 0;
    return 0;
  }
  uint32_t row = 0;
  if (groupRowOf(level, b, &row)) return 1;
  if (row == level->currentRow) return 0;
  if (sqlLogReadRow(level, row) || sqlLogReadAggregates(level, row)) return 1;
  level->currentRow = row;
  level->rowsFetched = row;
  return 0;
}

JxStatus sqlLogSyncBreaks(sql_qry* base) {
  if (!base) return sqlMissing("query", "sqlLogSyncBreaks");
  // From the level nearest the query upwards: each onto the group row that holds the
  // current row of the level below it.
  const sql_qry* below = base;
  sql_qry* level = base->parent;
  for (uint16_t i = 0; level && i < base->breakLevels; ++i, below = level, level = level->parent)
    if (sqlLogBreakSeek(level, below->currentRow, 1)) return 1;
  return 0;
}

JxStatus sqlLogAddBreakPlaceholders(sql_qry* base) {
  if (!base) return sqlMissing("query", "sqlLogAddBreakPlaceholders");
  const sql_qry* below = base;
  sql_qry* level = base->parent;
  for (uint16_t i = 0; level && i < base->breakLevels; ++i, below = level, level = level->parent) {
    // Only the levels that broke on this row start a group (the levels are numbered
    // from the top, the nearest has the highest number), and only once: a level whose
    // groups already hold the current row of the level below has its group.
    const bool empty = sqlLogIndexCount(level) == 0;
    if (!empty && sqlBreakLevelNumber(level) <= base->currentBreak) break;
    if (level->totalWeight >= below->currentRow) break;
    if (level->currentRow && sqlLogSaveAggregates(level, level->currentRow)) return 1;
    if (sqlLogIndexInsert(level, SQLLOG_PLACEHOLDER, level->currentRow)) return 1;
    ++level->rowsInLog;
    ++level->currentRow;
    level->rowsFetched = level->currentRow;
    level->rowCount = level->rowsInLog;
    level->flags |= SQLQ_COUNT_KNOWN;
  }
  return 0;
}
