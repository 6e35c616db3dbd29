// ovapp.exe, the application stub, as a program: copies of it stamped with a start-up
// record start their application with the user's own arguments; badly stamped ones show
// one box and end with 1.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launchertest.h"
#include "runtime/stubrecord.h"
#include "testkit/formdriver.h"
#include "testkit/testkit.h"
#include "utils/pefile.h"

using namespace launchertest;

namespace {

// A copy of the stub beside the product's DLLs (it loads them from its own folder),
// removed again at the end of the test.
class StubCopy {
 public:
  explicit StubCopy(const std::string& name) : path_(ProgramFolder() + "\\" + name + ".exe") {
    EXPECT_TRUE(CopyFileA((ProgramFolder() + "\\ovapp.exe").c_str(), path_.c_str(), FALSE));
  }
  ~StubCopy() { DeleteFileA(path_.c_str()); }
  const std::string& Path() const { return path_; }
  // Adds the section and writes record into it (or, when raw is given, those bytes).
  void Stamp(const StubRecord* record, const std::vector<uint8_t>* raw = nullptr) {
    PEFile pe(path_.c_str());
    uint8_t* section = pe.MakeOrvanelDataSection();
    if (record) {
      ASSERT_TRUE(WriteStubRecord(*record, section, kStubSectionSize, nullptr));
    }
    if (raw) memcpy(section, raw->data(), raw->size());
  }

 private:
  std::string path_;
};

const char* const kDeclares[] = {
    "Declare Function CreateFileA Lib \"kernel32\" (ByVal fileName As String, ByVal access As Long, "
    "ByVal share As Long, ByVal security As Long, ByVal disposition As Long, ByVal attributes As Long, "
    "ByVal template As Long) As Long",
    "Declare Function WriteFile Lib \"kernel32\" (ByVal handle As Long, ByVal text As String, "
    "ByVal length As Long, written As Long, ByVal overlapped As Long) As Long",
    "Declare Function CloseHandle Lib \"kernel32\" (ByVal handle As Long) As Long",
    "Declare Function FindWindowA Lib \"user32\" (ByVal cls As String, ByVal title As Long) As Long"};

// "Startup" writes the argument count and whether the splash window exists to out.txt.
const char kStartup[] =
    "Sub Startup()\n"
    " Dim h As Long\n"
    " Dim n As Long\n"
    " Dim text As String\n"
    " text = \"args=\" & ArgCount & \" splash=\" & Abs(FindWindowA(\"OrvanelMain\", 0) <> 0)\n"
    " h = CreateFileA(\"out.txt\", &H40000000, 0, 0, 2, &H80, 0)\n"
    " WriteFile h, text, Len(text), n, 0\n"
    " CloseHandle h\n"
    " ExitCode = 33\n"
    "End Sub\n";

TEST(Ovapp, AStampedStubStartsItsApplicationWithTheUsersArguments) {
  testkit::TestDataDir dir("ovapp_run");
  WriteAppModule(dir.File("lib.obo"), "lib", "Helper", {});
  WriteAppModule(dir.File("main.obo"), "main", "Main",
                 {kDeclares[0], kDeclares[1], kDeclares[2], kDeclares[3], kStartup});
  struct Case {
    const char* what;
    const char* splash;
    uint32_t flags;
    const char* args;
    const char* written;
  } cases[] = {
      {"no arguments", "ovsplash.bmp", 0x01000000, "", "args=1 splash=1"},
      // The stub reads no options: "-app" is the application's own argument.
      {"arguments unchanged", "ovsplash.bmp", 0x01000000, " x \"y z\" -app Other", "args=5 splash=1"},
      {"empty splash name, status lines", "", 0x01000001, " q", "args=2 splash=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StubCopy stub("ovapp_test_run");
    StubRecord record;
    record.flags = c.flags;
    record.app = "Main";
    record.splash = c.splash;
    record.modules = {"lib.obo", dir.File("main.obo")};
    stub.Stamp(&record);
    DeleteFileA(dir.File("out.txt").c_str());
    testkit::ProcessBoxes boxes;
    testkit::ProcessOutcome out = boxes.Run("\"" + stub.Path() + "\"" + c.args, 60000, dir.Path().c_str());
    ASSERT_TRUE(out.started);
    ASSERT_TRUE(out.finished);
    EXPECT_EQ(33u, out.exitCode);
    EXPECT_TRUE(out.boxes.empty()) << out.boxes[0].caption << ": " << out.boxes[0].text;
    EXPECT_EQ(c.written, ReadWholeFile(dir.File("out.txt")));
  }
}

TEST(Ovapp, ABadlyStampedStubShowsOneBoxAndEndsWithOne) {
  testkit::TestDataDir dir("ovapp_bad");
  std::vector<uint8_t> unterminated(kStubSectionSize, 'A');
  StubRecord good;
  good.app = "Main";
  good.modules = {"main.obo"};
  enum How { kUnstamped, kUnterminated, kTruncated };
  const struct {
    const char* what;
    How how;
  } cases[] = {
      {"unstamped", kUnstamped}, {"no terminator", kUnterminated}, {"section cut short", kTruncated}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StubCopy stub("ovapp_test_bad");
    if (c.how == kUnterminated) stub.Stamp(nullptr, &unterminated);
    if (c.how == kTruncated) {
      stub.Stamp(&good);
      PEFile pe;
      pe.Open(stub.Path().c_str());
      IMAGE_SECTION_HEADER* h = pe.FindSectionHeader(".orvanel");
      ASSERT_NE(nullptr, h);
      h->Misc.VirtualSize = 100;
      h->SizeOfRawData = 0x200;
    }
    testkit::ProcessBoxes boxes;
    testkit::ProcessOutcome out = boxes.Run("\"" + stub.Path() + "\" x", 60000, dir.Path().c_str());
    ASSERT_TRUE(out.started);
    ASSERT_TRUE(out.finished);
    EXPECT_EQ(1u, out.exitCode);
    ASSERT_EQ(1u, out.boxes.size());
    EXPECT_EQ("Error", out.boxes[0].caption);
    EXPECT_EQ("This is an improperly initialized stub.", out.boxes[0].text);
  }
}

// The sample form application shipped as one program: a stub stamped for it starts it with
// no arguments, shows its main form, and a click on the button runs its Basic handler.
TEST(Ovapp, AStubStampedForTheFormSampleRunsItsClickHandler) {
  testkit::TestDataDir dir("ovapp_form");
  std::string samples = WinePath(OV_SAMPLES_DIR);
  ASSERT_TRUE(CopyFileA((samples + "\\formdemo.obo").c_str(), dir.File("formdemo.obo").c_str(), FALSE));
  StubCopy stub("ovapp_test_form");
  StubRecord record;
  record.app = "FormDemo";
  record.modules = {"formdemo.obo"};
  stub.Stamp(&record);

  std::string line = "\"" + stub.Path() + "\"";
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si, &pi));
  HWND form = testkit::WaitForForm("Orvanel form demo", 60000);
  EXPECT_NE(nullptr, form);
  HWND button = form ? testkit::FindButton(form, "Click me") : nullptr;
  EXPECT_NE(nullptr, button);
  if (button) {
    EXPECT_TRUE(testkit::ClickCentre(button));
    EXPECT_TRUE(testkit::WaitForCaption(form, "Clicked 1")) << testkit::CaptionOf(form);
    EXPECT_TRUE(testkit::CloseForm(form));
  }
  DWORD code = DWORD(-2);
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(41u, code);  // "Shutdown": 40 plus the one click
}

