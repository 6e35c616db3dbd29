// The typed register code: compiler from linked expression trees, and its dispatch loop.
#include "regcode.h"

#include <cmath>
#include <cstring>

#include "store/field.h"
#include "store/execnode.h"
#include "store/field_array.h"
#include "store/execctrl.h"
#include "store/interobj.h"

#include "interobj_util.h"
#include "regcompiler.h"
#include "regcode_call.h"
#include "regcode_string.h"

namespace {

RegCode g_none;

}  // namespace

RegCode* RegCode::none() { return &g_none; }

RegCode::~RegCode() { reset(plain_); }

void RegCode::reset(RegCode*& code) {
  if (code && code != &g_none) delete code;
  code = nullptr;
}

bool RegCode::memberTarget(StackFrame& frame, ExprNode* e, MemberRef& out, InterObjRep** objOut, Field** fieldOut) {
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
  if (objOut) *objOut = obj;
  if (fieldOut) *fieldOut = f;
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
      c.fold(0, -1);
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

enum { kRaiseOverflow, kRaiseMismatch };

}  // namespace

namespace {

inline bool SameValue(const ValueCell& c, unsigned char t, const Reg& v) {
  if (t == kTypeDouble) return std::memcmp(&c.d, &v.d, sizeof(double)) == 0;
  if (t == kTypeLong) return c.l == v.l;
  return c.s == (int16_t)v.l;
}

// The value a held member has now into v, and the object and field it names (false: it
// cannot be held: not a plain data member of its type any more, or no value of the type).
// A member without an own cell has the value the general read gives (a prototype's or
// the type's default); its cell is made only when the code writes it.
bool HeldMemberValue(StackFrame& frame, MemberRef& m, Reg& v, InterObjRep*& obj, Field*& field) {
  if (ValueCell* c = PlainMemberCell(frame, m, false, nullptr)) {
    CellToReg(*c, m.type, v);
    obj = m.owner;
    field = CachedField(*m.name, m.owner);
    return true;
  }
  InterObjRep* o = frame.me;
  if (!o) return false;
  if (m.embed) {
    o = EmbeddedForPlainAccess(o, *m.embed, *m.name);
    if (!o) return false;
  }
  Field* f = CachedField(*m.name, o);
  if (m.name->memberKind != MEMBER_PLAIN || (f->typeCode() & 0x1F) != m.type) return false;
  DataField* df = static_cast<DataField*>(f);
  if (o->ownCellAt(df, m.name->memberHint)) return false;  // an own cell of another type
  ValueCellVar c;
  df->getCell(*o, c.c);
  if (c.c.type != m.type) return false;
  CellToReg(c.c, m.type, v);
  obj = o;
  field = f;
  return true;
}

}  // namespace

bool RegCode::findMembers(StackFrame& frame, Reg* values) {
  const size_t n = heldMembers_.size();
  InterObjRep* objs[kMaxRegs];
  Field* fields[kMaxRegs];
  for (size_t i = 0; i < n; ++i) {
    if (!HeldMemberValue(frame, heldMembers_[i].m, values[i], objs[i], fields[i])) return false;
    for (size_t j = 0; j < i; ++j)
      if (objs[j] == objs[i] && fields[j] == fields[i]) return false;  // two names of one member
  }
  return true;
}

bool RegCode::load(StackFrame& frame, Reg* r, bool members) {
  ValueCell** const vars = frame.vars;
  for (const Held& h : held_) {
    const ValueCell* c = vars[h.slot];
    if (h.type == kTypeDouble)
      r[h.reg].d = c->d;
    else if (h.type == kTypeLong)
      r[h.reg].l = c->l;
    else
      r[h.reg].l = c->s;
  }
  for (const Held& h : arrays_) {
    ArrayData* a = CellArray(*vars[h.slot]);
    Reg& elements = r[h.reg];
    Reg& bounds = r[h.reg + 1];
    if (a && a->elementType() == (h.type & 0x1F) && a->bounds().size() == 1 && a->rawElements()) {
      elements.p = a->rawElements();
      bounds.bounds.lower = a->bounds()[0].lower;
      bounds.bounds.count = (uint32_t)a->total();
    } else {
      elements.p = nullptr;
      bounds.bounds.lower = 0;
      bounds.bounds.count = 0;
    }
  }
  return !members || heldMembers_.empty() || loadMembers(frame, r);
}

