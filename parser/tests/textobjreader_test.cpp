// The text object file reader: an application loaded as a module and run, the reader's
// edge cases with their lines, the boxes and what each answer does, text modules saved
// as text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "parser/ovparse.h"
#include "textobjreader.h"
#include "store/field.h"
#include "store/groups.h"
#include "store/signature.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "olecls/oclstorage.h"
#include "testkit/testkit.h"
#include "textobj_kit.h"

using namespace textobj;

namespace {

long LongOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asLong() : -999;
}

std::string TextOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asString().str() : "<null>";
}

double DoubleOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asDouble() : -999;
}

long Call(InterObjRep* obj, const char* name, long arg) {
  ValueList args;
  args.ppush(new DirectValue<long, 2>(arg));
  return LongOf(obj->evalIMember(name, &args));
}

class TextObjectReading : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpStore();
    ASSERT_EQ(0, ObjectStore::ModuleCount());
  }
  void TearDown() override { ObjectStore::UnloadAllModules(1); }
};

// Loads path through the module manager; the module's number.
unsigned char LoadThroughManager(const std::string& path) {
  unsigned char* token = nullptr;
  int loaded = iModuleManager::LoadModules(path.c_str(), 0, token);
  iModuleManager::PostLoadModulesNotify(token);
  EXPECT_EQ(1, loaded);
  return ObjectStore::FindModule("app.txt");
}

}  // namespace

TEST_F(TextObjectReading, ApplicationLoadsRunsItsCodeAndAnswersFromCpp) {
  testkit::TestDataDir dir("textobj_app");
  std::string path = dir.File("app.txt");
  WriteFile(path, ReadFile(Sample("app.txt")));
  Boxes boxes;
  unsigned char m = LoadThroughManager(path);
  ASSERT_NE(255, m);
  EXPECT_TRUE(boxes.Seen().empty()) << boxes.Seen()[0].text;
  EXPECT_TRUE(ObjectStore::ModuleIsText(m));
  EXPECT_FALSE(ObjectStore::ModuleReadInPart(m));
  EXPECT_FALSE(ObjectStore::ModuleDirty(m));

  InterObjRep* counter = ObjectStore::find("Counter");
  InterObjRep* gauge = ObjectStore::find("Gauge");
  InterObjRep* meter = ObjectStore::find("Meter");
  InterObjRep* total = ObjectStore::find("Total");
  ASSERT_TRUE(counter && gauge && meter && total);
  for (InterObjRep* o : {counter, gauge, meter, total}) EXPECT_EQ(m, o->module());
  EXPECT_EQ(ObjectStore::find("Test"), gauge->parent());
  EXPECT_EQ(ObjectStore::find("TestChild"), meter->parent());
  EXPECT_EQ(counter, total->parent());
  EXPECT_NE(nullptr, counter->findEventDef("Ticked"));

  // The Code block ran: Basic-declared and native properties are set.
  EXPECT_EQ(5, LongOf(counter->evalIMember("Count", nullptr)));
  EXPECT_EQ("laps", TextOf(counter->evalIMember("Title", nullptr)));
  EXPECT_EQ(42, LongOf(gauge->evalIMember("Value", nullptr)));
  EXPECT_EQ("km/h", TextOf(gauge->evalIMember("Caption", nullptr)));
  EXPECT_EQ(9, LongOf(meter->evalIMember("Extra", nullptr)));
  InterObjRep* needle = ObjectStore::find("Gauge.Needle");
  ASSERT_NE(nullptr, needle);
  EXPECT_EQ(1.5, DoubleOf(needle->evalIMember("Angle", nullptr)));

  // Methods called from C++: inherited data and methods, a native property in Basic.
  EXPECT_EQ(11, Call(counter, "Twice", 3));
  EXPECT_EQ(12, Call(total, "Sum", 3));
  EXPECT_EQ("speed:km/h:42:1.5", TextOf(gauge->evalIMember("Describe", nullptr)));
  // A native method of the library's class on the object derived from it.
  ValueList ab;
  ab.ppush(new DirectValue<long, 2>(2));
  ab.ppush(new DirectValue<long, 2>(3));
  EXPECT_EQ(5, LongOf(gauge->evalIMember("Add", &ab)));

  // The methods keep their own text (indent taken off), lines counted from their first.
  const Field* twice = counter->findField("Twice");
  ASSERT_TRUE(twice && twice->hasSource());
  EXPECT_STREQ("Function Twice(ByVal n As Long) As Long\r\n  Twice = 2 * n + Count\r\nEnd Function\r\n",
               twice->sourceText());
}

