// Block termination errors, the entity stream rules and the entry points' frame: each
// text is compiled through the exports and the printed error compared.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "context.h"
#include "parser/ovparse.h"
#include "parseexcept.h"
#include "parser/petype.h"
#include "store/evalable.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/procfield.h"
#include "basicrun/storesession.h"

namespace {

std::string Printed(const ParserException& e) {
  std::ostringstream os;
  e.printError(os);
  return os.str();
}

// Compiles text as a procedure when it starts with Sub/Function, else as a block;
// answers the printed error ("" when it compiled).
std::string CompileError(const char* text) {
  try {
    std::string t = text;
    if (t.rfind("Sub", 0) == 0 || t.rfind("Function", 0) == 0) {
      InterProcField* proc = nullptr;
      ParserParseProcedure(proc, &t[0]);
      delete proc;
    } else {
      delete ParserGetEvalableBlock(text, 0);
    }
  } catch (const ParserException& e) {
    return Printed(e);
  }
  return "";
}

struct TermCase {
  const char* text;
  const char* construct;  // "" when another error is expected
  const char* expected;
  const char* received;
};

const TermCase kTermination[] = {
    {"If a Then\n b = 1\n", "If..Then", "End If", "Nothing"},
    {"If a Then\n b = 1\nEnd Select\n", "If..Then", "End If", "End Select"},
    {"If a Then\n b = 1\nNext\n", "If..Then", "End If", "Next"},
    {"For i = 1 To 3\n x = i\n", "For..Next", "Next", "Nothing"},
    {"For i = 1 To 3\n x = i\nLoop\n", "For..Next", "Next", "Do Loop End"},
    {"For i = 1 To 3\n x = i\nEnd If\n", "For..Next", "Next", "End If"},
    {"Do\n x = 1\n", "DoLoop", "Loop termination", "Nothing"},
    {"Do While x\n x = 1\nWend\n", "DoLoop", "Loop termination", "Wend"},
    {"While x\n x = 1\nLoop\n", "While", "Wend", "Do Loop End"},
    {"While x\n x = 1\n", "While", "Wend", "Nothing"},
    {"Select Case x\nCase 1\n y = 1\n", "Select..Case", "End Select", "Nothing"},
    {"Select Case x\nCase 1\n y = 1\nEnd If\n", "Select..Case", "End Select", "End If"},
    {"Try\n x = 1\nCatch\n y = 1\n", "Try..Catch", "End Try", "Nothing"},
    {"Try\n x = 1\nEnd With\n", "Try..Catch", "End Try", "End With"},
    {"With Me\n .x = 1\n", "With..End With", "End With", "Nothing"},
    {"With Me\n .x = 1\nEnd Try\n", "With..End With", "End With", "End Try"},
    {"Sub S\n x = 1\n", "Sub", "End Sub", "Nothing"},
    {"Sub S\n x = 1\nEnd Function\n", "Sub", "End Sub", "End Function"},
    {"Function F\n F = 1\nEnd Sub\n", "Function", "End Function", "End Sub"},
    {"Function F\n If x Then\n F = 1\nEnd Function\n", "If..Then", "End If", "End Function"},
};

TEST(ParserTermination, UnclosedAndMismatchedBlocks) {
  StoreSession session;
  for (const TermCase& c : kTermination) {
    SCOPED_TRACE(c.text);
    std::string want = std::string("Error in termination of ") + c.construct + " block\n" + "Expected '" +
                       c.expected + "' received: '" + c.received + "'\n";
    EXPECT_EQ(want, CompileError(c.text));
  }
}

struct MessageCase {
  const char* text;
  const char* message;
};

const MessageCase kBlockMessages[] = {
    {"If a Then\n x = 1\nElse\n x = 2\nElseIf b Then\n x = 3\nEnd If\n",
     "ELSE line not last clause in If..Then..Else."},
    {"Do While a\n x = 1\nLoop Until b\n", "Loop ending incorrect for beginning."},
    {"Do Until a\n x = 1\nLoop While b\n", "Loop ending incorrect for beginning."},
    {"Sub S\n Event E()\nEnd Sub\n", "Event declarations are not allowed inside blocks."},
    {"Dim x\nDim x\n", "Variable 'x' is defined twice."},
    {"x = 1\nEnd If\n", "Unexpected 'End If': no open block ends or continues here."},
    {"Next\n", "Unexpected 'Next': no open block ends or continues here."},
};

TEST(ParserTermination, BlockMessages) {
  StoreSession session;
  for (const MessageCase& c : kBlockMessages) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.message, CompileError(c.text));
  }
}

