// The query object: one statement on one connection record, with the clauses the parser
// found in it, one column record per result column, its statement handles on the driver,
// a row log in a temporary file and a lock of its own. Opening, parsing, describing the
// result columns, the logging and auto-update switches, the deep copy, preparing, the
// driver's native form of the text and the column attributes asked of the driver.
//
// The records live in memory only. Each sits behind a caller area (zero-filled, of a
// size the caller chose at open) in the same allocation; the layer never reads it.
#pragma once

#include "dbsql/sqlengine.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/jxtmpfile.h"

// Bits of sql_qry::flags. The low 16 bits are the parse result's flags.
enum SqlQueryFlags : uint32_t {
  SQLQ_NOT_SELECT = 0x1,      // from the parse
  SQLQ_DISTINCT = 0x4,        // from the parse
  SQLQ_KEYS_GIVEN = 0x8,      // the key columns were given explicitly
  SQLQ_AGGREGATES = 0x10,     // the aggregates are valid
  SQLQ_LOGGING = 0x20,        // fetched rows are written to the row log
  SQLQ_SINGLE_TABLE = 0x40,   // the result comes from one updatable table
  SQLQ_ALL_READ_ONLY = 0x80,  // every column is read-only
  SQLQ_TRUNCATE_LOG = 0x200,  // the row log's file is truncated when the log is emptied
  SQLQ_PARSED = 0x400,
  SQLQ_PREPARED = 0x800,  // the statement was prepared on the driver
  SQLQ_EXECUTED = 0x1000,
  SQLQ_AUTO_UPDATE = 0x2000,
  SQLQ_DEFERRED_UPDATE = 0x4000,  // the connection's second auto-update mode
  SQLQ_ROW_CHANGED = 0x8000,
  SQLQ_INSERT_SLOT = 0x10000,
  SQLQ_SCROLLABLE = 0x20000,  // a scrollable cursor was chosen at open
  SQLQ_HANDLES_DROPPED = 0x100000,
  SQLQ_LOCK_OPTION1 = 0x200000,
  SQLQ_LOCK_OPTION2 = 0x400000,
  SQLQ_COUNT_KNOWN = 0x800000,       // the result row count is known (the end was reached)
  SQLQ_PARAMS_IN_PLACE = 0x1000000,  // parameter values are single blocks bound in place
  SQLQ_ANALYSED = 0x2000000,         // column analysis finished
  SQLQ_TEXT_PARAMS = 0x4000000,      // parameter values given as text: substituted into the text
  SQLQ_READ_ONLY = 0x80000000u
};

// sqlOpen's options word.
enum SqlOpenOptions : uint16_t {
  SQLOPEN_PARSE = 1,
  SQLOPEN_READ_ONLY = 2,
  SQLOPEN_CHECK_PARAMS = 4,
  SQLOPEN_BINARY_SPARE = 8  // binary columns get one spare byte after the value
};

// Bits of sql_qry_fld::flags.
enum SqlColumnFlags : uint32_t {
  SQLC_EXPRESSION = 0x1,
  SQLC_KEY = 0x2,
  SQLC_READ_ONLY = 0x4,
  SQLC_CHANGED = 0x8,  // for captured key values: a key value has been captured
  SQLC_CHARACTER = 0x10,
  SQLC_NUMBER = 0x20,
  SQLC_DATETIME = 0x40,
  SQLC_BINARY = 0x80,
  SQLC_BIT = 0x100,
  SQLC_SEARCHABLE_MASK = 0xE00,  // 0x800 + SQL_COLUMN_SEARCHABLE << 9
  SQLC_SEARCHABLE_KNOWN = 0x800,
  SQLC_NULLABLE_MASK = 0x3000,  // 0x1000 no nulls, 0x2000 nullable, 0x3000 unknown
  SQLC_NO_NULLS = 0x1000,
  SQLC_NULLABLE = 0x2000,
  SQLC_UPDATABLE_MASK = 0xC000,  // 0x4000 read-only, 0x8000 write, 0xC000 unknown
  SQLC_ATTR_READONLY = 0x4000,
  SQLC_ATTR_WRITE = 0x8000,
  SQLC_MONEY = 0x10000,
  SQLC_KEYSEARCH_MASK = 0x60000,  // driver attribute 1002: 0x20000 = 1, 0x60000 = 0, 0x40000 other
  SQLC_KEYSEARCH_YES = 0x20000,
  SQLC_KEYSEARCH_UNKNOWN = 0x40000,
  SQLC_KEYSEARCH_NO = 0x60000,
  SQLC_UNSIGNED = 0x80000,
  SQLC_AUTO_INCREMENT = 0x100000
};

// The driver-specific column attribute that says whether a column can serve as a key.
const SQLUSMALLINT SQL_COLUMN_KEY_SEARCHABLE = 1002;