TEST_F(TextObjectReading, ObjectsGoIntoTheGroupWhenOneIsGiven) {
  testkit::TestDataDir dir("textobj_group");
  std::string path = dir.File("g.txt");
  WriteFile(path, "Type GA\n  Dim X As Long\nEnd Type\nType GB From GA\nEnd Type\n");
  unsigned char m = ObjectStore::CreateModule("g");
  OpenModuleResource open(m);
  PrimInterObj group(iGroup::PO_GetObject(), ObjectStore::kTempModule, 1);
  InterObj g(group.get());
  EXPECT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), g, 1));
  iGroup* list = iGroup::Native(group.get());
  ASSERT_EQ(2u, list->members().size());
  EXPECT_STREQ("GA", list->members().front()->name());
  EXPECT_STREQ("GB", list->members().back()->name());
  // Anything but a group only makes the objects.
  InterObj none;
  WriteFile(path, "Type GC\nEnd Type\n");
  EXPECT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
  EXPECT_NE(nullptr, ObjectStore::find("GC"));
}

// One edge case of the reader: the file, what it must say and on which line (1-based).
struct EdgeCase {
  const char* name;
  const char* text;
  const char* message;  // contained in the box's text; null: the file reads cleanly
  int line;
};

const EdgeCase kEdgeCases[] = {
    {"adds to an existing object", "Type Existing From Existing\n  Dim Added As Long\nEnd Type\n", nullptr,
     0},
    {"object exists in this module", "' comment\nType Existing\nEnd Type\n",
     "Object 'Existing' already exists.", 2},
    {"object of another module", "\nType Elsewhere\nEnd Type\n", "Object 'Elsewhere' already exists.", 2},
    {"missing parent", "Type Fresh From Missing\nEnd Type\n", "Object 'Missing' not found.", 1},
    {"Const at the top", "Type Fresh\nEnd Type\nConst K = 1\n", "'Const' is currently not a supported type.",
     3},
    {"declaration at the top", "Dim x As Long\n",
     "Expected Type statement or a Code block, received: 'Dim x As Long'.", 1},
    {"statement at the top", "Type Fresh\nEnd Type\n\n  x = 1\n",
     "Expected Type statement or a Code block, received: 'x = 1'.", 4},
    {"procedure at the top", "Sub Lost()\nEnd Sub\n",
     "Expected Type statement or a Code block, received: 'Sub Lost()'.", 1},
    {"Code without End Code", "Begin Code\n  Existing.Count = 1\n",
     "Error in termination of Code block\nExpected 'End Code' received: 'Nothing'", 3},
    {"Type without End Type", "Type Fresh\n  Dim A As Long\n", "Error in termination of Type...EndType block",
     3},
    {"stray End Type", "Type Fresh\nEnd Type\nEnd Type\n",
     "Found a 'End Type' unexpectedly on line: \n\nEnd Type", 3},
    {"syntax error in a method", "Type Fresh\n  Sub M()\n    x = = 1\n  End Sub\nEnd Type\n", "Syntax Error",
     3},
    {"unknown class of an embedded type", "Type Fresh\n  Type Inner From Nowhere\n  End Type\nEnd Type\n",
     "Declaration type 'Nowhere' Not found", 2},
    {"member defined twice", "Type Fresh\n  Dim A As Long\n  Dim A As Long\nEnd Type\n", "'A'", 3},
    {"line over 510 characters", "Type Fresh\n' @\nEnd Type\n",
     "Line has exceeded max length of 510 characters.", 2},
};

