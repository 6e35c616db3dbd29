// The road of one event, end to end: ovrun.exe starts the sample form application (a
// text object file), its main form shows with a button, a click on the button runs the
// button's Basic "Click" handler, which changes the form's caption, and closing the form
// from its system menu asks "CanClose", runs "Shutdown" and ends the process with the
// exit code "Shutdown" set. A screenshot of the form is kept in the build tree.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "launchertest.h"
#include "testkit/formdriver.h"
#include "testkit/testkit.h"
#include "winlib/framewin.h"

using namespace launchertest;

namespace {

// The host path of a path on drive Z:, else "".
std::string HostPath(const std::string& windowsPath) {
  if (windowsPath.size() < 3 || (windowsPath[0] != 'Z' && windowsPath[0] != 'z') || windowsPath[1] != ':')
    return "";
  std::string p = windowsPath.substr(2);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

// A screenshot of the whole display by the host's ImageMagick (by full path), through
// Wine's start /unix; true when the file appeared.
bool HostScreenshot(const std::string& windowsFile) {
  std::string host = HostPath(windowsFile);
  if (host.empty() || GetFileAttributesA("Z:\\usr\\bin\\import") == INVALID_FILE_ATTRIBUTES) return false;
  DeleteFileA(windowsFile.c_str());
  std::string line = "start.exe /unix /usr/bin/import -window root \"" + host + "\"";
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 20000) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(windowsFile.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0) {
      Sleep(500);  // let the writer finish
      return true;
    }
    Sleep(100);
  }
  return false;
}

