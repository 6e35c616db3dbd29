// bos system services: lines of text in memory, the environment, libraries beside this
// one, file/directory/drive listings, the Escape key, sleeping and the clock.
#include "dbutil/jxbos.h"

#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"
#include "utl_globals.h"

#include <windows.h>

#include <string.h>

// ---- lines of text ----

short bosgetbl(const char* text, uint32_t* pos, char* line, uint32_t max, short* result) {
  const char* p = text + *pos;
  line[0] = 0;
  if (*p == 0 || *p == 0x1A) return *result = -1;
  uint32_t len = 0;
  bool cut = false;
  bool comment = *p == ';';
  char outer = 0, inner = 0;  // the open quote characters
  for (; *p; ++p) {
    char c = *p;
    if (c == '\n' && !outer) break;
    if (c == '\r' && p[1] == '\n' && !outer) continue;
    if (!comment) {
      if (outer) {
        if (inner) {
          if (c == inner) inner = 0;
        } else if (c == outer) {
          outer = 0;
        } else if (c == '"' || c == '\'') {
          inner = c;
        }
      } else if (c == '"' || c == '\'') {
        outer = c;
      }
    }
    if (comment && len == 1) continue;  // a comment line keeps only its ";"
    if (len < max)
      line[len++] = c;
    else
      cut = true;
  }
  line[len] = 0;
  if (*p == '\n') ++p;
  *pos = static_cast<uint32_t>(p - text);
  return *result = cut ? -2 : static_cast<short>(len);
}

// ---- environment ----

namespace {

// Values handed out stay valid for the process's life: each distinct value is copied
// once and kept. The process heap, as the first readers run before our own heap exists.
struct EnvValue {
  EnvValue* next;
  char text[1];
};
EnvValue* g_values;
volatile LONG g_valuesLock;

const char* keepValue(const char* value) {
  while (InterlockedExchange(&g_valuesLock, 1)) Sleep(0);
  const char* found = nullptr;
  for (EnvValue* v = g_values; v && !found; v = v->next)
    if (strcmp(v->text, value) == 0) found = v->text;
  if (!found) {
    size_t n = strlen(value);
    EnvValue* v = static_cast<EnvValue*>(HeapAlloc(GetProcessHeap(), 0, sizeof(EnvValue) + n));
    if (v) {
      memcpy(v->text, value, n + 1);
      v->next = g_values;
      g_values = v;
      found = v->text;
    }
  }
  InterlockedExchange(&g_valuesLock, 0);
  return found;
}

}  // namespace

const char* bosGetEnv(const char* name) {
  size_t n = strlen(name);
  if (n == 0) return nullptr;
  char* block = GetEnvironmentStringsA();
  if (!block) return nullptr;
  const char* result = nullptr;
  for (const char* entry = block; *entry; entry += strlen(entry) + 1) {
    // The whole name up to "=", in any case, as the system's own lookup does.
    if (strnlen(entry, n) == n && entry[n] == '=' &&
        CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, entry, static_cast<int>(n), name,
                       static_cast<int>(n)) == CSTR_EQUAL) {
      result = keepValue(entry + n + 1);
      break;
    }
  }
  FreeEnvironmentStringsA(block);
  return result;
}

// ---- libraries ----

char* bosdllname(char* name) { return strcat(name, "04"); }

namespace {

// Loads base (with the version suffix when asked), ".DLL", from this library's folder.
void* loadBeside(const char* base, bool versioned) {
  if (!base) return nullptr;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(utlInstance(), path, sizeof path);
  if (n == 0 || n >= sizeof path) return nullptr;
  char* slash = strrchr(path, '\\');
  size_t dir = slash ? static_cast<size_t>(slash + 1 - path) : 0;
  if (dir + strlen(base) + 7 >= sizeof path) return nullptr;
  strcpy(path + dir, base);
  if (versioned) bosdllname(path);
  strcat(path, ".DLL");
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE h = LoadLibraryA(path);
  SetErrorMode(oldMode);
  return h;
}

}  // namespace

