// Connection records: logon with sharing between tasks and running numbers, logoff,
// the current connection of a task, and finding a record from a name.
#include "cmgenv_internal.h"
#include "dbsql/sqlhstmt.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"

#include <ctype.h>
#include <string.h>

namespace {

CmgConnector g_connector = cmgDriverConnect;

bool same(const char* a, const char* b) { return strCompareCi(a ? a : "", b ? b : "") == 0; }

// Prompt flag 1: a record another task opened is shared when the connection string's
// "UID=" (if any) names the record's user and its "SRVR=" (if any) holds the record's
// data-source name.
bool shareable(const cmg_capabilities* con, const char* connectString, uint64_t bit, bool* failed) {
  if (con->holders & bit) return false;
  JxString uid, server, source;
  if (cmgKeywordValue(connectString, "UID=", &uid) || cmgKeywordValue(connectString, "SRVR=", &server) ||
      source.initialize(con->sourceName ? con->sourceName : "")) {
    *failed = true;
    return false;
  }
  if (uid.getLength() && !same(uid.c_str(), con->userId)) return false;
  if (server.getLength()) {
    char* upper = const_cast<char*>(source.c_str());
    for (char* p = upper; *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
    if (!cmgFindCi(server.c_str(), upper)) return false;
  }
  return true;
}

// Highest running number among the records of the same logon name (or, without one,
// of the same data source). Under the environment lock.
uint16_t highestNumber(const cmgInfo* env, const cmg_capabilities* con) {
  uint16_t highest = 0;
  bool byLogon = con->logonName && con->logonName[0];
  for (const cmg_capabilities* r = env->connections; r; r = r->next) {
    if (r == con) continue;
    bool match = byLogon ? same(r->logonName, con->logonName) : same(r->sourceName, con->sourceName);
    if (match && r->number > highest) highest = r->number;
  }
  return highest;
}

void freeText(char** text) {
  ramFree(*text);
  *text = nullptr;
}

}  // namespace

CmgConnector cmgSetConnector(CmgConnector connector) {
  CmgConnector old = g_connector;
  g_connector = connector ? connector : cmgDriverConnect;
  return old;
}

cmg_capabilities* cmgNewRecord(cmgInfo* env) {
  cmg_capabilities* con = static_cast<cmg_capabilities*>(ramAllocZ(sizeof(cmg_capabilities)));
  if (!con) return nullptr;
  con->owner = env;
  con->lock = new JxSemaphore;
  con->statementLock = new JxSemaphore;
  con->logonName = ramAllocStr("");
  if (!con->lock || !con->statementLock || !con->logonName) {
    cmgFreeRecord(con);
    return nullptr;
  }
  memcpy(con->version, "01", 3);
  con->compare = cmgCompareCi;
  con->tableCaching = CMG_CACHE_TEMPORARY;
  con->maxRows = 0xFFFFFFFFu;
  con->cursorOptions = CMG_CURSOR_DEFAULT;
  return con;
}

void cmgSetOptionDefaults(cmg_capabilities* con) {
  con->queryTimeout = 0;
  con->maxRows = 0xFFFFFFFFu;
  con->cursorOptions = CMG_CURSOR_DEFAULT;
  // Both additions hold 0x100: they are combined as bits, never carried into 0x200.
  if (con->flagsA & CMG_A_ACCESS_CONFLICTS) con->cursorOptions |= CMG_CURSOR_ACCESS_CONFLICTS;
  if (con->flagsA & CMG_A_ONE_STATEMENT) con->cursorOptions |= CMG_CURSOR_ONE_STATEMENT;
}

void cmgFreeRecord(cmg_capabilities* con) {
  if (!con) return;
  char** texts[] = {&con->connectString,    &con->qualifierSeparator, &con->filePattern,
                    &con->logonName,        &con->sourceName,         &con->userId,
                    &con->directory,        &con->connectUser,        &con->currentOwner,
                    &con->defaultOwner,     &con->columnFirstChars,   &con->columnChars,
                    &con->tableFirstChars,  &con->tableChars,         &con->fromReserved,
                    &con->whereTerminators, &con->pseudoColumns,      &con->cacheFile,
                    &con->currentDirectory, &con->databaseName};
  for (char** t : texts) freeText(t);
  freeText(&con->delimiters);
  if (con->reservedWords) {
    for (uint16_t i = 0; i < con->reservedCount; ++i) ramFree(con->reservedWords[i]);
    ramFree(con->reservedWords);
  }
  cmgFreeProfile(con);
  sqlFreeStatementMap(con);
  delete con->lock;
  delete con->statementLock;
  ramFree(con);
}

JxStatus cmgConnect(cmg_capabilities* con, const char* connectString, uint16_t promptFlags) {
  if (!con) return cmgMissing("connection", "cmgConnect");
  CmgCall call(con->owner);
  if (call.refused()) return 1;
  return g_connector(con, connectString ? connectString : "", promptFlags);
}

cmg_capabilities* cmgLogon(cmgInfo* env, const char* logonName, const char* connectString,
                           uint16_t promptFlags) {
  if (!env) {
    cmgMissing("environment", "cmgLogon");
    return nullptr;
  }
  CmgCall call(env);
  if (call.refused()) return nullptr;
  // The whole connection string, however long.
  JxString text, name;
  if (text.initialize(connectString ? connectString : "")) return nullptr;
  if (logonName && logonName[0]) {
    if (name.initialize(logonName)) return nullptr;
  } else if (cmgKeywordValue(text.c_str(), "LOGN=", &name)) {
    return nullptr;
  }

  uint64_t bit = cmgTaskBit(env);
  if (name.getLength()) {
    CmgLock lock(env->lock);
    for (cmg_capabilities* r = env->connections; r; r = r->next) {
      if (!same(r->logonName, name.c_str())) continue;
      bool failed = false;
      if ((promptFlags & CMG_PROMPT_SHARE) && shareable(r, text.c_str(), bit, &failed)) {
        r->holders |= bit;
        return r;
      }
      if (failed) return nullptr;
      if (r->flagsA & CMG_A_ONE_CONNECTION) {
        sqlErrorById(SQLMSG_LOGON_ONCE);
        return nullptr;
      }
    }
  }

  cmg_capabilities* con = cmgNewRecord(env);
  if (!con) return nullptr;
  if (name.getLength()) {
    ramFree(con->logonName);
    con->logonName = ramAllocStr(name.c_str());
    if (!con->logonName) {
      cmgFreeRecord(con);
      return nullptr;
    }
  }
  if (g_connector(con, text.c_str(), promptFlags)) {
    cmgFreeRecord(con);
    return nullptr;
  }

  CmgLock lock(env->lock);
  if (env->taskNumber != 0 && !(con->holders & 1)) {
    con->holders |= 1;
    con->flagsA |= CMG_A_HELD_FOR_TASK0;
  }
  con->number = static_cast<uint16_t>(highestNumber(env, con) + 1);
  con->next = env->connections;
  env->connections = con;
  con->holders |= bit;
  return con;
}

cmg_capabilities* cmgLogonWithODBCHdbc(cmgInfo* env, SQLHDBC hdbc) {
  if (!env) {
    cmgMissing("environment", "cmgLogonWithODBCHdbc");
    return nullptr;
  }
  CmgCall call(env);
  if (call.refused()) return nullptr;
  if (!hdbc) {
    cmgMissing("ODBC connection handle", "cmgLogonWithODBCHdbc");
    return nullptr;
  }
  cmg_capabilities* con = cmgNewRecord(env);
  if (!con) return nullptr;
  con->hdbc = con->spareHdbc = hdbc;
  con->connectString = ramAllocStr("");
  if (!con->connectString || cmgDescribeDriver(con, hdbc, "")) {
    con->hdbc = con->spareHdbc = nullptr;
    cmgFreeRecord(con);
    return nullptr;
  }
  CmgLock lock(env->lock);
  if (env->taskNumber != 0 && !(con->holders & 1)) {
    con->holders |= 1;
    con->flagsA |= CMG_A_HELD_FOR_TASK0;
  }
  con->number = 1;
  con->next = env->connections;
  env->connections = con;
  con->holders |= cmgTaskBit(env);
  return con;
}

// Logs the calling task off the record. The record is disconnected and freed only when
// no other task holds it (holder bit 0 set on another task's behalf does not count), or
// when forced; a record others still hold just loses the caller's bits. A record being
// freed leaves the list first, so that no logon shares it meanwhile; a plain logoff
// that fails puts it back unchanged.
JxStatus cmgLogoffRecord(cmg_capabilities* con, bool forced) {
  cmgInfo* env = con->owner;
  uint64_t bit = cmgTaskBit(env);
  {
    CmgLock envLock(env->lock);
    CmgLock conLock(con->lock);
    uint64_t rest = con->holders & ~bit;
    if ((con->flagsA & CMG_A_HELD_FOR_TASK0) && rest == 1) rest = 0;
    if (!forced && rest != 0) {
      con->holders &= ~bit;
      con->current &= ~bit;
      return 0;
    }
    for (cmg_capabilities** p = &env->connections; *p; p = &(*p)->next) {
      if (*p == con) {
        *p = con->next;
        break;
      }
    }
  }
  bool failed = false;
  {
    CmgLock conLock(con->lock);
    if (con->tableCaching != CMG_CACHE_KEEP && con->cacheFile && bosexist(con->cacheFile) &&
        bosFileDelete(con->cacheFile))
      failed = !forced;
    if (!failed && forced && con->transactionMode && con->hdbc && (con->flagsB & CMG_B_TRANSACTIONS))
      cmgDriverResult(env, con->hdbc, nullptr, SQLTransact(env->henv, con->hdbc, SQL_ROLLBACK));
  }
  // Every connection of the record and its statement map (the environment lock first).
  if (!failed && sqlCloseAllHdbc(con) && !forced) failed = true;
  if (!failed) con->hdbc = con->spareHdbc = nullptr;
  if (failed) {
    CmgLock envLock(env->lock);
    con->next = env->connections;
    env->connections = con;
    return 1;
  }
  cmgFreeRecord(con);
  return 0;
}

JxStatus cmgLogoff(cmg_capabilities* con) {
  if (!con) return cmgMissing("connection", "cmgLogoff");
  CmgCall call(con->owner);
  if (call.refused()) return 1;
  return cmgLogoffRecord(con, false);
}

void cmgSetCurrent(cmgInfo* env, cmg_capabilities* con) {
  if (!env) {
    cmgMissing("environment", "cmgSetCurrent");
    return;
  }
  CmgCall call(env);
  if (call.refused()) return;
  uint64_t bit = cmgTaskBit(env);
  CmgLock lock(env->lock);
  for (cmg_capabilities* r = env->connections; r; r = r->next) {
    r->current &= ~bit;
    if (r == con) r->current |= bit;
  }
}

cmg_capabilities* cmgGetCurrent(cmgInfo* env) {
  if (!env) {
    cmgMissing("environment", "cmgGetCurrent");
    return nullptr;
  }
  CmgCall call(env);
  if (call.refused()) return nullptr;
  uint64_t bit = cmgTaskBit(env);
  CmgLock lock(env->lock);
  for (cmg_capabilities* r = env->connections; r; r = r->next)
    if (r->current & bit) return r;
  return nullptr;
}

JxStatus cmgDisplayName(const cmg_capabilities* con, JxString* out) {
  const char* source = con->sourceName && con->sourceName[0] ? con->sourceName : con->logonName;
  if (out->initialize(source ? source : "")) return 1;
  if (con->number >= 2 && (out->concat(static_cast<unsigned long>(con->number)) || out->concat('-') ||
                           out->concat(con->sourceName ? con->sourceName : "")))
    return 1;
  return 0;
}

namespace {

// Mode 0: the text is a display name. It names the record when it equals the record's
// display name, or the same name built on the logon name instead of the data source.
bool namesRecord(const cmg_capabilities* con, const char* text, bool* failed) {
  JxString display;
  if (cmgDisplayName(con, &display)) {
    *failed = true;
    return false;
  }
  if (same(display.c_str(), text)) return true;
  if (!con->logonName || !con->logonName[0]) return false;
  JxString byLogon;
  if (byLogon.initialize(con->logonName) ||
      (con->number >= 2 && (byLogon.concat(static_cast<unsigned long>(con->number)) || byLogon.concat('-') ||
                            byLogon.concat(con->sourceName ? con->sourceName : "")))) {
    *failed = true;
    return false;
  }
  return same(byLogon.c_str(), text);
}

// Mode 2: the file name's extension is one of the record's "*.ext" patterns, which are
// separated by "," or ";".
bool matchesPattern(const cmg_capabilities* con, const char* fileName) {
  if (!con->filePattern) return false;
  const char* dot = strrchr(fileName, '.');
  if (!dot || strpbrk(dot, "\\/:")) return false;
  const char* ext = dot + 1;
  size_t extLength = strlen(ext);
  for (const char* p = con->filePattern; *p;) {
    size_t n = strcspn(p, ",;");
    const char* e = static_cast<const char*>(memchr(p, '.', n));
    if (e) {
      ++e;
      size_t len = n - static_cast<size_t>(e - p);
      while (len && e[len - 1] == ' ') --len;
      if (len == extLength &&
          strCompareCi(e, static_cast<uint32_t>(len), ext, static_cast<uint32_t>(extLength)) == 0)
        return true;
    }
    p += n;
    if (*p) ++p;
  }
  return false;
}

}  // namespace

cmg_capabilities* cmgConFromString(cmgInfo* env, uint16_t mode, const char* text) {
  if (!env) {
    cmgMissing("environment", "cmgConFromString");
    return nullptr;
  }
  CmgCall call(env);
  if (call.refused()) return nullptr;
  if (!text) {
    cmgMissing("name", "cmgConFromString");
    return nullptr;
  }
  if (mode > CMG_FIND_SOURCE_NAME) {
    *sqlErrorById(SQLMSG_INVALID_VALUE) << "connection look-up mode" << static_cast<unsigned long>(mode);
    return nullptr;
  }
  uint64_t bit = cmgTaskBit(env);
  CmgLock lock(env->lock);
  for (cmg_capabilities* r = env->connections; r; r = r->next) {
    bool visible = (r->flagsA & CMG_A_FILE_DRIVER) || (r->holders & bit);
    bool failed = false;
    switch (mode) {
      case CMG_FIND_DISPLAY_NAME:
        if (namesRecord(r, text, &failed)) return r;
        if (failed) return nullptr;
        break;
      case CMG_FIND_LOGON_NAME:
        if (visible && same(r->logonName, text)) return r;
        break;
      case CMG_FIND_FILE_NAME:
        if (matchesPattern(r, text)) return r;
        break;
      case CMG_FIND_SOURCE_NAME:
        if (visible && same(r->sourceName, text)) return r;
        break;
    }
  }
  return nullptr;
}
