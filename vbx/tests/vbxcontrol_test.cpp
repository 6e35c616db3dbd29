// A "Meter" control of the test control file, through the library a host loads: its window,
// properties of every type, string handles, events and their block, methods and items,
// saving and loading, and its drawing read back by pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testkit/testkit.h"
#include "vbx/vbxfile.h"
#include "vbx/vbxloader.h"
#include "vbxtestctl.h"

namespace {

VbxLibrary* g_lib = nullptr;

// What a receiver saw of one event notification, decoded while the block was alive.
struct SeenEvent {
  HCTL hctl = 0;
  int32_t event = -1;
  std::string name;
  int32_t argCount = 0;
  std::vector<std::string> args;                // decoded by argument type, first argument first
  long rawName = 0, rawCount = 0, rawArgs = 0;  // offsets the fields were read at
};

std::vector<SeenEvent> g_seen;
LRESULT g_answer = 0;

std::string Decode(HEVENTINFO info, int i, void* p) {
  char buf[256];
  switch (g_lib->VBXGetEventInfoArgType(info, i)) {
    case VBXA_SHORT:
      return "s" + std::to_string(*static_cast<int16_t*>(p));
    case VBXA_LONG:
      return "l" + std::to_string(*static_cast<int32_t*>(p));
    case VBXA_FLOAT:
      snprintf(buf, sizeof buf, "f%g", double(*static_cast<float*>(p)));
      return buf;
    case VBXA_DOUBLE:
      snprintf(buf, sizeof buf, "d%g", *static_cast<double*>(p));
      return buf;
    case VBXA_CSTRING:
      return std::string("c") + *static_cast<const char**>(p);
    case VBXA_BSTRING: {
      HLSTR h = *static_cast<HLSTR*>(p);
      g_lib->VBXGetBasicStringBuf(h, buf, 256);  // as a host copies it: 256 bytes at most
      return "b" + std::to_string(g_lib->VBXGetBasicStringLength(h)) + ":" + buf;
    }
  }
  return "?";
}

LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == VBX_EVENT_MESSAGE) {
    const char* block = reinterpret_cast<const char*>(lp);
    SeenEvent e;
    e.hctl = HCTL(wp);
    // Read the fields where the layout puts them: bytes 12, 16, 20 and 24 in the 32-bit
    // build, the same order with wider pointers in the 64-bit one.
    const size_t atEvent = 12, atName = 16, atCount = sizeof(void*) == 4 ? 20 : 24,
                 atArgs = sizeof(void*) == 4 ? 24 : 32;
    memcpy(&e.event, block + atEvent, 4);
    const char* name;
    memcpy(&name, block + atName, sizeof name);
    e.name = name;
    memcpy(&e.argCount, block + atCount, 4);
    void* const* args;
    memcpy(&args, block + atArgs, sizeof args);
    HEVENTINFO info = g_lib->VBXGetEventInfo(e.hctl, e.event);
    for (int i = 0; i < e.argCount; ++i) e.args.push_back(Decode(info, i, args[e.argCount - 1 - i]));
    g_seen.push_back(e);
    return g_answer;
  }
  return DefWindowProcA(w, m, wp, lp);
}

class Meter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = HBRUSH(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "VbxTestParent";
    RegisterClassA(&wc);
  }

  void SetUp() override {
    ASSERT_TRUE(lib.Load());
    g_lib = &lib;
    g_seen.clear();
    g_answer = 0;
    ASSERT_TRUE(lib.VBXInit32(GetModuleHandleA(nullptr), "Orvanel"));
    parent = CreateWindowA("VbxTestParent", "Meter test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent);
    hctl = lib.VBXCreate(parent, 7, "OVTEST.VBX", "Meter", "Meter1", 0, 10, 20, 200, 40, 0);
    ASSERT_NE(0u, hctl) << lib.VBXGetLastError();
    hwnd = lib.VBXGetHwnd(hctl);
  }

  void TearDown() override {
    if (parent) DestroyWindow(parent);
    while (lib.VBXIsInitialized()) lib.VBXTerm32();
    g_lib = nullptr;
  }

  template <class T>
  T Get(int index) {
    T value{};
    EXPECT_EQ(VBXERR_NONE, lib.VBXGetProp(hctl, index, &value)) << index;
    return value;
  }

  std::string GetString(int index) {
    HSZ h = 0;
    if (lib.VBXGetProp(hctl, index, &h)) return "<error>";
    char buf[256];
    lib.VBXGetCStringBuf(h, buf, sizeof buf);
    lib.VBXDestroyCString(h);
    return buf;
  }

  std::string PropText(int index) {
    char buf[256];
    lib.VBXGetPropTextBuf(hctl, index, buf, sizeof buf);
    return buf;
  }

  static LONG_PTR Bits(float f) {
    uint32_t bits;
    memcpy(&bits, &f, 4);
    return LONG_PTR(bits);
  }

  VbxLibrary lib;
  HWND parent = nullptr;
  HCTL hctl = 0;
  HWND hwnd = nullptr;
};

