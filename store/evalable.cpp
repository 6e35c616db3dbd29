// Evaluable expressions and statement texts; dead source.
#include "store/evalable.h"

#include <new>
#include <ostream>

#include "interp.h"
#include "store/value.h"

DSObj::DSObj(int position, const char* text, int kind, int trim)
    : position_(position), text_(text ? text : ""), kind_(kind), trim_(trim) {}

DSObjList::DSObjList() {}
DSObjList::~DSObjList() {}

DeadSourceRep::DeadSourceRep(DSObjList& list) { pieces_.appendAll(list.pieces()); }
DeadSourceRep::DeadSourceRep(PtrList<DSObj>& list) { pieces_.appendAll(list); }
DeadSourceRep::~DeadSourceRep() {}

DeadSource::DeadSource() : rep_(nullptr) {}
DeadSource::DeadSource(DeadSourceRep* rep) : rep_(rep) {
  if (rep_) rep_->ref();
}
DeadSource::DeadSource(const DeadSource& other) : rep_(other.rep_) {
  if (rep_) rep_->ref();
}
DeadSource& DeadSource::operator=(const DeadSource& other) {
  if (other.rep_) other.rep_->ref();
  if (rep_) rep_->unref();
  rep_ = other.rep_;
  return *this;
}
DeadSource::~DeadSource() {
  if (rep_) rep_->unref();
}

// --- EvalableExpr ------------------------------------------------------------------------

EvalableExpr::EvalableExpr(ExprNode* node, IdDynamicVector& ids)
    : node_(node), code_(new ProcCode(ids, nullptr)) {
  UTILS_ASSERT(node_);
}

EvalableExpr::~EvalableExpr() {
  delete node_;
  delete code_;
}

Value* EvalableExpr::eval(Context& context, int) {
  code_->linkExpr(node_);
  StackFrame f;
  f.kind = FRM_BLOCK;
  f.me = context.object();
  FrameScope scope(f, *code_);
  ValueCellVar v;
  RunAnnotated(f, [this, &f, &v] { node_->eval(f, v.c); });
  return CountedResult(CellToValue(v.c));
}

void EvalableExpr::print(std::ostream& os) const { node_->print(os, code_); }

// --- EvalableBlock -------------------------------------------------------------------------

EvalableBlock::EvalableBlock(IdDynamicVector& ids, BlockDynamicVector& blocks, DeadSource& dead)
    : code_(new ProcCode(ids, &blocks)), dead_(dead) {}

EvalableBlock::~EvalableBlock() { delete code_; }

BlockRep* EvalableBlock::outer() const { return code_->outer(); }

void EvalableBlock::eval(Context& context, int) {
  if (!code_->outer()) return;
  code_->link(nullptr, nullptr, nullptr);
  StackFrame f;
  f.kind = FRM_BLOCK;
  f.me = context.object();
  FrameScope scope(f, *code_);
  RunAnnotated(f, [this, &f] { code_->outer()->exec(f); });
}
