// Statements run by the interpreter: every control-flow form, procedures with both
// argument modes and recursion, arrays and Redim Preserve, With, Try/Catch/Throw.
#include "exec_kit.h"

using namespace execkit;

namespace {

Value* CellToValueForTest(const ValueCell& c) {
  Value* v = new DirectValue<InterObj, kTypeObject>(InterObj(c.obj.rep));
  v->ref();
  return v;
}

ExprNode* Add(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::ADD, a, b); }
ExprNode* Mul(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::MUL, a, b); }
ExprNode* Cmp(int op, ExprNode* a, ExprNode* b) { return Bin(op, a, b); }

// Function F() As Long with the body nodes and locals, run on a fresh object.
std::string RunF(Prog& p, std::initializer_list<ExecNode*> nodes, std::initializer_list<Field*> locals = {}) {
  Obj o;
  o.add(p.func("F", kTypeLong, nodes, locals));
  return CallMember(o.rep, "F").text;
}

TEST(ExecFlow, ForNextSumsAndLeavesTheVariablePastTheEnd) {
  Prog p;
  int body = p.block({p.let("s", Add(p.id("s"), p.id("i")))});
  EXPECT_EQ("55011", RunF(p,
                          {new ForNext(1, body, p.id("i"), I(1), I(10), nullptr, 1, FOR_NUMERIC),
                           p.let("F", Add(Mul(p.id("s"), I(1000)), p.id("i")))},
                          {Var("i", kTypeLong), Var("s", kTypeLong)}));
}

TEST(ExecFlow, ForNextStepsDownAndEvaluatesEndOnce) {
  Prog p;
  // For i = 10 To n Step -2: n = 100 (the end was read before): 5 passes, i ends at 0.
  int body = p.block({p.let("c", Add(p.id("c"), I(1))), p.let("n", I(100))});
  EXPECT_EQ("5000",
            RunF(p,
                 {p.let("n", I(1)), new ForNext(1, body, p.id("i"), I(10), p.id("n"), I(-2), 0, FOR_NUMERIC),
                  p.let("F", Add(Mul(p.id("c"), I(1000)), p.id("i")))},
                 {Var("i", kTypeShort), Var("c", kTypeLong), Var("n", kTypeLong)}));
  // A Double loop variable with a fractional step.
  Prog q;
  int b2 = q.block({q.let("c", Add(q.id("c"), I(1)))});
  EXPECT_EQ(
      "5",
      RunF(q, {new ForNext(1, b2, q.id("x"), D(0), D(1), D(0.25), 0, FOR_NUMERIC), q.let("F", q.id("c"))},
           {Var("x", kTypeDouble), Var("c", kTypeLong)}));
}

TEST(ExecFlow, ExitForAndExitDo) {
  Prog p;
  int inner = p.block({new ExitStmt(3, EXIT_FOR)});
  int body = p.block({new SimpleIfThen(2, Cmp(BinaryOp::EQ, p.id("i"), I(4)), inner, -1)});
  EXPECT_EQ(
      "4",
      RunF(p, {new ForNext(1, body, p.id("i"), I(1), I(10), nullptr, 0, FOR_NUMERIC), p.let("F", p.id("i"))},
           {Var("i", kTypeLong)}));
  Prog q;
  int ex = q.block({new ExitStmt(3, EXIT_DO)});
  int loop = q.block(
      {q.let("i", Add(q.id("i"), I(1))), new SimpleIfThen(2, Cmp(BinaryOp::GT, q.id("i"), I(6)), ex, -1)});
  EXPECT_EQ("7", RunF(q, {new DoLoop(1, 7, loop, nullptr), q.let("F", q.id("i"))}, {Var("i", kTypeLong)}));
  // Exit Function from inside a For inside a Do leaves the function with its result.
  Prog r;
  int ef = r.block({r.let("F", r.id("i")), new ExitStmt(3, EXIT_FUNCTION)});
  int forBody = r.block({new SimpleIfThen(2, Cmp(BinaryOp::EQ, r.id("i"), I(3)), ef, -1)});
  int doBody = r.block({new ForNext(1, forBody, r.id("i"), I(1), I(10), nullptr, 0, FOR_NUMERIC)});
  EXPECT_EQ("3", RunF(r, {new DoLoop(1, 7, doBody, nullptr), r.let("F", I(99))}, {Var("i", kTypeLong)}));
  // A plain Exit leaves the innermost loop only.
  Prog t;
  int plain = t.block({new ExitStmt(3, EXIT_ANY)});
  int jBody = t.block(
      {new SimpleIfThen(2, Cmp(BinaryOp::EQ, t.id("j"), I(2)), plain, -1), t.let("n", Add(t.id("n"), I(1)))});
  int outer = t.block({new ForNext(1, jBody, t.id("j"), I(1), I(5), nullptr, 0, FOR_NUMERIC)});
  EXPECT_EQ(
      "3",
      RunF(t, {new ForNext(1, outer, t.id("i"), I(1), I(3), nullptr, 0, FOR_NUMERIC), t.let("F", t.id("n"))},
           {Var("i", kTypeLong), Var("j", kTypeLong), Var("n", kTypeLong)}));
}

