// Internal helpers shared by the object model's sources (not exported).
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

class InterObjRep;
class Field;

// Basic names compare without regard to case (ASCII).
inline bool StrEqualNoCase(const char* a, const char* b) { return _stricmp(a ? a : "", b ? b : "") == 0; }
inline std::string NameKey(const char* s) {
  std::string k = s ? s : "";
  for (char& c : k)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return k;
}

// Bumped whenever an object's own cells may have moved or gone (a cell made or dropped,
// values freed) or an object was embedded, taken out or renamed: a cell address kept by
// the interpreter holds while this and the signature generation stay the same.
extern uint32_t g_cellLayout;

// Whether obj is a live (not yet freed) store object.
bool StoreObjectIsLive(InterObjRep* obj);
void StoreLiveObjects(std::vector<InterObjRep*>& out);
// Forgets the values every object keeps for field (the field is being deleted).
void StoreForgetField(const Field* field);

struct ValueCell;
class Value;
// A new value (count 0) holding the cell's content (objects included).
Value* StoreValueFromCell(const ValueCell& c);
// The initial cell of a type code (0 and 10: no value).
void StoreDefaultCell(ValueCell& c, unsigned char type);
// The Basic literal of a cell for text unload.
std::string StoreCellLiteral(const ValueCell& c);
class EnumRep;
// The Basic literal of an enumerated value for text unload, one that reading the line
// back assigns again: True or False for a Boolean, else the entry's text as a string
// (enumerated properties take their entries' texts), the number when no entry has it.
std::string StoreEnumLiteral(const EnumRep* e, int32_t value);
// A new object derived from proto in module, named name, with its native object (made
// through the class's factory) attached and constructed from the prototype's native.
// The result holds the one count on the new object.
#include "store/faultp.h"
Faultp<InterObjRep> StoreNewInstance(InterObjRep* proto, unsigned char module, const char* name);
// Copies src's embedded objects into dst (each a copy of the child, same names).
void StoreCopyEmbeds(InterObjRep* src, InterObjRep* dst);
// Whether a module is being loaded (fields added then do not make embedded objects).
bool StoreLoadingModule();

class OCLStream;
// A string read from s (the null string reads as "").
std::string StoreReadText(OCLStream& s);
