// JxTree: an ordered map from fixed-size keys to fixed-size data, a B-tree whose nodes
// live in a JxTmpFile, so that a tree may grow far beyond memory while only the pages in
// use are cached. "Not there" is never a failure: every operation answers a JxStatus
// (1 only when the store or the heap failed, with their message on the error list) and
// reports presence through a separate found flag.
//
// Deletion never restructures: with deletion marks a deleted entry is marked and stays
// (a leaf with two or more keys drops it), and a later insertion at its place reuses it.
// Nodes are never freed; reset() gives all the space back.
//
// Node layout in the store (little-endian): 0 slot count n (keys + 1), 2 rebase mark,
// 4 own position, then `order` slots of slotSize bytes from offset 8: child pointer i,
// key i, data i, deletion mark i. A node is a leaf when child pointer 0 is 0.
#pragma once

#include "dbutil/jxarray.h"
#include "dbutil/jxtmpfile.h"

class JxTree;

typedef short (*JxTreeCompare)(const void* searchKey, const void* entryKey, unsigned long keyLength);

// Unsigned 32-bit keys: -1, 0 or 1; the length is ignored.
JXUTL04_API short treeU32Compare(const void* a, const void* b, unsigned long keyLength);

// A position in a tree: the path from the root (node positions and slot indices) and,
// for positional trees, the base of the node on top of the path. An index of 0xFFFF on
// top means "before the first key". An iterator must not outlive an insertion or a
// physical removal in its tree.
class JXUTL04_API JxTreeIterator : public JxObject {
 public:
  enum { BEFORE_FIRST = 0xFFFF, POSITIONED = 1 };
  JxTreeIterator() : tree_(nullptr), total_(0), flags_(0) {}
  ~JxTreeIterator() override;
  JxStatus initialize(JxTree* tree);

 private:
  friend class JxTree;
  friend class JxPTree;
  JxStatus push(uint32_t node, uint32_t index);
  void pop() {
    nodes_.removeLast();
    indices_.removeLast();
  }
  void clearPath();
  unsigned short depth() const { return nodes_.getCount(); }
  uint32_t topNode() const { return nodes_.getValue(depth() - 1); }
  uint32_t topIndex() const { return indices_.getValue(depth() - 1); }
  void setTopIndex(uint32_t i);
  uint32_t nodeAt(unsigned short level) const { return nodes_.getValue(level); }
  uint32_t indexAt(unsigned short level) const { return indices_.getValue(level); }

  JxTree* tree_;
  JxArrayU32 nodes_;
  JxArrayU32 indices_;
  int32_t total_;
  uint32_t flags_;
};

class JXUTL04_API JxTree : public JxObject {
 public:
  enum { MAX_ORDER = 49, NODE_ROOM = 2036, HEADER = 12 };
  enum { DELETION_MARKS = 1, POSITIONAL = 2 };

  // compare null: bytewise over the key length. Slots must hold at most 1018 bytes
  // (order 3 or more); with larger ones every add fails with "Invalid Parameter".
  JxTree(unsigned short keyLength, unsigned short dataLength, JxTreeCompare compare,
         unsigned int deletionMarks);
  ~JxTree() override;

  JxStatus add(const void* key, const void* data, unsigned int* found);
  JxStatus deleteKey(const void* key, unsigned int* found);
  // Copies the data (nothing with data length 0).
  JxStatus getData(const void* key, void* data, unsigned int* found);
  JxStatus changeData(const void* key, const void* data);
  // Moves an entry to a new key; when the new key is present the old entry is gone and
  // the present one keeps its data.
  JxStatus changeKey(const void* oldKey, const void* newKey);
  JxStatus doesExist(const void* key, unsigned int* found);
  void reset();

  // Traversal; key and data may be null; iterator null = the tree's own one, which the
  // last search positioned. found is 0 past either end.
  virtual JxStatus getFirst(void* key, void* data, unsigned int* found, JxTreeIterator* it = nullptr);
  virtual JxStatus getNext(void* key, void* data, unsigned int* found, JxTreeIterator* it = nullptr);
  virtual JxStatus getPrevious(void* key, void* data, unsigned int* found, JxTreeIterator* it = nullptr);
  virtual JxStatus getLast(void* key, void* data, unsigned int* found, JxTreeIterator* it = nullptr);

