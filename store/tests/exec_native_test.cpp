// The interpreter and its surroundings: events with by-reference arguments, Declare ...
// Lib calls into kernel32, Print to a printable target, the user-break poll, the
// debugger hook, evaluable blocks.
#include "exec_kit.h"

#include "store/basicexcept.h"
#include "store/cdllfield.h"
#include "store/iinterobj.h"
#include "store/storeapp.h"
#include "olecls/oclstream.h"

#include <memory>

using namespace execkit;

namespace {

ExprNode* Add(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::ADD, a, b); }

TEST(ExecNative, EventHandlerChangesByReferenceArguments) {
  Prog p;
  Obj o;
  // Sub Ping(x As Long): x = x * 2  -- the handler of the object's own event "Ping".
  o.add(p.sub("Ping", {p.let("x", Bin(BinaryOp::MUL, p.id("x"), I(2)))}, {}, {ByRef("x", kTypeLong)}));
  long v = 21;
  ValueList* args = new ValueList;
  args->ppush(new IndirectValue<long, kTypeLong>(v));
  args->ref();
  EXPECT_NE(0, o.rep->evalIEvent("Ping", args, 1));
  EXPECT_EQ(42, v);
  // Raised from Basic: RaiseEvent Ping(n) changes the local n.
  o.add(p.func(
      "F", kTypeLong,
      {p.let("n", I(5)), new FunctionCallStmt(2, p.call("Ping", {p.id("n")}), 4), p.let("F", p.id("n"))},
      {Var("n", kTypeLong)}));
  EXPECT_EQ("10", CallMember(o.rep, "F").text);
}

TEST(ExecNative, DeclareLibCallsKernel32) {
  Prog p;
  Obj o;
  CDLLFuncField* len = new CDLLFuncField("lstrlenA", kTypeLong, "kernel32", nullptr);
  len->addArgument(ByVal("s", kTypeString));
  CDLLFuncField* muldiv = new CDLLFuncField("MulDiv", kTypeLong, "kernel32", nullptr);
  for (const char* n : {"a", "b", "c"}) muldiv->addArgument(ByVal(n, kTypeLong));
  CDLLFuncField* ticks = new CDLLFuncField("GetTickCount", kTypeLong, "kernel32", nullptr);
  // By reference: QueryPerformanceCounter fills a 64-bit integer (Currency's raw value).
  CDLLFuncField* qpc = new CDLLFuncField("QueryPerformanceCounter", kTypeLong, "kernel32", nullptr);
  qpc->addArgument(ByRef("count", kTypeCurrency));
  // A ByVal String buffer filled by the DLL; the Alias names the entry.
  CDLLFuncField* windir = new CDLLFuncField("WinDir", kTypeLong, "kernel32", "GetWindowsDirectoryA");
  windir->addArgument(ByVal("buf", kTypeString));
  windir->addArgument(ByVal("size", kTypeLong));
  for (Field* f : {(Field*)len, (Field*)muldiv, (Field*)ticks, (Field*)qpc, (Field*)windir}) o.add(f);

  EXPECT_EQ(
      "5", CallMember(o.rep, "lstrlenA", {new DirectValue<ValString, kTypeString>(ValString("hello"))}).text);
  EXPECT_EQ("50", CallMember(o.rep, "MulDiv",
                             {new DirectValue<long, kTypeLong>(10), new DirectValue<long, kTypeLong>(20),
                              new DirectValue<long, kTypeLong>(4)})
                      .text);
  EXPECT_NE("", CallMember(o.rep, "GetTickCount").text);
  // From Basic: c = 0: r = QueryPerformanceCounter(c): buf = Space(260): k = WinDir(buf, 260)
  // F = (r <> 0) And (c > 0) And (k > 0) And (Len(Left(buf, k)) = k) And (InStr(buf, "\") > 0)
  ExprNode* ok = Bin(BinaryOp::AND, Bin(BinaryOp::NE, p.id("r"), I(0)), Bin(BinaryOp::GT, p.id("c"), I(0)));
  ok = Bin(BinaryOp::AND, ok, Bin(BinaryOp::GT, p.id("k"), I(0)));
  ok = Bin(BinaryOp::AND, ok, Bin(BinaryOp::GT, new IntrString(1, 0, p.id("buf"), S("\\")), I(0)));
  o.add(p.func("F", kTypeLong,
               {p.let("r", p.call("QueryPerformanceCounter", {p.id("c")})),
                p.let("buf", new IntrString(144, 0, I(260))),
                p.let("k", p.call("WinDir", {p.id("buf"), I(260)})), p.let("F", ok)},
               {Var("c", kTypeCurrency), Var("r", kTypeLong), Var("k", kTypeLong), Var("buf", kTypeString)}));
  EXPECT_EQ("-1", CallMember(o.rep, "F").text);

  CDLLProcField* missing = new CDLLProcField("NoSuchEntry", "kernel32", nullptr);
  o.add(missing);
  try {
    CallMember(o.rep, "NoSuchEntry");
    FAIL();
  } catch (StoreException& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("NoSuchEntry"));
  }
}

