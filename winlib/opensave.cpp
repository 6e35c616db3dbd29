// TOpenSaveDialog: GetOpenFileName / GetSaveFileName over TData, and the filter forms.
#include "winlib/opensave.h"

#include <cstring>
#include <vector>

namespace {

char* CopyOrNull(const char* s) {
  if (!s) return nullptr;
  size_t n = std::strlen(s);
  char* copy = new char[n + 1];
  std::memcpy(copy, s, n + 1);
  return copy;
}

void Replace(char*& field, const char* value) {
  char* copy = CopyOrNull(value);
  delete[] field;
  field = copy;
}

// The parts of a filter in system form (pairs, each part NUL-ended, then one more NUL).
std::vector<std::string> SystemParts(const char* filter) {
  std::vector<std::string> parts;
  for (const char* p = filter; p && *p; p += std::strlen(p) + 1) parts.emplace_back(p);
  return parts;
}

// Length of a system-form block including its closing NUL.
size_t SystemLength(const char* filter) {
  const char* p = filter;
  while (*p) p += std::strlen(p) + 1;
  return size_t(p - filter) + 1;
}

}  // namespace

// ---- TData ----

TOpenSaveDialog::TData::TData(uint32_t flags, const char* filter, char* customFilter, const char* initialDir,
                              const char* defExt)
    : Flags(flags), FileName(new char[MaxPath]()), CustomFilter(customFilter) {
  SetFilter(filter);
  SetInitialDir(initialDir);
  SetDefExt(defExt);
}

TOpenSaveDialog::TData::~TData() {
  delete[] FileName;
  delete[] Filter;
  delete[] InitialDir;
  delete[] DefExt;
}

TOpenSaveDialog::TData::TData(const TData& other)
    : Flags(other.Flags),
      Error(other.Error),
      FileName(new char[MaxPath]()),
      CustomFilter(other.CustomFilter),
      FilterIndex(other.FilterIndex) {
  SetFileName(other.FileName);
  if (other.Filter) {
    size_t n = SystemLength(other.Filter);
    Filter = new char[n];
    std::memcpy(Filter, other.Filter, n);
  }
  SetInitialDir(other.InitialDir);
  SetDefExt(other.DefExt);
}

TOpenSaveDialog::TData& TOpenSaveDialog::TData::operator=(const TData& other) {
  if (this == &other) return *this;
  TData copy(other);
  std::swap(Flags, copy.Flags);
  std::swap(Error, copy.Error);
  std::swap(FileName, copy.FileName);
  std::swap(Filter, copy.Filter);
  std::swap(CustomFilter, copy.CustomFilter);
  std::swap(FilterIndex, copy.FilterIndex);
  std::swap(InitialDir, copy.InitialDir);
  std::swap(DefExt, copy.DefExt);
  return *this;
}

bool TOpenSaveDialog::TData::SetFilter(const char* filter) {
  delete[] Filter;
  Filter = nullptr;
  if (!filter || !*filter) return true;
  std::vector<std::string> parts;
  std::string part;
  for (const char* p = filter;; ++p) {
    if (*p == '|' || *p == 0) {
      parts.push_back(part);
      part.clear();
      if (*p == 0) break;
    } else {
      part += *p;
    }
  }
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();  // "a|b|"
  if (parts.size() % 2 != 0) return false;
  std::string block;
  for (const std::string& s : parts) {
    if (s.empty()) return false;
    block += s;
    block += '\0';
  }
  block += '\0';
  Filter = new char[block.size()];
  std::memcpy(Filter, block.data(), block.size());
  return true;
}

std::string TOpenSaveDialog::TData::FilterFormat(int form) const {
  if (!Filter) return "";
  std::vector<std::string> parts = SystemParts(Filter);
  std::string out;
  if (form == ffText) {
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i) out += '|';
      out += parts[i];
    }
  } else if (form == ffSystem) {
    for (const std::string& s : parts) {
      out += s;
      out += '\0';
    }
    out += '\0';
  }
  return out;
}

