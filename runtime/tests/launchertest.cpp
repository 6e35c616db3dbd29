// The launcher tests' helpers.
#include "launchertest.h"

#include <deque>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "parser/ovparse.h"
#include "runtime/cmdline.h"
#include "store/field.h"
#include "store/groups.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/procfield.h"
#include "winlib/framewin.h"

namespace launchertest {

void StartStore() {
  static bool oleStarted = false;
  if (!oleStarted) {
    oleStarted = true;
    OleInitialize(nullptr);
  }
  IdString::Initialize();
  ObjectStore::Initialize();
}

namespace {

bool StartsWith(const std::string& text, const char* word) {
  size_t n = strlen(word);
  return text.size() >= n && _strnicmp(text.c_str(), word, n) == 0;
}

}  // namespace

void WriteAppModule(const std::string& path, const std::string& moduleName, const std::string& appName,
                    const std::vector<std::string>& members) {
  StartStore();
  DeleteFileA(path.c_str());
  unsigned char m = ObjectStore::CreateModule(moduleName.c_str(), path.c_str());
  try {
    OpenModuleResource open(m);
    PrimInterObj app(iApplication::PO_GetObject(), appName.c_str(), 0);
    for (const std::string& text : members) {
      if (StartsWith(text, "Declare ")) {
        app->addField(ParserParseDeclare(text.c_str()), nullptr);
      } else if (StartsWith(text, "Dim ")) {
        app->addField(ParserParseInterDataField(text.c_str()), nullptr);
      } else {
        InterProcField* proc = nullptr;
        std::string copy = text;
        ParserParseProcedure(proc, &copy[0]);
        app->addField(proc, nullptr);
      }
    }
  } catch (...) {
    ObjectStore::UnloadModule(m, 1);
    throw;
  }
  if (!ObjectStore::SaveModule(m)) throw std::runtime_error("module not saved: " + path);
  ObjectStore::UnloadModule(m, 1);
}

namespace {

std::deque<std::function<void()>> g_tasks;
HWND g_taskWindow = nullptr;
const UINT kRunTask = WM_APP + 17;

LRESULT CALLBACK TaskProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRunTask) return DefWindowProcA(h, msg, wp, lp);
  if (g_tasks.empty()) return 0;
  std::function<void()> fn = std::move(g_tasks.front());
  g_tasks.pop_front();
  try {
    fn();
  } catch (...) {
    TApplication::SuspendThrow(std::current_exception());
  }
  return 0;
}

}  // namespace

void PostTask(std::function<void()> fn) {
  if (!g_taskWindow) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TaskProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LauncherTestTasks";
    RegisterClassA(&wc);
    g_taskWindow = CreateWindowExA(0, "LauncherTestTasks", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
  }
  g_tasks.push_back(std::move(fn));
  PostMessageA(g_taskWindow, kRunTask, 0, 0);
}

int NativeCallCount() {
  // Loaded here too, so that the counter outlives the modules that declare it.
  static HMODULE lib = LoadLibraryA("ovrun_testnative.dll");
  auto fn = lib ? reinterpret_cast<int(WINAPI*)()>(GetProcAddress(lib, "CallCount")) : nullptr;
  return fn ? fn() : 0;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of("\\/"));
}

void TestApp::InitMainWindow() {
  App::InitMainWindow();
  if (!GetMainWindow() && withFrame) SetMainWindow(new TFrameWindow(nullptr, "Launcher test"));
}

void TestApp::InitInstance() {
  App::InitInstance();
  if (started) started(*this);
}

Launch::Launch(const std::vector<std::string>& mods, const std::string& appName,
               const std::vector<std::string>& args)
    : app(appName) {
  strings.push_back("ovrun");
  for (const std::string& a : args) strings.push_back(a);
  for (std::string& s : strings) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  modules = PackModuleList(mods);
}

Launch::~Launch() { delete[] modules; }

std::string WinePath(const std::string& hostPath) {
  std::string p = hostPath;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace launchertest
