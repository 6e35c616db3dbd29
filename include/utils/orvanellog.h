// The product log: "orvanel.log" beside the running program, one line per entry,
// "hh:mm:ss.mmm MM/DD/YYYY text" in local time. Opened and closed for each line;
// every failure is silent (a line that cannot be written is lost).
#pragma once

#include "utils/ovutil_api.h"

OVUTIL_API void OrvanelLog(const char* text);

// The full path of the log file the next OrvanelLog call appends to; false when the
// program's path cannot be resolved. Buffer of MAX_PATH bytes.
OVUTIL_API bool OrvanelLogPath(char* buffer, unsigned size);
