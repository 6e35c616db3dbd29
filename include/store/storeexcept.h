// The store's run-time errors.
//
// StoreException derives from ovutil's XException (catch sites call userHandled). It
// carries either a message id of the store's message table (StoreMessageText) with up to
// three text arguments, or a ready text; the line where it happened (adjustable: the
// interpreter fills it in as the exception passes), and optionally the object and member
// names. what() is the formatted text. className() names the kind; message boxes use it
// as their caption.
//
// Message texts use %s for the arguments in order. An id without text in the table reads
// "Exception #<id> (no message available)."
//
// Catch only what you handle: XAssert, xmsg-derived framework exceptions and a launcher's
// loop-goto class must pass through unchanged.
#pragma once

#include <string>

#include "store/ovstore_api.h"
#include "utils/xexception.h"

// Message ids of the store.
enum StoreMessageId : unsigned {
  kMsgObjectLoadFailed = 32680,
  kMsgPauseExecution = 32681,
  kMsgTerminateExecution = 32682,
  kMsgDatabaseError = 32683,
  kMsgFieldCollision = 32684,
  kMsgMatchingFieldCollision = 32685,
  kMsgCollisionOnSelf = 32686,
  kMsgCollisionOnParent = 32687,
  kMsgMethodDataCollision = 32688,
  kMsgDataMethodCollision = 32689,
  kMsgAccessDenied = 32690,
  kMsgGroupNoMember = 32691,       // no object of the group has the member
  kMsgGroupEmpty = 32692,          // the group holds no object
  kMsgGroupMemberMissing = 32693,  // one object of the group lacks the member
  kMsgUnnamedSignature = 32694,
  kMsgConvertFailed = 32695,
  kMsgProxyResolveFailed = 32696,
  kMsgModuleOpenFailed = 32697,
  kMsgSystemError = 32698,
  kMsgFPRaised = 32699,
  kMsgFPStackFault = 32700,
  kMsgFPInexact = 32701,
  kMsgFPUnderflow = 32702,
  kMsgFPOverflow = 32703,
  kMsgDivisionByZero = 32704,
  kMsgFPInvalid = 32705,
  kMsgIntDivisionByZero = 32706,
  kMsgIntegerOverflow = 32707,
  kMsgOleError = 32708,
  kMsgNotFound = 32710,
  kMsgInvalidArgument = 32712,
  kMsgNoValue = 32725,
  kMsgValueOutOfRange = 32727,
  kMsgPositionOutOfRange = 32728,
  kMsgIndexOutOfRange = 32736,
  kMsgTypeMismatch = 32765,
};

// The table text of id (with %s placeholders), or null.
OVSTORE_API const char* StoreMessageText(unsigned id);

// "wrong number of arguments for 'name': <expected> expected, <given> given"
OVSTORE_API std::string WrongArgumentCountText(const char* name, int expected, int given);

class OVSTORE_API StoreException : public XException {
 public:
  explicit StoreException(const char* text);
  explicit StoreException(const std::string& text);
  StoreException(unsigned id, const char* arg);
  explicit StoreException(unsigned id) : StoreException(id, (const char*)nullptr) {}
  StoreException(unsigned id, const char* arg1, const char* arg2, const char* arg3 = nullptr);
  StoreException(const StoreException&) = default;
  ~StoreException() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  // The kind's name ("StoreException", "FPException", ...): the caption of its box.
  virtual const char* className() const;

  unsigned id() const { return id_; }  // 0 for a plain text
  const std::string& arg(int i = 0) const { return args_[i]; }
  const std::string& text() const { return why(); }

  int line() const { return line_; }  // -1 when unknown
  void setLine(int line) { line_ = line; }
  // Sets the line only when none is set yet (the innermost statement wins).
  void setLineIfUnknown(int line) {
    if (line_ < 0) line_ = line;
  }
  const std::string& objectName() const { return object_; }
  const std::string& memberName() const { return member_; }
  void setObjectName(const char* name) { object_ = name ? name : ""; }
  void setMemberName(const char* name) { member_ = name ? name : ""; }

  // Formats message id with args into the text the exception shows.
  static std::string Format(unsigned id, const char* a1, const char* a2, const char* a3);

 private:
  unsigned id_ = 0;
  std::string args_[3];
  int line_ = -1;
  std::string object_;
  std::string member_;
};

// Declares a kind: copy, Clone, Throw and className in one line.
#define OV_STORE_EXCEPTION_KIND(Name)       \
  Name(const Name&) = default;              \
  ~Name() noexcept override;                \
  XException* Clone() const override;       \
  [[noreturn]] void Throw() const override; \
  const char* className() const override

class OVSTORE_API ObjectLoadFailed : public StoreException {
 public:
  explicit ObjectLoadFailed(const char* className);
  OV_STORE_EXCEPTION_KIND(ObjectLoadFailed);
};

// Thrown by the debugger's pause to unwind to the loop that suspends execution.
class OVSTORE_API PauseExecution : public StoreException {
 public:
  PauseExecution();
  OV_STORE_EXCEPTION_KIND(PauseExecution);
};

// Ends Basic execution (End statement, the debugger's stop).
class OVSTORE_API TerminateExecution : public StoreException {
 public:
  TerminateExecution();
  OV_STORE_EXCEPTION_KIND(TerminateExecution);
};

// Floating-point and arithmetic errors: FPException(text, "MathError") for a math
// library error, FPException(id, "FPE") for the signal codes (ids 32699..32707) and the
// checked arithmetic of numeric.h. The second argument is the class name shown.
class OVSTORE_API FPException : public StoreException {
 public:
  FPException(const char* text, const char* kind);
  FPException(unsigned id, const char* kind = "FPE");
  OV_STORE_EXCEPTION_KIND(FPException);

