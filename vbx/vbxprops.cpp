// Properties of controls: values by index and by name, array elements, defaults, enumeration
// texts, values as text, copying between controls and saving as "Name=Value" lines.
//
// Values live here, per control, except the position and size: those are the window's,
// read from it and written to it in twips.
#include "vbxstate.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace vbx;

namespace {

const char* const kTypeNames[VBXT_COUNT] = {
    "None",   "String", "Integer", "Long", "Boolean", "Color",   "Enum",
    "Single", "XPos",   "XSize",   "YPos", "YSize",   "Picture", "BasicString",
};
const int kTypeSizes[VBXT_COUNT] = {0, 4, 2, 4, 2, 4, 2, 4, 4, 4, 4, 4, 2, 4};

bool IsShortType(int type) {
  return type == VBXT_SHORT || type == VBXT_BOOL || type == VBXT_ENUM || type == VBXT_PICTURE;
}

// The control's geometry in twips, for the four position and size types.
int32_t Geometry(const Control& c, int type) {
  RECT r;
  GetWindowRect(c.hwnd, &r);
  MapWindowPoints(nullptr, c.parent, reinterpret_cast<POINT*>(&r), 2);
  switch (type) {
    case VBXT_XPOS:
      return VBXPixelsToTwipsX(r.left);
    case VBXT_XSIZE:
      return VBXPixelsToTwipsX(r.right - r.left);
    case VBXT_YPOS:
      return VBXPixelsToTwipsY(r.top);
    default:
      return VBXPixelsToTwipsY(r.bottom - r.top);
  }
}

void SetGeometry(const Control& c, int type, int32_t twips) {
  RECT r;
  GetWindowRect(c.hwnd, &r);
  MapWindowPoints(nullptr, c.parent, reinterpret_cast<POINT*>(&r), 2);
  int x = r.left, y = r.top, cx = r.right - r.left, cy = r.bottom - r.top;
  switch (type) {
    case VBXT_XPOS:
      x = VBXTwipsToPixelsX(twips);
      break;
    case VBXT_XSIZE:
      cx = VBXTwipsToPixelsX(twips);
      break;
    case VBXT_YPOS:
      y = VBXTwipsToPixelsY(twips);
      break;
    default:
      cy = VBXTwipsToPixelsY(twips);
      break;
  }
  MoveWindow(c.hwnd, x, y, cx, cy, TRUE);
}

// Writes a value in the property type's form (kTypeSizes bytes) to `out`.
int WriteOut(const PropInfo& p, const Element& e, const std::string& text, void* out) {
  State& s = TheState();
  switch (p.type) {
    case VBXT_STRING: {
      HSZ h = s.cstrings.Add(std::make_unique<CString>(CString{text, 1}));
      if (!h) return Outcome(VBXERR_NOMEMORY);
      memcpy(out, &h, sizeof h);
      break;
    }
    case VBXT_BSTRING: {
      HLSTR h = s.bstrings.Add(std::make_unique<std::string>(text));
      if (!h) return Outcome(VBXERR_NOMEMORY);
      memcpy(out, &h, sizeof h);
      break;
    }
    case VBXT_REAL:
      memcpy(out, &e.real, sizeof e.real);
      break;
    default:
      if (IsShortType(p.type)) {
        int16_t v = int16_t(e.number);
        memcpy(out, &v, sizeof v);
      } else {
        memcpy(out, &e.number, sizeof e.number);
      }
  }
  return Outcome(VBXERR_NONE);
}

// Checks and converts a value passed in a LONG_PTR; fills e or text.
int TakeIn(const PropInfo& p, LONG_PTR value, Element* e, std::string* text) {
  switch (p.type) {
    case VBXT_STRING: {
      const char* s = reinterpret_cast<const char*>(value);
      text->assign(s ? s : "");
      return VBXERR_NONE;
    }
    case VBXT_BSTRING: {
      if (value == 0) {
        text->clear();
        return VBXERR_NONE;
      }
      std::string* b = TheState().bstrings.Find(HLSTR(value));
      if (!b) return VBXERR_BADHANDLE;
      *text = *b;
      return VBXERR_NONE;
    }
    case VBXT_REAL: {
      uint32_t bits = uint32_t(value);
      memcpy(&e->real, &bits, sizeof bits);
      return VBXERR_NONE;
    }
    case VBXT_BOOL:
      e->number = value ? -1 : 0;
      return VBXERR_NONE;
    case VBXT_ENUM:
      if (value < 0 || value >= LONG_PTR(p.enumTexts.size())) return VBXERR_BADVALUE;
      e->number = int32_t(value);
      return VBXERR_NONE;
    case VBXT_SHORT:
    case VBXT_PICTURE:
      if (value < -32768 || value > 32767) return VBXERR_BADVALUE;
      e->number = int32_t(value);
      return VBXERR_NONE;
    default: {
      // 32 bits, signed or not (a colour is an unsigned pattern).
      int64_t v = int64_t(value);
      if (v < int64_t(INT32_MIN) || v > int64_t(UINT32_MAX)) return VBXERR_BADVALUE;
      e->number = int32_t(uint32_t(value));
      return VBXERR_NONE;
    }
  }
}

int GetValue(Control& c, int index, int element, void* out, bool wantArray) {
  const PropInfo* p = FindProp(c, index);
  if (!p) return VBXERR_BADINDEX;
  if (!out) return Outcome(VBXERR_BADBUFFER);
  if (p->IsArray() != wantArray) return Outcome(VBXERR_BADTYPE);
  const PropValue& v = c.values[size_t(index)];
  if (wantArray) {
    if (element < 0 || element >= p->elements) return Outcome(VBXERR_BADINDEX);
    return WriteOut(*p, v.elements[size_t(element)], v.text, out);
  }
  if (p->IsWindowGeometry()) {
    Element e;
    e.number = Geometry(c, p->type);
    return WriteOut(*p, e, v.text, out);
  }
  return WriteOut(*p, v.value, v.text, out);
}

int SetValue(Control& c, int index, int element, LONG_PTR value, bool wantArray) {
  const PropInfo* p = FindProp(c, index);
  if (!p) return VBXERR_BADINDEX;
  if (p->IsArray() != wantArray) return Outcome(VBXERR_BADTYPE);
  if (p->flags & VBXPF_READONLY) return Outcome(VBXERR_READONLY);
  if (wantArray && (element < 0 || element >= p->elements)) return Outcome(VBXERR_BADINDEX);
  Element e;
  std::string text;
  if (int error = TakeIn(*p, value, &e, &text)) return Outcome(error);
  if (p->IsWindowGeometry()) {
    SetGeometry(c, p->type, e.number);
    ++c.changes;
    NotifyPropChanged(c, index, -1);
    return Outcome(VBXERR_NONE);
  }
  PropValue& v = c.values[size_t(index)];
  bool changed;
  if (wantArray) {
    changed = !(v.elements[size_t(element)] == e);
    v.elements[size_t(element)] = e;
  } else if (p->type == VBXT_STRING || p->type == VBXT_BSTRING) {
    changed = v.text != text;
    v.text = text;
  } else {
    changed = !(v.value == e);
    v.value = e;
  }
  if (changed) {
    ++c.changes;
    if (p->type == VBXT_BOOL && SameName(p->name, "Visible"))
      ShowWindow(c.hwnd, e.number ? SW_SHOWNA : SW_HIDE);
    if (p->type == VBXT_BOOL && SameName(p->name, "Enabled")) EnableWindow(c.hwnd, e.number != 0);
    NotifyPropChanged(c, index, wantArray ? element : -1);
  }
  return Outcome(VBXERR_NONE);
}

bool IsDefault(const PropInfo& p, const PropValue& v) {
  if (p.IsWindowGeometry()) return false;
  if (p.type == VBXT_STRING || p.type == VBXT_BSTRING) return v.text == p.defaultText;
  Element d;
  d.number = p.defaultNumber;
  d.real = p.defaultReal;
  if (p.IsArray()) {
    for (const Element& e : v.elements)
      if (!(e == d)) return false;
    return true;
  }
  return v.value == d;
}

std::string FormatReal(float f) {
  char buf[32];
  snprintf(buf, sizeof buf, "%.7g", double(f));
  return buf;
}

// The text form of one value: decimal numbers, True/False, colours as &H00BBGGRR&.
std::string FormatValue(const PropInfo& p, const Element& e, const std::string& text) {
  char buf[32];
  switch (p.type) {
    case VBXT_STRING:
    case VBXT_BSTRING:
      return text;
    case VBXT_BOOL:
      return e.number ? "True" : "False";
    case VBXT_COLOR:
      snprintf(buf, sizeof buf, "&H%08X&", unsigned(e.number));
      return buf;
    case VBXT_REAL:
      return FormatReal(e.real);
    default:
      snprintf(buf, sizeof buf, "%d", int(e.number));
      return buf;
  }
}

// Parses an integer: decimal or &H hexadecimal (an optional trailing '&'), whole text.
bool ParseNumber(const char* text, long long* out) {
  errno = 0;
  char* end = nullptr;
  long long v;
  if ((text[0] == '&') && (text[1] == 'H' || text[1] == 'h')) {
    if (!text[2]) return false;
    v = strtoll(text + 2, &end, 16);
    if (*end == '&') ++end;
  } else {
    if (!*text) return false;
    v = strtoll(text, &end, 10);
  }
  if (errno || *end) return false;
  *out = v;
  return true;
}

// Converts a text to the LONG_PTR the property's setter takes; `keep` holds a string's text.
int ParseValue(const PropInfo& p, const char* text, LONG_PTR* value, std::string* keep) {
  long long n;
  switch (p.type) {
    case VBXT_STRING:
      *keep = text;
      *value = reinterpret_cast<LONG_PTR>(keep->c_str());
      return VBXERR_NONE;
    case VBXT_BSTRING: {
      HLSTR h = VBXCreateBasicString(text, int(strlen(text)));
      if (!h) return VBXERR_NOMEMORY;
      *value = LONG_PTR(h);
      return VBXERR_NONE;
    }
    case VBXT_BOOL:
      if (!lstrcmpiA(text, "True"))
        n = -1;
      else if (!lstrcmpiA(text, "False"))
        n = 0;
      else if (!ParseNumber(text, &n))
        return VBXERR_BADVALUE;
      *value = n ? -1 : 0;
      return VBXERR_NONE;
    case VBXT_REAL: {
      errno = 0;
      char* end = nullptr;
      double d = strtod(text, &end);
      if (errno || !*text || *end) return VBXERR_BADVALUE;
      float f = float(d);
      uint32_t bits;
      memcpy(&bits, &f, sizeof bits);
      *value = LONG_PTR(bits);
      return VBXERR_NONE;
    }
    case VBXT_ENUM:
      for (size_t i = 0; i < p.enumTexts.size(); ++i) {
        if (SameName(p.enumTexts[i], text)) {
          *value = LONG_PTR(i);
          return VBXERR_NONE;
        }
      }
      [[fallthrough]];
    default:
      if (!ParseNumber(text, &n)) return VBXERR_BADVALUE;
      if (n < INT32_MIN || n > UINT32_MAX) return VBXERR_BADVALUE;
      *value = LONG_PTR(n);
      return VBXERR_NONE;
  }
}

int SetFromText(Control& c, int index, int element, const char* text, bool wantArray) {
  const PropInfo* p = FindProp(c, index);
  if (!p) return VBXERR_BADINDEX;
  if (!text) return Outcome(VBXERR_BADVALUE);
  LONG_PTR value;
  std::string keep;
  if (int error = ParseValue(*p, text, &value, &keep)) return Outcome(error);
  int result = SetValue(c, index, element, value, wantArray);
  if (p->type == VBXT_BSTRING) {
    VBXDestroyBasicString(HLSTR(value));
    TheState().lastError = result;
  }
  return result;
}

int IndexByName(Control& c, const char* name) {
  int index = FindPropIndex(*c.cls, name);
  if (index < 0) TheState().lastError = VBXERR_NOTFOUND;
  return index;
}

// A quoted string for a saved line: the text between double quotes, quotes doubled.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    out += ch;
    if (ch == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

namespace vbx {

void NotifyPropChanged(Control& c, int index, int element) {
  if (c.hwnd) SendMessageA(c.hwnd, VBXN_PROPCHANGED, WPARAM(index), LPARAM(element));
}

}  // namespace vbx

extern "C" {

int VBXAPI VBXGetNumProps(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(int(c->cls->props.size())) : 0;
}

int VBXAPI VBXGetPropNameBuf(HCTL hctl, int index, char* buffer, int size) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? CopyOut(p->name, buffer, size) : 0;
}

int VBXAPI VBXGetPropIndex(HCTL hctl, const char* name) {
  Control* c = FindControl(hctl);
  if (!c) return -1;
  int index = IndexByName(*c, name);
  return index >= 0 ? Succeed(index) : -1;
}

int VBXAPI VBXGetPropType(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? Succeed(int(p->type)) : -1;
}

BOOL VBXAPI VBXIsArrayProp(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? Succeed(BOOL(p->IsArray())) : FALSE;
}

int VBXAPI VBXGetProp(HCTL hctl, int index, void* value) {
  Control* c = FindControl(hctl);
  return c ? GetValue(*c, index, 0, value, false) : VBXERR_BADHANDLE;
}

int VBXAPI VBXSetProp(HCTL hctl, int index, LONG_PTR value) {
  Control* c = FindControl(hctl);
  return c ? SetValue(*c, index, 0, value, false) : VBXERR_BADHANDLE;
}

int VBXAPI VBXGetArrayProp(HCTL hctl, int index, void* value, int element) {
  Control* c = FindControl(hctl);
  return c ? GetValue(*c, index, element, value, true) : VBXERR_BADHANDLE;
}

int VBXAPI VBXSetArrayProp(HCTL hctl, int index, int element, LONG_PTR value) {
  Control* c = FindControl(hctl);
  return c ? SetValue(*c, index, element, value, true) : VBXERR_BADHANDLE;
}

int VBXAPI VBXGetPropByName(HCTL hctl, const char* name, void* value) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  int index = IndexByName(*c, name);
  return index < 0 ? VBXERR_NOTFOUND : GetValue(*c, index, 0, value, false);
}

int VBXAPI VBXSetPropByName(HCTL hctl, const char* name, LONG_PTR value) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  int index = IndexByName(*c, name);
  return index < 0 ? VBXERR_NOTFOUND : SetValue(*c, index, 0, value, false);
}

