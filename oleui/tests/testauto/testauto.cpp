// ovoletestauto.dll: an in-process automation server for the tests of the automation
// client. "Orvanel.TestAuto" has properties with get and put, methods with by-value,
// by-reference, optional and variable argument lists, a method returning another dispatch
// object, one failing with DISP_E_EXCEPTION and a filled EXCEPINFO, and methods that echo,
// name and make variants of every kind the client converts, an indexed property whose put
// leaves its parameters unnamed, and IPersistFile for files of its own extension.
// IDispatch answers from the type library bound into this DLL (compiled from testauto.idl
// by widl).
#include "testauto/testauto.h"

#include <olectl.h>
#include <oleauto.h>

#include <cwctype>
#include <string>

#include "serverkit.h"

#include "testauto_h.h"

using namespace testauto;

namespace {

HINSTANCE g_instance;
LONG g_objects;
LONG g_locks;

std::string ModulePath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_instance, path, MAX_PATH);
  return n && n < MAX_PATH ? std::string(path, n) : std::string();
}

HRESULT LoadOwnTypeLib(REGKIND kind, ITypeLib** lib) {
  std::string path = ModulePath();
  std::wstring wide(path.begin(), path.end());
  return LoadTypeLibEx(wide.c_str(), kind, lib);
}

