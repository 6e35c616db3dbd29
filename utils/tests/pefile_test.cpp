// PEFile on synthetic PE32 and PE32+ images whose section layout each case chooses, and
// on a real image (this test program). The images it stamps are kept in the build tree
// with the values expected of them; pefile_objdump.sh then reads them back with the cross
// binutils' objdump, which knows nothing of this code.
#include "utils/pefile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace {

struct Section {
  const char* name;
  uint32_t va, virtualSize, raw, rawSize;
};

struct ImageSpec {
  bool pe64 = false;
  std::vector<Section> sections;
  uint32_t fileSize = 0;     // 0: the end of the last section's raw data
  uint32_t headers = 0x400;  // SizeOfHeaders
  uint32_t fileAlignment = 0x200;
  uint32_t sizeOfImage = 0;  // 0: the last section's end on 0x1000
};

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { memcpy(&b[at], &v, 2); }
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { memcpy(&b[at], &v, 4); }

const size_t kNtAt = 0x80;

std::vector<uint8_t> MakeImage(const ImageSpec& spec) {
  uint32_t end = spec.headers;
  uint32_t vend = 0x1000;
  for (const Section& s : spec.sections) {
    end = std::max(end, s.raw + s.rawSize);
    vend = std::max(vend, s.va + s.virtualSize);
  }
  std::vector<uint8_t> b(spec.fileSize ? spec.fileSize : end, 0);
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(i * 7 + 3);  // recognisable data
  memset(&b[0], 0, spec.headers);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 60, kNtAt);
  uint16_t optSize = spec.pe64 ? 240 : 224;
  Put32(b, kNtAt, 0x00004550);
  Put16(b, kNtAt + 4, spec.pe64 ? 0x8664 : 0x14C);
  Put16(b, kNtAt + 6, uint16_t(spec.sections.size()));
  Put16(b, kNtAt + 20, optSize);
  Put16(b, kNtAt + 22, spec.pe64 ? 0x0022 : 0x0102);
  size_t opt = kNtAt + 24;
  Put16(b, opt, spec.pe64 ? 0x20B : 0x10B);
  Put32(b, opt + 8, 0x2000);  // SizeOfInitializedData
  if (spec.pe64) {
    Put32(b, opt + 24, 0x40000000);
    Put32(b, opt + 28, 0x1);  // image base 0x140000000
  } else {
    Put32(b, opt + 28, 0x400000);
  }
  Put32(b, opt + 32, 0x1000);
  Put32(b, opt + 36, spec.fileAlignment);
  Put16(b, opt + 40, 4);
  Put16(b, opt + 48, 4);
  Put32(b, opt + 56, spec.sizeOfImage ? spec.sizeOfImage : (vend + 0xFFF) & ~0xFFFu);
  Put32(b, opt + 60, spec.headers);
  Put16(b, opt + 68, 2);                       // GUI subsystem
  Put32(b, opt + (spec.pe64 ? 108 : 92), 16);  // NumberOfRvaAndSizes
  size_t at = opt + optSize;
  for (const Section& s : spec.sections) {
    memcpy(&b[at], s.name, strlen(s.name));
    Put32(b, at + 8, s.virtualSize);
    Put32(b, at + 12, s.va);
    Put32(b, at + 16, s.rawSize);
    Put32(b, at + 20, s.raw);
    Put32(b, at + 36, 0x40000040);
    at += 40;
  }
  return b;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Where stamped images go for the objdump check (a host path, on drive Z: under Wine);
// empty when the build tree is not reachable, as in the 32-bit lane's chroot.
std::string ArtefactFolder() {
  std::string p = OV_PEFILE_OUT;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p)
    if (c == '/') c = '\\';
  CreateDirectoryA(p.c_str(), nullptr);
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? p : std::string();
}

