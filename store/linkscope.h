// LinkScope: name resolution while linking (innermost block first, then arguments, the
// function's result, then members and globals at run time).
#pragma once

#include <string>
#include <vector>

#include "proccode.h"

class BlockRep;
class Field;

// How a name was resolved.
enum Bind : unsigned char {
  BIND_NONE = 0,
  BIND_SLOT,   // argument, local, static or a function's result: frame.vars[slot]
  BIND_CONST,  // a constant: cache_ is its ValueCell
  BIND_TRUE,
  BIND_FALSE,
  BIND_FIELD,  // a field declared in a block (Declare, property): cache_ is the Field
  BIND_NAME,   // member of the current object, else a global object (run time)
};

class LinkScope {
 public:
  LinkScope(ProcCode& code, const std::vector<Field*>* args, Field* result, const char* procName);

  ProcCode& code() { return code_; }
  const char* idText(int index) const { return code_.idText(index); }
  // The block of number no (null for -1); asserts it exists.
  BlockRep* block(int no);
  void push(BlockRep* b) { chain_.push_back(b); }
  void pop() { chain_.pop_back(); }

  // Resolves a simple name: bind kind, slot and cache (constant cell or field).
  void resolve(int index, unsigned char& bind, int& slot, void*& cache);

 private:
  ProcCode& code_;
  const std::vector<Field*>* args_;
  Field* result_;
  std::string procName_;
  std::vector<BlockRep*> chain_;
};
