// Parameter slots of a query: declaring and checking their types, giving them values
// (copied, bound, NULL or text), sharing values between slots of one name and handing
// the values to the driver.
#include "dbsql/bcvconvert.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <initializer_list>
#include <stddef.h>
#include <string.h>

namespace {

// The driver reads this through the length pointer of a NULL value at execution time: it
// lives as long as the library.
SQLLEN g_nullData = SQL_NULL_DATA;

const uint16_t kDefaultCharLimit = 254;

bool substitutes(const sql_qry* q) {
  return q->connection->substituteParams || (q->flags & SQLQ_TEXT_PARAMS);
}

bool sameName(const sql_qry* q, const SqlParamSlot& a, const SqlParamSlot& b) {
  return &a != &b && a.name && b.name && sqlNameCompare(q->connection, a.name, b.name) == 0;
}

bool isDate(uint16_t t) { return t == BCV_DATETIME || t == BCV_DATE || t == BCV_TIME; }
bool isText(uint16_t t) { return t == BCV_CHAR || t == BCV_VARCHAR; }

void freeChain(SqlParamNode* n) {
  while (n) {
    SqlParamNode* next = n->next;
    ramFree(n->data);
    ramFree(n);
    n = next;
  }
}

JxError* numbered(unsigned short message, uint32_t number) {
  JxError* e = sqlErrorById(message);
  if (e) *e << static_cast<unsigned long>(number);
  return e;
}

// Decimal digits of a length given in bytes.
int32_t digitsOf(int32_t bytes) { return 2 * bytes - 1; }

uint32_t declaredSize(const cmg_capabilities* con, uint16_t type, int32_t length, int16_t scale) {
  const uint32_t limit = sqlParamCharLimit(con);
  switch (type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      return length > 0 && static_cast<uint32_t>(length) > limit ? static_cast<uint32_t>(length) : limit;
    case BCV_DECIMAL:
      return (static_cast<uint32_t>(digitsOf(length)) & 0xFFFF) |
             (static_cast<uint32_t>(static_cast<uint16_t>(scale)) << 16);
    case BCV_DATETIME:
    case BCV_DATE:
      return static_cast<uint32_t>(length - 1);
    case BCV_TIME:
      return (static_cast<uint32_t>(length + 10) & 0xFFFF) | (11u << 16);
    default:
      return 0;
  }
}

// Declares the slot's type or checks the given one against it.
JxStatus checkSlot(sql_qry* q, uint16_t number, uint16_t type, int32_t length, int16_t scale, bool bound) {
  if (sqlEnsureParsed(q)) return 1;
  if (number >= q->paramCount) {
    numbered(4527, number);
    return 1;
  }
  SqlParamSlot& s = q->params[number];
  if (!s.type) {
    if (!type) {
      numbered(4533, number);
      return 1;
    }
    s.type = type;
    s.size = declaredSize(q->connection, type, length, scale);
    return 0;
  }
  bool agrees = type == s.type;
  const uint32_t limit = sqlParamCharLimit(q->connection);
  if (agrees) switch (type) {
      case BCV_DECIMAL:
        agrees = s.size == declaredSize(q->connection, type, length, scale);
        break;
      case BCV_DATETIME:
      case BCV_DATE:
        agrees = s.size == static_cast<uint32_t>(length - 1);
        break;
      case BCV_TIME:
        agrees = (s.size & 0xFFFF) == static_cast<uint32_t>(length + 10);
        break;
      case BCV_CHAR:
      case BCV_VARCHAR:
        if (length >= 0 && static_cast<uint32_t>(length) <= limit) {
          if (bound)
            agrees = s.size <= limit;
          else if (static_cast<uint32_t>(length) > s.size)
            s.size = static_cast<uint32_t>(length);
        } else {
          agrees = s.size > limit;
        }
        break;
      default:
        break;
    }
  if (!agrees) {
    numbered(4534, number);
    return 1;
  }
  return 0;
}

// The date-time record of a copied date, time or time stamp text.
JxStatus toRecord(uint16_t type, const char* text, int32_t length, TIMESTAMP_STRUCT* ts) {
  char full[27] = "0000-00-00 00:00:00.000000";
  int32_t word = 0;
  if (type == BCV_TIME && length >= 3 && text[2] == ':') {
    // A time without its date: placed after the zero date.
    int32_t n = length > 15 ? 15 : length;
    memcpy(full + 11, text, static_cast<size_t>(n));
    text = full;
    length = 11 + n;
  }
  if (type == BCV_TIME) word = 11 << 16;
  short st = sqlTextToTimestamp(text, length, word, ts);
  return st ? 1 : 0;
}

// A value node made from the caller's value: bound (pointers kept, buffers for the
// converted forms) or copied.
SqlParamNode* makeNode(const SqlParamSlot& s, bool bind, const void* data, const int32_t* length,
                       int16_t scale) {
  SqlParamNode* n = static_cast<SqlParamNode*>(ramAllocZ(sizeof(SqlParamNode)));
  if (!n) return nullptr;
  const int32_t given = length ? *length : 0;
  n->length = given;
  if (bind) {
    n->callerData = data;
    n->callerLength = length;
  }
  auto fail = [&]() -> SqlParamNode* {
    ramFree(n->data);
    ramFree(n);
    return nullptr;
  };
  if (s.type == BCV_DECIMAL) {
    const int32_t digits = static_cast<int32_t>(s.size & 0xFFFF);
    const uint32_t room =
        static_cast<uint32_t>(scale >= 0 ? (digits > scale ? digits : scale) + 4 : digits - scale + 4);
    if (!(n->data = static_cast<uint8_t*>(ramAllocZ(room)))) return fail();
    if (!bind) {
      if (given < 0) {
        n->length = SQL_NULL_DATA;
      } else {
        int32_t got = sqlDecimalToText(static_cast<const uint8_t*>(data), bcvDecimalWord(digits, scale),
                                       reinterpret_cast<char*>(n->data), static_cast<int32_t>(room));
        if (!got) return fail();
        n->length = got - 1;
      }
    }
  } else if (isDate(s.type)) {
    if (!(n->data = static_cast<uint8_t*>(ramAllocZ(sizeof(TIMESTAMP_STRUCT))))) return fail();
    n->length = s.type == BCV_DATETIME ? static_cast<SQLLEN>(sizeof(TIMESTAMP_STRUCT)) : 6;
    if (!bind) {
      if (given < 0)
        n->length = SQL_NULL_DATA;
      else if (toRecord(s.type, static_cast<const char*>(data), given,
                        reinterpret_cast<TIMESTAMP_STRUCT*>(n->data)))
        return fail();
    }
  } else if (!bind && given >= 0) {
    const uint32_t bytes = static_cast<uint32_t>(given);
    if (!(n->data = static_cast<uint8_t*>(ramAlloc(bytes ? bytes : 1)))) return fail();
    if (bytes) memcpy(n->data, data, bytes);
  }
  return n;
}

uint32_t chainLength(const SqlParamNode* n) {
  uint32_t total = 0;
  for (; n; n = n->next)
    if (n->length > 0) total += static_cast<uint32_t>(n->length);
  return total;
}

// Hands slot i's value (or NULL) to the statement.
JxStatus bindSlot(sql_qry* q, uint16_t i) {
  SqlParamSlot& s = q->params[i];
  cmg_capabilities* con = q->connection;
  if (!s.type && !s.values) return 0;  // nothing declared: nothing to hand over
  SqlLayerBinding b;
  if (!sqlLayerBinding(s.type ? s.type : uint16_t{BCV_VARCHAR}, &b)) {
    numbered(4533, i);
    return 1;
  }
  const uint32_t limit = sqlParamCharLimit(con);
  SQLSMALLINT cType = b.cType, sqlType = b.sqlType, scale = 0;
  SQLULEN precision = static_cast<SQLULEN>(b.precision);
  SQLPOINTER data = nullptr;
  SQLLEN* length = &g_nullData;
  SqlParamNode* n = s.values;
  if (s.flags & SQLP_TEXT) {
    cType = SQL_C_CHAR;
    sqlType = SQL_VARCHAR;
    precision = limit;
    if (n) {
      data = n->data;
      length = &n->length;
    }
  } else if (s.type == BCV_DECIMAL) {
    sqlType = SQL_NUMERIC;
    precision = s.size & 0xFFFF;
    scale = static_cast<SQLSMALLINT>(s.size >> 16);
  } else if (s.type == BCV_DATETIME || s.type == BCV_DATE) {
    // A date goes as the record's first six bytes (year, month, day).
    precision = s.size + 1;
    scale = static_cast<SQLSMALLINT>(s.size > 20 ? s.size - 20 : 0);
  } else if (s.type == BCV_TIME) {
    precision = 8;
  }
  if (n && !(s.flags & SQLP_TEXT)) {
    if (n->next) {
      // Several pieces: sent at execution; the driver hands back the slot number.
      const uint32_t total = chainLength(n);
      precision = limit > s.size ? limit : s.size;
      if (total > precision) precision = total;
      if (s.type == BCV_BINARY)
        sqlType = SQL_LONGVARBINARY;
      else if (total > limit)
        sqlType = SQL_LONGVARCHAR;
      data = reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(i));
      // The marker of data at execution with the total length: drivers size their
      // buffer for the pieces from it.
      s.piecesLength = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(total));
      length = &s.piecesLength;
    } else {
      if (s.type == BCV_DECIMAL || isDate(s.type))
        data = s.type == BCV_TIME ? n->data + offsetof(TIMESTAMP_STRUCT, hour) : n->data;
      else
        data = const_cast<void*>(n->callerData ? n->callerData : n->data);
      length = n->length < 0 ? &g_nullData : &n->length;
      if (isText(s.type) || s.type == BCV_BINARY) {
        const uint32_t l = n->length > 0 ? static_cast<uint32_t>(n->length) : 0;
        precision = l > limit ? l : limit;
        if (l > limit) sqlType = s.type == BCV_BINARY ? SQL_LONGVARBINARY : SQL_LONGVARCHAR;
      }
    }
  } else if (!n && isText(s.type) && s.size > limit) {
    sqlType = SQL_LONGVARCHAR;
  }
  SqlLock lock(&q->lock);
  return sqlCheckHstmt(con, q->hstmt,
                       SQLSetParam(q->hstmt, static_cast<SQLUSMALLINT>(i + 1), cType, sqlType, precision,
                                   scale, data, length))
             ? 1
             : 0;
}

