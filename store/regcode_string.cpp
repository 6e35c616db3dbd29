// Strings in typed loop code: the compiler's part and the run (see regcode_string.h).
#include "regcode_string.h"

#include <cstring>
#include <new>

#include "copybytes.h"
#include "regcompiler.h"
#include "store/intrinsics.h"

namespace {

enum { kMaxTexts = 8 };
const size_t kMaxLength = 0x7FFFFFF0;  // as ValStringRep allows

// The frame slot of a String local the code may read and write in its cell (-1: none):
// not a Static (another call could change it between a unit's reads) nor a by-reference
// argument (another frame's cell).
int StringSlot(StackFrame& frame, ExprNode* e) {
  if (!e || e->type() != EXPR_SID || !frame.code) return -1;
  const Sid* s = static_cast<const Sid*>(e);
  if (s->bind != BIND_SLOT || s->slot < 0 || s->slot >= frame.code->slotCount()) return -1;
  const SlotInfo& info = frame.code->slot(s->slot);
  if (info.type != kTypeString || info.statik >= 0) return -1;
  const int args = frame.proc ? frame.proc->parmCount() : 0;
  if (s->slot < args && !info.byValue) return -1;
  return s->slot;
}

// A text read in place. whole: the bytes are all of rep (a local's rep may be null: "").
struct Piece {
  const char* p;
  size_t n;
  ValStringRep* rep;
  bool whole;
};

// Reads the text whose data starts at q and moves q past it; false: not the plain case.
inline bool ReadText(ValueCell* const* vars, const Reg* r, const RegCode::Instr*& q, Piece& t) {
  const RegCode::Instr& in = *q++;
  switch (in.d) {
    case STXT_LOCAL: {
      const ValueCell* c = vars[in.slot];
      if (c->type != kTypeString) return false;
      t.rep = c->str;
      t.p = c->text();
      t.n = c->textLength();
      break;
    }
    case STXT_LITERAL:
      t.rep = InstrPtr<ValStringRep>(in);
      t.p = t.rep->c_str();
      t.n = t.rep->length();
      break;
    default: {  // Chr: the shared one-byte text
      const int32_t v = r[q++->a].l;
      if (v < 0 || v > 255) return false;
      const char ch = (char)v;
      t.rep = ValStringRep::Shared(&ch, 1);
      t.p = t.rep->c_str();
      t.n = 1;
      t.whole = true;
      return true;
    }
  }
  t.whole = true;
  switch (in.b) {
    case SLICE_NONE:
      return true;
    case SLICE_LEFT:
    case SLICE_RIGHT: {
      const int32_t k = r[q++->a].l;
      if (k < 0) return false;
      const size_t m = (size_t)k < t.n ? (size_t)k : t.n;
      if (in.b == SLICE_RIGHT) t.p += t.n - m;
      t.whole = m == t.n;
      t.n = m;
      return true;
    }
    default: {  // Mid(s, start[, n])
      const int32_t start = r[q++->a].l;
      if (start < 1) return false;
      const size_t b = (size_t)start - 1 < t.n ? (size_t)start - 1 : t.n;
      size_t m = t.n - b;
      if (in.b == SLICE_MID_LENGTH) {
        const int32_t k = r[q++->a].l;
        if (k < 0) return false;
        if ((size_t)k < m) m = (size_t)k;
      }
      t.whole = m == t.n;
      t.p += b;
      t.n = m;
      return true;
    }
  }
}

}  // namespace

// --- compiling ---------------------------------------------------------------------------

bool RegCompiler::textOperand(ExprNode* e, bool chr, std::vector<RegCode::Instr>& data) {
  RegCode::Instr head = MakeInstr(OP_STXT, STXT_LOCAL, 0, SLICE_NONE, -1);
  auto integer = [&](ExprNode* a) {
    int reg;
    unsigned char t;
    if (!a || !expr(a, reg, t) || (t != kTypeShort && t != kTypeLong)) return false;
    data.push_back(MakeInstr(OP_SREG, 0, reg, 0, 0));
    return true;
  };
  IntrString* f = e->type() == EXPR_INTRINSIC ? dynamic_cast<IntrString*>(e) : nullptr;
  if (f && f->function() == STR_CHR) {
    if (!chr || f->argCount() != 1) return false;
    head.d = STXT_CHR;
    data.push_back(head);
    return integer(f->arg(0));
  }
  ExprNode* source = e;
  int ints = 0;
  if (f) {
    const int n = f->argCount();
    switch (f->function()) {
      case STR_LEFT:
      case STR_RIGHT:
        if (n != 2) return false;
        head.b = f->function() == STR_LEFT ? SLICE_LEFT : SLICE_RIGHT;
        ints = 1;
        break;
      case STR_MID:
        if (n != 2 && n != 3) return false;
        head.b = n == 3 ? SLICE_MID_LENGTH : SLICE_MID;
        ints = n - 1;
        break;
      default:
        return false;
    }
    source = f->arg(0);
  }
  if (source->type() == EXPR_STRING) {
    head.d = STXT_LITERAL;
    SetInstrPtr(head, static_cast<StringConstant*>(source)->rep());
  } else {
    head.slot = StringSlot(frame_, source);
    if (head.slot < 0) return false;
  }
  data.push_back(head);
  for (int i = 1; i <= ints; ++i)
    if (!integer(f->arg(i))) return false;
  return true;
}

