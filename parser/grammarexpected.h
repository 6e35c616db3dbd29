// What the grammar expects in each parser state, as syntax errors print it. The table is
// generated from the grammar together with its parse tables. A text ending in '0' means
// the end of the statement is acceptable too; null means only the end of the statement.
#pragma once

#include "parser/ovparse_api.h"

// Number of parser states.
OVPARSE_API int GrammarStateCount();
// The expected text of state, or null (also for a state outside the tables).
OVPARSE_API const char* GrammarExpectedText(int state);
