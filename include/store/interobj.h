// Store objects.
//
// InterObjRep   one object of the store. Objects are prototype based: every object may
//               have a parent (its prototype) whose fields, methods and events it
//               inherits and may override; a class published by a DLL is a prototype
//               whose native object (IInterObj) was made by the DLL's class factory.
//               Objects may embed owned children (a form's controls), kept in order.
//               Named objects at the top of a module are found by name
//               (ObjectStore::find); an embedded object's full name is dotted
//               ("Form1.Button1").
// InterObj      the value handle of an object (type code 7): a counted reference.
// IndirectInterObj, CountedIndirectInterObj, PrimInterObj
//               references that also create objects (see their constructors).
//
// Descriptor word: module index in bits 22-29, object index (slot in the module's
// object table) in bits 0-21. Flag byte: see the kFlag... constants. Kind marks: see
// kKind... constants.
//
// Data values: an object reads a data field from its own value when it has one, else
// from its parent's (up the prototype chain), else the field's initial value; writing
// always gives the object its own value.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "store/ovstore_api.h"
#include "utils/rwcstring.h"
#include "store/counted.h"
#include "store/faultp.h"

class OCLStream;
class IInterObj;
class SignatureRep;
class Field;
class DataField;
class MethodField;
class EventDef;
class Value;
class ValueList;
struct ValueCell;
class ArrayData;
class ArrayField;
class ValString;
class AccessControlRep;
class InterObjRep;

// Reference types of the creating constructors: 0 a prototype or named object (primary),
// 1 a temporary value, 2 an object owned by another object, 4 a new primary object
// derived from a template (the object editor's).
typedef int tInterObjType;

// A counted reference to an object, as callers hold a result.
typedef Faultp<InterObjRep> InterObjRef;

class OVSTORE_API InterObjRep : public CountedObject {
 public:
  enum : uint8_t {
    kFlagPrototype = 0x01,   // a class prototype (made by IndirectInterObj or published)
    kFlagTopLevel = 0x02,    // named object at the top of its module
    kFlagClone = 0x04,       // made as a copy of another object
    kFlagEditorMark = 0x08,  // free for the editors (property and method editor set it)
    kFlagDirty = 0x10,       // changed since its module was last saved
    kFlagCondemned = 0x20,   // waiting for DeleteObjects
    kFlagDestroyed = 0x40,   // dropped: fields, children and native object are gone
    kFlagStatic = 0x80,      // lives in a module's object table (saved with it)
  };
  // Kind marks: 0 plain (temporary or derived), 1 prototype of a published class,
  // 2 named object of a module, 3 embedded object.
  enum : uint8_t { kKindPlain = 0, kKindClass = 1, kKindNamed = 2, kKindEmbedded = 3 };

  enum : uint32_t {
    kModuleShift = 22,
    kModuleMask = 0xFFu << kModuleShift,
    kIndexMask = 0x3FFFFFu,
  };

  // A plain object derived from parent (may be null) in module (254 = temporary).
  InterObjRep(InterObjRep* parent, const char* name, unsigned char module);
  ~InterObjRep() override;

  // --- identity -----------------------------------------------------------------
  uint32_t descriptor() const { return descriptor_; }
  unsigned char module() const { return (unsigned char)((descriptor_ >> kModuleShift) & 0xFF); }
  uint32_t objectIndex() const { return descriptor_ & kIndexMask; }
  uint8_t flags() const { return flags_; }
  void setFlag(uint8_t f, bool on) { flags_ = on ? (flags_ | f) : (flags_ & ~f); }
  uint8_t kind() const { return kind_; }
  bool isPrototype() const { return (flags_ & kFlagPrototype) != 0; }
  bool isStaticObj() const { return (flags_ & kFlagStatic) != 0; }
  bool isTopLevel() const { return (flags_ & kFlagTopLevel) != 0; }
  bool isDestroyed() const { return (flags_ & kFlagDestroyed) != 0; }
  bool isEmbedded() const { return container_ != nullptr; }
  // A real object with data of its own, not only a description (a prototype).
  bool isRealObject() const { return !isPrototype(); }

  // The object's name ("" when unnamed).
  const char* name() const { return name_.c_str(); }
  bool hasName() const { return !name_.empty(); }
  // "Form1.Button1" for embedded objects.
  std::string fullName() const;
  // The name of the top-level object this one lies in (itself when top-level); with
  // topLevel 0 the root of the prototype chain's name instead. The text is that
  // object's own name, valid while it lives and keeps the name.
  const char* rootname(int topLevel = 1) const;
  // The DLL that published the object's class (walking the prototype chain), or null.
  const char* getDefiningDLL() const;
  const char* progId() const { return progId_.c_str(); }
  // A new name "<pattern><n>" that no object of the module (or sibling) uses.
  std::string uniqueName(const char* pattern) const;
  // Renames; refuses (StoreException) a name a sibling or a module object has.
  void renameObject(const char* newName);

