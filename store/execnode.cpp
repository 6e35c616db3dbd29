// Simple statements: assignment, calls, Redim, Randomize, Throw, Stop, Exit.
#include "store/execnode.h"

#include <cstring>
#include <ctime>
#include <strings.h>

#include "interp.h"
#include "regcode.h"
#include "store/basicexcept.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/signature.h"
#include "store/value.h"

// --- ExecNode ----------------------------------------------------------------------------

ExecNode::~ExecNode() {}
void* ExecNode::operator new(size_t size) { return ::operator new(size); }
void ExecNode::operator delete(void* p) { ::operator delete(p); }
void ExecNode::link(LinkScope&) {}
int ExecNode::lineAtOrAfter(int line) const { return line_ >= line ? line_ : -1; }

namespace {

// Deep assignment: every data member the source has (own and inherited, the nearest
// definition of a name first) that the target also has is copied into the target;
// arrays, embedded objects and constants are left alone.
void DeepCopy(InterObjRep& src, InterObjRep& dst) {
  if (&src == &dst) return;
  std::vector<std::string> seen;
  for (InterObjRep* o = &src; o; o = o->parent()) {
    SignatureRep* sig = o->signature();
    for (int i = 0; sig && i < sig->fieldCount(); ++i) {
      Field* f = sig->field(i);
      if (!f->isData() || f->isArrayData() || f->isEmbedObjField() || f->hasFlag(Field::kConstant)) continue;
      bool dup = false;
      for (const std::string& n : seen) dup = dup || strcasecmp(n.c_str(), f->name()) == 0;
      if (dup) continue;
      seen.push_back(f->name());
      Field* g = dst.findField(f->name());
      if (!g || !g->isData() || g->isArrayData() || g->hasFlag(Field::kReadOnly)) continue;
      Value* v = static_cast<DataField*>(f)->get(src);
      if (!v) continue;
      try {
        static_cast<DataField*>(g)->set(dst, *v);
      } catch (...) {
        v->unref();
        throw;
      }
      v->unref();
    }
  }
}

}  // namespace

// --- Assignment -----------------------------------------------------------------------------

Assignment::Assignment(int line, int kind, ExprNode* target, ExprNode* value)
    : ExecNode(line), kind_(kind), target_(target), value_(value) {}

Assignment::~Assignment() {
  delete target_;
  delete value_;
  RegCode::reset(typed_);
}

void Assignment::link(LinkScope& scope) {
  target_->link(scope);
  value_->link(scope);
  RegCode::reset(typed_);
  // Spot "s = s & a & b ..." (a local on both sides) so exec can grow s in place.
  appendCount_ = 0;
  if (target_->type() != EXPR_SID || kind_ > 1) return;
  Sid* t = static_cast<Sid*>(target_);
  if (t->bind != BIND_SLOT) return;
  ExprNode* parts[kMaxAppend];
  int n = 0;
  ExprNode* e = value_;
  while (e->type() == EXPR_BINARY && static_cast<BinaryOp*>(e)->op() == BinaryOp::CAT) {
    if (n == kMaxAppend) return;
    parts[n++] = static_cast<BinaryOp*>(e)->right();
    e = static_cast<BinaryOp*>(e)->left();
  }
  if (n == 0 || e->type() != EXPR_SID) return;
  Sid* head = static_cast<Sid*>(e);
  if (head->bind != BIND_SLOT || head->slot != t->slot) return;
  for (int i = 0; i < n; ++i) appendParts_[i] = parts[n - 1 - i];
  appendCount_ = n;
}

// "s = s & a & b" on a String variable. Evaluation order and conversions are the
// expression's: s is read first, then each operand in turn (made text at once). The old
// text of s is only touched when every operand is known and nobody but s and this
// statement holds it; then the operands go straight onto its end when they fit. A fresh
// text gets room to grow, so a loop building a string appends without copying it.
int Assignment::execAppend(StackFrame& frame, ValueCell* dst) {
  ValueCellVar head;
  head.c.copyFrom(*dst);
  ValueCellVar parts[kMaxAppend];
  size_t extra = 0;
  for (int i = 0; i < appendCount_; ++i) {
    ValueCell& p = parts[i].c;
    appendParts_[i]->eval(frame, p);
    if (p.type != kTypeString) {
      ValStringRep* r = CellToStringRep(p);
      r->ref();
      p.adoptString(r);
    }
    extra += p.textLength();
  }
  ValStringRep* h = head.c.str;
  const size_t la = head.c.textLength();
  if (h && dst->type == kTypeString && dst->str == h && h->count() == 2 && la + extra <= h->capacity()) {
    for (int i = 0; i < appendCount_; ++i) h->appendInPlace(parts[i].c.text(), parts[i].c.textLength());
    return EXEC_NEXT;
  }
  const size_t need = la + extra;
  ValStringRep* r = ValStringRep::makeUninitialized(need, need + need / 2 + 16);
  char* w = r->buffer();
  std::memcpy(w, head.c.text(), la);
  w += la;
  for (int i = 0; i < appendCount_; ++i) {
    std::memcpy(w, parts[i].c.text(), parts[i].c.textLength());
    w += parts[i].c.textLength();
  }
  r->ref();
  ValueCellVar v;
  v.c.adoptString(r);
  if (dst->type == kTypeString)
    dst->moveFrom(v.c);
  else
    CellStore(*dst, v.c, kind_);
  return EXEC_NEXT;
}

