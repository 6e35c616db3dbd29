// TGadgetWindow: a window that lays out, paints and routes the mouse to a list of gadgets.
//
// Gadgets tile in one line along the tile direction (left to right, or top to bottom)
// inside the margins; across the line each gets the largest across size of them all. With
// shrink-wrap on in an axis, the desired size of the window in that axis is what the
// gadgets need; otherwise it is the window's current size. LayoutSession tiles the
// gadgets again and repaints.
//
// Mouse: the gadget under the mouse hears MouseEnter/MouseLeave; a left press on an
// enabled gadget goes to it, and a gadget that captures the mouse (GadgetSetCapture)
// gets every move and the release until it lets go. On the first idle call after input,
// each gadget refreshes its enabled state (TGadget::CommandEnable).
#pragma once

#include <cstdint>

#include "gadget.h"
#include "window.h"

// Margins inside the window's client area: a unit and four signed 8-bit values.
struct OVGUI1_API TMargins {
  enum TUnits { Pixels, LayoutUnits, BorderUnits };
  TUnits Units = Pixels;
  int8_t Left = 2, Right = 2, Top = 2, Bottom = 2;

  TMargins() = default;
  TMargins(TUnits units, int left, int right, int top, int bottom)
      : Units(units), Left(int8_t(left)), Right(int8_t(right)), Top(int8_t(top)), Bottom(int8_t(bottom)) {}
  // The margins in pixels. LayoutUnits are eighths of the dialog base height (the
  // window's font); BorderUnits are the system border width and height.
  void GetPixels(int& left, int& right, int& top, int& bottom) const;
};

class OVGUI1_API TGadgetWindow : public virtual TWindow {
 public:
  enum TTileDirection : int8_t { Horizontal = 0, Vertical = 1 };
  enum TPlacement { Before, After };
  enum { RepeatTimerId = 0x7A01 };  // the capturing gadget's timer

  TGadgetWindow(TWindow* parent, TTileDirection direction = Horizontal, TModule* module = nullptr);
  ~TGadgetWindow() override;

  // ---- the gadget list ----
  // Inserts gadget before or after sibling (null: at the start or the end). A gadget
  // already in a window, or a sibling that is not in this one, is refused (TXOwl).
  // Call LayoutSession afterwards to place it.
  virtual void Insert(TGadget& gadget, TPlacement placement = After, TGadget* sibling = nullptr);
  // Takes gadget out of the list (it keeps living); null when it was not in this window.
  virtual TGadget* Remove(TGadget& gadget);
  TGadget* FirstGadget() const { return Gadgets; }
  TGadget* NextGadget(const TGadget& gadget) const { return gadget.Next; }
  TGadget* LastGadget() const;
  int NumGadgets() const { return numGadgets_; }
  TGadget* GadgetFromPoint(const TPoint& point) const;  // null when none is there
  TGadget* GadgetWithId(int id) const;                  // null when none has it
  TGadget* GadgetAt(int index) const;                   // 0-based; null out of range
  int IndexOf(const TGadget& gadget) const;             // -1 when not in this window
  TGadget* GetCapture() const { return Capture; }
  TGadget* GetGadgetAtMouse() const { return AtMouse; }

  // ---- layout ----
  TTileDirection GetDirection() const { return Direction; }
  virtual void SetDirection(TTileDirection direction);  // lays out again when the window exists
  const TMargins& GetMargins() const { return Margins; }
  void SetMargins(const TMargins& margins);  // lays out again when the window exists
  void SetShrinkWrap(bool width, bool height);
  bool GetShrinkWrapWidth() const { return ShrinkWrapWidth; }
  bool GetShrinkWrapHeight() const { return ShrinkWrapHeight; }
  // The window size (frame included) that shows every gadget, in the shrink-wrapped axes.
  virtual void GetDesiredSize(TSize& size);
  // The client area inside the margins.
  virtual void GetInnerRect(TRect& rect);
  // Tiles the gadgets and repaints; a shrink-wrapped window inside a floating frame that
  // shrinks to its client asks the frame to fit it again.
  virtual void LayoutSession();
  // Places every gadget (PositionGadget may adjust each step); answers the rectangle
  // the gadgets cover.
  virtual TRect TileGadgets();
  // Called before next is placed at origin, after previous (null for the first): a
  // derived window may move origin (overlapping borders, offsets).
  virtual void PositionGadget(TGadget* previous, TGadget* next, TPoint& origin);

  // ---- mouse ----
  void GadgetSetCapture(TGadget& gadget);
  void GadgetReleaseCapture(TGadget& gadget);

  // ---- TWindow ----
  bool Create() override;  // sizes the shrink-wrapped axes first
  void SetupWindow() override;
  bool IdleAction(long idleCount) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  const char* GetClassName() override { return "OvGadgetWindow"; }
  void GetWindowClass(WNDCLASSA& wc) override;

  void EvLButtonDown(uint modKeys, TPoint& point);
  void EvLButtonUp(uint modKeys, TPoint& point);
  void EvLButtonDblClk(uint modKeys, TPoint& point);
  void EvMouseMove(uint modKeys, TPoint& point);
  void EvTimer(uint timerId);
  void EvSize(uint sizeType, TSize& size);
  LRESULT EvMouseLeave(WPARAM, LPARAM);
  LRESULT EvCaptureChanged(WPARAM, LPARAM newCapture);

 protected:
  TGadgetWindow();
  void InitGadgetWindow(TTileDirection direction);
  // The frame's share of the window size (borders, caption) for the current style.
  TSize NonClientSize() const;
  // The largest desired size of the gadgets in each axis, and their sum along dir.
  void MeasureGadgets(TTileDirection dir, int& along, int& maxWidth, int& maxHeight);
  void SetAtMouse(TGadget* gadget, uint modKeys, TPoint& point);

  TGadget* Gadgets = nullptr;  // first gadget
  TGadget* Capture = nullptr;  // the gadget holding the mouse capture
  TGadget* AtMouse = nullptr;  // the gadget under the mouse
  TMargins Margins;
  bool ShrinkWrapWidth = false;
  bool ShrinkWrapHeight = true;
  TTileDirection Direction = Horizontal;

 private:
  int numGadgets_ = 0;
  bool trackingLeave_ = false;
  DECLARE_RESPONSE_TABLE(TGadgetWindow);
};