TEST_F(Meter, CreatingMakesAChildWindowFillingTheRectangle) {
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(parent, GetParent(hwnd));
  EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(7, GetDlgCtrlID(hwnd));
  RECT r;
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetRect(hctl, &r));
  EXPECT_EQ(10, r.left);
  EXPECT_EQ(20, r.top);
  EXPECT_EQ(210, r.right);
  EXPECT_EQ(60, r.bottom);
  EXPECT_EQ(hctl, lib.VBXFromHwnd(hwnd));
  EXPECT_EQ(parent, lib.VBXGetParent(hctl));
  EXPECT_EQ(7, lib.VBXGetId(hctl));
  EXPECT_EQ(hctl, lib.VBXGetControlFromId(parent, 7));
  EXPECT_EQ(1, lib.VBXGetControlCount());
  EXPECT_EQ(hctl, lib.VBXGetControlAt(0));
  EXPECT_EQ(0u, lib.VBXGetControlAt(1));
  char buf[64];
  lib.VBXGetCtlClassNameBuf(hctl, buf, sizeof buf);
  EXPECT_STREQ("Meter", buf);
  EXPECT_EQ(lib.VBXFindFile("OVTEST.VBX"), lib.VBXGetCtlFile(hctl));
  lib.VBXGetTitleBuf(hctl, buf, sizeof buf);
  EXPECT_STREQ("Meter1", buf);
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetTitle(hctl, "Renamed"));
  lib.VBXGetTitleBuf(hctl, buf, sizeof buf);
  EXPECT_STREQ("Renamed", buf);
  EXPECT_TRUE(lib.VBXGetStyle(hctl) & WS_CHILD);
  EXPECT_EQ(0, lib.VBXSetUserData(hctl, 1234));
  EXPECT_EQ(1234, lib.VBXGetUserData(hctl));

  // Refusals: unknown class, no parent window, negative size.
  EXPECT_EQ(0u, lib.VBXCreate(parent, 8, "OVTEST.VBX", "Gauge", "", 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(VBXERR_NOCLASS, lib.VBXGetLastError());
  EXPECT_EQ(0u, lib.VBXCreate(nullptr, 8, "OVTEST.VBX", "Meter", "", 0, 0, 0, 10, 10, 0));
  EXPECT_EQ(VBXERR_NOWINDOW, lib.VBXGetLastError());
  EXPECT_EQ(0u, lib.VBXCreate(parent, 8, "OVTEST.VBX", "Meter", "", 0, 0, 0, -1, 10, 0));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXGetLastError());
  EXPECT_EQ(1, lib.VBXGetControlCount());
}

TEST_F(Meter, MoveTakesTwipsAndTheGeometryPropertiesFollowTheWindow) {
  int cx = lib.VBXPixelsToTwipsX(120), cy = lib.VBXPixelsToTwipsY(30);
  EXPECT_EQ(120, lib.VBXTwipsToPixelsX(cx));
  EXPECT_EQ(30, lib.VBXTwipsToPixelsY(cy));
  EXPECT_EQ(VBXERR_NONE, lib.VBXMethodMove(hctl, 0, 0, cx, cy));
  RECT r;
  GetClientRect(hwnd, &r);
  EXPECT_EQ(120, r.right);
  EXPECT_EQ(30, r.bottom);
  EXPECT_EQ(cx, Get<int32_t>(kMeterWidth));
  EXPECT_EQ(cy, Get<int32_t>(kMeterHeight));
  EXPECT_EQ(0, Get<int32_t>(kMeterLeft));
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetProp(hctl, kMeterLeft, lib.VBXPixelsToTwipsX(50)));
  lib.VBXGetRect(hctl, &r);
  EXPECT_EQ(50, r.left);
  EXPECT_EQ(170, r.right);
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXMethodMove(hctl, 0, 0, -5, 10));
}