  // --- hierarchy ------------------------------------------------------------------
  InterObjRep* parent() const { return parent_; }
  // True when this is proto or derives from it (also across the embed of a clone).
  int canBeTreatedAs(const InterObjRep* proto) const;
  static int canBeTreatedAs(const InterObjRep* target, const InterObjRep* object) {
    return object && object->canBeTreatedAs(target);
  }
  // Number of parent links up to a root.
  int depth() const;
  int numChildren() const { return (int)children_.size(); }
  InterObjRep* child(int i) const { return children_[i]; }
  // Calls fn on every descendant (children first in creation order, depth first).
  void forProgeny(void (*fn)(InterObjRep*, void*), void* data);
  void forProgeny(InterObjRep* proto, void (*fn)(InterObjRep*, void*), void* data) {
    if (proto) proto->forProgeny(fn, data);
  }

  // Container side of embedding.
  InterObjRep* embeddedIn() const { return container_; }
  const Field* containingField() const { return containerField_; }
  int numEmbeds() const { return (int)embeds_.size(); }
  InterObjRep* embed(int i) const { return embeds_[i]; }
  InterObjRep* findEmbed(const char* name) const;
  // Makes child (a top-level or free object) an embedded child of this one, at the end
  // of the embed order, held by field (may be null). Calls the natives' embedded().
  void addEmbed(InterObjRep* child, const Field* field = nullptr);
  // Takes child out (unembedded() is called); the child stays alive while referenced.
  void removeEmbed(InterObjRep* child);
  // Whether this object lies (at any depth) inside other.
  int isContainedIn(const InterObjRep* other) const;

  // --- native side -------------------------------------------------------------------
  // The native published object (null for objects of pure Basic classes). The argument
  // is kept for callers that pass 0.
  IInterObj* ROCDataPtr(int = 0) const { return native_; }
  // Attaches a native object that the caller made (takes over one reference).
  void attachNative(IInterObj* native);

  // --- signature and fields -------------------------------------------------------------
  SignatureRep* signature() const { return sig_; }
  // The field of that name: own first, then the prototype chain. Null when absent.
  Field* findField(const char* name) const;
  // Whether this object's own signature holds name.
  int definesField(const char* name) const;
  // The object whose signature holds the field name, or null.
  InterObjRep* findDefiningObject(const char* name) const;
  // Adds a field to this object's own signature (collisions throw, see SignatureRep),
  // with an initial value for data fields (the object takes the value over; may be null).
  void addField(Field* field, Value* initial, int flags = 0);
  void removeField(const char* name);
  void renameField(const char* oldName, const char* newName);
  int canAddMember(const char* name) const;
  int canDeleteMember(const char* name) const;

  // Event definitions (own signature, then the chain); owner gets the defining object.
  void addEventDef(EventDef* def);
  EventDef* findEventDef(const char* name, InterObjRep** owner = nullptr) const;
  void removeEventDef(const char* name);
  int getLocalEventCount() const;

  // Data values, kept as cells per object. findCell: own cell, else the nearest
  // parent's, else null. ownCell: this object's own cell or null. makeOwnCell: this
  // object's own cell, made (type none) when missing. Setting marks the object changed.
  const ValueCell* findCell(const DataField* field) const;
  ValueCell* ownCell(const DataField* field) const;
  ValueCell& makeOwnCell(const DataField* field);
  // The same starting at position hint of the object's own cells (the interpreter keeps
  // the position a member was found at, so a hit costs one comparison); hint is updated.
  ValueCell* ownCellAt(const DataField* field, uint32_t& hint) const;
  ValueCell& makeOwnCellAt(const DataField* field, uint32_t& hint);
  void dropOwnCell(const DataField* field);
  // Arrays: this object's own elements of field (null when none yet); setOwnArray
  // takes data over (deleting the previous).
  ArrayData* ownArray(const ArrayField* field) const;
  void setOwnArray(const ArrayField* field, ArrayData* data);

  // --- evaluation -------------------------------------------------------------------
  // The method named "<gadget>_<event>", e.g. "Button1_Click".
  static std::string constructEventName(const char* gadget, const char* event);
  std::string constructEventName(const char* event) const { return constructEventName(name(), event); }
  // The handler method of event raised on this object: "<name>_<event>" on the
  // container (for embedded objects), else the method event on this object; where gets
  // the object whose method runs. Null when there is no handler.
  MethodField* findEventHandler(const char* event, InterObjRep** where) const;
  // Raises event: runs its handler with args (taken over and deleted here, may be null).
  // Non-zero when a handler ran. Failures propagate. flag: 1 normally; 0 does not ask
  // the native object's extension handler.
  int evalIEvent(const char* event, ValueList* args, int flag = 1);
  // The same; a StoreException is reported (StoreApplication::HandleException) and
  // answers 0.
  int evalIEvent_NoThrow(const char* event, ValueList* args, int flag = 1);
  // The same with the handler's value (null when it returned none); non-zero when a
  // handler ran.
  int evalIEvent_Return(const char* event, ValueList* args, Value*& result);

