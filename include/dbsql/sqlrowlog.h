// The row log of a query object: every row read from the cursor is serialised into the
// query's temporary file, with out-of-line long values and edited values, and found
// again by row number through the row index (sqllogindex.h). The log lets a
// forward-only cursor be read backwards and by number, and keeps edited, inserted and
// deleted rows with a journal of the changes.
//
// The file layout is the same on every build: little-endian fixed-width numbers, 32-bit
// offsets, no pointer or `long` in a record. A record may cross the boundary of the
// temporary file's 2048-byte cache pages; every reader and writer goes on on the next
// page.
//
// Row record: a 16-bit count word (bits 0-14: aggregate items plus column entries that
// follow; bit 15: the query's current-row mark when the record was written), the
// aggregate items of a break level (123, 16-bit length, bytes), then one entry per
// result column in column order. Missing trailing entries read as NULL. Before any item
// or entry, 122 and a 32-bit offset continue the record elsewhere.
//
// Column entry: a marker byte; bit 7 marks a column changed at the time of writing and
// is ignored by every reader. By marker & 127: 0-121 inline (that many bytes follow),
// 125 medium (16-bit length, bytes), 126 indirect (32-bit offset of the value
// elsewhere, followed to the end of the chain), 127 NULL, 124 long (32-bit length,
// bytes; only at the end of a chain).
#pragma once

#include "dbsql/sqlquery.h"

// Marker bytes of the log file.
enum SqlLogMarker : uint8_t {
  SQLLOG_INLINE_MAX = 121,  // the longest value stored inline
  SQLLOG_CONTINUE = 122,    // "z": the record goes on at a 32-bit offset
  SQLLOG_AGGREGATE = 123,   // "{": an aggregate item
  SQLLOG_LONG = 124,        // "|": 32-bit length, then the bytes
  SQLLOG_MEDIUM = 125,      // "}": 16-bit length, then the bytes
  SQLLOG_INDIRECT = 126,    // "~": 32-bit offset of the value
  SQLLOG_NULL = 127,
  SQLLOG_CHANGED = 128  // bit of a column marker: the column was marked changed
};

// The count word's current-row mark; the count is the low 15 bits.
const uint16_t SQLLOG_COUNT_MARK = 0x8000;
const uint16_t SQLLOG_COUNT_MASK = 0x7FFF;
// The longest value a medium entry or an edited-value record holds.
const uint32_t SQLLOG_EDITED_MAX = 65000;
// Without a maximum long-value length, a value read without logging keeps this much.
const uint32_t SQLLOG_UNLOGGED_MAX = 65435;

// Answers of sqlLogValueOffset, and the index offset of a placeholder without a record.
const uint32_t SQLLOG_NO_VALUE = 0xFFFFFFFFu;
const uint32_t SQLLOG_FAILED = 0xFFFFFFFEu;
const uint32_t SQLLOG_PLACEHOLDER = 0xFFFFFFFFu;

// Query flags the row log keeps besides those of sqlquery.h.
const uint32_t SQLQ_KEEP_STATEMENT = 0x1;       // keep the statement at the end of data
const uint32_t SQLQ_ROW_MARK = 0x2;             // the current-row mark
const uint32_t SQLQ_END_OF_DATA = 0x08000000u;  // cleared by the next fetch that finds a row

// Bits of sql_qry::logOptions.
enum SqlLogOptions : uint16_t {
  SQLLOG_OPT_KEEP_STATEMENT = 0x10,  // the statement survives the end of data
  SQLLOG_OPT_CHAR_TRANSFER = 0x100   // long strings are read as SQL_C_CHAR
};

// The transaction mode of a connection that is applying a transaction or closing:
// positioning then goes on beyond the known row count.
const uint16_t SQLLOG_APPLYING = 12292;

