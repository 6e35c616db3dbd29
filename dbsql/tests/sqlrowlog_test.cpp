// The row log's file format on a bare temporary file, without a driver: the encoding of
// column entries by length as a table, NULL and missing entries, the changed mark,
// new row versions that refer to the values of the old one, records and offsets that
// straddle cache pages, edited values, and the golden bytes of a small log.
#include "dbsql/bcvconvert.h"
#include "dbsql/sqlrowlog.h"
#include "dbutil/jxmemory.h"
#include "sql_test_support.h"
#include "sqlrowlog_internal.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A query object with n variable-text columns of 256-byte buffers and nothing else:
// the record layer needs only the columns and the log.
struct BareQuery {
  explicit BareQuery(uint16_t n) : q(new sql_qry()) {
    q->columnCount = n;
    q->columns = static_cast<sql_qry_fld**>(ramAllocZ(sizeof(sql_qry_fld*) * (n + 1u)));
    for (uint16_t i = 0; i < n; ++i) {
      sql_qry_fld* f = static_cast<sql_qry_fld*>(ramAllocZ(sizeof(sql_qry_fld)));
      f->layerType = BCV_VARCHAR;
      f->flags = SQLC_CHARACTER;
      f->bufferSize = 256;
      f->valueSize = 255;
      f->length = 65535;
      f->value = static_cast<uint8_t*>(ramAllocZ(256));
      q->columns[i] = f;
    }
  }
  ~BareQuery() {
    for (uint16_t i = 0; i < q->columnCount; ++i) {
      ramFree(q->columns[i]->value);
      ramFree(q->columns[i]->longValue);
      ramFree(q->columns[i]);
    }
    ramFree(q->columns);
  }
  sql_qry_fld* col(uint16_t i) { return q->columns[i]; }

  // Sets a column to a value (NULL for null); values of 256 bytes or more go whole to
  // the separate buffer and get a long-value record.
  void set(uint16_t i, const std::string* v) {
    sql_qry_fld* f = col(i);
    ramFree(f->longValue);
    f->longValue = nullptr;
    f->valueRecord = 0;
    if (!v) {
      f->valueLength = SQL_NULL_DATA;
      return;
    }
    f->valueLength = static_cast<int32_t>(v->size());
    memcpy(f->value, v->data(), v->size() < 255 ? v->size() : 255);
    if (v->size() >= 256) {
      f->longValue = static_cast<uint8_t*>(ramAlloc(static_cast<uint32_t>(v->size())));
      memcpy(f->longValue, v->data(), v->size());
    }
  }
  void set(uint16_t i, const std::string& v) { set(i, &v); }

  // Writes the columns as a record in fresh space; answers its offset.
  uint32_t append(short referenceOld = 0) {
    EXPECT_EQ(sqlLogStoreLongValues(q.get()), 0);
    const uint32_t size = sqlLogRowSize(q.get(), referenceOld);
    uint32_t at = 0;
    EXPECT_EQ(q->rowLog.tmpFindSpace(size, &at), 0);
    EXPECT_EQ(sqlLogWriteRow(q.get(), at, referenceOld), 0);
    return at;
  }

  // Column i's value as the column holds it (a long one: its first 255 bytes).
  std::string value(uint16_t i) {
    sql_qry_fld* f = col(i);
    if (f->valueLength < 0) return "<NULL>";
    const uint32_t n = static_cast<uint32_t>(f->valueLength);
    if (n >= 256) return std::string(reinterpret_cast<char*>(f->value), 255) + "...";
    const uint8_t* bytes = n > f->bufferSize && f->longValue ? f->longValue : f->value;
    return std::string(reinterpret_cast<const char*>(bytes), n);
  }

  std::vector<uint8_t> bytes(uint32_t at, uint32_t n) {
    std::vector<uint8_t> out(n);
    EXPECT_EQ(sqlLogReadBytes(q.get(), at, n, out.data()), 0);
    return out;
  }

  std::unique_ptr<sql_qry> q;
};

std::string text(size_t n, char seed = 'a') {
  std::string s(n, ' ');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 23);
  return s;
}