int VBXAPI VBXGetArrayPropCount(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return 0;
  if (!p->IsArray()) return Fail(VBXERR_BADTYPE, 0);
  return Succeed(int(p->elements));
}

int VBXAPI VBXGetPropDefault(HCTL hctl, int index, void* value) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return TheState().lastError;
  if (!value) return Outcome(VBXERR_BADBUFFER);
  if (p->IsWindowGeometry()) return Outcome(VBXERR_BADTYPE);
  Element d;
  d.number = p->defaultNumber;
  d.real = p->defaultReal;
  return WriteOut(*p, d, p->defaultText, value);
}

int VBXAPI VBXResetProp(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return TheState().lastError;
  if (p->IsWindowGeometry()) return Outcome(VBXERR_BADTYPE);
  PropValue& v = c->values[size_t(index)];
  if (IsDefault(*p, v)) return Outcome(VBXERR_NONE);
  v.value.number = p->defaultNumber;
  v.value.real = p->defaultReal;
  v.text = p->defaultText;
  v.elements.assign(size_t(p->elements), v.value);
  ++c->changes;
  NotifyPropChanged(*c, index, -1);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXResetAllProps(HCTL hctl) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  for (size_t i = 0; i < c->cls->props.size(); ++i)
    if (!c->cls->props[i].IsWindowGeometry()) VBXResetProp(hctl, int(i));
  return Outcome(VBXERR_NONE);
}

