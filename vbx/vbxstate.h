// The VBX emulation library's inside: checked handle tables, the loaded control files with
// the copies of their descriptions, the live controls with their property values, and the
// outcome of the last call.
#pragma once

#include "vbx/vbxfile.h"

#include <memory>
#include <string>
#include <vector>

namespace vbx {

// Objects reached by 32-bit handles: the slot number plus one in the low 16 bits, the
// slot's generation (never 0) in the high 16 bits. Reusing a slot changes its generation,
// so a stale handle finds nothing instead of another object.
template <class T>
class HandleTable {
 public:
  // The new object's handle, or 0 when every slot is taken.
  uint32_t Add(std::unique_ptr<T> item) {
    size_t i = 0;
    while (i < slots_.size() && slots_[i].item) ++i;
    if (i == slots_.size()) {
      if (slots_.size() >= 0xFFFF) return 0;
      slots_.emplace_back();
    }
    Slot& s = slots_[i];
    if (++s.generation == 0) s.generation = 1;
    s.item = std::move(item);
    ++live_;
    return (uint32_t(s.generation) << 16) | uint32_t(i + 1);
  }

  T* Find(uint32_t handle) const {
    size_t i = (handle & 0xFFFF);
    if (i == 0 || i > slots_.size()) return nullptr;
    const Slot& s = slots_[i - 1];
    if (!s.item || s.generation != (handle >> 16)) return nullptr;
    return s.item.get();
  }

  std::unique_ptr<T> Remove(uint32_t handle) {
    if (!Find(handle)) return nullptr;
    --live_;
    return std::move(slots_[(handle & 0xFFFF) - 1].item);
  }

  int Count() const { return live_; }

  // The handle of the n-th live object in slot order, 0 past the end.
  uint32_t HandleAt(int n) const {
    if (n < 0) return 0;
    for (size_t i = 0; i < slots_.size(); ++i)
      if (slots_[i].item && n-- == 0) return (uint32_t(slots_[i].generation) << 16) | uint32_t(i + 1);
    return 0;
  }

  // Every live handle, taken before the caller changes the table.
  std::vector<uint32_t> Handles() const {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < slots_.size(); ++i)
      if (slots_[i].item) out.push_back((uint32_t(slots_[i].generation) << 16) | uint32_t(i + 1));
    return out;
  }

  void Clear() {
    for (Slot& s : slots_) s.item.reset();
    live_ = 0;
  }

 private:
  struct Slot {
    uint16_t generation = 0;
    std::unique_ptr<T> item;
  };
  std::vector<Slot> slots_;
  int live_ = 0;
};

struct PropInfo {
  std::string name;
  int32_t type = VBXT_NONE;
  uint32_t flags = 0;
  int32_t elements = 0;
  std::vector<std::string> enumTexts;
  int32_t defaultNumber = 0;
  float defaultReal = 0;
  std::string defaultText;

  bool IsArray() const { return (flags & VBXPF_ARRAY) != 0; }
  // Position and size properties live in the window, not in the library.
  bool IsWindowGeometry() const { return type >= VBXT_XPOS && type <= VBXT_YSIZE; }
};

struct EventInfo {
  std::string name;
  std::string params;
  std::vector<int32_t> argTypes;
  HEVENTINFO handle = 0;
};

struct ClassInfo {
  std::string name;
  std::vector<PropInfo> props;
  std::vector<EventInfo> events;
  uint32_t methods = 0;
  WNDPROC windowProc = nullptr;
};

struct ControlFile {
  std::string path;
  HMODULE module = nullptr;
  std::vector<ClassInfo> classes;
  int controls = 0;  // live controls made from the file
};

// What an event description handle stands for.
struct EventRef {
  const ClassInfo* cls;
  int event;
};

struct Element {
  int32_t number = 0;
  float real = 0;
  bool operator==(const Element& o) const { return number == o.number && real == o.real; }
};

struct PropValue {
  Element value;
  std::string text;               // the string types
  std::vector<Element> elements;  // array properties
};

struct Control {
  HVBXFILE file = 0;
  const ClassInfo* cls = nullptr;
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  HWND target = nullptr;  // where events go; the parent when null
  int id = 0;
  DWORD style = 0;
  LONG_PTR userData = 0;
  HFONT font = nullptr;
  std::vector<PropValue> values;
  std::vector<std::string> items;
  bool eventsEnabled = true;
  int eventsFired = 0;
  LRESULT lastEventResult = 0;
  int paints = 0;
  int changes = 0;
};

struct CString {
  std::string text;
  int refs = 1;
};

struct State {
  int initCount = 0;
  HINSTANCE instance = nullptr;  // the host's, from VBXInit32
  HINSTANCE self = nullptr;      // this library's module
  std::string appName;
  ATOM windowClass = 0;
  int lastError = VBXERR_NONE;
  HandleTable<ControlFile> files;
  HandleTable<Control> controls;
  HandleTable<EventRef> eventInfos;
  HandleTable<CString> cstrings;
  HandleTable<std::string> bstrings;
};

State& TheState();

// The window class of every control window; its extra bytes hold the control handle.
extern const char kControlWindowClass[];

// Records the outcome of a call and answers it.
inline int Outcome(int error) {
  TheState().lastError = error;
  return error;
}
// Records a failure and answers `result`.
template <class R>
R Fail(int error, R result) {
  TheState().lastError = error;
  return result;
}
template <class R>
R Succeed(R result) {
  TheState().lastError = VBXERR_NONE;
  return result;
}

// The control behind a handle, or null with VBXERR_BADHANDLE recorded.
Control* FindControl(HCTL hctl);
ControlFile* FindFile(HVBXFILE file);
// The property of a control, or null with VBXERR_BADINDEX recorded.
const PropInfo* FindProp(const Control& c, int index);
int FindPropIndex(const ClassInfo& cls, const char* name);

// Copies text into a caller's buffer (at most size - 1 bytes and a terminator); answers
// the bytes copied, or 0 with VBXERR_BADBUFFER when there is no room at all.
int CopyOut(const std::string& text, char* buffer, int size);

// Case-insensitive comparison of names, as Basic compares them.
bool SameName(const std::string& a, const char* b);

// Tells the control's window that a property changed.
void NotifyPropChanged(Control& c, int index, int element);

// Frees one control file's library-side records (classes, event handles, module).
void ReleaseFile(HVBXFILE handle);

// The procedure of every control window: keeps the library's records in step with the
// window (paints, font, destruction) and passes each message on to the control class.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Destroys a control's window (the window procedure removes the record).
void DestroyControl(HCTL hctl);

}  // namespace vbx
