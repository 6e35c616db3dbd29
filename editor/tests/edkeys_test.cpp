// Keys sent as real messages to hidden editor windows: the key and character tables,
// Shift-selection, keystroke macros (capture, pause, replay) and the recording cursor.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edkeys.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

enum Held : unsigned { NONE = 0, SHIFT = 1, CTRL = 2, ALT = 4, CAPS = 8 };

// Sets this thread's keyboard state: the modifiers held and Caps Lock.
void SetKeys(unsigned held) {
  BYTE state[256] = {};
  if (held & SHIFT) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  if (held & CTRL) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (held & ALT) state[VK_MENU] = state[VK_LMENU] = 0x80;
  if (held & CAPS) state[VK_CAPITAL] = 0x01;
  SetKeyboardState(state);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class Keys : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override {
    edtest::IniClearOptions();
    SetKeys(NONE);
  }
  void TearDown() override {
    SetKeys(NONE);
    for (HWND w : windows_) DestroyWindow(w);
    Pump();
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
  // Characters as WM_CHAR messages, then the posted commands run.
  static void Chars(HWND w, const char* text) {
    for (const char* p = text; *p; ++p) Send(w, WM_CHAR, static_cast<unsigned char>(*p), 1);
    Pump();
  }
  static LRESULT Key(HWND w, WPARAM key) {
    LRESULT result = Send(w, WM_KEYDOWN, key, 1);
    Pump();
    return result;
  }
  static std::string Lines(HWND w) {
    std::string all;
    for (LineRecord* line = record_of(w)->firstLine; line; line = line->next) {
      if (line != record_of(w)->firstLine) all += "|";
      all.append(line->text, line->length);
    }
    return all;
  }
  static int Column(HWND w) { return record_of(w)->caretColumn; }
  static void PutOnClipboard(HWND owner, const char* text) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

TEST_F(Keys, KeyDownTable) {
  struct Case {
    UINT key;
    unsigned held;
    uint32_t expected;
  } cases[] = {
      {VK_HOME, NONE, KE_LINE_START},
      {VK_HOME, CTRL, KE_TEXT_START},
      {VK_END, NONE, KE_LINE_END},
      {VK_END, CTRL, KE_TEXT_END},
      {VK_PRIOR, NONE, KE_PAGE_UP},
      {VK_PRIOR, CTRL, KE_PREV_PARAGRAPH},
      {VK_NEXT, NONE, KE_PAGE_DOWN},
      {VK_NEXT, CTRL, KE_NEXT_PARAGRAPH},
      {VK_LEFT, NONE, KE_CHAR_LEFT},
      {VK_LEFT, CTRL, KE_WORD_LEFT},
      {VK_RIGHT, NONE, KE_CHAR_RIGHT},
      {VK_RIGHT, CTRL, KE_WORD_RIGHT},
      {VK_UP, NONE, KE_LINE_UP},
      {VK_UP, CTRL, KE_FIRST_VISIBLE},
      {VK_DOWN, NONE, KE_LINE_DOWN},
      {VK_DOWN, CTRL, KE_LAST_VISIBLE},
      {VK_INSERT, NONE, KE_INSERT_MODE},
      {VK_INSERT, SHIFT, WM_PASTE},
      {VK_INSERT, CTRL, KE_COPY},
      {VK_DELETE, NONE, KE_DELETE_CHAR},
      {VK_DELETE, SHIFT, KE_DELETE_LINE},
      {VK_DELETE, CTRL, KE_DELETE_WORD},
      {VK_TAB, NONE, KE_TAB},
      {VK_TAB, SHIFT, KE_OUTDENT},
      {VK_BACK, NONE, KE_BACKSPACE},
      {VK_F3, SHIFT, KE_FIND_AGAIN},
      {VK_F4, NONE, KE_FIND_FORWARD},
      {VK_F4, SHIFT, KE_FIND_BACKWARD},
      {VK_F6, CTRL, KE_REPLACE_AGAIN},
      {VK_F1, NONE, 0},
      {VK_HOME, ALT, 0},
      {VK_SHIFT, SHIFT, 0},
      {VK_CONTROL, CTRL, 0},
      {'A', NONE, 0},
      {VK_HOME, SHIFT, 0},  // Shift+Home is a Shift-selection key: the table has nothing
  };
  for (const Case& c : cases) {
    SetKeys(c.held);
    EXPECT_EQ(translate_key(c.key), c.expected) << "key " << c.key << " held " << c.held;
  }
}

TEST_F(Keys, CharacterTable) {
  HWND w = Make();
  struct Case {
    UINT character;
    unsigned held;
    uint32_t expected;
  } cases[] = {
      {'a', NONE, 'a'},
      {'a', CAPS, 'A'},
      {'A', SHIFT, 'A'},
      {'A', SHIFT | CAPS, 'a'},
      {' ', NONE, ' '},
      {' ', CTRL, ' '},
      {'5', NONE, '5'},
      {'+', SHIFT, '+'},
      {')', CTRL, KE_MATCH_BRACE},
      {'!', SHIFT, '!'},
      {13, NONE, 13},
      {13, CTRL, 10},
      {25, CTRL, WM_PASTE},
      {22, CTRL, WM_PASTE},
      {26, CTRL, KE_UNDO},
      {1, CTRL, KE_LINE_START},
      {11, CTRL, KE_DELETE_TO_EOL},
      {7, CTRL, 0},
      {9, NONE, 0},
      {27, NONE, 0},
      {8, NONE, 0},
      {31, CTRL, 0},
      {0xE9, NONE, 0xE9},
  };
  for (const Case& c : cases) {
    SetKeys(c.held);
    EXPECT_EQ(translate_char(record_of(w), c.character), c.expected)
        << "char " << c.character << " held " << c.held;
  }
}

TEST_F(Keys, TypedCharactersReachTheText) {
  HWND w = Make();
  EXPECT_EQ(Send(w, WM_CHAR, 'a', 1), 1) << "translated keys answer 1";
  Pump();
  Chars(w, "b c");
  EXPECT_EQ(Lines(w), "ab c");
  SetKeys(CAPS);
  Chars(w, "x");
  SetKeys(SHIFT | CAPS);
  Chars(w, "Y");
  EXPECT_EQ(Lines(w), "ab cXy");
  SetKeys(NONE);
  EXPECT_EQ(Key(w, VK_HOME), 1);
  EXPECT_EQ(Column(w), 0);
  Key(w, VK_RIGHT);
  Key(w, VK_DELETE);
  EXPECT_EQ(Lines(w), "a cXy");
  Chars(w, "\r");
  EXPECT_EQ(Lines(w), "a| cXy");
}

TEST_F(Keys, UnboundKeysGoToTheDefaultProcedure) {
  HWND w = Make();
  SetText(w, "abc");
  SetKeys(CTRL);
  EXPECT_EQ(Send(w, WM_CHAR, 7, 1), DefWindowProcA(w, WM_CHAR, 7, 1));
  EXPECT_EQ(Send(w, WM_SYSCHAR, 'g', 1), DefWindowProcA(w, WM_SYSCHAR, 'g', 1));
  SetKeys(NONE);
  EXPECT_EQ(Send(w, WM_KEYDOWN, VK_F1, 1), DefWindowProcA(w, WM_KEYDOWN, VK_F1, 1));
  Pump();
  EXPECT_EQ(Lines(w), "abc");
  EXPECT_EQ(Column(w), 0);
}

TEST_F(Keys, PasteKeys) {
  HWND w = Make();
  PutOnClipboard(w, "XY");
  SetKeys(CTRL);
  Chars(w, "\x16");  // Ctrl+V
  EXPECT_EQ(Lines(w), "XY");
  Chars(w, "\x19");  // Ctrl+Y
  EXPECT_EQ(Lines(w), "XYXY");
  SetKeys(SHIFT);
  Key(w, VK_INSERT);
  EXPECT_EQ(Lines(w), "XYXYXY");
}

TEST_F(Keys, ShiftSelection) {
  HWND w = Make();
  SetText(w, "abcdef");
  Key(w, VK_RIGHT);
  SetKeys(SHIFT);
  Key(w, VK_RIGHT);
  const Selection& sel = record_of(w)->selection;
  EXPECT_EQ(sel.state, SEL_COMPLETE);
  EXPECT_EQ(sel.kind, SEL_STREAM | SEL_EXCLUSIVE);
  EXPECT_EQ(sel.anchor.column, 1) << "marking starts at the caret";
  EXPECT_EQ(sel.end.column, 2) << "a one-character selection";
  Key(w, VK_RIGHT);
  EXPECT_EQ(sel.anchor.column, 1);
  EXPECT_EQ(sel.end.column, 3) << "a further Shift+Right extends it";
  // A movement key without Shift releases it (ClearSelOnMove is on by default).
  SetKeys(NONE);
  Key(w, VK_RIGHT);
  EXPECT_EQ(sel.state, SEL_NONE);
  EXPECT_EQ(Column(w), 4);
  // With ClearSelOnMove off the selection stays.
  Option(w, "ClearSelOnMove", 0);
  SetKeys(SHIFT);
  Key(w, VK_LEFT);
  SetKeys(NONE);
  Key(w, VK_HOME);
  EXPECT_EQ(sel.state, SEL_COMPLETE);
  Send(w, KE_RELEASE_SELECTION);
  // Shift+Ctrl marks a column block only when CtrlKeyMarksRect is on.
  SetKeys(SHIFT | CTRL);
  Key(w, VK_END);
  EXPECT_EQ(sel.kind, SEL_STREAM | SEL_EXCLUSIVE);
  EXPECT_EQ(sel.end.column, 6) << "Ctrl+End is the end of the text";
  SetKeys(NONE);
  Send(w, KE_RELEASE_SELECTION);
  Option(w, "CtrlKeyMarksRect", 1);
  Key(w, VK_HOME);
  SetKeys(SHIFT | CTRL);
  Key(w, VK_END);
  EXPECT_EQ(sel.kind, SEL_COLUMN | SEL_EXCLUSIVE);
}

TEST_F(Keys, MacroCaptureAndReplay) {
  HWND w = Make();
  EXPECT_EQ(Send(w, KE_MACRO_RECORD), 1);
  Chars(w, "hi");
  Key(w, VK_LEFT);
  EXPECT_EQ(Send(w, KE_MACRO_RECORD), 1);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Keystrokes captured");
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Korvo Editor DLL");
  EXPECT_EQ(record_of(w)->state & ST_MACRO_CAPTURE, 0u);
  ASSERT_EQ(macro_last_index(), 3);
  EXPECT_EQ(macro_entry(0)->message, static_cast<UINT>(KE_TYPE_CHAR));
  EXPECT_EQ(macro_entry(0)->wParam, static_cast<WPARAM>('h'));
  EXPECT_EQ(macro_entry(1)->wParam, static_cast<WPARAM>('i'));
  EXPECT_EQ(macro_entry(2)->message, static_cast<UINT>(KE_CHAR_LEFT));
  EXPECT_EQ(macro_entry(3)->message, 0u) << "the end entry";
  EXPECT_EQ(Lines(w), "hi");
  EXPECT_EQ(Column(w), 1);
  // Replay types the same keys again at the caret.
  EXPECT_EQ(Send(w, KE_MACRO_PLAY), 1);
  EXPECT_EQ(Lines(w), "hhii");
  EXPECT_EQ(Column(w), 2);
  EXPECT_EQ(record_of(w)->state & ST_MACRO_REPLAY, 0u);
  // Another window replays the same macro.
  HWND other = Make();
  EXPECT_EQ(Send(other, KE_MACRO_PLAY), 1);
  EXPECT_EQ(Lines(other), "hi");
}

TEST_F(Keys, MacroPauseMarker) {
  HWND w = Make();
  Send(w, KE_MACRO_RECORD);
  Chars(w, "a");
  EXPECT_EQ(Send(w, KE_MACRO_PAUSE), 1);
  EXPECT_TRUE(record_of(w)->state & ST_MACRO_PAUSED);
  Chars(w, "b");  // not captured while paused
  EXPECT_EQ(Send(w, KE_MACRO_PAUSE), 1);
  Chars(w, "c");
  Send(w, KE_MACRO_RECORD);
  ASSERT_EQ(macro_last_index(), 3);
  EXPECT_EQ(macro_entry(1)->message, static_cast<UINT>(KE_MACRO_PAUSE));
  EXPECT_EQ(macro_entry(2)->wParam, static_cast<WPARAM>('c'));
  EXPECT_EQ(Lines(w), "abc");
  EXPECT_EQ(Send(w, KE_MACRO_PLAY), 1);
  EXPECT_EQ(Lines(w), "abca") << "the replay stops at the pause marker";
  EXPECT_TRUE(record_of(w)->state & ST_MACRO_PAUSED);
}

TEST_F(Keys, MacroRefusals) {
  HWND w = Make();
  EXPECT_EQ(Send(w, KE_MACRO_PAUSE), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Can't pause if not capturing.");
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Pause Macro");
  Send(w, KE_MACRO_RECORD);
  Chars(w, "x");
  EXPECT_EQ(Send(w, KE_MACRO_PLAY), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[1].text, "Can't replay keystrokes while recording");
  EXPECT_EQ(macro_last_index(), 0) << "the refused replay is not kept in the macro";
  Send(w, KE_MACRO_RECORD);
  EXPECT_EQ(macro_last_index(), 1);
  // An empty macro replays nothing and shows nothing.
  Send(w, KE_MACRO_RECORD);
  Send(w, KE_MACRO_RECORD);
  size_t boxes = boxes_.Boxes().size();
  EXPECT_EQ(Send(w, KE_MACRO_PLAY), 0);
  EXPECT_EQ(boxes_.Boxes().size(), boxes);
  EXPECT_EQ(Lines(w), "x");
}

TEST_F(Keys, MacroBufferGrows) {
  HWND w = Make();
  Send(w, KE_MACRO_RECORD);
  for (int i = 0; i < 600; ++i) Send(w, KE_TYPE_CHAR, 'a' + i % 26);
  Send(w, KE_MACRO_RECORD);
  EXPECT_EQ(macro_last_index(), 600);
  HWND other = Make();
  Send(other, KE_MACRO_PLAY);
  EXPECT_EQ(Lines(other), Lines(w));
}

TEST_F(Keys, RecordingCursor) {
  HWND w = Make();
  ASSERT_NE(LoadCursorA(GetModuleHandleA(nullptr), "Record"), nullptr)
      << GetLastError() << " the test's resource";
  const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  const WPARAM self = reinterpret_cast<WPARAM>(w);
  Option(w, "IgnoreSetCursor", 0);  // the settings file's default is 1
  // Not capturing: the default handling asks the parent first.
  EXPECT_EQ(Send(w, WM_SETCURSOR, self, client), DefWindowProcA(w, WM_SETCURSOR, self, client));
  EXPECT_GT(parent_.setCursorAsked, 0);
  // Capturing: the control sets "Record" itself.
  Send(w, KE_MACRO_RECORD);
  parent_.Clear();
  EXPECT_EQ(Send(w, WM_SETCURSOR, self, client), 1);
  EXPECT_EQ(parent_.setCursorAsked, 0);
  HCURSOR record = GetCursor();
  EXPECT_NE(record, nullptr);
  EXPECT_NE(record, LoadCursor(nullptr, IDC_IBEAM));
  // Outside the client area the default handling runs.
  Send(w, WM_SETCURSOR, self, MAKELPARAM(HTVSCROLL, WM_MOUSEMOVE));
  EXPECT_GT(parent_.setCursorAsked, 0);
  // IgnoreSetCursor on: the default handling decides even while capturing.
  Option(w, "IgnoreSetCursor", 1);
  parent_.Clear();
  EXPECT_EQ(Send(w, WM_SETCURSOR, self, client), DefWindowProcA(w, WM_SETCURSOR, self, client));
  EXPECT_GT(parent_.setCursorAsked, 0);
  Option(w, "IgnoreSetCursor", 0);
  // Capture ended: the class cursor comes back.
  Send(w, KE_MACRO_RECORD);
  parent_.Clear();
  EXPECT_EQ(Send(w, WM_SETCURSOR, self, client), 1);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_IBEAM));
  EXPECT_EQ(parent_.setCursorAsked, 0);
}

}  // namespace
