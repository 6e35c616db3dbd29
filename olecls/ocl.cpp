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
  DWORD len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(result), 0x400, text, sizeof text,
                             nullptr);
  if (len == 0) {
    // No system text (Wine has none for most OLE results): say at least what failed.
    if (context && *context)
      snprintf(buf, sizeof buf, "OLE error 0x%08lX: %s", static_cast<unsigned long>(result),
               context);
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

bool OleResult::logerror(HRESULT result) {
  result_ = result;
  return Check(result, nullptr);
}
