// DLL registration: the attached-library list with real test libraries (one with a
// version resource, one without), version formats, and the block array with its handles.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "utils/blockarray.h"
#include "utils/dllutils.h"

namespace {

TEST(DLLUtils, FormatVersionTable) {
  struct Case {
    unsigned long ms, ls;
    const char* text;
  } cases[] = {
      {0x00010002, 0x00000000, "1.2"},     {0x00010002, 0x00030000, "1.2.3"},
      {0x00010002, 0x00030004, "1.2.3.4"}, {0x00010002, 0x00000004, "1.2.0.4"},
      {0x00000000, 0x00000000, "0.0"},     {0xFFFF0010, 0x00000000, "65535.16"},
      {0x00020001, 0x00000000, "2.1"},
  };
  for (const Case& c : cases) {
    char out[32];
    DLLUtils::FormatVersion(out, c.ms, c.ls);
    EXPECT_STREQ(out, c.text);
  }
}

std::string binPath(const char* file) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  return dir.substr(0, dir.find_last_of('\\') + 1) + file;
}

TEST(DLLUtils, LoadedLibrariesRegisterThemselves) {
  const RWCString& list = DLLUtils::AttachedDLLs();
  // ovutil.dll registered itself when this program loaded it.
  EXPECT_EQ(list.index("ovutil:"), 0u) << list.data();
  size_t before = list.length();

  HMODULE withVersion = LoadLibraryA("ovvertest.dll");
  ASSERT_NE(withVersion, nullptr);
  HMODULE without = LoadLibraryA("ovnovertest.dll");
  ASSERT_NE(without, nullptr);
  EXPECT_EQ(std::string(list.data() + before), ";ovvertest:1.2.3;ovnovertest:0.0");

  // Loading a library again does not attach it again.
  HMODULE again = LoadLibraryA("ovvertest.dll");
  EXPECT_EQ(again, withVersion);
  EXPECT_EQ(std::string(list.data() + before), ";ovvertest:1.2.3;ovnovertest:0.0");
  FreeLibrary(again);
  FreeLibrary(without);
  FreeLibrary(withVersion);
}

TEST(DLLUtils, NamesAreCutAtTheFirstDot) {
  RWCString& list = DLLUtils::AttachedDLLs();
  RWCString saved = list.copy();
  list = "";
  DLLUtils::DLLAttached("C:\\nowhere\\NODOT");
  DLLUtils::DLLAttached("C:\\nowhere\\multi.part.name.dll");
  DLLUtils::DLLAttached(binPath("ovvertest.dll").c_str());
  DLLUtils::DLLAttached("C:\\nowhere\\");  // no file name: nothing
  DLLUtils::DLLAttached(nullptr);
  EXPECT_EQ(list, "NODOT:0.0;multi:0.0;ovvertest:1.2.3");
  list = saved;
}

TEST(DLLUtils, VersionData) {
  char* data = DLLUtils::GetVersionData(binPath("ovvertest.dll").c_str());
  ASSERT_NE(data, nullptr);
  unsigned long ms = 9, ls = 9;
  DLLUtils::GetFileVersion(data, ms, ls);
  EXPECT_EQ(ms, 0x00010002u);
  EXPECT_EQ(ls, 0x00030000u);
  DLLUtils::GetProductVersion(data, ms, ls);
  EXPECT_EQ(ms, 0x00040005u);
  EXPECT_EQ(ls, 0x00000006u);
  delete[] data;

  EXPECT_EQ(DLLUtils::GetVersionData(nullptr), nullptr);
  EXPECT_EQ(DLLUtils::GetVersionData(""), nullptr);
  EXPECT_EQ(DLLUtils::GetVersionData(binPath("ovnovertest.dll").c_str()), nullptr);
  EXPECT_EQ(DLLUtils::GetVersionData("C:\\no\\such.dll"), nullptr);
  DLLUtils::GetFileVersion(nullptr, ms, ls);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
  DLLUtils::GetProductVersion(nullptr, ms, ls);
  EXPECT_EQ(ms + ls, 0u);
}

struct Word {
  uint32_t v;
};

void addOne(Word& w, void*) { w.v += 1; }
int isSeven(Word& w, void* calls) {
  ++*static_cast<int*>(calls);
  return w.v == 7;
}

TEST(BlockArray, BlocksGrowAndWalk) {
  BlockArray<Word> a(4, 3);  // first block 3, then blocks of 4
  EXPECT_EQ(a.count(), 0u);
  EXPECT_EQ(a.ensureCount(1), 3u);
  EXPECT_EQ(a.ensureCount(8), 11u);
  EXPECT_EQ(a.more(), 3u);
  EXPECT_EQ(a.count(), 15u);
  for (unsigned i = 0; i < a.count(); ++i) EXPECT_EQ(a[i].v, 0u) << i;  // zero-filled
  for (unsigned i = 0; i < a.count(); ++i) a[i].v = i;
  Word* third = &a[10];
  a.more();
  EXPECT_EQ(&a[10], third);  // blocks never move
  EXPECT_EQ(a[10].v, 10u);

  a.forEach(addOne, nullptr, 0, 2, 5);
  EXPECT_EQ(a[1].v, 1u);
  EXPECT_EQ(a[2].v, 3u);
  EXPECT_EQ(a[4].v, 5u);
  EXPECT_EQ(a[5].v, 5u);
  a.forEach(addOne, nullptr, 1, 100, 200);  // all: the bounds are ignored
  EXPECT_EQ(a[0].v, 1u);
  EXPECT_EQ(a[18].v, 1u);

  int calls = 0;
  EXPECT_EQ(a.firstThat(isSeven, &calls, 1, 0, 0), &a[6]);  // 6 + 1
  EXPECT_EQ(calls, 7);
  calls = 0;
  EXPECT_EQ(a.firstThat(isSeven, &calls, 0, 7, 10), nullptr);
  EXPECT_EQ(calls, 3);

  try {
    a.forEach(addOne, nullptr, 0, 0, a.count() + 1);
    ADD_FAILURE() << "no assertion";
  } catch (const XAssert& e) {
    EXPECT_EQ(e.why(), "ub <= count()");
    EXPECT_EQ(e.Line(), 72);
  }
  try {
    a.firstThat(isSeven, &calls, 0, 0, a.count() + 1);
    ADD_FAILURE() << "no assertion";
  } catch (const XAssert& e) {
    EXPECT_EQ(e.Line(), 133);
  }
}

TEST(Handle, SlotsComeFromTheGlobalArray) {
  Handle* first = new Handle(5);
  int slots = 0, live = 0;
  Handle::Query(&slots, &live);
  EXPECT_EQ(slots, 1024);
  EXPECT_EQ(live, 1);
  Handle* second = new Handle(0);  // a zero handle is a slot but not live
  EXPECT_EQ(second, first + 1);
  Handle::Query(&slots, nullptr);
  EXPECT_EQ(slots, 2048);                        // Query adds to the counters
  for (int i = 0; i < 1024; ++i) new Handle(1);  // the 1025th slot opens a second block
  slots = live = 0;
  Handle::Query(&slots, &live);
  EXPECT_EQ(slots, 2048);
  EXPECT_EQ(live, 1025);
  delete first;  // handles are never given back
  Handle::Query(nullptr, &live);
  EXPECT_EQ(live, 2050);
  EXPECT_EQ(first->value(), 5u);
}

}  // namespace
