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

DebugHook* g_hook = nullptr;
int g_enablers = 0;
unsigned long long g_statements = 0;

// The lowest usable address of this thread's stack (0 when the system cannot tell).
uintptr_t StackFloor() {
  typedef void(WINAPI * Limits)(PULONG_PTR, PULONG_PTR);
  static Limits fn =
      (Limits)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentThreadStackLimits");
  if (!fn) return 0;
  ULONG_PTR low = 0, high = 0;
  fn(&low, &high);
  return (uintptr_t)low;
}

void UpdateHookFlags() { g_execHookFlags = g_hook && (!g_hook->onlyWhenEnabled() || g_enablers > 0) ? 1 : 0; }

}  // namespace

int g_execHookFlags = 0;
StackFrame* g_frameTop = nullptr;
int g_frameDepth = 0;
uintptr_t g_stackBase = 0, g_stackLimit = 0;

// Basic recursion ends with an error while enough stack is left to report it: 256 KB.
bool StackLowSlow() {
  const uintptr_t base = ThreadStackBase();
  const uintptr_t floor = StackFloor();
  g_stackBase = base;
  g_stackLimit = floor ? floor + 256 * 1024 : 0;
  return (uintptr_t)__builtin_frame_address(0) < g_stackLimit;
}

void ThrowCallsTooDeep() { throw StoreException("Out of stack space: procedure calls nested too deeply."); }

void FrameLeftHook(StackFrame& frame) {
  if (g_execHookFlags && g_hook && frame.kind != FRM_BLOCK) {
    try {
      g_hook->procedureLeft(frame);
    } catch (...) {
    }
  }
}

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

StackFrame* ExecutionStack::top() { return g_frameTop; }
int ExecutionStack::activeFrames() { return g_frameDepth; }

StackFrame* ExecutionStack::activeFrame(int kind) {
  for (StackFrame* f = g_frameTop; f; f = f->caller)
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
  size_t used;  // of the chunks before the one in use
};
std::vector<Chunk> g_chunks;
const size_t kChunkBytes = 256 * 1024;

}  // namespace

char* ValueStack::base_ = nullptr;
size_t ValueStack::size_ = 0;
size_t ValueStack::used_ = 0;
size_t ValueStack::chunk_ = 0;

void ValueStack::releaseChunk(const Mark& m) {
  if (g_chunks.empty()) return;
  chunk_ = m.chunk;
  base_ = g_chunks[chunk_].base;
  size_ = g_chunks[chunk_].size;
  used_ = m.used;
}

void* ValueStack::takeChunk(size_t bytes) {
  // On to the next chunk (chunks after the current one are unused), made or made larger.
  if (!g_chunks.empty()) g_chunks[chunk_].used = used_;
  size_t next = g_chunks.empty() ? 0 : chunk_ + 1;
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
  chunk_ = next;
  base_ = g_chunks[next].base;
  size_ = g_chunks[next].size;
  used_ = bytes;
  return base_;
}

// --- FrameScope ------------------------------------------------------------------------------

FrameScope::FrameScope(StackFrame& frame, ProcCode& code, Entry entry)
    : frame_(frame), n_(code.slotCount()), mark_(ValueStack::mark()), numeric_(code.numericFrame()) {
  if (g_frameDepth >= kMaxCallDepth || StackLow()) ThrowCallsTooDeep();
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
  frame.caller = g_frameTop;
  if (!g_frameTop) {
    busy_ = true;
    StoreApplication::SignalBusy();
  }
  g_frameTop = &frame;
  ++g_frameDepth;
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
  if (entered_ && g_execHookFlags) FrameLeftHook(frame_);
  pop();
}

void FrameScope::pop() {
  if (entered_) {
    g_frameTop = frame_.caller;
    --g_frameDepth;
    entered_ = false;
  }
  if (!numeric_)
    for (int i = 0; i < n_; ++i) cells_[i].clear();
  ValueStack::release(mark_);
  if (busy_) {
    busy_ = false;
    StoreApplication::SignalNotBusy();
  }
}
