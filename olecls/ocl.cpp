// OLE start-up and end, the task allocator, and result checking.
#include "olecls/ocl.h"

#include <cstdio>
#include <cstring>

int OCL::inited = 0;
IMalloc* OCL::pIMalloc = nullptr;
IDataObject* OCL::m_xfer = nullptr;

OCL::OCL() {
  if (FAILED(OleInitialize(nullptr))) {
    inited = 0;
    return;
  }
  inited = 1;
  CoGetMalloc(MEMCTX_TASK, &pIMalloc);
}

OCL::~OCL() {
  if (m_xfer && OleIsCurrentClipboard(m_xfer) == S_OK) {
    OleSetClipboard(nullptr);
    m_xfer = nullptr;
  }
  if (inited) {
    if (pIMalloc) pIMalloc->Release();
    pIMalloc = nullptr;
    inited = 0;
  }
}

void OCL::Free(void* p) {
  if (inited && pIMalloc) pIMalloc->Free(p);
}

char OleResult::buf[OleResult::kBufSize];

namespace {

// Appends s to buf at *n, cut to the buffer.
void append(char* buf, size_t size, size_t* n, const char* s, size_t len) {
  size_t room = size - 1 - *n;
  if (len > room) len = room;
  memcpy(buf + *n, s, len);
  *n += len;
  buf[*n] = '\0';
}

}  // namespace

bool OleResult::Check(HRESULT result, const char* context) {
  buf[0] = '\0';
  if (!FAILED(result)) return false;
  char text[1024];
  DWORD len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(result), 0x400, text, sizeof text, nullptr);
  if (len == 0) {
    // No system text (Wine has none for most OLE results): say at least what failed.
    if (context && *context)
      snprintf(buf, sizeof buf, "OLE error 0x%08lX: %s", static_cast<unsigned long>(result), context);
    else
      snprintf(buf, sizeof buf, "OLE error 0x%08lX", static_cast<unsigned long>(result));
    return true;
  }
  text[len < sizeof text ? len : sizeof text - 1] = '\0';
  // System texts name their inserts "%1"; the context is the first. Everything else is
  // copied as it is: the text must never act as a format.
  const char* ctx = context ? context : "";
  size_t n = 0;
  const char* p = text;
  while (const char* ins = strstr(p, "%1")) {
    append(buf, sizeof buf, &n, p, ins - p);
    append(buf, sizeof buf, &n, ctx, strlen(ctx));
    p = ins + 2;
  }
  append(buf, sizeof buf, &n, p, strlen(p));
  return true;
}

const char* OleResult::Text(HRESULT result) {
  static char text[512];
  DWORD len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(result), 0x400, text, sizeof text, nullptr);
  while (len > 0 && (text[len - 1] == '\r' || text[len - 1] == '\n' || text[len - 1] == ' '))
    text[--len] = '\0';
  if (len > 0) return text;
  // Wine has no texts for most storage results.
  struct Entry {
    HRESULT hr;
    const char* text;
  };
  static const Entry kTexts[] = {
      {STG_E_MEDIUMFULL, "There is not enough space on the disk."},
      {STG_E_WRITEFAULT, "The disk could not be written."},
      {STG_E_READFAULT, "The disk could not be read."},
      {STG_E_ACCESSDENIED, "Access is denied (the file or folder may be read-only)."},
      {STG_E_FILENOTFOUND, "The file was not found."},
      {STG_E_PATHNOTFOUND, "The folder was not found."},
      {STG_E_FILEALREADYEXISTS, "The file already exists."},
      {STG_E_SHAREVIOLATION, "The file is in use by another program."},
      {STG_E_LOCKVIOLATION, "The file is locked by another program."},
      {STG_E_INSUFFICIENTMEMORY, "There is not enough memory."},
      {E_OUTOFMEMORY, "There is not enough memory."},
      {STG_E_INVALIDHEADER, "The file is not a compound file or its header is damaged."},
      {STG_E_DOCFILECORRUPT, "The compound file is damaged."},
      {STG_E_INVALIDNAME, "The name is not valid."},
      {STG_E_TOOMANYOPENFILES, "Too many files are open."},
      {STG_E_INVALIDFUNCTION, "The operation is not valid here."},
      {STG_E_REVERTED, "The storage was reverted."},
      {STG_E_CANTSAVE, "The data could not be saved."},
  };
  for (const Entry& e : kTexts)
    if (e.hr == result) return e.text;
  return nullptr;
}

bool OleResult::logerror(HRESULT result) {
  result_ = result;
  return Check(result, nullptr);
}
