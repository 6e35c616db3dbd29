// Type translation as one table of cases over the type tables of real drivers (SQLite's
// and PostgreSQL's, read by the driver profile from SQLGetTypeInfo) and over synthetic
// type tables made to reach each rule's corners.
#include "dbsql/cmgenv.h"
#include "dbsql/cmgtranslate.h"
#include "dbsql/sqlmessages.h"
#include "pg_support.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const uint16_t N = CMG_TYPE_NULLABLE, C = CMG_TYPE_CASE_SENSITIVE, M = CMG_TYPE_MONEY;

struct SyntheticType {
  int16_t type;
  const char* name;
  int32_t precision;
  uint16_t attributes;
  const char* createParams;
};

// A server's full set, with create parameters in either case.
const SyntheticType kSynthetic[] = {
    {SQL_CHAR, "CHAR", 254, N | C, "max length"},
    {SQL_VARCHAR, "VARCHAR", 254, N | C, "max length"},
    {SQL_LONGVARCHAR, "LONG VARCHAR", 2147483647, N | C, nullptr},
    {SQL_BINARY, "BINARY", 255, N, "max length"},
    {SQL_VARBINARY, "VARBINARY", 255, N, "max length"},
    {SQL_LONGVARBINARY, "LONG BINARY", 2147483647, N, nullptr},
    {SQL_BIT, "BIT", 1, 0, nullptr},
    {SQL_NUMERIC, "NUMERIC", 28, N, "PRECISION,SCALE"},
    {SQL_DECIMAL, "DECIMAL", 38, N, "precision,scale"},
    {SQL_INTEGER, "INTEGER", 10, N, nullptr},
    {SQL_SMALLINT, "SMALLINT", 5, N, nullptr},
    {SQL_FLOAT, "FLOAT", 15, N, nullptr},
    {SQL_REAL, "REAL", 7, N, nullptr},
    {SQL_DOUBLE, "DOUBLE PRECISION", 15, N, nullptr},
    {SQL_DATE, "DATE", 10, N, nullptr},
    {SQL_TIME, "TIME", 8, N, nullptr},
    {SQL_TIMESTAMP, "TIMESTAMP", 26, N, nullptr},
    {SQL_DECIMAL, "MONEY", 19, N | M, nullptr},
};
// Characters without a long type, integers and a date.
const SyntheticType kNoLong[] = {
    {SQL_CHAR, "CHAR", 254, N, "max length"}, {SQL_VARCHAR, "VARCHAR", 254, N, "max length"},
    {SQL_INTEGER, "INTEGER", 10, N, nullptr}, {SQL_SMALLINT, "SMALLINT", 5, N, nullptr},
    {SQL_DATE, "DATE", 10, N, nullptr},
};
// Only characters.
const SyntheticType kChars[] = {{SQL_CHAR, "CHAR", 254, N, "length"}};
// Only numbers.
const SyntheticType kNumbers[] = {
    {SQL_SMALLINT, "SMALLINT", 5, N, nullptr},
    {SQL_INTEGER, "INTEGER", 10, N, nullptr},
    {SQL_DECIMAL, "DECIMAL", 15, N, "precision,scale"},
};
// Approximate numbers and a short varchar.
const SyntheticType kFloats[] = {
    {SQL_REAL, "REAL", 7, N, nullptr},
    {SQL_FLOAT, "FLOAT", 15, N, "precision"},
    {SQL_VARCHAR, "VARCHAR", 100, N, "max length"},
};

// A connection record that holds only a data-source name and a type table.
struct SyntheticConnection {
  template <size_t K>
  SyntheticConnection(const char* source, const SyntheticType (&types)[K]) {
    memset(&record, 0, sizeof record);
    record.sourceName = const_cast<char*>(source);
    for (const SyntheticType& t : types) {
      CmgTypeEntry e;
      memset(&e, 0, sizeof e);
      e.sqlType = t.type;
      e.name = const_cast<char*>(t.name);
      e.precision = t.precision;
      e.attributes = t.attributes;
      e.createParams = const_cast<char*>(t.createParams);
      entries.push_back(e);
    }
    record.types = entries.data();
    record.typeCount = static_cast<uint16_t>(entries.size());
  }
  std::vector<CmgTypeEntry> entries;
  cmg_capabilities record;
};

