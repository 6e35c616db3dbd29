// VariantValue against the test server: every kind a server returns read as a Basic
// value, Basic values as arguments (what the server's Kind and Echo see), the put-back
// of assignments, and the value operations with and without a view.
#include <functional>

#include "autokit.h"

namespace {

using namespace autokit;

// The server's Sample(vt) wrapped as the client wraps results (DISPID of Count).
ValuePtr SampleValue(IDispatch* d, VARTYPE vt) {
  Var kind((long)vt);
  VARIANT r;
  VariantInit(&r);
  EXPECT_EQ(S_OK, Direct(d, L"Sample", DISPATCH_METHOD, &r, {&kind}));
  d->AddRef();
  ValuePtr v(new VariantValue(r, testauto::kCount, d));
  return v;
}

class VariantValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Ready();
    server = NewTestServer();
    ASSERT_NE(nullptr, server);
  }
  void TearDown() override {
    if (server) server->Release();
  }
  long ServerCount() {
    Var c;
    EXPECT_EQ(S_OK, Direct(server, L"Count", DISPATCH_PROPERTYGET, &c));
    return V_VT(&c) == VT_I4 ? V_I4(&c) : -999;
  }
  IDispatch* server = nullptr;
};

TEST_F(VariantValueTest, ServerResultsReadAsBasicValues) {
  // The date's text is the one the platform gives it.
  Var date;
  V_VT(&date) = VT_DATE;
  V_DATE(&date) = 45351.5;
  const std::string dateText = date.Text();
  struct Case {
    VARTYPE vt;
    unsigned char type;
    const char* text;  // null: read as a number below
    double number;
  } cases[] = {
      {VT_I2, kTypeShort, nullptr, -2},         {VT_I4, kTypeLong, nullptr, 123456},
      {VT_R4, kTypeFloat, nullptr, 1.5},        {VT_R8, kTypeDouble, nullptr, 2.25},
      {VT_CY, kTypeCurrency, nullptr, 12.3456}, {VT_BOOL, kTypeShort, nullptr, -1},
      {VT_BSTR, kTypeString, "sample", 0},      {VT_DATE, kTypeString, dateText.c_str(), 0},
      {VT_UI1, kTypeString, "200", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vt);
    ValuePtr v = SampleValue(server, c.vt);
    EXPECT_EQ(c.type, v->type());
    if (c.text)
      EXPECT_EQ(c.text, Text(*v));
    else
      EXPECT_DOUBLE_EQ(c.number, v->asDouble());
  }
  // VT_BOOL false is 0.
  VARIANT f;
  VariantInit(&f);
  V_VT(&f) = VT_BOOL;
  V_BOOL(&f) = VARIANT_FALSE;
  ValuePtr no(new VariantValue(f, 0, nullptr));
  EXPECT_EQ(kTypeShort, no->type());
  EXPECT_EQ(0, no->asShort());
}

TEST_F(VariantValueTest, NullAndEmptyHaveNoValue) {
  for (VARTYPE vt : {VT_NULL, VT_EMPTY}) {
    SCOPED_TRACE(vt);
    ValuePtr v = SampleValue(server, vt);
    EXPECT_EQ(kTypeNoValue, v->type());
    try {
      v->asLong();
      ADD_FAILURE() << "read without a value";
    } catch (const StoreException& e) {
      EXPECT_EQ((unsigned)kMsgNoValue, e.id());
    }
    DirectValue<long, kTypeLong> five(5);
    for (int op = 0; op < 3; ++op) {
      try {
        ValuePtr r;
        r.adopt(op == 0 ? (*v == five) : op == 1 ? (*v + five) : (*v < five));
        ADD_FAILURE() << "operation " << op << " without a value";
      } catch (const StoreException& e) {
        EXPECT_EQ((unsigned)kMsgNoValue, e.id()) << op;
      }
    }
  }
}

