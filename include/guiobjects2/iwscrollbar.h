// IWScrollBar: the published "ScrollBar" (prototype parent "Control"), a system scroll
// bar with a range that may run backwards: with Max below Min, "Value" reads Max + Min
// minus the thumb's position, so the top or left end is Min. A position change raises
// "Scroll" while the thumb is dragged and "Change" otherwise; releasing the thumb raises
// one more "Change". Setting the current value raises nothing. Without a window "Value"
// reads 0 and setting it does nothing.
//
// "SmallChange" and "LargeChange" are the library bar's line and page steps, read and
// written in place. "Orientation" ("Vertical" 0, "Horizontal" 1; this class defines the
// enumeration, the gauge uses it) lives in the window style; changing it swaps width and
// height and makes the window again.
//
// Stream block (revision 1): the control's block, then line step, page step, Min and Max
// (USHORT each). The value is not stored. A damaged block or a revision above 1 fails
// with ObjectLoadFailed naming "ScrollBar".
#pragma once

#include <cstdint>

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/scrollbar.h"

class OVIUI2_API IWScrollBar : public POClass<IWScrollBar, IWControl>, public TScrollBar {
 public:
  // "Orientation".
  enum Orientation : long { kVertical = 0, kHorizontal = 1 };

  explicit IWScrollBar(IUnknown* outer);
  ~IWScrollBar() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void PO_Load(IStream* stream) override;
  // Copies the steps and the range from another scroll bar, then as a control.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return TScrollBar::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TScrollBar::Transfer(buffer, direction);
  }
  void SetupWindow() override;

  // The thumb: a changed position raises "Scroll" while tracking, else "Change".
  void SetPosition(int thumbPos) override;
  void SBThumbTrack(int thumbPos) override;
  void SBThumbPosition(int thumbPos) override;

  short pdGetMin() { return min_; }
  void pdSetMin(short value);
  short pdGetMax() { return max_; }
  void pdSetMax(short value);
  short pdGetValue();
  void pdSetValue(short value);
  long pdGetOrientation();
  void pdSetOrientation(long orientation);
  short imTextUnload(const char* indent, ValString* cmds);

  bool tracking() const { return tracking_; }

  static IWScrollBar* Native(InterObjRep* obj) { return POClass<IWScrollBar, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWScrollBar);

 private:
  // Gives the window the stored range, lower bound first.
  void applyRange();
  bool backward() const { return max_ < min_; }

  int16_t min_ = 0;
  int16_t max_ = 32767;
  bool tracking_ = false;
};
