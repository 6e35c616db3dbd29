// IWDataObject: the OLE data-object operations of the system over two transferable
// lists: the offered formats (Getables, read by GetData, GetDataHere, QueryGetData and
// enumerated for DATADIR_GET) and the accepted ones (Setables, written by SetData and
// enumerated for DATADIR_SET). Forwarding entries forward to FwdTo(). The IUnknown
// operations are the deriving class's. Every operation answers an HRESULT; none throws.
//
// IWEnumFORMATETC: the format enumerator EnumFormatEtc hands out. It has a count of its
// own and holds a reference to its owner (and so to the lists it walks) until its last
// Release frees it; a clone holds its own reference.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/iwxferable.h"
#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWDataObject : public IDataObject {
 public:
  // The first entry of the accepted formats, of the offered formats, or null.
  virtual IWXferable* Setables() = 0;
  virtual IWXferable* Getables() = 0;
  // The data object forwarding entries forward to (null: they refuse).
  virtual IDataObject* FwdTo() = 0;

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  // Sets out's target device null; E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  // E_NOTIMPL for another direction or an empty list.
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  // OLE_E_ADVISENOTSUPPORTED: the data never changes under its receivers.
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override;

 protected:
  virtual ~IWDataObject() = default;
};

class OVIUI1_API IWEnumFORMATETC final : public IEnumFORMATETC {
 public:
  // Walks the ring from start; counts owner up until the last Release.
  IWEnumFORMATETC(IWDataObject* owner, IWXferable* start);
  IWEnumFORMATETC(const IWEnumFORMATETC&) = delete;
  IWEnumFORMATETC& operator=(const IWEnumFORMATETC&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // From the current entry, the selected entries' formats until count are delivered or
  // the ring has been gone round once since the last Reset; S_OK when all count were.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  // Goes on from this one's position and stops where this one would; its Reset goes
  // back to that position.
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override;

  // Enumerators alive in the process (a leak check for tests).
  static long Live();

 private:
  ~IWEnumFORMATETC();
  // One step of the walk: the entry to visit, or null when the walk is over.
  IWXferable* step();

  IWDataObject* owner_;
  IWXferable* start_;
  IWXferable* current_;
  IWXferable* marker_ = nullptr;
  LONG refs_ = 1;
};
