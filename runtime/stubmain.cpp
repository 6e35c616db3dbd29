// The application stub's main: the launcher's run, started from the record in the
// program's own image.
#include <vector>

#include "runtime/app.h"
#include "runtime/launch.h"
#include "runtime/mainguard.h"
#include "runtime/stubrecord.h"

namespace {
const unsigned kErrorStyle = 0x2030;  // task-modal, exclamation icon, OK
}

int StubMain(int argc, char** argv) {
  MainInit guard;
  StartWatchdog();
  int code = 1;
  const uint8_t* section = nullptr;
  size_t size = 0;
  StubRecord record;
  if (!FindLoadedSection(GetModuleHandleA(nullptr), kStubSectionName, kStubSectionSize, &section, &size) ||
      !ReadStubRecord(section, kStubSectionSize, record)) {
    LauncherMessageBox(nullptr, kStubNotInitialized, "Error", kErrorStyle);
  } else {
    // App keeps pointers to these for the whole run.
    std::vector<char> app(record.app.begin(), record.app.end());
    app.push_back('\0');
    std::vector<char> splash(record.splash.begin(), record.splash.end());
    splash.push_back('\0');
    LaunchArgs args;
    args.argc = argc;
    args.argv = argv;
    args.flags = record.flags;
    args.modules = PackModuleList(record.modules);
    args.app = app.data();
    args.splash = splash.data();  // "" still makes the splash window, without a bitmap
    code = RunApplication(args);
    delete[] args.modules;
  }
  StopWatchdog();
  return code;
}
