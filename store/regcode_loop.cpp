// The loop compiler: a numeric For loop or a Do loop, with everything in its body, into
// one piece of typed register code. Assignments and conditions over typed values compile
// to typed instructions, nested loops and Ifs to jumps; any other statement runs as its
// tree from the code (an EXEC unit). Every statement still starts with its line, the poll
// and the statement hook, so the debugger sees the same statements as with the trees.
#include <typeinfo>

#include "regcompiler.h"
#include "store/block.h"
#include "store/execctrl.h"

class LoopCompiler {
 public:
  LoopCompiler(StackFrame& frame, RegCode& code) : rc_(frame, code), code_(code) {}

  // Compiles the loop n (or with n null the block b) as the whole code; false when that
  // is not worth it.
  bool root(ExecNode* n, BlockRep* b = nullptr) {
    bool ok = false;
    if (!n)
      block(b), ok = true;
    else if (typeid(*n) == typeid(ForNext))
      ok = forLoop(static_cast<ForNext*>(n));
    else if (typeid(*n) == typeid(DoLoop))
      ok = doLoop(static_cast<DoLoop*>(n));
    if (!ok || typed_ == 0) return false;
    emit(OP_RET);
    for (RegCode::Instr& in : code_.code_) switch (in.op) {
        case OP_JMP:
        case OP_JF:
        case OP_JT:
        case OP_JFD:
        case OP_JTD:
        case OP_FORTEST:
        case OP_FORNEXT:
          in.slot = labels_[(size_t)in.slot];
          break;
        default:
          break;
      }
    for (RegCode::Unit& u : code_.units_) {
      u.next = at(u.next);
      u.jump = at(u.jump);
      u.exitFor = at(u.exitFor);
      u.exitDo = at(u.exitDo);
      u.exitLoop = at(u.exitLoop);
    }
    code_.code_.shrink_to_fit();
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

  // An expression into a register (from the current base); false: not typed (nothing emitted).
  bool value(ExprNode* e, int& reg, unsigned char& type) {
    const size_t from = code_.code_.size(), members = code_.members_.size();
    rc_.setRegBase(base_);
    if (rc_.expr(e, reg, type)) return true;
    code_.code_.resize(from);
    code_.members_.resize(members);
    return false;
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
    if (t == typeid(Assignment))
      done = assign(static_cast<Assignment*>(n));
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
    int slot = -1;
    MemberRef m{};
    unsigned char tt = localType(a->target(), slot);
    if (!tt) {
      if (!RegCode::memberTarget(rc_.frame(), a->target(), m)) return false;
      tt = m.type;
    }
    const size_t from = code_.code_.size();
    int reg;
    unsigned char t;
    if (!value(a->value(), reg, t)) return false;
    if (tt == kTypeDouble && t != kTypeDouble) {
      const int d = rc_.newReg();
      if (d < 0) return false;
      emit(OP_CVD, d, reg);
      reg = d;
      t = kTypeDouble;
    } else if (tt != kTypeDouble && t == kTypeDouble) {
      return false;  // rounding: the tree's rules
    }
    code_.foldRange(from, reg);
    if (slot >= 0) {
      emit(tt == kTypeShort ? OP_STS : tt == kTypeLong ? OP_STL : OP_STD, 0, reg, 0, slot);
    } else {
      code_.members_.push_back(m);
      emit(OP_STM, 0, reg, t, (int32_t)code_.members_.size() - 1);
    }
    ++typed_;
    return true;
  }

  // Goes to label jump when cond's truth is jumpWhen.
  void cond(ExprNode* e, int jump, bool jumpWhen, int line) {
    const int u = newUnit(RegCode::UNIT_COND, line, nullptr);
    unit(u).cond = e;
    unit(u).jumpWhen = jumpWhen ? 1 : 0;
    unit(u).jump = jump;
    const int next = newLabel();
    unit(u).next = next;
    emit(OP_UNIT, 0, 0, 0, u);
    const size_t from = code_.code_.size();
    int reg;
    unsigned char t;
    if (value(e, reg, t)) {
      code_.foldRange(from, reg);
      if (t == kTypeDouble)
        emit(jumpWhen ? OP_JTD : OP_JFD, 0, reg, 0, jump);
      else
        emit(jumpWhen ? OP_JT : OP_JF, 0, reg, 0, jump);
      ++typed_;
    } else {
      emit(OP_FAIL);  // the tree decides every time
    }
    bind(next);
  }

  bool simpleIf(SimpleIfThen* n) {
    const int other = newLabel(), end = newLabel();
    cond(n->cond(), other, false, 0);
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
      cond(c->cond(), next, false, i ? c->line() : 0);
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
    const int R = base_;
    if (R + 8 > RegCode::kMaxRegs) return false;
    const int u = newUnit(RegCode::UNIT_FORHEAD, 0, f);
    unit(u).reg = (unsigned char)R;
    unit(u).type = t;
    emit(OP_UNIT, 0, 0, 0, u);
    const int saved = base_;
    base_ = R + 2;
    int rs, re, rst;
    unsigned char ts, te, tst;
    auto fits = [&](unsigned char x) { return x == kTypeShort || (x == kTypeLong && t == kTypeLong); };
    if (!value(f->start(), rs, ts) || !fits(ts)) return base_ = saved, false;
    base_ = rs + 1;
    if (!value(f->end(), re, te) || !fits(te)) return base_ = saved, false;
    base_ = re + 1;
    if (f->step()) {
      if (!value(f->step(), rst, tst) || !fits(tst)) return base_ = saved, false;
    } else {
      rst = base_;
      emit(OP_K, rst, 0, 0, 0, 1);
    }
    base_ = R + 2;
    emit(OP_MOV, R, re);
    emit(OP_MOV, R + 1, rst);
    emit(OP_FORINIT, 0, rs, t, 0, slot);
    const int test = newLabel(), body = newLabel(), end = newLabel();
    unit(u).next = test;
    bind(test);
    emit(OP_FORTEST, 0, R, t, end, slot);
    bind(body);
    loops_.push_back(Loop{true, end});
    block(f->body());
    loops_.pop_back();
    if (!f->body() || f->body()->nodeCount() == 0) emit(OP_POLL);
    emit(OP_LINE, 0, 0, 0, f->line());
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
    if (kind == LOOP_WHILE || kind == LOOP_WEND) cond(d->cond(), end, false, 0);
    if (kind == LOOP_UNTIL) cond(d->cond(), end, true, 0);
    loops_.push_back(Loop{false, end});
    block(d->body());
    loops_.pop_back();
    if (!d->body() || d->body()->nodeCount() == 0) emit(OP_POLL);
    emit(OP_LINE, 0, 0, 0, d->line());
    if (kind == LOOP_WHILE_AFTER) cond(d->cond(), end, false, 0);
    if (kind == LOOP_UNTIL_AFTER) cond(d->cond(), end, true, 0);
    emit(OP_JMP, 0, 0, 0, top);
    bind(end);
    return true;
  }

  RegCompiler rc_;
  RegCode& code_;
  std::vector<int32_t> labels_;
  std::vector<Loop> loops_;
  int base_ = 0;
  int typed_ = 0;
};

RegCode* RegCode::compileLoop(StackFrame& frame, ExecNode* loop) {
  if (!frame.code || !loop) return none();
  RegCode* code = new RegCode;
  try {
    LoopCompiler c(frame, *code);
    if (c.root(loop)) return code;
  } catch (...) {
  }
  delete code;
  return none();
}

RegCode* RegCode::compileBlock(StackFrame& frame, BlockRep* block) {
  if (!frame.code || !block) return none();
  RegCode* code = new RegCode;
  try {
    LoopCompiler c(frame, *code);
    if (c.root(nullptr, block)) return code;
  } catch (...) {
  }
  delete code;
  return none();
}
