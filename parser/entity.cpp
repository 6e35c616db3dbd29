// Entity base, statement lists, expression, terminator, comment and syntax-error
// entities.
#include "entity.h"

#include "context.h"
#include "parseexcept.h"
#include "store/block.h"
#include "store/exprnode.h"
#include "utils/xexception.h"

PEntity::~PEntity() = default;

void PEntity::addToBlock(BlockBuildRep*, ParserContext&) {}

const char* PEntity::name() const { return "Unknown(P)"; }

const char* PEntityStmt::name() const { return "Statement"; }

void PEntityStmt::addToBlock(BlockBuildRep* block, ParserContext&) {
  ExecNode* node = takeNode();
  UTILS_ASSERT(node);
  block->addExecNode(node);
}

StmtList::~StmtList() {
  for (size_t i = head_; i < items_.size(); ++i) items_[i]->release();
}

const char* StmtList::name() const { return "Statements"; }

void StmtList::add(PEntity* stmt) {
  if (!stmt) return;
  items_.push_back(stmt);
  stmt->addRef();
}

PEntity* StmtList::removeFirst() {
  if (head_ >= items_.size()) return nullptr;
  PEntity* e = items_[head_++];
  if (head_ == items_.size()) {
    items_.clear();
    head_ = 0;
  }
  return e;
}

BlockBuildRep* StmtList::toBlock(ParserContext& ctx) {
  UTILS_ASSERT(kind_ == SIMPLE_STMTLIST);
  BlockBuildRep* block = new BlockBuildRep(0);
  UTILS_ASSERT(block);
  block->ref();
  try {
    while (PEntity* e = removeFirst()) {
      PEntityRef hold(e);
      e->release();  // the list's reference, now held by `hold`
      e->addToBlock(block, ctx);
    }
  } catch (...) {
    block->unref();
    throw;
  }
  return block;
}

PExpression::~PExpression() { delete node_; }

const char* PExpression::name() const { return "Expression"; }

const char* InterCons::name() const { return PETypeText(type_); }

const char* Comment::name() const { return "Comment"; }

PSyntaxError::~PSyntaxError() { delete error_; }

const char* PSyntaxError::name() const { return "Syntax Error"; }

int PSyntaxError::line() const { return error_ ? error_->line() : 0; }

void PSyntaxError::raise() const {
  if (!error_) utilsAssert("error_", __FILE__, __LINE__);
  throw SyntaxError(*error_);
}