// The cursor options word (cmg_capabilities::cursorOptions), as the cursor set-up of a
// new query reads it.
enum SqlCursorWord : uint16_t {
  SQLCUR_MOTION_MASK = 0x7,  // 1 forward only, 2 random (a scrollable cursor)
  SQLCUR_FORWARD = 1,
  SQLCUR_RANDOM = 2,
  SQLCUR_LOG = 0x8,                // rows go to the row log
  SQLCUR_NO_LOG = 0x10,            // without SQLCUR_LOG: no row log
  SQLCUR_KIND_MASK = 0x60,         // scrollable cursor kind: 0x20 keyset, 0x40 dynamic, 0x60 static
  SQLCUR_CONCURRENCY_MASK = 0x180  // 0 read-only, 0x80 lock, 0x100 values, 0x180 row versions
};

// One table of the FROM clause: its name, alias (or null) and the names of its columns,
// each zero-terminated, ended by an empty name.
struct SqlTableEntry {
  char* name;
  char* alias;
  char* columns;
};

// The query's table list, in FROM order.
struct SqlTableList {
  uint16_t count;
  SqlTableEntry entries[1];  // count of them
};

// The column record.
struct SqlParamSlot;

struct sql_qry_fld {
  uint32_t flags;          // SqlColumnFlags
  uint16_t layerType;      // sqlODBCtoSQLdatatype
  int32_t transferLength;  // sqlXferLen
  int16_t odbcType;        // as SQLDescribeCol reported it
  int32_t length;          // SQL_COLUMN_LENGTH, replaced for some types
  uint16_t tableNumber;    // 1-based in the FROM list; 0 = none found
  char* alias;
  char* selectText;
  char* typeName;
  int32_t valueLength;  // length or indicator of the current value
  uint8_t* value;       // bufferSize bytes
  uint16_t valueSize;   // bytes of the value kept in the buffer
  uint16_t bufferSize;
  void* aggregates;
  uint8_t* longValue;
  void* breakRecord;
  uint8_t* originalValue;  // the captured key or pre-edit value: int32 length, then the bytes
  void* formatMask;
  void* levelEntries;
  uint16_t levelEntryCount;
  char* driverName;
  int16_t bindType;
  int16_t paramType;
  int32_t odbcPrecision;
  // From SQLDescribeCol: the precision and scale the buffers were sized from.
  int32_t precision;
  int16_t scale;

  // The row log: the offset of an out-of-line copy of the current value in the log
  // (a long-value or edited-value record, or an entry of an older row record); 0 = none.
  uint32_t valueRecord;
};

// The query object.
struct sql_qry {
  cmg_capabilities* connection;
  SQLHSTMT hstmt;
  SQLHSTMT insertHstmt;  // the prepared INSERT kept for the next insertion
  SQLHSTMT thirdHstmt;
  uint32_t flags;  // SqlQueryFlags
  uint32_t currentRow;
  uint32_t firstRow;
  uint32_t rowCount;  // 0xFFFFFFFF while unknown
  uint32_t insertRow;
  uint32_t rowsInLog;
  uint32_t totalWeight;
  uint32_t rowsAggregated;  // 0xFFFFFFFF without aggregates
  char* text;               // as given to sqlOpen
  char* parsedText;         // as rewritten by the parser
  uint32_t parsedLength;
  char* fromText;
  char* restriction;  // the WHERE conditions left after the join conditions were split off
  char* joins;        // the join conditions
  char* groupByText;
  char* havingText;
  char* setOperationText;
  char* orderByText;
  char* computeText;
  char* optionsText;
  char* forUpdateText;
  parsed_sql* parse;
  char* databaseName;
  char* keyText;
  sql_qry* parent;
  sql_qry* next;
  void* logIndexPath;  // SQL_LOG_PATH_SIZE bytes per level
  void* conditions;
  SqlTableList* tableList;
  void* lockTree;
  sql_qry_fld** columns;
  void* groupAggregates;
  SqlParamSlot* params;  // paramCount of them, one per marker
  uint32_t longValuePosition;
  JxTmpFile rowLog{8192};
  void* pendingTree;
  int32_t logMarker;
  void* savedDeleted;
  void* rowOffsetTree;
  uint32_t rowsFetched;
  void* rowIdInfo;
  uint32_t settled;
  uint32_t queryTimeout;
  uint32_t maxRows;
  JxSemaphore lock;
  uint16_t breakLevels;
  uint16_t currentBreak;
  uint16_t longValueLimit;
  uint16_t paramCount;
  uint16_t boundColumns;  // 65535 = not yet bound
  uint16_t callerSize;
  uint16_t columnCallerSize;
  uint16_t markerCount;
  uint16_t tableCount;
  uint16_t columnCount;
  uint16_t openOptions;  // SqlOpenOptions
  uint16_t insertParamCount;
  uint16_t cursorOptions;
  uint16_t cursorOptions2;
  uint32_t rowsAffected;    // by the last execution: the sum over results without columns
  SqlTableList* names;      // sqlNames' list, kept for later calls
  // The row-log index path (logIndexPath holds logLevels levels) and the undo journal
  // of log changes (sqllogindex.h).
  uint16_t logDepth;            // levels in use; 1 when the root is a leaf
  uint16_t logLevels;           // levels allocated
  uint32_t logLoadedRow;        // the row whose path is loaded; 0xFFFFFFFF when none
  uint32_t logNodeReads;        // nodes read from the file (diagnostics)
  uint8_t* logJournal;          // 9-byte entries
  uint32_t logJournalCount;     // entries in use
  uint32_t logJournalCapacity;  // entries the block holds

