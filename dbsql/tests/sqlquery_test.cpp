// The query object on real connections: opening, parsing and describing the columns of
// the SQLite fixture through the driver manager; the scripted driver where SQLite cannot
// answer (attribute 1002 refused, unknown column types, native text retries).
#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlquery.h"
#include "fake_driver.h"
#include "pg_support.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

struct Logon {
  explicit Logon(const std::string& connect) : env(cmgInit(CMG_API_CALLER)) {
    if (env) con = cmgLogon(env, nullptr, connect.c_str(), 0);
  }
  ~Logon() {
    if (env) {
      EXPECT_EQ(cmgTerm(env), 0);
    }
  }
  cmgInfo* env;
  cmg_capabilities* con = nullptr;
};

// A query freed at the end of the scope.
struct Query {
  ~Query() {
    if (q) {
      EXPECT_EQ(sqlFreeQuery(q), 0);
    }
  }
  sql_qry* operator->() const { return q; }
  sql_qry* q = nullptr;
};

TEST(QueryDump, Sqlite) {
  ThreadErrors errors;
  Logon l("DSN=OrvanelTest");
  ASSERT_TRUE(l.con);
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT * FROM alltypes", 1, 22, 26, &q.q), 0) << errors.lastText();
  ASSERT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    printf("%-12s type %d prec %d scale %d len %d xfer %d flags %#x layer %u vs %u buf %u tn %s sel %s\n",
           f->driverName, f->odbcType, f->precision, f->scale, f->length, f->transferLength, f->flags,
           f->layerType, f->valueSize, f->bufferSize, f->typeName, f->selectText);
  }
}

}  // namespace
