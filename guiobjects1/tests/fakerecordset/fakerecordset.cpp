// A test-only stand-in for the record set, published by a library of its own:
//
//   FakeRecordSet  one row of named string fields; registers bound windows
//   FakeField      one field of that row (what imCurrentField answers)
//
// Hooks: fakeSetField (sets a field's value in the row), fakeField (a field's value,
// "<none>" without it), fakeWrites (how many values were written through a field),
// fakeBound (how many windows are registered).
#include <windows.h>
#include <ole2.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "guiobjects1/idatacontrol.h"
#include "olecls/oclclassfactory.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"
#include "store/popublish.h"
#include "store/valstring.h"

namespace {

enum FakeRow { kRowSet, kRowField, kRowCount };
extern const POClassRow kClasses[kRowCount];

struct Row {
  std::map<std::string, std::string> values;
  int writes = 0;
};

class FakeField : public POClass<FakeField>, public virtual iDynaset {
 public:
  explicit FakeField(IUnknown* outer) : POClass(outer) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowField]; }
  InterObj imCurrentField(const char*) override { return InterObj(); }
  ValStringRep* pdGetValue() override { return new ValStringRep(row ? row->values[name].c_str() : ""); }
  void pdSetValue(const char* value) override {
    if (!row) return;
    row->values[name] = value ? value : "";
    ++row->writes;
  }
  std::shared_ptr<Row> row;
  std::string name;
};

class FakeRecordSet : public POClass<FakeRecordSet>, public IDataControl {
 public:
  explicit FakeRecordSet(IUnknown* outer) : POClass(outer), row_(new Row) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowSet]; }
  InterObj imCurrentField(const char* name) override {
    if (!name || !row_->values.count(name)) return InterObj();
    PrimInterObj f(FakeField::PO_GetObject(), (unsigned char)254, (tInterObjType)1);
    if (FakeField* native = dynamic_cast<FakeField*>(f->ROCDataPtr(0))) {
      native->row = row_;
      native->name = name;
    }
    return InterObj(f.get());
  }
  ValStringRep* pdGetValue() override { return new ValStringRep(""); }
  void pdSetValue(const char*) override {}
  void addControl(const InterObj& w) override { bound_.push_back(w.get()); }
  void removeControl(const InterObj& w) override {
    for (auto it = bound_.begin(); it != bound_.end(); ++it)
      if (*it == w.get()) {
        bound_.erase(it);
        return;
      }
  }
  std::shared_ptr<Row> row_;
  std::vector<InterObjRep*> bound_;
};

Faultp<InterObjRep>* FakeRecordSet::PO_Object = nullptr;
Faultp<InterObjRep>* FakeField::PO_Object = nullptr;

const POClassRow kClasses[kRowCount] = {
    {"{6B1D2E90-3C4A-4F5B-9E8D-7A6C5B4A3F20}", "FakeRecordSet", nullptr,
     &OCLClassFactory<FakeRecordSet>::Make, &FakeRecordSet::PO_InitObject},
    {"{6B1D2E90-3C4A-4F5B-9E8D-7A6C5B4A3F21}", "FakeField", nullptr, &OCLClassFactory<FakeField>::Make,
     &FakeField::PO_InitObject},
};

OCLServer<kRowCount>* g_server = nullptr;

FakeRecordSet* Set(InterObjRep* obj) {
  return obj ? dynamic_cast<FakeRecordSet*>(obj->ROCDataPtr(0)) : nullptr;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && !g_server) g_server = new OCLServer<kRowCount>(kClasses);
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return g_server->GetClassObject(clsid, iid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_server->CanUnloadNow(); }

extern "C" __declspec(dllexport) void POD_Populate() { PO_Populate(kClasses); }

extern "C" __declspec(dllexport) void fakeSetField(InterObjRep* set, const char* name, const char* value) {
  if (FakeRecordSet* s = Set(set)) s->row_->values[name] = value;
}

extern "C" __declspec(dllexport) const char* fakeField(InterObjRep* set, const char* name) {
  FakeRecordSet* s = Set(set);
  if (!s || !s->row_->values.count(name)) return "<none>";
  return s->row_->values[name].c_str();
}

extern "C" __declspec(dllexport) int fakeWrites(InterObjRep* set) {
  return Set(set) ? Set(set)->row_->writes : -1;
}

extern "C" __declspec(dllexport) int fakeBound(InterObjRep* set) {
  return Set(set) ? (int)Set(set)->bound_.size() : -1;
}
