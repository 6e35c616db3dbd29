// The VBX emulation library as a host reaches it: the file chosen by version, the 129
// ordinals, initialisation counting, control files good and malformed, string handles.
#include <gtest/gtest.h>

#include <string>

#include "testkit/testkit.h"
#include "vbx/vbxfile.h"
#include "vbx/vbxloader.h"
#include "vbxtestctl.h"

namespace {

TEST(VbxLoader, TheFileNameFollowsTheSystemVersion) {
  struct Case {
    DWORD version;
    const char* file;
  } cases[] = {
      {0x23F00206, "VBXTHUNK.32N"},                                // an NT-based system: high bit clear
      {0x00000005, "VBXTHUNK.32N"}, {0x80000A03, "VBXTHUNK.32S"},  // high bit set, major version below 4
      {0x80000001, "VBXTHUNK.32S"}, {0xC0000A04, "VBXTHUNK.32C"},  // high bit set, major version 4
      {0xC0005A0A, "VBXTHUNK.32C"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(c.file, VbxLibrary::FileNameFor(c.version)) << std::hex << c.version;
  // Wine reports an NT version.
  EXPECT_STREQ("VBXTHUNK.32N", VbxLibrary::FileNameFor(GetVersion()));
}

TEST(VbxLoader, EveryFileNameLoadsWithAll129OrdinalsAndNoOthers) {
  for (const char* name : {"VBXTHUNK.32N", "VBXTHUNK.32S", "VBXTHUNK.32C"}) {
    VbxLibrary lib;
    ASSERT_TRUE(lib.LoadFile(name)) << name << " found " << lib.found;
    EXPECT_EQ(VBX_ENTRY_COUNT, lib.found);
    EXPECT_EQ(nullptr, GetProcAddress(lib.module, MAKEINTRESOURCEA(VBX_FIRST_ORDINAL - 1)));
    EXPECT_EQ(nullptr, GetProcAddress(lib.module, MAKEINTRESOURCEA(VBX_LAST_ORDINAL + 1)));
    // The ordinal and the export name reach the same function.
#define CHECK_NAME(ordinal, result, fn, params) \
  EXPECT_EQ(reinterpret_cast<FARPROC>(lib.fn), GetProcAddress(lib.module, #fn)) << #fn;
    VBX_ENTRY_POINTS(CHECK_NAME)
#undef CHECK_NAME
    EXPECT_EQ(0x00010000u, lib.VBXGetVersion());
  }
  VbxLibrary lib;
  EXPECT_TRUE(lib.Load());
  VbxLibrary missing;
  EXPECT_FALSE(missing.LoadFile("VBXTHUNK.NONE"));
  EXPECT_FALSE(missing.complete);
}

class Vbx : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(lib.Load()); }
  void TearDown() override {
    while (lib.VBXIsInitialized()) lib.VBXTerm32();
  }
  VbxLibrary lib;
};

TEST_F(Vbx, InitialisationIsCounted) {
  EXPECT_FALSE(lib.VBXIsInitialized());
  EXPECT_FALSE(lib.VBXTerm32());
  EXPECT_EQ(VBXERR_NOTINIT, lib.VBXGetLastError());
  EXPECT_EQ(nullptr, lib.VBXGetInstance());
  EXPECT_EQ(0, lib.VBXLoadFile("OVTEST.VBX"));
  EXPECT_EQ(VBXERR_NOTINIT, lib.VBXGetLastError());

  HINSTANCE app = GetModuleHandleA(nullptr);
  EXPECT_TRUE(lib.VBXInit32(app, "Orvanel"));
  EXPECT_TRUE(lib.VBXInit32(app, "Another"));  // the first name stays
  EXPECT_EQ(2, lib.VBXGetInitCount());
  EXPECT_EQ(app, lib.VBXGetInstance());
  char name[32];
  EXPECT_EQ(7, lib.VBXGetAppNameBuf(name, sizeof name));
  EXPECT_STREQ("Orvanel", name);
  EXPECT_EQ(3, lib.VBXGetAppNameBuf(name, 4));  // cut to the buffer
  EXPECT_STREQ("Orv", name);
  EXPECT_TRUE(lib.VBXTerm32());
  EXPECT_TRUE(lib.VBXIsInitialized());
  EXPECT_TRUE(lib.VBXTerm32());
  EXPECT_FALSE(lib.VBXIsInitialized());
  EXPECT_EQ(0, lib.VBXGetInitCount());
}

TEST_F(Vbx, ErrorsHaveTextsAndTheLastOutcomeIsKept) {
  char buf[128];
  for (int e = 0; e < VBXERR_COUNT; ++e) EXPECT_GT(lib.VBXGetErrorTextBuf(e, buf, sizeof buf), 0) << e;
  lib.VBXGetErrorTextBuf(VBXERR_BADHANDLE, buf, sizeof buf);
  EXPECT_STREQ("Invalid handle", buf);
  EXPECT_EQ(0, lib.VBXGetErrorTextBuf(VBXERR_COUNT, buf, sizeof buf));
  EXPECT_STREQ("", buf);
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetLastError());
  EXPECT_EQ(0, lib.VBXGetErrorTextBuf(0, nullptr, 10));
  EXPECT_EQ(VBXERR_BADBUFFER, lib.VBXGetLastError());
  EXPECT_EQ(VBXERR_BADBUFFER, lib.VBXSetLastError(VBXERR_NONE));
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetLastError());
}

TEST_F(Vbx, AControlFileIsLoadedOnceAndDescribesItsClass) {
  ASSERT_TRUE(lib.VBXInit32(GetModuleHandleA(nullptr), "Orvanel"));
  HVBXFILE f = lib.VBXLoadFile("OVTEST.VBX");
  ASSERT_NE(0u, f);
  EXPECT_EQ(f, lib.VBXLoadFile("ovtest.vbx"));  // one entry per file
  EXPECT_EQ(f, lib.VBXFindFile("OVTEST.VBX"));
  EXPECT_EQ(1, lib.VBXGetFileCount());
  EXPECT_EQ(f, lib.VBXGetFileAt(0));
  EXPECT_EQ(0u, lib.VBXGetFileAt(1));
  char buf[128];
  lib.VBXGetFileNameBuf(f, buf, sizeof buf);
  EXPECT_STREQ("OVTEST.VBX", buf);
  EXPECT_EQ(1, lib.VBXGetNumClasses(f));
  lib.VBXGetClassNameBuf(f, 0, buf, sizeof buf);
  EXPECT_STREQ("Meter", buf);
  EXPECT_EQ(0, lib.VBXFindClass(f, "meter"));
  EXPECT_EQ(-1, lib.VBXFindClass(f, "Gauge"));
  EXPECT_EQ(VBXERR_NOCLASS, lib.VBXGetLastError());
  EXPECT_EQ(DWORD(VBXM_ALL), lib.VBXGetClassMethods(f, 0));
  EXPECT_EQ(kMeterPropCount, lib.VBXGetClassNumProps(f, 0));
  EXPECT_EQ(kMeterEventCount, lib.VBXGetClassNumEvents(f, 0));
  lib.VBXGetClassPropNameBuf(f, 0, kMeterLevel, buf, sizeof buf);
  EXPECT_STREQ("Level", buf);
  lib.VBXGetClassEventNameBuf(f, 0, kMeterMessage, buf, sizeof buf);
  EXPECT_STREQ("Message", buf);
  EXPECT_EQ(0, lib.VBXGetClassPropNameBuf(f, 0, kMeterPropCount, buf, sizeof buf));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetLastError());
  EXPECT_EQ(0, lib.VBXGetNumClasses(f + 1));
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXGetLastError());

  // A file with a live control stays; without, it goes, and its handle with it.
  HWND parent = CreateWindowA("STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
  HCTL c = lib.VBXCreate(parent, 5, "OVTEST.VBX", "Meter", "m", 0, 0, 0, 50, 20, 0);
  ASSERT_NE(0u, c);
  EXPECT_EQ(1, lib.VBXGetFileControlCount(f));
  EXPECT_EQ(VBXERR_INUSE, lib.VBXFreeFile(f));
  DestroyWindow(parent);  // the control dies with its parent
  EXPECT_FALSE(lib.VBXIsControl(c));
  EXPECT_EQ(0, lib.VBXGetFileControlCount(f));
  EXPECT_EQ(VBXERR_NONE, lib.VBXFreeFile(f));
  EXPECT_EQ(0, lib.VBXGetFileCount());
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXFreeFile(f));
  HVBXFILE again = lib.VBXLoadFile("OVTEST.VBX");
  EXPECT_NE(0u, again);
  EXPECT_NE(f, again);  // a new generation: the old handle stays dead
  EXPECT_EQ(0, lib.VBXGetNumClasses(f));
}

