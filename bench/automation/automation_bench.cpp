// READS property reads of "Orvanel.TestAuto"'s Count (default 100,000): from Basic, a
// loop summing t.Count through an "Automation" object; from C++, the same loop calling
// IDispatch::Invoke with the DISPID looked up once. Prints both rates and their ratio.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "basicrunner.h"
#include "serverreg.h"
#include "store/idstring.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "testauto/testauto.h"
#include "winlib/applicat.h"

namespace {

class BenchApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException&) override { return 1; }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 100000;
  OleInitialize(nullptr);
  IdString::Initialize();
  new BenchApp;
  StoreApplication::HandleExceptions(1);
  ObjectStore::Initialize();
  ObjectStore::PublishObjectDLL("oviui1");
  static TApplication app("automation_bench");
  ObjectStore::PublishObjectDLL("oviui2");
  TestServerRegistration reg(testauto::kDll);
  if (!reg.ok()) {
    std::printf("regsvr32 %s failed\n", testauto::kDll);
    return 1;
  }

  BasicRunner runner;
  BasicOutcome out;
  if (!runner.compile("Function B(n As Long) As Long\n"
                      "  Dim t As Object\n"
                      "  Dim i As Long, s As Long\n"
                      "  Set t = Automation.CreateObject(\"Orvanel.TestAuto\")\n"
                      "  t.Count = 3\n"
                      "  For i = 1 To n\n"
                      "    s = s + t.Count\n"
                      "  Next i\n"
                      "  B = s\n"
                      "End Function\n",
                      out)) {
    std::printf("compile: %s\n", out.error.c_str());
    return 1;
  }
  out = runner.run("B", {n});
  if (!out.ok) {
    std::printf("run: %s\n", out.error.c_str());
    return 1;
  }
  double basic = out.elapsedMs / 1000.0;

  CLSID cls;
  IDispatch* d = nullptr;
  if (FAILED(CLSIDFromProgID(L"Orvanel.TestAuto", &cls)) ||
      FAILED(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&d)))) {
    std::printf("CoCreateInstance failed\n");
    return 1;
  }
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"Count");
  d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id);
  VARIANT three;
  VariantInit(&three);
  V_VT(&three) = VT_I4;
  V_I4(&three) = 3;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS putParams = {&three, &put, 1, 1};
  d->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &putParams, nullptr, nullptr, nullptr);
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  long sum = 0;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  for (long i = 0; i < n; ++i) {
    VARIANT r;
    VariantInit(&r);
    EXCEPINFO e = {};
    d->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &r, &e,
              nullptr);
    sum += V_VT(&r) == VT_I4 ? V_I4(&r) : 0;
    VariantClear(&r);
  }
  QueryPerformanceCounter(&b);
  double native = Seconds(a, b);
  d->Release();

  std::printf("reads: %ld (Basic sum %s, C++ sum %ld)\n", n, out.result.c_str(), sum);
  std::printf("Basic through Automation: %.0f reads/s\n", n / basic);
  std::printf("C++ through Invoke:       %.0f reads/s\n", n / native);
  std::printf("ratio (Basic time / C++ time): %.1f\n", basic / native);
  return 0;
}
