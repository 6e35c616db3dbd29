// Damaged module files: each is refused with a message that names the file and the
// damage, and leaves nothing of the module behind. Saving never loses the old file.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "objtest_util.h"
#include "testkit/testkit.h"

namespace {

using namespace objtest;

struct StoreSetup {
  StoreSetup() { SetUpStore(); }
} g_setup;

const DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// Stream images written byte by byte, in the module file's own value forms.
struct Bytes {
  std::string b;
  Bytes& u8(unsigned v) {
    b += char(v & 0xFF);
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
  Bytes& u32(unsigned long v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& str(const char* s) {
    if (!s) return u32(0);
    u32((unsigned long)strlen(s) + 1);
    b.append(s, strlen(s) + 1);
    return *this;
  }
  Bytes& raw(const Bytes& o) {
    b += o.b;
    return *this;
  }
};

// A field definition of a plain data field (tag 1).
Bytes DataFieldDef(const char* name, unsigned type) {
  return Bytes().u8(1).str(name).u16(0).u8(type).str("");
}

// One object's stream. parent: slot index or -1; fields, cells, arrays and embeds are
// counted lists given as their count and bytes.
struct ObjImage {
  bool embedded = false;
  const char* name = "";
  long parent = -1;
  unsigned long nfields = 0;
  Bytes fields;
  unsigned long ncells = 0;
  Bytes cells;
  unsigned long narrays = 0;
  Bytes arrays;
  std::vector<unsigned long> embeds;
  size_t cut = 0;  // non-zero: the stream ends after cut bytes

  Bytes image() const {
    Bytes s;
    s.u8(embedded).str(name).u8(0).u8(0).str("").str("");
    if (parent < 0)
      s.u8(0);
    else
      s.u8(1).u32((unsigned long)parent);
    s.u32(nfields).raw(fields).u32(0);
    s.u32(ncells).raw(cells).u32(narrays).raw(arrays);
    s.u32((unsigned long)embeds.size());
    for (unsigned long e : embeds) s.u32(e).str(nullptr);
    s.u8(0);
    if (cut) s.b.resize(cut);
    return s;
  }
};

Bytes HeadImage(unsigned long slots, unsigned long claimed) {
  Bytes h;
  h.b = "OVMD";
  h.u32(1).str("damaged").u32(0).u32(claimed);
  for (unsigned long i = 0; i < slots; ++i) h.str(("O" + std::to_string(i)).c_str());
  return h;
}

void WriteFile(const std::string& path, const Bytes& head, const std::vector<Bytes>& objs) {
  OCLStorage stg(path.c_str(), 1, kCreate);
  ASSERT_TRUE(stg.is()) << OleResult::buf;
  {
    OCLStream s(stg.storage(), "Module", 1, kCreate);
    s.write(head.b.data(), (ULONG)head.b.size());
  }
  for (size_t i = 0; i < objs.size(); ++i) {
    OCLStream s(stg.storage(), ("O" + std::to_string(i)).c_str(), 1, kCreate);
    s.write(objs[i].b.data(), (ULONG)objs[i].b.size());
  }
  stg->Commit(STGC_DEFAULT);
}

// Loads path, which must fail with a message naming the file and containing reason,
// and leave no module, object or enumeration behind.
void ExpectRefused(const std::string& path, const char* reason) {
  int modules = ObjectStore::ModuleCount();
  long live = InterObjRep::LiveObjects();
  try {
    unsigned char m = ObjectStore::LoadModule(path.c_str());
    ObjectStore::UnloadModule(m, 1);
    ADD_FAILURE() << "loaded";
  } catch (const ModuleOpenFailed& e) {
    std::string what = e.what();
    EXPECT_NE(std::string::npos, what.find("'" + path + "' could not be opened.")) << what;
    EXPECT_NE(std::string::npos, what.find(reason)) << what;
  }
  EXPECT_EQ(modules, ObjectStore::ModuleCount());
  EXPECT_EQ(live, InterObjRep::LiveObjects());
  EXPECT_EQ(nullptr, ObjectStore::find("A"));
  EXPECT_EQ(nullptr, ObjectStore::find("B"));
}

TEST(ModuleFiles, DamagedContentIsRefusedAndNothingStays) {
  testkit::TestDataDir dir("ovstore_modfile");
  // Object A with a Long field X; B derives from A.
  auto a = [] {
    ObjImage o;
    o.name = "A";
    o.nfields = 1;
    o.fields = DataFieldDef("X", 2);
    return o;
  };
  auto b = [] {
    ObjImage o;
    o.name = "B";
    o.parent = 0;
    return o;
  };
  // Procedure fields nested through their arguments, deeper than any stack.
  Bytes deep;
  const int kDeep = 100000;
  for (int i = 0; i < kDeep; ++i) deep.u8(32).str("p").u16(0).u8(0).str("").str("").u32(1);
  deep.raw(DataFieldDef("x", 2));

  struct Case {
    const char* what;
    std::function<void(std::vector<ObjImage>&, Bytes& head)> damage;
    const char* reason;
  } cases[] = {
      {"unknown value type 0x20",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].ncells = 1;
         o[0].cells.str("X").u8(0x20).u32(0x11111111).u32(0x22222222);
       },
       "unknown value type 32"},
      {"unknown value type 0x3F",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].ncells = 1;
         o[0].cells.str("X").u8(0x3F).u32(4);
       },
       "unknown value type 63"},
      {"a string claiming 4 GB",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].ncells = 1;
         o[0].cells.str("X").u8(6).u32(0xFFFFFFF0).u32(0);
       },
       "a string"},
      {"object is its own prototype", [](std::vector<ObjImage>& o, Bytes&) { o[0].parent = 0; },
       "own prototype"},
      {"two objects each other's prototype", [](std::vector<ObjImage>& o, Bytes&) { o[0].parent = 1; },
       "own prototype"},
      {"embedding cycle",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[1].parent = -1;
         o[1].embedded = true;
         o[0].embeds = {1};
         o[1].embeds = {0};
       },
       "embedded in itself"},
      {"object embeds its own prototype", [](std::vector<ObjImage>& o, Bytes&) { o[1].embeds = {0}; },
       "is the prototype of 'B'"},
      {"object embeds itself", [](std::vector<ObjImage>& o, Bytes&) { o[0].embeds = {0}; },
       "embedded in itself"},
      {"embedded twice",
       [](std::vector<ObjImage>& o, Bytes& head) {
         head = HeadImage(3, 3);
         o.push_back(ObjImage());
         o[2].name = "C";
         o[2].embedded = true;
         o[0].embeds = {2};
         o[1].embeds = {2};
       },
       "embedded twice"},
      {"embed names an empty slot", [](std::vector<ObjImage>& o, Bytes&) { o[0].embeds = {7}; }, "slot 7"},
      {"slot count 0xFFFFFFFF", [](std::vector<ObjImage>&, Bytes& head) { head = HeadImage(2, 0xFFFFFFFF); },
       "the slot count"},
      {"field count 0xFFFFFFFF", [](std::vector<ObjImage>& o, Bytes&) { o[0].nfields = 0xFFFFFFFF; },
       "a field count"},
      {"value count 0x7FFFFFFF", [](std::vector<ObjImage>& o, Bytes&) { o[1].ncells = 0x7FFFFFFF; },
       "a value count"},
      {"array bounds 0 To 0x7FFFFFFE",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].narrays = 1;
         o[0].arrays.str("G").u8(1).u32(0).u32(0x7FFFFFFE).u8(2).u32(1);
       },
       "Array too large"},
      {"array bounds beyond the bytes left",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].narrays = 1;
         o[0].arrays.str("G").u8(1).u32(0).u32(100000).u8(2).u32(1);
       },
       "an array"},
      {"array field with 0xFFFFFFFF dimensions",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].nfields = 2;
         o[0].fields.u8(6).str("G").u16(0).u8(2).str("").u32(0xFFFFFFFF);
       },
       "dimension count"},
      {"field definitions nested 100,000 deep",
       [&deep](std::vector<ObjImage>& o, Bytes&) {
         o[0].nfields = 2;
         o[0].fields.raw(deep);
       },
       "nested too deeply"},
      {"unknown field kind",
       [](std::vector<ObjImage>& o, Bytes&) {
         o[0].nfields = 2;
         o[0].fields.u8(0x7E).str("Z");
       },
       "Unknown field kind"},
      {"object stream cut short", [](std::vector<ObjImage>& o, Bytes&) { o[1].cut = 9; }, "damaged"},
      {"field stream cut short", [](std::vector<ObjImage>& o, Bytes&) { o[0].cut = 30; }, "damaged"},
      {"bad magic", [](std::vector<ObjImage>&, Bytes& head) { head.b[0] = 'X'; }, "not a module file"},
      {"unknown format", [](std::vector<ObjImage>&, Bytes& head) { head.b[4] = 9; }, "format 9"},
      {"missing object stream", [](std::vector<ObjImage>&, Bytes& head) { head = HeadImage(3, 3); },
       "'O2' is missing"},
      {"index cut short", [](std::vector<ObjImage>&, Bytes& head) { head.b.resize(10); }, "damaged"},
  };
  // The undamaged file loads (the cases' damage is all there is).
  {
    std::string path = dir.File("good.obo");
    WriteFile(path, HeadImage(2, 2), {a().image(), b().image()});
    unsigned char m = ObjectStore::LoadModule(path.c_str());
    ASSERT_NE(nullptr, ObjectStore::find("B"));
    EXPECT_EQ(ObjectStore::find("A"), ObjectStore::find("B")->parent());
    ObjectStore::UnloadModule(m, 1);
  }
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<ObjImage> objs = {a(), b()};
    Bytes head = HeadImage(2, 2);
    c.damage(objs, head);
    std::vector<Bytes> images;
    for (const ObjImage& o : objs) images.push_back(o.image());
    std::string path = dir.File(("case" + std::to_string(n++) + ".obo").c_str());
    WriteFile(path, head, images);
    ExpectRefused(path, c.reason);
  }
}