// Each Do kind counts how often its body runs with i starting at 0 and the test i < 3
// (kinds 3, 4, 8) or i >= 3 (kinds 5, 6); i = start first.
struct LoopCase {
  int kind;
  int start;
  const char* passes;
};

TEST(ExecFlow, DoLoopKinds) {
  const LoopCase cases[] = {
      {3, 0, "3"}, {3, 5, "0"},  // Do While c ... Loop
      {5, 0, "3"}, {5, 5, "0"},  // Do Until c ... Loop
      {4, 0, "3"}, {4, 5, "1"},  // Do ... Loop While c (runs once at least)
      {6, 0, "3"}, {6, 5, "1"},  // Do ... Loop Until c
      {8, 0, "3"}, {8, 5, "0"},  // While c ... Wend
  };
  for (const LoopCase& c : cases) {
    Prog p;
    int body = p.block({p.let("i", Add(p.id("i"), I(1))), p.let("n", Add(p.id("n"), I(1)))});
    int op = (c.kind == 5 || c.kind == 6) ? BinaryOp::GE : BinaryOp::LT;
    EXPECT_EQ(c.passes, RunF(p,
                             {p.let("i", I(c.start)), new DoLoop(1, c.kind, body, Cmp(op, p.id("i"), I(3))),
                              p.let("F", p.id("n"))},
                             {Var("i", kTypeLong), Var("n", kTypeLong)}))
        << "kind " << c.kind << " start " << c.start;
  }
}

TEST(ExecFlow, IfElseIfElseAndSelectCase) {
  for (int x : {1, 5, 9}) {
    Prog p;
    int b1 = p.block({p.let("F", S("one"))});
    int b2 = p.block({p.let("F", S("five"))});
    int be = p.block({p.let("F", S("other"))});
    PtrList<IfClause> clauses;
    clauses.append(new IfClause(Cmp(BinaryOp::EQ, p.id("x"), I(1)), 1, b1));
    clauses.append(new IfClause(Cmp(BinaryOp::EQ, p.id("x"), I(5)), 3, b2));
    Obj o;
    o.add(p.func("F", kTypeString, {p.let("x", I(x)), new ComplexIfThen(1, 5, be, clauses)},
                 {Var("x", kTypeLong)}));
    EXPECT_EQ(x == 1 ? "one" : x == 5 ? "five" : "other", CallMember(o.rep, "F").text);
    EXPECT_TRUE(clauses.isEmpty());
  }
  // Select Case: Case 1, 2 / Case 3 To 5 / Case Is > 100 / Case Else.
  const std::pair<int, const char*> sel[] = {{2, "a"}, {4, "b"}, {200, "c"}, {50, "d"}};
  for (auto& s : sel) {
    Prog p;
    int ba = p.block({p.let("F", S("a"))});
    int bb = p.block({p.let("F", S("b"))});
    int bc = p.block({p.let("F", S("c"))});
    int be = p.block({p.let("F", S("d"))});
    PtrList<ECaseClauseBase> list;
    ECaseClause* c1 = new ECaseClause(ECC_EQUAL, I(1));
    c1->setBlock(ba);
    ECaseClause* c1b = new ECaseClause(ECC_EQUAL, I(2));
    c1b->markSuccessive();
    ECaseClause* c2 = new ECaseClause(ECC_RANGE, I(3), I(5));
    c2->setBlock(bb);
    ECaseClause* c3 = new ECaseClause(ECC_IS_GT, I(100));
    c3->setBlock(bc);
    for (ECaseClause* c : {c1, c1b, c2, c3}) list.append(c);
    Obj o;
    o.add(p.func("F", kTypeString, {new SelectCase(1, 9, I(s.first), list, be, 7)}));
    EXPECT_EQ(s.second, CallMember(o.rep, "F").text) << s.first;
  }
}

