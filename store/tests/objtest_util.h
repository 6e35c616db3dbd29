// Helpers shared by the object model's tests.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/field.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/value.h"

namespace objtest {

// OLE and the store, once per test program.
inline void SetUpStore() {
  static bool done = false;
  if (done) return;
  done = true;
  CoInitialize(nullptr);
  ObjectStore::Initialize();
}

// A method whose body is a C++ function (stands in for Basic procedures).
class FnMethod : public MethodField {
 public:
  typedef std::function<Value*(InterObjRep&, ValueList*)> Fn;
  FnMethod(const char* name, Fn fn) : MethodField(name), fn_(fn) {}
  Value* invoke(InterObjRep& self, ValueList* args, int) override { return fn_(self, args); }

 private:
  Fn fn_;
};

// A result's value; the result is released.
inline long LongOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asLong() : -999;
}

inline std::string TextOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asString().str() : "<null>";
}

// obj.name = v (v is taken over).
inline void Set(InterObjRep* obj, const char* name, Value* v) {
  ValueList l;
  l.ppush(v);
  obj->eval(name, InterObjRep::kEvalSet, &l);
}

// Every stream of a compound file in name order, one line each: its path, size and bytes
// in hex. Compared with a dump written into the test, it shows a saved layout is the
// same on every build (only the streams' contents: the file's own bookkeeping is OLE's).
inline void DumpStorage(IStorage* stg, const std::string& prefix, std::string& out) {
  IEnumSTATSTG* it = nullptr;
  if (FAILED(stg->EnumElements(0, nullptr, 0, &it))) return;
  std::vector<std::pair<std::wstring, DWORD>> names;
  STATSTG st;
  while (it->Next(1, &st, nullptr) == S_OK) {
    names.emplace_back(st.pwcsName, st.type);
    CoTaskMemFree(st.pwcsName);
  }
  it->Release();
  std::sort(names.begin(), names.end());
  for (auto& n : names) {
    std::string path = prefix + std::string(n.first.begin(), n.first.end());
    if (n.second == STGTY_STORAGE) {
      IStorage* sub = nullptr;
      if (SUCCEEDED(stg->OpenStorage(n.first.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                     &sub))) {
        DumpStorage(sub, path + "/", out);
        sub->Release();
      }
      continue;
    }
    IStream* s = nullptr;
    if (FAILED(stg->OpenStream(n.first.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s))) continue;
    std::string hex;
    unsigned char b;
    ULONG got = 0, size = 0;
    while (s->Read(&b, 1, &got) == S_OK && got == 1) {
      char two[4];
      snprintf(two, sizeof two, "%02x", b);
      hex += two;
      ++size;
    }
    s->Release();
    out += path + " " + std::to_string(size) + " " + hex + "\n";
  }
}

inline std::string DumpCompoundFile(const std::string& file) {
  std::wstring wpath(file.begin(), file.end());
  IStorage* stg = nullptr;
  if (FAILED(StgOpenStorage(wpath.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg)))
    return "<cannot open " + file + ">";
  std::string out;
  DumpStorage(stg, "", out);
  stg->Release();
  return out;
}

}  // namespace objtest
