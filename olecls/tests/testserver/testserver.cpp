// A small in-process server built the way publishing libraries use ovole: one server
// object, one class factory, and one published-style object with a persist-stream
// interface whose block is a revision byte, a string and a ULONG.
#include <windows.h>
#include <ole2.h>

#include <new>

#include "utils/dllutils.h"
#include "olecls/oclfactory.h"
#include "olecls/oclpersist.h"
#include "olecls/oclstream.h"

namespace {

const char kClsid[] = "{6C1E42A0-5B7D-4F1B-9C33-0B9D0E5A7101}";

int g_liveObjects = 0;

class TestServer : public DllServer {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return refs > 0 ? --refs : 0; }
  // Only the factories' own references and no locks: the library may go.
  bool CanUnload() const { return lockCount == 0 && refs <= ULONG(objectCount); }
  ULONG refs = 0;
};

class Sample : public OCLPersistStream {
 public:
  explicit Sample(IUnknown* outer) : outer_(outer) {
    outer_->AddRef();
    ++g_liveObjects;
  }
  ~Sample() override {
    delete[] text_;
    outer_->Release();
    --g_liveObjects;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --count_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    wchar_t w[60];
    MultiByteToWideChar(CP_ACP, 0, kClsid, -1, w, 60);
    return CLSIDFromString(w, id);
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

  void PO_Load(IStream* stream) override {
    OCLStream s(stream);
    UCHAR revision = 0;
    s.read(&revision);
    if (revision > 1) throw XException("Sample: stored revision is newer than this program");
    char* text = nullptr;
    s.read(&text);
    delete[] text_;
    text_ = text;
    s.read(&value_);
  }
  void PO_Save(IStream* stream, int) override {
    OCLStream s(stream);
    s.write(UCHAR(1));
    s.write(text_);
    s.write(value_);
  }

 private:
  IUnknown* outer_;
  ULONG count_ = 1;
  char* text_ = nullptr;
  ULONG value_ = 0;
};

class SampleFactory : public OCLFactory {
 public:
  SampleFactory(DllServer* server) : OCLFactory(server, kClsid) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // Called by OLE: nothing may be thrown back into it.
    Sample* object = new (std::nothrow) Sample(Server());
    if (!object) return E_OUTOFMEMORY;
    IUnknown* unknown = object->OCLstdUnknown();
    HRESULT hr = unknown->QueryInterface(riid, out);
    unknown->Release();  // the constructor's reference
    return hr;
  }
};

TestServer* g_server;
SampleFactory* g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_server = new TestServer;
    g_factory = new SampleFactory(g_server);
    DLLUtils::ModuleAttached(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, g_factory->ClassId())) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory->QueryInterface(riid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_server->CanUnload() ? S_OK : S_FALSE;
}

// The server's counts and the live objects, for the tests.
extern "C" __declspec(dllexport) void testServerCounts(int* objects, int* locks, int* refs, int* live) {
  *objects = g_server->ObjectCount();
  *locks = g_server->LockCount();
  *refs = int(g_server->refs);
  *live = g_liveObjects;
}
