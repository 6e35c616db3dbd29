// Statement handles and the extra connections behind them. Every statement of the
// layer is allocated and freed here. In single-statement mode (one active statement
// per connection, more than one connection) a statement that finds no free connection
// gets a new one, opened with the completed connection string; the statement map
// says which connection each statement runs on, and one free connection is kept as
// the spare (possibly the primary one itself).
#include "dbsql/sqlhstmt.h"

#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxtree.h"

#include <string.h>

namespace {

JxTree* mapOf(const cmg_capabilities* con) { return static_cast<JxTree*>(con->statementMap); }

bool transactionOpen(const cmg_capabilities* con) { return con->transactionMode != 0; }

// Disconnects and frees a connection, reporting what fails. JxStatus.
JxStatus closeHdbc(cmgInfo* env, SQLHDBC hdbc) {
  JxStatus status = cmgSetDriverError(env, hdbc, nullptr, SQLDisconnect(hdbc)) ? 1 : 0;
  if (!status) status = cmgSetDriverError(env, nullptr, nullptr, SQLFreeConnect(hdbc)) ? 1 : 0;
  return status;
}

// A new connection to the same data source (under the environment lock).
JxStatus openExtraHdbc(cmg_capabilities* con, SQLHDBC* out) {
  cmgInfo* env = con->owner;
  SQLHDBC hdbc = nullptr;
  SQLRETURN rc = SQLAllocConnect(env->henv, &hdbc);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    cmgSetDriverError(env, nullptr, nullptr, rc);
    return 1;
  }
  if (env->loginTimeout) SQLSetConnectOption(hdbc, SQL_LOGIN_TIMEOUT, env->loginTimeout);
  SQLCHAR completed[513];
  SQLSMALLINT length = 0;
  rc = SQLDriverConnect(
      hdbc, nullptr,
      reinterpret_cast<SQLCHAR*>(con->connectString ? con->connectString : const_cast<char*>("")), SQL_NTS,
      completed, sizeof completed, &length, SQL_DRIVER_NOPROMPT);
  if (cmgSetDriverError(env, hdbc, nullptr, rc)) {
    SQLFreeConnect(hdbc);
    return 1;
  }
  // A database switched on the primary connection is switched on the new one too; only
  // drivers that switch with "USE " have such a switch.
  char qualifier[256] = "";
  if ((con->flagsB & CMG_B_USE_STATEMENT) &&
      SQLGetConnectOption(con->hdbc, SQL_CURRENT_QUALIFIER, qualifier) == SQL_SUCCESS && qualifier[0]) {
    qualifier[sizeof qualifier - 1] = 0;
    JxString text;
    SQLHSTMT use = nullptr;
    bool failed = text.initialize("USE ") || text.concat(qualifier) ||
                  cmgSetDriverError(env, hdbc, nullptr, SQLAllocStmt(hdbc, &use));
    if (!failed) {
      failed =
          cmgSetDriverError(
              env, hdbc, use,
              SQLExecDirect(use, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS)) != 0;
      SQLFreeStmt(use, SQL_DROP);
    }
    if (failed) {
      SQLDisconnect(hdbc);
      SQLFreeConnect(hdbc);
      return 1;
    }
  }
  *out = hdbc;
  return 0;
}

// The connection for a new statement in single-statement mode (both locks held).
JxStatus chooseHdbc(cmg_capabilities* con, uint16_t mode, SQLHDBC* out) {
  bool txn = transactionOpen(con);
  if (mode == SQL_HSTMT_PRIMARY) {
    if (!txn && con->spareHdbc) {
      con->hdbc = con->spareHdbc;
      con->spareHdbc = nullptr;
      *out = con->hdbc;
      return 0;
    }
    if (txn) {
      if (con->spareHdbc == con->hdbc) con->spareHdbc = nullptr;
      *out = con->hdbc;
      return 0;
    }
    if (openExtraHdbc(con, out)) return 1;
    con->hdbc = *out;
    return 0;
  }
  if (con->spareHdbc && !(con->spareHdbc == con->hdbc && txn)) {
    *out = con->spareHdbc;
    con->spareHdbc = nullptr;
    return 0;
  }
  return openExtraHdbc(con, out);
}

// A connection whose statement was freed: kept as the spare, or closed when there is one.
JxStatus releaseHdbc(cmg_capabilities* con, SQLHDBC hdbc) {
  if (!hdbc) return 0;
  if (hdbc != con->hdbc) {
    if (con->spareHdbc) return closeHdbc(con->owner, hdbc);
    con->spareHdbc = hdbc;
    return 0;
  }
  JxStatus status = 0;
  if (con->spareHdbc && con->spareHdbc != con->hdbc) status = closeHdbc(con->owner, con->spareHdbc);
  con->spareHdbc = con->hdbc;
  return status;
}

