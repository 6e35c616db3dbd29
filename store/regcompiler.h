// The typed register code's instruction set and its compiler from linked trees (shared
// by the expression and the loop compilers).
#pragma once

#include <cstring>

#include "regcode.h"
#include "store/execnode.h"
#include "store/field.h"

enum RegOp : unsigned char {
  OP_END,  // the result is register a
  OP_LDS,  // d := Integer local slot
  OP_LDL,  // d := Long local slot
  OP_LDD,  // d := Double local slot
  OP_LDM,  // d := plain member slot (members_), of its compiled type
  OP_LDA,  // d := element a of the one-dimensional array local slot (element type in b)
  OP_K,    // d := k
  OP_CVD,  // d.d := a.l
  OP_ADDS,
  OP_SUBS,
  OP_MULS,
  OP_ADDL,
  OP_SUBL,
  OP_MULL,
  OP_IDIV,  // Integer or Long \ (the result fits the operands' type)
  OP_MOD,
  OP_ADDD,
  OP_SUBD,
  OP_MULD,
  OP_DIVD,
  OP_EQL,
  OP_NEL,
  OP_GTL,
  OP_LTL,
  OP_GEL,
  OP_LEL,
  OP_EQD,
  OP_NED,
  OP_GTD,
  OP_LTD,
  OP_GED,
  OP_LED,
  OP_AND,
  OP_OR,
  OP_XOR,
  OP_NOT,
  OP_NEGS,
  OP_NEGL,
  OP_NEGD,
  // Loop code (RegCode::compileLoop). Jump targets are in slot; a failing instruction
  // hands the current unit back to the tree (see RegCode::Unit).
  OP_STMT,  // a statement starts: cur := unit slot, its line, poll and statement hook
  OP_UNIT,  // cur := unit slot (a condition or a For head), its line when not 0
  OP_EXEC,  // the current unit's statement runs as a tree
  OP_FAIL,  // the current unit runs as a tree
  OP_STS,   // Integer local slot := a (range checked)
  OP_STL,   // Long local slot := a
  OP_STD,   // Double local slot := a
  OP_STM,   // plain member slot (members_) := a (a holds a value of type b)
  OP_MOV,   // d := a
  OP_JMP,   // go to slot
  OP_JF,    // go to slot when the integer a is 0
  OP_JT,    // go to slot when the integer a is not 0
  OP_JFD,   // the same for a Double a
  OP_JTD,
  OP_FORINIT,  // variable (local k.l, type b) := a
  OP_FORTEST,  // leave to slot when the variable is past the end a (step in a + 1)
  OP_FORNEXT,  // variable += step; back to slot unless past the end a
  OP_LINE,     // (no longer made: lines come from the units)
  OP_POLL,     // (no longer made: backward jumps poll)
  OP_RET,      // the loop is done: EXEC_NEXT
  // Held locals and array caches (loop code; see RegCode::Held).
  OP_MOVS,      // d := a, a Long made Integer (range checked)
  OP_LDAS,      // d := element a of the Integer array cached in registers slot, slot + 1
  OP_LDAL,      // the same, Long
  OP_LDAD,      // the same, Double
  OP_STAS,      // element a of the Integer array cached in registers slot, slot + 1 := b
  OP_STAL,      // the same, Long
  OP_STAD,      // the same, Double
  OP_FORTESTR,  // leave to slot when the variable in register d (type b) is past the end a
  OP_FORNEXTR,  // register d += step (a + 1); back to slot unless past the end a
  OP_JMPB,      // back to slot (a loop's backward jump: polls)
  OP_JEQL,      // go to slot when a = b (integers)
  OP_JNEL,
  OP_JGTL,
  OP_JLTL,
  OP_JGEL,
  OP_JLEL,
  // Direct calls (regcode_call.h).
  OP_CALL,  // d := a Basic Function of the current object
  OP_CARG,  // the data of an OP_CALL (never run)
  // String functions and String locals (regcode_string.h).
  OP_STRFN,   // d := Len, InStr or Asc of texts (a counts the data after it)
  OP_SSTORE,  // String local slot := a concatenation of texts (a counts the data)
  OP_STXT,    // the data of a text: a String local, a literal, a slice of one, a Chr
  OP_SREG     // the data of an integer argument: register a
};

