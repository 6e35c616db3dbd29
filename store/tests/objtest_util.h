// Helpers shared by the object model's tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

}  // namespace objtest
