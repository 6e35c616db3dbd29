// "TextBox" on forms on the X display: the multi-line and scroll-bar styles and the
// window they re-create, the text limit, typing and "Change", the selection over several
// lines, read-only, binding to the test-only record set, damaged blocks.
#include <gtest/gtest.h>

#include "controlkit.h"

namespace {

using namespace controlkit;

TEST(TextBox, IsPublishedUnderLabelWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("TextBox");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.TextBox", proto->progId());
  EXPECT_EQ(ObjectStore::find("Label"), proto->parent());
  for (const char* f : {"ScrollBars", "MultiLine", "WordWrap", "ReadOnly", "SelStart", "SelLength", "SelText",
                        "Text", "MaxLength", "LineCount", "Insert", "Undo", "Cut", "Copy", "Paste", "Clear",
                        "TextUnload", "Alignment", "BorderStyle"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  EXPECT_NE(nullptr, proto->findEventDef("Change"));
  EnumRep* bars = EnumRep::find("ScrollBarsState");
  ASSERT_NE(nullptr, bars);
  Owned<IWEdit> fresh(new IWEdit(nullptr));
  EXPECT_EQ(0, fresh->pdGetMultiLine());
  EXPECT_EQ(1, fresh->pdGetBorderStyle());
  EXPECT_EQ(0, fresh->pdGetMaxLength());
  EXPECT_EQ(0, fresh->pdGetWordWrap());  // a single line scrolls sideways
  EXPECT_EQ(0, fresh->pdGetSelStart());  // no window: fixed answers
  EXPECT_EQ("", ValString(fresh->pdGetSelText()).str());
  EXPECT_EQ(0, fresh->pdGetLineCount());
}

// Each step: ScrollBars, MultiLine, the style bits of the attributes and of the window,
// whether the window was made again.
TEST(TextBox, ScrollBarsBelongToMultiLineBoxes) {
  IWForm* f = FormWith("BoxBars", "TextBox", "T", {"Setup"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  ASSERT_NE(nullptr, t->HWindow);
  RunBasic("BoxBars.T.Text = \"kept\"");
  ClearLog(f);
  const uint32_t multi = IWEdit::kMultiLineBits;
  struct Step {
    const char* basic;
    long bars, multiLine;
    uint32_t style;  // of multi, ES_AUTOHSCROLL, WS_HSCROLL, WS_VSCROLL
    bool remade;
  } steps[] = {
      {"", 0, 0, ES_AUTOHSCROLL, false},
      {"T.ScrollBars = 3", 0, 0, ES_AUTOHSCROLL, false},  // single line: stays "None"
      {"T.MultiLine = True", 0, -1, multi, true},
      {"T.ScrollBars = 2", 2, -1, multi | WS_VSCROLL, true},
      {"T.ScrollBars = 2", 2, -1, multi | WS_VSCROLL, false},
      {"T.ScrollBars = 4", 2, -1, multi | WS_VSCROLL, false},
      {"T.ScrollBars = -1", 2, -1, multi | WS_VSCROLL, false},
      {"T.ScrollBars = 3", 3, -1, multi | WS_HSCROLL | WS_VSCROLL, true},
      {"T.ScrollBars = 1", 1, -1, multi | WS_HSCROLL, true},
      {"T.WordWrap = False", 1, -1, multi | WS_HSCROLL | ES_AUTOHSCROLL, true},
      {"T.MultiLine = False", 0, 0, ES_AUTOHSCROLL, true},  // both bars go
      {"T.MultiLine = False", 0, 0, ES_AUTOHSCROLL, false},
  };
  const uint32_t watched = multi | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    SetWindowLongPtrA(t->HWindow, GWLP_USERDATA, 0x5A);
    if (*s.basic) RunBasic(std::string("BoxBars.") + s.basic);
    ASSERT_NE(nullptr, t->HWindow);
    EXPECT_EQ(s.bars, t->pdGetScrollBars());
    EXPECT_EQ(s.multiLine, t->pdGetMultiLine());
    EXPECT_EQ(s.style, t->Attr.Style & watched);
    // The edit control keeps ES_AUTOHSCROLL and the bars as asked; the window's own
    // multi-line bit follows.
    EXPECT_EQ((s.style & ES_MULTILINE) != 0, (StyleOf(t) & ES_MULTILINE) != 0);
    EXPECT_EQ(s.remade, GetWindowLongPtrA(t->HWindow, GWLP_USERDATA) != 0x5A);
    EXPECT_EQ("kept", ValString(t->pdGetText()).str());
  }
  EXPECT_EQ("", Events(f));  // no "Setup" again, no "Change" from the re-made windows
  f->imUnload();
}

TEST(TextBox, MaxLengthCutsTheText) {
  IWForm* f = FormWith("BoxLimit", "TextBox", "T", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  struct Step {
    const char* basic;
    long limit;
    const char* text;
  } steps[] = {
      {"T.Text = \"abcdefgh\"", 0, "abcdefgh"},
      {"T.MaxLength = 5", 5, "abcdefgh"},  // the text already there stays
      {"T.Text = \"abcdefgh\"", 5, "abcde"},
      {"T.MaxLength = -1", 5, "abcde"},
      {"T.Text = \"xyz\"", 5, "xyz"},
      {"T.MaxLength = 0", 0, "xyz"},
      {"T.Text = \"abcdefgh\"", 0, "abcdefgh"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    RunBasic(std::string("BoxLimit.") + s.basic);
    EXPECT_EQ(std::to_string(s.limit), RunBasicValue("BoxLimit.T.MaxLength"));
    EXPECT_EQ(s.text, RunBasicValue("BoxLimit.T.Text", "String"));
  }
  // The limit holds for typing too.
  RunBasic("BoxLimit.T.MaxLength = 5\nBoxLimit.T.Text = \"abc\"\nBoxLimit.T.SelStart = 3");
  for (char c : std::string("defgh")) SendMessageA(t->HWindow, WM_CHAR, (WPARAM)c, 1);
  EXPECT_EQ("abcde", ValString(t->pdGetText()).str());
  f->imUnload();
}

TEST(TextBox, ReCreatingByMultiLineKeepsTheTextAndTheZOrder) {
  Published();
  IWForm* f = MakeForm("BoxZ",
                       "  Type A From Label\n  End Type\n  Type T From TextBox\n  End Type\n"
                       "  Type C From Label\n  End Type\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  ASSERT_NE(nullptr, t->HWindow);
  RunBasic("BoxZ.T.Text = \"one line\"");
  auto order = [&] {
    std::string s;
    for (HWND h = GetWindow(f->Client()->HWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      for (const char* n : {"A", "T", "C"})
        if (Embedded<IWWindow>(f, n)->HWindow == h) s += n;
    return s;
  };
  std::string start = order();
  ASSERT_EQ(3u, start.size());
  HWND before = t->HWindow;
  RunBasic("BoxZ.T.MultiLine = True");
  EXPECT_NE(before, t->HWindow);
  EXPECT_EQ(start, order());
  EXPECT_EQ("one line", ValString(t->pdGetText()).str());
  EXPECT_TRUE(StyleOf(t) & ES_MULTILINE);
  f->imUnload();
}

TEST(TextBox, TypingRaisesChangeAndSetsDataChangedTheCaptionDoesNot) {
  IWForm* f = FormWith("BoxType", "TextBox", "T", {"Change"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  ASSERT_NE(nullptr, t->HWindow);
  ClearLog(f);
  RunBasic("BoxType.T.Caption = \"caption\"");
  EXPECT_EQ("", Events(f));
  EXPECT_EQ("caption", ValString(t->pdGetText()).str());
  RunBasic("BoxType.T.DataChanged = False");
  RunBasic("BoxType.T.SelStart = 7");
  for (char c : std::string("ab")) PostMessageA(t->HWindow, WM_CHAR, (WPARAM)c, 1);
  AppPump();
  EXPECT_EQ("Change,Change,", Events(f));
  EXPECT_EQ("captionab", ValString(t->pdGetText()).str());
  EXPECT_EQ("-1", RunBasicValue("BoxType.T.DataChanged"));
  // Text set from Basic: one "Change", from the control's own notification.
  ClearLog(f);
  RunBasic("BoxType.T.Text = \"new\"");
  EXPECT_EQ("Change,", Events(f));
  // Without a window the text box sets nothing and raises nothing.
  f->imUnload();
  ClearLog(f);
  RunBasic("BoxType.T.Text = \"gone\"");
  EXPECT_EQ("", Events(f));
}

TEST(TextBox, SelectionOverSeveralLines) {
  IWForm* f = FormWith("BoxSel", "TextBox", "T", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  RunBasic(
      "BoxSel.T.MultiLine = True\nBoxSel.T.Text = \"one\" & Chr(13) & Chr(10) & \"two\" & Chr(13) & "
      "Chr(10) & \"three\"");
  EXPECT_EQ("3", RunBasicValue("BoxSel.T.LineCount"));
  struct Step {
    const char* basic;
    long start, length;
    const char* selText;
    const char* text;
  } steps[] = {
      {"T.SelStart = 5", 5, 0, "", nullptr},           {"T.SelLength = 3", 5, 3, "two", nullptr},
      {"T.SelLength = 7", 5, 7, "two\r\nth", nullptr}, {"T.SelText = \"2\"", 6, 0, "", "one\r\n2ree"},
      {"T.SelStart = 0", 0, 0, "", nullptr},           {"T.SelLength = 3", 0, 3, "one", nullptr},
      {"T.SelText = \"\"", 0, 0, "", "\r\n2ree"},      {"T.Insert \"1\"", 1, 0, "", "1\r\n2ree"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    RunBasic(std::string("BoxSel.") + s.basic);
    EXPECT_EQ(std::to_string(s.start), RunBasicValue("BoxSel.T.SelStart"));
    EXPECT_EQ(std::to_string(s.length), RunBasicValue("BoxSel.T.SelLength"));
    EXPECT_EQ(s.selText, RunBasicValue("BoxSel.T.SelText", "String"));
    if (s.text) {
      EXPECT_EQ(s.text, ValString(t->pdGetText()).str());
    }
  }
  f->imUnload();
}

TEST(TextBox, ReadOnlyWithoutReCreating) {
  IWForm* f = FormWith("BoxRead", "TextBox", "T", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  HWND h = t->HWindow;
  RunBasic("BoxRead.T.Text = \"fixed\"\nBoxRead.T.ReadOnly = True");
  EXPECT_EQ(h, t->HWindow);
  EXPECT_TRUE(StyleOf(t) & ES_READONLY);
  EXPECT_EQ("-1", RunBasicValue("BoxRead.T.ReadOnly"));
  SendMessageA(h, WM_CHAR, 'x', 1);
  EXPECT_EQ("fixed", ValString(t->pdGetText()).str());
  RunBasic("BoxRead.T.ReadOnly = False");
  EXPECT_FALSE(StyleOf(t) & ES_READONLY);
  EXPECT_EQ(h, t->HWindow);
  f->imUnload();
}

TEST(TextBox, AlignmentUsesTheLowTwoBits) {
  IWForm* f = FormWith("BoxAlign", "TextBox", "T", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  struct Step {
    long set, got;
    uint32_t bits;
  } steps[] = {{2, 2, ES_CENTER}, {1, 1, ES_RIGHT}, {3, 1, ES_RIGHT}, {0, 0, ES_LEFT}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.set);
    t->pdSetAlignment(s.set);
    EXPECT_EQ(s.got, t->pdGetAlignment());
    EXPECT_EQ(s.bits, t->Attr.Style & 3);
    EXPECT_TRUE(t->Attr.Style & ES_AUTOHSCROLL);  // the bits above are the edit's own
  }
  f->imUnload();
}

HMODULE Fake() {
  static HMODULE h = [] {
    Published();
    ObjectStore::PublishObjectDLL("fakerecordset");
    return GetModuleHandleA("fakerecordset.dll");
  }();
  return h;
}

template <class F>
F FakeHook(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(Fake(), name));
}

TEST(TextBox, BoundToARecordSetShowsTheFieldAndWritesWhatWasTyped) {
  ASSERT_NE(nullptr, Fake());
  IWForm* f = FormWith("BoxBound", "TextBox", "T", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWEdit* t = Embedded<IWEdit>(f, "T");
  InterObjRep* set = nullptr;
  {
    OpenModuleResource open(TestModule());
    static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
    PrimInterObj r(ObjectStore::find("FakeRecordSet"), "BoxSet", 0);
    kept->push_back(r);
    set = r.get();
  }
  ASSERT_NE(nullptr, set);
  FakeHook<void (*)(InterObjRep*, const char*, const char*)>("fakeSetField")(set, "Name", "Ada  ");
  t->pdSetDataField("Name");
  t->pdSetDataSource(set);
  EXPECT_EQ("Ada", ValString(t->pdGetText()).str());
  t->pdSetDataChanged(0);
  RunBasic("BoxBound.T.SelStart = 3");
  for (char c : std::string("m")) PostMessageA(t->HWindow, WM_CHAR, (WPARAM)c, 1);
  AppPump();
  EXPECT_EQ(-1, t->pdGetDataChanged());
  t->evalUpdateDataSource();
  EXPECT_STREQ("Adam", FakeHook<const char* (*)(InterObjRep*, const char*)>("fakeField")(set, "Name"));
  t->pdSetDataSource(nullptr);
  f->imUnload();
}

TEST(TextBox, ADamagedOrNewerBlockFailsNamingTextBox) {
  Published();
  Owned<IWEdit> good(new IWEdit(nullptr));
  good->pdSetMaxLength(9);
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 8u);
  for (size_t at : {0, 1, 2, 3}) EXPECT_EQ(1, block[at]) << at;  // text box, label, control, window
  const uint8_t limit[] = {9, 0, 0, 0};
  EXPECT_TRUE(std::equal(limit, limit + 4, block.end() - 4));
  for (size_t at : {0, 1, 2, 3}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWEdit> t(new IWEdit(nullptr));
    try {
      LoadBlock(*t, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'TextBox'")) << e.what();
    }
    EXPECT_EQ(0, t->pdGetMaxLength());
  }
  Bytes cut(block.begin(), block.end() - 2);  // MaxLength cut short
  Owned<IWEdit> t(new IWEdit(nullptr));
  EXPECT_THROW(LoadBlock(*t, cut), ObjectLoadFailed);
  Owned<IWEdit> copy(new IWEdit(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(9, copy->pdGetMaxLength());
}

TEST(TextBox, CopiesTheLimitOnlyFromATextBox) {
  Published();
  Owned<IWEdit> from(new IWEdit(nullptr));
  from->pdSetMaxLength(12);
  from->pdSetCaption("Source");
  Owned<IWEdit> copy(new IWEdit(nullptr));
  copy->clone(*from);
  EXPECT_EQ(12, copy->pdGetMaxLength());
  EXPECT_EQ("Source", ValString(copy->pdGetCaption()).str());
  Owned<IWStatic> label(new IWStatic(nullptr));
  label->pdSetCaption("Label");
  Owned<IWEdit> untouched(new IWEdit(nullptr));
  untouched->clone(*label);
  EXPECT_EQ("", ValString(untouched->pdGetCaption()).str());
}

}  // namespace