// Which operand registers an instruction reads (the For instructions read their end and
// step registers besides; those are never constants).
inline bool ReadsA(unsigned char op) {
  switch (op) {
    case OP_LDS:
    case OP_LDL:
    case OP_LDD:
    case OP_LDM:
    case OP_K:
    case OP_STMT:
    case OP_UNIT:
    case OP_EXEC:
    case OP_FAIL:
    case OP_JMP:
    case OP_JMPB:
    case OP_LINE:
    case OP_POLL:
    case OP_RET:
    case OP_FORTEST:
    case OP_FORNEXT:
    case OP_FORTESTR:
    case OP_FORNEXTR:
    case OP_CALL:  // a counts its OP_CARGs
    case OP_STRFN:
    case OP_SSTORE:
    case OP_STXT:
      return false;
    default:
      return true;
  }
}
inline bool ReadsB(unsigned char op) {
  return (op >= OP_ADDS && op <= OP_XOR) || (op >= OP_STAS && op <= OP_STAD) || (op >= OP_JEQL && op <= OP_JLEL);
}
inline bool IsJump(unsigned char op) {
  switch (op) {
    case OP_JMP:
    case OP_JF:
    case OP_JT:
    case OP_JFD:
    case OP_JTD:
    case OP_FORTEST:
    case OP_FORNEXT:
    case OP_FORTESTR:
    case OP_FORNEXTR:
    case OP_JMPB:
      return true;
    default:
      return op >= OP_JEQL && op <= OP_JLEL;
  }
}
// The instructions that jump backwards (and poll).
inline bool IsBackJump(unsigned char op) { return op == OP_FORNEXT || op == OP_FORNEXTR || op == OP_JMPB; }

// One instruction: operation, destination and operand registers, a slot and a constant.
inline RegCode::Instr MakeInstr(unsigned char op, int d, int a, int b, int32_t slot, int32_t k = 0) {
  RegCode::Instr in{};
  in.op = op;
  in.d = (unsigned char)d;
  in.a = (unsigned char)a;
  in.b = (unsigned char)b;
  in.slot = slot;
  in.k.l = k;
  return in;
}

inline bool IsRegType(unsigned char t) { return t == kTypeShort || t == kTypeLong || t == kTypeDouble; }

// A number cell of type t (kTypeShort, kTypeLong or kTypeDouble) into register out.
inline void CellToReg(const ValueCell& c, unsigned char t, Reg& out) {
  if (t == kTypeDouble)
    out.d = c.d;
  else if (t == kTypeLong)
    out.l = c.l;
  else
    out.l = c.s;
}

// A pointer kept in an instruction's constant (the data of calls and text functions).
template <class T>
T* InstrPtr(const RegCode::Instr& in) {
  T* p;
  std::memcpy(static_cast<void*>(&p), &in.k, sizeof p);
  return p;
}

template <class T>
void SetInstrPtr(RegCode::Instr& in, T* p) {
  static_assert(sizeof p <= sizeof in.k, "a pointer fits the constant");
  std::memcpy(static_cast<void*>(&in.k), &p, sizeof p);
}

// Compiles a tree into registers; any node it does not know fails the whole expression.
class RegCompiler {
 public:
  RegCompiler(StackFrame& frame, RegCode& code) : frame_(frame), code_(code) {}