TEST(ExecFlow, ProceduresByValueByReferenceAndRecursion) {
  Prog p;
  Obj o;
  // Sub Inc(x As Long): x = x + 1   (by reference)
  o.add(p.sub("Inc", {p.let("x", Add(p.id("x"), I(1)))}, {}, {ByRef("x", kTypeLong)}));
  // Sub NoInc(ByVal x As Long): x = x + 1
  o.add(p.sub("NoInc", {p.let("x", Add(p.id("x"), I(1)))}, {}, {ByVal("x", kTypeLong)}));
  // Function Fact(ByVal n As Long) As Long: If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)
  {
    int t = p.block({p.let("Fact", I(1))});
    int e = p.block({p.let("Fact", Mul(p.id("n"), p.call("Fact", {Bin(BinaryOp::SUB, p.id("n"), I(1))})))});
    o.add(p.func("Fact", kTypeLong, {new SimpleIfThen(1, Cmp(BinaryOp::LE, p.id("n"), I(1)), t, e)}, {},
                 {ByVal("n", kTypeLong)}));
  }
  // Function F() As Long: a = 5: Inc a: NoInc a: Call Inc((a)): F = a * 10000 + Fact(7)
  {
    Cid* paren = new Cid(p.id("a"));
    paren->arg(0)->setFlag(EF_PAREN);
    o.add(p.func("F", kTypeLong,
                 {p.let("a", I(5)), new FunctionCallStmt(2, p.call("Inc", {p.id("a")}), 1),
                  new FunctionCallStmt(3, p.call("NoInc", {p.id("a")}), 1),
                  new FunctionCallStmt(4, Cid::call(p.id("Inc"), paren), 2),
                  p.let("F", Add(Mul(p.id("a"), I(10000)), p.call("Fact", {I(7)})))},
                 {Var("a", kTypeLong)}));
  }
  EXPECT_EQ("65040", CallMember(o.rep, "F").text);  // a = 6, 7! = 5040
  // From C++: a by-reference argument given as an IndirectValue writes back.
  long v = 41;
  CallMember(o.rep, "Inc", {new IndirectValue<long, kTypeLong>(v)});
  EXPECT_EQ(42, v);
  long w = 41;
  CallMember(o.rep, "NoInc", {new IndirectValue<long, kTypeLong>(w)});
  EXPECT_EQ(41, w);
  EXPECT_EQ("3628800", CallMember(o.rep, "Fact", {new DirectValue<long, kTypeLong>(10)}).text);
  // Wrong argument count.
  EXPECT_THROW(CallMember(o.rep, "Fact"), StoreException);
  // By-reference parameters given calls and constants get copies, nothing is written back.
  o.add(p.func("Add", kTypeLong, {p.let("Add", Add(p.id("a"), p.id("b")))}, {},
               {ByRef("a", kTypeLong), ByRef("b", kTypeLong)}));
  o.add(p.func("G", kTypeLong, {p.let("G", p.call("Add", {p.call("Add", {I(1), I(2)}), I(3)}))}));
  EXPECT_EQ("6", CallMember(o.rep, "G").text);
}

TEST(ExecFlow, DeepRecursionIsAnErrorNotACrash) {
  Prog p;
  Obj o;
  o.add(p.sub("R", {new FunctionCallStmt(1, p.call("R", {}), 2)}));
  try {
    CallMember(o.rep, "R");
    FAIL() << "no error";
  } catch (StoreException& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("nested too deeply"));
  }
}

// A debugger whose procedure-entry report fails: the call fails, and the execution stack
// is as it was before it (no frame of the failed call stays on top).
TEST(ExecFlow, FailingEntryHookLeavesTheStackAsItWas) {
  struct Refusing : DebugHook {
    void statement(StackFrame&, int) override {}
    void procedureEntered(StackFrame&) override { throw StoreException("refused"); }
  } hook;
  Prog p;
  Obj o;
  o.add(p.func("F", kTypeLong, {p.let("F", I(1))}));
  ExecutionStack::setHook(&hook);
  EXPECT_THROW(CallMember(o.rep, "F"), StoreException);
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ(nullptr, ExecutionStack::top());
  EXPECT_EQ(0, ExecutionStack::activeFrames());
  EXPECT_EQ("1", CallMember(o.rep, "F").text);
}

InterArray<long, kTypeLong>* LongArray(const char* name, int lower, int upper) {
  InterArray<long, kTypeLong>* a = InterArray<long, kTypeLong>::make(name, 2);
  a->defineDimen(0, lower, upper);
  return a;
}

