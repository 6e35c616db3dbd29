// The type maps and value packing against the SQLite driver through Wine's odbc32 and
// the host's driver manager: the fixture's columns of every type described, bound by
// the maps, fetched and normalised; and stored values passed back as parameters.
#include "dbsql/bcvconvert.h"
#include "dbsql/sqlengine.h"
#include "dbsql/sqltypemap.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Sqlite {
  Sqlite() {
    if (SQLAllocEnv(&henv) != SQL_SUCCESS || SQLAllocConnect(henv, &hdbc) != SQL_SUCCESS) return;
    SQLRETURN rc = SQLDriverConnect(hdbc, nullptr, (SQLCHAR*)"DSN=OrvanelTest", SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    connected = rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
    if (connected) SQLAllocStmt(hdbc, &hstmt);
  }
  ~Sqlite() {
    if (hstmt) SQLFreeStmt(hstmt, SQL_DROP);
    if (connected) SQLDisconnect(hdbc);
    if (hdbc) SQLFreeConnect(hdbc);
    if (henv) SQLFreeEnv(henv);
  }
  SQLRETURN exec(const char* sql) { return SQLExecDirect(hstmt, (SQLCHAR*)sql, SQL_NTS); }
  // A fresh statement handle. Wine 10's odbc32 (the 32-bit lane) ends the process when
  // a handle that ran a prepared statement executes another text directly.
  void freshStatement() {
    SQLFreeStmt(hstmt, SQL_DROP);
    hstmt = nullptr;
    SQLAllocStmt(hdbc, &hstmt);
  }
  std::string error() {
    SQLCHAR state[6] = "", text[512] = "";
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLError(henv, hdbc, hstmt, state, &native, text, sizeof text, &length);
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
  }
  SQLHENV henv = nullptr;
  SQLHDBC hdbc = nullptr;
  SQLHSTMT hstmt = nullptr;
  bool connected = false;
};

// One described result column with its buffer, bound by the maps.
struct Column {
  std::string name, typeName;
  SqlColumnShape shape;
  uint16_t layer;
  int16_t cType;
  int32_t word;  // the layer's length word (sqlGetXferType_Length)
  int32_t bindLength;
  std::vector<uint8_t> buffer;
  SQLLEN indicator;

  // The value as the layer keeps it, after normalising: text of its kind.
  SqlValueSlot slot() {
    bool text = cType == SQL_C_CHAR;  // room for the driver's terminator
    int32_t width = text ? bindLength - 1 : static_cast<int32_t>(buffer.size());
    return SqlValueSlot{layer,         shape.odbcType, word, width, static_cast<int32_t>(indicator),
                        buffer.data(), cType};
  }
};

// Describes the result columns and binds each with the fetch map (the timestamp-only
// variant, or the plain one) and the map's buffer length; the buffer holds the layer's
// form too (26 characters for a date/time).
std::vector<Column> describeAndBind(Sqlite& db, const cmgInfo* env, bool timestampOnly) {
  SQLSMALLINT count = 0;
  SQLNumResultCols(db.hstmt, &count);
  std::vector<Column> columns(count);
  for (SQLUSMALLINT i = 1; i <= count; i++) {
    Column& c = columns[i - 1];
    SQLCHAR name[128];
    SQLSMALLINT nameLength, type, scale, nullable;
    SQLULEN precision;
    SQLDescribeCol(db.hstmt, i, name, sizeof name, &nameLength, &type, &precision, &scale, &nullable);
    // Every out-pointer is given: some driver managers write them all.
    SQLLEN length = 0, unused = 0;
    SQLCHAR typeName[80] = "";
    SQLSMALLINT typeNameLength = 0;
    SQLColAttributes(db.hstmt, i, SQL_COLUMN_LENGTH, typeName, sizeof typeName, &typeNameLength, &length);
    typeName[0] = 0;
    SQLColAttributes(db.hstmt, i, SQL_COLUMN_TYPE_NAME, typeName, sizeof typeName, &typeNameLength, &unused);
    c.name = reinterpret_cast<char*>(name);
    c.typeName = reinterpret_cast<char*>(typeName);
    c.shape = SqlColumnShape{type, scale, static_cast<int32_t>(length), static_cast<int32_t>(precision)};
    c.cType = timestampOnly ? sqlTimestampCType(type) : sqlBindCType(type);
    uint16_t layer = 0;
    int32_t size = 0;
    EXPECT_EQ(sqlGetXferType_Length(env, CMG_DB_OTHER, type, c.typeName.c_str(), c.shape.length,
                                    c.shape.precision, scale, &layer, &size),
              0);
    c.layer = layer;
    c.word = size;
    c.bindLength = sqlColumnBufferLength(&c.shape);
    int32_t room = c.bindLength > 27 ? c.bindLength : 27;
    c.buffer.assign(room, 0xEE);
    SQLBindCol(db.hstmt, i, c.cType, c.buffer.data(), c.bindLength, &c.indicator);
  }
  return columns;
}

