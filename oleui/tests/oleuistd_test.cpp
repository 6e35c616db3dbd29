// Object and link-source descriptors made from the registered test shape, and freeing
// through the task allocator watched by a malloc spy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "oleui/oleuistd.h"
#include "testshapereg.h"

namespace {

class OleStd : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(reg_.ok());
    ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                     reinterpret_cast<void**>(&obj_)));
  }
  void TearDown() override {
    if (obj_) obj_->Release();
    CoFreeUnusedLibraries();
    OleUninitialize();
  }

  // The descriptor's fixed part and its two strings, checked to lie inside the block.
  struct Read {
    OBJECTDESCRIPTOR od;
    std::wstring type, source;
    SIZE_T blockSize;
  };
  static Read read(HGLOBAL mem) {
    Read r = {};
    r.blockSize = GlobalSize(mem);
    auto* p = static_cast<const BYTE*>(GlobalLock(mem));
    std::memcpy(&r.od, p, sizeof r.od);
    EXPECT_LE(r.od.cbSize, r.blockSize);
    EXPECT_LT(r.od.dwFullUserTypeName, r.od.cbSize);
    EXPECT_LT(r.od.dwSrcOfCopy, r.od.cbSize);
    r.type = reinterpret_cast<const wchar_t*>(p + r.od.dwFullUserTypeName);
    r.source = reinterpret_cast<const wchar_t*>(p + r.od.dwSrcOfCopy);
    GlobalUnlock(mem);
    return r;
  }

  TestShapeRegistration reg_;
  IOleObject* obj_ = nullptr;
};

TEST_F(OleStd, ObjectDescriptorReadsBackFieldByField) {
  POINTL at = {7, -9};
  HGLOBAL mem = OleStdGetObjectDescriptorDataFromOleObject(obj_, nullptr, DVASPECT_CONTENT, at, nullptr);
  ASSERT_NE(nullptr, mem);
  Read r = read(mem);
  const std::wstring type = L"Orvanel Test Shape";
  EXPECT_EQ(sizeof(OBJECTDESCRIPTOR) + 2 * (type.size() + 1) * sizeof(wchar_t), r.od.cbSize);
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, r.od.clsid));
  EXPECT_EQ(DWORD(DVASPECT_CONTENT), r.od.dwDrawAspect);
  // No extent given: the object's.
  EXPECT_EQ(testshape::kWidth, r.od.sizel.cx);
  EXPECT_EQ(testshape::kHeight, r.od.sizel.cy);
  EXPECT_EQ(7, r.od.pointl.x);
  EXPECT_EQ(-9, r.od.pointl.y);
  // The object answers OLE_S_USEREG for its status and type: the registry's come.
  EXPECT_EQ(testshape::kMiscStatus, r.od.dwStatus);
  EXPECT_EQ(DWORD(sizeof(OBJECTDESCRIPTOR)), r.od.dwFullUserTypeName);
  EXPECT_EQ(type, r.type);
  EXPECT_EQ(DWORD(sizeof(OBJECTDESCRIPTOR) + (type.size() + 1) * sizeof(wchar_t)), r.od.dwSrcOfCopy);
  // No source and no moniker: the type name stands for the source.
  EXPECT_EQ(type, r.source);
  GlobalFree(mem);
}

TEST_F(OleStd, ObjectDescriptorTakesTheGivenExtentAndSourceOrTheMonikersName) {
  SIZEL given = {123, 456};
  char source[] = "Form1 of Sample";
  HGLOBAL mem =
      OleStdGetObjectDescriptorDataFromOleObject(obj_, source, DVASPECT_CONTENT, POINTL{0, 0}, &given);
  ASSERT_NE(nullptr, mem);
  Read r = read(mem);
  EXPECT_EQ(123, r.od.sizel.cx);
  EXPECT_EQ(456, r.od.sizel.cy);
  EXPECT_EQ(L"Form1 of Sample", r.source);
  EXPECT_EQ(r.od.cbSize, r.od.dwSrcOfCopy + (r.source.size() + 1) * sizeof(wchar_t));
  GlobalFree(mem);

  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(L"C:\\docs\\shape.osh", &mk));
  ASSERT_EQ(S_OK, obj_->SetMoniker(OLEWHICHMK_OBJFULL, mk));
  mk->Release();
  mem = OleStdGetObjectDescriptorDataFromOleObject(obj_, nullptr, DVASPECT_CONTENT, POINTL{0, 0}, nullptr);
  ASSERT_NE(nullptr, mem);
  r = read(mem);
  EXPECT_EQ(L"C:\\docs\\shape.osh", r.source);
  EXPECT_EQ(L"Orvanel Test Shape", r.type);
  GlobalFree(mem);
}

TEST_F(OleStd, ObjectDescriptorOfNoObjectIsNull) {
  EXPECT_EQ(nullptr, OleStdGetObjectDescriptorDataFromOleObject(nullptr, nullptr, 1, POINTL{0, 0}, nullptr));
}

// The moniker and class id a "Link Source" stream holds, read back.
void readLinkSource(IStream* stm, IMoniker** mk, CLSID* clsid) {
  ASSERT_EQ(S_OK, OleLoadFromStream(stm, IID_IMoniker, reinterpret_cast<void**>(mk)));
  ASSERT_EQ(S_OK, ReadClassStm(stm, clsid));
  // Nothing follows.
  BYTE extra;
  ULONG n = 1;
  stm->Read(&extra, 1, &n);
  EXPECT_EQ(0u, n);
}

