// The text object file writer: a whole application written back equals its golden file
// and reads back to equal objects; method order and texts; failures that leave the
// target as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "parser/ovparse.h"
#include "parser/textobjreader.h"
#include "parser/textobjwriter.h"
#include "store/field.h"
#include "store/groups.h"
#include "store/signature.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/procfield.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "testkit.h"
#include "utils/xexception.h"
#include "textobj_kit.h"

using namespace textobj;

namespace {

class TextObjectWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpStore();
    ASSERT_EQ(0, ObjectStore::ModuleCount());
  }
  void TearDown() override { ObjectStore::UnloadAllModules(1); }
};

std::string ValueText(InterObjRep* obj, const char* member) {
  ValuePtr v;
  v.adopt(obj->evalIMember(member, nullptr));
  return v ? v->asString().str() : "<null>";
}

// What a read of the application gives, as one text: each object's parent, fields with
// their texts and values.
std::string Snapshot() {
  std::string out;
  for (const char* name : {"Counter", "Gauge", "Gauge.Needle", "Meter", "Total"}) {
    InterObjRep* o = ObjectStore::find(name);
    if (!o) {
      out += std::string(name) + " missing\n";
      continue;
    }
    out += std::string(name) + " from " + (o->parent() ? o->parent()->name() : "-") + "\n";
    SignatureRep* sig = o->signature();
    for (int i = 0; i < sig->fieldCount(); ++i) {
      Field* f = sig->field(i);
      if (f->isCompiled()) continue;
      out +=
          std::string("  ") + f->name() + (f->hasSource() ? std::string(" = ") + f->sourceText() : "") + "\n";
    }
  }
  InterObjRep* gauge = ObjectStore::find("Gauge");
  InterObjRep* meter = ObjectStore::find("Meter");
  InterObjRep* counter = ObjectStore::find("Counter");
  if (gauge && meter && counter)
    out += ValueText(gauge, "Describe") + " " + ValueText(meter, "Extra") + " " + ValueText(meter, "Unit") +
           " " + ValueText(counter, "Title");
  return out;
}

}  // namespace

TEST_F(TextObjectWriting, ApplicationWrittenBackEqualsGoldenAndReadsBackEqual) {
  testkit::TestDataDir dir("textobj_golden");
  std::string app = dir.File("app.txt");
  WriteFile(app, ReadFile(Sample("app.txt")));
  Boxes boxes;
  unsigned char m = ObjectStore::LoadModule(app.c_str());
  std::string first = Snapshot();
  std::string written = dir.File("written.txt");
  ASSERT_EQ(1, StoreApplication::App()->WriteTextObjectFile(written.c_str(), m));
  std::string text = ReadFile(written);
  EXPECT_EQ(ReadFile(Sample("app.golden.txt")), text);
  ObjectStore::UnloadModule(m, 1);

  // Read -> write -> read: the same objects, the same text.
  m = ObjectStore::LoadModule(written.c_str());
  EXPECT_EQ(first, Snapshot());
  std::string again = dir.File("again.txt");
  ASSERT_EQ(1, StoreApplication::App()->WriteTextObjectFile(again.c_str(), m));
  EXPECT_EQ(text, ReadFile(again));
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST(TextObjectWriterOrder, MethodNamesWithoutCaseThenWithCase) {
  std::vector<std::string> names{"b", "A", "a", "ab", "AB", "Ab", "_x", "B1"};
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
    return TextObjectWriter::MethodBefore(x.c_str(), y.c_str());
  });
  EXPECT_EQ((std::vector<std::string>{"_x", "A", "a", "AB", "Ab", "ab", "b", "B1"}), names);
  EXPECT_THROW(TextObjectWriter::MethodBefore("same", "same"), XAssert);
}