TEST_F(TextObjectReading, EdgeCasesNameTheirLineAndLeaveNothingHalfMade) {
  testkit::TestDataDir dir("textobj_edges");
  unsigned char other = ObjectStore::CreateModule("other");
  {
    OpenModuleResource open(other);
    PrimInterObj elsewhere("Elsewhere", nullptr, 0);
  }
  unsigned char m = ObjectStore::CreateModule("edges");
  OpenModuleResource open(m);
  PrimInterObj existing("Existing", nullptr, 0);
  for (const EdgeCase& c : kEdgeCases) {
    SCOPED_TRACE(c.name);
    std::string text = c.text;
    size_t at = text.find('@');
    if (at != std::string::npos) text.replace(at, 1, std::string(520, 'x'));
    std::string path = dir.File("edge.txt");
    WriteFile(path, text);
    Boxes boxes;  // answers "No"
    InterObj none;
    if (!c.message) {
      EXPECT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
      EXPECT_TRUE(boxes.Seen().empty());
      continue;
    }
    try {
      ParserReadTextObjectFile(path.c_str(), none, 1);
      ADD_FAILURE() << "no error";
    } catch (StoreException& e) {
      EXPECT_STREQ("Parse Error", e.what());
      EXPECT_TRUE(e.userHandled(-1));
      EXPECT_EQ(c.line, e.line() + 1);
    }
    ASSERT_EQ(1u, boxes.Seen().size());
    const Box& b = boxes.Seen()[0];
    EXPECT_EQ("Error while parsing", b.caption);
    EXPECT_EQ((unsigned)(MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL), b.style);
    std::string head = "Parsing error in file: " + path + " at line: " + std::to_string(c.line) + "\n\n";
    EXPECT_EQ(head, b.text.substr(0, head.size()));
    EXPECT_NE(std::string::npos, b.text.find(c.message)) << b.text;
    EXPECT_EQ(nullptr, ObjectStore::find("Fresh"));
  }
  // The first case added a field to the existing object.
  EXPECT_NE(nullptr, existing->findField("Added"));
  EXPECT_STREQ("edges", ObjectStore::ModuleName(existing->module()));
}

TEST_F(TextObjectReading, MissingFileIsAStoreError) {
  InterObj none;
  std::string path = "C:\\no\\such\\file.txt";
  try {
    ParserReadTextObjectFile(path.c_str(), none, 1);
    FAIL();
  } catch (StoreException& e) {
    EXPECT_EQ("Couldn't open file named '" + path + "'.", std::string(e.what()));
  }
}

TEST_F(TextObjectReading, WithoutRunCodeIsParsedButNotRun) {
  testkit::TestDataDir dir("textobj_norun");
  std::string path = dir.File("norun.txt");
  WriteFile(path,
            "Type Quiet\n  Dim N As Long\nEnd Type\nBegin Code\n  Quiet.N = 3\nEnd Code\n"
            "Begin Code\n  ModuleManager.PublishObjectDLL(\"no_such_library\")\nEnd Code\n"
            "Type Late From NotPublished\nEnd Type\n");
  unsigned char m = ObjectStore::CreateModule("norun");
  OpenModuleResource open(m);
  Boxes boxes;
  InterObj none;
  EXPECT_THROW(ParserReadTextObjectFile(path.c_str(), none, 0), StoreException);
  ASSERT_EQ(1u, boxes.Seen().size());
  EXPECT_NE(std::string::npos, boxes.Seen()[0].text.find("at line: 10\n\nObject 'NotPublished' not found."));
  // "No" dropped what the read had made.
  EXPECT_EQ(nullptr, ObjectStore::find("Quiet"));
  WriteFile(path, "Type Quiet\n  Dim N As Long\nEnd Type\nBegin Code\n  Quiet.N = 3\nEnd Code\n");
  EXPECT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 0));
  EXPECT_EQ(0, LongOf(ObjectStore::find("Quiet")->evalIMember("N", nullptr)));
}

TEST_F(TextObjectReading, ParseErrorBoxYesKeepsWhatWasReadAndSaysSo) {
  testkit::TestDataDir dir("textobj_partial");
  std::string path = dir.File("app.txt");
  const std::string text =
      "Type Kept\n  Dim N As Long\nEnd Type\nType Broken\n  Dim = 1\nEnd Type\nType After\nEnd Type\n";
  WriteFile(path, text);
  Boxes boxes;
  boxes.Answer(IDYES);
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  ASSERT_EQ(1u, boxes.Seen().size());
  EXPECT_EQ("Error while parsing", boxes.Seen()[0].caption);
  EXPECT_NE(nullptr, ObjectStore::find("Kept"));
  EXPECT_EQ(nullptr, ObjectStore::find("After"));
  EXPECT_TRUE(ObjectStore::ModuleReadInPart(m));
  // Never written back over the file it was read in part from: a changed module is not
  // saved on unload (the refusal is reported), and the file stays as it was.
  ObjectStore::MarkModuleDirty(m);
  try {
    ObjectStore::SaveModule(m);
    FAIL();
  } catch (ModuleSaveFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("Only part of its text object file was read"));
  }
  ObjectStore::UnloadModule(m, 0);
  EXPECT_EQ(text, ReadFile(path));
}