  // The register holding e's value and its type; false: not compilable.
  bool expr(ExprNode* e, int& reg, unsigned char& type) {
    switch (e->type()) {
      case EXPR_LONG:
      case EXPR_DOUBLE: {
        // Literals read nothing from the frame.
        StackFrame none;
        ValueCellVar c;
        e->eval(none, c.c);
        return cellConstant(c.c, reg, type);
      }
      case EXPR_SID:
        return sid(static_cast<Sid*>(e), reg, type);
      case EXPR_MID: {
        MemberRef m;
        InterObjRep* obj;
        Field* f;
        if (!RegCode::memberTarget(frame_, e, m, &obj, &f)) return false;
        return member(m, obj, f, reg, type);
      }
      case EXPR_CID:
        if (isCall(static_cast<Cid*>(e))) return call(static_cast<Cid*>(e), reg, type);
        return element(static_cast<Cid*>(e), reg, type);
      case EXPR_BINARY:
        return binary(static_cast<BinaryOp*>(e), reg, type);
      case EXPR_UNARY:
        return unary(static_cast<UnaryOp*>(e), reg, type);
      case EXPR_INTRINSIC:
        return stringFunction(e, reg, type);
      default:
        return false;
    }
  }

  // "local = text & text ...", the target a String local (regcode_string.cpp).
  bool stringAssign(Assignment* a);

  bool emit(unsigned char op, int d, int a, int b, int32_t slot = 0) {
    code_.code_.push_back(MakeInstr(op, d, a, b, slot));
    return true;
  }
  // Temporaries count up from 0 (or a loop's base); held locals and constants take
  // registers from the top down, above every temporary ever used.
  int newReg() {
    if (next_ >= high_) return -1;
    if (next_ > maxTemp_) maxTemp_ = next_;
    return next_++;
  }
  int highRegs(int n) {
    if (high_ - n <= maxTemp_) return -1;
    high_ -= n;
    return high_;
  }
  // Expressions of loop code take their registers from base on.
  void setRegBase(int base) { next_ = base; }
  StackFrame& frame() { return frame_; }

  // Loop code keeps its locals in registers.
  void holdLocals() {
    hold_ = true;
    const int n = frame_.code ? frame_.code->slotCount() : 0;
    heldReg_.assign((size_t)n, -1);
    // By-reference arguments are other frames' cells: they stay in their cells.
    const int args = frame_.proc ? frame_.proc->parmCount() : 0;
    for (int i = 0; i < n && i < args; ++i)
      if (!frame_.code->slot(i).byValue) heldReg_[(size_t)i] = -2;
  }
  // The register holding local slot (typed scalar or array), made on first use; -1: none.
  int held(int slot) {
    if (!hold_ || slot < 0 || (size_t)slot >= heldReg_.size()) return -1;
    int& h = heldReg_[(size_t)slot];
    if (h != -1) return h < 0 ? -1 : h;
    const unsigned char t = frame_.code->slot(slot).type;
    const bool array = (t & kTypeArrayFlag) && IsRegType(t & 0x1F);
    if (!array && (!IsRegType(t) || heldCount_ >= kMaxHeld)) return -1;
    const int r = highRegs(array ? 2 : 1);
    if (r < 0) return -1;  // no room: stays in its cell
    h = r;
    RegCode::Held e{slot, (unsigned char)r, t};
    if (array) {
      code_.arrays_.push_back(e);
    } else {
      code_.held_.push_back(e);
      ++heldCount_;
    }
    return r;
  }

  // The register holding the member m names (obj's field f now), made on first use;
  // -1: none. Every name of one member in the code gets its one register.
  int heldMember(const MemberRef& m, InterObjRep* obj, Field* f) {
    if (!hold_) return -1;
    for (const HeldKey& k : heldKeys_)
      if (k.obj == obj && k.field == f) return k.reg;
    if (heldKeys_.size() >= kMaxHeldMembers) return -1;
    const int r = highRegs(1);
    if (r < 0) return -1;
    heldKeys_.push_back(HeldKey{obj, f, r});
    RegCode::HeldMember h;
    h.m = m;
    h.reg = (unsigned char)r;
    code_.heldMembers_.push_back(h);
    return r;
  }

