// Functions called from typed loop code: a callee replaced after the call was bound, the
// debugger's view of such calls, errors and the execution stack afterwards.
#include "exec_kit.h"

using namespace execkit;

namespace {

ExprNode* Plus(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::ADD, a, b); }
ExprNode* Times(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::MUL, a, b); }

// Function F() As Long: For i = 1 To 3 / s = s + G(i, 1) / Next / F = s
InterFuncField* Caller(Prog& p) {
  int body = p.block({p.let("s", Plus(p.id("s"), p.call("G", {p.id("i"), I(1)})), 3)});
  return p.func("F", kTypeLong,
                {new ForNext(2, body, p.id("i"), I(1), I(3), nullptr, 1, FOR_NUMERIC), p.let("F", p.id("s"), 4)},
                {Var("i", kTypeLong), Var("s", kTypeLong)});
}

// Function G(a As Long, b As Long) As Long: G = a op b
InterFuncField* Callee(Prog& p, int op, Field* a, Field* b, unsigned char result = kTypeLong) {
  return p.func("G", result, {p.let("G", Bin(op, p.id("a"), p.id("b")), 1)}, {}, {a, b});
}

struct EntryHook : DebugHook {
  void statement(StackFrame&, int) override {}
  void procedureEntered(StackFrame& f) override { names.push_back(f.procName ? f.procName : ""); }
  std::vector<std::string> names;
};

}  // namespace

TEST(RegCodeCall, ACalleeReplacedAfterTheCallWasBoundIsCalledAsItIsNow) {
  Prog p, q;
  Obj o;
  o.add(Caller(p));
  o.add(Callee(q, BinaryOp::ADD, ByRef("a", kTypeLong), ByRef("b", kTypeLong)));
  EXPECT_EQ("9", CallMember(o.rep, "F").text);  // 2 + 3 + 4
  // The same parameters: the call binds the new Function.
  o.rep->removeField("G");
  Prog r;
  o.add(Callee(r, BinaryOp::MUL, ByRef("a", kTypeLong), ByRef("b", kTypeLong)));
  EXPECT_EQ("6", CallMember(o.rep, "F").text);  // 1 + 2 + 3
  // Other parameters and result: the general path converts (by value, a Double result
  // rounded into s).
  o.rep->removeField("G");
  Prog t;
  o.add(Callee(t, BinaryOp::DIV, ByVal("a", kTypeDouble), ByVal("b", kTypeDouble), kTypeDouble));
  EXPECT_EQ("6", CallMember(o.rep, "F").text);
  // A by-reference Integer parameter given the Long i: written back through the general path.
  o.rep->removeField("G");
  Prog u;
  o.add(u.func("G", kTypeLong, {u.let("a", I(5), 1), u.let("G", I(1), 2)}, {},
               {ByRef("a", kTypeShort), ByRef("b", kTypeLong)}));
  EXPECT_EQ("1", CallMember(o.rep, "F").text);  // i = 5 after the first pass
  // No Function of that name any more: the general path's error, on the caller's line.
  o.rep->removeField("G");
  o.add(Var("G", kTypeLong));
  try {
    CallMember(o.rep, "F");
    FAIL() << "no error";
  } catch (StoreException& e) {
    EXPECT_EQ(3, e.line());
  }
  EXPECT_EQ(nullptr, ExecutionStack::top());
  EXPECT_EQ(0, ExecutionStack::activeFrames());
}

TEST(RegCodeCall, TheDebuggerSeesEveryCallMadeFromTypedCode) {
  Prog p, q;
  Obj o;
  o.add(Caller(p));
  o.add(Callee(q, BinaryOp::ADD, ByVal("a", kTypeLong), ByVal("b", kTypeLong)));
  EXPECT_EQ("9", CallMember(o.rep, "F").text);
  EntryHook hook;
  ExecutionStack::setHook(&hook);
  EXPECT_EQ("9", CallMember(o.rep, "F").text);
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ((std::vector<std::string>{"F", "G", "G", "G"}), hook.names);
}

TEST(RegCodeCall, AnErrorInTheCalleeCarriesItsLineAndLeavesTheStackAsItWas) {
  // G(a, b) = a \ (b - a + 2): a division by zero in the third pass, inside G.
  Prog p, q;
  Obj o;
  o.add(Caller(p));
  o.add(q.func("G", kTypeLong,
               {q.let("G", I(0), 1),
                q.let("G", Bin(BinaryOp::IDIV, q.id("a"), Plus(Bin(BinaryOp::SUB, q.id("b"), q.id("a")), I(2))), 7)},
               {}, {ByVal("a", kTypeLong), ByVal("b", kTypeLong)}));
  try {
    CallMember(o.rep, "F");
    FAIL() << "no error";
  } catch (StoreException& e) {
    EXPECT_EQ(7, e.line());
    EXPECT_EQ("G", e.memberName());
  }
  EXPECT_EQ(nullptr, ExecutionStack::top());
  EXPECT_EQ(0, ExecutionStack::activeFrames());
  // Run again after the error: the same error, nothing left over from the first run.
  EXPECT_THROW(CallMember(o.rep, "F"), StoreException);
  EXPECT_EQ(0, ExecutionStack::activeFrames());
}

TEST(RegCodeCall, ObjectsOfOneClassEachCallTheirOwn) {
  // The prototype's F calls G; two objects of it run the same typed code on themselves.
  Prog p, q;
  Obj proto("Proto");
  proto.add(Var("k", kTypeLong));
  proto.add(Caller(p));
  proto.add(q.func("G", kTypeLong, {q.let("k", Plus(q.id("k"), q.id("b")), 1), q.let("G", Times(q.id("a"), q.id("k")), 2)},
                   {}, {ByVal("a", kTypeLong), ByVal("b", kTypeLong)}));
  InterObjRep* a = new InterObjRep(proto.rep, "A", 254);
  a->ref();
  InterObjRep* b = new InterObjRep(proto.rep, "B", 254);
  b->ref();
  EXPECT_EQ("14", CallMember(a, "F").text);  // 1*1 + 2*2 + 3*3
  EXPECT_EQ("32", CallMember(a, "F").text);  // 1*4 + 2*5 + 3*6
  EXPECT_EQ("14", CallMember(b, "F").text);
  EXPECT_EQ(6, MemberLong(a, "k"));
  EXPECT_EQ(3, MemberLong(b, "k"));
  a->unref();
  b->unref();
}