BOOL VBXAPI VBXIsPropDefault(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? Succeed(BOOL(IsDefault(*p, c->values[size_t(index)]))) : FALSE;
}

DWORD VBXAPI VBXGetPropFlags(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? Succeed(DWORD(p->flags)) : 0;
}

BOOL VBXAPI VBXIsPropReadOnly(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  return p ? Succeed(BOOL((p->flags & VBXPF_READONLY) != 0)) : FALSE;
}

int VBXAPI VBXGetEnumCount(HCTL hctl, int index) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return 0;
  if (p->type != VBXT_ENUM) return Fail(VBXERR_BADTYPE, 0);
  return Succeed(int(p->enumTexts.size()));
}

int VBXAPI VBXGetEnumTextBuf(HCTL hctl, int index, int value, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return 0;
  if (p->type != VBXT_ENUM) return Fail(VBXERR_BADTYPE, 0);
  if (value < 0 || size_t(value) >= p->enumTexts.size()) return Fail(VBXERR_BADVALUE, 0);
  return CopyOut(p->enumTexts[size_t(value)], buffer, size);
}

int VBXAPI VBXFindEnumValue(HCTL hctl, int index, const char* text) {
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return -1;
  if (p->type != VBXT_ENUM) return Fail(VBXERR_BADTYPE, -1);
  for (size_t i = 0; i < p->enumTexts.size(); ++i)
    if (SameName(p->enumTexts[i], text)) return Succeed(int(i));
  return Fail(VBXERR_NOTFOUND, -1);
}

