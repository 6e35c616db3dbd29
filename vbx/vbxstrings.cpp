// String handles. A C-string handle is counted: VBXDupCString adds a holder and
// VBXDestroyCString takes one away, the text going with the last. A basic string holds
// counted bytes (zeros allowed) and has one owner.
#include "vbxstate.h"

#include <cstring>

using namespace vbx;

namespace {

CString* FindCString(HSZ hsz) {
  CString* s = TheState().cstrings.Find(hsz);
  if (!s) TheState().lastError = VBXERR_BADHANDLE;
  return s;
}

std::string* FindBasicString(HLSTR hlstr) {
  std::string* s = TheState().bstrings.Find(hlstr);
  if (!s) TheState().lastError = VBXERR_BADHANDLE;
  return s;
}

}  // namespace

extern "C" {

HSZ VBXAPI VBXCreateCString(const char* text) {
  HSZ h = TheState().cstrings.Add(std::make_unique<CString>(CString{text ? text : "", 1}));
  return h ? Succeed(h) : Fail(VBXERR_NOMEMORY, HSZ(0));
}

HSZ VBXAPI VBXDupCString(HSZ hsz) {
  CString* s = FindCString(hsz);
  if (!s) return 0;
  ++s->refs;
  return Succeed(hsz);
}

int VBXAPI VBXDestroyCString(HSZ hsz) {
  CString* s = FindCString(hsz);
  if (!s) return VBXERR_BADHANDLE;
  if (--s->refs == 0) TheState().cstrings.Remove(hsz);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXGetCStringBuf(HSZ hsz, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  CString* s = FindCString(hsz);
  return s ? CopyOut(s->text, buffer, size) : 0;
}

int VBXAPI VBXGetCStringLength(HSZ hsz) {
  CString* s = FindCString(hsz);
  return s ? Succeed(int(s->text.size())) : -1;
}

int VBXAPI VBXGetCStringCount(void) { return Succeed(TheState().cstrings.Count()); }

int VBXAPI VBXGetCStringRefs(HSZ hsz) {
  CString* s = FindCString(hsz);
  return s ? Succeed(s->refs) : 0;
}

HLSTR VBXAPI VBXCreateBasicString(const char* bytes, int length) {
  if (length < 0 || (length > 0 && !bytes)) return Fail(VBXERR_BADVALUE, HLSTR(0));
  HLSTR h = TheState().bstrings.Add(std::make_unique<std::string>(bytes ? bytes : "", size_t(length)));
  return h ? Succeed(h) : Fail(VBXERR_NOMEMORY, HLSTR(0));
}

int VBXAPI VBXDestroyBasicString(HLSTR hlstr) {
  if (!FindBasicString(hlstr)) return VBXERR_BADHANDLE;
  TheState().bstrings.Remove(hlstr);
  return Outcome(VBXERR_NONE);
}

// Copies the bytes, zeros included, up to size - 1 and a terminator.
int VBXAPI VBXGetBasicStringBuf(HLSTR hlstr, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  std::string* s = FindBasicString(hlstr);
  return s ? CopyOut(*s, buffer, size) : 0;
}

int VBXAPI VBXGetBasicStringLength(HLSTR hlstr) {
  std::string* s = FindBasicString(hlstr);
  return s ? Succeed(int(s->size())) : -1;
}

int VBXAPI VBXSetBasicString(HLSTR hlstr, const char* bytes, int length) {
  std::string* s = FindBasicString(hlstr);
  if (!s) return VBXERR_BADHANDLE;
  if (length < 0 || (length > 0 && !bytes)) return Outcome(VBXERR_BADVALUE);
  s->assign(bytes ? bytes : "", size_t(length));
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXGetBasicStringCount(void) { return Succeed(TheState().bstrings.Count()); }

}  // extern "C"
