// Records shared by the whole SQL engine: the environment record cmgInfo (one per user
// of the database library) and the connection record cmg_capabilities, with their
// flag sets. These records live in memory only; nothing of them is stored.
#pragma once

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include "dbsql/jxsql04_api.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/jxstring.h"

struct cmg_capabilities;

// Bits of cmgInfo::callerFlags (the argument of cmgInit).
enum CmgCallerFlags {
  CMG_READ_ONLY = 2,   // every new connection is read-only
  CMG_API_CALLER = 8,  // the database API's environment
  CMG_LAST_INFO = 16   // the last checked driver call answered SQL_SUCCESS_WITH_INFO
};

// Bits of CmgDataSource::flags.
enum CmgSourceFlags { CMG_SOURCE_PROFILED = 8, CMG_SOURCE_DIRECTORY = 16 };

// Capability flags, word A.
enum CmgFlagsA : uint32_t {
  CMG_A_UCASE = 0x1,         // an upper-case string function exists
  CMG_A_RANDOM_FETCH = 0x2,  // absolute fetches with SQLExtendedFetch
  CMG_A_PROFILE_DONE = 0x4,
  CMG_A_FILE_DRIVER = 0x8,   // the data source has a file pattern
  CMG_A_DRIVER_BITS = 0x10,  // the driver capability byte has bits 3-7
  CMG_A_SET_PARAM = 0x40,    // SQLSetParam exists
  CMG_A_NO_FILE_PATTERN = 0x80,
  CMG_A_SOURCE_UNPROFILED = 0x100,   // while profiling: the source entry lacks flag 8
  CMG_A_ONE_CONNECTION = 0x1000,     // SQL_ACTIVE_CONNECTIONS is 1
  CMG_A_NOT_NULLABLE_TYPE = 0x2000,  // some type is not nullable
  CMG_A_HELD_FOR_TASK0 = 0x4000,     // holder bit 0 was set for another task's logon
  CMG_A_PRIMARY_KEYS = 0x8000,       // SQLPrimaryKeys exists
  CMG_A_ROLLBACK_CLOSES = 0x20000,   // cursors do not survive a rollback
  CMG_A_FAST_SPECIAL = 0x40000,      // fast special columns setting 1-65534
  CMG_A_COMMIT_CLOSES = 0x80000,     // cursors do not survive a commit
  CMG_A_PROCEDURES = 0x200000,       // SQLProcedures exists
  CMG_A_ACCESS_CONFLICTS = 0x400000,
  CMG_A_WIDE_DECIMAL = 0x800000,        // decimals of more than 15 digits
  CMG_A_ONE_STATEMENT = 0x1000000,      // SQL_ACTIVE_STATEMENTS is 1
  CMG_A_NO_OWNERS = 0x20000000,         // SQL_MAX_OWNER_NAME_LEN is 0
  CMG_A_SOURCE_DIRECTORY = 0x40000000,  // the source entry has flag 16
  CMG_A_PROFILED = 0x80000000u
};

// Capability flags, word B.
enum CmgFlagsB : uint32_t {
  CMG_B_TRANSACTIONS = 0x1,
  CMG_B_DRIVER_BIT7 = 0x8,  // bits of the driver capability byte
  CMG_B_DRIVER_BIT6 = 0x10,
  CMG_B_DRIVER_BIT4 = 0x20,
  CMG_B_DRIVER_BIT3 = 0x40,
  CMG_B_DRIVER_BIT5 = 0x80,
  CMG_B_HOLDLOCK = 0x100,  // locking syntax "HOLDLOCK"
  CMG_B_LOCK_DURATION1 = 0x200,
  CMG_B_LOCK_DURATION2 = 0x400,
  CMG_B_USE_STATEMENT = 0x800,  // databases are switched with "USE "
  CMG_B_REREAD_INSERT = 0x1000,
  CMG_B_REREAD_UPDATE = 0x2000,
  CMG_B_ROLLBACK_NOT_PRESERVE = 0x4000,
  CMG_B_COMMIT_NOT_PRESERVE = 0x8000,
  CMG_B_ROLLBACK_CLOSE = 0x10000,
  CMG_B_COMMIT_CLOSE = 0x20000,
  CMG_B_DICTIONARY = 0x100000,  // data dictionary extensions
  CMG_B_FILE_PATTERN = 0x200000,
  CMG_B_DATABASE_IS_A = 0x400000,
  CMG_B_PLACE_CHANGED = 0x800000,  // current directory or database was changed
  CMG_B_SET_POS = 0x1000000,       // SQLSetPos exists
  CMG_B_REMOVE_COMMENTS = 0x2000000,
  CMG_B_NO_SQL_COLUMNS = 0x4000000  // use-SQL-columns setting is 0
};

