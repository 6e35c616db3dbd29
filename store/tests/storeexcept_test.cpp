// Each exception kind: its id, its text, its caption, and how it passes through catch sites.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "store/storeexcept.h"

namespace {

struct Case {
  std::function<void()> raise;
  unsigned id;
  const char* text;
  const char* caption;
};

}  // namespace

TEST(StoreException, KindsTextsAndCaptions) {
  const Case cases[] = {
      {[] { throw StoreException("Cannot set Automation object references"); }, 0,
       "Cannot set Automation object references", "StoreException"},
      {[] { throw StoreException(32712, "UndoLimit"); }, 32712, "Invalid value for 'UndoLimit'.",
       "StoreException"},
      {[] { throw StoreException(32691, "Caption"); }, 32691,
       "No object of the group has the member 'Caption'.", "StoreException"},
      {[] { throw StoreException(32692, "Caption"); }, 32692,
       "The group holds no objects to use the member 'Caption' on.", "StoreException"},
      {[] { throw StoreException(32693, "Caption"); }, 32693,
       "An object of the group has no member 'Caption'.", "StoreException"},
      {[] { throw StoreException(32725); }, 32725, "The value is empty: nothing has been assigned to it.",
       "StoreException"},
      {[] { throw StoreException(32000); }, 32000, "Exception #32000 (no message available).",
       "StoreException"},
      {[] { throw ObjectLoadFailed("ColorDialog"); }, 32680,
       "The stored data of class 'ColorDialog' was written by a newer version and cannot be loaded.",
       "ObjectLoadFailed"},
      {[] { throw PauseExecution(); }, 32681, "Execution paused.", "PauseExecution"},
      {[] { throw TerminateExecution(); }, 32682, "Execution terminated.", "TerminateExecution"},
      {[] { throw FPException("Domain Error: sqrt", "MathError"); }, 0, "Domain Error: sqrt", "MathError"},
      {[] { throw FPException(32699, "FPE"); }, 32699, "Floating-point exception raised by the program.",
       "FPE"},
      {[] { throw FPException(32700); }, 32700, "Floating-point stack fault.", "FPE"},
      {[] { throw FPException(32701); }, 32701, "Floating-point result is inexact.", "FPE"},
      {[] { throw FPException(32702); }, 32702, "Floating-point underflow.", "FPE"},
      {[] { throw FPException(32703); }, 32703, "Floating-point overflow.", "FPE"},
      {[] { throw FPException(32704); }, 32704, "Division by zero.", "FPE"},
      {[] { throw FPException(32705); }, 32705, "Invalid floating-point operation.", "FPE"},
      {[] { throw FPException(32706); }, 32706, "Integer division by zero.", "FPE"},
      {[] { throw FPException(32707); }, 32707, "Overflow: the result does not fit its type.", "FPE"},
      {[] { throw DatabaseError("no cursor"); }, 32683, "Database error: no cursor", "DatabaseError"},
      {[] { throw FieldCollision("Top"); }, 32684, "The member 'Top' is already defined.", "FieldCollision"},
      {[] { throw MatchingFieldCollision("Top"); }, 32685,
       "The member 'Top' is already defined with the same declaration.", "MatchingFieldCollision"},
      {[] { throw CollisionOnSelf("Top"); }, 32686, "The member 'Top' is already defined in this object.",
       "CollisionOnSelf"},
      {[] { throw CollisionOnParent("Top"); }, 32687,
       "The member 'Top' is already defined by a parent object.", "CollisionOnParent"},
      {[] { throw MethodDataCollision("Top"); }, 32688, "The method 'Top' has the name of a data member.",
       "MethodDataCollision"},
      {[] { throw DataMethodCollision("Top"); }, 32689, "The data member 'Top' has the name of a method.",
       "DataMethodCollision"},
      {[] { throw RangeError(32736, 1, -1, -5); }, 32736, "Index out of range: -5 is not between 1 and -1.",
       "RangeError"},
      {[] { throw RangeError(32728, 1, 4, 9); }, 32728, "Position out of range: 9 is not between 1 and 4.",
       "RangeError"},
      {[] { throw RangeError(32727, 0, 3, 4); }, 32727, "Value out of range: 4 is not between 0 and 3.",
       "RangeError"},
      {[] { throw NotFound("Click"); }, 32710, "'Click' not found.", "NotFound"},
      {[] { throw AccessDenied("Form1.Secret"); }, 32690, "Access denied: Form1.Secret", "AccessDenied"},
      {[] { throw UnnamedSignature(); }, 32694, "A class signature has no name.", "UnnamedSignature"},
      {[] { throw ConvertFailed("abc"); }, 32695, "Cannot convert the value: abc", "ConvertFailed"},
      {[] { throw ProxyResolveFailed("Form2"); }, 32696, "The reference to 'Form2' cannot be resolved.",
       "ProxyResolveFailed"},
      {[] { throw ModuleOpenFailed("app.ovm"); }, 32697, "The module 'app.ovm' could not be opened.",
       "ModuleOpenFailed"},
      {[] { throw TypeMismatch("DirectValue<>::get(obj)", 32765); }, 32765,
       "Type mismatch: DirectValue<>::get(obj)", "TypeMismatch"},
      {[] { ThrowSystemError(ERROR_FILE_NOT_FOUND, "open x"); }, 32698, nullptr, "StoreException"},
      {[] { OleException::Check(E_NOINTERFACE, "QueryInterface"); }, 0, nullptr, "OleException"},
  };
  for (const Case& k : cases) {
    try {
      k.raise();
      ADD_FAILURE() << "no exception for " << k.caption;
    } catch (XException& x) {
      StoreException* e = dynamic_cast<StoreException*>(&x);
      ASSERT_TRUE(e) << k.caption;
      EXPECT_EQ(k.id, e->id()) << k.caption;
      if (k.text) {
        EXPECT_STREQ(k.text, e->what());
      }
      EXPECT_STREQ(k.caption, e->className());
      // Clone and Throw keep the dynamic type.
      std::unique_ptr<XException> copy(e->Clone());
      EXPECT_STREQ(k.caption, static_cast<StoreException*>(copy.get())->className());
      try {
        copy->Throw();
      } catch (StoreException& again) {
        EXPECT_STREQ(e->what(), again.what());
        EXPECT_EQ(typeid(*e), typeid(again));
      }
    }
  }
}

