// The row log's index and undo journal, white-box on query objects without a connection
// whose row log is a real temporary file. Every index is checked against a vector model
// and walked node by node from the file: leaf and branch limits, running totals, the
// path in memory equal to the nodes it copies.
#include "dbsql/cmgenv.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <random>
#include <string.h>
#include <vector>

namespace {

struct Row {
  uint32_t offset;
  uint32_t weight;
};
bool operator==(const Row& a, const Row& b) { return a.offset == b.offset && a.weight == b.weight; }
using Model = std::vector<Row>;

// A query object as sqlOpen makes it, without a connection.
struct LogQuery {
  LogQuery() {
    void* base = ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry)));
    q = new (base) sql_qry();
    q->rowCount = 0xFFFFFFFFu;
    EXPECT_EQ(sqlLogIndexReset(q), 0);
  }
  ~LogQuery() { sqlFreeQuery(q); }
  LogQuery(const LogQuery&) = delete;
  LogQuery& operator=(const LogQuery&) = delete;
  sql_qry* operator->() const { return q; }
  sql_qry* q;
};

const uint32_t* levelOf(sql_qry* q, uint32_t l) {
  return static_cast<const uint32_t*>(q->logIndexPath) + l * SQLLOG_LEVEL_WORDS;
}

std::vector<uint32_t> fileNode(sql_qry* q, uint32_t offset) {
  std::vector<uint32_t> n(SQLLOG_NODE_WORDS);
  EXPECT_EQ(q->rowLog.tmpRead(offset, n.data(), SQLLOG_NODE_BYTES), 0);
  return n;
}

// What a walk of the whole tree found.
struct Shape {
  uint32_t depth = 0;
  std::vector<std::vector<uint32_t>> counts;  // per level below the root: each node's count
  std::vector<Row> rows;                      // the leaves' entries in order, weights unfolded
  bool ok = true;
};

// Walks a node (in memory or read from the file); answers its rows and weight.
void walkNode(sql_qry* q, const uint32_t* n, uint32_t level, Shape* s, uint32_t* rows, uint32_t* weight) {
  const uint32_t count = n[SQLLOG_COUNT];
  if (level > 0) s->counts[level - 1].push_back(count);
  if (n[SQLLOG_KIND] == SQLLOG_LEAF) {
    if (count > SQLLOG_LEAF_MAX || level + 1 != s->depth) {
      ADD_FAILURE() << "leaf of " << count << " entries at level " << level;
      s->ok = false;
      return;
    }
    uint32_t last = 0;
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t w = n[SQLLOG_LEAF_WEIGHTS + i];
      if (w < last) {
        ADD_FAILURE() << "falling running weight in a leaf at level " << level;
        s->ok = false;
      }
      s->rows.push_back({n[SQLLOG_LEAF_OFFSETS + i], w - last});
      last = w;
    }
    *rows = count;
    *weight = last;
    return;
  }
  if (n[SQLLOG_KIND] != SQLLOG_BRANCH || count < 1 || count > SQLLOG_BRANCH_MAX) {
    ADD_FAILURE() << "branch of kind " << n[SQLLOG_KIND] << " with " << count << " children at level "
                  << level;
    s->ok = false;
    return;
  }
  uint32_t sumRows = 0, sumWeight = 0;
  for (uint32_t i = 0; i < count && s->ok; ++i) {
    std::vector<uint32_t> child = fileNode(q, n[SQLLOG_BRANCH_CHILDREN + i]);
    uint32_t r = 0, w = 0;
    walkNode(q, child.data(), level + 1, s, &r, &w);
    sumRows += r;
    sumWeight += w;
    if (n[SQLLOG_BRANCH_ROWS + i] != sumRows || n[SQLLOG_BRANCH_WEIGHTS + i] != sumWeight) {
      ADD_FAILURE() << "running totals of child " << i << " at level " << level << ": "
                    << n[SQLLOG_BRANCH_ROWS + i] << "/" << n[SQLLOG_BRANCH_WEIGHTS + i] << " for " << sumRows
                    << "/" << sumWeight;
      s->ok = false;
    }
  }
  *rows = sumRows;
  *weight = sumWeight;
}

