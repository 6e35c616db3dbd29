// The row log's index and undo journal. The path in memory is an array of levels, level
// 0 the root; level L's chosen word names the child of level L whose node level L + 1
// holds (none when level L + 1 holds nothing valid). Every change is made in memory
// first and then written down the path, so a failing write leaves the path in memory
// whole and the file behind it.
#include "dbsql/sqllogindex.h"

#include "dbsql/sqlhstmt.h"
#include "dbutil/jxmemory.h"
#include "sqlquery_internal.h"

#include <algorithm>
#include <initializer_list>
#include <string.h>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "nodes are stored as the machine's words");

namespace {

const uint32_t kNone = 0xFFFFFFFFu;

uint32_t* levelOf(sql_qry* q, uint32_t l) {
  return static_cast<uint32_t*>(q->logIndexPath) + l * SQLLOG_LEVEL_WORDS;
}

bool isLeaf(const uint32_t* n) { return n[SQLLOG_KIND] == SQLLOG_LEAF; }

// The running total of the entries (or children) before index i.
uint32_t before(const uint32_t* totals, uint32_t i) { return i ? totals[i - 1] : 0; }

uint32_t rowsOf(const uint32_t* n) {
  uint32_t c = n[SQLLOG_COUNT];
  if (isLeaf(n)) return c;
  return c ? n[SQLLOG_BRANCH_ROWS + c - 1] : 0;
}

uint32_t weightOf(const uint32_t* n) {
  uint32_t c = n[SQLLOG_COUNT];
  if (!c) return 0;
  return n[(isLeaf(n) ? SQLLOG_LEAF_WEIGHTS : SQLLOG_BRANCH_WEIGHTS) + c - 1];
}

JxStatus badRow(uint32_t row) {
  if (JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE)) *e << "row number" << static_cast<unsigned long>(row);
  return 1;
}

JxStatus noPath(sql_qry* q, const char* where) {
  return q ? sqlMissing("row index", where) : sqlMissing("query", where);
}

JxStatus readNode(sql_qry* q, uint32_t offset, uint32_t* into) {
  ++q->logNodeReads;
  into[SQLLOG_CHOSEN] = kNone;
  return q->rowLog.tmpRead(offset, into, SQLLOG_NODE_BYTES);
}

// The file place of level l (l >= 1): its parent's offset of the chosen child.
uint32_t placeOf(sql_qry* q, uint32_t l) {
  const uint32_t* parent = levelOf(q, l - 1);
  return parent[SQLLOG_BRANCH_CHILDREN + parent[SQLLOG_CHOSEN]];
}

// Writes the path's levels from..to (the root is never written).
JxStatus writePath(sql_qry* q, uint32_t from, uint32_t to) {
  for (uint32_t l = from < 1 ? 1 : from; l <= to; ++l)
    if (q->rowLog.tmpWrite(placeOf(q, l), levelOf(q, l), SQLLOG_NODE_BYTES)) return 1;
  return 0;
}

// Adds the deltas to every branch level's totals from the chosen child on.
void adjustBranches(sql_qry* q, uint32_t belowLevel, uint32_t dRows, uint32_t dWeight) {
  for (uint32_t l = belowLevel; l-- > 0;) {
    uint32_t* n = levelOf(q, l);
    for (uint32_t j = n[SQLLOG_CHOSEN]; j < n[SQLLOG_COUNT]; ++j) {
      n[SQLLOG_BRANCH_ROWS + j] += dRows;
      n[SQLLOG_BRANCH_WEIGHTS + j] += dWeight;
    }
  }
}

// The leftmost child whose running row total reaches r: among children emptied by
// removals (equal totals) the first, where appending goes on.
uint32_t chooseChild(const uint32_t* n, uint32_t r) {
  const uint32_t* rows = n + SQLLOG_BRANCH_ROWS;
  uint32_t count = n[SQLLOG_COUNT];
  if (r > rows[count - 1]) return 0;  // only an insertion into an index without rows
  return (uint32_t)(std::lower_bound(rows, rows + count, r) - rows);
}

