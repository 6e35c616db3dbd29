// Simple statements.
#include "stmtsimple.h"

#include "store/execnode.h"
#include "store/exprnode.h"
#include "store/intrinsics.h"
#include "store/ptrlist.h"

PNodeStmt::~PNodeStmt() { delete node_; }

const char* PFunctionCallStmt::name() const { return "Function Call Statement"; }

PPrint::PPrint(int line, ExprNode* target, int sepType, PtrList<PrintItem>* items)
    : PEntityStmt(line), target_(target), sepType_(sepType), items_(items) {}

PPrint::~PPrint() {
  delete target_;
  delete items_;
}

ExecNode* PPrint::takeNode() {
  if (taken_) return nullptr;
  taken_ = true;
  PtrList<PrintItem> none;
  // No separator after the last item: the line ends.
  int last = sepType_ == 0 || sepType_ == 1 ? sepType_ : 2;
  ExecNode* node = new Print(line_, target_, last, items_ ? *items_ : none);
  target_ = nullptr;
  return node;
}
