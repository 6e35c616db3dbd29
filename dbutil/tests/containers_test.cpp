// Arrays, lists, sets, dictionaries and sorted arrays (static build of the sources):
// the cases that matter, then randomized runs against standard-library models.
#include "dbutil/jxdictionary.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxlist.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsortedarray.h"
#include "ram_internal.h"
#include "scoped_list.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <list>
#include <map>
#include <random>
#include <vector>

namespace {

// Counts its deletions; orders by key.
struct Item : JxNode {
  static int deleted;
  explicit Item(long k = 0, int i = 0) : key(k), id(i) {}
  ~Item() override { ++deleted; }
  short compare(const JxObject* other) const override {
    long o = static_cast<const Item*>(other)->key;
    return key < o ? -1 : key > o ? 1 : 0;
  }
  long key;
  int id;
};
int Item::deleted = 0;

class Containers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(jxram::firstBlock(), nullptr);
    Item::deleted = 0;
  }
  void TearDown() override {
    jxram::failHeapAllocs(0, 0);
    EXPECT_EQ(jxram::firstBlock(), nullptr) << "blocks left: leak";
  }
};

struct GrowableArray : JxArray {
  using JxArray::increaseSize;
};

TEST_F(Containers, ArrayGrowthAndTheLimit) {
  ScopedErrorList errors;
  struct Case {
    unsigned short initial, step;
    unsigned int clamp;
    unsigned short after;
    JxStatus st;
  } cases[] = {
      {0, 16, 1, 16, 0},     {15990, 16, 1, 16000, 0}, {16000, 16, 1, 16000, 1}, {9000, 0, 1, 16000, 0},
      {9000, 0, 0, 9000, 1}, {100, 0, 0, 200, 0},      {15990, 16, 0, 15990, 1},
  };
  for (const Case& c : cases) {
    GrowableArray a;
    if (c.initial) {
      ASSERT_EQ(a.setInitialSize(c.initial), 0);
    }
    int marker;
    if (c.initial) a.appendNoCheck(reinterpret_cast<JxObject*>(&marker));
    JxErrorKeeper::clearLastError();
    EXPECT_EQ(a.increaseSize(c.step, 1, c.clamp), c.st) << c.initial << "+" << c.step;
    EXPECT_EQ(a.getCapacity(), c.after) << c.initial << "+" << c.step;
    EXPECT_EQ(errors.lastNumber(), c.st ? 2722 : 0);
    if (c.initial) {
      EXPECT_EQ(a.at(0), reinterpret_cast<JxObject*>(&marker));  // contents kept
    }
    JxErrorKeeper::clearLastError();
  }
  // Through addAtIndex: full at 16000, the next add fails and changes nothing.
  JxArray a;
  ASSERT_EQ(a.setInitialSize(15990), 0);
  for (int i = 0; i < 16000; ++i) ASSERT_EQ(a.add(nullptr), 0) << i;
  EXPECT_EQ(a.getCapacity(), 16000);
  EXPECT_EQ(a.add(nullptr), 1);
  EXPECT_EQ(errors.lastNumber(), 2722);
  EXPECT_EQ(a.getCount(), 16000);
}

