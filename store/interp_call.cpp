// Members, method calls, events and array elements, as the name nodes use them.
#include <memory>
#include <typeinfo>

#include "interp.h"
#include "store/field.h"
#include "store/field_array.h"
#include "store/field_data.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/procfield.h"
#include "store/signature.h"
#include "store/value.h"

namespace {

// A variable seen as a Value: reads give the cell's value, writes store into the cell
// with the variable's type rules. Native methods and event handlers get these for
// arguments that are variables, so by-reference changes land in the variable.
class CellRefValue : public Value {
 public:
  explicit CellRefValue(ValueCell* cell) : cell_(cell) {}
  unsigned char type() const override { return cell_->type; }
  void getCell(ValueCell& out) override { out.copyFrom(*cell_); }
  Value& operator=(Value& src) override {
    ValueCellVar c;
    src.getCell(c.c);
    CellStore(*cell_, c.c);
    return *this;
  }
  void get(InterObj& v) override {
    if (cell_->type != kTypeObject) throw TypeMismatch("object argument");
    v = InterObj(cell_->obj.rep);
  }
  void set(short v) override {
    store([&](ValueCell& c) { c.setShort(v); });
  }
  void set(long v) override {
    store([&](ValueCell& c) { c.setLong((int32_t)v); });
  }
  void set(float v) override {
    store([&](ValueCell& c) { c.setFloat(v); });
  }
  void set(double v) override {
    store([&](ValueCell& c) { c.setDouble(v); });
  }
  void set(const Currency& v) override {
    store([&](ValueCell& c) { c.setCurrency(v); });
  }
  void set(const ValString& v) override {
    store([&](ValueCell& c) { c.setString(v); });
  }
  void set(const InterObj& v) override {
    store([&](ValueCell& c) {
      if (v.isNull())
        c.setNothing();
      else
        c.setObject(v.get());
    });
  }
  ValueCell* cell() const { return cell_; }

 private:
  template <class F>
  void store(F fill) {
    ValueCellVar c;
    fill(c.c);
    CellStore(*cell_, c.c, c.c.type == kTypeObject ? 2 : 0);
  }
  ValueCell* cell_;
};

// Argument cells of one call, on the value stack.
struct ArgCells {
  explicit ArgCells(size_t n) : n_(n), mark_(ValueStack::mark()) {
    cells_ = static_cast<ValueCell*>(ValueStack::take(n * (sizeof(ValueCell) + sizeof(ArgPass))));
    passes_ = reinterpret_cast<ArgPass*>(cells_ + n);
    for (size_t i = 0; i < n; ++i) cells_[i].init();
  }
  ~ArgCells() {
    for (size_t i = 0; i < n_; ++i) cells_[i].clear();
    ValueStack::release(mark_);
  }
  ArgCells(const ArgCells&) = delete;
  ArgCells& operator=(const ArgCells&) = delete;
  size_t n_;
  ValueStack::Mark mark_;
  ValueCell* cells_;
  ArgPass* passes_;
};

// Whether a by-reference argument that is not a plain variable names a place the
// callee's changes can be written back to: a member data field or property, or an array
// element. Calls, constants and other expressions are passed as copies only.
bool WritableArgument(StackFrame& frame, ExprNode* e) {
  if (e->isParenthesised()) return false;
  Sid* s = nullptr;
  bool indexed = false;
  if (e->type() == EXPR_SID) {
    s = static_cast<Sid*>(e);
  } else if (e->type() == EXPR_CID) {
    Cid* c = static_cast<Cid*>(e);
    if (c->head() && c->head()->type() == EXPR_SID) s = static_cast<Sid*>(c->head());
    indexed = true;
  } else if (e->type() == EXPR_MID) {
    return static_cast<Mid*>(e)->member()->type() == EXPR_SID;
  }
  if (!s) return false;
  if (s->bind == BIND_SLOT) return true;  // a variable of another type, or an array element
  if (s->bind != BIND_NAME) return false;
  InterObjRep* owner = e->isDotted() ? frame.with ? frame.with->obj.rep : nullptr : frame.me;
  Field* f = owner ? owner->findField(s->name) : nullptr;
  if (!f || !f->isData() || f->hasFlag(Field::kReadOnly)) return false;
  return indexed == (f->isArrayData() != 0);
}

}  // namespace

