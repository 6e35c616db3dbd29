// The menus' text unload: the exact text of a popup and a bar, captions as Basic
// literals, and menus written as a text object file and read back through the parser's
// reader into equal menus.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imenu_kit.h"
#include "parser/ovparse.h"
#include "testkit/testkit.h"

namespace {

using namespace menukit;

std::string Unload(iMenu* m, const char* indent = "  ") {
  ValString cmds("");
  short r = 0;
  if (iPopupMenu* p = dynamic_cast<iPopupMenu*>(m))
    r = p->imTextUnload(indent, &cmds);
  else
    r = static_cast<iMenuBar*>(m)->imTextUnload(indent, &cmds);
  EXPECT_EQ(-1, r);
  return cmds.str();
}

TEST(MenuText, APopupWithASubPopupASeparatorAnAcceleratorAndACheckMark) {
  iPopupMenu* sub = NewPopup("TextSub");
  iPopupMenu* p = NewPopup("TextPop");
  sub->imInsertItem("Deeper", "Deeper", -1);
  InsertPopup(p, sub, "&More");
  p->imInsertSeparator(-1);
  p->imInsertItem("Open", "&Open", -1);
  p->imSetAccelerator("Open", 15);
  p->imInsertItem("Check", "Chec&k", -1);
  p->imCheckItem("Check", 1);
  const std::string text =
      "\n  .InsertPopup(TextSub, \"&More\", -1)"
      "\n  .InsertSeparator(-1)"
      "\n  .InsertItem(\"Open\", \"&Open\", -1)"
      "\n  .AccelKey = \"Ctrl+O\""
      "\n  .SetAccelerator(\"Open\", .AccelKey)"
      "\n  .InsertItem(\"Check\", \"Chec&k\", -1)"
      "\n";
  EXPECT_EQ(text, Unload(p));
  // Through Basic, the same text after what the string held.
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  s = \"x\"\n"
      "  r = TextPop.TextUnload(\"  \", s)\n  F = s\nEnd Function\n",
      "F");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ("x" + text, out.result);
}