// Where the source column comes from.
enum Source {
  NONE,   // no source connection
  OTHER,  // a connection to another data source
  SAME    // a second connection to the target's data source
};

const uint16_t BEST = CMG_TRANSLATE_BEST_EFFORT;
const int ANY = -1;  // attributes not checked

struct Case {
  const char* table;
  uint16_t flags;
  Source source;
  const char* typeName;
  int16_t type;
  int32_t precision;
  int16_t scale;
  unsigned short message;  // 0: translated
  int16_t outType;
  int32_t outPrecision;
  int16_t outScale;
  const char* text;
  int attributes;
};

const Case kCases[] = {
    // Character types: the list that starts with the source type, the long type when
    // the others are too short, the largest with best effort.
    {"synthetic", 0, NONE, nullptr, SQL_VARCHAR, 300, 0, 0, SQL_LONGVARCHAR, 300, 0, "LONG VARCHAR", N | C},
    {"sqlite", 0, NONE, nullptr, SQL_VARCHAR, 300, 0, 0, SQL_LONGVARCHAR, 300, 0, "text (300)", N},
    {"postgres", 0, NONE, nullptr, SQL_VARCHAR, 300, 0, 0, SQL_LONGVARCHAR, 300, 0, "text", N | C},
    {"nolong", BEST, NONE, nullptr, SQL_VARCHAR, 300, 0, 0, SQL_VARCHAR, 254, 0, "VARCHAR (254)", N},
    {"nolong", 0, NONE, nullptr, SQL_VARCHAR, 300, 0, 2102},
    {"nolong", BEST, NONE, nullptr, SQL_CHAR, 300, 0, 0, SQL_CHAR, 254, 0, "CHAR (254)", N},
    {"sqlite", BEST, NONE, nullptr, SQL_VARCHAR, 100000, 0, 0, SQL_LONGVARCHAR, 65536, 0, "text (65536)", N},
    {"sqlite", 0, NONE, nullptr, SQL_VARCHAR, 100000, 0, 2102},
    {"postgres", BEST, NONE, nullptr, SQL_VARCHAR, 10000, 0, 0, SQL_LONGVARCHAR, 8190, 0, "text", N | C},
    {"postgres", 0, NONE, nullptr, SQL_VARCHAR, 10000, 0, 2102},
    {"sqlite", 0, NONE, nullptr, SQL_CHAR, 10, 0, 0, SQL_CHAR, 10, 0, "char (10)", N},
    {"postgres", 0, NONE, nullptr, SQL_CHAR, 10, 0, 0, SQL_CHAR, 10, 0, "char (10)", N | C},
    {"chars", 0, NONE, nullptr, SQL_VARCHAR, 300, 0, 2102},
    {"chars", BEST, NONE, nullptr, SQL_VARCHAR, 300, 0, 0, SQL_CHAR, 254, 0, "CHAR (254)", N},

    // Binary types, and characters in their place with best effort.
    {"synthetic", 0, NONE, nullptr, SQL_BINARY, 16, 0, 0, SQL_BINARY, 16, 0, "BINARY (16)", N},
    {"synthetic", 0, NONE, nullptr, SQL_VARBINARY, 300, 0, 0, SQL_LONGVARBINARY, 300, 0, "LONG BINARY", N},
    {"sqlite", 0, NONE, nullptr, SQL_VARBINARY, 300, 0, 0, SQL_LONGVARBINARY, 300, 0, "longvarbinary", N},
    // PostgreSQL's driver gives bytea no precision (SQL_NO_TOTAL): it never fits.
    {"postgres", 0, NONE, nullptr, SQL_VARBINARY, 300, 0, 2102},
    {"postgres", BEST, NONE, nullptr, SQL_VARBINARY, 300, 0, 0, SQL_LONGVARCHAR, 300, 0, "text", N | C},
    {"nolong", 0, NONE, nullptr, SQL_VARBINARY, 100, 0, 2102},
    {"nolong", BEST, NONE, nullptr, SQL_VARBINARY, 100, 0, 0, SQL_VARCHAR, 100, 0, "VARCHAR (100)", N},
    {"nolong", BEST, NONE, nullptr, SQL_BINARY, 300, 0, 0, SQL_CHAR, 254, 0, "CHAR (254)", N},

    // Bits: the driver's bit type with its own precision, else as an integer.
    {"synthetic", 0, NONE, nullptr, SQL_BIT, 1, 0, 0, SQL_BIT, 1, 0, "BIT", 0},
    {"sqlite", 0, NONE, nullptr, SQL_BIT, 1, 0, 0, SQL_BIT, 1, 0, "bit", N},
    {"postgres", 0, NONE, nullptr, SQL_BIT, 1, 0, 0, SQL_BIT, 5, 0, "bool", N},
    {"chars", 0, NONE, nullptr, SQL_BIT, 1, 0, 0, SQL_CHAR, 2, 0, "CHAR (2)", N},

    // Integers: integer types, then decimals, then approximate types (the text carries
    // the needed length), then characters only when the driver has none of those.
    {"synthetic", 0, NONE, nullptr, SQL_INTEGER, 10, 0, 0, SQL_INTEGER, 10, 0, "INTEGER", N},
    {"synthetic", 0, NONE, nullptr, SQL_BIGINT, 19, 0, 0, SQL_NUMERIC, 19, 0, "NUMERIC (19, 0)", N},
    {"synthetic", BEST, NONE, nullptr, SQL_INTEGER, 40, 0, 0, SQL_DECIMAL, 38, 0, "DECIMAL (38, 0)", N},
    {"synthetic", 0, NONE, nullptr, SQL_INTEGER, 40, 0, 2102},
    {"sqlite", 0, NONE, nullptr, SQL_INTEGER, 10, 0, 0, SQL_BIGINT, 10, 0, "bigint", N},
    {"sqlite", BEST, NONE, nullptr, SQL_INTEGER, 20, 0, 0, SQL_BIGINT, 19, 0, "bigint", N},
    {"postgres", 0, NONE, nullptr, SQL_INTEGER, 10, 0, 0, SQL_INTEGER, 10, 0, "int4", N},
    {"postgres", 0, NONE, nullptr, SQL_BIGINT, 19, 0, 0, SQL_BIGINT, 19, 0, "int8", N},
    {"floats", 0, NONE, nullptr, SQL_INTEGER, 10, 0, 0, SQL_FLOAT, 15, 0, "FLOAT (10)", N},
    {"chars", 0, NONE, nullptr, SQL_INTEGER, 10, 0, 0, SQL_CHAR, 11, 0, "CHAR (11)", N},
    {"numbers", BEST, NONE, nullptr, SQL_INTEGER, 19, 0, 0, SQL_DECIMAL, 15, 0, "DECIMAL (15, 0)", N},

    // Decimals: precision and scale from the create parameters; a source connection's
    // negative or oversized scale adjusted first, and one more digit.
    {"synthetic", 0, NONE, nullptr, SQL_DECIMAL, 10, 2, 0, SQL_NUMERIC, 10, 2, "NUMERIC (10, 2)", N},
    {"synthetic", 0, NONE, nullptr, SQL_DECIMAL, 30, 2, 0, SQL_DECIMAL, 30, 2, "DECIMAL (30, 2)", N},
    {"postgres", 0, NONE, nullptr, SQL_DECIMAL, 10, 2, 0, SQL_DECIMAL, 10, 2, "numeric (10, 2)", N},
    {"sqlite", 0, NONE, nullptr, SQL_DECIMAL, 10, 2, 0, SQL_DOUBLE, 10, 0, "double", N},
    {"synthetic", 0, OTHER, nullptr, SQL_NUMERIC, 5, -2, 0, SQL_INTEGER, 8, 0, "INTEGER", N},
    {"sqlite", 0, OTHER, nullptr, SQL_NUMERIC, 5, -2, 0, SQL_INTEGER, 8, 0, "integer", N},
    {"postgres", 0, OTHER, nullptr, SQL_NUMERIC, 5, -2, 0, SQL_INTEGER, 8, 0, "int4", N},
    {"synthetic", 0, NONE, nullptr, SQL_NUMERIC, 5, -2, 0, SQL_NUMERIC, 5, -2, "NUMERIC (5, -2)", N},
    {"synthetic", 0, OTHER, nullptr, SQL_NUMERIC, 12, 14, 0, SQL_NUMERIC, 13, 12, "NUMERIC (13, 12)", N},
    {"floats", 0, NONE, nullptr, SQL_DECIMAL, 10, 2, 0, SQL_FLOAT, 10, 0, "FLOAT (10)", N},
    {"chars", 0, NONE, nullptr, SQL_DECIMAL, 10, 2, 0, SQL_CHAR, 12, 0, "CHAR (12)", N},
    // Best effort shortens a decimal: the missing digits come off the scale, and the
    // text shows the type's own precision alone.
    {"numbers", 0, NONE, nullptr, SQL_DECIMAL, 20, 4, 2102},
    {"numbers", BEST, NONE, nullptr, SQL_DECIMAL, 20, 4, 0, SQL_DECIMAL, 15, 0, "DECIMAL (15)", N},
    {"numbers", BEST, NONE, nullptr, SQL_DECIMAL, 20, 8, 0, SQL_DECIMAL, 15, 3, "DECIMAL (15)", N},

    // Approximate numbers, then characters seven longer.
    {"synthetic", 0, NONE, nullptr, SQL_REAL, 7, 0, 0, SQL_REAL, 7, 0, "REAL", N},
    {"synthetic", 0, NONE, nullptr, SQL_DOUBLE, 15, 0, 0, SQL_FLOAT, 15, 0, "FLOAT", N},
    {"synthetic", 0, NONE, nullptr, SQL_FLOAT, 53, 0, 0, SQL_VARCHAR, 60, 0, "VARCHAR (60)", N | C},
    {"sqlite", 0, NONE, nullptr, SQL_DOUBLE, 15, 0, 0, SQL_DOUBLE, 15, 0, "double", N},
    {"postgres", 0, NONE, nullptr, SQL_DOUBLE, 15, 0, 0, SQL_DOUBLE, 15, 0, "float8", N},
    {"floats", 0, NONE, nullptr, SQL_DOUBLE, 12, 0, 0, SQL_FLOAT, 12, 0, "FLOAT (12)", N},
    {"floats", 0, NONE, nullptr, SQL_DOUBLE, 20, 0, 0, SQL_VARCHAR, 27, 0, "VARCHAR (27)", N},

    // Dates and times.
    {"synthetic", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_DATE, 10, 0, "DATE", N},
    {"sqlite", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_DATE, 10, 0, "date", N},
    {"postgres", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_DATE, 10, 0, "date", N},
    {"chars", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_CHAR, 10, 0, "CHAR (10)", N},
    {"numbers", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_INTEGER, 10, 0, "INTEGER", N},
    {"floats", 0, NONE, nullptr, SQL_DATE, 10, 0, 0, SQL_REAL, 7, 0, "REAL", N},
    {"synthetic", 0, NONE, nullptr, SQL_TIME, 8, 0, 0, SQL_TIME, 8, 0, "TIME", N},
    {"sqlite", 0, NONE, nullptr, SQL_TIME, 8, 0, 0, SQL_TIME, 8, 0, "time", N},
    {"chars", 0, NONE, nullptr, SQL_TIME, 8, 0, 0, SQL_CHAR, 8, 0, "CHAR (8)", N},
    {"numbers", 0, NONE, nullptr, SQL_TIME, 8, 0, 0, SQL_DECIMAL, 8, 8, "DECIMAL (8, 8)", N},

    // Timestamps: fractions as the scale above 20 characters; the largest timestamp
    // when none is long enough; without one a date (best effort), a decimal of the
    // digits, characters, or with best effort an integer.
    {"synthetic", 0, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_TIMESTAMP, 23, 3, "TIMESTAMP", N},
    {"synthetic", 0, NONE, nullptr, SQL_TIMESTAMP, 19, 0, 0, SQL_TIMESTAMP, 19, 0, "TIMESTAMP", N},
    {"synthetic", 0, NONE, nullptr, SQL_TIMESTAMP, 30, 0, 0, SQL_TIMESTAMP, 26, 0, "TIMESTAMP", N},
    {"sqlite", 0, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_TIMESTAMP, 23, 3, "timestamp", N},
    {"postgres", 0, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_TIMESTAMP, 23, 3, "timestamptz", N},
    {"postgres", 0, NONE, nullptr, SQL_TIMESTAMP, 30, 0, 0, SQL_TIMESTAMP, 26, 0, "timestamptz", N},
    {"nolong", BEST, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_DATE, 10, 0, "DATE", N},
    {"nolong", 0, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_CHAR, 254, 0, "CHAR (254)", N},
    {"numbers", 0, NONE, nullptr, SQL_TIMESTAMP, 16, 0, 0, SQL_DECIMAL, 14, 4, "DECIMAL (14, 4)", N},
    {"numbers", 0, NONE, nullptr, SQL_TIMESTAMP, 19, 0, 2102},
    {"numbers", BEST, NONE, nullptr, SQL_TIMESTAMP, 19, 0, 0, SQL_INTEGER, 10, 0, "INTEGER", N},
    {"chars", 0, NONE, nullptr, SQL_TIMESTAMP, 23, 0, 0, SQL_CHAR, 254, 0, "CHAR (254)", N},

    // The same data source keeps the source's type by name, whatever the rules say.
    {"synthetic", 0, SAME, "MONEY", SQL_DECIMAL, 19, 4, 0, SQL_DECIMAL, 19, 4, "MONEY", N | M},
    {"synthetic", 0, NONE, "LONG VARCHAR", SQL_LONGVARCHAR, 5000, 0, 0, SQL_LONGVARCHAR, 5000, 0,
     "LONG VARCHAR", N | C},
    {"synthetic", 0, OTHER, "MONEY", SQL_DECIMAL, 19, 4, 0, SQL_NUMERIC, 20, 4, "NUMERIC (20, 4)", N},
    {"synthetic", 0, SAME, "SERIAL", SQL_INTEGER, 10, 0, 0, SQL_INTEGER, 10, 0, "INTEGER", N},
    {"sqlite", 0, SAME, "numeric", SQL_NUMERIC, 12, 3, 0, SQL_NUMERIC, 12, 3, "numeric", N},
    {"sqlite", 0, OTHER, "numeric", SQL_NUMERIC, 12, 3, 0, SQL_DOUBLE, 13, 0, "double", N},
    {"postgres", 0, SAME, "timestamptz", SQL_TIMESTAMP, 26, 6, 0, SQL_TIMESTAMP, 26, 6, "timestamptz", N},
    {"postgres", 0, SAME, "varchar", SQL_VARCHAR, 40, 0, 0, SQL_VARCHAR, 40, 0, "varchar (40)", N | C},

    // Types no rule covers.
    {"synthetic", 0, NONE, nullptr, SQL_TINYINT, 3, 0, 4543},
    {"sqlite", 0, NONE, nullptr, SQL_TINYINT, 3, 0, 4543},
    {"postgres", BEST, NONE, nullptr, 0, 10, 0, 4543},
    {"synthetic", BEST, NONE, nullptr, 13, 10, 0, 4543},
    {"synthetic", 0, NONE, nullptr, -8, 10, 0, 4543},  // SQL_WCHAR
    {"sqlite", 0, NONE, nullptr, 91, 10, 0, 4543},     // SQL_TYPE_DATE
};

