// The format registry: the fixed table and its order, look-ups by name and number, the
// names and numbers Basic programs give, the process format, the global-memory medium.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <string>

#include "guiobjects1/clipformat.h"

namespace {

TEST(ClipFormat, RegistryOrderFromTheHead) {
  const char* want[] = {"Palette",
                        "Unicode Text",
                        "OEM Text",
                        "Enhanced Metafile",
                        nullptr,
                        "FileName",
                        "Link Source Descriptor",
                        "Link Source",
                        "Object Descriptor",
                        "Embedded Object",
                        "Text",
                        "Bitmap",
                        "DIB Bitmap",
                        "Metafile Picture"};
  ClipFormat* f = ClipFormat::Formats;
  for (const char* name : want) {
    ASSERT_NE(nullptr, f);
    if (name)
      EXPECT_STREQ(name, f->name);
    else
      EXPECT_EQ(static_cast<ClipFormat*>(&ProcessFormat::s_fmt), f);
    f = f->next;
  }
  EXPECT_EQ(nullptr, f);
}

TEST(ClipFormat, TableRows) {
  struct Case {
    ClipFormat& row;
    int index;
    DWORD tymed;
    CLIPFORMAT cf;  // 0: registered by name
  } cases[] = {
      {CfMetafilePict::s_fmt, 0, TYMED_MFPICT, CF_METAFILEPICT},
      {CfDib::s_fmt, 1, TYMED_HGLOBAL, CF_DIB},
      {CfBitmap::s_fmt, 2, TYMED_GDI, CF_BITMAP},
      {CfText::s_fmt, 3, TYMED_HGLOBAL, CF_TEXT},
      {CfEmbeddedObject::s_fmt, 4, TYMED_ISTORAGE, 0},
      {CfObjectDescriptor::s_fmt, 5, TYMED_HGLOBAL, 0},
      {CfLinkSource::s_fmt, 6, TYMED_ISTREAM, 0},
      {CfLinkSourceDescriptor::s_fmt, 7, TYMED_HGLOBAL, 0},
      {CfFileName::s_fmt, 8, TYMED_HGLOBAL, 0},
      {CfEnhMetafile::s_fmt, 9, TYMED_ENHMF, CF_ENHMETAFILE},
      {CfOemText::s_fmt, 10, TYMED_HGLOBAL, CF_OEMTEXT},
      {CfUnicodeText::s_fmt, 11, TYMED_HGLOBAL, CF_UNICODETEXT},
      {CfPalette::s_fmt, 12, TYMED_GDI, CF_PALETTE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(ClipFormat::names[c.index], c.row.name);
    EXPECT_EQ(c.tymed, c.row.format.tymed);
    EXPECT_EQ(nullptr, c.row.format.ptd);
    EXPECT_EQ(DWORD(DVASPECT_CONTENT), c.row.format.dwAspect);
    EXPECT_EQ(-1, c.row.format.lindex);
    CLIPFORMAT want = c.cf ? c.cf : CLIPFORMAT(RegisterClipboardFormatA(c.row.name));
    EXPECT_EQ(want, c.row.format.cfFormat);
    EXPECT_NE(0, c.row.format.cfFormat);
    EXPECT_EQ(&c.row, ClipFormat::Find(c.row.name));
    EXPECT_EQ(&c.row, ClipFormat::Find(c.row.format.cfFormat));
  }
  EXPECT_EQ(nullptr, ClipFormat::Find("text"));  // case counts
  EXPECT_EQ(nullptr, ClipFormat::Find((const char*)nullptr));
  EXPECT_EQ(nullptr, ClipFormat::Find((unsigned short)5));
}

TEST(ClipFormat, FormatFromName) {
  struct Case {
    const char* name;
    unsigned short want;  // 0: the number Windows registers for the name
  } cases[] = {
      {"8", CF_DIB},
      {"65536", 0},  // low 16 bits 0: a name
      {"65537", 1},  // low 16 bits 1
      {"DIB Bitmap", CF_DIB},
      {"Palette", CF_PALETTE},
      {"Text", CF_TEXT},
      {"Bitmap", CF_BITMAP},
      {"0", 0},
      {"Orvanel Test Format 7", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unsigned short want = c.want ? c.want : (unsigned short)RegisterClipboardFormatA(c.name);
    EXPECT_NE(0, want);
    EXPECT_EQ(want, ClipFormat::FormatFromName(c.name));
  }
  EXPECT_EQ(CfEmbeddedObject::s_fmt.format.cfFormat, ClipFormat::FormatFromName("Embedded Object"));
  EXPECT_EQ(0, ClipFormat::FormatFromName(nullptr));
}

TEST(ClipFormat, AnUnknownNameIsRegistered) {
  char unique[64];
  std::snprintf(unique, sizeof unique, "Orvanel Fresh %lx", (unsigned long)GetTickCount());
  unsigned short cf = ClipFormat::FormatFromName(unique);
  ASSERT_GE(cf, 0xC000);
  char back[64] = {};
  ASSERT_GT(GetClipboardFormatNameA(cf, back, sizeof back), 0);
  EXPECT_STREQ(unique, back);
  char name[64];
  EXPECT_STREQ(unique, ClipFormat::NameFromFormat(cf, name, sizeof name));
}

TEST(ClipFormat, NameFromFormat) {
  struct Case {
    unsigned short cf;
    const char* want;
  } cases[] = {
      {CF_DIB, "DIB Bitmap"},
      {CF_BITMAP, "Bitmap"},
      {CF_TEXT, "Text"},
      {CF_PALETTE, "Palette"},
      {CF_ENHMETAFILE, "Enhanced Metafile"},
      {5, "5"},
      {CF_WAVE, "12"},
      {0, "0"},
  };
  for (const Case& c : cases) {
    char buf[64];
    EXPECT_STREQ(c.want, ClipFormat::NameFromFormat(c.cf, buf, sizeof buf)) << c.cf;
  }
  char buf[64];
  EXPECT_STREQ("Embedded Object",
               ClipFormat::NameFromFormat(CfEmbeddedObject::s_fmt.format.cfFormat, buf, 64));
  // Cut to the buffer, always terminated.
  char small[5];
  std::memset(small, 'x', sizeof small);
  ClipFormat::NameFromFormat(CF_DIB, small, sizeof small);
  EXPECT_STREQ("DIB ", small);
  std::memset(small, 'x', sizeof small);
  ClipFormat::NameFromFormat(CfEmbeddedObject::s_fmt.format.cfFormat, small, sizeof small);
  EXPECT_EQ('\0', small[4]);
  EXPECT_EQ(0, std::strncmp("Embe", small, 4));
  char one[1] = {'x'};
  ClipFormat::NameFromFormat(CF_DIB, one, 1);
  EXPECT_EQ('\0', one[0]);
}

TEST(ClipFormat, TheProcessFormatNamesThisProcess) {
  char want[64];
  std::snprintf(want, sizeof want, "Process #%lx", (unsigned long)GetCurrentProcessId());
  EXPECT_STREQ(want, ProcessFormat::s_fmt.name);
  EXPECT_EQ((CLIPFORMAT)RegisterClipboardFormatA(want), ProcessFormat::s_fmt.format.cfFormat);
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), ProcessFormat::s_fmt.format.tymed);
  char name[64];
  EXPECT_STREQ(want, ClipFormat::NameFromFormat(ProcessFormat::s_fmt.format.cfFormat, name, sizeof name));
  EXPECT_EQ(ProcessFormat::s_fmt.format.cfFormat, ClipFormat::FormatFromName(want));
}

TEST(ClipFormat, CopyToHGlobalMedium) {
  const char bytes[] = "twelve bytes";
  STGMEDIUM m = {};
  m.pUnkForRelease = reinterpret_cast<IUnknown*>(1);
  void* at = ClipFormat::CopyToHGlobalMedium(m, sizeof bytes, bytes);
  ASSERT_NE(nullptr, at);
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), m.tymed);
  EXPECT_EQ(nullptr, m.pUnkForRelease);
  ASSERT_NE(nullptr, m.hGlobal);
  EXPECT_GE(GlobalSize(m.hGlobal), sizeof bytes);
  EXPECT_EQ(0, GlobalFlags(m.hGlobal) & GMEM_LOCKCOUNT);  // unlocked again
  EXPECT_EQ(0, std::memcmp(GlobalLock(m.hGlobal), bytes, sizeof bytes));
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
}

}  // namespace
