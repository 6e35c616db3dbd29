// CdlgDll: ovcdlg's server (one class factory per row of its table) and the table
// itself: class id, published name, parent, in registration order (POD_Populate).
//
// "CommonDialog" is the root; every other class has its prototype as parent. Rows whose
// class is not built have no factory: their class id is answered E_FAIL and
// POD_Populate skips them, keeping the places of the others.
#pragma once

#include <windows.h>

#include "dialogs/ovcdlg_api.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"

class TModule;

// The rows, in table order.
enum CdlgRow {
  kCdlgCommonDialog,
  kCdlgOpenDialog,
  kCdlgSaveAsDialog,
  kCdlgColorDialog,
  kCdlgFontDialog,
  kCdlgFindDialog,
  kCdlgRowCount
};

class OVCDLG_API CdlgDll : public OCLServer<kCdlgRowCount> {
 public:
  CdlgDll();

  // The library's server; made by the entry point on its first call.
  static CdlgDll* TheDll();
  static const POClassRow& Row(CdlgRow row);
  // The library's module object (null before process attach).
  static TModule* Module();
};
