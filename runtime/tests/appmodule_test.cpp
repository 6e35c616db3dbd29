// The launcher's module storage objects on real module files: each module's OLE control
// store registered when the store opens it, its count written and committed with the
// module, carried through a save under another name, forgotten with the module; a
// refused revision leaves no module loaded.
#include "runtime/appmodule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "guiobjects2/iwolecntr.h"
#include "launchertest.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"
#include "utils/xexception.h"

using namespace launchertest;

namespace {

App& TheApp() {
  static Launch* launch = new Launch({"none.obo"}, "Main");
  static TestApp* app = [] {
    StartStore();
    return new TestApp(int(launch->argv.size()) - 1, launch->argv.data(), 0, launch->modules, &launch->app[0],
                       nullptr);
  }();
  return *app;
}

// The revision and count bytes of a module file's control store ("" when it has none).
std::string CountStream(const std::string& path) {
  OCLStorage file(path.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
  if (!file.is()) return "no file";
  OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!store.is()) return "";
  OCLStream s(store.storage(), "NumberOfOleControls", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!s.is()) return "";
  std::string bytes(s.size(), '\0');
  if (!bytes.empty()) s.read(&bytes[0], ULONG(bytes.size()));
  std::string hex;
  for (unsigned char c : bytes) {
    char two[4];
    snprintf(two, sizeof two, "%02x", c);
    hex += two;
  }
  return hex;
}

// The control storages of a module file, by name.
std::vector<std::string> ControlStorages(const std::string& path) {
  std::vector<std::string> names;
  OCLStorage file(path.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
  if (!file.is()) return names;
  OCLStorage store(file.storage(), "OleControlStore", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!store.is()) return names;
  IEnumSTATSTG* e = nullptr;
  if (FAILED(store->EnumElements(0, nullptr, 0, &e))) return names;
  STATSTG st;
  while (e->Next(1, &st, nullptr) == S_OK) {
    if (st.type == STGTY_STORAGE) {
      char name[64];
      WideCharToMultiByte(CP_ACP, 0, st.pwcsName, -1, name, sizeof name, nullptr, nullptr);
      names.push_back(name);
    }
    CoTaskMemFree(st.pwcsName);
  }
  e->Release();
  std::sort(names.begin(), names.end());
  return names;
}

long AddControl(unsigned char m) {
  IWOleCntr cntr(ObjectStore::find("Main"));
  IStorage* stg = nullptr;
  long n = cntr.addControl(&stg, m);
  if (stg) stg->Release();
  return n;
}

TEST(AppModule, AModuleFileGetsItsControlStoreAndKeepsItsCount) {
  TheApp();
  testkit::TestDataDir dir("appmodule_count");
  std::string path = dir.File("main.ovm");
  WriteAppModule(path, "main", "Main", {"Dim Counter As Integer"});
  EXPECT_EQ("0100000000000000", CountStream(path)) << "written under the launcher's application";

  unsigned char m = ObjectStore::LoadModule(path.c_str());
  ASSERT_NE(nullptr, dynamic_cast<AppModule*>(ObjectStore::ModuleStore(m)));
  EXPECT_TRUE(static_cast<AppModule*>(ObjectStore::ModuleStore(m))->registered());
  EXPECT_TRUE(IWOleCntr::hasControlStore(m));
  EXPECT_EQ(1, AddControl(m));
  EXPECT_EQ(2, AddControl(m));
  ASSERT_EQ(1, ObjectStore::SaveModule(m));
  ObjectStore::UnloadModule(m, 1);
  EXPECT_FALSE(IWOleCntr::hasModule(m));
  EXPECT_EQ("0100000002000000", CountStream(path)) << "written and committed with the module";
  EXPECT_EQ(std::vector<std::string>({"1", "2"}), ControlStorages(path));

  // Unloaded without saving: storages made since the last save go with the changes.
  m = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(2ul, IWOleCntr::controlCount(m));
  EXPECT_EQ(3, AddControl(m));
  ObjectStore::UnloadModule(m, 1);
  EXPECT_EQ("0100000002000000", CountStream(path));
  EXPECT_EQ(std::vector<std::string>({"1", "2"}), ControlStorages(path));

  // The same number again after the unload.
  unsigned char again = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(m, again);
  EXPECT_EQ(3, AddControl(again));
  ObjectStore::MarkModuleDirty(again);  // as the control that made it would
  ObjectStore::UnloadModule(again, 0);  // saved on the way out
  EXPECT_EQ("0100000003000000", CountStream(path));
}

TEST(AppModule, SavingUnderAnotherNameCarriesTheControlStore) {
  TheApp();
  testkit::TestDataDir dir("appmodule_saveas");
  std::string path = dir.File("main.ovm"), copy = dir.File("copy.ovm");
  WriteAppModule(path, "main", "Main", {"Dim Counter As Integer"});
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(1, AddControl(m));
  ASSERT_EQ(1, ObjectStore::SaveModule(m));
  // Two more not yet saved: the copy has them, numbers included.
  EXPECT_EQ(2, AddControl(m));
  EXPECT_EQ(3, AddControl(m));
  ASSERT_EQ(1, ObjectStore::SaveModule(m, copy.c_str()));
  EXPECT_EQ(copy, ObjectStore::ModulePath(m));
  EXPECT_TRUE(static_cast<AppModule*>(ObjectStore::ModuleStore(m))->registered());
  EXPECT_EQ(3ul, IWOleCntr::controlCount(m));
  EXPECT_EQ(4, AddControl(m));
  ObjectStore::MarkModuleDirty(m);
  ObjectStore::UnloadModule(m, 0);
  EXPECT_EQ("0100000001000000", CountStream(path)) << "the old file as it was saved";
  EXPECT_EQ(std::vector<std::string>({"1"}), ControlStorages(path));
  EXPECT_EQ("0100000004000000", CountStream(copy));
  EXPECT_EQ(std::vector<std::string>({"1", "2", "3", "4"}), ControlStorages(copy));
}

TEST(AppModule, AFailedSaveUnderAnotherNameGivesTheSlotBack) {
  TheApp();
  testkit::TestDataDir dir("appmodule_failsave");
  std::string path = dir.File("main.ovm");
  WriteAppModule(path, "main", "Main", {"Dim Counter As Integer"});
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(1, AddControl(m));
  IWOleCntr::ModuleEntry* entry = IWOleCntr::moduleEntry(m);
  EXPECT_THROW(ObjectStore::SaveModule(m, (dir.File("missing") + "\\copy.ovm").c_str()), ModuleSaveFailed);
  EXPECT_EQ(entry, IWOleCntr::moduleEntry(m));
  EXPECT_EQ(2, AddControl(m));
  ObjectStore::MarkModuleDirty(m);
  ObjectStore::UnloadModule(m, 0);
  EXPECT_EQ("0100000002000000", CountStream(path));
}

TEST(AppModule, AnotherRevisionLeavesNoModuleLoaded) {
  TheApp();
  testkit::TestDataDir dir("appmodule_revision");
  std::string path = dir.File("main.ovm");
  WriteAppModule(path, "main", "Main", {"Dim Counter As Integer"});
  auto setCount = [&](unsigned long revision, unsigned long count) {
    OCLStorage file(path.c_str(), 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    OCLStorage store(file.storage(), "OleControlStore", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    OCLStream s(store.storage(), "NumberOfOleControls", 1, STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    s.size(0);
    s.write((ULONG)revision);
    s.write((ULONG)count);
  };
  setCount(2, 5);
  int modules = ObjectStore::ModuleCount();
  try {
    ObjectStore::LoadModule(path.c_str());
    ADD_FAILURE() << "no exception";
  } catch (const ModuleOpenFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("OLE storage revision error")) << e.what();
    EXPECT_NE(std::string::npos, std::string(e.what()).find("main.ovm")) << e.what();
  }
  EXPECT_EQ(modules, ObjectStore::ModuleCount());
  EXPECT_EQ(nullptr, ObjectStore::find("Main"));
  setCount(1, 5);
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  EXPECT_EQ(5ul, IWOleCntr::controlCount(m));
  EXPECT_NE(nullptr, ObjectStore::find("Main"));
  ObjectStore::UnloadModule(m, 1);
}

TEST(AppModule, OperationsForAnotherModuleAreProgramErrors) {
  TheApp();
  testkit::TestDataDir dir("appmodule_index");
  std::string path = dir.File("main.ovm");
  WriteAppModule(path, "main", "Main", {});
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  ObjectStore* store = ObjectStore::ModuleStore(m);
  struct Case {
    const char* name;
    std::function<void()> call;
    int line;
  } cases[] = {
      {"moduleLoaded", [&] { store->moduleLoaded(m + 1); }, 57},
      {"writeModule", [&] { store->writeModule(m + 1); }, 66},
      {"deleteModule", [&] { store->deleteModule(m + 1); }, 74},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call();
      ADD_FAILURE() << "no assertion";
    } catch (const XAssert& x) {
      EXPECT_NE(std::string::npos, std::string(x.what()).find("m == index")) << x.what();
      EXPECT_EQ(c.line, x.Line());
    }
  }
  EXPECT_EQ(1, store->moduleLoaded(m));
  EXPECT_TRUE(IWOleCntr::hasModule(m));
  ObjectStore::UnloadModule(m, 1);
}

}  // namespace
