// The grammar's entities: one per statement line, declaration header, clause, terminator,
// comment or braced expression; syntax errors naming line, state and expected symbols;
// recovery at the next statement; the parse-stack and line-length limits.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "grammartesting.h"
#include "declproc.h"
#include "declvar.h"
#include "parseexcept.h"
#include "stmtcompound.h"
#include "stmtsimple.h"
#include "store/execnode.h"

namespace {

std::string Printed(const ParserException& e) {
  std::ostringstream os;
  e.printError(os);
  return os.str();
}

// The types of a text's entities up to the end of the text, a statement list as its
// members' types in braces: "1003 {3 3 17} 1996".
std::string Types(const std::string& text) {
  GrammarRun run(text);
  std::string out;
  for (int i = 0; i < 50; ++i) {
    PEntityRef e = run.next();
    if (!e) return out + " (aborted)";
    if (!out.empty()) out += ' ';
    if (e->getType() == PE_STMT_LIST) {
      StmtList* list = static_cast<StmtList*>(e.get());
      out += '{';
      bool first = true;
      while (PEntity* m = list->removeFirst()) {
        out += (first ? "" : " ") + std::to_string(m->getType());
        first = false;
        m->release();
      }
      out += '}';
    } else {
      out += std::to_string(e->getType());
    }
    if (e->getType() == PE_END_OF_TEXT) break;
  }
  return out;
}

struct Case {
  const char* text;
  const char* types;
};

TEST(GrammarEntities, StatementsClausesAndTerminators) {
  const Case cases[] = {
      {"", "1996"},
      {"\n\n", "1996"},
      {"x = 1", "{3} 1996"},
      {"Let x = 1 : Set o = Nothing : x := y : Let x := y : Set o := p", "{3 3 3 3 3} 1996"},
      {"f : f 1, 2 : Call f(1) : RaiseEvent Changed(1) : a.b.c 3", "{3 3 3 3 3} 1996"},
      {"Print : Print ; : Print a; b, : o.Print 1 : Print Spc(2); Tab(3); x", "{3 3 3 3 3} 1996"},
      {"Stop : Exit : Exit Do : Exit For : Exit Function : Exit Sub", "{3 3 3 3 3 3} 1996"},
      {"ReDim a(5) : ReDim Preserve a(1 To 5, 3)", "{3 3} 1996"},
      {"Randomize : Randomize 7 : Throw : Throw Oops(1)", "{3 3 3 3} 1996"},
      {"Rem note : x = 1", "{18} 1996"},  // the comment takes the rest of the line
      {"x = 1 : Rem note", "{3 18} 1996"},
      {"x = 1 ' note", "{3} 1996"},
      {"' note", "18 1996"},
      {"If a Then", "{3} 1996"},
      {"Select Case x\nCase 1, 2 To 3, Is > 4\nCase Is == 5\nCase Else\nEnd Select",
       "{3} {15} {15} {15} {11} 1996"},
      {"Do\nLoop\nDo While a\nLoop\nDo Until a\nLoop While b\nWhile a\nWend\nLoop Until a",
       "{3} {19} {3} {19} {3} {19} {3} {20} {19} 1996"},
      {"For i = 1 To 10 Step 2 : x = i : Next", "{3 3 17} 1996"},
      {"For Each o In c\nNext o\nFor Each o EmbeddedIn c\nFor Each o CopiedFrom c", "{3} {17} {3} {3} 1996"},
      {"Try\nCatch\nCatch Oops(e As Object)\nEnd Try", "{3} {16} {16} {12} 1996"},
      {"With o\n.x = 1\nEnd With", "{3} {3} {13} 1996"},
      {"ElseIf a Then\nElse\nEnd If", "14 14 {10} 1996"},
      {"End Function\nEnd Sub", "{8} {9} 1996"},
      {"Begin Code\nEnd Code\nEnd Type", "1015 1016 7 1996"},
      {"{ 1 + 2 }", "1014 1996"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.types, Types(c.text)) << c.text;
}

TEST(GrammarEntities, Declarations) {
  const Case cases[] = {
      {"Dim a", "1003 1996"},
      {"Dim a, b As Long, c%, d(5), e(1 To 3, 4) As String, f() As Object", "1003 1996"},
      {"Static s As Integer", "1003 1996"},
      {"Dim s As String * 10, o As New Widget, p As Forms.Form, q Strict As Widget", "1003 1996"},
      {"Const a = 1, b$ = \"x\"", "1004 1996"},
      {"Global Const c = 2 * 3", "1004 1996"},
      {"Type Point\nType Point3 From Point", "1002 1002 1996"},
      {"Function f%(x As Integer, ByVal y, z() As Long) As Integer", "1006 1996"},
      {"Static Private Function f()", "1006 1996"},
      {"Sub s\nSub t()\nPrivate Sub u(a, b As String)\nPrivate Static Sub v", "1007 1007 1007 1007 1996"},
      {"Declare Function GetTickCount Lib \"kernel32\" () As Long", "1011 1996"},
      {"Declare Sub Beep Lib \"user32\" Alias \"MessageBeep\" (ByVal n As Long)", "1012 1996"},
      {"Property Size Get GetSize Set SetSize As Integer", "1008 1996"},
      {"Property Name$ Get GetName", "1008 1996"},
      {"Event Changed(x As Integer, s$) As Integer\nEvent Clicked", "1009 1009 1996"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.types, Types(c.text)) << c.text;
}

TEST(GrammarEntities, WhatTheStatementsHold) {
  struct {
    const char* text;
    int kind;
  } assignments[] = {
      {"x = 1", 0}, {"Let x = 1", 1}, {"Set x = y", 2}, {"x := y", 4}, {"Let x := y", 5}, {"Set x := y", 6},
  };
  for (auto& c : assignments) {
    GrammarRun run(c.text);
    PEntityRef e = run.next();
    ASSERT_TRUE(e);
    ASSERT_EQ(PE_STMT_LIST, e->getType());
    PEntityRef stmt;
    stmt.adopt(static_cast<StmtList*>(e.get())->removeFirst());
    ExecNode* node = static_cast<PEntityStmt*>(stmt.get())->takeNode();
    Assignment* a = dynamic_cast<Assignment*>(node);
    ASSERT_TRUE(a) << c.text;
    EXPECT_EQ(c.kind, a->kind()) << c.text;
    delete node;
  }

  GrammarRun run("x = 1\n\ny = 2\nDim a As Long");
  PEntityRef first = run.next(), second = run.next(), third = run.next();
  StmtList* l1 = static_cast<StmtList*>(first.get());
  StmtList* l2 = static_cast<StmtList*>(second.get());
  EXPECT_EQ(0, static_cast<PEntityStmt*>(l1->first())->line());
  EXPECT_EQ(2, static_cast<PEntityStmt*>(l2->first())->line());
  ASSERT_EQ(PE_SIMPLE_VAR_DECL, third->getType());
  SimpleVarDecl* d = static_cast<SimpleVarDecl*>(third.get());
  EXPECT_EQ(3, d->line());
  EXPECT_EQ("Dim a As Long", d->text());

  GrammarRun groups("Dim a, b As Long, c%, d(5)");
  PEntityRef g = groups.next();
  const VarGroupList& list = static_cast<SimpleVarDecl*>(g.get())->groups();
  // Names share the type clause that follows them: (a, b As Long), (c%, d(5)).
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(2u, list.names(0).size());
  EXPECT_EQ(DT_LONG, list.info(0).type());
  ASSERT_EQ(2u, list.names(1).size());
  EXPECT_EQ(DT_NONE, list.info(1).type());
  EXPECT_EQ("c", list.names(1).at(0).name);
  EXPECT_EQ(1, list.names(1).at(0).suffix);
  EXPECT_EQ(unsigned(VarRecord::ARRAY), list.names(1).at(1).flags);
  ASSERT_TRUE(list.names(1).at(1).subscripts);

  GrammarRun sub("Private Static Sub v(ByVal n, a() As Long)");
  PEntityRef s = sub.next();
  ASSERT_EQ(PE_SUB_DECL, s->getType());
  EXPECT_EQ(10, static_cast<ProcDecl*>(s.get())->modifier());
  EXPECT_EQ("v", static_cast<ProcDecl*>(s.get())->procName());
}

// The first statement of a text's first entity (a statement list).
PEntityRef FirstStatement(GrammarRun& run) {
  PEntityRef e = run.next();
  PEntityRef stmt;
  if (e && e->getType() == PE_STMT_LIST) stmt.adopt(static_cast<StmtList*>(e.get())->removeFirst());
  return stmt;
}

TEST(GrammarEntities, OneLineAndBlockIf) {
  const char* oneLine[] = {"If a Then b = 1 Else b = 2", "If a Then b = 1",
                           "If a Then b = 1 : c = 2 Else Print : Rem x", "If a Then Exit Sub"};
  for (const char* text : oneLine) {
    GrammarRun run(text);
    PEntityRef s = FirstStatement(run);
    EXPECT_TRUE(dynamic_cast<PSimpleIfThen*>(s.get())) << text;
    EXPECT_EQ(PE_END_OF_TEXT, run.next()->getType()) << text;
  }
  GrammarRun block("If a Then\nb = 1\nEnd If");
  PEntityRef s = FirstStatement(block);
  EXPECT_TRUE(dynamic_cast<PComplexIfThen*>(s.get()));
  // A one-line If takes simple statements only: a block statement after Then or Else is
  // an error, not a block that could never be closed.
  EXPECT_EQ("999 1996", Types("If a Then For i = 1 To 2"));
  EXPECT_EQ("999 1996", Types("Else If a Then"));
}

// The syntax error of a text's first entity.
const SyntaxError* FirstError(GrammarRun& run, PEntityRef& holder) {
  holder = run.next();
  if (!holder || holder->getType() != PE_SYNTAX_ERROR) return nullptr;
  return static_cast<PSyntaxError*>(holder.get())->error();
}

TEST(SyntaxErrors, NameLineStateAndExpectedSymbols) {
  struct {
    const char* text;
    int line;
    const char* expected;
  } cases[] = {
      {"{ 1 + }", 0, "Expected: Expression\n"},
      {"x = 1\nIf a b", 1, "Expected: Then or Expression\n"},
      {"Select Case x\nCase 1\n\nCase Is = 5", 3, "Expected: KEq or > or < or KLEq or KGEq or KNEq\n"},
      {"For Each o On c", 0, "Expected: In or EmbeddedIn or CopiedFrom or Variable\n"},
      {"Dim x As", 0,
       "Expected: Integer or Long or Single or Double or Currency or String or Object or Variable or New\n"},
      {"x = (1 + 2", 0, "Expected: Expression or )\n"},
      {"Sub", 0, "Expected: a variable name\n"},
      {") = 1", 0, "Expected: statement or declaration or end-of-statement\n"},
  };
  for (auto& c : cases) {
    GrammarRun run(c.text);
    PEntityRef holder;
    const SyntaxError* e = nullptr;
    for (int i = 0; i < 10 && !e; ++i) {
      e = FirstError(run, holder);
      if (holder && holder->getType() == PE_END_OF_TEXT) break;
    }
    ASSERT_TRUE(e) << c.text;
    EXPECT_EQ(c.line, e->line()) << c.text;
    std::string printed = Printed(*e);
    EXPECT_NE(std::string::npos, printed.find(" on line " + std::to_string(c.line + 1) + "\n")) << printed;
    EXPECT_NE(std::string::npos, printed.find(c.expected)) << c.text << "\n" << printed;
  }
}

TEST(SyntaxErrors, FirstTokenFailureIsAnErrorNotAnEmptyParse) {
  GrammarRun run(")\nx = 1");
  PEntityRef holder;
  const SyntaxError* e = FirstError(run, holder);
  ASSERT_TRUE(e);
  EXPECT_EQ(0, e->state());
  EXPECT_EQ(')', e->token());
  EXPECT_EQ(0, run.status());
  // Parsing resumes at the next statement.
  PEntityRef next = run.next();
  ASSERT_TRUE(next);
  EXPECT_EQ(PE_STMT_LIST, next->getType());
  EXPECT_EQ(PE_END_OF_TEXT, run.next()->getType());
}

TEST(SyntaxErrors, RecoveryResumesAtTheNextStatement) {
  EXPECT_EQ("999 {3} 999 {3} 1996", Types("x = ) + 1\ny = 2\nIf Then\nz = 3"));
  EXPECT_EQ("999 1996", Types("Dim a b c"));
}

TEST(SyntaxErrors, MarkedLineAndColumn) {
  GrammarRun run("x = 1 + * 2\n");
  PEntityRef holder;
  const SyntaxError* e = FirstError(run, holder);
  ASSERT_TRUE(e);
  EXPECT_EQ(10, e->column());  // the column after the offending '*'
  EXPECT_EQ('*', e->token());
  EXPECT_NE(std::string::npos, Printed(*e).find("\nLine: x = 1 + *^ 2\n")) << Printed(*e);
}

TEST(SyntaxErrors, LiteralOutOfRangeExplainsItself) {
  GrammarRun run("x = 4294967296\n");
  PEntityRef holder;
  const SyntaxError* e = FirstError(run, holder);
  ASSERT_TRUE(e);
  std::string printed = Printed(*e);
  EXPECT_NE(std::string::npos,
            printed.find("Integer constant out of range (largest is 2147483647): 4294967296"))
      << printed;
}

TEST(GrammarLimits, DeepNestingOverflowsTheParseStack) {
  std::string deep = "{ " + std::string(250, '(') + "1" + std::string(250, ')') + " }";
  GrammarRun run(deep);
  try {
    run.next();
    FAIL() << "no exception";
  } catch (const ParserException& e) {
    EXPECT_STREQ("Parser table overflow.", e.message().c_str());
  }
  std::string fine = "{ " + std::string(40, '(') + "1" + std::string(40, ')') + " }";
  GrammarRun ok(fine);
  EXPECT_EQ(PE_EXPRESSION, ok.next()->getType());
}

TEST(GrammarLimits, OverlongLineThrowsLineTooLong) {
  // The overlong line is read with the line end of the statement before it.
  GrammarRun run("x = 1\ny = \"" + std::string(600, 'a') + "\"\n");
  try {
    run.next();
    FAIL() << "no exception";
  } catch (const ParserException& e) {
    EXPECT_EQ("Line has exceeded max length of 510 characters.", e.message());
    EXPECT_EQ(1, e.line());
  }
}

// Error recovery frees whatever it pops: seeded random token soup, parsed entity by
// entity, must always give entities (a use after free or double free ends the process).
TEST(GrammarRobustness, RandomTokenSoup) {
  const char* words[] = {
      "x",          "y(",   ")",    "(",        ",",     ":",      "=",       ":=",       "+",       "-",
      "*",          "^",    "Not",  "And",      "1",     "2.5",    "\"s\"",   "&H1F",     "If",      "Then",
      "Else",       "End",  "Sub",  "Function", "Dim",   "As",     "Long",    "New",      "For",     "To",
      "Next",       "Do",   "Loop", "While",    "Case",  "Is",     "==",      "Select",   "Print",   ";",
      "Me",         ".",    "{",    "}",        "Left$", "Mid",    "Rem",     "'",        "Declare", "Lib",
      "Property",   "Get",  "Set",  "Event",    "Type",  "From",   "ReDim",   "Preserve", "Catch",   "Try",
      "With",       "Each", "In",   "Exit",     "Call",  "TypeOf", "Nothing", "True",     "Rnd",     "IIf",
      "2147483648", "#",    "@"};
  const int n = sizeof words / sizeof words[0];
  unsigned seed = 12345;
  auto rnd = [&seed](int m) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 16) % unsigned(m));
  };
  std::string text;
  for (int line = 0; line < 400; ++line) {
    int count = 1 + rnd(12);
    for (int i = 0; i < count; ++i) text += std::string(words[rnd(n)]) + " ";
    text += "\n";
  }
  GrammarRun run(text);
  int entities = 0, errors = 0;
  for (;;) {
    PEntityRef e = run.next();
    ASSERT_TRUE(e) << "after " << entities << " entities";
    ++entities;
    if (e->getType() == PE_SYNTAX_ERROR) ++errors;
    if (e->getType() == PE_END_OF_TEXT) break;
    ASSERT_LT(entities, 2000);
  }
  EXPECT_GT(errors, 100);
  EXPECT_LT(errors, entities);
}

// A declaration whose type cannot name a class fails as it is read, and the parse stack
// is cleaned up before the exception leaves.
TEST(GrammarLimits, IllegalTypeNamesThrowFromTheParse) {
  struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"Dim x As Me", "The reserved word 'Me' is not allowed in declarations."},
      {"Dim x As f(1)", "Object declaration is illegal."},
  };
  for (auto& c : cases) {
    GrammarRun run(c.text);
    try {
      run.next();
      ADD_FAILURE() << "no exception: " << c.text;
    } catch (const ParserException& e) {
      EXPECT_EQ(c.message, e.message()) << c.text;
    }
  }
}

TEST(GrammarLimits, StartTwiceAsserts) {
  ParserContext ctx;
  std::istringstream a("x"), b("y");
  GrammarStart(ctx.grammar, ctx.lexer, &a);
  EXPECT_THROW(GrammarStart(ctx.grammar, ctx.lexer, &b), XAssert);
  GrammarReset(ctx.grammar, ctx.lexer, 0);
  EXPECT_NO_THROW(GrammarStart(ctx.grammar, ctx.lexer, &b));
  GrammarReset(ctx.grammar, ctx.lexer, 1);
}

}  // namespace
