// The fixed English locale: formats and parsers, with malformed texts that must fail;
// calendar dates through it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "utils/rwdate.h"
#include "utils/rwlocale.h"
#include "utils/rwzone.h"

namespace {

struct tm dateTm(int y, int m, int d, int h = 0, int mi = 0, int s = 0, int dst = 0) {
  RWDate date{unsigned(d), unsigned(m), unsigned(y)};
  struct tm t;
  date.extract(&t);
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = dst;
  return t;
}

const RWLocaleDefault kEnglish;

TEST(RWLocaleDefault, DateAndTimeFormats) {
  RWZoneSimple eastern(RWZone::USEastern, RWZone::NoAm);
  struct tm t = dateTm(1995, 3, 1, 14, 5, 9);  // a Wednesday
  struct Case {
    char format;
    const char* text;
  } cases[] = {{'A', "Wednesday"}, {'a', "Wed"},      {'B', "March"},    {'b', "Mar"},
               {'H', "14"},        {'I', "02"},       {'M', "05"},       {'S', "09"},
               {'d', "01"},        {'m', "03"},       {'y', "95"},       {'Y', "1995"},
               {'j', "060"},       {'w', "3"},        {'p', "pm"},       {'U', "09"},
               {'W', "09"},        {'X', "14:05:09"}, {'x', "03/01/95"}, {'c', "03/01/95 14:05:09"},
               {'Z', "EST"},       {'q', ""},         {'%', ""}};
  for (const Case& c : cases)
    EXPECT_STREQ(kEnglish.asString(&t, c.format, eastern).data(), c.text) << c.format;

  struct tm y2005 = dateTm(2005, 3, 1);
  EXPECT_STREQ(kEnglish.asString(&y2005, 'x', eastern).data(), "03/01/2005");
  EXPECT_STREQ(kEnglish.asString(&y2005, 'y', eastern).data(), "05");
  struct tm y1900 = dateTm(1900, 3, 1);
  EXPECT_STREQ(kEnglish.asString(&y1900, 'x', eastern).data(), "03/01/1900");
  struct tm midnight = dateTm(1995, 3, 1, 0, 30);
  EXPECT_STREQ(kEnglish.asString(&midnight, 'I', eastern).data(), "12");
  EXPECT_STREQ(kEnglish.asString(&midnight, 'p', eastern).data(), "am");
  struct tm summer = dateTm(1995, 7, 1, 12, 0, 0, 1);
  EXPECT_STREQ(kEnglish.asString(&summer, 'Z', eastern).data(), "EDT");
  summer.tm_isdst = 2;
  EXPECT_STREQ(kEnglish.asString(&summer, 'Z', eastern).data(), "");
  struct tm broken = t;
  broken.tm_mon = 12;
  broken.tm_wday = -1;
  EXPECT_STREQ(kEnglish.asString(&broken, 'B', eastern).data(), "");
  EXPECT_STREQ(kEnglish.asString(&broken, 'a', eastern).data(), "");
  EXPECT_STREQ(kEnglish.asString(nullptr, 'x', eastern).data(), "");
}

TEST(RWLocaleDefault, NumbersAndMoney) {
  EXPECT_STREQ(kEnglish.asString(1234567L).data(), "1234567");
  EXPECT_STREQ(kEnglish.asString(-5L).data(), "-5");
  EXPECT_STREQ(kEnglish.asString(4294967295UL).data(), "4294967295");
  EXPECT_STREQ(kEnglish.asString(3.14159, 2, 0).data(), "3.14");
  EXPECT_STREQ(kEnglish.asString(2.0, 0, 1).data(), "2.");
  EXPECT_STREQ(kEnglish.asString(2.0, 0, 0).data(), "2");

  struct Money {
    double x;
    RWLocale::CurrSymbol symbol;
    const char* text;
  } money[] = {{-1234, RWLocale::LOCAL, "($12.34)"},   {1234, RWLocale::LOCAL, "$12.34"},
               {-1234, RWLocale::INTL, "(USD 12.34)"}, {5, RWLocale::NONE, "0.05"},
               {0, RWLocale::LOCAL, "$0.00"},          {-1, RWLocale::NONE, "(0.01)"}};
  for (const Money& m : money) EXPECT_STREQ(kEnglish.moneyAsString(m.x, m.symbol).data(), m.text) << m.x;
  std::string huge = kEnglish.moneyAsString(1e20).data();
  EXPECT_EQ(huge.substr(0, 10), "$1.00000e+") << huge;
}

TEST(RWLocaleDefault, ParsingNumbers) {
  struct D {
    const char* text;
    bool ok;
    double value;
  } doubles[] = {{"3.25", true, 3.25}, {" -1.5e3 ", true, -1500}, {".5", true, 0.5},   {"- 2", true, -2},
                 {"+7.", true, 7},     {"1,234", false, 0},       {"1.2.3", false, 0}, {"e5", false, 0},
                 {"", false, 0},       {".", false, 0},           {"1e", false, 0},    {"1e+", false, 0},
                 {"12abc", false, 0},  {"--1", false, 0},         {"   ", false, 0}};
  for (const D& c : doubles) {
    double v = -99;
    EXPECT_EQ(kEnglish.stringToNum(RWCString(c.text), &v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;  // a failure leaves the output alone
  }
  struct L {
    const char* text;
    bool ok;
    long value;
  } longs[] = {{"42", true, 42},
               {" -2147483648 ", true, -2147483647L - 1},
               {"2147483647", true, 2147483647L},
               {"2147483648", false, 0},
               {"99999999999999999999", false, 0},
               {"1 2", false, 0},
               {"+7", true, 7},
               {"0x10", false, 0},
               {"", false, 0},
               {"-", false, 0},
               {"1,000", false, 0}};
  for (const L& c : longs) {
    long v = -99;
    EXPECT_EQ(kEnglish.stringToNum(RWCString(c.text), &v), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
  }
  std::string longText(300, '1');
  double d;
  EXPECT_FALSE(kEnglish.stringToNum(RWCString(longText.c_str()), &d));
  EXPECT_FALSE(kEnglish.stringToNum(RWCString("12", 3), &d));  // an embedded NUL
}

TEST(RWLocaleDefault, ParsingTimes) {
  struct Case {
    const char* text;
    bool ok;
    int h, m, s;
  } cases[] = {
      {"12:30 AM", true, 0, 30, 0},   {"13:00 PM", false, 0, 0, 0}, {"7.5", true, 7, 5, 0},
      {"23:59:59", true, 23, 59, 59}, {"12 pm", true, 12, 0, 0},    {"12am", true, 0, 0, 0},
      {"1:15 pM", true, 13, 15, 0},   {" 9 ", true, 9, 0, 0},       {"0 AM", false, 0, 0, 0},
      {"24:00", false, 0, 0, 0},      {"7:60", false, 0, 0, 0},     {"7:05:60", false, 0, 0, 0},
      {"", false, 0, 0, 0},           {"7:", false, 0, 0, 0},       {"7:05:30:00", false, 0, 0, 0},
      {"123", false, 0, 0, 0},        {"7 xm", false, 0, 0, 0},     {"7 AM PM", false, 0, 0, 0},
      {"ab", false, 0, 0, 0},         {"-1:00", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    struct tm t;
    std::memset(&t, 0x55, sizeof t);
    EXPECT_EQ(kEnglish.stringToTime(RWCString(c.text), &t), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(t.tm_hour, 0x55555555) << c.text;
      continue;
    }
    EXPECT_EQ(t.tm_hour, c.h) << c.text;
    EXPECT_EQ(t.tm_min, c.m) << c.text;
    EXPECT_EQ(t.tm_sec, c.s) << c.text;
  }
  std::string longText(400, ' ');
  longText += "7";
  struct tm t;
  EXPECT_FALSE(kEnglish.stringToTime(RWCString(longText.c_str()), &t));
}

TEST(RWLocaleDefault, ParsingDates) {
  struct Case {
    const char* text;
    bool ok;
    int y, m, d;
  } cases[] = {
      {"March 1, 1995", true, 1995, 3, 1},
      {"1 mar 95", true, 1995, 3, 1},
      {"3/1/95", true, 1995, 3, 1},
      {"12-31-2004", true, 2004, 12, 31},
      {"2/29/2000", true, 2000, 2, 29},
      {"2/29/1900", false, 0, 0, 0},
      {"2/31/1995", false, 0, 0, 0},
      {"31 February 1995", false, 0, 0, 0},
      {"13/1/1995", false, 0, 0, 0},
      {"0/1/1995", false, 0, 0, 0},
      {"1/1/10000", false, 0, 0, 0},
      {"March 1", false, 0, 0, 0},
      {"1/2/3/4", false, 0, 0, 0},
      {"Foo 1 1995", false, 0, 0, 0},
      {"3/1/95x", false, 0, 0, 0},
      {"", false, 0, 0, 0},
      {"March April 1 1995", false, 0, 0, 0},
      {"3/1/95 ;", false, 0, 0, 0},
      {"99999999999/1/1", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    struct tm t;
    std::memset(&t, 0x55, sizeof t);
    EXPECT_EQ(kEnglish.stringToDate(RWCString(c.text), &t), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(t.tm_mday, 0x55555555) << c.text;
      continue;
    }
    EXPECT_EQ(t.tm_year + 1900, c.y) << c.text;
    EXPECT_EQ(t.tm_mon + 1, c.m) << c.text;
    EXPECT_EQ(t.tm_mday, c.d) << c.text;
  }
}

TEST(RWLocaleDefault, ParsingMoney) {
  struct Case {
    const char* text;
    RWLocale::CurrSymbol symbol;
    bool ok;
    double value;
  } cases[] = {
      {"$12.34", RWLocale::LOCAL, true, 1234},   {"($12.34)", RWLocale::LOCAL, true, -1234},
      {"-$5", RWLocale::LOCAL, true, -500},      {"$12.34-", RWLocale::LOCAL, true, -1234},
      {"(12.34", RWLocale::LOCAL, true, -1234},  {" 7 ", RWLocale::LOCAL, true, 700},
      {"USD 12.34", RWLocale::INTL, true, 1234}, {"-12.34", RWLocale::INTL, true, -1234},
      {".05", RWLocale::LOCAL, true, 5},         {"12.34", RWLocale::NONE, false, 0},
      {"12.3", RWLocale::LOCAL, false, 0},       {"12.345", RWLocale::LOCAL, false, 0},
      {"$", RWLocale::LOCAL, false, 0},          {"", RWLocale::LOCAL, false, 0},
      {"$12.34 x", RWLocale::LOCAL, false, 0},   {"$$12", RWLocale::LOCAL, false, 0},
      {"USD12", RWLocale::INTL, false, 0},       {"123456789012345678901", RWLocale::LOCAL, false, 0},
  };
  for (const Case& c : cases) {
    double v = -99;
    EXPECT_EQ(kEnglish.stringToMoney(RWCString(c.text), &v, c.symbol), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
  }
}

TEST(RWLocaleDefault, NameIndexes) {
  struct Case {
    const char* text;
    int month, weekday;
  } cases[] = {{"march", 3, 0}, {"MAR", 3, 0}, {"Ma", 0, 0},  {"december", 12, 0}, {"sunday", 0, 7},
               {"Mon", 0, 1},   {"sat", 0, 6}, {"xyz", 0, 0}, {"", 0, 0},          {"Marc", 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(kEnglish.monthIndex(RWCString(c.text)), c.month) << c.text;
    EXPECT_EQ(kEnglish.weekdayIndex(RWCString(c.text)), c.weekday) << c.text;
  }
}

TEST(RWDate, WeekdaysAndPrevious) {
  struct Case {
    RWDate from;
    unsigned weekday;
    uint32_t expected;
  } cases[] = {
      {RWDate(3, 1, 2000), 1, RWDate(27, 12, 1999).julian()},  // a Monday: a week earlier
      {RWDate(3, 1, 2000), 7, RWDate(2, 1, 2000).julian()},
      {RWDate(3, 1, 2000), 2, RWDate(28, 12, 1999).julian()},
      {RWDate(3, 1, 2000), 0, 0},
      {RWDate(3, 1, 2000), 8, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.from.previous(c.weekday).julian(), c.expected) << c.weekday;
  EXPECT_EQ(RWDate(3, 1, 2000).weekDay(), 1u);
  EXPECT_EQ(RWDate(1, 1, 2000).weekDay(), 6u);
  EXPECT_EQ(RWDate(3, 1, 2000).previous("Monday", kEnglish), RWDate(27, 12, 1999));
  EXPECT_FALSE(RWDate(3, 1, 2000).previous("Mo", kEnglish).isValid());
  EXPECT_STREQ(RWDate(3, 1, 2000).weekDayName(kEnglish).data(), "Monday");
  EXPECT_STREQ(RWDate(3, 1, 2000).nameOfMonth(kEnglish).data(), "January");
  EXPECT_EQ(RWDate(5, "Apr", 1987, kEnglish), RWDate(5, 4, 1987));
  EXPECT_FALSE(RWDate(5, "Apri", 1987, kEnglish).isValid());
}

TEST(RWDate, TextAndTm) {
  EXPECT_EQ(RWDate(RWCString("March 1, 1995"), kEnglish), RWDate(1, 3, 1995));
  EXPECT_FALSE(RWDate(RWCString("31 February 1995"), kEnglish).isValid());
  struct tm t;
  RWDate(29, 2, 2004).extract(&t);
  EXPECT_EQ(t.tm_year, 104);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 29);
  EXPECT_EQ(t.tm_yday, 59);
  EXPECT_EQ(t.tm_wday, 0);  // a Sunday
  EXPECT_EQ(t.tm_hour, 0);
  EXPECT_EQ(t.tm_isdst, -1);
  EXPECT_EQ(RWDate(&t), RWDate(29, 2, 2004));
  RWDate::fromJulian(0).extract(&t);
  EXPECT_EQ(t.tm_mday, -1);
  struct tm bad = t;
  bad.tm_year = 95;
  bad.tm_mon = 13;
  bad.tm_mday = 1;
  EXPECT_FALSE(RWDate(&bad).isValid());
  EXPECT_EQ(RWDate(1, 1, 2000).compareTo(RWDate(2, 1, 2000)), -1);
  EXPECT_EQ(RWDate(60, 2004).julian(), RWDate(29, 2, 2004).julian());
  EXPECT_EQ(RWDate(29, 2, 2004).firstDayOfMonth(), 32u);
  EXPECT_TRUE(RWDate::now().isValid());
}

}  // namespace
