// Stop clocks.
#include "utils/stopclock.h"

#include <cstring>

#include "utils/filetime.h"
#include "utils/strutil.h"
#include "utils/xexception.h"

namespace {

bool isZero(const FILETIME& t) { return t.dwLowDateTime == 0 && t.dwHighDateTime == 0; }
unsigned long long u64(const FILETIME& t) {
  return (unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime;
}
void setU64(FILETIME& t, unsigned long long v) {
  t.dwLowDateTime = DWORD(v);
  t.dwHighDateTime = DWORD(v >> 32);
}
const FILETIME kZero = {0, 0};

}  // namespace

static_assert(sizeof(FILETIME) == 8, "spans are 64-bit in both builds");

StopClock::Marker::Marker(const char* t, const FILETIME& when) : text(strnewdup(t)), time(when) {}
StopClock::Marker::~Marker() { delete[] text; }

StopClock::StopClock() : flags_(0), start_(kZero), lastStart_(kZero), stop_(kZero), accumulated_(kZero) {}

StopClock::~StopClock() { marks_.clearAndDestroy(); }

void StopClock::GetTime(FILETIME& now) const { GetSystemTimeAsFileTime(&now); }

void StopClock::Reset() {
  start_ = lastStart_ = stop_ = accumulated_ = kZero;
  marks_.clearAndDestroy();
  flags_ = 0;
}

void StopClock::Start() {
  if (IsPaused()) {
    Resume();
    return;
  }
  if (IsRunning() || !isZero(start_)) Reset();
  GetTime(start_);
  lastStart_ = start_;
  flags_ |= kRunningFlag;
}

void StopClock::Pause() {
  FILETIME now;
  GetTime(now);
  if (!IsRunning() || IsPaused()) return;
  FILETIME span;
  SubtractFileTime(now, lastStart_, span);
  AddFileTime(accumulated_, span, accumulated_);
  flags_ |= kPausedFlag;
}

void StopClock::Resume() {
  if (!(IsRunning() && IsPaused())) utilsAssert("IsRunning() && IsPaused()", "TIMEUTIL.CPP", 377);
  GetTime(lastStart_);
  flags_ &= ~unsigned(kPausedFlag);
}

void StopClock::Stop() {
  FILETIME now;
  GetTime(now);
  if (!IsRunning()) return;
  stop_ = now;
  if (!IsPaused()) {
    FILETIME span;
    SubtractFileTime(now, lastStart_, span);
    AddFileTime(accumulated_, span, accumulated_);
  }
  flags_ = 0;
}

void StopClock::GoToState(long state) {
  switch (state) {
    case kReset:
      Reset();
      break;
    case kStopped:
      Stop();
      break;
    case kPaused:
      Pause();
      break;
    case kRunning:
      Start();
      break;
    default:
      break;
  }
}

long StopClock::State() const {
  if (IsRunning()) return IsPaused() ? kPaused : kRunning;
  return isZero(start_) ? kReset : kStopped;
}

void StopClock::ElapsedTime(FILETIME& out) const {
  FILETIME end = stop_;
  if (IsRunning()) GetTime(end);
  if (isZero(start_)) {
    out = kZero;
    return;
  }
  SubtractFileTime(end, start_, out);
}

void StopClock::AccumulatedTime(FILETIME& out) const {
  out = accumulated_;
  if (IsRunning() && !IsPaused()) {
    FILETIME now, span;
    GetTime(now);
    SubtractFileTime(now, lastStart_, span);
    AddFileTime(out, span, out);
  }
}

void StopClock::Mark(const char* text) {
  FILETIME now;
  GetTime(now);
  bool wasRunning = IsRunning();
  if (!wasRunning && !isZero(start_)) Reset();
  marks_.append(new Marker(text, now));
  if (!wasRunning) {
    if (MarkCount() != 1) utilsAssert("MarkCount() == 1", "TIMEUTIL.CPP", 205);
    start_ = lastStart_ = now;
    flags_ |= kRunningFlag;
  }
}

const StopClock::Marker* StopClock::marker(int i) const {
  if (i < 0 || unsigned(i) >= MarkCount()) return nullptr;
  return marks_.at(size_t(i));
}

int StopClock::MarkIndex(const char* text, unsigned from) const {
  int i = 0;
  for (const RWIsvSlink* l = marks_.firstLink(); l && unsigned(i) < MarkCount(); l = l->next(), ++i) {
    if (unsigned(i) < from) continue;
    const Marker* m = static_cast<const Marker*>(l);
    bool same = (!m->text || !text) ? m->text == text : std::strcmp(m->text, text) == 0;
    if (same) return i;
  }
  return -1;
}

const char* StopClock::MarkText(int i) const {
  const Marker* m = marker(i);
  return m ? m->text : nullptr;
}

void StopClock::MarkTime(int i, FILETIME& out) const {
  const Marker* m = marker(i);
  out = m ? m->time : kZero;
}

void StopClock::MarkElapsedTime(int i, FILETIME& out) const {
  const Marker* m = marker(i);
  if (!m) {
    out = kZero;
    return;
  }
  SubtractFileTime(m->time, start_, out);
}

void StopClock::MarkTimeSpan(int i, int j, FILETIME& out) const {
  const Marker* a = marker(i);
  const Marker* b = marker(j);
  out = kZero;
  if (!a || !b || i == j) return;
  if (u64(a->time) < u64(b->time))
    SubtractFileTime(b->time, a->time, out);
  else
    SubtractFileTime(a->time, b->time, out);
}

void CPUStopClock::GetTime(FILETIME& now) const {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
    now = kZero;
    return;
  }
  AddFileTime(kernel, user, now);
}

int HPStopClock::state = HPStopClock::kNotProbed;
double HPStopClock::conversion = 0;
LONGLONG HPStopClock::frequency = 0;

HPStopClock::HPStopClock() {
  if (state != kNotProbed) return;
  LARGE_INTEGER f;
  if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) {
    frequency = f.QuadPart;
    conversion = 10000000.0 / double(frequency);
    state = kAvailable;
  } else {
    state = kUnavailable;
  }
}

void HPStopClock::GetTime(FILETIME& now) const {
  LARGE_INTEGER c;
  if (state != kAvailable || !QueryPerformanceCounter(&c) || c.QuadPart < 0) {
    now = kZero;
    return;
  }
  // Whole seconds and the remainder apart, so that neither the product overflows nor the
  // reading wraps.
  unsigned long long ticks = (unsigned long long)c.QuadPart;
  unsigned long long f = (unsigned long long)frequency;
  setU64(now, ticks / f * 10000000ull + ticks % f * 10000000ull / f);
}
