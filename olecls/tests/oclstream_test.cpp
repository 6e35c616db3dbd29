// Typed values on OLE streams: the exact bytes, and damaged input.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "olecls/ocl.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "testkit/testkit.h"

namespace {

const unsigned long kRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

std::string hexOf(OCLStream& s) {
  s.seekTo(0);
  std::vector<unsigned char> bytes(s.size());
  if (!bytes.empty()) s.read(bytes.data(), ULONG(bytes.size()));
  std::string hex;
  char two[4];
  for (unsigned char b : bytes) {
    snprintf(two, sizeof two, "%02x", b);
    if (!hex.empty()) hex += ' ';
    hex += two;
  }
  return hex;
}

void writeEveryValue(OCLStream& s) {
  s.write(ULONG(0x12345678));
  s.write(USHORT(0xBEEF));
  s.write(UCHAR(0x7F));
  s.write(1.5f);
  s.write(-2.25);
  const unsigned char raw[] = {1, 2, 3};
  ULONG written = 0;
  s.write(raw, 3, &written);
  EXPECT_EQ(3u, written);
  s.write("Orvanel");
  s.write("");
  s.write(static_cast<const char*>(nullptr));
  s.write(ULONG(-1L));  // a signed value, through the unsigned form of its width
}

// Every value in the order writeEveryValue writes them.
const char kGolden[] =
    "78 56 34 12 "                          // ULONG
    "ef be "                                // USHORT
    "7f "                                   // UCHAR
    "00 00 c0 3f "                          // float 1.5
    "00 00 00 00 00 00 02 c0 "              // double -2.25
    "01 02 03 "                             // raw bytes
    "08 00 00 00 4f 72 76 61 6e 65 6c 00 "  // "Orvanel"
    "01 00 00 00 00 "                       // ""
    "00 00 00 00 "                          // null string
    "ff ff ff ff";                          // -1

void readEveryValue(OCLStream& s) {
  s.seekTo(0);
  ULONG ul = 0;
  USHORT us = 0;
  UCHAR uc = 0;
  float f = 0;
  double d = 0;
  unsigned char raw[3] = {};
  char* text = nullptr;
  s.read(&ul);
  s.read(&us);
  s.read(&uc);
  s.read(&f);
  s.read(&d);
  ULONG got = 0;
  s.read(raw, 3, &got);
  EXPECT_EQ(0x12345678u, ul);
  EXPECT_EQ(0xBEEF, us);
  EXPECT_EQ(0x7F, uc);
  EXPECT_EQ(1.5f, f);
  EXPECT_EQ(-2.25, d);
  EXPECT_EQ(3u, got);
  EXPECT_EQ(3, raw[2]);
  s.read(&text);
  EXPECT_STREQ("Orvanel", text);
  delete[] text;
  s.read(&text);
  ASSERT_NE(nullptr, text);  // "" stays an empty string of one byte
  EXPECT_STREQ("", text);
  delete[] text;
  text = reinterpret_cast<char*>(&ul);
  s.read(&text);
  EXPECT_EQ(nullptr, text);  // the null string stays null
  s.read(&ul);
  EXPECT_EQ(-1L, LONG(ul));
  EXPECT_EQ(s.size(), s.currOffset());
}

}  // namespace

TEST(OCLStream, CompoundFileHoldsEveryValueExactly) {
  OCL ocl;
  testkit::TestDataDir dir("oclstream");
  std::string path = dir.File("values.ole");
  {
    OCLStorage stg(path.c_str(), 1, kRW);
    ASSERT_TRUE(stg.is()) << OleResult::buf;
    OCLStream s(stg.storage(), "Values", 1, kRW);
    ASSERT_TRUE(s.is()) << OleResult::buf;
    writeEveryValue(s);
    EXPECT_EQ(kGolden, hexOf(s));
  }
  ASSERT_TRUE(OCLStorage::IsStorageFile(path.c_str()));
  // Read back from the file opened read-only: asking to create opens the stream instead.
  OCLStorage stg(path.c_str(), 0, STGM_READ | STGM_SHARE_DENY_WRITE);
  ASSERT_TRUE(stg.is()) << OleResult::buf;
  EXPECT_FALSE(stg.isWritable());
  OCLStream s(stg.storage(), "Values", 1, kRW);
  ASSERT_TRUE(s.is()) << OleResult::buf;
  EXPECT_EQ(kGolden, hexOf(s));
  readEveryValue(s);
  // The stream was opened for reading only: a write fails with text for a person.
  try {
    s.write(ULONG(1));
    ADD_FAILURE() << "wrote to a read-only stream";
  } catch (const OCLStreamException& e) {
    EXPECT_NE(nullptr, strstr(e.what(), "could not be written")) << e.what();
  }
}

