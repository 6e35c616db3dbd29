// Compound statements: If, Select Case, loops, Try/Catch, With.
#include "store/execctrl.h"

#include <new>
#include <strings.h>

#include "interp.h"
#include "regcode.h"
#include "store/basicexcept.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/value.h"

namespace {

int MinLine(int a, int b) { return a < 0 ? b : (b < 0 ? a : (a < b ? a : b)); }

int BlockLine(const BlockRep* b, int line) { return b ? b->lineAtOrAfter(line) : -1; }

// Restores the frame's With object when a block is left.
struct WithRestore {
  StackFrame& f;
  ValueCell* saved;
  ~WithRestore() { f.with = saved; }
};

}  // namespace

// --- If ---------------------------------------------------------------------------------------

IfClause::IfClause(ExprNode* cond, int line, int block) : cond_(cond), line_(line), block_(block) {}
IfClause::~IfClause() {
  delete cond_;
  RegCode::reset(typed_);
}
void* IfClause::operator new(size_t size) { return ::operator new(size); }
void IfClause::operator delete(void* p) { ::operator delete(p); }

ComplexIfThen::ComplexIfThen(int headLine, int elseLine, int elseBlock, PtrList<IfClause>& clauses)
    : ExecNode(headLine), elseLine_(elseLine), elseBlock_(elseBlock) {
  clauses_.appendAll(clauses);
}

ComplexIfThen::~ComplexIfThen() {}

void ComplexIfThen::link(LinkScope& scope) {
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    IfClause* c = clauses_.at(i);
    c->cond_->link(scope);
    RegCode::reset(c->typed_);
    c->rep_ = scope.block(c->block_);
    if (c->rep_) c->rep_->link(scope);
  }
  else_ = scope.block(elseBlock_);
  if (else_) else_->link(scope);
}

int ComplexIfThen::exec(StackFrame& frame) {
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    IfClause* c = clauses_.at(i);
    if (i) frame.line = c->line_;
    if (TypedTest(frame, c->cond_, c->typed_)) return c->rep_ ? c->rep_->exec(frame) : EXEC_NEXT;
  }
  return else_ ? else_->exec(frame) : EXEC_NEXT;
}

int ComplexIfThen::lineAtOrAfter(int line) const {
  int best = ExecNode::lineAtOrAfter(line);
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    IfClause* c = clauses_.at(i);
    if (c->line_ >= line) best = MinLine(best, c->line_);
    best = MinLine(best, BlockLine(c->rep_, line));
  }
  return MinLine(best, BlockLine(else_, line));
}

SimpleIfThen::SimpleIfThen(int line, ExprNode* cond, int thenBlock, int elseBlock)
    : ExecNode(line), cond_(cond), thenNo_(thenBlock), elseNo_(elseBlock) {}
SimpleIfThen::~SimpleIfThen() {
  delete cond_;
  RegCode::reset(typed_);
}

void SimpleIfThen::link(LinkScope& scope) {
  cond_->link(scope);
  RegCode::reset(typed_);
  then_ = scope.block(thenNo_);
  if (then_) then_->link(scope);
  else_ = scope.block(elseNo_);
  if (else_) else_->link(scope);
}

int SimpleIfThen::exec(StackFrame& frame) {
  BlockRep* b = TypedTest(frame, cond_, typed_) ? then_ : else_;
  return b ? b->exec(frame) : EXEC_NEXT;
}

int SimpleIfThen::lineAtOrAfter(int line) const { return ExecNode::lineAtOrAfter(line); }

// --- Select Case -------------------------------------------------------------------------------

SelectCase::SelectCase(int headLine, int endLine, ExprNode* selector, PtrList<ECaseClauseBase>& clauses,
                       int elseBlock, int elseLine)
    : ExecNode(headLine), endLine_(endLine), selector_(selector), elseNo_(elseBlock), elseLine_(elseLine) {
  clauses_.appendAll(clauses);
}

