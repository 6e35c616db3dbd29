// IWXferObj: the free-standing, counted OLE data object of the system. Made over one
// format and a medium it takes over, it offers that format (a window's drag of its own
// object reference is one). Data objects answer with HRESULTs and never throw.
//
// Only the one-format offer is here so far: no accepted formats (SetData answers
// DV_E_FORMATETC) and no copy of a source data object (the source must be null).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWXferObj : public IDataObject {
 public:
  // Offers format with medium (taken over: freed with the object); count 1.
  IWXferObj(const FORMATETC& format, STGMEDIUM& medium, IDataObject* source);
  IWXferObj(const IWXferObj&) = delete;
  IWXferObj& operator=(const IWXferObj&) = delete;

  // Frees a medium of format: for the process's object-reference format without a
  // release owner, the reference stored in it is destroyed (its count given back) first.
  static void FreeMedium(const FORMATETC& format, STGMEDIUM& medium);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

 private:
  virtual ~IWXferObj();
  bool answers(const FORMATETC* wanted) const;

  FORMATETC format_;
  STGMEDIUM medium_;
  LONG refs_ = 1;
};
