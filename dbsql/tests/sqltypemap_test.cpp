// The type maps row by row against the ODBC 2 constants, binding sizes, decimal text,
// timestamps, normalising, the conversion block chain and the API type codes.
#include "dbsql/sqltypemap.h"
#include "dbsql/sqlengine.h"
#include "guarded_buffer.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(TypeMaps, SqlTypesToLayerAndBufferTypes) {
  struct Case {
    int16_t odbc;
    uint16_t layer;
    int16_t bind, timestampOnly;
    int16_t apiRevision2;
  } cases[] = {
      {SQL_BIT, 5, SQL_C_SHORT, SQL_C_SHORT, 110},
      {SQL_TINYINT, 5, SQL_C_SHORT, SQL_C_SHORT, 109},
      {SQL_SMALLINT, 5, SQL_C_SHORT, SQL_C_SHORT, 5},
      {SQL_BIGINT, 3, SQL_C_CHAR, SQL_C_CHAR, 108},
      {SQL_NUMERIC, 3, SQL_C_CHAR, SQL_C_CHAR, 3},
      {SQL_DECIMAL, 3, SQL_C_CHAR, SQL_C_CHAR, 3},
      {SQL_LONGVARBINARY, 2, SQL_C_BINARY, SQL_C_BINARY, 103},
      {SQL_VARBINARY, 2, SQL_C_BINARY, SQL_C_BINARY, 102},
      {SQL_LONGVARCHAR, 2, SQL_C_CHAR, SQL_C_CHAR, 100},
      {SQL_VARCHAR, 2, SQL_C_CHAR, SQL_C_CHAR, 2},
      {SQL_BINARY, 1, SQL_C_BINARY, SQL_C_BINARY, 101},
      {SQL_CHAR, 1, SQL_C_CHAR, SQL_C_CHAR, 1},
      {SQL_INTEGER, 4, SQL_C_LONG, SQL_C_LONG, 4},
      {SQL_FLOAT, 7, SQL_C_DOUBLE, SQL_C_DOUBLE, 7},
      {SQL_DOUBLE, 7, SQL_C_DOUBLE, SQL_C_DOUBLE, 7},
      {SQL_REAL, 6, SQL_C_FLOAT, SQL_C_FLOAT, 6},
      {SQL_DATE, 8, SQL_C_DATE, SQL_C_TIMESTAMP, 111},
      {SQL_TIME, 8, SQL_C_TIME, SQL_C_TIMESTAMP, 112},
      {SQL_TIMESTAMP, 8, SQL_C_TIMESTAMP, SQL_C_TIMESTAMP, 8},
      {0, 32767, 32767, 32767, 32767},
      {99, 32767, 32767, 32767, 32767},
  };
  cmgInfo env = {};
  env.revision = 2;
  for (const Case& c : cases) {
    EXPECT_EQ(sqlODBCtoSQLdatatype(c.odbc), c.layer) << c.odbc;
    EXPECT_EQ(sqlBindCType(c.odbc), c.bind) << c.odbc;
    EXPECT_EQ(sqlParamCType(c.odbc), c.bind) << c.odbc;
    EXPECT_EQ(sqlTimestampCType(c.odbc), c.timestampOnly) << c.odbc;
    EXPECT_EQ(sqlDBColType(&env, c.odbc, 3, c.layer, ""), c.apiRevision2) << c.odbc;
  }
}

TEST(TypeMaps, LayerTypesToParameterBindings) {
  struct Case {
    uint16_t layer;
    int16_t cType, sqlType;
    int32_t precision;
  } cases[] = {
      {1, SQL_C_CHAR, SQL_VARCHAR, 65023},
      {2, SQL_C_CHAR, SQL_VARCHAR, 65023},
      {3, SQL_C_CHAR, SQL_VARCHAR, 32767},
      {4, SQL_C_LONG, SQL_INTEGER, 10},
      {5, SQL_C_SHORT, SQL_SMALLINT, 5},
      {6, SQL_C_FLOAT, SQL_REAL, 7},
      {7, SQL_C_DOUBLE, SQL_DOUBLE, 15},
      {8, SQL_C_TIMESTAMP, SQL_TIMESTAMP, 32767},
      {101, SQL_C_BINARY, SQL_VARBINARY, 65023},
      {111, SQL_C_DATE, SQL_DATE, 10},
      {112, SQL_C_TIME, SQL_TIME, 8},
  };
  for (const Case& c : cases) {
    SqlLayerBinding b;
    EXPECT_EQ(sqlLayerBinding(c.layer, &b), 1);
    EXPECT_EQ(b.cType, c.cType) << c.layer;
    EXPECT_EQ(b.sqlType, c.sqlType) << c.layer;
    EXPECT_EQ(b.precision, c.precision) << c.layer;
  }
  SqlLayerBinding b;
  EXPECT_EQ(sqlLayerBinding(9, &b), 0);
  EXPECT_EQ(b.cType, 32767);
}

