// The type maps, binding sizes, value packing and normalising of fetched values.
#include "dbsql/sqltypemap.h"

#include "dbsql/sqlengine.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/utl_messages.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

short fail(short id) {
  sqlErrorById(static_cast<unsigned short>(id));
  return id;
}

bool isCharacter(int16_t t) { return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR; }
bool isBinary(int16_t t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY; }
bool isNumeric(int16_t t) { return t == SQL_BIGINT || t == SQL_NUMERIC || t == SQL_DECIMAL; }
bool isDateTime(int16_t t) { return t == SQL_DATE || t == SQL_TIME || t == SQL_TIMESTAMP; }

}  // namespace

uint16_t sqlODBCtoSQLdatatype(int16_t t) {
  switch (t) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
      return BCV_SHORT;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return BCV_DECIMAL;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARCHAR:
    case SQL_VARCHAR:
      return BCV_VARCHAR;
    case SQL_BINARY:
    case SQL_CHAR:
      return BCV_CHAR;
    case SQL_INTEGER:
      return BCV_LONG;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return BCV_DOUBLE;
    case SQL_REAL:
      return BCV_FLOAT;
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
      return BCV_DATETIME;
    default:
      return BCV_UNKNOWN;
  }
}

int16_t sqlBindCType(int16_t t) {
  switch (t) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
      return SQL_C_SHORT;
    case SQL_BIGINT:
    case SQL_LONGVARCHAR:
    case SQL_CHAR:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_VARCHAR:
      return SQL_C_CHAR;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return SQL_C_BINARY;
    case SQL_INTEGER:
      return SQL_C_LONG;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    case SQL_REAL:
      return SQL_C_FLOAT;
    case SQL_DATE:
      return SQL_C_DATE;
    case SQL_TIME:
      return SQL_C_TIME;
    case SQL_TIMESTAMP:
      return SQL_C_TIMESTAMP;
    default:
      return BCV_UNKNOWN;
  }
}

int16_t sqlParamCType(int16_t t) { return sqlBindCType(t); }

int16_t sqlTimestampCType(int16_t t) { return isDateTime(t) ? SQL_C_TIMESTAMP : sqlBindCType(t); }

int sqlLayerBinding(uint16_t layer, SqlLayerBinding* out) {
  static const struct {
    uint16_t layer;
    SqlLayerBinding binding;
  } table[] = {
      {BCV_CHAR, {SQL_C_CHAR, SQL_VARCHAR, 65023}},
      {BCV_VARCHAR, {SQL_C_CHAR, SQL_VARCHAR, 65023}},
      {BCV_DECIMAL, {SQL_C_CHAR, SQL_VARCHAR, 32767}},
      {BCV_LONG, {SQL_C_LONG, SQL_INTEGER, 10}},
      {BCV_SHORT, {SQL_C_SHORT, SQL_SMALLINT, 5}},
      {BCV_FLOAT, {SQL_C_FLOAT, SQL_REAL, 7}},
      {BCV_DOUBLE, {SQL_C_DOUBLE, SQL_DOUBLE, 15}},
      {BCV_DATETIME, {SQL_C_TIMESTAMP, SQL_TIMESTAMP, 32767}},
      {BCV_BINARY, {SQL_C_BINARY, SQL_VARBINARY, 65023}},
      {BCV_DATE, {SQL_C_DATE, SQL_DATE, 10}},
      {BCV_TIME, {SQL_C_TIME, SQL_TIME, 8}},
  };
  for (const auto& row : table)
    if (row.layer == layer) {
      *out = row.binding;
      return 1;
    }
  *out = SqlLayerBinding{static_cast<int16_t>(BCV_UNKNOWN), static_cast<int16_t>(BCV_UNKNOWN), 32767};
  return 0;
}

int32_t sqlfldtoODBCprecision(const SqlColumnShape* c) {
  int16_t t = c->odbcType;
  if (t == SQL_BIT) return 1;
  if (t == SQL_TINYINT) return 3;
  if (isNumeric(t)) return c->precision;
  if (isCharacter(t) || isBinary(t)) return c->length;
  switch (t) {
    case SQL_INTEGER:
      return 10;
    case SQL_SMALLINT:
      return 5;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return 15;
    case SQL_REAL:
      return 7;
    case SQL_DATE:
    case SQL_TIMESTAMP:
      return c->length + 1;
    case SQL_TIME:
      return 8;
    default:
      return 0;
  }
}

