// The engine's value types and the direct conversions between them: packed decimals,
// 32- and 16-bit integers, floats, doubles and the 26-character date/time text, with
// their length words; hexadecimal text of bytes and the check of a packed decimal.
//
// Every conversion answers 0, a message id (the message is also in the calling thread's
// error list) or -1 when the source is text (text goes through masks).
#pragma once

#include "dbsql/jxsql04_api.h"

#include <stdint.h>

// Value type codes of the engine and the API.
enum BcvType : uint16_t {
  BCV_CHAR = 1,      // fixed-length text
  BCV_VARCHAR = 2,   // variable-length text
  BCV_DECIMAL = 3,   // packed decimal
  BCV_LONG = 4,      // signed 32-bit
  BCV_SHORT = 5,     // signed 16-bit
  BCV_FLOAT = 6,     // 32-bit float
  BCV_DOUBLE = 7,    // 64-bit float
  BCV_DATETIME = 8,  // "YYYY-MM-DD HH:MM:SS.FFFFFF"
  BCV_BINARY = 101,
  BCV_DATE = 111,
  BCV_TIME = 112,
  BCV_UNKNOWN = 32767
};

// Bit of a source type asking bcvtos32 for the 16-bit overflow message.
const uint16_t BCV_WANT_SHORT = 0x8000;

// Status codes of the conversions (the ids of their messages).
enum BcvStatus : short {
  BCV_OK = 0,
  BCV_TEXT_SOURCE = -1,
  BCV_PARTIAL_VALUE = 3508,
  BCV_BAD_DATE = 3509,
  BCV_FLOAT_OVERFLOW = 3510,
  BCV_SHORT_OVERFLOW = 3511,
  BCV_DECIMAL_OVERFLOW = 3512,
  BCV_LONG_OVERFLOW = 3514,
  BCV_INVALID_YEAR = 3515,
  BCV_INVALID_MONTH = 3516,
  BCV_INVALID_DAY = 3517,
  BCV_INVALID_HOUR = 3518,
  BCV_INVALID_MINUTE = 3519,
  BCV_INVALID_SECOND = 3520,
  BCV_INVALID_FRACTION = 3521,
  BCV_NOT_A_NUMBER = 3525,
  BCV_DOUBLE_OVERFLOW = 3527,
  BCV_BAD_DIGIT = 3528,
  BCV_BAD_SIGN = 3529,
  BCV_NUMBER_TO_DATE = 3530
};

// Sign nibbles of a packed decimal.
enum BcvSign : uint8_t { BCV_PLUS = 0xC, BCV_MINUS = 0xD, BCV_UNSIGNED = 0xF };

// Length word of a decimal: precision in the low 16 bits, scale as a signed byte in
// bits 16-23; bit 31 keeps one integer place free for a negative value's sign.
const uint32_t BCV_SIGN_ROOM = 0x80000000u;
inline int32_t bcvDecimalWord(int precision, int scale, bool signRoom = false) {
  return static_cast<int32_t>((static_cast<uint32_t>(precision) & 0xFFFF) |
                              ((static_cast<uint32_t>(scale) & 0xFF) << 16) | (signRoom ? BCV_SIGN_ROOM : 0));
}

// The date/time text and its zero value.
const unsigned BCV_DATETIME_LENGTH = 26;
#define BCV_DATETIME_ZERO "0000-00-00 00:00:00.000000"

extern "C" {

// Conversions to a decimal, integers, floats and date/time text. The source is read
// through its type (bit BCV_WANT_SHORT of the type only changes bcvtos32's overflow
// message), its length and its length word. A length of 0 means "the whole value of
// the type"; a number's length below its size is 3508 (nothing is read), a date/time
// text is read up to its length or its terminator.
JXSQL04_API short bcvtodec(void* out, int32_t outWord, const void* src, uint16_t srcLen, uint16_t srcType,
                           int32_t srcWord);
JXSQL04_API short bcvtos32(int32_t* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord);
JXSQL04_API short bcvtos16(int16_t* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord);
JXSQL04_API short bcvtof64(double* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord);
JXSQL04_API short bcvtof32(float* out, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord);
// Writes the 26 characters (no terminator). Without keepTime a number's fraction is
// dropped and the time is midnight.
JXSQL04_API short bcvtodat(char* out26, const void* src, uint16_t srcLen, uint16_t srcType, int32_t srcWord,
                           int keepTime);
// The widest text or storage of a value of the type; -1 for types not converted here.
JXSQL04_API int32_t bcvmaxlen(uint16_t type, int32_t word, int withTerminator);

// Bytes to "0123456789ABCDEF" pairs (no terminator); answers the character count. A
// count above 32767 (whose text length a 16-bit count cannot hold) raises 2104 with the
// count, writes nothing and answers 0.
JXSQL04_API uint16_t bcvHexify(char* out, const uint8_t* in, uint16_t count);
// Pairs of hexadecimal digits to bytes (an odd count leaves a last half byte); answers
// the byte count. A character that is not a hexadecimal digit raises 3525 with the text,
// writes nothing and answers 0.
JXSQL04_API uint16_t bcvDehexify(uint8_t* out, const char* in, uint16_t count);
// 0, 3528 (digit; the nibble's number from 1 is the message's parameter) or 3529 (sign).
JXSQL04_API short bcvValidateDecimal(const uint8_t* value, uint16_t count);
// 1 when a module "JX.EXE" is loaded in the process.
JXSQL04_API int xlmchkjx();

}  // extern "C"

// Helpers shared by the conversions and the type maps.
struct BcvDecimalShape {
  int precision;  // after folding a negative scale and raising to the scale
  int scale;      // 0 or more
  bool signRoom;
  int bytes() const { return precision / 2 + 1; }
  int integerPlaces() const { return precision - scale; }
};
JXSQL04_API BcvDecimalShape bcvDecimalShape(int32_t word);
// Days of the month in the Gregorian calendar; 0 for a month outside 1-12.
JXSQL04_API int bcvDaysInMonth(int year, int month);
// A number's text (blanks, an optional sign, digits with an optional point and
// exponent, blanks) into a packed decimal of the length word, rounded half up at its
// scale; `out` holds bcvmaxlen bytes. Blank text is zero. Anything else is 3525 with
// the text, too many integer digits 3512; `out` may then be partly written.
JXSQL04_API short bcvNumberTextToDecimal(const char* text, int32_t length, int32_t word, uint8_t* out);
// Julian-style day number of a Gregorian date (0001-01-01 is 1721426).
JXSQL04_API int32_t bcvDayNumber(int year, int month, int day);
// Day number to date: false below 1721426 or at year 10000 and later.
JXSQL04_API bool bcvDayToDate(int32_t dayNumber, int* year, int* month, int* day);
