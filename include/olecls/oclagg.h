// OCL_AGG: the aggregate base through which published objects and OLE sites answer
// QueryInterface by interface id.
//
// OCLstdQuery scans the ids in order; for the first id whose GUID matches and whose part
// exists (GetInterface, through the member table p2ms) it adds a reference to that part.
// A class that supports an interface overrides that id's accessor agg<Interface>() and
// returns its part; every accessor answers null by default.
//
// QueryInterface, AddRef and Release have IUnknown's signatures on purpose: in a complete
// object that is also an IUnknown (an OCLPersistStream, say), the object's own
// implementations serve the aggregate too, so parts handed out by OCLstdQuery share the
// object's count. A bare OCL_AGG keeps its own count: it starts at 1, AddRef answers the
// count before the increment, Release never goes below 0 and never deletes.
//
// OCLagg<Interface, id> is the base of a part: it answers its own id with itself and
// hands every other id, AddRef and Release to its aggregate.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/ocliid.h"
#include "olecls/ovole_api.h"

class OVOLE_API OCL_AGG {
 public:
  typedef IUnknown* (OCL_AGG::*Accessor)();

  OCL_AGG() : aggCount_(1) {}

  virtual IUnknown* GetInterface(OCL_IID::iid id);
  virtual int NumberOfInterfaces();
  // The complete object's IUnknown; by default its persist-stream part (id 71).
  virtual IUnknown* OCLstdUnknown();
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out);
  virtual ULONG STDMETHODCALLTYPE AddRef();
  virtual ULONG STDMETHODCALLTYPE Release();

#define OCL_AGG_ACCESSOR(name, group) virtual IUnknown* agg##name();
#define OCL_AGG_NOTHING(name, group)
  OCL_IID_LIST(OCL_AGG_ACCESSOR, OCL_AGG_NOTHING, OCL_AGG_NOTHING)
#undef OCL_AGG_ACCESSOR
#undef OCL_AGG_NOTHING

  virtual ~OCL_AGG() {}

  HRESULT OCLstdQuery(REFIID riid, void** out);

  // For each id, the accessor GetInterface calls.
  static const Accessor p2ms[OCL_IID::kCount];

 protected:
  // The lookup of ids without a part.
  IUnknown* noInterface() { return nullptr; }

 private:
  ULONG aggCount_;
};

template <class Interface, OCL_IID::iid id>
class OCLagg : public Interface {
 public:
  explicit OCLagg(OCL_AGG* aggregate) : aggregate_(aggregate) {}
  virtual ~OCLagg() {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(riid, OCL_IID::GetGuid(id))) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    return aggregate_->QueryInterface(riid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return aggregate_->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return aggregate_->Release(); }

  OCL_AGG* aggregate() const { return aggregate_; }

 private:
  OCL_AGG* aggregate_;
};
