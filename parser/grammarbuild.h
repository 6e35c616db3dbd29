// What the grammar's actions build: values on the parse stack (SemVal and its kinds), and
// the small functions that turn tokens and subtrees into the store's expression and
// execution nodes and into parsed entities. Only grammar.y and its helpers include this.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "context.h"
#include "declproc.h"
#include "declvar.h"
#include "entity.h"
#include "grammar.h"
#include "lexer.h"
#include "parseexcept.h"
#include "stmtcompound.h"
#include "stmtsimple.h"
#include "store/execctrl.h"
#include "store/execnode.h"
#include "store/exprnode.h"
#include "store/intrinsics.h"
#include "store/ptrlist.h"

// Kinds of stack values beyond the lexer's (lexertokens.h). Each owns what it points to;
// SemFree frees by kind.
enum {
  SV_PAIR = 5,        // PtrPair<ExprNode, ExprNode>* (lower, upper bound)
  SV_SID = 9,         // Sid*
  SV_CID = 10,        // Cid*
  SV_EXPR = 11,       // ExprNode* (may be null)
  SV_CASELIST = 16,   // PtrList<ECaseClauseBase>*
  SV_PAIRLIST = 17,   // BoundsList* (may be null)
  SV_PRINTITEM = 22,  // PrintItem*
  SV_ENTITY = 30,     // PEntity*, one counted reference
  SV_PRINTLIST = 31,  // PrintListValue*
  SV_VARGROUPS = 32,  // VarGroupList* (may be null)
  SV_VARNAMES = 33,   // VarNameList*
  SV_VARRECORD = 34,  // VarRecord*
  SV_DECLINFO = 35,   // VarDeclInfo*
  SV_CONSTLIST = 36,  // ConstDeclList*
  SV_CASEITEM = 37,   // ECaseClauseBase*
  SV_GROUP = 38,      // GroupValue*
};

// Print separators as the store's print nodes take them: "," next zone, ";" none, and the
// end of the line when a statement ends without a separator.
enum { PRINT_SEP_COMMA = 0, PRINT_SEP_SEMICOLON = 1, PRINT_END_OF_LINE = 2 };

// A group of declared names with their type, before it joins its list.
struct GroupValue {
  VarNameList* names;
  VarDeclInfo* info;
};

// Print items and the separator that ends the statement.
struct PrintListValue {
  PtrList<PrintItem>* items;
  int last;
};

// One GrammarParse call's state, reached by every action.
struct GrammarEnv {
  ParserContext* ctx;
  Lexer* lex;
  GrammarState* gs;
  PEntity* result = nullptr;      // counted; what the parse hands over
  SyntaxError* error = nullptr;   // the first syntax error of this parse
  XException* pending = nullptr;  // thrown by the lexer or an action, rethrown after
  std::string lineCopy;
};

// ---- stack values ----
void SemFree(SemVal& v);

// Frees the parse's values when an exception (an allocation failure, say) leaves the
// parser from inside an action or the lexer: every value on the stack, the inputs of the
// action that failed included, and a lookahead token read but not yet shifted. So an
// action that throws must leave its inputs as they were, or clear the slot of one it has
// taken over (Take); what it made itself it frees (SemHold). Made at the start of the
// parse, over the parser's own stack and lookahead; on a normal return (accept, abort,
// overflow) the parser has cleaned up itself and this does nothing.
#define GUARD_SCOPE_END }
#define GUARD_SCOPE_BEGIN {

class ParseStackGuard {
 public:
  ParseStackGuard(const int& lookaheadToken, SemVal& lookahead, SemVal* const& bottom, SemVal* const& top,
                  int emptyToken)
      : token_(lookaheadToken),
        lookahead_(lookahead),
        bottom_(bottom),
        top_(top),
        empty_(emptyToken),
        exceptions_(std::uncaught_exceptions()) {}
  ~ParseStackGuard() {
    if (std::uncaught_exceptions() <= exceptions_) return;
    if (token_ != empty_) SemFree(lookahead_);
    for (SemVal* v = top_; v > bottom_; --v) SemFree(*v);
  }
  ParseStackGuard(const ParseStackGuard&) = delete;
  ParseStackGuard& operator=(const ParseStackGuard&) = delete;

 private:
  const int& token_;
  SemVal& lookahead_;
  SemVal* const& bottom_;
  SemVal* const& top_;
  int empty_;
  int exceptions_;
};
inline SemVal Value(int kind, void* p) {
  SemVal v;
  v.kind = (unsigned char)kind;
  v.p = p;
  return v;
}
inline SemVal None() { return Value(SV_NONE, nullptr); }
inline SemVal Int(int i) {
  SemVal v;
  v.kind = SV_INT;
  v.i = i;
  return v;
}
inline SemVal Entity(PEntity* e) {
  e->addRef();
  return Value(SV_ENTITY, e);
}
inline ExprNode* X(const SemVal& v) { return static_cast<ExprNode*>(v.p); }
inline Cid* ArgList(const SemVal& v) { return static_cast<Cid*>(v.p); }
inline VarGroupList* Groups(const SemVal& v) { return static_cast<VarGroupList*>(v.p); }
inline BoundsList* Bounds(const SemVal& v) { return static_cast<BoundsList*>(v.p); }
inline ConstDeclList* Consts(const SemVal& v) { return static_cast<ConstDeclList*>(v.p); }
inline PtrList<ECaseClauseBase>* CaseList(const SemVal& v) {
  return static_cast<PtrList<ECaseClauseBase>*>(v.p);
}
inline SemVal Info(VarDeclInfo* info) { return Value(SV_DECLINFO, info); }

