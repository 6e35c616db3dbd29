// The control's own search expressions: a pattern is compiled into a byte program of at
// most 256 bytes, which a backtracking matcher runs over the lines of a window without
// allocating. A match may continue over line ends.
#pragma once

#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

constexpr int kProgramSize = 256;
constexpr int kPatternSize = 256;  // 255 characters and a terminator
constexpr int kGroups = 9;

// Item codes of the compiled program.
enum RegexCode : uint8_t {
  RX_END = 0,
  RX_CARET = 3,      // records the caret target
  RX_BACKREF = 6,    // then the group number (0..8)
  RX_LITERAL = 127,  // then the character
  RX_ANY = '?',
  RX_LINE_START = '^',
  RX_LINE_END = '$',
  RX_CLASS = '[',   // then 32 bytes of bits
  RX_REPEAT = '*',  // then one item
  RX_GROUP_START = '(',
  RX_GROUP_END = ')',
  RX_ALTERNATIVES = '{',  // then the item's length, the alternatives, a zero byte
  RX_ALTERNATIVE = '|',   // then the alternative's length and the offset of the next
};

struct SearchContext {
  char pattern[kPatternSize];
  int32_t caseSensitive;
  int32_t expression;
  int32_t selectMatch;
  int32_t direction;  // 1 forward, 0 backward
  int32_t wholeWord;
  int32_t silent;
  int32_t useMatcher;  // set by compilation
  LineRecord* caretLine;
  int32_t caretPosition;  // -1 when the pattern holds no caret marker
  EditorRecord* owner;
  int32_t openGroups[kGroups];
  int32_t openCount;
  LineRecord* groupLine[kGroups];
  int32_t groupStart[kGroups];
  int32_t groupEnd[kGroups];
  uint8_t program[kProgramSize];
};

// Compiles the context's pattern: 1 on success (useMatcher tells whether the matcher is
// to be used or the pattern searched as plain text), -1 on a syntax error.
int regex_compile(SearchContext* context);
// Bytes of the item at `item`, the repeated item included for a repeat.
int regex_item_length(const uint8_t* item);
// Matches the program against `line` from `start` (forward: every start up to the line's
// end; backward: down to 0). Answers where the match begins, or -1; the match ends at
// *endLine, *endPosition (a later line when it crossed line ends).
int32_t regex_match_line(SearchContext* context, LineRecord* line, int32_t start, int direction,
                         LineRecord** endLine, int32_t* endPosition);

}  // namespace ked
