// The driver-message service: the result of an ODBC call becomes the layer's status,
// and whatever SQLError has to say for the environment, the connection and the
// statement is collected into one error (or warning) on the calling thread's list.
// Callers compare SQLSTATEs in their ODBC 2 form; a driver manager that hands on
// ODBC 3 states has them mapped back here, once.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"

#include <string.h>

namespace {

// ODBC 3 states and the ODBC 2 states an ODBC 2 application is owed in their place.
struct StatePair {
  const char* odbc3;
  const char* odbc2;
};

const StatePair kStateMap[] = {
    {"07005", "24000"}, {"07009", "S1002"}, {"42000", "37000"}, {"42S01", "S0001"}, {"42S02", "S0002"},
    {"42S11", "S0011"}, {"42S12", "S0012"}, {"42S21", "S0021"}, {"42S22", "S0022"}, {"HY000", "S1000"},
    {"HY001", "S1001"}, {"HY003", "S1003"}, {"HY004", "S1004"}, {"HY008", "S1008"}, {"HY009", "S1009"},
    {"HY010", "S1010"}, {"HY011", "S1011"}, {"HY012", "S1012"}, {"HY090", "S1090"}, {"HY091", "S1091"},
    {"HY092", "S1092"}, {"HY096", "S1096"}, {"HY097", "S1097"}, {"HY098", "S1098"}, {"HY099", "S1099"},
    {"HY100", "S1100"}, {"HY101", "S1101"}, {"HY103", "S1103"}, {"HY104", "S1104"}, {"HY105", "S1105"},
    {"HY106", "S1106"}, {"HY107", "S1107"}, {"HY109", "S1109"}, {"HY110", "S1110"}, {"HY111", "S1111"},
    {"HYC00", "S1C00"}, {"HYT00", "S1T00"}, {"HYT01", "S1T00"},
};

// A driver that never stops answering SQLError is cut off after this many messages.
const int kMaxMessages = 64;

bool isWarningClass(const char* state) { return state[0] == '0' && state[1] == '1'; }

}  // namespace

void cmgOdbc2State(char* state) {
  if (!state) return;
  for (const StatePair& p : kStateMap)
    if (memcmp(state, p.odbc3, 5) == 0) {
      memcpy(state, p.odbc2, 5);
      return;
    }
}

int32_t cmgStateNumber(const char* state) {
  int32_t n = 0;
  for (int i = 0; i < 5 && state[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(state[i]);
    int digit = c >= '0' && c <= '9' ? c - '0' : c - 55;
    n = n * 36 + digit;
  }
  return n;
}

int32_t cmgCollectDriverMessages(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt, CmgDriverMessages* out) {
  memset(out, 0, sizeof *out);
  char kept[6] = "";
  SQLHENV henv = env ? env->henv : nullptr;
  for (int i = 0; i < kMaxMessages; ++i) {
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    uint16_t room = static_cast<uint16_t>(sizeof out->text - out->length);
    // With no room left the messages are still drained (and their states read).
    SQLCHAR spare[2];
    SQLCHAR* at = room > 1 ? reinterpret_cast<SQLCHAR*>(out->text + out->length) : spare;
    SQLSMALLINT size = room > 1 ? static_cast<SQLSMALLINT>(room) : sizeof spare;
    SQLRETURN r = SQLError(henv, hdbc, hstmt, state, &native, at, size, &length);
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO) break;
    char* s = reinterpret_cast<char*>(state);
    s[5] = 0;
    cmgOdbc2State(s);
    if (room > 1) {
      uint16_t added = length < 0 ? 0 : static_cast<uint16_t>(length);
      if (added > room - 1) added = static_cast<uint16_t>(room - 1);
      out->length = static_cast<uint16_t>(out->length + added);
      out->text[out->length] = 0;
    }
    if (!out->nativeCode && native) out->nativeCode = native;
    // The first state is kept; a warning state gives way to each later one.
    if (!kept[0] || isWarningClass(kept)) memcpy(kept, s, 6);
  }
  return kept[0] ? cmgStateNumber(kept) : 0;
}

int cmgSetDriverError(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt, SQLRETURN rc) {
  if (rc == SQL_SUCCESS) return 0;
  bool info = rc == SQL_SUCCESS_WITH_INFO;
  if (env) {
    if (info)
      env->callerFlags |= CMG_LAST_INFO;
    else
      env->callerFlags &= ~CMG_LAST_INFO;
  }
  if (rc == SQL_INVALID_HANDLE) {
    sqlErrorById(SQLMSG_INVALID_ODBC_HANDLE);
    return 1;
  }
  if (rc == SQL_NO_DATA_FOUND) {
    sqlErrorById(SQLMSG_EOF);
    return 1;
  }
  CmgDriverMessages* m = static_cast<CmgDriverMessages*>(ramAlloc(sizeof(CmgDriverMessages)));
  if (!m) return info ? 0 : 1;
  cmgCollectDriverMessages(env, hdbc, hstmt, m);
  if (!m->length && !info) {
    // Nothing said: the return code itself is the message.
    char text[64] = "The ODBC driver manager answered ";
    utlDecimal(text + strlen(text), static_cast<long>(rc));
    strcat(text, ".");
    memcpy(m->text, text, strlen(text) + 1);
  }
  if (m->length || !info) {
    if (m->nativeCode == 0) {
      JxError* e = info ? sqlWarningById(SQLMSG_DRIVER_WARNING) : sqlErrorById(SQLMSG_DRIVER_ERROR);
      if (e) *e << m->text;
    } else {
      JxErrorKeeper::addDatabaseError(SQLMSG_DRIVER_NATIVE, static_cast<unsigned long>(m->nativeCode),
                                      m->text, info ? JX_WARNING : JX_ERROR);
    }
  }
  ramFree(m);
  return info ? 0 : 1;
}

JxStatus cmgDriverResult(cmgInfo* env, SQLHDBC hdbc, SQLHSTMT hstmt, SQLRETURN rc) {
  return static_cast<JxStatus>(cmgSetDriverError(env, hdbc, hstmt, rc) & 0xFFFF);
}
