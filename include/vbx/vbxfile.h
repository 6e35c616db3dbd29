// The control-file format of the VBX emulation library.
//
// A control file is a Win32 DLL (any extension; ".vbx" by custom) that exports one function
// by name, "VbxDescribe":
//
//   extern "C" const VbxFileDesc* __cdecl VbxDescribe(const VbxServices* services);
//
// The library calls it once when it loads the file, hands it the services table (the
// library's own entry points a control calls back: its properties, items and events), and
// copies what the answer describes: the control classes, each with its properties,
// events, supported methods and window procedure. The answer must stay valid while the
// file is loaded (static tables are the natural choice); the window procedures are called
// for the controls' windows, which the library creates in a window class of its own.
//
// The library refuses a file (VBXERR_BADFILE) whose description is missing, has another
// magic or version, or breaks a limit below: an unknown type code, a missing or over-long
// name, too many entries, an enumeration without texts, an array of strings, a default
// enumeration value out of range, an event argument type outside 1..6, unknown method bits
// or no window procedure. Counts bound every table it reads; names are read up to their
// limit and no further.
#pragma once

#include "vbx/vbxapi.h"

enum : uint32_t {
  VBXFILE_MAGIC = 0x5842564F,  // "OVBX"
  VBXFILE_VERSION = 1,
};

// Limits of a description.
enum : int32_t {
  VBXFILE_MAX_CLASSES = 32,
  VBXFILE_MAX_PROPS = 128,
  VBXFILE_MAX_EVENTS = 64,
  VBXFILE_MAX_ARGS = 16,
  VBXFILE_MAX_ENUM = 1024,      // enumeration values
  VBXFILE_MAX_ELEMENTS = 1024,  // elements of an array property
  VBXFILE_MAX_NAME = 63,        // bytes of a class, property, event or enumeration name
  VBXFILE_MAX_PARAMS = 255,     // bytes of an event's parameter text
};

struct VbxPropDesc {
  const char* name;
  int32_t type;                  // VbxPropType, 1 .. 13
  uint32_t flags;                // VbxPropFlag
  int32_t elements;              // VBXPF_ARRAY: number of elements, else 0
  int32_t enumCount;             // VBXT_ENUM: number of values, each with a text
  const char* const* enumTexts;  // VBXT_ENUM: enumCount texts
  int32_t defaultNumber;         // default of the integer types (of every element)
  float defaultReal;             // default of VBXT_REAL
  const char* defaultText;       // default of the string types (null: empty)
};

struct VbxEventDesc {
  const char* name;
  const char* params;  // parameter text, e.g. "Button As Integer, X As Single"
  int32_t argCount;
  const int32_t* argTypes;  // argCount VbxArgType codes, first argument first
};

struct VbxClassDesc {
  const char* name;
  int32_t propCount;
  const VbxPropDesc* props;
  int32_t eventCount;
  const VbxEventDesc* events;
  uint32_t methods;    // VbxMethod bits
  WNDPROC windowProc;  // the control window's procedure
};

struct VbxFileDesc {
  uint32_t magic;    // VBXFILE_MAGIC
  uint32_t version;  // VBXFILE_VERSION
  int32_t classCount;
  const VbxClassDesc* classes;
};

// What a control calls back. A window procedure finds its control with fromHwnd.
struct VbxServices {
  uint32_t cbSize;
  VBXFromHwnd_fn fromHwnd;
  VBXGetProp_fn getProp;
  VBXGetArrayProp_fn getArrayProp;
  VBXGetPropIndex_fn getPropIndex;
  VBXGetCStringBuf_fn getCStringBuf;
  VBXDestroyCString_fn destroyCString;
  VBXGetItemCount_fn getItemCount;
  VBXGetItemTextBuf_fn getItemTextBuf;
  VBXFireEvent_fn fireEvent;
  VBXFireEventByName_fn fireEventByName;
  VBXCreateBasicString_fn createBasicString;
  VBXDestroyBasicString_fn destroyBasicString;
  VBXGetFont_fn getFont;
};

typedef const VbxFileDesc*(VBXAPI* VbxDescribe_fn)(const VbxServices* services);
#define VBXFILE_DESCRIBE_NAME "VbxDescribe"
