// The parser library's entry points: compile Basic text into the object store's
// evaluables and fields, run an expression at once, and stream tokens for colouring.
//
// All of them work on one global parser context (not locked: call them from the
// user-interface thread). Every call resets the context on the way out, by return or
// by exception, and gives the store its previous current module back. Failures throw
// ParserException kinds (parser/parseexcept.h): SyntaxError with line, column and the
// expected symbols, ConstructError for wrongly closed blocks, and the numbered messages.
// Everything returned belongs to the caller.
#pragma once

#include <istream>

#include "parser/ovparse_api.h"

class EvalableBlock;
class EvalableExpr;
class Field;
class InterObj;
class InterObjRep;
class InterProcField;
class MemberFn;
class SignatureRep;

// One expression -> an evaluable (null for null or empty text). Compiled in the
// temporary module 254. The int is not read.
OVPARSE_API EvalableExpr* ParserGetEvalableExpression(const char* text, int = 0);
// Statements -> an evaluable block (null for null or empty text). Module 254 as above.
OVPARSE_API EvalableBlock* ParserGetEvalableBlock(const char* text, int = 0);
// Compiles and evaluates an expression on obj; the value is dropped. Null or empty
// text does nothing.
OVPARSE_API void ParserExecuteExpression(const char* text, InterObj& obj);
// A Sub or Function with its body -> its field in proc. With null text, the next
// procedure of the stream ParserStart set. None: 32757. When the body fails to build,
// proc receives an uncompilable field carrying the text and the exception continues.
OVPARSE_API void ParserParseProcedure(InterProcField*& proc, char* text);
// Resets the global context; full also gives up the tables' storage.
OVPARSE_API void ParserReset(int full);
// A Property declaration -> its field (none: 32744).
OVPARSE_API Field* ParserParseProperty(const char* decl);
// A Declare statement -> its DLL procedure field (none: 32746).
OVPARSE_API Field* ParserParseDeclare(const char* decl);
// A declaration of exactly one variable -> its data field (none: 32740; more than
// one variable: 32741).
OVPARSE_API Field* ParserParseInterDataField(const char* decl);
// An Event declaration added to obj, replacing obj's own one of that name (none: 32747).
OVPARSE_API void ParserParseEvent(const char* decl, InterObj& obj);
// Starts the global parser on in (for ParserParseProcedure with null text and
// ParserGetToken). Asserts "!parserInUse" when a parse is running.
OVPARSE_API void ParserStart(std::istream* in);
// The next token of the stream ParserStart set; -1 at the first line end after a token
// and at the end of input. start: 1-based column where scanning began; end: column of
// the token's last character.
OVPARSE_API short ParserGetToken(int& start, int& end);

// Text object files (parser/textobjreader.h and textobjwriter.h tell the format).
// Reads file into the store's current module; objects made are appended to group when
// it is a "Group" object. run: zero parses Code blocks without running them. Answers 1
// when the whole file was read, 2 when the user chose to keep what was read before an
// error (the rest of the file was not read). Failures the user refused are thrown as
// user-handled StoreExceptions.
OVPARSE_API int ParserReadTextObjectFile(const char* file, InterObj& group, int run);
// Writes the objects of group's list (a "Group" object), or obj alone, as a text object
// file; append: after the file's current text. The file changes only when the whole
// text was written.
OVPARSE_API void ParserWriteTextObjectsFile(const char* file, int append, InterObj& group);
OVPARSE_API void ParserWriteTextObjectFile(const char* file, int append, InterObj& obj);

// For the store's ParseCppField/ParseCppEvent, found with GetProcAddress.
extern "C" {
// A Sub/Function header of a native method -> a field bound to member, added to sig
// (none: 32757).
OVPARSE_API void ParserParseCppField(const char* decl, SignatureRep& sig, const MemberFn& member);
// An Event declaration added to sig (none: 32747).
OVPARSE_API void ParserParseCppEvent(const char* decl, SignatureRep& sig);
// ParserParseProcedure with a text, for the store recompiling a procedure read from a
// module.
OVPARSE_API void ParserCompileProcedure(InterProcField*& proc, char* text);
// ParserReadTextObjectFile and ParserWriteTextObjectsFile for the store's application
// (a module that is a text object file): group may be null when reading.
OVPARSE_API int ParserReadTextObjects(const char* file, InterObjRep* group, int run);
OVPARSE_API void ParserWriteTextObjects(const char* file, int append, InterObjRep* group);
}
