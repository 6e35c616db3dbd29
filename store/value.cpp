// The base Value: everything from type() and getCell().
#include "store/value.h"

#include "utils/xexception.h"

StackPusher::~StackPusher() {}

Value::~Value() {}

unsigned char Value::type() const { return kTypeNoValue; }

Value* Value::eval(const ValueList*) { return CountedResult(this); }

Value* Value::FromCell(const ValueCell& c) {
  switch (c.type) {
    case kTypeShort:
      return new DirectValue<short, kTypeShort>(c.s);
    case kTypeLong:
      return new DirectValue<long, kTypeLong>(c.l);
    case kTypeFloat:
      return new DirectValue<float, kTypeFloat>(c.f);
    case kTypeDouble:
      return new DirectValue<double, kTypeDouble>(c.d);
    case kTypeCurrency:
      return new DirectValue<Currency, kTypeCurrency>(c.currency());
    case kTypeString:
      return new DirectValue<ValString, kTypeString>(CellToString(c));
    case kTypeNone:
      return new DirectValue<short, kTypeShort>(0);
    default:
      throw TypeMismatch("Value::FromCell");
  }
}

Value* Value::binary(NumOp op, Value& r) {
  ValueCellVar a, b;
  getCell(a);
  r.getCell(b);
  CellBinary(op, a, a, b);
  return CountedResult(FromCell(a));
}

Value* Value::operator+(Value& r) { return binary(kNumAdd, r); }
Value* Value::operator*(Value& r) { return binary(kNumMul, r); }
Value* Value::operator-(Value& r) { return binary(kNumSub, r); }
Value* Value::operator/(Value& r) { return binary(kNumDiv, r); }
Value* Value::operator%(Value& r) { return binary(kNumMod, r); }
Value* Value::intDiv(Value& r) { return binary(kNumIntDiv, r); }
Value* Value::exp(Value& r) { return binary(kNumPow, r); }
Value* Value::operator>(Value& r) { return binary(kNumGt, r); }
Value* Value::operator<(Value& r) { return binary(kNumLt, r); }
Value* Value::operator==(Value& r) { return binary(kNumEq, r); }
Value* Value::operator!=(Value& r) { return binary(kNumNe, r); }
Value* Value::operator>=(Value& r) { return binary(kNumGe, r); }
Value* Value::operator<=(Value& r) { return binary(kNumLe, r); }
Value* Value::operator&(Value& r) { return binary(kNumAnd, r); }
Value* Value::operator|(Value& r) { return binary(kNumOr, r); }
Value* Value::operator^(Value& r) { return binary(kNumXor, r); }
Value* Value::eqv(Value& r) { return binary(kNumEqv, r); }
Value* Value::imp(Value& r) { return binary(kNumImp, r); }

Value* Value::operator~() {
  ValueCellVar a;
  getCell(a);
  CellNot(a, a);
  return CountedResult(FromCell(a));
}

Value& Value::operator=(Value& src) {
  ValueCellVar c;
  src.getCell(c);
  if (c->type == kTypeObject) throw TypeMismatch("DirectValueClassFactory");
  setCell(c);
  return *this;
}

void Value::get(short& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToShort(c);
}
void Value::get(long& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToLong(c);
}
void Value::get(float& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToFloat(c);
}
void Value::get(double& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToDouble(c);
}
void Value::get(Currency& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToCurrency(c);
}
void Value::get(ValString& v) {
  ValueCellVar c;
  getCell(c);
  v = CellToString(c);
}
void Value::get(InterObj&) {
  if (type() == kTypeNoValue) throw StoreException(kMsgNoValue);
  throw TypeMismatch("DirectValue<>::get(obj)");
}

