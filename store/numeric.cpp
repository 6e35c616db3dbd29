// Operators on ValueCells (the rules are in numeric.h).
#include "store/numeric.h"

#include <cmath>
#include <cstring>

#include "store/storeexcept.h"

namespace {

[[noreturn]] void overflow() { throw FPException(kMsgIntegerOverflow); }

int rank(unsigned char t) {
  switch (t) {
    case kTypeShort:
      return 1;
    case kTypeLong:
      return 2;
    case kTypeFloat:
      return 3;
    case kTypeDouble:
      return 4;
    default:
      return 0;
  }
}

// A number cell (no counts) for an operand: empty reads as Integer 0, strings are parsed.
void loadNumber(const ValueCell& c, ValueCell& n) {
  switch (c.type) {
    case kTypeNone:
      n.setShort(0);
      return;
    case kTypeShort:
    case kTypeLong:
    case kTypeFloat:
    case kTypeDouble:
    case kTypeCurrency:
      std::memcpy(static_cast<void*>(&n), &c, sizeof c);
      return;
    case kTypeString:
      n.setDouble(CellToDouble(c));
      return;
    case kTypeNoValue:
      throw StoreException(kMsgNoValue);
    default:
      throw TypeMismatch((std::string(IdTypeString(c.type).string()) + " in arithmetic").c_str());
  }
}

double floatResult(double r, double a, double b) {
  if (std::isfinite(r)) return r;
  if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) throw FPException(kMsgFPInvalid);
  if (std::isfinite(a) && std::isfinite(b)) throw FPException(kMsgFPOverflow);
  return r;
}

int16_t checkedShort(int32_t v) {
  if (v < -32768 || v > 32767) overflow();
  return (int16_t)v;
}

int32_t checkedLong(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) overflow();
  return (int32_t)v;
}

// + - * in the widened type.
void arith(NumOp op, ValueCell& out, const ValueCell& x, const ValueCell& y) {
  unsigned char t = WidenedType(x.type, y.type);
  switch (t) {
    case kTypeShort:
    case kTypeLong: {
      int64_t a = CellToLong(x), b = CellToLong(y);
      int64_t r = op == kNumAdd ? a + b : op == kNumSub ? a - b : a * b;
      if (t == kTypeShort)
        out.setShort(checkedShort(checkedLong(r)));
      else
        out.setLong(checkedLong(r));
      return;
    }
    case kTypeCurrency: {
      Currency a = CellToCurrency(x), b = CellToCurrency(y);
      out.setCurrency(op == kNumAdd ? a + b : op == kNumSub ? a - b : a * b);
      return;
    }
    default: {
      double a = CellToDouble(x), b = CellToDouble(y);
      double r = floatResult(op == kNumAdd ? a + b : op == kNumSub ? a - b : a * b, a, b);
      if (t == kTypeFloat)
        out.setFloat(DoubleToFloat(r));
      else
        out.setDouble(r);
    }
  }
}

void divide(ValueCell& out, const ValueCell& x, const ValueCell& y) {
  double a = CellToDouble(x), b = CellToDouble(y);
  if (b == 0) throw FPException(kMsgDivisionByZero);
  double r = floatResult(a / b, a, b);
  if (WidenedType(x.type, y.type) == kTypeFloat)
    out.setFloat(DoubleToFloat(r));
  else
    out.setDouble(r);
}

void intDivMod(NumOp op, ValueCell& out, const ValueCell& x, const ValueCell& y) {
  bool small = x.type == kTypeShort && y.type == kTypeShort;
  int64_t a = CellToLong(x), b = CellToLong(y);
  if (b == 0) throw FPException(kMsgIntDivisionByZero);
  int64_t r = op == kNumIntDiv ? a / b : a % b;  // C++ truncates toward zero
  if (small)
    out.setShort(checkedShort((int32_t)checkedLong(r)));
  else
    out.setLong(checkedLong(r));
}

void power(ValueCell& out, const ValueCell& x, const ValueCell& y) {
  double a = CellToDouble(x), b = CellToDouble(y);
  double r = std::pow(a, b);
  if (std::isinf(r) && a == 0 && b < 0) throw FPException(kMsgDivisionByZero);
  out.setDouble(floatResult(r, a, b));
}

void bitwise(NumOp op, ValueCell& out, const ValueCell& x, const ValueCell& y) {
  bool small = x.type == kTypeShort && y.type == kTypeShort;
  int32_t a = CellToLong(x), b = CellToLong(y), r;
  switch (op) {
    case kNumAnd:
      r = a & b;
      break;
    case kNumOr:
      r = a | b;
      break;
    case kNumXor:
      r = a ^ b;
      break;
    case kNumEqv:
      r = ~(a ^ b);
      break;
    default:
      r = ~a | b;
      break;  // Imp
  }
  if (small)
    out.setShort((int16_t)r);
  else
    out.setLong(r);
}

