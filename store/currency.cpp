// Currency arithmetic: exact 128-bit intermediates, half-even rounding, checked range.
#include "store/currency.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "store/numeric.h"
#include "store/storeexcept.h"

namespace {

[[noreturn]] void overflow() { throw FPException(kMsgIntegerOverflow); }

struct U128 {
  uint64_t hi, lo;
};

U128 mul64(uint64_t a, uint64_t b) {
  uint64_t a0 = (uint32_t)a, a1 = a >> 32, b0 = (uint32_t)b, b1 = b >> 32;
  uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  uint64_t mid = (p00 >> 32) + (uint32_t)p01 + (uint32_t)p10;
  U128 r;
  r.lo = (mid << 32) | (uint32_t)p00;
  r.hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
  return r;
}

// n / d with remainder, d != 0 (binary long division; Currency division is rare).
U128 div128(U128 n, uint64_t d, uint64_t& rem) {
  U128 q = {0, 0};
  uint64_t r = 0;
  for (int i = 127; i >= 0; --i) {
    uint64_t bit = i >= 64 ? (n.hi >> (i - 64)) & 1 : (n.lo >> i) & 1;
    bool carry = (r >> 63) != 0;
    r = (r << 1) | bit;
    if (carry || r >= d) {
      r -= d;
      if (i >= 64)
        q.hi |= (uint64_t)1 << (i - 64);
      else
        q.lo |= (uint64_t)1 << i;
    }
  }
  rem = r;
  return q;
}

// Rounds q + rem/d half to even and applies the sign; checks the 64-bit range.
int64_t finish(U128 q, uint64_t rem, uint64_t d, bool negative) {
  if (q.hi) overflow();
  uint64_t m = q.lo;
  // rem*2 compared with d without overflow: rem < d <= 2^64-1.
  bool more = rem > d - rem;
  bool half = rem == d - rem;
  if (more || (half && (m & 1))) {
    if (m == UINT64_MAX) overflow();
    ++m;
  }
  if (negative) {
    if (m > (uint64_t)1 << 63) overflow();
    return (int64_t)(0 - m);
  }
  if (m > (uint64_t)INT64_MAX) overflow();
  return (int64_t)m;
}

uint64_t magnitude(int64_t v) { return v < 0 ? 0 - (uint64_t)v : (uint64_t)v; }

}  // namespace

Currency Currency::fromDouble(double v) {
  double scaled = RoundHalfEven(v * kScale);
  if (!(scaled > -9223372036854775808.0 && scaled < 9223372036854775808.0)) overflow();
  return fromRaw((int64_t)scaled);
}

bool Currency::fromText(const char* text, Currency& c) {
  if (!text) return false;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';

  uint64_t whole = 0;
  bool any = false;
  for (; std::isdigit((unsigned char)*p); ++p) {
    if (whole > (UINT64_MAX - 9) / 10) return false;
    whole = whole * 10 + (*p - '0');
    any = true;
  }
  uint64_t frac = 0;
  int places = 0;
  int next = -1;      // the fifth decimal
  bool rest = false;  // a non-zero decimal after the fifth
  if (*p == '.') {
    for (++p; std::isdigit((unsigned char)*p); ++p) {
      any = true;
      if (places < 4) {
        frac = frac * 10 + (*p - '0');
        ++places;
      } else if (next < 0) {
        next = *p - '0';
      } else if (*p != '0') {
        rest = true;
      }
    }
  }
  if (!any) return false;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p) {
    // Exponent forms go through the floating conversion.
    ValueCell n;
    n.init();
    if (!TextToNumber(text, n)) return false;
    try {
      c = fromDouble(CellToDouble(n));
    } catch (const StoreException&) {
      return false;
    }
    return true;
  }
  for (; places < 4; ++places) frac *= 10;
  U128 m = mul64(whole, kScale);
  if (m.hi || m.lo > UINT64_MAX - frac) return false;
  uint64_t mag = m.lo + frac;
  if (next > 5 || (next == 5 && (rest || (mag & 1)))) ++mag;
  if (negative ? mag > (uint64_t)1 << 63 : mag > (uint64_t)INT64_MAX) return false;
  c.raw = negative ? (int64_t)(0 - mag) : (int64_t)mag;
  return true;
}

char* Currency::toText(char* buf) const {
  uint64_t m = magnitude(raw);
  char frac[8];
  std::snprintf(frac, sizeof frac, "%04u", (unsigned)(m % kScale));
  int n = 4;
  while (n > 0 && frac[n - 1] == '0') --n;
  frac[n] = 0;
  std::snprintf(buf, 26, "%s%llu%s%s", raw < 0 ? "-" : "", (unsigned long long)(m / kScale), n ? "." : "",
                frac);
  return buf;
}

Currency Currency::operator+(Currency o) const {
  int64_t r;
  if (__builtin_add_overflow(raw, o.raw, &r)) overflow();
  return fromRaw(r);
}

Currency Currency::operator-(Currency o) const {
  int64_t r;
  if (__builtin_sub_overflow(raw, o.raw, &r)) overflow();
  return fromRaw(r);
}

Currency Currency::operator-() const {
  if (raw == INT64_MIN) overflow();
  return fromRaw(-raw);
}

Currency Currency::operator*(Currency o) const {
  uint64_t rem;
  U128 q = div128(mul64(magnitude(raw), magnitude(o.raw)), kScale, rem);
  return fromRaw(finish(q, rem, kScale, (raw < 0) != (o.raw < 0)));
}

Currency Currency::operator/(Currency o) const {
  if (o.raw == 0) throw FPException(kMsgDivisionByZero);
  uint64_t rem;
  U128 q = div128(mul64(magnitude(raw), kScale), magnitude(o.raw), rem);
  return fromRaw(finish(q, rem, magnitude(o.raw), (raw < 0) != (o.raw < 0)));
}
