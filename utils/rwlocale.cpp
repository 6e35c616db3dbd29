// The locale interface and the fixed English locale.
#include "utils/rwlocale.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "utils/rwzone.h"
#include "utils/tdate.h"

namespace {

const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kMonthsShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Sunday first, as tm_wday counts.
const char* const kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kDaysShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

const RWLocale* g_global = nullptr;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
const char* skipSpace(const char* p) {
  while (isSpace(*p)) ++p;
  return p;
}
bool restIsSpace(const char* p) { return *skipSpace(p) == 0; }

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

// Reads up to maxDigits decimal digits; false when there is none.
bool readNumber(const char*& p, int maxDigits, long& out) {
  if (!isDigit(*p)) return false;
  long v = 0;
  int n = 0;
  while (isDigit(*p)) {
    if (++n > maxDigits) return false;
    v = v * 10 + (*p++ - '0');
  }
  out = v;
  return true;
}

// The whole text equals a full or short name (any case), searched from the last.
int nameIndex(const char* s, const char* const* full, const char* const* abbr, int n) {
  for (int i = n; i > 0; --i)
    if (_stricmp(s, full[i - 1]) == 0 || _stricmp(s, abbr[i - 1]) == 0) return i;
  return 0;
}

bool validDate(long m, long d, long y) {
  return y >= 0 && y <= 9999 && TDate::DayWithinMonth(unsigned(m), unsigned(d), unsigned(y));
}

void fillDate(struct tm* out, long m, long d, long y) {
  if (y < 100) y += 1900;
  TDate date{unsigned(d), unsigned(m), unsigned(y)};
  out->tm_year = int(y - 1900);
  out->tm_mon = int(m - 1);
  out->tm_mday = int(d);
  out->tm_yday = int(date.Day()) - 1;
  out->tm_wday = int(date.WeekDay()) % 7;
}

// Reads a decimal number in this process's "C" form; the run-time's own decimal point
// is put in for the conversion.
bool convertDouble(const std::string& text, double* out) {
  std::string s = text;
  const struct lconv* lc = std::localeconv();
  char point = lc && lc->decimal_point && *lc->decimal_point ? *lc->decimal_point : '.';
  for (char& c : s)
    if (c == '.') c = point;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (!end || *end) return false;
  *out = v;
  return true;
}

}  // namespace

RWLocale::~RWLocale() {}

const RWLocale& RWLocale::global() {
  static const RWLocaleDefault fixed;
  return g_global ? *g_global : fixed;
}

const RWLocale* RWLocale::global(const RWLocale* l) {
  const RWLocale* old = &global();
  g_global = l;
  return old;
}

RWCString RWLocaleDefault::asString(long v) const { return format("%ld", v).c_str(); }
RWCString RWLocaleDefault::asString(unsigned long v) const { return format("%lu", v).c_str(); }

RWCString RWLocaleDefault::asString(double v, int precision, int showpoint) const {
  if (precision < 0) precision = 6;
  if (precision > 60) precision = 60;
  std::string s = format(showpoint ? "%#.*f" : "%.*f", precision, v);
  // The run-time's decimal point may differ from this locale's.
  const struct lconv* lc = std::localeconv();
  char point = lc && lc->decimal_point && *lc->decimal_point ? *lc->decimal_point : '.';
  if (point != '.')
    for (char& c : s)
      if (c == point) c = '.';
  return s.c_str();
}

