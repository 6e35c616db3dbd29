// The loop compiler: a numeric For loop or a Do loop, with everything in its body, into
// one piece of typed register code. Assignments and conditions over typed values compile
// to typed instructions, nested loops and Ifs to jumps; any other statement runs as its
// tree from the code (an EXEC unit). The locals the code uses are held in registers, and
// the code is made in two forms (see regcode.h): the fast one, and the stepping one whose
// statements each start with their line, the poll and the statement hook, so that the
// debugger sees the same statements as with the trees.
#include <typeinfo>

#include "regcompiler.h"
#include "store/block.h"
#include "store/execctrl.h"

class LoopCompiler {
 public:
  LoopCompiler(StackFrame& frame, RegCode& code, bool hold) : rc_(frame, code), code_(code) {
    if (hold) rc_.holdLocals();
  }

  // Compiles the loop n (or with n null the block b) as the whole code; false when that
  // is not worth it (force: when it can be done at all).
  bool root(ExecNode* n, BlockRep* b, bool force) {
    bool ok = false;
    if (!n)
      block(b), ok = true;
    else if (typeid(*n) == typeid(ForNext))
      ok = forLoop(static_cast<ForNext*>(n));
    else if (typeid(*n) == typeid(DoLoop))
      ok = doLoop(static_cast<DoLoop*>(n));
    if (!ok || (typed_ == 0 && !force)) return false;
    emit(OP_RET);
    finish();
    return true;
  }

 private:
  struct Loop {
    bool isFor;
    int end;  // label
  };

  int32_t at(int32_t label) const { return label < 0 ? -1 : labels_[(size_t)label]; }
  int newLabel() {
    labels_.push_back(-1);
    return (int)labels_.size() - 1;
  }
  void bind(int label) { labels_[(size_t)label] = (int32_t)code_.code_.size(); }
  void emit(unsigned char op, int d = 0, int a = 0, int b = 0, int32_t slot = 0, int32_t k = 0) {
    code_.code_.push_back(MakeInstr(op, d, a, b, slot, k));
  }
  int newUnit(unsigned char kind, int line, ExecNode* node) {
    RegCode::Unit u;
    u.kind = kind;
    u.line = line;
    u.node = node;
    for (auto it = loops_.rbegin(); it != loops_.rend(); ++it) {
      if (u.exitLoop < 0) u.exitLoop = it->end;
      if (it->isFor && u.exitFor < 0) u.exitFor = it->end;
      if (!it->isFor && u.exitDo < 0) u.exitDo = it->end;
    }
    code_.units_.push_back(u);
    return (int)code_.units_.size() - 1;
  }
  RegCode::Unit& unit(int u) { return code_.units_[(size_t)u]; }
  // The instructions after it belong to unit u (their failures run it, their errors
  // have its line).
  void enter(int u) { emit(OP_UNIT, 0, 0, 0, u); }

  // The type of a local that loop code can keep (0: none).
  unsigned char localType(ExprNode* e, int& slot) {
    if (e->type() != EXPR_SID) return 0;
    Sid* s = static_cast<Sid*>(e);
    ProcCode* pc = rc_.frame().code;
    if (s->bind != BIND_SLOT || !pc || s->slot < 0 || s->slot >= pc->slotCount()) return 0;
    slot = s->slot;
    const unsigned char t = pc->slot(s->slot).type;
    return IsRegType(t) ? t : 0;
  }

  // An expression into a register (fresh: temporaries from the current base, else after
  // those in use); false: not typed (nothing emitted).
  bool value(ExprNode* e, int& reg, unsigned char& type, bool fresh = true) {
    const size_t from = code_.code_.size(), members = code_.members_.size();
    if (fresh) rc_.setRegBase(base_);
    if (rc_.expr(e, reg, type)) return true;
    code_.code_.resize(from);
    code_.members_.resize(members);
    return false;
  }

  static bool WritesD(unsigned char op) {
    return (op >= OP_LDS && op <= OP_NEGD) || op == OP_MOV || op == OP_MOVS || (op >= OP_LDAS && op <= OP_LDAD);
  }