// Loads the path to the leaf that holds row r (r >= 1) and answers r's position in it.
// A level whose chosen child is already in memory reads nothing.
JxStatus descend(sql_qry* q, uint32_t r, uint32_t* position) {
  for (uint32_t l = 0; l + 1 < q->logDepth; ++l) {
    uint32_t* n = levelOf(q, l);
    if (n[SQLLOG_COUNT] == 0) return badRow(r);  // a branch always has children
    uint32_t i = chooseChild(n, r);
    r -= before(n + SQLLOG_BRANCH_ROWS, i);
    if (n[SQLLOG_CHOSEN] != i) {
      n[SQLLOG_CHOSEN] = kNone;
      if (readNode(q, n[SQLLOG_BRANCH_CHILDREN + i], levelOf(q, l + 1))) return 1;
      n[SQLLOG_CHOSEN] = i;
    }
  }
  *position = r;
  return 0;
}

// Loads the path to an existing row; its position in the leaf in *position.
JxStatus locate(sql_qry* q, uint32_t row, uint32_t* position, const char* where) {
  if (!q || !q->logIndexPath) return noPath(q, where);
  if (row == 0 || row > rowsOf(levelOf(q, 0))) return badRow(row);
  if (descend(q, row, position)) {
    q->logLoadedRow = SQLLOG_NO_ROW;
    return 1;
  }
  q->logLoadedRow = row;
  return 0;
}

// The two halves of a node that split: the left one stays at the node's place (or takes
// fresh space when the node was the root), the right one takes fresh space.
struct Halves {
  uint32_t left[SQLLOG_LEVEL_WORDS];
  uint32_t right[SQLLOG_LEVEL_WORDS];
};

// Splits a full leaf at level l with the new entry at idx into two halves.
void splitLeaf(const uint32_t* leaf, uint32_t idx, uint32_t offset, Halves* h) {
  const uint32_t total = SQLLOG_LEAF_MAX + 1;
  uint32_t offs[total], wts[total];
  for (uint32_t j = 0, k = 0; j < total; ++j) {
    if (j == idx) {
      offs[j] = offset;
      wts[j] = before(leaf + SQLLOG_LEAF_WEIGHTS, idx);
    } else {
      offs[j] = leaf[SQLLOG_LEAF_OFFSETS + k];
      wts[j] = leaf[SQLLOG_LEAF_WEIGHTS + k];
      ++k;
    }
  }
  memset(h, 0, sizeof *h);
  const uint32_t keep = SQLLOG_LEAF_KEEP, base = wts[keep - 1];
  h->left[SQLLOG_KIND] = h->right[SQLLOG_KIND] = SQLLOG_LEAF;
  h->left[SQLLOG_COUNT] = keep;
  h->right[SQLLOG_COUNT] = total - keep;
  for (uint32_t j = 0; j < total; ++j) {
    uint32_t* n = j < keep ? h->left : h->right;
    uint32_t at = j < keep ? j : j - keep;
    n[SQLLOG_LEAF_OFFSETS + at] = offs[j];
    n[SQLLOG_LEAF_WEIGHTS + at] = j < keep ? wts[j] : wts[j] - base;
  }
  h->left[SQLLOG_CHOSEN] = h->right[SQLLOG_CHOSEN] = kNone;
}

// What a split hands to the level above: the right half's place and where the new entry
// went.
struct SplitResult {
  uint32_t rightPlace;
  bool inRight;
};

// Makes the new root over two halves (the old root split); the path moves one level
// down, level 1 holding the half with the new entry.
void growRoot(sql_qry* q, const Halves& h, uint32_t leftPlace, uint32_t rightPlace, bool inRight) {
  const uint32_t depth = q->logDepth;
  memmove(levelOf(q, 1), levelOf(q, 0), depth * SQL_LOG_PATH_SIZE);
  memcpy(levelOf(q, 1), inRight ? h.right : h.left, SQL_LOG_PATH_SIZE);
  uint32_t* root = levelOf(q, 0);
  memset(root, 0, SQL_LOG_PATH_SIZE);
  root[SQLLOG_KIND] = SQLLOG_BRANCH;
  root[SQLLOG_COUNT] = 2;
  root[SQLLOG_BRANCH_ROWS] = rowsOf(h.left);
  root[SQLLOG_BRANCH_ROWS + 1] = rowsOf(h.left) + rowsOf(h.right);
  root[SQLLOG_BRANCH_WEIGHTS] = weightOf(h.left);
  root[SQLLOG_BRANCH_WEIGHTS + 1] = weightOf(h.left) + weightOf(h.right);
  root[SQLLOG_BRANCH_CHILDREN] = leftPlace;
  root[SQLLOG_BRANCH_CHILDREN + 1] = rightPlace;
  root[SQLLOG_CHOSEN] = inRight ? 1 : 0;
  q->logDepth = static_cast<uint16_t>(depth + 1);
}

