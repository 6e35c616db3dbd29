// Buttons: TButton (push), TCheckBox (two or three states, reflects its own BN_CLICKED),
// TRadioButton (a check box that unchecks the others of its group).
#pragma once

#include "control.h"

class TGroupBox;

class OVGUI1_API TButton : public TControl {
 public:
  TButton(TWindow* parent, int id, const char* text, int x, int y, int w, int h, bool isDefault = false,
          TModule* module = nullptr);
  TButton(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
  bool IsDefault() const { return (Attr.Style & 0xF) == BS_DEFPUSHBUTTON; }

 protected:
  TButton();
};

enum { BF_UNCHECKED = 0, BF_CHECKED = 1, BF_GRAYED = 2 };

class OVGUI1_API TCheckBox : public TButton {
 public:
  TCheckBox(TWindow* parent, int id, const char* title, int x, int y, int w, int h,
            TGroupBox* group = nullptr, TModule* module = nullptr);
  TCheckBox(TWindow* parent, int resourceId, TGroupBox* group = nullptr, TModule* module = nullptr);

  uint GetCheck() const;
  void SetCheck(uint state);  // BF_*
  void Check() { SetCheck(BF_CHECKED); }
  void Uncheck() { SetCheck(BF_UNCHECKED); }
  void Toggle();
  uint Transfer(void* buffer, TTransferDirection direction) override;  // a uint16_t state

  void BNClicked();  // toggles, then lets the parent see the click
  TGroupBox* Group;

 protected:
  TCheckBox();
  DECLARE_RESPONSE_TABLE(TCheckBox);
};

class OVGUI1_API TRadioButton : public TCheckBox {
 public:
  // The no-parent form is an empty button to be set up and created later.
  TRadioButton(TWindow* parent = nullptr, int id = 0, const char* title = nullptr, int x = 0, int y = 0,
               int w = 0, int h = 0, TGroupBox* group = nullptr, TModule* module = nullptr);
  TRadioButton(TWindow* parent, int resourceId, TGroupBox* group, TModule* module = nullptr);

  void BNClicked();  // checks this one; the system clears the others of the group

  DECLARE_RESPONSE_TABLE(TRadioButton);
};
