// FILETIME arithmetic and formats.
#include <gtest/gtest.h>

#include <regex>

#include "utils/filetime.h"

namespace {

FILETIME ft(DWORD high, DWORD low) {
  FILETIME t;
  t.dwHighDateTime = high;
  t.dwLowDateTime = low;
  return t;
}

const unsigned long long kMs = 10000ULL;  // 100 ns units per millisecond

FILETIME span(unsigned long long ms) {
  unsigned long long v = ms * kMs;
  return ft(DWORD(v >> 32), DWORD(v));
}

struct ArithCase {
  FILETIME a, b, sum, diff;
};

TEST(FileTime, AddAndSubtractCarryAndBorrow) {
  const ArithCase cases[] = {
      {ft(0, 5), ft(0, 3), ft(0, 8), ft(0, 2)},
      {ft(1, 0), ft(0, 1), ft(1, 1), ft(0, 0xFFFFFFFF)},           // borrow from high
      {ft(0, 0xFFFFFFFF), ft(0, 1), ft(1, 0), ft(0, 0xFFFFFFFE)},  // carry into high
      {ft(7, 0x80000000), ft(2, 0x80000001), ft(10, 1), ft(4, 0xFFFFFFFF)},
      {ft(0, 0), ft(0, 1), ft(0, 1), ft(0xFFFFFFFF, 0xFFFFFFFF)},  // wraps as unsigned
  };
  for (const ArithCase& c : cases) {
    FILETIME out;
    AddFileTime(c.a, c.b, out);
    EXPECT_EQ(out.dwHighDateTime, c.sum.dwHighDateTime);
    EXPECT_EQ(out.dwLowDateTime, c.sum.dwLowDateTime);
    SubtractFileTime(c.a, c.b, out);
    EXPECT_EQ(out.dwHighDateTime, c.diff.dwHighDateTime);
    EXPECT_EQ(out.dwLowDateTime, c.diff.dwLowDateTime);
  }
}

TEST(FileTime, DurationTable) {
  const struct {
    unsigned long long ms;
    const char* text;
  } cases[] = {
      {0, "00:00:00.000"},
      {1, "00:00:00.001"},
      {61001, "00:01:01.001"},
      {(3 * 3600 + 4 * 60 + 5) * 1000ULL + 678, "03:04:05.678"},
      {25 * 3600 * 1000ULL, "01:00:00.000"},  // the whole day is lost
  };
  for (const auto& c : cases) EXPECT_STREQ(FormatFileTimeDuration(span(c.ms)), c.text);
}

TEST(FileTime, AbsoluteFormat) {
  EXPECT_STREQ(FormatFileTimeAbsolute(ft(0, 0)), "");

  SYSTEMTIME st = {};
  st.wYear = 2026;
  st.wMonth = 3;
  st.wDay = 7;
  st.wHour = 9;
  st.wMinute = 8;
  st.wSecond = 7;
  st.wMilliseconds = 65;
  FILETIME local, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  EXPECT_STREQ(FormatFileTimeAbsolute(utc), "09:08:07.065 03/07/2026");

  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  EXPECT_TRUE(
      std::regex_match(FormatFileTimeAbsolute(now), std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d \d\d/\d\d/\d{4})")));
}

TEST(FileTime, FormattersShareOneBuffer) {
  const char* a = FormatFileTimeDuration(span(1000));
  const char* b = FormatFileTimeDuration(span(2000));
  EXPECT_EQ(a, b);
  EXPECT_STREQ(a, "00:00:02.000");
}

}  // namespace
