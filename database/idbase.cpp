// iDatabase: the published "Database" and the neutral answers of its operations.
#include "database/idbase.h"

#include "database/dbdll.h"
#include "store/valstring.h"

Faultp<InterObjRep>* iDatabase::PO_Object = nullptr;
const POClassRow& iDatabase::PO_Row() { return DbDll::Row(kOvdbDatabase); }

iDatabase::iDatabase(IUnknown* outer) : POClass(outer), kind_(kDatabasePlain) {}
iDatabase::iDatabase(IUnknown* outer, long kind) : POClass(outer), kind_((int32_t)kind) {}

void iDatabase::clone(const IInterObj& source) {
  IInterObj::clone(source);
  if (const iDatabase* other = dynamic_cast<const iDatabase*>(&source)) flag_ = other->flag_;
}

long iDatabase::pdGetAutoUpdate() { return 0; }
void iDatabase::pdSetAutoUpdate(long) {}
ValStringRep* iDatabase::pdGetConnect() { return new ValStringRep(""); }
void iDatabase::pdSetConnect(const char*) {}
long iDatabase::pdGetConnected() { return 0; }
ValStringRep* iDatabase::pdGetKindText1() { return new ValStringRep(""); }
long iDatabase::pdGetReadOnly() { return 0; }
void iDatabase::pdSetReadOnly(long) {}
long iDatabase::pdGetKindValue1() { return 0; }
void iDatabase::pdSetKindValue1(long) {}
long iDatabase::pdGetKindValue2() { return 0; }
ValStringRep* iDatabase::pdGetKindText2() { return new ValStringRep(""); }
ValStringRep* iDatabase::pdGetKindText3() { return new ValStringRep(""); }
long iDatabase::pdGetQueryTimeout() { return 0; }
void iDatabase::pdSetQueryTimeout(long) {}
long iDatabase::pdGetIsolationLevel() { return 0; }
void iDatabase::pdSetIsolationLevel(long) {}
void iDatabase::imBeginTrans() {}
void iDatabase::imCommitTrans() {}
void iDatabase::imRollback() {}
long iDatabase::pdGetKindValue3() { return 0; }
long iDatabase::pdGetKindValue4() { return 0; }
long iDatabase::pdGetKindValue5() { return 0; }
void iDatabase::imRefresh() {}
void iDatabase::imDisconnect() {}
ValStringRep* iDatabase::emptyColumnText(long) { return new ValStringRep(""); }
RecordSourceRep* iDatabase::recordSource() { return nullptr; }
