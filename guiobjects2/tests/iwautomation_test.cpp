// "Automation" from Basic and through the store's member entry: binding with
// CreateObject and GetObject, members of Scripting.Dictionary and of the test server
// (by value, by reference, optional, variable lists, indexed properties, objects
// chained), server exceptions caught by Try/Catch, and what bad calls become.
#include <fstream>

#include "autokit.h"
#include "store/interobj.h"

namespace {

using namespace autokit;

// Runs a Function F() As String.
BasicOutcome RunF(const std::string& body) {
  return BasicRunner::CompileAndRun("Function F() As String\n" + body + "\nEnd Function\n", "F");
}

std::string ValueF(const std::string& body) {
  BasicOutcome out = RunF(body);
  EXPECT_TRUE(out.ok) << body << "\n" << out.error;
  return out.result;
}

const char* kMakeTest = " Dim t As Object\n Set t = Automation.CreateObject(\"Orvanel.TestAuto\")\n";

// body after kMakeTest, its declarations (" Dim" lines) moved before the statements.
std::string WithT(const std::string& body) {
  std::string decls = " Dim t As Object\n", stmts;
  size_t at = 0;
  while (at < body.size()) {
    size_t end = body.find('\n', at);
    std::string line = body.substr(at, end == std::string::npos ? std::string::npos : end - at) + "\n";
    (line.compare(0, 5, " Dim ") == 0 ? decls : stmts) += line;
    at = end == std::string::npos ? body.size() : end + 1;
  }
  return decls + " Set t = Automation.CreateObject(\"Orvanel.TestAuto\")\n" + stmts;
}

TEST(Automation, IsPublishedWithoutParentAndStartsUnbound) {
  Ready();
  InterObjRep* proto = ObjectStore::find("Automation");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Automation", proto->progId());
  EXPECT_EQ(nullptr, proto->parent());
  IWAutomation* a = IWAutomation::Native(proto);
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(VT_EMPTY, a->binding().vt);
  EXPECT_EQ(0, a->hasExtProperty("Anything"));
}

TEST(Automation, ScriptingDictionaryFromBasic) {
  Ready();
  EXPECT_EQ("2 2 -1 0", ValueF(" Dim d As Object\n"
                               " Set d = Automation.CreateObject(\"Scripting.Dictionary\")\n"
                               " d.Add \"a\", 1\n"
                               " d.Add \"b\", 2\n"
                               " F = d.Count & \" \" & d.Item(\"b\") & \" \" & d.Exists(\"a\") & \" \" & "
                               "d.Exists(\"zz\")"));
  // An assigned item goes back to the dictionary through a property put with its key.
  EXPECT_EQ("5 3", ValueF(" Dim d As Object\n"
                          " Set d = Automation.CreateObject(\"Scripting.Dictionary\")\n"
                          " d.Add \"a\", 1\n"
                          " d.Item(\"a\") = 5\n"
                          " d.Item(\"c\") = 7\n"
                          " d.Add \"b\", 2\n"
                          " F = d.Item(\"a\") & \" \" & d.Count"));
  // Keys is an array, which has no Basic form here: a Basic error, not a crash.
  BasicOutcome keys = RunF(
      " Dim d As Object\n"
      " Set d = Automation.CreateObject(\"Scripting.Dictionary\")\n"
      " d.Add \"a\", 1\n"
      " Try\n"
      "  F = d.Keys\n"
      " Catch OleException(msg As String)\n"
      "  F = \"caught \" & msg\n"
      " End Try");
  ASSERT_TRUE(keys.ok) << keys.error;
  EXPECT_EQ(0u, keys.result.find("caught OLE error 0x80020005")) << keys.result;
}

TEST(Automation, TestServerMembersFromBasic) {
  Ready();
  struct Case {
    const char* body;
    const char* result;
  } cases[] = {
      {" F = t.Add(2, 3)", "5"},
      {" F = t.Add(\"40\", 2.5)", "42"},
      {" Dim n As Long\n n = 21\n t.Twice n\n F = n", "42"},
      {" Dim n As Integer\n n = 4\n t.Twice n\n F = n", "8"},
      {" Dim s As String\n s = \"hey\"\n t.Shout s\n F = s", "HEY!"},
      {" F = t.Greet()", "Hello, world"},
      {" F = t.Greet(\"Ann\")", "Hello, Ann"},
      {" F = t.Scale(6)", "6"},
      {" F = t.Scale(6, 7)", "42"},
      {" F = t.Total(1, 2.5, \"3\")", "6.5"},
      {" t.Text = \"abc\"\n F = t.Text & Len(t.Text)", "abc3"},
      {" t.Count = 12\n t.Count = t.Count + 1\n F = t.Count", "13"},
      {" t.Cell(2) = \"two\"\n t.Cell(3) = \"three\"\n F = t.Cell(2) & t.Cell(3) & \"|\" & t.Cell(0)",
       "twothree|"},
      {" F = t.MakeItem(\"pen\", 4).Name & t.MakeItem(\"ink\", 5).Number", "pen5"},
      {" Dim i As Object\n Set i = t.MakeItem(\"cup\", 9)\n F = i.Name & i.Number", "cup9"},
      {" Dim k As Integer\n k = 1\n F = t.Kind(\"abc\") & t.Kind(k) & t.Kind(100000) & t.Kind(1.5)",
       "StringIntegerLongDouble"},
      {" F = t.Echo(\"abc\") & Len(t.Echo(\"abc\"))", "abc3"},
      {" F = t.Sample(11) & t.Sample(7)", ""},  // replaced below: the date's text
  };
  Var date;
  V_VT(&date) = VT_DATE;
  V_DATE(&date) = 45351.5;
  std::string last = "-1" + date.Text();
  cases[sizeof cases / sizeof cases[0] - 1].result = last.c_str();
  for (const Case& c : cases) EXPECT_EQ(c.result, ValueF(WithT(c.body))) << c.body;
}

// Objects made by CreateObject are temporaries that keep their server while referenced.
TEST(Automation, BoundObjectsAreNewTemporaries) {
  Ready();
  InterObjRep* proto = ObjectStore::find("Automation");
  ValueList args;
  args.ppush(new DirectValue<ValString, kTypeString>(ValString("Orvanel.TestAuto")));
  int found = 0;
  ValuePtr v;
  v.adopt(proto->ROCDataPtr(0)->eval("CreateObject", InterObjRep::kEvalGet, &args, &found));
  EXPECT_EQ(1, found);
  ASSERT_TRUE(v);
  ASSERT_EQ(kTypeObject, v->type());
  InterObjRep* obj = ObjectOf(v);
  ASSERT_NE(nullptr, obj);
  EXPECT_NE(proto, obj);
  EXPECT_EQ(ObjectStore::kTempModule, obj->module());
  EXPECT_EQ(VT_DISPATCH, IWAutomation::GetVariant(InterObj(obj)).vt);
  EXPECT_EQ(VT_EMPTY, IWAutomation::Native(proto)->binding().vt);  // the prototype stays unbound
  EXPECT_EQ(VT_EMPTY, IWAutomation::GetVariant(InterObj(proto)).vt);
  // A non-automation object has no binding.
  EXPECT_EQ(VT_EMPTY, IWAutomation::GetVariant(InterObj(ObjectStore::find("Frame"))).vt);
  // Results other than objects are variant values that keep the member's DISPID.
  ValuePtr count = Member(obj, "Count");
  VariantValue* cv = dynamic_cast<VariantValue*>(count.get());
  ASSERT_NE(nullptr, cv);
  EXPECT_EQ((DISPID)testauto::kCount, cv->dispid());
  count->set(5L);
  EXPECT_EQ("5", Text(*Member(obj, "Count")));
}

// The binding members refuse shapes they do not know: "not found", nothing made.
TEST(Automation, BindingMembersCheckTheirArguments) {
  Ready();
  InterObjRep* proto = ObjectStore::find("Automation");
  auto S = [](const char* s) { return new DirectValue<ValString, kTypeString>(ValString(s)); };
  auto L = [](long n) { return new DirectValue<long, kTypeLong>(n); };
  struct Case {
    const char* name;
    std::vector<Value*> args;
    int found;
  } cases[] = {
      {"CreateObject", {}, 0},
      {"CreateObject", {L(1)}, 0},
      {"CreateObject", {S("Orvanel.TestAuto"), S("x")}, 0},
      {"createobject", {S("Orvanel.TestAuto")}, 0},  // names are case-sensitive
      {"GetObject", {}, 0},
      {"GetObject", {S("Orvanel.TestAuto"), L(1)}, 0},
      {"GetObject", {S("Orvanel.TestAuto"), S(""), S("")}, 0},
      {"Count", {}, 0},
      {"CreateObject", {S("Orvanel.TestAuto")}, 1},
      {"GetObject", {S("Orvanel.TestAuto"), S("")}, 1},
  };
  for (Case& c : cases) {
    int found = -1;
    ValuePtr r = Member(proto, c.name, c.args, &found);
    EXPECT_EQ(c.found, found) << c.name << " " << c.args.size();
    EXPECT_EQ(c.found == 1, r && r->type() == kTypeObject) << c.name;
  }
  // From Basic the store reports the refused shape as not found.
  BasicOutcome two = RunF(" Dim t As Object\n Set t = Automation.CreateObject(\"Orvanel.TestAuto\", \"x\")");
  EXPECT_FALSE(two.ok);
  EXPECT_EQ((unsigned)kMsgNotFound, two.errorId) << two.error;
  EXPECT_NE(std::string::npos, two.error.find("CreateObject")) << two.error;
  // An unknown class is an OLE error.
  BasicOutcome none = RunF(" Dim t As Object\n Set t = Automation.CreateObject(\"Orvanel.NoSuchClass\")");
  EXPECT_FALSE(none.ok);
  EXPECT_NE(std::string::npos, none.error.find("OLE error 0x800401F3")) << none.error;
}

TEST(Automation, GetObjectBindsLinkedFilesAndRunningOrNewObjects) {
  Ready();
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string path = std::string(dir) + "automation_link_" + std::to_string(GetCurrentProcessId()) +
                     testauto::kFileExtension;
  std::ofstream(path, std::ios::binary) << "linked text";
  // The display name through a file moniker, and the class with the file.
  EXPECT_EQ("linked text",
            ValueF(" Dim o As Object\n Set o = Automation.GetObject(\"" + path + "\")\n F = o.Text"));
  EXPECT_EQ("linked text", ValueF(" Dim o As Object\n Set o = Automation.GetObject(\"Orvanel.TestAuto\", \"" +
                                  path + "\")\n F = o.Text"));
  // No running instance: an empty file name makes a new one.
  EXPECT_EQ("0", ValueF(" Dim o As Object\n Set o = Automation.GetObject(\"Orvanel.TestAuto\", \"\")\n"
                        " F = o.Count"));
  // A running instance is found in the running object table.
  IDispatch* running = NewTestServer();
  ASSERT_NE(nullptr, running);
  Var n(77L);
  ASSERT_EQ(S_OK, Direct(running, L"Count", DISPATCH_PROPERTYPUT, nullptr, {&n}));
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, RegisterActiveObject(running, testauto::kClsid, ACTIVEOBJECT_STRONG, &cookie));
  EXPECT_EQ("77", ValueF(" Dim o As Object\n Set o = Automation.GetObject(\"Orvanel.TestAuto\", \"\")\n"
                         " F = o.Count"));
  RevokeActiveObject(cookie, nullptr);
  running->Release();
  // A missing file is an OLE error.
  BasicOutcome missing =
      RunF(" Dim o As Object\n Set o = Automation.GetObject(\"Orvanel.TestAuto\", \"" + path + ".gone\")");
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(std::string::npos, missing.error.find("OLE error")) << missing.error;
  DeleteFileA(path.c_str());
}

