// The typed register code: compiler from linked expression trees, and its dispatch loop.
#include "regcode.h"

#include <cmath>

#include "store/field.h"
#include "store/execnode.h"
#include "store/field_array.h"
#include "store/interobj.h"

namespace {

enum RegOp : unsigned char {
  OP_END,  // the result is register a
  OP_LDS,  // d := Integer local slot
  OP_LDL,  // d := Long local slot
  OP_LDD,  // d := Double local slot
  OP_LDM,  // d := plain member slot (members_), of its compiled type
  OP_LDA,  // d := element a of the one-dimensional array local slot (element type in b)
  OP_K,    // d := k
  OP_CVD,  // d.d := a.l
  OP_ADDS,
  OP_SUBS,
  OP_MULS,
  OP_ADDL,
  OP_SUBL,
  OP_MULL,
  OP_IDIV,  // Integer or Long \ (the result fits the operands' type)
  OP_MOD,
  OP_ADDD,
  OP_SUBD,
  OP_MULD,
  OP_DIVD,
  OP_EQL,
  OP_NEL,
  OP_GTL,
  OP_LTL,
  OP_GEL,
  OP_LEL,
  OP_EQD,
  OP_NED,
  OP_GTD,
  OP_LTD,
  OP_GED,
  OP_LED,
  OP_AND,
  OP_OR,
  OP_XOR,
  OP_NOT,
  OP_NEGS,
  OP_NEGL,
  OP_NEGD
};

RegCode g_none;

bool IsRegType(unsigned char t) { return t == kTypeShort || t == kTypeLong || t == kTypeDouble; }

}  // namespace

// Compiles a tree into registers; any node it does not know fails the whole expression.
class RegCompiler {
 public:
  RegCompiler(StackFrame& frame, RegCode& code) : frame_(frame), code_(code) {}

  // The register holding e's value and its type; false: not compilable.
  bool expr(ExprNode* e, int& reg, unsigned char& type) {
    switch (e->type()) {
      case EXPR_LONG:
      case EXPR_DOUBLE: {
        // Literals read nothing from the frame.
        StackFrame none;
        ValueCellVar c;
        e->eval(none, c.c);
        return cellConstant(c.c, reg, type);
      }
      case EXPR_SID:
        return sid(static_cast<Sid*>(e), reg, type);
      case EXPR_MID: {
        MemberRef m;
        if (!RegCode::memberTarget(frame_, e, m)) return false;
        return member(m, reg, type);
      }
      case EXPR_CID:
        return element(static_cast<Cid*>(e), reg, type);
      case EXPR_BINARY:
        return binary(static_cast<BinaryOp*>(e), reg, type);
      case EXPR_UNARY:
        return unary(static_cast<UnaryOp*>(e), reg, type);
      default:
        return false;
    }
  }

  bool emit(unsigned char op, int d, int a, int b, int32_t slot = 0) {
    RegCode::Instr in{};
    in.op = op;
    in.d = (unsigned char)d;
    in.a = (unsigned char)a;
    in.b = (unsigned char)b;
    in.slot = slot;
    code_.code_.push_back(in);
    return true;
  }
  int newReg() { return next_ < RegCode::kMaxRegs ? next_++ : -1; }

 private:
  bool constant(int& reg, unsigned char& type, unsigned char t, double v) {
    reg = newReg();
    if (reg < 0) return false;
    RegCode::Instr in{};
    in.op = OP_K;
    in.d = (unsigned char)reg;
    if (t == kTypeDouble)
      in.k.d = v;
    else
      in.k.l = (int32_t)v;
    code_.code_.push_back(in);
    type = t;
    return true;
  }

  // a(i) of a local array of Integers, Longs or Doubles with an integer index.
  bool element(Cid* c, int& reg, unsigned char& type) {
    if (c->meFirst() || !c->head() || c->head()->type() != EXPR_SID || c->argCount() != 1) return false;
    Sid* s = static_cast<Sid*>(c->head());
    if (s->bind != BIND_SLOT || !frame_.code || s->slot < 0 || s->slot >= frame_.code->slotCount())
      return false;
    const unsigned char t = frame_.code->slot(s->slot).type;
    if (!(t & kTypeArrayFlag) || !IsRegType(t & 0x1F)) return false;
    int i;
    unsigned char ti;
    if (!expr(c->arg(0), i, ti) || ti == kTypeDouble) return false;
    reg = newReg();
    if (reg < 0) return false;
    type = (unsigned char)(t & 0x1F);
    return emit(OP_LDA, reg, i, type, s->slot);
  }

