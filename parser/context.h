// One parse's state: the lexer and grammar (lexer.h, grammar.h) and the driver's share:
// the pending entity, the blocks built so far for the current text and the text itself.
//
// The exports share one global context that lives as long as the library; the text
// object file reader makes one per file.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "entity.h"
#include "grammar.h"
#include "lexer.h"
#include "store/block.h"

class InterObjRep;
class DeadSourceList;

class ParserContext {
 public:
  ParserContext();
  ~ParserContext();
  ParserContext(const ParserContext&) = delete;
  ParserContext& operator=(const ParserContext&) = delete;

  Lexer lexer;
  GrammarState grammar;

  // Starts the grammar on in (asserts "!parserInUse"); text is the source being parsed
  // (kept for uncompilable fields; may be null).
  void start(std::istream* in, const char* text);
  // full: also give up the storage of the tables and drop the pending entity.
  void reset(int full);

  // The next entity of the requested kind (a PEType, or the groups 1001, 1005, 1010),
  // consumed; null (nothing consumed) when the next entity is of another kind. Comments
  // are skipped and recorded in ds when given.
  PEntityRef nextEntity(int kind, DeadSourceList* ds = nullptr);
  // The pending entity (read from the grammar when none is), without consuming it.
  PEntity* peek();
  // name() of the pending entity, or "Nothing".
  const char* currentEntityName();
  // The pending entity when it is a syntax error, else null.
  PSyntaxError* pendingSyntaxError();

  // Blocks of the current text: closing one appends its BlockRep; the index is the
  // block's number (-1 for a null block). The block's reference is released.
  int closeBlock(BlockBuildRep* block);
  BlockDynamicVector& blocks() { return blocks_; }
  IdDynamicVector& ids();
  const char* idName(int index);

  // Lexer lines (0-based): the current (settable) counter and the absolute one.
  int currentLine() const;
  void setCurrentLine(int line);
  int absoluteLine() const;

  const char* text() const { return text_; }

  // A text object file's lines (without line ends), for the procedures of its Type
  // sections to keep their own text. While they are set, lines are counted from the
  // start of the file throughout (setCurrentLine does nothing), so that every message
  // names a line of the file. Not owned; null for ordinary texts.
  void setFileLines(const std::vector<std::string>* lines) { fileLines_ = lines; }
  const std::vector<std::string>* fileLines() const { return fileLines_; }

  // One token of the stream (for colouring): its number, the 1-based column where
  // scanning began and the column of its last character; -1 at a line end or the end.
  short nextToken(int& start, int& end);

  // A temporary object holding the constants declared so far in this parse, so that
  // later constants and array bounds may name them (made on first use).
  InterObjRep* constScope();

 private:
  void dropConstScope();
  PEntity* fetch();  // the current entity (a walked list's first member), or null
  void consume();

  int state_ = 0;  // 0: nothing pending, else the pending entity's kind
  PEntityRef pending_;
  BlockDynamicVector blocks_;
  const char* text_ = nullptr;
  InterObjRep* constScope_ = nullptr;  // counted
  const std::vector<std::string>* fileLines_ = nullptr;
};

// The context of the exports.
ParserContext& GlobalParserContext();
