// Store-internal parts of the interpreter shared by the node, block and field sources.
//
// FrameScope: pushes a StackFrame for its lifetime, initialising the slots.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/block.h"
#include "store/context.h"
#include "store/exprnode.h"
#include "store/execnode.h"
#include "store/faultp.h"
#include "store/field_array.h"
#include "store/numeric.h"
#include "store/storeexcept.h"
#include "store/valuecell.h"
#include "linkscope.h"
#include "proccode.h"

class Field;
class DataField;
class MethodField;
class ArrayField;
class ArrayData;
class InterObjRep;
class Value;
class ValueList;
class IdDynamicVector;
class BlockDynamicVector;

// --- frames --------------------------------------------------------------------------

// Scratch memory of the running Basic calls, taken and given back in LIFO order: frame
// cells and argument lists live here rather than on the C stack, so a Basic call costs
// little C stack. Memory comes in chunks that never move while in use.
class ValueStack {
 public:
  struct Mark {
    size_t chunk;
    size_t used;
  };
  static Mark mark() { return Mark{chunk_, used_}; }
  static void release(const Mark& m) {
    if (m.chunk == chunk_)
      used_ = m.used;
    else
      releaseChunk(m);
  }
  // bytes of memory aligned for any cell, valid until the mark before it is released.
  static void* take(size_t bytes) {
    bytes = (bytes + 15) & ~(size_t)15;
    if (size_ - used_ >= bytes) {
      void* p = base_ + used_;
      used_ += bytes;
      return p;
    }
    return takeChunk(bytes);
  }

 private:
  static void* takeChunk(size_t bytes);
  static void releaseChunk(const Mark& m);
  // The chunk in use: its memory, size and the bytes taken of it.
  static char* base_;
  static size_t size_, used_, chunk_;
};

// The execution stack: the newest frame and the number of frames on it (context.cpp).
extern StackFrame* g_frameTop;
extern int g_frameDepth;

// Whether less stack is left to this thread than a Basic call needs to report an error.
// The limit is worked out once per thread (a thread is told by its stack's base in its
// information block).
extern uintptr_t g_stackBase, g_stackLimit;
bool StackLowSlow();
// The top of the running thread's stack, from its thread information block.
inline uintptr_t ThreadStackBase() {
  uintptr_t base;
#if defined(__x86_64__)
  __asm__("movq %%gs:0x08, %0" : "=r"(base));
#else
  __asm__("movl %%fs:0x04, %0" : "=r"(base));
#endif
  return base;
}
inline bool StackLow() {
  const uintptr_t base = ThreadStackBase();
  if (base != g_stackBase) return StackLowSlow();
  return (uintptr_t)__builtin_frame_address(0) < g_stackLimit;
}
// The error of a call nested too deeply.
[[noreturn]] void ThrowCallsTooDeep();
// Reports a procedure's frame leaving to the debugger hook, when one is attached.
void FrameLeftHook(StackFrame& frame);

// Pushes frame on the execution stack for its scope (and reports it to the debugger).
class FrameScope {
 public:
  enum Entry { kEnterNow, kEnterLater };
  // kEnterLater makes the frame's cells (so that a caller can fill the arguments in) and
  // leaves the frame off the stack until enter().
  FrameScope(StackFrame& frame, ProcCode& code, Entry entry = kEnterNow);
  ~FrameScope();
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;
  ValueCell* cells() { return cells_; }
  void enter();

 private:
  void pop();  // takes the frame off the stack (when on it) and clears its cells

  StackFrame& frame_;
  int n_;
  ValueCell* cells_;
  ValueStack::Mark mark_;
  bool busy_ = false;
  bool entered_ = false;
  bool numeric_ = false;  // every cell a number: nothing to clear
};

// Flags tested before every statement: a debugger hook is attached / enabled.
extern int g_execHookFlags;
void ExecHookStatement(StackFrame& frame, int line);
// The per-statement poll of the application (user break). The virtual call goes out only
// once every kPollEvery statements: the application rate-limits its own polling anyway, and
// an endless loop still reaches it within microseconds.
enum { kPollEvery = 64 };
extern int g_pollCountdown;
void ExecPollNow();
inline void ExecPoll() {
  if (--g_pollCountdown <= 0) ExecPollNow();
}

// --- values ----------------------------------------------------------------------------

// Starts a cell as the empty value of a type (0, "", Nothing, a new array).
void CellInitType(ValueCell& c, unsigned char type, ArrayField* array);
// dst := v converted to dst's own type (dst's type is the variable's declared type;
// kTypeNone/no-value dst take v as it is). kind 2 (Set) requires an object.
void CellStore(ValueCell& dst, const ValueCell& v, int kind = 0);
// Heap values at API boundaries.
Value* CellToValue(const ValueCell& c);        // new value, count 0
void CellFromValue(ValueCell& out, Value* v);  // v may be null (no value)
void ValueFromCellWrite(Value& v, const ValueCell& c);
InterObjRep* CellObject(const ValueCell& c, const char* what);  // TypeMismatch unless an object

// Arrays held in cells.
class LocalArray;
ArrayData* CellArray(const ValueCell& c);                              // null when c is no array
void CellSetArray(ValueCell& c, ArrayData* data, unsigned char elem);  // takes data over

