// JxTrace: writes text lines to a trace file, to the trace window, or both. A line is
// built with writeString and ended with writeEol (the caller holds its own lock while
// building), or written whole with writeLine, which is atomic against other writeLine
// calls. Each line ends with CR LF; with time stamps on it begins "hh:mm:ss.cc ".
//
// The trace window "J+X Trace Window" (class "JxTraceClass") holds a read-only edit
// control that keeps the newest lines under the edit limit. It belongs to the thread
// that made it: writers on other threads wait until that thread handles messages.
#pragma once

#include "dbutil/jxsemaphore.h"
#include "dbutil/jxstring.h"

#include <windows.h>

class JXUTL04_API JxTrace : public JxObject {
 public:
  // The flags word. The owner sets TIME_STAMPS and FLUSH as it likes; the rest follow
  // the trace's state.
  enum Flags {
    TIME_STAMPS = 0x01,  // each line begins with the time stamp and a blank
    TO_WINDOW = 0x02,    // lines also go to the window
    ACTIVE = 0x04,       // initialised and not reset
    LINE_START = 0x08,   // the next write begins a line
    FLUSH = 0x10         // the file's buffers are flushed after each line
  };
  enum { EDIT_LIMIT = 32767, TRIM_STEP = 10, LINE_RESERVE = 1024 };

  JxTrace();
  ~JxTrace() override;

  // Resets the state (keeping the owner's TIME_STAMPS and FLUSH), to window = bit 0 of
  // options, creates the file anew when a name is given, and the window when options is
  // not 0. 1 on any failure.
  JxStatus initialize(HINSTANCE instance, unsigned options, const char* fileName);
  JxStatus setTraceToWindow();
  JxStatus writeString(const char* text);
  JxStatus writeString(const char* text, uint32_t length);
  JxStatus writeString(const JxSubString& text);
  // Ends the line and sends it out; 1 when a write failed.
  JxStatus writeEol();
  JxStatus writeLine(const char* text);
  void setTopMost();
  void resetTopMost();
  // Closes the file, destroys the window, clears ACTIVE.
  void resetTrace();

  unsigned getFlags() const { return flags_; }
  void setFlags(unsigned flags) { flags_ = flags; }
  HWND getWindow() const { return window_; }
  HWND getEditControl() const { return edit_; }
  uint32_t getEditCount() const { return editCount_; }

  // Test seam: the next n window or edit-control creations fail.
  static void testFailWindowCreation(int n);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  JxStatus makeWindow();
  JxStatus beginLine();
  void appendToWindow(const char* text, uint32_t length);

  HINSTANCE instance_;
  HWND window_;
  HWND edit_;
  JxString line_;
  uint32_t editCount_;  // characters in the edit control
  int file_;            // 0 = none
  JxSemaphore sem_;
  unsigned flags_;
};
