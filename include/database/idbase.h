// iDatabase: the published "Database", the common base of the kinds of database
// ("ODBC", "DelimitedAscii", "FixedAscii").
//
// A Dynaset takes as its Database any object that can be treated as "Database" and talks
// to it only through the virtual operations below; each kind overrides what it supports.
// A plain Database has no properties, methods or record source: its queries answer 0 or
// a new empty string and its operations do nothing.
//
// Stream block (revision 1): the revision byte and nothing else. A newer revision fails
// with ObjectLoadFailed("Database") before anything more is read.
#pragma once

#include <cstdint>

#include "database/ovdb_api.h"
#include "store/poclass.h"

class RecordSourceRep;
class ValStringRep;

// The "DatabaseType" values of the kinds.
enum DatabaseKind : int32_t {
  kDatabasePlain = 0,
  kDatabaseOdbc = 1,
  kDatabaseDelimited = 2,
  kDatabaseFixed = 3,
};

class OVDB_API iDatabase : public POClass<iDatabase> {
 public:
  explicit iDatabase(IUnknown* outer);
  iDatabase(IUnknown* outer, long kind);

  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void clone(const IInterObj& source) override;

  virtual long pdGetAutoUpdate();
  virtual void pdSetAutoUpdate(long on);
  virtual ValStringRep* pdGetConnect();
  virtual void pdSetConnect(const char* text);
  // The kinds give the unnamed queries and operations their roles.
  virtual long pdGetConnected();
  virtual ValStringRep* pdGetKindText1();
  virtual long pdGetReadOnly();
  virtual void pdSetReadOnly(long on);
  virtual long pdGetKindValue1();
  virtual void pdSetKindValue1(long value);
  virtual long pdGetKindValue2();
  virtual ValStringRep* pdGetKindText2();
  virtual ValStringRep* pdGetKindText3();
  virtual long pdGetQueryTimeout();
  virtual void pdSetQueryTimeout(long seconds);
  virtual long pdGetIsolationLevel();
  virtual void pdSetIsolationLevel(long level);
  virtual void imBeginTrans();
  virtual void imCommitTrans();
  virtual void imRollback();
  virtual long pdGetKindValue3();
  virtual long pdGetKindValue4();
  virtual long pdGetKindValue5();
  virtual void imRefresh();
  virtual void imDisconnect();
  // The text of an empty column (column number) in a new row.
  virtual ValStringRep* emptyColumnText(long column);
  // A new record source of the kind, owned by this Database; null here.
  virtual RecordSourceRep* recordSource();

  long pdGetDatabaseType() const { return kind_; }

 protected:
  int32_t kind_;
  uint8_t flag_ = 0;
};
