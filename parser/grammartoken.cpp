// Names of the grammar's tokens for messages.
#include <cstdio>

#include "grammar.h"
#include "store/keytab.h"

std::string GrammarTokenName(int token) {
  switch (token) {
    case 0:
      return "end-of-statement";
    case 256:
      return "<256>";
    case 257:
      return "<integer>";
    case 258:
      return "<long>";
    case 259:
      return "<hex integer>";
    case 260:
      return "<octal integer>";
    case 261:
      return "<single>";
    case 262:
      return "<double>";
    case 263:
      return "<currency>";
    case 264:
      return "<string>";
    case 265:
      return "<identifier>";
    case 276:
      return "<comment>";
    case 304:
      return ":=";
    case 305:
      return "&&";
    case 306:
      return "||";
    case 307:
      return "<>";
    case 308:
      return "<=";
    case 309:
      return ">=";
    case 310:
      return "==";
  }
  if (token > 0 && token < 256) return std::string(1, char(token));
  if (token > 256) {
    if (const char* keyword = KeyTabIdToString(token)) return keyword;
  }
  char text[32];
  std::snprintf(text, sizeof text, "<token: %d>", token);
  return text;
}
