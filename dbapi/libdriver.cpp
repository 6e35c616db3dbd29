// Driver manager tracing of a connection.
#include "libdriver.h"

#include "dbsql/sqlengine.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/jxstring.h"

#include <stdio.h>

namespace {

JxStatus report(cmg_capabilities* con, SQLRETURN rc) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return 0;
  bool any = false;
  for (int i = 0; i < 32; ++i) {
    SQLCHAR state[6] = {0};
    SQLCHAR message[SQL_MESSAGE_SIZE];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLError(con->owner ? con->owner->henv : nullptr, con->hdbc, nullptr, state, &native,
                           message, sizeof message, &length);
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO) break;
    any = true;
    JxString text;
    if (text.initialize(reinterpret_cast<char*>(state)) || text.concat(": ") ||
        text.concat(reinterpret_cast<char*>(message)))
      return 1;
    JxErrorKeeper::addDatabaseError(native ? SQLMSG_DRIVER_NATIVE : SQLMSG_DRIVER_ERROR,
                                    static_cast<unsigned long>(native), text.c_str(), JX_ERROR);
  }
  if (!any) {
    char text[64];
    snprintf(text, sizeof text, "The ODBC driver manager answered %d.", static_cast<int>(rc));
    JxErrorKeeper::addDatabaseError(SQLMSG_DRIVER_ERROR, 0, text, JX_ERROR);
  }
  return 1;
}

JxStatus setOption(cmg_capabilities* con, SQLUSMALLINT option, SQLULEN value) {
  if (con->lock) con->lock->lock();
  SQLRETURN rc = SQLSetConnectOption(con->hdbc, option, value);
  JxStatus status = report(con, rc);
  if (con->lock) con->lock->unlock();
  return status;
}

}  // namespace

JxStatus libSetDriverTracing(cmg_capabilities* con, bool on) {
  return setOption(con, SQL_OPT_TRACE, on ? SQL_OPT_TRACE_ON : SQL_OPT_TRACE_OFF);
}

JxStatus libSetDriverTracefile(cmg_capabilities* con, const char* file) {
  return setOption(con, SQL_OPT_TRACEFILE, reinterpret_cast<SQLULEN>(file ? file : ""));
}
