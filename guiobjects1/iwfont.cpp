// IWFont: the published "Font".
#include "guiobjects1/iwfont.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwscreen.h"
#include "store/podefine.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"
#include "utils/xexception.h"
#include "winlib/gdiobjects.h"

namespace {

// Shared by every font: GetFontDatum answers pointers into it.
LOGFONTA g_logFont;

// The screen's vertical twips per pixel, 15 (96 dpi) when the display reports none.
int TwipsY() {
  int t = IWScreen::TwipsPerPixelY();
  return t > 0 ? t : 15;
}

void CopyFace(char* to, const char* from) {
  size_t n = 0;
  while (n < (size_t)IWFont::kFaceChars && from[n]) ++n;
  std::memcpy(to, from, n);
  std::memset(to + n, 0, 32 - n);
}

struct RefreshArgs {
  HFONT old;
};

void RefreshIfShowing(InterObjRep* obj, void* data) {
  HFONT old = static_cast<RefreshArgs*>(data)->old;
  IWWindow* w = IWWindow::Native(obj);
  if (!w || !w->HWindow || !::IsWindow(w->HWindow)) return;
  if ((HFONT)::SendMessageA(w->HWindow, WM_GETFONT, 0, 0) == old) w->imRefresh();
}

}  // namespace

Faultp<InterObjRep>* IWFont::PO_Object = nullptr;
const POClassRow& IWFont::PO_Row() { return DllInstance::Row(kOviui1Font); }

IWFont::IWFont(IUnknown* outer) : POClass(outer) {}

IWFont::~IWFont() {
  if (!font_) return;
  dying_ = true;  // the refreshed windows must not realise this font again
  try {
    if (ObjectStore::LockState() == 0) RefreshShowing((HFONT)*font_);
  } catch (...) {  // a window failing to refresh must not stop the font's end
  }
  font_.reset();
}

void IWFont::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "FaceName", kTypeString, &IWFont::pdSetFaceName, &IWFont::pdGetFaceName);
  PO_Property(sig, "Size", kTypeFloat, &IWFont::pdSetSize, &IWFont::pdGetSize);
  PO_EnumProperty(sig, "Bold", "Boolean", &IWFont::pdSetBold, &IWFont::pdGetBold);
  PO_EnumProperty(sig, "Italic", "Boolean", &IWFont::pdSetItalic, &IWFont::pdGetItalic);
  PO_EnumProperty(sig, "Strikethru", "Boolean", &IWFont::pdSetStrikethru, &IWFont::pdGetStrikethru);
  PO_EnumProperty(sig, "Underline", "Boolean", &IWFont::pdSetUnderline, &IWFont::pdGetUnderline);
  PO_Property(sig, "HFont", kTypeLong, nullptr, &IWFont::pdGetHFontValue);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWFont::imTextUnload);
}

// ---- the stream block ----

void IWFont::PO_Write(OCLStream& s) {
  s.write((UCHAR)style_);
  s.write(face_, 32);
  s.write(size_);
}

void IWFont::PO_Read(OCLStream& s, unsigned) {
  UCHAR style = 0;
  char face[32];
  float size = 0;
  s.read(&style);
  s.read(face, 32);
  s.read(&size);
  // Only the four style bits, a terminated name and a size that is a number of points
  // are ever written.
  if ((style & ~0x0F) || !std::memchr(face, 0, 32) || !std::isfinite(size) || size < 0)
    throw ObjectLoadFailed("Font");
  style_ = style;
  std::memcpy(face_, face, 32);
  size_ = size;
}

void IWFont::clone(const IInterObj& source) {
  const IWFont* src = dynamic_cast<const IWFont*>(&source);
  UTILS_ASSERT(src != nullptr);
  if (!src) return;
  style_ = src->style_;
  CopyFace(face_, src->face_);
  size_ = src->size_;
  if (font_) {  // a copy shows its own description, not what was realised before
    LOGFONTA lf = *static_cast<LOGFONTA*>(GetFontDatum(kDatumStored));
    UpdateFont(lf);
  }
}

