// Compiling a file of procedures into an object and running one of them.
#include "basicrunner.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <new>
#include <sstream>

#include "capturedprint.h"
#include "context.h"
#include "driver.h"
#include "parser/ovparse.h"
#include "parseexcept.h"
#include "store/interobj.h"
#include "store/procfield.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "store/valstring.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = (char)std::tolower((unsigned char)c);
  return s;
}

// The words of a line up to a comment, lower case.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string w;
  for (char c : line) {
    if (c == '\'') break;
    if (std::isalnum((unsigned char)c) || c == '_') {
      w += c;
    } else {
      if (!w.empty()) words.push_back(Lower(w));
      w.clear();
      if (c == '(' || c == '"') break;
    }
  }
  if (!w.empty()) words.push_back(Lower(w));
  return words;
}

}  // namespace

std::string BasicRunner::ProcedureName(const std::string& line) {
  std::vector<std::string> w = Words(line);
  size_t i = 0;
  while (i < w.size() && (w[i] == "static" || w[i] == "private" || w[i] == "public")) ++i;
  if (i + 1 < w.size() && (w[i] == "sub" || w[i] == "function")) {
    // The name with its original spelling.
    std::string l = Lower(line);
    size_t at = l.find(w[i + 1], l.find(w[i]) + w[i].size());
    return line.substr(at, w[i + 1].size());
  }
  return "";
}

namespace {

bool IsProcEnd(const std::string& line) {
  std::vector<std::string> w = Words(line);
  return w.size() >= 2 && w[0] == "end" && (w[1] == "sub" || w[1] == "function");
}

std::string ValueText(Value* v) {
  if (!v) return "";
  ValString s;
  if (v->type() == 7) {
    ValueCellVar c;
    v->getCell(c);
    return c.c.obj.rep ? "<object>" : "Nothing";
  }
  if (!v->toText(s)) return "<no text>";
  return s.str();
}

}  // namespace

BasicRunner::BasicRunner() {
  obj_ = new InterObjRep(nullptr, "", 254);
  obj_->ref();
}

BasicRunner::~BasicRunner() {
  if (obj_) obj_->unref();
}

int BasicRunner::fileLine(const std::string& procName, int relLine) const {
  for (const Chunk& c : procs_)
    if (Lower(c.name) == Lower(procName)) return c.firstLine + relLine;
  for (const Chunk& c : typeProcs_)
    if (Lower(c.name) == Lower(procName)) return c.firstLine + relLine;
  return relLine + 1;
}

bool BasicRunner::compile(const std::string& text, BasicOutcome& out) {
  // The compiler takes procedure texts as C strings: a NUL would cut one short unseen.
  size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    out.error = "invalid character (0)";
    out.errorLine = 1 + int(std::count(text.begin(), text.begin() + long(nul), '\n'));
    return false;
  }
  // Split into procedures; everything else stays in the declarations text, on its
  // own line numbers (procedure lines blanked).
  std::istringstream in(text);
  std::string line, decls;
  Chunk* open = nullptr;
  bool inType = false;  // procedures of a Type section stay with their Type
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> w = Words(line);
    if (!open && !w.empty() && w[0] == "type") inType = true;
    if (inType) {
      if (w.size() >= 2 && w[0] == "end" && w[1] == "type") inType = false;
      std::string name = ProcedureName(line);
      if (!name.empty()) typeProcs_.push_back(Chunk{n, name, ""});
      decls += line + "\n";
      continue;
    }
    if (!open) {
      std::string name = ProcedureName(line);
      if (!name.empty()) {
        procs_.push_back(Chunk{n, name, ""});
        open = &procs_.back();
      }
    }
    if (open) {
      open->text += line + "\n";
      decls += "\n";
      if (IsProcEnd(line)) open = nullptr;
    } else {
      decls += line + "\n";
    }
  }
  const Chunk* current = nullptr;
  try {
    ParserContext& ctx = GlobalParserContext();
    std::istringstream din(decls);
    ctx.start(&din, decls.c_str());
    try {
      ctx.setCurrentLine(0);
      ParseDriver::DeclareOnto(ctx, *obj_);
      PEntity* rest = ctx.peek();
      if (rest && rest->getType() != PE_END_OF_TEXT) {
        ParseDriver::ThrowPendingSyntaxError(ctx);
        throw ParserException("Only declarations and procedures may stand outside procedures.", rest->line(),
                              nullptr);
      }
    } catch (...) {
      ctx.reset(0);
      throw;
    }
    ctx.reset(0);
    for (const Chunk& c : procs_) {
      current = &c;
      InterProcField* proc = nullptr;
      std::string t = c.text;
      try {
        ParserParseProcedure(proc, &t[0]);
      } catch (...) {
        delete proc;
        throw;
      }
      try {
        obj_->addField(proc, nullptr, 0);
      } catch (const StoreException& e) {  // a second procedure of the same name (freed)
        out.error = e.text();
        out.errorLine = c.firstLine;
        return false;
      }
    }
  } catch (const ParserException& e) {
    std::ostringstream os;
    e.printError(os);
    out.error = os.str();
    out.errorId = e.id();
    out.errorLine = (current ? current->firstLine : 1) + e.line();
    return false;
  } catch (const XException& e) {
    out.error = e.what();
    return false;
  } catch (const std::bad_alloc&) {
    out.error = "Out of memory";
    return false;
  }
  return true;
}

BasicOutcome BasicRunner::run(const std::string& name, const std::vector<long>& args) {
  BasicOutcome out;
  CapturedPrint capture;
  ValueList* list = new ValueList;
  list->ref();
  for (long a : args) list->ppush(new DirectValue<long, 2>(a));
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  try {
    ValuePtr v;
    v.adopt(obj_->evalIMember(name.c_str(), list));  // the result's count is ours
    QueryPerformanceCounter(&t1);
    out.result = ValueText(v.get());
    out.ok = true;
  } catch (const StoreException& e) {
    QueryPerformanceCounter(&t1);
    out.error = e.text();
    out.errorId = e.id();
    if (e.line() >= 0) out.errorLine = fileLine(e.memberName().empty() ? name : e.memberName(), e.line());
  } catch (const XException& e) {
    QueryPerformanceCounter(&t1);
    out.error = e.what();
  } catch (const std::bad_alloc&) {
    QueryPerformanceCounter(&t1);
    out.error = "Out of memory";
  }
  list->unref();
  out.elapsedMs = 1000.0 * (double)(t1.QuadPart - t0.QuadPart) / (double)f.QuadPart;
  out.printed = capture.text();
  return out;
}

BasicOutcome BasicRunner::CompileAndRun(const std::string& text, const std::string& name,
                                        const std::vector<long>& args) {
  BasicRunner r;
  BasicOutcome out;
  if (!r.compile(text, out)) return out;
  return r.run(name, args);
}

BasicOutcome BasicRunner::RunStatements(const std::string& statements) {
  return CompileAndRun("Sub S()\n" + statements + "\nEnd Sub\n", "S");
}

std::string BasicRunner::ValueOf(const std::string& expression, const char* type) {
  BasicOutcome out =
      CompileAndRun("Function F() As " + std::string(type) + "\n  F = " + expression + "\nEnd Function\n", "F");
  return out.ok ? out.result : "error: " + out.error;
}
