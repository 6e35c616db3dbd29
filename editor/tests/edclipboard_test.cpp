// Clipboard, inserted text, the word at the caret, help on the word and the control's
// message boxes, on the real clipboard of the test display.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edclipboard.h"
#include "edinsert.h"
#include "edlines.h"
#include "edmessage.h"
#include "edrecord.h"
#include "edstate.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

struct HelpCallSeen {
  HWND owner;
  std::string file;
  UINT command;
  std::string word;
};
std::vector<HelpCallSeen> g_helpCalls;
BOOL g_helpAnswer = TRUE;

BOOL WINAPI FakeHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data) {
  g_helpCalls.push_back({owner, file, command, reinterpret_cast<const char*>(data)});
  return g_helpAnswer;
}

std::vector<std::string> g_loaded;
HMODULE WINAPI FakeLoader(LPCSTR name) {
  g_loaded.push_back(name);
  return nullptr;
}

class Clip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override {
    edtest::IniClearOptions();
    g_helpCalls.clear();
    g_helpAnswer = TRUE;
    set_help_call(FakeHelp);
  }
  void TearDown() override {
    set_help_call(nullptr);
    set_windows_version(0);
    set_library_loader(nullptr);
    for (HWND w : windows_) DestroyWindow(w);
    EXPECT_EQ(boxes_.Boxes().size(), expectedBoxes_) << "a box nobody expected";
  }
  HWND Make(DWORD style = 0) {
    HWND w = edtest::MakeEditor(parent_.Handle(), style);
    windows_.push_back(w);
    return w;
  }
  static void SetText(HWND w, const char* text) {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  static void PutOnClipboard(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    if (text) {
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
      memcpy(GlobalLock(memory), text, strlen(text) + 1);
      GlobalUnlock(memory);
      SetClipboardData(CF_TEXT, memory);
    }
    CloseClipboard();
  }
  static std::string ClipboardText(HWND owner) {
    std::string text = "(none)";
    if (!OpenClipboard(owner)) return "(closed)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }
  static void Caret(HWND w, int line, int column) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, line - 1);
    rec->lineNumber = line;
    rec->caretColumn = column;
  }

  testkit::BoxAnswerer boxes_;
  size_t expectedBoxes_ = 0;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

void FillPickBuffer(const std::vector<std::pair<const char*, bool>>& lines) {
  free_list(g_pickBuffer, g_pickBuffer->firstLine);
  reset_text(g_pickBuffer);
  LineRecord* last = nullptr;
  for (const auto& l : lines) {
    int32_t n = static_cast<int32_t>(strlen(l.first));
    LineRecord* line = make_line(line_capacity(n), g_pickBuffer);
    memcpy(line->text, l.first, n);
    line->length = n;
    if (l.second) line->flags |= LF_ENDED_BREAK;
    link_after(line, last, g_pickBuffer);
    last = line;
  }
}

TEST_F(Clip, PickBufferGoesToTheClipboardWithItsBreaks) {
  HWND w = Make();
  struct Case {
    std::vector<std::pair<const char*, bool>> lines;
    const char* text;
  } cases[] = {
      {{{"first", true}, {"second", true}}, "first\r\nsecond\r\n"},
      {{{"part", false}}, "part"},
      {{{"tail", true}, {"head", false}}, "tail\r\nhead"},
      {{{"", true}, {"", true}}, "\r\n\r\n"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FillPickBuffer(c.lines);
    EXPECT_EQ(copy_pick_to_clipboard(w), 1);
    EXPECT_EQ(ClipboardText(w), c.text);
  }
  EXPECT_EQ(clear_clipboard_text(w), 1);
  EXPECT_EQ(ClipboardText(w), "(none)");
  EXPECT_EQ(clear_clipboard_text(w), 1) << "nothing to clear";
  FillPickBuffer({});
}

TEST_F(Clip, PasteMakesLinesWithoutAutoIndent) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  PutOnClipboard(w, "a\r\nb");
  SendMessageA(w, EM_SETMODIFY, 0, 0);
  parent_.Clear();
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 1);
  EXPECT_EQ(edtest::Text(w), "a\r\nb\r\n");
  EXPECT_EQ(rec->lineNumber, 2);
  EXPECT_EQ(rec->caretColumn, 1) << "the caret after the second letter";
  EXPECT_GT(SendMessageA(w, EM_GETMODIFY, 0, 0), 0);
  EXPECT_EQ(parent_.Codes().front(), KEN_CHANGE);

  // AutoIndent is on (the default) but pasted lines are not indented, and it stays on.
  SetText(w, "  x");
  Caret(w, 1, 3);
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 1);
  EXPECT_EQ(edtest::Text(w), "  xa\r\nb\r\n");
  EXPECT_EQ(rec->options.AutoIndent, 1);
  // Typing a break by hand does indent: the same primitive with AutoIndent on.
  SetText(w, "  x");
  Caret(w, 1, 3);
  type_char(rec, '\r', false);
  EXPECT_EQ(rec->caretColumn, 2);
}

