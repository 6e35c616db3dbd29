// The start-up record of a finished application: what ovapp.exe reads from the ".orvanel"
// section of its own image instead of a command line.
//
//   offset 0   flags, unsigned 32-bit little-endian (bit 0: status lines on the splash)
//   then       application object name, NUL-terminated
//   then       splash file, NUL-terminated (may be empty)
//   then       module names, each NUL-terminated, ended by an empty name
//   rest       zero up to the section's 4096 bytes
//
// The record is exactly as long as its fields; nothing is read outside the section.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/cmdline.h"

enum : uint32_t { kStubSectionSize = 4096 };
extern const char kStubSectionName[];     // ".orvanel"
extern const char kStubNotInitialized[];  // "This is an improperly initialized stub."

struct StubRecord {
  uint32_t flags = kLaunchFlags;
  std::string app;
  std::string splash;
  std::vector<std::string> modules;
};

// Bytes the record takes.
size_t StubRecordLength(const StubRecord& record);

// Writes the record at the start of section (size bytes) and zeroes the rest. False, with
// the reason in *why, when it does not fit, a name holds a NUL or a module name is empty.
bool WriteStubRecord(const StubRecord& record, uint8_t* section, size_t size, std::string* why);

// Reads a record from size bytes; false when a field's terminator is not inside them.
bool ReadStubRecord(const uint8_t* section, size_t size, StubRecord& out);

// The raw bytes of a named section of a loaded image (module handle), found through the
// image's own section table. False when there is none or it holds fewer than minimum bytes.
bool FindLoadedSection(HMODULE module, const char* name, size_t minimum, const uint8_t** data, size_t* size);

// The stub's main: process guard, watchdog, the record of the program's own image, then
// the launcher's run. A missing or malformed record shows kStubNotInitialized ("Error")
// and gives 1 without starting anything.
int StubMain(int argc, char** argv);
