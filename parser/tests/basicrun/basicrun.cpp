// basicrun: compiles a file of Basic procedures into an object and runs one of them.
//
//   basicrun [-time] FILE [NAME [ARG...]]
//
// NAME defaults to Main; ARGs are passed as Longs. Prints what the procedure's Print
// statements printed, then "result: <value>" (a Function's value), or
// "error: <text>" and "line: <n>" (1-based line of FILE). -time adds "elapsed_ms: <n>"
// for the run alone. Exit code 0 when it ran, 1 on an error, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "basicrunner.h"
#include "storesession.h"

int main(int argc, char** argv) {
  bool time = false;
  int i = 1;
  if (i < argc && std::strcmp(argv[i], "-time") == 0) {
    time = true;
    ++i;
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: basicrun [-time] FILE [NAME [ARG...]]\n");
    return 2;
  }
  std::ifstream file(argv[i], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "basicrun: cannot open %s\n", argv[i]);
    return 2;
  }
  std::stringstream text;
  text << file.rdbuf();
  ++i;
  std::string name = i < argc ? argv[i++] : "Main";
  std::vector<long> args;
  for (; i < argc; ++i) args.push_back(std::strtol(argv[i], nullptr, 10));

  StoreSession session;
  BasicRunner runner;
  BasicOutcome out;
  if (runner.compile(text.str(), out)) out = runner.run(name, args);
  std::fputs(out.printed.c_str(), stdout);
  if (out.ok) {
    std::printf("result: %s\n", out.result.c_str());
  } else {
    std::printf("error: %s\n", out.error.c_str());
    if (out.errorLine > 0) std::printf("line: %d\n", out.errorLine);
  }
  if (time) std::printf("elapsed_ms: %.0f\n", out.elapsedMs);
  std::fflush(stdout);
  return out.ok ? 0 : 1;
}
