// IInterObj: the shared default operations of published objects.
#include "store/iinterobj.h"

#include "store/interobj.h"
#include "store/storeexcept.h"
#include "store/value.h"

IInterObj::IInterObj(IUnknown* outer) : outer_(outer) {
  if (outer_) outer_->AddRef();
  refs_ = 1;
}

IInterObj::~IInterObj() {
  if (store_) store_->attachNative(nullptr);
  if (outer_) outer_->Release();
}

ULONG STDMETHODCALLTYPE IInterObj::AddRef() { return (ULONG)++refs_; }

ULONG STDMETHODCALLTYPE IInterObj::Release() {
  if (refs_ <= 0) return 0;
  long n = --refs_;
  if (n == 0) delete this;
  return (ULONG)n;
}

// A class without a class id of its own answers the null id rather than leave the
// caller's buffer as it was.
HRESULT STDMETHODCALLTYPE IInterObj::GetClassID(CLSID* id) {
  if (!id) return E_POINTER;
  *id = CLSID_NULL;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE IInterObj::IsDirty() { return dirty_ ? S_OK : S_FALSE; }
HRESULT STDMETHODCALLTYPE IInterObj::GetSizeMax(ULARGE_INTEGER* size) { return DefaultGetSizeMax(size); }

// The store streams blocks without asking their size first: any size may come.
HRESULT IInterObj::DefaultGetSizeMax(ULARGE_INTEGER* size) {
  if (size) size->QuadPart = 0;
  return S_OK;
}

IUnknown* IInterObj::OCLstdUnknown() { return static_cast<IPersistStream*>(this); }
void* IInterObj::unnamedSelf() { return this; }
void IInterObj::PO_DefineFields(SignatureRep&) {}
void IInterObj::clone(const IInterObj&) {}
void IInterObj::construct(const IInterObj&) {}
void IInterObj::destruct() {}
int IInterObj::extFindEventHandler(const char*, InterObjRep*&) { return 0; }
void IInterObj::getExtEventList(RWCString&) {}
int IInterObj::getExtEventProto(const char*, RWCString&, int&) { return 0; }
void IInterObj::getExtMethodList(RWCString&) {}
void IInterObj::getExtMethodProto(const char*, RWCString&, int&) {}
int IInterObj::getExtPropertyCount() { return 0; }
void IInterObj::getExtPropertyName(int, RWCString&) {}
int IInterObj::hasExtProperty(const char*) { return 0; }

Value* IInterObj::eval(const ValueList*, int* found) {
  if (found) *found = 0;
  return nullptr;
}

Value* IInterObj::eval(const char*, unsigned char, const ValueList*, int* found) {
  if (found) *found = 0;
  return nullptr;
}

void IInterObj::embedded(InterObjRep*) {}
void IInterObj::unembedded(InterObjRep*) {}
void IInterObj::reserved27() {}
void IInterObj::reserved28() {}
void IInterObj::attach(unsigned char) {}
Printable* IInterObj::printable() { return nullptr; }
int IInterObj::PO_GetRevisionLevel() { return 1; }

void IInterObj::changed() {
  dirty_ = 1;
  if (store_) store_->changed();
}

Value* IInterObj::evalIMember(const char* name, const ValueList* args, int* found, int flags) {
  if (!store_) {
    if (found) *found = 0;
    return nullptr;
  }
  return store_->evalIMember(name, args, found, flags);
}

void IInterObj::writeMe(OCLStream& s) const { FaultpStreamWrite(store_, tIndirectReference, s); }

void IInterObj::fixupCopiedReferenceToEmbed(Faultp<InterObjRep>& ref, const IInterObj& source) const {
  InterObjRep* target = ref.get();
  InterObjRep* src = source.storeObj();
  if (!target || !src || !store_ || target->embeddedIn() != src) return;
  if (InterObjRep* mine = store_->findEmbed(target->name())) ref.set(mine, ref.kind());
}
