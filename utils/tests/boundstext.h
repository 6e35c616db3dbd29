// Test helper: runs f and answers the text of the RWBoundsErr it throws ("" when none).
#pragma once

#include <string>

#include "utils/rwxmsg.h"

template <class F>
std::string boundsText(F f) {
  try {
    f();
  } catch (const RWBoundsErr& e) {
    return e.why();
  }
  return "";
}