// The whole value of column (1-based) of the record at offset, read from the log.
std::string logged(sql_qry* q, uint32_t at, uint16_t column) {
  LogValue v;
  if (sqlLogRecordValue(q, at, column, &v)) return "<failed>";
  if (v.kind == LOG_VALUE_NULL) return "<NULL>";
  std::string out(v.length, '\0');
  if (v.length && sqlLogReadBytes(q, v.dataOffset, v.length, &out[0])) return "<failed>";
  return out;
}

TEST(RowLogFormat, EntriesByLength) {
  ThreadErrors errors;
  struct Case {
    int32_t length;  // -1: NULL
    uint8_t marker;
    uint32_t entrySize;
  } kCases[] = {
      {-1, SQLLOG_NULL, 1},
      {0, 0, 1},
      {1, 1, 2},
      {8, 8, 9},
      {121, 121, 122},
      {122, SQLLOG_MEDIUM, 125},
      {255, SQLLOG_MEDIUM, 258},
      {256, SQLLOG_INDIRECT, 5},
      {70000, SQLLOG_INDIRECT, 5},
  };
  for (const Case& c : kCases) {
    BareQuery b(1);
    const std::string v = c.length < 0 ? "" : text(static_cast<size_t>(c.length));
    b.set(0, c.length < 0 ? nullptr : &v);
    ASSERT_EQ(sqlLogStoreLongValues(b.q.get()), 0);
    EXPECT_EQ(sqlLogRowSize(b.q.get(), 0), 2 + c.entrySize) << c.length;
    const uint32_t at = b.append();
    std::vector<uint8_t> head = b.bytes(at, 3);
    EXPECT_EQ(head[0] | head[1] << 8, 1) << c.length;  // the count word
    EXPECT_EQ(head[2], c.marker) << c.length;
    if (c.marker == SQLLOG_MEDIUM) {
      std::vector<uint8_t> length = b.bytes(at + 3, 2);
      EXPECT_EQ(length[0] | length[1] << 8, c.length);
    }
    if (c.marker == SQLLOG_INDIRECT) {
      // The indirect entry points at a long-value record: 124, 32-bit length, bytes.
      std::vector<uint8_t> ref = b.bytes(at + 3, 4);
      const uint32_t target = ref[0] | ref[1] << 8 | ref[2] << 16 | static_cast<uint32_t>(ref[3]) << 24;
      std::vector<uint8_t> record = b.bytes(target, 5);
      EXPECT_EQ(record[0], SQLLOG_LONG);
      EXPECT_EQ(static_cast<int32_t>(record[1] | record[2] << 8 | record[3] << 16 | record[4] << 24),
                c.length);
    }
    // Written with nothing to refer to, the record has no value records left over.
    EXPECT_EQ(b.col(0)->valueRecord, 0u);
    EXPECT_EQ(logged(b.q.get(), at, 1), c.length < 0 ? "<NULL>" : v) << c.length;
    // Read back into the column: the length and the first 255 bytes.
    b.set(0, std::string("stale"));
    ASSERT_EQ(sqlLogReadRecord(b.q.get(), at), 0) << errors.lastText();
    EXPECT_EQ(b.col(0)->valueLength, c.length < 0 ? SQL_NULL_DATA : c.length);
    if (c.length > 0) {
      const size_t kept = c.length < 255 ? static_cast<size_t>(c.length) : 255;
      EXPECT_EQ(std::string(reinterpret_cast<char*>(b.col(0)->value), kept), v.substr(0, kept));
    }
  }
}

