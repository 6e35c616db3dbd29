// Text selections in their block array.
#include "database/textdata.h"

#include "utils/xexception.h"

int32_t TextDataArray::add(const STextDataRep& templ) {
  unsigned index = 0;
  STextDataRep& item = nextFree(&index);
  item.first = templ.first;
  item.second = templ.second;
  item.kind = templ.kind;
  item.stamp = templ.stamp;
  item.startOffset = templ.startOffset;
  item.endOffset = templ.endOffset;
  item.count = 0;
  item.link = -1;
  // The link may name any item in use (even the template's own chain).
  if (templ.link >= 0 && at(templ.link)) {
    ref(templ.link);
    (*this)[index].link = templ.link;
  }
  return (int32_t)index;
}

STextDataRep* TextDataArray::at(int32_t i) {
  if (i < 0 || (unsigned)i >= count()) return nullptr;
  STextDataRep& item = (*this)[(unsigned)i];
  return item.isUsed() ? &item : nullptr;
}

void TextDataArray::ref(int32_t i) {
  if (i < 0) return;
  STextDataRep* item = at(i);
  if (!item) utilsAssert("item.isUsed()", __FILE__, __LINE__);
  if (item->count == INT16_MAX) utilsAssert("count<32767", __FILE__, __LINE__);
  ++item->count;
}

void TextDataArray::release(int32_t i) {
  // A loop, not recursion: a long chain of narrowed selections must not use the stack.
  while (i >= 0) {
    STextDataRep* item = at(i);
    if (!item) utilsAssert("item.isUsed()", __FILE__, __LINE__);
    if (item->count <= 0) utilsAssert("count>0", __FILE__, __LINE__);
    if (--item->count > 0) return;
    int32_t link = item->link;
    item->link = -1;
    setFree((unsigned)i);
    i = link;
  }
}

unsigned TextDataArray::usedCount() {
  unsigned n = 0;
  forEach([](STextDataRep& item, void* arg) { *static_cast<unsigned*>(arg) += item.isUsed() ? 1 : 0; }, &n);
  return n;
}

TextDataIndex::TextDataIndex(TextDataArray& array, int32_t i) : array_(&array), index_(-1) { *this = i; }

TextDataIndex::TextDataIndex(TextDataArray& array, int32_t kind, int32_t first, int32_t second,
                             const TextDataIndex& next)
    : array_(&array), index_(-1) {
  // A link into another source's array cannot be held here.
  int32_t link = next.array_ == &array ? next.index_ : -1;
  *this = array.add(STextDataRep::Make(kind, first, second, link));
}

TextDataIndex::TextDataIndex(const TextDataIndex& o) : array_(o.array_), index_(-1) { *this = o.index_; }

TextDataIndex::~TextDataIndex() { *this = -1; }

TextDataIndex& TextDataIndex::operator=(const TextDataIndex& o) {
  if (this == &o) return *this;
  if (array_ != o.array_) {
    *this = -1;
    array_ = o.array_;
  }
  return *this = o.index_;
}

TextDataIndex& TextDataIndex::operator=(int32_t j) {
  if (j == index_) return *this;
  if (!array_) {
    if (j >= 0) utilsAssert("array", __FILE__, __LINE__);
    return *this;
  }
  // Take the new item first: j may be held only through the old one's chain.
  if (j >= 0) array_->ref(j);
  int32_t old = index_;
  index_ = j < 0 ? -1 : j;
  if (old >= 0) array_->release(old);
  return *this;
}

TextDataIndex TextDataIndex::Duplicate(const TextDataIndex& source) {
  STextDataRep* item = source.item();
  if (!item) return TextDataIndex();
  STextDataRep templ = *item;
  TextDataIndex made;
  made.array_ = source.array_;
  made = source.array_->add(templ);
  return made;
}
