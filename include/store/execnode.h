// Statement nodes: the execution trees of Basic statements.
#pragma once

#include "store/exprnode.h"
#include "store/intrinsics.h"
#include "store/ptrlist.h"

class BlockRep;
class RegCode;

enum ExecResult {
  EXEC_NEXT = 0,
  EXEC_EXIT_DO = 1,
  EXEC_EXIT_FOR = 2,
  EXEC_EXIT_PROC = 3,
  EXEC_EXIT_LOOP = 4  // plain Exit: the innermost Do or For, else the procedure
};

// What an Exit statement leaves.
enum ExitKind {
  EXIT_ANY = 0,  // plain "Exit": the innermost loop, else the procedure
  EXIT_DO = 1,
  EXIT_FOR = 2,
  EXIT_FUNCTION = 3,
  EXIT_SUB = 4
};

// How an Assignment stores its value.
enum AssignKind {
  ASSIGN_PLAIN = 0,  // store the value, converted to the target's type
  ASSIGN_LET = 1,    // the same ("Let")
  ASSIGN_SET = 2,    // "Set": an object reference (the value must be an object or Nothing)
  // ":=": deep assignment. Into an object-valued target the data members of the source
  // object are copied into the target object (arrays, embedded objects and constants
  // excepted); into any other target the three act as ASSIGN_PLAIN, ASSIGN_LET, ASSIGN_SET.
  ASSIGN_DEEP = 4,
  ASSIGN_DEEP_LET = 5,
  ASSIGN_DEEP_SET = 6
};

// The forms of a FunctionCallStmt.
enum CallStmtKind {
  CALL_PLAIN = 1,       // "name args": call and drop the result
  CALL_KEYWORD = 2,     // "Call name(args)": the same
  CALL_RAISE_EVENT = 4  // "RaiseEvent name(args)": raise the event name on the current
                        // object (or the object of a dotted name), by-reference
                        // arguments written back
};

// A statement. The first constructor argument of every statement node is its line
// (1-based within the procedure text), which run-time errors and the debugger report.
// exec() answers how control leaves the statement: EXEC_NEXT to go on, or one of the
// exit codes, which loops and procedures consume. Compound statements refer to their
// inner blocks by number in the block vector of the parse (-1: none); link() turns the
// numbers into blocks.
class OVSTORE_API ExecNode {
 public:
  explicit ExecNode(int line) : line_(line) {}
  ExecNode(const ExecNode&) = delete;
  ExecNode& operator=(const ExecNode&) = delete;
  virtual ~ExecNode();
  static void* operator new(size_t size);
  static void operator delete(void* p);

  int line() const { return line_; }
  void setLine(int line) { line_ = line; }
  virtual int exec(StackFrame& frame) = 0;
  virtual void link(LinkScope& scope);
  // Smallest line at or after line held by this node or its inner blocks (-1: none).
  virtual int lineAtOrAfter(int line) const;

 private:
  int line_;
};

// target = value; kind is an AssignKind.
class OVSTORE_API Assignment : public ExecNode {
 public:
  Assignment(int line, int kind, ExprNode* target, ExprNode* value);
  ~Assignment() override;
  int kind() const { return kind_; }
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  ExprNode* target() const { return target_; }
  ExprNode* value() const { return value_; }

 private:
  enum { kMaxAppend = 4 };
  int execAppend(StackFrame& frame, ValueCell* dst);
  int kind_;
  ExprNode* target_;
  ExprNode* value_;
  // "s = s & a & b": the appended operands, left to right (0: not that form).
  int appendCount_ = 0;
  ExprNode* appendParts_[kMaxAppend];
  RegCode* typed_ = nullptr;  // typed code of the whole statement (compiled when first run)
};

// A call as a statement; kind is a CallStmtKind.
class OVSTORE_API FunctionCallStmt : public ExecNode {
 public:
  FunctionCallStmt(int line, ExprNode* call, unsigned char kind);
  ~FunctionCallStmt() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;

 private:
  ExprNode* call_;
  unsigned char kind_;
};

// New bounds for an array variable; with preserve the elements whose indexes are
// inside both the old and the new bounds keep their values.
class OVSTORE_API RedimStmt : public ExecNode {
 public:
  // The name is copied (the caller keeps the Sid); bounds are taken over (null: none),
  // each a (lower or null, upper) pair.
  RedimStmt(int line, Sid& name, PtrList<PtrPair<ExprNode, ExprNode>>* bounds, int preserve);
  ~RedimStmt() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;

 private:
  Sid* name_;
  PtrList<PtrPair<ExprNode, ExprNode>>* bounds_;
  int preserve_;
};

// Reseeds Rnd with the value, or with the clock when none.
class OVSTORE_API RandomizeStmt : public ExecNode {
 public:
  RandomizeStmt(int line, ExprNode* seed);
  ~RandomizeStmt() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;

 private:
  ExprNode* seed_;
};

// "Throw Name(args)" raises a Basic exception named Name carrying the argument values;
// plain "Throw" inside a Catch rethrows the exception being handled.
class OVSTORE_API ThrowStmt : public ExecNode {
 public:
  ThrowStmt(int line, ExprNode* what);
  ~ThrowStmt() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;

 private:
  ExprNode* what_;
};

// Print: the target is the object's Printable part (a Print with an object that has
// none is an error), else the application's FindPrintTarget (none: the output is
// dropped). Each item: Spc(n) PrintSpace, Tab(n) PrintTab, a value Print (Integer, Long,
// Single, Double, text; Currency and objects as their text), then PrintSeparator with
// the separator written after it -- except a trailing one, which is the statement's
// end: PrintDone gets the end (2 end of line, 0/1 a trailing "," or ";").
class OVSTORE_API Print : public ExecNode {
 public:
  // target: the object printed on (null: the application's print target); last: the
  // PrintSepType ending the statement (2: end of line); the items are moved out of the list.
  Print(int line, ExprNode* target, int last, PtrList<PrintItem>& items);
  ~Print() override;
  int exec(StackFrame& frame) override;
  void link(LinkScope& scope) override;

 private:
  ExprNode* target_;
  int last_;
  PtrList<PrintItem> items_;
};

// Suspends in the debugger when one is attached, else raises PauseExecution.
class OVSTORE_API StopStmt : public ExecNode {
 public:
  explicit StopStmt(int line);
  int exec(StackFrame& frame) override;
};

// Exit; kind is an ExitKind.
class OVSTORE_API ExitStmt : public ExecNode {
 public:
  ExitStmt(int line, int kind);
  int kind() const { return kind_; }
  int exec(StackFrame& frame) override;

 private:
  int kind_;
};
