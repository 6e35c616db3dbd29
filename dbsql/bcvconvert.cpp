// The typed conversion core: every direct conversion goes through an unpacked form of
// the decimal (one digit per byte) or through a double.
#include "dbsql/bcvconvert.h"

#include "dbsql/sqlmessages.h"

#include <math.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// Digits of a decimal, one per byte, the last `scale` of them after the point.
using DigitString = std::vector<uint8_t>;

short fail(short id) {
  sqlErrorById(static_cast<unsigned short>(id));
  return id;
}

// Reads a validated packed decimal into its shape.precision digits.
DigitString unpack(const uint8_t* in, const BcvDecimalShape& shape, bool* negative) {
  int nibbles = shape.bytes() * 2 - 1;
  int skip = nibbles - shape.precision;  // the pad nibble of an even precision
  DigitString out;
  out.reserve(shape.precision);
  for (int i = skip; i < nibbles; i++) {
    uint8_t b = in[i / 2];
    out.push_back((i % 2 == 0) ? (b >> 4) : (b & 0xF));
  }
  *negative = (in[shape.bytes() - 1] & 0xF) == BCV_MINUS;
  return out;
}

// A packed decimal source, checked first, as its digits and sign.
short readDecimal(const void* src, const BcvDecimalShape& shape, DigitString* digits, bool* negative) {
  const uint8_t* value = static_cast<const uint8_t*>(src);
  if (short status = bcvValidateDecimal(value, static_cast<uint16_t>(shape.bytes()))) return status;
  *digits = unpack(value, shape, negative);
  return BCV_OK;
}

// Writes digits (exactly shape.precision of them) with the given sign nibble.
void pack(const DigitString& digits, const BcvDecimalShape& shape, uint8_t sign, uint8_t* out) {
  int bytes = shape.bytes();
  memset(out, 0, bytes);
  int nibbles = bytes * 2 - 1;
  int skip = nibbles - shape.precision;
  for (int i = 0; i < shape.precision; i++) {
    int n = i + skip;
    out[n / 2] |= (n % 2 == 0) ? (digits[i] << 4) : digits[i];
  }
  out[bytes - 1] |= sign;
}

// Places an integer digit string and fraction digits on the target's point, with the
// overflow rules of numbers: too many integer digits, or a negative value filling every
// integer place when the length word keeps room for the sign.
short placeNumber(const uint8_t* intDigits, int intCount, const uint8_t* fracDigits, int fracCount,
                  bool negative, const BcvDecimalShape& shape, uint8_t* out) {
  while (intCount > 0 && intDigits[0] == 0) intDigits++, intCount--;
  bool zero = intCount == 0;
  for (int i = 0; i < fracCount && zero; i++) zero = fracDigits[i] == 0;
  if (zero) negative = false;
  int places = shape.integerPlaces();
  if (intCount > places || (shape.signRoom && negative && intCount >= places))
    return fail(BCV_DECIMAL_OVERFLOW);
  DigitString digits(shape.precision, 0);
  if (intCount) memcpy(&digits[places - intCount], intDigits, intCount);
  for (int i = 0; i < fracCount && i < shape.scale; i++) digits[places + i] = fracDigits[i];
  pack(digits, shape, negative ? BCV_MINUS : BCV_PLUS, out);
  return BCV_OK;
}