// Every type by index and by name: what is written is what is read, in the type's size.
TEST_F(Meter, PropertiesOfEveryTypeRoundTrip) {
  struct Case {
    int index;
    const char* name;
    LONG_PTR written;
    int64_t read;  // the value read back, in the type's width
  } cases[] = {
      {kMeterValue, "Value", 1234, 1234},
      {kMeterValue, "value", -32768, -32768},
      {kMeterMax, "Max", 70000, 70000},
      {kMeterEnabled, "Enabled", 5, -1},
      {kMeterEnabled, "Enabled", 0, 0},
      {kMeterBackColor, "BackColor", 0x00123456, 0x00123456},
      {kMeterStyle, "Style", 2, 2},
      {kMeterLevel, "Level", 299, 299},  // wider than a byte: all of it is kept
      {kMeterPicture, "Picture", 7, 7},
  };
  int sizes[VBXT_COUNT] = {};
  for (int t = 0; t < VBXT_COUNT; ++t) sizes[t] = lib.VBXGetTypeSize(t);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VBXERR_NONE, lib.VBXSetProp(hctl, c.index, c.written));
    int type = lib.VBXGetPropType(hctl, c.index);
    unsigned char raw[8];
    memset(raw, 0xCC, sizeof raw);
    EXPECT_EQ(VBXERR_NONE, lib.VBXGetProp(hctl, c.index, raw));
    EXPECT_EQ(0xCC, raw[sizes[type]]) << "wrote past the type's size";
    int64_t v = 0;
    if (sizes[type] == 2) {
      int16_t s;
      memcpy(&s, raw, 2);
      v = s;
    } else {
      int32_t l;
      memcpy(&l, raw, 4);
      v = l;
    }
    EXPECT_EQ(c.read, v);
    EXPECT_EQ(VBXERR_NONE, lib.VBXSetPropByName(hctl, c.name, c.written));
    int32_t byName = 0;
    EXPECT_EQ(VBXERR_NONE, lib.VBXGetPropByName(hctl, c.name, &byName));
    EXPECT_EQ(c.read, sizes[type] == 2 ? int64_t(int16_t(byName)) : int64_t(byName));
  }
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetProp(hctl, kMeterRatio, Bits(2.25f)));
  EXPECT_EQ(2.25f, Get<float>(kMeterRatio));
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetProp(hctl, kMeterCaption, LONG_PTR("It's \"on\"")));
  EXPECT_EQ("It's \"on\"", GetString(kMeterCaption));
  HLSTR text = lib.VBXCreateBasicString("a\0b", 3);
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetPropByName(hctl, "Text", LONG_PTR(text)));
  lib.VBXDestroyBasicString(text);
  HLSTR back = 0;
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetPropByName(hctl, "Text", &back));
  EXPECT_EQ(3, lib.VBXGetBasicStringLength(back));
  lib.VBXDestroyBasicString(back);
}

TEST_F(Meter, BadPropertyAccessAnswersAFailureCode) {
  struct Case {
    const char* what;
    int result;
    int expected;
  } cases[] = {
      {"index past the end", lib.VBXSetProp(hctl, kMeterPropCount, 1), VBXERR_BADINDEX},
      {"negative index", lib.VBXGetProp(hctl, -1, &hwnd), VBXERR_BADINDEX},
      {"dead handle", lib.VBXSetProp(hctl + 0x10000, kMeterValue, 1), VBXERR_BADHANDLE},
      {"no handle", lib.VBXGetProp(0, kMeterValue, &hwnd), VBXERR_BADHANDLE},
      {"short out of range", lib.VBXSetProp(hctl, kMeterValue, 40000), VBXERR_BADVALUE},
      {"enumeration value 300", lib.VBXSetProp(hctl, kMeterLevel, 300), VBXERR_BADVALUE},
      {"enumeration value -1", lib.VBXSetProp(hctl, kMeterStyle, -1), VBXERR_BADVALUE},
      {"read-only", lib.VBXSetProp(hctl, kMeterVersion, LONG_PTR("2.0")), VBXERR_READONLY},
      {"array without element", lib.VBXSetProp(hctl, kMeterMarks, 1), VBXERR_BADTYPE},
      {"element of no array", lib.VBXSetArrayProp(hctl, kMeterValue, 0, 1), VBXERR_BADTYPE},
      {"no such name", lib.VBXSetPropByName(hctl, "Colour", 1), VBXERR_NOTFOUND},
      {"null name", lib.VBXGetPropByName(hctl, nullptr, &hwnd), VBXERR_NOTFOUND},
      {"no value buffer", lib.VBXGetProp(hctl, kMeterValue, nullptr), VBXERR_BADBUFFER},
      {"dead basic string", lib.VBXSetProp(hctl, kMeterText, 0x7FFF0001), VBXERR_BADHANDLE},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.result) << c.what;
  char name[8];
  EXPECT_EQ(5, lib.VBXGetPropNameBuf(hctl, kMeterLevel, name, sizeof name));
  EXPECT_STREQ("Level", name);
  EXPECT_EQ(0, lib.VBXGetPropNameBuf(hctl, kMeterPropCount, name, sizeof name));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetLastError());
  EXPECT_EQ(-1, lib.VBXGetPropType(hctl, 99));
  EXPECT_EQ(-1, lib.VBXGetPropIndex(hctl, "Nothing"));
  EXPECT_EQ(kMeterLevel, lib.VBXGetPropIndex(hctl, "LEVEL"));
  EXPECT_EQ(std::string("1.0"), GetString(kMeterVersion));
  EXPECT_EQ(0, Get<int16_t>(kMeterValue));  // nothing refused was stored
}

