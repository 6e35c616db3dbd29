// The fixed maps between the engine's value types, ODBC SQL types and ODBC buffer types;
// the sizes and lengths used when binding; packed decimal <-> text, date/time text <->
// the ODBC timestamp structure; normalising fetched values; the conversion blocks that
// hold converted parameter values; and the API's type codes of columns.
#pragma once

#include "dbsql/bcvconvert.h"
#include "dbsql/jxsql04_api.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <stdint.h>

struct cmgInfo;

// The ODBC timestamp structure as drivers read it: 16 bytes on both builds.
static_assert(sizeof(TIMESTAMP_STRUCT) == 16, "timestamp structure is 16 bytes");
static_assert(sizeof(DATE_STRUCT) == 6 && sizeof(TIME_STRUCT) == 6, "date and time are 6 bytes");

// API type codes of columns.
enum SqlApiType : uint16_t {
  API_CHAR = 1,
  API_VARCHAR = 2,
  API_DECIMAL = 3,
  API_LONG = 4,
  API_SHORT = 5,
  API_FLOAT = 6,
  API_DOUBLE = 7,
  API_DATETIME = 8,
  API_LONGVARCHAR = 100,
  API_BINARY = 101,
  API_VARBINARY = 102,
  API_LONGVARBINARY = 103,
  API_BIGINT = 108,
  API_TINYINT = 109,
  API_BIT = 110,
  API_DATE = 111,
  API_TIME = 112,
  API_UNKNOWN = 32767
};

// What a parameter of a value type is bound with.
struct SqlLayerBinding {
  int16_t cType;      // ODBC buffer type
  int16_t sqlType;    // ODBC SQL type
  int32_t precision;  // default precision; 32767 when there is none
};

// The shape of a column as the maps need it.
struct SqlColumnShape {
  int16_t odbcType;
  int16_t scale;
  int32_t length;  // width of character and binary columns, of date/time text
  int32_t precision;
};

// A fetched value of a column, normalised in place.
struct SqlValueSlot {
  uint16_t layerType;  // BcvType
  int16_t odbcType;
  int32_t word;    // length word (decimals: precision and scale; date/time: see bcvconvert.h)
  int32_t width;   // bytes the buffer holds for the value (a terminator's byte not counted)
  int32_t length;  // SQL_NULL_DATA for NULL; SQL_NO_TOTAL or above width when cut
  uint8_t* data;
  int16_t cType;  // buffer type it was fetched with; 0: the timestamp-only map's
};

// A value as it is passed to the driver as a statement parameter.
struct SqlParamValue {
  const void* data;  // null for NULL
  int32_t length;    // the length argument: SQL_NTS, 6, 16, the value's length or NULL
  int16_t cType;     // buffer type
  int16_t sqlType;   // the column's SQL type
};

// A block of converted parameter values: 46 bytes on both builds. Blocks are chained
// by their number in the owning chain (1-based; 0 ends the chain), not by address, so
// that the layout does not depend on the width of a pointer. A block's data starts on
// an 8-byte boundary in memory; a value longer than 40 bytes gets a longer block of
// its own.
#pragma pack(push, 1)
struct SqlConvBlock {
  uint16_t used;
  uint32_t next;
  uint8_t data[40];
};
#pragma pack(pop)
static_assert(sizeof(SqlConvBlock) == 46, "conversion blocks are 46 bytes");

// The chain of conversion blocks of one statement; freed as a whole.
struct SqlConvChain {
  SqlConvBlock** blocks;  // block n is *blocks[n - 1]; blocks never move
  uint32_t count;
  uint32_t capacity;
  uint32_t current;  // number of the block being filled, 0 before the first
};

