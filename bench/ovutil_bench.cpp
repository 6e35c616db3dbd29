// Counted strings and the pooled allocator against std::string and plain new/delete,
// in the same run. Prints each pair's times and the ratio (ours / standard; below 1 is
// faster). Run: ovutil_bench.exe [scale]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "utils/allocator.h"
#include "utils/rwcstring.h"

namespace {

volatile size_t sink;  // keeps results alive

template <class F>
double bestOf3(F f) {
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    auto elapsed = std::chrono::steady_clock::now() - t0;
    double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    if (ms < best) best = ms;
  }
  return best;
}

void report(const char* what, double ours, double theirs) {
  printf("%-38s %9.2f ms %9.2f ms   ratio %5.2f\n", what, ours, theirs, ours / theirs);
}

const char* const kWords[] = {"alpha ", "be ", "gamma-ray ", "d ", "epsilon ", "zeta "};

template <class S>
void buildLines(int lines) {
  size_t total = 0;
  for (int i = 0; i < lines; ++i) {
    S s;
    for (int w = 0; w < 40; ++w) s += kWords[w % 6];
    total += s.length();
  }
  sink = total;
}

template <class S>
void buildByChars(int lines) {
  size_t total = 0;
  for (int i = 0; i < lines; ++i) {
    S s;
    for (int c = 0; c < 200; ++c) s += char('a' + c % 26);
    total += s.length();
  }
  sink = total;
}

template <class S>
void copyAndCompare(int rounds) {
  S base("a moderately long string that will not fit any small-string buffer");
  std::vector<S> copies(64);
  size_t equal = 0;
  for (int r = 0; r < rounds; ++r) {
    for (S& c : copies) c = base;
    for (S& c : copies) equal += (c == base);
  }
  sink = equal;
}

template <class S>
void searchReplace(int rounds) {
  size_t hits = 0;
  for (int r = 0; r < rounds; ++r) {
    S s("the quick brown fox jumps over the lazy dog");
    size_t at = s.find("lazy");
    if (at != S::npos) s.replace(at, 4, "sleepy");
    hits += s.length();
  }
  sink = hits;
}

// std::string spelling for the RWCString variant.
struct RWS : RWCString {
  static const size_t npos = RW_NPOS;
  using RWCString::RWCString;
  RWS() = default;
  RWS(const RWS&) = default;
  RWS& operator=(const RWS& o) = default;
  size_t find(const char* p) const { return index(p); }
  RWS& operator+=(const char* p) {
    append(p);
    return *this;
  }
  RWS& operator+=(char c) {
    RWCString::operator+=(c);
    return *this;
  }
};

template <size_t N>
struct Pooled : Allocator {
  char bytes[N];
};
template <size_t N>
struct Plain {
  char bytes[N];
};

// Random allocation and release over a working set, as object graphs churn.
template <template <size_t> class T>
void churn(int rounds) {
  std::vector<void*> slots(2048, nullptr);
  std::vector<int> kinds(2048, 0);
  unsigned seed = 12345;
  size_t live = 0;
  for (int r = 0; r < rounds; ++r) {
    seed = seed * 1103515245u + 12345u;
    size_t i = (seed >> 8) % slots.size();
    if (slots[i]) {
      switch (kinds[i]) {
        case 0:
          delete static_cast<T<12>*>(slots[i]);
          break;
        case 1:
          delete static_cast<T<40>*>(slots[i]);
          break;
        case 2:
          delete static_cast<T<100>*>(slots[i]);
          break;
        default:
          delete static_cast<T<180>*>(slots[i]);
          break;
      }
      slots[i] = nullptr;
      --live;
    } else {
      int k = int((seed >> 20) % 4);
      kinds[i] = k;
      switch (k) {
        case 0:
          slots[i] = new T<12>;
          break;
        case 1:
          slots[i] = new T<40>;
          break;
        case 2:
          slots[i] = new T<100>;
          break;
        default:
          slots[i] = new T<180>;
          break;
      }
      ++live;
    }
  }
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i]) continue;
    switch (kinds[i]) {
      case 0:
        delete static_cast<T<12>*>(slots[i]);
        break;
      case 1:
        delete static_cast<T<40>*>(slots[i]);
        break;
      case 2:
        delete static_cast<T<100>*>(slots[i]);
        break;
      default:
        delete static_cast<T<180>*>(slots[i]);
        break;
    }
  }
  sink = live;
}

// Allocate a burst, free it, again: the free lists serve every block after the first.
template <template <size_t> class T>
void burst(int rounds) {
  std::vector<T<24>*> v(200);
  for (int r = 0; r < rounds; ++r) {
    for (auto& p : v) p = new T<24>;
    for (auto& p : v) delete p;
  }
  sink = v.size();
}

}  // namespace

int main(int argc, char** argv) {
  int scale = argc > 1 ? atoi(argv[1]) : 1;
  if (scale < 1) scale = 1;
  printf("%-38s %12s %12s\n", "case (ours vs standard)", "ours", "standard");
  report("build 40-word lines (+= text)", bestOf3([&] { buildLines<RWS>(20000 * scale); }),
         bestOf3([&] { buildLines<std::string>(20000 * scale); }));
  report("build 200-char lines (+= char)", bestOf3([&] { buildByChars<RWS>(5000 * scale); }),
         bestOf3([&] { buildByChars<std::string>(5000 * scale); }));
  report("copy and compare 64 strings", bestOf3([&] { copyAndCompare<RWS>(20000 * scale); }),
         bestOf3([&] { copyAndCompare<std::string>(20000 * scale); }));
  report("find and replace in a sentence", bestOf3([&] { searchReplace<RWS>(200000 * scale); }),
         bestOf3([&] { searchReplace<std::string>(200000 * scale); }));
  report("allocator churn 12..180 bytes", bestOf3([&] { churn<Pooled>(2000000 * scale); }),
         bestOf3([&] { churn<Plain>(2000000 * scale); }));
  report("allocator burst of 200 x 24 bytes", bestOf3([&] { burst<Pooled>(10000 * scale); }),
         bestOf3([&] { burst<Plain>(10000 * scale); }));
  Allocator::memPoolCheck();
  return 0;
}