void Value::set(short) { throw TypeMismatch("Value::set(short)"); }
void Value::set(long) { throw TypeMismatch("Value::set(long)"); }
void Value::set(float) { throw TypeMismatch("Value::set(float)"); }
void Value::set(double) { throw TypeMismatch("Value::set(double)"); }
void Value::set(const Currency&) { throw TypeMismatch("Value::set(Currency)"); }
void Value::set(const ValString&) { throw TypeMismatch("Value::set(ValString)"); }
void Value::set(const InterObj&) { throw TypeMismatch("DirectValue<>::set(obj)"); }

void Value::getCell(ValueCell& out) {
  out.clear();
  switch (type()) {
    case kTypeShort: {
      short v;
      get(v);
      out.setShort(v);
      return;
    }
    case kTypeLong: {
      long v;
      get(v);
      out.setLong((int32_t)v);
      return;
    }
    case kTypeFloat: {
      float v;
      get(v);
      out.setFloat(v);
      return;
    }
    case kTypeDouble: {
      double v;
      get(v);
      out.setDouble(v);
      return;
    }
    case kTypeCurrency: {
      Currency v;
      get(v);
      out.setCurrency(v);
      return;
    }
    case kTypeString: {
      ValString v;
      get(v);
      out.setString(v);
      return;
    }
    case kTypeNone:
      return;
    case kTypeNoValue:
      throw StoreException(kMsgNoValue);
    default:
      throw TypeMismatch("Value::getCell");
  }
}

void Value::setCell(const ValueCell& c) {
  switch (c.type) {
    case kTypeNone:
      set((short)0);
      return;
    case kTypeShort:
      set((short)c.s);
      return;
    case kTypeLong:
      set((long)c.l);
      return;
    case kTypeFloat:
      set(c.f);
      return;
    case kTypeDouble:
      set(c.d);
      return;
    case kTypeCurrency:
      set(c.currency());
      return;
    case kTypeString:
      set(CellToString(c));
      return;
    default:
      throw TypeMismatch("Value::set(cell)");
  }
}

short Value::asShort() {
  short v;
  get(v);
  return v;
}
long Value::asLong() {
  long v;
  get(v);
  return v;
}
double Value::asDouble() {
  double v;
  get(v);
  return v;
}
ValString Value::asString() {
  ValString v;
  get(v);
  return v;
}

bool Value::toText(ValString& out) {
  try {
    get(out);
    return true;
  } catch (const StoreException&) {
    return false;
  }
}

Value* DirectValueClassFactory(unsigned char code, Value& value) {
  ValueCellVar c;
  value.getCell(c);
  if (c->type == kTypeObject || c->type == kTypeNoValue || !(code >= kTypeShort && code <= kTypeString))
    throw TypeMismatch("DirectValueClassFactory");
  CellConvert(c, code);
  return Value::FromCell(c);
}

// ValueList

ValueList::~ValueList() { clear(); }

void ValueList::ppush(Value* v) {
  UTILS_ASSERT(v);
  v->ref();
  items_.push_back(v);
}

Value* ValueList::at(int i) const {
  UTILS_ASSERT(i >= 0 && i < entries());
  return items_[(size_t)i];
}

void ValueList::clear() {
  std::vector<Value*> old;
  old.swap(items_);
  for (Value* v : old) v->unref();
}

// ValuePtr

ValuePtr::ValuePtr(Value* v) : p_(v) {
  if (p_) p_->ref();
}
ValuePtr::ValuePtr(const ValuePtr& o) : p_(o.p_) {
  if (p_) p_->ref();
}
ValuePtr::~ValuePtr() { clear(); }

ValuePtr& ValuePtr::operator=(const ValuePtr& o) { return *this = o.p_; }

ValuePtr& ValuePtr::operator=(Value* v) {
  if (v) v->ref();
  Value* old = p_;
  p_ = v;
  if (old) old->unref();
  return *this;
}

void ValuePtr::adopt(Value* counted) {
  Value* old = p_;
  p_ = counted;
  if (old) old->unref();
}

Value* ValuePtr::detach() {
  Value* v = p_;
  p_ = nullptr;
  return v;
}

void ValuePtr::clear() {
  Value* old = p_;
  p_ = nullptr;
  if (old) old->unref();
}
