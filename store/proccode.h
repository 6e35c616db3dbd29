// ProcCode: the compiled form a procedure, evaluable block or expression runs: its own
// copy of the identifier texts and block references of the parse, the arguments, and
// after link() the frame layout (slot count, how each slot starts) and the cells of
// static locals and constants.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "store/faultp.h"
#include "store/valuecell.h"

class ArrayField;
class BlockDynamicVector;
class BlockRep;
class ExprNode;
class Field;
class IdDynamicVector;
class RegCode;
class Value;

// How a frame slot starts.
struct SlotInfo {
  unsigned char type = 0;       // type code of the cell (array: element | 0x20)
  ArrayField* array = nullptr;  // declared array: the field with its dimensions
  int statik = -1;              // index of the persistent cell, or -1
  const char* name = "";
  bool byValue = false;  // an argument passed by value
};

class ProcCode {
 public:
  ProcCode(IdDynamicVector& ids, BlockDynamicVector* blocks);
  ~ProcCode();

  const char* idText(int index) const;
  BlockRep* block(int no) const;
  BlockRep* outer() const { return outer_; }

  // Links once (throws on a bad tree; a failed link is retried at the next run).
  void link(const std::vector<Field*>* args, Field* result, const char* procName);
  void linkExpr(ExprNode* node);
  bool linked() const { return linked_; }
  // Forget the link (the arguments changed); the next run links again.
  void invalidate() { linked_ = false; }
  int slotCount() const { return (int)slots_.size(); }
  const SlotInfo& slot(int i) const { return slots_[(size_t)i]; }
  int resultSlot() const { return resultSlot_; }
  int addSlot(const SlotInfo& info);
  // A persistent cell for a static local; answers its index.
  int addStatic(unsigned char type, ArrayField* array);
  ValueCell* staticCell(int i) { return statics_[(size_t)i].get(); }
  // A cell holding a constant's value for the life of the code.
  ValueCell* addConstant(Value* v);
  int lineAtOrAfter(int line) const;
  // The starting cells of a frame when every slot starts as a plain empty value (no
  // arrays, no statics): a frame then starts as one copy of these. Null otherwise.
  const ValueCell* frameTemplate() const { return plainFrame_ ? template_.data() : nullptr; }
  // A plain frame whose every slot is a number: its cells never hold counts, and need no
  // clearing when the frame goes.
  bool numericFrame() const { return numericFrame_; }
  // The typed code of the outer block (made when first run; RegCode::none() when the
  // trees run it).
  RegCode*& typed() { return typed_; }

 private:
  void makeTemplate();
  std::vector<std::string> ids_;
  std::vector<Faultp<BlockRep>> blocks_;
  BlockRep* outer_ = nullptr;
  std::vector<SlotInfo> slots_;
  std::vector<std::unique_ptr<ValueCell, void (*)(ValueCell*)>> statics_;
  std::vector<std::unique_ptr<ValueCell, void (*)(ValueCell*)>> constants_;
  std::vector<ValueCell> template_;
  bool plainFrame_ = false;
  bool numericFrame_ = false;
  int resultSlot_ = -1;
  bool linked_ = false;
  RegCode* typed_ = nullptr;
};

struct StackFrame;
// Runs code's body in frame f (typed when it compiles); errors carry f's line.
void RunProcBody(ProcCode* code, StackFrame& f);
