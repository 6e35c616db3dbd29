// Printing on the rig's real printer: the CUPS queue "PDF" that scripts/session.sh makes,
// which writes each job as a PDF file into $OV_PDF_DIR. Every test checks what reached
// the paper with poppler's tools (pdfinfo, pdftotext), run as Unix programs from Wine.
// Without the rig the tests fail at once, naming what is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "testkit/pdfkit.h"
#include "testkit/testkit.h"
#include "winlib/dc.h"
#include "winlib/printer.h"
#include "winlib/printout.h"

namespace {

using namespace pdfkit;

// Prints "<tag> page N" large on each page, and records what it saw of the job.
class TTextPrintout : public TPrintout {
 public:
  TTextPrintout(const std::string& tag, int pages) : TPrintout(tag.c_str()), tag_(tag), pages_(pages) {}
  bool HasPage(int page) override { return page >= 1 && page <= pages_; }
  void PrintPage(int page, TRect& band, uint) override {
    ++printed;
    dc = GetPrintDC()->GetHDC();
    bandSeen = band;
    abortShown = abortShown || AbortWindowVisible();
    HFONT font = CreateFontA(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    std::string text = tag_ + " page " + std::to_string(page);
    TextOutA(dc, 150, 300, text.c_str(), int(text.size()));
    SelectObject(dc, old);
    DeleteObject(font);
    if (onPage) onPage(page);
  }
  static bool AbortWindowVisible() {
    HWND box = FindWindowA("#32770", "Printing");
    return box && IsWindowVisible(box) && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId();
  }
  std::string tag_;
  int pages_;
  int printed = 0;
  HDC dc = nullptr;
  TRect bandSeen;
  bool abortShown = false;
  std::function<void(int)> onPage;
};

void RequireRig() {
  ASSERT_FALSE(PdfDir().empty()) << "no printer rig: OV_PDF_DIR is not set (run the tests through "
                                    "scripts/test.sh or scripts/dev-test.sh, which start cupsd)";
}

}  // namespace

TEST(WinLibPrinter, TheDefaultPrinterIsTheRigsPdfQueue) {
  RequireRig();
  TPrinter printer;
  ASSERT_TRUE(printer.HasPrinter()) << "Wine sees no printer: is cupsd running (CUPS_SERVER="
                                    << Env("CUPS_SERVER") << ")?";
  EXPECT_EQ("PDF", printer.GetSetup().GetDeviceName());
  // A4 at 300 dots per inch.
  EXPECT_EQ(TSize(300, 300), printer.GetPageSizeInch());
  EXPECT_NEAR(2479, printer.GetPageSize().cx, 120);
  EXPECT_NEAR(3508, printer.GetPageSize().cy, 120);
}

TEST(WinLibPrinter, SetupWithReturnDefaultGivesTheDefaultPrintersNames) {
  RequireRig();
  testkit::BoxAnswerer boxes;
  TPrinter printer;
  printer.GetSetup().SetDevNames("winspool", "Elsewhere", "LPT9:");
  printer.GetSetup().Flags |= PD_RETURNDEFAULT;
  EXPECT_EQ(IDOK, printer.Setup(nullptr));
  EXPECT_EQ("PDF", printer.GetSetup().GetDeviceName());
  EXPECT_FALSE(printer.GetSetup().GetDriverName().empty());
  EXPECT_FALSE(printer.GetSetup().GetOutputName().empty());
  std::unique_ptr<char[]> devMode(reinterpret_cast<char*>(printer.GetSetup().CopyDevMode()));
  ASSERT_NE(nullptr, devMode);
  EXPECT_STREQ("PDF",
               reinterpret_cast<const char*>(reinterpret_cast<DEVMODEA*>(devMode.get())->dmDeviceName));
  EXPECT_EQ(0u, printer.GetSetup().Flags & (PD_RETURNDEFAULT | PD_PRINTSETUP));
  EXPECT_TRUE(boxes.Boxes().empty());  // nothing was shown
}

// The user cancels the abort window during page 1 of 3: the job ends with AbortDoc,
// nothing is printed, the DC is deleted. A job printed afterwards arrives alone.
TEST(WinLibPrinter, CancellingTheAbortWindowPrintsNothing) {
  RequireRig();
  std::string tag = Tag("Cancelled");
  testkit::BoxAnswerer boxes;
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);
  TPrinter printer;
  TTextPrintout printout(tag, 3);
  printout.onPage = [](int page) {
    HWND box = FindWindowA("#32770", "Printing");
    if (page == 1 && box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  EXPECT_FALSE(printer.Print(nullptr, printout, false));
  EXPECT_EQ(SP_APPABORT, printer.GetError());
  EXPECT_TRUE(printer.UserAborted());
  EXPECT_EQ(1, printout.printed);
  EXPECT_TRUE(printout.abortShown);
  EXPECT_EQ(0u, GetObjectType(printout.dc));
  EXPECT_FALSE(TTextPrintout::AbortWindowVisible());
  ASSERT_EQ(1u, boxes.Boxes().size());

  std::string after = Tag("AfterCancel");
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);
  TTextPrintout next(after, 1);
  ASSERT_TRUE(printer.Print(nullptr, next, false));
  ASSERT_FALSE(WaitForPdf(after).empty());
  EXPECT_TRUE(PdfsTagged(tag).empty()) << "the cancelled job reached the paper";
}

TEST(WinLibPrinter, AnUnknownPrinterIsAClearError) {
  RequireRig();
  testkit::BoxAnswerer boxes;
  TPrinter printer;
  printer.GetSetup().SetDevNames("winspool", "NoSuchPrinter", "LPT9:");
  TTextPrintout printout(Tag("Nowhere"), 1);
  try {
    printer.Print(nullptr, printout, false);
    ADD_FAILURE() << "printing to a printer that does not exist succeeded";
  } catch (const TXPrinter& x) {
    EXPECT_STREQ("The printer \"NoSuchPrinter\" cannot be reached.", x.what());
  }
  EXPECT_EQ(0, printout.printed);
  EXPECT_TRUE(boxes.Boxes().empty());
}

// Runs last: after Wine's print dialog has run once, a process cannot open that printer
// again (CreateDC fails), so the tests without the dialog come first.
TEST(WinLibPrinter, ATwoPagePrintoutGivesATwoPagePdf) {
  RequireRig();
  std::string tag = Tag("TwoPages");
  testkit::BoxAnswerer boxes;
  boxes.Script(IDOK);                             // the print dialog
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);  // the abort window stays for the job
  TPrinter printer;
  TTextPrintout printout(tag, 2);
  ASSERT_TRUE(printer.Print(nullptr, printout, true));
  EXPECT_EQ(0, printer.GetError());
  EXPECT_EQ(2, printout.printed);
  EXPECT_TRUE(printout.abortShown);
  EXPECT_EQ(nullptr, printout.GetPrintDC());
  EXPECT_EQ(0u, GetObjectType(printout.dc));  // the job's DC is gone
  EXPECT_EQ(TRect(0, 0, printer.GetPageSize().cx, printer.GetPageSize().cy), printout.bandSeen);
  ASSERT_EQ(2u, boxes.Boxes().size());
  EXPECT_EQ("Printing", boxes.Boxes()[1].caption);
  EXPECT_NE(std::string::npos, boxes.Boxes()[1].text.find(tag));
  EXPECT_NE(std::string::npos, boxes.Boxes()[1].text.find("PDF"));

  std::string pdf = WaitForPdf(tag);
  ASSERT_FALSE(pdf.empty()) << "no PDF for " << tag << " in " << PdfDir();
  std::string info = RunUnix("/usr/bin/pdfinfo", pdf);
  EXPECT_EQ("2", PdfInfoField(info, "Pages")) << info;
  EXPECT_NE(std::string::npos, PdfInfoField(info, "Page size").find("A4")) << info;
  std::string page1 = RunUnix("/usr/bin/pdftotext", "-f 1 -l 1 " + pdf + " -");
  std::string page2 = RunUnix("/usr/bin/pdftotext", "-f 2 -l 2 " + pdf + " -");
  EXPECT_NE(std::string::npos, page1.find(tag + " page 1")) << page1;
  EXPECT_NE(std::string::npos, page2.find(tag + " page 2")) << page2;
}
