// Evaluation contexts, the execution stack, the debugger hook and the per-statement poll.
#include "store/context.h"

#include <windows.h>

#include <cstdint>

#include "interp.h"
#include "store/interobj.h"
#include "store/storeapp.h"

namespace {

StackFrame* g_top = nullptr;
int g_depth = 0;
DebugHook* g_hook = nullptr;
int g_enablers = 0;
unsigned long long g_statements = 0;

// The lowest usable address of this thread's stack (0 when the system cannot tell).
uintptr_t StackFloor() {
  // Basic runs on one thread; the floor is found again when another thread runs it.
  static DWORD thread = 0;
  static uintptr_t floor = 0;
  if (thread != GetCurrentThreadId()) {
    thread = GetCurrentThreadId();
    floor = 0;
    typedef void(WINAPI * Limits)(PULONG_PTR, PULONG_PTR);
    Limits fn = (Limits)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentThreadStackLimits");
    if (fn) {
      ULONG_PTR low = 0, high = 0;
      fn(&low, &high);
      floor = (uintptr_t)low;
    }
  }
  return floor;
}

// Basic recursion ends with an error while enough stack is left to report it.
void CheckStack() {
  char probe;
  uintptr_t floor = StackFloor();
  if (floor && (uintptr_t)&probe < floor + 256 * 1024)
    throw StoreException("Out of stack space: procedure calls nested too deeply.");
}

void UpdateHookFlags() {
  g_execHookFlags = g_hook && (!g_hook->onlyWhenEnabled() || g_enablers > 0) ? 1 : 0;
}

}  // namespace

int g_execHookFlags = 0;

// --- Context ---------------------------------------------------------------------------

Context::Context() : obj_(nullptr), flags_(0) {}

Context::Context(const InterObj& obj, int flags) : obj_(obj.get()), flags_(flags) {
  if (obj_) obj_->ref();
}

Context::Context(InterObjRep* obj, int flags) : obj_(obj), flags_(flags) {
  if (obj_) obj_->ref();
}

Context::~Context() {
  if (obj_) obj_->unref();
}

// --- ExecutionStack -----------------------------------------------------------------------

StackFrame* ExecutionStack::top() { return g_top; }
int ExecutionStack::activeFrames() { return g_depth; }

StackFrame* ExecutionStack::activeFrame(int kind) {
  for (StackFrame* f = g_top; f; f = f->caller)
    if (f->kind == kind) return f;
  return nullptr;
}

void ExecutionStack::setHook(DebugHook* hook) {
  g_hook = hook;
  UpdateHookFlags();
}

DebugHook* ExecutionStack::hook() { return g_hook; }
unsigned long long ExecutionStack::statements() { return g_statements + (unsigned long long)(kPollEvery - g_pollCountdown); }

// --- DebugHook ----------------------------------------------------------------------------

DebugHook::~DebugHook() {
  if (g_hook == this) ExecutionStack::setHook(nullptr);
}
void DebugHook::procedureEntered(StackFrame&) {}
void DebugHook::procedureLeft(StackFrame&) {}
int DebugHook::stop(StackFrame&) { return 0; }
int DebugHook::onlyWhenEnabled() const { return 0; }

DebugEnabler::DebugEnabler() : saved_(0) {
  ++g_enablers;
  UpdateHookFlags();
}

DebugEnabler::~DebugEnabler() {
  --g_enablers;
  UpdateHookFlags();
}

void ExecHookStatement(StackFrame& frame, int line) {
  if (g_hook) g_hook->statement(frame, line);
}

int g_pollCountdown = kPollEvery;

void ExecPollNow() {
  g_statements += (unsigned long long)(kPollEvery - g_pollCountdown);
  g_pollCountdown = kPollEvery;
  StoreApplication::App()->PollUserBreak();
}

// --- FrameScope ------------------------------------------------------------------------------

FrameScope::FrameScope(StackFrame& frame, ProcCode& code) : frame_(frame), n_(code.slotCount()) {
  if (g_depth >= kMaxCallDepth) throw StoreException("Out of stack space: procedure calls nested too deeply.");
  CheckStack();
  ValueCell** vars;
  if (n_ <= 12) {
    cells_ = local_;
    vars = localVars_;
  } else {
    heapCells_.reset(new ValueCell[(size_t)n_]);
    heapVars_.reset(new ValueCell*[(size_t)n_]);
    cells_ = heapCells_.get();
    vars = heapVars_.get();
  }
  for (int i = 0; i < n_; ++i) cells_[i].init();
  frame.vars = vars;
  frame.code = &code;
  try {
    for (int i = 0; i < n_; ++i) {
      const SlotInfo& s = code.slot(i);
      if (s.statik >= 0) {
        vars[i] = code.staticCell(s.statik);
      } else {
        vars[i] = &cells_[i];
        CellInitType(cells_[i], s.type, s.array);
      }
    }
  } catch (...) {
    for (int i = 0; i < n_; ++i) cells_[i].clear();
    throw;
  }
  frame.caller = g_top;
  if (!g_top) {
    busy_ = true;
    StoreApplication::SignalBusy();
  }
  g_top = &frame;
  ++g_depth;
  if (g_execHookFlags && g_hook && frame.kind != FRM_BLOCK) {
    // No destructor runs for a constructor that throws: a failing hook pops the frame here.
    try {
      g_hook->procedureEntered(frame);
    } catch (...) {
      pop();
      throw;
    }
  }
}

FrameScope::~FrameScope() {
  if (g_execHookFlags && g_hook && frame_.kind != FRM_BLOCK) {
    try {
      g_hook->procedureLeft(frame_);
    } catch (...) {
    }
  }
  pop();
}

void FrameScope::pop() {
  g_top = frame_.caller;
  --g_depth;
  for (int i = 0; i < n_; ++i) cells_[i].clear();
  if (busy_) StoreApplication::SignalNotBusy();
}
