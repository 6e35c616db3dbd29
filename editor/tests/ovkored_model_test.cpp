// The editor control's own tables and primitives, linked in statically: the command
// table, the option table and block, the line primitives, the undo group marks of the
// command wrapper, and refusals when memory runs out (through the allocation seam).
#include <gtest/gtest.h>

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

#include "edcommand.h"
#include "edlines.h"
#include "edmem.h"
#include "edoptions.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

static_assert(sizeof(EditorOptions) == 113, "packed option block");
static_assert(sizeof(EditorOptions::TabFill) == 1, "TabFill is one byte");
static_assert(offsetof(EditorOptions, TabIncrement) == offsetof(EditorOptions, TabFill) + 1,
              "TabIncrement follows TabFill directly");

class Model : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(InitEditor(GetModuleHandleA(nullptr)), 1); }
  void TearDown() override {
    fail_allocations_after(-1);
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Make() {
    HWND w = edtest::MakeEditor(parent_.Handle());
    windows_.push_back(w);
    return w;
  }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

// ---- command table ----

std::map<uint32_t, uint32_t> ExpectedRows() {
  std::map<uint32_t, uint32_t> rows;
  const uint32_t moves[] = {0x93F, 0x940, 0x941, 0x942, 0x943, 0x944, 0x945, 0x946, 0x947, 0x948,
                            0x949, 0x94A, 0x94B, 0x94C, 0x94D, 0x94E, 0x94F, 0x951, 0x999};
  const uint32_t edits[] = {0x922, 0x923, 0x924, 0x925, 0x926, 0x927, 0x928, 0x929,
                            0x92A, 0x92C, 0x92D, 0x92E, 0x92F, 0x930, 0x931, 0x932,
                            0x934, 0x936, 0x937, 0x938, 0x939, 0x953, 0x956, 0x957};
  const uint32_t queries[] = {0x96A, 0x972, 0x985, 0x986, 0x988, 0x98A, 0x98C,
                              0x991, 0x993, 0x9BA, 0x9BB, 0x9BC, 0x9BD, 0x9BE};
  const uint32_t plain[] = {0x92B, 0x933, 0x935, 0x950, 0x952, 0x954, 0x955, 0x958, 0x959,
                            0x95A, 0x95B, 0x95D, 0x95E, 0x967, 0x968, 0x969, 0x96B, 0x96D,
                            0x96E, 0x96F, 0x971, 0x97B, 0x97C, 0x97D, 0x97E, 0x987, 0x989,
                            0x98B, 0x98D, 0x98E, 0x98F, 0x990, 0x992, 0x997, 0x99B};
  for (uint32_t m : moves) rows[m] = CF_MOVES;
  for (uint32_t m : edits) rows[m] = CF_EDITS;
  for (uint32_t m : queries) rows[m] = CF_QUERY;
  for (uint32_t m : plain) rows[m] = 0;
  // 0x9A3..0x9B9 in order.
  const uint32_t repeated[] = {4, 4, 4, 4, 4, 4, 4, 4, 0, 4, 4, 4, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 0};
  for (uint32_t i = 0; i < 23; ++i) rows[0x9A3 + i] = repeated[i];
  return rows;
}

TEST_F(Model, CommandTableRowsAndFlags) {
  std::map<uint32_t, uint32_t> expected = ExpectedRows();
  ASSERT_EQ(expected.size(), 115u);
  std::map<uint32_t, uint32_t> actual;
  for (int i = 0; i < kCommandRows; ++i) {
    actual[g_commandTable[i].message] = g_commandTable[i].flags;
    if (i > 0) {
      EXPECT_LT(g_commandTable[i - 1].message, g_commandTable[i].message) << "sorted";
    }
    EXPECT_NE(g_commandTable[i].handler, nullptr);
  }
  EXPECT_EQ(actual, expected);
  for (const auto& row : expected) {
    const CommandRow* found = find_command(row.first);
    ASSERT_NE(found, nullptr) << std::hex << row.first;
    EXPECT_EQ(found->message, row.first);
  }
  for (uint32_t m = 0x900; m <= 0xA00; ++m) {
    if (!expected.count(m)) {
      EXPECT_EQ(find_command(m), nullptr) << std::hex << m;
    }
  }
}

TEST_F(Model, RowsServedByTheCore) {
  // The rows with a handler of their own; every other row answers 0 and changes nothing.
  // Left: 0x98F and 0x990 (paragraph reformatting) and 0x992 (pictures).
  const std::vector<uint32_t> served = {
      0x922, 0x923, 0x924, 0x925, 0x926, 0x927, 0x928, 0x929, 0x92A, 0x92B, 0x92C, 0x92D, 0x92E,
      0x92F, 0x930, 0x931, 0x932, 0x933, 0x934, 0x935, 0x936, 0x937, 0x938, 0x939, 0x93F, 0x940,
      0x941, 0x942, 0x943, 0x944, 0x945, 0x946, 0x947, 0x948, 0x949, 0x94A, 0x94B, 0x94C, 0x94D,
      0x94E, 0x94F, 0x950, 0x951, 0x952, 0x953, 0x954, 0x955, 0x956, 0x957, 0x958, 0x959, 0x95A,
      0x95B, 0x95D, 0x95E, 0x967, 0x968, 0x969, 0x96A, 0x96B, 0x96D, 0x96E, 0x96F, 0x971, 0x972,
      0x97B, 0x97C, 0x97D, 0x97E, 0x985, 0x986, 0x987, 0x988, 0x989, 0x98A, 0x98B, 0x98C, 0x98D,
      0x98E, 0x991, 0x993, 0x997, 0x999, 0x99B, 0x9A3, 0x9A4,
      0x9A5, 0x9A6, 0x9A7, 0x9A8, 0x9A9, 0x9AA, 0x9AB, 0x9AC, 0x9AD, 0x9AE, 0x9AF, 0x9B0, 0x9B1,
      0x9B2, 0x9B3, 0x9B4, 0x9B5, 0x9B6, 0x9B7, 0x9B8, 0x9B9, 0x9BA, 0x9BB, 0x9BC, 0x9BD, 0x9BE};
  std::vector<uint32_t> actual;
  for (const CommandRow& row : g_commandTable) {
    if (row.handler != cmd_not_built) {
      actual.push_back(row.message);
    }
  }
  EXPECT_EQ(actual, served);
}

TEST_F(Model, UndoGroupMarksAroundCommands) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  UndoState* undo = rec->undo;
  ASSERT_NE(undo, nullptr);
  // Four steps: a caret record and a typed character each, alternately.
  auto build = [&]() {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abcdef"));
    SendMessageA(w, KE_LINE_END, 0, 0);
    SendMessageA(w, KE_TYPE_CHAR, 'x', 0);
    SendMessageA(w, KE_LINE_START, 0, 0);
    SendMessageA(w, KE_TYPE_CHAR, 'y', 0);
    ASSERT_EQ(undo->current, 3);
  };
  // An edit after undos drops the redo chain and closes its group on the newest record.
  build();
  SendMessageA(w, KE_UNDO, 0, 0);
  SendMessageA(w, KE_UNDO, 0, 0);
  EXPECT_EQ(undo->current, 1);
  EXPECT_EQ(undo->redoLimit, 3);
  SendMessageA(w, KE_TYPE_CHAR, 'z', 0);  // typed on after the "x": merged into its record
  EXPECT_EQ(undo->current, 1);
  EXPECT_EQ(undo->slots[1].type, 'I');
  EXPECT_EQ(undo->slots[1].count, 2);
  EXPECT_EQ(undo->slots[2].type, UNDO_EMPTY);
  EXPECT_EQ(undo->slots[3].type, UNDO_EMPTY);
  EXPECT_EQ(undo->redoLimit, -1);
  EXPECT_EQ(undo->groupOpen, 0);
  // Redo keeps the chain.
  build();
  SendMessageA(w, KE_UNDO, 0, 0);
  SendMessageA(w, KE_UNDO, 0, 0);
  SendMessageA(w, KE_REDO, 0, 0);
  EXPECT_EQ(undo->current, 2);
  EXPECT_NE(undo->slots[3].type, UNDO_EMPTY);
  EXPECT_EQ(undo->redoLimit, 3);
  // Undo after redo keeps the limit; undo after anything else sets it to the current one.
  SendMessageA(w, KE_UNDO, 0, 0);
  EXPECT_EQ(undo->redoLimit, 3);
  SendMessageA(w, KE_UNDO, 0, 0);
  EXPECT_EQ(undo->redoLimit, 3);
  SendMessageA(w, KE_REDO, 0, 0);
  SendMessageA(w, KE_REDO, 0, 0);
  EXPECT_EQ(undo->current, 2);
  SendMessageA(w, KE_NOTHING, 0, 0);  // any command in between counts as the previous one
  SendMessageA(w, KE_UNDO, 0, 0);
  EXPECT_EQ(undo->redoLimit, 2);
  // Commands without group flags leave the marks alone.
  SendMessageA(w, KE_GET_TEXT, 0, 0);
  EXPECT_EQ(undo->redoLimit, 2);
  EXPECT_EQ(undo->slots[1].type, 'I');
}