// The target connections by table name, made on first use.
class Targets {
 public:
  Targets() : env_(cmgInit(CMG_API_CALLER)), other_("Elsewhere", kSynthetic) {
    synthetic("synthetic", "Synthetic", kSynthetic);
    synthetic("nolong", "NoLong", kNoLong);
    synthetic("chars", "Chars", kChars);
    synthetic("numbers", "Numbers", kNumbers);
    synthetic("floats", "Floats", kFloats);
  }
  ~Targets() {
    if (env_) {
      EXPECT_EQ(cmgTerm(env_), 0);
    }
  }

  // The target and a second connection to its data source in *same; null when the
  // target cannot be had, with the reason in *skip when that is no failure.
  cmg_capabilities* target(const std::string& table, cmg_capabilities** same, std::string* skip) {
    auto s = made_.find(table);
    if (s != made_.end()) {
      *same = &s->second.second->record;
      return &s->second.first->record;
    }
    if (table == "postgres" && !PostgresServer::running()) {
      *skip = "no PostgreSQL server";
      return nullptr;
    }
    auto r = real_.find(table);
    if (r == real_.end()) {
      const char* dsn = table == "sqlite" ? "DSN=OrvanelTest" : POSTGRES_DSN;
      ThreadErrors errors;
      cmg_capabilities* a = cmgLogon(env_, nullptr, dsn, 0);
      cmg_capabilities* b = a ? cmgLogon(env_, nullptr, dsn, 0) : nullptr;
      EXPECT_NE(b, nullptr) << dsn << ": " << errors.lastText();
      r = real_.emplace(table, std::make_pair(a, b)).first;
    }
    *same = r->second.second;
    return r->second.second ? r->second.first : nullptr;
  }
  cmg_capabilities* other() { return &other_.record; }

