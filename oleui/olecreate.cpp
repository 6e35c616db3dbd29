// Creation from data objects, monikers and files: the platform's functions first, our
// own composition of them where the platform only stubs them.
#include "oleui/olecreate.h"

namespace {

// What a platform answers for a creation it does not implement: E_NOTIMPL, or, for the
// creations from data, E_NOINTERFACE whatever the source offers.
bool isStubAnswer(HRESULT hr) { return hr == E_NOTIMPL; }
bool isFromDataStubAnswer(HRESULT hr) { return hr == E_NOTIMPL || hr == E_NOINTERFACE; }

// Releases a counted interface pointer left in an out argument, and clears it.
void dropOut(void** out) {
  if (*out) static_cast<IUnknown*>(*out)->Release();
  *out = nullptr;
}

CLIPFORMAT registered(const char* name) { return CLIPFORMAT(RegisterClipboardFormatA(name)); }

// The source's offer of format cf on a storage, copied into stg: written there directly
// where the source can, else fetched and copied. DV_E_FORMATETC when it is not offered.
HRESULT copyEmbedding(IDataObject* source, CLIPFORMAT cf, IStorage* stg) {
  FORMATETC f = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
  HRESULT hr = source->QueryGetData(&f);
  if (hr != S_OK) return FAILED(hr) ? hr : DV_E_FORMATETC;
  STGMEDIUM here = {};
  here.tymed = TYMED_ISTORAGE;
  here.pstg = stg;
  if (source->GetDataHere(&f, &here) == S_OK) return S_OK;
  STGMEDIUM got = {};
  hr = source->GetData(&f, &got);
  if (hr != S_OK) {
    if (SUCCEEDED(hr)) ReleaseStgMedium(&got);
    return FAILED(hr) ? hr : DV_E_FORMATETC;
  }
  // The medium comes from a foreign object: checked before it is used.
  if (got.tymed != TYMED_ISTORAGE || !got.pstg)
    hr = DV_E_TYMED;
  else
    hr = got.pstg->CopyTo(0, nullptr, nullptr, stg);
  ReleaseStgMedium(&got);
  return hr;
}

// The moniker and class of a "Link Source" offer (a stream, or global memory holding
// the same bytes).
HRESULT readLinkSource(IDataObject* source, IMoniker** mk, CLSID* cls) {
  *mk = nullptr;
  FORMATETC f = {registered("Link Source"), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL};
  STGMEDIUM got = {};
  HRESULT hr = source->GetData(&f, &got);
  if (hr != S_OK) {
    if (SUCCEEDED(hr)) ReleaseStgMedium(&got);
    return FAILED(hr) ? hr : DV_E_FORMATETC;
  }
  IStream* stm = nullptr;
  if (got.tymed == TYMED_ISTREAM && got.pstm) {
    stm = got.pstm;
    stm->AddRef();
    LARGE_INTEGER zero = {};
    stm->Seek(zero, STREAM_SEEK_SET, nullptr);
  } else if (got.tymed == TYMED_HGLOBAL && got.hGlobal) {
    // A stream over our own copy: the medium's block stays the source's.
    SIZE_T n = GlobalSize(got.hGlobal);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, n ? n : 1);
    void* from = GlobalLock(got.hGlobal);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (from && to) CopyMemory(to, from, n);
    if (to) GlobalUnlock(copy);
    if (from) GlobalUnlock(got.hGlobal);
    if (!from || !to || FAILED(CreateStreamOnHGlobal(copy, TRUE, &stm))) {
      if (copy) GlobalFree(copy);
      stm = nullptr;
    }
    if (!stm) hr = E_OUTOFMEMORY;
  } else {
    hr = DV_E_TYMED;
  }
  ReleaseStgMedium(&got);
  if (!stm) return hr;
  hr = OleLoadFromStream(stm, IID_IMoniker, reinterpret_cast<void**>(mk));
  if (SUCCEEDED(hr) && *mk && FAILED(ReadClassStm(stm, cls))) *cls = CLSID_NULL;
  stm->Release();
  if (FAILED(hr) || !*mk) {
    if (*mk) (*mk)->Release();
    *mk = nullptr;
    return FAILED(hr) ? hr : OLE_E_CANT_GETMONIKER;
  }
  return S_OK;
}

// Empties stg of what a failed or refused platform creation left in it.
void emptyStorage(IStorage* stg) {
  IEnumSTATSTG* e = nullptr;
  if (FAILED(stg->EnumElements(0, nullptr, 0, &e)) || !e) return;
  STATSTG st;
  while (e->Next(1, &st, nullptr) == S_OK) {
    stg->DestroyElement(st.pwcsName);
    CoTaskMemFree(st.pwcsName);
  }
  e->Release();
}

// Makes the bound object a link to mk: tells it its source, gives it the client site,
// saves it into stg (which it then keeps) and answers iid.
HRESULT adoptAsLink(IUnknown* bound, IMoniker* mk, IOleClientSite* site, IStorage* stg, REFIID iid,
                    void** out) {
  IOleObject* obj = nullptr;
  // Something that is no OLE object cannot be linked to.
  HRESULT hr = bound->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&obj));
  if (FAILED(hr) || !obj) return E_FAIL;
  CLSID cls = CLSID_NULL;
  if (FAILED(obj->GetUserClassID(&cls))) cls = CLSID_NULL;
  IOleLink* link = nullptr;
  if (SUCCEEDED(obj->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link))) && link) {
    hr = link->SetSourceMoniker(mk, cls);
    link->Release();
  } else {
    hr = obj->SetMoniker(OLEWHICHMK_OBJFULL, mk);
  }
  if (SUCCEEDED(hr) && site) hr = obj->SetClientSite(site);
  if (SUCCEEDED(hr)) {
    IPersistStorage* ps = nullptr;
    hr = obj->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps));
    if (SUCCEEDED(hr) && ps) {
      hr = OleSave(ps, stg, FALSE);
      if (SUCCEEDED(hr)) hr = ps->SaveCompleted(stg);
      ps->Release();
    } else if (SUCCEEDED(hr)) {
      hr = E_NOINTERFACE;
    }
  }
  if (SUCCEEDED(hr)) hr = obj->QueryInterface(iid, out);
  if (FAILED(hr)) {
    dropOut(out);
    obj->Close(OLECLOSE_NOSAVE);
  }
  obj->Release();
  return FAILED(hr) ? hr : S_OK;
}

