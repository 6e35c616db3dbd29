// The run-time semantics on cells: promotion, checked overflow, rounding, text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "store/numeric.h"
#include "store/storeexcept.h"

namespace {

// The expectation of a failure with message id.
std::string Err(unsigned id) { return "err:" + std::to_string(id); }

// A cell made from a short description: "i:5" Integer, "l:5" Long, "f:1.5" Single,
// "d:1.5" Double, "c:1.25" Currency, "s:text" String, "" empty.
ValueCellVar cell(const std::string& d) {
  ValueCellVar c;
  if (d.empty()) return c;
  std::string v = d.substr(2);
  switch (d[0]) {
    case 'i':
      c->setShort((int16_t)std::stol(v));
      break;
    case 'l':
      c->setLong((int32_t)std::stoll(v));
      break;
    case 'f':
      c->setFloat(std::stof(v));
      break;
    case 'd':
      c->setDouble(std::stod(v));
      break;
    case 'c': {
      Currency x;
      EXPECT_TRUE(Currency::fromText(v.c_str(), x)) << v;
      c->setCurrency(x);
      break;
    }
    case 's':
      c->setString(ValString(v.c_str()));
      break;
  }
  return c;
}

// The result as "<type>:<text>" or "err:<id>".
std::string describe(const ValueCell& c) {
  static const char* kTag = "?ilfdcs";
  return std::string(1, c.type <= 6 ? kTag[c.type] : '?') + ":" + CellToText(c);
}

struct BinCase {
  NumOp op;
  const char* a;
  const char* b;
  std::string expect;  // "<t>:<text>" or "err:<id>"
};

std::string run(NumOp op, const char* a, const char* b, bool inlinePath = false) {
  ValueCellVar x = cell(a), y = cell(b), out;
  try {
    if (inlinePath)
      CellOp(op, out, x, y);
    else
      CellBinary(op, out, x, y);
    return describe(out);
  } catch (const StoreException& e) {
    return "err:" + std::to_string(e.id());
  }
}

}  // namespace

