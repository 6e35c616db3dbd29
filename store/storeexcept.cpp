// StoreException and its kinds.
#include "store/storeexcept.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "olecls/ocl.h"

std::string StoreException::Format(unsigned id, const char* a1, const char* a2, const char* a3) {
  const char* text = StoreMessageText(id);
  if (!text) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Exception #%u (no message available).", id);
    return buf;
  }
  const char* args[3] = {a1, a2, a3};
  std::string out;
  int next = 0;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      const char* a = next < 3 ? args[next] : nullptr;
      ++next;
      if (a) out += a;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

StoreException::StoreException(const char* text) : XException(text ? text : "") {}
StoreException::StoreException(const std::string& text) : XException(text) {}

StoreException::StoreException(unsigned id, const char* arg)
    : XException(Format(id, arg, nullptr, nullptr)), id_(id) {
  if (arg) args_[0] = arg;
}

StoreException::StoreException(unsigned id, const char* a1, const char* a2, const char* a3)
    : XException(Format(id, a1, a2, a3)), id_(id) {
  if (a1) args_[0] = a1;
  if (a2) args_[1] = a2;
  if (a3) args_[2] = a3;
}

StoreException::~StoreException() noexcept {}
XException* StoreException::Clone() const { return new StoreException(*this); }
void StoreException::Throw() const { throw *this; }
const char* StoreException::className() const { return "StoreException"; }

#define OV_STORE_EXCEPTION_BODY(Name, Caption)                \
  Name::~Name() noexcept {}                                   \
  XException* Name::Clone() const { return new Name(*this); } \
  void Name::Throw() const { throw *this; }                   \
  const char* Name::className() const { return Caption; }

ObjectLoadFailed::ObjectLoadFailed(const char* className) : StoreException(kMsgObjectLoadFailed, className) {}
OV_STORE_EXCEPTION_BODY(ObjectLoadFailed, "ObjectLoadFailed")

PauseExecution::PauseExecution() : StoreException(kMsgPauseExecution) {}
OV_STORE_EXCEPTION_BODY(PauseExecution, "PauseExecution")

TerminateExecution::TerminateExecution() : StoreException(kMsgTerminateExecution) {}
OV_STORE_EXCEPTION_BODY(TerminateExecution, "TerminateExecution")

FPException::FPException(const char* text, const char* kind)
    : StoreException(text), kind_(kind ? kind : "MathError") {}
FPException::FPException(unsigned id, const char* kind) : StoreException(id), kind_(kind ? kind : "FPE") {}
FPException::~FPException() noexcept {}
XException* FPException::Clone() const { return new FPException(*this); }
void FPException::Throw() const { throw *this; }
const char* FPException::className() const { return kind_.c_str(); }

unsigned FPExceptionIdForCode(int subcode) {
  switch (subcode) {
    case 126:
      return kMsgIntegerOverflow;
    case 127:
      return kMsgIntDivisionByZero;
    case 129:
      return kMsgFPInvalid;
    case 131:
      return kMsgDivisionByZero;
    case 132:
      return kMsgFPOverflow;
    case 133:
      return kMsgFPUnderflow;
    case 134:
      return kMsgFPInexact;
    case 135:
      return kMsgFPStackFault;
    case 140:
      return kMsgFPRaised;
    default:
      return 0;
  }
}

DatabaseError::DatabaseError(const char* text) : StoreException(kMsgDatabaseError, text) {}
OV_STORE_EXCEPTION_BODY(DatabaseError, "DatabaseError")

FieldCollision::FieldCollision(const char* name) : StoreException(kMsgFieldCollision, name) {}
FieldCollision::FieldCollision(unsigned id, const char* name) : StoreException(id, name) {}
OV_STORE_EXCEPTION_BODY(FieldCollision, "FieldCollision")

MatchingFieldCollision::MatchingFieldCollision(const char* name)
    : FieldCollision(kMsgMatchingFieldCollision, name) {}
OV_STORE_EXCEPTION_BODY(MatchingFieldCollision, "MatchingFieldCollision")

CollisionOnSelf::CollisionOnSelf(const char* name) : FieldCollision(kMsgCollisionOnSelf, name) {}
OV_STORE_EXCEPTION_BODY(CollisionOnSelf, "CollisionOnSelf")

CollisionOnParent::CollisionOnParent(const char* name) : FieldCollision(kMsgCollisionOnParent, name) {}
OV_STORE_EXCEPTION_BODY(CollisionOnParent, "CollisionOnParent")

