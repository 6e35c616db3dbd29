// JxTree: sizes, node access, search, insertion with splits, deletion by marking.
// Node images that change shape (insertion, split) are read into a work buffer and
// written back whole; look-ups and in-place edits go through tmpPointer, one node at a
// time, since its pointer holds only until the next store operation.
#include "dbutil/jxtree.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

short treeU32Compare(const void* a, const void* b, unsigned long) {
  uint32_t x, y;
  memcpy(&x, a, 4);
  memcpy(&y, b, 4);
  return x < y ? -1 : x > y ? 1 : 0;
}

static uint32_t get32(const char* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
}

static void put32(char* p, uint32_t v) { memcpy(p, &v, 4); }

static short bytewiseCompare(const void* a, const void* b, unsigned long n) {
  return static_cast<short>(BUTMMCMP(a, b, static_cast<uint32_t>(n)));
}

JxTree::JxTree(unsigned short keyLength, unsigned short dataLength, JxTreeCompare compare,
               unsigned int deletionMarks)
    : tmp_(JxTmpFile::DEFAULT_CACHE),
      root_(0),
      keyCount_(0),
      keyLength_(keyLength),
      dataLength_(dataLength),
      compare_(compare ? compare : bytewiseCompare),
      flags_(deletionMarks ? DELETION_MARKS : 0),
      entry_(nullptr),
      work_(nullptr),
      split_(nullptr),
      nodesMade_(0),
      greatestDepth_(0),
      lastDepth_(0) {
  unsigned mark = deletionMarks ? 1 : 0;
  unsigned slot = (keyLength + dataLength + 4 + mark + 3) & ~3u;
  unsigned order = NODE_ROOM / slot + 1;
  if (order > MAX_ORDER) order = MAX_ORDER;
  slotSize_ = static_cast<unsigned short>(slot);
  order_ = static_cast<unsigned short>(order);
  nodeSize_ = static_cast<unsigned short>((order - 1) * slot + HEADER);
  entrySize_ = static_cast<unsigned short>(keyLength + dataLength + mark);
  own_.tree_ = this;
  tmp_.getContiguousSpace(1);  // no node at position 0
}

JxTree::~JxTree() {
  ramFree(entry_);
  ramFree(work_);
  ramFree(split_);
}

// Working buffers, made with the first key: the entry being inserted and the one carried
// up by a split (one allocation), and the two node images of a split.
JxStatus JxTree::ensureStarted() {
  if (entry_) return 0;
  if (order_ < 3) {  // slots above 1018 bytes: a split would leave a node without a key
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  entry_ = static_cast<char*>(ramAllocZ(2u * entrySize_ + 2));
  work_ = static_cast<char*>(ramAllocZ(nodeSize_ + slotSize_));
  split_ = static_cast<char*>(ramAllocZ(nodeSize_));
  if (entry_ && work_ && split_) return own_.initialize(this);
  ramFree(entry_);
  ramFree(work_);
  ramFree(split_);
  entry_ = work_ = split_ = nullptr;
  return 1;
}

uint16_t JxTree::slotCount(const char* node) const {
  uint16_t n;
  memcpy(&n, node, 2);
  return n;
}

void JxTree::setSlotCount(char* node, uint16_t n) const { memcpy(node, &n, 2); }

uint32_t JxTree::child(const char* node, uint32_t i) const {
  uint32_t c;
  memcpy(&c, node + 8 + slotSize_ * i, 4);
  return c;
}

void JxTree::setChild(char* node, uint32_t i, uint32_t position) const {
  memcpy(node + 8 + slotSize_ * i, &position, 4);
}

uint32_t JxTree::u32KeyAt(const char* node, uint32_t i) const {
  uint32_t v;
  memcpy(&v, keyAt(node, i), 4);
  return v;
}

void JxTree::setU32KeyAt(char* node, uint32_t i, uint32_t v) const { memcpy(keyAt(node, i), &v, 4); }

char* JxTree::nodePointer(uint32_t position, int forWrite) {
  char* p = nullptr;
  uint32_t left;
  return tmp_.tmpPointer(position, &p, &left, forWrite) ? nullptr : p;
}

JxStatus JxTree::readNode(uint32_t position, char* image) { return tmp_.tmpRead(position, image, nodeSize_); }

JxStatus JxTree::writeNode(uint32_t position, const char* image) {
  return tmp_.tmpWrite(position, image, nodeSize_);
}

JxStatus JxTree::makeNode(uint32_t& position, char* image) {
  position = tmp_.getContiguousSpace(nodeSize_);
  if (!position) return 1;
  ++nodesMade_;
  memset(image + 2, 0, 2);  // rebase mark
  memcpy(image + 4, &position, 4);
  return writeNode(position, image);
}

int JxTree::nodeSearch(const char* node, const void* key, unsigned short& index) const {
  int lo = 0, hi = slotCount(node) - 2, mid = 0;
  bool positive = false;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    short r = compare_(key, keyAt(node, mid), keyLength_);
    positive = r > 0;
    if (positive) {
      lo = mid + 1;
    } else if (r < 0 || isMarked(node, mid)) {
      hi = mid - 1;
    } else {
      index = static_cast<unsigned short>(mid);
      return 1;
    }
  }
  index = static_cast<unsigned short>(positive ? mid + 1 : mid);
  return 0;
}