TEST(ExecFlow, ArraysBoundsAndRedimPreserve) {
  Prog p;
  // Dim a(5): For i = 0 To 5: a(i) = i * i: Next
  // Redim Preserve a(10): F = UBound(a) * 10000 + a(5) * 100 + a(10) + LBound(a)
  int body = p.block({new Assignment(2, 0, p.call("a", {p.id("i")}), Mul(p.id("i"), p.id("i")))});
  PtrList<PtrPair<ExprNode, ExprNode>>* bounds = new PtrList<PtrPair<ExprNode, ExprNode>>;
  bounds->append(new PtrPair<ExprNode, ExprNode>(nullptr, I(10)));
  Sid* name = p.id("a");
  ExecNode* redim = new RedimStmt(4, *name, bounds, 1);
  delete name;
  EXPECT_EQ("102500", RunF(p,
                           {new ForNext(1, body, p.id("i"), I(0), I(5), nullptr, 0, FOR_NUMERIC), redim,
                            p.let("F", Add(Add(Mul(new IntrBound(1, p.id("a"), nullptr), I(10000)),
                                               Mul(p.call("a", {I(5)}), I(100))),
                                           Add(p.call("a", {I(10)}), new IntrBound(2, p.id("a"), nullptr))))},
                           {LongArray("a", 0, 5), Var("i", kTypeLong)}));
  // Bounds 1 To 3: index 0 is a range error naming the bounds.
  Prog q;
  try {
    RunF(q, {q.let("F", q.call("b", {I(0)}))}, {LongArray("b", 1, 3)});
    FAIL();
  } catch (RangeError& e) {
    EXPECT_EQ(1, e.low());
    EXPECT_EQ(3, e.high());
    EXPECT_EQ(0, e.value());
  }
  // Redim without Preserve clears; an array passed by reference is the caller's.
  Prog r;
  Obj o;
  o.add(r.sub("Fill", {new Assignment(1, 0, r.call("x", {I(2)}), I(7))}, {},
              {new ArrayReferenceField(kTypeLong | kTypeArrayFlag, "x")}));
  o.add(r.func("F", kTypeLong,
               {new FunctionCallStmt(1, r.call("Fill", {r.id("v")}), 1), r.let("F", r.call("v", {I(2)}))},
               {LongArray("v", 0, 3)}));
  EXPECT_EQ("7", CallMember(o.rep, "F").text);
}

TEST(ExecFlow, StaticsConstantsAndForEach) {
  Prog p;
  Obj o;
  // Function Counter() As Long: Static n As Long: Const step = 5: n = n + step: Counter = n
  {
    Faultp<BlockBuildRep> b(new BlockBuildRep(0));
    b->addStaticLocalVar(Var("n", kTypeLong), nullptr);
    Field* k = InterDataField::make("step", kTypeShort, 1);
    b->addConstVar(k, new DirectValue<short, kTypeShort>(5));
    b->addExecNode(p.let("n", Add(p.id("n"), p.id("step"))));
    b->addExecNode(p.let("Counter", p.id("n")));
    p.blocks.close(b.get());
    DeadSource dead;
    o.add(new InterFuncField("Counter", p.ids, p.blocks, InterDataField::make("", kTypeLong, 2), dead));
    p.reset();
  }
  EXPECT_EQ("5", CallMember(o.rep, "Counter").text);
  EXPECT_EQ("10", CallMember(o.rep, "Counter").text);
  // A second declaration of a name in one block is a collision.
  Faultp<BlockBuildRep> twice(new BlockBuildRep(0));
  twice->addLocalVar(Var("a", kTypeLong));
  EXPECT_THROW(twice->addLocalVar(Var("A", kTypeShort)), FieldCollision);
  // Assigning to a constant is an error.
  {
    Faultp<BlockBuildRep> b(new BlockBuildRep(0));
    b->addConstVar(InterDataField::make("k", kTypeShort, 1), new DirectValue<short, kTypeShort>(1));
    b->addExecNode(p.let("k", I(2)));
    p.blocks.close(b.get());
    DeadSource dead;
    o.add(new InterProcField("SetK", p.ids, p.blocks, dead));
    p.reset();
  }
  EXPECT_THROW(CallMember(o.rep, "SetK"), StoreException);
  // For Each e In a: s = s & e: Next
  InterArray<ValString, kTypeString>* a = InterArray<ValString, kTypeString>::make("a", 2);
  a->defineDimen(0, 1, 3);
  int body = p.block({p.let("s", Bin(BinaryOp::CAT, p.id("s"), p.id("e")))});
  o.add(p.func(
      "Each", kTypeString,
      {new Assignment(1, 0, p.call("a", {I(1)}), S("x")), new Assignment(1, 0, p.call("a", {I(3)}), S("z")),
       new ForNext(2, body, p.id("e"), nullptr, p.id("a"), nullptr, 0, FOR_EACH_IN),
       p.let("Each", p.id("s"))},
      {a, Var("e", kTypeString), Var("s", kTypeString)}));
  EXPECT_EQ("xz", CallMember(o.rep, "Each").text);
}

