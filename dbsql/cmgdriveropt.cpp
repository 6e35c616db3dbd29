// Driver options of an open connection (information, tracing, isolation levels) and
// the literal prefixes and suffixes of its types.
#include "dbsql/cmgdriveropt.h"

#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"

namespace {

const char kSettingsFile[] = "ODBC.INI";

// Runs f (answering an ODBC return code) on the primary handle under the connection
// lock and reports its result through the driver-message service; then, on success,
// after(), still under the lock.
template <class F, class G>
JxStatus driverCall(cmg_capabilities* con, const char* where, F f, G after) {
  if (!con) return cmgMissing("connection", where);
  CmgCall call(con->owner);
  if (call.refused()) return 1;
  CmgLock lock(con->lock);
  if (cmgSetDriverError(con->owner, con->hdbc, nullptr, f(con->hdbc))) return 1;
  after();
  return 0;
}

template <class F>
JxStatus driverCall(cmg_capabilities* con, const char* where, F f) {
  return driverCall(con, where, f, [] {});
}

// The locking duration again, as the driver profile reads it: the driver's answer,
// else the data source's setting, else 1. Under the connection lock.
void rereadLockingDuration(cmg_capabilities* con) {
  SQLUSMALLINT answer = 0;
  SQLRETURN rc = SQLGetInfo(con->hdbc, CMG_INFO_LOCKING_DURATION, &answer, sizeof answer, nullptr);
  long duration = answer;
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
    duration =
        GetPrivateProfileIntA(con->sourceName ? con->sourceName : "", "JxLockingDuration", 1, kSettingsFile);
  con->flagsB &= ~static_cast<uint32_t>(CMG_B_LOCK_DURATION1 | CMG_B_LOCK_DURATION2);
  if (duration == 1) con->flagsB |= CMG_B_LOCK_DURATION1;
  if (duration == 2) con->flagsB |= CMG_B_LOCK_DURATION2;
}

const CmgLiteral* literalOf(const cmg_capabilities* con, int16_t sqlType) {
  if (!con || !con->literals) return nullptr;
  for (uint16_t i = 0; i < con->literalCount; ++i)
    if (con->literals[i].sqlType == sqlType) return &con->literals[i];
  return nullptr;
}

}  // namespace

JxStatus cmgODBCGetInfo(cmg_capabilities* con, uint16_t infoType, void* buffer, int16_t bufferLength,
                        int16_t* outLength) {
  return driverCall(con, "cmgODBCGetInfo", [&](SQLHDBC hdbc) {
    return SQLGetInfo(hdbc, infoType, buffer, bufferLength, outLength);
  });
}

JxStatus cmgSetDriverTracefile(cmg_capabilities* con, const char* fileName) {
  if (!fileName) return cmgMissing("trace file name", "cmgSetDriverTracefile");
  return driverCall(con, "cmgSetDriverTracefile", [&](SQLHDBC hdbc) {
    return SQLSetConnectOption(hdbc, SQL_OPT_TRACEFILE, reinterpret_cast<SQLULEN>(fileName));
  });
}

JxStatus cmgSetDriverTracing(cmg_capabilities* con, uint16_t on) {
  return driverCall(con, "cmgSetDriverTracing", [&](SQLHDBC hdbc) {
    return SQLSetConnectOption(hdbc, SQL_OPT_TRACE, on ? SQL_OPT_TRACE_ON : SQL_OPT_TRACE_OFF);
  });
}

JxStatus cmgSetIsolationLevel(cmg_capabilities* con, uint16_t level) {
  if (!con) return cmgMissing("connection", "cmgSetIsolationLevel");
  CmgCall call(con->owner);
  if (call.refused()) return 1;
  CmgLock lock(con->lock);
  SQLRETURN rc = SQLSetConnectOption(con->hdbc, SQL_TXN_ISOLATION, level & CMG_ISOLATION_LEVEL_BITS);
  // The isolation call's messages are collected before the next call clears them.
  JxStatus status = cmgSetDriverError(con->owner, con->hdbc, nullptr, rc) ? 1 : 0;
  // Drivers without the option refuse it; that is no failure of the level.
  SQLSetConnectOption(con->hdbc, CMG_OPTION_ALLOW_LOCKS, (level & CMG_ISOLATION_LOCKS) ? 1 : 0);
  if (!status) rereadLockingDuration(con);
  return status;
}

JxStatus cmgGetIsolationLevel(cmg_capabilities* con, uint16_t* level) {
  if (!level) return cmgMissing("level", "cmgGetIsolationLevel");
  // Some driver managers write a whole SQLULEN for integer options.
  SQLULEN value = 0;
  return driverCall(
      con, "cmgGetIsolationLevel",
      [&](SQLHDBC hdbc) { return SQLGetConnectOption(hdbc, SQL_TXN_ISOLATION, &value); },
      [&] { *level = static_cast<uint16_t>(value & 0xFFFF); });
}

JxStatus cmgGetSupportedIsolationLevels(cmg_capabilities* con, uint16_t* mask) {
  if (!mask) return cmgMissing("mask", "cmgGetSupportedIsolationLevels");
  SQLUINTEGER value = 0;
  return driverCall(
      con, "cmgGetSupportedIsolationLevels",
      [&](SQLHDBC hdbc) { return SQLGetInfo(hdbc, SQL_TXN_ISOLATION_OPTION, &value, sizeof value, nullptr); },
      [&] { *mask = static_cast<uint16_t>(value & 0xFFFF); });
}

// An entry with only one of the two keeps an empty text for the other: none.
const char* cmgLiteralPrefix(cmg_capabilities* con, int16_t sqlType) {
  const CmgLiteral* l = literalOf(con, sqlType);
  return l && l->prefix && l->prefix[0] ? l->prefix : nullptr;
}

const char* cmgLiteralSuffix(cmg_capabilities* con, int16_t sqlType) {
  const CmgLiteral* l = literalOf(con, sqlType);
  return l && l->suffix && l->suffix[0] ? l->suffix : nullptr;
}
