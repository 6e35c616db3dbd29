// IWXferObj: one offered format over a medium the object owns.
#include "guiobjects1/iwxferobj.h"

#include <shlobj.h>

#include <new>

#include "guiobjects1/clipformat.h"
#include "store/interobj.h"

IWXferObj::IWXferObj(const FORMATETC& format, STGMEDIUM& medium, IDataObject*)
    : format_(format), medium_(medium) {
  medium = STGMEDIUM{};
}

IWXferObj::~IWXferObj() { FreeMedium(format_, medium_); }

void IWXferObj::FreeMedium(const FORMATETC& format, STGMEDIUM& medium) {
  const FORMATETC& refs = ProcessFormat::s_fmt.format;
  if (!medium.pUnkForRelease && medium.tymed == TYMED_HGLOBAL && medium.hGlobal &&
      format.cfFormat == refs.cfFormat && (format.tymed & refs.tymed) &&
      ::GlobalSize(medium.hGlobal) >= sizeof(Faultp<InterObjRep>))
    if (void* at = ::GlobalLock(medium.hGlobal)) {
      static_cast<Faultp<InterObjRep>*>(at)->~Faultp();
      ::GlobalUnlock(medium.hGlobal);
    }
  if (medium.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium);
  medium = STGMEDIUM{};
}

HRESULT STDMETHODCALLTYPE IWXferObj::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE IWXferObj::AddRef() { return (ULONG)::InterlockedIncrement(&refs_); }

ULONG STDMETHODCALLTYPE IWXferObj::Release() {
  LONG n = ::InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return (ULONG)n;
}

// The format number equal, aspects sharing a bit (or equal), medium bits sharing one.
bool IWXferObj::answers(const FORMATETC* w) const {
  return w && w->cfFormat == format_.cfFormat &&
         ((w->dwAspect & format_.dwAspect) || w->dwAspect == format_.dwAspect) && (w->tymed & format_.tymed);
}

// The medium is handed out as it is, with this object as its release owner: the
// receiver's ReleaseStgMedium only counts this object down.
HRESULT STDMETHODCALLTYPE IWXferObj::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return E_POINTER;
  if (!answers(format) || medium_.tymed == TYMED_NULL) return DV_E_FORMATETC;
  *medium = medium_;
  medium->pUnkForRelease = static_cast<IDataObject*>(this);
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE IWXferObj::GetDataHere(FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

HRESULT STDMETHODCALLTYPE IWXferObj::QueryGetData(FORMATETC* format) {
  return answers(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWXferObj::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE IWXferObj::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return DV_E_FORMATETC; }

HRESULT STDMETHODCALLTYPE IWXferObj::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  return ::SHCreateStdEnumFmtEtc(1, &format_, out);
}

HRESULT STDMETHODCALLTYPE IWXferObj::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
  return OLE_E_ADVISENOTSUPPORTED;
}
HRESULT STDMETHODCALLTYPE IWXferObj::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT STDMETHODCALLTYPE IWXferObj::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }
