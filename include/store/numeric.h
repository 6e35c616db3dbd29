// The run-time semantics of Basic values, on ValueCells. Everyone evaluates through these
// functions; nothing here allocates for numbers.
//
// Booleans: True is -1, False 0 (Integer). Any non-zero number is true.
//
// Arithmetic (+ - *) widens to the wider operand type:
//     Integer < Long < Single < Double;
//     Currency with Integer or Long stays Currency; Currency with Single or Double gives
//     Double.
//   Integer, Long and Currency results are checked: overflow is FPException 32707
//   ("never wraps"); Single and Double results that overflow to infinity are
//   FPException 32703.
// A string operand in arithmetic is converted to a number first (failure: TypeMismatch
//   32765); its type is Double. `+` of two strings concatenates.
// `/` always gives a floating result: Single when the widened operand type is Single
//   (Single with Integer, Long or Single), Double otherwise (so Integer / Integer is
//   Double). Division by zero is FPException 32704.
// `\` and Mod round both operands to integers first (half to even), then divide
//   truncating toward zero; Mod's sign follows the dividend. The result is Integer when
//   both operands are Integer, else Long (Currency and floating operands are rounded to
//   Long). Division by zero is FPException 32706.
// `^` gives a Double (pow); a result that is not finite is FPException 32705 (invalid,
//   e.g. negative base with a fractional exponent) or 32703 (overflow).
// Unary minus keeps the type and checks overflow (-(-32768) as Integer overflows).
// Conversion of a fractional value to Integer or Long rounds half to even (2.5 -> 2,
//   3.5 -> 4, -2.5 -> -2); out of range is FPException 32707. To Currency: rounds half
//   to even at the fourth decimal.
// And, Or, Xor, Not, Eqv, Imp are bitwise on integers: Integer when both operands are
//   Integer, else Long (others rounded to Long). Logical && and || short-circuit in the
//   interpreter and use CellIsTrue.
// Comparisons give Integer -1/0. Two strings compare binary (byte by byte, unsigned,
//   case-sensitive; a shorter prefix is less). A string and a number: the string is
//   converted to a number (TypeMismatch when it is not one). Numbers compare in the
//   widened type. Objects only compare for = and <> (same object); other object
//   comparisons and object arithmetic are TypeMismatch.
// `&` concatenates, converting numbers to text (CellToText).
// An empty cell (kTypeNone) or a no-value cell reads as Integer 0 in arithmetic and "" as
//   text.
//
// Number to text: Integer/Long in decimal; Single with up to 7 and Double up to 15
// significant digits, no trailing zeros, exponent form "1.5E+20" / "1E-07" outside
// 1e-5..1e15 (1e7 for Single... see CellToText); Currency with up to 4 decimals.
// Text to number (TextToNumber): blanks around, sign, digits, point, exponent with E or D,
// "&H" hex and "&O" octal; nothing else. The result is Double (hex/octal give Long).
#pragma once

#include <string>

#include "store/valuecell.h"

enum NumOp : unsigned char {
  kNumAdd,
  kNumSub,
  kNumMul,
  kNumDiv,
  kNumIntDiv,
  kNumMod,
  kNumPow,
  kNumConcat,
  kNumAnd,
  kNumOr,
  kNumXor,
  kNumEqv,
  kNumImp,
  kNumEq,
  kNumNe,
  kNumLt,
  kNumGt,
  kNumLe,
  kNumGe,
};

// out := a op b. out may be the same cell as a or b; out's old content is released.
OVSTORE_API void CellBinary(NumOp op, ValueCell& out, const ValueCell& a, const ValueCell& b);
// out := -a / Not a (bitwise).
OVSTORE_API void CellNegate(ValueCell& out, const ValueCell& a);
OVSTORE_API void CellNot(ValueCell& out, const ValueCell& a);
// -1, 0, 1 under the comparison rules above.
OVSTORE_API int CellCompare(const ValueCell& a, const ValueCell& b);
OVSTORE_API bool CellIsTrue(const ValueCell& a);

// The type arithmetic on a and b works in (before / and \ adjustments).
OVSTORE_API unsigned char WidenedType(unsigned char a, unsigned char b);

// Conversions (errors as above).
OVSTORE_API int16_t CellToShort(const ValueCell& c);
OVSTORE_API int32_t CellToLong(const ValueCell& c);
OVSTORE_API float CellToFloat(const ValueCell& c);
OVSTORE_API double CellToDouble(const ValueCell& c);
OVSTORE_API Currency CellToCurrency(const ValueCell& c);
// A new ValStringRep (count 0) with the value's text; objects are TypeMismatch.
OVSTORE_API ValStringRep* CellToStringRep(const ValueCell& c);
OVSTORE_API ValString CellToString(const ValueCell& c);
OVSTORE_API std::string CellToText(const ValueCell& c);
// Converts in place to type code t (1..6; 7 only from an object or Nothing).
OVSTORE_API void CellConvert(ValueCell& c, unsigned char t);

