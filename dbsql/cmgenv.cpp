// The environment record: its creation with the driver manager's data sources, its
// termination, its own options, and the helpers shared by the connection manager.
#include "cmgenv_internal.h"

#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"
#include "dbutil/jxvalueparser.h"

#include <ctype.h>
#include <string.h>

namespace {

const char kDescriptionPatternStart[] = "(*.";

// The "*.ext" patterns of a data-source description: from the asterisk of "(*." up to
// the next ")". Null when there is none; *failed on an allocation failure.
char* filePatternOf(const char* description, bool* failed) {
  const char* start = strstr(description, kDescriptionPatternStart);
  if (!start) return nullptr;
  ++start;
  const char* end = strchr(start, ')');
  if (!end) return nullptr;
  char* pattern = ramAllocStr(start, static_cast<uint32_t>(end - start));
  if (!pattern) *failed = true;
  return pattern;
}

void freeSources(CmgDataSource* sources, uint16_t count) {
  if (!sources) return;
  for (uint16_t i = 0; i < count; ++i) {
    ramFree(sources[i].name);
    ramFree(sources[i].filePattern);
  }
  ramFree(sources);
}

// Lists the data sources of the driver manager into the environment.
JxStatus readSources(cmgInfo* env) {
  CmgDataSource* table = static_cast<CmgDataSource*>(ramAllocZ(sizeof(CmgDataSource)));
  if (!table) return 1;
  uint16_t count = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    name[0] = description[0] = 0;
    SQLRETURN rc = SQLDataSources(env->henv, direction, name, sizeof name, &nameLength, description,
                                  sizeof description, &descriptionLength);
    if (rc == SQL_NO_DATA) break;
    if (cmgDriverResult(env, nullptr, nullptr, rc) || count == 0xFFFF) {
      freeSources(table, count);
      return 1;
    }
    if (count > 0) {
      void* grown = table;
      if (ramResizeZ(&grown, (count + 1u) * sizeof(CmgDataSource))) {
        freeSources(table, count);
        return 1;
      }
      table = static_cast<CmgDataSource*>(grown);
    }
    bool failed = false;
    CmgDataSource& entry = table[count++];
    entry.name = ramAllocStr(reinterpret_cast<char*>(name));
    entry.filePattern = filePatternOf(reinterpret_cast<char*>(description), &failed);
    if (!entry.name || failed) {
      freeSources(table, count);
      return 1;
    }
    direction = SQL_FETCH_NEXT;
  }
  env->sources = table;
  env->sourceCount = count;
  return 0;
}

void freeEnvironment(cmgInfo* env) {
  if (env->henv) SQLFreeEnv(env->henv);
  freeSources(env->sources, env->sourceCount);
  ramFree(env->owned);
  ramFree(env->defaultConnect);
  delete env->lock;
  ramFree(env);
}

}  // namespace

cmgInfo* cmgInit(uint16_t callerFlags) {
  CmgCall call(nullptr);
  if (call.refused()) return nullptr;
  cmgInfo* env = static_cast<cmgInfo*>(ramAllocZ(sizeof(cmgInfo)));
  if (!env) return nullptr;
  env->lock = new JxSemaphore;
  if (!env->lock) {
    ramFree(env);
    return nullptr;
  }
  env->callerFlags = callerFlags;
  env->one = 1;
  SQLRETURN rc = SQLAllocEnv(&env->henv);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    env->henv = nullptr;
    JxErrorKeeper::addDatabaseError(SQLMSG_DRIVER_ERROR, 0,
                                    "The ODBC driver manager gave no environment handle.", JX_ERROR);
    freeEnvironment(env);
    return nullptr;
  }
  if (readSources(env)) {
    freeEnvironment(env);
    return nullptr;
  }
  return env;
}

JxStatus cmgTerm(cmgInfo* env) {
  if (!env) return cmgMissing("environment", "cmgTerm");
  {
    CmgCall call(env);
    if (call.refused()) return 1;
    for (;;) {
      cmg_capabilities* con;
      {
        CmgLock lock(env->lock);
        con = env->connections;
      }
      if (!con) break;
      con->transactionMode = 12292;
      if (cmgLogoffRecord(con, true)) return 1;
    }
  }
  freeEnvironment(env);
  return 0;
}

void cmgSetDllPrefix(cmgInfo* env, const char prefix[2]) {
  if (!env) {
    cmgMissing("environment", "cmgSetDllPrefix");
    return;
  }
  CmgCall call(env);
  if (call.refused()) return;
  CmgLock lock(env->lock);
  env->dllPrefix[0] = prefix ? prefix[0] : 0;
  env->dllPrefix[1] = prefix && prefix[0] ? prefix[1] : 0;
}

void cmgSetLoginTimeout(cmgInfo* env, uint32_t seconds) {
  if (!env) {
    cmgMissing("environment", "cmgSetLoginTimeout");
    return;
  }
  CmgCall call(env);
  if (call.refused()) return;
  CmgLock lock(env->lock);
  env->loginTimeout = seconds;
}

