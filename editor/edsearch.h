// Search and replace commands driven by a request in lParam: plain text or the control's
// own expressions, forward or backward from the caret, without wrapping around.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "editor/korvoedit.h"

namespace ked {

struct EditorRecord;

enum SearchFlag : uint32_t {
  SF_IGNORE_CASE = 0x0001,
  SF_PLAIN = 0x0002,
  SF_SELECT = 0x0004,
  SF_WHOLE_WORD = 0x0008,
  SF_PROMPT = 0x0100,
  SF_CHANGE_ALL = 0x0200,
  SF_BACKWARD = 0x1000,
  SF_PACKED = 0x2000,  // the replacement follows the pattern's terminator
  SF_SILENT = 0x4000,
  SF_CANCELLED = 0x8000,
};

constexpr int kRequestText = 128;
constexpr int kExpandedLimit = 512;

typedef KorvoSearchRequest SearchRequest;
static_assert(sizeof(SearchRequest) == 260, "the request is a fixed 260-byte message format");
static_assert(offsetof(SearchRequest, replacement) == 132, "the replacement starts at offset 132");

// The request the dialogs fill (process-wide).
extern SearchRequest g_dialogRequest;
// Runs "DlgSearch" (replace false) or "DlgSubst" for `command`; 1 when started.
int run_search_dialog(EditorRecord* rec, UINT command, bool replace);
// The confirmation beside a match: 'y', 'n', 'q' (cancel) or 'g' (all).
int confirm_replace(EditorRecord* rec, const char* text, RECT match);

// Commands 0x922/0x923 (search), 0x924/0x925 (replace), 0x938 (search again), 0x939
// (replace again), 0x985 (the last search pattern).
LRESULT cmd_find_forward(EditorRecord* rec);
LRESULT cmd_find_backward(EditorRecord* rec);
LRESULT cmd_replace_forward(EditorRecord* rec);
LRESULT cmd_replace_backward(EditorRecord* rec);
LRESULT cmd_find_again(EditorRecord* rec);
LRESULT cmd_replace_again(EditorRecord* rec);
LRESULT cmd_last_search_text(EditorRecord* rec);

}  // namespace ked