TEST(TypeMaps, PrecisionsBufferSizesAndParameterLengths) {
  struct Case {
    SqlColumnShape column;
    int32_t precision, buffer, paramLength;  // parameter length of a 7-byte value
  } cases[] = {
      {{SQL_BIT, 0, 1, 1}, 1, 2, 7},  // fetched as a 16-bit integer: two bytes
      {{SQL_TINYINT, 0, 1, 3}, 3, 2, 7},
      {{SQL_INTEGER, 0, 1, 10}, 10, 4, 7},
      {{SQL_DOUBLE, 0, 1, 15}, 15, 8, 7},
      {{SQL_SMALLINT, 0, 2, 5}, 5, 2, 7},
      {{SQL_INTEGER, 0, 4, 10}, 10, 4, 7},
      {{SQL_BIGINT, 0, 20, 19}, 19, 22, SQL_NTS},
      {{SQL_DECIMAL, 2, 7, 7}, 7, 10, SQL_NTS},
      {{SQL_NUMERIC, 2, 8, 8}, 8, 12, SQL_NTS},   // 8 made odd is 9
      {{SQL_NUMERIC, -2, 5, 5}, 5, 10, SQL_NTS},  // 5 + 2 + 3
      {{SQL_NUMERIC, 9, 3, 3}, 3, 12, SQL_NTS},   // the scale is larger
      {{SQL_CHAR, 0, 10, 10}, 10, 11, 7},
      {{SQL_VARCHAR, 0, 255, 255}, 255, 256, 7},
      {{SQL_LONGVARCHAR, 0, 1000, 1000}, 1000, 1001, 7},
      {{SQL_BINARY, 0, 16, 16}, 16, 16, 7},
      {{SQL_VARBINARY, 0, 16, 16}, 16, 16, 7},
      {{SQL_FLOAT, 0, 8, 15}, 15, 8, 7},
      {{SQL_DOUBLE, 0, 8, 15}, 15, 8, 7},
      {{SQL_REAL, 0, 4, 7}, 7, 4, 7},
      {{SQL_DATE, 0, 10, 10}, 11, 16, 6},
      {{SQL_TIME, 0, 8, 8}, 8, 16, 6},
      {{SQL_TIMESTAMP, 0, 26, 26}, 27, 16, 16},
      {{99, 0, 3, 3}, 0, 3, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sqlfldtoODBCprecision(&c.column), c.precision) << c.column.odbcType;
    EXPECT_EQ(sqlColumnBufferLength(&c.column), c.buffer) << c.column.odbcType;
    EXPECT_EQ(sqlParamLength(c.column.odbcType, 7), c.paramLength) << c.column.odbcType;
    EXPECT_EQ(sqlParamLength(c.column.odbcType, SQL_NULL_DATA), SQL_NULL_DATA);
    EXPECT_EQ(sqlParamLength(c.column.odbcType, 0), 0);
  }
}

