// OLE storages: compound files, storages on byte arrays, sub-storages.
#include "olecls/oclstorage.h"

#include <cstring>
#include <vector>

#include "oclassert.h"

namespace {

const char kFile[] = "OCLSTORG";

std::vector<wchar_t> wide(const char* s) {
  std::vector<wchar_t> w(str2wide_sz(s));
  str2wide(s, w.data(), int(w.size()));
  return w;
}

bool empty(const char* s) { return !s || !*s; }

}  // namespace

bool OCLStorage::IsStorageFile(const char* path) {
  if (empty(path)) return false;
  return StgIsStorageFile(wide(path).data()) == S_OK;  // whole, however long
}

bool OCLStorage::isWritable(IStorage* stg) {
  oclAssert(stg != nullptr, "stg", kFile, 224);
  STATSTG st = {};
  if (FAILED(stg->Stat(&st, STATFLAG_NONAME))) return false;
  return (st.grfMode & 3) != 0;
}

OCLStorage::OCLStorage(const char* path, int create, unsigned long mode) {
  bool temporary = empty(path);
  if (temporary) {
    create = 1;
    mode |= STGM_CREATE | STGM_DELETEONRELEASE;
  }
  std::vector<wchar_t> wpath = wide(path);
  const wchar_t* name = temporary ? nullptr : wpath.data();
  HRESULT hr = STG_E_FILEALREADYEXISTS;
  if (create) hr = StgCreateDocfile(name, mode, 0, rep_.receive());
  if (hr == STG_E_FILEALREADYEXISTS) hr = StgOpenStorage(name, nullptr, mode, nullptr, 0, rep_.receive());
  if (FAILED(hr)) rep_.reset();
  fileRoot_ = rep_.is();
  setResult(hr);
  Check(hr, path);
}

OCLStorage::OCLStorage(IStorage* stg) {
  oclAssert(stg != nullptr, "rep", kFile, 66);
  stg->AddRef();
  rep_.reset(stg);
}

OCLStorage::OCLStorage(ILockBytes* bytes, unsigned long mode) {
  HRESULT hr = StgCreateDocfileOnILockBytes(bytes, mode, 0, rep_.receive());
  if (FAILED(hr)) rep_.reset();
  logerror(hr);
}

OCLStorage::OCLStorage(IStorage* parent, const char* name, int create, unsigned long mode, IStorage* priority,
                       SNB exclude) {
  oclAssert(parent != nullptr, "stg", kFile, 116);
  bool writable = isWritable(parent);
  if (!writable) mode &= ~3ul;
  std::vector<wchar_t> wname = wide(name);
  const wchar_t* wn = empty(name) ? nullptr : wname.data();
  HRESULT hr = STG_E_FILEALREADYEXISTS;
  if (writable && create) hr = parent->CreateStorage(wn, mode, 0, 0, rep_.receive());
  if (hr == STG_E_FILEALREADYEXISTS) hr = parent->OpenStorage(wn, priority, mode, exclude, 0, rep_.receive());
  if (FAILED(hr)) rep_.reset();
  setResult(hr);
  Check(hr, name);
}

bool OCLStorage::isWritable() { return is() && isWritable(rep_.get()); }

char* OCLStorage::GetStoragePath() {
  if (!is()) return nullptr;
  STATSTG st = {};
  if (FAILED(rep_->Stat(&st, STATFLAG_DEFAULT)) || !st.pwcsName) return nullptr;
  int n = wide2str_sz(st.pwcsName);
  char* path = new char[n];
  wide2str(st.pwcsName, path, n);
  CoTaskMemFree(st.pwcsName);
  return path;
}

bool OCLStorage::SwitchTo(const char* file) {
  if (empty(file) || !is()) return false;
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(file, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  if (char* own = GetStoragePath()) {
    bool same = lstrcmpiA(own, full) == 0;
    delete[] own;
    if (same) return true;
  }
  std::vector<wchar_t> wfile = wide(file);
  HRESULT hr;
  OvlUnknown<IRootStorage> root;
  if (SUCCEEDED(rep_->QueryInterface(IID_IRootStorage, reinterpret_cast<void**>(root.receive())))) {
    // Only now that the switch can happen may a file of the new name go.
    DeleteFileA(file);
    hr = root->SwitchToFile(wfile.data());
  } else if (fileRoot_) {
    hr = copyToNewFile(wfile.data());
  } else {
    return false;  // a sub-storage or a storage on bytes has no file to switch
  }
  setResult(hr);
  Check(hr, file);
  return hr == S_OK;
}

// Without IRootStorage (Wine's compound files have none), saving under another name is a
// copy of the whole storage into a new file, on which this object then continues.
HRESULT OCLStorage::copyToNewFile(const wchar_t* file) {
  STATSTG st = {};
  HRESULT hr = rep_->Stat(&st, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  DWORD mode = (st.grfMode & ~DWORD(STGM_DELETEONRELEASE)) | STGM_CREATE;
  OvlUnknown<IStorage> copy;
  hr = StgCreateDocfile(file, mode, 0, copy.receive());
  if (FAILED(hr)) return hr;
  hr = rep_->CopyTo(0, nullptr, nullptr, copy.get());
  if (SUCCEEDED(hr)) hr = copy->Commit(STGC_DEFAULT);
  if (FAILED(hr)) {
    copy.reset();
    DeleteFileW(file);
    return hr;
  }
  copy->AddRef();
  rep_.reset(copy.get());
  return S_OK;
}
