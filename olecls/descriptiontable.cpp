// The persistent description table.
#include "olecls/descriptiontable.h"

#include <string>
#include <vector>

#include "oclassert.h"

namespace {

const char kFile[] = "w:\\source\\olecls/descrtbl.cc";
const wchar_t kDescName[] = L"Description table";
const wchar_t kItemsName[] = L"Items";
const wchar_t kTempName[] = L"temporary";
// "Items" as it was, kept while a full write puts the compacted one in its place.
const wchar_t kPreviousName[] = L"previous items";
const unsigned kHeaderBytes = 12;  // tag, total, wasted; the array adds count and head

typedef OCLBlockArrayWFL<Description> Array;

int skipReclaim = 0;

[[noreturn]] void fail(const std::string& step, HRESULT hr) {
  throw OCLStreamException(("Description table: " + step + " failed").c_str(),
                           FAILED(hr) ? hr : STG_E_WRITEFAULT);
}

[[noreturn]] void corrupt(const std::string& why) {
  throw OCLStreamException(("Description table is corrupt: " + why).c_str(), STG_E_DOCFILECORRUPT);
}

void seek(IStream* s, ULONG at, const std::string& step) {
  LARGE_INTEGER to;
  to.QuadPart = at;
  ULARGE_INTEGER pos = {};
  HRESULT hr = s->Seek(to, STREAM_SEEK_SET, &pos);
  if (FAILED(hr) || pos.QuadPart != at) fail(step, hr);
}

void writeAll(IStream* s, const void* p, ULONG n, const std::string& step) {
  ULONG cb = 0;
  HRESULT hr = n ? s->Write(p, n, &cb) : S_OK;
  if (FAILED(hr) || cb != n) fail(step, hr);
}

void setSize(IStream* s, ULONG n, const std::string& step) {
  ULARGE_INTEGER sz;
  sz.QuadPart = n;
  HRESULT hr = s->SetSize(sz);
  if (FAILED(hr)) fail(step, hr);
}

bool exists(IStorage* stg, const wchar_t* name) {
  IStream* s = nullptr;
  HRESULT hr = stg->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
  if (s) s->Release();
  return SUCCEEDED(hr);
}

std::string itemStep(const char* what, unsigned i) {
  return std::string(what) + " item " + std::to_string(i);
}

}  // namespace

// --- Description ---------------------------------------------------------------------

void Description::store(unsigned char* p) const {
  p[0] = flags;
  Array::putU32(p + 1, 0);  // pointers mean nothing in a file
  Array::putU32(p + 5, offset);
  Array::putU32(p + 9, size);
}

void Description::load(const unsigned char* p) {
  flags = p[0];
  item = 0;
  offset = Array::getU32(p + 5);
  size = Array::getU32(p + 9);
}

const char* Description::check(const unsigned char* p) {
  if (p[0] & ~kKnownFlags) return "unknown flag bits";
  return nullptr;
}

// --- VoidDescriptionTable ------------------------------------------------------------

VoidDescriptionTable::VoidDescriptionTable(OCLStorage& parent, const char* name, unsigned long tag,
                                           unsigned long value)
    : descs_(32), tag_(tag), value_(value) {
  storage_.reset(new OCLStorage(parent.storage(), name, 1, kMode));
  if (!storage_->is())
    fail(std::string("opening the storage \"") + (name ? name : "") + "\"", storage_->result());
  recover();
  descStream_.reset(new OCLStream(storage_->storage(), "Description table", 1, kMode));
  if (!descStream_->is()) fail("opening \"Description table\"", descStream_->result());
  openItems();
  if (descStream_->size() > 0) readTable();
}

VoidDescriptionTable::~VoidDescriptionTable() {}

void VoidDescriptionTable::openItems() {
  itemStream_.reset(new OCLStream(storage_->storage(), "Items", 1, kMode));
  if (!itemStream_->is()) fail("opening \"Items\"", itemStream_->result());
}