TEST(ModuleFiles, NotACompoundFileOrMissingNamesPathAndReason) {
  testkit::TestDataDir dir("ovstore_modfile2");
  std::string missing = dir.File("nowhere\\missing.obo");
  try {
    ObjectStore::LoadModule(missing.c_str());
    ADD_FAILURE() << "loaded";
  } catch (const ModuleOpenFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("'" + missing + "'")) << e.what();
  }
}

// A small module with a value to recognise it by.
unsigned char MakeModule(const std::string& path, long value) {
  unsigned char m = ObjectStore::CreateModule("saved", path.c_str());
  OpenModuleResource open(m);
  PrimInterObj a("Keep", nullptr, 0);
  a->addField(InterDataField::make("N", 2), nullptr);
  Set(a.get(), "N", new DirectValue<long, 2>(value));
  return m;
}

std::string Contents(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  fclose(f);
  return s;
}

TEST(ModuleFiles, SavingRefusesWhatCannotBeWrittenAndKeepsTheOldFile) {
  testkit::TestDataDir dir("ovstore_modsave");
  std::string path = dir.File("old.obo");
  unsigned char m = MakeModule(path, 5);
  ObjectStore::SaveModule(m);
  ObjectStore::UnloadModule(m, 1);
  std::string before = Contents(path);

  // Into a folder that does not exist: "saved", not "opened".
  m = MakeModule(dir.File("other.obo"), 6);
  std::string lost = dir.File("no such folder\\x.obo");
  try {
    ObjectStore::SaveModule(m, lost.c_str());
    ADD_FAILURE() << "saved";
  } catch (const ModuleSaveFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("could not be saved. The folder does not exist."))
        << e.what();
  }
  // Onto a file with the read-only attribute: refused, the file unchanged.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  try {
    ObjectStore::SaveModule(m, path.c_str());
    ADD_FAILURE() << "saved";
  } catch (const ModuleSaveFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("The file is read-only.")) << e.what();
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(before, Contents(path));
  ObjectStore::UnloadModule(m, 1);

  // A module opened read-only (its file has the attribute) saves with an error.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  unsigned char ro = ObjectStore::LoadModule(path.c_str());
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(5, LongOf(ObjectStore::find("Keep")->evalIMember("N", nullptr)));
  Set(ObjectStore::find("Keep"), "N", new DirectValue<long, 2>(9));
  try {
    ObjectStore::SaveModule(ro);
    ADD_FAILURE() << "saved";
  } catch (const ModuleSaveFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("opened read-only")) << e.what();
  }
  ObjectStore::UnloadModule(ro, 1);
  EXPECT_EQ(before, Contents(path));

  // Save-as onto the existing file succeeds through a file beside it, and nothing else
  // stays in the folder.
  m = MakeModule(dir.File("third.obo"), 8);
  ObjectStore::SaveModule(m, path.c_str());
  ObjectStore::UnloadModule(m, 1);
  unsigned char lm = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(8, LongOf(ObjectStore::find("Keep")->evalIMember("N", nullptr)));
  ObjectStore::UnloadModule(lm, 1);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(dir.File("ovm*").c_str(), &fd);
  EXPECT_EQ(INVALID_HANDLE_VALUE, h) << fd.cFileName;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

}  // namespace