TEST(DecimalText, BothWays) {
  struct Case {
    Bytes bytes;
    int precision, scale;
    const char* text;
  } cases[] = {
      {{0x12, 0x34, 0x5C}, 5, 2, "123.45"}, {{0x00, 0x00, 0x5C}, 5, 2, "0.05"},
      {{0x00, 0x00, 0x0C}, 5, 2, "0"},      {{0x00, 0x00, 0x0D}, 5, 2, "0"},
      {{0x01, 0x5D}, 3, 1, "-1.5"},         {{0x12, 0x34, 0x5D}, 5, 0, "-12345"},
      {{0x12, 0x30, 0x0C}, 3, -2, "12300"},  // five digits: the scale was folded
      {{0x12, 0x3C}, 2, 3, "0.123"},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    char text[40];
    int32_t n = sqlDecimalToText(c.bytes.data(), bcvDecimalWord(c.precision, c.scale), text, sizeof text);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(n, static_cast<int32_t>(strlen(c.text) + 1));
    if (!strcmp(c.text, "0") && c.bytes.back() == 0x0D) continue;
    char buffer[40];
    strcpy(buffer, c.text);
    int32_t length = static_cast<int32_t>(strlen(buffer));
    ASSERT_EQ(sqlTextToDecimal(buffer, sizeof buffer, bcvDecimalWord(c.precision, c.scale), &length), 0)
        << c.text;
    EXPECT_EQ(Bytes(buffer, buffer + length), c.bytes) << c.text;
  }
  struct Packing {
    const char* text;
    int precision, scale;
    short status;
    Bytes bytes;
  } packing[] = {
      {"  -007.5", 3, 1, 0, {0x07, 0x5D}},
      {"+1.994", 4, 2, 0, {0x00, 0x19, 0x9C}},  // fraction digits beyond the scale go
      {"+1.995", 4, 2, 0, {0x00, 0x20, 0x0C}},  // rounded half up at the scale
      {"12345.6", 5, 2, 3512, {}},              // refused, not 345.60
      {"12a", 5, 2, 3525, {}},
      {"", 3, 0, 0, {0x00, 0x0C}},
  };
  for (const Packing& c : packing) {
    ThreadErrors errors;
    char buffer[40];
    strcpy(buffer, c.text);
    int32_t length = static_cast<int32_t>(strlen(buffer));
    EXPECT_EQ(sqlTextToDecimal(buffer, sizeof buffer, bcvDecimalWord(c.precision, c.scale), &length),
              c.status)
        << c.text;
    if (c.status == 0)
      EXPECT_EQ(Bytes(buffer, buffer + length), c.bytes) << c.text;
    else {
      EXPECT_STREQ(buffer, c.text);
      EXPECT_EQ(errors.last(), c.status);
    }
  }
}

