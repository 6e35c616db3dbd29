// Controls: creation from a file and class, the control window and its procedure, lookup by
// window, id and name, window state (visibility, focus, font, title), twips and pixels.
#include "vbxstate.h"

using namespace vbx;

namespace {

int ScreenDpi(int axis) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, axis) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

void SetDefaults(const ClassInfo& cls, std::vector<PropValue>* values) {
  values->resize(cls.props.size());
  for (size_t i = 0; i < cls.props.size(); ++i) {
    const PropInfo& p = cls.props[i];
    PropValue& v = (*values)[i];
    v.value.number = p.defaultNumber;
    v.value.real = p.defaultReal;
    v.text = p.defaultText;
    v.elements.assign(size_t(p.elements), v.value);
  }
}

// A window-mirrored flag property ("Visible", "Enabled") set to on or off, if the class has it.
void MirrorFlag(Control& c, const char* name, bool on) {
  int index = FindPropIndex(*c.cls, name);
  if (index < 0 || c.cls->props[size_t(index)].type != VBXT_BOOL) return;
  PropValue& v = c.values[size_t(index)];
  int32_t value = on ? -1 : 0;
  if (v.value.number == value) return;
  v.value.number = value;
  ++c.changes;
  NotifyPropChanged(c, index, -1);
}

HCTL MakeControl(HVBXFILE file, int cls, HWND parent, int id, const char* title, DWORD style, int x, int y,
                 int cx, int cy) {
  State& s = TheState();
  ControlFile* f = s.files.Find(file);
  auto c = std::make_unique<Control>();
  c->file = file;
  c->cls = &f->classes[size_t(cls)];
  c->parent = parent;
  c->id = id;
  c->style = style;
  SetDefaults(*c->cls, &c->values);
  int visible = FindPropIndex(*c->cls, "Visible");
  bool hidden = visible >= 0 && c->cls->props[size_t(visible)].type == VBXT_BOOL &&
                c->values[size_t(visible)].value.number == 0;
  Control* record = c.get();
  HCTL hctl = s.controls.Add(std::move(c));
  if (!hctl) return Fail(VBXERR_NOMEMORY, HCTL(0));
  DWORD windowStyle = WS_CHILD | WS_CLIPSIBLINGS | (hidden ? 0 : WS_VISIBLE) | (style & ~WS_POPUP);
  HWND w =
      CreateWindowExA(0, kControlWindowClass, title ? title : "", windowStyle, x, y, cx, cy, parent,
                      reinterpret_cast<HMENU>(INT_PTR(id)), s.self, reinterpret_cast<void*>(UINT_PTR(hctl)));
  if (!w) {
    s.controls.Remove(hctl);
    return Fail(VBXERR_NOWINDOW, HCTL(0));
  }
  record->hwnd = w;
  ++f->controls;
  int enabled = FindPropIndex(*record->cls, "Enabled");
  if (enabled >= 0 && record->cls->props[size_t(enabled)].type == VBXT_BOOL &&
      record->values[size_t(enabled)].value.number == 0)
    EnableWindow(w, FALSE);
  return Succeed(hctl);
}

}  // namespace

namespace vbx {

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = TheState();
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, 0, LONG_PTR(reinterpret_cast<UINT_PTR>(cs->lpCreateParams)));
    if (Control* c = s.controls.Find(HCTL(reinterpret_cast<UINT_PTR>(cs->lpCreateParams)))) c->hwnd = window;
  }
  HCTL hctl = HCTL(GetWindowLongPtrA(window, 0));
  Control* c = s.controls.Find(hctl);
  if (!c || c->hwnd != window) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_PAINT) ++c->paints;
  if (message == WM_SETFONT) c->font = reinterpret_cast<HFONT>(wParam);
  WNDPROC proc = c->cls->windowProc;
  LRESULT result = CallWindowProcA(proc, window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window is gone (destroyed on its own or with its parent): so is the control.
    c = s.controls.Find(hctl);
    if (c) {
      if (ControlFile* f = s.files.Find(c->file)) --f->controls;
      s.controls.Remove(hctl);
    }
    SetWindowLongPtrA(window, 0, 0);
  }
  return result;
}

