// Interface ids and lookup through the aggregate's id table.
#include <windows.h>
#include <ole2.h>
#include <oleidl.h>

#include <set>

#include <gtest/gtest.h>

#include "olecls/oclagg.h"
#include "olecls/ocliid.h"
#include "olecls/oclpersist.h"

TEST(OCL_IID, GuidsAgreeWithTheSystemHeaders) {
  const GUID persist = {0x32EBFEC1, 0xFDD7, 0x101A, {0x8E, 0x82, 0x00, 0x40, 0x95, 0x12, 0x0E, 0x45}};
  struct Case {
    OCL_IID::iid id;
    const GUID& guid;
  } cases[] = {
      {OCL_IID::iidNone, GUID_NULL},
      {OCL_IID::iidIUnknown, IID_IUnknown},
      {OCL_IID::iidIClassFactory, IID_IClassFactory},
      {OCL_IID::iidIMalloc, IID_IMalloc},
      {OCL_IID::iidILockBytes, IID_ILockBytes},
      {OCL_IID::iidIStorage, IID_IStorage},
      {OCL_IID::iidIStream, IID_IStream},
      {OCL_IID::iidIRootStorage, IID_IRootStorage},
      {OCL_IID::iidIMessageFilter, IID_IMessageFilter},
      {OCL_IID::iidIStdMarshalInfo, IID_IStdMarshalInfo},
      {OCL_IID::iidIEnumFORMATETC, IID_IEnumFORMATETC},
      {OCL_IID::iidIPersistStream, IID_IPersistStream},
      {OCL_IID::iidIPersist, IID_IPersist},
      {OCL_IID::iidIDataObject, IID_IDataObject},
      {OCL_IID::iidIOleInPlaceSite, IID_IOleInPlaceSite},
      {OCL_IID::iidIOleContainer, IID_IOleContainer},
      {OCL_IID::iidIOleCache, IID_IOleCache},
      {OCL_IID::iidIDropTarget, IID_IDropTarget},
      {OCL_IID::iidIAdviseSink2, IID_IAdviseSink2},
      {OCL_IID::iidIExternalConnection, IID_IExternalConnection},
      {OCL_IID::iidIOleCacheControl, IID_IOleCacheControl},
      {OCL_IID::iidIOleCache2, IID_IOleCache2},
      {OCL_IID::iidIRunnableObject, IID_IRunnableObject},
      {OCL_IID::iidIViewObject2, IID_IViewObject2},
      {OCL_IID::iidIDispatch, IID_IDispatch},
      {OCL_IID::iidOCLPersistStream, persist},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.id));
    EXPECT_TRUE(IsEqualGUID(c.guid, OCL_IID::GetGuid(c.id)));
  }
  EXPECT_EQ(52, int(OCL_IID::iidIOleContainer));
  EXPECT_EQ(68, int(OCL_IID::iidIDispatch));

  std::set<std::string> seen;
  for (int i = 0; i < OCL_IID::kCount; ++i) {
    const GUID& g = OCL_IID::GetGuid(OCL_IID::iid(i));
    seen.insert(std::string(reinterpret_cast<const char*>(&g), sizeof g));
  }
  EXPECT_EQ(size_t(OCL_IID::kCount), seen.size());
}

namespace {

// A stand-in part: an IUnknown that counts its references.
struct Stub : IUnknown {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 0;
};

// An aggregate with a part behind every accessor: stub[i] answers id i.
struct EveryPart : OCL_AGG {
  Stub stub[OCL_IID::kCount];
  IUnknown* OCLstdUnknown() override { return &stub[OCL_IID::iidIUnknown]; }
#define EVERY_PART(name, group) \
  IUnknown* agg##name() override { return &stub[OCL_IID::iid##name]; }
#define NO_PART(name, group)
  OCL_IID_LIST(EVERY_PART, NO_PART, NO_PART)
#undef EVERY_PART
#undef NO_PART
};

bool hasNoPart(int id) {
  static const std::set<int> none = {0,  5,  6,  7,  8,  9,  10, 18, 20, 21, 22,
                                     24, 32, 33, 34, 56, 57, 60, 61, 69, 70};
  return none.count(id) != 0;
}

}  // namespace