RWCString RWLocaleDefault::asString(const struct tm* t, char f, const RWZone& zone) const {
  if (!t) return RWCString();
  bool monOk = t->tm_mon >= 0 && t->tm_mon < 12, dayOk = t->tm_wday >= 0 && t->tm_wday < 7;
  int hour12 = t->tm_hour % 12 == 0 ? 12 : t->tm_hour % 12;
  int yday = t->tm_yday;
  switch (f) {
    case 'A':
      return dayOk ? kDays[t->tm_wday] : "";
    case 'a':
      return dayOk ? kDaysShort[t->tm_wday] : "";
    case 'B':
      return monOk ? kMonths[t->tm_mon] : "";
    case 'b':
      return monOk ? kMonthsShort[t->tm_mon] : "";
    case 'H':
      return format("%02d", t->tm_hour).c_str();
    case 'I':
      return format("%02d", hour12).c_str();
    case 'M':
      return format("%02d", t->tm_min).c_str();
    case 'S':
      return format("%02d", t->tm_sec).c_str();
    case 'U':
      return format("%02d", (yday + 7 - t->tm_wday) / 7).c_str();
    case 'W':
      return format("%02d", (yday + 7 - (t->tm_wday + 6) % 7) / 7).c_str();
    case 'd':
      return format("%02d", t->tm_mday).c_str();
    case 'm':
      return format("%02d", t->tm_mon + 1).c_str();
    case 'y':
      return format("%02d", (t->tm_year % 100 + 100) % 100).c_str();
    case 'Y':
      return format("%04d", t->tm_year + 1900).c_str();
    case 'j':
      return format("%03d", yday + 1).c_str();
    case 'w':
      return format("%1d", t->tm_wday).c_str();
    case 'p':
      return t->tm_hour < 12 ? "am" : "pm";
    case 'X':
      return format("%02d:%02d:%02d", t->tm_hour, t->tm_min, t->tm_sec).c_str();
    case 'x':
      if (t->tm_year >= 1 && t->tm_year <= 99)
        return format("%02d/%02d/%02d", t->tm_mon + 1, t->tm_mday, t->tm_year).c_str();
      return format("%02d/%02d/%04d", t->tm_mon + 1, t->tm_mday, t->tm_year + 1900).c_str();
    case 'c': {
      RWCString s = asString(t, 'x', zone);
      s.append(" ");
      s.append(asString(t, 'X', zone));
      return s;
    }
    case 'Z':
      if (t->tm_isdst > 1) return RWCString();
      return t->tm_isdst == 1 ? zone.altZoneName() : zone.timeZoneName();
    default:
      return RWCString();
  }
}

RWCString RWLocaleDefault::moneyAsString(double x, CurrSymbol symbol) const {
  bool negative = x < 0;
  double amount = (negative ? -x : x) * 0.01;
  std::string s = symbol == LOCAL ? "$" : symbol == INTL ? "USD " : "";
  s += format(amount >= 1e18 ? "%.5e" : "%.2f", amount);
  if (negative) s = "(" + s + ")";
  return s.c_str();
}

bool RWLocaleDefault::stringToNum(const RWCString& text, double* out) const {
  if (!out || text.length() > kMaxText || std::strlen(text.data()) != text.length()) return false;
  const char* p = skipSpace(text.data());
  std::string num;
  if (*p == '+' || *p == '-') num += *p++;
  p = skipSpace(p);
  if (!isDigit(*p) && *p != '.') return false;
  bool digits = false;
  while (isDigit(*p)) num += *p++, digits = true;
  if (*p == '.') {
    num += *p++;
    while (isDigit(*p)) num += *p++, digits = true;
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    num += *p++;
    if (*p == '+' || *p == '-') num += *p++;
    if (!isDigit(*p)) return false;
    while (isDigit(*p)) num += *p++;
  }
  if (!restIsSpace(p)) return false;
  return convertDouble(num, out);
}

bool RWLocaleDefault::stringToNum(const RWCString& text, long* out) const {
  if (!out || text.length() > kMaxText || std::strlen(text.data()) != text.length()) return false;
  const char* p = skipSpace(text.data());
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!isDigit(*p)) return false;
  long long v = 0;
  while (isDigit(*p)) {
    v = v * 10 + (*p++ - '0');
    if (v > 2147483648LL) return false;  // beyond 32 bits
  }
  if (!negative && v > 2147483647LL) return false;
  if (!restIsSpace(p)) return false;
  *out = long(negative ? -v : v);
  return true;
}