void DestroyControl(HCTL hctl) {
  Control* c = TheState().controls.Find(hctl);
  if (!c) return;
  HWND w = c->hwnd;
  if (w && IsWindow(w)) {
    DestroyWindow(w);
  }
  // A window destroyed from another thread, or already gone, leaves the record here.
  if ((c = TheState().controls.Find(hctl)) != nullptr) {
    if (ControlFile* f = TheState().files.Find(c->file)) --f->controls;
    TheState().controls.Remove(hctl);
  }
}

}  // namespace vbx

extern "C" {

HCTL VBXAPI VBXCreate(HWND parent, int id, const char* file, const char* cls, const char* title, DWORD style,
                      int x, int y, int cx, int cy, HFORMFILE) {
  if (TheState().initCount == 0) return Fail(VBXERR_NOTINIT, HCTL(0));
  if (!parent || !IsWindow(parent)) return Fail(VBXERR_NOWINDOW, HCTL(0));
  if (cx < 0 || cy < 0) return Fail(VBXERR_BADVALUE, HCTL(0));
  HVBXFILE f = VBXLoadFile(file);
  if (!f) return 0;
  int index = VBXFindClass(f, cls);
  if (index < 0) return 0;
  return MakeControl(f, index, parent, id, title, style, x, y, cx, cy);
}

int VBXAPI VBXDestroy(HCTL hctl) {
  if (!FindControl(hctl)) return VBXERR_BADHANDLE;
  DestroyControl(hctl);
  return Outcome(VBXERR_NONE);
}

BOOL VBXAPI VBXIsControl(HCTL hctl) { return Succeed(BOOL(TheState().controls.Find(hctl) != nullptr)); }

HWND VBXAPI VBXGetHwnd(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->hwnd) : nullptr;
}

HCTL VBXAPI VBXFromHwnd(HWND window) {
  if (!window || !IsWindow(window)) return Fail(VBXERR_NOTFOUND, HCTL(0));
  for (HCTL h : TheState().controls.Handles())
    if (TheState().controls.Find(h)->hwnd == window) return Succeed(h);
  return Fail(VBXERR_NOTFOUND, HCTL(0));
}

HWND VBXAPI VBXGetParent(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->parent) : nullptr;
}

int VBXAPI VBXGetId(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->id) : 0;
}

int VBXAPI VBXGetCtlClassNameBuf(HCTL hctl, char* buffer, int size) {
  Control* c = FindControl(hctl);
  return c ? CopyOut(c->cls->name, buffer, size) : 0;
}

HVBXFILE VBXAPI VBXGetCtlFile(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->file) : 0;
}

int VBXAPI VBXGetControlCount(void) { return Succeed(TheState().controls.Count()); }

HCTL VBXAPI VBXGetControlAt(int index) {
  HCTL h = TheState().controls.HandleAt(index);
  return h ? Succeed(h) : Fail(VBXERR_BADINDEX, HCTL(0));
}

LONG_PTR VBXAPI VBXGetUserData(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->userData) : 0;
}

LONG_PTR VBXAPI VBXSetUserData(HCTL hctl, LONG_PTR data) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  LONG_PTR previous = c->userData;
  c->userData = data;
  return Succeed(previous);
}

int VBXAPI VBXGetRect(HCTL hctl, RECT* rect) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  if (!rect) return Outcome(VBXERR_BADBUFFER);
  GetWindowRect(c->hwnd, rect);
  MapWindowPoints(nullptr, c->parent, reinterpret_cast<POINT*>(rect), 2);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXShow(HCTL hctl, BOOL show) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  ShowWindow(c->hwnd, show ? SW_SHOWNA : SW_HIDE);
  MirrorFlag(*c, "Visible", show != FALSE);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXEnable(HCTL hctl, BOOL enable) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  EnableWindow(c->hwnd, enable);
  MirrorFlag(*c, "Enabled", enable != FALSE);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXSetFocus(HCTL hctl) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  SetFocus(c->hwnd);
  return Outcome(GetFocus() == c->hwnd ? VBXERR_NONE : VBXERR_NOWINDOW);
}

HWND VBXAPI VBXSetEventTarget(HCTL hctl, HWND target) {
  Control* c = FindControl(hctl);
  if (!c) return nullptr;
  if (target && !IsWindow(target)) return Fail(VBXERR_NOWINDOW, HWND(nullptr));
  HWND previous = c->target ? c->target : c->parent;
  c->target = target;
  return Succeed(previous);
}

