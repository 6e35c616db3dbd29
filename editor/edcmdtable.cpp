// The 115 command rows, sorted by message number, and their binary search.
#include "edcommand.h"
#include "edblock.h"
#include "edclipboard.h"
#include "edfile.h"
#include "edformat.h"
#include "edinsert.h"
#include "edkeys.h"
#include "edlinetools.h"
#include "edquery.h"
#include "edmove.h"
#include "edownerdraw.h"
#include "edtyping.h"
#include "edundo.h"
#include "edmessage.h"
#include "edoptions.h"
#include "edpaint.h"
#include "edsearch.h"

namespace ked {

const CommandRow g_commandTable[kCommandRows] = {
    {0x922, CF_EDITS, cmd_find_forward},           // find forward
    {0x923, CF_EDITS, cmd_find_backward},           // find backward
    {0x924, CF_EDITS, cmd_replace_forward},           // replace forward
    {0x925, CF_EDITS, cmd_replace_backward},           // replace backward
    {0x926, CF_EDITS, cmd_delete_line},           // delete line / cut selection
    {0x927, CF_EDITS, cmd_open_line_after},           // open a line after
    {0x928, CF_EDITS, cmd_open_lines_before},           // open lines before
    {0x929, CF_EDITS, cmd_cut},           // cut
    {0x92A, CF_EDITS, cmd_cut_append},           // cut and append
    {0x92B, 0, cmd_release_selection},          // release the selection
    {0x92C, CF_EDITS, cmd_copy},           // copy
    {0x92D, CF_EDITS, cmd_duplicate},           // duplicate the line
    {0x92E, CF_EDITS, cmd_paste_pick},           // insert the pick buffer (repeat count)
    {0x92F, CF_EDITS, cmd_backspace},           // delete before the caret
    {0x930, CF_EDITS, cmd_delete_word},           // delete word
    {0x931, CF_EDITS, cmd_delete_char},         // delete at the caret
    {0x932, CF_EDITS, cmd_delete_to_eol},           // delete to the end of the line
    {0x933, 0, cmd_insert_mode},                  // insert mode
    {0x934, CF_EDITS, cmd_tab_indent},           // tab / indent
    {0x935, 0, cmd_outdent},                  // outdent
    {0x936, CF_EDITS, cmd_undo},                // undo
    {0x937, CF_EDITS, cmd_redo},                // redo
    {0x938, CF_EDITS, cmd_find_again},           // find again
    {0x939, CF_EDITS, cmd_replace_again},           // replace again
    {0x93F, CF_MOVES, cmd_line_up},             // line up
    {0x940, CF_MOVES, cmd_line_down},           // line down
    {0x941, CF_MOVES, cmd_char_left},           // character left
    {0x942, CF_MOVES, cmd_char_right},          // character right
    {0x943, CF_MOVES, cmd_line_start},          // start of line
    {0x944, CF_MOVES, cmd_line_end},            // end of line
    {0x945, CF_MOVES, cmd_word_right},          // word right
    {0x946, CF_MOVES, cmd_word_left},           // word left
    {0x947, CF_MOVES, cmd_next_paragraph},      // next paragraph
    {0x948, CF_MOVES, cmd_previous_paragraph},  // previous paragraph
    {0x949, CF_MOVES, cmd_first_visible},       // first visible line
    {0x94A, CF_MOVES, cmd_last_visible},        // last visible line
    {0x94B, CF_MOVES, cmd_page_down},           // page down
    {0x94C, CF_MOVES, cmd_page_up},             // page up
    {0x94D, CF_MOVES, cmd_text_start},          // start of text
    {0x94E, CF_MOVES, cmd_text_end},            // end of text
    {0x94F, CF_MOVES, cmd_goto_bookmark},           // go to bookmark
    {0x950, 0, cmd_set_bookmark},                  // set bookmark
    {0x951, CF_MOVES, cmd_goto_line},           // go to line
    {0x952, 0, cmd_clear_bookmark},                  // clear bookmark
    {0x953, CF_EDITS, cmd_match_brace},           // matching brace
    {0x954, 0, cmd_mark_line},                  // mark or unmark the line
    {0x955, 0, cmd_mark_to_here},                  // mark to here
    {0x956, CF_EDITS, cmd_type_char},           // type a character
    {0x957, CF_EDITS, cmd_paste_pick_once},           // insert the pick buffer once
    {0x958, 0, cmd_mark_stream},                // stream selection
    {0x959, 0, cmd_mark_column},                // column selection
    {0x95A, 0, cmd_lower_case},                  // lower case
    {0x95B, 0, cmd_upper_case},                  // upper case
    {0x95D, 0, cmd_load_file},
    {0x95E, 0, cmd_save_file},
    {0x967, 0, cmd_window_colour},
    {0x968, 0, cmd_text_colour},
    {0x969, 0, cmd_set_option},
    {0x96A, CF_QUERY, cmd_get_option},
    {0x96B, 0, cmd_options_dialog},
    {0x96D, 0, cmd_wordwrap},  // word wrap
    {0x96E, 0, cmd_selection_colour},
    {0x96F, 0, cmd_selected_text_colour},
    {0x971, 0, cmd_word_help},
    {0x972, CF_QUERY, cmd_get_word},
    {0x97B, 0, cmd_macro_capture},  // capture keystrokes
    {0x97C, 0, cmd_macro_replay},   // replay keystrokes
    {0x97D, 0, cmd_macro_pause},    // pause capturing
    {0x97E, 0, cmd_nothing},
    {0x985, CF_QUERY, cmd_last_search_text},  // last search text
    {0x986, CF_QUERY, cmd_caret_report},
    {0x987, 0, cmd_insert_text},
    {0x988, CF_QUERY, cmd_get_item_data},  // item data
    {0x989, 0, cmd_set_item_data},         // set item data
    {0x98A, CF_QUERY, cmd_get_item_height},  // item height
    {0x98B, 0, cmd_set_item_height},         // set item height
    {0x98C, CF_QUERY, cmd_count_words},  // count words
    {0x98D, 0, cmd_trim_blanks},         // trim blanks
    {0x98E, 0, cmd_centre_line},         // centre the line
    {0x98F, 0, cmd_not_built},         // reformat the paragraph
    {0x990, 0, cmd_not_built},         // reformat the text
    {0x991, CF_QUERY, cmd_list_bookmarks},  // list bookmarks
    {0x992, 0, cmd_not_built},         // insert a picture
    {0x993, CF_QUERY, cmd_dump_undo},  // dump the undo records
    {0x997, 0, cmd_set_read_notify_lines},
    {0x999, CF_MOVES, cmd_goto_column},  // caret to a display column
    {0x99B, 0, cmd_measure_all},         // measure every line again
    {0x9A3, CF_QUERY, cmd_first_visible_line},    // EM_GETFIRSTVISIBLELINE
    {0x9A4, CF_QUERY, cmd_em_get_line},    // EM_GETLINE
    {0x9A5, CF_QUERY, cmd_get_line_count},
    {0x9A6, CF_QUERY, cmd_line_from_char},  // EM_LINEFROMCHAR
    {0x9A7, CF_QUERY, cmd_line_from_char},  // EM_LINEFROMCHAR
    {0x9A8, CF_QUERY, cmd_line_index},  // EM_LINEINDEX
    {0x9A9, CF_QUERY, cmd_line_length},  // EM_LINELENGTH
    {0x9AA, CF_QUERY, cmd_get_modify},
    {0x9AB, 0, cmd_set_modify},
    {0x9AC, CF_QUERY, cmd_em_get_sel},  // EM_GETSEL
    {0x9AD, CF_QUERY, cmd_selection_offsets},  // selection offsets
    {0x9AE, CF_QUERY, cmd_selected_text},  // selected text
    {0x9AF, 0, cmd_replace_sel},         // EM_REPLACESEL
    {0x9B0, 0, cmd_em_set_sel},         // EM_SETSEL
    {0x9B1, 0, cmd_select_offsets},         // selection from offsets
    {0x9B2, 0, cmd_set_read_only},
    {0x9B3, 0, cmd_set_tab_stops},  // EM_SETTABSTOPS
    {0x9B4, 0, cmd_swap_window_colour},
    {0x9B5, CF_QUERY, cmd_get_format},
    {0x9B6, 0, cmd_set_format},
    {0x9B7, CF_QUERY, cmd_get_rect},  // EM_GETRECT
    {0x9B8, 0, cmd_set_rect_np},         // EM_SETRECTNP
    {0x9B9, 0, cmd_set_rect},         // EM_SETRECT
    {0x9BA, CF_QUERY, cmd_get_text},
    {0x9BB, CF_QUERY, cmd_copy_line},             // copy a line
    {0x9BC, CF_QUERY, cmd_set_word_class},        // word class of some characters
    {0x9BD, CF_QUERY, cmd_set_all_word_classes},  // word class of all characters
    {0x9BE, CF_QUERY, cmd_restore_word_classes},  // default word classes
};

const CommandRow* find_command(UINT message) {
  int low = 0, high = kCommandRows - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    if (message == g_commandTable[middle].message) return &g_commandTable[middle];
    if (message < g_commandTable[middle].message)
      high = middle - 1;
    else
      low = middle + 1;
  }
  return nullptr;
}

}  // namespace ked