bool RegCode::loadMembers(StackFrame& frame, Reg* r) {
  Reg values[kMaxRegs];
  if (!findMembers(frame, values)) return false;
  for (size_t i = 0; i < heldMembers_.size(); ++i) r[heldMembers_[i].reg] = values[i];
  return true;
}

void RegCode::flush(StackFrame& frame, const Reg* r, bool members) {
  ValueCell** const vars = frame.vars;
  for (const Held& h : held_) {
    ValueCell* c = vars[h.slot];
    if (h.type == kTypeDouble)
      c->d = r[h.reg].d;
    else if (h.type == kTypeLong)
      c->l = r[h.reg].l;
    else
      c->s = (int16_t)r[h.reg].l;
  }
  if (members && !heldMembers_.empty()) flushMembers(frame, r);
}

void RegCode::flushMembers(StackFrame& frame, const Reg* r) {
  // A member's cell is written (and its object marked changed, once) only when the
  // register differs from the member's value: only the code changes it while it is held.
  InterObjRep* marked = nullptr;
  for (HeldMember& h : heldMembers_) {
    const Reg& v = r[h.reg];
    ValueCell* c = PlainMemberCell(frame, h.m, false, nullptr);
    if (!c) {
      // No own cell yet: made when the value differs from the general read's.
      Reg now;
      InterObjRep* obj;
      Field* field;
      if (!HeldMemberValue(frame, h.m, now, obj, field)) continue;  // never written elsewhere
      if (h.m.type == kTypeDouble ? std::memcmp(&now.d, &v.d, sizeof(double)) == 0
                                  : (h.m.type == kTypeLong ? now.l == v.l : (int16_t)now.l == (int16_t)v.l))
        continue;
      InterObjRep* owner = nullptr;
      c = PlainMemberCell(frame, h.m, true, &owner);
      if (!c) continue;
      c->type = h.m.type;
    } else if (SameValue(*c, h.m.type, v)) {
      continue;
    }
    if (h.m.type == kTypeDouble)
      c->d = v.d;
    else if (h.m.type == kTypeLong)
      c->l = v.l;
    else
      c->s = (int16_t)v.l;
    if (h.m.owner != marked) {
      marked = h.m.owner;
      marked->changed();
    }
  }
}

bool RegCode::canHold(StackFrame& frame) {
  for (const Held& h : held_)
    if (frame.vars[h.slot]->type != h.type) return false;
  return heldMembers_.empty() || canHoldMembers(frame);
}

bool RegCode::canHoldMembers(StackFrame& frame) {
  Reg values[kMaxRegs];
  return findMembers(frame, values);
}

void RegCode::raise(StackFrame& frame, const Reg* r, bool members, int mode, size_t pc, int what) {
  flush(frame, r, members);
  const int32_t u = pc < unitAt_[mode].size() ? unitAt_[mode][pc] : -1;
  if (u >= 0) frame.line = units_[(size_t)u].line;
  if (what == kRaiseOverflow) throw FPException(kMsgIntegerOverflow);
  throw TypeMismatch("For");
}

