// Built-in string functions.
#include "store/intrinsics.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "interp.h"

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

int32_t Long(StackFrame& frame, ExprNode* e);

// Left, Right and Mid of a text are slices of their first argument: where only the bytes
// are read (InStr, StrComp, Len, Asc, another slice) they are not copied.
bool IsSlice(ExprNode* e) {
  if (e->type() != EXPR_INTRINSIC) return false;
  // The string functions' numbers are their own among the intrinsics.
  int fn = static_cast<IntrinsicNode*>(e)->function();
  return fn == STR_LEFT || fn == STR_RIGHT || fn == STR_MID;
}

// The bytes of a text: of a string cell without a copy, else of its conversion. Made
// from an expression, it holds the value it reads (a slice holds its source).
struct Text {
  explicit Text(const ValueCell& c) { view(c); }
  Text(StackFrame& frame, ExprNode* e) { load(frame, e); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;

  // Whether the bytes are the whole of the string that hold keeps.
  bool wholeString() const {
    return hold.c.type == kTypeString && p == hold.c.text() && n == hold.c.textLength();
  }

  const char* p = "";
  size_t n = 0;
  std::string own;
  ValueCellVar hold;

 private:
  void view(const ValueCell& c) {
    if (c.type == kTypeString) {
      p = c.text();
      n = c.textLength();
    } else {
      own = CellToText(c);
      p = own.c_str();
      n = own.size();
    }
  }
  // The arguments in their written order: the text, then start and length.
  void load(StackFrame& frame, ExprNode* e) {
    if (!IsSlice(e)) {
      e->eval(frame, hold.c);
      view(hold.c);
      return;
    }
    IntrinsicNode* f = static_cast<IntrinsicNode*>(e);
    load(frame, f->arg(0));
    switch (f->function()) {
      case STR_LEFT:
      case STR_RIGHT: {
        int32_t k = Long(frame, f->arg(1));
        if (k < 0) throw StoreException(kMsgInvalidArgument, f->function() == STR_LEFT ? "Left" : "Right");
        size_t m = (size_t)k < n ? (size_t)k : n;
        if (f->function() == STR_RIGHT) p += n - m;
        n = m;
        return;
      }
      default: {  // Mid(s, start[, n])
        int32_t start = Long(frame, f->arg(1));
        if (start < 1) throw StoreException(kMsgInvalidArgument, "start");
        size_t b = (size_t)start - 1 < n ? (size_t)start - 1 : n;
        size_t m = n - b;
        if (f->arg(2)) {
          int32_t k = Long(frame, f->arg(2));
          if (k < 0) throw StoreException(kMsgInvalidArgument, "Mid");
          if ((size_t)k < m) m = (size_t)k;
        }
        p += b;
        n = m;
        return;
      }
    }
  }
};

int32_t Long(StackFrame& frame, ExprNode* e) {
  ValueCellVar c;
  e->eval(frame, c.c);
  return c.c.type == kTypeShort ? c.c.s : c.c.type == kTypeLong ? c.c.l : CellToLong(c.c);
}

void SetText(ValueCell& out, const char* p, size_t n) { out.setString(new ValStringRep(p, n)); }

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

// Position (1-based) of find in s at or after start, 0 when absent.
int32_t Find(const Text& s, const Text& find, int32_t start, bool nocase) {
  if (start < 1) throw StoreException(kMsgInvalidArgument, "start");
  if ((size_t)start > s.n + 1) return 0;
  if (find.n == 0) return start;
  if (find.n > s.n) return 0;
  if (!nocase) {
    // Binary: look for the first byte, then compare the rest.
    const char* end = s.p + s.n - find.n + 1;  // one past the last possible match
    for (const char* q = s.p + start - 1; q < end;) {
      q = static_cast<const char*>(memchr(q, find.p[0], (size_t)(end - q)));
      if (!q) return 0;
      if (memcmp(q + 1, find.p + 1, find.n - 1) == 0) return (int32_t)(q - s.p) + 1;
      ++q;
    }
    return 0;
  }
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

IntrString::IntrString(int type, int dollar, ExprNode* a, ExprNode* b, ExprNode* c, ExprNode* d)
    : IntrinsicNode(type, a, b, c, d), dollar_(dollar) {}

void IntrString::print(std::ostream& os, const ProcCode* names) const {
  std::string n = StrName(fn_);
  if (dollar_) n += '$';
  printCall(os, names, n.c_str());
}

void IntrString::eval(StackFrame& frame, ValueCell& out) {
  ValueCellVar a;
  switch (fn_) {
    case STR_INSTR: {  // InStr([start,] s, find[, compare])
      int n = argCount();
      int32_t start = 1;
      int k = 0;
      if (n >= 3) start = Long(frame, args_[k++]);
      Text s(frame, args_[k++]);
      Text f(frame, args_[k++]);
      bool nocase = k < n && Long(frame, args_[k]) == 1;
      out.setLong(Find(s, f, start, nocase));
      return;
    }
    case STR_STRCOMP: {  // StrComp(a, b[, compare])
      Text x(frame, args_[0]);
      Text y(frame, args_[1]);
      bool nocase = args_[2] && Long(frame, args_[2]) == 1;
      out.setShort((int16_t)CompareText(x.p, x.n, y.p, y.n, nocase));
      return;
    }
    case STR_STRING: {  // String(n, c)
      int32_t n = Long(frame, args_[0]);
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
      int32_t n = Long(frame, args_[0]);
      CheckLength(n, "Space");
      ValStringRep* r = ValStringRep::makeBuffer((size_t)n);
      memset(r->buffer(), ' ', (size_t)n);
      out.setString(r);
      return;
    }
    case STR_CHR: {  // Chr(n)
      int32_t n = Long(frame, args_[0]);
      if (n < 0 || n > 255) throw RangeError(kMsgValueOutOfRange, 0, 255, n);
      char ch = (char)n;
      SetText(out, &ch, 1);
      return;
    }
    case STR_HEX:
    case STR_OCT: {  // Hex, Oct
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
      args_[0]->eval(frame, a.c);
      if (a.c.type == kTypeString) throw TypeMismatch("Str");
      std::string t = CellToText(a.c);
      if (t.empty() || t[0] != '-') t.insert(t.begin(), ' ');
      SetText(out, t.data(), t.size());
      return;
    }
    case STR_VAL: {  // Val
      args_[0]->eval(frame, a.c);
      Text t(a.c);
      std::string copy(t.p, t.n);
      ValOf(copy.c_str(), out);
      return;
    }
    case STR_LEFT:
    case STR_RIGHT:
    case STR_MID: {  // the slice; the whole string is shared, not copied
      Text t(frame, this);
      if (t.wholeString())
        out.copyFrom(t.hold.c);
      else
        SetText(out, t.p, t.n);
      return;
    }
    case STR_LEN: {  // Len
      Text t(frame, args_[0]);
      out.setLong((int32_t)t.n);
      return;
    }
    case STR_ASC: {  // Asc
      Text t(frame, args_[0]);
      if (t.n == 0) throw StoreException(kMsgInvalidArgument, "Asc");
      out.setShort((int16_t)(unsigned char)t.p[0]);
      return;
    }
    default:
      break;
  }
  args_[0]->eval(frame, a.c);
  Text s(a.c);
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
      if (b == 0 && e == s.n && a.c.type == kTypeString)
        out.copyFrom(a.c);
      else
        SetText(out, s.p + b, e - b);
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