Shape walk(sql_qry* q) {
  Shape s;
  s.depth = q->logDepth;
  s.counts.resize(s.depth > 0 ? s.depth - 1 : 0);
  uint32_t rows = 0, weight = 0;
  walkNode(q, levelOf(q, 0), 0, &s, &rows, &weight);
  // The path in memory copies the nodes it names.
  for (uint32_t l = 1; l < q->logDepth && s.ok; ++l) {
    const uint32_t* parent = levelOf(q, l - 1);
    if (parent[SQLLOG_CHOSEN] == 0xFFFFFFFFu) break;
    std::vector<uint32_t> disk = fileNode(q, parent[SQLLOG_BRANCH_CHILDREN + parent[SQLLOG_CHOSEN]]);
    if (memcmp(disk.data(), levelOf(q, l), SQLLOG_NODE_BYTES) != 0) {
      ADD_FAILURE() << "path level " << l << " differs from its node in the file";
      s.ok = false;
    }
  }
  return s;
}

// The index equals the model: through the file walk and through the interface.
void expectModel(sql_qry* q, const Model& m, bool throughInterface = true) {
  ASSERT_EQ(sqlLogIndexCount(q), m.size());
  Shape s = walk(q);
  ASSERT_TRUE(s.ok);
  ASSERT_EQ(s.rows.size(), m.size());
  uint32_t total = 0;
  for (size_t i = 0; i < m.size(); ++i) {
    ASSERT_EQ(s.rows[i].offset, m[i].offset) << "row " << i + 1;
    ASSERT_EQ(s.rows[i].weight, m[i].weight) << "row " << i + 1;
    total += m[i].weight;
  }
  EXPECT_EQ(q->totalWeight, total);
  if (!throughInterface) return;
  for (size_t i = 0; i < m.size(); ++i) {
    uint32_t off = 0;
    ASSERT_EQ(sqlLogIndexGetOffset(q, static_cast<uint32_t>(i + 1), &off), 0);
    ASSERT_EQ(off, m[i].offset) << "row " << i + 1;
    ASSERT_EQ(sqlLogIndexWeight(q, static_cast<uint32_t>(i + 1)), m[i].weight) << "row " << i + 1;
  }
}

// Inserts at a position in the index and the model.
void insertAt(sql_qry* q, Model* m, uint32_t offset, uint32_t position) {
  ASSERT_EQ(sqlLogIndexInsert(q, offset, position), 0);
  m->insert(m->begin() + position, Row{offset, 0});
}

void append(sql_qry* q, Model* m, uint32_t n, bool front = false) {
  for (uint32_t i = 0; i < n; ++i)
    insertAt(q, m, 0x1000 + static_cast<uint32_t>(m->size()) * 8,
             front ? 0 : static_cast<uint32_t>(m->size()));
}

TEST(LogIndex, FreshIndexIsOneEmptyLeaf) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  EXPECT_EQ(q->logDepth, 1);
  EXPECT_EQ(q->logLevels, 1);
  EXPECT_EQ(q->logLoadedRow, SQLLOG_NO_ROW);
  const uint32_t* root = levelOf(q, 0);
  EXPECT_EQ(root[SQLLOG_KIND], uint32_t(SQLLOG_LEAF));
  for (uint32_t w = 1; w < SQLLOG_NODE_WORDS; ++w) ASSERT_EQ(root[w], 0u) << w;
  EXPECT_EQ(sqlLogIndexCount(q), 0u);

  // Rows outside the index are refused with the value message.
  uint32_t row = 1, off = 0;
  struct Refusal {
    const char* what;
    JxStatus st;
  } refusals[] = {
      {"load row 1", sqlLogIndexLoadPath(q, &row)},    {"offset of row 1", sqlLogIndexGetOffset(q, 1, &off)},
      {"set row 1", sqlLogIndexSetOffset(q, 1, 5)},    {"insert after row 1", sqlLogIndexInsert(q, 5, 1)},
      {"delete row 1", sqlLogIndexDelete(q, 1, &off)}, {"add a child", sqlLogIndexAddWeight(q)},
  };
  for (const Refusal& r : refusals) {
    EXPECT_EQ(r.st, 1) << r.what;
  }
  EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
  EXPECT_EQ(row, 1u);

  // A reset after use gives the same fresh root and frees the levels.
  Model m;
  append(q, &m, 200);
  EXPECT_EQ(q->logDepth, 2);
  q->rowsInLog = 200;
  ASSERT_EQ(sqlLogIndexReset(q), 0);
  EXPECT_EQ(q->logDepth, 1);
  EXPECT_EQ(q->logLevels, 1);
  EXPECT_EQ(q->rowsInLog, 0u);
  EXPECT_EQ(sqlLogIndexCount(q), 0u);
  EXPECT_EQ(levelOf(q, 0)[SQLLOG_KIND], uint32_t(SQLLOG_LEAF));
}

