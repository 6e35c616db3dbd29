// Declaring a published class's members on its prototype's signature: the helpers a
// class's PO_DeclareFields uses (POClass runs them inside its PO_DefineFields frame).
//
// Properties pass the setter before the getter, as CompProcDataField::make does; a
// null setter makes the property read-only. Methods and events are Basic declarations
// read by the parser library.
//
// Enumerations are process-wide by name: PO_EnsureEnum makes one only when the store
// does not know it yet, in the module of the prototype being defined (so it goes away
// with that module), and switches back to the module that was current.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "store/enum.h"
#include "store/field_comp.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "utils/xexception.h"

struct POEnumEntry {
  const char* text;
  int32_t value;
};

// The enumeration name; a missing one asserts "(EnumRep*)e".
inline EnumRep* PO_FindEnum(const char* name) {
  EnumRep* e = EnumRep::find(name);
  if (!e) utilsAssert("(EnumRep*)e", __FILE__, __LINE__);
  return e;
}

// The enumeration name, made with entries (in order) when the store lacks it. self is
// the native object whose signature is being defined.
inline EnumRep* PO_EnsureEnum(const IInterObj& self, const char* name,
                              std::initializer_list<POEnumEntry> entries) {
  if (EnumRep* e = EnumRep::find(name)) return e;
  InterObjRep* proto = self.storeObj();
  OpenModuleResource open(proto ? proto->module() : ObjectStore::OpenModule());
  EnumRep* e = new EnumRep(name, 1);
  if (!e) utilsAssert("enumObj.is()", __FILE__, __LINE__);
  if (EnumRep::find(name) != e) {
    std::string found = std::string("EnumRep::find(\"") + name + "\")";
    utilsAssert(found.c_str(), __FILE__, __LINE__);
  }
  for (const POEnumEntry& entry : entries) e->addEntry(entry.text, entry.value);
  return e;
}

// A property of a value type (1 short, 2 long, 3 float, 4 double, 6 string, 7 object;
// className names an object property's class).
inline void PO_Property(SignatureRep& sig, const char* name, unsigned char type, MemberFn setter,
                        MemberFn getter, const char* className = nullptr) {
  sig.addField(CompProcDataField::make(name, type, setter, getter, className), nullptr, 0);
}

// A Long property restricted to an enumeration ("Boolean" for Booleans).
inline void PO_EnumProperty(SignatureRep& sig, const char* name, const char* enumName, MemberFn setter,
                            MemberFn getter) {
  sig.addField(CompProcEnumField::make(name, PO_FindEnum(enumName), setter, getter), nullptr, 0);
}

// "Function F(...) As T" / "Sub S(...)" bound to member.
inline void PO_Method(SignatureRep& sig, const char* declaration, MemberFn member) {
  ParseCppField(declaration, sig, member);
}

// "Event E(...)".
inline void PO_Event(SignatureRep& sig, const char* declaration) { ParseCppEvent(declaration, sig); }