  void block(BlockRep* b) {
    if (!b) return;
    for (size_t i = 0; i < b->nodeCount(); ++i) stmt(b->node(i));
  }

  void stmt(ExecNode* n) {
    const int u = newUnit(RegCode::UNIT_STMT, n->line(), n);
    emit(OP_STMT, 0, 0, 0, u);
    const int after = newLabel();
    unit(u).next = after;
    const size_t from = code_.code_.size(), members = code_.members_.size(), units = code_.units_.size();
    const std::type_info& t = typeid(*n);
    bool done = false;
    if (t == typeid(Assignment)) {
      done = assign(static_cast<Assignment*>(n));
      if (!done) {  // a String local's (regcode_string.cpp)
        code_.code_.resize(from);
        code_.members_.resize(members);
        rc_.setRegBase(base_);
        if ((done = rc_.stringAssign(static_cast<Assignment*>(n)))) ++typed_;
      }
    }
    else if (t == typeid(SimpleIfThen))
      done = simpleIf(static_cast<SimpleIfThen*>(n));
    else if (t == typeid(ComplexIfThen))
      done = complexIf(static_cast<ComplexIfThen*>(n));
    else if (t == typeid(ForNext))
      done = forLoop(static_cast<ForNext*>(n));
    else if (t == typeid(DoLoop))
      done = doLoop(static_cast<DoLoop*>(n));
    if (!done) {
      code_.code_.resize(from);
      code_.members_.resize(members);
      code_.units_.resize(units);
      emit(OP_EXEC);
    }
    bind(after);
  }

  bool assign(Assignment* a) {
    if (a->kind() > ASSIGN_LET) return false;
    const size_t from = code_.code_.size();
    rc_.setRegBase(base_);
    int slot = -1, held = -1, cache = -1, index = -1;
    MemberRef m{};
    InterObjRep* mobj = nullptr;
    Field* mfield = nullptr;
    unsigned char tt = localType(a->target(), slot);
    if (tt) {
      held = rc_.held(slot);
    } else if (rc_.elementTarget(a->target(), cache, index, tt)) {
      // a(i) = value: the index first, then the value after it
    } else if (RegCode::memberTarget(rc_.frame(), a->target(), m, &mobj, &mfield)) {
      tt = m.type;
      held = rc_.heldMember(m, mobj, mfield);  // written as a held local is
    } else {
      return false;
    }
    int reg;
    unsigned char t;
    if (!value(a->value(), reg, t, cache < 0)) return false;
    if (tt != kTypeDouble && t == kTypeDouble) return false;  // rounding: the tree's rules
    if (held >= 0) {
      if (tt == kTypeDouble && t != kTypeDouble)
        emit(OP_CVD, held, reg);
      else
        emit(tt == kTypeShort && t == kTypeLong ? OP_MOVS : OP_MOV, held, reg);
      rc_.fold(from, -1);
      // The value's last instruction writes the local itself (it reads its operands first
      // and writes nothing when it fails).
      std::vector<RegCode::Instr>& code = code_.code_;
      const size_t n = code.size();
      if (code[n - 1].op == OP_MOV && n >= from + 2 && code[n - 1].a != held && code[n - 2].d == code[n - 1].a &&
          WritesD(code[n - 2].op) && isTemp(code[n - 1].a)) {
        code[n - 2].d = (unsigned char)held;
        code.pop_back();
      }
    } else {
      if (tt == kTypeDouble && t != kTypeDouble) {
        const int d = rc_.newReg();
        if (d < 0) return false;
        emit(OP_CVD, d, reg);
        reg = d;
        t = kTypeDouble;
      }
      if (cache >= 0)
        emit(tt == kTypeShort ? OP_STAS : tt == kTypeLong ? OP_STAL : OP_STAD, 0, index, reg, cache);
      else if (slot >= 0)
        emit(tt == kTypeShort ? OP_STS : tt == kTypeLong ? OP_STL : OP_STD, 0, reg, 0, slot);
      else {
        code_.members_.push_back(m);
        emit(OP_STM, 0, reg, t, (int32_t)code_.members_.size() - 1);
      }
      rc_.fold(from, -1);
    }
    ++typed_;
    return true;
  }