void* bosLoadLibrary(const char* base) { return loadBeside(base, true); }

void* bosLoadLibraryPlain(const char* base) { return loadBeside(base, false); }

// ---- listings ----

namespace {

struct FindCursor {
  HANDLE find;
  WIN32_FIND_DATAA data;
  bool pending;  // data holds an entry not handed out yet
};

bool isDotEntry(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }

// Hands out the next entry that is (or is not) a directory.
JxStatus nextEntry(void** cursor, char* name, bool directories) {
  FindCursor* c = static_cast<FindCursor*>(*cursor);
  if (!c) {
    c = static_cast<FindCursor*>(ramAllocZ(sizeof(FindCursor)));
    if (!c) return 1;
    c->find = FindFirstFileA(*name ? name : "*", &c->data);
    c->pending = c->find != INVALID_HANDLE_VALUE;
    *cursor = c;
  }
  for (;;) {
    if (!c->pending) {
      if (c->find != INVALID_HANDLE_VALUE) FindClose(c->find);
      ramFree(c);
      *cursor = nullptr;
      name[0] = 0;
      return 0;
    }
    bool isDir = (c->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool wanted = directories ? isDir && !isDotEntry(c->data.cFileName) : !isDir;
    if (wanted) strcpy(name, c->data.cFileName);
    c->pending = FindNextFileA(c->find, &c->data) != 0;
    if (wanted) return 0;
  }
}

}  // namespace

JxStatus bosFindFiles(void** cursor, char* name) { return nextEntry(cursor, name, false); }

JxStatus bosGetDirectoryNames(void** cursor, char* out) { return nextEntry(cursor, out, true); }

JxStatus bosGetFileSystems(void** cursor, char* out) {
  uint32_t* next = static_cast<uint32_t*>(*cursor);
  if (!next) {
    next = static_cast<uint32_t*>(ramAllocZ(2 * sizeof(uint32_t)));
    if (!next) return 1;
    next[0] = GetLogicalDrives();
    *cursor = next;
  }
  while (next[1] < 26 && !(next[0] & (1u << next[1]))) ++next[1];
  if (next[1] >= 26) {
    ramFree(next);
    *cursor = nullptr;
    out[0] = 0;
    return 0;
  }
  out[0] = static_cast<char>('a' + next[1]++);
  out[1] = 0;
  return 0;
}

// ---- keyboard, clock ----

short bosabort() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (msg.message != WM_KEYDOWN) continue;
    if (msg.wParam == VK_ESCAPE) return 1;
    if (msg.wParam != VK_UP && msg.wParam != VK_DOWN) MessageBeep(0);
  }
  return 0;
}

void bossleep(unsigned short ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) Sleep(1);
}

void bosdate(os_time* t) {
  SYSTEMTIME s;
  GetSystemTime(&s);
  t->day = s.wDay;
  t->month = s.wMonth;
  t->year = s.wYear;
  t->hour = s.wHour;
  t->minute = s.wMinute;
  t->second = s.wSecond;
  t->millisecond = s.wMilliseconds;
}

void bostskid(unsigned long* id) { *id = bosGetProcessID(); }

int JxTime::getCurrentTimeStamp(char* buffer) {
  SYSTEMTIME s;
  GetSystemTime(&s);
  const unsigned parts[4] = {s.wHour, s.wMinute, s.wSecond, s.wMilliseconds / 10u};
  const char seps[4] = {':', ':', '.', 0};
  for (int i = 0; i < 4; ++i) {
    buffer[3 * i] = static_cast<char>('0' + parts[i] / 10);
    buffer[3 * i + 1] = static_cast<char>('0' + parts[i] % 10);
    if (seps[i]) buffer[3 * i + 2] = seps[i];
  }
  return 11;
}
