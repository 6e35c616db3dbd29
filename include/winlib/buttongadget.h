// TButtonGadget: a gadget that looks and acts like a push button with a glyph.
//
// Its face comes from a glyph DIB (GetGlyphDib: the bitmap resource ResId of the gadget
// window's module; a derived gadget may supply its own) made into a cel array of three
// looks: normal, disabled (embossed grey) and pressed (shifted down-right). A release
// over the button activates it: the state changes by its type and the command Id is
// posted to the gadget window's parent. A repeat button fires on the press and then on a
// timer while it is held down over it.
#pragma once

#include "gadget.h"

class TCelArray;
class TDib;

class OVGUI1_API TButtonGadget : public TGadget {
 public:
  enum TType { Command, Exclusive, NonExclusive };
  enum TState { Up, Down, Indeterminate };
  enum TShadowStyle { SingleShadow = 1, DoubleShadow = 2 };
  enum TCel { CelNormal, CelDisabled, CelPressed, NumCels };
  // Repeat timing: the first repeat after RepeatDelay ms, then every RepeatInterval ms.
  enum { RepeatDelay = 400, RepeatInterval = 100 };

  TButtonGadget(int glyphResId, int id, TType type = Command, bool enabled = false, TState state = Up,
                bool repeat = false);
  ~TButtonGadget() override;

  int GetResId() const { return ResId; }
  TType GetButtonType() const { return Type; }
  void SetButtonType(TType type) { Type = type; }
  TState GetButtonState() const { return State; }
  void SetButtonState(TState state);  // repaints on a change
  TShadowStyle GetShadowStyle() const { return ShadowStyle; }
  void SetShadowStyle(TShadowStyle style);  // repaints on a change
  bool GetRepeat() const { return Repeat; }
  bool IsPressed() const { return Pressed; }  // held down with the mouse over it

  // Builds the cel array from GetGlyphDib (ReleaseGlyphDib afterwards). A glyph resource
  // that is missing or not a bitmap throws TXOwl naming it. Without a glyph (resource
  // id 0, or an empty DIB) the button has an empty face.
  virtual void BuildCelArray();
  // The glyph to build the faces from, or null for none; handed back to ReleaseGlyphDib.
  virtual TDib* GetGlyphDib();
  virtual void ReleaseGlyphDib(TDib* glyph);
  // Drops the cel array (rebuilt when next needed).
  void ClearCelArray();
  const TCelArray* GetCelArray() const { return CelArray; }
  // The cel painted for the current state.
  int CurrentCel() const;

  // Changes the state by the type and posts the command to the window's parent.
  virtual void Activate(TPoint& point);

  void SetEnabled(bool enabled) override;
  void GetDesiredSize(TSize& size) override;
  void CommandEnable() override;
  void Paint(TDC& dc) override;

  void MouseEnter(uint modKeys, TPoint& point) override;
  void MouseMove(uint modKeys, TPoint& point) override;
  void MouseLeave(uint modKeys, TPoint& point) override;
  void LButtonDown(uint modKeys, TPoint& point) override;
  void LButtonUp(uint modKeys, TPoint& point) override;
  void CaptureLost() override;
  void Timer(uint timerId) override;

 protected:
  void Removed() override;
  void EnsureCelArray();
  void EndPress();

  int ResId;
  TType Type;
  TState State;
  TShadowStyle ShadowStyle = DoubleShadow;
  bool Repeat;
  bool Pressed = false;      // held down with the mouse inside
  bool Tracking = false;     // held down (the mouse may have left)
  bool MouseInside = false;  // the mouse is over the gadget
  TCelArray* CelArray = nullptr;
  bool CelsBuilt = false;  // BuildCelArray ran (CelArray stays null without a glyph)
  TSize CelSize;
};