// A kind that has no text (an error code) fails as an OLE error, not as a crash.
TEST_F(VariantValueTest, AResultWithoutTextIsAnOleError) {
  Var kind((long)VT_ERROR);
  VARIANT r;
  VariantInit(&r);
  ASSERT_EQ(S_OK, Direct(server, L"Sample", DISPATCH_METHOD, &r, {&kind}));
  server->AddRef();
  EXPECT_THROW(new VariantValue(r, 0, server), OleException);
  EXPECT_EQ(VT_EMPTY, V_VT(&r));  // taken over and cleared
}

// What the server receives for each Basic value: Kind names the VARIANT type, Echo
// returns it; "abc" arrives with all three characters.
TEST_F(VariantValueTest, BasicValuesAsArguments) {
  struct Case {
    Value* value;
    const char* kind;
    const char* echoed;
  } cases[] = {
      {new DirectValue<short, kTypeShort>(7), "Integer", "7"},
      {new DirectValue<long, kTypeLong>(70000), "Long", "70000"},
      {new DirectValue<float, kTypeFloat>(1.5f), "Single", "1.5"},
      {new DirectValue<double, kTypeDouble>(2.25), "Double", "2.25"},
      {new DirectValue<ValString, kTypeString>(ValString("abc")), "String", "abc"},
      {new DirectValue<Currency, kTypeCurrency>(Currency::fromRaw(123456)), "Empty", ""},
      {new DirectValue<InterObj, kTypeObject>(InterObj()), "Empty", ""},
  };
  for (const Case& c : cases) {
    ValuePtr hold(c.value);
    SCOPED_TRACE(c.kind);
    Var arg;
    VariantValue::ToVariant(*c.value, arg);
    Var kind, echo;
    EXPECT_EQ(S_OK, Direct(server, L"Kind", DISPATCH_METHOD, &kind, {&arg}));
    EXPECT_EQ(c.kind, kind.Text());
    EXPECT_EQ(S_OK, Direct(server, L"Echo", DISPATCH_METHOD, &echo, {&arg}));
    EXPECT_EQ(c.echoed, echo.Text());
  }
  Var abc;
  DirectValue<ValString, kTypeString> text(ValString("abc"));
  VariantValue::ToVariant(text, abc);
  ASSERT_EQ(VT_BSTR, V_VT(&abc));
  EXPECT_EQ(3u, SysStringLen(V_BSTR(&abc)));
  EXPECT_EQ(0, memcmp(L"abc", V_BSTR(&abc), 3 * sizeof(wchar_t)));
  // A text with characters beyond ASCII and an embedded null keeps every character.
  DirectValue<ValString, kTypeString> odd(ValString("a\0\xe9z", 4));
  Var o;
  VariantValue::ToVariant(odd, o);
  EXPECT_EQ(4u, SysStringLen(V_BSTR(&o)));
  EXPECT_EQ(std::string("a\0\xe9z", 4), BstrToText(V_BSTR(&o)));
}

// Assigning to a result puts it back on the same DISPID; a typed set keeps the VT.
TEST_F(VariantValueTest, AssignmentPutsBackKeepingTheType) {
  VARIANT r;
  VariantInit(&r);
  ASSERT_EQ(S_OK, Direct(server, L"Count", DISPATCH_PROPERTYGET, &r));
  ASSERT_EQ(VT_I4, V_VT(&r));
  server->AddRef();
  ValuePtr v(new VariantValue(r, IdOf(server, L"Count"), server));
  v->set(5L);
  EXPECT_EQ(5, ServerCount());
  EXPECT_EQ(VT_I4, static_cast<VariantValue&>(*v).variant().vt);
  EXPECT_EQ(5, v->asLong());
  v->set(ValString("12"));
  EXPECT_EQ(VT_I4, static_cast<VariantValue&>(*v).variant().vt);
  EXPECT_EQ(kTypeLong, v->type());
  EXPECT_EQ(12, ServerCount());
  DirectValue<double, kTypeDouble> d(40.6);
  *v = d;  // converted by the view
  EXPECT_EQ(41, ServerCount());

  // The String property: the new text goes back as a BSTR.
  VARIANT t;
  VariantInit(&t);
  ASSERT_EQ(S_OK, Direct(server, L"Text", DISPATCH_PROPERTYGET, &t));
  server->AddRef();
  ValuePtr text(new VariantValue(t, IdOf(server, L"Text"), server));
  text->set(ValString("xyz"));
  Var back;
  ASSERT_EQ(S_OK, Direct(server, L"Text", DISPATCH_PROPERTYGET, &back));
  EXPECT_EQ("xyz", back.Text());
}

