// A query builder for the tests of its loader. Its entry writes what it was given into
// the caller's text buffer (its own file name, then every argument), stores the
// connection record through the data pointer, answers value + lastValue through the
// out value and lastValue's low 16 bits as its result. Built with
// TESTBUILDER_NO_ENTRY it exports a near name instead, as a broken builder would.
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

struct cmg_capabilities;

namespace {

HMODULE self() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&self), &module);
  return module;
}

int16_t report(cmg_capabilities* con, HWND window, const char* text, void* data, char* outText, void* outData,
               int32_t value, int32_t* outValue, int32_t lastValue) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(self(), path, sizeof path);
  const char* name = strrchr(path, '\\');
  name = name ? name + 1 : path;
  if (outText)
    snprintf(outText, 256, "%s|%p|%p|%s|%p|%ld|%ld", name, static_cast<void*>(con),
             static_cast<void*>(window), text ? text : "(null)", data, static_cast<long>(value),
             static_cast<long>(lastValue));
  if (outData) *static_cast<cmg_capabilities**>(outData) = con;
  if (outValue) *outValue = value + lastValue;
  return static_cast<int16_t>(lastValue & 0xFFFF);
}

}  // namespace

#ifndef TESTBUILDER_NO_ENTRY
extern "C" __declspec(dllexport) int16_t WINAPI
    JXSQLBld(cmg_capabilities* con, HWND window, const char* text, void* data, char* outText, void* outData,
             int32_t value, int32_t* outValue, int32_t lastValue) {
  return report(con, window, text, data, outText, outData, value, outValue, lastValue);
}
#else
extern "C" __declspec(dllexport) int16_t WINAPI
    JXSQLBuild(cmg_capabilities* con, HWND window, const char* text, void* data, char* outText, void* outData,
               int32_t value, int32_t* outValue, int32_t lastValue) {
  return report(con, window, text, data, outText, outData, value, outValue, lastValue);
}
#endif
