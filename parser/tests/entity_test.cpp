// Statement and declaration forms: the entities the grammar delivers for each form, in
// order, and the execution nodes their build makes.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "basicrun/storesession.h"
#include "context.h"
#include "declproc.h"
#include "driver.h"
#include "parseexcept.h"
#include "stmtcompound.h"
#include "stmtsimple.h"
#include "store/block.h"
#include "store/execctrl.h"

namespace {

std::string Demangled(const std::type_info& t) {
  int status = 0;
  char* d = abi::__cxa_demangle(t.name(), nullptr, nullptr, &status);
  std::string s = d ? d : t.name();
  std::free(d);
  return s;
}

// The classes of the entities of text, joined by " ", with ":<type>" where a
// terminator's kind matters.
std::string Stream(const char* text) {
  ParserContext ctx;
  std::istringstream in(text);
  ctx.start(&in, text);
  std::string out;
  try {
    for (;;) {
      PEntity* e = ctx.peek();
      if (!e || e->getType() == PE_END_OF_TEXT) break;
      PEntityRef r = ctx.nextEntity(e->getType());
      if (!out.empty()) out += " ";
      out += Demangled(typeid(*r.get()));
      if (dynamic_cast<InterCons*>(r.get())) out += std::string(":") + r->name();
    }
  } catch (const XException& e) {
    out += std::string(" !") + e.what();
  }
  ctx.reset(1);
  return out;
}

struct StreamCase {
  const char* text;
  const char* entities;
};

const StreamCase kForms[] = {
    // simple statements
    {"x = 1\n", "PAssignment"},
    {"Let x = 1\n", "PAssignment"},
    {"Set o = Nothing\n", "PAssignment"},
    {"x := y\n", "PAssignment"},
    {"Print\n", "PPrint"},
    {"Print 1, \"a\"; Tab(3); Spc(2)\n", "PPrint"},
    {"Print ;\n", "PPrint"},
    {"Me.Print 1\n", "PPrint"},
    {"DoIt 1, 2\n", "PFunctionCallStmt"},
    {"Call DoIt(1)\n", "PFunctionCallStmt"},
    {"RaiseEvent Ping(1)\n", "PFunctionCallStmt"},
    {"Stop\n", "PStopStmt"},
    {"Exit Do\n", "PExiter"},
    {"Exit For\n", "PExiter"},
    {"Exit Function\n", "PExiter"},
    {"Exit Sub\n", "PExiter"},
    {"ReDim a(5)\n", "PRedimStmt"},
    {"ReDim Preserve a(1 To 5, 2)\n", "PRedimStmt"},
    {"Randomize\n", "PRandomizeStmt"},
    {"Randomize 3\n", "PRandomizeStmt"},
    {"Throw\n", "PThrowStmt"},
    {"Throw Oops\n", "PThrowStmt"},
    {"x = 1: y = 2: Print x\n", "PAssignment PAssignment PPrint"},
    // compound statements and their clauses
    {"If a Then\nx = 1\nElseIf b Then\nx = 2\nElse\nx = 3\nEnd If\n",
     "PComplexIfThen PAssignment PElseIf PAssignment PElseIf PAssignment InterCons:End If"},
    {"If a Then x = 1 Else x = 2\n", "PSimpleIfThen"},
    {"If a Then x = 1: y = 2\n", "PSimpleIfThen"},
    {"Select Case x\nCase 1, 2\nCase 3 To 4\nCase Is > 5\nCase Is == 6\nCase Else\nEnd Select\n",
     "PSelectCase PCaseClause PCaseClause PCaseClause PCaseClause PCaseClause InterCons:End Select"},
    {"Do\nLoop\n", "PDoLoop PDoLoopEnd"},
    {"Do While a\nLoop\n", "PDoLoop PDoLoopEnd"},
    {"Do Until a\nLoop\n", "PDoLoop PDoLoopEnd"},
    {"Do\nLoop While a\n", "PDoLoop PDoLoopEnd"},
    {"Do\nLoop Until a\n", "PDoLoop PDoLoopEnd"},
    {"While a\nWend\n", "PDoLoop InterCons:Wend"},
    {"For i = 1 To 10\nNext i\n", "PForNext PNextStmt"},
    {"For i = 10 To 1 Step -2\nNext\n", "PForNext PNextStmt"},
    {"For i = 1 To 3: x = i: Next\n", "PForNext PAssignment PNextStmt"},
    {"For Each o In g\nNext o\n", "PForNext PNextStmt"},
    {"For Each o EmbeddedIn Me\nNext\n", "PForNext PNextStmt"},
    {"For Each o CopiedFrom p\nNext\n", "PForNext PNextStmt"},
    {"Try\nThrow\nCatch\nCatch Oops(e As Long)\nEnd Try\n",
     "PTryBlock PThrowStmt CatchDecl CatchDecl InterCons:End Try"},
    {"With Me\n.x = 1\nEnd With\n", "PWithBlock PAssignment InterCons:End With"},
    // declarations
    {"Dim x As Long, y(3) As String, z\n", "SimpleVarDecl"},
    {"Static x As Long\n", "SimpleVarDecl"},
    {"Const a = 1, b = \"x\"\n", "ConstDecl"},
    {"Type Point\nDim x\nEnd Type\n", "ComplexVarDecl SimpleVarDecl InterCons:End Type"},
    {"Sub S(a As Long, ByVal b)\nEnd Sub\n", "SubDecl InterCons:End Sub"},
    {"Static Sub S\nEnd Sub\n", "SubDecl InterCons:End Sub"},
    {"Private Function F(a() As Long) As String\nEnd Function\n", "FuncDecl InterCons:End Function"},
    {"Property P Get GetP Set SetP As Long\n", "PropertyDecl"},
    {"Property P Get GetP\n", "PropertyDecl"},
    {"Event E(x As Integer)\n", "EventDecl"},
    {"Declare Sub S Lib \"a.dll\" (x As Long)\n", "SubDeclare"},
    {"Declare Function F Lib \"a.dll\" Alias \"G\" () As Long\n", "FuncDeclare"},
    {"' a comment\nx = 1 ' another\n", "PAssignment"},
    {"Begin Code\nEnd Code\n", "InterCons:Begin Code InterCons:End Code"},
};

TEST(ParserEntities, EachFormDeliversItsEntities) {
  StoreSession s;
  for (const StreamCase& c : kForms) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.entities, Stream(c.text));
  }
}

