// Inside the row log: a cursor that reads and writes the log file through the temporary
// file's page cache, going on on the next page where a piece straddles a page
// boundary, and the walk over a row record's entries that the record and fetch layers
// share.
#pragma once

#include "dbsql/sqlrowlog.h"

// Reads and writes at a running offset of the log. Each piece asks the cache for the
// page under the offset and copies what the page holds, then the rest from the next
// page; no pointer into the cache is kept between two pieces, so other operations on
// the file may come in between.
class LogCursor {
 public:
  LogCursor(JxTmpFile* file, uint32_t offset) : file_(file), offset_(offset) {}
  uint32_t offset() const { return offset_; }
  void seek(uint32_t offset) { offset_ = offset; }
  void skip(uint32_t n) { offset_ += n; }

  JxStatus read(void* destination, uint32_t n);
  JxStatus write(const void* source, uint32_t n);
  JxStatus readU8(uint8_t* v) { return read(v, 1); }
  JxStatus readU16(uint16_t* v);
  JxStatus readU32(uint32_t* v);
  JxStatus writeU8(uint8_t v) { return write(&v, 1); }
  JxStatus writeU16(uint16_t v);
  JxStatus writeU32(uint32_t v);

 private:
  JxTmpFile* file_;
  uint32_t offset_;
};

// A column entry's value at the end of its indirect chain.
enum LogValueKind { LOG_VALUE_NULL, LOG_VALUE_INLINE, LOG_VALUE_MEDIUM, LOG_VALUE_LONG };

struct LogValue {
  LogValueKind kind;
  uint32_t length;      // bytes of the value (0 for NULL)
  uint32_t dataOffset;  // where the bytes start
};

// One column entry of a record as written, before its chain is followed.
struct LogEntry {
  uint32_t markerOffset;  // where the entry's marker byte is
  uint8_t marker;         // marker & 127
  uint32_t target;        // indirect: the 32-bit offset it holds
  LogValue value;         // inline, medium, long and NULL: the value itself
};

// Walks a row record: the count word, the aggregate items (skipped), then the column
// entries one by one, following "z" continuations.
class LogRecordWalker {
 public:
  LogRecordWalker(JxTmpFile* file, uint32_t offset) : cursor_(file, offset) {}
  // Reads the count word and skips the aggregate items; *mark gets the count word's
  // current-row mark.
  JxStatus begin(bool* mark = nullptr);
  // Entries left (column entries once begin has run).
  uint16_t remaining() const { return remaining_; }
  // The next column entry; the cursor stands after it. Only when remaining() > 0.
  JxStatus next(LogEntry* entry);

 private:
  JxStatus followContinuations(uint8_t* marker);
  LogCursor cursor_;
  uint16_t remaining_ = 0;
};

// Decodes the value at offset, following indirect entries to the end of the chain.
JxStatus sqlLogDecodeValue(JxTmpFile* file, uint32_t offset, LogValue* out);
// "Internal error 00" for a log whose bytes make no sense (4541); answers 1.
JxStatus sqlLogDamaged();
// Gives every column whose value is 256 bytes or more a long-value record of its own
// (from its separate buffer) when it has no value record yet.
JxStatus sqlLogStoreLongValues(sql_qry* query);
// Frees the value records that a failed row read left behind, and clears the offsets.
void sqlLogDropValueRecords(sql_qry* query);
// The value of column (1-based) in the record at offset, its chain followed; NULL for a
// column the record lacks.
JxStatus sqlLogRecordValue(sql_qry* query, uint32_t offset, uint16_t column, LogValue* out);
// Points the unchanged columns of a new version of a row at their values in the old
// record at offset (values of up to 8 bytes are copied instead); changed columns keep
// their new values.
JxStatus sqlLogReferToOld(sql_qry* query, uint32_t offset);
// After SQL_SUCCESS_WITH_INFO: 0 when the statement's state is the truncation of string
// data ("01004"); any other warning is reported as the driver's error and answers 1.
JxStatus sqlLogTruncationOnly(cmg_capabilities* con, SQLHSTMT hstmt);