  // Flags of evalIMember.
  enum { kEvalNoExt = 0x01, kEvalQuiet = 0x08 };
  // Evaluates member name: a method is called with args, a data field is read (args
  // index an array). Returns a counted value the caller releases, or null. found (may
  // be null) is set to whether the member exists. A missing member throws NotFound
  // unless found is given or flags has kEvalQuiet. args are not taken over.
  Value* evalIMember(const char* name, const ValueList* args, int* found = nullptr, int flags = 0);
  Value* evalIMember(const char* name, long arg, int* found = nullptr, int flags = 0);
  // Kinds of eval: 0 read or call, 1 set (the last argument is the value), 2 call.
  enum { kEvalGet = 0, kEvalSet = 1, kEvalCall = 2 };
  // Member evaluation in the native's extension style: null with *found 0 when absent
  // (never throws NotFound). sig limits the lookup to that signature when given.
  Value* eval(const char* name, unsigned char kind, const ValueList* args, SignatureRep* sig = nullptr,
              int* found = nullptr);
  // Sets a data member by name on this object (no inheritance of the write).
  void deepDataMemberSet(const char* name, const Value& v);

  // --- the native side's extension members (automation objects, VBX hosts) ---
  int hasExtProperty(const char* name) const;
  int getExtPropertyCount() const;
  void getExtPropertyName(int i, RWCString& out) const;
  void getExtMethodList(RWCString& out) const;
  void getExtMethodProto(const char* name, RWCString& proto, int& resultType) const;
  void getExtEventList(RWCString& out) const;
  int getExtEventProto(const char* name, RWCString& proto, int& resultType) const;

  // --- for the developer tools ---
  // The name without its trailing digits ("Button12" -> "Button"); unnamed objects give
  // their class's name.
  std::string getPatternName() const;
  // The object that text names (a name or dotted full name), or null.
  static InterObjRep* isAlias(const char* text);
  // Applies fn to this object and, depth first, to everything embedded in it.
  void PropagateChangeFunction(void (*fn)(InterObjRep*, void*), void* data);
  // The object whose methods hold this object's event handlers (its container, else
  // itself), and the top-level object it is listed under.
  virtual InterObjRep* handlerContainer() const;
  virtual InterObjRep* listingOwner() const;

  // --- text unload --------------------------------------------------------------------
  // Appends "<indent>.<Name> = <value>\n" for every data field with a value of its own.
  void textUnload(const char* indent, RWCString& cmds);
  // The same for the named fields (list ends with a null), whatever their origin.
  void textFieldsUnload(const char* const* names, const char* indent, RWCString& cmds);
  void textFieldUnload(const char* name, const char* indent, RWCString& cmds);
  // The same appending to a Basic string (a native imTextUnload's cmds argument).
  void textFieldsUnload(const char* const* names, const char* indent, ValString& cmds);

  // --- copy and life ------------------------------------------------------------------
  // A new object copied from this one (same parent, own values, embedded copies), with
  // the native copy protocol (clone, copy embedded, construct, attach). Named name,
  // in module.
  Faultp<InterObjRep> copy(const char* name, unsigned char module);
  // Marks the object changed and its module dirty.
  void changed();
  // Makes a free object a component of module m (it gets a slot in m's table); 255: the
  // current module.
  void convertToComponent(unsigned char m = 255);
  // Drops the object now: detaches it from its module and container, releases its
  // children, fields and native object. Referenced memory stays until the last
  // counted reference goes; uncounted references read as null from then on.
  void Destroy();
  // Marks the object condemned; DeleteObjects drops it on the next pass.
  void BeginDestroy();
  // Drops every condemned object (called on every pass of a message loop).
  static void DeleteObjects();

  // Live object count (for leak tests and the debugger).
  static long LiveObjects();

  // Implementation access (module loading, signatures).
  struct Values;
  void setDescriptor(unsigned char module, uint32_t index);
  void setKind(uint8_t k) { kind_ = k; }
  void setNameRaw(const char* n) { name_ = n ? n : ""; }
  void setProgId(const char* p, const char* dll);
  void setParent(InterObjRep* p);
  void setAccessControl(AccessControlRep* acl) { acl_ = acl; }
  AccessControlRep* accessControl() const { return acl_; }
  Values* values() const { return values_; }
  // Copies src's own values (cells and arrays) into this object.
  void copyValuesFrom(const InterObjRep* src);

