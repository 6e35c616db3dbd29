// Name nodes: simple names (Sid), calls and indexes (Cid), member access (Mid).
#include <windows.h>

#include <ostream>

#include "interp.h"
#include "store/field.h"
#include "store/field_array.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/procfield.h"
#include "store/value.h"

namespace {

void PrintName(std::ostream& os, const ProcCode* names, int index, int suffix) {
  if (index == -1) {
    os << "True";
    return;
  }
  if (index == -2) {
    os << "False";
    return;
  }
  if (names)
    os << names->idText(index);
  else
    os << "#" << index;
  static const char kSuffix[] = " %&!#@$";
  if (suffix > 0 && suffix < 7) os << kSuffix[suffix];
}

// The object a name without a dot refers to members of: Me; a dotted name: the With object.
InterObjRep* NameOwner(StackFrame& frame, const ExprNode& node) {
  return node.isDotted() ? WithObject(frame) : frame.me;
}

}  // namespace

// --- Sid ---------------------------------------------------------------------------------------

Sid::Sid(int index, int suffix) : ExprNode(EXPR_SID), index_((short)index), suffix_((unsigned char)suffix) {}
Sid::~Sid() {}

ExprNode* Sid::convertToComplex(Cid* args) { return Cid::call(this, args); }

void Sid::link(LinkScope& scope) {
  if (isDotted()) {
    bind = BIND_NAME;
    name = scope.idText(index_);
    return;
  }
  scope.resolve(index_, bind, slot, cache);
  name = scope.idText(index_);
}

void Sid::eval(StackFrame& frame, ValueCell& out) {
  switch (bind) {
    case BIND_SLOT:
      out.copyFrom(*frame.vars[slot]);
      return;
    case BIND_CONST:
      out.copyFrom(*static_cast<ValueCell*>(cache));
      return;
    case BIND_TRUE:
      out.setShort(-1);
      return;
    case BIND_FALSE:
      out.setShort(0);
      return;
    case BIND_FIELD: {
      Field* f = static_cast<Field*>(cache);
      if (f->isMethod()) {
        out.clear();
        out.type = kTypeNoValue;
        CallMethod(frame, frame.me, static_cast<MethodField*>(f), nullptr, &out);
      } else if (frame.me) {
        static_cast<DataField*>(f)->getCell(*frame.me, out);
      } else {
        throw StoreException(kMsgNotFound, name);
      }
      return;
    }
    case BIND_NAME: {
      InterObjRep* owner = NameOwner(frame, *this);
      Field* f = owner ? CachedField(*this, owner) : nullptr;
      if (f || (owner && isDotted())) {
        MemberRead(frame, owner, *this, nullptr, out);
        return;
      }
      if (InterObjRep* global = ObjectStore::find(name)) {
        out.setObject(global);
        return;
      }
      if (owner) {  // extension members of a native object
        MemberGet(frame, owner, name, nullptr, out);
        return;
      }
      throw NotFound(name);
    }
    default:
      throw StoreException("Expression evaluated before it was linked.");
  }
}

void Sid::assign(StackFrame& frame, const ValueCell& v, int kind) {
  switch (bind) {
    case BIND_SLOT:
      CellStore(*frame.vars[slot], v, kind);
      return;
    case BIND_NAME: {
      InterObjRep* owner = NameOwner(frame, *this);
      if (!owner) throw NotFound(name);
      MemberWrite(frame, owner, *this, nullptr, v, kind);
      return;
    }
    case BIND_FIELD:
      if (frame.me) {
        MemberSet(frame, frame.me, name, nullptr, v, kind);
        return;
      }
      break;
    default:
      break;
  }
  throw StoreException(("Cannot assign to the constant '" + std::string(name) + "'.").c_str());
}

ValueCell* Sid::ref(StackFrame& frame) { return bind == BIND_SLOT ? frame.vars[slot] : nullptr; }

void Sid::print(std::ostream& os, const ProcCode* names) const {
  printOpen(os);
  if (isDotted()) os << '.';
  PrintName(os, names, index_, suffix_);
  printClose(os);
}

// --- Cid ---------------------------------------------------------------------------------------