extern "C" {

// Makes row r (1-based) the current row: from the log, by fetching forward, or with an
// absolute fetch on a scrollable cursor. Beyond a known row count it succeeds without
// moving. Without logging, a row behind the cursor is refused with 4518.
JXSQL04_API JxStatus sqlLogPosition(sql_qry* query, uint32_t row);
// Fetches the next cursor row into the column buffers and, with logging on, appends it
// to the log. At the end of data it succeeds with the row count known. A failed or
// truncated column read, or a warning other than "01004", fails with the driver's
// message and leaves the log and the row counters as they were.
JXSQL04_API JxStatus sqlLogFetchNext(sql_qry* query);

// The row record of the column buffers at offset, and its size. With referenceOld, a
// column with a value-record offset points at it instead of holding its value; values
// of 256 bytes or more always point at their value record. Writing resets the columns'
// value-record offsets.
JXSQL04_API JxStatus sqlLogWriteRow(sql_qry* query, uint32_t offset, short referenceOld);
JXSQL04_API uint32_t sqlLogRowSize(sql_qry* query, short referenceOld);
// The rest of a value the driver reported truncated (its first 255 bytes are in the
// column's buffer), read straight into the log as a long-value record whose offset
// becomes the column's value record. column is 1-based.
JXSQL04_API JxStatus sqlLogWriteLongValue(sql_qry* query, SQLHSTMT hstmt, sql_qry_fld* field, uint16_t column,
                                          cmg_capabilities* con);
// Loads row r's record into the column buffers (a placeholder loads nothing).
JXSQL04_API JxStatus sqlLogReadRow(sql_qry* query, uint32_t row);
// Loads the record at offset into the column buffers: the body of sqlLogReadRow.
JXSQL04_API JxStatus sqlLogReadRecord(sql_qry* query, uint32_t offset);
// The file offset of the value bytes of column (1-based) in row r: SQLLOG_NO_VALUE for
// NULL, SQLLOG_FAILED on failure.
JXSQL04_API uint32_t sqlLogValueOffset(sql_qry* query, uint32_t row, uint16_t column);
JXSQL04_API JxStatus sqlLogReadBytes(sql_qry* query, uint32_t offset, uint32_t length, void* destination);
// The whole value of column (1-based) of row r, at most maximum bytes, into destination;
// *copied (may be null) gets the count. Nothing is read for a value below 255 bytes.
JXSQL04_API JxStatus sqlLogReadLongValue(sql_qry* query, uint32_t row, uint16_t column, void* destination,
                                         uint32_t maximum, uint32_t* copied);
// An edited value: the column's separate buffer gets it (fixed-length strings padded
// with blanks to their width), and with logging on an edited-value record whose offset
// becomes the column's value record.
JXSQL04_API JxStatus sqlLogStoreValue(const void* value, uint32_t length, sql_qry_fld* field, sql_qry* query);

// Row changes, each recorded in the log journal: a new row at r from the column
// buffers; row r removed from the index (its record kept for an undo); a new version of
// row r after editing, referring to the unchanged values of the old one.
JXSQL04_API JxStatus sqlLogInsertRow(sql_qry* query, uint32_t row);
JXSQL04_API JxStatus sqlLogDeleteRow(sql_qry* query, uint32_t row);
JXSQL04_API JxStatus sqlLogRewriteRow(sql_qry* query, uint32_t row);
// Reads the current row's columns again from a statement standing on it and, with
// logging on and write set, logs them as row r's new version.
JXSQL04_API JxStatus sqlLogRereadRow(sql_qry* query, uint32_t row, SQLHSTMT hstmt, short write);

// Skips the aggregate prefix of the record at *offset (following continuations) and
// frees the space it passed: *offset becomes the first column entry's offset and *count
// the column entries left; a record of aggregate items only is freed whole and *offset
// becomes SQLLOG_PLACEHOLDER.
JXSQL04_API JxStatus sqlLogDropAggregates(JxTmpFile* file, uint32_t* offset, uint16_t* count);

// Control-break levels in the log. Every level above the base query that does not yet
// cover the base query's current row gets an empty group row after its current row;
// every level is moved onto the group row that holds the current row of the level
// below; one level is positioned on the group row holding base row b (save: write the
// level's aggregates into its current group row first); a level's aggregate values are
// written into the record of its row r; a record's aggregate items are read into the
// level's aggregate list (the reading state is the record's offset and count word).
JXSQL04_API JxStatus sqlLogAddBreakPlaceholders(sql_qry* base);
JXSQL04_API JxStatus sqlLogSyncBreaks(sql_qry* base);
JXSQL04_API JxStatus sqlLogBreakSeek(sql_qry* level, uint32_t baseRow, short save);
JXSQL04_API JxStatus sqlLogSaveAggregates(sql_qry* level, uint32_t row);
// The aggregate items at the head of row r's record read into the level's aggregates in
// list order; aggregates without an item (a placeholder row) start from no rows.
JXSQL04_API JxStatus sqlLogReadAggregates(sql_qry* level, uint32_t row);

// The pending changes laid over row r: there is no pending-change map yet, so every
// row answers "no pending changes" (0).
JXSQL04_API short sqlLogRowHasPendingChanges(const sql_qry* query, uint32_t row);

}  // extern "C"
