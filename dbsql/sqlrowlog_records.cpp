// The row log's file format: page-crossing reads and writes, row records written from
// and read into the column buffers, values located and read whole, edited values and
// long values that go from the driver straight into the log.
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlhstmt.h"
#include "sqlquery_internal.h"
#include "sqlrowlog_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

// The bytes of the value buffer that a value keeps: the rest lives in the log or in the
// separate buffer.
const uint32_t kBufferedBytes = 255;
// An indirect chain longer than this is a loop in a damaged log.
const int kMaxChain = 4096;
// Unchanged values up to this length are copied into a new row version; longer ones
// are referred to (a reference costs five bytes).
const uint32_t kCopyAtMost = 8;

// Little-endian numbers, whatever the build.
void putU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool isNull(const sql_qry_fld* f) { return f->valueLength < 0; }

// How a column is written: with referenceOld a value record is referred to; values of
// 256 bytes or more always are.
enum EntryShape { SHAPE_NULL, SHAPE_INLINE, SHAPE_MEDIUM, SHAPE_INDIRECT };

EntryShape shapeOf(const sql_qry_fld* f, short referenceOld) {
  if (isNull(f)) return SHAPE_NULL;
  const uint32_t length = static_cast<uint32_t>(f->valueLength);
  if (length < 256 && (!referenceOld || !f->valueRecord))
    return length <= SQLLOG_INLINE_MAX ? SHAPE_INLINE : SHAPE_MEDIUM;
  return SHAPE_INDIRECT;
}

// The bytes of a column's value below 256 bytes: the value buffer when the value fits
// it, else the separate buffer that holds the whole value.
const uint8_t* valueBytes(const sql_qry_fld* f) {
  const uint32_t length = static_cast<uint32_t>(f->valueLength);
  return length <= f->bufferSize || !f->longValue ? f->value : f->longValue;
}

bool valueAtHand(const sql_qry_fld* f) {
  return isNull(f) || f->valueLength >= 256 || static_cast<uint32_t>(f->valueLength) <= f->bufferSize ||
         f->longValue;
}

void freeLongValue(sql_qry_fld* f) {
  ramFree(f->longValue);
  f->longValue = nullptr;
}

// Copies a decoded value into the column: its first bytes into the value buffer, and a
// value below 256 bytes that is wider than the buffer (an edited one) whole into the
// separate buffer as well.
JxStatus loadValue(JxTmpFile* file, sql_qry_fld* f, const LogValue& v) {
  freeLongValue(f);
  if (v.kind == LOG_VALUE_NULL) {
    f->valueLength = SQL_NULL_DATA;
    return 0;
  }
  f->valueLength = static_cast<int32_t>(v.length);
  uint32_t n = v.length < kBufferedBytes ? v.length : kBufferedBytes;
  if (n > f->bufferSize) {
    n = f->bufferSize;
    if (v.length < 256) {
      f->longValue = static_cast<uint8_t*>(ramAlloc(v.length + 1));
      if (!f->longValue || LogCursor(file, v.dataOffset).read(f->longValue, v.length)) return 1;
      f->longValue[v.length] = 0;
    }
  }
  if (n && (!f->value || LogCursor(file, v.dataOffset).read(f->value, n))) return 1;
  if (f->value && n < f->bufferSize) f->value[n] = 0;
  return 0;
}

}  // namespace

// --- page-crossing copies

JxStatus LogCursor::read(void* destination, uint32_t n) {
  uint8_t* out = static_cast<uint8_t*>(destination);
  while (n > 0) {
    char* page = nullptr;
    uint32_t left = 0;
    if (file_->tmpPointer(offset_, &page, &left, 0)) return 1;
    const uint32_t piece = left < n ? left : n;
    memcpy(out, page, piece);
    out += piece;
    offset_ += piece;
    n -= piece;
  }
  return 0;
}

JxStatus LogCursor::write(const void* source, uint32_t n) {
  const uint8_t* in = static_cast<const uint8_t*>(source);
  while (n > 0) {
    char* page = nullptr;
    uint32_t left = 0;
    if (file_->tmpPointer(offset_, &page, &left, 1)) return 1;
    const uint32_t piece = left < n ? left : n;
    memcpy(page, in, piece);
    in += piece;
    offset_ += piece;
    n -= piece;
  }
  return 0;
}

JxStatus LogCursor::readU16(uint16_t* v) {
  uint8_t b[2];
  if (read(b, 2)) return 1;
  *v = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return 0;
}

JxStatus LogCursor::readU32(uint32_t* v) {
  uint8_t b[4];
  if (read(b, 4)) return 1;
  *v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
       static_cast<uint32_t>(b[3]) << 24;
  return 0;
}

