// Expression nodes: the base, constants, Me, Nothing and the operators.
#include "store/exprnode.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "interp.h"
#include "regcode.h"
#include "store/interobj.h"

// --- ExprNode --------------------------------------------------------------------------

ExprNode::~ExprNode() {}
void* ExprNode::operator new(size_t size) { return ::operator new(size); }
void ExprNode::operator delete(void* p) { ::operator delete(p); }

ExprNode* ExprNode::convertToComplex(Cid* args) {
  // Only names take arguments; anything else keeps its value and drops them.
  delete args;
  return this;
}

void ExprNode::assign(StackFrame&, const ValueCell&, int) {
  throw StoreException("Assignment to an expression that is not a variable or a property.");
}

ValueCell* ExprNode::ref(StackFrame&) { return nullptr; }
void ExprNode::link(LinkScope&) {}

void ExprNode::printOpen(std::ostream& os) const {
  if (isParenthesised()) os << '(';
}
void ExprNode::printClose(std::ostream& os) const {
  if (isParenthesised()) os << ')';
}

// --- constants ---------------------------------------------------------------------------

LongConstant::LongConstant(long value, int radix) : ExprNode(EXPR_LONG), value_(value), radix_(radix) {}

int LongConstant::negate() {
  value_ = -value_;
  return 1;
}

void LongConstant::eval(StackFrame&, ValueCell& out) { out.setLong((int32_t)value_); }

void LongConstant::print(std::ostream& os, const ProcCode*) const {
  printOpen(os);
  char buf[40];
  if (radix_ == 1)
    snprintf(buf, sizeof buf, "&H%lX", value_);
  else if (radix_ == 2)
    snprintf(buf, sizeof buf, "&O%lo", value_);
  else
    snprintf(buf, sizeof buf, "%ld", value_);
  os << buf;
  printClose(os);
}

Constant<double, 4>::Constant(double value) : ExprNode(EXPR_DOUBLE), value_(value) {}

int Constant<double, 4>::negate() {
  value_ = -value_;
  return 1;
}

void Constant<double, 4>::eval(StackFrame&, ValueCell& out) { out.setDouble(value_); }

void Constant<double, 4>::print(std::ostream& os, const ProcCode*) const {
  printOpen(os);
  char buf[40];
  DoubleToText(value_, buf);
  os << buf;
  if (!strpbrk(buf, ".E")) os << ".0";
  printClose(os);
}

StringConstant::StringConstant(const char* text)
    : ExprNode(EXPR_STRING), rep_(new ValStringRep(text ? text : "")) {
  rep_->ref();
}

StringConstant::~StringConstant() { rep_->unref(); }
const char* StringConstant::text() const { return rep_->c_str(); }
void StringConstant::eval(StackFrame&, ValueCell& out) { out.setString(rep_); }

void StringConstant::print(std::ostream& os, const ProcCode*) const {
  printOpen(os);
  os << '"';
  for (const char* p = rep_->c_str(); *p; ++p) {
    if (*p == '"') os << '"';
    os << *p;
  }
  os << '"';
  printClose(os);
}

NullObjConstant::NullObjConstant() : ExprNode(EXPR_NULLOBJ) {}
void NullObjConstant::eval(StackFrame&, ValueCell& out) { out.setNothing(); }
void NullObjConstant::print(std::ostream& os, const ProcCode*) const { os << "Nothing"; }

MeNode::MeNode() : ExprNode(EXPR_ME) { setFlag(EF_ME); }

void MeNode::eval(StackFrame& frame, ValueCell& out) {
  if (frame.me)
    out.setObject(frame.me);
  else
    out.setNothing();
}

void MeNode::print(std::ostream& os, const ProcCode*) const { os << "Me"; }

// --- operators --------------------------------------------------------------------------------

