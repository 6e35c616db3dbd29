// IWGauge: the published "Gauge" (prototype parent "Control"), a value indicator drawn
// by the library gauge as a solid bar or in LED segments, horizontal or vertical. It
// raises "Click" when the left button is pressed and released over it.
//
// "Margin" keeps the low 8 bits of what is set (300 reads 44). "LEDStep" sets the LED
// spacing and a thickness of 90 percent. Every setter but "Value" marks the object
// changed; a setter that changes something repaints the window. "Orientation" uses the
// scroll bar's enumeration, which the library's class table registers first.
//
// Stream block (revision 1): the control's block, then Min, Max (USHORT), margin,
// horizontal flag (BYTE), LED spacing (USHORT), LED thickness (BYTE), bar colour
// (ULONG). The value is not stored. A damaged block or a revision above 1 fails with
// ObjectLoadFailed naming "Gauge".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/gauge.h"

class OVIUI2_API IWGauge : public POClass<IWGauge, IWControl>, public TGauge {
 public:
  // The LED thickness (percent of a step) that "LEDStep" sets.
  static const int kLedThickness = 90;

  explicit IWGauge(IUnknown* outer);
  ~IWGauge() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void PO_Load(IStream* stream) override;
  // Copies the gauge's values from another gauge, then as a control.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return TGauge::GetClassName(); }
  void GetWindowClass(WNDCLASSA& wc) override { TGauge::GetWindowClass(wc); }
  void Paint(TDC& dc, bool erase, TRect& rect) override { TGauge::Paint(dc, erase, rect); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  void SetupWindow() override;

  // A press captures the mouse; a release over the gauge is a "Click".
  void AfterLButtonPress() override;
  void LButtonRelease() override;
  int ClickOnRelease() override { return 1; }

  short pdGetMin() { return (short)Min; }
  void pdSetMin(short value);
  short pdGetMax() { return (short)Max; }
  void pdSetMax(short value);
  short pdGetValue() { return (short)Value; }
  void pdSetValue(short value);
  long pdGetOrientation() { return IsHorizontal ? 1 : 0; }
  void pdSetOrientation(long orientation);
  short pdGetLEDStep() { return (short)LedSpacing; }
  void pdSetLEDStep(short step);
  short pdGetMargin() { return (short)Margin; }
  void pdSetMargin(short margin);
  long pdGetBarColor() { return (long)BarColor.GetValue(); }
  void pdSetBarColor(long color);
  short imTextUnload(const char* indent, ValString* cmds);

  static IWGauge* Native(InterObjRep* obj) { return POClass<IWGauge, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWGauge);

 private:
  void repaint();
};