int Assignment::exec(StackFrame& frame) {
  if (typed_ != RegCode::none()) {
    if (!typed_) typed_ = RegCode::compileAssign(frame, target_, value_, kind_);
    if (typed_ != RegCode::none() && typed_->assign(frame, target_, kind_)) return EXEC_NEXT;
  }
  if (target_->type() == EXPR_SID) {
    Sid* s = static_cast<Sid*>(target_);
    if (s->bind == BIND_SLOT && kind_ <= 2) {
      // The common case: a variable. Evaluate straight into a temporary, then store with
      // the variable's type.
      ValueCell* dst = frame.vars[s->slot];
      if (appendCount_ && dst->type == kTypeString) return execAppend(frame, dst);
      ValueCellVar v;
      value_->eval(frame, v.c);
      if (v.c.type == dst->type && kind_ <= 1)
        dst->moveFrom(v.c);
      else
        CellStore(*dst, v.c, kind_);
      return EXEC_NEXT;
    }
  }
  ValueCellVar v;
  value_->eval(frame, v.c);
  if (kind_ >= ASSIGN_DEEP && v.c.type == kTypeObject && v.c.obj.rep) {
    ValueCellVar cur;
    target_->eval(frame, cur.c);
    if (cur.c.type == kTypeObject && cur.c.obj.rep) {
      DeepCopy(*v.c.obj.rep, *cur.c.obj.rep);
      return EXEC_NEXT;
    }
  }
  target_->assign(frame, v.c, kind_ >= ASSIGN_DEEP ? kind_ - ASSIGN_DEEP : kind_);
  return EXEC_NEXT;
}

// --- FunctionCallStmt ----------------------------------------------------------------------

FunctionCallStmt::FunctionCallStmt(int line, ExprNode* call, unsigned char kind)
    : ExecNode(line), call_(call), kind_(kind) {}

FunctionCallStmt::~FunctionCallStmt() { delete call_; }

void FunctionCallStmt::link(LinkScope& scope) { call_->link(scope); }

int FunctionCallStmt::exec(StackFrame& frame) {
  if (kind_ == CALL_RAISE_EVENT) {
    // Raise an event: name(args) on Me / the With object, or obj.name(args).
    ExprNode* n = call_;
    InterObjRep* obj = n->isDotted() ? WithObject(frame) : frame.me;
    ValueCellVar holder;
    if (n->type() == EXPR_MID) {
      Mid* m = static_cast<Mid*>(n);
      m->object()->eval(frame, holder.c);
      obj = CellObject(holder.c, "RaiseEvent");
      n = m->member();
    }
    Cid* call = nullptr;
    Sid* name = nullptr;
    if (n->type() == EXPR_CID) {
      call = static_cast<Cid*>(n);
      if (call->head() && call->head()->type() == EXPR_SID) name = static_cast<Sid*>(call->head());
    } else if (n->type() == EXPR_SID) {
      name = static_cast<Sid*>(n);
    }
    if (!name) throw StoreException("An event name was expected.");
    RaiseEvent(frame, obj, name->name, call);
    return EXEC_NEXT;
  }
  ValueCellVar result;
  call_->eval(frame, result.c);
  return EXEC_NEXT;
}

// --- RedimStmt ---------------------------------------------------------------------------

RedimStmt::RedimStmt(int line, Sid& name, PtrList<PtrPair<ExprNode, ExprNode>>* bounds, int preserve)
    : ExecNode(line), name_(new Sid(name.index(), name.suffix())), bounds_(bounds), preserve_(preserve) {}

RedimStmt::~RedimStmt() {
  delete name_;
  delete bounds_;
}

void RedimStmt::link(LinkScope& scope) {
  name_->link(scope);
  if (bounds_) {
    for (size_t i = 0; i < bounds_->entries(); ++i) {
      PtrPair<ExprNode, ExprNode>* p = bounds_->at(i);
      if (p->first) p->first->link(scope);
      if (p->second) p->second->link(scope);
    }
  }
}