TEST(RowLogFormat, MissingEntriesReadAsNullAndTheChangedMarkIsIgnored) {
  ThreadErrors errors;
  BareQuery b(3);
  uint32_t at = 0;
  // One entry for three columns: "ab" inline with the changed mark set; the count word
  // carries the current-row mark.
  const uint8_t record[] = {0x01, 0x80, SQLLOG_CHANGED | 2, 'a', 'b'};
  ASSERT_EQ(b.q->rowLog.tmpFindSpace(sizeof record, &at), 0);
  ASSERT_EQ(b.q->rowLog.tmpWrite(at, record, sizeof record), 0);
  b.set(1, std::string("x"));
  b.set(2, std::string("y"));
  ASSERT_EQ(sqlLogReadRecord(b.q.get(), at), 0) << errors.lastText();
  EXPECT_EQ(b.value(0), "ab");
  EXPECT_EQ(b.col(1)->valueLength, SQL_NULL_DATA);
  EXPECT_EQ(b.col(2)->valueLength, SQL_NULL_DATA);
  // Every marker kind with the changed mark reads as without it.
  b.set(0, std::string(130, 'm'));
  b.set(1, nullptr);
  b.set(2, text(300));
  for (uint16_t i = 0; i < 3; ++i) b.col(i)->flags |= SQLC_CHANGED;
  b.q->flags |= SQLQ_ROW_MARK;
  at = b.append();
  std::vector<uint8_t> bytes = b.bytes(at, 3);
  EXPECT_EQ(bytes[1], 0x80);  // 3 | 0x8000
  EXPECT_EQ(bytes[2], SQLLOG_CHANGED | SQLLOG_MEDIUM);
  EXPECT_EQ(b.bytes(at + 3 + 2 + 130, 1)[0], SQLLOG_CHANGED | SQLLOG_NULL);
  EXPECT_EQ(b.bytes(at + 3 + 2 + 130 + 1, 1)[0], SQLLOG_CHANGED | SQLLOG_INDIRECT);
  EXPECT_EQ(logged(b.q.get(), at, 1), std::string(130, 'm'));
  EXPECT_EQ(logged(b.q.get(), at, 2), "<NULL>");
  EXPECT_EQ(logged(b.q.get(), at, 3), text(300));
}

TEST(RowLogFormat, ContinuationsAndDamagedRecords) {
  ThreadErrors errors;
  BareQuery b(2);
  // Count 2: one entry here, then "z" to the second elsewhere; an aggregate item
  // before the columns is skipped.
  uint32_t head = 0, tail = 0;
  ASSERT_EQ(b.q->rowLog.tmpFindSpace(32, &head), 0);
  ASSERT_EQ(b.q->rowLog.tmpFindSpace(32, &tail), 0);
  const uint8_t second[] = {3, 'x', 'y', 'z'};
  ASSERT_EQ(b.q->rowLog.tmpWrite(tail, second, sizeof second), 0);
  std::vector<uint8_t> first = {3, 0, SQLLOG_AGGREGATE, 2, 0, 9, 9, 1, 'q', SQLLOG_CONTINUE};
  for (int i = 0; i < 4; ++i) first.push_back(static_cast<uint8_t>(tail >> (8 * i)));
  ASSERT_EQ(b.q->rowLog.tmpWrite(head, first.data(), static_cast<uint32_t>(first.size())), 0);
  ASSERT_EQ(sqlLogReadRecord(b.q.get(), head), 0) << errors.lastText();
  EXPECT_EQ(b.value(0), "q");
  EXPECT_EQ(b.value(1), "xyz");
  // An entry that points at nothing, and a chain that loops, fail with 4541.
  const uint8_t zero[] = {1, 0, SQLLOG_INDIRECT, 0, 0, 0, 0};
  ASSERT_EQ(b.q->rowLog.tmpWrite(tail, zero, sizeof zero), 0);
  EXPECT_EQ(sqlLogReadRecord(b.q.get(), tail), 1);
  EXPECT_EQ(errors.last(), 4541);
  uint8_t loop[] = {SQLLOG_INDIRECT, 0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) loop[1 + i] = static_cast<uint8_t>(head >> (8 * i));
  ASSERT_EQ(b.q->rowLog.tmpWrite(head, loop, sizeof loop), 0);
  LogValue v;
  EXPECT_EQ(sqlLogDecodeValue(&b.q->rowLog, head, &v), 1);
  EXPECT_EQ(errors.last(), 4541);
}