TEST_F(Containers, ShrinkAndOwnership) {
  JxArray a;
  for (int i = 0; i < 10; ++i) a.add(new Item(i));
  EXPECT_EQ(a.getCapacity(), 16);
  a.deleteAtIndex(0);
  EXPECT_EQ(Item::deleted, 1);
  JxObject* kept = a.at(0);
  a.removeAtIndex(0);
  EXPECT_EQ(Item::deleted, 1);
  EXPECT_EQ(a.getCount(), 8);
  EXPECT_FALSE(a.doesExist(kept));
  EXPECT_TRUE(a.doesExist(a.at(3)));
  delete kept;
  a.deleteContents();
  EXPECT_EQ(Item::deleted, 10);
  EXPECT_EQ(a.getCount(), 0);
  EXPECT_EQ(a.getCapacity(), 16);  // the storage stays
  Item* item = new Item(1);
  {
    JxArray b;
    b.add(item);
  }  // the destructor frees the storage only
  EXPECT_EQ(Item::deleted, 10);
  delete item;
  Item::deleted = 0;
  // shrink(0) leaves no storage; the next add grows by the growth step.
  for (int i = 0; i < 5; ++i) a.add(nullptr);
  EXPECT_EQ(a.shrink(3), 0);
  EXPECT_EQ(a.getCapacity(), 3);
  EXPECT_EQ(a.getCount(), 3);
  EXPECT_EQ(a.shrink(0), 0);
  EXPECT_EQ(a.getCapacity(), 0);
  EXPECT_EQ(a.getCount(), 0);
  EXPECT_EQ(a.addAtIndex(nullptr, 0), 0);
  EXPECT_EQ(a.getCapacity(), 16);
  // Blocks of a JxArrayPVoid go back with ramFree (the leak check sees them).
  JxArrayPVoid blocks;
  for (int i = 0; i < 4; ++i) blocks.addPtr(ramAlloc(40));
  blocks.deleteAtIndex(1);
  blocks.deleteContents();
  EXPECT_EQ(blocks.getCount(), 0);
  JxArrayS32 signedValues;
  signedValues.addValue(-7);
  EXPECT_EQ(signedValues.getValue(0), -7);
  JxBitArray bits;
  ASSERT_EQ(bits.initialize(100), 0);
  bits.setBit(99);
  EXPECT_TRUE(bits.testBit(99));
  EXPECT_FALSE(bits.testBit(98));
  EXPECT_FALSE(bits.testBit(100));
}

TEST_F(Containers, SeqDictionaryAbsentKeys) {
  ScopedErrorList errors;
  JxSeqDictionary d;
  JxSubString alpha("Alpha"), absent("beta"), upper("ALPHA");
  d.addAssoc(7ul, 70ul);
  Item item;
  d.addAssoc(&alpha, &item);
  EXPECT_EQ(d.getIndexForKey(8ul), 2);
  EXPECT_EQ(d.getIntForKey(8ul), 0ul);
  EXPECT_EQ(d.getPtrForKey(8ul), nullptr);
  EXPECT_EQ(d.getIndexForKey(&absent), 2);
  EXPECT_EQ(d.getPtrForKey(&absent), nullptr);
  EXPECT_EQ(d.getIndexForKey(&upper), 2);  // case counts...
  d.setCaseInsensitive(1);
  EXPECT_EQ(d.getIndexForKey(upper), 1);  // ...unless the flag is set
  EXPECT_EQ(d.getPtrForKey(&upper), &item);
  EXPECT_EQ(d.getIntForKey(7ul), 70ul);
  EXPECT_EQ(d.changeData(7ul, 71ul), 0);
  EXPECT_EQ(d.getIntDataAtIndex(0), 71ul);
  EXPECT_EQ(d.changeData(9ul, 1ul), 1);
  EXPECT_EQ(errors.lastNumber(), 1517);
  EXPECT_EQ(d.getSubKeyAtIndex(1), &alpha);
  EXPECT_EQ(d.getIntKeyAtIndex(0), 7ul);
}

