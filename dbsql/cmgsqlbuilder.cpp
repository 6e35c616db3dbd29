// The loader of the outside query-builder library.
#include "dbsql/cmgsqlbuilder.h"

#include "cmgenv_internal.h"
#include "dbutil/jxbos.h"

#include <string.h>

namespace {

// The library's base name; the OS layer adds ".DLL".
const char kBuilderName[] = "JXQRY";

// The base name with the environment's prefix; false when the prefix would make it
// name another folder.
bool builderName(cmgInfo* env, char name[sizeof kBuilderName]) {
  memcpy(name, kBuilderName, sizeof kBuilderName);
  char prefix[2];
  {
    CmgLock lock(env->lock);
    memcpy(prefix, env->dllPrefix, 2);
  }
  if (!prefix[0]) return true;
  name[0] = prefix[0];
  // A lone first character keeps the name's second letter.
  if (prefix[1]) name[1] = prefix[1];
  return !strpbrk(name, "\\/:");
}

int16_t cannotLoad(const char* base) {
  char file[sizeof kBuilderName + 4];
  strcpy(file, base);
  strcat(file, ".DLL");
  *sqlErrorById(SQLMSG_LOAD_LIBRARY) << file;
  return 0;
}

}  // namespace

int16_t cmgSqlBuilder(cmg_capabilities* con, HWND window, const char* text, void* data, char* outText,
                      void* outData, int32_t value, int32_t* outValue, int32_t lastValue) {
  if (!con) {
    cmgMissing("connection", "cmgSqlBuilder");
    return 0;
  }
  CmgCall call(con->owner);
  if (call.refused()) return 0;
  char name[sizeof kBuilderName];
  if (!builderName(con->owner, name)) return cannotLoad(name);
  HMODULE library = static_cast<HMODULE>(bosLoadLibraryPlain(name));
  if (!library) return cannotLoad(name);
  CmgSqlBuilderEntry entry =
      reinterpret_cast<CmgSqlBuilderEntry>(GetProcAddress(library, CMG_SQL_BUILDER_ENTRY));
  // A library without the entry is no builder: it is refused like a missing one.
  if (!entry) {
    FreeLibrary(library);
    return cannotLoad(name);
  }
  int16_t result = entry(con, window, text, data, outText, outData, value, outValue, lastValue);
  FreeLibrary(library);
  return result;
}
