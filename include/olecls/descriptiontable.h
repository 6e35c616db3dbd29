// VoidDescriptionTable: a numbered set of items kept in a sub-storage of an OCLStorage.
//
// Each item's bytes lie in the stream "Items"; its Description (13 bytes) says where.
// The descriptions go to the stream "Description table":
//   ULONG tag, ULONG total bytes (end of the used part of "Items"), ULONG wasted bytes,
//   ULONG count n, ULONG free-list head (0xFFFFFFFF = none), then n records of
//   flags (1 byte), item pointer (4 bytes, always 0), offset (4), size (4).
// The same bytes in every build: item pointers live in memory only, in a table of their
// own indexed like the descriptions.
//
// write() is incremental (a changed item that fits is rewritten in place, one that grows
// is appended; the space left behind is counted as wasted) until the wasted bytes exceed
// a sixteenth of the total; then fullWrite() compacts "Items" through "temporary".
// The owner writes an item's bytes (writeItem); the table never looks inside them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "olecls/oclblockarraywfl.h"
#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "olecls/ovole_api.h"

#pragma pack(push, 1)
struct OVOLE_API Description {
  enum Flag : unsigned char { kInUse = 0x01, kChanged = 0x02, kDeleted = 0x04 };
  static const unsigned kBytes = 13;
  static const unsigned char kKnownFlags = kInUse | kChanged | kDeleted;

  unsigned char flags;
  uint32_t item;    // always 0 here: the pointers are kept apart (VoidDescriptionTable)
  uint32_t offset;  // in "Items"; for a free element, the next free run's head
  uint32_t size;    // bytes in "Items"; for a run's first free element, the run length

  bool isUsed() const { return (flags & kInUse) != 0; }
  bool isFree() const { return (flags & (kInUse | kDeleted)) == 0; }
  bool isDeleted() const { return (flags & kDeleted) != 0; }
  bool isChanged() const { return (flags & kChanged) != 0; }
  void markUsed() { flags |= kInUse; }
  void markFree() { flags &= ~(kInUse | kDeleted); }
  unsigned next() const { return offset; }
  void setNext(unsigned i) { offset = i; }
  unsigned run() const { return size; }
  void setRun(unsigned n) { size = n; }

  void store(unsigned char* p) const;
  void load(const unsigned char* p);
  // Null for a record that may be read, else what is wrong with it.
  static const char* check(const unsigned char* p);
};
#pragma pack(pop)
static_assert(sizeof(Description) == 13, "a description is 13 bytes in memory and on disk");

class OVOLE_API VoidDescriptionTable {
 public:
  enum { kMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE };  // 0x12
  enum Flag : unsigned char { kDirty = 0x01 };

  // Opens or creates the sub-storage name of parent with its streams; reads a stored
  // table. An unreadable or corrupt table throws OCLStreamException.
  VoidDescriptionTable(OCLStorage& parent, const char* name, unsigned long tag, unsigned long value);
  virtual ~VoidDescriptionTable();
  VoidDescriptionTable(const VoidDescriptionTable&) = delete;
  VoidDescriptionTable& operator=(const VoidDescriptionTable&) = delete;

  unsigned add(void* item);
  void changed(unsigned index);
  void deleted(unsigned index);
  void reclaimed(unsigned index);
  bool hasFaulted(unsigned index);

  // The item in memory (null until the owner brings it in with setItem).
  void* item(unsigned index);
  void setItem(unsigned index, void* item);
  Description& description(unsigned index);
  unsigned count() const { return descs_.count(); }
  unsigned firstFree() const { return descs_.firstFree(); }
  // The element's stored bytes, read from "Items".
  std::vector<unsigned char> itemBytes(unsigned index);

  static void SetSkipReclaim();
  static int SkipReclaim();

  // Incremental or full, by the wasted-space rule. Failures throw OCLStreamException
  // naming the step; the stored table is then the one before the write.
  void write();
  void readTable();
  void writeTable();
  void incrementalWrite();
  void fullWrite();

  unsigned long tag() const { return tag_; }
  unsigned long value() const { return value_; }
  unsigned long totalBytes() const { return total_; }
  unsigned long wastedBytes() const { return wasted_; }
  bool isDirty() const { return (flags_ & kDirty) != 0; }
  OCLStorage& storage() { return *storage_; }

 protected:
  // Writes the bytes of item to s (a memory stream, from its start).
  virtual void writeItem(OCLStream& s, void* item) = 0;

 private:
  void checkIndex(unsigned index, int line);
  std::vector<unsigned char> tableImage();
  std::vector<unsigned char> ownerBytes(unsigned index);
  void openItems();
  void recover();

  unsigned char flags_ = 0;
  std::unique_ptr<OCLStorage> storage_;
  std::unique_ptr<OCLStream> descStream_;
  std::unique_ptr<OCLStream> itemStream_;
  unsigned long total_ = 0;
  unsigned long wasted_ = 0;
  OCLBlockArrayWFL<Description> descs_;
  std::vector<void*> items_;  // indexed like descs_
  unsigned long tag_;
  unsigned long value_;
};
