// Token numbers the lexer makes itself (keywords come from the store's keyword table,
// store/keytab.h). Single characters are their own token numbers.
#pragma once

enum LexerToken {
  TOK_END = -1,     // line end after a statement, or end of input
  TOK_ERROR = 256,  // a literal that could not be read (see Lexer::errorText)
  TOK_INTEGER = 257,
  TOK_LONG = 258,
  TOK_HEXINT = 259,
  TOK_OCTINT = 260,
  TOK_SINGLE = 261,
  TOK_DOUBLE = 262,
  TOK_CURRENCY = 263,
  TOK_STRING = 264,
  TOK_IDENTIFIER = 265,
  TOK_REM = 275,         // the comment keyword
  TOK_COMMENT = 276,     // '
  TOK_DEEPASSIGN = 304,  // :=
  TOK_ANDAND = 305,      // &&
  TOK_OROR = 306,        // ||
  TOK_NE = 307,          // <>
  TOK_LE = 308,          // <=
  TOK_GE = 309,          // >=
  TOK_EQEQ = 310,        // ==
};

// Kinds of the semantic value a token leaves (SemVal::kind) as the lexer sets them.
enum {
  SV_NONE = 0,
  SV_INT = 1,     // i
  SV_DOUBLE = 2,  // d
  SV_TEXT = 3,    // text: array new'd char[], taken over by the grammar; may be null
  SV_ID = 8,      // id.index, id.suffix
};

// A token's value for the grammar: kind, then the value. The grammar adds kinds of its
// own for the trees and lists it builds (grammarvalue.h).
struct SemVal {
  unsigned char kind;
  union {
    int i;
    double d;
    char* text;
    struct {
      short index;
      unsigned char suffix;
    } id;
    void* p;
  };
};
