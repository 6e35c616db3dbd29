// PEFile: mapping an executable image, checking its headers, adding the data section.
#include "utils/pefile.h"

#include <cstring>

namespace {

const uint16_t kDosSignature = 0x5A4D;     // "MZ"
const uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
const uint32_t kNtHeadersOffsetAt = 60;    // e_lfanew in the DOS header
const uint32_t kNtHeadersMinimum = 248;    // a PE32 image's NT headers
const uint32_t kOptionalHeaderAt = 24;     // signature and file header

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  if (alignment <= 1) return value;
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

const char PEFile::kDataSectionName[] = ".orvanel";

PEFileException::PEFileException(const char* text, uint32_t code) : XException(text), code_(code) {}
PEFileException::~PEFileException() noexcept = default;
XException* PEFileException::Clone() const { return new PEFileException(*this); }
void PEFileException::Throw() const { throw *this; }

const char* PEFile::ErrorText(int selector) {
  switch (selector) {
    case kCannotOpen:
      return "File cannot be opened.";
    case kBadDosHeader:
      return "Invalid DOS PE header.";
    case kBadNtHeader:
      return "Invalid NT PE header.";
    case kNoFileOpen:
      return "No PE file open.";
    case kNoRoom:
      return "The image was opened without room for a new section.";
    case kTableFull:
      return "The section table of the image is full.";
    case kBadSection:
      return "The section table of the image is damaged.";
    default:
      return "Unknown error";
  }
}

PEFile::PEFile() { InitData(); }

PEFile::PEFile(const char* path) {
  InitData();
  MapFile(path, false, kDataSectionSize);
}

PEFile::~PEFile() { Close(); }

void PEFile::InitData() {
  file_ = INVALID_HANDLE_VALUE;
  fileSize_ = 0;
  extraSize_ = 0;
  mapping_ = nullptr;
  view_ = nullptr;
  nt_ = nullptr;
  readOnly_ = true;
  usedSize_ = 0;
}

void PEFile::ThrowError(tErrorSelector selector) {
  uint32_t code = selector == kCannotOpen ? GetLastError() : 0;
  Close();
  throw PEFileException(ErrorText(selector), code);
}

PENtHeaders* PEFile::Open(const char* path) { return MapFile(path, false, 0); }
PENtHeaders* PEFile::OpenReadOnly(const char* path) { return MapFile(path, true, 0); }

bool PEFile::IsReadOnly() const { return readOnly_; }

PENtHeaders* PEFile::GetWritableNTHeaders() { return readOnly_ ? nullptr : nt_; }

void PEFile::UnmapView() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
  view_ = nullptr;
  mapping_ = nullptr;
  nt_ = nullptr;
}

// Maps the whole file plus extra bytes (writable only: the mapping grows the file).
void PEFile::MapView(uint32_t extra) {
  UnmapView();
  extraSize_ = readOnly_ ? 0 : extra;
  uint64_t size = uint64_t(fileSize_) + extraSize_;
  if (size == 0 || size > 0xFFFFFFFFu) {
    SetLastError(ERROR_FILE_INVALID);
    ThrowError(kCannotOpen);
  }
  mapping_ =
      CreateFileMappingA(file_, nullptr, readOnly_ ? PAGE_READONLY : PAGE_READWRITE, 0, DWORD(size), nullptr);
  if (!mapping_) ThrowError(kCannotOpen);
  view_ = static_cast<uint8_t*>(
      MapViewOfFile(mapping_, readOnly_ ? FILE_MAP_READ : FILE_MAP_WRITE, 0, 0, SIZE_T(size)));
  if (!view_) ThrowError(kCannotOpen);
}

PENtHeaders* PEFile::MapFile(const char* path, bool readOnly, uint32_t extra) {
  Close();
  readOnly_ = readOnly;
  file_ =
      CreateFileA(path ? path : "", readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                  readOnly ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) ThrowError(kCannotOpen);
  DWORD high = 0;
  DWORD low = GetFileSize(file_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) ThrowError(kCannotOpen);
  if (high != 0) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    ThrowError(kCannotOpen);
  }
  fileSize_ = low;
  usedSize_ = low;
  MapView(extra);

  // Headers are read from the file's own bytes only, never past its end.
  uint16_t dosSignature = 0;
  if (fileSize_ < kNtHeadersOffsetAt + 4) ThrowError(kBadDosHeader);
  memcpy(&dosSignature, view_, 2);
  if (dosSignature != kDosSignature) ThrowError(kBadDosHeader);
  uint32_t ntAt = 0;
  memcpy(&ntAt, view_ + kNtHeadersOffsetAt, 4);
  if (ntAt > fileSize_ || fileSize_ - ntAt < kNtHeadersMinimum || ntAt % 4 != 0) ThrowError(kBadNtHeader);
  nt_ = reinterpret_cast<PENtHeaders*>(view_ + ntAt);
  if (nt_->Signature != kNtSignature) ThrowError(kBadNtHeader);
  if (nt_->Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC && nt_->Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    ThrowError(kBadNtHeader);
  uint64_t tableEnd = uint64_t(ntAt) + kOptionalHeaderAt + nt_->FileHeader.SizeOfOptionalHeader +
                      uint64_t(nt_->FileHeader.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER);
  if (tableEnd > fileSize_) ThrowError(kBadNtHeader);
  return nt_;
}

