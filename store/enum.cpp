// Enumerations: one process-wide name space, entries in insertion order.
#include "store/enum.h"

#include <vector>

#include "interobj_util.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"

namespace {
std::vector<EnumRep*>& All() {
  static auto* v = new std::vector<EnumRep*>;
  return *v;
}
}  // namespace

void EnumEntryList::addEntry(const char* text, int32_t value) {
  if (findText(text)) throw CollisionOnSelf(text ? text : "");
  entries_.push_back(Entry{text ? text : "", value});
}

const EnumEntryList::Entry* EnumEntryList::findText(const char* text) const {
  for (const Entry& e : entries_)
    if (StrEqualNoCase(e.text.c_str(), text)) return &e;
  return nullptr;
}

const EnumEntryList::Entry* EnumEntryList::findValue(int32_t value) const {
  for (const Entry& e : entries_)
    if (e.value == value) return &e;
  return nullptr;
}

EnumRep::EnumRep(const char* name, int kind)
    : name_(name ? name : ""), kind_(kind), module_(ObjectStore::OpenModule()) {
  if (find(name_.c_str())) throw StoreException("The enumeration '" + name_ + "' already exists.");
  All().push_back(this);
}

EnumRep::~EnumRep() {
  auto& v = All();
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i] == this) {
      v.erase(v.begin() + (long)i);
      break;
    }
}

const char* EnumRep::textOf(int32_t value) const {
  const EnumEntryList::Entry* e = list_.findValue(value);
  return e ? e->text.c_str() : nullptr;
}

bool EnumRep::valueOf(const char* text, int32_t& value) const {
  const EnumEntryList::Entry* e = list_.findText(text);
  if (!e) return false;
  value = e->value;
  return true;
}

EnumRep* EnumRep::find(const char* name) {
  for (EnumRep* e : All())
    if (StrEqualNoCase(e->name(), name)) return e;
  return nullptr;
}

EnumRep* EnumRep::Boolean() {
  if (EnumRep* e = find("Boolean")) return e;
  OpenModuleResource temp(ObjectStore::kTempModule);
  EnumRep* e = new EnumRep("Boolean", 0);
  e->addEntry("True", -1);
  e->addEntry("False", 0);
  return e;
}

EnumRep* EnumRep::EnsureEvalRequiresEnum() {
  if (EnumRep* e = find("EvalRequires")) return e;
  OpenModuleResource temp(ObjectStore::kTempModule);
  EnumRep* e = new EnumRep("EvalRequires", 0);
  e->addEntry("Property", 1);
  e->addEntry("Method", 2);
  e->addEntry("Event", 4);
  return e;
}

void EnumRep::DeleteModuleEnums(unsigned char m) {
  if (m == ObjectStore::kTempModule) return;
  std::vector<EnumRep*> doomed;
  for (EnumRep* e : All())
    if (e->module() == m) doomed.push_back(e);
  for (EnumRep* e : doomed) delete e;
}

int EnumRep::Count() { return (int)All().size(); }
EnumRep* EnumRep::At(int i) { return All()[(size_t)i]; }
