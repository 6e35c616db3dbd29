// Line tools: bookmarks, brace matching, case change, centring and justifying, word
// count and line marks.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// What is done to the marked lines.
enum MarkAction { MARKS_INDENT, MARKS_OUTDENT, MARKS_CUT, MARKS_CUT_APPEND, MARKS_COPY };

// Acts on the marked lines; 0 when there are none. Indent and outdent keep the marks.
LRESULT act_on_marked(EditorRecord* rec, MarkAction action);
// Every marked line loses its mark; the mark state is reset.
void release_marks(EditorRecord* rec);
// Pads the line to `width` by widening its gaps from the right; false when it has fewer
// than two words or is as long already.
bool justify_line(EditorRecord* rec, LineRecord* line, int32_t width);
// Runs of characters other than the space over all lines.
int32_t count_words(const EditorRecord* rec);

// Commands 0x950 (set bookmark), 0x94F (go to bookmark), 0x952 (clear bookmark), 0x991
// (list bookmarks), 0x953 (matching brace), 0x95A and 0x95B (lower and upper case),
// 0x98E (centre), 0x98C (word count), 0x954 (mark the line), 0x955 (mark to here).
LRESULT cmd_set_bookmark(EditorRecord* rec);
LRESULT cmd_goto_bookmark(EditorRecord* rec);
LRESULT cmd_clear_bookmark(EditorRecord* rec);
LRESULT cmd_list_bookmarks(EditorRecord* rec);
LRESULT cmd_match_brace(EditorRecord* rec);
LRESULT cmd_lower_case(EditorRecord* rec);
LRESULT cmd_upper_case(EditorRecord* rec);
LRESULT cmd_centre_line(EditorRecord* rec);
LRESULT cmd_count_words(EditorRecord* rec);
LRESULT cmd_mark_line(EditorRecord* rec);
LRESULT cmd_mark_to_here(EditorRecord* rec);

}  // namespace ked
