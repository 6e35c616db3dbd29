// TDib: a device-independent bitmap kept as one packed block (BITMAPINFOHEADER, colour
// table, bits) in a movable global memory object, as the clipboard and OLE pass it.
// Loaded from a .bmp file or a bitmap resource, adopted from an HGLOBAL, or made from a
// bitmap; written back with WriteFile.
#pragma once

#include "gdiobjects.h"

class OVGUI1_API TDib {
 public:
  explicit TDib(const char* fileName);                          // throws TXGdi when unreadable
  TDib(HINSTANCE instance, const char* resId);                  // a BITMAP resource
  TDib(HGLOBAL handle, TAutoDelete autoDelete = NoAutoDelete);  // adopts a packed DIB
  TDib(int width, int height, int numColors, uint16_t usage = DIB_RGB_COLORS);  // blank
  TDib(const TBitmap& bitmap, const TPalette* palette = nullptr);
  TDib(const TDib& other);
  TDib& operator=(const TDib&) = delete;
  ~TDib();

  bool IsOK() const { return info_ != nullptr; }
  operator HGLOBAL() const { return handle_; }
  HGLOBAL GetHandle() const { return handle_; }
  bool WriteFile(const char* fileName) const;

  const BITMAPINFO* GetInfo() const { return info_; }
  BITMAPINFO* GetInfo() { return info_; }
  const BITMAPINFOHEADER* GetInfoHeader() const { return &info_->bmiHeader; }
  RGBQUAD* GetColors() const { return info_->bmiColors; }
  const void* GetBits() const { return bits_; }
  void* GetBits() { return bits_; }
  int Width() const { return info_->bmiHeader.biWidth; }
  int Height() const;  // positive for bottom-up and top-down DIBs
  TSize Size() const { return TSize(Width(), Height()); }
  uint16_t BitsPixel() const { return info_->bmiHeader.biBitCount; }
  uint NumColors() const { return numColors_; }
  uint16_t Usage() const { return usage_; }
  uint32_t SizeImage() const;  // bytes of the bits
  TColor GetColor(int index) const;
  void SetColor(int index, TColor color);

 private:
  void Lock();
  void Adopt(HGLOBAL handle, bool own);
  void InitFromPacked(const void* packed, size_t size);

  HGLOBAL handle_ = nullptr;
  bool owned_ = true;
  BITMAPINFO* info_ = nullptr;
  void* bits_ = nullptr;
  uint numColors_ = 0;
  uint16_t usage_ = DIB_RGB_COLORS;
};