// A server exception is a Basic error with the server's code, source and description.
TEST(Automation, ServerExceptionsAreCaughtWithTheirText) {
  Ready();
  std::string caught = ValueF(std::string(kMakeTest) +
                              " Try\n"
                              "  t.Fail \"broken on purpose\"\n"
                              "  F = \"no error\"\n"
                              " Catch OleException(msg As String)\n"
                              "  F = msg\n"
                              " End Try");
  EXPECT_EQ("OLE error 0x80004005 in Orvanel.TestAuto. broken on purpose", caught);
  // Uncaught, it ends the run with the same text.
  BasicOutcome out = RunF(std::string(kMakeTest) + " t.Fail \"again\"\n F = \"no error\"");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find("again")) << out.error;
  // At the C++ level: the fields of the exception.
  IDispatch* d = NewTestServer();
  ValuePtr obj = Bound(d);
  d->Release();
  try {
    Member(ObjectOf(obj), "Fail", {new DirectValue<ValString, kTypeString>(ValString("why"))});
    ADD_FAILURE() << "no exception";
  } catch (const OleException& e) {
    EXPECT_EQ(E_FAIL, e.hresult());
    EXPECT_EQ("why", e.description());
    EXPECT_EQ("Orvanel.TestAuto", e.source());
  }
}

