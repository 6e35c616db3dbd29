// The two automation peers the automation client is tested against: our test server
// "Orvanel.TestAuto" (type library from widl) and Wine's own "Scripting.Dictionary".
// Every member through GetIDsOfNames and Invoke, exceptions, variants of every kind, and
// the members as the type information lists them.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "serverreg.h"
#include "testauto/testauto.h"

namespace {

using namespace testauto;

// A VARIANT that clears itself.
struct Var : VARIANT {
  Var() { VariantInit(this); }
  explicit Var(long v) : Var() { V_VT(this) = VT_I4, V_I4(this) = v; }
  explicit Var(double v) : Var() { V_VT(this) = VT_R8, V_R8(this) = v; }
  explicit Var(const wchar_t* s) : Var() { V_VT(this) = VT_BSTR, V_BSTR(this) = SysAllocString(s); }
  Var(const Var& o) : Var() { VariantCopy(this, const_cast<Var*>(&o)); }
  Var& operator=(const Var&) = delete;
  ~Var() { VariantClear(this); }
  std::wstring Text() const {
    Var s;
    if (FAILED(VariantChangeType(&s, const_cast<Var*>(this), 0, VT_BSTR))) return L"<no text>";
    return std::wstring(V_BSTR(&s), SysStringLen(V_BSTR(&s)));
  }
};

DISPID IdOf(IDispatch* d, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// Calls a member by name with the arguments first-first; a property put when flags say so.
HRESULT Call(IDispatch* d, const wchar_t* name, WORD flags, std::vector<Var> args, VARIANT* result,
             EXCEPINFO* excep = nullptr) {
  DISPID id = IdOf(d, name);
  if (id == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed.data(), nullptr, UINT(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO local = {};
  UINT argErr = 0;
  HRESULT hr =
      d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep ? excep : &local, &argErr);
  if (!excep) {
    SysFreeString(local.bstrSource);
    SysFreeString(local.bstrDescription);
    SysFreeString(local.bstrHelpFile);
  }
  return hr;
}

class TestAuto : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    ASSERT_TRUE(reg.ok()) << "regsvr32 " << kDll;
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Orvanel.TestAuto", &clsid));
    ASSERT_TRUE(IsEqualCLSID(clsid, kClsid));
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(&obj)));
  }
  void TearDown() override {
    if (obj) obj->Release();
  }
  TestServerRegistration reg{kDll};
  IDispatch* obj = nullptr;
};

TEST_F(TestAuto, NamesAnswerTheIdsOfTheTypeLibrary) {
  struct Case {
    const wchar_t* name;
    DISPID id;
  } cases[] = {
      {L"Text", kText},   {L"count", kCount}, {L"ADD", kAdd},           {L"Twice", kTwice},
      {L"Greet", kGreet}, {L"Total", kTotal}, {L"MakeItem", kMakeItem}, {L"Fail", kFail},
      {L"Echo", kEcho},   {L"Kind", kKind},   {L"Sample", kSample},
  };
  for (const Case& c : cases) EXPECT_EQ(c.id, IdOf(obj, c.name)) << c.name;
  DISPID id;
  LPOLESTR n = const_cast<LPOLESTR>(L"Nothing");
  EXPECT_EQ(DISP_E_UNKNOWNNAME, obj->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id));
}

TEST_F(TestAuto, PropertiesAreReadAndWritten) {
  Var r;
  EXPECT_EQ(S_OK, Call(obj, L"Text", DISPATCH_PROPERTYPUT, {Var(L"abc")}, nullptr));
  EXPECT_EQ(S_OK, Call(obj, L"Text", DISPATCH_PROPERTYGET, {}, &r));
  EXPECT_EQ(L"abc", r.Text());
  EXPECT_EQ(S_OK, Call(obj, L"Count", DISPATCH_PROPERTYPUT, {Var(L"7")}, nullptr));  // coerced
  Var c;
  EXPECT_EQ(S_OK, Call(obj, L"Count", DISPATCH_PROPERTYGET, {}, &c));
  EXPECT_EQ(VT_I4, V_VT(&c));
  EXPECT_EQ(7, V_I4(&c));
}

