// IWOleInPlaceFrame: the in-place OLE frame part of a form. It offers the frame
// interface (IOleInPlaceFrame) that the form's OLE container hands to an object being
// activated in place, keeps the object's active part (for its accelerators) and the
// site that is active in the frame (to deactivate it), and raises the owner's menu
// event while an object's menus are merged with the frame's.
//
// The frame interface is a small COM object of its own, counted: the frame part holds
// one reference and cuts its link to the owner when it goes, so an object that keeps the
// interface longer gets E_UNEXPECTED from then on.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/oviui1_api.h"

// What the frame asks of the site that is active in it (the container's in-place site).
class IWInPlaceSiteLink {
 public:
  virtual void DeactivateInPlace() = 0;

 protected:
  virtual ~IWInPlaceSiteLink() = default;
};

class OVIUI1_API IWOleInPlaceFrame {
 public:
  IWOleInPlaceFrame();
  virtual ~IWOleInPlaceFrame();
  IWOleInPlaceFrame(const IWOleInPlaceFrame&) = delete;
  IWOleInPlaceFrame& operator=(const IWOleInPlaceFrame&) = delete;

  // Called once per menu group (0 file, 2 container, 4 window) while an in-place
  // object's menus are merged: the owner may insert its popups into menu at
  // subMenuIndex; subMenuCount is what the group held so far. Nothing here.
  virtual void CallInsertMenuEvent(short group, HMENU menu, long subMenuIndex, long subMenuCount);
  // The window of the frame; none here.
  virtual HWND FrameWindow() { return nullptr; }
  // The frame's own menu again after an object's shared menu (SetMenu with none).
  virtual void RestoreFrameMenu() {}

  // The frame interface with one reference added for the caller.
  IOleInPlaceFrame* FrameInterface();
  // The active part of the object active in place (what it told SetActiveObject); not
  // counted for the caller.
  IOleInPlaceActiveObject* ActiveObject() const { return active_; }
  void SetActiveObject(IOleInPlaceActiveObject* active);
  // The site active in the frame (null: none).
  void SetActiveSite(IWInPlaceSiteLink* site) { site_ = site; }
  IWInPlaceSiteLink* ActiveSite() const { return site_; }
  // Tells the active site, if any, to deactivate.
  void DeactivateInPlaceObject();

 private:
  class Frame;
  Frame* frame_;
  IOleInPlaceActiveObject* active_ = nullptr;  // counted
  IWInPlaceSiteLink* site_ = nullptr;
};
