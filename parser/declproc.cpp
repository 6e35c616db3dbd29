// Procedure, event, property and external declarations, and catch clauses.
#include "declproc.h"

#include <memory>

#include "context.h"
#include "driver.h"
#include "messages.h"
#include "parseexcept.h"
#include "store/block.h"
#include "store/cdllfield.h"
#include "store/execctrl.h"
#include "store/evalable.h"
#include "store/execnode.h"
#include "store/exprnode.h"
#include "store/field_comp.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/procfield.h"
#include "store/signature.h"
#include "utils/xexception.h"

// ---- Sub and Function

ProcDecl::ProcDecl(int line, const char* text, int modifier, const char* name, VarGroupList* args)
    : Decl(line, text), modifier_(modifier), name_(name ? name : ""), args_(args ? args : new VarGroupList) {}

const char* ProcDecl::name() const { return "Procedure Definition"; }

void ProcDecl::addToBlock(BlockBuildRep*, ParserContext&) { utilsAssert("NULL", __FILE__, __LINE__); }

void ProcDecl::declareArguments(ParserContext& ctx, const std::function<void(Field*)>& add) {
  args_->apply(ctx, line_, true, false, [&](Field* f, VarRecord&) { add(f); });
}

int ProcDecl::readBody(ParserContext& ctx, DeadSourceList* ds, PEType terminator, const char* construct) {
  UTILS_ASSERT(ds);  // "deadSource"
  ds->add(0, text_, DeadSourceList::DECLARATION, 3);
  const int flag = isStatic() ? 1 : 0;
  BlockBuildRep* block = new BlockBuildRep(flag);
  block->ref();
  try {
    ParseDriver::ReadBody(ctx, block, ds, flag);
    PEntityRef end = ctx.nextEntity(terminator, ds);
    if (!end) {
      ParseDriver::ThrowPendingSyntaxError(ctx);
      throw ConstructError(ctx.currentLine(), construct, terminator, ctx.currentEntityName());
    }
    block->setLine(end->line());
  } catch (...) {
    block->unref();
    throw;
  }
  return ctx.closeBlock(block);
}

InterProcField* SubDecl::build(ParserContext& ctx, DeadSourceList* ds) {
  readBody(ctx, ds, PE_END_SUB, "Sub");
  DeadSource dead(ds->makeRep());
  InterProcField* proc = new InterProcField(name_.c_str(), ctx.ids(), ctx.blocks(), dead);
  try {
    declareArguments(ctx, [&](Field* f) { proc->addArgument(f); });
  } catch (...) {
    delete proc;
    throw;
  }
  return proc;
}

InterProcField* SubDecl::uncompilable(const char* text, ParserContext&) {
  return new InterProcField(name_.c_str(), text);
}

void ProcDecl::declareParams(CppProcField& field) {
  for (size_t g = 0; g < args_->size(); ++g) {
    VarDeclInfo& info = args_->info(g);
    for (size_t i = 0; i < args_->names(g).size(); ++i) {
      VarRecord& v = args_->names(g).at(i);
      unsigned char type = ResolveDeclType(v.suffix, info.type(), line_);
      if (v.flags & VarRecord::ARRAY) type = (unsigned char)(type | 0x20);
      const char* cls = info.className();
      field.addParam(v.name.c_str(), type, !(v.flags & VarRecord::BYVAL), cls ? cls : "");
    }
  }
}