TEST_F(OleStd, LinkSourceHoldsTheMonikerAndTheClassOnEitherMedium) {
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(L"C:\\docs\\shape.osh", &mk));
  CLSID clsid = testshape::kClsid;
  const DWORD tymeds[] = {TYMED_ISTREAM, TYMED_ISTREAM | TYMED_HGLOBAL, TYMED_HGLOBAL};
  for (DWORD tymed : tymeds) {
    SCOPED_TRACE(tymed);
    FORMATETC fmt = {CLIPFORMAT(RegisterClipboardFormatA("Link Source")), nullptr, DVASPECT_CONTENT, -1,
                     tymed};
    STGMEDIUM med = {};
    ASSERT_EQ(S_OK, OleStdGetLinkSourceData(mk, &clsid, &fmt, &med));
    IStream* stm = nullptr;
    if (tymed & TYMED_ISTREAM) {
      ASSERT_EQ(DWORD(TYMED_ISTREAM), med.tymed);
      stm = med.pstm;
      stm->AddRef();
    } else {
      ASSERT_EQ(DWORD(TYMED_HGLOBAL), med.tymed);
      ASSERT_EQ(S_OK, CreateStreamOnHGlobal(med.hGlobal, FALSE, &stm));
    }
    IMoniker* back = nullptr;
    CLSID backId = CLSID_NULL;
    readLinkSource(stm, &back, &backId);
    stm->Release();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(S_OK, back->IsEqual(mk));
    EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, backId));
    back->Release();
    ReleaseStgMedium(&med);
  }
  mk->Release();
}

TEST_F(OleStd, LinkSourceRefusesWhatItCannotServe) {
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(L"C:\\docs\\shape.osh", &mk));
  STGMEDIUM med = {};
  FORMATETC fmt = {CLIPFORMAT(RegisterClipboardFormatA("Link Source")), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_FILE};
  EXPECT_EQ(E_INVALIDARG, OleStdGetLinkSourceData(nullptr, nullptr, &fmt, &med));
  EXPECT_EQ(E_INVALIDARG, OleStdGetLinkSourceData(mk, nullptr, &fmt, nullptr));
  EXPECT_EQ(DV_E_TYMED, OleStdGetLinkSourceData(mk, nullptr, &fmt, &med));
  EXPECT_EQ(DWORD(TYMED_NULL), med.tymed);
  // No format: a stream, with the null class when none is given.
  ASSERT_EQ(S_OK, OleStdGetLinkSourceData(mk, nullptr, nullptr, &med));
  IMoniker* back = nullptr;
  CLSID id = testshape::kClsid;
  readLinkSource(med.pstm, &back, &id);
  EXPECT_TRUE(IsEqualCLSID(CLSID_NULL, id));
  if (back) back->Release();
  ReleaseStgMedium(&med);
  mk->Release();
}

// Counts the task allocator's allocations and frees.
class CountingSpy : public IMallocSpy {
 public:
  LONG allocs = 0, frees = 0;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T n) override { return n; }
  STDMETHODIMP_(void*) PostAlloc(void* p) override {
    if (p) ++allocs;
    return p;
  }
  STDMETHODIMP_(void*) PreFree(void* p, BOOL spyed) override {
    if (p && spyed) ++frees;
    return p;
  }
  STDMETHODIMP_(void) PostFree(BOOL) override {}
  STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T n, void** out, BOOL) override {
    *out = p;
    return n;
  }
  STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return p; }
  STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
  STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T n, BOOL) override { return n; }
  STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}
};

TEST_F(OleStd, FreesBalanceTheTaskAllocator) {
  CountingSpy spy;
  ASSERT_EQ(S_OK, CoRegisterMallocSpy(&spy));
  OleStdFree(CoTaskMemAlloc(40));
  OleStdFree(nullptr);
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, OleRegGetUserType(testshape::kClsid, USERCLASSTYPE_SHORT, &name));
  EXPECT_STREQ(L"Shape", name);
  OleStdFreeString(name, nullptr);
  IMalloc* task = nullptr;
  ASSERT_EQ(S_OK, CoGetMalloc(MEMCTX_TASK, &task));
  ASSERT_EQ(S_OK, OleRegGetUserType(testshape::kClsid, USERCLASSTYPE_APPNAME, &name));
  EXPECT_STREQ(L"Orvanel Test Server", name);
  OleStdFreeString(name, task);
  OleStdFreeString(nullptr, task);
  task->Release();
  // The descriptor frees every string OLE gave it.
  HGLOBAL mem =
      OleStdGetObjectDescriptorDataFromOleObject(obj_, nullptr, DVASPECT_CONTENT, POINTL{0, 0}, nullptr);
  EXPECT_NE(nullptr, mem);
  GlobalFree(mem);
  LONG allocs = spy.allocs, frees = spy.frees;
  // Revoking fails while spied blocks are outstanding.
  EXPECT_EQ(S_OK, CoRevokeMallocSpy());
  EXPECT_GE(allocs, 3);
  EXPECT_EQ(allocs, frees);
}

}  // namespace
