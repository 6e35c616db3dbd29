// Typed loop code keeps its locals in registers and polls only at its backward jumps; the
// debugger must not notice: its statement hook still sees every statement with the
// locals up to date and may change them, and a hook attached or removed by the poll in
// the middle of a loop takes effect from the next statement on.
#include "exec_kit.h"

#include <functional>

#include "store/storeapp.h"

using namespace execkit;

namespace {

ExprNode* Add(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::ADD, a, b); }

// Function F() As Long: For i = 1 To last (line 2) / n = n + i (3) / m = m + 1 (4) / Next /
// F = n - m (5). Slots: 0 F, 1 i, 2 n, 3 m.
InterFuncField* SumLoop(Prog& p, int last) {
  int body = p.block({p.let("n", Add(p.id("n"), p.id("i")), 3), p.let("m", Add(p.id("m"), I(1)), 4)});
  return p.func("F", kTypeLong,
                {new ForNext(2, body, p.id("i"), I(1), L(last), nullptr, 1, FOR_NUMERIC),
                 p.let("F", Bin(BinaryOp::SUB, p.id("n"), p.id("m")), 5)},
                {Var("i", kTypeLong), Var("n", kTypeLong), Var("m", kTypeLong)});
}

struct Seen {
  int line;
  long i, n, m;
};

// Records every statement with the loop's locals as the frame's cells show them.
struct LocalsHook : DebugHook {
  std::vector<Seen> seen;
  std::function<void(StackFrame&, int)> act;
  void statement(StackFrame& f, int line) override {
    if (f.procName && std::string(f.procName) == "F")
      seen.push_back(Seen{line, (long)f.vars[1]->l, (long)f.vars[2]->l, (long)f.vars[3]->l});
    if (act) act(f, line);
  }
};

long SumTo(long k) { return k * (k + 1) / 2; }

// Checks that the passes seen, from the first statement of pass `from` on, are every
// statement of every pass in order with the locals as they were before each statement.
void ExpectWholePasses(const std::vector<Seen>& seen, size_t first, long from, long to) {
  long i = from;
  bool atN = true;
  for (size_t k = first; k < seen.size(); ++k) {
    const Seen& s = seen[k];
    if (s.line == 5) {
      EXPECT_EQ(to + 1, i) << "the last statement came early";
      return;
    }
    ASSERT_EQ(atN ? 3 : 4, s.line) << "statement " << k;
    ASSERT_EQ(i, s.i) << "statement " << k;
    ASSERT_EQ(atN ? SumTo(i - 1) : SumTo(i), s.n) << "statement " << k;
    ASSERT_EQ(i - 1, s.m) << "statement " << k;
    if (!atN) ++i;
    atN = !atN;
  }
}

TEST(RegCodeLoop, HookSeesEveryStatementWithTheHeldLocalsAndChangesThem) {
  Prog p;
  Obj o;
  o.add(SumLoop(p, 10));
  LocalsHook hook;
  ExecutionStack::setHook(&hook);
  EXPECT_EQ(std::to_string(SumTo(10) - 10), CallMember(o.rep, "F").text);
  ExecutionStack::setHook(nullptr);
  ASSERT_EQ(22u, hook.seen.size());
  EXPECT_EQ(2, hook.seen[0].line);
  ExpectWholePasses(hook.seen, 1, 1, 10);
  EXPECT_EQ(5, hook.seen.back().line);

  // The hook sets n before the fifth pass adds to it, and i before the eighth: the loop
  // goes on from the values the hook gave.
  LocalsHook setter;
  setter.act = [](StackFrame& f, int line) {
    if (line == 3 && f.vars[1]->l == 5) f.vars[2]->l = 1000;
    if (line == 4 && f.vars[1]->l == 7) f.vars[1]->l = 9;
  };
  ExecutionStack::setHook(&setter);
  // n: 1000 + 5 + 6 + 7, then passes 8 and 9 are skipped: i = 10 adds 10.
  EXPECT_EQ(std::to_string(1000 + 5 + 6 + 7 + 10 - 8), CallMember(o.rep, "F").text);
  ExecutionStack::setHook(nullptr);
  // Without a hook the code runs on its registers and gives the plain result.
  EXPECT_EQ(std::to_string(SumTo(10) - 10), CallMember(o.rep, "F").text);
}

