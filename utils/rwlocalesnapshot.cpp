// A snapshot of the run-time library's locale.
#include "utils/rwlocalesnapshot.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "utils/rwzone.h"
#include "utils/tdate.h"

namespace {

const char kConversions[] = "YyjSMIHmBbAapdZUWw";  // components 0..17

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
const char* skipSpace(const char* p) {
  while (isSpace(*p)) ++p;
  return p;
}
bool startsWith(const char* p, const std::string& s) {
  return !s.empty() && std::strncmp(p, s.c_str(), s.size()) == 0;
}
bool plainText(const RWCString& s, size_t limit) {
  return s.length() <= limit && std::strlen(s.data()) == s.length();
}

std::string strf(const char* fmt, const struct tm& t) {
  char buf[256];
  size_t n = std::strftime(buf, sizeof buf, fmt, &t);
  return std::string(buf, n);
}

// 30 November 1990, 22:54:56, a Friday, day 334 of its year.
struct tm referenceTime() {
  struct tm t;
  std::memset(&t, 0, sizeof t);
  t.tm_year = 90;
  t.tm_mon = 10;
  t.tm_mday = 30;
  t.tm_hour = 22;
  t.tm_min = 54;
  t.tm_sec = 56;
  t.tm_wday = 5;
  t.tm_yday = 333;
  t.tm_isdst = 0;
  return t;
}

char runtimePoint() {
  const struct lconv* lc = std::localeconv();
  return lc && lc->decimal_point && *lc->decimal_point ? *lc->decimal_point : '.';
}

int lowNibble(char c) { return (unsigned char)c & 15; }

int ci(const char* a, const char* b, size_t n) { return _strnicmp(a, b, n); }

// Case-insensitive search.
const char* findNoCase(const char* hay, const std::string& needle) {
  if (needle.empty()) return nullptr;
  for (const char* p = hay; *p; ++p)
    if (ci(p, needle.c_str(), needle.size()) == 0) return p;
  return nullptr;
}

}  // namespace

RWLocaleSnapshot::~RWLocaleSnapshot() {}

