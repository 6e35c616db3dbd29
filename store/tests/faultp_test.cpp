// Counted references: strong and weak counts, kinds, raw byte copies, streaming hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "store/faultp.h"
#include "utils/xexception.h"

namespace {

struct Obj : CountedObject {
  static int alive;
  static int drops;
  int id;
  explicit Obj(int i) : id(i) { ++alive; }
  ~Obj() override { --alive; }
  void drop() override { ++drops; }
};
int Obj::alive = 0;
int Obj::drops = 0;

// A stand-in for a stream: the streaming hooks write the object's id (0 for null).
struct FakeStream {
  std::vector<int> data;
  size_t pos = 0;
};
std::vector<Obj*> g_module;  // objects "in the module" by id - 1

}  // namespace

// The hooks Faultp<Obj>::write/read find by argument-dependent lookup.
class OCLStream : public FakeStream {};
void FaultpStreamWrite(const Obj* p, unsigned char kind, OCLStream& s) {
  s.data.push_back(p ? p->id : 0);
  s.data.push_back(kind);
}
void FaultpStreamRead(OCLStream& s, unsigned char module, Obj*& p, unsigned char& kind) {
  EXPECT_EQ(3, module);
  int id = s.data[s.pos++];
  kind = (unsigned char)s.data[s.pos++];
  p = id ? g_module[(size_t)id - 1] : nullptr;
}

TEST(Faultp, CountsReturnToZero) {
  Obj::alive = 0;
  {
    Faultp<Obj> a(new Obj(1), tPrimaryReference);
    EXPECT_EQ(1, a->count());
    Faultp<Obj> b = a;
    Faultp<Obj> c;
    c = b;
    EXPECT_EQ(3, a->count());
    Faultp<Obj> d(std::move(c));
    EXPECT_TRUE(c.isNull());
    EXPECT_EQ(3, a->count());
    EXPECT_TRUE(a == d);
    EXPECT_EQ(tPrimaryReference, d.kind());
    b.clear();
    EXPECT_EQ(2, a->count());
    a = a;  // self-assignment keeps the object
    EXPECT_EQ(2, a->count());
    d = new Obj(2);
    EXPECT_EQ(1, a->count());
    EXPECT_EQ(2, Obj::alive);
  }
  EXPECT_EQ(0, Obj::alive);
}

TEST(Faultp, UncountedReferenceReadsNullOnceDropped) {
  Obj::alive = 0;
  Obj::drops = 0;
  Faultp<Obj> weak;
  {
    Faultp<Obj> strong(new Obj(1));
    weak.set(strong.get(), tUncountedIndirectReference);
    EXPECT_EQ(1, strong->count());
    EXPECT_EQ(1, strong->weakCount());
    EXPECT_TRUE(weak.is());
    EXPECT_TRUE(weak == strong);
  }
  EXPECT_EQ(1, Obj::drops);
  EXPECT_TRUE(weak.isNull());
  EXPECT_EQ(nullptr, weak.get());
  EXPECT_EQ(1, Obj::alive);  // the husk waits for the weak reference
  weak.clear();
  EXPECT_EQ(0, Obj::alive);

  // A weak reference alone never keeps an object: it is freed with its last strong one.
  Obj* o = new Obj(2);
  Faultp<Obj> w(o, tUncountedIndirectReference);
  Faultp<Obj> s(o);
  s.clear();
  EXPECT_TRUE(w.isNull());
  w.clear();
  EXPECT_EQ(0, Obj::alive);
}

TEST(Faultp, ReleaseBelowZeroAsserts) {
  Obj o(1);
  o.ref();
  EXPECT_EQ(1, o.count());
  o.ref();
  o.unref();
  EXPECT_EQ(1, o.count());
  Obj stray(2);
  try {
    stray.unref();
    FAIL();
  } catch (const XAssert& e) {
    EXPECT_STREQ("count>0", e.what());
  }
}

TEST(Faultp, RawByteCopyIsRelocatable) {
  Obj::alive = 0;
  {
    Faultp<Obj> ref(new Obj(7), tPrimaryReference);
    // As a clipboard format does: one more count, then the bytes elsewhere.
    alignas(Faultp<Obj>) unsigned char memory[sizeof(Faultp<Obj>)];
    ref.rawAddRef();
    std::memcpy(memory, &ref, sizeof ref);
    EXPECT_EQ(2, ref->count());
    Faultp<Obj>* copy = reinterpret_cast<Faultp<Obj>*>(memory);
    EXPECT_EQ(7, (*copy)->id);
    EXPECT_EQ(tPrimaryReference, copy->kind());
    copy->~Faultp<Obj>();  // destroyed in place
    EXPECT_EQ(1, ref->count());
  }
  EXPECT_EQ(0, Obj::alive);
  static_assert(std::is_standard_layout<Faultp<Obj>>::value, "plain layout");
  EXPECT_EQ(2 * sizeof(void*), sizeof(Faultp<Obj>));
}

TEST(Faultp, StreamsThroughTheOwnersHooks) {
  Obj::alive = 0;
  g_module.clear();
  Faultp<Obj> holder(new Obj(1));
  g_module.push_back(holder.get());
  OCLStream s;
  Faultp<Obj>(holder.get(), tIndirectReference).write(s);
  Faultp<Obj>().write(s);  // null
  Faultp<Obj> a, b(new Obj(9));
  a.read(s, 3);
  b.read(s, 3);
  EXPECT_EQ(holder.get(), a.get());
  EXPECT_EQ(2, holder->count());
  EXPECT_TRUE(b.isNull());
  a.clear();
  holder.clear();
  EXPECT_EQ(0, Obj::alive);
}

TEST(Faultp, MarkDroppedHidesFromUncountedReferences) {
  struct Destroyable : Obj {
    Destroyable() : Obj(5) {}
    void destroy() { markDropped(); }
  };
  Obj::alive = 0;
  Obj::drops = 0;
  Destroyable* d = new Destroyable();
  Faultp<Obj> strong(d), weak(d, tUncountedIndirectReference);
  d->destroy();
  EXPECT_TRUE(weak.isNull());
  EXPECT_TRUE(strong.is());
  // The last weak reference going first must not free what counted ones still hold.
  weak.clear();
  EXPECT_EQ(1, Obj::alive);
  EXPECT_EQ(5, strong->id);
  strong.clear();
  EXPECT_EQ(1, Obj::drops);
  weak.clear();
  EXPECT_EQ(0, Obj::alive);
}
