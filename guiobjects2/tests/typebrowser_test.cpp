// The type information of "Automation" objects as the developer tools read it: the
// method list, parameter lists in Basic form of the test server's members (required,
// optional, by reference, variable lists, a property put without parameter names), the
// VT names and type texts, Scripting.Dictionary, and a server without information.
#include <algorithm>

#include "autokit.h"
#include "guiobjects2/typebrowser.h"

namespace {

using namespace autokit;

struct Bound_ {
  ValuePtr value;
  IWAutomation* a;
};

Bound_ TestServer() {
  IDispatch* d = NewTestServer();
  EXPECT_NE(nullptr, d);
  ValuePtr v = Bound(d);
  if (d) d->Release();
  return {v, IWAutomation::Native(ObjectOf(v))};
}

std::string Proto(IWAutomation* a, const char* name, int& kind) {
  RWCString out("unchanged");
  kind = -1;
  a->getExtMethodProto(name, out, kind);
  return std::string(out.data());
}

std::vector<std::string> Lines(const RWCString& text) {
  std::vector<std::string> lines;
  std::string t(text.data()), line;
  for (char c : t) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  EXPECT_TRUE(line.empty()) << "every name ends its line";
  return lines;
}

TEST(TypeBrowser, ParameterListsOfTheTestServer) {
  Ready();
  Bound_ t = TestServer();
  struct Case {
    const char* name;
    const char* proto;
    int kind;
  } cases[] = {
      {"Scale", "(ByVal x As Long, Optional ByVal y As Variant)", 9},
      {"Add", "(ByVal a As Long, ByVal b As Long)", 9},
      {"Twice", "(ByRef value As Variant)", 0},
      {"Shout", "(ByRef s As Variant)", 0},
      // Names are the library's, spelt as they first appear in it ("Name" of the item).
      {"Greet", "(Optional ByVal Name As Variant)", 9},
      {"Gather", "(ParamArray values As Variant)", 9},
      {"Fail", "(ByVal why As String)", 0},
      {"Sample", "(ByVal vt As Long)", 9},
      // A property: its get, then its put (whose value the server leaves unnamed).
      {"Count", "()(ByVal value As Long)", 0},
      {"Text", "()(ByVal value As String)", 0},
      // An indexed property whose put names no parameter: the member's names are the
      // get's, one fewer than the put's parameters.
      {"Cell", "(ByVal index As Long)(ByVal index As Long, ByVal value As String)", 0},
      {"MakeItem", "(ByVal Name As String, ByVal Number As Long)", 9},
  };
  for (const Case& c : cases) {
    int kind = -1;
    EXPECT_EQ(c.proto, Proto(t.a, c.name, kind)) << c.name;
    EXPECT_EQ(c.kind, kind) << c.name;
  }
  // A name the server lacks leaves both outputs alone.
  int kind = -1;
  EXPECT_EQ("unchanged", Proto(t.a, "NoSuch", kind));
  EXPECT_EQ(-1, kind);
}

TEST(TypeBrowser, MethodListLeavesRestrictedFunctionsOut) {
  Ready();
  Bound_ t = TestServer();
  RWCString list;
  t.a->getExtMethodList(list);
  std::vector<std::string> lines = Lines(list);
  for (const char* n : {"Text", "Count", "Add", "Twice", "Greet", "Total", "MakeItem", "Fail", "Echo", "Kind",
                        "Sample", "Cell", "Gather", "Scale", "Shout"})
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), n)) << n << " in\n" << list.data();
  for (const char* n : {"QueryInterface", "AddRef", "Release", "GetTypeInfoCount", "Invoke"})
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), n)) << n;
  EXPECT_EQ(0, t.a->getExtPropertyCount());  // a dual interface has functions only

  // Wine's dictionary: its methods, without the inherited interfaces' own.
  CLSID cls;
  ASSERT_EQ(S_OK, CLSIDFromProgID(L"Scripting.Dictionary", &cls));
  IDispatch* d = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&d)));
  ValuePtr dict = Bound(d);
  d->Release();
  IWAutomation* da = IWAutomation::Native(ObjectOf(dict));
  RWCString dl;
  da->getExtMethodList(dl);
  std::vector<std::string> dlines = Lines(dl);
  for (const char* n : {"Add", "Exists", "Keys", "Items", "Remove", "RemoveAll", "Count", "Item"})
    EXPECT_NE(dlines.end(), std::find(dlines.begin(), dlines.end(), n)) << n << " in\n" << dl.data();
  EXPECT_EQ(dlines.end(), std::find(dlines.begin(), dlines.end(), "QueryInterface")) << dl.data();
  int kind = -1;
  RWCString proto;
  da->getExtMethodProto("Exists", proto, kind);
  EXPECT_STREQ("(ByRef Key As Variant)", proto.data());
  EXPECT_EQ(9, kind);
}