void concat(ValueCell& out, const ValueCell& a, const ValueCell& b) {
  // Texts first: out may be a or b.
  size_t la, lb;
  std::string ta, tb;
  const char* pa;
  const char* pb;
  if (a.type == kTypeString) {
    pa = a.text(), la = a.textLength();
  } else {
    ta = CellToText(a), pa = ta.data(), la = ta.size();
  }
  if (b.type == kTypeString) {
    pb = b.text(), lb = b.textLength();
  } else {
    tb = CellToText(b), pb = tb.data(), lb = tb.size();
  }
  ValStringRep* r = ValStringRep::makeUninitialized(la + lb, la + lb);
  std::memcpy(r->buffer(), pa, la);
  std::memcpy(r->buffer() + la, pb, lb);
  r->ref();
  out.adoptString(r);
}

bool isText(const ValueCell& c) { return c.type == kTypeString; }

int compareText(const ValueCell& a, const ValueCell& b) {
  size_t la = a.type == kTypeString ? a.textLength() : 0;
  size_t lb = b.type == kTypeString ? b.textLength() : 0;
  const char* pa = a.type == kTypeString ? a.text() : "";
  const char* pb = b.type == kTypeString ? b.text() : "";
  int r = std::memcmp(pa, pb, la < lb ? la : lb);
  if (r) return r < 0 ? -1 : 1;
  return la < lb ? -1 : la > lb ? 1 : 0;
}

template <class T>
int cmp3(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

unsigned char WidenedType(unsigned char a, unsigned char b) {
  if (a == kTypeCurrency || b == kTypeCurrency) {
    unsigned char o = a == kTypeCurrency ? b : a;
    return (o == kTypeFloat || o == kTypeDouble) ? kTypeDouble : kTypeCurrency;
  }
  return rank(a) >= rank(b) ? (rank(a) ? a : (unsigned char)kTypeShort) : b;
}

bool CellIsTrue(const ValueCell& a) {
  switch (a.type) {
    case kTypeNone:
      return false;
    case kTypeShort:
      return a.s != 0;
    case kTypeLong:
      return a.l != 0;
    case kTypeFloat:
      return a.f != 0;
    case kTypeDouble:
      return a.d != 0;
    case kTypeCurrency:
      return a.cy != 0;
    default:
      return CellToDouble(a) != 0;
  }
}

int CellCompare(const ValueCell& a, const ValueCell& b) {
  if (a.type == kTypeObject || b.type == kTypeObject) {
    if (a.type == kTypeObject && b.type == kTypeObject) return a.obj.counted == b.obj.counted ? 0 : 1;
    throw TypeMismatch("object compared with a value");
  }
  if ((isText(a) && (isText(b) || b.type == kTypeNone)) || (isText(b) && a.type == kTypeNone))
    return compareText(a, b);
  ValueCell x, y;
  x.init();
  y.init();
  loadNumber(a, x);
  loadNumber(b, y);
  switch (WidenedType(x.type, y.type)) {
    case kTypeShort:
    case kTypeLong:
      return cmp3(CellToLong(x), CellToLong(y));
    case kTypeCurrency:
      return cmp3(CellToCurrency(x).raw, CellToCurrency(y).raw);
    default: {
      double p = CellToDouble(x), q = CellToDouble(y);
      if (std::isnan(p) || std::isnan(q)) throw FPException(kMsgFPInvalid);
      return cmp3(p, q);
    }
  }
}

void CellBinary(NumOp op, ValueCell& out, const ValueCell& a, const ValueCell& b) {
  if (op == kNumConcat) return concat(out, a, b);
  if (op >= kNumEq) {
    if ((a.type == kTypeObject || b.type == kTypeObject) && op != kNumEq && op != kNumNe)
      throw TypeMismatch("objects can only be compared for equality");
    int c = CellCompare(a, b);
    bool r = op == kNumEq   ? c == 0
             : op == kNumNe ? c != 0
             : op == kNumLt ? c < 0
             : op == kNumGt ? c > 0
             : op == kNumLe ? c <= 0
                            : c >= 0;
    out.setBool(r);
    return;
  }
  if (op == kNumAdd && isText(a) && isText(b)) return concat(out, a, b);
  ValueCell x, y;
  x.init();
  y.init();
  loadNumber(a, x);
  loadNumber(b, y);
  switch (op) {
    case kNumAdd:
    case kNumSub:
    case kNumMul:
      arith(op, out, x, y);
      return;
    case kNumDiv:
      divide(out, x, y);
      return;
    case kNumIntDiv:
    case kNumMod:
      intDivMod(op, out, x, y);
      return;
    case kNumPow:
      power(out, x, y);
      return;
    default:
      bitwise(op, out, x, y);
      return;
  }
}

void CellNegate(ValueCell& out, const ValueCell& a) {
  ValueCell x;
  x.init();
  loadNumber(a, x);
  switch (x.type) {
    case kTypeShort:
      out.setShort(checkedShort(-(int32_t)x.s));
      return;
    case kTypeLong:
      out.setLong(checkedLong(-(int64_t)x.l));
      return;
    case kTypeFloat:
      out.setFloat(-x.f);
      return;
    case kTypeCurrency:
      out.setCurrency(-x.currency());
      return;
    default:
      out.setDouble(-x.d);
      return;
  }
}

void CellNot(ValueCell& out, const ValueCell& a) {
  ValueCell x;
  x.init();
  loadNumber(a, x);
  if (x.type == kTypeShort)
    out.setShort((int16_t)~x.s);
  else
    out.setLong(~CellToLong(x));
}
