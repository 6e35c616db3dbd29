// The platform's insert-object dialog with the test shape registered, answered by the
// test: the class list holds the shape's user type, and choosing it creates the object.
#include <gtest/gtest.h>

#include <oledlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shapecanvas.h"
#include "testkit/testkit.h"
#include "testshapereg.h"

namespace {

// Child-window visitors (stdcall callbacks, so no lambdas).
BOOL CALLBACK collectListBox(HWND child, LPARAM lp) {
  char cls[32] = "";
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "ListBox") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
  return TRUE;
}

struct TextSearch {
  const char* text;
  HWND found;
};

BOOL CALLBACK findByText(HWND child, LPARAM lp) {
  auto* f = reinterpret_cast<TextSearch*>(lp);
  char t[128] = "";
  GetWindowTextA(child, t, sizeof t);
  std::string plain;
  for (const char* p = t; *p; ++p)
    if (*p != '&') plain += *p;
  if (plain.rfind(f->text, 0) != 0) return TRUE;
  f->found = child;
  return FALSE;
}

BOOL CALLBACK findEdit(HWND child, LPARAM lp) {
  char cls[32] = "";
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Edit") != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = child;
  return FALSE;
}

// The dialog's list boxes, in creation order.
std::vector<HWND> listBoxes(HWND box) {
  std::vector<HWND> found;
  EnumChildWindows(box, collectListBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<std::string> entries(HWND list) {
  std::vector<std::string> out;
  LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT len = SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0);
    if (len < 0) continue;
    std::string t(size_t(len) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&t[0]));
    t.resize(size_t(len));
    out.push_back(t);
  }
  return out;
}

class InsertObject : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(reg_.ok());
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    OleUninitialize();
  }
  TestShapeRegistration reg_;
};

TEST_F(InsertObject, ListsAndCreatesTheShape) {
  IStorage* stg = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                   0, &stg));
  IOleObject* obj = nullptr;
  char file[256] = "";
  OLEUIINSERTOBJECTA io = {};
  io.cbStruct = sizeof io;
  // What the container asks for: create new selected, new, from file and link allowed.
  io.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT;
  io.lpszCaption = "Insert Object";
  io.iid = IID_IOleObject;
  io.oleRender = OLERENDER_DRAW;
  io.lpIStorage = stg;
  io.ppvObj = reinterpret_cast<void**>(&obj);
  io.lpszFile = file;
  io.cchFile = sizeof file;

  std::vector<std::string> listed;
  bool selected = false;
  testkit::BoxAnswerer answerer;
  answerer.Script(IDOK, [&](HWND box) {
    for (HWND list : listBoxes(box)) {
      std::vector<std::string> e = entries(list);
      listed.insert(listed.end(), e.begin(), e.end());
      if (!selected) selected = testkit::SelectItem(box, GetDlgCtrlID(list), testshape::kFullType);
    }
    return 0;
  });
  UINT result = OleUIInsertObjectA(&io);
  ASSERT_EQ(1u, answerer.Boxes().size());
  EXPECT_TRUE(selected);
  EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), testshape::kFullType));
  ASSERT_EQ(UINT(OLEUI_OK), result);
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, io.clsid));
  EXPECT_TRUE(io.dwFlags & IOF_SELECTCREATENEW);
  ASSERT_NE(nullptr, obj);
  expectShape(obj, testshape::kColor);
  CLSID cls = CLSID_NULL;
  EXPECT_EQ(S_OK, obj->GetUserClassID(&cls));
  EXPECT_TRUE(IsEqualCLSID(testshape::kClsid, cls));
  obj->Close(OLECLOSE_NOSAVE);
  obj->Release();
  if (io.hMetaPict) {
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(io.hMetaPict));
    if (pict) DeleteMetaFile(pict->hMF);
    GlobalUnlock(io.hMetaPict);
    GlobalFree(io.hMetaPict);
  }
  stg->Release();
}