 protected:
  // End of life (last counted reference gone): the object is dropped as by Destroy.
  void drop() override;

 private:
  friend class ObjectStore;
  friend class ModuleStore;
  void unlinkChild(InterObjRep* c);

  uint32_t descriptor_;
  uint8_t flags_ = 0;
  uint8_t kind_ = kKindPlain;
  std::string name_;
  std::string progId_;
  std::string dll_;
  InterObjRep* parent_ = nullptr;     // counted
  SignatureRep* sig_ = nullptr;       // owned
  Values* values_ = nullptr;          // own data values
  IInterObj* native_ = nullptr;       // one reference held
  InterObjRep* container_ = nullptr;  // uncounted back link
  const Field* containerField_ = nullptr;
  std::vector<InterObjRep*> embeds_;    // counted, in embedding order
  std::vector<InterObjRep*> children_;  // uncounted: objects derived from this
  AccessControlRep* acl_ = nullptr;
};

// Marks objects changed (the store's "described object" view of an InterObjRep).
template <class T>
class DescribedObjectNoDescriptor {
 public:
  static void changed(T* obj) {
    if (obj) obj->changed();
  }
};

// The value handle of an object: a counted reference (null for Nothing).
class OVSTORE_API InterObj : public Faultp<InterObjRep> {
 public:
  InterObj() {}
  InterObj(InterObjRep* rep, unsigned char kind = tIndirectReference) : Faultp<InterObjRep>(rep, kind) {}
  InterObj(const Faultp<InterObjRep>& r) : Faultp<InterObjRep>(r.get(), tIndirectReference) {}
};

// An indirect reference (counted unless made with tUncountedIndirectReference).
class OVSTORE_API IndirectInterObj : public Faultp<InterObjRep> {
 public:
  IndirectInterObj() {}
  IndirectInterObj(InterObjRep* rep, unsigned char kind = tUncountedIndirectReference)
      : Faultp<InterObjRep>(rep, kind) {}
  // Creates and registers the prototype of a published class: named name, progId
  // "Orvanel.<name>", derived from parent (null for a root class), guarded by acl.
  // The class's native prototype object is made through its DLL's class factory and
  // its PO_DefineFields runs on the new signature. The reference held is counted
  // (the store's module table holds the prototype too).
  IndirectInterObj(const char* progId, const char* name, InterObjRep* parent, AccessControlRep* acl,
                   tInterObjType type);
};

class OVSTORE_API CountedIndirectInterObj : public Faultp<InterObjRep> {
 public:
  CountedIndirectInterObj() {}
  CountedIndirectInterObj(InterObjRep* rep) : Faultp<InterObjRep>(rep, tIndirectReference) {}
};

// Primary references that create objects.
class OVSTORE_API PrimInterObj : public Faultp<InterObjRep> {
 public:
  PrimInterObj() {}
  // A new instance of proto in module (254: temporary); type 1 temporary, 2 owned by
  // another object, 4 a new primary object derived from a template. Native classes get
  // their native object from the class factory (attach, then construct).
  PrimInterObj(InterObjRep* proto, unsigned char module, tInterObjType type);
  // A new named top-level object of the current module derived from parent (type 0)
  // or copied from it (type 1: clone).
  PrimInterObj(InterObjRep* parent, const char* name, tInterObjType type);
  // A new named root object (no parent) of the current module.
  PrimInterObj(const char* name, AccessControlRep* acl, tInterObjType type);
};

// Lists of references.
template <class R>
class InterObjRefList : public std::list<R> {
 public:
  void insert(const R& r) { this->push_back(r); }
  size_t entries() const { return this->size(); }
  void apply(void (*fn)(R&, void*), void* data) {
    for (auto& r : *this) fn(r, data);
  }
};
typedef InterObjRefList<IndirectInterObj> IndirectInterObjList;
typedef InterObjRefList<IndirectInterObj> IndirObjDList;
typedef InterObjRefList<CountedIndirectInterObj> CountedIndirectInterObjList;

// Reference streaming in the store's format: a null reference is the byte 0; a
// reference to an object of the module being written is 1 and its ULONG object index
// (resolved in the module being loaded); any other named object is 2, its module
// byte and its full name, resolved by name when read.
// While a module is being saved its number is ObjectStore::SavingModule(); otherwise
// (clipboard copies) references are written by name.
// These are what Faultp<InterObjRep>::write/read call.
OVSTORE_API void FaultpStreamWrite(const InterObjRep* p, unsigned char kind, OCLStream& s);
OVSTORE_API void FaultpStreamRead(OCLStream& s, unsigned char module, InterObjRep*& p, unsigned char& kind);