TEST_F(Containers, RingList) {
  Item a(1), b(2), c(3);
  JxList l;
  EXPECT_EQ(l.getFirstNode(), nullptr);
  l.insert(&a);  // on an empty list: first and last
  EXPECT_EQ(l.getFirstNode(), &a);
  EXPECT_EQ(l.getLastNode(), &a);
  EXPECT_EQ(a.getNext(), &a);
  l.unlink(&a);  // the only node
  EXPECT_TRUE(l.isEmpty());
  EXPECT_EQ(l.getFirstNode(), nullptr);
  EXPECT_EQ(a.getNext(), nullptr);
  EXPECT_EQ(l.getCount(), 0u);

  struct Case {
    const char* build;
    JxNode* unlinkIt;
    std::vector<long> left;
  } cases[] = {{"abc", &a, {2, 3}}, {"abc", &b, {1, 3}}, {"abc", &c, {1, 2}}, {"cba", &a, {3, 2}}};
  for (const Case& k : cases) {
    JxList m;
    for (const char* p = k.build; *p; ++p) m.append(*p == 'a' ? &a : *p == 'b' ? &b : &c);
    m.unlink(k.unlinkIt);
    std::vector<long> got;
    for (JxNode* n = m.getFirstNode(); n; n = m.getNextNode()) got.push_back(static_cast<Item*>(n)->key);
    EXPECT_EQ(got, k.left) << k.build;
    EXPECT_EQ(m.getCount(), 2u);
    while (m.removeLastNode()) {
    }
  }
  JxList m;
  m.append(&b);
  m.insert(&a);
  m.append(&c);
  EXPECT_EQ(m.getFirstNode(), &a);
  EXPECT_EQ(m.getNextNode(), &b);
  m.unlink(&b);  // the cursor's node: the walk has nowhere to go
  EXPECT_EQ(m.getNextNode(), nullptr);
  EXPECT_EQ(m.removeFirstNode(), &a);
  EXPECT_EQ(m.removeFirstNode(), &c);
  EXPECT_EQ(m.removeFirstNode(), nullptr);
  JxList owned;
  owned.append(new Item(5));
  owned.append(new Item(6));
  owned.deleteNodes();
  EXPECT_EQ(Item::deleted, 2);
  Item::deleted = 0;
}

uint32_t homeSlot(unsigned long h, unsigned short size) {
  return static_cast<uint32_t>(static_cast<uint32_t>(h) * 0x9E3779B9u) % size;
}

TEST_F(Containers, HashHomeSlotAndRebuild) {
  JxDictionary d;
  EXPECT_EQ(d.getTableSize(), 0);
  EXPECT_EQ(d.getIntForKey(5ul), 0ul);  // no table yet: no division by zero
  EXPECT_FALSE(d.doesExist(5ul));
  ASSERT_EQ(d.addAssoc(1000ul, 1ul), 0);
  EXPECT_EQ(d.getTableSize(), 13);
  ASSERT_NE(d.slotAt(static_cast<unsigned short>(homeSlot(1000, 13))), nullptr);
  for (unsigned long k = 1; k <= 8; ++k) d.addAssoc(k, k * 10);
  EXPECT_EQ(d.getCount(), 9ul);
  EXPECT_EQ(d.getTableSize(), 13);  // threshold 13 x 75 / 100 = 9
  d.addAssoc(9ul, 90ul);
  EXPECT_EQ(d.getTableSize(), 17);  // rebuilt for 9 + 2 + 1 = 12 elements
  EXPECT_EQ(d.getCount(), 10ul);
  EXPECT_EQ(d.getGreatestCount(), 10ul);
  for (unsigned long k = 1; k <= 9; ++k) EXPECT_EQ(d.getIntForKey(k), k * 10);
  EXPECT_EQ(d.getIntForKey(1000ul), 1ul);
}

TEST_F(Containers, HashTableLimit) {
  ScopedErrorList errors;
  JxDictionary d;
  JxStatus st = 0;
  unsigned long k = 0;
  while (!st && k < 20000) {
    ++k;
    st = d.addAssoc(k, k);
  }
  EXPECT_EQ(st, 1);
  EXPECT_EQ(errors.lastNumber(), 2722);
  EXPECT_LE(d.getTableSize(), 16000);
  for (unsigned long i = 1; i <= k; i += 97) ASSERT_EQ(d.getIntForKey(i), i);
}

