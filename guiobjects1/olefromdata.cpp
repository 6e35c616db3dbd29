// OleFromData: the platform's creation from data, or our own composition of it.
#include "olefromdata.h"

#include "guiobjects1/clipformat.h"

namespace {

// The source's embedding of format cf copied into stg: first written there directly,
// else fetched and copied.
HRESULT CopyEmbedding(IDataObject* source, CLIPFORMAT cf, IStorage* stg) {
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
    if (SUCCEEDED(hr) && got.tymed != TYMED_NULL) ::ReleaseStgMedium(&got);
    return FAILED(hr) ? hr : DV_E_FORMATETC;
  }
  // Another process's medium is checked before it is used.
  if (got.tymed != TYMED_ISTORAGE || !got.pstg)
    hr = DV_E_TYMED;
  else
    hr = got.pstg->CopyTo(0, nullptr, nullptr, stg);
  ::ReleaseStgMedium(&got);
  return hr;
}

}  // namespace

HRESULT OleFromData(IDataObject* source, REFIID iid, IStorage* stg, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!source || !stg) return E_INVALIDARG;
  HRESULT hr = ::OleCreateFromData(source, iid, OLERENDER_DRAW, nullptr, nullptr, stg, out);
  if (hr == S_OK && *out) return S_OK;
  if (*out) static_cast<IUnknown*>(*out)->Release();
  *out = nullptr;
  static const CLIPFORMAT embedSource = (CLIPFORMAT)::RegisterClipboardFormatA("Embed Source");
  HRESULT copied = CopyEmbedding(source, CfEmbeddedObject::s_fmt.format.cfFormat, stg);
  if (copied != S_OK) copied = CopyEmbedding(source, embedSource, stg);
  if (copied != S_OK) return FAILED(hr) ? hr : copied;
  hr = ::OleLoad(stg, iid, nullptr, out);
  if (hr != S_OK) {
    if (*out) static_cast<IUnknown*>(*out)->Release();
    *out = nullptr;
    return FAILED(hr) ? hr : E_FAIL;
  }
  return S_OK;
}
