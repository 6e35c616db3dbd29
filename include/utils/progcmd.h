// A tiny command-table driver for test programs: each command is one character.
//
//   static tProgCmdRec table[] = {{'a', "alpha test", testAlpha}, {0, nullptr, nullptr}};
//   int main(int argc, char** argv) {
//     if (progInit(argc, argv, table)) return 1;  // no arguments: usage printed
//     progRun(argc, argv);                        // "prog ab" runs a then b
//   }
#pragma once

#include "utils/ovutil_api.h"

struct tProgCmdRec {
  signed char key;  // 0 or below ends the table
  const char* description;
  void (*fn)();
};

// With arguments: registers the table's commands by key (process-wide; a key already
// registered keeps its first command and a warning goes to stderr) and answers 0.
// Without: prints the usage and the table to stdout and answers 1.
OVUTIL_API int progInit(int argc, char** argv, const tProgCmdRec* table);
// Runs the command of every character of every argument after the program name
// (blanks are skipped); unknown characters print a warning.
OVUTIL_API void progRun(int argc, char** argv);
