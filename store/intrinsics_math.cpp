// Built-in functions: bounds, IIf, mathematics, colours, Rnd.
#include "store/intrinsics.h"

#include <cmath>
#include <cstring>
#include <ostream>

#include "interp.h"
#include "store/field_array.h"

// --- IntrinsicNode -------------------------------------------------------------------------

IntrinsicNode::IntrinsicNode(int fn, ExprNode* a, ExprNode* b, ExprNode* c, ExprNode* d)
    : ExprNode(EXPR_INTRINSIC), fn_(fn), args_{a, b, c, d} {}

IntrinsicNode::~IntrinsicNode() {
  for (ExprNode* a : args_) delete a;
}

int IntrinsicNode::argCount() const {
  int n = 0;
  while (n < 4 && args_[n]) ++n;
  return n;
}

void IntrinsicNode::link(LinkScope& scope) {
  for (ExprNode* a : args_)
    if (a) a->link(scope);
}

void IntrinsicNode::printCall(std::ostream& os, const ProcCode* names, const char* name) const {
  printOpen(os);
  os << name << '(';
  for (int i = 0; i < 4 && args_[i]; ++i) {
    if (i) os << ", ";
    args_[i]->print(os, names);
  }
  os << ')';
  printClose(os);
}

// --- LBound / UBound -------------------------------------------------------------------------

IntrBound::IntrBound(int type, ExprNode* array, ExprNode* dim) : IntrinsicNode(type, array, dim) {}

void IntrBound::eval(StackFrame& frame, ValueCell& out) {
  ValueCellVar a;
  args_[0]->eval(frame, a.c);
  ArrayData* d = CellArray(a.c);
  if (!d) throw TypeMismatch(fn_ == BOUND_UPPER ? "UBound" : "LBound");
  int dim = 1;
  if (args_[1]) {
    ValueCellVar c;
    args_[1]->eval(frame, c.c);
    dim = CellToLong(c.c);
  }
  if (dim < 1 || dim > (int)d->bounds().size())
    throw RangeError(kMsgIndexOutOfRange, 1, (long)d->bounds().size(), dim);
  const ArrayBound& b = d->bounds()[(size_t)dim - 1];
  out.setLong(fn_ == BOUND_UPPER ? b.upper : b.lower);
}

void IntrBound::print(std::ostream& os, const ProcCode* names) const {
  printCall(os, names, fn_ == BOUND_UPPER ? "UBound" : "LBound");
}

// --- IIf --------------------------------------------------------------------------------------

IntrIIf::IntrIIf(ExprNode* cond, ExprNode* a, ExprNode* b) : IntrinsicNode(0, cond, a, b) {}

void IntrIIf::eval(StackFrame& frame, ValueCell& out) {
  ValueCellVar c;
  args_[0]->eval(frame, c.c);
  args_[CellIsTrue(c.c) ? 1 : 2]->eval(frame, out);
}

void IntrIIf::print(std::ostream& os, const ProcCode* names) const { printCall(os, names, "IIf"); }

// --- mathematics --------------------------------------------------------------------------------

