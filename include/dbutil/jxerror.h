// Errors of the database library. A failing routine makes a JxError from a message
// number, fills its numbered parameters ("%s1", "%n1"; from the tenth on "%sx10") with
// operator<<, and hands it to JxErrorKeeper, which appends it to the calling thread's
// current JxErrorList (per-thread slot 0). An out-of-memory condition is a flag on the
// list and a static error: reporting it never allocates.
#pragma once

#include "dbutil/jxlist.h"
#include "dbutil/jxstring.h"

enum ErrorType { JX_ERROR = 0, JX_WARNING = 1 };

enum ErrorsMix {
  JX_MIX_EMPTY = 0,
  JX_MIX_BOTH = 1,     // errors and warnings
  JX_MIX_ERRORS = 2,   // errors only
  JX_MIX_WARNINGS = 3  // warnings only
};

// A message text with numbered parameters filled one after the other.
class JXUTL04_API JxParamString : public JxString {
 public:
  JxParamString() : count_(0), failed_(0) {}

  JxStatus initialize(const char* text);
  JxStatus initialize(const char* text, uint32_t length);
  JxStatus initialize(uint32_t capacity);

  // Each counts one parameter more and replaces every occurrence of its placeholder.
  JxStatus setParam(const char* text);
  JxStatus setParam(const JxSubString& text);
  JxStatus setParam(unsigned long value);
  JxStatus setParam(long value);
  // The parameter enclosed in quote, inner quotes doubled.
  JxStatus setQuotedParam(const char* text, char quote);

  JxParamString& operator<<(const char* text);
  JxParamString& operator<<(unsigned long value);
  JxParamString& operator<<(long value);

  unsigned short getParamCount() const { return count_; }
  void clearParamCount() { count_ = 0; }
  int hasFailed() const { return failed_; }

 private:
  JxStatus fill(char kind, const char* text, uint32_t length);
  unsigned short count_;
  unsigned short failed_;
};

class JXUTL04_API JxError : public JxNode {
 public:
  enum Flags { WARNING = 1, STATIC = 2, MEMORY = 4, INERT = 8 };

  JxError(unsigned short number, const char* text, ErrorType type = JX_ERROR, unsigned short value = 0,
          unsigned long nativeCode = 0);
  // The process's static errors: text over a caller's buffer, never deleted.
  JxError(unsigned short number, char* buffer, uint32_t capacity, unsigned short flags);
  ~JxError() override;

  // Fill the next parameter; on failure further parameters go to the inert error.
  JxError& operator<<(const char* text);
  JxError& operator<<(unsigned long value);
  JxError& operator<<(long value);
  JxError& operator<<(const JxSubString& text);
  JxError& operator<<(int value) { return *this << static_cast<long>(value); }
  JxError& operator<<(unsigned int value) { return *this << static_cast<unsigned long>(value); }
  JxStatus appendText(const char* text);

  unsigned short getNumber() const { return number_; }
  const char* getText() const { return text_.c_str(); }
  JxParamString& getParamString() { return text_; }
  ErrorType getType() const { return (flags_ & WARNING) ? JX_WARNING : JX_ERROR; }
  int isWarning() const { return (flags_ & WARNING) != 0; }
  int isStatic() const { return (flags_ & STATIC) != 0; }
  unsigned short getFlags() const { return flags_; }
  unsigned short getValue() const { return value_; }
  unsigned long getNativeCode() const { return nativeCode_; }

  // Number 30190 "Out of memory.", static; and the inert error, static, which drops
  // every parameter.
  static JxError* memoryError();
  static JxError* inertError();
  // Deletes the error unless it is static.
  static void release(JxError* e);

 private:
  template <class T>
  JxError& fillNext(const T& value);
  unsigned short number_;
  JxParamString text_;
  unsigned short flags_;
  unsigned short value_;
  unsigned long nativeCode_;
};

class JXUTL04_API JxErrorList : public JxList {
 public:
  JxErrorList(void* owner, int keepAll);
  // Deletes its errors (not the static ones); uninstalls itself when it is the calling
  // thread's current list.
  ~JxErrorList() override;

  // The memory error while the flag is set, else the last entry (null when empty).
  JxError* getLastError() const;
  // Both answer the memory error (clearing the flag) while the flag is set, else take
  // out and answer the entry; the caller owns it.
  JxError* removeLastError();
  JxError* removeFirstError();
  ErrorsMix getErrorsMix() const;
  // Appends every text in order, sep between two; 1 when out can not grow.
  JxStatus concatErrors(JxString* out, char sep) const;

  int holdsError() const;  // an entry that is not a warning
  int keepsAll() const { return keepAll_; }
  int hasMemoryError() const { return memoryFlag_; }
  void* getOwner() const { return owner_; }

 private:
  friend class JxErrorKeeper;
  void* owner_;
  int keepAll_;
  int memoryFlag_;
  JxErrorList* previous_;
  void** slot_;
};

class JXUTL04_API JxErrorKeeper {
 public:
  // Appends to the current list when it holds no error yet (warnings do not count) or
  // keeps all; otherwise, or for null, deletes it and answers the inert error.
  static JxError* addError(JxError* e);
  static void addMemoryError();
  static JxError* getLastError();
  static unsigned short getLastErrorNumber();
  static JxError* appendTextToLastError(const char* text);
  static void clearLastError();
  static void setErrorList(JxErrorList* list);
  static JxErrorList* giveUpErrorList();
  static JxErrorList* getErrorList();
  static void* getOwnerOfList();
  static JxError* addDatabaseError(unsigned short number, unsigned long nativeCode, const char* text,
                                   ErrorType type);
};

// JXUTL04's own messages by number (jxutl04.rc).
// Loads the text of message n into a 512-byte buffer (empty when absent).
JXUTL04_API void utlLoadMessage(unsigned short number, char* buffer512);
// Adds an error (a warning) made from message n; answers what addError answers.
JXUTL04_API JxError* utlErrorById(unsigned short number);
JXUTL04_API JxError* utlWarningById(unsigned short number);
// Appends the text of message n to the last error.
JXUTL04_API JxError* utlAppendMessageById(unsigned short number);
