// Time zones and the built-in daylight rules.
#include "utils/rwzone.h"

#include <time.h>

#include <cstring>

#include "utils/tdate.h"

namespace {

int daysIn(int month, int year) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[month] + (month == 1 && TDate::LeapYear(unsigned(year)) ? 1 : 0);
}

// North America, newest first. Since 2007: the second Sunday of March to the first
// Sunday of November. 1987-2006: the first Sunday of April. 1976-86 and before 1974: the
// last Sunday of April (1967-73 included, as the zone tables record them). The end is
// the last Sunday of October until 2006. All at 2:00.
const RWDaylightRule kNa0 = {nullptr, 0, 1, {3, 4, 0, 120}, {9, 4, 0, 120}};
const RWDaylightRule kNa1974 = {&kNa0, 1974, 1, {0, 0, 0, 120}, {9, 4, 0, 120}};
const RWDaylightRule kNa1975 = {&kNa1974, 1975, 1, {1, 4, 0, 120}, {9, 4, 0, 120}};
const RWDaylightRule kNa1976 = {&kNa1975, 1976, 1, {3, 4, 0, 120}, {9, 4, 0, 120}};
const RWDaylightRule kNa1987 = {&kNa1976, 1987, 1, {3, 0, 0, 120}, {9, 4, 0, 120}};
const RWDaylightRule kNa2007 = {&kNa1987, 2007, 1, {2, 1, 0, 120}, {10, 0, 0, 120}};

// Western Europe: the last Sunday of March to the last Sunday of September; from 1996
// the end moved to the last Sunday of October. All at 2:00.
const RWDaylightRule kWe0 = {nullptr, 0, 1, {2, 4, 0, 120}, {8, 4, 0, 120}};
const RWDaylightRule kWe1996 = {&kWe0, 1996, 1, {2, 4, 0, 120}, {9, 4, 0, 120}};

const char* const kNames[12][2] = {{"GMT", "WET DST"}, {"GMT-1", "GMT-2"},   {"GMT-2", "GMT-3"},
                                   {"GMT-3", "GMT-4"}, {"GMT-4", "GMT-5"},   {"EST", "EDT"},
                                   {"CST", "CDT"},     {"MST", "MDT"},       {"PST", "PDT"},
                                   {"YST", "YDT"},     {"GMT-10", "GMT-11"}, {"GMT-11", "GMT-12"}};

const RWZone* g_local = nullptr;
const RWZone* g_standard = nullptr;
const RWZone* g_utc = nullptr;

const RWZone& builtLocal() {
  static const RWZoneSimple* z = [] {
    _tzset();
    const RWDaylightRule* rule = _daylight ? RWZone::dstRule(RWZone::NoAm) : nullptr;
    return new RWZoneSimple(rule, _timezone, _tzname[0] ? _tzname[0] : "", _timezone - 3600,
                            _tzname[1] ? _tzname[1] : "");
  }();
  return *z;
}

const RWZone& builtStandard() {
  static const RWZoneSimple* z = [] {
    _tzset();
    return new RWZoneSimple(_timezone, _tzname[0] ? _tzname[0] : "");
  }();
  return *z;
}

const RWZone& builtUtc() {
  static const RWZoneSimple z(RWZone::Greenwich, RWZone::NoDST);
  return z;
}

}  // namespace

int RWDaylightBoundary::dayOfMonth(int year) const {
  if (month < 0 || month > 11) return 0;
  int last = daysIn(month, year);
  if (week < 0) return weekday >= 1 && weekday <= last ? weekday : 0;
  if (weekday < 0 || weekday > 6 || week > kLast) return 0;
  // Weekday of the first of the month (0 Sunday): TDate counts 1 Monday .. 7 Sunday.
  int first = int(TDate(1, unsigned(month + 1), unsigned(year)).WeekDay()) % 7;
  int day = 1 + (weekday - first + 7) % 7;
  if (week < kLast) return day + 7 * week;
  while (day + 7 <= last) day += 7;
  return day;
}

