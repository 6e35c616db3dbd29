// Array fields and their per-object element storage.
#include "store/field_array.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/interobj.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {
const int kMaxDims = 8;
// The most one array's cells may take: the 32-bit product has under 2 GB for everything.
const uint64_t kMaxArrayBytes = 0x40000000;

// The element count of bounds, refusing inverted bounds and arrays beyond the byte cap.
size_t CheckedCellCount(const std::vector<ArrayBound>& bounds) {
  if (bounds.size() > (size_t)kMaxDims) throw StoreException("Too many array dimensions.");
  if (bounds.empty()) return 0;
  uint64_t total = 1;
  for (const ArrayBound& b : bounds) {
    // lower - 1 is an empty dimension (ReDim a(-1)).
    if ((int64_t)b.upper < (int64_t)b.lower - 1)
      throw StoreException("Array bounds are inverted: the upper bound " + std::to_string(b.upper) +
                           " is below the lower bound " + std::to_string(b.lower) + ".");
    total *= (uint64_t)b.count();
    if (total > kMaxArrayBytes / sizeof(ValueCell)) throw StoreException("Array too large.");
  }
  return (size_t)total;
}
}  // namespace

// --- ArrayData ------------------------------------------------------------------------

ArrayData::ArrayData(unsigned char elementType) : type_(elementType) {}

ArrayData::~ArrayData() {
  releaseRange(0, count_);
  std::free(raw_);
  for (ValueCell& c : cells_) c.clear();
}

// Strings and objects are kept as one counted pointer each (null: "" or Nothing).
void ArrayData::releaseRange(size_t from, size_t to) {
  if (!raw_) return;
  if (type_ == kTypeString) {
    ValStringRep** r = static_cast<ValStringRep**>(raw_);
    for (size_t i = from; i < to; ++i)
      if (ValStringRep* rep = r[i]) {
        r[i] = nullptr;
        rep->unref();
      }
  } else if (type_ == kTypeObject) {
    InterObjRep** r = static_cast<InterObjRep**>(raw_);
    for (size_t i = from; i < to; ++i)
      if (InterObjRep* rep = r[i]) {
        r[i] = nullptr;
        static_cast<CountedObject*>(rep)->unref();
      }
  }
}

ArrayData* NewArrayData(unsigned char type) { return new ArrayData((unsigned char)(type & 0x1F)); }

size_t ArrayData::RawSize(unsigned char type) {
  switch (type) {
    case kTypeShort:
      return sizeof(int16_t);
    case kTypeLong:
      return sizeof(int32_t);
    case kTypeFloat:
      return sizeof(float);
    case kTypeDouble:
      return sizeof(double);
    case kTypeCurrency:
      return sizeof(int64_t);
    case kTypeString:
      return sizeof(ValStringRep*);
    case kTypeObject:
      return sizeof(InterObjRep*);
    default:
      return 0;
  }
}

int32_t ArrayData::offsetOf(const int32_t* idx, int n) const {
  if (n != (int)bounds_.size())
    throw StoreException("Wrong number of array indexes: " + std::to_string(n) + " given, " +
                         std::to_string(bounds_.size()) + " expected.");
  int64_t off = 0;  // below the byte cap, so it fits 32 bits at the end
  for (int i = 0; i < n; ++i) {
    const ArrayBound& b = bounds_[(size_t)i];
    if (idx[i] < b.lower || idx[i] > b.upper) throw RangeError(kMsgIndexOutOfRange, b.lower, b.upper, idx[i]);
    off = off * b.count() + ((int64_t)idx[i] - b.lower);
  }
  return (int32_t)off;
}

