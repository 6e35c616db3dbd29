// oviui1 loaded and published by the store, and "Screen" read and driven from Basic on
// the X display: metrics, the global mouse pointer, font families, the window walk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "basicrunner.h"
#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwscreen.h"
#include "protokit.h"
#include "store/signature.h"
#include "utils/dllutils.h"
#include "winlib/applicat.h"
#include "winlib/module.h"

namespace {

using namespace protokit;

InterObjRep* Screen() {
  App();
  ObjectStore::PublishObjectDLL("oviui1");
  return ObjectStore::find("Screen");
}

// The value of a Basic expression (of type: "Long", "String" ...) as text.
std::string Basic(const std::string& expression, const char* type = "Long") {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As " + std::string(type) + "\n  F = " + expression + "\nEnd Function\n", "F");
  EXPECT_TRUE(out.ok) << expression << ": " << out.error;
  return out.result;
}

int Caps(int index) {
  HDC dc = GetDC(nullptr);
  int v = GetDeviceCaps(dc, index);
  ReleaseDC(nullptr, dc);
  return v;
}

TEST(Library, LoadsWithItsResourcesAndServesItsTable) {
  HMODULE h = LoadLibraryA("oviui1.dll");
  ASSERT_NE(nullptr, h);
  for (const char* name : {"DllEntryPoint", "DllGetClassObject", "DllCanUnloadNow", "POD_Populate"})
    EXPECT_NE(nullptr, GetProcAddress(h, name)) << name;
  EXPECT_NE(std::string::npos, std::string(DLLUtils::AttachedDLLs().data()).find("oviui1"));
  TModule* module = DllInstance::Module();
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(h, module->GetInstance());
  EXPECT_NE(nullptr, module->LoadIcon(MAKEINTRESOURCEA(1000)));
  EXPECT_NE(nullptr, module->FindResource(MAKEINTRESOURCEA(32599), (const char*)RT_DIALOG));

  typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(h, "DllGetClassObject"));
  struct Row {
    const char* clsid;
    HRESULT result;
  } rows[] = {
      {"{785a0280-acda-11ce-8d9a-0040900071a7}", S_OK},    // Screen
      {"{785a0281-acda-11ce-8d9a-0040900071a7}", S_OK},    // Window
      {"{785a0282-acda-11ce-8d9a-0040900071a7}", S_OK},    // Form
      {"{785a0284-acda-11ce-8d9a-0040900071a7}", S_OK},    // Control
      {"{785a0285-acda-11ce-8d9a-0040900071a7}", S_OK},    // Button
      {"{785a0288-acda-11ce-8d9a-0040900071a7}", S_OK},    // Font
      {"{785a028a-acda-11ce-8d9a-0040900071a7}", S_OK},    // ControlGroup
      {"{785a028b-acda-11ce-8d9a-0040900071a7}", S_OK},    // Menu
      {"{785a028c-acda-11ce-8d9a-0040900071a7}", S_OK},    // MenuBar
      {"{785a028d-acda-11ce-8d9a-0040900071a7}", S_OK},    // PopupMenu
      {"{785a028f-acda-11ce-8d9a-0040900071a7}", E_FAIL},  // Printer: not built yet
      {"{785a0290-acda-11ce-8d9a-0040900071a7}", E_FAIL},  // no such row
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.clsid);
    IClassFactory* f = nullptr;
    EXPECT_EQ(r.result, getClassObject(ClassId(r.clsid), IID_IClassFactory, (void**)&f));
    if (f) f->Release();
  }
  // The factories of Screen, Window, Form, Control, Button, Font and ControlGroup, and
  // the three menu classes'.
  EXPECT_EQ(10, DllInstance::TheDll()->ObjectCount());
  EXPECT_STREQ("Printer", DllInstance::Row(kOviui1Printer).name);
}

TEST(Screen, PublishedAndReadFromBasic) {
  InterObjRep* screen = Screen();
  ASSERT_NE(nullptr, screen);
  EXPECT_STREQ("Orvanel.Screen", screen->progId());
  EXPECT_EQ(nullptr, screen->parent());
  EXPECT_EQ(screen, IWScreen::PO_GetObject());
  ASSERT_NE(nullptr, dynamic_cast<IWScreen*>(screen->ROCDataPtr(0)));
  EXPECT_TRUE(screen->signature()->isCompFieldsDefined());

  int dpiX = Caps(LOGPIXELSX), dpiY = Caps(LOGPIXELSY);
  ASSERT_GT(dpiX, 0);
  if (dpiX == 96) {
    EXPECT_EQ("15", Basic("Screen.TwipsPerPixelX"));
  }
  struct Row {
    const char* property;
    long value;
  } rows[] = {
      {"TwipsPerPixelX", 1440 / dpiX},
      {"TwipsPerPixelY", 1440 / dpiY},
      {"Width", Caps(HORZRES) * (1440 / dpiX)},
      {"Height", Caps(VERTRES) * (1440 / dpiY)},
      {"pixelWidth", Caps(HORZRES)},
      {"pixelHeight", Caps(VERTRES)},
      {"mmWidth", Caps(HORZSIZE)},
      {"mmHeight", Caps(VERTSIZE)},
      {"pixelsPerInchX", dpiX},
      {"pixelsPerInchY", dpiY},
  };
  for (const Row& r : rows)
    EXPECT_EQ(std::to_string(r.value), Basic(std::string("Screen.") + r.property)) << r.property;
  EXPECT_EQ(15, IWScreen::TwipsPerPixelX() * dpiX / 96);
  // Read-only.
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  Screen.Width = 5\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
}

