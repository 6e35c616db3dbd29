// The layout rules of the Print statement, shared by every print target: how numbers
// read, where a print zone and a Tab column lie. A window measures in pixels with its
// font's average character width; a text target measures in character columns.
#pragma once

#include <cstddef>
#include <string>

#include "store/iinterobj.h"
#include "store/ovstore_api.h"

class OVSTORE_API PrintLayout {
 public:
  enum { kZoneChars = 14 };  // a print zone is this many average characters wide

  // A number as Print writes it: whole numbers in decimal, Single and Double "%g"-style.
  static std::string Text(short v);
  static std::string Text(long v);
  static std::string Text(float v);
  static std::string Text(double v);

  // The distance a zone separator moves from position x (x >= 0): to the next zone
  // boundary, a whole zone when x lies on one.
  static int ZoneAdvance(int x, int charWidth);
  // The position of Tab column n: columns count from 1, and 0 and 1 are the left edge.
  // A target left of the current position starts a new line first.
  static int TabTarget(int n, int charWidth);
};

// A print target that lays its output out in character columns, one column per
// character, and hands the text to write(): Print without a window.
class OVSTORE_API TextPrintable : public Printable {
 public:
  void Print(short v) override;
  void Print(long v) override;
  void Print(float v) override;
  void Print(double v) override;
  void Print(const char* text) override;
  void PrintSpace(int n) override;
  void PrintTab(int column) override;
  void PrintSeparator(PrintSepType sep) override;
  void PrintDone(PrintSepType sep) override;

  int column() const { return column_; }  // 0-based column of the current line

 protected:
  virtual void write(const char* text, size_t n) = 0;

 private:
  void put(const std::string& text);
  void newLine();

  int column_ = 0;
};
