// The test shape through OLE's own embedding calls: create, save into a compound file,
// load, draw into a memory DC; its verbs and status from the registry; the verb menu.
#include <gtest/gtest.h>

#include <oledlg.h>

#include <string>

#include "oleui/oleuistd.h"
#include "shapecanvas.h"
#include "testkit/testkit.h"
#include "testshapereg.h"

namespace {

class Embedding : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(reg_.ok());
    std::string f = dir_.File("doc.ovo");
    file_.assign(f.begin(), f.end());
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    OleUninitialize();
  }
  IStorage* createFile() {
    IStorage* stg = nullptr;
    EXPECT_EQ(S_OK, StgCreateDocfile(file_.c_str(),
                                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED, 0,
                                     &stg));
    return stg;
  }
  IStorage* openFile() {
    IStorage* stg = nullptr;
    EXPECT_EQ(S_OK,
              StgOpenStorage(file_.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED,
                             nullptr, 0, &stg));
    return stg;
  }

  TestShapeRegistration reg_;
  testkit::TestDataDir dir_{"oleui-embed"};
  std::wstring file_;
};

TEST_F(Embedding, CreateSaveLoadDraw) {
  IStorage* stg = createFile();
  ASSERT_NE(nullptr, stg);
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, OleCreate(testshape::kClsid, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                            reinterpret_cast<void**>(&obj)));
  expectShape(obj, testshape::kColor);
  IPersistStorage* ps = nullptr;
  ASSERT_EQ(S_OK, obj->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)));
  ASSERT_EQ(S_OK, OleSave(ps, stg, TRUE));
  ASSERT_EQ(S_OK, ps->SaveCompleted(nullptr));
  ps->Release();
  obj->Close(OLECLOSE_NOSAVE);
  obj->Release();
  ASSERT_EQ(S_OK, stg->Commit(STGC_DEFAULT));
  stg->Release();

  // The file names the class and holds the object's state; a changed colour comes back.
  stg = openFile();
  ASSERT_NE(nullptr, stg);
  CLSID cls = CLSID_NULL;
  ASSERT_EQ(S_OK, ReadClassStg(stg, &cls));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, cls));
  IStream* stm = nullptr;
  ASSERT_EQ(S_OK,
            stg->OpenStream(testshape::kStream, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stm));
  testshape::Contents contents = {};
  ULONG n = 0;
  ASSERT_EQ(S_OK, stm->Read(&contents, sizeof contents, &n));
  ASSERT_EQ(sizeof contents, n);
  EXPECT_EQ(testshape::kMagic, contents.magic);
  EXPECT_EQ(DWORD(testshape::kColor), contents.color);
  EXPECT_EQ(testshape::kWidth, contents.cx);
  contents.color = RGB(0, 128, 0);
  LARGE_INTEGER zero = {};
  stm->Seek(zero, STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(S_OK, stm->Write(&contents, sizeof contents, &n));
  stm->Release();

  obj = nullptr;
  ASSERT_EQ(S_OK, OleLoad(stg, IID_IOleObject, nullptr, reinterpret_cast<void**>(&obj)));
  expectShape(obj, RGB(0, 128, 0));
  SIZEL ext = {};
  EXPECT_EQ(S_OK, obj->GetExtent(DVASPECT_CONTENT, &ext));
  EXPECT_EQ(testshape::kHeight, ext.cy);
  obj->Close(OLECLOSE_NOSAVE);
  obj->Release();
  stg->Release();
}

TEST_F(Embedding, RenderingsOfItsDataObject) {
  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDataObject,
                                   reinterpret_cast<void**>(&data)));
  struct Case {
    CLIPFORMAT cf;
    DWORD tymed;
  } cases[] = {{CF_METAFILEPICT, TYMED_MFPICT}, {CF_ENHMETAFILE, TYMED_ENHMF}, {CF_DIB, TYMED_HGLOBAL}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cf);
    FORMATETC fmt = {k.cf, nullptr, DVASPECT_CONTENT, -1, k.tymed};
    STGMEDIUM med = {};
    ASSERT_EQ(S_OK, data->GetData(&fmt, &med));
    EXPECT_EQ(k.tymed, med.tymed);
    Canvas c;
    RECT r = {20, 10, 180, 90};
    if (k.cf == CF_ENHMETAFILE) {
      ASSERT_TRUE(PlayEnhMetaFile(c.dc(), med.hEnhMetaFile, &r));
    } else if (k.cf == CF_DIB) {
      auto* bih = static_cast<BITMAPINFOHEADER*>(GlobalLock(med.hGlobal));
      ASSERT_EQ(128, bih->biWidth);
      StretchDIBits(c.dc(), r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, bih->biWidth,
                    bih->biHeight, reinterpret_cast<BYTE*>(bih) + bih->biSize,
                    reinterpret_cast<BITMAPINFO*>(bih), DIB_RGB_COLORS, SRCCOPY);
      GlobalUnlock(med.hGlobal);
    } else {
      auto* pict = static_cast<METAFILEPICT*>(GlobalLock(med.hMetaFilePict));
      EXPECT_EQ(testshape::kWidth, pict->xExt);
      SetMapMode(c.dc(), MM_ANISOTROPIC);
      SetViewportOrgEx(c.dc(), r.left, r.top, nullptr);
      SetViewportExtEx(c.dc(), r.right - r.left, r.bottom - r.top, nullptr);
      ASSERT_TRUE(PlayMetaFile(c.dc(), pict->hMF));
      SetMapMode(c.dc(), MM_TEXT);
      SetViewportOrgEx(c.dc(), 0, 0, nullptr);
      GlobalUnlock(med.hMetaFilePict);
    }
    EXPECT_EQ(testshape::kColor, c.at(100, 50));
    EXPECT_EQ(RGB(255, 255, 255), c.at(22, 12));
    ReleaseStgMedium(&med);
  }
  FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&text));
  // Wine's registry enumeration of formats is a stub: a Wine that implements it shows
  // up here.
  IEnumFORMATETC* formats = nullptr;
  EXPECT_EQ(E_NOTIMPL, OleRegEnumFormatEtc(testshape::kClsid, DATADIR_GET, &formats));
  if (formats) formats->Release();
  data->Release();
}