int32_t sqlColumnBufferLength(const SqlColumnShape* c) {
  int16_t t = c->odbcType;
  if (isCharacter(t)) return c->length + 1;
  if (isNumeric(t)) {
    int32_t p = (c->precision & ~1) + 1, s = c->scale;
    if (s < 0) return p - s + 3;
    return (p > s ? p : s) + 3;
  }
  if (isDateTime(t)) return 16;
  // A fixed number is fetched as its buffer type, which may be wider than the width
  // the driver reports (a bit is 1 wide and fetched as a 16-bit integer).
  int32_t typeSize = 0;
  switch (sqlBindCType(t)) {
    case SQL_C_SHORT:
      typeSize = 2;
      break;
    case SQL_C_LONG:
    case SQL_C_FLOAT:
      typeSize = 4;
      break;
    case SQL_C_DOUBLE:
      typeSize = 8;
      break;
    default:
      break;
  }
  return c->length > typeSize ? c->length : typeSize;
}

int32_t sqlParamLength(int16_t t, int32_t valueLength) {
  if (valueLength <= 0) return valueLength;
  if (isNumeric(t)) return SQL_NTS;
  if (t == SQL_DATE || t == SQL_TIME) return 6;
  if (t == SQL_TIMESTAMP) return 16;
  return valueLength;
}

int32_t sqlDecimalToText(const uint8_t* value, int32_t word, char* out, int32_t outSize) {
  BcvDecimalShape shape = bcvDecimalShape(word);
  int bytes = shape.bytes();
  if (bcvValidateDecimal(value, static_cast<uint16_t>(bytes))) return 0;
  std::string text;
  int nibbles = bytes * 2 - 1;
  int fractionAt = shape.precision - shape.scale;  // digits before the point
  bool any = false, zero = true;
  for (int i = 0; i < shape.precision; i++) {
    int n = i + nibbles - shape.precision;
    char digit = static_cast<char>('0' + ((n % 2 == 0) ? value[n / 2] >> 4 : value[n / 2] & 0xF));
    if (digit != '0') zero = false;
    if (i == fractionAt) {
      if (!any) text += '0';
      text += '.';
      any = true;
    }
    if (!any && digit == '0') continue;  // leading zeros
    text += digit;
    any = true;
  }
  if (zero)
    text = "0";
  else if ((value[bytes - 1] & 0xF) == BCV_MINUS)
    text.insert(text.begin(), '-');
  int32_t needed = static_cast<int32_t>(text.size()) + 1;
  if (needed > outSize) {
    JxError* e = sqlErrorById(SQLMSG_BUFFER_TOO_SMALL);
    if (e) *e << "decimal text" << static_cast<long>(needed) << static_cast<long>(outSize);
    return 0;
  }
  memcpy(out, text.c_str(), needed);
  return needed;
}

short sqlTextToDecimal(char* buffer, int32_t bufferSize, int32_t word, int32_t* length) {
  BcvDecimalShape shape = bcvDecimalShape(word);
  int32_t textLength = *length < bufferSize ? *length : bufferSize;
  std::vector<uint8_t> packed(shape.bytes());
  short status = bcvNumberTextToDecimal(buffer, textLength, word, packed.data());
  if (status) return status;
  if (shape.bytes() > bufferSize) {
    JxError* e = sqlErrorById(SQLMSG_BUFFER_TOO_SMALL);
    if (e) *e << "packed decimal" << static_cast<long>(shape.bytes()) << static_cast<long>(bufferSize);
    return SQLMSG_BUFFER_TOO_SMALL;
  }
  memcpy(buffer, packed.data(), packed.size());
  *length = shape.bytes();
  return BCV_OK;
}

