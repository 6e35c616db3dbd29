// IWForm: menu commands and their enabling by name, the menu-derived event names, the
// accelerator chain, message preprocessing (key preview, dialog keys), the default and
// cancel buttons, the menu properties, the popup menu on the right button, the menu
// loop, the control group, and the in-place frame services.
#include <cstring>
#include <string>

#include "guiobjects1/controlgroup.h"
#include "guiobjects1/formclient.h"
#include "guiobjects1/imenubar.h"
#include "guiobjects1/ipopupmenu.h"
#include "guiobjects1/iwbutton.h"
#include "guiobjects1/iwform.h"
#include "store/poevent.h"
#include "store/value.h"
#include "winlib/applicat.h"
#include "winlib/cmdenabler.h"

namespace {

// Whether automatic busy signalling was on when a menu loop began (one value serves
// every form: menu loops do not nest).
int g_autoBusyBeforeMenu = 0;

const char kClickSuffix[] = "_Click";
const char kEnableSuffix[] = "_Enable";

// Appends "<item>_Click" and "<item>_Enable" for each command item of menu, following
// popups into their own menus.
void AppendMenuEvents(HMENU menu, RWCString& out, int depth) {
  if (!menu || depth > 64) return;
  const int n = ::GetMenuItemCount(menu);
  for (int pos = 0; pos < n; ++pos) {
    const UINT state = ::GetMenuState(menu, (UINT)pos, MF_BYPOSITION);
    if (state == (UINT)-1) continue;
    if (state & MF_POPUP) {
      if (iPopupMenu* popup = iPopupMenu::find(::GetSubMenu(menu, pos)))
        AppendMenuEvents(popup->handle(), out, depth + 1);
      continue;
    }
    if (state & MF_SEPARATOR) continue;
    const char* item = iMenu::StringId((uint16_t)::GetMenuItemID(menu, pos));
    if (!item || !*item) continue;
    out += (std::string(item) + kClickSuffix + "\n" + item + kEnableSuffix + "\n").c_str();
  }
}

bool IsKeyMessage(UINT message) { return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR; }

}  // namespace

// ---- commands ----

Value* IWForm::evalMenuMember(const char* item, const char* suffix, int* found) {
  InterObjRep* me = storeObj();
  if (!me) {
    if (found) *found = 0;
    return nullptr;
  }
  const std::string name = std::string(item) + suffix;
  return me->evalIMember(name.c_str(), nullptr, found, InterObjRep::kEvalQuiet);
}

LRESULT IWForm::EvCommand(uint id, HWND hWndCtl, uint notifyCode) {
  const char* item = hWndCtl ? nullptr : iMenu::StringId(id);
  if (!item || !*item || !storeObj()) return TFrameWindow::EvCommand(id, hWndCtl, notifyCode);
  try {
    ValuePtr result;
    result.adopt(evalMenuMember(item, kClickSuffix, nullptr));
  } catch (StoreException& e) {
    StoreApplication::HandleException(e);
  }
  return 0;
}

void IWForm::EvCommandEnable(TCommandEnabler& enabler) {
  const char* item = iMenu::StringId(enabler.GetId() & 0xFFFF);
  if (!item || !*item || !storeObj()) {
    if (!enabler.Handled()) TFrameWindow::EvCommandEnable(enabler);
    return;
  }
  bool enable = true;
  try {
    int found = 0;
    ValuePtr answer;
    answer.adopt(evalMenuMember(item, kEnableSuffix, &found));
    if (found && answer) enable = (short)answer->asLong() != 0;
  } catch (StoreException& e) {
    StoreApplication::HandleException(e);
  }
  enabler.Enable(enable);
}

void IWForm::getExtEventList(RWCString& out) {
  iMenuBar* bar = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get());
  if (bar) AppendMenuEvents(bar->handle(), out, 0);
}

int IWForm::getExtEventProto(const char* event, RWCString& proto, int& resultType) {
  if (!event || !*event) return 0;
  RWCString list;
  getExtEventList(list);
  const std::string all = std::string("\n") + list.data(), line = std::string("\n") + event + "\n";
  if (all.find(line) == std::string::npos) return 0;
  proto = "()";
  resultType = std::strstr(event, kEnableSuffix) ? kTypeShort : 0;
  return 1;
}

