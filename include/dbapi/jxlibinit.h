// Starting and stopping the database access API explicitly. The library also starts by
// itself at its first call; its settings come from "JXLIB.INI" at each start.
#pragma once

#include "dbapi/jxlib_api.h"

#include <stdint.h>

extern "C" {
// Starts the library for the calling process and thread, first ending an earlier start
// that no other thread uses.
JXLIB_API int16_t jxLibInit();
// Ends the calling thread's use of the library, and the library when no other thread
// uses it any more. Always 0.
JXLIB_API int16_t jxLibTerm();
}
