// Declare ... Lib: calls of Windows DLL functions.
#include "store/cdllfield.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "interp.h"
#include "store/dyncall.h"
#include "store/interobj.h"
#include "store/types.h"
#include "store/value.h"

CDLLProcField::CDLLProcField(const char* name, const char* lib, const char* alias)
    : CDLLProcField(name, 0, lib, alias) {}

CDLLProcField::CDLLProcField(const char* name, int type, const char* lib, const char* alias)
    : MethodField(name, (unsigned char)type), lib_(lib ? lib : ""), alias_(alias ? alias : "") {}

CDLLProcField::~CDLLProcField() {
  for (Field* a : args_) delete a;
  if (module_) FreeLibrary((HMODULE)module_);
}

CDLLFuncField::CDLLFuncField(const char* name, int type, const char* lib, const char* alias)
    : CDLLProcField(name, type, lib, alias) {}

void CDLLProcField::addArgument(Field* arg) {
  UTILS_ASSERT(arg);
  args_.push_back(arg);
}

RWCString CDLLProcField::paramText() const {
  std::string t = "(";
  for (size_t i = 0; i < args_.size(); ++i) {
    if (i) t += ", ";
    if (FieldByValue(args_[i])) t += "ByVal ";
    t += args_[i]->name();
    t += " As ";
    t += IdTypeString(args_[i]->typeCode()).string();
  }
  t += ")";
  return RWCString(t.c_str());
}

const void* CDLLProcField::entry() {
  if (fn_) return fn_;
  if (!module_) {
    module_ = (void*)LoadLibraryA(lib_.c_str());
    if (!module_) throw StoreException(("Cannot load the library '" + lib_ + "'.").c_str());
  }
  const char* want = alias_.empty() ? name() : alias_.c_str();
  FARPROC p = GetProcAddress((HMODULE)module_, want);
  if (!p && alias_.empty()) p = GetProcAddress((HMODULE)module_, (std::string(want) + "A").c_str());
  if (!p) throw StoreException(("The library '" + lib_ + "' has no procedure '" + want + "'.").c_str());
  fn_ = (const void*)p;
  return fn_;
}

Value* CDLLProcField::invoke(InterObjRep&, ValueList* args, int) { return call(args); }

Value* CDLLProcField::call(ValueList* args) {
  int n = args ? args->entries() : 0;
  if (n != (int)args_.size()) throw StoreException(WrongArgumentCountText(name(), (int)args_.size(), n));
  const void* fn = entry();
  // Each argument reaches the DLL through its value's pusher (a temporary of the declared
  // type, written back after the call when passed by reference).
  std::vector<std::unique_ptr<StackPusher>> pushers;
  DynArgs dyn;
  for (int i = 0; i < n; ++i) {
    Field* param = args_[(size_t)i];
    unsigned char type = param->typeCode();
    if (type == kTypeObject || IsArrayType(type))
      throw TypeMismatch(("argument " + std::to_string(i + 1) + " of " + name()).c_str());
    pushers.emplace_back((*args)[i]->getStackPusher());
    pushers.back()->push(dyn, type ? type : (unsigned char)kTypeLong, !FieldByValue(param));
  }
  DynKind kind = kDynVoid;
  switch (typeCode()) {
    case kTypeShort:
    case kTypeLong:
      kind = kDynInt32;
      break;
    case kTypeFloat:
      kind = kDynFloat;
      break;
    case kTypeDouble:
      kind = kDynDouble;
      break;
    case kTypeCurrency:
      kind = kDynInt64;
      break;
    case kTypeString:
      kind = kDynPtr;
      break;
    default:
      kind = kDynVoid;
      break;
  }
  DynValue r = DynCallStdcall(fn, dyn, kind);
  for (auto& p : pushers) p->finish();
  ValueCellVar res;
  switch (typeCode()) {
    case kTypeShort:
      res.c.setShort((int16_t)r.i32);
      break;
    case kTypeLong:
      res.c.setLong(r.i32);
      break;
    case kTypeFloat:
      res.c.setFloat(r.f);
      break;
    case kTypeDouble:
      res.c.setDouble(r.d);
      break;
    case kTypeCurrency:
      res.c.setCurrency(Currency::fromRaw(r.i64));
      break;
    case kTypeString:
      res.c.setString(new ValStringRep(r.p ? (const char*)r.p : ""));
      break;
    default:
      return nullptr;
  }
  return CountedResult(CellToValue(res.c));
}