// A server that fills its exception later: the client calls the fill-in function.
class DeferredServer : public NoInfoServer {
 public:
  static HRESULT STDAPICALLTYPE Fill(EXCEPINFO* e) {
    e->bstrDescription = SysAllocString(L"filled later");
    e->bstrSource = SysAllocString(L"Deferred");
    e->scode = E_ACCESSDENIED;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO* e, UINT*) override {
    if (!e) return E_ACCESSDENIED;
    memset(e, 0, sizeof *e);
    e->pfnDeferredFillIn = &Fill;
    return DISP_E_EXCEPTION;
  }
};

TEST(Automation, DeferredExceptionInformationIsFilledIn) {
  Ready();
  DeferredServer* server = new DeferredServer;
  ValuePtr obj = Bound(server);
  server->Release();
  try {
    Member(ObjectOf(obj), "Ping");
    ADD_FAILURE() << "no exception";
  } catch (const OleException& e) {
    EXPECT_EQ(E_ACCESSDENIED, e.hresult());
    EXPECT_EQ("filled later", e.description());
    EXPECT_EQ("Deferred", e.source());
    EXPECT_STREQ("OLE error 0x80070005 in Deferred. filled later", e.what());
  }
}

// Unknown names, wrong argument counts and types and bad indexes are Basic errors.
TEST(Automation, BadCallsAreBasicErrors) {
  Ready();
  struct Case {
    const char* body;
    unsigned id;       // the store's message id, 0 for an OLE error
    const char* text;  // part of the error's text
  } cases[] = {
      {" F = t.NoSuchMember", kMsgNotFound, "NoSuchMember"},
      {" F = t.Add(1)", 0, "0x8002000E"},
      {" F = t.Add(\"x\", 1)", 0, "0x80020005"},
      {" F = t.Cell(99)", 0, "0x8002000B"},
      {" F = t.Sample(1)", kMsgNoValue, ""},
      {" F = t.Sample(10)", 0, "OLE error"},
  };
  for (const Case& c : cases) {
    BasicOutcome out = RunF(WithT(c.body));
    EXPECT_FALSE(out.ok) << c.body;
    if (c.id) {
      EXPECT_EQ(c.id, out.errorId) << c.body << ": " << out.error;
    }
    EXPECT_NE(std::string::npos, out.error.find(c.text)) << c.body << ": " << out.error;
  }
}

