// Julian day numbers: round trips, leap years, weekdays, names and bad input.
#include <gtest/gtest.h>

#include "utils/tdate.h"

namespace {

struct DayCase {
  unsigned month, day, year;
  uint32_t julian;  // 0: invalid
  unsigned weekDay, dayOfYear;
};

// Day numbers checked against the proleptic Gregorian calendar of Python's datetime
// (date.toordinal() + 1721425).
const DayCase kDays[] = {
    {1, 1, 1901, 2415386, 2, 1},  // the epoch, a Tuesday
    {12, 31, 1900, 2415385, 1, 365}, {2, 28, 1900, 2415079, 3, 59},
    {2, 29, 1900, 0, 0, 0},                                          // 1900 is not a leap year
    {3, 1, 1900, 2415080, 4, 60},    {2, 29, 2000, 2451604, 2, 60},  // 2000 is
    {1, 1, 2000, 2451545, 6, 1},                                     // a Saturday
    {2, 29, 2004, 2453065, 7, 60},   {12, 31, 2004, 2453371, 5, 366},
    {2, 29, 2005, 0, 0, 0},          {2, 5, 2037, 2465095, 4, 36},
    {1, 1, 1601, 2305814, 1, 1},     {7, 4, 76, 2442964, 7, 186},  // two-digit years are 19xx
    {2, 31, 1995, 0, 0, 0},          {13, 1, 1995, 0, 0, 0},
    {0, 1, 1995, 0, 0, 0},           {4, 31, 1995, 0, 0, 0},
    {4, 0, 1995, 0, 0, 0},           {1, 1, 0xFFFFFFFFu, 0, 0, 0},  // beyond any supported year
};

TEST(TDate, DayNumbersRoundTrip) {
  for (const DayCase& c : kDays) {
    SCOPED_TRACE(testing::Message() << c.month << "/" << c.day << "/" << c.year);
    EXPECT_EQ(TDate::Jday(c.month, c.day, c.year), c.julian);
    TDate d(c.day, c.month, c.year);
    EXPECT_EQ(d.Julian(), c.julian);
    EXPECT_EQ(d.WeekDay(), c.weekDay);
    EXPECT_EQ(d.Day(), c.dayOfYear);
    unsigned m, dd, y;
    d.Mdy(m, dd, y);
    if (c.julian) {
      EXPECT_EQ(m, c.month);
      EXPECT_EQ(dd, c.day);
      EXPECT_EQ(y, c.year < 100 ? c.year + 1900 : c.year);
      EXPECT_EQ(TDate(c.dayOfYear, y).Julian(), c.julian);
    } else {
      EXPECT_EQ(m + dd + y, 0u);
    }
  }
  // Every day of four centuries maps back to itself.
  for (uint32_t j = 2305814; j < 2305814 + 146097 * 4; j += 13) {
    TDate d = TDate::FromJulian(j);
    unsigned m, dd, y;
    d.Mdy(m, dd, y);
    ASSERT_EQ(TDate::Jday(m, dd, y), j);
  }
}

TEST(TDate, LeapYearsAndMonths) {
  struct Case {
    unsigned year;
    int leap;
  } cases[] = {{1900, 0}, {2000, 1}, {2004, 1}, {2100, 0}, {1996, 1}, {1999, 0}, {2400, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(TDate::LeapYear(c.year), c.leap) << c.year;
    EXPECT_EQ(TDate::DaysInYear(c.year), c.leap ? 366u : 365u) << c.year;
  }
  EXPECT_EQ(TDate(1, 3, 2004).FirstDayOfMonth(3), 61u);
  EXPECT_EQ(TDate(1, 3, 2005).FirstDayOfMonth(3), 60u);
  EXPECT_EQ(TDate(1, 3, 2005).FirstDayOfMonth(13), 0u);
  EXPECT_EQ(TDate(366, 2005).Julian(), 0u);  // no 366th day
  EXPECT_EQ(TDate(0, 2005).Julian(), 0u);
  EXPECT_EQ(TDate(366, 2004).Julian(), TDate(31, 12, 2004).Julian());
  EXPECT_EQ(TDate(0, 0).Julian(), uint32_t(TDate::kEpoch));  // year 0 counts from the epoch
  EXPECT_EQ(TDate(365, 0).Julian(), TDate(1, 1, 1902).Julian());
}

TEST(TDate, Previous) {
  struct Case {
    TDate from;
    unsigned weekDay;
    uint32_t expected;
  } cases[] = {
      {TDate(2, 1, 2000), 7, TDate(2, 1, 2000).Julian()},  // a Sunday, with Sunday: itself
      {TDate(2, 1, 2000), 6, TDate(1, 1, 2000).Julian()},
      {TDate(2, 1, 2000), 1, TDate(27, 12, 1999).Julian()},
      {TDate(3, 1, 2000), 1, TDate(3, 1, 2000).Julian()},
      {TDate(3, 1, 2000), 0, 0},  // no such weekday
      {TDate(3, 1, 2000), 8, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.from.Previous(c.weekDay).Julian(), c.expected) << c.from.Julian() << " weekday " << c.weekDay;
  EXPECT_EQ(TDate(2, 1, 2000).Previous("sun").Julian(), TDate(2, 1, 2000).Julian());
  EXPECT_EQ(TDate(2, 1, 2000).Previous("nonsense").Julian(), 0u);
  EXPECT_EQ(TDate::FromJulian(0).Previous(1).Julian(), 0u);
}

TEST(TDate, Names) {
  EXPECT_STREQ(TDate::DayName(1), "Monday");
  EXPECT_STREQ(TDate::DayName(7), "Sunday");
  EXPECT_EQ(TDate::DayName(0), nullptr);
  EXPECT_EQ(TDate::DayName(8), nullptr);
  EXPECT_STREQ(TDate::MonthName(12), "December");
  EXPECT_EQ(TDate::MonthName(13), nullptr);
  struct Case {
    const char* text;
    unsigned month, day;
  } cases[] = {{"jan", 1, 0},      {"JUNE", 6, 0}, {"Ju", 7, 0},       {"m", 5, 1},
               {"s", 9, 7},        {"t", 0, 4},    {"", 0, 0},         {nullptr, 0, 0},
               {"Januaryx", 0, 0}, {"wed", 0, 3},  {"December", 12, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(TDate::IndexOfMonth(c.text), c.month) << (c.text ? c.text : "(null)");
    EXPECT_EQ(TDate::DayOfWeek(c.text), c.day) << (c.text ? c.text : "(null)");
  }
  EXPECT_EQ(TDate(5, "apr", 1987).Julian(), TDate(5, 4, 1987).Julian());
  EXPECT_EQ(TDate(5, "xyz", 1987).Julian(), 0u);
}

TEST(TDate, CompareAndArithmetic) {
  TDate a(1, 1, 2000), b(2, 1, 2000);
  EXPECT_EQ(a.CompareTo(b), -1);
  EXPECT_EQ(b.CompareTo(a), 1);
  EXPECT_EQ(a.CompareTo(a), 0);
  EXPECT_EQ(a.Max(b), b);
  EXPECT_EQ(a.Min(b), a);
  EXPECT_EQ(b - a, 1);
  EXPECT_EQ((a + 60).Julian(), TDate(1, 3, 2000).Julian());
  EXPECT_EQ((TDate::FromJulian(0) + 5).Julian(), 0u);  // invalid stays invalid
  EXPECT_TRUE(TDate().IsValid());                      // today
}

}  // namespace