  unsigned short getKeyLength() const { return keyLength_; }
  unsigned short getDataLength() const { return dataLength_; }
  unsigned short getOrder() const { return order_; }
  unsigned short getSlotSize() const { return slotSize_; }
  unsigned short getNodeSize() const { return nodeSize_; }
  uint32_t getKeyCount() const { return keyCount_; }
  uint32_t getNodesMade() const { return nodesMade_; }
  unsigned short getGreatestDepth() const { return greatestDepth_; }
  JxTmpFile& getTmpFile() { return tmp_; }

 protected:
  // Fills the own iterator with the path to key; index = where it is or would go.
  virtual JxStatus treeSearch(const void* key, uint32_t& nodePosition, unsigned short& index,
                              unsigned int& found);
  // Binary search over the keys of a node (deleted keys never match).
  int nodeSearch(const char* node, const void* key, unsigned short& index) const;
  // Node access through the store; the pointer holds until the next store operation.
  char* nodePointer(uint32_t position, int forWrite);
  JxStatus ensureStarted();
  void setPositional() { flags_ |= POSITIONAL; }
  int isPositional() const { return (flags_ & POSITIONAL) != 0; }
  int hasMarks() const { return (flags_ & DELETION_MARKS) != 0; }
  // Search statistics: the depth of a search that found its key.
  void noteFoundDepth(unsigned short depth) {
    lastDepth_ = depth;
    if (depth > greatestDepth_) greatestDepth_ = depth;
  }

  // Field access within a node image.
  uint16_t slotCount(const char* node) const;
  void setSlotCount(char* node, uint16_t n) const;
  uint32_t child(const char* node, uint32_t i) const;
  void setChild(char* node, uint32_t i, uint32_t position) const;
  char* keyAt(char* node, uint32_t i) const { return node + HEADER + slotSize_ * i; }
  const char* keyAt(const char* node, uint32_t i) const { return node + HEADER + slotSize_ * i; }
  uint32_t u32KeyAt(const char* node, uint32_t i) const;
  void setU32KeyAt(char* node, uint32_t i, uint32_t v) const;
  int isMarked(const char* node, uint32_t i) const {
    return hasMarks() && keyAt(node, i)[keyLength_ + dataLength_] == 1;
  }

  JxTreeIterator own_;
  JxTmpFile tmp_;
  uint32_t root_;
  uint32_t keyCount_;

 private:
  JxStatus insertAtPath(const char* entry);
  void insertInNode(char* node, unsigned short index, const char* entry, uint32_t rightChild) const;
  JxStatus makeNode(uint32_t& position, char* image);
  JxStatus writeNode(uint32_t position, const char* image);
  JxStatus readNode(uint32_t position, char* image);
  JxStatus getFirstOrLast(void* key, void* data, unsigned int* found, JxTreeIterator* it, int first);
  JxStatus step(JxTreeIterator* it, int forward, void* key, void* data, unsigned int* found);
  JxStatus descend(JxTreeIterator* it, uint32_t node, int leftmost);
  JxStatus climb(JxTreeIterator* it, int forward, unsigned int* found);
  JxStatus deliver(JxTreeIterator* it, void* key, void* data, unsigned int* found);
  JxStatus removeFound(uint32_t node, unsigned short index);

  unsigned short keyLength_;
  unsigned short dataLength_;
  JxTreeCompare compare_;
  uint32_t flags_;
  unsigned short order_;
  unsigned short slotSize_;
  unsigned short nodeSize_;
  unsigned short entrySize_;  // key + data + mark
  char* entry_;               // the entry being inserted or moved
  char* work_;                // a node image with room for one slot more
  char* split_;               // the new node of a split
  uint32_t nodesMade_;
  unsigned short greatestDepth_;
  unsigned short lastDepth_;
};