SelectCase::~SelectCase() { delete selector_; }

void SelectCase::link(LinkScope& scope) {
  selector_->link(scope);
  blocks_.assign(clauses_.entries(), nullptr);
  BlockRep* current = nullptr;
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    ECaseClauseBase* c = clauses_.at(i);
    if (c->expr1()) c->expr1()->link(scope);
    if (c->expr2()) c->expr2()->link(scope);
    if (!c->successive()) {
      current = scope.block(c->block());
      if (current) current->link(scope);
    }
    blocks_[i] = current;
  }
  else_ = scope.block(elseNo_);
  if (else_) else_->link(scope);
}

int SelectCase::exec(StackFrame& frame) {
  ValueCellVar sel;
  selector_->eval(frame, sel.c);
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    ECaseClauseBase* c = clauses_.at(i);
    if (!c->successive()) frame.line = c->line();
    ValueCellVar a;
    c->expr1()->eval(frame, a.c);
    int cmp = CellCompare(sel.c, a.c);
    bool hit = false;
    switch (c->test()) {
      case ECC_EQUAL:
      case ECC_IS_EQ:
        hit = cmp == 0;
        break;
      case ECC_RANGE: {
        ValueCellVar b;
        c->expr2()->eval(frame, b.c);
        hit = cmp >= 0 && CellCompare(sel.c, b.c) <= 0;
        break;
      }
      case ECC_IS_GT:
        hit = cmp > 0;
        break;
      case ECC_IS_LT:
        hit = cmp < 0;
        break;
      case ECC_IS_LE:
        hit = cmp <= 0;
        break;
      case ECC_IS_GE:
        hit = cmp >= 0;
        break;
      case ECC_IS_NE:
        hit = cmp != 0;
        break;
      default:
        break;
    }
    if (hit) return blocks_[i] ? blocks_[i]->exec(frame) : EXEC_NEXT;
  }
  if (else_) {
    frame.line = elseLine_;
    return else_->exec(frame);
  }
  return EXEC_NEXT;
}

int SelectCase::lineAtOrAfter(int line) const {
  int best = ExecNode::lineAtOrAfter(line);
  for (size_t i = 0; i < blocks_.size(); ++i) best = MinLine(best, BlockLine(blocks_[i], line));
  return MinLine(best, BlockLine(else_, line));
}

// --- Do loops ------------------------------------------------------------------------------------

DoLoop::DoLoop(int line, int kind, int block, ExprNode* cond)
    : ExecNode(line), kind_(kind), blockNo_(block), cond_(cond) {}
DoLoop::~DoLoop() {
  delete cond_;
  RegCode::reset(typed_);
  RegCode::reset(loop_);
}

void DoLoop::link(LinkScope& scope) {
  if (cond_) cond_->link(scope);
  RegCode::reset(typed_);
  RegCode::reset(loop_);
  body_ = scope.block(blockNo_);
  if (body_) body_->link(scope);
}

int DoLoop::exec(StackFrame& frame) {
  if (loop_ != RegCode::none()) {
    if (!loop_) loop_ = RegCode::compileLoop(frame, this);
    if (loop_ != RegCode::none()) return loop_->execLoop(frame);
  }
  const bool empty = !body_ || body_->nodeCount() == 0;
  for (;;) {
    switch (kind_) {
      case LOOP_WHILE:
      case LOOP_WEND:
        if (!TypedTest(frame, cond_, typed_)) return EXEC_NEXT;
        break;
      case LOOP_UNTIL:
        if (TypedTest(frame, cond_, typed_)) return EXEC_NEXT;
        break;
      default:
        break;
    }
    if (empty) {
      ExecPoll();
    } else {
      int r = body_->exec(frame);
      if (r == EXEC_EXIT_DO || r == EXEC_EXIT_LOOP) return EXEC_NEXT;
      if (r != EXEC_NEXT) return r;
    }
    frame.line = line();
    if (kind_ == LOOP_WHILE_AFTER && !TypedTest(frame, cond_, typed_)) return EXEC_NEXT;
    if (kind_ == LOOP_UNTIL_AFTER && TypedTest(frame, cond_, typed_)) return EXEC_NEXT;
  }
}

