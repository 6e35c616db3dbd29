// IWXferable: one format of a data object, and the kinds of entry the system's data
// objects keep in their lists (IWXferables):
//
//   IWFmtXferable   the ring link, the format and the Selected flag; refuses data
//   IWAnyGetable    holds the data of its format in a medium of its own
//   IWFwdXferable   forwards every request to another data object (`forward`)
//   IWEOXferable    "Embedded Object" made on demand from the forward object's OLE object
//   IWEDXferable    "Object Descriptor" made on demand
//   IWLSXferable    "Link Source" made on demand from the forward object's link
//   IWLDXferable    "Link Source Descriptor" made on demand
//
// Entries form a ring through Nxt: the last entry's next is the first, and a new entry
// is a ring of one. Only their list (IWXferables) deletes them. Nothing here throws:
// every OLE failure comes back as its HRESULT, and interfaces asked for are released on
// every path.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWXferable {
 public:
  IWXferable();
  IWXferable(const IWXferable&) = delete;
  IWXferable& operator=(const IWXferable&) = delete;
  virtual ~IWXferable();

  // Does this entry answer the format?
  virtual bool operator==(const FORMATETC& format) = 0;
  // Takes data offered to the entry; release 0: the caller keeps its medium.
  virtual HRESULT SetMedium(STGMEDIUM& medium, BOOL release, IDataObject* forward) = 0;
  // Hands out the data in a new medium, which the receiver frees (ReleaseStgMedium).
  virtual HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) = 0;
  // Writes the data into the caller's medium.
  virtual HRESULT GetOnMedium(STGMEDIUM& medium, IDataObject* forward) = 0;
  virtual void GetFormat(FORMATETC& format) = 0;
  // The ring link: answers the current next and, when p is not null, makes p the next.
  virtual IWXferable* Nxt(IWXferable* p) = 0;
  // Splices this entry's ring behind tail (see IWFmtXferable); answers the new tail.
  virtual IWXferable* OntoEndOf(IWXferable* tail) = 0;
  // Whether the entry takes part in look-ups and enumerations.
  virtual int Selected() { return 1; }
  virtual void Select(int) {}

  // From this entry once around the ring: the first selected entry that answers format;
  // null if none (or for a null format).
  IWXferable* FindXferable(const FORMATETC* format);

  // Entries alive in the process (a leak check for tests).
  static long Live();
};

class OVIUI1_API IWFmtXferable : public IWXferable {
 public:
  explicit IWFmtXferable(const FORMATETC& format);

  // Format numbers equal, aspects sharing a bit (or both equal, 0 matching only 0), and
  // medium bits sharing a bit.
  bool operator==(const FORMATETC& format) override;
  HRESULT SetMedium(STGMEDIUM& medium, BOOL release, IDataObject* forward) override;  // DV_E_FORMATETC
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;                // DV_E_FORMATETC
  HRESULT GetOnMedium(STGMEDIUM& medium, IDataObject* forward) override;              // DV_E_FORMATETC
  void GetFormat(FORMATETC& format) override;
  IWXferable* Nxt(IWXferable* p) override;
  // A null tail answers this entry's next. Otherwise tail's next becomes this entry's
  // next and this entry's next tail's old next (the first entry); answers this entry's
  // old next, which for a ring of one is the entry itself: the new tail.
  IWXferable* OntoEndOf(IWXferable* tail) override;
  int Selected() override { return selected_; }
  void Select(int on) override { selected_ = on; }

 protected:
  IWXferable* next_;
  FORMATETC format_;
  int selected_ = 1;
};

// Holds the data of one format. The entry owns its medium; every medium it hands out is
// safe to free by the receiver: with an owner, the entry's handle goes out with the
// owner as release owner (counted up, so the receiver's ReleaseStgMedium only counts it
// down); without one, a duplicate goes out (OleDuplicateData for handles, an added
// reference for streams and storages, a counted holder for a file name), and the
// entry's own handle never leaves it. A duplicate of an object reference (the process
// format) takes a count of its own, as every medium of that format without release
// owner holds one.
class OVIUI1_API IWAnyGetable : public IWFmtXferable {
 public:
  // Takes over medium (its handle and release owner now belong to the entry; the
  // caller's medium is emptied). owner is not counted by the entry.
  IWAnyGetable(const FORMATETC& format, STGMEDIUM& medium, IUnknown* owner);
  // Fetches format from source now (nothing for a null source). On success the medium
  // bits of the entry and of format become the kind received; a failed fetch, or a
  // medium that is not of a kind asked for or has no handle, leaves the entry empty.
  IWAnyGetable(IDataObject* source, FORMATETC& format, IUnknown* owner);
  ~IWAnyGetable() override;

  // S_OK, also with an empty medium; E_OUTOFMEMORY when a duplicate cannot be made.
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;
  // Storages only: copies the entry's storage into the caller's (kind 8). Other kinds:
  // DV_E_FORMATETC; a caller's medium without a storage: DV_E_TYMED.
  HRESULT GetOnMedium(STGMEDIUM& medium, IDataObject* forward) override;
  // Frees the entry's medium and takes the given one; release 0 keeps a duplicate.
  HRESULT SetMedium(STGMEDIUM& medium, BOOL release, IDataObject* forward) override;

  // Frees the entry's medium (FreeMedium below).
  void FreeMedium();
  // Frees a medium of format: for the process format without release owner, the
  // object reference stored in it is destroyed first (its count given back).
  static void FreeMedium(const FORMATETC& format, STGMEDIUM& medium);

  const STGMEDIUM& medium() const { return medium_; }

 private:
  HRESULT duplicate(STGMEDIUM& out) const;

  STGMEDIUM medium_;
  IUnknown* owner_;
};

// Forwards each request to the data object given as forward, with the entry's format;
// a null forward gives DV_E_FORMATETC.
class OVIUI1_API IWFwdXferable : public IWFmtXferable {
 public:
  explicit IWFwdXferable(const FORMATETC& format);
  // Target device null, aspect content, index -1.
  IWFwdXferable(unsigned short cf, unsigned long tymed);

  HRESULT SetMedium(STGMEDIUM& medium, BOOL release, IDataObject* forward) override;
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;
  HRESULT GetOnMedium(STGMEDIUM& medium, IDataObject* forward) override;
};

// "Embedded Object": the forward object's OLE object saved into a new temporary
// storage (GetMedium) or into the caller's (GetOnMedium).
class OVIUI1_API IWEOXferable : public IWFwdXferable {
 public:
  IWEOXferable();
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;
  HRESULT GetOnMedium(STGMEDIUM& medium, IDataObject* forward) override;
};

// "Object Descriptor" (link false) or "Link Source Descriptor" (link true) of the
// forward object's OLE object. An extent of 0 by 0 takes the object's own.
class OVIUI1_API IWEDXferable : public IWFwdXferable {
 public:
  IWEDXferable();
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;

  SIZEL extent = {0, 0};
  POINTL position = {0, 0};

 protected:
  explicit IWEDXferable(const FORMATETC& format);
};

// "Link Source": the link's source moniker and the object's class.
class OVIUI1_API IWLSXferable : public IWFwdXferable {
 public:
  IWLSXferable();
  // DV_E_FORMATETC without a link, or a link without an OLE object.
  HRESULT GetMedium(STGMEDIUM& medium, IDataObject* forward) override;
};

class OVIUI1_API IWLDXferable : public IWEDXferable {
 public:
  IWLDXferable();
};
