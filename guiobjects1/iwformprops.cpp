// IWForm: the scale properties, the frame style (BorderStyle, MinButton, MaxButton,
// ControlBox), the client handle, dropped files, the form's own stream data and its
// text unload.
#include <cmath>
#include <string>

#include "guiobjects1/controlgroup.h"
#include "guiobjects1/formclient.h"
#include "guiobjects1/imenubar.h"
#include "guiobjects1/ipopupmenu.h"
#include "guiobjects1/iwform.h"
#include "guiobjects1/iwscreen.h"
#include "store/valstring.h"
#include "winlib/applicat.h"

// ---- scale ----

TSize IWForm::clientPixels() {
  if (ClientWnd && ClientWnd->HWindow) {
    TRect r = ClientWnd->GetClientRect();
    return TSize(r.Width(), r.Height());
  }
  if (HWindow) {
    TRect r = GetClientRect();
    return TSize(r.Width(), r.Height());
  }
  return TSize(Attr.W, Attr.H);
}

// In the unit modes the extent follows the surface: brought up to date before a switch,
// so that a form without a window yet (still unsized) has one to freeze.
void IWForm::refreshUnitExtent(const TSize& size) {
  if (scale_.mode() == kScaleCustom || scale_.mode() == kScaleProportional) return;
  scale_.SetPixelWidth(size.cx, (float)IWScreen::TwipsPerPixelX());
  scale_.SetPixelHeight(size.cy, (float)IWScreen::TwipsPerPixelY());
}

void IWForm::pdSetScaleMode(long mode) {
  TSize size = clientPixels();
  refreshUnitExtent(size);
  scale_.SetScaleMode((int)mode, size.cx, size.cy);
  changed();
}

void IWForm::scaleCoordinateSet() {
  if (scale_.mode() != kScaleProportional) {
    TSize size = clientPixels();
    scale_.SetScaleMode(kScaleCustom, size.cx, size.cy);
  }
  changed();
}

void IWForm::pdSetScaleLeft(float v) {
  refreshUnitExtent(clientPixels());
  scale_.ScaleLeft = v;
  scaleCoordinateSet();
}

void IWForm::pdSetScaleTop(float v) {
  refreshUnitExtent(clientPixels());
  scale_.ScaleTop = v;
  scaleCoordinateSet();
}

void IWForm::pdSetScaleWidth(float v) {
  if (v == 0) throw StoreException(kMsgInvalidArgument, "ScaleWidth");
  refreshUnitExtent(clientPixels());
  scale_.ScaleWidth = v;
  scaleCoordinateSet();
}

void IWForm::pdSetScaleHeight(float v) {
  if (v == 0) throw StoreException(kMsgInvalidArgument, "ScaleHeight");
  refreshUnitExtent(clientPixels());
  scale_.ScaleHeight = v;
  scaleCoordinateSet();
}

void IWForm::imScale(float x1, float y1, float x2, float y2) {
  if (x2 == x1) throw StoreException(kMsgInvalidArgument, "ScaleWidth");
  if (y2 == y1) throw StoreException(kMsgInvalidArgument, "ScaleHeight");
  refreshUnitExtent(clientPixels());
  scale_.ScaleLeft = x1;
  scale_.ScaleTop = y1;
  scale_.ScaleWidth = x2 - x1;
  scale_.ScaleHeight = y2 - y1;
  scaleCoordinateSet();
}

// The unit modes answer the client area: the stored outer size less the frame, both
// in the scale's units.
float IWForm::pdGetScaleWidth() {
  if (scale_.mode() == kScaleCustom || scale_.mode() == kScaleProportional) return scale_.ScaleWidth;
  const long double twips = std::fabs((double)scale_.TwipsPerUnitX());
  const long double pixels = std::fabs((double)scale_.PixelsPerUnitX());
  if (twips == 0 || pixels == 0) return scale_.ScaleWidth;
  const int outer = HWindow ? GetWindowRect().Width() : Attr.W;
  return (float)(width_ / twips - (outer - clientPixels().cx) / pixels);
}