TEST(OCLStream, MemoryStreamSeeksSizesAndCopies) {
  OCL ocl;
  OCLStream s;
  ASSERT_TRUE(s.is());
  EXPECT_EQ(0u, s.size());
  writeEveryValue(s);
  EXPECT_EQ(kGolden, hexOf(s));
  readEveryValue(s);
  s.seekTo(4);
  s.seekForward(3);
  EXPECT_EQ(7u, s.currOffset());
  EXPECT_EQ(100u, s.size(100));
  EXPECT_EQ(100u, s.size());
  EXPECT_EQ(4u, s.size(4));

  OCLStream copy;
  s.seekTo(0);
  s.copyTo(copy.stream(), 4);
  EXPECT_EQ("78 56 34 12", hexOf(copy));
  s.seekTo(2);
  OCLStream shortCopy;
  EXPECT_THROW(s.copyTo(shortCopy.stream(), 4), OCLStreamException);  // only 2 bytes left
  s.seekTo(0);
  EXPECT_EQ(4u, s.left());
  s.checkCount(2, 2, "a count");
  EXPECT_THROW(s.checkCount(3, 2, "a count"), OCLStreamException);
  EXPECT_THROW(s.checkCount(0xFFFFFFFFu, 4, "a count"), OCLStreamException);
  s.seekTo(4);
  EXPECT_EQ(0u, s.left());

  // A wrapper over the same IStream shares it and keeps its own reference.
  {
    OCLStream again(copy.stream());
    again.seekTo(0);
    ULONG v = 0;
    again.read(&v);
    EXPECT_EQ(0x12345678u, v);
  }
  EXPECT_EQ(4u, copy.size());
}

TEST(OCLStream, DamagedInputIsRejectedCleanly) {
  OCL ocl;
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
    HRESULT hr;  // S_FALSE: reads fine
  } cases[] = {
      {"huge length", {0xff, 0xff, 0xff, 0xff, 'a', 0}, STG_E_READFAULT},
      {"length past the end", {10, 0, 0, 0, 'a', 'b', 'c', 0}, STG_E_READFAULT},
      {"length one past the end", {5, 0, 0, 0, 'a', 'b', 'c', 0}, STG_E_READFAULT},
      {"no terminator", {3, 0, 0, 0, 'a', 'b', 'c', 0}, STG_E_DOCFILECORRUPT},
      {"truncated length", {3, 0}, STG_E_READFAULT},
      {"empty stream", {}, STG_E_READFAULT},
      {"exact", {4, 0, 0, 0, 'a', 'b', 'c', 0}, S_FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OCLStream s;
    if (!c.bytes.empty()) s.write(c.bytes.data(), ULONG(c.bytes.size()));
    s.seekTo(0);
    char* text = nullptr;
    if (c.hr == S_FALSE) {
      s.read(&text);
      EXPECT_STREQ("abc", text);
      delete[] text;
    } else {
      try {
        s.read(&text);
        ADD_FAILURE() << "accepted";
      } catch (const OCLStreamException& e) {
        EXPECT_EQ(c.hr, e.Result());
        EXPECT_NE(nullptr, strstr(e.what(), "damaged")) << e.what();
      }
      EXPECT_EQ(nullptr, text);
    }
  }
}

TEST(OCLStream, LongStringsCrossTheReadChunks) {
  OCL ocl;
  std::string big(200000, 'q');
  OCLStream s;
  s.write(big.c_str());
  s.seekTo(0);
  char* text = nullptr;
  s.read(&text);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(big, text);
  delete[] text;
  // Cut short after the first chunk: damaged, not a crash or a half string.
  s.size(4 + 70000);
  s.seekTo(0);
  text = nullptr;
  EXPECT_THROW(s.read(&text), OCLStreamException);
  EXPECT_EQ(nullptr, text);
}

TEST(OCLStream, StreamInStorageFailsWithoutThrowing) {
  OCL ocl;
  OCLStorage stg(nullptr, 0, kRW);
  ASSERT_TRUE(stg.is());
  OCLStream missing(stg.storage(), "Missing", 0, kRW);
  EXPECT_FALSE(missing.is());
  EXPECT_EQ(STG_E_FILENOTFOUND, missing.result());
  EXPECT_STRNE("", OleResult::buf);
  try {
    missing.size();  // no stream to use: the holder's assertion
    ADD_FAILURE() << "used an empty stream";
  } catch (const XAssert& e) {
    EXPECT_EQ(66, e.Line());
    EXPECT_STREQ("rep", e.what());
  }
  // Creating over an existing stream opens it with its contents.
  {
    OCLStream s(stg.storage(), "Data", 1, kRW);
    s.write(ULONG(42));
  }
  OCLStream s(stg.storage(), "Data", 1, kRW);
  ASSERT_TRUE(s.is());
  EXPECT_EQ(4u, s.size());
  EXPECT_THROW(OCLStream(static_cast<IStorage*>(nullptr), "x", 1, kRW), XAssert);
  EXPECT_THROW(OCLStream(static_cast<IStream*>(nullptr)), XAssert);
}
