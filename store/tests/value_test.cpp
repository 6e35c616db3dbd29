// Values: direct and by-reference values, lists, holders, conversions, DLL argument passing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "store/storeexcept.h"
#include "store/value.h"
#include "store/valuecell.h"

namespace {

// Counts the live instances of a value class (no leaks, no early frees).
struct Probe : DirectValue<long, kTypeLong> {
  static int alive;
  explicit Probe(long v) : DirectValue<long, kTypeLong>(v) { ++alive; }
  ~Probe() override { --alive; }
};
int Probe::alive = 0;

// A value that writes through to somewhere else, as a native property value does.
struct WriteThrough : DirectValue<short, kTypeShort> {
  short* target;
  explicit WriteThrough(short* t) : target(t) {}
  void set(short v) override {
    DirectValue<short, kTypeShort>::set(v);
    *target = v;
  }
};

}  // namespace

TEST(Value, DirectValuesConvertOnGetAndSet) {
  DirectValue<short, kTypeShort> s(7);
  EXPECT_EQ(kTypeShort, s.type());
  double d;
  s.get(d);
  EXPECT_EQ(7.0, d);
  s.set(2.5);  // half to even
  EXPECT_EQ(2, s.value());
  EXPECT_THROW(s.set(70000L), FPException);
  EXPECT_EQ(2, s.value());

  DirectValue<ValString, kTypeString> t(ValString("12"));
  EXPECT_EQ(12, t.asLong());
  t.set(1.5);
  EXPECT_STREQ("1.5", t.value().c_str());
  DirectValue<Currency, kTypeCurrency> c;
  c.set(ValString("3.14159"));
  EXPECT_EQ(31416, c.value().raw);
  ValString text;
  c.get(text);
  EXPECT_STREQ("3.1416", text.c_str());
}

TEST(Value, IndirectValueWritesToTheVariable) {
  short key = 13;
  ValString name("old");
  {
    IndirectValue<short, kTypeShort> k(key);
    IndirectValue<ValString, kTypeString> n(name);
    EXPECT_EQ(13, k.asShort());
    k.set(27L);
    n.set(ValString("new"));
    DirectValue<double, kTypeDouble> src(99.0);
    k = src;
  }
  EXPECT_EQ(99, key);
  EXPECT_STREQ("new", name.c_str());
}

TEST(Value, OverriddenSetWritesThrough) {
  short target = 0;
  WriteThrough w(&target);
  Value& base = w;
  base.set((short)5);
  EXPECT_EQ(5, target);
}

TEST(Value, OperatorsGiveCountedResults) {
  Probe::alive = 0;
  {
    ValuePtr a(new Probe(6)), b(new Probe(4));
    ValuePtr sum, cmp, quot;
    sum.adopt(*a + *b);
    cmp.adopt(*a > *b);
    quot.adopt(a->intDiv(*b));
    EXPECT_EQ(1, sum->count());
    EXPECT_EQ(kTypeLong, sum->type());
    EXPECT_EQ(10, sum->asLong());
    EXPECT_EQ(-1, cmp->asShort());
    EXPECT_EQ(1, quot->asLong());
    ValuePtr n;
    n.adopt(~*a);
    EXPECT_EQ(-7, n->asLong());
    ValuePtr e;
    e.adopt(a->eval(nullptr));
    EXPECT_EQ(a.get(), e.get());
    EXPECT_EQ(2, a->count());
  }
  EXPECT_EQ(0, Probe::alive);
}

TEST(Value, ListOwnsItsValues) {
  Probe::alive = 0;
  ValueList* list = new ValueList();
  list->ppush(new Probe(1));
  list->ppush(new Probe(2));
  Probe* kept = new Probe(3);
  ValuePtr hold(kept);
  list->ppush(kept);
  EXPECT_EQ(3, list->entries());
  EXPECT_EQ(1, (*list)[0]->asLong());  // element 0 = first argument
  EXPECT_EQ(3, list->at(2)->asLong());
  EXPECT_THROW(list->at(3), XAssert);
  delete list;
  EXPECT_EQ(1, Probe::alive);
  EXPECT_EQ(1, kept->count());
  hold.clear();
  EXPECT_EQ(0, Probe::alive);
}

TEST(Value, ClassFactoryConverts) {
  const struct {
    unsigned char code;
    double in;
    const char* text;
  } cases[] = {
      {kTypeShort, 41.5, "42"},           {kTypeLong, -7, "-7"},
      {kTypeFloat, 0.1, "0.1"},           {kTypeDouble, 2.25, "2.25"},
      {kTypeCurrency, 1.23456, "1.2346"}, {kTypeString, 8, "8"},
  };
  for (const auto& k : cases) {
    DirectValue<double, kTypeDouble> src(k.in);
    ValuePtr v(DirectValueClassFactory(k.code, src));
    EXPECT_EQ(k.code, v->type());
    EXPECT_STREQ(k.text, v->asString().c_str()) << (int)k.code;
  }
  DirectValue<long, kTypeLong> big(100000);
  EXPECT_THROW(DirectValueClassFactory(kTypeShort, big), FPException);
  EXPECT_THROW(DirectValueClassFactory(kTypeObject, big), TypeMismatch);
}

