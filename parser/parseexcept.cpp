// Parser exceptions: construction from the string table and printing.
#include "parseexcept.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <sstream>

#include "grammarexpected.h"
#include "messages.h"
#include "parser/petype.h"
#include "store/types.h"

namespace {

char* copyText(const char* s) {
  if (!s) return nullptr;
  size_t n = std::strlen(s) + 1;
  char* p = new char[n];
  std::memcpy(p, s, n);
  return p;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// ParserException

ParserException::ParserException(const char* message, int line, const char* extra)
    : XException(message ? message : ""), line_(line), extra_(copyText(extra)) {}

ParserException::ParserException(const std::string& message, int line, const char* extra)
    : XException(message), line_(line), extra_(copyText(extra)) {}

ParserException::ParserException(unsigned id, int line, const char* extra)
    : XException(ResourceIdToString(nullptr, id)), line_(line), id_(id), extra_(copyText(extra)) {}

ParserException::ParserException(unsigned id, const char* arg, int line, const char* extra)
    : XException(StringMsg(id, arg)), line_(line), id_(id), extra_(copyText(extra)) {}

ParserException::ParserException(const ParserException& other)
    : XException(other), line_(other.line_), id_(other.id_), extra_(copyText(other.extra_)) {}

ParserException::~ParserException() noexcept { delete[] extra_; }

XException* ParserException::Clone() const { return new ParserException(*this); }
void ParserException::Throw() const { throw *this; }

void ParserException::setExtra(const char* extra) {
  char* copy = copyText(extra);
  delete[] extra_;
  extra_ = copy;
}

void ParserException::printError(std::ostream& os) const { os << message(); }

const char* ParserException::what() const noexcept {
  try {
    std::ostringstream os;
    printError(os);
    whatText_ = os.str();
  } catch (...) {
    return "ParserException";
  }
  return whatText_.c_str();
}

std::string ParserException::ResourceIdToString(int* found, unsigned id) {
  char buffer[128];
  // The string table is in the module holding this code: ovparse.dll, or the test
  // program that links the parser's objects.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ParserException::ResourceIdToString), &module);
  int n = module ? LoadStringA(module, id, buffer, sizeof buffer) : 0;
  if (n <= 0) {
    if (found) *found = 0;
    std::snprintf(buffer, sizeof buffer, "Exception #%u (no message available).", id);
    return buffer;
  }
  if (found) *found = n;
  return std::string(buffer, n);
}

std::string ParserException::StringMsg(unsigned id, const char* arg) {
  int found = 0;
  std::string format = ResourceIdToString(&found, id);
  if (!found) return format;
  // The table's texts hold at most one %s; anything else is copied as it stands.
  std::string out;
  size_t at = format.find("%s");
  if (at == std::string::npos) return format;
  out.assign(format, 0, at);
  out += arg ? arg : "";
  out.append(format, at + 2, std::string::npos);
  return out;
}

// ---------------------------------------------------------------------------------------
// SyntaxError

SyntaxError::SyntaxError(int line, short token, short state, int column, const char* lineText)
    : ParserException(PMSG_SYNTAX_ERROR, line, nullptr),
      column_(column),
      lineText_(lineText ? lineText : ""),
      token_(token),
      state_(state) {}

SyntaxError::SyntaxError(int line, short token, short state, int column, const char* lineText,
                         const char* explanation)
    : SyntaxError(line, token, state, column, lineText) {
  setExtra(explanation);
}

SyntaxError::~SyntaxError() noexcept = default;

XException* SyntaxError::Clone() const { return new SyntaxError(*this); }
void SyntaxError::Throw() const { throw *this; }

void SyntaxError::printError(std::ostream& os) const {
  os << "\nSyntax Error(" << state_ << ") on line " << line() + 1;
  if (extra()) {
    os << "\n " << extra();
  } else {
    os << "\n Expected: ";
    const char* text = GrammarExpectedText(state_);
    size_t n = text ? std::strlen(text) : 0;
    if (!text)
      os << "end-of-statement";
    else if (n > 0 && text[n - 1] == '0')
      os << std::string(text, n - 1) << " or end-of-statement";
    else
      os << text;
  }
  if (!lineText_.isNull()) {
    os << "\nLine: ";
    printLine(os);
  }
}

void SyntaxError::printLine(std::ostream& os) const {
  const char* text = lineText_.data();
  size_t n = lineText_.length();
  if (n > 0 && text[n - 1] == '\n') --n;  // the line end is not shown
  size_t caret = (column_ <= 1 || size_t(column_) > n) ? n : size_t(column_) - 1;
  for (size_t i = 0; i < n; ++i) {
    if (i == caret) os << '^';
    if (text[i] != '\r') os << text[i];
  }
  if (caret == n) os << '^';
  os << '\n';
}

// ---------------------------------------------------------------------------------------
// DeclarationTypeMismatch, TypeNotFound, ConstructError, UnknownParserError

DeclarationTypeMismatch::DeclarationTypeMismatch(unsigned char varType, unsigned char declType, int line)
    : ParserException(PMSG_TYPE_MISMATCH, line, nullptr), varType_(varType), declType_(declType) {}

DeclarationTypeMismatch::~DeclarationTypeMismatch() noexcept = default;
XException* DeclarationTypeMismatch::Clone() const { return new DeclarationTypeMismatch(*this); }
void DeclarationTypeMismatch::Throw() const { throw *this; }

void DeclarationTypeMismatch::printError(std::ostream& os) const {
  os << "Error in variable declaration:\n"
     << "Type on variable '" << IdTypeString(varType_).string() << "' mismatched with declaration type '"
     << IdTypeString(declType_).string() << "'\n";
}

TypeNotFound::TypeNotFound(int line, const char* typeName)
    : ParserException(PMSG_TYPE_NOT_FOUND, typeName, line, nullptr) {}
TypeNotFound::~TypeNotFound() noexcept = default;
XException* TypeNotFound::Clone() const { return new TypeNotFound(*this); }
void TypeNotFound::Throw() const { throw *this; }

ConstructError::ConstructError(int line, const char* blockName, int expected, const char* received)
    : ParserException(PMSG_CONSTRUCTION_ERROR, line, nullptr),
      blockName_(blockName ? blockName : ""),
      expected_(expected),
      received_(received ? received : "") {}

ConstructError::~ConstructError() noexcept = default;
XException* ConstructError::Clone() const { return new ConstructError(*this); }
void ConstructError::Throw() const { throw *this; }

void ConstructError::printError(std::ostream& os) const {
  os << "Error in termination of " << blockName_.data() << " block\n"
     << "Expected '" << PETypeText(expected_) << "' received: '" << received_.data() << "'\n";
}

UnknownParserError::UnknownParserError(const char* text)
    : ParserException(PMSG_UNKNOWN_ERROR, text, 0, nullptr) {}
UnknownParserError::~UnknownParserError() noexcept = default;
XException* UnknownParserError::Clone() const { return new UnknownParserError(*this); }
void UnknownParserError::Throw() const { throw *this; }
