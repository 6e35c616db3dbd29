// ovitool.dll: its server and table, the entry point and the exports.
#include "tool/tooldll.h"

#include "olecls/oclclassfactory.h"
#include "store/popublish.h"
#include "tool/idatabuffer.h"
#include "tool/ifile.h"
#include "utils/dllutils.h"
#include "utils/xexception.h"
#include "winlib/module.h"

namespace {

// Class id, published name, parent, factory, registration.
const POClassRow kClasses[kOvitoolRowCount] = {
    {"{3c6e1d40-b52a-11ce-9e1f-0040900071c5}", "BinaryFile", nullptr, &OCLClassFactory<iFile>::Make,
     &iFile::PO_InitObject},
    {"{3c6e1d41-b52a-11ce-9e1f-0040900071c5}", "DataBuffer", nullptr, &OCLClassFactory<iDataBuffer>::Make,
     &iDataBuffer::PO_InitObject},
};

ToolDll* g_dll = nullptr;
bool g_publishing = false;
TModule* g_module = nullptr;

}  // namespace

ToolDll::ToolDll() : OCLServer(kClasses) {}
ToolDll* ToolDll::TheDll() { return g_dll; }
const POClassRow& ToolDll::Row(OvitoolRow row) { return kClasses[row]; }
TModule* ToolDll::Module() { return g_module; }

void ToolDll::PublishSelf() {
  if (g_publishing) return;
  g_publishing = true;
  try {
    ObjectStore::PublishObjectDLL("ovitool");
  } catch (...) {
    g_publishing = false;
    throw;
  }
  g_publishing = false;
}

extern "C" OVITOOL_API BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (!g_dll) g_dll = new ToolDll;
  if (reason == DLL_PROCESS_ATTACH && !g_module) {
    DLLUtils::ModuleAttached(instance);
    g_module = new TModule(nullptr, instance);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

extern "C" OVITOOL_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  UTILS_ASSERT(ToolDll::TheDll() != NULL);
  return ToolDll::TheDll()->GetClassObject(clsid, iid, out);
}

extern "C" OVITOOL_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return ToolDll::TheDll() ? ToolDll::TheDll()->CanUnloadNow() : S_OK;
}

extern "C" OVITOOL_API void POD_Populate() {
  bool outer = !g_publishing;
  g_publishing = true;
  PO_Populate(kClasses);
  if (outer) g_publishing = false;
}
