// FileDialog: what "OpenDialog" and "SaveAsDialog" share (not published itself): the
// file dialogs' data record, their properties and their stream fields.
//
// Basic (in this order; "FileMustExist" only where the class publishes it):
//   DefaultExtension  String   default extension
//   ExtensionDifferent Boolean read only: the chosen file's extension differs
//   FileMustExist     Boolean  true also sets PathMustExist
//   FileName          String   at most 259 characters (longer ones are cut)
//   Filter            String   pairs "Text (*.txt)|*.txt|..." (the window library's
//                              text form); a malformed text leaves no filter
//   FilterIndex       Integer  1-based pair chosen
//   InitialDir        String   folder the dialog starts in
//   NoNetworkButton   Boolean
//   NoChangeDir       Boolean  the dialog keeps the current folder
//   PathMustExist     Boolean  false also clears FileMustExist
//   Function Execute() As Integer   1 confirmed, 2 cancelled
// Every setter but FilterIndex's marks the object changed, and so does Execute,
// whatever its result. A new object has FileMustExist and PathMustExist set.
//
// Stream fields, after the two revision bytes: ULONG flags, the file name, the filter
// (text form), USHORT filter index, the initial folder, the default extension, the
// title (strings as the typed stream writes them).
#pragma once

#include <cstdint>

#include "dialogs/icommondialog.h"
#include "winlib/opensave.h"

// The flag bits the file dialogs' properties stand for.
enum FileDialogFlag : uint32_t {
  kFdHideReadOnly = 0x4,          // always set, no property
  kFdNoChangeDir = 0x8,           // "NoChangeDir"
  kFdExtensionDifferent = 0x400,  // "ExtensionDifferent", set by the dialog
  kFdPathMustExist = 0x800,       // "PathMustExist"
  kFdFileMustExist = 0x1000,      // "FileMustExist"
  kFdNoNetworkButton = 0x20000,   // "NoNetworkButton"
  kFdExplorer = 0x80000,          // set for every run on version 4 and later
  kFdLongNames = 0x200000,        // likewise
  kFdInitialFlags = kFdHideReadOnly | kFdPathMustExist | kFdFileMustExist,
};

class OVCDLG_API FileDialog : public iCommonDialog {
 public:
  explicit FileDialog(IUnknown* outer);

  // The members every file dialog publishes; withFileMustExist adds "FileMustExist".
  void DeclareFileFields(SignatureRep& sig, bool withFileMustExist);
  void ReadFileFields(OCLStream& s);
  void WriteFileFields(OCLStream& s);
  // Copies the fields and the title from another file dialog of the same class.
  void clone(const IInterObj& source) override;

  ValStringRep* pdGetDefaultExtension();
  void pdSetDefaultExtension(const char* ext);
  long pdGetExtensionDifferent();
  long pdGetFileMustExist();
  void pdSetFileMustExist(long on);
  ValStringRep* pdGetFileName();
  void pdSetFileName(const char* name);
  ValStringRep* pdGetFilter();
  void pdSetFilter(const char* filter);
  short pdGetFilterIndex();
  void pdSetFilterIndex(short index);
  ValStringRep* pdGetInitialDir();
  void pdSetInitialDir(const char* dir);
  long pdGetNoNetworkButton();
  void pdSetNoNetworkButton(long on);
  long pdGetNoChangeDir();
  void pdSetNoChangeDir(long on);
  long pdGetPathMustExist();
  void pdSetPathMustExist(long on);
  short imExecute();

  TOpenSaveDialog::TData& Data() { return data_; }
  const TOpenSaveDialog::TData& Data() const { return data_; }

 private:
  void SetFlag(uint32_t bit, bool on);
  char* FileNameBuffer() const;

  TOpenSaveDialog::TData data_;
};