TEST(LogIndex, LocatingInOneLeafReadsNothing) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  const uint32_t end = q->rowLog.getEndOffset();
  append(q, &m, 96);
  EXPECT_EQ(q->logDepth, 1);
  EXPECT_EQ(q->rowLog.getEndOffset(), end) << "a lone root is never written";
  for (uint32_t r : {1u, 2u, 50u, 96u}) {
    uint32_t pos = r;
    ASSERT_EQ(sqlLogIndexLoadPath(q, &pos), 0);
    EXPECT_EQ(pos, r);
    EXPECT_EQ(q->logLoadedRow, r);
  }
  EXPECT_EQ(q->logNodeReads, 0u);
  expectModel(q, m);
}

TEST(LogIndex, NinetySeventhInsertMakesTwoLevelsOf48And49) {
  ThreadErrors errors;
  // Where the 97th row goes: each half, both ends and both sides of the cut.
  for (uint32_t position : {0u, 47u, 48u, 49u, 96u}) {
    SCOPED_TRACE(position);
    LogQuery lq;
    sql_qry* q = lq.q;
    Model m;
    append(q, &m, 96);
    insertAt(q, &m, 0xABC0, position);
    ASSERT_EQ(q->logDepth, 2);
    EXPECT_EQ(q->logLevels, 2);
    const uint32_t* root = levelOf(q, 0);
    EXPECT_EQ(root[SQLLOG_KIND], uint32_t(SQLLOG_BRANCH));
    ASSERT_EQ(root[SQLLOG_COUNT], 2u);
    EXPECT_EQ(root[SQLLOG_BRANCH_ROWS], 48u);
    EXPECT_EQ(root[SQLLOG_BRANCH_ROWS + 1], 97u);
    Shape s = walk(q);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.counts[0], (std::vector<uint32_t>{48, 49}));
    // The leaf on the path is the half that holds the new row.
    const uint32_t half = position < 48 ? 0 : 1;
    EXPECT_EQ(root[SQLLOG_CHOSEN], half);
    const uint32_t* leaf = levelOf(q, 1);
    const uint32_t at = position - half * 48;
    EXPECT_EQ(leaf[SQLLOG_LEAF_OFFSETS + at], 0xABC0u);
    expectModel(q, m);
    // The right leaf as stored: little-endian words, kind, count, offsets, then the
    // running child counts (all 0 here), unused words 0.
    uint8_t bytes[SQLLOG_NODE_BYTES];
    ASSERT_EQ(q->rowLog.tmpRead(root[SQLLOG_BRANCH_CHILDREN + 1], bytes, sizeof bytes), 0);
    std::vector<uint8_t> golden(SQLLOG_NODE_BYTES, 0);
    golden[0] = 1;
    golden[4] = 49;
    for (uint32_t i = 0; i < 49; ++i) {
      const uint32_t off = m[48 + i].offset;
      for (uint32_t b = 0; b < 4; ++b) golden[8 + i * 4 + b] = static_cast<uint8_t>(off >> (8 * b));
    }
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + sizeof bytes), golden);
  }
}

// Appends (or prepends) until the root has 64 children; the next split gives it a 65th.
TEST(LogIndex, SixtyFifthChildSplitsABranch32And33) {
  ThreadErrors errors;
  for (bool front : {false, true}) {
    SCOPED_TRACE(front ? "prepending" : "appending");
    LogQuery lq;
    sql_qry* q = lq.q;
    Model m;
    uint32_t next = 0x10;
    auto add = [&] {
      insertAt(q, &m, next, front ? 0 : static_cast<uint32_t>(m.size()));
      next += 0x10;
    };
    while (q->logDepth < 2 || levelOf(q, 0)[SQLLOG_COUNT] < 64) {
      add();
      ASSERT_FALSE(HasFatalFailure());
    }
    ASSERT_EQ(q->logDepth, 2);
    while (q->logDepth == 2) {
      add();
      ASSERT_FALSE(HasFatalFailure());
    }
    // The root split: a level more, its halves of 32 and 33 children.
    ASSERT_EQ(q->logDepth, 3);
    EXPECT_EQ(q->logLevels, 3);
    Shape s = walk(q);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.counts[0], (std::vector<uint32_t>{32, 33}));
    EXPECT_EQ(s.counts[1].size(), 65u);
    expectModel(q, m, false);

    // A full branch below the root splits 32 / 33 without a new level.
    while (levelOf(q, 0)[SQLLOG_COUNT] == 2) {
      add();
      ASSERT_FALSE(HasFatalFailure());
    }
    EXPECT_EQ(q->logDepth, 3);
    s = walk(q);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.counts[0], front ? (std::vector<uint32_t>{32, 33, 33}) : (std::vector<uint32_t>{32, 32, 33}));
    expectModel(q, m);
  }
}

