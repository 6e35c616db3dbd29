// Search and replace by request on hidden editor windows.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edlines.h"
#include "edrecord.h"
#include "edsearch.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

SearchRequest Request(const char* pattern, uint32_t flags, const char* replacement = "") {
  SearchRequest r = {};
  r.flags = flags;
  strncpy(r.pattern, pattern, sizeof r.pattern - 1);
  strncpy(r.replacement, replacement, sizeof r.replacement - 1);
  return r;
}

class Search : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override { edtest::IniClearOptions(); }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Make(const char* text) {
    HWND w = edtest::MakeEditor(parent_.Handle());
    windows_.push_back(w);
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, const SearchRequest& r) {
    return SendMessageA(w, msg, 0, reinterpret_cast<LPARAM>(&r));
  }
  static std::string Lines(HWND w) {
    std::string all;
    for (LineRecord* line = record_of(w)->firstLine; line; line = line->next) {
      if (line != record_of(w)->firstLine) all += "|";
      all.append(line->text, line->length);
    }
    return all;
  }
  static void Place(HWND w, int line, int column) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, line - 1);
    rec->lineNumber = line;
    rec->caretColumn = column;
  }
  static std::pair<int, int> Caret(HWND w) { return {record_of(w)->lineNumber, record_of(w)->caretColumn}; }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

TEST_F(Search, FindTable) {
  struct Case {
    const char* pattern;
    uint32_t flags;
    UINT command;
    int line, column;  // start
    LRESULT result;
    int endLine, endColumn;
  } cases[] = {
      {"ab", SF_PLAIN | SF_WHOLE_WORD, KE_FIND_FORWARD, 1, 0, 5, 1, 4},  // "xab ab": the second
      {"ab", SF_PLAIN | SF_WHOLE_WORD, KE_FIND_FORWARD, 2, 0, 0, 2, 0},  // "ab.c": not a word
      {"ab", SF_PLAIN, KE_FIND_FORWARD, 2, 0, 1, 2, 0},
      {"AB", SF_PLAIN, KE_FIND_FORWARD, 1, 0, 0, 1, 0},
      {"AB", SF_PLAIN | SF_IGNORE_CASE, KE_FIND_FORWARD, 1, 0, 2, 1, 1},
      {"c", SF_PLAIN, KE_FIND_FORWARD, 1, 0, 4, 2, 3},
      {"xab", SF_PLAIN, KE_FIND_FORWARD, 2, 0, 0, 2, 0},  // no wrap-around to the top
      {"ab", SF_PLAIN, KE_FIND_BACKWARD, 3, 0, 1, 2, 0},  // backward: the previous line
      {"xab", SF_PLAIN, KE_FIND_BACKWARD, 2, 2, 1, 1, 0},
      {"a:d", 0, KE_FIND_FORWARD, 1, 0, 1, 3, 0},
      {"1\\cd", 0, KE_FIND_FORWARD, 1, 0, 2, 3, 2},       // the caret marker
      {"\\1\\(a\\)", 0, KE_FIND_FORWARD, 1, 0, 0, 1, 0},  // does not compile
  };
  for (const Case& c : cases) {
    HWND w = Make("xab ab\r\nab.c\r\na1d");
    Place(w, c.line, c.column);
    SearchRequest r = Request(c.pattern, c.flags);
    EXPECT_EQ(Send(w, c.command, r), c.result) << c.pattern;
    EXPECT_EQ(Caret(w), std::make_pair(c.endLine, c.endColumn)) << c.pattern;
  }
}

