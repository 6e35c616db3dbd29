// Grammar actions that build parsed entities (statements, clauses, terminators and
// declarations), and the stack values' bookkeeping.
#include "grammarbuild.h"

#include <cstring>

// ---- stack values ----------------------------------------------------------------------

void SemFree(SemVal& v) {
  switch (v.kind) {
    case SV_TEXT:
      delete[] v.text;
      break;
    case SV_PAIR:
      delete static_cast<PtrPair<ExprNode, ExprNode>*>(v.p);
      break;
    case SV_SID:
    case SV_CID:
    case SV_EXPR:
      delete X(v);
      break;
    case SV_CASELIST:
      delete CaseList(v);
      break;
    case SV_PAIRLIST:
      delete Bounds(v);
      break;
    case SV_PRINTITEM:
      delete static_cast<PrintItem*>(v.p);
      break;
    case SV_ENTITY:
      if (v.p) static_cast<PEntity*>(v.p)->release();
      break;
    case SV_PRINTLIST: {
      PrintListValue* pl = static_cast<PrintListValue*>(v.p);
      if (pl) delete pl->items;
      delete pl;
      break;
    }
    case SV_VARGROUPS:
      delete Groups(v);
      break;
    case SV_VARNAMES:
      delete static_cast<VarNameList*>(v.p);
      break;
    case SV_VARRECORD:
      delete static_cast<VarRecord*>(v.p);
      break;
    case SV_DECLINFO:
      delete static_cast<VarDeclInfo*>(v.p);
      break;
    case SV_CONSTLIST:
      delete Consts(v);
      break;
    case SV_CASEITEM:
      delete static_cast<ECaseClauseBase*>(v.p);
      break;
    case SV_GROUP: {
      GroupValue* g = static_cast<GroupValue*>(v.p);
      if (g) {
        delete g->names;
        delete g->info;
      }
      delete g;
      break;
    }
  }
  v.kind = SV_NONE;
  v.p = nullptr;
}

// ---- the parse -------------------------------------------------------------------------

void GrammarStart(GrammarState& gs, Lexer& lex, std::istream* in) {
  if (gs.inUse) utilsAssert("!parserInUse", __FILE__, __LINE__);
  gs.errorCount = 0;
  gs.lastError_.reset();
  lex.start(in);
  gs.inUse = true;
}

void GrammarReset(GrammarState& gs, Lexer& lex, int full) {
  gs.inUse = false;
  gs.lastError_.reset();  // thrown by now, if it was to be
  lex.reset(full);
}

int Line(GrammarEnv* env) { return env->lex->lineNumber(); }

const char* LineText(GrammarEnv* env) {
  std::string& s = env->lineCopy;
  s = env->lex->lineText();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s.c_str();
}

ParserContext& Ctx(GrammarEnv* env) {
  UTILS_ASSERT(env->ctx);
  return *env->ctx;
}

int InternName(GrammarEnv* env, const char* name) { return env->lex->ids().stringIndex(name); }

const char* IdText(GrammarEnv* env, const SemVal& ident) { return env->lex->ids().text(ident.id.index); }

void Deliver(GrammarEnv* env, SemVal entity) {
  UTILS_ASSERT(entity.kind == SV_ENTITY && entity.p);
  if (env->result) env->result->release();
  env->result = static_cast<PEntity*>(entity.p);  // the stack value's reference moves
}

// Recovery reduces "error" once per token it skips; every time the entity is the first
// error of the parse.
void DeliverSyntaxError(GrammarEnv* env) {
  std::unique_ptr<SyntaxError> error(env->error ? new SyntaxError(*env->error)
                                                : new SyntaxError(env->lex->absLineNumber(), 0, -1,
                                                                  env->lex->readPos(), env->lex->lineText()));
  PEntity* e = new PSyntaxError(error.get());
  error.release();
  Deliver(env, Entity(e));
}

void Stash(GrammarEnv* env, const XException& e) {
  if (!env->pending) env->pending = e.Clone();
}

// ---- statements and clauses ------------------------------------------------------------

SemVal Terminator(GrammarEnv* env, PEType type) { return Entity(new InterCons(type, Line(env))); }