TEST(LogIndex, ConsecutiveRowsReadNoNodes) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  // Appending and reading back each new row, as fetching does, reads no node at all.
  for (uint32_t i = 0; i < 5000; ++i) {
    insertAt(q, &m, 0x40 + i * 4, i);
    uint32_t off = 0;
    ASSERT_EQ(sqlLogIndexGetOffset(q, i + 1, &off), 0);
    ASSERT_EQ(off, 0x40 + i * 4);
  }
  ASSERT_EQ(q->logDepth, 3);
  EXPECT_EQ(q->logNodeReads, 0u);

  Shape s = walk(q);
  ASSERT_TRUE(s.ok);
  const uint32_t nodes = static_cast<uint32_t>(s.counts[0].size() + s.counts[1].size());
  // Forwards and backwards: every node below the root is read once.
  for (bool backwards : {false, true}) {
    q->logNodeReads = 0;
    for (uint32_t i = 0; i < m.size(); ++i) {
      uint32_t r = backwards ? static_cast<uint32_t>(m.size()) - i : i + 1, off = 0;
      ASSERT_EQ(sqlLogIndexGetOffset(q, r, &off), 0);
      ASSERT_EQ(off, m[r - 1].offset);
    }
    // Backwards starts on the path forwards ended on: two reads fewer.
    EXPECT_EQ(q->logNodeReads, backwards ? nodes - 2 : nodes);
  }
  q->logNodeReads = 0;
  uint32_t pos = 2500;
  ASSERT_EQ(sqlLogIndexLoadPath(q, &pos), 0);
  EXPECT_EQ(q->logNodeReads, 2u);
  for (int i = 0; i < 10; ++i) {
    pos = 2500;
    ASSERT_EQ(sqlLogIndexLoadPath(q, &pos), 0);
  }
  EXPECT_EQ(q->logNodeReads, 2u);
  EXPECT_EQ(q->logLoadedRow, 2500u);
}

TEST(LogIndex, EmptiedLeavesAreLocatedThroughTheCounts) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  append(q, &m, 480);
  Shape s = walk(q);
  ASSERT_TRUE(s.ok);
  ASSERT_EQ(q->logDepth, 2);
  ASSERT_GE(s.counts[0].size(), 6u);
  // Empty the first, second and fifth leaves (counted before any removal).
  std::vector<uint32_t> firstRow = {1};
  for (uint32_t c : s.counts[0]) firstRow.push_back(firstRow.back() + c);
  for (int leaf : {4, 1, 0}) {
    for (uint32_t i = 0; i < s.counts[0][leaf]; ++i) {
      uint32_t off = 0;
      ASSERT_EQ(sqlLogIndexDelete(q, firstRow[leaf], &off), 0);
      EXPECT_EQ(off, m[firstRow[leaf] - 1].offset);
      m.erase(m.begin() + firstRow[leaf] - 1);
    }
  }
  s = walk(q);
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.counts[0][0], 0u);
  EXPECT_EQ(s.counts[0][1], 0u);
  EXPECT_EQ(s.counts[0][4], 0u);
  expectModel(q, m);
  // New rows around the empty leaves: at the front, between, at the end.
  insertAt(q, &m, 0x77, 0);
  insertAt(q, &m, 0x78, 48);
  insertAt(q, &m, 0x79, static_cast<uint32_t>(m.size()));
  expectModel(q, m);
  // Everything removed: a two-level index of empty leaves takes rows again.
  while (!m.empty()) {
    ASSERT_EQ(sqlLogIndexDelete(q, static_cast<uint32_t>(m.size()), nullptr), 0);
    m.pop_back();
  }
  EXPECT_EQ(q->logDepth, 2);
  expectModel(q, m);
  insertAt(q, &m, 0x80, 0);
  insertAt(q, &m, 0x81, 0);
  insertAt(q, &m, 0x82, 2);
  expectModel(q, m);
}