JxStatus LogCursor::writeU16(uint16_t v) {
  uint8_t b[2];
  putU16(b, v);
  return write(b, 2);
}

JxStatus LogCursor::writeU32(uint32_t v) {
  uint8_t b[4];
  putU32(b, v);
  return write(b, 4);
}

// --- reading records

JxStatus sqlLogDamaged() {
  sqlErrorById(4541);
  return 1;
}

JxStatus sqlLogDecodeValue(JxTmpFile* file, uint32_t offset, LogValue* out) {
  LogCursor c(file, offset);
  for (int hop = 0; hop < kMaxChain; ++hop) {
    uint8_t m = 0;
    if (c.readU8(&m)) return 1;
    m &= 127;
    if (m <= SQLLOG_INLINE_MAX) {
      *out = LogValue{LOG_VALUE_INLINE, m, c.offset()};
      return 0;
    }
    switch (m) {
      case SQLLOG_NULL:
        *out = LogValue{LOG_VALUE_NULL, 0, c.offset()};
        return 0;
      case SQLLOG_MEDIUM: {
        uint16_t n = 0;
        if (c.readU16(&n)) return 1;
        *out = LogValue{LOG_VALUE_MEDIUM, n, c.offset()};
        return 0;
      }
      case SQLLOG_LONG: {
        uint32_t n = 0;
        if (c.readU32(&n)) return 1;
        *out = LogValue{LOG_VALUE_LONG, n, c.offset()};
        return 0;
      }
      case SQLLOG_INDIRECT: {
        uint32_t target = 0;
        if (c.readU32(&target)) return 1;
        if (!target || target == SQLLOG_PLACEHOLDER) return sqlLogDamaged();
        c.seek(target);
        break;
      }
      default:
        return sqlLogDamaged();
    }
  }
  return sqlLogDamaged();
}

JxStatus LogRecordWalker::followContinuations(uint8_t* marker) {
  for (int hop = 0; hop < kMaxChain; ++hop) {
    const uint32_t at = cursor_.offset();
    if (cursor_.readU8(marker)) return 1;
    if ((*marker & 127) != SQLLOG_CONTINUE) {
      cursor_.seek(at);
      return 0;
    }
    uint32_t next = 0;
    if (cursor_.readU32(&next)) return 1;
    if (!next || next == SQLLOG_PLACEHOLDER) return sqlLogDamaged();
    cursor_.seek(next);
  }
  return sqlLogDamaged();
}

JxStatus LogRecordWalker::begin(bool* mark) {
  uint16_t count = 0;
  if (cursor_.readU16(&count)) return 1;
  if (mark) *mark = (count & SQLLOG_COUNT_MARK) != 0;
  remaining_ = count & SQLLOG_COUNT_MASK;
  // Aggregate items lead the record; each consumes one from the count.
  while (remaining_ > 0) {
    uint8_t m = 0;
    if (followContinuations(&m)) return 1;
    if ((m & 127) != SQLLOG_AGGREGATE) break;
    uint16_t length = 0;
    cursor_.skip(1);
    if (cursor_.readU16(&length)) return 1;
    cursor_.skip(length);
    --remaining_;
  }
  return 0;
}

JxStatus LogRecordWalker::next(LogEntry* e) {
  uint8_t m = 0;
  if (followContinuations(&m)) return 1;
  e->markerOffset = cursor_.offset();
  cursor_.skip(1);
  e->marker = m & 127;
  e->target = 0;
  --remaining_;
  if (e->marker <= SQLLOG_INLINE_MAX) {
    e->value = LogValue{LOG_VALUE_INLINE, e->marker, cursor_.offset()};
    cursor_.skip(e->marker);
    return 0;
  }
  switch (e->marker) {
    case SQLLOG_NULL:
      e->value = LogValue{LOG_VALUE_NULL, 0, cursor_.offset()};
      return 0;
    case SQLLOG_MEDIUM: {
      uint16_t n = 0;
      if (cursor_.readU16(&n)) return 1;
      e->value = LogValue{LOG_VALUE_MEDIUM, n, cursor_.offset()};
      cursor_.skip(n);
      return 0;
    }
    case SQLLOG_INDIRECT:
      if (cursor_.readU32(&e->target)) return 1;
      if (!e->target || e->target == SQLLOG_PLACEHOLDER) return sqlLogDamaged();
      e->value = LogValue{LOG_VALUE_NULL, 0, 0};
      return 0;
    default:
      // A long entry stands only at the end of a chain, never in a record.
      return sqlLogDamaged();
  }
}

