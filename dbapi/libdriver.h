// The driver manager's tracing of one connection (SQLSetConnectOption SQL_OPT_TRACE and
// SQL_OPT_TRACEFILE on its primary handle, under the connection lock). A failure adds
// the driver's messages as the engine does (4 with a native code, 4535 without) and
// answers 1.
#pragma once

#include "dbutil/jxtypes.h"

struct cmg_capabilities;

JxStatus libSetDriverTracing(cmg_capabilities* con, bool on);
JxStatus libSetDriverTracefile(cmg_capabilities* con, const char* file);