// ---- keys ----

bool IWForm::HandleAccelerator(MSG& msg, bool nested) {
  if (msg.message < WM_KEYDOWN || msg.message > WM_SYSDEADCHAR) return false;
  if ((State() & kEditMode) && !nested && !IsFlagSet(wfMainWindow)) {
    TApplication* app = GetApplicationObject();
    IWForm* main = app ? dynamic_cast<IWForm*>(app->GetMainWindow()) : nullptr;
    if (main && main != this && main->HandleAccelerator(msg, true)) return true;
  }
  if (IOleInPlaceActiveObject* active = ActiveObject())
    if (active->TranslateAccelerator(&msg) == S_OK) return true;
  if (HWindow) {
    for (Faultp<InterObjRep>* ref : {&menuBar_, &popupMenu_}) {
      iMenu* menu = ref->isNull() ? nullptr : iMenu::Native(ref->get());
      int count = 0;
      HACCEL table = menu ? menu->GetHAccel(count) : nullptr;
      if (table && ::TranslateAcceleratorA(HWindow, table, &msg)) return true;
    }
  }
  if (nested) return false;
  IWForm* other = accelForm_.isNull() ? nullptr : IWForm::Native(accelForm_.get());
  return other && other != this && other->HandleAccelerator(msg, true);
}

bool IWForm::PreProcessMsg(MSG& msg) {
  if (HandleAccelerator(msg, false)) return true;
  if (msg.message == WM_LBUTTONUP || msg.message == WM_MBUTTONUP || msg.message == WM_RBUTTONUP)
    DeactivateInPlaceObject();
  if (IWWindow::PreProcessMsg(msg)) return true;
  HWND client = ClientWnd ? ClientWnd->HWindow : nullptr;
  if (IsFlagSet(kKeyPreview) && IsKeyMessage(msg.message) && msg.hwnd != HWindow && msg.hwnd != client) {
    unsigned key = (unsigned)msg.wParam;
    try {
      if (NotifyKey(msg.message, key, key)) return true;  // swallowed
    } catch (StoreException& e) {
      StoreApplication::HandleException(e);
    }
    msg.wParam = key;
  }
  if (msg.message == WM_CHAR && msg.hwnd == client) return false;
  HWND dialog = nullptr;
  if (TWindow* target = GetWindowPtr(msg.hwnd)) {
    IWForm* owner = dynamic_cast<IWForm*>(ParentForm(target));
    if (!owner && target == ClientWnd) owner = this;
    if (owner && owner->ClientWnd) dialog = owner->ClientWnd->HWindow;
  } else {
    dialog = ::GetParent(msg.hwnd);
  }
  return dialog && ::IsDialogMessageA(dialog, &msg);
}

void IWForm::pdSetKeyPreview(long on) {
  if (on)
    SetFlag(kKeyPreview);
  else
    ClearFlag(kKeyPreview);
  changed();
}

// ---- default and cancel buttons ----

void IWForm::SetDefBtn(InterObjRep* button, int id) {
  IWButton* next = nullptr;
  if (button) {
    next = IWButton::Native(button);
    if (!next || ParentForm(next) != static_cast<IWWindow*>(this)) return;
  }
  if (!ClientWnd) return;
  if (IWButton* holder = dynamic_cast<IWButton*>(ClientWnd->ChildWithId(id)))
    holder->SetSpecialID(nextChildId());
  if (next) next->SetSpecialID(id);
}

InterObjRep* IWForm::GetDefBtn(int id) {
  IWButton* b = ClientWnd ? dynamic_cast<IWButton*>(ClientWnd->ChildWithId(id)) : nullptr;
  return b ? b->storeObj() : nullptr;
}

// ---- menu properties ----

InterObjRep* IWForm::pdGetMenuBar() { return menuBar_.isNull() ? nullptr : menuBar_.get(); }

