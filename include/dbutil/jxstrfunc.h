// Free functions on ANSI byte strings: comparison, copying and quoting, searching,
// number and hexadecimal conversion, SQL LIKE matching and dialog labels.
// Comparisons answer 1, 0 or 0xffff (-1) as 16-bit values; conversions that can fail
// answer a JxStatus with the message on the thread's error list.
#pragma once

#include "dbutil/jxsubstring.h"

class JxString;

// --- comparison (str_compare.cpp); strCompare and strCompareCi are in jxsubstring.h
// As if the shorter were padded with blanks.
JXUTL04_API short strComparePad(const char* a, const char* b);
JXUTL04_API short strComparePad(const char* a, uint32_t la, const char* b, uint32_t lb);
// The user locale's comparison; the counted form takes at most 512 bytes of each.
JXUTL04_API short strCompareIntl(const char* a, const char* b);
JXUTL04_API short strCompareIntl(const char* a, uint32_t la, const char* b, uint32_t lb);
JXUTL04_API short strCompareWithMaxLength(const char* a, const char* b, uint32_t n);
// Two little-endian IEEE doubles, by sign, then bytes from the most significant.
JXUTL04_API short floatCompare(const void* a, const void* b);
JXUTL04_API unsigned short memCompareHuge(const void* a, const void* b, uint32_t n);
JXUTL04_API void memCopyHuge(void* dst, const void* src, uint32_t n);
JXUTL04_API void memFillHuge(void* dst, int c, uint32_t n);

// --- copying, quoting, searching (str_copy.cpp)
// At most size-1 bytes, always terminated.
JXUTL04_API char* strCopy(char* dst, uint32_t size, const char* src);
// n bytes and a terminator; answers the terminator's address.
JXUTL04_API char* strCopy(char* dst, const char* src, uint32_t n);
// quote, the bytes with each quote doubled, quote, terminator (dst holds 2n+3);
// answer the terminator's address.
JXUTL04_API char* strCopyQuoted(char* dst, const char* src, uint32_t n, char quote);
JXUTL04_API char* strCopyQuoted(char* dst, const char* src, char quote);
JXUTL04_API char* strCatQuoted(char* dst, const char* src, char quote);
// Drop the first and last byte (the quotes) and make doubled quotes single.
JXUTL04_API char* strCopyUnquoted(char* dst, const char* src);
JXUTL04_API char* strCopyUnquoted(char* dst, const char* src, uint32_t n);
JXUTL04_API char* strFind(const char* text, const char* sub);
JXUTL04_API char* strFindReverse(const char* text, char c);
// The first c outside stretches quoted by q1, q2 or q3 (0: unused).
JXUTL04_API char* strFind(const char* text, char c, char q1, char q2, char q3);
// 1 for "1...", "T...", "t..." and "ON..." in any case.
JXUTL04_API short isTrueStr(const char* text);
// A 256-bit set (32 bytes) of the accelerator characters of a dialog.
JXUTL04_API void setAcceleratorKey(unsigned char* set, const char* label);
// out = the label (its first "%s" replaced by argument when given) with an "&" before
// a character not yet in the set, which then joins the set.
JXUTL04_API JxStatus makeDialogText(JxString* out, unsigned char* set, const char* label,
                                    const char* argument);

// --- numbers and hexadecimal (str_convert.cpp)
// Decimal text; answer the number of characters (buffer of 12).
JXUTL04_API int convert(char* buffer, unsigned long value);
JXUTL04_API int convert(char* buffer, long value);
// In a field of width blanks (buffer of width+1) with at most 10 digit positions;
// "*" in all positions but the last and 0 when the value does not fit; else the
// number of digits.
JXUTL04_API int convert(char* buffer, int width, unsigned long value, int leftAlign);
// Parse decimal: blanks and "+" first (one "-" for the signed forms), digits, blanks.
// 2701 when too large for the type, 2702 on any other character.
JXUTL04_API JxStatus convert(const char* text, unsigned long* out);
JXUTL04_API JxStatus convert(const char* text, long* out);
JXUTL04_API JxStatus convert(const char* text, unsigned short* out);
JXUTL04_API JxStatus convert(const char* text, short* out);
JXUTL04_API JxStatus convert(const char* text, unsigned char* out);
JXUTL04_API JxStatus convert(const char* text, char* out);
// The first length bytes (at most 79).
JXUTL04_API JxStatus convert(const char* text, uint32_t length, unsigned short* out);
// Upper-case hexadecimal with at least minDigits digits (at most 16), terminated;
// answers the number of digits.
JXUTL04_API int hexify(char* buffer, unsigned long value, int minDigits);
// Each byte as two upper-case digits, no terminator; in place when dst == src;
// answer 2n.
JXUTL04_API uint32_t hexify(char* dst, const void* src, unsigned short n);
JXUTL04_API uint32_t hexifyHuge(char* dst, const void* src, uint32_t n);
// n digits of either case into n/2 bytes, high digit first (an odd last digit makes
// a byte of its own, high nibble); 2708 on another character.
JXUTL04_API JxStatus dehexify(void* dst, const char* src, unsigned short n);
JXUTL04_API JxStatus dehexifyHuge(void* dst, const char* src, uint32_t n);
JXUTL04_API short isHexString(const char* text, uint32_t n);

// --- SQL LIKE (str_like.cpp): many matches any run, one any character, escape makes
// the next pattern character literal (0 for none). Trailing blanks do not count.
JXUTL04_API short strLike(const char* text, const char* pattern, char many, char one, char escape,
                          int caseSensitive);
JXUTL04_API short strLike(const char* text, uint32_t textLength, const char* pattern, uint32_t patternLength,
                          char many, char one, char escape, int caseSensitive);