TEST(LogIndex, ChildCountsOfGroupHeads) {
  ThreadErrors errors;
  LogQuery base, level, top;
  base->parent = level.q;
  level->parent = top.q;
  // Three groups on the level, one group above them all.
  Model lm, tm;
  append(level.q, &lm, 3);
  append(top.q, &tm, 1);
  level->rowsInLog = level->rowsFetched = 3;
  level->rowCount = 3;
  top->rowsInLog = 1;
  // Row 1 (current row 0 stands for it) gets one child, row 2 two, row 3 one.
  struct Step {
    uint32_t current;
    uint32_t adds;
  } steps[] = {{0, 1}, {2, 2}, {3, 1}};
  for (const Step& st : steps) {
    level->currentRow = st.current;
    for (uint32_t i = 0; i < st.adds; ++i) ASSERT_EQ(sqlLogIndexAddWeight(level.q), 0);
    lm[(st.current ? st.current : 1) - 1].weight += st.adds;
  }
  for (uint32_t i = 0; i < 3; ++i) ASSERT_EQ(sqlLogIndexAddWeight(top.q), 0);
  tm[0].weight = 3;
  expectModel(level.q, lm);
  EXPECT_EQ(level->totalWeight, 4u);
  // The leaf keeps running totals.
  EXPECT_EQ(levelOf(level.q, 0)[SQLLOG_LEAF_WEIGHTS + 2], 4u);
  Model bm;
  append(base.q, &bm, 4);

  // A base row removed takes one child from the level's current group: group 2 keeps one.
  level->currentRow = 2;
  ASSERT_EQ(sqlLogIndexDelete(base.q, 2, nullptr), 0);
  bm.erase(bm.begin() + 1);
  lm[1].weight = 1;
  expectModel(level.q, lm);
  expectModel(base.q, bm);
  EXPECT_EQ(level->rowsInLog, 3u);
  // Its only child removed, the head goes too; the level's counters drop, and the group
  // above loses a child.
  ASSERT_EQ(sqlLogIndexDelete(base.q, 2, nullptr), 0);
  bm.erase(bm.begin() + 1);
  lm.erase(lm.begin() + 1);
  tm[0].weight = 2;
  expectModel(level.q, lm);
  expectModel(top.q, tm);
  EXPECT_EQ(level->currentRow, 1u);
  EXPECT_EQ(level->rowsInLog, 2u);
  EXPECT_EQ(level->rowsFetched, 2u);
  EXPECT_EQ(level->rowCount, 2u);
  EXPECT_EQ(level->totalWeight, 2u);

  // More children taken than a group has removes it; fewer lowers its count.
  level->currentRow = 2;
  ASSERT_EQ(sqlLogIndexReduceWeight(level.q, 5), 0);
  lm.erase(lm.begin() + 1);
  tm[0].weight = 1;
  expectModel(level.q, lm);
  expectModel(top.q, tm);
  EXPECT_EQ(level->rowCount, 1u);
  level->currentRow = 1;
  ASSERT_EQ(sqlLogIndexAddWeight(level.q), 0);
  ASSERT_EQ(sqlLogIndexAddWeight(level.q), 0);
  ASSERT_EQ(sqlLogIndexReduceWeight(level.q, 2), 0);
  lm[0].weight = 1;
  expectModel(level.q, lm);
  // A row count not known stays unknown.
  level->rowCount = 0xFFFFFFFFu;
  ASSERT_EQ(sqlLogIndexReduceWeight(level.q, 1), 0);
  EXPECT_EQ(sqlLogIndexCount(level.q), 0u);
  EXPECT_EQ(level->rowCount, 0xFFFFFFFFu);
  EXPECT_EQ(level->currentRow, 0u);
  EXPECT_EQ(sqlLogIndexCount(top.q), 0u) << "the top group lost its last child";
  EXPECT_EQ(top->totalWeight, 0u);
}