// keywordForm: 1 for the comment keyword, 0 for an apostrophe.
SemVal MakeComment(GrammarEnv* env, SemVal text, int keywordForm) {
  SemVal e = Entity(new Comment(Line(env), text.kind == SV_TEXT ? text.text : "", keywordForm));
  if (text.kind == SV_TEXT) delete[] text.text;
  return e;
}

SemVal AddStmt(SemVal list, SemVal stmt) {
  static_cast<StmtList*>(list.p)->add(static_cast<PEntity*>(stmt.p));
  SemFree(stmt);  // the list holds its own reference
  return list;
}

SemVal FirstStmt(SemVal stmt) {
  return FirstOf(Entity(new StmtList), [&](SemVal list) { return AddStmt(list, stmt); });
}

SemVal Assign(GrammarEnv* env, int kind, SemVal& target, SemVal& value) {
  int line = Line(env);
  return WrapStmt<PAssignment>(env, new Assignment(line, kind, TakeX(target), TakeX(value)));
}

// "name args": the reference becomes a call carrying the arguments; with none it stays as
// it is and the statement calls it without arguments.
SemVal CallStmt(GrammarEnv* env, int kind, SemVal& ref, SemVal* args) {
  Cid* cid = args && args->kind == SV_CID ? ArgList(*args) : nullptr;
  ExprNode* node = X(ref);
  if (cid && cid->argCount() > 0) {
    node = node->convertToComplex(cid);  // the arguments join the reference
    Take(*args);
  }
  Take(ref);
  std::unique_ptr<ExprNode> hold(node);
  FunctionCallStmt* call = new FunctionCallStmt(Line(env), node, (unsigned char)kind);
  hold.release();
  SemVal e = WrapStmt<PFunctionCallStmt>(env, call);
  if (args) SemFree(*args);  // an empty argument list
  return e;
}

SemVal MakePrint(GrammarEnv* env, SemVal* target, SemVal* list) {
  PrintListValue* pl = list && list->kind == SV_PRINTLIST ? static_cast<PrintListValue*>(list->p) : nullptr;
  std::unique_ptr<PtrList<PrintItem>> empty(pl ? nullptr : new PtrList<PrintItem>);
  PEntity* e = new PPrint(Line(env), target ? X(*target) : nullptr, pl ? pl->last : PRINT_END_OF_LINE,
                          pl ? pl->items : empty.release());
  if (target) Take(*target);
  if (pl) {
    delete static_cast<PrintListValue*>(Take(*list));  // its items are the statement's now
  }
  return Entity(e);
}

SemVal MakeRedim(GrammarEnv* env, int preserve, SemVal& var, SemVal& bounds) {
  Sid* name = static_cast<Sid*>(var.p);
  UTILS_ASSERT(var.kind == SV_SID && name);
  int line = Line(env);
  RedimStmt* redim = new RedimStmt(line, *name, Bounds(bounds), preserve);  // copies the name
  Take(bounds);
  SemFree(var);
  return WrapStmt<PRedimStmt>(env, redim);
}

namespace {

// A one-line If's or an Else line's statements as a block (null without a list).
struct ListBlock {
  BlockBuildRep* block = nullptr;
  ListBlock(GrammarEnv* env, SemVal* list) {
    if (list && list->kind == SV_ENTITY) block = static_cast<StmtList*>(list->p)->toBlock(Ctx(env));
  }
  ~ListBlock() {
    if (block) block->unref();
  }
  BlockBuildRep* release() {
    BlockBuildRep* b = block;
    block = nullptr;
    return b;
  }
};

}  // namespace

// A one-line If: its statements become blocks at once.
SemVal MakeSimpleIf(GrammarEnv* env, SemVal& cond, SemVal& thenList, SemVal* elseList) {
  ListBlock thenBlock(env, &thenList), elseBlock(env, elseList);
  UTILS_ASSERT(X(cond) && thenBlock.block);
  PEntity* e = new PSimpleIfThen(Line(env), X(cond), thenBlock.block, elseBlock.block);
  Take(cond);
  thenBlock.release();
  elseBlock.release();
  SemFree(thenList);
  if (elseList) SemFree(*elseList);
  return Entity(e);
}

// ElseIf cond Then [statements], or Else [statements] (no condition).
SemVal MakeElse(GrammarEnv* env, SemVal* cond, SemVal* list) {
  ListBlock block(env, list);
  PEntity* e = new PElseIf(Line(env), cond ? X(*cond) : nullptr, block.block);
  if (cond) Take(*cond);
  block.release();
  if (list) SemFree(*list);
  return Entity(e);
}

