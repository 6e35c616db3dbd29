// The stub's start-up record: its exact length and layout, and reading that never leaves
// the section.
#include "runtime/stubrecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

StubRecord ShippedValues() {
  StubRecord r;
  r.flags = 0x01000000;
  r.app = "Orvanel";
  r.splash = "ovsplash.bmp";
  r.modules = {"base.obo",    "win32.obo",   "dialogs.obo", "tools.obo", "database.obo",
               "dbtools.obo", "options.obo", "orvanel.obo", "ovhelp.obo"};
  return r;
}

TEST(StubRecord, TheShippedValuesTake127BytesAndReadBackFieldByField) {
  StubRecord r = ShippedValues();
  EXPECT_EQ(127u, StubRecordLength(r));
  std::vector<uint8_t> section(kStubSectionSize, 0xEE);
  std::string why;
  ASSERT_TRUE(WriteStubRecord(r, section.data(), section.size(), &why)) << why;
  EXPECT_EQ(0, memcmp(section.data(), "\x00\x00\x00\x01Orvanel\0ovsplash.bmp\0base.obo\0", 4 + 8 + 13 + 9));
  EXPECT_EQ(0, section[125]);  // "ovhelp.obo"'s NUL
  EXPECT_EQ(0, section[126]);  // the empty name ending the list
  for (size_t i = 127; i < section.size(); ++i) ASSERT_EQ(0, section[i]) << i;

  StubRecord back;
  ASSERT_TRUE(ReadStubRecord(section.data(), section.size(), back));
  EXPECT_EQ(r.flags, back.flags);
  EXPECT_EQ(r.app, back.app);
  EXPECT_EQ(r.splash, back.splash);
  EXPECT_EQ(r.modules, back.modules);
}

// Every prefix of a record that is cut before its last terminator is refused: nothing is
// read past the bytes given.
TEST(StubRecord, ACutRecordIsRefusedAtEveryLength) {
  std::vector<uint8_t> full(kStubSectionSize);
  ASSERT_TRUE(WriteStubRecord(ShippedValues(), full.data(), full.size(), nullptr));
  for (size_t n = 0; n < 127; ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + n);  // exactly n bytes, on the heap
    StubRecord out;
    out.app = "untouched";
    EXPECT_FALSE(ReadStubRecord(cut.data(), cut.size(), out)) << n;
    EXPECT_EQ("untouched", out.app);
  }
  StubRecord out;
  std::vector<uint8_t> exact(full.begin(), full.begin() + 127);
  EXPECT_TRUE(ReadStubRecord(exact.data(), exact.size(), out));

  std::vector<uint8_t> noTerminator(kStubSectionSize, 'A');
  EXPECT_FALSE(ReadStubRecord(noTerminator.data(), noTerminator.size(), out));
}

TEST(StubRecord, EmptyFieldsAreAllowedAndBadOnesRefused) {
  StubRecord empty;
  empty.flags = 1;
  std::vector<uint8_t> section(kStubSectionSize);
  ASSERT_TRUE(WriteStubRecord(empty, section.data(), section.size(), nullptr));
  EXPECT_EQ(7u, StubRecordLength(empty));
  StubRecord back;
  ASSERT_TRUE(ReadStubRecord(section.data(), section.size(), back));
  EXPECT_EQ(1u, back.flags);
  EXPECT_EQ("", back.app);
  EXPECT_EQ("", back.splash);
  EXPECT_TRUE(back.modules.empty());

  struct Case {
    const char* what;
    StubRecord record;
    const char* why;
  } cases[] = {
      {"too long", {}, "the record takes 4097 bytes; the section holds 4096"},
      {"empty module", {}, "a module name is empty"},
      {"NUL in the name", {}, "the application name holds a NUL"},
  };
  cases[0].record.app = std::string(4096 - 7 + 1, 'x');
  cases[1].record.modules = {"a.obo", ""};
  cases[2].record.app = std::string("a\0b", 3);
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> s(kStubSectionSize, 0x55);
    std::string why;
    EXPECT_FALSE(WriteStubRecord(c.record, s.data(), s.size(), &why));
    EXPECT_EQ(c.why, why);
    EXPECT_EQ(std::vector<uint8_t>(kStubSectionSize, 0x55), s);  // untouched
  }
  StubRecord longest;
  longest.app = std::string(4096 - 7, 'x');
  EXPECT_TRUE(WriteStubRecord(longest, section.data(), section.size(), nullptr));
}

TEST(StubRecord, TheRunningTestProgramHasNoDataSection) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  EXPECT_FALSE(FindLoadedSection(GetModuleHandleA(nullptr), ".orvanel", kStubSectionSize, &data, &size));
  EXPECT_TRUE(FindLoadedSection(GetModuleHandleA(nullptr), ".TEXT", 1, &data, &size));
  EXPECT_NE(nullptr, data);
}

}  // namespace
