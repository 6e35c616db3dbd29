// The SQL parser's speed on a few thousand generated statements (selects with every
// clause, joins, set operations, parameter markers, inserts, updates, deletes) over
// the tables of the test database, against SQLPrepare of the same texts by the SQLite
// ODBC driver through the DSN "OrvanelTest", in one process:
//   sqlParse      sqlParse then sqlParseFree and ramFree of the rewritten text, over a
//                 profile the bench builds, and again over the profile of a logon to
//                 the DSN (the built-in reserved words, the driver's literal prefixes);
//   SQLPrepare    one statement handle, prepared again for each text. A statement the
//                 driver refuses still counts as prepared work; the refusals are shown.
// Each side runs the whole list several times and keeps its best pass.
//
//   sqlparse_bench [statements] [passes]
#include "dbsql/cmgenv.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"

#include <windows.h>

#include <sql.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

double seconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// A connection record with the profile of a plain SQL-92 source: the reserved words the
// parser looks for, double-quoted identifiers, upper-case names.
struct BenchConnection {
  BenchConnection() {
    memset(&con, 0, sizeof con);
    words = {"ALL",       "AND", "AS",    "BY",  "CONNECT", "DISTINCT", "EXCEPT", "FROM",   "GROUP", "HAVING",
             "INTERSECT", "IS",  "MINUS", "NOT", "NULL",    "OR",       "ORDER",  "SELECT", "UNION", "WHERE"};
    std::sort(words.begin(), words.end(), [](const char* a, const char* b) { return strcmp(a, b) < 0; });
    con.reservedWords = const_cast<char**>(words.data());
    con.reservedCount = static_cast<uint16_t>(words.size());
    con.fromReserved = const_cast<char*>("LEFT\0JOIN\0\0");
    con.quoteChar = '"';
    con.identifierCase = SQL_IC_UPPER;
    con.outerJoinSyntax = CMG_OJ_NONE;
    con.maxTableName = 18;
  }
  cmg_capabilities con;
  std::vector<const char*> words;
};

