// OLE start-up, the task allocator, result checking and ANSI/UTF-16 conversion.
//
// OCL         one object per program keeps OLE initialised (OleInitialize) and holds the
//             task allocator; its destructor takes the system's data object off the
//             clipboard. OLE is deliberately not uninitialised.
// OleResult   the last HRESULT of an operation; Check formats the system's text of a
//             failure into the static OleResult::buf (user-interface thread only).
//             Nothing here throws.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/ovole_api.h"

class OVOLE_API OCL {
 public:
  OCL();
  ~OCL();
  OCL(const OCL&) = delete;
  OCL& operator=(const OCL&) = delete;

  // Frees a block of the task allocator; nothing when OLE is not initialised.
  static void Free(void* p);

  static int inited;           // 1 after a successful OleInitialize
  static IMalloc* pIMalloc;    // the task allocator
  static IDataObject* m_xfer;  // our data object on the clipboard, set by the clipboard code
};

class OVOLE_API OleResult {
 public:
  enum { kBufSize = 1024 };

  OleResult() : result_(S_OK) {}

  // True for a failed result. Empties buf; for a failure, buf gets the system's text
  // with each "%1" insert replaced by context (empty when null), the text never acting
  // as a format; without a system text, "OLE error 0x80030002: context".
  static bool Check(HRESULT result, const char* context);
  // A short text for result: the system's when it has one, else ours for the storage
  // results (a full disk, a locked or read-only file, damaged data ...), else null.
  static const char* Text(HRESULT result);
  // Stores result as this object's last result, then Check(result, null).
  bool logerror(HRESULT result);

  HRESULT result() const { return result_; }
  bool failed() const { return FAILED(result_); }

  static char buf[kBufSize];

 protected:
  void setResult(HRESULT result) { result_ = result; }

 private:
  HRESULT result_;
};

// ANSI code page <-> UTF-16 into the caller's buffer (size in characters for the wide
// buffer, bytes for the narrow one), cut to fit and always terminated; a null text is
// empty. Answers the characters written including the terminator. A null buffer or a
// size of 0 or less is an assertion. The _sz forms answer the size the whole text needs.
OVOLE_API int str2wide(const char* s, wchar_t* buf, int size);
OVOLE_API int str2wide_sz(const char* s);
OVOLE_API int wide2str(const wchar_t* s, char* buf, int size);
OVOLE_API int wide2str_sz(const wchar_t* s);
