// Interpreter speed: Basic programs built as trees (as the parser would) and timed.
//   source scripts/wine-env.sh; "$OV_WINE" build-$OV_ARCH/bin/store_bench.exe
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "store/block.h"
#include "store/context.h"
#include "store/evalable.h"
#include "store/execctrl.h"
#include "store/execnode.h"
#include "store/exprnode.h"
#include "store/field_data.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/intrinsics.h"
#include "store/procfield.h"
#include "store/value.h"

namespace {

struct Prog {
  IdDynamicVector ids;
  BlockDynamicVector blocks;
  Sid* id(const char* n) { return new Sid(ids.stringIndex(n), 0); }
  Cid* call(const char* n, std::initializer_list<ExprNode*> args) {
    Cid* c = new Cid;
    for (ExprNode* a : args) c->append(a);
    return Cid::call(id(n), c);
  }
  int block(std::initializer_list<ExecNode*> nodes, std::initializer_list<Field*> locals = {}) {
    Faultp<BlockBuildRep> b(new BlockBuildRep(0));
    for (Field* f : locals) b->addLocalVar(f);
    for (ExecNode* n : nodes) b->addExecNode(n);
    return blocks.close(b.get());
  }
  ExecNode* let(const char* v, ExprNode* e) { return new Assignment(1, 0, id(v), e); }
  InterProcField* func(const char* name, unsigned char type, std::initializer_list<ExecNode*> nodes,
                       std::initializer_list<Field*> locals, std::initializer_list<Field*> args = {}) {
    block(nodes, locals);
    DeadSource dead;
    InterProcField* p = type ? new InterFuncField(name, ids, blocks, InterDataField::make("", type, 2), dead)
                             : new InterProcField(name, ids, blocks, dead);
    for (Field* a : args) p->addArgument(a);
    blocks.clear();
    return p;
  }
};

ExprNode* I(long v) { return new LongConstant(v, 0); }
ExprNode* S(const char* t) { return new StringConstant(t); }
ExprNode* Bin(int op, ExprNode* a, ExprNode* b) { return new BinaryOp(op, a, b); }
Field* Var(const char* n, unsigned char t) { return InterDataField::make(n, t, 2); }

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return (double)c.QuadPart / (double)f.QuadPart;
}

void Run(InterObjRep* obj, const char* name, const char* what, long ops) {
  double t0 = Now();
  Value* r = obj->evalIMember(name, nullptr, nullptr, 0);
  double t = Now() - t0;
  ValString text;
  if (r && r->type() != kTypeObject) r->toText(text);
  printf("%-44s %9.1f ms  %8.1f ns/op  (result %s)\n", what, t * 1000, t * 1e9 / (double)ops, text.c_str());
  if (r) r->unref();
}

}  // namespace

