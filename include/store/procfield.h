// Basic procedures as members of objects.
//
// InterProcField (Sub) and InterFuncField (Function) run their outer block in a new frame
// on the object they are invoked on. Arguments are declared after construction with
// addArgument, in order; a data field of mode 2 is passed by value (ByVal), mode 0 by
// reference: the procedure works on the caller's variable (from Basic) or on the value
// of the ValueList element, which is written back into an IndirectValue (from C++).
// An argument expression that is not a variable (a constant, an expression, a property)
// is passed as a copy; a property passed by reference is written back after the call.
// Missing arguments are an error (message 32712 naming the procedure), as are extra ones.
// A Function's result starts as the empty value of its type; assigning to the function's
// name inside it sets the result. Recursion is unbounded up to the C++ stack: frames live
// on the C++ stack; when less than 256 KB of the thread's stack is left, the call raises a
// StoreException ("Out of stack space") instead of crashing.
//
// A procedure whose text did not compile is made from its text alone; invoking it
// raises a StoreException naming it.
//
// InterProcDataField: a property read and written through two procedures of the object,
// "Property Name Get getter Set setter As type": reading calls the getter function with
// no arguments; writing calls the setter with the value (read-only without a setter).
#pragma once

#include <string>
#include <vector>

#include "store/ovstore_api.h"
#include "store/field.h"
#include "store/evalable.h"

class ProcCode;
struct ValueCell;
struct StackFrame;
class IdDynamicVector;
class BlockDynamicVector;
class ExprNode;
class Cid;

// How one argument reaches a procedure called from Basic.
struct ArgPass {
  ExprNode* expr;   // the argument expression (null: given as a cell)
  ValueCell* cell;  // evaluated value, or the caller's variable when byRef
  bool byRef;       // cell is the caller's own variable
};

class OVSTORE_API InterProcField : public MethodField {
 public:
  // name: the procedure's name (an IdString converts). ids and blocks are the parse's;
  // what the procedure needs of them is copied.
  InterProcField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks, DeadSource& dead);
  // A procedure that did not compile, kept as text.
  InterProcField(const char* name, const char* text);
  ~InterProcField() override;

  // Declares the next argument (the field is taken over).
  void addArgument(Field* arg);
  // Forgets the argument fields without deleting them (they were handed on).
  void releaseArguments();
  // Read from a module: the text is compiled on the first call.
  void compileWhenCalled() { compileOnCall_ = true; }
  int parmCount() const override { return (int)args_.size(); }
  Field* argument(int i) const { return args_[(size_t)i]; }
  int compiles() const override { return code_ != nullptr; }
  // The compiled code (null: a text that did not compile yet).
  ProcCode* procCode() const { return code_; }
  int hasSource() const override { return 1; }
  const char* sourceText() const override { return text_.c_str(); }
  // The text the editor shows for a compiled procedure (the parser keeps it elsewhere).
  void setSourceText(const char* text) { text_ = text ? text : ""; }
  const DeadSource& deadSource() const { return dead_; }
  // The first line holding a statement at or after line (-1: none).
  int executableLineAt(int line) const override;
  RWCString paramText() const override;

  Value* invoke(InterObjRep& self, ValueList* args, int flags) override;
  // Saved with modules as name, source text and arguments; a procedure read back is
  // compiled from its text by the parser library (ovparse.dll) on its first call.
  unsigned char streamTag() const override;
  void writeDef(OCLStream& s) const override;
  // The interpreter's call: args already evaluated (count n); result gets a function's
  // value (may be null for a Sub or when the caller drops it).
  void call(StackFrame* caller, InterObjRep* self, ArgPass* args, int n, ValueCell* result);
  // The interpreter's call from Basic code: the arguments of call (may be null) are
  // evaluated in caller straight into the new frame. False, with nothing evaluated, when
  // the call needs call() instead (not linked yet, a wrong count, or a by-reference
  // argument that is written back afterwards).
  bool callDirect(StackFrame& caller, InterObjRep* self, Cid* call, ValueCell* result);

 protected:
  InterProcField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks, Field* resultField,
                 DeadSource& dead);
  InterProcField(const char* name, Field* resultField, const char* text);
  virtual int frameKind() const;
  // Runs the body in the frame made for it; the result moves to result (may be null).
  void run(StackFrame& f, ValueCell* result);
  // A procedure read from a module: compiles its text now (throws the parser's error).
  void compileFromText();

  ProcCode* code_;
  std::vector<Field*> args_;
  Field* result_;
  DeadSource dead_;
  std::string text_;
  bool compileOnCall_ = false;  // read from a module: compile the text on the first call
};

class OVSTORE_API InterFuncField : public InterProcField {
 public:
  InterFuncField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks, Field* resultField,
                 DeadSource& dead);
  InterFuncField(const char* name, Field* resultField, const char* text);
  ~InterFuncField() override;
  int resultType() const;
  Field* resultField() const { return result_; }

 protected:
  int frameKind() const override;
};

// A property made of two procedures of the object: reading calls the getter (a function
// without arguments), writing calls the setter with the value; without a setter the
// property is read-only (writing it is a StoreException).
class OVSTORE_API InterProcDataField : public DataField {
 public:
  // setName may be null or empty (read-only); getName is required.
  static InterProcDataField* make(const char* name, int type, const char* className, const char* setName,
                                  const char* getName);
  InterProcDataField(const char* name, int type, const char* className, const char* setName,
                     const char* getName);

  int isInterProcDataField() const override { return 1; }
  const char* getterName() const { return get_.c_str(); }
  const char* setterName() const { return set_.c_str(); }
  bool isReadOnly() const { return set_.empty(); }
  RWCString declarationText(const InterObjRep* obj = nullptr) const override;

  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;
  bool textValue(InterObjRep&, RWCString&) override { return false; }
  unsigned char streamTag() const override { return 36; }
  void writeDef(OCLStream& s) const override;

 private:
  std::string set_;
  std::string get_;
};
