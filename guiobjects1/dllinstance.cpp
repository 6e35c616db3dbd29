// oviui1.dll: its server and table, the entry point and the exports.
#include "guiobjects1/dllinstance.h"

#include "guiobjects1/controlgroup.h"
#include "guiobjects1/imenu.h"
#include "guiobjects1/imenubar.h"
#include "guiobjects1/ipopupmenu.h"
#include "guiobjects1/iwbutton.h"
#include "guiobjects1/iwcontrol.h"
#include "guiobjects1/iwfont.h"
#include "guiobjects1/iwform.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/iwxferpicture.h"
#include "olecls/oclclassfactory.h"
#include "store/popublish.h"
#include "utils/dllutils.h"
#include "utils/xexception.h"
#include "winlib/module.h"

namespace {

// Class id, published name, parent, factory, registration. The ids differ only in the
// last digit of their first field. Rows without a factory are classes still to come;
// their parents, when they land: Form, ObjectBox and Control under Window, Button under
// Control, MenuBar and PopupMenu under Menu.
const POClassRow kClasses[kOviui1RowCount] = {
    {"{785a0280-acda-11ce-8d9a-0040900071a7}", "Screen", nullptr, &OCLClassFactory<IWScreen>::Make,
     &IWScreen::PO_InitObject},
    {"{785a0281-acda-11ce-8d9a-0040900071a7}", "Window", nullptr, &OCLClassFactory<IWWindow>::Make,
     &IWWindow::PO_InitObject},
    {"{785a0282-acda-11ce-8d9a-0040900071a7}", "Form", &IWWindow::PO_GetObject, &OCLClassFactory<IWForm>::Make,
     &IWForm::PO_InitObject},
    {"{785a0283-acda-11ce-8d9a-0040900071a7}", "ObjectBox", nullptr, nullptr, nullptr},
    {"{785a0284-acda-11ce-8d9a-0040900071a7}", "Control", &IWWindow::PO_GetObject,
     &OCLClassFactory<IWControl>::Make, &IWControl::PO_InitObject},
    {"{785a0285-acda-11ce-8d9a-0040900071a7}", "Button", &IWControl::PO_GetObject,
     &OCLClassFactory<IWButton>::Make, &IWButton::PO_InitObject},
    {"{785a0286-acda-11ce-8d9a-0040900071a7}", "ButtonGadget", nullptr, nullptr, nullptr},
    {"{785a0287-acda-11ce-8d9a-0040900071a7}", "Bitmap", nullptr, nullptr, nullptr},
    {"{785a0288-acda-11ce-8d9a-0040900071a7}", "Font", nullptr, &OCLClassFactory<IWFont>::Make,
     &IWFont::PO_InitObject},
    {"{785a0289-acda-11ce-8d9a-0040900071a7}", "XferData", nullptr, nullptr, nullptr},
    {"{785a028a-acda-11ce-8d9a-0040900071a7}", "ControlGroup", nullptr, &OCLClassFactory<ControlGroup>::Make,
     &ControlGroup::PO_InitObject},
    {"{785a028b-acda-11ce-8d9a-0040900071a7}", "Menu", nullptr, &OCLClassFactory<iMenu>::Make,
     &iMenu::PO_InitObject},
    {"{785a028c-acda-11ce-8d9a-0040900071a7}", "MenuBar", &iMenu::PO_GetObject,
     &OCLClassFactory<iMenuBar>::Make, &iMenuBar::PO_InitObject},
    {"{785a028d-acda-11ce-8d9a-0040900071a7}", "PopupMenu", &iMenu::PO_GetObject,
     &OCLClassFactory<iPopupMenu>::Make, &iPopupMenu::PO_InitObject},
    {"{785a028e-acda-11ce-8d9a-0040900071a7}", "RecordSet", nullptr, nullptr, nullptr},
    {"{785a028f-acda-11ce-8d9a-0040900071a7}", "Printer", nullptr, nullptr, nullptr},
};

DllInstance* g_dll = nullptr;
TModule* g_module = nullptr;

}  // namespace

DllInstance::DllInstance() : OCLServer(kClasses) {}
DllInstance* DllInstance::TheDll() { return g_dll; }
const POClassRow& DllInstance::Row(Oviui1Row row) { return kClasses[row]; }
TModule* DllInstance::Module() { return g_module; }

extern "C" OVIUI1_API BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (!g_dll) g_dll = new DllInstance;
  if (reason == DLL_PROCESS_ATTACH && !g_module) {
    DLLUtils::ModuleAttached(instance);
    g_module = new TModule(nullptr, instance);
  }
  if (reason == DLL_PROCESS_DETACH) IWXferPicture::ReleaseNullReader();
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

extern "C" OVIUI1_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  UTILS_ASSERT(DllInstance::TheDll() != NULL);
  return DllInstance::TheDll()->GetClassObject(clsid, iid, out);
}

extern "C" OVIUI1_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return DllInstance::TheDll() ? DllInstance::TheDll()->CanUnloadNow() : S_OK;
}

extern "C" OVIUI1_API void POD_Populate() { PO_Populate(kClasses); }
