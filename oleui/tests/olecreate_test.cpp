// Our creation paths from data objects, monikers and files, against the test shape: the
// made objects draw; what the platform's own functions answer for the same calls; and
// sources that offer nothing usable.
#include "oleui/olecreate.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "oleui/oleuistd.h"
#include "shapecanvas.h"
#include "testkit/testkit.h"
#include "testshapereg.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

CLIPFORMAT cf(const char* name) { return CLIPFORMAT(RegisterClipboardFormatA(name)); }

// A data object offering what a test gives it, as another program's would: storages,
// stream bytes, or a format whose medium is not the one it announces.
class Offer : public IDataObject {
 public:
  Offer() = default;
  ~Offer() {
    for (Item& i : items_)
      if (i.stg) i.stg->Release();
  }
  Offer(const Offer&) = delete;
  Offer& operator=(const Offer&) = delete;
  void storage(const char* format, IStorage* stg) {
    stg->AddRef();
    items_.push_back({cf(format), TYMED_ISTORAGE, stg, {}, false});
  }
  void stream(const char* format, std::vector<BYTE> bytes) {
    items_.push_back({cf(format), TYMED_ISTREAM, nullptr, std::move(bytes), false});
  }
  // Announces a storage but hands out global memory.
  void wrongMedium(const char* format) { items_.push_back({cf(format), TYMED_ISTORAGE, nullptr, {}, true}); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
    *out = static_cast<IDataObject*>(this);
    return S_OK;
  }
  // Lives on the test's stack.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* med) override {
    if (!f || !med) return E_POINTER;
    const Item* i = find(f);
    if (!i) return DV_E_FORMATETC;
    *med = STGMEDIUM{};
    if (i->wrong) {
      med->tymed = TYMED_HGLOBAL;
      med->hGlobal = GlobalAlloc(GHND, 16);
      return S_OK;
    }
    if (i->tymed == TYMED_ISTORAGE) {
      med->tymed = TYMED_ISTORAGE;
      med->pstg = i->stg;
      i->stg->AddRef();
      return S_OK;
    }
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, i->bytes.size() ? i->bytes.size() : 1);
    if (!mem) return E_OUTOFMEMORY;
    if (!i->bytes.empty()) {
      memcpy(GlobalLock(mem), i->bytes.data(), i->bytes.size());
      GlobalUnlock(mem);
    }
    med->tymed = TYMED_ISTREAM;
    return CreateStreamOnHGlobal(mem, TRUE, &med->pstm);
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* f) override {
    if (!f) return E_POINTER;
    return find(f) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD dir, IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (dir != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> fs;
    for (const Item& i : items_) fs.push_back({i.cf, nullptr, DVASPECT_CONTENT, -1, i.tymed});
    return SHCreateStdEnumFmtEtc(UINT(fs.size()), fs.data(), out);
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  struct Item {
    CLIPFORMAT cf;
    DWORD tymed;
    IStorage* stg;
    std::vector<BYTE> bytes;
    bool wrong;
  };
  const Item* find(const FORMATETC* f) const {
    for (const Item& i : items_)
      if (i.cf == f->cfFormat && (i.tymed & f->tymed)) return &i;
    return nullptr;
  }
  std::vector<Item> items_;
};

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

class Creation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(reg_.ok());
  }
  void TearDown() override {
    for (IStorage* s : storages_) s->Release();
    CoFreeUnusedLibraries();
    OleUninitialize();
  }
  // A new storage in memory, released at the end of the test.
  IStorage* storage() {
    IStorage* stg = nullptr;
    EXPECT_EQ(S_OK, StgCreateDocfile(
                        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                        0, &stg));
    if (stg) storages_.push_back(stg);
    return stg;
  }
  // The shape's embedding in colour, as the server saves it.
  IStorage* embedding(COLORREF colour) {
    IStorage* stg = storage();
    if (!stg) return nullptr;
    EXPECT_EQ(S_OK, WriteClassStg(stg, testshape::kClsid));
    IStream* stm = nullptr;
    EXPECT_EQ(S_OK, stg->CreateStream(testshape::kStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0,
                                      0, &stm));
    testshape::Contents c = {testshape::kMagic, DWORD(colour), testshape::kWidth, testshape::kHeight};
    if (stm) {
      EXPECT_EQ(S_OK, stm->Write(&c, sizeof c, nullptr));
      stm->Release();
    }
    return stg;
  }
  // A shape file in colour; its full path.
  std::wstring shapeFile(const char* name, COLORREF colour) {
    std::string path = dir_.File(name);
    testshape::Contents c = {testshape::kMagic, DWORD(colour), testshape::kWidth, testshape::kHeight};
    writeFile(path, &c, sizeof c);
    return wide(path);
  }
  static void writeFile(const std::string& path, const void* bytes, DWORD n) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, bytes, n, &written, nullptr);
    CloseHandle(h);
  }
  // The "Link Source" bytes for a file, as our descriptor helper makes them.
  static std::vector<BYTE> linkSource(const std::wstring& file) {
    IMoniker* mk = nullptr;
    EXPECT_EQ(S_OK, CreateFileMoniker(file.c_str(), &mk));
    STGMEDIUM med = {};
    CLSID cls = testshape::kClsid;
    EXPECT_EQ(S_OK, OleStdGetLinkSourceData(mk, &cls, nullptr, &med));
    mk->Release();
    std::vector<BYTE> bytes;
    STATSTG st = {};
    if (med.tymed == TYMED_ISTREAM && SUCCEEDED(med.pstm->Stat(&st, STATFLAG_NONAME))) {
      bytes.resize(size_t(st.cbSize.QuadPart));
      ULONG got = 0;
      med.pstm->Read(bytes.data(), ULONG(bytes.size()), &got);
      bytes.resize(got);
    }
    ReleaseStgMedium(&med);
    return bytes;
  }
  static std::wstring sourceName(IUnknown* obj) {
    IOleLink* link = nullptr;
    if (FAILED(obj->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link))) || !link)
      return L"(no link)";
    LPOLESTR name = nullptr;
    std::wstring out;
    if (SUCCEEDED(link->GetSourceDisplayName(&name)) && name) out = name;
    OleStdFree(name);
    link->Release();
    return out;
  }
  static void close(IOleObject* obj) {
    obj->Close(OLECLOSE_NOSAVE);
    obj->Release();
  }

  TestShapeRegistration reg_;
  testkit::TestDataDir dir_{"oleui-create"};
  std::vector<IStorage*> storages_;
};

