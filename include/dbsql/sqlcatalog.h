// Catalogue result sets on a connection: the driver's data types and the columns of one
// table, opened on a statement of their own that the caller binds, fetches and closes.
#pragma once

#include "dbsql/sqlengine.h"

extern "C" {

// SQLGetTypeInfo of every type. JxStatus; on failure no statement is left.
JXSQL04_API JxStatus sqlOpenTypeInfo(cmg_capabilities* con, SQLHSTMT* out);
// SQLColumns of a table named "table", "owner.table" or "database.owner.table": only the
// parts given are passed; a file driver's table loses its extension. With
// switchDatabase the connection's current database becomes the one named first.
JXSQL04_API JxStatus sqlOpenColumns(cmg_capabilities* con, SQLHSTMT* out, short switchDatabase,
                                    const char* table);
// SQLBindCol with the buffer's size read from *length, which then receives the lengths.
JXSQL04_API JxStatus sqlInfoBindCol(cmg_capabilities* con, SQLHSTMT hstmt, uint16_t column, int16_t cType,
                                    void* buffer, SQLLEN* length);
// SQLFetch: its return code (0 a row, 100 the end), errors in the list.
JXSQL04_API SQLRETURN sqlInfoFetch(cmg_capabilities* con, SQLHSTMT hstmt);
// Drops the statement.
JXSQL04_API JxStatus sqlInfoClose(cmg_capabilities* con, SQLHSTMT hstmt);

}  // extern "C"
