// The file class on real files: write, read back, seek, and time stamps set and read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <share.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "utils/tfile.h"
#include "testkit/testkit.h"

namespace {

const unsigned kCreate = _O_CREAT | _O_TRUNC | _O_RDWR | _O_BINARY | _SH_DENYNO;
const unsigned kPerm = _S_IREAD | _S_IWRITE;

TEST(TFile, WriteReadSeek) {
  testkit::TestDataDir dir("tfile");
  std::string name = dir.File("data.bin");
  {
    TFile f;
    EXPECT_EQ(f.Length(), -1);  // closed
    EXPECT_EQ(f.Write("x", 1), -1);
    EXPECT_FALSE(f.Close());
    ASSERT_TRUE(f.Open(name.c_str(), kCreate, kPerm));
    EXPECT_FALSE(f.Open(name.c_str(), kCreate, kPerm));  // only when closed
    EXPECT_EQ(f.Write("0123456789", 10), 10);
    EXPECT_EQ(f.Length(), 10);

    struct SeekCase {
      int32_t offset;
      int origin;
      int32_t position;  // -1: refused
      const char* next3;
    } seeks[] = {{0, 0, 0, "012"},  {4, 0, 4, "456"}, {-2, 1, 5, "567"},
                 {-3, 2, 7, "789"}, {-1, 0, -1, ""},  {0, 7, -1, ""}};
    for (const SeekCase& s : seeks) {
      SCOPED_TRACE(testing::Message() << s.offset << " from " << s.origin);
      int32_t before = f.Position();
      EXPECT_EQ(f.Seek(s.offset, s.origin), s.position);
      if (s.position < 0) {
        EXPECT_EQ(f.Position(), before);
        continue;
      }
      char buf[4] = {};
      EXPECT_EQ(f.Read(buf, 3), 3);
      EXPECT_STREQ(buf, s.next3);
    }
    char rest[8] = {};
    f.Seek(8, 0);
    EXPECT_EQ(f.Read(rest, sizeof rest), 2);  // short read at the end
    EXPECT_EQ(f.Read(rest, sizeof rest), 0);
    EXPECT_TRUE(f.Close());
  }
  TFile missing;
  EXPECT_FALSE(missing.Open(dir.File("absent.bin").c_str(), _O_RDONLY | _O_BINARY, 0));
  EXPECT_FALSE(missing.IsOpen());
}

TEST(TFile, StatusSetAndReadBack) {
  _putenv("TZ=EST5EDT");
  TTime::ReadZone();
  testkit::TestDataDir dir("tfilestat");
  std::string name = dir.File("stamp.txt");
  {
    TFile f;
    ASSERT_TRUE(f.Open(name.c_str(), kCreate, kPerm));
    f.Write("hello world", 11);
  }
  struct StampCase {
    TDate day;
    unsigned h, m, s;
    int32_t size;
    uint8_t attribute;
  } stamps[] = {
      {TDate(15, 6, 1995), 13, 45, 31, 5, FILE_ATTRIBUTE_ARCHIVE},  // odd second: even
      {TDate(1, 1, 1980), 0, 0, 0, 0, FILE_ATTRIBUTE_NORMAL},
      {TDate(31, 12, 2030), 23, 59, 58, 4000, FILE_ATTRIBUTE_ARCHIVE},
      {TDate(5, 4, 1987), 12, 0, 0, 11, FILE_ATTRIBUTE_HIDDEN},  // in daylight time
  };
  for (const StampCase& c : stamps) {
    SCOPED_TRACE(testing::Message() << c.day.Year() << " size " << c.size);
    TFileStatus in = {};
    in.modifyTime = TTime(c.day, c.h, c.m, c.s);
    in.size = c.size;
    in.attribute = c.attribute;
    ASSERT_TRUE(TFile::SetStatus(name.c_str(), in));

    TFileStatus out = {};
    ASSERT_TRUE(TFile::GetStatus(name.c_str(), out));
    EXPECT_EQ(out.modifyTime.Seconds(), in.modifyTime.Seconds() & ~1u);
    EXPECT_EQ(out.modifyTime.Hour(), c.h);
    EXPECT_EQ(out.modifyTime.Second(), c.s & ~1u);
    EXPECT_EQ(out.size, c.size);
    // The file system keeps the archive bit as it likes; the others must come back.
    const unsigned kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(out.attribute & kKept, c.attribute & kKept);
    EXPECT_NE(std::strstr(out.fullName, "stamp.txt"), nullptr);
    EXPECT_EQ(out.fullName[1], ':');  // a full path

    TFile f;
    ASSERT_TRUE(f.Open(name.c_str(), _O_RDONLY | _O_BINARY | _SH_DENYNO, 0));
    TFileStatus open = {};
    ASSERT_TRUE(f.GetStatus(open));
    EXPECT_EQ(open.modifyTime, out.modifyTime);
    EXPECT_EQ(open.createTime, out.modifyTime);
    EXPECT_EQ(open.size, c.size);
    EXPECT_EQ(open.attribute, 0);
    EXPECT_STREQ(open.fullName, "");
  }

  // Refusals: a read-only file, a time out of the stamp range, a missing file.
  TFileStatus st = {};
  st.modifyTime = TTime(TDate(1, 1, 1979), 12, 0, 0);
  EXPECT_FALSE(TFile::SetStatus(name.c_str(), st));
  st.modifyTime = TTime(TDate(1, 1, 2000), 12, 0, 0);
  st.size = -1;
  EXPECT_FALSE(TFile::SetStatus(name.c_str(), st));
  EXPECT_FALSE(TFile::SetStatus(dir.File("absent").c_str(), st));
  TFileStatus none;
  EXPECT_FALSE(TFile::GetStatus(dir.File("absent").c_str(), none));
  st.size = 1;
  st.attribute = FILE_ATTRIBUTE_READONLY;
  EXPECT_TRUE(TFile::SetStatus(name.c_str(), st));
  st.attribute = 0;
  EXPECT_FALSE(TFile::SetStatus(name.c_str(), st));  // read-only now
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  _putenv("TZ=");
  TTime::ReadZone();
}

// The status record keeps one layout in both builds.
TEST(TFile, StatusLayout) {
  EXPECT_EQ(offsetof(TFileStatus, createTime), 0u);
  EXPECT_EQ(offsetof(TFileStatus, modifyTime), 4u);
  EXPECT_EQ(offsetof(TFileStatus, accessTime), 8u);
  EXPECT_EQ(offsetof(TFileStatus, size), 12u);
  EXPECT_EQ(offsetof(TFileStatus, attribute), 16u);
  EXPECT_EQ(offsetof(TFileStatus, fullName), 17u);
  EXPECT_EQ(sizeof(TFileStatus), 280u);
  EXPECT_EQ(sizeof(TDate), 4u);
  EXPECT_EQ(sizeof(TTime), 4u);
}

}  // namespace