// ---- conversions ----

long IWFont::PointsToHeight(double points) { return -(long)std::trunc(points * 20.0 / TwipsY() + 0.5); }

float IWFont::HeightToPoints(long height) {
  long h = height < 0 ? -height : height;
  return (float)((TwipsY() * h + 10) / 20);  // to the nearest point
}

// ---- the shared description ----

void* IWFont::GetFontDatumOf(IWFont* font, int which) {
  if (which == kDatumStored) {
    // Every stored-description query starts clean: nothing of an earlier query leaks in.
    std::memset(&g_logFont, 0, sizeof g_logFont);
    if (!font) return &g_logFont;
    CopyFace(g_logFont.lfFaceName, font->face_);
    g_logFont.lfHeight = PointsToHeight(font->size_);
    g_logFont.lfWidth = 0;
    g_logFont.lfWeight = (font->style_ & kBold) ? FW_BOLD : FW_NORMAL;
    g_logFont.lfItalic = (font->style_ & kItalic) ? 1 : 0;
    g_logFont.lfStrikeOut = (font->style_ & kStrikethru) ? 1 : 0;
    g_logFont.lfUnderline = (font->style_ & kUnderline) ? 1 : 0;
    return &g_logFont;
  }
  HGDIOBJ handle = font && font->font_ ? (HGDIOBJ)(HFONT)*font->font_ : ::GetStockObject(SYSTEM_FONT);
  if (!handle || !::GetObjectA(handle, sizeof(LOGFONTA), &g_logFont)) return nullptr;
  switch (which) {
    case kDatumLogFont:
    case kDatumHeight:
      return &g_logFont;
    case kDatumFaceName:
      return g_logFont.lfFaceName;
    case kDatumWeight:
      return &g_logFont.lfWeight;
    case kDatumItalic:
      return &g_logFont.lfItalic;
    case kDatumStrikeOut:
      return &g_logFont.lfStrikeOut;
    case kDatumUnderline:
      return &g_logFont.lfUnderline;
    default:
      return nullptr;
  }
}

void IWFont::RefreshShowing(HFONT old) {
  if (!old) return;
  RefreshArgs args{old};
  InterObjRep* proto = IWWindow::PO_GetObject();
  proto->forProgeny(&RefreshIfShowing, &args);
}

void IWFont::UpdateFont(LOGFONTA& lf) {
  std::unique_ptr<TFont> made(new TFont(lf));
  std::unique_ptr<TFont> old = std::move(font_);
  font_ = std::move(made);
  if (old) RefreshShowing((HFONT)*old);  // before the old handle goes
}

void IWFont::DescribeFont(LOGFONTA& out) {
  if (void* lf = GetFontDatum(kDatumLogFont)) std::memcpy(&out, lf, sizeof(LOGFONTA));
}

void IWFont::ModifyFont(LOGFONTA& in) {
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, in.lfFaceName, LF_FACESIZE);
  CopyFace(face_, face);
  size_ = HeightToPoints(in.lfHeight);
  style_ = (uint8_t)((in.lfWeight > 500 ? kBold : 0) | (in.lfItalic ? kItalic : 0) |
                     (in.lfStrikeOut ? kStrikethru : 0) | (in.lfUnderline ? kUnderline : 0));
  changed();
  UpdateFont(in);
}

HFONT IWFont::pdGetHFont() {
  if (dying_) return nullptr;
  if (!font_) {
    LOGFONTA lf = *static_cast<LOGFONTA*>(GetFontDatum(kDatumStored));
    font_.reset(new TFont(lf));
  }
  UTILS_ASSERT(font_ != nullptr);
  return (HFONT)*font_;
}

// ---- properties ----

template <class Change>
void IWFont::realiseWith(Change change) {
  void* now = GetFontDatum(kDatumLogFont);
  if (!now) return;
  LOGFONTA lf = *static_cast<LOGFONTA*>(now);
  change(lf);
  UpdateFont(lf);
}

