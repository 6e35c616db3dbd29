// OLE start-up, result texts and the string converters, on the real ole32.
#include <windows.h>
#include <ole2.h>
#include <urlmon.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "utils/dllutils.h"
#include "olecls/ocl.h"
#include "utils/xexception.h"

TEST(OCL, LibraryRegisteredItselfWhenLoaded) {
  EXPECT_NE(nullptr, strstr(DLLUtils::AttachedDLLs().data(), "ovole:")) << DLLUtils::AttachedDLLs().data();
}

TEST(OCL, InitialisesOleAndHoldsTheTaskAllocator) {
  {
    OCL ocl;
    EXPECT_EQ(1, OCL::inited);
    ASSERT_NE(nullptr, OCL::pIMalloc);
    void* p = OCL::pIMalloc->Alloc(64);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(1, OCL::pIMalloc->DidAlloc(p));
    OCL::Free(p);
  }
  EXPECT_EQ(0, OCL::inited);
  EXPECT_EQ(nullptr, OCL::pIMalloc);
}

TEST(OCL, FailedInitialisationLeavesTheAllocatorAlone) {
  // OLE refuses a thread that already joined the multi-threaded apartment.
  std::thread t([] {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
      OCL ocl;
      EXPECT_EQ(0, OCL::inited);
      EXPECT_EQ(nullptr, OCL::pIMalloc);
      int local = 0;
      OCL::Free(&local);  // must not reach any allocator
    }
    CoUninitialize();
  });
  t.join();
}

namespace {

// The least data object OLE accepts on the clipboard: it offers CF_TEXT and renders it.
class TextData : public IDataObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (f->cfFormat != CF_TEXT || !(f->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 3);
    memcpy(GlobalLock(h), "hi", 3);
    GlobalUnlock(h);
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = h;
    m->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f->cfFormat == CF_TEXT ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dir, IEnumFORMATETC** out) override {
    if (dir != DATADIR_GET) return E_NOTIMPL;
    static FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return CreateFormatEnumerator(1, &text, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  LONG refs = 1;
};

}  // namespace

TEST(OCL, EndTakesOurDataObjectOffTheClipboard) {
  TextData data;
  {
    OCL ocl;
    ASSERT_EQ(S_OK, OleSetClipboard(&data));
    OCL::m_xfer = &data;
    ASSERT_EQ(S_OK, OleIsCurrentClipboard(&data));
  }
  EXPECT_EQ(nullptr, OCL::m_xfer);
  OCL ocl;  // OLE stays initialised on this thread; the check needs it
  EXPECT_EQ(S_FALSE, OleIsCurrentClipboard(&data));
}

TEST(OleResult, SuccessLeavesTheBufferEmpty) {
  strcpy(OleResult::buf, "stale");
  EXPECT_FALSE(OleResult::Check(S_OK, "ctx"));
  EXPECT_STREQ("", OleResult::buf);
  EXPECT_FALSE(OleResult::Check(S_FALSE, nullptr));
  EXPECT_STREQ("", OleResult::buf);
}

TEST(OleResult, FailureTextFillsInTheContextAndIsNeverAFormat) {
  char text[1024];
  struct Case {
    HRESULT hr;
  } cases[] = {{STG_E_FILENOTFOUND},
               {STG_E_ACCESSDENIED},
               {E_NOINTERFACE},
               {HRESULT(0x800700C1)} /* "... for %1." */,
               {HRESULT(0x8007013D)} /* "... 0x%1 ... %2." */};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.hr);
    EXPECT_TRUE(OleResult::Check(c.hr, "C:\\data\\my%sfile.ole"));
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(c.hr),
                             0x400, text, sizeof text, nullptr);
    if (n == 0) {
      char expect[64];
      snprintf(expect, sizeof expect, "OLE error 0x%08lX: C:\\data\\my%%sfile.ole",
               static_cast<unsigned long>(c.hr));
      EXPECT_STREQ(expect, OleResult::buf);
      continue;
    }
    std::string expect(text, n);
    for (size_t at; (at = expect.find("%1")) != std::string::npos;)
      expect.replace(at, 2, "C:\\data\\my%sfile.ole");
    EXPECT_EQ(expect, OleResult::buf);
  }
  // A result with a "%1" insert in its text shows the context in its place.
  ASSERT_TRUE(OleResult::Check(HRESULT(0x800700C1), "prog.exe"));
  EXPECT_NE(nullptr, strstr(OleResult::buf, "prog.exe"));
  EXPECT_EQ(nullptr, strstr(OleResult::buf, "%1"));
  EXPECT_TRUE(OleResult::Check(E_FAIL, nullptr));
  EXPECT_STRNE("", OleResult::buf);
}

TEST(OleResult, LogerrorKeepsTheResult) {
  OleResult r;
  EXPECT_EQ(S_OK, r.result());
  EXPECT_TRUE(r.logerror(STG_E_FILENOTFOUND));
  EXPECT_EQ(STG_E_FILENOTFOUND, r.result());
  EXPECT_TRUE(r.failed());
  EXPECT_FALSE(r.logerror(S_OK));
  EXPECT_STREQ("", OleResult::buf);
}

TEST(StringConversion, ConvertsCutsAndTerminates) {
  wchar_t w[8];
  EXPECT_EQ(1, str2wide(nullptr, w, 8));
  EXPECT_EQ(L'\0', w[0]);
  EXPECT_EQ(4, str2wide("abc", w, 8));
  EXPECT_STREQ(L"abc", w);
  EXPECT_EQ(3, str2wide("abcdef", w, 3));
  EXPECT_STREQ(L"ab", w);
  EXPECT_EQ(4, str2wide_sz("abc"));
  EXPECT_EQ(1, str2wide_sz(nullptr));

  char s[8];
  EXPECT_EQ(1, wide2str(nullptr, s, 8));
  EXPECT_STREQ("", s);
  EXPECT_EQ(6, wide2str(L"hello", s, 8));
  EXPECT_STREQ("hello", s);
  EXPECT_EQ(4, wide2str(L"hello", s, 4));
  EXPECT_STREQ("hel", s);
  EXPECT_EQ(6, wide2str_sz(L"hello"));
}

TEST(StringConversion, NullBufferOrZeroSizeIsAnAssertion) {
  wchar_t w[4];
  char s[4];
  struct Case {
    int which;
    int line;
    const char* condition;
  } cases[] = {{0, 21, "widebuf"}, {1, 22, "widebufsz"}, {2, 31, "strbuf"}, {3, 32, "strbufsz"}};
  for (const Case& c : cases) {
    try {
      switch (c.which) {
        case 0:
          str2wide("x", nullptr, 4);
          break;
        case 1:
          str2wide("x", w, 0);
          break;
        case 2:
          wide2str(L"x", nullptr, 4);
          break;
        case 3:
          wide2str(L"x", s, 0);
          break;
      }
      ADD_FAILURE() << c.condition << " did not assert";
    } catch (const XAssert& e) {
      EXPECT_EQ(c.line, e.Line());
      EXPECT_EQ("IOI", e.Path());
    }
  }
}
