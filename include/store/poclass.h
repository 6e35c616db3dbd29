// POClass<T, Base>: the static protocol every published class shares, and the framing
// of its stream block.
//
//   class IWThing : public POClass<IWThing> { ... };             // a root class
//   class IWOther : public POClass<IWOther, IWThing> { ... };    // published base
//
// T supplies:
//   static Faultp<InterObjRep>* PO_Object;   the prototype's holder (defined once, in
//                                            T's library, null at start)
//   static const POClassRow& PO_Row();       its row of the library's table
// and, when it has them, hides these non-virtual hooks (called qualified, so a class
// never runs a derived class's hook by mistake):
//   void PO_Read(OCLStream&, unsigned revision);   its own fields
//   void PO_Write(OCLStream&);
//   void PO_DeclareFields(SignatureRep&);          its own members (podefine.h)
//   static const unsigned char kRevision;          when it is not 1
//
// Registration: PO_InitObject finds the published name in the store or makes the
// prototype (ProgID "Orvanel." + name, the row's parent, the standard access control).
// A store failure passes through to the caller: the holder stays null and the next
// PO_GetObject tries again (and fails with the store's error, not with "PO_Object").
//
// Stream block: the revision byte, then the base's complete block (its own revision byte
// first) when the base is published, then the class's own fields. A stored revision
// above the class's own fails with ObjectLoadFailed(published name) before anything
// more is read; revision 0 loads as the current one and marks the object changed.
// Damaged data (a stream exception while reading) fails with ObjectLoadFailed as well.
#pragma once

#include <type_traits>

#include "olecls/oclstream.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

class DllServer;
class OCLFactory;

// One row of a publishing library's table, in registration order.
struct POClassRow {
  const char* clsid;         // braced text; null for classes made without OLE
  const char* name;          // published name; the ProgID is "Orvanel." + name
  InterObjRep* (*parent)();  // the parent class's PO_GetObject; null: no parent
  OCLFactory* (*make)(DllServer* server, const char* clsid);  // null: not built
  void (*init)();                                             // the class's PO_InitObject; null: not built
};

// The class id of a row's text; CLSID_NULL for null or malformed text.
inline CLSID POClassId(const char* text) {
  CLSID id = CLSID_NULL;
  if (!text) return id;
  wchar_t w[40];
  if (!MultiByteToWideChar(CP_ACP, 0, text, -1, w, 40) || FAILED(CLSIDFromString(w, &id))) return CLSID_NULL;
  return id;
}

template <class T, class Base = IInterObj>
class POClass : public Base {
 public:
  static const unsigned char kRevision = 1;
  static constexpr bool kHasPublishedBase = !std::is_same<Base, IInterObj>::value;

  explicit POClass(IUnknown* outer) : Base(outer) {}

  static void PO_InitObject() {
    Faultp<InterObjRep>*& holder = T::PO_Object;
    if (holder && holder->is()) return;
    delete holder;  // a prototype the store has dropped since
    holder = nullptr;
    const POClassRow& row = T::PO_Row();
    InterObjRep* parent = row.parent ? row.parent() : nullptr;
    holder = ObjectStore::RegisterPublishedClass(row.name, parent);
  }

  static InterObjRep* PO_GetObject() {
    if (!T::PO_Object || T::PO_Object->isNull()) PO_InitObject();
    if (!T::PO_Object || T::PO_Object->isNull()) utilsAssert("PO_Object", __FILE__, __LINE__);
    return T::PO_Object->get();
  }

  // The native object of a T behind obj, or null (null reference, another class).
  static T* Native(InterObjRep* obj) {
    if (!obj || !obj->canBeTreatedAs(PO_GetObject())) return nullptr;
    return dynamic_cast<T*>(obj->ROCDataPtr(0));
  }

  int PO_GetRevisionLevel() override { return T::kRevision; }

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
    if (!id) return E_POINTER;
    *id = POClassId(T::PO_Row().clsid);
    return S_OK;
  }

  void PO_Load(IStream* stream) override {
    UCHAR revision = 0;
    try {
      {
        OCLStream s(stream);
        s.read(&revision);
      }
      if (revision > T::kRevision) throw ObjectLoadFailed(T::PO_Row().name);
      if constexpr (kHasPublishedBase) Base::PO_Load(stream);
      OCLStream s(stream);
      static_cast<T*>(this)->T::PO_Read(s, revision);
    } catch (const OCLStreamException&) {  // damaged data: the class could not be loaded
      throw ObjectLoadFailed(T::PO_Row().name);
    }
    if (revision == 0) this->changed();  // written back in the current form
  }

  void PO_Save(IStream* stream, int clearDirty) override {
    if (clearDirty) this->dirty_ = 0;
    {
      OCLStream s(stream);
      s.write((UCHAR)T::kRevision);
    }
    if constexpr (kHasPublishedBase) Base::PO_Save(stream, 0);
    OCLStream s(stream);
    static_cast<T*>(this)->T::PO_Write(s);
  }

  // Declares the base's members on the signature's base part first, then T's own;
  // a store failure is reported (StoreApplication::HandleException) and the
  // signature counts as defined with what was declared so far.
  void PO_DefineFields(SignatureRep& sig) override {
    UTILS_ASSERT(!sig.isCompFieldsDefined());
    try {
      if constexpr (kHasPublishedBase) {
        SignatureRep* base = sig.getCompBase();
        if (base && !base->isCompFieldsDefined()) Base::PO_DefineFields(*base);
      }
      static_cast<T*>(this)->T::PO_DeclareFields(sig);
    } catch (StoreException& e) {
      sig.setCompFieldsDefined(true);
      StoreApplication::HandleException(e);
    }
    sig.setCompFieldsDefined(true);
  }

  // Default hooks: no own fields, no own members.
  void PO_Read(OCLStream&, unsigned) {}
  void PO_Write(OCLStream&) {}
  void PO_DeclareFields(SignatureRep&) {}
};
