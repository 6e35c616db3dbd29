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
//
// Loop code (a whole loop or procedure block) goes further: the Integer, Long and Double
// locals it uses live in registers from its start to its end (held locals), and the
// one-dimensional arrays it indexes are reached through a cache of their elements and
// bounds kept in registers. The plain data members it uses are held the same way (held
// members: one register for every name of one member; the code runs without held
// locals or members when two of them name one member then, or one cannot be held). The
// cells are written back (flushed) before anything else can look at them: a statement
// run as a tree, the statement hook, the poll, a call, an error, the end of the code;
// and read again afterwards. A member's cell is written back only when its value
// changed (then its object is marked changed). A held member that cannot be found again
// after such a stop (its object or its cell went, its cell's type changed) is given up
// for the rest of the run: the code goes on in its detached twin, in which every
// instruction that touches a held member's register hands its unit to the tree. Constants sit in registers loaded once
// at the start. The code exists in two forms with the same registers: the fast form,
// which polls for a user break only at its backward jumps and has no per-statement work,
// and the stepping form, which starts every statement with its line, the poll and the
// debugger's statement hook. The fast form runs while no hook is set; the code moves to
// the stepping form at the next backward jump, tree statement or poll after a hook is
// set (and back when it is gone), so a debugger still sees every statement. The line of
// a failing or erring instruction comes from a table (the unit of each instruction).
#pragma once

#include <cstdint>
#include <vector>

#include "interp.h"

class BlockRep;
class ExecNode;

class InterObjRep;

union Reg {
  int32_t l;  // Integer and Long values (Integer results stay in the 16-bit range)
  double d;
  void* p;    // an array cache: the elements
  struct {
    int32_t lower;
    uint32_t count;  // 0: no usable array (every access takes the tree)
  } bounds;          // an array cache: the one dimension (the register after the elements)
};

// A plain data member read or written by the code: of the current object (embed null)
// or of the current object's embedded object named embed.
// The cell last found is kept with what it was found for (the current object, the
// signature generation and the cell layout) and used again while they stay the same.
struct MemberRef {
  Sid* name;
  Sid* embed;
  unsigned char type;  // the member's type when compiled (kTypeShort, kTypeLong, kTypeDouble)
  InterObjRep* me = nullptr;
  InterObjRep* owner = nullptr;
  ValueCell* cell = nullptr;
  uint32_t generation = 0, layout = 0;
};

// The own cell of a plain data member when it holds m.type (null: take the general path).
// write: the cell is made when missing and the object is given back in owner.
ValueCell* PlainMemberCell(StackFrame& frame, MemberRef& m, bool write, InterObjRep** owner);

class RegCode {
 public:
  // The code of e for the frame's procedure, or none() when e is not of that kind.
  static RegCode* compile(StackFrame& frame, ExprNode* e);
  // A member place for a plain data member target (false: not one); obj and field (when
  // given) get the object and field it names now.
  static bool memberTarget(StackFrame& frame, ExprNode* e, MemberRef& out, InterObjRep** obj = nullptr,
                           Field** field = nullptr);
  // Marks a node that was tried and cannot be compiled.
  static RegCode* none();
  // Clears a node's code (at link: slots may have moved).
  static void reset(RegCode*& code);

  // The code of "target = value" (kind ASSIGN_PLAIN or ASSIGN_LET) when the target is a
  // Integer, Long or Double local or plain data member and value compiles; else none().
  static RegCode* compileAssign(StackFrame& frame, ExprNode* target, ExprNode* value, int kind);

  // The typed code of a whole numeric For loop or Do loop (its body included, nested
  // loops and Ifs inline, other statements run as trees from it), or none() when the
  // loop's head cannot be typed or nothing in it would run typed.
  static RegCode* compileLoop(StackFrame& frame, ExecNode* loop);
  // The typed code of a procedure's outer block (its statements as in loop code), or
  // none() when nothing in it would run typed.
  static RegCode* compileBlock(StackFrame& frame, BlockRep* block);
  // Runs loop code in place of the loop node's exec; answers what the node's exec would.
  int execLoop(StackFrame& frame);
  ~RegCode();

  // Runs; false: the tree must be evaluated instead.
  bool run(StackFrame& frame, Reg& out) { return exec(frame, &out) == 0; }
  // Runs an assignment's code and stores the result (false: nothing was done, the tree
  // must run the statement).
  bool assign(StackFrame& frame, ExprNode* target, int kind);
  unsigned char type() const { return type_; }
  // Worth running in place of a tree that already reads locals and constants in place:
  // more than one operation, or a member or element read.
  bool pays() const { return pays_; }
  // The result as a cell of type().
  void toCell(const Reg& r, ValueCell& out) const;

  enum { kMaxRegs = 64 };
  struct Instr {
    unsigned char op;
    unsigned char d, a, b;
    // A backward jump: the statements of one pass (the poll's count); an OP_CALL of the
    // detached twin: not 0 when it reads a held member's register (it fails).
    unsigned char w;
    int32_t slot;     // a frame slot, an index into members_, a jump target or a register
    Reg k;
  };