// Statements over the fixture's tables, the numbers varied so that no two texts repeat.
std::vector<std::string> makeStatements(size_t n) {
  static const char* const kShapes[] = {
      "SELECT id, label, amount FROM numbered WHERE id = %d",
      "SELECT id, label FROM numbered WHERE amount > %d ORDER BY label DESC",
      "SELECT DISTINCT name FROM unkeyed WHERE qty IS NOT NULL AND qty < %d",
      "SELECT name, SUM(qty) AS total FROM unkeyed GROUP BY name HAVING SUM(qty) > %d ORDER BY 2",
      "SELECT c.name, o.item, o.total * %d AS scaled FROM customers c, orders o "
      "WHERE c.cust_id = o.cust_id ORDER BY c.name, o.item",
      "SELECT customers.name, orders.total FROM {oj customers LEFT OUTER JOIN orders ON "
      "customers.cust_id = orders.cust_id} WHERE orders.total > %d OR orders.total IS NULL",
      "SELECT * FROM alltypes WHERE id = %d",
      "SELECT id, c_char, c_varchar, c_integer + %d, c_double FROM alltypes WHERE c_bit = 1",
      "SELECT id FROM numbered WHERE id < %d UNION SELECT cust_id FROM customers ORDER BY 1",
      "SELECT label FROM numbered WHERE id > %d UNION ALL SELECT name FROM unkeyed",
      "SELECT id, label FROM numbered WHERE id = ? AND amount > %d",
      "SELECT o.item, o.total FROM orders o WHERE o.cust_id = ? AND o.total BETWEEN ? AND %d",
      "SELECT COUNT(*) FROM orders WHERE item LIKE 'l%%' AND total < %d",
      "SELECT name, city FROM customers WHERE city IN ('Leeds', 'York') AND cust_id <> %d",
      "SELECT id, (SELECT MAX(total) FROM orders WHERE orders.cust_id = numbered.id) AS m "
      "FROM numbered WHERE id <= %d",
      "INSERT INTO unkeyed (name, qty) VALUES ('fig', %d)",
      "INSERT INTO numbered (id, label, amount) VALUES (?, ?, %d)",
      "UPDATE numbered SET amount = amount + %d WHERE id = ?",
      "UPDATE unkeyed SET qty = %d WHERE name = 'apple'",
      "DELETE FROM unkeyed WHERE qty = %d",
      "SELECT \"label\", \"amount\" FROM \"numbered\" WHERE \"id\" = %d",
      "SELECT id, body FROM longtext WHERE id = %d",
      "SELECT c.name, o.total FROM customers c LEFT JOIN orders o ON c.cust_id = o.cust_id "
      "WHERE o.total > %d OR o.total IS NULL",
      "SELECT c.name, o.item FROM customers c INNER JOIN orders o USING (cust_id) WHERE o.total < %d",
  };
  const size_t shapes = sizeof kShapes / sizeof kShapes[0];
  std::mt19937 rng(4003);
  std::vector<std::string> out;
  out.reserve(n);
  char buf[512];
  for (size_t i = 0; i < n; ++i) {
    snprintf(buf, sizeof buf, kShapes[i % shapes], static_cast<int>(rng() % 100000));
    out.push_back(buf);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  size_t n = argc > 1 ? strtoul(argv[1], nullptr, 10) : 4000;
  int passes = argc > 2 ? atoi(argv[2]) : 5;
  if (n == 0 || passes <= 0) {
    printf("usage: sqlparse_bench [statements] [passes]\n");
    return 2;
  }
  mdsPerThreadInit();
  JxErrorList errors(nullptr, 0);
  JxErrorKeeper::setErrorList(&errors);

  const std::vector<std::string> stmts = makeStatements(n);
  BenchConnection bc;

  // The parser, over a connection's profile: the best pass, the refusals of the last.
  size_t bytes = 0;
  for (const std::string& s : stmts) bytes += s.size();
  auto timeParse = [&](cmg_capabilities* con, size_t* refused, std::string* firstRefusal) {
    double best = 1e30;
    for (int p = 0; p < passes; ++p) {
      size_t failed = 0;
      double t0 = seconds();
      for (const std::string& s : stmts) {
        parsed_sql* parsed = nullptr;
        char* rewritten = nullptr;
        if (sqlParse(con, &parsed, s.c_str(), &rewritten, 0) != 0) {
          ++failed;
          if (firstRefusal->empty()) {
            JxError* e = JxErrorKeeper::getLastError();
            *firstRefusal =
                s + "\n    " + std::to_string(e ? e->getNumber() : 0) + " " + (e ? e->getText() : "");
          }
          continue;
        }
        sqlParseFree(parsed);
        ramFree(rewritten);
      }
      double t = seconds() - t0;
      best = std::min(best, t);
      *refused = failed;
      errors.deleteNodes();
    }
    return best;
  };
  size_t parseErrors = 0;
  std::string firstParseRefusal;
  const double bestParse = timeParse(&bc.con, &parseErrors, &firstParseRefusal);
  double bestDsnParse = 0;
  size_t dsnParseErrors = 0;
  std::string firstDsnRefusal;
  cmgInfo* cmg = cmgInit(CMG_API_CALLER);
  cmg_capabilities* dsn = cmg ? cmgLogon(cmg, nullptr, "DSN=OrvanelTest", 0) : nullptr;
  if (dsn) bestDsnParse = timeParse(dsn, &dsnParseErrors, &firstDsnRefusal);
  if (cmg) cmgTerm(cmg);
  errors.deleteNodes();

  // The driver.
  SQLHENV env = nullptr;
  SQLHDBC dbc = nullptr;
  SQLHSTMT stmt = nullptr;
  bool connected = false;
  if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env) == SQL_SUCCESS &&
      SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0) == SQL_SUCCESS &&
      SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc) == SQL_SUCCESS) {
    SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)"DSN=OrvanelTest", SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    connected = SQL_SUCCEEDED(rc) && SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) == SQL_SUCCESS;
  }
  double bestPrepare = 1e30;
  size_t prepareErrors = 0;
  std::string firstRefusal;
  if (connected) {
    for (int p = 0; p < passes; ++p) {
      size_t failed = 0;
      double t0 = seconds();
      for (const std::string& s : stmts) {
        SQLRETURN rc = SQLPrepare(stmt, (SQLCHAR*)s.c_str(), SQL_NTS);
        if (!SQL_SUCCEEDED(rc)) {
          ++failed;
          if (firstRefusal.empty()) {
            SQLCHAR state[6] = {0}, msg[256] = {0};
            SQLINTEGER native = 0;
            SQLSMALLINT len = 0;
            SQLGetDiagRec(SQL_HANDLE_STMT, stmt, 1, state, &native, msg, sizeof msg, &len);
            firstRefusal = s + "\n    " + (const char*)state + " " + (const char*)msg;
          }
        }
      }
      double t = seconds() - t0;
      bestPrepare = std::min(bestPrepare, t);
      prepareErrors = failed;
    }
  }
  if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  if (connected) SQLDisconnect(dbc);
  if (dbc) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  if (env) SQLFreeHandle(SQL_HANDLE_ENV, env);

  printf("%zu statements (%zu bytes), best of %d passes\n", n, bytes, passes);
  printf("%-12s %10s %14s %10s %10s\n", "", "seconds", "statements/s", "refused", "ratio");
  const double parseRate = n / bestParse;
  printf("%-12s %10.4f %14.0f %10zu %10s\n", "sqlParse", bestParse, parseRate, parseErrors, "1.00");
  if (!firstParseRefusal.empty()) printf("first parser refusal: %s\n", firstParseRefusal.c_str());
  if (dsn) {
    printf("%-12s %10.4f %14.0f %10zu %9.2fx\n", "sqlParse DSN", bestDsnParse, n / bestDsnParse,
           dsnParseErrors, bestDsnParse / bestParse);
    if (!firstDsnRefusal.empty())
      printf("first refusal over the DSN's profile: %s\n", firstDsnRefusal.c_str());
  }
  if (connected) {
    const double prepRate = n / bestPrepare;
    printf("%-12s %10.4f %14.0f %10zu %9.2fx\n", "SQLPrepare", bestPrepare, prepRate, prepareErrors,
           bestPrepare / bestParse);
    printf("(ratio: SQLPrepare's time over sqlParse's; refused statements count as prepared)\n");
    if (!firstRefusal.empty()) printf("first refusal: %s\n", firstRefusal.c_str());
  } else {
    printf("%-12s no connection to DSN=OrvanelTest (run scripts/setup-prefix.sh)\n", "SQLPrepare");
  }
  JxErrorKeeper::giveUpErrorList();
  errors.deleteNodes();
  return parseErrors || dsnParseErrors ? 1 : 0;
}
