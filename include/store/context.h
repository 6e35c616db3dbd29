// Evaluation contexts, the execution stack and the debugger hook.
//
// Context: the object an evaluation runs on ("Me"): Context(obj, 1) on an object,
// Context() on none (globals only).
//
// StackFrame: one activation: an evaluable block or expression (FRM_BLOCK), or a Basic
// procedure (FRM_PROCEDURE) or function (FRM_FUNCTION). Frames live on the C++ stack and
// are chained from the newest (ExecutionStack::top) to the oldest; vars[slot] points at
// the cell of an argument or local (for a by-reference argument, at the caller's cell).
//
// Debugger hook: ExecutionStack::setHook(hook) attaches a debugger. Before each statement
// the interpreter tests one global flag; only when a hook is attached (and enabled: always,
// or within a DebugEnabler's scope when the hook asks for that) does it call
// hook->statement(frame, line). Procedure entry and exit are reported as well, so a
// debugger can keep a call history. A hook may throw TerminateExecution to end the run.
// Without a hook, Stop raises PauseExecution.
//
// While Basic runs, StoreApplication::PollUserBreak is called every few dozen statements
// (the application decides how often it really polls, and may throw PauseExecution).
// A run started from outside Basic (EvalableExpr/EvalableBlock/invoke with no Basic frame
// below) is a busy span: SignalBusy before, SignalNotBusy after.
#pragma once

#include "store/ovstore_api.h"

class InterObjRep;
class InterObj;
struct ValueCell;
class MethodField;
class ExecNode;
class ProcCode;

class OVSTORE_API Context {
 public:
  Context();
  Context(const InterObj& obj, int flags);
  explicit Context(InterObjRep* obj, int flags = 1);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  InterObjRep* object() const { return obj_; }
  int flags() const { return flags_; }

 private:
  InterObjRep* obj_;  // counted while the context lives
  int flags_;
};

enum FrameKind { FRM_BLOCK = 0, FRM_PROCEDURE = 1, FRM_FUNCTION = 2 };

struct OVSTORE_API StackFrame {
  StackFrame* caller = nullptr;
  int kind = FRM_BLOCK;
  InterObjRep* me = nullptr;       // the current object (may be null)
  MethodField* proc = nullptr;     // the procedure field (null for a block)
  const char* procName = nullptr;  // its name, for messages and the call history
  ProcCode* code = nullptr;        // linked names and blocks
  ValueCell** vars = nullptr;      // slot -> cell
  ValueCell* result = nullptr;     // a function's result cell
  ValueCell* with = nullptr;       // the innermost With object (null: none)
  int line = 0;                    // line of the statement running
  int firstLine = 0;               // line of the procedure header
  const void* pending = nullptr;   // the exception a Catch clause is handling (for Throw)

  // The current line counted from the procedure's header line (the editor's numbering).
  int lineWithArgs() const { return line; }
};

class OVSTORE_API DebugHook {
 public:
  virtual ~DebugHook();
  // Before every statement (line as in StackFrame::line).
  virtual void statement(StackFrame& frame, int line) = 0;
  virtual void procedureEntered(StackFrame& frame);
  virtual void procedureLeft(StackFrame& frame);
  // A Stop statement; answering 0 makes the interpreter raise PauseExecution.
  virtual int stop(StackFrame& frame);
  // Only within a DebugEnabler's scope?
  virtual int onlyWhenEnabled() const;
};

class OVSTORE_API ExecutionStack {
 public:
  static StackFrame* top();
  static int activeFrames();
  // The newest frame of that kind, or null.
  static StackFrame* activeFrame(int kind);
  static void setHook(DebugHook* hook);
  static DebugHook* hook();
  // The number of statements run since the process started (for tests and the bench).
  static unsigned long long statements();
};

// Walks the active frames from the newest: for (ExecutionStackIterator it; it.current(); it.next()).
class OVSTORE_API ExecutionStackIterator {
 public:
  ExecutionStackIterator() : frame_(ExecutionStack::top()) {}
  StackFrame* current() const { return frame_; }
  // Moves n frames towards the oldest; answers the new current frame (null past the end).
  StackFrame* next(int n = 1) {
    while (frame_ && n-- > 0) frame_ = frame_->caller;
    return frame_;
  }

 private:
  StackFrame* frame_;
};

// Enables the debugger hook for the evaluations made while it lives.
class OVSTORE_API DebugEnabler {
 public:
  DebugEnabler();
  ~DebugEnabler();
  DebugEnabler(const DebugEnabler&) = delete;
  DebugEnabler& operator=(const DebugEnabler&) = delete;

 private:
  int saved_;
};
