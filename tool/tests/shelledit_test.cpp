// TShellEdit: Basic Print statements addressed to an object whose print target is a
// shell edit window (as the developer tools' Debug object is) give the exact text of
// the store's Print layout, in the kept history and in the control; the history limit
// drops the oldest lines; Reset and Refresh; the help and owner hooks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "testkit/testkit.h"
#include "testobjs/testobjs.h"
#include "tool/shelledit.h"
#include "tool/toolframe.h"
#include "toolkit.h"
#include "winlib/applicat.h"

namespace {

using namespace toolkit;

TApplication& App() {
  Publish();
  static TApplication* app = new TApplication("ovitool_shelledit_test");
  return *app;
}

TShellEdit* HostShell() {
  static TShellEdit* shell = [] {
    InterObjRep* host = NewObject("ShellHost", "Shell");
    ShellHost* native = ShellHost::Native(host);
    return native ? native->shell() : nullptr;
  }();
  return shell;
}

std::string ControlText(TShellEdit& s) { return s.GetWindowText(); }

struct PrintCase {
  const char* statements;  // Basic, each line a Print to Shell
  const char* shown;       // the window's text afterwards, lines ended by "\r\n"
};

const PrintCase kCases[] = {
    {"Shell.Print 1, 2", "1             2\r\n"},
    {"Shell.Print \"abcdefghijklmn\", \"x\"", "abcdefghijklmn              x\r\n"},
    {"Shell.Print \"abcdefghijklm\", \"x\"", "abcdefghijklm x\r\n"},
    {"Shell.Print \"ab\"; Tab(10); \"c\"", "ab       c\r\n"},
    {"Shell.Print \"abcdef\"; Tab(3); \"x\"", "abcdef\r\n  x\r\n"},
    {"Shell.Print \"a\"; Spc(3); \"b\"; Spc(0); \"c\"", "a   bc\r\n"},
    {"Shell.Print \"a\";\nShell.Print \"b\"\nShell.Print\nShell.Print \"c\"", "ab\r\n\r\nc\r\n"},
    {"Shell.Print 1 / 3; \" \"; 1E+20; \" \"; -4", "0.333333 1e+20 -4\r\n"},
    {"Dim i As Integer, s As Single\ni = 7\ns = 2.5\nShell.Print i; s", "72.5\r\n"},
    {"Shell.Print \"x\",", "x             "},
    {"Shell.Print \"x\",\nShell.Print \"y\"", "x             y\r\n"},
};

TEST(ShellEdit, DefaultConstructedWithoutAHandle) {
  TShellEdit s;
  EXPECT_EQ(nullptr, s.HWindow);
  EXPECT_NE(0u, s.Attr.Style & ES_READONLY);
  EXPECT_NE(0u, s.Attr.Style & ES_MULTILINE);
  EXPECT_EQ("", s.Text());
  Printable& p = s;  // Print before any window: kept for when it is made
  p.Print("early");
  p.PrintDone(PrintSepEndOfLine);
  EXPECT_EQ("early\r\n", s.Text());
}

TEST(ShellEdit, BasicPrintSequencesShowTheirExactText) {
  App();
  TShellEdit* shell = HostShell();
  ASSERT_NE(nullptr, shell);
  TToolFrame frame(nullptr, "Debug", shell, false, nullptr);
  frame.Attr.W = 400;
  frame.Attr.H = 200;
  ASSERT_TRUE(frame.Create());
  ASSERT_NE(nullptr, shell->HWindow);
  for (const PrintCase& c : kCases) {
    SCOPED_TRACE(c.statements);
    shell->Reset(InterObj());
    BasicOutcome out = RunBasic(c.statements);
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(c.shown, shell->Text());
    EXPECT_EQ(c.shown, ControlText(*shell));
  }
  // The same statements without an object print the same text (one layout rule).
  for (const PrintCase& c : kCases) {
    std::string plain = c.statements;
    for (size_t at; (at = plain.find("Shell.Print")) != std::string::npos;) plain.replace(at, 11, "Print");
    shell->Reset(InterObj());
    BasicOutcome out = RunBasic(plain + "\nPrint");  // ends a trailing separator's line
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(std::string(c.shown) + "\r\n", out.printed) << plain;
  }
  frame.SetClientWindow(nullptr);  // the host object owns the shell window
  shell->Destroy();
  shell->SetParent(nullptr);
}

TEST(ShellEdit, HistoryLimitDropsTheOldestLines) {
  App();
  TShellEdit* shell = new TShellEdit;
  TToolFrame frame(nullptr, "Debug", shell, false, nullptr);
  ASSERT_TRUE(frame.Create());
  shell->SetMaxLines(3);
  Printable& p = *shell;
  for (long i = 1; i <= 5; ++i) {
    p.Print(i);
    p.PrintDone(PrintSepEndOfLine);
  }
  p.Print("now");
  EXPECT_EQ("3\r\n4\r\n5\r\nnow", shell->Text());
  EXPECT_EQ(shell->Text(), ControlText(*shell));
  EXPECT_EQ(4, shell->LineCount());

  // Lines of one string count too, and a smaller limit trims at once.
  p.Print("a\nb\r\nc");
  EXPECT_EQ("5\r\nnowa\r\nb\r\nc", shell->Text());
  shell->SetMaxLines(1);
  EXPECT_EQ("b\r\nc", shell->Text());
  EXPECT_EQ(shell->Text(), ControlText(*shell));

  // A long run stays bounded.
  shell->SetMaxLines(50);
  for (long i = 0; i < 2000; ++i) {
    p.Print(i);
    p.PrintDone(PrintSepEndOfLine);
  }
  EXPECT_EQ(51, shell->LineCount());
  EXPECT_EQ(0u, shell->Text().find("1950\r\n"));
  EXPECT_EQ(shell->Text(), ControlText(*shell));
}

class CountingShell : public TShellEdit {
 public:
  void HelpRequested() override { ++helps; }
  InterObjRep* OwningObject() override { return owner; }
  int helps = 0;
  InterObjRep* owner = nullptr;
};

TEST(ShellEdit, ResetRefreshAndHooks) {
  App();
  CountingShell* shell = new CountingShell;
  TToolFrame frame(nullptr, "Debug", shell, false, nullptr);
  Printable& p = *shell;
  p.Print("before the window");
  p.PrintSeparator(PrintSepZone);
  ASSERT_TRUE(frame.Create());
  EXPECT_EQ("before the window           ", ControlText(*shell));  // shown when made

  // Reset empties it and starts the next line at column 0.
  InterObjRep* owner = NewObject("DataBuffer", "Owner");
  shell->Reset(InterObj(owner));
  EXPECT_EQ("", shell->Text());
  EXPECT_EQ("", ControlText(*shell));
  EXPECT_EQ("Owner", shell->ResetName().substr(shell->ResetName().size() - 5));
  p.PrintTab(3);
  p.Print("x");
  EXPECT_EQ("  x", shell->Text());

  // Refresh shows the kept text again even when the control was changed behind it.
  shell->SetWindowText("scribbled");
  shell->Refresh();
  EXPECT_EQ("  x", ControlText(*shell));

  shell->SendMessage(WM_HELP, 0, 0);
  EXPECT_EQ(1, shell->helps);
  shell->owner = owner;
  TPoint at(1, 1);
  EXPECT_EQ(owner, shell->GetAsInterObjRep(at));
}

}  // namespace
