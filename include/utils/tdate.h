// A calendar day held as its Julian day number (unsigned 32-bit; 0 is invalid).
// Day 2415386 is 1 January 1901. Weekdays number 1 Monday .. 7 Sunday; months 1..12.
// Years below 100 are taken as 1900 + year.
#pragma once

#include <cstdint>

#include "utils/ovutil_api.h"

class TTime;

class OVUTIL_API TDate {
 public:
  enum : uint32_t { kEpoch = 2415386 };  // 1 January 1901, the day TTime counts from
  enum WeekDayNumber { kMonday = 1, kTuesday, kWednesday, kThursday, kFriday, kSaturday, kSunday };

  TDate();                             // today, local time
  TDate(unsigned day, unsigned year);  // day of the year (1 = 1 January); year 0: day 0 is 1 January 1901
  TDate(unsigned day, const char* monthName, unsigned year);
  TDate(unsigned day, unsigned month, unsigned year);
  explicit TDate(const TTime& t);  // the local date; invalid for an invalid time
  static TDate FromJulian(uint32_t julian);

  static uint32_t Jday(unsigned month, unsigned day, unsigned year);  // 0 when invalid
  static int DayWithinMonth(unsigned month, unsigned day, unsigned year);
  static unsigned DaysInYear(unsigned year);
  static int LeapYear(unsigned year);
  static const char* DayName(unsigned weekDay);  // null outside 1..7
  static const char* MonthName(unsigned month);  // null outside 1..12
  static unsigned DayOfWeek(const char* name);   // prefix of a name, any case; 0 when none
  static unsigned IndexOfMonth(const char* name);

  bool IsValid() const { return julnum_ != 0; }
  uint32_t Julian() const { return julnum_; }
  void Mdy(unsigned& month, unsigned& day, unsigned& year) const;  // 0s when invalid
  unsigned Day() const;                                            // day of the year
  unsigned DayOfMonth() const;
  unsigned Month() const;
  unsigned Year() const;
  unsigned FirstDayOfMonth(unsigned month) const;  // day of the year; 0 for a bad month
  unsigned WeekDay() const;                        // 0 when invalid
  // The latest date on or before this one falling on that weekday; invalid for a bad one.
  TDate Previous(unsigned weekDay) const;
  TDate Previous(const char* dayName) const;
  int CompareTo(const TDate& d) const;
  uint32_t Hash() const { return julnum_; }
  TDate Max(const TDate& d) const { return CompareTo(d) >= 0 ? *this : d; }
  TDate Min(const TDate& d) const { return CompareTo(d) <= 0 ? *this : d; }

  bool operator==(const TDate& d) const { return julnum_ == d.julnum_; }
  bool operator!=(const TDate& d) const { return julnum_ != d.julnum_; }
  bool operator<(const TDate& d) const { return julnum_ < d.julnum_; }
  TDate operator+(long days) const;
  TDate operator-(long days) const { return *this + (-days); }
  long operator-(const TDate& d) const { return long(julnum_) - long(d.julnum_); }

 private:
  uint32_t julnum_;
};
static_assert(sizeof(TDate) == 4, "a TDate is one 32-bit day number");
