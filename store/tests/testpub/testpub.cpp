// A publishing library for the object store's tests, built the way the product's object
// libraries are: one server, a class factory per class, POD_Populate registering the
// classes "Test" (properties with native getters and setters, methods, an event) and
// "TestChild" (derived from "Test", defining its base's members on its own signature's
// compiled base part).
#include <windows.h>
#include <ole2.h>

#include <new>
#include <string>

#include "olecls/oclclassfactory.h"
#include "olecls/oclserver.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_comp.h"
#include "store/groups.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/poclass.h"
#include "store/popublish.h"
#include "store/signature.h"
#include "store/storeexcept.h"
#include "store/value.h"

// Published classes bind data members by offset (CompDataField), as the product's do.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {

int g_live = 0;

enum TestpubRow { kRowTest, kRowChild };
extern const POClassRow kTestpubClasses[2];

class TestObj : public POClass<TestObj> {
 public:
  explicit TestObj(IUnknown* outer) : POClass(outer) { ++g_live; }
  ~TestObj() override { --g_live; }

  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kTestpubClasses[kRowTest]; }

  void PO_DeclareFields(SignatureRep& sig) {
    sig.addField(CompProcDataField::make("Value", 2, &TestObj::pdSetValue, &TestObj::pdGetValue), nullptr, 0);
    sig.addField(CompProcDataField::make("Caption", 6, &TestObj::pdSetCaption, &TestObj::pdGetCaption),
                 nullptr, 0);
    sig.addField(CompProcDataField::make("Ratio", 3, &TestObj::pdSetRatio, &TestObj::pdGetRatio), nullptr, 0);
    sig.addField(CompProcDataField::make("Small", 1, &TestObj::pdSetSmall, &TestObj::pdGetSmall), nullptr, 0);
    sig.addField(CompProcDataField::make("Peer", 7, &TestObj::pdSetPeer, &TestObj::pdGetPeer, "Test"),
                 nullptr, 0);
    sig.addField(CompProcDataField::make("Serial", 2, nullptr, &TestObj::pdGetSerial), nullptr, 0);
    sig.addField(CompProcEnumField::make("Enabled", EnumRep::find("Boolean"), &TestObj::pdSetEnabled,
                                         &TestObj::pdGetEnabled),
                 nullptr, 0);
    sig.addField(CompDataField::make("Raw", 2, offsetof(TestObj, raw_)), nullptr, 0);
    // An enumeration whose entry texts are no Basic words: spaces, operators, quotes.
    EnumRep* edge = EnumRep::find("TestEdge");
    if (!edge) {
      OpenModuleResource open(store_ ? store_->module() : ObjectStore::OpenModule());
      edge = new EnumRep("TestEdge", 1);
      edge->addEntry("None", 0);
      edge->addEntry("Fixed Single", 1);
      edge->addEntry("Left+Top", 6);
      edge->addEntry("Say \"Hi\"", 7);
    }
    sig.addField(CompProcEnumField::make("Edge", edge, &TestObj::pdSetEdge, &TestObj::pdGetEdge), nullptr, 0);
    CppFuncField* add = new CppFuncField("Add", &TestObj::imAdd, 2);
    add->addParam("a", 2, false);
    add->addParam("b", 2, false);
    sig.addField(add, nullptr, 0);
    CppFuncField* fire = new CppFuncField("Fire", &TestObj::imFire, 2);
    fire->addParam("code", 1, false);
    sig.addField(fire, nullptr, 0);
    CppProcField* swap = new CppProcField("Swap", &TestObj::imSwap);
    swap->addParam("n", 2, true);
    swap->addParam("s", 6, true);
    sig.addField(swap, nullptr, 0);
    CppFuncField* join = new CppFuncField("Join", &TestObj::imJoin, 6);
    join->addParam("a", 6, false);
    join->addParam("d", 4, false);
    sig.addField(join, nullptr, 0);
    // Every argument type by value and by reference, and a 64-bit result: each case of
    // the member calling convention.
    CppFuncField* mix = new CppFuncField("Mix", &TestObj::imMix, kTypeDouble);
    mix->addParam("s", kTypeShort, false);
    mix->addParam("l", kTypeLong, false);
    mix->addParam("f", kTypeFloat, false);
    mix->addParam("d", kTypeDouble, false);
    mix->addParam("c", kTypeCurrency, false);
    mix->addParam("t", kTypeString, false);
    mix->addParam("o", kTypeObject, false, "Test");
    sig.addField(mix, nullptr, 0);
    CppFuncField* scale = new CppFuncField("Scale", &TestObj::imScale, kTypeCurrency);
    scale->addParam("c", kTypeCurrency, false);
    scale->addParam("f", kTypeFloat, false);
    sig.addField(scale, nullptr, 0);
    CppProcField* bump = new CppProcField("Bump", &TestObj::imBump);
    bump->addParam("s", kTypeShort, true);
    bump->addParam("f", kTypeFloat, true);
    bump->addParam("d", kTypeDouble, true);
    bump->addParam("c", kTypeCurrency, true);
    bump->addParam("o", kTypeObject, true, "Test");
    sig.addField(bump, nullptr, 0);
    // Text unload of the compiled properties (text object files call it).
    CppFuncField* unload = new CppFuncField("TextUnload", &TestObj::imTextUnload, kTypeShort);
    unload->addParam("indent", kTypeString, false);
    unload->addParam("cmds", kTypeString, true);
    sig.addField(unload, nullptr, 0);
    sig.addEventDef(new EventDef("Changed", 1, "(code As Integer)", 1));
    // Declarations read by the parser library, as the product's classes give them.
    ParseCppField("Function Twice(ByVal n as long, s As String) As Long", sig, &TestObj::imTwice);
    ParseCppEvent("Event Pinged()", sig);
    // Parameters and results typed by enumerations reach the native side as Longs.
    ParseCppField(
        "Function Pick(ByVal on As Boolean, ByVal n As Integer, ByVal l As Long, flag As Boolean) As String",
        sig, &TestObj::imPick);
    ParseCppField("Function Truth(ByVal v As Long) As Boolean", sig, &TestObj::imTruth);
    // Arrays reach the native side as NativeArray views of the caller's arrays.
    ParseCppField("Function Shape(a() As Single) As String", sig, &TestObj::imShape);
    ParseCppField("Function At(a() As Long, ByVal i As Long) As Double", sig, &TestObj::imAt);
    ParseCppField("Function Word(t() As String, ByVal i As Long) As String", sig, &TestObj::imWord);
    ParseCppField(
        "Function Spread(ByVal s As Integer, a() As Double, ByVal f As Single, b() As Long, ByVal d As "
        "Double, "
        "c() As Currency) As String",
        sig, &TestObj::imSpread);
  }

  void PO_Read(OCLStream& s, unsigned) {
    ULONG v = 0;
    s.read(&v);
    value_ = (long)v;
    char* text = nullptr;
    s.read(&text);
    caption_ = text ? text : "";
    delete[] text;
    s.read(&ratio_);
    peer_.read(s, store_ ? store_->module() : 254);
  }
  void PO_Write(OCLStream& s) {
    s.write((ULONG)value_);
    s.write(caption_.c_str());
    s.write(ratio_);
    peer_.write(s);
  }
  void clone(const IInterObj& src) override {
    const TestObj& t = dynamic_cast<const TestObj&>(src);
    value_ = t.value_;
    caption_ = t.caption_;
    ratio_ = t.ratio_;
    small_ = t.small_;
  }

  long pdGetValue() { return value_; }
  void pdSetValue(long v) {
    value_ = v;
    changed();
  }
  ValStringRep* pdGetCaption() { return new ValStringRep(caption_.c_str()); }
  void pdSetCaption(const char* s) { caption_ = s ? s : "<null>"; }
  float pdGetRatio() { return ratio_; }
  void pdSetRatio(float r) { ratio_ = r; }
  short pdGetSmall() { return small_; }
  void pdSetSmall(short s) { small_ = s; }
  InterObjRep* pdGetPeer() { return peer_.get(); }
  void pdSetPeer(InterObjRep* p) { peer_.set(p, tIndirectReference); }
  long pdGetSerial() { return 4711; }
  long pdGetEdge() { return edge_; }
  void pdSetEdge(long v) { edge_ = v; }
  long pdGetEnabled() { return enabled_ ? -1 : 0; }
  void pdSetEnabled(long v) { enabled_ = v != 0; }

  // The lines that give an object its compiled properties back; -1 (True).
  short imTextUnload(const char* indent, ValString* cmds) {
    static const char* const kFields[] = {"Value", "Ratio", "Small", "Enabled", nullptr};
    if (!store_) return 0;
    store_->textFieldsUnload(kFields, indent, *cmds);
    // An empty caption is not written: reading "" back would set the null string.
    static const char* const kCaption[] = {"Caption", nullptr};
    if (!caption_.empty()) store_->textFieldsUnload(kCaption, indent, *cmds);
    return -1;
  }
  long imAdd(long a, long b) { return a + b; }
  // Raises "Changed" with code by reference; answers what the handler left in it.
  long imFire(short code) {
    short c = code;
    ValueList* args = new ValueList;
    args->ppush(new IndirectValue<short, 1>(c));
    int ran = store_ ? store_->evalIEvent("Changed", args, 1) : 0;
    return ran ? c : -1;
  }
  void imSwap(long* n, ValString* s) {
    *n = *n * 2;
    *s = ValString((std::string(s->c_str()) + "!").c_str());
  }
  long imTwice(long n, ValString* s) {
    *s = ValString((std::string(s->c_str()) + std::to_string(n)).c_str());
    return 2 * n;
  }
  // The arguments as the native side got them; the by-reference flag turned over.
  ValStringRep* imPick(long on, short n, long l, long* flag) {
    std::string text =
        std::to_string(on) + "," + std::to_string(n) + "," + std::to_string(l) + "," + std::to_string(*flag);
    *flag = *flag ? 0 : 1;
    return new ValStringRep(text.c_str());
  }
  long imTruth(long v) { return v; }
  // "dimensions;bounds;count;elements" (elements of a one-dimensional array only).
  ValStringRep* imShape(const NativeArray* a) {
    std::string t = std::to_string(a->dimensions()) + ";";
    for (int d = 0; d < a->dimensions(); ++d)
      t += (d ? "," : "") + std::to_string(a->lbound(d)) + ".." + std::to_string(a->ubound(d));
    t += ";" + std::to_string(a->count()) + ";";
    if (a->dimensions() == 1)
      for (int32_t i = a->lbound(); i <= a->ubound(); ++i)
        t += (i > a->lbound() ? "," : "") + std::to_string((int)(a->number(i) * 10));
    return new ValStringRep(t.c_str());
  }
  double imAt(const NativeArray* a, long i) { return a->number((int32_t)i); }
  ValStringRep* imWord(const NativeArray* t, long i) {
    ValueCellVar c;
    t->element((int32_t)i, c.c);
    return new ValStringRep((std::to_string(t->elementType()) + ":" + c.c.text()).c_str());
  }
  // Arrays among arguments of every kind, in registers and on the stack.
  ValStringRep* imSpread(short s, const NativeArray* a, float f, const NativeArray* b, double d,
                         const NativeArray* c) {
    std::string t = std::to_string(s) + "|" + std::to_string((int)a->number(a->lbound())) + "|" +
                    std::to_string((int)f) + "|" + std::to_string((int)b->number(b->ubound())) + "|" +
                    std::to_string((int)d) + "|" + std::to_string((int)(c->number(0) * 100));
    return new ValStringRep(t.c_str());
  }
  ValStringRep* imJoin(const char* a, double d) {
    return new ValStringRep((std::string(a ? a : "") + ":" + std::to_string((int)d)).c_str());
  }

  double imMix(short s, long l, float f, double d, long long c, const char* t, InterObjRep* o) {
    return s + l + f + d + (double)c / 10000 + (t ? std::string(t).size() : 100) + (o == store_ ? 1000 : 0);
  }
  long long imScale(long long c, float f) { return (long long)((double)c * f); }
  void imBump(short* s, float* f, double* d, long long* c, InterObj* o) {
    *s += 1;
    *f *= 2;
    *d /= 4;
    *c += 1;
    *o = InterObj(store_);
  }

  long raw_ = 7;

 protected:
  long value_ = 0;
  std::string caption_;
  float ratio_ = 0;
  short small_ = 0;
  bool enabled_ = false;
  long edge_ = 0;
  Faultp<InterObjRep> peer_;
};

