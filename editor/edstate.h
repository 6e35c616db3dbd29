// Process-wide state of the editor control, shared by all its windows on the thread
// that owns them.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

extern HINSTANCE g_instance;
extern int g_initialised;
extern EditorRecord* g_records;  // newest first
extern int32_t g_recordCounter;
extern EditorRecord* g_pickBuffer;
extern uint8_t g_wordDelimiters[256];
extern int32_t g_repeatCount;
extern int g_dbcsEnabled;
extern HWND g_creatingWindow;  // owner of boxes while no record exists yet
extern int g_openDialogs;

// Sets every delimiter flag but those of letters and digits.
void default_word_delimiters();

}  // namespace ked
