// The persist-stream interface's lookup, and the COM boundary of Load and Save.
#include "olecls/oclpersist.h"

#include <cstdio>
#include <new>

#include "olecls/ocl.h"
#include "olecls/oclstream.h"

HRESULT STDMETHODCALLTYPE OCLPersistStream::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IPersistStream) ||
      IsEqualGUID(riid, OCL_IID::GetGuid(OCL_IID::iidOCLPersistStream))) {
    IPersistStream* self = this;
    self->AddRef();
    *out = self;
    return S_OK;
  }
  return OCLstdQuery(riid, out);
}

namespace {

void keepText(const char* text) { snprintf(OleResult::buf, sizeof OleResult::buf, "%s", text); }

}  // namespace

HRESULT OCLPersistStream::ResultOfCurrentException() {
  try {
    throw;
  } catch (const OCLStreamException& e) {
    keepText(e.what());
    return e.Result();
  } catch (const XAssert& e) {
    keepText(e.what());
    return E_UNEXPECTED;
  } catch (const std::bad_alloc&) {
    keepText("Out of memory");
    return E_OUTOFMEMORY;
  } catch (const std::exception& e) {
    keepText(e.what());
    return E_FAIL;
  } catch (...) {
    keepText("Unknown failure");
    return E_FAIL;
  }
}

HRESULT STDMETHODCALLTYPE OCLPersistStream::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  try {
    PO_Load(stream);
    return S_OK;
  } catch (...) {
    return ResultOfCurrentException();
  }
}

HRESULT STDMETHODCALLTYPE OCLPersistStream::Save(IStream* stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  try {
    PO_Save(stream, clearDirty);
    return S_OK;
  } catch (...) {
    return ResultOfCurrentException();
  }
}
