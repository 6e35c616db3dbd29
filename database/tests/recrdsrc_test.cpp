// The record source's defaults: fresh state, the field queries, BOF and EOF, every
// unavailable operation by its own name, value data through "DataBuffer" objects,
// writing a selection to a file, the views of dynasets and the find-target parser.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "database/recrdsrc.h"
#include "dbkit.h"
#include "olecls/oclstream.h"
#include "testkit/testkit.h"
#include "tool/idatabuffer.h"

namespace {

using namespace dbkit;

// A source with fields and a value of its own, as the kinds of source fill them.
class FieldSource : public RecordSourceRep {
 public:
  explicit FieldSource(InterObjRep* owner = nullptr, std::string value = "")
      : RecordSourceRep(owner), value_(std::move(value)) {
    static const char* kNames[] = {"Name", "Age", "City"};
    names_[0] = const_cast<char*>(kNames[0]);
    names_[1] = const_cast<char*>(kNames[1]);
    names_[2] = const_cast<char*>(kNames[2]);
    fieldNames_ = names_;
    fieldCount_ = 3;
  }
  ValStringRep* pdGetValue(const TextDataIndex&) override { return new ValStringRep(value_); }
  void pdSetValue(const char* text, const TextDataIndex&) override {
    set_ = text ? text : "<null>";
    ++sets_;
  }
  void state(uint8_t flags, int32_t current, int32_t rowsRead) {
    flags_ = flags;
    currentRecord_ = current;
    rowsRead_ = rowsRead;
  }

  std::string value_, set_;
  int sets_ = 0;