  // A temporary register (not a held local's or a constant's).
  bool isTemp(int reg) const {
    for (const RegCode::Held& h : code_.held_)
      if (h.reg == reg) return false;
    for (const RegCode::Held& h : code_.arrays_)
      if (h.reg == reg || h.reg + 1 == reg) return false;
    for (const RegCode::PoolEntry& e : code_.pool_)
      if (e.reg == reg) return false;
    for (const RegCode::HeldMember& h : code_.heldMembers_)
      if (h.reg == reg) return false;
    return true;
  }

  // The detached twin of a form: what touches a held member's register fails instead
  // (an OP_CALL keeps its place and data, marked: the replay must still see it).
  std::vector<RegCode::Instr> detach(const std::vector<RegCode::Instr>& form) const {
    bool member[RegCode::kMaxRegs] = {};
    for (const RegCode::HeldMember& h : code_.heldMembers_) member[h.reg] = true;
    std::vector<RegCode::Instr> out = form;
    for (size_t i = 0; i < out.size(); ++i) {
      RegCode::Instr& in = out[i];
      if (in.op == OP_CALL) {
        const size_t n = (size_t)in.a;
        bool reads = false;
        for (size_t k = i + 2; k < i + 2 + n && k < out.size(); ++k) reads = reads || member[out[k].a];
        in.w = reads ? 1 : 0;
        i += n + 1;
        continue;
      }
      if (in.op == OP_STRFN || in.op == OP_SSTORE) {
        // Its integer arguments are in its data (OP_SREG): the whole instruction fails
        // when one of them is a held member's register.
        const size_t n = (size_t)in.a;
        bool reads = false;
        for (size_t k = i + 1; k < i + 1 + n && k < out.size(); ++k)
          reads = reads || (out[k].op == OP_SREG && member[out[k].a]);
        if (reads) in = MakeInstr(OP_FAIL, 0, 0, 0, 0);
        i += n;
        continue;
      }
      const bool d = WritesD(in.op) || in.op == OP_FORTESTR || in.op == OP_FORNEXTR;
      if ((d && member[in.d]) || (ReadsA(in.op) && member[in.a]) || (ReadsB(in.op) && member[in.b])) {
        in = MakeInstr(OP_FAIL, 0, 0, 0, 0);
      }
    }
    return out;
  }

  // Goes to label jump when cond's truth is jumpWhen (line: the statement's, for errors).
  void cond(ExprNode* e, int jump, bool jumpWhen, int line) {
    const int u = newUnit(RegCode::UNIT_COND, line, nullptr);
    unit(u).cond = e;
    unit(u).jumpWhen = jumpWhen ? 1 : 0;
    unit(u).jump = jump;
    const int next = newLabel();
    unit(u).next = next;
    enter(u);
    const size_t from = code_.code_.size();
    int reg;
    unsigned char t;
    if (value(e, reg, t)) {
      if (t == kTypeDouble)
        emit(jumpWhen ? OP_JTD : OP_JFD, 0, reg, 0, jump);
      else
        emit(jumpWhen ? OP_JT : OP_JF, 0, reg, 0, jump);
      rc_.fold(from, -1);
      // An integer comparison and its jump make one instruction.
      std::vector<RegCode::Instr>& code = code_.code_;
      const size_t n = code.size();
      if (n >= from + 2 && (code[n - 1].op == OP_JT || code[n - 1].op == OP_JF) && code[n - 2].op >= OP_EQL &&
          code[n - 2].op <= OP_LEL && code[n - 2].d == code[n - 1].a && isTemp(code[n - 1].a)) {
        static const unsigned char kNot[] = {1, 0, 5, 4, 3, 2};  // = <>, > <=, < >=
        int cc = code[n - 2].op - OP_EQL;
        if (code[n - 1].op == OP_JF) cc = kNot[cc];
        RegCode::Instr& in = code[n - 2];
        in.op = (unsigned char)(OP_JEQL + cc);
        in.d = 0;
        in.slot = code[n - 1].slot;
        code.pop_back();
      }
      ++typed_;
    } else {
      emit(OP_FAIL);  // the tree decides every time
    }
    bind(next);
  }