TEST_F(Vbx, MalformedControlFilesAreRefused) {
  ASSERT_TRUE(lib.VBXInit32(GetModuleHandleA(nullptr), "Orvanel"));
  struct Case {
    int n;
    const char* fault;
  } cases[] = {
      {1, "no description function"},
      {2, "another magic"},
      {3, "unknown type code"},
      {4, "property without a name"},
      {5, "more properties than the limit"},
      {6, "enumeration without texts"},
      {7, "event argument of type 9"},
      {8, "name longer than 63 bytes"},
      {9, "no window procedure"},
      {10, "description function answering nothing"},
      {11, "array of strings"},
      {12, "enumeration default out of range"},
      {13, "one property name twice"},
  };
  for (const Case& c : cases) {
    std::string file = "VBXBAD" + std::to_string(c.n) + ".VBX";
    EXPECT_EQ(0u, lib.VBXLoadFile(file.c_str())) << c.fault;
    EXPECT_EQ(VBXERR_BADFILE, lib.VBXGetLastError()) << c.fault;
    EXPECT_EQ(nullptr, GetModuleHandleA(file.c_str())) << c.fault << ": left loaded";
  }
  EXPECT_EQ(0, lib.VBXGetFileCount());
  EXPECT_EQ(0u, lib.VBXLoadFile("NOSUCH.VBX"));
  EXPECT_EQ(VBXERR_NOFILE, lib.VBXGetLastError());
  EXPECT_EQ(0u, lib.VBXLoadFile(nullptr));
  EXPECT_EQ(VBXERR_NOFILE, lib.VBXGetLastError());
  HWND parent = CreateWindowA("STATIC", "p", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(0u, lib.VBXCreate(parent, 1, "VBXBAD3.VBX", "Bad", "", 0, 0, 0, 5, 5, 0));
  EXPECT_EQ(VBXERR_BADFILE, lib.VBXGetLastError());
  DestroyWindow(parent);
}

TEST_F(Vbx, CStringHandlesAreCountedAndCopiedWithinTheBuffer) {
  int base = lib.VBXGetCStringCount();
  HSZ h = lib.VBXCreateCString("abcdef");
  ASSERT_NE(0u, h);
  EXPECT_EQ(6, lib.VBXGetCStringLength(h));
  char buf[8];
  EXPECT_EQ(3, lib.VBXGetCStringBuf(h, buf, 4));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ(0, lib.VBXGetCStringBuf(h, buf, 0));
  EXPECT_EQ(VBXERR_BADBUFFER, lib.VBXGetLastError());
  EXPECT_EQ(h, lib.VBXDupCString(h));
  EXPECT_EQ(2, lib.VBXGetCStringRefs(h));
  EXPECT_EQ(VBXERR_NONE, lib.VBXDestroyCString(h));
  EXPECT_EQ(6, lib.VBXGetCStringBuf(h, buf, sizeof buf));  // one holder left
  EXPECT_EQ(VBXERR_NONE, lib.VBXDestroyCString(h));
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXDestroyCString(h));
  EXPECT_EQ(-1, lib.VBXGetCStringLength(h));
  EXPECT_EQ(0, lib.VBXGetCStringBuf(h, buf, sizeof buf));
  EXPECT_STREQ("", buf);
  // A reused slot does not answer to the old handle.
  HSZ next = lib.VBXCreateCString("x");
  EXPECT_NE(h, next);
  EXPECT_EQ(0, lib.VBXGetCStringRefs(h));
  lib.VBXDestroyCString(next);
  EXPECT_EQ(0, lib.VBXGetCStringRefs(0));
  EXPECT_EQ(0, lib.VBXGetCStringRefs(0xFFFFFFFFu));
  EXPECT_EQ(base, lib.VBXGetCStringCount());
}

