// Building execution trees by hand for the interpreter tests (no parser).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "store/basicexcept.h"
#include "store/block.h"
#include "store/context.h"
#include "store/evalable.h"
#include "store/execctrl.h"
#include "store/execnode.h"
#include "store/exprnode.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/intrinsics.h"
#include "store/procfield.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace execkit {

// A message id as the tests' texts show it.
inline std::string IdText(unsigned id) { return std::to_string(id); }

// A constant of any cell (Single, Currency, ... have no literal node).
class CellConst : public ExprNode {
 public:
  explicit CellConst(const ValueCell& c) : ExprNode(EXPR_LONG) {
    c_.init();
    c_.copyFrom(c);
  }
  ~CellConst() override { c_.clear(); }
  void eval(StackFrame&, ValueCell& out) override { out.copyFrom(c_); }
  void print(std::ostream& os, const ProcCode*) const override { os << CellToText(c_); }

 private:
  ValueCell c_;
};

// An Integer constant (the parser's literals are Long: LongConstant).
inline ExprNode* I(int v) {
  ValueCellVar c;
  c.c.setShort((int16_t)v);
  return new CellConst(c.c);
}
inline ExprNode* D(double v) { return new Constant<double, 4>(v); }
inline ExprNode* S(const char* t) { return new StringConstant(t); }
inline ExprNode* F(float v) {
  ValueCellVar c;
  c.c.setFloat(v);
  return new CellConst(c.c);
}
inline ExprNode* L(int32_t v) {
  ValueCellVar c;
  c.c.setLong(v);
  return new CellConst(c.c);
}
inline ExprNode* CY(double v) {
  ValueCellVar c;
  c.c.setCurrency(Currency::fromDouble(v));
  return new CellConst(c.c);
}
inline ExprNode* Bin(int op, ExprNode* a, ExprNode* b) { return new BinaryOp(op, a, b); }

// One parse's identifier table and blocks.
struct Prog {
  IdDynamicVector ids;
  BlockDynamicVector blocks;

  Sid* id(const char* n, int suffix = 0) { return new Sid(ids.stringIndex(n), suffix); }
  Cid* call(const char* n, std::initializer_list<ExprNode*> args) {
    Cid* c = new Cid;
    for (ExprNode* a : args) c->append(a);
    return Cid::call(id(n), c);
  }
  // A block of statements with declarations; answers its number.
  int block(std::initializer_list<ExecNode*> nodes, std::initializer_list<Field*> locals = {}, int flag = 0) {
    Faultp<BlockBuildRep> b(new BlockBuildRep(flag));
    for (Field* f : locals) b->addLocalVar(f);
    for (ExecNode* n : nodes) b->addExecNode(n);
    return blocks.close(b.get());
  }
  ExecNode* let(const char* var, ExprNode* value, int line = 1) {
    return new Assignment(line, 0, id(var), value);
  }

  // A Sub/Function whose outer block holds nodes (made last: the highest number).
  InterProcField* sub(const char* name, std::initializer_list<ExecNode*> nodes,
                      std::initializer_list<Field*> locals = {}, std::initializer_list<Field*> args = {}) {
    block(nodes, locals);
    DeadSource dead;
    InterProcField* p = new InterProcField(name, ids, blocks, dead);
    for (Field* a : args) p->addArgument(a);
    reset();
    return p;
  }
  InterFuncField* func(const char* name, unsigned char type, std::initializer_list<ExecNode*> nodes,
                       std::initializer_list<Field*> locals = {}, std::initializer_list<Field*> args = {}) {
    block(nodes, locals);
    DeadSource dead;
    InterFuncField* p = new InterFuncField(name, ids, blocks, InterDataField::make("", type, 2), dead);
    for (Field* a : args) p->addArgument(a);
    reset();
    return p;
  }
  // The parser resets its context after each procedure (the field keeps copies).
  void reset() { blocks.clear(); }
};

inline Field* Var(const char* n, unsigned char type) { return InterDataField::make(n, type, 2); }
inline Field* ByRef(const char* n, unsigned char type) { return InterDataField::make(n, type, 0); }
inline Field* ByVal(const char* n, unsigned char type) { return InterDataField::make(n, type, 2); }

// An object of no class, with a counted reference, for methods to run on.
struct Obj {
  explicit Obj(const char* name = "TestObj") : rep(new InterObjRep(nullptr, name, 254)) { rep->ref(); }
  ~Obj() { rep->unref(); }
  void add(Field* f) { rep->addField(f, nullptr, 0); }
  InterObjRep* rep;
};

// Calls method name of obj with the values (taken over), answers the result's text and type.
struct Result {
  unsigned char type = 0;
  std::string text;
};

inline Result CallMember(InterObjRep* obj, const char* name, std::initializer_list<Value*> args = {}) {
  ValueList* list = new ValueList;
  list->ref();
  for (Value* v : args) list->ppush(v);
  Value* r = obj->evalIMember(name, list, nullptr, 0);
  list->unref();
  Result res;
  if (r) {
    res.type = r->type();
    ValString t;
    if (r->type() != kTypeObject && r->toText(t)) res.text = t.c_str();
    r->unref();
  }
  return res;
}

// A data member's value as a Long.
inline long MemberLong(InterObjRep* obj, const char* name) {
  Value* v = obj->evalIMember(name, nullptr, nullptr, 0);
  long r = v->asLong();
  v->unref();
  return r;
}

// Evaluates an expression tree without an object.
inline Result Eval(Prog& p, ExprNode* e) {
  EvalableExpr x(e, p.ids);
  Context ctx;
  Value* r = x.eval(ctx, 0);
  Result res;
  res.type = r->type();
  ValString t;
  if (r->type() != kTypeObject && r->toText(t)) res.text = t.c_str();
  r->unref();
  return res;
}

}  // namespace execkit
