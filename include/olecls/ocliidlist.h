// The 72 interface ids of the component layer, in id order: the one list from which the
// id enumeration, the GUID table, OCL_AGG's accessors and its accessor table are made.
//
//   PART(name, group)    an interface with an accessor OCL_AGG::agg<name>()
//   NOPART(name, group)  an id without an accessor (its lookup always gives null)
//   SELF(name, group)    IUnknown: answered by the complete object's OCLstdUnknown()
//
// group is the first group of the GUID {group-0000-0000-C000-000000000046}; rows 0 (all
// zero) and 71 (the system's persistence interface) are the two exceptions.
#pragma once

#define OCL_IID_LIST(PART, NOPART, SELF)    \
  NOPART(None, 0x00000000)                  \
  SELF(IUnknown, 0x00000000)                \
  PART(IClassFactory, 0x00000001)           \
  PART(IMalloc, 0x00000002)                 \
  PART(IMarshal, 0x00000003)                \
  NOPART(Ole2_004, 0x00000004)              \
  NOPART(Ole2_005, 0x00000005)              \
  NOPART(Ole2_006, 0x00000006)              \
  NOPART(Ole2_007, 0x00000007)              \
  NOPART(Ole2_008, 0x00000008)              \
  NOPART(Ole2_009, 0x00000009)              \
  PART(ILockBytes, 0x0000000A)              \
  PART(IStorage, 0x0000000B)                \
  PART(IStream, 0x0000000C)                 \
  PART(IEnumSTATSTG, 0x0000000D)            \
  PART(IBindCtx, 0x0000000E)                \
  PART(IMoniker, 0x0000000F)                \
  PART(IRunningObjectTable, 0x00000010)     \
  NOPART(Ole2_011, 0x00000011)              \
  PART(IRootStorage, 0x00000012)            \
  NOPART(Ole2_013, 0x00000013)              \
  NOPART(Ole2_014, 0x00000014)              \
  NOPART(Ole2_015, 0x00000015)              \
  PART(IMessageFilter, 0x00000016)          \
  NOPART(Ole2_017, 0x00000017)              \
  PART(IStdMarshalInfo, 0x00000018)         \
  PART(IEnumUnknown, 0x00000100)            \
  PART(IEnumString, 0x00000101)             \
  PART(IEnumMoniker, 0x00000102)            \
  PART(IEnumFORMATETC, 0x00000103)          \
  PART(IEnumOLEVERB, 0x00000104)            \
  PART(IEnumSTATDATA, 0x00000105)           \
  NOPART(Ole2_106, 0x00000106)              \
  NOPART(Ole2_107, 0x00000107)              \
  NOPART(Ole2_108, 0x00000108)              \
  PART(IPersistStream, 0x00000109)          \
  PART(IPersistStorage, 0x0000010A)         \
  PART(IPersistFile, 0x0000010B)            \
  PART(IPersist, 0x0000010C)                \
  PART(IViewObject, 0x0000010D)             \
  PART(IDataObject, 0x0000010E)             \
  PART(IAdviseSink, 0x0000010F)             \
  PART(IDataAdviseHolder, 0x00000110)       \
  PART(IOleAdviseHolder, 0x00000111)        \
  PART(IOleObject, 0x00000112)              \
  PART(IOleInPlaceObject, 0x00000113)       \
  PART(IOleWindow, 0x00000114)              \
  PART(IOleInPlaceUIWindow, 0x00000115)     \
  PART(IOleInPlaceFrame, 0x00000116)        \
  PART(IOleInPlaceActiveObject, 0x00000117) \
  PART(IOleClientSite, 0x00000118)          \
  PART(IOleInPlaceSite, 0x00000119)         \
  PART(IOleContainer, 0x0000011B)           \
  PART(IOleItemContainer, 0x0000011C)       \
  PART(IOleLink, 0x0000011D)                \
  PART(IOleCache, 0x0000011E)               \
  NOPART(Ole2_11F, 0x0000011F)              \
  NOPART(Ole2_120, 0x00000120)              \
  PART(IDropSource, 0x00000121)             \
  PART(IDropTarget, 0x00000122)             \
  NOPART(Ole2_123, 0x00000123)              \
  NOPART(Ole2_124, 0x00000124)              \
  PART(IAdviseSink2, 0x00000125)            \
  PART(IExternalConnection, 0x00000019)     \
  PART(IOleCacheControl, 0x00000129)        \
  PART(IOleCache2, 0x00000128)              \
  PART(IRunnableObject, 0x00000126)         \
  PART(IViewObject2, 0x00000127)            \
  PART(IDispatch, 0x00020400)               \
  NOPART(Class315, 0x00000315)              \
  NOPART(Class316, 0x00000316)              \
  PART(OCLPersistStream, 0x32EBFEC1)
