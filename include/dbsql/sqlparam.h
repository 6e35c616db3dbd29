// Statement parameters of a query: one slot per parameter marker, each with a declared
// type and size and a chain of values (copied now, or bound to the caller's variables
// and read at execution); slots of one name share their values. Executing again with
// the current values, executing at once, and moving to the next result set.
//
// Slots count from 0; the driver's parameter number is the slot number + 1.
#pragma once

#include "dbsql/sqlquery.h"

// Bits of SqlParamSlot::flags.
enum SqlParamFlags : uint16_t {
  SQLP_HAS_VALUE = 1,
  SQLP_BOUND = 2,  // the value is read from the caller's variables at execution
  SQLP_TEXT = 4    // the value is text given by sqlXSetParam (written into the statement)
};

// Text kinds of a value given as text (SqlParamSlot::kind).
enum SqlParamKind : uint8_t {
  SQLP_KIND_PLAIN = 1,
  SQLP_KIND_PLAIN2 = 2,
  SQLP_KIND_DATE = 3,
  SQLP_KIND_TIME = 4,
  SQLP_KIND_TIMESTAMP = 5
};

// One value piece. A copied value owns its data; a bound one points at the caller's
// data and length. length is handed to the driver by address, so it is as wide as the
// driver's length type (SQLLEN): 20 bytes in the 32-bit product.
struct SqlParamNode {
  const void* callerData;
  const int32_t* callerLength;
  uint8_t* data;
  SQLLEN length;  // negative: NULL
  SqlParamNode* next;
};
static_assert(sizeof(SqlParamNode) == 5 * sizeof(void*), "value nodes are five words");

// One parameter slot. The value chain is shared by the slots of one name.
struct SqlParamSlot {
  char* name;  // null for an unnamed marker
  SqlParamNode* values;
  uint16_t flags;  // SqlParamFlags
  uint16_t type;   // BcvType; 0 until declared
  uint32_t size;   // declared size, by type (see sqlInitParam)
  char* prompt;
  char* defaultText;
  char* format;
  uint8_t kind;  // SqlParamKind
  // The length marker of a value sent in pieces at execution (the driver reads it then).
  SQLLEN piecesLength;
};

extern "C" {

// Removes the slot's values (4527 for a number not below the slot count).
JXSQL04_API JxStatus sqlClearParam(sql_qry* query, uint16_t number);
// Declares the slot's type and size, or checks them against the declaration: 4533 when
// neither has a type, 4534 for another type or a size that disagrees. Declared size:
// character types the larger of the connection's parameter character length and
// length; decimal 2 x length - 1 digits (length in bytes) with the scale in the high
// half; date-time and date length - 1; time length + 10 with 11 in the high half.
JXSQL04_API JxStatus sqlInitParam(sql_qry* query, uint16_t number, uint16_t type, int32_t length,
                                  int16_t scale);
// Gives the slot the value NULL; type 0 keeps a declared type.
JXSQL04_API JxStatus sqlSetParamNull(sql_qry* query, uint16_t number, uint16_t type, int32_t length,
                                     int16_t scale);
// The number of the first slot of the name, or -1 when no slot has it (status 0).
JXSQL04_API JxStatus sqlParamNum(sql_qry* query, const char* name, int32_t* number);
// Gives the slot a value: bind non-zero binds data and *length (read at execution);
// zero copies *length bytes now. Character and binary values given by copy add to the
// slot's chain and are sent in pieces at execution (4529 after a bound value).
JXSQL04_API JxStatus sqlBindSetParam(sql_qry* query, uint16_t number, short bind, const void* data,
                                     uint16_t type, const int32_t* length, int16_t scale);
// Stores a value as text for the slot number (from 1) or, with number 0, the first slot
// of the name; the slots of that name share it. The text is written into the
// statement as a literal of its kind (SqlParamKind). 4522 for a number above the count.
JXSQL04_API JxStatus sqlXSetParam(sql_qry* query, const char* format, uint8_t kind, uint16_t number,
                                  const char* name, const char* value);
// Executes the prepared statement again with the current values (4528 when a slot has
// no value).
JXSQL04_API JxStatus sqlReExecute(sql_qry* query);
// With text: executes it at once on the query's statement; without: executes the
// prepared statement.
JXSQL04_API JxStatus sqlQueryNow(sql_qry* query, const char* text);
// Moves to the next result set and describes its columns: 4524 before execution, 4530
// at the end of the results.
JXSQL04_API JxStatus sqlXMoreResults(sql_qry* query);

}  // extern "C"
