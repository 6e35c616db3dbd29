// Daylight rules by year and zone, checked against Python's zoneinfo
// (America/New_York for North America, Europe/Paris for Western Europe).
#include <gtest/gtest.h>

#include <cstring>

#include "utils/rwzone.h"

namespace {

struct tm makeTm(int year, int month, int day, int hour, int minute) {
  struct tm t;
  std::memset(&t, 0, sizeof t);
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_isdst = -1;
  return t;
}

struct RuleYear {
  RWZone::DstRule rule;
  int year;
  int beginMonth, beginDay, endMonth, endDay;
};

const RuleYear kRuleYears[] = {
    {RWZone::NoAm, 1966, 4, 24, 10, 30}, {RWZone::NoAm, 1967, 4, 30, 10, 29},
    {RWZone::NoAm, 1968, 4, 28, 10, 27}, {RWZone::NoAm, 1969, 4, 27, 10, 26},
    {RWZone::NoAm, 1970, 4, 26, 10, 25}, {RWZone::NoAm, 1971, 4, 25, 10, 31},
    {RWZone::NoAm, 1972, 4, 30, 10, 29}, {RWZone::NoAm, 1973, 4, 29, 10, 28},
    {RWZone::NoAm, 1974, 1, 6, 10, 27},  {RWZone::NoAm, 1975, 2, 23, 10, 26},
    {RWZone::NoAm, 1976, 4, 25, 10, 31}, {RWZone::NoAm, 1986, 4, 27, 10, 26},
    {RWZone::NoAm, 1987, 4, 5, 10, 25},  {RWZone::NoAm, 2006, 4, 2, 10, 29},
    {RWZone::NoAm, 2007, 3, 11, 11, 4},  {RWZone::NoAm, 2020, 3, 8, 11, 1},
    {RWZone::WeEu, 1985, 3, 31, 9, 29},  {RWZone::WeEu, 1990, 3, 25, 9, 30},
    {RWZone::WeEu, 1995, 3, 26, 9, 24},  {RWZone::WeEu, 1996, 3, 31, 10, 27},
};

TEST(RWZone, DaylightRulesByYear) {
  for (const RuleYear& r : kRuleYears) {
    SCOPED_TRACE(testing::Message() << (r.rule == RWZone::NoAm ? "NA " : "WE ") << r.year);
    RWZoneSimple zone(r.rule == RWZone::NoAm ? RWZone::USEastern : RWZone::Greenwich, r.rule);
    struct tm b = makeTm(r.year, 6, 1, 0, 0), e = b;
    zone.getBeginDaylight(&b);
    zone.getEndDaylight(&e);
    EXPECT_EQ(b.tm_mon + 1, r.beginMonth);
    EXPECT_EQ(b.tm_mday, r.beginDay);
    EXPECT_EQ(b.tm_wday, 0);  // always a Sunday
    EXPECT_EQ(b.tm_hour, 2);
    EXPECT_EQ(b.tm_isdst, -1);
    EXPECT_EQ(e.tm_mon + 1, r.endMonth);
    EXPECT_EQ(e.tm_mday, r.endDay);

    struct Probe {
      int month, day, hour, minute;
      bool dst;
    } probes[] = {
        {r.beginMonth, r.beginDay, 1, 59, false},
        {r.beginMonth, r.beginDay, 2, 0, true},
        {r.endMonth, r.endDay, 1, 59, true},
        {r.endMonth, r.endDay, 2, 0, false},
        {r.beginMonth, r.beginDay - 1, 12, 0, false},
        {r.endMonth, r.endDay + 1, 12, 0, false},
        {7, 1, 12, 0, true},
        {12, 25, 12, 0, false},
    };
    for (const Probe& p : probes) {
      struct tm t = makeTm(r.year, p.month, p.day, p.hour, p.minute);
      EXPECT_EQ(zone.isDaylight(&t), p.dst) << p.month << "/" << p.day << " " << p.hour << ":" << p.minute;
    }
  }
}

TEST(RWZone, SimpleZones) {
  struct Case {
    RWZone::StdZone zone;
    RWZone::DstRule rule;
    long offset, alt;
    const char *name, *altName;
    bool observed;
  } cases[] = {
      {RWZone::USEastern, RWZone::NoAm, 18000, 14400, "EST", "EDT", true},
      {RWZone::USPacific, RWZone::NoDST, 28800, 28800, "PST", "PST", false},
      {RWZone::Greenwich, RWZone::WeEu, 0, -3600, "GMT", "WET DST", true},
      {RWZone::Zone11, RWZone::NoAm, 39600, 36000, "GMT-11", "GMT-12", true},
  };
  for (const auto& c : cases) {
    RWZoneSimple z(c.zone, c.rule);
    EXPECT_EQ(z.timeZoneOffset(), c.offset);
    EXPECT_EQ(z.altZoneOffset(), c.alt);
    EXPECT_STREQ(z.timeZoneName().data(), c.name);
    EXPECT_STREQ(z.altZoneName().data(), c.altName);
    EXPECT_EQ(z.daylightObserved(), c.observed);
  }
  RWZoneSimple fixed(-19800, "IST");
  EXPECT_EQ(fixed.altZoneOffset(), -19800);
  EXPECT_STREQ(fixed.altZoneName().data(), "IST");
  struct tm t = makeTm(2000, 7, 1, 12, 0);
  EXPECT_FALSE(fixed.isDaylight(&t));
  fixed.getBeginDaylight(&t);  // no rule: every field -1
  EXPECT_EQ(t.tm_mon, -1);
  EXPECT_EQ(t.tm_mday, -1);
  EXPECT_EQ(RWZone::dstRule(RWZone::NoDST), nullptr);
  EXPECT_EQ(RWZone::dstRule(RWZone::DstRule(7)), nullptr);
  RWZoneSimple odd(RWZone::StdZone(99), RWZone::NoDST);  // out of the name table
  EXPECT_STREQ(odd.timeZoneName().data(), "GMT");
}

TEST(RWZone, BoundariesAndSouthernRules) {
  // A rule beginning later in the year than it ends is in DST outside its boundaries.
  RWDaylightRule south = {nullptr, 0, 1, {9, 0, 0, 120}, {2, 4, 0, 180}};
  RWZoneSimple z(RWZone::Zone3, &south);
  struct tm jan = makeTm(2001, 1, 15, 12, 0), jun = makeTm(2001, 6, 15, 12, 0);
  EXPECT_TRUE(z.isDaylight(&jan));
  EXPECT_FALSE(z.isDaylight(&jun));
  // A fixed day: week negative, the day of the month in the weekday field.
  RWDaylightBoundary fixed = {5, -1, 21, 0};
  EXPECT_EQ(fixed.dayOfMonth(2001), 21);
  RWDaylightBoundary bad = {5, -1, 31, 0};  // June has 30 days
  EXPECT_EQ(bad.dayOfMonth(2001), 0);
  RWDaylightBoundary feb = {1, RWDaylightBoundary::kLast, 0, 0};
  EXPECT_EQ(feb.dayOfMonth(2004), 29);  // a leap-day Sunday
  EXPECT_EQ(feb.dayOfMonth(2005), 27);
  RWDaylightBoundary badMonth = {12, 0, 0, 0};
  EXPECT_EQ(badMonth.dayOfMonth(2005), 0);
  RWDaylightRule unobserved = south;
  unobserved.observed = 0;
  EXPECT_FALSE(unobserved.isDaylight(&jan));
}

TEST(RWZone, ProcessZonesFollowTheRunTime) {
  const RWZone& utc = RWZone::utc();
  EXPECT_EQ(utc.timeZoneOffset(), 0);
  EXPECT_FALSE(utc.daylightObserved());
  RWZoneSimple mine(RWZone::USCentral, RWZone::NoAm);
  const RWZone* old = RWZone::local(&mine);
  EXPECT_EQ(&RWZone::local(), &mine);
  EXPECT_EQ(RWZone::local(old), &mine);
  EXPECT_EQ(&RWZone::local(), old);
}

}  // namespace