namespace {

const NumOp kOpMap[] = {kNumAdd,         kNumSub, kNumMul, kNumDiv, kNumIntDiv, kNumPow, kNumMod,
                        kNumConcat,      kNumEq,  kNumNe,  kNumGt,  kNumLt,     kNumGe,  kNumLe,
                        kNumEq /*Like*/, kNumAnd, kNumOr,  kNumXor, kNumEqv,    kNumImp};

const char* const kOpText[] = {" + ",  " - ",   " * ",   " / ",   " \\ ", " ^ ",  " Mod ",  " & ",
                               " = ",  " <> ",  " > ",   " < ",   " >= ", " <= ", " Like ", " And ",
                               " Or ", " Xor ", " Eqv ", " Imp ", " Is ", " && ", " || "};

// Like: * any run, ? one character, # one digit, [abc] [a-z] [!abc] one of (or none of).

// Does the pattern element at p (not '*') take the character c? len is the element's
// length in the pattern.
bool LikeOne(const char* p, char c, size_t& len) {
  len = 1;
  switch (*p) {
    case '?':
      return true;
    case '#':
      return c >= '0' && c <= '9';
    case '[': {
      const char* q = p + 1;
      bool negate = *q == '!';
      if (negate) ++q;
      bool hit = false;
      while (*q && *q != ']') {
        char lo = *q, hi = *q;
        if (q[1] == '-' && q[2] && q[2] != ']') {
          hi = q[2];
          q += 2;
        }
        if ((unsigned char)c >= (unsigned char)lo && (unsigned char)c <= (unsigned char)hi) hit = true;
        ++q;
      }
      len = (size_t)(q - p) + (*q ? 1 : 0);  // an unclosed class runs to the pattern's end
      return hit != negate;
    }
    default:
      return c == *p;
  }
}

// Only the last '*' met is ever retried, one text position further each time, so the
// work is bounded by the text's length times the pattern's; long retries poll for a
// user break.
bool LikeMatch(const char* s, const char* p) {
  const char* star = nullptr;    // the pattern after the last '*'
  const char* resume = nullptr;  // where that '*' stopped absorbing text
  unsigned retries = 0;
  for (;;) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      star = p;
      resume = s;
      continue;
    }
    size_t len;
    if (*s) {
      if (*p && LikeOne(p, *s, len)) {
        ++s;
        p += len;
        continue;
      }
    } else if (!*p) {
      return true;
    }
    if (!star || !*resume) return false;
    if ((++retries & 0xFF) == 0) ExecPoll();
    s = ++resume;
    p = star;
  }
}

}  // namespace

BinaryOp::BinaryOp(int op, ExprNode* left, ExprNode* right)
    : ExprNode(EXPR_BINARY), op_(op), left_(left), right_(right) {
  rightConst_.init();
}

BinaryOp::~BinaryOp() {
  delete left_;
  delete right_;
  RegCode::reset(typed_);
}

namespace {

// The frame slot a local variable operand reads (-1: not one).
int LocalSlot(ExprNode* e) {
  if (!e || e->type() != EXPR_SID) return -1;
  Sid* s = static_cast<Sid*>(e);
  return s->bind == BIND_SLOT ? s->slot : -1;
}

// The comparisons of two numbers of one type: True is -1. Any other operator answers
// false and goes to the general rules.
template <typename T>
inline bool CompareOp(int op, ValueCell& out, T x, T y) {
  bool r;
  switch (op) {
    case BinaryOp::EQ:
      r = x == y;
      break;
    case BinaryOp::NE:
      r = x != y;
      break;
    case BinaryOp::GT:
      r = x > y;
      break;
    case BinaryOp::LT:
      r = x < y;
      break;
    case BinaryOp::GE:
      r = x >= y;
      break;
    case BinaryOp::LE:
      r = x <= y;
      break;
    default:
      return false;
  }
  out.setShort(r ? -1 : 0);
  return true;
}

// Long with Long (an Integer operand widens): the operations whose result the value
// layer's rules give as Long or as an Integer truth value, done in place. Answers false
// to leave the case to CellOp (overflow, division by zero, other operators), which
// raises the errors.
inline bool LongOp(int op, ValueCell& out, int32_t x, int32_t y) {
  int32_t r;
  switch (op) {
    case BinaryOp::ADD:
      if (__builtin_add_overflow(x, y, &r)) return false;
      break;
    case BinaryOp::SUB:
      if (__builtin_sub_overflow(x, y, &r)) return false;
      break;
    case BinaryOp::MUL:
      if (__builtin_mul_overflow(x, y, &r)) return false;
      break;
    case BinaryOp::IDIV:
      if (y == 0 || (y == -1 && x == INT32_MIN)) return false;
      r = x / y;
      break;
    case BinaryOp::MOD:
      if (y == 0 || (y == -1 && x == INT32_MIN)) return false;
      r = x % y;
      break;
    default:
      return CompareOp(op, out, x, y);
  }
  out.setLong(r);
  return true;
}

// Double with Double (or with a Long or Integer): + - * and the comparisons; a result
// that is not finite goes to CellOp for its error.
inline bool DoubleOp(int op, ValueCell& out, double x, double y) {
  double r;
  switch (op) {
    case BinaryOp::ADD:
      r = x + y;
      break;
    case BinaryOp::SUB:
      r = x - y;
      break;
    case BinaryOp::MUL:
      r = x * y;
      break;
    default:
      return CompareOp(op, out, x, y);
  }
  if (!std::isfinite(r)) return false;
  out.setDouble(r);
  return true;
}

// The typed cases above for two cells; false: not one of them.
inline bool TypedOp(int op, ValueCell& out, const ValueCell& a, const ValueCell& b) {
  const unsigned char ta = a.type, tb = b.type;
  if (ta == kTypeLong) {
    if (tb == kTypeLong) return LongOp(op, out, a.l, b.l);
    if (tb == kTypeShort) return LongOp(op, out, a.l, b.s);
    if (tb == kTypeDouble) return DoubleOp(op, out, a.l, b.d);
  } else if (ta == kTypeDouble) {
    if (tb == kTypeDouble) return DoubleOp(op, out, a.d, b.d);
    if (tb == kTypeLong) return DoubleOp(op, out, a.d, b.l);
    if (tb == kTypeShort) return DoubleOp(op, out, a.d, b.s);
  } else if (ta == kTypeShort) {
    if (tb == kTypeLong) return LongOp(op, out, a.s, b.l);
    if (tb == kTypeDouble) return DoubleOp(op, out, a.s, b.d);
  }
  return false;
}

}  // namespace