TEST_F(Containers, DictionaryDuplicateKeys) {
  JxDictionary d;
  ASSERT_EQ(d.addAssoc(3ul, 30ul), 0);
  ASSERT_EQ(d.addAssoc(3ul, 31ul), 0);  // replaces in place; the old association is freed
  EXPECT_EQ(d.getCount(), 1ul);
  EXPECT_EQ(d.getIntForKey(3ul), 31ul);
  JxSubString k1("Name"), k2("NAME"), k3("name");
  Item v1, v2, v3;
  d.addAssoc(&k1, &v1);
  d.addAssoc(&k2, &v2);  // another key: case counts
  EXPECT_EQ(d.getCount(), 3ul);
  JxDictionary ci;
  ci.setCaseInsensitive(1);
  ci.addAssoc(&k1, &v1);
  ci.addAssoc(&k2, &v2);
  EXPECT_EQ(ci.getCount(), 1ul);
  EXPECT_EQ(ci.getPtrForKey(&k3), &v2);
  ci.addAssoc(4ul, 40ul);  // number keys still match exactly
  ci.addAssoc(4ul, 41ul);
  EXPECT_EQ(ci.getCount(), 2ul);
  EXPECT_EQ(ci.getIntForKey(4ul), 41ul);
  // deleteKeyAndData deletes the data objects of pointer associations.
  JxDictionary owner;
  Item* first = new Item(1);
  owner.addAssoc(1ul, static_cast<JxObject*>(first));
  owner.addAssoc(1ul, static_cast<JxObject*>(new Item(2)));  // the first item is the caller's now
  EXPECT_EQ(Item::deleted, 0);
  owner.deleteKeyAndData();
  EXPECT_EQ(Item::deleted, 1);
  delete first;
  EXPECT_EQ(owner.getCount(), 0ul);
  Item::deleted = 0;
}

TEST_F(Containers, SortedInsertionIsStable) {
  JxSortedArray s;
  Item probe(5);
  unsigned short index = 99;
  EXPECT_EQ(s.findIndexOf(&probe, index), 0);
  EXPECT_EQ(index, 0);
  Item a(5, 1), b(5, 2), c(5, 3), low(1), high(9);
  for (Item* i : {&a, &high, &b, &low, &c}) s.add(i);
  std::vector<int> order;
  for (unsigned short i = 0; i < s.getCount(); ++i) order.push_back(static_cast<Item*>(s.at(i))->id);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(s.at(0), &low);
  EXPECT_EQ(s.at(4), &high);
  EXPECT_EQ(s.findIndexOf(&probe, index), 1);
  EXPECT_EQ(s.seqFindIndexOf(&probe, index), 1);
  EXPECT_EQ(index, 1);
  Item between(7);
  EXPECT_EQ(s.findIndexOf(&between, index), 0);
  EXPECT_EQ(index, 4);
  // Appended while unordered, put in order by resort.
  s.setFlags(JxSortedArray::UNORDERED);
  Item zero(0);
  s.add(&zero);
  EXPECT_EQ(s.at(5), &zero);
  EXPECT_EQ(s.resort(), 0);
  EXPECT_EQ(s.getFlags(), 0);
  EXPECT_EQ(s.at(0), &zero);
  JxSortedArrayU32 u;
  for (unsigned long v : {5ul, 1ul, 0xFFFFFFFFul, 3ul}) u.add(v);
  EXPECT_EQ(u.getValue(0), 1ul);
  EXPECT_EQ(u.getValue(3), 0xFFFFFFFFul);
  EXPECT_EQ(u.findIndexOf(4ul, index), 0);
  EXPECT_EQ(index, 2);
}

