// Counted values: what the store hands across its interface (member and event arguments,
// results). The interpreter computes on ValueCells (valuecell.h, numeric.h); Values are
// made at the boundaries.
//
// Value is designed for derivation (a variant over an automation result, a property
// value that writes through). Virtual operations in slot order:
//   type, eval, + * - / %, intDiv, exp, > < == != >= <=, & | ^ ~ (And Or Xor Not), eqv,
//   imp, operator=(Value&), get(short&, long&, float&, double&, Currency&, ValString&,
//   InterObj&), set(short, long, float, double, Currency, ValString, InterObj),
//   getCell, getStackPusher.
// The base class implements everything from type() and getCell(): the operators follow
// numeric.h and return a NEW value holding one count for the caller (release it, or hold
// it with ValuePtr::adopt); get converts the cell; set fails with TypeMismatch (a value
// that can be written overrides set). Object-typed values (code 7) override getCell and
// get/set(InterObj): the base cannot see the object model.
//
// Counting: a new Value starts at count 0; ValueList::ppush and ValuePtr take a count.
// Results handed to a caller ("the caller releases") carry one count (CountedResult).
#pragma once

#include <cstddef>
#include <vector>

#include "store/counted.h"
#include "store/currency.h"
#include "store/dyncall.h"
#include "store/faultp.h"
#include "store/numeric.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"
#include "store/valuecell.h"

class InterObj;
class InterObjRep;
class ValueList;

// Passes one Value to a native function (DLL calls): push() adds the argument for the
// declared type code, by value or (byRef) as the address of a temporary of that type;
// after the call finish() writes a by-reference temporary back into the value.
class OVSTORE_API StackPusher {
 public:
  virtual ~StackPusher();
  virtual void push(DynArgs& args, unsigned char declType, bool byRef) = 0;
  virtual void finish() = 0;
};

class OVSTORE_API Value : public CountedObject {
 public:
  Value() {}
  ~Value() override;

  virtual unsigned char type() const;
  // The value a reference to this value yields: by default this value (with a new count).
  virtual Value* eval(const ValueList* args);

  virtual Value* operator+(Value& r);
  virtual Value* operator*(Value& r);
  virtual Value* operator-(Value& r);
  virtual Value* operator/(Value& r);
  virtual Value* operator%(Value& r);
  virtual Value* intDiv(Value& r);
  virtual Value* exp(Value& r);
  virtual Value* operator>(Value& r);
  virtual Value* operator<(Value& r);
  virtual Value* operator==(Value& r);
  virtual Value* operator!=(Value& r);
  virtual Value* operator>=(Value& r);
  virtual Value* operator<=(Value& r);
  virtual Value* operator&(Value& r);
  virtual Value* operator|(Value& r);
  virtual Value* operator^(Value& r);
  virtual Value* operator~();
  virtual Value* eqv(Value& r);
  virtual Value* imp(Value& r);

  // Takes src's value, converted to this value's type.
  virtual Value& operator=(Value& src);

  virtual void get(short& v);
  virtual void get(long& v);
  virtual void get(float& v);
  virtual void get(double& v);
  virtual void get(Currency& v);
  virtual void get(ValString& v);
  virtual void get(InterObj& v);
  virtual void set(short v);
  virtual void set(long v);
  virtual void set(float v);
  virtual void set(double v);
  virtual void set(const Currency& v);
  virtual void set(const ValString& v);
  virtual void set(const InterObj& v);

  // The value as a cell (out is cleared first). Base: by type(): 10 is StoreException
  // 32725, 7 is TypeMismatch (object values override).
  virtual void getCell(ValueCell& out);
  // A new pusher for this value (the caller deletes it; the value must outlive it).
  virtual StackPusher* getStackPusher();

  // Conveniences over get (errors as in numeric.h).
  short asShort();
  long asLong();
  double asDouble();
  ValString asString();
  // false instead of an exception when the value has no text form.
  bool toText(ValString& out);
  // Writes a cell through the matching set(); object cells are TypeMismatch here (see
  // SetValueFromCell).
  void setCell(const ValueCell& c);

  // A new value (count 0) holding c's content with c's type code.
  static Value* FromCell(const ValueCell& c);

 private:
  Value* binary(NumOp op, Value& r);
};

// Writes any cell, objects included, into v. H is the object handle type (InterObj,
// complete where this is called with object cells).
template <class H = InterObj>
void SetValueFromCell(Value& v, const ValueCell& c) {
  if (c.type == kTypeObject) {
    H h(c.obj.rep, tIndirectReference);
    v.set(h);
  } else {
    v.setCell(c);
  }
}

// Cell <-> C++ scalars, for the value templates.
inline void CellFromT(ValueCell& c, short v) { c.setShort(v); }
inline void CellFromT(ValueCell& c, long v) { c.setLong((int32_t)v); }
inline void CellFromT(ValueCell& c, float v) { c.setFloat(v); }
inline void CellFromT(ValueCell& c, double v) { c.setDouble(v); }
inline void CellFromT(ValueCell& c, const Currency& v) { c.setCurrency(v); }
inline void CellFromT(ValueCell& c, const ValString& v) { c.setString(v); }
inline void CellToT(const ValueCell& c, short& v) { v = CellToShort(c); }
inline void CellToT(const ValueCell& c, long& v) { v = CellToLong(c); }
inline void CellToT(const ValueCell& c, float& v) { v = CellToFloat(c); }
inline void CellToT(const ValueCell& c, double& v) { v = CellToDouble(c); }
inline void CellToT(const ValueCell& c, Currency& v) { v = CellToCurrency(c); }
inline void CellToT(const ValueCell& c, ValString& v) { v = CellToString(c); }

