// Expression nodes: the trees the parser builds for Basic expressions and the interpreter
// evaluates.
//
// Every node evaluates into a ValueCell (the small tagged value) owned by the caller, on
// the C++ stack; no heap value is made for numbers. Names are held as indexes into the
// identifier table of the parse (IdDynamicVector); when the procedure or evaluable that
// owns the tree is first run, link() resolves each name once: to a frame slot (argument,
// local, static, constant), a member of the current object (cached field), or a global
// object. After that evaluation does no string look-up for locals.
//
// Kinds (type()): 1 simple identifier (Sid), 2 name with arguments (Cid: a call or an
// index), 3 member access (Mid), 4 Long constant, 5 Double constant, 6 String constant,
// 7 binary operation, 8 unary operation, 9 intrinsic function, 10 the current object
// (Me), 12 the null object (Nothing). 4, 5, 6 and 12 are the constant kinds.
// Flags (flags()): 1 parenthesised, 2 illegal in a declaration, 4 dotted (member of the
// With object), 8 the reserved word Me.
//
// Reserved identifier indexes: -1 is True (-1), -2 is False (0).
#pragma once

#include <cstdint>
#include <iosfwd>

#include "store/ovstore_api.h"
#include "store/ptrlist.h"
#include "store/valuecell.h"

class IdDynamicVector;
class ProcCode;
struct StackFrame;
class LinkScope;
class Cid;
class Field;
class RegCode;

enum ExprKind {
  EXPR_SID = 1,
  EXPR_CID = 2,
  EXPR_MID = 3,
  EXPR_LONG = 4,
  EXPR_DOUBLE = 5,
  EXPR_STRING = 6,
  EXPR_BINARY = 7,
  EXPR_UNARY = 8,
  EXPR_INTRINSIC = 9,
  EXPR_ME = 10,
  EXPR_NULLOBJ = 12
};

enum ExprFlag { EF_PAREN = 1, EF_NODECL = 2, EF_DOTTED = 4, EF_ME = 8 };

class OVSTORE_API ExprNode {
 public:
  explicit ExprNode(int kind) : kind_((unsigned char)kind) {}
  ExprNode(const ExprNode&) = delete;
  ExprNode& operator=(const ExprNode&) = delete;
  virtual ~ExprNode();

  // Nodes are allocated and freed inside the store, whoever deletes them.
  static void* operator new(size_t size);
  static void operator delete(void* p);

  int type() const { return kind_; }
  unsigned char flags() const { return flags_; }
  void setFlag(unsigned char bit) { flags_ |= bit; }
  void clearFlag(unsigned char bit) { flags_ &= (unsigned char)~bit; }
  bool isParenthesised() const { return (flags_ & EF_PAREN) != 0; }
  bool isDotted() const { return (flags_ & EF_DOTTED) != 0; }
  bool isConstant() const {
    return kind_ == EXPR_LONG || kind_ == EXPR_DOUBLE || kind_ == EXPR_STRING || kind_ == EXPR_NULLOBJ;
  }

  // A reference written ".name" inside a With block: member of the With object.
  void markAsDotted() { flags_ |= EF_DOTTED; }
  // Unary minus folded into a constant: answers 1 when this node negated itself.
  virtual int negate() { return 0; }
  // A reference used as a statement with arguments ("obj.Method a, b"): answers the
  // node that calls it with args (args taken over; may be this node, altered).
  virtual ExprNode* convertToComplex(Cid* args);

  // Evaluates into out (whatever out held is released first).
  virtual void eval(StackFrame& frame, ValueCell& out) = 0;
  // Stores v into the place this node names; the default throws "not assignable".
  // kind is the Assignment kind (0/1 value, 2 Set, 4-6 deep).
  virtual void assign(StackFrame& frame, const ValueCell& v, int kind);
  // The cell of a variable (for by-reference arguments), or null when the node is not a
  // plain variable; the caller then passes a copy and writes back through assign().
  virtual ValueCell* ref(StackFrame& frame);
  // Resolves names once, before the first evaluation.
  virtual void link(LinkScope& scope);
  // Writes the expression back as Basic text.
  virtual void print(std::ostream& os, const ProcCode* names) const = 0;

 protected:
  void printOpen(std::ostream& os) const;
  void printClose(std::ostream& os) const;

 private:
  unsigned char kind_;
  unsigned char flags_ = 0;
};

// A plain name with its type suffix (0 none, 1 % ... 6 $).
class OVSTORE_API Sid : public ExprNode {
 public:
  Sid(int index, int suffix);
  ~Sid() override;

  int index() const { return index_; }
  int suffix() const { return suffix_; }
  ExprNode* convertToComplex(Cid* args) override;
  void eval(StackFrame& frame, ValueCell& out) override;
  void assign(StackFrame& frame, const ValueCell& v, int kind) override;
  ValueCell* ref(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  void print(std::ostream& os, const ProcCode* names) const override;

  // What link() found (store-internal, see interp.h): the kind of binding, the frame
  // slot, the constant cell or block field, and the name's text.
  unsigned char bind = 0;
  int slot = -1;
  void* cache = nullptr;
  const char* name = "";
  // The member this name found last: on that object, while no signature changed.
  const void* memberObj = nullptr;
  uint32_t memberGen = 0;
  Field* memberField = nullptr;
  uint32_t memberHint = 0;       // where the object's own cell of the member was last
  unsigned char memberKind = 0;  // MemberKind of memberField

 private:
  short index_;
  unsigned char suffix_;
};

// The argument list of a call or index, with the name it applies to (head). Built first as
// a bare argument list (Arguments), then given its head by Cid::call or setMeFirst.
class OVSTORE_API Cid : public ExprNode {
 public:
  Cid();
  explicit Cid(ExprNode* first);
  ~Cid() override;

