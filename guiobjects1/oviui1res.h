// Resource ids of oviui1.dll (read by the resource compiler too, hence the defines).
#pragma once

#define IDI_OVIUI1_FORM 1000         // the forms' frame icon (icon group)
#define IDD_OVIUI1_PRINTABORT 32599  // the printer's abort dialog
#define IDC_PRINTABORT_TITLE 101     // the printout's title
#define IDC_PRINTABORT_DEVICE 102    // the printer's device name
#define IDC_PRINTABORT_PORT 103      // its output port
