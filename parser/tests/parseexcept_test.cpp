// Parser exceptions: the message table in ovparse's string resources, every exception
// kind's printed text, syntax errors' expected symbols and marked line, copies.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "grammarexpected.h"
#include "messages.h"
#include "parseexcept.h"

namespace {

std::string Printed(const ParserException& e) {
  std::ostringstream os;
  e.printError(os);
  return os.str();
}

TEST(ParserMessages, EveryIdHasItsText) {
  const char* texts[] = {
      "Variable '%s' is defined twice.",
      "The reserved word 'Me' is not allowed in declarations.",
      "No declaration available.",
      "Too many variables in declaration, expected only one.",
      "Object declaration is illegal.",
      "Object '%s' already exists.",
      "No property declaration available.",
      "Expected Type statement or a Code block, received: '%s'.",
      "No Declare statement available.",
      "No event declaration available.",
      "Event declarations are not allowed inside blocks.",
      "Line has exceeded max length of 510 characters.",
      "Parser table overflow.",
      "Passing an Object ByVal is illegal.",
      "Arrays of type '%s' are currently not supported.",
      "Fixed size strings are currently not a supported type.",
      "'Const' is currently not a supported type.",
      "Type statements are currently not allowed inside blocks.",
      "Invalid argument construction.",
      "No procedure declaration available.",
      "ELSE line not last clause in If..Then..Else.",
      "For without matching Next statement.",
      "Loop ending incorrect for beginning.",
      "File '%s' could not be opened.",
      "Object '%s' not found.",
      "Construction error",
      "Syntax error",
      "Unknown parser error: %s",
      "Declaration type '%s' Not found",
      "Type mismatch in declaration",
  };
  for (unsigned id = PMSG_VAR_DEFINED_TWICE; id <= PMSG_TYPE_MISMATCH; ++id) {
    int found = -1;
    std::string text = ParserException::ResourceIdToString(&found, id);
    EXPECT_EQ(texts[id - PMSG_VAR_DEFINED_TWICE], text) << id;
    EXPECT_EQ(int(text.size()), found) << id;
  }
}

TEST(ParserMessages, MissingStringGivesTheFallbackNamingTheId) {
  int found = -1;
  EXPECT_EQ("Exception #32737 (no message available).", ParserException::ResourceIdToString(&found, 32737));
  EXPECT_EQ(0, found);
  EXPECT_EQ("Exception #12 (no message available).", ParserException::StringMsg(12, "x"));
  ParserException e(32700u, 4, nullptr);
  EXPECT_EQ("Exception #32700 (no message available).", e.message());
}

TEST(ParserMessages, FormattedWithTheArgument) {
  EXPECT_EQ("Variable 'Total' is defined twice.",
            ParserException::StringMsg(PMSG_VAR_DEFINED_TWICE, "Total"));
  ParserException e(PMSG_ARRAY_TYPE_UNSUPPORTED, "New Object", 7, "extra");
  EXPECT_EQ("Arrays of type 'New Object' are currently not supported.", Printed(e));
  EXPECT_EQ(7, e.line());
  EXPECT_STREQ("extra", e.extra());
}

TEST(ParserException, ConstructorsWhatAndCopies) {
  ParserException a("plain text", 2, nullptr);
  EXPECT_EQ("plain text", Printed(a));
  EXPECT_STREQ("plain text", a.what());
  EXPECT_EQ(nullptr, a.extra());
  ParserException b(std::string("from string"), 3, "more");
  ParserException c(b);
  EXPECT_STREQ("more", c.extra());
  EXPECT_NE(b.extra(), c.extra());  // each copy owns its text
  ParserException d(PMSG_TABLE_OVERFLOW, 9, nullptr);
  EXPECT_STREQ("Parser table overflow.", d.what());
  std::unique_ptr<XException> clone(d.Clone());
  EXPECT_TRUE(dynamic_cast<ParserException*>(clone.get()));
}

// A state of the grammar whose expected text satisfies want, or -1.
template <class F>
int FindState(F want) {
  for (int s = 0; s < GrammarStateCount(); ++s)
    if (want(GrammarExpectedText(s))) return s;
  return -1;
}

TEST(SyntaxError, PrintsStateLineExpectedSymbolsAndTheMarkedLine) {
  int withEnd = FindState([](const char* t) { return t && std::strcmp(t, "Expression0") == 0; });
  int plain = FindState([](const char* t) { return t && std::strcmp(t, "Then or Expression") == 0; });
  int none = FindState([](const char* t) { return t == nullptr; });
  ASSERT_GE(withEnd, 0);
  ASSERT_GE(plain, 0);
  ASSERT_GE(none, 0);

  SyntaxError a(4, 265, short(withEnd), 3, "x = 1 2\n");
  EXPECT_EQ("\nSyntax Error(" + std::to_string(withEnd) +
                ") on line 5\n Expected: Expression or end-of-statement\nLine: x ^= 1 2\n",
            Printed(a));
  EXPECT_EQ("Syntax error", a.message());
  SyntaxError b(0, 0, short(plain), 1, "");
  EXPECT_EQ("\nSyntax Error(" + std::to_string(plain) + ") on line 1\n Expected: Then or Expression",
            Printed(b));
  SyntaxError c(0, 0, short(none), 1, "");
  EXPECT_EQ("\nSyntax Error(" + std::to_string(none) + ") on line 1\n Expected: end-of-statement",
            Printed(c));
  SyntaxError d(0, 0, 30000, 1, "");  // a state outside the tables
  EXPECT_EQ("\nSyntax Error(30000) on line 1\n Expected: end-of-statement", Printed(d));
  SyntaxError e(2, 256, 7, 4, "x = 99999999999\n", "Integer constant out of range");
  EXPECT_EQ("\nSyntax Error(7) on line 3\n Integer constant out of range\nLine: x =^ 99999999999\n",
            Printed(e));
  EXPECT_STREQ(Printed(e).c_str(), e.what());
  EXPECT_EQ(4, e.column());
  EXPECT_EQ(256, e.token());
  EXPECT_EQ(7, e.state());

  std::unique_ptr<XException> clone(e.Clone());
  SyntaxError* copy = dynamic_cast<SyntaxError*>(clone.get());
  ASSERT_TRUE(copy);
  EXPECT_EQ(Printed(e), Printed(*copy));
  try {
    clone->Throw();
  } catch (const SyntaxError& thrown) {
    EXPECT_EQ(2, thrown.line());
  }
}

// Every state's text names what may come, in the grammar's own words, spelt correctly.
TEST(SyntaxError, ExpectedTextsOfTheGeneratedTables) {
  ASSERT_GT(GrammarStateCount(), 300);
  int identifier = 0, withEnd = 0, none = 0;
  for (int s = 0; s < GrammarStateCount(); ++s) {
    const char* t = GrammarExpectedText(s);
    if (!t) {
      ++none;
      continue;
    }
    EXPECT_EQ(nullptr, std::strstr(t, "Identitifer")) << s;
    EXPECT_EQ(nullptr, std::strstr(t, "error")) << s << " " << t;
    EXPECT_NE('\0', t[0]) << s;
    if (std::strstr(t, "Identifier")) ++identifier;
    if (t[std::strlen(t) - 1] == '0') ++withEnd;
  }
  EXPECT_GT(identifier, 0);
  EXPECT_GT(withEnd, 0);
  EXPECT_GT(none, 0);
  EXPECT_EQ(nullptr, GrammarExpectedText(-1));
  EXPECT_EQ(nullptr, GrammarExpectedText(GrammarStateCount()));
  EXPECT_TRUE(FindState([](const char* t) {
                return t && std::strcmp(t, "KEq or > or < or KLEq or KGEq or KNEq") == 0;
              }) >= 0);
}

TEST(SyntaxError, CaretPlacement) {
  struct {
    int column;
    const char* line;
    const char* printed;
  } cases[] = {
      {1, "abc\n", "abc^\n"},                                                      // column 1: after the line
      {2, "abc\n", "a^bc\n"},     {3, "abc\n", "ab^c\n"}, {4, "abc\n", "abc^\n"},  // at the end
      {9, "abc\n", "abc^\n"},                                                      // beyond it
      {2, "a\rbc\r\n", "a^bc\n"},  // carriage returns are left out
      {2, "xy", "x^y\n"},          // without a line end nothing is left out
  };
  for (auto& c : cases) {
    SyntaxError e(0, 0, 0, c.column, c.line);
    std::ostringstream os;
    e.printLine(os);
    EXPECT_EQ(c.printed, os.str()) << c.column << " " << c.line;
  }
}

TEST(OtherKinds, PrintTheirMessages) {
  DeclarationTypeMismatch m(1, 2, 5);
  EXPECT_EQ(
      "Error in variable declaration:\nType on variable 'Integer' mismatched with "
      "declaration type 'Long'\n",
      Printed(m));
  EXPECT_EQ("Type mismatch in declaration", m.message());
  EXPECT_EQ(5, m.line());

  TypeNotFound t(3, "Widget");
  EXPECT_EQ("Declaration type 'Widget' Not found", Printed(t));
  EXPECT_EQ(3, t.line());

  ConstructError k(8, "If..Then", 10, "Nothing");
  EXPECT_EQ("Error in termination of If..Then block\nExpected 'End If' received: 'Nothing'\n", Printed(k));
  EXPECT_EQ("Construction error", k.message());
  ConstructError u(8, "For..Next", 55, "Statement");
  EXPECT_EQ(
      "Error in termination of For..Next block\nExpected 'Unknown(PE=55)' received: "
      "'Statement'\n",
      Printed(u));

  UnknownParserError x("boom");
  EXPECT_EQ("Unknown parser error: boom", Printed(x));
  EXPECT_EQ(0, x.line());

  // Each kind copies and rethrows as itself.
  const ParserException* all[] = {&m, &t, &k, &x};
  for (const ParserException* e : all) {
    std::unique_ptr<XException> clone(e->Clone());
    EXPECT_EQ(typeid(*e), typeid(*clone));
    try {
      clone->Throw();
    } catch (const ParserException& thrown) {
      EXPECT_EQ(typeid(*e), typeid(thrown));
      EXPECT_EQ(Printed(*e), Printed(thrown));
    }
  }
}

TEST(OtherKinds, EntityTypeTexts) {
  struct {
    int type;
    const char* text;
  } cases[] = {
      {7, "End Type"},
      {8, "End Function"},
      {9, "End Sub"},
      {10, "End If"},
      {11, "End Select"},
      {12, "End Try"},
      {13, "End With"},
      {14, "ElseIf"},
      {17, "Next"},
      {19, "Loop termination"},
      {20, "Wend"},
      {1005, "Procedure Declaration"},
      {1006, "Function Declaration"},
      {1007, "Sub Declaration"},
      {1008, "Procedural Property Declaration"},
      {1009, "Event Declaration"},
      {1010, "Procedure Declare"},
      {1011, "Function Declare"},
      {1012, "Sub Declare"},
      {1015, "Begin Code"},
      {1016, "End Code"},
      {3, "Unknown(PE=3)"},
      {-4, "Unknown(PE=-4)"},
  };
  for (auto& c : cases) {
    ConstructError e(0, "B", c.type, "R");
    EXPECT_EQ(std::string("Error in termination of B block\nExpected '") + c.text + "' received: 'R'\n",
              Printed(e));
  }
}

// Every kind carries the id of its message, through copies and clones; a ready text
// carries none.
TEST(OtherKinds, CarryTheirMessageIds) {
  std::unique_ptr<ParserException> made[] = {
      std::make_unique<SyntaxError>(1, 0, 0, 1, "x\n"),
      std::make_unique<ConstructError>(1, "If..Then", 10, "End Sub"),
      std::make_unique<DeclarationTypeMismatch>(2, 3, 1),
      std::make_unique<TypeNotFound>(1, "Widget"),
      std::make_unique<UnknownParserError>("what"),
      std::make_unique<ParserException>(PMSG_VAR_DEFINED_TWICE, "x", 1, nullptr),
      std::make_unique<ParserException>(PMSG_LINE_TOO_LONG, 1, nullptr),
      std::make_unique<ParserException>("a ready text", 1, nullptr),
  };
  const unsigned ids[] = {PMSG_SYNTAX_ERROR,   PMSG_CONSTRUCTION_ERROR, PMSG_TYPE_MISMATCH,
                          PMSG_TYPE_NOT_FOUND, PMSG_UNKNOWN_ERROR,      PMSG_VAR_DEFINED_TWICE,
                          PMSG_LINE_TOO_LONG,  0};
  for (size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ids[i], made[i]->id());
    std::unique_ptr<XException> clone(made[i]->Clone());
    EXPECT_EQ(ids[i], static_cast<ParserException*>(clone.get())->id());
    try {
      made[i]->Throw();
    } catch (const ParserException& e) {
      EXPECT_EQ(ids[i], e.id());
    }
  }
}

}  // namespace
