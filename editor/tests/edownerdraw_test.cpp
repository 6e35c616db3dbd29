// Owner-drawn editor windows: the measure, draw and forget records as an owner window
// receives them, through the control's own message numbers and the standard ones, with
// the parent or the control itself as the owner.
#include <gtest/gtest.h>

#include <stddef.h>

#include <string>
#include <vector>

#include "edlines.h"
#include "edrecord.h"
#include "edstate.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

// The records on every build are the platform's structures followed by our fields.
static_assert(offsetof(KorvoMeasureItem, text) == sizeof(MEASUREITEMSTRUCT), "measure record");
static_assert(offsetof(KorvoDrawItem, text) == sizeof(DRAWITEMSTRUCT), "draw record");
static_assert(offsetof(KorvoDeleteItem, text) == sizeof(DELETEITEMSTRUCT), "forget record");

// One request as the owner saw it.
struct Request {
  UINT message;
  WPARAM wp;
  UINT type, id, itemId;
  ULONG_PTR data;
  std::string text;
  HWND item;  // draw and forget
  UINT action, state;
  RECT rect;
  bool dc;
  int line, firstChar;
};

std::vector<Request> g_requests;
LRESULT g_drawAnswer = 1;
int g_measured = 0;

bool IsRequest(UINT msg) {
  return msg == KE_OD_DRAW || msg == KE_OD_DELETE || msg == KE_OD_MEASURE || msg == WM_DRAWITEM ||
         msg == WM_DELETEITEM || msg == WM_MEASUREITEM;
}

// Records the request; measures every line as 20 pixels plus its length and gives it the
// item data 1000 plus its length.
LRESULT Answer(UINT msg, WPARAM wp, LPARAM lp) {
  Request r = {};
  r.message = msg;
  r.wp = wp;
  if (msg == KE_OD_MEASURE || msg == WM_MEASUREITEM) {
    auto* m = reinterpret_cast<KorvoMeasureItem*>(lp);
    r.type = m->item.CtlType;
    r.id = m->item.CtlID;
    r.itemId = m->item.itemID;
    r.data = m->item.itemData;
    r.text = m->text;
    g_requests.push_back(r);
    ++g_measured;
    m->item.itemHeight = 20 + static_cast<UINT>(r.text.size());
    m->item.itemData = 1000 + r.text.size();
    return 1;
  }
  if (msg == KE_OD_DRAW || msg == WM_DRAWITEM) {
    auto* d = reinterpret_cast<KorvoDrawItem*>(lp);
    r.type = d->item.CtlType;
    r.id = d->item.CtlID;
    r.itemId = d->item.itemID;
    r.data = d->item.itemData;
    r.text = d->text;
    r.item = d->item.hwndItem;
    r.action = d->item.itemAction;
    r.state = d->item.itemState;
    r.rect = d->item.rcItem;
    r.dc = d->item.hDC != nullptr;
    r.line = d->line;
    r.firstChar = d->firstChar;
    g_requests.push_back(r);
    return g_drawAnswer;
  }
  auto* f = reinterpret_cast<KorvoDeleteItem*>(lp);
  r.type = f->item.CtlType;
  r.id = f->item.CtlID;
  r.itemId = f->item.itemID;
  r.data = f->item.itemData;
  r.text = f->text;
  r.item = f->item.hwndItem;
  g_requests.push_back(r);
  return 1;
}

LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsRequest(msg)) return Answer(msg, wp, lp);
  return DefWindowProcA(wnd, msg, wp, lp);
}

WNDPROC g_editorProc;
LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsRequest(msg)) return Answer(msg, wp, lp);
  return CallWindowProcA(g_editorProc, wnd, msg, wp, lp);
}

std::vector<Request> Of(UINT message) {
  std::vector<Request> out;
  for (const Request& r : g_requests)
    if (r.message == message) out.push_back(r);
  return out;
}