int DoLoop::lineAtOrAfter(int line) const {
  return MinLine(ExecNode::lineAtOrAfter(line), BlockLine(body_, line));
}

// --- For ---------------------------------------------------------------------------------------------

ForNext::ForNext(int line, int block, ExprNode* var, ExprNode* start, ExprNode* end, ExprNode* step,
                 int nextNamed, int loopType)
    : ExecNode(line),
      blockNo_(block),
      var_(var),
      start_(start),
      end_(end),
      step_(step),
      nextNamed_(nextNamed),
      loopType_(loopType) {}

ForNext::~ForNext() {
  delete var_;
  delete start_;
  delete end_;
  delete step_;
  RegCode::reset(loop_);
}

void ForNext::link(LinkScope& scope) {
  RegCode::reset(loop_);
  var_->link(scope);
  if (start_) start_->link(scope);
  if (end_) end_->link(scope);
  if (step_) step_->link(scope);
  body_ = scope.block(blockNo_);
  if (body_) body_->link(scope);
}

int ForNext::lineAtOrAfter(int line) const {
  return MinLine(ExecNode::lineAtOrAfter(line), BlockLine(body_, line));
}

int ForNext::exec(StackFrame& frame) {
  if (loopType_ == FOR_NUMERIC && loop_ != RegCode::none()) {
    if (!loop_) loop_ = RegCode::compileLoop(frame, this);
    if (loop_ != RegCode::none()) return loop_->execLoop(frame);
  }
  return loopType_ == FOR_NUMERIC ? execNumeric(frame) : execEach(frame);
}

namespace {

// Runs the body once; answers 1 to go on, 0 when the loop ends normally, or sets r to
// the code that leaves it.
inline int RunBody(StackFrame& frame, BlockRep* body, int& r) {
  if (!body || body->nodeCount() == 0) {
    ExecPoll();
    return 1;
  }
  r = body->exec(frame);
  if (r == EXEC_NEXT) return 1;
  if (r == EXEC_EXIT_FOR || r == EXEC_EXIT_LOOP) r = EXEC_NEXT;
  return 0;
}

}  // namespace

int ForNext::execNumeric(StackFrame& frame) {
  ValueCellVar start, end, step;
  start_->eval(frame, start.c);
  end_->eval(frame, end.c);
  if (step_)
    step_->eval(frame, step.c);
  else
    step.c.setShort(1);
  var_->assign(frame, start.c, 0);
  ValueCell* v = var_->ref(frame);
  ValueCellVar cur;
  if (!v) var_->eval(frame, cur.c);
  unsigned char t = v ? v->type : cur.c.type;
  if (!IsNumericType(t)) throw TypeMismatch("For");
  CellConvert(end.c, t);
  CellConvert(step.c, t);
  ValueCellVar zero;
  zero.c.setShort(0);
  const bool down = CellCompare(step.c, zero.c) < 0;
  int r = EXEC_NEXT;
  const int line0 = line();
  bool stepFirst = false;  // the general loop takes over after a body has run
  if (v && (t == kTypeLong || t == kTypeShort)) {
    // Integer loops: compare and step without the general arithmetic; the variable is
    // re-read each time, the body may change it.
    const int32_t e = t == kTypeLong ? end.c.l : end.c.s;
    const int32_t s = t == kTypeLong ? step.c.l : step.c.s;
    const int32_t lo = t == kTypeLong ? INT32_MIN : -32768, hi = t == kTypeLong ? INT32_MAX : 32767;
    for (;;) {
      if (v->type != t) break;  // the body stored something else: general path below
      int32_t x = t == kTypeLong ? v->l : v->s;
      if (down ? x < e : x > e) return EXEC_NEXT;
      if (!RunBody(frame, body_, r)) return r;
      frame.line = line0;
      if (v->type != t) {
        stepFirst = true;  // this pass's step is still due
        break;
      }
      x = t == kTypeLong ? v->l : v->s;
      int64_t nx = (int64_t)x + s;
      if (nx < lo || nx > hi) throw FPException(kMsgIntegerOverflow);
      if (t == kTypeLong)
        v->l = (int32_t)nx;
      else
        v->s = (int16_t)nx;
    }
  }
  for (;; stepFirst = true) {
    if (stepFirst) {
      if (v) {
        CellBinary(kNumAdd, cur.c, *v, step.c);
        CellStore(*v, cur.c);
      } else {
        var_->eval(frame, cur.c);
        CellBinary(kNumAdd, cur.c, cur.c, step.c);
        var_->assign(frame, cur.c, 0);
      }
    }
    if (v)
      cur.c.copyFrom(*v);
    else
      var_->eval(frame, cur.c);
    int c = CellCompare(cur.c, end.c);
    if (down ? c < 0 : c > 0) return EXEC_NEXT;
    if (!RunBody(frame, body_, r)) return r;
    frame.line = line0;
  }
}

