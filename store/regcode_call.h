// Direct calls of Basic Functions from typed loop code.
//
// A call "Name(args)" of a Function of the current object whose parameters and result are
// Integer, Long or Double compiles to an OP_CALL instruction: the arguments are evaluated
// into registers, go straight into the callee's frame cells (a by-reference parameter given
// a local variable of its own type gets the variable's cell), the callee's body runs (typed
// when it compiles), and the result comes back in a register. The callee is bound when the
// code is compiled and checked again whenever a signature changed; a call that does not fit
// any more (another field, other parameters, a text not compiled, the debugger hook on) hands
// the unit back to the tree, which takes the general path.
//
// Instructions: OP_CALL (d result register, a argument count, b result type, slot the
// signature generation it was checked for, k the function field), then one OP_CARG with the
// call node in k, then one OP_CARG per argument (d its mode, a its register, b the register's
// type, slot the aliased local, k.l the parameter's type). The OP_CARGs are data: OP_CALL
// steps over them.
//
// A unit that fails after one of its calls ran is run again as a tree with the calls' results
// remembered (CallReplay): the tree takes them in place of calling again, so no call runs
// twice. For that to give the same values, the compiler allows before a call only reads of
// locals that no call of the unit passes by reference and that are not Static.
#pragma once

#include "regcode.h"

enum CallArgMode : unsigned char {
  CARG_RVALUE = 0,    // a value no parameter could change (an expression, a constant, a call)
  CARG_VARIABLE = 1,  // the value of a variable, member or element: for a ByVal parameter only
  CARG_ALIAS = 2      // a local variable of the parameter's type, passed as its cell (ByRef)
};

// Runs the call at p (an OP_CALL) with the registers r; false when it does not fit any more
// (nothing was done: the unit must run as a tree).
bool RegCallRun(StackFrame& frame, const RegCode::Instr* p, Reg* r);

// While it lives, the results of the calls the instructions [from, to) of frame's code made
// are what the tree's evaluation of those call nodes in frame answers (once each).
class CallReplay {
 public:
  CallReplay(StackFrame& frame, const RegCode::Instr* from, const RegCode::Instr* to, const Reg* r);
  ~CallReplay();
  CallReplay(const CallReplay&) = delete;
  CallReplay& operator=(const CallReplay&) = delete;
  // Takes the remembered result of site in frame (false: none).
  static bool take(StackFrame& frame, const Cid* site, ValueCell& out);

  enum { kMaxCalls = 16 };  // calls in one unit

 private:
  struct Memo {
    const Cid* site;
    Reg value;
    unsigned char type;
    bool taken;
  };
  StackFrame* frame_;
  Memo memo_[kMaxCalls];
  int n_ = 0;
  CallReplay* prev_ = nullptr;
  bool active_ = false;
};
