// Raising a message when the error object cannot be allocated.
#include "dbsql/sqlmessages.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineMessages, FailedAllocationAddsNothing) {
  for (bool warning : {false, true}) {
    ThreadErrors errors;
    jxram::failHeapAllocs(0, 1);
    JxError* e = warning ? sqlWarningById(SQLMSG_EOF) : sqlErrorById(SQLMSG_EOF);
    jxram::failHeapAllocs(0, 0);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(errors.list.getCount(), 0u);
    // The out-of-memory condition is the list's flag, not an entry.
    EXPECT_TRUE(errors.list.hasMemoryError());
  }
}

}  // namespace
