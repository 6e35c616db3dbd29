// PrintForm on the rig's PDF printer: one page titled with the form's caption whose
// picture is the form as the screen showed it, frame included, at the share of the page
// that the form has of the screen. A program of its own: after Wine's print dialog has run
// once, a process cannot open that printer again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "formkit.h"
#include "testkit/pdfkit.h"

namespace {

using namespace pdfkit;

// The whole window as the screen shows it, 0x00BBGGRR, rows top to bottom.
struct Shot {
  int width = 0, height = 0;
  std::vector<COLORREF> px;
  explicit Shot(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    HDC src = GetWindowDC(w);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* data = nullptr;
    HBITMAP dib = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &data, nullptr, 0);
    HDC mem = CreateCompatibleDC(src);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, src, 0, 0, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < width * height; ++i) {
      uint32_t p = ((uint32_t*)data)[i];
      px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(w, src);
  }
  COLORREF At(int x, int y) const { return px[(size_t)y * width + x]; }
};

// A binary PPM (P6) as pdftoppm writes it.
struct Ppm {
  int width = 0, height = 0;
  std::string data;
  explicit Ppm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) {
      width = height = 0;
      return;
    }
    data.assign(std::istreambuf_iterator<char>(in), {});
    if (data.size() < (size_t)width * height * 3) width = height = 0;
  }
  COLORREF At(int x, int y) const {
    const unsigned char* p = (const unsigned char*)data.data() + ((size_t)y * width + x) * 3;
    return RGB(p[0], p[1], p[2]);
  }
};

int Diff(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

TEST(PrintForm, OnePageTitledWithTheCaptionShowingTheForm) {
  ASSERT_FALSE(PdfDir().empty()) << "no printer rig: OV_PDF_DIR is not set (run the tests through "
                                    "scripts/test.sh or scripts/dev-test.sh, which start cupsd)";
  const std::string tag = Tag("PrintedForm");
  IWForm* f = formkit::MakeForm("PrintedForm");
  ASSERT_NE(nullptr, f);
  const std::string n = f->storeObj()->fullName();
  formkit::RunBasic("  " + n + ".Caption = \"" + tag + "\"");
  EXPECT_EQ(tag, f->PrintJobTitle());
  f->pdSetBackColor(0xFFFFFF);
  f->imShow();
  f->imMove(0, 0, 6000, 4500);
  f->pdSetScaleMode(kScalePixel);
  formkit::Pump(200);
  formkit::RunBasic("  " + n + ".FillColor = &HFF0000\n  " + n + ".Rectangle 40, 30, 200, 130\n  " + n +
                    ".FillColor = &HFF\n  " + n + ".Ellipse 220, 40, 330, 150");
  Shot screen(f->HWindow);
  ASSERT_GT(screen.width, 100);
  testkit::Screenshot("oviui1_printform_screen.png");  // an artefact for a look by eye

  // The printer's page: its printable part, and the whole sheet, in device pixels.
  HDC printer = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
  ASSERT_NE(nullptr, printer) << "no printer PDF";
  const int horz = GetDeviceCaps(printer, HORZRES), vert = GetDeviceCaps(printer, VERTRES);
  const int sheet = GetDeviceCaps(printer, PHYSICALWIDTH);
  DeleteDC(printer);

  testkit::BoxAnswerer boxes;
  boxes.Script(IDOK);                             // the print dialog
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);  // the abort window stays for the job
  formkit::RunBasic("  " + n + ".PrintForm");
  ASSERT_EQ(2u, boxes.Boxes().size());
  EXPECT_NE(std::string::npos, boxes.Boxes()[1].text.find(tag));

  const std::string pdf = WaitForPdf(tag);
  ASSERT_FALSE(pdf.empty()) << "no PDF for " << tag << " in " << PdfDir();
  const std::string info = RunUnix("/usr/bin/pdfinfo", pdf);
  EXPECT_EQ("1", PdfInfoField(info, "Pages")) << info;
  EXPECT_NE(std::string::npos, PdfInfoField(info, "Title").find(tag)) << info;

  // The page rasterised so that one screen pixel is one raster pixel: the printout maps
  // the screen onto the printable part at one scale for both directions.
  HDC dc = GetDC(nullptr);
  const double screenW = GetDeviceCaps(dc, HORZRES), screenH = GetDeviceCaps(dc, VERTRES);
  ReleaseDC(nullptr, dc);
  const double scale = std::min(horz / screenW, vert / screenH);
  const int rasterW = (int)(sheet / scale + 0.5);
  const std::string ppm = "/tmp/ovprintform_" + std::to_string(GetCurrentProcessId());
  RunUnix("/usr/bin/pdftoppm",
          "-singlefile -scale-to-x " + std::to_string(rasterW) + " -scale-to-y -1 " + pdf + " " + ppm);
  Ppm page(ReadFile(DosPath(ppm + ".ppm")));
  DeleteFileA(DosPath(ppm + ".ppm").c_str());
  ASSERT_GT(page.width, 0) << "pdftoppm gave no picture";
  // The picture lies at the printable area's corner: find it, then compare.
  struct Sample {
    int x, y;
  };
  std::vector<Sample> samples;
  for (int y = 2; y < screen.height - 2; y += 7)
    for (int x = 2; x < screen.width - 2; x += 7) samples.push_back({x, y});
  long best = -1;
  int bestX = 0, bestY = 0;
  for (int oy = 0; oy < 80; ++oy)
    for (int ox = 0; ox < 80; ++ox) {
      if (ox + screen.width > page.width || oy + screen.height > page.height) continue;
      long total = 0;
      for (size_t i = 0; i < samples.size(); i += 5)
        total += Diff(screen.At(samples[i].x, samples[i].y), page.At(ox + samples[i].x, oy + samples[i].y));
      if (best < 0 || total < best) {
        best = total;
        bestX = ox;
        bestY = oy;
      }
    }
  ASSERT_GE(best, 0);
  int close = 0;
  for (const Sample& s : samples) close += Diff(screen.At(s.x, s.y), page.At(bestX + s.x, bestY + s.y)) <= 60;
  EXPECT_GE(close * 100, (int)samples.size() * 90)
      << close << " of " << samples.size() << " samples match at " << bestX << "," << bestY;
  // The blue rectangle inside the client is where the screen has it.
  POINT inside = {120, 80};
  ClientToScreen(f->Client()->HWindow, &inside);
  RECT wr;
  GetWindowRect(f->HWindow, &wr);
  EXPECT_LE(Diff(RGB(0, 0, 255), page.At(bestX + inside.x - wr.left, bestY + inside.y - wr.top)), 60);
  f->imUnload();
}

TEST(PrintForm, WithoutACaptionTheJobIsTitledWithTheFormsName) {
  IWForm* f = formkit::MakeForm("Untitled");
  ASSERT_NE(nullptr, f);
  formkit::RunBasic("  Untitled.Caption = \"\"");
  EXPECT_EQ("Untitled", f->PrintJobTitle());
}

TEST(PrintForm, AFormWithoutAWindowIsABasicError) {
  IWForm* f = formkit::MakeForm("NotShown");
  ASSERT_NE(nullptr, f);
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  NotShown.PrintForm\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find("PrintForm")) << out.error;
}

}  // namespace