// What an interrupted full write can leave: a "temporary" that never took the place of
// "Items" (dropped); "Items" set aside before the new one took its place (put back); or
// both items streams with the table before or after the write. A written table's total
// is the size of its "Items", which tells the two apart.
void VoidDescriptionTable::recover() {
  IStorage* stg = storage_->storage();
  if (!exists(stg, kItemsName) && exists(stg, kPreviousName)) stg->RenameElement(kPreviousName, kItemsName);
  if (exists(stg, kTempName)) stg->DestroyElement(kTempName);
  if (!exists(stg, kPreviousName)) return;
  ULONG total = 0;
  {
    OCLStream desc(stg, "Description table", 0, kMode);
    unsigned char head[8];
    ULONG cb = 0;
    if (desc.is() && SUCCEEDED(desc->Read(head, 8, &cb)) && cb == 8) total = Array::getU32(head + 4);
  }
  ULONG itemsSize = 0;
  {
    OCLStream items(stg, "Items", 0, kMode);
    if (items.is()) itemsSize = items.size();
  }
  if (total != itemsSize) {
    stg->DestroyElement(kItemsName);
    stg->RenameElement(kPreviousName, kItemsName);
  } else {
    stg->DestroyElement(kPreviousName);
  }
}

void VoidDescriptionTable::checkIndex(unsigned index, int line) {
  if (index >= descs_.count()) utilsAssert("index < count()", kFile, line);
  if (items_.size() < descs_.count()) items_.resize(descs_.count(), nullptr);
}

unsigned VoidDescriptionTable::add(void* item) {
  oclAssert(item != nullptr, "ptr", kFile, 109);
  unsigned index = 0;
  Description& d = descs_.nextFree(&index);
  if (items_.size() < descs_.count()) items_.resize(descs_.count(), nullptr);
  items_[index] = item;
  d.offset = 0;
  d.size = 0;
  d.flags = Description::kInUse | Description::kChanged;
  flags_ |= kDirty;
  return index;
}

void VoidDescriptionTable::changed(unsigned index) {
  checkIndex(index, 120);
  descs_[index].flags |= Description::kChanged;
  flags_ |= kDirty;
}

void VoidDescriptionTable::deleted(unsigned index) {
  checkIndex(index, 128);
  Description& d = descs_[index];
  wasted_ += d.size;
  d.size = 0;
  d.flags |= Description::kDeleted;
  flags_ |= kDirty;
}

void VoidDescriptionTable::reclaimed(unsigned index) {
  checkIndex(index, 137);
  descs_[index].flags |= Description::kDeleted;
}

bool VoidDescriptionTable::hasFaulted(unsigned index) {
  checkIndex(index, 143);
  const Description& d = descs_[index];
  return d.isUsed() && !d.isDeleted() && items_[index] != nullptr;
}

void* VoidDescriptionTable::item(unsigned index) {
  checkIndex(index, 149);
  return items_[index];
}

void VoidDescriptionTable::setItem(unsigned index, void* item) {
  checkIndex(index, 154);
  items_[index] = item;
}

Description& VoidDescriptionTable::description(unsigned index) {
  checkIndex(index, 159);
  return descs_[index];
}

std::vector<unsigned char> VoidDescriptionTable::itemBytes(unsigned index) {
  checkIndex(index, 164);
  const Description& d = descs_[index];
  std::vector<unsigned char> out(d.size);
  if (d.size == 0) return out;
  seek(itemStream_->stream(), d.offset, itemStep("finding", index));
  ULONG cb = 0;
  HRESULT hr = (*itemStream_)->Read(out.data(), d.size, &cb);
  if (FAILED(hr) || cb != d.size) fail(itemStep("reading", index), FAILED(hr) ? hr : STG_E_READFAULT);
  return out;
}

void VoidDescriptionTable::SetSkipReclaim() { skipReclaim = 1; }
int VoidDescriptionTable::SkipReclaim() { return skipReclaim; }

void VoidDescriptionTable::write() {
  if ((total_ >> 4) < wasted_)
    fullWrite();
  else
    incrementalWrite();
}

