// Module files: saving a module's objects into a compound file and loading them back.
//
// Per object stream: UCHAR embedded, name, UCHAR kind, UCHAR flags, progId, DLL name
// (pass 1); parent reference, own fields (count, tagged), event definitions (count,
// name, kind, parameters, flag) (pass 2); own cells (count, field name, cell), own
// arrays (count, field name, elements), embedded children (count, slot index, name of
// the holding field or null) (pass 3); UCHAR has-native and the native's persist-stream
// block (pass 4).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "interobj_util.h"
#include "objectstore_modules.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/field.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/valuecell.h"

void WriteCell(OCLStream& s, const ValueCell& c);
void ReadCell(OCLStream& s, ValueCell& c, unsigned char module);

namespace {

const char kMagic[4] = {'O', 'V', 'M', 'D'};
const ULONG kFormat = 1;
const DWORD kStreamMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const UCHAR kSavedFlags =
    InterObjRep::kFlagPrototype | InterObjRep::kFlagClone | InterObjRep::kFlagEditorMark;

unsigned char g_saving = ObjectStore::kAllModules;
int g_loading = 0;

std::string StreamName(size_t index) { return "O" + std::to_string(index); }

struct SavingScope {
  unsigned char prev;
  explicit SavingScope(unsigned char m) : prev(g_saving) { g_saving = m; }
  ~SavingScope() { g_saving = prev; }
};

struct LoadingScope {
  LoadingScope() { ++g_loading; }
  ~LoadingScope() { --g_loading; }
};

void WriteObject(InterObjRep* obj, OCLStream& s) {
  s.write((UCHAR)(obj->embeddedIn() ? 1 : 0));
  s.write(obj->name());
  s.write((UCHAR)obj->kind());
  s.write((UCHAR)(obj->flags() & kSavedFlags));
  s.write(obj->progId());
  s.write(obj->getDefiningDLL() && obj->progId()[0] ? obj->getDefiningDLL() : "");
  FaultpStreamWrite(obj->parent(), tIndirectReference, s);

  SignatureRep* sig = obj->signature();
  ULONG nf = 0;
  for (int i = 0; i < sig->fieldCount(); ++i)
    if (sig->field(i)->streamTag()) ++nf;
  s.write(nf);
  for (int i = 0; i < sig->fieldCount(); ++i)
    if (sig->field(i)->streamTag()) Field::WriteField(*sig->field(i), s);
  s.write((ULONG)sig->eventCount());
  for (int i = 0; i < sig->eventCount(); ++i) {
    EventDef* e = sig->eventDef(i);
    s.write(e->name());
    s.write((ULONG)e->kind());
    s.write(e->paramText());
    s.write((ULONG)e->flag());
  }

  std::vector<std::pair<const Field*, const ValueCell*>> cells;
  std::vector<std::pair<const Field*, const ArrayData*>> arrays;
  for (InterObjRep* o = obj; o; o = o->parent())
    for (SignatureRep* sg = o->signature(); sg; sg = sg->getCompBase())
      for (int i = 0; i < sg->fieldCount(); ++i) {
        Field* f = sg->field(i);
        if (!f->isData() || f->isCompiled()) continue;
        if (f->isArrayData()) {
          if (const ArrayData* a = obj->ownArray(static_cast<ArrayField*>(f))) arrays.push_back({f, a});
        } else if (const ValueCell* c = obj->ownCell(static_cast<DataField*>(f))) {
          cells.push_back({f, c});
        }
      }
  s.write((ULONG)cells.size());
  for (auto& c : cells) {
    s.write(c.first->name());
    WriteCell(s, *c.second);
  }
  s.write((ULONG)arrays.size());
  for (auto& a : arrays) {
    s.write(a.first->name());
    a.second->write(s);
  }
  s.write((ULONG)obj->numEmbeds());
  for (int i = 0; i < obj->numEmbeds(); ++i) {
    InterObjRep* e = obj->embed(i);
    s.write((ULONG)e->objectIndex());
    s.write(e->containingField() ? e->containingField()->name() : nullptr);
  }

  IInterObj* n = obj->ROCDataPtr(0);
  s.write((UCHAR)(n ? 1 : 0));
  if (n) {
    n->PO_Save(s.stream(), 1);  // failures stay exceptions
  }
}

}  // namespace

