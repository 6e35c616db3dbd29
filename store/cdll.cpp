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
  if (!p)
    throw StoreException(("The library '" + lib_ + "' has no procedure '" + want + "'.").c_str());
  fn_ = (const void*)p;
  return fn_;
}

Value* CDLLProcField::invoke(InterObjRep&, ValueList* args, int) { return call(args); }

namespace {

// One argument's native storage: a scalar temporary or a text buffer.
struct Slot {
  union {
    int16_t s;
    int32_t l;
    float f;
    double d;
    int64_t cy;
  };
  std::unique_ptr<char[]> text;
  size_t length = 0;
  unsigned char type = 0;
  bool byRef = false;
};

}  // namespace

Value* CDLLProcField::call(ValueList* args) {
  int n = args ? args->entries() : 0;
  if (n != (int)args_.size()) throw StoreException(kMsgInvalidArgument, name());
  const void* fn = entry();
  std::unique_ptr<Slot[]> slots(new Slot[(size_t)n + 1]);
  DynArgs dyn;
  for (int i = 0; i < n; ++i) {
    Field* param = args_[(size_t)i];
    Slot& s = slots[i];
    s.type = param->typeCode();
    s.byRef = !FieldByValue(param);
    ValueCellVar c;
    CellFromValue(c.c, (*args)[i]);
    switch (s.type) {
      case kTypeShort:
        s.s = CellToShort(c.c);
        if (s.byRef) dyn.addPtr(&s.s); else dyn.addInt32(s.s);
        break;
      case kTypeLong:
      case kTypeNone:
        s.type = kTypeLong;
        s.l = CellToLong(c.c);
        if (s.byRef) dyn.addPtr(&s.l); else dyn.addInt32(s.l);
        break;
      case kTypeFloat:
        s.f = CellToFloat(c.c);
        if (s.byRef) dyn.addPtr(&s.f); else dyn.addFloat(s.f);
        break;
      case kTypeDouble:
        s.d = CellToDouble(c.c);
        if (s.byRef) dyn.addPtr(&s.d); else dyn.addDouble(s.d);
        break;
      case kTypeCurrency:
        s.cy = CellToCurrency(c.c).raw;
        if (s.byRef) dyn.addPtr(&s.cy); else dyn.addInt64(s.cy);
        break;
      case kTypeString: {
        std::string t = CellToText(c.c);
        s.length = t.size();
        s.text.reset(new char[s.length + 1]);
        memcpy(s.text.get(), t.data(), s.length);
        s.text[s.length] = 0;
        dyn.addPtr(s.text.get());
        s.byRef = true;  // the DLL may fill the buffer: copy it back
        break;
      }
      default:
        throw TypeMismatch(("argument " + std::to_string(i + 1) + " of " + name()).c_str());
    }
  }
  DynKind kind = kDynVoid;
  switch (typeCode()) {
    case kTypeShort:
    case kTypeLong: kind = kDynInt32; break;
    case kTypeFloat: kind = kDynFloat; break;
    case kTypeDouble: kind = kDynDouble; break;
    case kTypeCurrency: kind = kDynInt64; break;
    case kTypeString: kind = kDynPtr; break;
    default: kind = kDynVoid; break;
  }
  DynValue r = DynCallStdcall(fn, dyn, kind);
  // Write back what the DLL may have changed.
  for (int i = 0; i < n; ++i) {
    Slot& s = slots[i];
    if (!s.byRef) continue;
    ValueCellVar c;
    switch (s.type) {
      case kTypeShort: c.c.setShort(s.s); break;
      case kTypeLong: c.c.setLong(s.l); break;
      case kTypeFloat: c.c.setFloat(s.f); break;
      case kTypeDouble: c.c.setDouble(s.d); break;
      case kTypeCurrency: c.c.setCurrency(Currency::fromRaw(s.cy)); break;
      case kTypeString: c.c.setString(new ValStringRep(s.text.get(), s.length)); break;
    }
    try {
      ValueFromCellWrite(*(*args)[i], c.c);
    } catch (TypeMismatch&) {
      // a value that cannot be written (a constant argument)
    }
  }
  ValueCellVar res;
  switch (typeCode()) {
    case kTypeShort: res.c.setShort((int16_t)r.i32); break;
    case kTypeLong: res.c.setLong(r.i32); break;
    case kTypeFloat: res.c.setFloat(r.f); break;
    case kTypeDouble: res.c.setDouble(r.d); break;
    case kTypeCurrency: res.c.setCurrency(Currency::fromRaw(r.i64)); break;
    case kTypeString: res.c.setString(new ValStringRep(r.p ? (const char*)r.p : "")); break;
    default: return nullptr;
  }
  return CountedResult(CellToValue(res.c));
}