TEST(Timestamps, TextToStructure) {
  struct Case {
    const char* text;
    int start;
    short status;
    TIMESTAMP_STRUCT ts;
  } cases[] = {
      {"2000-02-29 12:34:56.123456", 0, 0, {2000, 2, 29, 12, 34, 56, 123456000}},
      {"1900-02-29 00:00:00.000000", 0, 3517, {}},
      {"2000-02-30", 0, 3517, {}},
      {"2000-04-31", 0, 3517, {}},
      {"2000-13-01", 0, 3516, {}},
      {"0000-01-01", 0, 3515, {}},
      {"2000-01-01 24:00:00", 0, 3518, {}},
      {"2000-01-01 23:60:00", 0, 3519, {}},
      {"2000-01-01 23:00:60", 0, 3520, {}},
      {"2000-01-01 23:00:00.1x", 0, 3521, {}},
      {"2000-01-01 23:00:00.5", 0, 0, {2000, 1, 1, 23, 0, 0, 500000000}},
      {"2000-01-01 23:00:00.05", 0, 0, {2000, 1, 1, 23, 0, 0, 50000000}},
      {"2000-01-01", 0, 0, {2000, 1, 1, 0, 0, 0, 0}},
      // A time value: the date part is not checked.
      {"0000-00-00 10:20:30.000000", 11, 0, {0, 0, 0, 10, 20, 30, 0}},
      {"0000-00-00 25:20:30.000000", 11, 3518, {}},
      // A significant start at the month checks month and day only.
      {"0000-02-29 00:00:00", 5, 0, {0, 2, 29, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    TIMESTAMP_STRUCT ts = {1, 1, 1, 1, 1, 1, 1};
    TIMESTAMP_STRUCT before = ts;
    int32_t word = (c.start << 16) | 25;
    EXPECT_EQ(sqlTextToTimestamp(c.text, static_cast<int32_t>(strlen(c.text)), word, &ts), c.status)
        << c.text;
    const TIMESTAMP_STRUCT& want = c.status ? before : c.ts;
    EXPECT_EQ(memcmp(&ts, &want, sizeof ts), 0) << c.text;
    if (c.status) {
      EXPECT_EQ(errors.last(), c.status);
    }
  }
}

TEST(Timestamps, StructureToText) {
  struct Case {
    TIMESTAMP_STRUCT ts;
    int timeOnly;
    const char* text;
  } cases[] = {
      {{2000, 2, 29, 12, 34, 56, 123456789}, 0, "2000-02-29 12:34:56.123456"},
      {{1, 1, 1, 0, 0, 0, 0}, 0, "0001-01-01 00:00:00.000000"},
      {{2000, 2, 29, 7, 8, 9, 1000}, 1, "0000-00-00 07:08:09.000001"},
  };
  for (const Case& c : cases) {
    char out[27] = {};
    EXPECT_EQ(sqlTimestampToText(&c.ts, c.timeOnly, out), 0);
    EXPECT_STREQ(out, c.text);
  }
}

TEST(Normalising, EachLayerType) {
  ThreadErrors errors;
  uint8_t fixed[8] = {'a', 'b'}, variable[8] = {'x', 'y', ' ', ' '}, keep[8] = {'x', ' '};
  uint8_t dec[8] = {'-', '1', '.', '5'}, null[8] = {'q'};
  TIMESTAMP_STRUCT ts = {2000, 2, 29, 12, 0, 0, 0}, time = {0, 0, 0, 6, 30, 0, 0};
  uint8_t stamp[32], timeBuf[32];
  memcpy(stamp, &ts, sizeof ts);
  memcpy(timeBuf, &time, sizeof time);
  SqlValueSlot row[] = {
      {BCV_CHAR, SQL_CHAR, 5, 5, 2, fixed},
      {BCV_VARCHAR, SQL_CHAR, 8, 8, 4, variable},
      {BCV_VARCHAR, SQL_VARCHAR, 8, 8, 2, keep},
      {BCV_DECIMAL, SQL_DECIMAL, bcvDecimalWord(3, 1), 8, 4, dec},
      {BCV_DATETIME, SQL_TIMESTAMP, 26, 32, 16, stamp},
      {BCV_DATETIME, SQL_TIME, 26, 32, 16, timeBuf},
      {BCV_CHAR, SQL_CHAR, 5, 5, SQL_NULL_DATA, null},
  };
  EXPECT_EQ(sqlNormaliseRow(row, 7), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(fixed), row[0].length), "ab   ");
  EXPECT_EQ(row[1].length, 2);
  EXPECT_EQ(row[2].length, 2);
  EXPECT_EQ(Bytes(dec, dec + row[3].length), (Bytes{0x01, 0x5D}));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(stamp), row[4].length), "2000-02-29 12:00:00.000000");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(timeBuf), row[5].length), "0000-00-00 06:30:00.000000");
  EXPECT_EQ(row[6].length, SQL_NULL_DATA);
  EXPECT_EQ(null[0], 'q');
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(ConversionBlocks, ChainGrowsInFortyByteBlocks) {
  SqlConvChain chain = {};
  uint8_t* a = sqlConvReserve(&chain, 7, 1);   // block 1, bytes 0-6
  uint8_t* b = sqlConvReserve(&chain, 16, 4);  // aligned to 8, bytes 8-23
  uint8_t* c = sqlConvReserve(&chain, 16, 4);  // bytes 24-39: fills block 1
  uint8_t* d = sqlConvReserve(&chain, 1, 1);   // block 2
  ASSERT_TRUE(a && b && c && d);
  EXPECT_EQ(chain.count, 2u);
  EXPECT_EQ(b - a, 8);
  EXPECT_EQ(c - a, 24);
  EXPECT_EQ(chain.blocks[0]->used, 40);
  EXPECT_EQ(chain.blocks[0]->next, 2u);
  EXPECT_EQ(chain.blocks[1]->next, 0u);
  memset(a, 0x11, 7);
  for (int i = 0; i < 20; i++) ASSERT_NE(sqlConvReserve(&chain, 40, 4), nullptr);
  EXPECT_EQ(chain.count, 22u);
  EXPECT_EQ(a[6], 0x11);  // earlier values stay where they were handed out
  // A value longer than a block's data gets a block of its own, as long as the value.
  uint8_t* wide = sqlConvReserve(&chain, 41, 1);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(chain.count, 23u);
  EXPECT_EQ(chain.blocks[22]->used, 41);
  memset(wide, 0x22, 41);
  EXPECT_EQ(sqlConvReserve(&chain, 4, 3), nullptr);  // alignments are powers of two up to 8
  EXPECT_EQ(sqlConvReserve(&chain, 4, 16), nullptr);
  sqlConvFree(&chain);
  EXPECT_EQ(chain.count, 0u);
  EXPECT_EQ(chain.blocks, nullptr);
}

