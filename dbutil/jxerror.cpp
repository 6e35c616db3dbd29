// JxError and JxErrorList.
#include "dbutil/jxerror.h"

#include "dbutil/jxpertask.h"

JxError::JxError(unsigned short number, const char* text, ErrorType type, unsigned short value,
                 unsigned long nativeCode)
    : number_(number), flags_(type == JX_WARNING ? WARNING : 0), value_(value), nativeCode_(nativeCode) {
  text_.initialize(text);
}

JxError::JxError(unsigned short number, char* buffer, uint32_t capacity, unsigned short flags)
    : number_(number), flags_(flags | STATIC), value_(0), nativeCode_(0) {
  uint32_t length = 0;
  while (length + 1 < capacity && buffer[length]) ++length;
  text_.initializeWithBuffer(buffer, capacity, length);
}

JxError::~JxError() {}

void JxError::release(JxError* e) {
  if (e && !e->isStatic()) delete e;
}

template <class T>
JxError& JxError::fillNext(const T& value) {
  if (flags_ & INERT) return *this;
  if (text_.hasFailed() || text_.setParam(value)) return *inertError();
  return *this;
}

JxError& JxError::operator<<(const char* text) { return fillNext(text); }
JxError& JxError::operator<<(unsigned long value) { return fillNext(value); }
JxError& JxError::operator<<(long value) { return fillNext(value); }
JxError& JxError::operator<<(const JxSubString& text) { return fillNext(text); }

JxStatus JxError::appendText(const char* text) {
  if (flags_ & INERT) return 0;
  return text_.concat(text);
}

JxErrorList::JxErrorList(void* owner, int keepAll)
    : owner_(owner), keepAll_(keepAll), memoryFlag_(0), previous_(nullptr), slot_(nullptr) {}

JxErrorList::~JxErrorList() {
  if (mdsGetPerThreadData(PTH_ERROR_LIST) == this) mdsSetPerThreadData(PTH_ERROR_LIST, previous_);
  while (JxNode* n = removeFirstNode()) JxError::release(static_cast<JxError*>(n));
}

JxError* JxErrorList::getLastError() const {
  if (memoryFlag_) return JxError::memoryError();
  return static_cast<JxError*>(last());
}

JxError* JxErrorList::removeLastError() {
  if (memoryFlag_) {
    memoryFlag_ = 0;
    return JxError::memoryError();
  }
  return static_cast<JxError*>(removeLastNode());
}

JxError* JxErrorList::removeFirstError() {
  if (memoryFlag_) {
    memoryFlag_ = 0;
    return JxError::memoryError();
  }
  return static_cast<JxError*>(removeFirstNode());
}

int JxErrorList::holdsError() const {
  for (JxNode* n = first(); n; n = after(n))
    if (!static_cast<JxError*>(n)->isWarning()) return 1;
  return 0;
}

ErrorsMix JxErrorList::getErrorsMix() const {
  bool errors = memoryFlag_ != 0, warnings = false;
  for (JxNode* n = first(); n; n = after(n)) {
    if (static_cast<JxError*>(n)->isWarning())
      warnings = true;
    else
      errors = true;
  }
  if (errors && warnings) return JX_MIX_BOTH;
  if (errors) return JX_MIX_ERRORS;
  return warnings ? JX_MIX_WARNINGS : JX_MIX_EMPTY;
}

JxStatus JxErrorList::concatErrors(JxString* out, char sep) const {
  bool firstText = true;
  auto add = [&](const JxError* e) -> JxStatus {
    if (!firstText && out->concat(sep)) return 1;
    firstText = false;
    return out->concat(e->getText());
  };
  for (JxNode* n = first(); n; n = after(n))
    if (add(static_cast<JxError*>(n))) return 1;
  if (memoryFlag_ && add(JxError::memoryError())) return 1;
  return 0;
}
