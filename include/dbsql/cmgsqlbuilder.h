// The loader of the outside query-builder library, which lets a user compose a query in
// a dialog of its own. The library is "JXQRY.DLL" beside the utility library, or, when
// the environment has a library prefix (cmgSetDllPrefix), the same name with the
// prefix's two characters in place of its first two letters. Its entry "JXSQLBld" is
// called in the system's calling convention (the callee removes the arguments) with
// the connection record followed by the caller's eight values unchanged; what it does
// with them is the builder's own affair.
#pragma once

#include "dbsql/sqlengine.h"

// The builder's entry.
typedef int16_t(WINAPI* CmgSqlBuilderEntry)(cmg_capabilities* con, HWND window, const char* text, void* data,
                                            char* outText, void* outData, int32_t value, int32_t* outValue,
                                            int32_t lastValue);

// The entry's exported name.
#define CMG_SQL_BUILDER_ENTRY "JXSQLBld"

extern "C" {

// Loads the builder, calls its entry, frees the library and answers the entry's 16-bit
// result. A library that cannot be loaded, or that has no entry, gives message 2105
// with the library's file name and 0.
JXSQL04_API int16_t cmgSqlBuilder(cmg_capabilities* con, HWND window, const char* text, void* data,
                                  char* outText, void* outData, int32_t value, int32_t* outValue,
                                  int32_t lastValue);

}  // extern "C"