int ForNext::execEach(StackFrame& frame) {
  ValueCellVar coll;
  end_ ? end_->eval(frame, coll.c) : start_->eval(frame, coll.c);
  int r = EXEC_NEXT;
  const int line0 = line();
  if (loopType_ == FOR_EACH_IN) {
    ArrayData* d = CellArray(coll.c);
    if (!d) throw StoreException("For Each ... In needs an array.");
    int32_t total = d->total();
    for (int32_t off = 0; off < total && off < d->total(); ++off) {
      ValueCellVar e;
      ArrayGet(d, off, e.c);
      var_->assign(frame, e.c, e.c.type == kTypeObject ? 2 : 0);
      if (!RunBody(frame, body_, r)) return r;
      frame.line = line0;
    }
    return EXEC_NEXT;
  }
  InterObjRep* o = CellObject(coll.c, "For Each");
  if (!o) throw StoreException("Object variable is Nothing.");
  // A snapshot: the body may add or remove objects.
  std::vector<Faultp<InterObjRep>> list;
  if (loopType_ == FOR_EACH_EMBEDDED) {
    for (int i = 0; i < o->numEmbeds(); ++i) list.emplace_back(o->embed(i), tIndirectReference);
  } else {
    for (int i = 0; i < o->numChildren(); ++i) list.emplace_back(o->child(i), tIndirectReference);
  }
  for (auto& ref : list) {
    if (ref.isNull()) continue;
    ValueCellVar e;
    e.c.setObject(ref.get());
    var_->assign(frame, e.c, 2);
    if (!RunBody(frame, body_, r)) return r;
    frame.line = line0;
  }
  return EXEC_NEXT;
}

// --- Try / Catch -----------------------------------------------------------------------------------

CatchClause::CatchClause(ExprNode* expr, int block) : expr_(expr), block_(block) {}
CatchClause::~CatchClause() { delete expr_; }
void* CatchClause::operator new(size_t size) { return ::operator new(size); }
void CatchClause::operator delete(void* p) { ::operator delete(p); }

TryBlock::TryBlock(int line, int endLine, int block, PtrList<CatchClause>& clauses)
    : ExecNode(line), endLine_(endLine), blockNo_(block) {
  clauses_.appendAll(clauses);
}

TryBlock::~TryBlock() {}

void TryBlock::link(LinkScope& scope) {
  body_ = scope.block(blockNo_);
  if (body_) body_->link(scope);
  for (size_t i = 0; i < clauses_.entries(); ++i) {
    CatchClause* c = clauses_.at(i);
    c->name_ = nullptr;
    ExprNode* e = c->expr_;
    if (e && e->type() == EXPR_CID) e = static_cast<Cid*>(e)->head();
    if (e && e->type() == EXPR_SID) c->name_ = scope.idText(static_cast<Sid*>(e)->index());
    c->rep_ = scope.block(c->block_);
    if (c->rep_) c->rep_->link(scope);
  }
}