TEST_F(TestAuto, MethodsTakeByValueByReferenceOptionalAndVariableArguments) {
  struct Case {
    const wchar_t* name;
    std::vector<Var> args;
    const wchar_t* result;
  } cases[] = {
      {L"Add", {Var(2L), Var(3L)}, L"5"},
      {L"Add", {Var(L"40"), Var(2.0)}, L"42"},
      {L"Greet", {}, L"Hello, world"},
      {L"Greet", {Var(L"Ann")}, L"Hello, Ann"},
      {L"Total", {Var(1L), Var(2.5), Var(L"3")}, L"6.5"},
      {L"Total", {}, L"0"},
  };
  for (const Case& c : cases) {
    Var r;
    EXPECT_EQ(S_OK, Call(obj, c.name, DISPATCH_METHOD, c.args, &r)) << c.name;
    EXPECT_EQ(c.result, r.Text()) << c.name;
  }
  long value = 21;
  Var ref;
  V_VT(&ref) = VT_I4 | VT_BYREF;
  V_I4REF(&ref) = &value;
  EXPECT_EQ(S_OK, Call(obj, L"Twice", DISPATCH_METHOD, {ref}, nullptr));
  EXPECT_EQ(42, value);

  Var item;
  ASSERT_EQ(S_OK, Call(obj, L"MakeItem", DISPATCH_METHOD, {Var(L"pen"), Var(4L)}, &item));
  ASSERT_EQ(VT_DISPATCH, V_VT(&item));
  Var name, number;
  EXPECT_EQ(S_OK, Call(V_DISPATCH(&item), L"Name", DISPATCH_PROPERTYGET, {}, &name));
  EXPECT_EQ(L"pen", name.Text());
  EXPECT_EQ(S_OK, Call(V_DISPATCH(&item), L"Number", DISPATCH_PROPERTYGET, {}, &number));
  EXPECT_EQ(L"4", number.Text());
}

TEST_F(TestAuto, FailuresAreExceptionsWithTheirDescription) {
  EXCEPINFO e = {};
  EXPECT_EQ(DISP_E_EXCEPTION, Call(obj, L"Fail", DISPATCH_METHOD, {Var(L"broken on purpose")}, nullptr, &e));
  EXPECT_EQ(E_FAIL, e.scode);
  ASSERT_NE(nullptr, e.bstrDescription);
  EXPECT_STREQ(L"broken on purpose", e.bstrDescription);
  ASSERT_NE(nullptr, e.bstrSource);
  EXPECT_STREQ(kSource, e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrHelpFile);

  Var r;
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(obj, L"Add", DISPATCH_METHOD, {Var(1L)}, &r));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(obj, L"Add", DISPATCH_METHOD, {Var(L"x"), Var(1L)}, &r));
  EXCEPINFO t = {};
  EXPECT_EQ(DISP_E_EXCEPTION, Call(obj, L"Total", DISPATCH_METHOD, {Var(1L), Var(L"many")}, &r, &t));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, t.scode);
  SysFreeString(t.bstrDescription);
  SysFreeString(t.bstrSource);
}

