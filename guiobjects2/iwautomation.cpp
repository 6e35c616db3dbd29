// IWAutomation: the published "Automation": binding, member calls by name through
// IDispatch, and the member queries of the developer tools.
#include "guiobjects2/iwautomation.h"

#include <cstring>
#include <string>
#include <vector>

#include "guiobjects2/dllinstance.h"
#include "guiobjects2/variantvalue.h"
#include "store/value.h"
#include "guiobjects2/typebrowser.h"

Faultp<InterObjRep>* IWAutomation::PO_Object = nullptr;
const POClassRow& IWAutomation::PO_Row() { return DllInstance::Row(kOviui2Automation); }

namespace {

// Members are looked up with at most this many characters of their name.
const int kNameLimit = 60;

std::wstring Wide(const char* text, size_t length, size_t limit = (size_t)-1) {
  int n = length ? MultiByteToWideChar(CP_ACP, 0, text, (int)length, nullptr, 0) : 0;
  std::wstring w((size_t)(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, (int)length, &w[0], n);
  if (w.size() > limit) w.resize(limit);
  return w;
}

std::wstring Wide(const ValString& s) { return Wide(s.c_str(), s.length()); }

ValString TextArg(const ValueList* args, int i) {
  ValString s;
  (*args)[i]->get(s);
  return s;
}

// Releases an interface at the end of a scope.
template <class I>
struct Held {
  I* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

Value* Counted(Value* v) {
  if (v) v->ref();
  return v;
}

Value* Bound(IDispatch* d) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = d;
  return IWAutomation::Create(v);
}

// The server's exception as the store's error: its code (the EXCEPINFO's scode, else
// its wCode, else DISP_E_EXCEPTION), description and source. The strings are freed.
[[noreturn]] void ThrowServerException(EXCEPINFO& e) {
  if (e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
  long code = e.scode   ? e.scode
              : e.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH, e.wCode)
                        : DISP_E_EXCEPTION;
  std::string description = BstrToText(e.bstrDescription);
  std::string source = BstrToText(e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrHelpFile);
  throw OleException(code, description, source);
}

void FreeExcepInfo(EXCEPINFO& e) {
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrHelpFile);
  e.bstrDescription = e.bstrSource = e.bstrHelpFile = nullptr;
}

// The pointed-to types of the by-reference parameters of member id, by parameter
// position (VT_EMPTY: by value); empty when the server has no type information for it.
std::vector<VARTYPE> ByRefParams(IDispatch* d, DISPID id) {
  std::vector<VARTYPE> out;
  UINT count = 0;
  if (FAILED(d->GetTypeInfoCount(&count)) || count == 0) return out;
  Held<ITypeInfo> info;
  if (FAILED(d->GetTypeInfo(0, VariantValue::kLocale, &info.p)) || !info.p) return out;
  TYPEATTR* attr = nullptr;
  if (FAILED(info.p->GetTypeAttr(&attr))) return out;
  for (UINT i = 0; i < attr->cFuncs && out.empty(); ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info.p->GetFuncDesc(i, &f))) continue;
    if (f->memid == id && (f->invkind & (INVOKE_FUNC | INVOKE_PROPERTYGET))) {
      out.assign((size_t)f->cParams, VT_EMPTY);
      for (SHORT j = 0; j < f->cParams; ++j) {
        const TYPEDESC& t = f->lprgelemdescParam[j].tdesc;
        if (t.vt == VT_PTR && t.lptdesc) out[(size_t)j] = t.lptdesc->vt;
      }
      if (out.empty()) out.push_back(VT_EMPTY);  // found, without parameters
    }
    info.p->ReleaseFuncDesc(f);
  }
  info.p->ReleaseTypeAttr(attr);
  return out;
}

bool PassableByRef(VARTYPE vt) {
  switch (vt) {
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_BSTR:
    case VT_BOOL:
    case VT_VARIANT:
      return true;
    default:
      return false;
  }
}

// Writes a by-reference argument's new content back into the Basic argument.
void WriteBack(Value& arg, VARIANT& v) {
  VARIANT* p = V_VT(&v) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(&v) : &v;
  switch (V_VT(p)) {
    case VT_I2:
    case VT_BOOL:
      arg.set((short)V_I2(p));
      break;
    case VT_I4:
      arg.set((long)V_I4(p));
      break;
    case VT_R4:
      arg.set(V_R4(p));
      break;
    case VT_R8:
      arg.set(V_R8(p));
      break;
    case VT_BSTR:
      arg.set(ValString(BstrToText(V_BSTR(p))));
      break;
    case VT_CY: {
      VARIANT text;
      VariantInit(&text);
      if (SUCCEEDED(VariantChangeType(&text, p, 0, VT_BSTR))) {
        DirectValue<Currency, kTypeCurrency> cy;
        cy.set(ValString(BstrToText(V_BSTR(&text))));
        arg.set(cy.value());
      }
      VariantClear(&text);
      break;
    }
    default:
      break;
  }
}