ValStringRep* IWFont::pdGetFaceName() {
  const char* face = static_cast<const char*>(GetFontDatum(kDatumFaceName));
  return new ValStringRep(face ? face : "");
}

void IWFont::pdSetFaceName(const char* name) {
  if (!name) return;
  CopyFace(face_, name);
  changed();
  realiseWith([&](LOGFONTA& lf) { CopyFace(lf.lfFaceName, name); });
}

float IWFont::pdGetSize() {
  const LOGFONTA* lf = static_cast<const LOGFONTA*>(GetFontDatum(kDatumHeight));
  return lf ? HeightToPoints(lf->lfHeight) : 0.0f;
}

void IWFont::pdSetSize(float size) {
  // A size whose height a LOGFONT cannot hold is refused before anything changes.
  if (!std::isfinite(size) || std::fabs((double)size) * 20.0 / TwipsY() > 1.0e6)
    throw StoreException(kMsgInvalidArgument, "Size");
  size_ = std::fabs(size);
  changed();
  realiseWith([&](LOGFONTA& lf) {
    lf.lfHeight = PointsToHeight(size);
    lf.lfWidth = 0;
  });
}

void IWFont::setStyle(uint8_t bit, long on) {
  style_ = on ? uint8_t(style_ | bit) : uint8_t(style_ & ~bit);
  changed();
  realiseWith([&](LOGFONTA& lf) {
    BYTE b = on ? 1 : 0;
    switch (bit) {
      case kBold:
        lf.lfWeight = on ? FW_BOLD : FW_NORMAL;
        break;
      case kItalic:
        lf.lfItalic = b;
        break;
      case kStrikethru:
        lf.lfStrikeOut = b;
        break;
      default:
        lf.lfUnderline = b;
        break;
    }
  });
}

long IWFont::pdGetBold() {
  const LONG* w = static_cast<const LONG*>(GetFontDatum(kDatumWeight));
  return w && *w > 500 ? -1 : 0;
}

long IWFont::pdGetItalic() {
  const BYTE* b = static_cast<const BYTE*>(GetFontDatum(kDatumItalic));
  return b && *b ? -1 : 0;
}

long IWFont::pdGetStrikethru() {
  const BYTE* b = static_cast<const BYTE*>(GetFontDatum(kDatumStrikeOut));
  return b && *b ? -1 : 0;
}

long IWFont::pdGetUnderline() {
  const BYTE* b = static_cast<const BYTE*>(GetFontDatum(kDatumUnderline));
  return b && *b ? -1 : 0;
}

void IWFont::pdSetBold(long on) { setStyle(kBold, on); }
void IWFont::pdSetItalic(long on) { setStyle(kItalic, on); }
void IWFont::pdSetStrikethru(long on) { setStyle(kStrikethru, on); }
void IWFont::pdSetUnderline(long on) { setStyle(kUnderline, on); }

// ---- text unload ----

// Every line comes from the stored description, as the stream does: a font with
// nothing realised is written as described, not as the system font, and Underline
// survives the round trip.
short IWFont::imTextUnload(const char* indent, ValString* cmds) {
  if (!cmds) return -1;
  std::string in = indent ? indent : "";
  std::string face;
  for (const char* p = face_; *p; ++p) face += *p == '"' ? std::string("\"\"") : std::string(1, *p);
  char size[64];
  std::snprintf(size, sizeof size, "%f", (double)size_);
  auto flag = [&](const char* name, uint8_t bit) {
    return in + "." + name + " := " + ((style_ & bit) ? "True" : "False") + "\n";
  };
  std::string text = in + ".FaceName := \"" + face + "\"\n" + in + ".Size := " + size + "\n" +
                     flag("Bold", kBold) + flag("Italic", kItalic) + flag("Strikethru", kStrikethru) +
                     flag("Underline", kUnderline);
  *cmds = ValString(cmds->str() + text);
  return -1;
}