// Database kind codes, from the data-source name or "JxDatabaseDriver".
enum CmgDatabaseKind : uint16_t {
  CMG_DB_TEXT = 3,
  CMG_DB_DBASE = 4,
  CMG_DB_SS = 5,
  CMG_DB_EE = 6,
  CMG_DB_EXCEL = 7,
  CMG_DB_ORA = 8,
  CMG_DB_PDX = 9,
  CMG_DB_DB2 = 10,
  CMG_DB_XQL = 11,
  CMG_DB_BTRIEVE = 12,
  CMG_DB_ING = 13,
  CMG_DB_XDB = 14,
  CMG_DB_GUP = 15,
  CMG_DB_INF = 16,
  CMG_DB_PRO = 17,
  CMG_DB_TDM = 18,
  CMG_DB_OTHER = 19
};

// Outer-join syntax: one form, plus CMG_OJ_STAR when the driver writes "*=" or "=*".
enum CmgOuterJoinSyntax : uint16_t { CMG_OJ_NONE = 0, CMG_OJ_OUTER = 1, CMG_OJ_STAR = 2, CMG_OJ_PLUS = 4 };

// Attribute flags of a type table entry.
enum CmgTypeAttributes : uint16_t {
  CMG_TYPE_UNSIGNED = 1,
  CMG_TYPE_MONEY = 2,
  CMG_TYPE_NULLABLE = 4,
  CMG_TYPE_CASE_SENSITIVE = 8
};

// One type of the driver (a row of SQLGetTypeInfo), in the driver's order.
struct CmgTypeEntry {
  int16_t sqlType;
  uint16_t searchable;
  int32_t precision;    // -1 when the driver gave none
  uint16_t attributes;  // CmgTypeAttributes
  char* name;
  char* createParams;  // null when the driver gave an empty text
};

// A literal form of a type whose literals need a prefix or suffix.
struct CmgLiteral {
  int16_t sqlType;
  char* prefix;
  char* suffix;
};

// Table-name caching modes.
enum CmgTableCaching {
  CMG_CACHE_KEEP = 1,       // a cache file that outlives the connection
  CMG_CACHE_TEMPORARY = 2,  // deleted at logoff (the default)
  CMG_CACHE_NONE = 3
};

// The cursor options word: bits 0-6 are the cursor options, bits 7-13 the options of
// drivers with one active statement per connection.
enum CmgCursorOptions : uint16_t {
  CMG_CURSOR_DEFAULT = 105,
  CMG_CURSOR_ACCESS_CONFLICTS = 0x100,
  CMG_CURSOR_ONE_STATEMENT = 0x2D00,
  CMG_CURSOR_BITS = 0x7F,
  CMG_ONE_HSTMT_BITS = 0x3F80
};

// Bits of cmg_capabilities::qualifierSyntax.
enum CmgQualifierSyntax {
  CMG_QUALIFIER_AFTER = 1,  // the qualifier follows the name
  CMG_QUALIFIER_DOUBLE = 2  // qualifier, separator and a second separator
};

// Prompt flags of cmgLogon.
enum CmgPromptFlags {
  CMG_PROMPT_SHARE = 1,  // share a record another task opened
  CMG_PROMPT_COMPLETE = 2,
  CMG_PROMPT_ALWAYS = 8
};

// Modes of cmgConFromString.
enum CmgFindMode {
  CMG_FIND_DISPLAY_NAME = 0,
  CMG_FIND_LOGON_NAME = 1,
  CMG_FIND_FILE_NAME = 2,
  CMG_FIND_SOURCE_NAME = 3
};

// Items of cmgGetInfo and cmgSetInfo.
enum CmgInfoItem {
  CMG_INFO_DISPLAY_NAME = 1,
  CMG_INFO_TABLE_TERM = 2,
  CMG_INFO_TABLE_LIST = 3,
  CMG_INFO_OWNER_TERM = 4,
  CMG_INFO_OWNER_LIST = 5,
  CMG_INFO_DATABASE = 6,
  CMG_INFO_OWNER = 7,
  CMG_INFO_QUALIFIED_OWNER = 8,
  CMG_INFO_USER = 9,
  CMG_INFO_OWNER_TABLE = 10,
  CMG_INFO_QUALIFIED_TABLE = 11,
  CMG_INFO_QUALIFIER_LAST = 12,
  CMG_INFO_BRACKETED = 13,
  CMG_INFO_EXTENSION = 14,
  CMG_INFO_UCASE_FUNCTION = 15,
  CMG_INFO_FILE_PATTERN = 16,
  CMG_INFO_OWNER_AGAIN = 17,
  CMG_INFO_DATABASE_AGAIN = 18,
  CMG_INFO_QUALIFIED_OWNER_AGAIN = 19
};