TEST(Screen, MousePointerThroughTheGlobalCursor) {
  Screen();
  TApplication app("oviui1_screen_test");
  const LPCSTR cursors[] = {nullptr,     IDC_ARROW,    IDC_CROSS,  IDC_IBEAM,    IDC_ICON,
                            IDC_SIZEALL, IDC_SIZENESW, IDC_SIZENS, IDC_SIZENWSE, IDC_SIZEWE,
                            IDC_UPARROW, IDC_WAIT,     IDC_NO,     IDC_HELP};
  struct Row {
    long set;
    long reads;
    LPCSTR cursor;
  };
  std::vector<Row> rows;
  for (long i = 13; i >= 0; --i) rows.push_back({i, i, cursors[i]});
  rows.push_back({5, 5, IDC_SIZEALL});
  rows.push_back({99, 0, nullptr});
  rows.push_back({7, 7, IDC_SIZENS});
  rows.push_back({-1, 0, nullptr});
  for (const Row& r : rows) {
    SCOPED_TRACE(r.set);
    EXPECT_TRUE(Basic("0") == "0");
    BasicOutcome out =
        BasicRunner::CompileAndRun("Function F() As Long\n  Screen.MousePointer = " + std::to_string(r.set) +
                                       "\n  F = Screen.MousePointer\nEnd Function\n",
                                   "F");
    EXPECT_TRUE(out.ok) << out.error;
    EXPECT_EQ(std::to_string(r.reads), out.result);
    EXPECT_EQ(r.cursor ? LoadCursorA(nullptr, r.cursor) : nullptr, app.GetGlobalCursor());
    EXPECT_EQ(r.reads, IWScreen::CursorEnum(IWScreen::CursorID(r.set)));
  }
  EXPECT_EQ(0u, IWScreen::CursorID(14));
  EXPECT_EQ(0, IWScreen::CursorEnum(12345));
  Basic("0");
  BasicRunner::CompileAndRun("Sub S()\n  Screen.MousePointer = 0\nEnd Sub\n", "S");
}

int CALLBACK FirstFamily(const LOGFONTA* f, const TEXTMETRICA*, DWORD, LPARAM out) {
  *reinterpret_cast<std::string*>(out) = f->lfFaceName;
  return 0;
}

TEST(Screen, FontFamilies) {
  Screen();
  long count = std::stol(Basic("Screen.FontCount"));
  ASSERT_GT(count, 0);
  std::string first;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesA(dc, nullptr, &FirstFamily, reinterpret_cast<LPARAM>(&first));
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(first, Basic("Screen.Fonts(0)", "String"));
  EXPECT_NE("", Basic("Screen.Fonts(" + std::to_string(count - 1) + ")", "String"));
  EXPECT_EQ("", Basic("Screen.Fonts(Screen.FontCount)", "String"));
  EXPECT_EQ("", Basic("Screen.Fonts(-1)", "String"));
}

// Counts this process's top-level windows: the tests run side by side on one desktop, so
// other processes' windows come and go while a walk runs.
BOOL CALLBACK CountWindow(HWND h, LPARAM n) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId()) ++*reinterpret_cast<int*>(n);
  return TRUE;
}

TEST(Screen, EnumWindowsCallsABasicMemberPerWindow) {
  InterObjRep* screen = Screen();
  HWND mine = CreateWindowA("STATIC", "oviui1 screen test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr);
  ASSERT_NE(nullptr, mine);
  int windows = 0;
  EnumWindows(&CountWindow, (LPARAM)&windows);

  BasicRunner walker;
  BasicOutcome compiled;
  ASSERT_TRUE(
      walker.compile("Dim calls As Long\n"
                     "Function Visit(ByVal h As Long) As Long\n"
                     "  calls = calls + 1\n"
                     "  Visit = 0\n"
                     "End Function\n"
                     "Function StopHere(ByVal h As Long) As Long\n"
                     "  calls = calls + 1\n"
                     "  StopHere = 5\n"
                     "End Function\n",
                     compiled))
      << compiled.error;
  IWScreen* native = dynamic_cast<IWScreen*>(screen->ROCDataPtr(0));
  ASSERT_NE(nullptr, native);
  InterObj target(walker.object());
  struct Row {
    const char* member;
    long result;
    int calls;  // -1: every window
  } rows[] = {{"Visit", 0, -1}, {"StopHere", 5, 1}, {"", -1, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.member);
    Set(walker.object(), "calls", new DirectValue<long, 2>(0));
    EXPECT_EQ(r.result, native->imEnumWindows(&target, r.member));
    long calls = LongOf(walker.object()->evalIMember("calls", nullptr));
    if (r.calls < 0)
      EXPECT_GE(calls, windows);  // at least each of our own windows
    else
      EXPECT_EQ(r.calls, calls);
  }
  InterObj nothing;
  EXPECT_EQ(-1, native->imEnumWindows(&nothing, "Visit"));
  EXPECT_EQ(-1, native->imEnumWindows(nullptr, "Visit"));
  EXPECT_EQ("-1", Basic("Screen.EnumWindows(Nothing, \"Visit\")"));
  DestroyWindow(mine);
}

}  // namespace
