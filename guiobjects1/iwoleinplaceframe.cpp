// IWOleInPlaceFrame: the frame interface of a form for objects active in place.
#include "guiobjects1/iwoleinplaceframe.h"

class IWOleInPlaceFrame::Frame final : public IOleInPlaceFrame {
 public:
  explicit Frame(IWOleInPlaceFrame* owner) : owner_(owner) {}
  virtual ~Frame() = default;
  void Orphan() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
        iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return (ULONG)n;
  }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = owner_ ? owner_->FrameWindow() : nullptr;
    return *window ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override {
    if (!border) return E_POINTER;
    HWND w = owner_ ? owner_->FrameWindow() : nullptr;
    if (!w) return E_UNEXPECTED;
    ::GetClientRect(w, border);
    return S_OK;
  }
  // The frame has no tool space: only an empty border is granted.
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override {
    if (!owner_) return E_UNEXPECTED;
    return IsEmpty(widths) ? S_OK : INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
    if (!owner_) return E_UNEXPECTED;
    return IsEmpty(widths) ? S_OK : OLE_E_INVALIDRECT;
  }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
    if (!owner_) return E_UNEXPECTED;
    owner_->SetActiveObject(active);
    return S_OK;
  }

  // Each group of the frame (file, container, window) is offered to the owner's event
  // at the position after what the menu holds; what it inserted is the group's width.
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override {
    if (!owner_) return E_UNEXPECTED;
    if (!shared || !widths) return E_INVALIDARG;
    static const short kGroups[] = {0, 2, 4};
    for (short group : kGroups) {
      const int before = ::GetMenuItemCount(shared);
      try {
        owner_->CallInsertMenuEvent(group, shared, before, widths->width[group]);
      } catch (...) {  // a failing handler must not cross the interface
        return E_FAIL;
      }
      const int after = ::GetMenuItemCount(shared);
      widths->width[group] = after > before ? after - before : 0;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override {
    if (!owner_) return E_UNEXPECTED;
    HWND w = owner_->FrameWindow();
    if (!w) return E_UNEXPECTED;
    if (shared) {
      ::SetMenu(w, shared);
    } else {
      ::SetMenu(w, nullptr);
      owner_->RestoreFrameMenu();
    }
    return ::OleSetMenuDescriptor(shared ? descriptor : nullptr, w, activeObject, nullptr, nullptr);
  }
  // The object has taken its own popups out; what is left is the frame's (the popups
  // belong to their menu objects: taken out, not destroyed).
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override {
    if (!shared) return E_INVALIDARG;
    while (::GetMenuItemCount(shared) > 0)
      if (!::RemoveMenu(shared, 0, MF_BYPOSITION)) break;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  // The form translates its own accelerators before the object sees a key.
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  static bool IsEmpty(LPCBORDERWIDTHS w) { return !w || (!w->left && !w->top && !w->right && !w->bottom); }

  LONG refs_ = 1;
  IWOleInPlaceFrame* owner_;
};

IWOleInPlaceFrame::IWOleInPlaceFrame() : frame_(new Frame(this)) {}

IWOleInPlaceFrame::~IWOleInPlaceFrame() {
  SetActiveObject(nullptr);
  frame_->Orphan();
  frame_->Release();
}

void IWOleInPlaceFrame::CallInsertMenuEvent(short, HMENU, long, long) {}

IOleInPlaceFrame* IWOleInPlaceFrame::FrameInterface() {
  frame_->AddRef();
  return frame_;
}

void IWOleInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject* active) {
  if (active) active->AddRef();
  if (active_) active_->Release();
  active_ = active;
}

void IWOleInPlaceFrame::DeactivateInPlaceObject() {
  if (IWInPlaceSiteLink* site = site_) site->DeactivateInPlace();
}
