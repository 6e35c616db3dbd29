// Inside the query object: the call bracket of its exported operations, lock guards and
// the helpers its sources share.
#pragma once

#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqlquery.h"

// Brackets an exported operation of the query object with the connection's entry and
// leave hooks.
class SqlQueryCall {
 public:
  explicit SqlQueryCall(const sql_qry* query)
      : SqlQueryCall(query && query->connection ? query->connection->owner : nullptr) {}
  explicit SqlQueryCall(cmgInfo* env);
  ~SqlQueryCall();
  bool refused() const { return refused_; }

 private:
  cmgInfo* env_;
  bool refused_;
};

class SqlLock {
 public:
  explicit SqlLock(JxSemaphore* s) : s_(s) { s_->lock(); }
  ~SqlLock() { s_->unlock(); }
  SqlLock(const SqlLock&) = delete;
  SqlLock& operator=(const SqlLock&) = delete;

 private:
  JxSemaphore* s_;
};

// A new column record behind its zero-filled caller area; null when memory fails.
sql_qry_fld* sqlNewColumn(uint16_t callerSize);
// Frees a column record with everything it owns.
void sqlFreeColumn(sql_qry_fld* column, uint16_t callerSize);
// Frees the column records and their array; the column count becomes 0.
void sqlFreeColumns(sql_qry* query);
// Frees the table list.
void sqlFreeTableList(SqlTableList* list);
// Describes columns 1..count of the prepared statement (the body of sqlAllocateRecordBuf).
JxStatus sqlDescribeColumns(sql_qry* query);
// Parses the text when it is not parsed yet.
JxStatus sqlEnsureParsed(sql_qry* query);
// "No <what> was given to <where>." (2107); answers 1.
JxStatus sqlMissing(const char* what, const char* where);
// 4522 for a column number outside 1..count; answers the column record or null.
sql_qry_fld* sqlColumnOf(sql_qry* query, uint16_t column);
// The upper-case, single-blank form of a select text (quoted stretches kept), in place.
void sqlNormaliseSelectText(char* text, char quoteChar);
// Name comparison by the connection's identifier case (equal for an unknown case).
int sqlNameEqual(const cmg_capabilities* con, const char* a, uint32_t an, const char* b, uint32_t bn);
// The driver's SQLSTATE of a failed or informative call on a statement (or, with hstmt
// null, on the connection), as a base-36 number; its messages are collected into text.
int32_t sqlCollectState(cmg_capabilities* con, SQLHSTMT hstmt, char* text, uint32_t size);

// Parameter slots: every slot's value handed to the query's statement (the first
// driver error stops it); the statement of a query without one (allocated, cursor set
// up, values bound); freeing the slots with their chains (a shared chain once); the
// slots of a parse's markers (names taken over); the character length up to which a
// parameter is ordinary character data.
JxStatus sqlRebindParams(sql_qry* query);
JxStatus sqlSetupHstmt(sql_qry* query);
void sqlFreeParamSlots(SqlParamSlot* slots, uint16_t count);
JxStatus sqlMakeParamSlots(sql_qry* query, SqlParamEntry* entries, uint16_t count);
uint16_t sqlParamCharLimit(const cmg_capabilities* con);
// Slots without a value.
uint16_t sqlParamsMissing(const sql_qry* query);
// The parameters' values made ready for execution: bound values read from the caller's
// variables, decimals made text, dates made the driver's record.
JxStatus sqlReadBoundValues(sql_qry* query);
// SQLExecute (or SQLExecDirect of text) under the query's lock, sending the values
// given in pieces when the driver asks for them. JxStatus.
JxStatus sqlExecuteWithData(sql_qry* query, const char* text);
// The query's row state made empty for a new result: row log, positions, counters.
void sqlResetRows(sql_qry* query);
