// ControlGroup: the published "ControlGroup" (a root class), what a form's Controls
// property answers. It stands for every window embedded in the form, in the store's
// embedding order (menus and other objects that are not windows are left out); the
// windows are looked up again by every operation, never kept.
//
// Basic indexes it (Controls(0) is the first window), reads Count, and uses it as one
// object: a member the group does not have itself is evaluated on every window in turn,
// and the answer is the last window's. EvalRequires says how windows without the
// member count: Property (1) skips them; Method (2, the default) wants at least one
// window to have it (32691); Event (4) wants every window to have it (32693) and at
// least one window (32692). A window's own failure stops the walk at once.
//
// An index outside the group raises RangeError(32736) with the bounds 0 and Count - 1
// and the index.
//
// The form is held without a count: a group whose form went away is an empty group.
//
// Stream block (revision 1), after the revision byte: the form's object reference (the
// store's reference format; a reference that is not a form loads as no form), the flags
// byte (EvalRequires in bits 0-2). A damaged block fails with
// ObjectLoadFailed("ControlGroup").
#pragma once

#include <cstdint>
#include <vector>

#include "guiobjects1/oviui1_api.h"
#include "store/poclass.h"

class IWForm;

class OVIUI1_API ControlGroup : public POClass<ControlGroup> {
 public:
  // The EvalRequires modes (the store's enumeration "EvalRequires").
  enum EvalRequires : uint8_t { kRequireNone = 1, kRequireOne = 2, kRequireAll = 4, kModeBits = 7 };

  explicit ControlGroup(IUnknown* outer);
  ~ControlGroup() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;  // S_OK, nothing written
  void clone(const IInterObj& source) override;              // nothing to copy

  // Controls(i).
  Value* eval(const ValueList* args, int* found) override;
  // Any other member: evaluated on every window.
  Value* eval(const char* name, unsigned char kind, const ValueList* args, int* found) override;

  InterObjRep* pdGetForm();
  short pdGetCount();
  long pdGetEvalRequires();
  void pdSetEvalRequires(long mode);

  IWForm* Form() const;
  void SetForm(IWForm* form);
  uint8_t flags() const { return flags_; }
  // The store objects of the form's windows, in embedding order.
  std::vector<InterObjRep*> Windows() const;

  static ControlGroup* Native(InterObjRep* obj) { return POClass<ControlGroup>::Native(obj); }

 private:
  Faultp<InterObjRep> form_;  // uncounted: the form's store object
  uint8_t flags_ = kRequireOne;
};
