// Arithmetic and text formats on FILETIME (100 ns units in two unsigned 32-bit halves).
// The formatters answer one static buffer of the library, overwritten by the next call.
#pragma once

#include <windows.h>

#include "utils/ovutil_api.h"

OVUTIL_API void SubtractFileTime(const FILETIME& a, const FILETIME& b, FILETIME& out);
OVUTIL_API void AddFileTime(const FILETIME& a, const FILETIME& b, FILETIME& out);

// Local time as "hh:mm:ss.mmm MM/DD/YYYY"; a zero FILETIME gives "".
OVUTIL_API const char* FormatFileTimeAbsolute(const FILETIME& t);
// A span as "hh:mm:ss.mmm", read as a time of day: whole days are lost.
OVUTIL_API const char* FormatFileTimeDuration(const FILETIME& t);
