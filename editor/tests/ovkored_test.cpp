// The editor control as hosts see it: ovkored.dll loaded by name, windows of class
// "KorvoEdit" driven by messages. Windows stay hidden; every box is answered.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

using edtest::MakeEditor;
using edtest::Parent;

namespace {

HMODULE g_library;

class Editor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    edtest::IniClearOptions();
    g_library = LoadLibraryA("ovkored.dll");
  }
  static void TearDownTestSuite() {
    edtest::IniClearOptions();
    DeleteFileA(edtest::IniPath().c_str());
  }
  void SetUp() override {
    ASSERT_NE(g_library, nullptr);
    edtest::IniClearOptions();
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    EXPECT_EQ(boxes_.Boxes().size(), expectedBoxes_) << "a box nobody expected";
  }
  HWND Make(HWND parent, DWORD style = 0, const char* param = nullptr) {
    HWND w = MakeEditor(parent, style, param);
    EXPECT_NE(w, nullptr);
    windows_.push_back(w);
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static LRESULT Option(HWND w, const char* key) {
    return Send(w, KE_GET_OPTION, 0, reinterpret_cast<LPARAM>(key));
  }
  static LRESULT SetOption(HWND w, const char* key, WPARAM value) {
    return Send(w, KE_SET_OPTION, value, reinterpret_cast<LPARAM>(key));
  }

  testkit::BoxAnswerer boxes_;
  size_t expectedBoxes_ = 0;
  Parent parent_;
  std::vector<HWND> windows_;
};

// ---- library and windows ----

TEST_F(Editor, LibraryRegistersTheClassOncePerProcess) {
  WNDCLASSEXA wc = {sizeof wc};
  ASSERT_TRUE(GetClassInfoExA(g_library, "KorvoEdit", &wc));
  EXPECT_EQ(wc.style, 0x400Bu);
  EXPECT_EQ(wc.cbWndExtra, static_cast<int>(sizeof(void*)));
  EXPECT_TRUE(GetClassInfoExA(g_library, "KORVOEDIT", &wc)) << "class names ignore case";

  auto init = reinterpret_cast<InitEditorFn>(GetProcAddress(g_library, "InitEditor"));
  auto version = reinterpret_cast<KorvoEditorVersionFn>(GetProcAddress(g_library, "KorvoEditorVersion"));
  ASSERT_TRUE(init && version);
  EXPECT_NE(GetProcAddress(g_library, "EditorWndProc"), nullptr);
  EXPECT_NE(GetProcAddress(g_library, "OptionsDlgProc"), nullptr);
  EXPECT_EQ(version(), 1);

  HMODULE again = LoadLibraryA("ovkored.dll");
  EXPECT_EQ(again, g_library);
  EXPECT_EQ(init(g_library), 0) << "the class is registered already";
  FreeLibrary(again);
  // Unloading takes the class away, so the library can be loaded again.
  ASSERT_TRUE(FreeLibrary(g_library));
  EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "KorvoEdit", &wc));
  g_library = LoadLibraryA("ovkored.dll");
  ASSERT_NE(g_library, nullptr);
  EXPECT_NE(Make(parent_.Handle()), nullptr);
}