// A normalised value as text: characters as they are, decimals through their text,
// numbers printed, binary values in hexadecimal.
std::string shown(Column& c, const SqlValueSlot& v) {
  if (v.length == SQL_NULL_DATA) return "NULL";
  char text[128] = "";
  const uint8_t* d = v.data;
  switch (v.layerType) {
    case BCV_CHAR:
    case BCV_VARCHAR:
      if (c.cType == SQL_C_BINARY) {
        std::string hex(v.length * 2, ' ');
        bcvHexify(&hex[0], d, static_cast<uint16_t>(v.length));
        return "x" + hex;
      }
      return std::string(reinterpret_cast<const char*>(d), v.length);
    case BCV_DECIMAL:
      return sqlDecimalToText(d, v.word, text, sizeof text) ? text : "bad decimal";
    case BCV_LONG:
      snprintf(text, sizeof text, "%ld", static_cast<long>(*reinterpret_cast<const int32_t*>(d)));
      return text;
    case BCV_SHORT:
      snprintf(text, sizeof text, "%d", *reinterpret_cast<const int16_t*>(d));
      return text;
    case BCV_FLOAT:
      snprintf(text, sizeof text, "%g", *reinterpret_cast<const float*>(d));
      return text;
    case BCV_DOUBLE:
      snprintf(text, sizeof text, "%.10g", *reinterpret_cast<const double*>(d));
      return text;
    case BCV_DATETIME:
      return std::string(reinterpret_cast<const char*>(d), v.length);
    default:
      return "?";
  }
}

const char* kAllTypes =
    "SELECT c_char, c_varchar, c_text, c_smallint, c_integer, c_bigint, c_tinyint, c_bit, c_real, c_float, "
    "c_double, c_numeric, c_decimal, c_date, c_time, c_timestamp, c_blob, c_varbinary FROM alltypes ORDER BY "
    "id";

