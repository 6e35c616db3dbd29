// The typed conversion core as tables of cases: packed layouts, the range checks and
// their messages in the thread's error list, rounding, day numbers, bcvmaxlen, hex text
// and the decimal check; and a seeded round-trip property test.
#include "dbsql/bcvconvert.h"
#include "guarded_buffer.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes toDec(int32_t word, const void* src, uint16_t type, int32_t srcWord, short* status,
            uint16_t srcLen = 0) {
  uint8_t out[140];
  memset(out, 0xEE, sizeof out);
  *status = bcvtodec(out, word, src, srcLen, type, srcWord);
  return Bytes(out, out + bcvDecimalShape(word).bytes());
}

TEST(DecimalLayout, PackedFromLongs) {
  struct Case {
    int32_t value;
    int precision, scale;
    bool signRoom;
    short status;
    Bytes bytes;
  } cases[] = {
      {12345, 5, 0, false, 0, {0x12, 0x34, 0x5C}},
      {-12345, 5, 0, false, 0, {0x12, 0x34, 0x5D}},
      {0, 3, 1, false, 0, {0x00, 0x0C}},
      {99999, 7, 2, false, 0, {0x99, 0x99, 0x90, 0x0C}},
      {100000, 7, 2, false, 3512, {}},
      {-99999, 7, 2, false, 0, {0x99, 0x99, 0x90, 0x0D}},
      // The sign rule: a negative value filling every integer place overflows.
      {-99999, 7, 2, true, 3512, {}},
      {99999, 7, 2, true, 0, {0x99, 0x99, 0x90, 0x0C}},
      {-9999, 7, 2, true, 0, {0x09, 0x99, 0x90, 0x0D}},
      {INT32_MIN, 10, 0, false, 0, {0x02, 0x14, 0x74, 0x83, 0x64, 0x8D}},
      {INT32_MIN, 9, 0, false, 3512, {}},
      {INT32_MAX, 10, 0, false, 0, {0x02, 0x14, 0x74, 0x83, 0x64, 0x7C}},
      // A negative scale is folded into the precision: p3 s-2 holds five digits.
      {12300, bcvDecimalShape(bcvDecimalWord(3, -2)).precision, 0, false, 0, {0x12, 0x30, 0x0C}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    short status;
    Bytes got = toDec(bcvDecimalWord(c.precision, c.scale, c.signRoom), &c.value, BCV_LONG, 0, &status);
    EXPECT_EQ(status, c.status) << c.value << " p" << c.precision;
    if (c.status == 0) {
      EXPECT_EQ(got, c.bytes) << c.value << " p" << c.precision;
      EXPECT_TRUE(errors.numbers().empty());
    } else {
      EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{3512});
    }
  }
  // Folding: the word p3 s-2 and the word p5 s0 give the same bytes.
  ThreadErrors errors;
  short status;
  int32_t v = 12300;
  EXPECT_EQ(toDec(bcvDecimalWord(3, -2), &v, BCV_LONG, 0, &status),
            toDec(bcvDecimalWord(5, 0), &v, BCV_LONG, 0, &status));
  int16_t s = -32768;
  EXPECT_EQ(toDec(bcvDecimalWord(5, 0), &s, BCV_SHORT, 0, &status), (Bytes{0x32, 0x76, 0x8D}));
  EXPECT_EQ(status, 0);
}

