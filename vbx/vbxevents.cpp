// Events: the class's event descriptions, and an event fired by a control sent to its
// target as VBX_EVENT_MESSAGE with the event block.
#include "vbxstate.h"

#include <vector>

using namespace vbx;

namespace {

const EventInfo* FindEvent(const Control& c, int event) {
  if (event < 0 || size_t(event) >= c.cls->events.size()) return Fail(VBXERR_BADINDEX, nullptr);
  return &c.cls->events[size_t(event)];
}

const EventInfo* FindInfo(HEVENTINFO info) {
  EventRef* r = TheState().eventInfos.Find(info);
  if (!r) return Fail(VBXERR_BADHANDLE, nullptr);
  return &r->cls->events[size_t(r->event)];
}

int EventIndex(const Control& c, const char* name) {
  for (size_t i = 0; i < c.cls->events.size(); ++i)
    if (SameName(c.cls->events[i].name, name)) return int(i);
  return -1;
}

}  // namespace

extern "C" {

int VBXAPI VBXGetNumEvents(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(int(c->cls->events.size())) : 0;
}

HEVENTINFO VBXAPI VBXGetEventInfo(HCTL hctl, int event) {
  Control* c = FindControl(hctl);
  const EventInfo* e = c ? FindEvent(*c, event) : nullptr;
  return e ? Succeed(e->handle) : 0;
}

int VBXAPI VBXGetEventNameBuf(HCTL hctl, int event, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  Control* c = FindControl(hctl);
  const EventInfo* e = c ? FindEvent(*c, event) : nullptr;
  return e ? CopyOut(e->name, buffer, size) : 0;
}

int VBXAPI VBXGetEventInfoParamsBuf(HEVENTINFO info, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  const EventInfo* e = FindInfo(info);
  return e ? CopyOut(e->params, buffer, size) : 0;
}

int VBXAPI VBXGetEventInfoArgType(HEVENTINFO info, int arg) {
  const EventInfo* e = FindInfo(info);
  if (!e) return VBXA_NONE;
  if (arg < 0 || size_t(arg) >= e->argTypes.size()) return Fail(VBXERR_BADINDEX, int(VBXA_NONE));
  return Succeed(int(e->argTypes[size_t(arg)]));
}

int VBXAPI VBXGetEventInfoNumArgs(HEVENTINFO info) {
  const EventInfo* e = FindInfo(info);
  return e ? Succeed(int(e->argTypes.size())) : -1;
}

int VBXAPI VBXGetEventInfoNameBuf(HEVENTINFO info, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  const EventInfo* e = FindInfo(info);
  return e ? CopyOut(e->name, buffer, size) : 0;
}

int VBXAPI VBXGetEventIndex(HCTL hctl, const char* name) {
  Control* c = FindControl(hctl);
  if (!c) return -1;
  int index = EventIndex(*c, name);
  return index >= 0 ? Succeed(index) : Fail(VBXERR_NOTFOUND, -1);
}

// Sends the event to the control's target and answers the target's result. `args` holds a
// pointer to each argument, first argument first; the block lists them last first.
LRESULT VBXAPI VBXFireEvent(HCTL hctl, int event, int argCount, void* const* args) {
  Control* c = FindControl(hctl);
  const EventInfo* e = c ? FindEvent(*c, event) : nullptr;
  if (!e) return 0;
  if (argCount != int(e->argTypes.size()) || (argCount > 0 && !args))
    return Fail(VBXERR_BADVALUE, LRESULT(0));
  for (int i = 0; i < argCount; ++i)
    if (!args[i]) return Fail(VBXERR_BADVALUE, LRESULT(0));
  if (!c->eventsEnabled) return Fail(VBXERR_DISABLED, LRESULT(0));
  HWND target = c->target ? c->target : c->parent;
  if (!IsWindow(target)) return Fail(VBXERR_NOWINDOW, LRESULT(0));
  std::vector<void*> reversed(size_t(argCount) + 1, nullptr);
  for (int i = 0; i < argCount; ++i) reversed[size_t(argCount - 1 - i)] = args[i];
  std::string name = e->name;  // the block's name stays valid whatever the receiver does
  VbxEventBlock block = {};
  block.cbSize = sizeof block;
  block.hctl = hctl;
  block.id = c->id;
  block.event = event;
  block.name = name.c_str();
  block.argCount = argCount;
  block.args = reversed.data();
  ++c->eventsFired;
  LRESULT result = SendMessageA(target, VBX_EVENT_MESSAGE, WPARAM(hctl), reinterpret_cast<LPARAM>(&block));
  if ((c = TheState().controls.Find(hctl)) != nullptr) c->lastEventResult = result;
  return Succeed(result);
}

LRESULT VBXAPI VBXFireEventByName(HCTL hctl, const char* name, int argCount, void* const* args) {
  Control* c = FindControl(hctl);
  if (!c) return 0;
  int index = EventIndex(*c, name);
  if (index < 0) return Fail(VBXERR_NOTFOUND, LRESULT(0));
  return VBXFireEvent(hctl, index, argCount, args);
}

BOOL VBXAPI VBXEnableEvents(HCTL hctl, BOOL enable) {
  Control* c = FindControl(hctl);
  if (!c) return FALSE;
  BOOL previous = c->eventsEnabled;
  c->eventsEnabled = enable != FALSE;
  return Succeed(previous);
}

BOOL VBXAPI VBXEventsEnabled(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(BOOL(c->eventsEnabled)) : FALSE;
}

int VBXAPI VBXGetEventsFired(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->eventsFired) : 0;
}

LRESULT VBXAPI VBXGetLastEventResult(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(c->lastEventResult) : 0;
}

}  // extern "C"
