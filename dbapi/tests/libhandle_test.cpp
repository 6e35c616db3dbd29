// The handle table on the static build: allocation and reuse, validation and its
// errors, use counts across threads, column numbers, and connection reservations.
#include "dbapi/jxerrors.h"
#include "libhandle.h"
#include "libmessages.h"

#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

int16_t callWith(const std::function<void(lib_task*, lib_thread*)>& work) {
  return libStatusCall(
      0, "handleTest", [](lib_task*) {}, work);
}

lib_task* startedTask() {
  callWith([](lib_task*, lib_thread*) {});
  return static_cast<lib_task*>(mdsGetPerTaskData(PTD_API_TASK));
}

int16_t newConnection(lib_task* t) {
  int16_t h = libAllocHandle(t, LIB_H_CONNECTION);
  libCommitConnection(t, h);
  return h;
}

int16_t newStatement(lib_task* t, int16_t parent) {
  int16_t h = libAllocHandle(t, LIB_H_STATEMENT);
  t->handles[h]->parent = parent;
  libRelease(t->handles[h]);  // the creating call ends
  return h;
}

void freeAll(lib_task* t) {
  for (uint16_t h = 1; h < t->slotCount; ++h)
    if (t->handles[h]) libFreeHandle(t, static_cast<int16_t>(h));
}

TEST(Handles, TableGrowsByFiveAndReusesTheLowestFreeHandle) {
  lib_task* t = startedTask();
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->slotCount, LIB_FIRST_SLOTS);
  for (int16_t expected = 1; expected <= 5; ++expected) EXPECT_EQ(newConnection(t), expected);
  EXPECT_EQ(t->slotCount, 6);
  EXPECT_EQ(newConnection(t), 6);
  EXPECT_EQ(t->slotCount, 11);
  EXPECT_EQ(t->handles[7], nullptr);

  struct Case {
    int16_t freed;
    uint16_t kind;
  } cases[] = {{2, LIB_H_STATEMENT}, {2, LIB_H_QUERY}, {4, LIB_H_CONNECTION}, {1, LIB_H_STATEMENT}};
  for (const Case& c : cases) {
    lib_handle* before = t->handles[c.freed];
    libFreeHandle(t, c.freed);
    EXPECT_EQ(libAllocHandle(t, c.kind), c.freed) << c.kind;
    EXPECT_EQ(t->handles[c.freed], before);  // the record is reused
    EXPECT_EQ(t->handles[c.freed]->flags & LIB_KIND_BITS, c.kind);
    if (c.kind == LIB_H_CONNECTION) libCommitConnection(t, c.freed);
  }
  freeAll(t);
}

TEST(Handles, InvalidHandlesGive4101) {
  lib_task* t = startedTask();
  int16_t con = newConnection(t);
  int16_t stmt = newStatement(t, con);
  int16_t freed = newConnection(t);
  libFreeHandle(t, freed);
  int16_t reserved = libAllocHandle(t, LIB_H_CONNECTION);
  struct Case {
    const char* name;
    int16_t handle;
    uint16_t kinds;
  } cases[] = {
      {"zero", 0, LIB_H_CONNECTION},
      {"negative", -1, LIB_H_CONNECTION},
      {"most negative", -32768, LIB_H_STATEMENT},
      {"at the slot count", static_cast<int16_t>(t->slotCount), LIB_H_CONNECTION},
      {"far beyond", 30000, LIB_H_CONNECTION},
      {"statement as connection", stmt, LIB_H_CONNECTION},
      {"connection as statement", con, LIB_H_STATEMENT},
      {"freed", freed, LIB_H_CONNECTION},
      {"logon not ended", reserved, LIB_H_CONNECTION},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
                lib_handle* r = reinterpret_cast<lib_handle*>(1);
                EXPECT_EQ(libValidate(task, thread, c.handle, c.kinds, &r), 1);
                EXPECT_EQ(r, nullptr);
              }),
              JXS_INVALID_HANDLE)
        << c.name;
  }
  EXPECT_EQ(t->handles[con]->useCount, 0);
  EXPECT_EQ(t->handles[stmt]->useCount, 0);
  lib_handle* record = nullptr;
  EXPECT_EQ(blbConvertHstmt(stmt, &record), 0);
  EXPECT_EQ(record, t->handles[stmt]);
  EXPECT_EQ(blbConvertHdbc(stmt, &record), JXS_INVALID_HANDLE);
  EXPECT_EQ(record, nullptr);
  EXPECT_EQ(blbConvertHdbc(con, &record), 0);
  EXPECT_EQ(record, t->handles[con]);
  EXPECT_EQ(t->handles[con]->useCount, 0);
  freeAll(t);
}

struct Borrow {
  int16_t handle;
  int16_t status;
  std::string text;
};

DWORD WINAPI validateElsewhere(void* p) {
  Borrow* b = static_cast<Borrow*>(p);
  b->status = callWith([&](lib_task* task, lib_thread* thread) {
    lib_handle* r;
    if (libValidate(task, thread, b->handle, LIB_H_STATEMENT, &r) == 0) libReleaseStatement(task, r);
  });
  const char* text = jxErrMsg();
  b->text = text ? text : "";
  return 0;
}

