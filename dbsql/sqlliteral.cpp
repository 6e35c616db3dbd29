// SQL literals of the layer's values, the statement text with its parameter values
// written in, the growable SQL text buffer and identifier comparison.
#include "dbsql/bcvconvert.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"

#include <stdio.h>
#include <string.h>

namespace {

const uint32_t kTextStep = 512;
const uint32_t kKindFlags = SQLC_CHARACTER | SQLC_NUMBER | SQLC_DATETIME | SQLC_BINARY | SQLC_BIT;

void put(char** w, const char* text) {
  size_t n = strlen(text);
  memcpy(*w, text, n);
  *w += n;
}

// General form with the given significant digits; the exponent keeps at least two
// digits and no more leading zeros (runtimes differ there).
void putGeneral(char** w, double v, int digits) {
  char text[48];
  snprintf(text, sizeof text, "%.*g", digits, v);
  char* e = strchr(text, 'e');
  if (e && (e[1] == '+' || e[1] == '-')) {
    char* d = e + 2;
    size_t n = strlen(d);
    while (n > 2 && *d == '0') {
      memmove(d, d + 1, n);
      --n;
    }
  }
  put(w, text);
}

void putHex(char** w, const uint8_t* data, int32_t length) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int32_t i = 0; i < length; ++i) {
    *(*w)++ = kHex[data[i] >> 4];
    *(*w)++ = kHex[data[i] & 15];
  }
}

// A parameter piece's current length and data.
int32_t pieceLength(const SqlParamNode* n) {
  if (n->callerLength) return *n->callerLength;
  return static_cast<int32_t>(n->length);
}
const uint8_t* pieceData(const SqlParamNode* n) {
  return static_cast<const uint8_t*>(n->callerData ? n->callerData : n->data);
}

bool isDateType(uint16_t t) { return t == BCV_DATETIME || t == BCV_DATE || t == BCV_TIME; }

// The 26-character text and length word of a date/time parameter: bound values are the
// caller's text, copied ones the driver's record.
JxStatus dateText(const SqlParamSlot& s, const SqlParamNode* n, char* text26, int32_t* word) {
  if (n->callerData) {
    int32_t length = pieceLength(n);
    memset(text26, '0', 26);
    memcpy(text26, n->callerData, static_cast<size_t>(length < 0 ? 0 : length > 26 ? 26 : length));
  } else if (sqlTimestampToText(reinterpret_cast<const TIMESTAMP_STRUCT*>(n->data), s.type == BCV_TIME,
                                text26)) {
    return 1;
  }
  if (s.type == BCV_DATE)
    *word = sqlDateTimeWord(9);
  else if (s.type == BCV_TIME)
    *word = sqlDateTimeWord(18, 11);
  else
    *word = sqlDateTimeWord(memcmp(text26 + 20, "000000", 6) ? 25 : 18);
  return 0;
}

int32_t decimalWordOf(const SqlParamSlot& s) {
  return bcvDecimalWord(s.size & 0xFFFF, static_cast<int16_t>(s.size >> 16));
}

// Room the literal of one parameter needs (the marker's place counted off elsewhere).
uint32_t literalRoom(const SqlParamSlot& s) {
  if (!(s.flags & SQLP_HAS_VALUE) || !s.values) return 4;
  uint32_t sum = 0;
  if (s.flags & SQLP_TEXT) {
    for (const SqlParamNode* n = s.values; n; n = n->next) sum += 2 * static_cast<uint32_t>(n->length);
    return sum + 8;  // "{ts '" and "'}"
  }
  switch (s.type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
    case BCV_BINARY:
      for (const SqlParamNode* n = s.values; n; n = n->next) {
        int32_t l = pieceLength(n);
        if (l > 0) sum += 2 * static_cast<uint32_t>(l);
      }
      return sum + 5;
    case BCV_DECIMAL:
      return (s.size & 0xFFFF) + 4;
    case BCV_LONG:
      return 11;
    case BCV_SHORT:
      return 6;
    case BCV_FLOAT:
      return 16;
    case BCV_DOUBLE:
      return 24;
    default:
      return isDateType(s.type) ? 33 : 4;
  }
}