unsigned char ObjectStore::SavingModule() { return g_saving; }
bool StoreLoadingModule() { return g_loading > 0; }

int StoreWriteModule(unsigned char m, OCLStorage* stg) {
  ModuleRec* r = StoreModule(m);
  if (!r || !stg || !stg->is()) return 0;
  SavingScope saving(m);
  {
    OCLStream head(stg->storage(), "Module", 1, kStreamMode);
    if (!head.is()) throw OleException(head.result(), "the stream 'Module'");
    head.size(0);
    head.write(kMagic, 4);
    head.write(kFormat);
    head.write(r->name.c_str());
    std::vector<EnumRep*> enums;
    for (int i = 0; i < EnumRep::Count(); ++i)
      if (EnumRep::At(i)->module() == m) enums.push_back(EnumRep::At(i));
    head.write((ULONG)enums.size());
    for (EnumRep* e : enums) {
      head.write(e->name());
      head.write((ULONG)e->kind());
      head.write((ULONG)e->entries().entries());
      for (int k = 0; k < e->entries().entries(); ++k) {
        head.write(e->entries().at(k).text.c_str());
        head.write((ULONG)e->entries().at(k).value);
      }
    }
    head.write((ULONG)r->slots.size());
    for (size_t i = 0; i < r->slots.size(); ++i) head.write(r->slots[i] ? StreamName(i).c_str() : nullptr);
  }
  for (size_t i = 0; i < r->slots.size(); ++i) {
    InterObjRep* obj = r->slots[i];
    if (!obj) continue;
    OCLStream s(stg->storage(), StreamName(i).c_str(), 1, kStreamMode);
    if (!s.is()) throw OleException(s.result(), ("the stream '" + StreamName(i) + "'").c_str());
    s.size(0);
    WriteObject(obj, s);
  }
  HRESULT hr = stg->storage()->Commit(STGC_DEFAULT);
  if (FAILED(hr)) throw OleException(hr, r->path.c_str());
  r->dirty = false;
  for (InterObjRep* o : r->slots)
    if (o) o->setFlag(InterObjRep::kFlagDirty, false);
  return 1;
}

namespace {

// The reason an exception gives, for a message that also names the file.
std::string ReasonOf(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const XAssert&) {
    throw;  // a program error stays one
  } catch (const XException& x) {
    return x.what();
  } catch (const std::bad_alloc&) {
    return "There is not enough memory.";
  } catch (const std::exception& x) {
    return x.what();
  }
}

std::string OleReason(HRESULT hr) {
  const char* t = OleResult::Text(hr);
  char code[16];
  snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return std::string(t ? t : "OLE error") + " (" + code + ")";
}

// The folder part of path ("." when it has none).
std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

// Refuses a target that cannot be written, before anything is written.
void CheckSaveTarget(const std::string& target) {
  DWORD folder = GetFileAttributesA(FolderOf(target).c_str());
  if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY))
    throw ModuleSaveFailed(target.c_str(), "The folder does not exist.");
  DWORD attr = GetFileAttributesA(target.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  if (attr & FILE_ATTRIBUTE_DIRECTORY) throw ModuleSaveFailed(target.c_str(), "A folder has that name.");
  // Checked here: the file system does not refuse everyone (an administrator may write).
  if (attr & FILE_ATTRIBUTE_READONLY) throw ModuleSaveFailed(target.c_str(), "The file is read-only.");
}

}  // namespace

