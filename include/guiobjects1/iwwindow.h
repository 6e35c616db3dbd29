// IWWindow: the published "Window" (a root class), base of every published window. It
// joins a store object to a window of the window library (TWindow, reached through the
// drag-and-drop part IWDndWindow), keeps the geometry in twips, publishes the common
// properties, methods, events and the shared enumerations, and saves and loads the
// common window block.
//
// Geometry: left, top, width and height are kept in twips relative to the container and
// shown in the container's scale units (ContainerScale; twips without one). Every
// conversion goes through ScaleRect and the Screen's twips per pixel. Setting one of
// Left, Top, Width, Height moves through the virtual imMove with the other three as
// they are; imMove sets the moving flag before it moves an existing window, so that the
// move message that follows is not taken back into the twips.
//
// Flags of the window library's word that belong to this class: kMoving (0x0800),
// kCtrl3d (0x2000, the 3-D control look), kInSetup (0x4000: set while "Setup" runs and
// while the window is rebuilt; "Setup" is not raised while it is set).
//
// Stream block (revision 1), after the revision byte:
//   parent form (object reference; null unless the nearest published window above is a
//   form), caption (string), flags word (ULONG, auto-create set, run-time state bits
//   clear), control id, style, extended style (ULONG each), Z order (USHORT), background
//   colour (ULONG), left, top, width, height in twips (ULONG each), foreground colour
//   (ULONG), font (object reference), drag mode (UCHAR), mouse pointer (UCHAR), data
//   source (object reference), data field name (string).
// A damaged block (a parent that is not a window, a data source that is not a record
// set, a bad reference) fails with ObjectLoadFailed("Window") and changes nothing; a font
// that is not a font, a drag mode or pointer outside its enumeration, a null field name
// load as the defaults (no font, no drag, default pointer, "").
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>

#include "guiobjects1/iwdndwindow.h"
#include "guiobjects1/oviui1_api.h"
#include "store/poclass.h"

class ScaleRect;
class ValString;
class ValStringRep;
class ValueList;

// What a font object's native part answers the window: its GDI handle (null without
// font data).
class IWFontHandle {
 public:
  virtual HFONT FontHandle() = 0;

 protected:
  virtual ~IWFontHandle() = default;
};

// Sets a flag of a window for a scope and puts back what was there, also when an
// exception passes (for example kInSetup around a re-creation, so that "Setup" is not
// raised again).
class WindowFlagScope {
 public:
  WindowFlagScope(TWindow& w, uint32_t flag) : w_(w), flag_(flag), was_(w.IsFlagSet(flag)) { w.SetFlag(flag); }
  ~WindowFlagScope() {
    if (!was_) w_.ClearFlag(flag_);
  }
  WindowFlagScope(const WindowFlagScope&) = delete;
  WindowFlagScope& operator=(const WindowFlagScope&) = delete;

 private:
  TWindow& w_;
  uint32_t flag_;
  bool was_;
};

class OVIUI1_API IWWindow : public POClass<IWWindow>, public IWDndWindow {
 public:
  enum : uint32_t { kMoving = 0x0800, kCtrl3d = 0x2000, kInSetup = 0x4000 };
  // Flags that describe a running window, not its settings: never loaded from a block.
  static const uint32_t kRunStateFlags =
      wfAlias | wfFullyCreated | wfModalWindow | wfDetached | wfOwnedElsewhere | kMoving | kInSetup;
  // Bit of a form's own flags: the form is being edited (the editor keeps an overlay
  // child above all others and one below all others).
  enum : uint8_t { kFormEditing = 2 };

