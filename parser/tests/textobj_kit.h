// Helpers of the text object file tests: the store, the message boxes the reader and
// writer show (answered through the store's hook), files.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/objectstore.h"
#include "store/storeapp.h"

namespace textobj {

// OLE and the store, once per test program.
inline void SetUpStore() {
  static bool done = false;
  if (done) return;
  done = true;
  CoInitialize(nullptr);
  ObjectStore::Initialize();
}

struct Box {
  std::string caption, text;
  unsigned style;
};

// Records the store's message boxes while it lives and answers them from a script
// (IDYES, IDNO, ...; IDNO when the script is used up).
class Boxes {
 public:
  Boxes() : previous_(StoreApplication::SetMessageBoxHook(&Hook)) { current_ = this; }
  ~Boxes() {
    StoreApplication::SetMessageBoxHook(previous_);
    current_ = nullptr;
  }
  Boxes(const Boxes&) = delete;
  Boxes& operator=(const Boxes&) = delete;

  void Answer(int id) { script_.push_back(id); }
  const std::vector<Box>& Seen() const { return seen_; }

 private:
  static int Hook(const char* text, const char* caption, unsigned style) {
    Boxes* b = current_;
    if (!b) return IDNO;
    b->seen_.push_back(Box{caption ? caption : "", text ? text : "", style});
    if (b->script_.empty()) return IDNO;
    int id = b->script_.front();
    b->script_.pop_front();
    return id;
  }
  static inline Boxes* current_ = nullptr;
  StoreApplication::MessageBoxHook previous_;
  std::deque<int> script_;
  std::vector<Box> seen_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << text;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The sample files beside the tests.
inline std::string Sample(const std::string& name) { return std::string(OV_TEXTOBJ_DIR) + "/" + name; }

}  // namespace textobj
