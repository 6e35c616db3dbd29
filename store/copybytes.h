// CopyBytes: memcpy for the few bytes most texts have. The C library's is a call away
// (and slow to reach under Wine); the loop is kept a loop (the compiler would otherwise
// make it a memcpy call).
#pragma once

#include <cstddef>
#include <cstring>

#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-loop-distribute-patterns")))
#endif
inline void CopyBytes(char* to, const char* from, size_t n) {
  if (n > 32) {
    std::memcpy(to, from, n);
    return;
  }
  for (size_t i = 0; i < n; ++i) to[i] = from[i];
}
