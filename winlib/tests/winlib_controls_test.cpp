// Controls in use: owner-draw and list-box key messages forwarded from the parent,
// controls attached to a dialog template with data transfer, command enabling, the
// gauge's painting and an edit control's validator.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/combobox.h"
#include "winlib/dc.h"
#include "winlib/dialog.h"
#include "winlib/framewin.h"
#include "winlib/gauge.h"
#include "winlib/listbox.h"
#include "winlib/static.h"

namespace {

class TDrawnList : public TListBox {
 public:
  TDrawnList(TWindow* parent, int id) : TListBox(parent, id, 0, 0, 100, 100) {
    Attr.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  }
  void MeasureItem(MEASUREITEMSTRUCT& m) override {
    m.itemHeight = 17;
    log.push_back("measure");
  }
  void ODADrawEntire(DRAWITEMSTRUCT& d) override { log.push_back("entire " + std::to_string(d.itemID)); }
  void ODASelect(DRAWITEMSTRUCT& d) override { log.push_back("select " + std::to_string(d.itemID)); }
  void ODAFocus(DRAWITEMSTRUCT&) override { log.push_back("focus"); }
  int CharToItem(uint ch, uint) override { return int(ch) - 'a'; }
  int VKeyToItem(uint, uint) override { return -2; }
  std::vector<std::string> log;
};

TEST(WinLibControls, OwnerDrawAndListKeysForwardedToTheControl) {
  TWindow parent(nullptr, "parent");
  parent.Attr.Style = WS_OVERLAPPEDWINDOW;
  auto* list = new TDrawnList(&parent, 300);
  ASSERT_TRUE(parent.Create());
  EXPECT_EQ(list->GetItemHeight(0), 17);  // measured at creation through the parent
  list->AddString("one");
  list->AddString("two");

  struct {
    UINT action;
    UINT item;
    const char* want;
  } draws[] = {{ODA_DRAWENTIRE, 1, "entire 1"}, {ODA_SELECT, 0, "select 0"}, {ODA_FOCUS, 1, "focus"}};
  for (auto& d : draws) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = 300;
    dis.itemID = d.item;
    dis.itemAction = d.action;
    dis.hwndItem = list->HWindow;
    list->log.clear();
    parent.SendMessage(WM_DRAWITEM, 300, LPARAM(&dis));
    EXPECT_EQ(list->log, std::vector<std::string>{d.want});
  }
  EXPECT_EQ(parent.SendMessage(WM_CHARTOITEM, MAKEWPARAM('c', 0), LPARAM(list->HWindow)), 2);
  EXPECT_EQ(parent.SendMessage(WM_VKEYTOITEM, MAKEWPARAM(VK_DOWN, 0), LPARAM(list->HWindow)), -2);
}

// Controls of a template, attached by id, with their data moved through a buffer.
struct TTestBuffer {
  char prompt[40];
  char edit[20];
};

class TTemplateDialog : public TDialog {
 public:
  TTemplateDialog(TTestBuffer* data) : TDialog(nullptr, TInputDialog::ResId, GetWinLibModule()) {
    prompt = new TStatic(this, TInputDialog::IdPrompt, sizeof data->prompt);
    edit = new TEdit(this, TInputDialog::IdEdit, sizeof data->edit);
    SetTransferBuffer(data);
  }
  TStatic* prompt;
  TEdit* edit;
};

TEST(WinLibControls, DialogTemplateControlsAndTransfer) {
  TApplication app("ControlsTest");
  TTestBuffer data;
  std::strcpy(data.prompt, "Prompt text");
  std::strcpy(data.edit, "edit text");
  TTemplateDialog dlg(&data);
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(dlg.edit->HWindow, dlg.GetDlgItem(TInputDialog::IdEdit));
  EXPECT_EQ(TWindow::GetWindowPtr(dlg.edit->HWindow), dlg.edit);
  EXPECT_EQ(dlg.prompt->GetText(), "Prompt text");  // transferred in at set-up
  EXPECT_EQ(dlg.edit->GetText(), "edit text");
  // The edit's limit is the buffer less its terminator.
  dlg.edit->SetText("");
  dlg.edit->SetSelection(0, 0);
  SendMessageA(dlg.edit->HWindow, EM_REPLACESEL, FALSE, LPARAM("0123456789012345678901234"));
  EXPECT_EQ(dlg.edit->GetText().size(), sizeof data.edit - 1);
  dlg.TransferData(tdGetData);
  EXPECT_STREQ(data.edit, "0123456789012345678");

  // A background colour answers the dialog's colour query.
  dlg.SetBkgndColor(TColor::White);
  TClientDC dc(dlg.HWindow);
  auto brush = HBRUSH(dlg.SendMessage(WM_CTLCOLORDLG, WPARAM(HDC(dc)), LPARAM(dlg.HWindow)));
  LOGBRUSH lb = {};
  ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));

  // Keys of a modeless dialog go through the application's pump: Enter presses OK,
  // which closes it.
  dlg.edit->SetFocus();
  PostMessageA(dlg.edit->HWindow, WM_KEYDOWN, VK_RETURN, 0);
  for (int i = 0; i < 300 && dlg.HWindow; ++i) {
    if (!app.PumpWaitingMessages()) Sleep(10);
  }
  EXPECT_EQ(dlg.HWindow, nullptr);
}

