// Expressions parsed into the store's node trees: precedence, associativity, literals,
// references, calls and built-in functions, as a table of texts and tree shapes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "grammartesting.h"
#include "stmtcompound.h"
#include "store/context.h"
#include "store/evalable.h"
#include "store/exprnode.h"
#include "store/intrinsics.h"
#include "store/value.h"

namespace {

const char* const kOps[] = {"+",  "-",  "*",    "/",   "\\", "^",   "Mod", "&",   "=",      "<>", ">", "<",
                            ">=", "<=", "Like", "And", "Or", "Xor", "Eqv", "Imp", "TypeOf", "&&", "||"};

// The shape of a tree: binary operations in parentheses, negation neg(), Not not(),
// members (object . member), calls name(args), built-ins by node class and type
// (Math8(...), String69$(...)), parenthesised source [..], hexadecimal h<n>, octal o<n>,
// doubles with a trailing d.
std::string Dump(ExprNode* n, const IdDynamicVector& ids) {
  if (!n) return "none";
  std::ostringstream os;
  switch (n->type()) {
    case EXPR_SID: {
      Sid* s = static_cast<Sid*>(n);
      if (s->index() == -1)
        os << "True";
      else if (s->index() == -2)
        os << "False";
      else
        os << ids.text(s->index());
      if (s->suffix()) os << "%&!#@$"[s->suffix() - 1];
      break;
    }
    case EXPR_CID: {
      Cid* c = static_cast<Cid*>(n);
      os << ((c->flags() & EF_ME) ? "Me" : Dump(c->head(), ids)) << '(';
      for (size_t i = 0; i < c->argCount(); ++i) os << (i ? ", " : "") << Dump(c->arg(i), ids);
      os << ')';
      break;
    }
    case EXPR_MID: {
      Mid* m = static_cast<Mid*>(n);
      os << '(' << Dump(m->object(), ids) << " . " << Dump(m->member(), ids) << ')';
      break;
    }
    case EXPR_LONG: {
      LongConstant* c = static_cast<LongConstant*>(n);
      os << (c->radix() == 1 ? "h" : c->radix() == 2 ? "o" : "") << c->value();
      break;
    }
    case EXPR_DOUBLE:
      os << static_cast<Constant<double, 4>*>(n)->value() << 'd';
      break;
    case EXPR_STRING:
      os << '"' << static_cast<StringConstant*>(n)->text() << '"';
      break;
    case EXPR_BINARY: {
      BinaryOp* b = static_cast<BinaryOp*>(n);
      os << '(' << Dump(b->left(), ids) << ' ' << kOps[b->op()] << ' ' << Dump(b->right(), ids) << ')';
      break;
    }
    case EXPR_UNARY: {
      UnaryOp* u = static_cast<UnaryOp*>(n);
      os << (u->op() == 0 ? "neg(" : "not(") << Dump(u->operand(), ids) << ')';
      break;
    }
    case EXPR_INTRINSIC: {
      IntrinsicNode* f = static_cast<IntrinsicNode*>(n);
      if (dynamic_cast<IntrBound*>(f))
        os << "Bound";
      else if (dynamic_cast<IntrIIf*>(f))
        os << "IIf";
      else if (dynamic_cast<IntrMath*>(f))
        os << "Math";
      else if (dynamic_cast<IntrColor*>(f))
        os << "Color";
      else if (dynamic_cast<IntrString*>(f))
        os << "String";
      if (!dynamic_cast<IntrIIf*>(f)) os << f->function();
      if (IntrString* s = dynamic_cast<IntrString*>(f)) {
        if (s->dollar()) os << '$';
      }
      os << '(';
      for (int i = 0; i < f->argCount(); ++i) os << (i ? ", " : "") << Dump(f->arg(i), ids);
      os << ')';
      break;
    }
    case EXPR_ME:
      os << "Me";
      break;
    case EXPR_NULLOBJ:
      os << "Nothing";
      break;
    default:
      os << "?" << n->type();
  }
  std::string s = os.str();
  if (n->flags() & EF_PAREN) s = "[" + s + "]";
  if (n->flags() & EF_DOTTED) s = "." + s;
  return s;
}

// The tree of one expression text, as the expression entry point wraps it.
std::string Tree(const std::string& text) {
  GrammarRun run("{ " + text + " }\n");
  PEntityRef e = run.next();
  if (!e) return "no entity";
  if (e->getType() != PE_EXPRESSION) return "entity " + std::to_string(e->getType());
  ExprNode* node = static_cast<PExpression*>(e.get())->takeNode();
  std::string shape = Dump(node, run.ids());
  delete node;
  return shape;
}

struct Case {
  const char* text;
  const char* tree;
};

TEST(Expressions, PrecedenceAndAssociativity) {
  const Case cases[] = {
      {"1 + 2 * 3", "(1 + (2 * 3))"},
      {"1 * 2 + 3", "((1 * 2) + 3)"},
      {"a - b - c", "((a - b) - c)"},
      {"a / b / c", "((a / b) / c)"},
      {"2 ^ 3 ^ 2", "((2 ^ 3) ^ 2)"},
      {"a * b \\ c", "((a * b) \\ c)"},
      {"a \\ b * c", "(a \\ (b * c))"},
      {"a \\ b Mod c", "((a \\ b) Mod c)"},
      {"a Mod b \\ c", "(a Mod (b \\ c))"},
      {"a + b Mod c", "(a + (b Mod c))"},
      {"a + b & c", "((a + b) & c)"},
      {"a & b + c", "(a & (b + c))"},
      {"a & b = c", "((a & b) = c)"},
      {"a = b = c", "((a = b) = c)"},
      {"a == b", "(a = b)"},
      {"a <> b", "(a <> b)"},
      {"a < b > c", "((a < b) > c)"},
      {"a <= b >= c", "((a <= b) >= c)"},
      {"a Like b & c", "(a Like (b & c))"},
      {"a And b Or c", "((a And b) Or c)"},
      {"a Or b And c", "(a Or (b And c))"},
      {"a && b || c", "((a && b) || c)"},
      {"a || b && c", "(a || (b && c))"},
      {"a And b && c", "((a And b) && c)"},
      {"a Or b Xor c", "((a Or b) Xor c)"},
      {"a Xor b Or c", "(a Xor (b Or c))"},
      {"a Eqv b Xor c", "(a Eqv (b Xor c))"},
      {"a Imp b Eqv c", "(a Imp (b Eqv c))"},
      {"a Imp b Imp c", "((a Imp b) Imp c)"},
      {"(a + b) * c", "([(a + b)] * c)"},
      {"a * (b + c)", "(a * [(b + c)])"},
      {"TypeOf a Is b", "(a TypeOf b)"},
      {"TypeOf a.b Is c.d Or x", "(((a . b) TypeOf (c . d)) Or x)"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Tree(c.text)) << c.text;
}

// Negation binds looser than ^ and tighter than the rest; Not is looser than comparisons.
TEST(Expressions, UnaryOperators) {
  const Case cases[] = {
      {"-2 ^ 2", "neg((2 ^ 2))"},   {"-a * b", "(neg(a) * b)"},    {"-x", "neg(x)"},
      {"-(x)", "neg([x])"},         {"Not a = b", "not((a = b))"}, {"Not a And b", "(not(a) And b)"},
      {"Not Not a", "not(not(a))"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Tree(c.text)) << c.text;
}

TEST(Expressions, LiteralsAndNegation) {
  const Case cases[] = {
      {"5", "5"},
      {"-5", "-5"},
      {"- -5", "5"},
      {"-(5)", "[-5]"},
      {"-2.5", "-2.5d"},
      {"1.5E3", "1500d"},
      {"&H10", "h16"},
      {"-&H10", "h-16"},
      {"&O10", "o8"},
      {"2147483647", "2147483647"},
      {"\"text\"", "\"text\""},
      {"\"\"", "\"\""},
      {"True", "True"},
      {"False", "False"},
      {"Nothing", "Nothing"},
      {"#C", "4"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Tree(c.text)) << c.text;
}

TEST(Expressions, ReferencesAndCalls) {
  const Case cases[] = {
      {"x", "x"},
      {"x$", "x$"},
      {"count%", "count%"},
      {"x.y", "(x . y)"},
      {"x.y.z", "((x . y) . z)"},
      {"x.Left", "(x . Left)"},
      {"f()", "f()"},
      {"f(1, a, \"s\")", "f(1, a, \"s\")"},
      {"a(1).b(2)", "(a(1) . b(2))"},
      {"Me", "Me"},
      {"Me.x", "(Me . x)"},
      {"Me(1)", "Me(1)"},
      {".x", ".x"},
      {".x(1)", ".x(1)"},
      {".x.y", "(.x . y)"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Tree(c.text)) << c.text;
}

TEST(Expressions, BuiltInFunctions) {
  const Case cases[] = {
      {"LBound(a)", "Bound2(a)"},
      {"LBound(a, 2)", "Bound2(a, 2)"},
      {"UBound(a.b)", "Bound1((a . b))"},
      {"UBound(a, 1)", "Bound1(a, 1)"},
      {"IIf(a, 1, 2)", "IIf(a, 1, 2)"},
      {"Abs(x)", "Math1(x)"},
      {"Atn(x)", "Math2(x)"},
      {"Cos(x)", "Math3(x)"},
      {"Exp(x)", "Math4(x)"},
      {"Fix(x)", "Math5(x)"},
      {"Int(x)", "Math6(x)"},
      {"Log(x)", "Math7(x)"},
      {"Rnd", "Math8()"},
      {"Rnd()", "Math8()"},
      {"Rnd(1)", "Math8(1)"},
      {"Rnd + 1", "(Math8() + 1)"},
      {"Sgn(x)", "Math9(x)"},
      {"Sin(x)", "Math10(x)"},
      {"Sqr(x)", "Math11(x)"},
      {"Tan(x)", "Math12(x)"},
      {"RGB(1, 2, 3)", "Color1(1, 2, 3)"},
      {"QBColor(4)", "Color2(4)"},
      {"InStr(a, b)", "String1(a, b)"},
      {"InStr(1, a, b)", "String1(1, a, b)"},
      {"InStr(1, a, b, 0)", "String1(1, a, b, 0)"},
      {"LCase(a)", "String67(a)"},
      {"UCase$(a)", "String68$(a)"},
      {"LTrim(a)", "String73(a)"},
      {"RTrim$(a)", "String74$(a)"},
      {"Trim(a)", "String75(a)"},
      {"Space(3)", "String144(3)"},
      {"Str$(3)", "String2$(3)"},
      {"Asc(a)", "String76(a)"},
      {"Val(a)", "String77(a)"},
      {"Chr$(65)", "String145$(65)"},
      {"Hex(255)", "String146(255)"},
      {"Oct$(8)", "String147$(8)"},
      {"String(3, \"x\")", "String143(3, \"x\")"},
      {"String$(3, \"x\")", "String143$(3, \"x\")"},
      {"Left(a, 2)", "String69(a, 2)"},
      {"Left$(a, 2)", "String69$(a, 2)"},
      {"Right$(a, 2)", "String70$(a, 2)"},
      {"Mid(a, 2)", "String71(a, 2)"},
      {"Mid$(a, 2, 3)", "String71$(a, 2, 3)"},
      {"StrComp(a, b)", "String78(a, b)"},
      {"StrComp(a, b, 1)", "String78(a, b, 1)"},
      {"Len(a)", "String72(a)"},
      {"Len(a) + Abs(-1)", "(String72(a) + Math1(-1))"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.tree, Tree(c.text)) << c.text;
}

// The value of an expression of constants, evaluated by the store, as text.
std::string Evaluated(const std::string& text) {
  GrammarRun run("{ " + text + " }\n");
  PEntityRef e = run.next();
  if (!e || e->getType() != PE_EXPRESSION) return "not an expression";
  EvalableExpr expr(static_cast<PExpression*>(e.get())->takeNode(), run.ctx().lexer.ids());
  Context context;
  Value* v = expr.eval(context);
  std::string out = v->asString().c_str();
  v->unref();  // the caller's count
  return out;
}

// The same precedence rules seen in values: each case tells the two readings apart.
TEST(Expressions, EvaluatedResults) {
  const Case cases[] = {
      {"1 + 2 * 3", "7"},
      {"2 ^ 3 ^ 2", "64"},
      {"-2 ^ 2", "-4"},
      {"10 - 4 - 3", "3"},
      {"100 / 10 / 5", "2"},
      {"7 \\ 2 * 2", "1"},
      {"9 Mod 6 \\ 2", "0"},
      {"2 + 7 Mod 4", "5"},
      {"1 + 2 & 3", "33"},
      {"1 & 2 + 3", "15"},
      {"1 = 1 = -1", "-1"},
      {"Not 1 = 2", "-1"},
      {"Not 0 And 0", "0"},
      {"1 Or 2 And 0", "1"},
      {"5 Xor 3 Or 1", "6"},
      {"&H10 + &O10", "24"},
      {"-(3) * 2", "-6"},
      {"True + 0", "-1"},
      {"IIf(1 > 2, 10, 20)", "20"},
      {"Len(\"abc\") + Abs(-2)", "5"},
      {"UCase$(\"ab\") & Left$(\"xyz\", 2)", "ABxy"},
      {"Mid$(\"hello\", 2, 3)", "ell"},
  };
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(c.tree, Evaluated(c.text)) << c.text;
    } catch (const std::exception& x) {
      ADD_FAILURE() << c.text << ": " << x.what();
    }
  }
}

TEST(Expressions, IdentifiersAreInternedOnce) {
  GrammarRun run("{ a + A + b + a }\n");
  PEntityRef e = run.next();
  ASSERT_TRUE(e);
  EXPECT_EQ(2, run.ids().entries());
  delete static_cast<PExpression*>(e.get())->takeNode();
}

}  // namespace
