// iFile: the published "BinaryFile", a file of the system opened from Basic or C++, and
// the base class of the database library's Text object.
//
// Basic: FileName (read/write), Open(mode) with mode 0 read, 1 write (created, emptied),
// 2 read/write (created when missing), Close, IsOpen, Handle (the system's file
// handle, 0 when closed), Length and Position (bytes; setting Position moves the file
// pointer). Bitmap's scan-line readers take a BinaryFile and use only pdGetIsOpen() and
// pdGetHandle().
//
// Failures are store errors naming the file and the system's reason: opening a missing
// or unreadable file, a negative Position, Length or Position without an open file.
// A failed Open leaves the object closed.
//
// Stream block (revision 1), fixed-width and the same in 32-bit and 64-bit builds:
//   UCHAR  revision (1)
//   ULONG  n, the file name's length with its terminator (0: no name), then n bytes
//   UCHAR  open mode last asked for (0 read, 1 write, 2 read/write)
// A handle or position is never stored: a loaded object is closed. A newer revision, a
// damaged block or a mode above 2 fail with ObjectLoadFailed("BinaryFile"), and the
// object keeps what it had.
//
// A C++ class derives from iFile through POClass<Derived, iFile> (store/poclass.h): its
// PO_Load/PO_Save read and write the BinaryFile block first (iFile::PO_Load /
// iFile::PO_Save(stream, 0)), then its own fields; Load(IStream*) and Save(IStream*, int)
// are the persist-stream entries and run the complete class's block. Its registration
// row names iFile::PO_GetObject as its parent.
#pragma once

#include <windows.h>

#include <string>

#include "store/poclass.h"
#include "tool/ovitool_api.h"

class ValStringRep;

// The modes of Open.
enum FileOpenMode { kFileRead = 0, kFileWrite = 1, kFileReadWrite = 2 };

class OVITOOL_API iFile : public POClass<iFile> {
 public:
  explicit iFile(IUnknown* outer);
  ~iFile() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  // The prototype, registered on first use; when the store has not published ovitool
  // yet (a library that links it asks first), it is published then.
  static InterObjRep* PO_GetObject();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);

  // Copies the name and the mode; the copy is closed.
  void clone(const IInterObj& source) override;

  // Closes an open file first.
  void pdSetFileName(const char* name);
  ValStringRep* pdGetFileName();
  const std::string& fileName() const { return name_; }
  long pdGetIsOpen();  // "Boolean": -1 open, 0 closed
  HANDLE pdGetHandle() const { return handle_; }
  long pdGetHandleValue();  // the handle as a Long, 0 when closed
  long pdGetLength();
  long pdGetPosition();
  void pdSetPosition(long position);
  long pdGetMode() const { return mode_; }

  // Opens FileName in mode (closing what was open); throws the store error on failure.
  void imOpen(short mode);
  void imClose();

 private:
  void requireOpen(const char* what);
  [[noreturn]] void fail(const char* what, DWORD error);

  std::string name_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  unsigned char mode_ = kFileRead;
};