TEST_F(TextObjectReading, ParseErrorBoxNoRefusesTheModule) {
  testkit::TestDataDir dir("textobj_refused");
  std::string path = dir.File("app.txt");
  WriteFile(path, "Type Kept\nEnd Type\nType Broken\n  Dim = 1\nEnd Type\n");
  Boxes boxes;
  try {
    ObjectStore::LoadModule(path.c_str());
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("Parse Error", e.what());
    EXPECT_TRUE(e.userHandled(-1));
  }
  EXPECT_EQ(nullptr, ObjectStore::find("Kept"));
  EXPECT_EQ(0, ObjectStore::ModuleCount());
}

TEST_F(TextObjectReading, CodeErrorBoxTextAndAnswers) {
  testkit::TestDataDir dir("textobj_code");
  std::string path = dir.File("code.txt");
  WriteFile(path,
            "Type Worker\n  Sub Fail()\n    Dim a(3) As Long\n    a(7) = 1\n  End Sub\nEnd Type\n"
            "Begin Code\n  Dim b(2) As Long\n  b(5) = 1\nEnd Code\n"
            "Begin Code\n  Worker.Fail\nEnd Code\n"
            "Type Last\nEnd Type\n");
  {
    // "Yes" goes on with the file after each failing block.
    Boxes boxes;
    boxes.Answer(IDYES);
    boxes.Answer(IDYES);
    unsigned char m = ObjectStore::CreateModule("code");
    OpenModuleResource open(m);
    InterObj none;
    EXPECT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
    ASSERT_EQ(2u, boxes.Seen().size());
    EXPECT_EQ("Error during code section execution", boxes.Seen()[0].caption);
    EXPECT_EQ((unsigned)(MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL), boxes.Seen()[0].style);
    EXPECT_EQ("A 'RangeError' exception originated on line: 9\nof file: \"" + path +
                  "\"\n\nDescription:\n\n  Index out of range: 5 is not between 0 and 2.\n\nOk to continue?",
              boxes.Seen()[0].text);
    EXPECT_EQ("A 'RangeError' exception originated on line: 3\nof file: \"" + path +
                  "\"\n\n The exception involved object 'Worker' in method Fail.\n\nDescription:\n\n"
                  "  Index out of range: 7 is not between 0 and 3.\n\nOk to continue?",
              boxes.Seen()[1].text);
    EXPECT_NE(nullptr, ObjectStore::find("Last"));
    ObjectStore::UnloadModule(m, 1);
  }
  {
    // "No" throws the error on, marked as handled by the user; nothing stays.
    Boxes boxes;
    unsigned char m = ObjectStore::CreateModule("code");
    OpenModuleResource open(m);
    InterObj none;
    try {
      ParserReadTextObjectFile(path.c_str(), none, 1);
      FAIL();
    } catch (RangeError& e) {
      EXPECT_TRUE(e.userHandled(-1));
      EXPECT_EQ(8, e.line());
    }
    EXPECT_EQ(1u, boxes.Seen().size());
    EXPECT_EQ(nullptr, ObjectStore::find("Worker"));
  }
}

TEST_F(TextObjectReading, ChangedTextModuleIsSavedAsText) {
  testkit::TestDataDir dir("textobj_save");
  std::string path = dir.File("app.txt");
  WriteFile(path, "Type Saved\n  Dim N As Long\nEnd Type\nBegin Code\n  Saved.N = 3\nEnd Code\n");
  unsigned char m = ObjectStore::LoadModule(path.c_str());
  InterObjRep* saved = ObjectStore::find("Saved");
  ASSERT_NE(nullptr, saved);
  ValueList v;
  v.ppush(new DirectValue<long, 2>(7));
  saved->eval("N", InterObjRep::kEvalSet, &v);
  EXPECT_TRUE(ObjectStore::ModuleDirty(m));
  ObjectStore::UnloadModule(m, 0);  // saved on unload
  EXPECT_FALSE(OCLStorage::IsStorageFile(path.c_str()));
  EXPECT_EQ(
      "Type Saved\n  Dim N As Long\nEnd Type\n\nBegin Code\n' Reconstruction commands for object: Saved\n'\n"
      "  With Saved\n    .N = 7\n  End With  'Saved\nEnd Code\n",
      ReadFile(path));

  // Under another name the module is a compound file, and goes on as one.
  m = ObjectStore::LoadModule(path.c_str());
  std::string other = dir.File("app.obo");
  EXPECT_EQ(1, ObjectStore::SaveModule(m, other.c_str()));
  EXPECT_TRUE(OCLStorage::IsStorageFile(other.c_str()));
  EXPECT_FALSE(ObjectStore::ModuleIsText(m));
  ObjectStore::UnloadModule(m, 1);
  m = ObjectStore::LoadModule(other.c_str());
  EXPECT_EQ(7, LongOf(ObjectStore::find("Saved")->evalIMember("N", nullptr)));
}