  // A piece of loop code and its way back to the tree: when one of its typed
  // instructions cannot go on (nothing has been changed by then), the unit runs as a tree.
  enum UnitKind : unsigned char {
    UNIT_STMT,     // a statement: node->exec, then on after it
    UNIT_COND,     // a loop's or If's condition: the tree's value decides the jump
    UNIT_FORHEAD,  // a For head: start, end and step as the tree evaluates them
    UNIT_LOOP      // a loop's step and backward jump (never runs as a tree; gives the line)
  };
  // Positions in units are those of the code as compiled (both forms map them: rawTo_).
  struct Unit {
    unsigned char kind = UNIT_STMT;
    unsigned char jumpWhen = 0;  // COND: the truth value that jumps
    unsigned char reg = 0;       // FORHEAD: the end register (the step is in reg + 1)
    unsigned char type = 0;      // FORHEAD: the variable's type
    int line = 0;                // the line the tree has in frame.line there
    ExecNode* node = nullptr;    // STMT, FORHEAD: the statement
    ExprNode* cond = nullptr;    // COND
    int32_t next = -1;           // pc after the unit (FORHEAD: the loop test)
    int32_t jump = -1;           // COND: where the jump goes
    // STMT: where the exits a statement answers land (-1: out of the code with it).
    int32_t exitFor = -1, exitDo = -1, exitLoop = -1;
  };
  // A local held in a register for the whole loop code: an Integer, Long or Double
  // (type), or a one-dimensional array (type: kTypeArrayFlag | element) whose cache
  // takes reg and reg + 1.
  struct Held {
    int32_t slot;
    unsigned char reg, type;
  };
  // A plain data member held in a register (of its type m.type) for the whole loop code.
  struct HeldMember {
    MemberRef m;
    unsigned char reg;
  };

 private:
  friend class RegCompiler;
  friend class LoopCompiler;
  enum { kFail = -1 };
  // Loop code of a loop node or (node null) a block; hold: keep locals in registers;
  // force: even when nothing in it would run typed.
  static RegCode* compileRoot(StackFrame& frame, ExecNode* node, BlockRep* block, bool hold, bool force);
  // Runs expression code (out gets the result; kFail: evaluate the tree) or loop code
  // (out null; answers an ExecResult).
  int exec(StackFrame& frame, Reg* out);
  // Where the tree's run of unit u goes on (a pc), or (as -1 - result) the exit it answers.
  int32_t fallback(StackFrame& frame, const Unit& u, Reg* regs);
  int32_t landing(const Unit& u, int result) const;
  // Held locals: registers from the cells (and array caches made again), and back; with
  // members, the held members too (load: false when one of them cannot be held now, its
  // register then means nothing).
  bool load(StackFrame& frame, Reg* r, bool members);
  void flush(StackFrame& frame, const Reg* r, bool members);
  // The held members' values now, in their order (false: one of them cannot be held, or
  // two name one member).
  bool findMembers(StackFrame& frame, Reg* values);
  // The held members' parts of load, flush and canHold (kept out of the paths of code
  // that holds none: calls enter and leave those on every call).
  __attribute__((noinline)) bool loadMembers(StackFrame& frame, Reg* r);
  __attribute__((noinline)) void flushMembers(StackFrame& frame, const Reg* r);
  __attribute__((noinline)) bool canHoldMembers(StackFrame& frame);
  // Whether the frame's cells of the held locals are the frame's own and of their types,
  // and the held members can be held.
  bool canHold(StackFrame& frame);
  [[noreturn]] void raise(StackFrame& frame, const Reg* r, bool members, int mode, size_t pc, int what);
  std::vector<Unit> units_;
  std::vector<Instr> code_;  // expression code, or the fast form of loop code
  std::vector<MemberRef> members_;
  // Loop code: the stepping form; for each form the unit of every instruction, the pc
  // in the other form of every jump's target, and the pc of every compiled position.
  std::vector<Instr> step_;
  std::vector<int32_t> unitAt_[2], alt_[2], rawTo_[2];
  std::vector<Held> held_;     // Integer, Long and Double locals
  std::vector<Held> arrays_;   // array caches
  std::vector<HeldMember> heldMembers_;
  // With held members: the fast and stepping forms detached from them (the same
  // instructions at the same places, those that touch a held member's register failing).
  std::vector<Instr> detached_[2];
  struct PoolEntry {
    unsigned char reg;
    Reg k;
  };
  std::vector<PoolEntry> pool_;  // constants, loaded into their registers at the start
  // Loop code: what was compiled, and the same code without held locals (made when the
  // frame's cells cannot be held).
  ExecNode* rootNode_ = nullptr;
  BlockRep* rootBlock_ = nullptr;
  RegCode* plain_ = nullptr;
  unsigned char type_ = 0;
  bool pays_ = false;
  // An assignment's target: a frame slot, or (slot -1) the member target_.
  int targetSlot_ = -1;
  MemberRef target_{};
};

// Evaluates a condition through the node's code when it has one (code: the node's
// field; compiled the first time).
bool TypedTest(StackFrame& frame, ExprNode* cond, RegCode*& code);
