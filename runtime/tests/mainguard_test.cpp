// The process guard: arithmetic faults in native code become FPException where they
// happen (Basic's Try catches them), math-library errors are held for the next poll.
#include <gtest/gtest.h>

#include <string>

#include "launchertest.h"
#include "parser/ovparse.h"
#include "runtime/mainguard.h"
#include "store/interobj.h"
#include "store/procfield.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "testkit/testkit.h"

using namespace launchertest;

namespace {

TEST(LauncherGuard, MathErrorTexts) {
  struct {
    int type;
    const char* fn;
    const char* text;
  } cases[] = {
      {1, "log", "Domain Error: log"},
      {2, "log", "Singularity: log"},
      {3, "exp", "Overflow: exp"},
      {4, "exp", "Underflow: exp"},
      {5, "sin", "Total loss of Significance: sin"},
      {6, "cos", "Partial loss of Significance: cos"},
      {7, "pow", "Stack Overflow: pow"},
      {0, "pow", "Math Error"},
      {8, "pow", "Math Error"},
  };
  for (const auto& c : cases) {
    char buffer[128];
    FormatMathError(c.type, c.fn, buffer, sizeof buffer);
    EXPECT_STREQ(c.text, buffer);
  }
}

TEST(LauncherGuard, FaultSubCodes) {
  EXPECT_EQ(127, FaultSubCode(EXCEPTION_INT_DIVIDE_BY_ZERO));
  EXPECT_EQ(126, FaultSubCode(EXCEPTION_INT_OVERFLOW));
  EXPECT_EQ(131, FaultSubCode(EXCEPTION_FLT_DIVIDE_BY_ZERO));
  EXPECT_EQ(129, FaultSubCode(EXCEPTION_FLT_INVALID_OPERATION));
  EXPECT_EQ(0, FaultSubCode(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_EQ(32706u, FPExceptionIdForCode(FaultSubCode(EXCEPTION_INT_DIVIDE_BY_ZERO)));
  EXPECT_EQ(32704u, FPExceptionIdForCode(FaultSubCode(EXCEPTION_FLT_DIVIDE_BY_ZERO)));
  EXPECT_EQ(0u, FPExceptionIdForCode(128));
}

TEST(LauncherGuard, AMathErrorIsHeldUntilTheNextPoll) {
  ASSERT_TRUE(MainInit::Installed());
  struct _exception record = {};
  record.type = 1;
  char name[] = "log";
  record.name = name;
  record.retval = 5.0;
  EXPECT_EQ(1, MathErrorHook(&record));
  EXPECT_EQ(0.0, record.retval);
  ASSERT_NE(nullptr, PendingMathError());
  EXPECT_STREQ("Domain Error: log", PendingMathError());
  try {
    ThrowPendingMathError();
    FAIL();
  } catch (FPException& e) {
    EXPECT_STREQ("Domain Error: log", e.what());
    EXPECT_STREQ("MathError", e.className());  // the kind is the caption
  }
  EXPECT_EQ(nullptr, PendingMathError());
  ThrowPendingMathError();  // nothing held: nothing thrown
}

// An object with Basic members, compiled in this process.
InterObjRep* Compile(const std::vector<std::string>& members) {
  StartStore();
  InterObjRep* obj = new InterObjRep(nullptr, "", 254);
  obj->ref();
  for (const std::string& text : members) {
    if (text.compare(0, 8, "Declare ") == 0) {
      obj->addField(ParserParseDeclare(text.c_str()), nullptr);
    } else {
      InterProcField* proc = nullptr;
      std::string copy = text;
      ParserParseProcedure(proc, &copy[0]);
      obj->addField(proc, nullptr);
    }
  }
  return obj;
}

long CallLong(InterObjRep* obj, const char* name) {
  Value* v = obj->evalIMember(name, nullptr, nullptr, 0);
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asLong() : -999;
}

TEST(LauncherGuard, ADivisionByZeroInNativeCodeBecomesFPException) {
  ASSERT_TRUE(MainInit::Installed());
  InterObjRep* obj = Compile({
      "Declare Function DivideBy Lib \"ovrun_testnative\" (ByVal a As Long, ByVal b As Long) As Long",
      "Function Plain() As Long\n Plain = DivideBy(12, 0)\nEnd Function\n",
      "Function Guarded() As Long\n Try\n  Guarded = DivideBy(12, 0)\n Catch\n  Guarded = -5\n End Try\nEnd "
      "Function\n",
      "Function Fine() As Long\n Fine = DivideBy(12, 4)\nEnd Function\n",
  });
  EXPECT_EQ(3, CallLong(obj, "Fine"));
  try {
    CallLong(obj, "Plain");
    FAIL();
  } catch (FPException& e) {
    EXPECT_EQ(32706u, e.id());
  }
  EXPECT_EQ(-5, CallLong(obj, "Guarded"));
  // The guard leaves the program as it was: the same call works again.
  EXPECT_EQ(3, CallLong(obj, "Fine"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(-5, CallLong(obj, "Guarded"));
  obj->unref();
}

}  // namespace
