// TextObjectWriter: writes top-level store objects as a text object file that
// TextObjectReader reads back.
//
// Layout: a Code block publishing the DLLs the objects come from (each DLL once), then
// one Type block per object (its own Basic declarations, events and procedures, embedded
// objects as nested Type blocks), then one Code block of reconstruction commands: per
// object a With block holding its property assignments (the store's text unload of the
// Basic-declared data fields, then the object's own "TextUnload" member for the rest)
// and nested With blocks for its embedded objects.
//
// An object has no body of its own when its own signature holds nothing the file can
// declare (no Basic-declared field, procedure or event): its Type block is its header
// and "End Type".
//
// The text goes to a temporary file first ("oto" in the system's temporary folder),
// which is copied over the target only when the whole text was written: a failure
// leaves the target as it was, shows "Text Write Failed" naming the temporary file that
// keeps the partial text, and is thrown on.
#pragma once

#include <string>
#include <vector>

#include "parser/ovparse_api.h"

class InterObjRep;

class OVPARSE_API TextObjectWriter {
 public:
  // Copying the finished temporary file over the target; tests replace it to make the
  // copy fail. Answers non-zero on success (CopyFileA's contract).
  typedef int (*CopyFn)(const char* from, const char* to, int failIfExists);
  static CopyFn SetCopyHook(CopyFn hook);

  explicit TextObjectWriter(const std::vector<InterObjRep*>& objects);

  // Writes the file (append: after the target's current text). Throws the store's
  // system error or "Cannot write non-toplevel objects".
  void write(const char* file, int append);

  // The whole text of the objects (what write puts into the file).
  std::string text() const;
  // The temporary file of the last write (kept when the write failed).
  const std::string& temporaryFile() const { return temporary_; }

  // The order of methods in a Type block: by name without regard to case, the
  // case-sensitive order deciding between names equal that way (identical names are a
  // program error, "cmp").
  static bool MethodBefore(const char* a, const char* b);

  // One object's Type block at depth 0, and its reconstruction commands.
  static void TypeBlock(InterObjRep& obj, std::string& out);
  static void Reconstruction(InterObjRep& obj, int depth, std::string& out);

 private:
  static void Body(InterObjRep& obj, int depth, std::string& out);
  std::string dllBlock() const;

  std::vector<InterObjRep*> objects_;
  std::string temporary_;
};