Cid::Cid() : ExprNode(EXPR_CID) {}
Cid::Cid(ExprNode* first) : ExprNode(EXPR_CID) {
  if (first) args_.append(first);
}
Cid::~Cid() { delete head_; }

void Cid::setMeFirst() {
  meFirst_ = true;
  setFlag(EF_ME);
}

Cid* Cid::call(ExprNode* name, Cid* args) {
  if (!args) args = new Cid;
  args->head_ = name;
  if (name && name->isDotted()) args->markAsDotted();
  return args;
}

ExprNode* Cid::convertToComplex(Cid* args) {
  // "f(1) 2": the further arguments extend the call.
  if (args) {
    args_.appendAll(args->args_);
    delete args;
  }
  return this;
}

void Cid::link(LinkScope& scope) {
  if (head_) {
    head_->link(scope);
    if (head_->type() == EXPR_SID) {
      Sid* s = static_cast<Sid*>(head_);
      // The function's own name with arguments is a call of the function, not its result.
      if (s->bind == BIND_SLOT && s->slot == scope.code().resultSlot()) s->bind = BIND_NAME;
    }
  }
  for (size_t i = 0; i < args_.entries(); ++i) args_.at(i)->link(scope);
}

void Cid::eval(StackFrame& frame, ValueCell& out) {
  if (g_callReplay && CallReplayTake(frame, this, out)) return;
  if (meFirst_ || !head_) {
    // Me(args): the native object's use with arguments, when it has one.
    if (!frame.me) throw StoreException(kMsgNotFound, "Me");
    IInterObj* native = frame.me->ROCDataPtr(0);
    if (!native) throw StoreException("Me cannot be called with arguments.");
    ValueList* list = BuildArgList(frame, this);
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
      throw StoreException("The object cannot be called with arguments.");
    }
    CellFromValue(out, v);
    if (v) v->unref();
    return;
  }
  if (head_->type() != EXPR_SID) {
    // (expression)(args): index the value.
    ValueCellVar v;
    head_->eval(frame, v.c);
    ArrayData* d = CellArray(v.c);
    if (!d) throw StoreException(kMsgInvalidArgument, "index");
    ArrayGet(d, ArrayOffset(frame, d, this), out);
    return;
  }
  Sid* s = static_cast<Sid*>(head_);
  switch (s->bind) {
    case BIND_SLOT: {
      ArrayData* d = CellArray(*frame.vars[s->slot]);
      if (!d) throw StoreException(("'" + std::string(s->name) + "' is not an array.").c_str());
      ArrayGet(d, ArrayOffset(frame, d, this), out);
      return;
    }
    case BIND_FIELD: {
      Field* f = static_cast<Field*>(s->cache);
      if (!f->isMethod()) throw StoreException(kMsgInvalidArgument, s->name);
      out.clear();
      out.type = kTypeNoValue;
      CallMethod(frame, frame.me, static_cast<MethodField*>(f), this, &out);
      return;
    }
    case BIND_NAME: {
      InterObjRep* owner = NameOwner(frame, *this);
      if (!owner) throw StoreException(kMsgNotFound, s->name);
      Field* f = CachedField(*s, owner);
      if (s->memberKind == MEMBER_PROC) {
        out.clear();
        out.type = kTypeNoValue;
        if (static_cast<InterProcField*>(f)->callDirect(frame, owner, this, &out)) return;
      }
      MemberGetField(frame, owner, f, s->name, this, out);
      return;
    }
    default:
      throw StoreException(("'" + std::string(s->name) + "' cannot take arguments.").c_str());
  }
}

void Cid::assign(StackFrame& frame, const ValueCell& v, int kind) {
  Sid* s = head_ && head_->type() == EXPR_SID ? static_cast<Sid*>(head_) : nullptr;
  if (s && s->bind == BIND_SLOT) {
    ArrayData* d = CellArray(*frame.vars[s->slot]);
    if (!d) throw StoreException(("'" + std::string(s->name) + "' is not an array.").c_str());
    ArraySet(d, ArrayOffset(frame, d, this), v);
    return;
  }
  if (s && s->bind == BIND_NAME) {
    InterObjRep* owner = NameOwner(frame, *this);
    if (!owner) throw StoreException(kMsgNotFound, s->name);
    MemberSetField(frame, owner, CachedField(*s, owner), s->name, this, v, kind);
    return;
  }
  ExprNode::assign(frame, v, kind);
}