void ArrayData::redim(const std::vector<ArrayBound>& bounds, bool preserve) {
  size_t total = CheckedCellCount(bounds);
  if (preserve && !bounds_.empty()) {
    if (bounds.size() != bounds_.size())
      throw StoreException("Redim Preserve cannot change the number of dimensions.");
    for (size_t i = 0; i + 1 < bounds.size(); ++i)
      if (bounds[i].lower != bounds_[i].lower || bounds[i].upper != bounds_[i].upper)
        throw StoreException("Redim Preserve can only change the last dimension.");
  }
  const size_t raw = RawSize(type_);
  // The new elements: raw numbers in one zero fill, or cells of the type's empty value.
  void* newRaw = nullptr;
  std::vector<ValueCell> cells;
  if (raw) {
    if (total) {
      newRaw = std::calloc(total, raw);
      if (!newRaw) throw std::bad_alloc();
    }
  } else {
    cells.resize(total);
    for (ValueCell& c : cells) {
      c.init();
      StoreDefaultCell(c, type_);
    }
  }
  if (preserve && !bounds_.empty()) {
    // Same leading dimensions: element (i..., j) moves to (i..., j) in the new layout.
    size_t last = bounds.size() - 1;
    int64_t oldLast = bounds_[last].count(), newLast = bounds[last].count();
    int64_t rows = oldLast ? (int64_t)count_ / oldLast : 0;
    for (int64_t r = 0; r < rows; ++r)
      for (int64_t j = 0; j < oldLast; ++j) {
        int64_t idx = bounds_[last].lower + j;
        if (idx < bounds[last].lower || idx > bounds[last].upper) continue;
        size_t to = (size_t)(r * newLast + (idx - bounds[last].lower)), from = (size_t)(r * oldLast + j);
        if (raw) {
          std::memcpy(static_cast<char*>(newRaw) + to * raw, static_cast<char*>(raw_) + from * raw, raw);
          if (HoldsCounts(type_)) std::memset(static_cast<char*>(raw_) + from * raw, 0, raw);  // moved
        } else
          cells[to].moveFrom(cells_[from]);
      }
  }
  // The elements left behind; the array has its new shape before their counts go, so
  // that an object dropped here sees it whole.
  void* oldRaw = raw_;
  size_t oldCount = count_;
  raw_ = newRaw;
  cells_.swap(cells);
  count_ = total;
  bounds_ = bounds;
  if (oldRaw && HoldsCounts(type_)) {
    ArrayData old(type_);
    old.raw_ = oldRaw;
    old.count_ = oldCount;
    return;  // old's destructor releases and frees them
  }
  std::free(oldRaw);
  for (ValueCell& c : cells) c.clear();
}

void ArrayData::getCellOther(int32_t off, ValueCell& out) const {
  switch (type_) {
    case kTypeString:
      out.setString(static_cast<ValStringRep* const*>(raw_)[off]);
      return;
    case kTypeObject:
      out.setObject(static_cast<InterObjRep* const*>(raw_)[off]);
      return;
    case kTypeFloat:
      out.setFloat(static_cast<const float*>(raw_)[off]);
      return;
    case kTypeCurrency:
      out.setCurrency(Currency::fromRaw(static_cast<const int64_t*>(raw_)[off]));
      return;
    default:
      out.copyFrom(cells_[(size_t)off]);
      return;
  }
}

void ArrayData::setCellOther(int32_t off, const ValueCell& c) {
  ValueCellVar v;
  v.c.copyFrom(c);
  if (type_ == kTypeObject) {
    if (v.c.type != kTypeObject) throw TypeMismatch("array element");
  } else if (type_ != kTypeNone) {
    if (v.c.type == kTypeObject) throw TypeMismatch("array element");
    CellConvert(v.c, type_);
  }
  switch (type_) {
    case kTypeShort:
      static_cast<int16_t*>(raw_)[off] = v.c.s;
      return;
    case kTypeLong:
      static_cast<int32_t*>(raw_)[off] = v.c.l;
      return;
    case kTypeFloat:
      static_cast<float*>(raw_)[off] = v.c.f;
      return;
    case kTypeDouble:
      static_cast<double*>(raw_)[off] = v.c.d;
      return;
    case kTypeCurrency:
      static_cast<int64_t*>(raw_)[off] = v.c.cy;
      return;
    case kTypeString: {  // v's count moves into the array
      ValStringRep*& slot = static_cast<ValStringRep**>(raw_)[off];
      ValStringRep* old = slot;
      slot = v.c.str;
      v.c.type = kTypeNone;
      if (old) old->unref();
      return;
    }
    case kTypeObject: {
      InterObjRep*& slot = static_cast<InterObjRep**>(raw_)[off];
      InterObjRep* old = slot;
      slot = v.c.obj.rep;
      v.c.type = kTypeNone;
      if (old) static_cast<CountedObject*>(old)->unref();
      return;
    }
    default:
      cells_[(size_t)off].moveFrom(v.c);
      return;
  }
}

