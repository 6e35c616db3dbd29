// The OLE data object: the format enumerator's walk, the operations over the two lists,
// data objects made from foreign sources (a file drop copied, an OLE source embedded in
// memory), round trips through the real OLE clipboard in this and in a second process,
// and nothing left behind after many enumerators and copies.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwxferobj.h"
#include "olecls/oclagg.h"
#include "testshapereg.h"
#include "xferkit.h"

namespace {

using namespace xferkit;

const char kRegistered[] = "Orvanel Clipboard Test Format";

#ifndef __i386__
// A data object of the system with entries added by the test (as classes built on
// IWXferObj add theirs). Built in this program only on 64 bits: a class derived in
// another module needs the stdcall members under their decorated names, which the
// 32-bit DLL exports plain.
#define OV_DERIVED_DATA_OBJECTS 1
class Listed : public IWXferObj {
 public:
  Listed() : IWXferObj(nullptr) {}
  IWXferables& getables() { return getables_; }
  IWXferables& setables() { return setables_; }
  void forwardTo(IDataObject* d) {
    d->AddRef();
    fwd_ = d;
  }
};

// Text held, DIB and bitmap forwarded.
Listed* HeldAndForwarded() {
  Listed* d = new Listed;
  STGMEDIUM m = TextMedium("three");
  d->getables().AddXferable(
      new IWAnyGetable(Format(CF_TEXT, TYMED_HGLOBAL), m, static_cast<IDataObject*>(d)));
  d->getables().AddXferable(new IWFwdXferable(CF_DIB, TYMED_HGLOBAL));
  d->getables().AddXferable(new IWFwdXferable(CF_BITMAP, TYMED_GDI));
  Hide(d);
  return d;
}
#endif

// Three offered formats copied from a dropped file's source: file name, text, DIB.
IWXferObj* ThreeFormats() {
  Source* source = new Source;
  source->offer(CfFileName::s_fmt.format, [](STGMEDIUM& m) {
    m = TextMedium("C:\\three.txt");
    return S_OK;
  });
  source->offerText(CF_TEXT, "three");
  source->offerText(CF_DIB, "dib");
  IWXferObj* d = new IWXferObj(source);
  source->Release();
  Hide(d);
  return d;
}

// The i-th offered entry.
IWXferable* Offered(IWXferObj* d, int i) {
  IWXferable* e = d->Getables();
  while (e && i-- > 0) e = e->Nxt(nullptr);
  return e;
}

CLIPFORMAT FileCf() { return CfFileName::s_fmt.format.cfFormat; }

std::vector<CLIPFORMAT> Numbers(const FORMATETC* f, ULONG n) {
  std::vector<CLIPFORMAT> v;
  for (ULONG i = 0; i < n; ++i) v.push_back(f[i].cfFormat);
  return v;
}

class Ole : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    objects_ = IWXferObj::Live();
    enums_ = IWEnumFORMATETC::Live();
    entries_ = IWXferable::Live();
  }
  void TearDown() override {
    EXPECT_EQ(objects_, IWXferObj::Live());
    EXPECT_EQ(enums_, IWEnumFORMATETC::Live());
    EXPECT_EQ(entries_, IWXferable::Live());
    OleUninitialize();
  }
  long objects_ = 0, enums_ = 0, entries_ = 0;
};

using Enumerator = Ole;
using DataObject = Ole;

TEST_F(Enumerator, NextTenOverThreeThenNothingUntilReset) {
  IWXferObj* d = ThreeFormats();
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  FORMATETC f[10] = {};
  ULONG got = 99;
  EXPECT_EQ(S_FALSE, e->Next(10, f, &got));
  EXPECT_EQ(3u, got);
  EXPECT_EQ((std::vector<CLIPFORMAT>{FileCf(), CF_TEXT, CF_DIB}), Numbers(f, got));
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), f[2].tymed);
  EXPECT_EQ(nullptr, f[2].ptd);
  EXPECT_EQ(S_FALSE, e->Next(10, f, &got));
  EXPECT_EQ(0u, got);
  EXPECT_EQ(S_FALSE, e->Next(1, f, nullptr));
  EXPECT_EQ(S_OK, e->Reset());
  EXPECT_EQ(S_OK, e->Next(2, f, &got));
  EXPECT_EQ(2u, got);
  EXPECT_EQ(S_OK, e->Next(1, f, &got));
  EXPECT_EQ(CF_DIB, f[0].cfFormat);
  EXPECT_EQ(S_FALSE, e->Next(1, f, &got));
  EXPECT_EQ(0u, got);
  e->Release();
  d->Release();
}

