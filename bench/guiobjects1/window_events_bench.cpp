// MouseMove messages sent to a published window whose Basic handler counts them,
// against the same messages sent to a window-library window whose C++ handler counts
// them. Prints both rates and their ratio.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "basicrunner.h"
#include "guiobjects1/iwwindow.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/value.h"
#include "winlib/applicat.h"
#include "winlib/window.h"

namespace {

class BenchApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException&) override { return 1; }
};

class Counting : public TWindow {
 public:
  Counting() : TWindow(nullptr, "bench", nullptr) { Attr.Style = WS_OVERLAPPED; }
  void EvMouseMove(uint, TPoint& p) { count += p.x >= 0 ? 1 : 0; }
  long count = 0;
  DECLARE_RESPONSE_TABLE(Counting);
};
DEFINE_RESPONSE_TABLE1(Counting, TWindow)
EV_WM_MOUSEMOVE, END_RESPONSE_TABLE;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

double Run(HWND h, long n) {
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  for (long i = 0; i < n; ++i) SendMessageA(h, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(i % 100, 7));
  QueryPerformanceCounter(&b);
  return Seconds(a, b);
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 100000;
  CoInitialize(nullptr);
  IdString::Initialize();
  new BenchApp;
  StoreApplication::HandleExceptions(1);
  ObjectStore::Initialize();
  ObjectStore::PublishObjectDLL("oviui1");
  static TApplication app("window_events_bench");

  BasicRunner runner;
  BasicOutcome out;
  if (!runner.compile(
          "Dim n As Long\nSub BW_MouseMove(button As Integer, shift As Integer, x As Single, y As "
          "Single)\n  n = n + 1\nEnd Sub\n",
          out)) {
    std::printf("compile: %s\n", out.error.c_str());
    return 1;
  }
  unsigned char module = ObjectStore::CreateModule("bench");
  OpenModuleResource open(module);
  PrimInterObj w(ObjectStore::find("Window"), "BW", 0);
  runner.object()->addEmbed(w.get());
  IWWindow* win = IWWindow::Native(w.get());
  win->Attr.Style = WS_OVERLAPPED;
  win->Create();

  Counting plain;
  plain.Create();

  double basic = Run(win->HWindow, n);
  double native = Run(plain.HWindow, n);
  ValuePtr counted;
  counted.adopt(runner.object()->evalIMember("n", nullptr));
  std::printf("messages: %ld (Basic handler counted %ld, C++ handler %ld)\n", n,
              counted ? counted->asLong() : -1, plain.count);
  std::printf("Basic handler: %.0f messages/s\n", n / basic);
  std::printf("C++ handler:   %.0f messages/s\n", n / native);
  std::printf("ratio (Basic time / C++ time): %.1f\n", basic / native);
  win->Destroy();
  return 0;
}