JxStatus sqlLogReadRecord(sql_qry* q, uint32_t offset) {
  if (!q) return sqlMissing("query", "sqlLogReadRecord");
  LogRecordWalker walker(&q->rowLog, offset);
  if (walker.begin()) return 1;
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    freeLongValue(f);
    f->valueRecord = 0;
    if (!walker.remaining()) {
      f->valueLength = SQL_NULL_DATA;
      continue;
    }
    LogEntry e;
    if (walker.next(&e)) return 1;
    LogValue v = e.value;
    if (e.marker == SQLLOG_INDIRECT && sqlLogDecodeValue(&q->rowLog, e.target, &v)) return 1;
    if (loadValue(&q->rowLog, f, v)) return 1;
  }
  return 0;
}

JxStatus sqlLogRecordValue(sql_qry* q, uint32_t offset, uint16_t column, LogValue* out) {
  LogRecordWalker walker(&q->rowLog, offset);
  if (walker.begin()) return 1;
  *out = LogValue{LOG_VALUE_NULL, 0, 0};
  for (uint16_t i = 1; i <= column && walker.remaining(); ++i) {
    LogEntry e;
    if (walker.next(&e)) return 1;
    if (i < column) continue;
    *out = e.value;
    if (e.marker == SQLLOG_INDIRECT) return sqlLogDecodeValue(&q->rowLog, e.target, out);
  }
  return 0;
}

JxStatus sqlLogReadBytes(sql_qry* q, uint32_t offset, uint32_t length, void* destination) {
  if (!q) return sqlMissing("query", "sqlLogReadBytes");
  return LogCursor(&q->rowLog, offset).read(destination, length);
}

// --- writing records

uint32_t sqlLogRowSize(sql_qry* q, short referenceOld) {
  if (!q) return 0;
  uint32_t size = 2;
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    const sql_qry_fld* f = q->columns[i];
    switch (shapeOf(f, referenceOld)) {
      case SHAPE_NULL:
        size += 1;
        break;
      case SHAPE_INLINE:
        size += 1 + static_cast<uint32_t>(f->valueLength);
        break;
      case SHAPE_MEDIUM:
        size += 3 + static_cast<uint32_t>(f->valueLength);
        break;
      case SHAPE_INDIRECT:
        size += 5;
        break;
    }
  }
  return size;
}

JxStatus sqlLogWriteRow(sql_qry* q, uint32_t offset, short referenceOld) {
  if (!q) return sqlMissing("query", "sqlLogWriteRow");
  LogCursor c(&q->rowLog, offset);
  uint16_t count = q->columnCount;
  if (q->flags & SQLQ_ROW_MARK) count |= SQLLOG_COUNT_MARK;
  if (c.writeU16(count)) return 1;
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    const uint8_t changed = (f->flags & SQLC_CHANGED) ? SQLLOG_CHANGED : 0;
    const uint32_t length = isNull(f) ? 0 : static_cast<uint32_t>(f->valueLength);
    if (!valueAtHand(f)) return sqlLogDamaged();
    switch (shapeOf(f, referenceOld)) {
      case SHAPE_NULL:
        if (c.writeU8(changed | SQLLOG_NULL)) return 1;
        break;
      case SHAPE_INLINE:
        if (c.writeU8(static_cast<uint8_t>(changed | length)) || c.write(valueBytes(f), length)) return 1;
        break;
      case SHAPE_MEDIUM:
        if (c.writeU8(changed | SQLLOG_MEDIUM) || c.writeU16(static_cast<uint16_t>(length)) ||
            c.write(valueBytes(f), length))
          return 1;
        break;
      case SHAPE_INDIRECT:
        if (!f->valueRecord) return sqlLogDamaged();
        if (c.writeU8(changed | SQLLOG_INDIRECT) || c.writeU32(f->valueRecord)) return 1;
        f->valueRecord = 0;
        break;
    }
  }
  return 0;
}

JxStatus sqlLogStoreLongValues(sql_qry* q) {
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (isNull(f) || f->valueLength < 256 || f->valueRecord) continue;
    // The whole value must be at hand: a value of 256 bytes or more without a record
    // lives in the separate buffer.
    if (!f->longValue) return sqlLogDamaged();
    const uint32_t length = static_cast<uint32_t>(f->valueLength);
    uint32_t at = 0;
    if (q->rowLog.tmpFindSpace(length + 5, &at)) return 1;
    LogCursor c(&q->rowLog, at);
    if (c.writeU8(SQLLOG_LONG) || c.writeU32(length) || c.write(f->longValue, length)) {
      q->rowLog.tmpFreeSpace(at, length + 5);
      return 1;
    }
    f->valueRecord = at;
  }
  return 0;
}