TEST_F(Creation, FromDataCopiesTheOfferedEmbedding) {
  for (const char* format : {"Embedded Object", "Embed Source"}) {
    SCOPED_TRACE(format);
    Offer offer;
    offer.storage(format, embedding(kGreen));
    IStorage* stg = storage();
    IOleObject* obj = nullptr;
    ASSERT_EQ(S_OK, OvOleCreateFromData(&offer, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                                        reinterpret_cast<void**>(&obj)));
    ASSERT_NE(nullptr, obj);
    expectShape(obj, kGreen);
    CLSID cls = CLSID_NULL;
    EXPECT_EQ(S_OK, obj->GetUserClassID(&cls));
    EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, cls));
    // The new storage holds the copy: it loads again on its own.
    close(obj);
    obj = nullptr;
    ASSERT_EQ(S_OK, OleLoad(stg, IID_IOleObject, nullptr, reinterpret_cast<void**>(&obj)));
    expectShape(obj, kGreen);
    close(obj);
  }
}

TEST_F(Creation, LinkFromDataBindsTheLinkSource) {
  std::wstring file = shapeFile("linked.ovshape", kBlue);
  Offer offer;
  offer.stream("Link Source", linkSource(file));
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, OvOleCreateLinkFromData(&offer, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, storage(),
                                          reinterpret_cast<void**>(&obj)));
  ASSERT_NE(nullptr, obj);
  expectShape(obj, kBlue);
  EXPECT_EQ(file, sourceName(obj));
  close(obj);
}

TEST_F(Creation, LinkToFileDrawsAndFollowsTheFile) {
  std::wstring file = shapeFile("doc.ovshape", kBlue);
  // The server registered the file type: the class of the file is found by its name.
  CLSID cls = CLSID_NULL;
  ASSERT_EQ(S_OK, GetClassFile(file.c_str(), &cls));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, cls));

  IStorage* stg = storage();
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, OvOleCreateLinkToFile(file.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                                        reinterpret_cast<void**>(&obj)));
  ASSERT_NE(nullptr, obj);
  expectShape(obj, kBlue);
  EXPECT_EQ(file, sourceName(obj));
  close(obj);

  // The storage keeps the link, not a copy: loaded after the file changed, the object
  // shows the file's new state.
  std::string narrow(file.begin(), file.end());
  testshape::Contents c = {testshape::kMagic, DWORD(kYellow), testshape::kWidth, testshape::kHeight};
  writeFile(narrow, &c, sizeof c);
  obj = nullptr;
  ASSERT_EQ(S_OK, OleLoad(stg, IID_IOleObject, nullptr, reinterpret_cast<void**>(&obj)));
  expectShape(obj, kYellow);
  EXPECT_EQ(file, sourceName(obj));
  close(obj);
}

TEST_F(Creation, LinkToAMoniker) {
  std::wstring file = shapeFile("named.ovshape", kGreen);
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(file.c_str(), &mk));
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, OvOleCreateLink(mk, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, storage(),
                                  reinterpret_cast<void**>(&obj)));
  mk->Release();
  ASSERT_NE(nullptr, obj);
  expectShape(obj, kGreen);
  EXPECT_EQ(file, sourceName(obj));
  close(obj);
}

