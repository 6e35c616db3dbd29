// The running aggregates of a query's columns: making and removing the nodes, taking
// the current row in (reading forwards) and out again (reading backwards or before an
// edit), replacing an edited value, and reading a node's value.
#include "dbsql/sqlagg.h"

#include "dbsql/bcvconvert.h"
#include "dbsql/sqltypemap.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"
#include "sqlagg_internal.h"
#include "sqlquery_internal.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

namespace {

const uint32_t kAggregatesOff = 0xFFFFFFFFu;
const uint32_t kTextMax = 255;

SqlAggregate* listOf(const sql_qry_fld* f) { return static_cast<SqlAggregate*>(f->aggregates); }

bool numericColumn(const sql_qry_fld* f) { return (f->flags & SQLC_NUMBER) != 0; }
bool characterColumn(const sql_qry_fld* f) { return (f->flags & SQLC_CHARACTER) != 0; }

// Sums and averages always keep a double, whatever the column.
bool keepsDouble(const sql_qry_fld* f, uint16_t kind) {
  return numericColumn(f) || kind == SQLAGG_SUM || kind == SQLAGG_AVERAGE;
}

uint16_t areaSizeOf(const sql_qry_fld* f, uint16_t kind) {
  if (kind == SQLAGG_COUNT) return 4;
  if (keepsDouble(f, kind)) return 12;
  // The value and its terminator; a text operand holds at most 255 characters, a
  // date/time 26 bytes.
  uint32_t width = f->valueSize;
  if (characterColumn(f) && width > kTextMax) width = kTextMax;
  if (width < BCV_DATETIME_LENGTH) width = BCV_DATETIME_LENGTH;
  if (width > kTextMax) width = kTextMax;
  return static_cast<uint16_t>(width + 5);
}

// A packed decimal of the length word: digits two per byte, high nibble first, the sign
// in the nibble after the last digit (13 negative); an even precision starts in the
// low nibble of the first byte.
double packedToDouble(const uint8_t* p, uint32_t available, int32_t word) {
  BcvDecimalShape s = bcvDecimalShape(word);
  const int precision = s.precision;
  const uint32_t bytes = static_cast<uint32_t>(precision / 2 + 1);
  if (bytes > available) return 0;
  double v = 0;
  int nibble = (precision % 2 == 0) ? 1 : 0;
  for (int d = 0; d < precision; ++d, ++nibble) {
    uint8_t b = p[nibble / 2];
    int digit = (nibble % 2 == 0) ? (b >> 4) : (b & 0xF);
    v = v * 10 + (digit > 9 ? 9 : digit);
  }
  uint8_t b = p[nibble / 2];
  int sign = (nibble % 2 == 0) ? (b >> 4) : (b & 0xF);
  for (int i = 0; i < s.scale; ++i) v /= 10;
  return sign == 13 ? -v : v;
}

// The length word of a decimal column: the transfer length holds precision and scale.
int32_t decimalWord(const sql_qry_fld* f) {
  if (f->transferLength > 0) return f->transferLength;
  return bcvDecimalWord(f->precision, f->scale);
}

int compareTextTrimmed(const char* a, const char* b) {
  uint32_t la = static_cast<uint32_t>(strlen(a)), lb = static_cast<uint32_t>(strlen(b));
  while (la && a[la - 1] == ' ') --la;
  while (lb && b[lb - 1] == ' ') --lb;
  return static_cast<int16_t>(strCompareIntl(a, la, b, lb));
}

// Stored value against operand: negative, 0 or positive.
int compareValues(const sql_qry_fld* f, const SqlAggregate* n, const SqlAggOperand& op) {
  if (keepsDouble(f, n->kind)) {
    double v;
    memcpy(&v, n->value, sizeof v);
    return v < op.number ? -1 : v > op.number ? 1 : 0;
  }
  if (characterColumn(f))
    return compareTextTrimmed(reinterpret_cast<const char*>(n->value),
                              reinterpret_cast<const char*>(op.bytes));
  uint32_t len = op.length < n->valueLength ? op.length : n->valueLength;
  int c = memcmp(n->value, op.bytes, len);
  if (c) return c;
  return n->valueLength < op.length ? -1 : n->valueLength > op.length ? 1 : 0;
}

void storeOperand(const sql_qry_fld* f, SqlAggregate* n, const SqlAggOperand& op) {
  if (keepsDouble(f, n->kind)) {
    memcpy(n->value, &op.number, sizeof op.number);
    n->valueLength = sizeof op.number;
    return;
  }
  uint32_t capacity = n->areaSize - 4u;
  uint32_t len = op.length < capacity ? op.length : capacity;
  memcpy(n->value, op.bytes, len);
  if (characterColumn(f) && len) n->value[len - 1] = 0;
  n->valueLength = static_cast<uint16_t>(len);
}

// The operand of a node: sums and averages of a column that is not numeric take the
// number its text spells (0 when none).
SqlAggOperand operandFor(const sql_qry_fld* f, const SqlAggregate* n, const SqlAggOperand& op) {
  if (!keepsDouble(f, n->kind) || numericColumn(f)) return op;
  SqlAggOperand d;
  d.length = sizeof(double);
  d.number = characterColumn(f) ? strtod(reinterpret_cast<const char*>(op.bytes), nullptr) : 0;
  return d;
}

void takeIn(const sql_qry_fld* f, SqlAggregate* n, const SqlAggOperand& given) {
  const uint32_t before = n->count++;
  if (n->kind == SQLAGG_COUNT) return;
  SqlAggOperand op = operandFor(f, n, given);
  if (before == 0) {
    storeOperand(f, n, op);
    return;
  }
  switch (n->kind) {
    case SQLAGG_SUM:
    case SQLAGG_AVERAGE: {
      double v;
      memcpy(&v, n->value, sizeof v);
      v += op.number;
      memcpy(n->value, &v, sizeof v);
      break;
    }
    case SQLAGG_MIN:
      if (compareValues(f, n, op) > 0) storeOperand(f, n, op);
      break;
    case SQLAGG_MAX:
      if (compareValues(f, n, op) < 0) storeOperand(f, n, op);
      break;
  }
}

// Answers true when the aggregates must be rebuilt (the removed value was the minimum
// or maximum).
bool takeOut(const sql_qry_fld* f, SqlAggregate* n, const SqlAggOperand& given) {
  if (n->count == 0) return false;
  if (--n->count == 0 || n->kind == SQLAGG_COUNT) return false;
  SqlAggOperand op = operandFor(f, n, given);
  switch (n->kind) {
    case SQLAGG_SUM:
    case SQLAGG_AVERAGE: {
      double v;
      memcpy(&v, n->value, sizeof v);
      v -= op.number;
      memcpy(n->value, &v, sizeof v);
      return false;
    }
    default:
      return compareValues(f, n, op) == 0;
  }
}

bool hasAggregates(const sql_qry* q) {
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i)
    if (q->columns[i] && q->columns[i]->aggregates) return true;
  return false;
}

