// Currency: a fixed-point number, a signed 64-bit integer counting ten-thousandths.
//
// Exact for sums and differences; products and quotients are computed exactly and
// rounded half to even to the fourth decimal. Every result outside the 64-bit range is
// an overflow error (FPException 32707), never a wrap. Division by a zero Currency is
// FPException 32704.
//
// Text: toText writes at most four decimals and drops trailing zeros ("12.5", "-0.0001",
// "3"); fromText reads an optional sign, digits, a point and decimals; decimals beyond
// the fourth are rounded half to even. Leading and trailing blanks are allowed.
#pragma once

#include <cstdint>

#include "store/ovstore_api.h"

struct OVSTORE_API Currency {
  enum : int64_t { kScale = 10000 };
  int64_t raw;  // value * 10000

  static Currency fromRaw(int64_t r) {
    Currency c;
    c.raw = r;
    return c;
  }
  static Currency fromLong(int32_t v) { return fromRaw((int64_t)v * kScale); }
  // Rounds half to even at the fourth decimal; out of range -> overflow error.
  static Currency fromDouble(double v);
  // false (and c untouched) when the text is not a number or out of range.
  static bool fromText(const char* text, Currency& c);

  double toDouble() const { return (double)raw / kScale; }
  // Writes the value into buf (at least 26 bytes); returns buf.
  char* toText(char* buf) const;

  Currency operator+(Currency o) const;
  Currency operator-(Currency o) const;
  Currency operator*(Currency o) const;
  Currency operator/(Currency o) const;
  Currency operator-() const;
  Currency& operator+=(Currency o) { return *this = *this + o; }
  Currency& operator-=(Currency o) { return *this = *this - o; }

  bool operator==(Currency o) const { return raw == o.raw; }
  bool operator!=(Currency o) const { return raw != o.raw; }
  bool operator<(Currency o) const { return raw < o.raw; }
  bool operator>(Currency o) const { return raw > o.raw; }
  bool operator<=(Currency o) const { return raw <= o.raw; }
  bool operator>=(Currency o) const { return raw >= o.raw; }
};
