// Compound files, temporary storages, storages on byte arrays, sub-storages and saving
// under another name.
#include <windows.h>
#include <ole2.h>

#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "olecls/ocl.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "testkit/testkit.h"

namespace {

const unsigned long kRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string pathOf(OCLStorage& stg) {
  char* p = stg.GetStoragePath();
  std::string s = p ? p : "";
  delete[] p;
  return s;
}

ULONG valueIn(IStorage* stg, const char* name) {
  OCLStream s(stg, name, 0, kRW);
  if (!s.is()) return 0;
  ULONG v = 0;
  s.read(&v);
  return v;
}

}  // namespace

TEST(OCLStorage, TemporaryStorageGoesWithItsLastReference) {
  OCL ocl;
  std::string path;
  {
    OCLStorage tmp("", 0, kRW);
    ASSERT_TRUE(tmp.is()) << OleResult::buf;
    EXPECT_TRUE(tmp.isWritable());
    path = pathOf(tmp);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(exists(path));
    OCLStream s(tmp.storage(), "Scratch", 1, kRW);
    s.write("temporary");
  }
  EXPECT_FALSE(exists(path));

  // Saved under a name, a temporary storage's data outlives it; the temporary file not.
  testkit::TestDataDir dir("ocltmpsave");
  std::string saved = dir.File("saved.ole");
  {
    OCLStorage tmp(nullptr, 0, kRW);
    path = pathOf(tmp);
    {
      OCLStream s(tmp.storage(), "Kept", 1, kRW);
      s.write(ULONG(5));
    }
    ASSERT_TRUE(tmp.SwitchTo(saved.c_str())) << OleResult::buf;
    EXPECT_EQ(saved, pathOf(tmp));
  }
  EXPECT_FALSE(exists(path));
  ASSERT_TRUE(exists(saved));
  OCLStorage reopened(saved.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
  EXPECT_EQ(5u, valueIn(reopened.storage(), "Kept"));

  OCLStorage other(nullptr, 0, kRW);
  ASSERT_TRUE(other.is());
  EXPECT_NE(path, pathOf(other));
}

TEST(OCLStorage, OpensCreatesAndReportsFailures) {
  OCL ocl;
  testkit::TestDataDir dir("oclstorage");
  std::string path = dir.File("doc.ole");
  {
    OCLStorage missing(path.c_str(), 0, kRW);
    EXPECT_FALSE(missing.is());
    EXPECT_TRUE(missing.failed());
    EXPECT_FALSE(missing.isWritable());
    EXPECT_EQ(nullptr, missing.GetStoragePath());
    EXPECT_FALSE(missing.SwitchTo(dir.File("x.ole").c_str()));
  }
  {
    OCLStorage stg(path.c_str(), 1, kRW);
    ASSERT_TRUE(stg.is()) << OleResult::buf;
    EXPECT_EQ(path, pathOf(stg));
    OCLStream s(stg.storage(), "Top", 1, kRW);
    s.write(ULONG(1));
    OCLStorage sub(stg.storage(), "Sub", 1, kRW);
    ASSERT_TRUE(sub.is()) << OleResult::buf;
    EXPECT_TRUE(sub.isWritable());
    OCLStream t(sub.storage(), "Inner", 1, kRW);
    t.write(ULONG(2));
    // Only a whole compound file can be saved under another name.
    EXPECT_FALSE(sub.SwitchTo(dir.File("sub.ole").c_str()));
    EXPECT_FALSE(OCLStorage::IsStorageFile(dir.File("sub.ole").c_str()));
  }
  // Creating an existing file opens it; creating an existing sub-storage opens it.
  {
    OCLStorage stg(path.c_str(), 1, kRW);
    ASSERT_TRUE(stg.is()) << OleResult::buf;
    EXPECT_EQ(1u, valueIn(stg.storage(), "Top"));
    OCLStorage sub(stg.storage(), "Sub", 1, kRW);
    ASSERT_TRUE(sub.is()) << OleResult::buf;
    EXPECT_EQ(2u, valueIn(sub.storage(), "Inner"));
    OCLStorage none(stg.storage(), "None", 0, kRW);
    EXPECT_FALSE(none.is());
    EXPECT_EQ(STG_E_FILENOTFOUND, none.result());
  }
  // A read-only parent opens its sub-storage read-only, even when asked to create.
  {
    OCLStorage stg(path.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
    ASSERT_TRUE(stg.is()) << OleResult::buf;
    OCLStorage sub(stg.storage(), "Sub", 1, kRW);
    ASSERT_TRUE(sub.is()) << OleResult::buf;
    EXPECT_FALSE(sub.isWritable());
    EXPECT_EQ(2u, valueIn(sub.storage(), "Inner"));
    OCLStorage absent(stg.storage(), "Absent", 1, kRW);
    EXPECT_FALSE(absent.is());
  }
  EXPECT_THROW(OCLStorage(static_cast<IStorage*>(nullptr), "x", 1, kRW), XAssert);
  EXPECT_THROW(OCLStorage::isWritable(nullptr), XAssert);
}

TEST(OCLStorage, IsStorageFile) {
  OCL ocl;
  testkit::TestDataDir dir("oclisstg");
  std::string text = dir.File("plain.txt");
  FILE* f = fopen(text.c_str(), "wb");
  fputs("not a compound file, just some text that is long enough", f);
  fclose(f);
  std::string doc = dir.File("doc.ole");
  { OCLStorage stg(doc.c_str(), 1, kRW); }
  EXPECT_TRUE(OCLStorage::IsStorageFile(doc.c_str()));
  EXPECT_FALSE(OCLStorage::IsStorageFile(text.c_str()));
  EXPECT_FALSE(OCLStorage::IsStorageFile(dir.File("none.ole").c_str()));
  EXPECT_FALSE(OCLStorage::IsStorageFile(""));
  EXPECT_FALSE(OCLStorage::IsStorageFile(nullptr));
}

TEST(OCLStorage, OnLockBytes) {
  OCL ocl;
  ILockBytes* bytes = nullptr;
  ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
  {
    OCLStorage stg(bytes, kRW | STGM_CREATE);
    ASSERT_TRUE(stg.is()) << OleResult::buf;
    EXPECT_EQ(S_OK, stg.result());
    {
      OCLStream s(stg.storage(), "Data", 1, kRW);
      s.write(ULONG(99));
    }
    EXPECT_EQ(99u, valueIn(stg.storage(), "Data"));
    EXPECT_EQ(nullptr, stg.GetStoragePath());
  }
  STATSTG st = {};
  ASSERT_EQ(S_OK, bytes->Stat(&st, STATFLAG_NONAME));
  EXPECT_GT(st.cbSize.QuadPart, 0u);  // the compound file lives in the byte array
  bytes->Release();
}

TEST(OCLStorage, SwitchToSavesUnderAnotherName) {
  OCL ocl;
  testkit::TestDataDir dir("oclswitch");
  std::string path = dir.File("first.ole");
  std::string second = dir.File("second.ole");
  OCLStorage stg(path.c_str(), 1, kRW);
  ASSERT_TRUE(stg.is());
  {
    OCLStream s(stg.storage(), "Data", 1, kRW);
    s.write(ULONG(7));
  }
  // Its own name, in any case: nothing happens.
  std::string upper = path;
  for (char& ch : upper) ch = char(toupper(static_cast<unsigned char>(ch)));
  EXPECT_TRUE(stg.SwitchTo(upper.c_str()));
  EXPECT_EQ(path, pathOf(stg));
  EXPECT_FALSE(stg.SwitchTo(""));
  EXPECT_FALSE(stg.SwitchTo(nullptr));

  // A stale file of the new name is replaced.
  FILE* f = fopen(second.c_str(), "wb");
  fputs("stale", f);
  fclose(f);
  ASSERT_TRUE(stg.SwitchTo(second.c_str())) << std::hex << stg.result() << " " << OleResult::buf;
  EXPECT_EQ(second, pathOf(stg));
  {
    OCLStream s(stg.storage(), "More", 1, kRW);
    s.write(ULONG(8));
  }
  EXPECT_EQ(S_OK, stg->Commit(STGC_DEFAULT));
  EXPECT_TRUE(OCLStorage::IsStorageFile(second.c_str()));
  EXPECT_EQ(7u, valueIn(stg.storage(), "Data"));
  EXPECT_EQ(8u, valueIn(stg.storage(), "More"));

  // The first file keeps what it had; the new one has both streams.
  OCLStorage first(path.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
  ASSERT_TRUE(first.is());
  EXPECT_EQ(7u, valueIn(first.storage(), "Data"));
  OCLStream more(first.storage(), "More", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  EXPECT_FALSE(more.is());

  // A name that cannot be created: false, and the storage stays on its file.
  EXPECT_FALSE(stg.SwitchTo(dir.File("no\\such\\dir.ole").c_str()));
  EXPECT_STRNE("", OleResult::buf);
  EXPECT_EQ(second, pathOf(stg));
}
