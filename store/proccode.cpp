// ProcCode: the compiled form of a procedure, evaluable block or expression.
#include "proccode.h"

#include "regcode.h"

#include "interp.h"
#include "store/block.h"
#include "store/field.h"
#include "store/idstring.h"
#include "store/value.h"

namespace {

void FreeCell(ValueCell* c) {
  c->clear();
  delete c;
}

}  // namespace

ProcCode::ProcCode(IdDynamicVector& ids, BlockDynamicVector* blocks) {
  ids_.reserve((size_t)ids.entries());
  for (int i = 0; i < ids.entries(); ++i) ids_.push_back(ids.text(i));
  if (blocks) {
    for (size_t i = 0; i < blocks->entries(); ++i)
      blocks_.push_back(Faultp<BlockRep>(blocks->at((int)i), tIndirectReference));
    if (!blocks_.empty()) outer_ = blocks_.back().get();
  }
}

ProcCode::~ProcCode() { RegCode::reset(typed_); }

const char* ProcCode::idText(int index) const {
  if (index < 0 || (size_t)index >= ids_.size()) return "";
  return ids_[(size_t)index].c_str();
}

BlockRep* ProcCode::block(int no) const {
  if (no < 0 || (size_t)no >= blocks_.size()) return nullptr;
  return blocks_[(size_t)no].get();
}

int ProcCode::addSlot(const SlotInfo& info) {
  slots_.push_back(info);
  return (int)slots_.size() - 1;
}

int ProcCode::addStatic(unsigned char type, ArrayField* array) {
  ValueCell* c = new ValueCell;
  c->init();
  statics_.emplace_back(c, FreeCell);
  CellInitType(*c, type, array);
  return (int)statics_.size() - 1;
}

ValueCell* ProcCode::addConstant(Value* v) {
  ValueCell* c = new ValueCell;
  c->init();
  constants_.emplace_back(c, FreeCell);
  CellFromValue(*c, v);
  return c;
}

void ProcCode::link(const std::vector<Field*>* args, Field* result, const char* procName) {
  if (linked_) return;
  RegCode::reset(typed_);
  slots_.clear();
  statics_.clear();
  constants_.clear();
  resultSlot_ = -1;
  LinkScope scope(*this, args, result, procName);
  if (args) {
    for (Field* a : *args) {
      SlotInfo info;
      info.type = FieldCellType(a);
      info.name = a->name();
      info.byValue = FieldByValue(a);
      addSlot(info);
    }
  }
  if (result) {
    SlotInfo info;
    info.type = FieldCellType(result);
    info.name = procName ? procName : "";
    resultSlot_ = addSlot(info);
  }
  if (outer_) outer_->link(scope);
  makeTemplate();
  linked_ = true;
}

void ProcCode::linkExpr(ExprNode* node) {
  if (linked_) return;
  RegCode::reset(typed_);
  LinkScope scope(*this, nullptr, nullptr, nullptr);
  node->link(scope);
  makeTemplate();
  linked_ = true;
}

void ProcCode::makeTemplate() {
  // Empty numbers, the null string and Nothing hold no counts: their cells copy as bytes.
  plainFrame_ = true;
  numericFrame_ = true;
  template_.assign(slots_.size(), ValueCell());
  for (size_t i = 0; i < slots_.size(); ++i) {
    const SlotInfo& s = slots_[i];
    ValueCell& c = template_[i];
    c.init();
    if (!IsNumericType(s.type)) numericFrame_ = false;
    if (s.statik >= 0 || IsArrayType(s.type)) {
      plainFrame_ = false;
      continue;
    }
    CellInitType(c, s.type, nullptr);
    if (c.holdsCount() && !(c.type == kTypeString && !c.str) && !(c.type == kTypeObject && !c.obj.rep)) {
      plainFrame_ = false;
      c.clear();
    }
  }
  if (!plainFrame_) numericFrame_ = false;
}

int ProcCode::lineAtOrAfter(int line) const { return outer_ ? outer_->lineAtOrAfter(line) : -1; }