TEST(Numeric, BinaryTable) {
  const BinCase cases[] = {
      // promotion
      {kNumAdd, "i:2", "i:3", "i:5"},
      {kNumAdd, "i:2", "l:3", "l:5"},
      {kNumAdd, "l:2", "f:0.5", "f:2.5"},
      {kNumAdd, "f:0.5", "d:0.25", "d:0.75"},
      {kNumAdd, "c:1.25", "i:2", "c:3.25"},
      {kNumAdd, "c:1.25", "l:2", "c:3.25"},
      {kNumAdd, "c:1.25", "f:0.5", "d:1.75"},
      {kNumMul, "c:1.5", "d:2", "d:3"},
      {kNumAdd, "", "i:7", "i:7"},
      // checked overflow, never a wrap
      {kNumAdd, "i:32767", "i:1", Err(kMsgIntegerOverflow)},
      {kNumSub, "i:-32768", "i:1", Err(kMsgIntegerOverflow)},
      {kNumMul, "i:300", "i:300", Err(kMsgIntegerOverflow)},
      {kNumMul, "i:300", "l:300", "l:90000"},
      {kNumAdd, "l:2147483647", "l:1", Err(kMsgIntegerOverflow)},
      {kNumMul, "l:65536", "l:65536", Err(kMsgIntegerOverflow)},
      {kNumMul, "c:922337203685477", "c:10", Err(kMsgIntegerOverflow)},
      {kNumAdd, "c:922337203685477.5807", "c:0.0001", Err(kMsgIntegerOverflow)},
      {kNumMul, "d:1e308", "d:10", Err(kMsgFPOverflow)},
      {kNumMul, "f:1e38", "f:10", Err(kMsgFPOverflow)},
      // Currency keeps four decimals exactly
      {kNumAdd, "c:0.1", "c:0.2", "c:0.3"},
      {kNumMul, "c:1.0001", "c:1.0001", "c:1.0002"},
      {kNumMul, "c:0.0005", "c:0.5", "c:0.0002"},  // 0.00025 -> even
      {kNumMul, "c:0.0015", "c:0.5", "c:0.0008"},  // 0.00075 -> even
      {kNumDiv, "c:10", "c:4", "d:2.5"},
      // division
      {kNumDiv, "i:7", "i:2", "d:3.5"},
      {kNumDiv, "f:7", "i:2", "f:3.5"},
      {kNumDiv, "f:1", "f:3", "f:0.3333333"},
      {kNumDiv, "l:1", "d:4", "d:0.25"},
      {kNumDiv, "i:1", "i:0", Err(kMsgDivisionByZero)},
      // \ and Mod round first (half to even), truncate toward zero
      {kNumIntDiv, "i:7", "i:2", "i:3"},
      {kNumIntDiv, "i:-7", "i:2", "i:-3"},
      {kNumIntDiv, "d:7.5", "d:2.5", "l:4"},  // 8 \ 2
      {kNumIntDiv, "d:6.5", "i:2", "l:3"},    // 6 \ 2
      {kNumMod, "i:7", "i:3", "i:1"},
      {kNumMod, "i:-7", "i:3", "i:-1"},
      {kNumMod, "d:5.5", "i:4", "l:2"},  // 6 Mod 4
      {kNumMod, "i:1", "i:0", Err(kMsgIntDivisionByZero)},
      {kNumIntDiv, "i:-32768", "i:-1", Err(kMsgIntegerOverflow)},
      {kNumIntDiv, "i:1", "d:0.4", Err(kMsgIntDivisionByZero)},
      // power
      {kNumPow, "i:2", "i:10", "d:1024"},
      {kNumPow, "i:2", "d:-1", "d:0.5"},
      {kNumPow, "d:-8", "d:0.5", Err(kMsgFPInvalid)},
      {kNumPow, "i:0", "i:-1", Err(kMsgDivisionByZero)},
      {kNumPow, "d:10", "d:400", Err(kMsgFPOverflow)},
      // bitwise
      {kNumAnd, "i:12", "i:10", "i:8"},
      {kNumOr, "i:12", "i:10", "i:14"},
      {kNumXor, "i:12", "i:10", "i:6"},
      {kNumAnd, "i:-1", "i:0", "i:0"},
      {kNumOr, "l:65536", "i:1", "l:65537"},
      {kNumAnd, "d:2.5", "i:3", "l:2"},
      {kNumEqv, "i:-1", "i:-1", "i:-1"},
      {kNumEqv, "i:-1", "i:0", "i:0"},
      {kNumImp, "i:-1", "i:0", "i:0"},
      {kNumImp, "i:0", "i:0", "i:-1"},
      // comparisons: -1 / 0, binary strings
      {kNumLt, "i:1", "d:1.5", "i:-1"},
      {kNumEq, "c:1.5", "d:1.5", "i:-1"},
      {kNumEq, "l:3", "s:3", "i:-1"},
      {kNumGt, "s:b", "s:a", "i:-1"},
      {kNumLt, "s:B", "s:a", "i:-1"},
      {kNumEq, "s:abc", "s:ABC", "i:0"},
      {kNumLt, "s:ab", "s:abc", "i:-1"},
      {kNumGe, "s:", "", "i:-1"},
      {kNumNe, "i:1", "i:1", "i:0"},
      {kNumLe, "f:2", "l:2", "i:-1"},
      {kNumEq, "s:x", "i:1", Err(kMsgTypeMismatch)},
      // strings
      {kNumAdd, "s:ab", "s:cd", "s:abcd"},
      {kNumAdd, "s:12", "i:3", "d:15"},
      {kNumAdd, "s:x", "i:3", Err(kMsgTypeMismatch)},
      {kNumConcat, "s:n=", "i:5", "s:n=5"},
      {kNumConcat, "d:1.5", "c:2.25", "s:1.52.25"},
      {kNumConcat, "", "s:z", "s:z"},
      // the inline paths
      {kNumAdd, "l:-5", "l:3", "l:-2"},
      {kNumSub, "l:-2147483647", "l:2", Err(kMsgIntegerOverflow)},
      {kNumMul, "i:-181", "i:181", "i:-32761"},
      {kNumMul, "i:182", "i:181", Err(kMsgIntegerOverflow)},
      {kNumLe, "i:-3", "i:-3", "i:-1"},
      {kNumGt, "l:1", "l:2", "i:0"},
      {kNumSub, "d:0.5", "d:2", "d:-1.5"},
      {kNumMul, "d:-1e200", "d:1e200", Err(kMsgFPOverflow)},
      {kNumNe, "d:1", "d:1", "i:0"},
      {kNumAdd, "l:70000", "i:-5", "l:69995"},
      {kNumMul, "i:200", "l:200", "l:40000"},
      {kNumSub, "i:-2", "l:2147483647", Err(kMsgIntegerOverflow)},
      {kNumLt, "i:5", "l:70000", "i:-1"},
      {kNumAdd, "d:0.5", "i:2", "d:2.5"},
      {kNumMul, "l:3", "d:0.5", "d:1.5"},
      {kNumGe, "d:2", "l:2", "i:-1"},
      {kNumDiv, "d:1", "l:0", Err(kMsgDivisionByZero)},
      {kNumDiv, "d:1", "d:0", Err(kMsgDivisionByZero)},
      {kNumDiv, "d:-3", "d:4", "d:-0.75"},
      {kNumDiv, "l:-3", "i:4", "d:-0.75"},
      {kNumIntDiv, "l:-2147483647", "i:-1", "l:2147483647"},
      {kNumIntDiv, "l:-2147483648", "i:-1", Err(kMsgIntegerOverflow)},
      {kNumIntDiv, "l:7", "l:0", Err(kMsgIntDivisionByZero)},
      {kNumMod, "l:1000004", "l:1000003", "l:1"},
      {kNumMod, "l:-2147483648", "i:-1", "l:0"},
      {kNumMod, "i:5", "i:-1", "i:0"},
      {kNumMod, "i:-32768", "i:-1", "i:0"},
      {kNumAnd, "l:-1", "i:255", "l:255"},
      {kNumXor, "i:-1", "i:1", "i:-2"},
  };
  for (const BinCase& k : cases) {
    EXPECT_EQ(k.expect, run(k.op, k.a, k.b)) << "op " << (int)k.op << " " << k.a << " " << k.b;
    EXPECT_EQ(k.expect, run(k.op, k.a, k.b, true)) << "inline op " << (int)k.op << " " << k.a << " " << k.b;
  }
}