// Builds a statement text into blocks and answers the class of each node of the outer
// block, and the number of blocks made.
struct Built {
  std::string nodes;
  int blocks = 0;
};

Built Build(const char* text) {
  ParserContext ctx;
  std::istringstream in(text);
  ctx.start(&in, text);
  Built b;
  BlockBuildRep* block = new BlockBuildRep(0);
  block->ref();
  try {
    ParseDriver::ReadBody(ctx, block, nullptr, 0);
  } catch (const XException& e) {
    b.nodes += std::string("!") + e.what();
  }
  int outer = ctx.closeBlock(block);
  BlockRep* rep = ctx.blocks().at(outer);
  for (size_t i = 0; rep && i < rep->nodeCount(); ++i) {
    if (!b.nodes.empty()) b.nodes += " ";
    b.nodes += Demangled(typeid(*rep->node(i)));
  }
  b.blocks = (int)ctx.blocks().entries();
  ctx.reset(1);
  return b;
}

struct BuildCase {
  const char* text;
  const char* nodes;
  int blocks;  // blocks closed, the outer one included
};

const BuildCase kBuilds[] = {
    {"x = 1\nPrint x\nDoIt\n", "Assignment Print FunctionCallStmt", 1},
    {"If a Then\nx = 1\nEnd If\n", "ComplexIfThen", 2},
    {"If a Then\nx = 1\nElseIf b Then\nx = 2\nElse\nx = 3\nEnd If\n", "ComplexIfThen", 4},
    {"If a Then x = 1 Else x = 2\n", "SimpleIfThen", 3},
    {"If a Then x = 1\n", "SimpleIfThen", 2},
    {"Select Case x\nEnd Select\n", "SelectCase", 1},
    {"Select Case x\nCase 1, 2\nx = 1\nCase 3 To 4, Is > 5\nCase Else\nx = 2\nEnd Select\n", "SelectCase", 4},
    {"Do\nx = 1\nLoop\n", "DoLoop", 2},
    {"Do While a\nLoop\nDo Until a\nLoop\nDo\nLoop While a\nDo\nLoop Until a\nWhile a\nWend\n",
     "DoLoop DoLoop DoLoop DoLoop DoLoop", 6},
    {"For i = 1 To 3\nNext\nFor i = 3 To 1 Step -1\nNext i\n", "ForNext ForNext", 3},
    {"For Each o In g\nNext\n", "ForNext", 2},
    {"Try\nx = 1\nCatch\ny = 1\nEnd Try\n", "TryBlock", 3},
    {"With Me\n.x = 1\nEnd With\n", "WithBlock", 2},
    {"Dim a As Long\nConst k = 2\nStatic s\nx = 1\n", "Assignment", 1},
};

