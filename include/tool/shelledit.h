// TShellEdit: the debug output window, a read-only multi-line edit control that Basic's
// Print statement writes into.
//
// Constructed without arguments and without a window handle (a frame takes it as its
// client and makes the handle). Print output is laid out by the store's character-column
// print target (TextPrintable: zones of 14 columns, Tab, Spc, "\r\n" line ends), so a
// Print into this window reads as the same Print without an object. The text is kept in
// the object as well as in the control: output printed before the window exists shows
// when it is made, and Text() answers it with or without a handle.
//
// The history is bounded: past MaxLines lines (MaxLines + 1 counting the line still
// being printed), the oldest lines are dropped from the text and the control alike.
#pragma once

#include <deque>
#include <string>

#include "store/interobj.h"
#include "store/printlayout.h"
#include "tool/ovitool_api.h"
#include "winlib/static.h"

class OVITOOL_API TShellEdit : public TEdit, public TextPrintable {
 public:
  enum { kDefaultMaxLines = 1000 };

  TShellEdit();
  ~TShellEdit() override;

  // Empties the window for obj (which may be Nothing): the history goes, the next Print
  // starts at column 0, and the object's name is remembered (ResetName).
  virtual void Reset(const InterObj& obj);
  // Shows the kept text again (the control's content replaced by it) and repaints.
  virtual void Refresh();

  // The help request (F1 in the window, WM_HELP): nothing by default.
  virtual void HelpRequested();
  // The store object the window belongs to; null by default. The window library's
  // query for the object behind a window answers it.
  virtual InterObjRep* OwningObject();
  void* GetAsInterObjRep(TPoint& point) override;

  // The whole history, lines ended by "\r\n", the line being printed last.
  std::string Text() const;
  int LineCount() const { return (int)lines_.size() + 1; }  // finished lines and the current one
  const std::string& ResetName() const { return resetName_; }

  // At least 1; a smaller history drops the oldest lines at once.
  void SetMaxLines(int n);
  int GetMaxLines() const { return maxLines_; }

  void SetupWindow() override;
  LRESULT WindowProc(uint msg, WPARAM p1, LPARAM p2) override;

 protected:
  void write(const char* text, size_t n) override;

 private:
  void appendToControl(const std::string& text);
  void trimHistory();

  std::deque<std::string> lines_;  // finished lines, oldest first, without their line ends
  std::string current_;            // the line being printed
  std::string resetName_;
  int maxLines_ = kDefaultMaxLines;
  bool swallow_ = false;  // Reset ends the print target's line without writing it
};