TEST(ExecFlow, WithBlockAndMembersOfMe) {
  Prog p;
  Obj o;
  o.add(InterDataField::make("Count", kTypeLong, 2));
  // With Me: .Count = 3: End With: Count = Count + 1: F = Count
  Sid* dotted = p.id("Count");
  dotted->markAsDotted();
  int body = p.block({new Assignment(2, 0, dotted, I(3))});
  o.add(p.func("F", kTypeLong,
               {new WithBlock(1, body, new MeNode), p.let("Count", Add(p.id("Count"), I(1))),
                p.let("F", p.id("Count"))}));
  EXPECT_EQ("4", CallMember(o.rep, "F").text);
  EXPECT_EQ(4, MemberLong(o.rep, "Count"));
  // The member a name found is looked up again after the object's members change.
  o.add(p.func("G", kTypeLong, {p.let("G", p.id("V"))}));
  o.add(InterDataField::make("V", kTypeLong, 2));
  EXPECT_EQ("0", CallMember(o.rep, "G").text);
  o.rep->removeField("V");
  o.add(p.func("V", kTypeLong, {p.let("V", I(9))}));
  EXPECT_EQ("9", CallMember(o.rep, "G").text);
}

TEST(ExecFlow, PropertyProceduresAndDeepAssignment) {
  Prog p;
  Obj o;
  o.add(InterDataField::make("Count", kTypeLong, 2));
  o.add(InterDataField::make("Other", kTypeObject, 2));
  // Function GetX() As Long: GetX = Count * 2 / Sub SetX(ByVal v As Long): Count = v
  o.add(p.func("GetX", kTypeLong, {p.let("GetX", Bin(BinaryOp::MUL, p.id("Count"), I(2)))}));
  o.add(p.sub("SetX", {p.let("Count", p.id("v"))}, {}, {ByVal("v", kTypeLong)}));
  o.add(InterProcDataField::make("X", kTypeLong, "", "SetX", "GetX"));
  o.add(InterProcDataField::make("RO", kTypeLong, "", nullptr, "GetX"));
  o.add(p.func("F", kTypeLong, {p.let("X", I(5)), p.let("F", p.id("X"))}));
  EXPECT_EQ("10", CallMember(o.rep, "F").text);
  o.add(p.sub("W", {p.let("RO", I(1))}));
  EXPECT_THROW(CallMember(o.rep, "W"), StoreException);

  // Other := Me copies Count into the other object; Set keeps one object.
  Obj other("Other");
  other.add(InterDataField::make("Count", kTypeLong, 2));
  ValueCellVar ref;
  ref.c.setObject(other.rep);
  Value* rv = CellToValueForTest(ref.c);
  static_cast<DataField*>(o.rep->findField("Other"))->set(*o.rep, *rv);
  rv->unref();
  o.add(p.sub("Deep", {p.let("Count", I(77)), new Assignment(2, 4, p.id("Other"), new MeNode)}));
  CallMember(o.rep, "Deep");
  EXPECT_EQ(77, MemberLong(other.rep, "Count"));
}

TEST(ExecFlow, TryCatchThrowInBasic) {
  Prog p;
  Obj o;
  // Try: Throw Oops(42, "x"): Catch Oops(n, s): F = n: End Try
  int tryBody = p.block({new ThrowStmt(2, p.call("Oops", {I(42), S("x")}))});
  Faultp<BlockBuildRep> cb(new BlockBuildRep(0));
  cb->addArgumentVar(Var("n", kTypeLong));
  cb->addArgumentVar(Var("s", kTypeString));
  cb->addExecNode(p.let("F", Add(p.id("n"), new IntrString(72, 0, p.id("s")))));
  int catchBody = p.blocks.close(cb.get());
  PtrList<CatchClause> clauses;
  clauses.append(new CatchClause(p.id("Oops"), catchBody));
  o.add(p.func("F", kTypeLong, {new TryBlock(1, 5, tryBody, clauses)}));
  EXPECT_EQ("43", CallMember(o.rep, "F").text);

  // A run-time error caught by a clause without name; the message reaches the variable.
  Prog q;
  int t2 = q.block({q.let("x", Bin(BinaryOp::DIV, I(1), I(0)))});
  Faultp<BlockBuildRep> c2(new BlockBuildRep(0));
  c2->addArgumentVar(Var("msg", kTypeString));
  c2->addExecNode(q.let("F", q.id("msg")));
  int cb2 = q.blocks.close(c2.get());
  PtrList<CatchClause> all;
  all.append(new CatchClause(nullptr, cb2));
  Obj o2;
  o2.add(q.func("F", kTypeString, {new TryBlock(1, 5, t2, all)}, {Var("x", kTypeDouble)}));
  EXPECT_FALSE(CallMember(o2.rep, "F").text.empty());
}

