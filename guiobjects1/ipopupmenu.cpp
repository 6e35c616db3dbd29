// iPopupMenu: the published "PopupMenu".
#include "guiobjects1/ipopupmenu.h"

#include <cstring>
#include <string>

#include "guiobjects1/dllinstance.h"
#include "imenulists.h"
#include "store/enum.h"
#include "store/podefine.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

using namespace menulists;

Faultp<InterObjRep>* iPopupMenu::PO_Object = nullptr;
const POClassRow& iPopupMenu::PO_Row() { return DllInstance::Row(kOviui1PopupMenu); }

iPopupMenu::iPopupMenu(IUnknown* outer) : POClass(outer) { Popups().push_back(this); }

iPopupMenu::~iPopupMenu() {
  Remove(Popups(), this);
  DiscardAccelCaches();
}

void iPopupMenu::PO_DeclareFields(SignatureRep& sig) {
  PO_Method(sig, "Function InsertSeparator(ByVal pos as integer) as integer", &iPopupMenu::imInsertSeparator);
  PO_Method(sig, "Sub CheckItem(ByVal name as string, ByVal check as integer)", &iPopupMenu::imCheckItem);
  PO_Method(sig, "Function ItemIsChecked(ByVal name as string) as long", &iPopupMenu::imItemIsChecked);
  PO_Method(sig, "Sub SetAccelerator(ByVal name as string, ByVal accelEnumVal as long)",
            &iPopupMenu::imSetAccelerator);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &iPopupMenu::imTextUnload);
}

HMENU iPopupMenu::GetHMenu() {
  if (!hMenu_) hMenu_ = ::CreatePopupMenu();
  return hMenu_;
}

MenuAccelTable iPopupMenu::GetInitialAccelTbl() { return accels_.compacted(); }

iPopupMenu* iPopupMenu::find(HMENU h) {
  if (!h) return nullptr;
  for (iPopupMenu* p : Popups())
    if (p->hMenu_ == h) return p;
  return nullptr;
}

size_t iPopupMenu::LiveCount() { return Popups().size(); }

void iPopupMenu::clone(const IInterObj& source) {
  // Only from another popup; its accelerator entries are not copied.
  if (dynamic_cast<const iPopupMenu*>(&source)) iMenu::clone(source);
}

// ---- separators and check marks ----

short iPopupMenu::imInsertSeparator(short pos) {
  HMENU h = GetHMenu();
  if (!h) return 0;
  UINT id = pos == -1 ? (UINT)::GetMenuItemCount(h) : (UINT)(int)pos;
  if (!::InsertMenuA(h, (UINT)(int)pos, MF_BYPOSITION | MF_SEPARATOR, id, nullptr)) return 0;
  Modified(true);
  return 1;
}

void iPopupMenu::imCheckItem(const char* name, short check) {
  int pos = GetIdOrPos(name, kAnswerPos);
  if (pos == -1) return;
  ::CheckMenuItem(hMenu_, (UINT)pos, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
  changed();
}

long iPopupMenu::imItemIsChecked(const char* name) {
  int pos = GetIdOrPos(name, kAnswerPos);
  if (pos == -1) return 0;
  return (StateAt(pos) & MF_CHECKED) ? -1 : 0;
}

// ---- accelerators ----

void iPopupMenu::imSetAccelerator(const char* name, long choice) {
  int id = GetIdOrPos(name, kAnswerId);
  if (id == -1 || choice < 0 || choice >= kAcceleratorChoiceCount) return;
  AcceleratorChoice c = AcceleratorChoiceAt((int)choice);
  if (c.key) {
    MenuAccel& e = accels_.entryFor((uint16_t)id);
    e = MenuAccel{c.flags, c.key, (uint16_t)id};
  } else {
    accels_.release((uint16_t)id);  // choice 0 frees the entry; none is made for it
  }
  UpdateAccelAbbrev((short)id, AccelAbbrev(c.flags, c.key));
  DiscardAccelCaches();
  changed();
}

int iPopupMenu::UpdateAccelAbbrev(short id, const char* text) {
  if (!hMenu_) return 0;
  int pos = PosOfId((uint16_t)id);
  if (pos < 0) return 0;
  std::string current = TextAt(pos);
  std::string caption = current.substr(0, current.find('\t'));
  std::string accel = text && *text ? std::string("\t") + text : std::string();
  if (accel.size() > kMaxText) accel.resize(kMaxText);
  if (caption.size() + accel.size() > kMaxText) caption.resize(kMaxText - accel.size());
  return SetItemText(hMenu_, pos, caption + accel) ? 1 : 0;
}

int iPopupMenu::imGetAccelerator(const char* name) {
  std::string accel;
  if (hMenu_) {
    std::string text = TextAt(GetIdOrPos(name, kAnswerPos));
    size_t tab = text.find('\t');
    if (tab == std::string::npos) return 0;
    accel = text.substr(tab + 1);
  }
  if (accel.empty()) return -1;
  EnumRep* e = EnumRep::find("AcceleratorKey");
  int32_t value = -1;
  if (!e || !e->valueOf(accel.c_str(), value)) return -1;
  return value;
}

// ---- names ----

void iPopupMenu::GetPopupName(char* buffer, unsigned size) {
  if (!buffer || !size) return;
  const char* name = storeObj() ? storeObj()->name() : "";
  std::strncpy(buffer, name, size - 1);
  buffer[size - 1] = '\0';
}

std::string iPopupMenu::ReferenceName() const { return storeObj() ? storeObj()->fullName() : std::string(); }

// ---- text unload ----

short iPopupMenu::imTextUnload(const char* indent, ValString* cmds) {
  if (!cmds) return -1;
  std::string text;
  MenuTextLines(*this, indent, true, text);
  *cmds = ValString(cmds->str() + text);
  return -1;
}