TEST_F(Enumerator, SkipCountsSelectedEntries) {
  IWXferObj* d = ThreeFormats();
  Offered(d, 1)->Select(0);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  struct Step {
    int skip;  // < 0: Reset
    HRESULT want;
  } steps[] = {{1, S_OK},    {1, S_OK},  {1, S_FALSE}, {-1, S_OK},
               {3, S_FALSE}, {-1, S_OK}, {2, S_OK},    {0, S_OK}};
  for (const Step& s : steps) EXPECT_EQ(s.want, s.skip < 0 ? e->Reset() : e->Skip(ULONG(s.skip))) << s.skip;
  EXPECT_EQ(S_OK, e->Reset());
  FORMATETC f[3];
  ULONG got = 0;
  EXPECT_EQ(S_OK, e->Skip(1));
  EXPECT_EQ(S_FALSE, e->Next(3, f, &got));
  EXPECT_EQ((std::vector<CLIPFORMAT>{CF_DIB}), Numbers(f, got));
  e->Release();
  d->Release();
}

TEST_F(Enumerator, AClonePicksUpTheWalkAndResetsToWhereItWasMade) {
  IWXferObj* d = ThreeFormats();
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  FORMATETC f[10];
  ULONG got = 0;
  ASSERT_EQ(S_OK, e->Next(1, f, &got));
  IEnumFORMATETC* c = nullptr;
  ASSERT_EQ(S_OK, e->Clone(&c));
  // It goes on from the second and stops where the first would (after the third).
  EXPECT_EQ(S_FALSE, c->Next(10, f, &got));
  EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_DIB}), Numbers(f, got));
  // The original has not moved.
  EXPECT_EQ(S_FALSE, e->Next(10, f, &got));
  EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_DIB}), Numbers(f, got));
  // Reset takes the clone back to where it was made, and then once around the ring.
  EXPECT_EQ(S_OK, c->Reset());
  EXPECT_EQ(S_FALSE, c->Next(10, f, &got));
  EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_DIB, FileCf()}), Numbers(f, got));
  // The clone keeps the data object alive by itself.
  e->Release();
  d->Release();
  EXPECT_EQ(objects_ + 1, IWXferObj::Live());
  EXPECT_EQ(S_OK, c->Reset());
  EXPECT_EQ(S_OK, c->Next(1, f, &got));
  EXPECT_EQ(CF_TEXT, f[0].cfFormat);
  c->Release();
  EXPECT_EQ(objects_, IWXferObj::Live());
}

TEST_F(Enumerator, QueryInterfaceAndOwnCount) {
  IWXferObj* d = ThreeFormats();
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  IUnknown* u = nullptr;
  EXPECT_EQ(S_OK, e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)));
  EXPECT_EQ(static_cast<IUnknown*>(e), u);
  IDataObject* no = nullptr;
  EXPECT_EQ(E_NOINTERFACE, e->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&no)));
  EXPECT_EQ(nullptr, no);
  EXPECT_EQ(1u, u->Release());
  EXPECT_EQ(3u, d->AddRef());  // the test's, the enumerator's and this one
  d->Release();
  e->Release();
  EXPECT_EQ(0u, d->Release());
}

TEST_F(DataObject, DirectionsAndEmptyLists) {
  IWXferObj* d = ThreeFormats();
  IEnumFORMATETC* e = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(E_NOTIMPL, d->EnumFormatEtc(DATADIR_SET, &e));
  EXPECT_EQ(nullptr, e);
  e = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(E_NOTIMPL, d->EnumFormatEtc(7, &e));
  EXPECT_EQ(nullptr, e);
  d->Release();
#ifdef OV_DERIVED_DATA_OBJECTS
  Listed* l = HeldAndForwarded();
  l->setables().AddXferable(new IWFwdXferable(CF_TEXT, TYMED_HGLOBAL));
  ASSERT_EQ(S_OK, l->EnumFormatEtc(DATADIR_SET, &e));
  e->Release();
  l->Release();
#endif
  IWXferObj* empty = new IWXferObj(nullptr);
  Hide(empty);
  EXPECT_EQ(E_NOTIMPL, empty->EnumFormatEtc(DATADIR_GET, &e));
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m = {};
  EXPECT_EQ(DV_E_FORMATETC, empty->GetData(&text, &m));
  EXPECT_EQ(DV_E_FORMATETC, empty->QueryGetData(&text));
  empty->Release();
}

