// Transferables and their lists: the ring, look-ups with the Selected flag, the format
// match, indexing, held data handed out safely, forwarding, and the OLE formats made
// on demand from the registered test shape (a real in-process OLE server).
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwxferable.h"
#include "guiobjects1/iwxferables.h"
#include "iwwindow_kit.h"
#include "store/interobj.h"
#include "testshapereg.h"
#include "xferkit.h"

namespace {

using namespace xferkit;

class Ole : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

using Xferable = Ole;

// A list of forwarding entries of the given formats, in order.
void Fill(IWXferables& list, std::initializer_list<FORMATETC> formats) {
  for (const FORMATETC& f : formats) list.AddXferable(new IWFwdXferable(f));
}

TEST_F(Xferable, RingOfOneAndSplicing) {
  IWFwdXferable* a = new IWFwdXferable(CF_TEXT, TYMED_HGLOBAL);
  EXPECT_EQ(a, a->Nxt(nullptr));
  EXPECT_EQ(a, a->OntoEndOf(nullptr));  // a null tail answers the next: itself
  IWXferables list;
  EXPECT_EQ(nullptr, list.Start());
  EXPECT_EQ(nullptr, list[0]);
  EXPECT_EQ(a, list.AddXferable(a));
  IWFwdXferable* b = new IWFwdXferable(CF_DIB, TYMED_HGLOBAL);
  IWFwdXferable* c = new IWFwdXferable(CF_BITMAP, TYMED_GDI);
  EXPECT_EQ(b, list.AddXferable(b));
  EXPECT_EQ(c, list.AddXferable(c));
  EXPECT_EQ(3, list.Count());
  EXPECT_EQ(a, list.Start());
  EXPECT_EQ(b, a->Nxt(nullptr));
  EXPECT_EQ(c, b->Nxt(nullptr));
  EXPECT_EQ(a, c->Nxt(nullptr));
}

TEST_F(Xferable, IndexingWrapsToTheFirstEntry) {
  IWXferables list;
  Fill(list, {Format(CF_TEXT, TYMED_HGLOBAL), Format(CF_DIB, TYMED_HGLOBAL), Format(CF_BITMAP, TYMED_GDI)});
  IWXferable* first = list.Start();
  IWXferable* second = first->Nxt(nullptr);
  IWXferable* third = second->Nxt(nullptr);
  struct Case {
    int index;
    IWXferable* want;
  } cases[] = {{-4, first}, {0, first}, {1, second}, {2, third}, {3, first}, {5, first}, {1000, first}};
  for (const Case& c : cases) EXPECT_EQ(c.want, list[c.index]) << c.index;
}

TEST_F(Xferable, FindHonoursTheSelectedFlag) {
  IWXferables list;
  Fill(list, {Format(CF_TEXT, TYMED_HGLOBAL), Format(CF_DIB, TYMED_HGLOBAL), Format(CF_BITMAP, TYMED_GDI)});
  FORMATETC dib = Format(CF_DIB, TYMED_HGLOBAL);
  IWXferable* entry = list[1];
  EXPECT_EQ(entry, list.Start()->FindXferable(&dib));
  entry->Select(0);
  EXPECT_EQ(0, entry->Selected());
  EXPECT_EQ(nullptr, list.Start()->FindXferable(&dib));
  // From any entry of the ring.
  EXPECT_EQ(nullptr, list[2]->FindXferable(&dib));
  entry->Select(1);
  EXPECT_EQ(entry, list[2]->FindXferable(&dib));
  EXPECT_EQ(nullptr, list.Start()->FindXferable(nullptr));
  FORMATETC palette = Format(CF_PALETTE, TYMED_GDI);
  EXPECT_EQ(nullptr, list.Start()->FindXferable(&palette));
}

TEST_F(Xferable, TheFirstOfTwoEntriesOfOneFormatAnswers) {
  IWXferables list;
  STGMEDIUM one = TextMedium("first"), two = TextMedium("second");
  list.AddXferable(new IWAnyGetable(Format(CF_TEXT, TYMED_HGLOBAL), one, nullptr));
  list.AddXferable(new IWAnyGetable(Format(CF_TEXT, TYMED_HGLOBAL), two, nullptr));
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
  IWXferable* found = list.Start()->FindXferable(&text);
  ASSERT_EQ(list.Start(), found);
  STGMEDIUM got = {};
  ASSERT_EQ(S_OK, found->GetMedium(got, nullptr));
  EXPECT_EQ("first", ReadText(got.hGlobal));
  ReleaseStgMedium(&got);
  // Unselecting the first lets the second answer.
  found->Select(0);
  ASSERT_EQ(list[1], list.Start()->FindXferable(&text));
}

TEST_F(Xferable, FormatMatchTable) {
  struct Case {
    CLIPFORMAT cf;
    DWORD aspect, tymed;
    bool match;
  };
  // The entry: CF_TEXT, aspect content (1), global memory or stream.
  IWFwdXferable entry(Format(CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM));
  const Case cases[] = {
      {CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, true},
      {CF_TEXT, DVASPECT_CONTENT, TYMED_ISTREAM, true},
      {CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_GDI, true},  // one shared bit is enough
      {CF_TEXT, DVASPECT_CONTENT, TYMED_GDI, false},
      {CF_TEXT, DVASPECT_CONTENT, TYMED_NULL, false},
      {CF_TEXT, DVASPECT_CONTENT | DVASPECT_ICON, TYMED_HGLOBAL, true},
      {CF_TEXT, DVASPECT_ICON, TYMED_HGLOBAL, false},
      {CF_TEXT, 0, TYMED_HGLOBAL, false},  // no shared bit, not equal
      {CF_OEMTEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, false},
  };
  for (const Case& c : cases) {
    FORMATETC f = Format(c.cf, c.tymed, c.aspect);
    EXPECT_EQ(c.match, entry == f) << c.cf << " aspect " << c.aspect << " tymed " << c.tymed;
  }
  // Aspect 0 matches an entry of aspect 0 (equal).
  IWFwdXferable zero(Format(CF_TEXT, TYMED_HGLOBAL, 0));
  FORMATETC f0 = Format(CF_TEXT, TYMED_HGLOBAL, 0), f1 = Format(CF_TEXT, TYMED_HGLOBAL, 1);
  EXPECT_TRUE(zero == f0);
  EXPECT_FALSE(zero == f1);
}

TEST_F(Xferable, FormatEntriesRefuseAndCopyTheirFormat) {
  IWFwdXferable entry(Format(CF_DIB, TYMED_HGLOBAL));
  STGMEDIUM m = TextMedium("x");
  EXPECT_EQ(DV_E_FORMATETC, entry.SetMedium(m, FALSE, nullptr));
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, nullptr));
  EXPECT_EQ(DV_E_FORMATETC, entry.GetOnMedium(m, nullptr));
  ReleaseStgMedium(&m);
  FORMATETC out = {};
  entry.GetFormat(out);
  EXPECT_EQ(CF_DIB, out.cfFormat);
  EXPECT_EQ(nullptr, out.ptd);
  EXPECT_EQ(DWORD(DVASPECT_CONTENT), out.dwAspect);
  EXPECT_EQ(-1, out.lindex);
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), out.tymed);
}