ValueCell* Cid::ref(StackFrame&) { return nullptr; }

void Cid::print(std::ostream& os, const ProcCode* names) const {
  printOpen(os);
  if (meFirst_)
    os << "Me";
  else if (head_)
    head_->print(os, names);
  os << '(';
  for (size_t i = 0; i < args_.entries(); ++i) {
    if (i) os << ", ";
    args_.at(i)->print(os, names);
  }
  os << ')';
  printClose(os);
}

// --- Mid -----------------------------------------------------------------------------------------

Mid::Mid(ExprNode* object, ExprNode* member) : ExprNode(EXPR_MID), object_(object), member_(member) {}

Mid::~Mid() {
  delete object_;
  delete member_;
}

ExprNode* Mid::convertToComplex(Cid* args) {
  if (member_->type() == EXPR_SID) {
    member_ = Cid::call(member_, args);
  } else {
    member_ = member_->convertToComplex(args);
  }
  return this;
}

void Mid::link(LinkScope& scope) {
  object_->link(scope);
  // The member is a name of the object, not of the scope: only its arguments link here.
  if (member_->type() == EXPR_SID) {
    Sid* s = static_cast<Sid*>(member_);
    s->bind = BIND_NAME;
    s->name = scope.idText(s->index());
  } else if (member_->type() == EXPR_CID) {
    Cid* c = static_cast<Cid*>(member_);
    if (c->head() && c->head()->type() == EXPR_SID) {
      Sid* s = static_cast<Sid*>(c->head());
      s->bind = BIND_NAME;
      s->name = scope.idText(s->index());
    }
    for (size_t i = 0; i < c->argCount(); ++i) c->arg(i)->link(scope);
  }
}

namespace {

// The member's name node and arguments.
Sid* MemberName(ExprNode* member, Cid*& call) {
  call = nullptr;
  if (member->type() == EXPR_SID) return static_cast<Sid*>(member);
  if (member->type() == EXPR_CID) {
    call = static_cast<Cid*>(member);
    if (call->head() && call->head()->type() == EXPR_SID) return static_cast<Sid*>(call->head());
  }
  throw StoreException("A member name was expected after '.'.");
}

InterObjRep* MidObject(StackFrame& frame, ExprNode* object, ValueCellVar& holder) {
  // Me lives while its method runs: no count needed.
  if (object->type() == EXPR_ME && frame.me) return frame.me;
  object->eval(frame, holder.c);
  InterObjRep* o = CellObject(holder.c, "member access");
  if (!o) throw StoreException("Object variable is Nothing.");
  return o;
}

// Embedded.member of a plain data member: the embedded object without a count (null: the
// general path).
InterObjRep* DirectEmbedded(StackFrame& frame, ExprNode* object, Sid* name, Cid* call) {
  if (call || object->type() != EXPR_SID) return nullptr;
  Sid* s = static_cast<Sid*>(object);
  if (s->bind != BIND_NAME || s->isDotted() || !frame.me) return nullptr;
  return EmbeddedForPlainAccess(frame.me, *s, *name);
}

}  // namespace

void Mid::eval(StackFrame& frame, ValueCell& out) {
  Cid* call;
  Sid* name = MemberName(member_, call);
  if (InterObjRep* e = DirectEmbedded(frame, object_, name, call)) {
    MemberRead(frame, e, *name, nullptr, out);
    return;
  }
  ValueCellVar holder;
  InterObjRep* o = MidObject(frame, object_, holder);
  MemberRead(frame, o, *name, call, out);
}

void Mid::assign(StackFrame& frame, const ValueCell& v, int kind) {
  Cid* call;
  Sid* name = MemberName(member_, call);
  if (InterObjRep* e = DirectEmbedded(frame, object_, name, call)) {
    MemberWrite(frame, e, *name, nullptr, v, kind);
    return;
  }
  ValueCellVar holder;
  InterObjRep* o = MidObject(frame, object_, holder);
  MemberWrite(frame, o, *name, call, v, kind);
}

void Mid::print(std::ostream& os, const ProcCode* names) const {
  printOpen(os);
  object_->print(os, names);
  os << '.';
  member_->print(os, names);
  printClose(os);
}
