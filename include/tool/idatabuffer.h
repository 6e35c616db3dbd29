// iDataBuffer: the published "DataBuffer", a block of bytes that moves data between
// Basic and native code ("Buffer as DataBuffer" arguments).
//
// Basic: Size (bytes; setting it grows the buffer keeping its contents, the new bytes
// zero, or cuts it; a negative size is refused with a store error naming "DataBuffer"),
// GetString (the bytes up to the first zero byte as a String) and SetString(text)
// (the text's bytes, the buffer sized to them).
// C++: Data() and DataSize() give the bytes for writing in place.
//
// The database library's registration (its POD_Populate) must find the class already
// registered: it calls iDataBuffer::PO_GetObject() first, which registers "DataBuffer"
// on first use, since it links ovitool.
//
// Stream block (revision 1): UCHAR revision, ULONG size, then the bytes. A newer
// revision or a size beyond the stream fails with ObjectLoadFailed("DataBuffer").
#pragma once

#include <vector>

#include "store/poclass.h"
#include "tool/ovitool_api.h"

class ValStringRep;

class OVITOOL_API iDataBuffer : public POClass<iDataBuffer> {
 public:
  explicit iDataBuffer(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  // The prototype, registered on first use; when the store has not published ovitool
  // yet (a library that links it asks first), it is published then.
  static InterObjRep* PO_GetObject();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void clone(const IInterObj& source) override;

  long pdGetSize() { return (long)bytes_.size(); }
  void pdSetSize(long size);
  ValStringRep* imGetString();
  void imSetString(const char* text);

  char* Data() { return bytes_.empty() ? nullptr : bytes_.data(); }
  size_t DataSize() const { return bytes_.size(); }

 private:
  std::vector<char> bytes_;
};