TEST_F(Xferable, AFailedFetchHandsOutAnEmptyMediumWithSuccess) {
  Source* source = new Source;  // offers nothing
  FORMATETC f = Format(CF_TEXT, TYMED_HGLOBAL);
  IWAnyGetable entry(source, f, nullptr);
  EXPECT_EQ(1, source->gets);
  STGMEDIUM m = TextMedium("stale");
  HGLOBAL stale = m.hGlobal;
  EXPECT_EQ(S_OK, entry.GetMedium(m, nullptr));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  EXPECT_EQ(nullptr, m.pUnkForRelease);
  GlobalFree(stale);
  source->Release();
}

// Bad media from a foreign source: each leaves the entry empty, and nothing is read.
TEST_F(Xferable, ForeignMediaOfTheWrongKindOrWithoutHandleAreRefused) {
  struct Case {
    const char* what;
    std::function<HRESULT(STGMEDIUM&)> make;
  } cases[] = {
      {"bitmap for a global",
       [](STGMEDIUM& m) {
         m.tymed = TYMED_GDI;
         m.hBitmap = CreateBitmap(2, 2, 1, 1, nullptr);
         return S_OK;
       }},
      {"null global",
       [](STGMEDIUM& m) {
         m.tymed = TYMED_HGLOBAL;
         m.hGlobal = nullptr;
         return S_OK;
       }},
      {"empty kind",
       [](STGMEDIUM& m) {
         m.tymed = TYMED_NULL;
         return S_OK;
       }},
      {"failure", [](STGMEDIUM&) { return E_UNEXPECTED; }},
  };
  for (const Case& c : cases) {
    Source* source = new Source;
    source->offer(Format(CF_TEXT, TYMED_HGLOBAL), c.make);
    FORMATETC f = Format(CF_TEXT, TYMED_HGLOBAL);
    IWAnyGetable entry(source, f, nullptr);
    EXPECT_EQ(DWORD(TYMED_NULL), entry.medium().tymed) << c.what;
    EXPECT_EQ(DWORD(TYMED_HGLOBAL), f.tymed) << c.what;
    source->Release();
  }
}