// A double rounded half up at the given scale from its form with `significant` digits.
// The digit form always has the full 16 (8 for a float) digits, so that the value is
// rounded once, at the target's scale, and not first by the printing.
short placeDouble(double v, int significant, const BcvDecimalShape& shape, uint8_t* out) {
  if (!isfinite(v)) return fail(BCV_DECIMAL_OVERFLOW);
  bool negative = v < 0;
  char text[64];
  snprintf(text, sizeof text, "%.*e", significant - 1, fabs(v));
  // text: d.ddddde[+-]xx
  uint8_t mant[32];
  int n = 0;
  const char* p = text;
  for (; *p && *p != 'e'; p++)
    if (*p >= '0' && *p <= '9' && n < 32) mant[n++] = static_cast<uint8_t>(*p - '0');
  int exponent = atoi(p + 1);
  // Digit i has the place value 10^(exponent - i). Lay the digits out on a grid from
  // 10^top (top at least 0) down to 10^-scale; the next digit decides the rounding.
  int top = exponent > 0 ? exponent : 0;
  int width = top + shape.scale + 1;
  DigitString grid(width, 0);
  bool roundUp = false;
  for (int i = 0; i < n; i++) {
    int place = exponent - i;
    if (place >= -shape.scale)
      grid[top - place] = mant[i];
    else if (place == -shape.scale - 1)
      roundUp = mant[i] >= 5;
  }
  bool carryOut = false;
  if (roundUp) {
    int i = width - 1;
    while (i >= 0 && grid[i] == 9) grid[i--] = 0;
    if (i >= 0)
      grid[i]++;
    else
      carryOut = true;  // a carry out of the first digit adds an integer digit
  }
  if (carryOut) grid.insert(grid.begin(), 1);
  int intCount = static_cast<int>(grid.size()) - shape.scale;
  return placeNumber(grid.data(), intCount, grid.data() + intCount, shape.scale, negative, shape, out);
}

bool isText(uint16_t type) { return type == BCV_CHAR || type == BCV_VARCHAR; }

// A source whose length is given (not 0) must hold the whole value of its type: a
// shorter one is partial and is not read. Date/time texts may be their leading part.
short checkWhole(uint16_t type, uint16_t srcLen, int32_t srcWord) {
  if (srcLen == 0) return BCV_OK;
  int32_t needed = 0;
  switch (type) {
    case BCV_DECIMAL:
      needed = bcvDecimalShape(srcWord).bytes();
      break;
    case BCV_LONG:
    case BCV_SHORT:
    case BCV_FLOAT:
    case BCV_DOUBLE:
      needed = bcvmaxlen(type, srcWord, 0);
      break;
    default:
      return BCV_OK;
  }
  if (srcLen < needed) return fail(BCV_PARTIAL_VALUE);
  return BCV_OK;
}

// The date/time text of a source padded with the zero value: the source's own length
// (0: the whole 26 characters), but no further than its terminator (a shorter text is
// its leading part).
void copyDateText(char* t27, const void* src, uint16_t srcLen) {
  memcpy(t27, BCV_DATETIME_ZERO, BCV_DATETIME_LENGTH + 1);
  const char* text = static_cast<const char*>(src);
  unsigned limit = srcLen && srcLen < BCV_DATETIME_LENGTH ? srcLen : BCV_DATETIME_LENGTH;
  for (unsigned i = 0; i < limit && text[i]; i++) t27[i] = text[i];
}

int twoDigits(const char* s, bool* ok) {
  if (s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') *ok = false;
  return (s[0] - '0') * 10 + (s[1] - '0');
}

// The day number and the time fraction of a date/time text. An empty date (year 0) is
// day 0; a time-only value has no day and a date-only value no time.
short dateTimeParts(const char* src, uint16_t srcLen, int32_t word, int32_t* day, double* fraction) {
  char t[BCV_DATETIME_LENGTH + 1];
  copyDateText(t, src, srcLen);
  bool ok = true;
  int year = twoDigits(t, &ok) * 100 + twoDigits(t + 2, &ok);
  int month = twoDigits(t + 5, &ok), dayOfMonth = twoDigits(t + 8, &ok);
  int hour = twoDigits(t + 11, &ok), minute = twoDigits(t + 14, &ok);
  int second = twoDigits(t + 17, &ok);
  long micro = 0;
  for (int i = 20; i < 26; i++) {
    if (t[i] < '0' || t[i] > '9') ok = false;
    micro = micro * 10 + (t[i] - '0');
  }
  if (!ok) return fail(BCV_BAD_DATE);
  bool timeOnly = ((static_cast<uint32_t>(word) >> 16) & 0xFFFF) != 0;
  bool dateOnly = !timeOnly && (word & 0xFFFF) <= 9 && (word & 0xFFFF) != 0;
  *day = 0;
  *fraction = 0;
  if (!timeOnly && year != 0) {
    if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > bcvDaysInMonth(year, month))
      return fail(BCV_BAD_DATE);
    *day = bcvDayNumber(year, month, dayOfMonth);
  }
  if (!dateOnly) {
    if (hour > 23 || minute > 59 || second > 59) return fail(BCV_BAD_DATE);
    *fraction = (hour * 3600 + minute * 60 + second) / 86400.0 + micro / 86400000000.0;
  }
  return BCV_OK;
}

