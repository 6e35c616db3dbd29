// In-place activation of the test shape against a minimal container of the test's own:
// the server's window inside the container's, the merged menu, the tool space it asks
// for, its accelerator, and the way back (UI deactivation, in-place deactivation).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shapecanvas.h"
#include "testkit/testkit.h"
#include "testshapereg.h"

namespace {

std::string menuText(HMENU m, int pos) {
  char text[64] = {};
  GetMenuStringA(m, UINT(pos), text, sizeof text, MF_BYPOSITION);
  return text;
}

// The container's frame: its window and menu, and a record of what the object asked.
class Frame : public IOleInPlaceFrame {
 public:
  HWND window = nullptr;
  HMENU own = nullptr;  // the frame's menu while no object is UI-active
  std::vector<BORDERWIDTHS> requested, set;
  int setNone = 0;  // SetBorderSpace(null) calls
  HMENU sharedSet = nullptr;
  int insertCalls = 0, removeCalls = 0, menuResets = 0;
  IOleInPlaceActiveObject* active = nullptr;
  std::wstring activeName;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IOleInPlaceUIWindow &&
        iid != IID_IOleInPlaceFrame)
      return E_NOINTERFACE;
    *out = static_cast<IOleInPlaceFrame*>(this);
    return S_OK;
  }
  // Lives in the test.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = window;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetBorder(LPRECT r) override { return GetClientRect(window, r) ? S_OK : E_FAIL; }
  // Up to 40 pixels on each side.
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS bw) override {
    if (!bw) return E_INVALIDARG;
    requested.push_back(*bw);
    return bw->left <= 40 && bw->top <= 40 && bw->right <= 40 && bw->bottom <= 40 ? S_OK
                                                                                  : INPLACE_E_NOTOOLSPACE;
  }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS bw) override {
    if (bw)
      set.push_back(*bw);
    else
      ++setNone;
    return S_OK;
  }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* obj, LPCOLESTR name) override {
    if (obj) obj->AddRef();
    if (active) active->Release();
    active = obj;
    activeName = name ? name : L"";
    return S_OK;
  }
  // The frame's groups: "&File" (group 0) and "&Window" (group 4).
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override {
    ++insertCalls;
    AppendMenuA(shared, MF_POPUP, reinterpret_cast<UINT_PTR>(popup("&New")), "&File");
    AppendMenuA(shared, MF_POPUP, reinterpret_cast<UINT_PTR>(popup("&Cascade")), "&Window");
    *widths = OLEMENUGROUPWIDTHS{{1, 0, 0, 0, 1, 0}};
    return S_OK;
  }
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND object) override {
    if (shared) {
      sharedSet = shared;
      OleSetMenuDescriptor(descriptor, window, object, this, active);
      ::SetMenu(window, shared);
    } else {
      ++menuResets;
      OleSetMenuDescriptor(nullptr, window, nullptr, nullptr, nullptr);
      ::SetMenu(window, own);
    }
    return S_OK;
  }
  // Takes out (and destroys) the frame's own popups; the object has taken out its own.
  STDMETHODIMP RemoveMenus(HMENU shared) override {
    ++removeCalls;
    for (int i = GetMenuItemCount(shared) - 1; i >= 0; --i) {
      std::string t = menuText(shared, i);
      if (t == "&File" || t == "&Window") DeleteMenu(shared, UINT(i), MF_BYPOSITION);
    }
    return S_OK;
  }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  static HMENU popup(const char* item) {
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 100, item);
    return m;
  }
};

