// StoreApplication: the default operations and the static entry points.
#include "store/storeapp.h"

#include "utils/orvanellog.h"
#include "parserlink.h"
#include "store/groups.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {

StoreApplication* g_app = nullptr;
StoreApplication::MessageBoxHook g_boxHook = nullptr;
int g_handleExceptions = 1;
int g_busyThreshold = 1000;
long g_autoBusy = 1;
int g_busyDepth = 0;
void (*g_idle)() = nullptr;

// The application used while no program registered one.
class DefaultApplication : public StoreApplication {};

// Text output of Print when nothing else prints: the debugger's output.
class DebugOutput : public Printable {
 public:
  void Print(short v) override { out(std::to_string(v)); }
  void Print(long v) override { out(std::to_string(v)); }
  void Print(float v) override { out(std::to_string(v)); }
  void Print(double v) override { out(std::to_string(v)); }
  void Print(const char* t) override { out(t ? t : ""); }
  void PrintSpace(int n) override { out(std::string(n > 0 ? (size_t)n : 0, ' ')); }
  void PrintTab(int) override { out("\t"); }
  void PrintSeparator(PrintSepType s) override {
    if (s == PrintSepZone) out("\t");
  }
  void PrintDone(PrintSepType s) override {
    if (s == PrintSepEndOfLine) out("\n");
  }

 private:
  void out(const std::string& s) { OutputDebugStringA(s.c_str()); }
};

int g_pendingRefresh = 0;

// Sends "Refresh(code)" to the developer tools' object editor manager when present.
void NotifyEditors(int code) {
  InterObjRep* mgr = ObjectStore::findStatic("ObjectEditorMgr");
  if (!mgr) return;
  Value* v = mgr->evalIMember("Refresh", (long)code, nullptr, InterObjRep::kEvalQuiet);
  if (v) v->unref();
}

// 0: no batch open; 1: a batch is open; 2: a batch is open and holds a refresh.
void Deferrable(StoreApplication*, int code) {
  if (g_pendingRefresh > 0) {
    g_pendingRefresh = 2;
    return;
  }
  NotifyEditors(code);
}

}  // namespace

StoreApplication::StoreApplication() : flags(0) { g_app = this; }

StoreApplication::~StoreApplication() {
  if (g_app == this) g_app = nullptr;
}

StoreApplication* StoreApplication::App() {
  if (!g_app) {
    static DefaultApplication* def = nullptr;
    if (!def) def = new DefaultApplication;  // registers itself
    g_app = def;
  }
  return g_app;
}

// --- virtual defaults ---------------------------------------------------------------------

int StoreApplication::ReportStoreError(StoreException& e) {
  if (e.userHandled(-1)) return 1;
  std::string text = e.what();
  if (!e.objectName().empty()) {
    text = "For the object '" + e.objectName() + (e.memberName().empty() ? "'" : "' in " + e.memberName()) +
           " at line #" + std::to_string(e.line() + 1) + ":  " + e.what();
  }
  MessageBoxV(nullptr, text.c_str(), e.className(), MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
  return 1;
}

// Batches hold back the deferrable refreshes; the end sends one refresh 13 if any was held.
void StoreApplication::BeginNotifyBatch() {
  if (batchDepth_++ == 0) g_pendingRefresh = 1;
}
void StoreApplication::EndNotifyBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0) return;
  bool pending = g_pendingRefresh == 2;
  g_pendingRefresh = 0;
  if (pending) NotifyEditors(13);
}
void StoreApplication::NotifyObjectChanged() { Deferrable(this, 2); }
void StoreApplication::NotifyObjectAdded() { NotifyEditors(3); }
void StoreApplication::NotifyFieldsChanged() { Deferrable(this, 7); }
void StoreApplication::NotifyValuesChanged() { Deferrable(this, 8); }
void StoreApplication::NotifyObjectRemoved() { NotifyEditors(9); }
void StoreApplication::NotifyModulesChanged() { NotifyEditors(5); }
void StoreApplication::UnloadModuleForms(int) {}
void StoreApplication::NotifyObjectRenamed() { NotifyEditors(15); }
void StoreApplication::NotifyObjectDestroyed() { NotifyEditors(14); }

Printable* StoreApplication::FindPrintTarget() {
  if (InterObjRep* dbg = ObjectStore::findStatic("Debug"))
    if (IInterObj* n = dbg->ROCDataPtr(0))
      if (Printable* p = n->printable()) return p;
  static DebugOutput* out = new DebugOutput;
  return out;
}

void StoreApplication::ShowStatus(const char*) {}
void StoreApplication::SetSplashStatus(int) {}
void StoreApplication::RequestQuit() { PostQuitMessage(0); }
void StoreApplication::EnableCtl3dAutosubclass(int) {}
void StoreApplication::ShowBusyCursorIfBusy() {}
void StoreApplication::SetBusyCursor() {}
void StoreApplication::SignalBusyV() { ++g_busyDepth; }
void StoreApplication::SignalNotBusyV() {
  if (g_busyDepth > 0) --g_busyDepth;
}
void StoreApplication::EnableAutoBusy(long on) { g_autoBusy = on; }
int StoreApplication::AutoBusyEnabledV() { return g_autoBusy ? 1 : 0; }
void StoreApplication::SetBusyThreshold(int ms) { g_busyThreshold = ms; }
int StoreApplication::GetBusyThreshold() { return g_busyThreshold; }
void StoreApplication::PollUserBreak() {}