float IWForm::pdGetScaleHeight() {
  if (scale_.mode() == kScaleCustom || scale_.mode() == kScaleProportional) return scale_.ScaleHeight;
  const long double twips = std::fabs((double)scale_.TwipsPerUnitY());
  const long double pixels = std::fabs((double)scale_.PixelsPerUnitY());
  if (twips == 0 || pixels == 0) return scale_.ScaleHeight;
  const int outer = HWindow ? GetWindowRect().Height() : Attr.H;
  return (float)(height_ / twips - (outer - clientPixels().cy) / pixels);
}

// ---- frame style ----

long IWForm::pdGetBorderStyle() {
  const uint32_t style = HWindow ? GetStyle() : Attr.Style;
  const uint32_t exStyle = HWindow ? (uint32_t)::GetWindowLongA(HWindow, GWL_EXSTYLE) : Attr.ExStyle;
  if (!(style & (WS_BORDER | WS_DLGFRAME))) return 0;
  if (style & WS_THICKFRAME) return 2;
  if (exStyle & WS_EX_DLGMODALFRAME) return 3;
  return 1;
}

void IWForm::pdSetBorderStyle(long value) {
  if (value < 0 || value > 3 || value == pdGetBorderStyle() || IsEmbedded()) return;
  if (value == 3) {
    Attr.ExStyle |= WS_EX_DLGMODALFRAME;
    Attr.Style &= ~(uint32_t)(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  } else {
    Attr.ExStyle &= ~(uint32_t)WS_EX_DLGMODALFRAME;
  }
  if (value)
    Attr.Style |= WS_CAPTION;
  else
    Attr.Style &= ~(uint32_t)WS_CAPTION;
  if (value == 2)
    Attr.Style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  else
    Attr.Style &= ~(uint32_t)WS_THICKFRAME;
  changed();
  if (!HWindow) return;
  // The frame style takes effect with a new window.
  const bool visible = ::IsWindowVisible(HWindow) != 0;
  Destroy();
  if (visible)
    imShow();
  else
    imLoad();
}

void IWForm::setFrameBit(uint32_t bit, bool on) {
  SetStyleTo(bit, on);
  changed();
  if (HWindow) SendMessage(WM_NCACTIVATE, ::GetActiveWindow() == HWindow, 0);
}

long IWForm::pdGetClientHWnd() {
  if (!ClientWnd) utilsAssert("ClientWnd", __FILE__, __LINE__);
  return (long)(LONG_PTR)ClientWnd->HWindow;
}

void IWForm::pdSetFileDrop(long on) {
  fileDrop_ = on ? 1 : 0;
  if (HWindow) ::DragAcceptFiles(HWindow, fileDrop_ != 0);
  changed();
}

// ---- font and pointer ----

namespace {

// Refreshes the published windows among client's children; an embedded form passes the
// refresh on to its own client's children.
void RefreshChildren(TWindow* client) {
  if (!client) return;
  TWindow* first = client->GetFirstChild();
  if (!first) return;
  TWindow* w = first;
  do {
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w)) {
      iw->imRefresh();
      if (IWForm* form = dynamic_cast<IWForm*>(iw)) RefreshChildren(form->GetClientWindow());
    }
    w = w->Next();
  } while (w != first);
}

}  // namespace

void IWForm::pdSetFont(InterObjRep* font) {
  IWWindow::pdSetFont(font);
  if (!ClientWnd) utilsAssert("ClientWnd", __FILE__, __LINE__);
  RefreshChildren(ClientWnd);
}

void IWForm::pdSetMousePointer(long pointer) {
  IWWindow::pdSetMousePointer(pointer);
  if (!ClientWnd) utilsAssert("ClientWnd", __FILE__, __LINE__);
  const unsigned long id = IWScreen::CursorID(pointer);
  ClientWnd->SetCursor(nullptr, id ? MAKEINTRESOURCEA(id) : nullptr);
}

// ---- copying ----

