// A small demonstration of the foundation utilities: an internal fault is reported
// through utilsAssert, logged with its short code and caught by the caller.
#include <cstdio>

#include "utils/filetime.h"
#include "utils/orvanellog.h"
#include "utils/xexception.h"

static void checkedDivide(int a, int b) {
  UTILS_ASSERT(b != 0);
  std::printf("%d / %d = %d\n", a, b, a / b);
}

int main() {
  std::printf("Orvanel foundation utilities\n");
  checkedDivide(84, 2);
  try {
    checkedDivide(1, 0);
  } catch (XAssert& e) {
    char code[16], sketch[8];
    int line = 0;
    utilsEncodeAssert(e.Path().c_str(), e.Line(), code);
    utilsDecodeAssert(code, sketch, &line);
    std::printf("caught assertion \"%s\": Error %s (file %s, line %d)\n", e.why().c_str(), code, sketch,
                line);
  }
  char log[MAX_PATH + 1];
  if (OrvanelLogPath(log, sizeof log)) std::printf("logged to %s\n", log);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  std::printf("now: %s\n", FormatFileTimeAbsolute(now));
  return 0;
}
