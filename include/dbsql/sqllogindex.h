// The row log's index: a tree of fixed-size nodes in the query's temporary file that maps
// a row number to the offset of the row's record and keeps, per row, a count of child
// rows (a break level's group row counts the rows of its group). The root lives only in
// memory; the path from it to the leaf of the last located row is kept in memory too, so
// that consecutive row numbers read no node. Nodes are never merged or freed: a leaf may
// become empty, and rows are still found through the running row totals.
//
// Beside it, the undo journal of log changes made for a pending edit, replayed newest
// first to take them back.
//
// Row numbers are 1-based. Every JxStatus answer is 0 on success and 1 on failure with the
// message in the calling thread's error list (the temporary file's or memory's own, or
// "The row number '...' is not valid." for a row outside the index).
#pragma once

#include "dbsql/sqlquery.h"

// Words of a node. On disk a node is 194 little-endian 32-bit words; each in-memory
// level of the path has one word more, the child chosen on the path.
enum SqlLogNodeWord : uint32_t {
  SQLLOG_KIND = 0,               // SqlLogNodeKind
  SQLLOG_COUNT = 1,              // entries of a leaf, children of a branch
  SQLLOG_LEAF_OFFSETS = 2,       // leaf: record offset of entry i at 2 + i
  SQLLOG_LEAF_WEIGHTS = 98,      // leaf: running child count through entry i at 98 + i
  SQLLOG_BRANCH_ROWS = 2,        // branch: running row total through child i at 2 + i
  SQLLOG_BRANCH_WEIGHTS = 66,    // branch: running child count through child i at 66 + i
  SQLLOG_BRANCH_CHILDREN = 130,  // branch: file offset of child i at 130 + i
  SQLLOG_NODE_WORDS = 194,       // words stored in the file
  SQLLOG_CHOSEN = 194,           // in memory only: the child whose node the next level holds
  SQLLOG_LEVEL_WORDS = 195
};

enum SqlLogNodeKind : uint32_t { SQLLOG_BRANCH = 0, SQLLOG_LEAF = 1 };

enum SqlLogNodeLimits : uint32_t {
  SQLLOG_NODE_BYTES = 776,
  SQLLOG_LEAF_MAX = 96,
  SQLLOG_LEAF_KEEP = 48,  // a full leaf that splits keeps 48 entries; 49 move
  SQLLOG_BRANCH_MAX = 64,
  SQLLOG_BRANCH_KEEP = 32  // a full branch that splits keeps 32 children; 33 move
};

// Kinds of journal entries: what the change did, so the replay does the opposite.
enum SqlLogJournalKind : uint8_t {
  SQLLOG_INSERTED = 1,  // a row was inserted (value 0)
  SQLLOG_UPDATED = 2,   // a row's record offset changed; the value is the old offset
  SQLLOG_REMOVED = 3    // a row was removed; the value is its record offset
};

enum SqlLogJournalLimits : uint32_t {
  SQLLOG_JOURNAL_ENTRY = 9,     // value (32 bits), row (32 bits), kind (8 bits)
  SQLLOG_JOURNAL_GROWTH = 100,  // entries
  SQLLOG_JOURNAL_LIMIT = 64636  // a journal that would reach this many bytes is full
};

// No row located (sql_qry::logLoadedRow).
const uint32_t SQLLOG_NO_ROW = 0xFFFFFFFFu;

static_assert(SQLLOG_LEVEL_WORDS * 4 == SQL_LOG_PATH_SIZE, "a path level is one node and its chosen child");
static_assert(SQLLOG_NODE_WORDS * 4 == SQLLOG_NODE_BYTES, "a node on disk is 194 words");

extern "C" {

// Frees the path and makes a fresh one: one empty leaf as the root, depth 1, no row
// located, the next log row 1. 1 only when there is neither memory nor an old path.
JXSQL04_API JxStatus sqlLogIndexReset(sql_qry* query);
// Loads the path to the leaf that holds *row and turns *row into the row's 1-based
// position in that leaf.
JXSQL04_API JxStatus sqlLogIndexLoadPath(sql_qry* query, uint32_t* row);
JXSQL04_API JxStatus sqlLogIndexGetOffset(sql_qry* query, uint32_t row, uint32_t* offset);
// Points the row at another record; the leaf is written back.
JXSQL04_API JxStatus sqlLogIndexSetOffset(sql_qry* query, uint32_t row, uint32_t offset);
// A new row with the record offset after the first `position` rows, with no children.
JXSQL04_API JxStatus sqlLogIndexInsert(sql_qry* query, uint32_t offset, uint32_t position);
// Takes the row out and answers its record offset; its children leave the totals. The
// break level above (query->parent) then loses one child of its current row.
JXSQL04_API JxStatus sqlLogIndexDelete(sql_qry* query, uint32_t row, uint32_t* oldOffset);
// The level's current row (row 1 when there is none) loses n children; a row with no
// more than n children is removed instead, and the level's current, fetched and logged
// row numbers (and its row count when known) drop by one.
JXSQL04_API JxStatus sqlLogIndexReduceWeight(sql_qry* level, uint32_t n);
// The level's current row (row 1 when there is none) gains one child.
JXSQL04_API JxStatus sqlLogIndexAddWeight(sql_qry* level);
// Rows in the index (0 without a path).
JXSQL04_API uint32_t sqlLogIndexCount(sql_qry* query);
// The children of a row (0 for a row outside the index). Loads the row's path.
JXSQL04_API uint32_t sqlLogIndexWeight(sql_qry* query, uint32_t row);

// Remembers a change of the log for the pending edit. Fails when the journal is full.
JXSQL04_API JxStatus sqlLogJournalAdd(sql_qry* query, uint8_t kind, uint32_t oldOffset, uint32_t row);
// Forgets the journal, keeping the changes, and drops the statement handles kept for the
// pending edit.
JXSQL04_API void sqlLogJournalDiscard(sql_qry* query);
// Takes the journal's changes back, newest first, then drops the statement handles kept
// for the pending edit. A failing step stops the replay with the entries not yet undone
// left in the journal.
JXSQL04_API JxStatus sqlLogJournalReplay(sql_qry* query);

}  // extern "C"
