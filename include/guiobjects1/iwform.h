// IWForm: the published "Form" (prototype parent "Window"): a top-level frame window
// ("OrvanelForm") whose client window ("OrvanelFormClient", TFormClient) holds the
// form's controls. Basic shows, hides, loads, unloads and shows it modally; it raises
// "Load", "Unload", "Activate", "Deactivate" and "Resize", and "Click" and "DblClick"
// for its background. A form embedded in another form is a child window of that form's
// client (its style holds WS_CHILD) and most showing rules do not apply to it.
//
// Visibility is the WS_VISIBLE bit of the creation style, kept up to date by the showing
// operations also while the form has no window. A form is created hidden: "Load" is
// raised once its window and its children exist, then Show shows it.
//
// Modality: ShowModal runs the application's modal loop (TApplication::BeginModal) and
// answers what ends it: ModalResult's argument, or -1 from Hide, closing or unloading.
// Ending it also asks the store to resume the message loop that was current when it
// began. ShowModal on an embedded form, or on a form already modal, answers -1.
//
// Closing: a form that is not the application's main window only hides when closed
// (its window and object stay). For the main window the system menu's Close asks the
// application (its "CanClose", which runs "Shutdown" when it agrees) and ends the
// message loop with the application object's ExitCode.
//
// Minimising the main form hides the other visible top-level windows of the thread and
// marks each with a window property of its own; restoring shows exactly those again.
// No other data of those windows is touched.
//
// Menus and keys (iwformrouting.cpp): a menu command (no control window) calls the
// form's "<item>_Click"; before a menu drops down, "<item>_Enable" answers whether the
// item is enabled (no such member: enabled). Keys go to the accelerator tables of the
// menu bar, then of the popup menu, then of AccelForm; with KeyPreview the form sees
// the keys of its controls first ("KeyDown", "KeyUp", "KeyPress"; a key set to 0 is
// swallowed). Tab, the arrows, Enter and Escape have their dialog meaning among the
// controls: Enter presses the default button, Escape the cancel button, which are the
// buttons of the client window with the control ids 1 and 2. The right button shows the
// PopupMenu. Controls answers the form's control group (controlgroup.h), made on the
// first read and kept.
//
// Stream block (revision 1): the window's block, then the drawable's block, the scale
// rectangle, the references to Controls, MenuBar, PopupMenu and AccelForm (a reference
// of another class loads as none), FileDrop (ULONG). A damaged block or a revision
// above 1 fails with ObjectLoadFailed("Form"); the scale, references and FileDrop change
// only once all of them were read (the window's and the drawable's blocks before them
// take effect as each is read).
#pragma once

#include <cstdint>
#include <string>

#include "guiobjects1/iwoleinplaceframe.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/oviui1_api.h"
#include "guiobjects1/printabledrawable.h"
#include "guiobjects1/scalerect.h"
#include "owlext/drawable.h"
#include "winlib/framewin.h"

class NativeArray;
class TFormClient;
class TCommandEnabler;