TEST(ApiTypeCodes, RevisionOneTablesAndTransferSizes) {
  cmgInfo env = {};
  env.revision = 1;
  struct Case {
    uint16_t kind, layer;
    const char* name;
    uint16_t code;
  } cases[] = {
      {3, 2, "", 2},
      {3, 3, "", 3},
      {3, 7, "", 7},
      {3, 8, "", 111},
      {3, 4, "", 32767},
      {4, 2, "MEMO", 100},
      {4, 2, "memo", 100},
      {4, 2, "CHAR EXPR", 2},
      {4, 2, "TEXT", 32767},
      {4, 3, "FLOAT", 1000},
      {4, 3, "DECIMAL", 32767},
      {19, 2, "", 32767},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sqlDBColType(&env, SQL_VARCHAR, c.kind, c.layer, c.name), c.code) << c.kind << c.name;
  env.revision = 2;
  EXPECT_EQ(sqlDBColType(&env, 99, 4, 2, "MEMO"), 100);  // unknown SQL types go on to the table

  struct Xfer {
    int16_t odbc;
    int32_t length, precision;
    int16_t scale;
    uint16_t layer;
    int32_t size;
  } xfer[] = {
      {SQL_CHAR, 10, 10, 0, 1, 10},      {SQL_INTEGER, 4, 10, 0, 4, 4},
      {SQL_DOUBLE, 8, 15, 0, 7, 8},      {SQL_DECIMAL, 9, 7, 2, 3, (2 << 16) + 7},
      {SQL_DATE, 10, 10, 0, 8, 9},       {SQL_TIME, 8, 8, 0, 8, (11 << 16) + 18},
      {SQL_TIMESTAMP, 26, 26, 0, 8, 25},
  };
  for (const Xfer& x : xfer) {
    uint16_t layer = 0;
    int32_t size = -7;
    EXPECT_EQ(sqlGetXferType_Length(&env, 3, x.odbc, "", x.length, x.precision, x.scale, &layer, &size), 0);
    EXPECT_EQ(layer, x.layer) << x.odbc;
    EXPECT_EQ(size, x.size) << x.odbc;
  }
  uint16_t layer = 0;
  int32_t size = -7;
  sqlGetXferType_Length(&env, 3, SQL_BINARY - 100, "", 1, 1, 0, &layer, &size);
  EXPECT_EQ(layer, 32767);
  EXPECT_EQ(size, -7);  // unset
}