TEST_F(Editor, CreationNamesTheDocument) {
  // A file called "Untitled" must never be opened in place of an untitled document.
  FILE* f = fopen("Untitled", "w");
  ASSERT_TRUE(f);
  fputs("not to be read\r\n", f);
  fclose(f);
  struct Case {
    const char* param;
    const char* ignore;
    const char* name;
  } cases[] = {
      {nullptr, nullptr, "Untitled"}, {"notes.txt", nullptr, "notes.txt"}, {"UNTITLED", nullptr, "untitled"},
      {"notes.txt", "1", "Untitled"}, {nullptr, "1", "Untitled"},          {"notes.txt", "0", "notes.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.param ? c.param : "(none)") + " ignore=" + (c.ignore ? c.ignore : "-"));
    edtest::IniClearOptions();
    if (c.ignore) edtest::IniSet("IgnoreCreateParams", c.ignore);
    HWND w = Make(parent_.Handle(), 0, c.param);
    EditorRecord* rec = record_of(w);
    ASSERT_TRUE(rec && rec->fileName);
    EXPECT_EQ(lstrcmpiA(rec->fileName, c.name), 0) << rec->fileName;
    EXPECT_EQ(Send(w, WM_GETTEXTLENGTH), 0);
    EXPECT_EQ(Send(w, EM_GETLINECOUNT), 1);
    EXPECT_EQ(rec->lineNumber, 1);
  }
  DeleteFileA("Untitled");
}

TEST_F(Editor, RecordIdsDifferAfterDestruction) {
  HWND first = MakeEditor(parent_.Handle());
  int32_t firstId = record_of(first)->id;
  DestroyWindow(first);
  HWND second = Make(parent_.Handle());
  EXPECT_NE(record_of(second)->id, firstId);
  EXPECT_GT(record_of(second)->id, 0);
}

// ---- text ----

TEST_F(Editor, SetTextCutsLines) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
    std::vector<int> capacities;
  } cases[] = {
      {"", {""}, {8}},
      {"a", {"a"}, {16}},
      {"a\r\nb\r\n", {"a", "b", ""}, {16, 16, 8}},
      {"x\ny\rz", {"x", "y", "z"}, {16, 16, 16}},
      {"\n\r", {"", "", ""}, {8, 8, 8}},
      {"\r\n\r\n", {"", "", ""}, {8, 8, 8}},
      {"123456789012345", {"123456789012345"}, {16}},
      {"1234567890123456", {"1234567890123456"}, {32}},
      {"one\r\n\r\nthree", {"one", "", "three"}, {16, 8, 16}},
  };
  HWND w = Make(parent_.Handle());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    ASSERT_EQ(Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text)), 1);
    EditorRecord* rec = record_of(w);
    std::vector<std::string> lines;
    std::vector<int> capacities;
    for (LineRecord* l = rec->firstLine; l; l = l->next) {
      lines.emplace_back(l->text, l->length);
      capacities.push_back(l->capacity);
      EXPECT_EQ(l->text[l->length], '\0');
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(capacities, c.capacities);
    EXPECT_EQ(rec->lineCount, static_cast<int>(c.lines.size()));
    EXPECT_EQ(Send(w, EM_GETLINECOUNT), static_cast<LRESULT>(c.lines.size()));
    EXPECT_EQ(Send(w, KE_EM_GETLINECOUNT), static_cast<LRESULT>(c.lines.size()));
    EXPECT_EQ(rec->currentLine, rec->firstLine);
    EXPECT_EQ(rec->lineNumber, 1);
    EXPECT_EQ(rec->caretColumn, 0);
    EXPECT_EQ(Send(w, EM_GETMODIFY), 1) << "a new text counts as one change";
  }
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tab\there\r\nplain"));
  EXPECT_TRUE(record_of(w)->firstLine->flags & LF_HAS_TABS);
  EXPECT_FALSE(record_of(w)->lastLine->flags & LF_HAS_TABS);

  EXPECT_EQ(Send(w, WM_SETTEXT, 0, 0), 1) << "no text: only a repaint";
  EXPECT_EQ(edtest::Text(w), "tab\there\r\nplain\r\n");
}

TEST_F(Editor, GetTextIsBoundedByTheBuffer) {
  HWND w = Make(parent_.Handle());
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\nc"));
  EXPECT_EQ(Send(w, WM_GETTEXTLENGTH), 7) << "every break counts 2, the last line's too";
  struct Case {
    WPARAM size;
    LRESULT result;
    const char* text;
  } cases[] = {
      {8, 8, "ab\r\nc\r\n"}, {7, 7, "ab\r\nc\r"}, {6, 6, "ab\r\nc"}, {1, 1, ""}, {100, 8, "ab\r\nc\r\n"},
  };
  for (UINT msg : {static_cast<UINT>(WM_GETTEXT), static_cast<UINT>(KE_GET_TEXT)}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "message " << msg << " size " << c.size);
      char buffer[128];
      memset(buffer, 'Z', sizeof buffer);
      EXPECT_EQ(Send(w, msg, c.size, reinterpret_cast<LPARAM>(buffer)), c.result);
      EXPECT_STREQ(buffer, c.text);
      EXPECT_EQ(buffer[c.size < 100 ? c.size : 9], 'Z') << "nothing written past the buffer";
    }
    char untouched[8];
    memset(untouched, 'Z', sizeof untouched);
    EXPECT_EQ(Send(w, msg, 0, reinterpret_cast<LPARAM>(untouched)), 0) << "size 0 copies nothing";
    EXPECT_EQ(std::string(untouched, 8), std::string(8, 'Z'));
    EXPECT_EQ(Send(w, msg, 10, 0), 0) << "no buffer";
  }
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
  EXPECT_EQ(Send(w, WM_GETTEXTLENGTH), 5) << "one line: its length";
  EXPECT_EQ(edtest::Text(w), "hello");
}

