// What the tests of the data objects share: a scripted foreign data object, an
// enumerator that never ends, a link in front of an object, media helpers.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace xferkit {

// Forgets what the compiler knows of p's dynamic type, so that calls through it go
// through the object's table as a receiver's do. (A call bound directly to an exported
// COM member needs the member's decorated name, which the 32-bit DLL exports plain.)
template <class T>
void Hide(T*& p) {
  asm volatile("" : "+r"(p));
}

// A global-memory medium holding bytes (no release owner).
inline STGMEDIUM GlobalMedium(const void* bytes, size_t size) {
  STGMEDIUM m = {};
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (void* at = GlobalLock(m.hGlobal)) {
    if (size) std::memcpy(at, bytes, size);
    GlobalUnlock(m.hGlobal);
  }
  return m;
}
inline STGMEDIUM TextMedium(const std::string& text) { return GlobalMedium(text.c_str(), text.size() + 1); }

// The bytes of a global block, at most its size.
inline std::string ReadGlobal(HGLOBAL mem) {
  if (!mem) return std::string();
  SIZE_T size = GlobalSize(mem);
  const char* at = static_cast<const char*>(GlobalLock(mem));
  if (!at) return std::string();
  std::string s(at, size);
  GlobalUnlock(mem);
  return s;
}
// The text of a global block: up to its first zero byte.
inline std::string ReadText(HGLOBAL mem) {
  std::string s = ReadGlobal(mem);
  return s.substr(0, s.find('\0'));
}

inline FORMATETC Format(CLIPFORMAT cf, DWORD tymed, DWORD aspect = DVASPECT_CONTENT) {
  return FORMATETC{cf, nullptr, aspect, -1, tymed};
}

// A counted enumerator over a fixed list of formats (or endless: CF_TEXT for ever).
class ListEnum final : public IEnumFORMATETC {
 public:
  explicit ListEnum(std::vector<FORMATETC> formats, bool endless = false)
      : formats_(std::move(formats)), endless_(endless) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumFORMATETC) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return ULONG(n);
  }
  STDMETHODIMP Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count; ++n) {
      if (endless_) {
        out[n] = Format(CF_TEXT, TYMED_HGLOBAL);
        ++given;
        continue;
      }
      if (at_ >= formats_.size()) break;
      out[n] = formats_[at_++];
      // A target device of the task allocator, as a real source hands it out.
      if (withDevice) {
        out[n].ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(sizeof(DVTARGETDEVICE)));
        std::memset(out[n].ptd, 0, sizeof(DVTARGETDEVICE));
        out[n].ptd->tdSize = sizeof(DVTARGETDEVICE);
      }
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    at_ += count;
    return at_ <= formats_.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    at_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumFORMATETC** out) override {
    auto* e = new ListEnum(formats_, endless_);
    e->at_ = at_;
    *out = e;
    return S_OK;
  }
  long given = 0;
  bool withDevice = false;

 private:
  std::vector<FORMATETC> formats_;
  bool endless_;
  size_t at_ = 0;
  LONG refs_ = 1;
};

// A foreign data object: formats with a producer each. Interfaces other than
// IDataObject (IOleObject, IOleLink, IPersistStorage) are answered by `inner` and
// `link` when set.
class Source : public IDataObject {
 public:
  using Producer = std::function<HRESULT(STGMEDIUM&)>;
  struct Offer {
    FORMATETC format;
    Producer make;
  };

  Source() = default;
  virtual ~Source() {
    if (inner) inner->Release();
    if (link) link->Release();
  }

  void offer(const FORMATETC& f, Producer make) { offers.push_back({f, std::move(make)}); }
  void offerText(CLIPFORMAT cf, const std::string& text) {
    offer(Format(cf, TYMED_HGLOBAL), [text](STGMEDIUM& m) {
      m = TextMedium(text);
      return S_OK;
    });
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    if (iid == IID_IOleLink) return link ? link->QueryInterface(iid, out) : E_NOINTERFACE;
    return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs);
    if (!n) delete this;
    return ULONG(n);
  }

  STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* m) override {
    ++gets;
    *m = STGMEDIUM{};
    for (auto& o : offers)
      if (o.format.cfFormat == f->cfFormat && (o.format.tymed & f->tymed)) return o.make(*m);
    return DV_E_FORMATETC;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* f) override {
    for (auto& o : offers)
      if (o.format.cfFormat == f->cfFormat && (o.format.tymed & f->tymed)) return S_OK;
    return DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD dir, IEnumFORMATETC** out) override {
    *out = nullptr;
    if (dir != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> fs;
    for (auto& o : offers) fs.push_back(o.format);
    *out = new ListEnum(fs, endless);
    return S_OK;
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  std::vector<Offer> offers;
  IUnknown* inner = nullptr;  // counted
  IUnknown* link = nullptr;   // counted
  bool endless = false;
  int gets = 0;
  LONG refs = 1;
};

// A link in front of an object: IOleLink of its own (source moniker: a file moniker of
// `path`), every other interface the object's (or none, when object is null).
class Link final : public IOleLink {
 public:
  Link(IUnknown* object, const wchar_t* path) : object_(object), path_(path) {
    if (object_) object_->AddRef();
  }
  ~Link() {
    if (object_) object_->Release();
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleLink) {
      *out = static_cast<IOleLink*>(this);
      AddRef();
      return S_OK;
    }
    return object_ ? object_->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return ULONG(n);
  }
  STDMETHODIMP SetUpdateOptions(DWORD) override { return S_OK; }
  STDMETHODIMP GetUpdateOptions(DWORD* o) override {
    *o = OLEUPDATE_ALWAYS;
    return S_OK;
  }
  STDMETHODIMP SetSourceMoniker(IMoniker*, REFCLSID) override { return E_NOTIMPL; }
  STDMETHODIMP GetSourceMoniker(IMoniker** out) override { return CreateFileMoniker(path_, out); }
  STDMETHODIMP SetSourceDisplayName(LPCOLESTR) override { return E_NOTIMPL; }
  STDMETHODIMP GetSourceDisplayName(LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP BindToSource(DWORD, IBindCtx*) override { return E_NOTIMPL; }
  STDMETHODIMP BindIfRunning() override { return E_NOTIMPL; }
  STDMETHODIMP GetBoundSource(IUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP UnbindSource() override { return E_NOTIMPL; }
  STDMETHODIMP Update(IBindCtx*) override { return E_NOTIMPL; }

 private:
  IUnknown* object_;
  const wchar_t* path_;
  LONG refs_ = 1;
};

}  // namespace xferkit
