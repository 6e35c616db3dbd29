// The start-up record: writing it (the stamping tool), reading it (the stub), and
// finding the section in the stub's own loaded image.
#include "runtime/stubrecord.h"

#include <cstring>

const char kStubSectionName[] = ".orvanel";
const char kStubNotInitialized[] = "This is an improperly initialized stub.";

namespace {

// The string starting at *at, if its NUL lies before end; *at moves past the NUL.
bool TakeString(const uint8_t*& at, const uint8_t* end, std::string& out) {
  const void* nul = memchr(at, 0, size_t(end - at));
  if (!nul) return false;
  const uint8_t* stop = static_cast<const uint8_t*>(nul);
  out.assign(reinterpret_cast<const char*>(at), size_t(stop - at));
  at = stop + 1;
  return true;
}

}  // namespace

size_t StubRecordLength(const StubRecord& record) {
  size_t n = 4 + record.app.size() + 1 + record.splash.size() + 1 + 1;
  for (const std::string& m : record.modules) n += m.size() + 1;
  return n;
}

bool WriteStubRecord(const StubRecord& record, uint8_t* section, size_t size, std::string* why) {
  auto refuse = [why](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  if (record.app.find('\0') != std::string::npos) return refuse("the application name holds a NUL");
  if (record.splash.find('\0') != std::string::npos) return refuse("the splash file name holds a NUL");
  for (const std::string& m : record.modules) {
    if (m.empty()) return refuse("a module name is empty");
    if (m.find('\0') != std::string::npos) return refuse("a module name holds a NUL");
  }
  size_t length = StubRecordLength(record);
  if (!section || length > size)
    return refuse("the record takes " + std::to_string(length) + " bytes; the section holds " +
                  std::to_string(size));
  memset(section, 0, size);
  uint8_t* at = section;
  uint32_t flags = record.flags;
  for (int i = 0; i < 4; ++i) *at++ = uint8_t(flags >> (8 * i));
  auto put = [&at](const std::string& s) {
    memcpy(at, s.c_str(), s.size() + 1);
    at += s.size() + 1;
  };
  put(record.app);
  put(record.splash);
  for (const std::string& m : record.modules) put(m);
  *at = 0;  // the empty name that ends the list
  return true;
}

bool ReadStubRecord(const uint8_t* section, size_t size, StubRecord& out) {
  if (!section || size < 4) return false;
  const uint8_t* at = section;
  const uint8_t* end = section + size;
  StubRecord r;
  r.flags = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
  at += 4;
  if (!TakeString(at, end, r.app) || !TakeString(at, end, r.splash)) return false;
  for (;;) {
    std::string name;
    if (!TakeString(at, end, name)) return false;
    if (name.empty()) break;
    r.modules.push_back(name);
  }
  out = r;
  return true;
}

bool FindLoadedSection(HMODULE module, const char* name, size_t minimum, const uint8_t** data, size_t* size) {
  const uint8_t* base = reinterpret_cast<const uint8_t*>(module);
  if (!base || !name) return false;
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
  const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
  const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
  for (unsigned i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s) {
    char own[IMAGE_SIZEOF_SHORT_NAME + 1] = {};
    memcpy(own, s->Name, IMAGE_SIZEOF_SHORT_NAME);
    if (_strnicmp(own, name, IMAGE_SIZEOF_SHORT_NAME) != 0) continue;
    // Only the bytes both the file and the loaded image hold count.
    size_t bytes = s->Misc.VirtualSize < s->SizeOfRawData ? s->Misc.VirtualSize : s->SizeOfRawData;
    if (bytes < minimum) return false;
    *data = base + s->VirtualAddress;
    *size = bytes;
    return true;
  }
  return false;
}