  bool cellConstant(const ValueCell& c, int& reg, unsigned char& type) {
    if (c.type == kTypeShort) return constant(reg, type, kTypeShort, c.s);
    if (c.type == kTypeLong) return constant(reg, type, kTypeLong, c.l);
    if (c.type == kTypeDouble) return constant(reg, type, kTypeDouble, c.d);
    return false;
  }

  bool sid(Sid* s, int& reg, unsigned char& type) {
    switch (s->bind) {
      case BIND_SLOT: {
        if (!frame_.code || s->slot < 0 || s->slot >= frame_.code->slotCount()) return false;
        unsigned char t = frame_.code->slot(s->slot).type;
        if (!IsRegType(t)) return false;
        reg = newReg();
        if (reg < 0) return false;
        type = t;
        return emit(t == kTypeShort ? OP_LDS : t == kTypeLong ? OP_LDL : OP_LDD, reg, 0, 0, s->slot);
      }
      case BIND_CONST:
        return cellConstant(*static_cast<const ValueCell*>(s->cache), reg, type);
      case BIND_TRUE:
        return constant(reg, type, kTypeShort, -1);
      case BIND_FALSE:
        return constant(reg, type, kTypeShort, 0);
      case BIND_NAME: {
        MemberRef m;
        if (!RegCode::memberTarget(frame_, s, m)) return false;
        return member(m, reg, type);
      }
      default:
        return false;
    }
  }

  bool member(const MemberRef& m, int& reg, unsigned char& type) {
    reg = newReg();
    if (reg < 0) return false;
    type = m.type;
    code_.members_.push_back(m);
    return emit(OP_LDM, reg, 0, 0, (int32_t)code_.members_.size() - 1);
  }

  // Register a as a Double (a new register when it held an integer).
  bool toDouble(int& a, unsigned char& t) {
    if (t == kTypeDouble) return true;
    int d = newReg();
    if (d < 0) return false;
    emit(OP_CVD, d, a, 0);
    a = d;
    t = kTypeDouble;
    return true;
  }

  bool binary(BinaryOp* e, int& reg, unsigned char& type) {
    const int op = e->op();
    switch (op) {
      case BinaryOp::ADD:
      case BinaryOp::SUB:
      case BinaryOp::MUL:
      case BinaryOp::DIV:
      case BinaryOp::IDIV:
      case BinaryOp::MOD:
      case BinaryOp::EQ:
      case BinaryOp::NE:
      case BinaryOp::GT:
      case BinaryOp::LT:
      case BinaryOp::GE:
      case BinaryOp::LE:
      case BinaryOp::AND:
      case BinaryOp::OR:
      case BinaryOp::XOR:
        break;
      default:
        return false;
    }
    int a, b;
    unsigned char ta, tb;
    if (!expr(e->left(), a, ta) || !expr(e->right(), b, tb)) return false;
    const bool ints = ta != kTypeDouble && tb != kTypeDouble;
    const bool shorts = ta == kTypeShort && tb == kTypeShort;
    reg = newReg();
    if (reg < 0) return false;
    switch (op) {
      case BinaryOp::ADD:
      case BinaryOp::SUB:
      case BinaryOp::MUL: {
        const int k = op == BinaryOp::ADD ? 0 : op == BinaryOp::SUB ? 1 : 2;
        if (ints) {
          type = shorts ? kTypeShort : kTypeLong;
          return emit((unsigned char)((shorts ? OP_ADDS : OP_ADDL) + k), reg, a, b);
        }
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        type = kTypeDouble;
        return emit((unsigned char)(OP_ADDD + k), reg, a, b);
      }
      case BinaryOp::DIV:
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        type = kTypeDouble;
        return emit(OP_DIVD, reg, a, b);
      case BinaryOp::IDIV:
      case BinaryOp::MOD:
      case BinaryOp::AND:
      case BinaryOp::OR:
      case BinaryOp::XOR:
        if (!ints) return false;  // floating operands are rounded: the general path
        type = shorts ? kTypeShort : kTypeLong;
        return emit(op == BinaryOp::IDIV  ? OP_IDIV
                    : op == BinaryOp::MOD ? OP_MOD
                    : op == BinaryOp::AND ? OP_AND
                    : op == BinaryOp::OR  ? OP_OR
                                          : OP_XOR,
                    reg, a, b);
      default: {
        const int k = op - BinaryOp::EQ;
        type = kTypeShort;
        if (ints) return emit((unsigned char)(OP_EQL + k), reg, a, b);
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        return emit((unsigned char)(OP_EQD + k), reg, a, b);
      }
    }
  }

