// Private to the sort engine's sources: state bits and the merge record of one run.
#pragma once

#include "dbutil/jxsort.h"

enum { SPILLED = 1, SORTED = 2, READING = 4 };

struct JxSort::Run {
  uint32_t base;   // number of its first record in the run file
  uint32_t count;  // records in the run
  uint32_t next;   // the next record of the run to bring into the window
  uint32_t pos;    // the head: window slot of its current record
  uint32_t len;    // records in the window; 0 when the run is exhausted
};

const uint32_t NO_RUN = 0xFFFFFFFFu;
