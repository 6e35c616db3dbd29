// A connector that stands in for the driver connection in the white-box tests: the
// connection string's own keys say what the "driver" is.
//   DSN=name       the data-source name        UID=user     the user id
//   ONE=1          one active connection       STMT=1       one active statement
//   CONFLICTS=1    access conflicts            FILES=*.x    file pattern (file driver)
//   FAIL=1         the connection fails with a driver message
// The last connection string it was given is kept whole.
#pragma once

#include "cmgenv_internal.h"
#include "dbutil/jxmemory.h"

#include <string>

struct StandInConnector {
  static std::string& lastString() {
    static std::string s;
    return s;
  }
  static std::string value(const char* text, const char* key) {
    JxString out;
    cmgKeywordValue(text, key, &out);
    return out.c_str();
  }
  static JxStatus connect(cmg_capabilities* con, const char* text, uint16_t) {
    lastString() = text;
    if (value(text, "FAIL=") == "1") {
      JxErrorKeeper::addDatabaseError(4535, 7, "stand-in driver refused", JX_ERROR);
      return 1;
    }
    con->sourceName = ramAllocStr(value(text, "DSN=").c_str());
    std::string uid = value(text, "UID=");
    for (char& c : uid) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    con->userId = ramAllocStr(uid.c_str());
    con->defaultOwner = ramAllocStr("OWNER");
    con->currentOwner = ramAllocStr("OWNER");
    con->connectUser = ramAllocStr(uid.c_str());
    if (value(text, "ONE=") == "1") con->flagsA |= CMG_A_ONE_CONNECTION;
    if (value(text, "STMT=") == "1") con->flagsA |= CMG_A_ONE_STATEMENT;
    if (value(text, "CONFLICTS=") == "1") con->flagsA |= CMG_A_ACCESS_CONFLICTS;
    std::string files = value(text, "FILES=");
    if (!files.empty()) {
      con->filePattern = ramAllocStr(files.c_str());
      con->flagsA |= CMG_A_FILE_DRIVER;
    }
    cmgSetOptionDefaults(con);
    return 0;
  }
};

// Installs the stand-in for one scope, with an environment of its own.
struct StandInEnvironment {
  StandInEnvironment() {
    previous = cmgSetConnector(StandInConnector::connect);
    env = cmgInit(CMG_API_CALLER);
  }
  ~StandInEnvironment() {
    if (env) cmgTerm(env);
    cmgSetConnector(previous);
  }
  size_t count() const {
    size_t n = 0;
    for (cmg_capabilities* r = env->connections; r; r = r->next) ++n;
    return n;
  }
  CmgConnector previous;
  cmgInfo* env;
};