  // Constants become registers loaded once at the start: the loads of the instructions
  // from on (one expression, whose registers are written once) go, and their readers
  // read the constant's register; keep: a register read after them (its load stays).
  void fold(size_t from, int keep) {
    std::vector<RegCode::Instr>& code = code_.code_;
    bool isK[RegCode::kMaxRegs] = {};
    Reg k[RegCode::kMaxRegs];
    auto pooled = [&](int reg) {
      for (const RegCode::PoolEntry& e : code_.pool_)
        if (std::memcmp(&e.k, &k[reg], sizeof(Reg)) == 0) return (int)e.reg;
      const int r = highRegs(1);
      if (r >= 0) code_.pool_.push_back(RegCode::PoolEntry{(unsigned char)r, k[reg]});
      return r;
    };
    for (size_t i = from; i < code.size(); ++i) {
      RegCode::Instr& in = code[i];
      if (in.op == OP_CVD && isK[in.a]) {
        const int32_t v = k[in.a].l;
        in.op = OP_K;
        in.k = Reg{};
        in.k.d = v;
      }
      if (in.op == OP_K) {
        isK[in.d] = true;
        k[in.d] = in.k;
        continue;
      }
      if (ReadsA(in.op) && isK[in.a]) {
        const int r = pooled(in.a);
        if (r >= 0) in.a = (unsigned char)r;
      }
      if (ReadsB(in.op) && isK[in.b]) {
        const int r = pooled(in.b);
        if (r >= 0) in.b = (unsigned char)r;
      }
    }
    // The loads still read.
    bool used[RegCode::kMaxRegs] = {};
    if (keep >= 0) used[keep] = true;
    for (size_t i = from; i < code.size(); ++i) {
      const RegCode::Instr& in = code[i];
      if (ReadsA(in.op)) used[in.a] = true;
      if (ReadsB(in.op)) used[in.b] = true;
    }
    size_t w = from;
    for (size_t i = from; i < code.size(); ++i)
      if (code[i].op != OP_K || used[code[i].d]) code[w++] = code[i];
    code.resize(w);
  }

 private:
  // A call of a Basic Function of the current object (regcode_call.cpp).
  bool isCall(const Cid* c) const;
  bool call(Cid* c, int& reg, unsigned char& type);
  // Len, InStr or Asc of String locals, literals and slices of them (regcode_string.cpp).
  bool stringFunction(ExprNode* e, int& reg, unsigned char& type);
  bool textOperand(ExprNode* e, bool chr, std::vector<RegCode::Instr>& data);
  bool constant(int& reg, unsigned char& type, unsigned char t, double v) {
    reg = newReg();
    if (reg < 0) return false;
    RegCode::Instr in{};
    in.op = OP_K;
    in.d = (unsigned char)reg;
    if (t == kTypeDouble)
      in.k.d = v;
    else
      in.k.l = (int32_t)v;
    code_.code_.push_back(in);
    type = t;
    return true;
  }

  // c is a(i) with one index of a local array of Integers, Longs or Doubles: s the
  // local, t its slot type (kTypeArrayFlag | element).
  bool arrayLocal(Cid* c, Sid*& s, unsigned char& t) const {
    if (c->meFirst() || !c->head() || c->head()->type() != EXPR_SID || c->argCount() != 1) return false;
    s = static_cast<Sid*>(c->head());
    if (s->bind != BIND_SLOT || !frame_.code || s->slot < 0 || s->slot >= frame_.code->slotCount())
      return false;
    t = frame_.code->slot(s->slot).type;
    return (t & kTypeArrayFlag) && IsRegType(t & 0x1F);
  }

