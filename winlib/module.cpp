// TModule: names, resources and the error box.
#include "winlib/module.h"

#include "winlib/except.h"

namespace {
TModule* g_winLibModule = nullptr;
}

// Made at DLL attach (dllmain.cpp).
void WlSetWinLibModule(TModule* module) { g_winLibModule = module; }
TModule* GetWinLibModule() { return g_winLibModule; }

TModule::TModule(const char* name, HINSTANCE instance) : instance_(instance) {
  if (!instance_) instance_ = ::GetModuleHandleA(nullptr);
  SetName(name);
}

TModule::~TModule() = default;

void TModule::SetName(const char* name) {
  if (name && *name) {
    name_ = name;
    return;
  }
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(instance_, path, sizeof path);
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  name_ = base;
  size_t dot = name_.rfind('.');
  if (dot != std::string::npos) name_.erase(dot);
}

int TModule::LoadString(uint id, char* buffer, int size) const {
  if (!buffer || size <= 0) return 0;
  int n = ::LoadStringA(instance_, id, buffer, size);
  if (n == 0 && g_winLibModule && g_winLibModule != this)
    n = ::LoadStringA(g_winLibModule->GetInstance(), id, buffer, size);
  if (n == 0) buffer[0] = 0;
  return n;
}

std::string TModule::LoadString(uint id) const {
  char buffer[1024];
  int n = LoadString(id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

HICON TModule::LoadIcon(const char* name) const { return ::LoadIconA(instance_, name); }
HCURSOR TModule::LoadCursor(const char* name) const { return ::LoadCursorA(instance_, name); }
HBITMAP TModule::LoadBitmap(const char* name) const { return ::LoadBitmapA(instance_, name); }
HMENU TModule::LoadMenu(const char* name) const { return ::LoadMenuA(instance_, name); }
HACCEL TModule::LoadAccelerators(const char* name) const { return ::LoadAcceleratorsA(instance_, name); }
HRSRC TModule::FindResource(const char* name, const char* type) const {
  return ::FindResourceA(instance_, name, type);
}

int TModule::Error(const xmsg& x, uint captionResId, uint promptResId) {
  std::string caption = captionResId ? LoadString(captionResId) : std::string();
  if (caption.empty()) caption = name_;
  std::string text = x.why();
  if (text.empty()) text = LoadString(IDS_WLUNKNOWNEXCEPTION);
  if (promptResId) {
    text += "\n\n" + LoadString(promptResId);
    int answer = ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONSTOP | MB_TASKMODAL);
    return answer == IDYES ? 0 : -1;
  }
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  return 0;
}
