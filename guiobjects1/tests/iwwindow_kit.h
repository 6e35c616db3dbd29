// What the window tests share: oviui1 published once, windows made with and without
// store objects, stream blocks in memory, Basic run against named windows, hidden
// parents on the X display, the colour answer of a WM_CTLCOLOR* message.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "basicrunner.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/scalerect.h"
#include "protokit.h"
#include "store/interobj.h"
#include "winlib/applicat.h"

namespace windowkit {

using namespace protokit;
typedef std::vector<uint8_t> Bytes;

inline InterObjRep* WindowPrototype() {
  App();
  static bool published = [] {
    ObjectStore::PublishObjectDLL("oviui1");
    return true;
  }();
  (void)published;
  return ObjectStore::find("Window");
}

inline TApplication& TestApp() {
  WindowPrototype();
  static TApplication* app = new TApplication("oviui1_window_test");
  return *app;
}

// The module the tests' named windows live in.
inline unsigned char TestModule() {
  static unsigned char m = ObjectStore::CreateModule("window_test");
  return m;
}

// A named top-level "Window" object of the test module (kept for the process).
inline InterObjRep* NewWindow(const char* name) {
  InterObjRep* proto = WindowPrototype();
  OpenModuleResource open(TestModule());
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj w(proto, name, 0);
  kept->push_back(w);
  return w.get();
}

// One reference to a native object made by a test, given back at the end of scope.
template <class T>
class Owned {
 public:
  explicit Owned(T* p) : p_(p) {}
  Owned(Owned&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ~Owned() {
    if (p_) p_->Release();
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  T* get() const { return p_; }

 private:
  T* p_;
};

// A window without a store object: with a container scale of the test's, a system
// window class, or a stored Z order set directly.
class TestWindow : public IWWindow {
 public:
  explicit TestWindow(ScaleRect* scale = nullptr, const char* cls = nullptr, uint32_t style = WS_CHILD)
      : IWWindow(nullptr), scale_(scale), cls_(cls) {
    Attr.Style = style;
  }
  ScaleRect* ContainerScale() override { return scale_; }
  ScaleRect* Scale() override { return scale_; }
  const char* GetClassName() override { return cls_ ? cls_ : IWWindow::GetClassName(); }
  void forceZ(int z) { zOrder_ = (uint16_t)z; }

 private:
  ScaleRect* scale_;
  const char* cls_;
};

// A hidden top-level window of the window library to hold the tests' child windows.
class HiddenParent {
 public:
  HiddenParent() : w_(new TWindow(nullptr, "holder", nullptr)) {
    w_->Attr.Style = WS_OVERLAPPEDWINDOW;
    w_->Attr.X = w_->Attr.Y = 0;
    w_->Attr.W = 600;
    w_->Attr.H = 400;
    w_->Create();
  }
  ~HiddenParent() { delete w_; }
  TWindow* window() const { return w_; }

 private:
  TWindow* w_;
};

// The block a window saves (revision byte first).
inline Bytes SaveBlock(IWWindow& w) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  w.PO_Save(s, 1);
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  s->Seek(zero, STREAM_SEEK_CUR, &end);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b((size_t)end.QuadPart);
  ULONG n = 0;
  if (!b.empty()) s->Read(b.data(), (ULONG)b.size(), &n);
  s->Release();
  return b;
}

// Loads a block; the store's error passes through.
inline void LoadBlock(IWWindow& w, const Bytes& b) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  try {
    w.PO_Load(s);
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
}

inline void RunBasic(const std::string& statements) {
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n" + statements + "\nEnd Sub\n", "S");
  EXPECT_TRUE(out.ok) << statements << ": " << out.error;
}

inline std::string RunBasicValue(const std::string& expression, const char* type = "Long") {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As " + std::string(type) + "\n  F = " + expression + "\nEnd Function\n", "F");
  EXPECT_TRUE(out.ok) << expression << ": " << out.error;
  return out.result;
}

// The colours a WM_CTLCOLOR* message leaves on the child's device context and the
// colour of the brush answered.
struct Answer {
  COLORREF back, text, brush;
  HBRUSH handle;
};

inline Answer AskColours(HWND parent, UINT msg, HWND child) {
  HDC dc = GetDC(child);
  Answer a{};
  a.handle = (HBRUSH)SendMessageA(parent, msg, (WPARAM)dc, (LPARAM)child);
  a.back = GetBkColor(dc);
  a.text = GetTextColor(dc);
  LOGBRUSH lb = {};
  if (a.handle && GetObjectA(a.handle, sizeof lb, &lb))
    a.brush = lb.lbColor;
  else
    a.brush = CLR_INVALID;
  ReleaseDC(child, dc);
  return a;
}

// A published window "A", "B", "C" trio under a created parent, top-down in that order;
// for a form being edited, with the editor's two overlay children "^" (top) and "_"
// (bottom), which are not published.
class ZFamily {
 public:
  explicit ZFamily(bool edited) : parent_(new TestWindow(nullptr, nullptr, WS_CHILD | WS_VISIBLE)) {
    parent_->SetParentWindow(nullptr);
    parent_->SetParent(holder_.window());
    parent_->Create();
    if (edited) parent_->setFormFlags(IWWindow::kFormEditing);
    std::vector<HWND> order;
    if (edited) order.push_back(overlay('^'));
    for (int i = 0; i < 3; ++i) {
      kids_.emplace_back(new TestWindow(nullptr, nullptr, WS_CHILD | WS_VISIBLE));
      kids_.back()->SetParentWindow(parent_.get());
      kids_.back()->Create();
      names_[kids_.back()->HWindow] = char('A' + i);
      order.push_back(kids_.back()->HWindow);
    }
    if (edited) order.push_back(overlay('_'));
    for (HWND h : order) SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ~ZFamily() {
    for (HWND h : overlays_) DestroyWindow(h);
  }
  TestWindow* parent() const { return parent_.get(); }
  TestWindow* kid(int i) const { return kids_[i].get(); }
  // The children's names top-down.
  std::string order() const {
    std::string s;
    for (HWND h = GetWindow(parent_->HWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      auto it = names_.find(h);
      s += it == names_.end() ? '?' : it->second;
    }
    return s;
  }

 private:
  HWND overlay(char name) {
    HWND h =
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent_->HWindow, nullptr, nullptr, nullptr);
    names_[h] = name;
    overlays_.push_back(h);
    return h;
  }

  HiddenParent holder_;
  Owned<TestWindow> parent_;
  std::vector<Owned<TestWindow>> kids_;
  std::vector<HWND> overlays_;
  std::map<HWND, char> names_;
};

// A named window embedded in an object whose "<name>_Setup" handler counts its calls
// (and, with fail, then divides by zero).
class SetupCounter {
 public:
  explicit SetupCounter(const char* name, bool fail = false) {
    std::string text = "Dim count As Long\nSub " + std::string(name) + "_Setup()\n";
    if (fail) text += "  Dim zero As Long\n";
    text += "  count = count + 1\n";
    if (fail) text += "  count = count \\ zero\n";
    text += "End Sub\n";
    BasicOutcome out;
    EXPECT_TRUE(runner_.compile(text, out)) << out.error;
    window_ = NewWindow(name);
    runner_.object()->addEmbed(window_);
  }
  IWWindow* window() const { return IWWindow::Native(window_); }
  long count() const { return LongOf(runner_.object()->evalIMember("count", nullptr)); }

 private:
  BasicRunner runner_;
  InterObjRep* window_ = nullptr;
};

// The fake 3-D controls library built beside the tests.
inline std::string FakeCtl3dPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir = dir.substr(0, dir.find_last_of("\\/") + 1);
  return dir + "fakectl3d\\ctl3d32.dll";
}

}  // namespace windowkit
