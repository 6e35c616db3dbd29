// IWControl: the published "Control" (prototype parent "Window"), base of every published
// window that is a native control (the button, the standard controls). It adds to the
// window the tab-order style bits (TabStop, TabGroup), the control's text as a pair of
// virtual accessors, the two methods through which a record set pushes a field's value
// in and reads it back (Update, UpdateDataSource), and the text unload of the tab and
// visibility fields.
//
// Geometry: after the window exists, and after each restored size change the window
// layer did not make itself (its moving flag), the pixel rectangle is stored in twips.
// A list box is made one pixel inside the rectangle asked for on every side, so that
// its border sits where the rectangle's edge is drawn.
//
// Stream block (revision 1): the window's block, nothing of its own. A damaged block or
// a revision above 1 fails with ObjectLoadFailed naming the class being loaded.
#pragma once

#include "guiobjects1/iwwindow.h"
#include "guiobjects1/oviui1_api.h"
#include "winlib/control.h"

class OVIUI1_API IWControl : public POClass<IWControl, IWWindow>, public TControl {
 public:
  explicit IWControl(IUnknown* outer);
  ~IWControl() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  void clone(const IInterObj& source) override;

  // ---- the five slots of a control ----
  virtual void pdSetText(const char* text);
  virtual ValStringRep* pdGetText() const;
  bool Create() override;
  // WM_CHARTOITEM / WM_VKEYTOITEM asked of a list control by its form: non-zero when
  // handled. None here.
  int CharToItem(uint key, uint caretIndex) override;
  int VKeyToItem(uint key, uint caretIndex) override;

  // Sets the data-changed flag and raises "Change" (declared by the controls that call
  // it); a failing handler is reported by the store.
  void NotifyChange();

  ScaleRect* ContainerScale() override;
  void SetupWindow() override;
  void EvMove(TPoint& clientOrigin);
  void EvSize(uint sizeType, TSize& size);

  long pdGetTabStop();
  void pdSetTabStop(long on);
  long pdGetTabGroup();
  void pdSetTabGroup(long on);
  void imUpdate(const char* value);
  void imUpdateDataSource(ValString* value);
  short imTextUnload(const char* indent, ValString* cmds);

  static IWControl* Native(InterObjRep* obj) { return POClass<IWControl, IWWindow>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWControl);
};
