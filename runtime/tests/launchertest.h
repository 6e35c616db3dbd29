// Shared by the launcher's tests: modules holding an application object, written with
// the store's own API (compound files), and a task window that runs code inside the
// message loop that is running.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/app.h"

namespace launchertest {

// Starts the store for writing modules in this process (OLE, identifiers, own classes).
void StartStore();

// Writes a module file at path named moduleName holding an application object appName
// whose members are Basic texts: "Declare ..." statements, "Dim ..." declarations and
// whole Sub/Function procedures (the event handlers "Startup", "CanClose", "Shutdown"
// are procedures of these names).
void WriteAppModule(const std::string& path, const std::string& moduleName, const std::string& appName,
                    const std::vector<std::string>& members);

// Runs fn inside the message loop that pumps next (posted to a hidden window of this
// thread). Exceptions fn throws are held and rethrown by the pump, as the window
// library does for its windows.
void PostTask(std::function<void()> fn);

// The counter of the test library's CountCall (0 before the library is loaded).
int NativeCallCount();

// The folder of the running test program (the build's bin folder).
std::string ProgramFolder();

// A host path as the Wine programs see it (on drive Z:, backslashes).
std::string WinePath(const std::string& hostPath);

// A file's whole content ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);

// An App whose main window, when the application object gives none, is a plain frame
// of the window library; started runs once the main window is shown.
class TestApp : public App {
 public:
  using App::App;
  std::function<void(TestApp&)> started;
  void InitMainWindow() override;
  void InitInstance() override;
  bool withFrame = true;
};

// argv/modules storage for constructing an App from a module list and arguments.
struct Launch {
  Launch(const std::vector<std::string>& modules, const std::string& app,
         const std::vector<std::string>& args = {});
  ~Launch();
  std::vector<std::string> strings;
  std::vector<char*> argv;
  char* modules = nullptr;
  std::string app;
};

}  // namespace launchertest
