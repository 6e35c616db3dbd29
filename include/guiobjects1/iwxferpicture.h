// IWXferPicture: a data object (IWXferObj) for one picture. It holds the picture in the
// form it came in (a bitmap, a DIB, an enhanced metafile, or whatever picture formats a
// foreign data object gave) and hands it out as any of five formats, converting on
// request:
//
//   Palette, Metafile Picture, DIB Bitmap, Bitmap, Enhanced Metafile
//
// Its offers are one held entry per format it holds and one forwarding entry per format
// it does not; forwarding entries forward to the picture itself, so they reach GetData,
// which converts. QueryGetData answers for what the picture can be asked without a
// conversion that may fail for want of a source (an enhanced metafile only when one is
// held), while GetData converts to every format.
//
// Each GetData works with one conversion state and a reader per source format (the
// readers and conversions live in iwxferpicture_convert.cpp). A conversion that fails at
// any step frees what it had made and answers DV_E_FORMATETC (no picture to read, or one
// that does not play) or E_OUTOFMEMORY (an allocation or GDI object refused): never a
// half-built medium, never an exception. Pictures from another program are checked when
// they are taken: a DIB whose header, colour count, bit count or size does not fit its
// memory, a metafile picture whose block is short or whose metafile is not one, a GDI
// handle of the wrong kind are refused (the format is then forwarded, as if not offered).
//
// Palettes and bitmaps go out as GDI media, DIBs as global memory, metafile pictures as
// the system's METAFILEPICT block, all without release owner; a held format goes out as
// held, with the picture as release owner.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/iwxferobj.h"
#include "guiobjects1/oviui1_api.h"

class TBitmap;
class TDib;

class OVIUI1_API IWXferPicture : public IWXferObj {
 public:
  // The formats held, a bit set.
  enum gotfmts : unsigned {
    kGotPalette = 1,
    kGotMetafilePict = 2,
    kGotDib = 4,
    kGotBitmap = 8,
    kGotEnhMetafile = 16,
  };

  // Copies the picture formats source offers (Palette, Metafile Picture, DIB, Bitmap,
  // Enhanced Metafile, in this order) and forwards the others; a null source gives a
  // picture that holds nothing.
  explicit IWXferPicture(IDataObject* source);
  // A duplicate of the bitmap's, the DIB's or the enhanced metafile's handle: the
  // picture never takes the caller's handle.
  explicit IWXferPicture(const TBitmap& bitmap);
  explicit IWXferPicture(const TDib& dib);
  explicit IWXferPicture(HENHMETAFILE metafile);

  unsigned Held() const { return got_; }

  IDataObject* FwdTo() override { return this; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  // Pictures are never written onto a caller's medium: DV_E_FORMATETC.
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;

  // The DIB of any data object that gives one (a picture converts): empties medium, asks
  // data for "DIB Bitmap" into it and answers a DIB over its handle, or null. Without a
  // release owner the DIB takes the handle over and medium is left empty; with one, the
  // DIB only reads the handle. Either way the caller deletes the DIB, then releases
  // medium. A DIB that does not fit its memory gives null and an empty medium.
  static TDib* DibFromXferData(IDataObject* data, STGMEDIUM& medium);

  // Frees the shared state of the reader that answers for missing formats (at unload).
  static void ReleaseNullReader();

  // For tests. The GDI objects, metafiles and global blocks the conversions hold at
  // this moment (made and neither freed nor handed out): 0 between conversions.
  static long ConversionHandles();
  // Makes the n-th resource step from now (an allocation, a DC, a GDI object, a
  // metafile) fail as if the system had refused it; 0 turns it off. Answers the steps
  // taken since the last call.
  static long FailStep(long n);

 protected:
  ~IWXferPicture() override;

 private:
  // Holds medium as format with bit, or forwards format when medium is empty.
  void Hold(const FORMATETC& format, STGMEDIUM& medium, unsigned bit);
  void CopyOrFwd(const FORMATETC& format, IDataObject* source, unsigned bit);
  void Forward(const FORMATETC& format);

  unsigned got_ = 0;
};