int RedimStmt::exec(StackFrame& frame) {
  std::vector<ArrayBound> nb;
  if (bounds_) {
    for (size_t i = 0; i < bounds_->entries(); ++i) {
      PtrPair<ExprNode, ExprNode>* p = bounds_->at(i);
      ArrayBound b;
      ValueCellVar c;
      b.lower = 0;
      if (p->first && p->second) {
        p->first->eval(frame, c.c);
        b.lower = CellToLong(c.c);
      }
      ExprNode* upper = p->second ? p->second : p->first;
      upper->eval(frame, c.c);
      b.upper = CellToLong(c.c);
      nb.push_back(b);  // the array checks its bounds
    }
  }
  if (nb.size() > 8) throw StoreException("An array may have at most 8 dimensions.");
  if (name_->bind == BIND_SLOT) {
    ValueCell* cell = frame.vars[name_->slot];
    if (!IsArrayType(cell->type) && !IsArrayType(frame.code->slot(name_->slot).type))
      throw StoreException(("'" + std::string(name_->name) + "' is not an array.").c_str());
    unsigned char elem =
        ElementType(IsArrayType(cell->type) ? cell->type : frame.code->slot(name_->slot).type);
    if (ArrayData* d = CellArray(*cell)) {
      d->redim(nb, preserve_ != 0);  // in place: a by-reference array is the caller's
      return EXEC_NEXT;
    }
    ArrayData* d = NewArrayData(elem);
    try {
      d->redim(nb, false);
    } catch (...) {
      delete d;
      throw;
    }
    CellSetArray(*cell, d, elem);
    return EXEC_NEXT;
  }
  InterObjRep* owner = name_->isDotted() ? WithObject(frame) : frame.me;
  Field* f = owner ? owner->findField(name_->name) : nullptr;
  if (!f || !f->isArrayData())
    throw StoreException(("'" + std::string(name_->name) + "' is not an array.").c_str());
  static_cast<ArrayField*>(f)->redim(*owner, nb, preserve_ != 0);
  return EXEC_NEXT;
}

// --- Randomize, Throw, Stop, Exit -----------------------------------------------------------------

RandomizeStmt::RandomizeStmt(int line, ExprNode* seed) : ExecNode(line), seed_(seed) {}
RandomizeStmt::~RandomizeStmt() { delete seed_; }
void RandomizeStmt::link(LinkScope& scope) {
  if (seed_) seed_->link(scope);
}

int RandomizeStmt::exec(StackFrame& frame) {
  if (seed_) {
    ValueCellVar c;
    seed_->eval(frame, c.c);
    RndSeed(CellToDouble(c.c));
  } else {
    RndSeed((double)time(nullptr) + (double)clock());
  }
  return EXEC_NEXT;
}

ThrowStmt::ThrowStmt(int line, ExprNode* what) : ExecNode(line), what_(what) {}
ThrowStmt::~ThrowStmt() { delete what_; }

void ThrowStmt::link(LinkScope& scope) {
  // The name is the exception's, not a variable's: only the arguments link.
  if (!what_) return;
  if (what_->type() == EXPR_SID) {
    Sid* s = static_cast<Sid*>(what_);
    s->name = scope.idText(s->index());
  } else if (what_->type() == EXPR_CID) {
    Cid* c = static_cast<Cid*>(what_);
    if (c->head() && c->head()->type() == EXPR_SID) {
      Sid* s = static_cast<Sid*>(c->head());
      s->name = scope.idText(s->index());
    }
    for (size_t i = 0; i < c->argCount(); ++i) c->arg(i)->link(scope);
  }
}

int ThrowStmt::exec(StackFrame& frame) {
  if (!what_) {
    if (!frame.pending) throw StoreException("Throw without an exception outside a Catch clause.");
    throw;  // the exception the enclosing Catch clause handles
  }
  const char* name = "";
  Cid* call = nullptr;
  if (what_->type() == EXPR_SID) {
    name = static_cast<Sid*>(what_)->name;
  } else if (what_->type() == EXPR_CID) {
    call = static_cast<Cid*>(what_);
    if (call->head() && call->head()->type() == EXPR_SID) name = static_cast<Sid*>(call->head())->name;
  }
  BasicException e(name);
  for (size_t i = 0; call && i < call->argCount(); ++i) {
    ValueCellVar c;
    call->arg(i)->eval(frame, c.c);
    e.addValue(CellToValue(c.c));
  }
  AnnotateException(e, frame);
  throw e;
}

StopStmt::StopStmt(int line) : ExecNode(line) {}

int StopStmt::exec(StackFrame& frame) {
  DebugHook* hook = ExecutionStack::hook();
  if (hook && hook->stop(frame)) return EXEC_NEXT;
  PauseExecution e;
  AnnotateException(e, frame);
  throw e;
}

ExitStmt::ExitStmt(int line, int kind) : ExecNode(line), kind_(kind) {}

int ExitStmt::exec(StackFrame&) {
  switch (kind_) {
    case EXIT_DO:
      return EXEC_EXIT_DO;
    case EXIT_FOR:
      return EXEC_EXIT_FOR;
    case EXIT_FUNCTION:
    case EXIT_SUB:
      return EXEC_EXIT_PROC;
    default:
      return EXEC_EXIT_LOOP;
  }
}

// --- BasicException --------------------------------------------------------------------------

BasicException::BasicException(const char* name)
    : StoreException(("Exception '" + std::string(name ? name : "") + "' thrown.").c_str()),
      name_(name ? name : "") {}
BasicException::~BasicException() noexcept {}
XException* BasicException::Clone() const { return new BasicException(*this); }
void BasicException::Throw() const { throw *this; }
const char* BasicException::className() const { return "BasicException"; }
void BasicException::addValue(Value* v) { values_.push_back(ValuePtr(v)); }