// ovrun.exe running in a folder; stopped at the end if it is still there.
class Launcher {
 public:
  Launcher(const std::string& args, const std::string& dir) {
    std::string line = "\"" + ProgramFolder() + "\\ovrun.exe\" " + args;
    STARTUPINFOA si = {sizeof si};
    started_ =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi_) != 0;
  }
  ~Launcher() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool started() const { return started_; }
  bool running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  // The exit code once it ended within timeoutMs; -2 when it did not.
  long waitExit(DWORD timeoutMs) {
    if (!started_ || WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -2;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return (long)code;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION pi_ = {};
};

TEST(OvrunForm, AClickOnTheButtonRunsItsHandlerAndClosingEndsWithTheExitCode) {
  testkit::TestDataDir dir("ovrun_form");
  ASSERT_TRUE(CopyFileA((WinePath(OV_SAMPLES_DIR) + "\\formdemo.obo").c_str(),
                        dir.File("formdemo.obo").c_str(), FALSE));
  Launcher run("formdemo.obo -app FormDemo", dir.Path());
  ASSERT_TRUE(run.started());

  HWND form = testkit::WaitForForm("Orvanel form demo", 60000);
  ASSERT_NE(nullptr, form) << "no form; the launcher " << (run.running() ? "still runs" : "ended");
  HWND button = testkit::FindButton(form, "Click me");
  ASSERT_NE(nullptr, button);
  HWND client = GetParent(button);
  char cls[64] = "";
  GetClassNameA(client, cls, sizeof cls);
  EXPECT_STREQ("OrvanelFormClient", cls);
  EXPECT_EQ(form, GetParent(client));

  ASSERT_TRUE(testkit::ClickCentre(button));
  EXPECT_TRUE(testkit::WaitForCaption(form, "Clicked 1")) << testkit::CaptionOf(form);
  ASSERT_TRUE(testkit::ClickCentre(button));
  EXPECT_TRUE(testkit::WaitForCaption(form, "Clicked 2")) << testkit::CaptionOf(form);

  std::string shot = ProgramFolder() + "\\..\\test-artefacts";
  CreateDirectoryA(shot.c_str(), nullptr);
  shot += "\\ovrun_form_test.png";
  if (!HostScreenshot(shot)) {  // no ImageMagick on this host: the library's own capture
    EXPECT_TRUE(testkit::Screenshot(shot)) << shot;
  }

  ASSERT_TRUE(testkit::CloseForm(form));
  EXPECT_EQ(42, run.waitExit(60000));  // "Shutdown": 40 plus the two clicks
}

TEST(OvrunForm, AnApplicationWithoutAMainFormEndsAfterStartup) {
  // The form library is published, but "Startup" names no main form: the run ends at
  // once with the exit code "Startup" set.
  testkit::TestDataDir dir("ovrun_noform");
  {
    HANDLE h =
        CreateFileA(dir.File("noform.obo").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    const char text[] =
        "Begin Code\r\n  ModuleManager.PublishObjectDLL(\"oviui1\")\r\nEnd Code\r\n"
        "Type Lonely From Form\r\nEnd Type\r\n"
        "Type NoForm From Application\r\n  Sub Startup()\r\n    ExitCode = 17\r\n  End Sub\r\nEnd Type\r\n";
    DWORD n = 0;
    WriteFile(h, text, sizeof text - 1, &n, nullptr);
    CloseHandle(h);
  }
  testkit::ProcessBoxes boxes;
  testkit::ProcessOutcome out =
      boxes.Run("\"" + ProgramFolder() + "\\ovrun.exe\" noform.obo -app NoForm", 60000, dir.Path().c_str());
  ASSERT_TRUE(out.finished);
  EXPECT_TRUE(out.boxes.empty()) << out.boxes[0].caption << ": " << out.boxes[0].text;
  EXPECT_EQ(17u, out.exitCode);
}

// In this process, with the launcher's own loops: a button's handler shows a dialog
// form modally; the dialog's button ends it with ModalResult; the handler goes on with
// the result and the main loop resumes; closing the main form ends the run with the
// application's exit code.
TEST(OvrunForm, AModalFormInsideTheLaunchersLoopGivesItsResultAndTheLoopResumes) {
  testkit::TestDataDir dir("ovrun_modal");
  std::string path = dir.File("modal.obo");
  {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    const char text[] =
        "Begin Code\r\n  ModuleManager.PublishObjectDLL(\"oviui1\")\r\nEnd Code\r\n"
        "Type Dlg From Form\r\n  Type Ok From Button\r\n  End Type\r\n"
        "  Sub Ok_Click()\r\n    ModalResult 5\r\n  End Sub\r\nEnd Type\r\n"
        "Type Main1 From Form\r\n  Dim Depth As Long\r\n  Type Open From Button\r\n  End Type\r\n"
        "  Sub Open_Click()\r\n    Dim r As Long\r\n    r = Dlg.ShowModal()\r\n"
        "    If Dlg.ShownModal Then\r\n      Caption = \"still modal\"\r\n    Else\r\n"
        "      Caption = \"r=\" & r\r\n    End If\r\n  End Sub\r\nEnd Type\r\n"
        "Type Main From Application\r\n  Sub Startup()\r\n    MainForm = Main1\r\n  End Sub\r\n"
        "  Sub Shutdown()\r\n    ExitCode = 23\r\n  End Sub\r\nEnd Type\r\n"
        "Begin Code\r\n  Main1.Caption = \"Main form\"\r\n  Dlg.Caption = \"Dialog\"\r\n"
        "  Main1.Open.Caption = \"Open\"\r\n  Main1.Open.Move 120, 120, 1200, 450\r\n"
        "  Dlg.Ok.Caption = \"Ok\"\r\n  Dlg.Ok.Move 120, 120, 1200, 450\r\nEnd Code\r\n";
    DWORD n = 0;
    WriteFile(h, text, sizeof text - 1, &n, nullptr);
    CloseHandle(h);
  }
  Launch launch({path}, "Main");
  std::vector<std::string> seen;
  std::vector<int> depth;
  {
    std::unique_ptr<TestApp> app(
        new TestApp(1, launch.argv.data(), 0x01000000, launch.modules, &launch.app[0], nullptr));
    app->withFrame = false;
    app->started = [&](TestApp& a) {
      HWND main = testkit::WaitForForm("Main form", 5000);
      ASSERT_NE(nullptr, main);
      EXPECT_EQ(main, a.GetMainWindow()->HWindow);
      PostTask([&, main] {
        depth.push_back(a.GetCurrentMessageLoopIndexV());
        SendMessageA(testkit::FindButton(main, "Open"), BM_CLICK, 0, 0);  // returns after the dialog
        seen.push_back(testkit::CaptionOf(main));
      });
      PostTask([&] {  // runs in the dialog's loop
        depth.push_back(a.GetCurrentMessageLoopIndexV());
        HWND dlg = testkit::WaitForForm("Dialog", 5000);
        if (!dlg) {  // ends the run instead of leaving the handler waiting
          ADD_FAILURE() << "the dialog did not show";
          PostQuitMessage(1);
          return;
        }
        SendMessageA(testkit::FindButton(dlg, "Ok"), BM_CLICK, 0, 0);
      });
      PostTask([&, main] {  // the main loop again
        depth.push_back(a.GetCurrentMessageLoopIndexV());
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
      });
    };
    EXPECT_EQ(23, app->Run());
  }
  ASSERT_EQ(3u, depth.size());
  EXPECT_EQ(depth[0] + 1, depth[1]);  // the dialog's loop inside the main one
  EXPECT_EQ(depth[0], depth[2]);      // and the main loop again afterwards
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("r=5", seen[0]);
}

}  // namespace
