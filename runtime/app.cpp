// App: construction, start-up, the main window, closing and shutdown, and the store
// operations that are not about the message loop (msgloop.cpp has those).
#include "runtime/app.h"

#include <cstdio>
#include <memory>
#include <string>

#include "runtime/appmodule.h"
#include "runtime/cmdline.h"
#include "runtime/mainguard.h"
#include "runtime/splash.h"
#include "store/groups.h"
#include "store/idstring.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "utils/xexception.h"
#include "winlib/framewin.h"
#include "winlib/window.h"

namespace {

const char kSourceName[] = "APP";
enum { kIdleSlots = 10 };

const char kProgramErrorText[] =
    "A program error has occurred. You may choose to\n"
    "save and exit now, revert to previous save and\n"
    "exit now, or continue working.\n\n"
    "Yes = save & exit; No = revert & exit; Cancel = continue\n";

// After a memory fault the program's data may be damaged: saving could write that damage
// over the user's files, and going on could do worse.
const char kHardwareFaultText[] =
    "A program error has occurred: the program accessed memory it does not own or ran an\n"
    "invalid instruction. Its data may be damaged, so nothing is saved and the program\n"
    "ends now; changes since the last save are lost.\n";

void Check(bool ok, const char* condition, int line) {
  if (!ok) utilsAssert(condition, kSourceName, line);
}

std::string JoinModules(const char* packed) {
  std::string joined;
  for (const std::string& name : UnpackModuleList(packed)) {
    if (!joined.empty()) joined += ";";
    joined += name;
  }
  return joined;
}

}  // namespace

App::App(int argc, char** argv, unsigned long flags, char* modules, char* appName, char* splash)
    : TApplication(nullptr, nullptr),
      argc_(argc),
      argv_(argv),
      startFlags_(flags),
      modules_(modules),
      appName_(appName),
      splash_(splash) {
  if (!modules || !appName) throw XException("This Orvanel application stub is uninitialized.");
  idleWindows_.assign(kIdleSlots, nullptr);
}

App::~App() {
  if (hotKey_) {
    if (MainWindow && MainWindow->HWindow) UnregisterHotKey(MainWindow->HWindow, hotKey_);
    GlobalDeleteAtom(hotKey_);
    hotKey_ = 0;
  }
  // The main form's window object belongs to its store object, not to the window
  // library: it goes with the modules.
  if (!mainForm_.isNull()) {
    SetMainWindow(nullptr);
    mainForm_.clear();
  }
  if (storeStarted_) {
    try {
      ObjectStore::UnloadAllModules(flags & kRevert);
    } catch (...) {  // a failed save was reported by the store already
    }
    InterObjRep::DeleteObjects();
    IdString::Terminate();
  }
  appObject_.clear();
}

int App::Run() {
  if (!hPrevInstance) InitApplication();
  InitInstance();
  return MessageLoop();
}

void App::InitApplication() {
  ShowStatus("Constructing intrinsic objects");
  TApplication::InitApplication();
  TApplication::EnableCtl3d(true);
  IdString::Initialize();
  storeStarted_ = true;
  ObjectStore::Initialize();  // publishes the store's own library first

  ShowStatus("Preloading modules");
  PumpWaitingMessages(0);
  Check(iModuleManager::Native(iModuleManager::PO_GetObject()) != nullptr, "modManager", 120);
  std::string joined = JoinModules(modules_);
  unsigned char* token = nullptr;
  iModuleManager::LoadModules(joined.c_str(), 0, token);
  std::unique_ptr<unsigned char[]> pending(token);  // freed unless handed on below
  for (int i = 1; i < iModuleManager::pdGetModuleCount(); ++i)
    if (iObjectModule* module = iObjectModule::Native(iModuleManager::imModule(i))) module->pdSetCanUnload(0);

  std::string status = std::string("Starting application: ") + appName_;
  ShowStatus(status.c_str());
  PumpWaitingMessages(0);
  InterObj found;
  if (!ObjectStore::find(appName_, found) || found.isNull() || !iApplication::Native(found.get())) {
    char text[512];
    snprintf(text, sizeof text, "Error: could not find application object: %s", appName_);
    throw XException(text);
  }
  InterObjRep* app = found.get();
  iGlobals::SetApp(app);
  appObject_ = Faultp<InterObjRep>(app, tUncountedIndirectReference);
  iApplication* native = iApplication::Native(app);
  Check(native != nullptr, "app", 373);
  native->SetInfo(argc_, argv_, startFlags_, modules_, splash_);
  if (token) iModuleManager::PostLoadModulesNotify(pending.release());

  app->evalIEvent("Startup", nullptr, 1);
  ReadExitCode();
}

