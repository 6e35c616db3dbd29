// ovitool_testobjs.dll: classes built on ovitool's, for its tests (see testobjs.h).
#include "testobjs.h"

#include <windows.h>
#include <ole2.h>

#include "olecls/oclclassfactory.h"
#include "olecls/oclserver.h"
#include "store/podefine.h"
#include "store/popublish.h"
#include "store/types.h"
#include "store/valstring.h"
#include "tool/idatabuffer.h"

namespace {

enum Row { kRowTestFile, kRowBufferUser, kRowShellHost, kRowCount };

InterObjRep* FileParent() { return iFile::PO_GetObject(); }

const POClassRow kClasses[kRowCount] = {
    {"{3c6e1d50-b52a-11ce-9e1f-0040900071c5}", "TestFile", &FileParent, &OCLClassFactory<TestFile>::Make,
     &TestFile::PO_InitObject},
    {"{3c6e1d51-b52a-11ce-9e1f-0040900071c5}", "BufferUser", nullptr, &OCLClassFactory<BufferUser>::Make,
     &BufferUser::PO_InitObject},
    {"{3c6e1d52-b52a-11ce-9e1f-0040900071c5}", "ShellHost", nullptr, &OCLClassFactory<ShellHost>::Make,
     &ShellHost::PO_InitObject},
};

OCLServer<kRowCount>* g_server = nullptr;

}  // namespace

Faultp<InterObjRep>* TestFile::PO_Object = nullptr;
const POClassRow& TestFile::PO_Row() { return kClasses[kRowTestFile]; }
TestFile::TestFile(IUnknown* outer) : POClass(outer) {}

void TestFile::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "Note", kTypeString, &TestFile::pdSetNote, &TestFile::pdGetNote);
}

void TestFile::PO_Read(OCLStream& s, unsigned) {
  char* text = nullptr;
  s.read(&text);
  note = text ? text : "";
  delete[] text;
}

void TestFile::PO_Write(OCLStream& s) { s.write(note.c_str()); }

ValStringRep* TestFile::pdGetNote() { return new ValStringRep(note); }
void TestFile::pdSetNote(const char* text) { note = text ? text : ""; }

Faultp<InterObjRep>* BufferUser::PO_Object = nullptr;
const POClassRow& BufferUser::PO_Row() { return kClasses[kRowBufferUser]; }
BufferUser::BufferUser(IUnknown* outer) : POClass(outer) {}

void BufferUser::PO_DeclareFields(SignatureRep& sig) {
  PO_Method(sig, "Function Fill(Buffer as DataBuffer, ByVal text As String) As Long", &BufferUser::imFill);
  PO_Method(sig, "Function IsBuffer(o As Object) As Long", &BufferUser::imIsBuffer);
}

long BufferUser::imFill(InterObj* buffer, const char* text) {
  iDataBuffer* b = buffer && buffer->is() ? iDataBuffer::Native(buffer->get()) : nullptr;
  if (!b) return -1;
  size_t n = text ? strlen(text) : 0;
  b->pdSetSize((long)n + 1);
  memcpy(b->Data(), text ? text : "", n + 1);
  return b->pdGetSize();
}

long BufferUser::imIsBuffer(InterObj* o) {
  return o && o->is() && o->get()->canBeTreatedAs(iDataBuffer::PO_GetObject()) ? -1 : 0;
}

Faultp<InterObjRep>* ShellHost::PO_Object = nullptr;
const POClassRow& ShellHost::PO_Row() { return kClasses[kRowShellHost]; }
ShellHost::ShellHost(IUnknown* outer) : POClass(outer), shell_(new TShellEdit) {}
ShellHost::~ShellHost() { delete shell_; }

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
