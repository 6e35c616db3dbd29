// RegCode: a typed register code for the expressions whose types are known.
//
// The trees stay what the parser builds; a statement that evaluates an expression made
// only of Integer, Long and Double locals, constants and plain data members (its own,
// "Me." ones and those of an embedded object) compiles it, the first time it runs, into
// a short sequence of type-specialised instructions on untagged registers, run by one
// dispatch loop. Nothing in such code has side effects, and every instruction that could
// take another path than the plain one (a local or member whose cell holds another type,
// a member that is not a plain own cell, an overflow, a division by zero, a result that
// is not finite) abandons the run: the caller then evaluates the tree, which gives the
// general rules and raises the errors with their usual texts and lines.
#pragma once

#include <cstdint>
#include <vector>

#include "interp.h"

class InterObjRep;

union Reg {
  int32_t l;  // Integer and Long values (Integer results stay in the 16-bit range)
  double d;
};

// A plain data member read or written by the code: of the current object (embed null)
// or of the current object's embedded object named embed.
struct MemberRef {
  Sid* name;
  Sid* embed;
  unsigned char type;  // the member's type when compiled (kTypeShort, kTypeLong, kTypeDouble)
};

// The own cell of a plain data member when it holds m.type (null: take the general path).
// write: the cell is made when missing and the object is given back in owner.
ValueCell* PlainMemberCell(StackFrame& frame, MemberRef& m, bool write, InterObjRep** owner);

class RegCode {
 public:
  // The code of e for the frame's procedure, or none() when e is not of that kind.
  static RegCode* compile(StackFrame& frame, ExprNode* e);
  // A member place for a plain data member target (false: not one).
  static bool memberTarget(StackFrame& frame, ExprNode* e, MemberRef& out);
  // Marks a node that was tried and cannot be compiled.
  static RegCode* none();
  // Clears a node's code (at link: slots may have moved).
  static void reset(RegCode*& code);

  // The code of "target = value" (kind ASSIGN_PLAIN or ASSIGN_LET) when the target is a
  // Integer, Long or Double local or plain data member and value compiles; else none().
  static RegCode* compileAssign(StackFrame& frame, ExprNode* target, ExprNode* value, int kind);

  // Runs; false: the tree must be evaluated instead.
  bool run(StackFrame& frame, Reg& out);
  // Runs an assignment's code and stores the result (false: nothing was done, the tree
  // must run the statement).
  bool assign(StackFrame& frame, ExprNode* target, int kind);
  unsigned char type() const { return type_; }
  // Worth running in place of a tree that already reads locals and constants in place:
  // more than one operation, or a member or element read.
  bool pays() const { return pays_; }
  // The result as a cell of type().
  void toCell(const Reg& r, ValueCell& out) const;

  enum { kMaxRegs = 16 };
  struct Instr {
    unsigned char op;
    unsigned char d, a, b;
    unsigned char bk;  // b is the constant k
    int32_t slot;      // a frame slot, or an index into members_
    Reg k;
  };

 private:
  friend class RegCompiler;
  void foldConstants();
  std::vector<Instr> code_;
  std::vector<MemberRef> members_;
  unsigned char type_ = 0;
  bool pays_ = false;
  // An assignment's target: a frame slot, or (slot -1) the member target_.
  int targetSlot_ = -1;
  MemberRef target_{};
};

// Evaluates a condition through the node's code when it has one (code: the node's
// field; compiled the first time).
bool TypedTest(StackFrame& frame, ExprNode* cond, RegCode*& code);
