// The transferables: ring links, format matching, held data and forwarding, and the OLE
// linking and embedding formats made on demand.
#include "guiobjects1/iwxferable.h"

#include <cstring>
#include <new>

#include "guiobjects1/clipformat.h"
#include "oleui/oleuistd.h"
#include "olecls/oclstorage.h"
#include "store/interobj.h"

namespace {

volatile LONG g_live = 0;

// Releases an interface obtained here when the scope ends.
template <class T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

// A release owner that frees a copied file name at its last release.
class NameHolder final : public IUnknown {
 public:
  explicit NameHolder(LPOLESTR name) : name_(name) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)::InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) {
      ::CoTaskMemFree(name_);
      delete this;
    }
    return (ULONG)n;
  }

 private:
  LPOLESTR name_;
  LONG refs_ = 1;
};

bool IsProcessFormat(const FORMATETC& f) {
  const FORMATETC& refs = ProcessFormat::s_fmt.format;
  return f.cfFormat == refs.cfFormat && (f.tymed & refs.tymed);
}

// A medium is usable when it is of a kind asked for and carries a handle.
bool Usable(const STGMEDIUM& m, DWORD asked) {
  if (m.tymed == TYMED_NULL || !(m.tymed & asked)) return false;
  switch (m.tymed) {
    case TYMED_HGLOBAL:
      return m.hGlobal != nullptr;
    case TYMED_FILE:
      return m.lpszFileName != nullptr;
    case TYMED_ISTREAM:
      return m.pstm != nullptr;
    case TYMED_ISTORAGE:
      return m.pstg != nullptr;
    case TYMED_GDI:
      return m.hBitmap != nullptr;
    case TYMED_MFPICT:
      return m.hMetaFilePict != nullptr;
    case TYMED_ENHMF:
      return m.hEnhMetaFile != nullptr;
    default:
      return false;
  }
}

void Release(STGMEDIUM& m) {
  if (m.tymed != TYMED_NULL) ::ReleaseStgMedium(&m);
  m = STGMEDIUM{};
}

}  // namespace

// ---- the root ----

IWXferable::IWXferable() { ::InterlockedIncrement(&g_live); }
IWXferable::~IWXferable() { ::InterlockedDecrement(&g_live); }
long IWXferable::Live() { return g_live; }

IWXferable* IWXferable::FindXferable(const FORMATETC* format) {
  if (!format) return nullptr;
  IWXferable* e = this;
  do {
    if (e->Selected() && *e == *format) return e;
    e = e->Nxt(nullptr);
  } while (e && e != this);
  return nullptr;
}

// ---- format entries ----

IWFmtXferable::IWFmtXferable(const FORMATETC& format) : next_(this), format_(format) {}

bool IWFmtXferable::operator==(const FORMATETC& w) {
  return w.cfFormat == format_.cfFormat &&
         ((w.dwAspect & format_.dwAspect) || w.dwAspect == format_.dwAspect) && (w.tymed & format_.tymed);
}

HRESULT IWFmtXferable::SetMedium(STGMEDIUM&, BOOL, IDataObject*) { return DV_E_FORMATETC; }
HRESULT IWFmtXferable::GetMedium(STGMEDIUM&, IDataObject*) { return DV_E_FORMATETC; }
HRESULT IWFmtXferable::GetOnMedium(STGMEDIUM&, IDataObject*) { return DV_E_FORMATETC; }

void IWFmtXferable::GetFormat(FORMATETC& format) { format = format_; }

IWXferable* IWFmtXferable::Nxt(IWXferable* p) {
  IWXferable* old = next_;
  if (p) next_ = p;
  return old;
}

IWXferable* IWFmtXferable::OntoEndOf(IWXferable* tail) {
  IWXferable* old = next_;
  if (!tail) return old;
  next_ = tail->Nxt(old);
  return old;
}

// ---- held data ----

IWAnyGetable::IWAnyGetable(const FORMATETC& format, STGMEDIUM& medium, IUnknown* owner)
    : IWFmtXferable(format), medium_(medium), owner_(owner) {
  medium = STGMEDIUM{};
}

IWAnyGetable::IWAnyGetable(IDataObject* source, FORMATETC& format, IUnknown* owner)
    : IWFmtXferable(format), medium_(), owner_(owner) {
  if (!source) return;
  FORMATETC asked = format;
  STGMEDIUM got = {};
  if (source->GetData(&asked, &got) != S_OK) return;
  // Data from another process is checked before it is kept: a medium of a kind not
  // asked for, or one without a handle, is given back and the entry stays empty.
  if (!Usable(got, format.tymed)) {
    Release(got);
    return;
  }
  medium_ = got;
  format_.tymed = format.tymed = got.tymed;
}

IWAnyGetable::~IWAnyGetable() { FreeMedium(); }

void IWAnyGetable::FreeMedium() { FreeMedium(format_, medium_); }

