// Export macro and small shared definitions of ovgui1.dll, the window class library.
#pragma once

#include <windows.h>

#ifdef OVGUI1_BUILD
#define OVGUI1_API __declspec(dllexport)
#else
#define OVGUI1_API __declspec(dllimport)
#endif

typedef unsigned int uint;

// Resource ids of the library's own strings (winlib/ovgui1.rc).
enum {
  IDS_WLNOTFOUND = 32540,    // "... not found" with one %s (find dialogs)
  IDS_WLGDIFAILURE = 32739,  // a GDI call failed
  IDS_WLWINDOWCREATEFAIL = 32740,
  IDS_WLOUTOFMEMORY = 32741,
  IDS_WLCLASSREGISTERFAIL = 32742,
  IDS_WLINVALIDMODULE = 32743,
  IDS_WLPRINTERERROR = 32744,        // printing failed (generic)
  IDS_WLNOPRINTER = 32745,           // the system has no printer
  IDS_WLPRINTERUNAVAILABLE = 32746,  // one %s: the device
  IDS_WLPRINTDIALOGERROR = 32747,    // one %X: the dialog's error code
  IDS_WLPRINTJOBERROR = 32748,       // one %s: the device
  IDS_WLGLYPHNOTFOUND = 32749,       // one %d: a button gadget's glyph resource
  IDS_WLLAYOUTUNSOLVABLE = 32750,    // one %s: the layout window's title
  IDS_WLGADGETNOTHERE = 32751,       // a gadget or sibling that is not in the window
  IDS_WLGADGETINUSE = 32752,         // a gadget that is already in a window
  IDS_WLNOTLAYOUTCHILD = 32753,      // layout metrics for a window that is not a child
  IDS_WLEXCEPTIONCAPTION = 32764,    // caption of unhandled-exception boxes
  IDS_WLOKTORESUME = 32765,          // prompt: continue after an exception?
  IDS_WLUNKNOWNEXCEPTION = 32766,
};