class OwnerDraw : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitEditor(GetModuleHandleA(nullptr));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "EdOwnerDrawParent";
    RegisterClassA(&wc);
  }
  void SetUp() override {
    edtest::IniClearOptions();
    g_requests.clear();
    g_drawAnswer = 1;
    g_measured = 0;
    // A visible owner, so that its editor child paints.
    owner_ = CreateWindowExA(0, "EdOwnerDrawParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }
  HWND Make(int ownerDrawn = 0) {
    if (ownerDrawn) edtest::IniSet("OwnerDrawn", std::to_string(ownerDrawn).c_str());
    HWND w = edtest::MakeEditor(owner_, ES_KE_OWNERDRAWN | WS_VISIBLE, nullptr, 55, 300, 200);
    edtest::IniClearOptions();
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static void SetText(HWND w, const char* text) { Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  static void Paint(HWND w) {
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
  }
  testkit::BoxAnswerer boxes_;
  HWND owner_ = nullptr;
};

TEST_F(OwnerDraw, MeasureRecordsCarryTheLineAndSetItsHeightAndData) {
  HWND w = Make();
  EXPECT_TRUE(record_of(w)->state & ST_OWNER_DRAWN);
  EXPECT_EQ(Of(KE_OD_MEASURE).size(), 1u) << "the line of a new window is measured";
  SetText(w, "ab\r\n\r\ncdef");
  g_requests.clear();
  EXPECT_EQ(Send(w, KE_REMEASURE_LINES), 1);
  std::vector<Request> measured = Of(KE_OD_MEASURE);
  ASSERT_EQ(measured.size(), 3u);
  const char* texts[] = {"ab", "", "cdef"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(measured[i].type, static_cast<UINT>(KE_ODT_EDITOR));
    EXPECT_EQ(measured[i].id, 55u);
    EXPECT_EQ(measured[i].wp, 55u);
    EXPECT_EQ(measured[i].itemId, 0u);
    EXPECT_EQ(measured[i].text, texts[i]);
    EXPECT_EQ(Send(w, KE_GET_ITEM_HEIGHT, i + 1), 20 + static_cast<LRESULT>(strlen(texts[i])));
    EXPECT_EQ(Send(w, KE_GET_ITEM_DATA, i + 1), 1000 + static_cast<LRESULT>(strlen(texts[i])));
  }
  // The owner sees the data it gave when it measures again.
  EXPECT_EQ(Send(w, KE_SET_ITEM_DATA, 1, 77), 1);
  g_requests.clear();
  Send(w, KE_REMEASURE_LINES);
  EXPECT_EQ(Of(KE_OD_MEASURE)[0].data, 77u);
  EXPECT_EQ(Send(w, KE_GET_ITEM_DATA, 4), -1) << "no such line";
  DestroyWindow(w);
}

TEST_F(OwnerDraw, DrawRecordsForEveryVisibleRow) {
  HWND w = Make();
  SetText(w, "first\r\nsecond");
  Send(w, KE_SET_ITEM_DATA, 2, 4242);
  Send(w, KE_LINE_DOWN);
  Send(w, KE_MARK_LINE);  // line 2: the caret's line and marked
  g_requests.clear();
  Paint(w);
  std::vector<Request> drawn = Of(KE_OD_DRAW);
  ASSERT_GE(drawn.size(), 2u);
  const Request& a = drawn[0];
  EXPECT_EQ(a.type, static_cast<UINT>(KE_ODT_EDITOR));
  EXPECT_EQ(a.id, 55u);
  EXPECT_EQ(a.item, w);
  EXPECT_TRUE(a.dc);
  EXPECT_EQ(a.action, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(a.text, "first");
  EXPECT_EQ(a.line, 1);
  EXPECT_EQ(a.state, 0u);
  const Request& b = drawn[1];
  EXPECT_EQ(b.text, "second");
  EXPECT_EQ(b.line, 2);
  EXPECT_EQ(b.data, 4242u);
  EXPECT_EQ(b.state, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS));
  EXPECT_EQ(b.rect.top, a.rect.bottom) << "rows follow each other";
  EXPECT_EQ(b.rect.bottom - b.rect.top, record_of(w)->lineHeight) << "not measured: the line height";
  // Measured, each row is as high as its owner said.
  Send(w, KE_REMEASURE_LINES);
  g_requests.clear();
  Paint(w);
  drawn = Of(KE_OD_DRAW);
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].rect.bottom - drawn[0].rect.top, 25);
  EXPECT_EQ(drawn[1].rect.bottom - drawn[1].rect.top, 26);
  EXPECT_EQ(drawn[1].rect.top, drawn[0].rect.bottom);
  // An owner that does not draw leaves the drawing to the control.
  g_drawAnswer = 0;
  Paint(w);
  DestroyWindow(w);
}

TEST_F(OwnerDraw, ForgetRecordsWhenLinesGoAndPickLinesKeepTheData) {
  HWND w = Make();
  SetText(w, "one\r\ntwo\r\nthree");
  Send(w, KE_SET_ITEM_DATA, 2, 99);
  Send(w, KE_SET_ITEM_HEIGHT, 2, 33);
  Send(w, KE_LINE_DOWN);
  g_requests.clear();
  EXPECT_EQ(Send(w, KE_DELETE_LINE), 1);
  std::vector<Request> gone = Of(KE_OD_DELETE);
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_EQ(gone[0].type, static_cast<UINT>(KE_ODT_EDITOR));
  EXPECT_EQ(gone[0].id, 55u);
  EXPECT_EQ(gone[0].item, w);
  EXPECT_EQ(gone[0].data, 99u);
  EXPECT_EQ(gone[0].text, "two");
  // Pasted back, the line has its data and height again.
  EXPECT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
  EXPECT_EQ(Send(w, KE_GET_ITEM_DATA, 2), 99);
  EXPECT_EQ(Send(w, KE_GET_ITEM_HEIGHT, 2), 33);
  g_requests.clear();
  DestroyWindow(w);
  EXPECT_EQ(Of(KE_OD_DELETE).size(), 3u) << "a destroyed window forgets every line";
}

TEST_F(OwnerDraw, StandardMessagesWithBitEight) {
  HWND w = Make(1 | 8);
  SetText(w, "ab\r\ncd");
  g_requests.clear();
  Send(w, KE_REMEASURE_LINES);
  Paint(w);
  Send(w, KE_DELETE_LINE);
  EXPECT_EQ(Of(WM_MEASUREITEM).size(), 2u);
  EXPECT_GE(Of(WM_DRAWITEM).size(), 2u);
  EXPECT_EQ(Of(WM_DELETEITEM).size(), 1u);
  EXPECT_EQ(Of(KE_OD_MEASURE).size() + Of(KE_OD_DRAW).size() + Of(KE_OD_DELETE).size(), 0u);
  ASSERT_FALSE(Of(WM_DRAWITEM).empty());
  EXPECT_EQ(Of(WM_DRAWITEM)[0].type, static_cast<UINT>(KE_ODT_EDITOR));
  DestroyWindow(w);
}

TEST_F(OwnerDraw, HeightsAskedWheneverNeededWithBitTwo) {
  HWND w = Make();
  SetText(w, "ab\r\ncd");
  g_measured = 0;
  Paint(w);
  EXPECT_EQ(g_measured, 0) << "heights are kept without bit 2";
  DestroyWindow(w);
  w = Make(1 | 2);
  SetText(w, "ab\r\ncd");
  g_measured = 0;
  Paint(w);
  EXPECT_GE(g_measured, 2) << "every row asks while painting";
  DestroyWindow(w);
}

TEST_F(OwnerDraw, TheControlItselfIsTheOwnerWithBitFour) {
  HWND w = Make(1 | 4);
  g_editorProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
  SetText(w, "ab\r\ncd");
  g_requests.clear();
  // The owner window must hear nothing: swap its procedure's log for a check.
  Send(w, KE_REMEASURE_LINES);
  EXPECT_EQ(Of(KE_OD_MEASURE).size(), 2u);
  SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
  // Without the subclass the control answers its own requests with 0: the line keeps the
  // window's line height.
  Send(w, KE_SET_ITEM_HEIGHT, 1, 50);
  Send(w, KE_REMEASURE_LINES);
  EXPECT_EQ(Send(w, KE_GET_ITEM_HEIGHT, 1), record_of(w)->lineHeight);
  DestroyWindow(w);
}

TEST_F(OwnerDraw, WindowsThatAreNotOwnerDrawnSendNothing) {
  HWND w = edtest::MakeEditor(owner_, WS_VISIBLE, nullptr, 56, 300, 200);
  SetText(w, "ab\r\ncd");
  g_requests.clear();
  EXPECT_EQ(Send(w, KE_REMEASURE_LINES), 0);
  Paint(w);
  Send(w, KE_DELETE_LINE);
  EXPECT_TRUE(g_requests.empty());
  EXPECT_EQ(Send(w, KE_GET_ITEM_DATA, 1), -1);
  EXPECT_EQ(Send(w, KE_GET_ITEM_HEIGHT, 1), -1);
  DestroyWindow(w);
}

}  // namespace
