// Direct calls of Basic Functions from typed loop code: the compiler's part, the run and
// the replay of a unit's calls (see regcode_call.h).
#include "regcode_call.h"

#include <cstring>
#include <new>

#include "regcompiler.h"
#include "store/block.h"
#include "store/interobj.h"
#include "store/procfield.h"

CallReplay* g_callReplay = nullptr;

namespace {

enum { kMaxCallArgs = 8 };

// A register of type from given to a parameter of type to as the general path would
// convert it, without any check: the same type or a widening.
bool Widens(unsigned char from, unsigned char to) {
  return from == to || (from == kTypeShort && to == kTypeLong) || (from != kTypeDouble && to == kTypeDouble);
}

// The Function a name's cached member is (null: anything else).
InterFuncField* CachedFunction(Field* f, const Sid& s) {
  if (!f || s.memberKind != MEMBER_PROC) return nullptr;
  return dynamic_cast<InterFuncField*>(f);
}

// Whether fn takes the call as it was compiled (args: the argument data instructions).
bool Fits(InterFuncField* fn, const RegCode::Instr* args, int n, unsigned char resultType) {
  if (!fn->procCode() || fn->parmCount() != n || FieldCellType(fn->resultField()) != resultType) return false;
  for (int i = 0; i < n; ++i) {
    Field* param = fn->argument(i);
    const RegCode::Instr& a = args[i];
    if (FieldCellType(param) != (unsigned char)a.k.l) return false;
    const bool byRef = !FieldByValue(param);
    if (byRef ? a.d == CARG_VARIABLE : a.d == CARG_ALIAS) return false;
  }
  return true;
}

}  // namespace

// --- compiling ---------------------------------------------------------------------------

bool RegCompiler::isCall(const Cid* c) const {
  if (c->meFirst() || c->isDotted() || !c->head() || c->head()->type() != EXPR_SID) return false;
  const Sid* s = static_cast<const Sid*>(c->head());
  return s->bind == BIND_NAME && !s->isDotted();
}

bool RegCompiler::call(Cid* c, int& reg, unsigned char& type) {
  // Only loop code has units to hand a call back to (expression code is evaluated again as
  // a tree, which would call a second time).
  if (code_.units_.empty() || !frame_.me || !frame_.code || !isCall(c)) return false;
  Sid* s = static_cast<Sid*>(c->head());
  InterFuncField* fn = CachedFunction(CachedField(*s, frame_.me), *s);
  if (!fn || !fn->procCode()) return false;
  const unsigned char rt = FieldCellType(fn->resultField());
  const int n = (int)c->argCount();
  if (!IsRegType(rt) || n != fn->parmCount() || n > kMaxCallArgs) return false;
  RegCode::Instr args[kMaxCallArgs];
  for (int i = 0; i < n; ++i) {
    Field* param = fn->argument(i);
    const unsigned char pt = FieldCellType(param);
    if (!IsRegType(pt)) return false;
    const bool byRef = !FieldByValue(param);
    ExprNode* e = c->arg((size_t)i);
    unsigned char mode = CARG_RVALUE;
    if (!e->isParenthesised()) {
      if (e->type() == EXPR_SID) {
        Sid* v = static_cast<Sid*>(e);
        if (v->bind == BIND_SLOT) {
          if (v->slot < 0 || v->slot >= frame_.code->slotCount()) return false;
          if (byRef) {
            // The variable itself when of the parameter's type; another type is a copy
            // written back after the call: the general path.
            if (frame_.code->slot(v->slot).type != pt) return false;
            args[i] = MakeInstr(OP_CARG, CARG_ALIAS, 0, pt, v->slot, pt);
            continue;
          }
          mode = CARG_VARIABLE;
        } else if (v->bind == BIND_NAME) {
          mode = CARG_VARIABLE;
        }
      } else if (e->type() == EXPR_MID || (e->type() == EXPR_CID && !isCall(static_cast<Cid*>(e)))) {
        mode = CARG_VARIABLE;
      }
    }
    if (byRef && mode == CARG_VARIABLE) return false;  // written back after the call
    int r;
    unsigned char t;
    if (!expr(e, r, t) || !Widens(t, pt)) return false;
    args[i] = MakeInstr(OP_CARG, mode, r, t, -1, pt);
  }
  // What the unit reads before this call must read the same when the unit is run again as
  // a tree after it: no members, elements or Statics (a call may change them), and none of
  // the locals this call passes by reference.
  std::vector<RegCode::Instr>& code = code_.code_;
  size_t from = code.size();
  while (from > 0 && code[from - 1].op != OP_STMT && code[from - 1].op != OP_UNIT) --from;
  int calls = 0;
  for (size_t i = from; i < code.size(); ++i) {
    const RegCode::Instr& in = code[i];
    switch (in.op) {
      case OP_CALL:
        ++calls;
        i += (size_t)in.a + 1;
        break;
      case OP_LDM:
      case OP_LDA:
      case OP_LDAS:
      case OP_LDAL:
      case OP_LDAD:
        return false;
      case OP_LDS:
      case OP_LDL:
      case OP_LDD:
        if (frame_.code->slot(in.slot).statik >= 0) return false;
        for (int k = 0; k < n; ++k)
          if (args[k].d == CARG_ALIAS && args[k].slot == in.slot) return false;
        break;
      default:
        break;
    }
  }
  // Held locals are read without an instruction: the same rules from the reads recorded
  // for this unit (a held local read before the call would otherwise give the value the
  // call left, not the one the tree reads).
  for (const HeldRead& hr : heldReads_) {
    if (hr.units != code_.units_.size()) continue;
    if (hr.slot < 0) return false;  // a held member: a call may change it
    if (frame_.code->slot(hr.slot).statik >= 0) return false;
    for (int k = 0; k < n; ++k)
      if (args[k].d == CARG_ALIAS && args[k].slot == hr.slot) return false;
  }
  if (calls + 1 >= CallReplay::kMaxCalls) return false;
  reg = newReg();
  if (reg < 0) return false;
  RegCode::Instr head = MakeInstr(OP_CALL, reg, n, rt, (int32_t)g_generation);
  SetInstrPtr(head, fn);
  code.push_back(head);
  RegCode::Instr site = MakeInstr(OP_CARG, 0, 0, 0, -1);
  SetInstrPtr(site, c);
  code.push_back(site);
  for (int i = 0; i < n; ++i) code.push_back(args[i]);
  type = rt;
  return true;
}