// Keeps a copy of a stamped image and one line of what objdump must find in it.
void KeepForObjdump(const std::string& path, const std::string& name, uint64_t vma, uint32_t fileOffset,
                    unsigned sections) {
  std::string folder = ArtefactFolder();
  if (folder.empty()) return;
  CopyFileA(path.c_str(), (folder + "\\" + name).c_str(), FALSE);
  std::ofstream out(folder + "\\" + name + ".expect");
  char line[128];
  snprintf(line, sizeof line, "%016llx %08x %u\n", (unsigned long long)vma, fileOffset, sections);
  out << line;
}

uint64_t ImageBase(const PENtHeaders* nt) {
  if (nt->Magic == 0x20B) return uint64_t(nt->BasesDiffering[0]) | uint64_t(nt->BasesDiffering[1]) << 32;
  return nt->BasesDiffering[1];
}

struct Placement {
  const char* what;
  bool pe64;
  Section last;
  uint32_t fileSize;     // 0: the raw data's end
  uint32_t va, raw;      // expected of the new section
  uint32_t imageGrowth;  // SizeOfImage: the old one plus 0x10000, or up to the new section's end
};

TEST(PEFile, TheDataSectionIsPlacedAfterTheLastSection) {
  testkit::TestDataDir dir("pefile_place");
  const Placement cases[] = {
      {"pe32_after_8200", false, {".data", 0x5000, 0x3200, 0x800, 0x3200}, 0, 0x10000, 0x3A00, 0x10000},
      {"pe64_after_8200", true, {".data", 0x5000, 0x3200, 0x800, 0x3200}, 0, 0x10000, 0x3A00, 0x10000},
      {"pe32_ends_on_10000", false, {".data", 0xF000, 0x1000, 0x600, 0x1000}, 0, 0x20000, 0x1600, 0x11000},
      {"pe64_ends_on_10000", true, {".data", 0xF000, 0x1000, 0x600, 0x1000}, 0, 0x20000, 0x1600, 0x11000},
      // A symbol table or an overlay after the last section's data is kept: the new raw
      // data starts at the file's aligned end.
      {"pe32_with_overlay", false, {".data", 0x2000, 0x400, 0x600, 0x400}, 0xB33, 0x10000, 0xC00, 0x10000},
      {"pe64_with_overlay", true, {".data", 0x2000, 0x400, 0x600, 0x400}, 0xB33, 0x10000, 0xC00, 0x10000},
  };
  for (const Placement& c : cases) {
    SCOPED_TRACE(c.what);
    ImageSpec spec;
    spec.pe64 = c.pe64;
    spec.sections.push_back({".text", 0x1000, 0x200, 0x400, 0x200});
    spec.sections.push_back(c.last);
    spec.fileSize = c.fileSize;
    std::vector<uint8_t> before = MakeImage(spec);
    std::string path = dir.File(std::string(c.what) + ".exe");
    WriteAll(path, before);
    uint32_t imageBefore = 0;
    uint64_t base = 0;
    {
      PEFile pe(path.c_str());
      ASSERT_FALSE(pe.IsReadOnly());
      imageBefore = pe.GetNTHeaders()->SizeOfImage;
      base = ImageBase(pe.GetNTHeaders());
      EXPECT_EQ(nullptr, pe.GetOrvanelDataSection());
      uint8_t* data = pe.MakeOrvanelDataSection();
      ASSERT_NE(nullptr, data);
      memcpy(data, "record", 6);
      const PENtHeaders* nt = pe.GetNTHeaders();
      EXPECT_EQ(3, nt->FileHeader.NumberOfSections);
      EXPECT_EQ(0x2000u + 4096u, nt->SizeOfInitializedData);
      EXPECT_EQ(imageBefore + c.imageGrowth, nt->SizeOfImage);
      EXPECT_GE(nt->SizeOfImage, c.va + 0x1000);
      IMAGE_SECTION_HEADER* h = pe.FindSectionHeader(".orvanel");
      ASSERT_NE(nullptr, h);
      EXPECT_EQ(0, memcmp(h->Name, ".orvanel", 8));
      EXPECT_EQ(c.va, h->VirtualAddress);
      EXPECT_EQ(4096u, h->Misc.VirtualSize);
      EXPECT_EQ(4096u, h->SizeOfRawData);
      EXPECT_EQ(c.raw, h->PointerToRawData);
      EXPECT_EQ(0x40000040u, h->Characteristics);
      EXPECT_EQ(0u, h->PointerToRelocations);
      EXPECT_EQ(data, pe.View() + c.raw);
      EXPECT_EQ(data, pe.MakeOrvanelDataSection());  // a second call adds nothing
    }
    std::vector<uint8_t> after = ReadAll(path);
    ASSERT_EQ(c.raw + 4096u, after.size());
    // Everything the image had is still there, the section table apart.
    size_t table = kNtAt + 24 + (c.pe64 ? 240 : 224) + 2 * 40;
    EXPECT_TRUE(std::equal(before.begin() + table + 40, before.end(), after.begin() + table + 40));
    EXPECT_EQ(0, memcmp(&after[c.raw], "record", 6));
    KeepForObjdump(path, std::string(c.what) + ".exe", base + c.va, c.raw, 3);
  }
}

