// IWXferPicture: the picture's offers, its GetData and QueryGetData, and the DIB of any
// data object.
#include "guiobjects1/iwxferpicture.h"

#include <new>

#include "guiobjects1/clipformat.h"
#include "iwxferpicture_convert.h"
#include "iwxferpicture_gdi.h"
#include "winlib/dib.h"
#include "winlib/gdiobjects.h"

namespace {

// The five formats in the order a source is read, with their bits.
struct Offer {
  const ClipFormat* format;
  unsigned bit;
};
const Offer kOffers[] = {
    {&CfPalette::s_fmt, IWXferPicture::kGotPalette},
    {&CfMetafilePict::s_fmt, IWXferPicture::kGotMetafilePict},
    {&CfDib::s_fmt, IWXferPicture::kGotDib},
    {&CfBitmap::s_fmt, IWXferPicture::kGotBitmap},
    {&CfEnhMetafile::s_fmt, IWXferPicture::kGotEnhMetafile},
};

// A medium of kind tymed over a duplicate of handle (empty when none could be made).
STGMEDIUM Duplicate(HANDLE handle, CLIPFORMAT cf, DWORD tymed) {
  STGMEDIUM m = {};
  HANDLE copy = handle ? ::OleDuplicateData(handle, cf, 0) : nullptr;
  if (copy) {
    m.tymed = tymed;
    m.hGlobal = HGLOBAL(copy);
  }
  return m;
}

}  // namespace

IWXferPicture::IWXferPicture(IDataObject* source) : IWXferObj(nullptr) {
  for (const Offer& o : kOffers) CopyOrFwd(o.format->format, source, o.bit);
}

IWXferPicture::IWXferPicture(const TBitmap& bitmap) : IWXferObj(nullptr) {
  STGMEDIUM m = Duplicate(bitmap.GetHandle(), CF_BITMAP, TYMED_GDI);
  Hold(CfBitmap::s_fmt.format, m, kGotBitmap);
  for (const Offer& o : kOffers)
    if (o.bit != kGotBitmap) Forward(o.format->format);
}

IWXferPicture::IWXferPicture(const TDib& dib) : IWXferObj(nullptr) {
  STGMEDIUM m = Duplicate(dib.GetHandle(), CF_DIB, TYMED_HGLOBAL);
  Hold(CfDib::s_fmt.format, m, kGotDib);
  for (const Offer& o : kOffers)
    if (o.bit != kGotDib) Forward(o.format->format);
}

IWXferPicture::IWXferPicture(HENHMETAFILE metafile) : IWXferObj(nullptr) {
  STGMEDIUM m = Duplicate(metafile, CF_ENHMETAFILE, TYMED_ENHMF);
  Hold(CfEnhMetafile::s_fmt.format, m, kGotEnhMetafile);
  for (const Offer& o : kOffers)
    if (o.bit != kGotEnhMetafile) Forward(o.format->format);
}

IWXferPicture::~IWXferPicture() = default;

void IWXferPicture::Forward(const FORMATETC& format) {
  getables_.AddXferable(new (std::nothrow) IWFwdXferable(format));
}

void IWXferPicture::Hold(const FORMATETC& format, STGMEDIUM& medium, unsigned bit) {
  if (medium.tymed == TYMED_NULL) {
    Forward(format);
    return;
  }
  FORMATETC held = format;
  held.tymed = medium.tymed;
  IWAnyGetable* entry = new (std::nothrow) IWAnyGetable(held, medium, static_cast<IDataObject*>(this));
  if (!entry) {
    picgdi::ReleaseRefused(format.cfFormat, medium);
    Forward(format);
    return;
  }
  if (getables_.AddXferable(entry)) got_ |= bit;
}

void IWXferPicture::CopyOrFwd(const FORMATETC& format, IDataObject* source, unsigned bit) {
  STGMEDIUM m = {};
  if (source) {
    FORMATETC asked = format;
    if (source->GetData(&asked, &m) != S_OK) {
      m = STGMEDIUM{};  // a failed call's medium is not ours to free
    } else if (!picgdi::PictureMediumOk(format.cfFormat, m)) {
      // Another program's picture that does not read within its data is refused.
      picgdi::ReleaseRefused(format.cfFormat, m);
    }
  }
  Hold(format, m, bit);
}

HRESULT STDMETHODCALLTYPE IWXferPicture::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  try {
    return picconv::Convert(this, got_, *format, *medium);
  } catch (...) {
    *medium = STGMEDIUM{};
    return E_OUTOFMEMORY;
  }
}

HRESULT STDMETHODCALLTYPE IWXferPicture::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (!format || !medium) return E_INVALIDARG;
  // The forwarding entries forward to this object: the base operation would come back
  // here through them for ever.
  return DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE IWXferPicture::QueryGetData(FORMATETC* format) {
  if (!format) return E_INVALIDARG;
  if (!got_) return DV_E_FORMATETC;
  for (const Offer& o : kOffers)
    if (picconv::Matches(o.format->format, *format))
      return o.bit != kGotEnhMetafile || (got_ & kGotEnhMetafile) ? S_OK : DV_E_FORMATETC;
  return DV_E_FORMATETC;
}

TDib* IWXferPicture::DibFromXferData(IDataObject* data, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  if (!data) return nullptr;
  FORMATETC f = CfDib::s_fmt.format;
  if (data->GetData(&f, &medium) != S_OK) {
    medium = STGMEDIUM{};
    return nullptr;
  }
  if (!picgdi::PictureMediumOk(CF_DIB, medium)) {
    picgdi::ReleaseRefused(CF_DIB, medium);
    return nullptr;
  }
  const bool own = medium.pUnkForRelease == nullptr;
  TDib* dib = nullptr;
  try {
    dib = new TDib(medium.hGlobal, own ? AutoDelete : NoAutoDelete);
  } catch (...) {
    dib = nullptr;
  }
  if (!dib) {
    picgdi::ReleaseRefused(CF_DIB, medium);
    return nullptr;
  }
  // The DIB frees the handle itself: the medium no longer holds it, so that releasing
  // it afterwards does not free the block twice.
  if (own) medium = STGMEDIUM{};
  return dib;
}

void IWXferPicture::ReleaseNullReader() { picconv::ReleaseNullReader(); }

long IWXferPicture::ConversionHandles() { return picgdi::Live(); }

long IWXferPicture::FailStep(long n) { return picgdi::FailStep(n); }