// Bit 0 of slot i and its namesakes set or cleared.
void markValue(sql_qry* q, uint16_t i, bool has) {
  for (uint16_t j = 0; j < q->paramCount; ++j) {
    SqlParamSlot& t = q->params[j];
    if (j != i && !sameName(q, q->params[i], t)) continue;
    if (has)
      t.flags |= SQLP_HAS_VALUE;
    else
      t.flags &= ~SQLP_HAS_VALUE;
  }
}

// Removes slot i's values (the chain it shares with its namesakes), leaving it with or
// without a value.
void clearSlot(sql_qry* q, uint16_t i, bool hasValue) {
  SqlParamSlot& s = q->params[i];
  for (uint16_t j = 0; j < q->paramCount; ++j) {
    SqlParamSlot& t = q->params[j];
    if (!sameName(q, s, t)) continue;
    if (t.values != s.values) freeChain(t.values);
    t.values = nullptr;
    t.size = s.size;
    t.type = s.type;
    t.flags &= ~(SQLP_BOUND | SQLP_TEXT);
  }
  freeChain(s.values);
  s.values = nullptr;
  s.flags &= ~(SQLP_BOUND | SQLP_TEXT);
  markValue(q, i, hasValue);
}

// The statement set up when the query has none; the query's values are handed over
// then. Else slot i and its namesakes are bound.
JxStatus bindSlotAndNamesakes(sql_qry* q, uint16_t i) {
  if (!q->hstmt) return sqlSetupHstmt(q);
  for (uint16_t j = 0; j < q->paramCount; ++j)
    if ((j == i || sameName(q, q->params[i], q->params[j])) && bindSlot(q, j)) return 1;
  return 0;
}