// The type information of one interface of the library, loaded once.
HRESULT TypeInfoOf(REFIID iid, ITypeInfo** info) {
  static ITypeLib* lib = nullptr;
  if (!lib) {
    HRESULT hr = LoadOwnTypeLib(REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
  }
  return lib->GetTypeInfoOfGuid(iid, info);
}

// IUnknown and IDispatch of a dual interface I, answered from its type information.
template <class I>
class Dispatch : public I {
 public:
  Dispatch() { InterlockedIncrement(&g_objects); }
  virtual ~Dispatch() {
    if (info_) info_->Release();
    InterlockedDecrement(&g_objects);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I)) {
      *out = static_cast<I*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return ULONG(n);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT hr = Info();
    if (FAILED(hr)) return hr;
    info_->AddRef();
    *info = info_;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = Info();
    return FAILED(hr) ? hr : DispGetIDsOfNames(info_, names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override {
    HRESULT hr = Info();
    return FAILED(hr) ? hr
                      : DispInvoke(static_cast<I*>(this), info_, id, flags, params, result, excep, argErr);
  }

 protected:
  HRESULT Info() { return info_ ? S_OK : TypeInfoOf(__uuidof(I), &info_); }

 private:
  LONG refs_ = 1;
  ITypeInfo* info_ = nullptr;
};

class Item : public Dispatch<ITestItem> {
 public:
  Item(const wchar_t* name, long number) : name_(name), number_(number) {}
  STDMETHODIMP get_Name(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = SysAllocString(name_.c_str());
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_Number(LONG* value) override {
    if (!value) return E_POINTER;
    *value = number_;
    return S_OK;
  }

 private:
  std::wstring name_;
  long number_;
};

struct KindName {
  VARTYPE vt;
  const wchar_t* name;
};
const KindName kKinds[] = {
    {VT_EMPTY, L"Empty"},     {VT_NULL, L"Null"},       {VT_I2, L"Integer"},      {VT_I4, L"Long"},
    {VT_R4, L"Single"},       {VT_R8, L"Double"},       {VT_CY, L"Currency"},     {VT_DATE, L"Date"},
    {VT_BSTR, L"String"},     {VT_DISPATCH, L"Object"}, {VT_ERROR, L"Error"},     {VT_BOOL, L"Boolean"},
    {VT_VARIANT, L"Variant"}, {VT_UNKNOWN, L"Unknown"}, {VT_DECIMAL, L"Decimal"}, {VT_UI1, L"Byte"},
};

class Auto : public Dispatch<ITestAuto>, public IPersistFile, public IProvideClassInfo {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out && (iid == IID_IPersistFile || iid == IID_IPersist)) {
      *out = static_cast<IPersistFile*>(this);
      AddRef();
      return S_OK;
    }
    if (out && iid == IID_IProvideClassInfo) {
      *out = static_cast<IProvideClassInfo*>(this);
      AddRef();
      return S_OK;
    }
    return Dispatch<ITestAuto>::QueryInterface(iid, out);
  }
  // IProvideClassInfo: the coclass, which names the source interface.
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
    if (!info) return E_POINTER;
    return TypeInfoOf(kClsid, info);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Dispatch<ITestAuto>::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Dispatch<ITestAuto>::Release(); }

  // IPersistFile: a linked file's text (its bytes as ANSI) becomes Text.
  STDMETHODIMP GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = kClsid;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPCOLESTR file, DWORD) override {
    if (!file) return E_POINTER;
    HANDLE h = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return STG_E_FILENOTFOUND;
    char buf[4096];
    DWORD n = 0;
    BOOL ok = ReadFile(h, buf, sizeof buf, &n, nullptr);
    CloseHandle(h);
    if (!ok) return STG_E_READFAULT;
    text_.assign(buf, buf + n);
    file_ = file;
    return S_OK;
  }
  STDMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP GetCurFile(LPOLESTR* file) override {
    if (!file) return E_POINTER;
    *file = nullptr;
    if (file_.empty()) return S_FALSE;
    *file = static_cast<LPOLESTR>(CoTaskMemAlloc((file_.size() + 1) * sizeof(wchar_t)));
    if (!*file) return E_OUTOFMEMORY;
    memcpy(*file, file_.c_str(), (file_.size() + 1) * sizeof(wchar_t));
    return S_OK;
  }

  STDMETHODIMP get_Text(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = SysAllocString(text_.c_str());
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP put_Text(BSTR value) override {
    text_.assign(value ? value : L"", value ? SysStringLen(value) : 0);
    return S_OK;
  }
  STDMETHODIMP get_Count(LONG* value) override {
    if (!value) return E_POINTER;
    *value = count_;
    return S_OK;
  }
  STDMETHODIMP put_Count(LONG value) override {
    count_ = value;
    return S_OK;
  }
  STDMETHODIMP Add(LONG a, LONG b, LONG* sum) override {
    if (!sum) return E_POINTER;
    *sum = a + b;
    return S_OK;
  }
  STDMETHODIMP Twice(LONG* value) override {
    if (!value) return E_POINTER;
    *value *= 2;
    return S_OK;
  }
  STDMETHODIMP Greet(VARIANT name, BSTR* text) override {
    if (!text) return E_POINTER;
    std::wstring who = L"world";
    if (!(V_VT(&name) == VT_ERROR && V_ERROR(&name) == DISP_E_PARAMNOTFOUND)) {
      VARIANT s;
      VariantInit(&s);
      HRESULT hr = VariantChangeType(&s, &name, 0, VT_BSTR);
      if (FAILED(hr)) return Failed(hr);
      who.assign(V_BSTR(&s), SysStringLen(V_BSTR(&s)));
      VariantClear(&s);
    }
    *text = SysAllocString((L"Hello, " + who).c_str());
    return *text ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP Total(SAFEARRAY* values, double* total) override {
    if (!total) return E_POINTER;
    *total = 0;
    if (!values) return S_OK;
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(values, 1, &lo);
    SafeArrayGetUBound(values, 1, &hi);
    for (LONG i = lo; i <= hi; ++i) {
      VARIANT v, d;
      VariantInit(&v);
      VariantInit(&d);
      HRESULT hr = SafeArrayGetElement(values, &i, &v);
      if (SUCCEEDED(hr)) hr = VariantChangeType(&d, &v, 0, VT_R8);
      VariantClear(&v);
      if (FAILED(hr)) return Failed(DISP_E_TYPEMISMATCH);
      *total += V_R8(&d);
    }
    return S_OK;
  }
  STDMETHODIMP MakeItem(BSTR name, LONG number, ITestItem** item) override {
    if (!item) return E_POINTER;
    *item = new Item(name ? name : L"", number);
    return S_OK;
  }
  // Fails with the reason as the error's description (also as IErrorInfo for callers of
  // the interface; Invoke below turns it into DISP_E_EXCEPTION with a filled EXCEPINFO).
  STDMETHODIMP Fail(BSTR why) override {
    why_.assign(why ? why : L"", why ? SysStringLen(why) : 0);
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
      create->SetSource(const_cast<LPOLESTR>(kSource));
      create->SetDescription(why ? why : const_cast<LPOLESTR>(L""));
      IErrorInfo* info = nullptr;
      if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
      }
      create->Release();
    }
    return Failed(E_FAIL);
  }
  STDMETHODIMP Echo(VARIANT value, VARIANT* result) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    return VariantCopyInd(result, &value);
  }
  STDMETHODIMP Kind(VARIANT value, BSTR* name) override {
    if (!name) return E_POINTER;
    VARTYPE vt = V_VT(&value) & ~VT_BYREF;
    std::wstring text = L"Other";
    for (const KindName& k : kKinds)
      if (k.vt == vt) text = k.name;
    if (V_VT(&value) & VT_BYREF) text += L" ByRef";
    *name = SysAllocString(text.c_str());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  // A sample value of the kind asked for.
  STDMETHODIMP Sample(LONG vt, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    switch (vt) {
      case VT_EMPTY:
        break;
      case VT_NULL:
        V_VT(value) = VT_NULL;
        break;
      case VT_I2:
        V_VT(value) = VT_I2;
        V_I2(value) = -2;
        break;
      case VT_I4:
        V_VT(value) = VT_I4;
        V_I4(value) = 123456;
        break;
      case VT_R4:
        V_VT(value) = VT_R4;
        V_R4(value) = 1.5f;
        break;
      case VT_R8:
        V_VT(value) = VT_R8;
        V_R8(value) = 2.25;
        break;
      case VT_CY:
        V_VT(value) = VT_CY;
        V_CY(value).int64 = 123456;
        break;  // 12.3456
      case VT_DATE:
        V_VT(value) = VT_DATE;
        V_DATE(value) = 45351.5;
        break;  // 2024-02-29 12:00
      case VT_BSTR:
        V_VT(value) = VT_BSTR;
        V_BSTR(value) = SysAllocString(L"sample");
        break;
      case VT_DISPATCH:
        V_VT(value) = VT_DISPATCH;
        V_DISPATCH(value) = new Item(L"sample", 1);
        break;
      case VT_ERROR:
        V_VT(value) = VT_ERROR;
        V_ERROR(value) = DISP_E_PARAMNOTFOUND;
        break;
      case VT_BOOL:
        V_VT(value) = VT_BOOL;
        V_BOOL(value) = VARIANT_TRUE;
        break;
      case VT_UI1:
        V_VT(value) = VT_UI1;
        V_UI1(value) = 200;
        break;
      default:
        return Failed(E_INVALIDARG);
    }
    return S_OK;
  }

  STDMETHODIMP get_Cell(LONG index, BSTR* value) override {
    if (!value) return E_POINTER;
    if (index < 0 || index >= kCells) return Failed(DISP_E_BADINDEX);
    *value = SysAllocString(cells_[index].c_str());
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP put_Cell(LONG index, BSTR value) override {
    if (index < 0 || index >= kCells) return Failed(DISP_E_BADINDEX);
    cells_[index].assign(value ? value : L"", value ? SysStringLen(value) : 0);
    return S_OK;
  }
  STDMETHODIMP Gather(SAFEARRAY** values, double* total) override {
    return Total(values ? *values : nullptr, total);
  }
  STDMETHODIMP Scale(LONG x, VARIANT y, LONG* result) override {
    if (!result) return E_POINTER;
    LONG by = 1;
    if (!(V_VT(&y) == VT_ERROR && V_ERROR(&y) == DISP_E_PARAMNOTFOUND)) {
      VARIANT l;
      VariantInit(&l);
      HRESULT hr = VariantChangeType(&l, &y, 0, VT_I4);
      if (FAILED(hr)) return Failed(hr);
      by = V_I4(&l);
    }
    *result = x * by;
    return S_OK;
  }
  // Upper-cases the caller's string in place and appends "!".
  STDMETHODIMP Shout(BSTR* s) override {
    if (!s) return E_POINTER;
    std::wstring t(*s ? *s : L"", *s ? SysStringLen(*s) : 0);
    for (wchar_t& c : t) c = towupper(c);
    t += L"!";
    BSTR n = SysAllocStringLen(t.data(), UINT(t.size()));
    if (!n) return E_OUTOFMEMORY;
    SysFreeString(*s);
    *s = n;
    return S_OK;
  }

  // A method that fails answers DISP_E_EXCEPTION with its code in the EXCEPINFO, and its
  // error information's source and description (Fail sets them; the others fail plainly).
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* argErr) override {
    failed_ = S_OK;
    why_.clear();
    HRESULT hr = (id == kTotal || id == kGather) && (flags & DISPATCH_METHOD)
                     ? InvokeTotal(params, result)
                     : Dispatch<ITestAuto>::Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    if (FAILED(failed_)) {
      if (excep) {
        SysFreeString(excep->bstrSource);
        SysFreeString(excep->bstrDescription);
        SysFreeString(excep->bstrHelpFile);
        memset(excep, 0, sizeof *excep);
        excep->scode = failed_;
        excep->bstrSource = SysAllocString(kSource);
        excep->bstrDescription = SysAllocString(why_.empty() ? L"The method failed" : why_.c_str());
      }
      hr = DISP_E_EXCEPTION;
    }
    return hr;
  }

 private:
  // Total takes any number of arguments: the type library marks it vararg, which the
  // platform's DispInvoke does not handle, so they are gathered here.
  HRESULT InvokeTotal(DISPPARAMS* params, VARIANT* result) {
    if (!params || params->cNamedArgs) return DISP_E_NONAMEDARGS;
    SAFEARRAY* values = SafeArrayCreateVector(VT_VARIANT, 0, params->cArgs);
    if (!values) return E_OUTOFMEMORY;
    for (UINT i = 0; i < params->cArgs; ++i) {
      LONG at = LONG(i);
      SafeArrayPutElement(values, &at, &params->rgvarg[params->cArgs - 1 - i]);
    }
    double total = 0;
    HRESULT hr = Total(values, &total);
    SafeArrayDestroy(values);
    if (FAILED(hr)) return hr;
    if (result) {
      VariantInit(result);
      V_VT(result) = VT_R8;
      V_R8(result) = total;
    }
    return S_OK;
  }

  HRESULT Failed(HRESULT hr) {
    failed_ = hr;
    return hr;
  }

  static const LONG kCells = 8;
  std::wstring text_;
  std::wstring file_;  // the file Load read
  std::wstring cells_[kCells];
  long count_ = 0;
  HRESULT failed_ = S_OK;  // the failure of the method Invoke is running
  std::wstring why_;       // and its description
};

