// Parsed entities: what one grammar reduction hands to the parse driver.
//
// The grammar works one entity at a time: a line of statements, a declaration header,
// a clause line, a block terminator, a comment, an expression in braces. The driver
// (driver.h) pulls them, asks for the kind it wants and assembles blocks, evaluables
// and fields from them. Entities are counted: every holder (the driver's pending slot,
// a statement list, a builder) takes a reference; the last release deletes.
#pragma once

#include <string>
#include <vector>

#include "parser/petype.h"
#include "store/counted.h"

class BlockBuildRep;
class ExecNode;
class ExprNode;
class ParserContext;
class DeadSourceList;
class SyntaxError;

class PEntity : public CountedObject {
 public:
  PEntity() = default;
  PEntity(const PEntity&) = delete;
  PEntity& operator=(const PEntity&) = delete;
  ~PEntity() override;

  // Declares or appends the entity into a block under construction; nothing here.
  virtual void addToBlock(BlockBuildRep* block, ParserContext& ctx);
  virtual const char* name() const;
  virtual PEType getType() const = 0;
  // The source line (0-based, as the lexer counts) on which the entity stands.
  virtual int line() const { return 0; }
};

// A counted holder of an entity.
template <class T>
class EntityRef {
 public:
  EntityRef() = default;
  EntityRef(T* p) : p_(p) {
    if (p_) p_->addRef();
  }
  EntityRef(const EntityRef& o) : EntityRef(o.p_) {}
  ~EntityRef() { reset(); }
  EntityRef& operator=(const EntityRef& o) {
    EntityRef(o).swap(*this);
    return *this;
  }
  EntityRef& operator=(T* p) {
    EntityRef(p).swap(*this);
    return *this;
  }
  void reset() {
    T* p = p_;
    p_ = nullptr;
    if (p) p->release();
  }
  // Takes over a reference the caller already holds.
  void adopt(T* p) {
    reset();
    p_ = p;
  }
  // Gives up the held reference to the caller.
  T* detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void swap(EntityRef& o) {
    T* t = p_;
    p_ = o.p_;
    o.p_ = t;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

using PEntityRef = EntityRef<PEntity>;

// A statement: yields one execution node.
class PEntityStmt : public PEntity {
 public:
  explicit PEntityStmt(int line) : line_(line) {}
  PEType getType() const override { return PE_STATEMENT; }
  const char* name() const override;
  int line() const override { return line_; }
  // Appends takeNode() to the block (a null node fails the assertion "node").
  void addToBlock(BlockBuildRep* block, ParserContext& ctx) override;

  // The statement's node; compound statements read their bodies and clauses from the
  // context's entity stream first. flags & 1: inner blocks are static blocks.
  virtual ExecNode* build(ParserContext& ctx, DeadSourceList* deadSource, int flags) = 0;
  // The ready node, handed over once (null afterwards and for compound statements).
  virtual ExecNode* takeNode() = 0;

 protected:
  int line_;
};

// The statements of one source line, separated by ':'.
class StmtList : public PEntity {
 public:
  enum { SIMPLE_STMTLIST = 0 };
  explicit StmtList(int kind = SIMPLE_STMTLIST) : kind_(kind) {}
  ~StmtList() override;
  PEType getType() const override { return PE_STMT_LIST; }
  const char* name() const override;

  // Appends a statement entity (the list takes a reference).
  void add(PEntity* stmt);
  PEntity* first() const { return head_ < items_.size() ? items_[head_] : nullptr; }
  // Removes the first member and returns it; the caller takes over the list's reference.
  PEntity* removeFirst();
  bool empty() const { return head_ >= items_.size(); }
  size_t size() const { return items_.size() - head_; }
  // A new block holding the members' nodes (each through addToBlock). The members are
  // consumed. The block is counted; the caller holds one reference.
  BlockBuildRep* toBlock(ParserContext& ctx);

 private:
  int kind_;
  std::vector<PEntity*> items_;  // counted references, in source order
  size_t head_ = 0;              // removed from the front
};

// An expression in braces: how expression text reaches the driver.
class PExpression : public PEntity {
 public:
  explicit PExpression(ExprNode* node) : node_(node) {}
  ~PExpression() override;
  PEType getType() const override { return PE_EXPRESSION; }
  const char* name() const override;
  ExprNode* takeNode() {
    ExprNode* n = node_;
    node_ = nullptr;
    return n;
  }

 private:
  ExprNode* node_;
};

// A block terminator: End If, End Sub, Wend, End Code, the end of the text, ...
class InterCons : public PEntity {
 public:
  InterCons(PEType type, int line) : type_(type), line_(line) {}
  PEType getType() const override { return type_; }
  const char* name() const override;
  int line() const override { return line_; }

 private:
  PEType type_;
  int line_;
};

// A comment: skipped by the driver, recorded in the dead source when that is wanted.
class Comment : public PEntity {
 public:
  Comment(int position, const char* text, int flag)
      : position_(position), text_(text ? text : ""), flag_(flag) {}
  PEType getType() const override { return PE_COMMENT; }
  const char* name() const override;
  int position() const { return position_; }
  const std::string& text() const { return text_; }
  int flag() const { return flag_; }
  int line() const override { return position_; }

 private:
  int position_;
  std::string text_;
  int flag_;
};

// What the grammar's error recovery makes: holds the syntax error to throw when the
// driver needs an entity of another kind.
class PSyntaxError : public PEntity {
 public:
  explicit PSyntaxError(SyntaxError* error) : error_(error) {}  // takes ownership
  ~PSyntaxError() override;
  PEType getType() const override { return PE_SYNTAX_ERROR; }
  const char* name() const override;
  int line() const override;
  const SyntaxError* error() const { return error_; }
  // Throws a copy of the held error.
  [[noreturn]] void raise() const;

 private:
  SyntaxError* error_;
};
