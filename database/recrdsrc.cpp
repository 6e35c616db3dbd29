// RecordSourceRep: the defaults every kind of record source starts from.
#include "database/recrdsrc.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <string>

#include "olecls/oclstream.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "store/valstring.h"
#include "tool/idatabuffer.h"

namespace {

[[noreturn]] void Unavailable(const char* method) {
  throw StoreException(std::string("Method '") + method + "' is unavailable");
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char* SkipBlanks(char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// Whether p starts with word, ignoring case; never reads past p's terminating zero.
bool StartsNoCase(const char* p, const char* word) {
  for (; *word; ++p, ++word)
    if (!*p || std::toupper((unsigned char)*p) != std::toupper((unsigned char)*word)) return false;
  return true;
}

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return false;
  return *a == *b;
}

}  // namespace

CurrentRowView::~CurrentRowView() {}

RecordSourceRep::RecordSourceRep(InterObjRep* owner) {
  owner_ = owner;
  addRootView();
}

RecordSourceRep::RecordSourceRep(const RecordSourceRep& other) : CountedObject() {
  RecordSourceRep::clone(other);
  addRootView();
}

void RecordSourceRep::addRootView() { root_ = TextDataIndex(views_, tdAll, 0, 0); }

RecordSourceRep::~RecordSourceRep() {
  // The references go before the selections they might still name.
  current_.clear();
  owner_.clear();
  root_ = TextDataIndex();
}

int RecordSourceRep::changed() {
  InterObjRep* o = owner_.get();
  if (!o) return 0;
  DescribedObjectNoDescriptor<InterObjRep>::changed(o);
  return 1;
}

void RecordSourceRep::clone(const RecordSourceRep& other) {
  owner_ = other.owner_.get();
  flags_ = other.flags_;
}

void RecordSourceRep::write(OCLStream& s) { s.write((UCHAR)flags_); }

void RecordSourceRep::read(OCLStream& s, unsigned char) {
  UCHAR f = 0;
  s.read(&f);
  flags_ = f;
}

long RecordSourceRep::pdGetAutoUpdate() { return 0; }
void RecordSourceRep::pdSetAutoUpdate(long) { Unavailable("SetAutoUpdate"); }

long RecordSourceRep::pdGetRowsRead() {
  if (rowsRead_ < 0) rowsRead_ = 0;
  return rowsRead_;
}

long RecordSourceRep::pdGetReadComplete() { return (flags_ & kReadComplete) ? -1 : 0; }
long RecordSourceRep::pdGetFieldCount() { return fieldCount_; }

void RecordSourceRep::pdSetFieldIndex(long i) {
  if (i >= 0 && i < fieldCount_) fieldIndex_ = (int32_t)i;
}

long RecordSourceRep::pdGetFieldIndex() { return fieldIndex_; }
long RecordSourceRep::pdGetFieldType() { return 0; }
long RecordSourceRep::pdGetFieldMaxLength() { return 0; }

ValStringRep* RecordSourceRep::pdGetFieldList() {
  std::string list;
  for (int32_t i = 0; fieldNames_ && i < fieldCount_; ++i) {
    if (i) list += ", ";
    if (fieldNames_[i]) list += fieldNames_[i];
  }
  return new ValStringRep(list);
}

ValStringRep* RecordSourceRep::pdGetFieldFormat() { return new ValStringRep(""); }
void RecordSourceRep::pdSetFieldFormat(const char*) { Unavailable("SetFieldFormat"); }

ValStringRep* RecordSourceRep::pdGetFieldName() {
  if (fieldNames_ && fieldIndex_ >= 0 && fieldIndex_ < fieldCount_)
    return new ValStringRep(fieldNames_[fieldIndex_]);
  return new ValStringRep("");
}

ValStringRep* RecordSourceRep::pdGetRecordSource() { return new ValStringRep(""); }
void RecordSourceRep::pdSetRecordSource(const char*) { Unavailable("SetRecordSource"); }

long RecordSourceRep::pdGetBOF() { return currentRecord_ != -1 && rowsRead_ != 0 ? 0 : -1; }

long RecordSourceRep::pdGetEOF() {
  if (!(flags_ & kReadComplete)) return 0;
  if (currentRecord_ < rowsRead_ && rowsRead_ != 0) return 0;
  return -1;
}

long RecordSourceRep::pdGetSourceQuery1() { return 0; }
long RecordSourceRep::pdGetLockEdits() { return 0; }
long RecordSourceRep::pdGetReadOnly() { return 0; }
long RecordSourceRep::pdGetNoMatch() { return (flags_ & kNoMatch) ? -1 : 0; }

void RecordSourceRep::imFindNext(const char*, const TextDataIndex&) { Unavailable("FindNext"); }
void RecordSourceRep::imFindFirst(const char*, const TextDataIndex&) { Unavailable("FindFirst"); }
void RecordSourceRep::imFindPrev(const char*, const TextDataIndex&) { Unavailable("FindPrev"); }
void RecordSourceRep::imFindLast(const char*, const TextDataIndex&) { Unavailable("FindLast"); }
void RecordSourceRep::imRefresh() { Unavailable("Refresh"); }
void RecordSourceRep::imClearText() { Unavailable("ClearText"); }
void RecordSourceRep::imMoveNext() { Unavailable("MoveNext"); }
void RecordSourceRep::imMoveFirst() { Unavailable("MoveFirst"); }
void RecordSourceRep::imMovePrev() { Unavailable("MovePrev"); }
void RecordSourceRep::imMoveLast() { Unavailable("MoveLast"); }
void RecordSourceRep::imMoveRandom(long) { Unavailable("MoveRandom"); }
ValStringRep* RecordSourceRep::pdGetValue(const TextDataIndex&) { return new ValStringRep(""); }
void RecordSourceRep::pdSetValue(const char*, const TextDataIndex&) { Unavailable("SetValue"); }
void RecordSourceRep::imSetValueTable(iDynaset&, const TextDataIndex&) { Unavailable("SetValueTable"); }
void RecordSourceRep::imAddColumn(const TextDataIndex&) { Unavailable("AddColumn"); }
void RecordSourceRep::imAddNew() { Unavailable("AddNew"); }
void RecordSourceRep::imAddAt(long) { Unavailable("AddAt"); }
void RecordSourceRep::imDelete() { Unavailable("Delete"); }
void RecordSourceRep::imDeleteAll(const TextDataIndex&) { Unavailable("DeleteAll"); }
void RecordSourceRep::imUpdate() { Unavailable("Update"); }
void RecordSourceRep::imUpdateRecord() {}
void RecordSourceRep::imLockRecord() { Unavailable("LockRecord"); }
void RecordSourceRep::imEdit() { Unavailable("Edit"); }

void RecordSourceRep::imWriteFile(const char* name, const TextDataIndex& index) {
  std::string path = name ? name : "";
  std::ofstream out;
  // A read-only file is not replaced, whoever runs the program.
  DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (!path.empty() && !readOnly) out.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out.is_open() || out.bad()) throw StoreException("Cannot write file " + path);
  ValString text(pdGetValue(index));
  out.write(text.c_str(), (std::streamsize)text.length());
  out.close();
  // A write that did not reach the file (a full disk) is no success either.
  if (out.fail()) throw StoreException("Cannot write file " + path);
}

