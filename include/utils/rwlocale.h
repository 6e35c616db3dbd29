// Numbers, money amounts, dates and times to text and back.
//
// RWLocaleDefault is a fixed English locale. Parsers answer false, leaving their output
// alone, for any text they do not read completely.
#pragma once

#include <ctime>

#include "utils/ovutil_api.h"
#include "utils/rwcstring.h"

class RWZone;

class OVUTIL_API RWLocale {
 public:
  enum CurrSymbol { NONE = 0, LOCAL = 1, INTL = 2 };

  virtual ~RWLocale();
  virtual RWCString asString(long) const = 0;
  virtual RWCString asString(unsigned long) const = 0;
  virtual RWCString asString(double, int precision = 6, int showpoint = 0) const = 0;
  // One conversion letter; 'x', 'X' and 'c' give whole dates and times.
  virtual RWCString asString(const struct tm* t, char format, const RWZone& zone) const = 0;
  // x counts the smallest currency unit.
  virtual RWCString moneyAsString(double x, CurrSymbol symbol = LOCAL) const = 0;
  virtual bool stringToNum(const RWCString& s, double* out) const = 0;
  virtual bool stringToNum(const RWCString& s, long* out) const = 0;
  virtual bool stringToDate(const RWCString& s, struct tm* out) const = 0;
  virtual bool stringToTime(const RWCString& s, struct tm* out) const = 0;
  virtual bool stringToMoney(const RWCString& s, double* out, CurrSymbol symbol = LOCAL) const = 0;
  // 1..12, or 1 Monday .. 7 Sunday; 0 when the whole text names none.
  virtual int monthIndex(const RWCString& s) const = 0;
  virtual int weekdayIndex(const RWCString& s) const = 0;

  // The process-wide locale (the default one unless replaced); the setter answers the
  // previous one.
  static const RWLocale& global();
  static const RWLocale* global(const RWLocale* l);
};

class OVUTIL_API RWLocaleDefault : public RWLocale {
 public:
  RWCString asString(long) const override;
  RWCString asString(unsigned long) const override;
  RWCString asString(double, int precision = 6, int showpoint = 0) const override;
  RWCString asString(const struct tm* t, char format, const RWZone& zone) const override;
  RWCString moneyAsString(double x, CurrSymbol symbol = LOCAL) const override;
  bool stringToNum(const RWCString& s, double* out) const override;
  bool stringToNum(const RWCString& s, long* out) const override;
  bool stringToDate(const RWCString& s, struct tm* out) const override;
  bool stringToTime(const RWCString& s, struct tm* out) const override;
  bool stringToMoney(const RWCString& s, double* out, CurrSymbol symbol = LOCAL) const override;
  int monthIndex(const RWCString& s) const override;
  int weekdayIndex(const RWCString& s) const override;

  // Texts longer than this are refused by the parsers.
  enum { kMaxText = 255 };
};
