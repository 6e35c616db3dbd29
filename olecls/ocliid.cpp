// The GUID table of the interface ids, and creating instances through class factories.
#include "olecls/ocliid.h"

#include "olecls/ocl.h"

namespace {

// {group-0000-0000-C000-000000000046}, except the all-zero row 0 and the persistence
// interface of row 71.
constexpr GUID guidFor(int row, unsigned long group) {
  return row == 0 ? GUID{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}
         : row == OCL_IID::iidOCLPersistStream
             ? GUID{0x32EBFEC1, 0xFDD7, 0x101A, {0x8E, 0x82, 0x00, 0x40, 0x95, 0x12, 0x0E, 0x45}}
             : GUID{group, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

#define OCL_IID_GUID(name, group) guidFor(OCL_IID::iid##name, group),
const GUID kGuids[OCL_IID::kCount] = {OCL_IID_LIST(OCL_IID_GUID, OCL_IID_GUID, OCL_IID_GUID)};
#undef OCL_IID_GUID

}  // namespace

#define OCL_IID_PTR(name, group) &kGuids[OCL_IID::iid##name],
const GUID* const OCL_IID::GuidTable[OCL_IID::kCount] = {OCL_IID_LIST(OCL_IID_PTR, OCL_IID_PTR, OCL_IID_PTR)};
#undef OCL_IID_PTR

HRESULT OCL_IID::CreateInstance(IClassFactory*& factory, const GUID& clsid, iid id, void** out) {
  if (!factory) {
    HRESULT hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (OleResult::Check(hr, nullptr)) {
      factory = nullptr;
      return hr;
    }
  }
  HRESULT hr = factory->CreateInstance(nullptr, *GuidTable[id], out);
  OleResult::Check(hr, nullptr);
  return hr;
}