extern "C" {

JXSQL04_API uint16_t sqlODBCtoSQLdatatype(int16_t odbcType);
// Buffer type a column of the SQL type is fetched and passed with; 32767 when unknown.
JXSQL04_API int16_t sqlBindCType(int16_t odbcType);
JXSQL04_API int16_t sqlParamCType(int16_t odbcType);
// The variant where only timestamps are handled: dates and times become timestamps.
JXSQL04_API int16_t sqlTimestampCType(int16_t odbcType);
// Buffer type, SQL type and default precision of a value type; false when unknown.
JXSQL04_API int sqlLayerBinding(uint16_t layerType, SqlLayerBinding* out);
JXSQL04_API int32_t sqlfldtoODBCprecision(const SqlColumnShape* column);
JXSQL04_API int32_t sqlColumnBufferLength(const SqlColumnShape* column);
// Length passed with a parameter value of the SQL type.
JXSQL04_API int32_t sqlParamLength(int16_t odbcType, int32_t valueLength);

// Packed decimal to text with its terminator into out (outSize bytes); answers the
// length counting the terminator, or 0 with 3528/3529 (or 2109 when the text does not
// fit: precision + 4 bytes always do) in the error list.
JXSQL04_API int32_t sqlDecimalToText(const uint8_t* value, int32_t word, char* out, int32_t outSize);
// Text to packed decimal in place (bcvNumberTextToDecimal: rounded half up at the
// scale); *length in: the text's length, out: the byte count. Too many integer digits
// is 3512, anything but a number 3525, a buffer shorter than the packed value 2109; the
// buffer is then unchanged.
JXSQL04_API short sqlTextToDecimal(char* buffer, int32_t bufferSize, int32_t word, int32_t* length);
// Date/time text to timestamp; the high half of the word is where the significant part
// starts (10 or more: time only). Answers 0 or 3515-3521.
JXSQL04_API short sqlTextToTimestamp(const char* text, int32_t length, int32_t word, TIMESTAMP_STRUCT* out);
// Timestamp to the 26 characters (no terminator); time only gives date 0000-00-00.
// A part outside its places (year 0-9999, month 0-12, day 0-31, hour 0-23, minute and
// second 0-59, fraction below 10^9) is 3515-3521 and nothing is written.
JXSQL04_API short sqlTimestampToText(const TIMESTAMP_STRUCT* in, int timeOnly, char* out26);
// Normalises one fetched value and every value of a row (NULL untouched; fixed
// character padded to the width; variable character of an SQL_CHAR column trimmed;
// decimal text packed; a fetched date, time or timestamp structure made text); a value
// the driver cut to its buffer keeps the buffer's bytes. Answers 0 or a message id (the
// row: the first), with the message in the error list.
JXSQL04_API short sqlNormaliseValue(SqlValueSlot* slot);
JXSQL04_API short sqlNormaliseRow(SqlValueSlot* slots, uint16_t count);

// Room for `size` bytes aligned to `align` (1, 2, 4 or 8) in the chain's current block,
// starting a new block when it does not fit; null when memory fails (30190 in the error
// list) or the alignment is not one of those.
JXSQL04_API uint8_t* sqlConvReserve(SqlConvChain* chain, uint16_t size, uint16_t align);
JXSQL04_API void sqlConvFree(SqlConvChain* chain);
// The parameter form of a column's stored value (locking and re-reading statements):
// a decimal of a numeric SQL type as text with SQL_NTS, the date/time text of a date
// or time SQL type as a timestamp structure (4-aligned; dates its first 6 bytes, times
// the 6 from the hour), other values their stored bytes. Converted values live in the
// chain until it is freed. Answers 0 or a message id (out untouched).
JXSQL04_API short sqlParamColumnValue(SqlConvChain* chain, const SqlValueSlot* value, SqlParamValue* out);

// API type code of a column.
JXSQL04_API uint16_t sqlDBColType(const cmgInfo* env, int16_t odbcType, uint16_t driverKind,
                                  uint16_t layerType, const char* typeName);
JXSQL04_API short sqlGetXferType_Length(const cmgInfo* env, uint16_t driverKind, int16_t odbcType,
                                        const char* typeName, int32_t length, int32_t precision,
                                        int16_t scale, uint16_t* layerType, int32_t* size);

}  // extern "C"