// ovstamp, the tool that makes the stamped copy, refuses what does not fit and leaves
// the stub as it was.
TEST(Ovapp, OvstampWritesTheRecordOrRefusesWithoutTouchingTheStub) {
  testkit::TestDataDir dir("ovapp_stamp");
  WriteAppModule(dir.File("main.obo"), "main", "Main",
                 {kDeclares[0], kDeclares[1], kDeclares[2], kDeclares[3], kStartup});
  std::string tool = "\"" + ProgramFolder() + "\\ovstamp.exe\"";
  std::string stub = ProgramFolder() + "\\ovapp.exe";
  std::string made = ProgramFolder() + "\\ovapp_test_stamped.exe";
  std::string before = ReadWholeFile(stub);

  testkit::ProcessBoxes run;
  testkit::ProcessOutcome out =
      run.Run(tool + " -o \"" + made + "\" -app Main \"" + stub + "\" \"" + dir.File("main.obo") + "\"",
              60000, dir.Path().c_str());
  ASSERT_TRUE(out.finished);
  EXPECT_EQ(0u, out.exitCode);
  EXPECT_EQ(before, ReadWholeFile(stub));
  testkit::ProcessOutcome app = run.Run("\"" + made + "\"", 60000, dir.Path().c_str());
  EXPECT_EQ(33u, app.exitCode);
  EXPECT_EQ("args=1 splash=1", ReadWholeFile(dir.File("out.txt")));
  DeleteFileA(made.c_str());

  std::string huge(5000, 'm');
  out = run.Run(tool + " -o \"" + made + "\" -app Main \"" + stub + "\" " + huge, 60000, dir.Path().c_str());
  ASSERT_TRUE(out.finished);
  EXPECT_EQ(1u, out.exitCode);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(made.c_str()));
  EXPECT_EQ(before, ReadWholeFile(stub));
}

}  // namespace