RWLocaleSnapshot::RWLocaleSnapshot(const char* name) : valid_(true), digitNames_(0), order_(MDY) {
  std::string previous;
  if (name) {
    const char* cur = std::setlocale(LC_ALL, nullptr);
    previous = cur ? cur : "C";
    if (!std::setlocale(LC_ALL, name)) valid_ = false;
  }
  const char* now = std::setlocale(LC_ALL, nullptr);
  name_ = now ? now : "";

  const struct lconv* lc = std::localeconv();
  const char* texts[10] = {lc->decimal_point,     lc->thousands_sep,   lc->grouping,
                           lc->int_curr_symbol,   lc->currency_symbol, lc->mon_decimal_point,
                           lc->mon_thousands_sep, lc->mon_grouping,    lc->positive_sign,
                           lc->negative_sign};
  for (int i = 0; i < 10; ++i) text_[i] = texts[i] ? texts[i] : "";
  int raw[8] = {lc->int_frac_digits, lc->frac_digits,    lc->p_cs_precedes, lc->p_sep_by_space,
                lc->n_cs_precedes,   lc->n_sep_by_space, lc->p_sign_posn,   lc->n_sign_posn};
  for (int i = 0; i < 8; ++i) mon_[i] = raw[i];
  for (int i = 0; i < 2; ++i)
    if (mon_[i] < 0 || mon_[i] > 18) mon_[i] = 0;
  if (mon_[6] < 0 || mon_[6] > 4) mon_[6] = 1;
  if (mon_[7] < 0 || mon_[7] > 4) mon_[7] = 0;
  scale_ = std::pow(10.0, mon_[1]);
  intScale_ = std::pow(10.0, mon_[0]);

  struct tm ref = referenceTime();
  for (int i = 0; i < 7; ++i) {
    struct tm t = ref;
    t.tm_wday = i;
    days_[i] = strf("%A", t);
    daysAbbr_[i] = strf("%a", t);
  }
  for (int i = 0; i < 12; ++i) {
    struct tm t = ref;
    t.tm_mon = i;
    months_[i] = strf("%B", t);
    monthsAbbr_[i] = strf("%b", t);
    if (months_[i].find_first_of("0123456789") != std::string::npos ||
        monthsAbbr_[i].find_first_of("0123456789") != std::string::npos)
      ++digitNames_;
  }
  {
    struct tm t = ref;
    t.tm_hour = 5;
    am_ = strf("%p", t);
    t.tm_hour = 15;
    pm_ = strf("%p", t);
  }

  // Each format: cut the components out of the reference text in table order.
  std::string compText[18];
  for (int c = 0; c < 18; ++c) {
    char f[3] = {'%', kConversions[c], 0};
    compText[c] = strf(f, ref);
  }
  const char* whole[3] = {"%X", "%x", "%c"};
  for (int k = 0; k < 3; ++k) {
    std::string text = strf(whole[k], ref);
    std::vector<bool> cut(text.size(), false);
    std::vector<std::pair<size_t, Component>> found;  // original position
    for (int c = 0; c < 18; ++c) {
      const std::string& s = compText[c];
      if (s.empty()) continue;
      for (size_t at = text.find(s); at != std::string::npos; at = text.find(s, at + 1)) {
        bool free = true;
        for (size_t i = at; i < at + s.size(); ++i) free = free && !cut[i];
        if (!free) continue;
        for (size_t i = at; i < at + s.size(); ++i) cut[i] = true;
        Component comp = Component(c);
        if (k > 0 && (comp == Day || comp == Month)) {
          // Does the locale pad a one-digit day or month with a blank?
          struct tm two = ref;
          if (comp == Day)
            two.tm_mday = 2;
          else
            two.tm_mon = 1;
          std::string t2 = strf(whole[k], two);
          if (t2.size() == text.size() && t2[at] == ' ')
            comp = comp == Day ? DayBlank : MonthBlank;
          else if (t2.size() + 1 == text.size())
            comp = comp == Day ? DayPlain : MonthPlain;
        }
        found.push_back({at, comp});
        break;
      }
    }
    Format& f = formats_[k];
    for (size_t i = 0; i < text.size(); ++i)
      if (!cut[i]) f.residue += text[i];
    for (const auto& fp : found) {
      size_t before = 0;
      for (size_t i = 0; i < fp.first; ++i) before += cut[i] ? 1 : 0;
      f.pieces.push_back({fp.second, fp.first - before});
    }
    std::stable_sort(f.pieces.begin(), f.pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.position < b.position; });
  }

  // The date order from the positions of day, month and year in the date format.
  int day = -1, month = -1, year = -1, i = 0;
  for (const Piece& p : formats_[1].pieces) {
    switch (p.component) {
      case Day:
      case DayBlank:
      case DayPlain:
        if (day < 0) day = i++;
        break;
      case Month:
      case MonthBlank:
      case MonthPlain:
      case MonthName:
      case MonthAbbr:
        if (month < 0) month = i++;
        break;
      case Year4:
      case Year2:
        if (year < 0) year = i++;
        break;
      default:
        break;
    }
  }
  if (day >= 0 && month >= 0 && year >= 0) {
    if (year < day && year < month)
      order_ = day < month ? YDM : YMD;
    else
      order_ = day < month ? DMY : MDY;
  }
  if (name) std::setlocale(LC_ALL, previous.c_str());
}

std::string RWLocaleSnapshot::group(const std::string& digits, const std::string& sep,
                                    const std::string& grouping) const {
  if (sep.empty() || grouping.empty() || lowNibble(grouping[0]) == 0) return digits;
  std::string out;
  size_t gi = 0;
  int size = lowNibble(grouping[0]), run = 0;
  for (size_t i = digits.size(); i > 0; --i) {
    if (run == size && size > 0) {
      out.insert(0, sep);
      run = 0;
      if (gi + 1 < grouping.size()) size = lowNibble(grouping[++gi]);
    }
    out.insert(out.begin(), digits[i - 1]);
    ++run;
  }
  return out;
}

