// IInterObj: the base of every published (native) object, and Printable, the print
// target part some objects offer to Basic's Print statement.
//
// Virtual order (shared by every publishing library, all built by the same compiler):
// the persist-stream part (QueryInterface, AddRef, Release, GetClassID, IsDirty, Load,
// Save, GetSizeMax, then the component layer's PO_Load/PO_Save), then the object
// interface below in declaration order, ending with PO_GetRevisionLevel; a class's own
// virtuals follow.
//
// Head after the tables: persist-stream count, dirty word, the outer IUnknown (one
// reference held; the class factory passes the DLL's server so that live objects keep
// their library loaded) and the store object this native backs (null until the store
// attaches it; not counted: the store object holds the native, and Destroy cuts both).
//
// A published class derives from IInterObj (which brings OCLPersistStream and the
// OCL_AGG aggregate) through POClass (store/poclass.h), which gives it the statics, the
// revision-framed PO_Load/PO_Save, the PO_DefineFields frame, GetClassID and
// PO_GetRevisionLevel; the class adds its fields, members and clone.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "olecls/oclpersist.h"
#include "store/ovstore_api.h"
#include "utils/rwcstring.h"
#include "store/faultp.h"

class InterObjRep;
class SignatureRep;
class Value;
class ValueList;
class OCLStream;

// Separators of a Print statement: 0 next print zone (","), 1 none (";"), 2 end of line
// (only PrintDone gets it).
enum PrintSepType { PrintSepZone = 0, PrintSepNone = 1, PrintSepEndOfLine = 2 };

class OVSTORE_API Printable {
 public:
  virtual void Print(short v) = 0;
  virtual void Print(long v) = 0;
  virtual void Print(float v) = 0;
  virtual void Print(double v) = 0;
  virtual void Print(const char* text) = 0;
  virtual void PrintSpace(int n) = 0;
  virtual void PrintTab(int column) = 0;
  virtual void PrintSeparator(PrintSepType sep) = 0;
  virtual void PrintDone(PrintSepType sep) = 0;

 protected:
  virtual ~Printable() {}
};

class OVSTORE_API IInterObj : public OCLPersistStream {
 public:
  // Takes one reference to outer (may be null) and the object's own first reference.
  explicit IInterObj(IUnknown* outer);

  // Persist-stream slots.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;  // S_OK, CLSID_NULL
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;  // E_NOTIMPL-free: 0

  // The object interface, in slot order.
  IUnknown* OCLstdUnknown() override;  // the object's persist-stream part
  virtual void* unnamedSelf();         // the object itself
  ~IInterObj() override;
  virtual void PO_DefineFields(SignatureRep& sig);
  virtual void clone(const IInterObj& source);
  virtual void construct(const IInterObj& source);
  virtual void destruct();
  // An event handler the native side knows for event (where: the object to run it
  // on); 0 none.
  virtual int extFindEventHandler(const char* event, InterObjRep*& where);
  // Appends event names, each ended by "\n".
  virtual void getExtEventList(RWCString& out);
  // Non-zero when event is known: proto gets "(args)", resultType the result code.
  virtual int getExtEventProto(const char* event, RWCString& proto, int& resultType);
  virtual void getExtMethodList(RWCString& out);
  virtual void getExtMethodProto(const char* method, RWCString& proto, int& resultType);
  virtual int getExtPropertyCount();
  virtual void getExtPropertyName(int i, RWCString& out);
  virtual int hasExtProperty(const char* name);
  // The object called with arguments (obj(1, 2)). found: 0 when it has no such use.
  virtual Value* eval(const ValueList* args, int* found);
  // A member the signature does not hold (kind as InterObjRep::eval). Default: not
  // found, null.
  virtual Value* eval(const char* name, unsigned char kind, const ValueList* args, int* found);
  // This object was embedded into container / taken out of it.
  virtual void embedded(InterObjRep* container);
  virtual void unembedded(InterObjRep* container);
  virtual void reserved27();
  virtual void reserved28();
  // The object now lives in module.
  virtual void attach(unsigned char module);
  // The print target part, or null.
  virtual Printable* printable();
  virtual int PO_GetRevisionLevel();

  // Non-virtual helpers.
  InterObjRep* storeObj() const { return store_; }
  void setStoreObj(InterObjRep* obj) { store_ = obj; }
  IUnknown* outer() const { return outer_; }
  long refCount() const { return refs_; }
  // Sets the dirty word and marks the store object changed.
  void changed();
  void setDirty(bool on) { dirty_ = on ? 1 : 0; }
  // A member of this object's store object by name (see InterObjRep::evalIMember); null
  // when the object has no store object yet.
  Value* evalIMember(const char* name, const ValueList* args, int* found, int flags = 0);
  // Writes a reference to this object's store object.
  void writeMe(OCLStream& s) const;
  // When ref (copied from source) refers to an object embedded in source's store
  // object, re-points it to the embedded object of the same name in this object's
  // store object.
  void fixupCopiedReferenceToEmbed(Faultp<InterObjRep>& ref, const IInterObj& source) const;

  // IInterObj::GetSizeMax and the eval defaults as plain functions for classes that
  // override and want the default.
  static HRESULT DefaultGetSizeMax(ULARGE_INTEGER* size);

 protected:
  long refs_ = 0;
  long dirty_ = 0;
  IUnknown* outer_;
  InterObjRep* store_ = nullptr;
};
