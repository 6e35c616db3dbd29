// TypeBrowser: an automation server's type information as the developer tools show it.
#include "guiobjects2/typebrowser.h"

#include <ocidl.h>

#include <cstdlib>

#include "guiobjects2/iwautomation.h"
#include "guiobjects2/variantvalue.h"
#include "store/storeexcept.h"

namespace {

// Names are cut to this many characters.
const size_t kNameLimit = 256;
// GetNames is asked for at most this many names.
const UINT kMaxNames = 128;

const char* const kVtNames[73] = {
    "Void",
    "Null",
    "Integer",
    "Long",
    "Single",
    "Double",
    "Currency",
    "Date",
    "String",
    "Object",
    "SCODE",
    "Boolean",
    "Variant",
    "pIUnknown",
    "Unicode",
    "",
    "char",
    "BYTE",
    "USHORT",
    "ULONG",
    "int64",
    "uint64",
    "int",
    "UINT",
    "VOID",
    "HRESULT",
    "PTR",
    "SAFEARRAY",
    "CARRAY",
    "USERDEFINED",
    "LPSTR",
    "LPWSTR",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "FILETIME",
    "BLOB",
    "STREAM",
    "STORAGE",
    "STREAMED_OBJECT",
    "STORED_OBJECT",
    "BLOB_OBJECT",
    "CF",
    "CLSID",
};

std::string Cut(BSTR s) {
  std::string t = BstrToText(s);
  if (t.size() > kNameLimit) t.resize(kNameLimit);
  return t;
}

// A function description taken for one scope.
struct FuncDesc {
  ITypeInfo* info;
  FUNCDESC* f = nullptr;
  FuncDesc(ITypeInfo* i, UINT index) : info(i) { OleException::Check(info->GetFuncDesc(index, &f), nullptr); }
  ~FuncDesc() {
    if (f) info->ReleaseFuncDesc(f);
  }
};

}  // namespace

const char* TypeBrowser::VtName(unsigned vt) { return vt < 73 ? kVtNames[vt] : ""; }

std::string TypeBrowser::TypeText(const TYPEDESC& t) {
  unsigned vt = t.vt;
  unsigned base = vt & 0x0FFF;
  std::string name = base <= 72 ? VtName(base) : "VarType" + std::to_string(base);
  std::string s;
  if (vt & VT_VECTOR)
    s = "VECTOR of " + name;
  else if (vt & VT_ARRAY)
    s = "Array of " + name;
  else if (vt & VT_BYREF)
    s = name + " BYREF ";
  else if (vt & VT_RESERVED)
    s = "RESERVED" + name;
  else
    s = name;
  if (base == VT_PTR && t.lptdesc) s += " to " + TypeText(*t.lptdesc);
  if (base == VT_CARRAY && t.lpadesc)
    s += std::string(" of ") + VtName(t.lpadesc->tdescElem.vt) + "[" + std::to_string(t.lpadesc->cDims) + "]";
  return s;
}

TypeBrowser::TypeBrowser(const IWAutomation& obj, Part part) : lcid_(GetUserDefaultLCID()) {
  IDispatch* d = obj.Dispatch();
  try {
    open(d, part);
  } catch (...) {
    if (d) d->Release();
    throw;
  }
  if (d) d->Release();
}

TypeBrowser::TypeBrowser(IDispatch* d, Part part) : lcid_(GetUserDefaultLCID()) { open(d, part); }

void TypeBrowser::open(IDispatch* d, Part part) {
  if (!d) return;
  if (part == kEvents) return openEvents(d);
  UINT count = 0;
  OleException::Check(d->GetTypeInfoCount(&count), nullptr);
  if (count == 0) return;
  OleException::Check(d->GetTypeInfo(0, lcid_, &info_), nullptr);
  if (!info_) return;
  HRESULT hr = info_->GetTypeAttr(&attr_);
  if (FAILED(hr)) {
    info_->Release();
    info_ = nullptr;
    attr_ = nullptr;
    OleException::Check(hr, nullptr);
  }
}

void TypeBrowser::openEvents(IDispatch* d) {
  IProvideClassInfo* pci = nullptr;
  if (FAILED(d->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&pci))) || !pci) return;
  ITypeInfo* cls = nullptr;
  HRESULT hr = pci->GetClassInfo(&cls);
  pci->Release();
  if (FAILED(hr) || !cls) return;
  TYPEATTR* ca = nullptr;
  if (SUCCEEDED(cls->GetTypeAttr(&ca))) {
    for (UINT i = 0; i < ca->cImplTypes && !info_; ++i) {
      INT flags = 0;
      HREFTYPE ref = 0;
      const INT source = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
      if (FAILED(cls->GetImplTypeFlags(i, &flags)) || (flags & source) != source) continue;
      if (SUCCEEDED(cls->GetRefTypeOfImplType(i, &ref))) cls->GetRefTypeInfo(ref, &info_);
    }
    cls->ReleaseTypeAttr(ca);
  }
  cls->Release();
  if (info_ && FAILED(info_->GetTypeAttr(&attr_))) {
    info_->Release();
    info_ = nullptr;
    attr_ = nullptr;
  }
}