// Decimal -> text -> decimal is an identity, with a fixed seed.
TEST(DecimalText, RoundTripProperty) {
  ThreadErrors errors;
  uint32_t state = 20261210;
  for (int i = 0; i < 2000; i++) {
    state = state * 1103515245u + 12345u;
    int precision = 1 + (state >> 8) % 18;
    int scale = static_cast<int>((state >> 16) % 23) - 4;  // -4 .. 18
    BcvDecimalShape shape = bcvDecimalShape(bcvDecimalWord(precision, scale));
    uint8_t value[16] = {};
    uint32_t digits = state;
    for (int k = 0; k < shape.precision; k++) {
      digits = digits * 1664525u + 1013904223u;
      int n = k + (shape.bytes() * 2 - 1 - shape.precision);
      value[n / 2] |= static_cast<uint8_t>(((digits >> 24) % 10) << ((n % 2) ? 0 : 4));
    }
    value[shape.bytes() - 1] |= (state & 1) ? BCV_MINUS : BCV_PLUS;
    bool zero = true;
    for (int k = 0; k < shape.bytes(); k++)
      zero = zero && (value[k] & (k + 1 == shape.bytes() ? 0xF0 : 0xFF)) == 0;
    if (zero) value[shape.bytes() - 1] = (value[shape.bytes() - 1] & 0xF0) | BCV_PLUS;
    char text[64];
    int32_t n = sqlDecimalToText(value, bcvDecimalWord(precision, scale), text, sizeof text);
    ASSERT_GT(n, 0);
    int32_t length = n - 1;
    ASSERT_EQ(sqlTextToDecimal(text, sizeof text, bcvDecimalWord(precision, scale), &length), 0) << text;
    ASSERT_EQ(length, shape.bytes());
    EXPECT_EQ(memcmp(text, value, length), 0) << precision << " " << scale;
  }
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(DecimalText, BuffersAreKept) {
  ThreadErrors errors;
  const uint8_t value[] = {0x12, 0x34, 0x5D};
  GuardedBuffer small(7), exact(8);
  memset(small.data(), 'x', 7);
  EXPECT_EQ(sqlDecimalToText(value, bcvDecimalWord(5, 2), small.text(), 7), 0);
  EXPECT_EQ(std::string(small.text(), 7), "xxxxxxx");
  EXPECT_EQ(errors.last(), 2109);
  EXPECT_EQ(errors.lastText(), "decimal text: the text needs 8 bytes but the buffer holds 7.");
  EXPECT_EQ(sqlDecimalToText(value, bcvDecimalWord(5, 2), exact.text(), 8), 8);
  EXPECT_STREQ(exact.text(), "-123.45");
  // Six hundred digits: wider than any fixed digit array of the layer.
  int32_t word = bcvDecimalWord(600, 2);
  std::vector<uint8_t> wide(bcvmaxlen(BCV_DECIMAL, word, 0), 0x11);
  wide.front() = 0x01;  // an even precision: the first nibble is the pad
  wide.back() = 0x1C;
  std::vector<char> text(604);
  ASSERT_EQ(sqlDecimalToText(wide.data(), word, text.data(), 604), 602);
  EXPECT_EQ(std::string(text.data()), std::string(598, '1') + ".11");
  int32_t length = 601;
  ASSERT_EQ(sqlTextToDecimal(text.data(), 604, word, &length), 0);
  EXPECT_EQ(length, 301);
  EXPECT_EQ(memcmp(text.data(), wide.data(), 301), 0);
  // The packed value must fit the buffer it replaces: 3 bytes into 2 is refused.
  errors.clear();
  GuardedBuffer tiny("7", 1);
  length = 1;
  EXPECT_EQ(sqlTextToDecimal(tiny.text(), 1, bcvDecimalWord(5, 2), &length), 2109);
  EXPECT_EQ(tiny.text()[0], '7');
  EXPECT_EQ(length, 1);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{2109});
}

TEST(Timestamps, StructuresOutsideTheirPlacesAreRefused) {
  struct Case {
    TIMESTAMP_STRUCT ts;
    int timeOnly;
    short status;
  } cases[] = {
      {{10000, 1, 1, 0, 0, 0, 0}, 0, 3515},  {{-1, 1, 1, 0, 0, 0, 0}, 0, 3515},
      {{2000, 13, 1, 0, 0, 0, 0}, 0, 3516},  {{2000, 1, 32, 0, 0, 0, 0}, 0, 3517},
      {{2000, 1, 1, 24, 0, 0, 0}, 0, 3518},  {{2000, 1, 1, 0, 60, 0, 0}, 0, 3519},
      {{2000, 1, 1, 0, 0, 60, 0}, 0, 3520},  {{2000, 1, 1, 0, 0, 0, 1000000000}, 0, 3521},
      {{10000, 13, 32, 1, 2, 3, 0}, 1, 0},  // a time: the date is not its own
      {{0, 0, 0, 0, 0, 0, 999999999}, 0, 0},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    char out[27] = "untouched";
    EXPECT_EQ(sqlTimestampToText(&c.ts, c.timeOnly, out), c.status) << c.ts.year;
    if (c.status) {
      EXPECT_STREQ(out, "untouched");
      EXPECT_EQ(errors.last(), c.status);
    } else {
      EXPECT_EQ(strlen(out), 26u);
    }
  }
}