TEST(StoreException, SystemAndOleTexts) {
  try {
    ThrowSystemError(ERROR_FILE_NOT_FOUND, "open x");
  } catch (const StoreException& e) {
    std::string t = e.what();
    EXPECT_EQ(0u, t.find("System error 2: open x")) << t;
  }
  EXPECT_EQ(S_FALSE, OleException::Check(S_FALSE, "ok"));
  try {
    OleException::Check(E_NOINTERFACE, "QueryInterface");
  } catch (const OleException& e) {
    EXPECT_EQ(E_NOINTERFACE, e.hresult());
    EXPECT_EQ(0u, std::string(e.what()).find("OLE error 0x80004002 in QueryInterface.")) << e.what();
  }
}

TEST(StoreException, LineObjectMemberAndFlags) {
  NotFound e("Foo");
  EXPECT_EQ(-1, e.line());
  e.setLineIfUnknown(12);
  e.setLineIfUnknown(40);
  EXPECT_EQ(12, e.line());
  e.setLine(3);
  EXPECT_EQ(3, e.line());
  e.setObjectName("Form1");
  e.setMemberName("Button1_Click");
  EXPECT_EQ("Form1", e.objectName());
  EXPECT_EQ("Button1_Click", e.memberName());
  EXPECT_EQ("Foo", e.arg());
  EXPECT_EQ(0, e.userHandled(-1));
  e.userHandled(1);
  std::unique_ptr<XException> c(e.Clone());
  EXPECT_EQ(1, c->userHandled(-1));
  EXPECT_EQ(3, static_cast<StoreException*>(c.get())->line());
  // Field collisions are caught as one family.
  try {
    throw CollisionOnParent("X");
  } catch (const FieldCollision& f) {
    EXPECT_EQ(32687u, f.id());
  }
}

TEST(StoreException, FloatingPointSignalCodes) {
  const struct {
    int code;
    unsigned id;
  } cases[] = {
      {126, 32707}, {127, 32706}, {128, 0},     {129, 32705}, {130, 0},     {131, 32704},
      {132, 32703}, {133, 32702}, {134, 32701}, {135, 32700}, {140, 32699}, {0, 0},
  };
  for (const auto& k : cases) EXPECT_EQ(k.id, FPExceptionIdForCode(k.code)) << k.code;
}