HWND VBXAPI VBXGetEventTarget(HCTL hctl) {
  Control* c = FindControl(hctl);
  if (!c) return nullptr;
  return Succeed(c->target ? c->target : c->parent);
}

HCTL VBXAPI VBXCloneControl(HCTL hctl, HWND parent, int id) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  if (!parent || !IsWindow(parent)) return Fail(VBXERR_NOWINDOW, HCTL(0));
  RECT r;
  GetWindowRect(c->hwnd, &r);
  MapWindowPoints(nullptr, c->parent, reinterpret_cast<POINT*>(&r), 2);
  char title[256];
  GetWindowTextA(c->hwnd, title, sizeof title);
  HVBXFILE file = c->file;
  int cls = int(c->cls - &TheState().files.Find(file)->classes[0]);
  HCTL copy =
      MakeControl(file, cls, parent, id, title, c->style, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (!copy) return 0;
  if (VBXCopyProps(hctl, copy) < 0) {
    DestroyControl(copy);
    return 0;
  }
  return Succeed(copy);
}

int VBXAPI VBXGetPaintCount(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->paints) : 0;
}

int VBXAPI VBXTwipsToPixelsX(int twips) { return Succeed(MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440)); }
int VBXAPI VBXTwipsToPixelsY(int twips) { return Succeed(MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440)); }
int VBXAPI VBXPixelsToTwipsX(int pixels) { return Succeed(MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSX))); }
int VBXAPI VBXPixelsToTwipsY(int pixels) { return Succeed(MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSY))); }

int VBXAPI VBXSetFont(HCTL hctl, HFONT font, BOOL redraw) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  if (font && GetObjectType(font) != OBJ_FONT) return Outcome(VBXERR_BADVALUE);
  SendMessageA(c->hwnd, WM_SETFONT, WPARAM(font), redraw);
  return Outcome(VBXERR_NONE);
}

HFONT VBXAPI VBXGetFont(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->font) : nullptr;
}

int VBXAPI VBXInvalidate(HCTL hctl, BOOL erase) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  InvalidateRect(c->hwnd, nullptr, erase);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXUpdate(HCTL hctl) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  UpdateWindow(c->hwnd);
  return Outcome(VBXERR_NONE);
}

DWORD VBXAPI VBXGetStyle(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(DWORD(GetWindowLongA(c->hwnd, GWL_STYLE))) : 0;
}

int VBXAPI VBXGetTitleBuf(HCTL hctl, char* buffer, int size) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  int length = GetWindowTextLengthA(c->hwnd);
  std::string title(size_t(length) + 1, '\0');
  title.resize(size_t(GetWindowTextA(c->hwnd, &title[0], length + 1)));
  return CopyOut(title, buffer, size);
}

int VBXAPI VBXSetTitle(HCTL hctl, const char* title) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  SetWindowTextA(c->hwnd, title ? title : "");
  return Outcome(VBXERR_NONE);
}

HCTL VBXAPI VBXGetControlFromId(HWND parent, int id) {
  for (HCTL h : TheState().controls.Handles()) {
    Control* c = TheState().controls.Find(h);
    if (c->parent == parent && c->id == id) return Succeed(h);
  }
  return Fail(VBXERR_NOTFOUND, HCTL(0));
}

int VBXAPI VBXDestroyAll(HWND parent) {
  int destroyed = 0;
  for (HCTL h : TheState().controls.Handles()) {
    Control* c = TheState().controls.Find(h);
    if (c && c->parent == parent) {
      DestroyControl(h);
      ++destroyed;
    }
  }
  return Succeed(destroyed);
}

HCTL VBXAPI VBXGetControlByName(HWND parent, const char* ctlName) {
  if (!ctlName) return Fail(VBXERR_NOTFOUND, HCTL(0));
  for (HCTL h : TheState().controls.Handles()) {
    Control* c = TheState().controls.Find(h);
    if (c->parent != parent) continue;
    int index = FindPropIndex(*c->cls, "CtlName");
    if (index >= 0 && c->cls->props[size_t(index)].type == VBXT_STRING &&
        SameName(c->values[size_t(index)].text, ctlName))
      return Succeed(h);
  }
  return Fail(VBXERR_NOTFOUND, HCTL(0));
}

}  // extern "C"