#ifdef OV_DERIVED_DATA_OBJECTS
TEST_F(DataObject, OperationsTable) {
  Listed* d = HeldAndForwarded();
  Source* target = new Source;
  target->offerText(CF_DIB, "dib bytes");
  d->forwardTo(target);
  target->Release();
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL), dib = Format(CF_DIB, TYMED_HGLOBAL),
            bitmap = Format(CF_BITMAP, TYMED_GDI), palette = Format(CF_PALETTE, TYMED_GDI),
            textGdi = Format(CF_TEXT, TYMED_GDI);
  struct Case {
    const char* what;
    FORMATETC* f;
    HRESULT query, get;
  } cases[] = {
      {"held text", &text, S_OK, S_OK},
      {"forwarded DIB", &dib, S_OK, S_OK},
      {"forwarded bitmap the target lacks", &bitmap, S_OK, DV_E_FORMATETC},
      {"palette offered by nobody", &palette, DV_E_FORMATETC, DV_E_FORMATETC},
      {"text on the wrong medium", &textGdi, DV_E_FORMATETC, DV_E_FORMATETC},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.query, d->QueryGetData(c.f)) << c.what;
    STGMEDIUM m = {};
    EXPECT_EQ(c.get, d->GetData(c.f, &m)) << c.what;
    if (m.tymed != TYMED_NULL) ReleaseStgMedium(&m);
  }
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&text, &m));
  EXPECT_EQ("three", ReadText(m.hGlobal));
  EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDataObject*>(d)), m.pUnkForRelease);
  ReleaseStgMedium(&m);
  ASSERT_EQ(S_OK, d->GetData(&dib, &m));
  EXPECT_EQ("dib bytes", ReadText(m.hGlobal));
  ReleaseStgMedium(&m);
  EXPECT_EQ(E_INVALIDARG, d->GetData(nullptr, &m));
  EXPECT_EQ(E_INVALIDARG, d->GetData(&text, nullptr));
  // Held data cannot be written in place except into a storage.
  m = TextMedium("x");
  EXPECT_EQ(DV_E_FORMATETC, d->GetDataHere(&text, &m));
  ReleaseStgMedium(&m);
  FORMATETC out = text;
  out.ptd = reinterpret_cast<DVTARGETDEVICE*>(1);
  EXPECT_EQ(E_NOTIMPL, d->GetCanonicalFormatEtc(&text, &out));
  EXPECT_EQ(nullptr, out.ptd);
  DWORD conn = 0;
  EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, d->DAdvise(&text, 0, nullptr, &conn));
  EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, d->DUnadvise(1));
  IEnumSTATDATA* sd = nullptr;
  EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, d->EnumDAdvise(&sd));
  IUnknown* u = nullptr;
  EXPECT_EQ(S_OK, d->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)));
  u->Release();
  EXPECT_EQ(E_NOINTERFACE, d->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&u)));
  d->Release();
}
#endif

TEST_F(DataObject, AnUnselectedEntryIsNeitherEnumeratedNorFound) {
  IWXferObj* d = ThreeFormats();
  Offered(d, 1)->Select(0);
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  EXPECT_EQ(DV_E_FORMATETC, d->QueryGetData(&text));
  STGMEDIUM m = {};
  EXPECT_EQ(DV_E_FORMATETC, d->GetData(&text, &m));
  Offered(d, 1)->Select(1);
  EXPECT_EQ(S_OK, d->QueryGetData(&text));
  Offered(d, 1)->Select(0);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  FORMATETC f[5];
  ULONG got = 0;
  EXPECT_EQ(S_FALSE, e->Next(5, f, &got));
  EXPECT_EQ((std::vector<CLIPFORMAT>{FileCf(), CF_DIB}), Numbers(f, got));
  e->Release();
  d->Release();
}