// The object's site in the container's document window.
class Site : public IOleClientSite, public IOleInPlaceSite {
 public:
  Site(Frame& frame, HWND doc) : frame_(frame), doc_(doc) {}
  virtual ~Site() = default;
  bool allowInPlace = true;
  RECT pos = {10, 10, 170, 90};
  int shown = 0, ipActivated = 0, uiActivated = 0, uiDeactivated = 0, ipDeactivated = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else
      return E_NOINTERFACE;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override {
    ++shown;
    return S_OK;
  }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = doc_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return allowInPlace ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override {
    ++ipActivated;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override {
    ++uiActivated;
    return S_OK;
  }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = &frame_;
    *doc = nullptr;
    *position = pos;
    GetClientRect(doc_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = frame_.window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override {
    ++uiDeactivated;
    // The frame takes back its own tools.
    frame_.SetBorderSpace(nullptr);
    return S_OK;
  }
  STDMETHODIMP OnInPlaceDeactivate() override {
    ++ipDeactivated;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

 private:
  Frame& frame_;
  HWND doc_;
};

class InPlace : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(reg_.ok());
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "OvInPlaceTestContainer";
    RegisterClassA(&wc);
    frame_.own = CreateMenu();
    AppendMenuA(frame_.own, MF_STRING, 1, "&Container");
    frame_.window = CreateWindowA(wc.lpszClassName, "Container", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                  300, nullptr, frame_.own, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, frame_.window);
    doc_ = CreateWindowA(wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 300, 200,
                         frame_.window, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, doc_);
    site_ = new Site(frame_, doc_);
    ASSERT_EQ(S_OK, StgCreateDocfile(
                        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                        0, &stg_));
    ASSERT_EQ(S_OK, OleCreate(testshape::kClsid, IID_IOleObject, OLERENDER_DRAW, nullptr,
                              static_cast<IOleClientSite*>(site_), stg_, reinterpret_cast<void**>(&obj_)));
    OleSetContainedObject(obj_, TRUE);
  }
  void TearDown() override {
    if (obj_) {
      obj_->Close(OLECLOSE_NOSAVE);
      obj_->Release();
    }
    if (stg_) stg_->Release();
    if (frame_.active) frame_.active->Release();
    delete site_;
    if (frame_.window) DestroyWindow(frame_.window);
    CoFreeUnusedLibraries();
    OleUninitialize();
  }
  HRESULT doVerb(LONG verb) { return obj_->DoVerb(verb, nullptr, site_, 0, doc_, &site_->pos); }

  TestShapeRegistration reg_;
  Frame frame_;
  HWND doc_ = nullptr;
  Site* site_ = nullptr;
  IStorage* stg_ = nullptr;
  IOleObject* obj_ = nullptr;
};

TEST_F(InPlace, ActivateMergeAcceleratorAndDeactivate) {
  ASSERT_EQ(S_OK, doVerb(OLEIVERB_UIACTIVATE));
  EXPECT_EQ(1, site_->ipActivated);
  EXPECT_EQ(1, site_->uiActivated);
  EXPECT_EQ(0, site_->shown);

  // Its own window, inside the document window at the site's rectangle, drawing the shape.
  IOleInPlaceObject* ip = nullptr;
  ASSERT_EQ(S_OK, obj_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ip)));
  HWND w = nullptr;
  ASSERT_EQ(S_OK, ip->GetWindow(&w));
  ASSERT_TRUE(IsWindow(w));
  EXPECT_EQ(doc_, GetParent(w));
  EXPECT_TRUE(IsWindowVisible(w));
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, doc_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(site_->pos.left, r.left);
  EXPECT_EQ(site_->pos.top, r.top);
  EXPECT_EQ(site_->pos.right, r.right);
  EXPECT_EQ(site_->pos.bottom, r.bottom);
  {
    Canvas c;
    SendMessageA(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c.dc()), PRF_CLIENT);
    EXPECT_EQ(testshape::kColor, c.at(80, 40));
    EXPECT_EQ(RGB(255, 255, 255), c.at(1, 1));
  }

  // The tool space it asked for and got.
  ASSERT_EQ(1u, frame_.requested.size());
  ASSERT_EQ(1u, frame_.set.size());
  EXPECT_EQ(testshape::kToolSpace, frame_.set[0].top);
  EXPECT_EQ(0, frame_.set[0].left);
  EXPECT_EQ(0, frame_.set[0].bottom);

  // The merged menu on the frame: the frame's groups around the object's.
  HMENU bar = GetMenu(frame_.window);
  ASSERT_EQ(frame_.sharedSet, bar);
  ASSERT_NE(frame_.own, bar);
  ASSERT_EQ(3, GetMenuItemCount(bar));
  EXPECT_EQ("&File", menuText(bar, 0));
  EXPECT_EQ(testshape::kMenuText, menuText(bar, 1));
  EXPECT_EQ("&Window", menuText(bar, 2));
  HMENU objectMenu = GetSubMenu(bar, 1);
  ASSERT_NE(nullptr, objectMenu);
  EXPECT_EQ(testshape::kRecolourCommand, GetMenuItemID(objectMenu, 0));

  // The active object's accelerator: its key runs the command (the shape changes
  // colour); another key is not its.
  ASSERT_NE(nullptr, frame_.active);
  EXPECT_EQ(L"Shape", frame_.activeName);
  MSG other = {w, WM_KEYDOWN, VK_F3, 0x003D0001, 0, {0, 0}};
  EXPECT_EQ(S_FALSE, frame_.active->TranslateAccelerator(&other));
  expectShape(obj_, testshape::kColor);
  MSG key = {w, WM_KEYDOWN, testshape::kRecolourKey, 0x003C0001, 0, {0, 0}};
  EXPECT_EQ(S_OK, frame_.active->TranslateAccelerator(&key));
  expectShape(obj_, testshape::kRecolour);

  // UI deactivation: the frame gets its menu and tools back and no object is active;
  // the window stays while the object is active in place.
  ASSERT_EQ(S_OK, ip->UIDeactivate());
  EXPECT_EQ(1, site_->uiDeactivated);
  EXPECT_EQ(frame_.own, GetMenu(frame_.window));
  EXPECT_EQ(1, frame_.removeCalls);
  EXPECT_EQ(1, frame_.menuResets);
  EXPECT_EQ(1, frame_.setNone);
  EXPECT_EQ(nullptr, frame_.active);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_EQ(0, site_->ipDeactivated);

  // Active again and hidden: the window goes and the site is told.
  ASSERT_EQ(S_OK, doVerb(OLEIVERB_UIACTIVATE));
  EXPECT_EQ(2, site_->uiActivated);
  EXPECT_EQ(1, site_->ipActivated);
  ASSERT_EQ(S_OK, doVerb(OLEIVERB_HIDE));
  EXPECT_EQ(2, site_->uiDeactivated);
  EXPECT_EQ(1, site_->ipDeactivated);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(frame_.own, GetMenu(frame_.window));
  EXPECT_EQ(E_FAIL, ip->GetWindow(&w));
  ip->Release();
}

