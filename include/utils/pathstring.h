// Search-path lists: directory entries separated by ';'.
//
// PathString               the list. Its text is normalised: no blanks at the start of
//                          an entry, no empty entries, no trailing ';' (blanks at the
//                          end of an entry stay). operator[] and Next() hand out one entry
//                          at a time as a NUL-terminated text inside the list: the ';'
//                          after it is replaced by NUL until the next access.
// EnvironmentPathString    the list of a process environment variable.
// RegistryEnvPathString    the list of a value under the user's registry key
//                          "Environment"; SetVariable also announces the change to the
//                          top-level windows.
//
// Failures are quiet: an empty list, a false result.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"

class OVUTIL_API PathString {
 public:
  PathString();
  PathString(const PathString& other);
  explicit PathString(const char* text);
  PathString& operator=(const PathString& other);
  virtual ~PathString();

  // Replaces the list by the normalised text; null does nothing.
  void Set(const char* text);
  // The whole list (a held separator is put back first).
  operator const char*();

  int Count() const;
  // Entry i (from 0), or null.
  const char* operator[](int i);
  // The entry after the one last handed out, or null after the final one.
  const char* Next();
  // The position of the entry naming dir (case-insensitive, a trailing '\' ignored on
  // either side), or -1.
  int Index(const char* dir) const;
  // The list becomes dir;old. Null or empty dir does nothing.
  void Prepend(const char* dir);
  // Every entry becomes the last component of its full path; entries without one go.
  void PurgeExplicitPaths();

 protected:
  const char* Text() {
    restore();
    return text_ ? text_ : "";
  }

 private:
  void restore();
  const char* entryAt(size_t pos);

  char* text_;
  size_t held_;  // position of the separator now replaced by NUL, 0 when none
  size_t next_;  // where the entry after the last one handed out starts, 0 when none
};

class OVUTIL_API EnvironmentPathString : public PathString {
 public:
  explicit EnvironmentPathString(const char* name);
  ~EnvironmentPathString() override;
  // Writes the list into the process environment; false without a name.
  virtual bool SetVariable();
  const char* Name() const { return name_; }

 protected:
  struct NoLoad {};
  EnvironmentPathString(const char* name, NoLoad);

 private:
  EnvironmentPathString(const EnvironmentPathString&) = delete;
  EnvironmentPathString& operator=(const EnvironmentPathString&) = delete;
  char* name_;
};

class OVUTIL_API RegistryEnvPathString : public EnvironmentPathString {
 public:
  explicit RegistryEnvPathString(const char* name);
  // Sets the process environment, writes the registry value and broadcasts the
  // settings change; true only when both writes succeeded.
  bool SetVariable() override;
};