HRESULT composeLink(IMoniker* mk, REFIID iid, IOleClientSite* site, IStorage* stg, void** out) {
  IBindCtx* bc = nullptr;
  HRESULT hr = CreateBindCtx(0, &bc);
  if (FAILED(hr)) return hr;
  IUnknown* bound = nullptr;
  hr = mk->BindToObject(bc, nullptr, IID_IUnknown, reinterpret_cast<void**>(&bound));
  bc->Release();
  if (FAILED(hr) || !bound) return FAILED(hr) ? hr : MK_E_NOOBJECT;
  hr = adoptAsLink(bound, mk, site, stg, iid, out);
  bound->Release();
  return hr;
}

bool offersLinkSource(IDataObject* source) {
  FORMATETC f = {registered("Link Source"), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL};
  return source->QueryGetData(&f) == S_OK;
}

bool isLink(void* obj) {
  IOleLink* link = nullptr;
  if (FAILED(static_cast<IUnknown*>(obj)->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link))) ||
      !link)
    return false;
  link->Release();
  return true;
}

}  // namespace

extern "C" {

HRESULT WINAPI OvOleCreateFromData(LPDATAOBJECT source, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                                   LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out) {
  if (out) *out = nullptr;
  if (!source || !stg || !out) return E_INVALIDARG;
  HRESULT hr = OleCreateFromData(source, iid, renderopt, fmt, site, stg, out);
  if (hr == S_OK && *out) return S_OK;
  dropOut(out);
  if (!isFromDataStubAnswer(hr)) return FAILED(hr) ? hr : E_FAIL;
  emptyStorage(stg);
  HRESULT copied = copyEmbedding(source, registered("Embedded Object"), stg);
  if (copied != S_OK) copied = copyEmbedding(source, registered("Embed Source"), stg);
  if (copied != S_OK) return copied;
  hr = OleLoad(stg, iid, site, out);
  if (hr != S_OK) {
    dropOut(out);
    return FAILED(hr) ? hr : E_FAIL;
  }
  return S_OK;
}

HRESULT WINAPI OvOleCreateLinkFromData(LPDATAOBJECT source, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                                       LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out) {
  if (out) *out = nullptr;
  if (!source || !stg || !out) return E_INVALIDARG;
  HRESULT hr = OleCreateLinkFromData(source, iid, renderopt, fmt, site, stg, out);
  // A platform that makes an embedding or a picture of a link offer made no link.
  if (hr == S_OK && *out && isLink(*out)) return S_OK;
  bool semiStub = hr == S_OK && *out;
  dropOut(out);
  if (!semiStub && !isFromDataStubAnswer(hr)) return FAILED(hr) ? hr : E_FAIL;
  emptyStorage(stg);
  if (!offersLinkSource(source)) return OLE_E_CANT_GETMONIKER;
  IMoniker* mk = nullptr;
  CLSID cls = CLSID_NULL;
  hr = readLinkSource(source, &mk, &cls);
  if (FAILED(hr)) return hr;
  hr = composeLink(mk, iid, site, stg, out);
  mk->Release();
  return hr;
}

HRESULT WINAPI OvOleCreateLink(LPMONIKER moniker, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                               LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out) {
  if (out) *out = nullptr;
  if (!moniker || !stg || !out) return E_INVALIDARG;
  HRESULT hr = OleCreateLink(moniker, iid, renderopt, fmt, site, stg, out);
  if (hr == S_OK && *out) return S_OK;
  dropOut(out);
  if (!isStubAnswer(hr)) return FAILED(hr) ? hr : E_FAIL;
  emptyStorage(stg);
  return composeLink(moniker, iid, site, stg, out);
}

HRESULT WINAPI OvOleCreateLinkToFile(LPCOLESTR file, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                                     LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out) {
  if (out) *out = nullptr;
  if (!file || !*file || !stg || !out) return E_INVALIDARG;
  HRESULT hr = OleCreateLinkToFile(file, iid, renderopt, fmt, site, stg, out);
  if (hr == S_OK && *out) return S_OK;
  dropOut(out);
  if (!isStubAnswer(hr)) return FAILED(hr) ? hr : E_FAIL;
  emptyStorage(stg);
  // The class registered for the file's type loads the file.
  CLSID cls = CLSID_NULL;
  hr = GetClassFile(file, &cls);
  if (FAILED(hr)) return hr;
  IPersistFile* pf = nullptr;
  hr = CoCreateInstance(cls, nullptr, CLSCTX_SERVER, IID_IPersistFile, reinterpret_cast<void**>(&pf));
  if (FAILED(hr) || !pf) return FAILED(hr) ? hr : E_NOINTERFACE;
  hr = pf->Load(file, STGM_READ | STGM_SHARE_DENY_WRITE);
  IMoniker* mk = nullptr;
  if (SUCCEEDED(hr)) hr = CreateFileMoniker(file, &mk);
  if (SUCCEEDED(hr)) hr = adoptAsLink(pf, mk, site, stg, iid, out);
  if (mk) mk->Release();
  pf->Release();
  return hr;
}

}  // extern "C"
