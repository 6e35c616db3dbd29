// The published "Font": points and heights, the realised font against the stored
// description, the windows refreshed when a font is replaced, the stream block and the
// text unload.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwfont.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "iwwindow_kit.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

namespace {

using namespace windowkit;

InterObjRep* FontPrototype() {
  WindowPrototype();
  return ObjectStore::find("Font");
}

// A named Font object of the test module (kept for the process).
InterObjRep* NewFont(const char* name) {
  InterObjRep* proto = FontPrototype();
  OpenModuleResource open(TestModule());
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj f(proto, name, 0);
  kept->push_back(f);
  return f.get();
}

// A Font under a name of its own (name and a number).
IWFont* NewNative(const char* name) {
  static int n = 0;
  std::string unique = std::string(name) + std::to_string(++n);
  return IWFont::Native(NewFont(unique.c_str()));
}

Bytes Save(IInterObj& o) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  o.PO_Save(s, 1);
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  s->Seek(zero, STREAM_SEEK_CUR, &end);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b((size_t)end.QuadPart);
  ULONG n = 0;
  if (!b.empty()) s->Read(b.data(), (ULONG)b.size(), &n);
  s->Release();
  return b;
}

void Load(IInterObj& o, const Bytes& b) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  try {
    o.PO_Load(s);
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
}

LOGFONTA Described(HFONT f) {
  LOGFONTA lf = {};
  GetObjectA(f, sizeof lf, &lf);
  return lf;
}

