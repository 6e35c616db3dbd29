// The parse driver: block bodies, statement text, expression text, procedure text and
// module-level declarations.
#include "driver.h"

#include <cstdio>

#include "context.h"
#include "declproc.h"
#include "messages.h"
#include "parseexcept.h"
#include "store/block.h"
#include "store/evalable.h"
#include "store/procfield.h"
#include "store/storeexcept.h"
#include "store/ptrlist.h"
#include "utils/xexception.h"

DeadSourceRep* DeadSourceList::makeRep() const {
  PtrList<DSObj> list;
  for (const Piece& p : pieces_) list.append(new DSObj(p.position, p.text.c_str(), p.kind, p.trim));
  return new DeadSourceRep(list);
}

namespace ParseDriver {

static bool RecordedDeclaration(int type) {
  return type == PE_SIMPLE_VAR_DECL || type == PE_CONST_DECL || type == PE_PROPERTY_DECL ||
         type == PE_FUNC_DECLARE || type == PE_SUB_DECLARE;
}

void ThrowPendingSyntaxError(ParserContext& ctx) {
  ctx.peek();
  if (PSyntaxError* err = ctx.pendingSyntaxError()) err->raise();
}

// Compound statements read their bodies through ReadBody, so each open block is a level
// of recursion here, and later in linking, running and freeing the tree: a limit keeps a
// deep text from overflowing the stack anywhere.
enum { kMaxBlockNesting = 256 };
static thread_local int t_nesting = 0;

void ReadBody(ParserContext& ctx, BlockBuildRep* block, DeadSourceList* ds, int flags) {
  UTILS_ASSERT((BlockBuildRep*)block);
  const int firstLine = ctx.currentLine();
  struct Level {
    Level(ParserContext& c) {
      if (t_nesting >= kMaxBlockNesting) {
        char text[96];
        std::snprintf(text, sizeof text, "Blocks are nested too deeply (more than %d levels).",
                      int(kMaxBlockNesting));
        throw ParserException(text, c.currentLine(), nullptr);
      }
      ++t_nesting;
    }
    ~Level() { --t_nesting; }
  } level(ctx);
  // Declarations come first; a declaration after the first statement is left for the
  // caller, whose terminator check reports it. Store errors raised while building carry
  // the line of the entity that raised them.
  while (PEntityRef d = ctx.nextEntity(PE_MEMBER_DECL, ds)) {
    if (ds && RecordedDeclaration(d->getType()))
      ds->add(d->line() - firstLine, static_cast<Decl*>(d.get())->text(), DeadSourceList::DECLARATION, 3);
    try {
      d->addToBlock(block, ctx);
    } catch (const StoreException& e) {
      throw ParserException(e.text(), d->line(), nullptr);
    }
  }
  while (PEntityRef s = ctx.nextEntity(PE_STATEMENT, ds)) {
    ExecNode* node = nullptr;
    try {
      node = static_cast<PEntityStmt*>(s.get())->build(ctx, ds, flags);
    } catch (const StoreException& e) {
      throw ParserException(e.text(), s->line(), nullptr);
    }
    if (node) block->addExecNode(node);
  }
  ThrowPendingSyntaxError(ctx);
}

// After a whole text's body only the end of the text may follow: anything else (a
// stray End If, Next, Loop, Case ...) would otherwise be dropped without a word.
static void RequireEndOfText(ParserContext& ctx) {
  PEntity* e = ctx.peek();
  if (!e || e->getType() == PE_END_OF_TEXT) return;
  ThrowPendingSyntaxError(ctx);
  std::string text =
      std::string("Unexpected '") + ctx.currentEntityName() + "': no open block ends or continues here.";
  throw ParserException(text.c_str(), e->line(), nullptr);
}

EvalableBlock* BlockText(ParserContext& ctx, bool wantDeadSource) {
  DeadSourceList list;
  DeadSourceList* ds = wantDeadSource ? &list : nullptr;
  BlockBuildRep* block = new BlockBuildRep(0);
  block->ref();
  try {
    ctx.setCurrentLine(1);
    ReadBody(ctx, block, ds, 0);
    RequireEndOfText(ctx);
  } catch (...) {
    block->unref();
    throw;
  }
  block->setLine(ctx.currentLine());
  ctx.closeBlock(block);
  DeadSource dead = ds ? DeadSource(ds->makeRep()) : DeadSource();
  return new EvalableBlock(ctx.ids(), ctx.blocks(), dead);
}

EvalableExpr* ExpressionText(ParserContext& ctx) {
  PEntityRef e = ctx.nextEntity(PE_EXPRESSION);
  if (!e) {
    ThrowPendingSyntaxError(ctx);
    throw ParserException(PMSG_SYNTAX_ERROR, ctx.currentLine(), nullptr);
  }
  ExprNode* node = static_cast<PExpression*>(e.get())->takeNode();
  UTILS_ASSERT(node);
  return new EvalableExpr(node, ctx.ids());
}

static const char kNoText[] =
    "'  Member is an uncompilable procedure read from a Text file.\r\n\r\n"
    "'  No text is available.";

InterProcField* ProcedureText(ParserContext& ctx, const char* sourceText, InterProcField*& proc) {
  PEntityRef e = ctx.nextEntity(PE_PROC_DECL);
  if (!e) {
    ThrowPendingSyntaxError(ctx);
    if (PEntity* p = ctx.peek(); p && p->getType() == PE_END_OF_TEXT) ctx.nextEntity(PE_END_OF_TEXT);
    return nullptr;
  }
  ProcDecl* decl = static_cast<ProcDecl*>(e.get());
  try {
    ctx.setCurrentLine(1);
    DeadSourceList list;
    proc = decl->build(ctx, &list);
    UTILS_ASSERT(proc);
    // The store keeps a procedure's text (modules save it, the tools show it).
    if (sourceText) proc->setSourceText(sourceText);
  } catch (XAssert&) {
    throw;
  } catch (...) {
    proc = decl->uncompilable(sourceText ? sourceText : kNoText, ctx);
    throw;
  }
  return proc;
}

void DeclareOnto(ParserContext& ctx, InterObjRep& obj) {
  while (PEntityRef e = ctx.nextEntity(PE_MEMBER_DECL)) {
    try {
      static_cast<MemberDecl*>(e.get())->declareOnto(obj, ctx);
    } catch (const StoreException& x) {
      throw ParserException(x.text(), e->line(), nullptr);  // with its line
    }
  }
}

}  // namespace ParseDriver