// ---- options ----

TEST_F(Model, OptionTable) {
  struct Row {
    const char* name;
    uint16_t type;
    int32_t value;
  } rows[kOptionCount] = {
      {"GoFreeSpace", 0, 1},
      {"UseRealTabs", 0, 1},
      {"HighBitsOff", 0, 0},
      {"EntabLine", 0, 0},
      {"Wordwrap", 0, 0},
      {"AutoReformat", 0, 0},
      {"Justify", 0, 0},
      {"TwoSpaces", 0, 0},
      {"CompressSpaces", 0, 1},
      {"InsertMode", 0, 1},
      {"AutoIndent", 0, 1},
      {"UndoEnabled", 0, 1},
      {"ClearSelOnMove", 0, 1},
      {"IgnoreSetCursor", 0, 1},
      {"CtrlKeyMarksRect", 0, 0},
      {"WindowsScrolling", 0, 0},
      {"TabFill", 1, 32},
      {"TabIncrement", 2, 8},
      {"IndentAmount", 2, 2},
      {"RightMargin", 2, 80},
      {"ScrollBars", 2, 0},
      {"LeftOffset", 2, 0},
      {"TopOffset", 2, 0},
      {"RightOffset", 2, 0},
      {"BottomOffset", 2, 0},
      {"WindowsCompatibility", 2, 21},
      {"LinesForReadNotify", 2, 0},
      {"OwnerDrawn", 2, 0},
      {"UseSoftReturns", 0, 0},
  };
  const char* base = reinterpret_cast<const char*>(&g_options);
  ptrdiff_t offset = 0;
  for (int i = 0; i < kOptionCount; ++i) {
    SCOPED_TRACE(rows[i].name);
    const OptionKey& key = g_optionKeys[i];
    EXPECT_STREQ(key.name, rows[i].name);
    EXPECT_EQ(key.type, rows[i].type);
    EXPECT_EQ(key.defaultValue, rows[i].value);
    EXPECT_EQ(static_cast<const char*>(key.field) - base, offset) << "fields in block order";
    offset += key.type == OPT_BYTE ? 1 : 4;
    int32_t compiled = option_get(&g_compiledOptions, &key);
    EXPECT_EQ(compiled, std::string(key.name) == "IgnoreSetCursor" ? 0 : rows[i].value);
    EXPECT_EQ(find_option(rows[i].name), &key);
  }
  EXPECT_EQ(offset, 113);
  EXPECT_EQ(find_option("tabfill"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(find_option(nullptr), nullptr);
}

TEST_F(Model, ReadingTheSettingsSetsIgnoreSetCursor) {
  EditorRecord rec = {};
  g_options = g_compiledOptions;
  EXPECT_EQ(g_options.IgnoreSetCursor, 0);
  EXPECT_EQ(read_settings(&rec), 1);
  EXPECT_EQ(g_options.IgnoreSetCursor, 1);
  EXPECT_EQ(rec.options.IgnoreSetCursor, 1);
}

// ---- line primitives ----

TEST_F(Model, UnlinkKeepsTheRecordTrue) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo\r\nthree"));
  LineRecord* two = rec->firstLine->next;
  LineRecord* three = rec->lastLine;
  rec->currentLine = three;
  rec->lineNumber = 3;
  rec->bookmarks[0] = {two, 1, 2};
  rec->selection.state = SEL_COMPLETE;  // a selection ending on the line must not outlive it
  rec->selection.kind = SEL_STREAM;
  rec->selection.anchor = {rec->firstLine, 0, 1};
  rec->selection.end = {three, 2, 3};
  int32_t changes = rec->changes;

  EXPECT_EQ(unlink_line(rec, rec->firstLine), two);
  EXPECT_EQ(rec->firstLine, two);
  EXPECT_EQ(rec->lineNumber, 2);
  EXPECT_EQ(rec->lineCount, 2);
  EXPECT_EQ(rec->selection.state, SEL_NONE) << "its anchor went";
  rec->selection.state = SEL_COMPLETE;
  rec->selection.anchor = {two, 0, 1};
  rec->selection.end = {three, 2, 2};
  EXPECT_EQ(unlink_line(rec, three), two) << "the previous line takes the last line's place";
  EXPECT_EQ(rec->selection.state, SEL_NONE) << "its end went";
  EXPECT_EQ(rec->currentLine, two);
  EXPECT_EQ(rec->lastLine, two);
  EXPECT_EQ(rec->lineNumber, 1);
  EXPECT_EQ(rec->changes, changes + 2);

  LineRecord* fresh = unlink_line(rec, two);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(rec->bookmarks[0].line, nullptr) << "bookmark on the line cleared";
  EXPECT_EQ(rec->firstLine, fresh);
  EXPECT_EQ(rec->currentLine, fresh);
  EXPECT_EQ(rec->lineCount, 1);
  EXPECT_EQ(rec->lineNumber, 1);
  EXPECT_EQ(rec->caretColumn, 0);
  EXPECT_EQ(fresh->length, 0);
  EXPECT_EQ(fresh->capacity, 64);
  EXPECT_EQ(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Model, LinkAndStep) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("b\r\nd"));
  rec->currentLine = rec->lastLine;
  rec->lineNumber = 2;
  LineRecord* a = make_line(3, rec);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->capacity, 8);
  link_after(a, nullptr, rec);
  EXPECT_EQ(rec->firstLine, a);
  EXPECT_EQ(rec->lineNumber, 3);
  link_before_current(make_line(16, rec), rec);
  EXPECT_EQ(rec->lineNumber, 4);
  EXPECT_EQ(rec->lineCount, 4);
  EXPECT_EQ(line_number(rec, rec->currentLine), 4);
  EXPECT_EQ(step_lines(rec, rec->firstLine, 10), rec->lastLine);
  EXPECT_EQ(step_lines(rec, rec->lastLine, -2), rec->firstLine->next);
  EXPECT_EQ(step_lines(rec, rec->lastLine, -9), rec->firstLine);
}