// Allocation failures: status 1, the memory error, and every container still whole.
TEST_F(Containers, FailuresLeaveContainersWhole) {
  ScopedErrorList errors;
  JxDictionary d;
  for (unsigned long k = 1; k <= 9; ++k) ASSERT_EQ(d.addAssoc(k, k), 0);
  jxram::failHeapAllocs(0, 1);  // the association
  EXPECT_EQ(d.addAssoc(10ul, 10ul), 1);
  EXPECT_EQ(errors.lastNumber(), 30190);
  EXPECT_EQ(d.getCount(), 9ul);
  EXPECT_FALSE(d.doesExist(10ul));
  JxErrorKeeper::clearLastError();
  jxram::failHeapAllocs(2, 1);  // association and temporary array pass, the new table fails
  EXPECT_EQ(d.addAssoc(10ul, 10ul), 1);
  EXPECT_EQ(errors.lastNumber(), 30190);
  EXPECT_EQ(d.getTableSize(), 13);  // the old table, whole, with the new element in it
  EXPECT_EQ(d.getCount(), 10ul);
  for (unsigned long k = 1; k <= 10; ++k) EXPECT_EQ(d.getIntForKey(k), k);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(d.addAssoc(11ul, 11ul), 0);  // the next add grows it
  EXPECT_EQ(d.getTableSize(), 17);
  for (unsigned long k = 1; k <= 11; ++k) EXPECT_EQ(d.getIntForKey(k), k);

  JxArray a;
  int marker;
  for (int i = 0; i < 16; ++i) a.add(reinterpret_cast<JxObject*>(&marker));
  jxram::failHeapAllocs(0, 1);
  EXPECT_EQ(a.add(nullptr), 1);
  EXPECT_EQ(a.getCount(), 16);
  EXPECT_EQ(a.getCapacity(), 16);
  EXPECT_EQ(a.at(15), reinterpret_cast<JxObject*>(&marker));
  JxErrorKeeper::clearLastError();

  JxSeqDictionary s;
  s.addAssoc(1ul, 1ul);
  jxram::failHeapAllocs(0, 1);
  EXPECT_EQ(s.addAssoc(2ul, 2ul), 1);
  EXPECT_EQ(s.getCount(), 1);
  EXPECT_EQ(errors.lastNumber(), 30190);
}

struct RegistrationResult {
  short init;
  void* data;
};

DWORD WINAPI registerWithoutMemory(LPVOID p) {
  RegistrationResult* r = static_cast<RegistrationResult*>(p);
  jxram::failHeapAllocs(0, 1);
  r->init = mdsPerThreadInit();
  r->data = mdsGetPerThreadData(PTH_API_THREAD);
  return 0;
}

// A thread whose registration cannot be allocated gets 0, and the memory error's
// look-up of the thread's list does not wait for the lock the registration holds.
TEST_F(Containers, ThreadRegistrationFailsCleanly) {
  ASSERT_EQ(mdsPerThreadInit(), 1);  // a list exists: the new thread needs one record
  RegistrationResult result = {-1, reinterpret_cast<void*>(1)};
  HANDLE t = CreateThread(nullptr, 0, registerWithoutMemory, &result, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0) << "registration hangs";
  CloseHandle(t);
  EXPECT_EQ(result.init, 0);
  EXPECT_EQ(result.data, nullptr);
  EXPECT_EQ(static_cast<JxThreadInfo*>(mdsGetPerTaskData(PTD_THREAD_LIST))->getCount(), 1u);
  mdsPerThreadTerm();
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
}

