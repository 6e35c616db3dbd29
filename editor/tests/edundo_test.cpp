// Undo and redo on hidden editor windows: grouping per command, merging of typed and
// deleted characters, every record type, the change counter, the record ring and the text
// ring, the dump, UndoEnabled and EM_CANUNDO.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edlines.h"
#include "edrecord.h"
#include "edstate.h"
#include "edtesthelp.h"
#include "edundo.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

std::string g_dump;
void CaptureDump(const char* text) { g_dump += text; }

class Undo : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override {
    edtest::IniClearOptions();
    g_dump.clear();
    set_debug_output(CaptureDump);
  }
  void TearDown() override {
    set_debug_output(nullptr);
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Make() {
    HWND w = edtest::MakeEditor(parent_.Handle());
    windows_.push_back(w);
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static void SetText(HWND w, const char* text) { Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  static void Option(HWND w, const char* key, int value) {
    Send(w, KE_SET_OPTION, value, reinterpret_cast<LPARAM>(key));
  }
  static void Type(HWND w, const char* text) {
    for (const char* p = text; *p; ++p) Send(w, KE_TYPE_CHAR, static_cast<unsigned char>(*p));
  }
  // The lines joined by "|".
  static std::string Lines(HWND w) {
    std::string all;
    for (LineRecord* line = record_of(w)->firstLine; line; line = line->next) {
      if (line != record_of(w)->firstLine) all += "|";
      all.append(line->text, line->length);
    }
    return all;
  }
  // Puts the caret without an undo record.
  static void Place(HWND w, int32_t line, int32_t column) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, line - 1);
    rec->lineNumber = line;
    rec->caretColumn = column;
  }
  static std::pair<int, int> Caret(HWND w) {
    EditorRecord* rec = record_of(w);
    return {rec->lineNumber, rec->caretColumn};
  }
  static std::vector<int32_t> Types(HWND w) {
    std::vector<int32_t> types;
    UndoState* u = record_of(w)->undo;
    for (int i = 0; i <= u->current && u->current >= 0; ++i) types.push_back(u->slots[i].type);
    return types;
  }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

TEST_F(Undo, TypedCharactersMergeIntoOneInsert) {
  HWND w = Make();
  EXPECT_EQ(Send(w, EM_CANUNDO), 0);
  Type(w, "abc");
  EXPECT_EQ(Lines(w), "abc");
  EXPECT_EQ(Types(w), std::vector<int32_t>{'I'});
  EXPECT_EQ(record_of(w)->undo->slots[0].count, 3);
  EXPECT_EQ(Send(w, EM_CANUNDO), 1);
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "");
  EXPECT_EQ(Send(w, EM_CANUNDO), 0);
  EXPECT_EQ(Send(w, KE_UNDO), 0) << "nothing left";
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "abc");
  EXPECT_EQ(Caret(w), std::make_pair(1, 3)) << "redo leaves the caret after the text";
}

TEST_F(Undo, RepeatedDeleteMergesIntoOneDelete) {
  HWND w = Make();
  SetText(w, "abcdef");
  Place(w, 1, 1);
  for (int i = 0; i < 3; ++i) Send(w, KE_DELETE_CHAR);
  EXPECT_EQ(Lines(w), "aef");
  EXPECT_EQ(Types(w), std::vector<int32_t>{'D'});
  EXPECT_EQ(record_of(w)->undo->slots[0].count, 3);
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "abcdef");
  EXPECT_EQ(Caret(w), std::make_pair(1, 1));
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "aef");
}

TEST_F(Undo, DeletingLineBreaksAndTypingEnter) {
  HWND w = Make();
  SetText(w, "ab\r\ncd\r\nef");
  Place(w, 1, 2);
  Send(w, KE_DELETE_CHAR);  // joins "cd"
  Send(w, KE_DELETE_CHAR);  // deletes "c", same column: merged
  EXPECT_EQ(Lines(w), "abd|ef");
  EXPECT_EQ(Types(w), std::vector<int32_t>{'D'});
  Type(w, "\rX");
  EXPECT_EQ(Lines(w), "ab|Xd|ef");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "ab|d|ef") << "the X, typed on the new line, is a step of its own";
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "abd|ef");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "ab|cd|ef");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "ab|Xd|ef");
  EXPECT_EQ(Send(w, KE_REDO), 0);
}

TEST_F(Undo, OneCommandsRecordsAreOneStep) {
  HWND w = Make();
  SetText(w, "abcd");
  Option(w, "WindowsCompatibility", 1);  // typing replaces the selection
  Place(w, 1, 1);
  Send(w, KE_MARK_STREAM);
  Place(w, 1, 2);
  Send(w, KE_MARK_STREAM);
  Type(w, "X");
  EXPECT_EQ(Lines(w), "aXd");
  std::vector<int32_t> types = Types(w);
  // The selection is deleted through the pick buffer: its old contents are kept too.
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0], 'D' | UNDO_GROUPED) << "grouped with the insertion that follows";
  EXPECT_EQ(types[1], 'P' | UNDO_GROUPED);
  EXPECT_EQ(types[2], 'I');
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "abcd") << "one undo takes back the whole command";
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "aXd");
}