 private:
  char* names_[3];
};

// Holds a source through a counted reference, as dynasets do.
struct Held {
  explicit Held(RecordSourceRep* s) : src(s) { src->ref(); }
  ~Held() { src->unref(); }
  RecordSourceRep* src;
};

InterObjRep* NewBuffer(const char* name) { return NewObject(iDataBuffer::PO_GetObject(), name); }

TEST(RecordSource, AFreshSourceReadsNeutrally) {
  App();
  Held h(new RecordSourceRep(nullptr));
  RecordSourceRep& s = *h.src;
  EXPECT_EQ(-1, s.pdGetBOF());
  EXPECT_EQ(0, s.pdGetEOF());
  EXPECT_EQ(0, s.pdGetRowsRead());
  EXPECT_EQ("", Text(s.pdGetFieldList()));
  EXPECT_EQ("", Text(s.pdGetFieldName()));
  EXPECT_EQ("", Text(s.pdGetFieldFormat()));
  EXPECT_EQ("", Text(s.pdGetRecordSource()));
  EXPECT_EQ("", Text(s.pdGetValue(s.rootView())));
  EXPECT_EQ(0, s.pdGetFieldCount());
  EXPECT_EQ(0, s.pdGetFieldIndex());
  EXPECT_EQ(0, s.pdGetFieldType());
  EXPECT_EQ(0, s.pdGetFieldMaxLength());
  EXPECT_EQ(0, s.pdGetAutoUpdate());
  EXPECT_EQ(0, s.pdGetReadComplete());
  EXPECT_EQ(0, s.pdGetNoMatch());
  EXPECT_EQ(0, s.pdGetLockEdits());
  EXPECT_EQ(0, s.pdGetReadOnly());
  EXPECT_EQ(0, s.pdGetSourceQuery1());
  EXPECT_EQ(0, s.pdGetSourceQuery2());
  EXPECT_EQ(0, s.pdGetSourceQuery3());
  EXPECT_EQ(0, s.readMore());
  EXPECT_EQ(-1, s.pdGetCurrentRecordNumber());
  EXPECT_EQ(nullptr, s.pdGetCurrentRecord());
  EXPECT_EQ(nullptr, s.currentDynaset());
  EXPECT_EQ(-1, s.imFieldIndex("Name"));
  EXPECT_EQ(0, s.changed());  // no owner
  s.imUpdateRecord();         // the one operation that quietly does nothing
  // The whole-text selection is item 0, kind 12, held by the source alone.
  EXPECT_EQ(0, s.rootView().index());
  ASSERT_NE(nullptr, s.rootView().item());
  EXPECT_EQ(tdAll, s.rootView().item()->kind);
  EXPECT_EQ(-1, s.rootView().item()->link);
  EXPECT_EQ(1u, s.views().usedCount());
}

TEST(RecordSource, FieldQueriesAndFieldIndexBounds) {
  App();
  Held h(new FieldSource);
  RecordSourceRep& s = *h.src;
  EXPECT_EQ("Name, Age, City", Text(s.pdGetFieldList()));
  EXPECT_EQ("Name", Text(s.pdGetFieldName()));
  s.pdSetFieldIndex(2);
  EXPECT_EQ(2, s.pdGetFieldIndex());
  EXPECT_EQ("City", Text(s.pdGetFieldName()));
  for (long bad : {3L, 4L, 1000L, -1L, -100L}) {
    s.pdSetFieldIndex(bad);
    EXPECT_EQ(2, s.pdGetFieldIndex()) << bad;
  }
  s.pdSetFieldIndex(0);
  EXPECT_EQ(0, s.pdGetFieldIndex());
  EXPECT_EQ(1, s.imFieldIndex("AGE"));
  EXPECT_EQ(2, s.imFieldIndex("city"));
  EXPECT_EQ(-1, s.imFieldIndex("Cit"));
  EXPECT_EQ(-1, s.imFieldIndex("Cityx"));
  EXPECT_EQ(-1, s.imFieldIndex(""));
  EXPECT_EQ(-1, s.imFieldIndex(nullptr));
}

TEST(RecordSource, BofEofAndFlagsFollowTheState) {
  App();
  struct Case {
    uint8_t flags;
    int32_t current, rowsRead;
    long bof, eof, rowsReadSeen, readComplete, noMatch;
  };
  const uint8_t kDone = RecordSourceRep::kReadComplete, kNo = RecordSourceRep::kNoMatch;
  const Case cases[] = {
      {0, -1, -1, -1, 0, 0, 0, 0},       // fresh
      {0, 0, 5, 0, 0, 5, 0, 0},          // on the first of five rows
      {0, 7, 5, 0, 0, 5, 0, 0},          // beyond, still reading: not EOF yet
      {kDone, 4, 5, 0, 0, 5, -1, 0},     // last row of a complete read
      {kDone, 5, 5, 0, -1, 5, -1, 0},    // past the last row
      {kDone, -1, 0, -1, -1, 0, -1, 0},  // empty result
      {kDone, -1, 3, -1, 0, 3, -1, 0},   // before the first row of three
      {0, 2, 0, -1, 0, 0, 0, 0},         // no rows read
      {kNo, 1, 3, 0, 0, 3, 0, -1},       // the last find found nothing
      {kDone | kNo, 3, 3, 0, -1, 3, -1, -1},
  };
  for (const Case& c : cases) {
    Held h(new FieldSource);
    FieldSource& s = static_cast<FieldSource&>(*h.src);
    s.state(c.flags, c.current, c.rowsRead);
    SCOPED_TRACE(testing::Message() << "flags " << (int)c.flags << " current " << c.current << " read "
                                    << c.rowsRead);
    EXPECT_EQ(c.bof, s.pdGetBOF());
    EXPECT_EQ(c.eof, s.pdGetEOF());
    EXPECT_EQ(c.readComplete, s.pdGetReadComplete());
    EXPECT_EQ(c.noMatch, s.pdGetNoMatch());
    EXPECT_EQ(c.rowsReadSeen, s.pdGetRowsRead());
    EXPECT_EQ(c.current, s.pdGetCurrentRecordNumber());
  }
}

TEST(RecordSource, EveryUnsupportedOperationNamesItself) {
  App();
  Held h(new RecordSourceRep(nullptr));
  RecordSourceRep& s = *h.src;
  const TextDataIndex& all = s.rootView();
  struct Case {
    const char* name;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"SetAutoUpdate", [&] { s.pdSetAutoUpdate(1); }},
      {"SetFieldFormat", [&] { s.pdSetFieldFormat("0.00"); }},
      {"SetRecordSource", [&] { s.pdSetRecordSource("SELECT 1"); }},
      {"FindNext", [&] { s.imFindNext("a=1", all); }},
      {"FindFirst", [&] { s.imFindFirst("a=1", all); }},
      {"FindPrev", [&] { s.imFindPrev("a=1", all); }},
      {"FindLast", [&] { s.imFindLast("a=1", all); }},
      {"Refresh", [&] { s.imRefresh(); }},
      {"ClearText", [&] { s.imClearText(); }},
      {"MoveNext", [&] { s.imMoveNext(); }},
      {"MoveFirst", [&] { s.imMoveFirst(); }},
      {"MovePrev", [&] { s.imMovePrev(); }},
      {"MoveLast", [&] { s.imMoveLast(); }},
      {"MoveRandom", [&] { s.imMoveRandom(3); }},
      {"SetValue", [&] { s.pdSetValue("x", all); }},
      // The base refuses before it looks at the table, so any reference will do.
      {"SetValueTable", [&] { s.imSetValueTable(*reinterpret_cast<iDynaset*>(&s), all); }},
      {"AddColumn", [&] { s.imAddColumn(all); }},
      {"AddNew", [&] { s.imAddNew(); }},
      {"AddAt", [&] { s.imAddAt(0); }},
      {"Delete", [&] { s.imDelete(); }},
      {"DeleteAll", [&] { s.imDeleteAll(all); }},
      {"Update", [&] { s.imUpdate(); }},
      {"LockRecord", [&] { s.imLockRecord(); }},
      {"Edit", [&] { s.imEdit(); }},
      {"Disconnect", [&] { s.imDisconnect(); }},
      // Without a buffer the empty text goes to SetValue, which the base lacks.
      {"SetValue", [&] { s.imModifyData(all, (iDataBuffer*)nullptr); }},
  };
  for (const Case& c : cases) {
    std::string got = "<nothing thrown>";
    try {
      c.call();
    } catch (StoreException& e) {
      got = e.text();
    }
    EXPECT_EQ(std::string("Method '") + c.name + "' is unavailable", got);
  }
  EXPECT_EQ(0u, s.flags());  // nothing changed on the way
}