std::string RWLocaleSnapshot::number(double v, int precision, bool showpoint, const std::string& point,
                                     const std::string& sep, const std::string& grouping) const {
  if (precision < 0) precision = 6;
  if (precision > 60) precision = 60;
  char buf[512];
  std::snprintf(buf, sizeof buf, showpoint ? "%#.*f" : "%.*f", precision, v);
  std::string s = buf;
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.erase(0, 1);
  size_t dot = s.find(runtimePoint());
  std::string whole = s.substr(0, dot), frac;
  if (dot != std::string::npos) frac = point + s.substr(dot + 1);
  bool alldigits = std::all_of(whole.begin(), whole.end(), isDigit);
  return (negative ? "-" : "") + (alldigits ? group(whole, sep, grouping) : whole) + frac;
}

RWCString RWLocaleSnapshot::asString(long v) const {
  unsigned long a = v < 0 ? 0ul - (unsigned long)v : (unsigned long)v;
  std::string s = group(std::to_string(a), thousandsSep(), grouping());
  return ((v < 0 ? "-" : "") + s).c_str();
}

RWCString RWLocaleSnapshot::asString(unsigned long v) const {
  return group(std::to_string(v), thousandsSep(), grouping()).c_str();
}

RWCString RWLocaleSnapshot::asString(double v, int precision, int showpoint) const {
  return number(v, precision, showpoint != 0, decimalPoint(), thousandsSep(), grouping()).c_str();
}

std::string RWLocaleSnapshot::component(Component c, const struct tm* t, const RWZone& zone) const {
  char buf[32];
  auto num = [&](const char* f, int v) {
    std::snprintf(buf, sizeof buf, f, v);
    return std::string(buf);
  };
  bool monOk = t->tm_mon >= 0 && t->tm_mon < 12, dayOk = t->tm_wday >= 0 && t->tm_wday < 7;
  switch (c) {
    case Year4:
      return num("%04d", t->tm_year + 1900);
    case Year2:
      return num("%02d", (t->tm_year % 100 + 100) % 100);
    case DayOfYear:
      return num("%03d", t->tm_yday + 1);
    case Second:
      return num("%02d", t->tm_sec);
    case Minute:
      return num("%02d", t->tm_min);
    case Hour12:
      return num("%02d", t->tm_hour % 12 == 0 ? 12 : t->tm_hour % 12);
    case Hour24:
      return num("%02d", t->tm_hour);
    case Month:
      return num("%02d", t->tm_mon + 1);
    case MonthName:
      return monOk ? months_[t->tm_mon] : "";
    case MonthAbbr:
      return monOk ? monthsAbbr_[t->tm_mon] : "";
    case WeekdayName:
      return dayOk ? days_[t->tm_wday] : "";
    case WeekdayAbbr:
      return dayOk ? daysAbbr_[t->tm_wday] : "";
    case AmPm:
      return t->tm_hour < 12 ? am_ : pm_;
    case Day:
      return num("%02d", t->tm_mday);
    case ZoneName:
      if (t->tm_isdst > 1) return "";
      return (t->tm_isdst == 1 ? zone.altZoneName() : zone.timeZoneName()).data();
    case WeekOfYearSun:
      return num("%02d", (t->tm_yday + 7 - t->tm_wday) / 7);
    case WeekOfYearMon:
      return num("%02d", (t->tm_yday + 7 - (t->tm_wday + 6) % 7) / 7);
    case WeekdayNumber:
      return num("%1d", t->tm_wday);
    case DayBlank:
      return num("%2d", t->tm_mday);
    case MonthBlank:
      return num("%2d", t->tm_mon + 1);
    case DayPlain:
      return num("%d", t->tm_mday);
    case MonthPlain:
      return num("%d", t->tm_mon + 1);
    default:
      return "";
  }
}

std::string RWLocaleSnapshot::render(const Format& f, const struct tm* t, const RWZone& zone) const {
  std::string out;
  size_t at = 0;
  for (const Piece& p : f.pieces) {
    out += f.residue.substr(at, p.position - at);
    at = p.position;
    out += component(p.component, t, zone);
  }
  return out + f.residue.substr(at);
}