int VBXAPI VBXGetPropTextBuf(HCTL hctl, int index, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  Control* c = FindControl(hctl);
  const PropInfo* p = c ? FindProp(*c, index) : nullptr;
  if (!p) return 0;
  if (p->IsArray()) return Fail(VBXERR_BADTYPE, 0);
  const PropValue& v = c->values[size_t(index)];
  Element e = v.value;
  if (p->IsWindowGeometry()) e.number = Geometry(*c, p->type);
  return CopyOut(FormatValue(*p, e, v.text), buffer, size);
}

int VBXAPI VBXSetPropText(HCTL hctl, int index, const char* text) {
  Control* c = FindControl(hctl);
  return c ? SetFromText(*c, index, 0, text, false) : VBXERR_BADHANDLE;
}

int VBXAPI VBXGetTypeNameBuf(int type, char* buffer, int size) {
  if (type < 0 || type >= VBXT_COUNT) {
    if (buffer && size > 0) buffer[0] = 0;
    return Fail(VBXERR_BADTYPE, 0);
  }
  return CopyOut(kTypeNames[type], buffer, size);
}

int VBXAPI VBXGetTypeSize(int type) {
  if (type < 0 || type >= VBXT_COUNT) return Fail(VBXERR_BADTYPE, 0);
  return Succeed(kTypeSizes[type]);
}

