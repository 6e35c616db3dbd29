// TextObjectReader: reads a text object file into the object store.
//
// A text object file is Basic source: "Type name [From parent] ... End Type" blocks, one
// per object (its data fields, events and procedures), "Begin Code ... End Code" blocks
// of statements run once their End Code line is read, comments and empty lines. Each
// Type block makes an object in the store's current module (or, as "Type A From A",
// adds to the existing A), appended to the group when one is given.
//
// The file has a parser context of its own (the global one stays idle), counting lines
// from the start of the file. Failures are shown to the user through the store's message
// box: a parse error asks whether to keep what was read ("Yes": the read ends there and
// answers kPartial; "No": what this read made is dropped and a user-handled
// StoreException "Parse Error" is thrown); a store error raised by a Code block asks
// whether to go on with the file ("No" drops what was made and throws the error on,
// marked user-handled).
#pragma once

#include <string>
#include <vector>

#include "parser/ovparse_api.h"
#include "store/faultp.h"

class ComplexVarDecl;
class InterObjRep;
class ParserContext;
class ParserException;
class StoreException;

class OVPARSE_API TextObjectReader {
 public:
  // What read() answers.
  enum Result { kComplete = 1, kPartial = 2 };

  // group: an object of the "Group" class collects the objects made, anything else
  // (or null) does not. run: zero parses the Code blocks without running them.
  TextObjectReader(const char* file, InterObjRep* group, int run);
  TextObjectReader(const TextObjectReader&) = delete;
  TextObjectReader& operator=(const TextObjectReader&) = delete;

  // Reads the whole file (see above). A file that cannot be opened throws
  // StoreException "Couldn't open file named '<file>'.".
  Result read();

  // The box texts (also for the tests).
  static std::string ParseErrorText(const char* file, const ParserException& e);
  static std::string StoreErrorText(const char* file, int line, const StoreException& e);

 private:
  void readEntities(ParserContext& ctx);
  void typeBlock(ParserContext& ctx, ComplexVarDecl& decl);
  void codeBlock(ParserContext& ctx);
  void unexpected(ParserContext& ctx);
  void addToGroup(InterObjRep* obj);
  // Drops the objects this read made (and takes them out of the group).
  void discardMade();
  std::string lineText(int line) const;

  std::string file_;
  InterObjRep* group_;
  int run_;
  std::vector<std::string> lines_;
  std::vector<Faultp<InterObjRep>> made_;  // counted
};
