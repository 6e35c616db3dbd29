// What the launcher does after its command line, shared by every program that starts
// an application (the launcher reads the command line, a stub its start-up record).
#pragma once

#include "runtime/cmdline.h"

// Shows the splash (status lines when bit 0 of the flags is set), builds App, runs it
// and destroys it. Returns the exit code: Run's result, or the application object's
// ExitCode when Run gives 0 or the application has no main form; -1 when the run failed
// (the failure is shown in an "Error" box first).
int RunApplication(const LaunchArgs& args);

// The launcher's main: process guard, watchdog, command line (the usage box and -1 when
// it does not fit), then RunApplication.
int LauncherMain(int argc, char** argv);
