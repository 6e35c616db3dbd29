// The launcher's command-line rules and the packed module list.
#include "runtime/cmdline.h"

#include <windows.h>

#include <cstring>

const char kLauncherUsage[] =
    "Usage: runvyt MODULE... -app APP [-splash SFILE] [ARGS...]\n"
    "where:\n"
    "    MODULE... = list of modules to pre-load\n"
    "    APP = Orvanel application object name\n"
    "    SFILE = optional splash bitmap file\n"
    "    ARGS... = command-line arguments for Orvanel application";
const char kLauncherUsageCaption[] = "RORAZA";

bool IsLaunchOption(const char* arg, const char* word) {
  if (!arg || (arg[0] != '-' && arg[0] != '/') || arg[1] == 0) return false;
  return lstrcmpiA(arg + 1, word) == 0;
}

char* PackModuleList(const std::vector<std::string>& names) {
  size_t size = 1;
  for (const std::string& n : names) size += n.size() + 1;
  char* packed = new char[size]();
  char* at = packed;
  for (const std::string& n : names) {
    memcpy(at, n.c_str(), n.size());
    at += n.size() + 1;
  }
  return packed;
}

std::vector<std::string> UnpackModuleList(const char* packed) {
  std::vector<std::string> names;
  for (const char* at = packed; at && *at; at += strlen(at) + 1) names.push_back(at);
  return names;
}

bool ParseLaunchCommandLine(int argc, char** argv, LaunchArgs& out) {
  if (argc < 4 || !argv) return false;
  // The option in the last place names nothing, so it does not count.
  int i = 2;
  while (i <= argc - 2 && !IsLaunchOption(argv[i], "app")) ++i;
  if (i > argc - 2) return false;

  out.app = argv[i + 1];
  out.modules = PackModuleList(std::vector<std::string>(argv + 1, argv + i));
  int first;  // the slot where the application's vector starts
  if (i + 3 < argc && IsLaunchOption(argv[i + 2], "splash")) {
    out.splash = argv[i + 3];
    first = i + 3;
  } else {
    out.splash = nullptr;
    first = i + 1;
  }
  argv[first] = argv[0];
  out.argv = argv + first;
  out.argc = argc - first;
  out.flags = kLaunchFlags;
  return true;
}