TEST_F(InPlace, ActiveWithoutItsUserInterface) {
  ASSERT_EQ(S_OK, doVerb(OLEIVERB_INPLACEACTIVATE));
  EXPECT_EQ(1, site_->ipActivated);
  EXPECT_EQ(0, site_->uiActivated);
  EXPECT_EQ(0, frame_.insertCalls);
  EXPECT_TRUE(frame_.requested.empty());
  EXPECT_EQ(frame_.own, GetMenu(frame_.window));
  // Moved by the container.
  IOleInPlaceObject* ip = nullptr;
  ASSERT_EQ(S_OK, obj_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ip)));
  RECT moved = {20, 30, 120, 80};
  RECT clip = {0, 0, 300, 200};
  ASSERT_EQ(S_OK, ip->SetObjectRects(&moved, &clip));
  HWND w = nullptr;
  ASSERT_EQ(S_OK, ip->GetWindow(&w));
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, doc_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(20, r.left);
  EXPECT_EQ(80, r.bottom);
  // Closing the object deactivates it.
  obj_->Close(OLECLOSE_NOSAVE);
  EXPECT_EQ(1, site_->ipDeactivated);
  EXPECT_FALSE(IsWindow(w));
  ip->Release();
}

// A site that does not allow in-place activation: the primary verb shows the object,
// the activation verbs fail and nothing of the container is touched.
TEST_F(InPlace, SiteThatRefuses) {
  site_->allowInPlace = false;
  EXPECT_EQ(S_OK, doVerb(OLEIVERB_PRIMARY));
  EXPECT_EQ(1, site_->shown);
  EXPECT_TRUE(FAILED(doVerb(OLEIVERB_UIACTIVATE)));
  EXPECT_TRUE(FAILED(doVerb(OLEIVERB_INPLACEACTIVATE)));
  EXPECT_EQ(0, site_->ipActivated);
  EXPECT_EQ(0, frame_.insertCalls);
  IOleInPlaceObject* ip = nullptr;
  ASSERT_EQ(S_OK, obj_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ip)));
  HWND w = nullptr;
  EXPECT_EQ(E_FAIL, ip->GetWindow(&w));
  ip->Release();
}

}  // namespace
