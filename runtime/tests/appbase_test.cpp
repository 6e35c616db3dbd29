// The launcher's text resources: the side file's name, its records, refusals of damaged
// side files, failing writes, and modules written as text object files with a resource
// ("MemoText") and read back, through the launcher's App as the store's application.
#include "runtime/appbase.h"

#include <windows.h>
#include <io.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "launchertest.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"
#include "testmemo/testmemo.h"

using namespace launchertest;

namespace {

// The application of this program: made once, registered as the store's application.
App& TheApp() {
  static Launch* launch = new Launch({"none.obo"}, "Main");
  static TestApp* app = [] {
    StartStore();
    ObjectStore::PublishObjectDLL("ovrun_testmemo");
    return new TestApp(int(launch->argv.size()) - 1, launch->argv.data(), 0, launch->modules, &launch->app[0],
                       nullptr);
  }();
  return *app;
}

std::string CurrentFolder() {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  return cwd;
}

std::string Bytes(const char* bytes, size_t n) { return std::string(bytes, n); }

std::string Record(unsigned long kind, const std::string& data) {
  std::string r;
  auto put = [&](unsigned long v) {
    for (int i = 0; i < 4; ++i) r += char((v >> (8 * i)) & 0xFF);
  };
  put(0x01020304);
  put(kind);
  put((unsigned long)data.size());
  return r + data;
}

void PutFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD n = 0;
  WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

// The files of a folder (names), for finding what a write left behind.
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// Reads a resource and answers its text, or "null" (the length is checked too).
std::string Read(AppBase& base, const std::string& file, long id, long kind) {
  long length = 99;
  std::unique_ptr<char[]> data(static_cast<char*>(base.ReadResource(file.c_str(), id, length, kind)));
  if (!data) return length == 0 ? "null" : "null with length " + std::to_string(length);
  EXPECT_EQ(0, data[length]) << "terminated";
  return std::string(data.get(), size_t(length));
}

TEST(TextResources, TheSideFileReplacesOnlyTheNamesExtension) {
  const std::string longName(60, 'n');
  struct Case {
    std::string file, side, name;
  } cases[] = {
      {"C:\\my.app\\main.obo", "C:\\my.app\\main.oro", "main.oro"},
      {"C:\\dir\\main", "C:\\dir\\main.oro", "main.oro"},
      {"C:\\dir.x\\noext", "C:\\dir.x\\noext.oro", "noext.oro"},
      {"C:\\dir\\a.b.obo", "C:\\dir\\a.b.oro", "a.b.oro"},
      {"C:\\dir\\main.", "C:\\dir\\main.oro", "main.oro"},
      {"C:\\dir\\.obo", "C:\\dir\\.oro", ".oro"},
      {"C:/fwd.dir/fwd.obo", "C:\\fwd.dir\\fwd.oro", "fwd.oro"},
      // A text object file with the side file's extension keeps its side file apart.
      {"C:\\dir\\x.oro", "C:\\dir\\x.oro.oro", "x.oro.oro"},
      {"C:\\dir\\X.ORO", "C:\\dir\\X.ORO.oro", "X.ORO.oro"},
      // No limit on the name's length.
      {"C:\\dir\\" + longName + ".obo", "C:\\dir\\" + longName + ".oro", longName + ".oro"},
      {"rel.obo", CurrentFolder() + "\\rel.oro", "rel.oro"},
  };
  AppBase base;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(c.side, AppBase::SideFileFor(c.file.c_str()));
    base.SetSideFile(c.file.c_str());
    EXPECT_EQ(c.side, base.SideFilePath());
    ASSERT_NE(nullptr, base.TextResourceFile());
    EXPECT_EQ(c.name, base.TextResourceFile());
  }
  for (const char* none : {(const char*)nullptr, ""}) {
    EXPECT_EQ("", AppBase::SideFileFor(none));
    base.SetSideFile(none);
    EXPECT_EQ(nullptr, base.TextResourceFile());
  }
  base.SetSideFile("C:\\dir\\main.obo");
  base.ForgetSideFile();
  EXPECT_EQ(nullptr, base.TextResourceFile());
  EXPECT_EQ("", base.SideFilePath());
}

