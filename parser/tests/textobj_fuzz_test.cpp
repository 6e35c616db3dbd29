// Malformed text object files: the sample application with lines dropped, doubled,
// swapped or cut, words put in, bytes changed and over-long lines, loaded as modules.
// Each must load (whole, or in part when the box is answered "Yes") or be refused with a
// clear error naming its line; a refused file leaves no module and none of its objects,
// and a crash, hang or assertion text fails naming the case. OV_FUZZ_SCALE multiplies
// the cases (scripts/fuzz.sh), OV_FUZZ_SEED changes the seed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "testkit.h"
#include "textobj_kit.h"

using namespace textobj;

namespace {

unsigned long EnvNumber(const char* name, unsigned long fallback) {
  char buf[32];
  if (!GetEnvironmentVariableA(name, buf, sizeof buf)) return fallback;
  return std::strtoul(buf, nullptr, 0);
}

const char* const kWords[] = {
    "Type",    "End Type", "From",     "Begin Code",   "End Code", "Const",    "Dim",
    "Sub",     "End Sub",  "Function", "End Function", "Event",    "With",     "End With",
    "(",       ")",        "=",        "\"",           "'",        ".",        "Test",
    "Counter", "Gauge",    "Me",       "Nothing",      "Declare",  "Property", "If",
    "Next",    ":",        "1E400",    "&H",           "As New",   "Static",
};

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < s.size()) {
    size_t e = s.find('\n', at);
    if (e == std::string::npos) e = s.size();
    out.push_back(s.substr(at, e - at));
    at = e + 1;
  }
  return out;
}

std::string Damage(const std::string& seed, testkit::FuzzRandom& rnd) {
  std::vector<std::string> lines = Lines(seed);
  int edits = 1 + (int)rnd.Below(3);
  for (int k = 0; k < edits && !lines.empty(); ++k) {
    size_t i = rnd.Below((unsigned)lines.size());
    switch (rnd.Below(8)) {
      case 0:
        lines.erase(lines.begin() + (long)i);
        break;
      case 1:
        lines.insert(lines.begin() + (long)i, lines[i]);
        break;
      case 2:
        std::swap(lines[i], lines[rnd.Below((unsigned)lines.size())]);
        break;
      case 3:
        lines[i] = lines[i].substr(0, rnd.Below((unsigned)lines[i].size() + 1));
        break;
      case 4: {
        std::string w = kWords[rnd.Below(sizeof kWords / sizeof *kWords)];
        size_t at = rnd.Below((unsigned)lines[i].size() + 1);
        lines[i].insert(at, " " + w + " ");
        break;
      }
      case 5:
        if (!lines[i].empty()) lines[i][rnd.Below((unsigned)lines[i].size())] = (char)(1 + rnd.Below(255));
        break;
      case 6:
        lines[i] += "' " + std::string(500 + rnd.Below(30), 'x');
        break;
      default:
        lines.resize(i);
        break;
    }
  }
  std::string out;
  for (const std::string& l : lines) out += l + (rnd.Below(4) ? "\n" : "\r\n");
  return out;
}

}  // namespace

TEST(TextObjectFuzz, DamagedFilesLoadOrFailClearly) {
  SetUpStore();
  testkit::TestDataDir dir("textobj_fuzz");
  const std::string seed = ReadFile(Sample("app.txt"));
  ASSERT_FALSE(seed.empty());
  const unsigned long cases = 150 * EnvNumber("OV_FUZZ_SCALE", 1);
  testkit::FuzzRandom rnd(EnvNumber("OV_FUZZ_SEED", 20261210));
  testkit::FuzzGuard guard(20000);
  int loaded = 0, partial = 0, refused = 0;
  for (unsigned long c = 0; c < cases; ++c) {
    std::string text = Damage(seed, rnd);
    std::string path = dir.File("case.txt");
    WriteFile(path, text);
    guard.Begin("text object file case " + std::to_string(c) + ":\n" + text);
    Boxes boxes;
    bool yes = rnd.Below(2) == 0;
    for (int i = 0; i < 8; ++i) boxes.Answer(yes ? IDYES : IDNO);
    try {
      unsigned char m = ObjectStore::LoadModule(path.c_str());
      if (ObjectStore::ModuleReadInPart(m))
        ++partial;
      else
        ++loaded;
      ObjectStore::UnloadModule(m, 1);
    } catch (StoreException& e) {
      ++refused;
      std::string why = e.what();
      EXPECT_FALSE(why.empty());
      EXPECT_FALSE(testkit::LooksLikeAnAssertion(why)) << why << "\n" << text;
      EXPECT_EQ(0, ObjectStore::ModuleCount()) << text;
      for (const char* name : {"Counter", "Gauge", "Meter", "Total"})
        EXPECT_EQ(nullptr, ObjectStore::find(name)) << name << "\n" << text;
    }
    for (const Box& b : boxes.Seen()) {
      EXPECT_FALSE(testkit::LooksLikeAnAssertion(b.text)) << b.text << "\n" << text;
      if (b.caption == "Error while parsing") {
        EXPECT_EQ(0u, b.text.find("Parsing error in file: " + path + " at line: ")) << b.text;
      }
    }
    guard.End();
    ObjectStore::UnloadAllModules(1);
  }
  std::printf("%lu cases: %d loaded, %d kept in part, %d refused\n", cases, loaded, partial, refused);
  EXPECT_EQ((int)cases, loaded + partial + refused);
}