TEST_F(DataObject, SetDataWithoutSetablesIsRefused) {
  IWXferObj* d = new IWXferObj(nullptr);
  Hide(d);
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m = TextMedium("offered");
  EXPECT_EQ(DV_E_FORMATETC, d->SetData(&text, &m, TRUE));
  ReleaseStgMedium(&m);  // refused: still the caller's
  d->Release();
#ifdef OV_DERIVED_DATA_OBJECTS
  // An accepting entry takes it.
  Listed* l = HeldAndForwarded();
  STGMEDIUM none = {};
  l->setables().AddXferable(new IWAnyGetable(text, none, nullptr));
  m = TextMedium("accepted");
  EXPECT_EQ(S_OK, l->SetData(&text, &m, FALSE));
  ReleaseStgMedium(&m);
  auto* kept = static_cast<IWAnyGetable*>(l->setables().Start());
  EXPECT_EQ("accepted", ReadText(kept->medium().hGlobal));
  l->Release();
#endif
}

TEST_F(DataObject, OneFormatOverAMediumItOwns) {
  STGMEDIUM m = TextMedium("own data");
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  IWXferObj* d = new IWXferObj(text, m, nullptr);
  Hide(d);
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  STGMEDIUM got = {};
  ASSERT_EQ(S_OK, d->GetData(&text, &got));
  EXPECT_EQ("own data", ReadText(got.hGlobal));
  EXPECT_EQ(3u, d->AddRef());  // the test's, the medium's and this one
  d->Release();
  d->Release();  // the medium still holds it
  EXPECT_EQ(objects_ + 1, IWXferObj::Live());
  ReleaseStgMedium(&got);
  EXPECT_EQ(objects_, IWXferObj::Live());
}

// A file drop is copied now: the object answers after its source is gone.
TEST_F(DataObject, AFileDropIsCopiedAndOutlivesItsSource) {
  Source* source = new Source;
  const char names[] = "C:\\dropped.txt\0";
  source->offer(CfFileName::s_fmt.format, [&](STGMEDIUM& m) {
    m = GlobalMedium(names, sizeof names);
    return S_OK;
  });
  source->offerText(CF_TEXT, "dropped text");
  IWXferObj* d = new IWXferObj(source);
  Hide(d);
  EXPECT_FALSE(d->HoldsOleObject());
  int gets = source->gets;
  source->Release();
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL), file = CfFileName::s_fmt.format;
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&text, &m));
  EXPECT_EQ("dropped text", ReadText(m.hGlobal));
  ReleaseStgMedium(&m);
  ASSERT_EQ(S_OK, d->GetData(&file, &m));
  EXPECT_EQ("C:\\dropped.txt", ReadText(m.hGlobal));
  ReleaseStgMedium(&m);
  EXPECT_EQ(2, gets);
  d->Release();
}

// A source that answers with bad media: the copy holds nothing for those formats and
// answers them with an empty medium, never reading the foreign handles.
TEST_F(DataObject, BadForeignMediaAreNotKept) {
  Source* source = new Source;
  source->offer(CfFileName::s_fmt.format, [](STGMEDIUM& m) {
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = nullptr;
    return S_OK;
  });
  source->offer(Format(CF_TEXT, TYMED_HGLOBAL), [](STGMEDIUM& m) {
    m.tymed = TYMED_ISTORAGE;  // not the kind asked for
    m.pstg = nullptr;
    return S_OK;
  });
  IWXferObj* d = new IWXferObj(source);
  Hide(d);
  source->Release();
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m = {};
  EXPECT_EQ(S_OK, d->GetData(&text, &m));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  d->Release();
}

// ---- OLE sources, with the registered test shape ----