void VoidDescriptionTable::readTable() {
  oclAssert(descStream_->size() > 0 && descStream_->currOffset() == 0,
            "descStream.size() > 0 && descStream.currOffset() == 0", kFile, 300);
  unsigned char head[kHeaderBytes];
  ULONG cb = 0;
  HRESULT hr = (*descStream_)->Read(head, kHeaderBytes, &cb);
  if (FAILED(hr)) fail("reading the table header", hr);
  if (cb != kHeaderBytes) corrupt("the header is cut short");
  tag_ = Array::getU32(head);
  total_ = Array::getU32(head + 4);
  wasted_ = Array::getU32(head + 8);
  descs_.read(*descStream_);
  items_.assign(descs_.count(), nullptr);

  ULONG itemsSize = itemStream_->size();
  if (total_ > itemsSize)
    corrupt("the total " + std::to_string(total_) + " is past the end of \"Items\" (" +
            std::to_string(itemsSize) + ")");
  if (wasted_ > total_) corrupt("more wasted bytes than used ones");
  for (unsigned i = 0; i < descs_.count(); ++i) {
    const Description& d = descs_[i];
    if (d.isUsed() && !d.isDeleted() && (unsigned long long)d.offset + d.size > (unsigned long long)total_)
      corrupt("description " + std::to_string(i) + " lies past the end of \"Items\"");
  }
}

std::vector<unsigned char> VoidDescriptionTable::tableImage() {
  std::vector<unsigned char> out(kHeaderBytes);
  Array::putU32(&out[0], unsigned(tag_));
  Array::putU32(&out[4], unsigned(total_));
  Array::putU32(&out[8], unsigned(wasted_));
  std::vector<unsigned char> descs = descs_.image();
  out.insert(out.end(), descs.begin(), descs.end());
  return out;
}

void VoidDescriptionTable::writeTable() {
  std::vector<unsigned char> img = tableImage();
  IStream* s = descStream_->stream();
  seek(s, 0, "writing the table");
  writeAll(s, img.data(), ULONG(img.size()), "writing the table");
  setSize(s, ULONG(img.size()), "cutting the table");
}

std::vector<unsigned char> VoidDescriptionTable::ownerBytes(unsigned index) {
  if (!items_[index]) fail(itemStep("writing", index) + " (changed but not in memory)", E_POINTER);
  OCLStream scratch;
  writeItem(scratch, items_[index]);
  ULONG n = scratch.currOffset();
  std::vector<unsigned char> out(n);
  scratch.seekTo(0);
  if (n) scratch.read(out.data(), n);
  return out;
}

void VoidDescriptionTable::incrementalWrite() {
  if (!isDirty()) return;
  flags_ &= ~kDirty;
  IStream* items = itemStream_->stream();
  if (items_.size() < descs_.count()) items_.resize(descs_.count(), nullptr);
  for (unsigned i = 0; i < descs_.count(); ++i) {
    Description& d = descs_[i];
    if (!d.isUsed() || d.isDeleted() || !d.isChanged()) continue;
    std::vector<unsigned char> bytes = ownerBytes(i);
    ULONG n = ULONG(bytes.size());
    if (n > d.size) {
      wasted_ += d.size;
      unsigned long oldTotal = total_;
      seek(items, ULONG(total_), itemStep("appending", i));
      writeAll(items, bytes.data(), n, itemStep("appending", i));
      total_ += n;
      oclAssert(total_ > oldTotal, "t.totalBytes > oldTotal", kFile, 176);
      d.offset = uint32_t(oldTotal);
    } else {
      seek(items, d.offset, itemStep("rewriting", i));
      writeAll(items, bytes.data(), n, itemStep("rewriting", i));
      wasted_ += d.size - n;
    }
    d.size = n;
    d.flags &= ~Description::kChanged;
  }
  setSize(items, ULONG(total_), "sizing \"Items\"");
  writeTable();
}

