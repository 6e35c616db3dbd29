// A moment held as unsigned 32-bit seconds since 1 January 1901, 00:00 GMT (0 is
// invalid), read in local time through the run-time library's time zone (_tzset,
// _timezone, _daylight) with the United States daylight-saving rules.
//
// Valid dates run from RefDate (1 January 1901) to MaxDate (5 February 2037). The count
// never passes through the run-time's time_t, whose width differs between builds.
#pragma once

#include <windows.h>

#include <cstdint>

#include "utils/ovutil_api.h"
#include "utils/tdate.h"

class OVUTIL_API TTime {
 public:
  TTime();                                                 // now
  TTime(unsigned hour, unsigned minute, unsigned second);  // today, local
  // A local time; 0 for an invalid date or a time inside the hour skipped in spring.
  TTime(const TDate& date, unsigned hour, unsigned minute, unsigned second);
  static TTime FromSeconds(uint32_t seconds);
  static TTime FromFileTime(const FILETIME& utc);  // 0 outside the range
  FILETIME ToFileTime() const;                     // 0 for an invalid time

  bool IsValid() const { return sec_ != 0; }
  uint32_t Seconds() const { return sec_; }
  unsigned Hour() const;  // local
  unsigned Minute() const;
  unsigned HourGMT() const;
  unsigned MinuteGMT() const;
  unsigned Second() const;
  bool IsDST() const;
  // Local seconds since the epoch: GMT less the zone offset, plus an hour in DST.
  long long LocalSeconds() const;

  // Where daylight saving begins and ends in a year (invalid outside the range).
  static TTime BeginDST(unsigned year);
  static TTime EndDST(unsigned year);
  static bool AssertDate(const TDate& d);  // within RefDate..MaxDate
  // Reads the run-time's time-zone settings again (after TZ changed).
  static void ReadZone();

  int CompareTo(const TTime& t) const { return sec_ < t.sec_ ? -1 : sec_ > t.sec_ ? 1 : 0; }
  uint32_t Hash() const { return sec_; }
  TTime Max(const TTime& t) const { return CompareTo(t) >= 0 ? *this : t; }
  TTime Min(const TTime& t) const { return CompareTo(t) <= 0 ? *this : t; }
  bool operator==(const TTime& t) const { return sec_ == t.sec_; }
  bool operator!=(const TTime& t) const { return sec_ != t.sec_; }

  static const TDate RefDate;
  static const TDate MaxDate;

 private:
  struct Raw {};
  TTime(uint32_t s, Raw) : sec_(s) {}
  static bool inDST(long long gmt);
  static long long boundary(unsigned year, bool begin);
  uint32_t sec_;
};
static_assert(sizeof(TTime) == 4, "a TTime is one 32-bit count of seconds");

// In-place byte-order reversal of each element.
OVUTIL_API void byteSwapShorts(short* p, unsigned count);
OVUTIL_API void byteSwapLongs(long* p, unsigned count);  // long is 32-bit in both builds
OVUTIL_API void byteSwapFloats(float* p, unsigned count);
OVUTIL_API void byteSwapDouble(double& d);
OVUTIL_API void byteSwapDoubles(double* p, unsigned count);
