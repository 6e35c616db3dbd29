// Stop watches with named marks, measuring in FILETIME units (100 ns).
//
// StopClock reads the wall clock (UTC), CPUStopClock the calling thread's kernel plus
// user time, HPStopClock the performance counter. A derived class may supply its own
// time source through GetTime. All spans are 64-bit counts held in FILETIMEs, the same
// in both builds.
//
// State(): 3 running, 2 paused (running and paused), 1 stopped, 0 reset.
#pragma once

#include <windows.h>

#include "utils/allocator.h"
#include "utils/ovutil_api.h"
#include "utils/rwisvslist.h"

class OVUTIL_API StopClock {
 public:
  enum ClockState : long { kReset = 0, kStopped = 1, kPaused = 2, kRunning = 3 };

  StopClock();
  virtual ~StopClock();
  StopClock(const StopClock&) = delete;
  StopClock& operator=(const StopClock&) = delete;

  // The time source.
  virtual void GetTime(FILETIME& now) const;

  void Reset();
  // Resumes when paused; otherwise starts afresh (resetting a used clock).
  void Start();
  void Pause();   // only while running and not paused
  void Resume();  // asserts running and paused
  void Stop();
  // 0 Reset, 1 Stop, 2 Pause, 3 Start; any other value does nothing.
  void GoToState(long state);
  long State() const;
  bool IsRunning() const { return (flags_ & kRunningFlag) != 0; }
  bool IsPaused() const { return (flags_ & kPausedFlag) != 0; }

  // Start to now (to the stop time when not running), pauses included.
  void ElapsedTime(FILETIME& out) const;
  // Running time without the pauses, up to now.
  void AccumulatedTime(FILETIME& out) const;

  // Appends a marker stamped now (text may be null). On a clock that is not running it
  // starts the clock at the marker's time, after resetting a stopped clock.
  void Mark(const char* text);
  unsigned MarkCount() const { return unsigned(marks_.entries()); }
  // The first marker at from or later whose text equals text (two nulls are equal), -1.
  int MarkIndex(const char* text, unsigned from = 0) const;
  // Out-of-range indexes give null or a zero time.
  const char* MarkText(int i) const;
  void MarkTime(int i, FILETIME& out) const;
  void MarkElapsedTime(int i, FILETIME& out) const;
  // Later minus earlier of two different valid markers, else 0.
  void MarkTimeSpan(int i, int j, FILETIME& out) const;

  // The recorded times, for tests and reports.
  const FILETIME& StartTime() const { return start_; }
  const FILETIME& StopTime() const { return stop_; }

  struct Marker : RWIsvSlink, Allocator {
    Marker(const char* text, const FILETIME& t);
    ~Marker();
    char* text;  // owned copy, may be null
    FILETIME time;
  };

 private:
  enum Flags : unsigned { kRunningFlag = 1, kPausedFlag = 2 };
  const Marker* marker(int i) const;

  unsigned flags_;
  FILETIME start_;
  FILETIME lastStart_;  // start of the current running stretch
  FILETIME stop_;
  FILETIME accumulated_;
  RWTIsvSlist<Marker> marks_;
};

class OVUTIL_API CPUStopClock : public StopClock {
 public:
  void GetTime(FILETIME& now) const override;
};

class OVUTIL_API HPStopClock : public StopClock {
 public:
  enum ProbeState { kNotProbed = 0, kAvailable = 1, kUnavailable = 2 };
  HPStopClock();
  // The counter scaled to 100 ns units; 0 when the machine has no counter.
  void GetTime(FILETIME& now) const override;

  static int state;           // a ProbeState
  static double conversion;   // 100 ns units per counter tick
  static LONGLONG frequency;  // counter ticks per second
};