JxStatus JxTree::treeSearch(const void* key, uint32_t& nodePosition, unsigned short& index,
                            unsigned int& found) {
  own_.clearPath();
  own_.total_ = 0;
  own_.flags_ = 0;
  lastDepth_ = 0;
  found = 0;
  nodePosition = 0;
  index = 0;
  for (uint32_t pos = root_; pos;) {
    const char* node = nodePointer(pos, 0);
    if (!node) return 1;
    unsigned short i;
    int hit = nodeSearch(node, key, i);
    uint32_t next = child(node, i);
    ++lastDepth_;
    if (own_.push(pos, i)) return 1;
    nodePosition = pos;
    index = i;
    if (hit) {
      noteFoundDepth(lastDepth_);
      found = 1;
      own_.flags_ |= JxTreeIterator::POSITIONED;
      return 0;
    }
    pos = next;
  }
  return 0;
}

// Opens a slot at index: keys from index on and the child pointers right of them move up
// by one slot; the entry (key, data, mark) goes in with rightChild on its right.
void JxTree::insertInNode(char* node, unsigned short index, const char* entry, uint32_t rightChild) const {
  uint16_t n = slotCount(node);
  char* at = keyAt(node, index);
  memmove(at + slotSize_, at, static_cast<size_t>(slotSize_) * (n - index - 1));
  memcpy(at, entry, entrySize_);
  setChild(node, index + 1u, rightChild);
  setSlotCount(node, static_cast<uint16_t>(n + 1));
}

JxStatus JxTree::add(const void* key, const void* data, unsigned int* found) {
  *found = 0;
  if (ensureStarted()) return 1;
  memcpy(entry_, key, keyLength_);
  if (dataLength_) {
    if (data)
      memcpy(entry_ + keyLength_, data, dataLength_);
    else
      memset(entry_ + keyLength_, 0, dataLength_);
  }
  if (hasMarks()) entry_[keyLength_ + dataLength_] = 0;
  if (!root_) {
    memset(split_, 0, nodeSize_);
    setSlotCount(split_, 2);
    memcpy(keyAt(split_, 0), entry_, entrySize_);
    if (makeNode(root_, split_)) return 1;
    keyCount_ = 1;
    own_.clearPath();
    return 0;
  }
  uint32_t node;
  unsigned short index;
  unsigned int hit;
  if (treeSearch(key, node, index, hit)) return 1;
  if (hit) {
    *found = 1;
    return 0;
  }
  if (isPositional()) put32(entry_, get32(entry_) - own_.total_);
  ++keyCount_;
  JxStatus s = insertAtPath(entry_);
  own_.clearPath();
  return s;
}