int StoreApplication::MessageBoxV(HWND owner, const char* text, const char* caption, unsigned style) {
  if (g_boxHook) return g_boxHook(text, caption, style);
  std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "");
  OrvanelLog(line.c_str());
  (void)owner;
  return IDOK;
}

ObjectStore* StoreApplication::NewModuleStore(OCLStorage* storage) { return new ObjectStore(storage); }
int StoreApplication::Unnamed1() { return 1; }
// Text object files go through the parser library (0 when it is missing).
int StoreApplication::ReadTextObjectFile(const char* file, InterObjRep* target) {
  typedef int (*ReadFn)(const char*, InterObjRep*, int);
  auto read = reinterpret_cast<ReadFn>(ParserEntry("ParserReadTextObjects"));
  if (!read) return 0;
  return read(file, target, 1);
}

// Module m's top-level objects, collected in a group of the temporary module.
int StoreApplication::WriteTextObjectFile(const char* file, int module) {
  typedef void (*WriteFn)(const char*, int, InterObjRep*);
  auto write = reinterpret_cast<WriteFn>(ParserEntry("ParserWriteTextObjects"));
  if (!write) return 0;
  PrimInterObj group(iGroup::PO_GetObject(), ObjectStore::kTempModule, 1);
  ObjectStore::GetStaticObjects((unsigned char)module, group.get(), 1);
  write(file, 0, group.get());
  return 1;
}
const char* StoreApplication::GetTextResourceFileV() { return nullptr; }
int StoreApplication::WriteTextResourceV(const void*, long, int) { return 0; }
void* StoreApplication::ReadTextResourceV(const char*, long, long& len, int) {
  len = 0;
  return nullptr;
}

void StoreApplication::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  InterObjRep::DeleteObjects();
}

void StoreApplication::SetIdleCallbackV(void (*fn)()) { g_idle = fn; }
void StoreApplication::SetIdleCallbackHWND(HWND) {}
void StoreApplication::ForgetIdleCallbackHWND(HWND) {}
HWND StoreApplication::SuperHWNDV() { return nullptr; }
void StoreApplication::ActivateObjectWindow(InterObjRep*) {}
InterObjRep* StoreApplication::ActiveWindowObject() { return nullptr; }
int StoreApplication::GetCurrentMessageLoopIndexV() { return 0; }
void StoreApplication::SetMessageLoopGotoV(int) {}

// --- static entry points ---------------------------------------------------------------------

int StoreApplication::MessageBox(HWND owner, const char* text, const char* caption, unsigned style) {
  return App()->MessageBoxV(owner, text, caption, style);
}

void StoreApplication::HandleException(StoreException& e) {
  if (!g_handleExceptions) e.Throw();
  App()->ReportStoreError(e);
  e.userHandled(1);
}

int StoreApplication::HandleExceptions(int on) {
  int prev = g_handleExceptions;
  g_handleExceptions = on;
  return prev;
}

void StoreApplication::SetIdleCallback(void (*fn)()) { App()->SetIdleCallbackV(fn); }
HWND StoreApplication::SuperHWND() { return App()->SuperHWNDV(); }
int StoreApplication::AutoBusyEnabled() { return App()->AutoBusyEnabledV(); }
void StoreApplication::SignalBusy() { App()->SignalBusyV(); }
void StoreApplication::SignalNotBusy() { App()->SignalNotBusyV(); }
void StoreApplication::CheckBusySignal() { App()->ShowBusyCursorIfBusy(); }
void StoreApplication::PollUserBreakNow() { App()->PollUserBreak(); }
int StoreApplication::GetCurrentMessageLoopIndex() { return App()->GetCurrentMessageLoopIndexV(); }
void StoreApplication::SetMessageLoopGoto(int index) { App()->SetMessageLoopGotoV(index); }
void StoreApplication::AlterMessageLoop(int) {}
void* StoreApplication::ReadTextResource(const char* file, long id, long& len, int kind) {
  return App()->ReadTextResourceV(file, id, len, kind);
}
int StoreApplication::WriteTextResource(const void* data, long len, int kind) {
  return App()->WriteTextResourceV(data, len, kind);
}
const char* StoreApplication::GetTextResourceFile() { return App()->GetTextResourceFileV(); }

void StoreApplication::BatchNotifies(int open) {
  if (open)
    App()->BeginNotifyBatch();
  else
    App()->EndNotifyBatch();
}

StoreApplication::MessageBoxHook StoreApplication::SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook prev = g_boxHook;
  g_boxHook = hook;
  return prev;
}

SuspendAutoBusy::SuspendAutoBusy() : was_(StoreApplication::AutoBusyEnabled()) {
  StoreApplication::App()->EnableAutoBusy(0);
}
SuspendAutoBusy::~SuspendAutoBusy() { StoreApplication::App()->EnableAutoBusy(was_); }
