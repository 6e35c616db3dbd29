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
  CMG_READ_ONLY = 2,       // every new connection is read-only
  CMG_API_CALLER = 8,      // the database API's environment
  CMG_LAST_INFO = 16       // the last checked driver call answered SQL_SUCCESS_WITH_INFO
};

// Bits of CmgDataSource::flags.
enum CmgSourceFlags {
  CMG_SOURCE_PROFILED = 8,
  CMG_SOURCE_DIRECTORY = 16
};

// Capability flags, word A.
enum CmgFlagsA : uint32_t {
  CMG_A_FILE_DRIVER = 0x8,              // the data source has a file pattern
  CMG_A_NO_FILE_PATTERN = 0x80,
  CMG_A_ONE_CONNECTION = 0x1000,        // SQL_ACTIVE_CONNECTIONS is 1
  CMG_A_HELD_FOR_TASK0 = 0x4000,        // holder bit 0 was set for another task's logon
  CMG_A_ACCESS_CONFLICTS = 0x400000,
  CMG_A_ONE_STATEMENT = 0x1000000,      // SQL_ACTIVE_STATEMENTS is 1
  CMG_A_NO_OWNERS = 0x20000000,         // SQL_MAX_OWNER_NAME_LEN is 0
  CMG_A_PROFILED = 0x80000000u
};

// Capability flags, word B.
enum CmgFlagsB : uint32_t {
  CMG_B_TRANSACTIONS = 0x1,
  CMG_B_USE_STATEMENT = 0x800,          // databases are switched with "USE "
  CMG_B_FILE_PATTERN = 0x200000,
  CMG_B_DATABASE_IS_A = 0x400000,
  CMG_B_PLACE_CHANGED = 0x800000        // current directory or database was changed
};

// Table-name caching modes.
enum CmgTableCaching {
  CMG_CACHE_KEEP = 1,        // a cache file that outlives the connection
  CMG_CACHE_TEMPORARY = 2,   // deleted at logoff (the default)
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
  CMG_QUALIFIER_AFTER = 1,    // the qualifier follows the name
  CMG_QUALIFIER_DOUBLE = 2    // qualifier, separator and a second separator
};

// Prompt flags of cmgLogon.
enum CmgPromptFlags {
  CMG_PROMPT_SHARE = 1,      // share a record another task opened
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
  char* filePattern;   // "*.ext" patterns from the description's "(*." ... ")", or null
  uint8_t flags;       // CmgSourceFlags
};

// The environment record.
struct cmgInfo {
  cmg_capabilities* connections;  // newest first
  void* owned;                    // freed at termination
  HWND window;                    // parent of driver prompts
  SQLHENV henv;
  CmgDataSource* sources;
  uint32_t loginTimeout;
  JxSemaphore* lock;              // the environment lock
  uint16_t callerFlags;           // CmgCallerFlags
  char dllPrefix[2];
  uint16_t sourceCount;
  uint16_t taskNumber;            // 0..63: the caller's bit in holder and current sets
  uint16_t addModifySql;
  uint16_t one;                   // 1 at creation
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
  SQLHDBC hdbc;                   // primary connection
  SQLHDBC spareHdbc;
  void* statementMap;
  char* connectString;            // completed by the driver
  uint32_t flagsA, flagsB;        // CmgFlagsA, CmgFlagsB
  uint64_t holders;               // one bit per task that logged on
  uint64_t current;               // one bit per task whose current connection this is
  char* qualifierSeparator;
  void* literals;
  char* filePattern;
  char* logonName;                // empty text when none was given
  char* sourceName;
  char* userId;                   // upper case
  char* directory;                // file drivers: directory or database name
  char* connectUser;
  char* currentOwner;
  char* defaultOwner;
  char version[3];                // "01"
  CmgCompareFn compare;
  void* queries;                  // open query objects
  char* columnFirstChars;
  char* columnChars;
  char* tableFirstChars;
  char* tableChars;
  char** reservedWords;
  char* fromReserved;
  char* whereTerminators;
  char* pseudoColumns;
  uint32_t queryTimeout;
  char* cacheFile;                // table-name cache file, or null
  uint32_t maxRows;               // 0xFFFFFFFF: no limit
  char* currentDirectory;
  char* databaseName;
  void* types;
  JxSemaphore* lock;              // the connection lock
  JxSemaphore* statementLock;
  uint16_t lockOptions;
  uint16_t autoUpdate;
  uint16_t longestChar;
  uint16_t cursorOptions;         // CmgCursorOptions
  uint16_t qualifierSyntax;
  uint16_t outerJoinSyntax;
  uint16_t tableCaching;          // CmgTableCaching
  uint16_t identifierCase;
  uint16_t transactionMode;
  uint16_t number;                // running number per data source or logon name
  uint16_t databaseKind;
  uint16_t maxColumnName, maxCursorName, maxOwnerName, maxProcedureName,
      maxQualifierName, maxTableName;
  uint16_t literalCount, reservedCount, typeCount;
  uint8_t outerJoins;             // 'Y' when supported
  uint8_t quoteChar;              // 0 when the driver reports a blank
  uint8_t escapeChar;
  uint8_t ownsHdbc;               // the record connected the handle and disconnects it
};
