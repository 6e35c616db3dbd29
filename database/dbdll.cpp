// ovdb.dll: its server and table, the entry point and the class-object exports.
#include "database/dbdll.h"

#include "database/idbase.h"
#include "olecls/oclclassfactory.h"
#include "utils/dllutils.h"
#include "utils/xexception.h"

namespace {

// Class id, published name, parent, factory, registration. Rows without a factory are
// classes this library does not build yet: their ids answer E_FAIL.
const POClassRow kClasses[kOvdbRowCount] = {
    {"{0c0f03c0-acda-11ce-a0f3-004090006ac3}", "Message", nullptr, nullptr, nullptr},
    {"{0c0f03c1-acda-11ce-a0f3-004090006ac3}", "ODBC", nullptr, nullptr, nullptr},
    {"{0c0f03c2-acda-11ce-a0f3-004090006ac3}", "Dynaset", nullptr, nullptr, nullptr},
    {"{0c0f03c3-acda-11ce-a0f3-004090006ac3}", "Text", nullptr, nullptr, nullptr},
    {"{0c0f03c4-acda-11ce-a0f3-004090006ac3}", "FixedAscii", nullptr, nullptr, nullptr},
    {"{0c0f03c5-acda-11ce-a0f3-004090006ac3}", "Database", nullptr, &OCLClassFactory<iDatabase>::Make,
     &iDatabase::PO_InitObject},
    {"{0c0f03c6-acda-11ce-a0f3-004090006ac3}", "DelimitedAscii", nullptr, nullptr, nullptr},
};

DbDll* g_dll = nullptr;

}  // namespace

DbDll::DbDll() : OCLServer(kClasses) {}
DbDll* DbDll::TheDll() { return g_dll; }
const POClassRow& DbDll::Row(OvdbRow row) { return kClasses[row]; }

extern "C" OVDB_API BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (!g_dll) g_dll = new DbDll;
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 1] = {};
    if (GetModuleFileNameA(instance, path, MAX_PATH)) DLLUtils::DLLAttached(path);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

extern "C" OVDB_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!DbDll::TheDll()) utilsAssert("DllInstance::TheDll() != NULL", __FILE__, __LINE__);
  return DbDll::TheDll()->GetClassObject(clsid, iid, out);
}

extern "C" OVDB_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return DbDll::TheDll() ? DbDll::TheDll()->CanUnloadNow() : S_OK;
}
