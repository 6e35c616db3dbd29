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

// The dialog's list boxes, in creation order.
std::vector<HWND> listBoxes(HWND box) {
  std::vector<HWND> found;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM lp) -> BOOL {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "ListBox") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
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