// The platform's own functions for the same sources: they answer their stub codes (or
// make no link), so a platform that implements them shows up here.
TEST_F(Creation, WhatThePlatformAnswers) {
  Offer embedded;
  embedded.storage("Embedded Object", embedding(kGreen));
  std::wstring file = shapeFile("plat.ovshape", kBlue);
  Offer link;
  link.stream("Link Source", linkSource(file));
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(file.c_str(), &mk));
  IUnknown* obj = nullptr;
  auto take = [&](HRESULT hr) {
    if (obj) obj->Release();
    obj = nullptr;
    return hr;
  };
  HRESULT fromData = take(OleCreateFromData(&embedded, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr,
                                            storage(), reinterpret_cast<void**>(&obj)));
  HRESULT linkFromData = OleCreateLinkFromData(&link, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr,
                                               storage(), reinterpret_cast<void**>(&obj));
  bool linkMade = obj && sourceName(obj) == file;
  take(linkFromData);
  HRESULT linkToFile = take(OleCreateLinkToFile(file.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr,
                                                nullptr, storage(), reinterpret_cast<void**>(&obj)));
  HRESULT linkMk = take(OleCreateLink(mk, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, storage(),
                                      reinterpret_cast<void**>(&obj)));
  mk->Release();
  EXPECT_EQ(E_NOINTERFACE, fromData);
  EXPECT_EQ(E_NOINTERFACE, linkFromData);
  EXPECT_FALSE(linkMade);
  EXPECT_EQ(E_NOTIMPL, linkToFile);
  EXPECT_EQ(E_NOTIMPL, linkMk);
}

// Sources that offer nothing usable give an OLE error code and no object; null
// arguments give E_INVALIDARG.
TEST_F(Creation, SourcesOfferingNothingUsable) {
  Offer nothing;
  Offer wrongMedium;
  wrongMedium.wrongMedium("Embedded Object");
  Offer badLink;
  badLink.stream("Link Source", std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8});
  Offer emptyLink;
  emptyLink.stream("Link Source", std::vector<BYTE>{});
  // A link source naming a file of an unknown type.
  std::string txt = dir_.File("plain.txt");
  writeFile(txt, "text", 4);
  Offer foreignLink;
  foreignLink.stream("Link Source", linkSource(wide(txt)));
  std::string garbage = dir_.File("garbage.ovshape");
  writeFile(garbage, "not a shape at all", 18);

  struct Case {
    const char* what;
    std::function<HRESULT(IStorage*, void**)> call;
    HRESULT want;
  } cases[] = {
      {"from data, nothing offered",
       [&](IStorage* s, void** o) {
         return OvOleCreateFromData(&nothing, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       DV_E_FORMATETC},
      // The platform refuses it first (DV_E_FORMATETC); our own path would say DV_E_TYMED.
      {"from data, a storage announced, memory handed out",
       [&](IStorage* s, void** o) {
         return OvOleCreateFromData(&wrongMedium, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_FAIL},
      {"link from data, nothing offered",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkFromData(&nothing, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       OLE_E_CANT_GETMONIKER},
      {"link from data, bytes that hold no moniker",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkFromData(&badLink, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_FAIL},
      {"link from data, an empty link source",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkFromData(&emptyLink, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_FAIL},
      {"link from data, a file of no registered type",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkFromData(&foreignLink, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       MK_E_INVALIDEXTENSION},
      {"link to a file of no registered type",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkToFile(wide(txt).c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s,
                                      o);
       },
       MK_E_INVALIDEXTENSION},
      {"link to a missing file",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkToFile(wide(dir_.File("missing.ovshape")).c_str(), IID_IOleObject,
                                      OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       STG_E_FILENOTFOUND},
      {"link to a file that is no shape",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkToFile(wide(garbage).c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr,
                                      s, o);
       },
       STG_E_READFAULT},
      {"null data object",
       [&](IStorage* s, void** o) {
         return OvOleCreateFromData(nullptr, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_INVALIDARG},
      {"null storage",
       [&](IStorage*, void** o) {
         return OvOleCreateLinkFromData(&nothing, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, nullptr,
                                        o);
       },
       E_INVALIDARG},
      {"null moniker",
       [&](IStorage* s, void** o) {
         return OvOleCreateLink(nullptr, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_INVALIDARG},
      {"null file name",
       [&](IStorage* s, void** o) {
         return OvOleCreateLinkToFile(nullptr, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s, o);
       },
       E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* obj = reinterpret_cast<void*>(1);
    HRESULT hr = c.call(storage(), &obj);
    EXPECT_TRUE(FAILED(hr));
    if (c.want != E_FAIL) {
      EXPECT_EQ(c.want, hr);
    }
    EXPECT_EQ(nullptr, obj);
  }
  EXPECT_EQ(E_INVALIDARG, OvOleCreateFromData(&nothing, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr,
                                              storage(), nullptr));
}

// A moniker naming something that is no OLE object.
TEST_F(Creation, LinkToAForeignObject) {
  IStream* stm = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stm));
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreatePointerMoniker(stm, &mk));
  void* obj = nullptr;
  EXPECT_EQ(E_FAIL, OvOleCreateLink(mk, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, storage(), &obj));
  EXPECT_EQ(nullptr, obj);
  mk->Release();
  stm->Release();
}

}  // namespace