int RegCode::exec(StackFrame& frame, Reg* out) {
  Reg r[kMaxRegs];
  for (const PoolEntry& e : pool_) r[e.reg] = e.k;
  ValueCell** const vars = frame.vars;
  // Loop code runs in the fast form (0) or, while a statement hook is set, the stepping
  // form (1).
  int mode = 0;
  const Instr* base = code_.data();
  // The forms being run: the code's own, or (held members given up) the detached twin.
  const Instr* forms[2] = {code_.data(), step_.data()};
  bool members = !heldMembers_.empty();
  // The object the unheld member stores last marked changed (none after anything else ran).
  InterObjRep* marked = nullptr;
// Held members that cannot be loaded again: the same place in the detached twin.
#define OV_RELOAD()                                   \
  do {                                                \
    if (!load(frame, r, members)) {                   \
      const ptrdiff_t at = p - base;                  \
      members = false;                                \
      forms[0] = detached_[0].data();                 \
      forms[1] = detached_[1].data();                 \
      base = forms[mode];                             \
      p = base + at;                                  \
    }                                                 \
  } while (0)
  if (!out) {
    if (g_execHookFlags) mode = 1;
    const Instr* p = base = forms[mode];
    OV_RELOAD();
    base = p;
  }
  for (const Instr* p = base;; ++p) {
    {
      Reg& d = r[p->d];
      const Reg& a = r[p->a];
      const Reg& b = r[p->b];
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
          const ValueCell* c = m.cell;
          if (!c || m.me != frame.me || m.generation != g_generation || m.layout != g_cellLayout ||
              c->type != m.type) {
            c = PlainMemberCell(frame, m, false, nullptr);
            if (!c) goto fail;
          }
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
        case OP_ADDS: {
          const int32_t x = a.l + b.l;
          if (!FitsShort(x)) goto fail;
          d.l = x;
          break;
        }
        case OP_SUBS: {
          const int32_t x = a.l - b.l;
          if (!FitsShort(x)) goto fail;
          d.l = x;
          break;
        }
        case OP_MULS: {
          const int32_t x = a.l * b.l;  // two 16-bit factors fit 32 bits
          if (!FitsShort(x)) goto fail;
          d.l = x;
          break;
        }
        case OP_ADDL: {
          int32_t x;
          if (__builtin_add_overflow(a.l, b.l, &x)) goto fail;
          d.l = x;
          break;
        }
        case OP_SUBL: {
          int32_t x;
          if (__builtin_sub_overflow(a.l, b.l, &x)) goto fail;
          d.l = x;
          break;
        }
        case OP_MULL: {
          int32_t x;
          if (__builtin_mul_overflow(a.l, b.l, &x)) goto fail;
          d.l = x;
          break;
        }
        case OP_IDIV:
          if (b.l == 0 || b.l == -1) goto fail;
          d.l = a.l / b.l;
          break;
        case OP_MOD:
          if (b.l == 0 || b.l == -1) goto fail;
          d.l = a.l % b.l;
          break;
        case OP_ADDD: {
          const double x = a.d + b.d;
          if (!std::isfinite(x)) goto fail;
          d.d = x;
          break;
        }
        case OP_SUBD: {
          const double x = a.d - b.d;
          if (!std::isfinite(x)) goto fail;
          d.d = x;
          break;
        }
        case OP_MULD: {
          const double x = a.d * b.d;
          if (!std::isfinite(x)) goto fail;
          d.d = x;
          break;
        }
        case OP_DIVD: {
          if (b.d == 0) goto fail;
          const double x = a.d / b.d;
          if (!std::isfinite(x)) goto fail;
          d.d = x;
          break;
        }
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
        case OP_STMT: {
          // The stepping form only: the statement's line, the poll and the hook.
          const Unit& u = units_[(size_t)p->slot];
          frame.line = u.line;
          if (--g_pollCountdown <= 0) {
            flush(frame, r, members);
            marked = nullptr;
            ExecPollNow();
            OV_RELOAD();
          }
          if (g_execHookFlags) {
            flush(frame, r, members);
            marked = nullptr;
            ExecHookStatement(frame, u.line);
            OV_RELOAD();
          }
          if (!g_execHookFlags) {
            // The hook is gone: the fast form from this statement on.
            const size_t pc = (size_t)(p - base);
            mode = 0;
            base = forms[0];
            p = base + alt_[1][pc] - 1;
          }
          break;
        }
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
          ValueCell* c = m.cell;
          InterObjRep* owner = m.owner;
          if (!c || m.me != frame.me || m.generation != g_generation || m.layout != g_cellLayout ||
              (c->type != m.type && c->type != kTypeNone)) {
            c = PlainMemberCell(frame, m, true, &owner);
            if (!c) goto fail;
          }
          c->type = m.type;
          if (m.type == kTypeDouble)
            c->d = p->b == kTypeDouble ? a.d : (double)a.l;
          else if (m.type == kTypeLong)
            c->l = a.l;
          else
            c->s = (int16_t)a.l;
          // Nothing but this code runs until marked is cleared: one mark is enough.
          if (owner != marked) {
            owner->changed();
            marked = owner;
          }
          break;
        }
        case OP_MOV:
          d = a;
          break;
        case OP_MOVS:
          if (!FitsShort(a.l)) goto fail;
          d.l = a.l;
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
        case OP_JEQL:
          if (a.l == b.l) p = base + p->slot - 1;
          break;
        case OP_JNEL:
          if (a.l != b.l) p = base + p->slot - 1;
          break;
        case OP_JGTL:
          if (a.l > b.l) p = base + p->slot - 1;
          break;
        case OP_JLTL:
          if (a.l < b.l) p = base + p->slot - 1;
          break;
        case OP_JGEL:
          if (a.l >= b.l) p = base + p->slot - 1;
          break;
        case OP_JLEL:
          if (a.l <= b.l) p = base + p->slot - 1;
          break;
        case OP_JMPB:
          if ((g_pollCountdown -= p->w) <= 0) goto poll;
          p = base + p->slot - 1;
          break;
        case OP_LDAS: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count) goto fail;
          d.l = static_cast<const int16_t*>(r[p->slot].p)[i];
          break;
        }
        case OP_LDAL: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count) goto fail;
          d.l = static_cast<const int32_t*>(r[p->slot].p)[i];
          break;
        }
        case OP_LDAD: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count) goto fail;
          d.d = static_cast<const double*>(r[p->slot].p)[i];
          break;
        }
        case OP_STAS: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count || !FitsShort(b.l)) goto fail;
          static_cast<int16_t*>(r[p->slot].p)[i] = (int16_t)b.l;
          break;
        }
        case OP_STAL: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count) goto fail;
          static_cast<int32_t*>(r[p->slot].p)[i] = b.l;
          break;
        }
        case OP_STAD: {
          const Reg& bd = r[p->slot + 1];
          const uint32_t i = (uint32_t)a.l - (uint32_t)bd.bounds.lower;
          if (i >= bd.bounds.count) goto fail;
          static_cast<double*>(r[p->slot].p)[i] = b.d;
          break;
        }
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
          if (c->type != p->b) raise(frame, r, members, mode, (size_t)(p - base), kRaiseMismatch);
          const int32_t x = c->type == kTypeLong ? c->l : c->s;
          const int32_t step = r[p->a + 1].l;
          if (step < 0 ? x < a.l : x > a.l) p = base + p->slot - 1;
          break;
        }
        case OP_FORNEXT: {
          ValueCell* c = vars[p->k.l];
          if (c->type != p->b) raise(frame, r, members, mode, (size_t)(p - base), kRaiseMismatch);
          const int32_t step = r[p->a + 1].l;
          int32_t x;
          if (c->type == kTypeLong) {
            if (__builtin_add_overflow(c->l, step, &x)) raise(frame, r, members, mode, (size_t)(p - base), kRaiseOverflow);
            c->l = x;
          } else {
            x = c->s + step;
            if (!FitsShort(x)) raise(frame, r, members, mode, (size_t)(p - base), kRaiseOverflow);
            c->s = (int16_t)x;
          }
          if (step < 0 ? x < a.l : x > a.l) break;
          if ((g_pollCountdown -= p->w) <= 0) goto poll;
          p = base + p->slot - 1;
          break;
        }
        case OP_FORTESTR: {
          const int32_t step = r[p->a + 1].l;
          if (step < 0 ? d.l < a.l : d.l > a.l) p = base + p->slot - 1;
          break;
        }
        case OP_FORNEXTR: {
          const int32_t step = r[p->a + 1].l;
          int32_t x;
          if (p->b == kTypeLong) {
            if (__builtin_add_overflow(d.l, step, &x)) raise(frame, r, members, mode, (size_t)(p - base), kRaiseOverflow);
          } else {
            x = d.l + step;
            if (!FitsShort(x)) raise(frame, r, members, mode, (size_t)(p - base), kRaiseOverflow);
          }
          d.l = x;
          if (step < 0 ? x < a.l : x > a.l) break;
          if ((g_pollCountdown -= p->w) <= 0) goto poll;
          p = base + p->slot - 1;
          break;
        }
        case OP_CALL: {
          // The callee may see (and change by reference) the held locals: they go to
          // their cells around the call. A call that cannot be made directly leaves the
          // registers as they were and the unit runs as a tree.
          if (p->w) goto fail;  // the detached twin: it would read a held member's register
          flush(frame, r, members);
          marked = nullptr;
          frame.line = units_[(size_t)unitAt_[mode][(size_t)(p - base)]].line;
          if (!RegCallRun(frame, p, r)) goto fail;
          OV_RELOAD();
          p += p->a + 1;  // its data
          break;
        }
        case OP_STRFN:
          if (!RegStringFunction(frame, p, r)) goto fail;
          p += p->a;  // its data
          break;
        case OP_SSTORE:
          if (!RegStringStore(frame, p, r)) goto fail;
          p += p->a;
          break;
        case OP_RET:
          flush(frame, r, members);
          return EXEC_NEXT;
        default:
          goto fail;
      }
      continue;
    }
  poll : {
    // A backward jump whose turn it is to poll (with the cells up to date: the poll may
    // stop the run or attach a debugger, which then steps on from the jump's target).
    const size_t pc = (size_t)(p - base);
    flush(frame, r, members);
    marked = nullptr;
    frame.line = units_[(size_t)unitAt_[mode][pc]].line;
    ExecPollNow();
    OV_RELOAD();
    const int want = g_execHookFlags ? 1 : 0;
    if (want != mode) {
      const int32_t to = alt_[mode][pc];
      mode = want;
      base = forms[mode];
      p = base + to - 1;
    } else {
      p = base + p->slot - 1;
    }
    continue;
  }
  fail : {
    // The unit runs as a tree (on the cells), then the code goes on where it lands; the
    // calls the unit already made give their results again instead of being made twice.
    if (out) return kFail;
    const size_t pc = (size_t)(p - base);
    const int32_t unit = unitAt_[mode][pc];
    size_t first = pc;
    while (first > 0 && unitAt_[mode][first - 1] == unit) --first;
    const Unit& u = units_[(size_t)unit];
    flush(frame, r, members);
    marked = nullptr;
    frame.line = u.line;
    int32_t to;
    {
      CallReplay replay(frame, base + first, p, r);
      to = fallback(frame, u, r);
    }
    if (to < 0) return -1 - to;
    mode = g_execHookFlags ? 1 : 0;
    base = forms[mode];
    p = base + rawTo_[mode][(size_t)to] - 1;
    OV_RELOAD();
  }
  }
#undef OV_RELOAD
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

int RegCode::execLoop(StackFrame& frame) {
  if (!held_.empty() && !canHold(frame)) {
    // A held local's cell holds another type: the same code on the cells.
    if (!plain_) plain_ = compileRoot(frame, rootNode_, rootBlock_, false, true);
    if (plain_ != none()) return plain_->execLoop(frame);
    if (rootBlock_) return rootBlock_->exec(frame);
    throw TypeMismatch("For");
  }
  return exec(frame, nullptr);
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
