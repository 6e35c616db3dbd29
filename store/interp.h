// Store-internal parts of the interpreter shared by the node, block and field sources.
//
// ProcCode: the compiled form a procedure, evaluable block or expression runs: its own
// copy of the identifier texts and block references of the parse, the arguments, and
// after link() the frame layout (slot count, how each slot starts) and the cells of
// static locals and constants.
//
// LinkScope: name resolution while linking (innermost block first, then arguments, the
// function's result, then members and globals at run time).
//
// FrameScope: pushes a StackFrame for its lifetime, initialising the slots.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/block.h"
#include "store/context.h"
#include "store/exprnode.h"
#include "store/execnode.h"
#include "store/faultp.h"
#include "store/numeric.h"
#include "store/storeexcept.h"
#include "store/valuecell.h"

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

// How a name was resolved.
enum Bind : unsigned char {
  BIND_NONE = 0,
  BIND_SLOT,     // argument, local, static or a function's result: frame.vars[slot]
  BIND_CONST,    // a constant: cache_ is its ValueCell
  BIND_TRUE,
  BIND_FALSE,
  BIND_FIELD,    // a field declared in a block (Declare, property): cache_ is the Field
  BIND_NAME,     // member of the current object, else a global object (run time)
};

// How a frame slot starts.
struct SlotInfo {
  unsigned char type = 0;        // type code of the cell (array: element | 0x20)
  ArrayField* array = nullptr;   // declared array: the field with its dimensions
  int statik = -1;               // index of the persistent cell, or -1
  const char* name = "";
};

class ProcCode {
public:
  ProcCode(IdDynamicVector& ids, BlockDynamicVector* blocks);
  ~ProcCode();

  const char* idText(int index) const;
  BlockRep* block(int no) const;
  BlockRep* outer() const { return outer_; }

  // Links once (throws on a bad tree; a failed link is retried at the next run).
  void link(const std::vector<Field*>* args, Field* result, const char* procName);
  void linkExpr(ExprNode* node);
  bool linked() const { return linked_; }
  // Forget the link (the arguments changed); the next run links again.
  void invalidate() { linked_ = false; }
  int slotCount() const { return (int)slots_.size(); }
  const SlotInfo& slot(int i) const { return slots_[(size_t)i]; }
  int resultSlot() const { return resultSlot_; }
  int addSlot(const SlotInfo& info);
  // A persistent cell for a static local; answers its index.
  int addStatic(unsigned char type, ArrayField* array);
  ValueCell* staticCell(int i) { return statics_[(size_t)i].get(); }
  // A cell holding a constant's value for the life of the code.
  ValueCell* addConstant(Value* v);
  int lineAtOrAfter(int line) const;

private:
  std::vector<std::string> ids_;
  std::vector<Faultp<BlockRep>> blocks_;
  BlockRep* outer_ = nullptr;
  std::vector<SlotInfo> slots_;
  std::vector<std::unique_ptr<ValueCell, void (*)(ValueCell*)>> statics_;
  std::vector<std::unique_ptr<ValueCell, void (*)(ValueCell*)>> constants_;
  int resultSlot_ = -1;
  bool linked_ = false;
};

class LinkScope {
public:
  LinkScope(ProcCode& code, const std::vector<Field*>* args, Field* result, const char* procName);

  ProcCode& code() { return code_; }
  const char* idText(int index) const { return code_.idText(index); }
  // The block of number no (null for -1); asserts it exists.
  BlockRep* block(int no);
  void push(BlockRep* b) { chain_.push_back(b); }
  void pop() { chain_.pop_back(); }

  // Resolves a simple name: bind kind, slot and cache (constant cell or field).
  void resolve(int index, unsigned char& bind, int& slot, void*& cache);

private:
  ProcCode& code_;
  const std::vector<Field*>* args_;
  Field* result_;
  std::string procName_;
  std::vector<BlockRep*> chain_;
};

// --- frames --------------------------------------------------------------------------

// Pushes frame on the execution stack for its scope (and reports it to the debugger).
class FrameScope {
public:
  FrameScope(StackFrame& frame, ProcCode& code);
  ~FrameScope();
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;
  ValueCell* cells() { return cells_; }

private:
  void pop();  // takes the frame off the stack and clears its cells

  StackFrame& frame_;
  int n_;
  ValueCell* cells_;
  ValueCell local_[12];
  ValueCell* localVars_[12];
  std::unique_ptr<ValueCell[]> heapCells_;
  std::unique_ptr<ValueCell*[]> heapVars_;
  bool busy_ = false;
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
Value* CellToValue(const ValueCell& c);          // new value, count 0
void CellFromValue(ValueCell& out, Value* v);    // v may be null (no value)
void ValueFromCellWrite(Value& v, const ValueCell& c);
InterObjRep* CellObject(const ValueCell& c, const char* what);  // TypeMismatch unless an object

// Arrays held in cells.
class LocalArray;
ArrayData* CellArray(const ValueCell& c);     // null when c is no array
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
// The field name s names on obj, remembered in s while no signature changes.
Field* CachedField(Sid& s, InterObjRep* obj);
// obj.name [args] = v, the field already looked up (null: not in the signature).
void MemberSetField(StackFrame& frame, InterObjRep* obj, Field* f, const char* name, Cid* call,
                    const ValueCell& v, int kind);
// obj.name [args] = v.
void MemberSet(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call,
               const ValueCell& v, int kind);
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
void ArrayGet(ArrayData* data, int32_t off, ValueCell& out);
void ArraySet(ArrayData* data, int32_t off, const ValueCell& v);
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