TEST(PEFile, AddingTwiceIsANoOpAndTheFileDoesNotGrow) {
  testkit::TestDataDir dir("pefile_twice");
  ImageSpec spec;
  spec.sections.push_back({".text", 0x1000, 0x200, 0x400, 0x200});
  std::string path = dir.File("twice.exe");
  WriteAll(path, MakeImage(spec));
  uint32_t raw = 0;
  {
    PEFile pe(path.c_str());
    raw = uint32_t(pe.MakeOrvanelDataSection() - pe.View());
  }
  std::vector<uint8_t> once = ReadAll(path);
  {
    PEFile pe(path.c_str());
    EXPECT_EQ(raw, uint32_t(pe.MakeOrvanelDataSection() - pe.View()));
    EXPECT_EQ(2, pe.GetNTHeaders()->FileHeader.NumberOfSections);
  }
  EXPECT_EQ(once, ReadAll(path));  // the unused room of the second mapping is cut again
  PEFile pe;
  pe.OpenReadOnly(path.c_str());
  EXPECT_TRUE(pe.IsReadOnly());
  EXPECT_EQ(nullptr, pe.GetWritableNTHeaders());
  EXPECT_NE(nullptr, pe.FindSectionHeader(".ORVANEL"));
  EXPECT_NE(nullptr, pe.FindSectionHeader(".OrVaNeL"));
  EXPECT_EQ(nullptr, pe.FindSectionHeader(".orv"));
  EXPECT_EQ(pe.View() + raw, pe.GetOrvanelDataSection());
}