void unlinkFromGroup(SqlAggregate* n) {
  if (!n->group) return;
  for (SqlAggregate** link = reinterpret_cast<SqlAggregate**>(&n->group->groupAggregates); *link;
       link = &(*link)->nextOfGroup)
    if (*link == n) {
      *link = n->nextOfGroup;
      return;
    }
}

sql_qry_fld* fieldAt(sql_qry* q, uint16_t column) {
  if (!q->columns || column >= q->columnCount) return nullptr;
  return q->columns[column];
}

}  // namespace

void sqlAggResetCounts(sql_qry* q) {
  const bool any = hasAggregates(q);
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i)
    for (SqlAggregate* n = listOf(q->columns[i]); n; n = n->next) n->count = 0;
  if (any) {
    q->flags &= ~SQLQ_AGGREGATES;
    sql_qry* level = q;
    for (uint32_t i = 0; level && i <= q->breakLevels; ++i, level = level->parent) level->rowsAggregated = 0;
  } else {
    q->rowsAggregated = kAggregatesOff;
  }
}

JxStatus sqlAggRemoveFromColumn(sql_qry* q, sql_qry* group, uint16_t column, uint16_t kind) {
  sql_qry_fld* f = fieldAt(q, column);
  if (!f) return 0;
  for (SqlAggregate** link = reinterpret_cast<SqlAggregate**>(&f->aggregates); *link;) {
    SqlAggregate* n = *link;
    if (n->group == group && (kind == SQLAGG_EVERY_KIND || n->kind == kind)) {
      *link = n->next;
      unlinkFromGroup(n);
      ramFree(n);
      if (kind != SQLAGG_EVERY_KIND) break;
      continue;
    }
    link = &n->next;
  }
  if (!hasAggregates(q)) q->rowsAggregated = kAggregatesOff;
  return 0;
}

