// The locale snapshot against what the run-time library itself reports in the same
// process (localeconv, strftime), for "C" and for another locale the run-time accepts.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "utils/rwlocalesnapshot.h"
#include "utils/rwzone.h"

namespace {

std::string strf(const char* f, const struct tm& t) {
  char buf[256];
  size_t n = std::strftime(buf, sizeof buf, f, &t);
  return std::string(buf, n);
}

struct tm day(int y, int m, int d, int h, int mi, int s, int wday, int yday) {
  struct tm t;
  std::memset(&t, 0, sizeof t);
  t.tm_year = y - 1900;
  t.tm_mon = m - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_wday = wday;
  t.tm_yday = yday;
  return t;
}

// The names the run-time accepts in this prefix; the first non-"C" one is used below.
std::vector<std::string> acceptedLocales() {
  const char* names[] = {"German_Germany.1252", "French_France.1252", "English_United States.1252", "de-DE",
                         "en-US"};
  std::vector<std::string> out;
  std::string keep = std::setlocale(LC_ALL, nullptr);
  for (const char* n : names)
    if (std::setlocale(LC_ALL, n)) out.push_back(n);
  std::setlocale(LC_ALL, keep.c_str());
  return out;
}

// Field by field against the run-time in the snapshot's own locale.
void compareWithRuntime(const RWLocaleSnapshot& s, const char* name) {
  SCOPED_TRACE(name);
  ASSERT_TRUE(s.valid());
  std::string keep = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, name), nullptr);
  const struct lconv* lc = std::localeconv();
  EXPECT_EQ(s.localeName(), std::setlocale(LC_ALL, nullptr));
  EXPECT_EQ(s.decimalPoint(), lc->decimal_point);
  EXPECT_EQ(s.thousandsSep(), lc->thousands_sep);
  EXPECT_EQ(s.grouping(), lc->grouping);
  EXPECT_EQ(s.intCurrSymbol(), lc->int_curr_symbol);
  EXPECT_EQ(s.currencySymbol(), lc->currency_symbol);
  EXPECT_EQ(s.monDecimalPoint(), lc->mon_decimal_point);
  EXPECT_EQ(s.monThousandsSep(), lc->mon_thousands_sep);
  EXPECT_EQ(s.monGrouping(), lc->mon_grouping);
  EXPECT_EQ(s.positiveSign(), lc->positive_sign);
  EXPECT_EQ(s.negativeSign(), lc->negative_sign);
  int raw[8] = {lc->int_frac_digits, lc->frac_digits,    lc->p_cs_precedes, lc->p_sep_by_space,
                lc->n_cs_precedes,   lc->n_sep_by_space, lc->p_sign_posn,   lc->n_sign_posn};
  for (int i = 0; i < 2; ++i) EXPECT_EQ(s.monetary(i), raw[i] >= 0 && raw[i] <= 18 ? raw[i] : 0) << i;
  for (int i = 2; i < 6; ++i) EXPECT_EQ(s.monetary(i), raw[i]) << i;
  EXPECT_EQ(s.monetary(6), raw[6] >= 0 && raw[6] <= 4 ? raw[6] : 1);
  EXPECT_EQ(s.monetary(7), raw[7] >= 0 && raw[7] <= 4 ? raw[7] : 0);

  struct tm ref = day(1990, 11, 30, 22, 54, 56, 5, 333);
  for (int i = 0; i < 7; ++i) {
    struct tm t = ref;
    t.tm_wday = i;
    EXPECT_EQ(s.weekdayName(i), strf("%A", t));
    EXPECT_EQ(s.weekdayAbbr(i), strf("%a", t));
  }
  for (int i = 0; i < 12; ++i) {
    struct tm t = ref;
    t.tm_mon = i;
    EXPECT_EQ(s.monthName(i), strf("%B", t));
    EXPECT_EQ(s.monthAbbr(i), strf("%b", t));
  }
  struct tm morning = ref, afternoon = ref;
  morning.tm_hour = 5;
  afternoon.tm_hour = 15;
  EXPECT_EQ(s.am(), strf("%p", morning));
  EXPECT_EQ(s.pm(), strf("%p", afternoon));

  // The captured formats write what strftime writes, for dates other than the reference.
  RWZoneSimple zone(RWZone::Greenwich, RWZone::NoDST);
  struct tm dates[] = {ref, day(2005, 3, 1, 9, 5, 7, 2, 59), day(1999, 12, 31, 0, 0, 0, 5, 364),
                       day(2012, 7, 4, 12, 30, 59, 3, 185)};
  for (const struct tm& t : dates) {
    EXPECT_EQ(std::string(s.asString(&t, 'x', zone).data()), strf("%x", t));
    EXPECT_EQ(std::string(s.asString(&t, 'X', zone).data()), strf("%X", t));
    EXPECT_EQ(std::string(s.asString(&t, 'c', zone).data()), strf("%c", t));
    for (char c : std::string("YyjSMIHmBbAapdUWw")) {
      char f[3] = {'%', c, 0};
      EXPECT_EQ(std::string(s.asString(&t, c, zone).data()), strf(f, t)) << c;
    }
  }
  std::setlocale(LC_ALL, keep.c_str());
}

