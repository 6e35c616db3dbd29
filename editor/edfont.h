// Fonts: the process-wide default font from section "fonts" of "KORVOED.INI", shared by
// every window and never deleted, and the choice of a window's font.
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

// The default font, made on first use; null when it cannot be made.
HFONT default_font();
// "height" of section "fonts" as read when the default font was made (14 before).
int default_font_height();
// The default font, or the device context's font when it cannot be made.
HFONT choose_font(EditorRecord* rec);
// Tests: forgets the default font so that the next use reads the settings again.
void forget_default_font();

}  // namespace ked