int TryBlock::lineAtOrAfter(int line) const {
  int best = MinLine(ExecNode::lineAtOrAfter(line), BlockLine(body_, line));
  for (size_t i = 0; i < clauses_.entries(); ++i) best = MinLine(best, BlockLine(clauses_.at(i)->rep_, line));
  return best;
}

namespace {

// Does a Catch naming name (none: any) take e?
bool Matches(const char* name, StoreException& e) {
  if (!name || !*name) return true;
  if (BasicException* b = dynamic_cast<BasicException*>(&e)) return strcasecmp(b->name().c_str(), name) == 0;
  if (strcasecmp(name, "StoreException") == 0) return true;
  return strcasecmp(e.className(), name) == 0;
}

// Binds the caught values to the clause's variables (its block's argument declarations).
void BindCaught(StackFrame& frame, BlockRep* block, StoreException& e) {
  if (!block) return;
  BasicException* b = dynamic_cast<BasicException*>(&e);
  int k = 0;
  for (size_t i = 0; i < block->varCount(); ++i) {
    if (block->var(i).kind != BV_ARGUMENT) continue;
    int slot = block->varSlot(i);
    ValueCellVar v;
    if (b) {
      if (k < b->valueCount()) CellFromValue(v.c, b->value(k));
    } else if (k == 0) {
      v.c.setString(ValString(e.what()));
    } else if (k == 1) {
      v.c.setLong((int32_t)e.id());
    }
    ++k;
    if (slot >= 0 && v.c.type != kTypeNone) CellStore(*frame.vars[slot], v.c);
  }
}

}  // namespace

int TryBlock::exec(StackFrame& frame) {
  ValueCell* with = frame.with;
  try {
    try {
      return body_ ? body_->exec(frame) : EXEC_NEXT;
    } catch (const std::bad_alloc&) {
      throw OutOfMemory();  // caught below like any error of the program
    }
  } catch (StoreException& e) {
    if (dynamic_cast<PauseExecution*>(&e) || dynamic_cast<TerminateExecution*>(&e)) throw;
    frame.with = with;
    AnnotateException(e, frame);
    for (size_t i = 0; i < clauses_.entries(); ++i) {
      CatchClause* c = clauses_.at(i);
      if (!Matches(c->name_, e)) continue;
      BindCaught(frame, c->rep_, e);
      e.handled(1);
      const void* saved = frame.pending;
      frame.pending = &e;
      struct Restore {
        StackFrame& f;
        const void* p;
        ~Restore() { f.pending = p; }
      } restore{frame, saved};
      return c->rep_ ? c->rep_->exec(frame) : EXEC_NEXT;
    }
    throw;
  }
}

// --- With ----------------------------------------------------------------------------------------------

WithBlock::WithBlock(int line, int block, ExprNode* object)
    : ExecNode(line), blockNo_(block), object_(object) {}
WithBlock::~WithBlock() { delete object_; }

void WithBlock::link(LinkScope& scope) {
  object_->link(scope);
  body_ = scope.block(blockNo_);
  if (body_) body_->link(scope);
}

int WithBlock::lineAtOrAfter(int line) const {
  return MinLine(ExecNode::lineAtOrAfter(line), BlockLine(body_, line));
}

int WithBlock::exec(StackFrame& frame) {
  ValueCellVar obj;
  object_->eval(frame, obj.c);
  if (obj.c.type != kTypeObject) throw TypeMismatch("With");
  WithRestore restore{frame, frame.with};
  frame.with = &obj.c;
  return body_ ? body_->exec(frame) : EXEC_NEXT;
}
