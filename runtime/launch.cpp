// The launcher's main and the run of an application.
#include "runtime/launch.h"

#include <memory>

#include "runtime/app.h"
#include "runtime/mainguard.h"
#include "runtime/splash.h"
#include "utils/xexception.h"

namespace {

const unsigned kErrorStyle = 0x2030;  // task-modal, exclamation icon, OK

// Destroys the application; what its shutdown throws is shown like the run's errors.
void Destroy(std::unique_ptr<App>& app) {
  try {
    app.reset();
  } catch (xmsg& x) {
    app.release();
    LauncherMessageBox(nullptr, x.what(), "Error", kErrorStyle);
  } catch (...) {
    app.release();
    LauncherMessageBox(nullptr, "Unknown error.", "Error", kErrorStyle);
  }
}

}  // namespace

int RunApplication(const LaunchArgs& args) {
  int code = -1;
  std::unique_ptr<App> app;
  try {
    ShowSplash(args.splash, int(args.flags & 1));
    app.reset(new App(args.argc, args.argv, args.flags, args.modules, args.app, args.splash));
    code = app->Run();
    if (code == 0) code = int(app->ExitCode());
  } catch (xmsg& x) {
    LauncherMessageBox(nullptr, x.what(), "Error", kErrorStyle);
  } catch (XNoMainForm&) {
    code = app ? int(app->ExitCode()) : 0;
  } catch (...) {
    LauncherMessageBox(nullptr, "Unknown error.", "Error", kErrorStyle);
  }
  Destroy(app);
  DestroySplash();
  return code;
}

int LauncherMain(int argc, char** argv) {
  MainInit guard;
  StartWatchdog();
  int code = -1;
  LaunchArgs args;
  if (!ParseLaunchCommandLine(argc, argv, args)) {
    LauncherMessageBox(nullptr, kLauncherUsage, kLauncherUsageCaption, 0x2030);
  } else {
    code = RunApplication(args);
    delete[] args.modules;
  }
  StopWatchdog();
  return code;
}