// A value held by the Value itself. set() is virtual so a subclass can write through
// (a native property value).
template <class T, unsigned char n>
class DirectValue : public Value {
 public:
  DirectValue() : v_() {}
  explicit DirectValue(const T& v) : v_(v) {}

  using Value::get;
  using Value::set;
  unsigned char type() const override { return n; }
  void getCell(ValueCell& out) override { CellFromT(out, v_); }
  Value& operator=(Value& src) override {
    ValueCellVar c;
    src.getCell(c);
    CellToT(c, v_);
    return *this;
  }
  void set(short v) override { assign(v); }
  void set(long v) override { assign(v); }
  void set(float v) override { assign(v); }
  void set(double v) override { assign(v); }
  void set(const Currency& v) override { assign(v); }
  void set(const ValString& v) override { assign(v); }

  const T& value() const { return v_; }
  T& value() { return v_; }

 protected:
  template <class S>
  void assign(const S& s) {
    ValueCellVar c;
    CellFromT(c, s);
    CellToT(c, v_);
  }
  T v_;
};

// A by-reference view over a C++ variable: reads and writes go to the variable, so a
// handler's changes are in the caller's variable after the call.
template <class T, unsigned char n>
class IndirectValue : public Value {
 public:
  explicit IndirectValue(T& var) : p_(&var) {}

  using Value::get;
  using Value::set;
  unsigned char type() const override { return n; }
  void getCell(ValueCell& out) override { CellFromT(out, *p_); }
  Value& operator=(Value& src) override {
    ValueCellVar c;
    src.getCell(c);
    CellToT(c, *p_);
    return *this;
  }
  void set(short v) override { assign(v); }
  void set(long v) override { assign(v); }
  void set(float v) override { assign(v); }
  void set(double v) override { assign(v); }
  void set(const Currency& v) override { assign(v); }
  void set(const ValString& v) override { assign(v); }

  T& variable() const { return *p_; }

 protected:
  template <class S>
  void assign(const S& s) {
    ValueCellVar c;
    CellFromT(c, s);
    CellToT(c, *p_);
  }
  T* p_;
};

// An object value (code 7). H is InterObj; its header must be included where this is
// instantiated.
template <class H>
class DirectValue<H, kTypeObject> : public Value {
 public:
  DirectValue() : v_() {}
  explicit DirectValue(const H& v) : v_(v) {}

  using Value::get;
  using Value::set;
  unsigned char type() const override { return kTypeObject; }
  void getCell(ValueCell& out) override {
    if (v_.isNull())
      out.setNothing();
    else
      out.setObject(v_.get());
  }
  Value& operator=(Value& src) override {
    if (src.type() != kTypeObject) throw TypeMismatch("DirectValueClassFactory");
    src.get(v_);
    return *this;
  }
  void get(H& v) override { v = v_; }
  void set(const H& v) override { v_ = v; }

  const H& value() const { return v_; }
  H& value() { return v_; }

 protected:
  H v_;
};

// A new value (count 0) holding any cell, objects included (DirectValue<H,7>; H is
// InterObj, complete where this is called). Arrays are TypeMismatch.
template <class H = InterObj>
Value* ValueFromCell(const ValueCell& c) {
  if (c.type == kTypeObject) return new DirectValue<H, kTypeObject>(H(c.obj.rep, tIndirectReference));
  return Value::FromCell(c);
}

// A new value (count 0) of type code `code` (1..6) holding value converted: long to
// short, long to float, double to float and every other numeric/string pair. Other codes
// are TypeMismatch("DirectValueClassFactory").
OVSTORE_API Value* DirectValueClassFactory(unsigned char code, Value& value);

// Arguments of a member or event call: element 0 is the first Basic argument. ppush adds
// a count on the value (a fresh `new` value becomes owned by the list); the list releases
// its values when it goes.
class OVSTORE_API ValueList : public CountedObject {
 public:
  ValueList() {}
  ValueList(const ValueList&) = delete;
  ValueList& operator=(const ValueList&) = delete;
  ~ValueList() override;

  void ppush(Value* v);
  int entries() const { return (int)items_.size(); }
  bool isEmpty() const { return items_.empty(); }
  Value* operator[](int i) const { return items_[(size_t)i]; }
  // Asserts the index.
  Value* at(int i) const;
  void clear();

 private:
  std::vector<Value*> items_;
};

// A counted holder of a Value (results, locals).
class OVSTORE_API ValuePtr {
 public:
  ValuePtr() : p_(nullptr) {}
  explicit ValuePtr(Value* v);  // takes a new count
  ValuePtr(const ValuePtr& o);
  ValuePtr(ValuePtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ~ValuePtr();
  ValuePtr& operator=(const ValuePtr& o);
  ValuePtr& operator=(Value* v);  // takes a new count
  // Takes over the count a result carries ("the caller releases").
  void adopt(Value* counted);
  // Hands the held count to the caller; this becomes null.
  Value* detach();
  void clear();

  Value* get() const { return p_; }
  Value* operator->() const { return p_; }
  Value& operator*() const { return *p_; }
  bool isNull() const { return p_ == nullptr; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  Value* p_;
};