int VBXAPI VBXCopyProps(HCTL from, HCTL to) {
  Control* a = FindControl(from);
  Control* b = a ? FindControl(to) : nullptr;
  if (!b) return -1;
  if (a->cls != b->cls) return Fail(VBXERR_BADTYPE, -1);
  int copied = 0;
  for (size_t i = 0; i < a->cls->props.size(); ++i) {
    const PropInfo& p = a->cls->props[i];
    if (p.IsWindowGeometry() || from == to) continue;
    PropValue& v = b->values[i];
    const PropValue& w = a->values[i];
    if (v.text == w.text && v.value == w.value && v.elements == w.elements) continue;
    v = w;
    ++b->changes;
    ++copied;
    NotifyPropChanged(*b, int(i), -1);
  }
  return Succeed(copied);
}

int VBXAPI VBXGetArrayPropByName(HCTL hctl, const char* name, void* value, int element) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  int index = IndexByName(*c, name);
  return index < 0 ? VBXERR_NOTFOUND : GetValue(*c, index, element, value, true);
}

int VBXAPI VBXSetArrayPropByName(HCTL hctl, const char* name, int element, LONG_PTR value) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  int index = IndexByName(*c, name);
  return index < 0 ? VBXERR_NOTFOUND : SetValue(*c, index, element, value, true);
}