TEST(RowLogFormat, NewVersionRefersToUnchangedValues) {
  ThreadErrors errors;
  BareQuery b(6);
  const std::string eight = "12345678", nine = "123456789", medium = text(200), big = text(5000, 'A');
  b.set(0, eight);
  b.set(1, nine);
  b.set(2, medium);
  b.set(3, big);
  b.set(4, nullptr);
  b.set(5, std::string("old"));
  const uint32_t old = b.append();
  // Row edited: column 6 changed; the buffers of the others were clobbered by whatever
  // the caller did meanwhile.
  for (uint16_t i = 0; i < 5; ++i) memset(b.col(i)->value, '#', 255);
  b.col(5)->flags |= SQLC_CHANGED;
  b.set(5, std::string("new value"));
  ASSERT_EQ(sqlLogReferToOld(b.q.get(), old), 0) << errors.lastText();
  EXPECT_EQ(b.col(0)->valueRecord, 0u);  // 8 bytes: copied back
  EXPECT_EQ(b.value(0), eight);
  EXPECT_NE(b.col(1)->valueRecord, 0u);  // 9 bytes: referred to
  EXPECT_NE(b.col(2)->valueRecord, 0u);
  EXPECT_NE(b.col(3)->valueRecord, 0u);  // already indirect: the same target
  EXPECT_EQ(b.col(4)->valueLength, SQL_NULL_DATA);
  EXPECT_EQ(b.col(5)->valueRecord, 0u);
  const uint32_t size = sqlLogRowSize(b.q.get(), 1);
  // count word, 8 inline + 1, three references of 5, NULL 1, "new value" inline 1 + 9.
  EXPECT_EQ(size, 2u + 9 + 5 * 3 + 1 + 10);
  const uint32_t again = b.append(1);
  std::vector<uint8_t> bytes = b.bytes(again, size);
  EXPECT_EQ(bytes[2], 8);
  EXPECT_EQ(bytes[11], SQLLOG_INDIRECT);
  EXPECT_EQ(bytes[26], SQLLOG_NULL);
  EXPECT_EQ(bytes[27], SQLLOG_CHANGED | 9);
  const std::string expected[] = {eight, nine, medium, big, "<NULL>", "new value"};
  for (uint16_t c = 1; c <= 6; ++c) EXPECT_EQ(logged(b.q.get(), again, c), expected[c - 1]) << c;
  // The old version still reads as before.
  EXPECT_EQ(logged(b.q.get(), old, 6), "old");
  for (uint16_t i = 0; i < 6; ++i) EXPECT_EQ(b.col(i)->valueRecord, 0u);
}

// A record placed so that the byte at `split` bytes into it is the first of a new page.
TEST(RowLogFormat, RecordsAcrossPageBoundaries) {
  ThreadErrors errors;
  const uint32_t kBoundaries[] = {2048, 4096, 6144};
  // Record: count word (2), "abc" inline (4), then an indirect entry whose 4-byte
  // offset starts at 7 and a medium entry of 130 bytes.
  for (uint32_t boundary : kBoundaries) {
    for (uint32_t split = 1; split <= 12; ++split) {
      BareQuery b(3);
      b.set(0, std::string("abc"));
      b.set(1, text(3000, 'k'));
      b.set(2, text(130, 'M'));
      uint32_t filler = 0, at = 0;
      const uint32_t end = b.q->rowLog.getEndOffset();
      ASSERT_LT(end, boundary - split);
      ASSERT_EQ(b.q->rowLog.tmpFindSpace(boundary - split - end, &filler), 0);
      const uint32_t size = sqlLogRowSize(b.q.get(), 0);
      ASSERT_EQ(b.q->rowLog.tmpFindSpace(size, &at), 0);
      ASSERT_EQ(at, boundary - split);
      // The long value's record goes after the row's.
      ASSERT_EQ(sqlLogStoreLongValues(b.q.get()), 0);
      ASSERT_EQ(sqlLogWriteRow(b.q.get(), at, 0), 0);
      ASSERT_EQ(sqlLogReadRecord(b.q.get(), at), 0) << boundary << "/" << split << errors.lastText();
      EXPECT_EQ(b.value(0), "abc");
      EXPECT_EQ(b.col(1)->valueLength, 3000);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(b.col(1)->value), 255), text(3000, 'k').substr(0, 255));
      EXPECT_EQ(b.value(2), text(130, 'M')) << boundary << "/" << split;
      EXPECT_EQ(logged(b.q.get(), at, 2), text(3000, 'k')) << boundary << "/" << split;
    }
  }
}