// The drawing surface (TDrawable, shared with the printable part) draws on the client
// window: positions are in the form's scale, and Print goes to the client.
class OVIUI1_API IWForm : public POClass<IWForm, IWWindow>,
                          public TFrameWindow,
                          public virtual TDrawable,
                          public PrintableDrawable,
                          public IWOleInPlaceFrame {
 public:
  // The form's own state bits.
  enum : uint8_t { kShownModal = 1, kEditMode = 2, kMinimized = 4, kCreating = 0x80 };
  // The window flag word's KeyPreview bit (saved with the window's block).
  enum : uint32_t { kKeyPreview = 0x1000 };
  // The control ids of the default and cancel buttons.
  enum : int { kDefaultButtonId = IDOK, kCancelButtonId = IDCANCEL };

  explicit IWForm(IUnknown* outer);
  ~IWForm() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;

  // ---- window slots ----
  bool PreProcessMsg(MSG& msg) override;
  ScaleRect* Scale() override { return &scale_; }
  ScaleRect* ContainerScale() override;
  TWindow* WindowPart() override;
  void SetupWindow() override;
  void CleanupWindow() override;
  void AfterLButtonPress() override;  // the frame takes the mouse capture
  void LButtonRelease() override;     // "Click" when released over the background
  // Creates the window (children embedded first); false when the window cannot be
  // made, and then no "Load".
  bool Create() override;
  HWND PerformCreate(INT_PTR menuOrId) override;
  void Destroy(int retVal = 0) override;
  void CloseWindow(int retVal = 0) override;
  const char* GetClassName() override { return "OrvanelForm"; }
  bool HoldFocusHWnd(HWND lose, HWND gain) override;
  void ChildEmbedded(IWWindow* child) override;
  void ChildUnembedded(IWWindow* child) override;
  void TakeChild(IWWindow* child) override;

  // ---- the drawing surface and Print (iwformdraw.cpp) ----
  void* getObject() override { return storeObj(); }
  void DrawUnits2Pixels(float x, float y, TPoint& out) override { Units2Pixels(x, y, out); }
  // A client DC of the client window, made on first use (configured by the surface) and
  // kept until the client window goes; none while the client window has no handle.
  TDC* getDC() override;
  // The background colour as an RGB (the client class's button face when the form names
  // none).
  uint32_t getBkColor() override;
  // Marks the form changed; with repaint and a window, the client and its children are
  // invalidated (InvalidateAll(false)).
  void drawableChanged(int repaint) override;
  void drawableCls() override;  // the client erased whole, children included
  void InvalidateAll(bool erase);
  // The poly methods as Basic declares them: the points are the first count elements of
  // the two Single arrays, from their lower bounds. A count the call cannot draw, or more
  // than either array holds, is refused with 32712 ("count"); an array of several
  // dimensions with 32712 naming it ("x" or "y").
  void imPolylineArgs(const NativeArray* x, const NativeArray* y, long count);
  void imPolygonArgs(const NativeArray* x, const NativeArray* y, long count);
  void imPolyBezierArgs(const NativeArray* x, const NativeArray* y, long count);
  void drawPolyArrays(PolyKind kind, const NativeArray* x, const NativeArray* y, long count);
  // Forgets the kept DC (the client window is going).
  void DropDrawableDC() { SetCachedDC(nullptr); }
  Printable* printable() override { return this; }
  void Print(short v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(long v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(float v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(double v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(const char* text) override { WPPrint(this, CurrentX, CurrentY, text); }
  void PrintSpace(int n) override { WPPrintSpace(this, CurrentX, CurrentY, n); }
  void PrintTab(int n) override { WPPrintTab(this, CurrentX, CurrentY, n); }
  void PrintSeparator(PrintSepType sep) override { WPPrintSeparator(this, CurrentX, CurrentY, sep); }
  void PrintDone(PrintSepType sep) override { WPPrintDone(this, CurrentX, CurrentY, sep); }

  // ---- Font and MousePointer reach the client window ----
  // The window layer's font, then every published window among the client's children is
  // refreshed (through embedded forms, to any depth).
  void pdSetFont(InterObjRep* font);
  // The window layer's pointer, and the same cursor on the client window.
  void pdSetMousePointer(long pointer);

  // ---- copying ----
  // A copy of an embedded form is a top-level form; the scale, menus, AccelForm, the
  // pointer and the drawing state come along.
  void clone(const IInterObj& source) override;
  // References to the source's own embedded objects (menus, AccelForm, DefaultButton,
  // CancelButton) are pointed at the copy's objects of the same names.
  void construct(const IInterObj& source) override;
  void attach(unsigned char module) override;

  // ---- PrintForm (iwformdraw.cpp) ----
  // Prints a snapshot of the whole window (frame included) on one page, scaled so that
  // it takes the page's share that it takes of the screen. The job is titled with the
  // caption, or the form's name when the caption is empty. No printer, or a failing
  // job, is a Basic error.
  void imPrintForm();
  // The title PrintForm gives its job.
  std::string PrintJobTitle();

  // ---- edit mode (iwformdraw.cpp) ----
  // BeginEdit shows the form, marks it edited (an embedded form becomes its containing
  // form's edited child), draws red marks on the sizing frame and lets drawing on the
  // client cover the controls (WS_CLIPCHILDREN off). EndEdit undoes each step; whatever
  // has gone (the client's window, the containing form) is skipped without complaint.
  void BeginEdit();
  void EndEdit();
  bool IsEditing() const { return (state_ & kEditMode) != 0; }
  IWForm* EditedChild() const { return editedChild_; }
  // Draws the marks (in edit mode) or paints them over (outside it).
  void drawEditorMarks();
  // The twelve rectangles of the marks for the frame rectangle r (left, top, right,
  // bottom) with the frame (fx, fy) and caption-box (bx, by) sizes.
  static void BorderMarkRects(const TRect& r, int fx, int fy, int bx, int by, TRect out[12]);

  // ---- Basic ----
  void imShow();
  void imHide();
  void imMinimize() { showAs(SW_SHOWMINIMIZED); }
  void imMaximize() { showAs(SW_SHOWMAXIMIZED); }
  void imShowRestore() { showAs(SW_RESTORE); }
  long imShowModal();
  void imModalResult(long result);
  void imBringToTop();
  void imCenter();
  void imLoad();
  void imUnload();
  long pdGetVisible();
  void pdSetVisible(long on);
  long pdGetShownModal() { return (state_ & kShownModal) ? -1 : 0; }
  void pdSetParent(InterObjRep* parent);

  // ---- menus, keys and command routing (iwformrouting.cpp) ----
  LRESULT EvCommand(uint id, HWND hWndCtl, uint notifyCode) override;
  void EvCommandEnable(TCommandEnabler& enabler) override;
  // True when an accelerator table translated msg (a nested check: asked by another
  // form, so that AccelForm chains do not loop).
  bool HandleAccelerator(MSG& msg, bool nested);
  void getExtEventList(RWCString& out) override;
  int getExtEventProto(const char* event, RWCString& proto, int& resultType) override;
  InterObjRep* pdGetMenuBar();
  void pdSetMenuBar(InterObjRep* bar);
  InterObjRep* pdGetPopupMenu();
  void pdSetPopupMenu(InterObjRep* popup);
  InterObjRep* pdGetAccelForm();
  void pdSetAccelForm(InterObjRep* form);
  long pdGetKeyPreview() { return IsFlagSet(kKeyPreview) ? -1 : 0; }
  void pdSetKeyPreview(long on);
  InterObjRep* pdGetDefaultButton() { return GetDefBtn(kDefaultButtonId); }
  void pdSetDefaultButton(InterObjRep* button) { SetDefBtn(button, kDefaultButtonId); }
  InterObjRep* pdGetCancelButton() { return GetDefBtn(kCancelButtonId); }
  void pdSetCancelButton(InterObjRep* button) { SetDefBtn(button, kCancelButtonId); }
  InterObjRep* pdGetControls();
  // Takes the menu off the window (the menu bar no longer serves the form).
  void RemoveMenuBar();
  // Gives id to button (a button of this form; null: to none); the button holding it
  // before gets the smallest free id from 100. Anything else changes nothing.
  void SetDefBtn(InterObjRep* button, int id);
  InterObjRep* GetDefBtn(int id);
  // The right button on the client window at point (client pixels): shows the popup
  // menu and answers true; false without one.
  bool TrackPopup(TPoint& point);
  LRESULT EvEnterMenuLoop(WPARAM, LPARAM);
  LRESULT EvExitMenuLoop(WPARAM, LPARAM);

  // ---- scale, frame style, client handle, dropped files (iwformprops.cpp) ----
  long pdGetScaleMode() { return scale_.mode(); }
  void pdSetScaleMode(long mode);
  float pdGetScaleLeft() { return scale_.ScaleLeft; }
  float pdGetScaleTop() { return scale_.ScaleTop; }
  float pdGetScaleWidth();
  float pdGetScaleHeight();
  void pdSetScaleLeft(float v);
  void pdSetScaleTop(float v);
  void pdSetScaleWidth(float v);
  void pdSetScaleHeight(float v);
  // Scale(x1, y1, x2, y2): the scale from corner to corner; zero extents are refused
  // (32712) and change nothing.
  void imScale(float x1, float y1, float x2, float y2);
  long pdGetBorderStyle();
  void pdSetBorderStyle(long style);
  long pdGetMaxButton() { return (Attr.Style & WS_MAXIMIZEBOX) ? -1 : 0; }
  void pdSetMaxButton(long on) { setFrameBit(WS_MAXIMIZEBOX, on != 0); }
  long pdGetMinButton() { return (Attr.Style & WS_MINIMIZEBOX) ? -1 : 0; }
  void pdSetMinButton(long on) { setFrameBit(WS_MINIMIZEBOX, on != 0); }
  long pdGetControlBox() { return (Attr.Style & WS_SYSMENU) ? -1 : 0; }
  void pdSetControlBox(long on) { setFrameBit(WS_SYSMENU, on != 0); }
  long pdGetClientHWnd();
  long pdGetFileDrop() { return fileDrop_ ? -1 : 0; }
  void pdSetFileDrop(long on);
  short imFormTextUnload(const char* indent, ValString* cmds);
  // The form's own stream data after the window's block: the drawable's block, the
  // scale rectangle, Controls, MenuBar, PopupMenu, AccelForm, FileDrop.
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);

  // ---- in-place OLE frame services ----
  // Raises "InPlaceMenu"(WhichMenuGroup, MenuHandle, SubMenuIndex, NumberOfSubMenus);
  // a failing handler propagates.
  void CallInsertMenuEvent(short group, HMENU menu, long subMenuIndex, long subMenuCount) override;
  HRESULT GetOleFrameInfo(IOleInPlaceFrame** frame, OLEINPLACEFRAMEINFO* info);
  HWND FrameWindow() override { return HWindow; }
  void RestoreFrameMenu() override { showMenuBar(); }

  bool IsEmbedded() const { return (Attr.Style & WS_CHILD) != 0; }
  TFormClient* Client() const;
  uint8_t State() const { return state_; }
  // Ends the modal loop with result while the form is shown modally.
  void endModal(int result);

  static IWForm* Native(InterObjRep* obj) { return POClass<IWForm, IWWindow>::Native(obj); }
  // The name of the window property that marks the windows a minimised main form hid.
  static const char* HiddenMarkName();

  // ---- the frame's messages ----
  void EvPaint() { TFrameWindow::EvPaint(); }
  bool EvEraseBkgnd(HDC dc);
  HICON EvQueryDragIcon() { return TFrameWindow::EvQueryDragIcon(); }
  void EvActivate(uint active, bool minimized, HWND other);
  void EvClose();
  void EvSize(uint sizeType, TSize& size);
  void EvSetFocus(HWND lost) { TFrameWindow::EvSetFocus(lost); }
  void EvInitMenuPopup(HMENU popup, uint index, bool sysMenu) {
    TFrameWindow::EvInitMenuPopup(popup, index, sysMenu);
  }
  void EvSysCommand(uint cmdType, TPoint& point);
  LRESULT EvNCCalcSize(WPARAM calcValid, LPARAM params);
  void EvLButtonUp(uint keyFlags, TPoint& point);
  void EvGetMinMaxInfo(MINMAXINFO& info);
  LRESULT EvPaletteChanged(WPARAM, LPARAM);
  LRESULT EvQueryNewPalette(WPARAM, LPARAM);
  LRESULT EvNCPaint(WPARAM, LPARAM);
  LRESULT EvNCActivate(WPARAM, LPARAM);

 private:
  void drawBorderMarks(HDC dc, const TRect& r);
  void showAs(int command);
  // Gives a window child its place under the client: parent, a free id from 100, the
  // auto-create flag; created and shown at once when the form has a window.
  void embedChild(IWWindow* child, bool newcomer);
  int nextChildId() const;
  // Hides (minimised) or shows again (restored) the thread's other top-level windows.
  void threadWindowStep(bool hide);
  // Shows the menu bar's menu on the window (when both exist).
  void showMenuBar();
  // The client size in pixels (the window's size without a client window).
  TSize clientPixels();
  // A coordinate of the scale was set: Custom unless Proportional.
  void scaleCoordinateSet();
  void refreshUnitExtent(const TSize& size);
  void setFrameBit(uint32_t bit, bool on);
  // Evaluates a menu item's member ("<item>_Click", "<item>_Enable") on the form.
  Value* evalMenuMember(const char* item, const char* suffix, int* found);
  // The application object agrees to close: the message loop ends with its exit code.
  void closeApplication();

  uint8_t state_ = 0;
  ScaleRect scale_;
  int16_t savedLoop_ = 0;
  Faultp<InterObjRep> menuBar_;    // counted
  Faultp<InterObjRep> popupMenu_;  // counted
  Faultp<InterObjRep> accelForm_;  // uncounted
  Faultp<InterObjRep> controls_;   // counted: the control group, made on first read
  uint32_t fileDrop_ = 0;
  IWForm* editedChild_ = nullptr;  // an embedded form of this one in edit mode

  DECLARE_RESPONSE_TABLE(IWForm);
};
