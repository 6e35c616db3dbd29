// The loader of the query builder, against the test builders built beside the DLLs
// (sqlbuilder/): "JXQRY.DLL", the same under the prefix "OV", and "NOQRY.DLL", which
// loads but lacks the entry. The record is a real logon to the SQLite DSN.
#include "dbsql/cmgenv.h"
#include "dbsql/cmgsqlbuilder.h"
#include "dbsql/sqlmessages.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

struct Connected {
  Connected() : env(cmgInit(CMG_API_CALLER)) {
    if (env) con = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  }
  ~Connected() {
    if (env) {
      EXPECT_EQ(cmgTerm(env), 0);
    }
  }
  cmgInfo* env;
  cmg_capabilities* con = nullptr;
};

std::string pointerText(const void* p) {
  char text[32];
  snprintf(text, sizeof text, "%p", p);
  return text;
}

bool loaded(const char* file) { return GetModuleHandleA(file) != nullptr; }

// The builder sees the record and the caller's eight values as they were given, and
// its 16-bit result comes back; the library is gone again after the call.
TEST(SqlBuilder, CallsTheEntryWithTheArgumentsUnchanged) {
  ThreadErrors errors;
  Connected c;
  ASSERT_NE(c.con, nullptr) << errors.lastText();
  struct Case {
    const char* prefix;  // null: none set
    const char* file;
    int32_t value, lastValue;
    int16_t result;
  } cases[] = {
      {nullptr, "JXQRY.DLL", 7, 0x1234, 0x1234},
      {nullptr, "JXQRY.DLL", -5, -2, -2},
      {"OV", "OVQRY.DLL", 40000, 0x12345, 0x2345},  // only the low 16 bits are the result
      {"OV", "OVQRY.DLL", 0, -32768, -32768},
      {"", "JXQRY.DLL", 1, 3, 3},  // an empty prefix is the built-in name again
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    if (k.prefix) cmgSetDllPrefix(c.env, k.prefix);
    errors.clear();
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1F0));
    int marker = 0;
    char outText[512] = "untouched";
    cmg_capabilities* outData = nullptr;
    int32_t outValue = 0;
    int16_t result = cmgSqlBuilder(c.con, window, "SELECT * FROM numbered", &marker, outText, &outData,
                                   k.value, &outValue, k.lastValue);
    EXPECT_EQ(result, k.result);
    EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
    std::string expected = std::string(k.file) + "|" + pointerText(c.con) + "|" + pointerText(window) +
                           "|SELECT * FROM numbered|" + pointerText(&marker) + "|" + std::to_string(k.value) +
                           "|" + std::to_string(k.lastValue);
    EXPECT_STRCASEEQ(outText, expected.c_str());
    EXPECT_EQ(outData, c.con);
    EXPECT_EQ(outValue,
              static_cast<int32_t>(static_cast<uint32_t>(k.value) + static_cast<uint32_t>(k.lastValue)));
    EXPECT_FALSE(loaded(k.file)) << "the builder library stays loaded";
  }
}

// What cannot serve as the builder gives 2105 with the file name, result 0, and leaves
// the caller's buffers alone; a library without the entry is freed again.
TEST(SqlBuilder, MissingLibraryOrEntryGives2105) {
  ThreadErrors errors;
  Connected c;
  ASSERT_NE(c.con, nullptr) << errors.lastText();
  struct Case {
    const char* prefix;
    const char* file;
  } cases[] = {
      {"QQ", "QQQRY.DLL"},    // no such library
      {"NO", "NOQRY.DLL"},    // loads, but has no "JXSQLBld"
      {"..", "..QRY.DLL"},    // no such library either, and not the parent folder
      {"\\x", "\\xQRY.DLL"},  // a prefix that would name another folder is refused
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    cmgSetDllPrefix(c.env, k.prefix);
    errors.clear();
    char outText[64] = "untouched";
    int32_t outValue = 99;
    cmg_capabilities* outData = nullptr;
    EXPECT_EQ(cmgSqlBuilder(c.con, nullptr, "SELECT 1", nullptr, outText, &outData, 1, &outValue, 2), 0);
    ASSERT_EQ(errors.numbers(), std::vector<unsigned short>{SQLMSG_LOAD_LIBRARY});
    EXPECT_EQ(errors.lastText(), std::string("Unable to load dynamic link library: '") + k.file + "'");
    EXPECT_STREQ(outText, "untouched");
    EXPECT_EQ(outValue, 99);
    EXPECT_EQ(outData, nullptr);
    EXPECT_FALSE(loaded(k.file));
  }
  errors.clear();
  EXPECT_EQ(cmgSqlBuilder(nullptr, nullptr, "SELECT 1", nullptr, nullptr, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
}

}  // namespace
