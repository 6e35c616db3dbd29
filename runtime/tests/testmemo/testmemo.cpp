// ovrun_testmemo.dll: "MemoText" for the launcher's tests (see testmemo.h).
#include "testmemo.h"

#include <windows.h>
#include <ole2.h>

#include <memory>

#include "olecls/oclclassfactory.h"
#include "olecls/oclserver.h"
#include "store/podefine.h"
#include "store/popublish.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"

namespace {

enum Row { kRowMemoText, kRowCount };

const POClassRow kClasses[kRowCount] = {
    {"{5d1c7a40-c3f2-11ce-a3b1-0040900071c5}", "MemoText", nullptr, &OCLClassFactory<MemoText>::Make,
     &MemoText::PO_InitObject},
};

OCLServer<kRowCount>* g_server = nullptr;

}  // namespace

Faultp<InterObjRep>* MemoText::PO_Object = nullptr;
const POClassRow& MemoText::PO_Row() { return kClasses[kRowMemoText]; }
MemoText::MemoText(IUnknown* outer) : POClass(outer) {}

void MemoText::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "Text", kTypeString, &MemoText::pdSetText, &MemoText::pdGetText);
  PO_Property(sig, "FailUnload", kTypeShort, &MemoText::pdSetFailUnload, &MemoText::pdGetFailUnload);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &MemoText::imTextUnload);
  PO_Method(sig, "Sub LoadText(ByVal file As String, ByVal id As Long)", &MemoText::imLoadText);
}

void MemoText::PO_Read(OCLStream& s, unsigned) {
  char* t = nullptr;
  s.read(&t);
  text = t ? t : "";
  delete[] t;
}

void MemoText::PO_Write(OCLStream& s) { s.write(text.c_str()); }

ValStringRep* MemoText::pdGetText() { return new ValStringRep(text); }
void MemoText::pdSetText(const char* t) {
  text = t ? t : "";
  changed();
}

short MemoText::imTextUnload(const char* indent, ValString* cmds) {
  if (!cmds) return -1;
  long id = StoreApplication::WriteTextResource(text.data(), long(text.size()), kKind);
  if (failUnload_) throw StoreException("MemoText refuses to be unloaded.");
  const char* file = StoreApplication::GetTextResourceFile();
  if (!file) throw StoreException("MemoText: no text resource file.");
  std::string line =
      std::string(indent ? indent : "") + ".LoadText(\"" + file + "\", " + std::to_string(id) + ")\n";
  *cmds = ValString(cmds->str() + line);
  return -1;
}

void MemoText::imLoadText(const char* file, long id) {
  long length = 0;
  std::unique_ptr<char[]> data(
      static_cast<char*>(StoreApplication::ReadTextResource(file, id, length, kKind)));
  if (!data)
    throw StoreException(std::string("MemoText: no text at ") + std::to_string(id) + " in " +
                         (file ? file : ""));
  text.assign(data.get(), size_t(length));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && !g_server) g_server = new OCLServer<kRowCount>(kClasses);
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return g_server->GetClassObject(clsid, iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_server->CanUnloadNow(); }

extern "C" __declspec(dllexport) void POD_Populate() { PO_Populate(kClasses); }
