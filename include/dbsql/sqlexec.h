// Executing a query's statement (with data sent at execution and several results),
// executing a one-off statement on a connection, SQL literals of values and the text
// with every parameter marker replaced by its literal, the growable SQL text buffer,
// identifier comparison by the connection's identifier case, the switch of the current
// database and the list of a query's tables with their column names.
#pragma once

#include "dbsql/sqlquery.h"
#include "dbutil/jxscanner.h"

// A growable SQL text: start, write position and capacity. Growth is in 512-byte steps
// up to 65000 bytes.
struct SqlTextBuffer {
  char* start;
  char* write;
  uint16_t capacity;
};

// The longest text the buffer grows to, and the limit of a substituted statement.
const uint32_t SQL_TEXT_LIMIT = 65000;
const uint32_t SQL_SUBSTITUTE_LIMIT = 65436;

// Length word of a date/time literal: the index of the last character in the low half,
// the offset where a time-only part starts in the high half (0: none).
inline int32_t sqlDateTimeWord(uint16_t last, uint16_t timeAt = 0) {
  return static_cast<int32_t>(static_cast<uint32_t>(last) | (static_cast<uint32_t>(timeAt) << 16));
}

// The statement-choice bits of a connection's cursor options (its one-statement options
// shifted by 7): how a one-off statement is taken when a statement handle is chosen for it.
enum SqlStatementChoice : uint16_t {
  SQL_CHOICE_QUERY = 0x400,      // alone: every statement as a query
  SQL_CHOICE_NOT_QUERY = 0x800,  // alone: every statement as not a query
  SQL_CHOICE_MASK = 0xC00        // both: by the statement's first word
};

// Takes over a query's list of pending changes when the query is executed again (the
// transaction code's entry). 0 when it took the list (it then owns it), else 1 with an
// error, and the execution fails with the list still on the query.
typedef JxStatus (*SqlPendingReceiver)(cmg_capabilities* con, sql_qry* query, void* pending);

extern "C" {

// The receiver of pending changes at re-execution (null: none; the lists stay with
// their queries).
JXSQL04_API void sqlSetPendingReceiver(SqlPendingReceiver receiver);

// Executes the query (parsed, prepared and bound first as needed); *rows gets the sum of
// the row counts of the results without columns. JxStatus; after a failure the cursor
// is closed so that the statement can run again.
JXSQL04_API JxStatus sqlXExecute(sql_qry* query, uint32_t* rows);
// Executes text once on a statement of its own.
JXSQL04_API JxStatus sqlXExecDirect(cmg_capabilities* con, const char* text);
// Whether sqlXExecDirect takes text as not a query (1) from the connection's
// statement-choice bits (SqlStatementChoice): none 0, the first 0, the second 1, both by
// whether text begins with "SELECT" and white space; a driver of capability flag 32
// (CMG_B_DRIVER_BIT4) takes 1 whenever the second bit is set.
JXSQL04_API short sqlNotAQuery(const cmg_capabilities* con, const char* text);
// text with every marker outside quotes replaced by its parameter's literal; a plain
// copy when neither the connection nor the query substitutes. The caller frees it
// (ramFree). Null on failure: 1503 at 65436 bytes or more, 4513 for fewer markers than
// parameters.
JXSQL04_API char* sqlSubstitute(sql_qry* query, const char* text);

// Writes the literal of a value at *write (advanced): types 1 and 2 quoted with quote
// non-zero (quotes doubled always), 3 the decimal (length is its length word), 4 and 5
// the number, 6 and 7 with 8 and 16 significant digits, 8 date/time text in braces
// (length is sqlDateTimeWord), 101 hexadecimal (in "{b'...'}" with quote). Other types
// write nothing. The caller makes room: 2 x length + 5 for text, precision + 4 for a
// decimal, 11 for integers, 32 for floats, 33 for date/time, 2 x length + 5 for binary.
// JxStatus: 1 when a decimal cannot be converted.
JXSQL04_API JxStatus sqlFormatLiteral(char** write, const void* value, uint16_t type, int32_t length,
                                      short quote, const cmg_capabilities* con);
// Room for need more bytes in the buffer (made on first use): 4531 beyond 65000 bytes.
JXSQL04_API JxStatus sqlTextReserve(SqlTextBuffer* buffer, uint32_t need);
// The literal of a column's value (length and data; the caller handles NULL), room made
// first; a character column of the binary class is written as binary.
JXSQL04_API JxStatus sqlAppendLiteral(SqlTextBuffer* buffer, const sql_qry_fld* column, int32_t length,
                                      const uint8_t* data, const cmg_capabilities* con);

// Identifier comparison by the connection's identifier case: 1 and 2 without regard to
// case, 3 and 4 exactly, others equal. 0 for equal names.
JXSQL04_API int sqlNameCompare(const cmg_capabilities* con, const char* a, const char* b);
JXSQL04_API int sqlNameCompareCounted(const cmg_capabilities* con, uint32_t an, const char* a, uint32_t bn,
                                      const char* b);
// A scanned token against a name (the token's text as it stands in the statement).
JXSQL04_API int sqlNameCompareToken(const cmg_capabilities* con, const JxToken* token, const char* name);

// Makes name the connection's current database with "USE " and the name (quoted with
// the identifier quote when it is not a plain name). Nothing is done for an empty name,
// the current one, or a connection that does not switch databases by statement. A name
// that needs quotes on a driver without a quote character is refused (2112) before
// anything is sent. JxStatus.
JXSQL04_API JxStatus sqlUseDatabase(cmg_capabilities* con, const char* name);

// The tables of the query's FROM clause with their column names (from the catalogue, or
// from "SELECT * FROM t WHERE 0=1"), kept on the query and answered again on later
// calls. JxStatus.
JXSQL04_API JxStatus sqlNames(sql_qry* query, SqlTableList** list);

}  // extern "C"