TEST(WinLibControls, TemplateControlOfALibraryClassIsNotTakenForTheDialog) {
  TWindow parent(nullptr, "registers the gauge class");
  new TGauge(&parent, nullptr, 1, 0, 0, 50, 10);
  ASSERT_TRUE(parent.Create());
  TDialog dlg(nullptr, 7004);
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(TWindow::GetWindowPtr(dlg.HWindow), &dlg);
  HWND item = dlg.GetDlgItem(10);
  ASSERT_TRUE(item);
  EXPECT_EQ(TWindow::GetWindowPtr(item), nullptr);  // no object: system defaults only
}

TEST(WinLibControls, DeletingTheClientLeavesTheFrameWithout) {
  auto* client = new TWindow(static_cast<TWindow*>(nullptr), "client");
  TFrameWindow frame(nullptr, "frame", client);
  ASSERT_TRUE(frame.Create());
  delete client;
  EXPECT_EQ(frame.GetClientWindow(), nullptr);
  EXPECT_EQ(frame.NumChildren(), 0u);
  frame.MoveWindow(0, 0, 200, 100, true);  // resizing no longer touches the client
}

TEST(WinLibControls, ShrinkToClientAndOwnedWindows) {
  auto* client = new TWindow(static_cast<TWindow*>(nullptr), "client");
  client->Attr.W = 150;
  client->Attr.H = 80;
  TFrameWindow frame(nullptr, "shrink", client, true);
  frame.Attr.Style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
  ASSERT_TRUE(frame.Create());
  EXPECT_EQ(frame.GetClientRect().Size(), TSize(150, 80));
  EXPECT_EQ(client->GetClientRect().Size(), TSize(150, 80));

  TWindow owned(nullptr, "owned");
  owned.Attr.Style = WS_POPUP;
  ASSERT_TRUE(owned.CreateWithOwner(&frame));
  EXPECT_EQ(GetWindow(owned.HWindow, GW_OWNER), frame.HWindow);
  EXPECT_EQ(owned.Parent, nullptr);
}

class TEnablingClient : public TWindow {
 public:
  TEnablingClient() : TWindow(static_cast<TWindow*>(nullptr)) {}
  void CeSave(TCommandEnabler& ce) { ce.Enable(canSave); }
  bool canSave = false;
  DECLARE_RESPONSE_TABLE(TEnablingClient);
};
DEFINE_RESPONSE_TABLE1(TEnablingClient, TWindow)
EV_COMMAND_ENABLE(77, CeSave), END_RESPONSE_TABLE;

TEST(WinLibControls, CommandEnablingThroughFrameAndClient) {
  auto* client = new TEnablingClient;
  TFrameWindow frame(nullptr, "enable", client);
  ASSERT_TRUE(frame.Create());
  for (bool can : {false, true}) {
    client->canSave = can;
    TCommandEnabler ce(77);
    frame.RouteCommandEnable(frame.HWindow, ce);
    EXPECT_TRUE(ce.Handled());
    EXPECT_EQ(ce.GetEnabled(), can);
  }
  TCommandEnabler unknown(78);
  frame.RouteCommandEnable(frame.HWindow, unknown);
  EXPECT_FALSE(unknown.Handled());

  // A popup menu's items are greyed or enabled before it shows.
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 77, "&Save");
  client->canSave = false;
  frame.SendMessage(WM_INITMENUPOPUP, WPARAM(popup), MAKELPARAM(0, FALSE));
  EXPECT_TRUE(GetMenuState(popup, 77, MF_BYCOMMAND) & MF_GRAYED);
  client->canSave = true;
  frame.SendMessage(WM_INITMENUPOPUP, WPARAM(popup), MAKELPARAM(0, FALSE));
  EXPECT_FALSE(GetMenuState(popup, 77, MF_BYCOMMAND) & MF_GRAYED);
  DestroyMenu(popup);
}

TEST(WinLibControls, GaugePaintsItsValue) {
  TWindow parent(nullptr, "gauge parent");
  auto* gauge = new TGauge(&parent, nullptr, 1, 0, 0, 104, 24);
  gauge->SetColor(TColor(255, 0, 0));
  ASSERT_TRUE(parent.Create());
  gauge->SetValue(50);
  TScreenDC screen;
  TMemoryDC dc(screen);
  TBitmap bitmap(screen, 104, 24);
  dc.SelectObject(bitmap);
  TRect all(0, 0, 104, 24);
  gauge->Paint(dc, true, all);
  EXPECT_EQ(COLORREF(dc.GetPixel(20, 12)), RGB(255, 0, 0));
  EXPECT_EQ(COLORREF(dc.GetPixel(80, 12)), GetSysColor(COLOR_BTNFACE));
  gauge->SetLed(10, 50);  // segments: gaps between the lit parts
  dc.FillRect(all, TBrush::Stock(WHITE_BRUSH));
  gauge->Paint(dc, true, all);
  int lit = 0, face = 0;
  for (int x = 3; x < 52; ++x) {
    COLORREF c = dc.GetPixel(x, 12);
    lit += c == RGB(255, 0, 0);
    face += c == GetSysColor(COLOR_BTNFACE);
  }
  EXPECT_GT(lit, 10);
  EXPECT_GT(face, 10);
}