TEST(TextResources, RecordsAreFoundByTheirOffsets) {
  testkit::TestDataDir dir("appbase_records");
  AppBase base;
  base.SetSideFile(dir.File("main.obo").c_str());
  const std::string twenty(20, 'x');
  EXPECT_EQ(0, base.WriteResource("hello", 5, 7));
  EXPECT_EQ(12 + 5, base.WriteResource(twenty.data(), 20, 9));
  EXPECT_EQ(12 + 5 + 12 + 20, base.WriteResource(nullptr, 0, 3));
  EXPECT_TRUE(base.SideFileOpen());
  EXPECT_TRUE(base.CommitSideFile());
  EXPECT_FALSE(base.SideFileOpen());
  EXPECT_EQ(Record(7, "hello") + Record(9, twenty) + Record(3, ""), ReadWholeFile(dir.File("main.oro")));
  EXPECT_EQ(Bytes("\x04\x03\x02\x01\x07\0\0\0\x05\0\0\0hello", 17),
            ReadWholeFile(dir.File("main.oro")).substr(0, 17));

  // The side file's name (in any case) stands for its full path; other names are paths.
  EXPECT_EQ("hello", Read(base, "main.oro", 0, 7));
  EXPECT_EQ(twenty, Read(base, "MAIN.ORO", 17, 9));
  EXPECT_EQ("", Read(base, dir.File("main.oro"), 49, 3));

  struct Refusal {
    const char* why;
    std::string file;
    long id, kind;
  } refusals[] = {
      {"wrong kind", "main.oro", 0, 8},
      {"wrong kind of the second", "main.oro", 17, 7},
      {"inside the head", "main.oro", 1, 7},
      {"inside the head", "main.oro", 5, 7},
      {"inside the data", "main.oro", 12, 7},
      {"inside the data", "main.oro", 16, 7},
      {"the end", "main.oro", 61, 3},
      {"past the end", "main.oro", 1000, 7},
      {"negative", "main.oro", -1, 7},
      {"negative", "main.oro", -12, 7},
      {"empty name", "", 0, 7},
      {"another file", "other.oro", 0, 7},
  };
  for (const Refusal& r : refusals)
    EXPECT_EQ("null", Read(base, r.file, r.id, r.kind)) << r.why << " " << r.id;
  long length = 5;
  EXPECT_EQ(nullptr, base.ReadResource(nullptr, 0, length, 7));
  EXPECT_EQ(0, length);

  // A second text object file's side file holds only its own records.
  base.SetSideFile(dir.File("main.obo").c_str());
  EXPECT_EQ(0, base.WriteResource("again", 5, 7));
  EXPECT_TRUE(base.CommitSideFile());
  EXPECT_EQ(Record(7, "again"), ReadWholeFile(dir.File("main.oro")));
  EXPECT_EQ("null", Read(base, "main.oro", 17, 9));
}

// The process's committed private memory in bytes.
size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  return pmc.PrivateUsage;
}