TEST(RecordSource, ValueDataFillsAndGrowsADataBuffer) {
  App();
  Held h(new FieldSource(nullptr, "abc"));
  RecordSourceRep& s = *h.src;
  iDataBuffer* b = iDataBuffer::Native(NewBuffer("Small"));
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(0, b->pdGetSize());
  EXPECT_EQ(4, s.imValueData(s.rootView(), b));
  EXPECT_EQ(4, b->pdGetSize());
  EXPECT_EQ(0, std::memcmp(b->Data(), "abc", 4));
  // A larger buffer keeps its size; the text and its zero are at the start.
  iDataBuffer* big = iDataBuffer::Native(NewBuffer("Big"));
  big->imSetString("0123456789");
  EXPECT_EQ(4, s.imValueData(s.rootView(), big));
  EXPECT_EQ(10, big->pdGetSize());
  EXPECT_EQ(0, std::memcmp(big->Data(),
                           "abc\0"
                           "456789",
                           10));
  EXPECT_EQ(0, s.imValueData(s.rootView(), (iDataBuffer*)nullptr));
  // An empty value is one zero byte.
  static_cast<FieldSource&>(s).value_ = "";
  EXPECT_EQ(1, s.imValueData(s.rootView(), b));
  EXPECT_EQ(0, b->Data()[0]);
}

TEST(RecordSource, ModifyDataPassesTheBufferText) {
  App();
  Held h(new FieldSource);
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  iDataBuffer* b = iDataBuffer::Native(NewBuffer("Modify"));
  b->imSetString("new text");
  s.imModifyData(s.rootView(), b);
  EXPECT_EQ("new text", s.set_);
  s.imModifyData(s.rootView(), (iDataBuffer*)nullptr);
  EXPECT_EQ("", s.set_);
  EXPECT_EQ(2, s.sets_);
}

// Objects of another class where a "DataBuffer" or a Dynaset is due are ignored, never
// cast: value data answers 0 and leaves the object, modify data does nothing, and the
// current record keeps what it had.
TEST(RecordSource, AWrongKindOfObjectIsIgnored) {
  InterObjRep* db = NewObject(DatabaseClass(), "NotABuffer");
  ASSERT_NE(nullptr, db);
  Held h(new FieldSource(nullptr, "abc"));
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  EXPECT_EQ(0, s.imValueDataObj(s.rootView(), db));
  EXPECT_EQ(0, s.imValueDataObj(s.rootView(), nullptr));
  s.imModifyDataObj(s.rootView(), db);
  s.imModifyDataObj(s.rootView(), nullptr);
  EXPECT_EQ(0, s.sets_);
  // The right kind goes through the same door.
  InterObjRep* buffer = NewBuffer("RightKind");
  EXPECT_EQ(4, s.imValueDataObj(s.rootView(), buffer));
  s.imModifyDataObj(s.rootView(), buffer);
  EXPECT_EQ("abc", s.set_);

  EXPECT_FALSE(s.setCurrentRecord(db));
  EXPECT_FALSE(s.setCurrentRecord(buffer));
  EXPECT_EQ(nullptr, s.pdGetCurrentRecord());
  EXPECT_EQ(nullptr, s.currentDynaset());
  EXPECT_TRUE(s.setCurrentRecord(nullptr));
  // Without a current-record Dynaset a move changes nothing.
  s.moveCurrentRecord(4);
  EXPECT_EQ(-1, s.pdGetCurrentRecordNumber());
}