TEST_F(Xferable, AFetchTakesTheKindReceived) {
  Source* source = new Source;
  source->offer(Format(CF_TEXT, TYMED_ISTREAM), [](STGMEDIUM& m) {
    m.tymed = TYMED_ISTREAM;
    CreateStreamOnHGlobal(nullptr, TRUE, &m.pstm);
    m.pstm->Write("abc", 3, nullptr);
    return S_OK;
  });
  FORMATETC f = Format(CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM);
  IWAnyGetable entry(source, f, nullptr);
  EXPECT_EQ(DWORD(TYMED_ISTREAM), f.tymed);
  FORMATETC own = {};
  entry.GetFormat(own);
  EXPECT_EQ(DWORD(TYMED_ISTREAM), own.tymed);
  source->Release();
}

// Without an owner, the receiver gets a duplicate: freeing it leaves the entry's data.
TEST_F(Xferable, WithoutAnOwnerTheReceiverFreesADuplicate) {
  IWAnyGetable entry(Format(CF_TEXT, TYMED_HGLOBAL), *std::make_unique<STGMEDIUM>(TextMedium("kept")),
                     nullptr);
  for (int round = 0; round < 3; ++round) {
    STGMEDIUM got = {};
    ASSERT_EQ(S_OK, entry.GetMedium(got, nullptr));
    EXPECT_EQ(DWORD(TYMED_HGLOBAL), got.tymed);
    EXPECT_EQ(nullptr, got.pUnkForRelease);
    EXPECT_NE(entry.medium().hGlobal, got.hGlobal);
    EXPECT_EQ("kept", ReadText(got.hGlobal));
    ReleaseStgMedium(&got);
    EXPECT_EQ("kept", ReadText(entry.medium().hGlobal));
  }
  // A bitmap and a storage too.
  STGMEDIUM bm = {};
  bm.tymed = TYMED_GDI;
  bm.hBitmap = CreateBitmap(3, 2, 1, 1, nullptr);
  IWAnyGetable bitmap(Format(CF_BITMAP, TYMED_GDI), bm, nullptr);
  STGMEDIUM got = {};
  ASSERT_EQ(S_OK, bitmap.GetMedium(got, nullptr));
  EXPECT_NE(bitmap.medium().hBitmap, got.hBitmap);
  ReleaseStgMedium(&got);
  BITMAP info = {};
  EXPECT_EQ(int(sizeof info), GetObjectA(bitmap.medium().hBitmap, sizeof info, &info));
  EXPECT_EQ(3, info.bmWidth);
}

// With an owner, the entry's own handle goes out and only the owner is counted.
TEST_F(Xferable, WithAnOwnerTheOwnerIsCounted) {
  Source* owner = new Source;
  STGMEDIUM m = TextMedium("shared");
  IWAnyGetable entry(Format(CF_TEXT, TYMED_HGLOBAL), m, owner);
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);  // taken over
  STGMEDIUM got = {};
  ASSERT_EQ(S_OK, entry.GetMedium(got, nullptr));
  EXPECT_EQ(entry.medium().hGlobal, got.hGlobal);
  EXPECT_EQ(static_cast<IUnknown*>(owner), got.pUnkForRelease);
  EXPECT_EQ(2, owner->refs);
  ReleaseStgMedium(&got);
  EXPECT_EQ(1, owner->refs);
  EXPECT_EQ("shared", ReadText(entry.medium().hGlobal));
  owner->Release();
}

