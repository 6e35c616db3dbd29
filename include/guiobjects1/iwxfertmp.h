// IWXferTmp: a data object (IWDataObject) over two lists it owns and a counted object to
// forward to. Its IUnknown is the aggregate's it lives in: IDataObject answers itself,
// every other id goes to the aggregate's standard query, and the count is the
// aggregate's. A class with a count of its own (IWXferObj) passes a null aggregate and
// overrides the IUnknown operations.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/iwdataobject.h"
#include "guiobjects1/iwxferables.h"
#include "guiobjects1/oviui1_api.h"

class OCL_AGG;

class OVIUI1_API IWXferTmp : public IWDataObject {
 public:
  // Takes over the entries of both lists (they are left empty) and counts forward up.
  IWXferTmp(IWXferables& getables, IWXferables& setables, IDataObject* forward, OCL_AGG* aggregate);
  // Empty lists.
  IWXferTmp(IDataObject* forward, OCL_AGG* aggregate);
  IWXferTmp(const IWXferTmp&) = delete;
  IWXferTmp& operator=(const IWXferTmp&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  IWXferable* Setables() override { return setables_.Start(); }
  IWXferable* Getables() override { return getables_.Start(); }
  IDataObject* FwdTo() override { return fwd_; }

 protected:
  ~IWXferTmp() override;

  IDataObject* fwd_;  // counted
  IWXferables getables_;
  IWXferables setables_;

 private:
  OCL_AGG* aggregate_;
};
