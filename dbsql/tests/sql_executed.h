// Shared by the fetch and long-value tests: a query opened with a row log, a
// forward-only cursor without one, or a scrollable (static) cursor, and executed; closed
// at the end of the scope.
#pragma once

#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlquery.h"
#include "dbsql/sqlrowlog.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

enum Cursor { LOGGED, FORWARD, SCROLLABLE };

inline const char* cursorName(Cursor c) {
  return c == LOGGED ? "logged" : c == FORWARD ? "forward only" : "scrollable";
}

struct Executed {
  Executed(cmg_capabilities* con, const char* text, Cursor cursor) {
    const uint16_t saved = con->cursorOptions;
    const uint32_t flagsA = con->flagsA;
    if (cursor == SCROLLABLE) {
      con->flagsA |= CMG_A_RANDOM_FETCH;
      con->cursorOptions = SQLCUR_RANDOM | 0x60;  // static
    }
    status = sqlOpen(con, nullptr, text, SQLOPEN_PARSE, 0, 0, &q);
    con->cursorOptions = saved;
    con->flagsA = flagsA;
    uint32_t rows = 0;
    if (!status && cursor != SCROLLABLE) status = sqlLogOptions(q, cursor == LOGGED ? 3 : 1);
    if (!status) status = sqlXExecute(q, &rows);
  }
  ~Executed() {
    if (q) {
      EXPECT_EQ(sqlClose(q), 0);
    }
  }
  Executed(const Executed&) = delete;
  Executed& operator=(const Executed&) = delete;
  int32_t integer(uint16_t i) const {
    int32_t v = 0;
    memcpy(&v, q->columns[i]->value, 4);
    return v;
  }
  std::string text(uint16_t i) const {
    const sql_qry_fld* f = q->columns[i];
    if (f->valueLength < 0) return "<NULL>";
    return std::string(reinterpret_cast<const char*>(f->value), f->valueLength < 255 ? f->valueLength : 255);
  }
  sql_qry* q = nullptr;
  JxStatus status = 1;
};

// length bytes of unit repeated.
inline std::string pattern(const char* unit, size_t length) {
  std::string s;
  while (s.size() < length) s += unit;
  return s.substr(0, length);
}
