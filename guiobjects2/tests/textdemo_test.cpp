// The sample text application end to end: ovrun.exe shows its form with a label and a
// text box; keys typed into the box run the box's Basic "Change" handler, which shows
// the text in the label; closing the form ends the run with the exit code "Shutdown" set
// from the text's length.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "testkit/formdriver.h"
#include "testkit/testkit.h"

namespace {

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of("\\/"));
}

// A host path as the Wine drive Z: shows it.
std::string WinePath(std::string p) {
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

struct ChildSearch {
  const char* cls;
  HWND found;
};

BOOL CALLBACK MatchClass(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<ChildSearch*>(p);
  char name[64] = "";
  GetClassNameA(h, name, sizeof name);
  if (lstrcmpiA(name, s->cls) != 0) return TRUE;
  s->found = h;
  return FALSE;
}

// The first child window of class cls at any depth, or null.
HWND FindChild(HWND parent, const char* cls) {
  ChildSearch s = {cls, nullptr};
  EnumChildWindows(parent, MatchClass, (LPARAM)&s);
  return s.found;
}

bool WaitForText(HWND window, const std::string& text, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (!IsWindow(window)) return false;
    if (testkit::CaptionOf(window) == text) return true;
    Sleep(20);
  }
  return false;
}

TEST(TextDemo, TypingIntoTheBoxShowsTheTextInTheLabel) {
  testkit::TestDataDir dir("oviui2_textdemo");
  ASSERT_TRUE(CopyFileA((WinePath(OV_SAMPLES_DIR) + "\\textdemo.obo").c_str(),
                        dir.File("textdemo.obo").c_str(), FALSE));
  std::string line = "\"" + ProgramFolder() + "\\ovrun.exe\" textdemo.obo -app TextDemo";
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si, &pi));
  struct Stop {
    PROCESS_INFORMATION& pi;
    ~Stop() {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  } stop{pi};

  HWND form = testkit::WaitForForm("Orvanel text demo", 60000);
  ASSERT_NE(nullptr, form);
  HWND label = FindChild(form, "OrvanelLabel");
  HWND box = FindChild(form, "Edit");
  ASSERT_NE(nullptr, label);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Type below", testkit::CaptionOf(label));
  for (char c : std::string("hello")) PostMessageA(box, WM_CHAR, (WPARAM)c, 1);
  EXPECT_TRUE(WaitForText(label, "You typed: hello")) << testkit::CaptionOf(label);
  PostMessageA(box, WM_CHAR, VK_BACK, 1);
  EXPECT_TRUE(WaitForText(label, "You typed: hell")) << testkit::CaptionOf(label);

  ASSERT_TRUE(testkit::CloseForm(form));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(44u, code);  // 40 plus the four characters left
}

}  // namespace