  // a(i) of a local array of Integers, Longs or Doubles with an integer index.
  bool element(Cid* c, int& reg, unsigned char& type) {
    Sid* s;
    unsigned char t;
    if (!arrayLocal(c, s, t)) return false;
    int i;
    unsigned char ti;
    if (!expr(c->arg(0), i, ti) || ti == kTypeDouble) return false;
    const int cache = held(s->slot);
    reg = newReg();
    if (reg < 0) return false;
    type = (unsigned char)(t & 0x1F);
    if (cache >= 0)
      return emit(type == kTypeShort ? OP_LDAS : type == kTypeLong ? OP_LDAL : OP_LDAD, reg, i, 0, cache);
    return emit(OP_LDA, reg, i, type, s->slot);
  }

 public:
  // The array cache register of target a(i) (a one-dimensional array of Integers, Longs
  // or Doubles held by loop code) and the index register; false: not one.
  bool elementTarget(ExprNode* e, int& cache, int& index, unsigned char& type) {
    if (e->type() != EXPR_CID) return false;
    Cid* c = static_cast<Cid*>(e);
    Sid* s;
    unsigned char t;
    if (!arrayLocal(c, s, t)) return false;
    cache = held(s->slot);
    if (cache < 0) return false;
    unsigned char ti;
    if (!expr(c->arg(0), index, ti) || ti == kTypeDouble) return false;
    type = (unsigned char)(t & 0x1F);
    return true;
  }

 private:
  bool cellConstant(const ValueCell& c, int& reg, unsigned char& type) {
    if (c.type == kTypeShort) return constant(reg, type, kTypeShort, c.s);
    if (c.type == kTypeLong) return constant(reg, type, kTypeLong, c.l);
    if (c.type == kTypeDouble) return constant(reg, type, kTypeDouble, c.d);
    return false;
  }

  bool sid(Sid* s, int& reg, unsigned char& type) {
    switch (s->bind) {
      case BIND_SLOT: {
        if (!frame_.code || s->slot < 0 || s->slot >= frame_.code->slotCount()) return false;
        unsigned char t = frame_.code->slot(s->slot).type;
        if (!IsRegType(t)) return false;
        const int h = held(s->slot);
        if (h >= 0) {
          // No instruction reads a held local: a call later in the unit must know.
          heldReads_.push_back(HeldRead{s->slot, code_.units_.size()});
          reg = h;
          type = t;
          return true;
        }
        reg = newReg();
        if (reg < 0) return false;
        type = t;
        return emit(t == kTypeShort ? OP_LDS : t == kTypeLong ? OP_LDL : OP_LDD, reg, 0, 0, s->slot);
      }
      case BIND_CONST:
        return cellConstant(*static_cast<const ValueCell*>(s->cache), reg, type);
      case BIND_TRUE:
        return constant(reg, type, kTypeShort, -1);
      case BIND_FALSE:
        return constant(reg, type, kTypeShort, 0);
      case BIND_NAME: {
        MemberRef m;
        InterObjRep* obj;
        Field* f;
        if (!RegCode::memberTarget(frame_, s, m, &obj, &f)) return false;
        return member(m, obj, f, reg, type);
      }
      default:
        return false;
    }
  }

  bool member(const MemberRef& m, InterObjRep* obj, Field* f, int& reg, unsigned char& type) {
    const int h = heldMember(m, obj, f);
    if (h >= 0) {
      // Read without an instruction, as a held local (a call later in the unit must know).
      heldReads_.push_back(HeldRead{-1, code_.units_.size()});
      reg = h;
      type = m.type;
      return true;
    }
    reg = newReg();
    if (reg < 0) return false;
    type = m.type;
    code_.members_.push_back(m);
    return emit(OP_LDM, reg, 0, 0, (int32_t)code_.members_.size() - 1);
  }

  // Register a as a Double (a new register when it held an integer).
  bool toDouble(int& a, unsigned char& t) {
    if (t == kTypeDouble) return true;
    int d = newReg();
    if (d < 0) return false;
    emit(OP_CVD, d, a, 0);
    a = d;
    t = kTypeDouble;
    return true;
  }