TEST_F(Search, AgainFindsTheNextMatchAndSelects) {
  HWND w = Make("ab ab\r\nzz ab");
  SearchRequest r = Request("ab", SF_PLAIN | SF_SELECT);
  EXPECT_EQ(Send(w, KE_FIND_FORWARD, r), 1);
  EXPECT_EQ(record_of(w)->selection.state, SEL_COMPLETE);
  EXPECT_EQ(record_of(w)->selection.end.column, 2);
  EXPECT_EQ(SendMessageA(w, KE_FIND_AGAIN, 0, 0), 4);
  EXPECT_EQ(Caret(w), std::make_pair(1, 3));
  EXPECT_EQ(SendMessageA(w, KE_FIND_AGAIN, 0, 0), 4);
  EXPECT_EQ(Caret(w), std::make_pair(2, 3));
  // Nothing further: the caret stays and "Can't find" is shown.
  EXPECT_EQ(SendMessageA(w, KE_FIND_AGAIN, 0, 0), 0);
  EXPECT_EQ(Caret(w), std::make_pair(2, 3));
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Code Editor");
  char last[128] = "";
  EXPECT_EQ(SendMessageA(w, KE_GET_SEARCH_TEXT, 0, reinterpret_cast<LPARAM>(last)), 2);
  EXPECT_STREQ(last, "ab");
  // Silent requests show nothing.
  SearchRequest silent = Request("ab", SF_PLAIN | SF_SILENT);
  Send(w, KE_FIND_FORWARD, silent);
  EXPECT_EQ(SendMessageA(w, KE_FIND_AGAIN, 0, 0), 0);
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

TEST_F(Search, ReplaceTable) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    uint32_t flags;
    UINT command;
    LRESULT count;
    const char* after;
  } cases[] = {
      {"a", "a", "&&", SF_PLAIN, KE_REPLACE_FORWARD, 1, "aa"},
      {"a", "a", "&&", 0, KE_REPLACE_FORWARD, 1, "aa"},
      {"xy", "\\(x\\)y", "\\1", 0, KE_REPLACE_FORWARD, 1, "x"},
      {"a a|a", "a", "b", SF_PLAIN, KE_REPLACE_FORWARD, 1, "b a|a"},  // one replacement
      {"a a|a", "a", "b", SF_PLAIN | SF_CHANGE_ALL, KE_REPLACE_FORWARD, 3, "b b|b"},
      {"a a|a", "a", "aa", SF_PLAIN | SF_CHANGE_ALL, KE_REPLACE_FORWARD, 3, "aa aa|aa"},
      {"abc", "b", "\\t", SF_PLAIN, KE_REPLACE_FORWARD, 1, "a\tc"},
      {"ab|cd", "b\\nc", "-", 0, KE_REPLACE_FORWARD, 1, "a-d"},
      {"abc", "q", "x", SF_PLAIN, KE_REPLACE_FORWARD, 0, "abc"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    for (char& ch : text)
      if (ch == '|') ch = '\n';
    HWND w = Make(text.c_str());
    SearchRequest r = Request(c.pattern, c.flags, c.replacement);
    EXPECT_EQ(Send(w, c.command, r), c.count) << c.pattern;
    EXPECT_EQ(Lines(w), c.after) << c.pattern;
  }
}

TEST_F(Search, ReplaceBackwardPackedAndUndo) {
  HWND w = Make("a a a");
  Place(w, 1, 5);
  SearchRequest r = Request("a", SF_PLAIN | SF_PACKED);
  strcpy(r.pattern + 2, "zz");  // the replacement right behind the pattern
  EXPECT_EQ(Send(w, KE_REPLACE_BACKWARD, r), 1);
  EXPECT_EQ(Lines(w), "a a zz");
  r.flags |= SF_CHANGE_ALL;
  EXPECT_EQ(Send(w, KE_REPLACE_BACKWARD, r), 2);
  EXPECT_EQ(Lines(w), "zz zz zz");
  // Each replace command is undone as one step.
  EXPECT_EQ(SendMessageA(w, KE_UNDO, 0, 0), 1);
  EXPECT_EQ(Lines(w), "a a zz");
  EXPECT_EQ(SendMessageA(w, KE_UNDO, 0, 0), 1);
  EXPECT_EQ(Lines(w), "a a a");
}

TEST_F(Search, RefusalsAndBadRequests) {
  HWND w = Make("abc");
  EXPECT_EQ(SendMessageA(w, KE_EM_SETREADONLY, 1, 0), 1);
  SearchRequest r = Request("a", SF_PLAIN | SF_CHANGE_ALL, "b");
  EXPECT_EQ(Send(w, KE_REPLACE_FORWARD, r), 0);
  EXPECT_EQ(Lines(w), "abc");
  SendMessageA(w, KE_EM_SETREADONLY, 0, 0);
  // Fields without terminators are read no further than the request.
  SearchRequest full;
  memset(&full, 'b', sizeof full);
  full.flags = SF_PLAIN;
  EXPECT_EQ(Send(w, KE_FIND_FORWARD, full), 0);
  full.flags = SF_PLAIN | SF_PACKED | SF_CHANGE_ALL;
  EXPECT_EQ(Send(w, KE_REPLACE_FORWARD, full), 0);
  EXPECT_EQ(Lines(w), "abc");
  // A replacement that expands past 512 characters is cut.
  std::string amps(127, '&');
  HWND big = Make("xxxxx");
  SearchRequest expand = Request("xxxxx", SF_PLAIN, amps.c_str());
  EXPECT_EQ(Send(big, KE_REPLACE_FORWARD, expand), 1);
  EXPECT_EQ(Lines(big), std::string(512, 'x'));
}

std::string Caption(HWND dlg) {
  char caption[64] = "";
  GetWindowTextA(dlg, caption, sizeof caption);
  return caption;
}

