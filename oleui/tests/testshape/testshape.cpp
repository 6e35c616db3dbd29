// An embeddable in-process OLE server for the container tests: an object that draws an
// ellipse in its colour on white, keeps its colour and extent in its storage, renders
// itself as a metafile picture, an enhanced metafile or a DIB, and leaves its verbs,
// user types, status bits and formats to the registry entries DllRegisterServer writes.
// It also loads and saves a small file type of its own (so links to such files can be
// made and bound), and activates in place: a child window in the container's, a menu
// merged into the container's, a request for tool space and an accelerator.
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

// The in-place window's class, registered while such windows exist (so the DLL can be
// unloaded with no class left pointing into it).
constexpr const wchar_t* kWindowClass = L"OrvanelTestShapeInPlace";
LONG g_windows = 0;
LRESULT CALLBACK shapeWindowProc(HWND, UINT, WPARAM, LPARAM);

bool retainWindowClass() {
  if (g_windows++ > 0) return true;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = shapeWindowProc;
  wc.hInstance = g_instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  if (RegisterClassW(&wc)) return true;
  --g_windows;
  return false;
}

void releaseWindowClass() {
  if (--g_windows == 0) UnregisterClassW(kWindowClass, g_instance);
}

// Reads or writes a whole Contents record of a shape file. Reading answers
// STG_E_FILENOTFOUND for a missing file and STG_E_READFAULT for one that is no shape.
HRESULT readShapeFile(const wchar_t* name, Contents& c) {
  HANDLE h = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? STG_E_FILENOTFOUND : STG_E_ACCESSDENIED;
  }
  DWORD n = 0;
  BOOL ok = ReadFile(h, &c, sizeof c, &n, nullptr);
  CloseHandle(h);
  return ok && n == sizeof c && c.magic == kMagic ? S_OK : STG_E_READFAULT;
}