// An object with methods named "b", "A" and "c" (the store's member names ignore case,
// so "a" cannot stand beside "A"), "b" without a final line feed.
InterObjRep* MakeSorted() {
  PrimInterObj obj("Sorted", nullptr, 0);
  const char* texts[] = {"Sub b()\r\n  x = 1\r\nEnd Sub", "Sub A()\nEnd Sub\n",
                         "Function c() As Long\r\n  c = 2\r\nEnd Function\r\n"};
  for (const char* t : texts) {
    std::string copy = t;
    InterProcField* proc = nullptr;
    ParserParseProcedure(proc, &copy[0]);
    obj->addField(proc, nullptr, 0);
  }
  return obj.get();
}

TEST_F(TextObjectWriting, MethodsSortedAndEveryLineWritten) {
  testkit::TestDataDir dir("textobj_methods");
  unsigned char m = ObjectStore::CreateModule("methods");
  OpenModuleResource open(m);
  InterObj sorted(MakeSorted());
  std::string path = dir.File("sorted.txt");
  ParserWriteTextObjectFile(path.c_str(), 0, sorted);
  EXPECT_EQ(
      "Type Sorted\n\n  ' METHODS for object: Sorted\n  Sub A()\n  End Sub\n\n"
      "  Sub b()\n    x = 1\n  End Sub\n\n  Function c() As Long\n    c = 2\n  End Function\n\nEnd Type\n\n"
      "Begin Code\n' Reconstruction commands for object: Sorted\n'\n  With Sorted\n  End With  'Sorted\nEnd "
      "Code\n",
      ReadFile(path));
  // Appending adds the text after what the file holds.
  ParserWriteTextObjectFile(path.c_str(), 1, sorted);
  std::string twice = ReadFile(path);
  EXPECT_EQ(twice.substr(0, twice.size() / 2), twice.substr(twice.size() / 2));
}

TEST_F(TextObjectWriting, NonTopLevelObjectFailsAndLeavesTheTarget) {
  testkit::TestDataDir dir("textobj_nontop");
  std::string app = dir.File("app.txt");
  WriteFile(app, ReadFile(Sample("app.txt")));
  ObjectStore::LoadModule(app.c_str());
  std::string target = dir.File("target.txt");
  WriteFile(target, "old text\n");
  PrimInterObj group(iGroup::PO_GetObject(), ObjectStore::kTempModule, 1);
  iGroup::Native(group.get())->add(ObjectStore::find("Counter"));
  iGroup::Native(group.get())->add(ObjectStore::find("Gauge.Needle"));
  InterObj g(group.get());
  Boxes boxes;
  try {
    ParserWriteTextObjectsFile(target.c_str(), 0, g);
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("Cannot write non-toplevel objects", e.what());
  }
  EXPECT_EQ("old text\n", ReadFile(target));
  ASSERT_EQ(1u, boxes.Seen().size());
  EXPECT_EQ("Text Write Failed", boxes.Seen()[0].caption);
  const std::string head = "Text write failed, partial write left in:\n\n";
  ASSERT_EQ(head, boxes.Seen()[0].text.substr(0, head.size()));
  std::string temp = boxes.Seen()[0].text.substr(head.size());
  EXPECT_NE(std::string::npos, temp.find("oto"));
  // The partial text is in the temporary file: the first object's Type block.
  EXPECT_EQ(0u, ReadFile(temp).find("Type Counter\n  Dim Count As Long\n"));
  DeleteFileA(temp.c_str());
}

int FailingCopy(const char*, const char*, int) {
  SetLastError(ERROR_DISK_FULL);
  return 0;
}

