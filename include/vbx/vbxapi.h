// The VBX emulation library: the calls a host makes to create custom controls from control
// files (see vbxfile.h), to read and write their properties, to hear their events and to
// call their methods; and the calls a control makes back (through the services table).
//
// The library is one set of sources built under three file names ("VBXTHUNK.32N",
// "VBXTHUNK.32S", "VBXTHUNK.32C"); a host picks one by the system version and takes the 129
// entry points by ordinal (vbxloader.h). The ordinal table below is the one place the
// ordinals are written down: the library's export file is generated from it.
//
// Handles (controls, string handles, control files, event descriptions) are 32-bit values
// that the library checks on every call: a stale or invented handle is refused with
// VBXERR_BADHANDLE, never followed. Calls answering text copy at most size - 1 bytes plus a
// terminator into the caller's buffer and return the number of bytes copied. The library
// is used from the thread that created the controls, like the windows it makes.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

typedef uint32_t HCTL;        // a control
typedef uint32_t HSZ;         // a counted C-string handle
typedef uint32_t HLSTR;       // a basic string handle: counted bytes, zeros allowed
typedef uint32_t HVBXFILE;    // a loaded control file
typedef uint32_t HEVENTINFO;  // the description of one event of a control class
typedef uint32_t HFORMFILE;   // a form file of the caller (unused: always 0)

// Error codes: every call records its outcome (VBXGetLastError); the calls answering a
// status answer the code itself, 0 meaning success.
enum VbxError : int32_t {
  VBXERR_NONE = 0,
  VBXERR_NOTINIT = 1,        // VBXInit32 has not been called
  VBXERR_BADHANDLE = 2,      // not a live handle of the kind asked for
  VBXERR_BADINDEX = 3,       // property, event, item, class or array index out of range
  VBXERR_BADTYPE = 4,        // the call does not apply to the property's type
  VBXERR_READONLY = 5,       // the property is read-only
  VBXERR_NOFILE = 6,         // the control file cannot be loaded
  VBXERR_BADFILE = 7,        // the control file's description is missing or malformed
  VBXERR_NOCLASS = 8,        // no such control class in the file
  VBXERR_NOMEMORY = 9,       // allocation failed
  VBXERR_BADVALUE = 10,      // value out of range or text that does not parse
  VBXERR_INUSE = 11,         // the file still has live controls
  VBXERR_NOTSUPPORTED = 12,  // the control class does not support the method
  VBXERR_BADBUFFER = 13,     // a null buffer or a size below 1
  VBXERR_NOWINDOW = 14,      // the control's window could not be made
  VBXERR_NOTFOUND = 15,      // no property, event, control or item of that name
  VBXERR_DISABLED = 16,      // events of the control are switched off
};
enum { VBXERR_COUNT = 17 };

// Property data types, as VBXGetPropType answers them.
enum VbxPropType : int32_t {
  VBXT_NONE = 0,
  VBXT_STRING = 1,    // read as an HSZ the caller destroys; written as a const char*
  VBXT_SHORT = 2,     // int16_t
  VBXT_LONG = 3,      // int32_t
  VBXT_BOOL = 4,      // int16_t, -1 true, 0 false
  VBXT_COLOR = 5,     // int32_t COLORREF
  VBXT_ENUM = 6,      // int16_t, 0 .. enumeration count - 1
  VBXT_REAL = 7,      // float; written as its 32-bit pattern
  VBXT_XPOS = 8,      // int32_t twips: the control's left edge in its parent
  VBXT_XSIZE = 9,     // int32_t twips: its width
  VBXT_YPOS = 10,     // int32_t twips: its top edge
  VBXT_YSIZE = 11,    // int32_t twips: its height
  VBXT_PICTURE = 12,  // int16_t picture number
  VBXT_BSTRING = 13,  // read as an HLSTR the caller destroys; written as an HLSTR
};
enum { VBXT_COUNT = 14 };

