// IWAutomation: the published "Automation" (no published parent), a Basic object that
// stands for an automation server object.
//
// Its binding is one VARIANT: VT_EMPTY unbound; VT_DISPATCH bound to an IDispatch it owns
// (one reference); VT_BYREF | VT_UNKNOWN bound by reference to an interface pointer held
// elsewhere (neither owned nor released; its current value is used on every call). The
// binding is not stored: the block is the revision byte only, and a loaded object is
// unbound.
//
// An unbound object answers only "CreateObject"(progId) and "GetObject"(displayName) or
// "GetObject"(progId, file), each giving a new bound object of the temporary module; any
// other shape of arguments is "not found". A bound object answers every name its server
// knows (GetIDsOfNames, locale 1024): a get or call invokes DISPATCH_METHOD |
// DISPATCH_PROPERTYGET, an assignment DISPATCH_PROPERTYPUT with the value as the named
// DISPID_PROPERTYPUT argument; positional arguments go last-first in DISPPARAMS.
// Parameters the type information marks as by reference are passed as VT_BYREF and the
// server's change is written back into the Basic argument. A dispatch result is a new
// bound "Automation" object, any other result a VariantValue that puts back to the same
// member. A server exception (DISP_E_EXCEPTION) is an OleException with the server's
// code, description and source; a name the server does not know is "not found". Bound
// by reference to a null pointer, every name is found and gives no value.
//
// The developer tools' member queries answer from the server's type information (see
// typebrowser.h); restricted functions (IUnknown's and IDispatch's own) are not listed.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "guiobjects2/oviui2_api.h"
#include "store/poclass.h"

class OVIUI2_API IWAutomation : public POClass<IWAutomation> {
 public:
  explicit IWAutomation(IUnknown* outer);
  ~IWAutomation() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_Load(IStream* stream) override;

  // A new temporary "Automation" object taking over v (left VT_EMPTY); the result is an
  // object value with one count for the caller.
  static Value* Create(VARIANT& v);
  // A new temporary object bound by reference to *p.
  static Value* Create(IUnknown** p);
  // The binding of obj when it is an "Automation" object, else an empty VARIANT.
  static const VARIANT& GetVariant(const InterObj& obj);

  Value* eval(const char* name, unsigned char kind, const ValueList* args, int* found) override;
  // The events of the server's default source interface (see typebrowser.h).
  void getExtEventList(RWCString& out) override;
  int getExtEventProto(const char* event, RWCString& proto, int& resultType) override;
  void getExtMethodList(RWCString& out) override;
  void getExtMethodProto(const char* method, RWCString& proto, int& resultType) override;
  int getExtPropertyCount() override;
  void getExtPropertyName(int i, RWCString& out) override;
  int hasExtProperty(const char* name) override;

  // The interface calls go to, with one reference for the caller; null when unbound or
  // bound by reference to a null pointer. A failing QueryInterface is thrown.
  IDispatch* Dispatch() const;
  const VARIANT& binding() const { return binding_; }

  static IWAutomation* Native(InterObjRep* obj) { return POClass<IWAutomation>::Native(obj); }

 private:
  Value* evalBinding(const char* name, const ValueList* args, int* found);

  VARIANT binding_;
};