ArrayData* ArrayData::clone() const {
  std::unique_ptr<ArrayData> d(new ArrayData(type_));
  d->bounds_ = bounds_;
  if (size_t raw = RawSize(type_)) {
    if (count_) {
      d->raw_ = std::malloc(count_ * raw);
      if (!d->raw_) throw std::bad_alloc();
      d->count_ = count_;
      if (!HoldsCounts(type_)) {
        std::memcpy(d->raw_, raw_, count_ * raw);
      } else {
        // One count per element, taken in turn: those not reached yet stay null.
        std::memset(d->raw_, 0, count_ * raw);
        for (size_t i = 0; i < count_; ++i) {
          if (type_ == kTypeString) {
            if (ValStringRep* r = static_cast<ValStringRep**>(raw_)[i])
              static_cast<ValStringRep**>(d->raw_)[i] = ValStringRep::Share(r);
          } else if (InterObjRep* r = static_cast<InterObjRep**>(raw_)[i]) {
            static_cast<CountedObject*>(r)->ref();
            static_cast<InterObjRep**>(d->raw_)[i] = r;
          }
        }
      }
    }
  } else {
    d->cells_.resize(cells_.size());
    for (size_t i = 0; i < cells_.size(); ++i) {
      d->cells_[i].init();
      d->cells_[i].copyFrom(cells_[i]);
    }
  }
  d->count_ = count_;
  return d.release();
}

void WriteCell(OCLStream& s, const ValueCell& c);
void ReadCell(OCLStream& s, ValueCell& c, unsigned char module);

void ArrayData::write(OCLStream& s) const {
  s.write((UCHAR)bounds_.size());
  for (const ArrayBound& b : bounds_) {
    s.write((ULONG)b.lower);
    s.write((ULONG)b.upper);
  }
  if (RawSize(type_)) {
    ValueCellVar c;
    for (size_t i = 0; i < count_; ++i) {
      getCell((int32_t)i, c.c);
      WriteCell(s, c.c);
    }
    return;
  }
  for (const ValueCell& c : cells_) WriteCell(s, c);
}

void ArrayData::read(OCLStream& s, unsigned char module) {
  UCHAR n = 0;
  s.read(&n);
  std::vector<ArrayBound> b(n);
  for (ArrayBound& x : b) {
    ULONG lo = 0, hi = 0;
    s.read(&lo);
    s.read(&hi);
    x.lower = (int32_t)lo;
    x.upper = (int32_t)hi;
  }
  // Every element takes at least its type byte: bounds beyond the bytes left are damage.
  s.checkCount((ULONG)std::min<size_t>(CheckedCellCount(b), 0xFFFFFFFFu), 1, "an array");
  redim(b, false);
  if (RawSize(type_)) {
    ValueCellVar c;
    for (size_t i = 0; i < count_; ++i) {
      ReadCell(s, c.c, module);
      setCell((int32_t)i, c.c);
    }
    return;
  }
  for (ValueCell& c : cells_) ReadCell(s, c, module);
}

// --- ArrayField ------------------------------------------------------------------------

ArrayField::ArrayField(const char* name, unsigned char elementType, const char* className, uint16_t flags)
    : DataField(name, (unsigned char)((elementType & 0x1F) | kTypeArrayFlag), className, flags) {}

ArrayField::~ArrayField() {}

ArrayField* MakeArrayField(const char* name, unsigned char t, const char* cls, uint16_t flags) {
  switch (t & 0x1F) {
    case kTypeShort:
      return new InterArray<short, 1>(name, flags);
    case kTypeLong:
      return new InterArray<long, 2>(name, flags);
    case kTypeFloat:
      return new InterArray<float, 3>(name, flags);
    case kTypeDouble:
      return new InterArray<double, 4>(name, flags);
    case kTypeCurrency:
      return new InterArray<Currency, 5>(name, flags);
    case kTypeString:
      return new InterArray<ValString, 6>(name, flags);
    case kTypeObject:
      return new InterObjArrayField(name, cls, flags);
    default:
      return new InterArray<ValueCell, 0>(name, flags);
  }
}

void ArrayField::defineDimen(int i, int32_t lower, int32_t upper, Context*) {
  if (i < 0 || i >= kMaxDims) throw StoreException("Too many array dimensions.");
  if ((size_t)i >= declared_.size()) declared_.resize((size_t)i + 1, ArrayBound{0, -1});
  declared_[(size_t)i] = ArrayBound{lower, upper};
  // Refused where it is declared, not later where it is first used.
  CheckedCellCount(declared_);
}

