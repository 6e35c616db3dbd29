// Information items of a connection: names and labels for dialogs, the current
// database or directory, and qualified names. Records with a file pattern (and calls
// without a connection) answer as file drivers: their database is the current drive
// and their owner the current directory.
#include "cmgenv_internal.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"

#include <ctype.h>
#include <string.h>

namespace {

bool isFileDriver(const cmg_capabilities* con) { return !con || con->filePattern; }

const char* text(const char* t) { return t ? t : ""; }

// Names compared the way the driver's identifier case says.
short nameCompare(const char* a, const char* b, uint16_t identifierCase) {
  switch (identifierCase) {
    case SQL_IC_UPPER:
    case SQL_IC_LOWER:
      return strCompareCi(a, b);
    case SQL_IC_SENSITIVE:
    case SQL_IC_MIXED:
      return cmgCompare(a, b);
    default:
      return 0;
  }
}

// A text item of the driver.
JxStatus driverText(cmg_capabilities* con, SQLUSMALLINT item, JxString* out) {
  char buffer[80];
  SQLSMALLINT length = 0;
  buffer[0] = 0;
  if (cmgDriverResult(con->owner, con->hdbc, nullptr,
                      SQLGetInfo(con->hdbc, item, buffer, sizeof buffer, &length)))
    return 1;
  return out->concat(buffer);
}

// "%s List" with its "%s" filled.
JxStatus listLabel(const char* term, JxString* out) {
  char label[SQL_MESSAGE_SIZE];
  sqlLoadMessage(SQLMSG_LIST_LABEL, label);
  const char* at = strstr(label, "%s");
  if (!at) return out->concat(label);
  return out->concat(label, static_cast<uint32_t>(at - label)) || out->concat(term) || out->concat(at + 2);
}

JxStatus messageText(unsigned short number, JxString* out) {
  char t[SQL_MESSAGE_SIZE];
  sqlLoadMessage(number, t);
  return out->concat(t);
}

// Makes the database name given at connect the current drive and directory, once.
void enterConnectPlace(cmg_capabilities* con) {
  if (!con || !con->filePattern || (con->flagsB & CMG_B_PLACE_CHANGED) || !con->databaseName ||
      !con->databaseName[0])
    return;
  char place[BOS_NAME_SIZE];
  if (strlen(con->databaseName) >= sizeof place) return;
  strcpy(place, con->databaseName);
  if (con->flagsB & CMG_B_DATABASE_IS_A) {
    const char* ext = strrchr(place, '.');
    char first[8] = {0};
    const char* pattern = strchr(con->filePattern, '.');
    if (pattern) {
      size_t n = strcspn(pattern + 1, ",;");
      if (n < sizeof first) memcpy(first, pattern + 1, n);
    }
    if (ext && first[0] && strCompareCi(ext + 1, first) == 0) {
      char* kept = ramAllocStr(place);
      if (kept) {
        ramFree(con->directory);
        con->directory = kept;
      }
      char* cut = strrchr(place, '\\');
      if (!cut) cut = strrchr(place, ':');
      if (!cut)
        place[0] = 0;
      else
        cut[cut[0] == ':' ? 1 : 0] = 0;
    }
  }
  if (place[0] && bosstcwd(place)) JxErrorKeeper::clearLastError();
  con->flagsB |= CMG_B_PLACE_CHANGED;
}

// The current drive and directory, lower case, split at the first ":".
JxStatus currentPlace(const cmg_capabilities* con, JxString* drive, JxString* directory) {
  char cwd[BOS_NAME_SIZE];
  if (bosgtcwd(cwd, 0)) return 1;
  for (char* p = cwd; *p; ++p) *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
  const char* colon = strchr(cwd, ':');
  const char* dir = colon ? colon + 1 : cwd;
  if (drive->initialize(cwd, colon ? static_cast<uint32_t>(colon - cwd) : 0)) return 1;
  if (con && (con->flagsB & CMG_B_DATABASE_IS_A) && con->directory && con->directory[0]) {
    const char* stored = strchr(con->directory, ':');
    dir = stored ? stored + 1 : con->directory;
  }
  return directory->initialize(dir);
}

bool holdsTwice(const char* name, const char* sep) {
  const char* first = strstr(name, sep);
  return first && strstr(first + strlen(sep), sep);
}

JxStatus quoted(JxString* out, const char* part, char quote) {
  if (!quote) return out->concat(part);
  return out->concat(quote) || out->concat(part) || out->concat(quote);
}

// Item 11: the caller's table name qualified with the database.
JxStatus qualifiedTable(cmg_capabilities* con, const char* name, JxString* out) {
  if (con && con->maxQualifierName == 0 && !isFileDriver(con)) return out->concat(name);
  bool file = isFileDriver(con);
  const char* sep = con && con->qualifierSeparator && con->qualifierSeparator[0] ? con->qualifierSeparator
                                                                                 : (file ? "\\" : ".");
  size_t sepLength = strlen(sep);
  uint16_t syntax = con ? con->qualifierSyntax : 0;
  JxString drive, directory;
  const char* database = con ? text(con->databaseName) : "";
  if (file) {
    if (currentPlace(con, &drive, &directory)) return 1;
    database = drive.c_str();
  }
  if (syntax & CMG_QUALIFIER_AFTER) {
    const char* at = strstr(name, sep);
    if (at && at[sepLength] && strcmp(at + sepLength, "..") != 0) return out->concat(name);
    if (at) return out->concat(name, static_cast<uint32_t>(at - name));
    return out->concat(name) || out->concat(sep) || out->concat(database);
  }
  if (syntax & CMG_QUALIFIER_DOUBLE) {
    if (holdsTwice(name, sep)) return out->concat(name);
    return out->concat(database) || out->concat(sep) || (!strstr(name, sep) && out->concat(sep)) ||
           out->concat(name);
  }
  if (file) {
    if (strncmp(name, sep, sepLength) == 0 || strchr(name, ':')) return out->concat(name);
    char quote = con ? static_cast<char>(con->quoteChar) : 0;
    return quoted(out, drive.c_str(), quote) || out->concat(':') || quoted(out, directory.c_str(), quote) ||
           out->concat(sep) || out->concat(name);
  }
  if (holdsTwice(name, sep) || !database[0]) return out->concat(name);
  return out->concat(database) || out->concat(sep) || out->concat(name);
}

// Item 12: with the qualifier after the name, "q<sep>rest" becomes "rest.q" (or
// "rest..q" when the rest holds no ".").
JxStatus qualifierLast(cmg_capabilities* con, const char* name, JxString* out) {
  const char* sep = con && con->qualifierSeparator ? con->qualifierSeparator : "";
  const char* at = sep[0] ? strstr(name, sep) : nullptr;
  if (!con || !(con->qualifierSyntax & CMG_QUALIFIER_AFTER) || !at) return out->concat(name);
  const char* rest = at + strlen(sep);
  return out->concat(rest) || out->concat('.') || (!strchr(rest, '.') && out->concat('.')) ||
         out->concat(name, static_cast<uint32_t>(at - name));
}

// Item 13: "[x]y" becomes "y@x" (x left out when it is "..") with the qualifier after
// the name, else "x.*y".
JxStatus bracketed(cmg_capabilities* con, const char* name, JxString* out) {
  const char* close = name[0] == '[' ? strchr(name, ']') : nullptr;
  if (!close) return out->concat(name);
  JxString x;
  if (x.initialize(name + 1, static_cast<uint32_t>(close - name - 1))) return 1;
  const char* y = close + 1;
  if (con && (con->qualifierSyntax & CMG_QUALIFIER_AFTER)) {
    if (out->concat(y) || out->concat('@')) return 1;
    return strcmp(x.c_str(), "..") == 0 ? 0 : out->concat(x.c_str());
  }
  return out->concat(x.c_str()) || out->concat(".*") || out->concat(y);
}

// Item 15: what the driver makes of "{fn UCASE(t)}", up to and including its "(";
// empty when the driver has no upper-case function or the call fails.
JxStatus upperFunction(cmg_capabilities* con, JxString* out) {
  if (!con || !con->hdbc) return 0;
  SQLUINTEGER functions = 0;
  if (SQLGetInfo(con->hdbc, SQL_STRING_FUNCTIONS, &functions, sizeof functions, nullptr) != SQL_SUCCESS ||
      !(functions & SQL_FN_STR_UCASE))
    return 0;
  char native[256] = {0};
  SQLINTEGER length = 0;
  SQLCHAR in[] = "{fn UCASE(t)}";
  SQLRETURN rc =
      SQLNativeSql(con->hdbc, in, SQL_NTS, reinterpret_cast<SQLCHAR*>(native), sizeof native, &length);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return 0;
  const char* open = strchr(native, '(');
  return open ? out->concat(native, static_cast<uint32_t>(open - native + 1)) : 0;
}

JxStatus infoText(cmg_capabilities* con, uint16_t item, const char* in, JxString* out) {
  bool file = isFileDriver(con);
  switch (item) {
    case CMG_INFO_DISPLAY_NAME:
      if (!con) return 0;
      return cmgDisplayName(con, out);
    case CMG_INFO_TABLE_TERM:
      return file ? messageText(SQLMSG_FILE_NAME_LABEL, out) : driverText(con, SQL_TABLE_TERM, out);
    case CMG_INFO_TABLE_LIST: {
      if (file) return messageText(SQLMSG_FILES_LABEL, out);
      JxString term;
      return term.initialize(static_cast<uint32_t>(80)) || driverText(con, SQL_TABLE_TERM, &term) ||
             listLabel(term.c_str(), out);
    }
    case CMG_INFO_OWNER_TERM:
    case CMG_INFO_OWNER_LIST: {
      if (file)
        return messageText(item == CMG_INFO_OWNER_TERM ? SQLMSG_DIRECTORY_LABEL : SQLMSG_DIRECTORIES_LABEL,
                           out);
      JxString term;
      if (term.initialize(static_cast<uint32_t>(80)) || driverText(con, SQL_OWNER_TERM, &term)) return 1;
      const char* t = term.getLength() ? term.c_str() : "Owner";
      return item == CMG_INFO_OWNER_TERM ? out->concat(t) : listLabel(t, out);
    }
    case CMG_INFO_DATABASE:
    case CMG_INFO_DATABASE_AGAIN:
    case CMG_INFO_OWNER:
    case CMG_INFO_OWNER_AGAIN:
    case CMG_INFO_QUALIFIED_OWNER:
    case CMG_INFO_QUALIFIED_OWNER_AGAIN: {
      bool database = item == CMG_INFO_DATABASE || item == CMG_INFO_DATABASE_AGAIN;
      bool owner = item == CMG_INFO_OWNER || item == CMG_INFO_OWNER_AGAIN;
      if (file) {
        if (item >= CMG_INFO_OWNER_AGAIN) enterConnectPlace(con);
        JxString drive, directory;
        if (currentPlace(con, &drive, &directory)) return 1;
        if (database) return out->concat(drive.c_str());
        if (owner) return out->concat(directory.c_str());
        return out->concat(drive.c_str()) || out->concat(':') || out->concat(directory.c_str());
      }
      if (database) return out->concat(text(con->databaseName));
      if (owner) return out->concat(text(con->defaultOwner));
      const char* db = text(con->databaseName);
      const char* sep = text(con->qualifierSeparator);
      const char* ow = text(con->defaultOwner);
      if (con->qualifierSyntax & CMG_QUALIFIER_AFTER) {
        if (out->concat(ow)) return 1;
        return db[0] ? (out->concat(sep) || out->concat(db)) : 0;
      }
      if (!db[0] || !sep[0]) return out->concat(ow);
      return out->concat(db) || out->concat(sep) || out->concat(ow);
    }
    case CMG_INFO_USER:
      if (!con) return 0;
      return out->concat(con->databaseName && con->databaseName[0] ? text(con->connectUser)
                                                                   : text(con->defaultOwner));
    case CMG_INFO_OWNER_TABLE: {
      if (!file && con->defaultOwner && con->defaultOwner[0] &&
          strCompareCi(con->defaultOwner, "PUBLIC") != 0 && !(con->flagsA & CMG_A_NO_OWNERS) &&
          nameCompare(con->defaultOwner, text(con->currentOwner), con->identifierCase) != 0) {
        if (out->concat(con->defaultOwner) || out->concat('.')) return 1;
      }
      return out->concat(in);
    }
    case CMG_INFO_QUALIFIED_TABLE:
      return qualifiedTable(con, in, out);
    case CMG_INFO_QUALIFIER_LAST:
      return qualifierLast(con, in, out);
    case CMG_INFO_BRACKETED:
      return bracketed(con, in, out);
    case CMG_INFO_EXTENSION: {
      if (!con || !file) return 0;
      const char* dot = strchr(con->filePattern, '.');
      if (!dot) return 0;
      size_t n = strcspn(dot + 1, ",;) ");
      return out->concat(dot + 1, static_cast<uint32_t>(n > 4 ? 4 : n));
    }
    case CMG_INFO_UCASE_FUNCTION:
      return upperFunction(con, out);
    case CMG_INFO_FILE_PATTERN:
      return con && file ? out->concat(con->filePattern) : 0;
    default:
      *sqlErrorById(SQLMSG_INVALID_VALUE) << "information item" << static_cast<unsigned long>(item);
      return 1;
  }
}

}  // namespace

JxStatus cmgGetInfo(cmg_capabilities* con, uint16_t item, char* buffer, uint32_t size) {
  CmgCall call(con ? con->owner : nullptr);
  if (call.refused()) return 1;
  if (!buffer || size == 0) return cmgMissing("buffer", "cmgGetInfo");
  bool takesName = item >= CMG_INFO_OWNER_TABLE && item <= CMG_INFO_BRACKETED;
  JxString in, out;
  if (takesName) {
    const char* end = static_cast<const char*>(memchr(buffer, 0, size));
    if (!end) {
      *sqlErrorById(SQLMSG_BUFFER_TOO_SMALL)
          << "cmgGetInfo name" << static_cast<unsigned long>(size + 1) << static_cast<unsigned long>(size);
      return 1;
    }
    if (in.initialize(buffer)) return 1;
  }
  if (out.initialize(static_cast<uint32_t>(64))) return 1;
  JxStatus status;
  if (con) {
    CmgLock lock(con->lock);
    status = infoText(con, item, in.c_str(), &out);
  } else {
    status = infoText(con, item, in.c_str(), &out);
  }
  if (status) return 1;
  return cmgCopyOut("cmgGetInfo", out.c_str(), buffer, size);
}
