// The undo history: sequences of actions under limits, with every call and destruction
// of the items recorded in order.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "utils/undomanager.h"

namespace {

// Items log "u<id>", "r<id>" and "~<id>" into one shared log.
struct Log {
  std::vector<std::string> events;
  std::string text() const {
    std::string s;
    for (const std::string& e : events) s += (s.empty() ? "" : " ") + e;
    return s;
  }
};

class TestItem : public UndoInfo {
 public:
  TestItem(int id, Log& log) : id_(id), log_(log), desc_("Item " + std::to_string(id)) {}
  ~TestItem() override { log_.events.push_back("~" + std::to_string(id_)); }
  void undo() override { log_.events.push_back("u" + std::to_string(id_)); }
  void redo(int arg) override { log_.events.push_back("r" + std::to_string(id_) + (arg ? "!" : "")); }
  const char* description() override { return desc_.c_str(); }
  int id() const { return id_; }

 private:
  int id_;
  Log& log_;
  std::string desc_;
};

// Ops: "a<id>" add, "u" undo, "r" redo, "L<n>" setUndoLimit, "R<n>" setRedoLimit.
void run(UndoManager& m, const std::string& ops, Log& log) {
  std::istringstream in(ops);
  std::string op;
  while (in >> op) {
    int n = op.size() > 1 ? std::stoi(op.substr(1)) : 0;
    switch (op[0]) {
      case 'a':
        m.addItem(new TestItem(n, log));
        break;
      case 'u':
        m.undo();
        break;
      case 'r':
        m.redo();
        break;
      case 'L':
        m.setUndoLimit(short(n));
        break;
      case 'R':
        m.setRedoLimit(short(n));
        break;
      default:
        FAIL() << "bad op " << op;
    }
  }
}

std::vector<int> ids(const UndoManager& m) {
  std::vector<int> out;
  for (size_t i = 0; i < m.entries(); ++i) out.push_back(static_cast<TestItem*>(m.item(i))->id());
  return out;
}

struct Sequence {
  const char* name;
  short undoLimit, redoLimit;
  const char* ops;
  const char* log;  // calls and destructions, in order
  short cursor;
  std::vector<int> items;
  const char* nextUndo;
  const char* nextRedo;
  short undoLimitAfter, redoLimitAfter;
};

const Sequence kSequences[] = {
    {"limit 2 with three adds", 2, 2, "a1 a2 a3", "~1", 2, {2, 3}, "Item 3", "None", 2, 2},
    {"two undos then a fourth add",
     2,
     2,
     "a1 a2 a3 u u a4",
     "~1 u3 u2 ~3 ~2",
     1,
     {4},
     "Item 4",
     "None",
     2,
     2},
    {"undos before the fourth add", 2, 2, "a1 a2 a3 u u", "~1 u3 u2", 0, {2, 3}, "None", "Item 2", 2, 2},
    {"redo limit 1 with three undos",
     5,
     1,
     "a1 a2 a3 u u u",
     "u3 u2 ~3 u1 ~2",
     0,
     {1},
     "None",
     "Item 1",
     5,
     1},
    {"undo at 0 and redo at the end", 5, 5, "u r a1 r u u r r r", "u1 r1", 1, {1}, "Item 1", "None", 5, 5},
    {"redo walks forward",
     5,
     5,
     "a1 a2 a3 u u u r r",
     "u3 u2 u1 r1 r2",
     2,
     {1, 2, 3},
     "Item 2",
     "Item 3",
     5,
     5},
    {"undo limit lowered below the redo limit",
     5,
     5,
     "a1 a2 a3 a4 u L2",
     "u4 ~4 ~1",
     2,
     {2, 3},
     "Item 3",
     "None",
     2,
     2},
    {"the lowered redo limit then holds",
     5,
     5,
     "a1 a2 a3 a4 u L2 u u",
     "u4 ~4 ~1 u3 u2",
     0,
     {2, 3},
     "None",
     "Item 2",
     2,
     2},
    {"undo limit raised keeps the redo limit", 3, 2, "a1 a2 L9", "", 2, {1, 2}, "Item 2", "None", 9, 2},
    {"redo limit lowered trims the newest",
     5,
     5,
     "a1 a2 a3 u u u R1",
     "u3 u2 u1 ~3 ~2",
     0,
     {1},
     "None",
     "Item 1",
     5,
     1},
    {"undo limit 0 keeps nothing", 0, 0, "a1 a2", "~1 ~2", 0, {}, "None", "None", 0, 0},
    {"negative undo limit keeps nothing", -1, 0, "a1 a2 u r", "~1 ~2", 0, {}, "None", "None", -1, 0},
    {"negative undo limit set on a full list",
     5,
     5,
     "a1 a2 u L-1",
     "u2 ~2 ~1",
     0,
     {},
     "None",
     "None",
     -1,
     -1},
    {"negative redo limit drops each undone item",
     5,
     -1,
     "a1 a2 u",
     "u2 ~2",
     1,
     {1},
     "Item 1",
     "None",
     5,
     -1},
    {"redo limit set negative", 5, 5, "a1 a2 u u R-3", "u2 u1 ~2 ~1", 0, {}, "None", "None", 5, -3},
};

TEST(UndoManager, SequencesUnderLimits) {
  for (const Sequence& s : kSequences) {
    SCOPED_TRACE(s.name);
    Log log;
    std::vector<std::string> added;
    {
      UndoManager m(s.undoLimit, s.redoLimit);
      run(m, s.ops, log);
      EXPECT_EQ(log.text(), s.log);
      EXPECT_EQ(m.cursor(), s.cursor);
      EXPECT_EQ(ids(m), s.items);
      EXPECT_STREQ(m.nextUndoDescription(), s.nextUndo);
      EXPECT_STREQ(m.nextRedoDescription(), s.nextRedo);
      EXPECT_EQ(m.undoLimit(), s.undoLimitAfter);
      EXPECT_EQ(m.redoLimit(), s.redoLimitAfter);
      EXPECT_GE(m.cursor(), 0);
      EXPECT_LE(size_t(m.cursor()), m.entries());
    }
    // Whatever survived goes with the manager, newest first; every item dies once.
    std::map<std::string, int> deaths;
    int adds = 0;
    for (const std::string& e : log.events)
      if (e[0] == '~') ++deaths[e.substr(1)];
    std::istringstream in(s.ops);
    std::string op;
    while (in >> op)
      if (op[0] == 'a') {
        ++adds;
        EXPECT_EQ(deaths[op.substr(1)], 1) << "item " << op;
      }
    EXPECT_EQ(int(deaths.size()), adds);
    std::string tail;
    for (auto it = s.items.rbegin(); it != s.items.rend(); ++it)
      tail += (tail.empty() ? "" : " ") + ("~" + std::to_string(*it));
    EXPECT_EQ(log.text().substr(log.text().size() - tail.size()), tail);
  }
}

TEST(UndoManager, NullAndRepeatedItemsAreIgnored) {
  Log log;
  {
    UndoManager m(5, 5);
    m.addItem(nullptr);
    EXPECT_EQ(m.entries(), 0u);
    TestItem* one = new TestItem(1, log);
    m.addItem(one);
    m.addItem(one);  // would otherwise be destroyed twice
    EXPECT_EQ(m.entries(), 1u);
    EXPECT_EQ(m.cursor(), 1);
    EXPECT_EQ(m.item(1), nullptr);
  }
  EXPECT_EQ(log.text(), "~1");
}

// An item whose undo fails stays on the undo side.
class FailingItem : public TestItem {
 public:
  using TestItem::TestItem;
  void undo() override { throw std::runtime_error("cannot"); }
};

TEST(UndoManager, FailedUndoLeavesTheCursor) {
  Log log;
  UndoManager m(5, 0);
  m.addItem(new TestItem(1, log));
  m.addItem(new FailingItem(2, log));
  EXPECT_THROW(m.undo(), std::runtime_error);
  EXPECT_EQ(m.cursor(), 2);
  EXPECT_EQ(m.entries(), 2u);
  EXPECT_EQ(log.text(), "");
}

// A derived history purges single items; the cursor keeps its neighbours.
class PurgingManager : public UndoManager {
 public:
  using UndoManager::destroyAt;
  using UndoManager::UndoManager;
};

TEST(UndoManager, DestroyAtKeepsTheCursorBetweenTheSameItems) {
  struct Case {
    const char* ops;
    size_t at;
    short cursor;
    std::vector<int> items;
    const char* log;
  } cases[] = {
      {"a1 a2 a3 u", 0, 1, {2, 3}, "u3 ~1"},  // before the cursor
      {"a1 a2 a3 u", 2, 2, {1, 2}, "u3 ~3"},  // the redo side
      {"a1 a2 a3 u", 1, 1, {1, 3}, "u3 ~2"},  // just before the cursor
      {"a1 a2 a3 u", 3, 2, {1, 2, 3}, "u3"},  // out of range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ops + std::string(" at ") + std::to_string(c.at));
    Log log;
    PurgingManager m(5, 5);
    run(m, c.ops, log);
    m.destroyAt(c.at);
    EXPECT_EQ(m.cursor(), c.cursor);
    EXPECT_EQ(ids(m), c.items);
    EXPECT_EQ(log.text(), c.log);
  }
}

}  // namespace