  bool binary(BinaryOp* e, int& reg, unsigned char& type) {
    const int op = e->op();
    switch (op) {
      case BinaryOp::ADD:
      case BinaryOp::SUB:
      case BinaryOp::MUL:
      case BinaryOp::DIV:
      case BinaryOp::IDIV:
      case BinaryOp::MOD:
      case BinaryOp::EQ:
      case BinaryOp::NE:
      case BinaryOp::GT:
      case BinaryOp::LT:
      case BinaryOp::GE:
      case BinaryOp::LE:
      case BinaryOp::AND:
      case BinaryOp::OR:
      case BinaryOp::XOR:
        break;
      default:
        return false;
    }
    int a, b;
    unsigned char ta, tb;
    if (!expr(e->left(), a, ta) || !expr(e->right(), b, tb)) return false;
    const bool ints = ta != kTypeDouble && tb != kTypeDouble;
    const bool shorts = ta == kTypeShort && tb == kTypeShort;
    reg = newReg();
    if (reg < 0) return false;
    switch (op) {
      case BinaryOp::ADD:
      case BinaryOp::SUB:
      case BinaryOp::MUL: {
        const int k = op == BinaryOp::ADD ? 0 : op == BinaryOp::SUB ? 1 : 2;
        if (ints) {
          type = shorts ? kTypeShort : kTypeLong;
          return emit((unsigned char)((shorts ? OP_ADDS : OP_ADDL) + k), reg, a, b);
        }
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        type = kTypeDouble;
        return emit((unsigned char)(OP_ADDD + k), reg, a, b);
      }
      case BinaryOp::DIV:
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        type = kTypeDouble;
        return emit(OP_DIVD, reg, a, b);
      case BinaryOp::IDIV:
      case BinaryOp::MOD:
      case BinaryOp::AND:
      case BinaryOp::OR:
      case BinaryOp::XOR:
        if (!ints) return false;  // floating operands are rounded: the general path
        type = shorts ? kTypeShort : kTypeLong;
        return emit(op == BinaryOp::IDIV  ? OP_IDIV
                    : op == BinaryOp::MOD ? OP_MOD
                    : op == BinaryOp::AND ? OP_AND
                    : op == BinaryOp::OR  ? OP_OR
                                          : OP_XOR,
                    reg, a, b);
      default: {
        const int k = op - BinaryOp::EQ;
        type = kTypeShort;
        if (ints) return emit((unsigned char)(OP_EQL + k), reg, a, b);
        if (!toDouble(a, ta) || !toDouble(b, tb)) return false;
        return emit((unsigned char)(OP_EQD + k), reg, a, b);
      }
    }
  }

  bool unary(UnaryOp* e, int& reg, unsigned char& type) {
    int a;
    unsigned char t;
    if (!expr(e->operand(), a, t)) return false;
    if (e->op() == UNARY_NOT && t == kTypeDouble) return false;
    reg = newReg();
    if (reg < 0) return false;
    type = t;
    if (e->op() == UNARY_NOT) return emit(OP_NOT, reg, a, 0);
    return emit(t == kTypeShort ? OP_NEGS : t == kTypeLong ? OP_NEGL : OP_NEGD, reg, a, 0);
  }

  enum { kMaxHeld = 24, kMaxHeldMembers = 12 };
  struct HeldKey {
    InterObjRep* obj;
    Field* field;
    int reg;
  };
  std::vector<HeldKey> heldKeys_;
  StackFrame& frame_;
  RegCode& code_;
  int next_ = 0;
  int high_ = RegCode::kMaxRegs, maxTemp_ = -1;
  bool hold_ = false;
  std::vector<int> heldReg_;  // per slot: its register, -1 not yet, -2 never
  // The held locals read so far, with the number of units made when they were read (a
  // unit's reads carry its number + 1); slot -1: a held member.
  struct HeldRead {
    int slot;
    size_t units;
  };
  std::vector<HeldRead> heldReads_;
  int heldCount_ = 0;
};