class Recorder : public Printable {
 public:
  std::string out;
  void Print(short v) override { out += "s" + std::to_string(v); }
  void Print(long v) override { out += "l" + std::to_string(v); }
  void Print(float v) override { out += "f" + std::to_string((int)v); }
  void Print(double v) override { out += "d" + std::to_string((int)v); }
  void Print(const char* t) override { out += std::string("'") + t + "'"; }
  void PrintSpace(int n) override { out += "sp" + std::to_string(n); }
  void PrintTab(int n) override { out += "tab" + std::to_string(n); }
  void PrintSeparator(PrintSepType s) override {
    out += s == PrintSepZone ? "," : s == PrintSepNone ? ";" : "?";
  }
  void PrintDone(PrintSepType s) override {
    out += s == PrintSepEndOfLine ? "|" : ".";
  }  // "." keeps the line
};

// The application of these tests: a print target and a counting user-break poll.
class TestApp : public StoreApplication {
 public:
  Recorder printer;
  long polls = 0;
  long breakAfter = -1;
  int busy = 0;
  Printable* FindPrintTarget() override { return &printer; }
  void PollUserBreak() override {
    ++polls;
    if (breakAfter >= 0 && polls > breakAfter) {
      breakAfter = -1;
      throw PauseExecution();
    }
  }
  void SignalBusyV() override { ++busy; }
  void SignalNotBusyV() override { --busy; }
};

TEST(ExecNative, PrintItemsAndSeparators) {
  TestApp app;
  Prog p;
  PtrList<PrintItem> items;
  items.append(new PrintItem(I(1), 3, PrintSepZone));
  items.append(new PrintItem(S("a"), 3, PrintSepNone));
  items.append(new PrintItem(I(4), 2));
  items.append(new PrintItem(D(2.5), 3));
  PtrList<PrintItem> none;
  PtrList<PrintItem> trailing;  // Print "z",
  trailing.append(new PrintItem(S("z"), 3, PrintSepZone));
  Obj o;
  o.add(
      p.sub("P", {new Print(1, nullptr, PrintSepEndOfLine, items), new Print(2, nullptr, PrintSepNone, none),
                  new Print(3, nullptr, PrintSepZone, trailing)}));
  CallMember(o.rep, "P");
  EXPECT_EQ("s1,'a';tab4;d2;|.'z'.", app.printer.out);
}

TEST(ExecNative, PollUserBreakStopsAnEndlessLoopAndBusySpans) {
  TestApp app;
  Prog p;
  Obj o;
  int body = p.block({p.let("i", Add(p.id("i"), I(1)))});
  o.add(p.sub("Spin", {new DoLoop(1, 7, body, nullptr)}, {Var("i", kTypeLong)}));
  app.breakAfter = 1000;
  EXPECT_THROW(CallMember(o.rep, "Spin"), PauseExecution);
  EXPECT_GT(app.polls, 1000);
  EXPECT_EQ(0, app.busy);  // every busy span ended
  // Stop without a debugger pauses too; Basic Catch does not catch it.
  Prog q;
  int t = q.block({new StopStmt(2)});
  int c = q.block({});
  PtrList<CatchClause> all;
  all.append(new CatchClause(nullptr, c));
  o.add(q.sub("S", {new TryBlock(1, 3, t, all)}));
  EXPECT_THROW(CallMember(o.rep, "S"), PauseExecution);
}

class Tracer : public DebugHook {
 public:
  std::vector<int> lines;
  std::vector<std::string> calls;
  int stops = 0;
  int depthAt7 = 0;
  void statement(StackFrame&, int line) override {
    lines.push_back(line);
    if (line == 7)
      for (ExecutionStackIterator it; it.current(); it.next()) ++depthAt7;
  }
  void procedureEntered(StackFrame& f) override { calls.push_back(f.procName); }
  int stop(StackFrame&) override { return ++stops; }
};

