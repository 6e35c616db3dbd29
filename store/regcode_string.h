// Strings in typed loop code.
//
// Len, InStr (without a compare argument) and Asc of texts compile to one OP_STRFN
// instruction, and an assignment "s = text & text ..." to a String local to one OP_SSTORE,
// when each text is a String local, a literal, Left/Right/Mid of one of those with integer
// arguments, or (in a concatenation) Chr of an integer. The integer arguments are
// evaluated into registers first; the instruction then reads the texts in place, so
// nothing is copied to search or measure a slice. A String local is read from its cell
// (such locals are never held in registers), and only when it holds a string; anything
// the plain run cannot do (another type in the cell, an argument out of range, a length
// past the limit, no memory) abandons the unit before it has changed anything, and the
// tree then gives the general rules and raises the error with its usual text.
//
// Layout: the instruction (OP_STRFN: d result register, b the function; OP_SSTORE: slot
// the target's frame slot, d the number of texts, b 1 when the first text is the target
// itself) with a counting the data instructions after it: per text one OP_STXT (d its
// kind, b its slice, slot the local's frame slot, k the literal's rep) followed by one
// OP_SREG per integer argument (a its register). OP_STRFN's data may start with the
// OP_SREG of InStr's start.
//
// An assignment whose first text is the target appends to the target's own text in place
// when nothing else holds it and it has room; a text made for such an assignment gets
// room to grow, so a loop building a string does not copy it at every step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "regcode.h"

enum StringTextKind : unsigned char { STXT_LOCAL, STXT_LITERAL, STXT_CHR };
enum StringSliceKind : unsigned char { SLICE_NONE, SLICE_LEFT, SLICE_RIGHT, SLICE_MID, SLICE_MID_LENGTH };
enum StringFnKind : unsigned char { SFN_LEN = 1, SFN_ASC, SFN_INSTR, SFN_INSTR_START };

// Runs the OP_STRFN or OP_SSTORE at p with the registers r; false: nothing was done, the
// unit must run as a tree.
bool RegStringFunction(StackFrame& frame, const RegCode::Instr* p, Reg* r);
bool RegStringStore(StackFrame& frame, const RegCode::Instr* p, Reg* r);

// The position (1-based) of the bytes f in the bytes s at or after start (1-based), 0 when
// absent or start is past the end of s plus one; an empty f is found at start.
int32_t FindBytes(const char* s, size_t sn, const char* f, size_t fn, size_t start);
