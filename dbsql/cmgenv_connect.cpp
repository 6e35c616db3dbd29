// The driver connection of a record: the caller's connection string rewritten for the
// driver (the layer's own keywords taken out, the data source filled in), then
// SQLDriverConnect with the requested prompt mode, then the driver profile. A record
// around a handle the program opened itself goes straight to the profile.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"
#include "dbutil/jxsubstring.h"
#include "dbutil/jxvalueparser.h"

#include <ctype.h>
#include <string.h>

namespace {

// The layer's own keywords of a connection string.
enum ConnectKeyword { KW_OTHER, KW_DLG, KW_DRV, KW_LOGN, KW_REREAD_INSERT, KW_REREAD_UPDATE, KW_ALLOW_LOCKS };

struct KeywordName {
  const char* name;
  ConnectKeyword keyword;
};

const KeywordName kKeywords[] = {
    {"DLG", KW_DLG},
    {"DRV", KW_DRV},
    {"LOGN", KW_LOGN},
    {"REREADAFTERINSERT", KW_REREAD_INSERT},
    {"REREADAFTERUPDATE", KW_REREAD_UPDATE},
    {"ALLOWLOCKS", KW_ALLOW_LOCKS},
};

ConnectKeyword keywordOf(const JxSubString& key) {
  for (const KeywordName& k : kKeywords)
    if (strCompareCi(key.getPtr(), key.getLength(), k.name, static_cast<uint32_t>(strlen(k.name))) == 0)
      return k.keyword;
  return KW_OTHER;
}

// A 16-bit number keyword's value; 2113 when it is none.
JxStatus numberValue(const JxSubString& key, const JxSubString& value, uint16_t* out) {
  JxString text;
  if (text.initialize(value.getPtr(), value.getLength())) return 1;
  long n = 0;
  if (!cmgParseNumber(text.c_str(), -32768, 32767, &n)) {
    JxString name;
    if (!name.initialize(key.getPtr(), key.getLength()))
      *sqlErrorById(SQLMSG_KEYWORD_NOT_NUMBER) << name.c_str() << text.c_str();
    return 1;
  }
  *out = static_cast<uint16_t>(n);
  return 0;
}

JxStatus appendItem(JxString* out, const JxSubString& key, const char* value, uint32_t valueLength) {
  if (out->getLength() && out->concat(';')) return 1;
  return out->concat(key.getPtr(), key.getLength()) || out->concat('=') || out->concat(value, valueLength);
}

// A text item of the driver (buffer of size bytes) into *dst; empty when the call
// fails and optional is set, else the failure is reported.
JxStatus infoText(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, uint16_t size, bool optional,
                  char** dst) {
  char* buffer = static_cast<char*>(ramAllocZ(size));
  if (!buffer) return 1;
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLGetInfo(hdbc, item, buffer, static_cast<SQLSMALLINT>(size), &length);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    if (!optional) {
      cmgSetDriverError(con->owner, hdbc, nullptr, rc);
      ramFree(buffer);
      return 1;
    }
    buffer[0] = 0;
  }
  buffer[size - 1] = 0;
  ramFree(*dst);
  *dst = buffer;
  return 0;
}

}  // namespace

JxStatus cmgRewriteConnectString(const char* connectString, const char* logonName, uint16_t addModifySql,
                                 JxString* out, CmgConnectRequest* request) {
  CmgConnectRequest none = {0, 0, 0};
  if (!request) request = &none;
  *request = none;
  const char* text = connectString ? connectString : "";
  if (out->initialize(static_cast<uint32_t>(strlen(text) + 32))) return 1;
  JxSubString view(text);
  JxValueParser parser(&view, ';', nullptr);
  if (parser.initialize()) return 1;
  bool hasDsn = parser.isAttributeValue("DSN") != 0;
  bool hasModifySql = parser.isAttributeValue("ModifySql") != 0;
  for (uint32_t i = 0; i < parser.getCount(); ++i) {
    const JxSubString key = *parser.getAttributeKey(i);
    const JxSubString value = *parser.getAttributeValue(key);
    switch (keywordOf(key)) {
      case KW_DLG:
      case KW_LOGN:
        break;
      case KW_DRV: {
        // "DRV=" names the data source unless a "DSN=" does; "JW..." is an older
        // spelling of the layer's "JX..." names.
        if (hasDsn) break;
        JxString name;
        if (name.initialize(value.getPtr(), value.getLength())) return 1;
        char* v = const_cast<char*>(name.c_str());
        if (toupper(static_cast<unsigned char>(v[0])) == 'J' &&
            toupper(static_cast<unsigned char>(v[1])) == 'W')
          v[1] = 'X';
        if (appendItem(out, JxSubString("DSN"), v, name.getLength())) return 1;
        hasDsn = true;
        break;
      }
      case KW_REREAD_INSERT:
        if (numberValue(key, value, &request->rereadAfterInsert)) return 1;
        break;
      case KW_REREAD_UPDATE:
        if (numberValue(key, value, &request->rereadAfterUpdate)) return 1;
        break;
      case KW_ALLOW_LOCKS:
        if (numberValue(key, value, &request->allowLocks)) return 1;
        break;
      case KW_OTHER:
        if (appendItem(out, key, value.getPtr(), value.getLength())) return 1;
        break;
    }
  }
  if (!hasDsn) {
    if (!logonName) {
      *sqlErrorById(SQLMSG_NEED_DSN) << (connectString ? connectString : "<NULL>");
      return 1;
    }
    if (appendItem(out, JxSubString("DSN"), logonName, static_cast<uint32_t>(strlen(logonName)))) return 1;
  }
  if (addModifySql == 1 && !hasModifySql) {
    if (out->getLength() && out->concat(';')) return 1;
    if (out->concat("ModifySql=0;")) return 1;
  }
  return 0;
}