class Shape : public Ole {
 protected:
  void SetUp() override {
    Ole::SetUp();
    ASSERT_TRUE(reg_.ok());
    IPersistStorage* ps = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStorage,
                                     reinterpret_cast<void**>(&ps)));
    ASSERT_EQ(S_OK, StgCreateDocfile(
                        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                        0, &saved_));
    ASSERT_EQ(S_OK, ps->InitNew(saved_));
    ASSERT_EQ(S_OK, OleSave(ps, saved_, TRUE));
    ps->SaveCompleted(nullptr);
    ps->Release();
  }
  void TearDown() override {
    if (saved_) saved_->Release();
    CoFreeUnusedLibraries();
    Ole::TearDown();
  }
  // A foreign source offering the shape as "Embedded Object", and text.
  Source* EmbeddingSource() {
    Source* s = new Source;
    IStorage* stg = saved_;
    s->offer(CfEmbeddedObject::s_fmt.format, [stg](STGMEDIUM& m) {
      m.tymed = TYMED_ISTORAGE;
      (m.pstg = stg)->AddRef();
      return S_OK;
    });
    s->offerText(CF_TEXT, "shape as text");
    s->offerText(CF_DIB, "the source's own DIB");
    return s;
  }
  static DWORD Magic(IStorage* stg) {
    IStream* stm = nullptr;
    testshape::Contents c = {};
    if (stg->OpenStream(testshape::kStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stm) == S_OK) {
      stm->Read(&c, sizeof c, nullptr);
      stm->Release();
    }
    return c.magic;
  }

  TestShapeRegistration reg_;
  IStorage* saved_ = nullptr;
};

TEST_F(Shape, AnOleSourceIsEmbeddedInMemoryAndForwardedTo) {
  Source* source = EmbeddingSource();
  IWXferObj* d = new IWXferObj(source);
  Hide(d);
  source->Release();
  ASSERT_TRUE(d->HoldsOleObject());
  // The source's DIB is forwarded to the in-memory shape, which draws its own.
  FORMATETC dib = Format(CF_DIB, TYMED_HGLOBAL);
  STGMEDIUM drawn = {};
  ASSERT_EQ(S_OK, d->GetData(&dib, &drawn));
  BITMAPINFOHEADER h = {};
  std::string dibBytes = ReadGlobal(drawn.hGlobal);
  ASSERT_GE(dibBytes.size(), sizeof h);
  std::memcpy(&h, dibBytes.data(), sizeof h);
  EXPECT_EQ(128, h.biWidth);
  EXPECT_EQ(64, h.biHeight);
  ReleaseStgMedium(&drawn);
  FORMATETC eo = CfEmbeddedObject::s_fmt.format, od = CfObjectDescriptor::s_fmt.format;
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&eo, &m));
  ASSERT_EQ(DWORD(TYMED_ISTORAGE), m.tymed);
  EXPECT_EQ(testshape::kMagic, Magic(m.pstg));
  ReleaseStgMedium(&m);
  ASSERT_EQ(S_OK, d->GetData(&od, &m));
  OBJECTDESCRIPTOR desc = {};
  std::string bytes = ReadGlobal(m.hGlobal);
  ASSERT_GE(bytes.size(), sizeof desc);
  std::memcpy(&desc, bytes.data(), sizeof desc);
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, desc.clsid));
  ReleaseStgMedium(&m);
  // The source's text is forwarded to the in-memory object, which has none.
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  EXPECT_EQ(S_OK, d->QueryGetData(&text));
  EXPECT_NE(S_OK, d->GetData(&text, &m));
  // Enumerated: the made-up formats first.
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
  FORMATETC f[8];
  ULONG got = 0;
  e->Next(8, f, &got);
  EXPECT_EQ((std::vector<CLIPFORMAT>{eo.cfFormat, od.cfFormat, eo.cfFormat, CF_TEXT, CF_DIB}),
            Numbers(f, got));
  e->Release();
  d->Release();
}

// ---- the real OLE clipboard ----

// Runs the peer program with args, pumping this thread's messages so that the clipboard
// can call back into our data object; answers its exit code.
DWORD RunPeer(const std::string& args) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  dir.resize(dir.find_last_of('\\') + 1);
  std::string cmd = "\"" + dir + "iwxferobj_peer.exe\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
  DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0 &&
         GetTickCount() - start < 120000) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  DWORD code = 998;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// Text, a registered format and an object reference (a null one) copied from a source.
IWXferObj* TextOffer() {
  Source* source = new Source;
  source->offerText(CF_TEXT, "clip text");
  source->offerText(ClipFormat::FormatFromName(kRegistered), "registered bytes");
  unsigned char ref[sizeof(void*) * 2] = {};  // a null reference
  STGMEDIUM m = {};
  ClipFormat::CopyToHGlobalMedium(m, sizeof ref, ref);
  IWXferObj* d = new IWXferObj(ProcessFormat::s_fmt.format, m, source);
  Hide(d);
  source->Release();
  return d;
}

using Clipboard = Ole;