TEST_F(Clip, PasteDeletesACompleteSelectionWhenCompatible) {
  struct Case {
    const char* compatibility;
    uint8_t kind;
    int anchor, end;
    const char* text;
  } cases[] = {
      {"21", SEL_STREAM | SEL_EXCLUSIVE, 0, 5, "bye world"},
      {"21", SEL_STREAM, 0, 4, "bye world"},
      {"21", SEL_STREAM, 4, 0, "bye world"},  // anchor after the end: both inclusive
      {"20", SEL_STREAM | SEL_EXCLUSIVE, 0, 5, "byehello world"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.compatibility << " " << c.anchor << ".." << c.end);
    edtest::IniSet("WindowsCompatibility", c.compatibility);
    HWND w = Make();
    EditorRecord* rec = record_of(w);
    SetText(w, "hello world");
    rec->selection.kind = c.kind;
    rec->selection.state = SEL_COMPLETE;
    rec->selection.anchor = {rec->firstLine, c.anchor, 1};
    rec->selection.end = {rec->firstLine, c.end, 1};
    PutOnClipboard(w, "bye");
    EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 1);
    EXPECT_EQ(edtest::Text(w), c.text);
  }
  // A stream selection over lines joins what is left of the first and the last.
  edtest::IniSet("WindowsCompatibility", "21");
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  SetText(w, "keep this\r\ndrop\r\nand that");
  rec->selection.kind = SEL_STREAM | SEL_EXCLUSIVE;
  rec->selection.state = SEL_COMPLETE;
  rec->selection.anchor = {rec->firstLine, 4, 1};
  rec->selection.end = {rec->lastLine, 3, 3};
  PutOnClipboard(w, "+");
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 1);
  EXPECT_EQ(edtest::Text(w), "keep+ that");
  EXPECT_EQ(rec->lineCount, 1);
}

TEST_F(Clip, PasteIsRefusedWithoutTextOrInAReadOnlyWindow) {
  HWND w = Make();
  SetText(w, "same");
  SendMessageA(w, EM_SETMODIFY, 0, 0);
  PutOnClipboard(w, nullptr);
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 0) << "no text on the clipboard";
  PutOnClipboard(w, "more");
  SendMessageA(w, EM_SETREADONLY, 1, 0);
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 0);
  EXPECT_EQ(SendMessageA(w, KE_INSERT_TEXT, 0, reinterpret_cast<LPARAM>("more")), 0);
  EXPECT_EQ(edtest::Text(w), "same");
  EXPECT_EQ(SendMessageA(w, EM_GETMODIFY, 0, 0), 0);
  SendMessageA(w, EM_SETREADONLY, 0, 0);
  EXPECT_EQ(SendMessageA(w, WM_PASTE, 0, 0), 1);
  EXPECT_EQ(edtest::Text(w), "moresame");
}