// Argument types of events, as VBXGetEventInfoArgType answers them. An argument reaches the
// receiver as a pointer to a value of that type.
enum VbxArgType : int32_t {
  VBXA_NONE = 0,
  VBXA_SHORT = 1,    // int16_t
  VBXA_LONG = 2,     // int32_t
  VBXA_FLOAT = 3,    // float
  VBXA_DOUBLE = 4,   // double
  VBXA_CSTRING = 5,  // const char*
  VBXA_BSTRING = 6,  // HLSTR
};
enum { VBXA_COUNT = 7 };

// Methods a control class supports (VBXGetMethods, VbxClassDesc::methods).
enum VbxMethod : uint32_t {
  VBXM_REFRESH = 0x1,
  VBXM_ADDITEM = 0x2,
  VBXM_REMOVEITEM = 0x4,
  VBXM_MOVE = 0x8,
};
enum : uint32_t { VBXM_ALL = 0xF };

// Property flags (VBXGetPropFlags, VbxPropDesc::flags).
enum VbxPropFlag : uint32_t {
  VBXPF_ARRAY = 0x1,
  VBXPF_READONLY = 0x2,
};

// Messages. An event goes to the control's event target (its parent unless set) as
// VBX_EVENT_MESSAGE with the control handle in wParam and the event block in lParam; the
// receiver's answer is the event's result. The control's own window is told of changes.
enum : UINT {
  VBX_EVENT_MESSAGE = 0x0360,
  VBXN_PROPCHANGED = WM_USER + 0x360,   // wParam property index, lParam array index or -1
  VBXN_ITEMSCHANGED = WM_USER + 0x361,  // wParam the new item count
};

// The block an event notification points to. The receiver reads the event number, name,
// argument count and the argument pointers, the last argument first (argument i is
// args[argCount - 1 - i]). Built on the stack for one notification, never stored.
struct VbxEventBlock {
  uint32_t cbSize;
  HCTL hctl;
  int32_t id;         // the control's id in its parent
  int32_t event;      // at byte 12
  const char* name;   // at byte 16
  int32_t argCount;   // at byte 20 (24 where pointers are 64-bit)
  void* const* args;  // at byte 24 (32 where pointers are 64-bit)
};
#if !defined(_WIN64)
static_assert(offsetof(VbxEventBlock, event) == 12, "event number at byte 12");
static_assert(offsetof(VbxEventBlock, name) == 16, "event name at byte 16");
static_assert(offsetof(VbxEventBlock, argCount) == 20, "argument count at byte 20");
static_assert(offsetof(VbxEventBlock, args) == 24, "argument pointers at byte 24");
#endif

#define VBXAPI __cdecl

