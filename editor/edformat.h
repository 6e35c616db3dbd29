// Formatted-text mode: every line of such a window carries the index of one entry of the
// window's format table, a font (attributes, height, colour, face, vertical offset) or a
// picture. The entry layout is also the layout of the formatted file's format entries.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

enum FormatAttribute : uint32_t {
  FA_BOLD = 0x1,
  FA_ITALIC = 0x2,
  FA_UNDERLINE = 0x4,
  FA_STRIKEOUT = 0x8,
  FA_PICTURE = 0x8000000,
};

// Mask bits in the first word of a set-format request.
enum FormatMask : uint32_t {
  FM_ATTRIBUTES = 0xF,  // bold, italic, underline, strikeout: copied bit by bit
  FM_PICTURE = 1u << 27,
  FM_OFFSET = 1u << 28,
  FM_FACE = 1u << 29,
  FM_COLOUR = 1u << 30,
  FM_HEIGHT = 1u << 31,
};

#pragma pack(push, 1)
struct FormatRecord {
  uint32_t firstWord;  // 0 in the default entry; answered by the format commands
  uint32_t attributes;
  int32_t height;   // twentieths of a point; a picture's pixel height x 20
  int32_t offset;   // pixels added to the text's top
  uint32_t colour;  // COLORREF
  uint8_t pitchAndFamily;
  char face[32];
  uint32_t handle;  // the entry's font or picture bitmap (GDI handles fit 32 bits)
};
#pragma pack(pop)

static_assert(sizeof(FormatRecord) == 57, "FormatRecord is a packed 57-byte record");
static_assert(offsetof(FormatRecord, face) == 21, "face follows pitch and family");
static_assert(offsetof(FormatRecord, handle) == 53, "the handle is the last word");

constexpr uint16_t kFormatGrowth = 8;

inline HGDIOBJ format_handle(const FormatRecord& entry) {
  return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(static_cast<int32_t>(entry.handle)));
}
inline uint32_t handle_word(HGDIOBJ handle) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

// Makes the table of a new formatted-text window: capacity 8, one zeroed entry. False
// when it cannot be had.
bool make_format_table(EditorRecord* rec);
// Frees the table and the fonts its entries made.
void free_format_table(EditorRecord* rec);
// Sets entry 0 from the window's font and text colour.
void set_default_format(EditorRecord* rec);
// The entry of `line`, or null outside formatted-text mode.
const FormatRecord* line_format(const EditorRecord* rec, const LineRecord* line);
// A font made from the entry's attributes; null when it cannot be made.
HFONT make_format_font(const FormatRecord& entry);
// Row height in pixels that the entry gives its lines (height / 20).
int32_t format_row_height(const FormatRecord& entry);

// Command handlers (0x9B5 / 0x8C6 and 0x9B6 / 0x8C7).
LRESULT cmd_get_format(EditorRecord* rec);
LRESULT cmd_set_format(EditorRecord* rec);

}  // namespace ked
