// Intrusive lists and the pointer vector: bounds, insertion, removal and iteration.
#include <gtest/gtest.h>

#include "boundstext.h"

#include <string>
#include <vector>

#include "utils/rwisvdlist.h"
#include "utils/rwisvslist.h"
#include "utils/rwptrvector.h"
#include "utils/rwxmsg.h"

namespace {

struct SItem : RWIsvSlink {
  explicit SItem(int v) : value(v) {}
  int value;
};
struct DItem : RWIsvDlink {
  explicit DItem(int v) : value(v) {}
  int value;
};

// The values in list order, read through at(), and checked against a walk by next().
template <class L, class Item>
std::vector<int> values(const L& list) {
  std::vector<int> out;
  for (size_t i = 0; i < list.entries(); ++i) out.push_back(static_cast<Item*>(list.at(i))->value);
  return out;
}
std::vector<int> svalues(const RWIsvSlist& l) { return values<RWIsvSlist, SItem>(l); }
std::vector<int> dvalues(const RWIsvDlist& l) { return values<RWIsvDlist, DItem>(l); }
typedef std::vector<int> V;

const char kEmptyAt0[] = "[INDEX] Index (0) out of range [0->4294967295]";

TEST(RWIsvSlist, BoundsOfAtInsertAtRemoveAt) {
  RWIsvSlist list;
  EXPECT_EQ(boundsText([&] { list.at(0); }), kEmptyAt0);
  SItem a(1), b(2), c(3), d(4);
  list.insertAt(0, &b);
  list.insertAt(0, &a);
  list.insertAt(2, &d);  // entries: appends
  list.insertAt(2, &c);
  EXPECT_EQ(svalues(list), V({1, 2, 3, 4}));
  SItem e(5);
  EXPECT_EQ(boundsText([&] { list.insertAt(5, &e); }), "[INDEX] Index (5) out of range [0->3]");
  EXPECT_EQ(boundsText([&] { list.removeAt(4); }), "[INDEX] Index (4) out of range [0->3]");
  EXPECT_EQ(list.entries(), 4u);  // nothing changed
  EXPECT_EQ(list.removeAt(1), &b);
  EXPECT_EQ(list.removeAt(2), &d);
  EXPECT_EQ(list.lastLink(), &c);
  EXPECT_EQ(svalues(list), V({1, 3}));
}

TEST(RWIsvSlist, RemoveReferenceKeepsTheChain) {
  SItem a(1), b(2), c(3), stranger(9);
  RWIsvSlist list(&a);
  list.append(&b);
  list.append(&c);
  EXPECT_EQ(list.removeReference(&stranger), nullptr);
  EXPECT_EQ(list.removeReference(nullptr), nullptr);
  EXPECT_EQ(list.entries(), 3u);
  EXPECT_TRUE(list.containsReference(&c));
  EXPECT_EQ(list.findLeftIsv(&c), &b);
  EXPECT_EQ(list.removeReference(&c), &c);  // the last item
  EXPECT_EQ(c.next(), nullptr);
  EXPECT_FALSE(list.containsReference(&c));
  SItem d(4);
  list.insertAfterLink(list.lastLink(), &d);  // the chain continues from b
  EXPECT_EQ(list.lastLink(), &d);
  EXPECT_EQ(svalues(list), V({1, 2, 4}));
  EXPECT_EQ(list.removeRight(&a), &b);
  EXPECT_EQ(list.get(), &a);
  EXPECT_EQ(list.get(), &d);
  EXPECT_EQ(list.get(), nullptr);
  EXPECT_TRUE(list.isEmpty());
  list.append(&a);  // the empty list appends after its head again
  EXPECT_EQ(svalues(list), V({1}));
}

TEST(RWIsvSlist, IteratorWalksInsertsAndRemoves) {
  SItem a(1), b(2), c(3);
  RWIsvSlist list;
  RWIsvSlistIterator it(list);
  EXPECT_EQ(it(), nullptr);  // empty: straight to the tail
  list.append(&a);
  list.append(&c);
  it.reset(list);
  EXPECT_EQ(it.key(), nullptr);
  EXPECT_FALSE(it.atFirst());
  EXPECT_EQ(it(), &a);
  EXPECT_TRUE(it.atFirst());
  it.insertAfterPoint(&b);
  EXPECT_EQ(it += 2, &c);
  EXPECT_TRUE(it.atLast());
  EXPECT_EQ(it(), nullptr);  // past the end, and it stays there
  EXPECT_EQ(it(), nullptr);
  EXPECT_EQ(it.remove(), nullptr);
  it.toFirst();
  EXPECT_EQ(it.key(), &a);
  it.toLast();
  EXPECT_EQ(it.key(), &c);
  EXPECT_EQ(it.remove(), &c);  // steps back to b
  EXPECT_EQ(it.key(), &b);
  EXPECT_EQ(list.lastLink(), &b);
  EXPECT_EQ(svalues(list), V({1, 2}));

  RWTIsvSlist<SItem> typed;
  typed.append(&c);
  EXPECT_EQ(typed.first()->value, 3);
  typed.clear();  // the links stay as they are
  EXPECT_TRUE(typed.isEmpty());
}

struct Counted : RWIsvSlink {
  static int live;
  Counted() { ++live; }
  ~Counted() { --live; }
};
int Counted::live = 0;

TEST(RWIsvSlist, ClearAndDestroyDeletesTheItems) {
  RWTIsvSlist<Counted> list;
  for (int i = 0; i < 3; ++i) list.append(new Counted);
  EXPECT_EQ(Counted::live, 3);
  list.clearAndDestroy();
  EXPECT_EQ(Counted::live, 0);
  EXPECT_TRUE(list.isEmpty());
}

TEST(RWIsvDlist, BoundsAndRemoval) {
  RWIsvDlist list;
  EXPECT_EQ(boundsText([&] { list.at(0); }), kEmptyAt0);
  DItem a(1), b(2), c(3), d(4);
  list.insertAt(0, &a);
  list.insertAt(1, &c);
  EXPECT_EQ(list.insertAfterLink(&a, &b), &b);
  list.prepend(&d);
  EXPECT_EQ(dvalues(list), V({4, 1, 2, 3}));
  EXPECT_EQ(boundsText([&] { list.insertAt(5, &d); }), "[INDEX] Index (5) out of range [0->3]");
  EXPECT_EQ(boundsText([&] { list.removeAt(4); }), "[INDEX] Index (4) out of range [0->3]");
  EXPECT_EQ(list.removeAt(0), &d);
  EXPECT_EQ(list.removeReference(&b), &b);
  EXPECT_EQ(list.removeReference(nullptr), nullptr);
  EXPECT_EQ(a.next(), &c);
  EXPECT_EQ(c.prev(), &a);
  EXPECT_TRUE(list.containsReference(&c));
  EXPECT_FALSE(list.containsReference(&b));
  EXPECT_EQ(list.getLast(), &c);
  EXPECT_EQ(list.get(), &a);
  EXPECT_EQ(list.get(), nullptr);
  EXPECT_TRUE(list.isEmpty());
}

TEST(RWIsvDlist, IteratorBothWays) {
  DItem a(1), b(2), c(3);
  RWTIsvDlist<DItem> list;
  list.append(&a);
  list.append(&b);
  list.append(&c);
  RWIsvDlistIterator it(list);
  EXPECT_EQ(it -= 1, nullptr);  // already on the head
  EXPECT_EQ(it += 3, &c);
  EXPECT_TRUE(it.atLast());
  EXPECT_EQ(it += 5, nullptr);
  EXPECT_EQ(it -= 2, &b);
  EXPECT_EQ(--it, &a);
  EXPECT_TRUE(it.atFirst());
  EXPECT_EQ(--it, nullptr);
  EXPECT_EQ(it.remove(), nullptr);  // on the head sentinel
  it.toLast();
  EXPECT_EQ(it.remove(), &c);
  EXPECT_EQ(it.key(), &b);
  it.insertAfterPoint(&c);
  EXPECT_EQ(list.last()->value, 3);
  EXPECT_EQ(dvalues(list), V({1, 2, 3}));
}

TEST(RWPtrVector, ResizeAssignAndBounds) {
  int x, y;
  RWPtrVector v(2, &x);
  v.resize(4);
  ASSERT_EQ(v.length(), 4u);
  EXPECT_EQ(v[0], &x);
  EXPECT_EQ(v[1], &x);
  EXPECT_EQ(v[2], nullptr);
  EXPECT_EQ(v[3], nullptr);
  EXPECT_EQ(boundsText([&] { v[4]; }), "[INDEX] Index (4) out of range [0->3]");
  RWPtrVector w(v);
  w[3] = &y;
  EXPECT_EQ(v[3], nullptr);  // a copy of the entries
  v = w;
  EXPECT_EQ(v[3], &y);
  v = v;
  v.reshape(1);
  EXPECT_EQ(v.length(), 1u);
  EXPECT_EQ(v[0], &x);
  v = static_cast<void*>(&y);
  EXPECT_EQ(v[0], &y);
  RWPtrVector empty;
  EXPECT_EQ(boundsText([&] { empty.boundsCheck(0); }), kEmptyAt0);
}

}  // namespace
