// What the tests know of the test control file "OVTEST.VBX" and its class "Meter".
#pragma once

#include <windows.h>

// Property indexes, in the class's order.
enum MeterProp {
  kMeterCtlName,
  kMeterCaption,
  kMeterValue,
  kMeterMax,
  kMeterEnabled,
  kMeterVisible,
  kMeterBackColor,
  kMeterForeColor,
  kMeterStyle,
  kMeterLevel,
  kMeterMousePointer,
  kMeterRatio,
  kMeterLeft,
  kMeterTop,
  kMeterWidth,
  kMeterHeight,
  kMeterPicture,
  kMeterText,
  kMeterMarks,
  kMeterVersion,
  kMeterPropCount
};

// Event numbers, in the class's order.
enum MeterEvent {
  kMeterClick,
  kMeterDblClick,
  kMeterMouseDown,
  kMeterMouseUp,
  kMeterChange,
  kMeterMessage,
  kMeterPrecise,
  kMeterLabel,
  kMeterEventCount
};

enum {
  kMeterLevels = 300,   // values of the "Level" enumeration: wider than a byte
  kMeterMarkCount = 8,  // elements of the "Marks" array
};

// Messages that make the control fire an event.
enum : UINT {
  kMeterFireMessage = WM_APP + 1,  // "Message" with the text at lParam
  kMeterFireChange = WM_APP + 2,   // "Change" with Value, Max and Ratio
  kMeterFirePrecise = WM_APP + 3,  // "Precise" with lParam / 4 as a Double
  kMeterFireLabel = WM_APP + 4,    // "Label" with the C string at lParam
};