// The path as it was before a change, put back when the change fails part-way: the
// index in memory stays as it was and is written down again as far as the file takes it.
class PathSnapshot {
 public:
  explicit PathSnapshot(sql_qry* q)
      : q_(q), depth_(q->logDepth), weight_(q->totalWeight), bytes_(depth_ * SQL_LOG_PATH_SIZE) {
    saved_ = bytes_ <= sizeof local_ ? local_ : static_cast<uint8_t*>(ramAlloc(bytes_));
    if (saved_) memcpy(saved_, q->logIndexPath, bytes_);
  }
  ~PathSnapshot() {
    if (saved_ != local_) ramFree(saved_);
  }
  PathSnapshot(const PathSnapshot&) = delete;
  PathSnapshot& operator=(const PathSnapshot&) = delete;
  bool ok() const { return saved_ != nullptr; }
  void restore() {
    memcpy(q_->logIndexPath, saved_, bytes_);
    q_->logDepth = depth_;
    q_->totalWeight = weight_;
    writePath(q_, 1, depth_ - 1u);
  }

 private:
  sql_qry* q_;
  uint16_t depth_;
  uint32_t weight_;
  uint32_t bytes_;
  uint8_t* saved_;
  uint8_t local_[6 * SQL_LOG_PATH_SIZE];
};

// Runs a change of a loaded path; when it fails the path is put back.
template <class Change>
JxStatus guarded(sql_qry* q, Change change) {
  PathSnapshot before(q);
  if (!before.ok()) return 1;
  if (!change()) return 0;
  before.restore();
  return 1;
}

