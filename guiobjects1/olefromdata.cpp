// OleFromData: the OLE-UI library's creation from data, which composes the object where
// the platform only stubs it.
#include "olefromdata.h"

#include "oleui/olecreate.h"

HRESULT OleFromData(IDataObject* source, REFIID iid, IStorage* stg, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return OvOleCreateFromData(source, iid, OLERENDER_DRAW, nullptr, nullptr, stg, out);
}
