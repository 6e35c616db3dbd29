// ovstamp: makes a finished application from the stub. Adds the ".orvanel" section to a
// copy of ovapp.exe (or to the file itself) and writes the start-up record into it.
//
//   ovstamp [-o OUT] [-status] [-flags N] [-splash SFILE] -app APP STUB MODULE...
//
// -status sets bit 0 of the flags (status lines on the splash); -flags gives the whole
// word (decimal or 0x...). Stamping a stamped file replaces its record.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/stubrecord.h"
#include "utils/pefile.h"

namespace {

const char kUsage[] =
    "usage: ovstamp [-o OUT] [-status] [-flags N] [-splash SFILE] -app APP STUB MODULE...\n";

int Fail(const std::string& text) {
  fprintf(stderr, "ovstamp: %s\n", text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  StubRecord record;
  std::string stub, out;
  bool haveApp = false;
  bool status = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "-o" && hasValue) {
      out = argv[++i];
    } else if (a == "-app" && hasValue) {
      record.app = argv[++i];
      haveApp = true;
    } else if (a == "-splash" && hasValue) {
      record.splash = argv[++i];
    } else if (a == "-flags" && hasValue) {
      char* end = nullptr;
      unsigned long v = strtoul(argv[++i], &end, 0);
      if (!end || *end) return Fail(std::string("not a number: ") + argv[i]);
      record.flags = uint32_t(v);
    } else if (a == "-status") {
      status = true;
    } else if (a.size() > 1 && a[0] == '-') {
      fputs(kUsage, stderr);
      return 2;
    } else if (stub.empty()) {
      stub = a;
    } else {
      record.modules.push_back(a);
    }
  }
  if (stub.empty() || !haveApp) {
    fputs(kUsage, stderr);
    return 2;
  }
  if (status) record.flags |= 1;
  if (record.modules.empty()) return Fail("no module given");

  // Check the record before touching any file.
  std::string why;
  std::vector<uint8_t> bytes(kStubSectionSize);
  if (!WriteStubRecord(record, bytes.data(), bytes.size(), &why)) return Fail(why);

  std::string target = stub;
  if (!out.empty()) {
    if (!CopyFileA(stub.c_str(), out.c_str(), FALSE))
      return Fail("cannot copy " + stub + " to " + out + " (error " + std::to_string(GetLastError()) + ")");
    target = out;
  }
  try {
    PEFile pe(target.c_str());
    uint8_t* section = pe.MakeOrvanelDataSection();
    memcpy(section, bytes.data(), bytes.size());
    pe.UpdateFileTimes();
  } catch (PEFileException& x) {
    if (!out.empty()) DeleteFileA(out.c_str());
    return Fail(target + ": " + x.what());
  }
  printf("ovstamp: %s: %u-byte start-up record for %s, %u module(s)\n", target.c_str(),
         unsigned(StubRecordLength(record)), record.app.c_str(), unsigned(record.modules.size()));
  return 0;
}