void sqlAggRemoveLevel(sql_qry* q, sql_qry* group) {
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i)
    sqlAggRemoveFromColumn(q, group, i, SQLAGG_EVERY_KIND);
}

void sqlAggRemoveEvery(sql_qry* q) {
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    while (SqlAggregate* n = listOf(f)) {
      f->aggregates = n->next;
      unlinkFromGroup(n);
      ramFree(n);
    }
  }
  q->flags &= ~SQLQ_AGGREGATES;
  q->rowsAggregated = kAggregatesOff;
}

namespace {
// A number as the column stores it (unaligned), as a double.
template <typename T>
double storedNumber(const uint8_t* p) {
  T v;
  memcpy(&v, p, sizeof v);
  return static_cast<double>(v);
}
}  // namespace

short sqlAggColumnValue(const sql_qry_fld* f, const void* value, int32_t length, SqlAggOperand* out) {
  if (!f || !out || length < 0 || !value) return 0;
  const uint8_t* p = static_cast<const uint8_t*>(value);
  memset(out, 0, sizeof *out);
  switch (f->layerType) {
    case BCV_CHAR:
    case BCV_VARCHAR: {
      uint32_t n = static_cast<uint32_t>(length) > kTextMax ? kTextMax : static_cast<uint32_t>(length);
      memcpy(out->bytes, p, n);
      if (f->layerType == BCV_CHAR)
        while (n && out->bytes[n - 1] == ' ') --n;
      out->bytes[n] = 0;
      // A zero inside the value ends the text.
      out->length = static_cast<uint16_t>(strlen(reinterpret_cast<const char*>(out->bytes)) + 1);
      return 1;
    }
    case BCV_DECIMAL:
      out->number = packedToDouble(
          p, static_cast<uint32_t>(length) > f->valueSize ? static_cast<uint32_t>(length) : f->valueSize,
          decimalWord(f));
      break;
    case BCV_LONG:
      out->number = storedNumber<int32_t>(p);
      break;
    case BCV_SHORT:
    case API_TINYINT:
    case API_BIT:
      out->number = storedNumber<int16_t>(p);
      break;
    case BCV_FLOAT:
      out->number = storedNumber<float>(p);
      break;
    case BCV_DOUBLE:
      out->number = storedNumber<double>(p);
      break;
    case BCV_DATETIME:
    case BCV_DATE:
    case BCV_TIME:
      memcpy(out->bytes, p, BCV_DATETIME_LENGTH);
      out->length = BCV_DATETIME_LENGTH;
      return 1;
    default: {
      uint32_t n = static_cast<uint32_t>(length);
      if (n > f->valueSize) n = f->valueSize;
      if (n > kTextMax) n = kTextMax;
      memcpy(out->bytes, p, n);
      out->length = static_cast<uint16_t>(n);
      return 1;
    }
  }
  out->length = sizeof(double);  // the numeric kinds
  return 1;
}

JxStatus sqlAggCreate(sql_qry* q, sql_qry* group, uint16_t column, uint16_t kind, uint8_t flag) {
  if (!q) return sqlMissing("query", "sqlAggCreate");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, static_cast<uint16_t>(column + 1));
  if (!f) return 1;
  if (kind > SQLAGG_AVERAGE) {
    if (JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE))
      *e << "aggregate kind" << static_cast<unsigned long>(kind);
    return 1;
  }
  for (SqlAggregate* n = listOf(f); n; n = n->next)
    if (n->kind == kind && n->group == group) {
      n->flag = flag;
      return 0;
    }
  const uint16_t area = areaSizeOf(f, kind);
  SqlAggregate* n =
      static_cast<SqlAggregate*>(ramAllocZ(static_cast<uint32_t>(offsetof(SqlAggregate, value)) + area));
  if (!n) return 1;
  n->group = group;
  n->kind = kind;
  n->flag = flag;
  n->areaSize = area;
  n->column = column;
  n->next = listOf(f);
  f->aggregates = n;
  if (group) {
    n->nextOfGroup = static_cast<SqlAggregate*>(group->groupAggregates);
    group->groupAggregates = n;
  }
  sqlAggResetCounts(q);
  return 0;
}