// ---- messages and the command table ----

TEST_F(Editor, NumbersWithoutRowsAnswerOneAndChangeNothing) {
  HWND w = Make(parent_.Handle());
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("keep\r\nthis"));
  Send(w, EM_SETMODIFY, 0);
  Send(w, KE_NOTHING);
  parent_.Clear();
  for (UINT msg : {0x93Au, 0x93Eu, 0x95Cu, 0x970u, 0x99Au, 0x9A2u, 0x9BFu, 0x9D0u, 0x9E9u}) {
    SCOPED_TRACE(msg);
    EXPECT_EQ(Send(w, msg, 1, 1), 1);
  }
  EXPECT_EQ(Send(w, KE_NOTHING), 1);
  EXPECT_EQ(edtest::Text(w), "keep\r\nthis\r\n");
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0);
  EXPECT_TRUE(parent_.notices.empty());
}

TEST_F(Editor, ReadOnlyWindowRefusesEditingCommands) {
  HWND w = Make(parent_.Handle());
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fixed"));
  Send(w, EM_SETMODIFY, 0);
  EXPECT_EQ(Send(w, EM_SETREADONLY, 1), 1);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & ES_KE_READONLY);
  EXPECT_TRUE(record_of(w)->state & ST_READ_ONLY);
  parent_.Clear();
  struct Case {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } cases[] = {
      {KE_TYPE_CHAR, 'x', 0},     {KE_BACKSPACE, 0, 0},   {KE_DELETE_CHAR, 0, 0},
      {KE_OPEN_LINE_AFTER, 0, 0}, {KE_DELETE_LINE, 0, 0}, {KE_INSERT_TEXT, 0, (LPARAM) "new"},
      {WM_PASTE, 0, 0},           {KE_TAB, 0, 0},         {KE_CUT, 0, 0},
      {KE_CUT_APPEND, 0, 0},      {KE_INSERT_PICK, 0, 0}, {KE_INSERT_PICK_ONCE, 0, 0},
      {KE_DUPLICATE_LINE, 0, 0},  {WM_CUT, 0, 0},         {WM_CLEAR, 0, 0},
  };
  // Something to paste, and the caret inside the text, so that each command would act.
  EXPECT_EQ(Send(w, KE_COPY), 1) << "copying is not an edit";
  Send(w, KE_LINE_END);
  Send(w, KE_CHAR_LEFT);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.msg);
    EXPECT_EQ(Send(w, c.msg, c.wp, c.lp), 0);
  }
  EXPECT_EQ(edtest::Text(w), "fixed");
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0);
  for (const edtest::Notice& n : parent_.notices) EXPECT_NE(n.code, KEN_CHANGE);
  // The same commands do act on a window that may be edited.
  EXPECT_EQ(Send(w, KE_EM_SETREADONLY, 0), 1);
  for (const Case& c : cases) {
    if (c.msg == WM_PASTE || c.msg == WM_CUT || c.msg == WM_CLEAR || c.msg == KE_INSERT_TEXT) continue;
    SCOPED_TRACE(c.msg);
    Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fixed"));
    Send(w, KE_LINE_END);
    Send(w, KE_CHAR_LEFT);
    EXPECT_EQ(Send(w, c.msg, c.wp, c.lp), 1);
    EXPECT_NE(edtest::Text(w), "fixed");
  }
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("fixed"));
  Send(w, EM_SETMODIFY, 0);
  EXPECT_EQ(Send(w, EM_SETREADONLY, 1), 1);

  EXPECT_EQ(Send(w, KE_EM_SETREADONLY, 0), 1);
  EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & ES_KE_READONLY);
  EXPECT_FALSE(record_of(w)->state & ST_READ_ONLY);
  HWND created = Make(parent_.Handle(), ES_KE_READONLY);
  EXPECT_TRUE(record_of(created)->state & ST_READ_ONLY);
}