// The entry points: X(ordinal, result type, name, parameter list). Ordinals 10 to 138.
#define VBX_ENTRY_POINTS(X)                                                                                \
  /* the library */                                                                                        \
  X(10, BOOL, VBXInit32, (HINSTANCE instance, const char* appName))                                        \
  X(11, BOOL, VBXTerm32, (void))                                                                           \
  X(12, DWORD, VBXGetVersion, (void))                                                                      \
  X(13, BOOL, VBXIsInitialized, (void))                                                                    \
  X(14, int, VBXGetInitCount, (void))                                                                      \
  X(15, int, VBXGetAppNameBuf, (char* buffer, int size))                                                   \
  X(16, HINSTANCE, VBXGetInstance, (void))                                                                 \
  X(17, int, VBXGetLastError, (void))                                                                      \
  X(18, int, VBXSetLastError, (int error))                                                                 \
  X(19, int, VBXGetErrorTextBuf, (int error, char* buffer, int size))                                      \
  /* control files */                                                                                      \
  X(20, HVBXFILE, VBXLoadFile, (const char* path))                                                         \
  X(21, int, VBXFreeFile, (HVBXFILE file))                                                                 \
  X(22, int, VBXGetFileCount, (void))                                                                      \
  X(23, HVBXFILE, VBXGetFileAt, (int index))                                                               \
  X(24, int, VBXGetFileNameBuf, (HVBXFILE file, char* buffer, int size))                                   \
  X(25, HVBXFILE, VBXFindFile, (const char* path))                                                         \
  X(26, int, VBXGetNumClasses, (HVBXFILE file))                                                            \
  X(27, int, VBXGetClassNameBuf, (HVBXFILE file, int cls, char* buffer, int size))                         \
  X(28, int, VBXFindClass, (HVBXFILE file, const char* name))                                              \
  X(29, DWORD, VBXGetClassMethods, (HVBXFILE file, int cls))                                               \
  X(30, int, VBXGetFileControlCount, (HVBXFILE file))                                                      \
  /* controls */                                                                                           \
  X(31, HCTL, VBXCreate,                                                                                   \
    (HWND parent, int id, const char* file, const char* cls, const char* title, DWORD style, int x, int y, \
     int cx, int cy, HFORMFILE form))                                                                      \
  X(32, int, VBXDestroy, (HCTL hctl))                                                                      \
  X(33, BOOL, VBXIsControl, (HCTL hctl))                                                                   \
  X(34, HWND, VBXGetHwnd, (HCTL hctl))                                                                     \
  X(35, HCTL, VBXFromHwnd, (HWND window))                                                                  \
  X(36, HWND, VBXGetParent, (HCTL hctl))                                                                   \
  X(37, int, VBXGetId, (HCTL hctl))                                                                        \
  X(38, int, VBXGetCtlClassNameBuf, (HCTL hctl, char* buffer, int size))                                   \
  X(39, HVBXFILE, VBXGetCtlFile, (HCTL hctl))                                                              \
  X(40, int, VBXGetControlCount, (void))                                                                   \
  X(41, HCTL, VBXGetControlAt, (int index))                                                                \
  X(42, LONG_PTR, VBXGetUserData, (HCTL hctl))                                                             \
  X(43, LONG_PTR, VBXSetUserData, (HCTL hctl, LONG_PTR data))                                              \
  X(44, int, VBXGetRect, (HCTL hctl, RECT * rect))                                                         \
  X(45, int, VBXShow, (HCTL hctl, BOOL show))                                                              \
  X(46, int, VBXEnable, (HCTL hctl, BOOL enable))                                                          \
  X(47, int, VBXSetFocus, (HCTL hctl))                                                                     \
  X(48, HWND, VBXSetEventTarget, (HCTL hctl, HWND target))                                                 \
  X(49, HWND, VBXGetEventTarget, (HCTL hctl))                                                              \
  X(50, HCTL, VBXCloneControl, (HCTL hctl, HWND parent, int id))                                           \
  /* properties */                                                                                         \
  X(51, int, VBXGetNumProps, (HCTL hctl))                                                                  \
  X(52, int, VBXGetPropNameBuf, (HCTL hctl, int index, char* buffer, int size))                            \
  X(53, int, VBXGetPropIndex, (HCTL hctl, const char* name))                                               \
  X(54, int, VBXGetPropType, (HCTL hctl, int index))                                                       \
  X(55, BOOL, VBXIsArrayProp, (HCTL hctl, int index))                                                      \
  X(56, int, VBXGetProp, (HCTL hctl, int index, void* value))                                              \
  X(57, int, VBXSetProp, (HCTL hctl, int index, LONG_PTR value))                                           \
  X(58, int, VBXGetArrayProp, (HCTL hctl, int index, void* value, int element))                            \
  X(59, int, VBXSetArrayProp, (HCTL hctl, int index, int element, LONG_PTR value))                         \
  X(60, int, VBXGetPropByName, (HCTL hctl, const char* name, void* value))                                 \
  X(61, int, VBXSetPropByName, (HCTL hctl, const char* name, LONG_PTR value))                              \
  X(62, int, VBXGetArrayPropCount, (HCTL hctl, int index))                                                 \
  X(63, int, VBXGetPropDefault, (HCTL hctl, int index, void* value))                                       \
  X(64, int, VBXResetProp, (HCTL hctl, int index))                                                         \
  X(65, int, VBXResetAllProps, (HCTL hctl))                                                                \
  X(66, BOOL, VBXIsPropDefault, (HCTL hctl, int index))                                                    \
  X(67, DWORD, VBXGetPropFlags, (HCTL hctl, int index))                                                    \
  X(68, BOOL, VBXIsPropReadOnly, (HCTL hctl, int index))                                                   \
  X(69, int, VBXGetEnumCount, (HCTL hctl, int index))                                                      \
  X(70, int, VBXGetEnumTextBuf, (HCTL hctl, int index, int value, char* buffer, int size))                 \
  X(71, int, VBXFindEnumValue, (HCTL hctl, int index, const char* text))                                   \
  X(72, int, VBXGetPropTextBuf, (HCTL hctl, int index, char* buffer, int size))                            \
  X(73, int, VBXSetPropText, (HCTL hctl, int index, const char* text))                                     \
  X(74, int, VBXGetTypeNameBuf, (int type, char* buffer, int size))                                        \
  X(75, int, VBXGetTypeSize, (int type))                                                                   \
  X(76, int, VBXCopyProps, (HCTL from, HCTL to))                                                           \
  X(77, int, VBXGetArrayPropByName, (HCTL hctl, const char* name, void* value, int element))               \
  X(78, int, VBXSetArrayPropByName, (HCTL hctl, const char* name, int element, LONG_PTR value))            \
  X(79, int, VBXGetChangeCount, (HCTL hctl))                                                               \
  /* string handles */                                                                                     \
  X(80, HSZ, VBXCreateCString, (const char* text))                                                         \
  X(81, HSZ, VBXDupCString, (HSZ hsz))                                                                     \
  X(82, int, VBXDestroyCString, (HSZ hsz))                                                                 \
  X(83, int, VBXGetCStringBuf, (HSZ hsz, char* buffer, int size))                                          \
  X(84, int, VBXGetCStringLength, (HSZ hsz))                                                               \
  X(85, int, VBXGetCStringCount, (void))                                                                   \
  X(86, int, VBXGetCStringRefs, (HSZ hsz))                                                                 \
  X(87, HLSTR, VBXCreateBasicString, (const char* bytes, int length))                                      \
  X(88, int, VBXDestroyBasicString, (HLSTR hlstr))                                                         \
  X(89, int, VBXGetBasicStringBuf, (HLSTR hlstr, char* buffer, int size))                                  \
  X(90, int, VBXGetBasicStringLength, (HLSTR hlstr))                                                       \
  X(91, int, VBXSetBasicString, (HLSTR hlstr, const char* bytes, int length))                              \
  X(92, int, VBXGetBasicStringCount, (void))                                                               \
  /* events */                                                                                             \
  X(93, int, VBXGetNumEvents, (HCTL hctl))                                                                 \
  X(94, HEVENTINFO, VBXGetEventInfo, (HCTL hctl, int event))                                               \
  X(95, int, VBXGetEventNameBuf, (HCTL hctl, int event, char* buffer, int size))                           \
  X(96, int, VBXGetEventInfoParamsBuf, (HEVENTINFO info, char* buffer, int size))                          \
  X(97, int, VBXGetEventInfoArgType, (HEVENTINFO info, int arg))                                           \
  X(98, int, VBXGetEventInfoNumArgs, (HEVENTINFO info))                                                    \
  X(99, int, VBXGetEventInfoNameBuf, (HEVENTINFO info, char* buffer, int size))                            \
  X(100, int, VBXGetEventIndex, (HCTL hctl, const char* name))                                             \
  X(101, LRESULT, VBXFireEvent, (HCTL hctl, int event, int argCount, void* const* args))                   \
  X(102, LRESULT, VBXFireEventByName, (HCTL hctl, const char* name, int argCount, void* const* args))      \
  X(103, BOOL, VBXEnableEvents, (HCTL hctl, BOOL enable))                                                  \
  X(104, BOOL, VBXEventsEnabled, (HCTL hctl))                                                              \
  X(105, int, VBXGetEventsFired, (HCTL hctl))                                                              \
  X(106, LRESULT, VBXGetLastEventResult, (HCTL hctl))                                                      \
  /* methods and items */                                                                                  \
  X(107, int, VBXMethodRefresh, (HCTL hctl))                                                               \
  X(108, int, VBXMethodAddItem, (HCTL hctl, int index, const char* item))                                  \
  X(109, int, VBXMethodRemoveItem, (HCTL hctl, int index))                                                 \
  X(110, int, VBXMethodMove, (HCTL hctl, int x, int y, int cx, int cy))                                    \
  X(111, DWORD, VBXGetMethods, (HCTL hctl))                                                                \
  X(112, BOOL, VBXSupportsMethod, (HCTL hctl, DWORD method))                                               \
  X(113, int, VBXGetItemCount, (HCTL hctl))                                                                \
  X(114, int, VBXGetItemTextBuf, (HCTL hctl, int index, char* buffer, int size))                           \
  X(115, int, VBXSetItemText, (HCTL hctl, int index, const char* text))                                    \
  X(116, int, VBXFindItem, (HCTL hctl, const char* text, int start))                                       \
  X(117, int, VBXClearItems, (HCTL hctl))                                                                  \
  X(118, int, VBXGetPaintCount, (HCTL hctl))                                                               \
  /* units, window and persistence */                                                                      \
  X(119, int, VBXTwipsToPixelsX, (int twips))                                                              \
  X(120, int, VBXTwipsToPixelsY, (int twips))                                                              \
  X(121, int, VBXPixelsToTwipsX, (int pixels))                                                             \
  X(122, int, VBXPixelsToTwipsY, (int pixels))                                                             \
  X(123, int, VBXSetFont, (HCTL hctl, HFONT font, BOOL redraw))                                            \
  X(124, HFONT, VBXGetFont, (HCTL hctl))                                                                   \
  X(125, int, VBXInvalidate, (HCTL hctl, BOOL erase))                                                      \
  X(126, int, VBXUpdate, (HCTL hctl))                                                                      \
  X(127, int, VBXSavePropsBuf, (HCTL hctl, char* buffer, int size))                                        \
  X(128, int, VBXLoadProps, (HCTL hctl, const char* text))                                                 \
  X(129, DWORD, VBXGetStyle, (HCTL hctl))                                                                  \
  X(130, int, VBXGetTitleBuf, (HCTL hctl, char* buffer, int size))                                         \
  X(131, int, VBXSetTitle, (HCTL hctl, const char* title))                                                 \
  X(132, HCTL, VBXGetControlFromId, (HWND parent, int id))                                                 \
  X(133, int, VBXDestroyAll, (HWND parent))                                                                \
  X(134, int, VBXGetClassNumProps, (HVBXFILE file, int cls))                                               \
  X(135, int, VBXGetClassNumEvents, (HVBXFILE file, int cls))                                              \
  X(136, int, VBXGetClassPropNameBuf, (HVBXFILE file, int cls, int index, char* buffer, int size))         \
  X(137, int, VBXGetClassEventNameBuf, (HVBXFILE file, int cls, int event, char* buffer, int size))        \
  X(138, HCTL, VBXGetControlByName, (HWND parent, const char* ctlName))

enum { VBX_FIRST_ORDINAL = 10, VBX_LAST_ORDINAL = 138, VBX_ENTRY_COUNT = 129 };

// Pointer types of the entry points, VBXInit32_fn and so on.
#define VBX_DECLARE_FN_TYPE(ordinal, result, name, params) typedef result(VBXAPI* name##_fn) params;
VBX_ENTRY_POINTS(VBX_DECLARE_FN_TYPE)
#undef VBX_DECLARE_FN_TYPE

// The library's own declarations (its sources, and tests linking it directly).
#if defined(VBXTHUNK_BUILD) || defined(VBXTHUNK_DIRECT)
extern "C" {
#define VBX_DECLARE_FN(ordinal, result, name, params) result VBXAPI name params;
VBX_ENTRY_POINTS(VBX_DECLARE_FN)
#undef VBX_DECLARE_FN
}
#endif