bool writeShapeFile(const wchar_t* name, const Contents& c) {
  HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  BOOL ok = WriteFile(h, &c, sizeof c, &n, nullptr);
  CloseHandle(h);
  return ok && n == sizeof c;
}

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
              public IOleCache,
              public IPersistFile,
              public IOleLink,
              public IOleInPlaceObject,
              public IOleInPlaceActiveObject {
 public:
  Shape() { InterlockedIncrement(&g_objects); }
  virtual ~Shape() {
    // The site may take and drop references while it is told of the deactivation.
    refs_ = 1 << 20;
    InPlaceDeactivate();
    SetClientSite(nullptr);
    if (source_) source_->Release();
    CoTaskMemFree(file_);
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
    else if (iid == IID_IPersistFile)
      *out = static_cast<IPersistFile*>(this);
    else if (iid == IID_IOleLink && (file_ || source_))
      // Only the object of a file, or one that is told its source, is a link.
      *out = static_cast<IOleLink*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
      *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceActiveObject)
      *out = static_cast<IOleInPlaceActiveObject*>(this);
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
    InPlaceDeactivate();
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
  // The primary verb, Show and the activation verbs activate in place where the site
  // allows it; Open and a site that does not just show the object.
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override {
    if (site && site != site_) SetClientSite(site);
    switch (verb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_INPLACEACTIVATE: {
        HRESULT hr = activateInPlace(verb != OLEIVERB_INPLACEACTIVATE);
        if (hr == S_OK) return S_OK;
        if (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_INPLACEACTIVATE) return hr;
        if (site_) site_->ShowObject();
        return S_OK;
      }
      case 1:
      case OLEIVERB_OPEN:
        if (site_) site_->ShowObject();
        return S_OK;
      case OLEIVERB_HIDE:
        InPlaceDeactivate();
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
    setContents(c);
    // A linked shape names its source: it is read again from there when it can be.
    if (SUCCEEDED(stg->OpenStream(kLinkStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stm))) {
      IMoniker* mk = nullptr;
      hr = OleLoadFromStream(stm, IID_IMoniker, reinterpret_cast<void**>(&mk));
      stm->Release();
      if (FAILED(hr)) return hr;
      SetSourceMoniker(mk, kClsid);
      mk->Release();
      Update(nullptr);
    }
    hold(stg);
    dirty_ = false;
    return S_OK;
  }
  STDMETHODIMP Save(IStorage* stg, BOOL) override {
    if (!stg) return E_INVALIDARG;
    IStream* stm = nullptr;
    HRESULT hr = stg->CreateStream(kStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stm);
    if (FAILED(hr)) return hr;
    Contents c = contents();
    ULONG n = 0;
    hr = stm->Write(&c, sizeof c, &n);
    stm->Release();
    if (SUCCEEDED(hr) && n != sizeof c) hr = STG_E_WRITEFAULT;
    if (FAILED(hr) || !source_) return hr;
    hr = stg->CreateStream(kLinkStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stm);
    if (FAILED(hr)) return hr;
    IPersistStream* ps = nullptr;
    hr = source_->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&ps));
    if (SUCCEEDED(hr)) {
      hr = OleSaveToStream(ps, stm);
      ps->Release();
    }
    stm->Release();
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

  // IPersistFile: a shape file holds one Contents record.
  STDMETHODIMP Load(LPCOLESTR name, DWORD) override {
    if (!name) return E_INVALIDARG;
    Contents c = {};
    HRESULT hr = readShapeFile(name, c);
    if (FAILED(hr)) return hr;
    setContents(c);
    setFile(name);
    dirty_ = false;
    return S_OK;
  }
  STDMETHODIMP Save(LPCOLESTR name, BOOL remember) override {
    const wchar_t* target = name ? name : file_;
    if (!target) return E_INVALIDARG;
    if (!writeShapeFile(target, contents())) return STG_E_WRITEFAULT;
    if (name && remember) setFile(name);
    if (!name || remember) dirty_ = false;
    return S_OK;
  }
  STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP GetCurFile(LPOLESTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!file_) return S_FALSE;
    size_t bytes = (wcslen(file_) + 1) * sizeof(wchar_t);
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, file_, bytes);
    return S_OK;
  }

  // IOleLink: the source is a moniker to a shape file; updating reads the file again.
  STDMETHODIMP SetUpdateOptions(DWORD opt) override {
    if (opt != OLEUPDATE_ALWAYS && opt != OLEUPDATE_ONCALL) return E_INVALIDARG;
    updateOption_ = opt;
    return S_OK;
  }
  STDMETHODIMP GetUpdateOptions(DWORD* out) override {
    if (!out) return E_POINTER;
    *out = updateOption_;
    return S_OK;
  }
  STDMETHODIMP SetSourceMoniker(IMoniker* mk, REFCLSID) override {
    if (mk) mk->AddRef();
    if (source_) source_->Release();
    source_ = mk;
    dirty_ = true;
    return S_OK;
  }
  STDMETHODIMP GetSourceMoniker(IMoniker** out) override {
    if (!out) return E_POINTER;
    *out = source_;
    if (!source_) return MK_E_UNAVAILABLE;
    source_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetSourceDisplayName(LPCOLESTR name) override {
    if (!name) return E_INVALIDARG;
    IMoniker* mk = nullptr;
    HRESULT hr = CreateFileMoniker(name, &mk);
    if (FAILED(hr)) return hr;
    SetSourceMoniker(mk, kClsid);
    mk->Release();
    return S_OK;
  }
  STDMETHODIMP GetSourceDisplayName(LPOLESTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!source_) return GetCurFile(out) == S_OK ? S_OK : MK_E_UNAVAILABLE;
    IBindCtx* bc = nullptr;
    HRESULT hr = CreateBindCtx(0, &bc);
    if (FAILED(hr)) return hr;
    hr = source_->GetDisplayName(bc, nullptr, out);
    bc->Release();
    return hr;
  }
  STDMETHODIMP BindToSource(DWORD, IBindCtx*) override { return Update(nullptr); }
  STDMETHODIMP BindIfRunning() override { return S_OK; }
  STDMETHODIMP GetBoundSource(IUnknown** out) override {
    if (!out) return E_POINTER;
    *out = static_cast<IOleObject*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP UnbindSource() override { return S_OK; }
  STDMETHODIMP Update(IBindCtx*) override {
    LPOLESTR name = nullptr;
    HRESULT hr = GetSourceDisplayName(&name);
    if (FAILED(hr)) return hr;
    Contents c = {};
    hr = readShapeFile(name, c);
    CoTaskMemFree(name);
    if (FAILED(hr)) return MK_E_NOOBJECT;
    setContents(c);
    changed();
    return S_OK;
  }

  // IOleWindow, for both in-place interfaces.
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override {
    if (!ipSite_) return S_OK;
    UIDeactivate();
    if (window_) {
      DestroyWindow(window_);
      window_ = nullptr;
      releaseWindowClass();
    }
    releaseFrame();
    IOleInPlaceSite* site = ipSite_;
    ipSite_ = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
  }
  // Takes the merged menu apart and gives the frame back its own tools and menu.
  STDMETHODIMP UIDeactivate() override {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (frame_) {
      frame_->SetMenu(nullptr, nullptr, nullptr);
      if (shared_) {
        // The server's popup goes first, so that the container removes only its own.
        RemoveMenu(shared_, UINT(widths_.width[0] + widths_.width[1] + widths_.width[2]), MF_BYPOSITION);
        frame_->RemoveMenus(shared_);
      }
      frame_->SetActiveObject(nullptr, nullptr);
    }
    if (doc_) doc_->SetActiveObject(nullptr, nullptr);
    if (menuDescriptor_) OleDestroyMenuDescriptor(menuDescriptor_);
    menuDescriptor_ = nullptr;
    if (shared_) DestroyMenu(shared_);
    shared_ = nullptr;
    if (popup_) DestroyMenu(popup_);
    popup_ = nullptr;
    if (accel_) DestroyAcceleratorTable(accel_);
    accel_ = nullptr;
    if (ipSite_) ipSite_->OnUIDeactivate(FALSE);
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
    if (!pos) return E_INVALIDARG;
    if (window_)
      SetWindowPos(window_, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
    if (!msg || !accel_ || !window_) return S_FALSE;
    return ::TranslateAccelerator(window_, accel_, msg) ? S_OK : S_FALSE;
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL frame) override {
    return frame && frame_ ? requestToolSpace() : S_OK;
  }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // The in-place window's messages.
  LRESULT onMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        drawShape(dc, r, color_);
        EndPaint(w, &ps);
        return 0;
      }
      case WM_PRINTCLIENT: {
        RECT r;
        GetClientRect(w, &r);
        drawShape(reinterpret_cast<HDC>(wp), r, color_);
        return 0;
      }
      case WM_COMMAND:
        if (LOWORD(wp) == kRecolourCommand) {
          color_ = kRecolour;
          dirty_ = true;
          changed();
          return 0;
        }
        break;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }

 private:
  Contents contents() const { return Contents{kMagic, DWORD(color_), extent_.cx, extent_.cy}; }
  void setContents(const Contents& c) {
    color_ = c.color;
    extent_ = SIZEL{c.cx, c.cy};
  }
  void setFile(const wchar_t* name) {
    size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (!copy) return;
    memcpy(copy, name, bytes);
    CoTaskMemFree(file_);
    file_ = copy;
  }
  // Tells the window and the container's view that the picture changed.
  void changed() {
    if (window_) InvalidateRect(window_, nullptr, TRUE);
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  }

  // In place: the window inside the site's, then (ui) the menu, the tools and the
  // accelerators. Fails without touching the container when the site refuses.
  HRESULT activateInPlace(bool ui) {
    if (!ipSite_) {
      if (!site_) return E_UNEXPECTED;
      IOleInPlaceSite* site = nullptr;
      if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) || !site)
        return OLEOBJ_E_INVALIDVERB;
      if (site->CanInPlaceActivate() != S_OK) {
        site->Release();
        return OLEOBJ_E_INVALIDVERB;
      }
      HWND parent = nullptr;
      if (FAILED(site->GetWindow(&parent)) || !parent || !retainWindowClass()) {
        site->Release();
        return E_FAIL;
      }
      site->OnInPlaceActivate();
      ipSite_ = site;
      RECT pos = {}, clip = {};
      frameInfo_ = OLEINPLACEFRAMEINFO{};
      frameInfo_.cb = sizeof frameInfo_;
      if (FAILED(site->GetWindowContext(&frame_, &doc_, &pos, &clip, &frameInfo_))) {
        frame_ = nullptr;
        doc_ = nullptr;
      }
      window_ =
          CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pos.left, pos.top,
                          pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, g_instance, this);
      if (!window_) {
        releaseWindowClass();
        InPlaceDeactivate();
        return E_FAIL;
      }
    }
    if (!ui || uiActive_) return S_OK;
    if (!frame_) return E_FAIL;
    ipSite_->OnUIActivate();
    uiActive_ = true;
    frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Shape");
    if (doc_) doc_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Shape");
    mergeMenus();
    requestToolSpace();
    ACCEL key = {FVIRTKEY, WORD(kRecolourKey), WORD(kRecolourCommand)};
    accel_ = CreateAcceleratorTableW(&key, 1);
    SetFocus(window_);
    return S_OK;
  }

  // The container's groups first, then the server's popup in the object group.
  void mergeMenus() {
    shared_ = CreateMenu();
    popup_ = CreatePopupMenu();
    if (!shared_ || !popup_) return;
    AppendMenuA(popup_, MF_STRING, kRecolourCommand, kRecolourText);
    widths_ = OLEMENUGROUPWIDTHS{};
    if (FAILED(frame_->InsertMenus(shared_, &widths_))) widths_ = OLEMENUGROUPWIDTHS{};
    UINT at = UINT(widths_.width[0] + widths_.width[2]);
    widths_.width[1] = 0;
    widths_.width[3] = 1;
    widths_.width[5] = 0;
    InsertMenuA(shared_, at, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup_), kMenuText);
    // The shared menu owns the popup now.
    popup_ = nullptr;
    menuDescriptor_ = OleCreateMenuDescriptor(shared_, &widths_);
    frame_->SetMenu(shared_, menuDescriptor_, window_);
  }

  // A band along the frame's top edge for tools; none when the frame refuses.
  HRESULT requestToolSpace() {
    BORDERWIDTHS tools = {0, kToolSpace, 0, 0};
    if (frame_->RequestBorderSpace(&tools) == S_OK) return frame_->SetBorderSpace(&tools);
    return frame_->SetBorderSpace(nullptr);
  }

  void releaseFrame() {
    if (frame_) frame_->Release();
    frame_ = nullptr;
    if (doc_) doc_->Release();
    doc_ = nullptr;
  }

  void hold(IStorage* stg) {
    stg->AddRef();
    if (stg_) stg_->Release();
    stg_ = stg;
  }

  LONG refs_ = 1;
  wchar_t* file_ = nullptr;     // the shape file loaded or saved as (task allocator)
  IMoniker* source_ = nullptr;  // link source
  DWORD updateOption_ = OLEUPDATE_ALWAYS;
  // In place.
  IOleInPlaceSite* ipSite_ = nullptr;  // while active in place
  IOleInPlaceFrame* frame_ = nullptr;
  IOleInPlaceUIWindow* doc_ = nullptr;
  OLEINPLACEFRAMEINFO frameInfo_ = {};
  HWND window_ = nullptr;
  bool uiActive_ = false;
  HMENU shared_ = nullptr, popup_ = nullptr;
  OLEMENUGROUPWIDTHS widths_ = {};
  HOLEMENU menuDescriptor_ = nullptr;
  HACCEL accel_ = nullptr;
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

LRESULT CALLBACK shapeWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(w, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* shape = reinterpret_cast<Shape*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  return shape ? shape->onMessage(w, msg, wp, lp) : DefWindowProcW(w, msg, wp, lp);
}

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
      {kExtension, nullptr, prog},
  };
  for (const Entry& e : entries)
    if (!serverkit::SetClassesRootValue(e.key, e.name, e.value)) return SELFREG_E_CLASS;
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsidText).c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kExtension);
  return S_OK;
}