TEST_F(Undo, CaretAndOverwriteRecords) {
  HWND w = Make();
  SetText(w, "abcd");
  Send(w, KE_LINE_END);
  EXPECT_EQ(Types(w), std::vector<int32_t>{'G'});
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Caret(w), std::make_pair(1, 0));
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Caret(w), std::make_pair(1, 4));

  Option(w, "InsertMode", 0);
  Place(w, 1, 1);
  Type(w, "XY");
  EXPECT_EQ(Lines(w), "aXYd");
  UndoState* u = record_of(w)->undo;
  EXPECT_EQ(u->slots[u->current].type, 'R');
  EXPECT_EQ(u->slots[u->current].count, 2) << "the two overwrites merge";
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "abcd");
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "aXYd");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "abcd");
}

TEST_F(Undo, LineRecordsAndPickRecords) {
  HWND w = Make();
  SetText(w, "one\r\ntwo\r\nthree");
  EditorRecord* rec = record_of(w);
  // A deleted line, recorded the way the line commands record it: its text, then the line.
  rec->undo->groupOpen = 1;
  undo_record_delete(rec, 2, 0, "two", 3);
  undo_record_line(rec, 2, UNDO_DELLINE);
  unlink_line(rec, rec->firstLine->next);
  undo_end_command(rec);
  ASSERT_EQ(Lines(w), "one|three");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "one|two|three");
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "one|three");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "one|two|three");

  // An inserted line.
  LineRecord* fresh = make_line(8, rec);
  link_after(fresh, rec->firstLine, rec);
  undo_record_line(rec, 2, UNDO_INSLINE);
  ASSERT_EQ(Lines(w), "one||two|three");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "one|two|three");
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Lines(w), "one||two|three");

  // The pick buffer: the record keeps the old list and swaps it back.
  auto pick_text = [] {
    std::string all;
    for (LineRecord* l = g_pickBuffer->firstLine; l; l = l->next) all.append(l->text, l->length) += ";";
    return all;
  };
  auto fill_pick = [](const char* text) {
    LineRecord* line = make_line(16, g_pickBuffer);
    strcpy(line->text, text);
    line->length = static_cast<int32_t>(strlen(text));
    g_pickBuffer->firstLine = g_pickBuffer->lastLine = g_pickBuffer->currentLine = nullptr;
    g_pickBuffer->lineCount = 0;
    link_after(line, nullptr, g_pickBuffer);
  };
  fill_pick("old");
  ASSERT_TRUE(undo_record_pick(rec, 0, 0));
  fill_pick("new");
  EXPECT_EQ(pick_text(), "new;");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(pick_text(), "old;");
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(pick_text(), "new;");
}

TEST_F(Undo, ChangeCounterIsRestored) {
  HWND w = Make();
  SetText(w, "text");
  Send(w, EM_SETMODIFY, 0);
  Send(w, KE_LINE_END);
  Type(w, "ab");
  EXPECT_NE(Send(w, EM_GETMODIFY), 0);
  parent_.Clear();
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "text");
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0) << "undoing to the first change leaves the window unchanged";
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_NE(Send(w, EM_GETMODIFY), 0) << "redoing the change marks the window changed again";
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0);
}

TEST_F(Undo, NewEditAfterUndoDropsTheRedoRecords) {
  HWND w = Make();
  Type(w, "a");
  Send(w, KE_LINE_START);
  Type(w, "b");
  EXPECT_EQ(Lines(w), "ba");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), "a");
  Type(w, "c");
  EXPECT_EQ(Send(w, KE_REDO), 0);
  EXPECT_EQ(Lines(w), "ca");
  while (Send(w, KE_UNDO)) {
  }
  EXPECT_EQ(Lines(w), "") << "undo still reaches the records before the undone group";
}

TEST_F(Undo, UndoTwiceRedoTwice) {
  HWND w = Make();
  Type(w, "one");
  Send(w, KE_LINE_START);
  Type(w, "two ");
  Send(w, KE_UNDO);
  Send(w, KE_UNDO);
  EXPECT_EQ(Lines(w), "one");
  Send(w, KE_REDO);
  Send(w, KE_REDO);
  EXPECT_EQ(Lines(w), "two one");
  EXPECT_EQ(Send(w, KE_REDO), 0);
}

