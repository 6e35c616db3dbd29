// Basic procedures and functions: frames, argument passing, results.
#include "store/procfield.h"

#include <new>
#include <memory>

#include "interp.h"
#include "proccode.h"
#include "regcode.h"
#include "store/field_array.h"
#include "store/interobj.h"
#include "store/types.h"
#include "store/value.h"

InterProcField::InterProcField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks,
                               DeadSource& dead)
    : InterProcField(name, ids, blocks, nullptr, dead) {}

InterProcField::InterProcField(const char* name, const char* text) : InterProcField(name, nullptr, text) {}

InterProcField::InterProcField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks,
                               Field* resultField, DeadSource& dead)
    : MethodField(name, resultField ? resultField->typeCode() : 0,
                  resultField ? resultField->className() : ""),
      code_(new ProcCode(ids, &blocks)),
      result_(resultField),
      dead_(dead) {}

InterProcField::InterProcField(const char* name, Field* resultField, const char* text)
    : MethodField(name, resultField ? resultField->typeCode() : 0,
                  resultField ? resultField->className() : ""),
      code_(nullptr),
      result_(resultField),
      text_(text ? text : "") {}

InterProcField::~InterProcField() {
  delete code_;
  for (Field* a : args_) delete a;
  delete result_;
}

void InterProcField::addArgument(Field* arg) {
  UTILS_ASSERT(arg);
  args_.push_back(arg);
  if (code_) code_->invalidate();
}

int InterProcField::frameKind() const { return FRM_PROCEDURE; }

int InterProcField::executableLineAt(int line) const { return code_ ? code_->lineAtOrAfter(line) : -1; }

RWCString InterProcField::paramText() const {
  std::string t = "(";
  for (size_t i = 0; i < args_.size(); ++i) {
    Field* a = args_[i];
    if (i) t += ", ";
    if (FieldByValue(a) && !a->isArrayData()) t += "ByVal ";
    t += a->name();
    if (a->isArrayData()) t += "()";
    unsigned char type = a->isArrayData() ? static_cast<ArrayField*>(a)->elementType() : a->typeCode();
    t += " As ";
    t += (type == kTypeObject && a->className() && *a->className()) ? a->className()
                                                                    : IdTypeString(type).string();
  }
  t += ")";
  if (result_) {
    t += " As ";
    t += IdTypeString(result_->typeCode()).string();
  }
  return RWCString(t.c_str());
}

void InterProcField::call(StackFrame* caller, InterObjRep* self, ArgPass* args, int n, ValueCell* result) {
  if (!code_ && !text_.empty() && compileOnCall_) {
    compileOnCall_ = false;  // one attempt: a text that fails stays uncompilable
    compileFromText();
  }
  if (!code_)
    throw StoreException(
        ("The procedure '" + std::string(name()) + "' cannot run: its text did not compile.").c_str());
  if (!code_->linked()) code_->link(&args_, result_, name());
  if (n != (int)args_.size()) {
    StoreException e(WrongArgumentCountText(name(), (int)args_.size(), n));
    if (caller) AnnotateException(e, *caller);
    throw e;
  }
  // self lives while its method runs: the caller's own object is kept by the caller.
  Faultp<InterObjRep> keep(caller && self == caller->me ? nullptr : self, tIndirectReference);
  StackFrame f;
  f.kind = frameKind();
  f.me = self;
  f.proc = this;
  f.procName = name();
  FrameScope scope(f, *code_);
  RunAnnotated(f, [&] {
    for (int i = 0; i < n; ++i) {
      if (args[i].byRef) {
        f.vars[i] = args[i].cell;
      } else {
        ValueCell& dst = *f.vars[i];
        const ValueCell& src = *args[i].cell;
        if (src.type == dst.type && !src.holdsCount())
          dst = src;  // a number of the parameter's own type
        else
          CellStore(dst, src);
      }
    }
  });
  run(f, result);
}

