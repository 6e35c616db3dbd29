// IWXferTmp: the lists, the forward object and the aggregate's IUnknown.
#include "guiobjects1/iwxfertmp.h"

#include "olecls/oclagg.h"

IWXferTmp::IWXferTmp(IWXferables& getables, IWXferables& setables, IDataObject* forward, OCL_AGG* aggregate)
    : fwd_(forward), aggregate_(aggregate) {
  if (fwd_) fwd_->AddRef();
  getables_.TakeFrom(getables);
  setables_.TakeFrom(setables);
}

IWXferTmp::IWXferTmp(IDataObject* forward, OCL_AGG* aggregate) : fwd_(forward), aggregate_(aggregate) {
  if (fwd_) fwd_->AddRef();
}

IWXferTmp::~IWXferTmp() {
  if (fwd_) fwd_->Release();
}

HRESULT STDMETHODCALLTYPE IWXferTmp::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IDataObject)) {
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return aggregate_ ? aggregate_->OCLstdQuery(iid, out) : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE IWXferTmp::AddRef() { return aggregate_ ? aggregate_->AddRef() : 1; }
ULONG STDMETHODCALLTYPE IWXferTmp::Release() { return aggregate_ ? aggregate_->Release() : 1; }
