// Values at the interpreter's edges: typed stores into variables, cells <-> heap values,
// arrays held in cells, and run-time error annotation.
#include <new>

#include "interp.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/value.h"

// Array storage held by a cell: owns the elements of a local array, or views the
// elements of an object's array field (owned by the object).
class LocalArray : public CountedObject {
 public:
  LocalArray(ArrayData* data, bool owned) : data_(data), owned_(owned) {}
  ~LocalArray() override {
    if (owned_) delete data_;
  }
  ArrayData* data() const { return data_; }

 private:
  ArrayData* data_;
  bool owned_;
};

// An array as a value: an object's array given as an argument to a native method (a
// local array goes as a reference to its variable). Reading it gives the array again.
class ArrayCellValue : public Value {
 public:
  explicit ArrayCellValue(const ValueCell& c) {
    c_.init();
    c_.copyFrom(c);
  }
  ~ArrayCellValue() override { c_.clear(); }
  unsigned char type() const override { return c_.type; }
  void getCell(ValueCell& out) override { out.copyFrom(c_); }

 private:
  ValueCell c_;
};

void CellInitType(ValueCell& c, unsigned char type, ArrayField* array) {
  if (!IsArrayType(type)) {
    DataField::DefaultCell(c, type);
    return;
  }
  if (!array) {  // an array argument not bound yet
    c.clear();
    c.type = kTypeNoValue;
    return;
  }
  ArrayData* d = array->newData();
  std::vector<ArrayBound> bounds;
  for (int i = 0; i < array->dimensions(); ++i) bounds.push_back(array->declaredBound(i));
  try {
    d->redim(bounds, false);
  } catch (...) {
    delete d;
    throw;
  }
  CellSetArray(c, d, ElementType(type));
}

void CellSetArray(ValueCell& c, ArrayData* data, unsigned char elem) {
  LocalArray* a;
  try {
    a = new LocalArray(data, true);
  } catch (...) {
    delete data;  // handed over to the cell
    throw;
  }
  c.setArray(a, elem);
}

// A cell viewing an object's array (for passing a member array by reference).
void CellViewArray(ValueCell& c, ArrayData* data, unsigned char elem) {
  LocalArray* a = new LocalArray(data, false);
  c.setArray(a, elem);
}

ArrayData* CellArray(const ValueCell& c) {
  if (!IsArrayType(c.type) || !c.arr) return nullptr;
  return static_cast<LocalArray*>(c.arr)->data();
}

void CellStore(ValueCell& dst, const ValueCell& v, int kind) {
  unsigned char t = dst.type;
  if (kind == ASSIGN_SET || kind == ASSIGN_DEEP_SET) {  // Set
    if (v.type != kTypeObject || (t != kTypeObject && t != kTypeNone && t != kTypeNoValue))
      throw TypeMismatch("Set");
    dst.copyFrom(v);
    return;
  }
  if (t == v.type || t == kTypeNone || t == kTypeNoValue) {
    dst.copyFrom(v);
    return;
  }
  if (IsArrayType(t) || IsArrayType(v.type) || t == kTypeObject || v.type == kTypeObject)
    throw TypeMismatch("assignment");
  ValueCellVar tmp;
  tmp.c.copyFrom(v);
  CellConvert(tmp.c, t);
  dst.moveFrom(tmp.c);
}

Value* CellToValue(const ValueCell& c) {
  if (c.type == kTypeNone) {
    ValueCellVar empty;
    empty.c.type = kTypeNoValue;
    return Value::FromCell(empty.c);
  }
  if (IsArrayType(c.type)) return new ArrayCellValue(c);
  return ValueFromCell<InterObj>(c);
}

void CellFromValue(ValueCell& out, Value* v) {
  if (!v) {
    out.clear();
    out.type = kTypeNoValue;
    return;
  }
  if (v->type() == kTypeNoValue) {
    out.clear();
    out.type = kTypeNoValue;
    return;
  }
  v->getCell(out);
}

void ValueFromCellWrite(Value& v, const ValueCell& c) { SetValueFromCell<InterObj>(v, c); }

InterObjRep* CellObject(const ValueCell& c, const char* what) {
  if (c.type != kTypeObject) throw TypeMismatch(what);
  return c.obj.rep;
}

void AnnotateException(StoreException& e, const StackFrame& frame) {
  if (e.line() < 0) e.setLine(frame.line);
  if (e.memberName().empty() && frame.procName) e.setMemberName(frame.procName);
  if (e.objectName().empty() && frame.me) {
    e.setObjectName(frame.me->fullName().c_str());
  }
}

unsigned char FieldCellType(Field* f) {
  if (!f) return 0;
  if (f->isArrayData()) return (unsigned char)(static_cast<ArrayField*>(f)->elementType() | kTypeArrayFlag);
  return f->typeCode();
}

// Arguments: the parser declares ByVal arguments with mode 2 (the field's by-value flag);
// a field without it is passed by reference.
bool FieldByValue(Field* f) { return !f || f->hasFlag(Field::kByValue); }

void CellConvertForParam(ValueCell& c, Field* param) {
  unsigned char t = FieldCellType(param);
  if (t == c.type || IsArrayType(t) || t == kTypeObject || t == kTypeNone || t == kTypeNoValue) return;
  if (c.type == kTypeObject || IsArrayType(c.type)) throw TypeMismatch("argument");
  CellConvert(c, t);
}

void ThrowRuntime(const char* text) { throw StoreException(text); }
void ThrowRuntime(unsigned id, const char* arg) { throw StoreException(id, arg); }
