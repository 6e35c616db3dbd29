// ovcdlg's server and registration: the class factories by class id, aggregation and
// interfaces refused, the unload answer with objects and locks, each class's own id,
// the prototypes POD_Populate makes (twice: nothing new) and a store failure while a
// class declares its members. A process of its own: nothing is published before.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "cdlgkit.h"
#include "dialogs/cdlgdll.h"
#include "dialogs/filedialog.h"
#include "dialogs/iopendialog.h"
#include "store/field_comp.h"
#include "store/interobjiter.h"
#include "store/signature.h"
#include "store/types.h"

namespace {

using namespace cdlgkit;

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadFn)();

HMODULE Dll() {
  static HMODULE h = LoadLibraryA("ovcdlg.dll");
  return h;
}

template <class F>
F Export(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(Dll(), name));
}

CLSID Id(const char* text) { return POClassId(text); }

// The prototypes of the library's classes as the store lists them, as "A,B,".
std::string Prototypes() {
  std::string order;
  AllObjectsIterator it;
  while (InterObjRep* o = it())
    if (o->isPrototype() && std::string(o->name()).find("Dialog") != std::string::npos)
      order += std::string(o->name()) + ",";
  return order;
}

// The names of a signature's fields in the store's order, as "A,B,".
std::string FieldOrder(const SignatureRep* sig) {
  std::string order;
  SignatureFieldIterator it(sig);
  while (Field* f = it()) order += std::string(f->name()) + ",";
  return order;
}

struct ClassCase {
  const char* name;
  const char* clsid;
  bool built;
};
const ClassCase kClasses[] = {
    {"CommonDialog", "{88ec8400-acdb-11ce-92b4-00409000733c}", true},
    {"OpenDialog", "{88ec8401-acdb-11ce-92b4-00409000733c}", true},
    {"SaveAsDialog", "{88ec8402-acdb-11ce-92b4-00409000733c}", true},
    {"ColorDialog", "{88ec8403-acdb-11ce-92b4-00409000733c}", false},
    {"FontDialog", "{88ec8404-acdb-11ce-92b4-00409000733c}", false},
    {"FindDialog", "{88ec8405-acdb-11ce-92b4-00409000733c}", false},
};

HRESULT Factory(const char* clsid, IClassFactory** out) {
  *out = nullptr;
  return Export<GetClassObjectFn>("DllGetClassObject")(Id(clsid), IID_IClassFactory, (void**)out);
}

}  // namespace

TEST(CdlgServer, FactoriesByClassId) {
  App();
  ASSERT_NE(nullptr, Dll());
  for (const char* name : {"DllEntryPoint", "DllGetClassObject", "DllCanUnloadNow", "POD_Populate"})
    EXPECT_NE(nullptr, GetProcAddress(Dll(), name)) << name;

  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    IClassFactory* f = nullptr;
    HRESULT hr = Factory(c.clsid, &f);
    if (!c.built) {
      EXPECT_EQ(E_FAIL, hr);
      EXPECT_EQ(nullptr, f);
      continue;
    }
    ASSERT_EQ(S_OK, hr);
    ASSERT_NE(nullptr, f);
    // Aggregation and interfaces the objects lack are refused.
    IUnknown* made = nullptr;
    IUnknown* outer = f;  // any non-null unknown
    EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, IID_IUnknown, (void**)&made));
    EXPECT_EQ(nullptr, made);
    EXPECT_EQ(E_NOINTERFACE, f->CreateInstance(nullptr, IID_IDispatch, (void**)&made));
    EXPECT_EQ(nullptr, made);
    // The object writes its own class id.
    IPersistStream* ps = nullptr;
    ASSERT_EQ(S_OK, f->CreateInstance(nullptr, IID_IPersistStream, (void**)&ps));
    CLSID got = CLSID_NULL;
    EXPECT_EQ(S_OK, ps->GetClassID(&got));
    EXPECT_TRUE(IsEqualCLSID(Id(c.clsid), got));
    ps->Release();
    f->Release();
  }
  // An id nobody has.
  IClassFactory* f = nullptr;
  EXPECT_EQ(E_FAIL, Factory("{88ec8406-acdb-11ce-92b4-00409000733c}", &f));
  EXPECT_EQ(nullptr, f);
}

// A factory held, a live object or a lock keeps the library loaded.
TEST(CdlgServer, UnloadsOnlyWithoutObjectsAndLocks) {
  App();
  CanUnloadFn canUnload = Export<CanUnloadFn>("DllCanUnloadNow");
  ASSERT_NE(nullptr, canUnload);
  IClassFactory* f = nullptr;
  IPersistStream* a = nullptr;
  IPersistStream* b = nullptr;
  struct Step {
    const char* what;
    std::function<HRESULT()> act;
    HRESULT unload;  // DllCanUnloadNow afterwards
  } steps[] = {
      {"nothing held", [&] { return S_OK; }, S_OK},
      {"a factory", [&] { return Factory(kClasses[1].clsid, &f); }, S_FALSE},
      {"two objects",
       [&] {
         HRESULT hr = f->CreateInstance(nullptr, IID_IPersistStream, (void**)&a);
         return SUCCEEDED(hr) ? f->CreateInstance(nullptr, IID_IPersistStream, (void**)&b) : hr;
       },
       S_FALSE},
      {"the factory released", [&] { return f->Release(), S_OK; }, S_FALSE},
      {"one object released", [&] { return a->Release(), S_OK; }, S_FALSE},
      {"both released", [&] { return b->Release(), S_OK; }, S_OK},
      {"a lock, the factory released",
       [&] {
         HRESULT hr = Factory(kClasses[2].clsid, &f);
         if (FAILED(hr)) return hr;
         hr = f->LockServer(TRUE);
         f->Release();
         return hr;
       },
       S_FALSE},
      {"unlocked",
       [&] {
         HRESULT hr = Factory(kClasses[2].clsid, &f);
         if (FAILED(hr)) return hr;
         hr = f->LockServer(FALSE);
         f->Release();
         return hr;
       },
       S_OK},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    ASSERT_EQ(S_OK, s.act());
    EXPECT_EQ(s.unload, canUnload());
  }
}