TEST(Numeric, ResultMayAliasAnOperand) {
  ValueCellVar a = cell("s:ab"), b = cell("s:cd");
  CellBinary(kNumConcat, a, a, b);
  EXPECT_EQ("s:abcd", describe(a));
  CellBinary(kNumConcat, b, a, b);
  EXPECT_EQ("s:abcdcd", describe(b));
  ValueCellVar n = cell("i:5");
  CellBinary(kNumMul, n, n, n);
  EXPECT_EQ("i:25", describe(n));
}

TEST(Numeric, UnaryOperators) {
  ValueCellVar out;
  CellNegate(out, cell("i:5"));
  EXPECT_EQ("i:-5", describe(out));
  EXPECT_THROW(CellNegate(out, cell("i:-32768")), FPException);
  CellNegate(out, cell("c:1.5"));
  EXPECT_EQ("c:-1.5", describe(out));
  CellNot(out, cell("i:0"));
  EXPECT_EQ("i:-1", describe(out));
  CellNot(out, cell("l:0"));
  EXPECT_EQ("l:-1", describe(out));
  EXPECT_TRUE(CellIsTrue(cell("d:0.1")));
  EXPECT_FALSE(CellIsTrue(cell("")));
}

TEST(Numeric, RoundsHalfToEven) {
  const struct {
    double in;
    int out;
  } cases[] = {
      {0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},      {-0.5, 0},        {-1.5, -2},
      {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {32767.4, 32767}, {-32768.5, -32768},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(k.out, DoubleToShort(k.in)) << k.in;
    EXPECT_EQ(k.out, DoubleToLong(k.in)) << k.in;
  }
  EXPECT_THROW(DoubleToShort(32767.5), FPException);  // rounds to 32768
  EXPECT_THROW(DoubleToShort(-32768.6), FPException);
  EXPECT_THROW(DoubleToLong(2147483647.5), FPException);
  EXPECT_THROW(DoubleToLong(NAN), FPException);
  EXPECT_EQ(2, CellToShort(cell("c:2.5")));
  EXPECT_EQ(4, CellToLong(cell("c:3.5")));
  EXPECT_EQ(-4, CellToLong(cell("c:-3.5")));
  EXPECT_EQ(3, CellToLong(cell("c:2.5001")));
  EXPECT_EQ(2, CellToShort(cell("s: 2.5 ")));
  EXPECT_THROW(CellToShort(cell("l:40000")), FPException);
  EXPECT_THROW(DoubleToFloat(1e39), FPException);
}

TEST(Numeric, TextOfNumbers) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"i:-32768", "-32768"},
      {"l:2147483647", "2147483647"},
      {"d:1.5", "1.5"},
      {"d:0.1", "0.1"},
      {"d:100", "100"},
      {"d:1e20", "1E+20"},
      {"d:1.5e-7", "1.5E-07"},
      {"d:123456789012345", "123456789012345"},
      {"d:1e15", "1E+15"},
      {"d:-0.0001", "-0.0001"},
      {"d:0.00001", "1E-05"},
      {"d:1e300", "1E+300"},
      {"f:0.1", "0.1"},
      {"f:3.1415927", "3.141593"},
      {"c:12.5", "12.5"},
      {"c:-0.0001", "-0.0001"},
      {"c:3", "3"},
      {"c:922337203685477.5807", "922337203685477.5807"},
      {"c:-922337203685477.5808", "-922337203685477.5808"},
      {"d:-0", "0"},
  };
  for (const auto& k : cases) EXPECT_EQ(k.out, CellToText(cell(k.in))) << k.in;
}

