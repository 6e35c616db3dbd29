// Descriptors for data transfer and freeing through the task allocator.
#include "oleui/oleuistd.h"

#include <cstring>
#include <string>

namespace {

// Takes a task-allocator string and frees it.
struct TaskString {
  LPOLESTR s = nullptr;
  ~TaskString() { CoTaskMemFree(s); }
};

// The full user type name: the object's own, or the registry's when the object says
// so (OLE_S_USEREG) as servers without a handler may.
std::wstring fullUserType(IOleObject* obj, const CLSID& clsid) {
  TaskString name;
  HRESULT hr = obj->GetUserType(USERCLASSTYPE_FULL, &name.s);
  if (hr == OLE_S_USEREG || (SUCCEEDED(hr) && !name.s)) {
    CoTaskMemFree(name.s);
    name.s = nullptr;
    hr = OleRegGetUserType(clsid, USERCLASSTYPE_FULL, &name.s);
  }
  if (FAILED(hr) || !name.s) return std::wstring();
  return name.s;
}

DWORD miscStatus(IOleObject* obj, const CLSID& clsid, DWORD aspect) {
  DWORD status = 0;
  HRESULT hr = obj->GetMiscStatus(aspect, &status);
  if (hr == OLE_S_USEREG) hr = OleRegGetMiscStatus(clsid, aspect, &status);
  return SUCCEEDED(hr) ? status : 0;
}

// The display name of the object's full moniker, empty when it has none.
std::wstring monikerName(IOleObject* obj) {
  IMoniker* mk = nullptr;
  if (FAILED(obj->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &mk)) || !mk)
    return std::wstring();
  std::wstring out;
  IBindCtx* bc = nullptr;
  if (SUCCEEDED(CreateBindCtx(0, &bc))) {
    TaskString name;
    if (SUCCEEDED(mk->GetDisplayName(bc, nullptr, &name.s)) && name.s) out = name.s;
    bc->Release();
  }
  mk->Release();
  return out;
}

std::wstring widen(const char* s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(size_t(n - 1));
  return w;
}

}  // namespace

extern "C" {

HGLOBAL WINAPI OleStdGetObjectDescriptorDataFromOleObject(LPOLEOBJECT obj, LPSTR srcOfCopy, DWORD drawAspect,
                                                          POINTL pointl, LPSIZEL sizelHim) {
  if (!obj) return nullptr;
  CLSID clsid = CLSID_NULL;
  if (FAILED(obj->GetUserClassID(&clsid))) clsid = CLSID_NULL;
  std::wstring type = fullUserType(obj, clsid);
  std::wstring source;
  if (srcOfCopy)
    source = widen(srcOfCopy);
  else {
    source = monikerName(obj);
    if (source.empty()) source = type;
  }
  SIZEL extent = {0, 0};
  if (sizelHim)
    extent = *sizelHim;
  else if (FAILED(obj->GetExtent(drawAspect, &extent)))
    extent = SIZEL{0, 0};
  DWORD status = miscStatus(obj, clsid, drawAspect);
  IOleLink* link = nullptr;
  if (SUCCEEDED(obj->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link))) && link) {
    status |= OLEMISC_ISLINKOBJECT;
    link->Release();
  }

  // Both strings with their terminators follow the fixed part; offsets count from the
  // descriptor's start.
  const size_t typeBytes = (type.size() + 1) * sizeof(WCHAR);
  const size_t sourceBytes = (source.size() + 1) * sizeof(WCHAR);
  const size_t total = sizeof(OBJECTDESCRIPTOR) + typeBytes + sourceBytes;
  HGLOBAL mem = GlobalAlloc(GHND | GMEM_SHARE, total);
  if (!mem) return nullptr;
  auto* od = static_cast<OBJECTDESCRIPTOR*>(GlobalLock(mem));
  if (!od) {
    GlobalFree(mem);
    return nullptr;
  }
  od->cbSize = ULONG(total);
  od->clsid = clsid;
  od->dwDrawAspect = drawAspect;
  od->sizel = extent;
  od->pointl = pointl;
  od->dwStatus = status;
  od->dwFullUserTypeName = DWORD(sizeof(OBJECTDESCRIPTOR));
  od->dwSrcOfCopy = DWORD(sizeof(OBJECTDESCRIPTOR) + typeBytes);
  auto* base = reinterpret_cast<BYTE*>(od);
  std::memcpy(base + od->dwFullUserTypeName, type.c_str(), typeBytes);
  std::memcpy(base + od->dwSrcOfCopy, source.c_str(), sourceBytes);
  GlobalUnlock(mem);
  return mem;
}

HRESULT WINAPI OleStdGetLinkSourceData(LPMONIKER moniker, LPCLSID clsid, LPFORMATETC fmt,
                                       LPSTGMEDIUM medium) {
  if (!moniker || !medium) return E_INVALIDARG;
  medium->tymed = TYMED_NULL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
  DWORD tymed = fmt ? fmt->tymed : DWORD(TYMED_ISTREAM);
  if (!(tymed & (TYMED_ISTREAM | TYMED_HGLOBAL))) return DV_E_TYMED;

  IStream* stm = nullptr;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stm);
  if (FAILED(hr)) return hr;
  IPersistStream* ps = nullptr;
  hr = moniker->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&ps));
  if (SUCCEEDED(hr)) {
    hr = OleSaveToStream(ps, stm);
    ps->Release();
  }
  if (SUCCEEDED(hr)) hr = WriteClassStm(stm, clsid ? *clsid : CLSID_NULL);
  if (FAILED(hr)) {
    stm->Release();
    return hr;
  }
  if (tymed & TYMED_ISTREAM) {
    LARGE_INTEGER zero = {};
    stm->Seek(zero, STREAM_SEEK_SET, nullptr);
    medium->tymed = TYMED_ISTREAM;
    medium->pstm = stm;
    return S_OK;
  }
  // Global memory only: a copy of the stream's bytes, so the medium owns its block.
  HGLOBAL src = nullptr;
  hr = GetHGlobalFromStream(stm, &src);
  STATSTG st = {};
  if (SUCCEEDED(hr)) hr = stm->Stat(&st, STATFLAG_NONAME);
  HGLOBAL copy = nullptr;
  if (SUCCEEDED(hr)) {
    SIZE_T n = SIZE_T(st.cbSize.QuadPart);
    copy = GlobalAlloc(GHND | GMEM_SHARE, n ? n : 1);
    void* from = GlobalLock(src);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (from && to)
      std::memcpy(to, from, n);
    else
      hr = E_OUTOFMEMORY;
    if (to) GlobalUnlock(copy);
    if (from) GlobalUnlock(src);
  }
  stm->Release();
  if (FAILED(hr)) {
    if (copy) GlobalFree(copy);
    return hr;
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = copy;
  return S_OK;
}

void WINAPI OleStdFree(LPVOID mem) { CoTaskMemFree(mem); }

void WINAPI OleStdFreeString(LPOLESTR str, LPMALLOC alloc) {
  if (!str) return;
  if (alloc)
    alloc->Free(str);
  else
    CoTaskMemFree(str);
}

}  // extern "C"
