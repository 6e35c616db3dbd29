// Directory utilities: a scoped change of the current directory and a directory walker.
#pragma once

#include <windows.h>

#include "utils/ovutil_api.h"
#include "utils/xexception.h"

// Changes to dir for the lifetime of the object (a null or empty dir changes nothing).
class OVUTIL_API PushDir {
 public:
  explicit PushDir(const char* dir);
  ~PushDir();
  PushDir(const PushDir&) = delete;
  PushDir& operator=(const PushDir&) = delete;
  // Non-zero when the change succeeded.
  int Result() const { return result_; }

 private:
  char saved_[MAX_PATH];  // empty when nothing was changed
  int result_;
};

// A failed walk: the message and the system error code (0 for argument errors).
class OVUTIL_API EnumDirException : public XException {
 public:
  EnumDirException(const char* text, int error);
  EnumDirException(const EnumDirException& other) = default;
  ~EnumDirException() noexcept override;
  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  int Error() const { return error_; }

 private:
  int error_;
};

// Called for each entry of a walk with the directory it lies in; non-zero stops the walk.
typedef int (*EnumDirFn)(const char* dir, const WIN32_FIND_DATAA* entry, void* userData);

// Calls fn for each entry of dir (the current directory when empty) that matches pattern
// ("*" when empty), except "." and "..", then, when recurse is non-zero, walks every
// sub-directory the same way. Answers the first non-zero result of fn, 0 when there was
// none, -1 when fn is null. Throws EnumDirException for over-long arguments and failed
// searches (a pattern without matches is no failure).
OVUTIL_API int EnumDirContents(EnumDirFn fn, void* userData, const char* dir, const char* pattern,
                               int recurse);