TEST(RowLogFormat, CursorNumbersStraddlingAPage) {
  ThreadErrors errors;
  JxTmpFile file;
  uint32_t at = 0;
  ASSERT_EQ(file.tmpFindSpace(3 * 2048, &at), 0);
  for (uint32_t page : {2048u, 4096u}) {
    for (uint32_t before = 1; before <= 3; ++before) {
      LogCursor w(&file, page - before);
      ASSERT_EQ(w.writeU32(0xA1B2C3D4u), 0);
      ASSERT_EQ(w.writeU16(0xBEEF), 0);
      EXPECT_EQ(w.offset(), page - before + 6);
      LogCursor r(&file, page - before);
      uint32_t v32 = 0;
      uint16_t v16 = 0;
      ASSERT_EQ(r.readU32(&v32), 0);
      ASSERT_EQ(r.readU16(&v16), 0);
      EXPECT_EQ(v32, 0xA1B2C3D4u);
      EXPECT_EQ(v16, 0xBEEF);
      uint8_t raw[4];
      ASSERT_EQ(file.tmpRead(page - before, raw, 4), 0);
      EXPECT_EQ(raw[0], 0xD4);  // little-endian
      EXPECT_EQ(raw[3], 0xA1);
    }
  }
}

TEST(RowLogFormat, EditedValues) {
  ThreadErrors errors;
  BareQuery b(2);
  sql_qry_fld* fixed = b.col(0);
  fixed->layerType = BCV_CHAR;
  fixed->length = 10;
  b.q->flags |= SQLQ_LOGGING;
  ASSERT_EQ(sqlLogStoreValue("abc", 3, fixed, b.q.get()), 0) << errors.lastText();
  // Padded with blanks to the width; an edited-value record of 125, length, bytes.
  EXPECT_EQ(fixed->valueLength, 10);
  EXPECT_STREQ(reinterpret_cast<char*>(fixed->longValue), "abc       ");
  ASSERT_NE(fixed->valueRecord, 0u);
  std::vector<uint8_t> record = b.bytes(fixed->valueRecord, 13);
  EXPECT_EQ(record[0], SQLLOG_MEDIUM);
  EXPECT_EQ(record[1], 10);
  EXPECT_EQ(std::string(record.begin() + 3, record.end()), "abc       ");
  const std::string big = text(1000);
  ASSERT_EQ(sqlLogStoreValue(big.data(), 1000, b.col(1), b.q.get()), 0);
  // Written with reference: both columns point at their edited-value records.
  const uint32_t at = b.append(1);
  EXPECT_EQ(sqlLogRowSize(b.q.get(), 0), 2u + 11 + 5);  // the offsets were used up
  EXPECT_EQ(b.bytes(at + 2, 1)[0], SQLLOG_INDIRECT);
  EXPECT_EQ(logged(b.q.get(), at, 1), "abc       ");
  EXPECT_EQ(logged(b.q.get(), at, 2), big);
  // Without logging only the column changes.
  b.q->flags &= ~SQLQ_LOGGING;
  ASSERT_EQ(sqlLogStoreValue("xy", 2, b.col(1), b.q.get()), 0);
  EXPECT_EQ(b.col(1)->valueRecord, 0u);
  EXPECT_EQ(b.value(1), "xy");
  // A value beyond 65000 bytes is cut there.
  std::string huge(70000, 'h');
  b.q->flags |= SQLQ_LOGGING;
  ASSERT_EQ(sqlLogStoreValue(huge.data(), 70000, b.col(1), b.q.get()), 0);
  EXPECT_EQ(b.col(1)->valueLength, 65000);
}