bool RWLocaleDefault::stringToTime(const RWCString& text, struct tm* out) const {
  if (!out || text.length() > kMaxText || std::strlen(text.data()) != text.length()) return false;
  const char* p = skipSpace(text.data());
  long h = 0, m = 0, s = 0;
  if (!readNumber(p, 2, h)) return false;
  if (*p == ':' || *p == '.') {
    ++p;
    if (!readNumber(p, 2, m)) return false;
    if (*p == ':' || *p == '.') {
      ++p;
      if (!readNumber(p, 2, s)) return false;
    }
  }
  p = skipSpace(p);
  int half = 0;  // 1 AM, 2 PM
  if ((p[0] == 'a' || p[0] == 'A' || p[0] == 'p' || p[0] == 'P') && (p[1] == 'm' || p[1] == 'M')) {
    half = (p[0] == 'a' || p[0] == 'A') ? 1 : 2;
    p += 2;
  }
  if (!restIsSpace(p)) return false;
  if (m > 59 || s > 59) return false;
  if (half) {
    if (h < 1 || h > 12) return false;
    if (half == 1 && h == 12) h = 0;
    if (half == 2 && h < 12) h += 12;
  } else if (h > 23) {
    return false;
  }
  out->tm_hour = int(h);
  out->tm_min = int(m);
  out->tm_sec = int(s);
  return true;
}

bool RWLocaleDefault::stringToDate(const RWCString& text, struct tm* out) const {
  if (!out || text.length() > kMaxText || std::strlen(text.data()) != text.length()) return false;
  long nums[3];
  int count = 0, month = 0;
  for (const char* p = text.data(); *p;) {
    if (isDigit(*p)) {
      long v;
      if (count == 3 || !readNumber(p, 4, v)) return false;
      nums[count++] = v;
    } else if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) {
      const char* w = p;
      while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')) ++p;
      std::string word(w, size_t(p - w));
      if (month) return false;  // one month name at most
      month = monthIndex(word.c_str());
      if (!month) return false;
    } else if (isSpace(*p) || *p == '/' || *p == '-' || *p == ',' || *p == '.') {
      ++p;
    } else {
      return false;
    }
  }
  long m, d, y;
  if (month) {
    if (count != 2) return false;
    m = month, d = nums[0], y = nums[1];
  } else {
    if (count != 3) return false;
    m = nums[0], d = nums[1], y = nums[2];
  }
  if (y < 100) y += 1900;
  if (!validDate(m, d, y)) return false;
  fillDate(out, m, d, y);
  return true;
}

bool RWLocaleDefault::stringToMoney(const RWCString& text, double* out, CurrSymbol symbol) const {
  if (!out || symbol == NONE || text.length() > kMaxText || std::strlen(text.data()) != text.length())
    return false;
  const char* p = skipSpace(text.data());
  bool negative = false, paren = false, signSeen = false;
  if (symbol == LOCAL) {
    if (*p == '-' || *p == '(') {
      paren = *p == '(';
      negative = signSeen = true;
      p = skipSpace(p + 1);
    }
    if (*p == '$') ++p;
  } else if (symbol == INTL) {
    if (std::strncmp(p, "USD", 3) == 0 && isSpace(p[3])) p = skipSpace(p + 3);
  } else {
    return false;
  }
  if (!signSeen && (*p == '-' || *p == '(')) {
    paren = *p == '(';
    negative = signSeen = true;
    ++p;
  }
  double units = 0;
  int digits = 0, hundredths = 0;
  bool fraction = false;
  while (isDigit(*p)) {
    if (++digits > 17) return false;  // past what a double holds exactly
    units = units * 10 + (*p++ - '0');
  }
  if (*p == '.' && isDigit(p[1]) && isDigit(p[2])) {
    hundredths = (p[1] - '0') * 10 + (p[2] - '0');
    fraction = true;
    p += 3;
  }
  if (!digits && !fraction) return false;
  p = skipSpace(p);
  if (paren && *p == ')') p = skipSpace(p + 1);
  if (symbol == LOCAL && !signSeen && *p == '-') {
    negative = true;
    p = skipSpace(p + 1);
  }
  if (*p) return false;
  double v = units * 100 + hundredths;
  *out = negative ? -v : v;
  return true;
}

int RWLocaleDefault::monthIndex(const RWCString& s) const {
  return nameIndex(s.data(), kMonths, kMonthsShort, 12);
}

int RWLocaleDefault::weekdayIndex(const RWCString& s) const {
  int i = nameIndex(s.data(), kDays, kDaysShort, 7);  // Sunday first here
  return i == 0 ? 0 : i == 1 ? 7 : i - 1;
}