  bool unary(UnaryOp* e, int& reg, unsigned char& type) {
    int a;
    unsigned char t;
    if (!expr(e->operand(), a, t)) return false;
    if (e->op() == UNARY_NOT && t == kTypeDouble) return false;
    reg = newReg();
    if (reg < 0) return false;
    type = t;
    if (e->op() == UNARY_NOT) return emit(OP_NOT, reg, a, 0);
    return emit(t == kTypeShort ? OP_NEGS : t == kTypeLong ? OP_NEGL : OP_NEGD, reg, a, 0);
  }

  StackFrame& frame_;
  RegCode& code_;
  int next_ = 0;
};

RegCode* RegCode::none() { return &g_none; }

void RegCode::reset(RegCode*& code) {
  if (code != &g_none) delete code;
  code = nullptr;
}

bool RegCode::memberTarget(StackFrame& frame, ExprNode* e, MemberRef& out) {
  InterObjRep* me = frame.me;
  if (!me) return false;
  Sid* name = nullptr;
  Sid* embed = nullptr;
  InterObjRep* obj = me;
  if (e->type() == EXPR_SID) {
    name = static_cast<Sid*>(e);
    if (name->bind != BIND_NAME || name->isDotted()) return false;
  } else if (e->type() == EXPR_MID) {
    Mid* m = static_cast<Mid*>(e);
    if (m->member()->type() != EXPR_SID) return false;
    name = static_cast<Sid*>(m->member());
    ExprNode* o = m->object();
    if (o->type() == EXPR_ME && !o->isDotted()) {
      // Me.name
    } else if (o->type() == EXPR_SID) {
      embed = static_cast<Sid*>(o);
      if (embed->bind != BIND_NAME || embed->isDotted()) return false;
      obj = EmbeddedForPlainAccess(me, *embed, *name);
      if (!obj) return false;
    } else {
      return false;
    }
  } else {
    return false;
  }
  Field* f = CachedField(*name, obj);
  if (!f || name->memberKind != MEMBER_PLAIN) return false;
  unsigned char t = (unsigned char)(f->typeCode() & 0x1F);
  if (!IsRegType(t)) return false;
  out.name = name;
  out.embed = embed;
  out.type = t;
  return true;
}

ValueCell* PlainMemberCell(StackFrame& frame, MemberRef& m, bool write, InterObjRep** owner) {
  InterObjRep* o = frame.me;
  if (!o) return nullptr;
  if (m.embed) {
    o = EmbeddedForPlainAccess(o, *m.embed, *m.name);
    if (!o) return nullptr;
  }
  Field* f = CachedField(*m.name, o);
  if (m.name->memberKind != MEMBER_PLAIN) return nullptr;
  DataField* df = static_cast<DataField*>(f);
  ValueCell* c;
  if (write) {
    if ((df->typeCode() & 0x1F) != m.type) return nullptr;
    c = &o->makeOwnCellAt(df, m.name->memberHint);
    if (c->type != m.type && c->type != kTypeNone) return nullptr;
    *owner = o;
  } else {
    c = o->ownCellAt(df, m.name->memberHint);
    if (!c || c->type != m.type) return nullptr;
  }
  return c;
}

RegCode* RegCode::compile(StackFrame& frame, ExprNode* e) {
  if (!e) return none();
  RegCode* code = new RegCode;
  try {
    RegCompiler c(frame, *code);
    int reg;
    unsigned char type;
    if (c.expr(e, reg, type) && c.emit(OP_END, 0, reg, 0)) {
      code->type_ = type;
      code->foldConstants();
      int ops = 0;
      for (const Instr& in : code->code_) {
        if (in.op == OP_LDM || in.op == OP_LDA) code->pays_ = true;
        if (in.op >= OP_CVD) ++ops;
      }
      if (ops > 1) code->pays_ = true;
      code->code_.shrink_to_fit();
      return code;
    }
  } catch (...) {
  }
  delete code;
  return none();
}

RegCode* RegCode::compileAssign(StackFrame& frame, ExprNode* target, ExprNode* value, int kind) {
  if (kind > ASSIGN_LET || !frame.code) return none();
  int slot = -1;
  MemberRef m{};
  try {
    if (target->type() == EXPR_SID && static_cast<Sid*>(target)->bind == BIND_SLOT) {
      slot = static_cast<Sid*>(target)->slot;
      if (slot < 0 || slot >= frame.code->slotCount() || !IsRegType(frame.code->slot(slot).type))
        return none();
    } else if (!memberTarget(frame, target, m)) {
      return none();
    }
  } catch (...) {
    return none();
  }
  RegCode* code = compile(frame, value);
  if (code == none()) return code;
  // Into a local, one operation over locals and constants is no faster than the tree.
  if (slot >= 0 && !code->pays()) {
    delete code;
    return none();
  }
  code->targetSlot_ = slot;
  code->target_ = m;
  return code;
}

