// Started by dbutil_api_test with "JX_SEMCONTROL" set: answers, by exit code, the kind
// of the first semaphore a program gets from JXUTL04.dll (10 system, 20 spin lock), so
// that the settings read at the DLL's load are seen from outside.
#include "dbutil/jxsemaphore.h"

int main() {
  JxSemaphore* s = new JxSemaphore;
  if (!s) return 1;
  s->lock();
  int kind = s->isSystem() ? 10 : 20;
  if (s->unlock() != 0) return 2;
  delete s;
  return kind;
}