int main() {
  IdString::Initialize();
  InterObjRep* obj = new InterObjRep(nullptr, "Bench", 254);
  obj->ref();
  obj->addField(InterDataField::make("Count", kTypeLong, 2), nullptr, 0);
  Prog p;

  // Function Adds() As Long: For i = 1 To 10000000: s = s + 1: Next: Adds = s
  {
    int body = p.block({p.let("s", Bin(BinaryOp::ADD, p.id("s"), I(1)))});
    obj->addField(p.func("Adds", kTypeLong,
                         {new ForNext(1, body, p.id("i"), I(1), I(10000000), nullptr, 0, FOR_NUMERIC),
                          p.let("Adds", p.id("s"))},
                         {Var("i", kTypeLong), Var("s", kTypeLong)}),
                  nullptr, 0);
  }
  // Function Strings() As Long: For i = 1 To 200000: t = "item " & i: n = n + Len(t): Next
  //   then u = "": For i = 1 To 20000: u = u & "x": Next: Strings = n + Len(u)
  {
    int b1 = p.block({p.let("t", Bin(BinaryOp::CAT, S("item "), p.id("i"))),
                      p.let("n", Bin(BinaryOp::ADD, p.id("n"), new IntrString(72, 0, p.id("t"))))});
    int b2 = p.block({p.let("u", Bin(BinaryOp::CAT, p.id("u"), S("x")))});
    obj->addField(
        p.func("Strings", kTypeLong,
               {new ForNext(1, b1, p.id("i"), I(1), I(200000), nullptr, 0, FOR_NUMERIC),
                new ForNext(2, b2, p.id("i"), I(1), I(20000), nullptr, 0, FOR_NUMERIC),
                p.let("Strings", Bin(BinaryOp::ADD, p.id("n"), new IntrString(72, 0, p.id("u"))))},
               {Var("i", kTypeLong), Var("n", kTypeLong), Var("t", kTypeString), Var("u", kTypeString)}),
        nullptr, 0);
  }
  // Function Add1(ByVal x As Long) As Long: Add1 = x + 1
  // Function Calls() As Long: For i = 1 To 1000000: s = Add1(s): Next: Calls = s
  {
    obj->addField(p.func("Add1", kTypeLong, {p.let("Add1", Bin(BinaryOp::ADD, p.id("x"), I(1)))}, {},
                         {InterDataField::make("x", kTypeLong, 2)}),
                  nullptr, 0);
    int body = p.block({p.let("s", p.call("Add1", {p.id("s")}))});
    obj->addField(p.func("Calls", kTypeLong,
                         {new ForNext(1, body, p.id("i"), I(1), I(1000000), nullptr, 0, FOR_NUMERIC),
                          p.let("Calls", p.id("s"))},
                         {Var("i", kTypeLong), Var("s", kTypeLong)}),
                  nullptr, 0);
  }
  // Function Members() As Long: For i = 1 To 1000000: Count = Count + 1: Next: Members = Count
  // Function Dotted() As Long: o = Me: For i = 1 To 1000000: o.Count = o.Count + 1: Next
  {
    int body = p.block({p.let("Count", Bin(BinaryOp::ADD, p.id("Count"), I(1)))});
    obj->addField(p.func("Members", kTypeLong,
                         {new ForNext(1, body, p.id("i"), I(1), I(1000000), nullptr, 0, FOR_NUMERIC),
                          p.let("Members", p.id("Count"))},
                         {Var("i", kTypeLong)}),
                  nullptr, 0);
    int b2 = p.block({new Assignment(1, 0, new Mid(p.id("o"), p.id("Count")),
                                     Bin(BinaryOp::ADD, new Mid(p.id("o"), p.id("Count")), I(1)))});
    obj->addField(p.func("Dotted", kTypeLong,
                         {new Assignment(1, 2, p.id("o"), new MeNode),
                          new ForNext(1, b2, p.id("i"), I(1), I(1000000), nullptr, 0, FOR_NUMERIC),
                          p.let("Dotted", new Mid(p.id("o"), p.id("Count")))},
                         {Var("i", kTypeLong), Var("o", kTypeObject)}),
                  nullptr, 0);
  }

  printf("Basic interpreter (%d-bit)\n", (int)(sizeof(void*) * 8));
  {
    // The value layer's addition alone, for comparison.
    ValueCell s, one;
    s.init();
    one.init();
    s.setLong(0);
    one.setShort(1);
    double t0 = Now();
    for (long i = 0; i < 10000000; ++i) CellBinary(kNumAdd, s, s, one);
    double t = Now() - t0;
    printf("%-44s %9.1f ms  %8.1f ns/op\n", "10M CellBinary additions in C++", t * 1000, t * 100);
  }
  Run(obj, "Adds", "10M integer additions in a For loop", 10000000);
  Run(obj, "Strings", "200K text & number + Len, 20K appends", 220000);
  Run(obj, "Calls", "1M calls of a Basic function (ByVal)", 1000000);
  Run(obj, "Members", "1M reads+writes of a member of Me", 1000000);
  Run(obj, "Dotted", "1M reads+writes of obj.member", 1000000);
  obj->unref();
  return 0;
}
