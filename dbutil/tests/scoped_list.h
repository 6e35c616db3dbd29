// Installs an error list on the calling thread for one test.
#pragma once

#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"

struct ScopedErrorList {
  explicit ScopedErrorList(int keepAll = 0) : list(nullptr, keepAll) {
    mdsPerThreadInit();
    JxErrorKeeper::setErrorList(&list);
  }
  ~ScopedErrorList() {
    JxErrorKeeper::giveUpErrorList();
    list.deleteNodes();
    mdsPerThreadTerm();
  }
  unsigned short lastNumber() const { return JxErrorKeeper::getLastErrorNumber(); }
  JxErrorList list;
};