TypeBrowser::~TypeBrowser() {
  if (info_ && attr_) info_->ReleaseTypeAttr(attr_);
  if (info_) info_->Release();
}

std::string TypeBrowser::memberName(MEMBERID id) {
  BSTR name = nullptr;
  OleException::Check(info_->GetDocumentation(id, &name, nullptr, nullptr, nullptr), nullptr);
  std::string t = Cut(name);
  SysFreeString(name);
  return t;
}

void TypeBrowser::methodList(RWCString& out) {
  if (!info_) return;
  std::string text;
  for (UINT i = 0; i < attr_->cFuncs; ++i) {
    FuncDesc fd(info_, i);
    if (fd.f->wFuncFlags & FUNCFLAG_FRESTRICTED) continue;
    text += memberName(fd.f->memid) + "\n";
  }
  out = text.c_str();
}

bool TypeBrowser::methodProto(const char* name, RWCString& out, int& kind) {
  if (!info_ || !name) return false;
  BSTR wanted = TextToBstr(name, strlen(name));
  std::string text;
  bool any = false;
  try {
    for (UINT i = 0; i < attr_->cFuncs; ++i) {
      FuncDesc fd(info_, i);
      if (fd.f->wFuncFlags & FUNCFLAG_FRESTRICTED) continue;
      BSTR fname = nullptr;
      OleException::Check(info_->GetDocumentation(fd.f->memid, &fname, nullptr, nullptr, nullptr), nullptr);
      int cmp = CompareStringW(lcid_, 0, fname ? fname : L"", -1, wanted, -1);
      SysFreeString(fname);
      if (cmp != CSTR_EQUAL) continue;
      text += paramList(*fd.f);
      VARTYPE r = fd.f->elemdescFunc.tdesc.vt;
      kind = r == VT_EMPTY || r == VT_NULL || r == VT_VOID ? 0 : 9;
      any = true;
    }
  } catch (...) {
    SysFreeString(wanted);
    throw;
  }
  SysFreeString(wanted);
  if (any) out = text.c_str();
  return any;
}

std::string TypeBrowser::paramList(const FUNCDESC& f) {
  BSTR names[kMaxNames] = {};
  UINT got = 0;
  OleException::Check(info_->GetNames(f.memid, names, kMaxNames, &got), nullptr);
  std::string text = "(";
  const int optionalFrom = f.cParams - std::abs((int)f.cParamsOpt);
  const bool put = (f.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
  for (int j = 0; j < f.cParams; ++j) {
    if (j) text += ", ";
    const ELEMDESC& e = f.lprgelemdescParam[j];
    const TYPEDESC& t = e.tdesc;
    const bool pointer = t.vt == VT_PTR;
    if (pointer && t.lptdesc && t.lptdesc->vt == VT_SAFEARRAY) {
      text += "ParamArray ";
    } else {
      if (j >= optionalFrom || (e.paramdesc.wParamFlags & PARAMFLAG_FOPT)) text += "Optional ";
      text += pointer ? "ByRef " : "ByVal ";
    }
    // Names past those the server gave (GetNames leaves out a put's value and stops at
    // the first unnamed parameter) get a placeholder.
    if ((UINT)j + 1 < got && names[j + 1] && SysStringLen(names[j + 1]))
      text += Cut(names[j + 1]);
    else if (put && j == f.cParams - 1)
      text += "value";
    else
      text += "arg" + std::to_string(j + 1);
    text += " As ";
    text += pointer ? std::string("Variant") : TypeText(t);
  }
  text += ")";
  for (UINT i = 0; i < got && i < kMaxNames; ++i) SysFreeString(names[i]);
  return text;
}

int TypeBrowser::propertyCount() { return info_ ? attr_->cVars : 0; }

void TypeBrowser::propertyName(int i, RWCString& out) {
  if (!info_ || i < 0 || i >= attr_->cVars) return;
  VARDESC* v = nullptr;
  OleException::Check(info_->GetVarDesc((UINT)i, &v), nullptr);
  MEMBERID id = v->memid;
  info_->ReleaseVarDesc(v);
  out = memberName(id).c_str();
}