// The member call by name on d (one reference, given up here).
Value* CallMember(IDispatch* d, const char* name, unsigned char kind, const ValueList* args, int* found) {
  Held<IDispatch> hold;
  hold.p = d;
  std::wstring wname = Wide(name, strlen(name), kNameLimit);
  LPOLESTR names[1] = {&wname[0]};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, VariantValue::kLocale, &id);
  if (hr == DISP_E_UNKNOWNNAME) {
    if (found) *found = 0;
    return nullptr;
  }
  OleException::Check(hr, name);
  if (found) *found = 1;

  const bool put = kind == InterObjRep::kEvalSet;
  const int n = args ? args->entries() : 0;
  // values[i] holds Basic argument i; the argument array reads last-first and may point
  // into values for by-reference parameters.
  std::vector<VARIANT> values((size_t)n), rg((size_t)n);
  for (VARIANT& v : values) VariantInit(&v);
  for (VARIANT& v : rg) VariantInit(&v);
  struct Clear {
    std::vector<VARIANT>& v;
    ~Clear() {
      for (VARIANT& x : v) VariantClear(&x);
    }
  } clear{values};
  for (int i = 0; i < n; ++i) VariantValue::ToVariant(*(*args)[i], values[(size_t)i]);
  std::vector<VARTYPE> byRef = n && !put ? ByRefParams(d, id) : std::vector<VARTYPE>();
  std::vector<bool> written((size_t)n, false);
  for (int i = 0; i < n; ++i) {
    VARIANT& src = values[(size_t)i];
    VARIANT& arg = rg[(size_t)(n - 1 - i)];
    VARTYPE to = i < (int)byRef.size() ? byRef[(size_t)i] : (VARTYPE)VT_EMPTY;
    if (to != VT_EMPTY && PassableByRef(to) &&
        (to == VT_VARIANT || SUCCEEDED(VariantChangeType(&src, &src, 0, to)))) {
      written[(size_t)i] = true;
      if (to == VT_VARIANT) {
        V_VT(&arg) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&arg) = &src;
      } else {
        V_VT(&arg) = VT_BYREF | to;
        V_BYREF(&arg) = &V_I2(&src);  // the data part of src, whatever its kind
      }
    } else {
      arg = src;  // a shallow copy: values owns what it points to
    }
  }
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {n ? rg.data() : nullptr, put ? &named : nullptr, (UINT)n, put ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep = {};
  hr = d->Invoke(id, IID_NULL, VariantValue::kLocale,
                 put ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                 put ? nullptr : &result, &excep, nullptr);
  if (hr == DISP_E_EXCEPTION) {
    VariantClear(&result);
    ThrowServerException(excep);
  }
  FreeExcepInfo(excep);
  if (FAILED(hr)) {
    VariantClear(&result);
    OleException::Check(hr, name);
  }
  for (int i = 0; i < n; ++i)
    if (written[(size_t)i]) WriteBack(*(*args)[i], values[(size_t)i]);
  if (put) return nullptr;
  if (V_VT(&result) == VT_DISPATCH) return Bound(V_DISPATCH(&result));  // takes the result's reference
  hold.p = nullptr;                                                     // the value keeps the reference
  return Counted(new VariantValue(result, id, d));
}

}  // namespace

IWAutomation::IWAutomation(IUnknown* outer) : POClass(outer) { VariantInit(&binding_); }

IWAutomation::~IWAutomation() { VariantClear(&binding_); }

void IWAutomation::PO_Load(IStream* stream) {
  POClass::PO_Load(stream);
  VariantClear(&binding_);
}

Value* IWAutomation::Create(VARIANT& v) {
  InterObjRep* proto = PO_GetObject();
  PrimInterObj obj(proto, ObjectStore::kTempModule, 1);
  IWAutomation* a = Native(obj.get());
  if (!a) {
    VariantClear(&v);
    throw StoreException("An \"Automation\" object could not be made.");
  }
  VariantClear(&a->binding_);
  a->binding_ = v;
  VariantInit(&v);
  return Counted(new DirectValue<InterObj, kTypeObject>(InterObj(obj.get())));
}

Value* IWAutomation::Create(IUnknown** p) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_UNKNOWN;
  V_UNKNOWNREF(&v) = p;
  return Create(v);
}

const VARIANT& IWAutomation::GetVariant(const InterObj& obj) {
  static VARIANT empty = {};
  IWAutomation* a = Native(obj.get());
  return a ? a->binding_ : empty;
}

