// The driver side of a connection record: the connection string the driver is given,
// the driver profile (what the driver can do, its types, reserved words, identifier
// characters, outer-join and lock syntax), the identifier rules that rest on the
// profile, and the driver-message service that turns an ODBC return code into the
// layer's status and error list.
#pragma once

#include "dbsql/sqlengine.h"

class JxString;
class JxSubString;

// Where a name stands: a column position, or a FROM clause (also checked against the
// FROM reserved words).
enum ClauseType { CLAUSE_COLUMN = 0, CLAUSE_FROM = 1 };

// Driver-specific information types that the layer's own drivers answer; other drivers
// have the same settings in the data source's section of "ODBC.INI".
enum CmgDriverInfo : uint16_t {
  CMG_INFO_RESERVED_WORDS = 1011,
  CMG_INFO_PSEUDO_COLUMNS = 1012,
  CMG_INFO_FROM_WORDS = 1013,
  CMG_INFO_WHERE_TERMINATORS = 1014,
  CMG_INFO_COLUMN_FIRST = 1015,
  CMG_INFO_COLUMN_MIDDLE = 1016,
  CMG_INFO_DELIMITERS = 1017,
  CMG_INFO_TABLE_FIRST = 1018,
  CMG_INFO_TABLE_MIDDLE = 1019,
  CMG_INFO_DICTIONARY = 1020,
  CMG_INFO_FAST_SPECIAL = 1021,
  CMG_INFO_ACCESS_CONFLICTS = 1022,
  CMG_INFO_LOCKING_SYNTAX = 1023,
  CMG_INFO_LOCKING_DURATION = 1024,
  CMG_INFO_CAPABILITY_BYTE = 1025,
  CMG_INFO_QUALIFIER_SYNTAX = 1026
};

// The driver-specific connection option that "ALLOWLOCKS=" asks for.
const SQLUSMALLINT CMG_OPTION_ALLOW_LOCKS = 1040;

// What the layer's own keywords of a connection string asked for.
struct CmgConnectRequest {
  uint16_t rereadAfterInsert;
  uint16_t rereadAfterUpdate;
  uint16_t allowLocks;
};

// Messages collected from the driver by SQLError.
struct CmgDriverMessages {
  char text[1024];     // the messages one after the other, cut at 1024 bytes
  int32_t nativeCode;  // the first non-zero one
  uint16_t length;
};

extern "C" {

// The connection string the driver is given: the text read as an attribute list (a
// keyword counts only at the start of an item; values, quoted or braced, are passed
// on untouched) with "DLG=" and "LOGN=" removed, "DRV=" turned into "DSN=", "DSN=" and
// the logon name appended when missing (2106 when logonName is null), "ModifySql=0;"
// appended when addModifySql is 1 and the text has none, and "REREADAFTERINSERT=",
// "REREADAFTERUPDATE=" and "ALLOWLOCKS=" removed into request. JxStatus.
JXSQL04_API JxStatus cmgRewriteConnectString(const char* connectString, const char* logonName,
                                             uint16_t addModifySql, JxString* out,
                                             CmgConnectRequest* request);

// The database kind code of a data-source name (CMG_DB_OTHER when the name says
// nothing; the profile then asks "JxDatabaseDriver").
JXSQL04_API uint16_t cmgDatabaseKindOfName(const char* sourceName);

// The driver profile of a connected handle: fills the record's flags, settings, types
// and names. JxStatus; on failure the record keeps what was made for the caller to free.
JXSQL04_API JxStatus cmgDriverProfile(cmg_capabilities* con, SQLHDBC hdbc, const char* sourceName,
                                      const char* userId, const char* databaseName);

// Reserved words merged: both lists sorted (byte order) and upper case; a word in
// both is taken once. The result holds at most ca + cb words; *count is set. Null on
// an allocation failure. Each word is a new copy (ramAlloc).
JXSQL04_API char** cmgMergeReservedWords(const char* const* a, uint16_t ca, const char* const* b, uint16_t cb,
                                         uint16_t* count);
// The built-in reserved words (sorted, 219 of them).
JXSQL04_API const char* const* cmgBuiltinReservedWords(uint16_t* count);

// Identifier rules of a connection.
JXSQL04_API short cmgIsReservedWord(const cmg_capabilities* con, const char* word, short clauseType);
JXSQL04_API short cmgValidCharacters(const cmg_capabilities* con, const char* name, short isColumn);
JXSQL04_API short cmgIsValidName(const cmg_capabilities* con, const char* name, short isColumn);
JXSQL04_API short cmgSpecialIsValidName(const cmg_capabilities* con, const char* name, short isColumn);
// Quotes, in place, each part of a qualified name that is not valid. size is the
// buffer's size: what does not fit is refused with 2109 and the name left as it was; a
// part that needs quotes on a driver without a quote character is refused with 2112.
JXSQL04_API JxStatus cmgMakeValidName(const cmg_capabilities* con, char* name, uint32_t size, short isColumn);
// For the SQL parser: the reserved-word test of a token, the pseudo column that a
// token names (null when none) and the WHERE-terminator test.
JXSQL04_API short cmgIsReservedToken(const cmg_capabilities* con, const JxSubString* token, short clauseType);
JXSQL04_API const char* cmgPseudoColumn(const cmg_capabilities* con, const JxSubString* token);
JXSQL04_API short cmgIsWhereTerminator(const cmg_capabilities* con, const JxSubString* token);

// The driver-message service: 0 when the call counts as successful, 1 otherwise.
JXSQL04_API int cmgSetDriverError(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt, SQLRETURN rc);
// Collects every message SQLError has for the handles into out and answers the kept
// SQLSTATE as a base-36 number (0 when there was none).
JXSQL04_API int32_t cmgCollectDriverMessages(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt,
                                             CmgDriverMessages* out);
// A five-character SQLSTATE read as a base-36 number (S1000 = 47075904).
JXSQL04_API int32_t cmgStateNumber(const char* state);
// An ODBC 3 state as its ODBC 2 form, in place (a state of another form is kept).
JXSQL04_API void cmgOdbc2State(char* state);

}  // extern "C"
