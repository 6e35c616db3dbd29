// iDataBuffer: the published "DataBuffer".
#include "tool/idatabuffer.h"

#include <cstring>
#include <string>

#include "store/podefine.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"
#include "tool/tooldll.h"

Faultp<InterObjRep>* iDataBuffer::PO_Object = nullptr;
const POClassRow& iDataBuffer::PO_Row() { return ToolDll::Row(kOvitoolDataBuffer); }

iDataBuffer::iDataBuffer(IUnknown* outer) : POClass(outer) {}

InterObjRep* iDataBuffer::PO_GetObject() {
  if (!PO_Object || PO_Object->isNull()) ToolDll::PublishSelf();
  return POClass::PO_GetObject();
}

void iDataBuffer::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "Size", kTypeLong, &iDataBuffer::pdSetSize, &iDataBuffer::pdGetSize);
  PO_Method(sig, "Function GetString() As String", &iDataBuffer::imGetString);
  PO_Method(sig, "Sub SetString(ByVal text As String)", &iDataBuffer::imSetString);
}

void iDataBuffer::PO_Read(OCLStream& s, unsigned) {
  ULONG n = 0;
  s.read(&n);
  s.checkCount(n, 1, "a buffer size");
  std::vector<char> bytes(n);
  if (n) s.read(bytes.data(), n);
  bytes_.swap(bytes);
}

void iDataBuffer::PO_Write(OCLStream& s) {
  s.write((ULONG)bytes_.size());
  if (!bytes_.empty()) s.write(bytes_.data(), (ULONG)bytes_.size());
}

void iDataBuffer::clone(const IInterObj& source) {
  IInterObj::clone(source);
  if (const iDataBuffer* other = dynamic_cast<const iDataBuffer*>(&source)) bytes_ = other->bytes_;
}

void iDataBuffer::pdSetSize(long size) {
  if (size < 0) throw StoreException("DataBuffer: Size: " + std::to_string(size) + " is negative");
  bytes_.resize((size_t)size, '\0');
  changed();
}

ValStringRep* iDataBuffer::imGetString() {
  const void* zero = bytes_.empty() ? nullptr : std::memchr(bytes_.data(), 0, bytes_.size());
  size_t n = zero ? (size_t)(static_cast<const char*>(zero) - bytes_.data()) : bytes_.size();
  return new ValStringRep(bytes_.empty() ? "" : bytes_.data(), n);
}

void iDataBuffer::imSetString(const char* text) {
  size_t n = text ? std::strlen(text) : 0;
  bytes_.assign(text ? text : "", (text ? text : "") + n);
  changed();
}