TEST(ParserEntities, StatementsBuildTheirNodes) {
  StoreSession s;
  for (const BuildCase& c : kBuilds) {
    SCOPED_TRACE(c.text);
    Built b = Build(c.text);
    EXPECT_EQ(c.nodes, b.nodes);
    EXPECT_EQ(c.blocks, b.blocks);
  }
}

// A loop's kind follows its head and its end.
TEST(ParserEntities, LoopKinds) {
  StoreSession s;
  struct K {
    const char* text;
    int kind;
  };
  const K cases[] = {
      {"Do\nLoop\n", LOOP_FOREVER},
      {"Do While a\nLoop\n", LOOP_HEAD_WHILE},
      {"Do Until a\nLoop\n", LOOP_HEAD_UNTIL},
      {"Do\nLoop While a\n", LOOP_END_WHILE},
      {"Do\nLoop Until a\n", LOOP_END_UNTIL},
      {"While a\nWend\n", LOOP_WHILE_WEND},
  };
  for (const K& c : cases) {
    SCOPED_TRACE(c.text);
    ParserContext ctx;
    std::istringstream in(c.text);
    ctx.start(&in, c.text);
    PEntityRef e = ctx.nextEntity(PE_STATEMENT);
    ASSERT_TRUE(e);
    ExecNode* node = static_cast<PEntityStmt*>(e.get())->build(ctx, nullptr, 0);
    DoLoop* loop = dynamic_cast<DoLoop*>(node);
    ASSERT_NE(nullptr, loop);
    EXPECT_EQ(c.kind, loop->kind());
    delete node;
    ctx.reset(1);
  }
}

// Statement entities hand their node over once; a node never taken is freed with them.
TEST(ParserEntities, NodesAreHandedOverOnce) {
  StoreSession s;
  ParserContext ctx;
  std::istringstream in("x = 1\nPrint\n");
  ctx.start(&in, nullptr);
  PEntityRef a = ctx.nextEntity(PE_STATEMENT);
  PEntityRef p = ctx.nextEntity(PE_STATEMENT);
  ASSERT_TRUE(a && p);
  ExecNode* n = static_cast<PEntityStmt*>(a.get())->takeNode();
  EXPECT_NE(nullptr, n);
  EXPECT_EQ(nullptr, static_cast<PEntityStmt*>(a.get())->takeNode());
  delete n;
  ctx.reset(1);
  // p is released with its node still inside.
}

// A statement list is handed out member by member; the terminator after it comes next.
TEST(ParserEntities, StatementListIsWalked) {
  StoreSession s;
  ParserContext ctx;
  std::istringstream in("For i = 1 To 2: x = 1: Next\nEnd If\n");
  ctx.start(&in, nullptr);
  EXPECT_EQ(nullptr, ctx.nextEntity(PE_END_IF).get());
  EXPECT_STREQ("Statement", ctx.currentEntityName());
  EXPECT_TRUE(ctx.nextEntity(PE_STATEMENT));
  EXPECT_TRUE(ctx.nextEntity(PE_STATEMENT));
  EXPECT_FALSE(ctx.nextEntity(PE_STATEMENT));
  EXPECT_STREQ("Next", ctx.currentEntityName());
  EXPECT_TRUE(ctx.nextEntity(PE_NEXT));
  EXPECT_TRUE(ctx.nextEntity(PE_END_IF));
  EXPECT_STREQ("Nothing", ctx.currentEntityName());
  ctx.reset(1);
}

// Comments are skipped, and recorded when the dead source is wanted.
TEST(ParserEntities, CommentsGoToTheDeadSource) {
  StoreSession s;
  ParserContext ctx;
  std::istringstream in("Select Case x\n' first\nCase 1\nEnd Select\n");
  ctx.start(&in, nullptr);
  DeadSourceList ds;
  PEntityRef e = ctx.nextEntity(PE_STATEMENT, &ds);
  ASSERT_TRUE(e);
  ExecNode* node = static_cast<PEntityStmt*>(e.get())->build(ctx, &ds, 0);
  EXPECT_NE(nullptr, dynamic_cast<SelectCase*>(node));
  delete node;
  ASSERT_EQ(1u, ds.pieces().size());
  EXPECT_EQ(" first", ds.pieces()[0].text);
  ctx.reset(1);
}

}  // namespace
