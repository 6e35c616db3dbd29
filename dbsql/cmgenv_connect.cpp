// The driver connection of a new record: SQLDriverConnect with the whole connection
// string, then what the connection manager itself needs to know of the driver (names,
// user, one-connection and one-statement limits, identifier rules, qualifiers,
// transactions) and the option defaults.
#include "cmgenv_internal.h"

#include "dbutil/jxmemory.h"

#include <ctype.h>
#include <string.h>

namespace {

// A text item of the driver into *dst (allocated); a failure leaves *dst untouched.
JxStatus infoText(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, char** dst) {
  char buffer[256];
  SQLSMALLINT length = 0;
  buffer[0] = 0;
  if (cmgDriverResult(con->owner, hdbc, nullptr,
                      SQLGetInfo(hdbc, item, buffer, sizeof buffer, &length)))
    return 1;
  char* copy = ramAllocStr(buffer);
  if (!copy) return 1;
  ramFree(*dst);
  *dst = copy;
  return 0;
}

JxStatus infoWord(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, uint16_t* out) {
  SQLUSMALLINT value = 0;
  if (cmgDriverResult(con->owner, hdbc, nullptr, SQLGetInfo(hdbc, item, &value, sizeof value, nullptr)))
    return 1;
  *out = value;
  return 0;
}

char* upperCopy(const char* text) {
  char* copy = ramAllocStr(text ? text : "");
  if (copy)
    for (char* p = copy; *p; ++p) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  return copy;
}

}  // namespace

// What the manager reads of a connected driver.
JxStatus cmgDescribeDriver(cmg_capabilities* con, SQLHDBC hdbc, const char* connectString) {
  cmgInfo* env = con->owner;
  if (infoText(con, hdbc, SQL_DATA_SOURCE_NAME, &con->sourceName) ||
      infoText(con, hdbc, SQL_USER_NAME, &con->connectUser))
    return 1;
  con->currentOwner = ramAllocStr(con->connectUser);
  con->defaultOwner = ramAllocStr(con->connectUser);
  JxString uid;
  if (!con->currentOwner || !con->defaultOwner || cmgKeywordValue(connectString, "UID=", &uid))
    return 1;
  con->userId = upperCopy(uid.getLength() ? uid.c_str() : con->connectUser);
  if (!con->userId) return 1;

  uint16_t connections = 0, statements = 0, identifierCase = 0, txn = 0;
  if (infoWord(con, hdbc, SQL_ACTIVE_CONNECTIONS, &connections) ||
      infoWord(con, hdbc, SQL_ACTIVE_STATEMENTS, &statements) ||
      infoWord(con, hdbc, SQL_IDENTIFIER_CASE, &identifierCase) ||
      infoWord(con, hdbc, SQL_TXN_CAPABLE, &txn) ||
      infoWord(con, hdbc, SQL_MAX_OWNER_NAME_LEN, &con->maxOwnerName) ||
      infoWord(con, hdbc, SQL_MAX_QUALIFIER_NAME_LEN, &con->maxQualifierName) ||
      infoWord(con, hdbc, SQL_MAX_TABLE_NAME_LEN, &con->maxTableName) ||
      infoWord(con, hdbc, SQL_MAX_COLUMN_NAME_LEN, &con->maxColumnName))
    return 1;
  if (connections == 1) con->flagsA |= CMG_A_ONE_CONNECTION;
  if (statements == 1) con->flagsA |= CMG_A_ONE_STATEMENT;
  if (con->maxOwnerName == 0) con->flagsA |= CMG_A_NO_OWNERS;
  if (txn != SQL_TC_NONE) con->flagsB |= CMG_B_TRANSACTIONS;
  con->identifierCase = identifierCase;
  con->compare = identifierCase == SQL_IC_SENSITIVE ? cmgCompare : cmgCompareCi;

  char* quote = nullptr;
  if (infoText(con, hdbc, SQL_IDENTIFIER_QUOTE_CHAR, &quote)) return 1;
  con->quoteChar = quote[0] == ' ' ? 0 : static_cast<uint8_t>(quote[0]);
  ramFree(quote);
  if (con->maxQualifierName && infoText(con, hdbc, SQL_QUALIFIER_NAME_SEPARATOR, &con->qualifierSeparator))
    return 1;

  const CmgDataSource* source = cmgFindSource(env, con->sourceName);
  if (source && source->filePattern) {
    con->filePattern = ramAllocStr(source->filePattern);
    if (!con->filePattern) return 1;
    con->flagsA |= CMG_A_FILE_DRIVER;
    con->flagsB |= CMG_B_FILE_PATTERN;
  } else {
    con->flagsA |= CMG_A_NO_FILE_PATTERN;
  }
  char* database = nullptr;
  SQLCHAR buffer[256] = {0};
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLGetInfo(hdbc, SQL_DATABASE_NAME, buffer, sizeof buffer, &length);
  if ((rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) && buffer[0]) {
    database = ramAllocStr(reinterpret_cast<char*>(buffer));
    if (!database) return 1;
    if (source && (source->flags & CMG_SOURCE_DIRECTORY)) con->directory = database;
    else con->databaseName = database;
  }
  if ((env->callerFlags & CMG_READ_ONLY) &&
      cmgDriverResult(env, hdbc, nullptr, SQLSetConnectOption(hdbc, SQL_ACCESS_MODE, SQL_MODE_READ_ONLY)))
    return 1;
  con->flagsA |= CMG_A_PROFILED;
  cmgSetOptionDefaults(con);
  return 0;
}

