// The handle table: programs hold connections, statements and query objects as small
// positive 16-bit numbers, each the index of a lib_handle record in the task record's
// table. Records are reused, never freed, until the task record goes.
#pragma once

#include "libframe.h"

struct cmg_capabilities;

// Bits of lib_handle::flags: the kind, "in use" and the states of a statement.
enum LibHandleFlags : uint16_t {
  LIB_H_IN_USE = 0x0001,
  LIB_H_STATEMENT = 0x0002,
  LIB_H_CONNECTION = 0x0004,
  LIB_H_CATALOG_BITS = 0x0008 | 0x0020 | 0x0040,
  LIB_H_CATALOG = 0x0040,   // a catalogue result set built by the library
  LIB_H_RESERVED = 0x0100,  // a connection handle whose logon has not ended yet
  LIB_H_QUERY = 0x0800,
  LIB_H_SKIP_TXN_TEST = 0x4000,  // in a kinds mask: no end-of-transaction test
  LIB_H_INVALIDATED = 0x8000     // invalidated at the end of a transaction
};

const uint16_t LIB_KIND_BITS = LIB_H_STATEMENT | LIB_H_CONNECTION | LIB_H_QUERY;
const uint16_t LIB_SLOT_GROWTH = 5;

// The description of a catalogue result set the library builds itself: its column
// count is what column numbers are checked against.
struct lib_catalog {
  uint16_t kind;
  uint16_t columnCount;
};

struct lib_handle : public JxObject {
  lib_handle();
  ~lib_handle() override;

  uint16_t flags;            // LibHandleFlags
  int16_t parent;            // connection handle of a statement or query object
  cmg_capabilities* engine;  // the engine's connection record
  void* owned;               // freed when the connection ends
  void* statement;           // the engine's query record, or a lib_catalog
  JxObject* query;           // a query object
  int16_t useCount;
  JxSemaphore lock;  // guards useCount
};

// A new handle of kind, 0 on failure. A statement or query object comes counted in
// use by the creating call. A connection comes reserved: no other allocation takes it
// and no validation accepts it until libCommitConnection (or libFreeHandle) ends the
// reservation; the task lock is not held meanwhile.
int16_t libAllocHandle(lib_task* task, uint16_t kind);
// Ends a connection's reservation: the handle becomes valid.
void libCommitConnection(lib_task* task, int16_t handle);
// Gives the handle back (its record stays for reuse).
void libFreeHandle(lib_task* task, int16_t handle);

// 0 when the handle is in use and of one of kinds (LIB_H_SKIP_TXN_TEST may be added);
// it (and a statement's parent) is then counted in use: release it with libRelease...
// 1 with 4101, 4165 or 4151 on the thread's list.
JxStatus libValidate(lib_task* task, lib_thread* thread, int16_t handle, uint16_t kinds, lib_handle** record);
// As libValidate for a statement, then the column: 1 to the column count. 4103
// otherwise, with the statement's use count set to 0 and its parent released.
JxStatus libValidateColumn(lib_task* task, lib_thread* thread, int16_t handle, uint16_t column,
                           lib_handle** record);
void libRelease(lib_handle* record);
void libReleaseStatement(lib_task* task, lib_handle* record);
void libReleaseParent(lib_task* task, lib_handle* record);
