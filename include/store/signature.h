// SignatureRep: the members an object declares itself: fields (properties, methods) and
// event definitions, in the order they were added.
//
// Lookup on an object goes: its own signature, then the signature's compiled base part
// (getCompBase: the native base class's members, defined by the base's PO_DefineFields
// on behalf of the derived class, so that member pointers act on the derived object),
// then the parent object's signature, and so on up the prototype chain.
//
// Name rules (case-insensitive, as Basic):
//   - a name already in the same signature: CollisionOnSelf;
//   - a Basic (non-compiled) field over an inherited one of another kind: data over a
//     method DataMethodCollision, a method over data MethodDataCollision; data over data:
//     MatchingFieldCollision when type and class agree, else CollisionOnParent. A method
//     over a method overrides it.
//   - compiled fields shadow inherited ones silently (a derived class may declare a
//     base's member again), and so do the compiled base part's fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "utils/allocator.h"
#include "store/ovstore_api.h"

class Field;
class EventDef;
class Value;
class InterObjRep;

class OVSTORE_API SignatureRep : public Allocator {
 public:
  // The signature of obj (may be null for a detached signature).
  explicit SignatureRep(InterObjRep* obj);
  ~SignatureRep();
  SignatureRep(const SignatureRep&) = delete;
  SignatureRep& operator=(const SignatureRep&) = delete;

  InterObjRep* protoObject() const { return obj_; }
  // The parent object's signature (null for a root).
  SignatureRep* parent() const;
  // The compiled base part (made when the object's class has a native base class);
  // null otherwise.
  SignatureRep* getCompBase() const { return compBase_; }
  // Makes the compiled base part (once).
  SignatureRep* makeCompBase();
  // The signature whose compiled base part this is (null for ordinary ones).
  SignatureRep* owner() const { return owner_; }

  bool isCompFieldsDefined() const { return compDefined_; }
  void setCompFieldsDefined(bool on = true) { compDefined_ = on; }

  // Adds field (taken over; deleted on a collision before the exception leaves).
  // value is the initial value of a data field on the protoObject (taken over).
  void addField(Field* field, Value* value, int flags);
  // Own fields only (with the compiled base part).
  Field* findOwnField(const char* name) const;
  // Own, compiled base, then up the parent chain.
  Field* findField(const char* name) const;
  // Deletes the own field name; false when absent.
  bool removeField(const char* name);
  // Renames an own field; collisions as for addField.
  void renameField(const char* oldName, const char* newName);

  int fieldCount() const { return (int)fields_.size(); }
  Field* field(int i) const { return fields_[i]; }

  // A process-wide counter that changes whenever any signature gains, loses or renames
  // a field, is deleted, or an object changes its parent: a field found by name stays
  // valid while the counter is unchanged (lookup caches key on it).
  static uint32_t Generation();
  static void BumpGeneration();

  void addEventDef(EventDef* def);
  EventDef* findOwnEventDef(const char* name) const;
  // Own, compiled base, then parents; owner gets the signature that holds it.
  EventDef* findEventDef(const char* name, SignatureRep** owner = nullptr) const;
  bool removeEventDef(const char* name);
  int eventCount() const { return (int)events_.size(); }
  EventDef* eventDef(int i) const { return events_[i]; }

 private:
  void checkCollision(const Field* field, const char* name) const;

  InterObjRep* obj_;
  SignatureRep* owner_ = nullptr;
  SignatureRep* compBase_ = nullptr;
  bool compDefined_ = false;
  std::vector<Field*> fields_;
  std::vector<EventDef*> events_;
};
