// LinkScope: name resolution while a procedure's trees are linked.
#include "linkscope.h"

#include <strings.h>

#include "interp.h"
#include "proccode.h"
#include "store/block.h"
#include "store/field.h"
#include "utils/xexception.h"

LinkScope::LinkScope(ProcCode& code, const std::vector<Field*>* args, Field* result, const char* procName)
    : code_(code), args_(args), result_(result), procName_(procName ? procName : "") {}

BlockRep* LinkScope::block(int no) {
  if (no < 0) return nullptr;
  BlockRep* b = code_.block(no);
  UTILS_ASSERT(b);
  return b;
}

void LinkScope::resolve(int index, unsigned char& bind, int& slot, void*& cache) {
  slot = -1;
  cache = nullptr;
  if (index == -1) {
    bind = BIND_TRUE;
    return;
  }
  if (index == -2) {
    bind = BIND_FALSE;
    return;
  }
  const char* name = idText(index);
  for (size_t k = chain_.size(); k-- > 0;) {
    BlockRep* b = chain_[k];
    int i = b->findVar(name);
    if (i < 0) continue;
    const BlockVar& v = b->var((size_t)i);
    if (v.kind == BV_CONST) {
      bind = BIND_CONST;
      cache = b->constCell((size_t)i);
    } else if (v.kind == BV_FIELD) {
      bind = BIND_FIELD;
      cache = v.field;
    } else {
      bind = BIND_SLOT;
      slot = b->varSlot((size_t)i);
    }
    return;
  }
  if (args_) {
    for (size_t i = 0; i < args_->size(); ++i) {
      if (strcasecmp((*args_)[i]->name(), name) == 0) {
        bind = BIND_SLOT;
        slot = (int)i;
        return;
      }
    }
  }
  if (result_ && strcasecmp(procName_.c_str(), name) == 0) {
    bind = BIND_SLOT;
    slot = code_.resultSlot();
    return;
  }
  bind = BIND_NAME;
}