TEST(Font, PublishedInItsRow) {
  InterObjRep* proto = FontPrototype();
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Font", proto->progId());
  EXPECT_EQ(nullptr, proto->parent());
  EXPECT_EQ(proto, IWFont::PO_GetObject());
  EXPECT_STREQ("Font", DllInstance::Row(kOviui1Font).name);
  for (const char* name :
       {"FaceName", "Size", "Bold", "Italic", "Strikethru", "Underline", "HFont", "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(name)) << name;
}

// Points to lfHeight and back at the screen's resolution: what is set reads back.
TEST(Font, PointsAndHeights) {
  NewFont("Probe");
  const int twips = IWScreen::TwipsPerPixelY();
  struct Case {
    float points;
    long height96, height120;  // 15 and 12 twips per pixel
  } cases[] = {
      {8, -11, -13},  {9, -12, -15},  {10, -13, -17}, {11, -15, -18},
      {12, -16, -20}, {14, -19, -23}, {18, -24, -30}, {24, -32, -40},
  };
  if (twips != 15 && twips != 12) GTEST_SKIP() << "screen at " << twips << " twips per pixel";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    long want = twips == 15 ? c.height96 : c.height120;
    EXPECT_EQ(want, IWFont::PointsToHeight(c.points));
    EXPECT_EQ(c.points, IWFont::HeightToPoints(want));
    IWFont* f = NewNative("Sized");
    f->pdSetSize(c.points);
    EXPECT_EQ(want, Described(f->pdGetHFont()).lfHeight);
    EXPECT_EQ(c.points, f->pdGetSize());  // 10 reads back 10, not 9
    EXPECT_EQ(c.points, f->storedSize());
  }
}

TEST(Font, NewFontReadsTheSystemFontAndTheFirstSetterStartsFromIt) {
  LOGFONTA sys = {};
  ASSERT_TRUE(GetObjectA(GetStockObject(SYSTEM_FONT), sizeof sys, &sys));
  IWFont* f = NewNative("Fresh");
  EXPECT_EQ(sys.lfFaceName, ValString(f->pdGetFaceName()).str());
  EXPECT_EQ(sys.lfWeight > 500 ? -1 : 0, f->pdGetBold());
  EXPECT_EQ("", std::string(f->storedFaceName()));
  f->pdSetItalic(1);
  EXPECT_EQ(sys.lfFaceName, ValString(f->pdGetFaceName()).str());
  EXPECT_EQ(-1, f->pdGetItalic());
  EXPECT_EQ(IWFont::kItalic, f->styleFlags());
}

TEST(Font, NegativeSizeGivesACellHeight) {
  IWFont* f = NewNative("Cell");
  f->pdSetSize(-12);
  EXPECT_EQ(12.0f, f->storedSize());
  EXPECT_EQ(IWFont::PointsToHeight(-12), Described(f->pdGetHFont()).lfHeight);
  EXPECT_LT(0, Described(f->pdGetHFont()).lfHeight);
}

TEST(Font, BadValuesRaiseTheArgumentErrorAndChangeNothing) {
  IWFont* f = NewNative("Bad");
  f->pdSetSize(10);
  for (float bad : {1e30f, -1e30f, HUGE_VALF, NAN}) {
    try {
      f->pdSetSize(bad);
      ADD_FAILURE() << bad << " taken";
    } catch (const StoreException& e) {
      EXPECT_EQ((unsigned)kMsgInvalidArgument, e.id());
      EXPECT_NE(std::string::npos, std::string(e.what()).find("Size")) << e.what();
    }
    EXPECT_EQ(10.0f, f->storedSize());
  }
  // A null face name changes nothing.
  f->pdSetFaceName("Arial");
  HFONT before = f->pdGetHFont();
  f->pdSetFaceName(nullptr);
  EXPECT_STREQ("Arial", f->storedFaceName());
  EXPECT_EQ(before, f->pdGetHFont());
}

TEST(Font, LongFaceNameKeepsItsFirst31Characters) {
  const std::string name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  ASSERT_EQ(40u, name40.size());
  IWFont* f = NewNative("Long");
  f->pdSetFaceName(name40.c_str());
  EXPECT_EQ(name40.substr(0, 31), f->storedFaceName());
  EXPECT_EQ(name40.substr(0, 31), Described(f->pdGetHFont()).lfFaceName);
  LOGFONTA in = {};
  std::memcpy(in.lfFaceName, name40.c_str(), LF_FACESIZE);  // 32 bytes, no terminator
  in.lfHeight = -13;
  f->ModifyFont(in);
  EXPECT_EQ(name40.substr(0, 31), f->storedFaceName());
}

TEST(Font, ModifyFontTakesTheWholeDescription) {
  struct Case {
    LONG weight;
    BYTE italic, strike, underline;
    uint8_t flags;
    long bold;
  } cases[] = {
      {500, 0, 0, 0, 0, 0},
      {501, 0, 0, 0, IWFont::kBold, -1},
      {400, 1, 0, 1, IWFont::kItalic | IWFont::kUnderline, 0},
      {700, 0, 1, 0, IWFont::kBold | IWFont::kStrikethru, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weight);
    IWFont* f = NewNative("Modified");
    LOGFONTA in = {};
    std::strcpy(in.lfFaceName, "Courier New");
    in.lfHeight = -16;
    in.lfWeight = c.weight;
    in.lfItalic = c.italic;
    in.lfStrikeOut = c.strike;
    in.lfUnderline = c.underline;
    in.lfCharSet = ANSI_CHARSET;
    f->ModifyFont(in);
    EXPECT_EQ(c.flags, f->styleFlags());
    EXPECT_EQ(c.bold, f->pdGetBold());
    EXPECT_STREQ("Courier New", f->storedFaceName());
    EXPECT_EQ(IWFont::HeightToPoints(-16), f->storedSize());
    LOGFONTA out = {};
    f->DescribeFont(out);
    EXPECT_EQ(c.weight, out.lfWeight);
    EXPECT_EQ(-16, out.lfHeight);
  }
}

// The stored-description query never keeps what an earlier query of another font left
// in the shared buffer.
TEST(Font, StoredDescriptionStartsFromAClearedBuffer) {
  IWFont* a = NewNative("Symbolic");
  LOGFONTA in = {};
  std::strcpy(in.lfFaceName, "Symbol");
  in.lfHeight = -16;
  in.lfCharSet = SYMBOL_CHARSET;
  in.lfEscapement = 900;
  in.lfQuality = ANTIALIASED_QUALITY;
  a->ModifyFont(in);
  LOGFONTA* realised = static_cast<LOGFONTA*>(a->GetFontDatum(IWFont::kDatumLogFont));
  ASSERT_NE(nullptr, realised);
  ASSERT_EQ(SYMBOL_CHARSET, realised->lfCharSet);

  IWFont* b = NewNative("Plain");
  b->pdSetFaceName("Arial");
  LOGFONTA* stored = static_cast<LOGFONTA*>(b->GetFontDatum(IWFont::kDatumStored));
  EXPECT_EQ(0, stored->lfCharSet);
  EXPECT_EQ(0, stored->lfEscapement);
  EXPECT_EQ(0, stored->lfQuality);
  EXPECT_STREQ("Arial", stored->lfFaceName);
  EXPECT_EQ(nullptr, b->GetFontDatum(8));
}

TEST(Font, CloneCopiesTheStoredDescription) {
  IWFont* a = NewNative("Original");
  a->pdSetFaceName("Arial");
  a->pdSetSize(14);
  a->pdSetUnderline(1);
  IWFont* b = NewNative("Copy");
  b->clone(*a);
  EXPECT_STREQ("Arial", b->storedFaceName());
  EXPECT_EQ(14.0f, b->storedSize());
  EXPECT_EQ(IWFont::kUnderline, b->styleFlags());
  EXPECT_EQ(1, Described(b->pdGetHFont()).lfUnderline);
  EXPECT_STREQ("Arial", Described(b->pdGetHFont()).lfFaceName);
}

// ---- stream ----

Bytes Golden(uint8_t revision, uint8_t style, const char* face, float size) {
  char name[32] = {};
  std::strncpy(name, face, 31);
  uint8_t raw[4];
  std::memcpy(raw, &size, 4);
  Bytes b;
  b.reserve(38);
  b.push_back(revision);
  b.push_back(style);
  for (char ch : name) b.push_back((uint8_t)ch);
  for (uint8_t r : raw) b.push_back(r);
  return b;
}

TEST(FontStream, RoundTripKeepsUnderlineAndANonBoldFont) {
  IWFont* f = NewNative("Streamed");
  f->pdSetFaceName("Arial");
  f->pdSetSize(10);
  f->pdSetUnderline(1);
  Bytes saved = Save(*f);
  EXPECT_EQ(Golden(1, IWFont::kUnderline, "Arial", 10), saved);
  ASSERT_EQ(38u, saved.size());

  IWFont* g = NewNative("Loaded");
  Load(*g, saved);
  EXPECT_EQ(IWFont::kUnderline, g->styleFlags());
  EXPECT_STREQ("Arial", g->storedFaceName());
  EXPECT_EQ(10.0f, g->storedSize());
  g->pdGetHFont();  // realised from the description on first use
  EXPECT_EQ(0, g->pdGetBold());
  EXPECT_EQ(-1, g->pdGetUnderline());
  EXPECT_EQ(saved, Save(*g));
}

TEST(FontStream, DamagedBlocksFailAndChangeNothing) {
  IWFont* f = NewNative("Damaged");
  Load(*f, Golden(1, IWFont::kItalic, "Arial", 12));
  Bytes noTerminator = Golden(1, 0, "", 10);
  for (int i = 2; i < 34; ++i) noTerminator[i] = 'x';
  float nan = NAN;
  Bytes notANumber = Golden(1, 0, "Arial", 10);
  std::memcpy(&notANumber[34], &nan, 4);
  Bytes shortBlock = Golden(1, 0, "Arial", 10);
  shortBlock.resize(20);
  struct Case {
    const char* what;
    Bytes block;
  } cases[] = {
      {"revision 2", Golden(2, 0, "Arial", 10)},
      {"an unknown style bit", Golden(1, 0x10, "Arial", 10)},
      {"a name without its terminator", noTerminator},
      {"a negative size", Golden(1, 0, "Arial", -3)},
      {"a size that is not a number", notANumber},
      {"cut short", shortBlock},
      {"empty", Bytes()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Load(*f, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("Font")) << e.what();
    }
    EXPECT_EQ(IWFont::kItalic, f->styleFlags());
    EXPECT_STREQ("Arial", f->storedFaceName());
    EXPECT_EQ(12.0f, f->storedSize());
  }
}

// ---- text unload ----

TEST(FontText, UnloadWritesTheStoredDescriptionAndLoadsBack) {
  IWFont* f = NewNative("Texted");
  // Nothing realised: the system font may be bold, the description is not.
  Load(*f, Golden(1, IWFont::kUnderline | IWFont::kStrikethru, "Arial", 10));
  ValString text("");
  EXPECT_EQ(-1, f->imTextUnload("  ", &text));
  EXPECT_EQ(
      "  .FaceName := \"Arial\"\n"
      "  .Size := 10.000000\n"
      "  .Bold := False\n"
      "  .Italic := False\n"
      "  .Strikethru := True\n"
      "  .Underline := True\n",
      text.str());

  NewFont("TextedBack");
  RunBasic("With TextedBack\n" + text.str() + "End With");
  IWFont* g = IWFont::Native(ObjectStore::find("TextedBack"));
  ASSERT_NE(nullptr, g);
  EXPECT_EQ(f->styleFlags(), g->styleFlags());
  EXPECT_STREQ("Arial", g->storedFaceName());
  EXPECT_EQ(10.0f, g->storedSize());
  EXPECT_EQ(0, g->pdGetBold());
  EXPECT_EQ(-1, g->pdGetUnderline());
}

// ---- windows showing a font ----

// Keeps WM_SETFONT's font for WM_GETFONT, as the system's controls do.
std::map<HWND, std::pair<WNDPROC, HFONT>>& Kept() {
  static std::map<HWND, std::pair<WNDPROC, HFONT>> m;
  return m;
}

LRESULT CALLBACK KeepFont(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto& k = Kept()[h];
  if (msg == WM_SETFONT) {
    k.second = (HFONT)w;
    return 0;
  }
  if (msg == WM_GETFONT) return (LRESULT)k.second;
  return CallWindowProcA(k.first, h, msg, w, l);
}

IWWindow* FontWindow(const char* name, TWindow* holder) {
  IWWindow* w = IWWindow::Native(NewWindow(name));
  w->Attr.Style = WS_CHILD | WS_VISIBLE;
  w->SetParent(holder);
  w->Create();
  Kept()[w->HWindow].first = (WNDPROC)SetWindowLongPtrA(w->HWindow, GWLP_WNDPROC, (LONG_PTR)&KeepFont);
  return w;
}

HFONT Shown(IWWindow* w) { return (HFONT)SendMessageA(w->HWindow, WM_GETFONT, 0, 0); }

TEST(FontWindows, ChangingAFontRefreshesExactlyTheWindowsShowingIt) {
  TestApp();
  HiddenParent holder;
  InterObjRep* fontObj = NewFont("Shared");
  IWFont* font = IWFont::Native(fontObj);
  font->pdSetFaceName("Arial");
  IWWindow* a = FontWindow("ShowsShared", holder.window());
  IWWindow* b = FontWindow("AlsoShared", holder.window());
  IWWindow* c = FontWindow("ShowsOther", holder.window());
  IWWindow* d = FontWindow("NoFont", holder.window());
  a->pdSetFont(fontObj);
  b->pdSetFont(fontObj);
  c->pdSetFont(fontObj);
  HFONT old = font->pdGetHFont();
  EXPECT_EQ(old, Shown(a));
  EXPECT_EQ(fontObj, a->pdGetFont());
  EXPECT_EQ(old, a->GetEffectiveFont());
  // c has been given another font since: it does not show the old handle.
  HFONT stock = (HFONT)GetStockObject(ANSI_FIXED_FONT);
  SendMessageA(c->HWindow, WM_SETFONT, (WPARAM)stock, 0);
  SendMessageA(d->HWindow, WM_SETFONT, (WPARAM)stock, 0);

  font->pdSetBold(1);
  HFONT now = font->pdGetHFont();
  ASSERT_NE(old, now);
  EXPECT_EQ(now, Shown(a));
  EXPECT_EQ(now, Shown(b));
  EXPECT_EQ(stock, Shown(c));
  EXPECT_EQ(stock, Shown(d));
  EXPECT_EQ(FW_BOLD, Described(Shown(a)).lfWeight);

  // Every setter refreshes.
  font->pdSetSize(14);
  EXPECT_EQ(font->pdGetHFont(), Shown(a));
  EXPECT_EQ(IWFont::PointsToHeight(14), Described(Shown(b)).lfHeight);
  // Nothing and an object that is not a font.
  a->pdSetFont(nullptr);
  EXPECT_EQ(nullptr, a->pdGetFont());
  EXPECT_EQ(nullptr, Shown(a));
}

}  // namespace
