// Identifier rules: reserved words (with the FROM-clause words), valid characters
// against the profile's character sets and identifier case, quoting of qualified names
// in the caller's buffer, and the parser's token tests. The rules read only the
// profile, so the records here are made by hand; the last test uses a real one.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A profile as the driver profile leaves it, with the built-in reserved words and "KEY".
struct Profile {
  Profile() {
    memset(&con, 0, sizeof con);
    uint16_t builtin = 0;
    const char* const* words = cmgBuiltinReservedWords(&builtin);
    const char* extra[] = {"KEY", "ZONE"};
    con.reservedWords = cmgMergeReservedWords(words, builtin, extra, 2, &con.reservedCount);
    con.fromReserved = const_cast<char*>("SAMPLE\0TABLESPACE\0");
    con.pseudoColumns = const_cast<char*>("ROWID\0ROWNUM AS N\0");
    con.whereTerminators = const_cast<char*>("LIMIT\0COMPUTE\0ORDER\0");
    con.quoteChar = '"';
    con.identifierCase = SQL_IC_UPPER;
    con.columnChars = const_cast<char*>("_$");
    con.tableChars = const_cast<char*>("_");
    con.tableFirstChars = const_cast<char*>("#");
  }
  ~Profile() {
    for (uint16_t i = 0; i < con.reservedCount; ++i) ramFree(con.reservedWords[i]);
    ramFree(con.reservedWords);
  }
  cmg_capabilities con;
};

TEST(Names, ReservedWords) {
  Profile p;
  EXPECT_EQ(p.con.reservedCount, 220);  // "KEY" was built in already
  struct Case {
    const char* word;
    short clause;
    short reserved;
  } cases[] = {{"ORDER", CLAUSE_COLUMN, 1},
               {"order", CLAUSE_COLUMN, 1},
               {"Zone", CLAUSE_COLUMN, 1},
               {"ABSOLUTE", 0, 1},
               {"YEAR", 0, 1},
               {"END-EXEC", 0, 1},
               {"ORDERS", CLAUSE_COLUMN, 0},
               {"", 0, 0},
               {"sample", CLAUSE_COLUMN, 0},
               {"sample", CLAUSE_FROM, 1},
               {"TableSpace", CLAUSE_FROM, 1},
               {"SAMPLES", CLAUSE_FROM, 0}};
  for (const Case& c : cases) EXPECT_EQ(cmgIsReservedWord(&p.con, c.word, c.clause), c.reserved) << c.word;
  // A word longer than the stack copy goes through the heap copy.
  std::string longWord(300, 'Q');
  EXPECT_EQ(cmgIsReservedWord(&p.con, longWord.c_str(), CLAUSE_FROM), 0);
  JxSubString token("select ROWID", 6);
  EXPECT_EQ(cmgIsReservedToken(&p.con, &token, CLAUSE_COLUMN), 1);
}

TEST(Names, ValidNames) {
  Profile p;
  struct Case {
    const char* name;
    short column;
    short validChars, valid, special;
  } cases[] = {
      {"NAME", 1, 1, 1, 1},  {"Name", 1, 0, 0, 0},  {"name", 1, 0, 0, 0},  // small letters later
      {"N", 1, 1, 1, 1},     {"n", 1, 1, 1, 1},     {"A_1", 1, 1, 1, 1},         {"A$", 1, 1, 1, 1},
      {"A$", 0, 0, 0, 0},    {"#T", 0, 1, 1, 1},    {"#T", 1, 0, 0, 0},          {"1A", 1, 0, 0, 0},
      {"_A", 1, 0, 0, 0},    {"ORDER", 1, 1, 0, 0}, {"\"order x\"", 1, 1, 1, 1}, {"A B", 1, 0, 0, 0},
      {"\xC4R", 1, 1, 1, 1}, {"A\xD7", 1, 0, 0, 0}, {"SAMPLE", 0, 1, 0, 0},      {"SAMPLE", 1, 1, 1, 1},
      {"", 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cmgValidCharacters(&p.con, c.name, c.column), c.validChars) << c.name;
    EXPECT_EQ(cmgIsValidName(&p.con, c.name, c.column), c.valid) << c.name;
  }
  // A case-sensitive driver allows small letters anywhere.
  p.con.identifierCase = SQL_IC_SENSITIVE;
  EXPECT_EQ(cmgValidCharacters(&p.con, "name", 1), 1);
  // A file driver accepts a reserved word with valid characters.
  p.con.flagsB |= CMG_B_FILE_PATTERN;
  EXPECT_EQ(cmgSpecialIsValidName(&p.con, "ORDER", 1), 1);
  EXPECT_EQ(cmgSpecialIsValidName(&p.con, "A B", 1), 0);
  p.con.flagsB = 0;
  EXPECT_EQ(cmgSpecialIsValidName(&p.con, "ORDER", 1), 0);
  // A separator other than "." counts as a middle character.
  p.con.qualifierSeparator = const_cast<char*>("@");
  EXPECT_EQ(cmgValidCharacters(&p.con, "T@DB", 0), 1);
  p.con.qualifierSeparator = const_cast<char*>(".");
  EXPECT_EQ(cmgValidCharacters(&p.con, "T.DB", 0), 0);
}

