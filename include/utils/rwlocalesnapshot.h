// A locale captured from the run-time library (setlocale, localeconv, strftime) when it
// is constructed; later changes of the run-time's locale do not reach it.
#pragma once

#include <string>
#include <vector>

#include "utils/rwlocale.h"

class OVUTIL_API RWLocaleSnapshot : public RWLocale {
 public:
  enum DateOrder { DMY = 0, MDY = 1, YDM = 2, YMD = 3 };
  // The conversions a captured format is made of; DayBlank and MonthBlank are the day
  // and month padded with a blank, DayPlain and MonthPlain without any padding (as some
  // locales write short dates).
  enum Component {
    Year4,
    Year2,
    DayOfYear,
    Second,
    Minute,
    Hour12,
    Hour24,
    Month,
    MonthName,
    MonthAbbr,
    WeekdayName,
    WeekdayAbbr,
    AmPm,
    Day,
    ZoneName,
    WeekOfYearSun,
    WeekOfYearMon,
    WeekdayNumber,
    DayBlank,
    MonthBlank,
    DayPlain,
    MonthPlain,
    kComponents
  };
  struct Piece {
    Component component;
    size_t position;  // in the residue text
  };
  struct Format {
    std::string residue;
    std::vector<Piece> pieces;  // by position
  };

  // Switches the run-time to name (null: the current locale), captures it and switches
  // back. A name the run-time refuses leaves the current locale captured and valid()
  // false.
  explicit RWLocaleSnapshot(const char* name = nullptr);
  ~RWLocaleSnapshot() override;

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

  bool valid() const { return valid_; }
  const std::string& localeName() const { return name_; }
  // The numeric and monetary texts, in the run-time's order.
  const std::string& decimalPoint() const { return text_[0]; }
  const std::string& thousandsSep() const { return text_[1]; }
  const std::string& grouping() const { return text_[2]; }
  const std::string& intCurrSymbol() const { return text_[3]; }
  const std::string& currencySymbol() const { return text_[4]; }
  const std::string& monDecimalPoint() const { return text_[5]; }
  const std::string& monThousandsSep() const { return text_[6]; }
  const std::string& monGrouping() const { return text_[7]; }
  const std::string& positiveSign() const { return text_[8]; }
  const std::string& negativeSign() const { return text_[9]; }
  // int_frac_digits, frac_digits, p_cs_precedes, p_sep_by_space, n_cs_precedes,
  // n_sep_by_space, p_sign_posn, n_sign_posn, after clamping.
  int monetary(int i) const { return i >= 0 && i < 8 ? mon_[i] : 0; }
  const std::string& weekdayName(int i) const { return days_[i % 7]; }  // Sunday 0
  const std::string& weekdayAbbr(int i) const { return daysAbbr_[i % 7]; }
  const std::string& monthName(int i) const { return months_[i % 12]; }  // January 0
  const std::string& monthAbbr(int i) const { return monthsAbbr_[i % 12]; }
  const std::string& am() const { return am_; }
  const std::string& pm() const { return pm_; }
  int monthNamesWithDigits() const { return digitNames_; }
  const Format& timeFormat() const { return formats_[0]; }
  const Format& dateFormat() const { return formats_[1]; }
  const Format& dateTimeFormat() const { return formats_[2]; }
  DateOrder dateOrder() const { return order_; }

  enum { kMaxText = 255 };

  // Places the number, the currency symbol and the sign text by a sign position (0..4;
  // 0 puts the amount in parentheses) and whether the symbol precedes the number; a
  // blank separates symbol and number only when spaced and the symbol is not empty.
  static std::string placeMoney(const std::string& number, const std::string& symbol, const std::string& sign,
                                int signPosition, bool precedes, bool spaced);

 private:
  std::string group(const std::string& digits, const std::string& sep, const std::string& grouping) const;
  std::string number(double v, int precision, bool showpoint, const std::string& point,
                     const std::string& sep, const std::string& grouping) const;
  std::string component(Component c, const struct tm* t, const RWZone& zone) const;
  std::string render(const Format& f, const struct tm* t, const RWZone& zone) const;
  bool groupsOk(const std::vector<int>& groups, bool trailingSep, const std::string& sep,
                const std::string& grouping) const;
  bool readGrouped(const char*& p, const std::string& sep, const std::string& grouping,
                   std::string& digits) const;

  bool valid_;
  std::string name_;
  std::string text_[10];
  int mon_[8];
  std::string days_[7], daysAbbr_[7], months_[12], monthsAbbr_[12];
  std::string am_, pm_;
  int digitNames_;
  Format formats_[3];
  DateOrder order_;
  double scale_, intScale_;
};