// Tens of thousands of operations at random places against the model: the index grows
// to three levels, shrinks to empty leaves and grows again.
TEST(LogIndex, SeededRandomRun) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  std::mt19937 rng(20261211);
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  uint32_t deepest = 0, nextOffset = 8;
  // Per phase: operations and the share (of 100) of inserts.
  const struct Phase {
    uint32_t ops;
    uint32_t inserts;
  } phases[] = {{30000, 60}, {25000, 20}, {15000, 45}};
  uint32_t done = 0;
  for (const Phase& ph : phases) {
    for (uint32_t i = 0; i < ph.ops; ++i, ++done) {
      const uint32_t n = static_cast<uint32_t>(m.size());
      uint32_t op = pick(100);
      if (op < ph.inserts || n == 0) {
        const uint32_t at = pick(n + 1);
        ASSERT_EQ(sqlLogIndexInsert(q, nextOffset, at), 0) << done;
        m.insert(m.begin() + at, Row{nextOffset, 0});
        nextOffset += 8;
      } else {
        op = pick(4);
        const uint32_t r = pick(n) + 1;
        if (op == 0) {
          uint32_t off = 0;
          ASSERT_EQ(sqlLogIndexDelete(q, r, &off), 0) << done;
          ASSERT_EQ(off, m[r - 1].offset) << done;
          m.erase(m.begin() + r - 1);
        } else if (op == 1) {
          ASSERT_EQ(sqlLogIndexSetOffset(q, r, nextOffset), 0) << done;
          m[r - 1].offset = nextOffset;
          nextOffset += 8;
        } else if (op == 2) {
          q->currentRow = r;
          ASSERT_EQ(sqlLogIndexAddWeight(q), 0) << done;
          ++m[r - 1].weight;
        } else {
          q->currentRow = r;
          const uint32_t k = pick(3) + 1;
          ASSERT_EQ(sqlLogIndexReduceWeight(q, k), 0) << done;
          if (m[r - 1].weight > k)
            m[r - 1].weight -= k;
          else
            m.erase(m.begin() + r - 1);
        }
      }
      // A spot check of a random row after every operation.
      if (!m.empty()) {
        const uint32_t r = pick(static_cast<uint32_t>(m.size())) + 1;
        uint32_t off = 0;
        ASSERT_EQ(sqlLogIndexGetOffset(q, r, &off), 0) << done;
        ASSERT_EQ(off, m[r - 1].offset) << done << " row " << r;
      }
      deepest = std::max<uint32_t>(deepest, q->logDepth);
      if (done % 5000 == 0) {
        SCOPED_TRACE(done);
        expectModel(q, m, false);
        ASSERT_FALSE(HasFatalFailure());
      }
    }
  }
  expectModel(q, m);
  EXPECT_GE(deepest, 3u);
}

TEST(LogJournal, ReplayedNewestFirst) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  append(q, &m, 300);
  q->rowsInLog = 300;
  q->currentRow = 150;
  const Model original = m;
  // Changes as the row log makes them, each with its journal entry; rows touched again
  // after their first change, so only the newest-first order restores the index.
  std::mt19937 rng(55);
  uint32_t nextOffset = 0x90000;
  for (int i = 0; i < 400; ++i) {
    const uint32_t n = static_cast<uint32_t>(m.size());
    const uint32_t r = static_cast<uint32_t>(rng() % 40) + 100;
    switch (rng() % 3) {
      case 0:
        ASSERT_EQ(sqlLogIndexInsert(q, nextOffset, r - 1), 0);
        m.insert(m.begin() + r - 1, Row{nextOffset, 0});
        nextOffset += 4;
        ++q->currentRow;
        ++q->rowsInLog;
        ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_INSERTED, 0, r), 0);
        break;
      case 1:
        ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, m[r - 1].offset, r), 0);
        ASSERT_EQ(sqlLogIndexSetOffset(q, r, nextOffset), 0);
        m[r - 1].offset = nextOffset;
        nextOffset += 4;
        break;
      default: {
        uint32_t off = 0;
        ASSERT_LE(r, n);
        ASSERT_EQ(sqlLogIndexDelete(q, r, &off), 0);
        m.erase(m.begin() + r - 1);
        --q->currentRow;
        --q->rowsInLog;
        ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_REMOVED, off, r), 0);
        break;
      }
    }
  }
  EXPECT_EQ(q->logJournalCount, 400u);
  EXPECT_EQ(q->logJournalCapacity, 400u);
  ASSERT_NE(m, original);
  q->insertHstmt = reinterpret_cast<SQLHSTMT>(0x1234);
  ASSERT_EQ(sqlLogJournalReplay(q), 0) << errors.lastText();
  expectModel(q, original);
  EXPECT_EQ(q->currentRow, 150u);
  EXPECT_EQ(q->rowsInLog, 300u);
  EXPECT_EQ(q->logJournalCount, 0u);
  EXPECT_EQ(q->logJournal, nullptr);
  EXPECT_EQ(q->insertHstmt, nullptr) << "the pending edit's statement is dropped";

  // A step that cannot be undone stops the replay and keeps it and the older entries.
  ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, 0x55, 1), 0);
  ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, 0x66, 999), 0);
  ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, 0x77, 2), 0);
  EXPECT_EQ(sqlLogJournalReplay(q), 1);
  EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
  EXPECT_EQ(q->logJournalCount, 2u);
  uint32_t off = 0;
  ASSERT_EQ(sqlLogIndexGetOffset(q, 2, &off), 0);
  EXPECT_EQ(off, 0x77u);
  ASSERT_EQ(sqlLogIndexGetOffset(q, 1, &off), 0);
  EXPECT_EQ(off, original[0].offset);
  EXPECT_EQ(sqlLogJournalAdd(q, 4, 0, 1), 1) << "no such kind";
  EXPECT_EQ(q->logJournalCount, 2u);
}

