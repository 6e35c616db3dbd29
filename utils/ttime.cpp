// Seconds since 1901 in local time with the United States daylight rules.
#include "utils/ttime.h"

#include <time.h>

#include <cstring>

namespace {

const long long kDay = 86400;
const unsigned kMaxDays = 49709;  // the last whole day the 32-bit count reaches

// The run-time's zone, read once (again by ReadZone).
bool g_zoneRead = false;
void readZoneOnce() {
  if (!g_zoneRead) {
    _tzset();
    g_zoneRead = true;
  }
}
long long zoneOffset() {  // seconds west of GMT
  readZoneOnce();
  return _timezone;
}
bool daylightUsed() {
  readZoneOnce();
  return _daylight != 0;
}

long long floorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Seconds between 1 January 1601 (FILETIME) and 1 January 1901.
long long secondsFrom1601() { return (long long)(TDate::kEpoch - TDate::Jday(1, 1, 1601)) * kDay; }

template <class T>
void swapEach(T* p, unsigned count) {
  if (!p) return;
  for (unsigned i = 0; i < count; ++i) {
    unsigned char* b = reinterpret_cast<unsigned char*>(p + i);
    for (size_t k = 0; k < sizeof(T) / 2; ++k) {
      unsigned char c = b[k];
      b[k] = b[sizeof(T) - 1 - k];
      b[sizeof(T) - 1 - k] = c;
    }
  }
}

}  // namespace

const TDate TTime::RefDate = TDate::FromJulian(TDate::kEpoch);
const TDate TTime::MaxDate = TDate::FromJulian(TDate::kEpoch + kMaxDays);

void TTime::ReadZone() {
  g_zoneRead = false;
  readZoneOnce();
}

bool TTime::AssertDate(const TDate& d) {
  return d.IsValid() && d.Julian() >= RefDate.Julian() && d.Julian() <= MaxDate.Julian();
}

TTime TTime::FromSeconds(uint32_t s) { return TTime(s, Raw()); }

TTime TTime::FromFileTime(const FILETIME& ft) {
  unsigned long long v = (unsigned long long)ft.dwHighDateTime << 32 | ft.dwLowDateTime;
  long long s = (long long)(v / 10000000ull) - secondsFrom1601();
  return TTime(s > 0 && s <= 0xFFFFFFFFLL ? uint32_t(s) : 0, Raw());
}

FILETIME TTime::ToFileTime() const {
  FILETIME ft = {0, 0};
  if (!sec_) return ft;
  unsigned long long v = (unsigned long long)(sec_ + secondsFrom1601()) * 10000000ull;
  ft.dwLowDateTime = DWORD(v);
  ft.dwHighDateTime = DWORD(v >> 32);
  return ft;
}

TTime::TTime() : sec_(0) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  sec_ = FromFileTime(now).sec_;
}

TTime::TTime(unsigned hour, unsigned minute, unsigned second) : TTime(TDate(), hour, minute, second) {}

TTime::TTime(const TDate& date, unsigned h, unsigned m, unsigned s) : sec_(0) {
  if (!AssertDate(date)) return;
  long long t = (long long)(date.Julian() - TDate::kEpoch) * kDay + 3600LL * h + 60LL * m + s - 3600;
  if (t != 0) t += zoneOffset();
  if (inDST(t)) {
    t += 3600;
    if (inDST(t)) t -= 3600;
  } else {
    t += 3600;
    if (inDST(t)) return;  // the hour skipped in spring does not exist
  }
  if (t > 0 && t <= 0xFFFFFFFFLL) sec_ = uint32_t(t);
}

// The day and hour a rule changes, as GMT seconds: begins at 2:00 local standard time,
// ends at 1:00 local standard time (2:00 daylight time).
long long TTime::boundary(unsigned year, bool begin) {
  TDate day = TDate::FromJulian(0);
  if (begin) {
    if (year >= 2007)
      day = TDate(14, 3, year).Previous(TDate::kSunday);  // the second Sunday of March
    else if (year >= 1987)
      day = TDate(31, 3, year).Previous(TDate::kSunday) + 7;  // the first Sunday of April
    else if (year == 1974)
      day = TDate(6, 1, 1974);
    else if (year == 1975)
      day = TDate(23, 2, 1975);
    else
      day = TDate(30, 4, year).Previous(TDate::kSunday);
  } else {
    if (year >= 2007)
      day = TDate(7, 11, year).Previous(TDate::kSunday);  // the first Sunday of November
    else
      day = TDate(31, 10, year).Previous(TDate::kSunday);
  }
  return ((long long)day.Julian() - TDate::kEpoch) * kDay + (begin ? 2 : 1) * 3600LL + zoneOffset();
}

bool TTime::inDST(long long gmt) {
  if (!daylightUsed()) return false;
  long long local = gmt - zoneOffset();
  TDate d = TDate::FromJulian(uint32_t(TDate::kEpoch + floorDiv(local, kDay)));
  unsigned year = d.Year();
  return boundary(year, true) <= gmt && gmt < boundary(year, false);
}

TTime TTime::BeginDST(unsigned year) {
  long long s = boundary(year, true);
  return FromSeconds(s > 0 && s <= 0xFFFFFFFFLL ? uint32_t(s) : 0);
}

TTime TTime::EndDST(unsigned year) {
  long long s = boundary(year, false);
  return FromSeconds(s > 0 && s <= 0xFFFFFFFFLL ? uint32_t(s) : 0);
}

bool TTime::IsDST() const { return sec_ && inDST(sec_); }

long long TTime::LocalSeconds() const {
  long long local = (long long)sec_ - zoneOffset();
  return IsDST() ? local + 3600 : local;
}

unsigned TTime::Hour() const { return unsigned(floorDiv(LocalSeconds(), 3600) % 24 + 24) % 24; }
unsigned TTime::Minute() const { return unsigned(floorDiv(LocalSeconds(), 60) % 60 + 60) % 60; }
unsigned TTime::HourGMT() const { return sec_ / 3600 % 24; }
unsigned TTime::MinuteGMT() const { return sec_ / 60 % 60; }
unsigned TTime::Second() const { return sec_ % 60; }

void byteSwapShorts(short* p, unsigned count) { swapEach(p, count); }
void byteSwapLongs(long* p, unsigned count) { swapEach(p, count); }
void byteSwapFloats(float* p, unsigned count) { swapEach(p, count); }
void byteSwapDouble(double& d) { swapEach(&d, 1); }
void byteSwapDoubles(double* p, unsigned count) { swapEach(p, count); }
