// Connection options, read and written under the connection lock, and the table-name
// cache file.
#include "cmgenv_internal.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

namespace {

// Runs f on the record under its lock; a null record is refused with a message.
template <class R, class F>
R withRecord(cmg_capabilities* con, const char* where, R failure, F f) {
  if (!con) {
    cmgMissing("connection", where);
    return failure;
  }
  CmgCall call(con->owner);
  if (call.refused()) return failure;
  CmgLock lock(con->lock);
  return f();
}

// Opens the named file, creating it when it does not exist, or creates a temporary
// file; closes it and answers its name in *made (allocated).
JxStatus makeCacheFile(const char* name, char** made) {
  char path[BOS_NAME_SIZE];
  int handle = 0;
  if (name && name[0]) {
    if (strlen(name) >= sizeof path) {
      *sqlErrorById(SQLMSG_BUFFER_TOO_SMALL)
          << "table cache file name" << static_cast<unsigned long>(strlen(name) + 1)
          << static_cast<unsigned long>(sizeof path);
      return 1;
    }
    strcpy(path, name);
    if (bosFileOpen(path, BOS_READWRITE, &handle)) {
      if (JxErrorKeeper::getLastErrorNumber() != MSG_CANNOT_OPEN_FILE) return 1;
      JxErrorKeeper::clearLastError();
      strcpy(path, name);
      if (bosFileOpen(path, BOS_CREATE, &handle)) return 1;
    }
  } else {
    path[0] = 0;
    if (bosFileOpen(path, BOS_TEMP_NAME | BOS_CREATE, &handle)) return 1;
  }
  bosFileClose(handle);
  *made = ramAllocStr(path);
  if (!*made) {
    if (!(name && name[0])) bosFileDelete(path);
    return 1;
  }
  return 0;
}

// Under the connection lock.
JxStatus setCacheFile(cmg_capabilities* con, const char* name) {
  char* made = nullptr;
  if (makeCacheFile(name, &made)) return 1;
  if (con->cacheFile) {
    if (con->tableCaching == CMG_CACHE_TEMPORARY && strCompareCi(con->cacheFile, made) != 0 &&
        bosexist(con->cacheFile))
      bosFileDelete(con->cacheFile);
    ramFree(con->cacheFile);
  }
  con->cacheFile = made;
  return 0;
}

}  // namespace

JxStatus cmgSetQueryTimeout(cmg_capabilities* con, uint32_t seconds) {
  return withRecord<JxStatus>(con, "cmgSetQueryTimeout", 1, [&] {
    con->queryTimeout = seconds;
    return JxStatus(0);
  });
}

uint32_t cmgGetQueryTimeout(cmg_capabilities* con) {
  return withRecord<uint32_t>(con, "cmgGetQueryTimeout", 0, [&] { return con->queryTimeout; });
}

JxStatus cmgSetMaxRows(cmg_capabilities* con, uint32_t rows) {
  return withRecord<JxStatus>(con, "cmgSetMaxRows", 1, [&] {
    con->maxRows = rows;
    return JxStatus(0);
  });
}

JxStatus cmgGetMaxRows(cmg_capabilities* con, uint32_t* rows) {
  if (!rows) return cmgMissing("row count", "cmgGetMaxRows");
  return withRecord<JxStatus>(con, "cmgGetMaxRows", 1, [&] {
    *rows = con->maxRows;
    return JxStatus(0);
  });
}

JxStatus cmgSetLockOptions(cmg_capabilities* con, uint16_t options) {
  return withRecord<JxStatus>(con, "cmgSetLockOptions", 1, [&] {
    con->lockOptions = options;
    return JxStatus(0);
  });
}

uint16_t cmgGetLockOptions(cmg_capabilities* con) {
  return withRecord<uint16_t>(con, "cmgGetLockOptions", 0, [&] { return con->lockOptions; });
}

JxStatus cmgSetAutoUpdate(cmg_capabilities* con, uint16_t autoUpdate) {
  return withRecord<JxStatus>(con, "cmgSetAutoUpdate", 1, [&] {
    con->autoUpdate = autoUpdate;
    return JxStatus(0);
  });
}

uint16_t cmgGetAutoUpdate(cmg_capabilities* con) {
  return withRecord<uint16_t>(con, "cmgGetAutoUpdate", 0, [&] { return con->autoUpdate; });
}

JxStatus cmgSetCursorOptions(cmg_capabilities* con, uint16_t options) {
  return withRecord<JxStatus>(con, "cmgSetCursorOptions", 1, [&] {
    con->cursorOptions =
        static_cast<uint16_t>((con->cursorOptions & ~CMG_CURSOR_BITS) | (options & CMG_CURSOR_BITS));
    return JxStatus(0);
  });
}

uint16_t cmgGetCursorOptions(cmg_capabilities* con) {
  return withRecord<uint16_t>(con, "cmgGetCursorOptions", 0,
                              [&] { return uint16_t(con->cursorOptions & CMG_CURSOR_BITS); });
}

JxStatus cmgSetOneHstmtOptions(cmg_capabilities* con, uint16_t options) {
  return withRecord<JxStatus>(con, "cmgSetOneHstmtOptions", 1, [&] {
    con->cursorOptions =
        static_cast<uint16_t>((con->cursorOptions & ~CMG_ONE_HSTMT_BITS) | (options & CMG_ONE_HSTMT_BITS));
    return JxStatus(0);
  });
}

uint16_t cmgGetOneHstmtOptions(cmg_capabilities* con) {
  return withRecord<uint16_t>(con, "cmgGetOneHstmtOptions", 0,
                              [&] { return uint16_t(con->cursorOptions & CMG_ONE_HSTMT_BITS); });
}

JxStatus cmgSetTableCaching(cmg_capabilities* con, uint16_t mode) {
  if (mode < CMG_CACHE_KEEP || mode > CMG_CACHE_NONE) {
    *sqlErrorById(SQLMSG_INVALID_VALUE) << "table caching mode" << static_cast<unsigned long>(mode);
    return 1;
  }
  return withRecord<JxStatus>(con, "cmgSetTableCaching", 1, [&] {
    if (mode == CMG_CACHE_NONE) {
      if (con->tableCaching == CMG_CACHE_TEMPORARY && con->cacheFile) {
        if (bosexist(con->cacheFile) && bosFileDelete(con->cacheFile)) return JxStatus(1);
        ramFree(con->cacheFile);
        con->cacheFile = nullptr;
      }
    } else if (!con->cacheFile && setCacheFile(con, nullptr)) {
      return JxStatus(1);
    }
    con->tableCaching = mode;
    return JxStatus(0);
  });
}

uint16_t cmgGetTableCaching(cmg_capabilities* con) {
  return withRecord<uint16_t>(con, "cmgGetTableCaching", 0, [&] { return con->tableCaching; });
}

JxStatus cmgSetTableCacheFile(cmg_capabilities* con, const char* name) {
  return withRecord<JxStatus>(con, "cmgSetTableCacheFile", 1, [&] { return setCacheFile(con, name); });
}

JxStatus cmgGetTableCacheFile(cmg_capabilities* con, char* buffer, uint32_t size) {
  return withRecord<JxStatus>(con, "cmgGetTableCacheFile", 1, [&] {
    return cmgCopyOut("table cache file", con->cacheFile ? con->cacheFile : "", buffer, size);
  });
}
