#include "dbutil/jxlist.h"

JxNode::~JxNode() {}

JxList::~JxList() {}

void JxList::insert(JxNode* node) {
  if (!last_) {
    node->next_ = node;
    last_ = node;
  } else {
    node->next_ = last_->next_;
    last_->next_ = node;
  }
  ++count_;
}

void JxList::append(JxNode* node) {
  insert(node);
  last_ = node;
}

void JxList::unlink(JxNode* node) {
  if (!last_ || !node) return;
  JxNode* prev = last_;
  for (uint32_t i = 0; prev->next_ != node; ++i) {
    if (i >= count_) return;
    prev = prev->next_;
  }
  if (node->next_ == node) {
    last_ = nullptr;
  } else {
    prev->next_ = node->next_;
    if (node == last_) last_ = prev;
  }
  node->next_ = nullptr;
  --count_;
  if (cursor_ == node) cursor_ = nullptr;
}

void JxList::deleteNodes() {
  while (JxNode* n = removeFirstNode()) delete n;
}

JxNode* JxList::getFirstNode() { return cursor_ = first(); }

JxNode* JxList::getLastNode() { return cursor_ = last_; }

JxNode* JxList::getNextNode() {
  if (!cursor_) return nullptr;
  return cursor_ = after(cursor_);
}

JxNode* JxList::removeFirstNode() {
  JxNode* n = first();
  if (n) unlink(n);
  return n;
}

JxNode* JxList::removeLastNode() {
  JxNode* n = last_;
  if (n) unlink(n);
  return n;
}
