// Screen capture into RGB pixels and a minimal PNG writer (stored deflate blocks: the
// files are larger than they could be, but need no compression library).
#include <cstdio>
#include <cstring>

#include "testkit/testkit.h"

namespace testkit {

COLORREF Image::Pixel(int x, int y) const {
  const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
  return RGB(p[0], p[1], p[2]);
}

Image Capture(HWND window) {
  Image img;
  HDC src = window ? GetDC(window) : GetDC(nullptr);
  if (!src) return img;
  if (window) {
    RECT rc;
    GetClientRect(window, &rc);
    img.width = rc.right;
    img.height = rc.bottom;
  } else {
    img.width = GetDeviceCaps(src, HORZRES);
    img.height = GetDeviceCaps(src, VERTRES);
  }
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.width;
  bi.bmiHeader.biHeight = -img.height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(src);
  if (dib && mem) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, img.width, img.height, src, 0, 0, SRCCOPY);
    GdiFlush();
    img.rgb.resize(size_t(img.width) * img.height * 3);
    const unsigned char* s = static_cast<const unsigned char*>(bits);
    for (size_t i = 0, n = size_t(img.width) * img.height; i < n; ++i) {
      img.rgb[i * 3] = s[i * 4 + 2];
      img.rgb[i * 3 + 1] = s[i * 4 + 1];
      img.rgb[i * 3 + 2] = s[i * 4];
    }
    SelectObject(mem, old);
  } else {
    img.width = img.height = 0;
  }
  if (mem) DeleteDC(mem);
  if (dib) DeleteObject(dib);
  ReleaseDC(window, src);
  return img;
}

namespace {

unsigned crc32(const unsigned char* p, size_t n, unsigned crc = 0xFFFFFFFFu) {
  static unsigned table[256];
  if (!table[1])
    for (unsigned i = 0; i < 256; ++i) {
      unsigned c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

void put32(std::vector<unsigned char>& v, unsigned x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back((unsigned char)(x >> s));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  put32(out, unsigned(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc32(&out[start], out.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

bool SavePng(const Image& img, const std::string& path) {
  if (img.width <= 0 || img.height <= 0) return false;
  std::vector<unsigned char> raw;  // filter byte 0 + RGB row
  size_t row = size_t(img.width) * 3;
  for (int y = 0; y < img.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), img.rgb.begin() + y * row, img.rgb.begin() + (y + 1) * row);
  }
  std::vector<unsigned char> z = {0x78, 0x01};
  unsigned a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    size_t n = raw.size() - pos > 65535 ? 65535 : raw.size() - pos;
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
    if (last) break;
  }
  put32(z, (b << 16) | a);

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> ihdr;
  put32(ihdr, img.width);
  put32(ihdr, img.height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  chunk(png, "IHDR", ihdr);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace testkit
