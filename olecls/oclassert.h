// Assertions of the component layer carry fixed source names and lines, so that the codes
// users report stay the same whatever the build.
#pragma once

#include "utils/xexception.h"

inline void oclAssert(bool ok, const char* condition, const char* file, int line) {
  if (!ok) utilsAssert(condition, file, line);
}
