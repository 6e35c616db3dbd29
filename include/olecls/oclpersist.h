// OCLPersistStream: the persist-stream interface of published objects.
//
// QueryInterface answers IPersistStream and the system's persistence id (71) itself and
// sends every other id to the object's aggregate (OCL_AGG, a virtual base shared with the
// complete object). AddRef, Release, GetClassID, IsDirty and GetSizeMax belong to the
// published class.
//
// Load and Save are the entries OLE calls. They run PO_Load and PO_Save, in which the
// class reads or writes its block and reports failures by exception (a class calls its
// base class's PO_Load/PO_Save for the base's block). No exception crosses into OLE: the
// entries answer it as an HRESULT (ResultOf) and keep its text in OleResult::buf.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/oclagg.h"
#include "olecls/ovole_api.h"

class OVOLE_API OCLPersistStream : public IPersistStream, public virtual OCL_AGG {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;

  // The id-71 part is this interface.
  IUnknown* aggOCLPersistStream() override { return static_cast<IPersistStream*>(this); }

  virtual void PO_Load(IStream* stream) = 0;
  virtual void PO_Save(IStream* stream, int clearDirty) = 0;

  // The HRESULT for the exception being handled; call only inside a catch block.
  // OCLStreamException: its own result; XAssert: E_UNEXPECTED; bad_alloc: E_OUTOFMEMORY;
  // anything else E_FAIL. The exception's text goes to OleResult::buf.
  static HRESULT ResultOfCurrentException();
};
