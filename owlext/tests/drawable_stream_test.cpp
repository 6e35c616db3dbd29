// The drawable block on a memory stream: its bytes, a round trip, and damaged blocks
// refused with the surface unchanged.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "olecls/oclstream.h"
#include "owlext/drawable.h"
#include "surfacekit.h"

namespace {

using namespace surfacekit;
typedef std::vector<uint8_t> Bytes;

Bytes BytesOf(OCLStream& s) {
  ULONG n = s.size();
  Bytes b(n);
  s.seekTo(0);
  if (n) s.read(b.data(), n);
  return b;
}

void Load(TDrawable& d, const Bytes& b) {
  OCLStream s;
  if (!b.empty()) s.write(b.data(), (ULONG)b.size());
  s.seekTo(0);
  d.read(s, "Drawable");
}

// Pen dash, width 3, colour 0x112233; brush fill style 4 (hatched, hatch 2), colour
// 0x445566; inner lowered, outer raised, bevel 4, border 5, outlined; draw mode 7.
void Dress(TDrawable& d) {
  d.pdSetDrawStyle(PS_DOT);
  d.pdSetDrawWidth(3);
  d.pdSetDrawColor(0x112233);
  d.pdSetFillStyle(4);
  d.pdSetFillColor(0x445566);
  d.pdSetBevelInner(BOR_LOWERED);
  d.pdSetBevelOuter(BOR_RAISED);
  d.pdSetBevelWidth(4);
  d.pdSetBorderWidth(5);
  d.pdSetOutlined(-1);
  d.pdSetDrawMode(R2_XORPEN);
  d.imMoveTo(12.5f, 7);
}

const Bytes kGolden = {
    0x02, 0,    0,    0,    0x03, 0,    0,    0, 0x33, 0x22, 0x11, 0,  // pen: style, width, colour
    0x02, 0,    0,    0,    0x66, 0x55, 0x44, 0, 0x02, 0,    0,    0,  // brush: style, colour, hatch
    0x02, 0x03, 0x04, 0x05, 0x01,  // inner, outer, bevel, border, outlined
    0x07, 0,    0,    0,           // draw mode
};

TEST(DrawableStream, TheGoldenBytes) {
  OleInitialize(nullptr);
  MemSurface d(nullptr);
  Dress(d);
  OCLStream s;
  d.write(s);
  EXPECT_EQ(kGolden, BytesOf(s));
  EXPECT_EQ((size_t)TDrawable::kStreamBytes, kGolden.size());
  // A new surface's block.
  MemSurface fresh(nullptr);
  OCLStream s2;
  fresh.write(s2);
  const Bytes defaults = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,
                          0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 13, 0, 0, 0};
  EXPECT_EQ(defaults, BytesOf(s2));
}

TEST(DrawableStream, ARoundTripKeepsAllButThePosition) {
  MemSurface a(nullptr), b(nullptr);
  Dress(a);
  b.imMoveTo(3, 4);
  OCLStream s;
  a.write(s);
  s.seekTo(0);
  b.read(s);
  EXPECT_EQ(PS_DOT, b.pdGetDrawStyle());
  EXPECT_EQ(3, b.pdGetDrawWidth());
  EXPECT_EQ(0x112233, b.pdGetDrawColor());
  EXPECT_EQ(4, b.pdGetFillStyle());
  EXPECT_EQ(0x445566, b.pdGetFillColor());
  EXPECT_EQ(BOR_LOWERED, b.pdGetBevelInner());
  EXPECT_EQ(BOR_RAISED, b.pdGetBevelOuter());
  EXPECT_EQ(4, b.pdGetBevelWidth());
  EXPECT_EQ(5, b.pdGetBorderWidth());
  EXPECT_EQ(-1, b.pdGetOutlined());
  EXPECT_EQ(R2_XORPEN, b.pdGetDrawMode());
  // A surface made to load has its position at 0, 0; loading does not move one either.
  MemSurface c(nullptr);
  s.seekTo(0);
  c.read(s);
  EXPECT_EQ(0.0f, c.CurrentX);
  EXPECT_EQ(0.0f, c.CurrentY);
  EXPECT_EQ(3.0f, b.CurrentX);
  // Loading notifies nothing.
  EXPECT_EQ(0, c.changes[0]);
  EXPECT_EQ(0, c.changes[1]);
  Bytes again;
  OCLStream s2;
  c.write(s2);
  EXPECT_EQ(kGolden, BytesOf(s2));
}

TEST(DrawableStream, DamagedBlocksAreRefusedAndChangeNothing) {
  struct Case {
    const char* what;
    size_t offset;
    uint8_t value;
  };
  const Case cases[] = {
      {"pen style 7", 0, 7},  {"pen width negative", 7, 0x80}, {"brush style 3", 12, 3},
      {"hatch 6", 20, 6},     {"inner bevel 4", 24, 4},        {"outer bevel 200", 25, 200},
      {"draw mode 0", 29, 0}, {"draw mode 17", 29, 17},        {"draw mode huge", 32, 0x80},
  };
  for (const Case& c : cases) {
    MemSurface d(nullptr);
    d.pdSetDrawColor(0xABCDEF);
    d.pdSetBevelWidth(9);
    Bytes b = kGolden;
    b[c.offset] = c.value;
    ExpectRefused([&] { Load(d, b); }, kOwlExtLoadFailed, "Drawable");
    EXPECT_EQ(0xABCDEF, d.pdGetDrawColor()) << c.what;
    EXPECT_EQ(0, d.pdGetDrawStyle()) << c.what;
    EXPECT_EQ(9, d.pdGetBevelWidth()) << c.what;
    EXPECT_EQ(0, d.pdGetBevelInner()) << c.what;
    EXPECT_EQ(13, d.pdGetDrawMode()) << c.what;
  }
  // A block cut short: the stream's own failure, the surface unchanged.
  for (size_t n : {0, 5, 12, 24, 28, 32}) {
    MemSurface d(nullptr);
    d.pdSetDrawColor(0xABCDEF);
    Bytes b(kGolden.begin(), kGolden.begin() + n);
    EXPECT_THROW(Load(d, b), OCLStreamException) << n;
    EXPECT_EQ(0xABCDEF, d.pdGetDrawColor()) << n;
    EXPECT_EQ(0, d.pdGetFillStyle()) << n;
    EXPECT_EQ(13, d.pdGetDrawMode()) << n;
  }
}

}  // namespace