class TestChild : public POClass<TestChild, TestObj> {
 public:
  explicit TestChild(IUnknown* outer) : POClass(outer) {}
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row() { return kTestpubClasses[kRowChild]; }

  // The base's members go on the signature's base part first (POClass).
  void PO_DeclareFields(SignatureRep& sig) {
    sig.addField(CompProcDataField::make("Extra", 2, &TestChild::pdSetExtra, &TestChild::pdGetExtra), nullptr,
                 0);
    // Declared again by the derived class: shadows the base's.
    sig.addField(CompProcDataField::make("Serial", 2, nullptr, &TestChild::pdGetSerial2), nullptr, 0);
    // The base's text, then the derived class's own property.
    CppFuncField* unload = new CppFuncField("TextUnload", &TestChild::imTextUnloadChild, kTypeShort);
    unload->addParam("indent", kTypeString, false);
    unload->addParam("cmds", kTypeString, true);
    sig.addField(unload, nullptr, 0);
  }
  short imTextUnloadChild(const char* indent, ValString* cmds) {
    imTextUnload(indent, cmds);
    static const char* const kFields[] = {"Extra", nullptr};
    if (store_) store_->textFieldsUnload(kFields, indent, *cmds);
    return -1;
  }
  void PO_Read(OCLStream& s, unsigned) {
    ULONG v = 0;
    s.read(&v);
    extra_ = (long)v;
  }
  void PO_Write(OCLStream& s) { s.write((ULONG)extra_); }
  long pdGetExtra() { return extra_; }
  void pdSetExtra(long v) { extra_ = v; }
  long pdGetSerial2() { return 815; }

 private:
  long extra_ = 0;
};

Faultp<InterObjRep>* TestObj::PO_Object = nullptr;
Faultp<InterObjRep>* TestChild::PO_Object = nullptr;

const POClassRow kTestpubClasses[2] = {
    {"{5E0C7D10-3A41-4B7E-9D2A-6F1C0B8E2A01}", "Test", nullptr, &OCLClassFactory<TestObj>::Make,
     &TestObj::PO_InitObject},
    {"{5E0C7D10-3A41-4B7E-9D2A-6F1C0B8E2A02}", "TestChild", &TestObj::PO_GetObject,
     &OCLClassFactory<TestChild>::Make, &TestChild::PO_InitObject},
};

OCLServer<2>* g_server;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && !g_server) g_server = new OCLServer<2>(kTestpubClasses);
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  return g_server->GetClassObject(clsid, riid, out);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_server->CanUnloadNow(); }

// The classes' ids are not in the registry: PO_Populate tells the store.
extern "C" __declspec(dllexport) void POD_Populate() { PO_Populate(kTestpubClasses); }

// Live native objects, for the leak tests.
extern "C" __declspec(dllexport) int testpubLiveObjects() { return g_live; }
