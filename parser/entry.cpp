// The exported entry points: each runs on the global context inside a scope that resets
// the context and gives the store its current module back however the call ends.
#include "parser/ovparse.h"

#include <sstream>
#include <string>
#include <vector>

#include "context.h"
#include "declproc.h"
#include "driver.h"
#include "messages.h"
#include "parseexcept.h"
#include "textobjreader.h"
#include "textobjwriter.h"
#include "store/groups.h"
#include "store/context.h"
#include "store/evalable.h"
#include "store/field_comp.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/procfield.h"
#include "store/signature.h"
#include "store/value.h"
#include "utils/xexception.h"

namespace {

const unsigned char kTemporaryModule = 254;

// Resets the global context on the way out, and puts the previous current module back
// when the call switched to the temporary module (also after an exception, so that a
// syntax error does not leave the store in module 254).
class ParseScope {
 public:
  explicit ParseScope(bool temporaryModule) {
    if (temporaryModule) {
      previous_ = ObjectStore::OpenModule(kTemporaryModule);
      switched_ = true;
    }
  }
  ~ParseScope() {
    try {
      GlobalParserContext().reset(0);
    } catch (...) {
    }
    if (switched_) ObjectStore::OpenModule(previous_);
  }
  ParseScope(const ParseScope&) = delete;
  ParseScope& operator=(const ParseScope&) = delete;

 private:
  unsigned char previous_ = 0;
  bool switched_ = false;
};

bool Empty(const char* text) { return !text || !*text; }

// The requested entity, or the pending syntax error, or ParserException(messageId).
PEntityRef Require(ParserContext& ctx, int kind, ParserMessageId messageId) {
  PEntityRef e = ctx.nextEntity(kind);
  if (e) return e;
  ParseDriver::ThrowPendingSyntaxError(ctx);
  throw ParserException(messageId, ctx.currentLine(), nullptr);
}

}  // namespace

EvalableExpr* ParserGetEvalableExpression(const char* text, int) {
  if (Empty(text)) return nullptr;
  ParseScope scope(true);
  std::string wrapped = std::string("{ ") + text + " }\n";
  std::istringstream in(wrapped);
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, text);
  return ParseDriver::ExpressionText(ctx);
}

EvalableBlock* ParserGetEvalableBlock(const char* text, int) {
  if (Empty(text)) return nullptr;
  ParseScope scope(true);
  std::istringstream in(text);
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, text);
  return ParseDriver::BlockText(ctx, false);
}

void ParserExecuteExpression(const char* text, InterObj& obj) {
  // Empty text compiles to no expression: nothing to run.
  EvalableExpr* expr = ParserGetEvalableExpression(text, 0);
  if (!expr) return;
  try {
    Context context(obj, 1);
    Value* v = expr->eval(context, 0);
    if (v) v->unref();
  } catch (...) {
    delete expr;
    throw;
  }
  delete expr;
}

void ParserParseProcedure(InterProcField*& proc, char* text) {
  ParseScope scope(false);
  ParserContext& ctx = GlobalParserContext();
  std::istringstream in(text ? text : "");
  if (text) ctx.start(&in, text);
  proc = nullptr;
  if (!ParseDriver::ProcedureText(ctx, text, proc)) {
    ParseDriver::ThrowPendingSyntaxError(ctx);
    throw ParserException(PMSG_NO_PROCEDURE, ctx.currentLine(), nullptr);
  }
  UTILS_ASSERT(proc);
}

void ParserCompileProcedure(InterProcField*& proc, char* text) {
  UTILS_ASSERT(text);
  ParserParseProcedure(proc, text);
}

void ParserReset(int full) { GlobalParserContext().reset(full); }

void ParserParseCppField(const char* decl, SignatureRep& sig, const MemberFn& member) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_PROC_DECL, PMSG_NO_PROCEDURE);
  Field* field = static_cast<ProcDecl*>(e.get())->nativeField(member, ctx);
  UTILS_ASSERT(field);  // "proc"
  sig.addField(field, nullptr, 0);
}

void ParserParseCppEvent(const char* decl, SignatureRep& sig) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_EVENT_DECL, PMSG_NO_EVENT);
  static_cast<EventDecl*>(e.get())->addToSignature(sig);
}

void ParserParseEvent(const char* decl, InterObj& obj) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_EVENT_DECL, PMSG_NO_EVENT);
  UTILS_ASSERT(!obj.isNull());
  static_cast<EventDecl*>(e.get())->declareOnto(*obj.get(), ctx);
}

Field* ParserParseProperty(const char* decl) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_PROPERTY_DECL, PMSG_NO_PROPERTY);
  return static_cast<PropertyDecl*>(e.get())->dataField(ctx);
}

Field* ParserParseDeclare(const char* decl) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_PROC_DECLARE, PMSG_NO_DECLARE);
  return static_cast<ProcDeclare*>(e.get())->dataField(ctx);
}

Field* ParserParseInterDataField(const char* decl) {
  ParseScope scope(false);
  std::istringstream in(decl ? decl : "");
  ParserContext& ctx = GlobalParserContext();
  ctx.start(&in, decl);
  PEntityRef e = Require(ctx, PE_SIMPLE_VAR_DECL, PMSG_NO_DECLARATION);
  return static_cast<SimpleVarDecl*>(e.get())->dataField(ctx);
}

void ParserStart(std::istream* in) { GlobalParserContext().start(in, nullptr); }

short ParserGetToken(int& start, int& end) { return GlobalParserContext().nextToken(start, end); }

int ParserReadTextObjectFile(const char* file, InterObj& group, int run) {
  return TextObjectReader(file, group.get(), run).read();
}

int ParserReadTextObjects(const char* file, InterObjRep* group, int run) {
  return TextObjectReader(file, group, run).read();
}

void ParserWriteTextObjects(const char* file, int append, InterObjRep* group) {
  iGroup* g = iGroup::Native(group);
  if (!g) utilsAssert("list", __FILE__, __LINE__);
  std::vector<InterObjRep*> objects;
  for (const CountedIndirectInterObj& r : g->members()) objects.push_back(r.get());
  TextObjectWriter(objects).write(file, append);
}

void ParserWriteTextObjectsFile(const char* file, int append, InterObj& group) {
  ParserWriteTextObjects(file, append, group.get());
}

void ParserWriteTextObjectFile(const char* file, int append, InterObj& obj) {
  std::vector<InterObjRep*> objects{obj.get()};
  TextObjectWriter(objects).write(file, append);
}
