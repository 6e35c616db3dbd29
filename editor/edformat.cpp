// The format table of a formatted-text window and the two format commands.
#include "edformat.h"

#include <stdlib.h>
#include <string.h>

#include "edfont.h"
#include "edmem.h"
#include "edmessage.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edview.h"

namespace ked {

namespace {

constexpr int32_t kTwips = 20;  // twentieths of a point per point
constexpr LONG kBoldWeight = 700;
constexpr LONG kNormalWeight = 400;

bool owns_font(const EditorRecord* rec, const FormatRecord& entry, int index) {
  if (index == 0 || (entry.attributes & FA_PICTURE) || !entry.handle) return false;
  HGDIOBJ font = format_handle(entry);
  return font != rec->font && font != default_font();
}

}  // namespace

bool make_format_table(EditorRecord* rec) {
  if (rec->formats) return true;
  FormatRecord* table = static_cast<FormatRecord*>(alloc_zeroed(kFormatGrowth * sizeof(FormatRecord)));
  if (!table) return false;
  rec->formats = table;
  rec->formatCapacity = kFormatGrowth;
  rec->formatCount = 1;
  return true;
}

void free_format_table(EditorRecord* rec) {
  if (!rec->formats) return;
  for (int i = 0; i < rec->formatCount; ++i)
    if (owns_font(rec, rec->formats[i], i)) DeleteObject(format_handle(rec->formats[i]));
  free_block(rec->formats);
  rec->formats = nullptr;
  rec->formatCount = rec->formatCapacity = 0;
}

void set_default_format(EditorRecord* rec) {
  if (!rec->formats) return;
  FormatRecord& entry = rec->formats[0];
  LOGFONTA lf = {};
  if (rec->font) GetObjectA(rec->font, sizeof lf, &lf);
  unsigned attributes = 0;
  if (lf.lfWeight >= kBoldWeight) attributes |= FA_BOLD;
  if (lf.lfItalic) attributes |= FA_ITALIC;
  if (lf.lfUnderline) attributes |= FA_UNDERLINE;
  if (lf.lfStrikeOut) attributes |= FA_STRIKEOUT;
  entry.attributes = attributes;
  int32_t height = lf.lfHeight ? abs(lf.lfHeight) : rec->lineHeight;
  entry.height = height * kTwips;
  entry.offset = 0;
  entry.colour = rec->textColour;
  entry.pitchAndFamily = lf.lfPitchAndFamily;
  memset(entry.face, 0, sizeof entry.face);
  lstrcpynA(entry.face, lf.lfFaceName, sizeof entry.face);
  entry.handle = handle_word(rec->font);
}

const FormatRecord* line_format(const EditorRecord* rec, const LineRecord* line) {
  if (!(rec->state & ST_FORMATTED) || !rec->formats || !line) return nullptr;
  uint16_t index = line->formatIndex < rec->formatCount ? line->formatIndex : 0;
  return &rec->formats[index];
}

HFONT make_format_font(const FormatRecord& entry) {
  LOGFONTA lf = {};
  lf.lfHeight = entry.height / kTwips;
  lf.lfWeight = (entry.attributes & FA_BOLD) ? kBoldWeight : kNormalWeight;
  lf.lfItalic = (entry.attributes & FA_ITALIC) ? 1 : 0;
  lf.lfUnderline = (entry.attributes & FA_UNDERLINE) ? 1 : 0;
  lf.lfStrikeOut = (entry.attributes & FA_STRIKEOUT) ? 1 : 0;
  lf.lfPitchAndFamily = entry.pitchAndFamily;
  memcpy(lf.lfFaceName, entry.face, sizeof entry.face);
  lf.lfFaceName[sizeof entry.face - 1] = '\0';
  return CreateFontIndirectA(&lf);
}

int32_t format_row_height(const FormatRecord& entry) { return abs(entry.height) / kTwips; }

LRESULT cmd_get_format(EditorRecord* rec) {
  const FormatRecord* entry = line_format(rec, rec->currentLine);
  if (!entry || !rec->lParam) return 0;
  memcpy(reinterpret_cast<void*>(rec->lParam), entry, sizeof *entry);
  return static_cast<LRESULT>(entry->firstWord);
}

LRESULT cmd_set_format(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  const FormatRecord* current = line_format(rec, line);
  if (!current || !rec->lParam) return 0;
  FormatRecord request;
  memcpy(&request, reinterpret_cast<const void*>(rec->lParam), sizeof request);
  FormatRecord entry = *current;

  if (rec->formatCount >= rec->formatCapacity) {
    uint32_t capacity = rec->formatCapacity + kFormatGrowth;
    FormatRecord* grown =
        capacity > 0xFFFF ? nullptr
                          : static_cast<FormatRecord*>(alloc_zeroed_silent(capacity * sizeof(FormatRecord)));
    if (!grown) {
      fixed_box(rec, FT_NO_FORMAT_MEMORY);
      return 0;
    }
    memcpy(grown, rec->formats, rec->formatCount * sizeof(FormatRecord));
    free_block(rec->formats);
    rec->formats = grown;
    rec->formatCapacity = static_cast<uint16_t>(capacity);
  }

  uint32_t mask = request.firstWord;
  uint32_t copied = mask & FM_ATTRIBUTES;
  entry.attributes = (entry.attributes & ~copied) | (request.attributes & copied);
  if (mask & FM_HEIGHT) entry.height = request.height;
  if (mask & FM_COLOUR) entry.colour = request.colour;
  if (mask & FM_FACE) {
    memcpy(entry.face, request.face, sizeof entry.face);
    entry.face[sizeof entry.face - 1] = '\0';
  }
  if (mask & FM_OFFSET) entry.offset = request.offset;
  if (mask & FM_PICTURE) {
    if (request.attributes & FA_PICTURE) {
      entry.attributes |= FA_PICTURE;
      entry.handle = request.handle;
      BITMAP info;
      // The row holds the whole picture: its height in twentieths is pixels x 20.
      entry.height = GetObjectA(format_handle(entry), sizeof info, &info) ? info.bmHeight * kTwips : 0;
      line->flags |= LF_PICTURE;
    } else {
      entry.attributes &= ~static_cast<uint32_t>(FA_PICTURE);
      line->flags &= ~static_cast<uint16_t>(LF_PICTURE);
    }
  }
  if (!(entry.attributes & FA_PICTURE)) entry.handle = handle_word(make_format_font(entry));

  uint16_t index = rec->formatCount++;
  rec->formats[index] = entry;
  line->formatIndex = index;
  line->formatHeight = static_cast<uint16_t>(format_row_height(entry));
  layout(rec);
  count_visible_rows(rec);
  invalidate_from_row(rec, rec->caretRow);
  return static_cast<LRESULT>(entry.firstWord);
}

}  // namespace ked
