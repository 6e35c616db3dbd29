// ovcdlg.dll: its server and table, the entry point and the exports.
#include "dialogs/cdlgdll.h"

#include "dialogs/icommondialog.h"
#include "dialogs/iopendialog.h"
#include "dialogs/isaveasdialog.h"
#include "olecls/oclclassfactory.h"
#include "store/popublish.h"
#include "utils/dllutils.h"
#include "utils/xexception.h"
#include "winlib/module.h"

namespace {

InterObjRep* CommonDialogPrototype() { return iCommonDialog::PO_GetObject(); }

// Class id, published name, parent, factory, registration. The colour, font and find
// dialogs keep their places and ids but are not built yet.
const POClassRow kClasses[kCdlgRowCount] = {
    {"{88ec8400-acdb-11ce-92b4-00409000733c}", "CommonDialog", nullptr, &OCLClassFactory<iCommonDialog>::Make,
     &iCommonDialog::PO_InitObject},
    {"{88ec8401-acdb-11ce-92b4-00409000733c}", "OpenDialog", &CommonDialogPrototype,
     &OCLClassFactory<iOpenDialog>::Make, &iOpenDialog::PO_InitObject},
    {"{88ec8402-acdb-11ce-92b4-00409000733c}", "SaveAsDialog", &CommonDialogPrototype,
     &OCLClassFactory<iSaveAsDialog>::Make, &iSaveAsDialog::PO_InitObject},
    {"{88ec8403-acdb-11ce-92b4-00409000733c}", "ColorDialog", &CommonDialogPrototype, nullptr, nullptr},
    {"{88ec8404-acdb-11ce-92b4-00409000733c}", "FontDialog", &CommonDialogPrototype, nullptr, nullptr},
    {"{88ec8405-acdb-11ce-92b4-00409000733c}", "FindDialog", &CommonDialogPrototype, nullptr, nullptr},
};

CdlgDll* g_dll = nullptr;
TModule* g_module = nullptr;

}  // namespace

CdlgDll::CdlgDll() : OCLServer(kClasses) {}
CdlgDll* CdlgDll::TheDll() { return g_dll; }
const POClassRow& CdlgDll::Row(CdlgRow row) { return kClasses[row]; }
TModule* CdlgDll::Module() { return g_module; }

extern "C" OVCDLG_API BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (!g_dll) g_dll = new CdlgDll;
  if (reason == DLL_PROCESS_ATTACH && !g_module) {
    DLLUtils::ModuleAttached(instance);
    g_module = new TModule(nullptr, instance);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

extern "C" OVCDLG_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  UTILS_ASSERT(CdlgDll::TheDll() != NULL);
  return CdlgDll::TheDll()->GetClassObject(clsid, iid, out);
}

extern "C" OVCDLG_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return CdlgDll::TheDll() ? CdlgDll::TheDll()->CanUnloadNow() : S_OK;
}

extern "C" OVCDLG_API void POD_Populate() { PO_Populate(kClasses); }