// A class standing for the current row the way a Dynaset does: registered as "Dynaset"
// here, with nothing but its row selection.
class RowHolder : public IInterObj, public CurrentRowView {
 public:
  RowHolder() : IInterObj(nullptr) {}
  TextDataIndex& rowView() override { return row; }
  void PO_Load(IStream*) override {}
  void PO_Save(IStream*, int) override {}
  TextDataIndex row;
};

InterObjRep* RowHolderClass() {
  App();
  static InterObjRep* proto = [] {
    ObjectStore::RegisterNativeClass("Orvanel.Dynaset", []() -> IInterObj* { return new RowHolder; });
    Faultp<InterObjRep>* holder = ObjectStore::RegisterPublishedClass("Dynaset", nullptr);
    return holder->get();
  }();
  return proto;
}

// Moving the current record moves the current-record Dynaset's row selection; with
// the same row, without owner or without current-record Dynaset nothing moves.
TEST(RecordSource, MovingTheCurrentRecordMovesTheRowView) {
  InterObjRep* owner = NewObject(DatabaseClass(), "MoveOwner");
  ASSERT_NE(nullptr, RowHolderClass());
  InterObjRep* current = NewObject(RowHolderClass(), "CurrentRow");
  ASSERT_NE(nullptr, current);
  Held h(new FieldSource(owner));
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  ASSERT_TRUE(s.setCurrentRecord(current));
  EXPECT_EQ(current, s.pdGetCurrentRecord());
  RowHolder* native = dynamic_cast<RowHolder*>(current->ROCDataPtr(0));
  ASSERT_NE(nullptr, native);
  EXPECT_EQ(static_cast<CurrentRowView*>(native), s.currentDynaset());
  native->row = TextDataIndex(s.views(), tdParagraphs, 0, 1, s.rootView());
  native->row.item()->stamp = 5;

  s.moveCurrentRecord(3);
  EXPECT_EQ(3, s.pdGetCurrentRecordNumber());
  EXPECT_EQ(3, native->row.item()->first);
  EXPECT_EQ(1, native->row.item()->second);
  EXPECT_EQ(-1, native->row.item()->stamp);  // offsets to be computed again
  native->row.item()->stamp = 5;
  s.moveCurrentRecord(3);
  EXPECT_EQ(5, native->row.item()->stamp);  // the same row: nothing happens

  // Without owner: nothing moves.
  Held bare(new FieldSource);
  FieldSource& b = static_cast<FieldSource&>(*bare.src);
  ASSERT_TRUE(b.setCurrentRecord(current));
  b.moveCurrentRecord(2);
  EXPECT_EQ(-1, b.pdGetCurrentRecordNumber());
  EXPECT_EQ(3, native->row.item()->first);
  ASSERT_TRUE(b.setCurrentRecord(nullptr));

  // Another object of the class is accepted; a null one clears.
  EXPECT_TRUE(s.setCurrentRecord(NewObject(RowHolderClass(), "OtherRow")));
  EXPECT_TRUE(s.setCurrentRecord(nullptr));
  EXPECT_EQ(nullptr, s.pdGetCurrentRecord());
  native->row = TextDataIndex();
  EXPECT_EQ(1u, s.views().usedCount());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

TEST(RecordSource, WriteFileWritesTheValueUnchanged) {
  App();
  testkit::TestDataDir dir("ovdb_writefile");
  std::string path = dir.File("value.txt");
  Held h(new FieldSource(nullptr, std::string("line 1\r\nline 2\n\0x", 17)));
  RecordSourceRep& s = *h.src;
  s.imWriteFile(path.c_str(), s.rootView());
  EXPECT_EQ(std::string("line 1\r\nline 2\n\0x", 17), ReadFile(path));
  // Written again: replaced, not appended; no line end added.
  static_cast<FieldSource&>(s).value_ = "abc";
  s.imWriteFile(path.c_str(), s.rootView());
  EXPECT_EQ("abc", ReadFile(path));
}

TEST(RecordSource, WriteFileToAnUnwritablePathNamesIt) {
  App();
  testkit::TestDataDir dir("ovdb_unwritable");
  Held h(new FieldSource(nullptr, "abc"));
  RecordSourceRep& s = *h.src;
  const std::string missingDir = dir.File("no such folder\\out.txt");
  const std::string readOnly = dir.File("locked.txt");
  { std::ofstream(readOnly) << "old"; }
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  for (const std::string& path : {missingDir, dir.Path(), readOnly, std::string()}) {
    std::string got = "<nothing thrown>";
    try {
      s.imWriteFile(path.c_str(), s.rootView());
    } catch (StoreException& e) {
      got = e.text();
    }
    EXPECT_EQ("Cannot write file " + path, got);
  }
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ("old", ReadFile(readOnly));
}

// Each Dynaset on a source holds a row selection narrowing the whole text: the views
// grow as they come and shrink as they go, and a later one reuses the freed items.
TEST(RecordSource, ViewsComeAndGoWithTheirDynasets) {
  App();
  Held h(new RecordSourceRep(nullptr));
  RecordSourceRep& s = *h.src;
  {
    TextDataIndex row1(s.views(), tdParagraphs, 0, 1, s.rootView());
    TextDataIndex row2(s.views(), tdParagraphs, 1, 1, s.rootView());
    TextDataIndex col(s.views(), tdColumn, 2, 1, row2);
    EXPECT_EQ(4u, s.views().usedCount());
    EXPECT_EQ(3, s.rootView().item()->count);
    EXPECT_EQ(1, row1.index());
    EXPECT_EQ(2, row2.index());
  }
  EXPECT_EQ(1u, s.views().usedCount());
  EXPECT_EQ(1, s.rootView().item()->count);
  // addData takes a template the way the kinds add theirs.
  int32_t i = s.addData(STextDataRep::Make(tdRows, 0, 3, s.rootView().index()));
  TextDataIndex rows(s.views(), i);
  EXPECT_EQ(tdRows, rows.item()->kind);
  EXPECT_EQ(2u, s.views().usedCount());
  EXPECT_EQ(2, s.rootView().item()->count);
}

TEST(RecordSource, CopyTakesOwnerAndFlagsAndStartsItsOwnViews) {
  InterObjRep* owner = NewObject(DatabaseClass(), "Owner");
  Held h(new FieldSource(owner));
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  s.state(RecordSourceRep::kReadComplete, 2, 3);
  s.setEditMode(RecordSourceRep::AddNew);
  TextDataIndex extra(s.views(), tdRows, 0, 2, s.rootView());
  Held c(new RecordSourceRep(s));
  EXPECT_EQ(owner, c.src->owner());
  EXPECT_EQ(RecordSourceRep::kReadComplete | RecordSourceRep::AddNew, c.src->flags());
  EXPECT_EQ(1u, c.src->views().usedCount());
  EXPECT_EQ(0, c.src->rootView().index());
  EXPECT_EQ(-1, c.src->pdGetCurrentRecordNumber());
  // Marking changed reaches the owner.
  owner->setFlag(InterObjRep::kFlagDirty, false);
  EXPECT_EQ(1, c.src->changed());
  EXPECT_TRUE(owner->flags() & InterObjRep::kFlagDirty);
}

TEST(RecordSource, EditModeBits) {
  App();
  Held h(new FieldSource);
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  s.state(RecordSourceRep::kNoMatch, -1, -1);
  s.setEditMode(RecordSourceRep::Modify);
  EXPECT_EQ(RecordSourceRep::kNoMatch | RecordSourceRep::Modify, s.flags());
  s.setEditMode(RecordSourceRep::AddNew);
  EXPECT_EQ(RecordSourceRep::kNoMatch | RecordSourceRep::AddNew, s.flags());
  s.clearEditMode();
  EXPECT_EQ(RecordSourceRep::kNoMatch, s.flags());
}

// The flags byte is the whole stream form of the base.
TEST(RecordSource, FlagsByteRoundTripsOnAStream) {
  App();
  Held h(new FieldSource);
  FieldSource& s = static_cast<FieldSource&>(*h.src);
  s.state(RecordSourceRep::kReadComplete | RecordSourceRep::kNoMatch, -1, -1);
  IStream* stream = NewStream();
  {
    OCLStream out(stream);
    s.write(out);
  }
  EXPECT_EQ(Bytes({0x06}), Contents(stream));
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  Held r(new RecordSourceRep(nullptr));
  {
    OCLStream in(stream);
    r.src->read(in, 1);
  }
  EXPECT_EQ(0x06, r.src->flags());
  EXPECT_EQ(-1, r.src->pdGetNoMatch());
  stream->Release();
}

// Find targets: a table of texts and what the four parsing steps read from them.
TEST(RecordSource, FindTargetsParse) {
  App();
  Held h(new FieldSource);
  RecordSourceRep& s = *h.src;
  struct Cond {
    long field;
    int op;
    const char* value;  // null: no value
    int join;
  };
  struct Case {
    const char* target;
    std::vector<Cond> conds;
  };
  const Case cases[] = {
      {"Name LIKE 'A%'", {{0, kFindLike, "A%", kFindEnd}}},
      {"Age<=5", {{1, kFindLessEqual, "5", kFindEnd}}},
      {"Name = 'Ann' and City = \"Oslo\"",
       {{0, kFindEqual, "Ann", kFindAnd}, {2, kFindEqual, "Oslo", kFindEnd}}},
      {"Name='Ann' OR Age>'30'", {{0, kFindEqual, "Ann", kFindOr}, {1, kFindGreater, "30", kFindEnd}}},
      {"Age > 3 AND City = 'x'", {{1, kFindGreater, "3 AND City = 'x'", kFindEnd}}},
      {"Colour = 'red'", {{-1, kFindEqual, "red", kFindEnd}}},
      {"Name = 'Ann", {{0, kFindEqual, nullptr, kFindEnd}}},
      {"Name =   ", {{0, kFindEqual, nullptr, kFindEnd}}},
      {"Name", {{0, kFindOpNone, nullptr, kFindEnd}}},
      {"", {{-1, kFindOpNone, nullptr, kFindEnd}}},
      {"Age<5", {{1, kFindLess, "5", kFindEnd}}},
      {"Age>=5", {{1, kFindGreaterEqual, "5", kFindEnd}}},
      {"Age>5", {{1, kFindGreater, "5", kFindEnd}}},
      {"Age=5", {{1, kFindEqual, "5", kFindEnd}}},
      {"Age<>5", {{1, kFindNotEqual, "5", kFindEnd}}},
      {"City like 'O%'", {{2, kFindLike, "O%", kFindEnd}}},
      {"City NotLike 'O%'", {{2, kFindNotLike, "O%", kFindEnd}}},
      {"City NOT LIKE 'O%'", {{2, kFindOpNone, nullptr, kFindEnd}}},
      {"City ~ 'O%'", {{2, kFindOpNone, nullptr, kFindEnd}}},
      {"\t\r\nAge\v\f<=\n'7'", {{1, kFindLessEqual, "7", kFindEnd}}},
      {"Name = \"it's\" AND Age = ''", {{0, kFindEqual, "it's", kFindAnd}, {1, kFindEqual, "", kFindEnd}}},
      {"Name = 'a' XOR Age = 'b'", {{0, kFindEqual, "a", kFindEnd}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    std::string text = c.target;
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    char* pos = buf.data();
    for (const Cond& want : c.conds) {
      EXPECT_EQ(want.field, s.getFindField(&pos));
      EXPECT_EQ(want.op, s.getFindOp(&pos));
      if (want.op == kFindOpNone) break;
      char* value = s.getFindValue(&pos);
      if (!want.value) {
        EXPECT_EQ(nullptr, value);
        break;
      }
      ASSERT_NE(nullptr, value);
      EXPECT_STREQ(want.value, value);
      EXPECT_EQ(want.join, s.getFindCondition(&pos));
    }
    // Nothing was read or written past the text.
    EXPECT_LE(pos, buf.data() + text.size());
  }
  // A null position.
  char* none = nullptr;
  EXPECT_EQ(-1, s.getFindField(&none));
  EXPECT_EQ(kFindOpNone, s.getFindOp(&none));
  EXPECT_EQ(nullptr, s.getFindValue(&none));
  EXPECT_EQ(kFindJoinNone, s.getFindCondition(&none));
  EXPECT_EQ(kFindJoinNone, s.getFindCondition(nullptr));
}

// The field name is cut out only while it is looked up: the text reads as before.
TEST(RecordSource, FindFieldRestoresTheText) {
  App();
  Held h(new FieldSource);
  RecordSourceRep& s = *h.src;
  char text[] = "City=Oslo";
  char* pos = text;
  EXPECT_EQ(2, s.getFindField(&pos));
  EXPECT_STREQ("City=Oslo", text);
  EXPECT_EQ(text + 4, pos);
}

}  // namespace