RWCString RWLocaleSnapshot::asString(const struct tm* t, char format, const RWZone& zone) const {
  if (!t) return RWCString();
  switch (format) {
    case 'X':
      return render(formats_[0], t, zone).c_str();
    case 'x':
      return render(formats_[1], t, zone).c_str();
    case 'c':
      return render(formats_[2], t, zone).c_str();
    default:
      break;
  }
  const char* c = format ? std::strchr(kConversions, format) : nullptr;
  return c ? component(Component(c - kConversions), t, zone).c_str() : "";
}

RWCString RWLocaleSnapshot::moneyAsString(double x, CurrSymbol symbol) const {
  bool negative = x < 0;
  double a = negative ? -x : x;
  if (symbol == INTL) {
    std::string n =
        number(a / intScale_, mon_[0], false, monDecimalPoint(), monThousandsSep(), monGrouping());
    return (intCurrSymbol() + (negative ? "-" : "") + n).c_str();
  }
  std::string n = number(a / scale_, mon_[1], false, monDecimalPoint(), monThousandsSep(), monGrouping());
  int precedes = negative ? mon_[4] : mon_[2], spaced = negative ? mon_[5] : mon_[3];
  int posn = negative ? mon_[7] : mon_[6];
  return placeMoney(n, symbol == LOCAL ? currencySymbol() : "", negative ? negativeSign() : positiveSign(),
                    posn, precedes != 0, spaced != 0)
      .c_str();
}

std::string RWLocaleSnapshot::placeMoney(const std::string& n, const std::string& sym,
                                         const std::string& sign, int posn, bool precedes, bool spaced) {
  static const char* const kAfter[5] = {"(m $", "-m $", "m $-", "m- $", "m $-"};
  static const char* const kBefore[5] = {"($ m", "-$ m", "$ m-", "-$ m", "$ -m"};
  if (posn < 0 || posn > 4) posn = 0;
  const char* pattern = precedes ? kBefore[posn] : kAfter[posn];
  std::string out;
  bool paren = pattern[0] == '(';
  for (const char* p = pattern + (paren ? 1 : 0); *p; ++p) {
    switch (*p) {
      case '$':
        out += sym;
        break;
      case '-':
        out += sign;
        break;
      case 'm':
        out += n;
        break;
      case ' ':
        if (spaced && !sym.empty()) out += ' ';
        break;
    }
  }
  return paren ? "(" + out + ")" : out;
}

bool RWLocaleSnapshot::groupsOk(const std::vector<int>& groups, bool trailingSep, const std::string& sep,
                                const std::string& grouping) const {
  if (groups.size() <= 1 && !trailingSep) return true;  // no separator seen
  if (trailingSep && sep != " ") return false;
  if (groups.size() <= 1) return true;
  if (grouping.empty()) return false;
  size_t gi = 0;
  for (size_t i = groups.size(); i > 0; --i) {
    int want = lowNibble(grouping[gi]);
    if (want == 0) return false;
    if (i == 1) return groups[0] >= 1 && groups[0] <= want;
    if (groups[i - 1] != want) return false;
    if (gi + 1 < grouping.size()) ++gi;
  }
  return true;
}

// Digits in groups separated by sep; the digits without separators go to digits.
bool RWLocaleSnapshot::readGrouped(const char*& p, const std::string& sep, const std::string& grouping,
                                   std::string& digits) const {
  std::vector<int> groups;
  int run = 0;
  bool trailing = false;
  int seps = 0;
  while (true) {
    if (isDigit(*p)) {
      digits += *p++;
      ++run;
      trailing = false;
    } else if (run > 0 && !trailing && startsWith(p, sep) && seps < 10) {
      groups.push_back(run);
      run = 0;
      trailing = true;
      ++seps;
      p += sep.size();
    } else {
      break;
    }
  }
  if (run) groups.push_back(run);
  return groupsOk(groups, trailing, sep, grouping);
}