short dayToText(double value, bool keepTime, char* out26) {
  double whole = floor(value);
  int32_t day = 0;
  long long micro = 0;
  if (whole >= 1721426.0 && whole < 6000000.0) {
    day = static_cast<int32_t>(whole);
    if (keepTime) {
      // A double day number carries about 40 microseconds near today: the time is
      // rounded to the millisecond, so that 1.5 seconds does not read 1.499985.
      micro = llround((value - whole) * 86400000.0) * 1000;
      if (micro >= 86400000000LL) micro -= 86400000000LL, day++;
    }
  }
  int y, m, d;
  if (whole < 1721426.0 || whole >= 6000000.0 || !bcvDayToDate(day, &y, &m, &d)) {
    char number[40];
    snprintf(number, sizeof number, "%.0f", whole);
    JxError* e = sqlErrorById(BCV_NUMBER_TO_DATE);
    if (e) *e << number;
    return BCV_NUMBER_TO_DATE;
  }
  long long seconds = micro / 1000000;
  char text[64];
  snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06d", y, m, d, static_cast<int>(seconds / 3600),
           static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
           static_cast<int>(micro % 1000000));
  memcpy(out26, text, BCV_DATETIME_LENGTH);
  return BCV_OK;
}

}  // namespace

BcvDecimalShape bcvDecimalShape(int32_t word) {
  BcvDecimalShape s;
  s.precision = word & 0xFFFF;
  s.scale = static_cast<int8_t>((word >> 16) & 0xFF);
  s.signRoom = (static_cast<uint32_t>(word) & BCV_SIGN_ROOM) != 0;
  if (s.scale < 0) s.precision -= s.scale, s.scale = 0;
  if (s.precision < s.scale) s.precision = s.scale;
  return s;
}

int bcvDaysInMonth(int year, int month) {
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return lengths[month - 1] + (month == 2 && leap ? 1 : 0);
}

int32_t bcvDayNumber(int year, int month, int day) {
  int a = (14 - month) / 12;
  int y = year + 4800 - a;
  int m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

bool bcvDayToDate(int32_t dayNumber, int* year, int* month, int* day) {
  if (dayNumber < 1721426) return false;
  int32_t n = dayNumber - 1721426;  // days since 0001-01-01
  int32_t cycles400 = n / 146097;
  n %= 146097;
  int32_t cycles100 = n / 36524;
  if (cycles100 == 4) cycles100 = 3;  // the last day of a 400-year cycle
  n -= cycles100 * 36524;
  int32_t cycles4 = n / 1461;
  n %= 1461;
  int32_t years = n / 365;
  if (years == 4) years = 3;  // the last day of a leap cycle
  n -= years * 365;
  int32_t y = cycles400 * 400 + cycles100 * 100 + cycles4 * 4 + years + 1;
  if (y >= 10000) return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int m = 0;
  for (; m < 12; m++) {
    int len = lengths[m] + (m == 1 && leap ? 1 : 0);
    if (n < len) break;
    n -= len;
  }
  *year = y;
  *month = m + 1;
  *day = n + 1;
  return true;
}

short bcvtodec(void* out, int32_t outWord, const void* src, uint16_t srcLen, uint16_t srcType,
               int32_t srcWord) {
  BcvDecimalShape shape = bcvDecimalShape(outWord);
  uint8_t* target = static_cast<uint8_t*>(out);
  memset(target, 0, shape.bytes());
  srcType &= ~BCV_WANT_SHORT;
  if (isText(srcType)) return BCV_TEXT_SOURCE;
  if (short partial = checkWhole(srcType, srcLen, srcWord)) return partial;
  switch (srcType) {
    case BCV_DECIMAL: {
      BcvDecimalShape from = bcvDecimalShape(srcWord);
      DigitString d;
      bool negative;
      if (short status = readDecimal(src, from, &d, &negative)) return status;
      int extra = from.integerPlaces() - shape.integerPlaces();
      for (int i = 0; i < extra; i++)
        if (d[i]) return fail(BCV_DECIMAL_OVERFLOW);
      DigitString digits(shape.precision, 0);
      for (int i = 0; i < shape.precision; i++) {
        int j = i + extra;  // source digit on the same place
        if (j >= 0 && j < static_cast<int>(d.size())) digits[i] = d[j];
      }
      // The source's sign nibble stays (an unsigned 0xF too).
      pack(digits, shape, static_cast<const uint8_t*>(src)[from.bytes() - 1] & 0xF, target);
      return BCV_OK;
    }
    case BCV_LONG:
    case BCV_SHORT: {
      int64_t v = srcType == BCV_LONG ? *static_cast<const int32_t*>(src) : *static_cast<const int16_t*>(src);
      bool negative = v < 0;
      uint64_t magnitude = negative ? static_cast<uint64_t>(-v) : static_cast<uint64_t>(v);
      uint8_t digits[20];
      int n = 0;
      char text[24];
      snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(magnitude));
      for (const char* p = text; *p; p++) digits[n++] = *p - '0';
      return placeNumber(digits, n, nullptr, 0, negative, shape, target);
    }
    case BCV_FLOAT:
      return placeDouble(*static_cast<const float*>(src), 8, shape, target);
    case BCV_DOUBLE:
      return placeDouble(*static_cast<const double*>(src), 16, shape, target);
    case BCV_DATETIME: {
      int32_t day;
      double fraction;
      short status = dateTimeParts(static_cast<const char*>(src), srcLen, srcWord, &day, &fraction);
      if (status) return status;
      return placeDouble(day + fraction, 16, shape, target);
    }
    default:
      return BCV_OK;
  }
}