// The next compile after any failure starts clean, and the store's current module is
// the one it was before the call.
TEST(ParserEntry, FailureLeavesContextAndModuleClean) {
  StoreSession session;
  // A real module is current, so that staying on the temporary one would show.
  unsigned char module = ObjectStore::CreateModule("ParserModuleTest");
  unsigned char outer = ObjectStore::OpenModule(module);
  unsigned char before = ObjectStore::OpenModule();
  ASSERT_EQ(module, before);
  EXPECT_THROW(ParserGetEvalableExpression("1 +", 0), SyntaxError);
  EXPECT_EQ(before, ObjectStore::OpenModule());
  EXPECT_THROW(ParserGetEvalableBlock("For i = 1 To 2\n", 0), ConstructError);
  EXPECT_EQ(before, ObjectStore::OpenModule());
  EvalableExpr* e = ParserGetEvalableExpression("1 + 2", 0);
  ASSERT_NE(nullptr, e);
  delete e;
  EXPECT_EQ(before, ObjectStore::OpenModule());
  EvalableBlock* b = ParserGetEvalableBlock("x = 1\n", 0);
  ASSERT_NE(nullptr, b);
  delete b;
  EXPECT_EQ(before, ObjectStore::OpenModule());
  ObjectStore::OpenModule(outer);
  ObjectStore::UnloadModule(module, 1);
}

TEST(ParserEntry, EmptyTexts) {
  StoreSession session;
  unsigned char before = ObjectStore::OpenModule();
  EXPECT_EQ(nullptr, ParserGetEvalableExpression(nullptr, 0));
  EXPECT_EQ(nullptr, ParserGetEvalableExpression("", 0));
  EXPECT_EQ(nullptr, ParserGetEvalableBlock("", 0));
  EXPECT_EQ(before, ObjectStore::OpenModule());
  InterObj obj(new InterObjRep(nullptr, "EmptyTexts", 254));
  ParserExecuteExpression("", obj);  // nothing to run, no fault
  ParserExecuteExpression(nullptr, obj);
}