TEST(MenuText, CaptionsAreBasicLiterals) {
  struct Case {
    const char* caption;
    const char* literal;
  } cases[] = {
      {"Say \"hi\"", "\"Say \"\"hi\"\"\""}, {"\"", "\"\"\"\""},
      {"Up ^ down", "\"Up ^^ down\""},      {"^A", "\"^^A\""},
      {"line\rfeed", "\"line^Mfeed\""},     {"", "\"\""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.literal, MenuBasicLiteral(c.caption)) << c.caption;
  iMenuBar* bar = NewBar();
  bar->imInsertItem("Quote", "Say \"hi\"", -1);
  EXPECT_EQ("\n.InsertItem(\"Quote\", \"Say \"\"hi\"\"\", -1)\n", Unload(bar, ""));
  // Every literal reads back as its caption.
  for (const Case& c : cases) {
    BasicOutcome out = BasicRunner::CompileAndRun(
        "Function F() As String\n  F = " + std::string(c.literal) + "\nEnd Function\n", "F");
    EXPECT_TRUE(out.ok) << out.error;
    EXPECT_EQ(c.caption, out.result);
  }
}

TEST(MenuText, ABarWritesItsPopupsAndItemsAndLeavesOutWhatTextCannotName) {
  iMenuBar* bar = NewBar();
  iPopupMenu* named = NewPopup("BarFile");
  Owned<iPopupMenu> unnamed(new iPopupMenu(nullptr));  // no object: nothing to name
  InsertPopup(bar, named, "&File");
  bar->imInsertItem("Help", "&Help\tF1", -1);
  AppendMenuA(bar->handle(), MF_POPUP | MF_STRING, (UINT_PTR)unnamed->GetHMenu(), "Unnamed");
  AppendMenuA(bar->handle(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(bar->handle(), MF_STRING, 7, "Foreign");
  EXPECT_EQ(
      "\n  .InsertPopup(BarFile, \"&File\", -1)"
      "\n  .InsertItem(\"Help\", \"&Help^IF1\", -1)"
      "\n",
      Unload(bar));
  while (GetMenuItemCount(bar->handle()) > 2) RemoveMenu(bar->handle(), 2, MF_BYPOSITION);
}

// ---- written as a text object file and read back ----

std::string FileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

std::string WithoutCheckMarks(std::string s) {
  for (size_t at; (at = s.find("I*")) != std::string::npos;) s.erase(at + 1, 1);
  return s;
}

TEST(MenuText, ATextObjectFileReadsBackIntoEqualMenus) {
  WindowPrototype();
  testkit::TestDataDir dir("menu_text");
  std::string file = dir.File("menus.txt");
  unsigned char source = ObjectStore::CreateModule("menu_text_source");
  std::vector<Faultp<InterObjRep>> made;
  auto make = [&](const char* cls, const char* name) {
    OpenModuleResource open(source);
    PrimInterObj o(ObjectStore::find(cls), name, 0);
    made.push_back(o);
    return o.get();
  };
  iPopupMenu* sub = iPopupMenu::Native(make("PopupMenu", "RtSub"));
  iPopupMenu* pop = iPopupMenu::Native(make("PopupMenu", "RtPop"));
  iMenuBar* bar = iMenuBar::Native(make("MenuBar", "RtBar"));
  sub->imInsertItem("SubItem", "Sub \"item\"", -1);
  sub->imSetAccelerator("SubItem", 124);  // Ctrl+Space
  InsertPopup(pop, sub, "&More");
  pop->imInsertSeparator(-1);
  pop->imInsertItem("RtOpen", "&Open", -1);
  pop->imSetAccelerator("RtOpen", 15);
  pop->imInsertItem("RtCheck", "Chec&k ^ ^^", -1);
  pop->imCheckItem("RtCheck", 1);
  pop->imInsertItem("RtOdd", "Odd\tnot a key", -1);
  InsertPopup(bar, pop, "&File");
  bar->imInsertItem("RtQuit", "&Quit", -1);
  const std::string shapes[3] = {Shape(sub), WithoutCheckMarks(Shape(pop)), Shape(bar)};

  {
    InterObj o;
    for (const char* name : {"RtSub", "RtPop", "RtBar"}) {
      o = InterObj(ObjectStore::find(name));
      ParserWriteTextObjectFile(file.c_str(), name[2] != 'S', o);
    }
  }
  const std::string written = FileText(file);
  EXPECT_NE(std::string::npos, written.find(".InsertPopup(RtSub, \"&More\", -1)")) << written;
  EXPECT_NE(std::string::npos, written.find(".SetAccelerator(\"RtOpen\", .AccelKey)")) << written;
  EXPECT_NE(std::string::npos, written.find(".InsertItem(\"SubItem\", \"Sub \"\"item\"\"\", -1)")) << written;
  sub = nullptr;
  pop = nullptr;
  bar = nullptr;
  ObjectStore::UnloadModule(source, 1);
  made.clear();
  ASSERT_EQ(nullptr, ObjectStore::find("RtPop"));

  unsigned char target = ObjectStore::CreateModule("menu_text_target");
  {
    OpenModuleResource open(target);
    InterObj group;
    EXPECT_EQ(1, ParserReadTextObjectFile(file.c_str(), group, 1)) << FileText(file);
  }
  iPopupMenu* sub2 = iPopupMenu::Native(ObjectStore::find("RtSub"));
  iPopupMenu* pop2 = iPopupMenu::Native(ObjectStore::find("RtPop"));
  iMenuBar* bar2 = iMenuBar::Native(ObjectStore::find("RtBar"));
  ASSERT_NE(nullptr, sub2);
  ASSERT_NE(nullptr, pop2);
  ASSERT_NE(nullptr, bar2);
  EXPECT_EQ(shapes[0], Shape(sub2));
  EXPECT_EQ(shapes[1], Shape(pop2));
  EXPECT_EQ(shapes[2], Shape(bar2));
  EXPECT_EQ(15, pop2->imGetAccelerator("RtOpen"));
  EXPECT_EQ(124, sub2->imGetAccelerator("SubItem"));
  EXPECT_EQ(1u, pop2->accelTable().inUse());
  EXPECT_EQ(1u, sub2->accelTable().inUse());
  int count = 0;
  bar2->GetHAccel(count);
  EXPECT_EQ(2, count);
  ObjectStore::UnloadModule(target, 1);
}

}  // namespace