TEST_F(Clipboard, TextAndARegisteredFormatInThisProcess) {
  IWXferObj* d = TextOffer();
  ASSERT_EQ(S_OK, OleSetClipboard(d));
  EXPECT_EQ(S_OK, OleIsCurrentClipboard(d));
  IDataObject* back = nullptr;
  ASSERT_EQ(S_OK, OleGetClipboard(&back));
  struct Case {
    CLIPFORMAT cf;
    const char* want;
  } cases[] = {{CF_TEXT, "clip text"}, {ClipFormat::FormatFromName(kRegistered), "registered bytes"}};
  for (const Case& c : cases) {
    FORMATETC f = Format(c.cf, TYMED_HGLOBAL);
    STGMEDIUM m = {};
    ASSERT_EQ(S_OK, back->GetData(&f, &m)) << c.want;
    EXPECT_EQ(c.want, ReadText(m.hGlobal));
    ReleaseStgMedium(&m);
  }
  FORMATETC own = ProcessFormat::s_fmt.format;
  EXPECT_EQ(S_OK, back->QueryGetData(&own));  // the same process reads its references
  back->Release();
  ASSERT_EQ(S_OK, OleSetClipboard(nullptr));
  d->Release();
}

TEST_F(Clipboard, TextAndARegisteredFormatInASecondProcess) {
  IWXferObj* d = TextOffer();
  ASSERT_EQ(S_OK, OleSetClipboard(d));
  EXPECT_EQ(0u, RunPeer("text \"clip text\" \"registered bytes\""));
  // Rendered once for good, the data is still there after the object leaves.
  ASSERT_EQ(S_OK, OleFlushClipboard());
  d->Release();
  EXPECT_EQ(0u, RunPeer("text \"clip text\" \"registered bytes\""));
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
}

TEST_F(Clipboard, AnEmbeddedShapeInASecondProcess) {
  TestShapeRegistration reg;
  ASSERT_TRUE(reg.ok());
  IStorage* saved = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                   0, &saved));
  IPersistStorage* ps = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStorage,
                                   reinterpret_cast<void**>(&ps)));
  ps->InitNew(saved);
  OleSave(ps, saved, TRUE);
  ps->SaveCompleted(nullptr);
  ps->Release();
  Source* source = new Source;
  source->offer(CfEmbeddedObject::s_fmt.format, [saved](STGMEDIUM& m) {
    m.tymed = TYMED_ISTORAGE;
    (m.pstg = saved)->AddRef();
    return S_OK;
  });
  IWXferObj* d = new IWXferObj(source);
  Hide(d);
  source->Release();
  ASSERT_TRUE(d->HoldsOleObject());
  ASSERT_EQ(S_OK, OleSetClipboard(d));
  // In this process first, through the clipboard's own data object.
  IDataObject* back = nullptr;
  ASSERT_EQ(S_OK, OleGetClipboard(&back));
  FORMATETC eo = CfEmbeddedObject::s_fmt.format;
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, back->GetData(&eo, &m));
  ASSERT_EQ(DWORD(TYMED_ISTORAGE), m.tymed);
  CLSID clsid = CLSID_NULL;
  EXPECT_EQ(S_OK, ReadClassStg(m.pstg, &clsid));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, clsid));
  ReleaseStgMedium(&m);
  back->Release();
  EXPECT_EQ(0u, RunPeer("shape"));
  ASSERT_EQ(S_OK, OleSetClipboard(nullptr));
  d->Release();
  saved->Release();
  CoFreeUnusedLibraries();
}

// ---- a real OLE drag ----

// Drops at once (after a few turns of the drag loop).
class QuickDrop : public IDropSource {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryContinueDrag(BOOL, DWORD) override { return ++turns < 3 ? S_OK : DRAGDROP_S_DROP; }
  STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
  int turns = 0;
};

