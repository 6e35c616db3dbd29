// Julian day numbers and their calendar fields.
#include "utils/tdate.h"

#include <windows.h>

#include <cstring>

#include "utils/ttime.h"

namespace {

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                  "Friday", "Saturday", "Sunday"};
const unsigned kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const unsigned kFirstDay[12] = {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
const unsigned kMaxYear = 999999;  // keeps the day number inside 32 bits

unsigned fullYear(unsigned y) { return y < 100 ? y + 1900 : y; }

// Case-insensitive: is text a non-empty prefix of name? Searched from the last entry.
unsigned prefixIndex(const char* text, const char* const* names, unsigned n) {
  if (!text || !*text) return 0;
  size_t len = std::strlen(text);
  for (unsigned i = n; i > 0; --i)
    if (len <= std::strlen(names[i - 1]) && _strnicmp(names[i - 1], text, len) == 0) return i;
  return 0;
}

}  // namespace

int TDate::LeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned TDate::DaysInYear(unsigned year) { return LeapYear(fullYear(year)) ? 366 : 365; }

int TDate::DayWithinMonth(unsigned month, unsigned day, unsigned year) {
  year = fullYear(year);
  if (month < 1 || month > 12 || day < 1 || year < 1 || year > kMaxYear) return 0;
  unsigned last = kDaysInMonth[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
  return day <= last;
}

uint32_t TDate::Jday(unsigned m, unsigned d, unsigned y) {
  y = fullYear(y);
  if (!DayWithinMonth(m, d, y)) return 0;
  unsigned long long yy = m < 3 ? y - 1 : y;
  unsigned long long mm = m < 3 ? m + 9 : m - 3;
  return uint32_t((153 * mm + 2) / 5 + (yy / 100) * 146097 / 4 + ((yy % 100) * 1461) / 4 + d + 1721119);
}

const char* TDate::DayName(unsigned i) { return i >= 1 && i <= 7 ? kDayNames[i - 1] : nullptr; }
const char* TDate::MonthName(unsigned i) { return i >= 1 && i <= 12 ? kMonthNames[i - 1] : nullptr; }
unsigned TDate::DayOfWeek(const char* name) { return prefixIndex(name, kDayNames, 7); }
unsigned TDate::IndexOfMonth(const char* name) { return prefixIndex(name, kMonthNames, 12); }

TDate TDate::FromJulian(uint32_t julian) {
  TDate d(0u, 0u);
  d.julnum_ = julian;
  return d;
}

TDate::TDate() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  julnum_ = Jday(st.wMonth, st.wDay, st.wYear);
}

TDate::TDate(unsigned day, unsigned year) : julnum_(0) {
  if (year == 0) {
    julnum_ = kEpoch + day;
    return;
  }
  year = fullYear(year);
  if (day < 1 || day > DaysInYear(year) || year > kMaxYear) return;
  julnum_ = Jday(1, 1, year) + day - 1;
}

TDate::TDate(unsigned day, const char* monthName, unsigned year)
    : julnum_(Jday(IndexOfMonth(monthName), day, year)) {}

TDate::TDate(unsigned day, unsigned month, unsigned year) : julnum_(Jday(month, day, year)) {}

TDate::TDate(const TTime& t) : julnum_(0) {
  if (!t.IsValid()) return;
  julnum_ = kEpoch + uint32_t(t.LocalSeconds() / 86400);
}

void TDate::Mdy(unsigned& month, unsigned& day, unsigned& year) const {
  if (!julnum_) {
    month = day = year = 0;
    return;
  }
  long long a = 4LL * julnum_ - 6884477;
  long long c = a / 146097;
  a = ((a % 146097) / 4) * 4 + 3;
  long long b = ((a % 1461 + 4) / 4) * 5 - 3;
  long long m = b / 153;
  day = unsigned((b % 153 + 5) / 5);
  long long y = 100 * c + a / 1461;
  if (m > 9) {
    month = unsigned(m - 9);
    year = unsigned(y + 1);
  } else {
    month = unsigned(m + 3);
    year = unsigned(y);
  }
}

unsigned TDate::DayOfMonth() const {
  unsigned m, d, y;
  Mdy(m, d, y);
  return d;
}
unsigned TDate::Month() const {
  unsigned m, d, y;
  Mdy(m, d, y);
  return m;
}
unsigned TDate::Year() const {
  unsigned m, d, y;
  Mdy(m, d, y);
  return y;
}
unsigned TDate::Day() const {
  if (!julnum_) return 0;
  return julnum_ - Jday(1, 1, Year()) + 1;
}

unsigned TDate::FirstDayOfMonth(unsigned month) const {
  if (month < 1 || month > 12) return 0;
  return kFirstDay[month - 1] + (month > 2 && LeapYear(Year()) ? 1 : 0);
}

unsigned TDate::WeekDay() const {
  if (!julnum_) return 0;
  return ((julnum_ + 1) % 7 + 6) % 7 + 1;
}

TDate TDate::Previous(unsigned weekDay) const {
  if (!julnum_ || weekDay < 1 || weekDay > 7) return FromJulian(0);
  unsigned back = (WeekDay() + 7 - weekDay) % 7;
  return FromJulian(julnum_ > back ? julnum_ - back : 0);
}

TDate TDate::Previous(const char* dayName) const { return Previous(DayOfWeek(dayName)); }

int TDate::CompareTo(const TDate& d) const { return julnum_ < d.julnum_ ? -1 : julnum_ > d.julnum_ ? 1 : 0; }

TDate TDate::operator+(long days) const {
  if (!julnum_) return *this;
  long long j = (long long)julnum_ + days;
  return FromJulian(j > 0 && j <= 0xFFFFFFFFLL ? uint32_t(j) : 0);
}