TEST(ParserEntry, MissingEntityMessages) {
  StoreSession session;
  auto message = [](auto fn) -> std::string {
    try {
      fn();
    } catch (const SyntaxError& e) {
      return "SyntaxError";
    } catch (const ParserException& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ("No property declaration available.", message([] { ParserParseProperty("Dim x As Long"); }));
  EXPECT_EQ("No Declare statement available.", message([] { ParserParseDeclare("Dim x As Long"); }));
  EXPECT_EQ("No declaration available.", message([] { ParserParseInterDataField("x = 1"); }));
  EXPECT_EQ("Too many variables in declaration, expected only one.",
            message([] { ParserParseInterDataField("Dim x, y As Long"); }));
  EXPECT_EQ("Too many variables in declaration, expected only one.",
            message([] { ParserParseInterDataField("Dim x As Long, y As Long"); }));
  InterObj obj(new InterObjRep(nullptr, "Events", 254));
  EXPECT_EQ("No event declaration available.", message([&] { ParserParseEvent("Sub Click()", obj); }));
  EXPECT_EQ("No procedure declaration available.", message([] {
              InterProcField* p = nullptr;
              char text[] = "Dim x";
              ParserParseProcedure(p, text);
            }));
  // A procedure text with a syntax error reports the syntax error, not PMSG_NO_PROCEDURE.
  EXPECT_EQ("SyntaxError", message([] {
              InterProcField* p = nullptr;
              char text[] = "Sub S(\n";
              ParserParseProcedure(p, text);
            }));
}

// A procedure whose body fails still hands back a field carrying its text.
TEST(ParserEntry, UncompilableProcedureKeepsText) {
  StoreSession session;
  InterProcField* proc = nullptr;
  char text[] = "Sub S\n x = 1\n";
  EXPECT_THROW(ParserParseProcedure(proc, text), ConstructError);
  ASSERT_NE(nullptr, proc);
  EXPECT_STREQ("S", proc->name());
  EXPECT_EQ(std::string(text), proc->sourceText());
  delete proc;
}

TEST(ParserEntry, TokensOfALine) {
  StoreSession session;
  std::istringstream in("x = Len(\"ab\") ' note\n\nNext\n");
  ParserStart(&in);
  struct Tok {
    short token;
    int start, end;
  };
  std::vector<Tok> toks;
  for (int i = 0; i < 12; ++i) {
    int s = 0, e = 0;
    short t = ParserGetToken(s, e);
    toks.push_back({t, s, e});
    if (t == -1 && toks.size() > 1 && toks[toks.size() - 2].token == -1) break;
  }
  ParserReset(0);
  ASSERT_GE(toks.size(), 8u);
  EXPECT_EQ(265, toks[0].token);  // x
  EXPECT_EQ(1, toks[0].start);
  EXPECT_EQ(1, toks[0].end);
  EXPECT_EQ('=', toks[1].token);
  EXPECT_EQ(3, toks[1].end);
  EXPECT_EQ(376, toks[2].token);  // Len
  EXPECT_EQ(7, toks[2].end);
  EXPECT_EQ('(', toks[3].token);
  EXPECT_EQ(264, toks[4].token);  // "ab"
  EXPECT_EQ(12, toks[4].end);
  EXPECT_EQ(')', toks[5].token);
  EXPECT_EQ(276, toks[6].token);  // '
  EXPECT_EQ(264, toks[7].token);  // the comment's text
  EXPECT_EQ(-1, toks[8].token);   // line end; the empty line gives nothing
  EXPECT_EQ(338, toks[9].token);  // Next
  EXPECT_EQ(-1, toks[10].token);
}

// With no text, procedures come one after another from the stream ParserStart set.
TEST(ParserEntry, ProceduresFromAStream) {
  StoreSession session;
  std::istringstream in(
      "' two procedures\nSub A\n x = 1\nEnd Sub\n\nFunction B() As Long\n B = 2\nEnd Function\n");
  ParserStart(&in);
  InterProcField* a = nullptr;
  InterProcField* b = nullptr;
  ParserParseProcedure(a, nullptr);
  ParserParseProcedure(b, nullptr);
  ASSERT_TRUE(a && b);
  EXPECT_STREQ("A", a->name());
  EXPECT_STREQ("B", b->name());
  InterProcField* none = nullptr;
  try {
    ParserParseProcedure(none, nullptr);
    ADD_FAILURE() << "a third procedure";
  } catch (const ParserException& e) {
    EXPECT_STREQ("No procedure declaration available.", e.what());
  }
  ParserReset(1);
  delete a;
  delete b;

  // A procedure compiled from a text keeps the text.
  char text[] = "Sub C\n x = 1\nEnd Sub\n";
  InterProcField* c = nullptr;
  ParserParseProcedure(c, text);
  ASSERT_NE(nullptr, c);
  EXPECT_STREQ(text, c->sourceText());
  delete c;
}

TEST(ParserEntry, StartTwiceIsAnAssertion) {
  StoreSession session;
  std::istringstream a("x = 1\n"), b("y = 2\n");
  ParserStart(&a);
  EXPECT_THROW(ParserStart(&b), XAssert);
  ParserReset(1);
}

}  // namespace