  bool simpleIf(SimpleIfThen* n) {
    const int other = newLabel(), end = newLabel();
    cond(n->cond(), other, false, n->line());
    block(n->thenRep());
    emit(OP_JMP, 0, 0, 0, end);
    bind(other);
    block(n->elseRep());
    bind(end);
    return true;
  }

  bool complexIf(ComplexIfThen* n) {
    const int end = newLabel();
    for (size_t i = 0; i < n->clauseCount(); ++i) {
      IfClause* c = n->clause(i);
      const int next = newLabel();
      cond(c->cond(), next, false, i ? c->line() : n->line());
      block(c->rep());
      emit(OP_JMP, 0, 0, 0, end);
      bind(next);
    }
    block(n->elseRep());
    bind(end);
    return true;
  }

  // A numeric For over an Integer or Long local whose start, end and step are typed
  // integers that need no conversion.
  bool forLoop(ForNext* f) {
    if (f->loopType() != FOR_NUMERIC) return false;
    int slot = -1;
    const unsigned char t = localType(f->var(), slot);
    if (t != kTypeLong && t != kTypeShort) return false;
    // The end and step registers, kept for the whole loop.
    rc_.setRegBase(base_);
    const int R = rc_.newReg();
    if (R < 0 || rc_.newReg() < 0) return false;
    const int u = newUnit(RegCode::UNIT_FORHEAD, f->line(), f);
    unit(u).reg = (unsigned char)R;
    unit(u).type = t;
    enter(u);
    const size_t from = code_.code_.size();
    const int saved = base_;
    base_ = R + 2;
    int rs, re, rst;
    unsigned char ts, te, tst;
    auto fits = [&](unsigned char x) { return x == kTypeShort || (x == kTypeLong && t == kTypeLong); };
    if (!value(f->start(), rs, ts) || !fits(ts)) return base_ = saved, false;
    if (!value(f->end(), re, te, false) || !fits(te)) return base_ = saved, false;
    if (f->step()) {
      if (!value(f->step(), rst, tst, false) || !fits(tst)) return base_ = saved, false;
    } else {
      rst = rc_.newReg();
      if (rst < 0) return base_ = saved, false;
      emit(OP_K, rst, 0, 0, 0, 1);
    }
    const int V = rc_.held(slot);
    emit(OP_MOV, R, re);
    emit(OP_MOV, R + 1, rst);
    if (V >= 0)
      emit(OP_MOV, V, rs);
    else
      emit(OP_FORINIT, 0, rs, t, 0, slot);
    rc_.fold(from, -1);
    const int test = newLabel(), body = newLabel(), end = newLabel();
    unit(u).next = test;
    bind(test);
    if (V >= 0)
      emit(OP_FORTESTR, V, R, t, end);
    else
      emit(OP_FORTEST, 0, R, t, end, slot);
    bind(body);
    loops_.push_back(Loop{true, end});
    block(f->body());
    loops_.pop_back();
    enter(newUnit(RegCode::UNIT_LOOP, f->line(), f));
    if (V >= 0)
      emit(OP_FORNEXTR, V, R, t, body);
    else
      emit(OP_FORNEXT, 0, R, t, body, slot);
    bind(end);
    base_ = saved;
    ++typed_;
    return true;
  }

  bool doLoop(DoLoop* d) {
    const int top = newLabel(), end = newLabel();
    bind(top);
    const int kind = d->kind();
    if (kind == LOOP_WHILE || kind == LOOP_WEND) cond(d->cond(), end, false, d->line());
    if (kind == LOOP_UNTIL) cond(d->cond(), end, true, d->line());
    loops_.push_back(Loop{false, end});
    block(d->body());
    loops_.pop_back();
    if (kind == LOOP_WHILE_AFTER) cond(d->cond(), end, false, d->line());
    if (kind == LOOP_UNTIL_AFTER) cond(d->cond(), end, true, d->line());
    enter(newUnit(RegCode::UNIT_LOOP, d->line(), d));
    emit(OP_JMPB, 0, 0, 0, top);
    bind(end);
    return true;
  }

