// The engine's messages through JXSQL04.dll: raising by number, parameters, warnings,
// texts the table lacks, and the texts of the table itself.
#include "dbsql/sqlmessages.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

TEST(EngineLibrary, LoadsAndExportsItsServices) {
  HMODULE module = LoadLibraryA("JXSQL04.dll");
  ASSERT_NE(module, nullptr);
  for (const char* name : {"sqlInitBwnwin", "sqlTermBwnwin", "cmgInit", "cmgTerm", "cmgLogon"})
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  FreeLibrary(module);
  sqlInitBwnwin();
  sqlTermBwnwin();
  EXPECT_EQ(sqlEnterHook(nullptr), 0);
  sqlLeaveHook(nullptr);
}

TEST(EngineMessages, RaisedErrorTakesItsParameters) {
  ThreadErrors errors;
  JxError* e = sqlErrorById(SQLMSG_PARAMETER_TOO_LARGE);
  ASSERT_NE(e, nullptr);
  *e << 3ul;
  ASSERT_EQ(errors.numbers(), std::vector<unsigned short>{4527});
  EXPECT_STREQ(e->getText(), "The parameter number supplied '3' is too large.");
  EXPECT_FALSE(e->isWarning());
}

TEST(EngineMessages, TextsAndKinds) {
  struct Case {
    unsigned short number;
    bool warning;
    const char* params;  // one text parameter, or null
    const char* text;
  } cases[] = {
      {2100, false, nullptr, "You can only logon to this database once."},
      {2106, false, "X=1", "Connection string must contain a DSN=<driver_name>: 'X=1'"},
      {3501, false, nullptr, "Your format mask is too long, the limit is 159 characters."},
      {4530, false, nullptr, "EOF. Returned when there is no row to return."},
      {4536, true, "driver says so", "driver says so"},
      {22400, true, "7/4/99", "More data was supplied '7/4/99' than was required by the format '%s2'"},
      // Numbers the table lacks: an empty text, the number kept.
      {4503, false, nullptr, ""},
      {21314, false, nullptr, ""},
      {21327, true, nullptr, ""},
      {65000, false, nullptr, ""},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    JxError* e = c.warning ? sqlWarningById(c.number) : sqlErrorById(c.number);
    ASSERT_NE(e, nullptr);
    if (c.params) *e << c.params;
    EXPECT_EQ(e->getNumber(), c.number);
    EXPECT_EQ(e->isWarning() != 0, c.warning) << c.number;
    EXPECT_STREQ(e->getText(), c.text) << c.number;
    EXPECT_EQ(errors.list.getCount(), 1u);
  }
}

TEST(EngineMessages, LoadedTexts) {
  struct Case {
    unsigned short number;
    const char* text;
  } cases[] = {
      {21301, "File &Name"},
      {21305, "%s List"},
      {22401, "janfebmaraprmayjunjulaugsepoctnovdec"},
      {22402, " "},
      {22407, "sunday,monday,tuesday,wednesday,thursday,friday,saturday"},
      {22409, "ymdhis"},
      {23101, "5.0.4"},
      {23102, "4PARAMETER.CLEAR"},
      {23103, "4PARAMETER.ITEM"},
      {4531,
       "The value of a field is longer than the maximum length that can be stored in the "
       "database or generation of a SQL statement has run out of space (> 65000 bytes)."},
      {2103,
       "No connection dialog is offered; give the connection's settings in its connection "
       "string."},
      {4542, ""},
  };
  for (const Case& c : cases) {
    char text[SQL_MESSAGE_SIZE];
    memset(text, 'x', sizeof text);
    sqlLoadMessage(c.number, text);
    EXPECT_STREQ(text, c.text) << c.number;
  }
}

TEST(EngineMessages, WithoutAListNothingIsKept) {
  // No list on this thread: the error goes nowhere and the caller may still fill it.
  mdsPerThreadInit();
  JxError* e = sqlErrorById(SQLMSG_EOF);
  ASSERT_NE(e, nullptr);
  *e << "ignored";
  EXPECT_EQ(JxErrorKeeper::getLastError(), nullptr);
  mdsPerThreadTerm();
}

}  // namespace