InterObjRep* App::ApplicationObject() const { return appObject_.isNull() ? nullptr : appObject_.get(); }

void App::ReadExitCode() {
  if (iApplication* native = appObject_.isNull() ? nullptr : iApplication::Native(appObject_.get()))
    exitCode_ = native->pdGetExitCode();
}

namespace {

// Whether obj is a published form (of the form library, when it is loaded).
bool IsAForm(InterObjRep* obj) {
  InterObjRep* form = obj ? ObjectStore::find("Form") : nullptr;
  return form && form->isPrototype() && std::string(form->progId()) == "Orvanel.Form" &&
         obj->canBeTreatedAs(form);
}

// The form library's frame window behind a form object, or null.
TFrameWindow* FormFrame(InterObjRep* obj) {
  return IsAForm(obj) ? dynamic_cast<TFrameWindow*>(obj->ROCDataPtr(0)) : nullptr;
}

}  // namespace

// The main form comes from the application object; its window object belongs to the
// form's store object, which the launcher keeps while the form is the main window.
void App::InitMainWindow() {
  if (MainWindow) return;
  iApplication* native = appObject_.isNull() ? nullptr : iApplication::Native(appObject_.get());
  Check(native != nullptr, "app", 435);
  InterObjRep* form = native->pdGetMainForm();
  TFrameWindow* frame = FormFrame(form);
  if (!frame) return;
  mainForm_ = form;
  SetMainWindow(frame);
  // The form's caption goes to the super window (the splash), as the form itself does
  // when its caption changes.
  if (HWND super = SuperHWNDV()) ::SetWindowTextA(super, frame->Title ? frame->Title : "");
}

void App::InitInstance() {
  InitMainWindow();
  if (!MainWindow) throw XNoMainForm();
  MainWindow->SetFlag(wfMainWindow);
  if (!mainForm_.isNull() && IsAForm(mainForm_.get())) {
    ValuePtr shown;
    shown.adopt(mainForm_.get()->evalIMember("Show", nullptr, nullptr));
  } else {
    if (!MainWindow->HWindow) MainWindow->Create();
    MainWindow->ShowWindow(nCmdShow);
  }
  PumpWaitingMessages(0);
  SinkSplash();
  superHwnd_ = SplashHandle();
  RegisterBreakKey();
}

bool App::CanClose() {
  short answer = 1;
  ValuePtr result;
  InterObjRep* app = appObject_.isNull() ? nullptr : appObject_.get();
  if (app) {
    Value* v = nullptr;
    app->evalIEvent_Return("CanClose", nullptr, v);
    result.adopt(v);
    if (v) answer = v->asShort();
  }
  if (answer == 0) return false;
  if (app) {
    Faultp<InterObjRep> keep(app);
    app->evalIEvent("Shutdown", nullptr, 1);
    ReadExitCode();
    appObject_.clear();
  }
  // True (-1) is Basic's natural yes: it closes normally, like 1. Other non-zero
  // answers close without saving.
  if (answer == 1 || answer == -1)
    flags &= ~kRevert;
  else
    flags |= kRevert;
  flags |= kClosing;
  return true;
}

