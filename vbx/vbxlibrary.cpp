// The library as a whole: initialisation counting, the host's name and instance, the
// outcome of the last call and its text; the shared helpers of the other files.
#include "vbxstate.h"

#include <cstring>

namespace vbx {

State& TheState() {
  static State state;
  return state;
}

const char kControlWindowClass[] = "OrvanelVbxControl";

Control* FindControl(HCTL hctl) {
  Control* c = TheState().controls.Find(hctl);
  if (!c) TheState().lastError = VBXERR_BADHANDLE;
  return c;
}

ControlFile* FindFile(HVBXFILE file) {
  ControlFile* f = TheState().files.Find(file);
  if (!f) TheState().lastError = VBXERR_BADHANDLE;
  return f;
}

const PropInfo* FindProp(const Control& c, int index) {
  if (index < 0 || size_t(index) >= c.cls->props.size()) {
    TheState().lastError = VBXERR_BADINDEX;
    return nullptr;
  }
  return &c.cls->props[size_t(index)];
}

int FindPropIndex(const ClassInfo& cls, const char* name) {
  if (!name) return -1;
  for (size_t i = 0; i < cls.props.size(); ++i)
    if (SameName(cls.props[i].name, name)) return int(i);
  return -1;
}

int CopyOut(const std::string& text, char* buffer, int size) {
  if (!buffer || size < 1) return Fail(VBXERR_BADBUFFER, 0);
  size_t n = text.size() < size_t(size - 1) ? text.size() : size_t(size - 1);
  memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return Succeed(int(n));
}

bool SameName(const std::string& a, const char* b) { return b && lstrcmpiA(a.c_str(), b) == 0; }

}  // namespace vbx

using namespace vbx;

namespace {

const char* const kErrorTexts[VBXERR_COUNT] = {
    "No error",
    "The VBX library is not initialised",
    "Invalid handle",
    "Index out of range",
    "Wrong property type for this call",
    "The property is read-only",
    "The control file cannot be loaded",
    "The control file is not a valid VBX control file",
    "No such control class in the file",
    "Out of memory",
    "Invalid value",
    "The control file still has controls",
    "The control does not support this method",
    "No buffer to copy into",
    "The control window cannot be created",
    "Not found",
    "Events of the control are switched off",
};

}  // namespace

extern "C" {

BOOL VBXAPI VBXInit32(HINSTANCE instance, const char* appName) {
  State& s = TheState();
  if (s.initCount == 0) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ControlWindowProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = s.self;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kControlWindowClass;
    s.windowClass = RegisterClassA(&wc);
    if (!s.windowClass) return Fail(VBXERR_NOWINDOW, FALSE);
    s.instance = instance;
    s.appName = appName ? appName : "";
  }
  ++s.initCount;
  return Succeed(TRUE);
}

BOOL VBXAPI VBXTerm32(void) {
  State& s = TheState();
  if (s.initCount == 0) return Fail(VBXERR_NOTINIT, FALSE);
  if (--s.initCount == 0) {
    // The last user has gone: controls, files and handles go with the library's state.
    for (HCTL h : s.controls.Handles()) DestroyControl(h);
    s.controls.Clear();
    for (HVBXFILE f : s.files.Handles()) ReleaseFile(f);
    s.cstrings.Clear();
    s.bstrings.Clear();
    UnregisterClassA(kControlWindowClass, s.self);
    s.windowClass = 0;
    s.instance = nullptr;
    s.appName.clear();
  }
  return Succeed(TRUE);
}

DWORD VBXAPI VBXGetVersion(void) { return Succeed(DWORD(0x00010000)); }  // 1.0

BOOL VBXAPI VBXIsInitialized(void) { return Succeed(BOOL(TheState().initCount > 0)); }

int VBXAPI VBXGetInitCount(void) { return Succeed(TheState().initCount); }

int VBXAPI VBXGetAppNameBuf(char* buffer, int size) {
  if (TheState().initCount == 0) {
    if (buffer && size > 0) buffer[0] = 0;
    return Fail(VBXERR_NOTINIT, 0);
  }
  return CopyOut(TheState().appName, buffer, size);
}

HINSTANCE VBXAPI VBXGetInstance(void) {
  if (TheState().initCount == 0) return Fail(VBXERR_NOTINIT, HINSTANCE(nullptr));
  return Succeed(TheState().instance);
}

int VBXAPI VBXGetLastError(void) { return TheState().lastError; }

int VBXAPI VBXSetLastError(int error) {
  int previous = TheState().lastError;
  TheState().lastError = error;
  return previous;
}

int VBXAPI VBXGetErrorTextBuf(int error, char* buffer, int size) {
  if (error < 0 || error >= VBXERR_COUNT) {
    if (buffer && size > 0) buffer[0] = 0;
    return Fail(VBXERR_BADINDEX, 0);
  }
  return CopyOut(kErrorTexts[error], buffer, size);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    TheState().self = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