// Each refusal names its reason, leaves the object closed and the file as it was.
TEST(PEFile, BadImagesAndCallsThatCannotApplyAreRefused) {
  testkit::TestDataDir dir("pefile_bad");
  ImageSpec good;
  good.sections.push_back({".text", 0x1000, 0x200, 0x400, 0x200});
  std::vector<uint8_t> noMz = MakeImage(good);
  noMz[0] = 'X';
  std::vector<uint8_t> ntPastEnd = MakeImage(good);
  Put32(ntPastEnd, 60, 0x7FFFFFF0);
  std::vector<uint8_t> ntNearEnd = MakeImage(good);
  Put32(ntNearEnd, 60, uint32_t(ntNearEnd.size() - 100));
  std::vector<uint8_t> noPe = MakeImage(good);
  noPe[kNtAt] = 'Q';
  ImageSpec full = good;
  full.headers = 0x1C0;  // one header ends at 0x1A0, a second would end at 0x1C8
  full.sections[0].raw = 0x200;
  std::vector<uint8_t> tableFull = MakeImage(full);
  std::vector<uint8_t> tiny = {'M', 'Z'};

  struct Case {
    const char* what;
    const std::vector<uint8_t>* bytes;
    enum { kMap, kOpenThenMake } how;
    const char* text;
  } cases[] = {
      {"no MZ", &noMz, Case::kMap, "Invalid DOS PE header."},
      {"two bytes", &tiny, Case::kMap, "Invalid DOS PE header."},
      {"NT offset past the end", &ntPastEnd, Case::kMap, "Invalid NT PE header."},
      {"NT headers cut short", &ntNearEnd, Case::kMap, "Invalid NT PE header."},
      {"no PE signature", &noPe, Case::kMap, "Invalid NT PE header."},
      {"opened without room", nullptr, Case::kOpenThenMake,
       "The image was opened without room for a new section."},
      {"section table full", &tableFull, Case::kMap, "The section table of the image is full."},
  };
  std::vector<uint8_t> plain = MakeImage(good);
  cases[5].bytes = &plain;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = dir.File("bad.exe");
    WriteAll(path, *c.bytes);
    PEFile pe;
    try {
      if (c.how == Case::kMap) {
        PEFile mapped(path.c_str());
        mapped.MakeOrvanelDataSection();
      } else {
        pe.Open(path.c_str());
        pe.MakeOrvanelDataSection();
      }
      ADD_FAILURE() << "not refused";
    } catch (PEFileException& x) {
      EXPECT_STREQ(c.text, x.what());
      EXPECT_EQ(0u, x.Code());
    }
    EXPECT_FALSE(pe.IsOpen());
    EXPECT_EQ(nullptr, pe.GetNTHeaders());
    EXPECT_EQ(*c.bytes, ReadAll(path));
  }

  PEFile pe;
  try {
    pe.Open(dir.File("missing.exe").c_str());
    ADD_FAILURE() << "a missing file opened";
  } catch (PEFileException& x) {
    EXPECT_STREQ("File cannot be opened.", x.what());
    EXPECT_EQ(uint32_t(ERROR_FILE_NOT_FOUND), x.Code());
    std::unique_ptr<XException> copy(x.Clone());
    EXPECT_THROW(copy->Throw(), PEFileException);
  }
  try {
    pe.MakeOrvanelDataSection();
    ADD_FAILURE() << "made a section with nothing open";
  } catch (PEFileException& x) {
    EXPECT_STREQ("No PE file open.", x.what());
  }
  EXPECT_EQ(nullptr, pe.GetOrvanelDataSection());
  EXPECT_EQ(nullptr, pe.FindSectionHeader(".orvanel"));
  EXPECT_FALSE(pe.UpdateFileTimes());
  EXPECT_STREQ("Unknown error", PEFile::ErrorText(99));
}

TEST(PEFile, ARealImageIsStampedAndStillLoads) {
  testkit::TestDataDir dir("pefile_real");
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = dir.File("copy.exe");
  ASSERT_TRUE(CopyFileA(self, path.c_str(), FALSE));
  std::vector<uint8_t> before = ReadAll(path);
  uint64_t vma = 0;
  uint32_t raw = 0;
  unsigned count = 0;
  {
    PEFile pe(path.c_str());
    const PENtHeaders* nt = pe.GetNTHeaders();
    EXPECT_EQ(sizeof(void*) == 8 ? 0x20B : 0x10B, nt->Magic);
    uint8_t* data = pe.MakeOrvanelDataSection();
    memcpy(data, "stamped", 8);
    IMAGE_SECTION_HEADER* h = pe.FindSectionHeader(".orvanel");
    vma = ImageBase(nt) + h->VirtualAddress;
    raw = h->PointerToRawData;
    count = nt->FileHeader.NumberOfSections;
    EXPECT_TRUE(pe.UpdateFileTimes());
  }
  std::vector<uint8_t> after = ReadAll(path);
  ASSERT_EQ(raw + 4096u, after.size());
  EXPECT_GE(raw, before.size());
  // The loader still takes it, and maps the new section where its header says.
  HMODULE m = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, m) << GetLastError();
  FreeLibrary(m);
  KeepForObjdump(path, sizeof(void*) == 8 ? "real64.exe" : "real32.exe", vma, raw, count);
}

}  // namespace
