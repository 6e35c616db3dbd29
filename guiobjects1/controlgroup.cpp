// ControlGroup: the published "ControlGroup": indexing, the broadcast of other members
// to the form's windows, and its stream block.
#include "guiobjects1/controlgroup.h"

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwform.h"
#include "guiobjects1/iwwindow.h"
#include "store/enum.h"
#include "store/interobjiter.h"
#include "store/podefine.h"
#include "store/value.h"

Faultp<InterObjRep>* ControlGroup::PO_Object = nullptr;
const POClassRow& ControlGroup::PO_Row() { return DllInstance::Row(kOviui1ControlGroup); }

ControlGroup::ControlGroup(IUnknown* outer) : POClass(outer) {}
ControlGroup::~ControlGroup() = default;

void ControlGroup::PO_DeclareFields(SignatureRep& sig) {
  EnumRep::EnsureEvalRequiresEnum();
  PO_Property(sig, "Form", kTypeObject, nullptr, &ControlGroup::pdGetForm, "Form");
  PO_Property(sig, "Count", kTypeShort, nullptr, &ControlGroup::pdGetCount);
  PO_EnumProperty(sig, "EvalRequires", "EvalRequires", &ControlGroup::pdSetEvalRequires,
                  &ControlGroup::pdGetEvalRequires);
}

HRESULT STDMETHODCALLTYPE ControlGroup::GetClassID(CLSID*) { return S_OK; }

void ControlGroup::clone(const IInterObj&) {}

IWForm* ControlGroup::Form() const { return form_.isNull() ? nullptr : IWForm::Native(form_.get()); }

void ControlGroup::SetForm(IWForm* form) {
  form_.set(form ? form->storeObj() : nullptr, tUncountedIndirectReference);
}

std::vector<InterObjRep*> ControlGroup::Windows() const {
  std::vector<InterObjRep*> out;
  IWForm* form = Form();
  if (!form) return out;
  InterObjRep* window = IWWindow::PO_GetObject();
  for (InterObjEmbedIterator it(form->storeObj()); InterObjRep* o = it();)
    if (o->canBeTreatedAs(window)) out.push_back(o);
  return out;
}

InterObjRep* ControlGroup::pdGetForm() {
  IWForm* form = Form();
  return form ? form->storeObj() : nullptr;
}

short ControlGroup::pdGetCount() { return (short)Windows().size(); }

long ControlGroup::pdGetEvalRequires() {
  if (flags_ & kRequireNone) return kRequireNone;
  if (flags_ & kRequireOne) return kRequireOne;
  return kRequireAll;
}

void ControlGroup::pdSetEvalRequires(long mode) {
  flags_ = (uint8_t)((flags_ & ~kModeBits) | (mode & kModeBits));
  changed();
}

Value* ControlGroup::eval(const ValueList* args, int* found) {
  if (!Form()) {
    if (found) *found = 0;
    return nullptr;
  }
  if (found) *found = 1;
  if (!args || args->entries() != 1) return nullptr;
  const long i = (*args)[0]->asLong();
  std::vector<InterObjRep*> windows = Windows();
  const long count = (long)windows.size();
  if (i < 0 || i >= count) throw RangeError(kMsgIndexOutOfRange, 0, count - 1, i);
  return CountedResult<Value>(new DirectValue<InterObj, kTypeObject>(InterObj(windows[(size_t)i])));
}

Value* ControlGroup::eval(const char* name, unsigned char kind, const ValueList* args, int* found) {
  if (!Form()) {
    if (found) *found = 0;
    return nullptr;
  }
  const long mode = pdGetEvalRequires();
  ValuePtr result;
  int windows = 0;
  bool anyHad = false;
  for (InterObjRep* w : Windows()) {
    ++windows;
    int had = 0;
    result.clear();
    result.adopt(w->eval(name, kind, args, nullptr, &had));
    if (!had && mode == kRequireAll) throw StoreException(kMsgGroupMemberMissing, name);
    anyHad = anyHad || had;
  }
  if (mode == kRequireAll && windows == 0) throw StoreException(kMsgGroupEmpty, name);
  if (!result) {
    if (mode == kRequireOne && !anyHad) throw StoreException(kMsgGroupNoMember, name);
    result = new DirectValue<short, kTypeShort>(0);
  }
  if (found) *found = 1;
  return result.detach();
}

void ControlGroup::PO_Read(OCLStream& s, unsigned) {
  InterObjRep* ref = nullptr;
  unsigned char kind = tIndirectReference;
  try {
    FaultpStreamRead(s, storeObj() ? storeObj()->module() : (unsigned char)ObjectStore::kTempModule, ref,
                     kind);
  } catch (const StoreException&) {  // a reference the store cannot read: damaged data
    throw ObjectLoadFailed(PO_Row().name);
  }
  UCHAR flags = 0;
  s.read(&flags);
  IWForm* form = ref && IWWindow::IsAForm(ref) ? IWForm::Native(ref) : nullptr;
  SetForm(form);
  flags_ = flags;
}

void ControlGroup::PO_Write(OCLStream& s) {
  InterObjRep* form = pdGetForm();
  FaultpStreamWrite(form, tPrimaryReference, s);
  s.write((UCHAR)flags_);
}
