// Interned identifiers and identifier tables.
#include <gtest/gtest.h>

#include <string>

#include "store/idstring.h"
#include "store/storeexcept.h"

TEST(IdString, InternsAndKeysIgnoringCase) {
  IdString::Initialize();
  size_t before = IdString::InternedCount();
  {
    IdString a("Button1"), b("Button1"), c("BUTTON1"), d("button1");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.rep(), b.rep());
    EXPECT_NE(a, c);
    EXPECT_TRUE(a.sameName(c));
    EXPECT_EQ(a.key(), d.rep());
    EXPECT_STREQ("BUTTON1", c.c_str());
    EXPECT_TRUE(a.sameName("bUtToN1"));
    EXPECT_FALSE(a.sameName("Button"));
    EXPECT_EQ(before + 3, IdString::InternedCount());
    IdString null("");
    EXPECT_TRUE(null.isNull());
    EXPECT_STREQ("", null.c_str());
  }
  EXPECT_EQ(before, IdString::InternedCount());  // reps leave the table with their last reference
}

TEST(IdString, LengthLimit) {
  std::string ok(254, 'x'), tooLong(255, 'y');
  IdString a(ok.c_str());
  EXPECT_EQ(254u, a.length());
  try {
    IdString b(tooLong.c_str());
    FAIL();
  } catch (const StoreException& e) {
    EXPECT_EQ(32709u, e.id());
  }
}

TEST(IdString, TerminateLeavesHeldNamesValid) {
  IdString kept("Survivor");
  IdString::Terminate();
  EXPECT_STREQ("Survivor", kept.c_str());
  IdString::Initialize();
  IdString again("Survivor");
  EXPECT_TRUE(again.sameName(kept));
  kept = IdString();  // its rep goes without a table entry to remove
  EXPECT_STREQ("Survivor", again.c_str());
}

TEST(IdDynamicVector, IndexesAddClearRelease) {
  IdDynamicVector v;
  EXPECT_EQ(32u, v.capacity());
  EXPECT_EQ(0, v.stringIndex("alpha"));
  EXPECT_EQ(1, v.stringIndex("Beta"));
  EXPECT_EQ(0, v.stringIndex("ALPHA"));
  EXPECT_EQ(1, v.find("beta"));
  EXPECT_EQ(-1, v.find("gamma"));
  EXPECT_EQ(2, v.entries());
  EXPECT_STREQ("alpha", v.text(0));  // first spelling kept
  for (int i = 0; i < 100; ++i) v.stringIndex(("n" + std::to_string(i)).c_str());
  EXPECT_EQ(102, v.entries());
  EXPECT_EQ(57, v.find("N55"));
  IdStringVector list(v);
  EXPECT_EQ(102, list.entries());
  EXPECT_EQ(1, list.index("BETA"));
  v.clear();
  EXPECT_EQ(0, v.entries());
  EXPECT_GE(v.capacity(), 102u);
  EXPECT_EQ(-1, v.find("alpha"));
  v.releaseStorage();
  EXPECT_EQ(0u, v.capacity());
  EXPECT_EQ(0, v.stringIndex("again"));
  EXPECT_EQ(32u, v.capacity());
}
