// JxIni on the DLL: the closed object's defaults and message, round trips of entries
// and sections through the profile functions on files the tests write, and files a
// user may have written (odd lines, missing sections, out-of-range numbers).
#include "dbutil/jxini.h"
#include "scoped_list.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

void writeText(const std::string& path, const char* text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

TEST(JxIni, AClosedFileAnswersTheDefaultAndLeaves2717) {
  ScopedErrorList scope;
  JxIni ini;
  char buffer[32] = "untouched";
  EXPECT_EQ(ini.getEntry("Options", "Name", buffer, sizeof buffer, "fallback"), 0);
  EXPECT_STREQ(buffer, "fallback");
  EXPECT_EQ(scope.lastNumber(), 2717);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(), "Initialization file is not open.");
  JxErrorKeeper::clearLastError();
  short value = 7;
  EXPECT_EQ(ini.getEntry("Options", "Size", &value, short(-12)), 0);
  EXPECT_EQ(value, -12);
  EXPECT_EQ(scope.lastNumber(), 2717);
  JxErrorKeeper::clearLastError();
  // A default longer than the buffer is cut and terminated.
  char small[4];
  ini.getEntry("Options", "Name", small, sizeof small, "longer");
  EXPECT_STREQ(small, "lon");
  JxErrorKeeper::clearLastError();
  for (JxStatus (*op)(JxIni&) : {
           +[](JxIni& i) { return i.writeEntry("S", "K", "V"); },
           +[](JxIni& i) { return i.deleteEntry("S", "K"); },
           +[](JxIni& i) { return i.deleteSection("S"); },
       }) {
    EXPECT_EQ(op(ini), 0);
    EXPECT_EQ(scope.lastNumber(), 2717);
    JxErrorKeeper::clearLastError();
  }
  EXPECT_EQ(ini.validState(), 1);
  EXPECT_EQ(scope.lastNumber(), 2717);
}

TEST(JxIni, EntriesAndSectionsRoundTrip) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("jxini");
  std::string path = dir.File("settings.ini");
  JxIni ini;
  ASSERT_EQ(ini.open(path.c_str()), 0);
  EXPECT_EQ(ini.validState(), 0);
  EXPECT_STREQ(ini.getFileName(), path.c_str());

  struct Entry {
    const char *section, *key, *value;
    short number;
  } entries[] = {
      {"Options", "Name", "Orvanel", 0}, {"Options", "Size", "42", 42},
      {"Options", "Negative", "-5", -5}, {"Other", "Path", "C:\\data\\x.db", 0},
      {"Other", "Empty", "", 999},  // no digits at all: the profile functions' default
  };
  for (const Entry& e : entries) ASSERT_EQ(ini.writeEntry(e.section, e.key, e.value), 0) << e.key;
  for (const Entry& e : entries) {
    char buffer[64];
    ini.getEntry(e.section, e.key, buffer, sizeof buffer, "none");
    EXPECT_STREQ(buffer, e.value) << e.key;
    short n = 999;
    ini.getEntry(e.section, e.key, &n, short(999));
    EXPECT_EQ(n, e.number) << e.key;
  }
  char buffer[64];
  ini.getEntry("Options", "Missing", buffer, sizeof buffer, "none");
  EXPECT_STREQ(buffer, "none");
  short n = 0;
  ini.getEntry("Nowhere", "Size", &n, short(33));
  EXPECT_EQ(n, 33);

  ASSERT_EQ(ini.deleteEntry("Options", "Size"), 0);
  ini.getEntry("Options", "Size", &n, short(-1));
  EXPECT_EQ(n, -1);
  ini.getEntry("Options", "Name", buffer, sizeof buffer, "none");
  EXPECT_STREQ(buffer, "Orvanel");  // the rest of the section stays

  ASSERT_EQ(ini.deleteSection("Options"), 0);
  ini.getEntry("Options", "Name", buffer, sizeof buffer, "gone");
  EXPECT_STREQ(buffer, "gone");
  ini.getEntry("Other", "Path", buffer, sizeof buffer, "none");
  EXPECT_STREQ(buffer, "C:\\data\\x.db");  // the other section stays

  // Closing forgets the file; opening another one closes the first.
  EXPECT_EQ(ini.close(), 0);
  EXPECT_EQ(ini.getFileName(), nullptr);
  EXPECT_EQ(ini.open(path.c_str()), 0);
  EXPECT_EQ(ini.open(dir.File("second.ini").c_str()), 0);
  ini.getEntry("Other", "Path", buffer, sizeof buffer, "not here");
  EXPECT_STREQ(buffer, "not here");
  EXPECT_EQ(scope.list.getCount(), 0u);
}

// What a person may have typed: blanks round the sign, lines without "=", duplicate
// keys, comments, numbers out of the 16-bit range, text where a number belongs.
TEST(JxIni, FilesWrittenByHandReadAsTheProfileFunctionsSay) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("jxinihand");
  std::string path = dir.File("hand.ini");
  writeText(path,
            "; a comment\r\n"
            "[Options]\r\n"
            "  Name =  spaced value  \r\n"
            "no equals sign here\r\n"
            "Size=12\r\n"
            "Size=99\r\n"
            "Big=70000\r\n"
            "Word=abc\r\n"
            "Lead=15abc\r\n"
            "[options]\r\n"
            "Extra=1\r\n"
            "[Broken\r\n"
            "Odd=1\r\n");
  JxIni ini;
  ASSERT_EQ(ini.open(path.c_str()), 0);
  char buffer[64];
  ini.getEntry("Options", "Name", buffer, sizeof buffer, "");
  EXPECT_STREQ(buffer, "spaced value");
  struct Number {
    const char* key;
    short expected;
  } numbers[] = {
      {"Size", 12},                        // the first of two
      {"Big", static_cast<short>(70000)},  // the low 16 bits
      {"Word", 0},                         // no digits
      {"Lead", 15},                        // the digits before the text
      {"Extra", -7},                       // only the first section of a name is read
      {"Missing", -7},
  };
  for (const Number& c : numbers) {
    short n = 0;
    EXPECT_EQ(ini.getEntry("Options", c.key, &n, short(-7)), 0);
    EXPECT_EQ(n, c.expected) << c.key;
  }
  // A value longer than the buffer is cut and terminated.
  char small[5];
  ini.getEntry("Options", "Name", small, sizeof small, "");
  EXPECT_STREQ(small, "spac");
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxIni, AFileThatCannotBeWrittenIsReported) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("jxininowrite");
  std::string path = dir.File("missing\\folder\\settings.ini");
  JxIni ini;
  ASSERT_EQ(ini.open(path.c_str()), 0);
  EXPECT_EQ(ini.writeEntry("Options", "Name", "x"), 1);
  EXPECT_EQ(scope.lastNumber(), 2721);
  JxErrorKeeper::clearLastError();
  // Reading a missing file is no error: the defaults come back.
  char buffer[16];
  ini.getEntry("Options", "Name", buffer, sizeof buffer, "dflt");
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(scope.list.getCount(), 0u);
}

}  // namespace
