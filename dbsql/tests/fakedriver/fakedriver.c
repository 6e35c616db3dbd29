/* A small scripted ODBC 2 driver for the SQL layer's tests: a native shared object
 * that the host's driver manager loads. It answers what a script file tells it
 * (information items, missing functions, canned result sets, return codes and
 * SQLSTATEs of chosen calls) and writes every call it receives to a log file, so
 * that a test can see what reached the driver. README.md beside it describes the
 * script format and the DSN keys. */
#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FAKE_MAX_LINE 2048
#define FAKE_MAX_COLS 16

typedef enum { ANSWER_SHORT, ANSWER_INT, ANSWER_TEXT } AnswerKind;

typedef struct Info {
  struct Info* next;
  int type;
  AnswerKind kind;
  long number;
  char* text;
} Info;

/* A scripted outcome of a call: the return code and, optionally, one message. A call
 * with several entries returns the first one's code and queues all their messages. */
typedef struct Outcome {
  struct Outcome* next;
  char call[64];
  int code;
  char state[6];
  long native;
  char* message;
  int once; /* "once": used by the first matching call only */
  int used;
} Outcome;

typedef struct Row {
  struct Row* next;
  char* values[FAKE_MAX_COLS]; /* null for SQL NULL */
} Row;

typedef struct Result {
  struct Result* next;
  char* prefix; /* statement text that selects it; "TYPEINFO" for SQLGetTypeInfo */
  int columnCount;
  char* names[FAKE_MAX_COLS];
  int types[FAKE_MAX_COLS];
  long precisions[FAKE_MAX_COLS]; /* 0: the type's default */
  int scales[FAKE_MAX_COLS];
  Row* rows;
} Result;

typedef struct Message {
  struct Message* next;
  char state[6];
  long native;
  char* text;
} Message;

typedef struct Script {
  Info* infos;
  Outcome* outcomes;
  Result* results;
  char* nativeSql;
  int nativeRepeat; /* the native text is nativeSql this many times */
  int missing[100];
  int enforceOne;
} Script;

typedef struct Env {
  Message* messages;
  int nextId;
} Env;

typedef struct Stmt Stmt;

typedef struct Dbc {
  Env* env;
  int id;
  Message* messages;
  Script script;
  FILE* log;
  char dsn[256];
  int connected;
  Stmt* active;
  long options[200];
} Dbc;

typedef struct Binding {
  SQLSMALLINT cType;
  SQLPOINTER target;
  SQLLEN size;
  SQLLEN* indicator;
} Binding;

struct Stmt {
  Dbc* dbc;
  int id;
  Message* messages;
  Result* result;
  Row* row;
  int started;
  Binding bindings[FAKE_MAX_COLS];
};

static int g_ids;

/* ---- messages ---- */

static void pushMessage(Message** list, const char* state, long native, const char* text) {
  Message* m = calloc(1, sizeof *m);
  Message** end = list;
  if (!m) return;
  snprintf(m->state, sizeof m->state, "%s", state);
  m->native = native;
  m->text = strdup(text ? text : "");
  while (*end) end = &(*end)->next;
  *end = m;
}

static void clearMessages(Message** list) {
  while (*list) {
    Message* m = *list;
    *list = m->next;
    free(m->text);
    free(m);
  }
}

/* ---- log ---- */

static void logLine(Dbc* dbc, const char* format, ...) {
  va_list args;
  if (!dbc || !dbc->log) return;
  fprintf(dbc->log, "dbc%d ", dbc->id);
  va_start(args, format);
  vfprintf(dbc->log, format, args);
  va_end(args);
  fputc('\n', dbc->log);
  fflush(dbc->log);
}

/* ---- script ---- */

static char* trim(char* s) {
  char* end;
  while (isspace((unsigned char)*s)) ++s;
  end = s + strlen(s);
  while (end > s && isspace((unsigned char)end[-1])) --end;
  *end = 0;
  return s;
}

/* The next word of *p (blank-separated); *p moves past it. */
static char* word(char** p) {
  char* s = *p;
  char* start;
  while (isspace((unsigned char)*s)) ++s;
  start = s;
  while (*s && !isspace((unsigned char)*s)) ++s;
  if (*s) *s++ = 0;
  *p = s;
  return start;
}

static int sqlTypeCode(const char* name) {
  if (isdigit((unsigned char)*name) || *name == '-') return atoi(name);
  if (!strcmp(name, "int")) return SQL_INTEGER;
  if (!strcmp(name, "short")) return SQL_SMALLINT;
  return SQL_VARCHAR;
}

/* Splits a row line at "|" into the values; "\N" stands for NULL. */
static void splitRow(char* text, Row* row, int count) {
  int i;
  for (i = 0; i < count; ++i) {
    char* bar = strchr(text, '|');
    if (bar) *bar = 0;
    row->values[i] = strcmp(trim(text), "\\N") ? strdup(trim(text)) : NULL;
    if (!bar) break;
    text = bar + 1;
  }
}