// Inserts at index idx of the loaded leaf.
JxStatus insertRow(sql_qry* q, uint32_t offset, uint32_t idx) {
  const uint32_t depth = q->logDepth;

  // How many levels split: the full ones from the leaf up.
  uint32_t splits = 0;
  for (uint32_t l = depth; l-- > 0;) {
    const uint32_t* n = levelOf(q, l);
    if (n[SQLLOG_COUNT] < (isLeaf(n) ? SQLLOG_LEAF_MAX : SQLLOG_BRANCH_MAX)) break;
    ++splits;
  }
  const bool rootSplits = splits == depth;

  uint32_t* leaf = levelOf(q, depth - 1);
  if (!splits) {
    uint32_t n = leaf[SQLLOG_COUNT];
    memmove(leaf + SQLLOG_LEAF_OFFSETS + idx + 1, leaf + SQLLOG_LEAF_OFFSETS + idx, (n - idx) * 4);
    memmove(leaf + SQLLOG_LEAF_WEIGHTS + idx + 1, leaf + SQLLOG_LEAF_WEIGHTS + idx, (n - idx) * 4);
    leaf[SQLLOG_LEAF_OFFSETS + idx] = offset;
    leaf[SQLLOG_LEAF_WEIGHTS + idx] = before(leaf + SQLLOG_LEAF_WEIGHTS, idx);
    leaf[SQLLOG_COUNT] = n + 1;
    adjustBranches(q, depth - 1, 1, 0);
    return writePath(q, 1, depth - 1);
  }

  // Everything that can fail before the path changes: the level for a new root, fresh
  // places for the right halves (and the old root's left half), the halves themselves.
  if (rootSplits && q->logLevels < depth + 1) {
    void* path = q->logIndexPath;
    if (ramResize(&path, (depth + 1) * SQL_LOG_PATH_SIZE)) return 1;
    q->logIndexPath = path;
    q->logLevels = static_cast<uint16_t>(depth + 1);
  }
  const uint32_t places = splits + (rootSplits ? 1 : 0);
  uint32_t place[2 * 64];
  Halves* halves = static_cast<Halves*>(ramAlloc(splits * static_cast<uint32_t>(sizeof(Halves))));
  if (!halves || places > sizeof place / sizeof place[0]) {
    ramFree(halves);
    return 1;
  }
  for (uint32_t i = 0; i < places; ++i)
    if (q->rowLog.tmpFindSpace(SQLLOG_NODE_BYTES, &place[i])) {
      while (i-- > 0) q->rowLog.tmpFreeSpace(place[i], SQLLOG_NODE_BYTES);
      ramFree(halves);
      return 1;
    }

  // The leaf splits 48 / 49, then each full branch above it 32 / 33.
  splitLeaf(leaf, idx, offset, &halves[0]);
  SplitResult carry = {place[0], idx >= SQLLOG_LEAF_KEEP};
  uint32_t l = depth - 1;
  for (uint32_t s = 1;; ++s) {
    const Halves& h = halves[s - 1];
    if (l == 0) {
      growRoot(q, h, place[splits], carry.rightPlace, carry.inRight);
      break;
    }
    // The half with the new entry goes on the path; the parent gains the right half.
    memcpy(levelOf(q, l), carry.inRight ? h.right : h.left, SQL_LOG_PATH_SIZE);
    uint32_t* parent = levelOf(q, l - 1);
    const uint32_t c = parent[SQLLOG_CHOSEN], n = parent[SQLLOG_COUNT];
    uint32_t rows[SQLLOG_BRANCH_MAX + 1], wts[SQLLOG_BRANCH_MAX + 1], kids[SQLLOG_BRANCH_MAX + 1];
    const uint32_t rowsBefore = before(parent + SQLLOG_BRANCH_ROWS, c);
    const uint32_t weightBefore = before(parent + SQLLOG_BRANCH_WEIGHTS, c);
    for (uint32_t j = 0; j <= n; ++j) {
      if (j < c) {
        rows[j] = parent[SQLLOG_BRANCH_ROWS + j];
        wts[j] = parent[SQLLOG_BRANCH_WEIGHTS + j];
        kids[j] = parent[SQLLOG_BRANCH_CHILDREN + j];
      } else if (j == c) {
        rows[j] = rowsBefore + rowsOf(h.left);
        wts[j] = weightBefore + weightOf(h.left);
        kids[j] = parent[SQLLOG_BRANCH_CHILDREN + c];
      } else if (j == c + 1) {
        rows[j] = rows[c] + rowsOf(h.right);
        wts[j] = wts[c] + weightOf(h.right);
        kids[j] = carry.rightPlace;
      } else {
        // One row more before these children; the new entry brings no children.
        rows[j] = parent[SQLLOG_BRANCH_ROWS + j - 1] + 1;
        wts[j] = parent[SQLLOG_BRANCH_WEIGHTS + j - 1];
        kids[j] = parent[SQLLOG_BRANCH_CHILDREN + j - 1];
      }
    }
    const uint32_t chosen = c + (carry.inRight ? 1 : 0);
    --l;
    if (s == splits) {
      // The parent has room: the split ends here.
      for (uint32_t j = 0; j <= n; ++j) {
        parent[SQLLOG_BRANCH_ROWS + j] = rows[j];
        parent[SQLLOG_BRANCH_WEIGHTS + j] = wts[j];
        parent[SQLLOG_BRANCH_CHILDREN + j] = kids[j];
      }
      parent[SQLLOG_COUNT] = n + 1;
      parent[SQLLOG_CHOSEN] = chosen;
      adjustBranches(q, l, 1, 0);
      break;
    }
    // The parent was full: 32 children stay, 33 move, their totals rebased.
    Halves& up = halves[s];
    memset(&up, 0, sizeof up);
    const uint32_t keep = SQLLOG_BRANCH_KEEP, total = SQLLOG_BRANCH_MAX + 1;
    up.left[SQLLOG_COUNT] = keep;
    up.right[SQLLOG_COUNT] = total - keep;
    for (uint32_t j = 0; j < total; ++j) {
      uint32_t* node = j < keep ? up.left : up.right;
      uint32_t at = j < keep ? j : j - keep;
      node[SQLLOG_BRANCH_ROWS + at] = j < keep ? rows[j] : rows[j] - rows[keep - 1];
      node[SQLLOG_BRANCH_WEIGHTS + at] = j < keep ? wts[j] : wts[j] - wts[keep - 1];
      node[SQLLOG_BRANCH_CHILDREN + at] = kids[j];
    }
    up.left[SQLLOG_CHOSEN] = chosen < keep ? chosen : kNone;
    up.right[SQLLOG_CHOSEN] = chosen < keep ? kNone : chosen - keep;
    carry = {place[s], chosen >= keep};
  }

  // Down to the file: the halves off the path at their places, then the path.
  JxStatus st = 0;
  const uint32_t newDepth = q->logDepth;
  for (uint32_t s = 0; s < splits && !st; ++s) {
    // halves[s] split the node now at level newDepth - 1 - s; its right half took
    // place[s]. The half off the path sits beside the chosen child: the right half
    // after it, or the left half (at the node's old place) before it.
    const uint32_t* parent = levelOf(q, newDepth - 2 - s);
    const uint32_t c = parent[SQLLOG_CHOSEN];
    const bool rightOnPath = parent[SQLLOG_BRANCH_CHILDREN + c] == place[s];
    const uint32_t offPlace = rightOnPath ? parent[SQLLOG_BRANCH_CHILDREN + c - 1] : place[s];
    st = q->rowLog.tmpWrite(offPlace, rightOnPath ? halves[s].left : halves[s].right, SQLLOG_NODE_BYTES);
  }
  ramFree(halves);
  if (!st) st = writePath(q, 1, newDepth - 1);
  if (st)
    for (uint32_t i = 0; i < places; ++i) q->rowLog.tmpFreeSpace(place[i], SQLLOG_NODE_BYTES);
  return st;
}