JxStatus sqlAggDelete(sql_qry* q, sql_qry* group, uint16_t column, uint16_t kind) {
  if (!q) return 0;
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return sqlAggRemoveFromColumn(q, group, column, kind);
}

JxStatus sqlAggReset(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlAggReset");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sqlAggResetCounts(q);
  return 0;
}

JxStatus sqlAggAccumulate(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlAggAccumulate");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->rowsAggregated == kAggregatesOff) return 0;
  q->flags |= SQLQ_AGGREGATES;
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (!f->aggregates) continue;
    SqlAggOperand op;
    const short present = sqlAggColumnValue(f, f->value, f->valueLength, &op);
    for (SqlAggregate* n = listOf(f); n; n = n->next) {
      // The levels below the one that did not break start a new group.
      if (n->group && sqlBreakLevelNumber(n->group) > q->currentBreak) n->count = 0;
      if (present) takeIn(f, n, op);
    }
  }
  ++q->rowsAggregated;
  return 0;
}

JxStatus sqlAggRemoveRow(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlAggRemoveRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->rowsAggregated == kAggregatesOff) return 0;
  q->flags |= SQLQ_AGGREGATES;
  bool rebuild = false;
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (!f->aggregates) continue;
    SqlAggOperand op;
    if (!sqlAggColumnValue(f, f->value, f->valueLength, &op)) continue;
    for (SqlAggregate* n = listOf(f); n; n = n->next)
      if (takeOut(f, n, op)) rebuild = true;
  }
  if (rebuild) {
    // The minimum or maximum left: everything is taken in again as rows are read.
    sqlAggResetCounts(q);
    return 0;
  }
  if (q->rowsAggregated) --q->rowsAggregated;
  return 0;
}

JxStatus sqlAggReplaceValue(sql_qry* q, uint16_t column, const void* oldValue, int32_t oldLength,
                            const void* newValue, int32_t newLength) {
  if (!q) return sqlMissing("query", "sqlAggReplaceValue");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = fieldAt(q, column);
  if (!f || !f->aggregates) return 0;
  if (q->rowsAggregated == kAggregatesOff || q->currentRow == 0 || q->currentRow > q->rowsAggregated)
    return 0;
  SqlAggOperand oldOp, newOp;
  const short hadOld = sqlAggColumnValue(f, oldValue, oldLength, &oldOp);
  const short hasNew = sqlAggColumnValue(f, newValue, newLength, &newOp);
  for (SqlAggregate* n = listOf(f); n; n = n->next) {
    if (hadOld && takeOut(f, n, oldOp)) {
      sqlAggResetCounts(q);
      return 0;
    }
    if (hasNew && q->rowsAggregated != 0) takeIn(f, n, newOp);
  }
  return 0;
}

short sqlAggGetValue(sql_qry* q, sql_qry* level, uint16_t column, uint16_t kind, void* buffer,
                     int32_t* length) {
  if (!q || !buffer || !length) {
    sqlMissing(!q ? "query" : !buffer ? "buffer" : "length", "sqlAggGetValue");
    return 0;
  }
  SqlQueryCall call(q);
  if (call.refused()) return 0;
  sql_qry_fld* f = fieldAt(q, column);
  if (!f) return 0;
  SqlAggregate* n = listOf(f);
  while (n && !(n->kind == kind && n->group == level)) n = n->next;
  if (!n) return 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  if (kind == SQLAGG_COUNT) {
    memcpy(out, &n->count, 4);
    *length = 4;
    return 1;
  }
  if (n->count == 0) {
    *length = -1;
    return 1;
  }
  if (kind == SQLAGG_AVERAGE) {
    double v;
    memcpy(&v, n->value, sizeof v);
    v /= n->count;
    memcpy(out, &v, sizeof v);
    *length = sizeof v;
    return 1;
  }
  if (keepsDouble(f, kind)) {
    memcpy(out, n->value, sizeof(double));
    *length = sizeof(double);
    return 1;
  }
  if (characterColumn(f)) {
    uint32_t len = static_cast<uint32_t>(strlen(reinterpret_cast<const char*>(n->value)));
    memcpy(out, n->value, len + 1);
    *length = static_cast<int32_t>(len);
    return 1;
  }
  if ((f->flags & SQLC_DATETIME) && n->value[0] > 254) {
    *length = -1;
    return 1;
  }
  memcpy(out, n->value, n->valueLength);
  *length = n->valueLength;
  return 1;
}