  // The row log's fetch state: its option word (SqlLogOptions in sqlrowlog.h), and the
  // cursor left standing on the row after the last one read because that row's columns
  // could not be read (the next fetch reads them again without moving the cursor).
  uint16_t logOptions;
  uint8_t logCursorAhead;

  // A new query with the same texts, clauses, columns and parameters, not executed: no
  // statement handles, no rows. JxStatus; *out is null on failure.
  JXSQL04_API JxStatus copy(sql_qry** out) const;
};

// The in-memory path of the row log's index.
const uint32_t SQL_LOG_PATH_SIZE = 780;

extern "C" {

// A new query object on the connection (parent: the break level above, or null). The
// caller areas of callerSize bytes before the query and columnCallerSize bytes before
// each column record are zero-filled. JxStatus; *out is null on failure.
JXSQL04_API JxStatus sqlOpen(cmg_capabilities* con, sql_qry* parent, const char* text, uint16_t options,
                             uint16_t callerSize, uint16_t columnCallerSize, sql_qry** out);
// Parses the query's text (again).
JXSQL04_API JxStatus sqlOpenParse(sql_qry* query);
// Makes the column records and describes them (nothing when they exist).
JXSQL04_API JxStatus sqlSetupColumnInfo(sql_qry* query);
// Describes the columns whose records exist (again).
JXSQL04_API JxStatus sqlAllocateRecordBuf(sql_qry* query);
JXSQL04_API int32_t sqlXferLen(int16_t odbcType, int32_t length, int32_t precision, int16_t scale);
// Mode 1 logging off, 2 as the connection says, 3 on.
JXSQL04_API JxStatus sqlLogOptions(sql_qry* query, uint16_t mode);
// Empties the row log of the query and of every parent above it.
JXSQL04_API JxStatus sqlLogInit(sql_qry* query);
JXSQL04_API void sqlSetAutoUpdate(sql_qry* query, short on);
// Unlinks the query from its connection, drops its statement handles and frees it with
// everything it owns. Null is accepted.
JXSQL04_API JxStatus sqlFreeQuery(sql_qry* query);

// The cursor of a new query's statement: a scrollable cursor (SQLQ_SCROLLABLE) or the
// row log (SQLQ_LOGGING), the maximum rows and the query timeout. JxStatus.
JXSQL04_API JxStatus sqlPrepareCursor(sql_qry* query, cmg_capabilities* con, uint16_t cursorOptions);
// The query's table list, built on first use: one "SELECT * FROM t WHERE 0=1" per table
// of the FROM clause. Null on failure.
JXSQL04_API SqlTableList* sqlTableList(sql_qry* query);

// The select list: column records made from the parse's select items, described, their
// equal names qualified and their tables assigned.
JXSQL04_API JxStatus sqlBuildColumns(sql_qry* query, const char* text, const parsed_sql* parse);
JXSQL04_API JxStatus sqlAssignTables(sql_qry* query);
// column is 0-based.
JXSQL04_API JxStatus sqlQualifyColumn(sql_qry* query, uint16_t column);
// Splits the conditions that join two or more tables off a WHERE text (rewritten in
// place) into output (at least as long as the text). *out is set to null. tables null:
// the query's own list.
JXSQL04_API JxStatus sqlJoinExpressions(sql_qry* query, cmg_capabilities* con, char* condition, char* output,
                                        char** out, SqlTableList* tables);

// Preparing, the driver's native form of the text, the condition of the current row and
// column attributes asked of the driver (columns from 1).
JXSQL04_API JxStatus sqlXPrepare(sql_qry* query);
JXSQL04_API JxStatus sqlXNativeSQL(sql_qry* query, char** out);
JXSQL04_API JxStatus sqlUniqueWhere(sql_qry* query, char** out);
JXSQL04_API JxStatus sqlColDBTypeName(sql_qry* query, uint16_t column, char* buffer, uint16_t size,
                                      uint16_t* length);
JXSQL04_API JxStatus sqlColSearchable(sql_qry* query, uint16_t column);
JXSQL04_API JxStatus sqlColKeySearchable(sql_qry* query, uint16_t column);
// Marks the row-identifying columns of a table (1-based) with SQLC_KEY; 4506 when none.
JXSQL04_API JxStatus sqlChooseKeyColumns(sql_qry* query, uint16_t table);

// Test seam: the entry hook answers the given value for every call (0 restores it).
JXSQL04_API void sqlSetEntryHookAnswer(short answer);
// Test seam: counts of the entry and leave hooks' calls since the process started.
JXSQL04_API void sqlHookCounts(uint32_t* entries, uint32_t* leaves);

}  // extern "C"