TEST(CdlgRegistration, PrototypesAndTheirParents) {
  RecordingApp& app = App();
  size_t reports0 = app.reports.size();
  Publish();
  InterObjRep* base = ObjectStore::find("CommonDialog");
  ASSERT_NE(nullptr, base);
  EXPECT_TRUE(base->isPrototype());
  EXPECT_EQ(nullptr, base->parent());
  EXPECT_STREQ("ovcdlg", base->getDefiningDLL());
  InterObjRep* protos[3] = {};
  for (int i = 0; i < 6; ++i) {
    const ClassCase& c = kClasses[i];
    SCOPED_TRACE(c.name);
    InterObjRep* p = ObjectStore::find(c.name);
    if (!c.built) {
      EXPECT_EQ(nullptr, p);
      continue;
    }
    ASSERT_NE(nullptr, p);
    protos[i] = p;
    EXPECT_STREQ((std::string("Orvanel.") + c.name).c_str(), p->progId());
    CLSID id = CLSID_NULL;
    EXPECT_TRUE(ObjectStore::ClassIdOf(p->progId(), id));
    EXPECT_TRUE(IsEqualCLSID(Id(c.clsid), id));
    if (i) {
      EXPECT_EQ(base, p->parent());
      EXPECT_TRUE(p->canBeTreatedAs(base));
    }
  }
  EXPECT_EQ(reports0, app.reports.size());
  const std::string listed = Prototypes();
  EXPECT_EQ(3u, std::count(listed.begin(), listed.end(), ','));

  // Again: every class finds its prototype, nothing new is made or reported.
  Export<void (*)()>("POD_Populate")();
  EXPECT_EQ(listed, Prototypes());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(protos[i], ObjectStore::find(kClasses[i].name)) << kClasses[i].name;
  EXPECT_EQ(base, iCommonDialog::PO_GetObject());
  EXPECT_EQ(protos[1], iOpenDialog::PO_GetObject());
  EXPECT_EQ(reports0, app.reports.size());

  // The members: the class's own in their order, the base's title in its base part.
  InterObjRep* open = protos[1];
  EXPECT_NE(nullptr, open->findField("Title"));
  EXPECT_EQ(
      "DefaultExtension,ExtensionDifferent,FileMustExist,FileName,Filter,FilterIndex,InitialDir,"
      "NoNetworkButton,NoChangeDir,PathMustExist,Execute,Title,",
      FieldOrder(open->signature()));
  EXPECT_NE(nullptr, protos[2]->findField("PathMustExist"));
  EXPECT_EQ(nullptr, protos[2]->findField("FileMustExist"));  // the save-as dialog has none
  EXPECT_NE(nullptr, base->findField("Title"));
  EXPECT_EQ(nullptr, base->findField("FileName"));
}

// A store failure while a class declares its members (here a name the signature holds
// already) is reported, and the signature counts as defined with what came before.
TEST(CdlgRegistration, StoreFailureWhileDeclaringIsReported) {
  RecordingApp& app = App();
  Publish();
  IClassFactory* f = nullptr;
  ASSERT_EQ(S_OK, Factory(kClasses[1].clsid, &f));
  IPersistStream* ps = nullptr;
  ASSERT_EQ(S_OK, f->CreateInstance(nullptr, IID_IPersistStream, (void**)&ps));
  f->Release();
  iOpenDialog* dlg = dynamic_cast<iOpenDialog*>(ps);
  ASSERT_NE(nullptr, dlg);
  size_t reports0 = app.reports.size();
  {
    SignatureRep sig(nullptr);
    sig.addField(CompProcDataField::make("FileName", kTypeLong, nullptr, &FileDialog::pdGetNoChangeDir),
                 nullptr, 0);
    dlg->PO_DefineFields(sig);
    EXPECT_TRUE(sig.isCompFieldsDefined());
    EXPECT_NE(nullptr, sig.findField("DefaultExtension"));  // declared before the failure
    EXPECT_NE(nullptr, sig.findField("FileMustExist"));
    EXPECT_EQ(nullptr, sig.findField("Filter"));  // after it
    ASSERT_EQ(reports0 + 1, app.reports.size());
    EXPECT_EQ(1, app.mentioning("FileName")) << app.reports.back();
  }
  ps->Release();
}