struct Saved {
  SqlParamNode* values;
  uint16_t flags, type;
  uint32_t size;
};

}  // namespace

uint16_t sqlParamCharLimit(const cmg_capabilities* con) {
  return con && con->paramCharLength ? con->paramCharLength : kDefaultCharLimit;
}

uint16_t sqlParamsMissing(const sql_qry* q) {
  uint16_t n = 0;
  for (uint16_t i = 0; i < q->paramCount; ++i)
    if (!(q->params[i].flags & SQLP_HAS_VALUE)) ++n;
  return n;
}

void sqlFreeParamSlots(SqlParamSlot* slots, uint16_t count) {
  if (!slots) return;
  for (uint16_t i = 0; i < count; ++i) {
    SqlParamSlot& s = slots[i];
    bool shared = false;
    for (uint16_t j = 0; j < i && !shared; ++j) shared = s.values && slots[j].values == s.values;
    if (!shared) freeChain(s.values);
    for (char* t : {s.name, s.prompt, s.defaultText, s.format}) ramFree(t);
  }
  ramFree(slots);
}

JxStatus sqlMakeParamSlots(sql_qry* q, SqlParamEntry* entries, uint16_t count) {
  SqlParamSlot* slots = nullptr;
  if (count) {
    slots = static_cast<SqlParamSlot*>(ramAllocZ(static_cast<uint32_t>(sizeof(SqlParamSlot)) * count));
    if (!slots) return 1;
    for (uint16_t i = 0; i < count; ++i) {
      slots[i].name = entries[i].name;
      entries[i].name = nullptr;
    }
  }
  sqlFreeParamSlots(q->params, q->paramCount);
  q->params = slots;
  q->markerCount = q->paramCount = count;
  return 0;
}