// --- running -----------------------------------------------------------------------------

namespace {

// Puts the argument registers into the new frame's cells (aliases: the caller's cells).
inline void PassArguments(StackFrame& caller, StackFrame& f, const RegCode::Instr* args, int n, const Reg* r) {
  for (int i = 0; i < n; ++i) {
    const RegCode::Instr& a = args[i];
    if (a.d == CARG_ALIAS) {
      f.vars[i] = caller.vars[a.slot];
      continue;
    }
    ValueCell& c = *f.vars[i];
    const Reg& v = r[a.a];
    switch ((unsigned char)a.k.l) {
      case kTypeShort:
        c.type = kTypeShort;
        c.s = (int16_t)v.l;
        break;
      case kTypeLong:
        c.type = kTypeLong;
        c.l = v.l;
        break;
      default:
        c.type = kTypeDouble;
        c.d = a.b == kTypeDouble ? v.d : (double)v.l;
        break;
    }
  }
}


// A result cell keeps the declared type; anything else converts as an assignment would.
void ConvertResult(const ValueCell& res, unsigned char t, Reg& out) {
  ValueCellVar c;
  c.c.copyFrom(res);
  CellConvert(c.c, t);
  CellToReg(c.c, t, out);
}

// The function's result cell into register out, as type t.
inline void TakeResult(const ValueCell& res, unsigned char t, Reg& out) {
  if (res.type == t)
    CellToReg(res, t, out);
  else
    ConvertResult(res, t, out);
}

// A frame of plain empty cells made from the template and taken off the stack again: no
// per-cell set-up, and no clearing when every cell is a number.
struct LeanFrame {
  StackFrame& f;
  ValueCell* cells;
  int n;
  bool clear;
  ValueStack::Mark mark;
  ~LeanFrame() {
    if (g_execHookFlags) FrameLeftHook(f);
    g_frameTop = f.caller;
    --g_frameDepth;
    if (clear)
      for (int i = 0; i < n; ++i) cells[i].clear();
    ValueStack::release(mark);
  }
};

// The body, as RunProcBody runs it: the typed code straight away when it is made.
inline void RunBody(ProcCode* code, StackFrame& f) {
  RegCode* typed = code->typed();
  if (!typed || typed == RegCode::none() || !code->outer()) {
    RunProcBody(code, f);
    return;
  }
  RunAnnotated(f, [typed, &f] { typed->execLoop(f); });
}

// A callee whose frame needs more than copies of its template (arrays, statics, strings).
__attribute__((noinline)) void CallWithScope(StackFrame& caller, StackFrame& f, ProcCode* code,
                                             const RegCode::Instr* p, Reg* r) {
  const RegCode::Instr& in = p[0];
  FrameScope scope(f, *code, FrameScope::kEnterLater);
  PassArguments(caller, f, p + 2, in.a, r);
  scope.enter();
  RunProcBody(code, f);
  TakeResult(*f.vars[code->resultSlot()], in.b, r[in.d]);
}

}  // namespace