// Scalar helpers behind the conversions.
OVSTORE_API double RoundHalfEven(double v);
OVSTORE_API int16_t DoubleToShort(double v);  // rounds, overflow error
OVSTORE_API int32_t DoubleToLong(double v);   // rounds, overflow error
OVSTORE_API float DoubleToFloat(double v);    // overflow error beyond Single's range
// Text of numbers; buf must hold 32 bytes; returns buf.
OVSTORE_API char* DoubleToText(double v, char* buf);
OVSTORE_API char* FloatToText(float v, char* buf);
// false when text is not a number; out gets a Double (or Long for &H/&O).
OVSTORE_API bool TextToNumber(const char* text, ValueCell& out);
// The store's string to 16-bit conversion: false (and v untouched) when the text is not a
// number or out of the Integer range; fractions round half to even.
OVSTORE_API bool StringToShort(const char* text, short& v);
OVSTORE_API bool StringToLong(const char* text, long& v);
OVSTORE_API bool StringToDouble(const char* text, double& v);

// CellBinary with the common cases inline: Integer and Long operands in any mix (+ - *
// \ Mod / And Or Xor and comparisons, when nothing overflows or divides by zero), and
// Double with Double, Integer or Long (+ - * / and comparisons with a finite result).
// Everything else, and every error, goes through CellBinary, so the results are the
// same. out may be the same cell as a or b.
inline void CellOp(NumOp op, ValueCell& out, const ValueCell& a, const ValueCell& b) {
  unsigned char ta = a.type, tb = b.type;
  bool ia = ta == kTypeLong || ta == kTypeShort, ib = tb == kTypeLong || tb == kTypeShort;
  if (ia && ib) {
    int32_t x = ta == kTypeLong ? a.l : a.s, y = tb == kTypeLong ? b.l : b.s, r;
    bool done = false;
    switch (op) {
      case kNumAdd:
        done = !__builtin_add_overflow(x, y, &r);
        break;
      case kNumSub:
        done = !__builtin_sub_overflow(x, y, &r);
        break;
      case kNumMul:
        done = !__builtin_mul_overflow(x, y, &r);
        break;
      case kNumIntDiv:
        done = y != 0 && !(y == -1 && x == INT32_MIN);
        if (done) r = x / y;
        break;
      case kNumMod:
        done = y != 0 && y != -1;
        if (done) r = x % y;
        break;
      case kNumDiv:
        if (y == 0) break;
        out.setDouble((double)x / y);
        return;
      case kNumAnd:
        r = x & y;
        done = true;
        break;
      case kNumOr:
        r = x | y;
        done = true;
        break;
      case kNumXor:
        r = x ^ y;
        done = true;
        break;
      case kNumEq:
        out.setBool(x == y);
        return;
      case kNumNe:
        out.setBool(x != y);
        return;
      case kNumLt:
        out.setBool(x < y);
        return;
      case kNumGt:
        out.setBool(x > y);
        return;
      case kNumLe:
        out.setBool(x <= y);
        return;
      case kNumGe:
        out.setBool(x >= y);
        return;
      default:
        done = false;
        break;
    }
    if (done) {
      if (ta == kTypeLong || tb == kTypeLong) {
        out.setLong(r);
        return;
      }
      if (r >= -32768 && r <= 32767) {
        out.setShort((int16_t)r);
        return;
      }
    }
  } else if ((ta == kTypeDouble && (ib || tb == kTypeDouble)) || (tb == kTypeDouble && ia)) {
    double x = ta == kTypeDouble ? a.d : ta == kTypeLong ? a.l : a.s;
    double y = tb == kTypeDouble ? b.d : tb == kTypeLong ? b.l : b.s;
    if (x == x && y == y) {          // NaN takes the checked path
      double r = __builtin_nan("");  // stays NaN when the checked path must decide
      switch (op) {
        case kNumAdd:
          r = x + y;
          break;
        case kNumSub:
          r = x - y;
          break;
        case kNumMul:
          r = x * y;
          break;
        case kNumDiv:
          if (y == 0) break;  // the checked path reports it
          r = x / y;
          break;
        case kNumEq:
          out.setBool(x == y);
          return;
        case kNumNe:
          out.setBool(x != y);
          return;
        case kNumLt:
          out.setBool(x < y);
          return;
        case kNumGt:
          out.setBool(x > y);
          return;
        case kNumLe:
          out.setBool(x <= y);
          return;
        case kNumGe:
          out.setBool(x >= y);
          return;
        default:
          CellBinary(op, out, a, b);
          return;
      }
      if (__builtin_isfinite(r)) {
        out.setDouble(r);
        return;
      }
    }
  }
  CellBinary(op, out, a, b);
}