TEST_F(Undo, RecordRingWrapsAt64) {
  HWND w = Make();
  // 70 typed characters, each followed by a caret record: 140 records, 64 kept.
  for (int i = 0; i < 70; ++i) {
    char c[2] = {static_cast<char>('a' + i % 26), 0};
    Type(w, c);
    Send(w, KE_LINE_END);
  }
  std::string all = Lines(w);
  ASSERT_EQ(all.size(), 70u);
  int undone = 0;
  while (Send(w, KE_UNDO)) ++undone;
  EXPECT_EQ(undone, 64);
  EXPECT_EQ(Lines(w), all.substr(0, 70 - 32)) << "32 characters and 32 caret moves undone";
  EXPECT_EQ(Send(w, EM_CANUNDO), 0);
  int redone = 0;
  while (Send(w, KE_REDO)) ++redone;
  EXPECT_EQ(redone, 64);
  EXPECT_EQ(Lines(w), all);
}

TEST_F(Undo, OverwrittenTextIsNeverReplayed) {
  HWND w = Make();
  // 5000 deletions at one place: the record merges them while its text is whole in the
  // ring (4097 characters), then a new record takes the remaining 903.
  std::string text(5000, 'x');
  SetText(w, text.c_str());
  for (int i = 0; i < 5000; ++i) Send(w, KE_DELETE_CHAR);
  EXPECT_EQ(Lines(w), "");
  EXPECT_EQ(record_of(w)->undo->slots[0].count, 4097);
  EXPECT_EQ(record_of(w)->undo->slots[1].count, 903);
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Lines(w), std::string(903, 'x'));
  EXPECT_EQ(Send(w, KE_UNDO), 0) << "the rest of the text is gone from the ring";
  EXPECT_EQ(Lines(w), std::string(903, 'x')) << "no stale bytes inserted";

  // Three deletions of 1500 characters: the oldest lost its text.
  std::string digits;
  for (int i = 0; i < 4500; ++i) digits += static_cast<char>('0' + i % 10);
  SetText(w, digits.c_str());
  for (int part = 0; part < 3; ++part) {
    Send(w, KE_LINE_START);
    for (int i = 0; i < 1500; ++i) Send(w, KE_DELETE_CHAR);
  }
  EXPECT_EQ(Lines(w), "");
  int undone = 0;
  while (Send(w, KE_UNDO)) ++undone;
  EXPECT_EQ(undone, 4) << "two deletions and the two caret records between them";
  EXPECT_EQ(Lines(w), digits.substr(1500)) << "the last 3000 characters came back intact";
  EXPECT_EQ(Send(w, KE_UNDO), 0);
  EXPECT_EQ(Lines(w), digits.substr(1500));
}

TEST_F(Undo, DumpLineFormat) {
  HWND w = Make();
  EXPECT_EQ(Send(w, KE_DUMP_UNDO), 0);
  EXPECT_EQ(g_dump, "No commands to dump\r\n");
  g_dump.clear();
  SetText(w, "abcd");
  Place(w, 1, 1);
  Send(w, KE_DELETE_CHAR);
  Send(w, KE_DELETE_CHAR);
  Send(w, KE_LINE_END);
  Type(w, "xy");
  EXPECT_EQ(Send(w, KE_DUMP_UNDO), 1);
  EXPECT_EQ(g_dump,
            "2) <U_INSERT>\t\tlinenum [1]  col [2]  nchars [2]  index [-1]\r\n"
            "\r\n"
            "1) <U_GOTO>\t\tlinenum [1]  col [1]  nchars [0]  index [-1]\r\n"
            "\r\n"
            "0) <U_DELETE>\t\tlinenum [1]  col [1]  nchars [2]  index [0]\r\n"
            "TEXT [bc]\r\n"
            "\r\n");
}

TEST_F(Undo, UndoEnabledOffWritesNothing) {
  edtest::IniSet("UndoEnabled", "0");
  HWND w = Make();
  Type(w, "abc");
  Send(w, KE_LINE_START);
  EXPECT_EQ(record_of(w)->undo->current, -1);
  EXPECT_EQ(Send(w, EM_CANUNDO), 0);
  EXPECT_EQ(Send(w, KE_UNDO), 0);
  EXPECT_EQ(Lines(w), "abc");
}

TEST_F(Undo, TwoWindowsGroupApart) {
  HWND a = Make();
  HWND b = Make();
  Type(a, "one");
  Send(a, KE_LINE_START);
  Type(a, "two");
  UndoState* u = record_of(a)->undo;
  EXPECT_EQ(Send(a, KE_UNDO), 1);
  int32_t limit = u->redoLimit;
  EXPECT_EQ(limit, 2);
  Type(b, "b");  // another window's command comes between
  EXPECT_EQ(Send(a, KE_UNDO), 1);
  EXPECT_EQ(u->redoLimit, limit) << "a's previous command was still its undo";
  EXPECT_EQ(Send(a, KE_REDO), 1);
  EXPECT_EQ(Send(a, KE_REDO), 1);
  EXPECT_EQ(Lines(a), "twoone");
  EXPECT_EQ(Lines(b), "b");
  EXPECT_EQ(Send(b, KE_UNDO), 1);
  EXPECT_EQ(Lines(b), "");
  EXPECT_EQ(Lines(a), "twoone");
}

}  // namespace
