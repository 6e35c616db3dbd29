// Typed loop code keeps its locals and the plain data members it uses in registers and
// polls only at its backward jumps; the debugger must not notice: its statement hook
// still sees every statement with the locals and members up to date and may change them,
// and a hook attached or removed by the poll in the middle of a loop takes effect from
// the next statement on. A member that can no longer be held in the middle of a run
// (its cell now holds another type) is then read and written by the trees.
#include "exec_kit.h"

#include <functional>

#include "store/storeapp.h"

using namespace execkit;

namespace {

ExprNode* Add(ExprNode* a, ExprNode* b) { return Bin(BinaryOp::ADD, a, b); }

// Function F() As Long: For i = 1 To last (line 2) / n = n + i (3) / m = m + 1 (4) / Next /
// F = n - m (5). Slots: 0 F, 1 i, 2 n, 3 m; with members, n and m are data members of
// the object (to add to it) and the slots only 0 F, 1 i.
InterFuncField* SumLoop(Prog& p, int last, bool members = false) {
  int body = p.block({p.let("n", Add(p.id("n"), p.id("i")), 3), p.let("m", Add(p.id("m"), I(1)), 4)});
  if (members)
    return p.func("F", kTypeLong,
                  {new ForNext(2, body, p.id("i"), I(1), L(last), nullptr, 1, FOR_NUMERIC),
                   p.let("F", Bin(BinaryOp::SUB, p.id("n"), p.id("m")), 5)},
                  {Var("i", kTypeLong)});
  return p.func("F", kTypeLong,
                {new ForNext(2, body, p.id("i"), I(1), L(last), nullptr, 1, FOR_NUMERIC),
                 p.let("F", Bin(BinaryOp::SUB, p.id("n"), p.id("m")), 5)},
                {Var("i", kTypeLong), Var("n", kTypeLong), Var("m", kTypeLong)});
}

// The object of a SumLoop: with members, n and m are its Long data members (given their
// own cells of 0, as a run before the loop leaves them).
struct SumObj {
  Prog p;
  Obj o;
  bool members;
  SumObj(int last, bool members) : members(members) {
    if (members) {
      o.add(Var("n", kTypeLong));
      o.add(Var("m", kTypeLong));
    }
    o.add(SumLoop(p, last, members));
  }
  // Runs F, the members set to 0 first.
  std::string run() {
    if (members) set(o.rep, "n", 0), set(o.rep, "m", 0);
    return CallMember(o.rep, "F").text;
  }
  static void set(InterObjRep* obj, const char* name, long v) {
    ValueCellVar c;
    c.c.setLong((int32_t)v);
    static_cast<DataField*>(obj->findField(name))->setCell(*obj, c.c);
  }
};

struct Seen {
  int line;
  long i, n, m;
};

// Records every statement of F with n and m as the frame's cells or the object's members
// show them (and i), and acts.
struct LocalsHook : DebugHook {
  bool members = false;
  std::vector<Seen> seen;
  std::function<void(StackFrame&, int)> act;
  void statement(StackFrame& f, int line) override {
    if (f.procName && std::string(f.procName) == "F") {
      if (members)
        seen.push_back(Seen{line, (long)f.vars[1]->l, MemberLong(f.me, "n"), MemberLong(f.me, "m")});
      else
        seen.push_back(Seen{line, (long)f.vars[1]->l, (long)f.vars[2]->l, (long)f.vars[3]->l});
    }
    if (act) act(f, line);
  }
  // Sets n (slot 2, or the member) as a debugger would.
  void setN(StackFrame& f, long v) const {
    if (members)
      SumObj::set(f.me, "n", v);
    else
      f.vars[2]->l = (int32_t)v;
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

TEST(RegCodeLoop, HookSeesEveryStatementWithTheHeldLocalsAndMembersAndChangesThem) {
  for (bool members : {false, true}) {
    SCOPED_TRACE(members ? "members" : "locals");
    SumObj s(10, members);
    LocalsHook hook;
    hook.members = members;
    ExecutionStack::setHook(&hook);
    EXPECT_EQ(std::to_string(SumTo(10) - 10), s.run());
    ExecutionStack::setHook(nullptr);
    ASSERT_EQ(22u, hook.seen.size());
    EXPECT_EQ(2, hook.seen[0].line);
    ExpectWholePasses(hook.seen, 1, 1, 10);
    EXPECT_EQ(5, hook.seen.back().line);

    // The hook sets n before the fifth pass adds to it, and i before the eighth: the loop
    // goes on from the values the hook gave.
    LocalsHook setter;
    setter.members = members;
    setter.act = [&setter](StackFrame& f, int line) {
      if (line == 3 && f.vars[1]->l == 5) setter.setN(f, 1000);
      if (line == 4 && f.vars[1]->l == 7) f.vars[1]->l = 9;
    };
    ExecutionStack::setHook(&setter);
    // n: 1000 + 5 + 6 + 7, then passes 8 and 9 are skipped: i = 10 adds 10.
    EXPECT_EQ(std::to_string(1000 + 5 + 6 + 7 + 10 - 8), s.run());
    ExecutionStack::setHook(nullptr);
    // Without a hook the code runs on its registers and gives the plain result.
    EXPECT_EQ(std::to_string(SumTo(10) - 10), s.run());
    if (members) {
      EXPECT_EQ(SumTo(10), MemberLong(s.o.rep, "n"));
      EXPECT_EQ(10, MemberLong(s.o.rep, "m"));
    }
  }
}

// A member whose cell comes to hold another type while loop code holds it (a native
// writer puts a Double into the Long member n in the middle of the loop): the code gives
// it up and the trees read and write it from there on, with their conversions.
TEST(RegCodeLoop, MemberThatCannotBeHeldAnyMoreGoesOnThroughTheTrees) {
  for (int at : {1, 4, 9}) {
    SCOPED_TRACE(at);
    SumObj s(10, true);
    LocalsHook hook;
    hook.members = true;
    hook.act = [&s, at](StackFrame& f, int line) {
      if (line != 3 || f.vars[1]->l != at) return;
      ValueCell* c = s.o.rep->ownCell(static_cast<DataField*>(s.o.rep->findField("n")));
      ASSERT_NE(nullptr, c);
      c->setDouble(0.25);
      // The hook goes: the rest runs in the fast form.
      ExecutionStack::setHook(nullptr);
    };
    ExecutionStack::setHook(&hook);
    // n = 0.25 + at (a Long again: at), then at + 1 + ... + 10.
    const long n = at + (SumTo(10) - SumTo(at));
    EXPECT_EQ(std::to_string(n - 10), s.run());
    ExecutionStack::setHook(nullptr);
    EXPECT_EQ(n, MemberLong(s.o.rep, "n"));
    EXPECT_EQ(10, MemberLong(s.o.rep, "m"));
    // The next run holds it again.
    EXPECT_EQ(std::to_string(SumTo(10) - 10), s.run());
  }
}

// The same when the member given up is an integer argument of a text function (Mid$'s
// start inside InStr): the function then runs as a tree too, with the member's value.
TEST(RegCodeLoop, MemberGivenUpAsATextArgumentGoesOnThroughTheTrees) {
  struct Hook : DebugHook {
    std::function<void(StackFrame&, int)> act;
    void statement(StackFrame& f, int line) override {
      if (f.procName && std::string(f.procName) == "F") act(f, line);
    }
  };
  for (int at : {1, 4, 9}) {
    SCOPED_TRACE(at);
    // F: s = "abcdefghij" (1) / For i = 1 To 10 (2) / n = n + 1 (3) /
    // k = k + InStr(s, Mid$(s, n, 1)) (4) / Next / F = k (5). Slots: 0 F, 1 i, 2 k, 3 s.
    Prog p;
    Obj o;
    o.add(Var("n", kTypeLong));
    ExprNode* find = new IntrString(STR_INSTR, 0, p.id("s"), new IntrString(STR_MID, 1, p.id("s"), p.id("n"), L(1)));
    int body = p.block({p.let("n", Add(p.id("n"), L(1)), 3), p.let("k", Add(p.id("k"), find), 4)});
    o.add(p.func("F", kTypeLong,
                 {p.let("s", S("abcdefghij"), 1), new ForNext(2, body, p.id("i"), I(1), L(10), nullptr, 1, FOR_NUMERIC),
                  p.let("F", p.id("k"), 5)},
                 {Var("i", kTypeLong), Var("k", kTypeLong), Var("s", kTypeString)}));
    SumObj::set(o.rep, "n", 0);
    Hook hook;
    hook.act = [&o, at](StackFrame& f, int line) {
      if (line != 3 || f.vars[1]->l != at) return;
      ValueCell* c = o.rep->ownCell(static_cast<DataField*>(o.rep->findField("n")));
      ASSERT_NE(nullptr, c);
      c->setDouble(0.25);
      ExecutionStack::setHook(nullptr);
    };
    ExecutionStack::setHook(&hook);
    // Passes before at find their own letter; from at on n counts again from 1.
    EXPECT_EQ(std::to_string(SumTo(at - 1) + SumTo(11 - at)), CallMember(o.rep, "F").text);
    ExecutionStack::setHook(nullptr);
    EXPECT_EQ(11 - at, MemberLong(o.rep, "n"));
  }
}

// Loop code that writes a member marks its object changed; one that only reads it, or
// writes back the value it had, does not.
TEST(RegCodeLoop, MemberWrittenByLoopCodeMarksItsObjectChanged) {
  SumObj s(10, true);
  s.run();
  // F2: For i = 1 To 10 (2) / k = k + n (3) / n = n + 0 (4) / Next; F2 = k (5)
  Prog& p = s.p;
  int body = p.block({p.let("k", Add(p.id("k"), p.id("n")), 3), p.let("n", Add(p.id("n"), L(0)), 4)});
  s.o.add(p.func("F2", kTypeLong,
                 {new ForNext(2, body, p.id("i"), I(1), L(10), nullptr, 1, FOR_NUMERIC),
                  p.let("F2", p.id("k"), 5)},
                 {Var("i", kTypeLong), Var("k", kTypeLong)}));
  s.o.rep->setFlag(InterObjRep::kFlagDirty, false);
  EXPECT_EQ(std::to_string(10 * SumTo(10)), CallMember(s.o.rep, "F2").text);
  EXPECT_FALSE(s.o.rep->flags() & InterObjRep::kFlagDirty);
  SumObj::set(s.o.rep, "n", 0);
  SumObj::set(s.o.rep, "m", 0);
  s.o.rep->setFlag(InterObjRep::kFlagDirty, false);
  EXPECT_EQ(std::to_string(SumTo(10) - 10), CallMember(s.o.rep, "F").text);
  EXPECT_TRUE(s.o.rep->flags() & InterObjRep::kFlagDirty);
  EXPECT_EQ(SumTo(10), MemberLong(s.o.rep, "n"));
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
