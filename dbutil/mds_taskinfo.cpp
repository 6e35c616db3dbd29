// JXMDS04.dll: holds the one JxTaskInfo of the process.
#include "dbutil/jxtaskinfo.h"

#include <windows.h>

JxTaskInfo::JxTaskInfo() : useCount(1) {
  for (int i = 0; i < PTD_SLOT_COUNT; ++i) slots[i] = nullptr;
}

// The record's owners clear their own slots; nothing is freed here.
JxTaskInfo::~JxTaskInfo() {}

static JxTaskInfo g_taskInfo;
static HINSTANCE g_instance;

JxTaskInfo* mdsGetTaskInfo() { return &g_taskInfo; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
  if (!g_instance) g_instance = instance;
  return TRUE;
}
