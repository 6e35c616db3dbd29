// ToolDll: ovitool's server (one class factory per row of its table) and the table
// itself: class id, published name, parent, in registration order (POD_Populate).
//
// The library publishes "BinaryFile" (iFile) and "DataBuffer" (iDataBuffer) through the
// same protocol templates as every publishing library (store/poclass.h, popublish.h),
// and holds the developer tools' two window classes (TToolFrame, TShellEdit).
#pragma once

#include <windows.h>

#include "olecls/oclserver.h"
#include "store/poclass.h"
#include "tool/ovitool_api.h"

class TModule;

// The rows, in table order.
enum OvitoolRow { kOvitoolBinaryFile, kOvitoolDataBuffer, kOvitoolRowCount };

class OVITOOL_API ToolDll : public OCLServer<kOvitoolRowCount> {
 public:
  ToolDll();

  // The library's server; made by the entry point on its first call.
  static ToolDll* TheDll();
  static const POClassRow& Row(OvitoolRow row);
  // The library's module object (null before process attach).
  static TModule* Module();
  // Has the store publish this library unless it is doing so already: a library that
  // links ovitool may ask for its classes before the store has published it.
  static void PublishSelf();
};