bool RWLocaleSnapshot::stringToNum(const RWCString& text, double* out) const {
  if (!out || !plainText(text, kMaxText)) return false;
  const char* p = skipSpace(text.data());
  std::string num;
  if (*p == '+' || *p == '-') num += *p++;
  std::string digits;
  if (!readGrouped(p, thousandsSep(), grouping(), digits)) return false;
  num += digits;
  bool any = !digits.empty();
  if (startsWith(p, decimalPoint())) {
    p += decimalPoint().size();
    num += '.';
    while (isDigit(*p)) num += *p++, any = true;
  }
  if (!any) return false;
  if (*p == 'e' || *p == 'E') {
    num += *p++;
    if (*p == '+' || *p == '-') num += *p++;
    if (!isDigit(*p)) return false;
    while (isDigit(*p)) num += *p++;
  }
  if (*skipSpace(p)) return false;
  char point = runtimePoint();
  for (char& c : num)
    if (c == '.') c = point;
  char* end = nullptr;
  double v = std::strtod(num.c_str(), &end);
  if (!end || *end) return false;
  *out = v;
  return true;
}

bool RWLocaleSnapshot::stringToNum(const RWCString& text, long* out) const {
  if (!out || !plainText(text, kMaxText)) return false;
  const char* p = skipSpace(text.data());
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::string digits;
  if (!readGrouped(p, thousandsSep(), grouping(), digits) || digits.empty()) return false;
  if (*skipSpace(p)) return false;
  long long v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (!negative && v > 2147483647LL) return false;
  *out = long(negative ? -v : v);
  return true;
}

bool RWLocaleSnapshot::stringToTime(const RWCString& text, struct tm* out) const {
  if (!out || !plainText(text, kMaxText)) return false;
  long n[3] = {0, 0, 0};
  int count = 0;
  for (const char* p = text.data(); *p;) {
    if (!isDigit(*p)) {
      ++p;
      continue;
    }
    if (count == 3) return false;  // no further number
    long v = 0;
    int digits = 0;
    while (isDigit(*p)) {
      if (++digits > 2) return false;
      v = v * 10 + (*p++ - '0');
    }
    n[count++] = v;
  }
  if (count < 2) return false;
  long h = n[0];
  if (h > 23 || n[1] > 59 || n[2] > 59) return false;
  bool amSeen = findNoCase(text.data(), am_) != nullptr;
  bool pmSeen = findNoCase(text.data(), pm_) != nullptr;
  if (amSeen && pmSeen) return false;
  if (amSeen || pmSeen) {
    if (h < 1 || h > 12) return false;
    if (amSeen && h == 12) h = 0;
    if (pmSeen && h < 12) h += 12;
  }
  out->tm_hour = int(h);
  out->tm_min = int(n[1]);
  out->tm_sec = int(n[2]);
  return true;
}

bool RWLocaleSnapshot::stringToDate(const RWCString& text, struct tm* out) const {
  if (!out || !plainText(text, kMaxText)) return false;
  std::string s = text.data();
  int month = 0;
  size_t nameAt = std::string::npos, nameLen = 0;
  if (digitNames_ == 0) {
    for (int pass = 0; pass < 2 && !month; ++pass)
      for (int i = 12; i > 0 && !month; --i) {
        const std::string& name = pass == 0 ? months_[i - 1] : monthsAbbr_[i - 1];
        const char* at = findNoCase(s.c_str(), name);
        if (at) {
          month = i;
          nameAt = size_t(at - s.c_str());
          nameLen = name.size();
        }
      }
  }
  if (month) s.replace(nameAt, nameLen, " ");
  long n[3];
  int count = 0;
  for (const char* p = s.c_str(); *p;) {
    if (isDigit(*p)) {
      if (count == 3) return false;
      long v = 0;
      int digits = 0;
      while (isDigit(*p)) {
        if (++digits > 4) return false;
        v = v * 10 + (*p++ - '0');
      }
      n[count++] = v;
    } else if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) {
      return false;  // words other than a month name
    } else {
      ++p;
    }
  }
  long d = 0, m = month, y = 0;
  if (month) {
    if (count != 2) return false;
    bool yearFirst = order_ == YDM || order_ == YMD;
    d = yearFirst ? n[1] : n[0];
    y = yearFirst ? n[0] : n[1];
  } else {
    if (count != 3) return false;
    switch (order_) {
      case DMY:
        d = n[0], m = n[1], y = n[2];
        break;
      case MDY:
        m = n[0], d = n[1], y = n[2];
        break;
      case YDM:
        y = n[0], d = n[1], m = n[2];
        break;
      case YMD:
        y = n[0], m = n[1], d = n[2];
        break;
    }
  }
  if (y < 100) y += 1900;
  if (!TDate::DayWithinMonth(unsigned(m), unsigned(d), unsigned(y)) || y > 9999) return false;
  TDate date{unsigned(d), unsigned(m), unsigned(y)};
  out->tm_year = int(y - 1900);
  out->tm_mon = int(m - 1);
  out->tm_mday = int(d);
  out->tm_yday = int(date.Day()) - 1;
  out->tm_wday = int(date.WeekDay()) % 7;
  return true;
}

