// The row log's speed on rows of a table the bench makes in a SQLite database of its own
// (in the ODBC folder of the Wine prefix, through the "SQLite3" driver), in one process:
//   plain      SQLExecDirect, then SQLFetch and SQLGetData of every column per row: the
//              cost of the driver alone;
//   forward    a logging query positioned on rows 1..n: fetched, normalised, appended
//              to the log and indexed;
//   backward   the same query positioned on rows n..1, read from the log;
//   random     n positions in a seeded random order, read from the log.
// Rows per second for each, and each against the plain loop.
//
//   rowlog_bench [rows]
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"

#include <windows.h>

#include <sql.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>

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

const char* const kSelect = "SELECT id, label, amount, note FROM bench ORDER BY id";

bool run(SQLHDBC hdbc, const char* text) {
  SQLHSTMT h = nullptr;
  if (SQLAllocStmt(hdbc, &h) != SQL_SUCCESS) return false;
  SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)text, SQL_NTS);
  SQLFreeStmt(h, SQL_DROP);
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA_FOUND;
}

// The plain driver loop: answers the rows read.
uint32_t plainLoop(SQLHDBC hdbc) {
  SQLHSTMT h = nullptr;
  if (SQLAllocStmt(hdbc, &h) != SQL_SUCCESS) return 0;
  uint32_t rows = 0;
  if (SQLExecDirect(h, (SQLCHAR*)kSelect, SQL_NTS) == SQL_SUCCESS) {
    char text[256];
    SQLINTEGER id = 0;
    SQLLEN got = 0;
    while (SQLFetch(h) == SQL_SUCCESS) {
      SQLGetData(h, 1, SQL_C_LONG, &id, 4, &got);
      SQLGetData(h, 2, SQL_C_CHAR, text, sizeof text, &got);
      SQLGetData(h, 3, SQL_C_CHAR, text, sizeof text, &got);
      SQLGetData(h, 4, SQL_C_CHAR, text, sizeof text, &got);
      ++rows;
    }
  }
  SQLFreeStmt(h, SQL_DROP);
  return rows;
}

void report(const char* name, uint32_t rows, double t, double plain) {
  const double rate = rows / t;
  printf("%-9s %8u rows %8.3f s %12.0f rows/s  %6.2fx the plain loop's time\n", name, rows, t, rate,
         plain > 0 ? t / plain : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t n = argc > 1 ? static_cast<uint32_t>(atol(argv[1])) : 100000;
  mdsPerThreadInit();
  JxErrorList errors(nullptr, 1);
  JxErrorKeeper::setErrorList(&errors);
  const char* dir = getenv("ODBCSYSINI");
  if (!dir) {
    fprintf(stderr,
            "rowlog_bench: ODBCSYSINI is not set (run it in the prefix of scripts/setup-prefix.sh)\n");
    return 2;
  }
  const std::string connect = std::string("DRIVER=SQLite3;Database=") + dir + "/rowlog_bench.db";
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  cmg_capabilities* con = env ? cmgLogon(env, nullptr, connect.c_str(), 0) : nullptr;
  if (!con) {
    JxError* e = JxErrorKeeper::getLastError();
    fprintf(stderr, "rowlog_bench: no logon (%s)\n", e ? e->getText() : "");
    return 1;
  }
  const std::string fill = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           std::to_string(n) +
                           ") INSERT INTO bench SELECT i, 'row ' || i, i * 1.25, substr(hex(randomblob(60)), "
                           "1, 20 + i % 100) FROM n";
  if (!run(con->hdbc, "DROP TABLE IF EXISTS bench") ||
      !run(con->hdbc,
           "CREATE TABLE bench(id INTEGER PRIMARY KEY, label VARCHAR(20), amount NUMERIC(10,2), "
           "note VARCHAR(200))") ||
      !run(con->hdbc, fill.c_str())) {
    fprintf(stderr, "rowlog_bench: the table could not be made\n");
    return 1;
  }

  double t = seconds();
  const uint32_t plainRows = plainLoop(con->hdbc);
  const double plain = seconds() - t;
  report("plain", plainRows, plain, plain);

  sql_qry* q = nullptr;
  uint32_t unused = 0;
  if (sqlOpen(con, nullptr, kSelect, SQLOPEN_PARSE, 22, 26, &q) || sqlLogOptions(q, 3) ||
      sqlXExecute(q, &unused) || sqlLogInit(q)) {
    JxError* e = JxErrorKeeper::getLastError();
    fprintf(stderr, "rowlog_bench: the query failed (%s)\n", e ? e->getText() : "");
    return 1;
  }
  bool ok = true;
  t = seconds();
  for (uint32_t r = 1; r <= n && ok; ++r) ok = sqlLogPosition(q, r) == 0 && q->currentRow == r;
  report("forward", n, seconds() - t, plain);
  t = seconds();
  for (uint32_t r = n; r >= 1 && ok; --r) ok = sqlLogPosition(q, r) == 0 && q->currentRow == r;
  report("backward", n, seconds() - t, plain);
  std::vector<uint32_t> order(n);
  std::mt19937 random(20261211);
  for (uint32_t& r : order) r = 1 + random() % n;
  t = seconds();
  for (uint32_t i = 0; i < n && ok; ++i) ok = sqlLogPosition(q, order[i]) == 0 && q->currentRow == order[i];
  report("random", n, seconds() - t, plain);
  if (!ok) {
    JxError* e = JxErrorKeeper::getLastError();
    fprintf(stderr, "rowlog_bench: positioning failed (%s)\n", e ? e->getText() : "");
  }
  sqlFreeQuery(q);
  cmgTerm(env);
  JxErrorKeeper::giveUpErrorList();
  errors.deleteNodes();
  mdsPerThreadTerm();
  return ok ? 0 : 1;
}