// Safe order: the compacted items go to "temporary" while the old "Items" and table stay
// as they are; "temporary" then takes the place of "Items" (the old one kept aside under
// another name), and the table is written last. A failure at any step puts back what was
// there and throws, so the stored table always matches the stored items.
void VoidDescriptionTable::fullWrite() {
  IStorage* stg = storage_->storage();
  // The state to go back to.
  std::vector<unsigned char> oldImage = tableImage();
  std::vector<Description> oldDescs(descs_.count());
  for (unsigned i = 0; i < descs_.count(); ++i) oldDescs[i] = descs_[i];
  unsigned long oldTotal = total_, oldWasted = wasted_;
  unsigned char oldFlags = flags_;
  auto restoreMemory = [&]() {
    for (unsigned i = 0; i < descs_.count(); ++i) descs_[i] = oldDescs[i];
    total_ = oldTotal;
    wasted_ = oldWasted;
    flags_ = oldFlags;
  };
  if (items_.size() < descs_.count()) items_.resize(descs_.count(), nullptr);

  // 1. Every item into "temporary".
  if (exists(stg, kTempName)) stg->DestroyElement(kTempName);
  std::unique_ptr<OCLStream> temp(new OCLStream(stg, "temporary", 1, kMode));
  if (!temp->is()) fail("creating \"temporary\"", temp->result());
  try {
    flags_ &= ~kDirty;
    total_ = 0;
    wasted_ = 0;
    IStream* t = temp->stream();
    IStream* items = itemStream_->stream();
    for (unsigned i = 0; i < descs_.count(); ++i) {
      Description& d = descs_[i];
      if (!d.isUsed() || d.isDeleted()) continue;
      ULONG n;
      if (d.isChanged()) {
        std::vector<unsigned char> bytes = ownerBytes(i);
        n = ULONG(bytes.size());
        writeAll(t, bytes.data(), n, itemStep("writing", i) + " into \"temporary\"");
      } else {
        n = d.size;
        if (n) {
          seek(items, d.offset, itemStep("copying", i));
          ULARGE_INTEGER want, got = {}, put = {};
          want.QuadPart = n;
          HRESULT hr = items->CopyTo(t, want, &got, &put);
          if (FAILED(hr) || got.QuadPart != n || put.QuadPart != n)
            fail(itemStep("copying", i) + " into \"temporary\"", hr);
        }
      }
      d.offset = uint32_t(total_);
      d.size = n;
      d.flags &= ~Description::kChanged;
      total_ += n;
    }
    ULONG tempSize = temp->size();
    if (tempSize != total_) fail("sizing \"temporary\"", STG_E_WRITEFAULT);
  } catch (...) {
    restoreMemory();
    temp.reset();
    stg->DestroyElement(kTempName);
    throw;
  }
  temp.reset();

  // 2. "temporary" takes the place of "Items".
  itemStream_.reset();
  HRESULT hr = stg->RenameElement(kItemsName, kPreviousName);
  if (FAILED(hr)) {
    restoreMemory();
    stg->DestroyElement(kTempName);
    openItems();
    fail("setting the old \"Items\" aside", hr);
  }
  hr = stg->RenameElement(kTempName, kItemsName);
  if (FAILED(hr)) {
    restoreMemory();
    stg->RenameElement(kPreviousName, kItemsName);
    stg->DestroyElement(kTempName);
    openItems();
    fail("renaming \"temporary\" to \"Items\"", hr);
  }

  // 3. The table, last.
  try {
    openItems();
    writeTable();
  } catch (...) {
    restoreMemory();
    IStream* s = descStream_->stream();
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER sz;
    sz.QuadPart = oldImage.size();
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    s->Write(oldImage.data(), ULONG(oldImage.size()), nullptr);
    s->SetSize(sz);
    itemStream_.reset();
    stg->DestroyElement(kItemsName);
    stg->RenameElement(kPreviousName, kItemsName);
    openItems();
    throw;
  }
  // The old items are no longer referred to; one left behind is dropped on the next open.
  stg->DestroyElement(kPreviousName);
}
