// Creation of OLE objects from data objects, monikers and files, where the platform's
// own functions are stubs. Each takes the arguments of the platform function of the same
// name without the "Ov", calls that function first and composes the object itself only
// when the platform answers that it does not implement the call (or, for links, makes
// something that is no link). A source that offers nothing usable gives the OLE error
// code; null arguments give E_INVALIDARG. On success *out holds a counted interface of
// iid and the object uses stg as its storage; on failure *out is null.
#pragma once

#include <ole2.h>

#include "oleui/ovoleui_api.h"

extern "C" {

// From a data object's "Embedded Object" or "Embed Source" offer: the offered storage is
// copied into stg (IStorage::CopyTo) and loaded (OleLoad).
OVOLEUI_API HRESULT WINAPI OvOleCreateFromData(LPDATAOBJECT source, REFIID iid, DWORD renderopt,
                                               LPFORMATETC fmt, LPOLECLIENTSITE site, LPSTORAGE stg,
                                               LPVOID* out);

// A link from a data object's "Link Source" offer (a stream holding a moniker and a class
// id): the moniker is bound as OvOleCreateLink binds it.
OVOLEUI_API HRESULT WINAPI OvOleCreateLinkFromData(LPDATAOBJECT source, REFIID iid, DWORD renderopt,
                                                   LPFORMATETC fmt, LPOLECLIENTSITE site, LPSTORAGE stg,
                                                   LPVOID* out);

// A link to the object a moniker names: the moniker is bound to the object, which is
// told its source (IOleLink::SetSourceMoniker, or IOleObject::SetMoniker when it is no
// link object) and saved into stg, which it then keeps.
OVOLEUI_API HRESULT WINAPI OvOleCreateLink(LPMONIKER moniker, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                                           LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out);

// A link to a whole file: the object of the class registered for the file's type
// (GetClassFile) loads the file (IPersistFile) and is told the file's moniker.
OVOLEUI_API HRESULT WINAPI OvOleCreateLinkToFile(LPCOLESTR file, REFIID iid, DWORD renderopt, LPFORMATETC fmt,
                                                 LPOLECLIENTSITE site, LPSTORAGE stg, LPVOID* out);

}  // extern "C"
