// Path lists bound to a process environment variable or to the user's registry
// environment.
#include <windows.h>

#include <string>

#include "utils/pathstring.h"
#include "utils/strutil.h"

namespace {

const char kEnvironmentKey[] = "Environment";

// The user's environment key, opened for reading and writing (created when missing).
HKEY openEnvironmentKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kEnvironmentKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

EnvironmentPathString::EnvironmentPathString(const char* name, NoLoad) : name_(strnewdup(name)) {}

EnvironmentPathString::EnvironmentPathString(const char* name) : name_(strnewdup(name)) {
  if (!name_ || !*name_) return;
  DWORD n = GetEnvironmentVariableA(name_, nullptr, 0);
  if (!n) return;
  std::string value(n, '\0');
  n = GetEnvironmentVariableA(name_, &value[0], n);
  value.resize(n);
  Set(value.c_str());
}

EnvironmentPathString::~EnvironmentPathString() { delete[] name_; }

bool EnvironmentPathString::SetVariable() {
  if (!name_ || !*name_) return false;
  return SetEnvironmentVariableA(name_, Text()) != 0;
}

RegistryEnvPathString::RegistryEnvPathString(const char* name) : EnvironmentPathString(name, NoLoad()) {
  if (!name || !*name) return;
  HKEY key = openEnvironmentKey();
  if (!key) return;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::string value(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) ==
        ERROR_SUCCESS)
      Set(value.c_str());  // stops at the stored NUL
  }
  RegCloseKey(key);
}

bool RegistryEnvPathString::SetVariable() {
  if (!Name() || !*Name()) return false;
  bool env = EnvironmentPathString::SetVariable();
  bool reg = false;
  if (HKEY key = openEnvironmentKey()) {
    const char* text = Text();
    reg = RegSetValueExA(key, Name(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         DWORD(strlen(text) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  // A hung window must not hang the caller: each gets a bounded time to answer.
  DWORD_PTR result;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kEnvironmentKey),
                      SMTO_ABORTIFHUNG, 2000, &result);
  return env && reg;
}
