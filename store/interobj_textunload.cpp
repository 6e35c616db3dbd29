// Text unload: property assignments as Basic lines, "<indent>.<Name> = <value>\n".
// Numbers in Basic's literal form, strings quoted (control characters as Chr$),
// enumerated values by their entry text as a string (Booleans as True and False),
// objects by full name (Nothing for none).
#include "interobj_util.h"
#include "store/field.h"
#include "store/interobj.h"
#include "store/signature.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

namespace {
void AppendLine(RWCString& cmds, const char* indent, const RWCString& line) {
  cmds += indent ? indent : "";
  cmds += line;
  cmds += "\n";
}
}  // namespace

// Data fields declared in Basic whose value this object holds itself (values taken
// over from the prototype are written with the prototype); compiled properties are the
// native object's to write (its imTextUnload names them).
void InterObjRep::textUnload(const char* indent, RWCString& cmds) {
  std::vector<Field*> done;
  for (SignatureRep* s = sig_; s; s = s->parent())
    for (int i = 0; i < s->fieldCount(); ++i) {
      Field* f = s->field(i);
      if (!f->isData() || f->isCompiled() || f->hasFlag(Field::kConstant) || f->isArrayData()) continue;
      if (!ownCell(static_cast<DataField*>(f))) continue;
      if (findField(f->name()) != f) continue;  // overridden further down
      RWCString line;
      if (f->textValue(*this, line)) AppendLine(cmds, indent, line);
    }
}

void InterObjRep::textFieldUnload(const char* name, const char* indent, RWCString& cmds) {
  Field* f = findField(name);
  if (!f) throw NotFound(name);
  RWCString line;
  if (f->textValue(*this, line)) AppendLine(cmds, indent, line);
}

void InterObjRep::textFieldsUnload(const char* const* names, const char* indent, RWCString& cmds) {
  for (; names && *names; ++names) textFieldUnload(*names, indent, cmds);
}

void InterObjRep::textFieldsUnload(const char* const* names, const char* indent, ValString& cmds) {
  RWCString text(cmds.c_str(), cmds.length());
  textFieldsUnload(names, indent, text);
  cmds = ValString(text.data(), text.length());
}