JxStatus lookup(cmg_capabilities* con, SQLHDBC* out, SQLHSTMT hstmt) {
  *out = nullptr;
  if (!sqlSingleStatementMode(con)) {
    *out = con->hdbc;
    return 0;
  }
  JxTree* map = mapOf(con);
  if (!map) return 0;
  unsigned int found = 0;
  SQLHDBC hdbc = nullptr;
  if (map->getData(&hstmt, &hdbc, &found)) return 1;
  if (found) *out = hdbc;
  return 0;
}

}  // namespace

short sqlSingleStatementMode(const cmg_capabilities* con) {
  return con && (con->flagsA & CMG_A_ONE_STATEMENT) && !(con->flagsA & CMG_A_ONE_CONNECTION);
}

JxStatus sqlAllocHstmt(cmg_capabilities* con, SQLHSTMT* out, uint16_t mode) {
  if (!con) return cmgMissing("connection", "sqlAllocHstmt");
  if (!out) return cmgMissing("statement handle", "sqlAllocHstmt");
  *out = nullptr;
  cmgInfo* env = con->owner;
  bool single = sqlSingleStatementMode(con) != 0;
  // Lock order: the environment (shared by every connection opened) before the record.
  if (single) env->lock->lock();
  JxStatus status = 0;
  {
    CmgLock lock(con->lock);
    SQLHDBC hdbc = con->hdbc;
    if (single && chooseHdbc(con, mode, &hdbc)) {
      status = 1;
    } else if (!hdbc) {
      status = cmgMissing("connection handle", "sqlAllocHstmt");
    } else {
      SQLHSTMT hstmt = nullptr;
      if (cmgSetDriverError(env, hdbc, nullptr, SQLAllocStmt(hdbc, &hstmt))) {
        if (single) releaseHdbc(con, hdbc);
        status = 1;
      } else {
        JxTree* map = mapOf(con);
        if (!map) {
          // With deletion marks: a leaf's last statement can be removed.
          map = new JxTree(sizeof(SQLHSTMT), sizeof(SQLHDBC), nullptr, 1);
          con->statementMap = map;
        }
        unsigned int found = 0;
        if (!map || map->add(&hstmt, &hdbc, &found)) {
          SQLFreeStmt(hstmt, SQL_DROP);
          if (single) releaseHdbc(con, hdbc);
          status = 1;
        } else {
          *out = hstmt;
        }
      }
    }
  }
  if (single) env->lock->unlock();
  return status;
}

JxStatus sqlLookupHdbc(cmg_capabilities* con, SQLHDBC* out, SQLHSTMT hstmt) {
  if (!con || !out) return cmgMissing("connection", "sqlLookupHdbc");
  CmgLock lock(con->lock);
  return lookup(con, out, hstmt);
}

JxStatus sqlLookupHdbcLocked(cmg_capabilities* con, SQLHDBC* out, SQLHSTMT hstmt) {
  if (!con || !out) return cmgMissing("connection", "sqlLookupHdbcLocked");
  return lookup(con, out, hstmt);
}

JxStatus sqlDropHstmt(cmg_capabilities* con, SQLHSTMT hstmt, SQLUSMALLINT option) {
  if (!con) return cmgMissing("connection", "sqlDropHstmt");
  if (!hstmt) return cmgMissing("statement handle", "sqlDropHstmt");
  cmgInfo* env = con->owner;
  bool single = sqlSingleStatementMode(con) != 0;
  if (single) env->lock->lock();
  JxStatus status = 0;
  {
    CmgLock lock(con->lock);
    SQLHDBC hdbc = nullptr;
    status = lookup(con, &hdbc, hstmt);
    SQLRETURN rc = SQLFreeStmt(hstmt, option);
    // A dropped statement has no messages of its own any more: its connection's count.
    if (!status && cmgSetDriverError(env, hdbc, option == SQL_DROP ? nullptr : hstmt, rc)) status = 1;
    // Only a dropped statement gives its connection back; a closed one keeps it.
    if (!status && option == SQL_DROP) {
      if (single) status = releaseHdbc(con, hdbc);
      JxTree* map = mapOf(con);
      unsigned int found = 0;
      if (!status && map) status = map->deleteKey(&hstmt, &found);
    }
  }
  if (single) env->lock->unlock();
  return status;
}

