// JxTmpFile's internal helpers shared by its source files.
#pragma once

#include "dbutil/jxerror.h"

// Errors this code may take back: the count on the thread's list before the attempt,
// and the removal of an error added since (or of the memory flag), leaving earlier
// errors alone.
inline uint32_t tmpErrorCount() {
  JxErrorList* list = JxErrorKeeper::getErrorList();
  return list ? list->getCount() : 0;
}

inline void tmpDropNewErrors(uint32_t countBefore) {
  JxErrorList* list = JxErrorKeeper::getErrorList();
  if (!list) return;
  if (list->hasMemoryError() || list->getCount() > countBefore) JxErrorKeeper::clearLastError();
}
