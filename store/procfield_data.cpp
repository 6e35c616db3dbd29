// Properties made of a getter and a setter procedure.
#include "store/procfield.h"

#include "interp.h"
#include "store/interobj.h"
#include "store/types.h"
#include "store/value.h"

InterProcDataField* InterProcDataField::make(const char* name, int type, const char* className,
                                             const char* setName, const char* getName) {
  return new InterProcDataField(name, type, className, setName, getName);
}

InterProcDataField::InterProcDataField(const char* name, int type, const char* className, const char* setName,
                                       const char* getName)
    : DataField(name, (unsigned char)type, className ? className : ""),
      set_(setName ? setName : ""),
      get_(getName ? getName : "") {
  if (set_.empty()) setFieldFlags((uint16_t)(fieldFlags() | kReadOnly));
}

RWCString InterProcDataField::declarationText(const InterObjRep*) const {
  std::string t = "Property ";
  t += name();
  t += " Get ";
  t += get_;
  if (!set_.empty()) {
    t += " Set ";
    t += set_;
  }
  t += " As ";
  t += (typeCode() == kTypeObject && !class_.empty()) ? class_.c_str() : IdTypeString(typeCode()).string();
  return RWCString(t.c_str());
}

Value* InterProcDataField::get(InterObjRep& self) {
  return self.evalIMember(get_.c_str(), nullptr, nullptr, 0);
}

void InterProcDataField::set(InterObjRep& self, const Value& v) {
  if (set_.empty())
    throw StoreException(("The property '" + std::string(name()) + "' is read-only.").c_str());
  ValueCellVar c;
  const_cast<Value&>(v).getCell(c.c);
  ValueList* list = new ValueList;
  list->ref();
  try {
    list->ppush(CellToValue(c.c));
    Value* r = self.evalIMember(set_.c_str(), list, nullptr, 0);
    if (r) r->unref();
  } catch (...) {
    list->unref();
    throw;
  }
  list->unref();
}