JxStatus changeWeight(sql_qry* q, uint32_t row, uint32_t amount, bool add, const char* where) {
  uint32_t k = 0;
  if (locate(q, row, &k, where)) return 1;
  return guarded(q, [&] {
    uint32_t* leaf = levelOf(q, q->logDepth - 1);
    const uint32_t delta = add ? amount : 0u - amount;
    for (uint32_t j = k - 1; j < leaf[SQLLOG_COUNT]; ++j) leaf[SQLLOG_LEAF_WEIGHTS + j] += delta;
    adjustBranches(q, q->logDepth - 1, 0, delta);
    q->totalWeight += delta;
    return writePath(q, 1, q->logDepth - 1);
  });
}

uint32_t currentOrFirst(const sql_qry* level) { return level->currentRow ? level->currentRow : 1; }

void lower(uint32_t* counter) {
  if (*counter && *counter != 0xFFFFFFFFu) --*counter;
}

JxStatus dropEditHandles(sql_qry* q) {
  JxStatus st = 0;
  for (SQLHSTMT* h : {&q->insertHstmt, &q->thirdHstmt})
    if (*h) {
      SQLHSTMT old = *h;
      *h = nullptr;
      if (q->connection && sqlDropHstmt(q->connection, old, SQL_DROP)) st = 1;
    }
  return st;
}

}  // namespace

JxStatus sqlLogIndexReset(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlLogIndexReset");
  void* path = ramAllocZ(SQL_LOG_PATH_SIZE);
  if (path) {
    ramFree(q->logIndexPath);
    q->logIndexPath = path;
    q->logLevels = 1;
  } else if (!q->logIndexPath) {
    return 1;
  }
  // Without memory for a fresh path the old one is emptied in place.
  uint32_t* root = levelOf(q, 0);
  memset(root, 0, SQL_LOG_PATH_SIZE);
  root[SQLLOG_KIND] = SQLLOG_LEAF;
  root[SQLLOG_CHOSEN] = kNone;
  q->logDepth = 1;
  q->logLoadedRow = SQLLOG_NO_ROW;
  q->rowsInLog = 0;
  return 0;
}