void BinaryOp::link(LinkScope& scope) {
  if (left_) left_->link(scope);
  if (right_) right_->link(scope);
  RegCode::reset(typed_);
  leftSlot_ = rightSlot_ = -1;
  rightConst_.init();
  direct_ = false;
  if (op_ < 0 || op_ > IMP || op_ == LIKE) return;  // short-circuit, TypeOf, Like: the general path
  rightSlot_ = LocalSlot(right_);
  if (right_ && (right_->type() == EXPR_LONG || right_->type() == EXPR_DOUBLE)) {
    StackFrame none;
    right_->eval(none, rightConst_);  // literals read nothing from the frame
  }
  // Reading the left local in place is only the same as reading it first when evaluating
  // the right operand runs no code.
  if (rightSlot_ >= 0 || (right_ && right_->isConstant())) leftSlot_ = LocalSlot(left_);
  direct_ = leftSlot_ >= 0 || rightSlot_ >= 0 || rightConst_.type != kTypeNone;
}

void BinaryOp::eval(StackFrame& frame, ValueCell& out) {
  if (typed_ != RegCode::none()) {
    if (!typed_) {
      typed_ = RegCode::compile(frame, this);
      if (typed_ != RegCode::none() && !typed_->pays()) RegCode::reset(typed_), typed_ = RegCode::none();
    }
    Reg r;
    if (typed_ != RegCode::none() && typed_->run(frame, r)) {
      typed_->toCell(r, out);
      return;
    }
  }
  if (direct_) {
    // Locals are read in place (out may be one of them: CellOp allows that).
    ValueCellVar ta, tb;
    const ValueCell* a = &ta.c;
    if (leftSlot_ >= 0)
      a = frame.vars[leftSlot_];
    else
      left_->eval(frame, ta.c);
    const ValueCell* b = &tb.c;
    if (rightSlot_ >= 0)
      b = frame.vars[rightSlot_];
    else if (rightConst_.type != kTypeNone)
      b = &rightConst_;
    else
      right_->eval(frame, tb.c);
    if (TypedOp(op_, out, *a, *b)) return;
    CellOp(kOpMap[op_], out, *a, *b);
    return;
  }
  ValueCellVar a;
  left_->eval(frame, a.c);
  switch (op_) {
    case ANDALSO:
      if (!CellIsTrue(a.c)) {
        out.setShort(0);
        return;
      }
      right_->eval(frame, a.c);
      out.setBool(CellIsTrue(a.c));
      return;
    case ORELSE:
      if (CellIsTrue(a.c)) {
        out.setShort(-1);
        return;
      }
      right_->eval(frame, a.c);
      out.setBool(CellIsTrue(a.c));
      return;
    case TYPEOF: {
      InterObjRep* obj = CellObject(a.c, "TypeOf");
      ValueCellVar cls;
      right_->eval(frame, cls.c);
      InterObjRep* proto = CellObject(cls.c, "TypeOf");
      out.setBool(obj && proto && obj->canBeTreatedAs(proto));
      return;
    }
    case LIKE: {
      ValueCellVar b;
      right_->eval(frame, b.c);
      std::string s = CellToText(a.c), p = CellToText(b.c);
      out.setBool(LikeMatch(s.c_str(), p.c_str()));
      return;
    }
    default:
      break;
  }
  ValueCellVar b;
  right_->eval(frame, b.c);
  if (op_ < 0 || op_ > IMP) throw StoreException("Unknown operator in expression.");
  if (TypedOp(op_, out, a.c, b.c)) return;
  CellOp(kOpMap[op_], out, a.c, b.c);
}

void BinaryOp::print(std::ostream& os, const ProcCode* names) const {
  printOpen(os);
  if (op_ == TYPEOF) os << "TypeOf ";
  left_->print(os, names);
  os << (op_ >= 0 && op_ <= ORELSE ? kOpText[op_] : " ? ");
  right_->print(os, names);
  printClose(os);
}

UnaryOp::UnaryOp(int op, ExprNode* operand) : ExprNode(EXPR_UNARY), op_(op), operand_(operand) {}
UnaryOp::~UnaryOp() { delete operand_; }

void UnaryOp::link(LinkScope& scope) {
  if (operand_) operand_->link(scope);
}

void UnaryOp::eval(StackFrame& frame, ValueCell& out) {
  ValueCellVar a;
  operand_->eval(frame, a.c);
  if (op_ == UNARY_NEGATE)
    CellNegate(out, a.c);
  else
    CellNot(out, a.c);
}

void UnaryOp::print(std::ostream& os, const ProcCode* names) const {
  printOpen(os);
  os << (op_ == UNARY_NEGATE ? "-" : "Not ");
  operand_->print(os, names);
  printClose(os);
}
