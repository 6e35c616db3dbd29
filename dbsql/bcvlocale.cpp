// The locale record: [Intl] values of the system profile with their fallbacks, the
// default masks built from them, the calendar names and date-part letters of the string
// table, and the translation of masks between United States and local conventions.
#include "dbsql/bcvlocale.h"

#include "dbsql/bcvconvert.h"
#include "dbsql/sqlmessages.h"

#include <windows.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

namespace {

BcvLocale g_locale;

const char INTL[] = "Intl";
const char US_LETTERS[] = "YMDHIS";  // year, month, day, hour, minute, second
const char* const DEFAULT_MONTHS =
    "january,february,march,april,may,june,july,august,september,october,november,december";
const char* const DEFAULT_WEEKDAYS = "sunday,monday,tuesday,wednesday,thursday,friday,saturday";
const char* const DEFAULT_MONTH_ABBREV = "janfebmaraprmayjunjulaugsepoctnovdec";
const char* const DEFAULT_WEEKDAY_ABBREV = "sunmontuewedthufrisat";

// iCurrency and iNegCurr forms: prefix and suffix around the digits.
struct CurrencyForm {
  const char* prefix;
  const char* suffix;
};
const CurrencyForm POSITIVE_FORMS[] = {{"$#,##", ""}, {"#,##", "$"}, {"$ #,##", ""}, {"#,##", " $"}};
const CurrencyForm NEGATIVE_FORMS[] = {{"($#,##", ")"}, {"-$#,##", ""},  {"$-#,##", ""}, {"$#,##", "-"},
                                       {"(#,##", "$)"}, {"-#,##", "$"},  {"#,##", "-$"}, {"#,##", "$-"},
                                       {"-#,##", " $"}, {"-$ #,##", ""}, {"#,##", " $-"}};

int intSetting(const char* key, int fallback, int low, int high) {
  int v = static_cast<int>(GetProfileIntA(INTL, key, fallback));
  return v < low || v > high ? fallback : v;
}

// A string setting cut to `size` - 1 characters; `fallback` when missing or empty.
void stringSetting(const char* key, const char* fallback, char* out, unsigned size) {
  char buf[256];
  GetProfileStringA(INTL, key, fallback, buf, sizeof buf);
  if (!buf[0]) snprintf(buf, sizeof buf, "%s", fallback);
  snprintf(out, size, "%s", buf);
}

char charSetting(const char* key, char fallback) {
  char buf[16];
  char def[2] = {fallback, 0};
  GetProfileStringA(INTL, key, def, buf, sizeof buf);
  return buf[0] ? buf[0] : fallback;
}

void lowerCase(char* s) {
  for (; *s; ++s) *s = static_cast<char>(tolower(static_cast<unsigned char>(*s)));
}

// Appends to a mask buffer of BCV_MASK_TEXT_SIZE, cutting what does not fit.
void append(char* mask, const char* text) {
  size_t n = strlen(mask);
  snprintf(mask + n, BCV_MASK_TEXT_SIZE - n, "%s", text);
}

void compileDefault(const char* mask, int32_t word, char* compiled) {
  mask_info info;
  compiled[0] = 0;
  if (bcvmskcp(&info, mask, BCV_DATETIME, word) == 0) memcpy(compiled, info.compiled, BCV_MASK_TEXT_SIZE);
}

// The short date with its separators written as escaped literals, except a separator
// that begins the mask or follows another and is followed by nothing or another.
void escapeSeparators(const char* date, char sep, char* out) {
  size_t o = 0, n = strlen(date);
  for (size_t i = 0; i < n && o + 2 < BCV_MASK_TEXT_SIZE; ++i) {
    char c = date[i];
    if (c == sep) {
      bool leads = i == 0 || date[i - 1] == sep;
      bool trails = i + 1 == n || date[i + 1] == sep;
      if (!(leads && trails)) out[o++] = '\\';
    }
    out[o++] = c;
  }
  out[o] = 0;
}

void buildMasks(BcvLocale& l) {
  char sep[2] = {l.timeSep, 0};
  snprintf(l.timeMask, BCV_MASK_TEXT_SIZE, "%s%sII%sSS%s", l.hourZero ? "HH" : "H", sep, sep,
           l.clock == 0 ? " AM/PM" : "");

  // Long date: a capitalised weekday and month.
  char longDate[BCV_MASK_TEXT_SIZE];
  snprintf(longDate, sizeof longDate, "%s", l.longDate);
  for (char* p = longDate; *p; ++p)
    if (strncasecmp(p, "ddd", 3) == 0) {
      *p = 'D';
      break;
    }
  for (char* p = longDate; *p; ++p)
    if (strncasecmp(p, "mmm", 3) == 0) {
      *p++ = 'M';
      while (*p == 'm' || *p == 'M') *p = 'm', ++p;
      break;
    }
  snprintf(l.longDateMask, BCV_MASK_TEXT_SIZE, "%s", longDate);
  snprintf(l.longDateTimeMask, BCV_MASK_TEXT_SIZE, "%s", longDate);
  size_t n = strlen(longDate);
  if (n == 0 || longDate[n - 1] != ' ') append(l.longDateTimeMask, " ");
  append(l.longDateTimeMask, l.timeMask);

  escapeSeparators(l.shortDate, l.dateSep, l.shortDateMask);
  snprintf(l.shortDateTimeMask, BCV_MASK_TEXT_SIZE, "%s", l.shortDateMask);
  append(l.shortDateTimeMask, " ");
  append(l.shortDateTimeMask, l.timeMask);

  const char* lead = l.leadingZero ? "0" : "#";
  snprintf(l.numberMask, BCV_MASK_TEXT_SIZE, "%s", lead);
  if (l.digits) {
    append(l.numberMask, ".");
    for (int k = 0; k < l.digits; ++k) append(l.numberMask, "0");
  }

  // An iCurrency with no form of its own takes the first form.
  const CurrencyForm& pos = POSITIVE_FORMS[l.currencyForm <= 3 ? l.currencyForm : 0];
  const CurrencyForm& neg = l.negativeForm <= 10 ? NEGATIVE_FORMS[l.negativeForm] : pos;
  char digits[16] = "";
  if (l.currencyDigits) {
    digits[0] = '.';
    for (int k = 0; k < l.currencyDigits; ++k) digits[k + 1] = '0';
    digits[l.currencyDigits + 1] = 0;
  }
  snprintf(l.currencyMask, BCV_MASK_TEXT_SIZE, "%s%s%s%s", pos.prefix, lead, digits, pos.suffix);
  snprintf(l.negativeCurrencyMask, BCV_MASK_TEXT_SIZE, "%s%s%s%s", neg.prefix, lead, digits, neg.suffix);

  compileDefault(l.timeMask, 44, l.timeCompiled);
  compileDefault(l.longDateMask, BCV_DATETIME_LENGTH, l.longDateCompiled);
  compileDefault(l.longDateTimeMask, BCV_DATETIME_LENGTH, l.longDateTimeCompiled);
  compileDefault(l.shortDateMask, BCV_DATETIME_LENGTH, l.shortDateCompiled);
  compileDefault(l.shortDateTimeMask, BCV_DATETIME_LENGTH, l.shortDateTimeCompiled);
}

// A comma-separated list of `count` names into the pool at `*used`; false when the
// list has another count or does not fit.
bool cutNames(const char* list, int count, char* pool, size_t* used, const char** names) {
  size_t n = strlen(list);
  if (*used + n + 1 > BCV_NAME_POOL) return false;
  char* start = pool + *used;
  memcpy(start, list, n + 1);
  int k = 0;
  names[k++] = start;
  for (char* p = start; *p; ++p)
    if (*p == ',') {
      if (k == count) return false;
      *p = 0;
      names[k++] = p + 1;
    }
  for (int i = 0; i < k; ++i)
    if (!names[i][0]) return false;
  if (k != count) return false;
  *used += n + 1;
  return true;
}

bool absent(const char* text) { return !text[0] || strcmp(text, " ") == 0; }

void loadNames(BcvLocale& l) {
  char text[SQL_MESSAGE_SIZE];
  sqlLoadMessage(SQLMSG_DATE_LETTERS, text);
  bool letters = strlen(text) == 6;
  for (int k = 0; letters && k < 6; ++k) letters = isalpha(static_cast<unsigned char>(text[k])) != 0;
  memcpy(l.partLetters, letters ? text : "ymdhis", 6);
  l.partLetters[6] = 0;

  for (int set = 0; set < 2; ++set) {
    size_t used = 0;
    char months[SQL_MESSAGE_SIZE], weekdays[SQL_MESSAGE_SIZE];
    sqlLoadMessage(static_cast<unsigned short>(22403 + set), months);
    sqlLoadMessage(static_cast<unsigned short>(22407 + set), weekdays);
    for (int k = 0; k < 12; ++k) l.months[set][k] = nullptr;
    for (int k = 0; k < 7; ++k) l.weekdays[set][k] = nullptr;
    if (set == 0 || !absent(months)) {
      if (!cutNames(months, 12, l.namePool[set], &used, l.months[set])) {
        if (set == 0) {
          used = 0;
          cutNames(DEFAULT_MONTHS, 12, l.namePool[set], &used, l.months[set]);
        } else {
          for (int k = 0; k < 12; ++k) l.months[set][k] = nullptr;
        }
      }
    }
    if (set == 0 || !absent(weekdays)) {
      if (!cutNames(weekdays, 7, l.namePool[set], &used, l.weekdays[set])) {
        if (set == 0) {
          cutNames(DEFAULT_WEEKDAYS, 7, l.namePool[set], &used, l.weekdays[set]);
        } else {
          for (int k = 0; k < 7; ++k) l.weekdays[set][k] = nullptr;
        }
      }
    }
    char abbrev[SQL_MESSAGE_SIZE];
    sqlLoadMessage(static_cast<unsigned short>(22401 + set), abbrev);
    if (strlen(abbrev) == 36)
      memcpy(l.monthAbbrev[set], abbrev, 37);
    else
      snprintf(l.monthAbbrev[set], 37, "%s", set == 0 ? DEFAULT_MONTH_ABBREV : "");
    sqlLoadMessage(static_cast<unsigned short>(22405 + set), abbrev);
    if (strlen(abbrev) == 21)
      memcpy(l.weekdayAbbrev[set], abbrev, 22);
    else
      snprintf(l.weekdayAbbrev[set], 22, "%s", set == 0 ? DEFAULT_WEEKDAY_ABBREV : "");
  }
}

// One direction of the translation. `from` and `to` describe the two conventions.
struct Convention {
  const char* letters;  // year, month, day, hour, minute, second
  const char* currency;
  char thousands, decimal;
  const char* morning;
  const char* evening;
};

// Copies the mask, replacing the parts of `from` by those of `to`.
void translate(char* out, const char* mask, uint16_t type, int32_t word, const Convention& from,
               const Convention& to) {
  size_t o = 0;
  const size_t cap = BCV_MASK_TEXT_SIZE - 1;
  auto put = [&](char c) {
    if (o < cap) out[o++] = c;
  };
  auto puts = [&](const char* s) {
    while (*s) put(*s++);
  };
  out[0] = 0;
  if (!mask) return;
  size_t n = strnlen(mask, BCV_MASK_MAX);

  // "[US]" outside quotes keeps the mask as it is.
  char quote = 0;
  for (size_t i = 0; i < n; ++i) {
    char c = mask[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\') {
      ++i;
    } else if (c == '[' && i + 3 < n && toupper(static_cast<unsigned char>(mask[i + 1])) == 'U' &&
               toupper(static_cast<unsigned char>(mask[i + 2])) == 'S' && mask[i + 3] == ']') {
      memcpy(out, mask, n);
      out[n] = 0;
      return;
    }
  }

  bool number = type < BCV_DATETIME || type >= BCV_BINARY;
  bool date = type < BCV_DECIMAL || type >= BCV_DATETIME;
  bool timeOnly = (static_cast<uint32_t>(word) >> 16) > 9;
  bool afterHour = false;
  size_t curLen = strlen(from.currency);
  char ampm[24];
  snprintf(ampm, sizeof ampm, "%s/%s", from.morning, from.evening);
  size_t ampmLen = strlen(ampm);
  char ap[4] = {from.morning[0], '/', from.evening[0], 0};

  for (size_t i = 0; i < n;) {
    char c = mask[i];
    if (c == '"' || c == '\'') {
      size_t k = i + 1;
      while (k < n && mask[k] != c) ++k;
      for (size_t p = i; p <= k && p < n; ++p) put(mask[p]);
      i = k + 1;
      continue;
    }
    if (c == '\\') {
      put(c);
      if (i + 1 < n) put(mask[i + 1]);
      i += 2;
      continue;
    }
    if (number && curLen && strncmp(mask + i, from.currency, curLen) == 0) {
      puts(to.currency);
      i += curLen;
      number = true, date = false;
      continue;
    }
    if (date && ampmLen > 1 && strncasecmp(mask + i, ampm, ampmLen) == 0) {
      bool upper = isupper(static_cast<unsigned char>(mask[i])) != 0;
      char text[24];
      snprintf(text, sizeof text, "%s/%s", to.morning, to.evening);
      for (char* p = text; *p; ++p)
        *p = static_cast<char>(upper ? toupper(static_cast<unsigned char>(*p))
                                     : tolower(static_cast<unsigned char>(*p)));
      puts(text);
      i += ampmLen;
      number = false;
      continue;
    }
    if (date && ap[0] && ap[2] && strncasecmp(mask + i, ap, 3) == 0) {
      bool upper = isupper(static_cast<unsigned char>(mask[i])) != 0;
      char text[4] = {to.morning[0], '/', to.evening[0], 0};
      for (int k = 0; k < 3; ++k)
        text[k] = static_cast<char>(upper ? toupper(static_cast<unsigned char>(text[k]))
                                          : tolower(static_cast<unsigned char>(text[k])));
      puts(text);
      i += 3;
      number = false;
      continue;
    }
    if (date) {
      // Which part a run of one letter names; a month letter after an hour (or any in
      // a time of day) is the minute, also where the minute and month letters are alike.
      int part = -1;
      int upperC = toupper(static_cast<unsigned char>(c));
      if (upperC == toupper(static_cast<unsigned char>(from.letters[1])))
        part = afterHour || timeOnly ? 4 : 1;
      for (int k = 0; part < 0 && k < 6; ++k)
        if (upperC == toupper(static_cast<unsigned char>(from.letters[k]))) part = k;
      if (part >= 0) {
        char l = to.letters[part];
        for (; i < n && toupper(static_cast<unsigned char>(mask[i])) == upperC; ++i)
          put(static_cast<char>(islower(static_cast<unsigned char>(mask[i]))
                                    ? tolower(static_cast<unsigned char>(l))
                                    : toupper(static_cast<unsigned char>(l))));
        if (part == 3)
          afterHour = true;
        else if (part != 1)
          afterHour = false;
        number = false;
        continue;
      }
    }
    if (number && c == from.thousands) {
      put(to.thousands);
      ++i;
      continue;
    }
    if (number && c == from.decimal) {
      put(to.decimal);
      ++i;
      continue;
    }
    put(c);
    ++i;
  }
  out[o] = 0;
}

Convention usConvention() { return {US_LETTERS, "$", ',', '.', "AM", "PM"}; }
Convention localConvention() {
  const BcvLocale& l = g_locale;
  return {
      l.partLetters[0] ? l.partLetters : "ymdhis", l.currency, l.thousands, l.decimal, l.morning, l.evening};
}

}  // namespace

