// Array fields: each object holds its own elements (bounds and storage); the field
// holds the declared bounds used when an object first touches the array.
//
// ArrayField              the common part: dimensions, index checking, Redim.
// InterArray<T,n>         elements of one type (short 1, long 2, float 3, double 4,
//                         Currency 5, ValString 6); type code n + 0x20.
// ArrayData               one object's elements.
// InterObjArrayField      elements are object references (0x27).
// ArrayReferenceField     an array passed by reference: it views another object's array.
//
// Indexes are checked against the bounds: RangeError(32736, lower, upper, index).
// Up to 8 dimensions; the first index varies slowest.
#pragma once

#include <cstdint>
#include <vector>

#include "store/field.h"
#include "store/valuecell.h"

class Context;

struct ArrayBound {
  int32_t lower;
  int32_t upper;
  // In 64 bits: -2^31 To 2^31-1 holds 2^32 elements.
  int64_t count() const { return upper >= lower ? (int64_t)upper - lower + 1 : 0; }
};

// One object's elements of one array field, the first index varying slowest. Numbers
// (Integer, Long, Single, Double, Currency) are kept raw and contiguous in their own
// width, texts and objects as one counted pointer each (null: "" or Nothing), all made
// by one zero fill; Variants as cells.
class OVSTORE_API ArrayData : public Allocator {
 public:
  explicit ArrayData(unsigned char elementType);
  ~ArrayData();
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;

  unsigned char elementType() const { return type_; }
  const std::vector<ArrayBound>& bounds() const { return bounds_; }
  int32_t total() const { return (int32_t)count_; }
  // The raw elements of the number types (Integer: int16_t, Long: int32_t, Double: double,
  // ...), valid until the next Redim or Erase; null for the other types and when empty.
  void* rawElements() const { return raw_; }
  // Offset of the element at indexes; throws RangeError(32736) when out of bounds, and
  // StoreException when the number of indexes is wrong.
  int32_t offsetOf(const int32_t* idx, int n) const;
  // Offset of a one-dimensional array's element i (bounds checked as offsetOf).
  int32_t offsetOf1(int32_t i) const {
    if (bounds_.size() == 1 && i >= bounds_[0].lower && i <= bounds_[0].upper) return i - bounds_[0].lower;
    return offsetOf(&i, 1);
  }
  // New bounds; preserve keeps the elements at the same indexes where they survive.
  void redim(const std::vector<ArrayBound>& bounds, bool preserve);
  void getCell(int32_t off, ValueCell& out) const {
    switch (type_) {
      case kTypeShort:
        out.setShort(static_cast<const int16_t*>(raw_)[off]);
        return;
      case kTypeLong:
        out.setLong(static_cast<const int32_t*>(raw_)[off]);
        return;
      case kTypeDouble:
        out.setDouble(static_cast<const double*>(raw_)[off]);
        return;
      default:
        getCellOther(off, out);
        return;
    }
  }
  // Converted to the element type.
  void setCell(int32_t off, const ValueCell& c) {
    if (c.type == type_) {
      switch (type_) {
        case kTypeShort:
          static_cast<int16_t*>(raw_)[off] = c.s;
          return;
        case kTypeLong:
          static_cast<int32_t*>(raw_)[off] = c.l;
          return;
        case kTypeDouble:
          static_cast<double*>(raw_)[off] = c.d;
          return;
        default:
          break;
      }
    }
    setCellOther(off, c);
  }
  ArrayData* clone() const;
  void write(OCLStream& s) const;
  void read(OCLStream& s, unsigned char module);

 private:
  void getCellOther(int32_t off, ValueCell& out) const;
  void setCellOther(int32_t off, const ValueCell& c);
  // Bytes per element of the raw types, 0 for cells.
  static size_t RawSize(unsigned char type);
  // Raw elements that hold counts (strings, objects).
  static bool HoldsCounts(unsigned char type) { return type == kTypeString || type == kTypeObject; }
  // Releases the counted elements [from, to) and nulls them.
  void releaseRange(size_t from, size_t to);