// Inserts the entry at the leaf on top of the own iterator's path, reusing a marked
// entry in its place, else splitting full nodes up the path as needed.
JxStatus JxTree::insertAtPath(const char* entry) {
  int level = own_.depth() - 1;
  uint32_t pos = own_.nodeAt(static_cast<unsigned short>(level));
  unsigned short index = static_cast<unsigned short>(own_.indexAt(static_cast<unsigned short>(level)));
  const char* leaf = nodePointer(pos, 0);
  if (!leaf) return 1;
  if (index < slotCount(leaf) - 1 && isMarked(leaf, index)) {
    char* w = nodePointer(pos, 1);
    if (!w) return 1;
    memcpy(keyAt(w, index), entry, entrySize_);
    return 0;
  }
  char* carry = entry_ + entrySize_ + 1;  // the separator going up
  const char* pending = entry;
  uint32_t right = 0;
  for (;;) {
    if (readNode(pos, work_)) return 1;
    insertInNode(work_, index, pending, right);
    if (slotCount(work_) <= order_) return writeNode(pos, work_);
    // Over-full by one key: keys 0..e-1 stay, key e goes up, the rest moves out.
    unsigned e = order_ / 2;
    memcpy(carry, keyAt(work_, e), entrySize_);
    memset(split_, 0, nodeSize_);
    setSlotCount(split_, static_cast<uint16_t>(order_ - e));
    memcpy(split_ + 8, work_ + 8 + slotSize_ * (e + 1), slotSize_ * (order_ - e - 1) + 4u);
    if (isPositional()) {
      // The new node's base is the separator: its keys become relative to it. The bases
      // of the subtrees below do not change.
      uint32_t sep = get32(carry);
      for (unsigned k = 0; k + 1 < static_cast<unsigned>(order_ - e); ++k)
        setU32KeyAt(split_, k, u32KeyAt(split_, k) - sep);
    }
    setSlotCount(work_, static_cast<uint16_t>(e + 1));
    memset(keyAt(work_, e), 0, nodeSize_ + slotSize_ - (HEADER + slotSize_ * e));
    uint32_t newPos;
    if (makeNode(newPos, split_) || writeNode(pos, work_)) return 1;
    if (level == 0) {
      memset(split_, 0, nodeSize_);
      setSlotCount(split_, 2);
      setChild(split_, 0, pos);
      setChild(split_, 1, newPos);
      memcpy(keyAt(split_, 0), carry, entrySize_);
      uint32_t newRoot;
      if (makeNode(newRoot, split_)) return 1;
      root_ = newRoot;
      return 0;
    }
    --level;
    pos = own_.nodeAt(static_cast<unsigned short>(level));
    index = static_cast<unsigned short>(own_.indexAt(static_cast<unsigned short>(level)));
    if (isPositional() && index >= 1) {
      // Into the parent's frame: add the base of the node that split.
      const char* parent = nodePointer(pos, 0);
      if (!parent) return 1;
      put32(carry, get32(carry) + u32KeyAt(parent, index - 1u));
    }
    pending = carry;
    right = newPos;
  }
}

// Deletes the entry found at (node, index): a leaf with two or more keys drops it, else
// it is marked. The own iterator then stands in the gap, so that stepping goes on from
// the neighbours.
JxStatus JxTree::removeFound(uint32_t node, unsigned short index) {
  char* p = nodePointer(node, 1);
  if (!p) return 1;
  uint16_t n = slotCount(p);
  if (child(p, 0) == 0 && n >= 3) {
    memmove(keyAt(p, index), keyAt(p, index + 1u), static_cast<size_t>(slotSize_) * (n - 2 - index));
    setSlotCount(p, static_cast<uint16_t>(n - 1));
    own_.flags_ &= ~JxTreeIterator::POSITIONED;
  } else if (hasMarks()) {
    keyAt(p, index)[keyLength_ + dataLength_] = 1;
  } else {
    utlErrorById(MSG_INVALID_PARAMETER);  // no mark to leave behind
    return 1;
  }
  --keyCount_;
  return 0;
}

JxStatus JxTree::deleteKey(const void* key, unsigned int* found) {
  uint32_t node;
  unsigned short index;
  if (treeSearch(key, node, index, *found)) return 1;
  return *found ? removeFound(node, index) : 0;
}

JxStatus JxTree::getData(const void* key, void* data, unsigned int* found) {
  uint32_t node;
  unsigned short index;
  if (treeSearch(key, node, index, *found)) return 1;
  if (!*found || !dataLength_ || !data) return 0;
  const char* p = nodePointer(node, 0);
  if (!p) return 1;
  memcpy(data, keyAt(p, index) + keyLength_, dataLength_);
  return 0;
}

JxStatus JxTree::changeData(const void* key, const void* data) {
  uint32_t node;
  unsigned short index;
  unsigned int found;
  if (treeSearch(key, node, index, found)) return 1;
  if (!found || !dataLength_) return 0;
  char* p = nodePointer(node, 1);
  if (!p) return 1;
  memcpy(keyAt(p, index) + keyLength_, data, dataLength_);
  return 0;
}

JxStatus JxTree::changeKey(const void* oldKey, const void* newKey) {
  uint32_t node;
  unsigned short index;
  unsigned int found;
  if (treeSearch(oldKey, node, index, found)) return 1;
  if (!found) return 0;
  char* p = nodePointer(node, 1);
  if (!p) return 1;
  char* keep = work_;  // add() reads the data before it touches the work image
  if (dataLength_) memcpy(keep, keyAt(p, index) + keyLength_, dataLength_);
  if (hasMarks()) {
    keyAt(p, index)[keyLength_ + dataLength_] = 1;
    --keyCount_;
  } else if (removeFound(node, index)) {
    return 1;
  }
  return add(newKey, keep, &found);
}

JxStatus JxTree::doesExist(const void* key, unsigned int* found) {
  uint32_t node;
  unsigned short index;
  return treeSearch(key, node, index, *found);
}

void JxTree::reset() {
  root_ = 0;
  keyCount_ = 0;
  nodesMade_ = 0;
  greatestDepth_ = lastDepth_ = 0;
  own_.clearPath();
  tmp_.tmpTruncate();
  tmp_.getContiguousSpace(1);
}
