// The store's message texts, by id. Arguments are substituted for %s in order.
#include "store/idstring.h"
#include "store/storeexcept.h"

namespace {

struct Message {
  unsigned id;
  const char* text;
};

const Message kMessages[] = {
    {kMsgObjectLoadFailed,
     "The stored data of class '%s' was written by a newer version and cannot be loaded."},
    {kMsgPauseExecution, "Execution paused."},
    {kMsgTerminateExecution, "Execution terminated."},
    {kMsgDatabaseError, "Database error: %s"},
    {kMsgFieldCollision, "The member '%s' is already defined."},
    {kMsgMatchingFieldCollision, "The member '%s' is already defined with the same declaration."},
    {kMsgCollisionOnSelf, "The member '%s' is already defined in this object."},
    {kMsgCollisionOnParent, "The member '%s' is already defined by a parent object."},
    {kMsgMethodDataCollision, "The method '%s' has the name of a data member."},
    {kMsgDataMethodCollision, "The data member '%s' has the name of a method."},
    {kMsgAccessDenied, "Access denied: %s"},
    {kMsgGroupNoMember, "No object of the group has the member '%s'."},
    {kMsgGroupEmpty, "The group holds no objects to use the member '%s' on."},
    {kMsgGroupMemberMissing, "An object of the group has no member '%s'."},
    {kMsgUnnamedSignature, "A class signature has no name."},
    {kMsgConvertFailed, "Cannot convert the value: %s"},
    {kMsgProxyResolveFailed, "The reference to '%s' cannot be resolved."},
    {kMsgModuleOpenFailed, "The module '%s' could not be opened."},
    {kMsgSystemError, "System error %s: %s"},
    {kMsgFPRaised, "Floating-point exception raised by the program."},
    {kMsgFPStackFault, "Floating-point stack fault."},
    {kMsgFPInexact, "Floating-point result is inexact."},
    {kMsgFPUnderflow, "Floating-point underflow."},
    {kMsgFPOverflow, "Floating-point overflow."},
    {kMsgDivisionByZero, "Division by zero."},
    {kMsgFPInvalid, "Invalid floating-point operation."},
    {kMsgIntDivisionByZero, "Integer division by zero."},
    {kMsgIntegerOverflow, "Overflow: the result does not fit its type."},
    {kMsgOleError, "OLE error %s in %s."},
    {kMsgIdentifierTooLong, "The name '%s...' is longer than 254 characters."},
    {kMsgNotFound, "'%s' not found."},
    {kMsgInvalidArgument, "Invalid value for '%s'."},
    {kMsgNoValue, "The value is empty: nothing has been assigned to it."},
    {kMsgValueOutOfRange, "Value out of range: %s is not between %s and %s."},
    {kMsgPositionOutOfRange, "Position out of range: %s is not between %s and %s."},
    {kMsgIndexOutOfRange, "Index out of range: %s is not between %s and %s."},
    {kMsgTypeMismatch, "Type mismatch: %s"},
};

}  // namespace

const char* StoreMessageText(unsigned id) {
  for (const Message& m : kMessages)
    if (m.id == id) return m.text;
  return nullptr;
}

std::string WrongArgumentCountText(const char* name, int expected, int given) {
  return "wrong number of arguments for '" + std::string(name ? name : "") +
         "': " + std::to_string(expected) + " expected, " + std::to_string(given) + " given";
}
