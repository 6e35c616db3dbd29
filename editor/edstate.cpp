// Process-wide state of the control.
#include "edstate.h"

#include <string.h>

namespace ked {

HINSTANCE g_instance;
int g_initialised;
EditorRecord* g_records;
int32_t g_recordCounter;
EditorRecord* g_pickBuffer;
uint8_t g_wordDelimiters[256];
int32_t g_repeatCount = 1;
int g_dbcsEnabled;
HWND g_creatingWindow;
int g_openDialogs;

void default_word_delimiters() {
  memset(g_wordDelimiters, 1, sizeof g_wordDelimiters);
  for (int c = 'a'; c <= 'z'; ++c) g_wordDelimiters[c] = 0;
  for (int c = 'A'; c <= 'Z'; ++c) g_wordDelimiters[c] = 0;
  for (int c = '0'; c <= '9'; ++c) g_wordDelimiters[c] = 0;
}

}  // namespace ked