TEST(RowLogFormat, DroppingAnAggregatePrefix) {
  ThreadErrors errors;
  JxTmpFile file;
  uint32_t head = 0, tail = 0;
  ASSERT_EQ(file.tmpFindSpace(300, &head), 0);
  ASSERT_EQ(file.tmpFindSpace(300, &tail), 0);
  // Two aggregate items, the second behind a continuation, then one column entry.
  std::vector<uint8_t> first = {3, 0x80, SQLLOG_AGGREGATE, 2, 0, 'a', 'b', SQLLOG_CONTINUE};
  for (int i = 0; i < 4; ++i) first.push_back(static_cast<uint8_t>(tail >> (8 * i)));
  const uint8_t second[] = {SQLLOG_AGGREGATE, 1, 0, 'c', 2, 'x', 'y'};
  ASSERT_EQ(file.tmpWrite(head, first.data(), static_cast<uint32_t>(first.size())), 0);
  ASSERT_EQ(file.tmpWrite(tail, second, sizeof second), 0);
  uint32_t at = head;
  uint16_t count = 0;
  ASSERT_EQ(sqlLogDropAggregates(&file, &at, &count), 0) << errors.lastText();
  EXPECT_EQ(at, tail + 4);
  EXPECT_EQ(count, 1);
  // Aggregate items only, at the end of the file: freed whole.
  uint32_t only = 0;
  const uint8_t items[] = {1, 0, SQLLOG_AGGREGATE, 1, 0, 'z'};
  ASSERT_EQ(file.tmpFindSpace(sizeof items, &only), 0);
  ASSERT_EQ(file.tmpWrite(only, items, sizeof items), 0);
  at = only;
  ASSERT_EQ(sqlLogDropAggregates(&file, &at, &count), 0);
  EXPECT_EQ(at, SQLLOG_PLACEHOLDER);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(file.getEndOffset(), only);
}

// The golden log: a handful of rows of every entry kind, a rewritten version and an
// edited value, byte for byte. One file serves both builds: the layout has no pointer or
// long in it. OV_WRITE_GOLDEN=1 writes the file instead of comparing.
TEST(RowLogFormat, GoldenBytes) {
  ThreadErrors errors;
  BareQuery b(4);
  const std::string rows[][4] = {
      {"1", "Avery", "", "Leeds"},
      {"2", text(121), text(122), text(255)},
      {"3", text(256), "x", "NULL"},
  };
  std::vector<uint32_t> offsets;
  for (const auto& r : rows) {
    for (uint16_t i = 0; i < 4; ++i) b.set(i, r[i] == "NULL" ? nullptr : &r[i]);
    offsets.push_back(b.append());
  }
  // Row 1 again with column 2 edited: the rest referred to or copied.
  ASSERT_EQ(sqlLogReadRecord(b.q.get(), offsets[0]), 0);
  b.q->flags |= SQLQ_LOGGING;
  b.col(1)->flags |= SQLC_CHANGED;
  ASSERT_EQ(sqlLogStoreValue("Blake", 5, b.col(1), b.q.get()), 0);
  ASSERT_EQ(sqlLogReferToOld(b.q.get(), offsets[0]), 0);
  offsets.push_back(b.append(1));
  const uint32_t end = b.q->rowLog.getEndOffset();
  std::vector<uint8_t> log = b.bytes(1, end - 1);
  const std::string path = std::string(ROWLOG_TEST_DATA) + "/sqlrowlog_golden.bin";
  if (getenv("OV_WRITE_GOLDEN")) {
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    fwrite(log.data(), 1, log.size(), out);
    fclose(out);
  }
  FILE* in = fopen(path.c_str(), "rb");
  ASSERT_TRUE(in) << path;
  std::vector<uint8_t> golden(1 << 16);
  golden.resize(fread(golden.data(), 1, golden.size(), in));
  fclose(in);
  EXPECT_EQ(log, golden);
  EXPECT_EQ(logged(b.q.get(), offsets[3], 2), "Blake");
  EXPECT_EQ(logged(b.q.get(), offsets[3], 4), "Leeds");
  EXPECT_EQ(logged(b.q.get(), offsets[2], 2), text(256));
}

}  // namespace