Value* NewCellRefValue(ValueCell* cell) { return new CellRefValue(cell); }

ValueCell* CellRefValueCell(Value* v) {
  CellRefValue* r = dynamic_cast<CellRefValue*>(v);
  return r ? r->cell() : nullptr;
}

InterObjRep* WithObject(StackFrame& frame) {
  if (!frame.with) throw StoreException("A name starting with '.' is only allowed inside a With block.");
  InterObjRep* o = CellObject(*frame.with, "With");
  if (!o) throw StoreException("The object of the With block is Nothing.");
  return o;
}

ValueList* BuildArgList(StackFrame& frame, Cid* call) {
  ValueList* list = new ValueList;
  list->ref();
  try {
    size_t n = call ? call->argCount() : 0;
    for (size_t i = 0; i < n; ++i) {
      ExprNode* e = call->arg(i);
      ValueCell* var = e->isParenthesised() ? nullptr : e->ref(frame);
      if (var) {
        list->ppush(NewCellRefValue(var));
      } else {
        ValueCellVar c;
        e->eval(frame, c.c);
        list->ppush(CellToValue(c.c));
      }
    }
  } catch (...) {
    list->unref();
    throw;
  }
  return list;
}

void CallMethod(StackFrame& frame, InterObjRep* self, MethodField* m, Cid* call, ValueCell* result) {
  size_t n = call ? call->argCount() : 0;
  // Methods with Basic source of their own are this library's procedure fields.
  if (m->hasSource()) {
    InterProcField* ip = static_cast<InterProcField*>(m);
    if (ip->callDirect(frame, self, call, result)) return;
    ArgCells a(n);
    for (size_t i = 0; i < n; ++i) {
      ExprNode* e = call->arg(i);
      Field* param = (int)i < ip->parmCount() ? ip->argument((int)i) : nullptr;
      ArgPass& p = a.passes_[i];
      p.expr = nullptr;
      p.byRef = false;
      ValueCell* var = (FieldByValue(param) || e->isParenthesised()) ? nullptr : e->ref(frame);
      if (var && (var->type == FieldCellType(param) || IsArrayType(var->type))) {
        p.cell = var;
        p.byRef = true;
        continue;
      }
      e->eval(frame, a.cells_[i]);
      p.cell = &a.cells_[i];
      // A by-reference parameter given a property or a variable of another type: the
      // callee works on a copy (of the parameter's type) that is written back after the
      // call.
      if (param && !FieldByValue(param)) {
        CellConvertForParam(a.cells_[i], param);
        p.byRef = true;
        if (WritableArgument(frame, e)) p.expr = e;
      }
    }
    ip->call(&frame, self, a.passes_, (int)n, result);
    for (size_t i = 0; i < n; ++i)
      if (a.passes_[i].expr) a.passes_[i].expr->assign(frame, a.cells_[i], 0);
    return;
  }
  if (!self) throw StoreException("A method was called without an object.");
  ValueList* list = BuildArgList(frame, call);
  Value* r = nullptr;
  try {
    r = m->invoke(*self, list, 0);
  } catch (...) {
    list->unref();
    throw;
  }
  list->unref();
  if (result) CellFromValue(*result, r);
  if (r) r->unref();
}

void RaiseEvent(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call) {
  if (!obj) throw StoreException("An event was raised without an object.");
  ValueList* list = BuildArgList(frame, call);
  // evalIEvent holds the list while the handler runs; the count BuildArgList took is
  // ours to give back (it was left behind on every RaiseEvent).
  try {
    obj->evalIEvent(name, list, 1);
  } catch (...) {
    list->unref();
    throw;
  }
  list->unref();
}

