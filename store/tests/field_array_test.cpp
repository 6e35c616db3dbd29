// One object's array elements (ArrayData) of every element type: bounds at both ends,
// Redim with and without Preserve, copies, and the counts that arrays of texts and
// objects hold on their elements.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "olecls/oclstream.h"
#include "objtest_util.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/storeexcept.h"
#include "store/valuecell.h"

namespace {

struct StoreSetup {
  StoreSetup() { objtest::SetUpStore(); }
} g_setup;

std::vector<ArrayBound> Dim1(int32_t lower, int32_t upper) { return {ArrayBound{lower, upper}}; }

// Element i's value as a cell of the array's type (i = 1, 2, ...).
void Sample(unsigned char type, int i, ValueCell& c) {
  switch (type) {
    case kTypeString:
      c.setString(new ValStringRep(("t" + std::to_string(i)).c_str()));
      return;
    case kTypeCurrency:
      c.setCurrency(Currency::fromRaw(i * 12345));
      return;
    default:
      c.setLong(i * 3);  // converted to the element type (a Variant keeps it)
      return;
  }
}

std::string Text(const ArrayData& a, int32_t off) {
  ValueCellVar c;
  a.getCell(off, c.c);
  switch (c.c.type) {
    case kTypeShort:
      return "s" + std::to_string(c.c.s);
    case kTypeLong:
      return "l" + std::to_string(c.c.l);
    case kTypeFloat:
      return "f" + std::to_string((int)c.c.f);
    case kTypeDouble:
      return "d" + std::to_string((int)c.c.d);
    case kTypeCurrency:
      return "c" + std::to_string(c.c.cy);
    case kTypeString:
      return std::string("\"") + c.c.text() + "\"";
    case kTypeNoValue:  // a Variant's first value
      return "empty";
    default:
      return "type" + std::to_string(c.c.type);
  }
}

std::string All(const ArrayData& a) {
  std::string t;
  for (int32_t i = 0; i < a.total(); ++i) t += (i ? " " : "") + Text(a, i);
  return t;
}

TEST(ArrayData, EveryTypeKeepsItsElementsThroughRedimAndCopies) {
  struct Case {
    unsigned char type;
    const char* filled;     // elements 1..3 set, of -1 To 3
    const char* preserved;  // after Redim Preserve (-1 To 1): two kept
    const char* grown;      // after Redim Preserve (-1 To 4)
  } cases[] = {
      {kTypeShort, "s0 s0 s3 s6 s9", "s0 s0 s3", "s0 s0 s3 s0 s0 s0"},
      {kTypeLong, "l0 l0 l3 l6 l9", "l0 l0 l3", "l0 l0 l3 l0 l0 l0"},
      {kTypeFloat, "f0 f0 f3 f6 f9", "f0 f0 f3", "f0 f0 f3 f0 f0 f0"},
      {kTypeDouble, "d0 d0 d3 d6 d9", "d0 d0 d3", "d0 d0 d3 d0 d0 d0"},
      {kTypeCurrency, "c0 c0 c12345 c24690 c37035", "c0 c0 c12345", "c0 c0 c12345 c0 c0 c0"},
      {kTypeString, "\"\" \"\" \"t1\" \"t2\" \"t3\"", "\"\" \"\" \"t1\"", "\"\" \"\" \"t1\" \"\" \"\" \"\""},
      {kTypeNone, "empty empty l3 l6 l9", "empty empty l3", "empty empty l3 empty empty empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((int)c.type);
    ArrayData a(c.type);
    a.redim(Dim1(-1, 3), false);
    for (int i = 1; i <= 3; ++i) {
      ValueCellVar v;
      Sample(c.type, i, v.c);
      a.setCell(a.offsetOf1(i), v.c);
    }
    EXPECT_EQ(c.filled, All(a));
    // Both ends are in, one beyond either is a range error naming the bounds.
    EXPECT_EQ(0, a.offsetOf1(-1));
    EXPECT_EQ(4, a.offsetOf1(3));
    for (int32_t bad : {-2, 4, INT32_MIN, INT32_MAX}) {
      try {
        a.offsetOf1(bad);
        ADD_FAILURE() << "index " << bad;
      } catch (const RangeError&) {
      }
    }
    std::unique_ptr<ArrayData> copy(a.clone());
    a.redim(Dim1(-1, 1), true);
    EXPECT_EQ(c.preserved, All(a));
    a.redim(Dim1(-1, 4), true);
    EXPECT_EQ(c.grown, All(a));
    EXPECT_EQ(c.filled, All(*copy));  // the copy kept its own elements
    a.redim(Dim1(0, 1), false);
    EXPECT_EQ(2, a.total());
  }
}

TEST(ArrayData, TwoDimensionsPreserveTheirRowsAndCheckEachIndex) {
  ArrayData a(kTypeString);
  a.redim({ArrayBound{1, 2}, ArrayBound{0, 2}}, false);
  for (int32_t i = 1; i <= 2; ++i)
    for (int32_t j = 0; j <= 2; ++j) {
      int32_t idx[2] = {i, j};
      ValueCellVar v;
      v->setString(new ValStringRep((std::to_string(i) + std::to_string(j)).c_str()));
      a.setCell(a.offsetOf(idx, 2), v.c);
    }
  a.redim({ArrayBound{1, 2}, ArrayBound{0, 3}}, true);
  EXPECT_EQ("\"10\" \"11\" \"12\" \"\" \"20\" \"21\" \"22\" \"\"", All(a));
  int32_t bad[][2] = {{0, 0}, {3, 0}, {1, -1}, {1, 4}};
  for (auto& b : bad) EXPECT_THROW(a.offsetOf(b, 2), RangeError);
  EXPECT_THROW(a.redim({ArrayBound{1, 3}, ArrayBound{0, 3}}, true), StoreException);
  EXPECT_EQ(8, a.total());  // a refused Redim leaves the array as it was
}

TEST(ArrayData, TextsHoldOneCountPerElementUntilReplacedOrGone) {
  ValString kept("kept");
  ValStringRep* rep = kept.rep();
  ASSERT_EQ(1, rep->count());
  {
    ArrayData a(kTypeString);
    a.redim(Dim1(0, 3), false);
    ValueCellVar v;
    v->setString(rep);
    for (int32_t i = 0; i < 4; ++i) a.setCell(i, v.c);
    v->clear();
    EXPECT_EQ(5, rep->count());
    {
      std::unique_ptr<ArrayData> copy(a.clone());
      EXPECT_EQ(9, rep->count());
    }
    EXPECT_EQ(5, rep->count());
    ValueCellVar other;
    other->setString(new ValStringRep("x"));
    a.setCell(0, other.c);  // replaced: its count goes
    EXPECT_EQ(4, rep->count());
    a.redim(Dim1(0, 1), true);  // two dropped by the shrink
    EXPECT_EQ(2, rep->count());
    ValueCellVar read;
    a.getCell(1, read.c);
    EXPECT_EQ(rep, read->str);
    EXPECT_EQ(3, rep->count());
    read->clear();
    a.redim(Dim1(0, 1), false);  // all go, the new elements are ""
    EXPECT_EQ(1, rep->count());
    a.getCell(1, read.c);
    EXPECT_EQ(kTypeString, read->type);
    EXPECT_STREQ("", read->text());
    v->setString(rep);
    a.setCell(1, v.c);
    v->clear();
    EXPECT_EQ(2, rep->count());
  }
  EXPECT_EQ(1, rep->count());  // the array's end released its element
}

TEST(ArrayData, ObjectsHoldOneCountPerElementAndStartAsNothing) {
  PrimInterObj obj("ArrayElement", nullptr, 0);
  const int16_t base = obj->count();
  {
    ArrayData a(kTypeObject);
    a.redim(Dim1(1, 4), false);
    ValueCellVar read;
    a.getCell(0, read.c);
    EXPECT_EQ(kTypeObject, read->type);
    EXPECT_EQ(nullptr, read->obj.rep);  // Nothing
    ValueCellVar v;
    v->setObject(obj.get());
    for (int32_t i = 0; i < 4; ++i) a.setCell(i, v.c);
    v->clear();
    EXPECT_EQ(base + 4, obj->count());
    ValueCellVar text;
    text->setString(new ValStringRep("no object"));
    EXPECT_THROW(a.setCell(0, text.c), StoreException);
    EXPECT_EQ(base + 4, obj->count());
    {
      std::unique_ptr<ArrayData> copy(a.clone());
      EXPECT_EQ(base + 8, obj->count());
    }
    ValueCellVar nothing;
    nothing->setNothing();
    a.setCell(3, nothing.c);
    EXPECT_EQ(base + 3, obj->count());
    a.redim(Dim1(1, 2), true);
    EXPECT_EQ(base + 2, obj->count());
    a.getCell(1, read.c);
    EXPECT_EQ(obj.get(), read->obj.rep);
    read->clear();
  }
  EXPECT_EQ(base, obj->count());
}

}  // namespace