TEST(Normalising, CutValuesAndBufferTypes) {
  ThreadErrors errors;
  uint8_t cut[8] = {'a', 'b', 'c', 'd', 'e'}, blanks[8] = {'a', 'b', ' ', ' '}, dec[4] = {'1', '2', '3', '4'};
  uint8_t small[16] = {}, date[32] = {}, time[32] = {}, bad[32] = {}, shortStamp[32] = {};
  DATE_STRUCT d = {1999, 7, 4};
  TIME_STRUCT t = {12, 30, 15};
  TIMESTAMP_STRUCT wrong = {2000, 13, 1, 0, 0, 0, 0};
  memcpy(date, &d, sizeof d);
  memcpy(time, &t, sizeof t);
  memcpy(bad, &wrong, sizeof wrong);
  SqlValueSlot row[] = {
      {BCV_CHAR, SQL_CHAR, 4, 4, 9, cut, 0},                           // cut by the driver
      {BCV_VARCHAR, SQL_CHAR, 4, 4, SQL_NO_TOTAL, blanks, 0},          // cut, then trimmed
      {BCV_DECIMAL, SQL_DECIMAL, bcvDecimalWord(5, 0), 4, 6, dec, 0},  // a number cut
      {BCV_DATETIME, SQL_TIMESTAMP, 25, 16, 16, small, 0},             // no room for the text
      {BCV_DATETIME, SQL_DATE, 9, 32, 6, date, SQL_C_DATE},
      {BCV_DATETIME, SQL_TIME, (11 << 16) + 18, 32, 6, time, SQL_C_TIME},
      {BCV_DATETIME, SQL_TIMESTAMP, 25, 32, 16, bad, 0},
      {BCV_DATETIME, SQL_TIMESTAMP, 25, 32, 6, shortStamp, SQL_C_TIMESTAMP},
  };
  EXPECT_EQ(sqlNormaliseRow(row, 8), 2109);
  EXPECT_EQ(row[0].length, 4);
  EXPECT_EQ(row[1].length, 2);
  EXPECT_EQ(row[2].length, 6);
  EXPECT_EQ(memcmp(dec, "1234", 4), 0);
  EXPECT_EQ(row[3].length, 16);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(date), row[4].length), "1999-07-04 00:00:00.000000");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(time), row[5].length), "0000-00-00 12:30:15.000000");
  EXPECT_EQ(row[6].length, 16);
  EXPECT_EQ(memcmp(bad, &wrong, sizeof wrong), 0);
  EXPECT_EQ(row[7].length, 6);
  EXPECT_EQ(errors.numbers(), (std::vector<unsigned short>{2109, 2109, 3516, 3509}));
}

TEST(ApiTypeCodes, NegativeScaleKeepsTheSignBitClear) {
  cmgInfo env = {};
  env.revision = 2;
  uint16_t layer = 0;
  int32_t size = 0;
  EXPECT_EQ(sqlGetXferType_Length(&env, 3, SQL_NUMERIC, "NUMERIC", 5, 5, -2, &layer, &size), 0);
  EXPECT_EQ(layer, BCV_DECIMAL);
  EXPECT_EQ(size, bcvDecimalWord(5, -2));
  EXPECT_EQ(static_cast<uint32_t>(size) & BCV_SIGN_ROOM, 0u);
  EXPECT_EQ(bcvDecimalShape(size).precision, 7);
  EXPECT_FALSE(bcvDecimalShape(size).signRoom);
}

TEST(ConversionBlocks, DataIsAlignedInMemory) {
  SqlConvChain chain = {};
  uint8_t* a = sqlConvReserve(&chain, 1, 1);
  uint8_t* b = sqlConvReserve(&chain, 16, 8);
  uint8_t* c = sqlConvReserve(&chain, 60, 4);  // a block of its own
  uint8_t* e = sqlConvReserve(&chain, 16, 4);  // and a new one after it
  ASSERT_TRUE(a && b && c && e);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 8, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(c) % 8, 0u);
  EXPECT_EQ(b - a, 8);
  EXPECT_EQ(chain.count, 3u);
  EXPECT_EQ(chain.blocks[0]->next, 2u);
  EXPECT_EQ(chain.blocks[1]->next, 3u);
  EXPECT_EQ(chain.blocks[1]->used, 60);
  EXPECT_EQ(e, chain.blocks[2]->data);
  memset(c, 0x33, 60);
  sqlConvFree(&chain);
}