// Enumerated values written by the text unload read back through the reader as the
// same values: entry texts with spaces, operators and quotes, Booleans, and values no
// entry names; for native properties and for fields declared in Basic.
TEST_F(TextObjectReading, UnloadedEnumeratedValuesReadBackTheSame) {
  testkit::TestDataDir dir("textobj_enums");
  std::string path = dir.File("enums.txt");
  unsigned char m = ObjectStore::CreateModule("enums");
  OpenModuleResource open(m);
  Boxes boxes;
  InterObj none;
  WriteFile(path,
            "Begin Code\n  ModuleManager.PublishObjectDLL(\"ovstore_testpub\")\nEnd Code\n"
            "Type Holder From Test\n  Dim Side As TestEdge\n  Dim Shown As Boolean\nEnd Type\n");
  ASSERT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
  InterObjRep* holder = ObjectStore::find("Holder");
  ASSERT_NE(nullptr, holder);
  struct Case {
    const char* set;   // Basic assigned to all four
    long value;        // what Edge and Side hold
    const char* edge;  // the line of Edge
    bool shown;
  } cases[] = {
      {"1", 1, "  .Edge = \"Fixed Single\"", true},
      {"6", 6, "  .Edge = \"Left+Top\"", true},
      {"7", 7, "  .Edge = \"Say \"\"Hi\"\"\"", true},
      {"0", 0, "  .Edge = \"None\"", false},
      {"3", 3, "  .Edge = 3", true},  // no entry: the number
      {"\"fixed single\"", 1, "  .Edge = \"Fixed Single\"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    std::string set = std::string(c.set);
    std::string boolean = c.shown ? "True" : "False";
    WriteFile(path, "Begin Code\n  Holder.Edge = " + set + "\n  Holder.Side = " + set +
                        "\n  Holder.Shown = " + boolean + "\n  Holder.Enabled = " + boolean + "\nEnd Code\n");
    ASSERT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
    ASSERT_EQ(c.value, LongOf(holder->evalIMember("Edge", nullptr)));
    ASSERT_EQ(c.value, LongOf(holder->evalIMember("Side", nullptr)));
    RWCString lines;
    for (const char* name : {"Edge", "Side", "Shown", "Enabled"}) holder->textFieldUnload(name, "  ", lines);
    std::string text(lines.data(), lines.length());
    std::string side = std::string(c.edge).replace(3, 4, "Side");
    EXPECT_EQ(
        std::string(c.edge) + "\n" + side + "\n  .Shown = " + boolean + "\n  .Enabled = " + boolean + "\n",
        text);
    // Other values first, then the unloaded lines read back.
    WriteFile(path,
              "Begin Code\n  Holder.Edge = 2\n  Holder.Side = 2\n  Holder.Shown = Not Holder.Shown\n"
              "  Holder.Enabled = Not Holder.Enabled\nEnd Code\nBegin Code\n  With Holder\n" +
                  text + "  End With\nEnd Code\n");
    ASSERT_EQ(TextObjectReader::kComplete, ParserReadTextObjectFile(path.c_str(), none, 1));
    EXPECT_EQ(c.value, LongOf(holder->evalIMember("Edge", nullptr)));
    EXPECT_EQ(c.value, LongOf(holder->evalIMember("Side", nullptr)));
    EXPECT_EQ(c.shown ? -1 : 0, LongOf(holder->evalIMember("Shown", nullptr)));
    EXPECT_EQ(c.shown ? -1 : 0, LongOf(holder->evalIMember("Enabled", nullptr)));
  }
  EXPECT_TRUE(boxes.Seen().empty());
}