 private:
  template <size_t K>
  void synthetic(const char* table, const char* source, const SyntheticType (&types)[K]) {
    made_[table] = std::make_pair(std::make_unique<SyntheticConnection>(source, types),
                                  std::make_unique<SyntheticConnection>(source, types));
  }

  cmgInfo* env_;
  SyntheticConnection other_;
  std::map<std::string, std::pair<std::unique_ptr<SyntheticConnection>, std::unique_ptr<SyntheticConnection>>>
      made_;
  std::map<std::string, std::pair<cmg_capabilities*, cmg_capabilities*>> real_;
};

TEST(TranslateType, TableOfCases) {
  ThreadErrors errors;
  Targets targets;
  int skipped = 0;
  for (const Case& k : kCases) {
    SCOPED_TRACE(std::string(k.table) + " type " + std::to_string(k.type) + " (" +
                 std::to_string(k.precision) + ", " + std::to_string(k.scale) + ")" +
                 (k.flags & BEST ? " best effort" : "") +
                 (k.source == OTHER  ? " from another source"
                  : k.source == SAME ? " from the same source"
                                     : "") +
                 (k.typeName ? std::string(" named ") + k.typeName : ""));
    cmg_capabilities* same = nullptr;
    std::string skip;
    cmg_capabilities* target = targets.target(k.table, &same, &skip);
    if (!target) {
      if (skip.empty()) ADD_FAILURE() << "no target connection";
      ++skipped;
      continue;
    }
    cmg_capabilities* source = k.source == OTHER ? targets.other() : k.source == SAME ? same : nullptr;
    errors.clear();
    int16_t type = 777, scale = 777;
    int32_t precision = 777;
    uint16_t attributes = 777;
    char text[80] = "untouched";
    JxStatus status = cmgTranslateType(k.flags, source, k.typeName, k.type, k.precision, k.scale, target,
                                       &type, &precision, &scale, &attributes, text, sizeof text);
    if (k.message) {
      EXPECT_EQ(status, 1);
      EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{k.message});
      // Nothing is written on failure.
      EXPECT_EQ(type, 777);
      EXPECT_EQ(precision, 777);
      EXPECT_EQ(scale, 777);
      EXPECT_EQ(attributes, 777);
      EXPECT_STREQ(text, "untouched");
      continue;
    }
    EXPECT_EQ(status, 0) << errors.lastText();
    EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
    EXPECT_EQ(type, k.outType);
    EXPECT_EQ(precision, k.outPrecision);
    EXPECT_EQ(scale, k.outScale);
    EXPECT_STREQ(text, k.text);
    if (k.attributes != ANY) {
      EXPECT_EQ(attributes, k.attributes);
    }
  }
  if (skipped) printf("translate: %d PostgreSQL cases skipped (no server)\n", skipped);
}