JxStatus sqlFreeHstmtUnder(JxSemaphore* lock, cmg_capabilities* con, SQLHSTMT hstmt, SQLUSMALLINT option) {
  if (!con || !lock) return cmgMissing("connection", "sqlFreeHstmtUnder");
  CmgLock hold(lock);
  return sqlCheckHstmt(con, option == SQL_DROP ? nullptr : hstmt, SQLFreeStmt(hstmt, option)) ? 1 : 0;
}

JxStatus sqlCloseAllHdbc(cmg_capabilities* con) {
  if (!con) return cmgMissing("connection", "sqlCloseAllHdbc");
  cmgInfo* env = con->owner;
  CmgLock envLock(env->lock);
  CmgLock lock(con->lock);
  // Each connection once: the primary (when the record opened it), the spare, then
  // those only the map knows.
  SQLHDBC closed[64];
  unsigned closedCount = 0;
  auto close = [&](SQLHDBC hdbc) -> JxStatus {
    if (!hdbc) return 0;
    for (unsigned i = 0; i < closedCount; ++i)
      if (closed[i] == hdbc) return 0;
    if (closedCount < sizeof closed / sizeof closed[0]) closed[closedCount++] = hdbc;
    return closeHdbc(env, hdbc);
  };
  if (!con->ownsHdbc && con->hdbc) closed[closedCount++] = con->hdbc;
  // Statements still allocated are dropped first: some driver managers refuse to
  // disconnect a connection that has any. Their connections follow.
  JxTree* map = mapOf(con);
  uint32_t count = map ? map->getKeyCount() : 0;
  struct Pair {
    SQLHSTMT hstmt;
    SQLHDBC hdbc;
  };
  Pair* pairs = count ? static_cast<Pair*>(ramAlloc(count * sizeof(Pair))) : nullptr;
  if (count && !pairs) return 1;
  uint32_t n = 0;
  if (map) {
    SQLHSTMT hstmt = nullptr;
    SQLHDBC hdbc = nullptr;
    unsigned int found = 0;
    JxStatus walk = map->getFirst(&hstmt, &hdbc, &found);
    while (!walk && found && n < count) {
      pairs[n].hstmt = hstmt;
      pairs[n++].hdbc = hdbc;
      walk = map->getNext(&hstmt, &hdbc, &found);
    }
    if (walk) {
      ramFree(pairs);
      return 1;
    }
  }
  JxStatus status = 0;
  for (uint32_t i = 0; i < n && !status; ++i)
    status = cmgSetDriverError(env, pairs[i].hdbc, nullptr, SQLFreeStmt(pairs[i].hstmt, SQL_DROP)) ? 1 : 0;
  if (!status) status = close(con->hdbc) || close(con->spareHdbc);
  for (uint32_t i = 0; i < n && !status; ++i) status = close(pairs[i].hdbc);
  ramFree(pairs);
  if (status) return 1;
  sqlFreeStatementMap(con);
  con->hdbc = con->spareHdbc = nullptr;
  return 0;
}

uint32_t sqlHstmtCount(const cmg_capabilities* con) {
  JxTree* map = con ? mapOf(con) : nullptr;
  return map ? map->getKeyCount() : 0;
}

void sqlFreeStatementMap(cmg_capabilities* con) {
  delete mapOf(con);
  con->statementMap = nullptr;
}

int sqlCheckHstmtLocked(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc) {
  if (rc == SQL_SUCCESS) return cmgSetDriverError(con ? con->owner : nullptr, nullptr, nullptr, rc);
  SQLHDBC hdbc = nullptr;
  if (con) lookup(con, &hdbc, hstmt);
  return cmgSetDriverError(con ? con->owner : nullptr, hdbc, hstmt, rc);
}

int sqlCheckHstmt(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc) {
  if (rc == SQL_SUCCESS || !con) return sqlCheckHstmtLocked(con, hstmt, rc);
  CmgLock lock(con->lock);
  return sqlCheckHstmtLocked(con, hstmt, rc);
}

int sqlCheckHstmtUnlock(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc) {
  int result = sqlCheckHstmtLocked(con, hstmt, rc);
  if (con) con->lock->unlock();
  return result;
}

int32_t sqlHstmtState(cmg_capabilities* con, SQLHSTMT hstmt) {
  if (!con) return -1;
  SQLHDBC hdbc = nullptr;
  {
    CmgLock lock(con->lock);
    if (lookup(con, &hdbc, hstmt) || !hdbc) return -1;
  }
  CmgDriverMessages* m = static_cast<CmgDriverMessages*>(ramAlloc(sizeof(CmgDriverMessages)));
  if (!m) return -1;
  int32_t state = cmgCollectDriverMessages(con->owner, hdbc, hstmt, m);
  ramFree(m);
  return state;
}