TEST_F(Embedding, VerbsTypesAndStatusFromTheRegistry) {
  IEnumOLEVERB* verbs = nullptr;
  ASSERT_EQ(S_OK, OleRegEnumVerbs(testshape::kClsid, &verbs));
  OLEVERB v[4] = {};
  ULONG got = 0;
  verbs->Next(4, v, &got);
  verbs->Release();
  ASSERT_EQ(2u, got);
  EXPECT_EQ(0, v[0].lVerb);
  EXPECT_STREQ(L"&Edit", v[0].lpszVerbName);
  EXPECT_EQ(1, v[1].lVerb);
  EXPECT_STREQ(L"&Open", v[1].lpszVerbName);
  EXPECT_EQ(DWORD(OLEVERBATTRIB_ONCONTAINERMENU), v[0].grfAttribs);
  for (ULONG i = 0; i < got; ++i) OleStdFree(v[i].lpszVerbName);
  DWORD status = 0;
  ASSERT_EQ(S_OK, OleRegGetMiscStatus(testshape::kClsid, DVASPECT_CONTENT, &status));
  EXPECT_EQ(testshape::kMiscStatus, status);
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, OleRegGetUserType(testshape::kClsid, USERCLASSTYPE_FULL, &name));
  EXPECT_STREQ(L"Orvanel Test Shape", name);
  OleStdFreeString(name, nullptr);
  CLSID byName = CLSID_NULL;
  ASSERT_EQ(S_OK, CLSIDFromProgID(L"Orvanel.TestShape.1", &byName));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, byName));
}

TEST_F(Embedding, VerbMenuOfThePlatformDialogLibrary) {
  IOleObject* obj = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                   reinterpret_cast<void**>(&obj)));
  HMENU menu = CreatePopupMenu();
  HMENU sub = nullptr;
  // The object leaves its verbs to the registry (OLE_S_USEREG).
  BOOL ok = OleUIAddVerbMenuA(obj, nullptr, menu, 0, 300, 400, FALSE, 0, &sub);
  EXPECT_TRUE(ok);
  ASSERT_EQ(1, GetMenuItemCount(menu));
  ASSERT_NE(nullptr, sub);
  char text[64] = {};
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("Shape &Object", text);
  ASSERT_EQ(2, GetMenuItemCount(sub));
  EXPECT_EQ(300u, GetMenuItemID(sub, 0));
  EXPECT_EQ(301u, GetMenuItemID(sub, 1));
  GetMenuStringA(sub, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("&Edit", text);
  DestroyMenu(menu);
  obj->Release();
}

}  // namespace

namespace {

// What Wine's creation paths do with the test shape's data object and a file: a Wine
// that implements the missing ones shows up here.
TEST_F(Embedding, CreationPathsThePlatformStubs) {
  IDataObject* data = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(testshape::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDataObject,
                                   reinterpret_cast<void**>(&data)));
  IStorage* stg = createFile();
  ASSERT_NE(nullptr, stg);
  IUnknown* obj = nullptr;
  HRESULT fromData = OleCreateFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                                       reinterpret_cast<void**>(&obj));
  if (obj) obj->Release();
  obj = nullptr;
  HRESULT linkFromData = OleCreateLinkFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                                               reinterpret_cast<void**>(&obj));
  if (obj) obj->Release();
  obj = nullptr;
  std::string target = dir_.File("linked.txt");
  HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  CloseHandle(h);
  std::wstring wtarget(target.begin(), target.end());
  HRESULT linkToFile = OleCreateLinkToFile(wtarget.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr,
                                           stg, reinterpret_cast<void**>(&obj));
  if (obj) obj->Release();
  obj = nullptr;
  IMoniker* mk = nullptr;
  ASSERT_EQ(S_OK, CreateFileMoniker(wtarget.c_str(), &mk));
  HRESULT link = OleCreateLink(mk, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, stg,
                               reinterpret_cast<void**>(&obj));
  if (obj) obj->Release();
  mk->Release();
  stg->Release();
  data->Release();
  // Wine 8 answers success for an offer of pictures alone (it makes a picture object, not
  // the offered class), and leaves both links to a moniker unimplemented.
  EXPECT_EQ(S_OK, fromData);
  EXPECT_EQ(S_OK, linkFromData);
  EXPECT_EQ(E_NOTIMPL, linkToFile);
  EXPECT_EQ(E_NOTIMPL, link);
}

}  // namespace
