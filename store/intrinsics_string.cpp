// Built-in string functions.
#include "store/intrinsics.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "interp.h"
#include "linkscope.h"
#include "regcode_string.h"

namespace {

struct StrFn {
  int type;
  const char* name;
};

const StrFn kStrNames[] = {{1, "InStr"},   {2, "Str"},   {67, "LCase"}, {68, "UCase"},   {69, "Left"},
                           {70, "Right"},  {71, "Mid"},  {72, "Len"},   {73, "LTrim"},   {74, "RTrim"},
                           {75, "Trim"},   {76, "Asc"},  {77, "Val"},   {78, "StrComp"}, {143, "String"},
                           {144, "Space"}, {145, "Chr"}, {146, "Hex"},  {147, "Oct"}};

const char* StrName(int type) {
  for (const StrFn& f : kStrNames)
    if (f.type == type) return f.name;
  return "?";
}

int32_t Long(StackFrame& frame, ExprNode* e) {
  ValueCellVar c;
  e->eval(frame, c.c);
  return c.c.type == kTypeShort ? c.c.s : c.c.type == kTypeLong ? c.c.l : CellToLong(c.c);
}

// Argument i of f as a Long: a literal as link() found it, a local read in place (at
// the moment its evaluation would read it), else evaluated.
int32_t ArgLong(StackFrame& frame, const IntrString* f, int i) {
  switch (f->argKind(i)) {
    case IntrString::kArgLong:
      return f->argValue(i);
    case IntrString::kArgLocal: {
      const ValueCell& c = *frame.vars[f->argValue(i)];
      return c.type == kTypeLong ? c.l : c.type == kTypeShort ? c.s : CellToLong(c);
    }
    default:
      return Long(frame, f->arg(i));
  }
}

// Left, Right and Mid of a text are slices of their first argument: where only the bytes
// are read (InStr, StrComp, Len, Asc, another slice) they are not copied.
bool IsSlice(const ExprNode* e) {
  if (!e || e->type() != EXPR_INTRINSIC) return false;
  // The string functions' numbers are their own among the intrinsics.
  int fn = static_cast<const IntrinsicNode*>(e)->function();
  return fn == STR_LEFT || fn == STR_RIGHT || fn == STR_MID;
}

// Whether evaluating e can run Basic code (a call, a property, an event): locals,
// constants, and operators and built-in functions over them cannot.
bool RunsNoCode(const ExprNode* e) {
  if (!e) return true;
  switch (e->type()) {
    case EXPR_LONG:
    case EXPR_DOUBLE:
    case EXPR_STRING:
    case EXPR_NULLOBJ:
      return true;
    case EXPR_SID: {
      unsigned char b = static_cast<const Sid*>(e)->bind;
      return b == BIND_SLOT || b == BIND_CONST || b == BIND_TRUE || b == BIND_FALSE;
    }
    case EXPR_BINARY: {
      const BinaryOp* o = static_cast<const BinaryOp*>(e);
      return o->op() != BinaryOp::TYPEOF && RunsNoCode(o->left()) && RunsNoCode(o->right());
    }
    case EXPR_UNARY:
      return RunsNoCode(static_cast<const UnaryOp*>(e)->operand());
    case EXPR_INTRINSIC: {
      const IntrinsicNode* f = static_cast<const IntrinsicNode*>(e);
      for (int i = 0; i < 4; ++i)
        if (!RunsNoCode(f->arg(i))) return false;
      return true;
    }
    default:
      return false;
  }
}

// The bytes of a text: of a string cell without a copy, else of its conversion. Loaded
// from an argument, it reads a local or a literal in place when nothing can change them
// while it is in use, and otherwise holds the value it reads (a slice holds its source).
struct Text {
  Text() = default;
  explicit Text(const ValueCell& c) { view(c); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;

  // Whether the bytes are the whole of the string cell or literal viewed.
  bool wholeString() const {
    if (cell) return p == cell->text() && n == cell->textLength();
    return literal && p == literal->text() && n == literalLength;
  }
  // out := the bytes: the whole string shared, else a new text.
  void store(StackFrame& frame, ValueCell& out) {
    if (cell && wholeString())
      out.copyFrom(*cell);
    else if (literal && wholeString())
      literal->eval(frame, out);
    else
      out.setString(ValStringRep::Make(p, n));
  }
  void view(const ValueCell& c) {
    if (c.type == kTypeString) {
      p = c.text();
      n = c.textLength();
      cell = &c;
    } else {
      own = CellToText(c);
      p = own.c_str();
      n = own.size();
    }
  }

  const char* p = "";
  size_t n = 0;
  const ValueCell* cell = nullptr;    // the string cell viewed
  StringConstant* literal = nullptr;  // or the literal viewed
  size_t literalLength = 0;
  std::string own;
  ValueCellVar hold;
};

void LoadSlice(Text& t, StackFrame& frame, IntrString* f, bool inPlace);

// Loads argument i of f (the arguments are taken in their written order). inPlace:
// nothing that runs while t is in use can change a local.
void LoadArg(Text& t, StackFrame& frame, IntrString* f, int i, bool inPlace) {
  ExprNode* e = f->arg(i);
  inPlace = inPlace && f->quietAfter(i);
  switch (f->argKind(i)) {
    case IntrString::kArgLocal:
      if (inPlace) {
        t.view(*frame.vars[f->argValue(i)]);
        return;
      }
      break;
    case IntrString::kArgText:
      t.literal = static_cast<StringConstant*>(e);
      t.p = t.literal->text();
      t.n = t.literalLength = (size_t)f->argValue(i);
      return;
    default:
      break;
  }
  if (IsSlice(e)) {
    LoadSlice(t, frame, static_cast<IntrString*>(e), inPlace);
    return;
  }
  e->eval(frame, t.hold.c);
  t.view(t.hold.c);
}

// The slice f of its first argument: the text, then start and length.
void LoadSlice(Text& t, StackFrame& frame, IntrString* f, bool inPlace) {
  LoadArg(t, frame, f, 0, inPlace);
  switch (f->function()) {
    case STR_LEFT:
    case STR_RIGHT: {
      int32_t k = ArgLong(frame, f, 1);
      if (k < 0) throw StoreException(kMsgInvalidArgument, f->function() == STR_LEFT ? "Left" : "Right");
      size_t m = (size_t)k < t.n ? (size_t)k : t.n;
      if (f->function() == STR_RIGHT) t.p += t.n - m;
      t.n = m;
      return;
    }
    default: {  // Mid(s, start[, n])
      int32_t start = ArgLong(frame, f, 1);
      if (start < 1) throw StoreException(kMsgInvalidArgument, "start");
      size_t b = (size_t)start - 1 < t.n ? (size_t)start - 1 : t.n;
      size_t m = t.n - b;
      if (f->arg(2)) {
        int32_t k = ArgLong(frame, f, 2);
        if (k < 0) throw StoreException(kMsgInvalidArgument, "Mid");
        if ((size_t)k < m) m = (size_t)k;
      }
      t.p += b;
      t.n = m;
      return;
    }
  }
}

void SetText(ValueCell& out, const char* p, size_t n) { out.setString(ValStringRep::Make(p, n)); }

void CheckLength(int32_t n, const char* what) {
  if (n < 0) throw StoreException(kMsgInvalidArgument, what);
}

int CompareText(const char* a, size_t an, const char* b, size_t bn, bool nocase) {
  size_t n = an < bn ? an : bn;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (nocase) {
      x = (unsigned char)tolower(x);
      y = (unsigned char)tolower(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  return an == bn ? 0 : (an < bn ? -1 : 1);
}

// The first c in [p, end), or null: eight bytes at a time (a word whose bytes, xored
// with c, has a zero byte holds a c), then byte by byte.
const char* FindByte(const char* p, const char* end, char c) {
  const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  const uint64_t pattern = ones * (unsigned char)c;
  while (end - p >= 8) {
    uint64_t w;
    memcpy(&w, p, 8);
    w ^= pattern;
    if ((w - ones) & ~w & highs) break;
    p += 8;
  }
  for (; p < end; ++p)
    if (*p == c) return p;
  return nullptr;
}

// Position (1-based) of find in s at or after start, 0 when absent.
int32_t Find(const Text& s, const Text& find, int32_t start, bool nocase) {
  if (start < 1) throw StoreException(kMsgInvalidArgument, "start");
  if ((size_t)start > s.n + 1) return 0;
  if (find.n == 0) return start;
  if (find.n > s.n) return 0;
  if (!nocase) return FindBytes(s.p, s.n, find.p, find.n, (size_t)start);
  for (size_t i = (size_t)start - 1; i + find.n <= s.n; ++i)
    if (CompareText(s.p + i, find.n, find.p, find.n, nocase) == 0) return (int32_t)i + 1;
  return 0;
}

// Val: the leading number of the text.
void ValOf(const char* p, ValueCell& out) {
  while (*p == ' ' || *p == '\t') ++p;
  if (p[0] == '&' && (p[1] == 'H' || p[1] == 'h' || p[1] == 'O' || p[1] == 'o')) {
    bool hex = p[1] == 'H' || p[1] == 'h';
    uint32_t v = 0;
    for (p += 2; *p; ++p) {
      int d;
      if (*p >= '0' && *p <= '9')
        d = *p - '0';
      else if (hex && isxdigit((unsigned char)*p))
        d = tolower((unsigned char)*p) - 'a' + 10;
      else
        break;
      if (!hex && d > 7) break;
      v = v * (hex ? 16 : 8) + (uint32_t)d;
    }
    if (v <= 0xFFFF && (int16_t)v == (int32_t)(int16_t)v && v <= 0x7FFF)
      out.setShort((int16_t)v);
    else
      out.setLong((int32_t)v);
    return;
  }
  std::string digits;
  const char* q = p;
  if (*q == '+' || *q == '-') digits += *q++;
  bool any = false, point = false, integral = true;
  for (;; ++q) {
    if (*q >= '0' && *q <= '9') {
      digits += *q;
      any = true;
    } else if (*q == '.' && !point) {
      digits += '.';
      point = true;
      integral = false;
    } else if (*q == ' ') {
      continue;  // blanks inside a number are skipped
    } else {
      break;
    }
  }
  if (any && (*q == 'E' || *q == 'e' || *q == 'D' || *q == 'd')) {
    std::string exp = "e";
    const char* r = q + 1;
    if (*r == '+' || *r == '-') exp += *r++;
    if (*r >= '0' && *r <= '9') {
      while (*r >= '0' && *r <= '9') exp += *r++;
      digits += exp;
      integral = false;
    }
  }
  double d = any ? strtod(digits.c_str(), nullptr) : 0.0;
  if (integral && d >= -32768 && d <= 32767)
    out.setShort((int16_t)d);
  else if (integral && d >= -2147483648.0 && d <= 2147483647.0)
    out.setLong((int32_t)d);
  else
    out.setDouble(d);
}

}  // namespace

int32_t FindBytes(const char* s, size_t sn, const char* f, size_t fn, size_t start) {
  if (start < 1 || start > sn + 1) return 0;
  if (fn == 0) return (int32_t)start;
  if (fn > sn) return 0;
  // Look for the first byte, then compare the rest. Plain loops: the texts are mostly
  // short, and the C library's search functions are slow to call under Wine.
  const char* const end = s + sn - fn + 1;  // one past the last possible match
  const char first = f[0];
  for (const char* q = s + start - 1; (q = FindByte(q, end, first)) != nullptr; ++q) {
    size_t j = 1;
    while (j < fn && q[j] == f[j]) ++j;
    if (j == fn) return (int32_t)(q - s) + 1;
  }
  return 0;
}

IntrString::IntrString(int type, int dollar, ExprNode* a, ExprNode* b, ExprNode* c, ExprNode* d)
    : IntrinsicNode(type, a, b, c, d), dollar_(dollar) {}

void IntrString::print(std::ostream& os, const ProcCode* names) const {
  std::string n = StrName(fn_);
  if (dollar_) n += '$';
  printCall(os, names, n.c_str());
}

void IntrString::link(LinkScope& scope) {
  IntrinsicNode::link(scope);
  quietAfter_ = 0;
  bool quiet = true;  // the arguments after i run no code
  for (int i = 3; i >= 0; --i) {
    if (quiet) quietAfter_ = (unsigned char)(quietAfter_ | (1 << i));
    argKind_[i] = kArgEval;
    argValue_[i] = 0;
    ExprNode* e = args_[i];
    if (!e) continue;
    if (!RunsNoCode(e)) quiet = false;
    if (e->type() == EXPR_SID && static_cast<Sid*>(e)->bind == BIND_SLOT && static_cast<Sid*>(e)->slot >= 0) {
      argKind_[i] = kArgLocal;
      argValue_[i] = static_cast<Sid*>(e)->slot;
    } else if (e->type() == EXPR_LONG) {
      // Integer literals read nothing from the frame: their value is taken once.
      StackFrame none;
      ValueCellVar c;
      e->eval(none, c.c);
      if (c.c.type == kTypeShort || c.c.type == kTypeLong) {
        argKind_[i] = kArgLong;
        argValue_[i] = c.c.type == kTypeShort ? c.c.s : c.c.l;
      }
    } else if (StringConstant* k = dynamic_cast<StringConstant*>(e)) {
      argKind_[i] = kArgText;
      argValue_[i] = (int32_t)strlen(k->text());
    }
  }
}

void IntrString::eval(StackFrame& frame, ValueCell& out) {
  switch (fn_) {
    case STR_INSTR: {  // InStr([start,] s, find[, compare])
      int n = argCount();
      int32_t start = 1;
      int k = 0;
      if (n >= 3) start = ArgLong(frame, this, k++);
      Text s, f;
      LoadArg(s, frame, this, k++, true);
      LoadArg(f, frame, this, k++, true);
      bool nocase = k < n && ArgLong(frame, this, k) == 1;
      out.setLong(Find(s, f, start, nocase));
      return;
    }
    case STR_STRCOMP: {  // StrComp(a, b[, compare])
      Text x, y;
      LoadArg(x, frame, this, 0, true);
      LoadArg(y, frame, this, 1, true);
      bool nocase = args_[2] && ArgLong(frame, this, 2) == 1;
      out.setShort((int16_t)CompareText(x.p, x.n, y.p, y.n, nocase));
      return;
    }
    case STR_STRING: {  // String(n, c)
      int32_t n = ArgLong(frame, this, 0);
      CheckLength(n, "String");
      ValueCellVar c;
      args_[1]->eval(frame, c.c);
      char ch;
      if (c.c.type == kTypeString) {
        if (c.c.textLength() == 0) throw StoreException(kMsgInvalidArgument, "String");
        ch = c.c.text()[0];
      } else {
        int32_t code = CellToLong(c.c);
        if (code < 0 || code > 255) throw RangeError(kMsgValueOutOfRange, 0, 255, code);
        ch = (char)code;
      }
      ValStringRep* r = ValStringRep::makeBuffer((size_t)n);
      memset(r->buffer(), ch, (size_t)n);
      out.setString(r);
      return;
    }
    case STR_SPACE: {  // Space(n)
      int32_t n = ArgLong(frame, this, 0);
      CheckLength(n, "Space");
      ValStringRep* r = ValStringRep::makeBuffer((size_t)n);
      memset(r->buffer(), ' ', (size_t)n);
      out.setString(r);
      return;
    }
    case STR_CHR: {  // Chr(n): the shared one-byte text
      int32_t n = ArgLong(frame, this, 0);
      if (n < 0 || n > 255) throw RangeError(kMsgValueOutOfRange, 0, 255, n);
      char ch = (char)n;
      out.setString(ValStringRep::Shared(&ch, 1));
      return;
    }
    case STR_HEX:
    case STR_OCT: {  // Hex, Oct
      ValueCellVar a;
      args_[0]->eval(frame, a.c);
      char buf[24];
      if (a.c.type == kTypeShort)
        snprintf(buf, sizeof buf, fn_ == STR_HEX ? "%X" : "%o", (unsigned)(uint16_t)a.c.s);
      else
        snprintf(buf, sizeof buf, fn_ == STR_HEX ? "%X" : "%o", (unsigned)(uint32_t)CellToLong(a.c));
      SetText(out, buf, strlen(buf));
      return;
    }
    case STR_STR: {  // Str: a leading blank for non-negative numbers
      ValueCellVar a;
      args_[0]->eval(frame, a.c);
      if (a.c.type == kTypeString) throw TypeMismatch("Str");
      std::string t = CellToText(a.c);
      if (t.empty() || t[0] != '-') t.insert(t.begin(), ' ');
      SetText(out, t.data(), t.size());
      return;
    }
    case STR_VAL: {  // Val
      Text t;
      LoadArg(t, frame, this, 0, true);
      std::string copy(t.p, t.n);
      ValOf(copy.c_str(), out);
      return;
    }
    case STR_LEFT:
    case STR_RIGHT:
    case STR_MID: {  // the slice; the whole string is shared, not copied
      Text t;
      LoadSlice(t, frame, this, true);
      t.store(frame, out);
      return;
    }
    case STR_LEN: {  // Len
      if (argKind_[0] == kArgLocal) {
        const ValueCell& c = *frame.vars[argValue_[0]];
        if (c.type == kTypeString) {
          out.setLong((int32_t)c.textLength());
          return;
        }
      }
      Text t;
      LoadArg(t, frame, this, 0, true);
      out.setLong((int32_t)t.n);
      return;
    }
    case STR_ASC: {  // Asc
      Text t;
      LoadArg(t, frame, this, 0, true);
      if (t.n == 0) throw StoreException(kMsgInvalidArgument, "Asc");
      out.setShort((int16_t)(unsigned char)t.p[0]);
      return;
    }
    default:
      break;
  }
  Text s;
  LoadArg(s, frame, this, 0, true);
  switch (fn_) {
    case STR_LCASE:
    case STR_UCASE: {  // LCase, UCase
      ValStringRep* r = ValStringRep::makeBuffer(s.n);
      for (size_t i = 0; i < s.n; ++i)
        r->buffer()[i] =
            (char)(fn_ == STR_LCASE ? tolower((unsigned char)s.p[i]) : toupper((unsigned char)s.p[i]));
      out.setString(r);
      return;
    }
    case STR_LTRIM:
    case STR_RTRIM:
    case STR_TRIM: {  // LTrim, RTrim, Trim (blanks)
      size_t b = 0, e = s.n;
      if (fn_ != STR_RTRIM)
        while (b < e && s.p[b] == ' ') ++b;
      if (fn_ != STR_LTRIM)
        while (e > b && s.p[e - 1] == ' ') --e;
      s.p += b;
      s.n = e - b;
      s.store(frame, out);
      return;
    }
    default:
      throw StoreException("Unknown string function.");
  }
}

// --- print items and case conditions ------------------------------------------------------------

PrintItem::PrintItem(ExprNode* e, int type, int sep) : expr_(e), type_(type), sep_(sep) {}
PrintItem::~PrintItem() { delete expr_; }
void* PrintItem::operator new(size_t size) { return ::operator new(size); }
void PrintItem::operator delete(void* p) { ::operator delete(p); }

ECaseClauseBase::ECaseClauseBase(int type, ExprNode* e1, ExprNode* e2) : type_(type), e1_(e1), e2_(e2) {}
ECaseClauseBase::~ECaseClauseBase() {
  delete e1_;
  delete e2_;
}
void* ECaseClauseBase::operator new(size_t size) { return ::operator new(size); }
void ECaseClauseBase::operator delete(void* p) { ::operator delete(p); }
