// Built-in functions, print items and Select Case conditions.
#pragma once

#include "store/exprnode.h"

// The functions of IntrBound.
enum BoundFunction {
  BOUND_UPPER = 1,  // UBound(array[, dim]); dim 1-based, default 1
  BOUND_LOWER = 2   // LBound(array[, dim])
};

// The functions of IntrMath. Abs, Fix and Int keep an integer or Currency type; Sgn
// answers Integer; the others answer Double. Log/Sqr of a value out of domain raise the
// math error of the value layer.
enum MathFunction {
  MATH_ABS = 1,
  MATH_ATN = 2,
  MATH_COS = 3,
  MATH_EXP = 4,
  MATH_FIX = 5,
  MATH_INT = 6,
  MATH_LOG = 7,
  // e < 0 reseeds with e and repeats, e = 0 repeats the last number, otherwise the next
  // number in [0, 1) (a Single).
  MATH_RND = 8,
  MATH_SGN = 9,
  MATH_SIN = 10,
  MATH_SQR = 11,
  MATH_TAN = 12
};

// The functions of IntrColor.
enum ColorFunction {
  COLOR_RGB = 1,     // RGB(r, g, b): each clipped to 0..255 -> Long r + 256 g + 65536 b
  COLOR_QBCOLOR = 2  // QBColor(n): the 16 standard colours, n outside 0..15 a range error
};

// The functions of IntrString (the keyword table's numbering). With or without "$" a
// function that makes text answers a String. Negative lengths and start positions below
// 1 are errors (message of the value layer).
enum StringFunction {
  STR_INSTR = 1,  // InStr([start,] s, find[, compare]): start 1-based; 0 when not
                  // found; compare 1 case-insensitive, 0 (default) binary
  STR_STR = 2,    // Str(n): a leading blank for non-negative numbers
  STR_LCASE = 67,
  STR_UCASE = 68,
  STR_LEFT = 69,   // Left(s, n)
  STR_RIGHT = 70,  // Right(s, n)
  STR_MID = 71,    // Mid(s, start[, n])
  STR_LEN = 72,
  STR_LTRIM = 73,
  STR_RTRIM = 74,
  STR_TRIM = 75,
  STR_ASC = 76,      // the first byte; empty is an error
  STR_VAL = 77,      // leading blanks skipped, &H/&O prefixes, stops at the first bad
                     // character; Double, or Integer/Long when an integer that fits
  STR_STRCOMP = 78,  // StrComp(a, b[, compare]): -1, 0 or 1
  STR_STRING = 143,  // String(n, c): c a character code or the first character of a text
  STR_SPACE = 144,
  STR_CHR = 145,  // Chr(n), n in 0..255
  STR_HEX = 146,
  STR_OCT = 147
};

// The kinds of a PrintItem.
enum PrintItemKind {
  PRINT_SPC = 1,   // Spc(e)
  PRINT_TAB = 2,   // Tab(e)
  PRINT_VALUE = 3  // a value
};

class OVSTORE_API IntrinsicNode : public ExprNode {
 public:
  explicit IntrinsicNode(int fn, ExprNode* a = nullptr, ExprNode* b = nullptr, ExprNode* c = nullptr,
                         ExprNode* d = nullptr);
  ~IntrinsicNode() override;
  int function() const { return fn_; }
  int argCount() const;
  ExprNode* arg(int i) const { return args_[i]; }
  void link(LinkScope& scope) override;

 protected:
  void printCall(std::ostream& os, const ProcCode* names, const char* name) const;
  int fn_;
  ExprNode* args_[4];
};

// UBound/LBound; type is a BoundFunction.
class OVSTORE_API IntrBound : public IntrinsicNode {
 public:
  IntrBound(int type, ExprNode* array, ExprNode* dim);
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// IIf(cond, a, b): evaluates cond, then only the chosen branch.
class OVSTORE_API IntrIIf : public IntrinsicNode {
 public:
  IntrIIf(ExprNode* cond, ExprNode* ifTrue, ExprNode* ifFalse);
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// type is a MathFunction.
class OVSTORE_API IntrMath : public IntrinsicNode {
 public:
  IntrMath(int type, ExprNode* e);
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// type is a ColorFunction.
class OVSTORE_API IntrColor : public IntrinsicNode {
 public:
  IntrColor(int type, ExprNode* a, ExprNode* b = nullptr, ExprNode* c = nullptr);
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
};

// type is a StringFunction; dollar: written with "$".
class OVSTORE_API IntrString : public IntrinsicNode {
 public:
  IntrString(int type, int dollar, ExprNode* a, ExprNode* b = nullptr, ExprNode* c = nullptr,
             ExprNode* d = nullptr);
  int dollar() const { return dollar_; }
  void eval(StackFrame& frame, ValueCell& out) override;
  void print(std::ostream& os, const ProcCode* names) const override;
  void link(LinkScope& scope) override;