Field* SubDecl::nativeField(const MemberFn& member, ParserContext&) {
  CppProcField* field = new CppProcField(IdString(name_.c_str()).c_str(), member);
  try {
    declareParams(*field);
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

FuncDecl::FuncDecl(int line, const char* text, int modifier, const char* name, unsigned char suffix,
                   VarGroupList* args, VarDeclInfo* ret)
    : ProcDecl(line, text, modifier, name, args),
      suffix_(suffix),
      ret_(ret ? ret : new VarDeclInfo(DT_NONE)) {}

unsigned char FuncDecl::returnType() const { return ResolveDeclType(suffix_, ret_->type(), line_); }

Field* FuncDecl::resultField(ParserContext& ctx) {
  VarRecord result("", returnType(), 0, nullptr);
  return ret_->makeField(result, line_, ctx);
}

InterProcField* FuncDecl::build(ParserContext& ctx, DeadSourceList* ds) {
  readBody(ctx, ds, PE_END_FUNCTION, "Function");
  std::unique_ptr<Field> result(resultField(ctx));  // the procedure's once it is made
  DeadSource dead(ds->makeRep());
  InterFuncField* proc = new InterFuncField(name_.c_str(), ctx.ids(), ctx.blocks(), result.get(), dead);
  result.release();
  try {
    declareArguments(ctx, [&](Field* f) { proc->addArgument(f); });
  } catch (...) {
    delete proc;
    throw;
  }
  return proc;
}

InterProcField* FuncDecl::uncompilable(const char* text, ParserContext& ctx) {
  std::unique_ptr<Field> result;
  try {
    result.reset(resultField(ctx));
  } catch (ParserException&) {
    result.reset(InterDataField::make("", DT_LONG, 2, nullptr));
  }
  InterProcField* proc = new InterFuncField(name_.c_str(), result.get(), text);
  result.release();
  return proc;
}

Field* FuncDecl::nativeField(const MemberFn& member, ParserContext&) {
  const char* cls = ret_->className();
  CppFuncField* field = new CppFuncField(name_.c_str(), member, returnType(), cls ? cls : "");
  try {
    declareParams(*field);
  } catch (...) {
    delete field;
    throw;
  }
  return field;
}

// ---- Event

EventDecl::EventDecl(int line, const char* text, const char* name, int kind)
    : MemberDecl(line, text), name_(name ? name : ""), kind_(kind) {}

const char* EventDecl::name() const { return "Event Declaration"; }

void EventDecl::addToBlock(BlockBuildRep*, ParserContext&) {
  throw ParserException(PMSG_EVENT_IN_BLOCK, line_, nullptr);
}

std::string EventDecl::parameterText() const {
  size_t open = text_.find('('), close = text_.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  return text_.substr(open, close - open + 1);
}

void EventDecl::declareOnto(InterObjRep& obj, ParserContext&) {
  InterObjRep* owner = nullptr;
  if (obj.findEventDef(name_.c_str(), &owner) && owner == &obj) obj.removeEventDef(name_.c_str());
  obj.addEventDef(new EventDef(name_.c_str(), kind_, parameterText().c_str(), 1));
}

void EventDecl::addToSignature(SignatureRep& sig) {
  SignatureRep* owner = nullptr;
  if (sig.findEventDef(name_.c_str(), &owner) && owner == &sig) sig.removeEventDef(name_.c_str());
  // Declared for a native class (ParseCppEvent): kind 1, written by no text file.
  sig.addEventDef(new EventDef(name_.c_str(), 1, parameterText().c_str(), 0));
}

// ---- Property

PropertyDecl::PropertyDecl(int line, const char* text, const char* name, unsigned char suffix,
                           const char* proc1, const char* proc2, VarDeclInfo* info)
    : MemberDecl(line, text),
      name_(name ? name : ""),
      proc1_(proc1 ? proc1 : ""),
      proc2_(proc2 ? proc2 : ""),
      suffix_(suffix),
      info_(info ? info : new VarDeclInfo(DT_NONE)) {}

const char* PropertyDecl::name() const { return "Procedural Property Definition"; }

Field* PropertyDecl::dataField(ParserContext&) {
  unsigned char type = ResolveDeclType(suffix_, info_->type(), line_);
  return InterProcDataField::make(name_.c_str(), type, info_->className(),
                                  proc2_.empty() ? nullptr : proc2_.c_str(), proc1_.c_str());
}

void PropertyDecl::addToBlock(BlockBuildRep* block, ParserContext& ctx) {
  block->addStaticField(dataField(ctx));
}

void PropertyDecl::declareOnto(InterObjRep& obj, ParserContext& ctx) { obj.addField(dataField(ctx), 0, 0); }

// ---- Declare

ProcDeclare::ProcDeclare(int line, const char* text, const char* name, const char* lib, const char* alias,
                         VarGroupList* args)
    : MemberDecl(line, text),
      name_(name ? name : ""),
      lib_(lib ? lib : ""),
      alias_(alias ? alias : ""),
      args_(args ? args : new VarGroupList) {}

const char* ProcDeclare::name() const { return "Procedure Declaration"; }

void ProcDeclare::declareArguments(ParserContext& ctx, const std::function<void(Field*)>& add) {
  args_->apply(ctx, line_, true, false, [&](Field* f, VarRecord&) { add(f); });
}

void ProcDeclare::addToBlock(BlockBuildRep* block, ParserContext& ctx) {
  block->addStaticField(dataField(ctx));
}

void ProcDeclare::declareOnto(InterObjRep& obj, ParserContext& ctx) { obj.addField(dataField(ctx), 0, 0); }

Field* SubDeclare::dataField(ParserContext& ctx) {
  CDLLProcField* field =
      new CDLLProcField(name_.c_str(), lib_.c_str(), alias_.empty() ? nullptr : alias_.c_str());
  declareArguments(ctx, [&](Field* f) { field->addArgument(f); });
  return field;
}

FuncDeclare::FuncDeclare(int line, const char* text, const char* name, unsigned char suffix, const char* lib,
                         const char* alias, VarGroupList* args, VarDeclInfo* ret)
    : ProcDeclare(line, text, name, lib, alias, args),
      suffix_(suffix),
      ret_(ret ? ret : new VarDeclInfo(DT_NONE)) {}

Field* FuncDeclare::dataField(ParserContext& ctx) {
  unsigned char type = ResolveDeclType(suffix_, ret_->type(), line_);
  CDLLFuncField* field =
      new CDLLFuncField(name_.c_str(), type, lib_.c_str(), alias_.empty() ? nullptr : alias_.c_str());
  declareArguments(ctx, [&](Field* f) { field->addArgument(f); });
  return field;
}

// ---- Catch

CatchDecl::CatchDecl(int line, const char* text, ExprNode* catchExpr, VarGroupList* vars)
    : Decl(line, text), catchExpr_(catchExpr), vars_(vars ? vars : new VarGroupList) {}

CatchDecl::~CatchDecl() { delete catchExpr_; }

const char* CatchDecl::name() const { return "Catch Clause"; }

CatchClause* CatchDecl::buildClause(ParserContext& ctx, DeadSourceList* ds, int flags) {
  if (ds) ds->add(line_, text_, DeadSourceList::DECLARATION, 3);
  BlockBuildRep* block = new BlockBuildRep(flags & 1);
  block->ref();
  try {
    // Declared before the body is read, so the body's statements find them.
    vars_->apply(ctx, line_, true, true, [&](Field* f, VarRecord&) { block->addArgumentVar(f); });
    ParseDriver::ReadBody(ctx, block, ds, flags);
  } catch (...) {
    block->unref();
    throw;
  }
  block->setLine(ctx.currentLine());
  int blockNo = ctx.closeBlock(block);
  ExprNode* expr = catchExpr_;
  catchExpr_ = nullptr;
  return new CatchClause(expr, blockNo);
}