TEST(OCL_AGG, TheIdTableReachesEachIdsOwnAccessor) {
  EveryPart agg;
  EXPECT_EQ(72, agg.NumberOfInterfaces());
  for (int i = 0; i < OCL_IID::kCount; ++i) {
    SCOPED_TRACE(i);
    OCL_IID::iid id = OCL_IID::iid(i);
    void* out = &agg;
    HRESULT hr = agg.OCLstdQuery(OCL_IID::GetGuid(id), &out);
    if (hasNoPart(i)) {
      EXPECT_EQ(nullptr, agg.GetInterface(id));
      EXPECT_EQ(E_NOINTERFACE, hr);
      EXPECT_EQ(nullptr, out);
      EXPECT_EQ(0u, agg.stub[i].refs);
    } else {
      EXPECT_EQ(&agg.stub[i], agg.GetInterface(id));
      EXPECT_EQ(S_OK, hr);
      EXPECT_EQ(static_cast<IUnknown*>(&agg.stub[i]), out);
      EXPECT_EQ(1u, agg.stub[i].refs);
    }
  }
}

TEST(OCL_AGG, BareAggregateCountsAndNeverDeletes) {
  OCL_AGG agg;
  EXPECT_EQ(1u, agg.AddRef());  // the count before the increment
  EXPECT_EQ(2u, agg.AddRef());
  EXPECT_EQ(2u, agg.Release());
  EXPECT_EQ(1u, agg.Release());
  EXPECT_EQ(0u, agg.Release());
  EXPECT_EQ(0u, agg.Release());
  void* out = &agg;
  EXPECT_EQ(E_NOINTERFACE, agg.QueryInterface(IID_IUnknown, &out));  // no persist part
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_POINTER, agg.QueryInterface(IID_IUnknown, nullptr));
}

namespace {

// A published-style object: the persist-stream interface first, its aggregate as a
// virtual base, and one further part (IPersist) supplied through OCLagg.
class Widget : public OCLPersistStream {
 public:
  class Persist : public OCLagg<IPersist, OCL_IID::iidIPersist> {
   public:
    using OCLagg::OCLagg;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
      *id = IID_IDispatch;
      return S_OK;
    }
  };

  Widget() : persist_(this) {}

  ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
  ULONG STDMETHODCALLTYPE Release() override { return --count; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  void PO_Load(IStream*) override {}
  void PO_Save(IStream*, int) override {}

  IUnknown* aggIPersist() override { return &persist_; }

  ULONG count = 1;
  IPersistStream* primary() { return this; }
  Persist persist_;
};

}  // namespace

TEST(OCL_AGG, PublishedObjectAnswersThroughTheIdTable) {
  Widget w;
  IPersistStream* primary = w.primary();
  const GUID& persistId = OCL_IID::GetGuid(OCL_IID::iidOCLPersistStream);
  struct Case {
    const GUID& iid;
    HRESULT hr;
    void* expect;
  } cases[] = {
      {GUID_NULL, E_NOINTERFACE, nullptr},
      {IID_IUnknown, S_OK, primary},
      {IID_IPersistStream, S_OK, primary},
      {persistId, S_OK, primary},
      {IID_IPersist, S_OK, static_cast<IPersist*>(&w.persist_)},
      {IID_IDataObject, E_NOINTERFACE, nullptr},
      {IID_IDispatch, E_NOINTERFACE, nullptr},
  };
  for (const Case& c : cases) {
    // Asked of the object and of its part: COM wants the same answers from both.
    IUnknown* askers[] = {primary, &w.persist_};
    for (IUnknown* asker : askers) {
      ULONG before = w.count;
      void* out = &w;
      EXPECT_EQ(c.hr, asker->QueryInterface(c.iid, &out));
      EXPECT_EQ(c.expect, out);
      EXPECT_EQ(before + (c.hr == S_OK ? 1 : 0), w.count);
      if (out) static_cast<IUnknown*>(out)->Release();
    }
  }
  // The part's references are the object's.
  w.persist_.AddRef();
  EXPECT_EQ(2u, w.count);
  w.persist_.Release();
  EXPECT_EQ(1u, w.count);
  EXPECT_EQ(primary, w.OCLstdUnknown());
}