TEST_F(Clip, InsertTextCutsAtControlCharactersAndBackslashes) {
  struct Case {
    const char* before;
    int column;
    const char* insert;
    WPARAM mode;
    LRESULT result;
    const char* after;
    int line, caret;
  } cases[] = {
      {"", 0, "abc", 0, 1, "abc", 1, 3},
      {"", 0, "a\tb", 0, 1, "a\tb", 1, 9},  // display columns: the tab reaches 8
      {"", 0, "x\\y\\", 0, 1, "x\\y\\", 1, 4},
      {"", 0, "l1\r\nl2", 0, 1, "l1\r\nl2", 2, 2},
      {"", 0, "\r\nz", 0, 1, "\r\nz", 2, 1},
      {"", 0, "p\rq\nr", 0, 1, "p\r\nq\r\nr", 3, 1},
      {"12345", 0, "ab", 1, 1, "ab345", 1, 2},
      {"12345", 0, "ab", 0, 1, "ab12345", 1, 2},
      {"12", 5, "z", 0, 1, "12   z", 1, 6},
      {"keep", 0, "", 0, 0, "keep", 1, 0},
      {"keep", 0, nullptr, 0, 0, "keep", 1, 0},
  };
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.insert ? c.insert : "(null)")));
    SetText(w, c.before);
    Caret(w, 1, c.column);
    EXPECT_EQ(SendMessageA(w, KE_INSERT_TEXT, c.mode, reinterpret_cast<LPARAM>(c.insert)), c.result);
    std::string text = edtest::Text(w);
    EXPECT_EQ(text.substr(0, text.size() - (text.size() >= 2 && rec->lineCount > 1 ? 2 : 0)), c.after);
    EXPECT_EQ(rec->lineNumber, c.line);
    EXPECT_EQ(rec->caretColumn, c.caret);
  }
}

TEST_F(Clip, WordAtTheCaret) {
  HWND w = Make();
  SetText(w, "call foo_bar9(x)  ");
  struct Case {
    int column;
    WPARAM size;
    LRESULT length;
    const char* copied;
    bool terminated;
  } cases[] = {
      {5, 64, 8, "foo_bar9", true}, {9, 64, 8, "foo_bar9", true}, {12, 64, 8, "foo_bar9", true},
      {0, 64, 4, "call", true},     {9, 3, 8, "foo", false},      {9, 8, 8, "foo_bar9", false},
      {9, 9, 8, "foo_bar9", true},  {4, 64, 0, "", true},         {13, 64, 0, "", true},
      {40, 64, 0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "column " << c.column << " size " << c.size);
    Caret(w, 1, c.column);
    char buffer[80];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(SendMessageA(w, KE_GET_WORD, c.size, reinterpret_cast<LPARAM>(buffer)), c.length);
    size_t n = strlen(c.copied);
    EXPECT_EQ(std::string(buffer, n), c.copied);
    EXPECT_EQ(buffer[n], c.terminated ? '\0' : '#') << "the copy is bounded by the buffer";
  }
}

TEST_F(Clip, HelpOnTheWord) {
  HWND w = Make();
  SetText(w, "MessageBox here");
  // No file given and no "APIHelp": a box, every time, and no help call.
  for (int i = 0; i < 2; ++i) EXPECT_EQ(SendMessageA(w, KE_WORD_HELP, 0, 0), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[1].text, "No help file for API");
  EXPECT_EQ(boxes_.Boxes()[1].caption, "Help On Word");
  EXPECT_TRUE(g_helpCalls.empty());

  Caret(w, 1, 3);
  EXPECT_EQ(SendMessageA(w, KE_WORD_HELP, 0, reinterpret_cast<LPARAM>("given.hlp")), TRUE);
  ASSERT_EQ(g_helpCalls.size(), 1u);
  EXPECT_EQ(g_helpCalls[0].owner, parent_.Handle());
  EXPECT_EQ(g_helpCalls[0].file, "given.hlp");
  EXPECT_EQ(g_helpCalls[0].command, 0x105u) << "partial keyword";
  EXPECT_EQ(g_helpCalls[0].word, "MessageBox");

  edtest::IniSet("APIHelp", "api32.hlp");
  Caret(w, 1, 11);
  EXPECT_EQ(SendMessageA(w, KE_WORD_HELP, 0, 0), TRUE);
  ASSERT_EQ(g_helpCalls.size(), 2u);
  EXPECT_EQ(g_helpCalls[1].file, "api32.hlp");
  EXPECT_EQ(g_helpCalls[1].word, "here");

  // A blank position: no call, "No help for this word" with an empty caption.
  Caret(w, 1, 10);
  EXPECT_EQ(SendMessageA(w, KE_WORD_HELP, 0, 0), 0);
  EXPECT_EQ(g_helpCalls.size(), 2u);
  ASSERT_EQ(boxes_.Boxes().size(), 3u);
  EXPECT_EQ(boxes_.Boxes()[2].text, "No help for this word");
  EXPECT_EQ(boxes_.Boxes()[2].caption, "");
  // The help program failing: the same box with the word as caption.
  g_helpAnswer = FALSE;
  Caret(w, 1, 0);
  EXPECT_EQ(SendMessageA(w, KE_WORD_HELP, 0, 0), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 4u);
  EXPECT_EQ(boxes_.Boxes()[3].caption, "MessageBox");
  expectedBoxes_ = 4;
}

