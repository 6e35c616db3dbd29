// IWDropSource: the OLE drop source of a drag that a window (or a transfer object)
// starts. The drag goes on while any bit of the drag mode is held in OLE's key state
// (1 left, 2 right, 16 middle button, 4 Shift, 8 Control, 32 Alt), so a mode with Shift
// keeps a drag going while Shift alone is held; escape cancels. It lives inside its
// owner and is not counted: the owner outlives every drag it runs.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWDropSource : public IDropSource {
 public:
  explicit IWDropSource(const uint8_t& mode) : mode_(mode) {}
  IWDropSource(const IWDropSource&) = delete;
  IWDropSource& operator=(const IWDropSource&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    return (keyState & mode_) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  const uint8_t& mode_;
};