  explicit IWWindow(IUnknown* outer);
  ~IWWindow() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);

  void clone(const IInterObj& source) override;
  void construct(const IInterObj& source) override;
  void attach(unsigned char module) override;
  // The store embedded this window's object in container / took it out: a published
  // window container is told (ChildEmbedded, ChildUnembedded).
  void embedded(InterObjRep* container) override;
  void unembedded(InterObjRep* container) override;

  // ---- the window slots, in order ----
  virtual void pdSetCaption(const char* caption);
  virtual void imMove(float left, float top, float width, float height);
  bool PreProcessMsg(MSG& msg) override;
  virtual ScaleRect* Scale();                      // the window's own client coordinates; none
  virtual ScaleRect* ContainerScale();             // the scale of the geometry; none
  void* GetAsInterObjRep(TPoint& point) override;  // the store object
  virtual TWindow* WindowPart();
  void SetupWindow() override;
  void CleanupWindow() override;
  virtual int CallDragAndDropEvent(InterObj& source, TPoint& screenPoint, short state, unsigned long* effect);
  virtual int CallDragStartEvent(TPoint& press);
  virtual int CallDragDropEvent(TPoint& point, const char* name, ValueList* args);
  virtual void AfterLButtonPress();  // after a left press; nothing
  virtual void LButtonRelease();     // nothing
  virtual int ClickOnRelease();      // report a click on release; no
  virtual void* DataForReCreate();
  virtual void DoReCreate(void* arg);
  // A window's object was embedded in this window's object, or taken out: nothing here
  // (a form gives the child its place among its controls).
  virtual void ChildEmbedded(IWWindow* child);
  virtual void ChildUnembedded(IWWindow* child);
  // Makes this window the parent of child's window object (a form: its client window).
  virtual void TakeChild(IWWindow* child);
  DECLARE_RESPONSE_TABLE(IWWindow);

  // ---- properties ----
  ValStringRep* pdGetName();
  void pdSetName(const char* name);
  InterObjRep* pdGetParent();
  void pdSetParent(InterObjRep* parent);
  ValStringRep* pdGetCaption();
  short pdGetZOrder();
  void pdSetZOrder(short n);
  long pdGetBackColor();
  void pdSetBackColor(long color);
  long pdGetForeColor() { return foreColor_; }
  void pdSetForeColor(long color);
  long pdGetMousePointer();
  void pdSetMousePointer(long pointer);
  long pdGetEnabled();
  void pdSetEnabled(long on);
  long pdGetVisible();
  void pdSetVisible(long on);
  float pdGetLeft();
  float pdGetTop();
  float pdGetWidth();
  float pdGetHeight();
  void pdSetLeft(float v);
  void pdSetTop(float v);
  void pdSetWidth(float v);
  void pdSetHeight(float v);
  InterObjRep* pdGetFont();
  void pdSetFont(InterObjRep* font);
  long pdGethWnd() { return (long)(LONG_PTR)HWindow; }
  long pdGetDragMode() { return dragMode_; }
  void pdSetDragMode(long mode);
  long pdGetDataChanged() { return dataChanged_ ? -1 : 0; }
  void pdSetDataChanged(long on) { dataChanged_ = on ? 1 : 0; }
  InterObjRep* pdGetDataSource() { return dataSource_.get(); }
  void pdSetDataSource(InterObjRep* source);
  ValStringRep* pdGetDataField();
  void pdSetDataField(const char* name);
  long pdGetCtrl3d() { return IsFlagSet(kCtrl3d) ? -1 : 0; }
  void pdSetCtrl3d(long on);

  // ---- methods ----
  void imSetFocus();
  void imRefresh();
  short imTextUnload(const char* indent, ValString* cmds);

  // ---- conversions ----
  // Client coordinates in the window's own Scale() units (twips without one).
  void Units2Pixels(float x, float y, TPoint& out);
  void Pixels2Units(const TPoint& in, float& x, float& y);

  // ---- creation, parents, the look ----
  void CreateAndShow();
  void SetParentWindow(IWWindow* parent);
  void SetExStyle(unsigned long bits);
  void ClearExStyle(unsigned long bits);
  void makeControl3d();
  void unmakeControl3d();
  // Takes the 3-D library's two functions when the application has the library loaded
  // (again only when its module changed); clears them otherwise.
  static void ensureCtlFunctions();
  static bool HasCtl3dFunctions();
  void SyncSuperHwnd(int caption, int position);
  bool CaptionIsName();
  HFONT GetEffectiveFont();
  InterObjRep* GetEffectiveFontObject();

  // ---- events ----
  // Button codes of the mouse events and shift codes of the mouse and key events.
  enum MouseButton : short { kButtonLeft = 1, kButtonRight = 2, kButtonMiddle = 4 };
  enum ShiftState : short { kShiftShift = 1, kShiftControl = 2, kShiftAlt = 4 };
  // Shift from a message's MK_* key flags, Alt from the asynchronous key state.
  static short MouseShift(unsigned keyFlags);
  // Shift, Control and Alt from the synchronous key state.
  static short KeyShift();
  // Raises a mouse event with x and y in Scale() units; a handler's failure propagates.
  void NotifyMouse(const char* name, short button, unsigned keyFlags, TPoint& point);
  int evalWindowEventSSFF(const char* name, short a, short b, float x, float y);
  // Raises "KeyDown", "KeyUp" or "KeyPress" with the key by reference (and the shift
  // state for the first two). A handler that changed the key to another code puts it
  // into wParam; one that set 0 swallows the message (answers non-zero).
  int NotifyKey(unsigned message, unsigned key, unsigned& wParam);
  int NotifyClick();
  int NotifyDblClick();
  // A failing handler is reported by the store and swallowed.
  void NotifyGotFocus();
  void NotifyLostFocus();
  // The left button, from PreProcessMsg.
  void LButtonDown(unsigned keyFlags, TPoint& point);
  void LButtonUp(unsigned keyFlags, TPoint& point);
  // Handlers the derived classes list in their tables.
  void EvLButtonDblClk(uint keyFlags, TPoint& point);
  void EvSetFocus(HWND lost);
  void EvKillFocus(HWND gained);
  // This class's own entries.
  void EvMouseMove(uint keyFlags, TPoint& point);
  void EvMButtonDown(uint keyFlags, TPoint& point);
  void EvMButtonUp(uint keyFlags, TPoint& point);
  void EvRButtonDown(uint keyFlags, TPoint& point);
  void EvRButtonUp(uint keyFlags, TPoint& point);
  void EvKeyDown(uint key, uint repeatCount, uint flags);
  void EvKeyUp(uint key, uint repeatCount, uint flags);
  void EvChar(uint key, uint repeatCount, uint flags);

  // ---- drag and drop ----
  // "DragStart" gets a new transfer-data object with this window's drag mode and the
  // press point in Scale() units; when no handler ran, the window drags its own object:
  // a reference to it (one more count) in a medium of the process's object-reference
  // format, offered by a data object, through an OLE drag with this window's drop source
  // allowing copy and move. When the medium cannot be made no drag starts and the count
  // is given back. "DragAndDrop" gets the source, x and y (from a screen point), the
  // state and the effect by reference; without a handler the effect becomes 0.
  //
  // The steps that reach outside the window (the medium builder, the OLE drag), in one
  // place so that a test can put doubles there.
  struct DragStartSteps {
    void* (*buildMedium)(STGMEDIUM& medium, unsigned size, const void* source);
    HRESULT(WINAPI* runDrag)(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect);
  };
  static DragStartSteps& DragSteps();
  IDropSource* DropSource() { return &dropSource_; }

  // ---- data binding ----
  // "Update" gets the field's value with its trailing white space cut. Before the
  // record set writes a row, "UpdateDataSource" runs when the data changed: what its
  // handler leaves in the value is written, "" included (a handler that wants the field
  // kept as it is sets the value back); without a handler the window's own text is
  // written, so a cleared field stores "".
  void dataControlSync();
  void evalUpdate();
  void evalUpdateDataSource();
  // After a copy from source: binds to source's record set, or to the copy of it that
  // this window's container holds under the same member.
  void fixupCopiedDataSource(const InterObj& source);

  // ---- walks ----
  // The top-level window of a handle (following parents while they are child windows).
  static HWND TopParent(HWND handle);
  // The outermost published form above (or at) a window, or null.
  static IWWindow* TopForm(TWindow* window);
  // The store object of the nearest published window above a window, or null.
  static InterObjRep* ParentObject(const TWindow* window);
  // The form whose store object holds the window's object, or null when that is not a
  // form.
  static IWWindow* ParentForm(const TWindow* window);
  // Whether obj is a published form ("Form" and its descendants).
  static bool IsAForm(const InterObjRep* obj);
  static IWWindow* Native(InterObjRep* obj) { return POClass<IWWindow>::Native(obj); }

  // ---- fields other code reads ----
  int32_t twipsLeft() const { return left_; }
  int32_t twipsTop() const { return top_; }
  int32_t twipsWidth() const { return width_; }
  int32_t twipsHeight() const { return height_; }
  uint16_t storedZOrder() const { return zOrder_; }
  // A form's own flags (kFormEditing); 0 for other windows. The form sets them.
  uint8_t formFlags() const { return formFlags_; }
  void setFormFlags(uint8_t f) { formFlags_ = f; }

  // Answers WM_CTLCOLOR* for the children: see the source for the decision table.
  HBRUSH EvCtlColor(HDC dc, HWND child, uint ctlType);
  void EvMove(TPoint& clientOrigin);
  void EvWindowPosChanged(WINDOWPOS& pos);

 protected:
  int DragGesture(TPoint& point) override;
  // The drag of this window's own object (no "DragStart" handler ran).
  void DragOwnObject();
  // The key messages: NotifyKey, then default processing with the (changed) key.
  void keyMessage(unsigned message, unsigned key);
  // Twips of the pixel attributes (after a load): X and W horizontal, Y and H vertical.
  void pixelsFromTwips();
  // Numbers the stored Z order of the published child windows in their window order.
  void numberChildZOrders();
  void leaveDataSource();
  // After a copy from source: the embedded windows bind to this object's copies.
  void fixupCopiedEmbeds(InterObjRep& source);
  // Registers with the record set target and synchronises (nothing for a non-record set).
  void bindTo(InterObjRep* target);

  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  long foreColor_ = -1;
  Faultp<InterObjRep> font_;
  long dataChanged_ = 0;
  std::string dataField_;
  Faultp<InterObjRep> currentField_;
  Faultp<InterObjRep> dataSource_;
  uint16_t zOrder_ = 0;
  uint8_t formFlags_ = 0;
  HBRUSH ctlBrush_ = nullptr;  // made by the last EvCtlColor
};