TEST_F(Vbx, BasicStringsKeepZerosAndTheirLength) {
  int base = lib.VBXGetBasicStringCount();
  const char bytes[] = {'a', 0, 'b', 0, 'c'};
  HLSTR h = lib.VBXCreateBasicString(bytes, 5);
  ASSERT_NE(0u, h);
  EXPECT_EQ(5, lib.VBXGetBasicStringLength(h));
  char buf[8] = {};
  EXPECT_EQ(5, lib.VBXGetBasicStringBuf(h, buf, sizeof buf));
  EXPECT_EQ(0, memcmp(buf, bytes, 5));
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetBasicString(h, "longer text", 11));
  EXPECT_EQ(11, lib.VBXGetBasicStringLength(h));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXSetBasicString(h, nullptr, 3));
  EXPECT_EQ(0u, lib.VBXCreateBasicString(nullptr, 2));
  EXPECT_EQ(0u, lib.VBXCreateBasicString("x", -1));
  EXPECT_EQ(VBXERR_NONE, lib.VBXDestroyBasicString(h));
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXDestroyBasicString(h));
  EXPECT_EQ(-1, lib.VBXGetBasicStringLength(h));
  EXPECT_EQ(base, lib.VBXGetBasicStringCount());
}

TEST_F(Vbx, TerminatingTheLastUserTakesControlsAndFilesAway) {
  ASSERT_TRUE(lib.VBXInit32(GetModuleHandleA(nullptr), "Orvanel"));
  HWND parent = CreateWindowA("STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
  HCTL c = lib.VBXCreate(parent, 5, "OVTEST.VBX", "Meter", "m", 0, 0, 0, 50, 20, 0);
  ASSERT_NE(0u, c);
  HWND w = lib.VBXGetHwnd(c);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(lib.VBXTerm32());
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(lib.VBXIsControl(c));
  EXPECT_EQ(0, lib.VBXGetFileCount());
  EXPECT_EQ(nullptr, GetModuleHandleA("OVTEST.VBX"));
  // And it starts again.
  ASSERT_TRUE(lib.VBXInit32(GetModuleHandleA(nullptr), "Orvanel"));
  c = lib.VBXCreate(parent, 5, "OVTEST.VBX", "Meter", "m", 0, 0, 0, 50, 20, 0);
  EXPECT_NE(0u, c);
  DestroyWindow(parent);
}

}  // namespace