TEST(DecimalLayout, FromDoublesRoundHalfUp) {
  struct Case {
    double value;
    int precision, scale;
    short status;
    Bytes bytes;
  } cases[] = {
      {123.45, 5, 2, 0, {0x12, 0x34, 0x5C}},
      {-1.5, 3, 1, 0, {0x01, 0x5D}},
      {2.675, 5, 2, 0, {0x00, 0x26, 0x8C}},  // 2675000000000000 rounds up
      {-2.675, 5, 2, 0, {0x00, 0x26, 0x8D}},
      {999.995, 5, 2, 3512, {}},       // the carry adds an integer digit
      {99.5, 3, 0, 0, {0x10, 0x0C}},   // 100
      {0.004, 3, 2, 0, {0x00, 0x0C}},  // rounds to zero, positive sign
      {-0.004, 3, 2, 0, {0x00, 0x0C}},
      {0.005, 3, 2, 0, {0x00, 0x1C}},
      {1e20, 10, 0, 3512, {}},
      {1e-300, 4, 2, 0, {0x00, 0x00, 0x0C}},
      {HUGE_VAL, 4, 2, 3512, {}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    short status;
    Bytes got = toDec(bcvDecimalWord(c.precision, c.scale), &c.value, BCV_DOUBLE, 0, &status);
    EXPECT_EQ(status, c.status) << c.value;
    if (c.status == 0)
      EXPECT_EQ(got, c.bytes) << c.value;
    else
      EXPECT_EQ(errors.last(), c.status);
  }
  ThreadErrors errors;
  short status;
  float f = 2.5f;
  EXPECT_EQ(toDec(bcvDecimalWord(3, 1), &f, BCV_FLOAT, 0, &status), (Bytes{0x02, 0x5C}));
  EXPECT_EQ(status, 0);
}

TEST(DecimalLayout, FromDecimalsTruncatesAndKeepsTheSign) {
  struct Case {
    Bytes source;
    int32_t sourceWord, targetWord;
    short status;
    Bytes bytes;
  } cases[] = {
      {{0x12, 0x34, 0x5D}, bcvDecimalWord(5, 2), bcvDecimalWord(4, 1), 0, {0x01, 0x23, 0x4D}},
      {{0x12, 0x34, 0x5C}, bcvDecimalWord(5, 2), bcvDecimalWord(7, 4), 0, {0x12, 0x34, 0x50, 0x0C}},
      {{0x12, 0x34, 0x5F}, bcvDecimalWord(5, 2), bcvDecimalWord(5, 2), 0, {0x12, 0x34, 0x5F}},
      {{0x12, 0x34, 0x5C}, bcvDecimalWord(5, 2), bcvDecimalWord(3, 1), 3512, {}},
      {{0x01, 0x23, 0x4C}, bcvDecimalWord(5, 2), bcvDecimalWord(3, 1), 0, {0x12, 0x3C}},
      {{0x12, 0x3A}, bcvDecimalWord(3, 0), bcvDecimalWord(3, 0), 3529, {}},
      {{0x1A, 0x3C}, bcvDecimalWord(3, 0), bcvDecimalWord(3, 0), 3528, {}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    short status;
    Bytes got = toDec(c.targetWord, c.source.data(), BCV_DECIMAL, c.sourceWord, &status);
    EXPECT_EQ(status, c.status);
    if (c.status == 0)
      EXPECT_EQ(got, c.bytes);
    else
      EXPECT_EQ(errors.last(), c.status);
  }
}

TEST(DecimalLayout, TextAndUnknownSources) {
  ThreadErrors errors;
  short status;
  Bytes got = toDec(bcvDecimalWord(5, 2), "12", BCV_VARCHAR, 0, &status, 2);
  EXPECT_EQ(status, -1);
  int32_t v = 5;
  got = toDec(bcvDecimalWord(5, 2), &v, 77, 0, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(got, (Bytes{0, 0, 0}));  // cleared, not converted
  EXPECT_TRUE(errors.numbers().empty());
  const char* when = "2000-01-01 06:00:00.000000";
  got = toDec(bcvDecimalWord(9, 2), when, BCV_DATETIME, 26, &status, 26);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(got, (Bytes{0x24, 0x51, 0x54, 0x52, 0x5C}));  // 2451545.25
}

TEST(IntegerConversions, Table) {
  Bytes d1299 = {0x01, 0x29, 0x9C}, dm1299 = {0x01, 0x29, 0x9D};
  Bytes dmax = {0x02, 0x14, 0x74, 0x83, 0x64, 0x7C}, dmin = {0x02, 0x14, 0x74, 0x83, 0x64, 0x8D};
  Bytes dover = {0x02, 0x14, 0x74, 0x83, 0x64, 0x8C};
  int32_t w52 = bcvDecimalWord(4, 2), w10 = bcvDecimalWord(10, 0);
  double big = 2147483648.0, low = -2147483648.0, frac = -7.9;
  int32_t l40000 = 40000, lm32768 = -32768;
  int16_t s = -5;
  float f = 3.99f;
  const char* date = "2000-01-01 23:59:59.999999";
  struct Case {
    const void* src;
    uint16_t type;
    int32_t word;
    short s32, s16;
    int32_t value;
  } cases[] = {
      {d1299.data(), BCV_DECIMAL, w52, 0, 0, 12},
      {dm1299.data(), BCV_DECIMAL, w52, 0, 0, -12},
      {dmax.data(), BCV_DECIMAL, w10, 0, 3511, INT32_MAX},
      {dmin.data(), BCV_DECIMAL, w10, 0, 3511, INT32_MIN},
      {dover.data(), BCV_DECIMAL, w10, 3514, 3511, 0},
      {&big, BCV_DOUBLE, 0, 3514, 3511, 0},
      {&low, BCV_DOUBLE, 0, 0, 3511, INT32_MIN},
      {&frac, BCV_DOUBLE, 0, 0, 0, -7},
      {&f, BCV_FLOAT, 0, 0, 0, 3},
      {&l40000, BCV_LONG, 0, 0, 3511, 40000},
      {&lm32768, BCV_LONG, 0, 0, 0, -32768},
      {&s, BCV_SHORT, 0, 0, 0, -5},
      {date, BCV_DATETIME, 26, 0, 3511, 2451545},
      {BCV_DATETIME_ZERO, BCV_DATETIME, 26, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    int32_t out32 = 0x5A5A5A5A;
    EXPECT_EQ(bcvtos32(&out32, c.src, 26, c.type, c.word), c.s32) << c.value;
    if (c.s32 == 0)
      EXPECT_EQ(out32, c.value);
    else
      EXPECT_EQ(out32, 0x5A5A5A5A);
    int16_t out16 = 0x5A5A;
    EXPECT_EQ(bcvtos16(&out16, c.src, 26, c.type, c.word), c.s16) << c.value;
    if (c.s16 == 0)
      EXPECT_EQ(out16, c.value);
    else
      EXPECT_EQ(out16, 0x5A5A);
    std::vector<unsigned short> expected;
    if (c.s32)
      expected.push_back(c.s32);
    else if (c.s16)
      expected.push_back(c.s16);
    if (c.s32 && c.s16) expected.push_back(c.s16);
    EXPECT_EQ(errors.numbers(), expected) << c.value;
  }
}

TEST(FloatConversions, Table) {
  Bytes d = {0x12, 0x34, 0x5D};
  Bytes long17 = {0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x7C};  // p17 s9
  int32_t l = -7;
  double tiny = 1e-40, zero = 0.0, huge = 1e39, third = 1.0 / 3;
  const char* noon = "2000-02-29 12:00:00.000000";
  const char* timeOnly = "0000-00-00 06:00:00.000000";
  struct Case {
    const void* src;
    uint16_t type;
    int32_t word;
    double f64;
    short f32status;
  } cases[] = {
      {d.data(), BCV_DECIMAL, bcvDecimalWord(5, 2), -123.45, 0},
      {d.data(), BCV_DECIMAL, bcvDecimalWord(3, -2), -12345.0, 0},  // folded: five digits
      {long17.data(), BCV_DECIMAL, bcvDecimalWord(17, 9), 12345678.901234567, 0},
      {&l, BCV_LONG, 0, -7, 0},
      {&tiny, BCV_DOUBLE, 0, 1e-40, 3510},
      {&zero, BCV_DOUBLE, 0, 0.0, 0},
      {&huge, BCV_DOUBLE, 0, 1e39, 3510},
      {&third, BCV_DOUBLE, 0, 1.0 / 3, 0},
      {noon, BCV_DATETIME, 26, 2451604.5, 0},
      {"2000-01-01", BCV_DATETIME, 10, 2451545, 0},
      {timeOnly, BCV_DATETIME, 0x00010000 | 26, 0.25, 0},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    double out = -1;
    uint16_t len =
        c.type == BCV_DATETIME ? static_cast<uint16_t>(strlen(static_cast<const char*>(c.src))) : 0;
    EXPECT_EQ(bcvtof64(&out, c.src, len, c.type, c.word), 0);
    EXPECT_DOUBLE_EQ(out, c.f64);
    float f = -1;
    EXPECT_EQ(bcvtof32(&f, c.src, len, c.type, c.word), c.f32status) << c.f64;
    if (c.f32status == 0)
      EXPECT_FLOAT_EQ(f, static_cast<float>(c.f64));
    else
      EXPECT_EQ(f, -1.0f);
    EXPECT_EQ(errors.last(), c.f32status);
  }
}

TEST(DateConversions, DayNumbersBothWays) {
  struct Case {
    int32_t day;
    const char* text;
  } cases[] = {
      {2451545, "2000-01-01 00:00:00.000000"},
      {2451604, "2000-02-29 00:00:00.000000"},
      {1721426, "0001-01-01 00:00:00.000000"},
      {2415080, "1900-03-01 00:00:00.000000"},
      {2415079, "1900-02-28 00:00:00.000000"},
      {2451910, "2000-12-31 00:00:00.000000"},  // last day of a 400-year cycle's leap year
      {2305813, "1600-12-31 00:00:00.000000"},
      {5373484, "9999-12-31 00:00:00.000000"},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    char out[27] = {};
    EXPECT_EQ(bcvtodat(out, &c.day, 0, BCV_LONG, 0, 0), 0);
    EXPECT_STREQ(out, c.text);
    int32_t back = 0;
    EXPECT_EQ(bcvtos32(&back, c.text, 26, BCV_DATETIME, 26), 0);
    EXPECT_EQ(back, c.day);
  }
  struct Bad {
    int32_t day;
    const char* param;
  } bad[] = {{1721425, "1721425"}, {5373485, "5373485"}, {0, "0"}, {-1, "-1"}};
  for (const Bad& b : bad) {
    ThreadErrors errors;
    char out[27] = "untouched";
    EXPECT_EQ(bcvtodat(out, &b.day, 0, BCV_LONG, 0, 0), 3530);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(errors.last(), 3530);
    EXPECT_EQ(errors.lastText(), std::string("The number '") + b.param + "' cannot be converted to a date.");
  }
}

TEST(DateConversions, NumbersWithTimes) {
  struct Case {
    double value;
    int keepTime;
    const char* text;
  } cases[] = {
      {2451604.5, 1, "2000-02-29 12:00:00.000000"},
      {2451604.5, 0, "2000-02-29 00:00:00.000000"},
      {2451545.25, 1, "2000-01-01 06:00:00.000000"},
      {2451545.9999999999, 1, "2000-01-02 00:00:00.000000"},  // rounds into the next day
      {2451545.0 + 1.5 / 86400, 1, "2000-01-01 00:00:01.500000"},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    char out[27] = {};
    EXPECT_EQ(bcvtodat(out, &c.value, 0, BCV_DOUBLE, 0, c.keepTime), 0);
    EXPECT_STREQ(out, c.text);
  }
  ThreadErrors errors;
  char out[27] = {};
  Bytes d = {0x24, 0x51, 0x60, 0x45, 0x0C};  // 2451604.50
  EXPECT_EQ(bcvtodat(out, d.data(), 0, BCV_DECIMAL, bcvDecimalWord(9, 2), 1), 0);
  EXPECT_STREQ(out, "2000-02-29 12:00:00.000000");
  EXPECT_EQ(bcvtodat(out, "1999-12-31", 10, BCV_DATETIME, 10, 1), 0);
  EXPECT_STREQ(out, "1999-12-31 00:00:00.000000");
  EXPECT_EQ(bcvtodat(out, "ab", 2, BCV_CHAR, 2, 1), -1);
  double bad = 0;
  EXPECT_EQ(bcvtof64(&bad, "2000-1x-01 00:00:00.000000", 26, BCV_DATETIME, 26), 3509);
  EXPECT_EQ(errors.last(), 3509);
}

TEST(MaxLength, PerType) {
  struct Case {
    uint16_t type;
    int32_t word;
    int terminator;
    int32_t length;
  } cases[] = {
      {BCV_CHAR, 10, 0, 10},
      {BCV_CHAR, 10, 1, 11},
      {BCV_VARCHAR, 255, 1, 256},
      {BCV_DECIMAL, bcvDecimalWord(7, 2), 0, 4},
      {BCV_DECIMAL, bcvDecimalWord(7, 2), 1, 4},
      {BCV_DECIMAL, bcvDecimalWord(5, 2), 0, 3},
      {BCV_DECIMAL, bcvDecimalWord(3, -2), 0, 3},
      {BCV_DECIMAL, bcvDecimalWord(2, 5), 0, 5},
      {BCV_LONG, 0, 1, 4},
      {BCV_SHORT, 0, 1, 2},
      {BCV_FLOAT, 0, 0, 4},
      {BCV_DOUBLE, 0, 1, 8},
      {BCV_DATETIME, 26, 0, 26},
      {BCV_DATETIME, 26, 1, 27},
      {BCV_BINARY, 10, 0, -1},
      {BCV_DATE, 10, 0, -1},
      {BCV_TIME, 8, 1, -1},
      {0, 0, 0, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(bcvmaxlen(c.type, c.word, c.terminator), c.length) << c.type;
}

TEST(HexText, BothWays) {
  const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
  char text[7] = {};
  EXPECT_EQ(bcvHexify(text, bytes, 3), 6);
  EXPECT_STREQ(text, "00AB7F");
  struct Case {
    const char* text;
    uint16_t count;
    Bytes bytes;
  } cases[] = {
      {"00ab7f", 6, {0x00, 0xAB, 0x7F}},
      {"00AB7F", 6, {0x00, 0xAB, 0x7F}},
      {"ABC", 3, {0xAB, 0xC0}},
      {"", 0, {}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    uint8_t out[8];
    uint16_t n = bcvDehexify(out, c.text, c.count);
    EXPECT_EQ(Bytes(out, out + n), c.bytes) << c.text;
    EXPECT_TRUE(errors.numbers().empty());
  }
  for (const char* bad : {"G0", "0g", "12 4", "1-"}) {
    ThreadErrors errors;
    uint8_t out[4] = {0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(bcvDehexify(out, bad, static_cast<uint16_t>(strlen(bad))), 0) << bad;
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x55, 0x55, 0x55, 0x55}));
    EXPECT_EQ(errors.last(), 3525);
    EXPECT_EQ(errors.lastText(), std::string("This string cannot be converted to a number: '") + bad + "'");
  }
}

TEST(DecimalCheck, DigitsAndSigns) {
  struct Case {
    Bytes bytes;
    short status;
    const char* text;
  } cases[] = {
      {{0x12, 0x3C}, 0, nullptr},
      {{0x12, 0x3D}, 0, nullptr},
      {{0x12, 0x3F}, 0, nullptr},
      {{0x0C}, 0, nullptr},
      {{0x12, 0x3A}, 3529, "Invalid decimal (BCD) sign."},
      {{0x12, 0x3B}, 3529, "Invalid decimal (BCD) sign."},
      {{0x1A, 0x3C}, 3528, "Invalid decimal (BCD) digit in nibble '2'."},
      {{0xA1, 0x3C}, 3528, "Invalid decimal (BCD) digit in nibble '1'."},
      {{0x12, 0xFC}, 3528, "Invalid decimal (BCD) digit in nibble '3'."},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    EXPECT_EQ(bcvValidateDecimal(c.bytes.data(), static_cast<uint16_t>(c.bytes.size())), c.status);
    if (c.text)
      EXPECT_EQ(errors.lastText(), c.text);
    else
      EXPECT_TRUE(errors.numbers().empty());
  }
  EXPECT_EQ(xlmchkjx(), 0);
}

// Round trips with a fixed seed.
TEST(ConversionProperties, RoundTrips) {
  std::mt19937 random(20261210);
  ThreadErrors errors;
  for (int i = 0; i < 2000; i++) {
    int32_t v = static_cast<int32_t>(random());
    uint8_t dec[6];
    ASSERT_EQ(bcvtodec(dec, bcvDecimalWord(10, 0), &v, 0, BCV_LONG, 0), 0) << v;
    int32_t back = 0;
    ASSERT_EQ(bcvtos32(&back, dec, 0, BCV_DECIMAL, bcvDecimalWord(10, 0)), 0);
    EXPECT_EQ(back, v);
    // Decimal to decimal with room to spare and back is an identity too.
    uint8_t wide[8], narrow[6];
    ASSERT_EQ(bcvtodec(wide, bcvDecimalWord(14, 3), dec, 0, BCV_DECIMAL, bcvDecimalWord(10, 0)), 0);
    ASSERT_EQ(bcvtodec(narrow, bcvDecimalWord(10, 0), wide, 0, BCV_DECIMAL, bcvDecimalWord(14, 3)), 0);
    EXPECT_EQ(memcmp(narrow, dec, 6), 0);
  }
  std::uniform_real_distribution<double> spread(-1e9, 1e9);
  for (int i = 0; i < 2000; i++) {
    double v = spread(random);
    uint8_t dec[8];
    int32_t word = bcvDecimalWord(14, 4);
    ASSERT_EQ(bcvtodec(dec, word, &v, 0, BCV_DOUBLE, 0), 0) << v;
    double back = 0;
    ASSERT_EQ(bcvtof64(&back, dec, 0, BCV_DECIMAL, word), 0);
    EXPECT_LE(fabs(back - v), 0.00005 * (1 + 1e-9)) << v;
  }
  EXPECT_TRUE(errors.numbers().empty());
}

// Number texts into packed decimals: rounded half up at the scale, exponents as drivers
// write them, and nothing that is not a number.
TEST(NumberText, PackedAndRefused) {
  struct Case {
    const char* text;
    int precision, scale;
    short status;
    Bytes bytes;
  } cases[] = {
      {"123.45", 5, 2, 0, {0x12, 0x34, 0x5C}},
      {"12345.6", 5, 2, 3512, {}},  // refused, not 345.60
      {"999.99", 5, 2, 0, {0x99, 0x99, 0x9C}},
      {"999.995", 5, 2, 3512, {}},  // the carry adds an integer digit
      {"2.675", 5, 2, 0, {0x00, 0x26, 0x8C}},
      {"2.674", 5, 2, 0, {0x00, 0x26, 0x7C}},
      {"-1.995", 4, 2, 0, {0x00, 0x20, 0x0D}},
      {"-0.004", 3, 2, 0, {0x00, 0x0C}},  // rounds to zero: positive sign
      {"0.005", 3, 2, 0, {0x00, 0x1C}},
      {"1.0e-05", 5, 5, 0, {0x00, 0x00, 0x1C}},
      {"1.5E+2", 5, 0, 0, {0x00, 0x15, 0x0C}},
      {"1e3", 5, 1, 0, {0x10, 0x00, 0x0C}},
      {"12e-1", 3, 0, 0, {0x00, 0x1C}},
      {"9e99999999", 5, 0, 3512, {}},
      {"5e-99999999", 5, 0, 0, {0x00, 0x00, 0x0C}},
      {"  -007  ", 3, 0, 0, {0x00, 0x7D}},
      {".5", 3, 1, 0, {0x00, 0x5C}},
      {"5.", 3, 1, 0, {0x05, 0x0C}},
      {"", 3, 0, 0, {0x00, 0x0C}},
      {"   ", 3, 0, 0, {0x00, 0x0C}},
      {"-99", 3, 0, 0, {0x09, 0x9D}},
      {"12300", 3, -2, 0, {0x12, 0x30, 0x0C}},  // the folded shape holds five digits
      {"-", 3, 0, 3525, {}},
      {".", 3, 0, 3525, {}},
      {"+", 3, 0, 3525, {}},
      {"1e", 3, 0, 3525, {}},
      {"1e+", 3, 0, 3525, {}},
      {"e5", 3, 0, 3525, {}},
      {"1.2.3", 3, 0, 3525, {}},
      {"12a", 3, 0, 3525, {}},
      {"1 2", 3, 0, 3525, {}},
      {"--1", 3, 0, 3525, {}},
      {"0x1F", 3, 0, 3525, {}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    int32_t word = bcvDecimalWord(c.precision, c.scale);
    // The text is read within its length: it ends the page.
    GuardedBuffer text(c.text, strlen(c.text));
    uint8_t out[16];
    memset(out, 0xEE, sizeof out);
    short status = bcvNumberTextToDecimal(text.text(), static_cast<int32_t>(text.size()), word, out);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == 0) {
      EXPECT_EQ(Bytes(out, out + bcvDecimalShape(word).bytes()), c.bytes) << c.text;
      EXPECT_TRUE(errors.numbers().empty()) << c.text;
    } else {
      EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{static_cast<unsigned short>(c.status)})
          << c.text;
    }
    if (c.status == 3525) {
      EXPECT_EQ(errors.lastText(),
                std::string("This string cannot be converted to a number: '") + c.text + "'");
    }
  }
  // The sign rule of numbers holds for texts too.
  ThreadErrors errors;
  uint8_t out[4];
  EXPECT_EQ(bcvNumberTextToDecimal("-999.99", 7, bcvDecimalWord(5, 2, true), out), 3512);
  EXPECT_EQ(bcvNumberTextToDecimal("-99.99", 6, bcvDecimalWord(5, 2, true), out), 0);
}

// Decimals wider than a fixed digit array: their layout, values and limits.
TEST(DecimalLayout, WidePrecisions) {
  ThreadErrors errors;
  int32_t word = bcvDecimalWord(300, 0);
  ASSERT_EQ(bcvmaxlen(BCV_DECIMAL, word, 0), 151);
  GuardedBuffer wide(151);
  int32_t v = -1234567;
  ASSERT_EQ(bcvtodec(wide.data(), word, &v, 0, BCV_LONG, 0), 0);
  Bytes tail(wide.data() + 147, wide.data() + 151);
  EXPECT_EQ(tail, (Bytes{0x12, 0x34, 0x56, 0x7D}));
  int32_t back = 0;
  EXPECT_EQ(bcvtos32(&back, wide.data(), 0, BCV_DECIMAL, word), 0);
  EXPECT_EQ(back, v);
  double d = 0;
  EXPECT_EQ(bcvtof64(&d, wide.data(), 0, BCV_DECIMAL, word), 0);
  EXPECT_EQ(d, -1234567.0);
  // A double of 10^300 into precision 310, scale 5: 301 integer digits.
  int32_t big = bcvDecimalWord(310, 5);
  std::vector<uint8_t> value(bcvmaxlen(BCV_DECIMAL, big, 0));
  double huge = 1e300;
  ASSERT_EQ(bcvtodec(value.data(), big, &huge, 0, BCV_DOUBLE, 0), 0);
  EXPECT_EQ(bcvtof64(&d, value.data(), 0, BCV_DECIMAL, big), 0);
  EXPECT_NEAR(d / 1e300, 1.0, 1e-12);
  EXPECT_TRUE(errors.numbers().empty());
  // 400 nines are beyond a double: 3527, and beyond a float: 3527 again.
  int32_t nines = bcvDecimalWord(400, 0);
  std::vector<uint8_t> all(bcvmaxlen(BCV_DECIMAL, nines, 0), 0x99);
  all.back() = 0x9C;
  d = -1;
  EXPECT_EQ(bcvtof64(&d, all.data(), 0, BCV_DECIMAL, nines), 3527);
  EXPECT_EQ(d, -1);
  float f = -1;
  EXPECT_EQ(bcvtof32(&f, all.data(), 0, BCV_DECIMAL, nines), 3527);
  EXPECT_EQ(errors.numbers(), (std::vector<unsigned short>{3527, 3527}));
  EXPECT_EQ(errors.lastText(),
            "Overflow resulted when converting a value to double precision floating point.");
}

// Date texts are read up to their terminator and checked against the month's length.
TEST(DateConversions, BadDatesAndShortTexts) {
  struct Case {
    const char* text;
    short status;
    double value;
  } cases[] = {
      {"2001-02-29", 3509, 0},          {"2000-02-29", 0, 2451604},
      {"2000-04-31", 3509, 0},          {"2000-04-30 23:59:59", 0, 2451665 + 86399.0 / 86400},
      {"1900-02-29", 3509, 0},          {"2000-00-10", 3509, 0},
      {"2000-01-00", 3509, 0},          {"2000-01-01 24:00:00", 3509, 0},
      {"2000-01-01 1a:00:00", 3509, 0}, {"0000-00-00", 0, 0},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    // The text and its terminator end the page; the length given is the whole 26.
    GuardedBuffer text(c.text, strlen(c.text) + 1);
    double out = -1;
    EXPECT_EQ(bcvtof64(&out, text.text(), 26, BCV_DATETIME, 25), c.status) << c.text;
    if (c.status == 0)
      EXPECT_DOUBLE_EQ(out, c.value) << c.text;
    else
      EXPECT_EQ(out, -1) << c.text;
    // Length 0: the whole text, up to its terminator.
    double whole = -1;
    EXPECT_EQ(bcvtof64(&whole, text.text(), 0, BCV_DATETIME, 25), c.status) << c.text;
    EXPECT_EQ(whole, out) << c.text;
    char copy[27] = {};
    EXPECT_EQ(bcvtodat(copy, text.text(), 26, BCV_DATETIME, 25, 1), 0);
    EXPECT_EQ(std::string(copy, strlen(c.text)), c.text);
  }
}

TEST(HexText, LongCountsAndPageEnds) {
  ThreadErrors errors;
  std::vector<uint8_t> bytes(40000, 0xAB);
  std::vector<char> text(80000, 'x');
  EXPECT_EQ(bcvHexify(text.data(), bytes.data(), 40000), 0);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(errors.last(), 2104);
  EXPECT_EQ(errors.lastText(), "The byte count '40000' is not valid.");
  errors.clear();
  EXPECT_EQ(bcvHexify(text.data(), bytes.data(), 32767), 65534);
  EXPECT_EQ(text[65533], 'B');
  // Reading ends with the text: an odd text at the end of a page.
  GuardedBuffer odd("7f0", 3);
  uint8_t out[2] = {};
  EXPECT_EQ(bcvDehexify(out, odd.text(), 3), 2);
  EXPECT_EQ(Bytes(out, out + 2), (Bytes{0x7F, 0x00}));
  // The decimal check reads its bytes only.
  GuardedBuffer packed(Bytes{0x12, 0x3C}.data(), 2);
  EXPECT_EQ(bcvValidateDecimal(packed.data(), 2), 0);
  EXPECT_TRUE(errors.numbers().empty());
}

// A source whose length is given is read within it: a partial number is 3508.
TEST(PartialSources, RefusedUnread) {
  struct Case {
    uint16_t type;
    int32_t word;
    uint16_t length;
    short status;
  } cases[] = {
      {BCV_LONG, 0, 3, 3508},
      {BCV_LONG, 0, 4, 0},
      {BCV_SHORT, 0, 1, 3508},
      {BCV_SHORT, 0, 2, 0},
      {BCV_FLOAT, 0, 3, 3508},
      {BCV_DOUBLE, 0, 7, 3508},
      {BCV_DOUBLE, 0, 8, 0},
      {BCV_DECIMAL, bcvDecimalWord(5, 2), 2, 3508},
      {BCV_DECIMAL, bcvDecimalWord(5, 2), 3, 0},
  };
  for (const Case& c : cases) {
    // The value's bytes end the page; a read past its length would fault.
    uint8_t bytes[8] = {0x00, 0x00, 0x0C, 0, 0, 0, 0, 0};
    GuardedBuffer value(bytes, c.length);
    ThreadErrors errors;
    int32_t l = -5;
    EXPECT_EQ(bcvtos32(&l, value.data(), c.length, c.type, c.word), c.status) << c.type << " " << c.length;
    double d = -5;
    EXPECT_EQ(bcvtof64(&d, value.data(), c.length, c.type, c.word), c.status);
    uint8_t dec[8];
    EXPECT_EQ(bcvtodec(dec, bcvDecimalWord(12, 2), value.data(), c.length, c.type, c.word), c.status);
    char date[27] = "untouched";
    short dateStatus = bcvtodat(date, value.data(), c.length, c.type, c.word, 0);
    if (c.status) {
      EXPECT_EQ(l, -5);
      EXPECT_EQ(d, -5);
      EXPECT_EQ(dateStatus, 3508);
      EXPECT_STREQ(date, "untouched");
      EXPECT_EQ(errors.numbers(), (std::vector<unsigned short>{3508, 3508, 3508, 3508}));
      EXPECT_EQ(errors.lastText(), "Partial values cannot be formatted or converted.");
    }
  }
}

// Number texts made from a fixed seed's mutations: each is packed or refused with one
// message, is read within its length, and a packed value reads back as the text's
// number rounded at the scale.
TEST(NumberText, SeededMutations) {
  std::mt19937 random(20261211);
  const char alphabet[] = "0123456789.+-eE x";
  int packed = 0, refused = 0;
  for (int i = 0; i < 3000; i++) {
    std::string text;
    int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; k++) text += alphabet[random() % (sizeof alphabet - 1)];
    int precision = 1 + static_cast<int>(random() % 12);
    int scale = static_cast<int>(random() % 6) - 1;
    int32_t word = bcvDecimalWord(precision, scale);
    ThreadErrors errors;
    GuardedBuffer in(text.data(), text.size());
    uint8_t out[16];
    short status = bcvNumberTextToDecimal(in.text(), static_cast<int32_t>(text.size()), word, out);
    ASSERT_TRUE(status == 0 || status == 3512 || status == 3525) << text << " " << status;
    if (status) {
      refused++;
      EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{static_cast<unsigned short>(status)}) << text;
      continue;
    }
    packed++;
    EXPECT_TRUE(errors.numbers().empty()) << text;
    ASSERT_EQ(bcvValidateDecimal(out, static_cast<uint16_t>(bcvDecimalShape(word).bytes())), 0) << text;
    // Where the text is a number strtod reads whole, the packed value is that number
    // rounded half up at the scale (within the double's own precision).
    char* end = nullptr;
    std::string trimmed = text.substr(0, text.find_last_not_of(' ') + 1);
    double expected = strtod(trimmed.c_str(), &end);
    if (trimmed.empty() || *end || !isfinite(expected)) continue;
    BcvDecimalShape shape = bcvDecimalShape(word);
    double factor = pow(10.0, shape.scale);
    double rounded = floor(fabs(expected) * factor + 0.5 + 1e-9) / factor;
    double got = 0;
    ASSERT_EQ(bcvtof64(&got, out, 0, BCV_DECIMAL, word), 0);
    EXPECT_NEAR(fabs(got), rounded, 1e-9 * (1 + rounded)) << text << " p" << precision << " s" << scale;
  }
  EXPECT_GT(packed, 300);
  EXPECT_GT(refused, 300);
}

}  // namespace
