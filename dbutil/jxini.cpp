// JxIni: the profile functions over one named file.
#include "dbutil/jxini.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <windows.h>

#include <string.h>

JxIni::~JxIni() { ramFree(fileName_); }

JxStatus JxIni::open(const char* fileName) {
  if (fileName_ && close()) return 1;
  if (!fileName) {
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  fileName_ = ramAllocStr(fileName);
  return fileName_ ? 0 : 1;
}

JxStatus JxIni::close() {
  ramFree(fileName_);
  fileName_ = nullptr;
  return 0;
}

JxStatus JxIni::validState() const {
  if (fileName_) return 0;
  utlErrorById(MSG_INI_NOT_OPEN);
  return 1;
}

JxStatus JxIni::getEntry(const char* section, const char* key, char* buffer, uint32_t size, const char* def) {
  if (!buffer || size == 0) return 0;
  if (!def) def = "";
  if (validState()) {
    lstrcpynA(buffer, def, size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size));
    return 0;
  }
  GetPrivateProfileStringA(section, key, def, buffer, size, fileName_);
  return 0;
}

JxStatus JxIni::getEntry(const char* section, const char* key, short* value, short def) {
  if (validState()) {
    *value = def;
    return 0;
  }
  // The platform answers the default it was given when the key is absent.
  *value = static_cast<short>(GetPrivateProfileIntA(section, key, def, fileName_));
  return 0;
}

JxStatus JxIni::write(const char* section, const char* key, const char* value) {
  if (validState()) return 0;
  if (WritePrivateProfileStringA(section, key, value, fileName_)) return 0;
  *utlErrorById(MSG_NO_ACCESS) << fileName_;
  return 1;
}

JxStatus JxIni::writeEntry(const char* section, const char* key, const char* value) {
  // A null value would remove the key: write an empty one instead.
  return write(section, key, value ? value : "");
}

JxStatus JxIni::deleteEntry(const char* section, const char* key) { return write(section, key, nullptr); }
