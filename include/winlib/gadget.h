// TGadget: a light-weight, window-less item of a gadget window (a button, a separator),
// laid out and drawn by that window. Its bounds are in the window's client coordinates;
// the window tells it of mouse entry, exit, presses and releases, and asks it, on idle,
// to refresh its enabled state (CommandEnable).
//
// A gadget belongs to at most one window at a time. The window deletes the gadgets still
// in it when it is deleted, except those marked as owned elsewhere (a gadget that is part
// of a larger object).
#pragma once

#include "geometry.h"

class TDC;
class TGadgetWindow;

class OVGUI1_API TGadget {
 public:
  enum TBorderStyle { None, Plain, Raised, Recessed, Embossed };

  explicit TGadget(int id = 0, TBorderStyle borderStyle = None);
  virtual ~TGadget();  // leaves its window first
  TGadget(const TGadget&) = delete;
  TGadget& operator=(const TGadget&) = delete;

  int GetId() const { return Id; }
  TGadgetWindow* GetGadgetWindow() const { return Window; }
  TGadget* NextGadget() const { return Next; }
  const TRect& GetBounds() const { return Bounds; }
  virtual void SetBounds(const TRect& bounds);
  bool GetEnabled() const { return Enabled; }
  virtual void SetEnabled(bool enabled);  // repaints on a change
  TBorderStyle GetBorderStyle() const { return BorderStyle; }
  void SetBorderStyle(TBorderStyle style);
  void SetOwnedElsewhere(bool owned) { ownedElsewhere_ = owned; }
  bool IsOwnedElsewhere() const { return ownedElsewhere_; }

  // The size the gadget wants, borders included (0 means "no preference" across the
  // tile direction).
  virtual void GetDesiredSize(TSize& size);
  // True when p (window client coordinates) is inside the gadget.
  virtual bool PtIn(const TPoint& p) const { return Bounds.Contains(p); }

  // Repaints the gadget's bounds in its window (nothing while it has no window handle).
  void Invalidate(bool erase = true);
  void InvalidateRect(const TRect& rect, bool erase = true);
  void Update();

  // The hint shown for the gadget, or null. With owned set non-zero the caller deletes
  // the text (delete[]); the default answers null and clears owned.
  virtual const char* GetHintText(int& owned);
  // Called by the window's idle pass: refresh the enabled state (nothing here).
  virtual void CommandEnable();

  // Mouse hooks, points in the window's client coordinates.
  virtual void MouseEnter(uint modKeys, TPoint& point);
  virtual void MouseMove(uint modKeys, TPoint& point);
  virtual void MouseLeave(uint modKeys, TPoint& point);
  virtual void LButtonDown(uint modKeys, TPoint& point);
  virtual void LButtonUp(uint modKeys, TPoint& point);
  // The window's capture went to another window while this gadget held it.
  virtual void CaptureLost() {}
  // The window's timer tid fired while this gadget held the capture.
  virtual void Timer(uint timerId);

  virtual void Paint(TDC& dc);
  virtual void PaintBorder(TDC& dc);

 protected:
  // Inserted and Removed are called by the window after the gadget joined or before
  // it leaves it.
  virtual void Inserted() {}
  virtual void Removed() {}
  // Width of the border on each side for the border style, in pixels.
  int BorderWidth() const;

  TRect Bounds;
  int Id;
  bool Enabled = true;
  TBorderStyle BorderStyle;
  TGadgetWindow* Window = nullptr;
  TGadget* Next = nullptr;

 private:
  bool ownedElsewhere_ = false;
  friend class TGadgetWindow;
};

// Empty space between gadgets: size pixels along the tile direction, nothing across.
class OVGUI1_API TSeparatorGadget : public TGadget {
 public:
  explicit TSeparatorGadget(int size = 6);
  int GetSize() const { return size_; }
  void GetDesiredSize(TSize& size) override;
  void Paint(TDC&) override {}

 private:
  int size_;
};
