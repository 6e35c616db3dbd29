// Simple statements: the grammar action builds the store's execution node at once and
// wraps it; the driver appends it to the block under construction in source order.
// Print is the one whose node the entity assembles itself.
#pragma once

#include "entity.h"

template <class T>
class PtrList;
class PrintItem;

// Holds a ready node; build() and takeNode() hand it over once; the destructor frees a
// node never taken.
class PNodeStmt : public PEntityStmt {
 public:
  PNodeStmt(int line, ExecNode* node) : PEntityStmt(line), node_(node) {}
  ~PNodeStmt() override;
  ExecNode* build(ParserContext&, DeadSourceList*, int) override { return takeNode(); }
  ExecNode* takeNode() override {
    ExecNode* n = node_;
    node_ = nullptr;
    return n;
  }

 private:
  ExecNode* node_;
};

// target = value, Let/Set forms and the deep assignment ':=' (the node carries the kind).
class PAssignment : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

// A call used as a statement (name args, Call name(args), the second call keyword).
class PFunctionCallStmt : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
  const char* name() const override;
};

class PRedimStmt : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

class PRandomizeStmt : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

class PThrowStmt : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

class PStopStmt : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

// Exit Do / For / Function / Sub (or a bare Exit).
class PExiter : public PNodeStmt {
 public:
  using PNodeStmt::PNodeStmt;
};

// [target.]Print items: the items and the separator that ends the statement
// (0 ',', 1 ';', 2 or -1 none: the line ends; the store's PrintSepType codes).
class PPrint : public PEntityStmt {
 public:
  // Takes ownership of target and items (items may be null: no items).
  PPrint(int line, ExprNode* target, int sepType, PtrList<PrintItem>* items);
  ~PPrint() override;
  ExecNode* build(ParserContext&, DeadSourceList*, int) override { return takeNode(); }
  // Builds the Print node the first time; null afterwards.
  ExecNode* takeNode() override;

 private:
  ExprNode* target_;
  int sepType_;
  PtrList<PrintItem>* items_;
  bool taken_ = false;
};