short sqlTextToTimestamp(const char* text, int32_t length, int32_t word, TIMESTAMP_STRUCT* out) {
  int start = (static_cast<uint32_t>(word) >> 16) & 0xFFFF;
  if (length > 26) length = 26;
  bool digitsOk = true;
  auto part = [&](int at, int width) {
    int v = 0;
    for (int k = at; k < at + width; k++) {
      if (k >= length) return v * 1;  // a part beyond the text is 0 (its rest too)
      if (text[k] < '0' || text[k] > '9') digitsOk = false;
      v = v * 10 + (text[k] - '0');
    }
    return v;
  };
  struct Field {
    int at, width, low, high;
    short message;
  };
  TIMESTAMP_STRUCT ts = {};
  digitsOk = true;
  int year = part(0, 4);
  bool yearOk = digitsOk;
  digitsOk = true;
  int month = part(5, 2);
  bool monthOk = digitsOk;
  digitsOk = true;
  int day = part(8, 2);
  bool dayOk = digitsOk;
  digitsOk = true;
  int hour = part(11, 2);
  bool hourOk = digitsOk;
  digitsOk = true;
  int minute = part(14, 2);
  bool minuteOk = digitsOk;
  digitsOk = true;
  int second = part(17, 2);
  bool secondOk = digitsOk;
  // Fraction digits scaled to nanoseconds.
  uint32_t fraction = 0;
  bool fractionOk = true;
  int fractionDigits = length > 20 ? length - 20 : 0;
  for (int k = 0; k < fractionDigits; k++) {
    if (text[20 + k] < '0' || text[20 + k] > '9') fractionOk = false;
    fraction = fraction * 10 + (text[20 + k] - '0');
  }
  static const uint32_t factors[] = {0, 100000000, 10000000, 1000000, 100000, 10000, 1000};
  if (fractionDigits > 0) {
    if (!fractionOk || fraction > 999999000u / factors[fractionDigits]) return fail(BCV_INVALID_FRACTION);
    fraction *= factors[fractionDigits];
  }
  if (start <= 0) {
    if (!yearOk || year < 1 || year > 9999) return fail(BCV_INVALID_YEAR);
  }
  if (start <= 5) {
    if (!monthOk || month < 1 || month > 12) return fail(BCV_INVALID_MONTH);
  }
  if (start <= 8) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = month >= 1 && month <= 12 ? lengths[month - 1] + (month == 2 && leap) : 31;
    if (!dayOk || day < 1 || day > last) return fail(BCV_INVALID_DAY);
  }
  if (!hourOk || hour >= 24) return fail(BCV_INVALID_HOUR);
  if (!minuteOk || minute >= 60) return fail(BCV_INVALID_MINUTE);
  if (!secondOk || second >= 60) return fail(BCV_INVALID_SECOND);
  ts.year = static_cast<SQLSMALLINT>(year);
  ts.month = static_cast<SQLUSMALLINT>(month);
  ts.day = static_cast<SQLUSMALLINT>(day);
  ts.hour = static_cast<SQLUSMALLINT>(hour);
  ts.minute = static_cast<SQLUSMALLINT>(minute);
  ts.second = static_cast<SQLUSMALLINT>(second);
  ts.fraction = fraction;
  *out = ts;
  return BCV_OK;
}

short sqlTimestampToText(const TIMESTAMP_STRUCT* in, int timeOnly, char* out26) {
  // Only parts that fit their places make a text: a driver's answer outside them is
  // refused rather than written over the neighbouring places.
  if (!timeOnly) {
    if (in->year < 0 || in->year > 9999) return fail(BCV_INVALID_YEAR);
    if (in->month > 12) return fail(BCV_INVALID_MONTH);
    if (in->day > 31) return fail(BCV_INVALID_DAY);
  }
  if (in->hour > 23) return fail(BCV_INVALID_HOUR);
  if (in->minute > 59) return fail(BCV_INVALID_MINUTE);
  if (in->second > 59) return fail(BCV_INVALID_SECOND);
  if (in->fraction > 999999999u) return fail(BCV_INVALID_FRACTION);
  char text[64];
  unsigned micro = static_cast<unsigned>(in->fraction / 1000);
  if (timeOnly)
    snprintf(text, sizeof text, "0000-00-00 %02u:%02u:%02u.%06u", in->hour, in->minute, in->second, micro);
  else
    snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u.%06u", in->year, in->month, in->day, in->hour,
             in->minute, in->second, micro);
  memcpy(out26, text, BCV_DATETIME_LENGTH);
  return BCV_OK;
}

