// iMenuBar: the published "MenuBar" (parent "Menu"): the menu a form shows under its
// caption. It keeps uncounted references to the forms showing it, so that a change
// redraws their bars and its end takes it off their windows.
//
// Stream block (revision 1), after the revision byte: the complete "Menu" block (its own
// revision byte, then the item list), so the stream starts with two revision bytes.
//
// TextUnload writes one line per position: ".InsertPopup(<popup>, "<text>", -1)" or
// ".InsertItem("<name>", "<text>", -1)" (texts as Basic literals, cut at the tab); a
// bar has no separator operation, so separators, popups that have no name and items
// whose id has no name are left out of the text.
#pragma once

#include <vector>

#include "guiobjects1/imenu.h"

class OVIUI1_API iMenuBar : public POClass<iMenuBar, iMenu> {
 public:
  explicit iMenuBar(IUnknown* outer);
  ~iMenuBar() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override { return iMenu::GetClassID(id); }
  void clone(const IInterObj& source) override;
  const char* PublishedName() const override { return "MenuBar"; }
  static iMenuBar* Native(InterObjRep* obj) { return POClass<iMenuBar, iMenu>::Native(obj); }

  // The forms showing this bar. form must be a published window (a form is one);
  // anything else is refused (false). A form is listed once.
  bool AddFormA(InterObjRep* form);
  void RemoveForm(InterObjRep* form);
  // Redraws the bar of every listed window that still exists.
  void DrawMenuBars() override;
  // The listed windows that still exist, in the order they were added.
  std::vector<InterObjRep*> Forms() const;

  // What the bar's end does to each listed form whose module is not being deleted. The
  // form installs its own (which clears its menu-bar property too); the default takes
  // the menu off the window when the window shows this bar.
  typedef void (*FormDetach)(InterObjRep* form, iMenuBar* bar);
  static FormDetach SetFormDetach(FormDetach detach);

  short imTextUnload(const char* indent, ValString* cmds);

 private:
  std::vector<Faultp<InterObjRep>> forms_;  // uncounted
};
