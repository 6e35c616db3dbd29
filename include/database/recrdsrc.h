// RecordSourceRep: the counted supplier of rows behind every dynaset.
//
// A Database object makes one on request (iDatabase::recordSource); each kind of
// database derives its own. The base keeps what every source shares (current record,
// rows read, field names, field index, flags, the selections of its dynasets) and gives
// every operation a default: queries answer neutrally, and operations a kind of source
// must supply throw the StoreException "Method '<name>' is unavailable".
//
// Rows count from 0: the current record number is -1 before the first row. Boolean
// queries answer -1 for true and 0 for false. String queries hand out a new string
// (count 0) that the caller wraps.
//
// A find target ("Name LIKE 'A%' AND Age>=30") is parsed in place by getFindField,
// getFindOp, getFindValue and getFindCondition, each advancing the shared position; an
// unquoted value runs to the end of the text, so AND or OR are seen only after a quoted
// value.
#pragma once

#include <cstdint>

#include "database/ovdb_api.h"
#include "database/textdata.h"
#include "store/counted.h"
#include "store/faultp.h"
#include "store/interobj.h"

class OCLStream;
class ValStringRep;
class iDataBuffer;
class iDynaset;

// What a source needs of the Dynaset standing for its current row: its row selection,
// moved when the current record moves. The Dynaset class implements it.
class OVDB_API CurrentRowView {
 public:
  virtual ~CurrentRowView();
  virtual TextDataIndex& rowView() = 0;
};

// Operators of a find condition (getFindOp).
enum FindOp {
  kFindOpNone = -1,
  kFindLess = 1,
  kFindLessEqual = 2,
  kFindGreater = 3,
  kFindGreaterEqual = 4,
  kFindEqual = 5,
  kFindNotEqual = 6,
  kFindLike = 7,
  kFindNotLike = 8,
};

// How two find conditions join (getFindCondition).
enum FindJoin { kFindJoinNone = -1, kFindEnd = 0, kFindAnd = 1, kFindOr = 2 };

class OVDB_API RecordSourceRep : public CountedObject {
 public:
  enum Flags : uint8_t { kReadComplete = 0x02, kNoMatch = 0x04 };
  enum GroupDataFlag : uint8_t { Modify = 0x20, AddNew = 0x40 };

  // The owner is the Database object that makes the source (held uncounted).
  explicit RecordSourceRep(InterObjRep* owner);
  RecordSourceRep(const RecordSourceRep& other);
  RecordSourceRep& operator=(const RecordSourceRep&) = delete;