namespace {

// The timestamp a fetched date/time buffer holds, by the buffer type it was fetched with.
short readFetchedTimestamp(const SqlValueSlot* slot, TIMESTAMP_STRUCT* ts) {
  int16_t cType = slot->cType ? slot->cType : sqlTimestampCType(slot->odbcType);
  *ts = TIMESTAMP_STRUCT{};
  switch (cType) {
    case SQL_C_DATE: {
      DATE_STRUCT d;
      if (slot->length < static_cast<int32_t>(sizeof d)) return fail(BCV_BAD_DATE);
      memcpy(&d, slot->data, sizeof d);
      ts->year = d.year, ts->month = d.month, ts->day = d.day;
      return BCV_OK;
    }
    case SQL_C_TIME: {
      TIME_STRUCT t;
      if (slot->length < static_cast<int32_t>(sizeof t)) return fail(BCV_BAD_DATE);
      memcpy(&t, slot->data, sizeof t);
      ts->hour = t.hour, ts->minute = t.minute, ts->second = t.second;
      return BCV_OK;
    }
    case SQL_C_TIMESTAMP:
      if (slot->length < static_cast<int32_t>(sizeof *ts)) return fail(BCV_BAD_DATE);
      memcpy(ts, slot->data, sizeof *ts);
      return BCV_OK;
    default:
      return fail(BCV_BAD_DATE);
  }
}

short bufferTooSmall(const char* what, long needed, long size) {
  JxError* e = sqlErrorById(SQLMSG_BUFFER_TOO_SMALL);
  if (e) *e << what << needed << size;
  return SQLMSG_BUFFER_TOO_SMALL;
}

}  // namespace

short sqlNormaliseValue(SqlValueSlot* slot) {
  if (slot->length == SQL_NULL_DATA) return BCV_OK;
  switch (slot->layerType) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      // A value longer than its buffer was cut by the driver to the buffer.
      if (slot->length == SQL_NO_TOTAL || slot->length > slot->width) slot->length = slot->width;
      if (slot->length < 0) return BCV_OK;
      if (slot->layerType == BCV_CHAR) {
        // Binary values are never padded with blanks (a driver may describe a
        // variable-length blob as SQL_BINARY).
        if (slot->length < slot->width && !isBinary(slot->odbcType)) {
          memset(slot->data + slot->length, ' ', slot->width - slot->length);
          slot->length = slot->width;
        }
      } else if (slot->odbcType == SQL_CHAR) {
        while (slot->length > 0 && slot->data[slot->length - 1] == ' ') slot->length--;
      }
      return BCV_OK;
    case BCV_DECIMAL: {
      // The text of a number cut by the driver is no longer that number.
      if (slot->length == SQL_NO_TOTAL || slot->length > slot->width)
        return bufferTooSmall("decimal text", slot->length == SQL_NO_TOTAL ? slot->width + 1L : slot->length,
                              slot->width);
      if (slot->length < 0) return BCV_OK;
      int32_t length = slot->length;
      short status = sqlTextToDecimal(reinterpret_cast<char*>(slot->data), slot->width, slot->word, &length);
      if (status) return status;
      slot->length = length;
      return BCV_OK;
    }
    case BCV_DATETIME: {
      if (slot->width < static_cast<int32_t>(BCV_DATETIME_LENGTH))
        return bufferTooSmall("date/time text", BCV_DATETIME_LENGTH, slot->width);
      TIMESTAMP_STRUCT ts;
      short status = readFetchedTimestamp(slot, &ts);
      if (status) return status;
      status = sqlTimestampToText(&ts, slot->odbcType == SQL_TIME, reinterpret_cast<char*>(slot->data));
      if (status) return status;
      slot->length = BCV_DATETIME_LENGTH;
      return BCV_OK;
    }
    default:
      return BCV_OK;
  }
}