// The parameter form of stored values, as locking and re-reading statements pass them.
TEST(ParameterValues, ByColumnType) {
  ThreadErrors errors;
  uint8_t dec[] = {0x12, 0x34, 0x5D}, chars[] = {'a', 'b', 'c'}, none[] = {0x0A, 0x00, 0x0C};
  char stamp[] = "2000-02-29 12:34:56.123456", day[] = "2000-02-29 00:00:00.000000";
  char clock[] = "0000-00-00 10:20:30.000000", badDay[] = "1900-02-29 00:00:00.000000";
  int32_t number = 77;
  SqlConvChain chain = {};
  struct Case {
    SqlValueSlot slot;
    short status;
    int16_t cType;
    int32_t length;
    const char* text;  // decimals: the text passed
    TIMESTAMP_STRUCT ts;
  } cases[] = {
      {{BCV_DECIMAL, SQL_DECIMAL, bcvDecimalWord(5, 2), 3, 3, dec, 0}, 0, SQL_C_CHAR, SQL_NTS, "-123.45", {}},
      {{BCV_DECIMAL, SQL_NUMERIC, bcvDecimalWord(5, 2), 3, 3, dec, 0}, 0, SQL_C_CHAR, SQL_NTS, "-123.45", {}},
      {{BCV_DECIMAL, SQL_BIGINT, bcvDecimalWord(5, 0), 3, 3, dec, 0}, 0, SQL_C_CHAR, SQL_NTS, "-12345", {}},
      {{BCV_DATETIME, SQL_TIMESTAMP, 25, 26, 26, reinterpret_cast<uint8_t*>(stamp), 0},
       0,
       SQL_C_TIMESTAMP,
       16,
       nullptr,
       {2000, 2, 29, 12, 34, 56, 123456000}},
      {{BCV_DATETIME, SQL_DATE, 9, 26, 26, reinterpret_cast<uint8_t*>(day), 0},
       0,
       SQL_C_DATE,
       6,
       nullptr,
       {2000, 2, 29, 0, 0, 0, 0}},
      {{BCV_DATETIME, SQL_TIME, (11 << 16) + 18, 26, 26, reinterpret_cast<uint8_t*>(clock), 0},
       0,
       SQL_C_TIME,
       6,
       nullptr,
       {0, 0, 0, 10, 20, 30, 0}},
      {{BCV_DATETIME, SQL_DATE, 9, 26, 26, reinterpret_cast<uint8_t*>(badDay), 0}, 3517, 0, 0, nullptr, {}},
      {{BCV_DECIMAL, SQL_DECIMAL, bcvDecimalWord(5, 2), 3, 3, none, 0}, 3528, 0, 0, nullptr, {}},
      {{BCV_DECIMAL, SQL_DECIMAL, bcvDecimalWord(7, 2), 3, 3, dec, 0}, 3508, 0, 0, nullptr, {}},  // 4 bytes
      {{BCV_CHAR, SQL_CHAR, 3, 3, 3, chars, 0}, 0, SQL_C_CHAR, 3, nullptr, {}},
      {{BCV_LONG, SQL_INTEGER, 4, 4, 4, reinterpret_cast<uint8_t*>(&number), 0},
       0,
       SQL_C_LONG,
       4,
       nullptr,
       {}},
      {{BCV_CHAR, SQL_CHAR, 3, 3, SQL_NULL_DATA, chars, 0}, 0, SQL_C_CHAR, SQL_NULL_DATA, nullptr, {}},
  };
  for (const Case& c : cases) {
    errors.clear();
    SqlParamValue p = {"untouched", -99, -99, -99};
    EXPECT_EQ(sqlParamColumnValue(&chain, &c.slot, &p), c.status) << c.slot.odbcType;
    if (c.status) {
      EXPECT_EQ(p.length, -99);
      EXPECT_EQ(errors.last(), c.status);
      continue;
    }
    EXPECT_EQ(p.cType, c.cType) << c.slot.odbcType;
    EXPECT_EQ(p.sqlType, c.slot.odbcType);
    EXPECT_EQ(p.length, c.length) << c.slot.odbcType;
    if (c.text) {
      EXPECT_STREQ(static_cast<const char*>(p.data), c.text);
    } else if (c.slot.layerType == BCV_DATETIME) {
      // The structure lives in the chain, 4-aligned; a time is passed from its hour.
      const uint8_t* at = static_cast<const uint8_t*>(p.data);
      if (c.slot.odbcType == SQL_TIME) at -= offsetof(TIMESTAMP_STRUCT, hour);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(at) % 4, 0u);
      TIMESTAMP_STRUCT got;
      memcpy(&got, at, sizeof got);
      EXPECT_EQ(memcmp(&got, &c.ts, sizeof got), 0) << c.slot.odbcType;
    } else if (c.slot.length == SQL_NULL_DATA) {
      EXPECT_EQ(p.data, nullptr);
    } else {
      EXPECT_EQ(p.data, c.slot.data);  // the stored bytes as they are
    }
  }
  // Three decimal texts of 10 bytes and three 16-byte timestamps: more than one block.
  EXPECT_GE(chain.count, 2u);
  sqlConvFree(&chain);
}

}  // namespace
