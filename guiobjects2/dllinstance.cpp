// oviui2.dll: its server and table, the entry point and the exports.
#include "guiobjects2/dllinstance.h"

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/iwautomation.h"
#include "guiobjects2/iwcheckbox.h"
#include "guiobjects2/iwcombobox.h"
#include "guiobjects2/iwedit.h"
#include "guiobjects2/iwframe.h"
#include "guiobjects2/iwgauge.h"
#include "guiobjects2/iwglcontrol.h"
#include "guiobjects2/iwlistbox.h"
#include "guiobjects2/iwoptionbutton.h"
#include "guiobjects2/iwscrollbar.h"
#include "guiobjects2/iwstatic.h"
#include "olecls/oclclassfactory.h"
#include "store/popublish.h"
#include "utils/dllutils.h"
#include "utils/xexception.h"
#include "winlib/module.h"

namespace {

// Class id, published name, parent, factory, registration. The ids differ only in the
// last two digits of their first field. Rows without a factory are classes still to
// come; their parents, when they land: "Control" for the controls, lists and drawables,
// "Label" for the text box, "ListBox" for the file list box, "ObjectList" for the object
// combo, "Drawable" for the image, markup layer and picture box, "GdiObject" for the
// three drawing objects; "Automation", "GdiObject", "Pen" and "Brush" have none.
#define OVIUI2_ID(n) "{a27602" n "-acd9-11ce-b4db-08001708e3c6}"
const POClassRow kClasses[kOviui2RowCount] = {
    {OVIUI2_ID("40"), "Ole", nullptr, nullptr, nullptr},
    {OVIUI2_ID("41"), "Automation", nullptr, &OCLClassFactory<IWAutomation>::Make, &IWAutomation::PO_InitObject},
    {OVIUI2_ID("42"), "Frame", &IWControl::PO_GetObject, &OCLClassFactory<IWFrame>::Make,
     &IWFrame::PO_InitObject},
    {OVIUI2_ID("43"), "CheckBox", &IWControl::PO_GetObject, &OCLClassFactory<IWCheckBox>::Make,
     &IWCheckBox::PO_InitObject},
    {OVIUI2_ID("44"), "OptionButton", &IWControl::PO_GetObject, &OCLClassFactory<IWOptionButton>::Make,
     &IWOptionButton::PO_InitObject},
    {OVIUI2_ID("45"), "ScrollBar", &IWControl::PO_GetObject, &OCLClassFactory<IWScrollBar>::Make,
     &IWScrollBar::PO_InitObject},
    {OVIUI2_ID("46"), "Gauge", &IWControl::PO_GetObject, &OCLClassFactory<IWGauge>::Make,
     &IWGauge::PO_InitObject},
    {OVIUI2_ID("47"), "Label", &IWControl::PO_GetObject, &OCLClassFactory<IWStatic>::Make,
     &IWStatic::PO_InitObject},
    {OVIUI2_ID("48"), "TextBox", &IWStatic::PO_GetObject, &OCLClassFactory<IWEdit>::Make,
     &IWEdit::PO_InitObject},
    {OVIUI2_ID("49"), "ListBox", &IWControl::PO_GetObject, &OCLClassFactory<IWListBox>::Make,
     &IWListBox::PO_InitObject},
    {OVIUI2_ID("4a"), "ComboBox", &IWControl::PO_GetObject, &OCLClassFactory<IWComboBox>::Make,
     &IWComboBox::PO_InitObject},
    {OVIUI2_ID("4b"), "FileListBox", nullptr, nullptr, nullptr},
    {OVIUI2_ID("4c"), "FileComboBox", nullptr, nullptr, nullptr},
    {OVIUI2_ID("4d"), "ObjectList", nullptr, nullptr, nullptr},
    {OVIUI2_ID("4e"), "ObjectCombo", nullptr, nullptr, nullptr},
    {OVIUI2_ID("4f"), "Image", nullptr, nullptr, nullptr},
    {OVIUI2_ID("50"), "GdiObject", nullptr, nullptr, nullptr},
    {OVIUI2_ID("51"), "GdiLine", nullptr, nullptr, nullptr},
    {OVIUI2_ID("52"), "GdiPolyline", nullptr, nullptr, nullptr},
    {OVIUI2_ID("53"), "GdiShape", nullptr, nullptr, nullptr},
    {OVIUI2_ID("54"), "Pen", nullptr, nullptr, nullptr},
    {OVIUI2_ID("55"), "Brush", nullptr, nullptr, nullptr},
    {OVIUI2_ID("56"), "Drawable", nullptr, nullptr, nullptr},
    {OVIUI2_ID("57"), "MarkupLayer", nullptr, nullptr, nullptr},
    {OVIUI2_ID("58"), "PictureBox", nullptr, nullptr, nullptr},
    {OVIUI2_ID("59"), "ObjectHierarchy", nullptr, nullptr, nullptr},
    {OVIUI2_ID("5a"), "IndentedList", nullptr, nullptr, nullptr},
    {OVIUI2_ID("5b"), "GLControl", &IWControl::PO_GetObject, &OCLClassFactory<IWGlControl>::Make,
     &IWGlControl::PO_InitObject},
    {OVIUI2_ID("5c"), "Vbx", nullptr, nullptr, nullptr},
};
#undef OVIUI2_ID

DllInstance* g_dll = nullptr;
TModule* g_module = nullptr;
char g_path[MAX_PATH] = "";

}  // namespace

DllInstance::DllInstance() : OCLServer(kClasses) {}
ULONG STDMETHODCALLTYPE DllInstance::Release() {
  if (CanUnloadNow() == S_OK) return 0;
  return OCLServer::Release();
}

DllInstance* DllInstance::TheDll() { return g_dll; }
const POClassRow& DllInstance::Row(Oviui2Row row) { return kClasses[row]; }
TModule* DllInstance::Module() { return g_module; }
const char* DllInstance::Path() { return g_path; }

extern "C" OVIUI2_API BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (!g_dll) g_dll = new DllInstance;
  if (reason == DLL_PROCESS_ATTACH && !g_module) {
    DWORD n = ::GetModuleFileNameA(instance, g_path, MAX_PATH);
    g_path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
    DLLUtils::DLLAttached(g_path);
    g_module = new TModule(nullptr, instance);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

extern "C" OVIUI2_API HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  UTILS_ASSERT(DllInstance::TheDll() != NULL);
  return DllInstance::TheDll()->GetClassObject(clsid, iid, out);
}

extern "C" OVIUI2_API HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return DllInstance::TheDll() ? DllInstance::TheDll()->CanUnloadNow() : S_OK;
}

extern "C" OVIUI2_API void POD_Populate() { PO_Populate(kClasses); }