SemVal MakeCatch(GrammarEnv* env, SemVal var, SemVal args) {
  return Entity(new CatchDecl(Line(env), LineText(env), X(var), Groups(args)));
}

// ---- declarations ----------------------------------------------------------------------

SemVal MakeTypeDecl(GrammarEnv* env, SemVal name, SemVal* base) {
  std::unique_ptr<ExprNode> nameExpr(new Sid(name.id.index, name.id.suffix));
  SemVal e = Entity(
      new ComplexVarDecl(Ctx(env), Line(env), LineText(env), nameExpr.get(), base ? X(*base) : nullptr, 0));
  if (base) SemFree(*base);
  return e;
}

SemVal MakeVar(GrammarEnv* env, SemVal ident, unsigned flags, BoundsList* bounds) {
  return Value(SV_VARRECORD, new VarRecord(IdText(env, ident), ident.id.suffix, flags, bounds));
}

SemVal AddName(SemVal list, SemVal var) {
  static_cast<VarNameList*>(list.p)->add(static_cast<VarRecord*>(var.p));
  return list;
}

SemVal MakeGroup(SemVal names, SemVal info) {
  return Value(SV_GROUP,
               new GroupValue{static_cast<VarNameList*>(names.p), static_cast<VarDeclInfo*>(info.p)});
}

SemVal AddGroup(SemVal list, SemVal group) {
  GroupValue* g = static_cast<GroupValue*>(group.p);
  Groups(list)->add(g->names, g->info);
  delete g;
  return list;
}

// The declared type of a constant is its name's suffix.
SemVal AddConst(GrammarEnv* env, SemVal list, SemVal ident, SemVal value) {
  Consts(list)->add(IdText(env, ident), ident.id.suffix, X(value));
  return list;
}

SemVal MakeFunction(GrammarEnv* env, int modifier, SemVal ident, SemVal args, SemVal ret) {
  return Entity(new FuncDecl(Line(env), LineText(env), modifier, IdText(env, ident), ident.id.suffix,
                             Groups(args), static_cast<VarDeclInfo*>(ret.p)));
}

SemVal MakeSub(GrammarEnv* env, int modifier, SemVal ident, SemVal args) {
  return Entity(new SubDecl(Line(env), LineText(env), modifier, IdText(env, ident), Groups(args)));
}

// Declare Function/Sub name Lib "library" [Alias "alias"] (args) [As type]; ret is null
// for a Sub.
SemVal MakeDeclare(GrammarEnv* env, SemVal ident, SemVal lib, SemVal alias, SemVal args, SemVal* ret) {
  const char* aliasText = alias.kind == SV_TEXT ? alias.text : nullptr;
  PEntity* e;
  if (ret)
    e = new FuncDeclare(Line(env), LineText(env), IdText(env, ident), ident.id.suffix, lib.text, aliasText,
                        Groups(args), static_cast<VarDeclInfo*>(ret->p));
  else
    e = new SubDeclare(Line(env), LineText(env), IdText(env, ident), lib.text, aliasText, Groups(args));
  delete[] lib.text;
  if (alias.kind == SV_TEXT) delete[] alias.text;
  return Entity(e);
}

// Property name Get getter [Set setter] [As type]: the access procedures in source order.
SemVal MakeProperty(GrammarEnv* env, SemVal ident, SemVal get, SemVal set, SemVal info) {
  std::string getter = IdText(env, get);
  std::string setter = set.kind == SV_ID ? IdText(env, set) : "";
  return Entity(new PropertyDecl(Line(env), LineText(env), IdText(env, ident), ident.id.suffix,
                                 getter.c_str(), set.kind == SV_ID ? setter.c_str() : nullptr,
                                 static_cast<VarDeclInfo*>(info.p)));
}

// The event keeps its header text (its parameters are read from it); kind is the type
// of an As clause, 0 without one.
SemVal MakeEvent(GrammarEnv* env, SemVal ident, SemVal args, int kind) {
  SemVal e = Entity(new EventDecl(Line(env), LineText(env), IdText(env, ident), kind));
  SemFree(args);
  return e;
}