short sqlNormaliseRow(SqlValueSlot* slots, uint16_t count) {
  short first = 0;
  for (uint16_t i = 0; i < count; i++) {
    short status = sqlNormaliseValue(&slots[i]);
    if (status && !first) first = status;
  }
  return first;
}

namespace {

// Blocks are allocated two bytes before an 8-byte boundary, so that their data starts
// on one: an offset aligned in the data is aligned in memory too. A value longer than
// a block's 40 bytes gets a block of its own, as long as the value.
const size_t kBlockLead = 2;
static_assert(offsetof(SqlConvBlock, data) + kBlockLead == 8, "block data starts 8-aligned");

SqlConvBlock* newBlock(size_t dataSize) {
  if (dataSize < sizeof(SqlConvBlock::data)) dataSize = sizeof(SqlConvBlock::data);
  uint8_t* raw = static_cast<uint8_t*>(calloc(1, kBlockLead + offsetof(SqlConvBlock, data) + dataSize));
  return raw ? reinterpret_cast<SqlConvBlock*>(raw + kBlockLead) : nullptr;
}

void freeBlock(SqlConvBlock* b) { free(reinterpret_cast<uint8_t*>(b) - kBlockLead); }

short outOfMemory() {
  JxErrorKeeper::addMemoryError();
  return MSG_OUT_OF_MEMORY;
}

}  // namespace

uint8_t* sqlConvReserve(SqlConvChain* chain, uint16_t size, uint16_t align) {
  if (align == 0 || align > 8 || (align & (align - 1)) != 0) return nullptr;
  if (chain->current && size <= sizeof(SqlConvBlock::data)) {
    SqlConvBlock* b = chain->blocks[chain->current - 1];
    uint32_t at = (b->used + align - 1u) / align * align;
    if (at + size <= sizeof b->data) {
      b->used = static_cast<uint16_t>(at + size);
      return b->data + at;
    }
  }
  // Values already handed out stay where they are: only the table of blocks grows.
  if (chain->count == chain->capacity) {
    uint32_t capacity = chain->capacity ? chain->capacity * 2 : 4;
    void* grown = realloc(chain->blocks, capacity * sizeof(SqlConvBlock*));
    if (!grown) return outOfMemory(), nullptr;
    chain->blocks = static_cast<SqlConvBlock**>(grown);
    chain->capacity = capacity;
  }
  SqlConvBlock* b = newBlock(size);
  if (!b) return outOfMemory(), nullptr;
  chain->blocks[chain->count++] = b;
  if (chain->current) chain->blocks[chain->current - 1]->next = chain->count;
  chain->current = chain->count;
  b->used = size;
  return b->data;
}

void sqlConvFree(SqlConvChain* chain) {
  for (uint32_t i = 0; i < chain->count; i++) freeBlock(chain->blocks[i]);
  free(chain->blocks);
  *chain = SqlConvChain{};
}

short sqlParamColumnValue(SqlConvChain* chain, const SqlValueSlot* value, SqlParamValue* out) {
  int16_t t = value->odbcType;
  SqlParamValue p = {value->data, value->length, sqlParamCType(t), t};
  if (value->length == SQL_NULL_DATA) {
    p.data = nullptr;
    *out = p;
    return BCV_OK;
  }
  if (isNumeric(t)) {
    // Sent as text: the driver reads it up to its terminator.
    BcvDecimalShape shape = bcvDecimalShape(value->word);
    if (value->length < shape.bytes()) return fail(BCV_PARTIAL_VALUE);
    short status = bcvValidateDecimal(value->data, static_cast<uint16_t>(shape.bytes()));
    if (status) return status;
    int32_t room = shape.precision + 4;  // sign, "0.", terminator
    if (room > 0xFFFF) return bufferTooSmall("decimal text", room, 0xFFFF);
    char* text = reinterpret_cast<char*>(sqlConvReserve(chain, static_cast<uint16_t>(room), 1));
    if (!text) return MSG_OUT_OF_MEMORY;
    sqlDecimalToText(value->data, value->word, text, room);
    p.data = text;
    p.length = SQL_NTS;
  } else if (isDateTime(t)) {
    TIMESTAMP_STRUCT ts;
    short status =
        sqlTextToTimestamp(reinterpret_cast<const char*>(value->data), value->length, value->word, &ts);
    if (status) return status;
    uint8_t* room = sqlConvReserve(chain, sizeof ts, 4);
    if (!room) return MSG_OUT_OF_MEMORY;
    memcpy(room, &ts, sizeof ts);
    // A date is the structure's first 6 bytes, a time the 6 bytes from the hour.
    p.data = t == SQL_TIME ? room + offsetof(TIMESTAMP_STRUCT, hour) : room;
    p.length = sqlParamLength(t, value->length);
  } else {
    p.length = sqlParamLength(t, value->length);
  }
  *out = p;
  return BCV_OK;
}