  // Labels become positions, and the two forms are made from the compiled code: the fast
  // one without the statement and unit marks, the stepping one with the statement marks.
  void finish() {
    std::vector<RegCode::Instr>& raw = code_.code_;
    for (RegCode::Instr& in : raw)
      if (IsJump(in.op)) in.slot = labels_[(size_t)in.slot];
    for (RegCode::Unit& u : code_.units_) {
      u.next = at(u.next);
      u.jump = at(u.jump);
      u.exitFor = at(u.exitFor);
      u.exitDo = at(u.exitDo);
      u.exitLoop = at(u.exitLoop);
    }
    // A backward jump counts the statements of one pass towards the next poll.
    for (size_t i = 0; i < raw.size(); ++i) {
      if (!IsBackJump(raw[i].op)) continue;
      int n = 0;
      for (size_t j = (size_t)raw[i].slot; j < i; ++j)
        if (raw[j].op == OP_STMT) ++n;
      raw[i].w = (unsigned char)(n < 1 ? 1 : n > 255 ? 255 : n);
    }
    auto kept = [](unsigned char op, int form) { return op != OP_UNIT && (op != OP_STMT || form == 1); };
    for (int form = 0; form < 2; ++form) {
      std::vector<int32_t>& to = code_.rawTo_[form];
      to.assign(raw.size() + 1, 0);
      int32_t pc = 0;
      for (size_t i = 0; i < raw.size(); ++i) {
        to[i] = pc;
        if (kept(raw[i].op, form)) ++pc;
      }
      to[raw.size()] = pc;
    }
    std::vector<RegCode::Instr> forms[2];
    for (int form = 0; form < 2; ++form) {
      int32_t cur = 0;
      for (size_t i = 0; i < raw.size(); ++i) {
        RegCode::Instr in = raw[i];
        if (in.op == OP_STMT || in.op == OP_UNIT) cur = in.slot;
        if (!kept(in.op, form)) continue;
        int32_t alt = -1;
        if (IsJump(in.op)) {
          alt = code_.rawTo_[1 - form][(size_t)in.slot];
          in.slot = code_.rawTo_[form][(size_t)in.slot];
        } else if (in.op == OP_STMT) {
          alt = code_.rawTo_[0][i];
        }
        forms[form].push_back(in);
        code_.unitAt_[form].push_back(cur);
        code_.alt_[form].push_back(alt);
      }
    }
    code_.code_.swap(forms[0]);
    code_.step_.swap(forms[1]);
    if (!code_.heldMembers_.empty()) {
      code_.detached_[0] = detach(code_.code_);
      code_.detached_[1] = detach(code_.step_);
    }
  }

  RegCompiler rc_;
  RegCode& code_;
  std::vector<int32_t> labels_;
  std::vector<Loop> loops_;
  int base_ = 0;
  int typed_ = 0;
};

RegCode* RegCode::compileRoot(StackFrame& frame, ExecNode* node, BlockRep* block, bool hold, bool force) {
  if (!frame.code || (!node && !block)) return none();
  RegCode* code = new RegCode;
  try {
    LoopCompiler c(frame, *code, hold);
    if (c.root(node, block, force)) {
      code->rootNode_ = node;
      code->rootBlock_ = block;
      return code;
    }
  } catch (...) {
  }
  delete code;
  return none();
}

RegCode* RegCode::compileLoop(StackFrame& frame, ExecNode* loop) {
  if (!loop) return none();
  return compileRoot(frame, loop, nullptr, true, false);
}

RegCode* RegCode::compileBlock(StackFrame& frame, BlockRep* block) {
  if (!block) return none();
  return compileRoot(frame, nullptr, block, true, false);
}