serverkit::Factory<Auto> g_factory(g_locks);

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
  std::string path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  const std::string cls = std::string("CLSID\\") + kClsidText;
  char libid[64];
  wsprintfA(libid, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", kLibid.Data1, kLibid.Data2,
            kLibid.Data3, kLibid.Data4[0], kLibid.Data4[1], kLibid.Data4[2], kLibid.Data4[3], kLibid.Data4[4],
            kLibid.Data4[5], kLibid.Data4[6], kLibid.Data4[7]);
  bool ok = serverkit::SetClassesRootValue(cls, nullptr, "Orvanel test automation object") &&
            serverkit::SetClassesRootValue(cls + "\\InprocServer32", nullptr, path) &&
            serverkit::SetClassesRootValue(cls + "\\InprocServer32", "ThreadingModel", "Apartment") &&
            serverkit::SetClassesRootValue(cls + "\\ProgID", nullptr, kProgId) &&
            serverkit::SetClassesRootValue(cls + "\\TypeLib", nullptr, libid) &&
            serverkit::SetClassesRootValue(kProgId, nullptr, "Orvanel test automation object") &&
            serverkit::SetClassesRootValue(std::string(kProgId) + "\\CLSID", nullptr, kClsidText) &&
            serverkit::SetClassesRootValue(kFileExtension, nullptr, kProgId);
  if (!ok) return SELFREG_E_CLASS;
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadOwnTypeLib(REGKIND_REGISTER, &lib);
  if (FAILED(hr)) return SELFREG_E_TYPELIB;
  lib->Release();
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  UnRegisterTypeLib(kLibid, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsidText).c_str());
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
  RegDeleteTreeA(HKEY_CLASSES_ROOT, kFileExtension);
  return S_OK;
}
