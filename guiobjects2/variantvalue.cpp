// VariantValue: automation results as store values, and arguments as VARIANTs.
#include "guiobjects2/variantvalue.h"

#include "store/interobj.h"
#include "store/storeexcept.h"

std::string BstrToText(BSTR s) {
  UINT n = s ? SysStringLen(s) : 0;
  if (n == 0) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, s, (int)n, nullptr, 0, nullptr, nullptr);
  std::string out((size_t)(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, s, (int)n, &out[0], bytes, nullptr, nullptr);
  return out;
}

BSTR TextToBstr(const char* text, size_t length) {
  int wide = length ? MultiByteToWideChar(CP_ACP, 0, text, (int)length, nullptr, 0) : 0;
  BSTR b = SysAllocStringLen(nullptr, (UINT)(wide > 0 ? wide : 0));
  if (!b) throw OleException(E_OUTOFMEMORY, "a string argument");
  if (wide > 0) MultiByteToWideChar(CP_ACP, 0, text, (int)length, b, wide);
  return b;
}

void VariantValue::ToVariant(Value& value, VARIANT& v) {
  switch (value.type()) {
    case kTypeShort: {
      short s = 0;
      value.get(s);
      VariantClear(&v);
      V_VT(&v) = VT_I2;
      V_I2(&v) = s;
      break;
    }
    case kTypeLong: {
      long l = 0;
      value.get(l);
      VariantClear(&v);
      V_VT(&v) = VT_I4;
      V_I4(&v) = (LONG)l;
      break;
    }
    case kTypeFloat: {
      float f = 0;
      value.get(f);
      VariantClear(&v);
      V_VT(&v) = VT_R4;
      V_R4(&v) = f;
      break;
    }
    case kTypeDouble: {
      double d = 0;
      value.get(d);
      VariantClear(&v);
      V_VT(&v) = VT_R8;
      V_R8(&v) = d;
      break;
    }
    case kTypeString: {
      ValString s;
      value.get(s);
      BSTR b = TextToBstr(s.c_str(), s.length());
      VariantClear(&v);
      V_VT(&v) = VT_BSTR;
      V_BSTR(&v) = b;
      break;
    }
    default:  // Currency, objects and the rest: left as they were
      break;
  }
}

VariantValue::VariantValue(VARIANT& v, DISPID id, IDispatch* disp) : id_(id), disp_(disp) {
  var_ = v;
  VariantInit(&v);
  try {
    makeView();
  } catch (...) {
    VariantClear(&var_);
    if (disp_) disp_->Release();
    throw;
  }
}

VariantValue::~VariantValue() {
  view_.clear();
  VariantClear(&var_);
  if (disp_) disp_->Release();
}

void VariantValue::makeView() {
  switch (V_VT(&var_)) {
    case VT_NULL:
    case VT_EMPTY:
      return;
    case VT_I2:
    case VT_BOOL:
      view_ = new IndirectValue<short, kTypeShort>(V_I2(&var_));
      return;
    case VT_I4:
      view_ = new IndirectValue<long, kTypeLong>(V_I4(&var_));
      return;
    case VT_R4:
      view_ = new IndirectValue<float, kTypeFloat>(V_R4(&var_));
      return;
    case VT_R8:
      view_ = new IndirectValue<double, kTypeDouble>(V_R8(&var_));
      return;
    case VT_CY: {
      VARIANT text;
      VariantInit(&text);
      OleException::Check(VariantChangeType(&text, &var_, 0, VT_BSTR), nullptr);
      std::string t = BstrToText(V_BSTR(&text));
      VariantClear(&text);
      view_ = new DirectValue<Currency, kTypeCurrency>();
      view_->set(ValString(t));
      return;
    }
    case VT_BSTR:
      break;
    default:
      OleException::Check(VariantChangeType(&var_, &var_, 0, VT_BSTR), nullptr);
      break;
  }
  view_ = new DirectValue<ValString, kTypeString>(ValString(BstrToText(V_BSTR(&var_))));
}

void VariantValue::viewFor(unsigned char code) {
  if (view_) return;
  VariantClear(&var_);
  switch (code) {
    case kTypeShort:
      V_VT(&var_) = VT_I2;
      break;
    case kTypeLong:
      V_VT(&var_) = VT_I4;
      break;
    case kTypeFloat:
      V_VT(&var_) = VT_R4;
      break;
    case kTypeDouble:
      V_VT(&var_) = VT_R8;
      break;
    case kTypeCurrency:
      V_VT(&var_) = VT_CY;
      view_ = new DirectValue<Currency, kTypeCurrency>();
      return;
    default:
      V_VT(&var_) = VT_BSTR;
      V_BSTR(&var_) = nullptr;
      view_ = new DirectValue<ValString, kTypeString>();
      return;
  }
  makeView();
}

