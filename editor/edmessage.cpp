// Message boxes and help on the word at the caret.
#include "edmessage.h"

#include <stdarg.h>
#include <stdio.h>

#include "edoptions.h"
#include "edrecord.h"
#include "edstate.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

const char* const kFixedTexts[] = {
    "{}()[]\"\"",
    "Matching brace not found",
    "The cursor must be on {, }, (, ), [, ], or \"",
    "No line exists for that bookmark",
    "Can't replay keystrokes while recording",
    "Keystrokes captured",
    "No more memory for format information",
    "Error while writing!\nThe disk may be full.",
};

constexpr int kStringLength = 128;
constexpr int kHelpFileLength = 128;
constexpr UINT kHelpPartialKey = 0x105;

HelpCall s_helpCall;
int s_windowsVersion;
LibraryLoader s_loader;

HMODULE s_ctl3d;
bool s_ctl3dTried;
char s_helpFile[kHelpFileLength + 1];

int windows_major_version() {
  if (s_windowsVersion) return s_windowsVersion;
  OSVERSIONINFOA info = {sizeof info};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 4;
#pragma GCC diagnostic pop
  return static_cast<int>(info.dwMajorVersion);
}

typedef BOOL(WINAPI* Ctl3dCall)(HINSTANCE);

void call_ctl3d(const char* entry) {
  if (!s_ctl3d) return;
  if (FARPROC proc = GetProcAddress(s_ctl3d, entry)) reinterpret_cast<Ctl3dCall>(proc)(g_instance);
}

// The 3-D controls library dresses boxes on systems before version 4 only.
bool ctl3d_wanted() { return windows_major_version() < 4; }

void ctl3d_before_box() {
  if (!ctl3d_wanted()) return;
  if (!s_ctl3dTried) {
    s_ctl3dTried = true;
    s_ctl3d = (s_loader ? s_loader : LoadLibraryA)("CTL3D32.DLL");
  }
  call_ctl3d("Ctl3dRegister");
  call_ctl3d("Ctl3dAutoSubclass");
}

void ctl3d_after_box() {
  if (ctl3d_wanted()) call_ctl3d("Ctl3dUnregister");
}

int exclamation_box(HWND owner, const char* text, const char* caption) {
  MessageBeep(0);
  return MessageBoxA(owner, text, caption, MB_ICONEXCLAMATION | MB_OK);
}

}  // namespace

const char* fixed_text(FixedText which) { return kFixedTexts[which]; }

HWND box_owner(const EditorRecord* rec) {
  if (g_creatingWindow && (!rec || !rec->wnd || rec->wnd == g_creatingWindow))
    return GetParent(g_creatingWindow);
  return rec ? rec->wnd : nullptr;
}

int fixed_box(const EditorRecord* rec, FixedText which) {
  const char* caption = which == FT_KEYSTROKES_CAPTURED ? "Korvo Editor DLL" : nullptr;
  return exclamation_box(box_owner(rec), fixed_text(which), caption);
}

int string_box(HWND owner, UINT style, int id, ...) {
  char format[kStringLength + 1];
  char text[2 * kStringLength + MAX_PATH];
  if (LoadStringA(g_instance, static_cast<UINT>(id), format, sizeof format) > 0) {
    va_list args;
    va_start(args, id);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
  } else {
    snprintf(text, sizeof text, "Cannot locate error message %d", id);
  }
  ctl3d_before_box();
  int answer = MessageBoxA(owner, text, "Code Editor", style);
  ctl3d_after_box();
  return answer;
}

LRESULT cmd_word_help(EditorRecord* rec) {
  const char* file = reinterpret_cast<const char*>(rec->lParam);
  HWND parent = GetParent(rec->wnd);
  if (!file || !*file) {
    if (!s_helpFile[0])
      GetPrivateProfileStringA(kSettingsSection, "APIHelp", "", s_helpFile, sizeof s_helpFile, kSettingsFile);
    file = s_helpFile;
  }
  if (!*file) {
    MessageBoxA(parent, "No help file for API", "Help On Word", MB_ICONEXCLAMATION | MB_OK);
    return 0;
  }
  char word[kStringLength + 1] = "";
  LRESULT length = SendMessageA(rec->wnd, KE_GET_WORD, kStringLength, reinterpret_cast<LPARAM>(word));
  word[length < kStringLength ? length : kStringLength] = '\0';
  BOOL result = FALSE;
  if (word[0]) {
    result = (s_helpCall ? s_helpCall : WinHelpA)(parent, file, kHelpPartialKey,
                                                  reinterpret_cast<ULONG_PTR>(word));
  }
  if (!word[0] || !result) {
    MessageBoxA(rec->wnd, "No help for this word", word, MB_ICONEXCLAMATION | MB_OK);
    return 0;
  }
  return result;
}

void set_help_call(HelpCall call) { s_helpCall = call; }
void set_windows_version(int major) { s_windowsVersion = major; }
void set_library_loader(LibraryLoader loader) {
  s_loader = loader;
  s_ctl3dTried = false;
  s_ctl3d = nullptr;
}

}  // namespace ked