// What the SQLite driver reports for the fixture's columns, and what the maps make of it.
struct Expected {
  const char* name;
  int16_t odbcType;
  uint16_t layer, apiType;
  int32_t odbcPrecision;
  const char* value;
};
const Expected kExpected[] = {
    // The driver describes CHAR(n) and DECIMAL(p,s) as SQL_VARCHAR, REAL and NUMERIC as
    // SQL_DOUBLE and BLOB as SQL_BINARY.
    {"c_char", SQL_VARCHAR, BCV_VARCHAR, 2, 10, "fixed"},
    {"c_varchar", SQL_VARCHAR, BCV_VARCHAR, 2, 40, "variable"},
    {"c_text", SQL_LONGVARCHAR, BCV_VARCHAR, 100, 65536, "some text"},
    {"c_smallint", SQL_SMALLINT, BCV_SHORT, 5, 5, "12"},
    {"c_integer", SQL_INTEGER, BCV_LONG, 4, 10, "123456"},
    {"c_bigint", SQL_BIGINT, BCV_DECIMAL, 108, 20, "9876543210"},
    {"c_tinyint", SQL_TINYINT, BCV_SHORT, 109, 3, "7"},
    {"c_bit", SQL_BIT, BCV_SHORT, 110, 1, "1"},
    {"c_real", SQL_DOUBLE, BCV_DOUBLE, 7, 15, "1.5"},
    {"c_float", SQL_DOUBLE, BCV_DOUBLE, 7, 15, "2.25"},
    {"c_double", SQL_DOUBLE, BCV_DOUBLE, 7, 15, "3.125"},
    {"c_numeric", SQL_DOUBLE, BCV_DOUBLE, 7, 15, "12345.678"},
    {"c_decimal", SQL_VARCHAR, BCV_VARCHAR, 2, 18, "98765432.1234"},
    {"c_date", SQL_DATE, BCV_DATETIME, 111, 11, "1999-07-04 00:00:00.000000"},
    {"c_time", SQL_TIME, BCV_DATETIME, 112, 8, "0000-00-00 12:30:15.000000"},
    {"c_timestamp", SQL_TIMESTAMP, BCV_DATETIME, 8, 33, "1999-07-04 12:30:15.250000"},
    {"c_blob", SQL_BINARY, BCV_CHAR, 101, 255, "x00FF10"},  // never padded with blanks
    {"c_varbinary", SQL_VARBINARY, BCV_VARCHAR, 102, 16, "xDEADBEEF"},
};

// Both fetch maps give the layer the same values: the driver's structures of dates,
// times and timestamps become the same 26 characters.
TEST(SqliteColumns, DescribedBoundFetchedAndNormalised) {
  for (bool timestampOnly : {true, false}) {
    SCOPED_TRACE(timestampOnly ? "timestamp-only map" : "plain map");
    ThreadErrors errors;
    Sqlite db;
    ASSERT_TRUE(db.connected);
    cmgInfo env = {};
    env.revision = 2;
    ASSERT_EQ(db.exec(kAllTypes), SQL_SUCCESS) << db.error();
    std::vector<Column> columns = describeAndBind(db, &env, timestampOnly);
    ASSERT_EQ(columns.size(), sizeof kExpected / sizeof kExpected[0]);
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS) << db.error();
    std::vector<SqlValueSlot> row;
    for (Column& c : columns) row.push_back(c.slot());
    EXPECT_EQ(sqlNormaliseRow(row.data(), static_cast<uint16_t>(row.size())), 0);
    for (size_t i = 0; i < columns.size(); i++) {
      Column& c = columns[i];
      const Expected& e = kExpected[i];
      EXPECT_EQ(c.name, e.name);
      EXPECT_EQ(c.shape.odbcType, e.odbcType) << e.name;
      EXPECT_EQ(sqlODBCtoSQLdatatype(c.shape.odbcType), e.layer) << e.name;
      EXPECT_EQ(c.layer, e.layer) << e.name;
      EXPECT_EQ(sqlDBColType(&env, c.shape.odbcType, CMG_DB_OTHER, c.layer, c.typeName.c_str()), e.apiType)
          << e.name;
      EXPECT_EQ(sqlfldtoODBCprecision(&c.shape), e.odbcPrecision) << e.name;
      EXPECT_EQ(shown(c, row[i]), e.value) << e.name;
    }
    // The bigint arrived as text and is packed in its 20 digits.
    EXPECT_EQ(row[5].length, bcvmaxlen(BCV_DECIMAL, columns[5].word, 0));
    // The second row holds NULL in every column: normalising touches nothing.
    ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
    row.clear();
    std::vector<std::vector<uint8_t>> fetched;
    for (Column& c : columns) row.push_back(c.slot()), fetched.push_back(c.buffer);
    EXPECT_EQ(sqlNormaliseRow(row.data(), static_cast<uint16_t>(row.size())), 0);
    for (size_t i = 0; i < columns.size(); i++) {
      EXPECT_EQ(row[i].length, SQL_NULL_DATA) << kExpected[i].name;
      EXPECT_EQ(columns[i].buffer, fetched[i]) << kExpected[i].name;
    }
    EXPECT_TRUE(errors.numbers().empty());
  }
}