void IWForm::pdSetMenuBar(InterObjRep* bar) {
  InterObjRep* me = storeObj();
  if (me && me->isPrototype()) return;
  iMenuBar* next = bar ? iMenuBar::Native(bar) : nullptr;
  if (bar && !next) return;
  if (iMenuBar* old = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get())) old->RemoveForm(me);
  RemoveMenuBar();
  menuBar_.set(bar, tIndirectReference);
  showMenuBar();
  if (next && me) next->AddFormA(me);
  changed();
}

void IWForm::showMenuBar() {
  if (!HWindow || IsEmbedded()) return;
  iMenuBar* bar = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get());
  if (bar) ::SetMenu(HWindow, bar->GetHMenu());
}

void IWForm::RemoveMenuBar() {
  if (HWindow && ::GetMenu(HWindow)) ::SetMenu(HWindow, nullptr);
}

InterObjRep* IWForm::pdGetPopupMenu() { return popupMenu_.isNull() ? nullptr : popupMenu_.get(); }

void IWForm::pdSetPopupMenu(InterObjRep* popup) {
  if (popup && !iPopupMenu::Native(popup)) return;
  popupMenu_.set(popup, tIndirectReference);
  changed();
}

InterObjRep* IWForm::pdGetAccelForm() { return accelForm_.isNull() ? nullptr : accelForm_.get(); }

void IWForm::pdSetAccelForm(InterObjRep* form) {
  if (form && !IWForm::Native(form)) return;
  accelForm_.set(form, tUncountedIndirectReference);
  changed();
}

InterObjRep* IWForm::pdGetControls() {
  if (controls_.isNull()) {
    PrimInterObj group(ControlGroup::PO_GetObject(), (unsigned char)ObjectStore::kTempModule,
                       (tInterObjType)1);
    ControlGroup* native = group.is() ? ControlGroup::Native(group.get()) : nullptr;
    if (!native) return nullptr;
    native->SetForm(this);
    controls_.set(group.get(), tIndirectReference);
  }
  return controls_.get();
}

// ---- the popup menu and the menu loop ----

bool IWForm::TrackPopup(TPoint& point) {
  if (popupMenu_.isNull()) return false;
  iPopupMenu* popup = iPopupMenu::Native(popupMenu_.get());
  if (!popup) utilsAssert("isAPopupMenu(popupMenu)", __FILE__, __LINE__);
  HMENU menu = popup->GetHMenu();
  POINT at = {point.x, point.y};
  if (ClientWnd && ClientWnd->HWindow) ::ClientToScreen(ClientWnd->HWindow, &at);
  if (menu && HWindow) ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, HWindow, nullptr);
  return true;
}

LRESULT IWForm::EvEnterMenuLoop(WPARAM, LPARAM) {
  g_autoBusyBeforeMenu = StoreApplication::AutoBusyEnabled();
  if (g_autoBusyBeforeMenu) StoreApplication::App()->EnableAutoBusy(0);
  return DefaultProcessing();
}

LRESULT IWForm::EvExitMenuLoop(WPARAM, LPARAM) {
  if (g_autoBusyBeforeMenu) StoreApplication::App()->EnableAutoBusy(1);
  return DefaultProcessing();
}

// ---- in-place frame services ----

void IWForm::CallInsertMenuEvent(short group, HMENU menu, long subMenuIndex, long subMenuCount) {
  PO_RaiseEvent(storeObj(), "InPlaceMenu", group, (long)(LONG_PTR)menu, subMenuIndex, subMenuCount);
}

HRESULT IWForm::GetOleFrameInfo(IOleInPlaceFrame** frame, OLEINPLACEFRAMEINFO* info) {
  if (!frame || !info) return E_POINTER;
  *frame = FrameInterface();
  HWND window = nullptr;
  (*frame)->GetWindow(&window);
  info->cb = sizeof *info;
  info->fMDIApp = FALSE;
  info->hwndFrame = window;
  iMenuBar* bar = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get());
  int count = 0;
  info->haccel = bar ? bar->GetHAccel(count) : nullptr;
  info->cAccelEntries = info->haccel ? (UINT)count : 0;
  return S_OK;
}
