// Procedures of Windows DLLs declared in Basic ("Declare Sub/Function name Lib "lib"
// [Alias "entry"] (args) [As type]"), called through the dynamic call facility as
// __stdcall functions.
//
// The library is loaded (LoadLibrary) and the entry found (GetProcAddress) on the first
// call; the entry is the alias when given, else the name, else the name with "A"
// appended (the ANSI form of a Windows function). A missing library or entry is a
// StoreException naming it.
//
// Arguments (declared with addArgument, in order):
//   ByVal Integer/Long -> a 32-bit integer; Single -> float; Double -> double;
//   Currency -> its 64-bit raw value; String -> a pointer to a private, zero-terminated
//   copy of the text, which the DLL may write into: after the call the text (same length)
//   is copied back into the variable that was passed.
//   By reference (no ByVal) Integer/Long/Single/Double/Currency -> a pointer to a
//   temporary of that C type whose value is written back into the variable; String as
//   ByVal. Objects cannot be passed.
// Results (CDLLFuncField): Integer (low 16 bits of the 32-bit result), Long, Single,
// Double, Currency, String (the zero-terminated text the function answers, copied;
// null reads as "").
#pragma once

#include <string>
#include <vector>

#include "store/ovstore_api.h"
#include "store/field.h"

class OVSTORE_API CDLLProcField : public MethodField {
 public:
  CDLLProcField(const char* name, const char* lib, const char* alias);
  ~CDLLProcField() override;

  void addArgument(Field* arg);
  int parmCount() const override { return (int)args_.size(); }
  Field* argument(int i) const { return args_[(size_t)i]; }
  const char* library() const { return lib_.c_str(); }
  const char* alias() const { return alias_.c_str(); }
  RWCString paramText() const override;

  Value* invoke(InterObjRep& self, ValueList* args, int flags) override;
  unsigned char streamTag() const override;
  void writeDef(OCLStream& s) const override;
  // The same without an object (a Declare is no member of anything).
  Value* call(ValueList* args);

 protected:
  CDLLProcField(const char* name, int type, const char* lib, const char* alias);

 private:
  const void* entry();
  std::string lib_;
  std::string alias_;
  std::vector<Field*> args_;
  void* module_ = nullptr;
  const void* fn_ = nullptr;
};

class OVSTORE_API CDLLFuncField : public CDLLProcField {
 public:
  CDLLFuncField(const char* name, int type, const char* lib, const char* alias);
};