TEST(TypeBrowser, AServerWithoutInformationAnswersNothing) {
  Ready();
  NoInfoServer* plain = new NoInfoServer;
  ValuePtr p = Bound(plain);
  plain->Release();
  IWAutomation* a = IWAutomation::Native(ObjectOf(p));
  RWCString list("before");
  a->getExtMethodList(list);
  EXPECT_STREQ("before", list.data());
  int kind = 4;
  RWCString proto("before");
  a->getExtMethodProto("Ping", proto, kind);
  EXPECT_STREQ("before", proto.data());
  EXPECT_EQ(4, kind);
  EXPECT_EQ(0, a->getExtPropertyCount());
  RWCString name("before");
  a->getExtPropertyName(0, name);
  EXPECT_STREQ("before", name.data());
  // Neither does an unbound object (the prototype).
  IWAutomation* proto0 = IWAutomation::Native(ObjectStore::find("Automation"));
  RWCString none("before");
  proto0->getExtMethodList(none);
  EXPECT_STREQ("before", none.data());
}

// An object answering the test library's DTestProps: Width and Label are properties
// (variables), Clear a method.
class PropsServer : public IDispatch {
 public:
  PropsServer() {
    ITypeLib* lib = nullptr;
    if (SUCCEEDED(LoadRegTypeLib(testauto::kLibid, 1, 0, 0, &lib))) {
      lib->GetTypeInfoOfGuid(testauto::kPropsIid, &info_);
      lib->Release();
    }
  }
  virtual ~PropsServer() {
    if (info_) info_->Release();
  }
  bool ok() const { return info_ != nullptr; }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(++refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    long n = --refs_;
    if (n == 0) delete this;
    return ULONG(n);
  }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    info_->AddRef();
    *out = info_;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID, DISPID* ids) override {
    return DispGetIDsOfNames(info_, names, n, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    if (flags & DISPATCH_PROPERTYPUT) {
      VARIANT v;
      VariantInit(&v);
      if (p->cArgs != 1 || FAILED(VariantChangeType(&v, &p->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
      width = V_I4(&v);
      return S_OK;
    }
    if (result) {
      V_VT(result) = VT_I4;
      V_I4(result) = width;
    }
    return S_OK;
  }
  long width = 0;

 private:
  long refs_ = 1;
  ITypeInfo* info_ = nullptr;
};

TEST(TypeBrowser, PropertiesOfADispatchInterface) {
  Ready();
  PropsServer* server = new PropsServer;
  ASSERT_TRUE(server->ok());
  ValuePtr v = Bound(server);
  IWAutomation* a = IWAutomation::Native(ObjectOf(v));
  EXPECT_EQ(2, a->getExtPropertyCount());
  struct Case {
    int index;
    const char* name;
  } cases[] = {{0, "Width"}, {1, "Label"}, {2, "before"}, {-1, "before"}};
  for (const Case& c : cases) {
    RWCString name("before");
    a->getExtPropertyName(c.index, name);
    EXPECT_STREQ(c.name, name.data()) << c.index;
  }
  RWCString list;
  a->getExtMethodList(list);
  std::vector<std::string> lines = Lines(list);
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "Clear")) << list.data();
  int kind = -1;
  EXPECT_EQ("()", Proto(a, "Clear", kind));
  EXPECT_EQ(0, kind);
  // The property through the store's entry: put, then get.
  int found = 0;
  Member(ObjectOf(v), "Width", {new DirectValue<long, kTypeLong>(640)}, &found, InterObjRep::kEvalSet);
  EXPECT_EQ(1, found);
  EXPECT_EQ(640, server->width);
  EXPECT_EQ("640", Text(*Member(ObjectOf(v), "Width")));
  server->Release();
}

// Events come from the coclass's default source interface; they are appended.
TEST(TypeBrowser, EventsOfTheSourceInterface) {
  Ready();
  Bound_ t = TestServer();
  RWCString events("Old\n");
  t.a->getExtEventList(events);
  EXPECT_STREQ("Old\nChanged\nClosing\n", events.data());
  struct Case {
    const char* name;
    int known;
    const char* proto;
    int kind;
  } cases[] = {
      {"Changed", 1, "(ByVal Count As Long)", 0},  // spelt as the property
      {"Closing", 1, "(ByRef cancel As Variant)", 0},
      {"Add", 0, "before", -1},  // a method, not an event
  };
  for (const Case& c : cases) {
    RWCString proto("before");
    int kind = -1;
    EXPECT_EQ(c.known, t.a->getExtEventProto(c.name, proto, kind)) << c.name;
    EXPECT_STREQ(c.proto, proto.data()) << c.name;
    EXPECT_EQ(c.kind, kind) << c.name;
  }
  // Servers that name no class have no events.
  NoInfoServer* plain = new NoInfoServer;
  ValuePtr p = Bound(plain);
  plain->Release();
  RWCString none("before");
  IWAutomation::Native(ObjectOf(p))->getExtEventList(none);
  EXPECT_STREQ("before", none.data());
}

TEST(TypeBrowser, VtNamesAndTypeTexts) {
  struct Name {
    unsigned vt;
    const char* name;
  } names[] = {{0, "Void"}, {2, "Integer"},   {3, "Long"},   {8, "String"}, {11, "Boolean"}, {12, "Variant"},
               {15, ""},    {16, "char"},     {17, "BYTE"},  {26, "PTR"},   {31, "LPWSTR"},  {32, ""},
               {63, ""},    {64, "FILETIME"}, {72, "CLSID"}, {73, ""}};
  for (const Name& n : names) EXPECT_STREQ(n.name, TypeBrowser::VtName(n.vt)) << n.vt;

  TYPEDESC i4 = {};
  i4.vt = VT_I4;
  TYPEDESC ptr = {};
  ptr.vt = VT_PTR;
  ptr.lptdesc = &i4;
  TYPEDESC ptrptr = {};
  ptrptr.vt = VT_PTR;
  ptrptr.lptdesc = &ptr;
  ARRAYDESC* ad = static_cast<ARRAYDESC*>(malloc(sizeof(ARRAYDESC) + sizeof(SAFEARRAYBOUND)));
  ad->tdescElem.vt = VT_R8;
  ad->cDims = 2;
  TYPEDESC carray = {};
  carray.vt = VT_CARRAY;
  carray.lpadesc = ad;
  struct Text {
    TYPEDESC t;
    const char* text;
  } texts[] = {
      {i4, "Long"},
      {{{nullptr}, VT_ARRAY | VT_BSTR}, "Array of String"},
      {{{nullptr}, VT_VECTOR | VT_I2}, "VECTOR of Integer"},
      {{{nullptr}, VT_BYREF | VT_R8}, "Double BYREF "},
      {{{nullptr}, VT_RESERVED | VT_UI1}, "RESERVEDBYTE"},
      {{{nullptr}, VT_I1}, "char"},
      {{{nullptr}, 100}, "VarType100"},
      {ptr, "PTR to Long"},
      {ptrptr, "PTR to PTR to Long"},
      {carray, "CARRAY of Double[2]"},
  };
  for (const Text& t : texts) EXPECT_EQ(t.text, TypeBrowser::TypeText(t.t)) << t.t.vt;
  free(ad);
}

}  // namespace