 private:
  std::string kind_;
};

// The message id for a floating-point signal's sub-code (126 integer overflow .. 140
// raised by the program), 0 for codes that raise nothing (128, unknown ones).
OVSTORE_API unsigned FPExceptionIdForCode(int subcode);

class OVSTORE_API DatabaseError : public StoreException {
 public:
  explicit DatabaseError(const char* text);
  OV_STORE_EXCEPTION_KIND(DatabaseError);
};

// A member name defined twice. The subclasses tell where the other one is.
class OVSTORE_API FieldCollision : public StoreException {
 public:
  explicit FieldCollision(const char* name);
  OV_STORE_EXCEPTION_KIND(FieldCollision);

 protected:
  FieldCollision(unsigned id, const char* name);
};

// Same name with the same declaration (the text names the member).
class OVSTORE_API MatchingFieldCollision : public FieldCollision {
 public:
  explicit MatchingFieldCollision(const char* name);
  OV_STORE_EXCEPTION_KIND(MatchingFieldCollision);
};

class OVSTORE_API CollisionOnSelf : public FieldCollision {
 public:
  explicit CollisionOnSelf(const char* name);
  OV_STORE_EXCEPTION_KIND(CollisionOnSelf);
};

class OVSTORE_API CollisionOnParent : public FieldCollision {
 public:
  explicit CollisionOnParent(const char* name);
  OV_STORE_EXCEPTION_KIND(CollisionOnParent);
};

// A method where data of that name exists.
class OVSTORE_API MethodDataCollision : public FieldCollision {
 public:
  explicit MethodDataCollision(const char* name);
  OV_STORE_EXCEPTION_KIND(MethodDataCollision);
};

// Data where a method of that name exists.
class OVSTORE_API DataMethodCollision : public FieldCollision {
 public:
  explicit DataMethodCollision(const char* name);
  OV_STORE_EXCEPTION_KIND(DataMethodCollision);
};

// A value outside low..high (ids 32727, 32728, 32736).
class OVSTORE_API RangeError : public StoreException {
 public:
  RangeError(unsigned id, long low, long high, long value);
  OV_STORE_EXCEPTION_KIND(RangeError);
  long low() const { return low_; }
  long high() const { return high_; }
  long value() const { return value_; }

 private:
  long low_, high_, value_;
};

// A named thing that does not exist (message 32710 with the name).
class OVSTORE_API NotFound : public StoreException {
 public:
  explicit NotFound(const char* name);
  OV_STORE_EXCEPTION_KIND(NotFound);
};

class OVSTORE_API AccessDenied : public StoreException {
 public:
  explicit AccessDenied(const char* what = nullptr);
  OV_STORE_EXCEPTION_KIND(AccessDenied);
};

class OVSTORE_API UnnamedSignature : public StoreException {
 public:
  UnnamedSignature();
  OV_STORE_EXCEPTION_KIND(UnnamedSignature);
};

class OVSTORE_API ConvertFailed : public StoreException {
 public:
  explicit ConvertFailed(const char* what = nullptr);
  OV_STORE_EXCEPTION_KIND(ConvertFailed);
};

class OVSTORE_API ProxyResolveFailed : public StoreException {
 public:
  explicit ProxyResolveFailed(const char* name = nullptr);
  OV_STORE_EXCEPTION_KIND(ProxyResolveFailed);
};

class OVSTORE_API ModuleOpenFailed : public StoreException {
 public:
  explicit ModuleOpenFailed(const char* text);
  // "The module 'path' could not be opened. reason"
  ModuleOpenFailed(const char* path, const std::string& reason);
  OV_STORE_EXCEPTION_KIND(ModuleOpenFailed);
};

// "Out of memory.": an allocation failed under the interpreter (std::bad_alloc turned
// into an error a Basic program can catch); the store stays usable.
class OVSTORE_API OutOfMemory : public StoreException {
 public:
  OutOfMemory();
  OV_STORE_EXCEPTION_KIND(OutOfMemory);
};

// "The module 'path' could not be saved. reason": the old file, if any, is unchanged.
class OVSTORE_API ModuleSaveFailed : public StoreException {
 public:
  ModuleSaveFailed(const char* path, const std::string& reason);
  OV_STORE_EXCEPTION_KIND(ModuleSaveFailed);
};

// A value of the wrong type: context names the operation ("DirectValue<>::get(obj)").
class OVSTORE_API TypeMismatch : public StoreException {
 public:
  TypeMismatch(const char* context, unsigned id = kMsgTypeMismatch);
  OV_STORE_EXCEPTION_KIND(TypeMismatch);
};

// An OLE call that failed: Check throws for failure codes (FAILED(hr)) and returns hr
// otherwise. The text names the context and the code (with the system's text for it).
//
// A server's own exception carries its description and source: the text is the code,
// the source as the context, then the description in place of the system's text.
class OVSTORE_API OleException : public StoreException {
 public:
  OleException(long hr, const char* context);
  OleException(long hr, const std::string& description, const std::string& source);
  OV_STORE_EXCEPTION_KIND(OleException);
  long hresult() const { return hr_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }
  static long Check(long hr, const char* context);

 private:
  long hr_;
  std::string description_;
  std::string source_;
};

// A failed system call: code (0 = GetLastError()) and a context text (may be null).
[[noreturn]] OVSTORE_API void ThrowSystemError(unsigned long code, const char* text);
