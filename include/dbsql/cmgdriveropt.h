// Thin services on an open connection that pass through to ODBC: raw SQLGetInfo, the
// driver manager's tracing and trace file, the transaction isolation level and the
// levels the driver supports; and the literal prefix and suffix that the driver wants
// round date and bit constants (the literal table of the driver profile).
//
// The ODBC calls run on the primary handle under the connection lock; a failure adds
// the driver's messages and answers 1. Out-parameters are written only on success.
#pragma once

#include "dbsql/sqlengine.h"

// The level word of cmgSetIsolationLevel: an ODBC isolation level (SQL_TXN_*) in the
// low 12 bits, and a request for the driver's row locks.
enum CmgIsolationLevel : uint16_t {
  CMG_ISOLATION_LEVEL_BITS = 0xFFF,
  CMG_ISOLATION_LOCKS = 0x1000  // driver-specific option 1040 (CMG_OPTION_ALLOW_LOCKS) set to 1
};

extern "C" {

// SQLGetInfo with the arguments as given.
JXSQL04_API JxStatus cmgODBCGetInfo(cmg_capabilities* con, uint16_t infoType, void* buffer,
                                    int16_t bufferLength, int16_t* outLength);
// The driver manager's trace file (SQL_OPT_TRACEFILE; the name is handed over as it is)
// and its tracing switch (SQL_OPT_TRACE).
JXSQL04_API JxStatus cmgSetDriverTracefile(cmg_capabilities* con, const char* fileName);
JXSQL04_API JxStatus cmgSetDriverTracing(cmg_capabilities* con, uint16_t on);
// Sets SQL_TXN_ISOLATION to the level's low 12 bits, then option 1040 to 1 with
// CMG_ISOLATION_LOCKS and to 0 without (not checked). When the level was taken, the
// locking duration is read again (flags B 0x200 / 0x400): the driver's answer to
// information type 1024, else the data source's "JxLockingDuration" in "ODBC.INI",
// else 1. The status is that of the isolation call.
JXSQL04_API JxStatus cmgSetIsolationLevel(cmg_capabilities* con, uint16_t level);
// SQL_TXN_ISOLATION's low 16 bits.
JXSQL04_API JxStatus cmgGetIsolationLevel(cmg_capabilities* con, uint16_t* level);
// SQL_TXN_ISOLATION_OPTION's low 16 bits (a mask of SQL_TXN_* levels).
JXSQL04_API JxStatus cmgGetSupportedIsolationLevels(cmg_capabilities* con, uint16_t* mask);

// The literal prefix (suffix) that the driver reported for the first type of sqlType
// with one, or null when the driver reported none. No lock: the table is fixed once the
// connection is profiled.
JXSQL04_API const char* cmgLiteralPrefix(cmg_capabilities* con, int16_t sqlType);
JXSQL04_API const char* cmgLiteralSuffix(cmg_capabilities* con, int16_t sqlType);

}  // extern "C"