TEST(Handles, StatementInUseOnAnotherThread) {
  lib_task* t = startedTask();
  int16_t con = newConnection(t);
  int16_t stmt = newStatement(t, con);
  lib_handle* mine = nullptr;
  ASSERT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
              ASSERT_EQ(libValidate(task, thread, stmt, LIB_H_STATEMENT, &mine), 0);
            }),
            0);
  EXPECT_EQ(t->handles[con]->useCount, 1);  // the parent counts the use too
  Borrow b = {stmt, 0, ""};
  HANDLE other = CreateThread(nullptr, 0, validateElsewhere, &b, 0, nullptr);
  WaitForSingleObject(other, INFINITE);
  CloseHandle(other);
  EXPECT_EQ(b.status, JXS_HANDLE_BUSY);
  EXPECT_EQ(b.text, "The handle ('" + std::to_string(stmt) + "') is being used by another task.");
  EXPECT_EQ(t->handles[con]->useCount, 1);  // the refused call took its count back
  libReleaseStatement(t, mine);
  EXPECT_EQ(t->handles[con]->useCount, 0);
  EXPECT_EQ(t->handles[stmt]->useCount, 0);
  other = CreateThread(nullptr, 0, validateElsewhere, &b, 0, nullptr);
  WaitForSingleObject(other, INFINITE);
  CloseHandle(other);
  EXPECT_EQ(b.status, 0);
  freeAll(t);
}

TEST(Handles, InvalidatedStatement) {
  lib_task* t = startedTask();
  int16_t con = newConnection(t);
  int16_t stmt = newStatement(t, con);
  t->handles[stmt]->flags |= LIB_H_INVALIDATED;
  EXPECT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
              lib_handle* r;
              EXPECT_EQ(libValidate(task, thread, stmt, LIB_H_STATEMENT, &r), 1);
            }),
            JXS_INVALIDATED);
  EXPECT_EQ(t->handles[stmt]->useCount, 0);
  EXPECT_EQ(t->handles[con]->useCount, 0);
  // Skipping the end-of-transaction test accepts it.
  EXPECT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
              lib_handle* r;
              ASSERT_EQ(libValidate(task, thread, stmt, LIB_H_STATEMENT | LIB_H_SKIP_TXN_TEST, &r), 0);
              libReleaseStatement(task, r);
            }),
            0);
  freeAll(t);
}

TEST(Handles, ColumnNumbers) {
  lib_task* t = startedTask();
  int16_t con = newConnection(t);
  int16_t stmt = newStatement(t, con);
  lib_catalog description = {1, 3};
  t->handles[stmt]->flags |= LIB_H_CATALOG_BITS;
  t->handles[stmt]->statement = &description;
  struct Case {
    uint16_t column;
    int16_t status;
  } cases[] = {
      {0, JXS_INVALID_COLUMN}, {1, 0}, {3, 0}, {4, JXS_INVALID_COLUMN}, {0xFFFF, JXS_INVALID_COLUMN}};
  for (const Case& c : cases) {
    EXPECT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
                lib_handle* r;
                if (libValidateColumn(task, thread, stmt, c.column, &r) == 0) libReleaseStatement(task, r);
              }),
              c.status)
        << c.column;
    EXPECT_EQ(t->handles[stmt]->useCount, 0) << c.column;
    EXPECT_EQ(t->handles[con]->useCount, 0) << c.column;
  }
  t->handles[stmt]->statement = nullptr;
  freeAll(t);
}

struct Reservation {
  lib_task* task;
  int16_t statement;
  int16_t connectionStatus;
  int16_t statementStatus;
};

DWORD WINAPI allocateWhileReserved(void* p) {
  Reservation* r = static_cast<Reservation*>(p);
  r->statement = libAllocHandle(r->task, LIB_H_STATEMENT);
  libRelease(r->task->handles[r->statement]);
  r->statementStatus = callWith([&](lib_task* task, lib_thread* thread) {
    lib_handle* h;
    if (libValidate(task, thread, r->statement, LIB_H_STATEMENT, &h) == 0) libReleaseStatement(task, h);
  });
  r->connectionStatus = callWith([&](lib_task* task, lib_thread* thread) {
    lib_handle* h;
    if (libValidate(task, thread, 1, LIB_H_CONNECTION, &h) == 0) libRelease(h);
  });
  return 0;
}

TEST(Handles, ReservedConnectionHoldsNoLock) {
  lib_task* t = startedTask();
  int16_t con = libAllocHandle(t, LIB_H_CONNECTION);  // a logon in progress
  ASSERT_EQ(con, 1);
  Reservation r = {t, 0, -100, -100};
  HANDLE other = CreateThread(nullptr, 0, allocateWhileReserved, &r, 0, nullptr);
  // A deadlock would never end: the guard only keeps the run from hanging.
  ASSERT_EQ(WaitForSingleObject(other, 60000), WAIT_OBJECT_0);
  CloseHandle(other);
  EXPECT_EQ(r.statement, 2);  // the reserved handle is not taken
  EXPECT_EQ(r.statementStatus, 0);
  EXPECT_EQ(r.connectionStatus, JXS_INVALID_HANDLE);
  libCommitConnection(t, con);
  EXPECT_EQ(callWith([&](lib_task* task, lib_thread* thread) {
              lib_handle* h;
              ASSERT_EQ(libValidate(task, thread, con, LIB_H_CONNECTION, &h), 0);
              libRelease(h);
            }),
            0);
  freeAll(t);
}

}  // namespace
