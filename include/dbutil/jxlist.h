// JxNode and JxList: an intrusive ring list. The list keeps its last node, whose next
// node is the first. It owns its nodes only through deleteNodes.
#pragma once

#include "dbutil/jxobject.h"

class JXUTL04_API JxNode : public JxObject {
 public:
  JxNode() : next_(nullptr) {}
  ~JxNode() override;
  JxNode* getNext() const { return next_; }

 private:
  friend class JxList;
  JxNode* next_;
};

// A list is a node itself, so that one class can serve as head and element.
class JXUTL04_API JxList : public JxNode {
 public:
  JxList() : last_(nullptr), count_(0), cursor_(nullptr) {}
  ~JxList() override;  // leaves the nodes alone

  void insert(JxNode* node);  // first
  void append(JxNode* node);  // last
  // Takes out a node of this list; a node that is not in it is left alone.
  void unlink(JxNode* node);
  void deleteNodes();

  // Cursor walk: getFirstNode or getLastNode, then getNextNode until null. With no
  // cursor (nothing started, or its node unlinked) getNextNode answers null.
  JxNode* getFirstNode();
  JxNode* getLastNode();
  JxNode* getNextNode();
  JxNode* removeFirstNode();
  JxNode* removeLastNode();

  // Cursor-free access.
  JxNode* first() const { return last_ ? last_->next_ : nullptr; }
  JxNode* last() const { return last_; }
  // The node after n, null after the last.
  JxNode* after(const JxNode* n) const { return n == last_ ? nullptr : n->next_; }
  uint32_t getCount() const { return count_; }
  int isEmpty() const { return last_ == nullptr; }

 private:
  JxNode* last_;
  uint32_t count_;
  JxNode* cursor_;
};