// What an adopted handle says of itself, then the profile.
JxStatus cmgDescribeDriver(cmg_capabilities* con, SQLHDBC hdbc, const char*) {
  char* source = nullptr;
  char* user = nullptr;
  char* database = nullptr;
  JxStatus status = infoText(con, hdbc, SQL_DATA_SOURCE_NAME, 80, false, &source) ||
                    infoText(con, hdbc, SQL_USER_NAME, 80, false, &user) ||
                    infoText(con, hdbc, SQL_DATABASE_NAME, 256, true, &database) ||
                    cmgDriverProfile(con, hdbc, source, user, database);
  ramFree(source);
  ramFree(user);
  ramFree(database);
  return status;
}

JxStatus cmgDriverConnect(cmg_capabilities* con, const char* connectString, uint16_t promptFlags) {
  cmgInfo* env = con->owner;
  SQLHDBC hdbc = nullptr;
  {
    CmgLock lock(env->lock);
    SQLRETURN rc = SQLAllocConnect(env->henv, &hdbc);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
      cmgSetDriverError(env, nullptr, nullptr, rc);
      return 1;
    }
  }
  con->hdbc = con->spareHdbc = hdbc;
  auto fail = [&](bool connected) -> JxStatus {
    if (connected) SQLDisconnect(hdbc);
    SQLFreeConnect(hdbc);
    con->hdbc = con->spareHdbc = nullptr;
    con->ownsHdbc = 0;
    return 1;
  };
  if (env->loginTimeout) SQLSetConnectOption(hdbc, SQL_LOGIN_TIMEOUT, env->loginTimeout);

  JxString rewritten;
  CmgConnectRequest request;
  if (cmgRewriteConnectString(connectString, con->logonName, env->addModifySql, &rewritten, &request))
    return fail(false);
  if (request.rereadAfterInsert) con->flagsB |= CMG_B_REREAD_INSERT;
  if (request.rereadAfterUpdate) con->flagsB |= CMG_B_REREAD_UPDATE;

  bool prompt = (promptFlags & (CMG_PROMPT_COMPLETE | CMG_PROMPT_ALWAYS)) != 0;
  SQLUSMALLINT completion = (promptFlags & CMG_PROMPT_ALWAYS)     ? SQL_DRIVER_PROMPT
                            : (promptFlags & CMG_PROMPT_COMPLETE) ? SQL_DRIVER_COMPLETE
                                                                  : SQL_DRIVER_NOPROMPT;
  // Larger than the driver needs to return: a completed string that still does not
  // fit is not kept cut (the rewritten one stands for it).
  static const SQLSMALLINT kOutSize = 4096;
  char* completed = static_cast<char*>(ramAllocZ(kOutSize));
  if (!completed) return fail(false);
  SQLSMALLINT completedLength = 0;
  SQLRETURN rc = SQLDriverConnect(
      hdbc, prompt ? env->window : nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(rewritten.c_str())),
      SQL_NTS, reinterpret_cast<SQLCHAR*>(completed), kOutSize, &completedLength, completion);
  if (rc == SQL_NO_DATA_FOUND) {
    sqlErrorById(SQLMSG_CONNECTION_CANCELLED);
    ramFree(completed);
    return fail(false);
  }
  if (cmgSetDriverError(env, hdbc, nullptr, rc)) {
    ramFree(completed);
    return fail(false);
  }
  con->ownsHdbc = 1;
  if (request.allowLocks) SQLSetConnectOption(hdbc, CMG_OPTION_ALLOW_LOCKS, 1);
  con->connectString =
      ramAllocStr(completedLength >= 0 && completedLength < kOutSize ? completed : rewritten.c_str());
  ramFree(completed);
  if (!con->connectString) return fail(true);
  JxString source, user;
  char* database = nullptr;
  if (cmgKeywordValue(con->connectString, "DSN=", &source) ||
      cmgKeywordValue(con->connectString, "UID=", &user) ||
      infoText(con, hdbc, SQL_DATABASE_NAME, 256, true, &database))
    return fail(true);
  JxStatus profiled = cmgDriverProfile(con, hdbc, source.c_str(), user.c_str(), database);
  ramFree(database);
  return profiled ? fail(true) : 0;
}
