// Expressions evaluated by the interpreter: operators with type promotion and overflow,
// conversions on assignment, string and other built-in functions.
#include "exec_kit.h"

using namespace execkit;

namespace {

enum { kErr = 255 };

struct OpCase {
  const char* what;
  ExprNode* (*a)();
  int op;
  ExprNode* (*b)();
  unsigned char type;  // expected type code, kErr for an error
  std::string text;    // expected text, or the expected message id as text
};

#define N(expr) [] { return (ExprNode*)(expr); }

const OpCase kOps[] = {
    {"Integer + Integer", N(I(2)), BinaryOp::ADD, N(I(3)), kTypeShort, "5"},
    {"Integer + Integer overflows", N(I(32767)), BinaryOp::ADD, N(I(1)), kErr, IdText(kMsgIntegerOverflow)},
    {"Integer + Long", N(I(2)), BinaryOp::ADD, N(L(70000)), kTypeLong, "70002"},
    {"Long * Long overflows", N(L(100000)), BinaryOp::MUL, N(L(100000)), kErr, IdText(kMsgIntegerOverflow)},
    {"Integer + Single", N(I(1)), BinaryOp::ADD, N(F(0.5f)), kTypeFloat, "1.5"},
    {"Long + Double", N(L(1)), BinaryOp::ADD, N(D(0.25)), kTypeDouble, "1.25"},
    {"Currency + Integer stays Currency", N(CY(1.5)), BinaryOp::ADD, N(I(2)), kTypeCurrency, "3.5"},
    {"Currency * Double gives Double", N(CY(1.5)), BinaryOp::MUL, N(D(2)), kTypeDouble, "3"},
    {"Currency keeps 4 decimals", N(CY(0.0001)), BinaryOp::ADD, N(CY(0.0002)), kTypeCurrency, "0.0003"},
    {"Integer / Integer is floating", N(I(7)), BinaryOp::DIV, N(I(2)), kTypeDouble, "3.5"},
    {"division by zero", N(I(1)), BinaryOp::DIV, N(I(0)), kErr, IdText(kMsgDivisionByZero)},
    {"\\ truncates", N(I(7)), BinaryOp::IDIV, N(I(2)), kTypeShort, "3"},
    {"\\ rounds operands first", N(D(7.5)), BinaryOp::IDIV, N(I(2)), kTypeLong, "4"},
    {"\\ by zero", N(I(7)), BinaryOp::IDIV, N(I(0)), kErr, IdText(kMsgIntDivisionByZero)},
    {"Mod sign of dividend", N(I(-7)), BinaryOp::MOD, N(I(3)), kTypeShort, "-1"},
    {"^ gives Double", N(I(2)), BinaryOp::POW, N(I(10)), kTypeDouble, "1024"},
    {"& concatenates numbers", N(S("a")), BinaryOp::CAT, N(I(12)), kTypeString, "a12"},
    {"+ of two strings", N(S("ab")), BinaryOp::ADD, N(S("cd")), kTypeString, "abcd"},
    {"string in arithmetic", N(S("40")), BinaryOp::ADD, N(I(2)), kTypeDouble, "42"},
    {"bad string in arithmetic", N(S("x")), BinaryOp::ADD, N(I(2)), kErr, IdText(kMsgTypeMismatch)},
    {"= true is -1", N(I(3)), BinaryOp::EQ, N(D(3.0)), kTypeShort, "-1"},
    {"<> false is 0", N(I(3)), BinaryOp::NE, N(I(3)), kTypeShort, "0"},
    {"string compare is binary", N(S("a")), BinaryOp::LT, N(S("B")), kTypeShort, "0"},
    {"shorter prefix is less", N(S("ab")), BinaryOp::LT, N(S("abc")), kTypeShort, "-1"},
    {"And is bitwise", N(I(12)), BinaryOp::AND, N(I(10)), kTypeShort, "8"},
    {"Or is bitwise", N(I(12)), BinaryOp::OR, N(I(3)), kTypeShort, "15"},
    {"Xor", N(I(12)), BinaryOp::XOR, N(I(10)), kTypeShort, "6"},
    {"Eqv", N(I(-1)), BinaryOp::EQV, N(I(0)), kTypeShort, "0"},
    {"Imp", N(I(0)), BinaryOp::IMP, N(I(0)), kTypeShort, "-1"},
    {"Like *", N(S("hello.txt")), BinaryOp::LIKE, N(S("*.txt")), kTypeShort, "-1"},
    {"Like ? and #", N(S("a1")), BinaryOp::LIKE, N(S("?#")), kTypeShort, "-1"},
    {"Like [list]", N(S("b")), BinaryOp::LIKE, N(S("[a-c]")), kTypeShort, "-1"},
    {"Like [!list]", N(S("b")), BinaryOp::LIKE, N(S("[!a-c]")), kTypeShort, "0"},
    {"Like is case-sensitive", N(S("ABC")), BinaryOp::LIKE, N(S("abc")), kTypeShort, "0"},
    {"&& short-circuits", N(I(0)), BinaryOp::ANDALSO, N(Bin(BinaryOp::DIV, I(1), I(0))), kTypeShort, "0"},
    {"|| short-circuits", N(I(1)), BinaryOp::ORELSE, N(Bin(BinaryOp::DIV, I(1), I(0))), kTypeShort, "-1"},
    {"&& both true", N(I(2)), BinaryOp::ANDALSO, N(I(3)), kTypeShort, "-1"},
};

Result EvalOrError(Prog& p, ExprNode* e, std::string& error) {
  try {
    return Eval(p, e);
  } catch (StoreException& ex) {
    error = std::to_string(ex.id());
    return Result{kErr, error};
  }
}

TEST(ExecExpr, OperatorTable) {
  Prog p;
  for (const OpCase& c : kOps) {
    std::string err;
    Result r = EvalOrError(p, Bin(c.op, c.a(), c.b()), err);
    EXPECT_EQ(c.type, r.type) << c.what;
    EXPECT_EQ(c.text, r.text) << c.what;
  }
}

TEST(ExecExpr, UnaryAndPrecedenceByTree) {
  Prog p;
  // -(2^2): the grammar builds the power below the negation.
  EXPECT_EQ("-4", Eval(p, new UnaryOp(0, Bin(BinaryOp::POW, I(2), I(2)))).text);
  EXPECT_EQ("-1", Eval(p, new UnaryOp(1, I(0))).text);
  std::string err;
  EXPECT_EQ(IdText(kMsgIntegerOverflow), EvalOrError(p, new UnaryOp(0, L(INT32_MIN)), err).text);
  // Negatable constants fold the unary minus.
  LongConstant* five = new LongConstant(5, 0);
  EXPECT_EQ(1, five->negate());
  EXPECT_EQ("-5", Eval(p, five).text);
  // A literal is a Long whatever its size.
  EXPECT_EQ(kTypeLong, Eval(p, new LongConstant(40000, 0)).type);
  EXPECT_EQ(kTypeLong, Eval(p, new LongConstant(-32768, 0)).type);
  EXPECT_EQ("-1", Eval(p, new Sid(-1, 0)).text);  // True
  EXPECT_EQ("0", Eval(p, new Sid(-2, 0)).text);   // False
}

struct ConvCase {
  const char* what;
  unsigned char varType;
  ExprNode* (*value)();
  std::string text;  // or the message id
};

const ConvCase kConv[] = {
    {"2.5 to Integer rounds to even", kTypeShort, N(D(2.5)), "2"},
    {"3.5 to Integer rounds to even", kTypeShort, N(D(3.5)), "4"},
    {"-2.5 to Long", kTypeLong, N(D(-2.5)), "-2"},
    {"40000 to Integer overflows", kTypeShort, N(L(40000)), IdText(kMsgIntegerOverflow)},
    {"text to Long", kTypeLong, N(S(" 12 ")), "12"},
    {"bad text to Long", kTypeLong, N(S("1x")), IdText(kMsgTypeMismatch)},
    {"number to String", kTypeString, N(D(1.5)), "1.5"},
    {"Double to Single", kTypeFloat, N(D(0.1)), "0.1"},
    {"Double to Currency rounds at 4 decimals", kTypeCurrency, N(D(1.23456)), "1.2346"},
};

TEST(ExecExpr, AssignmentConvertsToTheVariableType) {
  for (const ConvCase& c : kConv) {
    Prog p;
    Obj o;
    o.add(p.func("F", c.varType, {p.let("F", c.value())}));
    std::string got;
    try {
      got = CallMember(o.rep, "F").text;
    } catch (StoreException& e) {
      got = std::to_string(e.id());
    }
    EXPECT_EQ(c.text, got) << c.what;
  }
}

struct StrCase {
  const char* what;
  ExprNode* (*e)();
  std::string text;  // expected text, or "!" + message id
};

IntrString* Str(int type, ExprNode* a, ExprNode* b = nullptr, ExprNode* c = nullptr, ExprNode* d = nullptr) {
  return new IntrString(type, 0, a, b, c, d);
}

const StrCase kStr[] = {
    {"InStr", N(Str(1, S("hello"), S("l"))), "3"},
    {"InStr start", N(Str(1, I(4), S("hello"), S("l"))), "4"},
    {"InStr absent", N(Str(1, S("hello"), S("z"))), "0"},
    {"InStr case-insensitive", N(Str(1, I(1), S("HeLLo"), S("ll"), I(1))), "3"},
    {"InStr empty find", N(Str(1, S("abc"), S(""))), "1"},
    {"Str positive", N(Str(2, I(5))), " 5"},
    {"Str negative", N(Str(2, I(-5))), "-5"},
    {"LCase", N(Str(67, S("AbC"))), "abc"},
    {"UCase", N(Str(68, S("AbC"))), "ABC"},
    {"Left", N(Str(69, S("hello"), I(2))), "he"},
    {"Left longer", N(Str(69, S("he"), I(9))), "he"},
    {"Left negative", N(Str(69, S("he"), I(-1))), "!" + IdText(kMsgInvalidArgument)},
    {"Right", N(Str(70, S("hello"), I(3))), "llo"},
    {"Mid", N(Str(71, S("hello"), I(2), I(3))), "ell"},
    {"Mid to end", N(Str(71, S("hello"), I(4))), "lo"},
    {"Mid past end", N(Str(71, S("hello"), I(9))), ""},
    {"Mid start 0", N(Str(71, S("hello"), I(0))), "!" + IdText(kMsgInvalidArgument)},
    {"Len", N(Str(72, S("hello"))), "5"},
    {"Len of number text", N(Str(72, I(123))), "3"},
    {"LTrim", N(Str(73, S("  a "))), "a "},
    {"RTrim", N(Str(74, S("  a "))), "  a"},
    {"Trim", N(Str(75, S("  a "))), "a"},
    {"Asc", N(Str(76, S("A"))), "65"},
    {"Asc empty", N(Str(76, S(""))), "!" + IdText(kMsgInvalidArgument)},
    {"Val", N(Str(77, S("  12.5abc"))), "12.5"},
    {"Val hex", N(Str(77, S("&HFF"))), "255"},
    {"Val nothing", N(Str(77, S("x"))), "0"},
    {"Val exponent", N(Str(77, S("1E3"))), "1000"},
    {"StrComp less", N(Str(78, S("a"), S("b"))), "-1"},
    {"StrComp binary", N(Str(78, S("a"), S("A"))), "1"},
    {"StrComp text", N(Str(78, S("a"), S("A"), I(1))), "0"},
    {"String", N(Str(143, I(3), S("xy"))), "xxx"},
    {"String code", N(Str(143, I(2), I(65))), "AA"},
    {"Space", N(Str(144, I(3))), "   "},
    {"Chr", N(Str(145, I(66))), "B"},
    {"Chr out of range", N(Str(145, I(256))), "!" + IdText(kMsgValueOutOfRange)},
    {"Hex", N(Str(146, I(255))), "FF"},
    {"Hex negative Integer", N(Str(146, I(-1))), "FFFF"},
    {"Oct", N(Str(147, I(8))), "10"},
};

TEST(ExecExpr, StringFunctionTable) {
  Prog p;
  for (const StrCase& c : kStr) {
    std::string got;
    try {
      got = Eval(p, c.e()).text;
    } catch (StoreException& e) {
      got = "!" + std::to_string(e.id());
    }
    EXPECT_EQ(c.text, got) << c.what;
  }
}

TEST(ExecExpr, MathColourAndIIf) {
  Prog p;
  struct {
    const char* what;
    ExprNode* e;
    const char* text;
    unsigned char type;
  } cases[] = {
      {"Abs keeps Integer", new IntrMath(1, I(-3)), "3", kTypeShort},
      {"Fix", new IntrMath(5, D(-2.5)), "-2", kTypeDouble},
      {"Int", new IntrMath(6, D(-2.5)), "-3", kTypeDouble},
      {"Sgn", new IntrMath(9, D(-0.5)), "-1", kTypeShort},
      {"Sqr", new IntrMath(11, I(16)), "4", kTypeDouble},
      {"Exp Log", new IntrMath(7, new IntrMath(4, I(2))), "2", kTypeDouble},
      {"RGB", new IntrColor(1, I(1), I(2), I(300)), "16712193", kTypeLong},
      {"QBColor 12", new IntrColor(2, I(12)), "255", kTypeLong},
      {"IIf true branch only", new IntrIIf(I(1), S("yes"), Bin(BinaryOp::DIV, I(1), I(0))), "yes",
       kTypeString},
      {"IIf false", new IntrIIf(I(0), S("yes"), S("no")), "no", kTypeString},
  };
  for (auto& c : cases) {
    Result r = Eval(p, c.e);
    EXPECT_EQ(c.text, r.text) << c.what;
    EXPECT_EQ(c.type, r.type) << c.what;
  }
  std::string err;
  EXPECT_EQ(IdText(kMsgFPInvalid), EvalOrError(p, new IntrMath(11, I(-1)), err).text);
  // Rnd: a negative argument reseeds, so the sequence repeats.
  std::string a = Eval(p, new IntrMath(8, I(-7))).text, b = Eval(p, new IntrMath(8, nullptr)).text;
  EXPECT_EQ(a, Eval(p, new IntrMath(8, I(-7))).text);
  EXPECT_EQ(b, Eval(p, new IntrMath(8, nullptr)).text);
  EXPECT_EQ(b, Eval(p, new IntrMath(8, I(0))).text);
}

TEST(ExecExpr, PrintWritesTheTreeBack) {
  Prog p;
  EvalableExpr x(Bin(BinaryOp::ADD, p.id("a"), new IntrString(69, 1, p.id("s", 6), new LongConstant(16, 1))),
                 p.ids);
  std::ostringstream os;
  x.print(os);
  EXPECT_EQ("a + Left$(s$, &H10)", os.str());
}

}  // namespace