JxStatus cmgDriverConnect(cmg_capabilities* con, const char* connectString, uint16_t promptFlags) {
  cmgInfo* env = con->owner;
  SQLHDBC hdbc = nullptr;
  if (cmgDriverResult(env, nullptr, nullptr, SQLAllocConnect(env->henv, &hdbc))) return 1;
  if (env->loginTimeout) SQLSetConnectOption(hdbc, SQL_LOGIN_TIMEOUT, env->loginTimeout);
  bool prompt = (promptFlags & (CMG_PROMPT_COMPLETE | CMG_PROMPT_ALWAYS)) != 0;
  SQLUSMALLINT completion = (promptFlags & CMG_PROMPT_ALWAYS)     ? SQL_DRIVER_PROMPT
                            : (promptFlags & CMG_PROMPT_COMPLETE) ? SQL_DRIVER_COMPLETE
                                                                  : SQL_DRIVER_NOPROMPT;
  static const SQLSMALLINT kOutSize = 4096;
  char* completed = static_cast<char*>(ramAlloc(kOutSize));
  if (!completed) {
    SQLFreeConnect(hdbc);
    return 1;
  }
  completed[0] = 0;
  SQLSMALLINT completedLength = 0;
  SQLRETURN rc = SQLDriverConnect(hdbc, prompt ? env->window : nullptr,
                                  reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectString)),
                                  SQL_NTS, reinterpret_cast<SQLCHAR*>(completed), kOutSize,
                                  &completedLength, completion);
  if (rc == SQL_NO_DATA) {
    sqlErrorById(SQLMSG_CONNECTION_CANCELLED);
    ramFree(completed);
    SQLFreeConnect(hdbc);
    return 1;
  }
  if (cmgDriverResult(env, hdbc, nullptr, rc)) {
    ramFree(completed);
    SQLFreeConnect(hdbc);
    return 1;
  }
  // A completed string that did not fit is not kept cut: the caller's stands for it.
  con->connectString = ramAllocStr(completedLength < kOutSize ? completed : connectString);
  ramFree(completed);
  con->hdbc = con->spareHdbc = hdbc;
  con->ownsHdbc = 1;
  if (!con->connectString || cmgDescribeDriver(con, hdbc, connectString)) {
    SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
    con->hdbc = con->spareHdbc = nullptr;
    con->ownsHdbc = 0;
    return 1;
  }
  return 0;
}
