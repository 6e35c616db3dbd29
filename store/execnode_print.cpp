// The Print statement.
#include "store/execnode.h"

#include "interp.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/storeapp.h"

Printable* DefaultPrintTarget() { return StoreApplication::App()->FindPrintTarget(); }

Print::Print(int line, ExprNode* target, int last, PtrList<PrintItem>& items)
    : ExecNode(line), target_(target), last_(last) {
  items_.appendAll(items);
}

Print::~Print() { delete target_; }

void Print::link(LinkScope& scope) {
  if (target_) target_->link(scope);
  for (size_t i = 0; i < items_.entries(); ++i)
    if (items_.at(i)->expr()) items_.at(i)->expr()->link(scope);
}

namespace {

void PrintValue(Printable& p, const ValueCell& c) {
  switch (c.type) {
    case kTypeShort:
      p.Print((short)c.s);
      break;
    case kTypeLong:
      p.Print((long)c.l);
      break;
    case kTypeFloat:
      p.Print(c.f);
      break;
    case kTypeDouble:
      p.Print(c.d);
      break;
    case kTypeCurrency: {
      char buf[32];
      c.currency().toText(buf);
      p.Print((const char*)buf);
      break;
    }
    case kTypeString:
      p.Print(c.text());
      break;
    case kTypeObject:
      if (!c.obj.rep) {
        p.Print("Nothing");
      } else {
        p.Print(c.obj.rep->fullName().c_str());
      }
      break;
    default:
      p.Print("");
      break;
  }
}

}  // namespace

int Print::exec(StackFrame& frame) {
  Printable* p = nullptr;
  ValueCellVar holder;
  if (target_) {
    target_->eval(frame, holder.c);
    InterObjRep* o = CellObject(holder.c, "Print");
    IInterObj* native = o ? o->ROCDataPtr(0) : nullptr;
    p = native ? native->printable() : nullptr;
    if (!p) throw StoreException("The object cannot be printed on.");
  } else {
    p = DefaultPrintTarget();
    if (!p) return EXEC_NEXT;  // no print target: the output goes nowhere
  }
  for (size_t i = 0; i < items_.entries(); ++i) {
    PrintItem* item = items_.at(i);
    ValueCellVar v;
    if (item->expr()) item->expr()->eval(frame, v.c);
    switch (item->type()) {
      case PRINT_SPC:
        p->PrintSpace((int)CellToLong(v.c));
        break;
      case PRINT_TAB:
        p->PrintTab((int)CellToLong(v.c));
        break;
      default:
        PrintValue(*p, v.c);
        break;
    }
    // A trailing separator is the statement's end: PrintDone gets it, not PrintSeparator.
    bool trailing = i + 1 == items_.entries() && last_ != PrintSepEndOfLine;
    if (!trailing && (item->separator() == PrintSepZone || item->separator() == PrintSepNone))
      p->PrintSeparator((PrintSepType)item->separator());
  }
  p->PrintDone((PrintSepType)last_);
  return EXEC_NEXT;
}
