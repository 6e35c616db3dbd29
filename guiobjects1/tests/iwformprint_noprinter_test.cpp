// PrintForm with no printer to print on: a Basic error that Basic can catch, never a
// crash, whether the user has no default printer at all or one that is no longer there.
// The user's default printer ("Device" under the Windows key) is changed for each case
// and put back afterwards; the program runs alone because of it.
#include <gtest/gtest.h>

#include <string>

#include "formkit.h"

namespace {

const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// The user's default printer setting, put back as it was at the end of the scope.
class DefaultPrinterSetting {
 public:
  DefaultPrinterSetting() {
    char buffer[1024] = "";
    DWORD size = sizeof buffer, type = 0;
    had_ = RegGetValueA(HKEY_CURRENT_USER, kWindowsKey, "Device", RRF_RT_REG_SZ, &type, buffer, &size) ==
           ERROR_SUCCESS;
    if (had_) saved_ = buffer;
  }
  ~DefaultPrinterSetting() {
    if (had_)
      Set(saved_);
    else
      Remove();
  }
  DefaultPrinterSetting(const DefaultPrinterSetting&) = delete;
  DefaultPrinterSetting& operator=(const DefaultPrinterSetting&) = delete;

  bool Had() const { return had_; }
  void Remove() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "Device");
    RegCloseKey(key);
  }
  void Set(const std::string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExA(key, "Device", 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
  }

 private:
  bool had_ = false;
  std::string saved_;
};

TEST(PrintForm, WithoutAPrinterPrintFormIsABasicError) {
  // The spooler reads the system's printers when it is first loaded, and makes one the
  // default when there is none: load it before the setting goes.
  ASSERT_NE(nullptr, LoadLibraryA("winspool.drv"));
  IWForm* f = formkit::MakeForm("NoPrinterForm");
  ASSERT_NE(nullptr, f);
  f->imShow();
  formkit::Pump(100);
  ASSERT_NE(nullptr, f->HWindow);
  DefaultPrinterSetting setting;
  struct Case {
    const char* what;
    const char* device;  // null: no default printer at all
  } cases[] = {
      {"no default printer", nullptr},
      {"a default printer that is gone", "OrvanelGonePrinter,winspool,CUPS:OrvanelGonePrinter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.device)
      setting.Set(c.device);
    else
      setting.Remove();
    testkit::BoxAnswerer boxes;  // a box would be a fault: answered, and counted
    BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  NoPrinterForm.PrintForm\nEnd Sub\n", "S");
    EXPECT_FALSE(out.ok);
    EXPECT_NE(std::string::npos, out.error.find("PrintForm")) << out.error;
    EXPECT_NE(std::string::npos, out.error.find("no printer")) << out.error;
    // Caught in Basic; the form goes on working.
    out = BasicRunner::CompileAndRun(
        "Function F() As String\n  Try\n    NoPrinterForm.PrintForm\n    F = \"printed\"\n  Catch\n"
        "    F = \"caught\"\n  End Try\n  NoPrinterForm.Caption = F\n  F = NoPrinterForm.Caption\nEnd "
        "Function\n",
        "F");
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ("caught", out.result);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  f->imUnload();
}

}  // namespace
