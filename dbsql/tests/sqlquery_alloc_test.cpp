// The query object under allocation failures, on the objects of the library: each
// allocation of opening, describing (select list, table list) and copying a query over
// two tables fails in turn on the SQLite DSN; every failure answers 1 with no query, and
// the heap's chunk counts show that nothing stays allocated.
#include "dbsql/cmgenv.h"
#include "dbsql/sqlquery.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

namespace {

uint32_t chunksInUse() {
  uint32_t n = 0;
  for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
  return n;
}

// Opens, describes and copies; both queries freed. 1 at the first failure.
JxStatus openDescribeCopy(cmg_capabilities* con, const char* sql) {
  sql_qry* q = nullptr;
  if (sqlOpen(con, nullptr, sql, SQLOPEN_PARSE, 22, 26, &q)) {
    EXPECT_EQ(q, nullptr);
    return 1;
  }
  sql_qry* c = nullptr;
  JxStatus st = sqlSetupColumnInfo(q) || q->copy(&c);
  if (st) {
    EXPECT_EQ(c, nullptr);
  }
  sqlFreeQuery(c);
  sqlFreeQuery(q);
  return st;
}

TEST(QueryAllocation, EveryFailureFreesWhatWasMade) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_TRUE(env);
  cmg_capabilities* con = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_TRUE(con) << errors.lastText();
  const char* sql = "SELECT *, c.name AS who FROM customers c, orders o WHERE c.cust_id = ?id ORDER BY 1";
  // Once whole, so that what the connection keeps for later statements is made.
  ASSERT_EQ(openDescribeCopy(con, sql), 0) << errors.lastText();
  errors.clear();
  const uint32_t before = chunksInUse();
  bool succeeded = false;
  int failures = 0;
  for (int skip = 0; skip < 2000 && !succeeded; ++skip) {
    jxram::failHeapAllocs(skip, 1);
    const JxStatus st = openDescribeCopy(con, sql);
    jxram::failHeapAllocs(0, 0);
    if (st == 0)
      succeeded = true;
    else
      ++failures;
    errors.clear();
    ASSERT_EQ(chunksInUse(), before) << "skip " << skip;
    ASSERT_EQ(con->queries, nullptr) << "skip " << skip;
  }
  EXPECT_TRUE(succeeded);
  EXPECT_GT(failures, 20);
  EXPECT_EQ(cmgTerm(env), 0);
}

}  // namespace
