// An embeddable in-process OLE server for the container tests: an object that draws an
// ellipse in its colour on white, keeps its colour and extent in its storage, renders
// itself as a metafile picture, an enhanced metafile or a DIB, and leaves its verbs,
// user types, status bits and formats to the registry entries DllRegisterServer writes.
#include "testshape.h"

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "serverkit.h"

using namespace testshape;

namespace {

LONG g_objects = 0, g_locks = 0;
HINSTANCE g_instance = nullptr;

void drawShape(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &r, white);
  DeleteObject(white);
  HBRUSH fill = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, r.left, r.top, r.right + 1, r.bottom + 1);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(fill);
}

class Shape : public IOleObject,
              public IDataObject,
              public IViewObject2,
              public IPersistStorage,
              public IOleCache {
 public:
  Shape() { InterlockedIncrement(&g_objects); }
  virtual ~Shape() {
    SetClientSite(nullptr);
    if (stg_) stg_->Release();
    if (moniker_) moniker_->Release();
    if (oleAdvise_) oleAdvise_->Release();
    if (dataAdvise_) dataAdvise_->Release();
    if (viewSink_) viewSink_->Release();
    InterlockedDecrement(&g_objects);
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject)
      *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IDataObject)
      *out = static_cast<IDataObject*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2)
      *out = static_cast<IViewObject2*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStorage)
      *out = static_cast<IPersistStorage*>(this);
    else if (iid == IID_IOleCache)
      *out = static_cast<IOleCache*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** out) override {
    if (!out) return E_POINTER;
    *out = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    if (oleAdvise_) oleAdvise_->SendOnClose();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) override {
    if (which != OLEWHICHMK_OBJFULL) return S_OK;
    if (mk) mk->AddRef();
    if (moniker_) moniker_->Release();
    moniker_ = mk;
    return S_OK;
  }
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (moniker_ && which == OLEWHICHMK_OBJFULL) {
      moniker_->AddRef();
      *out = moniker_;
      return S_OK;
    }
    return site_ ? site_->GetMoniker(assign, which, out) : E_UNEXPECTED;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    switch (verb) {
      case OLEIVERB_PRIMARY:
      case 1:
      case OLEIVERB_SHOW:
      case OLEIVERB_OPEN:
        if (site_) site_->ShowObject();
        return S_OK;
      case OLEIVERB_HIDE:
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_INPLACEACTIVATE:
        return S_OK;
      default:
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
  }
  // The registry's verbs, enumerated here: the platform's verb menu does not go to the
  // registry when told OLE_S_USEREG.
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override { return OleRegEnumVerbs(kClsid, out); }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* out) override {
    if (!out) return E_POINTER;
    *out = kClsid;
    return S_OK;
  }
  // The full name is left to the registry (OLE_S_USEREG), which callers must resolve;
  // the short name and the application's are read here, because the platform's verb
  // menu prints "(null)" when told to use the registry.
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* out) override {
    if (form == USERCLASSTYPE_FULL) return OLE_S_USEREG;
    return OleRegGetUserType(kClsid, form, out);
  }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    if (!size) return E_POINTER;
    extent_ = *size;
    dirty_ = true;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* out) override {
    if (!out) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    *out = extent_;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* conn) override {
    if (!oleAdvise_ && FAILED(CreateOleAdviseHolder(&oleAdvise_))) return E_OUTOFMEMORY;
    return oleAdvise_->Advise(sink, conn);
  }
  STDMETHODIMP Unadvise(DWORD conn) override {
    return oleAdvise_ ? oleAdvise_->Unadvise(conn) : OLE_E_NOCONNECTION;
  }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(out) : S_OK;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return S_OK; }

  // IDataObject
  STDMETHODIMP GetData(FORMATETC* fmt, STGMEDIUM* med) override {
    if (!fmt || !med) return E_POINTER;
    HRESULT hr = QueryGetData(fmt);
    if (hr != S_OK) return hr;
    RECT r = {0, 0, 128, 64};
    med->pUnkForRelease = nullptr;
    if (fmt->cfFormat == CF_ENHMETAFILE) {
      RECT frame = {0, 0, extent_.cx, extent_.cy};
      HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
      if (!dc) return E_OUTOFMEMORY;
      drawShape(dc, r, color_);
      med->tymed = TYMED_ENHMF;
      med->hEnhMetaFile = CloseEnhMetaFile(dc);
      return med->hEnhMetaFile ? S_OK : E_OUTOFMEMORY;
    }
    if (fmt->cfFormat == CF_METAFILEPICT) {
      HDC dc = CreateMetaFileW(nullptr);
      if (!dc) return E_OUTOFMEMORY;
      SetWindowOrgEx(dc, 0, 0, nullptr);
      SetWindowExtEx(dc, r.right, r.bottom, nullptr);
      drawShape(dc, r, color_);
      HMETAFILE mf = CloseMetaFile(dc);
      HGLOBAL mem = GlobalAlloc(GHND | GMEM_SHARE, sizeof(METAFILEPICT));
      if (!mf || !mem) {
        if (mf) DeleteMetaFile(mf);
        if (mem) GlobalFree(mem);
        return E_OUTOFMEMORY;
      }
      auto* pict = static_cast<METAFILEPICT*>(GlobalLock(mem));
      pict->mm = MM_ANISOTROPIC;
      pict->xExt = extent_.cx;
      pict->yExt = extent_.cy;
      pict->hMF = mf;
      GlobalUnlock(mem);
      med->tymed = TYMED_MFPICT;
      med->hMetaFilePict = mem;
      return S_OK;
    }
    // CF_DIB: a 24-bit bottom-up DIB of the shape at 128 x 64.
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = r.right;
    bi.bmiHeader.biHeight = r.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bm) {
      DeleteDC(dc);
      return E_OUTOFMEMORY;
    }
    HGDIOBJ old = SelectObject(dc, bm);
    drawShape(dc, r, color_);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    const DWORD stride = ((DWORD(r.right) * 3 + 3) & ~3u), bytes = stride * DWORD(r.bottom);
    HGLOBAL mem = GlobalAlloc(GHND | GMEM_SHARE, sizeof(BITMAPINFOHEADER) + bytes);
    if (!mem) {
      DeleteObject(bm);
      return E_OUTOFMEMORY;
    }
    auto* p = static_cast<BYTE*>(GlobalLock(mem));
    bi.bmiHeader.biSizeImage = bytes;
    memcpy(p, &bi.bmiHeader, sizeof(BITMAPINFOHEADER));
    memcpy(p + sizeof(BITMAPINFOHEADER), bits, bytes);
    GlobalUnlock(mem);
    DeleteObject(bm);
    med->tymed = TYMED_HGLOBAL;
    med->hGlobal = mem;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* fmt) override {
    if (!fmt) return E_POINTER;
    if (fmt->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (fmt->cfFormat == CF_ENHMETAFILE) return (fmt->tymed & TYMED_ENHMF) ? S_OK : DV_E_TYMED;
    if (fmt->cfFormat == CF_METAFILEPICT) return (fmt->tymed & TYMED_MFPICT) ? S_OK : DV_E_TYMED;
    if (fmt->cfFormat == CF_DIB) return (fmt->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
    return DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  // IDataObject's and IOleCache's: nothing is set from outside.
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return OLE_S_USEREG; }
  STDMETHODIMP DAdvise(FORMATETC* fmt, DWORD advf, IAdviseSink* sink, DWORD* conn) override {
    if (!dataAdvise_ && FAILED(CreateDataAdviseHolder(&dataAdvise_))) return E_OUTOFMEMORY;
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), fmt, advf, sink, conn);
  }
  STDMETHODIMP DUnadvise(DWORD conn) override {
    return dataAdvise_ ? dataAdvise_->Unadvise(conn) : OLE_E_NOCONNECTION;
  }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return dataAdvise_ ? dataAdvise_->EnumAdvise(out) : S_OK;
  }

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                    BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    drawShape(dc, r, color_);
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink* sink) override {
    if (sink) sink->AddRef();
    if (viewSink_) viewSink_->Release();
    viewSink_ = sink;
    return S_OK;
  }
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (advf) *advf = 0;
    if (sink) {
      *sink = viewSink_;
      if (viewSink_) viewSink_->AddRef();
    }
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL out) override {
    return GetExtent(aspect, out);
  }

  // IPersistStorage
  STDMETHODIMP GetClassID(CLSID* out) override { return GetUserClassID(out); }
  STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  STDMETHODIMP InitNew(IStorage* stg) override {
    if (!stg) return E_INVALIDARG;
    hold(stg);
    dirty_ = true;
    return S_OK;
  }
  STDMETHODIMP Load(IStorage* stg) override {
    if (!stg) return E_INVALIDARG;
    IStream* stm = nullptr;
    HRESULT hr = stg->OpenStream(kStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stm);
    if (FAILED(hr)) return hr;
    Contents c = {};
    ULONG n = 0;
    hr = stm->Read(&c, sizeof c, &n);
    stm->Release();
    if (FAILED(hr)) return hr;
    if (n != sizeof c || c.magic != kMagic) return STG_E_READFAULT;
    color_ = c.color;
    extent_ = SIZEL{c.cx, c.cy};
    hold(stg);
    dirty_ = false;
    return S_OK;
  }
  STDMETHODIMP Save(IStorage* stg, BOOL) override {
    if (!stg) return E_INVALIDARG;
    IStream* stm = nullptr;
    HRESULT hr = stg->CreateStream(kStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stm);
    if (FAILED(hr)) return hr;
    Contents c = {kMagic, DWORD(color_), extent_.cx, extent_.cy};
    ULONG n = 0;
    hr = stm->Write(&c, sizeof c, &n);
    stm->Release();
    if (SUCCEEDED(hr) && n != sizeof c) hr = STG_E_WRITEFAULT;
    return hr;
  }
  STDMETHODIMP SaveCompleted(IStorage* stg) override {
    if (stg) hold(stg);
    dirty_ = false;
    if (oleAdvise_) oleAdvise_->SendOnSave();
    return S_OK;
  }
  STDMETHODIMP HandsOffStorage() override {
    if (stg_) stg_->Release();
    stg_ = nullptr;
    return S_OK;
  }

  // IOleCache: the object renders every format itself, so the cache keeps nothing.
  STDMETHODIMP Cache(FORMATETC* fmt, DWORD, DWORD* conn) override {
    if (!fmt) return E_INVALIDARG;
    if (conn) *conn = ++nextCache_;
    return S_OK;
  }
  STDMETHODIMP Uncache(DWORD) override { return S_OK; }
  STDMETHODIMP EnumCache(IEnumSTATDATA** out) override {
    if (out) *out = nullptr;
    return S_OK;
  }
  STDMETHODIMP InitCache(IDataObject*) override { return S_OK; }

 private:
  void hold(IStorage* stg) {
    stg->AddRef();
    if (stg_) stg_->Release();
    stg_ = stg;
  }

  LONG refs_ = 1;
  COLORREF color_ = kColor;
  SIZEL extent_ = {kWidth, kHeight};
  bool dirty_ = false;
  DWORD nextCache_ = 0;
  IOleClientSite* site_ = nullptr;
  IStorage* stg_ = nullptr;
  IMoniker* moniker_ = nullptr;
  IOleAdviseHolder* oleAdvise_ = nullptr;
  IDataAdviseHolder* dataAdvise_ = nullptr;
  IAdviseSink* viewSink_ = nullptr;
};