TEST(LogJournal, SizeLimitAndDiscard) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  // The block grows by 100 entries of 9 bytes; the list may not reach 64636 bytes.
  const uint32_t most = (SQLLOG_JOURNAL_LIMIT - 1) / SQLLOG_JOURNAL_ENTRY;
  ASSERT_EQ(most, 7181u);
  for (uint32_t i = 0; i < most; ++i) {
    ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, i, i + 1), 0) << i;
    ASSERT_EQ(q->logJournalCapacity, (i / 100 + 1) * 100);
  }
  EXPECT_EQ(sqlLogJournalAdd(q, SQLLOG_UPDATED, 1, 1), 1);
  EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
  EXPECT_EQ(q->logJournalCount, most);
  // The entries as stored: value, row, kind.
  const uint8_t* e = q->logJournal + 1234 * 9;
  const uint8_t expect[9] = {0xD2, 0x04, 0, 0, 0xD3, 0x04, 0, 0, SQLLOG_UPDATED};
  EXPECT_EQ(memcmp(e, expect, 9), 0);

  q->insertHstmt = reinterpret_cast<SQLHSTMT>(0x1234);
  q->thirdHstmt = reinterpret_cast<SQLHSTMT>(0x5678);
  sqlLogJournalDiscard(q);
  EXPECT_EQ(q->logJournalCount, 0u);
  EXPECT_EQ(q->logJournal, nullptr);
  EXPECT_EQ(q->insertHstmt, nullptr);
  EXPECT_EQ(q->thirdHstmt, nullptr);
  EXPECT_EQ(sqlLogJournalAdd(q, SQLLOG_REMOVED, 7, 1), 0);
  EXPECT_EQ(q->logJournalCapacity, 100u);
}

// With a connection, discarding and replaying drop the statements kept for a pending
// edit through the driver.
TEST(LogJournal, DropsThePendingEditStatements) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_TRUE(env);
  cmg_capabilities* con = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_TRUE(con) << errors.lastText();
  sql_qry* q = nullptr;
  ASSERT_EQ(sqlOpen(con, nullptr, "SELECT 1", 0, 0, 0, &q), 0) << errors.lastText();
  EXPECT_EQ(q->logDepth, 1) << "an opened query has a fresh index";
  for (int replay = 0; replay < 2; ++replay) {
    SCOPED_TRACE(replay);
    ASSERT_EQ(sqlAllocHstmt(con, &q->insertHstmt, SQL_HSTMT_ANY), 0) << errors.lastText();
    ASSERT_EQ(sqlAllocHstmt(con, &q->thirdHstmt, SQL_HSTMT_ANY), 0) << errors.lastText();
    ASSERT_EQ(sqlLogIndexInsert(q, 0x40, 0), 0);
    ASSERT_EQ(sqlLogJournalAdd(q, SQLLOG_INSERTED, 0, 1), 0);
    if (replay) {
      EXPECT_EQ(sqlLogJournalReplay(q), 0) << errors.lastText();
      EXPECT_EQ(sqlLogIndexCount(q), 0u);
    } else {
      sqlLogJournalDiscard(q);
      EXPECT_EQ(sqlLogIndexCount(q), 1u);
      ASSERT_EQ(sqlLogIndexDelete(q, 1, nullptr), 0);
    }
    EXPECT_EQ(q->insertHstmt, nullptr);
    EXPECT_EQ(q->thirdHstmt, nullptr);
    EXPECT_EQ(q->logJournalCount, 0u);
  }
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
  EXPECT_EQ(sqlFreeQuery(q), 0);
  EXPECT_EQ(cmgTerm(env), 0);
}

