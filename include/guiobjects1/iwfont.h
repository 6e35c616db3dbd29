// IWFont: the published "Font" (a root class): a face name, a size in points and four
// style flags (the stored description), and the GDI font made from them when first
// needed (the realised font). Windows showing a Font take its handle through
// IWFontHandle.
//
// The getters read the realised font (the system font while nothing is realised); the
// stream, the clone and the text unload carry the stored description. A setter changes
// the stored description and then realises the current realised description with that
// one member changed, so the first setter on a new Font starts from the system font.
//
// Points and pixels go through the Screen's vertical twips per pixel:
//   points -> lfHeight: -trunc(points * 20 / twips + 0.5)
//   lfHeight -> points: twips * |lfHeight| / 20, rounded to the nearest point, so that
//   a size set at the usual resolutions reads back as set (10 -> -13 -> 9.75 -> 10).
//
// Replacing the realised font refreshes every published window whose current font
// (WM_GETFONT) is the old handle; a window showing another font is left alone.
//
// Stream block (revision 1), after the revision byte: style flags (UCHAR), face name
// (32 raw bytes, NUL-terminated), size (float).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "guiobjects1/iwwindow.h"
#include "guiobjects1/oviui1_api.h"
#include "store/poclass.h"

class TFont;
class ValString;
class ValStringRep;

class OVIUI1_API IWFont : public POClass<IWFont>, public IWFontHandle {
 public:
  enum StyleBits : uint8_t { kBold = 1, kItalic = 2, kStrikethru = 4, kUnderline = 8 };
  // What GetFontDatum answers: 0 the stored description, the others the realised font.
  enum FontDatum {
    kDatumStored = 0,
    kDatumLogFont = 1,
    kDatumFaceName = 2,
    kDatumHeight = 3,
    kDatumWeight = 4,
    kDatumItalic = 5,
    kDatumStrikeOut = 6,
    kDatumUnderline = 7
  };
  static const int kFaceChars = 31;

  explicit IWFont(IUnknown* outer);
  ~IWFont() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void clone(const IInterObj& source) override;

  // A pointer into the process-wide LOGFONT (valid until the next call), or null when
  // the realised font cannot be read or which is not a datum.
  static void* GetFontDatumOf(IWFont* font, int which);
  void* GetFontDatum(int which) { return GetFontDatumOf(this, which); }
  void UpdateFont(LOGFONTA& lf);
  void DescribeFont(LOGFONTA& out);
  void ModifyFont(LOGFONTA& in);
  HFONT pdGetHFont();
  HFONT FontHandle() override { return pdGetHFont(); }

  ValStringRep* pdGetFaceName();
  void pdSetFaceName(const char* name);
  float pdGetSize();
  void pdSetSize(float size);
  long pdGetBold();
  void pdSetBold(long on);
  long pdGetItalic();
  void pdSetItalic(long on);
  long pdGetStrikethru();
  void pdSetStrikethru(long on);
  long pdGetUnderline();
  void pdSetUnderline(long on);
  long pdGetHFontValue() { return (long)(LONG_PTR)pdGetHFont(); }
  short imTextUnload(const char* indent, ValString* cmds);

  // The stored description.
  uint8_t styleFlags() const { return style_; }
  const char* storedFaceName() const { return face_; }
  float storedSize() const { return size_; }

  static long PointsToHeight(double points);
  static float HeightToPoints(long height);
  static IWFont* Native(InterObjRep* obj) { return POClass<IWFont>::Native(obj); }

 private:
  void setStyle(uint8_t bit, long on);
  // Steps 3 and 4 of every setter: the realised description with one member changed.
  template <class Change>
  void realiseWith(Change change);
  // Refreshes every published window whose current font is old.
  static void RefreshShowing(HFONT old);

  uint8_t style_ = 0;
  char face_[32] = {};
  float size_ = 0;
  std::unique_ptr<TFont> font_;
  bool dying_ = false;  // set while the destructor refreshes the windows
};
