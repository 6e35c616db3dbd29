// Time zones with yearly daylight-saving rules.
//
// Offsets are seconds west of GMT. A rule's boundaries are read against a broken-down
// local time (tm): month 0..11, the week's weekday (0 Sunday) of the month, minutes
// after midnight.
#pragma once

#include <ctime>

#include "utils/ovutil_api.h"
#include "utils/rwcstring.h"

struct OVUTIL_API RWDaylightBoundary {
  enum Week { kFirst = 0, kSecond, kThird, kFourth, kLast };
  int month;    // 0..11
  int week;     // a Week; negative: the day of the month is in weekday
  int weekday;  // 0 Sunday .. 6
  int minute;   // after midnight

  // The day of the month this boundary falls on in a year (0 for a bad boundary).
  int dayOfMonth(int year) const;
  // True when the boundary lies after the time in the time's year.
  bool after(const struct tm* t) const;
};

struct OVUTIL_API RWDaylightRule {
  const RWDaylightRule* next;  // the older rule
  short firstYear;
  char observed;
  RWDaylightBoundary begin;
  RWDaylightBoundary end;

  bool isDaylight(const struct tm* t) const;
};

class OVUTIL_API RWZone {
 public:
  enum DstRule { NoDST = 0, NoAm = 1, WeEu = 2 };
  // Hours west of GMT.
  enum StdZone {
    Greenwich = 0,
    Zone1 = 1,
    Zone2 = 2,
    Zone3 = 3,
    Zone4 = 4,
    USEastern = 5,
    USCentral = 6,
    USMountain = 7,
    USPacific = 8,
    USYukon = 9,
    Zone10 = 10,
    Zone11 = 11
  };

  virtual ~RWZone();
  virtual long timeZoneOffset() const = 0;
  virtual long altZoneOffset() const = 0;
  virtual bool daylightObserved() const = 0;
  virtual RWCString timeZoneName() const = 0;
  virtual RWCString altZoneName() const = 0;
  virtual bool isDaylight(const struct tm* t) const = 0;
  // The rule's boundary in t's year (seconds 0, DST flag -1); with no rule for that year
  // every field becomes -1.
  virtual void getBeginDaylight(struct tm* t) const = 0;
  virtual void getEndDaylight(struct tm* t) const = 0;

  // The process-wide zones; each setter answers the previous one (null: the built-in).
  static const RWZone& local();
  static const RWZone& standard();
  static const RWZone& utc();
  static const RWZone* local(const RWZone* z);
  static const RWZone* standard(const RWZone* z);
  static const RWZone* utc(const RWZone* z);
  // The built-in rule lists, newest first; null for NoDST or an unknown value.
  static const RWDaylightRule* dstRule(DstRule r);
};

class OVUTIL_API RWZoneSimple : public RWZone {
 public:
  RWZoneSimple(StdZone zone, DstRule rule);
  RWZoneSimple(StdZone zone, const RWDaylightRule* rule);
  RWZoneSimple(long offset, const RWCString& name);  // no daylight saving
  // Everything given, as the local zone is built.
  RWZoneSimple(const RWDaylightRule* rule, long offset, const RWCString& name, long altOffset,
               const RWCString& altName);

  long timeZoneOffset() const override { return offset_; }
  long altZoneOffset() const override { return altOffset_; }
  bool daylightObserved() const override { return observed_; }
  RWCString timeZoneName() const override { return name_; }
  RWCString altZoneName() const override { return altName_; }
  bool isDaylight(const struct tm* t) const override;
  void getBeginDaylight(struct tm* t) const override;
  void getEndDaylight(struct tm* t) const override;

  // The rule for a year: the first whose first year is not after it.
  const RWDaylightRule* ruleFor(int year) const;

 private:
  void boundary(struct tm* t, bool begin) const;
  void init(StdZone zone, const RWDaylightRule* rule);

  const RWDaylightRule* rule_;
  bool observed_;
  long offset_;
  RWCString name_;
  long altOffset_;
  RWCString altName_;
};