// The literal of one parameter.
JxStatus writeParam(char** w, const SqlParamSlot& s, const cmg_capabilities* con) {
  const SqlParamNode* first = s.values;
  if (!(s.flags & SQLP_HAS_VALUE) || !first || pieceLength(first) < 0) {
    put(w, "NULL");
    return 0;
  }
  if (s.flags & SQLP_TEXT) {
    static const char* const kOpen[] = {"'", "'", "'", "{d '", "{t '", "{ts '"};
    const unsigned kind = s.kind <= SQLP_KIND_TIMESTAMP ? unsigned{s.kind} : unsigned{SQLP_KIND_PLAIN};
    put(w, kOpen[kind]);
    for (const SqlParamNode* n = first; n; n = n->next)
      if (sqlFormatLiteral(w, n->data, BCV_VARCHAR, static_cast<int32_t>(n->length), 0, con)) return 1;
    put(w, kind >= SQLP_KIND_DATE ? "'}" : "'");
    return 0;
  }
  switch (s.type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
    case BCV_BINARY:
      put(w, s.type == BCV_BINARY ? "{b'" : "'");
      for (const SqlParamNode* n = first; n; n = n->next) {
        int32_t l = pieceLength(n);
        if (l > 0 && sqlFormatLiteral(w, pieceData(n), s.type, l, 0, con)) return 1;
      }
      put(w, s.type == BCV_BINARY ? "'}" : "'");
      return 0;
    case BCV_DECIMAL:
      if (first->callerData)
        return sqlFormatLiteral(w, first->callerData, BCV_DECIMAL, decimalWordOf(s), 0, con);
      put(w, reinterpret_cast<const char*>(first->data));
      return 0;
    default:
      break;
  }
  if (isDateType(s.type)) {
    char text[26];
    int32_t word = 0;
    if (dateText(s, first, text, &word)) return 1;
    return sqlFormatLiteral(w, text, BCV_DATETIME, word, 1, con);
  }
  return sqlFormatLiteral(w, pieceData(first), s.type, pieceLength(first), 1, con);
}

}  // namespace

JxStatus sqlFormatLiteral(char** write, const void* value, uint16_t type, int32_t length, short quote,
                          const cmg_capabilities*) {
  char*& w = *write;
  const uint8_t* v = static_cast<const uint8_t*>(value);
  switch (type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      if (quote) *w++ = '\'';
      for (int32_t i = 0; i < length; ++i) {
        if (v[i] == '\'') *w++ = '\'';
        *w++ = static_cast<char>(v[i]);
      }
      if (quote) *w++ = '\'';
      break;
    case BCV_DECIMAL: {
      int32_t room = bcvDecimalShape(length).precision + 4;
      int32_t n = sqlDecimalToText(v, length, w, room);
      if (!n) return 1;
      w += n - 1;
      break;
    }
    case BCV_LONG: {
      int32_t n;
      memcpy(&n, v, 4);
      w += sprintf(w, "%ld", static_cast<long>(n));
      break;
    }
    case BCV_SHORT: {
      int16_t n;
      memcpy(&n, v, 2);
      w += sprintf(w, "%d", n);
      break;
    }
    case BCV_FLOAT: {
      float f;
      memcpy(&f, v, 4);
      putGeneral(&w, static_cast<double>(f), 8);
      break;
    }
    case BCV_DOUBLE: {
      double d;
      memcpy(&d, v, 8);
      putGeneral(&w, d, 16);
      break;
    }
    case BCV_DATETIME: {
      uint32_t last = static_cast<uint32_t>(length) & 0xFFFF;
      uint32_t timeAt = static_cast<uint32_t>(length) >> 16;
      if (last > 25) last = 25;
      if (timeAt && timeAt <= last) {
        put(&w, "{t '");
        memcpy(w, v + timeAt, last - timeAt + 1);
        w += last - timeAt + 1;
      } else {
        put(&w, last > 9 ? "{ts '" : "{d '");
        memcpy(w, v, last + 1);
        w += last + 1;
        if (last + 1 == 16) put(&w, ":00");
      }
      put(&w, "'}");
      break;
    }
    case BCV_BINARY:
      if (quote) put(&w, "{b'");
      putHex(&w, v, length);
      if (quote) put(&w, "'}");
      break;
    default:
      break;
  }
  *w = 0;
  return 0;
}

JxStatus sqlTextReserve(SqlTextBuffer* b, uint32_t need) {
  if (!b) return sqlMissing("buffer", "sqlTextReserve");
  const uint32_t step = need / kTextStep * kTextStep + kTextStep;
  if (!b->start) {
    if (step > SQL_TEXT_LIMIT) {
      sqlErrorById(4531);
      return 1;
    }
    b->start = static_cast<char*>(ramAlloc(step));
    if (!b->start) return 1;
    b->start[0] = 0;
    b->write = b->start;
    b->capacity = static_cast<uint16_t>(step);
    return 0;
  }
  const uint32_t used = static_cast<uint32_t>(b->write - b->start);
  if (b->capacity - used >= need) return 0;
  const uint32_t grown = b->capacity + step;
  if (grown > SQL_TEXT_LIMIT) {
    sqlErrorById(4531);
    return 1;
  }
  if (ramResize(reinterpret_cast<void**>(&b->start), grown)) return 1;
  b->write = b->start + used;
  b->capacity = static_cast<uint16_t>(grown);
  return 0;
}

