// What the grammar expects in each parser state, as syntax errors print it. The table is
// generated from the grammar together with its parse tables. A text ending in '0' means
// the end of the statement is acceptable too; null means only the end of the statement.
#pragma once

// Number of parser states.
int GrammarStateCount();
// The expected text of state, or null (also for a state outside the tables).
const char* GrammarExpectedText(int state);
