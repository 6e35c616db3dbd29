// Grammar actions that build expression nodes, bound pairs, case conditions and print
// items from stack values.
#include "grammarbuild.h"

SemVal Binary(int op, SemVal left, SemVal right) {
  UTILS_ASSERT(X(left) && X(right));
  return Value(SV_EXPR, new BinaryOp(op, X(left), X(right)));
}

// -5 is the constant -5; anything that cannot negate itself gets a negation node.
SemVal Negate(SemVal operand) {
  ExprNode* e = X(operand);
  UTILS_ASSERT(e);
  if (e->negate()) return Value(SV_EXPR, e);
  return Value(SV_EXPR, new UnaryOp(0, e));
}

SemVal StringLiteral(SemVal text) {
  ExprNode* node = new StringConstant(text.text ? text.text : "");
  delete[] text.text;
  return Value(SV_EXPR, node);
}

// Me(args): the object's default member called with args.
SemVal MeCall(SemVal args) {
  Cid* cid = ArgList(args);
  cid->setMeFirst();
  return Value(SV_CID, cid);
}

SemVal Pair(ExprNode* lower, ExprNode* upper) {
  return Value(SV_PAIR, new PtrPair<ExprNode, ExprNode>(lower, upper));
}

SemVal AddBound(SemVal list, SemVal pair) {
  Bounds(list)->append(static_cast<PtrPair<ExprNode, ExprNode>*>(pair.p));
  return list;
}

SemVal CaseItem(int type, SemVal e1, SemVal e2) {
  return Value(SV_CASEITEM, new ECaseClause(type, X(e1), X(e2)));
}

// The conditions after the first of a Case line share the first one's block.
SemVal AddCase(SemVal list, SemVal item) {
  PtrList<ECaseClauseBase>* conditions = CaseList(list);
  ECaseClauseBase* condition = static_cast<ECaseClauseBase*>(item.p);
  if (!conditions->isEmpty()) condition->markSuccessive();
  conditions->append(condition);
  return list;
}

// sepBefore: the separator between the previous item and this one (-1 for the first).
SemVal AddPrintItem(SemVal list, int sepBefore, SemVal item) {
  PrintListValue* pl = static_cast<PrintListValue*>(list.p);
  if (sepBefore >= 0 && pl->items->last()) pl->items->last()->setSeparator(sepBefore);
  pl->items->append(static_cast<PrintItem*>(item.p));
  return list;
}

SemVal NewPrintList() {
  return Value(SV_PRINTLIST, new PrintListValue{new PtrList<PrintItem>, PRINT_END_OF_LINE});
}

// A trailing separator follows the last item and also ends the statement.
SemVal EndPrintList(SemVal list, int sep) {
  PrintListValue* pl = static_cast<PrintListValue*>(list.p);
  if (pl->items->last()) pl->items->last()->setSeparator(sep);
  pl->last = sep;
  return list;
}
