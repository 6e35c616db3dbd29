// A publishing library for the launcher's tests: "MemoText", an object whose text lives
// in the side file of a text object file. Its text unload writes the text as a text
// resource and the line ".LoadText(file, id)" that reads it back; with FailUnload set it
// refuses to unload after writing its resource (a write that fails half-way).
#pragma once

#include <string>

#include "store/poclass.h"

#ifdef OVRUN_TESTMEMO_BUILD
#define TESTMEMO_API __declspec(dllexport)
#else
#define TESTMEMO_API __declspec(dllimport)
#endif

class ValString;
class ValStringRep;

class TESTMEMO_API MemoText : public POClass<MemoText> {
 public:
  // The resource kind of its texts ("MEMO").
  enum : long { kKind = 0x4F4D454D };

  explicit MemoText(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);

  ValStringRep* pdGetText();
  void pdSetText(const char* text);
  short pdGetFailUnload() { return failUnload_; }
  void pdSetFailUnload(short on) { failUnload_ = on; }
  short imTextUnload(const char* indent, ValString* cmds);
  void imLoadText(const char* file, long id);

  std::string text;

 private:
  short failUnload_ = 0;
};
