// What the control, button and form tests share: Basic objects read from text object
// files (forms with embedded controls and their handlers), an event log every form
// keeps, tasks run inside whatever message loop is pumping, and stream blocks.
#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "guiobjects1/formclient.h"
#include "guiobjects1/iwbutton.h"
#include "guiobjects1/iwcontrol.h"
#include "guiobjects1/iwform.h"
#include "iwwindow_kit.h"
#include "parser/ovparse.h"
#include "store/enum.h"
#include "store/valstring.h"
#include "testkit/testkit.h"

namespace formkit {

using namespace windowkit;

// Handlers that append each form event's name and a comma to the form's Events.
inline std::string LoggingHandlers() {
  std::string text;
  for (const char* e : {"Load", "Unload", "Activate", "Deactivate", "Resize", "Click", "DblClick"})
    text += std::string("  Sub ") + e + "()\n    Events = Events & \"" + e + ",\"\n  End Sub\n";
  return text;
}

// Reads text as a text object file into the test module; false with the store's error
// when it could not be read.
inline bool ReadObjects(const std::string& text, std::string* error = nullptr) {
  TestApp();
  static int n = 0;
  char dir[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, dir);
  std::string path = std::string(dir) + "formkit_" + std::to_string(GetCurrentProcessId()) + "_" +
                     std::to_string(++n) + ".obo";
  std::ofstream(path, std::ios::binary) << text;
  OpenModuleResource open(TestModule());
  bool ok = false;
  try {
    InterObj none;
    ok = ParserReadTextObjectFile(path.c_str(), none, 1) != 0;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  DeleteFileA(path.c_str());
  return ok;
}

// A form named name ("Type name From Form") with body (its declarations and embedded
// controls first, then handlers of its own) and the logging handlers.
inline IWForm* MakeForm(const std::string& name, const std::string& body = "") {
  std::string error;
  bool ok = ReadObjects(
      "Type " + name + " From Form\n  Dim Events As String\n" + body + LoggingHandlers() + "End Type\n",
      &error);
  EXPECT_TRUE(ok) << error;
  return IWForm::Native(ObjectStore::find(name.c_str()));
}

inline std::string Log(IWForm* f) {
  Value* v = f && f->storeObj() ? f->storeObj()->evalIMember("Events", nullptr) : nullptr;
  return TextOf(v);
}

// The log without the activation events, which come from the window system and depend
// on what else the display runs.
inline std::string LogWithoutActivation(IWForm* f) {
  std::string log = Log(f), out;
  size_t at = 0;
  while (at < log.size()) {
    size_t comma = log.find(',', at);
    if (comma == std::string::npos) comma = log.size() - 1;
    std::string item = log.substr(at, comma + 1 - at);
    if (item != "Activate," && item != "Deactivate,") out += item;
    at = comma + 1;
  }
  return out;
}

inline void ClearLog(IWForm* f) { RunBasic(f->storeObj()->fullName() + ".Events = \"\""); }

// The embedded window object named name of a form.
template <class T>
T* Embedded(IWForm* f, const char* name) {
  InterObjRep* o = f && f->storeObj() ? f->storeObj()->findEmbed(name) : nullptr;
  return o ? dynamic_cast<T*>(o->ROCDataPtr(0)) : nullptr;
}

// Gives an embedded control of a form a place and a size (twips) where a posted click
// at (2, 2) lands on it.
inline void Place(IWForm* f, const char* name, float left = 120, float top = 120) {
  if (IWWindow* w = Embedded<IWWindow>(f, name)) w->imMove(left, top, 1200, 450);
}

// Runs queued functions inside whatever message loop pumps next (posted messages reach
// a window disabled by a modal loop too). Exceptions propagate to that loop as the
// window library holds them. A guard runs once when a time limit passes first, so that
// a test never waits for ever.
class Tasks : public TWindow {
 public:
  Tasks() : TWindow(nullptr, "tasks", nullptr) {
    Attr.Style = WS_POPUP;
    Create();
  }
  void Post(std::function<void()> fn) {
    queue_.push_back(std::move(fn));
    PostMessage(WM_APP);
  }
  void Guard(std::function<void()> fn, unsigned ms) {
    guard_ = std::move(fn);
    SetTimer(1, ms);
  }
  void Unguard() {
    KillTimer(1);
    guard_ = nullptr;
  }
  void EvTimer(uint) {
    auto fn = guard_;
    Unguard();
    if (fn) fn();
  }
  LRESULT Run(WPARAM, LPARAM) {
    std::vector<std::function<void()>> now;
    now.swap(queue_);
    for (auto& fn : now) fn();
    return 0;
  }

 private:
  std::vector<std::function<void()>> queue_;
  std::function<void()> guard_;
  DECLARE_RESPONSE_TABLE(Tasks);
};

// Lets the window system deliver what is pending.
inline void Pump(DWORD ms = 50) {
  DWORD start = GetTickCount();
  testkit::PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

}  // namespace formkit

// One test program includes this header once.
DEFINE_RESPONSE_TABLE1(formkit::Tasks, TWindow)
EV_MESSAGE(WM_APP, Run), EV_WM_TIMER, END_RESPONSE_TABLE;