IDispatch* IWAutomation::Dispatch() const {
  if (V_VT(&binding_) == VT_DISPATCH) {
    IDispatch* d = V_DISPATCH(&binding_);
    if (d) d->AddRef();
    return d;
  }
  if (V_VT(&binding_) == (VT_BYREF | VT_UNKNOWN) && V_UNKNOWNREF(&binding_) && *V_UNKNOWNREF(&binding_)) {
    IDispatch* d = nullptr;
    OleException::Check(
        (*V_UNKNOWNREF(&binding_))->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)), nullptr);
    return d;
  }
  return nullptr;
}

Value* IWAutomation::eval(const char* name, unsigned char kind, const ValueList* args, int* found) {
  if (!name) {
    if (found) *found = 0;
    return nullptr;
  }
  if (V_VT(&binding_) == VT_EMPTY) return evalBinding(name, args, found);
  IDispatch* d = Dispatch();
  if (!d) {  // bound by reference to nothing yet: every name answers no value
    if (found) *found = 1;
    return nullptr;
  }
  return CallMember(d, name, kind, args, found);
}

Value* IWAutomation::evalBinding(const char* name, const ValueList* args, int* found) {
  if (found) *found = 0;
  bool create = strcmp(name, "CreateObject") == 0;
  bool get = strcmp(name, "GetObject") == 0;
  int n = args ? args->entries() : 0;
  if (!(create || get) || n == 0 || (*args)[0]->type() != kTypeString) return nullptr;
  if ((create && n != 1) || (get && (n > 2 || (n == 2 && (*args)[1]->type() != kTypeString)))) return nullptr;
  if (found) *found = 1;

  if (create) {
    CLSID cls;
    OleException::Check(CLSIDFromProgID(Wide(TextArg(args, 0)).c_str(), &cls), nullptr);
    IDispatch* d = nullptr;
    OleException::Check(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                         IID_IDispatch, reinterpret_cast<void**>(&d)),
                        nullptr);
    return Bound(d);
  }
  if (n == 1) {
    Held<IBindCtx> bc;
    OleException::Check(CreateBindCtx(0, &bc.p), nullptr);
    std::wstring display = Wide(TextArg(args, 0));
    Held<IMoniker> mk;
    ULONG eaten = 0;
    IDispatch* d = nullptr;
    HRESULT hr = MkParseDisplayName(bc.p, display.c_str(), &eaten, &mk.p);
    if (SUCCEEDED(hr)) hr = mk.p->BindToObject(bc.p, nullptr, IID_IDispatch, reinterpret_cast<void**>(&d));
    OleException::Check(hr, nullptr);
    return Bound(d);
  }
  CLSID cls;
  OleException::Check(CLSIDFromProgID(Wide(TextArg(args, 0)).c_str(), &cls), nullptr);
  ValString file = TextArg(args, 1);
  IDispatch* d = nullptr;
  HRESULT hr;
  if (file.length() >= 2) {
    Held<IPersistFile> pf;
    OleException::Check(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                         IID_IPersistFile, pf.out()),
                        nullptr);
    hr = pf.p->Load(Wide(file).c_str(), 0);
    if (SUCCEEDED(hr)) hr = pf.p->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
  } else {
    Held<IUnknown> running;
    hr = GetActiveObject(cls, nullptr, &running.p);
    if (SUCCEEDED(hr))
      hr = running.p->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
    else
      hr = CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(&d));
  }
  OleException::Check(hr, nullptr);
  return Bound(d);
}

void IWAutomation::getExtEventList(RWCString& out) {
  TypeBrowser b(*this, TypeBrowser::kEvents);
  RWCString names;
  b.methodList(names);
  if (names.length()) out = (std::string(out.data(), out.length()) + names.data()).c_str();
}

int IWAutomation::getExtEventProto(const char* event, RWCString& proto, int& resultType) {
  TypeBrowser b(*this, TypeBrowser::kEvents);
  return b.methodProto(event, proto, resultType) ? 1 : 0;
}

void IWAutomation::getExtMethodList(RWCString& out) {
  TypeBrowser b(*this);
  b.methodList(out);
}

void IWAutomation::getExtMethodProto(const char* method, RWCString& proto, int& resultType) {
  TypeBrowser b(*this);
  b.methodProto(method, proto, resultType);
}

int IWAutomation::getExtPropertyCount() {
  TypeBrowser b(*this);
  return b.propertyCount();
}

void IWAutomation::getExtPropertyName(int i, RWCString& out) {
  TypeBrowser b(*this);
  b.propertyName(i, out);
}

int IWAutomation::hasExtProperty(const char* name) {
  // The tools also ask unbound objects (the prototype): they know no names.
  IDispatch* d = name ? Dispatch() : nullptr;
  if (!d) return 0;
  std::wstring w = Wide(name, strlen(name), kNameLimit);
  LPOLESTR names[1] = {&w[0]};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, VariantValue::kLocale, &id);
  d->Release();
  return SUCCEEDED(hr) ? 1 : 0;
}