TEST_F(TextObjectWriting, FailedCopyLeavesTheTargetAndNamesTheTemporaryFile) {
  testkit::TestDataDir dir("textobj_copy");
  unsigned char m = ObjectStore::CreateModule("copy");
  OpenModuleResource open(m);
  PrimInterObj obj("Copied", nullptr, 0);
  InterObj o(obj.get());
  std::string target = dir.File("target.txt");
  WriteFile(target, "old text\n");
  Boxes boxes;
  TextObjectWriter::CopyFn previous = TextObjectWriter::SetCopyHook(&FailingCopy);
  try {
    ParserWriteTextObjectFile(target.c_str(), 0, o);
    TextObjectWriter::SetCopyHook(previous);
    FAIL();
  } catch (StoreException& e) {
    TextObjectWriter::SetCopyHook(previous);
    EXPECT_NE(std::string::npos, std::string(e.what()).find("copying the text over the file")) << e.what();
  }
  EXPECT_EQ("old text\n", ReadFile(target));
  ASSERT_EQ(1u, boxes.Seen().size());
  std::string temp =
      boxes.Seen()[0].text.substr(std::string("Text write failed, partial write left in:\n\n").size());
  EXPECT_EQ(0u, ReadFile(temp).find("Type Copied\nEnd Type\n"));
  DeleteFileA(temp.c_str());

  // The real copy over a file another program holds open fails the same way.
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_THROW(ParserWriteTextObjectFile(target.c_str(), 0, o), StoreException);
  CloseHandle(held);
  EXPECT_EQ("old text\n", ReadFile(target));
  ASSERT_EQ(2u, boxes.Seen().size());
  DeleteFileA(boxes.Seen()[1]
                  .text.substr(std::string("Text write failed, partial write left in:\n\n").size())
                  .c_str());
}

// Every kind of declaration a Type block holds is written so that it reads back the same.
TEST_F(TextObjectWriting, DeclarationsReadBackTheSame) {
  testkit::TestDataDir dir("textobj_decls");
  std::string first = dir.File("decls.txt");
  WriteFile(first,
            "Type Decls\n"
            "  Dim Grid(1 To 3) As Long\n"
            "  Const Limit& = 5\n"
            "  Dim Kind As Boolean\n"
            "  Dim Other As Decls\n"
            "  Property Size Get GetSize Set SetSize As Long\n"
            "  Dim Stored As Long\n"
            "  Event Moved(ByVal x As Long, y As String)\n"
            "  Function GetSize() As Long\n"
            "    GetSize = Stored + Limit\n"
            "  End Function\n"
            "  Sub SetSize(ByVal v As Long)\n"
            "    Stored = v\n"
            "  End Sub\n"
            "End Type\n"
            "Begin Code\n"
            "  Decls.Size = 4\n"
            "  Decls.Kind = True\n"
            "End Code\n");
  Boxes boxes;
  unsigned char m = 0;
  ASSERT_NO_THROW(m = ObjectStore::LoadModule(first.c_str())) << boxes.Seen()[0].text;
  InterObjRep* decls = ObjectStore::find("Decls");
  ASSERT_NE(nullptr, decls);
  EXPECT_EQ("9", ValueText(decls, "Size"));
  std::string once = dir.File("once.txt");
  ASSERT_EQ(1, StoreApplication::App()->WriteTextObjectFile(once.c_str(), m));
  ObjectStore::UnloadModule(m, 1);
  ASSERT_NO_THROW(m = ObjectStore::LoadModule(once.c_str())) << boxes.Seen()[0].text << "\n"
                                                             << ReadFile(once);
  decls = ObjectStore::find("Decls");
  ASSERT_NE(nullptr, decls);
  EXPECT_EQ("9", ValueText(decls, "Size"));
  EXPECT_EQ("-1", ValueText(decls, "Kind"));
  std::string twice = dir.File("twice.txt");
  ASSERT_EQ(1, StoreApplication::App()->WriteTextObjectFile(twice.c_str(), m));
  EXPECT_EQ(ReadFile(once), ReadFile(twice));
  EXPECT_TRUE(boxes.Seen().empty()) << boxes.Seen()[0].text;
  std::string text = ReadFile(once);
  for (const char* line : {"  Dim Grid(1 To 3) As Long\n", "  Const Limit& = 5\n",
                           "  Property Size Get GetSize Set SetSize As Long\n", "  Event Moved("})
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
}
