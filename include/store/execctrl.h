// Compound statement nodes. Blocks are given by number in the parse's block vector (-1:
// none) and become BlockRep pointers at link time.
#pragma once

#include "store/execnode.h"

// The forms of a DoLoop.
enum LoopKind {
  LOOP_PLAIN = 1,  // Do ... Loop (no condition; 2 and 7 are the same)
  LOOP_PLAIN_2 = 2,
  LOOP_WHILE = 3,        // Do While c ... Loop: tested before each pass
  LOOP_WHILE_AFTER = 4,  // Do ... Loop While c: tested after each pass
  LOOP_UNTIL = 5,        // Do Until c ... Loop
  LOOP_UNTIL_AFTER = 6,  // Do ... Loop Until c
  LOOP_PLAIN_7 = 7,
  LOOP_WEND = 8  // While c ... Wend (as LOOP_WHILE)
};

// The forms of a ForNext.
enum ForLoopType {
  // "For v = a To b [Step s]": a, b and s are evaluated once, b and s converted to v's
  // type; the loop runs while v <= b (s >= 0) or v >= b (s < 0); after a completed loop
  // v holds the first value past b.
  FOR_NUMERIC = 0,
  FOR_EACH_IN = 1,        // each element of an array, or each member of a group object
  FOR_EACH_EMBEDDED = 2,  // each object embedded in the object
  FOR_EACH_COPIED = 3     // each object derived from the prototype
};

class OVSTORE_API IfClause {
 public:
  IfClause(ExprNode* cond, int line, int block);
  ~IfClause();
  IfClause(const IfClause&) = delete;
  IfClause& operator=(const IfClause&) = delete;
  static void* operator new(size_t size);
  static void operator delete(void* p);
  ExprNode* cond() const { return cond_; }
  int line() const { return line_; }
  int block() const { return block_; }
  BlockRep* rep() const { return rep_; }

 private:
  friend class ComplexIfThen;
  ExprNode* cond_;
  int line_;
  int block_;
  BlockRep* rep_ = nullptr;
  RegCode* typed_ = nullptr;  // the condition's typed code (compiled when first run)
};

class OVSTORE_API ComplexIfThen : public ExecNode {
 public:
  // The clauses are moved out of the list.
  ComplexIfThen(int headLine, int elseLine, int elseBlock, PtrList<IfClause>& clauses);
  ~ComplexIfThen() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;
  size_t clauseCount() const { return clauses_.entries(); }
  IfClause* clause(size_t i) const { return clauses_.at(i); }
  BlockRep* elseRep() const { return else_; }

 private:
  int elseLine_;
  int elseBlock_;
  BlockRep* else_ = nullptr;
  PtrList<IfClause> clauses_;
};

class OVSTORE_API SimpleIfThen : public ExecNode {
 public:
  SimpleIfThen(int line, ExprNode* cond, int thenBlock, int elseBlock);
  ~SimpleIfThen() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;
  ExprNode* cond() const { return cond_; }
  BlockRep* thenRep() const { return then_; }
  BlockRep* elseRep() const { return else_; }

 private:
  ExprNode* cond_;
  int thenNo_, elseNo_;
  BlockRep* then_ = nullptr;
  BlockRep* else_ = nullptr;
  RegCode* typed_ = nullptr;  // the condition's typed code (compiled when first run)
};

class OVSTORE_API SelectCase : public ExecNode {
 public:
  // The conditions are moved out of the list.
  SelectCase(int headLine, int endLine, ExprNode* selector, PtrList<ECaseClauseBase>& clauses, int elseBlock,
             int elseLine);
  ~SelectCase() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;

 private:
  int endLine_;
  ExprNode* selector_;
  PtrList<ECaseClauseBase> clauses_;
  int elseNo_, elseLine_;
  BlockRep* else_ = nullptr;
  std::vector<BlockRep*> blocks_;  // per condition: the block of its Case line
};

// Do/Loop and While/Wend; kind is a LoopKind.
class OVSTORE_API DoLoop : public ExecNode {
 public:
  DoLoop(int line, int kind, int block, ExprNode* cond);
  ~DoLoop() override;
  int kind() const { return kind_; }
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;
  ExprNode* cond() const { return cond_; }
  BlockRep* body() const { return body_; }

 private:
  int kind_;
  int blockNo_;
  BlockRep* body_ = nullptr;
  ExprNode* cond_;
  RegCode* typed_ = nullptr;  // the condition's typed code (compiled when first run)
  RegCode* loop_ = nullptr;   // typed code of the whole loop (compiled when first run)
};

// For/Next and For Each; loopType is a ForLoopType.
class OVSTORE_API ForNext : public ExecNode {
 public:
  ForNext(int line, int block, ExprNode* var, ExprNode* start, ExprNode* end, ExprNode* step, int nextNamed,
          int loopType);
  ~ForNext() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;
  int loopType() const { return loopType_; }
  ExprNode* var() const { return var_; }
  ExprNode* start() const { return start_; }
  ExprNode* end() const { return end_; }
  ExprNode* step() const { return step_; }
  BlockRep* body() const { return body_; }

 private:
  int execNumeric(StackFrame& frame);
  int execEach(StackFrame& frame);
  int blockNo_;
  BlockRep* body_ = nullptr;
  ExprNode* var_;
  ExprNode* start_;
  ExprNode* end_;
  ExprNode* step_;
  int nextNamed_;
  int loopType_;
  RegCode* loop_ = nullptr;  // typed code of the whole loop (compiled when first run)
};

class OVSTORE_API CatchClause {
 public:
  // expr: null (catch all), a Sid (name) or a Cid (name with variables; the variables
  // themselves are declared into the block as arguments, in order).
  CatchClause(ExprNode* expr, int block);
  ~CatchClause();
  CatchClause(const CatchClause&) = delete;
  CatchClause& operator=(const CatchClause&) = delete;
  static void* operator new(size_t size);
  static void operator delete(void* p);
  ExprNode* expr() const { return expr_; }
  int block() const { return block_; }

 private:
  friend class TryBlock;
  ExprNode* expr_;
  int block_;
  BlockRep* rep_ = nullptr;
  const char* name_ = nullptr;  // resolved at link
};

// Try/Catch: the clauses are tried in order against a StoreException raised in the
// block (Basic Throw, run-time errors and native StoreExceptions); the first that
// matches runs and the exception is handled. A clause without name catches every
// StoreException except PauseExecution and TerminateExecution; "Catch Name(vars)"
// catches a Basic exception thrown with that name (its values bound to vars in order),
// or a store exception whose class name is Name (vars: the message text, then the
// message number). Nothing else (assertions, framework exceptions, the launcher's
// loop-goto) is caught.
class OVSTORE_API TryBlock : public ExecNode {
 public:
  // The clauses are moved out of the list.
  TryBlock(int line, int endLine, int block, PtrList<CatchClause>& clauses);
  ~TryBlock() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;

 private:
  int endLine_;
  int blockNo_;
  BlockRep* body_ = nullptr;
  PtrList<CatchClause> clauses_;
};

// With: the object is evaluated once; ".name" inside refers to its members.
class OVSTORE_API WithBlock : public ExecNode {
 public:
  WithBlock(int line, int block, ExprNode* object);
  ~WithBlock() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  int lineAtOrAfter(int line) const override;

 private:
  int blockNo_;
  BlockRep* body_ = nullptr;
  ExprNode* object_;
};