// A bit or tiny integer is fetched as a 16-bit integer: its buffer holds two bytes
// whatever width the driver reports.
TEST(SqliteColumns, SmallIntegersGetRoomForTheirBufferType) {
  Sqlite db;
  ASSERT_TRUE(db.connected);
  ASSERT_EQ(db.exec("SELECT c_bit, c_tinyint FROM alltypes WHERE id = 1"), SQL_SUCCESS) << db.error();
  for (SQLUSMALLINT i = 1; i <= 2; i++) {
    SQLCHAR name[64];
    SQLSMALLINT nameLength, type, scale, nullable;
    SQLULEN precision;
    SQLDescribeCol(db.hstmt, i, name, sizeof name, &nameLength, &type, &precision, &scale, &nullable);
    SqlColumnShape shape = {type, scale, 1, static_cast<int32_t>(precision)};  // width 1, as ODBC gives it
    EXPECT_EQ(sqlBindCType(type), SQL_C_SHORT);
    EXPECT_EQ(sqlColumnBufferLength(&shape), 2) << name;
  }
}

// A stored value of a column and the shape its parameter is described with.
struct Stored {
  SqlColumnShape shape;
  uint16_t layer;
  int32_t word;
  std::vector<uint8_t> bytes;
  SQLLEN indicator;

  SqlValueSlot slot() {
    int32_t n = static_cast<int32_t>(bytes.size());
    return SqlValueSlot{layer, shape.odbcType, word, n, n, bytes.data(), 0};
  }
};

Stored decimal(int16_t odbcType, int precision, int scale, const char* text) {
  Stored s{{odbcType, static_cast<int16_t>(scale), precision, precision},
           BCV_DECIMAL,
           bcvDecimalWord(precision, scale),
           {},
           0};
  s.bytes.resize(bcvmaxlen(BCV_DECIMAL, s.word, 0));
  EXPECT_EQ(bcvNumberTextToDecimal(text, static_cast<int32_t>(strlen(text)), s.word, s.bytes.data()), 0);
  return s;
}

Stored dateTime(int16_t odbcType, int32_t word, const char* text) {
  int32_t length = odbcType == SQL_TIMESTAMP ? 26 : odbcType == SQL_DATE ? 10 : 8;
  return Stored{{odbcType, 0, length, length}, BCV_DATETIME, word, std::vector<uint8_t>(text, text + 26), 0};
}

// Binds stored values as the statement's parameters, through their parameter forms.
void bindStored(Sqlite& db, SqlConvChain* chain, std::vector<Stored>& values) {
  for (size_t k = 0; k < values.size(); k++) {
    Stored& v = values[k];
    SqlValueSlot slot = v.slot();
    SqlParamValue p;
    ASSERT_EQ(sqlParamColumnValue(chain, &slot, &p), 0);
    v.indicator = p.length;
    SQLRETURN rc = SQLBindParameter(db.hstmt, static_cast<SQLUSMALLINT>(k + 1), SQL_PARAM_INPUT, p.cType,
                                    p.sqlType, sqlfldtoODBCprecision(&v.shape), v.shape.scale,
                                    const_cast<void*>(p.data), 0, &v.indicator);
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << db.error();
  }
}

std::string textColumn(Sqlite& db, SQLUSMALLINT column) {
  char text[128] = "";
  SQLLEN length = 0;
  if (!SQL_SUCCEEDED(SQLGetData(db.hstmt, column, SQL_C_CHAR, text, sizeof text, &length))) return "error";
  return length == SQL_NULL_DATA ? "NULL" : text;
}