int32_t ArrayOffset(StackFrame& frame, ArrayData* data, Cid* call) {
  size_t n = call ? call->argCount() : 0;
  if (n == 1 && data->bounds().size() == 1) {
    ExprNode* e = call->arg(0);
    if (e->type() == EXPR_SID && static_cast<Sid*>(e)->bind == BIND_SLOT) {
      const ValueCell& c = *frame.vars[static_cast<Sid*>(e)->slot];
      if (c.type == kTypeLong) return data->offsetOf1(c.l);
    }
    ValueCellVar c;
    e->eval(frame, c.c);
    return data->offsetOf1(c.c.type == kTypeLong ? c.c.l : c.c.type == kTypeShort ? c.c.s : CellToLong(c.c));
  }
  if (n == 0 || n > 8) throw StoreException(kMsgInvalidArgument, "index");
  if (n != data->bounds().size()) throw StoreException("Wrong number of dimensions in array index.");
  int32_t idx[8];
  for (size_t i = 0; i < n; ++i) {
    ExprNode* e = call->arg(i);
    if (e->type() == EXPR_SID && static_cast<Sid*>(e)->bind == BIND_SLOT) {
      // A local index is read where it is, without a copy.
      const ValueCell& c = *frame.vars[static_cast<Sid*>(e)->slot];
      idx[i] = c.type == kTypeShort ? c.s : c.type == kTypeLong ? c.l : CellToLong(c);
      continue;
    }
    ValueCellVar c;
    e->eval(frame, c.c);
    idx[i] = c.c.type == kTypeShort ? c.c.s : c.c.type == kTypeLong ? c.c.l : CellToLong(c.c);
  }
  return data->offsetOf(idx, (int)n);
}

void MemberGet(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call, ValueCell& out) {
  if (!obj) throw StoreException(kMsgNotFound, name);
  MemberGetField(frame, obj, obj->findField(name), name, call, out);
}

void MemberGetField(StackFrame& frame, InterObjRep* obj, Field* f, const char* name, Cid* call,
                    ValueCell& out) {
  if (!f) {
    int found = 0;
    ValueList* list = call ? BuildArgList(frame, call) : nullptr;
    Value* v = nullptr;
    try {
      v = obj->eval(name, call ? InterObjRep::kEvalCall : InterObjRep::kEvalGet, list, nullptr, &found);
    } catch (...) {
      if (list) list->unref();
      throw;
    }
    if (list) list->unref();
    if (!found) {
      if (v) v->unref();
      throw NotFound(name);
    }
    CellFromValue(out, v);
    if (v) v->unref();
    return;
  }
  if (f->isMethod()) {
    out.clear();
    out.type = kTypeNoValue;
    CallMethod(frame, obj, static_cast<MethodField*>(f), call, &out);
    return;
  }
  if (f->isArrayData()) {
    ArrayField* af = static_cast<ArrayField*>(f);
    ArrayData* d = af->data(*obj);
    if (call && call->argCount() > 0)
      ArrayGet(d, ArrayOffset(frame, d, call), out);
    else
      CellViewArray(out, d, af->elementType());
    return;
  }
  if (call && call->argCount() > 0) {
    // obj.Prop(args): an object-valued property whose object has a use with arguments
    // (a collection's index) answers through it.
    DataField* df = static_cast<DataField*>(f);
    ValuePtr held;
    if (df->isObjectRef()) held.adopt(df->get(*obj));
    InterObj o;
    if (held) held->get(o);
    IInterObj* native = o.is() ? o->ROCDataPtr(0) : nullptr;
    if (!native) throw StoreException(kMsgInvalidArgument, name);
    ValueList* list = BuildArgList(frame, call);
    int found = 0;
    Value* v = nullptr;
    try {
      v = native->eval(list, &found);
    } catch (...) {
      list->unref();
      throw;
    }
    list->unref();
    if (!found) {
      if (v) v->unref();
      throw StoreException(kMsgInvalidArgument, name);
    }
    CellFromValue(out, v);
    if (v) v->unref();
    return;
  }
  static_cast<DataField*>(f)->getCell(*obj, out);
}