TEST_F(Meter, ArrayElementsAreReadAndWrittenOneByOne) {
  EXPECT_TRUE(lib.VBXIsArrayProp(hctl, kMeterMarks));
  EXPECT_FALSE(lib.VBXIsArrayProp(hctl, kMeterValue));
  EXPECT_EQ(kMeterMarkCount, lib.VBXGetArrayPropCount(hctl, kMeterMarks));
  EXPECT_EQ(0, lib.VBXGetArrayPropCount(hctl, kMeterValue));
  EXPECT_EQ(VBXERR_BADTYPE, lib.VBXGetLastError());
  for (int i = 0; i < kMeterMarkCount; ++i)
    EXPECT_EQ(VBXERR_NONE, lib.VBXSetArrayProp(hctl, kMeterMarks, i, i * 10 - 5));
  for (int i = 0; i < kMeterMarkCount; ++i) {
    int16_t v = 0;
    EXPECT_EQ(VBXERR_NONE, lib.VBXGetArrayProp(hctl, kMeterMarks, &v, i));
    EXPECT_EQ(i * 10 - 5, v);
  }
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetArrayPropByName(hctl, "Marks", 3, 333));
  int16_t v = 0;
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetArrayPropByName(hctl, "marks", &v, 3));
  EXPECT_EQ(333, v);
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXSetArrayProp(hctl, kMeterMarks, kMeterMarkCount, 1));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetArrayProp(hctl, kMeterMarks, &v, -1));
  EXPECT_EQ(VBXERR_BADTYPE, lib.VBXGetProp(hctl, kMeterMarks, &v));
}

// A host reads a string property many times: every handle it gets is released.
TEST_F(Meter, StringHandlesDoNotLeakOverManyReads) {
  int cbase = lib.VBXGetCStringCount(), bbase = lib.VBXGetBasicStringCount();
  for (int i = 0; i < 2000; ++i) {
    std::string caption = "caption " + std::to_string(i);
    ASSERT_EQ(VBXERR_NONE, lib.VBXSetPropByName(hctl, "Caption", LONG_PTR(caption.c_str())));
    HSZ h = 0;
    ASSERT_EQ(VBXERR_NONE, lib.VBXGetPropByName(hctl, "Caption", &h));
    char buf[256];
    lib.VBXGetCStringBuf(h, buf, 256);
    ASSERT_EQ(caption, buf);
    ASSERT_EQ(VBXERR_NONE, lib.VBXDestroyCString(h));
    HLSTR b = 0;
    ASSERT_EQ(VBXERR_NONE, lib.VBXGetProp(hctl, kMeterText, &b));
    ASSERT_EQ(VBXERR_NONE, lib.VBXDestroyBasicString(b));
  }
  EXPECT_EQ(cbase, lib.VBXGetCStringCount());
  EXPECT_EQ(bbase, lib.VBXGetBasicStringCount());
}

TEST_F(Meter, DefaultsResetsAndCopies) {
  int16_t d = 0;
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetPropDefault(hctl, kMeterMax, &d));
  EXPECT_EQ(100, d);
  EXPECT_TRUE(lib.VBXIsPropDefault(hctl, kMeterMax));
  EXPECT_FALSE(lib.VBXIsPropDefault(hctl, kMeterWidth));  // the window's: never a default
  int changes = lib.VBXGetChangeCount(hctl);
  lib.VBXSetProp(hctl, kMeterMax, 5);
  lib.VBXSetProp(hctl, kMeterMax, 5);  // no change
  lib.VBXSetArrayProp(hctl, kMeterMarks, 2, 9);
  EXPECT_EQ(changes + 2, lib.VBXGetChangeCount(hctl));
  EXPECT_FALSE(lib.VBXIsPropDefault(hctl, kMeterMax));
  EXPECT_FALSE(lib.VBXIsPropDefault(hctl, kMeterMarks));

  HCTL other = lib.VBXCreate(parent, 9, "OVTEST.VBX", "Meter", "Meter2", 0, 0, 100, 50, 20, 0);
  ASSERT_NE(0u, other);
  EXPECT_EQ(2, lib.VBXCopyProps(hctl, other));
  int32_t max = 0;
  lib.VBXGetProp(other, kMeterMax, &max);
  EXPECT_EQ(5, max);
  HCTL clone = lib.VBXCloneControl(hctl, parent, 10);
  ASSERT_NE(0u, clone);
  lib.VBXGetProp(clone, kMeterMax, &max);
  EXPECT_EQ(5, max);
  RECT a, b;
  lib.VBXGetRect(hctl, &a);
  lib.VBXGetRect(clone, &b);
  EXPECT_TRUE(EqualRect(&a, &b));
  EXPECT_EQ(10, lib.VBXGetId(clone));

  EXPECT_EQ(VBXERR_NONE, lib.VBXResetProp(hctl, kMeterMax));
  EXPECT_TRUE(lib.VBXIsPropDefault(hctl, kMeterMax));
  EXPECT_EQ(VBXERR_BADTYPE, lib.VBXResetProp(hctl, kMeterLeft));
  EXPECT_EQ(VBXERR_NONE, lib.VBXResetAllProps(other));
  for (int i = 0; i < kMeterPropCount; ++i) {
    if (i < kMeterLeft || i > kMeterHeight) {
      EXPECT_TRUE(lib.VBXIsPropDefault(other, i)) << i;
    }
  }
  EXPECT_EQ(DWORD(VBXPF_ARRAY), lib.VBXGetPropFlags(hctl, kMeterMarks));
  EXPECT_TRUE(lib.VBXIsPropReadOnly(hctl, kMeterVersion));
  EXPECT_FALSE(lib.VBXIsPropReadOnly(hctl, kMeterCaption));
}

