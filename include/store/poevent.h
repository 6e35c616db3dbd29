// Raising a Basic event from a published object's native code.
//
//   short cancel = 0;
//   ValString text("x");
//   PO_RaiseEvent(storeObj(), "Closing", (long)reason, &cancel, &text);
//   // cancel and text now hold what the handler left in them
//
// Arguments are pushed in declaration order: a value (short, long, float, InterObj) is
// passed by value; a pointer to a short, long or ValString local is passed by
// reference, over the local itself, so the local holds the handler's changes once the
// call returns. An event without arguments passes no list.
//
// PO_RaiseEvent lets a failure of the handler propagate; PO_RaiseEventNoThrow reports
// it through the store (StoreApplication::HandleException) and answers 0. Both answer
// non-zero when a handler ran, 0 also for a null object.
#pragma once

#include "store/interobj.h"
#include "store/value.h"
#include "store/valstring.h"

inline Value* PO_EventArg(short v) { return new DirectValue<short, kTypeShort>(v); }
inline Value* PO_EventArg(long v) { return new DirectValue<long, kTypeLong>(v); }
inline Value* PO_EventArg(float v) { return new DirectValue<float, kTypeFloat>(v); }
inline Value* PO_EventArg(const InterObj& v) { return new DirectValue<InterObj, kTypeObject>(v); }
inline Value* PO_EventArg(short* v) { return new IndirectValue<short, kTypeShort>(*v); }
inline Value* PO_EventArg(long* v) { return new IndirectValue<long, kTypeLong>(*v); }
inline Value* PO_EventArg(ValString* v) { return new IndirectValue<ValString, kTypeString>(*v); }

template <class... A>
ValueList* PO_EventArgs(A... args) {
  if constexpr (sizeof...(A) == 0) {
    return nullptr;
  } else {
    ValueList* list = new ValueList;
    (list->ppush(PO_EventArg(args)), ...);
    return list;
  }
}

template <class... A>
int PO_RaiseEvent(InterObjRep* obj, const char* event, A... args) {
  if (!obj) return 0;
  return obj->evalIEvent(event, PO_EventArgs(args...), 1);
}

template <class... A>
int PO_RaiseEventNoThrow(InterObjRep* obj, const char* event, A... args) {
  if (!obj) return 0;
  return obj->evalIEvent_NoThrow(event, PO_EventArgs(args...), 1);
}
