// JxTrace: building lines, the trace file, and sending each finished line out.
#include "dbutil/jxtrace.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxerror.h"

JxTrace::JxTrace()
    : instance_(nullptr),
      window_(nullptr),
      edit_(nullptr),
      editCount_(0),
      file_(0),
      flags_(LINE_START | FLUSH) {}

JxTrace::~JxTrace() { resetTrace(); }

JxStatus JxTrace::initialize(HINSTANCE instance, unsigned options, const char* fileName) {
  resetTrace();
  instance_ = instance;
  flags_ = (flags_ & (TIME_STAMPS | FLUSH)) | LINE_START | ((options & 1) ? TO_WINDOW : 0);
  line_.truncate(0);
  if (line_.getCapacity() < LINE_RESERVE && line_.initialize(static_cast<uint32_t>(LINE_RESERVE))) return 1;
  if (fileName && *fileName) {
    char name[BOS_NAME_SIZE];
    lstrcpynA(name, fileName, sizeof name);
    if (bosFileOpen(name, BOS_CREATE | BOS_READWRITE, &file_)) return 1;
  }
  if (options && makeWindow()) {
    resetTrace();
    return 1;
  }
  flags_ |= ACTIVE;
  return 0;
}

JxStatus JxTrace::setTraceToWindow() {
  if (!window_ && makeWindow()) return 1;
  flags_ |= TO_WINDOW;
  return 0;
}

JxStatus JxTrace::beginLine() {
  if (!(flags_ & LINE_START)) return 0;
  flags_ &= ~LINE_START;
  if (!(flags_ & TIME_STAMPS)) return 0;
  char stamp[12];
  JxTime::getCurrentTimeStamp(stamp);
  stamp[11] = ' ';
  return line_.concat(stamp, 12);
}

JxStatus JxTrace::writeString(const char* text) {
  return writeString(text, text ? static_cast<uint32_t>(lstrlenA(text)) : 0);
}

JxStatus JxTrace::writeString(const JxSubString& text) {
  return writeString(text.getPtr(), text.getLength());
}

JxStatus JxTrace::writeString(const char* text, uint32_t length) {
  if (beginLine()) return 1;
  return length ? line_.concat(text, length) : 0;
}

JxStatus JxTrace::writeEol() {
  JxStatus status = beginLine();
  if (!status) status = line_.concat("\r\n", 2);
  flags_ |= LINE_START;
  if (status) {
    line_.truncate(0);
    return 1;
  }
  if (file_) {
    if (bosFileWrite(file_, BOS_CURRENT, line_.getPtr(), line_.getLength()))
      status = 1;
    else if (flags_ & FLUSH)
      bosupdir(file_);
  }
  if (edit_ && (flags_ & TO_WINDOW)) appendToWindow(line_.getPtr(), line_.getLength());
  line_.truncate(0);
  return status;
}

JxStatus JxTrace::writeLine(const char* text) {
  sem_.lock();
  JxStatus status = writeString(text);
  if (writeEol()) status = 1;
  sem_.unlock();
  return status;
}

void JxTrace::resetTrace() {
  bosFileClose(file_);
  file_ = 0;
  if (window_) {
    HWND w = window_;
    window_ = edit_ = nullptr;
    SetWindowLongPtrA(w, 0, 0);
    DestroyWindow(w);
  }
  editCount_ = 0;
  flags_ &= ~ACTIVE;
}