JxStatus sqlLogIndexLoadPath(sql_qry* q, uint32_t* row) {
  if (!row) return sqlMissing("row number", "sqlLogIndexLoadPath");
  uint32_t k = 0;
  if (locate(q, *row, &k, "sqlLogIndexLoadPath")) return 1;
  *row = k;
  return 0;
}

JxStatus sqlLogIndexGetOffset(sql_qry* q, uint32_t row, uint32_t* offset) {
  if (!offset) return sqlMissing("offset", "sqlLogIndexGetOffset");
  uint32_t k = 0;
  if (locate(q, row, &k, "sqlLogIndexGetOffset")) return 1;
  *offset = levelOf(q, q->logDepth - 1)[SQLLOG_LEAF_OFFSETS + k - 1];
  return 0;
}

JxStatus sqlLogIndexSetOffset(sql_qry* q, uint32_t row, uint32_t offset) {
  uint32_t k = 0;
  if (locate(q, row, &k, "sqlLogIndexSetOffset")) return 1;
  const uint32_t leaf = q->logDepth - 1u;
  return guarded(q, [&] {
    levelOf(q, leaf)[SQLLOG_LEAF_OFFSETS + k - 1] = offset;
    return writePath(q, leaf, leaf);
  });
}

JxStatus sqlLogIndexInsert(sql_qry* q, uint32_t offset, uint32_t position) {
  if (!q || !q->logIndexPath) return noPath(q, "sqlLogIndexInsert");
  if (position > rowsOf(levelOf(q, 0))) return badRow(position + 1);
  q->logLoadedRow = SQLLOG_NO_ROW;
  uint32_t k = 0;
  if (descend(q, position ? position : 1, &k)) return 1;
  return guarded(q, [&] { return insertRow(q, offset, position ? k : 0); });
}

JxStatus sqlLogIndexDelete(sql_qry* q, uint32_t row, uint32_t* oldOffset) {
  uint32_t k = 0;
  if (locate(q, row, &k, "sqlLogIndexDelete")) return 1;
  q->logLoadedRow = SQLLOG_NO_ROW;
  const uint32_t depth = q->logDepth;
  uint32_t offset = 0;
  JxStatus st = guarded(q, [&] {
    uint32_t* leaf = levelOf(q, depth - 1);
    const uint32_t idx = k - 1, n = leaf[SQLLOG_COUNT];
    const uint32_t w = leaf[SQLLOG_LEAF_WEIGHTS + idx] - before(leaf + SQLLOG_LEAF_WEIGHTS, idx);
    offset = leaf[SQLLOG_LEAF_OFFSETS + idx];
    for (uint32_t j = idx; j + 1 < n; ++j) {
      leaf[SQLLOG_LEAF_OFFSETS + j] = leaf[SQLLOG_LEAF_OFFSETS + j + 1];
      leaf[SQLLOG_LEAF_WEIGHTS + j] = leaf[SQLLOG_LEAF_WEIGHTS + j + 1] - w;
    }
    leaf[SQLLOG_LEAF_OFFSETS + n - 1] = 0;
    leaf[SQLLOG_LEAF_WEIGHTS + n - 1] = 0;
    leaf[SQLLOG_COUNT] = n - 1;
    adjustBranches(q, depth - 1, 0u - 1u, 0u - w);
    q->totalWeight -= w;
    return writePath(q, 1, depth - 1);
  });
  if (st) return 1;
  if (oldOffset) *oldOffset = offset;
  return q->parent ? sqlLogIndexReduceWeight(q->parent, 1) : 0;
}

JxStatus sqlLogIndexReduceWeight(sql_qry* level, uint32_t n) {
  if (!level || !level->logIndexPath) return noPath(level, "sqlLogIndexReduceWeight");
  const uint32_t row = currentOrFirst(level);
  uint32_t k = 0;
  if (locate(level, row, &k, "sqlLogIndexReduceWeight")) return 1;
  const uint32_t* leaf = levelOf(level, level->logDepth - 1);
  const uint32_t own = leaf[SQLLOG_LEAF_WEIGHTS + k - 1] - before(leaf + SQLLOG_LEAF_WEIGHTS, k - 1);
  if (own > n) return changeWeight(level, row, n, false, "sqlLogIndexReduceWeight");
  if (sqlLogIndexDelete(level, row, nullptr)) return 1;
  lower(&level->currentRow);
  lower(&level->rowsFetched);
  lower(&level->rowsInLog);
  lower(&level->rowCount);
  return 0;
}

