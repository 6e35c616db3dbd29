// SqlFrom walks the tables of a parsed FROM clause ("t a, owner.t2, (...) b", also
// joins written out: "t a LEFT OUTER JOIN u b ON a.k = b.k"): each table's name and
// alias in order; it can add an alias after a table, storing the changed clause back in
// its owner's field, and rename the table just read.
#pragma once

#include "dbsql/sqlengine.h"
#include "dbsql/sqlscanner.h"

enum SqlFromType {
  SQLFROM_IN_PLACE = 0,  // scans the owner's text itself
  SQLFROM_COPY = 1,      // scans a private copy that may be changed
  SQLFROM_KEEP_NAME = 2  // as 1, and keeps the current table's name for changeTableName
};

class JXSQL04_API SqlFrom : public SqlScanner {
 public:
  SqlFrom()
      : con_(nullptr), fromText_(nullptr), type_(SQLFROM_IN_PLACE), nameAt_(0), nameLength_(0), count_(0) {}
  ~SqlFrom() override;

  // Sets up the walk over *fromText (the owner's FROM field, which addTableAlias
  // replaces by a new allocation). 1 when the copy cannot be made.
  JxStatus initialize(cmg_capabilities* con, char** fromText, SqlFromType type);
  // The next table's name (empty at the end of the list) and alias (empty when none;
  // alias may be null). A name or alias longer than the connection's longest table
  // name is refused with 4526. JxStatus.
  JxStatus nextTable(JxString* name, JxString* alias);
  // Inserts " " + alias after table number `table` (from 0) and stores the changed text
  // as the owner's FROM text.
  JxStatus addTableAlias(uint16_t table, const char* alias);
  // Replaces the name of the table just read (walk type 2).
  JxStatus changeTableName(const char* name);
  // The text being walked.
  const char* text() const {
    return type_ == SQLFROM_IN_PLACE ? (fromText_ ? *fromText_ : "") : copy_.c_str();
  }

 private:
  JxStatus tooLong(uint32_t length);
  JxStatus read(JxToken* tok) { return sqlNextToken(this, tok, search_); }
  JxStatus skipGroup(JxToken* tok);
  JxStatus skipSeparator(JxToken* tok);

  cmg_capabilities* con_;
  char** fromText_;
  SqlFromType type_;
  JxString copy_;
  uint32_t nameAt_, nameLength_;  // the kept name
  uint16_t count_;                // tables read
  unsigned short search_ = SEARCH_IDENTIFIER;
  JxString first_, middle_, delimiters_;  // the name characters the scanner views
};
