// Compiles a text of Basic procedures into a fresh object and runs one of them: what the
// basicrun program and the conformance suite share.
//
// The text holds Sub and Function definitions and, between them, member declarations
// (Dim, Const, Event, Property, Declare), which are declared onto the object. Every
// procedure is compiled on its own through ParserParseProcedure; errors are reported
// with the line of the file (1-based).
#pragma once

#include <string>
#include <vector>

class InterObjRep;

struct BasicOutcome {
  bool ok = false;       // compiled and ran without an error
  std::string result;    // the returned value as text ("" for a Sub or no value)
  std::string printed;   // what Print statements wrote
  std::string error;     // the error's text (compile or run time)
  unsigned errorId = 0;  // the message id of the error (the store's or the parser's), 0 when none
  int errorLine = 0;     // 1-based line of the file, 0 when not known
  double elapsedMs = 0;  // time of the run alone (not of the compile)
};

class BasicRunner {
 public:
  BasicRunner();
  ~BasicRunner();
  BasicRunner(const BasicRunner&) = delete;
  BasicRunner& operator=(const BasicRunner&) = delete;

  // Compiles text into a new object; false (and outcome's error) when it did not compile.
  bool compile(const std::string& text, BasicOutcome& outcome);
  // Runs member name with Long arguments; the outcome's result is the value's text.
  BasicOutcome run(const std::string& name, const std::vector<long>& args = {});
  // Both in one.
  static BasicOutcome CompileAndRun(const std::string& text, const std::string& name,
                                    const std::vector<long>& args = {});
  // Runs statements as the body of a Sub.
  static BasicOutcome RunStatements(const std::string& statements);
  // The value of expression as text (as a Function of the given type), or "error: " and
  // the error's text.
  static std::string ValueOf(const std::string& expression, const char* type = "Long");

  InterObjRep* object() const { return obj_; }

  // The name a "[Static|Private|Public] Sub|Function Name" line defines, else "".
  static std::string ProcedureName(const std::string& line);

 private:
  struct Chunk {
    int firstLine;  // 1-based line of the file where the chunk starts
    std::string name;
    std::string text;
  };
  int fileLine(const std::string& procName, int relLine) const;

  InterObjRep* obj_ = nullptr;
  std::vector<Chunk> procs_;
  std::vector<Chunk> typeProcs_;  // procedures of Type sections: their header lines only
  int declFirstLine_ = 1;
};