// One data source known to the driver manager.
struct CmgDataSource {
  char* name;
  char* filePattern;  // "*.ext" patterns from the description's "(*." ... ")", or null
  uint8_t flags;      // CmgSourceFlags
};

// The environment record.
struct cmgInfo {
  cmg_capabilities* connections;  // newest first
  void* owned;                    // freed at termination
  HWND window;                    // parent of driver prompts
  SQLHENV henv;
  CmgDataSource* sources;
  uint32_t loginTimeout;
  JxSemaphore* lock;     // the environment lock
  uint16_t callerFlags;  // CmgCallerFlags
  char dllPrefix[2];
  uint16_t sourceCount;
  uint16_t taskNumber;  // 0..63: the caller's bit in holder and current sets
  uint16_t addModifySql;
  uint16_t one;  // 1 at creation
  // Kept for the database API (its settings): the API behaviour level, the escape
  // processing switch and the default connection attributes (owned).
  uint16_t revision;
  uint16_t escapeProcessing;
  char* defaultConnect;
};

typedef short (*CmgCompareFn)(const char* a, const char* b);

// The connection record.
struct cmg_capabilities {
  cmgInfo* owner;
  cmg_capabilities* next;
  SQLHDBC hdbc;  // primary connection
  SQLHDBC spareHdbc;
  void* statementMap;
  char* connectString;      // completed by the driver
  uint32_t flagsA, flagsB;  // CmgFlagsA, CmgFlagsB
  uint64_t holders;         // one bit per task that logged on
  uint64_t current;         // one bit per task whose current connection this is
  char* qualifierSeparator;
  CmgLiteral* literals;  // literalCount of them
  char* filePattern;
  char* logonName;  // empty text when none was given
  char* sourceName;
  char* userId;     // upper case
  char* directory;  // file drivers: directory or database name
  char* connectUser;
  char* currentOwner;
  char* defaultOwner;
  char version[3];  // "01"
  CmgCompareFn compare;
  void* queries;  // open query objects
  char* columnFirstChars;
  char* columnChars;
  char* tableFirstChars;
  char* tableChars;
  char** reservedWords;    // sorted, upper case; reservedCount of them
  char* fromReserved;      // texts, each ended by a zero; an empty text ends the list
  char* whereTerminators;  // as fromReserved
  char* pseudoColumns;     // as fromReserved
  uint32_t queryTimeout;
  char* cacheFile;   // table-name cache file, or null
  uint32_t maxRows;  // 0xFFFFFFFF: no limit
  char* currentDirectory;
  char* databaseName;
  CmgTypeEntry* types;  // typeCount of them
  JxSemaphore* lock;    // the connection lock
  JxSemaphore* statementLock;
  uint16_t lockOptions;
  uint16_t autoUpdate;
  uint16_t longestChar;
  uint16_t cursorOptions;  // CmgCursorOptions
  uint16_t qualifierSyntax;
  uint16_t outerJoinSyntax;
  uint16_t tableCaching;  // CmgTableCaching
  uint16_t identifierCase;
  uint16_t transactionMode;
  uint16_t number;  // running number per data source or logon name
  uint16_t databaseKind;
  uint16_t maxColumnName, maxCursorName, maxOwnerName, maxProcedureName, maxQualifierName, maxTableName;
  uint16_t literalCount, reservedCount, typeCount;
  uint8_t outerJoins;  // 'Y' when supported
  uint8_t quoteChar;   // 0 when the driver reports a blank
  uint8_t escapeChar;
  uint8_t ownsHdbc;    // the record connected the handle and disconnects it
  uint8_t driverBits;  // the driver capability byte (information type 1025)
  // Characters that end a name in SQL text besides white space ("jxDelimiters",
  // information type 1017); when set, any run of other characters reads as one name.
  // Null when none.
  char* delimiters;
  // Statement parameters and execution: the length up to which a character parameter
  // goes as ordinary character data (0: 254); parameter values are written into the
  // statement text instead of being handed to the driver; the driver returns several
  // results from one statement (the "JxMultipleResults" setting, read for kind 5).
  uint16_t paramCharLength;
  uint8_t substituteParams;
  uint8_t severalResults;
};
