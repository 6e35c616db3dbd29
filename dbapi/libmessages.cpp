// The library's messages and its load notification.
#include "libmessages.h"

#include <windows.h>

namespace {

HINSTANCE g_instance;

}  // namespace

// The module whose string table holds the messages: this DLL, or the test program that
// links its objects.
HINSTANCE libInstance() {
  if (!g_instance) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&libInstance), &module);
    g_instance = module;
  }
  return g_instance;
}

namespace {

JxError* addById(unsigned short number, ErrorType type) {
  char text[LIB_MESSAGE_SIZE];
  libLoadMessage(text, number);
  return JxErrorKeeper::addError(new JxError(number, text, type));
}

}  // namespace

void libLoadMessage(char* buffer512, unsigned short number) {
  buffer512[0] = 0;
  if (LoadStringA(libInstance(), number, buffer512, LIB_MESSAGE_SIZE) <= 0) buffer512[0] = 0;
}

JxError* libErrorById(unsigned short number) { return addById(number, JX_ERROR); }

JxError* libWarningById(unsigned short number) { return addById(number, JX_WARNING); }
