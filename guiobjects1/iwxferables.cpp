// IWXferables: the ring list of transferables and the ways a data object fills it.
#include "guiobjects1/iwxferables.h"

#include <new>

#include "guiobjects1/clipformat.h"

IWXferables::~IWXferables() { Clear(); }

IWXferable* IWXferables::Start() const { return tail_ ? tail_->Nxt(nullptr) : nullptr; }

IWXferable* IWXferables::operator[](int i) const {
  IWXferable* first = Start();
  IWXferable* e = first;
  for (; e && i > 0; --i) {
    e = e->Nxt(nullptr);
    if (e == first) break;
  }
  return e;
}

IWXferable* IWXferables::AddXferable(IWXferable* entry) {
  if (!entry) return nullptr;
  if (count_ >= kMaxCount) {
    delete entry;
    return nullptr;
  }
  tail_ = entry->OntoEndOf(tail_);
  ++count_;
  return tail_;
}

void IWXferables::Clear() {
  if (tail_) {
    IWXferable* e = tail_->Nxt(nullptr);
    for (;;) {
      IWXferable* next = e->Nxt(nullptr);
      bool last = e == tail_;
      delete e;
      if (last) break;
      e = next;
    }
  }
  tail_ = nullptr;
  count_ = 0;
}

void IWXferables::TakeFrom(IWXferables& other) {
  if (&other == this) return;
  Clear();
  tail_ = other.tail_;
  count_ = other.count_;
  other.tail_ = nullptr;
  other.count_ = 0;
}

namespace {

// The next format of e, without the target device (freed here); false at the end.
bool NextFormat(IEnumFORMATETC* e, FORMATETC& f) {
  f = FORMATETC{};
  if (e->Next(1, &f, nullptr) != S_OK) return false;
  if (f.ptd) {
    ::CoTaskMemFree(f.ptd);
    f.ptd = nullptr;
  }
  return true;
}

HRESULT Query(IDataObject* object, const ClipFormat& cf) {
  FORMATETC f = cf.format;
  return object->QueryGetData(&f);
}

}  // namespace

void IWXferables::InitFwds(IEnumFORMATETC* e) {
  if (!e) return;
  Clear();
  FORMATETC f;
  while (count_ < kMaxCount && NextFormat(e, f)) AddXferable(new (std::nothrow) IWFwdXferable(f));
}

void IWXferables::InitCopy(IDataObject* source, IEnumFORMATETC* e, IUnknown* owner) {
  if (!e) return;
  FORMATETC f;
  while (count_ < kMaxCount && NextFormat(e, f))
    AddXferable(new (std::nothrow) IWAnyGetable(source, f, owner));
}

void IWXferables::InitOle(IDataObject* object, IEnumFORMATETC* e) {
  if (!object) return;
  IOleLink* link = nullptr;
  if (object->QueryInterface(IID_IOleLink, reinterpret_cast<void**>(&link)) != S_OK) link = nullptr;
  if (!link) {
    if (Query(object, CfEmbeddedObject::s_fmt) != S_OK) AddXferable(new (std::nothrow) IWEOXferable);
    if (Query(object, CfObjectDescriptor::s_fmt) != S_OK) AddXferable(new (std::nothrow) IWEDXferable);
  }
  FORMATETC f;
  if (e)
    while (count_ < kMaxCount && NextFormat(e, f)) AddXferable(new (std::nothrow) IWFwdXferable(f));
  if (link) {
    if (Query(object, CfLinkSource::s_fmt) != S_OK) AddXferable(new (std::nothrow) IWLSXferable);
    if (Query(object, CfLinkSourceDescriptor::s_fmt) != S_OK) AddXferable(new (std::nothrow) IWLDXferable);
    link->Release();
  }
}