TEST(ExecFlow, UncaughtErrorsCarryLineObjectAndMember) {
  Prog p;
  Obj o("Form7");
  o.add(p.sub("Boom", {p.let("x", I(1), 1), p.let("x", Bin(BinaryOp::IDIV, I(1), I(0)), 3)},
              {Var("x", kTypeLong)}));
  try {
    CallMember(o.rep, "Boom");
    FAIL();
  } catch (StoreException& e) {
    EXPECT_EQ(3, e.line());
    EXPECT_EQ("Form7", e.objectName());
    EXPECT_EQ("Boom", e.memberName());
    EXPECT_EQ((unsigned)kMsgIntDivisionByZero, e.id());
  }
}

// A method implemented in C++ that fails.
class NativeFail : public MethodField {
 public:
  NativeFail() : MethodField("Native") {}
  Value* invoke(InterObjRep&, ValueList*, int) override { throw RangeError(kMsgIndexOutOfRange, 1, 9, 12); }
};

TEST(ExecFlow, NativeExceptionCaughtInBasicAndBasicThrowCaughtInCpp) {
  Prog p;
  Obj o;
  o.add(new NativeFail);
  int t = p.block({new FunctionCallStmt(2, p.call("Native", {}), 2)});
  Faultp<BlockBuildRep> c(new BlockBuildRep(0));
  c->addArgumentVar(Var("m", kTypeString));
  c->addArgumentVar(Var("id", kTypeLong));
  c->addExecNode(p.let("F", p.id("id")));
  int cb = p.blocks.close(c.get());
  PtrList<CatchClause> clauses;
  clauses.append(new CatchClause(p.id("Unrelated"), cb));  // does not match
  clauses.append(new CatchClause(p.id("RangeError"), cb));
  o.add(p.func("F", kTypeLong, {new TryBlock(1, 5, t, clauses)}));
  EXPECT_EQ(IdText(kMsgIndexOutOfRange), CallMember(o.rep, "F").text);

  Prog q;
  Obj o2("Thrower");
  o2.add(q.sub("T", {new ThrowStmt(4, q.call("Custom", {I(7)}))}));
  try {
    CallMember(o2.rep, "T");
    FAIL();
  } catch (BasicException& e) {
    EXPECT_EQ("Custom", e.name());
    ASSERT_EQ(1, e.valueCount());
    EXPECT_EQ(7, e.value(0)->asLong());
    EXPECT_EQ(4, e.line());
    EXPECT_EQ("T", e.memberName());
  }
}


// Statements of a typed loop (Long and Double locals, a Long member, Mod, comparisons)
// still go through the debugger's hook one by one: the hook sees every statement in
// order, can stop the run at any of them, and errors in them carry their own lines.
struct LineHook : DebugHook {
  std::vector<int> lines;
  int stopAt = -1, stopVisit = 0;
  void statement(StackFrame&, int line) override {
    lines.push_back(line);
    if (line == stopAt && --stopVisit == 0) throw StoreException("stopped");
  }
};

// n = 0 / For i = 1 To 3 / If i Mod 2 = 0 Then n = n + i / x = x * 2 + i, m = m + n / F = n
InterFuncField* TypedLoop(Prog& p) {
  int then = p.block({p.let("n", Add(p.id("n"), p.id("i")), 4)});
  int body = p.block({new SimpleIfThen(3, Cmp(BinaryOp::EQ, Bin(BinaryOp::MOD, p.id("i"), I(2)), I(0)), then, -1),
                      p.let("x", Add(Mul(p.id("x"), D(2)), p.id("i")), 5), p.let("m", Add(p.id("m"), p.id("n")), 6)});
  return p.func("F", kTypeLong,
                {p.let("n", I(0), 1), new ForNext(2, body, p.id("i"), I(1), I(3), nullptr, 1, FOR_NUMERIC),
                 p.let("F", Add(Mul(p.id("n"), I(100)), p.id("x")), 7)},
                {Var("i", kTypeLong), Var("n", kTypeLong), Var("x", kTypeDouble)});
}

