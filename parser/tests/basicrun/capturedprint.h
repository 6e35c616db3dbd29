// Where Print without an object writes while basicrun or a test runs Basic: one buffer
// for the process. Numbers are written in their plain text form (no sign column); ","
// writes a tab, the end of a statement without a trailing separator "\r\n". A
// CapturedPrint marks where its span began; text() answers what was printed since.
#pragma once

#include <cstdio>
#include <string>

#include "store/iinterobj.h"

class CapturedPrint {
public:
  CapturedPrint() : start_(Buffer().size()) {}
  std::string text() const { return Buffer().substr(start_); }

  static Printable& Target() {
    static Sink sink;
    return sink;
  }

private:
  static std::string& Buffer() {
    static std::string buffer;
    return buffer;
  }

  class Sink : public Printable {
  public:
    void Print(short v) override { Buffer() += std::to_string(v); }
    void Print(long v) override { Buffer() += std::to_string(v); }
    void Print(float v) override { Number(v, "%.7g"); }
    void Print(double v) override { Number(v, "%.15g"); }
    void Print(const char* text) override { Buffer() += text ? text : ""; }
    void PrintSpace(int n) override { Buffer().append(n > 0 ? (size_t)n : 0, ' '); }
    void PrintTab(int column) override {
      size_t lineStart = Buffer().rfind('\n');
      size_t col = Buffer().size() - (lineStart == std::string::npos ? 0 : lineStart + 1) + 1;
      if (column > (int)col) Buffer().append((size_t)column - col, ' ');
    }
    void PrintSeparator(PrintSepType sep) override {
      if (sep == PrintSepZone) Buffer() += "\t";
    }
    void PrintDone(PrintSepType sep) override {
      if (sep == PrintSepEndOfLine) Buffer() += "\r\n";
      else PrintSeparator(sep);
    }

  private:
    static void Number(double v, const char* format) {
      char text[40];
      std::snprintf(text, sizeof text, format, v);
      Buffer() += text;
    }
  };

  size_t start_;
};
