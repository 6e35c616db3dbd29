// Where Print without an object writes while basicrun or a test runs Basic: one buffer
// for the process, laid out in character columns by the Print statement's rules
// (TextPrintable). A CapturedPrint marks where its span began; text() answers what was
// printed since.
#pragma once

#include <string>

#include "store/printlayout.h"

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

  class Sink : public TextPrintable {
   protected:
    void write(const char* text, size_t n) override { Buffer().append(text, n); }
  };

  size_t start_;
};
