// basicrun: compiles a file of Basic procedures into an object and runs one of them, or
// checks files of Basic behaviour cases.
//
//   basicrun [-time] FILE [NAME [ARG...]]
//   basicrun -check [-alloc-fail|-alloc-fail-run] FILE...
//
// NAME defaults to Main; ARGs are passed as Longs. Prints what the procedure's Print
// statements printed, then "result: <value>" (a Function's value), or
// "error: [<id>: ]<text>" and "line: <n>" (1-based line of FILE). -time adds
// "compile_ms: <n>" for the compile and "elapsed_ms: <n>" for the run alone. Exit code 0
// when it ran, 1 on an error, 2 on bad usage.
//
// -check runs every case of each FILE (basiccasefile.h describes them) and prints one
// line per case that failed; exit code 1 when one did. -alloc-fail runs each case once
// more for every allocation of the pooled allocator that compiling and running it makes,
// failing that one: the case must end in an error (or be caught by its own Try), leave
// as many live objects and pool blocks as before, and then run as expected again.
// -alloc-fail-run fails the run's allocations only.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "basiccasefile.h"
#include "basicrunner.h"
#include "storesession.h"
#include "store/interobj.h"
#include "utils/allocator.h"

namespace {

bool ReadFile(const char* path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::stringstream s;
  s << file.rdbuf();
  text = s.str();
  return true;
}

BasicOutcome RunCase(const BasicCase& c) {
  BasicOutcome out;
  try {
    BasicRunner runner;
    if (runner.compile(c.source, out)) out = runner.run(c.procedure);
  } catch (const std::bad_alloc&) {
    out = BasicOutcome();
    out.error = "Out of memory";
  }
  return out;
}

// Pooled allocations that compiling the case makes.
uint32_t CompileRequests(const BasicCase& c) {
  const uint32_t before = PoolAllocator::Requests();
  BasicRunner runner;
  BasicOutcome out;
  runner.compile(c.source, out);
  return PoolAllocator::Requests() - before;
}

// Fails each pooled allocation of the case in turn (from the first one of the run when
// fromRun is set); "" when every run ended cleanly.
std::string AllocationFailures(const BasicCase& c, bool fromRun) {
  RunCase(c);  // first-use caches are filled before anything is counted
  const long objects = InterObjRep::LiveObjects();
  const int32_t blocks = PoolAllocator::InUse();
  const uint32_t first = fromRun ? CompileRequests(c) : 0;
  const uint32_t before = PoolAllocator::Requests();
  RunCase(c);
  const uint32_t requests = PoolAllocator::Requests() - before;
  // Long cases are sampled: at most about 400 failure points each.
  const uint32_t stride = (requests - first) / 400 + 1;
  for (uint32_t n = first; n < requests; n += stride) {
    PoolAllocator::FailAfter((int32_t)n);
    BasicOutcome out = RunCase(c);
    bool failed = !PoolAllocator::Armed();
    PoolAllocator::FailAfter(-1);
    std::string at = "allocation " + std::to_string(n) + " of " + std::to_string(requests);
    // Success is only right when the case's own Try caught the failure.
    if (failed && out.ok && !c.check(out).empty())
      return at + ": a wrong outcome reported as success: " + c.check(out);
    if (out.error.find("ssert") != std::string::npos) return at + ": " + out.error;
    if (InterObjRep::LiveObjects() != objects)
      return at + ": " + std::to_string(InterObjRep::LiveObjects() - objects) + " objects left alive";
    if (PoolAllocator::InUse() != blocks)
      return at + ": " + std::to_string(PoolAllocator::InUse() - blocks) + " blocks leaked";
    std::string again = c.check(RunCase(c));
    if (!again.empty()) return at + ", then the next run: " + again;
  }
  return "";
}

int Check(int argc, char** argv, int i) {
  bool allocFail = false, fromRun = false;
  if (i < argc && std::strncmp(argv[i], "-alloc-fail", 11) == 0) {
    allocFail = true;
    fromRun = std::strcmp(argv[i], "-alloc-fail-run") == 0;
    ++i;
  }
  if (i >= argc) {
    std::fprintf(stderr, "usage: basicrun -check [-alloc-fail|-alloc-fail-run] FILE...\n");
    return 2;
  }
  StoreSession session;
  int cases = 0, failures = 0;
  for (; i < argc; ++i) {
    std::string text, why;
    BasicCaseFile file;
    if (!ReadFile(argv[i], text)) {
      std::fprintf(stderr, "basicrun: cannot open %s\n", argv[i]);
      return 2;
    }
    if (!file.parse(text, why)) {
      std::printf("%s: %s\n", argv[i], why.c_str());
      ++failures;
      continue;
    }
    for (const BasicCase& c : file.cases()) {
      ++cases;
      std::string fault = allocFail ? AllocationFailures(c, fromRun) : c.check(RunCase(c));
      if (!fault.empty()) {
        ++failures;
        std::printf("%s:%d: %s: %s\n", argv[i], c.fileLine, c.procedure.c_str(), fault.c_str());
      }
    }
  }
  std::printf("%d cases, %d failed\n", cases, failures);
  std::fflush(stdout);
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool time = false;
  int i = 1;
  if (i < argc && std::strcmp(argv[i], "-check") == 0) return Check(argc, argv, i + 1);
  if (i < argc && std::strcmp(argv[i], "-time") == 0) {
    time = true;
    ++i;
  }
  if (i >= argc) {
    std::fprintf(stderr,
                 "usage: basicrun [-time] FILE [NAME [ARG...]]\n"
                 "       basicrun -check [-alloc-fail|-alloc-fail-run] FILE...\n");
    return 2;
  }
  std::string text;
  if (!ReadFile(argv[i], text)) {
    std::fprintf(stderr, "basicrun: cannot open %s\n", argv[i]);
    return 2;
  }
  ++i;
  std::string name = i < argc ? argv[i++] : "Main";
  std::vector<long> args;
  for (; i < argc; ++i) args.push_back(std::strtol(argv[i], nullptr, 10));

  StoreSession session;
  BasicRunner runner;
  BasicOutcome out;
  const auto start = std::chrono::steady_clock::now();
  const bool compiled = runner.compile(text, out);
  const double compileMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (compiled) out = runner.run(name, args);
  std::fputs(out.printed.c_str(), stdout);
  if (out.ok) {
    std::printf("result: %s\n", out.result.c_str());
  } else {
    if (out.errorId)
      std::printf("error: %u: %s\n", out.errorId, out.error.c_str());
    else
      std::printf("error: %s\n", out.error.c_str());
    if (out.errorLine > 0) std::printf("line: %d\n", out.errorLine);
  }
  if (time) std::printf("compile_ms: %.0f\nelapsed_ms: %.0f\n", compileMs, out.elapsedMs);
  std::fflush(stdout);
  return out.ok ? 0 : 1;
}