int App::ProgramErrorBox(const XAssert& x) {
  if (HardwareFaultSeen()) {
    LauncherMessageBox(nullptr, kHardwareFaultText, "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    flags |= kClosing | kRevert;
    return 1;
  }
  char code[16];
  utilsEncodeAssert(x.Path().c_str(), x.Line(), code);
  char caption[32];
  snprintf(caption, sizeof caption, "Error %s", code);
  int answer = LauncherMessageBox(nullptr, kProgramErrorText, caption, 0x2133);
  if (answer == IDCANCEL) return 0;
  flags |= kClosing;
  if (answer == IDNO)
    flags |= kRevert;
  else
    flags &= ~kRevert;
  return 1;
}

int App::ReportStoreError(StoreException& e) {
  if (e.userHandled(-1)) return 1;
  std::string text = e.what();
  if (!e.objectName().empty())
    text = "For the object '" + e.objectName() +
           (e.memberName().empty() ? std::string("'") : "' in " + e.memberName()) + " at line #" +
           std::to_string(e.line() + 1) + ":  " + e.what();
  LauncherMessageBox(nullptr, text.c_str(), e.className(), 0x2030);
  return 1;
}

namespace {

struct UnloadForms {
  unsigned char module;  // 255: every module
};

BOOL CALLBACK UnloadOneForm(HWND h, LPARAM param) {
  const UnloadForms& what = *reinterpret_cast<const UnloadForms*>(param);
  try {
    TWindow* w = TWindow::GetWindowPtr(h);
    TPoint none;
    InterObjRep* obj = w ? static_cast<InterObjRep*>(w->GetAsInterObjRep(none)) : nullptr;
    if (obj && IsAForm(obj) && (what.module == 255 || obj->module() == what.module)) {
      Faultp<InterObjRep> keep(obj);
      ValuePtr done;
      done.adopt(obj->evalIMember("UnloadForm", nullptr, nullptr));
    }
  } catch (...) {  // one form failing does not keep the others
  }
  return TRUE;
}

}  // namespace

void App::UnloadModuleForms(int module) {
  UnloadForms what{(unsigned char)module};
  EnumWindows(UnloadOneForm, reinterpret_cast<LPARAM>(&what));
}

Printable* App::FindPrintTarget() {
  for (HWND h = GetFocus(); h; h = GetParent(h))
    if (Printable* p = dynamic_cast<Printable*>(TWindow::GetWindowPtr(h))) return p;
  if (InterObjRep* debug = ObjectStore::findStatic("Debug"))
    if (IInterObj* n = debug->ROCDataPtr(0))
      if (Printable* p = n->printable()) return p;
  return nullptr;
}

void App::ShowStatus(const char* text) {
  ::ShowStatus(text);
  PumpWaitingMessages(0);
}

void App::SetSplashStatus(int on) { ::SetSplashStatus(on); }

void App::RequestQuit() {
  if (!GetApplicationObject() || CanClose()) {
    BreakMessageLoop = true;
    requestedLoop_ = -1;
  }
}

void App::EnableCtl3dAutosubclass(int on) { TApplication::EnableCtl3dAutosubclass(on != 0); }

int App::MessageBoxV(HWND owner, const char* text, const char* caption, unsigned style) {
  return LauncherMessageBox(owner, text, caption, style);
}

void App::PumpMessages() { PumpWaitingMessages(1); }

void App::SetIdleCallbackV(void (*fn)()) { idleCallback_ = fn; }

void App::SetIdleCallbackHWND(HWND w) {
  Check(!idleWindows_.empty(), "idleHWND != NULL", 1046);
  for (HWND h : idleWindows_)
    if (h == w) return;
  for (HWND& h : idleWindows_)
    if (!h) {
      h = w;
      return;
    }
  size_t old = idleWindows_.size();
  idleWindows_.resize(old * 2, nullptr);
  idleWindows_[old] = w;
}

void App::ForgetIdleCallbackHWND(HWND w) {
  for (HWND& h : idleWindows_)
    if (h == w) h = nullptr;
}

HWND App::SuperHWNDV() { return superHwnd_ ? superHwnd_ : SplashHandle(); }

void App::ActivateObjectWindow(InterObjRep* obj) {
  HWND target = nullptr;
  if (obj) {
    int found = 0;
    Value* v = obj->evalIMember("hWnd", nullptr, &found, InterObjRep::kEvalQuiet);
    ValuePtr hold;
    hold.adopt(v);
    if (v) target = reinterpret_cast<HWND>(static_cast<intptr_t>(v->asLong()));
  }
  SetActiveWindow(target);
}

InterObjRep* App::ActiveWindowObject() {
  TWindow* w = TWindow::GetWindowPtr(GetActiveWindow());
  TPoint none;
  return w ? static_cast<InterObjRep*>(w->GetAsInterObjRep(none)) : nullptr;
}

ObjectStore* App::NewModuleStore(OCLStorage* storage) { return new AppModule(storage); }

int App::ReadTextObjectFile(const char* file, InterObjRep* target) { return ReadTextObjects(file, target); }

int App::WriteTextObjectFile(const char* file, int module) { return WriteTextObjects(file, module); }

const char* App::GetTextResourceFileV() { return TextResourceFile(); }

int App::WriteTextResourceV(const void* data, long len, int kind) { return int(WriteResource(data, len, kind)); }

void* App::ReadTextResourceV(const char* file, long id, long& len, int kind) {
  return ReadResource(file, id, len, kind);
}