  unsigned char type_;
  std::vector<ArrayBound> bounds_;
  size_t count_ = 0;
  void* raw_ = nullptr;           // the numbers (malloc'd), for raw types
  std::vector<ValueCell> cells_;  // the elements of the other types
};

// Element storage for a type code (1-7).
OVSTORE_API ArrayData* NewArrayData(unsigned char type);

class ArrayField;
// An array field of element type (1-7) for the module reader and the parser.
OVSTORE_API ArrayField* MakeArrayField(const char* name, unsigned char elementType,
                                       const char* className = "", uint16_t flags = 0);

class OVSTORE_API ArrayField : public DataField {
 public:
  ArrayField(const char* name, unsigned char elementType, const char* className = "", uint16_t flags = 0);
  ~ArrayField() override;
  int isArrayData() const override { return 1; }
  unsigned char elementType() const { return (unsigned char)(typeCode_ & 0x1F); }

  // Declares dimension i (0-based) with bounds; ctx is where bound expressions were
  // evaluated (unused by the store).
  void defineDimen(int i, int32_t lower, int32_t upper, Context* ctx = nullptr);
  int dimensions() const { return (int)declared_.size(); }
  const ArrayBound& declaredBound(int i) const { return declared_[i]; }
  // "Dim a(1 To 10, 0 To 3) As Long".
  RWCString formatDecl() const;
  RWCString declarationText(const InterObjRep* obj = nullptr) const override;

  // self's elements (made from the declared bounds on first use).
  virtual ArrayData* data(InterObjRep& self);
  // Redim: new bounds for self's array; preserve keeps the elements whose offsets
  // survive (only the last dimension may change then, else StoreException).
  void redim(InterObjRep& self, const std::vector<ArrayBound>& bounds, bool preserve);
  int32_t lbound(InterObjRep& self, int dim);
  int32_t ubound(InterObjRep& self, int dim);

  // Element access with indexes given as a value list (each converted to Long).
  Value* getElement(InterObjRep& self, const ValueList& idx);
  void setElement(InterObjRep& self, const ValueList& idx, const Value& v);

  // Whole-array read gives the element count as a Long (no array values here).
  Value* get(InterObjRep& self) override;
  void set(InterObjRep& self, const Value& v) override;  // refused: StoreException
  Value* evaluate(InterObjRep& self, const ValueList* args) override;
  void assign(InterObjRep& self, const ValueList* args, const Value& v) override;
  bool textValue(InterObjRep&, RWCString&) override { return false; }
  unsigned char streamTag() const override { return 6; }
  void writeDef(OCLStream& s) const override;

  ArrayData* newData() const { return NewArrayData(elementType()); }

 protected:
  std::vector<ArrayBound> declared_;
};

template <class T, int n>
class InterArray : public ArrayField {
 public:
  static InterArray* make(const char* name, int mode = 0) {
    return new InterArray(name, (uint16_t)(mode == 1 ? kPrivate : mode == 2 ? kStatic : 0));
  }
  InterArray(const char* name, uint16_t flags = 0) : ArrayField(name, (unsigned char)n, "", flags) {}
};

class OVSTORE_API InterObjArrayField : public ArrayField {
 public:
  InterObjArrayField(const char* name, const char* className = "", uint16_t flags = 0)
      : ArrayField(name, 7, className, flags) {}
};

class OVSTORE_API ArrayReferenceField : public ArrayField {
 public:
  explicit ArrayReferenceField(unsigned char elementCode, const char* name = "");
  // Makes self's array a view of src's array field on srcObj (a by-reference argument).
  void bind(InterObjRep& self, InterObjRep& srcObj, ArrayField* src);
  ArrayData* data(InterObjRep& self) override;

 private:
  InterObjRep* srcObj_ = nullptr;  // not counted: a by-reference argument lives shorter
  ArrayField* src_ = nullptr;
};