void TOpenSaveDialog::TData::SetFileName(const char* name) {
  size_t n = name ? std::strlen(name) : 0;
  if (n > MaxPath - 1) n = MaxPath - 1;
  if (n) std::memcpy(FileName, name, n);
  FileName[n] = 0;
}

void TOpenSaveDialog::TData::SetInitialDir(const char* dir) { Replace(InitialDir, dir); }
void TOpenSaveDialog::TData::SetDefExt(const char* ext) { Replace(DefExt, ext); }

// ---- the dialogs ----

TOpenSaveDialog::TOpenSaveDialog(TWindow* parent, TData& data, int resId, const char* title, TModule* module)
    : TCommonDialog(parent, title, module), Data(data), resId_(resId) {}

void TOpenSaveDialog::InitOfn(OPENFILENAMEA& ofn, char* nameBuffer) {
  std::memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = OwnerHandle();
  ofn.lpstrFilter = Data.Filter;
  ofn.lpstrCustomFilter = Data.CustomFilter;
  ofn.nMaxCustFilter = Data.CustomFilter ? 40 : 0;
  // An index outside the filter's pairs means the first pair.
  size_t pairs = Data.Filter ? SystemParts(Data.Filter).size() / 2 : 0;
  ofn.nFilterIndex = Data.FilterIndex > 0 && size_t(Data.FilterIndex) <= pairs ? DWORD(Data.FilterIndex) : 0;
  std::memcpy(nameBuffer, Data.FileName, MaxPath);
  nameBuffer[MaxPath - 1] = 0;
  ofn.lpstrFile = nameBuffer;
  ofn.nMaxFile = MaxPath;
  ofn.lpstrInitialDir = Data.InitialDir;
  ofn.lpstrTitle = Title;
  ofn.lpstrDefExt = Data.DefExt;
  ofn.Flags = (Data.Flags & ~DWORD(OFN_ENABLETEMPLATEHANDLE | OFN_ALLOWMULTISELECT)) | OFN_ENABLEHOOK;
  if (resId_) {
    ofn.Flags |= OFN_ENABLETEMPLATE;
    ofn.hInstance = TemplateInstance();
    ofn.lpTemplateName = MAKEINTRESOURCEA(resId_);
  } else {
    ofn.Flags &= ~DWORD(OFN_ENABLETEMPLATE);
  }
  ofn.lCustData = reinterpret_cast<LPARAM>(this);
  ofn.lpfnHook = WlCommonDialogHook<OPENFILENAMEA>;
}

// The name is copied back only when the user confirmed: a cancelled or failed run leaves
// the record's name as it was (the system may have written a required size there).
int TOpenSaveDialog::Run(BOOL(WINAPI* api)(LPOPENFILENAMEA)) {
  char name[MaxPath];
  OPENFILENAMEA ofn;
  InitOfn(ofn, name);
  BOOL ok = api(&ofn);
  Data.Error = ok ? 0 : ::CommDlgExtendedError();
  if (!ok) return IDCANCEL;
  name[MaxPath - 1] = 0;
  Data.SetFileName(name);
  Data.Flags = ofn.Flags & ~DWORD(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
  Data.FilterIndex = int32_t(ofn.nFilterIndex);
  return IDOK;
}

TFileOpenDialog::TFileOpenDialog(TWindow* parent, TData& data, int resId, const char* title, TModule* module)
    : TOpenSaveDialog(parent, data, resId, title, module) {}

int TFileOpenDialog::DoExecute() { return Run(::GetOpenFileNameA); }

TFileSaveDialog::TFileSaveDialog(TWindow* parent, TData& data, int resId, const char* title, TModule* module)
    : TOpenSaveDialog(parent, data, resId, title, module) {}

int TFileSaveDialog::DoExecute() { return Run(::GetSaveFileNameA); }
