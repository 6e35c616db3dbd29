// Control files: loading a DLL, checking and copying its description, one entry per file,
// and the class information a host can read without making a control.
#include "vbxstate.h"

#include <cstring>

using namespace vbx;

namespace {

// A name of 1..max bytes; reads at most max + 1 bytes of it.
bool TakeName(const char* s, int max, std::string* out) {
  if (!s) return false;
  size_t n = strnlen(s, size_t(max) + 1);
  if (n == 0 || n > size_t(max)) return false;
  out->assign(s, n);
  return true;
}

// A text of 0..max bytes (null is empty).
bool TakeText(const char* s, int max, std::string* out) {
  out->clear();
  if (!s) return true;
  size_t n = strnlen(s, size_t(max) + 1);
  if (n > size_t(max)) return false;
  out->assign(s, n);
  return true;
}

bool TakeProp(const VbxPropDesc& d, PropInfo* p) {
  if (!TakeName(d.name, VBXFILE_MAX_NAME, &p->name)) return false;
  if (d.type < VBXT_STRING || d.type > VBXT_BSTRING) return false;
  if (d.flags & ~uint32_t(VBXPF_ARRAY | VBXPF_READONLY)) return false;
  p->type = d.type;
  p->flags = d.flags;
  bool stringType = d.type == VBXT_STRING || d.type == VBXT_BSTRING;
  if (p->IsArray()) {
    // Elements of strings and of the window's geometry have no storage of their own.
    if (stringType || p->IsWindowGeometry()) return false;
    if (d.elements < 1 || d.elements > VBXFILE_MAX_ELEMENTS) return false;
    p->elements = d.elements;
  } else if (d.elements != 0) {
    return false;
  }
  if (d.type == VBXT_ENUM) {
    if (d.enumCount < 1 || d.enumCount > VBXFILE_MAX_ENUM || !d.enumTexts) return false;
    p->enumTexts.resize(size_t(d.enumCount));
    for (int i = 0; i < d.enumCount; ++i)
      if (!TakeName(d.enumTexts[i], VBXFILE_MAX_NAME, &p->enumTexts[size_t(i)])) return false;
    if (d.defaultNumber < 0 || d.defaultNumber >= d.enumCount) return false;
  } else if (d.enumCount != 0 || d.enumTexts) {
    return false;
  }
  bool shortType = d.type == VBXT_SHORT || d.type == VBXT_PICTURE;
  if (shortType && (d.defaultNumber < -32768 || d.defaultNumber > 32767)) return false;
  p->defaultNumber = d.type == VBXT_BOOL ? (d.defaultNumber ? -1 : 0) : d.defaultNumber;
  p->defaultReal = d.defaultReal;
  if (stringType) return TakeText(d.defaultText, 4096, &p->defaultText);
  return d.defaultText == nullptr;
}

bool TakeEvent(const VbxEventDesc& d, EventInfo* e) {
  if (!TakeName(d.name, VBXFILE_MAX_NAME, &e->name)) return false;
  if (!TakeText(d.params, VBXFILE_MAX_PARAMS, &e->params)) return false;
  if (d.argCount < 0 || d.argCount > VBXFILE_MAX_ARGS) return false;
  if (d.argCount > 0 && !d.argTypes) return false;
  for (int i = 0; i < d.argCount; ++i) {
    if (d.argTypes[i] < VBXA_SHORT || d.argTypes[i] >= VBXA_COUNT) return false;
    e->argTypes.push_back(d.argTypes[i]);
  }
  return true;
}

bool TakeClass(const VbxClassDesc& d, ClassInfo* c) {
  if (!TakeName(d.name, VBXFILE_MAX_NAME, &c->name)) return false;
  if (d.propCount < 0 || d.propCount > VBXFILE_MAX_PROPS || (d.propCount > 0 && !d.props)) return false;
  if (d.eventCount < 0 || d.eventCount > VBXFILE_MAX_EVENTS || (d.eventCount > 0 && !d.events)) return false;
  if (d.methods & ~VBXM_ALL) return false;
  if (!d.windowProc) return false;
  c->methods = d.methods;
  c->windowProc = d.windowProc;
  c->props.resize(size_t(d.propCount));
  for (int i = 0; i < d.propCount; ++i) {
    if (!TakeProp(d.props[i], &c->props[size_t(i)])) return false;
    if (FindPropIndex(*c, c->props[size_t(i)].name.c_str()) != i) return false;  // twice
  }
  c->events.resize(size_t(d.eventCount));
  for (int i = 0; i < d.eventCount; ++i) {
    if (!TakeEvent(d.events[i], &c->events[size_t(i)])) return false;
    for (int j = 0; j < i; ++j)
      if (SameName(c->events[size_t(j)].name, c->events[size_t(i)].name.c_str())) return false;
  }
  return true;
}

bool TakeFile(const VbxFileDesc* d, ControlFile* f) {
  if (!d || d->magic != VBXFILE_MAGIC || d->version != VBXFILE_VERSION) return false;
  if (d->classCount < 1 || d->classCount > VBXFILE_MAX_CLASSES || !d->classes) return false;
  f->classes.resize(size_t(d->classCount));
  for (int i = 0; i < d->classCount; ++i) {
    if (!TakeClass(d->classes[i], &f->classes[size_t(i)])) return false;
    for (int j = 0; j < i; ++j)
      if (SameName(f->classes[size_t(j)].name, f->classes[size_t(i)].name.c_str())) return false;
  }
  return true;
}

const VbxServices& Services() {
  static const VbxServices services = {
      sizeof(VbxServices),   VBXFromHwnd,      VBXGetProp,         VBXGetArrayProp,
      VBXGetPropIndex,       VBXGetCStringBuf, VBXDestroyCString,  VBXGetItemCount,
      VBXGetItemTextBuf,     VBXFireEvent,     VBXFireEventByName, VBXCreateBasicString,
      VBXDestroyBasicString, VBXGetFont,
  };
  return services;
}

const ClassInfo* FindClassOf(HVBXFILE file, int cls) {
  ControlFile* f = FindFile(file);
  if (!f) return nullptr;
  if (cls < 0 || size_t(cls) >= f->classes.size()) return Fail(VBXERR_BADINDEX, nullptr);
  return &f->classes[size_t(cls)];
}

}  // namespace