namespace {

// Run by the ctest entry that mounts a small file system as OV_SMALLDISK (Q:).
TEST(ModuleFiles, DiskFullSaveAsLeavesTheOldModuleAsItWas) {
  char drive[16] = "";
  if (!GetEnvironmentVariableA("OV_SMALLDISK", drive, sizeof drive)) GTEST_SKIP() << "no small disk";
  std::string path = std::string(drive) + "\\full.obo";
  DeleteFileA(path.c_str());
  ULARGE_INTEGER avail = {}, total = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA((std::string(drive) + "\\").c_str(), &avail, &total, nullptr));
  ASSERT_LT(total.QuadPart, 1024u * 1024u) << "not the small disk";

  unsigned char m = MakeModule(path, 5);
  ObjectStore::SaveModule(m);
  ObjectStore::UnloadModule(m, 1);
  std::string before = Contents(path);
  ASSERT_GT(before.size(), 0u);

  // The same module with far more data than the disk holds, saved over the old file.
  testkit::TestDataDir dir("ovstore_diskfull");
  std::string other = dir.File("big.obo");
  m = MakeModule(other, 6);
  {
    OpenModuleResource open(m);
    InterObjRep* keep = ObjectStore::find("Keep");
    keep->addField(InterDataField::make("Big", 6), nullptr);
    Set(keep, "Big", new DirectValue<ValString, 6>(ValString(std::string(400000, 'x').c_str())));
  }
  try {
    ObjectStore::SaveModule(m, path.c_str());
    ADD_FAILURE() << "saved on a full disk";
  } catch (const ModuleSaveFailed& e) {
    std::string what = e.what();
    EXPECT_NE(std::string::npos, what.find("'" + path + "' could not be saved.")) << what;
    EXPECT_EQ(std::string::npos, what.find("XAssert")) << what;
    EXPECT_NE(std::string::npos, what.find("not enough space")) << what;
  }
  // The module goes on with its own file; the old one is untouched and loads.
  EXPECT_STREQ(other.c_str(), ObjectStore::ModulePath(m));
  ObjectStore::UnloadModule(m, 1);
  EXPECT_EQ(before, Contents(path));
  unsigned char lm = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(5, LongOf(ObjectStore::find("Keep")->evalIMember("N", nullptr)));
  ObjectStore::UnloadModule(lm, 1);
  // No temporary file stays behind.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((std::string(drive) + "\\ovm*").c_str(), &fd);
  EXPECT_EQ(INVALID_HANDLE_VALUE, h) << fd.cFileName;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  DeleteFileA(path.c_str());
}

}  // namespace