TEST_F(Meter, EnumerationTextsAndTypeNames) {
  char buf[64];
  EXPECT_EQ(kMeterLevels, lib.VBXGetEnumCount(hctl, kMeterLevel));
  lib.VBXGetEnumTextBuf(hctl, kMeterLevel, 299, buf, sizeof buf);
  EXPECT_STREQ("Level 299", buf);
  EXPECT_EQ(0, lib.VBXGetEnumTextBuf(hctl, kMeterLevel, 300, buf, sizeof buf));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXGetLastError());
  EXPECT_EQ(1, lib.VBXFindEnumValue(hctl, kMeterStyle, "frame"));
  EXPECT_EQ(-1, lib.VBXFindEnumValue(hctl, kMeterStyle, "Round"));
  EXPECT_EQ(0, lib.VBXGetEnumCount(hctl, kMeterValue));
  EXPECT_EQ(VBXERR_BADTYPE, lib.VBXGetLastError());
  struct Case {
    int type;
    const char* name;
    int size;
  } cases[] = {
      {VBXT_STRING, "String", 4},   {VBXT_SHORT, "Integer", 2},       {VBXT_LONG, "Long", 4},
      {VBXT_BOOL, "Boolean", 2},    {VBXT_COLOR, "Color", 4},         {VBXT_ENUM, "Enum", 2},
      {VBXT_REAL, "Single", 4},     {VBXT_XPOS, "XPos", 4},           {VBXT_YSIZE, "YSize", 4},
      {VBXT_PICTURE, "Picture", 2}, {VBXT_BSTRING, "BasicString", 4},
  };
  for (const Case& c : cases) {
    lib.VBXGetTypeNameBuf(c.type, buf, sizeof buf);
    EXPECT_STREQ(c.name, buf);
    EXPECT_EQ(c.size, lib.VBXGetTypeSize(c.type)) << c.name;
  }
  EXPECT_EQ(0, lib.VBXGetTypeNameBuf(VBXT_COUNT, buf, sizeof buf));
  EXPECT_EQ(0, lib.VBXGetTypeSize(-1));
}

TEST_F(Meter, PropertiesAsTextAndSavedLinesRoundTrip) {
  struct Case {
    int index;
    const char* text;
    const char* shown;
  } cases[] = {
      {kMeterValue, "-12", "-12"},       {kMeterMax, "&H10&", "16"},
      {kMeterEnabled, "False", "False"}, {kMeterBackColor, "&H00FF8000&", "&H00FF8000&"},
      {kMeterStyle, "Frame", "1"},       {kMeterLevel, "258", "258"},
      {kMeterRatio, "0.125", "0.125"},   {kMeterCaption, "say \"hi\"", "say \"hi\""},
      {kMeterText, "basic", "basic"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VBXERR_NONE, lib.VBXSetPropText(hctl, c.index, c.text)) << c.text;
    EXPECT_EQ(c.shown, PropText(c.index)) << c.text;
  }
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXSetPropText(hctl, kMeterValue, "12x"));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXSetPropText(hctl, kMeterStyle, "Round"));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXSetPropText(hctl, kMeterRatio, ""));
  lib.VBXSetArrayProp(hctl, kMeterMarks, 6, 66);

  int length = lib.VBXSavePropsBuf(hctl, nullptr, 0);
  ASSERT_GT(length, 0);
  std::vector<char> saved(size_t(length) + 1);
  EXPECT_EQ(length, lib.VBXSavePropsBuf(hctl, saved.data(), length + 1));
  std::string text = saved.data();
  EXPECT_NE(std::string::npos, text.find("Caption=\"say \"\"hi\"\"\"\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("Marks(6)=66\r\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("Version=")) << text;  // still its default

  HCTL other = lib.VBXCreate(parent, 9, "OVTEST.VBX", "Meter", "Meter2", 0, 0, 100, 50, 20, 0);
  ASSERT_NE(0u, other);
  int lines = 0;
  for (char ch : text) lines += ch == '\n';
  EXPECT_EQ(lines, lib.VBXLoadProps(other, text.c_str()));
  EXPECT_EQ(VBXERR_NONE, lib.VBXGetLastError());
  std::vector<char> again(size_t(length) + 1);
  lib.VBXSavePropsBuf(other, again.data(), length + 1);
  EXPECT_EQ(text, again.data());
  // A bad line is skipped and reported; the good ones apply.
  EXPECT_EQ(1, lib.VBXLoadProps(other, "Nothing=1\r\nValue=77\r\nMax=lots\r\n"));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXGetLastError());
  int16_t v = 0;
  lib.VBXGetProp(other, kMeterValue, &v);
  EXPECT_EQ(77, v);
}

