// ClipFormat: one clipboard or drag-and-drop format (an OLE FORMATETC with a printable
// name), chained from ClipFormat::Formats into the process-wide registry, newest first.
// ProcessFormat::s_fmt is the format of object references, valid only inside the process
// that registered it: its name carries the process identifier ("Process #%x"), so no
// other process finds a format of that number to read. Its data is one counted store
// reference (Faultp<InterObjRep>) copied byte for byte; whoever frees such a medium
// destroys the reference in place first (IWXferObj::FreeMedium).
//
// Windows never frees the name registered for each process; harmless at this scale.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API ClipFormat {
 public:
  // Target device null, aspect content, index -1, the given medium bits; format number
  // cf, or the number Windows registers for name when cf is 0. Joins the registry.
  ClipFormat(const char* name, unsigned long tymed, unsigned short cf);
  ClipFormat(const ClipFormat&) = delete;
  ClipFormat& operator=(const ClipFormat&) = delete;

  // A new global-memory medium (kind TYMED_HGLOBAL, no release owner) holding a copy of
  // size bytes from source. Answers the address the block was locked at while copying
  // (null when it could not be made or locked); the medium keeps the block either way.
  static void* CopyToHGlobalMedium(STGMEDIUM& medium, unsigned size, const void* source);

  FORMATETC format;
  ClipFormat* next;
  const char* name;

  static ClipFormat* Formats;  // the registry's head
};

class OVIUI1_API ProcessFormat : public ClipFormat {
 public:
  ProcessFormat();
  static ProcessFormat s_fmt;

 private:
  char buffer_[64];
};
