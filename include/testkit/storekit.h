// What the tests of the publishing libraries share (header only; for tests that link the
// store): the store started once with an application of the test's own, named objects
// kept in a test module, and stream blocks as bytes on memory streams.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <vector>

#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"

namespace storekit {

typedef std::vector<uint8_t> Bytes;

// OLE and the store set up once, with an App (a StoreApplication) made first; the same
// App on every call.
template <class App>
App& StartStore() {
  static App* app = [] {
    CoInitialize(nullptr);
    IdString::Initialize();
    auto* a = new App;
    StoreApplication::HandleExceptions(1);
    ObjectStore::Initialize();
    return a;
  }();
  return *app;
}

// A named object of class proto in module, kept for the process; null without a class.
inline InterObjRep* KeptObject(unsigned char module, InterObjRep* proto, const char* name) {
  if (!proto) return nullptr;
  OpenModuleResource open(module);
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj o(proto, name, 0);
  kept->push_back(o);
  return o.get();
}

// A memory stream holding b, positioned at its start.
inline IStream* NewStream(const Bytes& b = {}) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return s;
}

// Everything a stream holds.
inline Bytes Contents(IStream* s) {
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  s->Seek(zero, STREAM_SEEK_END, &end);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b((size_t)end.QuadPart);
  ULONG n = 0;
  if (!b.empty()) s->Read(b.data(), (ULONG)b.size(), &n);
  return b;
}

// The block o's persist-stream Save writes (the complete class's).
template <class T>
Bytes SaveBytes(T& o, BOOL clearDirty = FALSE) {
  IStream* s = NewStream();
  HRESULT hr = o.Save(s, clearDirty);
  Bytes b = SUCCEEDED(hr) ? Contents(s) : Bytes();
  s->Release();
  return b;
}

// Loads b through the object's block loader; the store's error passes through.
template <class T>
void LoadBytes(T& o, const Bytes& b) {
  IStream* s = NewStream(b);
  try {
    o.PO_Load(s);
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
}

}  // namespace storekit
