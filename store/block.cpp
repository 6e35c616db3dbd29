// Blocks: building, closing, linking names to frame slots, and running statements.
#include "store/block.h"

#include <cstring>
#include <strings.h>

#include "interp.h"
#include "store/field.h"
#include "store/field_array.h"
#include "store/idstring.h"
#include "store/value.h"
#include "utils/xexception.h"

// --- BlockBuildRep ---------------------------------------------------------------------

BlockBuildRep::BlockBuildRep(int flag) : flag_(flag) {}

BlockBuildRep::~BlockBuildRep() {
  for (ExecNode* n : nodes_) delete n;
  for (BlockVar& v : vars_) {
    delete v.field;
    if (v.value) v.value->unref();
  }
}

void BlockBuildRep::addExecNode(ExecNode* node) {
  UTILS_ASSERT(node);
  nodes_.push_back(node);
}

void BlockBuildRep::addVar(Field* field, int kind, Value* value) {
  UTILS_ASSERT(field);
  for (const BlockVar& v : vars_) {
    if (strcasecmp(v.field->name(), field->name()) == 0) {
      delete field;
      if (value) {
        value->ref();
        value->unref();
      }
      throw CollisionOnSelf(v.field->name());
    }
  }
  if (value) value->ref();
  vars_.push_back(BlockVar{field, kind, value});
}

void BlockBuildRep::addLocalVar(Field* field) { addVar(field, BV_LOCAL, nullptr); }
void BlockBuildRep::addStaticLocalVar(Field* field, Value* init) { addVar(field, BV_STATIC, init); }
void BlockBuildRep::addConstVar(Field* field, Value* value) { addVar(field, BV_CONST, value); }
void BlockBuildRep::addStaticField(Field* field) { addVar(field, BV_FIELD, nullptr); }
void BlockBuildRep::addArgumentVar(Field* field) { addVar(field, BV_ARGUMENT, nullptr); }

// --- BlockRep ----------------------------------------------------------------------------

BlockRep::BlockRep(BlockBuildRep& build) : flag_(build.flag_), line_(build.line_) {
  nodes_.swap(build.nodes_);
  vars_.swap(build.vars_);
}

BlockRep::~BlockRep() {
  for (ExecNode* n : nodes_) delete n;
  for (BlockVar& v : vars_) {
    delete v.field;
    if (v.value) v.value->unref();
  }
}

int BlockRep::findVar(const char* name) const {
  for (size_t i = 0; i < vars_.size(); ++i)
    if (strcasecmp(vars_[i].field->name(), name) == 0) return (int)i;
  return -1;
}

int BlockRep::exec(StackFrame& frame) {
  ExecNode* const* p = nodes_.data();
  const size_t n = nodes_.size();
  for (size_t i = 0; i < n; ++i) {
    ExecNode* node = p[i];
    frame.line = node->line();
    ExecPoll();
    if (g_execHookFlags) ExecHookStatement(frame, frame.line);
    int r = node->exec(frame);
    if (r != EXEC_NEXT) return r;
  }
  return EXEC_NEXT;
}

void BlockRep::link(LinkScope& scope) {
  ProcCode& code = scope.code();
  varSlots_.assign(vars_.size(), -1);
  constCells_.assign(vars_.size(), nullptr);
  for (size_t i = 0; i < vars_.size(); ++i) {
    BlockVar& v = vars_[i];
    unsigned char type = FieldCellType(v.field);
    ArrayField* array = v.field->isArrayData() ? static_cast<ArrayField*>(v.field) : nullptr;
    SlotInfo info;
    info.type = type;
    info.array = array;
    info.name = v.field->name();
    switch (v.kind) {
      case BV_LOCAL:
        if (flag_ & 1) info.statik = code.addStatic(type, array);
        varSlots_[i] = code.addSlot(info);
        break;
      case BV_STATIC:
        info.statik = code.addStatic(type, array);
        if (v.value) {
          ValueCellVar init;
          CellFromValue(init.c, v.value);
          CellStore(*code.staticCell(info.statik), init.c);
        }
        varSlots_[i] = code.addSlot(info);
        break;
      case BV_ARGUMENT:
        info.array = nullptr;
        varSlots_[i] = code.addSlot(info);
        break;
      case BV_CONST:
        constCells_[i] = code.addConstant(v.value);
        break;
      default:
        break;
    }
  }
  scope.push(this);
  for (ExecNode* n : nodes_) n->link(scope);
  scope.pop();
}

int BlockRep::lineAtOrAfter(int line) const {
  int best = -1;
  for (ExecNode* n : nodes_) {
    int l = n->lineAtOrAfter(line);
    if (l >= 0 && (best < 0 || l < best)) best = l;
  }
  return best;
}

// --- BlockDynamicVector ------------------------------------------------------------------

BlockDynamicVector::BlockDynamicVector() { blocks_.reserve(8); }
BlockDynamicVector::BlockDynamicVector(const BlockDynamicVector& other) : blocks_(other.blocks_) {}
BlockDynamicVector& BlockDynamicVector::operator=(const BlockDynamicVector& other) {
  blocks_ = other.blocks_;
  return *this;
}
BlockDynamicVector::~BlockDynamicVector() {}

int BlockDynamicVector::close(BlockBuildRep* build) {
  if (!build) return -1;
  return append(new BlockRep(*build));
}

int BlockDynamicVector::append(BlockRep* block) {
  blocks_.push_back(Faultp<BlockRep>(block, tPrimaryReference));
  return (int)blocks_.size() - 1;
}

BlockRep* BlockDynamicVector::at(int i) const {
  if (i < 0 || (size_t)i >= blocks_.size()) return nullptr;
  return blocks_[(size_t)i].get();
}

void BlockDynamicVector::clear() { blocks_.clear(); }

void BlockDynamicVector::release() {
  blocks_.clear();
  blocks_.shrink_to_fit();
}
