// Calendar dates over TDate's day arithmetic.
#include "utils/rwdate.h"

#include <cstring>

#include "utils/rwzone.h"
#include "utils/tdate.h"

const unsigned char RWDate::daysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const unsigned RWDate::firstDayOfEachMonth[12] = {1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

RWDate RWDate::fromJulian(uint32_t jd) {
  RWDate d(0u, 0u);
  d.julnum_ = jd;
  return d;
}

RWDate::RWDate() : julnum_(TDate().Julian()) {}
RWDate::RWDate(unsigned day, unsigned year) : julnum_(TDate(day, year).Julian()) {}
RWDate::RWDate(unsigned day, const char* monthName, unsigned year, const RWLocale& locale) : julnum_(0) {
  int m = monthName ? locale.monthIndex(monthName) : 0;
  if (m > 0) julnum_ = jday(unsigned(m), day, year);
}
RWDate::RWDate(unsigned day, unsigned month, unsigned year) : julnum_(jday(month, day, year)) {}

RWDate::RWDate(const struct tm* t) : julnum_(0) {
  if (!t || t->tm_mon < 0 || t->tm_mday < 1 || t->tm_year < -1899) return;
  julnum_ = jday(unsigned(t->tm_mon + 1), unsigned(t->tm_mday), unsigned(t->tm_year + 1900));
}

RWDate::RWDate(const RWCString& text, const RWLocale& locale) : julnum_(0) {
  struct tm t;
  std::memset(&t, 0, sizeof t);
  if (locale.stringToDate(text, &t)) *this = RWDate(&t);
}

uint32_t RWDate::jday(unsigned m, unsigned d, unsigned y) { return TDate::Jday(m, d, y); }
bool RWDate::leapYear(unsigned year) { return TDate::LeapYear(year) != 0; }
unsigned RWDate::daysInYear(unsigned year) { return TDate::DaysInYear(year); }
bool RWDate::dayWithinMonth(unsigned m, unsigned d, unsigned y) {
  return TDate::DayWithinMonth(m, d, y) != 0;
}

void RWDate::mdy(unsigned& m, unsigned& d, unsigned& y) const { TDate::FromJulian(julnum_).Mdy(m, d, y); }
unsigned RWDate::day() const { return TDate::FromJulian(julnum_).Day(); }
unsigned RWDate::dayOfMonth() const { return TDate::FromJulian(julnum_).DayOfMonth(); }
unsigned RWDate::month() const { return TDate::FromJulian(julnum_).Month(); }
unsigned RWDate::year() const { return TDate::FromJulian(julnum_).Year(); }
unsigned RWDate::firstDayOfMonth() const { return TDate::FromJulian(julnum_).FirstDayOfMonth(month()); }

unsigned RWDate::weekDay() const { return julnum_ ? julnum_ % 7 + 1 : 0; }

RWDate RWDate::previous(unsigned weekday) const {
  if (!julnum_ || weekday < 1 || weekday > 7) return fromJulian(0);
  unsigned back = (weekDay() + 7 - weekday) % 7;
  if (back == 0) back = 7;  // strictly before
  return fromJulian(julnum_ > back ? julnum_ - back : 0);
}

RWDate RWDate::previous(const char* dayName, const RWLocale& locale) const {
  int w = dayName ? locale.weekdayIndex(dayName) : 0;
  return w > 0 ? previous(unsigned(w)) : fromJulian(0);
}

void RWDate::extract(struct tm* t) const {
  if (!t) return;
  if (!julnum_) {
    std::memset(t, 0xFF, sizeof *t);
    return;
  }
  unsigned m, d, y;
  mdy(m, d, y);
  t->tm_year = int(y) - 1900;
  t->tm_mon = int(m) - 1;
  t->tm_mday = int(d);
  t->tm_yday = int(day()) - 1;
  t->tm_wday = int(weekDay()) % 7;  // Sunday 0
  t->tm_hour = t->tm_min = t->tm_sec = 0;
  t->tm_isdst = -1;
}

RWCString RWDate::weekDayName(const RWLocale& locale) const {
  struct tm t;
  extract(&t);
  return julnum_ ? locale.asString(&t, 'A', RWZone::local()) : RWCString();
}

RWCString RWDate::nameOfMonth(const RWLocale& locale) const {
  struct tm t;
  extract(&t);
  return julnum_ ? locale.asString(&t, 'B', RWZone::local()) : RWCString();
}

int RWDate::compareTo(const RWDate& d) const {
  return julnum_ < d.julnum_ ? -1 : julnum_ > d.julnum_ ? 1 : 0;
}
