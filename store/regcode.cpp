// The typed register code: compiler from linked expression trees, and its dispatch loop.
#include "regcode.h"

#include <cmath>

#include "store/field.h"
#include "store/execnode.h"
#include "store/field_array.h"
#include "store/execctrl.h"
#include "store/interobj.h"

#include "interobj_util.h"
#include "regcompiler.h"
#include "regcode_call.h"

namespace {

RegCode g_none;

}  // namespace

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
  if (m.cell && m.me == o && m.generation == g_generation && m.layout == g_cellLayout) {
    ValueCell* c = m.cell;
    if (write) {
      if (c->type != m.type && c->type != kTypeNone) return nullptr;
      *owner = m.owner;
    } else if (c->type != m.type) {
      return nullptr;
    }
    return c;
  }
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
  m.me = frame.me;
  m.owner = o;
  m.cell = c;
  m.generation = g_generation;
  m.layout = g_cellLayout;
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
// loads of constants nobody reads any more go. Within one expression registers are
// written once, so a register's constant holds wherever it is read.
void RegCode::foldRange(size_t from, int keep) {
  bool isK[kMaxRegs] = {};
  Reg k[kMaxRegs];
  for (size_t i = from; i < code_.size(); ++i) {
    Instr& in = code_[i];
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
  if (keep >= 0) used[keep] = true;
  for (size_t i = from; i < code_.size(); ++i) {
    const Instr& in = code_[i];
    if (in.op == OP_K || in.op == OP_LDS || in.op == OP_LDL || in.op == OP_LDD || in.op == OP_LDM) continue;
    used[in.a] = true;
    const bool binary = in.op >= OP_ADDS && in.op <= OP_XOR && in.op != OP_NOT;
    if (binary && !in.bk) used[in.b] = true;
  }
  size_t w = from;
  for (size_t i = from; i < code_.size(); ++i)
    if (code_[i].op != OP_K || used[code_[i].d]) code_[w++] = code_[i];
  code_.resize(w);
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

int RegCode::exec(StackFrame& frame, Reg* out) {
  Reg r[kMaxRegs];
  ValueCell** const vars = frame.vars;
  const Instr* const base = code_.data();
  const Unit* cur = nullptr;
  const Instr* unitStart = base;
  for (const Instr* p = base;; ++p) {
    {
      Reg& d = r[p->d];
      const Reg& a = r[p->a];
      const Reg& b = p->bk ? p->k : r[p->b];
      switch (p->op) {
        case OP_END:
          *out = a;
          return 0;
        case OP_LDS: {
          const ValueCell* c = vars[p->slot];
          if (c->type != kTypeShort) goto fail;
          d.l = c->s;
          break;
        }
        case OP_LDL: {
          const ValueCell* c = vars[p->slot];
          if (c->type != kTypeLong) goto fail;
          d.l = c->l;
          break;
        }
        case OP_LDD: {
          const ValueCell* c = vars[p->slot];
          if (c->type != kTypeDouble) goto fail;
          d.d = c->d;
          break;
        }
        case OP_LDM: {
          MemberRef& m = members_[(size_t)p->slot];
          const ValueCell* c = PlainMemberCell(frame, m, false, nullptr);
          if (!c) goto fail;
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
          if (!arr || arr->elementType() != p->b || arr->bounds().size() != 1) goto fail;
          const ArrayBound& bd = arr->bounds()[0];
          if (a.l < bd.lower || a.l > bd.upper) goto fail;
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
          if (!FitsShort(d.l)) goto fail;
          break;
        case OP_SUBS:
          d.l = a.l - b.l;
          if (!FitsShort(d.l)) goto fail;
          break;
        case OP_MULS:
          d.l = a.l * b.l;  // two 16-bit factors fit 32 bits
          if (!FitsShort(d.l)) goto fail;
          break;
        case OP_ADDL:
          if (__builtin_add_overflow(a.l, b.l, &d.l)) goto fail;
          break;
        case OP_SUBL:
          if (__builtin_sub_overflow(a.l, b.l, &d.l)) goto fail;
          break;
        case OP_MULL:
          if (__builtin_mul_overflow(a.l, b.l, &d.l)) goto fail;
          break;
        case OP_IDIV:
          if (b.l == 0 || b.l == -1) goto fail;
          d.l = a.l / b.l;
          break;
        case OP_MOD:
          if (b.l == 0 || b.l == -1) goto fail;
          d.l = a.l % b.l;
          break;
        case OP_ADDD:
          d.d = a.d + b.d;
          if (!std::isfinite(d.d)) goto fail;
          break;
        case OP_SUBD:
          d.d = a.d - b.d;
          if (!std::isfinite(d.d)) goto fail;
          break;
        case OP_MULD:
          d.d = a.d * b.d;
          if (!std::isfinite(d.d)) goto fail;
          break;
        case OP_DIVD:
          if (b.d == 0) goto fail;
          d.d = a.d / b.d;
          if (!std::isfinite(d.d)) goto fail;
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
          if (a.l == -32768) goto fail;
          d.l = -a.l;
          break;
        case OP_NEGL:
          if (a.l == INT32_MIN) goto fail;
          d.l = -a.l;
          break;
        case OP_NEGD:
          d.d = -a.d;
          break;
        // --- loop code ---
        case OP_STMT:
          cur = &units_[(size_t)p->slot];
          unitStart = p;
          frame.line = cur->line;
          ExecPoll();
          if (g_execHookFlags) ExecHookStatement(frame, cur->line);
          break;
        case OP_UNIT:
          cur = &units_[(size_t)p->slot];
          unitStart = p;
          if (cur->line) frame.line = cur->line;
          break;
        case OP_EXEC:
        case OP_FAIL:
          goto fail;
        case OP_STS: {
          ValueCell* c = vars[p->slot];
          if (c->type != kTypeShort || !FitsShort(a.l)) goto fail;
          c->s = (int16_t)a.l;
          break;
        }
        case OP_STL: {
          ValueCell* c = vars[p->slot];
          if (c->type != kTypeLong) goto fail;
          c->l = a.l;
          break;
        }
        case OP_STD: {
          ValueCell* c = vars[p->slot];
          if (c->type != kTypeDouble) goto fail;
          c->d = a.d;
          break;
        }
        case OP_STM: {
          MemberRef& m = members_[(size_t)p->slot];
          if (m.type == kTypeShort && !FitsShort(a.l)) goto fail;
          InterObjRep* owner = nullptr;
          ValueCell* c = PlainMemberCell(frame, m, true, &owner);
          if (!c) goto fail;
          c->type = m.type;
          if (m.type == kTypeDouble)
            c->d = p->b == kTypeDouble ? a.d : (double)a.l;
          else if (m.type == kTypeLong)
            c->l = a.l;
          else
            c->s = (int16_t)a.l;
          owner->changed();
          break;
        }
        case OP_MOV:
          d = a;
          break;
        case OP_JMP:
          p = base + p->slot - 1;
          break;
        case OP_JF:
          if (!a.l) p = base + p->slot - 1;
          break;
        case OP_JT:
          if (a.l) p = base + p->slot - 1;
          break;
        case OP_JFD:
          if (a.d == 0) p = base + p->slot - 1;
          break;
        case OP_JTD:
          if (a.d != 0) p = base + p->slot - 1;
          break;
        case OP_FORINIT: {
          ValueCell* c = vars[p->k.l];
          if (c->type != p->b) goto fail;
          if (p->b == kTypeLong)
            c->l = a.l;
          else
            c->s = (int16_t)a.l;
          break;
        }
        case OP_FORTEST: {
          const ValueCell* c = vars[p->k.l];
          if (c->type != p->b) throw TypeMismatch("For");
          const int32_t x = c->type == kTypeLong ? c->l : c->s;
          const int32_t step = r[p->a + 1].l;
          if (step < 0 ? x < a.l : x > a.l) p = base + p->slot - 1;
          break;
        }
        case OP_FORNEXT: {
          ValueCell* c = vars[p->k.l];
          if (c->type != p->b) throw TypeMismatch("For");
          const int32_t step = r[p->a + 1].l;
          int32_t x;
          if (c->type == kTypeLong) {
            if (__builtin_add_overflow(c->l, step, &x)) throw FPException(kMsgIntegerOverflow);
            c->l = x;
          } else {
            x = c->s + step;
            if (!FitsShort(x)) throw FPException(kMsgIntegerOverflow);
            c->s = (int16_t)x;
          }
          if (!(step < 0 ? x < a.l : x > a.l)) p = base + p->slot - 1;
          break;
        }
        case OP_LINE:
          frame.line = p->slot;
          break;
        case OP_POLL:
          ExecPoll();
          break;
        case OP_CALL:
          if (!RegCallRun(frame, p, r)) goto fail;
          p += p->a + 1;  // its data
          break;
        case OP_RET:
          return EXEC_NEXT;
        default:
          goto fail;
      }
      continue;
    }
  fail:
    if (!cur) return kFail;
    int32_t to;
    {
      CallReplay replay(frame, unitStart, p, r);  // calls the unit made are not made again
      to = fallback(frame, *cur, r);
    }
    if (to < 0) return -1 - to;
    p = base + to - 1;
  }
}

int32_t RegCode::landing(const Unit& u, int result) const {
  int32_t to = -1;
  switch (result) {
    case EXEC_NEXT:
      return u.next;
    case EXEC_EXIT_FOR:
      to = u.exitFor;
      break;
    case EXEC_EXIT_DO:
      to = u.exitDo;
      break;
    case EXEC_EXIT_LOOP:
      to = u.exitLoop;
      break;
    default:
      break;
  }
  return to >= 0 ? to : -1 - result;
}

int32_t RegCode::fallback(StackFrame& frame, const Unit& u, Reg* regs) {
  switch (u.kind) {
    case UNIT_STMT:
      return landing(u, u.node->exec(frame));
    case UNIT_COND: {
      ValueCellVar c;
      u.cond->eval(frame, c.c);
      const bool truth = c.c.type == kTypeShort ? c.c.s != 0 : CellIsTrue(c.c);
      return truth == (u.jumpWhen != 0) ? u.jump : u.next;
    }
    default: {
      // The For head as the tree runs it: start, end and step, the variable set to the
      // start, end and step made the variable's type.
      ForNext* f = static_cast<ForNext*>(u.node);
      ValueCellVar start, end, step;
      f->start()->eval(frame, start.c);
      f->end()->eval(frame, end.c);
      if (f->step())
        f->step()->eval(frame, step.c);
      else
        step.c.setShort(1);
      f->var()->assign(frame, start.c, 0);
      CellConvert(end.c, u.type);
      CellConvert(step.c, u.type);
      regs[u.reg].l = u.type == kTypeLong ? end.c.l : end.c.s;
      regs[u.reg + 1].l = u.type == kTypeLong ? step.c.l : step.c.s;
      return u.next;
    }
  }
}

int RegCode::execLoop(StackFrame& frame) { return exec(frame, nullptr); }

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