TEST_F(Clip, StringTableBoxes) {
  struct Case {
    int id;
    const char* text;
  } cases[] = {
      {51, "Can't read the file 'x.txt'"},
      {52, "Can't create the file 'x.txt'"},
      {57, "Can't find 'x.txt'"},
      {65, "Help not implemented yet"},
      {64, "File written"},
      {99, "Cannot locate error message 99"},
      {54, "Cannot locate error message 54"},
  };
  for (const Case& c : cases) {
    string_box(parent_.Handle(), MB_OK, c.id, "x.txt");
    ASSERT_FALSE(boxes_.Boxes().empty());
    EXPECT_EQ(boxes_.Boxes().back().text, c.text);
    EXPECT_EQ(boxes_.Boxes().back().caption, "Code Editor");
  }
  boxes_.Script(IDNO);
  EXPECT_EQ(string_box(parent_.Handle(), MB_YESNO, 56, "a.bas"), IDNO) << "the answer is returned";
  EXPECT_EQ(boxes_.Boxes().back().text, "a.bas has been changed.  Save file before closing?");

  // The 3-D controls library is asked for only below Windows version 4, once.
  set_library_loader(FakeLoader);
  g_loaded.clear();
  set_windows_version(4);
  string_box(parent_.Handle(), MB_OK, 60);
  EXPECT_TRUE(g_loaded.empty());
  set_windows_version(3);
  string_box(parent_.Handle(), MB_OK, 60);
  string_box(parent_.Handle(), MB_OK, 60);
  EXPECT_EQ(g_loaded, std::vector<std::string>{"CTL3D32.DLL"});
  EXPECT_EQ(boxes_.Boxes().back().text, "Untitled") << "a missing library is ignored";
  expectedBoxes_ = boxes_.Boxes().size();
}

TEST_F(Clip, FixedTextBoxes) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  EXPECT_STREQ(fixed_text(FT_BRACES), "{}()[]\"\"");
  EXPECT_EQ(strlen(fixed_text(FT_BRACES)), 8u);
  struct Case {
    FixedText which;
    const char* text;
    const char* caption;
  } cases[] = {
      {FT_NO_MATCHING_BRACE, "Matching brace not found", "Error"},
      {FT_NOT_ON_BRACE, "The cursor must be on {, }, (, ), [, ], or \"", "Error"},
      {FT_KEYSTROKES_CAPTURED, "Keystrokes captured", "Korvo Editor DLL"},
      {FT_WRITE_ERROR, "Error while writing!\nThe disk may be full.", "Error"},
  };
  for (const Case& c : cases) {
    fixed_box(rec, c.which);
    EXPECT_EQ(boxes_.Boxes().back().text, c.text);
    EXPECT_EQ(boxes_.Boxes().back().caption, c.caption) << "no caption: the system's default";
  }
  EXPECT_EQ(box_owner(rec), w);
  EXPECT_EQ(box_owner(nullptr), nullptr);
  expectedBoxes_ = 4;
}

}  // namespace