bool RegCompiler::stringFunction(ExprNode* e, int& reg, unsigned char& type) {
  IntrString* f = dynamic_cast<IntrString*>(e);
  if (!f) return false;
  std::vector<RegCode::Instr> data;
  unsigned char fn;
  const int n = f->argCount();
  switch (f->function()) {
    case STR_LEN:
    case STR_ASC:
      if (n != 1 || !textOperand(f->arg(0), false, data)) return false;
      fn = f->function() == STR_LEN ? SFN_LEN : SFN_ASC;
      type = f->function() == STR_LEN ? kTypeLong : kTypeShort;
      break;
    case STR_INSTR: {
      int k = 0;
      fn = SFN_INSTR;
      if (n == 3) {
        int r;
        unsigned char t;
        if (!expr(f->arg(k++), r, t) || (t != kTypeShort && t != kTypeLong)) return false;
        data.push_back(MakeInstr(OP_SREG, 0, r, 0, 0));
        fn = SFN_INSTR_START;
      } else if (n != 2) {
        return false;  // a compare argument: the general path
      }
      if (!textOperand(f->arg(k), false, data) || !textOperand(f->arg(k + 1), false, data)) return false;
      type = kTypeLong;
      break;
    }
    default:
      return false;
  }
  reg = newReg();
  if (reg < 0) return false;
  emit(OP_STRFN, reg, (int)data.size(), fn);
  code_.code_.insert(code_.code_.end(), data.begin(), data.end());
  return true;
}

bool RegCompiler::stringAssign(Assignment* a) {
  if (a->kind() > ASSIGN_LET) return false;
  const int target = StringSlot(frame_, a->target());
  if (target < 0) return false;
  // The texts of the concatenation, in their order.
  ExprNode* texts[kMaxTexts];
  int count = 0;
  bool ok = true;
  auto flatten = [&](auto& self, ExprNode* e) -> void {
    if (e->type() == EXPR_BINARY && static_cast<BinaryOp*>(e)->op() == BinaryOp::CAT) {
      self(self, static_cast<BinaryOp*>(e)->left());
      self(self, static_cast<BinaryOp*>(e)->right());
    } else if (count < kMaxTexts) {
      texts[count++] = e;
    } else {
      ok = false;
    }
  };
  flatten(flatten, a->value());
  if (!ok) return false;
  const size_t from = code_.code_.size();
  std::vector<RegCode::Instr> data;
  for (int i = 0; i < count; ++i)
    if (!textOperand(texts[i], true, data)) return false;
  const bool append = count >= 2 && StringSlot(frame_, texts[0]) == target;
  emit(OP_SSTORE, count, (int)data.size(), append ? 1 : 0, target);
  code_.code_.insert(code_.code_.end(), data.begin(), data.end());
  fold(from, -1);
  return true;
}

// --- running -----------------------------------------------------------------------------

bool RegStringFunction(StackFrame& frame, const RegCode::Instr* p, Reg* r) {
  const RegCode::Instr* q = p + 1;
  Piece s, f;
  switch (p->b) {
    case SFN_LEN:
      if (!ReadText(frame.vars, r, q, s)) return false;
      r[p->d].l = (int32_t)s.n;
      return true;
    case SFN_ASC:
      if (!ReadText(frame.vars, r, q, s) || s.n == 0) return false;
      r[p->d].l = (unsigned char)s.p[0];
      return true;
    default: {
      int32_t start = 1;
      if (p->b == SFN_INSTR_START) {
        start = r[q++->a].l;
        if (start < 1) return false;
      }
      if (!ReadText(frame.vars, r, q, s) || !ReadText(frame.vars, r, q, f)) return false;
      r[p->d].l = FindBytes(s.p, s.n, f.p, f.n, (size_t)start);
      return true;
    }
  }
}

bool RegStringStore(StackFrame& frame, const RegCode::Instr* p, Reg* r) {
  ValueCell* const dst = frame.vars[p->slot];
  if (dst->type != kTypeString) return false;
  Piece texts[kMaxTexts];
  const int count = p->d;
  const RegCode::Instr* q = p + 1;
  size_t need = 0;
  for (int i = 0; i < count; ++i) {
    if (!ReadText(frame.vars, r, q, texts[i])) return false;
    need += texts[i].n;
    if (need > kMaxLength) return false;
  }
  if (count == 1 && texts[0].whole) {
    dst->setString(texts[0].rep);  // shared, as the tree's assignment shares it
    return true;
  }
  ValStringRep* h = dst->str;
  const bool append = p->b != 0;
  if (append && h && h->count() == 1 && need <= h->capacity()) {
    // Nobody else holds the target's text: onto its end. A text that is (part of) the
    // target itself is read from bytes before the old end, which appending leaves alone.
    for (int i = 1; i < count; ++i) h->appendInPlace(texts[i].p, texts[i].n);
    return true;
  }
  if (need <= 1 && !append) {
    char c = 0;
    for (int i = 0; i < count; ++i)
      if (texts[i].n) c = texts[i].p[0];
    dst->setString(ValStringRep::Shared(&c, need));
    return true;
  }
  ValStringRep* made;
  try {
    made = ValStringRep::makeUninitialized(need, append ? need + need / 2 + 16 : need);
  } catch (const std::bad_alloc&) {
    return false;
  }
  char* w = made->buffer();
  for (int i = 0; i < count; ++i) {
    CopyBytes(w, texts[i].p, texts[i].n);
    w += texts[i].n;
  }
  made->ref();
  dst->adoptString(made);  // the old text goes only now: the texts may have been in it
  return true;
}