uint32_t cmgGetLoginTimeout(cmgInfo* env) {
  if (!env) {
    cmgMissing("environment", "cmgGetLoginTimeout");
    return 0;
  }
  CmgCall call(env);
  if (call.refused()) return 0;
  CmgLock lock(env->lock);
  return env->loginTimeout;
}

static JxStatus noDialog(cmgInfo* env) {
  CmgCall call(env);
  if (!call.refused()) sqlErrorById(SQLMSG_NO_CONNECTION_DIALOG);
  return 1;
}

JxStatus cmgDlgClearOptions(cmgInfo* env) { return noDialog(env); }
JxStatus cmgDlgSetOptions(cmgInfo* env, const char*) { return noDialog(env); }
JxStatus cmgDlgBox(cmgInfo* env, HWND) { return noDialog(env); }

void cmgProcessEsc(cmg_capabilities*, uint16_t) {}

short cmgCompare(const char* a, const char* b) {
  int r = strcmp(a, b);
  return r < 0 ? -1 : r > 0;
}

short cmgCompareCi(const char* a, const char* b) { return strCompareCi(a, b); }

const char* cmgFindCi(const char* text, const char* pattern) {
  if (!text || !pattern) return nullptr;
  size_t n = strlen(pattern);
  for (const char* p = text; *p; ++p) {
    size_t i = 0;
    while (i < n && p[i] && toupper(static_cast<unsigned char>(p[i])) == pattern[i]) ++i;
    if (i == n) return p;
  }
  return n == 0 ? text : nullptr;
}

const CmgDataSource* cmgFindSource(const cmgInfo* env, const char* name) {
  if (!name) return nullptr;
  for (uint16_t i = 0; i < env->sourceCount; ++i)
    if (strCompareCi(env->sources[i].name, name) == 0) return &env->sources[i];
  return nullptr;
}

JxStatus cmgMissing(const char* what, const char* where) {
  *sqlErrorById(SQLMSG_MISSING_ARGUMENT) << what << where;
  return 1;
}

JxStatus cmgCopyOut(const char* what, const char* text, char* buffer, uint32_t size) {
  uint32_t length = static_cast<uint32_t>(strlen(text));
  if (!buffer || length >= size) {
    *sqlErrorById(SQLMSG_BUFFER_TOO_SMALL)
        << what << static_cast<unsigned long>(length + 1) << static_cast<unsigned long>(buffer ? size : 0);
    return 1;
  }
  memcpy(buffer, text, length + 1);
  return 0;
}

namespace {

// The value of keyword read the old way: at an item's start, up to the next ";" (or
// the closing brace). For texts the attribute list cannot read.
JxStatus scanKeywordValue(const char* text, const char* keyword, JxString* out) {
  if (out->initialize(static_cast<uint32_t>(16))) return 1;
  if (!text) return 0;
  size_t n = strlen(keyword);
  for (const char* p = text; p;) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* found = cmgFindCi(p, keyword);
    if (found == p) {
      const char* v = p + n;
      while (*v == ' ' || *v == '\t') ++v;
      const char* end;
      if (*v == '{') {
        ++v;
        end = strchr(v, '}');
        if (!end) end = v + strlen(v);
      } else {
        end = strchr(v, ';');
        if (!end) end = v + strlen(v);
        while (end > v && (end[-1] == ' ' || end[-1] == '\t')) --end;
      }
      return out->concat(v, static_cast<uint32_t>(end - v));
    }
    p = strchr(p, ';');
    if (p) ++p;
  }
  return 0;
}

}  // namespace

JxStatus cmgKeywordValue(const char* text, const char* keyword, JxString* out) {
  if (out->initialize(static_cast<uint32_t>(16))) return 1;
  if (!text) return 0;
  // Read as an attribute list, so that a keyword inside a value (quoted, braced or
  // plain) is not taken for an item of its own. The parser's complaints about a text
  // it cannot read go to a list of their own: the old scan stands in then.
  JxSubString view(text);
  JxValueParser parser(&view, ';', nullptr);
  JxErrorList quiet(nullptr, 1);
  JxErrorKeeper::setErrorList(&quiet);
  JxStatus parsed = parser.initialize();
  JxErrorKeeper::giveUpErrorList();
  quiet.deleteNodes();
  if (parsed) return scanKeywordValue(text, keyword, out);
  size_t n = strlen(keyword);
  if (n && keyword[n - 1] == '=') --n;
  JxString key;
  if (key.initialize(keyword, static_cast<uint32_t>(n))) return 1;
  const JxSubString* value = parser.getAttributeValue(key.c_str());
  if (!value) return 0;
  const char* v = value->getPtr();
  uint32_t length = value->getLength();
  if (length >= 2 && v[0] == '{' && v[length - 1] == '}') {
    ++v;
    length -= 2;
  }
  return out->concat(v, length);
}

bool cmgParseNumber(const char* text, long min, long max, long* out) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 100000000L) return false;
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (*p) return false;
  if (negative) value = -value;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}
