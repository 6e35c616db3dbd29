// Class factories and DLL servers: in this process, and served to OLE by the test server
// library through its DllGetClassObject.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "olecls/ocl.h"
#include "olecls/oclfactory.h"
#include "olecls/ocliid.h"
#include "olecls/oclstream.h"

namespace {

class CountingServer : public DllServer {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 0;
};

class NoInstances : public OCLFactory {
 public:
  using OCLFactory::OCLFactory;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
};

const char kText[] = "{6C1E42A0-5B7D-4F1B-9C33-0B9D0E5A71FF}";
const CLSID kId = {0x6C1E42A0, 0x5B7D, 0x4F1B, {0x9C, 0x33, 0x0B, 0x9D, 0x0E, 0x5A, 0x71, 0xFF}};

}  // namespace

TEST(DllServer, AnswersIUnknownOnly) {
  CountingServer server;
  void* out = nullptr;
  EXPECT_EQ(S_OK, server.QueryInterface(IID_IUnknown, &out));
  EXPECT_EQ(static_cast<IUnknown*>(&server), out);
  EXPECT_EQ(1u, server.refs);
  out = &server;
  EXPECT_EQ(E_NOINTERFACE, server.QueryInterface(IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(1u, server.refs);
}

TEST(OCLFactory, BindsItsClassIdAndCountsOnTheServer) {
  CountingServer server;
  NoInstances good(&server, kText);
  EXPECT_TRUE(IsEqualCLSID(kId, good.ClassId()));
  EXPECT_EQ(1, server.ObjectCount());
  EXPECT_EQ(1u, server.refs);

  // A malformed text leaves the id as the parser left it; the counts rise all the same.
  NoInstances bad(&server, "{not a class id}");
  EXPECT_TRUE(IsEqualCLSID(GUID_NULL, bad.ClassId()));
  NoInstances none(&server, nullptr);
  EXPECT_EQ(3, server.ObjectCount());
  EXPECT_EQ(3u, server.refs);
}

TEST(OCLFactory, ForwardsReferencesAndLocksToTheServer) {
  CountingServer server;
  NoInstances f(&server, kText);
  void* out = nullptr;
  EXPECT_EQ(S_OK, f.QueryInterface(IID_IUnknown, &out));
  EXPECT_EQ(static_cast<IClassFactory*>(&f), out);  // the factory, not the server
  EXPECT_EQ(S_OK, f.QueryInterface(IID_IClassFactory, &out));
  EXPECT_EQ(static_cast<IClassFactory*>(&f), out);
  EXPECT_EQ(3u, server.refs);
  EXPECT_EQ(E_NOINTERFACE, f.QueryInterface(IID_IStorage, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(4u, f.AddRef());
  EXPECT_EQ(3u, f.Release());

  EXPECT_EQ(S_OK, f.LockServer(TRUE));
  EXPECT_EQ(S_OK, f.LockServer(TRUE));
  EXPECT_EQ(S_OK, f.LockServer(FALSE));
  EXPECT_EQ(1, server.LockCount());
}

namespace {

const char kServerClsid[] = "{6C1E42A0-5B7D-4F1B-9C33-0B9D0E5A7101}";
const CLSID kServerId = {0x6C1E42A0, 0x5B7D, 0x4F1B, {0x9C, 0x33, 0x0B, 0x9D, 0x0E, 0x5A, 0x71, 0x01}};
const char kServerDll[] = "ovoletestsrv.dll";

// Registers the test server's class for in-process use, and removes it again.
class Registration {
 public:
  Registration() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of('\\') + 1);
    std::string dll = dir + kServerDll;
    HKEY key;
    ok_ = RegCreateKeyExA(HKEY_CLASSES_ROOT, (key_ + "\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (!ok_) return;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   DWORD(dll.size() + 1));
    RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>("Apartment"), 10);
    RegCloseKey(key);
  }
  ~Registration() { RegDeleteTreeA(HKEY_CLASSES_ROOT, key_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string key_ = std::string("CLSID\\") + kServerClsid;
  bool ok_;
};

struct Counts {
  int objects, locks, refs, live;
};

typedef void (*CountsFn)(int*, int*, int*, int*);

Counts serverCounts() {
  Counts c = {-1, -1, -1, -1};
  HMODULE m = GetModuleHandleA(kServerDll);
  if (!m) return c;
  auto fn = reinterpret_cast<CountsFn>(GetProcAddress(m, "testServerCounts"));
  if (fn) fn(&c.objects, &c.locks, &c.refs, &c.live);
  return c;
}

class ServedByOle : public testing::Test {
 protected:
  OCL ocl_;
  Registration reg_;
};

}  // namespace

TEST_F(ServedByOle, FactoryFromDllGetClassObjectKeepsTheCounts) {
  ASSERT_TRUE(reg_.ok());
  CoFreeUnusedLibrariesEx(0, 0);
  ASSERT_EQ(nullptr, GetModuleHandleA(kServerDll));

  IClassFactory* factory = nullptr;
  IPersistStream* object = nullptr;
  ASSERT_EQ(S_OK, OCL_IID::CreateInstance(factory, kServerId, OCL_IID::iidIPersistStream,
                                          reinterpret_cast<void**>(&object)));
  ASSERT_NE(nullptr, factory);
  ASSERT_NE(nullptr, object);
  // One factory; its own reference, ours on the factory, and the object's on the server.
  Counts c = serverCounts();
  EXPECT_EQ(1, c.objects);
  EXPECT_EQ(0, c.locks);
  EXPECT_EQ(3, c.refs);
  EXPECT_EQ(1, c.live);

  // A second instance through the kept factory.
  IPersistStream* second = nullptr;
  IClassFactory* kept = factory;
  ASSERT_EQ(S_OK, OCL_IID::CreateInstance(factory, kServerId, OCL_IID::iidIPersistStream,
                                          reinterpret_cast<void**>(&second)));
  EXPECT_EQ(kept, factory);
  EXPECT_EQ(2, serverCounts().live);
  EXPECT_EQ(4, serverCounts().refs);

  // The identity rules hold for the object OLE handed over.
  IUnknown* u1 = nullptr;
  IUnknown* u2 = nullptr;
  ASSERT_EQ(S_OK, object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u1)));
  ASSERT_EQ(S_OK, second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u2)));
  EXPECT_NE(u1, u2);
  u1->Release();
  u2->Release();
  second->Release();
  EXPECT_EQ(1, serverCounts().live);

  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  EXPECT_EQ(1, serverCounts().locks);

  object->Release();
  c = serverCounts();
  EXPECT_EQ(0, c.live);
  EXPECT_EQ(2, c.refs);
  factory->Release();
  EXPECT_EQ(1, serverCounts().refs);

  // Locked: OLE must keep the library.
  CoFreeUnusedLibrariesEx(0, 0);
  ASSERT_NE(nullptr, GetModuleHandleA(kServerDll));
  IClassFactory* again = nullptr;
  ASSERT_EQ(S_OK, CoGetClassObject(kServerId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(&again)));
  EXPECT_EQ(S_OK, again->LockServer(FALSE));
  again->Release();
  EXPECT_EQ(0, serverCounts().locks);

  // Nothing held: the library may go, and OLE lets it go.
  CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(nullptr, GetModuleHandleA(kServerDll));
}

TEST_F(ServedByOle, LoadCalledByOleAnswersDamageWithAResult) {
  ASSERT_TRUE(reg_.ok());
  auto block = [](UCHAR revision, ULONG length, const char* bytes, ULONG n) {
    OCLStream s;
    WriteClassStm(s.stream(), kServerId);
    s.write(revision);
    s.write(length);
    s.write(bytes, n);
    s.write(ULONG(7));
    s.seekTo(0);
    s->AddRef();
    return s.stream();
  };
  struct Case {
    const char* what;
    UCHAR revision;
    ULONG length;
    const char* bytes;
    ULONG n;
    HRESULT hr;
  } cases[] = {
      {"good", 1, 6, "hello", 6, S_OK},
      {"huge length", 1, 0xFFFFFFF0u, "hello", 6, STG_E_READFAULT},
      {"length past the end", 1, 64, "hello", 6, STG_E_READFAULT},
      {"no terminator", 1, 5, "hello", 5, STG_E_DOCFILECORRUPT},
      {"newer revision", 2, 6, "hello", 6, E_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IStream* in = block(c.revision, c.length, c.bytes, c.n);
    IPersistStream* object = nullptr;
    HRESULT hr = OleLoadFromStream(in, IID_IPersistStream, reinterpret_cast<void**>(&object));
    EXPECT_EQ(c.hr, hr);
    if (SUCCEEDED(hr)) {
      ASSERT_NE(nullptr, object);
      // Saved again through OLE, the stream is byte for byte what was loaded.
      OCLStream out;
      ASSERT_EQ(S_OK, OleSaveToStream(object, out.stream()));
      OCLStream original(in);
      ASSERT_EQ(original.size(), out.size());
      std::vector<char> a(original.size()), b(out.size());
      original.seekTo(0);
      out.seekTo(0);
      original.read(a.data(), ULONG(a.size()));
      out.read(b.data(), ULONG(b.size()));
      EXPECT_EQ(a, b);
      object->Release();
    } else {
      EXPECT_STRNE("", OleResult::buf);
      // Wine's OleLoadFromStream hands the object over even when Load failed.
      if (object) object->Release();
    }
    in->Release();
  }
  EXPECT_EQ(0, serverCounts().live);
}
