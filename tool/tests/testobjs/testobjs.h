// A publishing library for ovitool's tests, built on ovitool's classes:
//
//   TestFile    derived from "BinaryFile" (iFile) in C++, with Note (String) of its own;
//               its block is the BinaryFile block, then its own revision's note
//   BufferUser  methods taking "Buffer as DataBuffer": Fill writes text into the
//               buffer's bytes, IsBuffer asks canBeTreatedAs("DataBuffer")
//   ShellHost   owns a shell edit window and offers it as its Print target, as the
//               developer tools' "Debug" object does
#pragma once

#include <string>

#include "tool/ifile.h"
#include "tool/shelledit.h"

#ifdef OVITOOL_TESTOBJS_BUILD
#define TESTOBJS_API __declspec(dllexport)
#else
#define TESTOBJS_API __declspec(dllimport)
#endif

class TESTOBJS_API TestFile : public POClass<TestFile, iFile> {
 public:
  explicit TestFile(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);

  ValStringRep* pdGetNote();
  void pdSetNote(const char* note);
  std::string note;
};

class TESTOBJS_API BufferUser : public POClass<BufferUser> {
 public:
  explicit BufferUser(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);

  // The buffer sized to text and its terminator, text written through Data(); answers
  // the new Size, -1 when Buffer is not a DataBuffer.
  long imFill(InterObj* buffer, const char* text);
  // -1 when o can be treated as a DataBuffer, else 0.
  long imIsBuffer(InterObj* o);
};

class TESTOBJS_API ShellHost : public POClass<ShellHost> {
 public:
  explicit ShellHost(IUnknown* outer);
  ~ShellHost() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  Printable* printable() override { return shell_; }
  TShellEdit* shell() const { return shell_; }

 private:
  TShellEdit* shell_;
};
