// ValueCell: a plain tagged value for the interpreter's fast path.
//
// A POD (no constructor or destructor: it lives in arrays and on the C++ stack without
// cost); whoever owns a cell calls init() before first use and clear() when done.
// Numbers are held inline; a string holds one count on its ValStringRep (null reads as
// ""); an object holds one strong count on the object (null = Nothing); an array
// (type = element code | 0x20) holds one count on its storage object.
//
// Objects are kept as two pointers: the InterObjRep for the object model and the same
// object seen as its CountedObject base, so counting works where InterObjRep is only
// declared. setObject() is a template so the conversion happens where InterObjRep is
// complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "store/counted.h"
#include "store/currency.h"
#include "store/types.h"
#include "store/valstring.h"

class InterObjRep;

struct ValueCell {
  unsigned char type;  // TypeCode; kTypeNone = holds nothing
  union {
    int16_t s;
    int32_t l;
    float f;
    double d;
    int64_t cy;         // Currency raw (ten-thousandths)
    ValStringRep* str;  // counted; null = ""
    struct {
      InterObjRep* rep;        // null = Nothing
      CountedObject* counted;  // the same object as counted base
    } obj;
    CountedObject* arr;  // counted array storage (type & 0x20)
  };

  void init() { type = kTypeNone; }
  bool holdsCount() const { return type == kTypeString || type == kTypeObject || (type & kTypeArrayFlag); }
  void clear() {
    if (holdsCount()) releasePayload();
    type = kTypeNone;
  }

  void setShort(int16_t v) {
    clear();
    type = kTypeShort;
    s = v;
  }
  void setLong(int32_t v) {
    clear();
    type = kTypeLong;
    l = v;
  }
  void setFloat(float v) {
    clear();
    type = kTypeFloat;
    f = v;
  }
  void setDouble(double v) {
    clear();
    type = kTypeDouble;
    d = v;
  }
  void setCurrency(Currency v) {
    clear();
    type = kTypeCurrency;
    cy = v.raw;
  }
  void setBool(bool v) { setShort(v ? -1 : 0); }
  // Takes one more count on rep (a new rep with count 0 becomes owned by the cell).
  void setString(ValStringRep* rep) {
    if (rep) rep = ValStringRep::Share(rep);
    clear();
    type = kTypeString;
    str = rep;
  }
  // Takes over a count the caller already holds.
  void adoptString(ValStringRep* rep) {
    clear();
    type = kTypeString;
    str = rep;
  }
  void setString(const ValString& v) { setString(v.rep()); }
  template <class R>
  void setObject(R* rep) {
    CountedObject* c = rep ? static_cast<CountedObject*>(rep) : nullptr;
    if (c) c->ref();
    clear();
    type = kTypeObject;
    obj.rep = rep;
    obj.counted = c;
  }
  void setNothing() {
    clear();
    type = kTypeObject;
    obj.rep = nullptr;
    obj.counted = nullptr;
  }
  // An array reference; code is the element code (0x20 is added).
  void setArray(CountedObject* storage, unsigned char elementCode) {
    if (storage) storage->ref();
    clear();
    type = (unsigned char)(elementCode | kTypeArrayFlag);
    arr = storage;
  }

  Currency currency() const { return Currency::fromRaw(cy); }
  const char* text() const { return str ? str->c_str() : ""; }
  size_t textLength() const { return str ? str->length() : 0; }

  // this := o (counts taken); self-assignment is safe.
  void copyFrom(const ValueCell& o) {
    if (this == &o) return;
    if (o.type == kTypeString) return setString(o.str);  // may take a copy of a full one
    if (o.holdsCount()) o.refPayload();
    clear();
    std::memcpy(static_cast<void*>(this), &o, sizeof(ValueCell));
  }
  // this := o, o becomes empty (no count traffic).
  void moveFrom(ValueCell& o) {
    if (this == &o) return;
    clear();
    std::memcpy(static_cast<void*>(this), &o, sizeof(ValueCell));
    o.type = kTypeNone;
  }

 private:
  OVSTORE_API void releasePayload();
  OVSTORE_API void refPayload() const;
};

static_assert(std::is_trivially_copyable<ValueCell>::value, "ValueCell must stay a POD");

// A cell that clears itself: for C++ code that is not the interpreter's hot loop.
class ValueCellVar {
 public:
  ValueCellVar() { c.init(); }
  ~ValueCellVar() { c.clear(); }
  ValueCellVar(const ValueCellVar& o) {
    c.init();
    c.copyFrom(o.c);
  }
  ValueCellVar& operator=(const ValueCellVar& o) {
    c.copyFrom(o.c);
    return *this;
  }
  ValueCell* operator->() { return &c; }
  const ValueCell* operator->() const { return &c; }
  operator ValueCell&() { return c; }
  operator const ValueCell&() const { return c; }
  ValueCell c;
};
