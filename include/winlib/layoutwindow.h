// TLayoutWindow: a window that places its children by layout metrics (TLayoutMetrics)
// whenever its size changes, and on request (Layout).
//
// Children are solved in the order their constraints allow: a child whose constraints
// refer to siblings is placed after them. A set that cannot be solved (constraints that
// refer to each other in a ring, to a window that is neither the parent nor a sibling,
// or two constraints on the same edge of one axis) throws TXOwl; nothing is moved then.
// A child without metrics keeps its place and may be referred to as it is.
#pragma once

#include <vector>

#include "layoutmetrics.h"
#include "window.h"

class OVGUI1_API TLayoutWindow : public virtual TWindow {
 public:
  TLayoutWindow(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  ~TLayoutWindow() override;

  // child must be a child of this window (otherwise refused: TXOwl). Replaces earlier
  // metrics of the same child; takes effect at the next Layout.
  void SetChildLayoutMetrics(TWindow& child, const TLayoutMetrics& metrics);
  bool GetChildLayoutMetrics(const TWindow& child, TLayoutMetrics& metrics) const;
  bool RemoveChildLayoutMetrics(const TWindow& child);
  // Solves every child's metrics for the current client size and moves the children.
  virtual void Layout();
  // The rectangle the last Layout gave child (parent client coordinates); false for a
  // child without metrics.
  bool GetChildRect(const TWindow& child, TRect& rect) const;

  void SetupWindow() override;
  void EvSize(uint sizeType, TSize& size);

 protected:
  TLayoutWindow();

 private:
  struct Entry {
    TWindow* child;
    TLayoutMetrics metrics;
    TRect rect;
    bool solvedX, solvedY;
  };
  Entry* FindEntry(const TWindow* child);
  const Entry* FindEntry(const TWindow* child) const;
  TRect CurrentRect(const TWindow& child) const;
  bool IsMyChild(const TWindow* w) const;
  [[noreturn]] void Unsolvable() const;
  std::vector<Entry> entries_;

  DECLARE_RESPONSE_TABLE(TLayoutWindow);
};