TEST_F(Editor, ModifyCounterAndDialogCode) {
  HWND w = Make(parent_.Handle());
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0);
  EXPECT_EQ(Send(w, EM_SETMODIFY, 9), 9);
  EXPECT_EQ(Send(w, KE_EM_GETMODIFY), 9);
  EXPECT_EQ(Send(w, KE_EM_SETMODIFY, 0), 0);
  EXPECT_EQ(Send(w, EM_GETMODIFY), 0);

  struct Case {
    DWORD style;
    LRESULT code;
  } cases[] = {{0, 0x89}, {0x1000, 0x0C}, {0x8000, 0x0C}, {0x0800, 0x89}};
  for (const Case& c : cases) {
    HWND e = Make(parent_.Handle(), c.style);
    EXPECT_EQ(Send(e, WM_GETDLGCODE), c.code) << std::hex << c.style;
  }
}

TEST_F(Editor, ParentHearsFocusChangesAndPositions) {
  HWND w = Make(parent_.Handle());
  parent_.Clear();
  Send(w, WM_SETFOCUS, 0);
  Send(w, WM_KILLFOCUS, 0);
  ASSERT_EQ(parent_.Codes(), (std::vector<WORD>{KEN_SETFOCUS, KEN_KILLFOCUS}));
  EXPECT_EQ(parent_.notices[0].id, 77);
  EXPECT_EQ(parent_.notices[0].from, w);

  struct Step {
    UINT msg;
    WPARAM wp;
    const char* text;
    std::vector<WORD> codes;
  } steps[] = {
      {KE_NOTHING, 0, nullptr, {KEN_POSITION}},  // creation placed the caret
      {KE_NOTHING, 0, nullptr, {}},
      {KE_EM_SETMODIFY, 5, nullptr, {KEN_CHANGE}},
      {KE_EM_SETMODIFY, 5, nullptr, {}},         // counter unchanged
      {KE_EM_SETMODIFY, 0, nullptr, {}},         // changed, but to 0
      {EM_SETMODIFY, 3, nullptr, {}},            // not a command: no wrapper
      {WM_SETTEXT, 0, "moved\r\ntext", {}},      // not a command either
      {KE_NOTHING, 0, nullptr, {KEN_POSITION}},  // the caret moved to line 1
      {KE_CARET_REPORT, 0, nullptr, {}},
      {KE_GET_OPTION, 0, "TabIncrement", {}},
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "step " << i++);
    parent_.Clear();
    Send(w, s.msg, s.wp, reinterpret_cast<LPARAM>(s.text));
    EXPECT_EQ(parent_.Codes(), s.codes);
  }

  parent_.Clear();
  Send(w, WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(parent_.mouse, std::vector<UINT>{WM_RBUTTONDOWN}) << "the parent sees clicks first";

  // No parent: nothing to tell, and the commands still answer.
  HWND alone = Make(nullptr);
  parent_.Clear();
  Send(alone, WM_SETFOCUS, 0);
  EXPECT_EQ(Send(alone, KE_EM_SETMODIFY, 4), 4);
  EXPECT_EQ(Send(alone, KE_NOTHING), 1);
  EXPECT_TRUE(parent_.notices.empty());
}

TEST_F(Editor, SetRedrawSuspendsTheDisplayUpdate) {
  HWND w = Make(parent_.Handle());
  Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo\r\nthree"));
  int32_t report[5] = {};
  EXPECT_EQ(Send(w, WM_SETREDRAW, 1), 1);
  parent_.Clear();
  EXPECT_EQ(Send(w, KE_NOTHING), 1);
  EXPECT_EQ(parent_.Codes(), std::vector<WORD>{KEN_POSITION}) << "positions still reported";
  ASSERT_EQ(Send(w, KE_CARET_REPORT, 0, reinterpret_cast<LPARAM>(report)), 1);
  EXPECT_EQ(report[2], -1) << "the caret row was not brought up to date";
  EXPECT_EQ(Send(w, KE_EM_SETMODIFY, 2), 2) << "commands still run";

  EXPECT_EQ(Send(w, WM_SETREDRAW, 0), 1);
  ASSERT_EQ(Send(w, KE_CARET_REPORT, 0, reinterpret_cast<LPARAM>(report)), 1);
  EXPECT_EQ(report[0], 1);  // insert mode
  EXPECT_EQ(report[1], 0);  // caret column
  EXPECT_EQ(report[2], 0);  // caret row: line 1 is the first visible line
  EXPECT_EQ(report[3], 1);  // current line
  EXPECT_EQ(report[4], 3);  // line count
  EXPECT_EQ(Send(w, KE_CARET_REPORT, 0, 0), 0);
}