TEST_F(Search, SearchDialog) {
  HWND w = Make("xx ab ab");
  int comboEntries = -1;
  std::string text = "ab";
  edtest::DialogEditor edit([&](HWND dlg) {
    if (Caption(dlg) != "Search") return;
    comboEntries = static_cast<int>(SendDlgItemMessageA(dlg, IDC_SRCH_FIND, CB_GETCOUNT, 0, 0));
    SetDlgItemTextA(dlg, IDC_SRCH_FIND, text.c_str());
    CheckDlgButton(dlg, IDC_SRCH_REGEX, BST_UNCHECKED);
  });
  boxes_.Script(IDOK);
  EXPECT_EQ(SendMessageA(w, KE_FIND_FORWARD, 0, 0), 4);
  EXPECT_EQ(Caret(w), std::make_pair(1, 3));
  EXPECT_EQ(record_of(w)->selection.state, SEL_COMPLETE) << "the dialog's requests select the match";
  EXPECT_EQ(g_dialogRequest.flags, static_cast<uint32_t>(SF_SELECT | SF_PLAIN));
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].caption, "Search");
  // The same text again keeps one history entry (and, from the caret at the match, finds
  // the same match: only searching again steps over it).
  boxes_.Script(IDOK);
  EXPECT_EQ(SendMessageA(w, KE_FIND_FORWARD, 0, 0), 4);
  EXPECT_EQ(comboEntries, 1);
  // Not found: "Can't find" after the dialog.
  text = "zz";
  boxes_.Script(IDOK);
  EXPECT_EQ(SendMessageA(w, KE_FIND_FORWARD, 0, 0), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 4u);
  EXPECT_EQ(boxes_.Boxes()[3].caption, "Code Editor");
  EXPECT_EQ(boxes_.Boxes()[3].text, "Can't find 'zz'");
  // Cancel searches nothing and shows nothing more.
  boxes_.Script(IDCANCEL);
  EXPECT_EQ(SendMessageA(w, KE_FIND_FORWARD, 0, 0), 0);
  EXPECT_EQ(boxes_.Boxes().size(), 5u);
  EXPECT_EQ(comboEntries, 2) << "ab and zz";
}

TEST_F(Search, ReplaceDialogAndConfirmation) {
  HWND w = Make("a a a a");
  edtest::DialogEditor edit([&](HWND dlg) {
    if (Caption(dlg) != "Search and Replace") return;
    SetDlgItemTextA(dlg, IDC_SRCH_FIND, "a");
    SetDlgItemTextA(dlg, IDC_SRCH_REPLACE, "b");
    CheckDlgButton(dlg, IDC_SRCH_PROMPT, BST_CHECKED);
  });
  // Change All with prompting: No, Yes, then All for the rest.
  boxes_.Script(IDC_SRCH_ALL);
  boxes_.Script(IDNO);
  boxes_.Script(IDYES);
  boxes_.Script(IDC_SRCH_ALL);
  EXPECT_EQ(SendMessageA(w, KE_REPLACE_FORWARD, 0, 0), 3);
  EXPECT_EQ(Lines(w), "a b b b");
  ASSERT_EQ(boxes_.Boxes().size(), 4u);
  EXPECT_EQ(boxes_.Boxes()[1].caption, "Replace");
  EXPECT_NE(boxes_.Boxes()[1].text.find("Replace this occurence?"), std::string::npos);
  // Cancel at the first confirmation: nothing changes and no "Can't find" follows.
  HWND v = Make("a a");
  boxes_.Script(IDOK);
  boxes_.Script(IDCANCEL);
  EXPECT_EQ(SendMessageA(v, KE_REPLACE_FORWARD, 0, 0), 0);
  EXPECT_EQ(Lines(v), "a a");
  EXPECT_EQ(boxes_.Boxes().size(), 6u);
  EXPECT_TRUE(g_dialogRequest.flags & SF_CANCELLED);
}

TEST_F(Search, PromptWithoutChangeAllMakesOneReplacement) {
  HWND w = Make("a a");
  SearchRequest r = Request("a", SF_PLAIN | SF_PROMPT, "b");
  boxes_.Script(IDNO);
  boxes_.Script(IDYES);
  EXPECT_EQ(Send(w, KE_REPLACE_FORWARD, r), 1);
  EXPECT_EQ(Lines(w), "a b");
  EXPECT_EQ(boxes_.Boxes().size(), 2u);
  Place(w, 1, 0);
  boxes_.Script(IDCANCEL);
  EXPECT_EQ(Send(w, KE_REPLACE_FORWARD, r), 0);
  EXPECT_EQ(Lines(w), "a b");
  EXPECT_TRUE(r.flags & SF_CANCELLED) << "the caller's request learns of the cancel";
}

}  // namespace
