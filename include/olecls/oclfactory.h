// The shared parts of an in-process OLE server.
//
// DllServer    the server's IUnknown with its two counts: objects (factories and other
//              objects that keep the server alive) and locks (LockServer). AddRef and
//              Release, and when the library may unload, belong to the deriving server.
// OCLFactory   an IClassFactory bound to one class id and one server. It has no count of
//              its own: AddRef and Release go to the server. CreateInstance belongs to
//              the deriving factory.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/ovole_api.h"

class OVOLE_API DllServer : public IUnknown {
 public:
  DllServer() : objectCount(0), lockCount(0) {}
  virtual ~DllServer() {}

  // IUnknown only.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

  int ObjectCount() const { return objectCount; }
  int LockCount() const { return lockCount; }

 protected:
  friend class OCLFactory;
  int objectCount;
  int lockCount;
};

class OVOLE_API OCLFactory : public IClassFactory {
 public:
  // clsid is the braced text form; a malformed text leaves the class id as
  // CLSIDFromString left it (all zero). Counts one more object on the server and adds a
  // reference to it.
  OCLFactory(DllServer* server, const char* clsid);
  virtual ~OCLFactory() {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  const CLSID& ClassId() const { return clsid_; }
  DllServer* Server() const { return server_; }

 private:
  CLSID clsid_;
  DllServer* server_;
};
