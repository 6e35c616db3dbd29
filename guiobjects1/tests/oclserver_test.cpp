// The server and class factories a publishing library builds from the shared templates,
// seen from OLE: a table of steps, each with the result and the counts it must leave.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "protokit.h"

namespace {

using namespace protokit;

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* CanUnloadFn)();

const char kBase[] = "{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A10}";
const char kBroken[] = "{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A13}";
const char kLater[] = "{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A15}";
const char kStranger[] = "{785a0281-acda-11ce-8d9a-0040900071a7}";

// Runs before anything registers the test library's classes: no prototype holds the
// server yet.
TEST(Server, CountTable) {
  App();
  ASSERT_NE(nullptr, Protopub());
  auto getClassObject = Hook<GetClassObjectFn>("DllGetClassObject");
  auto canUnload = Hook<CanUnloadFn>("DllCanUnloadNow");
  ASSERT_TRUE(getClassObject && canUnload);
  const ServerCounts start = Server();
  ASSERT_EQ(5u, start.objects);  // five rows have a factory, one has none
  ASSERT_EQ(start.objects, start.refs);
  ASSERT_EQ(0u, start.locks);
  const int live0 = Live();
  const unsigned long base = start.refs;

  IClassFactory* factory = nullptr;
  IClassFactory* again = nullptr;
  IPersistStream* object = nullptr;
  IUnknown* other = nullptr;
  struct Step {
    const char* what;
    std::function<HRESULT()> act;
    HRESULT result;
    unsigned long refs;  // over the baseline
    unsigned long locks;
    int live;        // objects alive
    HRESULT unload;  // DllCanUnloadNow afterwards
  };
  const Step steps[] = {
      {"nothing held", [&] { return S_OK; }, S_OK, 0, 0, 0, S_OK},
      {"factory of a class",
       [&] { return getClassObject(ClassId(kBase), IID_IClassFactory, (void**)&factory); }, S_OK, 1, 0, 0,
       S_FALSE},
      {"an outer IUnknown is refused",
       [&] { return factory->CreateInstance(factory, IID_IUnknown, (void**)&other); }, CLASS_E_NOAGGREGATION,
       1, 0, 0, S_FALSE},
      {"an object", [&] { return factory->CreateInstance(nullptr, IID_IPersistStream, (void**)&object); },
       S_OK, 2, 0, 1, S_FALSE},
      {"an interface the object lacks leaves nothing",
       [&] { return factory->CreateInstance(nullptr, IID_IDispatch, (void**)&other); }, E_NOINTERFACE, 2, 0,
       1, S_FALSE},
      {"the object released", [&] { return object->Release() == 0 ? S_OK : E_FAIL; }, S_OK, 1, 0, 0, S_FALSE},
      {"a lock", [&] { return factory->LockServer(TRUE); }, S_OK, 1, 1, 0, S_FALSE},
      {"the factory released under the lock", [&] { return factory->Release(), S_OK; }, S_OK, 0, 1, 0,
       S_FALSE},
      {"a second factory", [&] { return getClassObject(ClassId(kBase), IID_IUnknown, (void**)&again); }, S_OK,
       1, 1, 0, S_FALSE},
      {"surplus releases stop at the baseline, lock or not",
       [&] { return again->Release(), again->Release(), again->Release(), S_OK; }, S_OK, 0, 1, 0, S_FALSE},
      {"unlocked", [&] { return again->LockServer(FALSE); }, S_OK, 0, 0, 0, S_OK},
      {"an unmatched unlock is ignored", [&] { return again->LockServer(FALSE); }, S_OK, 0, 0, 0, S_OK},
      {"a class id no library has",
       [&] { return getClassObject(ClassId(kStranger), IID_IClassFactory, (void**)&other); }, E_FAIL, 0, 0, 0,
       S_OK},
      {"a row without a class",
       [&] { return getClassObject(ClassId(kLater), IID_IClassFactory, (void**)&other); }, E_FAIL, 0, 0, 0,
       S_OK},
      {"a class whose objects cannot be made",
       [&] {
         IClassFactory* f = nullptr;
         HRESULT hr = getClassObject(ClassId(kBroken), IID_IClassFactory, (void**)&f);
         if (FAILED(hr)) return hr;
         hr = f->CreateInstance(nullptr, IID_IUnknown, (void**)&other);
         f->Release();
         return hr;
       },
       E_FAIL, 0, 0, 0, S_OK},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    other = nullptr;
    EXPECT_EQ(s.result, s.act());
    EXPECT_EQ(nullptr, other);
    ServerCounts c = Server();
    EXPECT_EQ(base + s.refs, c.refs);
    EXPECT_EQ(s.locks, c.locks);
    EXPECT_EQ(live0 + s.live, Live());
    EXPECT_EQ(s.unload, canUnload());
  }
}

TEST(Server, ObjectsAnswerTheirClassId) {
  App();
  auto getClassObject = Hook<GetClassObjectFn>("DllGetClassObject");
  IClassFactory* factory = nullptr;
  ASSERT_EQ(S_OK, getClassObject(ClassId(kBase), IID_IClassFactory, (void**)&factory));
  IPersistStream* object = nullptr;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPersistStream, (void**)&object));
  CLSID id;
  memset(&id, 0xCD, sizeof id);
  EXPECT_EQ(S_OK, object->GetClassID(&id));
  EXPECT_TRUE(IsEqualCLSID(ClassId(kBase), id));
  EXPECT_EQ(E_POINTER, object->GetClassID(nullptr));
  object->Release();
  factory->Release();
}

}  // namespace
