// Kinds of parsed entities.
//
// The grammar hands the parse driver one parsed entity at a time; its kind tells the
// driver what it is (a statement, a block terminator, a clause, a declaration). The
// numbers are shared by the grammar actions, the driver and the parser exceptions
// (a ConstructError names the terminator it expected by its kind).
#pragma once

#include "parser/ovparse_api.h"

enum PEType {
  PE_NONE = 0,
  PE_STATEMENT = 3,  // every statement entity
  PE_STMT_LIST = 6,  // statements of one line separated by ':'
  PE_END_TYPE = 7,
  PE_END_FUNCTION = 8,
  PE_END_SUB = 9,
  PE_END_IF = 10,
  PE_END_SELECT = 11,
  PE_END_TRY = 12,
  PE_END_WITH = 13,
  PE_ELSEIF = 14,  // ElseIf line, and Else line (no condition)
  PE_CASE_CLAUSE = 15,
  PE_CATCH_CLAUSE = 16,
  PE_NEXT = 17,
  PE_COMMENT = 18,   // skipped by the driver
  PE_LOOP_END = 19,  // "Loop [While|Until e]"
  PE_WEND = 20,
  PE_SYNTAX_ERROR = 999,
  PE_DECL = 1000,
  PE_MEMBER_DECL = 1001,       // as a request: any declaration that may open a block body
  PE_COMPLEX_VAR_DECL = 1002,  // Type ... End Type header
  PE_SIMPLE_VAR_DECL = 1003,
  PE_CONST_DECL = 1004,
  PE_PROC_DECL = 1005,  // as a request: a Function or Sub definition
  PE_FUNC_DECL = 1006,
  PE_SUB_DECL = 1007,
  PE_PROPERTY_DECL = 1008,
  PE_EVENT_DECL = 1009,
  PE_PROC_DECLARE = 1010,  // as a request: a Declare of a function or sub
  PE_FUNC_DECLARE = 1011,
  PE_SUB_DECLARE = 1012,
  PE_EXPRESSION = 1014,  // an expression in braces
  PE_BEGIN_CODE = 1015,
  PE_END_CODE = 1016,
  PE_END_OF_TEXT = 1996
};

// The text naming a kind in messages: "End If", "Next", "Loop termination",
// "Sub Declaration", ...; any kind without a text gives "Unknown(PE=<n>)", built in a
// buffer of the calling thread that the next such call reuses.
OVPARSE_API const char* PETypeText(int type);