  void append(ExprNode* arg) { args_.append(arg); }
  // The current object is the head: "Me(args)" calls the object's default member.
  void setMeFirst();
  // Gives args (null: none) the head name and answers it as the call/index node.
  static Cid* call(ExprNode* name, Cid* args);

  ExprNode* head() const { return head_; }
  bool meFirst() const { return meFirst_; }
  void setHead(ExprNode* head) { head_ = head; }
  size_t argCount() const { return args_.entries(); }
  ExprNode* arg(size_t i) const { return args_.at(i); }
  PtrList<ExprNode>& args() { return args_; }

  ExprNode* convertToComplex(Cid* args) override;
  void eval(StackFrame& frame, ValueCell& out) override;
  void assign(StackFrame& frame, const ValueCell& v, int kind) override;
  ValueCell* ref(StackFrame& frame) override;
  void link(LinkScope& scope) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  ExprNode* head_ = nullptr;
  PtrList<ExprNode> args_;
  bool meFirst_ = false;
};

// The current object (Me).
class OVSTORE_API MeNode : public ExprNode {
 public:
  MeNode();
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// object.member; member is a Sid or a Cid (member with arguments).
class OVSTORE_API Mid : public ExprNode {
 public:
  Mid(ExprNode* object, ExprNode* member);
  ~Mid() override;

  ExprNode* object() const { return object_; }
  ExprNode* member() const { return member_; }
  ExprNode* convertToComplex(Cid* args) override;
  void eval(StackFrame& frame, ValueCell& out) override;
  void assign(StackFrame& frame, const ValueCell& v, int kind) override;
  void link(LinkScope& scope) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  ExprNode* object_;
  ExprNode* member_;
};

// Integer literal; radix 0 decimal, 1 hexadecimal (&H), 2 octal (&O), kept for printing.
// Values that fit 16 bits evaluate as Integer, others as Long.
class OVSTORE_API LongConstant : public ExprNode {
 public:
  LongConstant(long value, int radix);
  long value() const { return value_; }
  int radix() const { return radix_; }
  int negate() override;
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  long value_;
  int radix_;
};

template <class T, int N>
class Constant;

// Floating literal (Double).
template <>
class OVSTORE_API Constant<double, 4> : public ExprNode {
 public:
  explicit Constant(double value);
  double value() const { return value_; }
  int negate() override;
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  double value_;
};

// String literal. The text is copied; the caller keeps its own array.
class OVSTORE_API StringConstant : public ExprNode {
 public:
  explicit StringConstant(const char* text);
  ~StringConstant() override;
  const char* text() const;
  ValStringRep* rep() const { return rep_; }  // lives as long as the node
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  ValStringRep* rep_;  // counted, shared by every evaluation
};

// Nothing.
class OVSTORE_API NullObjConstant : public ExprNode {
 public:
  NullObjConstant();
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// Binary operations; op is a BinaryOp::Operator.
// Arithmetic, comparison and bitwise rules are the value layer's (numeric.h); a comparison
// answers Integer -1 or 0. Like matches * ? # [list] [!list], case-sensitive.
class OVSTORE_API BinaryOp : public ExprNode {
 public:
  enum Operator {
    ADD,
    SUB,
    MUL,
    DIV,
    IDIV,
    POW,
    MOD,
    CAT,  // + - * / \ ^ Mod &
    EQ,
    NE,
    GT,
    LT,
    GE,
    LE,
    LIKE,  // = <> > < >= <= Like
    AND,
    OR,
    XOR,
    EQV,
    IMP,     // bitwise on integers
    TYPEOF,  // TypeOf obj Is Class
    ANDALSO,
    ORELSE  // && and || (short-circuit)
  };
  BinaryOp(int op, ExprNode* left, ExprNode* right);
  ~BinaryOp() override;
  int op() const { return op_; }
  ExprNode* left() const { return left_; }
  ExprNode* right() const { return right_; }
  void eval(StackFrame& frame, ValueCell& out) override;
  void link(LinkScope& scope) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  int op_;
  ExprNode* left_;
  ExprNode* right_;
  // Frame slots of operands that are plain locals, read in place instead of copied (-1:
  // evaluate). The left one only when the right operand cannot change it.
  int leftSlot_ = -1;
  int rightSlot_ = -1;
  // A numeric literal right operand, evaluated once at link (type kTypeNone: none).
  ValueCell rightConst_;
  bool direct_ = false;  // any of the three above applies
  RegCode* typed_ = nullptr;  // the typed code of the whole operation (compiled when first run)
};

// The operators of a UnaryOp.
enum UnaryOperator {
  UNARY_NEGATE = 0,
  UNARY_NOT = 1  // bitwise on integers
};

// A unary operation; op is a UnaryOperator.
class OVSTORE_API UnaryOp : public ExprNode {
 public:
  UnaryOp(int op, ExprNode* operand);
  ~UnaryOp() override;
  int op() const { return op_; }
  ExprNode* operand() const { return operand_; }
  void eval(StackFrame& frame, ValueCell& out) override;
  void link(LinkScope& scope) override;
  void print(std::ostream& os, const ProcCode* names) const override;

 private:
  int op_;
  ExprNode* operand_;
};
