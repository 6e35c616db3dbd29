// ClipFormat: the registry of formats and the global-memory medium builder.
#include "guiobjects1/clipformat.h"

#include <cstdio>
#include <cstring>

ClipFormat* ClipFormat::Formats = nullptr;

ClipFormat::ClipFormat(const char* n, unsigned long tymed, unsigned short cf) : next(Formats), name(n) {
  format.cfFormat = cf ? cf : (CLIPFORMAT)::RegisterClipboardFormatA(n);
  format.ptd = nullptr;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = tymed;
  Formats = this;
}

void* ClipFormat::CopyToHGlobalMedium(STGMEDIUM& medium, unsigned size, const void* source) {
  medium.tymed = TYMED_HGLOBAL;
  medium.pUnkForRelease = nullptr;
  medium.hGlobal = ::GlobalAlloc(GMEM_DDESHARE, size);
  void* at = medium.hGlobal ? ::GlobalLock(medium.hGlobal) : nullptr;
  if (at) {
    if (size) std::memcpy(at, source, size);
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

ProcessFormat ProcessFormat::s_fmt;
