// OleFromData: an OLE object made from a data object into a storage, as the platform's
// OleCreateFromData makes it, through the OLE-UI library's OvOleCreateFromData: where the
// platform only stubs it, the object is composed from the embedding the source offers
// ("Embedded Object" or "Embed Source"): its storage is copied into stg and loaded.
// Answers S_OK with a counted interface of iid in *out, else a failure code and null.
// Never throws.
#pragma once

#include <windows.h>
#include <ole2.h>

HRESULT OleFromData(IDataObject* source, REFIID iid, IStorage* stg, void** out);
