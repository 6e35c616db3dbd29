// oviui2's server seen from OLE and the store: the class table in its order, the entry
// point building the server once, locks, the count at its baseline, publishing twice.
#include <gtest/gtest.h>

#include "formkit.h"
#include "guiobjects2/dllinstance.h"
#include "utils/dllutils.h"
#include "winlib/module.h"

namespace {

using namespace formkit;

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadFn)();
typedef BOOL(WINAPI* EntryFn)(HINSTANCE, DWORD, LPVOID);

HMODULE Oviui2() { return GetModuleHandleA("oviui2.dll"); }

template <class F>
F Export(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(Oviui2(), name));
}

// The i-th class id: the first field counts up from 0xa2760240.
CLSID IdOf(unsigned i) {
  CLSID id = {0xa2760240u + i, 0xacd9, 0x11ce, {0xb4, 0xdb, 0x08, 0x00, 0x17, 0x08, 0xe3, 0xc6}};
  return id;
}

const char* const kNames[] = {
    "Ole",          "Automation",      "Frame",        "CheckBox",  "OptionButton", "ScrollBar",
    "Gauge",        "Label",           "TextBox",      "ListBox",   "ComboBox",     "FileListBox",
    "FileComboBox", "ObjectList",      "ObjectCombo",  "Image",     "GdiObject",    "GdiLine",
    "GdiPolyline",  "GdiShape",        "Pen",          "Brush",     "Drawable",     "MarkupLayer",
    "PictureBox",   "ObjectHierarchy", "IndentedList", "GLControl", "Vbx"};
static_assert(sizeof kNames / sizeof kNames[0] == kOviui2RowCount, "one name a row");

// The rows whose classes are built: they have factories and prototypes.
bool Built(unsigned i) {
  return i == kOviui2Frame || i == kOviui2Label || i == kOviui2TextBox || i == kOviui2ListBox ||
         i == kOviui2ComboBox || i == kOviui2CheckBox || i == kOviui2OptionButton ||
         i == kOviui2ScrollBar || i == kOviui2Gauge || i == kOviui2GLControl || i == kOviui2Automation;
}

TEST(Server, TheTableHoldsTheClassIdsAndNamesInOrder) {
  ASSERT_NE(nullptr, Oviui2());
  auto getClassObject = Export<GetClassObjectFn>("DllGetClassObject");
  ASSERT_NE(nullptr, getClassObject);
  for (unsigned i = 0; i < kOviui2RowCount; ++i) {
    SCOPED_TRACE(kNames[i]);
    const POClassRow& row = DllInstance::Row((Oviui2Row)i);
    EXPECT_STREQ(kNames[i], row.name);
    EXPECT_TRUE(IsEqualCLSID(IdOf(i), POClassId(row.clsid)));
    IClassFactory* f = nullptr;
    HRESULT hr = getClassObject(IdOf(i), IID_IClassFactory, (void**)&f);
    EXPECT_EQ(Built(i) ? S_OK : E_FAIL, hr);
    EXPECT_EQ(Built(i), f != nullptr);
    if (f) f->Release();
  }
  IClassFactory* f = nullptr;
  EXPECT_EQ(E_FAIL, getClassObject(IdOf(kOviui2RowCount), IID_IClassFactory, (void**)&f));
  EXPECT_EQ(nullptr, f);
}

TEST(Server, AThreadAttachAfterTheProcessAttachBuildsNothingAgain) {
  auto entry = Export<EntryFn>("DllEntryPoint");
  ASSERT_NE(nullptr, entry);
  DllInstance* server = DllInstance::TheDll();
  TModule* module = DllInstance::Module();
  ASSERT_NE(nullptr, server);
  ASSERT_NE(nullptr, module);
  EXPECT_EQ((HINSTANCE)Oviui2(), module->GetInstance());
  std::string path = DllInstance::Path();
  ASSERT_GE(path.size(), 10u);
  EXPECT_EQ(0, lstrcmpiA(path.substr(path.size() - 10).c_str(), "oviui2.dll")) << path;
  // Entries of the attached list are "name:version", ";" between them.
  auto attachedCount = [&] {
    std::string all = ";" + std::string(DLLUtils::AttachedDLLs().data());
    int n = 0;
    for (size_t at = 0; (at = all.find(";oviui2:", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  int before = attachedCount();
  EXPECT_EQ(1, before);
  EXPECT_EQ(TRUE, entry((HINSTANCE)Oviui2(), DLL_THREAD_ATTACH, nullptr));
  EXPECT_EQ(TRUE, entry((HINSTANCE)Oviui2(), DLL_THREAD_DETACH, nullptr));
  EXPECT_EQ(server, DllInstance::TheDll());
  EXPECT_EQ(module, DllInstance::Module());
  EXPECT_EQ(before, attachedCount());
}

TEST(Server, LocksCountsAndTheBaseline) {
  auto getClassObject = Export<GetClassObjectFn>("DllGetClassObject");
  auto canUnload = Export<CanUnloadFn>("DllCanUnloadNow");
  ASSERT_TRUE(getClassObject && canUnload);
  DllInstance* server = DllInstance::TheDll();
  const ULONG base = server->RefCount();
  ASSERT_EQ((ULONG)server->ObjectCount(), base);  // one share per built factory
  ASSERT_EQ(S_OK, canUnload());
  IClassFactory* f = nullptr;
  ASSERT_EQ(S_OK, getClassObject(IdOf(kOviui2Label), IID_IClassFactory, (void**)&f));
  EXPECT_EQ(base + 1, server->RefCount());
  EXPECT_EQ(S_FALSE, canUnload());
  EXPECT_EQ(S_OK, f->LockServer(TRUE));
  f->Release();
  EXPECT_EQ(base, server->RefCount());
  EXPECT_EQ(S_FALSE, canUnload());  // the lock alone holds the library
  EXPECT_EQ(S_OK, f->LockServer(FALSE));
  EXPECT_EQ(S_OK, canUnload());
  // At the baseline a Release answers 0 and takes nothing away.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(0u, server->Release());
  EXPECT_EQ(base, server->RefCount());
  EXPECT_EQ(S_OK, canUnload());
}

TEST(Server, PublishingTwiceKeepsThePrototypes) {
  TestApp();
  ObjectStore::PublishObjectDLL("oviui2");
  InterObjRep* label = ObjectStore::find("Label");
  InterObjRep* box = ObjectStore::find("TextBox");
  ASSERT_NE(nullptr, label);
  ASSERT_NE(nullptr, box);
  EXPECT_STREQ("Orvanel.Label", label->progId());
  EXPECT_STREQ("Orvanel.TextBox", box->progId());
  EXPECT_EQ(ObjectStore::find("Control"), label->parent());
  EXPECT_EQ(label, box->parent());
  size_t reports = App().reports.size();
  Export<void (*)()>("POD_Populate")();
  Export<void (*)()>("POD_Populate")();
  EXPECT_EQ(label, ObjectStore::find("Label"));
  EXPECT_EQ(box, ObjectStore::find("TextBox"));
  EXPECT_EQ(reports, App().reports.size());
  for (unsigned i = 0; i < kOviui2RowCount; ++i) {
    if (!Built(i)) {
      EXPECT_EQ(nullptr, ObjectStore::find(kNames[i])) << kNames[i];
    }
  }
}

}  // namespace