void sqlLogDropValueRecords(sql_qry* q) {
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (!f->valueRecord) continue;
    LogValue v;
    if (!sqlLogDecodeValue(&q->rowLog, f->valueRecord, &v) && v.kind == LOG_VALUE_LONG)
      q->rowLog.tmpFreeSpace(f->valueRecord, v.length + 5);
    f->valueRecord = 0;
  }
}

// --- edited values

JxStatus sqlLogStoreValue(const void* value, uint32_t length, sql_qry_fld* f, sql_qry* q) {
  if (!f || !q) return sqlMissing(f ? "query" : "column", "sqlLogStoreValue");
  if (length > SQLLOG_EDITED_MAX) length = SQLLOG_EDITED_MAX;
  uint32_t size = length;
  if (f->layerType == BCV_CHAR && f->length > 0 && static_cast<uint32_t>(f->length) > size)
    size = static_cast<uint32_t>(f->length) < SQLLOG_EDITED_MAX ? static_cast<uint32_t>(f->length)
                                                                : SQLLOG_EDITED_MAX;
  uint8_t* buffer = static_cast<uint8_t*>(ramAlloc(size + 1));
  if (!buffer) return 1;
  if (length) memcpy(buffer, value, length);
  // Fixed-length text is padded with blanks to its width; anything else with zeros.
  memset(buffer + length, (f->flags & SQLC_CHARACTER) ? ' ' : 0, size - length);
  buffer[size] = 0;
  uint32_t at = 0;
  if (q->flags & SQLQ_LOGGING) {
    if (q->rowLog.tmpFindSpace(size + 3, &at)) {
      ramFree(buffer);
      return 1;
    }
    LogCursor c(&q->rowLog, at);
    if (c.writeU8(SQLLOG_MEDIUM) || c.writeU16(static_cast<uint16_t>(size)) || c.write(buffer, size)) {
      q->rowLog.tmpFreeSpace(at, size + 3);
      ramFree(buffer);
      return 1;
    }
  }
  freeLongValue(f);
  f->longValue = buffer;
  f->valueLength = static_cast<int32_t>(size);
  if (f->value && f->bufferSize) {
    uint32_t n = size < f->bufferSize ? size : f->bufferSize;
    if (n > kBufferedBytes) n = kBufferedBytes;
    memcpy(f->value, buffer, n);
    if (n < f->bufferSize) f->value[n] = 0;
  }
  f->valueRecord = at;
  return 0;
}

// --- rewriting a row

JxStatus sqlLogReferToOld(sql_qry* q, uint32_t offset) {
  LogRecordWalker walker(&q->rowLog, offset);
  if (walker.begin()) return 1;
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    LogEntry e;
    bool present = walker.remaining() > 0;
    if (present && walker.next(&e)) return 1;
    if (f->flags & SQLC_CHANGED) continue;
    if (!present || e.marker == SQLLOG_NULL) {
      f->valueLength = SQL_NULL_DATA;
      f->valueRecord = 0;
      continue;
    }
    if (e.marker == SQLLOG_INDIRECT) {
      f->valueRecord = e.target;
      continue;
    }
    if (e.value.kind == LOG_VALUE_INLINE && e.value.length <= kCopyAtMost) {
      // Cheaper to copy than to refer to.
      f->valueRecord = 0;
      if (loadValue(&q->rowLog, f, e.value)) return 1;
      continue;
    }
    f->valueRecord = e.markerOffset;
  }
  return 0;
}

// --- long values from the driver

JxStatus sqlLogTruncationOnly(cmg_capabilities* con, SQLHSTMT hstmt) {
  char text[1024];
  const int32_t state = sqlCollectState(con, hstmt, text, sizeof text);
  if (state == cmgStateNumber("01004")) return 0;
  JxError* e = sqlErrorById(SQLMSG_DRIVER_ERROR);
  if (e) *e << text;
  return 1;
}

