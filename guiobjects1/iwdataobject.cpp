// IWDataObject: the data-object operations over the transferable lists, and the format
// enumerator.
#include "guiobjects1/iwdataobject.h"

#include <new>

namespace {

volatile LONG g_enums = 0;

}  // namespace

HRESULT STDMETHODCALLTYPE IWDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  IWXferable* list = Getables();
  IWXferable* e = list ? list->FindXferable(format) : nullptr;
  return e ? e->GetMedium(*medium, FwdTo()) : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWDataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  IWXferable* list = Getables();
  IWXferable* e = list ? list->FindXferable(format) : nullptr;
  return e ? e->GetOnMedium(*medium, FwdTo()) : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWDataObject::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  IWXferable* list = Getables();
  return list && list->FindXferable(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE IWDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (!format || !medium) return E_INVALIDARG;
  IWXferable* list = Setables();
  IWXferable* e = list ? list->FindXferable(format) : nullptr;
  return e ? e->SetMedium(*medium, release, FwdTo()) : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  IWXferable* start = direction == DATADIR_GET ? Getables() : direction == DATADIR_SET ? Setables() : nullptr;
  if (!start) return E_NOTIMPL;
  IWEnumFORMATETC* e = new (std::nothrow) IWEnumFORMATETC(this, start);
  if (!e) return E_OUTOFMEMORY;
  *out = e;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE IWDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT STDMETHODCALLTYPE IWDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT STDMETHODCALLTYPE IWDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---- the enumerator ----

IWEnumFORMATETC::IWEnumFORMATETC(IWDataObject* owner, IWXferable* start)
    : owner_(owner), start_(start), current_(start) {
  owner_->AddRef();
  ::InterlockedIncrement(&g_enums);
}

IWEnumFORMATETC::~IWEnumFORMATETC() {
  ::InterlockedDecrement(&g_enums);
  owner_->Release();
}

long IWEnumFORMATETC::Live() { return g_enums; }

HRESULT STDMETHODCALLTYPE IWEnumFORMATETC::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) {
    *out = static_cast<IEnumFORMATETC*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE IWEnumFORMATETC::AddRef() { return (ULONG)::InterlockedIncrement(&refs_); }

ULONG STDMETHODCALLTYPE IWEnumFORMATETC::Release() {
  LONG n = ::InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return (ULONG)n;
}

// Before each step: with a marker the walk goes on while current is not the marker;
// without one the marker becomes current and the walk goes on while current is set.
IWXferable* IWEnumFORMATETC::step() {
  if (marker_) {
    if (current_ == marker_) return nullptr;
  } else {
    marker_ = current_;
    if (!current_) return nullptr;
  }
  IWXferable* visit = current_;
  current_ = current_->Nxt(nullptr);
  return visit;
}

HRESULT STDMETHODCALLTYPE IWEnumFORMATETC::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (count && !formats) return E_INVALIDARG;
  ULONG n = 0;
  while (n < count)
    if (IWXferable* e = step()) {
      if (e->Selected()) e->GetFormat(formats[n++]);
    } else {
      break;
    }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE IWEnumFORMATETC::Skip(ULONG count) {
  ULONG n = 0;
  while (n < count)
    if (IWXferable* e = step()) {
      if (e->Selected()) ++n;
    } else {
      break;
    }
  return n == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE IWEnumFORMATETC::Reset() {
  current_ = start_;
  marker_ = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE IWEnumFORMATETC::Clone(IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  IWEnumFORMATETC* e = new (std::nothrow) IWEnumFORMATETC(owner_, current_);
  if (!e) return E_OUTOFMEMORY;
  e->marker_ = marker_;
  *out = e;
  return S_OK;
}
