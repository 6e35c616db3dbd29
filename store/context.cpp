// Evaluation contexts, the execution stack, the debugger hook and the per-statement poll.
#include "store/context.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

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
  // Basic runs on one thread; the floor is found again when another thread runs it (a
  // thread is told by its stack's base in its information block: no system call).
  static void* base = nullptr;
  static uintptr_t floor = 0;
  NT_TIB* tib;
#if defined(__x86_64__)
  __asm__("movq %%gs:0x30, %0" : "=r"(tib));
#else
  __asm__("movl %%fs:0x18, %0" : "=r"(tib));
#endif
  void* b = tib->StackBase;
  if (b != base) {
    base = b;
    floor = 0;
    typedef void(WINAPI * Limits)(PULONG_PTR, PULONG_PTR);
    Limits fn =
        (Limits)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentThreadStackLimits");
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

void UpdateHookFlags() { g_execHookFlags = g_hook && (!g_hook->onlyWhenEnabled() || g_enablers > 0) ? 1 : 0; }

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
unsigned long long ExecutionStack::statements() {
  return g_statements + (unsigned long long)(kPollEvery - g_pollCountdown);
}

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

// --- ValueStack ------------------------------------------------------------------------------

namespace {

struct Chunk {
  char* base;
  size_t size;
  size_t used;
};
std::vector<Chunk> g_chunks;
size_t g_chunk = 0;
const size_t kChunkBytes = 256 * 1024;

}  // namespace

ValueStack::Mark ValueStack::mark() { return Mark{g_chunk, g_chunks.empty() ? 0 : g_chunks[g_chunk].used}; }

void ValueStack::release(const Mark& m) {
  if (g_chunks.empty()) return;
  g_chunk = m.chunk;
  g_chunks[g_chunk].used = m.used;
}

void* ValueStack::take(size_t bytes) {
  bytes = (bytes + 15) & ~(size_t)15;
  if (!g_chunks.empty()) {
    Chunk& c = g_chunks[g_chunk];
    if (c.size - c.used >= bytes) {
      void* p = c.base + c.used;
      c.used += bytes;
      return p;
    }
  }
  // On to the next chunk (chunks after the current one are unused), made or made larger.
  size_t next = g_chunks.empty() ? 0 : g_chunk + 1;
  if (next < g_chunks.size() && g_chunks[next].size < bytes) {
    for (size_t i = next; i < g_chunks.size(); ++i) std::free(g_chunks[i].base);
    g_chunks.erase(g_chunks.begin() + (long)next, g_chunks.end());
  }
  if (next >= g_chunks.size()) {
    size_t size = bytes > kChunkBytes ? bytes : kChunkBytes;
    g_chunks.reserve(next + 1);
    char* base = static_cast<char*>(std::malloc(size));
    if (!base) throw std::bad_alloc();
    g_chunks.push_back(Chunk{base, size, 0});
  }
  g_chunk = next;
  Chunk& c = g_chunks[g_chunk];
  c.used = bytes;
  return c.base;
}

// --- FrameScope ------------------------------------------------------------------------------

FrameScope::FrameScope(StackFrame& frame, ProcCode& code, Entry entry)
    : frame_(frame), n_(code.slotCount()), mark_(ValueStack::mark()) {
  if (g_depth >= kMaxCallDepth)
    throw StoreException("Out of stack space: procedure calls nested too deeply.");
  CheckStack();
  cells_ = static_cast<ValueCell*>(ValueStack::take((size_t)n_ * (sizeof(ValueCell) + sizeof(ValueCell*))));
  ValueCell** vars = reinterpret_cast<ValueCell**>(cells_ + n_);
  frame.vars = vars;
  frame.code = &code;
  if (const ValueCell* t = code.frameTemplate()) {
    // Plain empty values: one copy, no counts.
    std::memcpy(static_cast<void*>(cells_), t, (size_t)n_ * sizeof(ValueCell));
    for (int i = 0; i < n_; ++i) vars[i] = &cells_[i];
  } else {
    for (int i = 0; i < n_; ++i) cells_[i].init();
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
      ValueStack::release(mark_);
      throw;
    }
  }
  if (entry == kEnterNow) enter();
}

void FrameScope::enter() {
  StackFrame& frame = frame_;
  frame.caller = g_top;
  if (!g_top) {
    busy_ = true;
    StoreApplication::SignalBusy();
  }
  g_top = &frame;
  ++g_depth;
  entered_ = true;
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
  if (entered_ && g_execHookFlags && g_hook && frame_.kind != FRM_BLOCK) {
    try {
      g_hook->procedureLeft(frame_);
    } catch (...) {
    }
  }
  pop();
}

void FrameScope::pop() {
  if (entered_) {
    g_top = frame_.caller;
    --g_depth;
    entered_ = false;
  }
  for (int i = 0; i < n_; ++i) cells_[i].clear();
  ValueStack::release(mark_);
  if (busy_) {
    busy_ = false;
    StoreApplication::SignalNotBusy();
  }
}