// A module read from a text object file is written back as text, through the
// application (the parser library's writer: the file changes only when the whole text
// was written). One read only in part is refused: its file holds more than the module.
static int SaveTextModule(unsigned char m, ModuleRec* r) {
  if (r->partial)
    throw ModuleSaveFailed(r->path.c_str(),
                           "Only part of its text object file was read; save it under another name.");
  CheckSaveTarget(r->path);
  StoreApplication* app = StoreApplication::App();
  int written = 0;
  try {
    written = app ? app->WriteTextObjectFile(r->path.c_str(), m) : 0;
  } catch (...) {
    throw ModuleSaveFailed(r->path.c_str(), ReasonOf(std::current_exception()));
  }
  if (!written) throw ModuleSaveFailed(r->path.c_str(), "No text object file writer is available.");
  r->dirty = false;
  for (InterObjRep* o : r->slots)
    if (o) o->setFlag(InterObjRep::kFlagDirty, false);
  return 1;
}

int ObjectStore::SaveModule(unsigned char m, const char* path) {
  ModuleRec* r = StoreModule(m);
  if (!r || m == kTempModule) throw ModuleSaveFailed(("module " + std::to_string(m)).c_str(), "");
  bool own = !path || !*path || StrEqualNoCase(path, r->path.c_str());
  if (own && r->text) return SaveTextModule(m, r);
  if (own && r->store && r->storage) {
    // In place: the storage is transacted, so the file changes only at the commit.
    if (!r->storage->isWritable()) throw ModuleSaveFailed(r->path.c_str(), "The file was opened read-only.");
    DWORD attr = GetFileAttributesA(r->path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
      throw ModuleSaveFailed(r->path.c_str(), "The file is read-only.");
    try {
      return r->store->writeModule(m);
    } catch (...) {
      std::string why = ReasonOf(std::current_exception());
      r->storage->storage()->Revert();
      throw ModuleSaveFailed(r->path.c_str(), why);
    }
  }
  std::string target = own ? r->path : path;
  if (target.empty()) throw ModuleSaveFailed(r->name.c_str(), "The module has no file name.");
  CheckSaveTarget(target);
  // The module is written whole into a new file beside the target, which replaces the
  // target only when every byte is written: a full disk or any other failure leaves the
  // old file as it was. The module then continues on the new file, which takes over what
  // others kept in the old one (the OLE controls' storage).
  char temp[MAX_PATH];
  if (!GetTempFileNameA(FolderOf(target).c_str(), "ovm", 0, temp))
    throw ModuleSaveFailed(target.c_str(), "No temporary file could be made beside it (" +
                                               std::to_string(GetLastError()) + ").");
  OCLStorage* stg = new OCLStorage(temp, 1, kStreamMode);
  if (!stg->is()) {
    HRESULT hr = stg->result();
    delete stg;
    DeleteFileA(temp);
    throw ModuleSaveFailed(target.c_str(), OleReason(hr));
  }
  ObjectStore* store = nullptr;
  ObjectStore* oldStore = r->store;
  OCLStorage* oldStorage = r->storage;
  std::string oldPath = r->path;
  bool oldDirty = r->dirty;
  try {
    if (oldStorage && oldStorage->is()) {
      HRESULT hr = oldStorage->storage()->CopyTo(0, nullptr, nullptr, stg->storage());
      if (FAILED(hr)) throw OleException(hr, "copying the module's storage");
    }
    store = StoreNewModuleStore(m, stg);
    // Writers that reach the module's storage through the record find the new one.
    r->store = store;
    r->storage = stg;
    r->path = target;
    store->writeModule(m);
    r->store = nullptr;
    r->storage = nullptr;
    delete store;
    store = nullptr;
    delete stg;  // closes the file
    stg = nullptr;
    if (!MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      ThrowSystemError(GetLastError(), "replacing the old file");
  } catch (...) {
    std::string why = ReasonOf(std::current_exception());
    r->store = oldStore;
    r->storage = oldStorage;
    r->path = oldPath;
    r->dirty = oldDirty;
    for (InterObjRep* o : r->slots)
      if (o && oldDirty) o->setFlag(InterObjRep::kFlagDirty, true);
    delete store;
    delete stg;
    DeleteFileA(temp);
    throw ModuleSaveFailed(target.c_str(), why);
  }
  delete oldStore;
  delete oldStorage;
  r->store = nullptr;
  r->storage = nullptr;
  r->path = target;
  // Continue on the new file as a loaded module does.
  stg = new OCLStorage(target.c_str(), 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED);
  if (!stg->is()) {
    HRESULT hr = stg->result();
    delete stg;
    throw ModuleOpenFailed(target.c_str(), "It was saved but could not be opened again: " + OleReason(hr));
  }
  r->storage = stg;
  r->store = StoreNewModuleStore(m, stg);
  r->dirty = false;
  // Saved whole under the new name: the module is a compound file from now on.
  r->text = false;
  r->partial = false;
  return 1;
}

void StorePlaceInSlot(InterObjRep* obj, unsigned char m, unsigned index) {
  ModuleRec* r = StoreModule(m);
  if (r->slots.size() <= index) r->slots.resize(index + 1, nullptr);
  if (r->slots[index]) throw ModuleOpenFailed("two objects in one slot");
  obj->ref();
  r->slots[index] = obj;
  obj->setDescriptor(m, index);
  obj->setFlag(InterObjRep::kFlagStatic, true);
}

namespace {

// The smallest stream image of one entry of each counted list: a count read from the
// stream is checked against the bytes left before it sizes or drives anything.
enum MinBytes : ULONG {
  kMinEnum = 12,      // name, kind, entry count
  kMinEnumEntry = 8,  // text, value
  kMinSlot = 4,       // stream name
  kMinField = 12,     // tag, name, flags, type, class
  kMinEvent = 16,     // name, kind, parameters, flag
  kMinCell = 5,       // field name, type byte
  kMinEmbed = 8,      // slot index, field name
};

ULONG ReadCount(OCLStream& s, ULONG bytesEach, const char* what) {
  ULONG n = 0;
  s.read(&n);
  s.checkCount(n, bytesEach, what);
  return n;
}

[[noreturn]] void Damaged(const std::string& what) {
  throw StoreException("Stream data is damaged: " + what);
}

// Reads module m's streams from stg (see the layout at the top); throws on any damage,
// leaving the caller to unload what was made.
void ReadModuleStreams(unsigned char m, OCLStorage* stg) {
  ModuleRec* r = g_modules[m];
  OCLStream head(stg->storage(), "Module", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!head.is()) throw StoreException("It is not a module file: it has no stream 'Module'.");
  char magic[4] = {};
  ULONG format = 0;
  head.read(magic, 4);
  head.read(&format);
  if (memcmp(magic, kMagic, 4) != 0) throw StoreException("It is not a module file.");
  if (format != kFormat)
    throw StoreException("Its format " + std::to_string(format) + " is not known to this version.");
  std::string modName = StoreReadText(head);
  if (!modName.empty()) r->name = modName;
  ULONG nenums = ReadCount(head, kMinEnum, "an enumeration count");
  for (ULONG i = 0; i < nenums; ++i) {
    std::string en = StoreReadText(head);
    ULONG kind = 0;
    head.read(&kind);
    ULONG entries = ReadCount(head, kMinEnumEntry, "an enumeration's entry count");
    EnumRep* e = EnumRep::find(en.c_str()) ? nullptr : new EnumRep(en.c_str(), (int)kind);
    for (ULONG k = 0; k < entries; ++k) {
      std::string text = StoreReadText(head);
      ULONG value = 0;
      head.read(&value);
      if (e) e->addEntry(text.c_str(), (int32_t)value);
    }
  }
  ULONG count = ReadCount(head, kMinSlot, "the slot count");
  std::vector<std::unique_ptr<OCLStream>> streams(count);
  std::vector<InterObjRep*> objs(count, nullptr);
  // Pass 1: the objects, so that references between them resolve.
  for (ULONG i = 0; i < count; ++i) {
    std::string sn = StoreReadText(head);
    if (sn.empty()) continue;
    streams[i].reset(new OCLStream(stg->storage(), sn.c_str(), 0, STGM_READ | STGM_SHARE_EXCLUSIVE));
    OCLStream& s = *streams[i];
    if (!s.is()) Damaged("the object stream '" + sn + "' is missing.");
    UCHAR emb = 0, kind = 0, flags = 0;
    s.read(&emb);
    std::string on = StoreReadText(s);
    s.read(&kind);
    s.read(&flags);
    std::string prog = StoreReadText(s), dll = StoreReadText(s);
    InterObjRep* obj = new InterObjRep(nullptr, on.c_str(), m);
    obj->ref();
    obj->setKind(kind);
    obj->setFlag(flags & kSavedFlags, true);
    obj->setProgId(prog.c_str(), dll.empty() ? nullptr : dll.c_str());
    try {
      StorePlaceInSlot(obj, m, i);
    } catch (...) {
      obj->unref();
      throw;
    }
    obj->unref();
    objs[i] = obj;
    if (!emb && obj->hasName()) ObjectStore::registerTopLevel(obj);
  }
  // Pass 2: parents, fields and events.
  for (ULONG i = 0; i < count; ++i) {
    if (!objs[i]) continue;
    OCLStream& s = *streams[i];
    InterObjRep* obj = objs[i];
    InterObjRep* parent = nullptr;
    unsigned char kind = 0;
    FaultpStreamRead(s, m, parent, kind);
    obj->setParent(parent);  // refuses a chain that returns to obj
    ULONG nf = ReadCount(s, kMinField, "a field count");
    for (ULONG k = 0; k < nf; ++k) {
      std::unique_ptr<Field> f(Field::ReadField(s));
      obj->signature()->addField(f.release(), nullptr, 0);
    }
    ULONG ne = ReadCount(s, kMinEvent, "an event count");
    for (ULONG k = 0; k < ne; ++k) {
      std::string en = StoreReadText(s);
      ULONG ek = 0, flag = 0;
      s.read(&ek);
      std::string ep = StoreReadText(s);
      s.read(&flag);
      obj->signature()->addEventDef(new EventDef(en.c_str(), (int)ek, ep.c_str(), (int)flag));
    }
  }
  // Pass 3: values and embedding.
  for (ULONG i = 0; i < count; ++i) {
    if (!objs[i]) continue;
    OCLStream& s = *streams[i];
    InterObjRep* obj = objs[i];
    ULONG nc = ReadCount(s, kMinCell, "a value count");
    for (ULONG k = 0; k < nc; ++k) {
      std::string fn = StoreReadText(s);
      ValueCellVar c;
      ReadCell(s, c.c, m);
      Field* f = obj->findField(fn.c_str());
      if (f && f->isData() && !f->isArrayData()) obj->makeOwnCell(static_cast<DataField*>(f)).copyFrom(c.c);
    }
    ULONG na = ReadCount(s, kMinCell, "an array count");
    for (ULONG k = 0; k < na; ++k) {
      std::string fn = StoreReadText(s);
      Field* f = obj->findField(fn.c_str());
      std::unique_ptr<ArrayData> a(NewArrayData(f && f->isArrayData() ? f->typeCode() : 0));
      a->read(s, m);
      if (f && f->isArrayData()) obj->setOwnArray(static_cast<ArrayField*>(f), a.release());
    }
    ULONG nemb = ReadCount(s, kMinEmbed, "an embedded object count");
    for (ULONG k = 0; k < nemb; ++k) {
      ULONG index = 0;
      s.read(&index);
      std::string fn = StoreReadText(s);
      InterObjRep* child = index < count ? objs[index] : nullptr;
      if (!child) Damaged("an embedded object names slot " + std::to_string(index) + ", which is empty.");
      if (child->embeddedIn() && child->embeddedIn() != obj)
        Damaged(std::string("the object '") + child->name() + "' is embedded twice.");
      obj->addEmbed(child, fn.empty() ? nullptr : obj->findField(fn.c_str()));  // refuses cycles
    }
  }
  // Pass 4: native objects, made by their classes and loaded from their blocks.
  for (ULONG i = 0; i < count; ++i) {
    if (!objs[i]) continue;
    OCLStream& s = *streams[i];
    InterObjRep* obj = objs[i];
    UCHAR hasNative = 0;
    s.read(&hasNative);
    if (!hasNative) continue;
    IInterObj* n = ObjectStore::CreateNative(obj);
    if (!n) throw ObjectLoadFailed(obj->progId()[0] ? obj->progId() : obj->name());
    obj->attachNative(n);
    if (obj->isPrototype() && !obj->signature()->isCompFieldsDefined()) {
      if (obj->parent() && obj->parent()->ROCDataPtr(0)) obj->signature()->makeCompBase();
      try {
        n->PO_DefineFields(*obj->signature());
      } catch (StoreException& e) {
        StoreApplication::HandleException(e);
      }
      obj->signature()->setCompFieldsDefined(true);
    }
    n->PO_Load(s.stream());
  }
  for (ULONG i = 0; i < count; ++i)
    if (objs[i] && objs[i]->ROCDataPtr(0)) objs[i]->ROCDataPtr(0)->attach(m);
}

}  // namespace

unsigned char ObjectStore::LoadModule(const char* path) {
  if (!path || !*path) throw ModuleOpenFailed("");
  std::string name = path;
  size_t cut = name.find_last_of("\\/");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  StoreApplication* app = StoreApplication::App();
  if (!OCLStorage::IsStorageFile(path)) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES) throw ModuleOpenFailed(path, "The file was not found.");
    if (attr & FILE_ATTRIBUTE_DIRECTORY) throw ModuleOpenFailed(path, "It is a folder.");
    unsigned char m = CreateModule(name.c_str(), path);
    unsigned char prev = OpenModule(m);
    int read = 0;
    try {
      read = app ? app->ReadTextObjectFile(path, nullptr) : 0;
      if (!read) throw ModuleOpenFailed(path, "It is neither a module file nor a text object file.");
    } catch (...) {
      OpenModule(prev);
      UnloadModule(m, 1);
      throw;
    }
    OpenModule(prev);
    ModuleRec* r = g_modules[m];
    r->text = true;
    r->partial = read == 2;
    r->dirty = false;
    for (InterObjRep* o : r->slots)
      if (o) o->setFlag(InterObjRep::kFlagDirty, false);
    return m;
  }

  // A file with the read-only attribute opens for reading only, whoever we are.
  DWORD attr = GetFileAttributesA(path);
  bool readOnly = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY);
  OCLStorage* stg = nullptr;
  if (!readOnly) {
    stg = new OCLStorage(path, 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED);
    if (!stg->is()) {
      delete stg;
      stg = nullptr;
    }
  }
  if (!stg) stg = new OCLStorage(path, 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  if (!stg->is()) {
    HRESULT hr = stg->result();
    delete stg;
    const char* why = OleResult::Text(hr);
    throw ModuleOpenFailed(path, why ? why : "");
  }
  unsigned char m = CreateModule(name.c_str(), path);
  ModuleRec* r = g_modules[m];
  r->storage = stg;
  LoadingScope loading;
  unsigned char prev = OpenModule(m);
  // Whatever goes wrong, nothing of the module stays loaded: no objects to find, no
  // registration, no enumerations half made.
  auto unload = [&] {
    OpenModule(prev);
    UnloadModule(m, 1);
  };
  // The storage object comes first: what the objects' classes keep beside the module's
  // streams (the OLE controls' storages) is registered before they load.
  try {
    r->store = StoreNewModuleStore(m, stg);
  } catch (...) {
    unload();
    throw;
  }
  try {
    ReadModuleStreams(m, stg);
  } catch (const XAssert&) {
    unload();
    throw;  // a program error stays one
  } catch (const XException& e) {
    unload();
    throw ModuleOpenFailed(path, e.what());
  } catch (const std::bad_alloc&) {
    unload();
    throw ModuleOpenFailed(path, "There is not enough memory.");
  } catch (const std::exception& e) {
    unload();
    throw ModuleOpenFailed(path, e.what());
  } catch (...) {
    unload();
    throw;
  }
  OpenModule(prev);
  r->store->moduleLoaded(m);
  r->dirty = false;
  for (InterObjRep* o : r->slots)
    if (o) o->setFlag(InterObjRep::kFlagDirty, false);
  return m;
}