TEST_F(Xferable, SetMediumKeepsADuplicateWhenTheCallerKeepsItsMedium) {
  IWAnyGetable entry(Format(CF_TEXT, TYMED_HGLOBAL), *std::make_unique<STGMEDIUM>(TextMedium("old")),
                     nullptr);
  STGMEDIUM mine = TextMedium("new");
  ASSERT_EQ(S_OK, entry.SetMedium(mine, FALSE, nullptr));
  EXPECT_NE(mine.hGlobal, entry.medium().hGlobal);
  ReleaseStgMedium(&mine);
  EXPECT_EQ("new", ReadText(entry.medium().hGlobal));
  STGMEDIUM given = TextMedium("given");
  HGLOBAL handle = given.hGlobal;
  ASSERT_EQ(S_OK, entry.SetMedium(given, TRUE, nullptr));
  EXPECT_EQ(handle, entry.medium().hGlobal);
}

TEST_F(Xferable, AnObjectReferenceDuplicateTakesACountOfItsOwn) {
  InterObjRep* rep = windowkit::NewWindow("Referenced");
  ASSERT_NE(nullptr, rep);
  long before = rep->count();
  alignas(Faultp<InterObjRep>) unsigned char ref[sizeof(Faultp<InterObjRep>)];
  new (ref) Faultp<InterObjRep>(rep);
  EXPECT_EQ(before + 1, rep->count());
  {
    STGMEDIUM m = {};
    ASSERT_NE(nullptr, ClipFormat::CopyToHGlobalMedium(m, sizeof ref, ref));
    IWAnyGetable entry(ProcessFormat::s_fmt.format, m, nullptr);
    STGMEDIUM got = {};
    ASSERT_EQ(S_OK, entry.GetMedium(got, nullptr));
    EXPECT_EQ(before + 2, rep->count());
    IWAnyGetable::FreeMedium(ProcessFormat::s_fmt.format, got);
    EXPECT_EQ(before + 1, rep->count());
  }
  EXPECT_EQ(before, rep->count());
}

// A block of the process format too short to hold a reference is freed, not read.
TEST_F(Xferable, AShortObjectReferenceBlockIsFreedUnread) {
  for (size_t size : {size_t(1), sizeof(Faultp<InterObjRep>) - 1}) {
    std::string junk(size, '\xA5');
    STGMEDIUM m = GlobalMedium(junk.data(), junk.size());
    SCOPED_TRACE(size);
    IWAnyGetable entry(ProcessFormat::s_fmt.format, m, nullptr);
    STGMEDIUM got = {};
    EXPECT_EQ(S_OK, entry.GetMedium(got, nullptr));  // a plain copy
    IWAnyGetable::FreeMedium(ProcessFormat::s_fmt.format, got);
  }
}

TEST_F(Xferable, ForwardingEntriesAskTheForwardObject) {
  Source* target = new Source;
  target->offerText(CF_TEXT, "forwarded");
  IWFwdXferable entry(CF_TEXT, TYMED_HGLOBAL);
  STGMEDIUM m = {};
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, nullptr));
  EXPECT_EQ(DV_E_FORMATETC, entry.GetOnMedium(m, nullptr));
  EXPECT_EQ(DV_E_FORMATETC, entry.SetMedium(m, FALSE, nullptr));
  ASSERT_EQ(S_OK, entry.GetMedium(m, target));
  EXPECT_EQ("forwarded", ReadText(m.hGlobal));
  ReleaseStgMedium(&m);
  EXPECT_EQ(E_NOTIMPL, entry.GetOnMedium(m, target));  // the target's own answer
  target->Release();
}

TEST_F(Xferable, InitFwdsReplacesTheListAndStopsAnEndlessEnumerator) {
  IWXferables list;
  Fill(list, {Format(CF_BITMAP, TYMED_GDI)});
  ListEnum* e = new ListEnum({Format(CF_TEXT, TYMED_HGLOBAL), Format(CF_DIB, TYMED_HGLOBAL)});
  e->withDevice = true;  // the target devices are freed, not kept
  list.InitFwds(e);
  e->Release();
  ASSERT_EQ(2, list.Count());
  FORMATETC f = {};
  list[0]->GetFormat(f);
  EXPECT_EQ(CF_TEXT, f.cfFormat);
  EXPECT_EQ(nullptr, f.ptd);
  list[1]->GetFormat(f);
  EXPECT_EQ(CF_DIB, f.cfFormat);
  list.InitFwds(nullptr);  // nothing at all
  EXPECT_EQ(2, list.Count());

  ListEnum* endless = new ListEnum({}, true);
  list.InitFwds(endless);
  EXPECT_EQ(IWXferables::kMaxCount, list.Count());
  EXPECT_EQ(long(IWXferables::kMaxCount), endless->given);
  endless->Release();
  long live = IWXferable::Live();
  list.Clear();
  EXPECT_EQ(live - IWXferables::kMaxCount, IWXferable::Live());
  EXPECT_EQ(nullptr, list.Start());
}

