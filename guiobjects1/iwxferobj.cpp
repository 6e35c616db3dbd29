// IWXferObj: the counted data object; copies or embeds what a foreign source offers.
#include "guiobjects1/iwxferobj.h"

#include <new>

#include "guiobjects1/clipformat.h"
#include "olecls/oclstorage.h"
#include "olefromdata.h"

namespace {

volatile LONG g_objects = 0;

}  // namespace

IWXferObj::IWXferObj(IDataObject* source) : IWXferTmp(nullptr, nullptr), medium_() {
  ::InterlockedIncrement(&g_objects);
  Init(source);
}

IWXferObj::IWXferObj(const FORMATETC& format, STGMEDIUM& medium, IDataObject* source)
    : IWXferTmp(nullptr, nullptr), medium_() {
  ::InterlockedIncrement(&g_objects);
  IWAnyGetable* own = new (std::nothrow) IWAnyGetable(format, medium, static_cast<IDataObject*>(this));
  if (!own) {
    FreeMedium(format, medium);  // the medium is the object's in any case
    ::InterlockedDecrement(&g_objects);
    throw std::bad_alloc();
  }
  getables_.AddXferable(own);
  Init(source);
}

IWXferObj::~IWXferObj() {
  if (fwd_) {
    // The object made here is closed without saving: a server in another process
    // would otherwise stay up for it.
    IOleObject* object = nullptr;
    if (HoldsOleObject() && fwd_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)) == S_OK &&
        object) {
      object->Close(OLECLOSE_NOSAVE);
      object->Release();
    }
    fwd_->Release();
  }
  fwd_ = nullptr;
  // The entries go before the storage their object lives in.
  getables_.Clear();
  setables_.Clear();
  if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
  ::InterlockedDecrement(&g_objects);
}

long IWXferObj::Live() { return g_objects; }

void IWXferObj::FreeMedium(const FORMATETC& format, STGMEDIUM& medium) {
  IWAnyGetable::FreeMedium(format, medium);
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

void IWXferObj::Init(IDataObject* source) {
  if (medium_.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium_);
  medium_ = STGMEDIUM{};
  if (!source) return;
  IEnumFORMATETC* e = nullptr;
  HRESULT hr = source->EnumFormatEtc(DATADIR_GET, &e);
  if (hr != S_OK || !e) {
    OleResult::Check(FAILED(hr) ? hr : S_OK, "EnumFormatEtc");
    if (e) e->Release();
    return;
  }
  if (CopyOle(source))
    getables_.InitOle(fwd_, e);
  else
    getables_.InitCopy(source, e, static_cast<IDataObject*>(this));
  e->Release();
}

bool IWXferObj::CopyOle(IDataObject* source) {
  FORMATETC file = CfFileName::s_fmt.format;
  if (source->QueryGetData(&file) == S_OK) return false;  // dropped files are copied, not embedded
  ILockBytes* bytes = nullptr;
  IStorage* stg = nullptr;
  if (::CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes) == S_OK && bytes)
    if (::StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg) !=
        S_OK)
      stg = nullptr;
  if (!stg) {
    OCLStorage temp(nullptr, 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    if (temp.is()) (stg = temp.storage())->AddRef();
  }
  if (bytes) bytes->Release();  // the storage keeps its own reference
  if (!stg) return false;
  medium_.tymed = TYMED_ISTORAGE;
  medium_.pstg = stg;
  medium_.pUnkForRelease = nullptr;
  IDataObject* object = nullptr;
  if (OleFromData(source, IID_IDataObject, stg, reinterpret_cast<void**>(&object)) != S_OK || !object) {
    ::ReleaseStgMedium(&medium_);
    medium_ = STGMEDIUM{};
    return false;
  }
  if (fwd_) fwd_->Release();
  fwd_ = object;
  return true;
}
