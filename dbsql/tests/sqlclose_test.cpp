// Closing queries on the SQLite DSN, on the objects of the library: the first rows kept
// by a truncating close, a close for executing again, a deferred close while log changes
// are pending, and every way of closing giving back what the query owned (the heap's
// chunk counts back where they started).
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlfetch.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kSqlite = "DSN=OrvanelTest";
const char* const kRows = "SELECT id, label FROM numbered ORDER BY id";

uint32_t chunksInUse() {
  uint32_t n = 0;
  for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
  return n;
}

// A query opened with a row log (logMode 3) or without (1) and executed.
sql_qry* executed(cmg_capabilities* con, const char* text, uint16_t logMode) {
  sql_qry* q = nullptr;
  uint32_t rows = 0;
  if (sqlOpen(con, nullptr, text, SQLOPEN_PARSE, 12, 8, &q)) return nullptr;
  if (sqlLogOptions(q, logMode) || sqlXExecute(q, &rows)) {
    sqlClose(q);
    return nullptr;
  }
  return q;
}

int32_t id(const sql_qry* q) {
  int32_t v = 0;
  memcpy(&v, q->columns[0]->value, 4);
  return v;
}

bool linked(const cmg_capabilities* con, const sql_qry* q) {
  for (const sql_qry* p = static_cast<const sql_qry*>(con->queries); p; p = p->next)
    if (p == q) return true;
  return false;
}

TEST(Close, TruncateKeepsTheFirstRows) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  sql_qry* q = executed(l.con, kRows, 3);
  ASSERT_TRUE(q) << errors.lastText();
  ASSERT_EQ(sqlXFetch(q, 10), 0) << errors.lastText();
  ASSERT_EQ(sqlCloseTruncate(q, 5), 0) << errors.lastText();
  EXPECT_EQ(q->hstmt, nullptr);
  EXPECT_EQ(q->rowCount, 5u);
  ASSERT_EQ(sqlXFetch(q, 3), 0) << errors.lastText();
  EXPECT_EQ(id(q), 3);
  ASSERT_EQ(sqlXFetch(q, 8), 0) << errors.lastText();  // the last row kept
  EXPECT_EQ(q->currentRow, 5u);
  EXPECT_EQ(id(q), 5);
  EXPECT_EQ(sqlClose(q), 0);

  // More rows than were read, without the cursor that could read them: the rows read.
  q = executed(l.con, kRows, 1);
  ASSERT_TRUE(q) << errors.lastText();
  ASSERT_EQ(sqlXFetch(q, 10), 0) << errors.lastText();
  ASSERT_EQ(sqlCloseTruncate(q, 200), 0) << errors.lastText();
  EXPECT_EQ(q->rowCount, 10u);
  errors.clear();
  EXPECT_EQ(sqlXFetch(q, 11), 1);
  EXPECT_EQ(errors.last(), SQLMSG_EOF);
  EXPECT_EQ(id(q), 10);
  EXPECT_EQ(sqlClose(q), 0);
}

TEST(Close, CloseQueryThenFetchIsRefused) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  sql_qry* q = executed(l.con, kRows, 3);
  ASSERT_TRUE(q) << errors.lastText();
  ASSERT_EQ(sqlXFetch(q, 2), 0) << errors.lastText();
  ASSERT_EQ(sqlCloseQuery(q), 0) << errors.lastText();
  EXPECT_EQ(q->hstmt, nullptr);
  EXPECT_TRUE(q->flags & SQLQ_HANDLES_DROPPED);
  EXPECT_EQ(sqlCloseQuery(q), 0);  // nothing left to drop
  EXPECT_EQ(sqlXFetch(q, 1), 1);
  EXPECT_EQ(errors.last(), 4532);
  EXPECT_EQ(sqlClose(q), 0);
}

TEST(Close, ForReExecute) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  sql_qry* q = executed(l.con, kRows, 3);
  ASSERT_TRUE(q) << errors.lastText();
  ASSERT_EQ(sqlXFetch(q, 10), 0) << errors.lastText();
  ASSERT_EQ(sqlCloseForReExecute(q), 0) << errors.lastText();
  EXPECT_EQ(q->hstmt, nullptr);
  EXPECT_EQ(q->columns, nullptr);
  EXPECT_EQ(q->columnCount, 0);
  EXPECT_EQ(q->currentRow, 0u);
  EXPECT_TRUE(q->flags & SQLQ_HANDLES_DROPPED);
  EXPECT_FALSE(q->flags & SQLQ_PREPARED);
  EXPECT_TRUE(linked(l.con, q));
  errors.clear();
  EXPECT_EQ(sqlXFetch(q, 1), 1);
  EXPECT_EQ(errors.last(), 4532);
  // Executed again: a new result from its first row.
  uint32_t rows = 0;
  ASSERT_EQ(sqlXExecute(q, &rows), 0) << errors.lastText();
  ASSERT_EQ(q->columnCount, 2);
  ASSERT_EQ(sqlXFetch(q, 3), 0) << errors.lastText();
  EXPECT_EQ(id(q), 3);
  ASSERT_EQ(sqlXFetch(q, 300), 0) << errors.lastText();
  EXPECT_EQ(id(q), 300);
  EXPECT_EQ(sqlClose(q), 0);
}

