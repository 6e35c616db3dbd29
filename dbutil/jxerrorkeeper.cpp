// JxErrorKeeper: the calling thread's current error list and what is added to it.
#include "dbutil/jxerror.h"

#include "dbutil/jxpertask.h"
#include "utl_globals.h"

#include <windows.h>

JxErrorList* JxErrorKeeper::getErrorList() {
  return static_cast<JxErrorList*>(mdsGetPerThreadData(PTH_ERROR_LIST));
}

JxError* JxErrorKeeper::addError(JxError* e) {
  JxErrorList* list = getErrorList();
  if (e && list && (list->keepAll_ || !list->holdsError())) {
    list->append(e);
    return e;
  }
  JxError::release(e);
  return JxError::inertError();
}

void JxErrorKeeper::addMemoryError() {
  JxErrorList* list = getErrorList();
  if (!list) return;
  if (!list->keepAll_ && list->holdsError()) JxError::release(static_cast<JxError*>(list->removeLastNode()));
  list->memoryFlag_ = 1;
}

JxError* JxErrorKeeper::getLastError() {
  JxErrorList* list = getErrorList();
  return list ? list->getLastError() : nullptr;
}

unsigned short JxErrorKeeper::getLastErrorNumber() {
  JxError* e = getLastError();
  return e ? e->getNumber() : 0;
}

JxError* JxErrorKeeper::appendTextToLastError(const char* text) {
  JxError* e = getLastError();
  if (!e) return nullptr;
  e->appendText(text);
  e->getParamString().clearParamCount();
  return e;
}

void JxErrorKeeper::clearLastError() {
  JxErrorList* list = getErrorList();
  if (!list) return;
  if (list->memoryFlag_) {
    list->memoryFlag_ = 0;
    return;
  }
  JxError::release(static_cast<JxError*>(list->removeLastNode()));
}

void JxErrorKeeper::setErrorList(JxErrorList* list) {
  if (!list) return;
  list->previous_ = getErrorList();
  mdsSetPerThreadData(PTH_ERROR_LIST, list);
  list->slot_ = mdsGetPerThreadDataAddress(PTH_ERROR_LIST);
}

JxErrorList* JxErrorKeeper::giveUpErrorList() {
  JxErrorList* list = getErrorList();
  if (!list) return nullptr;
  mdsSetPerThreadData(PTH_ERROR_LIST, list->previous_);
  list->previous_ = nullptr;
  return list;
}

void* JxErrorKeeper::getOwnerOfList() {
  JxErrorList* list = getErrorList();
  return list ? list->owner_ : nullptr;
}

JxError* JxErrorKeeper::addDatabaseError(unsigned short number, unsigned long nativeCode, const char* text,
                                         ErrorType type) {
  return addError(new JxError(number, text, type, 0, nativeCode));
}

void utlLoadMessage(unsigned short number, char* buffer512) {
  buffer512[0] = 0;
  if (LoadStringA(utlInstance(), number, buffer512, 512) <= 0) buffer512[0] = 0;
}

static JxError* addById(unsigned short number, ErrorType type) {
  char text[512];
  utlLoadMessage(number, text);
  return JxErrorKeeper::addError(new JxError(number, text, type));
}

JxError* utlErrorById(unsigned short number) { return addById(number, JX_ERROR); }

JxError* utlWarningById(unsigned short number) { return addById(number, JX_WARNING); }

JxError* utlAppendMessageById(unsigned short number) {
  char text[512];
  utlLoadMessage(number, text);
  return JxErrorKeeper::appendTextToLastError(text);
}