const BcvLocale& bcvLocale() { return g_locale; }

short bcvpfile() {
  BcvLocale& l = g_locale;
  l.dateOrder = intSetting("iDate", 0, 0, 2);
  l.clock = GetProfileIntA(INTL, "iTime", 0) ? 1 : 0;
  l.digits = intSetting("iDigits", 2, 0, 9);
  l.leadingZero = GetProfileIntA(INTL, "iLzero", 1) ? 1 : 0;
  stringSetting("s1159", "AM", l.morning, sizeof l.morning);
  stringSetting("s2359", "PM", l.evening, sizeof l.evening);
  lowerCase(l.morning);
  lowerCase(l.evening);
  l.decimal = charSetting("sDecimal", '.');
  l.thousands = charSetting("sThousand", ',');
  l.dateSep = charSetting("sDate", '/');
  {
    char buf[16];
    GetProfileStringA(INTL, "sTime", ":", buf, sizeof buf);
    l.timeSep = buf[0];  // may be empty: no separator
  }
  stringSetting("sCurrency", "$", l.currency, sizeof l.currency);
  l.hourZero = GetProfileIntA(INTL, "iTLZero", 0) ? 1 : 0;
  l.currencyForm = intSetting("iCurrency", 0, 0, 0x7FFF);
  l.currencyDigits = intSetting("iCurrDigits", 2, 0, 9);
  l.negativeForm = intSetting("iNegCurr", 0, 0, 0x7FFF);
  stringSetting("sLongDate", "dddd, Mmmm d, yyyy", l.longDate, sizeof l.longDate);
  char orderForm[16];
  static const char* const ORDERS[] = {"MM%cDD%cYY", "DD%cMM%cYY", "YY%cMM%cDD"};
  snprintf(orderForm, sizeof orderForm, ORDERS[l.dateOrder], l.dateSep, l.dateSep);
  stringSetting("sShortDate", orderForm, l.shortDate, sizeof l.shortDate);
  l.exponent = 'e';
  buildMasks(l);
  return 0;
}

short bcvinit() {
  if (!g_locale.partLetters[0]) loadNames(g_locale);
  return bcvpfile();
}

short bcvUSToLocal(char* out, const char* mask, uint16_t type, int32_t typeLength) {
  translate(out, mask, type, typeLength, usConvention(), localConvention());
  return 0;
}

short bcvLocalToUS(char* out, const char* mask, uint16_t type, int32_t typeLength) {
  translate(out, mask, type, typeLength, localConvention(), usConvention());
  return 0;
}
