// The OLE container's control storage on real compound files: the module table, the
// layout inside a module's storage, storage numbers, revisions, read-only modules and the
// temporary storage of module 254. The files it leaves in OV_OLESTORE_OUT are listed
// again with libgsf's reader (olestore_gsf.sh).
#include "guiobjects2/iwolecntr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/groups.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"
#include "utils/xexception.h"

namespace {

const unsigned long kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const unsigned long kOpen = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;

void StartStore() {
  static bool started = [] {
    OleInitialize(nullptr);
    IdString::Initialize();
    ObjectStore::Initialize();
    return true;
  }();
  (void)started;
}

// A store module (for the controls' objects) with its number.
struct StoreModule {
  explicit StoreModule(const char* name) : m(ObjectStore::CreateModule(name)) {}
  ~StoreModule() { ObjectStore::UnloadModule(m, 1); }
  unsigned char m;
};

// A control whose object lives in module m.
struct Control {
  explicit Control(unsigned char m) : object(iGroup::PO_GetObject(), m, 1), cntr(object.get()) {}
  PrimInterObj object;
  IWOleCntr cntr;
};

// Forgets module m's entry at the end of a test, whatever happened.
struct Registered {
  explicit Registered(unsigned char module) : m(module) {}
  ~Registered() {
    if (IWOleCntr::hasModule(m)) IWOleCntr::delModule(m);
  }
  unsigned char m;
};

// The folder of this program's files.
std::string OutFolder() {
  static testkit::TestDataDir dir("olestore");
  return dir.Path();
}

// Keeps a copy of a finished file in the build tree, where olestore_gsf.sh lists it with
// libgsf's reader (nothing when the build tree is out of reach, as in the 32-bit lane).
void KeepForGsf(const std::string& path, const char* name) {
  std::string folder = OV_OLESTORE_OUT;
  if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
  for (char& c : folder)
    if (c == '/') c = '\\';
  CreateDirectoryA(folder.c_str(), nullptr);
  CopyFileA(path.c_str(), (folder + "\\" + name).c_str(), FALSE);
}

std::vector<std::wstring> Elements(IStorage* stg) {
  std::vector<std::wstring> names;
  IEnumSTATSTG* e = nullptr;
  if (FAILED(stg->EnumElements(0, nullptr, 0, &e))) return names;
  STATSTG st;
  while (e->Next(1, &st, nullptr) == S_OK) {
    names.push_back(st.pwcsName);
    CoTaskMemFree(st.pwcsName);
  }
  e->Release();
  std::sort(names.begin(), names.end());
  return names;
}

// The bytes of "OleControlStore"/"NumberOfOleControls" in stg.
std::vector<unsigned char> CountBytes(IStorage* stg) {
  OCLStorage store(stg, "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!store.is()) return {};
  OCLStream s(store.storage(), "NumberOfOleControls", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!s.is()) return {};
  std::vector<unsigned char> bytes(s.size());
  if (!bytes.empty()) s.read(bytes.data(), ULONG(bytes.size()));
  return bytes;
}

std::vector<unsigned char> Le(unsigned long revision, unsigned long count) {
  std::vector<unsigned char> b;
  for (unsigned long v : {revision, count})
    for (int i = 0; i < 4; ++i) b.push_back((unsigned char)(v >> (8 * i)));
  return b;
}

// Writes the count stream of a module file at path with the given bytes.
void WriteCountStream(const std::string& path, const std::vector<unsigned char>& bytes) {
  OCLStorage file(path.c_str(), 1, kCreate);
  ASSERT_TRUE(file.is());
  OCLStorage store(file.storage(), "OleControlStore", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
  ASSERT_TRUE(store.is());
  OCLStream s(store.storage(), "NumberOfOleControls", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
  ASSERT_TRUE(s.is());
  if (!bytes.empty()) s.write(bytes.data(), ULONG(bytes.size()));
}

std::string Released(IStorage* stg) {
  if (stg) stg->Release();
  return stg ? "storage" : "null";
}

TEST(OleControlStore, StorageNamesAreLowerCaseHexadecimal) {
  struct Case {
    long n;
    const char* name;
  } cases[] = {
      {1, "1"}, {9, "9"}, {10, "a"}, {16, "10"}, {255, "ff"}, {256, "100"}, {0x7fffffff, "7fffffff"}};
  for (const Case& c : cases) {
    char name[16];
    IWOleCntr::StorageName(c.n, name);
    EXPECT_STREQ(c.name, name) << c.n;
  }
}

TEST(OleControlStore, ANewModuleStorageGetsTheStoreWithCountZero) {
  StartStore();
  StoreModule module("olestore_new");
  std::string path = OutFolder() + "\\new.ovm";
  {
    OCLStorage file(path.c_str(), 1, kCreate);
    ASSERT_TRUE(file.is());
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    EXPECT_TRUE(IWOleCntr::hasModule(module.m));
    EXPECT_TRUE(IWOleCntr::hasControlStore(module.m));
    EXPECT_EQ(0ul, IWOleCntr::controlCount(module.m));
    // Created at once, with an empty count stream.
    IWOleCntr::delModule(module.m);
    {
      OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
      ASSERT_TRUE(store.is());
      EXPECT_EQ(std::vector<std::wstring>{L"NumberOfOleControls"}, Elements(store.storage()));
      EXPECT_TRUE(CountBytes(file.storage()).empty());
    }
    IWOleCntr::newModule(module.m, file);
    EXPECT_EQ(0ul, IWOleCntr::controlCount(module.m));
    Control c(module.m);
    IStorage* stg = nullptr;
    EXPECT_EQ(1, c.cntr.addControl(&stg, module.m));
    ASSERT_NE(nullptr, stg);
    stg->Release();
    IWOleCntr::writeModule(module.m);
    IWOleCntr::delModule(module.m);
    EXPECT_FALSE(IWOleCntr::hasModule(module.m));
    EXPECT_EQ(Le(1, 1), CountBytes(file.storage()));
  }
  KeepForGsf(path, "new.ovm");
}

TEST(OleControlStore, NumbersAreNeverHandedOutTwice) {
  StartStore();
  StoreModule module("olestore_numbers");
  std::string path = OutFolder() + "\\numbers.ovm";
  {
    OCLStorage file(path.c_str(), 1, kCreate);
    ASSERT_TRUE(file.is());
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    Control c(module.m);
    for (long want : {1, 2, 3}) {
      IStorage* stg = nullptr;
      EXPECT_EQ(want, c.cntr.addControl(&stg, module.m));
      Released(stg);
    }
    c.cntr.rmControl(2);
    IStorage* stg = nullptr;
    EXPECT_EQ(4, c.cntr.addControl(&stg, module.m));
    Released(stg);
    EXPECT_EQ(4ul, IWOleCntr::controlCount(module.m));
    IWOleCntr::writeModule(module.m);
    IWOleCntr::delModule(module.m);
    EXPECT_EQ(Le(1, 4), CountBytes(file.storage()));
    OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
    ASSERT_TRUE(store.is());
    std::vector<std::wstring> want = {L"1", L"3", L"4", L"NumberOfOleControls"};
    EXPECT_EQ(want, Elements(store.storage()));
  }
  // Reopened: the count goes on from 4; number 16 is named "10".
  {
    OCLStorage file(path.c_str(), 0, kOpen);
    ASSERT_TRUE(file.is());
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    EXPECT_EQ(4ul, IWOleCntr::controlCount(module.m));
    Control c(module.m);
    IStorage* stg = nullptr;
    EXPECT_EQ(5, c.cntr.addControl(&stg, module.m));
    Released(stg);
    IWOleCntr::raiseCount(module.m, 15);
    EXPECT_EQ(16, c.cntr.addControl(&stg, module.m));
    Released(stg);
    IWOleCntr::writeModule(module.m);
    IWOleCntr::delModule(module.m);
    EXPECT_EQ(Le(1, 16), CountBytes(file.storage()));
    OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
    ASSERT_TRUE(store.is());
    std::vector<std::wstring> want = {L"1", L"10", L"3", L"4", L"5", L"NumberOfOleControls"};
    EXPECT_EQ(want, Elements(store.storage()));
    EXPECT_EQ(S_OK, file->Commit(STGC_DEFAULT));
  }
  KeepForGsf(path, "numbers.ovm");
}

TEST(OleControlStore, ControlStoragesKeepWhatIsWrittenInThem) {
  StartStore();
  StoreModule module("olestore_keep");
  std::string path = OutFolder() + "\\keep.ovm";
  {
    OCLStorage file(path.c_str(), 1, kCreate);
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    Control c(module.m);
    IStorage* stg = nullptr;
    ASSERT_EQ(1, c.cntr.addControl(&stg, module.m));
    {
      OCLStream s(stg, "Contents", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
      s.write("object one");
    }
    stg->Release();
    // The control opens its storage again by number; a number never made is created empty.
    IStorage* again = c.cntr.getControlStg(1);
    ASSERT_NE(nullptr, again);
    {
      OCLStream s(again, "Contents", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
      ASSERT_TRUE(s.is());
      char* text = nullptr;
      s.read(&text);
      EXPECT_STREQ("object one", text);
      delete[] text;
    }
    again->Release();
    IStorage* fresh = c.cntr.getControlStg(7);
    ASSERT_NE(nullptr, fresh);
    EXPECT_TRUE(Elements(fresh).empty());
    fresh->Release();
    EXPECT_EQ(1ul, IWOleCntr::controlCount(module.m)) << "opening does not hand out numbers";
    // No storage for "no storage" or the temporary number; removing them does nothing.
    EXPECT_EQ("null", Released(c.cntr.getControlStg(-1)));
    EXPECT_EQ("null", Released(c.cntr.getControlStg(0)));
    c.cntr.rmControl(-1);
    c.cntr.rmControl(0);
    // Removing a storage that is not there is an OLE failure naming it.
    try {
      c.cntr.rmControl(0x2b);
      ADD_FAILURE() << "no exception";
    } catch (const OleException& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("2b")) << e.what();
    }
  }
}

TEST(OleControlStore, AnotherRevisionIsRefusedAndLeavesTheSlotEmpty) {
  StartStore();
  StoreModule module("olestore_revision");
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    const char* text;
  } cases[] = {
      {"revision 2", Le(2, 3), "OLE storage revision error"},
      {"revision 0", Le(0, 3), "OLE storage revision error"},
      {"two bytes", {1, 0}, "The OLE control count is damaged."},
      {"revision without count", {1, 0, 0, 0}, "The OLE control count is damaged."},
      {"six bytes", {1, 0, 0, 0, 5, 0}, "The OLE control count is damaged."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = OutFolder() + "\\revision.ovm";
    WriteCountStream(path, c.bytes);
    OCLStorage file(path.c_str(), 0, kOpen);
    ASSERT_TRUE(file.is());
    Registered reg(module.m);
    try {
      IWOleCntr::newModule(module.m, file);
      ADD_FAILURE() << "no exception";
    } catch (const ModuleOpenFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.text)) << e.what();
      EXPECT_NE(std::string::npos, std::string(e.what()).find("revision.ovm")) << e.what();
    }
    EXPECT_FALSE(IWOleCntr::hasModule(module.m));
    // Mended, the same number registers.
    {
      OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
      OCLStream s(store.storage(), "NumberOfOleControls", 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
      s.size(0);
      std::vector<unsigned char> good = Le(1, 6);
      s.write(good.data(), 8);
    }
    IWOleCntr::newModule(module.m, file);
    EXPECT_EQ(6ul, IWOleCntr::controlCount(module.m));
  }
}

TEST(OleControlStore, TheTableRefusesWrongNumbersByAssertion) {
  StartStore();
  std::string path = OutFolder() + "\\assert.ovm";
  OCLStorage file(path.c_str(), 1, kCreate);
  ASSERT_TRUE(file.is());
  struct Case {
    const char* name;
    void (*call)(OCLStorage&);
    const char* condition;
    int line;
  } cases[] = {
      {"newModule 254", [](OCLStorage& f) { IWOleCntr::newModule(254, f); }, "m<MAX_MODULES", 23},
      {"newModule 255", [](OCLStorage& f) { IWOleCntr::newModule(255, f); }, "m<MAX_MODULES", 23},
      {"newModule twice", [](OCLStorage& f) { IWOleCntr::newModule(40, f); }, "!moduleTable[m]", 24},
      {"writeModule 254", [](OCLStorage&) { IWOleCntr::writeModule(254); }, "m<MAX_MODULES", 38},
      {"writeModule empty", [](OCLStorage&) { IWOleCntr::writeModule(41); }, "moduleTable[m]", 39},
      {"delModule empty", [](OCLStorage&) { IWOleCntr::delModule(41); }, "moduleTable[m]", 31},
      {"renameModule empty", [](OCLStorage&) { IWOleCntr::renameModule(41, "x.ovm"); }, "moduleTable[m]", 46},
  };
  IWOleCntr::newModule(40, file);
  Registered reg(40);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call(file);
      ADD_FAILURE() << "no assertion";
    } catch (const XAssert& x) {
      EXPECT_NE(std::string::npos, std::string(x.what()).find(c.condition)) << x.what();
      EXPECT_EQ(c.line, x.Line());
    }
  }
  // The entry in use is untouched, and after delModule the number registers again.
  EXPECT_TRUE(IWOleCntr::hasControlStore(40));
  IWOleCntr::delModule(40);
  IWOleCntr::newModule(40, file);
  EXPECT_TRUE(IWOleCntr::hasControlStore(40));
}

TEST(OleControlStore, ModuleTwoFiftyFourUsesATemporaryFile) {
  StartStore();
  Control c(ObjectStore::kTempModule);
  IStorage* stg = nullptr;
  ASSERT_EQ(0, c.cntr.addControl(&stg, ObjectStore::kTempModule));
  ASSERT_NE(nullptr, stg);
  STATSTG st = {};
  ASSERT_EQ(S_OK, stg->Stat(&st, STATFLAG_DEFAULT));
  std::wstring file = st.pwcsName ? st.pwcsName : L"";
  CoTaskMemFree(st.pwcsName);
  EXPECT_FALSE(file.empty());
  EXPECT_EQ(STGM_READWRITE | STGM_SHARE_EXCLUSIVE, st.grfMode & (STGM_READWRITE | STGM_SHARE_EXCLUSIVE));
  {
    OCLStream s(stg, "Contents", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    EXPECT_TRUE(s.is());
    s.write("temporary");
  }
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
  // The control's other calls answer nothing for it.
  c.cntr.rmControl(0);
  EXPECT_EQ("null", Released(c.cntr.getControlStg(0)));
  EXPECT_EQ(nullptr, c.cntr.getFileMoniker());
  // The caller's reference is the last: the file goes with it.
  EXPECT_EQ(0u, stg->Release());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
  // A module without an entry has no storage for a control.
  StoreModule loose("olestore_loose");
  Control l(loose.m);
  EXPECT_EQ(-1, l.cntr.addControl(&stg, loose.m));
  EXPECT_EQ(nullptr, stg);
  EXPECT_EQ(-1, l.cntr.addControl(&stg, 255));
  EXPECT_EQ("null", Released(l.cntr.getControlStg(1)));
  EXPECT_EQ(nullptr, l.cntr.getFileMoniker());
  l.cntr.rmControl(1);
}

TEST(OleControlStore, AReadOnlyModuleWithoutAStoreGetsAnEntryWithoutOne) {
  StartStore();
  StoreModule module("olestore_readonly");
  std::string bare = OutFolder() + "\\bare.ovm";
  {
    OCLStorage file(bare.c_str(), 1, kCreate);
    ASSERT_TRUE(file.is());
  }
  {
    OCLStorage file(bare.c_str(), 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
    ASSERT_TRUE(file.is());
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    EXPECT_TRUE(IWOleCntr::hasModule(module.m));
    EXPECT_FALSE(IWOleCntr::hasControlStore(module.m));
    Control c(module.m);
    IStorage* stg = nullptr;
    EXPECT_EQ(-1, c.cntr.addControl(&stg, module.m));
    EXPECT_EQ("null", Released(c.cntr.getControlStg(1)));
    c.cntr.rmControl(1);
    IWOleCntr::writeModule(module.m);  // nothing to write
  }
  // Read-only with a store: the count is read and existing storages open for reading.
  std::string full = OutFolder() + "\\readonly.ovm";
  {
    OCLStorage file(full.c_str(), 1, kCreate);
    Registered reg(module.m);
    IWOleCntr::newModule(module.m, file);
    Control c(module.m);
    IStorage* stg = nullptr;
    ASSERT_EQ(1, c.cntr.addControl(&stg, module.m));
    Released(stg);
    IWOleCntr::writeModule(module.m);
  }
  OCLStorage file(full.c_str(), 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  ASSERT_TRUE(file.is());
  Registered reg(module.m);
  IWOleCntr::newModule(module.m, file);
  EXPECT_EQ(1ul, IWOleCntr::controlCount(module.m));
  Control c(module.m);
  IStorage* stg = c.cntr.getControlStg(1);
  ASSERT_NE(nullptr, stg);
  EXPECT_FALSE(OCLStorage::isWritable(stg));
  stg->Release();
}

TEST(OleControlStore, RenameGivesTheModuleAFileMoniker) {
  StartStore();
  StoreModule module("olestore_rename");
  std::string path = OutFolder() + "\\rename.ovm";
  OCLStorage file(path.c_str(), 1, kCreate);
  Registered reg(module.m);
  IWOleCntr::newModule(module.m, file);
  Control c(module.m);
  EXPECT_EQ(nullptr, c.cntr.getFileMoniker());
  IMoniker* kept = IWOleCntr::renameModule(module.m, "C:\\apps\\first.ovm");
  ASSERT_NE(nullptr, kept);
  IWOleCntr::renameModule(module.m, "C:\\apps\\second.ovm");
  IMoniker* moniker = c.cntr.getFileMoniker();
  ASSERT_NE(nullptr, moniker);
  IBindCtx* ctx = nullptr;
  ASSERT_EQ(S_OK, CreateBindCtx(0, &ctx));
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, moniker->GetDisplayName(ctx, nullptr, &name));
  EXPECT_EQ(std::wstring(L"C:\\apps\\second.ovm"), name);
  CoTaskMemFree(name);
  ctx->Release();
  // The entry holds one reference, the caller the other.
  moniker->AddRef();
  EXPECT_EQ(2u, moniker->Release());
  moniker->Release();
  // A path longer than 1024 characters is cut, not overrun.
  std::string longPath = "C:\\" + std::string(3000, 'x');
  EXPECT_NE(nullptr, IWOleCntr::renameModule(module.m, longPath.c_str()));
}

}  // namespace