// Every kind the client converts comes back from Sample as itself, and Echo returns it.
TEST_F(TestAuto, VariantsOfEveryKind) {
  struct Case {
    VARTYPE vt;
    const wchar_t* kind;
  } cases[] = {
      {VT_EMPTY, L"Empty"}, {VT_NULL, L"Null"},       {VT_I2, L"Integer"},  {VT_I4, L"Long"},
      {VT_R4, L"Single"},   {VT_R8, L"Double"},       {VT_CY, L"Currency"}, {VT_DATE, L"Date"},
      {VT_BSTR, L"String"}, {VT_DISPATCH, L"Object"}, {VT_ERROR, L"Error"}, {VT_BOOL, L"Boolean"},
      {VT_UI1, L"Byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Var sample, echoed, kind;
    ASSERT_EQ(S_OK, Call(obj, L"Sample", DISPATCH_METHOD, {Var(long(c.vt))}, &sample));
    EXPECT_EQ(c.vt, V_VT(&sample));
    EXPECT_EQ(S_OK, Call(obj, L"Echo", DISPATCH_METHOD, {sample}, &echoed));
    EXPECT_EQ(c.vt, V_VT(&echoed));
    EXPECT_EQ(VARCMP_EQ, c.vt == VT_DISPATCH || c.vt == VT_ERROR || c.vt == VT_NULL
                             ? VARCMP_EQ
                             : VarCmp(&sample, &echoed, 0, 0));
    EXPECT_EQ(S_OK, Call(obj, L"Kind", DISPATCH_METHOD, {sample}, &kind));
    EXPECT_EQ(c.kind, kind.Text());
  }
  Var cy;
  ASSERT_EQ(S_OK, Call(obj, L"Sample", DISPATCH_METHOD, {Var(long(VT_CY))}, &cy));
  EXPECT_EQ(L"12.3456", cy.Text());
  Var bad;
  EXPECT_EQ(DISP_E_EXCEPTION, Call(obj, L"Sample", DISPATCH_METHOD, {Var(long(VT_RECORD))}, &bad));
}

TEST_F(TestAuto, TypeInformationListsTheMembersAsWidlNamedThem) {
  UINT count = 0;
  EXPECT_EQ(S_OK, obj->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  ITypeInfo* info = nullptr;
  ASSERT_EQ(S_OK, obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
  std::set<std::wstring> names;
  bool totalIsVararg = false, greetIsOptional = false;
  for (UINT i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(i, &f));
    BSTR name = nullptr;
    UINT got = 0;
    info->GetNames(f->memid, &name, 1, &got);
    std::wstring n(name ? name : L"");
    names.insert(n);
    if (n == L"Total") totalIsVararg = f->cParamsOpt == -1;
    if (n == L"Greet" && f->cParams >= 1)
      greetIsOptional = (f->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FOPT) != 0;
    SysFreeString(name);
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  info->Release();
  for (const wchar_t* n : {L"Text", L"Count", L"Add", L"Twice", L"Greet", L"Total", L"MakeItem", L"Fail",
                           L"Echo", L"Kind", L"Sample"})
    EXPECT_EQ(1u, names.count(n)) << std::string(n, n + wcslen(n));
  EXPECT_TRUE(totalIsVararg);
  EXPECT_TRUE(greetIsOptional);
}

// Wine's own scripting runtime: the second, independent automation peer.
TEST(ScriptingDictionary, AddItemCountKeysAndTypeInformation) {
  CoInitialize(nullptr);
  {
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Scripting.Dictionary", &clsid));
    IDispatch* dict = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(&dict)));
    EXPECT_EQ(S_OK, Call(dict, L"Add", DISPATCH_METHOD, {Var(L"a"), Var(1L)}, nullptr));
    EXPECT_EQ(S_OK, Call(dict, L"Add", DISPATCH_METHOD, {Var(L"b"), Var(2L)}, nullptr));
    EXPECT_NE(S_OK, Call(dict, L"Add", DISPATCH_METHOD, {Var(L"a"), Var(3L)}, nullptr));  // taken
    Var n, item, exists, keys;
    EXPECT_EQ(S_OK, Call(dict, L"Count", DISPATCH_PROPERTYGET, {}, &n));
    EXPECT_EQ(L"2", n.Text());
    EXPECT_EQ(S_OK, Call(dict, L"Item", DISPATCH_PROPERTYGET, {Var(L"b")}, &item));
    EXPECT_EQ(L"2", item.Text());
    EXPECT_EQ(S_OK, Call(dict, L"Exists", DISPATCH_METHOD, {Var(L"a")}, &exists));
    EXPECT_EQ(VT_BOOL, V_VT(&exists));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&exists));
    ASSERT_EQ(S_OK, Call(dict, L"Keys", DISPATCH_METHOD, {}, &keys));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, V_VT(&keys));
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(V_ARRAY(&keys), 1, &lo);
    SafeArrayGetUBound(V_ARRAY(&keys), 1, &hi);
    std::vector<std::wstring> got;
    for (LONG i = lo; i <= hi; ++i) {
      Var k;
      SafeArrayGetElement(V_ARRAY(&keys), &i, &k);
      got.push_back(k.Text());
    }
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), got);
    UINT count = 0;
    EXPECT_EQ(S_OK, dict->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    dict->Release();
  }
  CoUninitialize();
}

}  // namespace