// An action's input it takes over: its stack slot no longer owns it.
inline void* Take(SemVal& slot) {
  void* p = slot.p;
  slot = None();
  return p;
}

inline ExprNode* TakeX(SemVal& slot) { return static_cast<ExprNode*>(Take(slot)); }

// A value an action made itself, freed unless the action hands it on.
class SemHold {
 public:
  explicit SemHold(SemVal v) : v_(v) {}
  ~SemHold() { SemFree(v_); }
  SemVal get() const { return v_; }
  SemVal release() {
    SemVal v = v_;
    v_ = None();
    return v;
  }
  SemHold(const SemHold&) = delete;
  SemHold& operator=(const SemHold&) = delete;

 private:
  SemVal v_;
};

// A list made for its first item: freed again when adding the item fails.
template <typename Add>
SemVal FirstOf(SemVal list, Add add) {
  SemHold hold(list);
  SemVal result = add(list);
  hold.release();
  return result;
}

// The inputs of the action running (its rule's symbols) freed before it gives up the parse.
inline void FreeRuleInputs(SemVal* top, int length) {
  for (int i = 0; i < length; ++i) SemFree(top[-i]);
}

// ---- the parse ----
int Line(GrammarEnv* env);
const char* LineText(GrammarEnv* env);  // the current line without its line end
ParserContext& Ctx(GrammarEnv* env);
int InternName(GrammarEnv* env, const char* name);
const char* IdText(GrammarEnv* env, const SemVal& ident);
void Deliver(GrammarEnv* env, SemVal entity);
void DeliverSyntaxError(GrammarEnv* env);
void Stash(GrammarEnv* env, const XException& e);

// An action whose construction may throw a parser exception: the exception is kept and
// the parse abandoned; GrammarParse throws it once the stack is cleaned up.
#define GUARD(stmt)               \
  try {                           \
    stmt;                         \
  } catch (const XException& e) { \
    Stash(env, e);                \
    FreeRuleInputs(yyvsp, yylen); \
    YYABORT;                      \
  }

// ---- expressions (exprbuild.cpp) ----
SemVal Binary(int op, SemVal left, SemVal right);
SemVal Negate(SemVal operand);
SemVal StringLiteral(SemVal text);
SemVal MeCall(SemVal args);
SemVal Pair(ExprNode* lower, ExprNode* upper);
SemVal AddBound(SemVal list, SemVal pair);
SemVal CaseItem(int type, SemVal e1, SemVal e2);
SemVal AddCase(SemVal list, SemVal item);
SemVal NewPrintList();
SemVal AddPrintItem(SemVal list, int sepBefore, SemVal item);
SemVal EndPrintList(SemVal list, int sep);

// ---- statements and declarations (grammarbuild.cpp) ----
SemVal Terminator(GrammarEnv* env, PEType type);
SemVal MakeComment(GrammarEnv* env, SemVal text, int keywordForm);
SemVal AddStmt(SemVal list, SemVal stmt);
SemVal FirstStmt(SemVal stmt);
SemVal Assign(GrammarEnv* env, int kind, SemVal& target, SemVal& value);
SemVal CallStmt(GrammarEnv* env, int kind, SemVal& ref, SemVal* args);
SemVal MakePrint(GrammarEnv* env, SemVal* target, SemVal* list);
SemVal MakeRedim(GrammarEnv* env, int preserve, SemVal& var, SemVal& bounds);
SemVal MakeSimpleIf(GrammarEnv* env, SemVal& cond, SemVal& thenList, SemVal* elseList);
SemVal MakeElse(GrammarEnv* env, SemVal* cond, SemVal* list);
SemVal MakeCatch(GrammarEnv* env, SemVal var, SemVal args);
SemVal MakeTypeDecl(GrammarEnv* env, SemVal name, SemVal* base);
// A statement node inside its entity: the node is freed again when the entity cannot be
// made. Give it its expression with TakeX, so that the slot lets go of it only once the
// node holds it.
template <typename E, typename S>
SemVal WrapStmt(GrammarEnv* env, S* stmt) {
  std::unique_ptr<S> hold(stmt);
  E* e = new E(Line(env), stmt);
  hold.release();
  return Entity(e);
}
SemVal MakeVar(GrammarEnv* env, SemVal ident, unsigned flags, BoundsList* bounds);
SemVal AddName(SemVal list, SemVal var);
SemVal MakeGroup(SemVal names, SemVal info);
SemVal AddGroup(SemVal list, SemVal group);
SemVal AddConst(GrammarEnv* env, SemVal list, SemVal ident, SemVal value);
SemVal MakeFunction(GrammarEnv* env, int modifier, SemVal ident, SemVal args, SemVal ret);
SemVal MakeSub(GrammarEnv* env, int modifier, SemVal ident, SemVal args);
SemVal MakeDeclare(GrammarEnv* env, SemVal ident, SemVal lib, SemVal alias, SemVal args, SemVal* ret);
SemVal MakeProperty(GrammarEnv* env, SemVal ident, SemVal get, SemVal set, SemVal info);
SemVal MakeEvent(GrammarEnv* env, SemVal ident, SemVal args, int kind);