// A value without a view takes the type of the first value assigned.
TEST_F(VariantValueTest, ANullResultTakesTheFirstAssignedType) {
  struct Case {
    Value* source;
    VARTYPE vt;
    long server;
  } cases[] = {
      {new DirectValue<short, kTypeShort>(7), VT_I2, 7},
      {new DirectValue<long, kTypeLong>(8), VT_I4, 8},
      {new DirectValue<double, kTypeDouble>(9.0), VT_R8, 9},
      {new DirectValue<Currency, kTypeCurrency>(Currency::fromRaw(100000)), VT_CY, 10},
      {new DirectValue<ValString, kTypeString>(ValString("11")), VT_BSTR, 11},
  };
  for (const Case& c : cases) {
    ValuePtr hold(c.source);
    SCOPED_TRACE(c.vt);
    VARIANT n;
    VariantInit(&n);
    V_VT(&n) = VT_NULL;
    server->AddRef();
    ValuePtr v(new VariantValue(n, IdOf(server, L"Count"), server));
    *v = *c.source;
    EXPECT_EQ(c.vt, static_cast<VariantValue&>(*v).variant().vt);
    EXPECT_EQ(c.server, ServerCount());
  }
}

// An object value is a type mismatch before anything reaches the server.
TEST_F(VariantValueTest, ObjectValuesFailBeforeAnyPut) {
  VARIANT r;
  VariantInit(&r);
  ASSERT_EQ(S_OK, Direct(server, L"Count", DISPATCH_PROPERTYGET, &r));
  server->AddRef();
  ValuePtr v(new VariantValue(r, IdOf(server, L"Count"), server));
  v->set(3L);
  DirectValue<InterObj, kTypeObject> obj{InterObj()};
  struct Case {
    std::function<void()> run;
    const char* what;
  } cases[] = {
      {[&] { *v = obj; }, "DirectValueClassFactory"},
      {[&] { v->set(InterObj()); }, "DirectValue<>::set(obj)"},
      {[&] {
         InterObj o;
         v->get(o);
       },
       "DirectValue<>::get(obj)"},
  };
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << c.what;
    } catch (const TypeMismatch& e) {
      EXPECT_EQ((unsigned)kMsgTypeMismatch, e.id());
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.what)) << e.what();
    }
  }
  EXPECT_EQ(3, ServerCount());
  EXPECT_EQ(VT_I4, static_cast<VariantValue&>(*v).variant().vt);
}

// Arithmetic and comparisons between a result and ordinary values go through the view.
TEST_F(VariantValueTest, ArithmeticAndComparisonsWithOrdinaryValues) {
  ValuePtr i4 = SampleValue(server, VT_I4);   // 123456
  ValuePtr r8 = SampleValue(server, VT_R8);   // 2.25
  ValuePtr s = SampleValue(server, VT_BSTR);  // "sample"
  DirectValue<long, kTypeLong> four(4);
  DirectValue<double, kTypeDouble> half(0.5);
  DirectValue<ValString, kTypeString> text(ValString("sample"));
  struct Case {
    Value* result;
    double expected;
  } cases[] = {
      {*i4 + four, 123460},      {*i4 - four, 123452}, {*i4 * four, 493824}, {*i4 / four, 30864},
      {i4->intDiv(four), 30864}, {*i4 % four, 0},      {*r8 * half, 1.125},  {four + *r8, 6.25},
      {*i4 > four, -1},          {*i4 < four, 0},      {*r8 == *r8, -1},     {*s == text, -1},
      {*s != text, 0},           {*i4 & four, 0},      {~*i4, -123457},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    ValuePtr r;
    r.adopt(cases[i].result);
    EXPECT_DOUBLE_EQ(cases[i].expected, r->asDouble()) << i;
  }
}

}  // namespace