  ~RecordSourceRep() override;
  // Marks the owner changed; 0 without an owner.
  virtual int changed();
  // Copies the owner and the flags.
  virtual void clone(const RecordSourceRep& other);
  virtual void write(OCLStream& s);
  virtual void read(OCLStream& s, unsigned char revision);
  virtual long pdGetAutoUpdate();
  virtual void pdSetAutoUpdate(long on);
  virtual long pdGetRowsRead();
  virtual long pdGetReadComplete();
  virtual long pdGetFieldCount();
  virtual void pdSetFieldIndex(long i);
  virtual long pdGetFieldIndex();
  virtual long pdGetFieldType();
  virtual long pdGetFieldMaxLength();
  virtual ValStringRep* pdGetFieldList();
  virtual ValStringRep* pdGetFieldFormat();
  virtual void pdSetFieldFormat(const char* format);
  virtual ValStringRep* pdGetFieldName();
  virtual ValStringRep* pdGetRecordSource();
  virtual void pdSetRecordSource(const char* text);
  virtual long pdGetBOF();
  virtual long pdGetEOF();
  // Answered by the kinds of source; 0 here.
  virtual long pdGetSourceQuery1();
  virtual long pdGetLockEdits();
  virtual long pdGetReadOnly();
  virtual long pdGetNoMatch();
  virtual void imFindNext(const char* target, const TextDataIndex& index);
  virtual void imFindFirst(const char* target, const TextDataIndex& index);
  virtual void imFindPrev(const char* target, const TextDataIndex& index);
  virtual void imFindLast(const char* target, const TextDataIndex& index);
  virtual void imRefresh();
  virtual void imClearText();
  virtual void imMoveNext();
  virtual void imMoveFirst();
  virtual void imMovePrev();
  virtual void imMoveLast();
  virtual void imMoveRandom(long row);
  virtual ValStringRep* pdGetValue(const TextDataIndex& index);
  virtual void pdSetValue(const char* text, const TextDataIndex& index);
  virtual void imSetValueTable(iDynaset& table, const TextDataIndex& index);
  virtual void imAddColumn(const TextDataIndex& index);
  virtual void imAddNew();
  virtual void imAddAt(long row);
  virtual void imDelete();
  virtual void imDeleteAll(const TextDataIndex& index);
  virtual void imUpdate();
  virtual void imUpdateRecord();
  virtual void imLockRecord();
  virtual void imEdit();
  // Writes the selection's text, unchanged, to the file name.
  virtual void imWriteFile(const char* name, const TextDataIndex& index);
  // The first field named name, ignoring case; -1 when none.
  virtual long imFieldIndex(const char* name);
  virtual void imDisconnect();
  // The buffer's text (empty without buffer) becomes the selection's value.
  virtual void imModifyData(const TextDataIndex& index, iDataBuffer* buffer);
  // The selection's text and a zero into the buffer, grown when too small; answers the
  // bytes copied (0 without buffer).
  virtual long imValueData(const TextDataIndex& index, iDataBuffer* buffer);
  virtual InterObjRep* pdGetCurrentRecord();
  // Answered by the kinds of source; 0 here.
  virtual long pdGetSourceQuery2();
  // A source that reads lazily reads further rows: non-zero while it got any.
  virtual int readMore();
  // Answered by the kinds of source; 0 here.
  virtual long pdGetSourceQuery3();
  virtual long pdGetCurrentRecordNumber();

  // The same two with the buffer as a store object: anything that is not a
  // "DataBuffer" counts as no buffer for imValueData and is ignored by imModifyData.
  long imValueDataObj(const TextDataIndex& index, InterObjRep* buffer);
  void imModifyDataObj(const TextDataIndex& index, InterObjRep* buffer);

  // Adds a selection made from the template; answers its index.
  int32_t addData(const STextDataRep& templ);
  TextDataArray& views() { return views_; }
  // The whole-text selection every source starts with.
  const TextDataIndex& rootView() const { return root_; }

  // The current-record Dynaset: only an object that can be treated as "Dynaset" (or
  // null) is taken; anything else is ignored. Answers whether it was taken.
  bool setCurrentRecord(InterObjRep* dynaset);
  // Its native row view, or null.
  CurrentRowView* currentDynaset() const;
  // Makes row n current and moves the current-record Dynaset's row view to it.
  void moveCurrentRecord(long n);

  void setEditMode(GroupDataFlag f) { flags_ = (uint8_t)((flags_ & ~(Modify | AddNew)) | f); }
  void clearEditMode() { flags_ &= (uint8_t) ~(Modify | AddNew); }
  uint8_t flags() const { return flags_; }
  InterObjRep* owner() const { return owner_.get(); }

  // Find targets, parsed in place at *pos (advanced past what was read).
  // The field's index (imFieldIndex); -1 for an unknown field or a null position.
  long getFindField(char** pos);
  // A FindOp; kFindOpNone for anything else.
  int getFindOp(char** pos);
  // The value (quotes removed, the closing one overwritten by a zero), or null when a
  // closing quote is missing or nothing is left.
  char* getFindValue(char** pos);
  // A FindJoin.
  int getFindCondition(char** pos);

 protected:
  void setFlag(uint8_t f, bool on) { flags_ = on ? (uint8_t)(flags_ | f) : (uint8_t)(flags_ & ~f); }

  uint8_t flags_ = 0;
  TextDataArray views_;
  Faultp<InterObjRep> owner_{nullptr, tUncountedIndirectReference};
  Faultp<InterObjRep> current_{nullptr, tIndirectReference};
  int32_t currentRecord_ = -1;
  int32_t fieldIndex_ = 0;
  int32_t rowsRead_ = -1;
  int32_t fieldCount_ = 0;
  char** fieldNames_ = nullptr;  // fieldCount_ entries, owned by the kind that fills them

 private:
  void addRootView();
  TextDataIndex root_;
};