JxStatus sqlRebindParams(sql_qry* q) {
  if (substitutes(q)) return 0;
  for (uint16_t i = 0; i < q->paramCount; ++i)
    if (bindSlot(q, i)) return 1;
  return 0;
}

JxStatus sqlSetupHstmt(sql_qry* q) {
  if (!q->hstmt) {
    if (sqlPrepareCursor(q, q->connection, q->cursorOptions)) return 1;
    q->flags &= ~SQLQ_PREPARED;
  }
  return sqlRebindParams(q);
}

JxStatus sqlClearParam(sql_qry* q, uint16_t number) {
  if (!q) return sqlMissing("query", "sqlClearParam");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (sqlEnsureParsed(q)) return 1;
  if (number >= q->paramCount) {
    numbered(4527, number);
    return 1;
  }
  clearSlot(q, number, false);
  if (substitutes(q)) q->flags &= ~SQLQ_PREPARED;
  return 0;
}

JxStatus sqlInitParam(sql_qry* q, uint16_t number, uint16_t type, int32_t length, int16_t scale) {
  if (!q) return sqlMissing("query", "sqlInitParam");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return checkSlot(q, number, type, length, scale, false);
}

JxStatus sqlSetParamNull(sql_qry* q, uint16_t number, uint16_t type, int32_t length, int16_t scale) {
  if (!q) return sqlMissing("query", "sqlSetParamNull");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (sqlEnsureParsed(q)) return 1;
  if (!type && number < q->paramCount && q->params[number].type) {
    const SqlParamSlot& s = q->params[number];
    type = s.type;
    switch (type) {
      case BCV_DECIMAL:
        length = static_cast<int32_t>(((s.size & 0xFFFF) + 1) / 2);
        scale = static_cast<int16_t>(s.size >> 16);
        break;
      case BCV_DATETIME:
      case BCV_DATE:
        length = static_cast<int32_t>(s.size + 1);
        scale = static_cast<int16_t>(s.size > 20 ? s.size - 20 : 0);
        break;
      case BCV_TIME:
        length = static_cast<int32_t>(s.size & 0xFFFF) - 10;
        break;
      default:
        length = 0;
        break;
    }
  }
  if (checkSlot(q, number, type, length, scale, false)) return 1;
  clearSlot(q, number, true);
  if (substitutes(q)) {
    q->flags &= ~SQLQ_PREPARED;
    return 0;
  }
  return bindSlotAndNamesakes(q, number);
}

JxStatus sqlParamNum(sql_qry* q, const char* name, int32_t* number) {
  if (number) *number = -1;
  if (!q || !name || !number) return sqlMissing(!q ? "query" : !name ? "name" : "result", "sqlParamNum");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (sqlEnsureParsed(q)) return 1;
  for (uint16_t i = 0; i < q->paramCount; ++i)
    if (q->params[i].name && sqlNameCompare(q->connection, q->params[i].name, name) == 0) {
      *number = i;
      break;
    }
  return 0;
}

