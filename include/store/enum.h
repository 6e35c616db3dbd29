// Enumerations: named lists of (text, 32-bit value) entries, kept in insertion order.
//
// Scope: enumeration names are global to the process (one name space over all
// modules). An enumeration is created in the module that is current when it is made
// (ObjectStore::OpenModule) and goes away when that module unloads, after which find no
// longer knows it; enumerations made in the temporary module 254 (and the store's own
// "Boolean" and "EvalRequires") stay for the life of the process. find is
// case-insensitive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "utils/allocator.h"
#include "store/ovstore_api.h"

class OVSTORE_API EnumEntryList {
 public:
  struct Entry {
    std::string text;
    int32_t value;
  };
  // Appends an entry; a text already present is refused (StoreException).
  void addEntry(const char* text, int32_t value);
  int entries() const { return (int)entries_.size(); }
  const Entry& at(int i) const { return entries_[i]; }
  // The entry with that text (case-insensitive) or value; null when absent.
  const Entry* findText(const char* text) const;
  const Entry* findValue(int32_t value) const;

 private:
  std::vector<Entry> entries_;
};

class OVSTORE_API EnumRep : public Allocator {
 public:
  // Creates and registers an enumeration in the current module. A name already
  // registered is refused (StoreException). kind is kept (1 for class enumerations).
  EnumRep(const char* name, int kind);
  ~EnumRep();

  const char* name() const { return name_.c_str(); }
  int kind() const { return kind_; }
  unsigned char module() const { return module_; }
  EnumEntryList& entries() { return list_; }
  const EnumEntryList& entries() const { return list_; }
  // Shorthands for entries().
  void addEntry(const char* text, int32_t value) { list_.addEntry(text, value); }
  // The entry text of value, or null.
  const char* textOf(int32_t value) const;
  // The value of text; false when absent.
  bool valueOf(const char* text, int32_t& value) const;
  bool is() const { return true; }

  static EnumRep* find(const char* name);
  // Makes sure the store's "EvalRequires" exists (1 "Property", 2 "Method", 4 "Event").
  static EnumRep* EnsureEvalRequiresEnum();
  static EnumRep* Boolean();
  // Deletes the enumerations of module m (on unload).
  static void DeleteModuleEnums(unsigned char m);
  static int Count();
  static EnumRep* At(int i);

 private:
  std::string name_;
  int kind_;
  unsigned char module_;
  EnumEntryList list_;
};
