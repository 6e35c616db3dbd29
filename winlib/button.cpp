// Push buttons, check boxes and radio buttons.
#include <cstdint>

#include "winlib/button.h"
#include "winlib/static.h"

TButton::TButton() = default;

TButton::TButton(TWindow* parent, int id, const char* text, int x, int y, int w, int h, bool isDefault,
                 TModule* module) {
  TWindow::Init(parent, text, module);
  InitControl(id, x, y, w, h);
  Attr.Style |= isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

TButton::TButton(TWindow* parent, int resourceId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
  ClearFlag(wfTransfer);
}

const char* TButton::GetClassName() { return "BUTTON"; }

// ---- TCheckBox ----

DEFINE_RESPONSE_TABLE1(TCheckBox, TButton)
EV_BN_CLICKED(BNClicked), END_RESPONSE_TABLE;

TCheckBox::TCheckBox() : Group(nullptr) {}

TCheckBox::TCheckBox(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TGroupBox* group,
                     TModule* module)
    : Group(group) {
  TWindow::Init(parent, title, module);
  InitControl(id, x, y, w, h);
  Attr.Style |= BS_CHECKBOX;  // not automatic: BNClicked toggles
  SetFlag(wfTransfer);
}

TCheckBox::TCheckBox(TWindow* parent, int resourceId, TGroupBox* group, TModule* module) : Group(group) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

uint TCheckBox::GetCheck() const { return HWindow ? uint(SendMessage(BM_GETCHECK)) : uint(BF_UNCHECKED); }

void TCheckBox::SetCheck(uint state) {
  if (HWindow) SendMessage(BM_SETCHECK, state);
}

void TCheckBox::Toggle() {
  bool three = (GetStyle() & 0xF) == BS_3STATE || (GetStyle() & 0xF) == BS_AUTO3STATE;
  SetCheck((GetCheck() + 1) % (three ? 3 : 2));
}

uint TCheckBox::Transfer(void* buffer, TTransferDirection direction) {
  auto* state = static_cast<uint16_t*>(buffer);
  if (direction == tdGetData)
    *state = uint16_t(GetCheck());
  else if (direction == tdSetData)
    SetCheck(*state);
  return sizeof(uint16_t);
}

// Automatic styles toggle by themselves; then the parent gets the click as well.
void TCheckBox::BNClicked() {
  uint type = GetStyle() & 0xF;
  if (type == BS_CHECKBOX || type == BS_3STATE) Toggle();
  DefaultProcessing();
}

// ---- TRadioButton ----

DEFINE_RESPONSE_TABLE1(TRadioButton, TCheckBox)
EV_BN_CLICKED(BNClicked), END_RESPONSE_TABLE;

TRadioButton::TRadioButton(TWindow* parent, int id, const char* title, int x, int y, int w, int h,
                           TGroupBox* group, TModule* module) {
  Group = group;
  TWindow::Init(parent, title, module);
  InitControl(id, x, y, w, h);
  Attr.Style = (Attr.Style & ~uint32_t(WS_GROUP)) | BS_AUTORADIOBUTTON;
  SetFlag(wfTransfer);
}

TRadioButton::TRadioButton(TWindow* parent, int resourceId, TGroupBox* group, TModule* module) {
  Group = group;
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

void TRadioButton::BNClicked() {
  if ((GetStyle() & 0xF) == BS_RADIOBUTTON) {
    // Not automatic: clear the other radio buttons of the group, then check this one.
    HWND parent = ::GetParent(HWindow);
    for (HWND h = ::GetNextDlgGroupItem(parent, HWindow, FALSE); h && h != HWindow;
         h = ::GetNextDlgGroupItem(parent, h, FALSE))
      ::SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
    SetCheck(BF_CHECKED);
  }
  DefaultProcessing();
}
