// What the window base calls of the data objects it binds to: the record set ("RecordSet")
// that a bound window registers with, and the dynaset whose current-row field the
// window shows. The record set derives from the dynaset; its native object answers both
// interfaces. A window finds them from a store object with DataControlOf and
// DynasetOf (null for Nothing, for any other class, or for an object without its native
// part).
#pragma once

#include "store/iinterobj.h"
#include "store/interobj.h"

class ValStringRep;

class iDynaset {
 public:
  // The field object of that name in the current row (a one-column dynaset), or Nothing
  // when there is no current row or no such field.
  virtual InterObj imCurrentField(const char* name) = 0;
  // The field's value as a new string ("" without a record source).
  virtual ValStringRep* pdGetValue() = 0;
  // Writes value into the field through the record source and puts the source into
  // edit mode; nothing without a record source.
  virtual void pdSetValue(const char* value) = 0;

 protected:
  virtual ~iDynaset() = default;
};

class IDataControl : public virtual iDynaset {
 public:
  // Adds a bound window (anything that is not a window is ignored).
  virtual void addControl(const InterObj& window) = 0;
  // Removes a bound window (nothing when it is not bound).
  virtual void removeControl(const InterObj& window) = 0;
};

inline IDataControl* DataControlOf(InterObjRep* obj) {
  return obj && !obj->isDestroyed() ? dynamic_cast<IDataControl*>(obj->ROCDataPtr(0)) : nullptr;
}

inline iDynaset* DynasetOf(InterObjRep* obj) {
  return obj && !obj->isDestroyed() ? dynamic_cast<iDynaset*>(obj->ROCDataPtr(0)) : nullptr;
}