TEST(ExecFlow, HookSeesEveryStatementOfTypedCode) {
  Prog p;
  Obj o;
  o.add(Var("m", kTypeLong));
  o.add(TypedLoop(p));
  LineHook hook;
  ExecutionStack::setHook(&hook);
  std::string r = CallMember(o.rep, "F").text;
  ExecutionStack::setHook(nullptr);
  // x: 1, 4, 11; n: 0, 2, 2.
  EXPECT_EQ("211", r);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 5, 6, 3, 4, 5, 6, 3, 5, 6, 7}), hook.lines);
  EXPECT_EQ("4", CallMember(o.rep, "m").text);
  // Without the hook the same code gives the same result.
  EXPECT_EQ("211", CallMember(o.rep, "F").text);
  EXPECT_EQ("8", CallMember(o.rep, "m").text);
}

TEST(ExecFlow, HookStopsTypedCodeAtAnyStatement) {
  // Stopping before each statement in turn: the run ends there, and only the statements
  // before it had their effect (m counts the passes through line 6).
  const int stops[][3] = {{1, 1, 0}, {3, 1, 0}, {4, 1, 0}, {5, 3, 2}, {6, 3, 2}, {7, 1, 4}};
  for (const auto& s : stops) {
    Prog p;
    Obj o;
    o.add(Var("m", kTypeLong));
    o.add(TypedLoop(p));
    LineHook hook;
    hook.stopAt = s[0];
    hook.stopVisit = s[1];
    ExecutionStack::setHook(&hook);
    EXPECT_THROW(CallMember(o.rep, "F"), StoreException) << "line " << s[0];
    ExecutionStack::setHook(nullptr);
    EXPECT_EQ(s[0], hook.lines.back());
    EXPECT_EQ(std::to_string(s[2]), CallMember(o.rep, "m").text) << "line " << s[0];
  }
}

TEST(ExecFlow, ErrorsInTypedCodeCarryTheirLines) {
  // Long overflow, Integer overflow, division by zero, Mod by zero, overflow of a member,
  // a Double result too large: each in the third pass of a loop, on its own line.
  struct Case {
    int op;
    unsigned char type;
    ExprNode* (*right)();
    unsigned id;
  };
  const Case cases[] = {
      {BinaryOp::MUL, kTypeLong, [] { return (ExprNode*)new LongConstant(1000000000, 0); }, kMsgIntegerOverflow},
      {BinaryOp::MUL, kTypeShort, [] { return I(10000); }, kMsgIntegerOverflow},
      {BinaryOp::IDIV, kTypeLong, [] { return I(0); }, kMsgIntDivisionByZero},
      {BinaryOp::MOD, kTypeShort, [] { return I(0); }, kMsgIntDivisionByZero},
      {BinaryOp::MUL, kTypeDouble, [] { return D(1e300); }, 0},
  };
  for (const Case& c : cases) {
    Prog p;
    Obj o("Typed");
    // v = 1 / For i = 1 To 3 / v = v + step / If i = 3 Then v = v op k / Next
    int then = p.block({p.let("v", Bin(c.op, p.id("v"), c.right()), 9)});
    ExprNode* step = c.type == kTypeDouble ? D(1e300) : I(1);
    int body = p.block({p.let("v", Add(p.id("v"), step), 7),
                        new SimpleIfThen(8, Cmp(BinaryOp::EQ, p.id("i"), I(3)), then, -1)});
    o.add(p.func("F", kTypeLong,
                 {p.let("v", I(1), 1), new ForNext(2, body, p.id("i"), I(1), I(3), nullptr, 1, FOR_NUMERIC)},
                 {Var("i", kTypeLong), Var("v", c.type)}));
    try {
      CallMember(o.rep, "F");
      ADD_FAILURE() << "no error for op " << c.op << " type " << (int)c.type;
    } catch (StoreException& e) {
      EXPECT_EQ(9, e.line()) << c.op;
      if (c.id) {
        EXPECT_EQ(c.id, e.id()) << c.op;
      }
    }
  }
}

}  // namespace

