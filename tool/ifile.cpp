// iFile: the published "BinaryFile".
#include "tool/ifile.h"

#include <cstring>
#include <memory>

#include "store/podefine.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"
#include "tool/tooldll.h"

namespace {

// The system's text for error, without its line end.
std::string Reason(DWORD error) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = n && text ? std::string(text, n) : "system error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  return reason;
}

}  // namespace

Faultp<InterObjRep>* iFile::PO_Object = nullptr;
const POClassRow& iFile::PO_Row() { return ToolDll::Row(kOvitoolBinaryFile); }

iFile::iFile(IUnknown* outer) : POClass(outer) {}

InterObjRep* iFile::PO_GetObject() {
  if (!PO_Object || PO_Object->isNull()) ToolDll::PublishSelf();
  return POClass::PO_GetObject();
}

iFile::~iFile() { imClose(); }

void iFile::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "FileName", kTypeString, &iFile::pdSetFileName, &iFile::pdGetFileName);
  PO_EnumProperty(sig, "IsOpen", "Boolean", nullptr, &iFile::pdGetIsOpen);
  PO_Property(sig, "Handle", kTypeLong, nullptr, &iFile::pdGetHandleValue);
  PO_Property(sig, "Length", kTypeLong, nullptr, &iFile::pdGetLength);
  PO_Property(sig, "Position", kTypeLong, &iFile::pdSetPosition, &iFile::pdGetPosition);
  PO_Method(sig, "Sub Open(ByVal mode As Integer)", &iFile::imOpen);
  PO_Method(sig, "Sub Close()", &iFile::imClose);
}

void iFile::PO_Read(OCLStream& s, unsigned) {
  char* raw = nullptr;
  s.read(&raw);
  std::unique_ptr<char[]> name(raw);
  UCHAR mode = 0;
  s.read(&mode);
  if (mode > kFileReadWrite) throw ObjectLoadFailed(PO_Row().name);
  imClose();
  name_ = name ? name.get() : "";
  mode_ = mode;
}

void iFile::PO_Write(OCLStream& s) {
  s.write(name_.empty() ? nullptr : name_.c_str());
  s.write((UCHAR)mode_);
}

void iFile::clone(const IInterObj& source) {
  IInterObj::clone(source);
  if (const iFile* other = dynamic_cast<const iFile*>(&source)) {
    imClose();
    name_ = other->name_;
    mode_ = other->mode_;
  }
}

void iFile::pdSetFileName(const char* name) {
  imClose();
  name_ = name ? name : "";
  changed();
}

ValStringRep* iFile::pdGetFileName() { return new ValStringRep(name_); }

long iFile::pdGetIsOpen() { return handle_ != INVALID_HANDLE_VALUE ? -1 : 0; }

long iFile::pdGetHandleValue() { return handle_ != INVALID_HANDLE_VALUE ? (long)(LONG_PTR)handle_ : 0; }

[[noreturn]] void iFile::fail(const char* what, DWORD error) {
  throw StoreException("BinaryFile '" + name_ + "': " + what + ": " + Reason(error));
}

void iFile::requireOpen(const char* what) {
  if (handle_ == INVALID_HANDLE_VALUE)
    throw StoreException("BinaryFile '" + name_ + "': " + what + ": the file is not open");
}

void iFile::imOpen(short mode) {
  if (mode < kFileRead || mode > kFileReadWrite)
    throw StoreException("BinaryFile '" + name_ + "': Open: the mode " + std::to_string(mode) +
                         " is not 0 (read), 1 (write) or 2 (read/write)");
  imClose();
  if (name_.empty()) throw StoreException(std::string("BinaryFile: Open: no FileName is set"));
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kCreate[] = {OPEN_EXISTING, CREATE_ALWAYS, OPEN_ALWAYS};
  HANDLE h = CreateFileA(name_.c_str(), kAccess[mode], FILE_SHARE_READ, nullptr, kCreate[mode],
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail("the file could not be opened", GetLastError());
  handle_ = h;
  mode_ = (unsigned char)mode;
}

void iFile::imClose() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

long iFile::pdGetLength() {
  requireOpen("Length");
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) fail("Length", GetLastError());
  return size.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : (long)size.QuadPart;
}

long iFile::pdGetPosition() {
  requireOpen("Position");
  LARGE_INTEGER zero = {}, at = {};
  if (!SetFilePointerEx(handle_, zero, &at, FILE_CURRENT)) fail("Position", GetLastError());
  return at.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : (long)at.QuadPart;
}

void iFile::pdSetPosition(long position) {
  if (position < 0)
    throw StoreException("BinaryFile '" + name_ + "': Position: " + std::to_string(position) +
                         " is negative");
  requireOpen("Position");
  LARGE_INTEGER to;
  to.QuadPart = position;
  if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) fail("Position", GetLastError());
}