bool RWDaylightBoundary::after(const struct tm* t) const {
  if (t->tm_mon != month) return t->tm_mon < month;
  int day = dayOfMonth(t->tm_year + 1900);
  if (t->tm_mday != day) return t->tm_mday < day;
  return t->tm_hour * 60 + t->tm_min < minute;
}

bool RWDaylightRule::isDaylight(const struct tm* t) const {
  if (!observed || !t) return false;
  bool a = begin.after(t), b = end.after(t);
  return (a == b) != (begin.month < end.month);
}

RWZone::~RWZone() {}

const RWDaylightRule* RWZone::dstRule(DstRule r) {
  switch (r) {
    case NoAm:
      return &kNa2007;
    case WeEu:
      return &kWe1996;
    default:
      return nullptr;
  }
}

const RWZone& RWZone::local() { return g_local ? *g_local : builtLocal(); }
const RWZone& RWZone::standard() { return g_standard ? *g_standard : builtStandard(); }
const RWZone& RWZone::utc() { return g_utc ? *g_utc : builtUtc(); }

const RWZone* RWZone::local(const RWZone* z) {
  const RWZone* old = &local();
  g_local = z;
  return old;
}
const RWZone* RWZone::standard(const RWZone* z) {
  const RWZone* old = &standard();
  g_standard = z;
  return old;
}
const RWZone* RWZone::utc(const RWZone* z) {
  const RWZone* old = &utc();
  g_utc = z;
  return old;
}

void RWZoneSimple::init(StdZone zone, const RWDaylightRule* rule) {
  int z = int(zone);
  int row = z >= 0 && z < 12 ? z : 0;
  rule_ = rule;
  observed_ = rule != nullptr;
  offset_ = long(z) * 3600;
  name_ = kNames[row][0];
  altOffset_ = observed_ ? long(z - 1) * 3600 : offset_;
  altName_ = observed_ ? kNames[row][1] : kNames[row][0];
}

RWZoneSimple::RWZoneSimple(StdZone zone, DstRule rule) { init(zone, dstRule(rule)); }
RWZoneSimple::RWZoneSimple(StdZone zone, const RWDaylightRule* rule) { init(zone, rule); }

RWZoneSimple::RWZoneSimple(long offset, const RWCString& name)
    : rule_(nullptr), observed_(false), offset_(offset), name_(name), altOffset_(offset), altName_(name) {}

RWZoneSimple::RWZoneSimple(const RWDaylightRule* rule, long offset, const RWCString& name, long altOffset,
                           const RWCString& altName)
    : rule_(rule),
      observed_(rule != nullptr),
      offset_(offset),
      name_(name),
      altOffset_(rule ? altOffset : offset),
      altName_(rule ? altName : name) {}

const RWDaylightRule* RWZoneSimple::ruleFor(int year) const {
  for (const RWDaylightRule* r = rule_; r; r = r->next)
    if (r->firstYear <= year) return r;
  return nullptr;
}

bool RWZoneSimple::isDaylight(const struct tm* t) const {
  if (!observed_ || !t) return false;
  const RWDaylightRule* r = ruleFor(t->tm_year + 1900);
  return r && r->isDaylight(t);
}

void RWZoneSimple::boundary(struct tm* t, bool begin) const {
  if (!t) return;
  int year = t->tm_year + 1900;
  const RWDaylightRule* r = observed_ ? ruleFor(year) : nullptr;
  const RWDaylightBoundary* b = r ? (begin ? &r->begin : &r->end) : nullptr;
  int day = b ? b->dayOfMonth(year) : 0;
  if (!day) {
    std::memset(t, 0xFF, sizeof *t);  // every field -1
    return;
  }
  TDate d(unsigned(day), unsigned(b->month + 1), unsigned(year));
  t->tm_mon = b->month;
  t->tm_mday = day;
  t->tm_hour = b->minute / 60;
  t->tm_min = b->minute % 60;
  t->tm_sec = 0;
  t->tm_yday = int(d.Day()) - 1;
  t->tm_wday = int(d.WeekDay()) % 7;
  t->tm_isdst = -1;
}

void RWZoneSimple::getBeginDaylight(struct tm* t) const { boundary(t, true); }
void RWZoneSimple::getEndDaylight(struct tm* t) const { boundary(t, false); }
