// The command-table driver of test programs.
#include "utils/progcmd.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void (*commands[128])();

std::string programName(const char* path) {
  std::string name(path ? path : "");
  size_t slash = name.find_last_of("\\/:");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

int progInit(int argc, char** argv, const tProgCmdRec* table) {
  if (argc != 1) {
    for (const tProgCmdRec* r = table; r && r->key > 0; ++r) {
      if (commands[r->key])
        fprintf(stderr, "WARNING: duplicate test '%c' ignored.\n", r->key);
      else
        commands[r->key] = r->fn;
    }
    fflush(stderr);
    return 0;
  }
  printf("\nusage: %s [C...],\n  where each C is a test character (spaces optional).\n\n",
         programName(argc > 0 ? argv[0] : nullptr).c_str());
  for (const tProgCmdRec* r = table; r && r->key > 0; ++r)
    printf("  %c - %s\n", r->key, r->description ? r->description : "");
  fflush(stdout);
  return 1;
}

void progRun(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* p = argv[i]; *p; ++p) {
      if (*p == ' ' || *p == '\t') continue;
      signed char key = static_cast<signed char>(*p);
      if (key > 0 && commands[key]) {
        commands[key]();
      } else {
        printf("WARNING: unimplemented test: '%c'\n", *p);
        fflush(stdout);
      }
    }
  }
}