int VBXAPI VBXGetChangeCount(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->changes) : 0;
}

// Every property that differs from its default, one "Name=Value" or "Name(i)=Value" line
// each (strings quoted). Answers the length of the whole text; copies what fits.
int VBXAPI VBXSavePropsBuf(HCTL hctl, char* buffer, int size) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  std::string out;
  for (size_t i = 0; i < c->cls->props.size(); ++i) {
    const PropInfo& p = c->cls->props[i];
    const PropValue& v = c->values[i];
    if (IsDefault(p, v)) continue;
    bool quoted = p.type == VBXT_STRING || p.type == VBXT_BSTRING;
    if (p.IsArray()) {
      Element d;
      d.number = p.defaultNumber;
      d.real = p.defaultReal;
      for (size_t k = 0; k < v.elements.size(); ++k) {
        if (v.elements[k] == d) continue;
        out += p.name + "(" + std::to_string(k) + ")=" + FormatValue(p, v.elements[k], v.text) + "\r\n";
      }
      continue;
    }
    Element e = v.value;
    if (p.IsWindowGeometry()) e.number = Geometry(*c, p.type);
    std::string text = FormatValue(p, e, v.text);
    out += p.name + "=" + (quoted ? Quote(text) : text) + "\r\n";
  }
  if (buffer && size > 0) {
    CopyOut(out, buffer, size);
  } else if (buffer || size != 0) {
    return Fail(VBXERR_BADBUFFER, 0);
  }
  return Succeed(int(out.size()));
}

// Applies "Name=Value" lines as VBXSavePropsBuf writes them; answers the number applied.
// A line that names no property or holds a bad value is skipped and recorded as the
// outcome; the others still apply.
int VBXAPI VBXLoadProps(HCTL hctl, const char* text) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  if (!text) return Fail(VBXERR_BADVALUE, 0);
  int applied = 0;
  int failure = VBXERR_NONE;
  const char* at = text;
  while (*at) {
    const char* end = at + strcspn(at, "\r\n");
    std::string line(at, end);
    at = end + strspn(end, "\r\n");
    if (line.empty()) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      failure = VBXERR_BADVALUE;
      continue;
    }
    std::string name = line.substr(0, eq), value = line.substr(eq + 1);
    int element = 0;
    bool isElement = false;
    size_t open = name.find('(');
    if (open != std::string::npos && name.back() == ')') {
      long long n;
      std::string digits = name.substr(open + 1, name.size() - open - 2);
      if (!ParseNumber(digits.c_str(), &n) || n < 0 || n > VBXFILE_MAX_ELEMENTS) {
        failure = VBXERR_BADINDEX;
        continue;
      }
      element = int(n);
      isElement = true;
      name.resize(open);
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      std::string unquoted;
      for (size_t k = 1; k + 1 < value.size(); ++k) {
        unquoted += value[k];
        if (value[k] == '"' && value[k + 1] == '"') ++k;
      }
      value = unquoted;
    }
    int index = FindPropIndex(*c->cls, name.c_str());
    if (index < 0) {
      failure = VBXERR_NOTFOUND;
      continue;
    }
    int result = SetFromText(*c, index, element, value.c_str(), isElement);
    if (result) {
      failure = result;
      continue;
    }
    ++applied;
    c = TheState().controls.Find(hctl);  // a notified control may have gone away
    if (!c) return Fail(VBXERR_BADHANDLE, applied);
  }
  TheState().lastError = failure;
  return applied;
}

}  // extern "C"
