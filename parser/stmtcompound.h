// Compound statements and their clause entities.
//
// The grammar delivers a compound statement as its head alone (condition, selector,
// loop bounds, With object). Its build() reads the inner blocks and clauses from the
// entity stream through the driver, checks the terminator (a wrong or missing one is a
// ConstructError that leaves the wrong entity pending) and returns one node.
// The one-line If arrives with its blocks already made.
#pragma once

#include "entity.h"

template <class T>
class PtrList;
class ECaseClauseBase;

// If cond Then   (block form)
class PComplexIfThen : public PEntityStmt {
 public:
  PComplexIfThen(int line, ExprNode* cond) : PEntityStmt(line), cond_(cond) {}
  ~PComplexIfThen() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  ExprNode* cond_;
};

// If cond Then stmts [Else stmts]   (one line; blocks made by the grammar from the
// statement lists, either may be null)
class PSimpleIfThen : public PEntityStmt {
 public:
  // Takes over one reference of each block.
  PSimpleIfThen(int line, ExprNode* cond, BlockBuildRep* thenBlock, BlockBuildRep* elseBlock);
  ~PSimpleIfThen() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  ExprNode* cond_;
  BlockBuildRep* then_;
  BlockBuildRep* else_;
};

// Select Case selector
class PSelectCase : public PEntityStmt {
 public:
  PSelectCase(int line, ExprNode* selector) : PEntityStmt(line), selector_(selector) {}
  ~PSelectCase() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  ExprNode* selector_;
};

// Loop kinds shared with the store's DoLoop.
enum DoLoopKind {
  LOOP_END_PLAIN = 1,   // Loop
  LOOP_HEAD_PLAIN = 2,  // Do
  LOOP_HEAD_WHILE = 3,  // Do While e
  LOOP_END_WHILE = 4,   // Loop While e
  LOOP_HEAD_UNTIL = 5,  // Do Until e
  LOOP_END_UNTIL = 6,   // Loop Until e
  LOOP_FOREVER = 7,     // Do ... Loop
  LOOP_WHILE_WEND = 8   // While e ... Wend
};

// Do [While|Until e] / While e
class PDoLoop : public PEntityStmt {
 public:
  PDoLoop(int line, int kind, ExprNode* cond) : PEntityStmt(line), kind_(kind), cond_(cond) {}
  ~PDoLoop() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  int kind_;
  ExprNode* cond_;
};

// For v = a To b [Step c]; For Each v In/EmbeddedIn/CopiedFrom e (start = e, no end).
class PForNext : public PEntityStmt {
 public:
  PForNext(int line, ExprNode* var, ExprNode* start, ExprNode* end, ExprNode* step, int loopType)
      : PEntityStmt(line), var_(var), start_(start), end_(end), step_(step), loopType_(loopType) {}
  ~PForNext() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  ExprNode* var_;
  ExprNode* start_;
  ExprNode* end_;
  ExprNode* step_;
  int loopType_;
};

class PTryBlock : public PEntityStmt {
 public:
  explicit PTryBlock(int line) : PEntityStmt(line) {}
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }
};

// With object
class PWithBlock : public PEntityStmt {
 public:
  PWithBlock(int line, ExprNode* object) : PEntityStmt(line), object_(object) {}
  ~PWithBlock() override;
  ExecNode* build(ParserContext& ctx, DeadSourceList* ds, int flags) override;
  ExecNode* takeNode() override { return nullptr; }

 private:
  ExprNode* object_;
};

// ElseIf cond Then [stmts], or Else [stmts] (cond null). The optional block holds the
// statements that stood on the clause's own line.
class PElseIf : public PEntity {
 public:
  // Takes over the condition and one reference of the block.
  PElseIf(int line, ExprNode* cond, BlockBuildRep* block);
  ~PElseIf() override;
  PEType getType() const override { return PE_ELSEIF; }
  const char* name() const override;
  int line() const override { return line_; }
  ExprNode* takeCondition() {
    ExprNode* c = cond_;
    cond_ = nullptr;
    return c;
  }
  bool isElse() const { return cond_ == nullptr; }
  // The prepared block (the caller takes over the reference), or null.
  BlockBuildRep* takeBlock() {
    BlockBuildRep* b = block_;
    block_ = nullptr;
    return b;
  }

 private:
  int line_;
  ExprNode* cond_;
  BlockBuildRep* block_;
};

// Case conditions...; Case Else when the list is null or empty.
class PCaseClause : public PEntity {
 public:
  PCaseClause(int line, PtrList<ECaseClauseBase>* conditions) : line_(line), conditions_(conditions) {}
  ~PCaseClause() override;
  PEType getType() const override { return PE_CASE_CLAUSE; }
  const char* name() const override;
  int line() const override { return line_; }
  bool isElse() const;
  PtrList<ECaseClauseBase>* takeConditions() {
    PtrList<ECaseClauseBase>* c = conditions_;
    conditions_ = nullptr;
    return c;
  }

 private:
  int line_;
  PtrList<ECaseClauseBase>* conditions_;
};

// Loop [While e | Until e]: kind LOOP_END_PLAIN, LOOP_END_WHILE or LOOP_END_UNTIL.
class PDoLoopEnd : public PEntity {
 public:
  PDoLoopEnd(int line, int kind, ExprNode* cond) : line_(line), kind_(kind), cond_(cond) {}
  ~PDoLoopEnd() override;
  PEType getType() const override { return PE_LOOP_END; }
  const char* name() const override;
  int line() const override { return line_; }
  int kind() const { return kind_; }
  ExprNode* takeCondition() {
    ExprNode* c = cond_;
    cond_ = nullptr;
    return c;
  }

 private:
  int line_;
  int kind_;
  ExprNode* cond_;
};

// Next [v]
class PNextStmt : public PEntity {
 public:
  PNextStmt(int line, ExprNode* var) : line_(line), var_(var) {}
  ~PNextStmt() override;
  PEType getType() const override { return PE_NEXT; }
  const char* name() const override;
  int line() const override { return line_; }
  ExprNode* variable() const { return var_; }

 private:
  int line_;
  ExprNode* var_;
};