bool RegCallRun(StackFrame& caller, const RegCode::Instr* p, Reg* r) {
  const RegCode::Instr& in = p[0];
  const RegCode::Instr* args = p + 2;
  const int n = in.a;
  InterObjRep* me = caller.me;
  if (!me || g_execHookFlags) return false;  // the debugger sees calls through the general path
  InterFuncField* fn = InstrPtr<InterFuncField>(in);
  Sid& s = *static_cast<Sid*>(InstrPtr<Cid>(p[1])->head());
  // The binding holds while no signature changed and the name still finds it on this
  // object (the name's cache answers without a look-up then).
  if ((uint32_t)in.slot != g_generation || s.memberObj != me || s.memberGen != g_generation ||
      s.memberField != fn) {
    Field* field = CachedField(s, me);
    if (field != fn || (uint32_t)in.slot != g_generation) {
      // A signature changed since the call was checked: bind again when it still fits.
      InterFuncField* now = CachedFunction(field, s);
      if (!now || !Fits(now, args, n, in.b)) return false;
      RegCode::Instr& w = const_cast<RegCode::Instr&>(in);
      SetInstrPtr(w, now);
      w.slot = (int32_t)g_generation;
      fn = now;
    }
  }
  ProcCode* code = fn->procCode();
  if (!code->linked() || fn->parmCount() != n) return false;
  for (int i = 0; i < n; ++i)
    if (args[i].d == CARG_ALIAS && caller.vars[args[i].slot]->type != (unsigned char)args[i].k.l) return false;

  // Every field set here in turn: a default-made frame is cleared first as a whole, with
  // a string instruction slow to start.
  alignas(StackFrame) unsigned char raw[sizeof(StackFrame)];
  StackFrame& f = *reinterpret_cast<StackFrame*>(raw);
  f.kind = FRM_FUNCTION;
  f.me = me;  // the caller's own object: the caller keeps it
  f.proc = fn;
  f.procName = fn->name();
  f.code = code;
  f.result = nullptr;
  f.with = nullptr;
  f.line = 0;
  f.firstLine = 0;
  f.pending = nullptr;
  const ValueCell* tmpl = code->frameTemplate();
  if (!tmpl) {
    f.caller = nullptr;
    f.vars = nullptr;
    CallWithScope(caller, f, code, p, r);
    return true;
  }
  if (g_frameDepth >= kMaxCallDepth || StackLow()) ThrowCallsTooDeep();
  const int ns = code->slotCount();
  const ValueStack::Mark mark = ValueStack::mark();
  ValueCell* cells = static_cast<ValueCell*>(ValueStack::take((size_t)ns * (sizeof(ValueCell) + sizeof(ValueCell*))));
  ValueCell** vars = reinterpret_cast<ValueCell**>(cells + ns);
  for (int i = 0; i < ns; ++i) {
    cells[i] = tmpl[i];  // plain empty values: copies of the bytes
    vars[i] = &cells[i];
  }
  f.vars = vars;
  PassArguments(caller, f, args, n, r);
  f.caller = g_frameTop;
  g_frameTop = &f;
  ++g_frameDepth;
  LeanFrame lean{f, cells, ns, !code->numericFrame(), mark};
  RunBody(code, f);
  TakeResult(*f.vars[code->resultSlot()], in.b, r[in.d]);
  return true;
}

// --- replay ------------------------------------------------------------------------------

CallReplay::CallReplay(StackFrame& frame, const RegCode::Instr* from, const RegCode::Instr* to, const Reg* r)
    : frame_(&frame) {
  for (const RegCode::Instr* p = from; p < to; ++p) {
    if (p->op != OP_CALL) continue;
    if (n_ < kMaxCalls) {
      Memo& m = memo_[n_++];
      m.site = InstrPtr<Cid>(p[1]);
      m.value = r[p->d];
      m.type = p->b;
      m.taken = false;
    }
    p += p->a + 1;
  }
  if (n_ == 0) return;
  prev_ = g_callReplay;
  g_callReplay = this;
  active_ = true;
}

CallReplay::~CallReplay() {
  if (active_) g_callReplay = prev_;
}

bool CallReplay::take(StackFrame& frame, const Cid* site, ValueCell& out) {
  CallReplay* c = g_callReplay;
  if (!c || c->frame_ != &frame) return false;
  for (int i = 0; i < c->n_; ++i) {
    Memo& m = c->memo_[i];
    if (m.site != site || m.taken) continue;
    m.taken = true;
    if (m.type == kTypeDouble)
      out.setDouble(m.value.d);
    else if (m.type == kTypeLong)
      out.setLong(m.value.l);
    else
      out.setShort((int16_t)m.value.l);
    return true;
  }
  return false;
}

bool CallReplayTake(StackFrame& frame, const Cid* site, ValueCell& out) {
  return CallReplay::take(frame, site, out);
}
