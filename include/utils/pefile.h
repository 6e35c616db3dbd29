// PEFile: a Windows executable image mapped into memory, read-only or writable, with its
// DOS and NT headers checked; finds sections by name and adds the product's data section
// ".orvanel" (4096 bytes, where a finished application's start-up record lives).
//
// PE32 (the product) and PE32+ (the 64-bit test build) images both work: every field used
// here sits at the same place in both (PENtHeaders below). Failures throw
// PEFileException and leave the object closed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "utils/ovutil_api.h"
#include "utils/xexception.h"

class OVUTIL_API PEFileException : public XException {
 public:
  // code: the system's last-error value for open and map failures, 0 otherwise.
  PEFileException(const char* text, uint32_t code);
  PEFileException(const PEFileException& other) = default;
  ~PEFileException() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;

  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

// The NT headers up to CheckSum, the part PE32 and PE32+ lay out alike. Bytes 24-31 of
// the optional header (base of data and image base) differ and are not named.
struct PENtHeaders {
  uint32_t Signature;  // "PE\0\0"
  IMAGE_FILE_HEADER FileHeader;
  uint16_t Magic;  // 0x10B PE32, 0x20B PE32+
  uint8_t MajorLinkerVersion;
  uint8_t MinorLinkerVersion;
  uint32_t SizeOfCode;
  uint32_t SizeOfInitializedData;
  uint32_t SizeOfUninitializedData;
  uint32_t AddressOfEntryPoint;
  uint32_t BaseOfCode;
  uint32_t BasesDiffering[2];
  uint32_t SectionAlignment;
  uint32_t FileAlignment;
  uint16_t Versions[6];
  uint32_t Win32VersionValue;
  uint32_t SizeOfImage;
  uint32_t SizeOfHeaders;
  uint32_t CheckSum;
};
static_assert(offsetof(PENtHeaders, Magic) == 24, "optional header follows the file header");
static_assert(offsetof(PENtHeaders, SizeOfImage) == 24 + 56, "SizeOfImage at 56 in both formats");
static_assert(sizeof(IMAGE_SECTION_HEADER) == 40, "section headers are 40 bytes");

class OVUTIL_API PEFile {
 public:
  // Why a call failed; the texts are ErrorText's.
  enum tErrorSelector {
    kCannotOpen = 0,    // "File cannot be opened."
    kBadDosHeader = 1,  // "Invalid DOS PE header."
    kBadNtHeader = 2,   // "Invalid NT PE header."
    kNoFileOpen = 3,    // "No PE file open."
    kNoRoom = 4,        // opened without room for a new section
    kTableFull = 5,     // no room for one more section header
    kBadSection = 6,    // a section lies outside the file, or ".orvanel" is damaged
  };
  enum : uint32_t {
    kDataSectionSize = 4096,
    kDataSectionCharacteristics = 0x40000040,  // initialised data, readable
    kDataSectionPlacement = 0x10000,           // new section at the next 64 KiB step
  };
  static const char kDataSectionName[];  // ".orvanel"

  PEFile();
  // Maps path writable with room for the data section. The file grows only when the
  // section is added: unused room is cut off again on Close.
  explicit PEFile(const char* path);
  ~PEFile();
  PEFile(const PEFile&) = delete;
  PEFile& operator=(const PEFile&) = delete;

  PENtHeaders* Open(const char* path);          // writable, no extra room
  PENtHeaders* OpenReadOnly(const char* path);  // read-only
  void Close();

  bool IsOpen() const { return view_ != nullptr; }
  bool IsReadOnly() const;
  PENtHeaders* GetWritableNTHeaders();
  const PENtHeaders* GetNTHeaders() const { return nt_; }
  const uint8_t* View() const { return view_; }

  // The header whose name matches name without regard to case over at most 8 characters;
  // null when there is none or no file is open.
  IMAGE_SECTION_HEADER* FindSectionHeader(const char* name);
  // The raw data of ".orvanel" inside the view, or null when there is none (or no file).
  uint8_t* GetOrvanelDataSection();
  // The same, adding the section first when the image has none.
  uint8_t* MakeOrvanelDataSection();
  // Last-access and last-write times to now; false when the time cannot be converted.
  bool UpdateFileTimes();

  // Closes the object and throws PEFileException with the selector's text.
  [[noreturn]] void ThrowError(tErrorSelector selector);
  static const char* ErrorText(int selector);

 private:
  PENtHeaders* MapFile(const char* path, bool readOnly, uint32_t extra);
  void MapView(uint32_t extra);
  void UnmapView();
  void InitData();
  IMAGE_SECTION_HEADER* Sections() const;
  IMAGE_SECTION_HEADER* DataSectionChecked();

  HANDLE file_;
  uint32_t fileSize_;   // as found when opened
  uint32_t extraSize_;  // bytes the writable mapping adds to the file
  HANDLE mapping_;
  uint8_t* view_;
  PENtHeaders* nt_;
  bool readOnly_;
  uint32_t usedSize_;  // bytes of the file in use; the mapping's tail beyond is cut on Close
};
