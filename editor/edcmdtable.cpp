// The 115 command rows, sorted by message number, and their binary search.
#include "edcommand.h"
#include "edoptions.h"

#define M CF_MOVES
#define E CF_EDITS
#define Q CF_QUERY
#define LATER cmd_not_built  // the row's work comes with a later part of the control

const CommandRow g_commandTable[ED_COMMAND_ROWS] = {
    {0x922, E, LATER},  // find forward
    {0x923, E, LATER},  // find backward
    {0x924, E, LATER},  // replace forward
    {0x925, E, LATER},  // replace backward
    {0x926, E, LATER},  // delete line / cut selection
    {0x927, E, LATER},  // open a line after
    {0x928, E, LATER},  // open lines before
    {0x929, E, LATER},  // cut
    {0x92A, E, LATER},  // cut and append
    {0x92B, 0, LATER},  // release the selection
    {0x92C, E, LATER},  // copy
    {0x92D, E, LATER},  // duplicate the line
    {0x92E, E, LATER},  // insert the pick buffer (repeat count)
    {0x92F, E, LATER},  // delete before the caret
    {0x930, E, LATER},  // delete word
    {0x931, E, LATER},  // delete at the caret
    {0x932, E, LATER},  // delete to the end of the line
    {0x933, 0, LATER},  // insert mode
    {0x934, E, LATER},  // tab / indent
    {0x935, 0, LATER},  // outdent
    {0x936, E, LATER},  // undo
    {0x937, E, LATER},  // redo
    {0x938, E, LATER},  // find again
    {0x939, E, LATER},  // replace again
    {0x93F, M, LATER},  // line up
    {0x940, M, LATER},  // line down
    {0x941, M, LATER},  // character left
    {0x942, M, LATER},  // character right
    {0x943, M, LATER},  // start of line
    {0x944, M, LATER},  // end of line
    {0x945, M, LATER},  // word right
    {0x946, M, LATER},  // word left
    {0x947, M, LATER},  // next paragraph
    {0x948, M, LATER},  // previous paragraph
    {0x949, M, LATER},  // first visible line
    {0x94A, M, LATER},  // last visible line
    {0x94B, M, LATER},  // page down
    {0x94C, M, LATER},  // page up
    {0x94D, M, LATER},  // start of text
    {0x94E, M, LATER},  // end of text
    {0x94F, M, LATER},  // go to bookmark
    {0x950, 0, LATER},  // set bookmark
    {0x951, M, LATER},  // go to line
    {0x952, 0, LATER},  // clear bookmark
    {0x953, E, LATER},  // matching brace
    {0x954, 0, LATER},  // mark or unmark the line
    {0x955, 0, LATER},  // mark to here
    {0x956, E, LATER},  // type a character
    {0x957, E, LATER},  // insert the pick buffer once
    {0x958, 0, LATER},  // stream selection
    {0x959, 0, LATER},  // column selection
    {0x95A, 0, LATER},  // lower case
    {0x95B, 0, LATER},  // upper case
    {0x95D, 0, LATER},  // load a file
    {0x95E, 0, LATER},  // save the file
    {0x967, 0, LATER},  // window colour
    {0x968, 0, LATER},  // text colour
    {0x969, 0, cmd_set_option},
    {0x96A, Q, cmd_get_option},
    {0x96B, 0, cmd_options_dialog},
    {0x96D, 0, LATER},  // word wrap
    {0x96E, 0, LATER},  // selection background colour
    {0x96F, 0, LATER},  // selected-text colour
    {0x971, 0, LATER},  // help on the word
    {0x972, Q, LATER},  // word at the caret
    {0x97B, 0, LATER},  // capture keystrokes
    {0x97C, 0, LATER},  // replay keystrokes
    {0x97D, 0, LATER},  // pause capturing
    {0x97E, 0, cmd_nothing},
    {0x985, Q, LATER},  // last search text
    {0x986, Q, cmd_caret_report},
    {0x987, 0, LATER},  // insert text
    {0x988, Q, LATER},  // item data
    {0x989, 0, LATER},  // set item data
    {0x98A, Q, LATER},  // item height
    {0x98B, 0, LATER},  // set item height
    {0x98C, Q, LATER},  // count words
    {0x98D, 0, LATER},  // trim blanks
    {0x98E, 0, LATER},  // centre the line
    {0x98F, 0, LATER},  // reformat the paragraph
    {0x990, 0, LATER},  // reformat the text
    {0x991, Q, LATER},  // list bookmarks
    {0x992, 0, LATER},  // insert a picture
    {0x993, Q, LATER},  // dump the undo records
    {0x997, 0, cmd_set_read_notify_lines},
    {0x999, M, LATER},  // caret to a display column
    {0x99B, 0, LATER},  // measure every line again
    {0x9A3, Q, LATER},  // EM_GETFIRSTVISIBLELINE
    {0x9A4, Q, LATER},  // EM_GETLINE
    {0x9A5, Q, cmd_get_line_count},
    {0x9A6, Q, LATER},  // EM_LINEFROMCHAR
    {0x9A7, Q, LATER},  // EM_LINEFROMCHAR
    {0x9A8, Q, LATER},  // EM_LINEINDEX
    {0x9A9, Q, LATER},  // EM_LINELENGTH
    {0x9AA, Q, cmd_get_modify},
    {0x9AB, 0, cmd_set_modify},
    {0x9AC, Q, LATER},  // EM_GETSEL
    {0x9AD, Q, LATER},  // selection offsets
    {0x9AE, Q, LATER},  // selected text
    {0x9AF, 0, LATER},  // EM_REPLACESEL
    {0x9B0, 0, LATER},  // EM_SETSEL
    {0x9B1, 0, LATER},  // selection from offsets
    {0x9B2, 0, cmd_set_read_only},
    {0x9B3, 0, LATER},  // EM_SETTABSTOPS
    {0x9B4, 0, LATER},  // window colour, answering the old one
    {0x9B5, Q, LATER},  // get the line's format
    {0x9B6, 0, LATER},  // set the line's format
    {0x9B7, Q, LATER},  // EM_GETRECT
    {0x9B8, 0, LATER},  // EM_SETRECTNP
    {0x9B9, 0, LATER},  // EM_SETRECT
    {0x9BA, Q, cmd_get_text},
    {0x9BB, Q, LATER},  // copy a line
    {0x9BC, Q, LATER},  // word class of some characters
    {0x9BD, Q, LATER},  // word class of all characters
    {0x9BE, Q, LATER},  // default word classes
};

const CommandRow* ed_find_command(UINT message) {
  int low = 0, high = ED_COMMAND_ROWS - 1;
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
