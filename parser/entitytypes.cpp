// Texts of parsed entity kinds, as messages name them.
#include <cstdio>

#include "parser/petype.h"

const char* PETypeText(int type) {
  switch (type) {
    case PE_END_TYPE:
      return "End Type";
    case PE_END_FUNCTION:
      return "End Function";
    case PE_END_SUB:
      return "End Sub";
    case PE_END_IF:
      return "End If";
    case PE_END_SELECT:
      return "End Select";
    case PE_END_TRY:
      return "End Try";
    case PE_END_WITH:
      return "End With";
    case PE_ELSEIF:
      return "ElseIf";
    case PE_NEXT:
      return "Next";
    case PE_LOOP_END:
      return "Loop termination";
    case PE_WEND:
      return "Wend";
    case PE_PROC_DECL:
      return "Procedure Declaration";
    case PE_FUNC_DECL:
      return "Function Declaration";
    case PE_SUB_DECL:
      return "Sub Declaration";
    case PE_PROPERTY_DECL:
      return "Procedural Property Declaration";
    case PE_EVENT_DECL:
      return "Event Declaration";
    case PE_PROC_DECLARE:
      return "Procedure Declare";
    case PE_FUNC_DECLARE:
      return "Function Declare";
    case PE_SUB_DECLARE:
      return "Sub Declare";
    case PE_BEGIN_CODE:
      return "Begin Code";
    case PE_END_CODE:
      return "End Code";
  }
  static thread_local char buffer[32];
  std::snprintf(buffer, sizeof buffer, "Unknown(PE=%d)", type);
  return buffer;
}