serverkit::Factory<Shape> g_factory(g_locks);

// One registry value under HKCR: key, value name (null: default), text.
struct Entry {
  std::string key;
  const char* name;
  std::string value;
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_instance, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  const std::string cls = std::string("CLSID\\") + kClsidText;
  const std::string prog = kProgId;
  char misc[16];
  wsprintfA(misc, "%lu", static_cast<unsigned long>(kMiscStatus));
  const Entry entries[] = {
      {cls, nullptr, kFullType},
      {cls + "\\InprocServer32", nullptr, path},
      {cls + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {cls + "\\ProgID", nullptr, prog},
      {cls + "\\Insertable", nullptr, ""},
      {cls + "\\MiscStatus", nullptr, misc},
      {cls + "\\AuxUserType\\2", nullptr, kShortType},
      {cls + "\\AuxUserType\\3", nullptr, kAppName},
      {cls + "\\Verb\\0", nullptr, "&Edit,0,2"},
      {cls + "\\Verb\\1", nullptr, "&Open,0,2"},
      // Formats: clipboard format, aspect, medium, direction (1: get).
      {cls + "\\DataFormats\\GetSet\\0", nullptr, "3,1,32,1"},
      {cls + "\\DataFormats\\GetSet\\1", nullptr, "14,1,64,1"},
      {cls + "\\DataFormats\\GetSet\\2", nullptr, "8,1,1,1"},
      {prog, nullptr, kFullType},
      {prog + "\\CLSID", nullptr, kClsidText},
      {prog + "\\Insertable", nullptr, ""},
  };
  for (const Entry& e : entries)
    if (!serverkit::SetClassesRootValue(e.key, e.name, e.value)) return SELFREG_E_CLASS;
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsidText).c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
  return S_OK;
}
