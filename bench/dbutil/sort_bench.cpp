// The sort engine against std::sort on the same 16-byte records (an 8-byte key compared
// as bytes, then 8 bytes of payload), in one process:
//   std::sort          the records in a vector, the key compared with memcmp;
//   JxSort in memory   setBuf over a copy of the same records, then sortBuf;
//   JxSort with runs   addRecord for each, then getSorted to the end: the 64 buffers
//                      fill and spill to runs that are merged on reading;
//   JxSort, 2 buffers  the same with ramIsAllocOK answering 0 from the start, so that
//                      the engine keeps two buffers and merges many short runs.
//
//   sort_bench [records]
#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"
#include "dbutil/jxsort.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct Rec {
  unsigned char key[8];
  unsigned char payload[8];
};

double seconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

bool ordered(const Rec* r, size_t n) {
  for (size_t i = 1; i < n; ++i)
    if (memcmp(r[i - 1].key, r[i].key, 8) > 0) return false;
  return true;
}

// Adds every record, reads them back in order; the time of both.
double throughEngine(const std::vector<Rec>& in, int twoBuffers, unsigned* runs) {
  JxSort::testAllocOKAnswers(twoBuffers ? 0 : -1);
  double t0 = seconds();
  JxSort* s = new JxSort(sizeof(Rec));
  s->addKey(0, 0, 8);
  for (const Rec& r : in)
    if (s->addRecord(&r)) return -1;
  void* r;
  Rec last{};
  size_t n = 0;
  for (s->getSorted(&r); r; s->getSorted(&r), ++n) {
    if (memcmp(last.key, r, 8) > 0) return -1;
    memcpy(&last, r, sizeof last);
  }
  *runs = s->getRunCount();
  delete s;
  JxSort::testAllocOKAnswers(-1);
  return n == in.size() ? seconds() - t0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
  size_t n = argc > 1 ? strtoul(argv[1], nullptr, 10) : 1000000;
  mdsPerThreadInit();
  JxErrorList errors(nullptr, 0);
  JxErrorKeeper::setErrorList(&errors);

  std::vector<Rec> records(n);
  std::mt19937_64 rng(109);
  for (size_t i = 0; i < n; ++i) {
    uint64_t k = rng();
    memcpy(records[i].key, &k, 8);
    memcpy(records[i].payload, &i, sizeof i < 8 ? sizeof i : 8);
  }

  std::vector<Rec> a = records;
  double t0 = seconds();
  std::sort(a.begin(), a.end(), [](const Rec& x, const Rec& y) { return memcmp(x.key, y.key, 8) < 0; });
  double tStd = seconds() - t0;

  std::vector<Rec> b = records;
  t0 = seconds();
  JxSort* s = new JxSort(sizeof(Rec));
  s->addKey(0, 0, 8);
  s->setBuf(static_cast<uint32_t>(n), b.data());
  JxStatus st = s->sortBuf();
  double tMem = seconds() - t0;
  delete s;

  unsigned runs = 0, runs2 = 0;
  double tRuns = throughEngine(records, 0, &runs);
  double tTwo = throughEngine(records, 1, &runs2);

  if (st || !ordered(a.data(), n) || !ordered(b.data(), n) || tRuns < 0 || tTwo < 0) {
    printf("sort failed (%s)\n", errors.getCount() ? "error on the list" : "order");
    return 1;
  }
  printf("%zu records of 16 bytes\n", n);
  printf("std::sort               %8.3f s\n", tStd);
  printf("JxSort in memory        %8.3f s   %.2f x std::sort\n", tMem, tMem / tStd);
  printf("JxSort with %3u runs    %8.3f s   %.2f x std::sort (adding and reading)\n", runs, tRuns,
         tRuns / tStd);
  printf("JxSort, 2 buffers, %3u  %8.3f s   %.2f x std::sort (adding and reading)\n", runs2, tTwo,
         tTwo / tStd);
  JxErrorKeeper::giveUpErrorList();
  errors.deleteNodes();
  return 0;
}
