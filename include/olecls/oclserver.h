// OCLServer<N>: the one server object of a publishing library, with its table of N class
// factories.
//
// Each row names a class id (braced text) and how to make its factory; a row whose
// class is not built has no maker and no factory, and its id is answered E_FAIL like
// an unknown one. Every factory built counts one object on the server and holds one
// reference to it: that share is the baseline. Release never takes the reference count
// below the baseline (not even while a lock is held), so a surplus Release cannot make
// the library look unloadable while objects still live.
//
// The library may unload when no lock is held and the reference count is back at the
// baseline (each live object holds one reference, as its outer IUnknown).
#pragma once

#include "olecls/oclfactory.h"

struct OCLFactoryRow {
  const char* clsid;
  OCLFactory* (*make)(DllServer* server, const char* clsid);  // null: no factory
};

template <int N>
class OCLServer : public DllServer {
 public:
  // Row: any row type with clsid and make as OCLFactoryRow has them (a library's table
  // of published classes, say).
  template <class Row>
  explicit OCLServer(const Row (&rows)[N]) {
    for (int i = 0; i < N; ++i) factories_[i] = rows[i].make ? rows[i].make(this, rows[i].clsid) : nullptr;
  }
  ~OCLServer() override {
    for (OCLFactory* f : factories_) delete f;
  }
  OCLServer(const OCLServer&) = delete;
  OCLServer& operator=(const OCLServer&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (refs_ <= (ULONG)objectCount) return refs_;
    return --refs_;
  }

  // S_FALSE while a lock is held or anything beyond the factories holds a reference.
  HRESULT CanUnloadNow() const { return lockCount != 0 || refs_ > (ULONG)objectCount ? S_FALSE : S_OK; }

  // The factory of clsid asked for iid; E_FAIL when no factory has that id.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (OCLFactory* f : factories_)
      if (f && IsEqualCLSID(clsid, f->ClassId())) return f->QueryInterface(iid, out);
    return E_FAIL;
  }

  // Row i's factory, or null when the row has none.
  OCLFactory* Factory(int i) const { return i >= 0 && i < N ? factories_[i] : nullptr; }
  ULONG RefCount() const { return refs_; }

 private:
  OCLFactory* factories_[N] = {};
  ULONG refs_ = 0;
};