TEST_F(Meter, EventsAreDescribed) {
  EXPECT_EQ(kMeterEventCount, lib.VBXGetNumEvents(hctl));
  struct Case {
    int event;
    const char* name;
    const char* params;
    std::vector<int> types;
  } cases[] = {
      {kMeterClick, "Click", "", {}},
      {kMeterMouseDown,
       "MouseDown",
       "Button As Integer, Shift As Integer, X As Single, Y As Single",
       {VBXA_SHORT, VBXA_SHORT, VBXA_SHORT, VBXA_SHORT}},
      {kMeterChange,
       "Change",
       "Value As Integer, Total As Long, Ratio As Single",
       {VBXA_SHORT, VBXA_LONG, VBXA_FLOAT}},
      {kMeterMessage, "Message", "Text As String", {VBXA_BSTRING}},
      {kMeterPrecise, "Precise", "Amount As Double", {VBXA_DOUBLE}},
      {kMeterLabel, "Label", "Text As String", {VBXA_CSTRING}},
  };
  char buf[256];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lib.VBXGetEventNameBuf(hctl, c.event, buf, 64);
    EXPECT_STREQ(c.name, buf);
    HEVENTINFO info = lib.VBXGetEventInfo(hctl, c.event);
    ASSERT_NE(0u, info);
    lib.VBXGetEventInfoParamsBuf(info, buf, 64);
    EXPECT_EQ(std::string(c.params).substr(0, 63), buf);  // a 64-byte buffer holds 63
    lib.VBXGetEventInfoNameBuf(info, buf, sizeof buf);
    EXPECT_STREQ(c.name, buf);
    EXPECT_EQ(int(c.types.size()), lib.VBXGetEventInfoNumArgs(info));
    for (size_t i = 0; i < c.types.size(); ++i)
      EXPECT_EQ(c.types[i], lib.VBXGetEventInfoArgType(info, int(i)));
    EXPECT_EQ(VBXA_NONE, lib.VBXGetEventInfoArgType(info, int(c.types.size())));
    EXPECT_EQ(c.event, lib.VBXGetEventIndex(hctl, c.name));
  }
  EXPECT_EQ(0u, lib.VBXGetEventInfo(hctl, kMeterEventCount));
  EXPECT_EQ(-1, lib.VBXGetEventIndex(hctl, "Resize"));
  EXPECT_EQ(-1, lib.VBXGetEventInfoNumArgs(0x12345678));
}

TEST_F(Meter, FiredEventsReachTheParentWithTheBlockLaidOutAsSpecified) {
  g_answer = 42;
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(15, 25));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(16, 26));
  ASSERT_EQ(3u, g_seen.size());
  EXPECT_EQ("MouseDown", g_seen[0].name);
  EXPECT_EQ(kMeterMouseDown, g_seen[0].event);
  EXPECT_EQ(hctl, g_seen[0].hctl);
  EXPECT_EQ((std::vector<std::string>{"s1", "s1", "s15", "s25"}), g_seen[0].args);
  EXPECT_EQ("MouseUp", g_seen[1].name);
  EXPECT_EQ((std::vector<std::string>{"s1", "s0", "s16", "s26"}), g_seen[1].args);
  EXPECT_EQ("Click", g_seen[2].name);
  EXPECT_EQ(0, g_seen[2].argCount);
  EXPECT_EQ(42, lib.VBXGetLastEventResult(hctl));
  EXPECT_EQ(3, lib.VBXGetEventsFired(hctl));

  g_seen.clear();
  lib.VBXSetProp(hctl, kMeterValue, 12);
  lib.VBXSetProp(hctl, kMeterMax, 345678);
  lib.VBXSetProp(hctl, kMeterRatio, Bits(0.75f));
  EXPECT_EQ(42, SendMessageA(hwnd, kMeterFireChange, 0, 0));
  std::string longText(300, 'x');
  longText[0] = 'A';
  SendMessageA(hwnd, kMeterFireMessage, 0, LPARAM(longText.c_str()));
  SendMessageA(hwnd, kMeterFirePrecise, 0, 10);
  SendMessageA(hwnd, kMeterFireLabel, 0, LPARAM("label text"));
  ASSERT_EQ(4u, g_seen.size());
  EXPECT_EQ((std::vector<std::string>{"s12", "l345678", "f0.75"}), g_seen[0].args);
  // The whole text travels; a host's 256-byte copy holds its first 255 characters.
  EXPECT_EQ("b300:" + longText.substr(0, 255), g_seen[1].args.at(0));
  EXPECT_EQ("d2.5", g_seen[2].args.at(0));
  EXPECT_EQ("clabel text", g_seen[3].args.at(0));
}

