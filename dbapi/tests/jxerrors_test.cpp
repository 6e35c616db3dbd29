// JXLIB.dll's exported error functions in a process that has not started the library,
// and the texts of its string table.
#include "dbapi/jxerrors.h"
#include "lib_texts.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// Runs first: nothing of the library exists yet in this process, and none of these
// calls creates it (else jxErr would stop answering 4105).
TEST(ErrorFunctions, BeforeAnyStartTheyCreateNothing) {
  EXPECT_EQ(blbConvertHdbc(1, nullptr), JXS_NO_TASK);
  lib_handle* record = reinterpret_cast<lib_handle*>(1);
  EXPECT_EQ(blbConvertHstmt(1, &record), JXS_NO_TASK);
  EXPECT_EQ(record, nullptr);
  EXPECT_EQ(jxErr(), JXS_NO_TASK);
  EXPECT_EQ(jxErr(), JXS_NO_TASK);
  EXPECT_EQ(jxDBErr(), 0);
  EXPECT_EQ(jxWarning(), 0);
  EXPECT_EQ(jxErrMsg(), nullptr);
  char buffer[JX_ERRMSG_SIZE] = "old text";
  EXPECT_EQ(jxErrMsgBuf(buffer), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(jxErr(), JXS_NO_TASK);
  EXPECT_EQ(jxErrMsg(), nullptr);
}

TEST(MessageTable, EveryText) {
  HMODULE module = GetModuleHandleA("JXLIB.dll");
  ASSERT_NE(module, nullptr);
  for (const LibText& t : kLibTexts) {
    char text[512];
    int n = LoadStringA(module, t.number, text, sizeof text);
    ASSERT_GT(n, 0) << t.number;
    EXPECT_STREQ(text, t.text) << t.number;
  }
  char text[512] = "x";
  EXPECT_EQ(LoadStringA(module, 4107, text, sizeof text), 0);  // numbers without text
}

}  // namespace
