// "BinaryFile": Basic opens, measures and closes a file; the handle works with the
// system's ReadFile; missing files and bad arguments raise store errors naming the
// file; the stream block's golden bytes; a class derived from it in another library
// loads and saves through it.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "testkit/testkit.h"
#include "testobjs/testobjs.h"
#include "tool/ifile.h"
#include "tool/tooldll.h"
#include "toolkit.h"

namespace {

using namespace toolkit;

// A Basic string literal of path.
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string TempFile(const char* leaf, const std::string& content) {
  static testkit::TestDataDir dir("ovitool_ifile");
  std::string path = dir.File(leaf);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

iFile* NewFile(const char* name) {
  static int n = 0;
  return iFile::Native(NewObject("BinaryFile", (std::string(name) + std::to_string(++n)).c_str()));
}

TEST(BinaryFile, PublishedWithItsMembers) {
  Publish();
  InterObjRep* proto = ObjectStore::find("BinaryFile");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.BinaryFile", proto->progId());
  EXPECT_EQ(proto, iFile::PO_GetObject());
  EXPECT_STREQ("BinaryFile", ToolDll::Row(kOvitoolBinaryFile).name);
}

TEST(BinaryFile, BasicOpensMeasuresAndClosesAFile) {
  std::string path = TempFile("ten.bin", "0123456789");
  ASSERT_NE(nullptr, NewObject("BinaryFile", "Ten"));
  BasicOutcome out = RunBasic("Ten.FileName = " + Quoted(path) + "\nTen.Open 0\nTen.Position = 4");
  ASSERT_TRUE(out.ok) << out.error;
  EXPECT_EQ("-1", BasicValue("Ten.IsOpen"));
  EXPECT_EQ("10", BasicValue("Ten.Length"));
  EXPECT_EQ("4", BasicValue("Ten.Position"));
  EXPECT_EQ(path, BasicValue("Ten.FileName", "String"));

  // The handle Basic reads is the system's: ReadFile reads on from the position.
  long handle = std::stol(BasicValue("Ten.Handle"));
  ASSERT_NE(0, handle);
  iFile* f = iFile::Native(ObjectStore::find("Ten"));
  ASSERT_NE(nullptr, f);
  EXPECT_EQ((long)(LONG_PTR)f->pdGetHandle(), handle);
  char got[4] = {};
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(f->pdGetHandle(), got, 3, &n, nullptr));
  EXPECT_EQ(std::string("456"), std::string(got, n));
  EXPECT_EQ("7", BasicValue("Ten.Position"));

  ASSERT_TRUE(RunBasic("Ten.Close").ok);
  EXPECT_EQ("0", BasicValue("Ten.IsOpen"));
  EXPECT_EQ("0", BasicValue("Ten.Handle"));
  EXPECT_EQ(0, f->pdGetIsOpen());
}

TEST(BinaryFile, WriteModesCreateAndKeep) {
  std::string path = TempFile("made.bin", "");
  DeleteFileA(path.c_str());
  iFile* f = NewFile("Made");
  ASSERT_NE(nullptr, f);
  f->pdSetFileName(path.c_str());
  f->imOpen(kFileReadWrite);  // created when missing
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(f->pdGetHandle(), "abcdef", 6, &n, nullptr));
  EXPECT_EQ(6, f->pdGetLength());
  f->imOpen(kFileReadWrite);  // reopening closes first and keeps the bytes
  EXPECT_EQ(6, f->pdGetLength());
  EXPECT_EQ(0, f->pdGetPosition());
  f->imOpen(kFileWrite);  // emptied
  EXPECT_EQ(0, f->pdGetLength());
  f->imClose();
}

TEST(BinaryFile, BadInputRaisesStoreErrorsNamingTheFile) {
  std::string missing = TempFile("x.bin", "") + ".missing";
  iFile* f = NewFile("Bad");
  ASSERT_NE(nullptr, f);
  f->pdSetFileName(missing.c_str());
  struct Case {
    const char* what;
    void (*act)(iFile*);
    const char* mention;
  } cases[] = {
      {"open missing", [](iFile* x) { x->imOpen(kFileRead); }, ".missing"},
      {"length closed", [](iFile* x) { (void)x->pdGetLength(); }, "not open"},
      {"position closed", [](iFile* x) { (void)x->pdGetPosition(); }, "not open"},
      {"negative position", [](iFile* x) { x->pdSetPosition(-1); }, "negative"},
      {"bad mode", [](iFile* x) { x->imOpen(3); }, "mode 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.act(f);
      ADD_FAILURE() << "no error";
    } catch (StoreException& e) {
      std::string text = e.what();
      EXPECT_NE(std::string::npos, text.find(c.mention)) << text;
      EXPECT_NE(std::string::npos, text.find("BinaryFile")) << text;
    }
    EXPECT_EQ(0, f->pdGetIsOpen());  // never half open
  }
  // From Basic: the run fails with the file's name in the error.
  NewObject("BinaryFile", "Gone");
  BasicOutcome out = RunBasic("Gone.FileName = " + Quoted(missing) + "\nGone.Open 0");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find(".missing")) << out.error;
  EXPECT_EQ("0", BasicValue("Gone.IsOpen"));
}

