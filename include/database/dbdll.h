// DbDll: ovdb's server (one class factory per built row of its table) and the table
// itself: class id, published name, parent, in registration order.
#pragma once

#include <windows.h>

#include "database/ovdb_api.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"

// The rows, in table order.
enum OvdbRow {
  kOvdbMessage,
  kOvdbOdbc,
  kOvdbDynaset,
  kOvdbText,
  kOvdbFixedAscii,
  kOvdbDatabase,
  kOvdbDelimitedAscii,
  kOvdbRowCount
};

class OVDB_API DbDll : public OCLServer<kOvdbRowCount> {
 public:
  DbDll();
  // The library's server; made by the entry point on its first call.
  static DbDll* TheDll();
  static const POClassRow& Row(OvdbRow row);
};