// A close while log changes wait for the end of a transaction only marks the query and
// drops its handles; further closes do nothing until the transaction is applied, which
// closes it for good. (The pending-change tree and the transaction itself come with the
// transaction code.)
TEST(Close, DeferredWhileChangesPending) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  sql_qry* q = executed(l.con, kRows, 3);
  ASSERT_TRUE(q) << errors.lastText();
  ASSERT_EQ(sqlXFetch(q, 3), 0) << errors.lastText();
  sql_qry_fld* label = q->columns[1];
  label->flags |= SQLC_CHANGED;
  ASSERT_EQ(sqlLogStoreValue("third", 5, label, q), 0) << errors.lastText();
  ASSERT_EQ(sqlLogRewriteRow(q, 3), 0) << errors.lastText();
  label->flags &= ~SQLC_CHANGED;
  ASSERT_EQ(q->logJournalCount, 1u);

  ASSERT_EQ(sqlClose(q), 0) << errors.lastText();
  EXPECT_TRUE(linked(l.con, q));
  EXPECT_TRUE(q->flags & SQLQ_CLOSE_DEFERRED);
  EXPECT_EQ(q->hstmt, nullptr);
  for (auto close : {sqlClose, sqlCloseForReExecute, sqlCloseQuery}) {
    EXPECT_EQ(close(q), 0);
    EXPECT_TRUE(linked(l.con, q));
    EXPECT_EQ(q->columnCount, 2);
  }
  EXPECT_EQ(sqlCloseTruncate(q, 1), 0);
  EXPECT_NE(q->rowCount, 1u);
  // The logged rows are still there to commit or take back.
  ASSERT_EQ(sqlXFetch(q, 2), 1);  // no cursor any more
  ASSERT_EQ(sqlLogReadRow(q, 3), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(label->value), 5), "third");

  // The end of the transaction: the journal written, the close done for good.
  sqlLogJournalDiscard(q);
  const uint16_t mode = l.con->transactionMode;
  l.con->transactionMode = SQLLOG_APPLYING;
  EXPECT_EQ(sqlClose(q), 0) << errors.lastText();
  l.con->transactionMode = mode;
  EXPECT_EQ(l.con->queries, nullptr);
}

// Each way of closing, after a query has read rows (long values in its log and in column
// buffers, parameters), gives back every chunk the query took.
TEST(Close, EveryCloseFreesWhatTheQueryOwns) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_TRUE(env);
  cmg_capabilities* con = cmgLogon(env, nullptr, kSqlite, 0);
  ASSERT_TRUE(con) << errors.lastText();
  struct Way {
    const char* name;
    std::function<JxStatus(sql_qry*)> before;
  } ways[] = {
      {"close", [](sql_qry*) { return JxStatus(0); }},
      {"close query, close", sqlCloseQuery},
      {"truncate, close", [](sql_qry* q) { return sqlCloseTruncate(q, 2); }},
      {"for re-execute, close", sqlCloseForReExecute},
      {"for re-execute, execute, close",
       [](sql_qry* q) {
         uint32_t rows = 0;
         return sqlCloseForReExecute(q) || sqlXExecute(q, &rows) || sqlXFetch(q, 2);
       }},
  };
  const char* texts[] = {"SELECT id, body FROM memos WHERE id >= ?first ORDER BY id",
                         "SELECT m.id, m.body, n.label FROM memos m, numbered n WHERE n.id = m.id"};
  for (int warm = 0; warm < 2; ++warm) {
    for (const Way& w : ways) {
      for (const char* text : texts) {
        for (uint16_t logMode : {uint16_t(3), uint16_t(1)}) {
          SCOPED_TRACE(std::string(w.name) + " / " + text + (logMode == 3 ? " / logged" : " / no log"));
          const uint32_t before = chunksInUse();
          sql_qry* q = nullptr;
          ASSERT_EQ(sqlOpen(con, nullptr, text, SQLOPEN_PARSE, 12, 8, &q), 0) << errors.lastText();
          ASSERT_EQ(sqlLogOptions(q, logMode), 0);
          if (q->paramCount) {
            const int32_t first = 1, length = 4;
            ASSERT_EQ(sqlBindSetParam(q, 0, 0, &first, BCV_LONG, &length, 0), 0) << errors.lastText();
          }
          uint32_t rows = 0;
          ASSERT_EQ(sqlXExecute(q, &rows), 0) << errors.lastText();
          ASSERT_EQ(sqlXFetch(q, 4), 0) << errors.lastText();
          char* memo = nullptr;
          uint16_t length = 0;
          ASSERT_EQ(sqlGetMemo(q, 2, &memo, &length), 0) << errors.lastText();
          ramFree(memo);
          ASSERT_EQ(w.before(q), 0) << errors.lastText();
          ASSERT_EQ(sqlClose(q), 0) << errors.lastText();
          EXPECT_EQ(con->queries, nullptr);
          // The first round leaves what the connection keeps for later statements.
          if (warm) {
            EXPECT_EQ(chunksInUse(), before);
          }
        }
      }
    }
  }
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
  EXPECT_EQ(cmgTerm(env), 0);
}

}  // namespace
