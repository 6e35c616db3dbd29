// Reading a file of Basic behaviour cases and checking outcomes against them.
#include "basiccasefile.h"

#include <cstdlib>
#include <sstream>

#include "basicrunner.h"

namespace {

enum class LineKind { kCode, kBlank, kExpect, kPrints, kError };

// The kind of a line and, for an expectation, the text after its keyword's colon (one
// blank after the colon dropped).
LineKind Classify(const std::string& line, std::string& rest) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) return LineKind::kBlank;
  if (line[i] != '\'') return LineKind::kCode;
  size_t k = line.find_first_not_of(" \t", i + 1);
  static const struct {
    const char* word;
    LineKind kind;
  } kWords[] = {{"expect:", LineKind::kExpect}, {"prints:", LineKind::kPrints}, {"error:", LineKind::kError}};
  for (const auto& w : kWords) {
    size_t n = std::string(w.word).size();
    if (k != std::string::npos && line.compare(k, n, w.word) == 0) {
      rest = line.substr(k + n);
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      return w.kind;
    }
  }
  return LineKind::kBlank;  // an ordinary comment
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string Shown(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

}  // namespace

bool BasicCaseFile::parse(const std::string& text, std::string& why) {
  cases_.clear();
  std::istringstream in(text);
  std::string line;
  BasicCase current;
  bool started = false;   // the current case has met its first code line
  bool inExpect = false;  // reading the current case's expectation lines
  int n = 0;
  auto finish = [&]() -> bool {
    if (current.procedure.empty()) {
      why = "line " + std::to_string(current.fileLine) + ": the case defines no procedure";
      return false;
    }
    cases_.push_back(current);
    current = BasicCase();
    started = inExpect = false;
    return true;
  };
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string rest;
    LineKind kind = Classify(line, rest);
    bool expectation = kind == LineKind::kExpect || kind == LineKind::kPrints || kind == LineKind::kError;
    if (inExpect && !expectation && !finish()) return false;
    if (expectation) {
      if (!started) {
        why = "line " + std::to_string(n) + ": an expectation without a case before it";
        return false;
      }
      inExpect = true;
      if (kind == LineKind::kExpect) {
        current.wantValue = true;
        current.value = rest;
      } else if (kind == LineKind::kPrints) {
        current.wantPrinted = true;
        current.printed += rest + "\r\n";
      } else {
        current.wantError = true;
        size_t at = rest.rfind('@');
        if (at != std::string::npos) {
          char* end = nullptr;
          long l = std::strtol(rest.c_str() + at + 1, &end, 10);
          if (l <= 0 || Trim(end) != "") {
            why = "line " + std::to_string(n) + ": '@' needs a line number";
            return false;
          }
          current.errorLine = (int)l;
          rest.resize(at);
        }
        current.errorPart = Trim(rest);
      }
      continue;
    }
    if (!started) {
      if (kind != LineKind::kCode) continue;  // blanks and comments between cases
      started = true;
      current.fileLine = n;
    }
    current.source += line + "\n";
    std::string name = BasicRunner::ProcedureName(line);
    if (!name.empty()) current.procedure = name;
  }
  if (inExpect) return finish();
  if (started) {
    why = "line " + std::to_string(current.fileLine) + ": the case has no expectation";
    return false;
  }
  return true;
}

std::string BasicCase::check(const BasicOutcome& out) const {
  std::ostringstream why;
  if (wantError) {
    std::string withId = std::to_string(out.errorId) + ": " + out.error;
    if (out.ok) {
      why << "expected an error, returned '" << out.result << "'";
    } else if (out.error.find(errorPart) == std::string::npos &&
               withId.find(errorPart) == std::string::npos) {
      why << "expected an error with '" << errorPart << "', got '" << Shown(withId) << "'";
    } else if (errorLine && errorLine != out.errorLine) {
      why << "expected the error on line " << errorLine << ", got line " << out.errorLine << " ('"
          << Shown(out.error) << "')";
    }
    return why.str();
  }
  if (!out.ok) {
    why << "error: " << Shown(out.error) << " (line " << out.errorLine << ")";
    return why.str();
  }
  if (wantValue && out.result != value) why << "expected '" << value << "', got '" << out.result << "' ";
  if (wantPrinted && out.printed != printed)
    why << "expected to print '" << Shown(printed) << "', printed '" << Shown(out.printed) << "'";
  return why.str();
}
