// A calendar date held as its Julian day number (unsigned 32-bit; 0 is invalid), with
// names and parsing through a locale. Weekdays: 1 Monday .. 7 Sunday.
#pragma once

#include <cstdint>
#include <ctime>

#include "utils/ovutil_api.h"
#include "utils/rwcstring.h"
#include "utils/rwlocale.h"

class OVUTIL_API RWDate {
 public:
  RWDate();                             // today
  RWDate(unsigned day, unsigned year);  // day of the year; year 0 counts from 1 January 1901
  RWDate(unsigned day, const char* monthName, unsigned year, const RWLocale& locale = RWLocale::global());
  RWDate(unsigned day, unsigned month, unsigned year);
  explicit RWDate(const struct tm* t);
  RWDate(const RWCString& text, const RWLocale& locale = RWLocale::global());
  static RWDate fromJulian(uint32_t jd);

  bool isValid() const { return julnum_ != 0; }
  uint32_t julian() const { return julnum_; }
  // All fields, the time 0:00:00 and DST flag -1; an invalid date sets every field to -1.
  void extract(struct tm* t) const;
  unsigned weekDay() const;  // 0 when invalid
  // The latest date strictly before this one on that weekday; invalid for a bad one.
  RWDate previous(unsigned weekday) const;
  RWDate previous(const char* dayName, const RWLocale& locale = RWLocale::global()) const;
  RWCString weekDayName(const RWLocale& locale = RWLocale::global()) const;
  RWCString nameOfMonth(const RWLocale& locale = RWLocale::global()) const;
  int compareTo(const RWDate& d) const;
  unsigned hash() const { return julnum_; }
  RWDate max(const RWDate& d) const { return compareTo(d) >= 0 ? *this : d; }
  RWDate min(const RWDate& d) const { return compareTo(d) <= 0 ? *this : d; }
  void mdy(unsigned& m, unsigned& d, unsigned& y) const;
  unsigned day() const;  // of the year
  unsigned dayOfMonth() const;
  unsigned month() const;
  unsigned year() const;
  unsigned firstDayOfMonth() const;  // day of the year of this month's first day

  static uint32_t jday(unsigned m, unsigned d, unsigned y);
  static bool leapYear(unsigned year);
  static unsigned daysInYear(unsigned year);
  static bool dayWithinMonth(unsigned m, unsigned d, unsigned y);
  static RWDate now() { return RWDate(); }
  static RWDate currentDate() { return RWDate(); }

  bool operator==(const RWDate& d) const { return julnum_ == d.julnum_; }
  bool operator!=(const RWDate& d) const { return julnum_ != d.julnum_; }

  static const unsigned char daysInMonth[12];
  static const unsigned firstDayOfEachMonth[12];

 private:
  uint32_t julnum_;
};
static_assert(sizeof(RWDate) == 4, "an RWDate is one 32-bit day number");
