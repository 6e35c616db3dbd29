// The type maps, binding sizes, value packing and normalising of fetched values.
#include "dbsql/sqltypemap.h"

#include "dbsql/sqlengine.h"
#include "dbsql/sqlmessages.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

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
  return c->length;
}

int32_t sqlParamLength(int16_t t, int32_t valueLength) {
  if (valueLength <= 0) return valueLength;
  if (isNumeric(t)) return SQL_NTS;
  if (t == SQL_DATE || t == SQL_TIME) return 6;
  if (t == SQL_TIMESTAMP) return 16;
  return valueLength;
}

int32_t sqlDecimalToText(const uint8_t* value, int32_t word, char* out) {
  int precision = word & 0xFFFF;
  int scale = static_cast<int8_t>((word >> 16) & 0xFF);
  int stored = scale < 0 ? precision - scale : precision;  // folded digits
  if (stored < scale) stored = scale;
  int bytes = stored / 2 + 1;
  if (bcvValidateDecimal(value, static_cast<uint16_t>(bytes))) return 0;
  char digits[300];
  int nibbles = bytes * 2 - 1, count = 0;
  for (int i = nibbles - stored; i < nibbles; i++)
    digits[count++] = static_cast<char>('0' + ((i % 2 == 0) ? value[i / 2] >> 4 : value[i / 2] & 0xF));
  bool allZero = true;
  for (int i = 0; i < count; i++) allZero = allZero && digits[i] == '0';
  if (allZero) {
    out[0] = '0';
    out[1] = 0;
    return 2;
  }
  char* p = out;
  if ((value[bytes - 1] & 0xF) == BCV_MINUS) *p++ = '-';
  int fractionAt = scale > 0 ? count - scale : count;  // digits before the point
  bool any = false;
  for (int i = 0; i < count; i++) {
    if (i == fractionAt) {
      if (!any) *p++ = '0';
      *p++ = '.';
      any = true;
    }
    if (!any && digits[i] == '0' && i < fractionAt) continue;
    *p++ = digits[i];
    any = true;
  }
  *p++ = 0;
  return static_cast<int32_t>(p - out);
}

short sqlTextToDecimal(char* buffer, int32_t word, int32_t* length) {
  BcvDecimalShape shape = bcvDecimalShape(word);
  int8_t scale = static_cast<int8_t>((word >> 16) & 0xFF);
  std::string text(buffer, *length > 0 ? *length : 0);
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') i++;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  while (i < text.size() && text[i] == '0') i++;
  std::string integer, fraction;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') integer += text[i++];
  if (i < text.size() && text[i] == '.') {
    i++;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') fraction += text[i++];
  }
  while (i < text.size() && text[i] == ' ') i++;
  if (i != text.size()) {
    JxError* e = sqlErrorById(BCV_NOT_A_NUMBER);
    if (e) *e << text.c_str();
    return BCV_NOT_A_NUMBER;
  }
  if (scale < 0) {
    // The integer places of a negative scale count whole tens; fraction digits go.
    fraction.clear();
  }
  int places = shape.integerPlaces();
  if (static_cast<int>(integer.size()) > places) return fail(BCV_DECIMAL_OVERFLOW);
  uint8_t digits[256] = {};
  for (size_t k = 0; k < integer.size(); k++) digits[places - integer.size() + k] = integer[k] - '0';
  for (int k = 0; k < shape.scale && k < static_cast<int>(fraction.size()); k++)
    digits[places + k] = fraction[k] - '0';
  bool zero = true;
  for (int k = 0; k < shape.precision; k++) zero = zero && digits[k] == 0;
  int bytes = shape.bytes();
  uint8_t packed[140] = {};
  int nibbles = bytes * 2 - 1, skip = nibbles - shape.precision;
  for (int k = 0; k < shape.precision; k++) {
    int n = k + skip;
    packed[n / 2] |= (n % 2 == 0) ? (digits[k] << 4) : digits[k];
  }
  packed[bytes - 1] |= (negative && !zero) ? BCV_MINUS : BCV_PLUS;
  memcpy(buffer, packed, bytes);
  *length = bytes;
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

void sqlTimestampToText(const TIMESTAMP_STRUCT* in, int timeOnly, char* out26) {
  char text[64];
  unsigned micro = static_cast<unsigned>(in->fraction / 1000 % 1000000);
  if (timeOnly)
    snprintf(text, sizeof text, "0000-00-00 %02u:%02u:%02u.%06u", in->hour % 100u, in->minute % 100u,
             in->second % 100u, micro);
  else
    snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u.%06u", in->year % 10000, in->month % 100u,
             in->day % 100u, in->hour % 100u, in->minute % 100u, in->second % 100u, micro);
  memcpy(out26, text, BCV_DATETIME_LENGTH);
}

short sqlNormaliseValue(SqlValueSlot* slot) {
  if (slot->length == SQL_NULL_DATA || slot->length < 0) return BCV_OK;
  switch (slot->layerType) {
    case BCV_CHAR:
      if (slot->length < slot->width) {
        memset(slot->data + slot->length, ' ', slot->width - slot->length);
        slot->length = slot->width;
      }
      return BCV_OK;
    case BCV_VARCHAR:
      if (slot->odbcType == SQL_CHAR)
        while (slot->length > 0 && slot->data[slot->length - 1] == ' ') slot->length--;
      return BCV_OK;
    case BCV_DECIMAL: {
      int32_t length = slot->length;
      short status = sqlTextToDecimal(reinterpret_cast<char*>(slot->data), slot->word, &length);
      if (status) return status;
      slot->length = length;
      return BCV_OK;
    }
    case BCV_DATETIME: {
      if (slot->width < static_cast<int32_t>(BCV_DATETIME_LENGTH)) return BCV_OK;
      TIMESTAMP_STRUCT ts;
      memcpy(&ts, slot->data, sizeof ts);
      sqlTimestampToText(&ts, slot->odbcType == SQL_TIME, reinterpret_cast<char*>(slot->data));
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

uint8_t* sqlConvReserve(SqlConvChain* chain, uint16_t size, uint16_t align) {
  if (size > sizeof(SqlConvBlock::data) || align == 0) return nullptr;
  if (chain->current) {
    SqlConvBlock* b = chain->blocks[chain->current - 1];
    uint16_t at = static_cast<uint16_t>((b->used + align - 1) / align * align);
    if (at + size <= sizeof b->data) {
      b->used = static_cast<uint16_t>(at + size);
      return b->data + at;
    }
  }
  // Values already handed out stay where they are: only the table of blocks grows.
  if (chain->count == chain->capacity) {
    uint32_t capacity = chain->capacity ? chain->capacity * 2 : 4;
    void* grown = realloc(chain->blocks, capacity * sizeof(SqlConvBlock*));
    if (!grown) return nullptr;
    chain->blocks = static_cast<SqlConvBlock**>(grown);
    chain->capacity = capacity;
  }
  SqlConvBlock* b = static_cast<SqlConvBlock*>(calloc(1, sizeof(SqlConvBlock)));
  if (!b) return nullptr;
  chain->blocks[chain->count++] = b;
  if (chain->current) chain->blocks[chain->current - 1]->next = chain->count;
  chain->current = chain->count;
  b->used = size;
  return b->data;
}

void sqlConvFree(SqlConvChain* chain) {
  for (uint32_t i = 0; i < chain->count; i++) free(chain->blocks[i]);
  free(chain->blocks);
  *chain = SqlConvChain{};
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
      *size = static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(scale)) << 16) |
                                   (static_cast<uint32_t>(precision) & 0xFFFF));
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
