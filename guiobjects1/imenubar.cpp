// iMenuBar: the published "MenuBar".
#include "guiobjects1/imenubar.h"

#include <string>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwwindow.h"
#include "imenulists.h"
#include "store/podefine.h"
#include "store/valstring.h"

namespace {

void DetachFromWindow(InterObjRep* form, iMenuBar* bar) {
  IWWindow* w = IWWindow::Native(form);
  if (!w || !w->HWindow || !::IsWindow(w->HWindow)) return;
  if (bar->handle() && ::GetMenu(w->HWindow) == bar->handle()) ::SetMenu(w->HWindow, nullptr);
}

iMenuBar::FormDetach g_detach = &DetachFromWindow;

}  // namespace

Faultp<InterObjRep>* iMenuBar::PO_Object = nullptr;
const POClassRow& iMenuBar::PO_Row() { return DllInstance::Row(kOviui1MenuBar); }

iMenuBar::iMenuBar(IUnknown* outer) : POClass(outer) {}

iMenuBar::~iMenuBar() {
  std::vector<Faultp<InterObjRep>> forms;
  forms.swap(forms_);
  for (Faultp<InterObjRep>& f : forms) {
    if (f.isNull() || ObjectStore::DeletingModule(f->module())) continue;
    try {
      g_detach(f.get(), this);
    } catch (...) {  // a form failing to let go must not stop the bar's end
    }
  }
}

iMenuBar::FormDetach iMenuBar::SetFormDetach(FormDetach detach) {
  FormDetach old = g_detach;
  g_detach = detach ? detach : &DetachFromWindow;
  return old;
}

void iMenuBar::PO_DeclareFields(SignatureRep& sig) {
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &iMenuBar::imTextUnload);
}

void iMenuBar::clone(const IInterObj& source) {
  if (dynamic_cast<const iMenuBar*>(&source)) iMenu::clone(source);
}

bool iMenuBar::AddFormA(InterObjRep* form) {
  if (!IWWindow::Native(form)) return false;
  for (const Faultp<InterObjRep>& f : forms_)
    if (!f.isNull() && f.get() == form) return true;
  forms_.emplace_back(form, tUncountedIndirectReference);
  return true;
}

void iMenuBar::RemoveForm(InterObjRep* form) {
  for (size_t i = 0; i < forms_.size(); ++i)
    if (forms_[i].isNull() || forms_[i].get() == form) forms_.erase(forms_.begin() + (long)i--);
}

std::vector<InterObjRep*> iMenuBar::Forms() const {
  std::vector<InterObjRep*> out;
  for (const Faultp<InterObjRep>& f : forms_)
    if (!f.isNull()) out.push_back(f.get());
  return out;
}

void iMenuBar::DrawMenuBars() {
  for (InterObjRep* form : Forms()) {
    IWWindow* w = IWWindow::Native(form);
    if (w && w->HWindow && ::IsWindow(w->HWindow)) ::DrawMenuBar(w->HWindow);
  }
}

short iMenuBar::imTextUnload(const char* indent, ValString* cmds) {
  if (!cmds) return -1;
  std::string text;
  MenuTextLines(*this, indent, false, text);
  *cmds = ValString(cmds->str() + text);
  return -1;
}