short bcvtos32(int32_t* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord) {
  short overflow = (srcType & BCV_WANT_SHORT) ? BCV_SHORT_OVERFLOW : BCV_LONG_OVERFLOW;
  srcType &= ~BCV_WANT_SHORT;
  if (isText(srcType)) return BCV_TEXT_SOURCE;
  if (short partial = checkWhole(srcType, srcLen, srcWord)) return partial;
  switch (srcType) {
    case BCV_DECIMAL: {
      BcvDecimalShape from = bcvDecimalShape(srcWord);
      DigitString d;
      bool negative;
      if (short status = readDecimal(src, from, &d, &negative)) return status;
      // Accumulated as a negative number, whose range is the wider one.
      int32_t acc = 0;
      for (int i = 0; i < from.integerPlaces(); i++) {
        if (acc < (INT32_MIN + d[i]) / 10) return fail(overflow);
        acc = acc * 10 - d[i];
      }
      if (!negative) {
        if (acc == INT32_MIN) return fail(overflow);
        acc = -acc;
      }
      *out = acc;
      return BCV_OK;
    }
    case BCV_LONG:
      *out = *static_cast<const int32_t*>(src);
      return BCV_OK;
    case BCV_SHORT:
      *out = *static_cast<const int16_t*>(src);
      return BCV_OK;
    case BCV_FLOAT:
    case BCV_DOUBLE: {
      double v = srcType == BCV_FLOAT ? *static_cast<const float*>(src) : *static_cast<const double*>(src);
      if (!(v >= -2147483648.0 && v <= 2147483647.0)) return fail(overflow);
      *out = static_cast<int32_t>(v);
      return BCV_OK;
    }
    case BCV_DATETIME: {
      int32_t day;
      double fraction;
      short status = dateTimeParts(static_cast<const char*>(src), srcLen, srcWord, &day, &fraction);
      if (status) return status;
      *out = day;
      return BCV_OK;
    }
    default:
      return BCV_OK;
  }
}

