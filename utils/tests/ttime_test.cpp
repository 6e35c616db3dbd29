// Local time through the run-time library's zone: the United States daylight rules by
// year, the skipped and the repeated hour, comparisons and the byte swaps.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <cstring>
#include <string>

#include "utils/ttime.h"

namespace {

// Sets the run-time's zone from a TZ text and restores the previous one afterwards.
class ZoneScope {
 public:
  explicit ZoneScope(const char* tz) {
    const char* old = getenv("TZ");
    had_ = old != nullptr;
    if (old) old_ = old;
    _putenv(("TZ=" + std::string(tz)).c_str());
    TTime::ReadZone();
  }
  ~ZoneScope() {
    _putenv(("TZ=" + old_).c_str());  // "TZ=" removes it
    TTime::ReadZone();
  }

 private:
  bool had_;
  std::string old_;
};

// The transitions of America/New_York by year, from Python's zoneinfo, as seconds since
// 1901-01-01 00:00 GMT: the first second of daylight time and the first second after it.
struct DstYear {
  unsigned year;
  unsigned beginMonth, beginDay;
  uint32_t begin;
  unsigned endMonth, endDay;
  uint32_t end;
};
const DstYear kNewYork[] = {
    {1966, 4, 24, 2061010800u, 10, 30, 2077336800u}, {1967, 4, 30, 2093065200u, 10, 29, 2108786400u},
    {1968, 4, 28, 2124514800u, 10, 27, 2140236000u}, {1969, 4, 27, 2155964400u, 10, 26, 2171685600u},
    {1970, 4, 26, 2187414000u, 10, 25, 2203135200u}, {1971, 4, 25, 2218863600u, 10, 31, 2235189600u},
    {1972, 4, 30, 2250918000u, 10, 29, 2266639200u}, {1973, 4, 29, 2282367600u, 10, 28, 2298088800u},
    {1974, 1, 6, 2304140400u, 10, 27, 2329538400u},  {1975, 2, 23, 2339823600u, 10, 26, 2360988000u},
    {1976, 4, 25, 2376716400u, 10, 31, 2393042400u}, {1986, 4, 27, 2692422000u, 10, 26, 2708143200u},
    {1987, 4, 5, 2722057200u, 10, 25, 2739592800u},  {1995, 4, 2, 2974258800u, 10, 29, 2992399200u},
    {2006, 4, 2, 3321414000u, 10, 29, 3339554400u},  {2007, 3, 11, 3351049200u, 11, 4, 3371608800u},
    {2020, 3, 8, 3761103600u, 11, 1, 3781663200u},   {2036, 3, 9, 4266111600u, 11, 2, 4286671200u},
};

TEST(TTime, UnitedStatesDaylightRulesByYear) {
  ZoneScope zone("EST5EDT");
  ASSERT_EQ(_timezone, 18000L) << "the run-time did not take TZ";
  ASSERT_NE(_daylight, 0);
  for (const DstYear& y : kNewYork) {
    SCOPED_TRACE(y.year);
    TDate begin(y.beginDay, y.beginMonth, y.year), end(y.endDay, y.endMonth, y.year);
    EXPECT_EQ(TTime::BeginDST(y.year).Seconds(), y.begin);
    EXPECT_EQ(TTime::EndDST(y.year).Seconds(), y.end);

    struct Local {
      const TDate& day;
      unsigned h, m, s;
      uint32_t seconds;  // 0: does not exist
      bool dst;
    } locals[] = {
        {begin, 1, 59, 59, y.begin - 1, false},
        {begin, 2, 0, 0, 0, false},  // the skipped hour
        {begin, 2, 30, 0, 0, false},
        {begin, 2, 59, 59, 0, false},
        {begin, 3, 0, 0, y.begin, true},
        {end, 0, 59, 59, y.end - 3601, true},
        {end, 1, 30, 0, y.end + 1800, false},  // the repeated hour reads as standard time
        {end, 2, 0, 0, y.end + 3600, false},
    };
    for (const Local& l : locals) {
      SCOPED_TRACE(testing::Message()
                   << l.day.Month() << "/" << l.day.DayOfMonth() << " " << l.h << ":" << l.m << ":" << l.s);
      TTime t(l.day, l.h, l.m, l.s);
      EXPECT_EQ(t.Seconds(), l.seconds);
      if (!l.seconds) continue;
      EXPECT_EQ(t.IsDST(), l.dst);
      EXPECT_EQ(t.Hour(), l.h);
      EXPECT_EQ(t.Minute(), l.m);
      EXPECT_EQ(t.Second(), l.s);
      EXPECT_EQ(TDate(t), l.day);
    }
  }
}

TEST(TTime, ZoneWithoutDaylightSaving) {
  ZoneScope zone("JST-9");
  ASSERT_EQ(_timezone, -32400L);
  TTime t(TDate(1, 7, 2000), 12, 0, 0);
  EXPECT_FALSE(t.IsDST());
  EXPECT_EQ(t.HourGMT(), 3u);
  EXPECT_EQ(t.Hour(), 12u);
  EXPECT_EQ(TDate(TTime(TDate(1, 1, 2000), 8, 59, 59)), TDate(1, 1, 2000));
}

TEST(TTime, RangeAndComparison) {
  ZoneScope zone("GMT0");
  EXPECT_EQ(TTime::RefDate.Julian(), uint32_t(TDate::kEpoch));
  EXPECT_EQ(TTime::MaxDate, TDate(5, 2, 2037));
  EXPECT_EQ(TTime(TDate(31, 12, 1900), 12, 0, 0).Seconds(), 0u);  // before the range
  EXPECT_EQ(TTime(TDate(6, 2, 2037), 0, 0, 0).Seconds(), 0u);     // after it
  EXPECT_EQ(TTime(TDate::FromJulian(0), 0, 0, 0).Seconds(), 0u);
  EXPECT_EQ(TTime(TDate(1, 1, 1901), 0, 0, 1).Seconds(), 1u);
  EXPECT_EQ(TTime(TDate(5, 2, 2037), 23, 59, 59).Seconds(), 49709u * 86400u + 86399u);
  TTime early(TDate(1, 1, 2000), 10, 0, 0), late(TDate(1, 1, 2000), 11, 0, 0);
  EXPECT_EQ(early.CompareTo(late), -1);
  EXPECT_EQ(late.CompareTo(early), 1);
  EXPECT_EQ(early.CompareTo(early), 0);
  EXPECT_EQ(early.Max(late), late);
  EXPECT_EQ(early.Min(late), early);
  EXPECT_EQ(late.Seconds() - early.Seconds(), 3600u);
  // Now, through FILETIME: the same second as the system clock, whatever time_t is.
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  TTime fromClock = TTime::FromFileTime(ft), now;
  EXPECT_LE(now.Seconds() - fromClock.Seconds(), 2u);
  EXPECT_EQ(TTime::FromFileTime(fromClock.ToFileTime()), fromClock);
  EXPECT_TRUE(TTime::AssertDate(TDate(1, 1, 2000)));
  EXPECT_FALSE(TTime::AssertDate(TDate(1, 1, 2038)));
}

TEST(ByteSwap, ReversesEachElement) {
  short s[2] = {0x0102, 0x0304};
  byteSwapShorts(s, 2);
  EXPECT_EQ(s[0], 0x0201);
  EXPECT_EQ(s[1], 0x0403);
  static_assert(sizeof(long) == 4, "long is 32-bit in both builds");
  long l = 0x01020304;
  byteSwapLongs(&l, 1);
  EXPECT_EQ(l, 0x04030201);
  float f = 1.5f;
  unsigned char fb[4];
  std::memcpy(fb, &f, 4);
  byteSwapFloats(&f, 1);
  unsigned char fs[4];
  std::memcpy(fs, &f, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(fs[i], fb[3 - i]);
  const double values[] = {3.141592653589793, -0.0, 1e308, 5e-324, 12345.678};
  for (double v : values) {
    double d = v;
    byteSwapDouble(d);
    unsigned char a[8], b[8];
    std::memcpy(a, &v, 8);
    std::memcpy(b, &d, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], a[7 - i]);
    byteSwapDouble(d);
    EXPECT_EQ(std::memcmp(&d, &v, 8), 0) << v;  // twice restores it
  }
  double arr[2] = {1.0, 2.0};
  byteSwapDoubles(arr, 2);
  byteSwapDoubles(arr, 2);
  EXPECT_EQ(arr[0], 1.0);
  EXPECT_EQ(arr[1], 2.0);
  byteSwapDoubles(nullptr, 3);  // nothing to do
}

}  // namespace
