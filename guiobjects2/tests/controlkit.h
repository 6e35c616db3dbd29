// What the control tests of oviui2 share: oviui1's form kit with oviui2 published once,
// forms whose controls log their events, and a control's window style.
#pragma once

#include <windows.h>

#include <string>

#include "formkit.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects2/iwedit.h"
#include "guiobjects2/iwstatic.h"

namespace controlkit {

using namespace formkit;

inline void Published() {
  TestApp();
  static bool once = [] {
    ObjectStore::PublishObjectDLL("oviui2");
    return true;
  }();
  (void)once;
}

// Handlers of control name that append "<event>," to the form's Events for each event
// given (without arguments: Click, DblClick, Change, GotFocus, LostFocus, Setup; with
// them: MouseDown, MouseUp).
inline std::string ControlLogging(const std::string& name, std::initializer_list<const char*> events) {
  std::string text;
  for (const char* e : events) {
    std::string ev(e);
    std::string args = ev == "MouseDown" || ev == "MouseUp"
                           ? "(button As Integer, shift As Integer, x As Single, y As Single)"
                           : "()";
    text += "  Sub " + name + "_" + ev + args + "\n    Events = Events & \"" + ev + ",\"\n  End Sub\n";
  }
  return text;
}

// A form with one control of class cls named name, which logs the events given.
inline IWForm* FormWith(const std::string& form, const char* cls, const std::string& name,
                        std::initializer_list<const char*> events, const std::string& more = "") {
  Published();
  return MakeForm(form,
                  "  Type " + name + " From " + cls + "\n  End Type\n" + more + ControlLogging(name, events));
}

// The log of a form without activation and focus events, which depend on what else
// runs on the display.
inline std::string Events(IWForm* f) {
  std::string log = LogWithoutActivation(f);
  for (const char* ev : {"GotFocus,", "LostFocus,"})
    for (size_t at; (at = log.find(ev)) != std::string::npos;) log.erase(at, strlen(ev));
  return log;
}

// Lets the window system deliver what is pending through the application's loop, which
// offers each message to the published windows first (their left-button events).
inline void AppPump(DWORD ms = 60) {
  DWORD start = GetTickCount();
  do {
    TestApp().PumpWaitingMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
  TestApp().PumpWaitingMessages();
}

inline uint32_t StyleOf(TWindow* w) { return (uint32_t)GetWindowLongA(w->HWindow, GWL_STYLE); }

}  // namespace controlkit
