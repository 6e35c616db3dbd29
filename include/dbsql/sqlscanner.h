// The SQL layer's tokenizer: a JxScanner that hands back an ODBC escape in braces or a
// bracketed name as one token, removes or skips comments, and rewrites bracketed date,
// time, timestamp and binary literals in the scanned text into ODBC escape clauses.
#pragma once

#include "dbsql/jxsql04_api.h"
#include "dbutil/jxscanner.h"

class JXSQL04_API SqlScanner : public JxScanner {
 public:
  SqlScanner() : removeComments_(0) {}
  explicit SqlScanner(JxString* text) : JxScanner(text), removeComments_(0) {}
  SqlScanner(const char* text, uint32_t length) : JxScanner(text, length), removeComments_(0) {}
  ~SqlScanner() override;

  int32_t getRemoveComments() const { return removeComments_; }
  void setRemoveComments(int32_t on) { removeComments_ = on; }

 private:
  int32_t removeComments_;
};

// The size of the buffer that sqlConvertToODBC writes into.
const unsigned SQL_ESCAPE_SIZE = 34;

extern "C" {

JXSQL04_API void sqlScannerSetBrackets(SqlScanner* scanner, char open, char close);
JXSQL04_API void sqlScannerClearBrackets(SqlScanner* scanner);
JXSQL04_API void sqlScannerRecogniseComments(SqlScanner* scanner);
JXSQL04_API void sqlScannerRemoveComments(SqlScanner* scanner, int32_t on);

// Reads the next token that is not a comment. "{...}" and "[...]" come back whole;
// bracketed literals [D'..'], [DT'..'], [T'..'] and [B'..'] are first rewritten in the
// scanned text to {d '..'}, {ts '..'}, {t '..'} and {b '..'}. An unclosed bracket or brace
// is refused with 4501 naming the rest of the text, a literal of the wrong length or
// shape with 4501 naming the literal. JxStatus.
JXSQL04_API JxStatus sqlNextToken(SqlScanner* scanner, JxToken* token, unsigned short search);

// The ODBC escape of one bracketed date, time or timestamp literal (length bytes at
// text, brackets included) into out (SQL_ESCAPE_SIZE bytes, zero-terminated). Accepted:
// [D'yyyy-mm-dd'], [DT'yyyy-mm-dd hh:mm:ss'] with up to six fraction digits,
// [T'hh:mm:ss'] and [T'yyyy-mm-dd hh:mm:ss'] (the time of day is kept). Anything else is
// refused with 4501 (out is then empty). JxStatus.
JXSQL04_API JxStatus sqlConvertToODBC(const char* text, uint32_t length, char* out);

// Deletes the token's text from the scanned string.
JXSQL04_API JxStatus sqlRemoveToken(SqlScanner* scanner, const JxToken* token);

// Appends length bytes of text to a growable buffer (ramAlloc), growing it by 1024
// bytes whenever used + length + 1 reaches the capacity; a blank goes first when the
// buffer is not empty and noBlank is 0. The buffer stays zero-terminated. JxStatus.
JXSQL04_API JxStatus sqlAppendText(char** buffer, uint32_t* used, uint32_t* capacity, const char* text,
                                   uint32_t length, short noBlank);

}  // extern "C"