namespace {

const char* const kMathNames[] = {"?",   "Abs", "Atn", "Cos", "Exp", "Fix", "Int",
                                  "Log", "Rnd", "Sgn", "Sin", "Sqr", "Tan"};

// The generator of Rnd: a 24-bit linear congruential sequence, so that a seed repeats
// its numbers.
uint32_t g_rnd = 0x50000;
float g_last = 0;

float NextRnd() {
  g_rnd = (g_rnd * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
  g_last = (float)g_rnd / 16777216.0f;
  return g_last;
}

double Checked(double v, const char* what) {
  if (std::isnan(v)) throw FPException(kMsgFPInvalid);
  if (std::isinf(v)) throw FPException(kMsgFPOverflow);
  (void)what;
  return v;
}

}  // namespace

void RndSeed(double seed) {
  uint32_t bits;
  float f = (float)seed;
  memcpy(&bits, &f, sizeof bits);
  g_rnd = ((bits & 0xFFFFFFu) ^ (bits >> 8)) & 0xFFFFFFu;
}

float RndNext(double arg, bool hasArg) {
  if (hasArg && arg == 0) return g_last;
  if (hasArg && arg < 0) RndSeed(arg);
  return NextRnd();
}

IntrMath::IntrMath(int type, ExprNode* e) : IntrinsicNode(type, e) {}

void IntrMath::eval(StackFrame& frame, ValueCell& out) {
  ValueCellVar a;
  if (fn_ == MATH_RND) {
    double arg = 1;
    if (args_[0]) {
      args_[0]->eval(frame, a.c);
      arg = CellToDouble(a.c);
    }
    out.setFloat(RndNext(arg, args_[0] != nullptr));
    return;
  }
  args_[0]->eval(frame, a.c);
  const unsigned char t = a.c.type;
  switch (fn_) {
    case MATH_ABS:  // Abs keeps the type
      if (t == kTypeShort || t == kTypeLong || t == kTypeFloat || t == kTypeDouble || t == kTypeCurrency) {
        ValueCellVar zero;
        zero.c.setShort(0);
        if (CellCompare(a.c, zero.c) < 0)
          CellNegate(out, a.c);
        else
          out.copyFrom(a.c);
        return;
      }
      out.setDouble(std::fabs(CellToDouble(a.c)));
      return;
    case MATH_FIX:  // Fix: toward zero
    case MATH_INT:  // Int: toward minus infinity
      if (t == kTypeShort || t == kTypeLong) {
        out.copyFrom(a.c);
        return;
      }
      if (t == kTypeCurrency) {
        int64_t r = a.c.cy, q = r / Currency::kScale * Currency::kScale;
        if (fn_ == MATH_INT && q > r) q -= Currency::kScale;
        out.setCurrency(Currency::fromRaw(q));
        return;
      }
      {
        double d = CellToDouble(a.c);
        d = fn_ == MATH_FIX ? std::trunc(d) : std::floor(d);
        if (t == kTypeFloat)
          out.setFloat((float)d);
        else
          out.setDouble(d);
      }
      return;
    case MATH_SGN: {  // Sgn
      ValueCellVar zero;
      zero.c.setShort(0);
      out.setShort((int16_t)CellCompare(a.c, zero.c));
      return;
    }
    default:
      break;
  }
  double d = CellToDouble(a.c);
  switch (fn_) {
    case MATH_ATN:
      d = std::atan(d);
      break;
    case MATH_COS:
      d = std::cos(d);
      break;
    case MATH_EXP:
      d = Checked(std::exp(d), "Exp");
      break;
    case MATH_LOG:
      if (d <= 0) throw FPException(kMsgFPInvalid);
      d = std::log(d);
      break;
    case MATH_SIN:
      d = std::sin(d);
      break;
    case MATH_SQR:
      if (d < 0) throw FPException(kMsgFPInvalid);
      d = std::sqrt(d);
      break;
    case MATH_TAN:
      d = Checked(std::tan(d), "Tan");
      break;
    default:
      throw StoreException("Unknown mathematical function.");
  }
  out.setDouble(d);
}

void IntrMath::print(std::ostream& os, const ProcCode* names) const {
  if (fn_ == MATH_RND && !args_[0]) {
    os << "Rnd";
    return;
  }
  printCall(os, names, fn_ >= 1 && fn_ <= 12 ? kMathNames[fn_] : "?");
}

// --- colours ----------------------------------------------------------------------------------------

IntrColor::IntrColor(int type, ExprNode* a, ExprNode* b, ExprNode* c) : IntrinsicNode(type, a, b, c) {}

void IntrColor::eval(StackFrame& frame, ValueCell& out) {
  static const int32_t kQB[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                  0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                  0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  ValueCellVar c;
  if (fn_ == COLOR_QBCOLOR) {
    args_[0]->eval(frame, c.c);
    int32_t n = CellToLong(c.c);
    if (n < 0 || n > 15) throw RangeError(kMsgValueOutOfRange, 0, 15, n);
    out.setLong(kQB[n]);
    return;
  }
  int32_t rgb[3];
  for (int i = 0; i < 3; ++i) {
    args_[i]->eval(frame, c.c);
    int32_t v = CellToLong(c.c);
    rgb[i] = v < 0 ? 0 : v > 255 ? 255 : v;
  }
  out.setLong(rgb[0] + 256 * rgb[1] + 65536 * rgb[2]);
}

void IntrColor::print(std::ostream& os, const ProcCode* names) const {
  printCall(os, names, fn_ == COLOR_QBCOLOR ? "QBColor" : "RGB");
}
