// What the automation tests share: oviui2 published with the test server registered for
// the run, VARIANTs that clear themselves, direct IDispatch calls to check what a server
// saw, an "Automation" object over any interface, and a server without type information.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "basicrunner.h"
#include "controlkit.h"
#include "guiobjects2/iwautomation.h"
#include "guiobjects2/variantvalue.h"
#include "serverreg.h"
#include "store/value.h"
#include "testauto/testauto.h"

namespace autokit {

// oviui2 published, OLE started and the test server registered (once, for the process).
inline void Ready() {
  controlkit::Published();
  static HRESULT ole = OleInitialize(nullptr);
  (void)ole;
  static TestServerRegistration reg(testauto::kDll);  // unregistered again at exit
  ASSERT_TRUE(reg.ok()) << "regsvr32 " << testauto::kDll;
}

struct Var : VARIANT {
  Var() { VariantInit(this); }
  explicit Var(long v) : Var() { V_VT(this) = VT_I4, V_I4(this) = v; }
  explicit Var(const wchar_t* s) : Var() { V_VT(this) = VT_BSTR, V_BSTR(this) = SysAllocString(s); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  ~Var() { VariantClear(this); }
  std::string Text() const {
    Var s;
    if (FAILED(VariantChangeType(&s, const_cast<Var*>(this), 0, VT_BSTR))) return "<no text>";
    return BstrToText(V_BSTR(&s));
  }
};

inline DISPID IdOf(IDispatch* d, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// A call straight to the server (arguments first-first), to see what it holds.
inline HRESULT Direct(IDispatch* d, const wchar_t* name, WORD flags, VARIANT* result,
                      std::vector<VARIANT*> args = {}) {
  std::vector<VARIANT> rg;
  for (auto it = args.rbegin(); it != args.rend(); ++it) rg.push_back(**it);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS p = {rg.data(), (flags & DISPATCH_PROPERTYPUT) ? &put : nullptr, (UINT)rg.size(),
                  (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
  EXCEPINFO e = {};
  HRESULT hr = d->Invoke(IdOf(d, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &p, result, &e, nullptr);
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrHelpFile);
  return hr;
}

inline IDispatch* NewTestServer() {
  CLSID cls;
  IDispatch* d = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(L"Orvanel.TestAuto", &cls)))
    CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
  return d;
}

// An "Automation" object bound to d (one more reference taken), kept by the returned value.
inline ValuePtr Bound(IDispatch* d) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = d;
  if (d) d->AddRef();
  ValuePtr p;
  p.adopt(IWAutomation::Create(v));
  return p;
}

inline InterObjRep* ObjectOf(const ValuePtr& v) {
  InterObj o;
  v->get(o);
  return o.get();
}

// A member of an "Automation" object through the store's extension entry; the result
// is held by the returned pointer.
inline ValuePtr Member(InterObjRep* obj, const char* name, std::vector<Value*> args = {},
                       int* found = nullptr, unsigned char kind = InterObjRep::kEvalGet) {
  ValueList list;
  for (Value* a : args) list.ppush(a);
  int f = 0;
  ValuePtr r;
  r.adopt(obj->ROCDataPtr(0)->eval(name, kind, args.empty() ? nullptr : &list, &f));
  if (found) *found = f;
  return r;
}

inline std::string Text(Value& v) { return v.asString().str(); }

// A server without type information: "Ping" (DISPID 7) answers 7; GetIDsOfNames knows
// it, GetTypeInfoCount is 0.
class NoInfoServer : public IDispatch {
 public:
  virtual ~NoInfoServer() = default;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(++refs); }
  STDMETHODIMP_(ULONG) Release() override {
    long n = --refs;
    if (n == 0) delete this;
    return ULONG(n);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    if (lstrcmpiW(names[0], L"Ping") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = 7;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id != 7) return DISP_E_MEMBERNOTFOUND;
    if (result) {
      V_VT(result) = VT_I4;
      V_I4(result) = 7;
    }
    return S_OK;
  }
  long refs = 1;
};

}  // namespace autokit
