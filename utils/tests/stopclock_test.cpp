// Stop clocks: the state machine and its time accounting over a fake time source, the
// marks, and plain sanity of the three real time sources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/stopclock.h"
#include "utils/xexception.h"

namespace {

unsigned long long u64(const FILETIME& t) {
  return (unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime;
}

// A clock whose time moves only when the test says so. Starts far above 2^32 so that
// every span crosses the halves of the FILETIME.
class FakeClock : public StopClock {
 public:
  void GetTime(FILETIME& now) const override {
    now.dwLowDateTime = DWORD(t);
    now.dwHighDateTime = DWORD(t >> 32);
  }
  unsigned long long t = 0x1FFFFFFF0ull;
};

const unsigned long long kSec = 10000000ull;

enum OpKind { kAdvance, kStart, kPause, kResume, kStop, kReset, kGoTo, kMark };
struct Op {
  OpKind kind;
  long long arg;
};

struct StateCase {
  const char* name;
  std::vector<Op> ops;
  long state;
  unsigned long long elapsed, accumulated;
  long long startOffset;  // start time minus the first reading; -1 for a zero start
};

const unsigned long long kT0 = 0x1FFFFFFF0ull;

const StateCase kStateCases[] = {
    {"new clock", {}, 0, 0, 0, -1},
    {"running", {{kStart, 0}, {kAdvance, 7}}, 3, 7, 7, 0},
    {"stop while reset does nothing", {{kStop, 0}, {kAdvance, 5}}, 0, 0, 0, -1},
    {"pause while reset does nothing", {{kPause, 0}, {kAdvance, 5}}, 0, 0, 0, -1},
    {"pause while stopped changes nothing",
     {{kStart, 0}, {kAdvance, 10}, {kStop, 0}, {kAdvance, 5}, {kPause, 0}, {kAdvance, 5}},
     1,
     10,
     10,
     0},
    {"pause while paused changes nothing",
     {{kStart, 0}, {kAdvance, 10}, {kPause, 0}, {kAdvance, 5}, {kPause, 0}, {kAdvance, 5}},
     2,
     20,
     10,
     0},
    {"start while paused resumes without a reset",
     {{kStart, 0},
      {kAdvance, 10},
      {kPause, 0},
      {kAdvance, 20},
      {kStart, 0},
      {kAdvance, 30},
      {kStop, 0},
      {kAdvance, 99}},
     1,
     60,
     40,
     0},
    {"run 1 s, pause 2 s, run 3 s",
     {{kStart, 0},
      {kAdvance, kSec},
      {kPause, 0},
      {kAdvance, 2 * kSec},
      {kResume, 0},
      {kAdvance, 3 * kSec},
      {kStop, 0}},
     1,
     6 * kSec,
     4 * kSec,
     0},
    {"stopped while paused keeps the paused account",
     {{kStart, 0}, {kAdvance, 4}, {kPause, 0}, {kAdvance, 6}, {kStop, 0}, {kAdvance, 1}},
     1,
     10,
     4,
     0},
    {"start while stopped starts afresh",
     {{kStart, 0}, {kAdvance, 10}, {kStop, 0}, {kAdvance, 5}, {kStart, 0}, {kAdvance, 3}},
     3,
     3,
     3,
     15},
    {"start while running starts afresh",
     {{kStart, 0}, {kAdvance, 10}, {kStart, 0}, {kAdvance, 3}},
     3,
     3,
     3,
     10},
    {"reset", {{kStart, 0}, {kAdvance, 10}, {kReset, 0}, {kAdvance, 3}}, 0, 0, 0, -1},
    {"GoToState(4) and other values do nothing",
     {{kStart, 0}, {kAdvance, 10}, {kGoTo, 4}, {kGoTo, -1}, {kGoTo, 0x10003}, {kAdvance, 1}},
     3,
     11,
     11,
     0},
    {"GoToState 3 then 2", {{kGoTo, 3}, {kAdvance, 10}, {kGoTo, 2}, {kAdvance, 2}}, 2, 12, 10, 0},
    {"GoToState 2 then 3 resumes",
     {{kGoTo, 3}, {kAdvance, 10}, {kGoTo, 2}, {kAdvance, 2}, {kGoTo, 3}, {kAdvance, 1}},
     3,
     13,
     11,
     0},
    {"GoToState 1", {{kGoTo, 3}, {kAdvance, 10}, {kGoTo, 1}, {kAdvance, 2}}, 1, 10, 10, 0},
    {"GoToState 0", {{kGoTo, 3}, {kAdvance, 10}, {kGoTo, 0}}, 0, 0, 0, -1},
    {"a mark starts a reset clock", {{kAdvance, 4}, {kMark, 0}, {kAdvance, 6}}, 3, 6, 6, 4},
    {"a mark while paused only appends",
     {{kStart, 0}, {kAdvance, 4}, {kPause, 0}, {kMark, 0}, {kAdvance, 6}},
     2,
     10,
     4,
     0},
    {"a mark on a stopped clock starts afresh",
     {{kStart, 0}, {kAdvance, 4}, {kStop, 0}, {kAdvance, 6}, {kMark, 0}, {kAdvance, 1}},
     3,
     1,
     1,
     10},
};

void apply(FakeClock& c, const Op& op) {
  switch (op.kind) {
    case kAdvance:
      c.t += (unsigned long long)op.arg;
      break;
    case kStart:
      c.Start();
      break;
    case kPause:
      c.Pause();
      break;
    case kResume:
      c.Resume();
      break;
    case kStop:
      c.Stop();
      break;
    case kReset:
      c.Reset();
      break;
    case kGoTo:
      c.GoToState(long(op.arg));
      break;
    case kMark:
      c.Mark("m");
      break;
  }
}

TEST(StopClock, StateMachineAndAccounting) {
  for (const StateCase& s : kStateCases) {
    SCOPED_TRACE(s.name);
    FakeClock c;
    for (const Op& op : s.ops) apply(c, op);
    EXPECT_EQ(c.State(), s.state);
    FILETIME e, a;
    c.ElapsedTime(e);
    c.AccumulatedTime(a);
    EXPECT_EQ(u64(e), s.elapsed);
    EXPECT_EQ(u64(a), s.accumulated);
    unsigned long long start = s.startOffset < 0 ? 0 : kT0 + (unsigned long long)s.startOffset;
    EXPECT_EQ(u64(c.StartTime()), start);
  }
}

TEST(StopClock, ResumeWhenNotPausedAsserts) {
  FakeClock c;
  EXPECT_THROW(c.Resume(), XAssert);
  c.Start();
  EXPECT_THROW(c.Resume(), XAssert);
  EXPECT_EQ(c.State(), 3);
}

TEST(StopClock, Marks) {
  FakeClock c;
  c.t = kT0;
  c.Mark("first");  // starts the clock at this time
  EXPECT_EQ(c.State(), 3);
  EXPECT_EQ(u64(c.StartTime()), kT0);
  c.t += 5;
  c.Mark(nullptr);
  c.t += 20;
  c.Mark("third");
  c.t += 1;
  c.Mark("first");
  EXPECT_EQ(c.MarkCount(), 4u);
  EXPECT_EQ(u64(c.StartTime()), kT0);  // later marks only append

  struct IndexCase {
    const char* text;
    unsigned from;
    int index;
  } indexes[] = {{"first", 0, 0}, {"first", 1, 3}, {"first", 4, -1},  {nullptr, 0, 1},
                 {"third", 0, 2}, {"none", 0, -1}, {"first", 99, -1}, {"", 0, -1}};
  for (const IndexCase& k : indexes)
    EXPECT_EQ(c.MarkIndex(k.text, k.from), k.index) << (k.text ? k.text : "(null)") << " from " << k.from;

  EXPECT_STREQ(c.MarkText(2), "third");
  EXPECT_EQ(c.MarkText(1), nullptr);

  // Index pairs and the span; out-of-range or equal indexes give 0.
  struct SpanCase {
    int i, j;
    unsigned long long span;
  } spans[] = {{0, 2, 25}, {2, 0, 25}, {1, 2, 20}, {3, 0, 26}, {2, 2, 0},
               {0, 4, 0},  {-1, 0, 0}, {4, 4, 0},  {0, -7, 0}};
  for (const SpanCase& k : spans) {
    FILETIME t = {1, 1};
    c.MarkTimeSpan(k.i, k.j, t);
    EXPECT_EQ(u64(t), k.span) << k.i << "," << k.j;
  }

  struct TimeCase {
    int i;
    unsigned long long time, elapsed;
    const char* text;
  } times[] = {{0, kT0, 0, "first"}, {2, kT0 + 25, 25, "third"}, {3, kT0 + 26, 26, "first"},
               {4, 0, 0, nullptr},   {-1, 0, 0, nullptr},        {1000, 0, 0, nullptr}};
  for (const TimeCase& k : times) {
    FILETIME t = {1, 1}, e = {1, 1};
    c.MarkTime(k.i, t);
    c.MarkElapsedTime(k.i, e);
    EXPECT_EQ(u64(t), k.time) << k.i;
    EXPECT_EQ(u64(e), k.elapsed) << k.i;
    if (k.text) {
      EXPECT_STREQ(c.MarkText(k.i), k.text);
    } else {
      EXPECT_EQ(c.MarkText(k.i), nullptr);
    }
  }

  c.Reset();
  EXPECT_EQ(c.MarkCount(), 0u);
  EXPECT_EQ(c.MarkIndex("first"), -1);
}

TEST(StopClock, MarkCopiesItsText) {
  FakeClock c;
  char text[] = "label";
  c.Mark(text);
  text[0] = 'X';
  EXPECT_STREQ(c.MarkText(0), "label");
}

// The real sources: readings never go back and spans are never negative.
template <class Clock>
void checkReal(const char* name) {
  SCOPED_TRACE(name);
  Clock c;
  c.Start();
  unsigned long long last = 0;
  volatile unsigned sink = 0;
  for (int i = 0; i < 200; ++i) {
    for (int k = 0; k < 20000; ++k) sink += k;
    FILETIME e, a, now;
    c.ElapsedTime(e);
    c.AccumulatedTime(a);
    c.GetTime(now);
    EXPECT_GE(u64(e), last);
    EXPECT_LT(u64(e), 1ull << 62);
    EXPECT_LT(u64(a), 1ull << 62);
    EXPECT_GE(u64(now), u64(c.StartTime()));
    last = u64(e);
  }
  c.Stop();
  FILETIME e1, e2;
  c.ElapsedTime(e1);
  c.ElapsedTime(e2);
  EXPECT_EQ(u64(e1), u64(e2));  // a stopped clock holds still
  EXPECT_GE(u64(e1), last);
}

TEST(StopClock, RealSourcesAreMonotonic) {
  checkReal<StopClock>("wall clock");
  checkReal<CPUStopClock>("thread time");
  checkReal<HPStopClock>("performance counter");
  EXPECT_EQ(HPStopClock::state, int(HPStopClock::kAvailable));
  EXPECT_GT(HPStopClock::conversion, 0.0);
  FILETIME now;
  HPStopClock().GetTime(now);
  EXPECT_NE(u64(now), 0u);
}

}  // namespace
