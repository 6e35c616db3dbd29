// The grammar's part of a parser context and the calls that run it.
//
// One GrammarParse call reads tokens until it has recognised one parsable entity (a line
// of statements, a declaration header, a clause or terminator line, a comment, an
// expression in braces, or the end of the input) and hands that entity over. A syntax
// error becomes a syntax-error entity (PSyntaxError holding the SyntaxError), and parsing
// resumes at the next statement on the next call.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "parseexcept.h"

class Lexer;
class ParserContext;
class PEntity;

struct GrammarState {
  bool inUse = false;  // between GrammarStart and GrammarReset
  int errorCount = 0;  // syntax errors found by the last GrammarParse
  // The first syntax error of the last GrammarParse, or null.
  const SyntaxError* lastError() const { return lastError_.get(); }
  std::unique_ptr<SyntaxError> lastError_;
};

// Starts on in: asserts "!parserInUse", starts the lexer, marks the grammar in use.
void GrammarStart(GrammarState& gs, Lexer& lex, std::istream* in);
// Not in use any more; clears the lexer's identifier table (full: gives up its storage).
void GrammarReset(GrammarState& gs, Lexer& lex, int full);

// Parses one entity. Returns 0 with out set to the entity (a counted reference that the
// caller takes over), or 1 when the parse was aborted (out null). ctx is handed to the
// entities that need it (one-line If blocks, declared type names); it may be null for
// texts that hold no such construct. Throws ParserException PMSG_LINE_TOO_LONG for an overlong line,
// PMSG_TABLE_OVERFLOW when the parse stack overflows, and what an entity's construction throws.
int GrammarParse(ParserContext* ctx, Lexer& lex, GrammarState& gs, PEntity*& out);
inline int GrammarParse(ParserContext& ctx, Lexer& lex, GrammarState& gs, PEntity*& out) {
  return GrammarParse(&ctx, lex, gs, out);
}

// The name of a token number as messages show it: 0 "end-of-statement", the literal and
// operator tokens by their descriptions ("<integer>", "<string>", ":=", "<>", ...), a
// keyword by its spelling, a character as itself; "<token: n>" for anything else.
std::string GrammarTokenName(int token);

// The grammar's own name of a token number ("KThen", "T_IDENT", "'('"), or "$undefined"
// when the grammar has no such token; lets tests hold the grammar and the keyword table
// to the same numbers.
const char* GrammarTokenSymbol(int token);