TEST_F(Meter, EventsCanBeRedirectedSwitchedOffAndRefused) {
  HWND other = CreateWindowA("VbxTestParent", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(parent, lib.VBXSetEventTarget(hctl, other));
  EXPECT_EQ(other, lib.VBXGetEventTarget(hctl));
  g_answer = 7;
  EXPECT_EQ(7, lib.VBXFireEvent(hctl, kMeterClick, 0, nullptr));
  EXPECT_EQ(1u, g_seen.size());
  EXPECT_EQ(other, lib.VBXSetEventTarget(hctl, nullptr));
  EXPECT_EQ(parent, lib.VBXGetEventTarget(hctl));
  DestroyWindow(other);

  EXPECT_TRUE(lib.VBXEnableEvents(hctl, FALSE));
  EXPECT_FALSE(lib.VBXEventsEnabled(hctl));
  EXPECT_EQ(0, lib.VBXFireEvent(hctl, kMeterClick, 0, nullptr));
  EXPECT_EQ(VBXERR_DISABLED, lib.VBXGetLastError());
  EXPECT_EQ(1u, g_seen.size());
  lib.VBXEnableEvents(hctl, TRUE);

  int16_t s = 1;
  void* one[] = {&s};
  EXPECT_EQ(0, lib.VBXFireEvent(hctl, kMeterClick, 1, one));  // Click has no arguments
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXGetLastError());
  EXPECT_EQ(0, lib.VBXFireEvent(hctl, kMeterMessage, 1, nullptr));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXGetLastError());
  EXPECT_EQ(0, lib.VBXFireEvent(hctl, kMeterEventCount, 0, nullptr));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetLastError());
  EXPECT_EQ(0, lib.VBXFireEventByName(hctl, "Resize", 0, nullptr));
  EXPECT_EQ(VBXERR_NOTFOUND, lib.VBXGetLastError());
  EXPECT_EQ(7, lib.VBXFireEventByName(hctl, "dblclick", 0, nullptr));
  EXPECT_EQ(2u, g_seen.size());
}

TEST_F(Meter, ItemsAndMethods) {
  EXPECT_EQ(DWORD(VBXM_ALL), lib.VBXGetMethods(hctl));
  EXPECT_TRUE(lib.VBXSupportsMethod(hctl, VBXM_ADDITEM | VBXM_MOVE));
  EXPECT_FALSE(lib.VBXSupportsMethod(hctl, 0x10));
  EXPECT_EQ(0, lib.VBXMethodAddItem(hctl, -1, "one"));
  EXPECT_EQ(1, lib.VBXMethodAddItem(hctl, -1, "three"));
  EXPECT_EQ(1, lib.VBXMethodAddItem(hctl, 1, "two"));
  EXPECT_EQ(-1, lib.VBXMethodAddItem(hctl, 4, "far"));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXGetLastError());
  EXPECT_EQ(3, lib.VBXGetItemCount(hctl));
  char buf[16];
  lib.VBXGetItemTextBuf(hctl, 1, buf, sizeof buf);
  EXPECT_STREQ("two", buf);
  EXPECT_EQ(2, lib.VBXFindItem(hctl, "THREE", 0));
  EXPECT_EQ(-1, lib.VBXFindItem(hctl, "one", 1));
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetItemText(hctl, 0, "zero"));
  EXPECT_EQ(VBXERR_BADINDEX, lib.VBXSetItemText(hctl, 3, "x"));
  EXPECT_EQ(2, lib.VBXMethodRemoveItem(hctl, 0));
  EXPECT_EQ(-1, lib.VBXMethodRemoveItem(hctl, 2));
  lib.VBXGetItemTextBuf(hctl, 0, buf, sizeof buf);
  EXPECT_STREQ("two", buf);
  EXPECT_EQ(VBXERR_NONE, lib.VBXClearItems(hctl));
  EXPECT_EQ(0, lib.VBXGetItemCount(hctl));
  EXPECT_EQ(0, lib.VBXGetItemTextBuf(hctl, 0, buf, sizeof buf));

  int paints = lib.VBXGetPaintCount(hctl);
  EXPECT_EQ(VBXERR_NONE, lib.VBXMethodRefresh(hctl));
  EXPECT_GT(lib.VBXGetPaintCount(hctl), paints);
  paints = lib.VBXGetPaintCount(hctl);
  EXPECT_EQ(VBXERR_NONE, lib.VBXInvalidate(hctl, TRUE));
  EXPECT_EQ(VBXERR_NONE, lib.VBXUpdate(hctl));
  EXPECT_GT(lib.VBXGetPaintCount(hctl), paints);
}

