// The SQL parser: splits a statement into the select list, the clause texts and the
// parameter markers, and rewrites it into the text sent to the driver. Beside it, the
// splitter of the ODBC outer-join escape "{oj T1 LEFT OUTER JOIN T2 ON c}".
#pragma once

#include "dbsql/sqlengine.h"

// Bits of parsed_sql::flags.
enum SqlParseFlags : uint16_t { SQL_PARSE_NOT_SELECT = 1, SQL_PARSE_DISTINCT = 4 };

// Kind flags of a select item.
enum SqlItemKind : uint16_t {
  SQL_ITEM_EXPRESSION = 1,
  SQL_ITEM_QUALIFIED = 2,
  SQL_ITEM_ALIAS = 4,
  SQL_ITEM_STAR = 8
};

#pragma pack(push, 1)
// One parameter marker. All but the name are filled by the query object's parameter
// functions. 29 bytes in the 32-bit product.
struct SqlParamEntry {
  char* name;  // the characters after "?" of a named marker, else null
  uint32_t value;
  uint16_t a, b;
  uint32_t c;
  uint8_t data[12];
  uint8_t flag;
};
#pragma pack(pop)
static_assert(sizeof(SqlParamEntry) == 25 + sizeof(void*), "parameter entry layout");

struct SqlParsedItem {
  uint16_t start;   // offset in the rewritten text
  uint16_t length;  // trailing blanks excluded
  uint16_t kind;    // SqlItemKind
};

// The parse result: one block, freed whole by sqlParseFree. A clause that does not
// occur is null; every text is its own zero-terminated allocation.
struct parsed_sql {
  char* aliases;  // alias names of the items that have one, each zero-terminated
  char* from;     // rebuilt FROM clause; the whole statement when it is not a SELECT
  char* where;
  char* groupBy;
  char* having;
  char* setOperation;  // from the keyword (UNION ...) inclusive
  char* orderBy;
  char* compute;
  char* options;
  char* forUpdate;
  uint16_t flags;  // SqlParseFlags
  uint16_t itemCount;
  uint16_t paramCount;
  SqlParamEntry* params;   // grown in steps of 10
  SqlParsedItem items[1];  // itemCount of them
};

extern "C" {

// Parses text for the connection. On success *parsed and *rewritten belong to the
// caller (sqlParseFree, ramFree); on failure both are null, nothing stays allocated and
// the error (4500-4505, or a scanner or memory message) is on the thread's list.
// unused is not read.
JXSQL04_API JxStatus sqlParse(cmg_capabilities* con, parsed_sql** parsed, const char* text, char** rewritten,
                              uint16_t unused);
JXSQL04_API void sqlParseFree(parsed_sql* parsed);

// Splits one "{oj ...}" item (length bytes at item). Found: *found = 1, *tables =
// "T1 [alias], T2 [alias]" and *condition = the ON condition, both ramAlloc'd for the
// caller. An item of another shape gives *found = 0 and null outputs. 1 only when out
// of memory.
JXSQL04_API JxStatus sqlOuterJoinConvert(const char* item, uint32_t length, short* found, char** tables,
                                         char** condition);

}  // extern "C"