namespace vbx {

void ReleaseFile(HVBXFILE handle) {
  State& s = TheState();
  std::unique_ptr<ControlFile> f = s.files.Remove(handle);
  if (!f) return;
  for (ClassInfo& c : f->classes)
    for (EventInfo& e : c.events) s.eventInfos.Remove(e.handle);
  FreeLibrary(f->module);
}

}  // namespace vbx

extern "C" {

HVBXFILE VBXAPI VBXLoadFile(const char* path) {
  State& s = TheState();
  if (s.initCount == 0) return Fail(VBXERR_NOTINIT, HVBXFILE(0));
  if (!path || !*path) return Fail(VBXERR_NOFILE, HVBXFILE(0));
  if (HVBXFILE known = VBXFindFile(path)) return Succeed(known);
  HMODULE module = LoadLibraryA(path);
  if (!module) return Fail(VBXERR_NOFILE, HVBXFILE(0));
  // The same file under another name: one entry per file.
  for (HVBXFILE h : s.files.Handles()) {
    if (s.files.Find(h)->module == module) {
      FreeLibrary(module);
      return Succeed(h);
    }
  }
  auto describe = reinterpret_cast<VbxDescribe_fn>(GetProcAddress(module, VBXFILE_DESCRIBE_NAME));
  auto f = std::make_unique<ControlFile>();
  f->path = path;
  f->module = module;
  if (!describe || !TakeFile(describe(&Services()), f.get())) {
    FreeLibrary(module);
    return Fail(VBXERR_BADFILE, HVBXFILE(0));
  }
  ControlFile* file = f.get();
  HVBXFILE handle = s.files.Add(std::move(f));
  if (!handle) {
    FreeLibrary(module);
    return Fail(VBXERR_NOMEMORY, HVBXFILE(0));
  }
  for (ClassInfo& c : file->classes) {
    for (size_t i = 0; i < c.events.size(); ++i) {
      c.events[i].handle = s.eventInfos.Add(std::make_unique<EventRef>(EventRef{&c, int(i)}));
      if (!c.events[i].handle) {
        ReleaseFile(handle);
        return Fail(VBXERR_NOMEMORY, HVBXFILE(0));
      }
    }
  }
  return Succeed(handle);
}

int VBXAPI VBXFreeFile(HVBXFILE file) {
  ControlFile* f = FindFile(file);
  if (!f) return VBXERR_BADHANDLE;
  if (f->controls > 0) return Outcome(VBXERR_INUSE);
  ReleaseFile(file);
  return Outcome(VBXERR_NONE);
}

int VBXAPI VBXGetFileCount(void) { return Succeed(TheState().files.Count()); }

HVBXFILE VBXAPI VBXGetFileAt(int index) {
  HVBXFILE h = TheState().files.HandleAt(index);
  return h ? Succeed(h) : Fail(VBXERR_BADINDEX, HVBXFILE(0));
}

int VBXAPI VBXGetFileNameBuf(HVBXFILE file, char* buffer, int size) {
  ControlFile* f = FindFile(file);
  if (!f) return 0;
  return CopyOut(f->path, buffer, size);
}

HVBXFILE VBXAPI VBXFindFile(const char* path) {
  State& s = TheState();
  for (HVBXFILE h : s.files.Handles())
    if (SameName(s.files.Find(h)->path, path)) return Succeed(h);
  return Fail(VBXERR_NOTFOUND, HVBXFILE(0));
}

int VBXAPI VBXGetNumClasses(HVBXFILE file) {
  ControlFile* f = FindFile(file);
  return f ? Succeed(int(f->classes.size())) : 0;
}

int VBXAPI VBXGetClassNameBuf(HVBXFILE file, int cls, char* buffer, int size) {
  const ClassInfo* c = FindClassOf(file, cls);
  return c ? CopyOut(c->name, buffer, size) : 0;
}

int VBXAPI VBXFindClass(HVBXFILE file, const char* name) {
  ControlFile* f = FindFile(file);
  if (!f) return -1;
  for (size_t i = 0; i < f->classes.size(); ++i)
    if (SameName(f->classes[i].name, name)) return Succeed(int(i));
  return Fail(VBXERR_NOCLASS, -1);
}

DWORD VBXAPI VBXGetClassMethods(HVBXFILE file, int cls) {
  const ClassInfo* c = FindClassOf(file, cls);
  return c ? Succeed(DWORD(c->methods)) : 0;
}

int VBXAPI VBXGetFileControlCount(HVBXFILE file) {
  ControlFile* f = FindFile(file);
  return f ? Succeed(f->controls) : 0;
}

int VBXAPI VBXGetClassNumProps(HVBXFILE file, int cls) {
  const ClassInfo* c = FindClassOf(file, cls);
  return c ? Succeed(int(c->props.size())) : 0;
}

int VBXAPI VBXGetClassNumEvents(HVBXFILE file, int cls) {
  const ClassInfo* c = FindClassOf(file, cls);
  return c ? Succeed(int(c->events.size())) : 0;
}

int VBXAPI VBXGetClassPropNameBuf(HVBXFILE file, int cls, int index, char* buffer, int size) {
  const ClassInfo* c = FindClassOf(file, cls);
  if (!c) return 0;
  if (index < 0 || size_t(index) >= c->props.size()) return Fail(VBXERR_BADINDEX, 0);
  return CopyOut(c->props[size_t(index)].name, buffer, size);
}

int VBXAPI VBXGetClassEventNameBuf(HVBXFILE file, int cls, int event, char* buffer, int size) {
  const ClassInfo* c = FindClassOf(file, cls);
  if (!c) return 0;
  if (event < 0 || size_t(event) >= c->events.size()) return Fail(VBXERR_BADINDEX, 0);
  return CopyOut(c->events[size_t(event)].name, buffer, size);
}

}  // extern "C"