  // How argument i is read, as link() found it: evaluated, a local read in place
  // (argValue: its frame slot), an integer literal (argValue: its value) or a text
  // literal read in place (argValue: its length).
  enum ArgKind : unsigned char { kArgEval, kArgLocal, kArgLong, kArgText };
  unsigned char argKind(int i) const { return argKind_[i]; }
  int32_t argValue(int i) const { return argValue_[i]; }
  // Whether evaluating the arguments after argument i runs no Basic code (so a text
  // read in place at i cannot change under the function).
  bool quietAfter(int i) const { return (quietAfter_ >> i) & 1; }

 private:
  int dollar_;
  unsigned char argKind_[4] = {};
  unsigned char quietAfter_ = 0;
  int32_t argValue_[4] = {};
};

// One item of a Print statement; type is a PrintItemKind. sep is the separator that
// follows it in the source, a PrintSepType (0 ",", 1 ";" or none).
class OVSTORE_API PrintItem {
 public:
  PrintItem(ExprNode* e, int type, int sep = 1);
  ~PrintItem();
  PrintItem(const PrintItem&) = delete;
  PrintItem& operator=(const PrintItem&) = delete;
  static void* operator new(size_t size);
  static void operator delete(void* p);

  ExprNode* expr() const { return expr_; }
  int type() const { return type_; }
  int separator() const { return sep_; }
  void setSeparator(int sep) { sep_ = sep; }

 private:
  ExprNode* expr_;
  int type_;
  int sep_;
};

// Select Case conditions. A Case line's conditions are kept in one list over all lines;
// the first condition of each line carries the line and the block to run, the others of
// the same line have ECC_SUCCESSIVE added to their type.
enum ECaseClauseType {
  ECC_EQUAL = 0,  // Case e
  ECC_RANGE = 1,  // Case e1 To e2
  ECC_IS_EQ = 2,  // Case Is == e
  ECC_IS_GT = 3,  // Case Is > e
  ECC_IS_LT = 4,  // Case Is < e
  ECC_IS_LE = 5,  // Case Is <= e
  ECC_IS_GE = 6,  // Case Is >= e
  ECC_IS_NE = 7,  // Case Is <> e
  ECC_SUCCESSIVE = 8
};

class OVSTORE_API ECaseClauseBase {
 public:
  ECaseClauseBase(int type, ExprNode* e1, ExprNode* e2 = nullptr);
  virtual ~ECaseClauseBase();
  ECaseClauseBase(const ECaseClauseBase&) = delete;
  ECaseClauseBase& operator=(const ECaseClauseBase&) = delete;
  static void* operator new(size_t size);
  static void operator delete(void* p);

  int type() const { return type_; }
  int test() const { return type_ & (ECC_SUCCESSIVE - 1); }
  bool successive() const { return type_ >= ECC_SUCCESSIVE; }
  void markSuccessive() {
    if (type_ < ECC_SUCCESSIVE) type_ += ECC_SUCCESSIVE;
  }
  ExprNode* expr1() const { return e1_; }
  ExprNode* expr2() const { return e2_; }
  int line() const { return line_; }
  void setLine(int line) { line_ = line; }
  int block() const { return block_; }
  void setBlock(int block) { block_ = block; }

 private:
  int type_;
  ExprNode* e1_;
  ExprNode* e2_;
  int line_ = 0;
  int block_ = -1;
};

class OVSTORE_API ECaseClause : public ECaseClauseBase {
 public:
  ECaseClause(int type, ExprNode* e1, ExprNode* e2 = nullptr) : ECaseClauseBase(type, e1, e2) {}
};