// The dialog's child control whose text starts with text (accelerator marks ignored).
HWND controlByText(HWND box, const char* text) {
  TextSearch f = {text, nullptr};
  EnumChildWindows(box, findByText, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

HWND firstEdit(HWND box) {
  HWND found = nullptr;
  EnumChildWindows(box, findEdit, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Create from a file, linked: "Create From File" chosen, the file's name typed, "Link"
// checked where there is one. The platform's dialog has no "Link" check box, embeds the
// file's object and leaves the selection flags as they came: a platform that changes
// either shows up here. Containers that need links to files make them with
// OvOleCreateLinkToFile.
TEST_F(InsertObject, FromAFileThroughTheDialog) {
  testkit::TestDataDir dir("oleui-insert");
  std::string path = dir.File("dialog.ovshape");
  testshape::Contents c = {testshape::kMagic, DWORD(RGB(0, 0, 255)), testshape::kWidth, testshape::kHeight};
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD n = 0;
  WriteFile(h, &c, sizeof c, &n, nullptr);
  CloseHandle(h);
  IStorage* stg = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                   0, &stg));
  IOleObject* obj = nullptr;
  char file[256] = "";
  OLEUIINSERTOBJECTA io = {};
  io.cbStruct = sizeof io;
  io.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT | IOF_CREATEFILEOBJECT | IOF_CREATELINKOBJECT;
  io.lpszCaption = "Insert Object";
  io.iid = IID_IOleObject;
  io.oleRender = OLERENDER_DRAW;
  io.lpIStorage = stg;
  io.ppvObj = reinterpret_cast<void**>(&obj);
  io.lpszFile = file;
  io.cchFile = sizeof file;
  testkit::BoxAnswerer answerer;
  bool fromFileFound = false, linkFound = true;
  answerer.Script(IDOK, [&](HWND box) {
    HWND fromFile = controlByText(box, "Create From File");
    fromFileFound = fromFile != nullptr;
    if (fromFile) SendMessageA(fromFile, BM_CLICK, 0, 0);
    HWND edit = firstEdit(box);
    if (edit) testkit::SetItemText(box, GetDlgCtrlID(edit), path.c_str());
    HWND link = controlByText(box, "Link");
    linkFound = link != nullptr;
    if (link) testkit::CheckItem(box, GetDlgCtrlID(link), true);
    return 0;
  });
  UINT result = OleUIInsertObjectA(&io);
  EXPECT_EQ(1u, answerer.Boxes().size());
  EXPECT_TRUE(fromFileFound);
  EXPECT_FALSE(linkFound);
  // The object is made from the file, but the returned flags still say "create new": a
  // caller cannot tell from them what was chosen.
  ASSERT_EQ(UINT(OLEUI_OK), result);
  EXPECT_EQ(path, std::string(file));
  EXPECT_TRUE(io.dwFlags & IOF_SELECTCREATENEW);
  EXPECT_FALSE(io.dwFlags & IOF_SELECTCREATEFROMFILE);
  ASSERT_NE(nullptr, obj);
  expectShape(obj, RGB(0, 0, 255));
  if (obj) {
    obj->Close(OLECLOSE_NOSAVE);
    obj->Release();
  }
  stg->Release();
}

// Cancelled: nothing is made.
TEST_F(InsertObject, Cancelled) {
  IStorage* stg = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                   0, &stg));
  IOleObject* obj = nullptr;
  OLEUIINSERTOBJECTA io = {};
  io.cbStruct = sizeof io;
  io.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT;
  io.lpszCaption = "Insert Object";
  io.iid = IID_IOleObject;
  io.oleRender = OLERENDER_DRAW;
  io.lpIStorage = stg;
  io.ppvObj = reinterpret_cast<void**>(&obj);
  char file[256] = "";
  io.lpszFile = file;
  io.cchFile = sizeof file;
  testkit::BoxAnswerer answerer;
  answerer.Script(IDCANCEL);
  // The platform's dialog answers a cancel with OLEUI_FALSE, not OLEUI_CANCEL; callers
  // take every result but OLEUI_OK and the error result as "nothing made".
  EXPECT_EQ(UINT(OLEUI_FALSE), OleUIInsertObjectA(&io));
  EXPECT_EQ(1u, answerer.Boxes().size());
  EXPECT_EQ(nullptr, obj);
  stg->Release();
}

}  // namespace
