// TCommandEnabler: asks the response tables whether a command is enabled (menu items,
// tool buttons). A handler answers with Enable/SetCheck; Handled() tells the asker that
// someone did.
#pragma once

#include "defs.h"

class OVGUI1_API TCommandEnabler {
 public:
  enum { Unchecked = 0, Checked = 1, Indeterminate = 2 };
  explicit TCommandEnabler(uint id, HWND receiver = nullptr) : Id(id), receiver_(receiver) {}
  virtual ~TCommandEnabler();

  uint GetId() const { return Id; }
  HWND GetReceiver() const { return receiver_; }
  virtual void Enable(bool enable = true) {
    enabled_ = enable;
    handled_ = true;
  }
  virtual void SetText(const char*) {}
  virtual void SetCheck(int state) { check_ = state; }
  bool Handled() const { return handled_; }
  bool GetEnabled() const { return enabled_; }
  int GetCheck() const { return check_; }

  const uint Id;

 protected:
  HWND receiver_;
  bool enabled_ = false;
  bool handled_ = false;
  int check_ = Unchecked;
};

// Enables or greys one menu item.
class OVGUI1_API TMenuItemEnabler : public TCommandEnabler {
 public:
  TMenuItemEnabler(HMENU menu, uint id, HWND receiver, uint position)
      : TCommandEnabler(id, receiver), menu_(menu), position_(position) {}
  void Enable(bool enable = true) override;
  void SetCheck(int state) override;
  void SetText(const char* text) override;

 private:
  HMENU menu_;
  uint position_;
};