TEST(Names, Quoting) {
  Profile p;
  p.con.qualifierSeparator = const_cast<char*>(".");
  struct Case {
    const char* name;
    short column;
    const char* out;
  } cases[] = {
      {"NAME", 1, "NAME"},
      {"Name", 1, "\"Name\""},
      {"ORDER", 1, "\"ORDER\""},
      {"owner.Orders", 0, "\"owner\".\"Orders\""},
      {"sales.ORDERS", 0, "\"sales\".ORDERS"},  // quoted first part, bare second
      {"SALES.order", 0, "SALES.\"order\""},
      {"A.B.C", 0, "A.B.C"},
      {"\"x y\".T", 0, "\"x y\".T"},  // a quoted part stays
      {"SAMPLE", 0, "\"SAMPLE\""},
      {"SAMPLE", 1, "SAMPLE"},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    char buffer[64];
    strcpy(buffer, c.name);
    EXPECT_EQ(cmgMakeValidName(&p.con, buffer, sizeof buffer, c.column), 0) << c.name;
    EXPECT_STREQ(buffer, c.out) << c.name;
    EXPECT_TRUE(errors.numbers().empty()) << c.name;
  }
  // A separator text of its own ends a part too.
  p.con.qualifierSeparator = const_cast<char*>("::");
  char sep[32] = "db::Tab";
  EXPECT_EQ(cmgMakeValidName(&p.con, sep, sizeof sep, 0), 0);
  EXPECT_STREQ(sep, "\"db\"::\"Tab\"");
}

// The caller's buffer: exactly enough room works; one byte less is refused with the
// name left as it was.
TEST(Names, QuotingBufferSizes) {
  Profile p;
  struct Case {
    const char* name;
    uint32_t size;
    JxStatus status;
    const char* out;
  } cases[] = {
      {"a.b", 10, 0, "\"a\".\"b\""},  // 7 bytes and the terminator
      {"a.b", 8, 0, "\"a\".\"b\""},
      {"a.b", 7, 1, "a.b"},
      {"Ab", 5, 0, "\"Ab\""},
      {"Ab", 4, 1, "Ab"},
      {"AB", 3, 0, "AB"},  // nothing to quote needs no room
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    std::vector<char> buffer(c.size + 4, '~');
    strcpy(buffer.data(), c.name);
    EXPECT_EQ(cmgMakeValidName(&p.con, buffer.data(), c.size, 1), c.status) << c.name << " " << c.size;
    EXPECT_STREQ(buffer.data(), c.out) << c.name << " " << c.size;
    for (uint32_t i = c.size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '~') << "written past the buffer";
    if (c.status) {
      EXPECT_EQ(errors.last(), 2109);
    }
  }
}

// Without a quote character a name that needs quotes is refused and left whole.
TEST(Names, NoQuoteCharacter) {
  Profile p;
  p.con.quoteChar = 0;
  ThreadErrors errors;
  char name[32] = "sales.ORDERS";
  EXPECT_EQ(cmgMakeValidName(&p.con, name, sizeof name, 0), 1);
  EXPECT_STREQ(name, "sales.ORDERS");
  EXPECT_EQ(errors.last(), 2112);
  EXPECT_EQ(errors.lastText(), "The name 'sales' needs quotes, but the driver has no quote character.");
  errors.clear();
  char fine[32] = "SALES.ORDERS";
  EXPECT_EQ(cmgMakeValidName(&p.con, fine, sizeof fine, 0), 0);
  EXPECT_STREQ(fine, "SALES.ORDERS");
  // A name in quotes is valid only where the driver has a quote character.
  EXPECT_EQ(cmgValidCharacters(&p.con, "\"x\"", 1), 0);
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(Names, ParserTokens) {
  Profile p;
  struct Case {
    const char* token;
    const char* pseudo;
    short terminator;
  } cases[] = {{"rowid", "ROWID", 0},  {"ROWNUM", "ROWNUM AS N", 0}, {"ROW", nullptr, 0},
               {"limit", nullptr, 1},  {"Order", nullptr, 1},        {"ORDERS", nullptr, 0},
               {"compute", nullptr, 1}};
  for (const Case& c : cases) {
    JxSubString t(c.token);
    const char* found = cmgPseudoColumn(&p.con, &t);
    EXPECT_STREQ(found ? found : "<none>", c.pseudo ? c.pseudo : "<none>") << c.token;
    EXPECT_EQ(cmgIsWhereTerminator(&p.con, &t), c.terminator) << c.token;
  }
}

// Merging never writes past what the two lists hold, however long the extra list.
TEST(Names, MergeSizedFromTheLists) {
  uint16_t builtin = 0;
  const char* const* words = cmgBuiltinReservedWords(&builtin);
  ASSERT_EQ(builtin, 219);
  for (uint16_t i = 1; i < builtin; ++i) EXPECT_LT(strcmp(words[i - 1], words[i]), 0) << words[i];
  std::vector<std::string> extra;
  for (int i = 0; i < 1500; ++i) extra.push_back("W" + std::to_string(10000 + i));
  extra.push_back("WORK");  // built in too: taken once
  std::sort(extra.begin(), extra.end());
  std::vector<const char*> ptrs;
  for (const std::string& s : extra) ptrs.push_back(s.c_str());
  uint16_t count = 0;
  char** merged =
      cmgMergeReservedWords(words, builtin, ptrs.data(), static_cast<uint16_t>(ptrs.size()), &count);
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(count, 219 + 1500);
  for (uint16_t i = 1; i < count; ++i) EXPECT_LT(strcmp(merged[i - 1], merged[i]), 0) << i;
  for (uint16_t i = 0; i < count; ++i) ramFree(merged[i]);
  ramFree(merged);
}

}  // namespace
