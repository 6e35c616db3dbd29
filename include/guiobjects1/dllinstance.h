// DllInstance: oviui1's server (one class factory per row of its table) and the table
// itself: class id, published name, parent, in registration order (POD_Populate).
//
// Rows whose class is not built yet have no factory: their class id is answered E_FAIL
// and POD_Populate skips them.
#pragma once

#include <windows.h>

#include "guiobjects1/oviui1_api.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"

class TModule;

// The rows, in table order.
enum Oviui1Row {
  kOviui1Screen,
  kOviui1Window,
  kOviui1Form,
  kOviui1ObjectBox,
  kOviui1Control,
  kOviui1Button,
  kOviui1ButtonGadget,
  kOviui1Bitmap,
  kOviui1Font,
  kOviui1XferData,
  kOviui1ControlGroup,
  kOviui1Menu,
  kOviui1MenuBar,
  kOviui1PopupMenu,
  kOviui1RecordSet,
  kOviui1Printer,
  kOviui1RowCount
};

class OVIUI1_API DllInstance : public OCLServer<kOviui1RowCount> {
 public:
  DllInstance();

  // The library's server; made by the entry point on its first call.
  static DllInstance* TheDll();
  static const POClassRow& Row(Oviui1Row row);
  // The module object through which the library's own resources load (the forms' icon
  // 1000, the printer's abort dialog 32599); null before process attach.
  static TModule* Module();
};