TEST(Numeric, NumbersFromText) {
  const struct {
    const char* in;
    bool ok;
    double value;
  } cases[] = {
      {"42", true, 42},   {"  -3.25  ", true, -3.25}, {"+.5", true, 0.5}, {"1e3", true, 1000},
      {"1D2", true, 100}, {"2.5E-1", true, 0.25},     {"&H10", true, 16}, {"&hFF", true, 255},
      {"&O17", true, 15}, {"&HFFFFFFFF", true, -1},   {"", false, 0},     {"   ", false, 0},
      {"abc", false, 0},  {"1.2.3", false, 0},        {"1e", false, 0},   {"12abc", false, 0},
      {"&H", false, 0},   {"&HG", false, 0},          {".", false, 0},    {"1e999", false, 0},
      {"- 1", false, 0},
  };
  for (const auto& k : cases) {
    double v = 0;
    EXPECT_EQ(k.ok, StringToDouble(k.in, v)) << k.in;
    if (k.ok) {
      EXPECT_EQ(k.value, v) << k.in;
    }
  }
  short s = 7;
  EXPECT_TRUE(StringToShort("-32768", s));
  EXPECT_EQ(-32768, s);
  EXPECT_FALSE(StringToShort("32768", s));
  EXPECT_FALSE(StringToShort("x", s));
  EXPECT_EQ(-32768, s);  // untouched on failure
  EXPECT_TRUE(StringToShort("3.5", s));
  EXPECT_EQ(4, s);
  long l = 0;
  EXPECT_TRUE(StringToLong("&H7FFFFFFF", l));
  EXPECT_EQ(2147483647L, l);
}

TEST(Numeric, CurrencyText) {
  const struct {
    const char* in;
    bool ok;
    int64_t raw;
  } cases[] = {
      {"1.5", true, 15000},
      {"-0.0001", true, -1},
      {"0.00005", true, 0},
      {"0.00015", true, 2},
      {"0.000151", true, 2},
      {"0.00025", true, 2},
      {"0.000250001", true, 3},
      {" 7 ", true, 70000},
      {"922337203685477.5807", true, INT64_MAX},
      {"-922337203685477.5808", true, INT64_MIN},
      {"922337203685477.5808", false, 0},
      {"1e2", true, 1000000},
      {"x", false, 0},
      {"", false, 0},
  };
  for (const auto& k : cases) {
    Currency c = Currency::fromRaw(12345);
    EXPECT_EQ(k.ok, Currency::fromText(k.in, c)) << k.in;
    EXPECT_EQ(k.ok ? k.raw : 12345, c.raw) << k.in;
  }
  EXPECT_EQ(25000, Currency::fromDouble(2.5).raw);
  EXPECT_EQ(-25000, Currency::fromDouble(-2.5).raw);
  EXPECT_THROW(Currency::fromDouble(1e19), FPException);
  EXPECT_THROW(Currency::fromRaw(1) / Currency::fromRaw(0), FPException);
  EXPECT_EQ(33333, (Currency::fromLong(10) / Currency::fromLong(3)).raw);
  EXPECT_EQ(-66667, (Currency::fromLong(-20) / Currency::fromLong(3)).raw);
  EXPECT_THROW(-Currency::fromRaw(INT64_MIN), FPException);
}

TEST(Numeric, ConversionsAndErrors) {
  ValueCellVar c = cell("d:2.5");
  CellConvert(c, kTypeShort);
  EXPECT_EQ("i:2", describe(c));
  CellConvert(c, kTypeString);
  EXPECT_EQ("s:2", describe(c));
  CellConvert(c, kTypeCurrency);
  EXPECT_EQ("c:2", describe(c));
  ValueCellVar none;
  none->type = kTypeNoValue;
  try {
    CellToLong(none);
    FAIL();
  } catch (const StoreException& e) {
    EXPECT_EQ(32725u, e.id());
  }
  ValueCellVar obj;
  obj->setNothing();
  EXPECT_THROW(CellToText(obj), TypeMismatch);
  EXPECT_EQ(kTypeDouble, WidenedType(kTypeLong, kTypeDouble));
  EXPECT_EQ(kTypeCurrency, WidenedType(kTypeShort, kTypeCurrency));
  EXPECT_EQ(kTypeDouble, WidenedType(kTypeCurrency, kTypeFloat));
  EXPECT_EQ(kTypeFloat, WidenedType(kTypeFloat, kTypeLong));
}
