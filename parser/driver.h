// The parse driver: pulls parsed entities from the grammar one at a time and assembles
// the store's blocks, evaluables and fields from them.
//
// The grammar hands over one entity per call (GrammarParse); nextEntity() asks
// for a kind and consumes the entity only when it matches, so a request of the wrong
// kind never loses anything. A line of several statements arrives as one StmtList whose
// members are handed out one by one. Block bodies are read as declarations and
// statements (in any order), up to the first entity that is neither (a terminator, a
// clause, the end).
#pragma once

#include <string>
#include <vector>

class BlockBuildRep;
class DeadSourceRep;
class EvalableBlock;
class EvalableExpr;
class InterObjRep;
class InterProcField;
class ParserContext;

// The non-executable source of a block (comments and declaration texts) as it is met.
class DeadSourceList {
 public:
  enum Kind { DECLARATION = 1, COMMENT = 2, COMMENT_FLAGGED = 3 };
  struct Piece {
    int position;
    std::string text;
    int kind;
    int trim;
  };
  void add(int position, const std::string& text, int kind, int trim = 3) {
    pieces_.push_back(Piece{position, text, kind, trim});
  }
  const std::vector<Piece>& pieces() const { return pieces_; }
  bool empty() const { return pieces_.empty(); }
  // A new store dead source made from the pieces (count 0: wrap it in a DeadSource).
  DeadSourceRep* makeRep() const;

 private:
  std::vector<Piece> pieces_;
};

// Operations on a context (the global one of the exports, or a text object reader's).
namespace ParseDriver {

// Reads declarations and statements into block up to the first entity that is neither
// (flags & 1: static locals); throws a pending syntax error when the body ends on one.
void ReadBody(ParserContext& ctx, BlockBuildRep* block, DeadSourceList* ds, int flags);

// Statement text -> EvalableBlock (the text must already be started on ctx).
EvalableBlock* BlockText(ParserContext& ctx, bool wantDeadSource);
// Expression text (started wrapped in braces) -> EvalableExpr.
EvalableExpr* ExpressionText(ParserContext& ctx);
// Next Sub/Function -> its field; null when none (the caller throws PMSG_NO_PROCEDURE). On a build
// failure `proc` receives an uncompilable field made from sourceText (or the standard
// note when null) and the exception continues.
InterProcField* ProcedureText(ParserContext& ctx, const char* sourceText, InterProcField*& proc);
// Declarations onto obj until another entity comes.
void DeclareOnto(ParserContext& ctx, InterObjRep& obj);

// Throws the pending syntax error, if any.
void ThrowPendingSyntaxError(ParserContext& ctx);

}  // namespace ParseDriver