Field* CachedFieldLookup(Sid& s, InterObjRep* obj) {
  Field* f = obj->findField(s.name);
  s.memberObj = obj;
  s.memberGen = g_generation;
  s.memberField = f;
  s.memberKind = !f                                     ? MEMBER_OTHER
                 : typeid(*f) == typeid(InterDataField) ? MEMBER_PLAIN
                 : f->isEmbedObjField()                 ? MEMBER_EMBED
                 : f->isMethod() && f->hasSource()      ? MEMBER_PROC
                                                        : MEMBER_OTHER;
  return f;
}

void MemberRead(StackFrame& frame, InterObjRep* obj, Sid& s, Cid* call, ValueCell& out) {
  Field* f = CachedField(s, obj);
  if (s.memberKind == MEMBER_PLAIN && !call) {
    if (const ValueCell* c = obj->ownCellAt(static_cast<DataField*>(f), s.memberHint)) {
      out.copyFrom(*c);
      return;
    }
  }
  MemberGetField(frame, obj, f, s.name, call, out);
}

void MemberWrite(StackFrame& frame, InterObjRep* obj, Sid& s, Cid* call, const ValueCell& v, int kind) {
  Field* f = CachedField(s, obj);
  // A value of the field's own type needs no conversion (objects keep the general checks).
  if (s.memberKind == MEMBER_PLAIN && !call && v.type == (f->typeCode() & 0x1F) && v.type != kTypeObject &&
      v.type != kTypeNone) {
    obj->makeOwnCellAt(static_cast<DataField*>(f), s.memberHint).copyFrom(v);
    obj->changed();
    return;
  }
  MemberSetField(frame, obj, f, s.name, call, v, kind);
}

InterObjRep* EmbeddedForPlainAccess(InterObjRep* obj, Sid& s, Sid& member) {
  Field* f = CachedField(s, obj);
  if (s.memberKind != MEMBER_EMBED) return nullptr;
  InterObjRep* e = static_cast<EmbedObjField*>(f)->embeddedObject(*obj);
  if (!e) return nullptr;
  CachedField(member, e);
  // The container holds its embedded object; a plain data access runs no code that could
  // drop it.
  return member.memberKind == MEMBER_PLAIN ? e : nullptr;
}

void MemberSet(StackFrame& frame, InterObjRep* obj, const char* name, Cid* call, const ValueCell& v,
               int kind) {
  if (!obj) throw StoreException(kMsgNotFound, name);
  MemberSetField(frame, obj, obj->findField(name), name, call, v, kind);
}

void MemberSetField(StackFrame& frame, InterObjRep* obj, Field* f, const char* name, Cid* call,
                    const ValueCell& v, int kind) {
  if (f && f->isArrayData()) {
    ArrayField* af = static_cast<ArrayField*>(f);
    ArrayData* d = af->data(*obj);
    ArraySet(d, ArrayOffset(frame, d, call), v);
    return;
  }
  if (f && f->isData()) {
    if ((kind == ASSIGN_SET || kind == ASSIGN_DEEP_SET) && v.type != kTypeObject) throw TypeMismatch("Set");
    static_cast<DataField*>(f)->setCell(*obj, v);
    return;
  }
  if (f) throw StoreException(("Cannot assign to the method '" + std::string(name) + "'.").c_str());
  // Not in the signature: the native object's extension members.
  ValueList* list = call ? BuildArgList(frame, call) : new ValueList;
  if (!call) list->ref();
  int found = 0;
  try {
    list->ppush(CellToValue(v));
    Value* r = obj->eval(name, InterObjRep::kEvalSet, list, nullptr, &found);
    if (r) r->unref();
  } catch (...) {
    list->unref();
    throw;
  }
  list->unref();
  if (!found) throw NotFound(name);
}