static void readScript(Dbc* dbc, const char* path) {
  char line[FAKE_MAX_LINE];
  Result* current = NULL;
  FILE* f = fopen(path, "r");
  if (!f) {
    logLine(dbc, "no script %s", path);
    return;
  }
  while (fgets(line, sizeof line, f)) {
    char* p = trim(line);
    char* verb;
    if (!*p || *p == '#') continue;
    verb = word(&p);
    if (!strcmp(verb, "info")) {
      Info* info = calloc(1, sizeof *info);
      char* kind;
      info->type = atoi(word(&p));
      kind = word(&p);
      info->kind = !strcmp(kind, "short") ? ANSWER_SHORT : !strcmp(kind, "int") ? ANSWER_INT : ANSWER_TEXT;
      if (info->kind == ANSWER_TEXT)
        info->text = strdup(p);
      else
        info->number = strtol(p, NULL, 0);
      info->next = dbc->script.infos;
      dbc->script.infos = info;
    } else if (!strcmp(verb, "missing")) {
      int id = atoi(word(&p));
      if (id > 0 && id < 100) dbc->script.missing[id] = 1;
    } else if (!strcmp(verb, "return") || !strcmp(verb, "once")) {
      /* return CALL CODE [STATE NATIVE MESSAGE...]  or  once CALL CODE ... */
      Outcome* o = calloc(1, sizeof *o);
      Outcome** end = &dbc->script.outcomes;
      o->once = !strcmp(verb, "once");
      snprintf(o->call, sizeof o->call, "%s", word(&p));
      o->code = atoi(word(&p));
      if (*p) {
        snprintf(o->state, sizeof o->state, "%s", word(&p));
        o->native = atol(word(&p));
        o->message = strdup(p);
      }
      while (*end) end = &(*end)->next;
      *end = o;
    } else if (!strcmp(verb, "nativesql")) {
      free(dbc->script.nativeSql);
      dbc->script.nativeSql = strdup(p);
    } else if (!strcmp(verb, "nativerepeat")) {
      dbc->script.nativeRepeat = atoi(p);
    } else if (!strcmp(verb, "onestatement")) {
      dbc->script.enforceOne = 1;
    } else if (!strcmp(verb, "result")) {
      current = calloc(1, sizeof *current);
      current->prefix = strdup(p);
      current->next = dbc->script.results;
      dbc->script.results = current;
    } else if (!strcmp(verb, "columns") && current) {
      /* columns name:type name:type ...  (type int, short or text) */
      while (*p && current->columnCount < FAKE_MAX_COLS) {
        /* name:type[:precision[:scale]]; type may be an SQL type code */
        char* spec = word(&p);
        char* colon = strchr(spec, ':');
        char* more = NULL;
        if (colon) *colon++ = 0;
        if (colon && (more = strchr(colon, ':'))) *more++ = 0;
        current->names[current->columnCount] = strdup(spec);
        if (more) {
          char* scale = strchr(more, ':');
          if (scale) *scale++ = 0;
          current->precisions[current->columnCount] = atol(more);
          current->scales[current->columnCount] = scale ? atoi(scale) : 0;
        }
        current->types[current->columnCount++] = sqlTypeCode(colon ? colon : "text");
      }
    } else if (!strcmp(verb, "row") && current) {
      Row* row = calloc(1, sizeof *row);
      Row** end = &current->rows;
      splitRow(p, row, current->columnCount);
      while (*end) end = &(*end)->next;
      *end = row;
    }
  }
  fclose(f);
}

static void freeScript(Script* s) {
  while (s->infos) {
    Info* i = s->infos;
    s->infos = i->next;
    free(i->text);
    free(i);
  }
  while (s->outcomes) {
    Outcome* o = s->outcomes;
    s->outcomes = o->next;
    free(o->message);
    free(o);
  }
  while (s->results) {
    Result* r = s->results;
    int c;
    s->results = r->next;
    while (r->rows) {
      Row* row = r->rows;
      r->rows = row->next;
      for (c = 0; c < FAKE_MAX_COLS; ++c) free(row->values[c]);
      free(row);
    }
    for (c = 0; c < r->columnCount; ++c) free(r->names[c]);
    free(r->prefix);
    free(r);
  }
  free(s->nativeSql);
  memset(s, 0, sizeof *s);
}

/* The scripted code of a call (SQL_SUCCESS when none); queues its messages. */
static SQLRETURN outcome(Dbc* dbc, Message** list, const char* call, SQLRETURN normal) {
  SQLRETURN code = normal;
  int first = 1;
  Outcome* o;
  if (!dbc) return normal;
  for (o = dbc->script.outcomes; o; o = o->next) {
    if (strcmp(o->call, call)) continue;
    if (o->once) {
      if (o->used) continue;
      o->used = 1;
    }
    if (first) code = (SQLRETURN)o->code;
    first = 0;
    if (o->message) pushMessage(list, o->state, o->native, o->message);
  }
  if (!first) logLine(dbc, "%s scripted %d", call, (int)code);
  return code;
}

/* ---- the driver's entry points ---- */

