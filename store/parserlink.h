// Entries of the parser library, found at run time: the parser links this library, not
// the other way round.
#pragma once

#include <windows.h>

// The named export of ovparse.dll, or null when the library or the entry is missing.
FARPROC ParserEntry(const char* name);