long RecordSourceRep::imFieldIndex(const char* name) {
  if (!name || !fieldNames_) return -1;
  for (int32_t i = 0; i < fieldCount_; ++i)
    if (fieldNames_[i] && EqualNoCase(fieldNames_[i], name)) return i;
  return -1;
}

void RecordSourceRep::imDisconnect() { Unavailable("Disconnect"); }

void RecordSourceRep::imModifyData(const TextDataIndex& index, iDataBuffer* buffer) {
  ValString text(buffer ? buffer->imGetString() : new ValStringRep(""));
  pdSetValue(text.c_str(), index);
}

long RecordSourceRep::imValueData(const TextDataIndex& index, iDataBuffer* buffer) {
  if (!buffer) return 0;
  ValString text(pdGetValue(index));
  long need = (long)text.length() + 1;
  if (buffer->pdGetSize() < need) buffer->pdSetSize(need);
  std::memcpy(buffer->Data(), text.c_str(), (size_t)need - 1);
  buffer->Data()[need - 1] = '\0';
  return need;
}

InterObjRep* RecordSourceRep::pdGetCurrentRecord() { return current_.get(); }
long RecordSourceRep::pdGetSourceQuery2() { return 0; }
int RecordSourceRep::readMore() { return 0; }
long RecordSourceRep::pdGetSourceQuery3() { return 0; }
long RecordSourceRep::pdGetCurrentRecordNumber() { return currentRecord_; }