JxStatus sqlAppendLiteral(SqlTextBuffer* b, const sql_qry_fld* f, int32_t length, const uint8_t* data,
                          const cmg_capabilities* con) {
  if (!b || !f || !data) return sqlMissing(!b ? "buffer" : !f ? "column" : "value", "sqlAppendLiteral");
  uint16_t type = f->layerType;
  int32_t word = length;
  uint32_t room = 33;
  switch (type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      if (length > f->valueSize) length = f->valueSize;
      if (length < 0) length = 0;
      // Text stops at a terminator the driver left inside the buffer.
      for (int32_t i = 0; i < length; ++i)
        if (!data[i]) length = i;
      if ((f->flags & kKindFlags) > 127) type = BCV_BINARY;
      word = length;
      room = 2 * static_cast<uint32_t>(length) + 5;
      break;
    case BCV_BINARY:
      if (length > f->valueSize) length = f->valueSize;
      word = length < 0 ? 0 : length;
      room = 2 * static_cast<uint32_t>(word) + 5;
      break;
    case BCV_DECIMAL:
      word = f->transferLength;
      room = static_cast<uint32_t>(bcvDecimalShape(word).precision) + 4;
      break;
    case BCV_LONG:
    case BCV_SHORT:
      room = 11;
      break;
    case BCV_FLOAT:
    case BCV_DOUBLE:
      room = 32;
      break;
    case BCV_DATETIME:
      if (f->odbcType == SQL_DATE)
        word = sqlDateTimeWord(9);
      else if (f->odbcType == SQL_TIME)
        word = sqlDateTimeWord(18, 11);
      else
        word = sqlDateTimeWord(memcmp(data + 20, "000000", 6) ? 25 : 18);
      break;
    default:
      break;
  }
  if (sqlTextReserve(b, room + 1)) return 1;
  return sqlFormatLiteral(&b->write, data, type, word, 1, con);
}

int sqlNameCompare(const cmg_capabilities* con, const char* a, const char* b) {
  if (!a || !b) return a != b;
  return sqlNameCompareCounted(con, static_cast<uint32_t>(strlen(a)), a, static_cast<uint32_t>(strlen(b)), b);
}

int sqlNameCompareCounted(const cmg_capabilities* con, uint32_t an, const char* a, uint32_t bn,
                          const char* b) {
  return sqlNameEqual(con, a, an, b, bn) ? 0 : 1;
}

int sqlNameCompareToken(const cmg_capabilities* con, const JxToken* token, const char* name) {
  if (!token || !name) return !token != !name;
  return sqlNameCompareCounted(con, token->getLength(), token->getPtr(), static_cast<uint32_t>(strlen(name)),
                               name);
}

char* sqlSubstitute(sql_qry* q, const char* text) {
  if (!q || !text) {
    sqlMissing(q ? "text" : "query", "sqlSubstitute");
    return nullptr;
  }
  const cmg_capabilities* con = q->connection;
  if (!con->substituteParams && !(q->flags & SQLQ_TEXT_PARAMS)) return ramAllocStr(text);
  uint32_t size = static_cast<uint32_t>(strlen(text)) + 1;
  for (uint16_t i = 0; i < q->paramCount; ++i) size += literalRoom(q->params[i]) - 1;
  if (size >= SQL_SUBSTITUTE_LIMIT) {
    // The string table holds no text for this number (and a text there would shadow the
    // utilities' messages of the same block of sixteen): the text is given here.
    JxError* e = new JxError(
        1503, "The statement with its parameter values is too long (65436 bytes or more).", JX_ERROR);
    if (e) JxErrorKeeper::addError(e);
    return nullptr;
  }
  char* out = static_cast<char*>(ramAlloc(size));
  if (!out) return nullptr;
  char* w = out;
  const char* from = text;
  for (uint16_t i = 0; i < q->paramCount; ++i) {
    const char* marker = strFind(from, '?', '\'', 0, 0);
    if (!marker) {
      ramFree(out);
      sqlErrorById(4513);
      return nullptr;
    }
    memcpy(w, from, static_cast<size_t>(marker - from));
    w += marker - from;
    from = marker + 1;
    const SqlParamSlot& s = q->params[i];
    if (s.name && *from == s.name[0]) {
      size_t n = strlen(s.name);
      from += strnlen(from, n);
    }
    if (writeParam(&w, s, con)) {
      ramFree(out);
      return nullptr;
    }
  }
  strcpy(w, from);
  return out;
}
