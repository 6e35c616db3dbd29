// The shared default font and the choice of a window's font.
#include "edfont.h"

#include <string.h>

#include "edoptions.h"
#include "edrecord.h"

namespace ked {

namespace {

constexpr const char kFontSection[] = "fonts";
constexpr int kDefaultHeight = 14;
constexpr int kFaceLength = 64;
constexpr BYTE kCharsetDefault = 1;
constexpr BYTE kCharsetOem = 255;
constexpr BYTE kPitchFixed = 5;
constexpr BYTE kPitchVariable = 6;
constexpr LONG kNormalWeight = 400;

HFONT s_font;
int s_height = kDefaultHeight;

}  // namespace

HFONT default_font() {
  if (s_font) return s_font;
  s_height = static_cast<int>(GetPrivateProfileIntA(kFontSection, "height", kDefaultHeight, kSettingsFile));
  char face[kFaceLength + 1];
  GetPrivateProfileStringA(kFontSection, "face", "Courier New", face, sizeof face, kSettingsFile);
  bool oem = GetPrivateProfileIntA(kFontSection, "UseOEMCharSet", 0, kSettingsFile) != 0;
  bool fixed = GetPrivateProfileIntA(kFontSection, "UseFixedPitch", 1, kSettingsFile) != 0;
  LOGFONTA lf = {};
  lf.lfHeight = s_height;
  lf.lfWeight = kNormalWeight;
  lf.lfCharSet = oem ? kCharsetOem : kCharsetDefault;
  lf.lfPitchAndFamily = fixed ? kPitchFixed : kPitchVariable;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  s_font = CreateFontIndirectA(&lf);
  return s_font;
}

int default_font_height() { return s_height; }

HFONT choose_font(EditorRecord* rec) {
  if (HFONT font = default_font()) {
    rec->lineHeight = default_font_height();
    return font;
  }
  HDC dc = GetDC(rec->wnd);
  HFONT current = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  ReleaseDC(rec->wnd, dc);
  return current;
}

void forget_default_font() {
  // The old font may still be selected by a window: it is left to the process.
  s_font = nullptr;
  s_height = kDefaultHeight;
}

}  // namespace ked