TEST(Value, NoValueAndObjectsAreErrors) {
  Value empty;  // type 10: no value
  try {
    empty.asLong();
    FAIL();
  } catch (const StoreException& e) {
    EXPECT_EQ(32725u, e.id());
  }
  DirectValue<short, kTypeShort> s(1);
  try {
    alignas(16) char handle[64] = {};
    s.set(*reinterpret_cast<const InterObj*>(handle));  // never read: the base refuses
    FAIL();
  } catch (const TypeMismatch& e) {
    EXPECT_EQ(32765u, e.id());
    EXPECT_EQ("DirectValue<>::set(obj)", e.arg());
  }
  ValString out;
  EXPECT_FALSE(empty.toText(out));
}

TEST(Value, StackPusherPassesAndWritesBack) {
  DirectValue<long, kTypeLong> v(41);
  StackPusher* p = v.getStackPusher();
  DynArgs args;
  p->push(args, kTypeLong, true);
  ASSERT_EQ(1, args.count());
  ASSERT_EQ(kDynPtr, args.at(0).kind);
  *static_cast<int32_t*>(args.at(0).p) = 42;  // what the callee does
  p->finish();
  delete p;
  EXPECT_EQ(42, v.value());

  DirectValue<ValString, kTypeString> s(ValString("abc"));
  p = s.getStackPusher();
  args.clear();
  p->push(args, kTypeString, false);
  static_cast<char*>(args.at(0).p)[0] = 'X';
  p->finish();
  delete p;
  EXPECT_STREQ("Xbc", s.value().c_str());

  DirectValue<double, kTypeDouble> d(2.5);
  p = d.getStackPusher();
  args.clear();
  p->push(args, kTypeShort, false);
  EXPECT_EQ(kDynInt32, args.at(0).kind);
  EXPECT_EQ(2, args.at(0).i32);
  delete p;
}

TEST(ValString, CountsAndText) {
  ValString a("hello");
  ValString b = a;
  EXPECT_EQ(a.rep(), b.rep());
  EXPECT_EQ(2, a.rep()->count());
  ValString c = a + ValString(" world");
  EXPECT_STREQ("hello world", c.c_str());
  ValString null;
  EXPECT_TRUE(null.isNull());
  EXPECT_STREQ("", null.c_str());
  ValString bytes("a\0b", 3);
  EXPECT_EQ(3u, bytes.length());
  EXPECT_FALSE(bytes == ValString("a"));
  ValString fromGetter(new ValStringRep("made by a getter"));
  EXPECT_EQ(1, fromGetter.rep()->count());
  EXPECT_EQ("\"a\"\"b\"", MakePrintableString("a\"b"));
  EXPECT_EQ("\"x\" & Chr$(13) & Chr$(10) & \"y\"", MakePrintableString("x\r\ny"));
  EXPECT_EQ("Chr$(9)", MakePrintableString("\t"));
  EXPECT_EQ("\"\"", MakePrintableString(""));
  EXPECT_EQ("", MakePrintableString(nullptr));
}

// A representation shared by more values than its count holds is copied, not
// over-counted; any other counted object refuses the reference with a store error.
TEST(ValString, FullCountCopiesTheRepresentation) {
  ValStringRep* rep = new ValStringRep("shared");
  for (int i = 0; i < CountedObject::kMaxCount; ++i) rep->ref();
  ValString copy(rep);
  EXPECT_NE(rep, copy.rep());
  EXPECT_STREQ("shared", copy.c_str());
  ValueCellVar cell;
  cell.c.setString(rep);
  EXPECT_NE(rep, cell.c.str);
  EXPECT_STREQ("shared", cell.c.text());
  EXPECT_EQ(CountedObject::kMaxCount, rep->count());
  ValueList* list = new ValueList;
  for (int i = 0; i < CountedObject::kMaxCount; ++i) list->ref();
  EXPECT_THROW(list->ref(), StoreException);
  for (int i = 1; i < CountedObject::kMaxCount; ++i) list->unref();
  list->unref();
  for (int i = 1; i < CountedObject::kMaxCount; ++i) rep->unref();
  rep->unref();
}

TEST(ValString, ReadFile) {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat(path, "ovstore_readfile.txt");
  FILE* f = fopen(path, "wb");
  ASSERT_TRUE(f);
  fwrite("line1\r\nline2\0end", 1, 16, f);
  fclose(f);
  ValString s(ValStringRep::readFile(path));
  EXPECT_EQ(16u, s.length());
  EXPECT_EQ(0, memcmp(s.c_str(), "line1\r\nline2\0end", 16));
  remove(path);
  EXPECT_EQ(nullptr, ValStringRep::readFile(path));
}

TEST(Types, NamesAndSuffixes) {
  const struct {
    unsigned code;
    const char* name;
  } names[] = {
      {0, "Variant"}, {1, "Integer"}, {2, "Long"},   {3, "Single"},      {4, "Double"},       {5, "Currency"},
      {6, "String"},  {7, "Object"},  {10, "Empty"}, {0x26, "String()"}, {0x21, "Integer()"}, {9, "Unknown"},
  };
  for (const auto& k : names) EXPECT_STREQ(k.name, IdTypeString(k.code).string());
  const char* suffixes = "%&!#@$";
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(i + 1, TypeCodeForSuffix(suffixes[i]));
    EXPECT_EQ(suffixes[i], SuffixForTypeCode(i + 1));
  }
  EXPECT_EQ(0, TypeCodeForSuffix('x'));
  EXPECT_EQ(kTypeString, ElementType(0x26));
  EXPECT_TRUE(IsArrayType(0x27));
}