// ---- running out of memory ----

TEST_F(Model, FailedLineShowsOneBoxAndKeepsTheText) {
  HWND w = Make();
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("keep\r\nme"));
  SendMessageA(w, EM_SETMODIFY, 0, 0);
  // Each line takes two allocations: its record and its text.
  for (int succeed : {0, 1, 5}) {
    SCOPED_TRACE(succeed);
    size_t boxesBefore = boxes_.Boxes().size();
    fail_allocations_after(succeed);
    EXPECT_EQ(SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\r\nb\r\nc\r\nd")), 0);
    fail_allocations_after(-1);
    ASSERT_EQ(boxes_.Boxes().size(), boxesBefore + 1) << "one box, not one per retry";
    EXPECT_EQ(boxes_.Boxes().back().text, "init_line() - MEM_ALLOC returns NULL");
    EXPECT_EQ(boxes_.Boxes().back().caption, "");
    EXPECT_EQ(edtest::Text(w), "keep\r\nme\r\n");
    EXPECT_EQ(SendMessageA(w, EM_GETMODIFY, 0, 0), 0);
  }
  // The only line cannot be replaced: it stays.
  EditorRecord* rec = record_of(w);
  SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("last"));
  fail_allocations_after(0);
  EXPECT_EQ(unlink_line(rec, rec->firstLine), nullptr);
  fail_allocations_after(-1);
  EXPECT_EQ(edtest::Text(w), "last");
  EXPECT_EQ(rec->lineCount, 1);
  EXPECT_EQ(boxes_.Boxes().size(), 4u);
}

TEST_F(Model, WindowWithoutRecordIgnoresCommands) {
  fail_allocations_after(0);
  HWND w = Make();
  fail_allocations_after(-1);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(record_of(w), nullptr);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "OUT OF MEMORY!!! CAN'T CONTINUE!!!");
  EXPECT_EQ(SendMessageA(w, KE_NOTHING, 0, 0), 0) << "default handling";
  EXPECT_EQ(SendMessageA(w, EM_GETLINECOUNT, 0, 0), 0);
}

}  // namespace
