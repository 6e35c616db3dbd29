// Compound statements: each reads its inner blocks and clauses from the entity stream.
#include "stmtcompound.h"

#include "context.h"
#include "declproc.h"
#include "driver.h"
#include "messages.h"
#include "parseexcept.h"
#include "store/block.h"
#include "store/execctrl.h"
#include "store/execnode.h"
#include "store/intrinsics.h"
#include "store/exprnode.h"
#include "store/ptrlist.h"
#include "utils/xexception.h"

namespace {

// A counted block under construction, released unless handed to closeBlock.
class NewBlock {
 public:
  explicit NewBlock(int flag) : block_(new BlockBuildRep(flag)) { block_->ref(); }
  explicit NewBlock(BlockBuildRep* adopted) : block_(adopted) {}
  ~NewBlock() {
    if (block_) block_->unref();
  }
  BlockBuildRep* get() const { return block_; }
  // Closes the block into the context's table; its number.
  int close(ParserContext& ctx, int line) {
    if (!block_) return -1;
    block_->setLine(line);
    BlockBuildRep* b = block_;
    block_ = nullptr;
    return ctx.closeBlock(b);
  }
  void replace(BlockBuildRep* adopted) {
    if (block_) block_->unref();
    block_ = adopted;
  }

 private:
  BlockBuildRep* block_;
};

template <class T>
EntityRef<T> Next(ParserContext& ctx, PEType type, DeadSourceList* ds) {
  PEntityRef e = ctx.nextEntity(type, ds);
  return EntityRef<T>(static_cast<T*>(e.get()));
}

// A syntax error met while looking for the terminator is the real fault: it goes first.
[[noreturn]] void Unterminated(ParserContext& ctx, const char* construct, PEType expected) {
  ParseDriver::ThrowPendingSyntaxError(ctx);
  throw ConstructError(ctx.currentLine(), construct, expected, ctx.currentEntityName());
}

}  // namespace

// ---- If ... ElseIf ... Else ... End If

PComplexIfThen::~PComplexIfThen() { delete cond_; }

ExecNode* PComplexIfThen::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  PtrList<IfClause> clauses;
  ExprNode* cond = cond_;
  cond_ = nullptr;
  int line = line_;
  int elseLine = 0;
  bool inElse = false;
  NewBlock block(flags & 1);
  int elseBlock = -1;
  try {
    for (;;) {
      ParseDriver::ReadBody(ctx, block.get(), ds, flags);
      EntityRef<PElseIf> clause = Next<PElseIf>(ctx, PE_ELSEIF, ds);
      if (!clause) break;
      if (inElse) throw ParserException(PMSG_ELSE_NOT_LAST, ctx.currentLine(), nullptr);
      int blockNo = block.close(ctx, clause->line());
      if (cond) {
        IfClause* ifClause = new IfClause(cond, line, blockNo);
        UTILS_ASSERT(ifClause);
        cond = nullptr;
        clauses.append(ifClause);
      }
      cond = clause->takeCondition();
      line = clause->line();
      BlockBuildRep* prepared = clause->takeBlock();
      if (prepared) {
        if (flags & 1) prepared->setFlag(1);
        block.replace(prepared);
      } else {
        block.replace(new BlockBuildRep(flags & 1));
        block.get()->ref();
      }
      if (!cond) {
        inElse = true;
        elseLine = line;
      }
    }
    EntityRef<InterCons> end = Next<InterCons>(ctx, PE_END_IF, ds);
    if (!end) Unterminated(ctx, "If..Then", PE_END_IF);
    int blockNo = block.close(ctx, end->line());
    if (cond) {
      IfClause* ifClause = new IfClause(cond, line, blockNo);
      UTILS_ASSERT(ifClause);
      cond = nullptr;
      clauses.append(ifClause);
    } else if (inElse) {
      elseBlock = blockNo;
    }
  } catch (...) {
    delete cond;
    throw;
  }
  return new ComplexIfThen(line_, inElse ? elseLine : 0, elseBlock, clauses);
}

// ---- one-line If

PSimpleIfThen::PSimpleIfThen(int line, ExprNode* cond, BlockBuildRep* thenBlock, BlockBuildRep* elseBlock)
    : PEntityStmt(line), cond_(cond), then_(thenBlock), else_(elseBlock) {}

PSimpleIfThen::~PSimpleIfThen() {
  delete cond_;
  if (then_) then_->unref();
  if (else_) else_->unref();
}

ExecNode* PSimpleIfThen::build(ParserContext& ctx, DeadSourceList*, int) {
  UTILS_ASSERT(cond_ && (BlockBuildRep*)then_);
  // The else block is closed first and so takes the lower number.
  BlockBuildRep* e = else_;
  else_ = nullptr;
  if (e) e->setLine(line_);
  int elseNo = ctx.closeBlock(e);
  BlockBuildRep* t = then_;
  then_ = nullptr;
  t->setLine(line_);
  int thenNo = ctx.closeBlock(t);
  ExprNode* cond = cond_;
  cond_ = nullptr;
  return new SimpleIfThen(line_, cond, thenNo, elseNo);
}

// ---- Select Case

PSelectCase::~PSelectCase() { delete selector_; }