// Bound by reference: the current pointer is used on every call; a null one gives a
// null result for any name.
TEST(Automation, BoundByReferenceFollowsThePointer) {
  Ready();
  IUnknown* slot = nullptr;
  ValuePtr obj;
  obj.adopt(IWAutomation::Create(&slot));
  InterObjRep* o = ObjectOf(obj);
  int found = 0;
  ValuePtr r = Member(o, "Count", {}, &found);
  EXPECT_FALSE(r);
  EXPECT_EQ(1, found);
  EXPECT_EQ(0, o->ROCDataPtr(0)->hasExtProperty("Count"));
  IDispatch* d = NewTestServer();
  slot = d;
  Var n(31L);
  ASSERT_EQ(S_OK, Direct(d, L"Count", DISPATCH_PROPERTYPUT, nullptr, {&n}));
  r = Member(o, "Count", {}, &found);
  EXPECT_EQ(1, found);
  ASSERT_TRUE(r);
  EXPECT_EQ("31", Text(*r));
  EXPECT_EQ(1, o->ROCDataPtr(0)->hasExtProperty("Count"));
  slot = nullptr;
  r.clear();
  d->Release();  // the object never owned it
  EXPECT_FALSE(Member(o, "Count", {}, &found));
}

// hasExtProperty asks the server's GetIDsOfNames, so names outside the type
// information count too.
TEST(Automation, HasExtPropertyAsksTheServer) {
  Ready();
  NoInfoServer* plain = new NoInfoServer;
  ValuePtr p = Bound(plain);
  plain->Release();
  IWAutomation* a = IWAutomation::Native(ObjectOf(p));
  EXPECT_EQ(1, a->hasExtProperty("Ping"));
  EXPECT_EQ(0, a->hasExtProperty("Pong"));
  EXPECT_EQ("7", Text(*Member(ObjectOf(p), "Ping")));
  IDispatch* d = NewTestServer();
  ValuePtr t = Bound(d);
  d->Release();
  IWAutomation* ta = IWAutomation::Native(ObjectOf(t));
  EXPECT_EQ(1, ta->hasExtProperty("Count"));
  EXPECT_EQ(1, ta->hasExtProperty("count"));
  EXPECT_EQ(0, ta->hasExtProperty("Counter"));
}

// The block is the revision byte only; a newer one names the class; loading unbinds.
TEST(Automation, StreamBlockIsTheRevisionOnly) {
  Ready();
  IDispatch* d = NewTestServer();
  ValuePtr obj = Bound(d);
  d->Release();
  IWAutomation* a = IWAutomation::Native(ObjectOf(obj));
  IStream* s = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &s));
  a->PO_Save(s, 1);
  STATSTG st = {};
  s->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(1u, st.cbSize.QuadPart);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  a->PO_Load(s);
  EXPECT_EQ(VT_EMPTY, a->binding().vt);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  UCHAR two = 2;
  s->Write(&two, 1, nullptr);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  try {
    a->PO_Load(s);
    ADD_FAILURE() << "revision 2 loaded";
  } catch (const ObjectLoadFailed& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("Automation")) << e.what();
  }
  s->Release();
}

}  // namespace
