// The engine's message services, its entry and leave hooks, its start and stop hooks
// and the library entry.
#include "dbsql/sqlmessages.h"

#include "sql_globals.h"

#include <windows.h>

namespace {

HINSTANCE g_instance;

JxError* addById(unsigned short number, ErrorType type) {
  char text[SQL_MESSAGE_SIZE];
  sqlLoadMessage(number, text);
  // A failed allocation leaves the memory flag on the list and yields null.
  JxError* e = new JxError(number, text, type);
  if (!e) return nullptr;
  return JxErrorKeeper::addError(e);
}

}  // namespace

// The module whose string table holds the messages: this DLL, or the test program
// that links its objects.
HINSTANCE sqlInstance() {
  if (!g_instance) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&sqlInstance), &module);
    g_instance = module;
  }
  return g_instance;
}

void sqlLoadMessage(unsigned short number, char* buffer512) {
  buffer512[0] = 0;
  if (LoadStringA(sqlInstance(), number, buffer512, SQL_MESSAGE_SIZE) <= 0) buffer512[0] = 0;
}

JxError* sqlErrorById(unsigned short number) { return addById(number, JX_ERROR); }

JxError* sqlWarningById(unsigned short number) { return addById(number, JX_WARNING); }

short sqlEnterHook(cmgInfo*) { return 0; }

void sqlLeaveHook(cmgInfo*) {}

void sqlInitBwnwin() {}

void sqlTermBwnwin() {}
