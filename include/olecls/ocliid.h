// Interface ids: the numbers 0..71 of the component layer's interfaces (ocliidlist.h)
// and their GUIDs.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/ocliidlist.h"
#include "olecls/ovole_api.h"

class OVOLE_API OCL_IID {
 public:
#define OCL_IID_ENUM(name, group) iid##name,
  enum iid { OCL_IID_LIST(OCL_IID_ENUM, OCL_IID_ENUM, OCL_IID_ENUM) kCount };
#undef OCL_IID_ENUM

  static const GUID* const GuidTable[kCount];

  static const GUID& GetGuid(iid id) { return *GuidTable[id]; }

  // Creates an instance of clsid, asking for interface id. A null factory is first
  // fetched once (CoGetClassObject, in-process) and kept in the caller's variable, which
  // then holds a reference the caller releases. Failures are checked (OleResult::Check)
  // and returned.
  static HRESULT CreateInstance(IClassFactory*& factory, const GUID& clsid, iid id, void** out);
};

static_assert(OCL_IID::kCount == 72, "the id table has 72 rows");
static_assert(OCL_IID::iidOCLPersistStream == 71, "the persistence interface is id 71");