// ---- the OLE formats, with the registered test shape ----

class OleFormats : public Ole {
 protected:
  void SetUp() override {
    Ole::SetUp();
    ASSERT_TRUE(reg_.ok());
    ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&shape_)));
    IPersistStorage* ps = nullptr;
    ASSERT_EQ(S_OK, shape_->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)));
    ASSERT_EQ(S_OK, StgCreateDocfile(
                        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                        0, &home_));
    EXPECT_EQ(S_OK, ps->InitNew(home_));
    ps->Release();
  }
  void TearDown() override {
    if (shape_) shape_->Release();
    if (home_) home_->Release();
    CoFreeUnusedLibraries();
    Ole::TearDown();
  }
  // A data object answering the shape's interfaces, offering what offers() adds.
  Source* ShapeSource() {
    Source* s = new Source;
    s->inner = shape_;
    shape_->AddRef();
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
  IUnknown* shape_ = nullptr;
  IStorage* home_ = nullptr;
};

TEST_F(OleFormats, EmbeddedObjectIsSavedIntoANewStorageOrTheCallers) {
  Source* source = ShapeSource();
  IWEOXferable entry;
  STGMEDIUM m = {};
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, nullptr));
  ASSERT_EQ(S_OK, entry.GetMedium(m, source));
  ASSERT_EQ(DWORD(TYMED_ISTORAGE), m.tymed);
  EXPECT_EQ(nullptr, m.pUnkForRelease);
  CLSID clsid = CLSID_NULL;
  EXPECT_EQ(S_OK, ReadClassStg(m.pstg, &clsid));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, clsid));
  EXPECT_EQ(testshape::kMagic, Magic(m.pstg));
  ReleaseStgMedium(&m);

  IStorage* mine = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                   0, &mine));
  STGMEDIUM here = {};
  EXPECT_EQ(DV_E_TYMED, entry.GetOnMedium(here, source));  // no storage given
  here.tymed = TYMED_ISTORAGE;
  here.pstg = mine;
  ASSERT_EQ(S_OK, entry.GetOnMedium(here, source));
  EXPECT_EQ(testshape::kMagic, Magic(mine));
  mine->Release();

  // No OLE object behind the data: refused.
  Source* plain = new Source;
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, plain));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  plain->Release();
  source->Release();
}

TEST_F(OleFormats, DescriptorsNameTheShape) {
  Source* source = ShapeSource();
  struct Case {
    IWEDXferable* entry;
    const char* name;
  } cases[] = {{new IWEDXferable, "Object Descriptor"}, {new IWLDXferable, "Link Source Descriptor"}};
  for (const Case& c : cases) {
    FORMATETC f = {};
    c.entry->GetFormat(f);
    EXPECT_EQ(ClipFormat::Find(c.name)->format.cfFormat, f.cfFormat);
    c.entry->position = {10, 20};
    STGMEDIUM m = {};
    EXPECT_EQ(DV_E_FORMATETC, c.entry->GetMedium(m, nullptr));
    ASSERT_EQ(S_OK, c.entry->GetMedium(m, source)) << c.name;
    ASSERT_EQ(DWORD(TYMED_HGLOBAL), m.tymed);
    std::string bytes = ReadGlobal(m.hGlobal);
    ASSERT_GE(bytes.size(), sizeof(OBJECTDESCRIPTOR));
    OBJECTDESCRIPTOR od;
    std::memcpy(&od, bytes.data(), sizeof od);
    EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, od.clsid));
    EXPECT_EQ(testshape::kWidth, od.sizel.cx);  // no extent set: the object's
    EXPECT_EQ(10, od.pointl.x);
    EXPECT_EQ(20, od.pointl.y);
    ReleaseStgMedium(&m);
    c.entry->extent = {300, 200};
    ASSERT_EQ(S_OK, c.entry->GetMedium(m, source));
    bytes = ReadGlobal(m.hGlobal);
    ASSERT_GE(bytes.size(), sizeof od);
    std::memcpy(&od, bytes.data(), sizeof od);
    EXPECT_EQ(300, od.sizel.cx);
    ReleaseStgMedium(&m);
    delete c.entry;
  }
  source->Release();
}

