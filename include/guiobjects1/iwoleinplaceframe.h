// IWOleInPlaceFrame: the in-place OLE frame part of a form. It holds nothing yet: the
// in-place activation of embedded OLE objects comes with the OLE container. It is a base
// of the form already, so that the form's layout does not change when it fills in.
#pragma once

#include <windows.h>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWOleInPlaceFrame {
 public:
  IWOleInPlaceFrame() = default;
  virtual ~IWOleInPlaceFrame() = default;
  IWOleInPlaceFrame(const IWOleInPlaceFrame&) = delete;
  IWOleInPlaceFrame& operator=(const IWOleInPlaceFrame&) = delete;

  // Called while an in-place object's menus are merged into the frame's; nothing here.
  virtual void CallInsertMenuEvent(short group, HMENU menu, long subMenuIndex, long subMenuCount) {
    (void)group;
    (void)menu;
    (void)subMenuIndex;
    (void)subMenuCount;
  }
};