// Fields as frame cells: the cell type of a declared field (arrays: element | 0x20) and
// whether an argument field is passed by value.
unsigned char FieldCellType(Field* f);
bool FieldByValue(Field* f);
// Converts an argument's copy to the parameter's type (by-reference copies).
void CellConvertForParam(ValueCell& c, Field* param);

// --- errors ----------------------------------------------------------------------------

// Adds the frame's line, object and member to e when they are not set yet.
void AnnotateException(StoreException& e, const StackFrame& frame);
// Runs body; a store error or an allocation failure leaving it carries f's line, object
// and member.
template <class Body>
inline void RunAnnotated(const StackFrame& f, Body&& body) {
  try {
    body();
  } catch (StoreException& e) {
    AnnotateException(e, f);
    throw;
  } catch (const std::bad_alloc&) {
    OutOfMemory e;
    AnnotateException(e, f);
    throw e;
  }
}
[[noreturn]] void ThrowRuntime(const char* text);
[[noreturn]] void ThrowRuntime(unsigned id, const char* arg);

// Depth guard for recursion. Each active call of a procedure holds a counted reference
// to its object, whose count is 16-bit: stop well before 32767 calls so that deep
// recursion always ends in "Out of stack space", whatever the frame size of the build.
enum { kMaxCallDepth = 30000 };

// --- members, calls and arrays (interp_call.cpp) ------------------------------------------

class Cid;
class InterProcField;

// obj.name [args]: reads a data member or array element, or calls a method (out gets its
// result, or the no-value value for a Sub).
void MemberGet(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call, ValueCell& out);
// The same with the field already looked up (null: not in the signature).
void MemberGetField(StackFrame& frame, InterObjRep* obj, Field* f, const char* name, Cid* call,
                    ValueCell& out);
// What a name's cached member is, for the fast paths of member access.
enum MemberKind : unsigned char {
  MEMBER_OTHER = 0,  // anything: the general path
  MEMBER_PLAIN = 1,  // a plain data field: the object's own cell is read and written in place
  MEMBER_EMBED = 2,  // an embedded object
  MEMBER_PROC = 3    // a procedure with Basic source (InterProcField): called directly
};
// Bumped whenever any signature changes (store/signature.cpp).
extern uint32_t g_generation;
Field* CachedFieldLookup(Sid& s, InterObjRep* obj);
// The field name s names on obj, remembered in s while no signature changes.
inline Field* CachedField(Sid& s, InterObjRep* obj) {
  if (s.memberObj == obj && s.memberGen == g_generation) return s.memberField;
  return CachedFieldLookup(s, obj);
}
// obj.name read or written through the member cache of s (call: arguments, may be null).
void MemberRead(StackFrame& frame, InterObjRep* obj, Sid& s, Cid* call, ValueCell& out);
void MemberWrite(StackFrame& frame, InterObjRep* obj, Sid& s, Cid* call, const ValueCell& v, int kind);
// The object name s names on obj when it is an embedded object and can be used without a
// count for one plain data member access (null: use the general path).
InterObjRep* EmbeddedForPlainAccess(InterObjRep* obj, Sid& s, Sid& member);
// obj.name [args] = v, the field already looked up (null: not in the signature).
void MemberSetField(StackFrame& frame, InterObjRep* obj, Field* f, const char* name, Cid* call,
                    const ValueCell& v, int kind);
// obj.name [args] = v.
void MemberSet(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call, const ValueCell& v,
               int kind);
// The result a typed unit's direct call already gave for site, while that unit runs again
// as a tree in frame (regcode_call.cpp); false: call as usual.
class CallReplay;
extern CallReplay* g_callReplay;
bool CallReplayTake(StackFrame& frame, const Cid* site, ValueCell& out);
// Calls method m on self with the arguments of call (may be null); result may be null.
void CallMethod(StackFrame& frame, InterObjRep* self, MethodField* m, Cid* call, ValueCell* result);
// Raises event name on obj with the arguments of call (by reference: handlers' changes
// reach the variables).
void RaiseEvent(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call);
// A new counted list for a native callee: variables by reference (their cells), other
// arguments as new values. The caller releases the list.
ValueList* BuildArgList(StackFrame& frame, Cid* call);
// Offset of the element named by call's arguments in data (bounds checked).
int32_t ArrayOffset(StackFrame& frame, ArrayData* data, Cid* call);
inline void ArrayGet(ArrayData* data, int32_t off, ValueCell& out) { data->getCell(off, out); }
inline void ArraySet(ArrayData* data, int32_t off, const ValueCell& v) { data->setCell(off, v); }
void CellViewArray(ValueCell& c, ArrayData* data, unsigned char elem);
// The object of the innermost With block (error when none or not an object).
InterObjRep* WithObject(StackFrame& frame);
// A value that reads and writes a cell (a variable passed by reference to native code).
Value* NewCellRefValue(ValueCell* cell);
ValueCell* CellRefValueCell(Value* v);  // the cell of a NewCellRefValue, else null

// --- intrinsic state (intrinsics_math.cpp) -------------------------------------------------------
// Rnd: arg < 0 reseeds with arg and answers the first number; 0 repeats the last; > 0 (or
// none) the next number in [0, 1).
float RndNext(double arg, bool hasArg);
void RndSeed(double seed);

// The default Print target when a Print statement names no object (execnode_print.cpp).
class Printable;
Printable* DefaultPrintTarget();