TEST_F(OleFormats, LinkSourceNeedsALinkAndItsObject) {
  Source* source = ShapeSource();
  source->link = new Link(shape_, L"C:\\shapes\\one.shp");
  IWLSXferable entry;
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, entry.GetMedium(m, source));
  EXPECT_TRUE(m.tymed == TYMED_ISTREAM || m.tymed == TYMED_HGLOBAL);
  ReleaseStgMedium(&m);
  // Without a link.
  Source* plain = ShapeSource();
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, plain));
  // A link whose object answers no IOleObject: refused, nothing thrown.
  Source* bare = new Source;
  bare->link = new Link(nullptr, L"C:\\shapes\\two.shp");
  EXPECT_EQ(DV_E_FORMATETC, entry.GetMedium(m, bare));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  bare->Release();
  plain->Release();
  source->Release();
}

// The order and kinds of entries InitOle makes.
std::string Kinds(IWXferables& list) {
  std::string s;
  for (int i = 0; i < list.Count(); ++i) {
    IWXferable* e = list[i];
    if (i) s += ",";
    if (dynamic_cast<IWEOXferable*>(e))
      s += "EO";
    else if (dynamic_cast<IWLDXferable*>(e))
      s += "LD";
    else if (dynamic_cast<IWEDXferable*>(e))
      s += "ED";
    else if (dynamic_cast<IWLSXferable*>(e))
      s += "LS";
    else {
      FORMATETC f = {};
      e->GetFormat(f);
      char name[64];
      s += ClipFormat::NameFromFormat(f.cfFormat, name, sizeof name);
    }
  }
  return s;
}

TEST_F(OleFormats, InitOleMakesTheEmbeddingFormatsBeforeTheForwardedOnes) {
  Source* object = ShapeSource();
  object->offerText(CF_TEXT, "t");
  IWXferables list;
  ListEnum* e = new ListEnum({Format(CF_TEXT, TYMED_HGLOBAL), Format(CF_DIB, TYMED_HGLOBAL)});
  list.InitOle(object, e);
  e->Release();
  EXPECT_EQ("EO,ED,Text,DIB Bitmap", Kinds(list));
  object->Release();
}

TEST_F(OleFormats, InitOleOnALinkMakesTheLinkFormatsAfter) {
  Source* object = ShapeSource();
  object->link = new Link(shape_, L"C:\\shapes\\one.shp");
  IWXferables list;
  ListEnum* e = new ListEnum({Format(CF_DIB, TYMED_HGLOBAL)});
  list.InitOle(object, e);
  e->Release();
  EXPECT_EQ("DIB Bitmap,LS,LD", Kinds(list));
  FORMATETC ls = CfLinkSource::s_fmt.format;
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, list.Start()->FindXferable(&ls)->GetMedium(m, object));
  ReleaseStgMedium(&m);
  object->Release();
}

TEST_F(OleFormats, AnObjectOfferingEmbeddedObjectItselfIsForwarded) {
  Source* object = ShapeSource();
  FORMATETC eo = CfEmbeddedObject::s_fmt.format;
  IStorage* home = home_;
  object->offer(eo, [home](STGMEDIUM& m) {
    m.tymed = TYMED_ISTORAGE;
    (m.pstg = home)->AddRef();
    return S_OK;
  });
  object->offerText(CfObjectDescriptor::s_fmt.format.cfFormat, "own descriptor");
  IWXferables list;
  ListEnum* e = new ListEnum({eo, CfObjectDescriptor::s_fmt.format});
  list.InitOle(object, e);
  e->Release();
  EXPECT_EQ("Embedded Object,Object Descriptor", Kinds(list));
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, list.Start()->FindXferable(&eo)->GetMedium(m, object));
  EXPECT_EQ(home_, m.pstg);  // the object's own answer
  ReleaseStgMedium(&m);
  object->Release();
}

}  // namespace
