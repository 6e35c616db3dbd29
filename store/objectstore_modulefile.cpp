// Module files: saving a module's objects into a compound file and loading them back.
//
// Per object stream: UCHAR embedded, name, UCHAR kind, UCHAR flags, progId, DLL name
// (pass 1); parent reference, own fields (count, tagged), event definitions (count,
// name, kind, parameters, flag) (pass 2); own cells (count, field name, cell), own
// arrays (count, field name, elements), embedded children (count, slot index, name of
// the holding field or null) (pass 3); UCHAR has-native and the native's persist-stream
// block (pass 4).
#include <windows.h>

#include <memory>

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
const UCHAR kSavedFlags = InterObjRep::kFlagPrototype | InterObjRep::kFlagClone | InterObjRep::kFlagEditorMark;

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
    if (!head.is()) throw ModuleOpenFailed(r->name.c_str());
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
    for (size_t i = 0; i < r->slots.size(); ++i)
      head.write(r->slots[i] ? StreamName(i).c_str() : nullptr);
  }
  for (size_t i = 0; i < r->slots.size(); ++i) {
    InterObjRep* obj = r->slots[i];
    if (!obj) continue;
    OCLStream s(stg->storage(), StreamName(i).c_str(), 1, kStreamMode);
    if (!s.is()) throw ModuleOpenFailed(r->name.c_str());
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

int ObjectStore::SaveModule(unsigned char m, const char* path) {
  ModuleRec* r = StoreModule(m);
  if (!r || m == kTempModule) throw ModuleOpenFailed(("module " + std::to_string(m)).c_str());
  bool own = !path || !*path || StrEqualNoCase(path, r->path.c_str());
  if (own && r->store && r->storage) return r->store->writeModule(m);
  std::string target = own ? r->path : path;
  if (target.empty()) throw ModuleOpenFailed(r->name.c_str());
  // A module saved under a new name continues on the new file, which takes over what
  // others kept in the old one (the OLE controls' storage).
  OCLStorage* stg = new OCLStorage(target.c_str(), 1, kStreamMode);
  if (!stg->is()) {
    delete stg;
    throw ModuleOpenFailed(target.c_str());
  }
  if (r->storage && r->storage->is()) r->storage->storage()->CopyTo(0, nullptr, nullptr, stg->storage());
  delete r->store;
  r->store = nullptr;
  delete r->storage;
  r->storage = nullptr;
  r->storage = stg;
  r->path = target;
  StoreApplication* app = StoreApplication::App();
  r->store = app ? app->NewModuleStore(stg) : new ObjectStore(stg);
  r->store->setModuleNumber(m);
  return r->store->writeModule(m);
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

unsigned char ObjectStore::LoadModule(const char* path) {
  if (!path || !*path) throw ModuleOpenFailed("");
  std::string name = path;
  size_t cut = name.find_last_of("\\/");
  if (cut != std::string::npos) name = name.substr(cut + 1);
  StoreApplication* app = StoreApplication::App();
  if (!OCLStorage::IsStorageFile(path)) {
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
      throw ModuleOpenFailed(path);
    unsigned char m = CreateModule(name.c_str(), path);
    unsigned char prev = OpenModule(m);
    try {
      if (!app || !app->ReadTextObjectFile(path, nullptr))
        throw ModuleOpenFailed(path);
    } catch (...) {
      OpenModule(prev);
      UnloadModule(m, 1);
      throw;
    }
    OpenModule(prev);
    g_modules[m]->dirty = false;
    return m;
  }

  OCLStorage* stg = new OCLStorage(path, 0, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED);
  if (!stg->is()) {
    delete stg;
    stg = new OCLStorage(path, 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  }
  if (!stg->is()) {
    delete stg;
    throw ModuleOpenFailed(path);
  }
  unsigned char m = CreateModule(name.c_str(), path);
  ModuleRec* r = g_modules[m];
  r->storage = stg;
  LoadingScope loading;
  unsigned char prev = OpenModule(m);
  try {
    OCLStream head(stg->storage(), "Module", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
    char magic[4] = {};
    ULONG format = 0, count = 0;
    if (head.is()) {
      head.read(magic, 4);
      head.read(&format);
    }
    if (!head.is() || memcmp(magic, kMagic, 4) != 0 || format != kFormat)
      throw ModuleOpenFailed(path);
    std::string modName = StoreReadText(head);
    if (!modName.empty()) r->name = modName;
    ULONG nenums = 0;
    head.read(&nenums);
    for (ULONG i = 0; i < nenums; ++i) {
      std::string en = StoreReadText(head);
      ULONG kind = 0, entries = 0;
      head.read(&kind);
      head.read(&entries);
      EnumRep* e = EnumRep::find(en.c_str()) ? nullptr : new EnumRep(en.c_str(), (int)kind);
      for (ULONG k = 0; k < entries; ++k) {
        std::string text = StoreReadText(head);
        ULONG value = 0;
        head.read(&value);
        if (e) e->addEntry(text.c_str(), (int32_t)value);
      }
    }
    head.read(&count);
    std::vector<std::unique_ptr<OCLStream>> streams(count);
    std::vector<InterObjRep*> objs(count, nullptr);
    std::vector<bool> embedded(count, false);
    // Pass 1: the objects, so that references between them resolve.
    for (ULONG i = 0; i < count; ++i) {
      std::string sn = StoreReadText(head);
      if (sn.empty()) continue;
      streams[i].reset(new OCLStream(stg->storage(), sn.c_str(), 0, STGM_READ | STGM_SHARE_EXCLUSIVE));
      OCLStream& s = *streams[i];
      if (!s.is()) throw ModuleOpenFailed(path);
      UCHAR emb = 0, kind = 0, flags = 0;
      s.read(&emb);
      std::string on = StoreReadText(s);
      s.read(&kind);
      s.read(&flags);
      std::string prog = StoreReadText(s), dll = StoreReadText(s);
      InterObjRep* obj = new InterObjRep(nullptr, on.c_str(), m);
      obj->ref();
      obj->setKind(kind);
      obj->setFlag(flags, true);
      obj->setProgId(prog.c_str(), dll.empty() ? nullptr : dll.c_str());
      StorePlaceInSlot(obj, m, i);
      obj->unref();
      objs[i] = obj;
      embedded[i] = emb != 0;
      if (!emb && obj->hasName()) registerTopLevel(obj);
    }
    // Pass 2: parents, fields and events.
    for (ULONG i = 0; i < count; ++i) {
      if (!objs[i]) continue;
      OCLStream& s = *streams[i];
      InterObjRep* obj = objs[i];
      InterObjRep* parent = nullptr;
      unsigned char kind = 0;
      FaultpStreamRead(s, m, parent, kind);
      obj->setParent(parent);
      ULONG nf = 0;
      s.read(&nf);
      for (ULONG k = 0; k < nf; ++k) obj->signature()->addField(Field::ReadField(s), nullptr, 0);
      ULONG ne = 0;
      s.read(&ne);
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
      ULONG nc = 0;
      s.read(&nc);
      for (ULONG k = 0; k < nc; ++k) {
        std::string fn = StoreReadText(s);
        ValueCellVar c;
        ReadCell(s, c.c, m);
        Field* f = obj->findField(fn.c_str());
        if (f && f->isData()) obj->makeOwnCell(static_cast<DataField*>(f)).copyFrom(c.c);
      }
      ULONG na = 0;
      s.read(&na);
      for (ULONG k = 0; k < na; ++k) {
        std::string fn = StoreReadText(s);
        Field* f = obj->findField(fn.c_str());
        ArrayData* a = NewArrayData(f && f->isArrayData() ? f->typeCode() : 0);
        a->read(s, m);
        if (f && f->isArrayData())
          obj->setOwnArray(static_cast<ArrayField*>(f), a);
        else
          delete a;
      }
      ULONG nemb = 0;
      s.read(&nemb);
      for (ULONG k = 0; k < nemb; ++k) {
        ULONG index = 0;
        s.read(&index);
        std::string fn = StoreReadText(s);
        InterObjRep* child = ModuleSlot(m, (int)index);
        if (!child) throw ModuleOpenFailed(path);
        obj->addEmbed(child, fn.empty() ? nullptr : obj->findField(fn.c_str()));
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
      IInterObj* n = CreateNative(obj);
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
  } catch (StoreException&) {
    OpenModule(prev);
    UnloadModule(m, 1);
    throw;
  } catch (XException& e) {
    OpenModule(prev);
    UnloadModule(m, 1);
    throw ModuleOpenFailed(e.what());
  }
  OpenModule(prev);
  r->store = app ? app->NewModuleStore(stg) : new ObjectStore(stg);
  r->store->setModuleNumber(m);
  r->store->moduleLoaded(m);
  r->dirty = false;
  for (InterObjRep* o : r->slots)
    if (o) o->setFlag(InterObjRep::kFlagDirty, false);
  return m;
}
