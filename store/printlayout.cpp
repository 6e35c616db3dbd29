// The Print statement's layout rules and the character-column print target.
#include "store/printlayout.h"

#include <cstdio>

std::string PrintLayout::Text(short v) { return std::to_string(v); }

std::string PrintLayout::Text(long v) { return std::to_string(v); }

std::string PrintLayout::Text(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", (double)v);
  return text;
}

std::string PrintLayout::Text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

int PrintLayout::ZoneAdvance(int x, int charWidth) {
  int zone = kZoneChars * (charWidth > 0 ? charWidth : 1);
  if (x < 0) x = 0;
  return zone - x % zone;
}

int PrintLayout::TabTarget(int n, int charWidth) { return (n > 1 ? n - 1 : 0) * charWidth; }

void TextPrintable::Print(short v) { put(PrintLayout::Text(v)); }
void TextPrintable::Print(long v) { put(PrintLayout::Text(v)); }
void TextPrintable::Print(float v) { put(PrintLayout::Text(v)); }
void TextPrintable::Print(double v) { put(PrintLayout::Text(v)); }
void TextPrintable::Print(const char* text) {
  if (text && *text) put(text);
}

void TextPrintable::PrintSpace(int n) {
  if (n > 0) put(std::string((size_t)n, ' '));
}

void TextPrintable::PrintTab(int column) {
  int target = PrintLayout::TabTarget(column, 1);
  if (target < column_) newLine();
  if (target > column_) put(std::string((size_t)(target - column_), ' '));
}

void TextPrintable::PrintSeparator(PrintSepType sep) {
  if (sep == PrintSepZone) put(std::string((size_t)PrintLayout::ZoneAdvance(column_, 1), ' '));
}

void TextPrintable::PrintDone(PrintSepType sep) {
  if (sep == PrintSepEndOfLine)
    newLine();
  else
    PrintSeparator(sep);
}

void TextPrintable::put(const std::string& text) {
  write(text.data(), text.size());
  size_t nl = text.rfind('\n');
  column_ = (int)(nl == std::string::npos ? column_ + text.size() : text.size() - nl - 1);
}

void TextPrintable::newLine() {
  write("\r\n", 2);
  column_ = 0;
}
