// Statement blocks.
//
// The parser fills a BlockBuildRep (declarations, then statements) and closes it into a
// BlockRep kept in the parse's BlockDynamicVector; the index there is the block number
// by which compound statements refer to their inner blocks (-1: none). Blocks own their
// nodes and declared fields.
//
// Declarations and where they live at run time:
//   addLocalVar        a local: a slot of the procedure's frame, initialised (0, "",
//                      Nothing, or the declared array) each time the procedure is entered;
//   addStaticLocalVar  a static local: one cell kept in the block across calls (shared by
//                      every object running the procedure); with the block flag 1
//                      (Static Sub/Function) every local of the block is static;
//   addConstVar        a constant: its value, read-only;
//   addStaticField     a property procedure or Declare made inside a procedure: callable
//                      by name within the block;
//   addArgumentVar     a variable bound by the enclosing construct (Catch variables).
// A name is resolved from the innermost block outwards, then the procedure's arguments,
// then the members of the current object, then the global objects; a name found nowhere
// is a NotFound error when it is used (there are no implicit variables).
// A second declaration of a name in the same block throws FieldCollision.
#pragma once

#include <vector>

#include "store/ovstore_api.h"
#include "store/counted.h"
#include "store/faultp.h"

class ExecNode;
class Field;
class Value;
class BlockRep;
struct StackFrame;
class LinkScope;
struct ValueCell;

enum BlockVarKind { BV_LOCAL = 0, BV_STATIC = 1, BV_CONST = 2, BV_FIELD = 3, BV_ARGUMENT = 4 };

struct BlockVar {
  Field* field;  // owned by the block
  int kind;      // BlockVarKind
  Value* value;  // constant value or static initial value (counted), or null
};

class OVSTORE_API BlockBuildRep : public CountedObject {
 public:
  explicit BlockBuildRep(int flag);
  ~BlockBuildRep() override;

  void addExecNode(ExecNode* node);
  void addLocalVar(Field* field);
  void addStaticLocalVar(Field* field, Value* init);
  void addConstVar(Field* field, Value* value);
  void addStaticField(Field* field);
  void addArgumentVar(Field* field);

  int flag() const { return flag_; }
  // Flag 1: every local of the block is static (a Static Sub's blocks).
  void setFlag(int flag) { flag_ = flag; }
  int line() const { return line_; }
  void setLine(int line) { line_ = line; }
  size_t nodeCount() const { return nodes_.size(); }
  size_t varCount() const { return vars_.size(); }

 private:
  friend class BlockRep;
  void addVar(Field* field, int kind, Value* value);
  int flag_;
  int line_ = 0;
  std::vector<ExecNode*> nodes_;
  std::vector<BlockVar> vars_;
};

class OVSTORE_API BlockRep : public CountedObject {
 public:
  // Takes the nodes and declarations of build (which is left empty).
  explicit BlockRep(BlockBuildRep& build);
  ~BlockRep() override;

  int flag() const { return flag_; }
  int line() const { return line_; }
  size_t nodeCount() const { return nodes_.size(); }
  ExecNode* node(size_t i) const { return nodes_[i]; }
  size_t varCount() const { return vars_.size(); }
  const BlockVar& var(size_t i) const { return vars_[i]; }
  // Index of the declaration of name (case-insensitive), or -1.
  int findVar(const char* name) const;

  // Runs the statements; answers the ExecResult that left the block.
  int exec(StackFrame& frame);
  // Resolves the names of the nodes; numbers this block's locals from scope's next slot.
  void link(LinkScope& scope);
  int lineAtOrAfter(int line) const;

  // After link: the frame slot of declaration i (-1: none), and the cell of a constant.
  int varSlot(size_t i) const { return i < varSlots_.size() ? varSlots_[i] : -1; }
  ValueCell* constCell(size_t i) const { return i < constCells_.size() ? constCells_[i] : nullptr; }

 private:
  int flag_;
  int line_;
  std::vector<ExecNode*> nodes_;
  std::vector<BlockVar> vars_;
  std::vector<int> varSlots_;
  std::vector<ValueCell*> constCells_;
};

// The blocks of one parse (or one procedure), by number.
class OVSTORE_API BlockDynamicVector {
 public:
  BlockDynamicVector();
  BlockDynamicVector(const BlockDynamicVector& other);
  BlockDynamicVector& operator=(const BlockDynamicVector& other);
  ~BlockDynamicVector();

  // Closes build into a BlockRep, appends it and answers its number; null gives -1.
  int close(BlockBuildRep* build);
  int append(BlockRep* block);
  BlockRep* at(int i) const;
  size_t entries() const { return blocks_.size(); }
  // Forgets every block (capacity kept).
  void clear();
  // Forgets every block and gives up the storage.
  void release();

 private:
  std::vector<Faultp<BlockRep>> blocks_;
};