// ---- settings ----

TEST_F(Editor, DefaultsWithoutSettingsFile) {
  HWND w = Make(parent_.Handle());
  struct Case {
    const char* key;
    LRESULT value;
  } cases[] = {
      {"IgnoreSetCursor", 1},       {"UseRealTabs", 1}, {"TabIncrement", 8}, {"RightMargin", 80},
      {"WindowsCompatibility", 21}, {"TabFill", 32},    {"InsertMode", 1},   {"ScrollBars", 0},
      {"UseSoftReturns", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Option(w, c.key), c.value) << c.key;
  HWND bars = Make(parent_.Handle(), WS_VSCROLL | WS_HSCROLL);
  EXPECT_EQ(Option(bars, "ScrollBars"), 3);
  EXPECT_EQ(SendMessageA(w, KE_SET_READ_NOTIFY_LINES, 250, 0), 1);
  EXPECT_EQ(Option(w, "LinesForReadNotify"), 250);
}

TEST_F(Editor, OptionsByName) {
  HWND w = Make(parent_.Handle());
  HWND other = Make(parent_.Handle());
  struct Case {
    const char* key;
    WPARAM value;
    LRESULT result;
    LRESULT stored;
  } cases[] = {
      {"TabIncrement", 0, 1, 2},    {"TabIncrement", 1, 1, 2},
      {"TabIncrement", 2, 1, 2},    {"TabIncrement", (WPARAM)-4, 1, 2},
      {"TabIncrement", 3, 1, 3},    {"Wordwrap", 'y', 1, 1},
      {"Wordwrap", 'n', 1, 0},      {"Wordwrap", 5, 1, 5},
      {"TabFill", 0x141, 1, 0x41},  {"TabFill", 'y', 1, 'y'},
      {"RightMargin", 'y', 1, 'y'}, {"IndentAmount", 4, 1, 4},
      {"tabincrement", 4, 0, -1},   {"NoSuchKey", 1, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << "=" << (long long)c.value);
    EXPECT_EQ(SetOption(w, c.key, c.value), c.result);
    EXPECT_EQ(Option(w, c.key), c.stored);
  }
  EXPECT_EQ(Option(w, "TabIncrement"), 3);
  EditorRecord* rec = record_of(w);
  EXPECT_EQ(rec->tabMarks[3], 1);
  EXPECT_EQ(rec->tabMarks[4], 0);
  EXPECT_EQ(rec->tabMarks[255], 1);
  EXPECT_EQ(rec->tabCount, 1);
  EXPECT_EQ(rec->tabPositions[0] % 3, 0);
  // Each window answers for its own block.
  EXPECT_EQ(Option(other, "TabIncrement"), 8);
  EXPECT_EQ(Option(other, "Wordwrap"), 0);
  EXPECT_EQ(Send(w, KE_GET_OPTION, 0, 0), -1) << "no key";
}

TEST_F(Editor, SettingsFileIsReadForEveryNewWindow) {
  HWND before = Make(parent_.Handle());
  edtest::IniSet("TabIncrement", "4");
  edtest::IniSet("RightMargin", "72");
  edtest::IniSet("TabFill", "511");  // a byte keeps the low 8 bits
  edtest::IniSet("TabIncrement", "4");
  HWND after = Make(parent_.Handle());
  EXPECT_EQ(Option(after, "TabIncrement"), 4);
  EXPECT_EQ(Option(after, "RightMargin"), 72);
  EXPECT_EQ(Option(after, "TabFill"), 255);
  EXPECT_EQ(Option(after, "GoFreeSpace"), 1);
  EXPECT_EQ(record_of(after)->tabMarks[4], 1);
  EXPECT_EQ(Option(before, "RightMargin"), 80) << "a window keeps its own copy";
  edtest::IniSet("TabIncrement", "0");
  EXPECT_EQ(Option(Make(parent_.Handle()), "TabIncrement"), 2) << "no usable tab table from 0";
}

TEST_F(Editor, OptionsDialogOkAppliesCancelDoesNot) {
  HWND w = Make(parent_.Handle());
  edtest::DialogEditor edit([](HWND dlg) {
    SetDlgItemInt(dlg, IDC_OPT_RIGHTMARGIN, 72, TRUE);
    SetDlgItemInt(dlg, IDC_OPT_TABINCREMENT, 4, TRUE);
    SetDlgItemInt(dlg, IDC_OPT_TABFILL, 0x12D, TRUE);
    CheckDlgButton(dlg, IDC_OPT_WORDWRAP, BST_CHECKED);
    CheckDlgButton(dlg, IDC_OPT_INSERTMODE, BST_UNCHECKED);
  });
  boxes_.Script(IDCANCEL);
  EXPECT_EQ(Send(w, KE_OPTIONS_DIALOG), 0);
  EXPECT_EQ(Option(w, "RightMargin"), 80);
  EXPECT_EQ(Option(w, "Wordwrap"), 0);

  boxes_.Script(IDOK);
  EXPECT_EQ(Send(w, KE_OPTIONS_DIALOG), 1);
  EXPECT_EQ(Option(w, "RightMargin"), 72);
  EXPECT_EQ(Option(w, "TabIncrement"), 4);
  EXPECT_EQ(Option(w, "TabFill"), 0x2D);
  EXPECT_EQ(Option(w, "Wordwrap"), 1);
  EXPECT_EQ(Option(w, "InsertMode"), 0);
  EXPECT_EQ(record_of(w)->tabMarks[4], 1) << "tab stops follow the new increment";
  EXPECT_EQ(edtest::IniGet("RightMargin"), "") << "OK does not save";
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Editor Options");
  expectedBoxes_ = 2;
}

TEST_F(Editor, SaveButtonWritesEveryKey) {
  HWND w = Make(parent_.Handle());
  SetOption(w, "LeftOffset", 3);
  edtest::DialogEditor edit([](HWND dlg) { SetDlgItemInt(dlg, IDC_OPT_RIGHTMARGIN, 66, TRUE); });
  boxes_.Script(IDC_OPT_SAVEDEFAULTS);
  EXPECT_EQ(Send(w, KE_OPTIONS_DIALOG), 1);
  const char* keys[] = {"GoFreeSpace",
                        "UseRealTabs",
                        "HighBitsOff",
                        "EntabLine",
                        "Wordwrap",
                        "AutoReformat",
                        "Justify",
                        "TwoSpaces",
                        "CompressSpaces",
                        "InsertMode",
                        "AutoIndent",
                        "UndoEnabled",
                        "ClearSelOnMove",
                        "IgnoreSetCursor",
                        "CtrlKeyMarksRect",
                        "WindowsScrolling",
                        "TabFill",
                        "TabIncrement",
                        "IndentAmount",
                        "RightMargin",
                        "ScrollBars",
                        "LeftOffset",
                        "TopOffset",
                        "RightOffset",
                        "BottomOffset",
                        "WindowsCompatibility",
                        "LinesForReadNotify",
                        "OwnerDrawn",
                        "UseSoftReturns"};
  for (const char* key : keys) EXPECT_NE(edtest::IniGet(key), "") << key;
  EXPECT_EQ(edtest::IniGet("RightMargin"), "66");
  EXPECT_EQ(edtest::IniGet("LeftOffset"), "3");
  EXPECT_EQ(edtest::IniGet("TabFill"), "32");
  EXPECT_EQ(edtest::IniGet("IgnoreSetCursor"), "1");

  HWND fresh = Make(parent_.Handle());
  EXPECT_EQ(Option(fresh, "RightMargin"), 66);
  EXPECT_EQ(Option(fresh, "LeftOffset"), 3);
  EXPECT_EQ(record_of(fresh)->view->marginLeft, 3);
  expectedBoxes_ = 1;
}

}  // namespace