SQLRETURN SQL_API SQLAllocEnv(SQLHENV* out) {
  Env* env = calloc(1, sizeof *env);
  if (!env) return SQL_ERROR;
  *out = env;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeEnv(SQLHENV handle) {
  Env* env = handle;
  clearMessages(&env->messages);
  free(env);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLAllocConnect(SQLHENV henv, SQLHDBC* out) {
  Dbc* dbc = calloc(1, sizeof *dbc);
  if (!dbc) return SQL_ERROR;
  dbc->env = henv;
  dbc->id = ++g_ids;
  *out = dbc;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeConnect(SQLHDBC handle) {
  Dbc* dbc = handle;
  logLine(dbc, "SQLFreeConnect");
  clearMessages(&dbc->messages);
  freeScript(&dbc->script);
  if (dbc->log) fclose(dbc->log);
  free(dbc);
  return SQL_SUCCESS;
}

/* The value of KEY= in a connection string (first occurrence at an item start). */
static void keyValue(const char* text, const char* key, char* out, size_t size) {
  size_t n = strlen(key);
  const char* p = text;
  out[0] = 0;
  while (p && *p) {
    while (*p == ' ' || *p == ';') ++p;
    if (!strncasecmp(p, key, n) && p[n] == '=') {
      const char* v = p + n + 1;
      size_t len = strcspn(v, ";");
      if (*v == '{') {
        const char* close = strchr(v, '}');
        if (close) len = (size_t)(close - v) + 1;
      }
      if (len >= size) len = size - 1;
      memcpy(out, v, len);
      out[len] = 0;
      return;
    }
    p = strchr(p, ';');
  }
}

/* The log and the script: "Log=" and "Script=" of the connection string, else the
 * DSN's keys of the same names. */
static SQLRETURN connectTo(Dbc* dbc, const char* dsn, const char* connectString) {
  char path[1024];
  snprintf(dbc->dsn, sizeof dbc->dsn, "%s", dsn);
  keyValue(connectString, "Log", path, sizeof path);
  if (!path[0]) SQLGetPrivateProfileString(dsn, "Log", "", path, sizeof path, "odbc.ini");
  if (path[0]) dbc->log = fopen(path, "a");
  logLine(dbc, "SQLDriverConnect %s", connectString);
  keyValue(connectString, "Script", path, sizeof path);
  if (!path[0]) SQLGetPrivateProfileString(dsn, "Script", "", path, sizeof path, "odbc.ini");
  if (path[0]) readScript(dbc, path);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outSize, SQLSMALLINT* outLength,
                                   SQLUSMALLINT completion) {
  Dbc* dbc = handle;
  char text[FAKE_MAX_LINE], dsn[256];
  SQLRETURN rc;
  size_t n = inLength == SQL_NTS ? strlen((char*)in) : (size_t)inLength;
  (void)window;
  (void)completion;
  if (n >= sizeof text) n = sizeof text - 1;
  memcpy(text, in, n);
  text[n] = 0;
  keyValue(text, "DSN", dsn, sizeof dsn);
  clearMessages(&dbc->messages);
  connectTo(dbc, dsn, text);
  rc = outcome(dbc, &dbc->messages, "SQLDriverConnect", SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    if (dbc->log) fclose(dbc->log);
    dbc->log = NULL;
    freeScript(&dbc->script);
    return rc;
  }
  dbc->connected = 1;
  if (out && outSize > 0) snprintf((char*)out, (size_t)outSize, "%s", text);
  if (outLength) *outLength = (SQLSMALLINT)strlen(text);
  return rc;
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* uid,
                             SQLSMALLINT uidLength, SQLCHAR* pwd, SQLSMALLINT pwdLength) {
  char name[256], text[300];
  size_t n = dsnLength == SQL_NTS ? strlen((char*)dsn) : (size_t)dsnLength;
  (void)uid, (void)uidLength, (void)pwd, (void)pwdLength;
  if (n >= sizeof name) n = sizeof name - 1;
  memcpy(name, dsn, n);
  name[n] = 0;
  snprintf(text, sizeof text, "DSN=%s", name);
  return SQLDriverConnect(handle, NULL, (SQLCHAR*)text, SQL_NTS, NULL, 0, NULL, SQL_DRIVER_NOPROMPT);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  Dbc* dbc = handle;
  logLine(dbc, "SQLDisconnect");
  dbc->connected = 0;
  return SQL_SUCCESS;
}

/* Answers of information items that no script overrides. */
static const Info* defaultInfo(int type) {
  static Info table[] = {
      {0, SQL_ACTIVE_CONNECTIONS, ANSWER_SHORT, 0, 0},
      {0, SQL_ACTIVE_STATEMENTS, ANSWER_SHORT, 0, 0},
      {0, SQL_DATA_SOURCE_NAME, ANSWER_TEXT, 0, 0},
      {0, SQL_USER_NAME, ANSWER_TEXT, 0, "fake"},
      {0, SQL_DATABASE_NAME, ANSWER_TEXT, 0, "main"},
      {0, SQL_IDENTIFIER_CASE, ANSWER_SHORT, SQL_IC_UPPER, 0},
      {0, SQL_IDENTIFIER_QUOTE_CHAR, ANSWER_TEXT, 0, "\""},
      {0, SQL_TXN_CAPABLE, ANSWER_SHORT, SQL_TC_ALL, 0},
      {0, SQL_OUTER_JOINS, ANSWER_TEXT, 0, "Y"},
      {0, SQL_STRING_FUNCTIONS, ANSWER_INT, SQL_FN_STR_UCASE, 0},
      {0, SQL_CURSOR_COMMIT_BEHAVIOR, ANSWER_SHORT, SQL_CB_PRESERVE, 0},
      {0, SQL_CURSOR_ROLLBACK_BEHAVIOR, ANSWER_SHORT, SQL_CB_PRESERVE, 0},
      {0, SQL_FETCH_DIRECTION, ANSWER_INT, SQL_FD_FETCH_NEXT, 0},
      {0, SQL_MAX_COLUMN_NAME_LEN, ANSWER_SHORT, 30, 0},
      {0, SQL_MAX_CURSOR_NAME_LEN, ANSWER_SHORT, 18, 0},
      {0, SQL_MAX_OWNER_NAME_LEN, ANSWER_SHORT, 30, 0},
      {0, SQL_MAX_PROCEDURE_NAME_LEN, ANSWER_SHORT, 30, 0},
      {0, SQL_MAX_QUALIFIER_NAME_LEN, ANSWER_SHORT, 0, 0},
      {0, SQL_MAX_TABLE_NAME_LEN, ANSWER_SHORT, 30, 0},
      {0, SQL_QUALIFIER_NAME_SEPARATOR, ANSWER_TEXT, 0, "."},
      {0, SQL_SEARCH_PATTERN_ESCAPE, ANSWER_TEXT, 0, "\\"},
      {0, SQL_DRIVER_ODBC_VER, ANSWER_TEXT, 0, "02.00"},
      {0, SQL_ODBC_API_CONFORMANCE, ANSWER_SHORT, SQL_OAC_LEVEL1, 0},
      {0, SQL_ODBC_SQL_CONFORMANCE, ANSWER_SHORT, SQL_OSC_CORE, 0},
      {0, SQL_GETDATA_EXTENSIONS, ANSWER_INT, 0, 0},
      {0, SQL_CURSOR_SENSITIVITY, ANSWER_INT, 0, 0},
  };
  size_t i;
  for (i = 0; i < sizeof table / sizeof table[0]; ++i)
    if (table[i].type == type) return &table[i];
  return NULL;
}

static SQLRETURN putText(const char* text, SQLPOINTER out, SQLSMALLINT size, SQLSMALLINT* length) {
  size_t n = strlen(text);
  if (length) *length = (SQLSMALLINT)n;
  if (out && size > 0) snprintf(out, (size_t)size, "%s", text);
  return n < (size_t)size || !out ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER out, SQLSMALLINT size,
                             SQLSMALLINT* length) {
  Dbc* dbc = handle;
  const Info* info;
  char call[32];
  SQLRETURN rc;
  clearMessages(&dbc->messages);
  snprintf(call, sizeof call, "SQLGetInfo:%u", (unsigned)type);
  rc = outcome(dbc, &dbc->messages, call, SQL_SUCCESS);
  if (rc != SQL_SUCCESS) return rc;
  for (info = dbc->script.infos; info && info->type != type; info = info->next) {
  }
  if (!info) info = defaultInfo(type);
  if (!info) {
    logLine(dbc, "SQLGetInfo %u unknown", (unsigned)type);
    pushMessage(&dbc->messages, "S1096", 0, "[fake] information type out of range");
    return SQL_ERROR;
  }
  logLine(dbc, "SQLGetInfo %u", (unsigned)type);
  if (info->kind == ANSWER_SHORT) {
    if (out) *(SQLUSMALLINT*)out = (SQLUSMALLINT)info->number;
    if (length) *length = 2;
    return SQL_SUCCESS;
  }
  if (info->kind == ANSWER_INT) {
    if (out) *(SQLUINTEGER*)out = (SQLUINTEGER)info->number;
    if (length) *length = 4;
    return SQL_SUCCESS;
  }
  if (type == SQL_DATA_SOURCE_NAME && !info->text) return putText(dbc->dsn, out, size, length);
  return putText(info->text ? info->text : "", out, size, length);
}

SQLRETURN SQL_API SQLGetFunctions(SQLHDBC handle, SQLUSMALLINT id, SQLUSMALLINT* out) {
  Dbc* dbc = handle;
  if (id == SQL_API_ALL_FUNCTIONS) {
    int i;
    for (i = 0; i < 100; ++i) out[i] = dbc->script.missing[i] ? SQL_FALSE : SQL_TRUE;
    return SQL_SUCCESS;
  }
  *out = id < 100 && dbc->script.missing[id] ? SQL_FALSE : SQL_TRUE;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC handle, SQLUSMALLINT option, SQLULEN value) {
  Dbc* dbc = handle;
  char call[48];
  clearMessages(&dbc->messages);
  logLine(dbc, "SQLSetConnectOption %u %lu", (unsigned)option, (unsigned long)value);
  if (option < 200) dbc->options[option] = (long)value;
  snprintf(call, sizeof call, "SQLSetConnectOption:%u", (unsigned)option);
  return outcome(dbc, &dbc->messages, call, SQL_SUCCESS);
}

SQLRETURN SQL_API SQLGetConnectOption(SQLHDBC handle, SQLUSMALLINT option, SQLPOINTER value) {
  Dbc* dbc = handle;
  clearMessages(&dbc->messages);
  logLine(dbc, "SQLGetConnectOption %u", (unsigned)option);
  if (option == SQL_CURRENT_QUALIFIER) {
    pushMessage(&dbc->messages, "S1C00", 0, "[fake] no qualifiers");
    return SQL_ERROR;
  }
  if (option < 200 && value) *(SQLUINTEGER*)value = (SQLUINTEGER)dbc->options[option];
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLTransact(SQLHENV henv, SQLHDBC handle, SQLUSMALLINT type) {
  Dbc* dbc = handle;
  (void)henv;
  if (dbc) clearMessages(&dbc->messages);
  logLine(dbc, "SQLTransact %s", type == SQL_COMMIT ? "commit" : "rollback");
  return outcome(dbc, dbc ? &dbc->messages : NULL, "SQLTransact", SQL_SUCCESS);
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC handle, SQLCHAR* in, SQLINTEGER inLength, SQLCHAR* out,
                               SQLINTEGER size, SQLINTEGER* length) {
  Dbc* dbc = handle;
  char text[FAKE_MAX_LINE];
  char* answer = text;
  size_t n = inLength == SQL_NTS ? strlen((char*)in) : (size_t)inLength;
  SQLRETURN rc;
  if (n >= sizeof text) n = sizeof text - 1;
  memcpy(text, in, n);
  text[n] = 0;
  clearMessages(&dbc->messages);
  logLine(dbc, "SQLNativeSql %s", text);
  if (dbc->script.nativeSql) {
    int times = dbc->script.nativeRepeat > 1 ? dbc->script.nativeRepeat : 1, i;
    size_t one = strlen(dbc->script.nativeSql);
    answer = malloc(one * (size_t)times + 1);
    if (!answer) return SQL_ERROR;
    for (i = 0; i < times; ++i) memcpy(answer + one * (size_t)i, dbc->script.nativeSql, one);
    answer[one * (size_t)times] = 0;
  }
  if (length) *length = (SQLINTEGER)strlen(answer);
  if (out && size > 0) snprintf((char*)out, (size_t)size, "%s", answer);
  rc = outcome(dbc, &dbc->messages, "SQLNativeSql", SQL_SUCCESS);
  /* An answer cut to the caller's buffer says so, as the standard asks. */
  if (rc == SQL_SUCCESS && out && (SQLINTEGER)strlen(answer) >= size) {
    pushMessage(&dbc->messages, "01004", 0, "[fake] data truncated");
    logLine(dbc, "SQLNativeSql truncated at %d", (int)size);
    rc = SQL_SUCCESS_WITH_INFO;
  }
  if (answer != text) free(answer);
  return rc;
}

SQLRETURN SQL_API SQLAllocStmt(SQLHDBC handle, SQLHSTMT* out) {
  Dbc* dbc = handle;
  Stmt* stmt;
  SQLRETURN rc;
  clearMessages(&dbc->messages);
  rc = outcome(dbc, &dbc->messages, "SQLAllocStmt", SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  stmt = calloc(1, sizeof *stmt);
  if (!stmt) return SQL_ERROR;
  stmt->dbc = dbc;
  stmt->id = ++g_ids;
  logLine(dbc, "SQLAllocStmt stmt%d", stmt->id);
  *out = stmt;
  return rc;
}

static void closeCursor(Stmt* stmt) {
  stmt->result = NULL;
  stmt->row = NULL;
  stmt->started = 0;
  if (stmt->dbc->active == stmt) stmt->dbc->active = NULL;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
  Stmt* stmt = handle;
  Dbc* dbc = stmt->dbc;
  logLine(dbc, "SQLFreeStmt stmt%d %u", stmt->id, (unsigned)option);
  if (option == SQL_CLOSE || option == SQL_DROP) closeCursor(stmt);
  if (option == SQL_UNBIND) memset(stmt->bindings, 0, sizeof stmt->bindings);
  if (option == SQL_DROP) {
    clearMessages(&stmt->messages);
    free(stmt);
  }
  return SQL_SUCCESS;
}

/* Makes the result chosen by prefix the statement's cursor. */
static SQLRETURN openResult(Stmt* stmt, const char* call, const char* text) {
  Dbc* dbc = stmt->dbc;
  Result* r;
  SQLRETURN rc;
  clearMessages(&stmt->messages);
  rc = outcome(dbc, &stmt->messages, call, SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  if (dbc->script.enforceOne && dbc->active && dbc->active != stmt) {
    logLine(dbc, "%s stmt%d refused: stmt%d is active", call, stmt->id, dbc->active->id);
    pushMessage(&stmt->messages, "S1000", 0, "[fake] connection is busy with another statement");
    return SQL_ERROR;
  }
  closeCursor(stmt);
  for (r = dbc->script.results; r; r = r->next)
    if (!strncasecmp(text, r->prefix, strlen(r->prefix))) break;
  stmt->result = r;
  if (r) dbc->active = stmt;
  return rc;
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
  Stmt* stmt = handle;
  char copy[FAKE_MAX_LINE];
  size_t n = length == SQL_NTS ? strlen((char*)text) : (size_t)length;
  if (n >= sizeof copy) n = sizeof copy - 1;
  memcpy(copy, text, n);
  copy[n] = 0;
  logLine(stmt->dbc, "SQLExecDirect stmt%d %s", stmt->id, copy);
  return openResult(stmt, "SQLExecDirect", copy);
}

SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT handle, SQLSMALLINT type) {
  Stmt* stmt = handle;
  logLine(stmt->dbc, "SQLGetTypeInfo stmt%d %d", stmt->id, (int)type);
  return openResult(stmt, "SQLGetTypeInfo", "TYPEINFO");
}

static const char* part(SQLCHAR* text, SQLSMALLINT length, char* copy, size_t size) {
  size_t n;
  if (!text) return "-";
  n = length == SQL_NTS ? strlen((char*)text) : (size_t)length;
  if (n >= size) n = size - 1;
  memcpy(copy, text, n);
  copy[n] = 0;
  return copy;
}

/* Logs the parts it was given ("-" for none); the result is scripted as "COLUMNS". */
SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR* qualifier, SQLSMALLINT qualifierLength, SQLCHAR* owner,
                             SQLSMALLINT ownerLength, SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* column,
                             SQLSMALLINT columnLength) {
  Stmt* stmt = handle;
  char q[256], o[256], t[256], c[256];
  logLine(stmt->dbc, "SQLColumns stmt%d %s %s %s %s", stmt->id, part(qualifier, qualifierLength, q, sizeof q),
          part(owner, ownerLength, o, sizeof o), part(table, tableLength, t, sizeof t),
          part(column, columnLength, c, sizeof c));
  return openResult(stmt, "SQLColumns", "COLUMNS");
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
  Stmt* stmt = handle;
  *count = stmt->result ? (SQLSMALLINT)stmt->result->columnCount : 0;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
  (void)handle;
  *count = 0;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size,
                                 SQLSMALLINT* length, SQLSMALLINT* type, SQLULEN* precision,
                                 SQLSMALLINT* scale, SQLSMALLINT* nullable) {
  Stmt* stmt = handle;
  Result* r = stmt->result;
  if (!r || column < 1 || column > r->columnCount) {
    pushMessage(&stmt->messages, "S1002", 0, "[fake] invalid column number");
    return SQL_ERROR;
  }
  putText(r->names[column - 1], name, size, length);
  if (type) *type = (SQLSMALLINT)r->types[column - 1];
  if (precision)
    *precision = r->precisions[column - 1] ? (SQLULEN)r->precisions[column - 1]
                 : r->types[column - 1] == SQL_VARCHAR ? 255 : 10;
  if (scale) *scale = (SQLSMALLINT)r->scales[column - 1];
  if (nullable) *nullable = SQL_NULLABLE;
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                             SQLLEN size, SQLLEN* indicator) {
  Stmt* stmt = handle;
  if (column < 1 || column > FAKE_MAX_COLS) {
    pushMessage(&stmt->messages, "S1002", 0, "[fake] invalid column number");
    return SQL_ERROR;
  }
  stmt->bindings[column - 1].cType = cType;
  stmt->bindings[column - 1].target = target;
  stmt->bindings[column - 1].size = size;
  stmt->bindings[column - 1].indicator = indicator;
  return SQL_SUCCESS;
}

/* One value into a buffer of a C type; the indicator gets the length or SQL_NULL_DATA.
 * Integer columns report their own width (2 for SMALLINT), as some drivers do. */
static void putValue(const char* value, int sqlType, SQLSMALLINT cType, SQLPOINTER target, SQLLEN size,
                     SQLLEN* indicator) {
  if (!value) {
    if (indicator) *indicator = SQL_NULL_DATA;
    return;
  }
  switch (cType) {
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
      if (target) *(SQLSMALLINT*)target = (SQLSMALLINT)strtol(value, NULL, 0);
      if (indicator) *indicator = 2;
      return;
    case SQL_C_LONG:
    case SQL_C_SLONG:
      if (target) {
        if (sqlType == SQL_SMALLINT)
          *(SQLSMALLINT*)target = (SQLSMALLINT)strtol(value, NULL, 0);
        else
          *(SQLINTEGER*)target = (SQLINTEGER)strtol(value, NULL, 0);
      }
      if (indicator) *indicator = sqlType == SQL_SMALLINT ? 2 : 4;
      return;
    default:
      if (target && size > 0) snprintf(target, (size_t)size, "%s", value);
      if (indicator) *indicator = (SQLLEN)strlen(value);
      return;
  }
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
  Stmt* stmt = handle;
  int c;
  clearMessages(&stmt->messages);
  if (!stmt->result) return SQL_NO_DATA_FOUND; /* nothing scripted: no rows */
  stmt->row = stmt->started ? (stmt->row ? stmt->row->next : NULL) : stmt->result->rows;
  stmt->started = 1;
  if (!stmt->row) return SQL_NO_DATA_FOUND;
  for (c = 0; c < stmt->result->columnCount; ++c) {
    Binding* b = &stmt->bindings[c];
    if (b->target || b->indicator)
      putValue(stmt->row->values[c], stmt->result->types[c], b->cType, b->target, b->size, b->indicator);
  }
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
                             SQLLEN size, SQLLEN* indicator) {
  Stmt* stmt = handle;
  if (!stmt->row || column < 1 || column > stmt->result->columnCount) {
    pushMessage(&stmt->messages, "S1002", 0, "[fake] invalid column number");
    return SQL_ERROR;
  }
  {
    /* A scripted failure or warning of one column ("SQLGetData:N"). */
    char call[32];
    SQLRETURN code;
    snprintf(call, sizeof call, "SQLGetData:%d", (int)column);
    code = outcome(stmt->dbc, &stmt->messages, call, SQL_SUCCESS);
    if (code != SQL_SUCCESS && code != SQL_SUCCESS_WITH_INFO) return code;
    putValue(stmt->row->values[column - 1], stmt->result->types[column - 1], cType, target, size, indicator);
    return code;
  }
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT handle) {
  Stmt* stmt = handle;
  logLine(stmt->dbc, "SQLCancel stmt%d", stmt->id);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR* state, SQLINTEGER* native,
                           SQLCHAR* text, SQLSMALLINT size, SQLSMALLINT* length) {
  Message** list = hstmt  ? &((Stmt*)hstmt)->messages
                   : hdbc ? &((Dbc*)hdbc)->messages
                   : henv ? &((Env*)henv)->messages
                          : NULL;
  Message* m;
  if (!list || !*list) return SQL_NO_DATA_FOUND;
  m = *list;
  *list = m->next;
  if (state) snprintf((char*)state, 6, "%s", m->state);
  if (native) *native = (SQLINTEGER)m->native;
  putText(m->text, text, size, length);
  free(m->text);
  free(m);
  return SQL_SUCCESS;
}

/* Catalogue functions: empty results (a script may give rows with "result"). */
SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT handle, SQLCHAR* q, SQLSMALLINT ql, SQLCHAR* o, SQLSMALLINT ol,
                                 SQLCHAR* t, SQLSMALLINT tl) {
  (void)q, (void)ql, (void)o, (void)ol, (void)t, (void)tl;
  return openResult(handle, "SQLPrimaryKeys", "PRIMARYKEYS");
}

SQLRETURN SQL_API SQLProcedures(SQLHSTMT handle, SQLCHAR* q, SQLSMALLINT ql, SQLCHAR* o, SQLSMALLINT ol,
                                SQLCHAR* p, SQLSMALLINT pl) {
  (void)q, (void)ql, (void)o, (void)ol, (void)p, (void)pl;
  return openResult(handle, "SQLProcedures", "PROCEDURES");
}

/* Statements prepared and described: the canned result chosen by the text's prefix. */
SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
  Stmt* stmt = handle;
  char copy[FAKE_MAX_LINE];
  size_t n = length == SQL_NTS ? strlen((char*)text) : (size_t)length;
  if (n >= sizeof copy) n = sizeof copy - 1;
  memcpy(copy, text, n);
  copy[n] = 0;
  logLine(stmt->dbc, "SQLPrepare stmt%d %s", stmt->id, copy);
  return openResult(stmt, "SQLPrepare", copy);
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
  Stmt* stmt = handle;
  logLine(stmt->dbc, "SQLExecute stmt%d", stmt->id);
  return outcome(stmt->dbc, &stmt->messages, "SQLExecute", SQL_SUCCESS);
}

static const char* typeNameOf(int type) {
  switch (type) {
    case SQL_INTEGER: return "INTEGER";
    case SQL_SMALLINT: return "SMALLINT";
    case SQL_VARCHAR: return "VARCHAR";
    default: return "UNKNOWN";
  }
}

/* Column attributes: the standard ones from the column's type; the driver-specific
 * 1002 answers 1 unless a script line "return SQLColAttributes:1002 ..." says
 * otherwise; any other attribute fails with S1091. */
SQLRETURN SQL_API SQLColAttributes(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT type, SQLPOINTER text,
                                   SQLSMALLINT size, SQLSMALLINT* length, SQLLEN* number) {
  Stmt* stmt = handle;
  Result* r = stmt->result;
  char call[64];
  SQLRETURN rc;
  int sqlType;
  SQLLEN value = 0;
  clearMessages(&stmt->messages);
  if (!r || column < 1 || column > r->columnCount) {
    pushMessage(&stmt->messages, "S1002", 0, "[fake] invalid column number");
    return SQL_ERROR;
  }
  snprintf(call, sizeof call, "SQLColAttributes:%u", (unsigned)type);
  rc = outcome(stmt->dbc, &stmt->messages, call, SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  sqlType = r->types[column - 1];
  switch (type) {
    case SQL_COLUMN_TYPE_NAME:
      putText(typeNameOf(sqlType), text, size, length);
      return rc;
    case SQL_COLUMN_LENGTH:
      if (r->precisions[column - 1]) {
        value = r->precisions[column - 1];
        break;
      }
      value = sqlType == SQL_VARCHAR ? 255 : sqlType == SQL_SMALLINT ? 2 : sqlType == SQL_INTEGER ? 4 : 10;
      break;
    case SQL_COLUMN_UPDATABLE:
      value = SQL_ATTR_READWRITE_UNKNOWN;
      break;
    case SQL_COLUMN_SEARCHABLE:
      value = SQL_SEARCHABLE;
      break;
    case SQL_COLUMN_MONEY:
    case SQL_COLUMN_UNSIGNED:
    case SQL_COLUMN_AUTO_INCREMENT:
      value = 0;
      break;
    case 1002:
      value = 1;
      break;
    default:
      pushMessage(&stmt->messages, "S1091", 0, "[fake] descriptor type out of range");
      return SQL_ERROR;
  }
  if (number) *number = value;
  return rc;
}

SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT handle, SQLUSMALLINT option, SQLULEN value) {
  Stmt* stmt = handle;
  char call[64];
  clearMessages(&stmt->messages);
  logLine(stmt->dbc, "SQLSetStmtOption stmt%d %u %lu", stmt->id, (unsigned)option, (unsigned long)value);
  snprintf(call, sizeof call, "SQLSetStmtOption:%u", (unsigned)option);
  return outcome(stmt->dbc, &stmt->messages, call, SQL_SUCCESS);
}

/* The rows of the statement's result (0 without one). */
static long resultRows(const Stmt* stmt) {
  long n = 0;
  const Row* r;
  if (!stmt->result) return 0;
  for (r = stmt->result->rows; r; r = r->next) ++n;
  return n;
}

/* One row at a time: SQL_FETCH_NEXT, or SQL_FETCH_ABSOLUTE to row N (from 1); a row
 * outside the result answers 100 and leaves the cursor before the first row. Other
 * fetch types fail with S1106. Logged as "SQLExtendedFetch stmtN TYPE N"; scripted as
 * "SQLExtendedFetch". */
SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT handle, SQLUSMALLINT type, SQLLEN row, SQLULEN* count,
                                   SQLUSMALLINT* status) {
  Stmt* stmt = handle;
  SQLRETURN rc;
  int c;
  clearMessages(&stmt->messages);
  logLine(stmt->dbc, "SQLExtendedFetch stmt%d %u %ld", stmt->id, (unsigned)type, (long)row);
  rc = outcome(stmt->dbc, &stmt->messages, "SQLExtendedFetch", SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  if (count) *count = 0;
  if (type == SQL_FETCH_NEXT) {
    stmt->row = stmt->started ? (stmt->row ? stmt->row->next : NULL) : (stmt->result ? stmt->result->rows : NULL);
  } else if (type == SQL_FETCH_ABSOLUTE) {
    Row* r = stmt->result && row >= 1 ? stmt->result->rows : NULL;
    long i;
    for (i = 1; r && i < row; ++i) r = r->next;
    stmt->row = r;
  } else {
    pushMessage(&stmt->messages, "S1106", 0, "[fake] fetch type out of range");
    return SQL_ERROR;
  }
  stmt->started = 1;
  if (!stmt->row) {
    /* Past either end: the next SQL_FETCH_NEXT starts again at the first row. */
    stmt->started = 0;
    return SQL_NO_DATA_FOUND;
  }
  for (c = 0; c < stmt->result->columnCount; ++c) {
    Binding* b = &stmt->bindings[c];
    if (b->target || b->indicator)
      putValue(stmt->row->values[c], stmt->result->types[c], b->cType, b->target, b->size, b->indicator);
  }
  if (count) *count = 1;
  if (status) status[0] = SQL_ROW_SUCCESS;
  return rc;
}

/* The private statement option 1047: the number of rows of the statement's result.
 * Other options fail with S1092. Logged as "SQLGetStmtOption stmtN OPTION"; scripted
 * as "SQLGetStmtOption:OPTION". */
SQLRETURN SQL_API SQLGetStmtOption(SQLHSTMT handle, SQLUSMALLINT option, SQLPOINTER value) {
  Stmt* stmt = handle;
  char call[64];
  SQLRETURN rc;
  clearMessages(&stmt->messages);
  logLine(stmt->dbc, "SQLGetStmtOption stmt%d %u", stmt->id, (unsigned)option);
  snprintf(call, sizeof call, "SQLGetStmtOption:%u", (unsigned)option);
  rc = outcome(stmt->dbc, &stmt->messages, call, SQL_SUCCESS);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  if (option != 1047) {
    pushMessage(&stmt->messages, "S1092", 0, "[fake] option type out of range");
    return SQL_ERROR;
  }
  if (value) *(SQLULEN*)value = (SQLULEN)resultRows(stmt);
  return rc;
}