short bcvtos16(int16_t* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord) {
  int32_t wide = 0;
  uint16_t base = srcType & ~BCV_WANT_SHORT;
  if (isText(base)) return BCV_TEXT_SOURCE;
  if (base != BCV_DECIMAL && base != BCV_LONG && base != BCV_SHORT && base != BCV_FLOAT &&
      base != BCV_DOUBLE && base != BCV_DATETIME)
    return BCV_OK;
  short status = bcvtos32(&wide, src, srcLen, base | BCV_WANT_SHORT, srcWord);
  if (status) return status;
  if (wide < -32768 || wide > 32767) return fail(BCV_SHORT_OVERFLOW);
  *out = static_cast<int16_t>(wide);
  return BCV_OK;
}

short bcvtof64(double* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord) {
  srcType &= ~BCV_WANT_SHORT;
  if (isText(srcType)) return BCV_TEXT_SOURCE;
  if (short partial = checkWhole(srcType, srcLen, srcWord)) return partial;
  switch (srcType) {
    case BCV_DECIMAL: {
      BcvDecimalShape from = bcvDecimalShape(srcWord);
      DigitString d;
      bool negative;
      if (short status = readDecimal(src, from, &d, &negative)) return status;
      // Four digits at a time; a negative scale was folded into the digits already.
      int count = static_cast<int>(d.size());
      double v = 0;
      int i = 0;
      for (; i + 4 <= count; i += 4)
        v = v * 10000 + (d[i] * 1000 + d[i + 1] * 100 + d[i + 2] * 10 + d[i + 3]);
      if (i < count) {
        int group = 0, scaleBy = 1;
        for (; i < count; i++) group = group * 10 + d[i], scaleBy *= 10;
        v = v * scaleBy + group;
      }
      int s = from.scale;
      for (; s >= 4; s -= 4) v /= 10000;
      static const double lastStep[] = {1, 10, 100, 1000};
      v /= lastStep[s];
      // More than about 308 integer digits: beyond a double (the scale may bring the
      // value back only when it was finite on the way).
      if (!isfinite(v)) return fail(BCV_DOUBLE_OVERFLOW);
      *out = negative ? -v : v;
      return BCV_OK;
    }
    case BCV_LONG:
      *out = *static_cast<const int32_t*>(src);
      return BCV_OK;
    case BCV_SHORT:
      *out = *static_cast<const int16_t*>(src);
      return BCV_OK;
    case BCV_FLOAT:
      *out = *static_cast<const float*>(src);
      return BCV_OK;
    case BCV_DOUBLE:
      *out = *static_cast<const double*>(src);
      return BCV_OK;
    case BCV_DATETIME: {
      int32_t day;
      double fraction;
      short status = dateTimeParts(static_cast<const char*>(src), srcLen, srcWord, &day, &fraction);
      if (status) return status;
      *out = day + fraction;
      return BCV_OK;
    }
    default:
      return BCV_OK;
  }
}

short bcvtof32(float* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord) {
  uint16_t base = srcType & ~BCV_WANT_SHORT;
  if (isText(base)) return BCV_TEXT_SOURCE;
  if (base != BCV_DECIMAL && base != BCV_LONG && base != BCV_SHORT && base != BCV_FLOAT &&
      base != BCV_DOUBLE && base != BCV_DATETIME)
    return BCV_OK;
  double v = 0;
  short status = bcvtof64(&v, src, srcLen, base, srcWord);
  if (status) return status;
  double magnitude = fabs(v);
  if (!(magnitude <= 3.4028235e38) || (magnitude != 0 && magnitude < 1.1754944e-38))
    return fail(BCV_FLOAT_OVERFLOW);
  *out = static_cast<float>(v);
  return BCV_OK;
}

short bcvtodat(char* out26, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord,
               int keepTime) {
  srcType &= ~BCV_WANT_SHORT;
  if (isText(srcType)) return BCV_TEXT_SOURCE;
  if (short partial = checkWhole(srcType, srcLen, srcWord)) return partial;
  switch (srcType) {
    case BCV_LONG:
      return dayToText(*static_cast<const int32_t*>(src), false, out26);
    case BCV_SHORT:
      return dayToText(*static_cast<const int16_t*>(src), false, out26);
    case BCV_DECIMAL:
    case BCV_FLOAT:
    case BCV_DOUBLE: {
      double v = 0;
      short status = bcvtof64(&v, src, srcLen, srcType, srcWord);
      if (status) return status;
      if (!isfinite(v)) v = 0;
      return dayToText(v, keepTime != 0, out26);
    }
    case BCV_DATETIME: {
      char t[BCV_DATETIME_LENGTH + 1];
      copyDateText(t, src, srcLen);
      memcpy(out26, t, BCV_DATETIME_LENGTH);
      return BCV_OK;
    }
    default:
      return BCV_OK;
  }
}