void IWForm::clone(const IInterObj& source) {
  const IWForm* src = dynamic_cast<const IWForm*>(&source);
  if (!src) return;
  IWWindow::clone(source);
  if (src->IsEmbedded()) Attr.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  IWForm& from = const_cast<IWForm&>(*src);
  pdSetMousePointer(from.pdGetMousePointer());
  scale_ = src->scale_;
  pdSetMenuBar(from.pdGetMenuBar());
  pdSetPopupMenu(from.pdGetPopupMenu());
  pdSetAccelForm(from.pdGetAccelForm());
  fileDrop_ = src->fileDrop_;
  TDrawable::operator=(*src);
}

void IWForm::construct(const IInterObj& source) {
  const IWForm* src = dynamic_cast<const IWForm*>(&source);
  if (!src || !storeObj() || !src->storeObj()) return;
  IWWindow::construct(source);
  IWForm& from = const_cast<IWForm&>(*src);
  // What referred to one of the source's own objects now refers to the copy's.
  Faultp<InterObjRep> bar(from.pdGetMenuBar()), popup(from.pdGetPopupMenu()), accel(from.pdGetAccelForm());
  fixupCopiedReferenceToEmbed(bar, source);
  fixupCopiedReferenceToEmbed(popup, source);
  fixupCopiedReferenceToEmbed(accel, source);
  if (bar.get() != pdGetMenuBar()) pdSetMenuBar(bar.get());
  if (popup.get() != pdGetPopupMenu()) pdSetPopupMenu(popup.get());
  if (accel.get() != pdGetAccelForm()) pdSetAccelForm(accel.get());
  Faultp<InterObjRep> def(from.pdGetDefaultButton()), cancel(from.pdGetCancelButton());
  fixupCopiedReferenceToEmbed(def, source);
  fixupCopiedReferenceToEmbed(cancel, source);
  if (def.get()) pdSetDefaultButton(def.get());
  if (cancel.get()) pdSetCancelButton(cancel.get());
}

void IWForm::attach(unsigned char module) {
  // A reference whose object has gone since it was taken counts as none.
  for (Faultp<InterObjRep>* ref : {&controls_, &menuBar_, &popupMenu_, &accelForm_})
    if (ref->raw() && ref->isNull()) ref->clear();
  if (ControlGroup* group = controls_.isNull() ? nullptr : ControlGroup::Native(controls_.get()))
    group->attach(module);
  IWWindow::attach(module);
}

// ---- stream ----

namespace {

// A stored reference, kept when it is an object of class proto (else none).
void ReadRef(OCLStream& s, unsigned char module, InterObjRep* proto, Faultp<InterObjRep>& into,
             unsigned char kind) {
  InterObjRep* ref = nullptr;
  unsigned char stored = tIndirectReference;
  try {
    FaultpStreamRead(s, module, ref, stored);
  } catch (const StoreException&) {
    throw ObjectLoadFailed("Form");
  }
  into.set(ref && ref->canBeTreatedAs(proto) ? ref : nullptr, kind);
}

}  // namespace

void IWForm::PO_Read(OCLStream& s, unsigned) {
  const unsigned char module = storeObj() ? storeObj()->module() : (unsigned char)ObjectStore::kTempModule;
  // The form's own values change only once all of them were read.
  TDrawable::read(s, "Form");
  ScaleRect scale = scale_;
  scale.Read(s, "Form");
  Faultp<InterObjRep> controls, bar, popup, accel;
  ReadRef(s, module, ControlGroup::PO_GetObject(), controls, tIndirectReference);
  ReadRef(s, module, iMenuBar::PO_GetObject(), bar, tIndirectReference);
  ReadRef(s, module, iPopupMenu::PO_GetObject(), popup, tIndirectReference);
  ReadRef(s, module, IWForm::PO_GetObject(), accel, tUncountedIndirectReference);
  ULONG fileDrop = 0;
  s.read(&fileDrop);
  scale_ = scale;
  if (!controls.isNull()) controls_ = controls;
  if (ControlGroup* group = controls_.isNull() ? nullptr : ControlGroup::Native(controls_.get()))
    group->SetForm(this);
  if (bar.get() != pdGetMenuBar()) {
    if (iMenuBar* old = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get()))
      old->RemoveForm(storeObj());
    RemoveMenuBar();
    menuBar_ = bar;
  }
  if (iMenuBar* b = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get())) {
    if (storeObj()) b->AddFormA(storeObj());
    showMenuBar();
  }
  popupMenu_ = popup;
  accelForm_.set(accel.get(), tUncountedIndirectReference);
  fileDrop_ = fileDrop;
}