// Randomized runs, fixed seed, each container against its standard-library model.
TEST_F(Containers, RandomAgainstModels) {
  std::mt19937 rng(20261210);
  {
    JxDictionary d;
    std::map<unsigned long, unsigned long> model;
    for (int step = 0; step < 20000; ++step) {
      unsigned long key = rng() % 3000, data = rng();
      if (rng() % 3) {
        ASSERT_EQ(d.addAssoc(key, data), 0);
        model[key] = data;
      }
      unsigned long probe = rng() % 3000;
      auto it = model.find(probe);
      ASSERT_EQ(d.doesExist(probe), it != model.end());
      ASSERT_EQ(d.getIntForKey(probe), it == model.end() ? 0ul : it->second);
      ASSERT_EQ(d.getCount(), model.size());
    }
  }
  {
    JxSeqDictionary d;
    std::vector<std::pair<unsigned long, unsigned long>> model;
    for (int step = 0; step < 3000; ++step) {
      unsigned long key = rng() % 500, data = rng();
      if (rng() % 4 == 0 && !model.empty()) {
        unsigned short i = static_cast<unsigned short>(rng() % model.size());
        d.deleteKeyAndDataAtIndex(i);
        model.erase(model.begin() + i);
      } else {
        ASSERT_EQ(d.addAssoc(key, data), 0);
        model.push_back({key, data});
      }
      unsigned long probe = rng() % 500;
      auto it = std::find_if(model.begin(), model.end(), [&](auto& p) { return p.first == probe; });
      ASSERT_EQ(d.getIndexForKey(probe), it - model.begin());
      ASSERT_EQ(d.getIntForKey(probe), it == model.end() ? 0ul : it->second);
    }
  }
  {
    JxSortedArray s;
    std::vector<Item*> model;  // stable: equal keys in the order added
    std::vector<Item*> owned;
    for (int step = 0; step < 3000; ++step) {
      Item* item = new Item(static_cast<long>(rng() % 200), step);
      owned.push_back(item);
      ASSERT_EQ(s.add(item), 0);
      model.insert(std::upper_bound(model.begin(), model.end(), item,
                                    [](Item* a, Item* b) { return a->key < b->key; }),
                   item);
      if (rng() % 5 == 0) {
        unsigned short i = static_cast<unsigned short>(rng() % model.size());
        s.removeAtIndex(i);
        model.erase(model.begin() + i);
      }
    }
    ASSERT_EQ(s.getCount(), model.size());
    for (unsigned short i = 0; i < s.getCount(); ++i) ASSERT_EQ(s.at(i), model[i]) << i;
    for (Item* i : owned) delete i;
  }
  {
    JxArray a;
    std::vector<JxObject*> model;
    for (int step = 0; step < 5000; ++step) {
      if (model.empty() || rng() % 3) {
        unsigned short i = static_cast<unsigned short>(rng() % (model.size() + 1));
        JxObject* p = reinterpret_cast<JxObject*>(static_cast<uintptr_t>(step * 8 + 8));
        ASSERT_EQ(a.addAtIndex(p, i), 0);
        model.insert(model.begin() + i, p);
      } else {
        unsigned short i = static_cast<unsigned short>(rng() % model.size());
        a.removeAtIndex(i);
        model.erase(model.begin() + i);
      }
    }
    ASSERT_EQ(a.getCount(), model.size());
    for (unsigned short i = 0; i < a.getCount(); ++i) ASSERT_EQ(a.at(i), model[i]);
  }
  {
    JxList l;
    std::list<Item*> model;
    std::vector<Item*> pool;
    for (int i = 0; i < 50; ++i) pool.push_back(new Item(i));
    std::vector<bool> in(50, false);
    for (int step = 0; step < 5000; ++step) {
      int i = static_cast<int>(rng() % 50);
      if (in[i]) {
        l.unlink(pool[i]);
        model.remove(pool[i]);
      } else if (rng() % 2) {
        l.append(pool[i]);
        model.push_back(pool[i]);
      } else {
        l.insert(pool[i]);
        model.push_front(pool[i]);
      }
      in[i] = !in[i];
      ASSERT_EQ(l.getCount(), model.size());
    }
    auto it = model.begin();
    for (JxNode* n = l.getFirstNode(); n; n = l.getNextNode(), ++it) ASSERT_EQ(n, *it);
    ASSERT_EQ(it, model.end());
    while (l.removeFirstNode()) {
    }
    for (Item* p : pool) delete p;
  }
}

}  // namespace