short bcvNumberTextToDecimal(const char* text, int32_t length, int32_t word, uint8_t* out) {
  BcvDecimalShape shape = bcvDecimalShape(word);
  int32_t n = length > 0 ? length : 0;
  int32_t i = 0;
  auto refuse = [&]() {
    JxError* e = sqlErrorById(BCV_NOT_A_NUMBER);
    if (e) *e << std::string(text, n).c_str();
    return static_cast<short>(BCV_NOT_A_NUMBER);
  };
  auto isDigit = [&](int32_t at) { return at < n && text[at] >= '0' && text[at] <= '9'; };
  while (i < n && text[i] == ' ') i++;
  bool blank = i == n;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Significant digits (leading zeros dropped) and where the point stands among them.
  DigitString digits;
  int64_t point = 0;
  bool anyDigit = false;
  for (; isDigit(i); i++) {
    anyDigit = true;
    if (digits.empty() && text[i] == '0') continue;
    digits.push_back(static_cast<uint8_t>(text[i] - '0'));
    point++;
  }
  if (i < n && text[i] == '.') {
    for (i++; isDigit(i); i++) {
      anyDigit = true;
      if (digits.empty() && text[i] == '0') {
        point--;
        continue;
      }
      digits.push_back(static_cast<uint8_t>(text[i] - '0'));
    }
  }
  // Drivers write large and small numbers with an exponent ("1.0e-05").
  if (anyDigit && i < n && (text[i] == 'e' || text[i] == 'E')) {
    i++;
    bool minus = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
    if (!isDigit(i)) return refuse();
    int64_t exponent = 0;
    for (; isDigit(i); i++)
      if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
    point += minus ? -exponent : exponent;
  }
  while (i < n && text[i] == ' ') i++;
  if (i != n || (!anyDigit && !blank)) return refuse();
  if (digits.empty()) point = 0;
  // Integer digits, then the fraction up to the scale, rounded half up at the scale.
  if (point > shape.integerPlaces()) return fail(BCV_DECIMAL_OVERFLOW);
  int64_t count = static_cast<int64_t>(digits.size());
  int intCount = point > 0 ? static_cast<int>(point) : 0;
  DigitString whole(intCount + shape.scale, 0);
  for (int k = 0; k < static_cast<int>(whole.size()); k++) {
    int64_t at = k - (intCount - point);  // index into digits of this place
    if (at >= 0 && at < count) whole[k] = digits[at];
  }
  int64_t next = static_cast<int64_t>(whole.size()) - (intCount - point);  // first digit dropped
  if (next >= 0 && next < count && digits[next] >= 5) {
    int k = static_cast<int>(whole.size()) - 1;
    while (k >= 0 && whole[k] == 9) whole[k--] = 0;
    if (k >= 0)
      whole[k]++;
    else
      whole.insert(whole.begin(), 1), intCount++;
  }
  return placeNumber(whole.data(), intCount, whole.data() + intCount, shape.scale, negative, shape, out);
}

int32_t bcvmaxlen(uint16_t type, int32_t word, int withTerminator) {
  switch (type) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      return word + (withTerminator ? 1 : 0);
    case BCV_DECIMAL: {
      int p = word & 0xFFFF;
      int s = static_cast<int8_t>((word >> 16) & 0xFF);
      if (s < 0) return (p - s + 2) / 2;
      if (s <= p) return p / 2 + 1;
      return s;
    }
    case BCV_LONG:
      return 4;
    case BCV_SHORT:
      return 2;
    case BCV_FLOAT:
      return 4;
    case BCV_DOUBLE:
      return 8;
    case BCV_DATETIME:
      return BCV_DATETIME_LENGTH + (withTerminator ? 1 : 0);
    default:
      return -1;
  }
}
