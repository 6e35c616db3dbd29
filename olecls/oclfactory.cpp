// The server's IUnknown and the shared class factory.
#include "olecls/oclfactory.h"

#include "olecls/ocl.h"

HRESULT STDMETHODCALLTYPE DllServer::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown)) {
    AddRef();
    *out = static_cast<IUnknown*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

OCLFactory::OCLFactory(DllServer* server, const char* clsid) : clsid_(), server_(server) {
  wchar_t text[60];
  str2wide(clsid, text, 60);
  CLSIDFromString(text, &clsid_);
  ++server_->objectCount;
  server_->AddRef();
}

HRESULT STDMETHODCALLTYPE OCLFactory::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  return server_->QueryInterface(riid, out);
}

ULONG STDMETHODCALLTYPE OCLFactory::AddRef() { return server_->AddRef(); }

ULONG STDMETHODCALLTYPE OCLFactory::Release() { return server_->Release(); }

HRESULT STDMETHODCALLTYPE OCLFactory::LockServer(BOOL lock) {
  if (lock)
    ++server_->lockCount;
  else if (server_->lockCount > 0)  // an unmatched unlock must not pin the library
    --server_->lockCount;
  return S_OK;
}
