// AppBase: the launcher's text resources, the third base of App.
//
// While a module is read or written as a text object file, long texts that objects keep
// out of the file (method sources, memory bitmaps) live in a side file beside it: the
// text object file's full path with the extension of its name part replaced by ".oro"
// ("C:\my.app\main.obo" gives "C:\my.app\main.oro", "main" gives "main.oro"). The side
// file is a sequence of records, nothing before the first:
//
//   offset 0   4 bytes  magic 0x01020304 (bytes 04 03 02 01)
//          4   4 bytes  kind, chosen by the writer
//          8   4 bytes  length n of the data
//         12   n bytes  the data
//
// (all little-endian); a resource's identifier is its record's offset in the file.
//
// Writing a module as text writes the side file under a temporary name beside it; the
// side file is replaced only when the text object file was written whole too, so a
// failing write leaves the old text and the old side file, which the old text points
// into, as they were. Reading a resource checks the record against the file before
// allocating: a bad offset, magic, kind or length answers null.
#pragma once

#include <string>

class InterObjRep;

class AppBase {
 public:
  enum : unsigned long { kResourceMagic = 0x01020304 };
  enum { kRecordHead = 12 };

  AppBase();
  virtual ~AppBase();
  AppBase(const AppBase&) = delete;
  AppBase& operator=(const AppBase&) = delete;

  // The side file's full path for a text object file ("" for a null or empty name). A
  // text object file that has the side file's own name gets ".oro" appended instead.
  static std::string SideFileFor(const char* textFile);

  // --- the store's text-object and text-resource operations ---
  // Reads file into the current module (target: a group collecting the objects made, or
  // null) with the side file set; answers the reader's 1 (whole) or 2 (kept in part).
  // A store error is reported unless the user saw it already, then thrown on; a parse
  // error the reader reported becomes StoreException "Parse error".
  int ReadTextObjects(const char* file, InterObjRep* target);
  // Writes module's top-level objects as the text object file file, their resources
  // into its side file; answers 1. Any failure leaves both files as they were.
  int WriteTextObjects(const char* file, int module);
  // The side file's name part, or null when no text object file is being read or
  // written.
  const char* TextResourceFile() const;
  // Appends a record to the side file (opened, under its temporary name, by the first
  // one); answers its identifier. Failures throw StoreException.
  long WriteResource(const void* data, long length, long kind);
  // The data of the record at id of kind in file (the current side file when file is
  // its name part, in any case): a new[] buffer the caller deletes, with a terminating
  // NUL after the length bytes, and length set; null (length 0) for anything else.
  void* ReadResource(const char* file, long id, long& length, long kind);

  // --- state, for the launcher's own use and tests ---
  // Sets the side file from a text object file's name (nothing for null or empty).
  void SetSideFile(const char* textFile);
  // Closes the side file's handle, drops an unfinished temporary side file and empties
  // the name and the path.
  void ForgetSideFile();
  // Closes the side file and puts what was written in place of the old one (nothing
  // when no resource was written); false when it could not.
  bool CommitSideFile();
  const std::string& SideFilePath() const { return path_; }
  bool SideFileOpen() const { return handle_ != -1; }

  // Writing the records: tests replace the write to make it fail. Answers the bytes
  // written (the run-time library's _write contract).
  typedef int (*WriteFn)(int handle, const void* data, unsigned count);
  static WriteFn SetWriteHook(WriteFn hook);

 private:
  struct SideFileScope;

  int handle_ = -1;        // run-time library handle of the temporary side file
  std::string name_;       // name part of the side file, "" when none
  std::string path_;       // full path of the side file
  std::string temporary_;  // the side file being written, beside it
};
