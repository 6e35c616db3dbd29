// iCommonDialog: the published "CommonDialog", base of the common dialog objects.
//
// Basic: Title (String): the dialog's caption; null or empty keeps the dialog's own.
//
// The modal run every modal dialog shares (RunModal): the store is told that the
// application is not busy, the enabled top-level windows of the thread are disabled,
// the class's dialog (NewDialog) runs modally with the application's main window as
// parent (without a parent when the application has no main window), then the windows
// are enabled again and the store told "busy". The answer is Basic's: 1 confirmed,
// 2 cancelled. Without an application object the run asserts "app".
//
// Stream block (revision 1): the revision byte alone. The title is not written here:
// every derived class writes it as its own last field.
#pragma once

#include <memory>

#include "dialogs/ovcdlg_api.h"
#include "store/poclass.h"

class TCommonDialog;
class TWindow;
class ValStringRep;

// The answers of a modal Execute.
enum CdlgResult : short { kCdlgConfirmed = 1, kCdlgCancelled = 2 };

class OVCDLG_API iCommonDialog : public POClass<iCommonDialog> {
 public:
  explicit iCommonDialog(IUnknown* outer);
  ~iCommonDialog() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  // Copies the title from another object of the same class.
  void clone(const IInterObj& source) override;

  ValStringRep* pdGetTitle();
  void pdSetTitle(const char* title);
  const char* Title() const { return title_; }

 protected:
  // Replaces the title (a copy; null stays null) without marking anything.
  void SetTitle(const char* title);
  // The class's dialog over its data record, with parent (may be null) and the title;
  // null for a class without one.
  virtual std::unique_ptr<TCommonDialog> NewDialog(TWindow* parent);
  short RunModal();

 private:
  char* title_ = nullptr;
};