namespace {

// n = 0 / Do While n < 5 / n = n + 1 / If n = 2 Then k = k + 10 / ElseIf n = 4 Then Exit Do /
// Loop / F = n * 100 + k
InterFuncField* TypedDoLoop(Prog& p) {
  int b1 = p.block({p.let("k", Add(p.id("k"), I(10)), 5)});
  int b2 = p.block({new ExitStmt(7, EXIT_DO)});
  PtrList<IfClause> clauses;
  clauses.append(new IfClause(Cmp(BinaryOp::EQ, p.id("n"), I(2)), 4, b1));
  clauses.append(new IfClause(Cmp(BinaryOp::EQ, p.id("n"), I(4)), 6, b2));
  int body = p.block({p.let("n", Add(p.id("n"), I(1)), 3), new ComplexIfThen(4, -1, -1, clauses)});
  return p.func("F", kTypeLong,
                {p.let("n", I(0), 1), new DoLoop(2, LOOP_WHILE, body, Cmp(BinaryOp::LT, p.id("n"), I(5))),
                 p.let("F", Add(Mul(p.id("n"), I(100)), p.id("k")), 10)},
                {Var("n", kTypeLong)});
}

}  // namespace

TEST(ExecFlow, HookSeesEveryStatementOfATypedDoLoopWithElseIfAndExit) {
  Prog p;
  Obj o;
  o.add(Var("k", kTypeLong));
  o.add(TypedDoLoop(p));
  LineHook hook;
  ExecutionStack::setHook(&hook);
  EXPECT_EQ("410", CallMember(o.rep, "F").text);
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 3, 4, 5, 3, 4, 3, 4, 7, 10}), hook.lines);
  // Stopping at the ElseIf's body in the first and only pass that reaches it.
  LineHook stop;
  stop.stopAt = 7;
  stop.stopVisit = 1;
  ExecutionStack::setHook(&stop);
  EXPECT_THROW(CallMember(o.rep, "F"), StoreException);
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ(7, stop.lines.back());
  EXPECT_EQ(20, MemberLong(o.rep, "k"));  // 10 from the first run, 10 from this one
}

// A loop's typed code keeps the cell of a member it reads and writes between runs: the
// cell must be found again when the object, the signature or the object's cells change.
TEST(ExecFlow, TypedLoopFindsItsMemberAgainAfterChanges) {
  // For i = 1 To 3 / m = m + i / Next / F = m
  auto sum = [](Prog& p) {
    int body = p.block({p.let("m", Add(p.id("m"), p.id("i")), 3)});
    return p.func("F", kTypeDouble,
                  {new ForNext(2, body, p.id("i"), I(1), I(3), nullptr, 1, FOR_NUMERIC), p.let("F", p.id("m"), 4)},
                  {Var("i", kTypeLong)});
  };
  Prog p;
  Obj proto("Proto");
  proto.add(Var("m", kTypeLong));
  proto.add(sum(p));
  Prog q;
  proto.add(q.sub("Half", {q.let("m", D(0.5), 1)}));
  // Two objects of the class run the same code, each on its own member.
  InterObjRep* a = new InterObjRep(proto.rep, "A", 254);
  a->ref();
  InterObjRep* b = new InterObjRep(proto.rep, "B", 254);
  b->ref();
  EXPECT_EQ("6", CallMember(a, "F").text);
  EXPECT_EQ("6", CallMember(b, "F").text);
  EXPECT_EQ("12", CallMember(a, "F").text);
  EXPECT_EQ(6, MemberLong(b, "m"));
  EXPECT_EQ(0, MemberLong(proto.rep, "m"));
  // Another member in front of it and other cells made: the same member still.
  proto.add(Var("other", kTypeLong));
  Prog r;
  proto.add(r.sub("SetOther", {r.let("other", I(1), 1)}));
  CallMember(a, "SetOther");
  EXPECT_EQ("18", CallMember(a, "F").text);
  // The member removed and declared again as a Double: the code reads and writes the new
  // one with its own type (the typed code, made for a Long, leaves it to the tree).
  proto.rep->removeField("m");
  proto.add(Var("m", kTypeDouble));
  CallMember(a, "Half");
  EXPECT_EQ("6.5", CallMember(a, "F").text);
  EXPECT_EQ("6", CallMember(b, "F").text);
  a->unref();
  b->unref();
}

TEST(ExecFlow, DeepRecursionThroughTypedLoopsIsAnError) {
  // Sub R / For i = 1 To 2 / n = n + i / R / Next
  Prog p;
  Obj o;
  o.add(Var("n", kTypeLong));
  int body = p.block({p.let("n", Add(p.id("n"), p.id("i")), 3), new FunctionCallStmt(4, p.call("R", {}), 2)});
  o.add(p.sub("R", {new ForNext(2, body, p.id("i"), I(1), I(2), nullptr, 1, FOR_NUMERIC)}, {Var("i", kTypeLong)}));
  try {
    CallMember(o.rep, "R");
    FAIL() << "no error";
  } catch (StoreException& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("nested too deeply"));
    EXPECT_EQ(4, e.line());
  }
  EXPECT_EQ(nullptr, ExecutionStack::top());
}