JxStatus sqlLogWriteLongValue(sql_qry* q, SQLHSTMT hstmt, sql_qry_fld* f, uint16_t column,
                              cmg_capabilities* con) {
  if (!q || !f) return sqlMissing(q ? "column" : "query", "sqlLogWriteLongValue");
  const uint32_t maximum = q->longValueLimit;
  const uint32_t reserved = maximum ? maximum + 5 : JxTmpFile::ALL;
  const bool characters = (q->logOptions & SQLLOG_OPT_CHAR_TRANSFER) != 0;
  uint32_t at = 0;
  if (q->rowLog.tmpFindSpace(reserved, &at)) return 1;
  uint32_t total = kBufferedBytes;
  if (maximum && total > maximum) total = maximum;
  JxStatus st = LogCursor(&q->rowLog, at + 5).write(f->value, total);
  uint8_t* scratch = nullptr;
  uint32_t scratchSize = 0;
  while (!st && (!maximum || total < maximum)) {
    char* page = nullptr;
    uint32_t left = 0;
    if ((st = q->rowLog.tmpPointer(at + 5 + total, &page, &left, 1)) != 0) break;
    uint32_t room = left;
    if (maximum && room > maximum - total) room = maximum - total;
    SQLLEN got = 0;
    SQLRETURN rc;
    if (!characters) {
      rc = SQLGetData(hstmt, column, SQL_C_BINARY, page, static_cast<SQLLEN>(room), &got);
    } else {
      // The driver ends character data with a terminator: one byte more than the piece.
      if (scratchSize < room + 1) {
        uint32_t want = room + 1 > 2049 ? room + 1 : 2049;
        uint8_t* grown = static_cast<uint8_t*>(ramAlloc(want));
        if (!grown) {
          st = 1;
          break;
        }
        ramFree(scratch);
        scratch = grown;
        scratchSize = want;
      }
      rc = SQLGetData(hstmt, column, SQL_C_CHAR, scratch, static_cast<SQLLEN>(room + 1), &got);
    }
    if (rc == SQL_NO_DATA_FOUND) break;
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
      sqlCheckHstmt(con, hstmt, rc);
      st = 1;
      break;
    }
    if (rc == SQL_SUCCESS_WITH_INFO && sqlLogTruncationOnly(con, hstmt)) {
      st = 1;
      break;
    }
    uint32_t piece = room;
    if (rc == SQL_SUCCESS) {
      if (got == SQL_NULL_DATA || got < 0 || static_cast<uint64_t>(got) > room) {
        JxError* e = sqlErrorById(SQLMSG_DRIVER_ANSWER);
        if (e)
          *e << "SQLGetData"
             << "a length outside the buffer";
        st = 1;
        break;
      }
      piece = static_cast<uint32_t>(got);
    }
    if (characters && piece && (st = LogCursor(&q->rowLog, at + 5 + total).write(scratch, piece)) != 0) break;
    total += piece;
    if (rc == SQL_SUCCESS) break;
  }
  ramFree(scratch);
  if (st) {
    q->rowLog.tmpFreeSpace(at, reserved == JxTmpFile::ALL ? JxTmpFile::ALL : reserved);
    return 1;
  }
  q->rowLog.tmpFreeSpace(at + 5 + total, maximum ? maximum - total : JxTmpFile::ALL);
  LogCursor header(&q->rowLog, at);
  if (header.writeU8(SQLLOG_LONG) || header.writeU32(total)) {
    q->rowLog.tmpFreeSpace(at, total + 5);
    return 1;
  }
  f->valueRecord = at;
  f->valueLength = static_cast<int32_t>(total);
  return 0;
}

// --- aggregate prefixes

JxStatus sqlLogDropAggregates(JxTmpFile* file, uint32_t* offset, uint16_t* count) {
  if (!file || !offset || !count) return sqlMissing("log", "sqlLogDropAggregates");
  LogCursor c(file, *offset);
  uint16_t word = 0;
  if (c.readU16(&word)) return 1;
  uint16_t remaining = word & SQLLOG_COUNT_MASK;
  // The pieces passed so far: freed once the walk has gone past them.
  uint32_t pieceStart = *offset;
  for (int hop = 0; hop < kMaxChain * 16; ++hop) {
    const uint32_t at = c.offset();
    uint8_t m = 0;
    if (remaining == 0) {
      file->tmpFreeSpace(pieceStart, at - pieceStart);
      *offset = SQLLOG_PLACEHOLDER;
      *count = 0;
      return 0;
    }
    if (c.readU8(&m)) return 1;
    m &= 127;
    if (m == SQLLOG_CONTINUE) {
      uint32_t next = 0;
      if (c.readU32(&next)) return 1;
      if (!next || next == SQLLOG_PLACEHOLDER) return sqlLogDamaged();
      file->tmpFreeSpace(pieceStart, c.offset() - pieceStart);
      pieceStart = next;
      c.seek(next);
      continue;
    }
    if (m != SQLLOG_AGGREGATE) {
      // The first column entry: what lies before it in this piece is freed.
      file->tmpFreeSpace(pieceStart, at - pieceStart);
      *offset = at;
      *count = remaining;
      return 0;
    }
    uint16_t length = 0;
    if (c.readU16(&length)) return 1;
    c.skip(length);
    --remaining;
  }
  return sqlLogDamaged();
}
