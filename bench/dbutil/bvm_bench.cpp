// Sequential and random 512-byte reads over a 64 MiB file through the page cache
// (bvmFileRead) and straight through the file functions (bosFileRead), in one run.
// Prints both times and their ratio. Run by hand: bvm_bench [folder]
#include "dbutil/jxbos.h"
#include "dbutil/jxbvm.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <random>
#include <vector>

namespace {

const uint32_t kFileSize = 64u * 1024 * 1024;
const uint32_t kPiece = 512;
const uint32_t kRandomReads = 200000;

double seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

template <class Read>
double run(const std::vector<uint32_t>& offsets, Read read) {
  char buffer[kPiece];
  unsigned long got = 0;
  unsigned long sum = 0;
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  for (uint32_t o : offsets) {
    read(o, buffer, &got);
    sum += static_cast<unsigned char>(buffer[got ? got - 1 : 0]);
  }
  QueryPerformanceCounter(&b);
  if (sum == 1) printf(" ");  // keeps the reads
  return seconds(a, b);
}

}  // namespace

int main(int argc, char** argv) {
  JxErrorList errors(nullptr, 1);
  mdsPerThreadInit();
  JxErrorKeeper::setErrorList(&errors);
  char dir[MAX_PATH];
  if (argc > 1)
    snprintf(dir, sizeof dir, "%s\\", argv[1]);
  else
    GetTempPathA(sizeof dir, dir);
  char name[BOS_NAME_SIZE];
  snprintf(name, sizeof name, "%sbvm_bench.dat", dir);
  int handle = 0;
  if (bosFileOpen(name, BOS_CREATE, &handle)) {
    printf("cannot create %s\n", name);
    return 1;
  }
  std::vector<char> chunk(1 << 20);
  for (uint32_t at = 0; at < kFileSize; at += uint32_t(chunk.size())) {
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = char((at + i) * 7);
    bosFileWrite(handle, at, chunk.data(), uint32_t(chunk.size()));
  }
  std::vector<uint32_t> sequential, random;
  for (uint32_t at = 0; at < kFileSize; at += kPiece) sequential.push_back(at);
  std::mt19937 rng(64);
  // Random reads over the first 16 MiB: a cache of 4 MiB (512 pages) holds a quarter.
  for (uint32_t i = 0; i < kRandomReads; ++i)
    random.push_back((rng() % (16u * 1024 * 1024 / kPiece)) * kPiece);

  bvm_cache* cache = bvmInit(64);  // 512 pages of 8 KB
  auto viaCache = [&](uint32_t o, char* b, unsigned long* got) {
    bvmFileRead(cache, handle, o, b, kPiece, got, VM_HINT_NONE);
  };
  auto direct = [&](uint32_t o, char* b, unsigned long* got) { bosFileRead(handle, o, b, kPiece, got); };
  printf("64 MiB file, 512-byte reads, cache of %u pages\n", bvmGetPageLimit(cache));
  struct Row {
    const char* what;
    const std::vector<uint32_t>* offsets;
  } rows[] = {{"sequential", &sequential}, {"random (16 MiB)", &random}};
  for (const Row& r : rows) {
    double cached = run(*r.offsets, viaCache);
    double plain = run(*r.offsets, direct);
    printf("%-16s %8zu reads  bvmFileRead %8.3f s  bosFileRead %8.3f s  ratio %.2f\n", r.what,
           r.offsets->size(), cached, plain, cached / plain);
  }
  BvmCounters c = bvmGetCounters(cache);
  printf("cache: %u page reads, %u hits, %u direct reads, %u evictions\n", c.pageReads, c.hits, c.directReads,
         c.evictions);
  bvmFileClose(cache, handle);
  bvmTerm(cache);
  bosFileDelete(name);
  JxErrorKeeper::giveUpErrorList();
  errors.deleteNodes();
  return 0;
}