uint16_t sqlDBColType(const cmgInfo* env, int16_t odbcType, uint16_t driverKind, uint16_t layerType,
                      const char* typeName) {
  if (env && env->revision > 1) {
    switch (odbcType) {
      case SQL_BIT:
        return API_BIT;
      case SQL_TINYINT:
        return API_TINYINT;
      case SQL_BIGINT:
        return API_BIGINT;
      case SQL_LONGVARBINARY:
        return API_LONGVARBINARY;
      case SQL_VARBINARY:
        return API_VARBINARY;
      case SQL_BINARY:
        return API_BINARY;
      case SQL_LONGVARCHAR:
        return API_LONGVARCHAR;
      case SQL_CHAR:
        return API_CHAR;
      case SQL_NUMERIC:
      case SQL_DECIMAL:
        return API_DECIMAL;
      case SQL_INTEGER:
        return API_LONG;
      case SQL_SMALLINT:
        return API_SHORT;
      case SQL_FLOAT:
      case SQL_DOUBLE:
        return API_DOUBLE;
      case SQL_REAL:
        return API_FLOAT;
      case SQL_DATE:
        return API_DATE;
      case SQL_TIME:
        return API_TIME;
      case SQL_TIMESTAMP:
        return API_DATETIME;
      case SQL_VARCHAR:
        return API_VARCHAR;
      default:
        break;
    }
  }
  // Revision 1: the driver kind's table. Only the rows below are settled; every other
  // layer type and name of a kind answers "unknown".
  auto named = [typeName](const char* name) {
    size_t n = typeName ? strlen(typeName) : 0;
    return n > 0 && _strnicmp(name, typeName, n) == 0 && strlen(name) >= n;
  };
  switch (driverKind) {
    case 3:
      if (layerType == BCV_VARCHAR || layerType == BCV_DECIMAL || layerType == BCV_DOUBLE) return layerType;
      if (layerType == BCV_DATETIME) return API_DATE;
      return API_UNKNOWN;
    case 4:
      if (layerType == BCV_VARCHAR) {
        if (named("MEMO")) return API_LONGVARCHAR;
        if (named("CHAR EXPR")) return API_VARCHAR;
      }
      if (layerType == BCV_DECIMAL && named("FLOAT")) return 1000;
      return API_UNKNOWN;
    default:
      return API_UNKNOWN;
  }
}

short sqlGetXferType_Length(const cmgInfo* env, uint16_t driverKind, int16_t odbcType, const char* typeName,
                            int32_t length, int32_t precision, int16_t scale, uint16_t* layerType,
                            int32_t* size) {
  uint16_t layer = sqlODBCtoSQLdatatype(odbcType);
  (void)env, (void)driverKind, (void)typeName;
  *layerType = layer;
  switch (layer) {
    case BCV_CHAR:
    case BCV_VARCHAR:
    case BCV_LONG:
    case BCV_SHORT:
    case BCV_FLOAT:
    case BCV_DOUBLE:
      *size = length;
      break;
    case BCV_DECIMAL:
      // The scale as the length word's signed byte: a negative scale must not reach
      // bit 31, which keeps room for a sign.
      *size = bcvDecimalWord(precision, scale);
      break;
    case BCV_DATETIME:
      // By the column's SQL type: timestamps and times; dates take 9.
      if (odbcType == SQL_TIMESTAMP)
        *size = precision - 1;
      else if (odbcType == SQL_TIME)
        *size = (11 << 16) + 18;
      else
        *size = 9;
      break;
    default:
      break;
  }
  return 0;
}
