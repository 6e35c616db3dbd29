// A file of Basic behaviour cases, as basicrun -check reads it.
//
// A case is a run of source lines followed by its expectation, one or more comment lines:
//   ' expect: <text>        the value the case's last procedure returns, as text;
//   ' prints: <text>        one line that the case printed (one comment per line, in
//                           order; the text runs to the end of the line, blanks included);
//   ' error: <part> [@<n>]  the case fails with an error whose text, or "<id>: <text>",
//                           contains part, on line n of the case (counted from its first
//                           line that is neither blank nor a comment).
// The next non-expectation line starts the next case. Each case is compiled into an
// object of its own and its last Sub or Function is run without arguments.
#pragma once

#include <string>
#include <vector>

struct BasicOutcome;

struct BasicCase {
  int fileLine = 0;       // 1-based line of the file where the case's code starts
  std::string source;     // from the first code line up to the expectation
  std::string procedure;  // the last procedure the source defines
  bool wantValue = false;
  std::string value;
  bool wantPrinted = false;
  std::string printed;  // the expected lines, each ended by "\r\n"
  bool wantError = false;
  std::string errorPart;
  int errorLine = 0;  // 0: any line

  // "" when outcome meets the expectation, else what differs.
  std::string check(const BasicOutcome& outcome) const;
};

class BasicCaseFile {
 public:
  // Reads the cases of text; false (and why) when an expectation is malformed or a case
  // has none or defines no procedure.
  bool parse(const std::string& text, std::string& why);
  const std::vector<BasicCase>& cases() const { return cases_; }

 private:
  std::vector<BasicCase> cases_;
};
