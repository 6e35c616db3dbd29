// JxIni: an initialisation file of the profile kind (sections of key=value lines), read
// and written through the system's profile functions. While no file is open every
// operation answers its default and leaves message 2717 on the thread's error list.
#pragma once

#include "dbutil/jxobject.h"

class JXUTL04_API JxIni : public JxObject {
 public:
  JxIni() : fileName_(nullptr) {}
  ~JxIni() override;

  // Closes an open file (1 when that fails), then keeps a copy of the name (1 when the
  // copy cannot be made).
  virtual JxStatus open(const char* fileName);
  // Forgets the name; 0.
  virtual JxStatus close();

  // The profile string into buffer (size bytes, always terminated), or the default.
  JxStatus getEntry(const char* section, const char* key, char* buffer, uint32_t size, const char* def);
  // The profile integer (its low 16 bits), or the default.
  JxStatus getEntry(const char* section, const char* key, short* value, short def);
  // 1 with 2721 when the file cannot be written.
  JxStatus writeEntry(const char* section, const char* key, const char* value);
  JxStatus deleteEntry(const char* section, const char* key);
  JxStatus deleteSection(const char* section) { return deleteEntry(section, nullptr); }
  // 0 while a file is open; otherwise adds 2717 and answers 1.
  JxStatus validState() const;

  const char* getFileName() const { return fileName_; }

 private:
  JxStatus write(const char* section, const char* key, const char* value);
  char* fileName_;
};