JxStatus sqlLogIndexAddWeight(sql_qry* level) {
  if (!level) return noPath(level, "sqlLogIndexAddWeight");
  return changeWeight(level, currentOrFirst(level), 1, true, "sqlLogIndexAddWeight");
}

uint32_t sqlLogIndexCount(sql_qry* q) { return q && q->logIndexPath ? rowsOf(levelOf(q, 0)) : 0; }

uint32_t sqlLogIndexWeight(sql_qry* q, uint32_t row) {
  if (!q || !q->logIndexPath || row == 0 || row > rowsOf(levelOf(q, 0))) return 0;
  uint32_t k = 0;
  if (locate(q, row, &k, "sqlLogIndexWeight")) return 0;
  const uint32_t* leaf = levelOf(q, q->logDepth - 1);
  return leaf[SQLLOG_LEAF_WEIGHTS + k - 1] - before(leaf + SQLLOG_LEAF_WEIGHTS, k - 1);
}

JxStatus sqlLogJournalAdd(sql_qry* q, uint8_t kind, uint32_t oldOffset, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogJournalAdd");
  if (kind < SQLLOG_INSERTED || kind > SQLLOG_REMOVED) {
    if (JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE))
      *e << "journal entry kind" << static_cast<unsigned long>(kind);
    return 1;
  }
  const uint32_t n = q->logJournalCount;
  if ((n + 1) * SQLLOG_JOURNAL_ENTRY >= SQLLOG_JOURNAL_LIMIT) {
    if (JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE))
      *e << "journal size" << static_cast<unsigned long>((n + 1) * SQLLOG_JOURNAL_ENTRY);
    return 1;
  }
  if (n == q->logJournalCapacity) {
    void* block = q->logJournal;
    const uint32_t capacity = q->logJournalCapacity + SQLLOG_JOURNAL_GROWTH;
    if (block ? ramResize(&block, capacity * SQLLOG_JOURNAL_ENTRY) != 0
              : (block = ramAlloc(capacity * SQLLOG_JOURNAL_ENTRY)) == nullptr)
      return 1;
    q->logJournal = static_cast<uint8_t*>(block);
    q->logJournalCapacity = capacity;
  }
  uint8_t* e = q->logJournal + n * SQLLOG_JOURNAL_ENTRY;
  memcpy(e, &oldOffset, 4);
  memcpy(e + 4, &row, 4);
  e[8] = kind;
  q->logJournalCount = n + 1;
  return 0;
}

void sqlLogJournalDiscard(sql_qry* q) {
  if (!q) return;
  ramFree(q->logJournal);
  q->logJournal = nullptr;
  q->logJournalCount = q->logJournalCapacity = 0;
  dropEditHandles(q);
}

JxStatus sqlLogJournalReplay(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlLogJournalReplay");
  JxStatus st = 0;
  while (q->logJournalCount && !st) {
    const uint8_t* e = q->logJournal + (q->logJournalCount - 1) * SQLLOG_JOURNAL_ENTRY;
    uint32_t value, row;
    memcpy(&value, e, 4);
    memcpy(&row, e + 4, 4);
    switch (e[8]) {
      case SQLLOG_INSERTED:
        st = sqlLogIndexDelete(q, row, nullptr);
        if (!st) {
          lower(&q->currentRow);
          lower(&q->rowsInLog);
        }
        break;
      case SQLLOG_UPDATED:
        st = sqlLogIndexSetOffset(q, row, value);
        break;
      case SQLLOG_REMOVED:
        st = row ? sqlLogIndexInsert(q, value, row - 1) : badRow(row);
        if (!st) {
          ++q->currentRow;
          ++q->rowsInLog;
        }
        break;
    }
    if (!st) --q->logJournalCount;
  }
  if (!q->logJournalCount) {
    ramFree(q->logJournal);
    q->logJournal = nullptr;
    q->logJournalCapacity = 0;
  }
  if (dropEditHandles(q)) st = 1;
  return st;
}