// Stored values passed back to the driver as parameters: decimals as text with
// SQL_NTS, dates, times and timestamps as the driver's structures from the conversion
// blocks, other values as their stored bytes.
TEST(SqliteParameters, StoredValuesPassedBack) {
  ThreadErrors errors;
  Sqlite db;
  ASSERT_TRUE(db.connected);
  ASSERT_EQ(db.exec("CREATE TEMP TABLE params(d DECIMAL(7,2), n NUMERIC(12,3), big BIGINT, dt DATE, tm TIME, "
                    "ts TIMESTAMP, c CHAR(5), i INTEGER)"),
            SQL_SUCCESS)
      << db.error();
  int32_t fortyTwo = 42;
  std::vector<Stored> values;
  values.push_back(decimal(SQL_DECIMAL, 7, 2, "-123.45"));
  values.push_back(decimal(SQL_NUMERIC, 12, 3, "12345.678"));
  values.push_back(decimal(SQL_BIGINT, 20, 0, "9876543210"));
  values.push_back(dateTime(SQL_DATE, 9, "2000-02-29 00:00:00.000000"));
  values.push_back(dateTime(SQL_TIME, (11 << 16) + 18, "0000-00-00 10:20:30.000000"));
  values.push_back(dateTime(SQL_TIMESTAMP, 25, "2000-02-29 12:34:56.125000"));
  values.push_back(Stored{{SQL_CHAR, 0, 5, 5}, BCV_CHAR, 5, {'a', 'b', 'c', ' ', ' '}, 0});
  values.push_back(Stored{
      {SQL_INTEGER, 0, 4, 10},
      BCV_LONG,
      4,
      std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&fortyTwo), reinterpret_cast<uint8_t*>(&fortyTwo) + 4),
      0});
  SqlConvChain chain = {};
  ASSERT_EQ(SQLPrepare(db.hstmt, (SQLCHAR*)"INSERT INTO params VALUES(?, ?, ?, ?, ?, ?, ?, ?)", SQL_NTS),
            SQL_SUCCESS)
      << db.error();
  bindStored(db, &chain, values);
  EXPECT_EQ(values[0].indicator, SQL_NTS);
  EXPECT_EQ(values[3].indicator, 6);
  EXPECT_EQ(values[5].indicator, 16);
  ASSERT_EQ(SQLExecute(db.hstmt), SQL_SUCCESS) << db.error();
  // Three decimal texts and three structures: the 40-byte blocks were chained.
  EXPECT_GE(chain.count, 3u);
  db.freshStatement();
  ASSERT_EQ(
      db.exec("SELECT CAST(d AS TEXT), CAST(n AS TEXT), CAST(big AS TEXT), dt, tm, ts, c, i FROM params"),
      SQL_SUCCESS)
      << db.error();
  ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
  const char* expected[] = {"-123.45",    "12345.678", "9876543210",
                            "2000-02-29", "10:20:30",  "2000-02-29 12:34:56.125",
                            "abc  ",      "42"};
  for (SQLUSMALLINT k = 1; k <= 8; k++) EXPECT_EQ(textColumn(db, k), expected[k - 1]) << k;
  db.freshStatement();
  sqlConvFree(&chain);

  // A decimal parameter finds its row by value: 12.50 sent as the text "12.50".
  std::vector<Stored> amount;
  amount.push_back(decimal(SQL_NUMERIC, 10, 2, "12.5"));
  ASSERT_EQ(SQLPrepare(db.hstmt, (SQLCHAR*)"SELECT id FROM numbered WHERE amount = ?", SQL_NTS), SQL_SUCCESS);
  bindStored(db, &chain, amount);
  EXPECT_STREQ(reinterpret_cast<const char*>(chain.blocks[0]->data), "12.50");
  ASSERT_EQ(SQLExecute(db.hstmt), SQL_SUCCESS) << db.error();
  ASSERT_EQ(SQLFetch(db.hstmt), SQL_SUCCESS);
  EXPECT_EQ(textColumn(db, 1), "10");
  EXPECT_EQ(SQLFetch(db.hstmt), SQL_NO_DATA);
  sqlConvFree(&chain);
  EXPECT_TRUE(errors.numbers().empty());
}

}  // namespace
