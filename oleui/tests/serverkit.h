// What the in-process test servers share: a class factory for one object class and the
// registry writer of their DllRegisterServer.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace serverkit {

// Makes objects of class T (created with a count of 1) and counts LockServer calls in
// `locks`, which the server's DllCanUnloadNow reads. Lives as a static object.
template <class T>
class Factory : public IClassFactory {
 public:
  explicit Factory(LONG& locks) : locks_(locks) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    T* object = new T;
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&locks_);
    else
      InterlockedDecrement(&locks_);
    return S_OK;
  }

 private:
  LONG& locks_;
};

// Writes one text value under HKEY_CLASSES_ROOT (name null: the key's default value).
inline bool SetClassesRootValue(const std::string& key, const char* name, const std::string& value) {
  HKEY k;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD(value.size() + 1));
  RegCloseKey(k);
  return rc == ERROR_SUCCESS;
}

}  // namespace serverkit