bool InterProcField::callDirect(StackFrame& caller, InterObjRep* self, Cid* call, ValueCell* result) {
  enum { kMaxDirect = 16 };
  const int n = call ? (int)call->argCount() : 0;
  if (!code_ || !code_->linked() || n != (int)args_.size() || n > kMaxDirect) return false;
  // By-reference arguments that are local variables of the parameter's type are passed
  // as themselves; anything that would need writing back after the call (a variable of
  // another type, a member, an element) takes the general path.
  ValueCell* alias[kMaxDirect];
  for (int i = 0; i < n; ++i) {
    alias[i] = nullptr;
    ExprNode* e = call->arg((size_t)i);
    const SlotInfo& param = code_->slot(i);
    if (param.byValue || e->isParenthesised()) continue;
    switch (e->type()) {
      case EXPR_SID: {
        Sid* s = static_cast<Sid*>(e);
        if (s->bind != BIND_SLOT) return false;
        ValueCell* v = caller.vars[s->slot];
        if (v->type != param.type && !IsArrayType(v->type)) return false;
        alias[i] = v;
        break;
      }
      case EXPR_CID:
      case EXPR_MID:
        return false;
      default:
        break;  // a value: the callee works on a copy
    }
  }
  StackFrame f;
  f.kind = frameKind();
  f.me = self;
  f.proc = this;
  f.procName = name();
  // The arguments are evaluated in the caller's frame, straight into the new frame's
  // cells, before the new frame goes on the stack.
  FrameScope scope(f, *code_, FrameScope::kEnterLater);
  for (int i = 0; i < n; ++i) {
    if (alias[i]) {
      f.vars[i] = alias[i];
      continue;
    }
    ValueCell& dst = *f.vars[i];
    ValueCellVar v;
    call->arg((size_t)i)->eval(caller, v.c);
    if (code_->slot(i).byValue) {
      if (v.c.type == dst.type && !v.c.holdsCount())
        dst = v.c;
      else
        CellStore(dst, v.c);
    } else {
      if (v.c.type != code_->slot(i).type) CellConvertForParam(v.c, args_[(size_t)i]);
      dst.moveFrom(v.c);
    }
  }
  scope.enter();
  // self lives while its method runs: the caller's own object is kept by the caller.
  Faultp<InterObjRep> keep(self == caller.me ? nullptr : self, tIndirectReference);
  run(f, result);
  return true;
}

// Runs a procedure's body in its frame, as typed code when it compiles; errors get the
// frame's line.
void RunProcBody(ProcCode* code, StackFrame& f) {
  RunAnnotated(f, [code, &f] {
    if (BlockRep* outer = code->outer()) {
      RegCode*& typed = code->typed();
      if (!typed) typed = RegCode::compileBlock(f, outer);
      if (typed != RegCode::none())
        typed->execLoop(f);
      else
        outer->exec(f);
    }
  });
}

void InterProcField::run(StackFrame& f, ValueCell* result) {
  RunProcBody(code_, f);
  if (result) {
    int rs = code_->resultSlot();
    if (rs >= 0)
      result->moveFrom(*f.vars[rs]);
    else {
      result->clear();
      result->type = kTypeNoValue;
    }
  }
}

Value* InterProcField::invoke(InterObjRep& self, ValueList* args, int) {
  int n = args ? args->entries() : 0;
  std::unique_ptr<ValueCell[]> cells(new ValueCell[(size_t)n + 1]);
  std::unique_ptr<ArgPass[]> passes(new ArgPass[(size_t)n + 1]);
  std::unique_ptr<bool[]> writeBack(new bool[(size_t)n + 1]());
  for (int i = 0; i < n; ++i) cells[i].init();
  struct Clear {
    ValueCell* c;
    int n;
    ~Clear() {
      for (int i = 0; i < n; ++i) c[i].clear();
    }
  } clear{cells.get(), n};
  for (int i = 0; i < n; ++i) {
    Value* v = (*args)[i];
    Field* param = i < (int)args_.size() ? args_[(size_t)i] : nullptr;
    ArgPass& p = passes[i];
    p.expr = nullptr;
    p.byRef = false;
    ValueCell* var = v ? CellRefValueCell(v) : nullptr;
    if (var && !FieldByValue(param) && (var->type == FieldCellType(param) || IsArrayType(var->type))) {
      p.cell = var;
      p.byRef = true;
      continue;
    }
    CellFromValue(cells[i], v);
    p.cell = &cells[i];
    if (param && !FieldByValue(param)) {
      CellConvertForParam(cells[i], param);
      p.byRef = true;
      writeBack[i] = true;
    }
  }
  ValueCellVar res;
  call(ExecutionStack::top(), &self, passes.get(), n, result_ ? &res.c : nullptr);
  // By-reference parameters write back into the caller's values (IndirectValues reach
  // the caller's variables).
  for (int i = 0; i < n && i < (int)args_.size(); ++i) {
    if (!writeBack[i] || !(*args)[i]) continue;
    try {
      ValueFromCellWrite(*(*args)[i], cells[i]);
    } catch (TypeMismatch&) {
      // a read-only value: nothing to write back
    }
  }
  if (!result_) return nullptr;
  return CountedResult(CellToValue(res.c));
}

// --- InterFuncField ---------------------------------------------------------------------

InterFuncField::InterFuncField(const char* name, IdDynamicVector& ids, BlockDynamicVector& blocks,
                               Field* resultField, DeadSource& dead)
    : InterProcField(name, ids, blocks, resultField, dead) {}

InterFuncField::InterFuncField(const char* name, Field* resultField, const char* text)
    : InterProcField(name, resultField, text) {}

InterFuncField::~InterFuncField() {}

int InterFuncField::resultType() const { return result_ ? result_->typeCode() : 0; }
int InterFuncField::frameKind() const { return FRM_FUNCTION; }