// Painting: WM_PAINT reaches Paint with a paint DC; the background colour erases.
class TPainted : public TWindow {
 public:
  TPainted() : TWindow(static_cast<TWindow*>(nullptr), "painted") {
    Attr.Style = WS_POPUP;
    Attr.X = Attr.Y = 0;
    Attr.W = 60;
    Attr.H = 40;
  }
  void Paint(TDC& dc, bool erase, TRect& rect) override {
    ++paints;
    sawErase = erase;
    painted = rect;
    TBrush red(TColor(255, 0, 0));
    dc.FillRect(TRect(0, 0, 20, 20), red);
  }
  int paints = 0;
  bool sawErase = false;
  TRect painted;
};

TEST(WinLibControls, PaintAndBackgroundColour) {
  TPainted w;
  w.SetBkgndColor(TColor(0, 255, 0));
  ASSERT_TRUE(w.Create());
  w.Show(SW_SHOWNA);
  w.Invalidate(true);
  w.UpdateWindow();
  EXPECT_GE(w.paints, 1);
  EXPECT_FALSE(w.sawErase);  // the background colour already erased it
  EXPECT_EQ(w.painted, TRect(0, 0, 60, 40));
  testkit::Image shot = testkit::Capture(w.HWindow);
  ASSERT_GE(shot.width, 40);
  EXPECT_EQ(shot.Pixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(shot.Pixel(40, 30), RGB(0, 255, 0));
}

TEST(WinLibControls, ListAndComboTransferData) {
  TWindow parent(nullptr, "transfer parent");
  auto* list = new TListBox(&parent, 1, 0, 0, 100, 100);
  list->Attr.Style &= ~uint32_t(LBS_SORT);
  auto* multi = new TListBox(&parent, 2, 100, 0, 100, 100);
  multi->Attr.Style |= LBS_MULTIPLESEL;
  auto* combo = new TComboBox(&parent, 3, 200, 0, 100, 100, CBS_DROPDOWN);
  ASSERT_TRUE(parent.Create());

  TListBoxData rows;
  rows.AddStringItem("zeta", 26);
  rows.AddStringItem("alpha", 1, true);
  TListBoxData multiRows;
  multiRows.AddString("a", true);
  multiRows.AddString("b");
  multiRows.AddString("c", true);
  TComboBoxData comboRows;
  comboRows.AddString("red");
  comboRows.AddString("green");
  comboRows.Selection = "typed";
  struct {
    TListBoxData* l;
    TListBoxData* m;
    TComboBoxData* c;
  } buffer = {&rows, &multiRows, &comboRows};
  parent.SetTransferBuffer(&buffer);
  parent.TransferData(tdSetData);

  EXPECT_EQ(list->GetString(0), "zeta");  // unsorted: the data's order
  EXPECT_EQ(list->GetItemData(0), 26);
  EXPECT_EQ(list->GetSelIndex(), 1);
  EXPECT_EQ(multi->GetSelIndexes(), (std::vector<int>{0, 2}));
  EXPECT_EQ(combo->GetCount(), 2);
  EXPECT_EQ(combo->GetText(), "typed");

  list->SetSelIndex(0);
  multi->SetSel(1, true);
  combo->SetSelIndex(1);
  parent.TransferData(tdGetData);
  EXPECT_EQ(rows.GetSelString(), "zeta");
  EXPECT_EQ(multiRows.GetSelCount(), 3);
  EXPECT_EQ(comboRows.Selection, "green");
  EXPECT_EQ(comboRows.SelIndices, std::vector<int>{1});
}

class TDigitsOnly : public TValidator {
 public:
  bool IsValid(const char* s) override { return *s && std::strspn(s, "0123456789") == std::strlen(s); }
  void Error(TWindow*) override { ++errors; }
  int errors = 0;
};

TEST(WinLibControls, EditValidatorDecidesCanClose) {
  TWindow parent(nullptr, "validator parent");
  auto* edit = new TEdit(&parent, 5, "12a", 0, 0, 80, 20);
  auto* validator = new TDigitsOnly;
  edit->SetValidator(validator);
  ASSERT_TRUE(parent.Create());
  EXPECT_FALSE(parent.CanClose());
  EXPECT_EQ(validator->errors, 1);
  edit->SetText("123");
  EXPECT_TRUE(parent.CanClose());
}

}  // namespace