// The block: revision 1, the name as a counted string with its terminator, the mode.
TEST(BinaryFile, StreamBlockGoldenBytes) {
  iFile* f = NewFile("Golden");
  ASSERT_NE(nullptr, f);
  f->pdSetFileName("C:\\a.b");
  std::string path = TempFile("golden.bin", "xy");
  (void)path;
  const Bytes named = {1, 7, 0, 0, 0, 'C', ':', '\\', 'a', '.', 'b', 0, 0};
  EXPECT_EQ(named, SaveBytes(*f));
  f->pdSetFileName("");
  const Bytes empty = {1, 0, 0, 0, 0, 0};
  EXPECT_EQ(empty, SaveBytes(*f));

  // An open file stores its name and mode, never its handle; the loaded copy is closed.
  iFile* open = NewFile("Open");
  open->pdSetFileName(path.c_str());
  open->imOpen(kFileReadWrite);
  Bytes b = SaveBytes(*open);
  ASSERT_EQ(1u + 4u + path.size() + 1u + 1u, b.size());
  EXPECT_EQ(kFileReadWrite, b.back());
  iFile* copy = NewFile("Copy");
  LoadBytes(*copy, b);
  EXPECT_EQ(path, copy->fileName());
  EXPECT_EQ(kFileReadWrite, copy->pdGetMode());
  EXPECT_EQ(0, copy->pdGetIsOpen());
  open->imClose();
}

TEST(BinaryFile, DamagedOrNewerBlocksFailNamingTheClassAndChangeNothing) {
  iFile* f = NewFile("Damaged");
  ASSERT_NE(nullptr, f);
  f->pdSetFileName("kept");
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"newer revision", {2, 0, 0, 0, 0, 0}},
      {"empty", {}},
      {"name longer than the block", {1, 0xff, 0xff, 0xff, 0x7f, 'a'}},
      {"mode missing", {1, 2, 0, 0, 0, 'a', 0}},
      {"mode out of range", {1, 0, 0, 0, 0, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      LoadBytes(*f, c.bytes);
      ADD_FAILURE() << "loaded";
    } catch (ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("BinaryFile")) << e.what();
    }
    EXPECT_EQ("kept", f->fileName());
  }
}

// A class of another library derived from iFile: its block is the BinaryFile block
// (revision byte first) and then its own; loading and saving go through the base's
// persist-stream entries.
TEST(DerivedFile, LoadsAndSavesThroughTheBase) {
  InterObjRep* obj = NewObject("TestFile", "Derived");
  ASSERT_NE(nullptr, obj);
  EXPECT_TRUE(obj->canBeTreatedAs(iFile::PO_GetObject()));
  TestFile* t = TestFile::Native(obj);
  ASSERT_NE(nullptr, t);
  iFile* base = t;
  base->pdSetFileName("f.txt");
  t->note = "hi";
  const Bytes golden = {1, 1, 6, 0, 0, 0, 'f', '.', 't', 'x', 't', 0, 0, 3, 0, 0, 0, 'h', 'i', 0};
  EXPECT_EQ(golden, SaveBytes(*base));

  TestFile* copy = TestFile::Native(NewObject("TestFile", "DerivedCopy"));
  ASSERT_NE(nullptr, copy);
  IStream* s = NewStream(golden);
  EXPECT_EQ(S_OK, static_cast<iFile*>(copy)->Load(s));
  s->Release();
  EXPECT_EQ("f.txt", copy->fileName());
  EXPECT_EQ("hi", copy->note);

  // Basic reaches the base's members and the derived class's own.
  EXPECT_EQ("f.txt", BasicValue("DerivedCopy.FileName", "String"));
  EXPECT_EQ("hi", BasicValue("DerivedCopy.Note", "String"));

  // A damaged base block fails naming the base class.
  IStream* bad = NewStream({1, 9});
  EXPECT_NE(S_OK, static_cast<iFile*>(copy)->Load(bad));
  bad->Release();
  EXPECT_EQ("hi", copy->note);
}

}  // namespace
