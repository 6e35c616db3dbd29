// The second process of the clipboard round trips: reads what the test put on the OLE
// clipboard and answers with its exit code, one bit per check that failed (0: all
// passed). Each failure is also printed.
//
//   iwxferobj_peer text TEXT REGISTERED   text, a registered format's text, and no object
//                                         reference readable here
//   iwxferobj_peer shape                  an embedded test shape
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwxferobj.h"

namespace {

const char kRegistered[] = "Orvanel Clipboard Test Format";

int g_failed = 0;
void Check(bool ok, int bit, const char* what) {
  if (ok) return;
  g_failed |= bit;
  std::printf("peer: %s failed\n", what);
}

std::string TextOf(IDataObject* data, CLIPFORMAT cf) {
  FORMATETC f = {cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m = {};
  if (data->GetData(&f, &m) != S_OK) return "<none>";
  std::string s;
  if (m.tymed == TYMED_HGLOBAL)
    if (const char* at = static_cast<const char*>(GlobalLock(m.hGlobal))) {
      s.assign(at, strnlen(at, GlobalSize(m.hGlobal)));
      GlobalUnlock(m.hGlobal);
    }
  ReleaseStgMedium(&m);
  return s;
}

int ReadText(IDataObject* data, const char* text, const char* registered) {
  Check(TextOf(data, CF_TEXT) == text, 1, "text");
  Check(TextOf(data, ClipFormat::FormatFromName(kRegistered)) == registered, 2, "registered format");
  // The sender's object references are offered under the sender's process format: not
  // this process's, so nothing here can read them as references.
  FORMATETC own = ProcessFormat::s_fmt.format;
  Check(data->QueryGetData(&own) != S_OK, 4, "own process format not offered");
  bool foreign = false;
  IEnumFORMATETC* e = nullptr;
  if (data->EnumFormatEtc(DATADIR_GET, &e) == S_OK && e) {
    FORMATETC f;
    while (e->Next(1, &f, nullptr) == S_OK) {
      char name[80];
      ClipFormat::NameFromFormat(f.cfFormat, name, sizeof name);
      if (std::strncmp(name, "Process #", 9) == 0) foreign = f.cfFormat != own.cfFormat;
      if (f.ptd) CoTaskMemFree(f.ptd);
    }
    e->Release();
  }
  Check(foreign, 8, "the sender's process format listed under its own name");
  // A copy made here offers no reference either, yet the text.
  // Called as any receiver calls it: through the interface (a call bound directly to
  // the class's member would need the member's decorated name, which the 32-bit DLL
  // exports plain).
  IDataObject* copy = new IWXferObj(data);
  asm volatile("" : "+r"(copy));
  Check(copy->QueryGetData(&own) != S_OK, 16, "copy offers no object reference");
  Check(TextOf(copy, CF_TEXT) == text, 32, "copy's text");
  copy->Release();
  return g_failed;
}

int ReadShape(IDataObject* data) {
  FORMATETC eo = CfEmbeddedObject::s_fmt.format;
  STGMEDIUM m = {};
  HRESULT hr = data->GetData(&eo, &m);
  Check(hr == S_OK && m.tymed == TYMED_ISTORAGE, 1, "embedded object");
  if (hr != S_OK) return g_failed;
  CLSID clsid = CLSID_NULL;
  ReadClassStg(m.pstg, &clsid);
  static const CLSID shape = {0x7D3A1C52, 0x9E4B, 0x4C2A, {0x8F, 0x61, 0x3B, 0x5E, 0x2A, 0x7C, 0x9D, 0x01}};
  Check(IsEqualCLSID(clsid, shape), 2, "the shape's class");
  IStream* stm = nullptr;
  DWORD magic = 0;
  if (m.pstg->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stm) == S_OK) {
    stm->Read(&magic, sizeof magic, nullptr);
    stm->Release();
  }
  Check(magic == 0x5048534F, 4, "the shape's contents");
  ReleaseStgMedium(&m);
  FORMATETC od = CfObjectDescriptor::s_fmt.format;
  Check(data->QueryGetData(&od) == S_OK, 8, "object descriptor offered");
  return g_failed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  if (FAILED(OleInitialize(nullptr))) return 101;
  IDataObject* data = nullptr;
  if (OleGetClipboard(&data) != S_OK || !data) return 102;
  int rc = 103;
  if (std::strcmp(argv[1], "text") == 0 && argc == 4)
    rc = ReadText(data, argv[2], argv[3]);
  else if (std::strcmp(argv[1], "shape") == 0)
    rc = ReadShape(data);
  data->Release();
  OleUninitialize();
  return rc;
}
