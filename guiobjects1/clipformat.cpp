// ClipFormat: the registry of formats, name and number look-ups, and the global-memory
// medium builder.
#include "guiobjects1/clipformat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ClipFormat* ClipFormat::Formats = nullptr;

const char* const ClipFormat::names[kCfRowCount] = {
    "Metafile Picture", "DIB Bitmap",        "Bitmap",      "Text",
    "Embedded Object",  "Object Descriptor", "Link Source", "Link Source Descriptor",
    "FileName",         "Enhanced Metafile", "OEM Text",    "Unicode Text",
    "Palette"};

ClipFormat::ClipFormat(const char* n, unsigned long tymed, unsigned short cf) : next(Formats), name(n) {
  format.cfFormat = cf ? cf : (CLIPFORMAT)::RegisterClipboardFormatA(n);
  format.ptd = nullptr;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = tymed;
  Formats = this;
}

ClipFormat* ClipFormat::Find(const char* n) {
  if (!n) return nullptr;
  for (ClipFormat* f = Formats; f; f = f->next)
    if (f->name && std::strcmp(f->name, n) == 0) return f;
  return nullptr;
}

ClipFormat* ClipFormat::Find(unsigned short cf) {
  for (ClipFormat* f = Formats; f; f = f->next)
    if (f->format.cfFormat == cf) return f;
  return nullptr;
}

unsigned short ClipFormat::FormatFromName(const char* n) {
  if (!n) return 0;
  if (unsigned short cf = (unsigned short)(std::atol(n) & 0xFFFF)) return cf;
  if (ClipFormat* f = Find(n)) return f->format.cfFormat;
  return (unsigned short)::RegisterClipboardFormatA(n);
}

char* ClipFormat::NameFromFormat(unsigned short cf, char* buf, int size) {
  if (!buf || size <= 0) return buf;
  buf[0] = 0;
  if (::GetClipboardFormatNameA(cf, buf, size) > 0) return buf;
  if (ClipFormat* f = Find(cf)) {
    std::snprintf(buf, (size_t)size, "%s", f->name ? f->name : "");
    return buf;
  }
  std::snprintf(buf, (size_t)size, "%d", (int)cf);
  return buf;
}

void* ClipFormat::CopyToHGlobalMedium(STGMEDIUM& medium, unsigned size, const void* source) {
  medium.tymed = TYMED_HGLOBAL;
  medium.pUnkForRelease = nullptr;
  medium.hGlobal = ::GlobalAlloc(GMEM_DDESHARE, size);
  void* at = medium.hGlobal ? ::GlobalLock(medium.hGlobal) : nullptr;
  if (at) {
    if (size && source) std::memcpy(at, source, size);
    ::GlobalUnlock(medium.hGlobal);
  }
  return at;
}

// Built with its own buffer as the name and nothing registered yet (0xFFFF), then named
// after the process and registered.
ProcessFormat::ProcessFormat() : ClipFormat(buffer_, TYMED_HGLOBAL, 0xFFFF) {
  std::snprintf(buffer_, sizeof buffer_, "Process #%lx", (unsigned long)::GetCurrentProcessId());
  format.cfFormat = (CLIPFORMAT)::RegisterClipboardFormatA(buffer_);
}

// The order of these definitions is the registry's order (see the header).
template <>
ClipFormat CfMetafilePict::s_fmt{ClipFormat::names[kCfMetafilePict], TYMED_MFPICT, CF_METAFILEPICT};
template <>
ClipFormat CfDib::s_fmt{ClipFormat::names[kCfDib], TYMED_HGLOBAL, CF_DIB};
template <>
ClipFormat CfBitmap::s_fmt{ClipFormat::names[kCfBitmap], TYMED_GDI, CF_BITMAP};
template <>
ClipFormat CfText::s_fmt{ClipFormat::names[kCfText], TYMED_HGLOBAL, CF_TEXT};
template <>
ClipFormat CfEmbeddedObject::s_fmt{ClipFormat::names[kCfEmbeddedObject], TYMED_ISTORAGE, 0};
template <>
ClipFormat CfObjectDescriptor::s_fmt{ClipFormat::names[kCfObjectDescriptor], TYMED_HGLOBAL, 0};
template <>
ClipFormat CfLinkSource::s_fmt{ClipFormat::names[kCfLinkSource], TYMED_ISTREAM, 0};
template <>
ClipFormat CfLinkSourceDescriptor::s_fmt{ClipFormat::names[kCfLinkSourceDescriptor], TYMED_HGLOBAL, 0};
template <>
ClipFormat CfFileName::s_fmt{ClipFormat::names[kCfFileName], TYMED_HGLOBAL, 0};
ProcessFormat ProcessFormat::s_fmt;
template <>
ClipFormat CfEnhMetafile::s_fmt{ClipFormat::names[kCfEnhMetafile], TYMED_ENHMF, CF_ENHMETAFILE};
template <>
ClipFormat CfOemText::s_fmt{ClipFormat::names[kCfOemText], TYMED_HGLOBAL, CF_OEMTEXT};
template <>
ClipFormat CfUnicodeText::s_fmt{ClipFormat::names[kCfUnicodeText], TYMED_HGLOBAL, CF_UNICODETEXT};
template <>
ClipFormat CfPalette::s_fmt{ClipFormat::names[kCfPalette], TYMED_GDI, CF_PALETTE};