// The messages say what went wrong.
TEST(TranslateType, MessageTexts) {
  ThreadErrors errors;
  SyntheticConnection chars("Chars", kChars);
  int16_t type = 0;
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_VARCHAR, 300, 0, &chars.record, &type, nullptr, nullptr,
                             nullptr, nullptr, 0),
            1);
  EXPECT_EQ(errors.lastText(), "Unable to find a compatible type.");
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_TINYINT, 3, 0, &chars.record, &type, nullptr, nullptr,
                             nullptr, nullptr, 0),
            1);
  EXPECT_EQ(errors.lastText(), "Internal error 01 -- contact J+X Technical Support.");
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_CHAR, 3, 0, nullptr, &type, nullptr, nullptr, nullptr,
                             nullptr, 0),
            1);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
  EXPECT_EQ(type, 0);
}

// A type text that does not fit the caller's buffer is refused whole, and nothing is
// written; without a text buffer only the numbers are answered.
TEST(TranslateType, TextBufferTooSmall) {
  ThreadErrors errors;
  SyntheticConnection synthetic("Synthetic", kSynthetic);
  int16_t type = 777;
  int32_t precision = 777;
  char text[15] = "untouched";  // "NUMERIC (10, 2)" needs 16 bytes
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_DECIMAL, 10, 2, &synthetic.record, &type, &precision,
                             nullptr, nullptr, text, sizeof text),
            1);
  EXPECT_EQ(errors.last(), SQLMSG_BUFFER_TOO_SMALL);
  EXPECT_EQ(type, 777);
  EXPECT_EQ(precision, 777);
  EXPECT_STREQ(text, "untouched");
  errors.clear();
  char fits[16];
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_DECIMAL, 10, 2, &synthetic.record, &type, &precision,
                             nullptr, nullptr, fits, sizeof fits),
            0);
  EXPECT_STREQ(fits, "NUMERIC (10, 2)");
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_CHAR, 20, 0, &synthetic.record, &type, &precision,
                             nullptr, nullptr, nullptr, 0),
            0);
  EXPECT_EQ(type, SQL_CHAR);
  EXPECT_EQ(precision, 20);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// Precisions at the ends of their range: the extra digits a rule asks for never wrap
// round to a small need.
TEST(TranslateType, HugePrecisionsDoNotWrap) {
  ThreadErrors errors;
  SyntheticConnection floats("Floats", kFloats);
  SyntheticConnection numbers("Numbers", kNumbers);
  int16_t type = 0;
  int32_t precision = 0;
  // The character walk of an approximate type needs p + 7.
  EXPECT_EQ(cmgTranslateType(0, nullptr, nullptr, SQL_DOUBLE, 2147483647, 0, &floats.record, &type,
                             &precision, nullptr, nullptr, nullptr, 0),
            1);
  EXPECT_EQ(errors.last(), SQLMSG_NO_COMPATIBLE_TYPE);
  // A source's negative scale raises the precision past the 32-bit range.
  errors.clear();
  EXPECT_EQ(cmgTranslateType(0, &floats.record, nullptr, SQL_NUMERIC, 2147483647, -32768, &numbers.record,
                             &type, &precision, nullptr, nullptr, nullptr, 0),
            1);
  EXPECT_EQ(errors.last(), SQLMSG_NO_COMPATIBLE_TYPE);
}

}  // namespace