void IWForm::PO_Write(OCLStream& s) {
  TDrawable::write(s);
  scale_.Write(s);
  FaultpStreamWrite(controls_.isNull() ? nullptr : controls_.get(), tIndirectReference, s);
  FaultpStreamWrite(pdGetMenuBar(), tIndirectReference, s);
  FaultpStreamWrite(pdGetPopupMenu(), tIndirectReference, s);
  FaultpStreamWrite(pdGetAccelForm(), tUncountedIndirectReference, s);
  s.write((ULONG)fileDrop_);
  if (ClientWnd && ClientWnd->HWindow) ClientWnd->AssignZOrder();
}

// ---- text ----

namespace {

// The form's own enumerations are written by value: their entry texts are no Basic
// names ("Fixed Single"), and the reader does not know them as constants.
void appendNumberLine(const char* indent, const char* name, long value, ValString* cmds) {
  *cmds = ValString(cmds->str() + indent + "." + name + " = " + std::to_string(value) + "\n");
}

}  // namespace

// The window's lines, then the form's. ScaleMode comes before the four coordinates,
// which a Custom scale needs: a coordinate set later keeps the mode Custom.
short IWForm::imFormTextUnload(const char* indent, ValString* cmds) {
  if (!cmds) return -1;
  if (!indent) indent = "";
  IWWindow::imTextUnload(indent, cmds);
  InterObjRep* me = storeObj();
  if (!me) return -1;
  // The surface's enumerations by value, as the form's own (their texts are no names).
  appendNumberLine(indent, "BevelInner", pdGetBevelInner(), cmds);
  appendNumberLine(indent, "BevelOuter", pdGetBevelOuter(), cmds);
  static const char* const kDrawing[] = {"BevelWidth", "BorderWidth", "Outlined",  "CurrentX", "CurrentY",
                                         "DrawColor",  "DrawWidth",   "FillColor", nullptr};
  me->textFieldsUnload(kDrawing, indent, *cmds);
  appendNumberLine(indent, "DrawMode", pdGetDrawMode(), cmds);
  appendNumberLine(indent, "DrawStyle", pdGetDrawStyle(), cmds);
  appendNumberLine(indent, "FillStyle", pdGetFillStyle(), cmds);
  static const char* const kFirst[] = {"KeyPreview", nullptr};
  me->textFieldsUnload(kFirst, indent, *cmds);
  appendNumberLine(indent, "ScaleMode", scale_.mode(), cmds);
  if (scale_.mode() == kScaleCustom) {
    static const char* const kCustom[] = {"ScaleLeft", "ScaleTop", "ScaleWidth", "ScaleHeight", nullptr};
    me->textFieldsUnload(kCustom, indent, *cmds);
  }
  static const char* const kRest[] = {"DefaultButton", "CancelButton", "MenuBar", "PopupMenu",
                                      "FileDrop",      "AccelForm",    nullptr};
  me->textFieldsUnload(kRest, indent, *cmds);
  appendNumberLine(indent, "BorderStyle", pdGetBorderStyle(), cmds);
  static const char* const kLast[] = {"MaxButton", "MinButton", "ControlBox", "Parent", nullptr};
  me->textFieldsUnload(kLast, indent, *cmds);
  if (IsEmbedded()) {
    static const char* const kVisible[] = {"Visible", nullptr};
    me->textFieldsUnload(kVisible, indent, *cmds);
  }
  return -1;
}
