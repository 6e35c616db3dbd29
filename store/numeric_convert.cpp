// Conversions between value types and between numbers and text (see numeric.h).
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/numeric.h"
#include "store/storeexcept.h"

namespace {

[[noreturn]] void overflow() { throw FPException(kMsgIntegerOverflow); }

[[noreturn]] void notANumber(const ValueCell& c) {
  std::string t(c.text(), c.textLength() > 40 ? 40 : c.textLength());
  throw TypeMismatch(("'" + t + "' is not a number").c_str());
}

[[noreturn]] void wrongType(const ValueCell& c, const char* to) {
  std::string what = std::string(IdTypeString(c.type).string()) + " to " + to;
  if (c.type == kTypeNoValue) throw StoreException(kMsgNoValue);
  throw TypeMismatch(what.c_str());
}

// A string cell's number (Double, or Long for &H/&O).
void parseNumber(const ValueCell& c, ValueCell& n) {
  if (!TextToNumber(c.text(), n)) notANumber(c);
}

// Writes the exponent of a %G result as E+dd (at least two digits, no more than needed).
void tidyExponent(char* buf) {
  char* e = std::strchr(buf, 'E');
  if (!e) return;
  char* d = e + 2;  // after the sign
  char* first = d;
  while (*first == '0' && first[1] && first[2]) ++first;  // keep two digits
  if (first != d) std::memmove(d, first, std::strlen(first) + 1);
}

char* floatingText(double v, int digits, char* buf) {
  if (v == 0) return std::strcpy(buf, "0");
  if (std::isnan(v)) return std::strcpy(buf, "NaN");
  if (std::isinf(v)) return std::strcpy(buf, v < 0 ? "-Infinity" : "Infinity");
  std::snprintf(buf, 32, "%.*G", digits, v);
  tidyExponent(buf);
  return buf;
}

}  // namespace

double RoundHalfEven(double v) {
  double r = std::floor(v);
  double diff = v - r;
  if (diff > 0.5) return r + 1;
  if (diff < 0.5) return r;
  return std::fmod(r, 2.0) == 0 ? r : r + 1;
}

int16_t DoubleToShort(double v) {
  double r = RoundHalfEven(v);
  if (!(r >= -32768.0 && r <= 32767.0)) overflow();
  return (int16_t)r;
}

int32_t DoubleToLong(double v) {
  double r = RoundHalfEven(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) overflow();
  return (int32_t)r;
}

float DoubleToFloat(double v) {
  if (std::isfinite(v) && std::fabs(v) > 3.4028234663852886e38) throw FPException(kMsgFPOverflow);
  return (float)v;
}

char* DoubleToText(double v, char* buf) { return floatingText(v, 15, buf); }
char* FloatToText(float v, char* buf) { return floatingText(v, 7, buf); }

bool TextToNumber(const char* text, ValueCell& out) {
  if (!text) return false;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* end = p + std::strlen(p);
  while (end > p && (end[-1] == ' ' || end[-1] == '\t')) --end;
  if (p == end) return false;
  if (*p == '&' && end - p > 2) {
    int base = (p[1] == 'H' || p[1] == 'h') ? 16 : (p[1] == 'O' || p[1] == 'o') ? 8 : 0;
    if (!base) return false;
    uint64_t v = 0;
    for (const char* q = p + 2; q < end; ++q) {
      int d = std::isdigit((unsigned char)*q)    ? *q - '0'
              : std::isxdigit((unsigned char)*q) ? std::toupper((unsigned char)*q) - 'A' + 10
                                                 : 99;
      if (d >= base) return false;
      v = v * base + d;
      if (v > 0xFFFFFFFFull) return false;
    }
    out.setLong((int32_t)(uint32_t)v);
    return true;
  }
  // sign, digits, point, digits, exponent (E or D)
  char buf[400];
  size_t n = 0;
  const char* q = p;
  if (*q == '+' || *q == '-') buf[n++] = *q++;
  int digits = 0;
  while (q < end && std::isdigit((unsigned char)*q) && n < 380) buf[n++] = *q++, ++digits;
  if (q < end && *q == '.') {
    buf[n++] = *q++;
    while (q < end && std::isdigit((unsigned char)*q) && n < 380) buf[n++] = *q++, ++digits;
  }
  if (!digits) return false;
  if (q < end && (*q == 'E' || *q == 'e' || *q == 'D' || *q == 'd')) {
    buf[n++] = 'E';
    ++q;
    if (q < end && (*q == '+' || *q == '-')) buf[n++] = *q++;
    int ed = 0;
    while (q < end && std::isdigit((unsigned char)*q) && n < 395) buf[n++] = *q++, ++ed;
    if (!ed) return false;
  }
  if (q != end) return false;
  buf[n] = 0;
  double v = std::strtod(buf, nullptr);
  if (std::isinf(v)) return false;
  out.setDouble(v);
  return true;
}

bool StringToDouble(const char* text, double& v) {
  ValueCell c;
  c.init();
  if (!TextToNumber(text, c)) return false;
  v = c.type == kTypeLong ? c.l : c.d;
  return true;
}

bool StringToShort(const char* text, short& v) {
  double d;
  if (!StringToDouble(text, d)) return false;
  double r = RoundHalfEven(d);
  if (!(r >= -32768.0 && r <= 32767.0)) return false;
  v = (short)r;
  return true;
}