bool RWLocaleSnapshot::stringToMoney(const RWCString& text, double* out, CurrSymbol symbol) const {
  if (!out || symbol == NONE || !plainText(text, kMaxText)) return false;
  bool intl = symbol == INTL;
  const std::string& sym = intl ? intCurrSymbol() : currencySymbol();
  int frac = intl ? mon_[0] : mon_[1];
  const char* p = skipSpace(text.data());
  bool paren = false;
  if (*p == '(') {
    paren = true;
    p = skipSpace(p + 1);
  }
  bool symSeen = false, signSeen = false, numSeen = false, negative = false;
  double value = 0;
  for (int pass = 0; pass < (intl ? 1 : 3); ++pass) {
    // The currency symbol, where the text is not a digit.
    if (!symSeen && !sym.empty() && !isDigit(*p)) {
      std::string trimmed = sym;
      while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
      if (startsWith(p, trimmed)) {
        p = skipSpace(p + trimmed.size());
        symSeen = true;
      }
    }
    if (!signSeen && !intl) {
      if (*p == '-' || *p == '+') {
        negative = *p == '-';
        signSeen = true;
        p = skipSpace(p + 1);
      } else if (startsWith(p, negativeSign())) {
        negative = true;
        signSeen = true;
        p = skipSpace(p + negativeSign().size());
      } else if (startsWith(p, positiveSign())) {
        signSeen = true;
        p = skipSpace(p + positiveSign().size());
      }
    }
    if (!numSeen && isDigit(*p)) {
      std::string digits;
      if (!readGrouped(p, monThousandsSep(), monGrouping(), digits)) return false;
      if (frac > 0 && startsWith(p, monDecimalPoint())) {
        p += monDecimalPoint().size();
        for (int i = 0; i < frac; ++i) {
          if (!isDigit(*p)) return false;
          digits += *p++;
        }
        if (isDigit(*p)) return false;
      } else {
        digits.append(size_t(frac), '0');
      }
      if (digits.size() > 17) return false;  // past what a double holds exactly
      for (char c : digits) value = value * 10 + (c - '0');
      numSeen = true;
      p = skipSpace(p);
    }
  }
  if (paren) {
    if (*p != ')') return false;
    negative = true;
    p = skipSpace(p + 1);
  }
  if (*p || !numSeen) return false;
  *out = negative ? -value : value;
  return true;
}

int RWLocaleSnapshot::monthIndex(const RWCString& s) const {
  for (int i = 12; i > 0; --i)
    if (_stricmp(s.data(), months_[i - 1].c_str()) == 0 ||
        _stricmp(s.data(), monthsAbbr_[i - 1].c_str()) == 0)
      return i;
  return 0;
}

int RWLocaleSnapshot::weekdayIndex(const RWCString& s) const {
  for (int i = 7; i > 0; --i)
    if (_stricmp(s.data(), days_[i - 1].c_str()) == 0 || _stricmp(s.data(), daysAbbr_[i - 1].c_str()) == 0)
      return i == 1 ? 7 : i - 1;  // Sunday first here
  return 0;
}