TEST(RWLocaleSnapshot, CLocaleMatchesTheRuntime) {
  RWLocaleSnapshot c("C");
  compareWithRuntime(c, "C");
  EXPECT_EQ(c.dateOrder(), RWLocaleSnapshot::MDY);
  EXPECT_STREQ(c.asString(1234567L).data(), "1234567");  // "C" does not group
}

TEST(RWLocaleSnapshot, AnotherLocaleMatchesTheRuntime) {
  std::vector<std::string> names = acceptedLocales();
  ASSERT_FALSE(names.empty()) << "the run-time accepts no locale name but \"C\"";
  std::string before = std::setlocale(LC_ALL, nullptr);
  RWLocaleSnapshot s(names[0].c_str());
  EXPECT_EQ(before, std::setlocale(LC_ALL, nullptr));  // switched back
  compareWithRuntime(s, names[0].c_str());
}

TEST(RWLocaleSnapshot, RefusedNameKeepsTheCurrentLocale) {
  RWLocaleSnapshot s("No_Such_Place.0");
  EXPECT_FALSE(s.valid());
  EXPECT_EQ(s.localeName(), std::setlocale(LC_ALL, nullptr));
}

// Grouping, money patterns and parsers over the captured German conventions, when the
// run-time has them: "." groups by three, "," is the decimal point.
TEST(RWLocaleSnapshot, GroupedNumbersAndMoney) {
  RWLocaleSnapshot s("German_Germany.1252");
  if (!s.valid() || s.thousandsSep() != "." || s.decimalPoint() != ",")
    GTEST_SKIP() << "German conventions not available: " << s.localeName();
  EXPECT_STREQ(s.asString(1234567L).data(), "1.234.567");
  EXPECT_STREQ(s.asString(-1234L).data(), "-1.234");
  EXPECT_STREQ(s.asString(999L).data(), "999");
  EXPECT_STREQ(s.asString(1234.5, 2, 0).data(), "1.234,50");
  EXPECT_STREQ(s.asString(-1234567.0, 0, 0).data(), "-1.234.567");

  struct D {
    const char* text;
    bool ok;
    double value;
  } doubles[] = {{"1.234,5", true, 1234.5}, {"1234,5", true, 1234.5}, {"-1.234.567", true, -1234567},
                 {"12.34", false, 0},       {"1.2345", false, 0},     {"1.234.", false, 0},
                 {",5", true, 0.5},         {"1,2e3", true, 1200},    {"", false, 0},
                 {"1.234,5,6", false, 0}};
  for (const D& c : doubles) {
    double v = -99;
    EXPECT_EQ(s.stringToNum(RWCString(c.text), &v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
  }
  struct L {
    const char* text;
    bool ok;
    long value;
  } longs[] = {{"2.147.483.647", true, 2147483647L},
               {"2.147.483.648", false, 0},
               {"12.34", false, 0},
               {"-7", true, -7},
               {"", false, 0}};
  for (const L& c : longs) {
    long v = -99;
    EXPECT_EQ(s.stringToNum(RWCString(c.text), &v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
  }

  // Money written and read back through the captured conventions.
  const double amounts[] = {123456, -123456, 5, -1, 0};
  for (double x : amounts) {
    RWCString text = s.moneyAsString(x, RWLocale::LOCAL);
    double back = -99;
    EXPECT_TRUE(s.stringToMoney(text, &back, RWLocale::LOCAL)) << text.data();
    EXPECT_EQ(back, x) << text.data();
  }
  double v = -99;
  EXPECT_FALSE(s.stringToMoney(RWCString("12,345"), &v, RWLocale::LOCAL));  // three fraction digits
  EXPECT_FALSE(s.stringToMoney(RWCString("(12,34"), &v, RWLocale::LOCAL));  // unclosed
  EXPECT_FALSE(s.stringToMoney(RWCString("12,34"), &v, RWLocale::NONE));
  EXPECT_EQ(v, -99);
}

TEST(RWLocaleSnapshot, ParsingTimesAndDates) {
  RWLocaleSnapshot s("C");
  struct T {
    const char* text;
    bool ok;
    int h, m, sec;
  } times[] = {{"12:30 AM", true, 0, 30, 0},   {"13:00 PM", false, 0, 0, 0}, {"12:30 PM", true, 12, 30, 0},
               {"1:05:09 pm", true, 13, 5, 9}, {"23:59", true, 23, 59, 0},   {"24:00", false, 0, 0, 0},
               {"7", false, 0, 0, 0},          {"1:2:3:4", false, 0, 0, 0},  {"123:00", false, 0, 0, 0},
               {"10:00 AM PM", false, 0, 0, 0}};
  for (const T& c : times) {
    struct tm t;
    std::memset(&t, 0x55, sizeof t);
    EXPECT_EQ(s.stringToTime(RWCString(c.text), &t), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(t.tm_hour, c.h) << c.text;
      EXPECT_EQ(t.tm_min, c.m) << c.text;
      EXPECT_EQ(t.tm_sec, c.sec) << c.text;
    } else {
      EXPECT_EQ(t.tm_hour, 0x55555555) << c.text;
    }
  }
  struct D {
    const char* text;
    bool ok;
    int y, m, d;
  } dates[] = {
      {"03/01/95", true, 1995, 3, 1}, {"March 1 1995", true, 1995, 3, 1},   {"1 mar 1995", true, 1995, 3, 1},
      {"02/31/1995", false, 0, 0, 0}, {"13/01/1995", false, 0, 0, 0},       {"03/01", false, 0, 0, 0},
      {"03/01/95/7", false, 0, 0, 0}, {"March 1 1995 Foo", false, 0, 0, 0}, {"03/01/99999", false, 0, 0, 0}};
  for (const D& c : dates) {
    struct tm t;
    std::memset(&t, 0x55, sizeof t);
    EXPECT_EQ(s.stringToDate(RWCString(c.text), &t), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(t.tm_year + 1900, c.y) << c.text;
      EXPECT_EQ(t.tm_mon + 1, c.m) << c.text;
      EXPECT_EQ(t.tm_mday, c.d) << c.text;
    }
  }
  EXPECT_EQ(s.monthIndex(RWCString("DEC")), 12);
  EXPECT_EQ(s.weekdayIndex(RWCString("sunday")), 7);
  EXPECT_EQ(s.weekdayIndex(RWCString("Mo")), 0);
}

}  // namespace

namespace {

TEST(RWLocaleSnapshot, MoneySignPositions) {
  struct Case {
    int position;
    bool precedes, spaced;
    const char* text;
  } cases[] = {
      {0, false, true, "(12.34 $)"}, {0, true, true, "($ 12.34)"}, {0, true, false, "($12.34)"},
      {1, false, true, "-12.34 $"},  {1, true, true, "-$ 12.34"},  {2, false, true, "12.34 $-"},
      {2, true, true, "$ 12.34-"},   {3, false, true, "12.34- $"}, {3, true, true, "-$ 12.34"},
      {4, false, true, "12.34 $-"},  {4, true, true, "$ -12.34"},  {4, true, false, "$-12.34"},
      {9, true, false, "($12.34)"},  // out of range reads as 0
  };
  for (const Case& c : cases)
    EXPECT_EQ(RWLocaleSnapshot::placeMoney("12.34", "$", "-", c.position, c.precedes, c.spaced), c.text)
        << c.position << c.precedes << c.spaced;
  EXPECT_EQ(RWLocaleSnapshot::placeMoney("12.34", "", "-", 1, true, true), "-12.34");
}

}  // namespace