// Reads the text of what is dropped on it.
class TextTarget : public IDropTarget {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    entered = data->QueryGetData(&text) == S_OK;
    *effect = entered ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = entered ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  STDMETHODIMP DragLeave() override { return S_OK; }
  STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    STGMEDIUM m = {};
    if (data->GetData(&text, &m) == S_OK) {
      dropped = ReadText(m.hGlobal);
      ReleaseStgMedium(&m);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  bool entered = false;
  std::string dropped;
};

TEST_F(DataObject, ARealDragDropsTheText) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OrvanelDropTargetTest";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "drop here", WS_POPUP | WS_VISIBLE, 100, 100, 300,
                           200, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, w);
  TextTarget target;
  ASSERT_EQ(S_OK, RegisterDragDrop(w, &target));
  SetCursorPos(250, 200);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  STGMEDIUM m = TextMedium("dragged text");
  IWXferObj* d = new IWXferObj(Format(CF_TEXT, TYMED_HGLOBAL), m, nullptr);
  Hide(d);
  QuickDrop source;
  DWORD effect = 0;
  EXPECT_EQ(DRAGDROP_S_DROP, DoDragDrop(d, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect));
  EXPECT_TRUE(target.entered);
  EXPECT_EQ("dragged text", target.dropped);
  EXPECT_EQ(DWORD(DROPEFFECT_COPY), effect);
  d->Release();
  RevokeDragDrop(w);
  DestroyWindow(w);
}

// ---- nothing left behind ----

// Counts the task allocator's blocks.
class Spy : public IMallocSpy {
 public:
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
    if (p) ++live;
    return p;
  }
  STDMETHODIMP_(void*) PreFree(void* p, BOOL spyed) override {
    if (p && spyed) --live;
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
  STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int r) override { return r; }
  STDMETHODIMP_(void) PreHeapMinimize() override {}
  STDMETHODIMP_(void) PostHeapMinimize() override {}
  long live = 0;
};

TEST_F(DataObject, ManyEnumeratorsAndCopiesLeaveNothingBehind) {
  Spy spy;
  ASSERT_EQ(S_OK, CoRegisterMallocSpy(&spy));
  for (int round = 0; round < 200; ++round) {
    Source* source = new Source;
    source->offerText(CF_TEXT, "round");
    source->offer(CfFileName::s_fmt.format, [](STGMEDIUM& m) {
      m = TextMedium("C:\\f.txt");
      return S_OK;
    });
    IWXferObj* d = new IWXferObj(source);
    Hide(d);
    source->Release();
    IEnumFORMATETC* e = nullptr;
    ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
    IEnumFORMATETC* c = nullptr;
    ASSERT_EQ(S_OK, e->Clone(&c));
    FORMATETC f[4];
    ULONG got = 0;
    c->Next(4, f, &got);
    EXPECT_EQ(2u, got);
    IWXferObj* copy = new IWXferObj(d);  // a copy of a copy
    Hide(copy);
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    STGMEDIUM m = {};
    ASSERT_EQ(S_OK, copy->GetData(&text, &m));
    ReleaseStgMedium(&m);
    copy->Release();
    d->Release();
    e->Release();
    c->Release();
  }
  EXPECT_EQ(0, spy.live);
  EXPECT_EQ(S_OK, CoRevokeMallocSpy());
}

#ifdef OV_DERIVED_DATA_OBJECTS
// The aggregate form: IDataObject answers itself, everything else and the count go to
// the aggregate.
TEST_F(DataObject, ATemporaryInsideAnAggregate) {
  class Agg : public OCL_AGG {
   public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
      return OCLstdQuery(riid, out);
    }
  } agg;
  IWXferables get, set;
  STGMEDIUM m = TextMedium("in aggregate");
  get.AddXferable(new IWAnyGetable(Format(CF_TEXT, TYMED_HGLOBAL), m, nullptr));
  struct Tmp : IWXferTmp {
    using IWXferTmp::IWXferTmp;
    ~Tmp() override = default;
  };
  Tmp* t = new Tmp(get, set, nullptr, &agg);
  EXPECT_EQ(0, get.Count());
  ULONG before = agg.AddRef();
  agg.Release();
  IDataObject* d = nullptr;
  ASSERT_EQ(S_OK, t->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&d)));
  EXPECT_EQ(static_cast<IDataObject*>(t), d);
  EXPECT_EQ(before + 1, agg.AddRef());
  agg.Release();
  d->Release();
  IOleObject* no = nullptr;
  EXPECT_EQ(E_NOINTERFACE, t->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&no)));
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM got = {};
  ASSERT_EQ(S_OK, t->GetData(&text, &got));
  EXPECT_EQ("in aggregate", ReadText(got.hGlobal));
  ReleaseStgMedium(&got);
  delete t;
}
#endif

}  // namespace