MethodDataCollision::MethodDataCollision(const char* name) : FieldCollision(kMsgMethodDataCollision, name) {}
OV_STORE_EXCEPTION_BODY(MethodDataCollision, "MethodDataCollision")

DataMethodCollision::DataMethodCollision(const char* name) : FieldCollision(kMsgDataMethodCollision, name) {}
OV_STORE_EXCEPTION_BODY(DataMethodCollision, "DataMethodCollision")

namespace {
std::string num(long v) { return std::to_string(v); }
}  // namespace

RangeError::RangeError(unsigned id, long low, long high, long value)
    : StoreException(id, num(value).c_str(), num(low).c_str(), num(high).c_str()),
      low_(low),
      high_(high),
      value_(value) {}
OV_STORE_EXCEPTION_BODY(RangeError, "RangeError")

NotFound::NotFound(const char* name) : StoreException(kMsgNotFound, name) {}
OV_STORE_EXCEPTION_BODY(NotFound, "NotFound")

AccessDenied::AccessDenied(const char* what) : StoreException(kMsgAccessDenied, what) {}
OV_STORE_EXCEPTION_BODY(AccessDenied, "AccessDenied")

UnnamedSignature::UnnamedSignature() : StoreException(kMsgUnnamedSignature) {}
OV_STORE_EXCEPTION_BODY(UnnamedSignature, "UnnamedSignature")

ConvertFailed::ConvertFailed(const char* what) : StoreException(kMsgConvertFailed, what) {}
OV_STORE_EXCEPTION_BODY(ConvertFailed, "ConvertFailed")

ProxyResolveFailed::ProxyResolveFailed(const char* name) : StoreException(kMsgProxyResolveFailed, name) {}
OV_STORE_EXCEPTION_BODY(ProxyResolveFailed, "ProxyResolveFailed")

ModuleOpenFailed::ModuleOpenFailed(const char* text) : StoreException(kMsgModuleOpenFailed, text) {}
ModuleOpenFailed::ModuleOpenFailed(const char* path, const std::string& reason)
    : StoreException(Format(kMsgModuleOpenFailed, path, nullptr, nullptr) +
                     (reason.empty() ? "" : " " + reason)) {}
OV_STORE_EXCEPTION_BODY(ModuleOpenFailed, "ModuleOpenFailed")

OutOfMemory::OutOfMemory() : StoreException("Out of memory.") {}
OV_STORE_EXCEPTION_BODY(OutOfMemory, "OutOfMemory")

ModuleSaveFailed::ModuleSaveFailed(const char* path, const std::string& reason)
    : StoreException(std::string("The module '") + (path ? path : "") + "' could not be saved." +
                     (reason.empty() ? "" : " " + reason)) {}
OV_STORE_EXCEPTION_BODY(ModuleSaveFailed, "ModuleSaveFailed")

TypeMismatch::TypeMismatch(const char* context, unsigned id) : StoreException(id, context) {}
OV_STORE_EXCEPTION_BODY(TypeMismatch, "TypeMismatch")

namespace {

// The system's text for a code, without the trailing line break.
std::string systemText(unsigned long code) {
  char buf[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, (DWORD)code,
                           0, buf, sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) buf[--n] = 0;
  return buf;
}

std::string oleText(long hr, const char* context) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", (unsigned long)hr);
  std::string t = StoreException::Format(kMsgOleError, code, context ? context : "?", nullptr);
  const char* s = OleResult::Text(hr);
  if (s) t += std::string(" ") + s;
  return t;
}

}  // namespace

OleException::OleException(long hr, const char* context) : StoreException(oleText(hr, context)), hr_(hr) {}

namespace {

std::string serverText(long hr, const std::string& description, const std::string& source) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", (unsigned long)hr);
  std::string t = StoreException::Format(kMsgOleError, code, source.empty() ? "the server" : source.c_str(), nullptr);
  if (!description.empty()) t += " " + description;
  return t;
}

}  // namespace

OleException::OleException(long hr, const std::string& description, const std::string& source)
    : StoreException(serverText(hr, description, source)), hr_(hr), description_(description), source_(source) {}
OV_STORE_EXCEPTION_BODY(OleException, "OleException")

long OleException::Check(long hr, const char* context) {
  if (hr < 0) throw OleException(hr, context);
  return hr;
}

void ThrowSystemError(unsigned long code, const char* text) {
  if (code == 0) code = GetLastError();
  std::string s = systemText(code);
  std::string what = text && *text ? std::string(text) : std::string();
  if (!s.empty()) what += what.empty() ? s : " (" + s + ")";
  throw StoreException(kMsgSystemError, std::to_string(code).c_str(), what.c_str());
}
