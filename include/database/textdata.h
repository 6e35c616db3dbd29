// Text selections: the rows, columns and text ranges that dynasets and Text objects work
// on, kept as items of one array per record source (TextDataArray) and named by counted
// indices (TextDataIndex).
//
// A selection may narrow another one through its link: the second word of the third
// paragraph is a word item linked to a paragraph item linked to the whole text. Each
// item counts the indices and links that hold it; when the count reaches 0 the item
// releases its own link and goes back to the array's free list.
//
// Items are plain words so that the array can keep them in blocks that never move; a
// free item lends its first two values to the free list (next free index, run length).
#pragma once

#include <cstdint>

#include "database/ovdb_api.h"
#include "utils/blockarraywithfreelist.h"

// Selection kinds.
enum TextDataKind : int32_t {
  tdCharacters = 0,         // a character range
  tdWords = 1,              // a word range (fields of a delimited text)
  tdParagraphs = 2,         // a row or paragraph range
  tdStart = 3,              // the empty range at the start of the enclosing selection
  tdParagraphAppended = 4,  // a paragraph range just appended to (becomes tdParagraphs)
  tdWordAppended = 6,       // a word range just appended to (becomes tdWords)
  tdColumn = 8,             // one column
  tdColumnAlike = 9,        // computed like a column
  tdColumns = 10,           // some columns
  tdRows = 11,              // some rows
  tdAll = 12,               // the whole text (item 0 of every record source)
};

struct STextDataRep {
  enum : uint8_t { kInUse = 0x01 };

  int32_t first;   // start or units to skip; the next free index while free
  int32_t second;  // number of units; the run length while free
  int32_t kind;    // TextDataKind
  int32_t stamp;   // the source's change counter when the offsets were computed
  int32_t startOffset;
  int32_t endOffset;
  uint8_t flags;
  uint8_t reserved;
  int16_t count;  // indices and links holding the item
  int32_t link;   // the enclosing selection this one narrows; -1 none

  // The free list's view (BlockArrayWithFreeList).
  bool isUsed() const { return (flags & kInUse) != 0; }
  bool isFree() const { return !isUsed(); }
  void markUsed() { flags |= kInUse; }
  void markFree() { flags &= (uint8_t)~kInUse; }
  unsigned next() const { return (unsigned)first; }
  void setNext(unsigned i) { first = (int32_t)i; }
  unsigned run() const { return (unsigned)second; }
  void setRun(unsigned n) { second = (int32_t)n; }

  // A template for TextDataArray::add: the values given, stamp and offsets 0, no count.
  static STextDataRep Make(int32_t kind, int32_t first, int32_t second, int32_t link = -1) {
    STextDataRep r = {};
    r.kind = kind;
    r.first = first;
    r.second = second;
    r.link = link;
    return r;
  }
};
static_assert(sizeof(STextDataRep) == 32, "selection items are eight words");

class OVDB_API TextDataArray : public BlockArrayWithFreeList<STextDataRep> {
 public:
  TextDataArray() : BlockArrayWithFreeList<STextDataRep>(32) {}

  // A new item with the template's kind, values, stamp and offsets, and the template's
  // link (held by the new item); its count starts at 0. Answers its index.
  int32_t add(const STextDataRep& templ);
  // One more holder of item i (-1: nothing).
  void ref(int32_t i);
  // One holder fewer; an item no longer held releases its link (and so on along the
  // chain) and goes back to the free list.
  void release(int32_t i);
  // The item at i, or null for -1 and indices beyond the array or not in use.
  STextDataRep* at(int32_t i);
  // Items in use.
  unsigned usedCount();
};

// A counted index of a selection: holding one keeps the item (and its chain) alive.
class OVDB_API TextDataIndex {
 public:
  TextDataIndex() : array_(nullptr), index_(-1) {}
  // Holds item i of array (-1: none).
  TextDataIndex(TextDataArray& array, int32_t i);
  // Makes a selection (kind, first, second) narrowing next (may be none) and holds it.
  TextDataIndex(TextDataArray& array, int32_t kind, int32_t first, int32_t second,
                const TextDataIndex& next = TextDataIndex());
  TextDataIndex(const TextDataIndex& o);
  ~TextDataIndex();

  TextDataIndex& operator=(const TextDataIndex& o);
  // Holds item j of the same array instead (-1: none).
  TextDataIndex& operator=(int32_t j);

  // A new selection with source's kind, values and link.
  static TextDataIndex Duplicate(const TextDataIndex& source);

  int32_t index() const { return index_; }
  bool isNull() const { return index_ < 0 || !array_; }
  TextDataArray* array() const { return array_; }
  // The item, or null.
  STextDataRep* item() const { return array_ ? array_->at(index_) : nullptr; }

 private:
  TextDataArray* array_;
  int32_t index_;
};
