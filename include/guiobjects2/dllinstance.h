// DllInstance: oviui2's server (one class factory per row of its table) and the table
// itself: class id, published name, parent, in registration order (POD_Populate).
//
// The order is load-bearing: a class that defines a shared enumeration first makes it
// ("Orientation" is the scroll bar's, before the gauge's use). Rows whose class is not
// built yet have no factory: their class id is answered E_FAIL and POD_Populate skips
// them.
#pragma once

#include <windows.h>

#include "guiobjects2/oviui2_api.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"

class TModule;

// The rows, in table order.
enum Oviui2Row {
  kOviui2Ole,
  kOviui2Automation,
  kOviui2Frame,
  kOviui2CheckBox,
  kOviui2OptionButton,
  kOviui2ScrollBar,
  kOviui2Gauge,
  kOviui2Label,
  kOviui2TextBox,
  kOviui2ListBox,
  kOviui2ComboBox,
  kOviui2FileListBox,
  kOviui2FileComboBox,
  kOviui2ObjectList,
  kOviui2ObjectCombo,
  kOviui2Image,
  kOviui2GdiObject,
  kOviui2GdiLine,
  kOviui2GdiPolyline,
  kOviui2GdiShape,
  kOviui2Pen,
  kOviui2Brush,
  kOviui2Drawable,
  kOviui2MarkupLayer,
  kOviui2PictureBox,
  kOviui2ObjectHierarchy,
  kOviui2IndentedList,
  kOviui2GLControl,
  kOviui2Vbx,
  kOviui2RowCount
};

class OVIUI2_API DllInstance : public OCLServer<kOviui2RowCount> {
 public:
  DllInstance();

  // At the baseline (nothing but the factories holds the server, no lock) a Release
  // answers 0 and keeps the count; otherwise as the shared server's.
  ULONG STDMETHODCALLTYPE Release() override;

  // The library's server; made by the entry point on its first call.
  static DllInstance* TheDll();
  static const POClassRow& Row(Oviui2Row row);
  // The module object of the library's own windows and resources; null before process
  // attach.
  static TModule* Module();
  // The library's full path as the module attach read it ("" before).
  static const char* Path();
};
