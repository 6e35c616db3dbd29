// IWXferObj: the free-standing, counted OLE data object of the system (count 1 at
// construction; the last Release deletes it). Made
//   - from a foreign data object (a paste or a drop): a file drop ("FileName" offered)
//     is copied format by format now, so the object answers after the source is gone;
//     anything else becomes an OLE object in an in-memory compound file whose formats
//     the object offers by forwarding, with "Embedded Object" and "Object Descriptor"
//     (or, for a link, "Link Source" and "Link Source Descriptor") made on demand where
//     the object does not answer them itself; if no OLE object can be made, the data is
//     copied as for a file drop;
//   - over one format and a medium it takes over (own data: text, a file name, an
//     object reference), usually made with ClipFormat::CopyToHGlobalMedium;
//   - empty (a null source).
// It works with OleSetClipboard/OleGetClipboard and DoDragDrop. It accepts no data of
// its own (SetData: DV_E_FORMATETC), gives no advice, and never throws into OLE.
//
// Classes built on it (a picture's data object, say) add entries to getables_ or
// setables_ in their constructors, may point fwd_ elsewhere, and override the
// IDataObject operations they convert; the destructor is virtual and protected. In the
// 32-bit build the DLL exports its stdcall members under plain names, so such classes
// belong in this library: a class derived in another module (or a call the compiler
// binds directly to a member) would need the decorated names.
//
// Receivers of a medium that it hands out free it with ReleaseStgMedium as usual: held
// data goes out with the object as release owner (counted), never bare.

#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/iwxfertmp.h"
#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWXferObj : public IWXferTmp {
 public:
  explicit IWXferObj(IDataObject* source);
  // Offers format with medium (taken over: the caller's medium is emptied, and the data
  // is freed with the object), then adds the offers of source as the other constructor.
  IWXferObj(const FORMATETC& format, STGMEDIUM& medium, IDataObject* source);

  // Frees a medium of format: for the process's object-reference format without a
  // release owner, the reference stored in it is destroyed (its count given back) first.
  static void FreeMedium(const FORMATETC& format, STGMEDIUM& medium);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Whether the data came as an OLE object made in memory (its storage).
  bool HoldsOleObject() const { return medium_.tymed == TYMED_ISTORAGE; }

  // Data objects alive in the process (a leak check for tests).
  static long Live();

 protected:
  ~IWXferObj() override;

  // Fills the offers from source (nothing for a null one).
  void Init(IDataObject* source);
  // Makes an OLE object in memory from source and forwards to it; false for a file
  // drop or when no object can be made (nothing is kept then).
  bool CopyOle(IDataObject* source);

  STGMEDIUM medium_;  // the in-memory storage of the OLE object made from the source
  LONG refs_ = 1;
};