bool RegCode::assign(StackFrame& frame, ExprNode* target, int kind) {
  Reg r;
  if (!run(frame, r)) return false;
  if (targetSlot_ >= 0) {
    ValueCell* dst = frame.vars[targetSlot_];
    if (dst->type == type_) {
      if (type_ == kTypeDouble)
        dst->d = r.d;
      else if (type_ == kTypeLong)
        dst->l = r.l;
      else
        dst->s = (int16_t)r.l;
      return true;
    }
    ValueCellVar v;
    toCell(r, v.c);
    CellStore(*dst, v.c, kind);
    return true;
  }
  ValueCellVar v;
  toCell(r, v.c);
  if (target_.type == type_ || target_.type == kTypeDouble) {
    InterObjRep* owner = nullptr;
    if (ValueCell* c = PlainMemberCell(frame, target_, true, &owner)) {
      if (target_.type == kTypeDouble && type_ != kTypeDouble) v.c.setDouble((double)r.l);
      c->copyFrom(v.c);
      owner->changed();
      return true;
    }
  }
  target->assign(frame, v.c, kind);
  return true;
}

// Constants become operands of the instructions that use them: a conversion of a
// constant is done here, a constant right operand is read from the instruction, and the
// loads of constants nobody reads any more go. Registers are written once, so a
// register's constant holds wherever it is read.
void RegCode::foldConstants() {
  bool isK[kMaxRegs] = {};
  Reg k[kMaxRegs];
  for (Instr& in : code_) {
    if (in.op == OP_CVD && isK[in.a]) {
      in.op = OP_K;
      in.k.d = k[in.a].l;
    }
    if (in.op == OP_K) {
      isK[in.d] = true;
      k[in.d] = in.k;
      continue;
    }
    const bool binary = in.op >= OP_ADDS && in.op <= OP_XOR && in.op != OP_NOT;
    if (binary && isK[in.b] && !in.bk) {
      in.bk = 1;
      in.k = k[in.b];
    }
  }
  // Which registers are still read.
  bool used[kMaxRegs] = {};
  for (const Instr& in : code_) {
    if (in.op == OP_K || in.op == OP_LDS || in.op == OP_LDL || in.op == OP_LDD || in.op == OP_LDM) continue;
    used[in.a] = true;
    const bool binary = in.op >= OP_ADDS && in.op <= OP_XOR && in.op != OP_NOT;
    if (binary && !in.bk) used[in.b] = true;
  }
  std::vector<Instr> kept;
  for (const Instr& in : code_)
    if (in.op != OP_K || used[in.d]) kept.push_back(in);
  code_.swap(kept);
}

void RegCode::toCell(const Reg& r, ValueCell& out) const {
  if (type_ == kTypeDouble)
    out.setDouble(r.d);
  else if (type_ == kTypeShort)
    out.setShort((int16_t)r.l);
  else
    out.setLong(r.l);
}

