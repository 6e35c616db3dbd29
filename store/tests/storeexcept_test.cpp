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
      {[] { throw StoreException(kMsgInvalidArgument, "UndoLimit"); }, kMsgInvalidArgument,
       "Invalid value for 'UndoLimit'.", "StoreException"},
      {[] { throw StoreException(kMsgGroupNoMember, "Caption"); }, kMsgGroupNoMember,
       "No object of the group has the member 'Caption'.", "StoreException"},
      {[] { throw StoreException(kMsgGroupEmpty, "Caption"); }, kMsgGroupEmpty,
       "The group holds no objects to use the member 'Caption' on.", "StoreException"},
      {[] { throw StoreException(kMsgGroupMemberMissing, "Caption"); }, kMsgGroupMemberMissing,
       "An object of the group has no member 'Caption'.", "StoreException"},
      {[] { throw StoreException(kMsgNoValue); }, kMsgNoValue,
       "The value is empty: nothing has been assigned to it.", "StoreException"},
      {[] { throw StoreException(32000); }, 32000, "Exception #32000 (no message available).",
       "StoreException"},
      {[] { throw ObjectLoadFailed("ColorDialog"); }, kMsgObjectLoadFailed,
       "The stored data of class 'ColorDialog' was written by a newer version and cannot be loaded.",
       "ObjectLoadFailed"},
      {[] { throw PauseExecution(); }, kMsgPauseExecution, "Execution paused.", "PauseExecution"},
      {[] { throw TerminateExecution(); }, kMsgTerminateExecution, "Execution terminated.",
       "TerminateExecution"},
      {[] { throw FPException("Domain Error: sqrt", "MathError"); }, 0, "Domain Error: sqrt", "MathError"},
      {[] { throw FPException(kMsgFPRaised, "FPE"); }, kMsgFPRaised,
       "Floating-point exception raised by the program.", "FPE"},
      {[] { throw FPException(kMsgFPStackFault); }, kMsgFPStackFault, "Floating-point stack fault.", "FPE"},
      {[] { throw FPException(kMsgFPInexact); }, kMsgFPInexact, "Floating-point result is inexact.", "FPE"},
      {[] { throw FPException(kMsgFPUnderflow); }, kMsgFPUnderflow, "Floating-point underflow.", "FPE"},
      {[] { throw FPException(kMsgFPOverflow); }, kMsgFPOverflow, "Floating-point overflow.", "FPE"},
      {[] { throw FPException(kMsgDivisionByZero); }, kMsgDivisionByZero, "Division by zero.", "FPE"},
      {[] { throw FPException(kMsgFPInvalid); }, kMsgFPInvalid, "Invalid floating-point operation.", "FPE"},
      {[] { throw FPException(kMsgIntDivisionByZero); }, kMsgIntDivisionByZero, "Integer division by zero.",
       "FPE"},
      {[] { throw FPException(kMsgIntegerOverflow); }, kMsgIntegerOverflow,
       "Overflow: the result does not fit its type.", "FPE"},
      {[] { throw DatabaseError("no cursor"); }, kMsgDatabaseError, "Database error: no cursor",
       "DatabaseError"},
      {[] { throw FieldCollision("Top"); }, kMsgFieldCollision, "The member 'Top' is already defined.",
       "FieldCollision"},
      {[] { throw MatchingFieldCollision("Top"); }, kMsgMatchingFieldCollision,
       "The member 'Top' is already defined with the same declaration.", "MatchingFieldCollision"},
      {[] { throw CollisionOnSelf("Top"); }, kMsgCollisionOnSelf,
       "The member 'Top' is already defined in this object.", "CollisionOnSelf"},
      {[] { throw CollisionOnParent("Top"); }, kMsgCollisionOnParent,
       "The member 'Top' is already defined by a parent object.", "CollisionOnParent"},
      {[] { throw MethodDataCollision("Top"); }, kMsgMethodDataCollision,
       "The method 'Top' has the name of a data member.", "MethodDataCollision"},
      {[] { throw DataMethodCollision("Top"); }, kMsgDataMethodCollision,
       "The data member 'Top' has the name of a method.", "DataMethodCollision"},
      {[] { throw RangeError(kMsgIndexOutOfRange, 1, -1, -5); }, kMsgIndexOutOfRange,
       "Index out of range: -5 is not between 1 and -1.", "RangeError"},
      {[] { throw RangeError(kMsgPositionOutOfRange, 1, 4, 9); }, kMsgPositionOutOfRange,
       "Position out of range: 9 is not between 1 and 4.", "RangeError"},
      {[] { throw RangeError(kMsgValueOutOfRange, 0, 3, 4); }, kMsgValueOutOfRange,
       "Value out of range: 4 is not between 0 and 3.", "RangeError"},
      {[] { throw NotFound("Click"); }, kMsgNotFound, "'Click' not found.", "NotFound"},
      {[] { throw AccessDenied("Form1.Secret"); }, kMsgAccessDenied, "Access denied: Form1.Secret",
       "AccessDenied"},
      {[] { throw UnnamedSignature(); }, kMsgUnnamedSignature, "A class signature has no name.",
       "UnnamedSignature"},
      {[] { throw ConvertFailed("abc"); }, kMsgConvertFailed, "Cannot convert the value: abc",
       "ConvertFailed"},
      {[] { throw ProxyResolveFailed("Form2"); }, kMsgProxyResolveFailed,
       "The reference to 'Form2' cannot be resolved.", "ProxyResolveFailed"},
      {[] { throw ModuleOpenFailed("app.ovm"); }, kMsgModuleOpenFailed,
       "The module 'app.ovm' could not be opened.", "ModuleOpenFailed"},
      {[] { throw TypeMismatch("DirectValue<>::get(obj)", kMsgTypeMismatch); }, kMsgTypeMismatch,
       "Type mismatch: DirectValue<>::get(obj)", "TypeMismatch"},
      {[] { ThrowSystemError(ERROR_FILE_NOT_FOUND, "open x"); }, kMsgSystemError, nullptr, "StoreException"},
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
      {126, kMsgIntegerOverflow},
      {127, kMsgIntDivisionByZero},
      {128, 0},
      {129, kMsgFPInvalid},
      {130, 0},
      {131, kMsgDivisionByZero},
      {132, kMsgFPOverflow},
      {133, kMsgFPUnderflow},
      {134, kMsgFPInexact},
      {135, kMsgFPStackFault},
      {140, kMsgFPRaised},
      {0, 0},
  };
  for (const auto& k : cases) EXPECT_EQ(k.id, FPExceptionIdForCode(k.code)) << k.code;
}
