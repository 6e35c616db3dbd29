// A publishing library for the protocol's tests, built on the shared templates alone:
//
//   ProtoBase     a root class: Value (Long), Text (String), Flag (Boolean), Colour (its
//                 own enumeration "ProtoColour"), Fire raising "Changed" with two
//                 by-reference arguments
//   ProtoDerived  derived from ProtoBase, with Extra (Integer) of its own
//   ProtoHalf     its declarations fail half-way (a declaration the parser refuses)
//   ProtoBroken   its objects cannot be made (the constructor fails)
//   ProtoTaken    a class whose name the tests give to a module's object first
//   ProtoLater    a row without a class yet
//
// Test hooks: protopubLive (native objects alive), protopubServer (the server's
// reference, object and lock counts), protopubBrokenPrototype and
// protopubTakenPrototype (the classes' PO_GetObject).
#include <windows.h>
#include <ole2.h>

#include <stdexcept>
#include <string>

#include "olecls/oclclassfactory.h"
#include "olecls/oclserver.h"
#include "store/poclass.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/popublish.h"
#include "store/valstring.h"

namespace {

int g_live = 0;

enum ProtopubRow { kRowBase, kRowDerived, kRowHalf, kRowBroken, kRowTaken, kRowLater, kRowCount };
extern const POClassRow kClasses[kRowCount];

class ProtoBase : public POClass<ProtoBase> {
 public:
  explicit ProtoBase(IUnknown* outer) : POClass(outer) { ++g_live; }
  ~ProtoBase() override { --g_live; }
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowBase]; }

  void PO_DeclareFields(SignatureRep& sig) {
    PO_EnsureEnum(*this, "ProtoColour", {{"Red", 1}, {"Green", 2}, {"Blue", 4}});
    PO_Property(sig, "Value", kTypeLong, &ProtoBase::pdSetValue, &ProtoBase::pdGetValue);
    PO_Property(sig, "Text", kTypeString, &ProtoBase::pdSetText, &ProtoBase::pdGetText);
    PO_EnumProperty(sig, "Flag", "Boolean", &ProtoBase::pdSetFlag, &ProtoBase::pdGetFlag);
    PO_EnumProperty(sig, "Colour", "ProtoColour", &ProtoBase::pdSetColour, &ProtoBase::pdGetColour);
    PO_Method(sig, "Function Fire(ByVal n as Integer) as Integer", &ProtoBase::imFire);
    PO_Event(sig, "Event Changed(n As Integer, note As String)");
  }
  void PO_Read(OCLStream& s, unsigned) {
    ULONG v = 0;
    s.read(&v);
    char* text = nullptr;
    s.read(&text);
    value_ = (long)v;
    text_ = text ? text : "";
    delete[] text;
  }
  void PO_Write(OCLStream& s) {
    s.write((ULONG)value_);
    s.write(text_.c_str());
  }

  long pdGetValue() { return value_; }
  void pdSetValue(long v) {
    value_ = v;
    changed();
  }
  ValStringRep* pdGetText() { return new ValStringRep(text_.c_str()); }
  void pdSetText(const char* t) {
    text_ = t ? t : "";
    changed();
  }
  long pdGetFlag() { return flag_ ? -1 : 0; }
  void pdSetFlag(long v) { flag_ = v != 0; }
  long pdGetColour() { return colour_; }
  void pdSetColour(long v) { colour_ = v; }

  // Raises Changed(n, note) by reference, Text as the note; keeps the note the handler
  // leaves and answers the n it leaves (-1 when no handler ran).
  short imFire(short code) {
    short c = code;
    ValString text(text_.c_str());
    int ran = PO_RaiseEvent(storeObj(), "Changed", &c, &text);
    text_ = text.str();
    return ran ? c : -1;
  }

 private:
  long value_ = 0;
  std::string text_;
  bool flag_ = false;
  long colour_ = 1;
};

class ProtoDerived : public POClass<ProtoDerived, ProtoBase> {
 public:
  explicit ProtoDerived(IUnknown* outer) : POClass(outer) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowDerived]; }

  void PO_DeclareFields(SignatureRep& sig) {
    PO_Property(sig, "Extra", kTypeShort, &ProtoDerived::pdSetExtra, &ProtoDerived::pdGetExtra);
  }
  void PO_Read(OCLStream& s, unsigned) {
    USHORT v = 0;
    s.read(&v);
    extra_ = (short)v;
  }
  void PO_Write(OCLStream& s) { s.write((USHORT)extra_); }

  short pdGetExtra() { return extra_; }
  void pdSetExtra(short v) {
    extra_ = v;
    changed();
  }

 private:
  short extra_ = 0;
};

class ProtoHalf : public POClass<ProtoHalf> {
 public:
  explicit ProtoHalf(IUnknown* outer) : POClass(outer) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowHalf]; }

  void PO_DeclareFields(SignatureRep& sig) {
    PO_Property(sig, "Before", kTypeLong, nullptr, &ProtoHalf::pdGetBefore);
    PO_Method(sig, "Function (", &ProtoHalf::pdGetBefore);
    PO_Property(sig, "After", kTypeLong, nullptr, &ProtoHalf::pdGetBefore);
  }
  long pdGetBefore() { return 1; }
};

class ProtoBroken : public POClass<ProtoBroken> {
 public:
  explicit ProtoBroken(IUnknown* outer) : POClass(outer) {
    throw std::runtime_error("ProtoBroken cannot be made");
  }
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowBroken]; }
};

class ProtoTaken : public POClass<ProtoTaken> {
 public:
  explicit ProtoTaken(IUnknown* outer) : POClass(outer) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kClasses[kRowTaken]; }
};

Faultp<InterObjRep>* ProtoBase::PO_Object = nullptr;
Faultp<InterObjRep>* ProtoTaken::PO_Object = nullptr;
Faultp<InterObjRep>* ProtoDerived::PO_Object = nullptr;
Faultp<InterObjRep>* ProtoHalf::PO_Object = nullptr;
Faultp<InterObjRep>* ProtoBroken::PO_Object = nullptr;

const POClassRow kClasses[kRowCount] = {
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A10}", "ProtoBase", nullptr, &OCLClassFactory<ProtoBase>::Make,
     &ProtoBase::PO_InitObject},
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A11}", "ProtoDerived", &ProtoBase::PO_GetObject,
     &OCLClassFactory<ProtoDerived>::Make, &ProtoDerived::PO_InitObject},
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A12}", "ProtoHalf", nullptr, &OCLClassFactory<ProtoHalf>::Make,
     &ProtoHalf::PO_InitObject},
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A13}", "ProtoBroken", nullptr, &OCLClassFactory<ProtoBroken>::Make,
     &ProtoBroken::PO_InitObject},
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A14}", "ProtoTaken", nullptr, &OCLClassFactory<ProtoTaken>::Make,
     &ProtoTaken::PO_InitObject},
    {"{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A15}", "ProtoLater", nullptr, nullptr, nullptr},
};

OCLServer<kRowCount>* g_server = nullptr;

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

extern "C" __declspec(dllexport) int protopubLive() { return g_live; }

// refs, objects, locks.
extern "C" __declspec(dllexport) void protopubServer(unsigned long* counts) {
  counts[0] = g_server->RefCount();
  counts[1] = (unsigned long)g_server->ObjectCount();
  counts[2] = (unsigned long)g_server->LockCount();
}

extern "C" __declspec(dllexport) InterObjRep* protopubBrokenPrototype() {
  return ProtoBroken::PO_GetObject();
}

extern "C" __declspec(dllexport) InterObjRep* protopubTakenPrototype() { return ProtoTaken::PO_GetObject(); }
