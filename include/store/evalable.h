// Compiled expressions and statement texts ready to run, and the non-executable source of
// a block (comments, declaration lines) kept to reproduce its text.
//
// EvalableExpr and EvalableBlock copy what they need of the parse's identifier and block
// vectors, so the parser may reset its context afterwards. Names are resolved on the first
// evaluation against the context's object: members of the object, then global objects;
// an EvalableBlock's own declarations are locals of a frame made for each evaluation.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "store/ovstore_api.h"
#include "store/block.h"
#include "store/counted.h"
#include "store/faultp.h"
#include "store/ptrlist.h"

class ExprNode;
class IdDynamicVector;
class Context;
class Value;
class ProcCode;

// A piece of non-executable source: position (line), text, kind 1 declaration, 2 comment,
// 3 comment on its own line; trim 3 (blanks trimmed on both sides).
class OVSTORE_API DSObj {
 public:
  DSObj(int position, const char* text, int kind, int trim);
  int position() const { return position_; }
  const std::string& text() const { return text_; }
  int kind() const { return kind_; }
  int trim() const { return trim_; }

 private:
  int position_;
  std::string text_;
  int kind_;
  int trim_;
};

// The counted list the parser collects pieces into while a block is read.
class OVSTORE_API DSObjList : public CountedObject {
 public:
  DSObjList();
  ~DSObjList() override;
  void append(DSObj* piece) { pieces_.append(piece); }
  PtrList<DSObj>& pieces() { return pieces_; }

 private:
  PtrList<DSObj> pieces_;
};

class OVSTORE_API DeadSourceRep : public CountedObject {
 public:
  // Takes the pieces out of list.
  explicit DeadSourceRep(DSObjList& list);
  explicit DeadSourceRep(PtrList<DSObj>& list);
  ~DeadSourceRep() override;
  size_t entries() const { return pieces_.entries(); }
  const DSObj& piece(size_t i) const { return *pieces_.at(i); }

 private:
  PtrList<DSObj> pieces_;
};

// A (possibly empty) handle to a DeadSourceRep.
class OVSTORE_API DeadSource {
 public:
  DeadSource();
  explicit DeadSource(DeadSourceRep* rep);
  DeadSource(const DeadSource& other);
  DeadSource& operator=(const DeadSource& other);
  ~DeadSource();
  DeadSourceRep* rep() const { return rep_; }
  bool isNull() const { return rep_ == nullptr; }

 private:
  DeadSourceRep* rep_;
};

class OVSTORE_API EvalableExpr {
 public:
  // Takes node over; copies the identifier texts.
  EvalableExpr(ExprNode* node, IdDynamicVector& ids);
  ~EvalableExpr();
  EvalableExpr(const EvalableExpr&) = delete;
  EvalableExpr& operator=(const EvalableExpr&) = delete;

  // Evaluates in context; answers a counted value the caller releases (never null:
  // an expression without value answers the no-value value, type 10).
  Value* eval(Context& context, int flags = 0);
  void print(std::ostream& os) const;
  ExprNode* node() const { return node_; }

 private:
  ExprNode* node_;
  ProcCode* code_;
};

class OVSTORE_API EvalableBlock {
 public:
  // The outer block is the last of blocks (inner blocks are closed first).
  EvalableBlock(IdDynamicVector& ids, BlockDynamicVector& blocks, DeadSource& dead);
  ~EvalableBlock();
  EvalableBlock(const EvalableBlock&) = delete;
  EvalableBlock& operator=(const EvalableBlock&) = delete;

  void eval(Context& context, int flags = 1);
  BlockRep* outer() const;
  const DeadSource& deadSource() const { return dead_; }

 private:
  ProcCode* code_;
  DeadSource dead_;
};