TEST(TextResources, DamagedSideFilesGiveNullWithoutAllocating) {
  testkit::TestDataDir dir("appbase_damaged");
  AppBase base;
  std::string head = Record(7, "");
  auto withLength = [&](unsigned long n, const std::string& data) {
    std::string r = Record(7, data);
    for (int i = 0; i < 4; ++i) r[8 + i] = char((n >> (8 * i)) & 0xFF);
    return r;
  };
  struct Case {
    const char* why;
    std::string bytes;
    long id;
    const char* read;
  } cases[] = {
      {"a length of 2 GB", withLength(0x80000000ul, "0123456789"), 0, "null"},
      {"a length just under 2 GB", withLength(0x7FFFFFF0ul, "0123456789"), 0, "null"},
      {"a length of 4 GB - 1", withLength(0xFFFFFFFFul, "0123456789"), 0, "null"},
      {"one byte more than the file", withLength(11, "0123456789"), 0, "null"},
      {"exactly the rest of the file", withLength(10, "0123456789"), 0, "0123456789"},
      {"a second record running past the end", Record(7, "ok") + withLength(100, "abc"), 14, "null"},
      {"the first record before it", Record(7, "ok") + withLength(100, "abc"), 0, "ok"},
      {"a wrong magic", "\x05\x03\x02\x01" + Record(7, "data").substr(4), 0, "null"},
      {"a cut head", Record(7, "data").substr(0, 8), 0, "null"},
      {"an empty file", "", 0, "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::string path = dir.File("damaged.oro");
    PutFile(path, c.bytes);
    size_t before = PrivateBytes();
    EXPECT_EQ(c.read, Read(base, path, c.id, 7));
    EXPECT_LT(PrivateBytes(), before + (64u << 20)) << "no large allocation";
  }
  EXPECT_EQ("null", Read(base, dir.File("missing.oro"), 0, 7));
}

int g_writesLeft = 0;
int FailingWrite(int handle, const void* data, unsigned count) {
  if (g_writesLeft-- <= 0) return int(count) / 2;  // a short write: the disk is full
  return _write(handle, data, count);
}

TEST(TextResources, WritesThatFailAreStoreErrorsAndLeaveTheOldSideFile) {
  testkit::TestDataDir dir("appbase_failing");
  AppBase base;
  // No side file, and one in a folder that does not exist.
  try {
    base.WriteResource("x", 1, 7);
    ADD_FAILURE() << "no exception";
  } catch (const StoreException& e) {
    EXPECT_STREQ("Couldn't open file named '' for writing text resource.", e.what());
  }
  base.SetSideFile("C:\\no such folder\\deeper\\m.obo");
  try {
    base.WriteResource("x", 1, 7);
    ADD_FAILURE() << "no exception";
  } catch (const StoreException& e) {
    EXPECT_STREQ("Couldn't open file named 'C:\\no such folder\\deeper\\m.oro' for writing text resource.",
                 e.what());
  }

  // The old side file stays as it was while records go to the new one, and after a failure.
  PutFile(dir.File("m.oro"), Record(7, "old"));
  const std::vector<std::string> before = FilesIn(dir.Path());
  struct Case {
    const char* why;
    int goodWrites;
    long length;
  } cases[] = {
      {"the first head", 0, 5},
      {"the first data", 1, 5},
      {"the second record", 2, 5},
      {"a negative length", 100, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    base.SetSideFile(dir.File("m.obo").c_str());
    g_writesLeft = c.goodWrites;
    AppBase::WriteFn previous = AppBase::SetWriteHook(&FailingWrite);
    try {
      base.WriteResource("first", c.length, 7);
      base.WriteResource("second", c.length, 7);
      ADD_FAILURE() << "no exception";
    } catch (const StoreException& e) {
      EXPECT_STREQ("Error writing text resource.", e.what());
    }
    AppBase::SetWriteHook(previous);
    EXPECT_EQ(Record(7, "old"), ReadWholeFile(dir.File("m.oro")));
    base.ForgetSideFile();
    EXPECT_EQ(before, FilesIn(dir.Path())) << "the unfinished side file is gone";
    EXPECT_EQ(Record(7, "old"), ReadWholeFile(dir.File("m.oro")));
  }
}

// --- text object files through the launcher's App -----------------------------------------

MemoText* Memo(const char* name) {
  InterObjRep* obj = ObjectStore::find(name);
  return obj ? MemoText::Native(obj) : nullptr;
}

// A module of two memos, one with a long text with quotes and line ends.
unsigned char MakeMemoModule(const std::string& first, const std::string& second) {
  unsigned char m = ObjectStore::CreateModule("memos");
  OpenModuleResource open(m);
  InterObjRep* cls = ObjectStore::find("MemoText");
  EXPECT_NE(nullptr, cls);
  for (const char* name : {"MemoOne", "MemoTwo"}) {
    PrimInterObj memo(cls, name, 0);
    MemoText* native = MemoText::Native(memo.get());
    EXPECT_NE(nullptr, native);
    if (native) native->pdSetText(std::string(name) == "MemoOne" ? first.c_str() : second.c_str());
  }
  return m;
}

std::string LongText() {
  std::string text;
  for (int i = 0; i < 400; ++i)
    text += "Line " + std::to_string(i) + " says \"hello\", with a tab\there.\r\n";
  return text;
}

TEST(TextResources, ATextModuleWithMemosReadsBackEqual) {
  App& app = TheApp();
  testkit::TestDataDir root("appbase_module");
  // A folder with a dot: the side file goes beside the text object file all the same.
  std::string folder = root.File("my.app");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string file = folder + "\\main.obo";
  const std::string first = LongText(), second = "second text";
  unsigned char m = MakeMemoModule(first, second);
  ASSERT_EQ(1, app.WriteTextObjectFile(file.c_str(), m));
  EXPECT_EQ(nullptr, app.GetTextResourceFileV()) << "forgotten after the write";
  ObjectStore::UnloadModule(m, 1);
  std::string text = ReadWholeFile(file);
  EXPECT_NE(std::string::npos, text.find(".LoadText(\"main.oro\", 0)")) << text;
  EXPECT_EQ(std::string::npos, text.find("hello")) << "the long text is not in the file";
  std::string side = ReadWholeFile(folder + "\\main.oro");
  EXPECT_EQ(Record(MemoText::kKind, first) + Record(MemoText::kKind, second), side);
  EXPECT_EQ(std::vector<std::string>({"main.obo", "main.oro"}), FilesIn(folder));
  EXPECT_EQ(std::vector<std::string>(), FilesIn(root.Path())) << "nothing beside the dotted folder";

  // Read back as a module: the memos find their texts; changed, the module is written
  // back as text through the launcher, and read back again.
  unsigned char loaded = ObjectStore::LoadModule(file.c_str());
  ASSERT_NE(nullptr, Memo("MemoOne"));
  EXPECT_EQ(first, Memo("MemoOne")->text);
  EXPECT_EQ(second, Memo("MemoTwo")->text);
  EXPECT_EQ(nullptr, app.GetTextResourceFileV()) << "forgotten after the read";
  Memo("MemoTwo")->pdSetText("changed");
  EXPECT_TRUE(ObjectStore::ModuleDirty(loaded));
  ASSERT_EQ(1, ObjectStore::SaveModule(loaded));
  ObjectStore::UnloadModule(loaded, 1);
  EXPECT_EQ(Record(MemoText::kKind, first) + Record(MemoText::kKind, "changed"),
            ReadWholeFile(folder + "\\main.oro"));
  loaded = ObjectStore::LoadModule(file.c_str());
  ASSERT_NE(nullptr, Memo("MemoOne"));
  EXPECT_EQ(first, Memo("MemoOne")->text);
  EXPECT_EQ("changed", Memo("MemoTwo")->text);
  ObjectStore::UnloadModule(loaded, 1);
}

TEST(TextResources, AFailingWriteLeavesTheTextAndTheSideFileAsTheyWere) {
  App& app = TheApp();
  testkit::TestDataDir dir("appbase_failwrite");
  std::string file = dir.File("main.obo");
  unsigned char m = MakeMemoModule("old one", "old two");
  ASSERT_EQ(1, app.WriteTextObjectFile(file.c_str(), m));
  ObjectStore::UnloadModule(m, 1);
  const std::string oldText = ReadWholeFile(file), oldSide = ReadWholeFile(dir.File("main.oro"));
  const std::vector<std::string> files = FilesIn(dir.Path());

  unsigned char loaded = ObjectStore::LoadModule(file.c_str());
  ASSERT_NE(nullptr, Memo("MemoTwo"));
  Memo("MemoOne")->pdSetText("new one");
  // The second memo fails after the first one's resource was written.
  Memo("MemoTwo")->pdSetFailUnload(1);
  {
    testkit::BoxAnswerer boxes;
    boxes.Script(IDOK);
    try {
      ObjectStore::SaveModule(loaded);
      ADD_FAILURE() << "no exception";
    } catch (const ModuleSaveFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("MemoText refuses to be unloaded."))
          << e.what();
    }
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Text Write Failed", boxes.Boxes()[0].caption);
  }
  EXPECT_EQ(oldText, ReadWholeFile(file));
  EXPECT_EQ(oldSide, ReadWholeFile(dir.File("main.oro")));
  EXPECT_EQ(files, FilesIn(dir.Path()));
  EXPECT_EQ(nullptr, app.GetTextResourceFileV());
  EXPECT_TRUE(ObjectStore::ModuleDirty(loaded));

  // Mended, the same save writes both.
  Memo("MemoTwo")->pdSetFailUnload(0);
  ASSERT_EQ(1, ObjectStore::SaveModule(loaded));
  ObjectStore::UnloadModule(loaded, 1);
  EXPECT_EQ(Record(MemoText::kKind, "new one") + Record(MemoText::kKind, "old two"),
            ReadWholeFile(dir.File("main.oro")));
  loaded = ObjectStore::LoadModule(file.c_str());
  ASSERT_NE(nullptr, Memo("MemoOne"));
  EXPECT_EQ("new one", Memo("MemoOne")->text);
  EXPECT_EQ("old two", Memo("MemoTwo")->text);
  ObjectStore::UnloadModule(loaded, 1);
}

TEST(TextResources, AModuleReadWhileAnotherIsReadHasItsOwnSideFile) {
  TheApp();
  testkit::TestDataDir dir("appbase_nested");
  std::ofstream(dir.File("inner.obo"), std::ios::binary)
      << "Type InnerMemo From MemoText\nEnd Type\n\n"
         "Begin Code\nWith InnerMemo\n"
         "  .LoadText(\"inner.oro\", 0)\nEnd With\nEnd Code\n";
  PutFile(dir.File("inner.oro"), Record(MemoText::kKind, "inner text"));
  std::ofstream(dir.File("outer.obo"), std::ios::binary)
      << "Begin Code\n  ModuleManager.PublishObjectDLL(\"ovrun_testmemo\")\n"
         "  ModuleManager.LoadModule(\""
      << dir.File("inner.obo")
      << "\")\nEnd Code\n\n"
         "Type OuterMemo From MemoText\nEnd Type\n\n"
         "Begin Code\nWith OuterMemo\n  .LoadText(\"outer.oro\", 0)\nEnd With\nEnd Code\n";
  PutFile(dir.File("outer.oro"), Record(MemoText::kKind, "outer text"));
  unsigned char outer = ObjectStore::LoadModule(dir.File("outer.obo").c_str());
  ASSERT_NE(nullptr, Memo("OuterMemo"));
  ASSERT_NE(nullptr, Memo("InnerMemo"));
  EXPECT_EQ("outer text", Memo("OuterMemo")->text);
  EXPECT_EQ("inner text", Memo("InnerMemo")->text);
  EXPECT_EQ(nullptr, TheApp().GetTextResourceFileV());
  unsigned char inner = ObjectStore::FindModule("inner.obo");
  ObjectStore::UnloadModule(outer, 1);
  if (inner != 255) ObjectStore::UnloadModule(inner, 1);
}

}  // namespace