long RecordSourceRep::imValueDataObj(const TextDataIndex& index, InterObjRep* buffer) {
  return imValueData(index, iDataBuffer::Native(buffer));
}

void RecordSourceRep::imModifyDataObj(const TextDataIndex& index, InterObjRep* buffer) {
  if (iDataBuffer* b = iDataBuffer::Native(buffer)) imModifyData(index, b);
}

int32_t RecordSourceRep::addData(const STextDataRep& templ) { return views_.add(templ); }

bool RecordSourceRep::setCurrentRecord(InterObjRep* dynaset) {
  if (dynaset) {
    InterObjRep* proto = ObjectStore::find("Dynaset");
    if (!proto || !dynaset->canBeTreatedAs(proto)) return false;
  }
  current_ = dynaset;
  return true;
}

CurrentRowView* RecordSourceRep::currentDynaset() const {
  InterObjRep* d = current_.get();
  return d ? dynamic_cast<CurrentRowView*>(d->ROCDataPtr(0)) : nullptr;
}

void RecordSourceRep::moveCurrentRecord(long n) {
  if (owner_.isNull() || current_.isNull()) return;
  if (n == currentRecord_) return;
  currentRecord_ = (int32_t)n;
  CurrentRowView* view = currentDynaset();
  if (!view) return;
  if (STextDataRep* row = view->rowView().item()) {
    row->first = (int32_t)n;
    row->stamp = -1;  // the cached offsets belong to the old row
  }
}

long RecordSourceRep::getFindField(char** pos) {
  if (!pos || !*pos) return -1;
  char* p = SkipBlanks(*pos);
  char* end = p;
  while (*end && !IsBlank(*end) && *end != '<' && *end != '>' && *end != '=') ++end;
  char saved = *end;
  *end = '\0';
  long field = imFieldIndex(p);
  *end = saved;
  *pos = end;
  return field;
}

int RecordSourceRep::getFindOp(char** pos) {
  if (!pos || !*pos) return kFindOpNone;
  char* p = SkipBlanks(*pos);
  *pos = p;
  struct Op {
    const char* text;
    int code;
  };
  // Two-character operators before one-character ones.
  static const Op kOps[] = {{"<=", kFindLessEqual}, {">=", kFindGreaterEqual}, {"<>", kFindNotEqual},
                            {"<", kFindLess},       {">", kFindGreater},       {"=", kFindEqual},
                            {"LIKE", kFindLike},    {"NOTLIKE", kFindNotLike}};
  for (const Op& op : kOps) {
    if (StartsNoCase(p, op.text)) {
      *pos = p + std::strlen(op.text);
      return op.code;
    }
  }
  return kFindOpNone;
}

char* RecordSourceRep::getFindValue(char** pos) {
  if (!pos || !*pos) return nullptr;
  char* p = SkipBlanks(*pos);
  *pos = p;
  if (!*p) return nullptr;
  if (*p == '\'' || *p == '"') {
    char* close = std::strchr(p + 1, *p);
    if (!close) return nullptr;
    *close = '\0';
    *pos = close + 1;
    return p + 1;
  }
  *pos = p + std::strlen(p);
  return p;
}

int RecordSourceRep::getFindCondition(char** pos) {
  if (!pos || !*pos) return kFindJoinNone;
  char* p = SkipBlanks(*pos);
  *pos = p;
  if (StartsNoCase(p, "AND")) {
    *pos = p + 3;
    return kFindAnd;
  }
  if (StartsNoCase(p, "OR")) {
    *pos = p + 2;
    return kFindOr;
  }
  return kFindEnd;
}
