// Malformed control files: built once per fault (VBX_BAD names it), each of which the
// library must refuse at load without reading past its tables.
#include "vbx/vbxfile.h"

namespace {

[[maybe_unused]] LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

const char* const kTexts[] = {"One", "Two"};
const int32_t kBadArg[] = {9};
// A name with no terminator within the limit: the library must stop reading at it.
const char kLongName[] = "ThisPropertyNameIsFarLongerThanTheSixtyThreeBytesThatAControlFileMayUseForOneName";

#define P(name, type, flags, elements, count, texts, def) \
  { name, type, flags, elements, count, texts, def, 0, nullptr }

#if VBX_BAD == 3
const VbxPropDesc kProps[] = {P("Value", 99, 0, 0, 0, nullptr, 0)};  // unknown type code
#elif VBX_BAD == 4
const VbxPropDesc kProps[] = {P(nullptr, VBXT_SHORT, 0, 0, 0, nullptr, 0)};  // no name
#elif VBX_BAD == 6
const VbxPropDesc kProps[] = {P("Style", VBXT_ENUM, 0, 0, 2, nullptr, 0)};  // no texts
#elif VBX_BAD == 8
const VbxPropDesc kProps[] = {P(kLongName, VBXT_SHORT, 0, 0, 0, nullptr, 0)};
#elif VBX_BAD == 11
const VbxPropDesc kProps[] = {P("Names", VBXT_STRING, VBXPF_ARRAY, 4, 0, nullptr, 0)};  // strings
#elif VBX_BAD == 12
const VbxPropDesc kProps[] = {P("Style", VBXT_ENUM, 0, 0, 2, kTexts, 2)};  // default beyond
#elif VBX_BAD == 13
const VbxPropDesc kProps[] = {P("Value", VBXT_SHORT, 0, 0, 0, nullptr, 0),
                              P("value", VBXT_LONG, 0, 0, 0, nullptr, 0)};  // twice
#else
const VbxPropDesc kProps[] = {P("Value", VBXT_SHORT, 0, 0, 0, nullptr, 0)};
#endif

#if VBX_BAD == 7
const VbxEventDesc kEvents[] = {{"Odd", "X As Whatever", 1, kBadArg}};  // argument type 9
#else
const VbxEventDesc kEvents[] = {{"Click", "", 0, nullptr}};
#endif

#if VBX_BAD == 5
const int32_t kPropCount = 5000;  // far more than the table holds
#else
const int32_t kPropCount = int32_t(sizeof kProps / sizeof kProps[0]);
#endif

#if VBX_BAD == 9
const WNDPROC kProc = nullptr;
#else
const WNDPROC kProc = Proc;
#endif

const VbxClassDesc kClasses[] = {{"Bad", kPropCount, kProps, 1, kEvents, VBXM_REFRESH, kProc}};

#if VBX_BAD == 2
const VbxFileDesc kFile = {0x12345678, VBXFILE_VERSION, 1, kClasses};  // another magic
#else
const VbxFileDesc kFile = {VBXFILE_MAGIC, VBXFILE_VERSION, 1, kClasses};
#endif

}  // namespace

#if VBX_BAD != 1  // 1: no description function at all
extern "C" __declspec(dllexport) const VbxFileDesc* VBXAPI VbxDescribe(const VbxServices*) {
#if VBX_BAD == 10
  return nullptr;
#else
  return &kFile;
#endif
}
#else
extern "C" __declspec(dllexport) int VBXAPI SomethingElse(void) { return 0; }
#endif