ExecNode* PSelectCase::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  PtrList<ECaseClauseBase> all;
  int elseBlock = -1;
  int elseLine = 0;
  while (EntityRef<PCaseClause> clause = Next<PCaseClause>(ctx, PE_CASE_CLAUSE, ds)) {
    NewBlock block(flags & 1);
    ParseDriver::ReadBody(ctx, block.get(), ds, flags);
    int blockNo = block.close(ctx, clause->line());
    PtrList<ECaseClauseBase>* conds = clause->takeConditions();
    if (!conds || conds->entries() == 0) {
      delete conds;
      elseBlock = blockNo;
      elseLine = clause->line();
      continue;
    }
    ECaseClauseBase* first = conds->first();
    UTILS_ASSERT(first && (first->type() < ECC_SUCCESSIVE));
    first->setLine(clause->line());
    first->setBlock(blockNo);
    while (ECaseClauseBase* c = conds->removeFirst()) all.append(c);
    delete conds;
  }
  EntityRef<InterCons> end = Next<InterCons>(ctx, PE_END_SELECT, ds);
  if (!end) Unterminated(ctx, "Select..Case", PE_END_SELECT);
  ExprNode* selector = selector_;
  selector_ = nullptr;
  return new SelectCase(line_, end->line(), selector, all, elseBlock, elseLine);
}

// ---- Do / While loops

PDoLoop::~PDoLoop() { delete cond_; }

ExecNode* PDoLoop::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  NewBlock block(flags & 1);
  ParseDriver::ReadBody(ctx, block.get(), ds, flags);
  int kind = kind_;
  int blockNo;
  if (kind == LOOP_WHILE_WEND) {
    EntityRef<InterCons> end = Next<InterCons>(ctx, PE_WEND, ds);
    if (!end) Unterminated(ctx, "While", PE_WEND);
    blockNo = block.close(ctx, end->line());
  } else {
    EntityRef<PDoLoopEnd> end = Next<PDoLoopEnd>(ctx, PE_LOOP_END, ds);
    if (!end) Unterminated(ctx, "DoLoop", PE_LOOP_END);
    if (kind == LOOP_HEAD_PLAIN) {
      if (end->kind() == LOOP_END_WHILE || end->kind() == LOOP_END_UNTIL) {
        kind = end->kind();
        delete cond_;
        cond_ = end->takeCondition();
      } else {
        kind = LOOP_FOREVER;
      }
    } else if (kind == LOOP_HEAD_WHILE || kind == LOOP_HEAD_UNTIL) {
      if (end->kind() != LOOP_END_PLAIN) throw ParserException(PMSG_LOOP_ENDING, ctx.currentLine(), nullptr);
    }
    blockNo = block.close(ctx, end->line());
  }
  ExprNode* cond = cond_;
  cond_ = nullptr;
  return new DoLoop(line_, kind, blockNo, cond);
}

// ---- For ... Next

PForNext::~PForNext() {
  delete var_;
  delete start_;
  delete end_;
  delete step_;
}

ExecNode* PForNext::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  NewBlock block(flags & 1);
  ParseDriver::ReadBody(ctx, block.get(), ds, flags);
  EntityRef<PNextStmt> next = Next<PNextStmt>(ctx, PE_NEXT, ds);
  if (!next) Unterminated(ctx, "For..Next", PE_NEXT);
  int blockNo = block.close(ctx, next->line());
  ExecNode* node =
      new ForNext(line_, blockNo, var_, start_, end_, step_, next->variable() ? 1 : 0, loopType_);
  var_ = start_ = end_ = step_ = nullptr;
  return node;
}

// ---- Try ... Catch ... End Try

ExecNode* PTryBlock::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  NewBlock block(flags & 1);
  ParseDriver::ReadBody(ctx, block.get(), ds, flags);
  PtrList<CatchClause> clauses;
  int firstCatchLine = -1;
  while (EntityRef<CatchDecl> c = Next<CatchDecl>(ctx, PE_CATCH_CLAUSE, ds)) {
    if (firstCatchLine < 0) firstCatchLine = c->line();
    CatchClause* clause = c->buildClause(ctx, ds, flags);
    UTILS_ASSERT(clause);
    clauses.append(clause);
  }
  EntityRef<InterCons> end = Next<InterCons>(ctx, PE_END_TRY, ds);
  if (!end) Unterminated(ctx, "Try..Catch", PE_END_TRY);
  int blockNo = block.close(ctx, firstCatchLine >= 0 ? firstCatchLine : end->line());
  return new TryBlock(line_, end->line(), blockNo, clauses);
}

// ---- With

PWithBlock::~PWithBlock() { delete object_; }

ExecNode* PWithBlock::build(ParserContext& ctx, DeadSourceList* ds, int flags) {
  NewBlock block(flags & 1);
  ParseDriver::ReadBody(ctx, block.get(), ds, flags);
  EntityRef<InterCons> end = Next<InterCons>(ctx, PE_END_WITH, ds);
  if (!end) Unterminated(ctx, "With..End With", PE_END_WITH);
  int blockNo = block.close(ctx, end->line());
  ExprNode* object = object_;
  object_ = nullptr;
  return new WithBlock(line_, blockNo, object);
}

// ---- clause entities

PElseIf::PElseIf(int line, ExprNode* cond, BlockBuildRep* block) : line_(line), cond_(cond), block_(block) {}

PElseIf::~PElseIf() {
  delete cond_;
  if (block_) block_->unref();
}

const char* PElseIf::name() const { return "ElseIf"; }

PCaseClause::~PCaseClause() { delete conditions_; }

const char* PCaseClause::name() const { return "Case Clause"; }

bool PCaseClause::isElse() const { return !conditions_ || conditions_->entries() == 0; }

PDoLoopEnd::~PDoLoopEnd() { delete cond_; }

const char* PDoLoopEnd::name() const { return "Do Loop End"; }

PNextStmt::~PNextStmt() { delete var_; }

const char* PNextStmt::name() const { return "Next"; }
