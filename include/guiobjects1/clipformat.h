// ClipFormat: one clipboard or drag-and-drop format (an OLE FORMATETC with a printable
// name), chained from ClipFormat::Formats into the process-wide registry, newest first.
//
// The library builds thirteen named formats (tClipFormat<row, medium, number>::s_fmt,
// one per ClipFormatRow) and the process format at load, in this order: rows 0 to 8,
// ProcessFormat::s_fmt, rows 9 to 12. Look-ups take the first match from the head, so
// the registry reads row 12, 11, 10, 9, the process format, row 8, ..., 0.
//
// ProcessFormat::s_fmt is the format of object references, valid only inside the process
// that registered it: its name carries the process identifier ("Process #%x"), so no
// other process finds a format of that number to read. Its data is one counted store
// reference (Faultp<InterObjRep>) copied byte for byte; whoever frees such a medium
// without a release owner destroys the reference in place first (IWXferObj::FreeMedium).
//
// Windows never frees the name registered for each process (one global atom per run of
// the system); harmless at this scale, and the price of never mixing up two processes'
// references.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/oviui1_api.h"

// The rows of the fixed table, in ClipFormat::names order.
enum ClipFormatRow : int {
  kCfMetafilePict = 0,          // "Metafile Picture"
  kCfDib = 1,                   // "DIB Bitmap"
  kCfBitmap = 2,                // "Bitmap"
  kCfText = 3,                  // "Text"
  kCfEmbeddedObject = 4,        // "Embedded Object", registered by name
  kCfObjectDescriptor = 5,      // "Object Descriptor", registered by name
  kCfLinkSource = 6,            // "Link Source", registered by name
  kCfLinkSourceDescriptor = 7,  // "Link Source Descriptor", registered by name
  kCfFileName = 8,              // "FileName", registered by name
  kCfEnhMetafile = 9,           // "Enhanced Metafile"
  kCfOemText = 10,              // "OEM Text"
  kCfUnicodeText = 11,          // "Unicode Text"
  kCfPalette = 12,              // "Palette"
  kCfRowCount = 13
};

class OVIUI1_API ClipFormat {
 public:
  // Target device null, aspect content, index -1, the given medium bits; format number
  // cf, or the number Windows registers for name when cf is 0. Joins the registry.
  ClipFormat(const char* name, unsigned long tymed, unsigned short cf);
  ClipFormat(const ClipFormat&) = delete;
  ClipFormat& operator=(const ClipFormat&) = delete;

  // The first description from the head whose name equals name exactly (case counts),
  // or whose format number is cf; null if none.
  static ClipFormat* Find(const char* name);
  static ClipFormat* Find(unsigned short cf);

  // The format number for a name a Basic program gives: a decimal number whose low 16
  // bits are not 0 gives those bits ("8" is 8, "65536" is a name); else the registry's
  // description of that name; else the number Windows registers for the name now (0
  // when Windows refuses).
  static unsigned short FormatFromName(const char* name);
  // The name of format cf into buf (at most size bytes, always terminated when size >
  // 0): the name Windows keeps for a registered format, else the registry's name, else
  // the number as decimal text. Answers buf.
  static char* NameFromFormat(unsigned short cf, char* buf, int size);

  // A new global-memory medium (kind TYMED_HGLOBAL, no release owner) holding a copy of
  // size bytes from source. Answers the address the block was locked at while copying
  // (null when it could not be made or locked); the medium keeps the block either way.
  static void* CopyToHGlobalMedium(STGMEDIUM& medium, unsigned size, const void* source);

  FORMATETC format;
  ClipFormat* next;
  const char* name;

  static ClipFormat* Formats;  // the registry's head
  static const char* const names[kCfRowCount];
};

// One row of the fixed table: s_fmt is built from names[Row] with the medium bits and
// the format number (0: registered by name). Only the thirteen rows below exist.
template <int Row, unsigned long Tymed, unsigned short Cf>
class tClipFormat {
 public:
  static ClipFormat s_fmt;
};

using CfMetafilePict = tClipFormat<kCfMetafilePict, TYMED_MFPICT, CF_METAFILEPICT>;
using CfDib = tClipFormat<kCfDib, TYMED_HGLOBAL, CF_DIB>;
using CfBitmap = tClipFormat<kCfBitmap, TYMED_GDI, CF_BITMAP>;
using CfText = tClipFormat<kCfText, TYMED_HGLOBAL, CF_TEXT>;
using CfEmbeddedObject = tClipFormat<kCfEmbeddedObject, TYMED_ISTORAGE, 0>;
using CfObjectDescriptor = tClipFormat<kCfObjectDescriptor, TYMED_HGLOBAL, 0>;
using CfLinkSource = tClipFormat<kCfLinkSource, TYMED_ISTREAM, 0>;
using CfLinkSourceDescriptor = tClipFormat<kCfLinkSourceDescriptor, TYMED_HGLOBAL, 0>;
using CfFileName = tClipFormat<kCfFileName, TYMED_HGLOBAL, 0>;
using CfEnhMetafile = tClipFormat<kCfEnhMetafile, TYMED_ENHMF, CF_ENHMETAFILE>;
using CfOemText = tClipFormat<kCfOemText, TYMED_HGLOBAL, CF_OEMTEXT>;
using CfUnicodeText = tClipFormat<kCfUnicodeText, TYMED_HGLOBAL, CF_UNICODETEXT>;
using CfPalette = tClipFormat<kCfPalette, TYMED_GDI, CF_PALETTE>;

// Defined (in this order) in clipformat.cpp only: the rows are never instantiated
// implicitly, which keeps their construction order fixed.
template <>
OVIUI1_API ClipFormat CfMetafilePict::s_fmt;
template <>
OVIUI1_API ClipFormat CfDib::s_fmt;
template <>
OVIUI1_API ClipFormat CfBitmap::s_fmt;
template <>
OVIUI1_API ClipFormat CfText::s_fmt;
template <>
OVIUI1_API ClipFormat CfEmbeddedObject::s_fmt;
template <>
OVIUI1_API ClipFormat CfObjectDescriptor::s_fmt;
template <>
OVIUI1_API ClipFormat CfLinkSource::s_fmt;
template <>
OVIUI1_API ClipFormat CfLinkSourceDescriptor::s_fmt;
template <>
OVIUI1_API ClipFormat CfFileName::s_fmt;
template <>
OVIUI1_API ClipFormat CfEnhMetafile::s_fmt;
template <>
OVIUI1_API ClipFormat CfOemText::s_fmt;
template <>
OVIUI1_API ClipFormat CfUnicodeText::s_fmt;
template <>
OVIUI1_API ClipFormat CfPalette::s_fmt;

class OVIUI1_API ProcessFormat : public ClipFormat {
 public:
  ProcessFormat();
  static ProcessFormat s_fmt;

 private:
  char buffer_[64];
};