void PEFile::Close() {
  bool cut = !readOnly_ && extraSize_ != 0 && file_ != INVALID_HANDLE_VALUE;
  UnmapView();
  if (file_ != INVALID_HANDLE_VALUE) {
    // The mapping grew the file by its extra room; what was not used goes again.
    if (cut) {
      LONG high = 0;
      if (SetFilePointer(file_, LONG(usedSize_), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
          GetLastError() == NO_ERROR)
        SetEndOfFile(file_);
    }
    CloseHandle(file_);
  }
  InitData();
}

IMAGE_SECTION_HEADER* PEFile::Sections() const {
  return reinterpret_cast<IMAGE_SECTION_HEADER*>(reinterpret_cast<uint8_t*>(nt_) + kOptionalHeaderAt +
                                                 nt_->FileHeader.SizeOfOptionalHeader);
}

IMAGE_SECTION_HEADER* PEFile::FindSectionHeader(const char* name) {
  if (!nt_ || !name) return nullptr;
  IMAGE_SECTION_HEADER* sections = Sections();
  for (unsigned i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
    char own[IMAGE_SIZEOF_SHORT_NAME + 1] = {};
    memcpy(own, sections[i].Name, IMAGE_SIZEOF_SHORT_NAME);
    if (_strnicmp(own, name, IMAGE_SIZEOF_SHORT_NAME) == 0) return &sections[i];
  }
  return nullptr;
}

// The data section when present; throws when it is there but cannot hold the record.
IMAGE_SECTION_HEADER* PEFile::DataSectionChecked() {
  IMAGE_SECTION_HEADER* h = FindSectionHeader(kDataSectionName);
  if (!h) return nullptr;
  if (h->SizeOfRawData < kDataSectionSize || h->PointerToRawData > usedSize_ ||
      usedSize_ - h->PointerToRawData < kDataSectionSize)
    ThrowError(kBadSection);
  return h;
}

uint8_t* PEFile::GetOrvanelDataSection() {
  if (!nt_) return nullptr;
  IMAGE_SECTION_HEADER* h = DataSectionChecked();
  return h ? view_ + h->PointerToRawData : nullptr;
}

uint8_t* PEFile::MakeOrvanelDataSection() {
  if (!nt_) ThrowError(kNoFileOpen);
  if (uint8_t* data = GetOrvanelDataSection()) return data;
  if (readOnly_ || extraSize_ == 0) ThrowError(kNoRoom);

  // The new header goes after the last one and must end before any section's data.
  unsigned count = nt_->FileHeader.NumberOfSections;
  IMAGE_SECTION_HEADER* sections = Sections();
  uint32_t tableEnd = uint32_t(reinterpret_cast<uint8_t*>(sections + count + 1) - view_);
  uint32_t virtualEnd = 0;
  uint32_t rawEnd = 0;
  uint32_t firstRaw = nt_->SizeOfHeaders;
  for (unsigned i = 0; i < count; ++i) {
    const IMAGE_SECTION_HEADER& s = sections[i];
    if (s.SizeOfRawData != 0) {
      if (s.PointerToRawData > fileSize_ || fileSize_ - s.PointerToRawData < s.SizeOfRawData)
        ThrowError(kBadSection);
      if (s.PointerToRawData < firstRaw) firstRaw = s.PointerToRawData;
      if (s.PointerToRawData + s.SizeOfRawData > rawEnd) rawEnd = s.PointerToRawData + s.SizeOfRawData;
    }
    uint32_t size = s.Misc.VirtualSize ? s.Misc.VirtualSize : s.SizeOfRawData;
    if (uint64_t(s.VirtualAddress) + size > 0xFFFFFFFFu - 2 * kDataSectionPlacement) ThrowError(kBadSection);
    if (s.VirtualAddress + size > virtualEnd) virtualEnd = s.VirtualAddress + size;
  }
  if (tableEnd > firstRaw || tableEnd > fileSize_) ThrowError(kTableFull);

  // Raw data after the last section, or after whatever the image carries beyond it (a
  // symbol table, an overlay), on the file's alignment: nothing of the file is overwritten.
  uint32_t raw = AlignUp(rawEnd > fileSize_ ? rawEnd : fileSize_, nt_->FileAlignment);
  uint32_t needed = raw + kDataSectionSize - fileSize_;
  if (needed > extraSize_) {
    uint32_t ntAt = uint32_t(reinterpret_cast<uint8_t*>(nt_) - view_);
    MapView(needed);
    nt_ = reinterpret_cast<PENtHeaders*>(view_ + ntAt);
    sections = Sections();
  }

  IMAGE_SECTION_HEADER& h = sections[count];
  memset(&h, 0, sizeof h);
  memcpy(h.Name, kDataSectionName, IMAGE_SIZEOF_SHORT_NAME);
  h.Misc.VirtualSize = kDataSectionSize;
  h.VirtualAddress = (virtualEnd + kDataSectionPlacement) & ~(kDataSectionPlacement - 1);
  h.SizeOfRawData = kDataSectionSize;
  h.PointerToRawData = raw;
  h.Characteristics = kDataSectionCharacteristics;
  memset(view_ + fileSize_, 0, raw + kDataSectionSize - fileSize_);

  nt_->FileHeader.NumberOfSections = WORD(count + 1);
  nt_->SizeOfInitializedData += kDataSectionSize;
  // The image must cover the new section, whatever the old size was.
  uint32_t image = nt_->SizeOfImage + kDataSectionPlacement;
  uint32_t covering = AlignUp(h.VirtualAddress + kDataSectionSize, nt_->SectionAlignment);
  nt_->SizeOfImage = image > covering ? image : covering;
  usedSize_ = raw + kDataSectionSize;
  return view_ + raw;
}

bool PEFile::UpdateFileTimes() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  SYSTEMTIME now;
  FILETIME stamp;
  GetSystemTime(&now);
  if (!SystemTimeToFileTime(&now, &stamp)) return false;
  return SetFileTime(file_, nullptr, &stamp, &stamp) != 0;
}
