// Proves the test platform: windows under Xvfb, ODBC to the test DSN, OLE structured
// storage, message boxes answered by the test kit, screenshots, and C++ exceptions
// crossing from our DLL into this program.
#include <windows.h>
#include <objbase.h>
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testkit/testkit.h"
#include "utils/xexception.h"

namespace {

const UINT kPing = WM_APP + 7;

struct WindowLog {
  int pings = 0;
  WPARAM pingArg = 0;
  int clicks = 0;
  HWND clickedFrom = nullptr;
};
WindowLog g_log;

LRESULT CALLBACK smokeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    ++g_log.pings;
    g_log.pingArg = wp;
    return 0;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED && LOWORD(wp) == 101) {
    ++g_log.clicks;
    g_log.clickedFrom = reinterpret_cast<HWND>(lp);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

TEST(Platform, WindowButtonAndPostedMessage) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = smokeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OvSmokeWindow";
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND frame = CreateWindowA("OvSmokeWindow", "Smoke", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                             nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(frame, nullptr) << "no display?";
  HWND button = CreateWindowA("BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 30,
                              frame, (HMENU)101, wc.hInstance, nullptr);
  ASSERT_NE(button, nullptr);

  g_log = WindowLog();
  ASSERT_TRUE(PostMessageA(frame, kPing, 42, 0));
  EXPECT_TRUE(testkit::PumpUntil([] { return g_log.pings == 1; }));
  EXPECT_EQ(g_log.pingArg, 42u);

  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_TRUE(testkit::PumpUntil([] { return g_log.clicks == 1; }));
  EXPECT_EQ(g_log.clickedFrom, button);

  // The button's face is drawn: the screenshot of the frame is not a single colour.
  UpdateWindow(frame);
  testkit::Image img = testkit::Capture(frame);
  ASSERT_GT(img.width, 0);
  COLORREF bg = img.Pixel(5, 5);
  bool drawn = false;
  for (int x = 20; x < 120 && !drawn; ++x)
    for (int y = 20; y < 50 && !drawn; ++y) drawn = img.Pixel(x, y) != bg;
  EXPECT_TRUE(drawn);

  DestroyWindow(frame);
  UnregisterClassA("OvSmokeWindow", wc.hInstance);
}

TEST(Platform, MessageBoxIsAnsweredByTheKit) {
  testkit::BoxAnswerer answerer;
  answerer.Script(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Save changes?", "Orvanel", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Orvanel", MB_OK), IDOK);  // default button
  std::string seen;
  for (const testkit::AnsweredBox& b : answerer.Boxes())
    seen += b.caption + "|" + b.text + "|" + std::to_string(b.answer) + "\n";
  ASSERT_EQ(answerer.Boxes().size(), 2u) << seen;
  EXPECT_EQ(answerer.Boxes()[0].caption, "Orvanel");
  EXPECT_EQ(answerer.Boxes()[0].text, "Save changes?");
  EXPECT_EQ(answerer.Boxes()[1].answer, IDOK);
}

TEST(Platform, ScreenshotIsAPngFile) {
  testkit::TestDataDir dir("shot");
  std::string file = dir.File("screen.png");
  ASSERT_TRUE(testkit::Screenshot(file));
  FILE* f = std::fopen(file.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char head[8] = {};
  EXPECT_EQ(std::fread(head, 1, 8, f), 8u);
  std::fseek(f, 0, SEEK_END);
  long size = std::ftell(f);
  std::fclose(f);
  EXPECT_EQ(head[1], 'P');
  EXPECT_EQ(head[2], 'N');
  EXPECT_GT(size, 1280L * 1024 * 3);  // stored blocks: at least the raw pixels
}

TEST(Platform, OdbcReadsARowFromTheTestDsn) {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
  SQLCHAR out[512];
  SQLSMALLINT outLen = 0;
  SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)"DSN=OrvanelTest", SQL_NTS, out, sizeof out,
                                  &outLen, SQL_DRIVER_NOPROMPT);
  ASSERT_TRUE(SQL_SUCCEEDED(rc)) << "cannot connect to DSN OrvanelTest";
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, (SQLCHAR*)"SELECT id, name FROM rig ORDER BY id", SQL_NTS)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(stmt)));
  SQLINTEGER id = 0;
  SQLCHAR name[64] = {};
  SQLLEN ind = 0;
  SQLGetData(stmt, 1, SQL_C_SLONG, &id, 0, &ind);
  SQLGetData(stmt, 2, SQL_C_CHAR, name, sizeof name, &ind);
  EXPECT_EQ(id, 1);
  EXPECT_STREQ((const char*)name, "hello");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

TEST(Platform, CompoundFileWriteAndReadBack) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  testkit::TestDataDir dir("stg");
  std::string file = dir.File("smoke.stg");
  WCHAR wfile[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wfile, MAX_PATH);
  const char payload[] = "compound file payload";
  {
    IStorage* stg = nullptr;
    ASSERT_EQ(StgCreateDocfile(wfile, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg), S_OK);
    IStorage* sub = nullptr;
    ASSERT_EQ(stg->CreateStorage(L"Inner", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &sub),
              S_OK);
    IStream* st = nullptr;
    ASSERT_EQ(sub->CreateStream(L"Data", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &st),
              S_OK);
    ULONG written = 0;
    EXPECT_EQ(st->Write(payload, sizeof payload, &written), S_OK);
    EXPECT_EQ(written, sizeof payload);
    st->Release();
    sub->Release();
    EXPECT_EQ(stg->Commit(STGC_DEFAULT), S_OK);
    stg->Release();
  }
  {
    IStorage* stg = nullptr;
    ASSERT_EQ(StgOpenStorage(wfile, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg), S_OK);
    IStorage* sub = nullptr;
    ASSERT_EQ(stg->OpenStorage(L"Inner", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &sub), S_OK);
    IStream* st = nullptr;
    ASSERT_EQ(sub->OpenStream(L"Data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &st), S_OK);
    char back[64] = {};
    ULONG read = 0;
    EXPECT_EQ(st->Read(back, sizeof back, &read), S_OK);
    EXPECT_EQ(read, sizeof payload);
    EXPECT_STREQ(back, payload);
    st->Release();
    sub->Release();
    stg->Release();
  }
  CoUninitialize();
}

TEST(Platform, ExceptionFromOurDllIsCaughtHere) {
  bool caught = false;
  try {
    utilsAssert("crossing", "smoke.cpp", 77);
  } catch (const XAssert& e) {
    caught = e.Line() == 77 && e.why() == "crossing";
  }
  EXPECT_TRUE(caught);
}

}  // namespace