JxStatus sqlBindSetParam(sql_qry* q, uint16_t number, short bind, const void* data, uint16_t type,
                         const int32_t* length, int16_t scale) {
  if (!q) return sqlMissing("query", "sqlBindSetParam");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!length) return sqlMissing("length", "sqlBindSetParam");
  if (!data && *length >= 0) return sqlMissing("value", "sqlBindSetParam");
  if (checkSlot(q, number, type, type == BCV_DECIMAL ? *length : *length, scale, bind != 0)) return 1;
  SqlParamSlot& s = q->params[number];
  const bool append = !bind && (isText(type) || type == BCV_BINARY) && !(s.flags & SQLP_TEXT);
  if (append && (s.flags & SQLP_BOUND) && s.values) {
    sqlErrorById(4529);
    return 1;
  }
  SqlParamNode* node = makeNode(s, bind != 0, data, length, scale);
  if (!node) return 1;
  // Everything a failure puts back.
  Saved* saved = static_cast<Saved*>(ramAlloc(static_cast<uint32_t>(sizeof(Saved)) * q->paramCount));
  if (!saved) {
    freeChain(node);
    return 1;
  }
  for (uint16_t j = 0; j < q->paramCount; ++j)
    saved[j] = {q->params[j].values, q->params[j].flags, q->params[j].type, q->params[j].size};
  SqlParamNode* old = nullptr;
  SqlParamNode** last = nullptr;
  if (append && s.values) {
    last = &s.values;
    while (*last) last = &(*last)->next;
    *last = node;
  } else {
    old = s.values;
    s.values = node;
  }
  s.flags =
      static_cast<uint16_t>((s.flags & ~(SQLP_BOUND | SQLP_TEXT)) | SQLP_HAS_VALUE | (bind ? SQLP_BOUND : 0));
  for (uint16_t j = 0; j < q->paramCount; ++j) {
    SqlParamSlot& t = q->params[j];
    if (!sameName(q, s, t)) continue;
    if (t.values != old && t.values != s.values) freeChain(t.values);
    t.values = s.values;
    t.flags = s.flags;
    t.type = s.type;
    t.size = s.size;
  }
  JxStatus st = 0;
  if (substitutes(q))
    q->flags &= ~SQLQ_PREPARED;
  else
    st = bindSlotAndNamesakes(q, number);
  if (st) {
    for (uint16_t j = 0; j < q->paramCount; ++j) {
      SqlParamSlot& t = q->params[j];
      t.values = saved[j].values;
      t.flags = saved[j].flags;
      t.type = saved[j].type;
      t.size = saved[j].size;
    }
    if (last) *last = nullptr;
    freeChain(node);
    // The restored values go back to the driver as they were.
    if (q->hstmt) sqlRebindParams(q);
  } else {
    freeChain(old);
  }
  ramFree(saved);
  return st;
}

JxStatus sqlXSetParam(sql_qry* q, const char* format, uint8_t kind, uint16_t number, const char* name,
                      const char* value) {
  if (!q) return sqlMissing("query", "sqlXSetParam");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!value) return sqlMissing("value", "sqlXSetParam");
  if (sqlEnsureParsed(q)) return 1;
  if (number > q->paramCount) {
    numbered(4522, number);
    return 1;
  }
  uint16_t i = 0;
  if (number) {
    i = static_cast<uint16_t>(number - 1);
  } else {
    bool found = false;
    for (; name && i < q->paramCount && !found;)
      if (q->params[i].name && sqlNameCompare(q->connection, q->params[i].name, name) == 0)
        found = true;
      else
        ++i;
    if (!found) {
      JxError* e = sqlErrorById(SQLMSG_MISSING_ARGUMENT);
      if (e)
        *e << "parameter of that name"
           << "sqlXSetParam";
      return 1;
    }
  }
  SqlParamSlot& s = q->params[i];
  const uint32_t n = static_cast<uint32_t>(strlen(value));
  SqlParamNode* node = static_cast<SqlParamNode*>(ramAllocZ(sizeof(SqlParamNode)));
  char* text = static_cast<char*>(ramAllocStr(value));
  // One copy of the format for each slot that takes the value.
  uint16_t takers = 0;
  for (uint16_t j = 0; j < q->paramCount; ++j)
    if (j == i || sameName(q, s, q->params[j])) ++takers;
  char** formats = static_cast<char**>(ramAllocZ(static_cast<uint32_t>(sizeof(char*)) * takers));
  bool failed = !node || !text || !formats;
  for (uint16_t k = 0; !failed && format && k < takers; ++k) failed = !(formats[k] = ramAllocStr(format));
  if (failed) {
    for (uint16_t k = 0; formats && k < takers; ++k) ramFree(formats[k]);
    ramFree(formats);
    ramFree(text);
    ramFree(node);
    return 1;
  }
  node->data = reinterpret_cast<uint8_t*>(text);
  node->length = n;
  clearSlot(q, i, true);
  uint16_t k = 0;
  for (uint16_t j = 0; j < q->paramCount; ++j) {
    SqlParamSlot& t = q->params[j];
    if (j != i && !sameName(q, s, t)) continue;
    t.values = node;
    t.flags |= SQLP_HAS_VALUE | SQLP_TEXT;
    t.kind = kind;
    ramFree(t.format);
    t.format = formats[k++];
  }
  ramFree(formats);
  q->flags = (q->flags | SQLQ_TEXT_PARAMS) & ~SQLQ_PREPARED;
  return 0;
}
