// Inside the connection manager: the call bracket, lock guards, record helpers and the
// seam through which a new record is connected.
#pragma once

#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"

// Brackets an exported operation with the entry and leave hooks.
class CmgCall {
 public:
  explicit CmgCall(cmgInfo* env) : env_(env), refused_(sqlEnterHook(env) != 0) {}
  ~CmgCall() {
    if (!refused_) sqlLeaveHook(env_);
  }
  bool refused() const { return refused_; }

 private:
  cmgInfo* env_;
  bool refused_;
};

class CmgLock {
 public:
  explicit CmgLock(JxSemaphore* s) : s_(s) { s_->lock(); }
  ~CmgLock() { s_->unlock(); }
  CmgLock(const CmgLock&) = delete;
  CmgLock& operator=(const CmgLock&) = delete;

 private:
  JxSemaphore* s_;
};

// Connects a new record (its owner and logon name set) with the connection string and
// the prompt flags: on success its handles, data-source name, user id, flags and option
// defaults are set. JxStatus.
typedef JxStatus (*CmgConnector)(cmg_capabilities* con, const char* connectString, uint16_t promptFlags);
// Installs a connector and answers the one it replaces (null restores the driver's).
CmgConnector cmgSetConnector(CmgConnector connector);
// The driver connection through the driver manager.
JxStatus cmgDriverConnect(cmg_capabilities* con, const char* connectString, uint16_t promptFlags);

// Reads what the manager needs of a connected driver into the record (names, user,
// limits, identifier rules, file pattern, database) and sets the option defaults.
JxStatus cmgDescribeDriver(cmg_capabilities* con, SQLHDBC hdbc, const char* connectString);

// A zeroed record with its locks, owned by env but not in its list; null on failure.
cmg_capabilities* cmgNewRecord(cmgInfo* env);
// Frees everything the record owns, then the record (not unlinked here).
void cmgFreeRecord(cmg_capabilities* con);
// Logs the calling task off; forced (at termination) the record is freed whoever holds
// it and failures of the cache file or the disconnect do not stop it.
JxStatus cmgLogoffRecord(cmg_capabilities* con, bool forced);
// Option defaults of a freshly profiled connection.
void cmgSetOptionDefaults(cmg_capabilities* con);
// The environment's entry for a data source (ignoring case), or null.
const CmgDataSource* cmgFindSource(const cmgInfo* env, const char* name);

// The caller's bit in the holder and current sets.
inline uint64_t cmgTaskBit(const cmgInfo* env) { return uint64_t(1) << (env->taskNumber & 63); }

// "No <what> was given to <where>."; answers 1.
JxStatus cmgMissing(const char* what, const char* where);
// The value of "KEY=" in a connection string (keyword given in upper case, found at the
// start or after a ";", in any case), without blanks round it and without enclosing
// braces. 0 with out empty when absent; 1 when out cannot grow.
JxStatus cmgKeywordValue(const char* text, const char* keyword, JxString* out);
// The display name (information item 1).
JxStatus cmgDisplayName(const cmg_capabilities* con, JxString* out);
// A decimal number between min and max (blanks round it, one sign); false, with no
// message, for anything else.
bool cmgParseNumber(const char* text, long min, long max, long* out);
// The driver profile's types and literals freed.
void cmgFreeProfile(cmg_capabilities* con);
// The statement map freed (its handles are not touched).
void sqlFreeStatementMap(cmg_capabilities* con);
// Copies text into a caller's buffer of size bytes; 2109 when it does not fit.
JxStatus cmgCopyOut(const char* what, const char* text, char* buffer, uint32_t size);

// Reports a driver call's result: 0 for success (with information, the driver's
// warnings are added and the environment's CMG_LAST_INFO set), else 1 after the
// driver's errors were added: 4 with the driver's native code, 4535 without one,
// warnings as 4536; the text is the SQLSTATE, ": " and the driver's message.
JxStatus cmgDriverResult(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt, SQLRETURN rc);