// Every allocation of a change fails in turn: each failure answers 1 and leaves the
// index as it was; the change succeeds once the failures run out.
TEST(LogIndex, FailuresLeaveTheIndexAsItWas) {
  ThreadErrors errors;
  struct Case {
    const char* what;
    uint32_t rows;  // added first, at the end or (for change 1) at the front
    int change;     // 0 insert at the end, 1 insert at the front, 3 journal
  } cases[] = {
      {"97th row: root leaf splits", 96, 0},
      {"root branch splits", 3120, 0},
      // Prepending, each new left half has 48 rows and takes 49 more before it splits.
      {"root branch splits at the front", 3183, 1},
      {"journal growth", 10, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogQuery lq;
    sql_qry* q = lq.q;
    Model m;
    append(q, &m, c.rows, c.change == 1);
    if (c.rows > 3000) {
      // The leaf on the path and the root are full.
      ASSERT_EQ(q->logDepth, 2);
      ASSERT_EQ(levelOf(q, 0)[SQLLOG_COUNT], 64u);
      ASSERT_EQ(levelOf(q, 1)[SQLLOG_COUNT], 96u);
    }
    bool succeeded = false;
    int failures = 0;
    for (int skip = 0; skip < 100 && !succeeded; ++skip) {
      const uint16_t depth = q->logDepth;
      jxram::failHeapAllocs(skip, 1000);
      JxStatus st = 0;
      switch (c.change) {
        case 0:
          st = sqlLogIndexInsert(q, 0xBEEF0, static_cast<uint32_t>(m.size()));
          break;
        case 1:
          st = sqlLogIndexInsert(q, 0xBEEF0, 0);
          break;
        default:
          st = sqlLogJournalAdd(q, SQLLOG_INSERTED, 0, 1);
          break;
      }
      jxram::failHeapAllocs(0, 0);
      if (st == 0) {
        succeeded = true;
        break;
      }
      ++failures;
      EXPECT_EQ(q->logDepth, depth) << "skip " << skip;
      expectModel(q, m, false);
      ASSERT_FALSE(HasFatalFailure()) << "skip " << skip;
      EXPECT_EQ(q->logJournalCount, 0u);
      errors.clear();
    }
    ASSERT_TRUE(succeeded);
    EXPECT_GT(failures, 0);
    if (c.change == 0) m.push_back({0xBEEF0, 0});
    if (c.rows > 3000) {
      EXPECT_EQ(q->logDepth, 3);
    }
    if (c.change == 1) m.insert(m.begin(), Row{0xBEEF0, 0});
    if (c.change == 3) {
      EXPECT_EQ(q->logJournalCount, 1u);
    }
    expectModel(q, m);
  }
}

// A node that cannot be read fails the look-up; the path stays usable.
TEST(LogIndex, UnreadableNodeFailsTheLookup) {
  ThreadErrors errors;
  LogQuery lq;
  sql_qry* q = lq.q;
  Model m;
  append(q, &m, 300);
  uint32_t* root = static_cast<uint32_t*>(q->logIndexPath);
  const uint32_t last = root[SQLLOG_COUNT] - 1, keep = root[SQLLOG_BRANCH_CHILDREN + last];
  root[SQLLOG_BRANCH_CHILDREN + last] = 0xFFFFFF00u;  // past the end of the offset range
  uint32_t pos = 1;
  ASSERT_EQ(sqlLogIndexLoadPath(q, &pos), 0);
  pos = 300;
  EXPECT_EQ(sqlLogIndexLoadPath(q, &pos), 1);
  EXPECT_EQ(q->logLoadedRow, SQLLOG_NO_ROW);
  uint32_t off = 0;
  EXPECT_EQ(sqlLogIndexGetOffset(q, 300, &off), 1);
  EXPECT_EQ(sqlLogIndexInsert(q, 5, 300), 1);
  root[SQLLOG_BRANCH_CHILDREN + last] = keep;
  expectModel(q, m);
}

}  // namespace
