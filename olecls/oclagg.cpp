// Interface lookup by id.
#include "olecls/oclagg.h"

#define OCL_AGG_PART(name, group) &OCL_AGG::agg##name,
#define OCL_AGG_NOPART(name, group) &OCL_AGG::noInterface,
#define OCL_AGG_SELF(name, group) &OCL_AGG::OCLstdUnknown,
const OCL_AGG::Accessor OCL_AGG::p2ms[OCL_IID::kCount] = {
    OCL_IID_LIST(OCL_AGG_PART, OCL_AGG_NOPART, OCL_AGG_SELF)};
#undef OCL_AGG_SELF
#undef OCL_AGG_NOPART

#define OCL_AGG_DEFAULT(name, group) \
  IUnknown* OCL_AGG::agg##name() { return nullptr; }
#define OCL_AGG_NOTHING(name, group)
OCL_IID_LIST(OCL_AGG_DEFAULT, OCL_AGG_NOTHING, OCL_AGG_NOTHING)
#undef OCL_AGG_DEFAULT
#undef OCL_AGG_NOTHING
#undef OCL_AGG_PART

IUnknown* OCL_AGG::GetInterface(OCL_IID::iid id) { return (this->*p2ms[id])(); }

int OCL_AGG::NumberOfInterfaces() { return OCL_IID::kCount; }

IUnknown* OCL_AGG::OCLstdUnknown() { return aggOCLPersistStream(); }

HRESULT STDMETHODCALLTYPE OCL_AGG::QueryInterface(REFIID riid, void** out) { return OCLstdQuery(riid, out); }

ULONG STDMETHODCALLTYPE OCL_AGG::AddRef() { return aggCount_++; }

ULONG STDMETHODCALLTYPE OCL_AGG::Release() {
  if (aggCount_ != 0) --aggCount_;
  return aggCount_;
}

HRESULT OCL_AGG::OCLstdQuery(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  int n = NumberOfInterfaces();
  if (n > OCL_IID::kCount) n = OCL_IID::kCount;
  for (int i = 0; i < n; ++i) {
    OCL_IID::iid id = static_cast<OCL_IID::iid>(i);
    if (!IsEqualGUID(OCL_IID::GetGuid(id), riid)) continue;
    if (IUnknown* part = GetInterface(id)) {
      part->AddRef();
      *out = part;
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}
