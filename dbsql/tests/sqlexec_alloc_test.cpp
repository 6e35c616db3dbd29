// Parameters, substitution, execution and the table names under allocation failures, on
// the objects of the library: each allocation fails in turn on the SQLite DSN; every
// failure answers 1 and the heap's chunk counts show that nothing stays allocated.
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlparam.h"
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

// Values of every kind given to a query over two tables, its text substituted, its table
// names listed, then an insertion executed with pieces sent at execution.
JxStatus giveSubstituteExecute(cmg_capabilities* con) {
  sql_qry* q = nullptr;
  if (sqlOpen(con, nullptr,
              "SELECT c.name FROM customers c, orders o WHERE c.cust_id = ?k OR o.cust_id = ?k "
              "OR c.name = ? OR o.order_id = ? OR c.city = ?",
              SQLOPEN_PARSE, 0, 0, &q))
    return 1;
  const int32_t four = 4, three = 3, five = 5, ten = 10;
  const int32_t key = 7;
  const uint8_t amount[] = {0x01, 0x23, 0x4C};
  char* text = nullptr;
  SqlTableList* names = nullptr;
  JxStatus st = sqlBindSetParam(q, 0, 0, &key, BCV_LONG, &four, 0) ||
                sqlBindSetParam(q, 2, 0, "O'Bri", BCV_VARCHAR, &five, 0) ||
                sqlBindSetParam(q, 2, 0, "en", BCV_VARCHAR, &three, 0) ||
                sqlBindSetParam(q, 3, 0, amount, BCV_DECIMAL, &three, 2) ||
                sqlXSetParam(q, "yyyy", SQLP_KIND_DATE, 5, nullptr, "2026-12-11") ||
                sqlSetParamNull(q, 3, 0, 0, 0) ||
                sqlBindSetParam(q, 4, 0, "2026-12-11", BCV_VARCHAR, &ten, 0) ||
                !(text = sqlSubstitute(q, q->parsedText)) || sqlNames(q, &names);
  ramFree(text);
  if (sqlFreeQuery(q)) st = 1;
  if (st) return 1;
  if (sqlOpen(con, nullptr, "INSERT INTO pieces VALUES(?)", SQLOPEN_PARSE, 0, 0, &q)) return 1;
  uint32_t rows = 0;
  st = sqlBindSetParam(q, 0, 0, "abc", BCV_VARCHAR, &three, 0) ||
       sqlBindSetParam(q, 0, 0, "def", BCV_VARCHAR, &three, 0) || sqlXExecute(q, &rows) || sqlReExecute(q);
  if (sqlFreeQuery(q)) st = 1;
  return st;
}

TEST(ExecAllocation, EveryFailureFreesWhatWasMade) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_TRUE(env);
  cmg_capabilities* con = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_TRUE(con) << errors.lastText();
  ASSERT_EQ(sqlXExecDirect(con, "CREATE TEMP TABLE pieces(body TEXT)"), 0) << errors.lastText();
  ASSERT_EQ(giveSubstituteExecute(con), 0) << errors.lastText();
  errors.clear();
  const uint32_t before = chunksInUse();
  bool succeeded = false;
  int failures = 0;
  for (int skip = 0; skip < 3000 && !succeeded; ++skip) {
    jxram::failHeapAllocs(skip, 1);
    const JxStatus st = giveSubstituteExecute(con);
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
  EXPECT_GT(failures, 30);
  EXPECT_EQ(cmgTerm(env), 0);
}

}  // namespace