RWCString ArrayField::formatDecl() const {
  std::string t = "Dim " + name_ + "(";
  for (size_t i = 0; i < declared_.size(); ++i) {
    if (i) t += ", ";
    t += std::to_string(declared_[i].lower) + " To " + std::to_string(declared_[i].upper);
  }
  t += ") As ";
  t += (elementType() == kTypeObject && !class_.empty()) ? class_ : IdTypeString(elementType()).string();
  return RWCString(t.c_str());
}

RWCString ArrayField::declarationText(const InterObjRep*) const { return formatDecl(); }

ArrayData* ArrayField::data(InterObjRep& self) {
  if (ArrayData* d = self.ownArray(this)) return d;
  ArrayData* d = nullptr;
  // A derived object starts from a copy of its prototype's elements.
  for (InterObjRep* p = self.parent(); p && !d; p = p->parent())
    if (ArrayData* pd = p->ownArray(this)) d = pd->clone();
  if (!d) {
    d = newData();
    d->redim(declared_, false);
  }
  self.setOwnArray(this, d);
  return d;
}

void ArrayField::redim(InterObjRep& self, const std::vector<ArrayBound>& bounds, bool preserve) {
  data(self)->redim(bounds, preserve);
  self.changed();
}

int32_t ArrayField::lbound(InterObjRep& self, int dim) {
  ArrayData* d = data(self);
  if (dim < 1 || dim > (int)d->bounds().size())
    throw RangeError(kMsgIndexOutOfRange, 1, (long)d->bounds().size(), dim);
  return d->bounds()[(size_t)dim - 1].lower;
}

int32_t ArrayField::ubound(InterObjRep& self, int dim) {
  ArrayData* d = data(self);
  if (dim < 1 || dim > (int)d->bounds().size())
    throw RangeError(kMsgIndexOutOfRange, 1, (long)d->bounds().size(), dim);
  return d->bounds()[(size_t)dim - 1].upper;
}

namespace {
int Indexes(const ValueList& idx, int32_t* out) {
  int n = idx.entries();
  if (n > kMaxDims) throw StoreException("Too many array indexes.");
  for (int i = 0; i < n; ++i) out[i] = (int32_t)idx[i]->asLong();
  return n;
}
}  // namespace

Value* ArrayField::getElement(InterObjRep& self, const ValueList& idx) {
  int32_t ix[kMaxDims];
  int n = Indexes(idx, ix);
  ArrayData* d = data(self);
  ValueCellVar c;
  d->getCell(d->offsetOf(ix, n), c.c);
  return CountedResult(StoreValueFromCell(c.c));
}

void ArrayField::setElement(InterObjRep& self, const ValueList& idx, const Value& v) {
  int32_t ix[kMaxDims];
  int n = Indexes(idx, ix);
  ArrayData* d = data(self);
  ValueCellVar c;
  const_cast<Value&>(v).getCell(c.c);
  d->setCell(d->offsetOf(ix, n), c.c);
  self.changed();
}

Value* ArrayField::get(InterObjRep& self) {
  return CountedResult<Value>(new DirectValue<long, kTypeLong>((long)data(self)->total()));
}

void ArrayField::set(InterObjRep&, const Value&) {
  throw StoreException("Array '" + name_ + "' needs an index.");
}

Value* ArrayField::evaluate(InterObjRep& self, const ValueList* args) {
  if (!args || args->entries() == 0) return get(self);
  return getElement(self, *args);
}

void ArrayField::assign(InterObjRep& self, const ValueList* args, const Value& v) {
  if (!args || args->entries() == 0) set(self, v);
  setElement(self, *args, v);
}

void ArrayField::writeDef(OCLStream& s) const {
  Field::writeDef(s);
  s.write((ULONG)declared_.size());
  for (const ArrayBound& b : declared_) {
    s.write((ULONG)b.lower);
    s.write((ULONG)b.upper);
  }
}

// --- ArrayReferenceField ------------------------------------------------------------------

ArrayReferenceField::ArrayReferenceField(unsigned char elementCode, const char* name)
    : ArrayField(name, elementCode) {}

void ArrayReferenceField::bind(InterObjRep&, InterObjRep& srcObj, ArrayField* src) {
  srcObj_ = &srcObj;
  src_ = src;
}

ArrayData* ArrayReferenceField::data(InterObjRep& self) {
  if (src_ && srcObj_) return src_->data(*srcObj_);
  return ArrayField::data(self);
}