void IWAnyGetable::FreeMedium(const FORMATETC& format, STGMEDIUM& medium) {
  if (!medium.pUnkForRelease && medium.tymed == TYMED_HGLOBAL && medium.hGlobal && IsProcessFormat(format) &&
      ::GlobalSize(medium.hGlobal) >= sizeof(Faultp<InterObjRep>))
    if (void* at = ::GlobalLock(medium.hGlobal)) {
      static_cast<Faultp<InterObjRep>*>(at)->~Faultp();
      ::GlobalUnlock(medium.hGlobal);
    }
  Release(medium);
}

HRESULT IWAnyGetable::duplicate(STGMEDIUM& out) const {
  out = STGMEDIUM{};
  switch (medium_.tymed) {
    case TYMED_NULL:
      return S_OK;
    case TYMED_ISTREAM:
    case TYMED_ISTORAGE:
      out.tymed = medium_.tymed;
      out.pUnkForRelease = nullptr;
      if (medium_.tymed == TYMED_ISTREAM)
        (out.pstm = medium_.pstm)->AddRef();
      else
        (out.pstg = medium_.pstg)->AddRef();
      return S_OK;
    case TYMED_FILE: {
      size_t bytes = (std::wcslen(medium_.lpszFileName) + 1) * sizeof(wchar_t);
      auto* name = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
      NameHolder* holder = name ? new (std::nothrow) NameHolder(name) : nullptr;
      if (!holder) {
        ::CoTaskMemFree(name);
        return E_OUTOFMEMORY;
      }
      std::memcpy(name, medium_.lpszFileName, bytes);
      out.tymed = TYMED_FILE;
      out.lpszFileName = name;
      out.pUnkForRelease = holder;
      return S_OK;
    }
    default:
      break;
  }
  HANDLE copy = ::OleDuplicateData(medium_.hGlobal, format_.cfFormat, 0);
  if (!copy) return E_OUTOFMEMORY;
  out.tymed = medium_.tymed;
  out.hGlobal = static_cast<HGLOBAL>(copy);
  // An object reference copied takes a count of its own.
  if (out.tymed == TYMED_HGLOBAL && IsProcessFormat(format_) &&
      ::GlobalSize(out.hGlobal) >= sizeof(Faultp<InterObjRep>)) {
    void* from = ::GlobalLock(medium_.hGlobal);
    void* to = ::GlobalLock(out.hGlobal);
    if (from && to) new (to) Faultp<InterObjRep>(*static_cast<Faultp<InterObjRep>*>(from));
    if (to) ::GlobalUnlock(out.hGlobal);
    if (from) ::GlobalUnlock(medium_.hGlobal);
    if (!from || !to) {
      ::GlobalFree(out.hGlobal);
      out = STGMEDIUM{};
      return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

HRESULT IWAnyGetable::GetMedium(STGMEDIUM& medium, IDataObject*) {
  medium = STGMEDIUM{};
  if (!owner_ || medium_.tymed == TYMED_NULL) return duplicate(medium);
  medium = medium_;
  medium.pUnkForRelease = owner_;
  owner_->AddRef();
  return S_OK;
}

HRESULT IWAnyGetable::GetOnMedium(STGMEDIUM& medium, IDataObject*) {
  if (medium_.tymed != TYMED_ISTORAGE || !medium_.pstg) return DV_E_FORMATETC;
  if (medium.tymed != TYMED_ISTORAGE || !medium.pstg) return DV_E_TYMED;
  return medium_.pstg->CopyTo(0, nullptr, nullptr, medium.pstg);
}

HRESULT IWAnyGetable::SetMedium(STGMEDIUM& medium, BOOL release, IDataObject*) {
  FreeMedium();
  if (release) {
    medium_ = medium;
    return S_OK;
  }
  STGMEDIUM copy = {};
  copy.tymed = medium.tymed;
  copy.hGlobal = medium.hGlobal;
  switch (medium.tymed) {
    case TYMED_NULL:
      break;
    case TYMED_ISTREAM:
      if (copy.pstm) copy.pstm->AddRef();
      break;
    case TYMED_ISTORAGE:
      if (copy.pstg) copy.pstg->AddRef();
      break;
    case TYMED_FILE:
      return DV_E_TYMED;  // a name the caller keeps cannot be kept here
    default:
      copy.hGlobal = static_cast<HGLOBAL>(::OleDuplicateData(medium.hGlobal, format_.cfFormat, 0));
      if (!copy.hGlobal) return E_OUTOFMEMORY;
  }
  medium_ = copy;
  return S_OK;
}

// ---- forwarding ----

IWFwdXferable::IWFwdXferable(const FORMATETC& format) : IWFmtXferable(format) {}

IWFwdXferable::IWFwdXferable(unsigned short cf, unsigned long tymed)
    : IWFmtXferable(FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, tymed}) {}

HRESULT IWFwdXferable::SetMedium(STGMEDIUM& medium, BOOL release, IDataObject* forward) {
  if (!forward) return DV_E_FORMATETC;
  FORMATETC f = format_;
  return forward->SetData(&f, &medium, release);
}

HRESULT IWFwdXferable::GetMedium(STGMEDIUM& medium, IDataObject* forward) {
  if (!forward) return DV_E_FORMATETC;
  FORMATETC f = format_;
  return forward->GetData(&f, &medium);
}

HRESULT IWFwdXferable::GetOnMedium(STGMEDIUM& medium, IDataObject* forward) {
  if (!forward) return DV_E_FORMATETC;
  FORMATETC f = format_;
  return forward->GetDataHere(&f, &medium);
}

// ---- embedding ----

namespace {

// Saves the object into stg (not the storage it was loaded from).
HRESULT SaveInto(IOleObject* object, IStorage* stg) {
  Held<IPersistStorage> persist;
  if (object->QueryInterface(IID_IPersistStorage, persist.out()) != S_OK || !persist.p) return S_OK;
  HRESULT hr = ::OleSave(persist.p, stg, FALSE);
  HRESULT done = persist.p->SaveCompleted(nullptr);
  if (FAILED(hr)) return hr;
  return FAILED(done) ? done : S_OK;
}

}  // namespace

IWEOXferable::IWEOXferable() : IWFwdXferable(CfEmbeddedObject::s_fmt.format) {}

HRESULT IWEOXferable::GetMedium(STGMEDIUM& medium, IDataObject* forward) {
  medium = STGMEDIUM{};
  if (!forward) return DV_E_FORMATETC;
  Held<IOleObject> object;
  if (forward->QueryInterface(IID_IOleObject, object.out()) != S_OK || !object.p) return DV_E_FORMATETC;
  IStorage* stg = nullptr;
  {
    OCLStorage temp(nullptr, 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    if (!temp.is()) return E_OUTOFMEMORY;
    stg = temp.storage();
    stg->AddRef();
  }
  medium.tymed = TYMED_ISTORAGE;
  medium.pstg = stg;
  medium.pUnkForRelease = nullptr;
  HRESULT hr = SaveInto(object.p, stg);
  if (FAILED(hr)) Release(medium);
  return hr;
}

HRESULT IWEOXferable::GetOnMedium(STGMEDIUM& medium, IDataObject* forward) {
  if (!forward) return DV_E_FORMATETC;
  Held<IOleObject> object;
  if (forward->QueryInterface(IID_IOleObject, object.out()) != S_OK || !object.p) return DV_E_FORMATETC;
  if (medium.tymed != TYMED_ISTORAGE || !medium.pstg) return DV_E_TYMED;
  return SaveInto(object.p, medium.pstg);
}

IWEDXferable::IWEDXferable() : IWFwdXferable(CfObjectDescriptor::s_fmt.format) {}
IWEDXferable::IWEDXferable(const FORMATETC& format) : IWFwdXferable(format) {}

HRESULT IWEDXferable::GetMedium(STGMEDIUM& medium, IDataObject* forward) {
  medium = STGMEDIUM{};
  if (!forward) return DV_E_FORMATETC;
  Held<IOleObject> object;
  if (forward->QueryInterface(IID_IOleObject, object.out()) != S_OK || !object.p) return DV_E_FORMATETC;
  SIZEL size = extent;
  HGLOBAL mem = ::OleStdGetObjectDescriptorDataFromOleObject(object.p, nullptr, DVASPECT_CONTENT, position,
                                                             size.cx || size.cy ? &size : nullptr);
  if (!mem) return E_OUTOFMEMORY;
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = mem;
  return S_OK;
}

IWLDXferable::IWLDXferable() : IWEDXferable(CfLinkSourceDescriptor::s_fmt.format) {}

IWLSXferable::IWLSXferable() : IWFwdXferable(CfLinkSource::s_fmt.format) {}

HRESULT IWLSXferable::GetMedium(STGMEDIUM& medium, IDataObject* forward) {
  medium = STGMEDIUM{};
  if (!forward) return DV_E_FORMATETC;
  Held<IOleLink> link;
  if (forward->QueryInterface(IID_IOleLink, link.out()) != S_OK || !link.p) return DV_E_FORMATETC;
  // A link whose object answers no IOleObject has no class to name: refused, not thrown.
  Held<IOleObject> object;
  if (forward->QueryInterface(IID_IOleObject, object.out()) != S_OK || !object.p) return DV_E_FORMATETC;
  Held<IMoniker> moniker;
  HRESULT hr = link.p->GetSourceMoniker(&moniker.p);
  if (FAILED(hr)) return hr;
  if (!moniker.p) return DV_E_FORMATETC;
  CLSID clsid = CLSID_NULL;
  hr = object.p->GetUserClassID(&clsid);
  if (FAILED(hr)) return hr;
  FORMATETC f = format_;
  return ::OleStdGetLinkSourceData(moniker.p, &clsid, &f, &medium);
}