TEST(ExecNative, DebuggerHookSeesEveryStatementAndCall) {
  Prog p;
  Obj o;
  o.add(p.sub("Inner", {p.let("y", I(1), 7)}, {Var("y", kTypeLong)}));
  o.add(p.sub("Outer",
              {p.let("x", I(1), 1), new FunctionCallStmt(2, p.call("Inner", {}), 2), new StopStmt(3)},
              {Var("x", kTypeLong)}));
  Tracer t;
  ExecutionStack::setHook(&t);
  CallMember(o.rep, "Outer");
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ((std::vector<int>{1, 2, 7, 3}), t.lines);
  EXPECT_EQ((std::vector<std::string>{"Outer", "Inner"}), t.calls);
  EXPECT_EQ(1, t.stops);
  EXPECT_EQ(2, t.depthAt7);  // Inner called from Outer
  EXPECT_EQ(0, ExecutionStack::activeFrames());
  CallMember(o.rep, "Inner");  // no hook: nothing recorded
  EXPECT_EQ(4u, t.lines.size());
}

TEST(ExecNative, EvalableBlockRunsOnItsContextObject) {
  Prog p;
  Obj o;
  o.add(InterDataField::make("Total", kTypeLong, 2));
  // Dim k: For k = 1 To 4: Total = Total + k: Next
  int body = p.block({p.let("Total", Add(p.id("Total"), p.id("k")))});
  p.block({new ForNext(1, body, p.id("k"), I(1), I(4), nullptr, 0, FOR_NUMERIC)}, {Var("k", kTypeLong)});
  DeadSource dead;
  EvalableBlock b(p.ids, p.blocks, dead);
  p.reset();
  Context ctx(o.rep, 1);
  b.eval(ctx, 1);
  b.eval(ctx, 1);
  EXPECT_EQ(20, MemberLong(o.rep, "Total"));
}

}  // namespace

namespace {

TEST(ExecNative, FieldsOfBasicAndDeclaresAreSavedWithModules) {
  Prog p;
  InterProcField* sub = p.sub("Hello", {p.let("x", I(1))}, {Var("x", kTypeLong)}, {ByVal("n", kTypeShort)});
  sub->setSourceText("Sub Hello(ByVal n As Integer)\r\n  x = 1\r\nEnd Sub\r\n");
  CDLLFuncField* dll = new CDLLFuncField("MulDiv", kTypeLong, "kernel32", nullptr);
  for (const char* n : {"a", "b", "c"}) dll->addArgument(ByVal(n, kTypeLong));
  InterProcDataField* prop = InterProcDataField::make("P", kTypeString, "", "SetP", "GetP");
  OCLStream s;
  for (Field* f : {(Field*)sub, (Field*)dll, (Field*)prop}) Field::WriteField(*f, s);
  s.seekTo(0);
  Obj o;
  std::unique_ptr<Field> subBack(Field::ReadField(s));
  Field* dllBack = Field::ReadField(s);
  std::unique_ptr<Field> propBack(Field::ReadField(s));
  o.add(dllBack);
  EXPECT_EQ("12", CallMember(o.rep, "MulDiv",
                             {new DirectValue<long, kTypeLong>(3), new DirectValue<long, kTypeLong>(8),
                              new DirectValue<long, kTypeLong>(2)})
                      .text);
  InterProcField* sb = static_cast<InterProcField*>(subBack.get());
  EXPECT_EQ(0, sb->compiles());
  EXPECT_STREQ("Hello", sb->name());
  EXPECT_EQ(sub->sourceText(), std::string(sb->sourceText()));
  ASSERT_EQ(1, sb->parmCount());
  EXPECT_EQ(kTypeShort, sb->argument(0)->typeCode());
  EXPECT_TRUE(sb->argument(0)->hasFlag(Field::kByValue));
  InterProcDataField* pb = static_cast<InterProcDataField*>(propBack.get());
  EXPECT_STREQ("SetP", pb->setterName());
  EXPECT_STREQ("GetP", pb->getterName());
  EXPECT_EQ(kTypeString, pb->typeCode());
  // Read back, the procedure compiles its text through the parser library when called.
  Obj holder;
  holder.add(subBack.release());
  holder.add(InterDataField::make("x", kTypeLong, 2));
  CallMember(holder.rep, "Hello", {new DirectValue<short, kTypeShort>(5)});
  EXPECT_EQ(1, MemberLong(holder.rep, "x"));
  delete sub;
  delete dll;
  delete prop;
}

}  // namespace