bool StringToLong(const char* text, long& v) {
  double d;
  if (!StringToDouble(text, d)) return false;
  double r = RoundHalfEven(d);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
  v = (long)r;
  return true;
}

// Cell conversions

int16_t CellToShort(const ValueCell& c) {
  switch (c.type) {
    case kTypeNone:
      return 0;
    case kTypeShort:
      return c.s;
    case kTypeLong:
      if (c.l < -32768 || c.l > 32767) overflow();
      return (int16_t)c.l;
    case kTypeFloat:
      return DoubleToShort(c.f);
    case kTypeDouble:
      return DoubleToShort(c.d);
    case kTypeCurrency: {
      int32_t l = CellToLong(c);
      if (l < -32768 || l > 32767) overflow();
      return (int16_t)l;
    }
    case kTypeString: {
      ValueCell n;
      n.init();
      parseNumber(c, n);
      return CellToShort(n);
    }
    default:
      wrongType(c, "Integer");
  }
}

int32_t CellToLong(const ValueCell& c) {
  switch (c.type) {
    case kTypeNone:
      return 0;
    case kTypeShort:
      return c.s;
    case kTypeLong:
      return c.l;
    case kTypeFloat:
      return DoubleToLong(c.f);
    case kTypeDouble:
      return DoubleToLong(c.d);
    case kTypeCurrency: {
      // Exact: whole part plus half-even rounding of the four decimals.
      int64_t whole = c.cy / Currency::kScale, frac = c.cy % Currency::kScale;
      int64_t twice = 2 * (frac < 0 ? -frac : frac);
      if (twice > Currency::kScale || (twice == Currency::kScale && (whole & 1))) whole += c.cy < 0 ? -1 : 1;
      if (whole < INT32_MIN || whole > INT32_MAX) overflow();
      return (int32_t)whole;
    }
    case kTypeString: {
      ValueCell n;
      n.init();
      parseNumber(c, n);
      return CellToLong(n);
    }
    default:
      wrongType(c, "Long");
  }
}

double CellToDouble(const ValueCell& c) {
  switch (c.type) {
    case kTypeNone:
      return 0;
    case kTypeShort:
      return c.s;
    case kTypeLong:
      return c.l;
    case kTypeFloat:
      return c.f;
    case kTypeDouble:
      return c.d;
    case kTypeCurrency:
      return (double)c.cy / Currency::kScale;
    case kTypeString: {
      ValueCell n;
      n.init();
      parseNumber(c, n);
      return CellToDouble(n);
    }
    default:
      wrongType(c, "Double");
  }
}

float CellToFloat(const ValueCell& c) {
  if (c.type == kTypeFloat) return c.f;
  return DoubleToFloat(CellToDouble(c));
}

Currency CellToCurrency(const ValueCell& c) {
  switch (c.type) {
    case kTypeNone:
      return Currency::fromRaw(0);
    case kTypeShort:
      return Currency::fromLong(c.s);
    case kTypeLong:
      return Currency::fromLong(c.l);
    case kTypeFloat:
      return Currency::fromDouble(c.f);
    case kTypeDouble:
      return Currency::fromDouble(c.d);
    case kTypeCurrency:
      return c.currency();
    case kTypeString: {
      Currency v;
      if (Currency::fromText(c.text(), v)) return v;
      ValueCell n;
      n.init();
      parseNumber(c, n);  // not a number: TypeMismatch; a number out of range: overflow
      return CellToCurrency(n);
    }
    default:
      wrongType(c, "Currency");
  }
}

std::string CellToText(const ValueCell& c) {
  char buf[40];
  switch (c.type) {
    case kTypeNone:
      return std::string();
    case kTypeShort:
      std::snprintf(buf, sizeof buf, "%d", c.s);
      return buf;
    case kTypeLong:
      std::snprintf(buf, sizeof buf, "%ld", (long)c.l);
      return buf;
    case kTypeFloat:
      return FloatToText(c.f, buf);
    case kTypeDouble:
      return DoubleToText(c.d, buf);
    case kTypeCurrency:
      return c.currency().toText(buf);
    case kTypeString:
      return std::string(c.text(), c.textLength());
    default:
      wrongType(c, "String");
  }
}

ValStringRep* CellToStringRep(const ValueCell& c) {
  if (c.type == kTypeString) return new ValStringRep(c.text(), c.textLength());
  return new ValStringRep(CellToText(c));
}

ValString CellToString(const ValueCell& c) {
  if (c.type == kTypeString) return c.str ? ValString(c.str) : ValString("");
  return ValString(CellToStringRep(c));
}

void CellConvert(ValueCell& c, unsigned char t) {
  if (c.type == t) return;
  switch (t) {
    case kTypeShort:
      c.setShort(CellToShort(c));
      return;
    case kTypeLong:
      c.setLong(CellToLong(c));
      return;
    case kTypeFloat:
      c.setFloat(CellToFloat(c));
      return;
    case kTypeDouble:
      c.setDouble(CellToDouble(c));
      return;
    case kTypeCurrency:
      c.setCurrency(CellToCurrency(c));
      return;
    case kTypeString: {
      ValStringRep* r = CellToStringRep(c);
      r->ref();
      c.adoptString(r);
      return;
    }
    default:
      wrongType(c, IdTypeString(t).string());
  }
}
