// The description table's two writes on a compound file: 10,000 items, 1% of them changed,
// written incrementally against compacted by a full write. Run by hand:
//   source scripts/wine-env.sh; "$OV_WINE" build-$OV_ARCH/bin/desctable_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "olecls/descriptiontable.h"
#include "olecls/ocl.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"

namespace {

const unsigned kItems = 10000;
const unsigned kChanged = kItems / 100;
const int kRounds = 5;

class TextTable : public VoidDescriptionTable {
 public:
  explicit TextTable(OCLStorage& parent) : VoidDescriptionTable(parent, "Bench", 1, 0) {}
  std::vector<std::string> texts;

 protected:
  void writeItem(OCLStream& s, void* item) override {
    const std::string& t = *static_cast<std::string*>(item);
    s.write(t.data(), ULONG(t.size()));
  }
};

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) / double(f.QuadPart);
}

// Seconds for one write of the table after changing 1% of its items.
double TimeWrite(const std::string& path, bool full) {
  DeleteFileA(path.c_str());
  OCLStorage file(path.c_str(), 1, VoidDescriptionTable::kMode);
  TextTable t(file);
  t.texts.reserve(kItems);
  for (unsigned i = 0; i < kItems; ++i) {
    t.texts.push_back("item number " + std::to_string(i) + " with some text to store");
    t.add(&t.texts.back());
  }
  t.write();
  for (unsigned i = 0; i < kChanged; ++i) {
    unsigned k = i * 100 + 7;
    t.texts[k][0] = 'I';  // same length: rewritten in place
    t.changed(k);
  }
  double start = Now();
  if (full)
    t.fullWrite();
  else
    t.incrementalWrite();
  return Now() - start;
}

}  // namespace

int main() {
  OCL ocl;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "desctable_bench.ole";
  double best[2] = {1e9, 1e9};
  for (int r = 0; r < kRounds; ++r)
    for (int full = 0; full < 2; ++full) {
      double s = TimeWrite(path, full != 0);
      if (s < best[full]) best[full] = s;
    }
  DeleteFileA(path.c_str());
  printf("description table, %u items, %u changed (best of %d)\n", kItems, kChanged, kRounds);
  printf("  incremental write  %8.3f ms\n", best[0] * 1e3);
  printf("  full write         %8.3f ms\n", best[1] * 1e3);
  printf("  incremental / full %8.3f\n", best[0] / best[1]);
  return 0;
}