TEST_F(Meter, VisibilityEnablingFontAndFocusFollowTheWindow) {
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetPropByName(hctl, "Visible", 0));
  EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(VBXERR_NONE, lib.VBXShow(hctl, TRUE));
  EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(-1, Get<int16_t>(kMeterVisible));
  EXPECT_EQ(VBXERR_NONE, lib.VBXEnable(hctl, FALSE));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_EQ(0, Get<int16_t>(kMeterEnabled));
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetProp(hctl, kMeterEnabled, 1));
  EXPECT_TRUE(IsWindowEnabled(hwnd));

  SetForegroundWindow(parent);
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetFocus(hctl));
  EXPECT_EQ(hwnd, GetFocus());
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXSetFocus(0));

  HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetFont(hctl, font, FALSE));
  EXPECT_EQ(font, lib.VBXGetFont(hctl));
  EXPECT_EQ(VBXERR_BADVALUE, lib.VBXSetFont(hctl, HFONT(GetStockObject(BLACK_BRUSH)), FALSE));
  EXPECT_EQ(font, lib.VBXGetFont(hctl));
  DestroyWindow(hwnd);  // the font outlives the window that used it
  DeleteObject(font);
}

TEST_F(Meter, ControlsAreFoundByNameAndDestroyed) {
  EXPECT_EQ(VBXERR_NONE, lib.VBXSetPropByName(hctl, "CtlName", LONG_PTR("Gauge1")));
  EXPECT_EQ(hctl, lib.VBXGetControlByName(parent, "gauge1"));
  EXPECT_EQ(0u, lib.VBXGetControlByName(parent, "Gauge2"));
  HCTL second = lib.VBXCreate(parent, 8, "OVTEST.VBX", "Meter", "m2", 0, 0, 0, 10, 10, 0);
  HCTL third = lib.VBXCreate(parent, 9, "OVTEST.VBX", "Meter", "m3", 0, 0, 0, 10, 10, 0);
  ASSERT_NE(0u, third);
  HVBXFILE f = lib.VBXGetCtlFile(hctl);
  EXPECT_EQ(3, lib.VBXGetFileControlCount(f));
  HWND w = lib.VBXGetHwnd(second);
  EXPECT_EQ(VBXERR_NONE, lib.VBXDestroy(second));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(lib.VBXIsControl(second));
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXDestroy(second));
  EXPECT_EQ(2, lib.VBXDestroyAll(parent));
  EXPECT_EQ(0, lib.VBXGetControlCount());
  EXPECT_EQ(0, lib.VBXGetFileControlCount(f));
  EXPECT_EQ(0, lib.VBXGetNumProps(hctl));
  EXPECT_EQ(VBXERR_BADHANDLE, lib.VBXGetLastError());
}

// The control paints its background in BackColor and Value / Max of its width in ForeColor.
TEST_F(Meter, DrawingIsCheckedByPixels) {
  SetWindowPos(parent, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  lib.VBXSetProp(hctl, kMeterBackColor, RGB(255, 255, 255));
  lib.VBXSetProp(hctl, kMeterForeColor, RGB(255, 0, 0));
  lib.VBXSetProp(hctl, kMeterMax, 100);
  lib.VBXSetProp(hctl, kMeterValue, 50);
  lib.VBXMethodRefresh(hctl);
  testkit::PumpUntil([] { return false; }, 100);
  testkit::Image shot = testkit::Capture(hwnd);
  ASSERT_EQ(200, shot.width);
  ASSERT_EQ(40, shot.height);
  EXPECT_EQ(RGB(255, 0, 0), shot.Pixel(50, 20));
  EXPECT_EQ(RGB(255, 255, 255), shot.Pixel(150, 20));

  lib.VBXSetPropText(hctl, kMeterStyle, "Empty");
  lib.VBXMethodRefresh(hctl);
  shot = testkit::Capture(hwnd);
  EXPECT_EQ(RGB(255, 255, 255), shot.Pixel(50, 20));

  lib.VBXSetPropText(hctl, kMeterStyle, "Bar");
  lib.VBXSetProp(hctl, kMeterValue, 100);
  lib.VBXSetProp(hctl, kMeterForeColor, RGB(0, 0, 255));
  lib.VBXMethodRefresh(hctl);
  shot = testkit::Capture(hwnd);
  EXPECT_EQ(RGB(0, 0, 255), shot.Pixel(190, 20));
}

}  // namespace