void VariantValue::putBack() {
  switch (V_VT(&var_)) {
    case VT_CY: {
      ValString t;
      view_->get(t);
      VARIANT text;
      VariantInit(&text);
      V_VT(&text) = VT_BSTR;
      V_BSTR(&text) = TextToBstr(t.c_str(), t.length());
      HRESULT hr = VariantChangeType(&var_, &text, 0, VT_CY);
      VariantClear(&text);
      OleException::Check(hr, nullptr);
      break;
    }
    case VT_BSTR: {
      ValString t;
      view_->get(t);
      BSTR b = TextToBstr(t.c_str(), t.length());
      SysFreeString(V_BSTR(&var_));
      V_BSTR(&var_) = b;
      break;
    }
    default:  // the in-place views wrote the VARIANT already
      break;
  }
  if (!disp_) return;
  // Servers find the new value through the named argument DISPID_PROPERTYPUT.
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&var_, &named, 1, 1};
  OleException::Check(
      disp_->Invoke(id_, IID_NULL, kLocale, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
      nullptr);
}

Value& VariantValue::view() {
  if (!view_) throw StoreException(kMsgNoValue);
  return *view_;
}

unsigned char VariantValue::type() const { return view_ ? view_->type() : (unsigned char)kTypeNoValue; }
Value* VariantValue::eval(const ValueList* args) { return view().eval(args); }
Value* VariantValue::operator+(Value& r) { return view() + r; }
Value* VariantValue::operator*(Value& r) { return view() * r; }
Value* VariantValue::operator-(Value& r) { return view() - r; }
Value* VariantValue::operator/(Value& r) { return view() / r; }
Value* VariantValue::operator%(Value& r) { return view() % r; }
Value* VariantValue::intDiv(Value& r) { return view().intDiv(r); }
Value* VariantValue::exp(Value& r) { return view().exp(r); }
Value* VariantValue::operator>(Value& r) { return view() > r; }
Value* VariantValue::operator<(Value& r) { return view() < r; }
Value* VariantValue::operator==(Value& r) { return view() == r; }
Value* VariantValue::operator!=(Value& r) { return view() != r; }
Value* VariantValue::operator>=(Value& r) { return view() >= r; }
Value* VariantValue::operator<=(Value& r) { return view() <= r; }
Value* VariantValue::operator&(Value& r) { return view() & r; }
Value* VariantValue::operator|(Value& r) { return view() | r; }
Value* VariantValue::operator^(Value& r) { return view() ^ r; }
Value* VariantValue::operator~() { return ~view(); }
Value* VariantValue::eqv(Value& r) { return view().eqv(r); }
Value* VariantValue::imp(Value& r) { return view().imp(r); }

Value& VariantValue::operator=(Value& src) {
  switch (src.type()) {
    case kTypeShort: {
      short v = 0;
      src.get(v);
      set(v);
      break;
    }
    case kTypeLong: {
      long v = 0;
      src.get(v);
      set(v);
      break;
    }
    case kTypeFloat: {
      float v = 0;
      src.get(v);
      set(v);
      break;
    }
    case kTypeDouble: {
      double v = 0;
      src.get(v);
      set(v);
      break;
    }
    case kTypeCurrency: {
      Currency v;
      src.get(v);
      set(v);
      break;
    }
    case kTypeString: {
      ValString v;
      src.get(v);
      set(v);
      break;
    }
    default:
      throw TypeMismatch("DirectValueClassFactory");
  }
  return *this;
}

void VariantValue::get(short& v) { view().get(v); }
void VariantValue::get(long& v) { view().get(v); }
void VariantValue::get(float& v) { view().get(v); }
void VariantValue::get(double& v) { view().get(v); }
void VariantValue::get(Currency& v) { view().get(v); }
void VariantValue::get(ValString& v) { view().get(v); }
void VariantValue::get(InterObj&) { throw TypeMismatch("DirectValue<>::get(obj)"); }

void VariantValue::set(short v) {
  viewFor(kTypeShort);
  view_->set(v);
  putBack();
}
void VariantValue::set(long v) {
  viewFor(kTypeLong);
  view_->set(v);
  putBack();
}
void VariantValue::set(float v) {
  viewFor(kTypeFloat);
  view_->set(v);
  putBack();
}
void VariantValue::set(double v) {
  viewFor(kTypeDouble);
  view_->set(v);
  putBack();
}
void VariantValue::set(const Currency& v) {
  viewFor(kTypeCurrency);
  view_->set(v);
  putBack();
}
void VariantValue::set(const ValString& v) {
  viewFor(kTypeString);
  view_->set(v);
  putBack();
}
void VariantValue::set(const InterObj&) { throw TypeMismatch("DirectValue<>::set(obj)"); }

void VariantValue::getCell(ValueCell& out) { view().getCell(out); }
StackPusher* VariantValue::getStackPusher() { return view().getStackPusher(); }