// An application whose poll attaches a hook at one poll and whose hook removes itself.
class AttachingApp : public StoreApplication {
 public:
  DebugHook* hook = nullptr;
  long polls = 0, attachAt = -1;
  void PollUserBreak() override {
    if (++polls == attachAt) ExecutionStack::setHook(hook);
  }
};

TEST(RegCodeLoop, HookAttachedByThePollInALoopSeesTheFollowingStatements) {
  AttachingApp app;
  Prog p;
  Obj o;
  o.add(SumLoop(p, 20000));
  LocalsHook hook;
  // After 40 statements the hook removes itself: the rest runs without it.
  hook.act = [&hook](StackFrame&, int) {
    if (hook.seen.size() == 40) ExecutionStack::setHook(nullptr);
  };
  app.hook = &hook;
  app.attachAt = app.polls + 3;
  EXPECT_EQ(std::to_string(SumTo(20000) - 20000), CallMember(o.rep, "F").text);
  ExecutionStack::setHook(nullptr);
  ASSERT_EQ(40u, hook.seen.size());
  // From the first pass after the poll: whole passes, in order, with current locals.
  EXPECT_EQ(3, hook.seen[0].line);
  EXPECT_GT(hook.seen[0].i, 1);
  ExpectWholePasses(hook.seen, 0, hook.seen[0].i, 20000);
}

TEST(RegCodeLoop, StatementsAreCountedAtTheBackwardJumps) {
  Prog p;
  Obj o;
  o.add(SumLoop(p, 5000));
  const unsigned long long before = ExecutionStack::statements();
  EXPECT_EQ(std::to_string(SumTo(5000) - 5000), CallMember(o.rep, "F").text);
  const unsigned long long run = ExecutionStack::statements() - before;
  EXPECT_GE(run, 9990u);  // every pass but the last jumps back
  EXPECT_LE(run, 10010u);
}

// A stop raised by the hook inside nested typed loops: what the passes before it did
// stays done (a member written by the typed code), and the next run starts afresh.
TEST(RegCodeLoop, StopInNestedLoopsKeepsWhatThePassesBeforeDid) {
  Prog p;
  Obj o;
  o.add(Var("r", kTypeLong));
  // Sub S: Dim i, j: For i = 1 To 5 (2) / For j = 1 To 5 (3) / r = r + j (4) / Next / Next
  int inner = p.block({p.let("r", Add(p.id("r"), p.id("j")), 4)});
  int outer = p.block({new ForNext(3, inner, p.id("j"), I(1), I(5), nullptr, 1, FOR_NUMERIC)});
  o.add(p.sub("S", {new ForNext(2, outer, p.id("i"), I(1), I(5), nullptr, 1, FOR_NUMERIC)},
              {Var("i", kTypeLong), Var("j", kTypeLong)}));
  struct Stopper : DebugHook {
    int visits = 0;
    void statement(StackFrame&, int line) override {
      if (line == 4 && ++visits == 13) throw StoreException("stopped");
    }
  } stop;
  ExecutionStack::setHook(&stop);
  EXPECT_THROW(CallMember(o.rep, "S"), StoreException);
  ExecutionStack::setHook(nullptr);
  EXPECT_EQ(15 + 15 + 1 + 2, MemberLong(o.rep, "r"));  // two whole passes of j, then 1 and 2
  CallMember(o.rep, "S");
  EXPECT_EQ(33 + 75, MemberLong(o.rep, "r"));
}

}  // namespace