namespace {

inline bool FitsShort(int32_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

bool RegCode::run(StackFrame& frame, Reg& out) {
  Reg r[kMaxRegs];
  ValueCell** const vars = frame.vars;
  for (const Instr* p = code_.data();; ++p) {
    Reg& d = r[p->d];
    const Reg& a = r[p->a];
    const Reg& b = p->bk ? p->k : r[p->b];
    switch (p->op) {
      case OP_END:
        out = a;
        return true;
      case OP_LDS: {
        const ValueCell* c = vars[p->slot];
        if (c->type != kTypeShort) return false;
        d.l = c->s;
        break;
      }
      case OP_LDL: {
        const ValueCell* c = vars[p->slot];
        if (c->type != kTypeLong) return false;
        d.l = c->l;
        break;
      }
      case OP_LDD: {
        const ValueCell* c = vars[p->slot];
        if (c->type != kTypeDouble) return false;
        d.d = c->d;
        break;
      }
      case OP_LDM: {
        MemberRef& m = members_[(size_t)p->slot];
        const ValueCell* c = PlainMemberCell(frame, m, false, nullptr);
        if (!c) return false;
        if (m.type == kTypeDouble)
          d.d = c->d;
        else if (m.type == kTypeLong)
          d.l = c->l;
        else
          d.l = c->s;
        break;
      }
      case OP_LDA: {
        const ArrayData* arr = CellArray(*vars[p->slot]);
        if (!arr || arr->elementType() != p->b || arr->bounds().size() != 1) return false;
        const ArrayBound& bd = arr->bounds()[0];
        if (a.l < bd.lower || a.l > bd.upper) return false;
        ValueCell c;
        c.init();
        arr->getCell(a.l - bd.lower, c);
        if (c.type == kTypeDouble)
          d.d = c.d;
        else if (c.type == kTypeLong)
          d.l = c.l;
        else
          d.l = c.s;
        break;
      }
      case OP_K:
        d = p->k;
        break;
      case OP_CVD:
        d.d = a.l;
        break;
      case OP_ADDS:
        d.l = a.l + b.l;
        if (!FitsShort(d.l)) return false;
        break;
      case OP_SUBS:
        d.l = a.l - b.l;
        if (!FitsShort(d.l)) return false;
        break;
      case OP_MULS:
        d.l = a.l * b.l;  // two 16-bit factors fit 32 bits
        if (!FitsShort(d.l)) return false;
        break;
      case OP_ADDL:
        if (__builtin_add_overflow(a.l, b.l, &d.l)) return false;
        break;
      case OP_SUBL:
        if (__builtin_sub_overflow(a.l, b.l, &d.l)) return false;
        break;
      case OP_MULL:
        if (__builtin_mul_overflow(a.l, b.l, &d.l)) return false;
        break;
      case OP_IDIV:
        if (b.l == 0 || b.l == -1) return false;
        d.l = a.l / b.l;
        break;
      case OP_MOD:
        if (b.l == 0 || b.l == -1) return false;
        d.l = a.l % b.l;
        break;
      case OP_ADDD:
        d.d = a.d + b.d;
        if (!std::isfinite(d.d)) return false;
        break;
      case OP_SUBD:
        d.d = a.d - b.d;
        if (!std::isfinite(d.d)) return false;
        break;
      case OP_MULD:
        d.d = a.d * b.d;
        if (!std::isfinite(d.d)) return false;
        break;
      case OP_DIVD:
        if (b.d == 0) return false;
        d.d = a.d / b.d;
        if (!std::isfinite(d.d)) return false;
        break;
      case OP_EQL:
        d.l = a.l == b.l ? -1 : 0;
        break;
      case OP_NEL:
        d.l = a.l != b.l ? -1 : 0;
        break;
      case OP_GTL:
        d.l = a.l > b.l ? -1 : 0;
        break;
      case OP_LTL:
        d.l = a.l < b.l ? -1 : 0;
        break;
      case OP_GEL:
        d.l = a.l >= b.l ? -1 : 0;
        break;
      case OP_LEL:
        d.l = a.l <= b.l ? -1 : 0;
        break;
      case OP_EQD:
        d.l = a.d == b.d ? -1 : 0;
        break;
      case OP_NED:
        d.l = a.d != b.d ? -1 : 0;
        break;
      case OP_GTD:
        d.l = a.d > b.d ? -1 : 0;
        break;
      case OP_LTD:
        d.l = a.d < b.d ? -1 : 0;
        break;
      case OP_GED:
        d.l = a.d >= b.d ? -1 : 0;
        break;
      case OP_LED:
        d.l = a.d <= b.d ? -1 : 0;
        break;
      case OP_AND:
        d.l = a.l & b.l;
        break;
      case OP_OR:
        d.l = a.l | b.l;
        break;
      case OP_XOR:
        d.l = a.l ^ b.l;
        break;
      case OP_NOT:
        d.l = ~a.l;
        break;
      case OP_NEGS:
        if (a.l == -32768) return false;
        d.l = -a.l;
        break;
      case OP_NEGL:
        if (a.l == INT32_MIN) return false;
        d.l = -a.l;
        break;
      case OP_NEGD:
        d.d = -a.d;
        break;
      default:
        return false;
    }
  }
}

bool TypedTest(StackFrame& frame, ExprNode* cond, RegCode*& code) {
  if (code != RegCode::none()) {
    if (!code) {
      // A lone comparison of locals and constants is cheaper through the tree's direct path.
      code = RegCode::compile(frame, cond);
      if (code != RegCode::none() && !code->pays()) RegCode::reset(code), code = RegCode::none();
    }
    Reg r;
    if (code != RegCode::none() && code->run(frame, r))
      return code->type() == kTypeDouble ? r.d != 0 : r.l != 0;
  }
  ValueCellVar c;
  cond->eval(frame, c.c);
  if (c.c.type == kTypeShort) return c.c.s != 0;
  return CellIsTrue(c.c);
}
