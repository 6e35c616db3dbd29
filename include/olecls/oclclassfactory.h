// OCLClassFactory<T>: the class factory of one published class T.
//
// T is constructed with the library's server as its outer IUnknown, so that every live
// object keeps the library loaded; aggregation is not offered (a non-null outer is
// refused). T needs a constructor taking IUnknown*, OCLstdUnknown() and Release().
//
// The object's own first reference is given back once the caller's interface is taken
// (or the query failed), so the caller holds exactly one reference and a refused
// interface leaves nothing behind. Nothing is thrown back into OLE.
#pragma once

#include <new>

#include "olecls/oclfactory.h"

template <class T>
class OCLClassFactory : public OCLFactory {
 public:
  OCLClassFactory(DllServer* server, const char* clsid) : OCLFactory(server, clsid) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    T* object = nullptr;
    try {
      object = new T(Server());
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    IUnknown* unknown = object->OCLstdUnknown();
    if (!unknown) {
      object->Release();
      return E_NOINTERFACE;
    }
    HRESULT hr = unknown->QueryInterface(riid, out);
    object->Release();
    return hr;
  }

  // For a server's factory table.
  static OCLFactory* Make(DllServer* server, const char* clsid) {
    return new OCLClassFactory<T>(server, clsid);
  }
};
